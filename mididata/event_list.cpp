// Building the event list of the current view and keeping it in display order.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "mididata/event_store.h"
#include "mididata/host_bracket.h"
#include "mididata/host_enum.h"

HRESULT EventStore::ReadTrackKey(uint32_t trackId, TrackKey* key) {
  ItemPath p{trackId, 0, 0};
  TrackInfo info{};
  HRESULT hr = host_.data->GetItem(&p, kLevelTrack, &info, kGetRecord);
  if (FAILED(hr)) return hr;
  *key = TrackKey{trackId, info.orderKey, info.channel};
  return S_OK;
}

namespace {

// The event list's room when made.
constexpr int32_t kCreatedRoom = 8;
// Room kept from an earlier build is filled in place when it holds at least
// this many: a little room filled first would leave most entries to spill
// and the two parts to be joined.
constexpr int32_t kRoomFilledInPlace = 1 << 14;

}  // namespace

// Entries gathered past the list's room. Fresh pages are the dearest part
// of a first build (a list grown by doubling while a million events arrive
// touches twice its final size), so the list grows once at the end, and the
// entries wait here in half the room a list entry takes: the track, block and
// order key are their block's, kept once per run.
struct EventStore::Spill {
  struct Entry {
    int64_t start;
    uint32_t eventId;
    int32_t channel;
  };
  struct Run {
    ItemPath block;
    int32_t orderKey;
    size_t first;  // index of the run's first entry here
  };
  static constexpr size_t kChunk = 1 << 16;
  std::vector<std::unique_ptr<Entry[]>> chunks;
  std::vector<Run> runs;  // one per block gathered, spilled entries or not
  size_t size = 0;

  void BeginRun(const ItemPath& block, int32_t orderKey) { runs.push_back(Run{block, orderKey, size}); }
  bool Add(const ListedEvent& e) {
    if (size % kChunk == 0) {
      Entry* chunk = new (std::nothrow) Entry[kChunk];
      if (!chunk) return false;
      try {
        chunks.emplace_back(chunk);
      } catch (const std::bad_alloc&) {
        delete[] chunk;
        return false;
      }
    }
    chunks[size / kChunk][size % kChunk] = Entry{e.start, e.path.eventId, e.channel};
    ++size;
    return true;
  }
  // Entry i of run r as the list holds it.
  ListedEvent At(size_t run, size_t i) const {
    const Entry& e = chunks[i / kChunk][i % kChunk];
    const Run& r = runs[run];
    return ListedEvent{ItemPath{r.block.trackId, r.block.blockId, e.eventId}, e.start, r.orderKey, e.channel};
  }
  void Clear() {
    chunks.clear();
    size = 0;
  }
  // Appends the spilled entries to the list, growing it once.
  HRESULT MoveTo(KvList list) {
    if (size == 0) return S_OK;
    const int32_t at = KvList_Count(list);
    if (size > static_cast<size_t>(INT32_MAX - at)) return E_OUTOFMEMORY;
    const HRESULT hr = KvList_ArrayForceItemCount(list, at + static_cast<int32_t>(size), 0);
    if (FAILED(hr)) return hr;
    auto* out = static_cast<ListedEvent*>(KvList_At(list, at));
    for (size_t r = 0; r < runs.size(); ++r) {
      const size_t end = r + 1 < runs.size() ? runs[r + 1].first : size;
      for (size_t i = runs[r].first; i < end; ++i) *out++ = At(r, i);
    }
    Clear();
    return S_OK;
  }
};

