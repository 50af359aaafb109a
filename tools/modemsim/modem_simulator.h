// A simulated GSM modem answering AT commands on the far end of a serial
// cable (a pseudo-terminal pair made by ptyrelay, linked as COM ports).
#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

enum class CsmsSupport { Accepts, Refuses, AcceptsOnceRegistered };
enum class CmgfSupport { PduAndText, TextOnly, Neither };

struct ModemProfile {
  bool echo = false;
  bool silent = false;              // answers nothing at all
  bool splitAnswers = false;        // each answer in two writes, 300 ms apart
  unsigned fixedBaud = 0;           // answers only at this rate (0: any)
  bool pinRequired = false;         // the SIM asks for a PIN
  std::string pin = "1234";
  int cfun = 1;                     // functionality level reported
  int refuseCfun1 = 0;              // "AT+CFUN=1" refused this many times first
  int registerAfterPolls = 0;       // "AT+COPS?" polls before an operator shows
  int cpmsErrorPolls = 0;           // "AT+CPMS?" polls answered "+CMS ERROR"
  CsmsSupport csms = CsmsSupport::Accepts;
  CmgfSupport cmgf = CmgfSupport::PduAndText;
  bool cmgsPrompt = true;           // shows "> " for AT+CMGS, else "+CMS ERROR"
  bool cfunResetParameter = false;  // "AT+CFUN=1,1" resets
  std::vector<bool> ate0Answers;    // OK or ERROR for each "ATE0V1" in turn, then OK
  bool e2Reset = false;             // "AT*E2RESET" resets
  bool bangReset = false;           // "AT!RESET" resets
  // Packet data contexts (id, APN) listed by "AT+CGDCONT?", ids 1 to maxContextId.
  std::vector<std::pair<int, std::string>> contexts;
  int maxContextId = 16;
  bool keepsContexts = true;        // "AT+CGDCONT=" definitions kept (else accepted and forgotten)
};

class ModemSimulator {
 public:
  // Opens the modem end of cable 1..4 and answers on a thread of its own.
  ModemSimulator(int cable, const ModemProfile& profile);
  ~ModemSimulator();
  ModemSimulator(const ModemSimulator&) = delete;
  ModemSimulator& operator=(const ModemSimulator&) = delete;

  bool Running() const { return port_ != INVALID_HANDLE_VALUE; }
  // Every command received, without its "\r"; the escape character as "<ESC>".
  std::vector<std::string> Transcript();
  bool Received(const std::string& command);
  int Count(const std::string& command);
  int Resets();

 private:
  static DWORD WINAPI Run(void* self);
  void Serve();
  void HandleBytes(const char* data, DWORD size);
  void HandleCommand(const std::string& command);
  std::string Answer(const std::string& command);
  bool Registered() const;
  std::string ContextAnswer(const std::string& command, const std::string& original);
  void Send(const std::string& text);
  void Reset();

  ModemProfile profile_;
  ModemProfile initial_;
  HANDLE port_ = INVALID_HANDLE_VALUE;
  HANDLE thread_ = nullptr;
  volatile bool stop_ = false;
  std::string line_;
  bool inMessageBody_ = false;
  bool pinEntered_ = false;
  int copsPolls_ = 0;
  int cpmsPolls_ = 0;
  int resets_ = 0;
  std::string baudFile_;
  std::mutex mutex_;
  std::vector<std::string> transcript_;
};

// COM port names of cable k (1..4): the console's end and the modem's end.
std::string ConsolePortName(int cable);  // "COM5:" .. "COM8:"
std::string ModemPortDevice(int cable);  // "\\.\COM21" .. "\\.\COM24"
