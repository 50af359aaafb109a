// A stand-in for one gateway service: a real Windows service that publishes its
// status block, flags configured ports it finds taken, and stops on the stop
// control or on StopRequest. Its behaviour comes from GATEWAYSIM.INI in the
// program data directory, section named after the service:
//   IgnoreStopControl=Yes   stop only through StopRequest
// and it records how it stopped there as LastStop (StopControl or StopRequest).
// While it runs it works its outbound queue (queue_worker.h).
#pragma once

#include "queue_worker.h"

struct PortCheck {
  const char* iniFile;    // "SMSGW.INI" or "MMSC.INI" in the program data directory
  const char* section;
  const char* key;
  unsigned defaultPort;   // 0: not checked unless configured
  unsigned flagByte;      // status block byte set when the port is taken
};

struct StandInService {
  const char* serviceName;
  const char* blockName;
  PortCheck ports[2];
  const QueueWorker* worker;
};

int RunStandInService(const StandInService& service);
