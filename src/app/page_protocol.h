// What every page of the main sheet and the wizard does with the sheet's
// common requests: cancel query, sibling query, help, apply.
#pragma once
#include <windows.h>

#include "app/sheet_context.h"

// The code with which a page asks its siblings whether edits are unsaved.
constexpr WPARAM kUnsavedChangesQuery = 2038;

enum class CancelRule {
  LetCancel,                       // closes without asking
  AskWhenDirty,                    // asks while the sheet holds unsaved edits
  AskWhenDirtyOrSiblingsChanged,   // also asks when a sibling reports changes
};

struct PageProtocol {
  CancelRule cancel;
  bool answersUnsavedQuery;  // answers code 2038 with the sheet's unsaved state
};

// Handles the protocol's messages; true when the message was one of them (the
// dialog result is then set).
bool HandlePageProtocol(HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                        const PageProtocol& protocol, SheetContext* sheet);

// Asks the sheet's pages whether any holds unsaved changes.
bool SiblingsReportChanges(HWND page);
