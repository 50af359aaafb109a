// FWRULE.EXE "program" "rule name": lets the program accept inbound
// connections through Windows Firewall, with an allow rule of that name. Run
// again, it updates the rule of that name rather than adding a second one.
// Each such request is also logged in FWRULE.LOG of the program data
// directory, so that what the console asked for can be seen even where the
// rule could not be made.
// FWRULE.EXE /REMOVE "rule name": removes the rules of that name (the
// uninstaller's clean-up); no such rule is no error.
// Exit status: 0 done, 1 the firewall refused, 2 bad arguments.
#include <windows.h>
#include <netfw.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
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

// What the firewall answers when asked for a rule it does not have.
const HRESULT kNoSuchRule = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

HRESULT OpenRules(Com<INetFwRules>* rules) {
  INetFwPolicy2* policyPointer = nullptr;
  HRESULT result = CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(INetFwPolicy2), reinterpret_cast<void**>(&policyPointer));
  if (FAILED(result)) return result;
  Com<INetFwPolicy2> policy(policyPointer);
  INetFwRules* rulesPointer = nullptr;
  result = policy->get_Rules(&rulesPointer);
  if (SUCCEEDED(result)) rules->reset(rulesPointer);
  return result;
}

HRESULT AllowProgram(BSTR program, BSTR name) {
  Com<INetFwRules> rules;
  HRESULT result = OpenRules(&rules);
  if (FAILED(result)) return result;

  INetFwRule* existing = nullptr;
  result = rules->Item(name, &existing);
  if (SUCCEEDED(result) && existing) {
    Com<INetFwRule> rule(existing);
    return DescribeRule(rule.get(), program, name);
  }
  // Anything but "no such rule" means we cannot tell, and adding could make a duplicate.
  if (result != kNoSuchRule) return FAILED(result) ? result : E_UNEXPECTED;

  INetFwRule* rulePointer = nullptr;
  result = CoCreateInstance(__uuidof(NetFwRule), nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwRule),
                            reinterpret_cast<void**>(&rulePointer));
  if (FAILED(result)) return result;
  Com<INetFwRule> rule(rulePointer);
  result = DescribeRule(rule.get(), program, name);
  if (SUCCEEDED(result)) result = rules->Add(rule.get());
  return result;
}

// The firewall keeps several rules of one name; each removal takes one.
HRESULT RemoveRules(BSTR name) {
  constexpr int kMaxRemovals = 64;
  Com<INetFwRules> rules;
  HRESULT result = OpenRules(&rules);
  for (int removals = 0; SUCCEEDED(result) && removals < kMaxRemovals; ++removals) {
    INetFwRule* rule = nullptr;
    result = rules->Item(name, &rule);
    if (result == kNoSuchRule) return S_OK;
    if (SUCCEEDED(result)) {
      Com<INetFwRule> found(rule);
      result = rules->Remove(name);
    }
  }
  return result;
}

// One line saying what could not be done and why: `action` is what was asked.
void ReportFailure(const char* action, HRESULT result) {
  char reason[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(result), 0, reason, sizeof reason, nullptr);
  // The system's text ends in a line break of its own.
  size_t length = strlen(reason);
  while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n')) reason[--length] = '\0';
  fprintf(stderr, "FWRULE: cannot %s: %s (0x%08lX)\n", action, length ? reason : "unknown error",
          static_cast<unsigned long>(result));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || !argv[1][0] || !argv[2][0]) {
    fprintf(stderr, "usage: FWRULE \"program path\" \"rule name\"  |  FWRULE /REMOVE \"rule name\"\n");
    return 2;
  }
  bool removing = _stricmp(argv[1], "/REMOVE") == 0;
  char action[3 * MAX_PATH];
  if (removing) {
    FormatText(action, sizeof action, "remove the firewall rule \"%s\"", argv[2]);
  } else {
    FormatText(action, sizeof action, "allow \"%s\" through the firewall as \"%s\"", argv[1], argv[2]);
    LogRequest(argv[1], argv[2]);
  }
  OwnedBstr program = ToBstr(argv[1]);
  OwnedBstr name = ToBstr(argv[2]);
  if (!program || !name) {
    ReportFailure(action, E_OUTOFMEMORY);
    return 1;
  }
  HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(result)) {
    ReportFailure(action, result);
    return 1;
  }
  result = removing ? RemoveRules(name.get()) : AllowProgram(program.get(), name.get());
  CoUninitialize();
  if (FAILED(result)) {
    ReportFailure(action, result);
    return 1;
  }
  return 0;
}
