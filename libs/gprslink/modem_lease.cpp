#include "modem_lease.h"

#include <sddl.h>

#include "gprs_rules.h"

namespace {

constexpr size_t kObjectNameCapacity = 96;
constexpr LONG kMostRequests = 0x7FFFFFFF;
// The service runs under another account than the console: everyone signed in
// may wait for, take and give back the lease and raise a request; only the
// system and administrators may do more with the objects.
const char kObjectSecurity[] = "D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100003;;;AU)";

void ObjectName(const char* modemName, const char* role, char* name) {
  ModemHandoverObjectName(modemName, role, name, kObjectNameCapacity);
}

}  // namespace

bool OpenModemLease(const char* modemName, ModemLease* lease) {
  *lease = ModemLease{};
  if (!modemName || !*modemName) return false;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA(kObjectSecurity, SDDL_REVISION_1, &descriptor, nullptr))
    attributes.lpSecurityDescriptor = descriptor;
  char name[kObjectNameCapacity];
  ObjectName(modemName, "Lease", name);
  lease->lease = CreateMutexA(&attributes, FALSE, name);
  if (!lease->lease) lease->lease = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name);
  ObjectName(modemName, "Request", name);
  lease->request = CreateSemaphoreA(&attributes, 0, kMostRequests, name);
  if (!lease->request) lease->request = OpenSemaphoreA(SYNCHRONIZE | SEMAPHORE_MODIFY_STATE, FALSE, name);
  if (descriptor) LocalFree(descriptor);
  if (lease->lease && lease->request) return true;
  CloseModemLease(lease);
  return false;
}

void CloseModemLease(ModemLease* lease) {
  if (lease->lease) CloseHandle(lease->lease);
  if (lease->request) CloseHandle(lease->request);
  *lease = ModemLease{};
}

BorrowResult BorrowModem(const ModemLease& lease, DWORD waitMs) {
  DWORD result = WaitForSingleObject(lease.lease, 0);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return BorrowResult::kFree;
  if (result != WAIT_TIMEOUT) return BorrowResult::kFailed;
  // One step, so the holder cannot let go before this thread waits for the lease.
  result = SignalObjectAndWait(lease.request, lease.lease, waitMs, FALSE);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return BorrowResult::kHandedOver;
  // Withdraw the request unless the holder has taken it already; a request it
  // takes later only makes it close and reopen the port once.
  WaitForSingleObject(lease.request, 0);
  return result == WAIT_TIMEOUT ? BorrowResult::kBusy : BorrowResult::kFailed;
}

bool ReturnModem(const ModemLease& lease) { return ReleaseMutex(lease.lease) != FALSE; }

bool ModemBorrowRequested(const char* modemName) {
  char name[kObjectNameCapacity];
  ObjectName(modemName, "Request", name);
  HANDLE request = OpenSemaphoreA(SYNCHRONIZE | SEMAPHORE_MODIFY_STATE, FALSE, name);
  if (!request) return false;
  bool pending = WaitForSingleObject(request, 0) == WAIT_OBJECT_0;
  if (pending) ReleaseSemaphore(request, 1, nullptr);  // only looked at: put it back
  CloseHandle(request);
  return pending;
}

LeaseWait WaitForModemLease(const ModemLease& lease, HANDLE stop, DWORD waitMs) {
  HANDLE objects[2] = {stop, lease.lease};
  DWORD result = WaitForMultipleObjects(2, objects, FALSE, waitMs);
  if (result == WAIT_OBJECT_0 + 1 || result == WAIT_ABANDONED_0 + 1) return LeaseWait::kGot;
  return result == WAIT_TIMEOUT ? LeaseWait::kTimeout : LeaseWait::kStopped;
}

LeaseWait WaitForBorrowRequest(const ModemLease& lease, HANDLE stop, DWORD waitMs) {
  HANDLE objects[2] = {stop, lease.request};
  DWORD result = WaitForMultipleObjects(2, objects, FALSE, waitMs);
  if (result == WAIT_OBJECT_0 + 1) return LeaseWait::kGot;
  return result == WAIT_TIMEOUT ? LeaseWait::kTimeout : LeaseWait::kStopped;
}

void GiveUpModemLease(const ModemLease& lease) { ReleaseMutex(lease.lease); }
