// MODEMSIM.EXE CABLE [options]: a simulated modem for the demo, answering on
// the modem end of a cable until the process is ended.
//   /pin=NNNN   the SIM asks for this PIN
//   /textonly   no PDU mode
//   /echo       echoes commands
#include <cstring>

#include "modem_simulator.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  int cable = atoi(argv[1]);
  ModemProfile profile;
  for (int i = 2; i < argc; ++i) {
    if (strncmp(argv[i], "/pin=", 5) == 0) {
      profile.pinRequired = true;
      profile.pin = argv[i] + 5;
    } else if (strcmp(argv[i], "/textonly") == 0) {
      profile.cmgf = CmgfSupport::TextOnly;
    } else if (strcmp(argv[i], "/echo") == 0) {
      profile.echo = true;
    }
  }
  ModemSimulator modem(cable, profile);
  if (!modem.Running()) return 1;
  for (;;) Sleep(1000);
}
