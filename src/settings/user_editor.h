// The "Edit User" dialog: one user's record, its inbound routing entry and
// its MM7/EAIF account.
#pragma once
#include <windows.h>

#include "config/gwcore_api.h"

// Opens the editor on the record (all zero for a new user). On OK the record
// holds the new contents, and the routing entry and the VASP account of the
// new name are already written; the caller stores the record. IDOK or IDCANCEL.
INT_PTR ShowUserEditor(HWND owner, SmsUserRecord* record, HANDLE userFile);
