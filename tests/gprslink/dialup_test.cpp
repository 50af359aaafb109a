// Network connections of GPRSLINK.DLL over FAKERAS.DLL, the stand-in dial-up API.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/test_env.h"

namespace {

typedef BOOL(__cdecl* UserAndPasswordFn)(const char*, char*, DWORD, char*, DWORD);
typedef BOOL(__cdecl* ModemNameFn)(const char*, char*, DWORD);
typedef DWORD(__cdecl* ConnectFn)(const char*);
typedef int(__cdecl* RequestFn)(DWORD, const char*, const char*, const void*, DWORD, char*, DWORD);

class DialupTest : public testing::Test {
 protected:
  void SetUp() override {
    UseFakeRas();
    ini_ = FakeRasIni(dir_.Path());
    AddEntry("Office VPN", "WAN Miniport", "vpn.example", "alice", "wonderland");
  }
  void AddEntry(const std::string& name, const char* device, const char* number, const char* user,
                const char* password) {
    std::string section = "Entry " + name;
    WritePrivateProfileStringA(section.c_str(), "DeviceName", device, ini_.c_str());
    WritePrivateProfileStringA(section.c_str(), "PhoneNumber", number, ini_.c_str());
    WritePrivateProfileStringA(section.c_str(), "User", user, ini_.c_str());
    WritePrivateProfileStringA(section.c_str(), "Password", password, ini_.c_str());
  }
  void DialResult(const char* result) { WritePrivateProfileStringA("FakeRas", "DialResult", result, ini_.c_str()); }
  std::string Log(const char* key) { return ReadIni(ini_, "Log", key, "<none>"); }
  int Dial(const char* connection, const char* gateway, const char* login = "mmslogin",
           const char* password = "mmspass", const char* apn = "mms.example") {
    return GprsLink().WSPRasDial(connection, apn, login, password, gateway);
  }

  TempDataDirectory dir_{"dialup"};
  std::string ini_;
};

std::vector<std::string> ListedConnections() {
  HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND combo = CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, parent,
                             reinterpret_cast<HMENU>(129), nullptr, nullptr);
  EXPECT_NE(combo, nullptr);
  GprsLink().RasLoadListOrComboBox(parent, 129, CB_ADDSTRING);
  std::vector<std::string> items;
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[600] = "";
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  DestroyWindow(parent);
  return items;
}

TEST_F(DialupTest, ListsTheInstalledModemsThenTheDialUpEntries) {
  ModemRegistryEntry alpha("Alpha List Modem", "COM5");
  ModemRegistryEntry beta("Beta List Modem", "");
  AddEntry("Backup GPRS", "Beta List Modem", "*99#", "", "");
  AddEntry("ZedSMS GPRS - Alpha List Modem", "Alpha List Modem", "*99***1#", "", "");  // left from a dial
  std::vector<std::string> items = ListedConnections();
  auto at = [&](const std::string& text) { return std::find(items.begin(), items.end(), text) - items.begin(); };
  ASSERT_LT(at("Modem: Alpha List Modem"), static_cast<long>(items.size()));
  EXPECT_LT(at("Modem: Beta List Modem"), static_cast<long>(items.size()));
  EXPECT_LT(at("Office VPN"), static_cast<long>(items.size()));
  EXPECT_LT(at("Backup GPRS"), static_cast<long>(items.size()));
  EXPECT_LT(at("Modem: Beta List Modem"), at("Office VPN")) << "modems first";
  EXPECT_EQ(at("ZedSMS GPRS - Alpha List Modem"), static_cast<long>(items.size())) << "the library's own entry";
}

TEST_F(DialupTest, ADialUpEntryThatReachesTheGatewayStaysConnectedUntilHungUp) {
  GatewayListener gateway;
  ASSERT_NE(gateway.Port(), 0u);
  EXPECT_EQ(Dial("Office VPN", gateway.Address().c_str()), 0);
  EXPECT_EQ(Log("LastEntry"), "Office VPN");
  EXPECT_EQ(Log("LastUser"), "mmslogin") << "the APN login is used";
  EXPECT_EQ(Log("LastPassword"), "mmspass");
  EXPECT_EQ(Log("Connected"), "Yes");
  EXPECT_EQ(Log("HangUps"), "<none>");
  GprsLink().WSPRasHangUp("Office VPN");
  EXPECT_EQ(Log("HangUps"), "1");
  EXPECT_EQ(Log("Connected"), "No");
  GprsLink().WSPRasHangUp("Office VPN");
  EXPECT_EQ(Log("HangUps"), "1") << "nothing left to hang up";
}

