#include "queues/queue_viewer.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "common/file_util.h"
#include "common/text_util.h"
#include "common/ui_util.h"
#include "config/config_files.h"
#include "queues/mms_details_dialog.h"
#include "common/file_viewer.h"
#include "queues/message_delete.h"
#include "queues/queue_rows.h"
#include "queues/queue_sort.h"
#include "queues/queue_view_rules.h"
#include "queues/queue_scanners.h"
#include "queues/recipients.h"
#include "queues/store_walker.h"
#include "resources/page_ids.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshPeriodMs = 60000;
constexpr size_t kDisplayChars = 500;
constexpr UINT_PTR kListSubclassId = 1;
// A message key is a path relative to the store; kept whole so that a long
// one still finds its row again.
constexpr size_t kKeyChars = kWalkRelativePathChars;

enum class OpenKind { kNotepad, kNotepadControlFile, kMmsDetails };
enum class DeleteKind { kFile, kMessageAndControlFile, kHeaderAndContent };

// One per viewer, for the life of the process: the rows of the last opening
// and the sort order outlive the dialog.
struct QueueViewState {
  explicit QueueViewState(signed char initialSort) : sortState(initialSort) {}
  char** rows = nullptr;
  unsigned count = 0;
  unsigned total = 0;
  // k > 0: column k - 1 ascending; k < 0: column -k - 1 descending; 0: unsorted.
  signed char sortState;
  bool lockExists = false;
  CRITICAL_SECTION lock{};
  char display[kDisplayChars] = "";
};

using Scanner = void (*)(char** rows, unsigned* count, unsigned* total);
using DirectoryGetter = void (*)(char* directory);

struct QueueViewer {
  const char* title;
  const char* const* columns;
  unsigned columnCount;
  Scanner scan;
  DirectoryGetter storeDirectory;
  const char* statusPrefix;
  const char* emptyText;
  bool newestFirst;
  OpenKind open;
  DeleteKind remove;
  QueueViewState* state;
};

// ---------------------------------------------------------------------------
// Rows

const char* RowKey(const QueueViewer& viewer, unsigned index) {
  return QueueRowField(viewer.state->rows[index], viewer.columnCount + 1, 0);
}

// Drops a row and moves the later ones up.
void RemoveRow(QueueViewState* state, unsigned index) {
  HeapFree(GetProcessHeap(), 0, state->rows[index]);
  memmove(state->rows + index, state->rows + index + 1, (state->count - index - 1) * sizeof(char*));
  state->rows[--state->count] = nullptr;
}

// The lock is taken only on the user-interface thread; it is re-entrant, so
// a cell request during a message box of the same viewer is harmless.
void Lock(QueueViewState* state) {
  if (state->lockExists) EnterCriticalSection(&state->lock);
}

void Unlock(QueueViewState* state) {
  if (state->lockExists) LeaveCriticalSection(&state->lock);
}

void DeleteMessage(const QueueViewer& viewer, const char* directory, const char* key) {
  char path[MAX_PATH];
  if (!MessagePath(directory, key, path, sizeof path)) return;
  switch (viewer.remove) {
    case DeleteKind::kFile:
      DeleteFileOrRetry(path);
      break;
    case DeleteKind::kMessageAndControlFile: {
      DeleteFileOrRetry(path);
      char control[MAX_PATH];
      if (MmsControlFilePath(path, control, sizeof control)) DeleteFileOrRetry(control);
      break;
    }
    case DeleteKind::kHeaderAndContent:
      DeleteReceivedMms(directory, path);
      break;
  }
}

bool ConfirmDelete(HWND dialog, unsigned selected) {
  char question[64];
  FormatDeleteQuestion(selected, question, sizeof question);
  return ShowMessage(dialog, question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// ---------------------------------------------------------------------------
// The list

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_SMSQ_LIST); }

int FirstSelected(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

unsigned SelectedCount(HWND list) { return static_cast<unsigned>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)); }

