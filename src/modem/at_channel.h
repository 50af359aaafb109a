// The serial AT command channel: write one command, collect the answer until
// it holds a final result or the time limit passes.
#pragma once
#include <windows.h>

#include "modem/at_rules.h"

constexpr DWORD kResponseCapacity = 500;

// True when the write completed or was accepted as pending.
bool ModemWrite(HANDLE port, const char* command);
// Bytes collected (the buffer is cleared first and always terminated); 0 when
// nothing arrived in time or a read failed.
DWORD ModemReadResponse(HANDLE port, char* buffer, DWORD capacity, DWORD limitSeconds);
// Milliseconds in one second of the modem's answer limits, read time-outs and
// pauses: 1000 in the product; a test shortens it so that the limits can be
// checked without being waited out.
DWORD& ModemSecondMs();
void ModemPause(DWORD milliseconds);
// Time-outs of a port opened directly, and of the modem test.
BOOL SetOpenCommTimeouts(HANDLE port);
BOOL SetTestCommTimeouts(HANDLE port);
