#include "modem/modem_messages.h"

#include "common/text_util.h"
#include "common/ui_util.h"

void ShowTapiInitError(HWND owner, LONG error, UINT icon) {
  char message[100];
  FormatText(message, sizeof message, "Unable to initialize TAPI:  Error %lX from lineInitialize",
             static_cast<unsigned long>(error));
  ShowMessage(owner, message, MB_OK | MB_SETFOREGROUND | icon);
}

void ShowAccessError(const char* port, DWORD error) {
  char message[500];
  size_t used = FormatText(message, sizeof message, "Unable to access modem at %s -- Error %lX -- ", port,
                           static_cast<unsigned long>(error));
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, message + used,
                 static_cast<DWORD>(sizeof message - used), nullptr);
  if (error == ERROR_ACCESS_DENIED)
    AppendText(message, sizeof message, "\r\nAnother application is already using this device.");
  ShowMessage(nullptr, message, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void ReportLineError(const char* what, LONG error, bool loud) {
  if (!loud) return;
  char message[100];
  FormatText(message, sizeof message, "Unable to initialize modem:  Error %lX from %s", static_cast<unsigned long>(error),
             what);
  ShowMessage(nullptr, message, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void ShowInitialisedRate(unsigned baud) {
  char message[64];
  FormatText(message, sizeof message, "Initialised modem at %u bps", baud);
  ShowMessage(nullptr, message, MB_OK | MB_ICONINFORMATION);
}
