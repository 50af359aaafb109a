#include "config/user_records.h"

#include <cstring>

#include "common/text_util.h"

namespace {

// Where the fields lie in the user record.
constexpr size_t kUserName = 0;
constexpr size_t kUserPassword = 51;
constexpr size_t kUserFullName = 102;
constexpr size_t kUserWebLoginDisabled = 203;
constexpr size_t kUserSmppLogin = 204;
constexpr size_t kUserIpRestriction = 225;
constexpr size_t kUserWebMenu = 419;
constexpr size_t kUserAdminAccess = 420;
constexpr size_t kUserAcceptReceived = 421;

// And in the VASP account record.
constexpr size_t kVaspName = 0;
constexpr size_t kVaspPassword = 51;
constexpr size_t kVaspFullName = 102;
constexpr size_t kVaspFlags = 203;
constexpr size_t kVaspIpRestriction = 267;

constexpr unsigned char kWebMenuBase = 0xB0;
constexpr unsigned kWebMenuOptions = 5;
constexpr unsigned char kAdminMark = 'j';

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The name's length when the field can be read, else 0.
size_t ReadableNameLength(const unsigned char* record) {
  size_t n = 0;
  while (n < kAccountNameWidth && record[n] != 0) {
    if (IsControl(record[n])) return 0;
    ++n;
  }
  return n < kAccountNameWidth ? n : 0;
}

// Compares the first n characters of a readable name with text, case folded;
// text must not end before them.
bool SameFolded(const unsigned char* name, const char* text, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == '\0' || FoldCase(static_cast<char>(name[i])) != FoldCase(text[i])) return false;
  }
  return true;
}

// Copies a text field of the given width; a text without its NUL stops at width - 1.
void ReadField(const unsigned char* record, size_t offset, size_t width, char* out) {
  CopyTextMax(out, width, reinterpret_cast<const char*>(record + offset), width - 1);
}

// Clears a field and stores the text in it, always NUL-terminated.
void WriteField(unsigned char* record, size_t offset, size_t width, const char* text) {
  memset(record + offset, 0, width);
  CopyText(reinterpret_cast<char*>(record + offset), width, text);
}

}  // namespace

bool IsReadableRecordName(const unsigned char* record) { return record && ReadableNameLength(record) > 0; }

bool IsValidAccountName(const char* name) {
  if (!name) return false;
  size_t n = strnlen(name, kAccountNameWidth);
  if (n == 0 || n > kAccountNameChars) return false;
  for (size_t i = 0; i < n; ++i)
    if (IsControl(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

bool RecordNameEquals(const unsigned char* record, const char* name) {
  if (!record || !name) return false;
  size_t n = ReadableNameLength(record);
  return n > 0 && SameFolded(record, name, n) && name[n] == '\0';
}

bool RecordNameStartsWith(const unsigned char* record, const char* prefix) {
  if (!record || !prefix) return false;
  size_t n = ReadableNameLength(record);
  if (n == 0) return false;
  size_t wanted = strnlen(prefix, kAccountNameWidth);
  return wanted <= n && SameFolded(record, prefix, wanted);
}

size_t CompleteRecordCount(uint64_t fileSize, size_t recordBytes) {
  if (recordBytes == 0) return 0;
  uint64_t count = fileSize / recordBytes;
  return count > static_cast<uint64_t>(static_cast<size_t>(-1)) ? static_cast<size_t>(-1)
                                                                 : static_cast<size_t>(count);
}

bool IsSafeFolderName(const char* name) {
  if (!IsValidAccountName(name)) return false;
  if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
  for (const char* c = name; *c; ++c)
    if (strchr("\\/:*?\"<>|", *c)) return false;
  char last = name[strlen(name) - 1];
  return last != '.' && last != ' ';
}

void ReadUserAccount(const unsigned char* record, UserAccount* account) {
  ReadField(record, kUserName, sizeof account->name, account->name);
  ReadField(record, kUserPassword, sizeof account->password, account->password);
  ReadField(record, kUserFullName, sizeof account->fullName, account->fullName);
  account->webLogin = record[kUserWebLoginDisabled] == 0;
  account->smppLogin = record[kUserSmppLogin] != 0;
  ReadField(record, kUserIpRestriction, sizeof account->ipRestriction, account->ipRestriction);
  unsigned menu = record[kUserWebMenu];
  account->webMenuIndex =
      (menu >= kWebMenuBase && menu < kWebMenuBase + kWebMenuOptions) ? menu - kWebMenuBase : 0;
  account->adminAccess = record[kUserAdminAccess] == kAdminMark;
  account->acceptReceived = record[kUserAcceptReceived] != 0;
}

void WriteUserAccount(const UserAccount& account, unsigned char* record) {
  memset(record, 0, kUserRecordBytes);
  WriteField(record, kUserName, sizeof account.name, account.name);
  WriteField(record, kUserPassword, sizeof account.password, account.password);
  WriteField(record, kUserFullName, sizeof account.fullName, account.fullName);
  record[kUserWebLoginDisabled] = account.webLogin ? 0 : 1;
  record[kUserSmppLogin] = account.smppLogin ? 1 : 0;
  WriteField(record, kUserIpRestriction, sizeof account.ipRestriction, account.ipRestriction);
  unsigned index = account.webMenuIndex < kWebMenuOptions ? account.webMenuIndex : 0;
  record[kUserWebMenu] = static_cast<unsigned char>(kWebMenuBase + index);
  record[kUserAdminAccess] = (account.webLogin && account.adminAccess) ? kAdminMark : 0;
  record[kUserAcceptReceived] = account.acceptReceived ? 1 : 0;
}

void FillVaspAccount(const UserAccount& account, unsigned char* vaspRecord) {
  WriteField(vaspRecord, kVaspName, sizeof account.name, account.name);
  WriteField(vaspRecord, kVaspPassword, sizeof account.password, account.password);
  WriteField(vaspRecord, kVaspFullName, sizeof account.fullName, account.fullName);
  const unsigned char flags[4] = {1, 0, 1, 1};
  memcpy(vaspRecord + kVaspFlags, flags, sizeof flags);
  WriteField(vaspRecord, kVaspIpRestriction, sizeof account.ipRestriction, account.ipRestriction);
}
