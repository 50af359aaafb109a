#include "app/setup_wizard.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/console.h"
#include "app/main_sheet.h"
#include "app/page_protocol.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "modem/modem_page.h"
#include "modem/modem_selection.h"
#include "monitor/test_message_page.h"
#include "resources/page_ids.h"
#include "settings/server_page.h"

namespace {

const PageProtocol kCompleteProtocol = {CancelRule::LetCancel, false};

const SheetPage kWizardPages[] = {
    {"DIALOG_WIZADDMODEM", "ZedSMS Lite Setup Wizard:  Select Modem", SelectModemPageProc},
    {"DIALOG_MODEM", "ZedSMS Lite Setup Wizard:  Modem Settings", ModemPageProc},
    {"DIALOG_SERVER", "ZedSMS Lite Setup Wizard:  Server Settings", ServerPageProc},
    {"DIALOG_WIZCOMPLETE", "ZedSMS Lite Setup Wizard:  Configuration Complete", ConfigurationCompletePageProc},
    {"DIALOG_TESTMSG", "ZedSMS Lite Setup Wizard:  Send Test Message", TestMessagePageProc},
};

struct CompletePageState {
  SheetContext* sheet;
};

// "Yes" goes on to the test message, "No" finishes; before a choice only Back.
void OfferButtons(HWND page) {
  DWORD buttons = PSWIZB_BACK;
  if (IsChecked(page, IDC_WIZCOMPLETE_YES)) buttons |= PSWIZB_NEXT;
  if (IsChecked(page, IDC_WIZCOMPLETE_NO)) buttons |= PSWIZB_FINISH;
  PropSheet_SetWizButtons(GetParent(page), buttons);
}

void SwitchDebugLogsOn() {
  const struct {
    const char* file;
    const char* section;
  } logs[] = {{"SMSGW.INI", "SMSGW"}, {"MMSC.INI", "MMSC"}, {"MMSWAP.INI", "MMSWAP"}};
  for (const auto& log : logs) {
    char path[MAX_PATH];
    ProgramDataPath(log.file, path, sizeof path);
    WritePrivateProfileStringA(log.section, "Debug", "Yes", path);
  }
}

}  // namespace

INT_PTR CALLBACK ConfigurationCompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  CompletePageState* state = AttachedPageState<CompletePageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED &&
          (LOWORD(wParam) == IDC_WIZCOMPLETE_YES || LOWORD(wParam) == IDC_WIZCOMPLETE_NO))
        OfferButtons(page);
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE) {
        OfferButtons(page);
        SetDialogResult(page, 0);
        return TRUE;
      }
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kCompleteProtocol, state->sheet);
}

INT_PTR RunSetupWizard(SheetContext* sheet) {
  StopServicesForWizard();
  SwitchDebugLogsOn();
  constexpr int kPageCount = sizeof kWizardPages / sizeof kWizardPages[0];
  PROPSHEETPAGEA records[kPageCount];
  BuildPropertyPages(kWizardPages, kPageCount, records, sheet);
  PROPSHEETHEADERA header = ConsoleSheetHeader(records, kPageCount, PSH_WIZARD | PSH_NOAPPLYNOW);
  return PropertySheetA(&header);
}
