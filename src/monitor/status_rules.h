// What the Status page makes of the services, queues and connections it
// reads. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

// One service as the page sees it; the port flags are those of its status
// block while it runs.
struct ServiceReport {
  bool installed;
  bool running;
  bool ownPortInUse;  // the web port (SMS service) or the MM7 port (MMS service)
  bool smppPortInUse;
};
// The status line: the SMS service's trouble comes first; red unless both are active.
struct ServiceStatus {
  const char* text;
  bool alert;
};
ServiceStatus ServiceStatusOf(const ServiceReport& sms, const ServiceReport& mms);

// Queues are counted at most every 10 seconds (lastCount 0: never); a clock
// set back counts at once.
bool QueueCountDue(uint64_t lastCount, uint64_t now);
// A queue is red above its alert size; a size of 0 never alerts.
bool QueueAlert(unsigned count, unsigned alertSize);
// A count as shown: zero as zeroText ("Empty" for queues, nothing for counters).
void FormatCount(unsigned value, const char* zeroText, char* text, size_t cap);
// Adds "<modem> : <error>\r\n" to the info text, when the connection has an error.
void AppendConnectionError(char* info, size_t cap, const char* modem, const char* error);
