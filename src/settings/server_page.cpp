#include "settings/server_page.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/page_protocol.h"
#include "app/sheet_context.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "resources/page_ids.h"
#include "services/service_control.h"
#include "settings/port_field.h"

namespace {

constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusMs = 1000;
constexpr unsigned kDefaultWebPort = 8800;
const PageProtocol kServerProtocol = {CancelRule::AskWhenDirty, false};

struct ServerPageState {
  SheetContext* sheet;
  bool loading;
};

const char* SmsIni() { return g_configFiles.smsIni; }
const char* MmscIni() { return g_configFiles.mmscIni; }

// An optional server: its port key is present exactly while it is enabled.
struct OptionalServerKey {
  int enableBox, portField, portLabel;
  const char* (*file)();
  const char* section;
  const char* key;
};
const OptionalServerKey kOptionalServers[] = {
    {IDC_SERVER_SMPP_ENABLE, IDC_SERVER_SMPP_PORT, IDC_SERVER_SMPP_PORT_LABEL, SmsIni, "SMSGW", "SMPPPort"},
    {IDC_SERVER_MM7_ENABLE, IDC_SERVER_MM7_PORT, IDC_SERVER_MM7_PORT_LABEL, MmscIni, "MMSC", "WebPort"},
};

ServerPageState* State(HWND page) { return DialogState<ServerPageState>(page); }

unsigned FieldPort(HWND page, int field) {
  char text[64];
  GetDlgItemTextA(page, field, text, sizeof text);
  return ParsePortField(text);
}

void ShowPort(HWND page, int field, unsigned port) {
  char text[16];
  FormatText(text, sizeof text, "%u", port);
  SetDlgItemTextA(page, field, text);
}

void EnablePortFields(HWND page) {
  for (const OptionalServerKey& server : kOptionalServers) {
    bool enabled = IsChecked(page, server.enableBox);
    EnableItem(page, server.portField, enabled);
    EnableItem(page, server.portLabel, enabled);
  }
}

void RefreshStatus(HWND page) {
  bool active = IsSmsServiceRunning() || IsMmsServiceRunning();
  bool installed = IsSmsServiceInstalled() && IsMmsServiceInstalled();
  SetDlgItemTextIfChanged(page, IDC_SERVER_STATUS, active ? "Active" : "Not Active");
  SetDlgItemTextIfChanged(page, IDC_SERVER_ACTION,
                          active ? "Stop Service" : installed ? "Start Service" : "Install Service");
}

void Load(HWND page) {
  State(page)->loading = true;
  char value[500];
  ReadIniText(g_configFiles.smsIni, "SMSGW", "WebPort", "", value, sizeof value);
  unsigned web = ParsePortField(value);
  ShowPort(page, IDC_SERVER_WEB_PORT, web ? web : kDefaultWebPort);
  for (const OptionalServerKey& server : kOptionalServers) {
    ReadIniText(server.file(), server.section, server.key, "", value, sizeof value);
    unsigned port = ParsePortField(value);
    if (port) ShowPort(page, server.portField, port);
    CheckItem(page, server.enableBox, port != 0);
  }
  EnablePortFields(page);
  State(page)->loading = false;
  SetTimer(page, kStatusTimer, kStatusMs, nullptr);
  RefreshStatus(page);
}

void Apply(HWND page) {
  unsigned web = FieldPort(page, IDC_SERVER_WEB_PORT);
  WriteIniNumber(g_configFiles.smsIni, "SMSGW", "WebPort", web ? web : kDefaultWebPort);
  for (const OptionalServerKey& server : kOptionalServers) {
    unsigned port = FieldPort(page, server.portField);
    if (IsChecked(page, server.enableBox) && port)
      WriteIniNumber(server.file(), server.section, server.key, port);
    else
      RemoveIniKey(server.file(), server.section, server.key);
  }
  State(page)->sheet->configDirty = false;
}

void MarkChanged(HWND page) {
  if (!State(page)->loading) MarkPageChanged(page, State(page)->sheet);
}

void InstallUnderBusyCursor() {
  HCURSOR previous = BeginBusyCursor();
  InstallServices(true);
  EndBusyCursor(previous);
}

void OnActionButton(HWND page) {
  if (IsSmsServiceRunning() || IsMmsServiceRunning()) {
    HCURSOR previous = BeginBusyCursor();
    StopServices(true);
    EndBusyCursor(previous);
  } else {
    bool install = true;
    SheetContext* sheet = State(page)->sheet;
    if (sheet->configDirty &&
        ShowMessage(page, "Save configuration changes?", MB_YESNOCANCEL | MB_ICONQUESTION) == IDYES) {
      if (PropSheet_Apply(GetParent(page)))
        sheet->configDirty = false;
      else
        install = false;
    }
    if (install) InstallUnderBusyCursor();
  }
  RefreshStatus(page);
}

void OnCommand(HWND page, int control, int code) {
  switch (control) {
    case IDC_SERVER_WEB_PORT:
    case IDC_SERVER_SMPP_PORT:
    case IDC_SERVER_MM7_PORT:
      if (code == EN_CHANGE) MarkChanged(page);
      break;
    case IDC_SERVER_SMPP_ENABLE:
    case IDC_SERVER_MM7_ENABLE:
      if (code == BN_CLICKED) MarkChanged(page);
      EnablePortFields(page);
      break;
    case IDC_SERVER_ACTION:
      if (code == BN_CLICKED) OnActionButton(page);
      break;
  }
}

bool OnNotify(HWND page, const NMHDR* header) {
  switch (header->code) {
    case PSN_SETACTIVE:
      PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | PSWIZB_NEXT);
      SetDialogResult(page, 0);
      return true;
    case PSN_APPLY:
      Apply(page);
      SetDialogResult(page, PSNRET_NOERROR);
      return true;
    case PSN_WIZNEXT:
      Apply(page);
      InstallUnderBusyCursor();
      SetDialogResult(page, 0);
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK ServerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  ServerPageState* state = AttachedPageState<ServerPageState>(page, message, lParam);
  if (!state) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      Load(page);
      return TRUE;
    case WM_DESTROY:
      KillTimer(page, kStatusTimer);
      return FALSE;
    case WM_TIMER:
      if (wParam == kStatusTimer) RefreshStatus(page);
      return TRUE;
    case WM_COMMAND:
      OnCommand(page, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY:
      if (OnNotify(page, reinterpret_cast<NMHDR*>(lParam))) return TRUE;
      break;
  }
  return HandlePageProtocol(page, message, wParam, lParam, kServerProtocol, state->sheet);
}
