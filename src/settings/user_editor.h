// The "Edit User" dialog: one user's record, its inbound routing entry and
// its MM7/EAIF account.
#pragma once
#include <windows.h>

#include "config/gwcore_api.h"

// Opens the editor on the record (all zero for a new user). On OK the record
// is stored in the user file under its (new) name, then its routing entry and
// VASP account are written, and the record holds the new contents; a record
// the file refuses leaves the editor open with nothing written. A renamed
// user's old record is the caller's to remove. IDOK or IDCANCEL.
INT_PTR ShowUserEditor(HWND owner, SmsUserRecord* record, HANDLE userFile);
