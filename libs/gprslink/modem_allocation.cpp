// Borrowing the modem from the gateway service: ModemAllocate, ModemRelease
// and the service's ModemRequested, over the hand-over objects of modem_lease.
#include <type_traits>

#include "config/link_libraries.h"
#include "gprslink_exports.h"
#include "modem_lease.h"

static_assert(std::is_same<decltype(&ModemAllocate), ModemAllocateFn>::value, "ModemAllocate signature");
static_assert(std::is_same<decltype(&ModemRelease), ModemReleaseFn>::value, "ModemRelease signature");

namespace {

// Allocation handles are ids into this table, never pointers, so that a stale
// or repeated release finds nothing and does nothing.
constexpr size_t kMostAllocations = 32;

struct Allocation {
  DWORD id;
  ModemLease lease;
};

SRWLOCK g_lock = SRWLOCK_INIT;
Allocation g_allocations[kMostAllocations];
DWORD g_lastId;

DWORD Remember(const ModemLease& lease) {
  AcquireSRWLockExclusive(&g_lock);
  DWORD id = 0;
  for (Allocation& slot : g_allocations) {
    if (slot.id) continue;
    if (++g_lastId == 0) g_lastId = 1;
    slot.id = id = g_lastId;
    slot.lease = lease;
    break;
  }
  ReleaseSRWLockExclusive(&g_lock);
  return id;
}

bool Forget(DWORD id, ModemLease* lease) {
  bool found = false;
  AcquireSRWLockExclusive(&g_lock);
  for (Allocation& slot : g_allocations) {
    if (!id || slot.id != id) continue;
    *lease = slot.lease;
    slot = Allocation{};
    found = true;
    break;
  }
  ReleaseSRWLockExclusive(&g_lock);
  return found;
}

}  // namespace

GPRSLINK_API DWORD __cdecl ModemAllocate(const char* modemName, DWORD waitLimit, DWORD* value) {
  if (value) *value = 0;
  ModemLease lease;
  if (!OpenModemLease(modemName, &lease)) return 0;
  BorrowResult result = BorrowModem(lease, waitLimit);
  if (result != BorrowResult::kFree && result != BorrowResult::kHandedOver) {
    CloseModemLease(&lease);
    return 0;
  }
  DWORD id = Remember(lease);
  if (!id) {
    ReturnModem(lease);
    CloseModemLease(&lease);
    return 0;
  }
  if (value) *value = result == BorrowResult::kHandedOver ? 1 : 0;
  return id;
}

// Must run on the thread that allocated: the lease is that thread's. From any
// other thread the modem goes back to the service only when that thread ends.
GPRSLINK_API void __cdecl ModemRelease(DWORD allocation) {
  ModemLease lease;
  if (!Forget(allocation, &lease)) return;
  ReturnModem(lease);
  CloseModemLease(&lease);
}

GPRSLINK_API BOOL __cdecl ModemRequested(const char* modemName) {
  return modemName && ModemBorrowRequested(modemName) ? TRUE : FALSE;
}
