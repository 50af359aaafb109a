// Test requests the Test Message page puts into the outbound queues: an SMS
// request "TEST%04X.REQ" in the SMS queue, and an MMS request, the control
// file "TEST%04X.INI" and the message "TEST%04X.MMS", in the MMS queue.
#pragma once
#include <windows.h>

#include <cstddef>

// "TEST%04X" of the low 16 bits of the test id, with the extension (".REQ",
// ".INI", ".MMS") and the directory before it. False when it does not fit.
bool TestRequestPath(const char* directory, unsigned testId, const char* extension, char* path,
                     size_t cap);

// Creates a request file anew (an existing one is replaced), for reading and
// writing, shared for reading only.
HANDLE CreateRequestFile(const char* path);

// Writes the SMS request for the phone number into the outbound SMS queue
// root. False when the file cannot be created or written; a file that could
// not be written whole is removed again, so the service never sends half a
// request.
bool QueueTestSms(unsigned testId, const char* phoneNumber);

enum TestMmsResult {
  kTestMmsQueued,
  kTestMmsNoTemplate,   // MMSTEST.MMS cannot be opened: its path is in templatePath
  kTestMmsQueueError,   // a request file could not be created or written
};
// Copies MMSTEST.MMS of the program directory into the MMS queue with a
// control file addressed to the phone number on the gateway's modem route.
// A message that could not be copied whole is removed with its control file.
TestMmsResult QueueTestMms(unsigned testId, const char* phoneNumber, char* templatePath,
                           size_t templateCap);

// Copies the rest of from into to and cuts to where the copy ends, so a
// longer old file does not keep its tail. False when a write fails or no
// buffer could be had.
bool CopyFileBody(HANDLE from, HANDLE to);
