// The hand-over of a modem between the gateway service that uses it and a
// program that borrows it for a while (the console's modem test and its GPRS
// connection test). Each modem has two named objects in the Global\ namespace:
//  - the lease, a mutex owned by whoever may use the modem's port: the service
//    while it works with the modem, a borrower while it tests it;
//  - the request, a semaphore a borrower raises in the same step as it starts
//    waiting for the lease, telling the service to close the port and let go.
// A holder that ends without giving the lease back (a crash, a thread that
// exits) leaves the mutex abandoned, and the next waiter gets it all the same:
// neither side can keep the other from the modem for longer than it lives.
// Mutexes belong to threads: the thread that got the lease gives it back.
#pragma once
#include <windows.h>

struct ModemLease {
  HANDLE lease = nullptr;
  HANDLE request = nullptr;
};

// Creates or opens the modem's objects; false when they cannot be had.
bool OpenModemLease(const char* modemName, ModemLease* lease);
void CloseModemLease(ModemLease* lease);

// Borrower side.
enum class BorrowResult {
  kFree,        // nobody held the modem
  kHandedOver,  // its holder let go within the limit
  kBusy,        // its holder kept it
  kFailed
};
BorrowResult BorrowModem(const ModemLease& lease, DWORD waitMs);
// Gives a borrowed modem back; false when this thread did not hold it.
bool ReturnModem(const ModemLease& lease);
// A borrower waits for the modem right now (the request is left in place).
bool ModemBorrowRequested(const char* modemName);

// Holder side: each wait ends early when stop is signalled.
enum class LeaseWait { kGot, kStopped, kTimeout };
// Takes the lease: the modem is ours until GiveUpModemLease.
LeaseWait WaitForModemLease(const ModemLease& lease, HANDLE stop, DWORD waitMs);
// Takes one borrower's request: the holder must now let go.
LeaseWait WaitForBorrowRequest(const ModemLease& lease, HANDLE stop, DWORD waitMs);
void GiveUpModemLease(const ModemLease& lease);
