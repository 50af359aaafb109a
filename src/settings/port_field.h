// How a port typed on the Server page reads. No windows.h.
#pragma once

// Blanks, an optional sign, then decimal digits; the first other character
// ends the number and no digits give 0. A negative number comes back as its
// unsigned 32-bit image (-1 reads 4294967295), as the gateway stores it.
unsigned ParsePortField(const char* text);
