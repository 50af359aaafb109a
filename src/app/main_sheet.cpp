#include "app/main_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/app_state.h"
#include "monitor/status_page.h"
#include "monitor/test_message_page.h"
#include "settings/debug_log_page.h"
#include "settings/server_page.h"
#include "settings/two_way_page.h"
#include "settings/users_page.h"

namespace {

const PageProtocol kAsksWhenDirty = {CancelRule::AskWhenDirty, false};

// Gives the sheet the minimise button and menu item a property sheet lacks.
int CALLBACK MainSheetCallback(HWND sheet, UINT message, LPARAM) {
  if (message != PSCB_INITIALIZED || !IsWindow(sheet)) return 0;
  SetWindowLongPtrA(sheet, GWL_STYLE, GetWindowLongPtrA(sheet, GWL_STYLE) | WS_MINIMIZEBOX);
  HMENU systemMenu = GetSystemMenu(sheet, FALSE);
  if (systemMenu) AppendMenuA(systemMenu, MF_STRING, SC_MINIMIZE, "Minimize");
  DrawMenuBar(sheet);
  return 0;
}

}  // namespace

const SheetPage kMainSheetPages[7] = {
    {"DIALOG_STATUS", "Status", StatusPageProc, nullptr},
    {"DIALOG_MODEM", "Modem", ProtocolPageProc, &kAsksWhenDirty},
    {"DIALOG_SERVER", "Server", ServerPageProc, nullptr},
    {"DIALOG_SMSUSERS", "Users", UsersPageProc, nullptr},
    {"DIALOG_RECV", "2-Way", TwoWayPageProc, nullptr},
    {"DIALOG_TESTMSG", "Test Message", TestMessagePageProc, nullptr},
    {"DIALOG_DEBUGLOG", "Debug Logs", DebugLogPageProc, nullptr},
};

INT_PTR CALLBACK ProtocolPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    SetWindowLongPtrA(page, DWLP_USER, record->lParam);
    return TRUE;
  }
  const auto* protocol = reinterpret_cast<const PageProtocol*>(GetWindowLongPtrA(page, DWLP_USER));
  return protocol && HandlePageProtocol(page, message, wParam, lParam, *protocol);
}

void BuildPropertyPages(const SheetPage* pages, int count, PROPSHEETPAGEA* records) {
  for (int i = 0; i < count; ++i) {
    PROPSHEETPAGEA& record = records[i];
    record = {};
    record.dwSize = sizeof record;
    record.dwFlags = PSP_USETITLE | (g_console.helpAvailable ? PSP_HASHELP : 0);
    record.hInstance = GetModuleHandleA(nullptr);
    record.pszTemplate = pages[i].templateName;
    record.pszTitle = pages[i].title;
    record.pfnDlgProc = pages[i].procedure;
    record.lParam = reinterpret_cast<LPARAM>(pages[i].protocol);
  }
}

INT_PTR RunMainSheet() {
  constexpr int kPageCount = sizeof kMainSheetPages / sizeof kMainSheetPages[0];
  PROPSHEETPAGEA records[kPageCount];
  BuildPropertyPages(kMainSheetPages, kPageCount, records);
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_USEICONID |
                   (g_console.helpAvailable ? PSH_HASHELP : 0);
  header.hwndParent = nullptr;
  header.hInstance = GetModuleHandleA(nullptr);
  header.pszIcon = "SMSGW";
  header.pszCaption = kProductCaption;
  header.nPages = kPageCount;
  header.nStartPage = 0;
  header.ppsp = records;
  header.pfnCallback = MainSheetCallback;
  return PropertySheetA(&header);
}
