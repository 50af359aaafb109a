// The SMSGW.INI section that holds a connection's settings. No windows.h.
#pragma once
#include <cstddef>

// "Modem - " + the name unless it already carries an SMPP, HTTP, UCP or CIMD
// prefix; "[" and "]" written as \x5B and \x5D so the name fits between the
// section brackets. Cut at the capacity.
void ConnectionSectionName(const char* connection, char* section, size_t cap);
