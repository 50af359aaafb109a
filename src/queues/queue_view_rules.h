// What the queue viewers decide, apart from the list control: the sort order
// a column click leaves, where a selected message went after a refresh, the
// status line, the delete question, and which paths a delete may touch.
// No windows.h.
#pragma once
#include <cstddef>

// The time column, 1-based as sort states count columns.
constexpr int kTimeSortColumn = 4;

// Sort state: k > 0 sorts column k - 1 ascending, k < 0 column -k - 1
// descending. A click on the sorted column turns the order round, a click on
// another sorts it ascending; an empty list or a column beyond the viewer's
// keeps the state.
int NextSortState(int sortState, int column, unsigned columnCount, unsigned rowCount);

// Index of the row whose key (field 0) equals key in any case; -1 for an
// empty key or none.
int FindRowByKey(char* const* rows, unsigned count, size_t fieldCount, const char* key);

// "<prefix><emptyText>" for no message, otherwise "<prefix>1 message" or
// "<prefix>N messages".
void FormatQueueStatus(const char* prefix, const char* emptyText, unsigned total, char* out, size_t outCap);
// The question before a delete: one message or a count of them.
void FormatDeleteQuestion(unsigned selected, char* out, size_t outCap);

// The store directory followed by a message key; false, with an empty result,
// when it does not fit (a cut path would name another file).
bool MessagePath(const char* directory, const char* key, char* out, size_t outCap);
// The content folder that goes with a received MMS header of the store
// directory: the header path without its extension, and only a named folder
// below the store. A header named only by its extension (".HDR") has none, so
// the store or a route folder never goes.
bool ReceivedMmsContentFolder(const char* directory, const char* headerPath, char* out, size_t outCap);
