// ChooseOperatorSettings of GWCORE.DLL, driven through its modal dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "config/gwcore_api.h"
#include "gprslink/gprs_rules.h"
#include "gwcore/operator_list.h"
#include "gwcore/operator_picker_ids.h"
#include "support/test_env.h"
#include "support/window_driver.h"

namespace {

const char kCaption[] = "Operator Settings";

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

// The five buffers, each followed by a guard that must survive.
struct Fields {
  struct Guarded {
    char text[kOperatorFieldSize];
    char guard[8];
  };
  Guarded apn, login, password, gateway, url;
  Fields() {
    for (Guarded* g : {&apn, &login, &password, &gateway, &url}) {
      strcpy(g->text, "keep");
      memcpy(g->guard, "GUARDED", 8);
    }
  }
  bool GuardsIntact() const {
    for (const Guarded* g : {&apn, &login, &password, &gateway, &url})
      if (memcmp(g->guard, "GUARDED", 8) != 0) return false;
    return true;
  }
  BOOL Choose() { return ChooseOperatorSettings(nullptr, apn.text, login.text, password.text, gateway.text, url.text); }
};

std::vector<std::string> Items(HWND dialog, int id) {
  std::vector<std::string> items;
  LRESULT count = SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[kOperatorFieldSize] = "";
    SendDlgItemMessageA(dialog, id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

std::string Text(HWND dialog, int id) {
  char text[400] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void Pick(HWND dialog, int list, const char* item, WORD notification = LBN_SELCHANGE) {
  LRESULT index = SendDlgItemMessageA(dialog, list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(item));
  ASSERT_NE(index, LB_ERR) << item;
  SendDlgItemMessageA(dialog, list, LB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, notification), reinterpret_cast<LPARAM>(GetDlgItem(dialog, list)));
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

TEST(OperatorPicker, ShipsADozenIllustrativeOperators) {
  std::string text = ReadFileText(ListPath());
  std::vector<OperatorEntry> entries(kMostOperators);
  size_t count = ParseOperatorList(text.data(), text.size(), entries.data(), entries.size());
  ASSERT_EQ(count, 12u);
  for (size_t i = 0; i < count; ++i) {
    const OperatorEntry& entry = entries[i];
    char host[128];
    unsigned port = 0;
    EXPECT_TRUE(IsUsableApn(entry.apn)) << entry.name;
    EXPECT_TRUE(ParseGatewayAddress(entry.wapGateway, host, sizeof host, &port)) << entry.name;
    EXPECT_EQ(std::string(entry.mmsServerUrl).rfind("http://", 0), 0u) << entry.name;
    EXPECT_NE(strstr(entry.apn, ".example"), nullptr) << "clearly not a real operator: " << entry.name;
    EXPECT_NE(strstr(entry.mmsServerUrl, ".example"), nullptr) << entry.name;
  }
}

TEST(OperatorPicker, CountryThenOperatorThenOkFillsTheFiveBuffers) {
  Fields fields;
  BOOL chosen = FALSE;
  {
    WindowDriver driver(kCaption, [](HWND dialog) {
      std::vector<std::string> countries = Items(dialog, IDC_OPERATOR_COUNTRIES);
      EXPECT_EQ(countries.size(), 9u) << "each country once";
      EXPECT_TRUE(std::is_sorted(countries.begin(), countries.end()));
      EXPECT_TRUE(Items(dialog, IDC_OPERATOR_NAMES).empty());
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << "nothing chosen yet";
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_STATUS), "Choose the country, then the operator.");
      Pick(dialog, IDC_OPERATOR_COUNTRIES, "Germany");
      EXPECT_EQ(Items(dialog, IDC_OPERATOR_NAMES), (std::vector<std::string>{"Beispiel Funk", "Muster Netz"}));
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_APN), "mms.beispielfunk.example") << "the first operator is shown";
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
      Pick(dialog, IDC_OPERATOR_NAMES, "Muster Netz");
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_APN), "internet.musternetz.example");
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_LOGIN), "");
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_GATEWAY), "198.51.100.17");
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_URL), "http://mmsc.musternetz.example/");
      Pick(dialog, IDC_OPERATOR_COUNTRIES, "United Kingdom");
      Pick(dialog, IDC_OPERATOR_NAMES, "Example Mobile");
      Click(dialog, IDOK);
    });
    chosen = fields.Choose();
  }
  EXPECT_TRUE(chosen);
  EXPECT_STREQ(fields.apn.text, "mms.examplemobile.example");
  EXPECT_STREQ(fields.login.text, "mms");
  EXPECT_STREQ(fields.password.text, "mms");
  EXPECT_STREQ(fields.gateway.text, "192.0.2.10");
  EXPECT_STREQ(fields.url.text, "http://mms.examplemobile.example/servlets/mms");
  EXPECT_TRUE(fields.GuardsIntact());
}

