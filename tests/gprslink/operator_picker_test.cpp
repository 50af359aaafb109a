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

Texts Items(HWND dialog, int id) {
  Texts items;
  for (LRESULT i = 0; i < SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0); ++i) {
    char text[kOperatorFieldSize] = "";
    SendDlgItemMessageA(dialog, id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

TEST(OperatorPicker, TheOperatorPickedInTheSortedListsFillsTheBuffers) {
  const std::string longUrl = "http://" + std::string(200, 'u') + ".example/";
  OperatorListFile file(("[z]\r\nCountry=Testland\r\nOperator=Zeta Net\r\nAPN=apn.zeta.example\r\nAPNLogin=zl\r\n"
                         "APNPass=zp\r\nWAPGatewayIP=192.0.2.1\r\nMMSURL=" + longUrl + "\r\n"
                         "[a]\r\nCountry=Testland\r\nOperator=Alpha Net\r\nAPN=apn.alpha.example\r\n"
                         "[o]\r\nCountry=Elsewhere\r\nOperator=Other\r\nAPN=apn.other.example\r\n").c_str());
  const Texts zeta = {"apn.zeta.example", "zl", "zp", "192.0.2.1", longUrl.substr(0, kOperatorFieldSize - 1)};
  const Texts alpha = {"apn.alpha.example", "", "", "", ""};
  auto walk = [&](HWND dialog) {
    EXPECT_EQ(Items(dialog, IDC_OPERATOR_COUNTRIES), (Texts{"Elsewhere", "Testland"})) << "each once";
    EXPECT_TRUE(Items(dialog, IDC_OPERATOR_NAMES).empty());
    EXPECT_FALSE(Enabled(dialog, IDOK)) << "nothing chosen yet";
    Pick(dialog, IDC_OPERATOR_COUNTRIES, "Elsewhere");
    Pick(dialog, IDC_OPERATOR_COUNTRIES, "Testland");
    EXPECT_EQ(Items(dialog, IDC_OPERATOR_NAMES), (Texts{"Alpha Net", "Zeta Net"})) << "the names follow the country";
    Texts shown;
    for (int id : {IDC_OPERATOR_APN, IDC_OPERATOR_LOGIN, IDC_OPERATOR_PASSWORD, IDC_OPERATOR_GATEWAY, IDC_OPERATOR_URL})
      shown.push_back(Text(dialog, id));
    EXPECT_EQ(shown, alpha) << "the first operator is shown";
    EXPECT_TRUE(Enabled(dialog, IDOK));
    Pick(dialog, IDC_OPERATOR_NAMES, "Zeta Net");
    Ok(dialog);
  };
  EXPECT_EQ(Choose(walk, TRUE), zeta) << "a long setting is cut to the buffer";
  EXPECT_EQ(Choose(
                [](HWND dialog) {
                  Pick(dialog, IDC_OPERATOR_COUNTRIES, "Testland");
                  Pick(dialog, IDC_OPERATOR_NAMES, "Alpha Net", LBN_DBLCLK);
                },
                TRUE),
            alpha)
      << "a double click chooses; empty settings come back empty";
}

TEST(OperatorPicker, AMissingOrEmptyListGivesAnEmptyPickerThatSaysWhy) {
  const std::pair<const char*, std::string> lists[] = {
      {nullptr, "The operator list \"" + ListPath() + "\" could not be read."},
      {"\x01\x02 not [an] operator list\r\n[only]\r\nOperator=No country\r\n\xFF\xFE",
       "The operator list \"" + ListPath() + "\" holds no operator settings."},
  };
  for (const auto& list : lists) {
    OperatorListFile file(list.first);
    EXPECT_EQ(Choose(
                  [&](HWND dialog) {
                    EXPECT_TRUE(Items(dialog, IDC_OPERATOR_COUNTRIES).empty());
                    EXPECT_EQ(Text(dialog, IDC_OPERATOR_STATUS), list.second);
                    EXPECT_FALSE(Enabled(dialog, IDOK));
                    Ok(dialog);
                    EXPECT_TRUE(IsWindow(dialog)) << "even a forced OK chooses nothing";
                    Cancel(dialog);
                  },
                  FALSE),
              Texts(5, "keep"));
  }
  char buffer[kOperatorFieldSize] = "";
  EXPECT_FALSE(ChooseOperatorSettings(nullptr, buffer, buffer, nullptr, buffer, buffer)) << "a missing buffer";
  EXPECT_EQ(FindOwnWindow("Operator Settings"), nullptr);
}

}  // namespace
