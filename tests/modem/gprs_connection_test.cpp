// The GPRS connection check: the page side with a test copy of its own, the
// real elevated console over the dial-up stand-in, and the elevated side's
// driver update.
#include <algorithm>
#include <map>

#include "config/config_files.h"
#include "gprslink/gprslink_fixture.h"
#include "modem/gprs_check.h"
#include "modem/modem_page_fixture.h"
#include "services/rights.h"
#include "support/modem_cable.h"
#include "support/modem_registry.h"
#include "support/service_fixture.h"
#include "support/window_driver.h"

namespace {

const char kElevationQuestion[] =
    "plain YesNoCancel: Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to assume "
    "administrator rights to perform this task.\r\n\r\nDo you wish to continue?";
const char kPassed[] = "info OK: Connection Test OK!";
const char kFailed[] = "error RetryCancel: Connection Failed";
const char kRasFailed[] = "error RetryCancel: Connection Failed\r\nRAS Error 619\r\nFake dial-up error 619.";

std::string ModemTestIniPath() {
  char path[MAX_PATH];
  ProgramDataPath("MODEMTEST.INI", path, sizeof path);
  return path;
}

// A test copy in this process: records what it finds in MODEMTEST.INI and
// leaves the scripted result (the last one repeats), or replaces the file.
struct TestCopy {
  std::vector<std::string> results;
  std::string rawFile;
  std::vector<std::map<std::string, std::string>> seen;
  std::string parameters;
};
TestCopy g_copy;

HANDLE RunTestCopy(const char* parameters) {
  g_copy.parameters = parameters;
  std::string ini = ModemTestIniPath();
  std::map<std::string, std::string> seen;
  for (const char* key : {"WAPGatewayIP", "APN", "APNLogin", "APNPass", "ModemName", "DialUpProfile", "Result"})
    seen[key] = ReadIni(ini, "ModemTest", key, "<none>");
  if (!g_copy.rawFile.empty()) {
    WriteFileText(ini, g_copy.rawFile);
  } else if (!g_copy.results.empty()) {
    size_t index = std::min(g_copy.seen.size(), g_copy.results.size() - 1);
    WritePrivateProfileStringA("ModemTest", "Result", g_copy.results[index].c_str(), ini.c_str());
  }
  g_copy.seen.push_back(seen);
  return nullptr;
}

class GprsCheckOnThePage : public ModemPageTest {
 protected:
  void SetUp() override {
    ModemPageTest::SetUp();
    g_copy = TestCopy{};
    Rights().runElevated = RunTestCopy;
    ConfigureModem("Checked Modem", true);
  }
  void TearDown() override {
    EXPECT_FALSE(FileExists(ModemTestIniPath())) << "MODEMTEST.INI is always removed";
    ModemPageTest::TearDown();
  }
};

// A refused setting (the order of the checks has its native table) starts no
// copy; then the settings reach the copy in normal form, and what it leaves in
// the file decides what the page says. Without full rights a newer system asks
// before elevating the copy; an older one starts it plainly. Saving untested
// settings asks to test them first.
TEST_F(GprsCheckOnThePage, SaysWhatTheCopyFoundAndAsksBeforeElevating) {
  AddDialUpEntry("Office VPN");
  SetModemKey("Checked Modem", "APNLogin", "");
  SetModemKey("Checked Modem", "DialUpProfile", "Office VPN");
  std::string junk;
  for (int i = 0; i < 700; ++i) junk += static_cast<char>('A' + (i * 7) % 58);  // letters, brackets, symbols
  const struct {
    std::vector<std::string> results;
    std::string rawFile;
    std::vector<int> answers;
    std::vector<std::string> shown;
  } rows[] = {{{}, "", {}, {}},  // no result: nothing to say
              {{"Connection Failed", "Connection Test OK!"}, "", {IDRETRY, IDOK}, {kFailed, kPassed}},
              {{junk}, "", {IDCANCEL}, {"error RetryCancel: " + junk.substr(0, 499)}},  // cut
              {{}, std::string("\x01\x02garbage\x7f\xff=\r\n[") + std::string(3000, 'x'), {}, {}}};
  boxes_.Answer(IDOK);
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, IDC_MODEM_WAP_GATEWAY, "10.0.0.256");
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, IDC_MODEM_WAP_GATEWAY));
    EXPECT_TRUE(g_copy.seen.empty());
    EXPECT_FALSE(sheet_.mmsSettingsTested) << "the gateway was edited";
    Type(page, IDC_MODEM_WAP_GATEWAY, "010.000.001.002");
    for (const auto& row : rows) {
      SCOPED_TRACE(&row - rows);
      g_copy = TestCopy{row.results, row.rawFile};
      size_t before = boxes_.Boxes().size();
      for (int answer : row.answers) boxes_.Answer(answer);
      sheet_.mmsSettingsTested = false;
      Click(page, IDC_MODEM_TEST_CONNECTION);
      std::vector<std::string> shown = BoxLines(boxes_.Boxes());
      EXPECT_EQ(std::vector<std::string>(shown.begin() + before, shown.end()), row.shown);
      EXPECT_EQ(sheet_.mmsSettingsTested, !row.shown.empty() && row.shown.back() == kPassed);
      EXPECT_EQ(g_copy.seen.size(), row.answers.size() == 2 ? 2u : 1u);  // Retry runs it again
      for (const auto& seen : g_copy.seen)
        EXPECT_EQ(seen, (std::map<std::string, std::string>{
                            {"WAPGatewayIP", "10.0.1.2"}, {"APN", "mms.example"}, {"APNLogin", ""},
                            {"APNPass", "secret"}, {"ModemName", "Checked Modem"},
                            {"DialUpProfile", "Office VPN"}, {"Result", "<none>"}}))
            << "an empty login is written, not removed; no stale result is left";
      EXPECT_EQ(g_copy.parameters, "/MODEMTEST");
    }

    Rights().openServiceManager = DenyFullAccess;
    Rights().runElevated = [](const char*) -> HANDLE {
      ADD_FAILURE() << "the test copy was started";
      return nullptr;
    };
    boxes_.Answer(IDNO);
    Click(page, IDC_MODEM_TEST_CONNECTION);
    Rights().isVistaOrLater = [] { return false; };
    Rights().runPlain = RunTestCopy;
    g_copy = TestCopy{{"Connection Test OK!"}};
    boxes_.Answer(IDOK);
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_EQ(g_copy.parameters, "/MODEMTEST");

    // Yes to the untested question tests, and a failure asks again.
    g_copy = TestCopy{{"Connection Failed"}};
    for (int answer : {IDYES,      // test before saving
                       IDCANCEL,   // the failure: no retry
                       IDCANCEL,   // still untested: do not save
                       IDYES})     // exit without saving
      boxes_.Answer(answer);
    Type(page, IDC_MODEM_APN, "other.example");
    EXPECT_FALSE(Apply(sheet));
    EXPECT_TRUE(sheet_.configDirty) << "nothing was saved";
    EXPECT_EQ(ModemKey("Checked Modem", "APN"), "mms.example");
    EXPECT_EQ(g_copy.seen.size(), 1u);
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()).front(), "error OK: Invalid WAP Gateway Address");
  std::vector<std::string> shown = BoxLines(boxes_.Boxes());
  EXPECT_EQ(std::vector<std::string>(shown.end() - 6, shown.end()),
            (std::vector<std::string>{kElevationQuestion, kPassed, kUntested, kFailed, kUntested, kExitUnsaved}));
}

