#pragma once

// Control ids of DIALOG_2WAYCOMMAND, the 2-way command editor, and of
// DIALOG_MM7, the MM7 receiver dialog. The dialogs and their tests address
// the controls by these numbers; never renumber.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// DIALOG_2WAYCOMMAND
#define IDC_2WAY_PREFIX_LABEL               101
#define IDC_2WAY_PREFIX                     102
#define IDC_2WAY_COMMAND_LABEL              103
#define IDC_2WAY_COMMAND                    104
#define IDC_2WAY_RETURNS_RESPONSE           105

// DIALOG_MM7
#define IDC_MM7_USER_NAME                   104
#define IDC_MM7_PASSWORD                    108
#define IDC_MM7_SERVER                      124
#define IDC_MM7_VASP_ID                     150
#define IDC_MM7_VAS_ID                      152
#define IDC_MM7_SERVICE_CODE                160
#define IDC_MM7_VERSION                     178
#define IDC_MM7_SCHEMA                      180
#define IDC_MM7_STRIP_WHITE_SPACE           181
#define IDC_MM7_VARIATION                   196
