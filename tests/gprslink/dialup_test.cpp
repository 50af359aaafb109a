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

  TempDataDirectory dir_{"dialup"};
  const std::string ini_ = dir_.File("FAKERAS.INI");
};

// A dial-up entry, or a modem through an entry of its own for the APN's
// context which goes with the connection, is dialled and hung up unless the
// gateway answers (the connection test through the real console has the
// gateway that does not answer and the dial-up error with an APN login). Then
// the device and credentials of an entry, and the error texts.
TEST_F(DialupTest, ConnectionsAreDialledAndHungUpUnlessTheGatewayAnswers) {
  GatewayListener gateway;
  ASSERT_NE(gateway.Port(), 0u);
  const std::string answers = gateway.Address(), closed = ClosedLoopbackAddress();
  const struct {
    const char *connection, *apn, *login, *dialResult;
    const std::string& gateway;
    int result;
    const char* log;  // entry, number, device, credentials dialled, hang-ups, connected
    std::vector<std::string> sent;
  } cases[] = {
      {"Office VPN", "mms.example", "mms", "0", answers, 0, "Office VPN||WAN Miniport|mms/pw|<none>|Yes"},
      {"Office VPN", "mms.example", "", "619", answers, 619, "Office VPN||WAN Miniport|alice/wonderland|1|No"},
      {"Modem: COM5:", "mms.example", "", "0", answers, 0, "ZedSMS GPRS - COM5:|*99***2#|COM5:|/|<none>|Yes",
       {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?", "AT+CGDCONT=2,\"IP\",\"mms.example\""}},
      {"Modem: COM5:", "bad\"apn", "", "0", answers, 0, "ZedSMS GPRS - COM5:|*99#|COM5:|/|<none>|Yes"},  // never sent
      // The driver defines it when it dials.
      {"Modem: Driver Dial Modem", "mms.example", "", "0", closed, 1,
       "ZedSMS GPRS - Driver Dial Modem|*99***4#|Driver Dial Modem|/|1|No"},
  };
  ModemProfile profile;
  profile.contexts = {{1, "internet.example"}};
  ModemRegistryEntry driver("Driver Dial Modem", "COM5");
  driver.SetInit("1", "AT+CGDCONT=4,\"IP\",\"mms.example\"<cr>");
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    WritePrivateProfileStringA("Log", nullptr, nullptr, ini_.c_str());
    WritePrivateProfileStringA("FakeRas", "DialResult", c.dialResult, ini_.c_str());
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(GprsLink().WSPRasDial(c.connection, c.apn, c.login, "pw", c.gateway.c_str()), c.result);
    EXPECT_EQ(Log("LastEntry") + "|" + Log("LastPhoneNumber") + "|" + Log("LastDevice") + "|" + Log("LastUser") + "/" +
                  Log("LastPassword") + "|" + Log("HangUps") + "|" + Log("Connected"),
              c.log);
    EXPECT_EQ(modem.Transcript(), c.sent);
    if (c.result == 0) {
      GprsLink().WSPRasHangUp(c.connection);
      GprsLink().WSPRasHangUp(c.connection);
      EXPECT_EQ(Log("HangUps") + Log("Connected"), "1No") << "once, then nothing left to hang up";
    }
    bool gone = ReadIni(ini_, ("Entry " + Log("LastEntry")).c_str(), "DeviceName", "<gone>") == "<gone>";
    EXPECT_EQ(gone, c.connection[0] == 'M') << "a modem's entry goes with the connection";
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

// The elevated copy of the console does not inherit the variable.
TEST_F(DialupTest, ASecondProcessFindsTheStandInThroughTheRegistry) {
  const char kKey[] = "SOFTWARE\\ZedSMS Lite";
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "RasLibrary", REG_SZ, "FAKERAS.DLL", 12), ERROR_SUCCESS);
  SetEnvironmentVariableA("ZEDSMS_RAS_LIBRARY", nullptr);
  WritePrivateProfileStringA("FakeRas", "DialResult", "678", ini_.c_str());
  DWORD code = RunChild("dial \"Office VPN\" mms.example \"\" \"\" 127.0.0.1:1");
  UseFakeRas();
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKey, "RasLibrary");
  EXPECT_EQ(code, 678u);
  EXPECT_EQ(Log("Dials") + Log("LastUser"), "1alice");
}

}  // namespace
