// The modems' telephony line devices: listing them, and a comm handle through one.
#pragma once
#include <windows.h>

#include "modem/modem_port.h"

// What one opening of a modem keeps between its passes.
struct ModemOpenState {
  char rememberedPort[kPortNameChars + 1] = "";
  bool secondPass = false;
  bool giveUp = false;  // a failure that the fallback must not follow
};

// Appends the name of every data-modem line device to the combo box. False
// when telephony does not start; that is reported in a box owned by the
// dialog when reportFailure is set.
bool ListModems(HWND dialog, int comboId, bool reportFailure);
// The data-modem line of that name and its comm handle; invalid when none
// could be opened. Remembers the modem's COM port for the fallback.
HANDLE OpenByTelephony(const char* name, ModemPortHandles* handles, ModemOpenState* state);
