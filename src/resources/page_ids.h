#pragma once

// Control ids of the main property sheet's pages and of the wait dialog.
// Page code and tests address the controls by these numbers; never renumber.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// DIALOG_STATUS
#define IDC_STATUS_SMS_QUEUE_LABEL          101
#define IDC_STATUS_SMS_QUEUE_COUNT          102
#define IDC_STATUS_SMS_RECEIVED_VIEW        103
#define IDC_STATUS_MMS_RECEIVED_VIEW        104
#define IDC_STATUS_INFO_TEXT                105
#define IDC_STATUS_SERVICE_TEXT             107
#define IDC_STATUS_COL_TODAY                110
#define IDC_STATUS_COL_LAST7                111
#define IDC_STATUS_COL_LAST30               112
#define IDC_STATUS_SMS_SENT_LABEL           113
#define IDC_STATUS_SMS_SENT_TODAY           114
#define IDC_STATUS_SMS_SENT_LAST7           115
#define IDC_STATUS_SMS_SENT_LAST30          116
#define IDC_STATUS_SMS_RECEIVED_LABEL       117
#define IDC_STATUS_SMS_RECEIVED_TODAY       118
#define IDC_STATUS_SMS_RECEIVED_LAST7       119
#define IDC_STATUS_SMS_RECEIVED_LAST30      120
#define IDC_STATUS_SMS_FAILED_LABEL         121
#define IDC_STATUS_SMS_FAILED_TODAY         122
#define IDC_STATUS_SMS_FAILED_LAST7         123
#define IDC_STATUS_SMS_FAILED_LAST30        124
#define IDC_STATUS_SMS_RETRIED_LABEL        125
#define IDC_STATUS_SMS_RETRIED_TODAY        126
#define IDC_STATUS_SMS_RETRIED_LAST7        127
#define IDC_STATUS_SMS_RETRIED_LAST30       128
#define IDC_STATUS_MMS_PROCESSED_LABEL      129
#define IDC_STATUS_MMS_PROCESSED_TODAY      130
#define IDC_STATUS_MMS_PROCESSED_LAST7      131
#define IDC_STATUS_MMS_PROCESSED_LAST30     132
#define IDC_STATUS_MMS_SENT_LABEL           137
#define IDC_STATUS_MMS_SENT_TODAY           138
#define IDC_STATUS_MMS_SENT_LAST7           139
#define IDC_STATUS_MMS_SENT_LAST30          140
#define IDC_STATUS_MMS_RECEIVED_LABEL       141
#define IDC_STATUS_MMS_RECEIVED_TODAY       142
#define IDC_STATUS_MMS_RECEIVED_LAST7       143
#define IDC_STATUS_MMS_RECEIVED_LAST30      144
#define IDC_STATUS_SMS_QUEUE_VIEW           145
#define IDC_STATUS_VIEW_LOGS                163
#define IDC_STATUS_EVENT_LOG                164
#define IDC_STATUS_SMS_SUBMITTED_LABEL      166
#define IDC_STATUS_SMS_SUBMITTED_TODAY      167
#define IDC_STATUS_SMS_SUBMITTED_LAST7      168
#define IDC_STATUS_SMS_SUBMITTED_LAST30     169
#define IDC_STATUS_SERVICE_LABEL            170
#define IDC_STATUS_RUN_AS_SERVICE           171
#define IDC_STATUS_START                    172
#define IDC_STATUS_STOP                     173
#define IDC_STATUS_MMS_QUEUE_LABEL          174
#define IDC_STATUS_MMS_QUEUE_COUNT          175
#define IDC_STATUS_MMS_QUEUE_VIEW           176

// DIALOG_MODEM
#define IDC_MODEM_NAME_LABEL                101
#define IDC_MODEM_NAME                      102
#define IDC_MODEM_PIN_LABEL                 103
#define IDC_MODEM_PIN                       104
#define IDC_MODEM_SMS_ACCESS_LABEL          105
#define IDC_MODEM_SMS_ACCESS_DEFAULT        106
#define IDC_MODEM_SMS_ACCESS_GSM            107
#define IDC_MODEM_SMS_ACCESS_GPRS           108
#define IDC_MODEM_RECEIVE_SMS               109
#define IDC_MODEM_SMS_STORAGE_LABEL         110
#define IDC_MODEM_SMS_STORAGE               111
#define IDC_MODEM_RECEIVE_MMS               112
#define IDC_MODEM_CHANGE                    113
#define IDC_MODEM_LOOKUP_OPERATOR           114
#define IDC_MODEM_APN_LABEL                 115
#define IDC_MODEM_APN                       116
#define IDC_MODEM_APN_LOGIN_LABEL           117
#define IDC_MODEM_APN_LOGIN                 118
#define IDC_MODEM_APN_PASSWORD_LABEL        119
#define IDC_MODEM_APN_PASSWORD              120
#define IDC_MODEM_WAP_GATEWAY_LABEL         121
#define IDC_MODEM_WAP_GATEWAY               122
#define IDC_MODEM_MMS_URL_LABEL             123
#define IDC_MODEM_MMS_URL                   124
#define IDC_MODEM_TEST_CONNECTION           125
#define IDC_MODEM_SEND_MMS                  126
#define IDC_MODEM_USE_NETWORK_CONNECTION    127
#define IDC_MODEM_NETWORK_CONNECTION_LABEL  128
#define IDC_MODEM_NETWORK_CONNECTION        129

