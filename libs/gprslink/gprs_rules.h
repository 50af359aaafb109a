// Rules of the GPRS link library that need no Windows: the modem's PDP
// context answers, APN checks, the modem driver's initialisation strings, the
// WAP gateway address and the names of the modem hand-over objects.
#pragma once
#include <cstddef>

// Context ids tried when the modem does not say which it supports.
constexpr unsigned kDefaultMaxContextId = 16;
// The context the driver's initialisation strings define when they define none yet.
constexpr unsigned kDriverContextId = 1;
// The port of an operator's WAP gateway when the address names none: the
// HTTP proxy port of WAP 2.0 / MMS gateways.
constexpr unsigned kDefaultGatewayPort = 8080;
// Room for an initialisation string value written to the driver.
constexpr size_t kInitStringCapacity = 256;

// An APN that can stand between quotes in an AT command: 1 to 100 printable
// ASCII characters, none of them a quote or a backslash.
bool IsUsableApn(const char* apn);

// The id of the context whose APN equals apn (case-insensitive) in an answer
// to "AT+CGDCONT?"; 0 when no listed context has it.
unsigned FindContextForApn(const char* answer, const char* apn);
// The lowest context id from 1 to maxCid that the answer to "AT+CGDCONT?"
// does not list; 0 when all are taken.
unsigned FreeContextId(const char* answer, unsigned maxCid);
// The highest id of the range the answer to "AT+CGDCONT=?" gives, as in
// "+CGDCONT: (1-16),"IP",..." or "+CGDCONT: (1,2,3),..."; fallback when the
// answer holds no range.
unsigned MaxContextId(const char* rangeAnswer, unsigned fallback);
// "AT+CGDCONT=<cid>,"IP","<apn>"\r". The length, 0 when it did not fit.
size_t FormatContextDefinition(char* out, size_t cap, unsigned cid, const char* apn);

// The context id one initialisation string defines with "+CGDCONT=", and where
// the quoted APN of that definition begins and ends (offsets into init);
// false when the string defines no context.
struct InitContext {
  unsigned cid;
  size_t apnBegin;
  size_t apnEnd;
};
bool ParseInitContext(const char* init, InitContext* context);
// The context id the first string defining the APN (case-insensitive) gives
// it; 0 when none does.
unsigned InitContextForApn(const char* const* inits, size_t count, const char* apn);
// What makes a driver's initialisation strings define the APN.
struct InitStringPlan {
  enum Action { kNone, kReplace, kAppend } action;
  size_t index;                      // the string to replace
  char text[kInitStringCapacity];    // the new value
};
// kNone when a string already defines the APN; kReplace rewrites the APN of
// the first string that defines another; kAppend adds a definition of
// kDriverContextId. False when the APN is unusable or the text does not fit.
bool PlanInitStringUpdate(const char* const* inits, size_t count, const char* apn, InitStringPlan* plan);

// A WAP gateway address as the Modem page stores it: "a.b.c.d", "host:port",
// or "http:" (the slashes may follow) and then host[:port][/path]. Host and
// port of its TCP service; the port is kDefaultGatewayPort when none is given.
// False for an empty host or a port outside 1..65535.
bool ParseGatewayAddress(const char* text, char* host, size_t hostCap, unsigned* port);

// The device path of a COM port name as the registry or the configuration
// gives it ("COM3", "com12:"): "\\.\COM3", which works for every port number.
// False when the name is no COM port.
bool ComDevicePath(const char* portName, char* out, size_t cap);

// "Global\ZedSMS_Modem_<hash of the upper-cased name>_<role>": one name per
// modem and role, whatever the length or characters of the modem name.
void ModemHandoverObjectName(const char* modemName, const char* role, char* out, size_t cap);
