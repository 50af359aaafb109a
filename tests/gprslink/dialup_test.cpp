// Network connections of GPRSLINK.DLL over FAKERAS.DLL, the stand-in dial-up
// API. The Modem page's scenario sees the list of connections.
#include <windows.h>

#include <gtest/gtest.h>

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
    for (auto [key, value] : {std::make_pair("DeviceName", "WAN Miniport"), std::make_pair("PhoneNumber", "*99#"),
                              std::make_pair("User", "alice"), std::make_pair("Password", "wonderland")})
      WritePrivateProfileStringA("Entry Office VPN", key, value, ini_.c_str());
  }
  std::string Log(const char* key) { return ReadIni(ini_, "Log", key, "<none>"); }
  std::string Entry(const std::string& name) { return ReadIni(ini_, ("Entry " + name).c_str(), "DeviceName", "<gone>"); }
  int Dial(const char* connection, const std::string& gateway, const char* login = "mmslogin",
           const char* apn = "mms.example") {
    return GprsLink().WSPRasDial(connection, apn, login, "mmspass", gateway.c_str());
  }

  TempDataDirectory dir_{"dialup"};
  const std::string ini_ = dir_.File("FAKERAS.INI");
};

TEST_F(DialupTest, AnEntryIsDialledAndHungUpUnlessTheGatewayAnswers) {
  GatewayListener gateway;
  ASSERT_NE(gateway.Port(), 0u);
  const struct {
    const char* why;
    const char* connection;
    std::string gateway;
    const char *login, *dialResult;
    int result;
    std::map<std::string, std::string> log;
  } cases[] = {
      {"the gateway answers", "Office VPN", gateway.Address(), "mmslogin", "0", 0,
       {{"LastEntry", "Office VPN"}, {"LastUser", "mmslogin"}, {"LastPassword", "mmspass"}, {"Connected", "Yes"},
        {"HangUps", "<none>"}}},
      {"without an APN login the entry's own; an http: gateway", "Office VPN", "http:" + gateway.Address(), "", "0",
       0, {{"LastUser", "alice"}, {"LastPassword", "wonderland"}}},
      {"a gateway that does not answer", "Office VPN", ClosedLoopbackAddress(), "mmslogin", "0", 1,
       {{"Dials", "1"}, {"HangUps", "1"}, {"Connected", "No"}}},
      {"a dial-up error", "Office VPN", gateway.Address(), "mmslogin", "619", 619, {{"HangUps", "1"}}},
      {"no name", nullptr, gateway.Address(), "mmslogin", "0", -1, {{"Dials", "<none>"}}},
  };
  for (const auto& c : cases) {
    WritePrivateProfileStringA("Log", nullptr, nullptr, ini_.c_str());
    WritePrivateProfileStringA("FakeRas", "DialResult", c.dialResult, ini_.c_str());
    EXPECT_EQ(Dial(c.connection, c.gateway, c.login), c.result) << c.why;
    for (const auto& [key, value] : c.log) EXPECT_EQ(Log(key.c_str()), value) << c.why << ": " << key;
    if (c.result != 0) continue;
    GprsLink().WSPRasHangUp(c.connection);
    GprsLink().WSPRasHangUp(c.connection);
    EXPECT_EQ(Log("HangUps") + Log("Connected"), "1No") << c.why << ": once, then nothing left to hang up";
  }
  const std::pair<DWORD, DWORD> errors[] = {{619, 64}, {619, 6}, {42, 64}};
  std::string texts;
  for (auto [error, room] : errors) {
    char text[64] = "";
    GprsLink().WSPRasGetErrorString(error, text, room);
    texts += std::string(text) + "|";
  }
  EXPECT_EQ(texts, "Fake dial-up error 619.|Fake |Dial-up error 42|") << "the API's text, cut to the room, or our own";
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
    EXPECT_EQ(Log("LastEntry") + "|" + Log("LastPhoneNumber") + "|" + Log("LastDevice"),
              "ZedSMS GPRS - COM5:|*99***2#|COM5:");
    EXPECT_EQ(ReadIni(ini_, "Entry ZedSMS GPRS - COM5:", "DeviceType"), "modem");
    GprsLink().WSPRasHangUp("modem: COM5:");
    EXPECT_EQ(Log("HangUps"), "1");
    EXPECT_EQ(Entry("ZedSMS GPRS - COM5:"), "<gone>") << "the entry goes with the connection";
  }
  {
    ModemRegistryEntry driver("Driver Dial Modem", "COM5");
    driver.SetInit("1", "AT+CGDCONT=4,\"IP\",\"mms.example\"<cr>");
    ModemSimulator modem(1, ModemProfile{});
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(Dial("Modem: Driver Dial Modem", ClosedLoopbackAddress()), 1);
    EXPECT_EQ(Log("LastPhoneNumber"), "*99***4#");
    EXPECT_TRUE(modem.Transcript().empty()) << "the driver defines it when it dials";
    EXPECT_EQ(Entry("ZedSMS GPRS - Driver Dial Modem"), "<gone>");
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

TEST_F(DialupTest, TellsTheModemAndCredentialsOfAConnection) {
  auto modemName = reinterpret_cast<BOOL(__cdecl*)(const char*, char*, DWORD)>(GprsLink().RasGetModemName);
  auto credentials =
      reinterpret_cast<BOOL(__cdecl*)(const char*, char*, DWORD, char*, DWORD)>(GprsLink().RasGetUserAndPassword);
  char name[16] = "";
  for (auto [connection, modem] : {std::make_pair("Modem: Acme GSM", "Acme GSM"),
                                   std::make_pair("Office VPN", "WAN Miniport"),
                                   std::make_pair("Modem: A very long modem name", "A very long mod"),
                                   std::make_pair("No Such Entry", "")}) {
    EXPECT_EQ(modemName(connection, name, sizeof name) != FALSE, modem[0] != '\0');
    EXPECT_STREQ(name, modem);
  }
  char user[4] = "x", password[32] = "x";
  EXPECT_TRUE(credentials("Office VPN", user, sizeof user, password, sizeof password));
  EXPECT_EQ(std::string(user) + "|" + password, "ali|wonderland");
  EXPECT_FALSE(credentials("Modem: Acme GSM", user, sizeof user, password, sizeof password) ||
               credentials("No Such Entry", user, sizeof user, password, sizeof password));
  EXPECT_STREQ(user, "");

}

TEST_F(DialupTest, ASecondProcessFindsTheStandInThroughTheVariableOrTheRegistry) {
  GatewayListener gateway;
  EXPECT_EQ(RunChild("dial \"Office VPN\" mms.example \"\" \"\" " + gateway.Address()), 0u);
  EXPECT_EQ(Log("Dials") + "|" + Log("LastUser"), "1|alice") << "the variable is inherited";
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
