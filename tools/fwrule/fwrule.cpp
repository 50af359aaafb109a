// FWRULE.EXE "program" "rule name": lets the program accept inbound
// connections through Windows Firewall, with an allow rule of that name. Run
// again, it updates the rule of that name rather than adding a second one.
// Each request is also logged in FWRULE.LOG of the program data directory, so
// that what the console asked for can be seen even where the rule could not
// be made. Exit status: 0 done, 1 the firewall refused, 2 bad arguments.
#include <windows.h>
#include <netfw.h>
#include <oleauto.h>

#include <cstdio>
#include <memory>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/gwcore_api.h"

namespace {

struct ReleaseInterface {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using Com = std::unique_ptr<T, ReleaseInterface>;

struct FreeString {
  void operator()(wchar_t* text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<wchar_t, FreeString>;

// The argument, in the system code page, as a BSTR.
OwnedBstr ToBstr(const char* text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) return nullptr;
  OwnedBstr result(SysAllocStringLen(nullptr, length - 1));
  if (result) MultiByteToWideChar(CP_ACP, 0, text, -1, result.get(), length);
  return result;
}

void LogRequest(const char* program, const char* name) {
  char directory[MAX_PATH];
  GetProgramDataDirectory(directory);
  char logPath[MAX_PATH];
  FormatText(logPath, sizeof logPath, "%sFWRULE.LOG", directory);
  HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  char line[2 * MAX_PATH + 16];
  FormatText(line, sizeof line, "program=%s|name=%s\r\n", program, name);
  WriteText(log, line);
  CloseHandle(log);
}

// Any IP protocol, as the firewall API numbers it; MinGW's icftypes.h lacks the name.
constexpr LONG kAnyProtocol = 256;

// Inbound, allowed, any protocol, every profile, enabled: the whole rule, so
// that an update also repairs a rule someone has changed.
HRESULT DescribeRule(INetFwRule* rule, BSTR program, BSTR name) {
  HRESULT result = rule->put_Name(name);
  if (SUCCEEDED(result)) result = rule->put_ApplicationName(program);
  if (SUCCEEDED(result)) result = rule->put_Direction(NET_FW_RULE_DIR_IN);
  if (SUCCEEDED(result)) result = rule->put_Protocol(kAnyProtocol);
  if (SUCCEEDED(result)) result = rule->put_Action(NET_FW_ACTION_ALLOW);
  if (SUCCEEDED(result)) result = rule->put_Profiles(NET_FW_PROFILE2_ALL);
  if (SUCCEEDED(result)) result = rule->put_Enabled(VARIANT_TRUE);
  return result;
}

HRESULT AllowProgram(BSTR program, BSTR name) {
  INetFwPolicy2* policyPointer = nullptr;
  HRESULT result = CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(INetFwPolicy2), reinterpret_cast<void**>(&policyPointer));
  if (FAILED(result)) return result;
  Com<INetFwPolicy2> policy(policyPointer);
  INetFwRules* rulesPointer = nullptr;
  result = policy->get_Rules(&rulesPointer);
  if (FAILED(result)) return result;
  Com<INetFwRules> rules(rulesPointer);

  INetFwRule* existing = nullptr;
  result = rules->Item(name, &existing);
  if (SUCCEEDED(result) && existing) {
    Com<INetFwRule> rule(existing);
    return DescribeRule(rule.get(), program, name);
  }
  // Anything but "no such rule" means we cannot tell, and adding could make a duplicate.
  if (result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return FAILED(result) ? result : E_UNEXPECTED;

  INetFwRule* rulePointer = nullptr;
  result = CoCreateInstance(__uuidof(NetFwRule), nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwRule),
                            reinterpret_cast<void**>(&rulePointer));
  if (FAILED(result)) return result;
  Com<INetFwRule> rule(rulePointer);
  result = DescribeRule(rule.get(), program, name);
  if (SUCCEEDED(result)) result = rules->Add(rule.get());
  return result;
}

void ReportFailure(const char* program, const char* name, HRESULT result) {
  char reason[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(result), 0, reason, sizeof reason, nullptr);
  // The system's text ends in a line break of its own.
  size_t length = strlen(reason);
  while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n')) reason[--length] = '\0';
  fprintf(stderr, "FWRULE: cannot allow \"%s\" through the firewall as \"%s\": %s (0x%08lX)\n", program,
          name, length ? reason : "unknown error", static_cast<unsigned long>(result));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || !argv[1][0] || !argv[2][0]) {
    fprintf(stderr, "usage: FWRULE \"program path\" \"rule name\"\n");
    return 2;
  }
  LogRequest(argv[1], argv[2]);
  OwnedBstr program = ToBstr(argv[1]);
  OwnedBstr name = ToBstr(argv[2]);
  if (!program || !name) {
    ReportFailure(argv[1], argv[2], E_OUTOFMEMORY);
    return 1;
  }
  HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(result)) {
    ReportFailure(argv[1], argv[2], result);
    return 1;
  }
  result = AllowProgram(program.get(), name.get());
  CoUninitialize();
  if (FAILED(result)) {
    ReportFailure(argv[1], argv[2], result);
    return 1;
  }
  return 0;
}
