#include "monitor/event_log.h"

namespace {
const EventLogTable kSystemEventLog = {OpenEventLogA,  GetOldestEventLogRecord, GetNumberOfEventLogRecords,
                                       ReadEventLogA,  ClearEventLogA,          CloseEventLog};
EventLogTable g_eventLog = kSystemEventLog;
}  // namespace

EventLogTable& EventLog() { return g_eventLog; }
const EventLogTable& SystemEventLog() { return kSystemEventLog; }
