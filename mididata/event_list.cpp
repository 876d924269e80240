// Building the event list of the current view and keeping it in display order.
#include <algorithm>
#include <cstring>

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

HRESULT EventStore::AppendBlockEvents(const ItemPath& block, std::vector<ListedEvent>* out) {
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  TrackKey track{};
  HRESULT hr = ReadTrackKey(block.trackId, &track);
  if (FAILED(hr)) return hr;
  MidiEvent event{};
  const ItemPath parent{block.trackId, block.blockId, 0};
  return EnumerateLevel(host_.data, parent, kLevelEvent, &event, typeMask_, [&](const ItemPath& path) {
    const int32_t channel = EffectiveChannel(track.channel, event.channel);
    if (ChannelAdmitted(channel, channelMask_)) {
      out->push_back(ListedEvent{path, event.timeFormat, event.start, track.orderKey, channel});
      NoteListed(event);
      if (event.flags & kEventSelected) selected_.Add(path);
    }
    return S_OK;
  });
}

// Gathers the chosen blocks' events with their display keys and sorts them
// once (stable: equal keys keep block order, then host order), instead of
// inserting event by event, which moves the list's tail for every insert.
HRESULT EventStore::RebuildEvents() {
  status_ &= ~kStoreEventsValid;
  HRESULT hr = Refresh(false);
  if (FAILED(hr)) return hr;
  hr = events_ ? S_OK
               : KvList_CreateExZ(&events_, sizeof(ListedEvent), 8, 8, 0x40000004, nullptr, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  const size_t previous = static_cast<size_t>(KvList_Count(events_));  // as many are likely again
  KvList_DeleteList(events_, 0, -1, 1);
  ForgetReports();
  longestNote_ = 0;
  otherFormats_ = 0;
  {
    std::lock_guard<std::mutex> lock(changedLock_);
    changedLengths_.clear();  // measured again by the rebuild
  }

  std::vector<ListedEvent> gathered;
  gathered.reserve(previous);
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
        hr = AppendBlockEvents(block, &gathered);
        if (FAILED(hr)) return hr;
      }
    }
  }
  if (!std::is_sorted(gathered.begin(), gathered.end(), Before))
    std::stable_sort(gathered.begin(), gathered.end(), Before);

  if (!gathered.empty()) {
    hr = KvList_ArrayForceItemCount(events_, static_cast<int32_t>(gathered.size()), 0);
    if (FAILED(hr)) return hr;
    std::memcpy(KvList_At(events_, 0), gathered.data(), gathered.size() * sizeof(ListedEvent));
    for (const ListedEvent& e : gathered)
      if (e.timeFormat != kTimeTicks) ++otherFormats_;
  }
  selectionKnown_ = true;
  status_ |= kStoreEventsValid;
  builtTypeMask_ = typeMask_;
  return S_OK;
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
  arriving_.push_back(ListedEvent{path, timeFormat, key.start, key.orderKey, key.channel});
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
