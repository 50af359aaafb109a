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
    "Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to assume "
    "administrator rights to perform this task.\r\n\r\nDo you wish to continue? [Cancel Yes No]";
const char kPassed[] = "info: Connection Test OK!";
const char kFailed[] = "error: Connection Failed [Cancel Retry]";
const char kRasFailed[] = "error: Connection Failed\r\nRAS Error 619\r\nFake dial-up error 619. [Cancel Retry]";


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

HANDLE RefuseToRun(const char*) {
  ADD_FAILURE() << "the test copy was started";
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
  // Presses Test Connection once on a page with the stored settings.
  void TestOnce() {
    RunSheet([&](HWND sheet, HWND page) {
      sheet_.mmsSettingsTested = false;
      Click(page, IDC_MODEM_TEST_CONNECTION);
      Press(sheet, PSBTN_CANCEL);
    });
  }
};

TEST_F(GprsCheckOnThePage, IncompleteSettingsAreRefusedBeforeAnythingIsWritten) {
  struct Row {
    const char* url;
    const char* gateway;
    int focus;
    const char* box;
  };
  const Row rows[] = {{"", "10.1.2.3", IDC_MODEM_MMS_URL, "error: MMS Server URL is Required!"},
                      {"http://mms.example/", "", IDC_MODEM_WAP_GATEWAY, "error: WAP Gateway Address is Required!"},
                      {"http://mms.example/", "10.0.0.256", IDC_MODEM_WAP_GATEWAY, "error: Invalid WAP Gateway Address"}};
  std::vector<std::string> expected;
  for (const Row& row : rows) {
    boxes_.Answer(IDOK);
    expected.push_back(row.box);
  }
  RunSheet([&](HWND sheet, HWND page) {
    for (const Row& row : rows) {
      Type(page, IDC_MODEM_MMS_URL, row.url);
      Type(page, IDC_MODEM_WAP_GATEWAY, row.gateway);
      Click(page, IDC_MODEM_TEST_CONNECTION);
      EXPECT_EQ(FocusOf(page), GetDlgItem(page, row.focus)) << row.box;
      EXPECT_EQ(Text(page, IDC_MODEM_WAP_GATEWAY), row.gateway);
      EXPECT_FALSE(FileExists(ModemTestIniPath()));
    }
    sheet_.configDirty = false;
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(Shown(boxes_), expected);
  EXPECT_TRUE(g_copy.seen.empty());
  EXPECT_FALSE(sheet_.mmsSettingsTested) << "the gateway was edited";
}

// Another link than a modem (an SMPP or CIMD connection) shows as no modem:
// testing and leaving the page both ask for one.
TEST_F(GprsCheckOnThePage, WithoutAModemTestingAndLeavingOpenTheAddModemDialog) {
  ConfigureModem("SMPP - Provider");
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  int dialogs = 0;
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, IDC_MODEM_NAME), "");
    EXPECT_STREQ(sheet_.currentModemName, "");
    Click(page, IDC_MODEM_SEND_MMS);
    Type(page, IDC_MODEM_MMS_URL, "http://mms.example/");
    auto cancelAddModem = [&](HWND dialog) {
      ++dialogs;
      Cancel(dialog);
    };
    {
      WindowDriver addModem("Select Modem", cancelAddModem);
      Click(page, IDC_MODEM_TEST_CONNECTION);
    }
    {
      WindowDriver addModem("Select Modem", cancelAddModem);
      SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    }
    EXPECT_EQ(CurrentPageIndex(sheet), 0) << "the page was kept";
    sheet_.configDirty = false;
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(dialogs, 2);
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>(2, "error: Please select a modem"));
  EXPECT_TRUE(g_copy.seen.empty());
  EXPECT_EQ(ReadIni(SmsIni(), "SMSGW", "Modem1"), "SMPP - Provider");
}

