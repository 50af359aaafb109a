// A dialog's own state, owned by its window.
#pragma once
#include <windows.h>

template <typename State>
State* DialogState(HWND dialog) {
  return reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Call first in the dialog procedure: a new State at WM_INITDIALOG, freed at
// WM_NCDESTROY (the last message, so WM_DESTROY still sees it). Null before
// and after.
template <typename State>
State* AttachedDialogState(HWND dialog, UINT message) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(new State{}));
  State* state = DialogState<State>(dialog);
  if (message == WM_NCDESTROY && state) {
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    delete state;
    return nullptr;
  }
  return state;
}
