#include "stand_in_service.h"

#include <winsock2.h>
#include <windows.h>

#include "common/text_util.h"
#include "config/config_files.h"
#include "config/gwcore_api.h"
#include "config/value_rules.h"

namespace {

constexpr DWORD kBlockSize = 4096;
constexpr DWORD kPollMs = 100;
constexpr DWORD kDefaultCycleMs = 500;

struct ServiceState {
  const StandInService* service;
  SERVICE_STATUS_HANDLE statusHandle;
  HANDLE stopEvent;
  char simIni[MAX_PATH];
  SOCKET listeners[2];
};

ServiceState g_state;

void DataFilePath(const char* name, char* buffer) {
  char directory[MAX_PATH];
  GetProgramDataDirectory(directory);
  FormatText(buffer, MAX_PATH, "%s%s", directory, name);
}

void ReportStatus(DWORD state) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(g_state.statusHandle, &status);
}

// Both stand-ins stop at once on a restart, and a profile write rewrites the
// whole file: without the lock one service's record can undo the other's.
void RecordLastStop(const char* how) {
  HANDLE lock = CreateMutexA(nullptr, FALSE, "ZedGatewaySimIni");
  DWORD waited = lock ? WaitForSingleObject(lock, 5000) : WAIT_FAILED;
  WritePrivateProfileStringA(g_state.service->serviceName, "LastStop", how, g_state.simIni);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(lock);
  if (lock) CloseHandle(lock);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    char ignore[16];
    GetPrivateProfileStringA(g_state.service->serviceName, "IgnoreStopControl", "", ignore,
                             sizeof ignore, g_state.simIni);
    if (!IsTrueValue(ignore)) {
      RecordLastStop("StopControl");
      SetEvent(g_state.stopEvent);
    }
  }
  return NO_ERROR;
}

// Holds the port while the service runs; false when another program has it.
bool TakePort(unsigned port, SOCKET* listener) {
  *listener = INVALID_SOCKET;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return true;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 5) != 0) {
    closesocket(s);
    return false;
  }
  *listener = s;
  return true;
}

void CheckPorts(volatile unsigned char* block) {
  for (int i = 0; i < 2; ++i) {
    const PortCheck& check = g_state.service->ports[i];
    g_state.listeners[i] = INVALID_SOCKET;
    if (!check.iniFile) continue;
    char iniPath[MAX_PATH];
    DataFilePath(check.iniFile, iniPath);
    char value[32];
    GetPrivateProfileStringA(check.section, check.key, "", value, sizeof value, iniPath);
    unsigned port = value[0] ? ParseLeadingNumber(value) : check.defaultPort;
    if (port == 0 || port > 65535) continue;
    block[check.flagByte] = TakePort(port, &g_state.listeners[i]) ? 0 : 1;
  }
}

void RunWorkerWhenDue(DWORD* lastCycle) {
  DWORD cycleMs = GetPrivateProfileIntA(g_state.service->serviceName, "CycleMs", kDefaultCycleMs, g_state.simIni);
  if (GetTickCount() - *lastCycle < cycleMs) return;
  g_state.service->worker->cycle(g_state.simIni, g_state.service->serviceName);
  *lastCycle = GetTickCount();
}

void WINAPI ServiceMain(DWORD, char**) {
  g_state.statusHandle = RegisterServiceCtrlHandlerExA(g_state.service->serviceName, ControlHandler, nullptr);
  if (!g_state.statusHandle) return;
  DataFilePath("GATEWAYSIM.INI", g_state.simIni);
  g_state.stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize,
                                      g_state.service->blockName);
  auto* block = mapping ? static_cast<volatile unsigned char*>(
                              MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                        : nullptr;
  WSADATA winsock;
  WSAStartup(MAKEWORD(2, 2), &winsock);
  if (block) CheckPorts(block);
  PrepareConfigFiles();
  // A slow start, for tests of what the console does with a service still starting.
  DWORD startMs = GetPrivateProfileIntA(g_state.service->serviceName, "StartMs", 0, g_state.simIni);
  if (startMs) {
    ReportStatus(SERVICE_START_PENDING);
    Sleep(startMs);
  }
  ReportStatus(SERVICE_RUNNING);

  DWORD lastCycle = GetTickCount();
  while (WaitForSingleObject(g_state.stopEvent, kPollMs) == WAIT_TIMEOUT) {
    if (block && block[0]) {
      RecordLastStop("StopRequest");
      break;
    }
    RunWorkerWhenDue(&lastCycle);
  }

  ReportStatus(SERVICE_STOP_PENDING);
  g_state.service->worker->stop();
  for (SOCKET listener : g_state.listeners)
    if (listener != INVALID_SOCKET) closesocket(listener);
  WSACleanup();
  if (block) UnmapViewOfFile(const_cast<unsigned char*>(block));
  if (mapping) CloseHandle(mapping);
  CloseHandle(g_state.stopEvent);
  ReportStatus(SERVICE_STOPPED);
}

}  // namespace

int RunStandInService(const StandInService& service) {
  g_state.service = &service;
  char name[64];
  CopyText(name, sizeof name, service.serviceName);
  SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