TEST_F(DialupTest, AnEntryDialledWithoutApnLoginUsesItsSavedCredentials) {
  GatewayListener gateway;
  std::string http = "http:" + gateway.Address();
  EXPECT_EQ(Dial("Office VPN", http.c_str(), ""), 0) << "an http: gateway address";
  EXPECT_EQ(Log("LastUser"), "alice");
  EXPECT_EQ(Log("LastPassword"), "wonderland");
  GprsLink().WSPRasHangUp("Office VPN");
}

TEST_F(DialupTest, AGatewayThatDoesNotAnswerGivesOneAndTheConnectionIsHungUp) {
  std::string closed = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  EXPECT_EQ(Dial("Office VPN", closed.c_str()), 1);
  EXPECT_EQ(Log("Dials"), "1");
  EXPECT_EQ(Log("HangUps"), "1") << "nobody else hangs up after a 1";
  EXPECT_EQ(Log("Connected"), "No");
  EXPECT_EQ(Dial("Office VPN", ""), 1) << "no gateway address, no answer";
  EXPECT_EQ(Log("HangUps"), "2");
}

TEST_F(DialupTest, ADialUpErrorIsReturnedWithItsTextAndItsHandleHungUp) {
  DialResult("619");
  GatewayListener gateway;
  EXPECT_EQ(Dial("Office VPN", gateway.Address().c_str()), 619);
  EXPECT_EQ(Log("HangUps"), "1");
  char text[64] = "";
  GprsLink().WSPRasGetErrorString(619, text, sizeof text);
  EXPECT_STREQ(text, "Fake dial-up error 619.");
  GprsLink().WSPRasGetErrorString(619, text, 6);
  EXPECT_STREQ(text, "Fake ") << "cut to the room given";
  GprsLink().WSPRasGetErrorString(42, text, sizeof text);
  EXPECT_STREQ(text, "Dial-up error 42") << "the API has no text for it";
  DialResult("0");
  EXPECT_EQ(Dial("No Such Entry", gateway.Address().c_str()), 623);
  EXPECT_EQ(Dial("", gateway.Address().c_str()), -1);
  EXPECT_EQ(Dial(nullptr, gateway.Address().c_str()), -1);
}

TEST_F(DialupTest, AModemIsDialledThroughAnEntryForItsApnsContext) {
  ModemProfile profile;
  profile.contexts = {{1, "internet.example"}};
  ModemSimulator modem(1, profile);
  ASSERT_TRUE(modem.Running());
  GatewayListener gateway;
  EXPECT_EQ(Dial("Modem: COM5:", gateway.Address().c_str()), 0);
  EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
  EXPECT_EQ(Log("LastEntry"), "ZedSMS GPRS - COM5:");
  EXPECT_EQ(Log("LastPhoneNumber"), "*99***2#");
  EXPECT_EQ(Log("LastDevice"), "COM5:");
  EXPECT_EQ(ReadIni(ini_, "Entry ZedSMS GPRS - COM5:", "DeviceType"), "modem");
  GprsLink().WSPRasHangUp("modem: COM5:");
  EXPECT_EQ(Log("HangUps"), "1");
  EXPECT_EQ(ReadIni(ini_, "Entry ZedSMS GPRS - COM5:", "DeviceName", "<gone>"), "<gone>")
      << "the library's entry goes with the connection";
}

TEST_F(DialupTest, AModemWhoseDriverDefinesTheApnDialsThatContext) {
  ModemRegistryEntry driver("Driver Dial Modem", "COM5");
  DriverInitStrings init("Driver Dial Modem");
  init.Set("1", "AT+CGDCONT=4,\"IP\",\"mms.example\"<cr>");
  ModemSimulator modem(1, ModemProfile{});
  ASSERT_TRUE(modem.Running());
  std::string closed = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  EXPECT_EQ(Dial("Modem: Driver Dial Modem", closed.c_str()), 1);
  EXPECT_EQ(Log("LastPhoneNumber"), "*99***4#");
  EXPECT_TRUE(modem.Transcript().empty()) << "the driver defines it when it dials";
  EXPECT_EQ(ReadIni(ini_, "Entry ZedSMS GPRS - Driver Dial Modem", "DeviceName", "<gone>"), "<gone>");
}

