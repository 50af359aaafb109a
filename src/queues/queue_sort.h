// The queue viewers' sort: rows compared by one column as Windows compares
// text without case, ascending or descending.
#pragma once

// k > 0: column k - 1 ascending; k < 0: column -k - 1 descending; 0 or a
// column beyond columnCount leaves the rows as they are.
void SortRows(char** rows, unsigned count, int sortState, unsigned columnCount);
