// Network connections of GPRSLINK.DLL over FAKERAS.DLL, the stand-in dial-up
// API. The Modem page's scenario sees the list of connections; the console's
// connection test dials with an APN login, has the gateway answer or not, and
// hangs up what stays connected.
#include <windows.h>

#include <gtest/gtest.h>

#include "gprslink/gprslink_fixture.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/test_env.h"

namespace {

// A dial-up entry is dialled with its own credentials, a modem through an
// entry of its own for the APN's context: its driver's, else the modem's,
// defined when missing, and none for an APN that cannot be sent. A failed dial
// or a gateway that does not answer is hung up, and a modem's entry goes with
// it. Then our own error text where the API has none.
TEST(Dialup, ConnectionsAreDialledThroughTheirEntryAndHungUpWhenTheyFail) {
  TempDataDirectory dir("dialup");
  const std::string ini = dir.File("FAKERAS.INI"), closed = ClosedLoopbackAddress();
  auto log = [&](const char* key) { return ReadIni(ini, "Log", key, "<none>"); };
  UseFakeRas();
  WriteFileText(ini, "[Entry Office VPN]\r\nDeviceName=WAN Miniport\r\nUser=alice\r\nPassword=wonderland\r\n");
  const struct {
    const char *connection, *apn, *dialResult;
    int result;
    const char* log;  // entry, number, device, credentials dialled
    std::vector<std::string> sent;
  } cases[] = {
      {"Office VPN", "mms.example", "619", 619, "Office VPN||WAN Miniport|alice/wonderland"},
      {"Modem: COM5:", "mms.example", "0", 1, "ZedSMS GPRS - COM5:|*99***2#|COM5:|/",
       {"ATE0V1", "AT+CGDCONT?", "AT+CGDCONT=?", "AT+CGDCONT=2,\"IP\",\"mms.example\""}},
      {"Modem: COM5:", "bad\"apn", "0", 1, "ZedSMS GPRS - COM5:|*99#|COM5:|/"},  // never sent
      {"Modem: Dial Modem", "mms.example", "0", 1, "ZedSMS GPRS - Dial Modem|*99***4#|Dial Modem|/"},
  };
  ModemProfile profile;
  profile.contexts = {{1, "internet.example"}};
  ModemRegistryEntry driver("Dial Modem", "COM5");
  driver.SetInit("1", "AT+CGDCONT=4,\"IP\",\"mms.example\"<cr>");
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    WritePrivateProfileStringA("Log", nullptr, nullptr, ini.c_str());
    WritePrivateProfileStringA("FakeRas", "DialResult", c.dialResult, ini.c_str());
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    EXPECT_EQ(GprsLink().WSPRasDial(c.connection, c.apn, "", "", closed.c_str()), c.result);
    EXPECT_EQ(log("LastEntry") + "|" + log("LastPhoneNumber") + "|" + log("LastDevice") + "|" + log("LastUser") + "/" +
                  log("LastPassword"),
              c.log);
    EXPECT_EQ(log("HangUps") + log("Connected"), "1No");
    EXPECT_EQ(modem.Transcript(), c.sent);
    bool gone = ReadIni(ini, ("Entry " + log("LastEntry")).c_str(), "DeviceName", "<gone>") == "<gone>";
    EXPECT_EQ(gone, c.connection[0] == 'M') << "a modem's entry goes with the connection";
  }
  char text[32] = "";
  GprsLink().WSPRasGetErrorString(42, text, sizeof text);
  EXPECT_STREQ(text, "Dial-up error 42") << "our own text for a code the API has none for";
}

}  // namespace
