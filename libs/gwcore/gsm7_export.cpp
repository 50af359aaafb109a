// GSM 7-bit message text for the console and the services: the library's
// export over the decoder they share.
#include <windows.h>

#include "config/gwcore_api.h"
#include "queues/gsm7.h"

// The output may be the very buffer that holds dataHex: the decoder reads all
// of its input before it writes. A text that does not fit is cut at a whole
// character and reported with FALSE; the output is NUL-terminated either way.
GWCORE_API BOOL GSM7ToUTF8String(const char* headerHex, const char* dataHex, char* output,
                                 size_t outputCap) {
  if (!output || outputCap == 0) return FALSE;
  return DecodeGsm7Hex(headerHex ? headerHex : "", dataHex ? dataHex : "", output, outputCap) ? TRUE
                                                                                             : FALSE;
}
