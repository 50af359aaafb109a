// A test's end of a modem cable: the console side opened as the console would.
#pragma once
#include <windows.h>

#include <string>

#include "modemsim/modem_simulator.h"

// Opens the console end of a cable for overlapped I/O at 115200 bps with the
// open time-out profile; INVALID_HANDLE_VALUE on failure.
HANDLE OpenConsoleEnd(int cable);

// Sends a command and collects the answer with the channel under test.
std::string Exchange(HANDLE port, const char* command, DWORD limitSeconds);