// DIALOG_SERVER
#define IDC_SERVER_WEB_PORT                 104
#define IDC_SERVER_SMPP_ENABLE              110
#define IDC_SERVER_MM7_ENABLE               113
#define IDC_SERVER_SMPP_PORT_LABEL          114
#define IDC_SERVER_MM7_PORT_LABEL           117
#define IDC_SERVER_SMPP_PORT                118
#define IDC_SERVER_MM7_PORT                 121
#define IDC_SERVER_STATUS                   133
#define IDC_SERVER_ACTION                   134

// DIALOG_SMSUSERS
#define IDC_USERS_LIST                      101
#define IDC_USERS_EDIT                      102
#define IDC_USERS_ADD                       103
#define IDC_USERS_DELETE                    104
#define IDC_USERS_WEB_AUTH                  105

// DIALOG_RECV
#define IDC_RECV_PROCESS_SMS                101
#define IDC_RECV_ROUTE_LOCAL                102
#define IDC_RECV_LOCAL_USER                 103
#define IDC_RECV_USE_COMMANDS               104
#define IDC_RECV_COMMAND_TABLE_LABEL        105
#define IDC_RECV_COMMAND_TABLE              106
#define IDC_RECV_ADD                        107
#define IDC_RECV_EDIT                       108
#define IDC_RECV_REMOVE                     109
#define IDC_RECV_CHARSET_LABEL              110
#define IDC_RECV_CHARSET                    111
#define IDC_RECV_PROCESS_MMS                112
#define IDC_RECV_MMS_TO_DIRECTORY           113
#define IDC_RECV_MMS_ROUTE_MM7              114
#define IDC_RECV_CONFIGURE_MM7              119
#define IDC_RECV_VIEW_SMS                   120
#define IDC_RECV_VIEW_MMS                   121
#define IDC_RECV_PHP_ENABLE                 191
#define IDC_RECV_PHP_ADDRESS                192
#define IDC_RECV_PHP_ALLOW_REMOTE           193

// DIALOG_TESTMSG
#define IDC_TESTMSG_PHONE_LABEL             101
#define IDC_TESTMSG_PHONE                   102
#define IDC_TESTMSG_SEND_SMS                103
#define IDC_TESTMSG_SEND_MMS                104
#define IDC_TESTMSG_SMS_STATUS              105
#define IDC_TESTMSG_SMS_DETAIL              106
#define IDC_TESTMSG_CANCEL                  107
#define IDC_TESTMSG_WEB_TEST                108
#define IDC_TESTMSG_MMS_STATUS              111
#define IDC_TESTMSG_MMS_DETAIL              112

// DIALOG_DEBUGLOG
#define IDC_DEBUGLOG_LABEL                  112
#define IDC_DEBUGLOG_SMSGW                  113
#define IDC_DEBUGLOG_MMSC                   114
#define IDC_DEBUGLOG_MMSWAP                 115
#define IDC_DEBUGLOG_VIEW_SMSGW             151
#define IDC_DEBUGLOG_VIEW_MMSC              152
#define IDC_DEBUGLOG_VIEW_MMSWAP            153

// WAITDLG
#define IDC_WAIT_TEXT                       1444

// DIALOG_ADDMODEM and DIALOG_WIZADDMODEM (the same ids on both)
#define IDC_ADDMODEM_LIST_LABEL             101
#define IDC_ADDMODEM_LIST                   102
#define IDC_ADDMODEM_PIN_LABEL              103
#define IDC_ADDMODEM_PIN                    104
#define IDC_ADDMODEM_PIN_HINT               105
#define IDC_ADDMODEM_TEST                   106
#define IDC_ADDMODEM_NOT_LISTED             107
#define IDC_ADDMODEM_WIZARD_TEXT            108

// DIALOG_SMSQ (the four queue viewers)
#define IDC_SMSQ_LIST                       101
#define IDC_SMSQ_STATUS                     102
// Commands of the viewers: the list sends them on Enter or a double-click
// and on the Delete key.
#define IDC_SMSQ_OPEN                       102
#define IDC_SMSQ_DELETE                     103

// DIALOG_MMSVIEW
#define IDC_MMSVIEW_HEADER_LABEL            101
#define IDC_MMSVIEW_HEADER                  102
#define IDC_MMSVIEW_OBJECTS                 103
#define IDC_MMSVIEW_OBJECTS_LABEL           104
#define IDC_MMSVIEW_VIEW                    105

// DIALOG_EVENT
#define IDC_EVENT_LIST                      101
#define IDC_EVENT_CLEAR                     102

// DIALOG_WIZCOMPLETE
#define IDC_WIZCOMPLETE_TITLE               101
#define IDC_WIZCOMPLETE_QUESTION            102
#define IDC_WIZCOMPLETE_YES                 103
#define IDC_WIZCOMPLETE_NO                  104
