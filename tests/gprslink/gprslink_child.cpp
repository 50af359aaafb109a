// gprslink_child.exe: a second process using GPRSLINK.DLL, as the console's
// elevated test copy does.
//   allocate <modem> <wait ms> <hold ms>
//       exit code 0 when allocated (held for the time, never released: the
//       process ends holding it), 1 when not
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "config/link_libraries.h"

int main(int argc, char** argv) {
  const GprsLinkLibrary* link = LoadGprsLinkLibrary();
  if (!link) return 100;
  if (argc != 5 || strcmp(argv[1], "allocate") != 0) return 101;
  DWORD value = 0;
  if (!link->ModemAllocate(argv[2], strtoul(argv[3], nullptr, 10), &value)) return 1;
  Sleep(strtoul(argv[4], nullptr, 10));
  return 0;
}
