// The Windows dial-up (RAS) API, bound at run time. It comes from
// "RASAPI32.DLL" unless another library is named, first by the environment
// variable ZEDSMS_RAS_LIBRARY, then by the string value RasLibrary under
// HKEY_LOCAL_MACHINE\SOFTWARE\ZedSMS Lite. Tests name a stand-in there: the
// test system's dial-up API is only a stub. Bound once per process.
#pragma once
#include <windows.h>
#include <ras.h>
#include <raserror.h>

struct RasTable {
  decltype(&RasDialA) Dial;
  decltype(&RasHangUpA) HangUp;
  decltype(&RasGetConnectStatusA) GetConnectStatus;
  decltype(&RasGetErrorStringA) GetErrorString;
  decltype(&RasEnumEntriesA) EnumEntries;
  decltype(&RasEnumConnectionsA) EnumConnections;
  decltype(&RasGetEntryPropertiesA) GetEntryProperties;
  decltype(&RasSetEntryPropertiesA) SetEntryProperties;
  decltype(&RasDeleteEntryA) DeleteEntry;
  decltype(&RasGetEntryDialParamsA) GetEntryDialParams;
};

// The bound API, or null when the library cannot be loaded. Entries the
// library lacks are null; each caller checks the ones it needs.
const RasTable* Ras();
