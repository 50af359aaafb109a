// The SMS stand-in's modems: each modem of the configuration (Modem1,
// Modem2, ... in [SMSGW] of SMSGW.INI, read from 1 up; SMPP, HTTP, UCP and
// CIMD connections are no modems) is held open on its COM port by a thread of
// its own, let go as soon as a program borrows it through GPRSLINK.DLL, and
// taken back when the borrower gives it back or ends. Each thread records
// what it does in GATEWAYSIM.INI, section [ModemHandover]:
//   ModemN=Holding | NoPort | Lent   the port is open / cannot be opened / lent
//   ModemNLent=<times lent>
// where N counts the modems held, from 1.
#pragma once
#include <windows.h>

#include <cstddef>

enum class HandoverState { kWaiting, kHolding, kNoPort, kLent, kFailed };

struct ModemHandover;

// Starts the threads for the configured modems; null when there are none.
ModemHandover* StartModemHandover();
// Starts them for the given modems, recording in recordFile when it is not null.
ModemHandover* StartModemHandoverFor(const char* const* modemNames, size_t count, const char* recordFile);
HandoverState ModemHandoverState(const ModemHandover* handover, size_t index);
// Closes the ports, gives the modems up and ends the threads.
void StopModemHandover(ModemHandover* handover);
