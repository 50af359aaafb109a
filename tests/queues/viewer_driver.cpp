#include "queues/viewer_driver.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/text_util.h"
#include "support/dialog_items.h"
#include "support/window_driver.h"

void WalkDialog(const std::string& caption, const std::function<void()>& show,
                const std::function<void(HWND dialog)>& steps) {
  WindowDriver driver(caption, [&](HWND dialog) {
    steps(dialog);
    Cancel(dialog);
  });
  show();
  EXPECT_TRUE(driver.Appeared()) << caption;
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string CellText(HWND list, int item, int column) {
  char text[2048] = "";
  LVITEMA request = {};
  request.iSubItem = column;
  request.pszText = text;
  request.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request));
  return text;
}

std::vector<std::string> ColumnTexts(HWND list, int column) {
  std::vector<std::string> texts;
  int count = ItemCount(list);
  for (int i = 0; i < count; ++i) texts.push_back(CellText(list, i, column));
  return texts;
}

std::vector<int> SelectedItems(HWND list) {
  std::vector<int> items;
  int index = -1;
  while ((index = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, index, LVNI_SELECTED))) >= 0)
    items.push_back(index);
  return items;
}

int FocusedItem(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void SelectItems(HWND list, const std::vector<int>& items) {
  LVITEMA clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  bool first = true;
  for (int index : items) {
    LVITEMA select = {};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | (first ? LVIS_FOCUSED : 0);
    SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&select));
    first = false;
  }
}

void ClickColumn(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  RECT rect = {};
  SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
  // Clear of the dividers at both edges, which start a resize instead.
  int x = rect.left + (rect.right - rect.left < 60 ? (rect.right - rect.left) / 2 : 30);
  LPARAM point = MAKELPARAM(x, (rect.top + rect.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageA(header, WM_LBUTTONUP, 0, point);
}

void DoubleClickItem(HWND list, int item) {
  RECT rect = {};
  rect.left = LVIR_LABEL;
  SendMessageA(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
  LPARAM point = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageA(list, WM_LBUTTONUP, 0, point);
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  SendMessageA(list, WM_LBUTTONUP, 0, point);
}

int TopIndex(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)); }

bool ItemShown(HWND list, int item) {
  int top = TopIndex(list);
  int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  return item >= top && item < top + perPage;
}

namespace {

struct NotepadSearch {
  const std::string* name;  // empty: any Notepad window
  HWND found;
};

BOOL CALLBACK MatchNotepad(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<NotepadSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (!EqualsNoCase(className, "Notepad")) return TRUE;
  if (!search->name->empty() && !FindNoCase(InternalText(window).c_str(), search->name->c_str())) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindNotepad(const std::string& name) {
  NotepadSearch search = {&name, nullptr};
  EnumWindows(MatchNotepad, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND WaitForNotepad(const std::string& fileName, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindNotepad(fileName)) != nullptr; }, timeoutMs);
  return found;
}

bool CloseNotepad(HWND window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 20000);
}

void CloseAllNotepads() {
  for (int i = 0; i < 20; ++i) {
    HWND window = FindNotepad("");
    if (!window) return;
    CloseNotepad(window);
  }
}
