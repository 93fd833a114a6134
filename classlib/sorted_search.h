// The halving search shared by the sorted lists: finds where Key belongs among Count items
// kept in ascending order. CompareAt(i) compares item i with the key (<0, 0, >0).
#pragma once
#include <cstdint>

#include "classlib/classes.h"

// True when an item equal to the key exists. Index is then that item (the first of the equal
// ones with dupAccept, so that a new one goes before them); otherwise the insertion point.
template <class CompareAtFn>
bool SortedSearch(int32_t count, TDuplicates duplicates, CompareAtFn compareAt, int32_t& index) {
    int32_t lo = 0, hi = count - 1;
    bool found = false;
    while (lo <= hi) {
        int32_t mid = lo + (hi - lo) / 2;
        int c = compareAt(mid);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}
