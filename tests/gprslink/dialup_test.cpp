// Network connections of GPRSLINK.DLL over FAKERAS.DLL, the stand-in dial-up
// API. The Modem page's scenario sees the list of connections, and its
// connection test a second process finding the stand-in through the variable.
#include <windows.h>

#include <gtest/gtest.h>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/test_env.h"

namespace {

class DialupTest : public testing::Test {
 protected:
  void SetUp() override {
    UseFakeRas();
    for (auto [key, value] : {std::make_pair("DeviceName", "WAN Miniport"), std::make_pair("User", "alice"),
                              std::make_pair("Password", "wonderland")})
      WritePrivateProfileStringA("Entry Office VPN", key, value, ini_.c_str());
  }
  std::string Log(const char* key) { return ReadIni(ini_, "Log", key, "<none>"); }
  int Dial(const char* connection, const std::string& gateway, const char* login = "mmslogin",
           const char* apn = "mms.example") {
    return GprsLink().WSPRasDial(connection, apn, login, "mmspass", gateway.c_str());
  }

  TempDataDirectory dir_{"dialup"};
  const std::string ini_ = dir_.File("FAKERAS.INI");
};

// An entry is dialled and hung up unless the gateway answers; the modem and
// credentials of an entry; the error texts.
TEST_F(DialupTest, AnEntryIsDialledAndHungUpUnlessTheGatewayAnswers) {
  GatewayListener gateway;
  ASSERT_NE(gateway.Port(), 0u);
  const struct {
    const char* connection;
    std::string gateway;
    const char *login, *dialResult;
    int result;
    const char* log;  // entry, credentials dialled, hang-ups, connected
  } cases[] = {
      {"Office VPN", gateway.Address(), "mmslogin", "0", 0, "Office VPN mmslogin/mmspass <none> Yes"},
      {"Office VPN", gateway.Address(), "", "0", 0, "Office VPN alice/wonderland <none> Yes"},  // the entry's own
      {"Office VPN", ClosedLoopbackAddress(), "mmslogin", "0", 1, "Office VPN mmslogin/mmspass 1 No"},
      {"Office VPN", gateway.Address(), "mmslogin", "619", 619, "Office VPN mmslogin/mmspass 1 No"},
      {nullptr, gateway.Address(), "mmslogin", "0", -1, "<none> <none>/<none> <none> <none>"},
  };
  auto log = [&] {
    return Log("LastEntry") + " " + Log("LastUser") + "/" + Log("LastPassword") + " " + Log("HangUps") + " " +
           Log("Connected");
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    WritePrivateProfileStringA("Log", nullptr, nullptr, ini_.c_str());
    WritePrivateProfileStringA("FakeRas", "DialResult", c.dialResult, ini_.c_str());
    EXPECT_EQ(Dial(c.connection, c.gateway, c.login), c.result);
    EXPECT_EQ(log(), c.log);
    if (c.result != 0) continue;
    GprsLink().WSPRasHangUp(c.connection);
    GprsLink().WSPRasHangUp(c.connection);
    EXPECT_EQ(Log("HangUps") + Log("Connected"), "1No") << "once, then nothing left to hang up";
  }
  auto modemName = reinterpret_cast<BOOL(__cdecl*)(const char*, char*, DWORD)>(GprsLink().RasGetModemName);
  auto credentials =
      reinterpret_cast<BOOL(__cdecl*)(const char*, char*, DWORD, char*, DWORD)>(GprsLink().RasGetUserAndPassword);
  char name[8] = "", user[4] = "", password[32] = "";
  EXPECT_TRUE(modemName("Office VPN", name, sizeof name) &&
              credentials("Office VPN", user, sizeof user, password, sizeof password));
  std::string texts = std::string(name) + "|" + user + "|" + password + "|";
  for (auto [error, room] : {std::make_pair(619, 64), std::make_pair(619, 6), std::make_pair(42, 64)}) {
    char text[64] = "";
    GprsLink().WSPRasGetErrorString(error, text, room);
    texts += std::string(text) + "|";
  }
  EXPECT_EQ(texts, "WAN Min|ali|wonderland|Fake dial-up error 619.|Fake |Dial-up error 42|")
      << "cut to the room; the API's text or our own";
}

// A modem is dialled through an entry of its own for the APN's context,
// which goes with the connection.
TEST_F(DialupTest, AModemIsDialledThroughAnEntryOfItsOwnForTheApnsContext) {
  GatewayListener gateway;
  ModemRegistryEntry driver("Driver Dial Modem", "COM5");
  const struct {
    const char *connection, *apn, *init;
    std::string gateway;
    int result;
    const char* number;
    std::vector<std::string> sent;
  } cases[] = {
      {"Modem: COM5:", "mms.example", nullptr, gateway.Address(), 0, "*99***2#",
       {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?", "AT+CGDCONT=2,\"IP\",\"mms.example\""}},
      {"Modem: Driver Dial Modem", "mms.example", "AT+CGDCONT=4,\"IP\",\"mms.example\"<cr>", ClosedLoopbackAddress(),
       1, "*99***4#", {}},  // the driver defines it when it dials
      {"Modem: COM5:", "bad\"apn", nullptr, gateway.Address(), 0, "*99#", {}},  // never sent; the default
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    ModemProfile profile;
    profile.contexts = {{1, "internet.example"}};
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    driver.RemoveInit();
    if (c.init) driver.SetInit("1", c.init);
    EXPECT_EQ(Dial(c.connection, c.gateway, "", c.apn), c.result);
    EXPECT_EQ(modem.Transcript(), c.sent);
    std::string entry = "ZedSMS GPRS - " + std::string(c.connection + 7);
    EXPECT_EQ(Log("LastEntry") + "|" + Log("LastPhoneNumber") + "|" + Log("LastDevice"),
              entry + "|" + c.number + "|" + (c.connection + 7));
    GprsLink().WSPRasHangUp(c.connection);
    EXPECT_EQ(ReadIni(ini_, ("Entry " + entry).c_str(), "DeviceType", "<gone>"), "<gone>");
  }
}

// The elevated copy of the console does not inherit the variable.
TEST_F(DialupTest, ASecondProcessFindsTheStandInThroughTheRegistry) {
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
  EXPECT_EQ(Log("Dials") + Log("LastUser"), "1alice");
}

}  // namespace
