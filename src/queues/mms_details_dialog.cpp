#include "queues/mms_details_dialog.h"

#include <shellapi.h>

#include <cstring>

#include "common/dialog_state.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "queues/mms_header.h"
#include "queues/recipients.h"
#include "common/file_viewer.h"
#include "queues/text_lines.h"
#include "resources/page_ids.h"

namespace {

constexpr size_t kHeaderBufferBytes = kMmsHeaderReadBytes + 1;
// Further right than the list is wide: the path after the tab rides along
// in the item without being seen.
constexpr int kHiddenTabStop = 300;

void FillContentList(HWND dialog, const char* text, size_t size) {
  HWND list = GetDlgItem(dialog, IDC_MMSVIEW_OBJECTS);
  LineCursor cursor;
  BeginLines(&cursor, text, size);
  char item[kContentItemChars];
  while (NextContentObjectItem(&cursor, item, sizeof item)) {
    // Inserting at the end bypasses the list's sorting: header order stays.
    SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
  }
}

void ShowHeader(HWND dialog, const char* headerPath) {
  char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kHeaderBufferBytes));
  if (!text) return;
  HANDLE file = CreateFileA(headerPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD got = 0;
    if (!ReadFile(file, text, static_cast<DWORD>(kMmsHeaderReadBytes), &got, nullptr)) got = 0;
    CloseHandle(file);
    SetDlgItemTextA(dialog, IDC_MMSVIEW_HEADER, text);
    SendDlgItemMessageA(dialog, IDC_MMSVIEW_HEADER, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    FillContentList(dialog, text, got);
  }
  HeapFree(GetProcessHeap(), 0, text);
}

BOOL OnInitDialog(HWND dialog, const char* headerPath) {
  HWND list = GetDlgItem(dialog, IDC_MMSVIEW_OBJECTS);
  SendMessageA(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&kHiddenTabStop));
  if (headerPath) ShowHeader(dialog, headerPath);
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  // Focus on the list rather than the header text, which would be selected whole.
  SetFocus(list);
  return FALSE;
}

// Reads an item back as wide text and converts it here: the list box's own
// ANSI conversion on some systems carries only the first 511 characters and
// overruns its buffer with longer items.
bool ReadItemText(HWND list, int index, char* item, size_t cap) {
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR || static_cast<size_t>(length) >= kContentItemChars) return false;
  WCHAR wide[kContentItemChars] = L"";
  if (SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide)) == LB_ERR) return false;
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, item, static_cast<int>(cap), nullptr, nullptr);
  if (bytes <= 0) return false;
  item[cap - 1] = '\0';
  return true;
}

// The object's full path when it may be opened: inside the message's own
// content folder (the header's path without its extension) and no program.
// Refused with a box otherwise.
bool OpenableContentPath(HWND dialog, const char* relative, char* path, size_t cap) {
  const char* headerPath = DialogState<const char>(dialog);
  char store[MAX_PATH];
  GetMmsInDirectory(store);
  char joined[MAX_PATH];
  char folder[MAX_PATH];
  char contentFolder[MAX_PATH];
  // A cut path would name some other file.
  bool resolved = headerPath && strlen(store) + strlen(relative) + 1 <= sizeof joined &&
                  !strchr(relative, ':') && PathWithoutExtension(headerPath, folder, sizeof folder) &&
                  GetFullPathNameA(folder, sizeof contentFolder, contentFolder, nullptr) < sizeof contentFolder;
  if (resolved) {
    FormatText(joined, sizeof joined, "%s%s", store, relative);
    DWORD length = GetFullPathNameA(joined, static_cast<DWORD>(cap), path, nullptr);
    resolved = length > 0 && length < cap && PathIsInsideFolder(contentFolder, path);
  }
  if (!resolved) {
    ShowMessage(dialog, "This content object lies outside the message's folder and is not opened.",
                MB_OK | MB_ICONERROR);
    return false;
  }
  if (IsProgramFileName(path)) {
    ShowMessage(dialog, "This content object is a program or script and is not opened.", MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void ViewContentObject(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_MMSVIEW_OBJECTS);
  LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return;
  char item[kContentItemChars];
  if (!ReadItemText(list, static_cast<int>(index), item, sizeof item)) return;
  const char* relative = ContentItemPath(item);
  char path[MAX_PATH];
  if (!relative || !OpenableContentPath(dialog, relative, path, sizeof path)) return;
  if (ContentItemOpensInNotepad(item))
    OpenInNotepad(path);
  else
    OpenWithShell(dialog, path);
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK:
      EndDialog(dialog, 1);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_MMSVIEW_VIEW:
      ViewContentObject(dialog);
      return TRUE;
    case IDC_MMSVIEW_OBJECTS:
      if (code == LBN_DBLCLK) PostMessageA(dialog, WM_COMMAND, IDC_MMSVIEW_VIEW, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK MmsDetailsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      // The header's path, the caller's for the dialog's life.
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      return OnInitDialog(dialog, reinterpret_cast<const char*>(lParam));
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
  }
  return FALSE;
}

}  // namespace

INT_PTR MmsDetailsDialog(HWND owner, const char* headerPath) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), "DIALOG_MMSVIEW", owner, MmsDetailsProc,
                         reinterpret_cast<LPARAM>(headerPath));
}
