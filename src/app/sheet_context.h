// What the pages of one property sheet share. The sheet's owner (the main
// sheet, the setup wizard) builds one and hands it to every page through the
// page's PROPSHEETPAGE, so no page reads another page's state.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "common/dialog_state.h"

constexpr size_t kModemNameChars = 250;

// The tests in flight outlive the Test Message page's window, so a test is
// still followed when the page is shown again.
struct TestMessageState {
  bool smsPending;
  bool mmsPending;
  bool smsDone;  // a test SMS has left the queue since the sheet opened
  bool mmsDone;
  DWORD smsTestId;
  DWORD mmsTestId;
  bool pageActive;
};

struct SheetContext {
  // Some page holds edits that are not saved yet.
  bool configDirty = false;
  // Modem1 of [SMSGW] as the Modem page shows it.
  char currentModemName[kModemNameChars + 1] = "";
  // The Modem page's MMS settings passed the test, or the user chose to save
  // them untested; cleared when a tested setting changes.
  bool mmsSettingsTested = true;
  TestMessageState testMessages = {};
};

// The context a page was created with, from WM_INITDIALOG's lParam.
inline SheetContext* SheetContextOf(LPARAM initParam) {
  const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
  return record ? reinterpret_cast<SheetContext*>(record->lParam) : nullptr;
}

// A page's state (a struct with a SheetContext* sheet member): attached at
// WM_INITDIALOG with the page's context, freed when the window goes.
template <typename PageState>
PageState* AttachedPageState(HWND page, UINT message, LPARAM lParam) {
  PageState* state = AttachedDialogState<PageState>(page, message);
  if (message == WM_INITDIALOG && state) state->sheet = SheetContextOf(lParam);
  return state;
}

// An edit on a page: the sheet's Apply button lights up and leaving warns.
void MarkPageChanged(HWND page, SheetContext* sheet);