TEST_F(DialupTest, AModemWithoutAUsableContextDialsItsDefault) {
  ModemProfile silent;
  silent.silent = true;
  ModemSimulator modem(1, silent);
  ASSERT_TRUE(modem.Running());
  GatewayListener gateway;
  EXPECT_EQ(Dial("Modem: COM5:", gateway.Address().c_str(), "", "", "bad\"apn"), 0);
  EXPECT_EQ(Log("LastPhoneNumber"), "*99#");
  EXPECT_TRUE(modem.Transcript().empty()) << "an unusable APN is never sent";
  GprsLink().WSPRasHangUp("Modem: COM5:");
}

TEST_F(DialupTest, TellsTheModemAndCredentialsOfAConnection) {
  auto modemName = reinterpret_cast<ModemNameFn>(GprsLink().RasGetModemName);
  auto credentials = reinterpret_cast<UserAndPasswordFn>(GprsLink().RasGetUserAndPassword);
  char name[16] = "";
  EXPECT_TRUE(modemName("Modem: Acme GSM", name, sizeof name));
  EXPECT_STREQ(name, "Acme GSM");
  EXPECT_TRUE(modemName("Office VPN", name, sizeof name));
  EXPECT_STREQ(name, "WAN Miniport");
  EXPECT_TRUE(modemName("Modem: A very long modem name", name, sizeof name));
  EXPECT_STREQ(name, "A very long mod");
  EXPECT_FALSE(modemName("No Such Entry", name, sizeof name));
  EXPECT_STREQ(name, "");
  char user[4] = "x";
  char password[32] = "x";
  EXPECT_TRUE(credentials("Office VPN", user, sizeof user, password, sizeof password));
  EXPECT_STREQ(user, "ali");
  EXPECT_STREQ(password, "wonderland");
  EXPECT_FALSE(credentials("Modem: Acme GSM", user, sizeof user, password, sizeof password));
  EXPECT_STREQ(user, "");
  EXPECT_FALSE(credentials("No Such Entry", user, sizeof user, password, sizeof password));
}

TEST_F(DialupTest, WspSessionsAreRefusedCleanly) {
  auto connect = reinterpret_cast<ConnectFn>(GprsLink().WSPConnect);
  auto request = reinterpret_cast<RequestFn>(GprsLink().WSPRequest);
  SetLastError(0);
  EXPECT_EQ(connect("192.0.2.1"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  char response[8] = "stale";
  EXPECT_EQ(request(0, "GET", "http://mms.example/", nullptr, 0, response, sizeof response), -1);
  EXPECT_STREQ(response, "");
}

TEST_F(DialupTest, ASecondProcessDialsThroughTheSameStandIn) {
  GatewayListener gateway;
  std::string arguments = "dial \"Office VPN\" mms.example \"\" \"\" " + gateway.Address();
  EXPECT_EQ(RunChild(arguments), 0u) << "the override is inherited";
  EXPECT_EQ(Log("Dials"), "1");
  EXPECT_EQ(Log("HangUps"), "1");
  EXPECT_EQ(Log("LastUser"), "alice");
}

TEST_F(DialupTest, TheRegistryNamesTheStandInToProcessesWithoutTheVariable) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZedSMS Lite", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "RasLibrary", 0, REG_SZ, reinterpret_cast<const BYTE*>("FAKERAS.DLL"), 12);
  SetEnvironmentVariableA("ZEDSMS_RAS_LIBRARY", nullptr);
  DialResult("678");
  DWORD code = RunChild("dial \"Office VPN\" mms.example \"\" \"\" 127.0.0.1:1");
  UseFakeRas();
  RegDeleteValueA(key, "RasLibrary");
  RegCloseKey(key);
  EXPECT_EQ(code, 678u);
  EXPECT_EQ(Log("Dials"), "1");
}

}  // namespace
