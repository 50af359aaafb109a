// The account records of the SMS user file and the VASP file. Input: a
// stored user record (522 bytes), a stored VASP record (511 bytes), then the
// fields an editor would fill: flag byte, menu byte and the four texts
// separated by line feeds.
#include <cstdint>
#include <cstring>

#include "config/user_records.h"
#include "fuzz_checks.h"

namespace {

bool Terminated(const char* text, size_t width) { return memchr(text, '\0', width) != nullptr; }

void CheckTexts(const UserAccount& a) {
  FUZZ_CHECK(Terminated(a.name, sizeof a.name));
  FUZZ_CHECK(Terminated(a.password, sizeof a.password));
  FUZZ_CHECK(Terminated(a.fullName, sizeof a.fullName));
  FUZZ_CHECK(Terminated(a.ipRestriction, sizeof a.ipRestriction));
  FUZZ_CHECK(a.webMenuIndex < 5);
}

bool SameAccount(const UserAccount& a, const UserAccount& b) {
  return !strcmp(a.name, b.name) && !strcmp(a.password, b.password) && !strcmp(a.fullName, b.fullName) &&
         a.webLogin == b.webLogin && a.smppLogin == b.smppLogin && !strcmp(a.ipRestriction, b.ipRestriction) &&
         a.webMenuIndex == b.webMenuIndex && a.adminAccess == b.adminAccess && a.acceptReceived == b.acceptReceived;
}

// The next line-feed-separated text of the input, cut to the field's width.
void TakeText(const char** p, const char* end, char* field, size_t width) {
  const char* lineEnd = static_cast<const char*>(memchr(*p, '\n', static_cast<size_t>(end - *p)));
  if (!lineEnd) lineEnd = end;
  size_t n = strnlen(*p, static_cast<size_t>(lineEnd - *p));
  if (n > width - 1) n = width - 1;
  memcpy(field, *p, n);
  field[n] = '\0';
  *p = lineEnd < end ? lineEnd + 1 : end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kUserRecordBytes + kVaspRecordBytes + 2) return 0;
  // Copies of exactly a record's size: any read past the end is reported.
  unsigned char* stored = new unsigned char[kUserRecordBytes];
  memcpy(stored, data, kUserRecordBytes);
  unsigned char* vasp = new unsigned char[kVaspRecordBytes];
  memcpy(vasp, data + kUserRecordBytes, kVaspRecordBytes);
  const uint8_t* fields = data + kUserRecordBytes + kVaspRecordBytes;

  // Any stored record reads into terminated fields, and its name is matched
  // only when it can be read.
  UserAccount read;
  ReadUserAccount(stored, &read);
  CheckTexts(read);
  bool readable = IsReadableRecordName(stored);
  FUZZ_CHECK(RecordNameEquals(stored, read.name) == readable);
  FUZZ_CHECK(RecordNameStartsWith(stored, "") == readable);
  FUZZ_CHECK(!readable || IsValidAccountName(read.name));
  IsSafeFolderName(read.name);

  // What the editor writes reads back the same.
  UserAccount account;
  account.webLogin = fields[0] & 1;
  account.smppLogin = fields[0] & 2;
  account.adminAccess = account.webLogin && (fields[0] & 4);
  account.acceptReceived = fields[0] & 8;
  account.webMenuIndex = fields[1] % 5;
  const char* p = reinterpret_cast<const char*>(fields + 2);
  const char* end = reinterpret_cast<const char*>(data + size);
  TakeText(&p, end, account.name, sizeof account.name);
  TakeText(&p, end, account.password, sizeof account.password);
  TakeText(&p, end, account.fullName, sizeof account.fullName);
  TakeText(&p, end, account.ipRestriction, sizeof account.ipRestriction);

  unsigned char* written = new unsigned char[kUserRecordBytes];
  WriteUserAccount(account, written);
  UserAccount back;
  ReadUserAccount(written, &back);
  FUZZ_CHECK(SameAccount(account, back));
  FUZZ_CHECK(IsReadableRecordName(written) == IsValidAccountName(account.name));
  FUZZ_CHECK(!IsValidAccountName(account.name) || RecordNameEquals(written, account.name));

  // The VASP record takes the same name. Filled over two different records,
  // every byte either comes out the same in both (the console sets it) or
  // stays as it was in each.
  unsigned char* other = new unsigned char[kVaspRecordBytes];
  memset(other, 0xFF, kVaspRecordBytes);
  FillVaspAccount(account, vasp);
  FillVaspAccount(account, other);
  FUZZ_CHECK(IsReadableRecordName(vasp) == IsValidAccountName(account.name));
  FUZZ_CHECK(!IsValidAccountName(account.name) || RecordNameEquals(vasp, account.name));
  const unsigned char* before = data + kUserRecordBytes;
  for (size_t i = 0; i < kVaspRecordBytes; ++i)
    FUZZ_CHECK(vasp[i] == other[i] || (vasp[i] == before[i] && other[i] == 0xFF));

  delete[] other;
  delete[] written;
  delete[] vasp;
  delete[] stored;
  return 0;
}
