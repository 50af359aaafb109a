// The scanners that turn a message store into display rows for the queue
// viewers, and the queue sizes of the Status page. Each scan reads the files
// afresh and keeps nothing between calls.
#pragma once
#include <windows.h>

#include "queues/queue_rows.h"
#include "queues/sms_file.h"

// Reads an open message file whole and parses it. The record is all zero
// when the file's size cannot be had or its buffer cannot be allocated.
void ReadSmsFileRecord(HANDLE file, SmsFileRecord* record);

// A zero-filled array of kQueueRowSlots row pointers from the process heap,
// or nullptr.
char** AllocateQueueRows();
// Frees the first count rows and the array itself; null is fine.
void FreeQueueRows(char** rows, unsigned count);

// Each fills rows (kQueueRowSlots slots) with at most kQueueRowLimit rows and
// sets *count to their number and *total to the number of files of the
// store's pattern that the scan met, listed or not.
void ScanOutboundSmsQueue(char** rows, unsigned* count, unsigned* total);
void ScanOutboundMmsQueue(char** rows, unsigned* count, unsigned* total);
void ScanReceivedSms(char** rows, unsigned* count, unsigned* total);
void ScanReceivedMms(char** rows, unsigned* count, unsigned* total);

// Requests waiting in the outbound SMS queue (.REQ files in the queue and
// its route folders).
unsigned CountOutboundSmsQueue();
// Messages waiting in the outbound MMS queue: .MMS files whose control file
// (.INI of the same name) is there too.
unsigned CountOutboundMmsQueue();
