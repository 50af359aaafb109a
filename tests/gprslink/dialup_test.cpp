// Network connections of GPRSLINK.DLL over FAKERAS.DLL, the stand-in dial-up API.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/test_env.h"

namespace {

class DialupTest : public testing::Test {
 protected:
  void SetUp() override {
    UseFakeRas();
    AddEntry("Office VPN", "WAN Miniport", "alice", "wonderland");
  }
  void AddEntry(const std::string& name, const char* device, const char* user, const char* password) {
    std::string section = "Entry " + name;
    WritePrivateProfileStringA(section.c_str(), "DeviceName", device, ini_.c_str());
    WritePrivateProfileStringA(section.c_str(), "PhoneNumber", "*99#", ini_.c_str());
    WritePrivateProfileStringA(section.c_str(), "User", user, ini_.c_str());
    WritePrivateProfileStringA(section.c_str(), "Password", password, ini_.c_str());
  }
  std::string Log(const char* key) { return ReadIni(ini_, "Log", key, "<none>"); }
  std::string Entry(const char* name, const char* key) { return ReadIni(ini_, name, key, "<gone>"); }
  int Dial(const char* connection, const std::string& gateway, const char* login = "mmslogin",
           const char* apn = "mms.example") {
    return GprsLink().WSPRasDial(connection, apn, login, "mmspass", gateway.c_str());
  }

  TempDataDirectory dir_{"dialup"};
  const std::string ini_ = FakeRasIni(dir_.Path());
};

std::vector<std::string> ListedConnections() {
  HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND combo = CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, parent,
                             reinterpret_cast<HMENU>(129), nullptr, nullptr);
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
  AddEntry("Backup GPRS", "Beta List Modem", "", "");
  AddEntry("ZedSMS GPRS - Alpha List Modem", "Alpha List Modem", "", "");  // left from a dial
  std::vector<std::string> items = ListedConnections();
  auto at = [&](const std::string& text) { return std::find(items.begin(), items.end(), text) - items.begin(); };
  const long end = static_cast<long>(items.size());
  EXPECT_LT(at("Modem: Alpha List Modem"), end);
  EXPECT_LT(at("Backup GPRS"), end);
  EXPECT_LT(at("Modem: Beta List Modem"), at("Office VPN")) << "modems first";
  EXPECT_LT(at("Office VPN"), end);
  EXPECT_EQ(at("ZedSMS GPRS - Alpha List Modem"), end) << "the library's own entry";
}

struct DialCase {
  const char* why;
  const char* connection;
  std::string gateway;
  const char* login;
  const char* dialResult;
  int result;
  std::map<std::string, std::string> log;
};

TEST_F(DialupTest, AnEntryIsDialledAndHungUpUnlessTheGatewayAnswers) {
  GatewayListener gateway;
  ASSERT_NE(gateway.Port(), 0u);
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  const DialCase cases[] = {
      {"the gateway answers", "Office VPN", gateway.Address(), "mmslogin", "0", 0,
       {{"LastEntry", "Office VPN"}, {"LastUser", "mmslogin"}, {"LastPassword", "mmspass"}, {"Connected", "Yes"},
        {"HangUps", "<none>"}}},
      {"without an APN login the entry's own; an http: gateway", "Office VPN", "http:" + gateway.Address(), "", "0",
       0, {{"LastUser", "alice"}, {"LastPassword", "wonderland"}}},
      {"a gateway that does not answer", "Office VPN", closed, "mmslogin", "0", 1,
       {{"Dials", "1"}, {"HangUps", "1"}, {"Connected", "No"}}},
      {"no gateway address", "Office VPN", "", "mmslogin", "0", 1, {{"HangUps", "1"}}},
      {"a dial-up error", "Office VPN", gateway.Address(), "mmslogin", "619", 619, {{"HangUps", "1"}}},
      {"an unknown entry", "No Such Entry", gateway.Address(), "mmslogin", "0", 623, {}},
      {"an empty name", "", gateway.Address(), "mmslogin", "0", -1, {{"Dials", "<none>"}}},
      {"no name", nullptr, gateway.Address(), "mmslogin", "0", -1, {{"Dials", "<none>"}}},
  };
  for (const DialCase& c : cases) {
    WritePrivateProfileStringA("Log", nullptr, nullptr, ini_.c_str());
    WritePrivateProfileStringA("FakeRas", "DialResult", c.dialResult, ini_.c_str());
    EXPECT_EQ(Dial(c.connection, c.gateway, c.login), c.result) << c.why;
    for (const auto& logged : c.log) EXPECT_EQ(Log(logged.first.c_str()), logged.second) << c.why << ": " << logged.first;
    if (c.result != 0) continue;
    GprsLink().WSPRasHangUp(c.connection);
    GprsLink().WSPRasHangUp(c.connection);
    EXPECT_EQ(Log("HangUps"), "1") << c.why << ": once, then nothing left to hang up";
    EXPECT_EQ(Log("Connected"), "No");
  }

  char text[64] = "";
  GprsLink().WSPRasGetErrorString(619, text, sizeof text);
  EXPECT_STREQ(text, "Fake dial-up error 619.");
  GprsLink().WSPRasGetErrorString(619, text, 6);
  EXPECT_STREQ(text, "Fake ") << "cut to the room given";
  GprsLink().WSPRasGetErrorString(42, text, sizeof text);
  EXPECT_STREQ(text, "Dial-up error 42") << "the API has no text for it";
}

