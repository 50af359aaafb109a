#include "support/service_fixture.h"

#include <algorithm>

#include "config/config_files.h"
#include "services/rights.h"
#include "services/service_control.h"
#include "support/window_driver.h"

void RemoveServiceDirectly(const char* name) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) return;
  SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
  if (service) {
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    WaitUntil(
        [&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED; },
        10000);
    DeleteService(service);
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
}

bool CreateServiceDirectly(const char* name, const char* displayName, const std::string& binaryPath) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) return false;
  SC_HANDLE service = CreateServiceA(manager, name, displayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binaryPath.c_str(), nullptr,
                                     nullptr, nullptr, nullptr, nullptr);
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return service != nullptr;
}

bool QueryServiceConfigDirectly(const char* name, ServiceConfig* config) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  SC_HANDLE service = manager ? OpenServiceA(manager, name, SERVICE_QUERY_CONFIG) : nullptr;
  alignas(QUERY_SERVICE_CONFIGA) char buffer[8192];
  auto* qsc = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
  DWORD needed = 0;
  bool ok = service && QueryServiceConfigA(service, qsc, sizeof buffer, &needed);
  if (ok)
    *config = {qsc->lpBinaryPathName ? qsc->lpBinaryPathName : "", qsc->lpDisplayName ? qsc->lpDisplayName : "",
               qsc->dwStartType};
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  return ok;
}

SC_HANDLE DenyFullAccess(DWORD access) {
  if (access == SC_MANAGER_ALL_ACCESS) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return OpenSCManagerA(nullptr, nullptr, access);
}

void ServiceTest::SetUp() {
  RemoveServiceDirectly(kSmsService.name);
  RemoveServiceDirectly(kMmsService.name);
  PrepareConfigFiles();
}

void ServiceTest::TearDown() {
  Rights() = SystemRights();
  RemoveServiceDirectly(kSmsService.name);
  RemoveServiceDirectly(kMmsService.name);
  boxes_.ExpectAllAnswered();
}

std::vector<std::string> ServiceTest::FirewallRequests(size_t count) {
  std::vector<std::string> lines;
  auto read = [&] {
    lines.clear();
    std::string text = ReadFileText(dir_.File("FWRULE.LOG"));
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(text.substr(start, end - start));
    return lines.size() >= count;
  };
  WaitUntil(read, 10000);
  std::sort(lines.begin(), lines.end());
  return lines;
}