// The settings reach the copy in normal form; what it leaves in the file
// decides what the page says.
TEST_F(GprsCheckOnThePage, TheCopyGetsTheSettingsAndWhatItLeavesDecidesTheOutcome) {
  AddDialUpEntry("Office VPN");
  SetModemKey("Checked Modem", "WAPGatewayIP", "010.000.001.002");
  SetModemKey("Checked Modem", "APNLogin", "");
  SetModemKey("Checked Modem", "DialUpProfile", "Office VPN");
  std::string junk;
  for (int i = 0; i < 700; ++i) junk += static_cast<char>('A' + (i * 7) % 58);  // letters, brackets, symbols
  struct Row {
    const char* name;
    std::vector<std::string> results;
    std::string rawFile;
    std::vector<int> answers;
    std::vector<std::string> shown;
    bool tested;
  };
  const Row rows[] = {
      {"no result", {}, "", {}, {}, false},
      {"a failure, Retry, a pass", {"Connection Failed", "Connection Test OK!"}, "", {IDRETRY, IDOK},
       {kFailed, kPassed}, true},
      {"a long garbled result is cut", {junk}, "", {IDCANCEL}, {"error: " + junk.substr(0, 499) + " [Cancel Retry]"},
       false},
      {"binary garbage instead of the file", {}, std::string("\x01\x02garbage\x7f\xff=\r\n[") + std::string(3000, 'x'),
       {}, {}, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    g_copy = TestCopy{row.results, row.rawFile};
    size_t before = boxes_.Boxes().size();
    for (int answer : row.answers) boxes_.Answer(answer);
    TestOnce();
    std::vector<std::string> shown = Shown(boxes_);
    EXPECT_EQ(std::vector<std::string>(shown.begin() + before, shown.end()), row.shown);
    EXPECT_EQ(sheet_.mmsSettingsTested, row.tested);
    EXPECT_EQ(g_copy.seen.size(), row.answers.empty() || row.answers[0] != IDRETRY ? 1u : 2u);
    for (const auto& seen : g_copy.seen) {
      EXPECT_EQ(seen, (std::map<std::string, std::string>{
                          {"WAPGatewayIP", "10.0.1.2"}, {"APN", "mms.example"}, {"APNLogin", ""},
                          {"APNPass", "secret"}, {"ModemName", "Checked Modem"},
                          {"DialUpProfile", "Office VPN"}, {"Result", "<none>"}}))
          << "an empty login is written, not removed; no stale result is left";
    }
    EXPECT_EQ(g_copy.parameters, "/MODEMTEST");
  }
}

// Without full rights a newer system asks before elevating the copy; an
// older one has no elevation and starts it plainly.
TEST_F(GprsCheckOnThePage, ElevationIsAskedForOnlyWhereTheSystemHasIt) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RefuseToRun;
  boxes_.Answer(IDNO);
  TestOnce();
  Rights().isVistaOrLater = [] { return false; };
  Rights().runPlain = RunTestCopy;
  g_copy.results = {"Connection Test OK!"};
  boxes_.Answer(IDOK);
  TestOnce();
  EXPECT_EQ(g_copy.parameters, "/MODEMTEST");
  EXPECT_EQ(Shown(boxes_), (std::vector<std::string>{kElevationQuestion, kPassed}));
}

TEST_F(GprsCheckOnThePage, YesToTheUntestedQuestionTestsAndAFailureIsAskedAgain) {
  g_copy.results = {"Connection Failed"};
  boxes_.Answer(IDYES);     // test before saving
  boxes_.Answer(IDCANCEL);  // the failure: no retry
  boxes_.Answer(IDCANCEL);  // still untested: do not save
  boxes_.Answer(IDYES);     // exit without saving
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, IDC_MODEM_APN, "other.example");
    EXPECT_FALSE(Apply(sheet));
    EXPECT_TRUE(sheet_.configDirty) << "nothing was saved";
    EXPECT_EQ(ModemKey("Checked Modem", "APN"), "mms.example");
    Press(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(g_copy.seen.size(), 1u);
  EXPECT_EQ(Shown(boxes_), (std::vector<std::string>{kUntested, kFailed, kUntested, kExitUnsaved}));
}

TEST_F(GprsCheckOnThePage, TheWizardGoesOnAfterAPassedTestOrWithMmsOff) {
  g_copy.results = {"Connection Failed", "Connection Test OK!"};
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDOK);
  RunSheet(
      [&](HWND sheet, HWND page) {
        EXPECT_TRUE(Enabled(sheet, 0x3023)) << "Back";
        Type(page, IDC_MODEM_PIN, "5678");
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_EQ(CurrentPageIndex(sheet), 0) << "the test failed";
        EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "<none>") << "nothing applied";
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 1; }, 10000));
        EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "5678") << "applied after the pass";
        EXPECT_EQ(RouteKey("Protocol"), "MM1");
        EXPECT_FALSE(sheet_.configDirty);

        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_BACK, 0);
        ASSERT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 0; }, 10000));
        Click(page, IDC_MODEM_SEND_MMS);
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        EXPECT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 1; }, 10000));
        EXPECT_EQ(RouteKey("Protocol"), "<none>") << "applied with MMS off, untested";
        Press(sheet, PSBTN_CANCEL);
      },
      true);
  EXPECT_EQ(g_copy.seen.size(), 2u);
  EXPECT_EQ(Shown(boxes_), (std::vector<std::string>{kFailed, kPassed}));
}

