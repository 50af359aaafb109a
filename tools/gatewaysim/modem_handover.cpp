#include "modem_handover.h"

#include <cstdlib>

#include "common/text_util.h"
#include "config/gwcore_api.h"
#include "gprslink/modem_com_port.h"
#include "gprslink/modem_lease.h"
#include "modem/connection_name.h"

namespace {

constexpr size_t kMostModems = 16;
constexpr size_t kNameCapacity = 500;
// How often a thread looks again for a port it could not open, and the bound
// of every wait (each also ends at once on stop).
constexpr DWORD kRetryMs = 1000;
constexpr DWORD kStopWaitMs = 10000;
const char kRecordSection[] = "ModemHandover";

struct HeldModem {
  char name[kNameCapacity];
  unsigned number;  // N of ModemN
  volatile LONG state;
  volatile LONG lent;
  HANDLE thread;
  ModemHandover* owner;
};

}  // namespace

struct ModemHandover {
  HANDLE stop;
  char recordFile[MAX_PATH];
  size_t count;
  HeldModem modems[kMostModems];
};

namespace {

const char* StateText(HandoverState state) {
  switch (state) {
    case HandoverState::kHolding: return "Holding";
    case HandoverState::kNoPort: return "NoPort";
    case HandoverState::kLent: return "Lent";
    case HandoverState::kFailed: return "Failed";
    case HandoverState::kWaiting: break;
  }
  return "Waiting";
}

void Record(HeldModem* modem, HandoverState state) {
  InterlockedExchange(&modem->state, static_cast<LONG>(state));
  const char* file = modem->owner->recordFile;
  if (!file[0]) return;
  char key[32];
  FormatText(key, sizeof key, "Modem%u", modem->number);
  WritePrivateProfileStringA(kRecordSection, key, StateText(state), file);
  char count[16];
  FormatText(count, sizeof count, "%ld", static_cast<long>(modem->lent));
  FormatText(key, sizeof key, "Modem%uLent", modem->number);
  WritePrivateProfileStringA(kRecordSection, key, count, file);
}

// Holds the modem until a borrower asks or the stand-in stops; true on a request.
bool HoldUntilRequested(HeldModem* modem, const ModemLease& lease) {
  HANDLE port = OpenModemComPort(modem->name);
  Record(modem, port != INVALID_HANDLE_VALUE ? HandoverState::kHolding : HandoverState::kNoPort);
  LeaseWait wait;
  while ((wait = WaitForBorrowRequest(lease, modem->owner->stop, kRetryMs)) == LeaseWait::kTimeout) {
    if (port != INVALID_HANDLE_VALUE) continue;
    port = OpenModemComPort(modem->name);
    if (port != INVALID_HANDLE_VALUE) Record(modem, HandoverState::kHolding);
  }
  if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  return wait == LeaseWait::kGot;
}

DWORD WINAPI HoldModem(void* parameter) {
  auto* modem = static_cast<HeldModem*>(parameter);
  ModemLease lease;
  if (!OpenModemLease(modem->name, &lease)) {
    Record(modem, HandoverState::kFailed);
    return 1;
  }
  Record(modem, HandoverState::kWaiting);
  for (;;) {
    LeaseWait wait;
    while ((wait = WaitForModemLease(lease, modem->owner->stop, kRetryMs)) == LeaseWait::kTimeout) {
    }
    if (wait != LeaseWait::kGot) break;
    bool requested = HoldUntilRequested(modem, lease);
    if (requested) {
      InterlockedIncrement(&modem->lent);
      Record(modem, HandoverState::kLent);
    }
    GiveUpModemLease(lease);
    if (!requested) break;
  }
  CloseModemLease(&lease);
  return 0;
}

}  // namespace

ModemHandover* StartModemHandoverFor(const char* const* modemNames, size_t count, const char* recordFile) {
  auto* handover = static_cast<ModemHandover*>(calloc(1, sizeof(ModemHandover)));
  if (!handover) return nullptr;
  handover->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!handover->stop) {
    free(handover);
    return nullptr;
  }
  CopyText(handover->recordFile, sizeof handover->recordFile, recordFile ? recordFile : "");
  for (size_t i = 0; i < count && handover->count < kMostModems; ++i) {
    HeldModem* modem = &handover->modems[handover->count];
    CopyText(modem->name, sizeof modem->name, modemNames[i]);
    modem->number = static_cast<unsigned>(i + 1);
    modem->owner = handover;
    modem->thread = CreateThread(nullptr, 0, HoldModem, modem, 0, nullptr);
    if (modem->thread) ++handover->count;
  }
  return handover;
}

ModemHandover* StartModemHandover() {
  char directory[MAX_PATH];
  if (!GetProgramDataDirectory(directory)) return nullptr;
  char smsIni[MAX_PATH];
  char recordFile[MAX_PATH];
  FormatText(smsIni, sizeof smsIni, "%sSMSGW.INI", directory);
  FormatText(recordFile, sizeof recordFile, "%sGATEWAYSIM.INI", directory);
  char names[kMostModems][kNameCapacity];
  const char* modems[kMostModems];
  size_t count = 0;
  for (unsigned n = 1; count < kMostModems; ++n) {
    char key[32];
    FormatText(key, sizeof key, "Modem%u", n);
    char* name = names[count];
    if (!GetPrivateProfileStringA("SMSGW", key, "", name, kNameCapacity, smsIni) || !name[0]) break;
    char section[kNameCapacity + 64];
    ConnectionSectionName(name, section, sizeof section);
    if (FindNoCase(section, "Modem - ") == section) modems[count++] = name;
  }
  return count ? StartModemHandoverFor(modems, count, recordFile) : nullptr;
}

HandoverState ModemHandoverState(const ModemHandover* handover, size_t index) {
  if (!handover || index >= handover->count) return HandoverState::kFailed;
  return static_cast<HandoverState>(handover->modems[index].state);
}

void StopModemHandover(ModemHandover* handover) {
  if (!handover) return;
  SetEvent(handover->stop);
  bool ended = true;
  for (size_t i = 0; i < handover->count; ++i) {
    ended = WaitForSingleObject(handover->modems[i].thread, kStopWaitMs) == WAIT_OBJECT_0 && ended;
    CloseHandle(handover->modems[i].thread);
  }
  // A thread still running keeps its record: better kept than freed under it.
  if (!ended) return;
  CloseHandle(handover->stop);
  free(handover);
}
