// The GPRS connection test: the page side with a test copy of its own, the
// real elevated console over the dial-up stand-in, and the elevated side's
// driver update.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <map>
#include <memory>

#include "app/app_state.h"
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

const char kUntested[] =
    "MMS configuration settings have not been tested.\r\n\r\n"
    "Do you wish to test these settings before saving configuration changes?";
const char kElevationQuestion[] =
    "Administrator rights are required for service installation or modification.\r\n\r\n"
    "If you continue, Windows will ask you to confirm that you will allow this application to assume "
    "administrator rights to perform this task.\r\n\r\nDo you wish to continue?";
const char kRebootQuestion[] =
    "ZedSMS has updated your modem driver settings to enable GPRS connectivity.\r\n\r\n"
    "Your system must be rebooted to apply these updates.\r\n\r\nDo you wish to reboot now?";
const std::vector<int> kOk = {IDOK};
const std::vector<int> kRetryCancel = {IDCANCEL, IDRETRY};
const std::vector<int> kYesNo = {IDYES, IDNO};
const std::vector<int> kYesNoCancel = {IDCANCEL, IDYES, IDNO};
const char* const kParameterKeys[] = {"WAPGatewayIP", "APN", "APNLogin", "APNPass", "ModemName", "DialUpProfile",
                                      "Result"};

void Type(HWND page, int id, const char* text) { SetDlgItemTextA(page, id, text); }

std::string ModemTestIniPath() {
  char path[MAX_PATH];
  ProgramDataPath("MODEMTEST.INI", path, sizeof path);
  return path;
}

// A test copy in this process: records what it finds in MODEMTEST.INI and
// leaves the scripted result (the last one repeats), or replaces the file.
struct TestCopy {
  int launches = 0;
  std::vector<std::string> results;
  std::string rawFile;
  std::vector<std::map<std::string, std::string>> seen;
  std::string lastParameters;
};
TestCopy g_copy;

HANDLE RunTestCopy(const char* parameters) {
  g_copy.lastParameters = parameters;
  std::string ini = ModemTestIniPath();
  std::map<std::string, std::string> seen;
  for (const char* key : kParameterKeys) seen[key] = ReadIni(ini, "ModemTest", key, "<none>");
  g_copy.seen.push_back(seen);
  if (!g_copy.rawFile.empty()) {
    WriteFileText(ini, g_copy.rawFile);
  } else if (!g_copy.results.empty()) {
    size_t index = std::min(static_cast<size_t>(g_copy.launches), g_copy.results.size() - 1);
    WritePrivateProfileStringA("ModemTest", "Result", g_copy.results[index].c_str(), ini.c_str());
  }
  ++g_copy.launches;
  return nullptr;
}

HANDLE RefuseToRun(const char*) {
  ADD_FAILURE() << "the test copy was started";
  return nullptr;
}

class GprsTestPageTest : public ModemPageTest {
 protected:
  void SetUp() override {
    ModemPageTest::SetUp();
    g_copy = TestCopy{};
    Rights().runElevated = RunTestCopy;
    ConfigureMmsModem("Checked Modem");
  }
  void TearDown() override {
    EXPECT_FALSE(FileExists(ModemTestIni())) << "MODEMTEST.INI is always removed";
    ModemPageTest::TearDown();
  }
};

TEST_F(GprsTestPageTest, IncompleteSettingsAreRefusedBeforeAnythingIsWritten) {
  for (int i = 0; i < 5; ++i) boxes_.Answer(IDOK);
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, kUrl, "");
    Click(page, kTestConnection);
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, kUrl));
    Type(page, kUrl, "http://mms.example/");
    Type(page, kGateway, "");
    Click(page, kTestConnection);
    EXPECT_EQ(FocusOf(page), GetDlgItem(page, kGateway));
    for (const char* gateway : {"10.0.0.256", "1.2.3.4.5", "gateway.example"}) {
      Type(page, kGateway, gateway);
      Click(page, kTestConnection);
      EXPECT_EQ(FocusOf(page), GetDlgItem(page, kGateway)) << gateway;
      EXPECT_EQ(Text(page, kGateway), gateway);
    }
    EXPECT_FALSE(FileExists(ModemTestIni()));
    sheet_.configDirty = false;
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  ExpectBox(0, "MMS Server URL is Required!", MB_ICONERROR, kOk);
  ExpectBox(1, "WAP Gateway Address is Required!", MB_ICONERROR, kOk);
  for (size_t i = 2; i < 5; ++i) ExpectBox(i, "Invalid WAP Gateway Address", MB_ICONERROR, kOk);
  EXPECT_EQ(g_copy.launches, 0);
  EXPECT_FALSE(sheet_.mmsSettingsTested) << "the gateway was edited";
}

