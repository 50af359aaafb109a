// The Modem page in a property sheet (or wizard) of its own, followed by a
// plain page to move to, with a data directory, the dial-up stand-in and the
// rights seam of the test; the sheet and combo box readers of the modem tests.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/sheet_context.h"
#include "resources/page_ids.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"

// The entries of a combo box, and the selected one ("<none>" without one).
inline std::vector<std::string> Entries(HWND dialog, int id) {
  std::vector<std::string> entries;
  for (LRESULT i = 0; i < SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0); ++i) {
    char text[1024] = "";
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}
inline std::string Selected(HWND dialog, int id) {
  LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? "<none>" : Entries(dialog, id).at(static_cast<size_t>(index));
}
// Selects an entry as the user does (with the change notification).
void Choose(HWND page, int id, const char* entry);
inline int CurrentPageIndex(HWND sheet) {
  LPARAM page = SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
  return static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, static_cast<WPARAM>(page), 0));
}
inline void Type(HWND page, int id, const char* text) { SetDlgItemTextA(page, id, text); }
inline bool Apply(HWND sheet) { return SendMessageA(sheet, PSM_APPLY, 0, 0) != 0; }
// Posted, so that a sheet that closes need not return first.
inline void Press(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }

class ModemPageTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The sheet runs on the test's thread; the action on a helper thread.
  INT_PTR RunSheet(std::function<void(HWND sheet, HWND page)> action, bool wizard = false);

  std::string SmsIni() const { return dir_.File("SMSGW.INI"); }
  std::string RouteIni() const { return dir_.File("VASPOUT\\zedsmslite\\VASP.INI"); }
  std::string FakeRas() const { return dir_.File("FAKERAS.INI"); }
  // Modem1 of the gateway; with mms, every MMS setting in its section, so
  // that Send MMS Messages is on.
  void ConfigureModem(const std::string& name, bool mms = false);
  // The product's section of a modem in SMSGW.INI.
  std::string Section(const std::string& name) const;
  void SetModemKey(const std::string& name, const char* key, const char* value) {
    WritePrivateProfileStringA(Section(name).c_str(), key, value, SmsIni().c_str());
  }
  std::string ModemKey(const std::string& name, const char* key) {
    return ReadIni(SmsIni(), Section(name).c_str(), key, "<none>");
  }
  void AddDialUpEntry(const char* name) {
    WritePrivateProfileStringA((std::string("Entry ") + name).c_str(), "DeviceName", "WAN", FakeRas().c_str());
  }
  std::string RasLog(const char* key) { return ReadIni(FakeRas(), "Log", key, "<none>"); }

  TempDataDirectory dir_{"modempage"};
  MessageBoxAnswerer boxes_;
  SheetContext sheet_;
};
