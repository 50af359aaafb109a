// SMSGWSVC.EXE: stand-in for the SMS gateway service.
#include "modem_handover.h"
#include "stand_in_service.h"

int main() {
  static const StandInService kService = {
      "ZedSMS",
      "Global\\ZED_SMSGW_ShMem",
      {{"SMSGW.INI", "SMSGW", "WebPort", 8800, 2}, {"SMSGW.INI", "SMSGW", "SMPPPort", 0, 4}},
      &kSmsQueueWorker};
  // Its modems are held, and lent on request, for as long as the service runs.
  ModemHandover* modems = StartModemHandover();
  int result = RunStandInService(kService);
  StopModemHandover(modems);
  return result;
}
