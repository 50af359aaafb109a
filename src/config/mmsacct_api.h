// Functions of MMSACCT.DLL: the MMS (VASP) accounts shared with the MMS service.
#pragma once
#include <windows.h>

#ifdef MMSACCT_BUILD
#define MMSACCT_API extern "C" __declspec(dllexport)
#else
#define MMSACCT_API extern "C" __declspec(dllimport)
#endif

constexpr size_t kVaspRecordSize = 511;
// Begins with the NUL-terminated account name.
struct VaspAccountRecord {
  unsigned char bytes[kVaspRecordSize];
};

MMSACCT_API BOOL VASPOutAddUser(const VaspAccountRecord* record);
MMSACCT_API BOOL VASPFindUserRecord(const char* name, VaspAccountRecord* record);
MMSACCT_API BOOL VASPAddUser(const VaspAccountRecord* record);
MMSACCT_API BOOL VASPDeleteUser(const char* name);