TEST(OperatorPicker, ADoubleClickOnAnOperatorChoosesIt) {
  Fields fields;
  BOOL chosen = FALSE;
  {
    WindowDriver driver(kCaption, [](HWND dialog) {
      Pick(dialog, IDC_OPERATOR_COUNTRIES, "United States");
      Pick(dialog, IDC_OPERATOR_NAMES, "Demo Wireless", LBN_DBLCLK);
    });
    chosen = fields.Choose();
  }
  EXPECT_TRUE(chosen);
  EXPECT_STREQ(fields.gateway.text, "http://203.0.113.40:80");
  EXPECT_STREQ(fields.login.text, "") << "an empty setting comes back empty";
}

TEST(OperatorPicker, CancelLeavesTheBuffersAlone) {
  Fields fields;
  BOOL chosen = TRUE;
  {
    WindowDriver driver(kCaption, [](HWND dialog) {
      Pick(dialog, IDC_OPERATOR_COUNTRIES, "France");
      Click(dialog, IDCANCEL);
    });
    chosen = fields.Choose();
  }
  EXPECT_FALSE(chosen);
  EXPECT_STREQ(fields.apn.text, "keep");
  EXPECT_STREQ(fields.url.text, "keep");
}

TEST(OperatorPicker, CutsLongSettingsToTheBuffers) {
  std::string url = "http://" + std::string(200, 'u') + ".example/";
  std::string list = "[x]\r\nCountry=Longland\r\nOperator=Verbose\r\nAPN=a.example\r\nMMSURL=" + url + "\r\n";
  OperatorListFile file(list.c_str());
  Fields fields;
  {
    WindowDriver driver(kCaption, [](HWND dialog) {
      Pick(dialog, IDC_OPERATOR_COUNTRIES, "Longland");
      Click(dialog, IDOK);
    });
    EXPECT_TRUE(fields.Choose());
  }
  EXPECT_EQ(std::string(fields.url.text), url.substr(0, kOperatorFieldSize - 1));
  EXPECT_TRUE(fields.GuardsIntact());
}

TEST(OperatorPicker, AMissingListGivesAnEmptyPickerThatSaysWhy) {
  OperatorListFile file(nullptr);
  Fields fields;
  BOOL chosen = TRUE;
  {
    WindowDriver driver(kCaption, [](HWND dialog) {
      EXPECT_TRUE(Items(dialog, IDC_OPERATOR_COUNTRIES).empty());
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_STATUS),
                "The operator list \"" + ListPath() + "\" could not be read.");
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // even a forced OK chooses nothing
      EXPECT_TRUE(IsWindow(dialog));
      Click(dialog, IDCANCEL);
    });
    chosen = fields.Choose();
  }
  EXPECT_FALSE(chosen);
  EXPECT_STREQ(fields.apn.text, "keep");
}

TEST(OperatorPicker, AListWithoutOperatorsSaysSo) {
  std::string garbage = "\x01\x02 not [an] operator list\r\n[only]\r\nOperator=No country\r\n\xFF\xFE";
  OperatorListFile file(garbage.c_str());
  Fields fields;
  {
    WindowDriver driver(kCaption, [](HWND dialog) {
      EXPECT_TRUE(Items(dialog, IDC_OPERATOR_COUNTRIES).empty());
      EXPECT_EQ(Text(dialog, IDC_OPERATOR_STATUS),
                "The operator list \"" + ListPath() + "\" holds no operator settings.");
      Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(fields.Choose());
  }
}

TEST(OperatorPicker, RefusesMissingBuffersWithoutOpening) {
  char buffer[kOperatorFieldSize] = "";
  EXPECT_FALSE(ChooseOperatorSettings(nullptr, buffer, buffer, nullptr, buffer, buffer));
  EXPECT_EQ(FindOwnWindow(kCaption), nullptr);
}

}  // namespace
