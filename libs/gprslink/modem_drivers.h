// The installed modem drivers in the registry's modem device class: their
// names, and the initialisation strings the driver sends before it dials.
#pragma once
#include <windows.h>

// The context id the driver's initialisation strings define for the APN; 0 when none.
unsigned DriverContextForApn(const char* modemName, const char* apn);
