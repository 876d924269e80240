// KvList searches: linear (by callback or by identity) and by halving, and the
// sorted insert index.
#include <cstring>

#include "kvlib/kvlist.h"
#include "kvlib/kvlist_internal.h"

using namespace kvlist_detail;

namespace {

// The probe of a halving step over d items from lo: the middle for odd d, the
// lower middle for even d.
int32_t Probe(int32_t lo, int32_t d) { return (d & 1) ? lo + d / 2 : lo + d / 2 - 1; }

// Items left before the probe when the key is before it.
int32_t LeftCount(int32_t d) { return (d & 1) ? d / 2 : d / 2 - 1; }

}  // namespace

int32_t KvList_FindItemRange(KvList list, int32_t start, int32_t n, const void* key, KvListMatch match) {
  Guard guard(list);
  if (!guard.ok() || !match) return -1;
  int32_t lo, d;
  SearchRange(list, start, n, &lo, &d);
  for (int32_t i = lo; i < lo + d; ++i) {
    if (match(key, ItemArg(list, i)) == 0) return i;
  }
  return -1;
}

int32_t KvList_FindSpecificItemRange(KvList list, int32_t start, int32_t n, const void* item) {
  Guard guard(list);
  if (!guard.ok()) return -1;
  int32_t lo, d;
  SearchRange(list, start, n, &lo, &d);
  for (int32_t i = lo; i < lo + d; ++i) {
    if (IsArray(list)) {
      if (item && std::memcmp(Slot(list, i), item, static_cast<std::size_t>(list->itemSize)) == 0) return i;
    } else if (StoredPtr(list, i) == item) {
      return i;
    }
  }
  return -1;
}

int32_t KvList_FindSortedItemRange(KvList list, const void* key, int32_t start, int32_t n, KvListCompare compare) {
  Guard guard(list);
  if (!guard.ok() || !compare) return -1;
  int32_t lo, d;
  SearchRange(list, start, n, &lo, &d);
  const uint32_t criterion = list->sortCriteria;
  while (d > 0) {
    if (d == 1) return compare(criterion, key, ItemArg(list, lo)) == 0 ? lo : -1;
    int32_t probe = Probe(lo, d);
    int c = compare(criterion, key, ItemArg(list, probe));
    if (c == 0) return probe;
    if (c < 0) {
      d = LeftCount(d);
    } else {
      lo = probe + 1;
      d = d / 2;
    }
  }
  return -1;
}

int32_t KvList_FindSortedInsertIndexRange(KvList list, const void* key, int32_t start, int32_t n,
                                          KvListCompare compare) {
  Guard guard(list);
  if (!guard.ok() || !compare) return -1;
  if (start > list->count) return -1;
  int32_t lo, d;
  SearchRange(list, start, n, &lo, &d);
  if (d == 0) return 0;
  const uint32_t criterion = list->sortCriteria;
  int32_t result = lo;
  while (d > 0) {
    if (d == 1) return compare(criterion, key, ItemArg(list, lo)) > 0 ? lo + 1 : lo;
    int32_t probe = Probe(lo, d);
    int c = compare(criterion, key, ItemArg(list, probe));
    if (c == 0) return probe;  // the new item goes before the equal one
    if (c < 0) {
      result = probe;
      d = LeftCount(d);
    } else {
      result = probe + 1;
      lo = probe + 1;
      d = d / 2;
    }
  }
  return result;
}