// The page and the real elevated console, dialling through the stand-in.
class GprsCheckThroughTheConsole : public ModemPageTest {
 protected:
  void SetUp() override {
    ModemPageTest::SetUp();
    ConfigureModem("GPRS Test Modem", true);
    SetModemKey("GPRS Test Modem", "WAPGatewayIP", ("http://" + gateway_.Address()).c_str());
    AddDialUpEntry("Office VPN");
    g_launches = 0;
  }
  void TearDown() override {
    EXPECT_FALSE(FileExists(ModemTestIniPath()));
    ModemPageTest::TearDown();
  }
  void TestOnPage(std::function<void(HWND)> prepare = nullptr) {
    RunSheet([&](HWND sheet, HWND page) {
      sheet_.mmsSettingsTested = false;
      if (prepare) prepare(page);
      Click(page, IDC_MODEM_TEST_CONNECTION);
      sheet_.configDirty = false;
      Press(sheet, PSBTN_CANCEL);
    });
  }
  void DialResult(const char* result) {
    WritePrivateProfileStringA("FakeRas", "DialResult", result, FakeRas().c_str());
  }
  // Compares the stand-in's log for the keys of the expected "key=value" lines.
  void ExpectLog(const std::vector<std::string>& expected) {
    std::vector<std::string> log;
    for (const std::string& line : expected) {
      std::string key = line.substr(0, line.find('='));
      log.push_back(key + "=" + RasLog(key.c_str()));
    }
    EXPECT_EQ(log, expected);
  }

  // Starts the real console; the second time with the dial-up error cleared.
  static HANDLE RunConsoleThenRecover(const char* parameters) {
    if (++g_launches == 2) {
      char ini[MAX_PATH];
      ProgramDataPath("FAKERAS.INI", ini, sizeof ini);
      WritePrivateProfileStringA("FakeRas", "DialResult", nullptr, ini);
    }
    return RunRealConsole(parameters);
  }
  static int g_launches;

  GatewayListener gateway_;
};
int GprsCheckThroughTheConsole::g_launches = 0;

TEST_F(GprsCheckThroughTheConsole, FailuresOfTheDial) {
  ASSERT_NE(gateway_.Port(), 0u);
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  boxes_.Answer(IDCANCEL);
  TestOnPage([&](HWND page) { Type(page, IDC_MODEM_WAP_GATEWAY, closed.c_str()); });
  ExpectLog({"Dials=1", "HangUps=1"});
  DialResult("619");
  boxes_.Answer(IDCANCEL);
  TestOnPage([](HWND page) {
    Click(page, IDC_MODEM_USE_NETWORK_CONNECTION);
    Choose(page, IDC_MODEM_NETWORK_CONNECTION, "Office VPN");
  });
  ExpectLog({"LastEntry=Office VPN"});
  EXPECT_FALSE(sheet_.mmsSettingsTested);
  EXPECT_EQ(Shown(boxes_),
            (std::vector<std::string>{"error: Unable to connect to WAP Gateway [Cancel Retry]", kRasFailed}));
}

TEST_F(GprsCheckThroughTheConsole, ElevatedRetryAfterAFailurePasses) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RunConsoleThenRecover;
  DialResult("619");
  boxes_.Answer(IDYES);
  boxes_.Answer(IDRETRY);
  boxes_.Answer(IDOK);
  TestOnPage();
  EXPECT_EQ(g_launches, 2);
  EXPECT_EQ(Shown(boxes_), (std::vector<std::string>{kElevationQuestion, kRasFailed, kPassed}));
  EXPECT_TRUE(sheet_.mmsSettingsTested);
  ExpectLog({"Dials=2", "Connected=No", "LastEntry=ZedSMS GPRS - GPRS Test Modem", "LastUser=mmsuser",
             "LastPassword=secret"});
}

