#include <winsock2.h>

#include "settings/mm7_dialog.h"

#include "common/file_util.h"
#include "common/ipv4_address.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "config/link_libraries.h"
#include "resources/two_way_ids.h"
#include "settings/host_connect.h"
#include "settings/mm7_settings.h"

namespace {

const char kSection[] = "VASP";
constexpr size_t kValueChars = 500;
constexpr size_t kTlsErrorChars = 1024;

// The text keys and their fields, in the order they are saved.
struct TextKey {
  const char* key;
  int field;
  size_t cap;
};
const TextKey kServerKey = {"Server", IDC_MM7_SERVER, kMm7ServerChars + 1};
const TextKey kIdentityKeys[] = {
    {"VASPID", IDC_MM7_VASP_ID, kValueChars},
    {"VASID", IDC_MM7_VAS_ID, kValueChars},
    {"ServiceCode", IDC_MM7_SERVICE_CODE, kValueChars},
};
const TextKey kLoginKeys[] = {
    {"UserName", IDC_MM7_USER_NAME, kValueChars},
    {"Password", IDC_MM7_PASSWORD, kValueChars},
};

int Selection(HWND dialog, int list) {
  return static_cast<int>(SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0));
}

void SelectedText(HWND dialog, int list, char* text, size_t cap) {
  text[0] = '\0';
  int index = Selection(dialog, list);
  if (index < 0 || static_cast<size_t>(SendDlgItemMessageA(dialog, list, CB_GETLBTEXTLEN, index, 0)) >= cap) return;
  SendDlgItemMessageA(dialog, list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
}

int AddChoice(HWND dialog, int list, const char* text) {
  return static_cast<int>(SendDlgItemMessageA(dialog, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

// Selects the entry that equals text, appending it when the list lacks it.
void SelectOrAppend(HWND dialog, int list, const char* text) {
  LRESULT index = SendDlgItemMessageA(dialog, list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(text));
  if (index == CB_ERR) index = AddChoice(dialog, list, text);
  SendDlgItemMessageA(dialog, list, CB_SETCURSEL, index, 0);
}

void FillChoices(HWND dialog) {
  for (const char* version : kMm7Versions) AddChoice(dialog, IDC_MM7_VERSION, version);
  for (const char* schema : kMm7Schemas) AddChoice(dialog, IDC_MM7_SCHEMA, schema);
  for (const char* variation : kMm7VariationNames) AddChoice(dialog, IDC_MM7_VARIATION, variation);
}

void LoadText(HWND dialog, const char* file, const TextKey& key) {
  char value[kMm7ServerChars + 1];
  ReadIniText(file, kSection, key.key, "", value, key.cap);
  SendDlgItemMessageA(dialog, key.field, EM_LIMITTEXT, key.cap - 1, 0);
  SetDlgItemTextA(dialog, key.field, value);
}

void LoadVariation(HWND dialog, const char* file) {
  char protocol[kValueChars], annyWay[kValueChars], logicaCmg[kValueChars], phpUpload[kValueChars];
  ReadIniText(file, kSection, "Protocol", "", protocol, sizeof protocol);
  ReadIniText(file, kSection, "AnnyWay", "", annyWay, sizeof annyWay);
  ReadIniText(file, kSection, "LogicaCMG", "", logicaCmg, sizeof logicaCmg);
  ReadIniText(file, kSection, "PHPMultipartPost", "", phpUpload, sizeof phpUpload);
  Mm7Variation variation = VariationFromKeys(protocol, annyWay, logicaCmg, phpUpload);
  SendDlgItemMessageA(dialog, IDC_MM7_VARIATION, CB_SETCURSEL, static_cast<WPARAM>(variation), 0);
}

void LoadVersionAndSchema(HWND dialog, const char* file) {
  char value[kValueChars];
  ReadIniText(file, kSection, "MM7Version", "", value, sizeof value);
  SelectOrAppend(dialog, IDC_MM7_VERSION, value[0] ? value : kDefaultMm7Version);
  ReadIniText(file, kSection, "MM7Schema", "", value, sizeof value);
  const char* schema = Mm7SchemaName(value);
  SelectOrAppend(dialog, IDC_MM7_SCHEMA, schema ? schema : kCustomMm7Schema);
}

void OnInitDialog(HWND dialog) {
  char file[MAX_PATH];
  Mm7RouteFile(file, sizeof file);
  FillChoices(dialog);
  LoadVariation(dialog, file);
  LoadText(dialog, file, kServerKey);
  for (const TextKey& key : kIdentityKeys) LoadText(dialog, file, key);
  for (const TextKey& key : kLoginKeys) LoadText(dialog, file, key);
  LoadVersionAndSchema(dialog, file);
  CheckItem(dialog, IDC_MM7_STRIP_WHITE_SPACE, ReadIniSwitch(file, kSection, "StripWhiteSpace", "No"));
}

void Refuse(HWND dialog, const char* message) {
  ShowMessage(dialog, message, MB_OK | MB_ICONERROR);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_MM7_SERVER)), TRUE);
}

// The TLS handshake, when the library is there to do it; its text on failure.
// A host name goes with it (servers with several names need it to answer);
// an address does not, as the handshake carries names only.
bool NegotiateTls(SOCKET s, const char* host, char* error) {
  const TlsLibrary* tls = LoadTlsLibrary();
  if (!tls || !tls->sslInitLib()) return true;  // only the TCP connection can be tested
  // The handshake waits for the server: bound each wait as the connect was.
  DWORD timeout = kConnectTimeoutMs;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  char name[kMm7HostChars + 1];
  CopyText(name, sizeof name, host);
  CutHostNumberSuffix(name);
  char address[kMm7HostChars + 1];
  CopyText(address, sizeof address, name);
  bool isAddress = NormalizeIPv4Address(address, sizeof address);
  TlsSession session = tls->sslInitSessionForHost && !isAddress ? tls->sslInitSessionForHost(s, name, error)
                                                                 : tls->sslInitSession(s, error);
  if (!session) return false;
  tls->sslFreeSession(session);
  return true;
}

// Connects to the server (and negotiates TLS for https); false after the
// failure was shown.
bool TestConnection(HWND dialog, const char* server) {
  Mm7ServerAddress address;
  ParseMm7ServerAddress(server, &address);
  HCURSOR cursor = BeginBusyCursor();
  UINT_PTR s = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (static_cast<SOCKET>(s) == INVALID_SOCKET) {
    EndBusyCursor(cursor);
    Refuse(dialog, "General socket error");
    return false;
  }
  char message[kMm7HostChars + kTlsErrorChars + 128];
  bool passed = ConnectToHost(&s, address.host, address.port, kConnectTimeoutMs);
  if (!passed) {
    FormatText(message, sizeof message, "Unable to connect to server %s:%u", address.host, address.port);
  } else if (address.tls) {
    char error[kTlsErrorChars] = "";
    passed = NegotiateTls(static_cast<SOCKET>(s), address.host, error);
    if (!passed)
      FormatText(message, sizeof message, "Unable to negotiate SSL/TLS connection with server %s:%u\r\n\r\n%s",
                 address.host, address.port, error);
  }
  EndBusyCursor(cursor);
  closesocket(static_cast<SOCKET>(s));
  if (!passed) Refuse(dialog, message);
  return passed;
}

void SaveText(HWND dialog, const char* file, const TextKey& key) {
  char value[kMm7ServerChars + 1];
  GetDlgItemTextA(dialog, key.field, value, static_cast<int>(key.cap));
  WriteIniTextOrRemove(file, kSection, key.key, value);
}

void SaveVersionAndSchema(HWND dialog, const char* file) {
  char value[kValueChars];
  if (Selection(dialog, IDC_MM7_VERSION) >= 0) {
    SelectedText(dialog, IDC_MM7_VERSION, value, sizeof value);
    WriteIniTextOrRemove(file, kSection, "MM7Version", Mm7VersionToStore(value));
  }
  char schema[kMm7SchemaPrefixChars + kValueChars];
  SelectedText(dialog, IDC_MM7_SCHEMA, value, sizeof value);
  if (Selection(dialog, IDC_MM7_SCHEMA) >= 0 && Mm7SchemaToStore(value, schema, sizeof schema))
    WriteIniTextOrRemove(file, kSection, "MM7Schema", schema);
}

void SaveVariation(HWND dialog, const char* file) {
  int index = Selection(dialog, IDC_MM7_VARIATION);
  if (index < 0 || index >= static_cast<int>(kMm7VariationCount)) return;
  Mm7VariationKeys keys = VariationKeys(static_cast<Mm7Variation>(index));
  WritePrivateProfileStringA(kSection, "Protocol", keys.protocol, file);
  WriteIniYesOrRemove(file, kSection, "AnnyWay", keys.annyWay);
  WriteIniYesOrRemove(file, kSection, "LogicaCMG", keys.logicaCmg);
  WriteIniYesOrRemove(file, kSection, "PHPMultipartPost", keys.phpMultipartPost);
}

void Save(HWND dialog) {
  char path[MAX_PATH];
  ProgramDataPath("VASPOUT", path, sizeof path);
  CreateDirectoryA(path, nullptr);
  ProgramDataPath("VASPOUT\\zedsmslitemm7", path, sizeof path);
  CreateDirectoryA(path, nullptr);
  char file[MAX_PATH];
  Mm7RouteFile(file, sizeof file);
  CreateFileIfMissing(file);
  WritePrivateProfileStringA(kSection, "Protocol", "MM7", file);
  SaveText(dialog, file, kServerKey);
  RemoveIniKey(file, kSection, "Domain");
  for (const TextKey& key : kIdentityKeys) SaveText(dialog, file, key);
  WritePrivateProfileStringA(kSection, "mm7DeliverReq", "Yes", file);
  for (const TextKey& key : kLoginKeys) SaveText(dialog, file, key);
  SaveVersionAndSchema(dialog, file);
  WriteIniYesOrRemove(file, kSection, "StripWhiteSpace", IsChecked(dialog, IDC_MM7_STRIP_WHITE_SPACE));
  SaveVariation(dialog, file);
}

void OnOk(HWND dialog) {
  char server[kMm7ServerChars + 1];
  GetDlgItemTextA(dialog, IDC_MM7_SERVER, server, sizeof server);
  if (!server[0]) {
    Refuse(dialog, "Please define a URL for connecting to the server");
    return;
  }
  if (!TestConnection(dialog, server)) return;
  Save(dialog);
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK Mm7DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOk(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void Mm7RouteFile(char* path, size_t cap) { ProgramDataPath("VASPOUT\\zedsmslitemm7\\VASP.INI", path, cap); }

INT_PTR ShowMm7Dialog(HWND owner) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), "DIALOG_MM7", owner, Mm7DialogProc, 0);
}
