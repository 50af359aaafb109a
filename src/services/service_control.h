// Installing and controlling the two gateway services. Every operation works on
// both services; only an interactive call may offer to re-launch elevated.
#pragma once
#include <windows.h>

struct GatewayService {
  const char* name;
  const char* displayName;
  const char* executable;        // registered with the service manager
  const char* firewallProgram;   // given a firewall exception
};
extern const GatewayService kSmsService;
extern const GatewayService kMmsService;

bool IsSmsServiceInstalled();
bool IsMmsServiceInstalled();
// Running, start pending or stop pending; any failure counts as not running.
bool IsSmsServiceRunning();
bool IsMmsServiceRunning();

struct ServiceState {
  bool installed;
  bool running;  // as IsSmsServiceRunning counts it
};
// Both answers for both services from one look at the service manager, for
// callers that poll. A poller keeps its connection to the manager: opening it
// is most of the cost of a look (each call is a round trip to the manager).
class ServiceManagerLink {
 public:
  ServiceManagerLink() = default;
  ServiceManagerLink(const ServiceManagerLink&) = delete;
  ServiceManagerLink& operator=(const ServiceManagerLink&) = delete;
  ~ServiceManagerLink();
  void Query(ServiceState* sms, ServiceState* mms);

 private:
  SC_HANDLE manager_ = nullptr;
};

bool InstallServices(bool interactive);
bool RemoveServices(bool interactive);
void StopServices(bool interactive);
void StartServices(bool interactive);
void RestartServices(bool interactive);

// Folder of the running console's executable, ending in a backslash.
void ConsoleDirectory(char* buffer);
// The executable path as registered: the short form when the system has one,
// quoted when it still holds a space.
void ServiceBinaryPath(const char* executable, char* buffer);