TEST_F(DialupTest, AModemIsDialledThroughAnEntryOfItsOwnForTheApnsContext) {
  GatewayListener gateway;
  {
    ModemProfile profile;
    profile.contexts = {{1, "internet.example"}};
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(Dial("Modem: COM5:", gateway.Address()), 0);
    EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
    EXPECT_EQ(Log("LastEntry"), "ZedSMS GPRS - COM5:");
    EXPECT_EQ(Log("LastPhoneNumber"), "*99***2#");
    EXPECT_EQ(Log("LastDevice"), "COM5:");
    EXPECT_EQ(Entry("Entry ZedSMS GPRS - COM5:", "DeviceType"), "modem");
    GprsLink().WSPRasHangUp("modem: COM5:");
    EXPECT_EQ(Log("HangUps"), "1");
    EXPECT_EQ(Entry("Entry ZedSMS GPRS - COM5:", "DeviceName"), "<gone>") << "the entry goes with the connection";
  }
  {
    ModemRegistryEntry driver("Driver Dial Modem", "COM5");
    DriverInitStrings init("Driver Dial Modem");
    init.Set("1", "AT+CGDCONT=4,\"IP\",\"mms.example\"<cr>");
    ModemSimulator modem(1, ModemProfile{});
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(Dial("Modem: Driver Dial Modem", "127.0.0.1:" + std::to_string(ClosedLoopbackPort())), 1);
    EXPECT_EQ(Log("LastPhoneNumber"), "*99***4#");
    EXPECT_TRUE(modem.Transcript().empty()) << "the driver defines it when it dials";
    EXPECT_EQ(Entry("Entry ZedSMS GPRS - Driver Dial Modem", "DeviceName"), "<gone>");
  }
  ModemProfile silent;
  silent.silent = true;
  ModemSimulator modem(1, silent);
  ASSERT_TRUE(modem.Running());
  EXPECT_EQ(Dial("Modem: COM5:", gateway.Address(), "", "bad\"apn"), 0);
  EXPECT_EQ(Log("LastPhoneNumber"), "*99#") << "no usable context: the default";
  EXPECT_TRUE(modem.Transcript().empty()) << "an unusable APN is never sent";
  GprsLink().WSPRasHangUp("Modem: COM5:");
}

TEST_F(DialupTest, TellsTheModemAndCredentialsOfAConnectionAndRefusesWspSessions) {
  auto modemName = reinterpret_cast<BOOL(__cdecl*)(const char*, char*, DWORD)>(GprsLink().RasGetModemName);
  auto credentials =
      reinterpret_cast<BOOL(__cdecl*)(const char*, char*, DWORD, char*, DWORD)>(GprsLink().RasGetUserAndPassword);
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

  auto connect = reinterpret_cast<DWORD(__cdecl*)(const char*)>(GprsLink().WSPConnect);
  auto request = reinterpret_cast<int(__cdecl*)(DWORD, const char*, const char*, const void*, DWORD, char*, DWORD)>(
      GprsLink().WSPRequest);
  SetLastError(0);
  EXPECT_EQ(connect("192.0.2.1"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  char response[8] = "stale";
  EXPECT_EQ(request(0, "GET", "http://mms.example/", nullptr, 0, response, sizeof response), -1);
  EXPECT_STREQ(response, "");
}

TEST_F(DialupTest, ASecondProcessFindsTheStandInThroughTheVariableOrTheRegistry) {
  GatewayListener gateway;
  EXPECT_EQ(RunChild("dial \"Office VPN\" mms.example \"\" \"\" " + gateway.Address()), 0u);
  EXPECT_EQ(Log("Dials"), "1") << "the variable is inherited";
  EXPECT_EQ(Log("LastUser"), "alice");

  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZedSMS Lite", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "RasLibrary", 0, REG_SZ, reinterpret_cast<const BYTE*>("FAKERAS.DLL"), 12);
  SetEnvironmentVariableA("ZEDSMS_RAS_LIBRARY", nullptr);
  WritePrivateProfileStringA("FakeRas", "DialResult", "678", ini_.c_str());
  DWORD code = RunChild("dial \"Office VPN\" mms.example \"\" \"\" 127.0.0.1:1");
  UseFakeRas();
  RegDeleteValueA(key, "RasLibrary");
  RegCloseKey(key);
  EXPECT_EQ(code, 678u);
  EXPECT_EQ(Log("Dials"), "2");
}

}  // namespace