// With MMS on, Next goes on only after a passed test, and only then applies.
TEST_F(GprsCheckOnThePage, TheWizardGoesOnAfterAPassedTest) {
  g_copy.results = {"Connection Failed", "Connection Test OK!"};
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDOK);
  RunSheet(
      [&](HWND sheet, HWND page) {
        Type(page, IDC_MODEM_PIN, "5678");
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_EQ(CurrentPageIndex(sheet), 0) << "the test failed";
        EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "<none>") << "nothing applied";
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 1; }, 10000));
        EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "5678") << "applied after the pass";
        EXPECT_EQ(ReadIni(RouteIni(), "VASP", "Protocol"), "MM1");
        EXPECT_FALSE(sheet_.configDirty);
        Press(sheet, PSBTN_CANCEL);
      },
      true);
  EXPECT_EQ(g_copy.seen.size(), 2u);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (std::vector<std::string>{kFailed, kPassed}));
}

// The page and the real elevated console, dialling through the stand-in: a
// gateway that does not answer, a modem another process holds, then a
// dial-up error over a chosen connection, and Retry after it is cleared.
int g_launches = 0;

TEST_F(ModemPageTest, TheConnectionTestThroughTheRealConsole) {
  GatewayListener gateway;
  ASSERT_NE(gateway.Port(), 0u);
  ConfigureModem("GPRS Test Modem", true);
  SetModemKey("GPRS Test Modem", "WAPGatewayIP", ("http://" + gateway.Address()).c_str());
  AddDialUpEntry("Office VPN");
  g_launches = 0;
  auto ras = [&](std::vector<const char*> keys) {
    std::string log;
    for (const char* key : keys) log += std::string(key) + "=" + RasLog(key) + " ";
    return log;
  };
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDCANCEL);
  for (int answer : {IDYES, IDRETRY, IDOK}) boxes_.Answer(answer);
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, IDC_MODEM_WAP_GATEWAY, ("http://" + ClosedLoopbackAddress()).c_str());
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_EQ(ras({"Dials", "HangUps"}), "Dials=1 HangUps=1 ");
    Type(page, IDC_MODEM_WAP_GATEWAY, ("http://" + gateway.Address()).c_str());
    {
      ModemHeldElsewhere holder("GPRS Test Modem");
      ASSERT_TRUE(holder.Held()) << "the other process never got the modem";
      Click(page, IDC_MODEM_TEST_CONNECTION);
    }
    EXPECT_EQ(ras({"Dials"}), "Dials=1 ") << "no dial for a modem in use";

    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    Choose(page, IDC_MODEM_NETWORK_CONNECTION, "Office VPN");
    WritePrivateProfileStringA("FakeRas", "DialResult", "619", FakeRas().c_str());
    Rights().openServiceManager = DenyFullAccess;
    // The second console finds the dial-up error cleared.
    Rights().runElevated = [](const char* parameters) {
      if (++g_launches == 2) {
        char ini[MAX_PATH];
        ProgramDataPath("FAKERAS.INI", ini, sizeof ini);
        WritePrivateProfileStringA("FakeRas", "DialResult", nullptr, ini);
      }
      return RunRealConsole(parameters);
    };
    sheet_.mmsSettingsTested = false;
    Click(page, IDC_MODEM_TEST_CONNECTION);
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    sheet_.configDirty = false;
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(g_launches, 2);
  EXPECT_EQ(BoxLines(boxes_.Boxes()),
            (std::vector<std::string>{"error RetryCancel: Unable to connect to WAP Gateway",
                                      "error RetryCancel: Unable to allocate modem, modem in use by ZedSMS",
                                      kElevationQuestion, kRasFailed, kPassed}));
  EXPECT_EQ(ras({"Dials", "Connected", "LastEntry", "LastUser", "LastPassword"}),
            "Dials=3 Connected=No LastEntry=Office VPN LastUser=mmsuser LastPassword=secret ");
  EXPECT_FALSE(FileExists(ModemTestIniPath()));
}