TEST_F(GprsTestPageTest, WithoutAModemTheAddModemDialogOpens) {
  ConfigureModem("CIMD - Provider");
  boxes_.Answer(IDOK);
  RunSheet([&](HWND sheet, HWND page) {
    EXPECT_EQ(Text(page, kName), "");
    Click(page, kSendMms);
    Type(page, kUrl, "http://mms.example/");
    bool dialogSeen = false;
    {
      WindowDriver addModem("Select Modem", [&](HWND dialog) {
        dialogSeen = true;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      });
      Click(page, kTestConnection);
    }
    EXPECT_TRUE(dialogSeen);
    sheet_.configDirty = false;
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  ExpectBox(0, "Please select a modem", MB_ICONERROR, kOk);
  EXPECT_EQ(g_copy.launches, 0);
}

TEST_F(GprsTestPageTest, TheSettingsAreHandedOverInNormalForm) {
  ModemRegistryEntry own("Checked Modem", "");
  ModemRegistryEntry other("Other Modem", "");
  AddDialUpEntry("Office VPN");
  g_copy.results = {"Connection Test OK!", "connection test ok!"};
  for (int i = 0; i < 4; ++i) boxes_.Answer(IDOK);
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, kGateway, " 010.000.001.002 ");
    Click(page, kTestConnection);
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    EXPECT_EQ(Text(page, kGateway), " 010.000.001.002 ") << "the page keeps what was typed";
    Type(page, kGateway, "http://10.0.0.1:8080");
    Type(page, kLogin, "");
    Click(page, kUseConnection);
    Choose(page, kConnection, "Office VPN");
    Click(page, kTestConnection);
    Choose(page, kConnection, "Modem: Other Modem");
    Click(page, kTestConnection);
    Choose(page, kConnection, "Modem: Checked Modem");
    Click(page, kTestConnection);
    sheet_.configDirty = false;
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  ASSERT_EQ(g_copy.launches, 4);
  EXPECT_EQ(g_copy.lastParameters, "/MODEMTEST");
  std::map<std::string, std::string> first = {{"WAPGatewayIP", "10.0.1.2"}, {"APN", "mms.example"},
                                              {"APNLogin", "mmsuser"},      {"APNPass", "secret"},
                                              {"ModemName", "Checked Modem"}, {"DialUpProfile", "<none>"},
                                              {"Result", "<none>"}};
  EXPECT_EQ(g_copy.seen[0], first);
  EXPECT_EQ(g_copy.seen[1]["WAPGatewayIP"], "http:10.0.0.1:8080");
  EXPECT_EQ(g_copy.seen[1]["APNLogin"], "") << "written empty, not removed";
  EXPECT_EQ(g_copy.seen[1]["DialUpProfile"], "Office VPN");
  EXPECT_EQ(g_copy.seen[2]["DialUpProfile"], "Modem: Other Modem");
  EXPECT_EQ(g_copy.seen[3]["DialUpProfile"], "<none>") << "the page's own modem is the standard connection";
  ExpectBox(0, "Connection Test OK!", MB_ICONINFORMATION, kOk);
  ExpectBox(1, "connection test ok!", MB_ICONINFORMATION, kOk);
}

TEST_F(GprsTestPageTest, NoResultShowsNothing) {
  RunSheet([&](HWND sheet, HWND page) {
    sheet_.mmsSettingsTested = false;
    Click(page, kTestConnection);
    EXPECT_FALSE(sheet_.mmsSettingsTested);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(g_copy.launches, 1);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(GprsTestPageTest, AFailureOffersRetryAndThePassThenCounts) {
  g_copy.results = {"Connection Failed", "Connection Test OK!"};
  boxes_.Answer(IDRETRY);
  boxes_.Answer(IDOK);
  RunSheet([&](HWND sheet, HWND page) {
    sheet_.mmsSettingsTested = false;
    Click(page, kTestConnection);
    EXPECT_TRUE(sheet_.mmsSettingsTested);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(g_copy.launches, 2);
  EXPECT_EQ(g_copy.seen[1]["Result"], "<none>") << "the first attempt's result is gone before the second";
  ExpectBox(0, "Connection Failed", MB_ICONERROR, kRetryCancel);
  ExpectBox(1, "Connection Test OK!", MB_ICONINFORMATION, kOk);
}

TEST_F(GprsTestPageTest, ALongOrGarbledResultIsShownCut) {
  std::string junk;
  for (int i = 0; i < 700; ++i) junk += static_cast<char>('A' + (i * 7) % 58);  // letters, brackets, symbols
  g_copy.results = {junk};
  boxes_.Answer(IDCANCEL);
  RunSheet([&](HWND sheet, HWND page) {
    Click(page, kTestConnection);
    g_copy.results.clear();
    g_copy.rawFile = std::string("\x01\x02garbage\x7f\xff=\r\n[") + std::string(3000, 'x');
    Click(page, kTestConnection);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 1u) << "a file without a result shows nothing";
  ExpectBox(0, junk.substr(0, 499), MB_ICONERROR, kRetryCancel);
}

TEST_F(GprsTestPageTest, DecliningElevationRunsNoTestAndRemovesTheFile) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RefuseToRun;
  boxes_.Answer(IDNO);
  RunSheet([&](HWND sheet, HWND page) {
    Click(page, kTestConnection);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  ExpectBox(0, kElevationQuestion, 0, kYesNoCancel);
}

TEST_F(GprsTestPageTest, OlderSystemsStartTheCopyWithoutElevation) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().isVistaOrLater = [] { return false; };
  Rights().runElevated = RefuseToRun;
  Rights().runPlain = RunTestCopy;
  g_copy.results = {"Connection Test OK!"};
  boxes_.Answer(IDOK);
  RunSheet([&](HWND sheet, HWND page) {
    Click(page, kTestConnection);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(g_copy.launches, 1) << "no elevation question either";
  EXPECT_EQ(g_copy.lastParameters, "/MODEMTEST");
  ExpectBox(0, "Connection Test OK!", MB_ICONINFORMATION, kOk);
}

TEST_F(GprsTestPageTest, YesToTheUntestedQuestionTestsAndAFailureIsAskedAgainOnApply) {
  g_copy.results = {"Connection Failed"};
  boxes_.Answer(IDYES);     // test before leaving
  boxes_.Answer(IDCANCEL);  // the failure: no retry
  boxes_.Answer(IDCANCEL);  // still untested: do not save
  boxes_.Answer(IDYES);     // exit without saving
  RunSheet([&](HWND sheet, HWND page) {
    Type(page, kApn, "other.example");
    EXPECT_FALSE(SendMessageA(sheet, PSM_APPLY, 0, 0));
    EXPECT_TRUE(sheet_.configDirty) << "nothing was saved";
    EXPECT_EQ(ModemKey("Checked Modem", "APN"), "mms.example");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(g_copy.launches, 1);
  ExpectBox(0, kUntested, MB_ICONQUESTION, kYesNoCancel);
  ExpectBox(1, "Connection Failed", MB_ICONERROR, kRetryCancel);
  ExpectBox(2, kUntested, MB_ICONQUESTION, kYesNoCancel);
  ExpectBox(3, "Exit without saving configuration changes?", MB_ICONQUESTION, kYesNoCancel);
}

TEST_F(GprsTestPageTest, WizardNextGoesOnOnlyAfterAPassedTest) {
  g_copy.results = {"Connection Failed", "Connection Test OK!"};
  boxes_.Answer(IDCANCEL);
  boxes_.Answer(IDOK);
  RunWizard([&](HWND sheet, HWND page) {
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kBackButton)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kNextButton)));
    Type(page, kPin, "5678");
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    Sleep(300);
    EXPECT_EQ(CurrentPageIndex(sheet), 0) << "the test failed";
    EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "<none>") << "nothing applied";
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 1; }, 10000));
    EXPECT_EQ(ModemKey("Checked Modem", "PIN"), "5678") << "applied after the pass";
    EXPECT_FALSE(sheet_.configDirty);
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(g_copy.launches, 2);
  EXPECT_TRUE(sheet_.mmsSettingsTested);
}

TEST_F(GprsTestPageTest, WizardNextWithoutMmsAppliesWithoutATest) {
  RunWizard([&](HWND sheet, HWND page) {
    Click(page, kSendMms);
    SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    EXPECT_TRUE(WaitUntil([&] { return CurrentPageIndex(sheet) == 1; }, 10000));
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  });
  EXPECT_EQ(g_copy.launches, 0);
  EXPECT_EQ(ReadIni(RouteIni(), "VASP", "Protocol", "<none>"), "<none>") << "applied with MMS off";
  EXPECT_EQ(ReadIni(SmsIni(), "Modem - Checked Modem", "UseDial"), "Yes");
}

// The page and the real elevated console, dialling through the stand-in.
class GprsTestEndToEndTest : public ModemPageTest {
 protected:
  void SetUp() override {
    ModemPageTest::SetUp();
    ConfigureMmsModem("GPRS Test Modem");
    SetModemKey("GPRS Test Modem", "WAPGatewayIP", Gateway().c_str());
    AddDialUpEntry("Office VPN");
    g_launches = 0;
  }
  void TearDown() override {
    EXPECT_FALSE(FileExists(ModemTestIni()));
    ModemPageTest::TearDown();
  }
  std::string Gateway() { return "http://" + gateway_.Address(); }
  void TestOnPage(std::function<void(HWND)> prepare = nullptr) {
    RunSheet([&](HWND sheet, HWND page) {
      sheet_.mmsSettingsTested = false;
      if (prepare) prepare(page);
      Click(page, kTestConnection);
      sheet_.configDirty = false;
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
  }
  void DialResult(const char* result) {
    WritePrivateProfileStringA("FakeRas", "DialResult", result, FakeRas().c_str());
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
int GprsTestEndToEndTest::g_launches = 0;

TEST_F(GprsTestEndToEndTest, PassesThroughTheElevatedCopy) {
  ASSERT_NE(gateway_.Port(), 0u);
  boxes_.Answer(IDOK);
  std::string waitText;
  {
    WindowDriver wait("Test in Progress", [&](HWND dialog) { waitText = InternalText(GetDlgItem(dialog, 1444)); });
    TestOnPage();
  }
  EXPECT_EQ(waitText, "Connection test in progress.\r\n\r\nPlease be patient...");
  ExpectBox(0, "Connection Test OK!", MB_ICONINFORMATION, kOk);
  EXPECT_TRUE(sheet_.mmsSettingsTested);
  EXPECT_EQ(RasLog("Dials"), "1");
  EXPECT_EQ(RasLog("LastEntry"), "ZedSMS GPRS - GPRS Test Modem");
  EXPECT_EQ(RasLog("LastUser"), "mmsuser");
  EXPECT_EQ(RasLog("LastPassword"), "secret");
  EXPECT_EQ(RasLog("HangUps"), "1") << "hung up after the test";
  EXPECT_EQ(RasLog("Connected"), "No");
}

TEST_F(GprsTestEndToEndTest, AGatewayThatDoesNotAnswer) {
  std::string closed = "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  boxes_.Answer(IDCANCEL);
  TestOnPage([&](HWND page) { Type(page, kGateway, closed.c_str()); });
  ExpectBox(0, "Unable to connect to WAP Gateway", MB_ICONERROR, kRetryCancel);
  EXPECT_FALSE(sheet_.mmsSettingsTested);
  EXPECT_EQ(RasLog("Dials"), "1");
  EXPECT_EQ(RasLog("HangUps"), "1");
}

TEST_F(GprsTestEndToEndTest, ADialUpErrorWithItsNumberAndText) {
  DialResult("619");
  boxes_.Answer(IDCANCEL);
  TestOnPage([](HWND page) {
    Click(page, kUseConnection);
    Choose(page, kConnection, "Office VPN");
  });
  ExpectBox(0, "Connection Failed\r\nRAS Error 619\r\nFake dial-up error 619.", MB_ICONERROR, kRetryCancel);
  EXPECT_EQ(RasLog("LastEntry"), "Office VPN") << "the chosen connection was dialled";
  EXPECT_FALSE(sheet_.mmsSettingsTested);
}

TEST_F(GprsTestEndToEndTest, ElevatedRetryAfterAFailurePasses) {
  Rights().openServiceManager = DenyFullAccess;
  Rights().runElevated = RunConsoleThenRecover;
  DialResult("619");
  boxes_.Answer(IDYES);
  boxes_.Answer(IDRETRY);
  boxes_.Answer(IDOK);
  TestOnPage();
  EXPECT_EQ(g_launches, 2);
  ExpectBox(0, kElevationQuestion, 0, kYesNoCancel);
  ExpectBox(1, "Connection Failed\r\nRAS Error 619\r\nFake dial-up error 619.", MB_ICONERROR, kRetryCancel);
  ExpectBox(2, "Connection Test OK!", MB_ICONINFORMATION, kOk);
  EXPECT_TRUE(sheet_.mmsSettingsTested);
  EXPECT_EQ(RasLog("Dials"), "2");
}

TEST_F(GprsTestEndToEndTest, AModemInUseIsReported) {
  PROCESS_INFORMATION holder = StartChild("allocate \"GPRS Test Modem\" 30000 120000");
  ASSERT_NE(holder.hProcess, nullptr);
  // Held once a quick allocation here fails.
  bool held = WaitUntil(
      [] {
        DWORD value = 0;
        DWORD allocation = GprsLink().ModemAllocate("GPRS Test Modem", 0, &value);
        if (allocation) GprsLink().ModemRelease(allocation);
        return allocation == 0;
      },
      10000);
  if (held) {
    boxes_.Answer(IDCANCEL);
    TestOnPage();
  }
  TerminateProcess(holder.hProcess, 9);
  WaitForSingleObject(holder.hProcess, 10000);
  CloseHandle(holder.hThread);
  CloseHandle(holder.hProcess);
  ASSERT_TRUE(held) << "the other process never got the modem";
  ExpectBox(0, "Unable to allocate modem, modem in use by ZedSMS", MB_ICONERROR, kRetryCancel);
  EXPECT_EQ(RasLog("Dials"), "<none>");
}

// The elevated side on its own, in this process or in a console of its own.
class ModemConnectionTestTest : public ModemPageTest {
 protected:
  void Parameters(const char* modem, const std::string& gateway) {
    std::string ini = ModemTestIni();
    for (auto [key, value] : {std::pair<const char*, std::string>{"WAPGatewayIP", gateway},
                              {"APN", "mms.example"},
                              {"APNLogin", ""},
                              {"APNPass", ""},
                              {"ModemName", modem}})
      WritePrivateProfileStringA("ModemTest", key, value.c_str(), ini.c_str());
  }
  std::string Result() { return ReadIni(ModemTestIni(), "ModemTest", "Result", "<none>"); }
  static void RecordRestart() { ++g_restarts; }
  static int g_restarts;
};
int ModemConnectionTestTest::g_restarts = 0;

TEST_F(ModemConnectionTestTest, AModemThatForgetsTheContextHasItsDriverUpdatedAndMayRestart) {
  ModemProfile forgetful;
  forgetful.keepsContexts = false;
  ModemSimulator modem(1, forgetful);
  ASSERT_TRUE(modem.Running());
  ModemRegistryEntry driver("Forgetful Restart Modem", "COM5");
  DriverInitStrings init("Forgetful Restart Modem");
  GatewayListener gateway;
  Parameters("Forgetful Restart Modem", "http:" + gateway.Address());
  g_restarts = 0;
  Rights().restartSystem = RecordRestart;
  boxes_.Answer(IDYES);
  ModemConnectionTest();
  EXPECT_EQ(g_restarts, 1);
  EXPECT_EQ(Result(), "Please restart your system before continuing");
  ExpectBox(0, kRebootQuestion, MB_ICONQUESTION, kYesNo);
  EXPECT_EQ(RasLog("Dials"), "<none>") << "no dial before the restart";
  ASSERT_EQ(init.Read().size(), 1u);
  EXPECT_NE(init.Read()[0].second.find("mms.example"), std::string::npos) << init.Read()[0].second;
}

TEST_F(ModemConnectionTestTest, DecliningTheRestartDialsAllTheSame) {
  ModemProfile forgetful;
  forgetful.keepsContexts = false;
  ModemSimulator modem(1, forgetful);
  ASSERT_TRUE(modem.Running());
  ModemRegistryEntry driver("Forgetful Modem", "COM5");
  DriverInitStrings init("Forgetful Modem");
  GatewayListener gateway;
  Parameters("Forgetful Modem", "http:" + gateway.Address());
  boxes_.Answer(IDNO);
  ModemConnectionTest();
  EXPECT_EQ(Result(), "Connection Test OK!");
  ExpectBox(0, kRebootQuestion, MB_ICONQUESTION, kYesNo);
  EXPECT_EQ(RasLog("LastEntry"), "ZedSMS GPRS - Forgetful Modem");
  EXPECT_EQ(RasLog("HangUps"), "1");
  // The modem was given back: another process can have it at once.
  EXPECT_EQ(RunChild("allocate \"Forgetful Modem\" 0 0"), 0u);
}

TEST_F(ModemConnectionTestTest, AModemThatKeepsTheContextNeedsNoUpdate) {
  ModemProfile keeping;
  keeping.contexts = {{1, "internet.example"}};
  ModemSimulator modem(1, keeping);
  ASSERT_TRUE(modem.Running());
  ModemRegistryEntry driver("Keeping Modem", "COM5");
  DriverInitStrings init("Keeping Modem");
  GatewayListener gateway;
  Parameters("Keeping Modem", "http:" + gateway.Address());
  ModemConnectionTest();
  EXPECT_EQ(Result(), "Connection Test OK!");
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_TRUE(init.Read().empty()) << "the driver was left alone";
  EXPECT_TRUE(modem.Received("AT+CGDCONT=2,\"IP\",\"mms.example\""));
}

TEST_F(ModemConnectionTestTest, WithoutTheLinkLibraryTheResultIsAnInternalError) {
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
