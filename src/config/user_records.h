// The account records the console and the gateway share: the 522-byte user
// record of the SMS user file and the 511-byte VASP (MM7/EAIF) account record.
// Both begin with a 51-byte name field. No windows.h: the libraries' stores
// and the user editor share these rules, and they are tested natively.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kUserRecordBytes = 522;
constexpr size_t kVaspRecordBytes = 511;

// Every record begins with its name: at most 50 characters and a NUL.
constexpr size_t kAccountNameWidth = 51;
constexpr size_t kAccountNameChars = kAccountNameWidth - 1;

// A stored record can be read when its name field holds a name of 1 to 50
// characters, none of them a control character, terminated inside the field.
// Anything else (a file of garbage, a record cut short by a writer that died,
// a name without its NUL) is a record that cannot be read: the stores count
// it and keep its place, but never hand it out, match it or rewrite it.
bool IsReadableRecordName(const unsigned char* record);
// The same rule for a name about to be stored.
bool IsValidAccountName(const char* name);
// Names are compared with ASCII letters folded to one case, so that every
// process sharing a store agrees whatever its code page. False for a record
// that cannot be read.
bool RecordNameEquals(const unsigned char* record, const char* name);
bool RecordNameStartsWith(const unsigned char* record, const char* prefix);

// Whole records in a file of this size; a partial last record is ignored.
size_t CompleteRecordCount(uint64_t fileSize, size_t recordBytes);

// Whether a user name can stand as the folder USERS\<name>: one plain path
// component that no other user's name could also reach (no separators, no
// wildcards or other characters Windows refuses, no "." or "..", no trailing
// dot or space, which Windows would strip).
bool IsSafeFolderName(const char* name);

// The fields of a user record that the user editor fills. Texts are cut to
// the widths of their fields.
struct UserAccount {
  char name[kAccountNameWidth];
  char password[51];
  char fullName[101];
  bool webLogin;
  bool smppLogin;
  char ipRestriction[50];
  // 0 to 4 for the stored values 0xB0 to 0xB4; any other value reads as 0.
  unsigned webMenuIndex;
  // Stored only together with web login.
  bool adminAccess;
  bool acceptReceived;
};

// Reads the fields; a text without its NUL is cut at its field's width.
void ReadUserAccount(const unsigned char* record, UserAccount* account);
// Builds a record from zero, so that every byte the editor does not fill is cleared.
void WriteUserAccount(const UserAccount& account, unsigned char* record);
// Sets the fields the console keeps in a user's VASP account: name,
// password, full name, its flag bytes and the IP restriction. Other bytes
// of the record are left as they are.
void FillVaspAccount(const UserAccount& account, unsigned char* vaspRecord);
