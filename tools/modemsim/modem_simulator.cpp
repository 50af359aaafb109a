#include "modem_simulator.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

// The folder of the cables (a Unix path from ZED_MODEM_CABLES) as a Windows path.
std::string CableFolder() {
  const char* unixPath = getenv("ZED_MODEM_CABLES");
  if (!unixPath || !*unixPath) return "";
  std::string path = std::string("Z:") + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

const char kOk[] = "\r\nOK\r\n";
const char kError[] = "\r\nERROR\r\n";

}  // namespace

std::string ConsolePortName(int cable) { return "COM" + std::to_string(4 + cable) + ":"; }
std::string ModemPortDevice(int cable) { return "\\\\.\\COM" + std::to_string(20 + cable); }

ModemSimulator::ModemSimulator(int cable, const ModemProfile& profile) : profile_(profile), initial_(profile) {
  std::string folder = CableFolder();
  if (!folder.empty()) {
    baudFile_ = folder + "\\modem" + std::to_string(cable) + ".baud";
    FILE* f = fopen(baudFile_.c_str(), "w");
    if (f) {
      fprintf(f, "%u\n", profile.fixedBaud);
      fclose(f);
    }
  }
  port_ = CreateFileA(ModemPortDevice(cable).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      0, nullptr);
  if (port_ == INVALID_HANDLE_VALUE) return;
  COMMTIMEOUTS timeouts = {MAXDWORD, 0, 50, 0, 1000};
  SetCommTimeouts(port_, &timeouts);
  PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR);
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

ModemSimulator::~ModemSimulator() {
  stop_ = true;
  if (thread_) {
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
  if (!baudFile_.empty()) DeleteFileA(baudFile_.c_str());
}

std::vector<std::string> ModemSimulator::Transcript() {
  std::lock_guard<std::mutex> lock(mutex_);
  return transcript_;
}

bool ModemSimulator::Received(const std::string& command) { return Count(command) > 0; }

int ModemSimulator::Count(const std::string& command) {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count(transcript_.begin(), transcript_.end(), command));
}

int ModemSimulator::Resets() {
  std::lock_guard<std::mutex> lock(mutex_);
  return resets_;
}

DWORD WINAPI ModemSimulator::Run(void* self) {
  static_cast<ModemSimulator*>(self)->Serve();
  return 0;
}

void ModemSimulator::Serve() {
  char buffer[512];
  while (!stop_) {
    DWORD got = 0;
    if (!ReadFile(port_, buffer, sizeof buffer, &got, nullptr)) {
      Sleep(20);
      continue;
    }
    if (got == 0) Sleep(10);
    else HandleBytes(buffer, got);
  }
}

