// Building the event list of the current view and keeping it in display order.
#include <algorithm>

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

// The display key of an event; cache holds the last track read so that a
// search within one track reads its record once.
HRESULT EventStore::KeyOf(const ItemPath& path, TrackKey* cache, DisplayKey* key) {
  if (cache->trackId != path.trackId) {
    HRESULT hr = ReadTrackKey(path.trackId, cache);
    if (FAILED(hr)) return hr;
  }
  ItemPath p = path;
  MidiEvent event{};
  HRESULT hr = host_.data->GetItem(&p, kLevelEvent, &event, kGetEvent);
  if (FAILED(hr)) return hr;
  FreeEventPayload(&event);
  *key = DisplayKey{event.start, cache->orderKey, EffectiveChannel(cache->channel, event.channel)};
  return S_OK;
}

HRESULT EventStore::AppendBlockEvents(const ItemPath& block, std::vector<KeyedPath>* out) {
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
      out->push_back(KeyedPath{path, DisplayKey{event.start, track.orderKey, channel}, event.timeFormat});
      NoteListed(event);
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
  KvList_DeleteList(events_, 0, -1, 1);
  longestNote_ = 0;
  otherFormats_ = 0;
  {
    std::lock_guard<std::mutex> lock(changedLock_);
    changedLengths_.clear();  // measured again by the rebuild
  }

  std::vector<KeyedPath> gathered;
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
  auto before = [](const KeyedPath& a, const KeyedPath& b) { return CompareDisplay(a.key, b.key) < 0; };
  if (!std::is_sorted(gathered.begin(), gathered.end(), before))
    std::stable_sort(gathered.begin(), gathered.end(), before);

  std::vector<ListedEvent> paths;
  paths.reserve(gathered.size());
  for (const KeyedPath& k : gathered) {
    paths.push_back(ListedEvent{k.path, k.timeFormat, k.key.start});
    if (k.timeFormat != kTimeTicks) ++otherFormats_;
  }
  if (!paths.empty()) {
    hr = KvList_InsertList(events_, -1, paths.data(), static_cast<int32_t>(paths.size()));
    if (FAILED(hr)) return hr;
  }
  status_ |= kStoreEventsValid;
  builtTypeMask_ = typeMask_;
  return S_OK;
}

int32_t EventStore::FindEntry(const ItemPath& path) const {
  const int32_t n = KvList_Count(events_);
  for (int32_t i = 0; i < n; ++i) {
    const ItemPath* p = static_cast<const ItemPath*>(KvList_At(events_, i));
    if (p->eventId == path.eventId && p->blockId == path.blockId && p->trackId == path.trackId) return i;
  }
  return -1;
}

// Inserts one path at its display position, reading the keys of the probed
// entries from the host. The caller holds a read bracket.
HRESULT EventStore::InsertSorted(const ItemPath& path, const DisplayKey& key, uint32_t timeFormat) {
  TrackKey cache{};
  HRESULT failure = S_OK;
  const int32_t index = BisectInsertIndex(KvList_Count(events_), [&](int32_t i) {
    if (FAILED(failure)) return 0;
    DisplayKey probe{};
    HRESULT hr = KeyOf(*static_cast<const ItemPath*>(KvList_At(events_, i)), &cache, &probe);
    if (FAILED(hr)) {
      failure = hr;
      return 0;
    }
    return CompareDisplay(key, probe);
  });
  if (FAILED(failure)) return failure;
  const ListedEvent entry{path, timeFormat, key.start};
  HRESULT hr = KvList_InsertList(events_, index, &entry, 1);
  if (SUCCEEDED(hr) && timeFormat != kTimeTicks) ++otherFormats_;
  return hr;
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
  const int64_t from = t < INT64_MIN + longestNote_ ? INT64_MIN : t - longestNote_;
  int32_t lo = 0, hi = n;
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (ListedStart(mid) < from) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}