TEST_F(GprsCheckThroughTheConsole, AModemHeldByAnotherProcessIsReported) {
  {
    ModemHeldElsewhere holder("GPRS Test Modem");
    ASSERT_TRUE(holder.Held()) << "the other process never got the modem";
    boxes_.Answer(IDCANCEL);
    TestOnPage();
  }
  EXPECT_EQ(Shown(boxes_),
            std::vector<std::string>{"error: Unable to allocate modem, modem in use by ZedSMS [Cancel Retry]"});
  EXPECT_EQ(RasLog("Dials"), "<none>");
}

// The elevated side on its own, in this process or in a console of its own.
class ModemConnectionCheck : public ModemPageTest {
 protected:
  void Parameters(const char* modem, const std::string& gateway) {
    std::string ini = ModemTestIniPath();
    for (auto [key, value] : {std::pair<const char*, std::string>{"WAPGatewayIP", gateway}, {"APN", "mms.example"},
                              {"APNLogin", ""}, {"APNPass", ""}, {"ModemName", modem}})
      WritePrivateProfileStringA("ModemTest", key, value.c_str(), ini.c_str());
  }
  std::string Result() { return ReadIni(ModemTestIniPath(), "ModemTest", "Result", "<none>"); }
  static int g_restarts;
};
int ModemConnectionCheck::g_restarts = 0;

// A modem that forgets the context the check defines has the APN put into
// its driver's initialisation, which takes a restart; declining it dials all
// the same. A modem that keeps it gets a free context and no update.
TEST_F(ModemConnectionCheck, TheDriverIsUpdatedOnlyForAModemThatForgetsTheContext) {
  g_restarts = 0;
  Rights().restartSystem = [] { ++g_restarts; };
  struct Row {
    const char* modem;
    bool keepsContexts;
    int answer;  // to the restart question, 0 when none is asked
    const char* result;
  };
  const Row rows[] = {{"Forgetful Restart Modem", false, IDYES, "Please restart your system before continuing"},
                      {"Forgetful Modem", false, IDNO, "Connection Test OK!"},
                      {"Keeping Modem", true, 0, "Connection Test OK!"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.modem);
    ModemProfile profile;
    profile.keepsContexts = row.keepsContexts;
    profile.contexts = {{1, "internet.example"}};
    ModemSimulator modem(1, profile);
    ASSERT_TRUE(modem.Running());
    ModemRegistryEntry driver(row.modem, "COM5");
    DriverInitStrings init(row.modem);
    GatewayListener gateway;
    Parameters(row.modem, "http:" + gateway.Address());
    if (row.answer) boxes_.Answer(row.answer);
    ModemConnectionTest();
    EXPECT_EQ(Result(), row.result);
    ASSERT_EQ(init.Read().size(), row.keepsContexts ? 0u : 1u);
    if (!row.keepsContexts) {
      EXPECT_NE(init.Read()[0].second.find("mms.example"), std::string::npos) << init.Read()[0].second;
    }
    EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
    if (row.answer == IDYES) {
      EXPECT_EQ(RasLog("Dials"), "<none>") << "no dial before the restart";
    } else {
      EXPECT_EQ(RasLog("LastEntry"), std::string("ZedSMS GPRS - ") + row.modem);
      EXPECT_EQ(RasLog("Connected"), "No");
      EXPECT_EQ(RunChild(std::string("allocate \"") + row.modem + "\" 0 0"), 0u) << "the modem was given back";
    }
  }
  EXPECT_EQ(g_restarts, 1);
  const std::string reboot =
      "question: ZedSMS has updated your modem driver settings to enable GPRS connectivity.\r\n\r\n"
      "Your system must be rebooted to apply these updates.\r\n\r\nDo you wish to reboot now? [Yes No]";
  EXPECT_EQ(Shown(boxes_), std::vector<std::string>(2, reboot));
}

TEST_F(ModemConnectionCheck, WithoutTheLinkLibraryTheResultIsAnInternalError) {
  std::string folder = dir_.File("no link\\");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const char* file : {"SMSGWCFG.EXE", "GWCORE.DLL", "MMSACCT.DLL"})
    ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), (folder + file).c_str(), FALSE)) << file;
  Parameters("Any Modem", "10.0.0.1");
  // The library is looked for in the current folder too.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(folder.c_str());
  int status = RunProgram(folder + "SMSGWCFG.EXE", "/MODEMTEST", 60000);
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Result(), "Internal Error");
}

}  // namespace
