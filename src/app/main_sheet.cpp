#include "app/main_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/app_state.h"
#include "modem/modem_page.h"
#include "monitor/status_page.h"
#include "monitor/test_message_page.h"
#include "settings/debug_log_page.h"
#include "settings/server_page.h"
#include "settings/two_way_page.h"
#include "settings/users_page.h"

namespace {

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
    {"DIALOG_STATUS", "Status", StatusPageProc},
    {"DIALOG_MODEM", "Modem", ModemPageProc},
    {"DIALOG_SERVER", "Server", ServerPageProc},
    {"DIALOG_SMSUSERS", "Users", UsersPageProc},
    {"DIALOG_RECV", "2-Way", TwoWayPageProc},
    {"DIALOG_TESTMSG", "Test Message", TestMessagePageProc},
    {"DIALOG_DEBUGLOG", "Debug Logs", DebugLogPageProc},
};

void BuildPropertyPages(const SheetPage* pages, int count, PROPSHEETPAGEA* records, SheetContext* sheet) {
  for (int i = 0; i < count; ++i) {
    PROPSHEETPAGEA& record = records[i];
    record = {};
    record.dwSize = sizeof record;
    record.dwFlags = PSP_USETITLE | (g_console.helpAvailable ? PSP_HASHELP : 0);
    record.hInstance = GetModuleHandleA(nullptr);
    record.pszTemplate = pages[i].templateName;
    record.pszTitle = pages[i].title;
    record.pfnDlgProc = pages[i].procedure;
    record.lParam = reinterpret_cast<LPARAM>(sheet);
  }
}

PROPSHEETHEADERA ConsoleSheetHeader(PROPSHEETPAGEA* records, int count, DWORD flags) {
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEICONID | flags | (g_console.helpAvailable ? PSH_HASHELP : 0);
  header.hwndParent = nullptr;
  header.hInstance = GetModuleHandleA(nullptr);
  header.pszIcon = "SMSGW";
  header.pszCaption = kProductCaption;
  header.nPages = static_cast<UINT>(count);
  header.nStartPage = 0;
  header.ppsp = records;
  return header;
}

INT_PTR RunMainSheet(SheetContext* sheet) {
  constexpr int kPageCount = sizeof kMainSheetPages / sizeof kMainSheetPages[0];
  PROPSHEETPAGEA records[kPageCount];
  BuildPropertyPages(kMainSheetPages, kPageCount, records, sheet);
  PROPSHEETHEADERA header = ConsoleSheetHeader(records, kPageCount, PSH_USECALLBACK);
  header.pfnCallback = MainSheetCallback;
  return PropertySheetA(&header);
}
