// Files of fixed-size account records, shared between the console and the
// gateway services: the SMS user file of GWCORE.DLL and the VASP account
// stores of MMSACCT.DLL.
//
// Format: nothing but whole records, one after another, in the order they
// were added; a record is found by its index or by its name (its first 51
// bytes, see config/user_records.h). A partial record at the end (a file cut
// short) is ignored and overwritten by the next addition.
//
// Sharing: every process opens the file sharing read, write and delete, and
// changes it in place. One byte far beyond any record is the file's lock:
// reads hold it shared, changes hold it exclusively, so a reader never sees a
// record half written or a deletion half done, and a reader may keep the
// file open for as long as it likes. Lock waits are bounded; an operation
// that cannot get the lock fails.
//
// Changes: adding a record whose name exists replaces that record where it
// is; otherwise the record goes to the end. Deleting closes the gap by moving
// every later record down one place and shortening the file, so records keep
// their order and indexes stay meaningful to a list shown by index.
#pragma once
#include <windows.h>

#include <cstddef>

// Opens (creating an empty file when missing) for reading, or for reading
// and writing. INVALID_HANDLE_VALUE on failure.
HANDLE OpenRecordFile(const char* path, bool write);
// Number of whole records.
size_t CountRecords(HANDLE file, size_t recordBytes);
// The record at the index when it exists and can be read.
bool ReadRecordAt(HANDLE file, size_t recordBytes, size_t index, unsigned char* record);
// Index of the first readable record whose name equals the name (or, with
// prefix, begins with it), case folded; the record is copied out when
// wanted (record may be null). -1 when there is none.
long FindRecord(HANDLE file, size_t recordBytes, const char* name, bool prefix, unsigned char* record);
// Replaces the record of the same name, or appends. False for a record whose
// name cannot be read or when the file cannot be written.
bool PutRecord(HANDLE file, size_t recordBytes, const unsigned char* record);
// Removes every readable record of that name; false when there was none.
bool RemoveRecords(HANDLE file, size_t recordBytes, const char* name);