HRESULT EventStore::AppendBlockEvents(const ItemPath& block, Spill* spill) {
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  TrackKey track{};
  HRESULT hr = ReadTrackKey(block.trackId, &track);
  if (FAILED(hr)) return hr;
  try {
    spill->BeginRun(block, track.orderKey);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  MidiEvent event{};
  const ItemPath parent{block.trackId, block.blockId, 0};
  return EnumerateLevel(host_.data, parent, kLevelEvent, &event, typeMask_, [&](const ItemPath& path) {
    const int32_t channel = EffectiveChannel(track.channel, event.channel);
    if (!ChannelAdmitted(channel, channelMask_)) return S_OK;
    const ListedEvent entry{path, event.start, track.orderKey, channel};
    // A list with room kept from an earlier build is filled in place, unless
    // its blocks interleaved (the merge would need them aside anyway); once
    // the room is used up, every later entry spills, keeping the order.
    if (spill->size == 0 && !interleaved_ && events_->count < events_->capacity &&
        events_->capacity >= kRoomFilledInPlace) {
      KvList_InsertList(events_, -1, &entry, 1);
    } else if (!spill->Add(entry)) {
      return E_OUTOFMEMORY;
    }
    NoteListed(event);
    if (event.flags & kEventSelected) selected_.Add(path);
    if (event.timeFormat != kTimeTicks) ++otherFormats_;
    return S_OK;
  });
}

namespace {

// Gathered entries come in runs, one per block: runs[r] to runs[r + 1].
// at(r, i) reads entry i of run r wherever it lies.

template <class At, class Before>
bool RunsSorted(At at, const std::vector<size_t>& runs, Before before) {
  for (size_t r = 0; r + 1 < runs.size(); ++r)
    for (size_t i = runs[r] + 1; i < runs[r + 1]; ++i)
      if (before(at(r, i), at(r, i - 1))) return false;
  return true;
}

// Each run starts no earlier than the entries before it end: blocks that
// follow one another in time.
template <class At, class Before>
bool RunsFollow(At at, const std::vector<size_t>& runs, Before before) {
  size_t last = SIZE_MAX;  // the last run with entries so far
  for (size_t r = 0; r + 1 < runs.size(); ++r) {
    if (runs[r] == runs[r + 1]) continue;
    if (last != SIZE_MAX && before(at(r, runs[r]), at(last, runs[r] - 1))) return false;
    last = r;
  }
  return true;
}

// Merges sorted runs into out, equal keys in run order, through a tree of
// losers over the runs' heads: each entry costs about log2 k comparisons for
// k runs, where a stable sort of the whole would cost log n passes.
// compare(a, b) is negative, 0 or positive.
template <class At, class Entry, class Compare>
void MergeRuns(At at, const std::vector<size_t>& runs, Entry* out, Compare compare) {
  const size_t k = runs.size() - 1;
  if (k == 0) return;
  std::vector<size_t> next(runs.begin(), runs.end() - 1);
  std::vector<Entry> head(k);
  for (size_t r = 0; r < k; ++r)
    if (next[r] < runs[r + 1]) head[r] = at(r, next[r]);
  // Whether run a's head goes out before run b's; an ended run never does.
  auto beats = [&](size_t a, size_t b) {
    if (next[a] == runs[a + 1]) return false;
    if (next[b] == runs[b + 1]) return true;
    const int c = compare(head[a], head[b]);
    return c != 0 ? c < 0 : a < b;
  };
  // Nodes 1 to k - 1 hold the loser of their match, node 0 the winner;
  // run r plays from leaf k + r.
  std::vector<size_t> loser(k);
  auto build = [&](auto& self, size_t node) -> size_t {
    if (node >= k) return node - k;
    const size_t a = self(self, 2 * node), b = self(self, 2 * node + 1);
    if (beats(a, b)) {
      loser[node] = b;
      return a;
    }
    loser[node] = a;
    return b;
  };
  loser[0] = build(build, 1);
  for (;;) {
    size_t w = loser[0];
    if (next[w] == runs[w + 1]) return;  // every run has ended
    *out++ = head[w];
    if (++next[w] < runs[w + 1]) head[w] = at(w, next[w]);
    for (size_t node = (w + k) / 2; node >= 1; node /= 2)
      if (beats(loser[node], w)) std::swap(loser[node], w);
    loser[0] = w;
  }
}

}  // namespace

// Puts the gathered entries in the list in display order. Blocks that follow
// one another in time are already in order and cost one look; interleaved
// blocks are merged, not sorted whole, and straight from the spill when
// everything spilled (a first build, or a view whose blocks interleaved
// last time).
HRESULT EventStore::PlaceGathered(Spill& spill, const std::vector<size_t>& runs) {
  interleaved_ = false;
  auto spilled = [&](size_t r, size_t i) { return spill.At(r, i); };
  if (KvList_Count(events_) == 0 && spill.size > 0 && spill.size <= INT32_MAX &&
      RunsSorted(spilled, runs, Before) && !RunsFollow(spilled, runs, Before)) {
    const HRESULT hr = KvList_ArrayForceItemCount(events_, static_cast<int32_t>(spill.size), 0);
    if (FAILED(hr)) return hr;
    MergeRuns(spilled, runs, static_cast<ListedEvent*>(KvList_At(events_, 0)), Compare);
    spill.Clear();
    interleaved_ = true;
    return S_OK;
  }
  HRESULT hr = spill.MoveTo(events_);
  if (FAILED(hr)) return hr;
  const size_t n = static_cast<size_t>(KvList_Count(events_));
  if (n < 2) return S_OK;
  auto* entries = static_cast<ListedEvent*>(KvList_At(events_, 0));
  auto listed = [&](size_t, size_t i) -> const ListedEvent& { return entries[i]; };
  // Within a block, events of one time may still differ in channel.
  for (size_t r = 0; r + 1 < runs.size(); ++r)
    if (!std::is_sorted(entries + runs[r], entries + runs[r + 1], Before))
      std::stable_sort(entries + runs[r], entries + runs[r + 1], Before);
  interleaved_ = !RunsFollow(listed, runs, Before);
  if (!interleaved_) return S_OK;
  std::vector<ListedEvent> copy;
  try {
    copy.assign(entries, entries + n);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  MergeRuns([&](size_t, size_t i) -> const ListedEvent& { return copy[i]; }, runs, entries, Compare);
  return S_OK;
}

// Gathers the chosen blocks' events with their display keys and orders them
// once, instead of inserting event by event, which moves the list's tail for
// every insert. The list keeps its room from the last build: as many are
// likely again, and filling warm memory in place is the cheapest build.
HRESULT EventStore::RebuildEvents() {
  status_ &= ~kStoreEventsValid;
  HRESULT hr = Refresh(false);
  if (FAILED(hr)) return hr;
  hr = events_ ? S_OK
               : KvList_CreateExZ(&events_, sizeof(ListedEvent), kCreatedRoom, 8, 0x40000004, nullptr, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  KvList_DeleteList(events_, 0, -1, 0);
  ForgetReports();
  longestNote_ = 0;
  otherFormats_ = 0;
  {
    std::lock_guard<std::mutex> lock(changedLock_);
    changedLengths_.clear();  // measured again by the rebuild
  }

  Spill spill;
  std::vector<size_t> runs{0};
  const int32_t tracks = TrackCount();
  if (currentTrack_ < tracks) {
    const int32_t firstTrack = currentTrack_ < 0 ? 0 : currentTrack_;
    const int32_t lastTrack = currentTrack_ < 0 ? tracks - 1 : currentTrack_;
    for (int32_t t = firstTrack; t <= lastTrack; ++t) {
      const int32_t blocks = BlockCount(t);
      const int32_t firstBlock = currentBlock_ < 0 ? 0 : currentBlock_;
      const int32_t lastBlock = currentBlock_ < 0 ? blocks - 1 : std::min(currentBlock_, blocks - 1);
      for (int32_t b = firstBlock; b <= lastBlock; ++b) {
        ItemPath block{};
        BlockPathAt(t, b, &block);
        hr = AppendBlockEvents(block, &spill);
        if (FAILED(hr)) return FailedBuild(hr);
        runs.push_back(static_cast<size_t>(KvList_Count(events_)) + spill.size);
      }
    }
  }
  hr = PlaceGathered(spill, runs);
  if (FAILED(hr)) return FailedBuild(hr);
  // The room kept for the next build stays near what this one needed: a
  // small view after a large one gives the memory back.
  if (events_->capacity / 4 > events_->count) KvList_ShrinkAllocated(events_, -1);
  selectionKnown_ = true;
  status_ |= kStoreEventsValid;
  builtTypeMask_ = typeMask_;
  return S_OK;
}

// A build that failed part way leaves an empty list, not a part of one.
HRESULT EventStore::FailedBuild(HRESULT hr) {
  KvList_DeleteList(events_, 0, -1, 0);
  ForgetReports();
  return hr;
}

void EventStore::ForgetReports() {
  selected_.Clear();
  selectionKnown_ = false;
  listed_.Clear();
  listedMade_ = false;
  gone_.Clear();
  goneKeys_.clear();
  renumberedFrom_.Clear();
  renumberedTo_.Clear();
  renumbered_.clear();
  arriving_.clear();
}

// Made at the first report after a build, so that building and browsing a
// list pay nothing for it.
PathMap<DisplayKey>& EventStore::Listed() {
  if (!listedMade_) {
    const int32_t n = KvList_Count(events_);
    listed_.Reserve(static_cast<size_t>(n) + arriving_.size());
    for (int32_t i = 0; i < n; ++i) {
      const ListedEvent& e = *static_cast<const ListedEvent*>(KvList_At(events_, i));
      listed_.Add(e.path, KeyOf(e));
    }
    listedMade_ = true;
  }
  return listed_;
}

bool EventStore::SelectedIndexes(std::vector<int32_t>* out) {
  out->clear();
  const int32_t n = KvList_Count(events_);
  if (!selectionKnown_ || !listedMade_ || ReportsWaiting() || selected_.Room() > static_cast<size_t>(n) / 4)
    return false;
  try {
    selected_.ForEach([&](const ItemPath& path, uint8_t) {
      const DisplayKey* key = listed_.Find(path);
      if (!key) return;  // selected, but not in this view
      if (const int32_t i = Locate(path, *key); i >= 0) out->push_back(i);
    });
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::sort(out->begin(), out->end());
  return true;
}

int32_t EventStore::Locate(const ItemPath& path, const DisplayKey& key) const {
  const int32_t n = KvList_Count(events_);
  if (n == 0) return -1;
  const auto* entries = static_cast<const ListedEvent*>(KvList_At(events_, 0));
  const auto* e = std::lower_bound(entries, entries + n, key, [](const ListedEvent& a, const DisplayKey& k) {
    return CompareDisplay(KeyOf(a), k) < 0;
  });
  for (; e != entries + n && CompareDisplay(KeyOf(*e), key) == 0; ++e)
    if (SamePath(e->path, path)) return static_cast<int32_t>(e - entries);
  return -1;
}

namespace {

bool PathBefore(const ItemPath& a, const ItemPath& b) {
  if (a.trackId != b.trackId) return a.trackId < b.trackId;
  if (a.blockId != b.blockId) return a.blockId < b.blockId;
  return a.eventId < b.eventId;
}

}  // namespace

void EventStore::Arrive(const ItemPath& path, const DisplayKey& key, uint32_t timeFormat, bool selected) {
  arriving_.push_back(ListedEvent{path, key.start, key.orderKey, key.channel});
  Listed().Add(path, key);
  if (selected) selected_.Add(path);
  if (timeFormat != kTimeTicks) ++otherFormats_;
}

HRESULT EventStore::Depart(const ItemPath& path) {
  if (!Listed().Contains(path)) return S_FALSE;
  if (renumberedFrom_.Contains(path) || renumberedTo_.Contains(path)) {
    HRESULT hr = FlushReports();
    if (FAILED(hr)) return hr;
  }
  goneKeys_.emplace_back(path, *Listed().Find(path));
  Listed().Remove(path);
  selected_.Remove(path);
  gone_.Add(path);
  return S_OK;
}

HRESULT EventStore::Renumber(const ItemPath& from, const ItemPath& to) {
  if (SamePath(from, to) || !Listed().Contains(from)) return S_OK;
  if (gone_.Contains(from) || gone_.Contains(to) || renumberedFrom_.Contains(from) || renumberedFrom_.Contains(to) ||
      renumberedTo_.Contains(from) || renumberedTo_.Contains(to)) {
    HRESULT hr = FlushReports();
    if (FAILED(hr)) return hr;
  }
  const DisplayKey key = *Listed().Find(from);
  Listed().Remove(from);
  Listed().Add(to, key);
  if (selected_.Remove(from)) selected_.Add(to);
  renumberedFrom_.Add(from);
  renumberedTo_.Add(to);
  renumbered_.emplace_back(from, to);
  return S_OK;
}

// Renumberings (rare) in one pass over the list and the arrivals; then the
// removals and arrivals over the span of the list they touch.
HRESULT EventStore::FlushReports() {
  if (!ReportsWaiting()) return S_OK;
  if (!renumbered_.empty()) {
    std::sort(renumbered_.begin(), renumbered_.end(),
              [](const auto& a, const auto& b) { return PathBefore(a.first, b.first); });
    auto renumber = [&](ItemPath* p) {
      if (!renumberedFrom_.Contains(*p)) return;
      *p = std::lower_bound(renumbered_.begin(), renumbered_.end(), *p, [](const auto& r, const ItemPath& key) {
             return PathBefore(r.first, key);
           })->second;
    };
    const int32_t n = KvList_Count(events_);
    for (int32_t i = 0; i < n; ++i) renumber(&static_cast<ListedEvent*>(KvList_At(events_, i))->path);
    for (ListedEvent& e : arriving_) renumber(&e.path);
    renumberedFrom_.Clear();
    renumberedTo_.Clear();
    renumbered_.clear();
  }
  // An event removed and read again arrived twice: its last reading counts.
  std::vector<ListedEvent> arrived;
  arrived.reserve(arriving_.size());
  PathSet seen;
  for (auto it = arriving_.rbegin(); it != arriving_.rend(); ++it)
    if (Listed().Contains(it->path) && seen.Add(it->path)) arrived.push_back(*it);  // else removed again since
  std::reverse(arrived.begin(), arrived.end());
  return FlushSpan(arrived);
}

HRESULT EventStore::FlushSpan(std::vector<ListedEvent>& arrived) {
  std::vector<int32_t> out;
  out.reserve(goneKeys_.size());
  for (const auto& [path, key] : goneKeys_) {
    const int32_t i = Locate(path, key);
    if (i >= 0) out.push_back(i);  // else it never left the arrivals
  }
  gone_.Clear();
  goneKeys_.clear();
  arriving_.clear();
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());  // a path removed, read and removed again
  std::stable_sort(arrived.begin(), arrived.end(), Before);
  if (out.empty() && arrived.empty()) return S_OK;

  // Removals close their gaps in place, from the first removed entry on.
  int32_t n = KvList_Count(events_);
  auto* entries = n ? static_cast<ListedEvent*>(KvList_At(events_, 0)) : nullptr;
  if (!out.empty()) {
    int32_t kept = out.front();
    size_t removed = 0;
    for (int32_t i = out.front(); i < n; ++i) {
      if (removed < out.size() && out[removed] == i) {
        ++removed;
        continue;
      }
      if (removed == out.size()) {  // past the last gap the rest moves at once
        std::memmove(entries + kept, entries + i, static_cast<size_t>(n - i) * sizeof(ListedEvent));
        kept += n - i;
        break;
      }
      entries[kept++] = entries[i];
    }
    KvList_ArrayForceItemCount(events_, kept, 0);
    n = kept;
  }
  if (arrived.empty()) return S_OK;

  // Arrivals go after the listed entries of an equal key: the entries from
  // the first one's place on move up, merged from the back.
  auto placeOf = [&](const ListedEvent& a) {
    return static_cast<int32_t>(std::upper_bound(entries, entries + n, a, Before) - entries);
  };
  const int32_t lo = placeOf(arrived.front());
  const int32_t hi = placeOf(arrived.back());
  const int32_t m = static_cast<int32_t>(arrived.size());
  HRESULT hr = KvList_ArrayForceItemCount(events_, n + m, 0);
  if (FAILED(hr)) {
    // The list cannot hold them: it is read again from the host when next used.
    status_ &= ~kStoreEventsValid;
    return hr;
  }
  entries = static_cast<ListedEvent*>(KvList_At(events_, 0));
  if (hi < n) std::memmove(entries + hi + m, entries + hi, static_cast<size_t>(n - hi) * sizeof(ListedEvent));
  int32_t i = hi - 1, j = m - 1, w = hi + m - 1;
  while (j >= 0) {
    if (i >= lo && Before(arrived[j], entries[i])) {
      entries[w--] = entries[i--];
    } else {
      entries[w--] = arrived[j--];
    }
  }
  return S_OK;
}

void EventStore::NoteListed(const MidiEvent& event) {
  if (event.type == kEvNoteOn) longestNote_ = std::max<int64_t>(longestNote_, event.duration);
}

int64_t EventStore::ListedStart(int32_t index) const {
  return static_cast<const ListedEvent*>(KvList_At(events_, index))->start;
}

int32_t EventStore::FirstIndexReaching(int64_t t) {
  EnsureView();
  const int32_t n = KvList_Count(events_);
  if (otherFormats_ > 0 || n == 0 || FAILED(MeasureChangedLengths())) return 0;
  return FirstStartingFrom(t < INT64_MIN + longestNote_ ? INT64_MIN : t - longestNote_);
}

int32_t EventStore::FirstStartingFrom(int64_t t) const {
  int32_t lo = 0, hi = KvList_Count(events_);
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (ListedStart(mid) < t) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}
