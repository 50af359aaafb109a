#include "monitor/status_rules.h"

#include "common/text_util.h"

namespace {

const char kActive[] = "Service is Active";

const char* ServiceText(const ServiceReport& service, const char* ownPortText, const char* smppPortText) {
  if (!service.installed) return "Service is NOT Installed";
  if (!service.running) return "Service is NOT Active";
  if (service.ownPortInUse) return ownPortText;
  return service.smppPortInUse ? smppPortText : kActive;
}

}  // namespace

ServiceStatus ServiceStatusOf(const ServiceReport& sms, const ServiceReport& mms) {
  const char* text =
      ServiceText(sms, "ERROR:  Web Port already in use", "ERROR:  SMPP Server Port already in use");
  if (text == kActive) text = ServiceText(mms, "ERROR:  MM7 Port already in use", "ERROR:  SMPP Port already in use");
  return {text, text != kActive};
}

bool QueueCountDue(uint64_t lastCount, uint64_t now) {
  return !lastCount || now < lastCount || now - lastCount >= 10;
}

bool QueueAlert(unsigned count, unsigned alertSize) { return alertSize != 0 && alertSize < count; }

void FormatCount(unsigned value, const char* zeroText, char* text, size_t cap) {
  if (value == 0)
    CopyText(text, cap, zeroText);
  else
    FormatText(text, cap, "%u", value);
}

void AppendConnectionError(char* info, size_t cap, const char* modem, const char* error) {
  if (!error[0]) return;
  AppendText(info, cap, modem);
  AppendText(info, cap, " : ");
  AppendText(info, cap, error);
  AppendText(info, cap, "\r\n");
}
