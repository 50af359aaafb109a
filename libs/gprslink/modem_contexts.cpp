// The modem's packet data (PDP) contexts over its COM port: ModemGetCIDForAPN,
// and ModemReset. The port is opened directly, without the telephony route:
// these run while the modem is borrowed from the service and must not pop up
// the console's baud-rate messages.
#include <type_traits>

#include "config/link_libraries.h"
#include "gprs_rules.h"
#include "gprslink_exports.h"
#include "modem/at_channel.h"
#include "modem/modem_port.h"
#include "modem_com_port.h"

static_assert(std::is_same<decltype(&ModemGetCIDForAPN), ModemGetCIDForAPNFn>::value, "ModemGetCIDForAPN signature");

namespace {

constexpr DWORD kAnswerCapacity = 2048;  // a modem may list a dozen contexts
constexpr DWORD kAnswerSeconds = 5;

bool Command(HANDLE port, const char* command, char* answer) {
  return ModemWrite(port, command) && ModemReadResponse(port, answer, kAnswerCapacity, kAnswerSeconds) > 0 &&
         ResponseIsOk(answer);
}

// The modem's COM port opened at 115200 bps with echo off; invalid when the
// modem is unknown, its port cannot be opened or it does not answer.
HANDLE OpenModemForCommands(const char* modemName) {
  HANDLE port = OpenModemComPort(modemName);
  if (port == INVALID_HANDLE_VALUE) return port;
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  char answer[kAnswerCapacity];
  bool ready = SetupComm(port, 1024, 1024) && GetCommState(port, &dcb) &&
               BuildCommDCBA("baud=115200 parity=N data=8 stop=1", &dcb) && SetCommState(port, &dcb) &&
               SetOpenCommTimeouts(port) && PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
  // A second try, in case the first only ended a half line the modem held.
  if (ready && (Command(port, "ATE0V1\r", answer) || Command(port, "ATE0V1\r", answer))) return port;
  CloseHandle(port);
  return INVALID_HANDLE_VALUE;
}

unsigned DefineContext(HANDLE port, const char* listed, const char* apn) {
  char answer[kAnswerCapacity];
  unsigned most = Command(port, "AT+CGDCONT=?\r", answer) ? MaxContextId(answer, kDefaultMaxContextId)
                                                           : kDefaultMaxContextId;
  unsigned cid = FreeContextId(listed, most);
  char command[160];
  if (!cid || !FormatContextDefinition(command, sizeof command, cid, apn)) return 0;
  return Command(port, command, answer) ? cid : 0;
}

}  // namespace

// The id of the modem's context for the APN, 0 when there is none. flag 0 only
// looks; flag 1 (any non-zero flag) defines the APN in the lowest free context
// id when no context has it yet. APNs that cannot stand between quotes in an
// AT command are refused without touching the modem.
GPRSLINK_API WORD __cdecl ModemGetCIDForAPN(const char* modemName, const char* apn, int flag) {
  if (!modemName || !IsUsableApn(apn)) return 0;
  HANDLE port = OpenModemForCommands(modemName);
  if (port == INVALID_HANDLE_VALUE) return 0;
  char listed[kAnswerCapacity];
  unsigned cid = 0;
  if (Command(port, "AT+CGDCONT?\r", listed)) {
    cid = FindContextForApn(listed, apn);
    if (!cid && flag) cid = DefineContext(port, listed, apn);
  }
  CloseHandle(port);
  return cid <= 0xFFFF ? static_cast<WORD>(cid) : 0;
}

// Restarts the modem with the first reset command it accepts (the console's
// reset sequence). Non-zero when one was accepted.
GPRSLINK_API BOOL __cdecl ModemReset(const char* modemName) {
  if (!modemName) return FALSE;
  HANDLE port = OpenModemForCommands(modemName);
  if (port == INVALID_HANDLE_VALUE) return FALSE;
  BOOL reset = ResetModem(port) ? TRUE : FALSE;
  CloseHandle(port);
  return reset;
}
