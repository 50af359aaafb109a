// SMSGWSVC.EXE: stand-in for the SMS gateway service.
#include "stand_in_service.h"

int main() {
  static const StandInService kService = {
      "ZedSMS",
      "Global\\ZED_SMSGW_ShMem",
      {{"SMSGW.INI", "SMSGW", "WebPort", 8800, 2}, {"SMSGW.INI", "SMSGW", "SMPPPort", 0, 4}}};
  return RunStandInService(kService);
}
