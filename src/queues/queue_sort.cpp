#include "queues/queue_sort.h"

#include <windows.h>

#include <cstdlib>

#include "queues/queue_rows.h"

namespace {

constexpr unsigned kMaxColumns = 6;

template <unsigned kColumn>
int CompareAscending(const void* a, const void* b) {
  const char* rowA = *static_cast<char* const*>(a);
  const char* rowB = *static_cast<char* const*>(b);
  return lstrcmpiA(QueueRowField(rowA, kColumn + 2, kColumn + 1), QueueRowField(rowB, kColumn + 2, kColumn + 1));
}

template <unsigned kColumn>
int CompareDescending(const void* a, const void* b) {
  return -CompareAscending<kColumn>(a, b);
}

using RowComparator = int (*)(const void*, const void*);
const RowComparator kAscending[kMaxColumns] = {CompareAscending<0>, CompareAscending<1>, CompareAscending<2>,
                                               CompareAscending<3>, CompareAscending<4>, CompareAscending<5>};
const RowComparator kDescending[kMaxColumns] = {CompareDescending<0>, CompareDescending<1>,
                                                CompareDescending<2>, CompareDescending<3>,
                                                CompareDescending<4>, CompareDescending<5>};

}  // namespace

void SortRows(char** rows, unsigned count, int sortState, unsigned columnCount) {
  if (!rows || sortState == 0 || count < 2) return;
  unsigned column = static_cast<unsigned>(sortState > 0 ? sortState - 1 : -sortState - 1);
  if (column >= columnCount || column >= kMaxColumns) return;
  qsort(rows, count, sizeof *rows, sortState > 0 ? kAscending[column] : kDescending[column]);
}
