#pragma once

// Control ids of DIALOG_USERINFO, the user editor. The editor and its tests
// address the controls by these numbers; never renumber.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDC_USERINFO_WEB_LOGIN              101
#define IDC_USERINFO_SMPP_LOGIN             102
#define IDC_USERINFO_NAME                   104
#define IDC_USERINFO_PASSWORD               106
#define IDC_USERINFO_FULL_NAME              108
#define IDC_USERINFO_ACCEPT_RECEIVED        109
#define IDC_USERINFO_ROUTING_LABEL          110
#define IDC_USERINFO_ROUTING                111
#define IDC_USERINFO_MM7_LOGIN              113
#define IDC_USERINFO_IP_RESTRICTION         121
#define IDC_USERINFO_WEB_MENU               128
#define IDC_USERINFO_WEB_MENU_LABEL         129
#define IDC_USERINFO_ADMIN                  140
