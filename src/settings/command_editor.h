// The "2-Way SMS Command" dialog: edits one 2-way command entry (prefix,
// tab, command, tab, response flag).
#pragma once
#include <windows.h>

#include <cstddef>

// Opens the editor on the entry in the buffer (empty for a new command). On
// IDOK the buffer holds the new entry, cut at cap; on IDCANCEL it is unchanged.
INT_PTR ShowCommandEditor(HWND owner, char* entry, size_t cap);
