#include "accounts/account_files.h"

#include "support/test_env.h"

std::string UserFilePath() {
  char directory[MAX_PATH];
  GetPrivateDataDirectory(directory);
  return std::string(directory) + "SMSUSERS.DAT";
}

void StoreUser(const SmsUserRecord& record) {
  OpenUserFile file;
  SMSAddUser(file.handle(), &record);
}

std::vector<std::string> UserNames(HANDLE file) {
  OpenUserFile own(GENERIC_READ);
  if (!file) file = own.handle();
  std::vector<std::string> names;
  for (int i = 0; i < SMSGetRecordCount(file); ++i) {
    SmsUserRecord record;
    names.push_back(SMSGetUserRecord(file, i, &record) ? reinterpret_cast<const char*>(record.bytes) : "<unreadable>");
  }
  return names;
}

SmsUserRecord UserBytes(const char* name, std::initializer_list<std::pair<size_t, const char*>> texts,
                        std::initializer_list<std::pair<size_t, unsigned char>> bytes) {
  SmsUserRecord record = {};
  strncpy(reinterpret_cast<char*>(record.bytes), name, kAccountNameChars);
  for (const auto& text : texts) memcpy(record.bytes + text.first, text.second, strlen(text.second));
  for (const auto& byte : bytes) record.bytes[byte.first] = byte.second;
  return record;
}
