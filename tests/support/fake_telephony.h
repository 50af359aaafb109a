// A telephony provider for tests: line devices with names, media modes, a
// port name and a comm handle opened on a simulated modem's cable.
#pragma once
#include <windows.h>
#include <tapi.h>

#include <string>
#include <vector>

struct FakeLine {
  std::string name;
  DWORD mediaModes = LINEMEDIAMODE_DATAMODEM;
  std::string portName;      // "comm/datamodem/portname"; empty: none reported
  int cable = 1;             // the comm handle is the console end of this cable
  LONG openError = 0;        // lineOpen fails with this
  int getIdFailures = 0;     // lineGetID of the call fails this many times first
  DWORD capsNeeded = 0;      // capabilities larger than the first buffer
};

struct FakeTelephony {
  LONG initializeError = 0;
  std::vector<FakeLine> lines;
  std::vector<std::string> calls;  // what the code under test asked, in order
};

// Installs the provider for the test's lifetime.
class FakeTelephonyScope {
 public:
  FakeTelephonyScope();
  ~FakeTelephonyScope();
  FakeTelephony& fake;
};
