// The console's main window: a modal property sheet of seven pages.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "app/sheet_context.h"

struct SheetPage {
  const char* templateName;
  const char* title;
  DLGPROC procedure;
};

// The pages in tab order.
extern const SheetPage kMainSheetPages[7];

// Fills the page records of a sheet, each page given the sheet's context; the
// Help flag only when help is available.
void BuildPropertyPages(const SheetPage* pages, int count, PROPSHEETPAGEA* records, SheetContext* sheet);

// The header of the console's sheets: product caption and icon, no parent,
// the Help flag only when help is available, and the extra flags given.
PROPSHEETHEADERA ConsoleSheetHeader(PROPSHEETPAGEA* records, int count, DWORD flags);

INT_PTR RunMainSheet(SheetContext* sheet);
