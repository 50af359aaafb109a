// ChooseOperatorSettings of GWCORE.DLL, driven through its modal dialog; the
// list's parsing has its native table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "config/gwcore_api.h"
#include "gprslink/gprslink_fixture.h"
#include "gwcore/operator_picker_ids.h"
#include "support/dialog_items.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

using Texts = std::vector<std::string>;

std::string ListPath() { return ProgramFolder() + "OPERATORS.INI"; }

// Puts a list of the test's own in place of the shipped one (or none), and
// the shipped one back afterwards.
class OperatorListFile {
 public:
  explicit OperatorListFile(const char* content) {
    if (FileExists(Saved()) && !FileExists(ListPath())) MoveFileA(Saved().c_str(), ListPath().c_str());
    EXPECT_TRUE(MoveFileExA(ListPath().c_str(), Saved().c_str(), MOVEFILE_REPLACE_EXISTING));
    if (content) WriteFileText(ListPath(), content);
  }
  ~OperatorListFile() {
    DeleteFileA(ListPath().c_str());
    MoveFileA(Saved().c_str(), ListPath().c_str());
  }

 private:
  static std::string Saved() { return ListPath() + ".shipped"; }
};

// The five buffers, each followed by a guard that must survive; the picker
// shown with the steps run on it from the driver's thread, which close it.
Texts Choose(const std::function<void(HWND)>& steps, BOOL expected) {
  struct {
    char text[kOperatorFieldSize];
    char guard[8];
  } fields[5];
  for (auto& field : fields) {
    strcpy(field.text, "keep");
    memcpy(field.guard, "GUARDED", 8);
  }
  WindowDriver driver("Operator Settings", steps);
  EXPECT_EQ(ChooseOperatorSettings(nullptr, fields[0].text, fields[1].text, fields[2].text, fields[3].text,
                                   fields[4].text),
            expected);
  EXPECT_TRUE(driver.Appeared());
  Texts values;
  for (const auto& field : fields) {
    EXPECT_EQ(memcmp(field.guard, "GUARDED", 8), 0);
    values.push_back(field.text);
  }
  return values;
}

LRESULT Count(HWND dialog, int list) { return SendDlgItemMessageA(dialog, list, LB_GETCOUNT, 0, 0); }

// The Modem page's scenario picks from the shipped list through OK. Here: the
// lists, a double click, a setting cut to its buffer, and a missing list.
TEST(OperatorPicker, TheOperatorPickedFillsTheBuffersAndAMissingListChoosesNothing) {
  const std::string longUrl = "http://" + std::string(200, 'u') + ".example/";
  {
    OperatorListFile file(("[z]\r\nCountry=Testland\r\nOperator=Zeta Net\r\nAPN=apn.zeta.example\r\nAPNLogin=zl\r\n"
                           "APNPass=zp\r\nWAPGatewayIP=192.0.2.1\r\nMMSURL=" + longUrl + "\r\n"
                           "[a]\r\nCountry=Testland\r\nOperator=Alpha Net\r\nAPN=apn.alpha.example\r\n"
                           "[o]\r\nCountry=Elsewhere\r\nOperator=Other\r\nAPN=apn.other.example\r\n").c_str());
    auto walk = [&](HWND dialog) {
      EXPECT_EQ(Count(dialog, IDC_OPERATOR_COUNTRIES), 2) << "each country once";
      EXPECT_FALSE(Enabled(dialog, IDOK)) << "nothing chosen yet";
      Pick(dialog, IDC_OPERATOR_COUNTRIES, "Testland");
      EXPECT_EQ(Count(dialog, IDC_OPERATOR_NAMES), 2) << "the names follow the country";
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_APN), "apn.alpha.example") << "the first in order is shown";
      Pick(dialog, IDC_OPERATOR_NAMES, "Zeta Net", LBN_DBLCLK);
    };
    EXPECT_EQ(Choose(walk, TRUE),
              (Texts{"apn.zeta.example", "zl", "zp", "192.0.2.1", longUrl.substr(0, kOperatorFieldSize - 1)}));
  }
  OperatorListFile none(nullptr);
  auto refuse = [](HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_OPERATOR_STATUS), "The operator list \"" + ListPath() + "\" could not be read.");
    Ok(dialog);
    EXPECT_TRUE(IsWindow(dialog)) << "even a forced OK chooses nothing";
    Cancel(dialog);
  };
  EXPECT_EQ(Choose(refuse, FALSE), Texts(5, "keep"));
}

}  // namespace