// The elevated side on its own: a modem that forgets the context the check
// defines has the APN put into its driver's initialisation, which takes a
// restart; declining it dials all the same. A modem that keeps it gets a
// free context and no update. Without the link library the result is an
// internal error.
TEST_F(ModemPageTest, TheElevatedSideUpdatesTheDriverOnlyForAModemThatForgetsTheContext) {
  static int restarts = 0;
  Rights().restartSystem = [] { ++restarts; };
  auto parameters = [](const char* modem, const std::string& gateway) {
    for (auto [key, value] : {std::pair<const char*, std::string>{"WAPGatewayIP", gateway}, {"APN", "mms.example"},
                              {"APNLogin", ""}, {"APNPass", ""}, {"ModemName", modem}})
      WritePrivateProfileStringA("ModemTest", key, value.c_str(), ModemTestIniPath().c_str());
  };
  auto result = [] { return ReadIni(ModemTestIniPath(), "ModemTest", "Result", "<none>"); };
  const struct {
    const char* modem;
    bool keepsContexts;
    int answer;  // to the restart question, 0 when none is asked
    const char* result;
  } rows[] = {{"Forgetful Restart Modem", false, IDYES, "Please restart your system before continuing"},
              {"Forgetful Modem", false, IDNO, "Connection Test OK!"},
              {"Keeping Modem", true, 0, "Connection Test OK!"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.modem);
    ModemProfile profile;
    profile.keepsContexts = row.keepsContexts;
    profile.contexts = {{1, "internet.example"}};
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    ModemRegistryEntry driver(row.modem, "COM5");
    GatewayListener gateway;
    parameters(row.modem, "http:" + gateway.Address());
    if (row.answer) boxes_.Answer(row.answer);
    ModemConnectionTest();
    EXPECT_EQ(result(), row.result);
    auto init = driver.Init();
    ASSERT_EQ(init.size(), row.keepsContexts ? 0u : 1u);
    EXPECT_TRUE(row.keepsContexts || init[0].second.find("mms.example") != std::string::npos);
    EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
    if (row.answer == IDYES) {
      EXPECT_EQ(RasLog("Dials"), "<none>") << "no dial before the restart";
    } else {
      EXPECT_EQ(RasLog("LastEntry") + " " + RasLog("Connected"), std::string("ZedSMS GPRS - ") + row.modem + " No");
      EXPECT_EQ(RunChild(std::string("allocate \"") + row.modem + "\" 0 0"), 0u) << "the modem was given back";
    }
  }
  EXPECT_EQ(restarts, 1);
  const std::string reboot =
      "question YesNo: ZedSMS has updated your modem driver settings to enable GPRS connectivity.\r\n\r\n"
      "Your system must be rebooted to apply these updates.\r\n\r\nDo you wish to reboot now?";
  EXPECT_EQ(BoxLines(boxes_.Boxes()), std::vector<std::string>(2, reboot));

  std::string folder = dir_.File("no link\\");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const char* file : {"SMSGWCFG.EXE", "GWCORE.DLL", "MMSACCT.DLL"})
    ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), (folder + file).c_str(), FALSE)) << file;
  parameters("Any Modem", "10.0.0.1");
  // The library is looked for in the current folder too.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(folder.c_str());
  int status = RunProgram(folder + "SMSGWCFG.EXE", "/MODEMTEST", 60000);
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(result(), "Internal Error");
}

}  // namespace
