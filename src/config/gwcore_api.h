// Functions of GWCORE.DLL, the core library shared with the gateway services.
#pragma once
#include <windows.h>

#ifdef GWCORE_BUILD
#define GWCORE_API extern "C" __declspec(dllexport)
#else
#define GWCORE_API extern "C" __declspec(dllimport)
#endif

constexpr size_t kUserRecordSize = 522;
// Whole record as stored in the user file; begins with the NUL-terminated name.
struct SmsUserRecord {
  unsigned char bytes[kUserRecordSize];
};

constexpr size_t kOperatorFieldSize = 104;

// Each fills a buffer of MAX_PATH characters with a path ending in a backslash.
GWCORE_API BOOL GetProgramDataDirectory(char* buffer);
GWCORE_API BOOL GetPrivateDataDirectory(char* buffer);
GWCORE_API BOOL GetRealProgramDirectory(char* buffer);

// Registered once at start-up, before any other call.
GWCORE_API void SMSIniSetFilename(const char* path);
GWCORE_API void MMSCIniSetFilename(const char* path);

// access: GENERIC_READ, or GENERIC_READ | GENERIC_WRITE to add and delete users.
GWCORE_API BOOL SMSOpenUserFile(HANDLE* handle, DWORD access);
GWCORE_API void SMSCloseUserFile(HANDLE handle);
GWCORE_API int SMSGetRecordCount(HANDLE handle);
GWCORE_API BOOL SMSGetUserRecord(HANDLE handle, int index, SmsUserRecord* record);
GWCORE_API int SMSFindFirstUserRecord(HANDLE handle, const char* namePrefix, SmsUserRecord* record);
GWCORE_API BOOL SMSFindUserRecord(HANDLE handle, const char* name, SmsUserRecord* record);
GWCORE_API BOOL SMSAddUser(HANDLE handle, const SmsUserRecord* record);
GWCORE_API BOOL SMSDeleteUser(HANDLE handle, const SmsUserRecord* record);

// Decodes GSM 7-bit message data (hexadecimal) to UTF-8. The output may be the
// data buffer itself; outputCap bounds what is written.
GWCORE_API BOOL GSM7ToUTF8String(const char* headerHex, const char* dataHex, char* output,
                                 size_t outputCap);

// Modal operator picker; each buffer holds kOperatorFieldSize characters.
GWCORE_API BOOL ChooseOperatorSettings(HWND owner, char* apn, char* apnLogin, char* apnPassword,
                                       char* wapGateway, char* mmsServerUrl);
