// The console's main window: a modal property sheet of seven pages.
#pragma once
#include <windows.h>

#include "app/page_protocol.h"

struct SheetPage {
  const char* templateName;
  const char* title;
  DLGPROC procedure;
  // Handed to the page in the page record's lParam.
  const PageProtocol* protocol;
};

// The pages in tab order.
extern const SheetPage kMainSheetPages[7];

// A page whose own behaviour is only the common protocol; its PageProtocol
// comes in the page record's lParam.
INT_PTR CALLBACK ProtocolPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the page records of a sheet; the Help flag only when help is available.
void BuildPropertyPages(const SheetPage* pages, int count, PROPSHEETPAGEA* records);

INT_PTR RunMainSheet();
