// What the stand-in services do with their outbound queues, so the console's
// pages have something real to follow. Each service works its queue once per
// cycle; its section of GATEWAYSIM.INI (ZedSMS or ZedMMSC) sets the outcome:
//   Outcome=Send        (default) send every request: a daily log line, the
//                       sent counter, the request removed
//   Outcome=Fail        each cycle is a failed attempt: the retry details are
//                       added to the request; after MaxRetries attempts
//                       (default 3) the failure is logged and the request removed
//   Outcome=ModemError  the connection (or MMS route) is unusable: its .ERR file
//                       is written and the requests stay
//   Outcome=Hold        the requests are held open and left alone, so that
//                       nobody else can delete them while the service runs
//   ErrorText=...       the error reported by Fail and ModemError
//   CycleMs=N           time between cycles (default 500)
#pragma once

struct QueueWorker {
  void (*cycle)(const char* simIni, const char* section);
  void (*stop)();       // lets go of whatever the last cycle holds
};

extern const QueueWorker kSmsQueueWorker;
extern const QueueWorker kMmsQueueWorker;
