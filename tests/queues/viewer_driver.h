// Reading and driving the queue viewer and details dialogs from a test's
// helper thread, and finding the Notepad windows they start.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Shows a modal dialog through show, runs the steps on it from a helper
// thread once its caption appears, then closes it with Cancel.
void WalkDialog(const std::string& caption, const std::function<void()>& show,
                const std::function<void(HWND dialog)>& steps);

int ItemCount(HWND list);
std::string CellText(HWND list, int item, int column);
std::vector<std::string> ColumnTexts(HWND list, int column);
std::vector<int> SelectedItems(HWND list);
int FocusedItem(HWND list);
// Clears the selection and selects these items (the first one focused).
void SelectItems(HWND list, const std::vector<int>& items);
// A click on the column's header button, as the mouse makes it.
void ClickColumn(HWND list, int column);
// A double-click on the item, as the mouse makes it.
void DoubleClickItem(HWND list, int item);
// Items from the top one to the last one fully shown.
bool ItemShown(HWND list, int item);
int TopIndex(HWND list);

// A Notepad window (of another process) whose title names the file; null
// when none shows within the time.
HWND WaitForNotepad(const std::string& fileName, DWORD timeoutMs);
// Closes it and waits until it is gone.
bool CloseNotepad(HWND window);
// Closes every Notepad window still open (a failed test must not leave one).
void CloseAllNotepads();