void ModemSimulator::Send(const std::string& text) {
  if (text.empty()) return;
  DWORD written = 0;
  if (profile_.splitAnswers && text.size() > 2) {
    size_t half = text.size() / 2;
    WriteFile(port_, text.data(), static_cast<DWORD>(half), &written, nullptr);
    Sleep(300);
    WriteFile(port_, text.data() + half, static_cast<DWORD>(text.size() - half), &written, nullptr);
  } else {
    WriteFile(port_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

void ModemSimulator::HandleBytes(const char* data, DWORD size) {
  if (profile_.echo && !profile_.silent) Send(std::string(data, size));
  for (DWORD i = 0; i < size; ++i) {
    char c = data[i];
    if (inMessageBody_) {
      // Only ESC (cancel) or Ctrl-Z (send) ends the body of an AT+CMGS.
      if (c == 27 || c == 26) {
        inMessageBody_ = false;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          transcript_.push_back(c == 27 ? "<ESC>" : "<CTRL-Z>");
        }
        if (!profile_.silent) Send(kOk);
      }
      continue;
    }
    if (c == 27) {
      std::lock_guard<std::mutex> lock(mutex_);
      transcript_.push_back("<ESC>");
      continue;
    }
    if (c == '\r') {
      std::string command = line_;
      line_.clear();
      HandleCommand(command);
    } else if (c != '\n') {
      line_ += c;
    }
  }
}

void ModemSimulator::HandleCommand(const std::string& received) {
  std::string command = received;
  if (command.compare(0, 3, "+++") == 0) command = command.substr(3);  // escape, then the command
  {
    std::lock_guard<std::mutex> lock(mutex_);
    transcript_.push_back(received);
  }
  if (profile_.silent || command.empty()) return;
  Send(Answer(command));
}

void ModemSimulator::Reset() {
  int resets = resets_ + 1;
  ModemProfile profile = initial_;
  profile.cfun = 1;  // a reset modem comes back at full functionality
  profile_ = profile;
  pinEntered_ = false;
  copsPolls_ = cpmsPolls_ = 0;
  std::lock_guard<std::mutex> lock(mutex_);
  resets_ = resets;
}

bool ModemSimulator::Registered() const {
  return profile_.cfun == 1 && copsPolls_ > profile_.registerAfterPolls;
}

std::string ModemSimulator::Answer(const std::string& original) {
  std::string command = Upper(original);
  if (command == "AT") return kOk;
  if (command.compare(0, 3, "ATE") == 0) {
    if (!profile_.ate0Answers.empty()) {
      bool accepted = profile_.ate0Answers.front();
      profile_.ate0Answers.erase(profile_.ate0Answers.begin());
      if (!accepted) return kError;
    }
    if (command.find("E0") != std::string::npos) profile_.echo = false;
    return kOk;
  }
  if (command == "ATH0") return kOk;
  if (command == "AT+CPIN?") {
    bool ready = !profile_.pinRequired || pinEntered_;
    return ready ? "\r\n+CPIN: READY\r\n\r\nOK\r\n" : "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n";
  }
  if (command.compare(0, 8, "AT+CPIN=") == 0) {
    std::string given = original.substr(8);
    given.erase(std::remove(given.begin(), given.end(), '"'), given.end());
    if (given == profile_.pin) {
      pinEntered_ = true;
      return kOk;
    }
    return "\r\n+CME ERROR: 16\r\n";
  }
  if (command == "AT+CFUN?") return "\r\n+CFUN: " + std::to_string(profile_.cfun) + "\r\n\r\nOK\r\n";
  if (command == "AT+CFUN=?")
    return profile_.cfunResetParameter ? "\r\n+CFUN: (0,1,4),(0,1)\r\n\r\nOK\r\n" : "\r\n+CFUN: (0,1,4)\r\n\r\nOK\r\n";
  if (command == "AT+CFUN=1,1") {
    if (!profile_.cfunResetParameter) return kError;
    Reset();
    return kOk;
  }
  if (command == "AT+CFUN=1") {
    if (profile_.refuseCfun1 > 0) {
      --profile_.refuseCfun1;
      return kError;
    }
    profile_.cfun = 1;
    return kOk;
  }
  if (command == "AT*E2RESET=?") return profile_.e2Reset ? kOk : kError;
  if (command == "AT*E2RESET" || command == "AT!RESET") {
    bool supported = command == "AT!RESET" ? profile_.bangReset : profile_.e2Reset;
    if (!supported) return kError;
    Reset();
    return kOk;
  }
  if (command == "AT+COPS?") {
    if (profile_.cfun == 1) ++copsPolls_;
    return Registered() ? "\r\n+COPS: 0,0,\"Demo Operator\"\r\n\r\nOK\r\n" : "\r\n+COPS: 0\r\n\r\nOK\r\n";
  }
  if (command == "AT+CPMS?") {
    if (cpmsPolls_++ < profile_.cpmsErrorPolls) return "\r\n+CMS ERROR: 314\r\n";
    return "\r\n+CPMS: \"SM\",0,20,\"SM\",0,20,\"SM\",0,20\r\n\r\nOK\r\n";
  }
  if (command == "AT+CSMS=0" || command == "AT+CSMS=128" || command == "AT+CSMS?") {
    bool accepted = profile_.csms == CsmsSupport::Accepts ||
                    (profile_.csms == CsmsSupport::AcceptsOnceRegistered && Registered());
    if (!accepted) return "\r\n+CMS ERROR: 303\r\n";
    return command == "AT+CSMS?" ? "\r\n+CSMS: 0,1,1,1\r\n\r\nOK\r\n" : "\r\n+CSMS: 1,1,1\r\n\r\nOK\r\n";
  }
  if (command == "AT+CMGF=0") return profile_.cmgf == CmgfSupport::PduAndText ? kOk : kError;
  if (command == "AT+CMGF=1") return profile_.cmgf != CmgfSupport::Neither ? kOk : kError;
  if (command.compare(0, 10, "AT+CGDCONT") == 0) return ContextAnswer(command, original);
  if (command.compare(0, 8, "AT+CMGS=") == 0) {
    if (!profile_.cmgsPrompt) return "\r\n+CMS ERROR: 500\r\n";
    inMessageBody_ = true;
    return "\r\n> ";
  }
  return kError;
}

// "AT+CGDCONT?" lists, "AT+CGDCONT=?" gives the id range, "AT+CGDCONT=<id>,
// "<type>","<apn>"" defines and "AT+CGDCONT=<id>" removes a context.
std::string ModemSimulator::ContextAnswer(const std::string& command, const std::string& original) {
  if (command == "AT+CGDCONT?") {
    std::vector<std::pair<int, std::string>> sorted = profile_.contexts;
    std::sort(sorted.begin(), sorted.end());
    std::string answer;
    for (const auto& context : sorted)
      answer += "\r\n+CGDCONT: " + std::to_string(context.first) + ",\"IP\",\"" + context.second + "\",\"0.0.0.0\",0,0";
    return answer + (answer.empty() ? "" : "\r\n") + kOk;
  }
  if (command == "AT+CGDCONT=?")
    return "\r\n+CGDCONT: (1-" + std::to_string(profile_.maxContextId) + "),\"IP\",,,(0-2),(0-4)\r\n" + kOk;
  if (command.compare(0, 11, "AT+CGDCONT=") != 0) return kError;
  std::string arguments = original.substr(11);
  char* end = nullptr;
  long cid = strtol(arguments.c_str(), &end, 10);
  if (end == arguments.c_str() || cid < 1 || cid > profile_.maxContextId) return kError;
  auto& contexts = profile_.contexts;
  auto existing = std::find_if(contexts.begin(), contexts.end(), [&](const auto& c) { return c.first == cid; });
  if (*end == '\0') {
    if (existing != contexts.end()) contexts.erase(existing);
    return kOk;
  }
  // <id>,"<type>","<apn>": the APN is the text between the third and fourth quote.
  size_t quote = 0;
  for (int i = 0; i < 3 && quote != std::string::npos; ++i) quote = arguments.find('"', i ? quote + 1 : 0);
  size_t close = quote == std::string::npos ? quote : arguments.find('"', quote + 1);
  if (*end != ',' || close == std::string::npos) return kError;
  if (!profile_.keepsContexts) return kOk;
  std::string apn = arguments.substr(quote + 1, close - quote - 1);
  if (existing != contexts.end()) existing->second = apn;
  else contexts.emplace_back(static_cast<int>(cid), apn);
  return kOk;
}
