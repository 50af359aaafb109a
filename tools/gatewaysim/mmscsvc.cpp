// MMSCSVC.EXE: stand-in for the MMS gateway service.
#include "stand_in_service.h"

int main() {
  static const StandInService kService = {
      "ZedMMSC",
      "Global\\ZED_MMSC_ShMem",
      {{"MMSC.INI", "MMSC", "WebPort", 0, 2}, {"MMSC.INI", "MMSC", "SMPPPort", 0, 4}},
      &kMmsQueueWorker};
  return RunStandInService(kService);
}