void SetItemState(HWND list, int index, UINT state, UINT mask) {
  LVITEMA item = {};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void EnsureVisible(HWND list, int index) { SendMessageA(list, LVM_ENSUREVISIBLE, index, FALSE); }

// Key of the first selected row; empty when none is selected.
void FirstSelectedKey(HWND list, const QueueViewer& viewer, char* key, size_t cap) {
  key[0] = '\0';
  int index = FirstSelected(list);
  if (index >= 0 && static_cast<unsigned>(index) < viewer.state->count)
    CopyText(key, cap, RowKey(viewer, static_cast<unsigned>(index)));
}

// Selects the row of the key again, wherever it went; otherwise nothing is
// selected and the list shows its top.
void RestoreSelection(HWND list, const QueueViewer& viewer, const char* key) {
  SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  int index = FindRowByKey(viewer.state->rows, viewer.state->count, viewer.columnCount + 1, key);
  if (index >= 0) SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EnsureVisible(list, index >= 0 ? index : 0);
}

void RedrawAll(HWND list, unsigned count) {
  SendMessageA(list, LVM_SETITEMCOUNT, count, 0);
  if (count > 0) SendMessageA(list, LVM_REDRAWITEMS, 0, count - 1);
  InvalidateRect(list, nullptr, TRUE);
}

void AddColumns(HWND list, const QueueViewer& viewer) {
  RECT client;
  GetClientRect(list, &client);
  int width = client.right - client.left;
  for (unsigned i = 0; i < viewer.columnCount; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    // The last column takes the whole width, so a long text can be scrolled to.
    column.cx = i + 1 < viewer.columnCount ? width / 6 : width;
    column.pszText = const_cast<char*>(viewer.columns[i]);
    column.iSubItem = static_cast<int>(i);
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

// In a dialog the Enter key would press OK; in the list it opens the message.
LRESULT CALLBACK ListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE:
      return DialogCodeTakingEnter(list, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        PostMessageA(GetParent(list), WM_COMMAND, IDC_SMSQ_OPEN, 0);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r') return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, ListKeyProc, kListSubclassId);
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

void UpdateStatusLine(HWND dialog, const QueueViewer& viewer) {
  char text[128];
  FormatQueueStatus(viewer.statusPrefix, viewer.emptyText, viewer.state->total, text, sizeof text);
  SetDlgItemTextIfChanged(dialog, IDC_SMSQ_STATUS, text);
}

// ---------------------------------------------------------------------------
// Handlers

BOOL OnInitDialog(HWND dialog, const QueueViewer* viewer) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(viewer));
  QueueViewState* state = viewer->state;
  if (!state->lockExists) {
    InitializeCriticalSection(&state->lock);
    state->lockExists = true;
  }
  SetWindowTextA(dialog, viewer->title);
  HWND list = List(dialog);
  AddColumns(list, *viewer);
  SetWindowSubclass(list, ListKeyProc, kListSubclassId, 0);

  Lock(state);
  FreeQueueRows(state->rows, state->count);
  state->rows = AllocateQueueRows();
  state->count = 0;
  state->total = 0;
  if (state->rows) {
    viewer->scan(state->rows, &state->count, &state->total);
    // Always in time order on opening; the sort state applies from the first refresh.
    SortRows(state->rows, state->count, viewer->newestFirst ? -kTimeSortColumn : kTimeSortColumn,
             viewer->columnCount);
  }
  SendMessageA(list, LVM_SETITEMCOUNT, state->count, 0);
  SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  EnsureVisible(list, 0);
  Unlock(state);

  UpdateStatusLine(dialog, *viewer);
  SetTimer(dialog, kRefreshTimer, kRefreshPeriodMs, nullptr);
  return TRUE;
}

void FillCellText(const QueueViewer& viewer, NMLVDISPINFOA* info) {
  if (!(info->item.mask & LVIF_TEXT)) return;
  QueueViewState* state = viewer.state;
  Lock(state);
  state->display[0] = '\0';
  int item = info->item.iItem;
  int column = info->item.iSubItem;
  if (item >= 0 && static_cast<unsigned>(item) < state->count && column >= 0 &&
      static_cast<unsigned>(column) < viewer.columnCount) {
    const char* row = state->rows[item];
    CopyText(state->display, sizeof state->display,
             QueueRowField(row, viewer.columnCount + 1, static_cast<size_t>(column) + 1));
  }
  info->item.pszText = state->display;
  Unlock(state);
}

void OnColumnClick(HWND dialog, const QueueViewer& viewer, int column) {
  HWND list = List(dialog);
  QueueViewState* state = viewer.state;
  Lock(state);
  char key[kKeyChars];
  FirstSelectedKey(list, viewer, key, sizeof key);
  int sortState = NextSortState(state->sortState, column, viewer.columnCount, state->count);
  if (sortState != state->sortState) {
    state->sortState = static_cast<signed char>(sortState);
    SortRows(state->rows, state->count, state->sortState, viewer.columnCount);
    RedrawAll(list, state->count);
    RestoreSelection(list, viewer, key);
  }
  Unlock(state);
}

void Refresh(HWND dialog, const QueueViewer& viewer) {
  HWND list = List(dialog);
  // A multiple selection is the user's work in progress: leave it alone.
  if (SelectedCount(list) >= 2) return;
  char** fresh = AllocateQueueRows();
  if (!fresh) return;
  QueueViewState* state = viewer.state;
  unsigned freshCount = 0;
  viewer.scan(fresh, &freshCount, &state->total);
  SortRows(fresh, freshCount, state->sortState, viewer.columnCount);

  Lock(state);
  if (SelectedCount(list) >= 2) {
    FreeQueueRows(fresh, freshCount);
  } else {
    char key[kKeyChars];
    FirstSelectedKey(list, viewer, key, sizeof key);
    char** old = state->rows;
    unsigned oldCount = state->count;
    state->rows = fresh;
    state->count = freshCount;
    RedrawAll(list, freshCount);
    RestoreSelection(list, viewer, key);
    // Cells are asked for on this thread only, and from now on of the new
    // rows: the old ones can go at once.
    FreeQueueRows(old, oldCount);
  }
  Unlock(state);
  UpdateStatusLine(dialog, viewer);
}

void OpenMessage(HWND dialog, const QueueViewer& viewer) {
  HWND list = List(dialog);
  SetFocus(list);
  char directory[MAX_PATH];
  viewer.storeDirectory(directory);
  char path[MAX_PATH];
  bool found = false;
  Lock(viewer.state);
  int index = FirstSelected(list);
  if (index >= 0 && static_cast<unsigned>(index) < viewer.state->count)
    found = MessagePath(directory, RowKey(viewer, static_cast<unsigned>(index)), path, sizeof path);
  Unlock(viewer.state);
  if (!found) return;
  switch (viewer.open) {
    case OpenKind::kNotepad:
      OpenInNotepad(path);
      break;
    case OpenKind::kNotepadControlFile: {
      char control[MAX_PATH];
      if (MmsControlFilePath(path, control, sizeof control)) OpenInNotepad(control);
      break;
    }
    case OpenKind::kMmsDetails:
      MmsDetailsDialog(dialog, path);
      break;
  }
}

void DeleteSelected(HWND dialog, const QueueViewer& viewer) {
  HWND list = List(dialog);
  SetFocus(list);
  QueueViewState* state = viewer.state;
  Lock(state);
  unsigned selected = SelectedCount(list);
  if (selected > 0 && ConfirmDelete(dialog, selected)) {
    char directory[MAX_PATH];
    viewer.storeDirectory(directory);
    // Never more rounds than there were selected items: should the list
    // keep a selection on a deleted item, the next row must not go too.
    for (unsigned round = 0; round < selected; ++round) {
      int index = FirstSelected(list);
      if (index < 0 || static_cast<unsigned>(index) >= state->count) break;
      DeleteMessage(viewer, directory, RowKey(viewer, static_cast<unsigned>(index)));
      RemoveRow(state, static_cast<unsigned>(index));
      if (!SendMessageA(list, LVM_DELETEITEM, index, 0)) {
        RedrawAll(list, state->count);
        break;
      }
    }
  }
  Unlock(state);
}

void OnDestroy(HWND dialog, const QueueViewer& viewer) {
  KillTimer(dialog, kRefreshTimer);
  QueueViewState* state = viewer.state;
  if (state->lockExists) {
    DeleteCriticalSection(&state->lock);
    state->lockExists = false;
  }
}

INT_PTR OnNotify(HWND dialog, const QueueViewer& viewer, NMHDR* header) {
  if (header->idFrom != IDC_SMSQ_LIST) return FALSE;
  switch (header->code) {
    case LVN_GETDISPINFOA:
      FillCellText(viewer, reinterpret_cast<NMLVDISPINFOA*>(header));
      return TRUE;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
      // Typing in the list never moves the selection.
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, -1);
      return TRUE;
    case LVN_COLUMNCLICK:
      OnColumnClick(dialog, viewer, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return TRUE;
    case NM_DBLCLK:
      PostMessageA(dialog, WM_COMMAND, IDC_SMSQ_OPEN, 0);
      return TRUE;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE)
        PostMessageA(dialog, WM_COMMAND, IDC_SMSQ_DELETE, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR OnCommand(HWND dialog, const QueueViewer& viewer, int id) {
  switch (id) {
    case IDOK:
      EndDialog(dialog, 1);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_SMSQ_OPEN:
      OpenMessage(dialog, viewer);
      return TRUE;
    case IDC_SMSQ_DELETE:
      DeleteSelected(dialog, viewer);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK QueueViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog(dialog, reinterpret_cast<const QueueViewer*>(lParam));
  const auto* viewer = reinterpret_cast<const QueueViewer*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!viewer) return FALSE;
  switch (message) {
    case WM_NOTIFY:
      return OnNotify(dialog, *viewer, reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam == kRefreshTimer) Refresh(dialog, *viewer);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, *viewer, LOWORD(wParam));
    case WM_DESTROY:
      OnDestroy(dialog, *viewer);
      return FALSE;
  }
  return FALSE;
}

// ---------------------------------------------------------------------------
// The four viewers

const char* const kOutboundSmsColumns[] = {"ID", "Submit User", "Recipient", "Submit Time", "Status"};
const char* const kOutboundMmsColumns[] = {"ID", "Sender", "Recipient", "Submit Time", "Status"};
const char* const kReceivedSmsColumns[] = {"ID", "Sender", "Recipient", "Receive Time", "Status", "Text"};
const char* const kReceivedMmsColumns[] = {"ID", "Sender", "Recipient", "Receive Time", "Subject"};

QueueViewState g_outboundSmsState(kTimeSortColumn);
QueueViewState g_outboundMmsState(kTimeSortColumn);
QueueViewState g_receivedSmsState(-kTimeSortColumn);
QueueViewState g_receivedMmsState(-kTimeSortColumn);

void OutboundSmsDirectory(char* directory) { GetQueueDirectory(directory); }

const QueueViewer kOutboundSms = {
    "Outbound SMS Queue", kOutboundSmsColumns, 5, ScanOutboundSmsQueue, OutboundSmsDirectory,
    "Outbound SMS Message Queue:  ", "Empty", false, OpenKind::kNotepad, DeleteKind::kFile,
    &g_outboundSmsState};
const QueueViewer kOutboundMms = {
    "Outbound MMS Queue", kOutboundMmsColumns, 5, ScanOutboundMmsQueue, GetVaspQueueDirectory,
    "Outbound MMS Message Queue:  ", "Empty", false, OpenKind::kNotepadControlFile,
    DeleteKind::kMessageAndControlFile, &g_outboundMmsState};
const QueueViewer kReceivedSms = {
    "Received SMS Messages", kReceivedSmsColumns, 6, ScanReceivedSms, GetSmsInDirectory,
    "Received SMS Messages:  ", "None", true, OpenKind::kNotepad, DeleteKind::kFile, &g_receivedSmsState};
const QueueViewer kReceivedMms = {
    "Received MMS Messages", kReceivedMmsColumns, 5, ScanReceivedMms, GetMmsInDirectory,
    "Received MMS Messages:  ", "None", true, OpenKind::kMmsDetails, DeleteKind::kHeaderAndContent,
    &g_receivedMmsState};

INT_PTR ShowViewer(HWND owner, const QueueViewer& viewer) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), "DIALOG_SMSQ", owner, QueueViewerProc,
                         reinterpret_cast<LPARAM>(&viewer));
}

}  // namespace

INT_PTR ShowOutboundSmsQueue(HWND owner) { return ShowViewer(owner, kOutboundSms); }
INT_PTR ShowOutboundMmsQueue(HWND owner) { return ShowViewer(owner, kOutboundMms); }
INT_PTR ShowReceivedSms(HWND owner) { return ShowViewer(owner, kReceivedSms); }
INT_PTR ShowReceivedMms(HWND owner) { return ShowViewer(owner, kReceivedMms); }
