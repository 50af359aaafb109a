// The Modem page in a property sheet (or wizard) of its own, followed by a
// plain page to move to, with a data directory, the dial-up stand-in and the
// rights seam of the test.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/sheet_context.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"

extern const char kCaption[];
extern const char kWizardTitle[];
constexpr int kName = 102, kPin = 104, kAccessDefault = 106, kAccessGsm = 107, kAccessGprs = 108;
constexpr int kReceiveSms = 109, kStorageLabel = 110, kStorage = 111, kReceiveMms = 112, kChange = 113;
constexpr int kLookup = 114, kApn = 116, kLogin = 118, kPassword = 120, kGateway = 122, kUrl = 124;
constexpr int kTestConnection = 125, kSendMms = 126, kUseConnection = 127, kConnectionLabel = 128;
constexpr int kConnection = 129;
// Buttons of the sheet.
constexpr int kApplyButton = 0x3021, kBackButton = 0x3023, kNextButton = 0x3024;

// The selected entry of a list, "<none>" without one.
std::string Selected(HWND page, int id);
// Selects an entry as the user does (with the change notification); false when absent.
bool Choose(HWND page, int id, const char* entry);
std::vector<std::string> Entries(HWND page, int id);
HWND CurrentPage(HWND sheet);
int CurrentPageIndex(HWND sheet);

class ModemPageTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The sheet runs on the test's thread; the action on a helper thread.
  INT_PTR RunSheet(std::function<void(HWND sheet, HWND page)> action);
  INT_PTR RunWizard(std::function<void(HWND sheet, HWND page)> action);

  std::string SmsIni() const { return dir_.File("SMSGW.INI"); }
  std::string MmscIni() const { return dir_.File("MMSC.INI"); }
  std::string RouteIni() const { return dir_.File("VASPOUT\\zedsmslite\\VASP.INI"); }
  std::string ModemTestIni() const { return dir_.File("MODEMTEST.INI"); }
  std::string FakeRas() const { return dir_.File("FAKERAS.INI"); }
  // Modem1, and keys of its connection section ("Modem - " and the name).
  void ConfigureModem(const std::string& name);
  // A modem with every MMS setting, so that Send MMS Messages is on.
  void ConfigureMmsModem(const std::string& name);
  void SetModemKey(const std::string& name, const char* key, const char* value);
  std::string ModemKey(const std::string& name, const char* key, const char* fallback = "<none>");
  std::string RouteKey(const char* key) { return ReadIni(RouteIni(), "VASP", key, "<none>"); }
  void AddDialUpEntry(const char* name);
  std::string RasLog(const char* key) { return ReadIni(FakeRas(), "Log", key, "<none>"); }
  void ExpectBox(size_t index, const std::string& text, UINT icon, std::vector<int> buttons);

  TempDataDirectory dir_{"modempage"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};

// Launchers for the rights seam. The real console of the program folder, as
// the system's "runas" would start it.
HANDLE RunRealConsole(const char* parameters);
