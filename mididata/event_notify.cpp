// Applying the host's data-changed notifications to the store's caches: the
// small immediate part while the host reports, the rest when replayed.
#include <atomic>
#include <cstring>

#include "mididata/event_store.h"
#include "mididata/host_bracket.h"
#include "mididata/host_enum.h"

namespace {

bool IsZero(const ItemPath& p) { return p.trackId == 0 && p.blockId == 0 && p.eventId == 0; }

// A deletion names the item by its old path; hosts that fill only the new one are served too.
const ItemPath& DeletedPath(const HostNotification& r) { return IsZero(r.oldPath) ? r.newPath : r.oldPath; }

void TakeOverIds(ItemPath* entry, const ItemPath& from) {
  if (from.trackId) entry->trackId = from.trackId;
  if (from.blockId) entry->blockId = from.blockId;
  if (from.eventId) entry->eventId = from.eventId;
}

}  // namespace

HRESULT EventStore::ApplyNotification(const HostNotification& record, bool fromHost, bool* queue) {
  *queue = false;
  changes_.fetch_add(1, std::memory_order_relaxed);
  const uint32_t f = record.flags;
  const bool inserted = f & (kChangeInserted | kChangeInsertedAlt);
  const bool changed = f & kChangeChanged;
  const bool deleted = f & kChangeDeleted;
  const bool moved = f & kChangeMoved;
  const bool reset = f & kChangeReset;

  if (!fromHost) {
    switch (record.level) {
      case kLevelTrack: return ApplyTrackChange(record);
      case kLevelBlock: return ApplyBlockChange(record);
      case kLevelEvent: return ApplyEventChange(record);
      default: return S_FALSE;
    }
  }

  switch (record.level) {
    case kLevelEvent: {
      if (deleted) return Depart(DeletedPath(record));
      if (changed && !(f & kChangeResort)) {
        // Same ids (the usual case): the entry already reads right.
        ItemPath same = record.oldPath;
        TakeOverIds(&same, record.newPath);
        RememberChangedLength(same);
        return Renumber(record.oldPath, same);
      }
      if (moved) {
        HRESULT hr = Depart(record.oldPath);
        if (FAILED(hr)) return hr;
        *queue = true;
        return S_OK;
      }
      if (inserted || changed || reset) {
        *queue = true;
        return S_OK;
      }
      return S_FALSE;
    }
    case kLevelTrack:
      if (inserted || deleted || changed || reset) {
        *queue = true;
        return S_OK;
      }
      return S_FALSE;
    case kLevelBlock:
      if (inserted) {
        *queue = true;
        return S_OK;
      }
      return S_FALSE;
    default:
      return S_FALSE;
  }
}

HRESULT EventStore::ApplyTrackChange(const HostNotification& record) {
  const uint32_t f = record.flags;
  if (f & kChangeReset) return Refresh(true);
  if (!(status_ & kStoreTracksCached)) return S_FALSE;  // built from scratch on first use
  const uint32_t trackId = record.newPath.trackId ? record.newPath.trackId : record.oldPath.trackId;

  if (f & (kChangeInserted | kChangeInsertedAlt)) {
    if (TrackIndexOf(trackId) >= 0) return S_OK;
    ReadBracket bracket(host_.data);
    if (!bracket.Opened()) return bracket.result();
    TrackKey added{};
    HRESULT hr = ReadTrackKey(trackId, &added);
    if (FAILED(hr)) return hr;
    TrackKey probe{};
    HRESULT failure = S_OK;
    const int32_t index = BisectInsertIndex(TrackCount(), [&](int32_t i) {
      if (FAILED(failure)) return 0;
      HRESULT r = ReadTrackKey(TrackIdAt(i), &probe);
      if (FAILED(r)) failure = r;
      return added.orderKey < probe.orderKey ? -1 : added.orderKey > probe.orderKey ? 1 : 0;
    });
    if (FAILED(failure)) return failure;
    TrackEntry entry{trackId, nullptr, 0};
    hr = KvList_CreateExZ(&entry.blocks, sizeof(ItemPath), 8, 8, 0x40000004, nullptr, nullptr, nullptr);
    if (FAILED(hr)) return hr;
    hr = KvList_InsertList(tracks_, index, &entry, 1);
    if (FAILED(hr)) {
      KvList_Destroy(entry.blocks);
      return hr;
    }
    channelsInUse_ |= ChannelBits(added.channel);
    // Keep the current index on the same track.
    if (currentTrack_ >= index) ++currentTrack_;
    return S_OK;
  }

  if (f & kChangeDeleted) {
    const int32_t index = TrackIndexOf(trackId);
    if (index < 0) return E_UNEXPECTED;
    KvList_Destroy(TrackAt(index)->blocks);
    KvList_DeleteList(tracks_, index, 1, 0);
    status_ &= ~kStoreEventsValid;
    if (index == currentTrack_) return SelectView(0, -1);
    if (currentTrack_ > index) --currentTrack_;
    return SelectView(currentTrack_, currentBlock_);
  }

  if (f & kChangeChanged) {
    // A changed forced channel or order key changes what the list admits and its order.
    if (TrackIndexOf(trackId) < 0) return E_UNEXPECTED;
    status_ &= ~kStoreEventsValid;
    return S_OK;
  }
  return S_FALSE;
}

HRESULT EventStore::ApplyBlockChange(const HostNotification& record) {
  if (!(record.flags & (kChangeInserted | kChangeInsertedAlt))) return S_FALSE;
  if (!(status_ & kStoreTracksCached)) return S_FALSE;
  const ItemPath& p = record.newPath;
  const int32_t index = TrackIndexOf(p.trackId);
  if (index < 0) return E_UNEXPECTED;
  TrackEntry* track = TrackAt(index);
  if (!track->blocks) {
    HRESULT hr = KvList_CreateExZ(&track->blocks, sizeof(ItemPath), 8, 8, 0x40000004, nullptr, nullptr, nullptr);
    if (FAILED(hr)) return hr;
  }
  for (int32_t b = 0; b < KvList_Count(track->blocks); ++b)
    if (static_cast<const ItemPath*>(KvList_At(track->blocks, b))->blockId == p.blockId) return S_OK;
  const ItemPath entry{p.trackId, p.blockId, 0};
  HRESULT hr = KvList_InsertList(track->blocks, -1, &entry, 1);
  if (FAILED(hr)) return hr;
  if (index == currentTrack_ && (currentBlock_ == -1 || currentBlock_ == 0)) {
    status_ &= ~kStoreEventsValid;
    return SelectView(currentTrack_, currentBlock_);
  }
  return S_OK;
}

// The rule the list is built by: the current track (or every track) and,
// with a chosen block, the block of that index in the event's track.
bool EventStore::InCurrentView(const ItemPath& path) const {
  const int32_t track = currentTrack_ >= 0 ? currentTrack_ : TrackIndexOf(path.trackId);
  if (track < 0 || TrackIdAt(track) != path.trackId) return false;
  if (currentBlock_ < 0) return true;
  ItemPath block{};
  return BlockPathAt(track, currentBlock_, &block) == S_OK && block.blockId == path.blockId;
}

// Reads a newly reported event and lists it when the view admits it.
HRESULT EventStore::ReadEventIntoView(const ItemPath& path) {
  if (!(status_ & kStoreEventsValid)) return S_OK;  // the next rebuild reads it
  if (Listed().Contains(path)) return S_OK;         // already read by a rebuild
  if (renumberedFrom_.Contains(path) || renumberedTo_.Contains(path)) {
    HRESULT hr = FlushReports();
    if (FAILED(hr)) return hr;
  }
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  TrackKey track{};
  HRESULT hr = ReadTrackKey(path.trackId, &track);
  if (FAILED(hr)) return hr;
  ItemPath p = path;
  MidiEvent event{};
  hr = host_.data->GetItem(&p, kLevelEvent, &event, kGetEvent);
  if (FAILED(hr)) return hr;
  FreeEventPayload(&event);
  const int32_t channel = EffectiveChannel(track.channel, event.channel);
  if (!(event.type & typeMask_) || !ChannelAdmitted(channel, channelMask_)) return S_FALSE;
  NoteListed(event);
  Arrive(path, DisplayKey{event.start, track.orderKey, channel}, event.timeFormat,
         (event.flags & kEventSelected) != 0);
  return S_OK;
}

void EventStore::RememberChangedLength(const ItemPath& path) {
  std::lock_guard<std::mutex> lock(changedLock_);
  changedLengths_.push_back(path);
}

// Each event changed in place since the last window walk is read once, so
// that the bound on note lengths covers a note that grew.
HRESULT EventStore::MeasureChangedLengths() {
  std::vector<ItemPath> changed;
  {
    std::lock_guard<std::mutex> lock(changedLock_);
    changed.swap(changedLengths_);
  }
  if (changed.empty()) return S_OK;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  for (const ItemPath& path : changed) {
    ItemPath p = path;
    MidiEvent event{};
    if (FAILED(host_.data->GetItem(&p, kLevelEvent, &event, kGetEvent))) continue;  // gone since
    FreeEventPayload(&event);
    NoteListed(event);
    NoteSelection(path, (event.flags & kEventSelected) != 0);
  }
  return S_OK;
}

HRESULT EventStore::ApplyEventChange(const HostNotification& record) {
  const uint32_t f = record.flags;
  if (!(status_ & kStoreTracksCached)) return S_FALSE;

  if (f & kChangeDeleted) return Depart(DeletedPath(record));

  if (f & (kChangeInserted | kChangeInsertedAlt | kChangeMoved)) {
    if (f & kChangeMoved) {
      HRESULT hr = Depart(record.oldPath);
      if (FAILED(hr)) return hr;
    }
    const ItemPath& p = record.newPath;
    if (TrackIndexOf(p.trackId) < 0) return E_UNEXPECTED;
    if (!InCurrentView(p)) return S_FALSE;
    return ReadEventIntoView(p);
  }

  if (f & kChangeChanged) {
    if (!(f & kChangeResort)) RememberChangedLength(record.newPath);
    if (!Listed().Contains(record.oldPath)) return S_FALSE;
    ItemPath entry = record.oldPath;
    TakeOverIds(&entry, record.newPath);
    if (!(f & kChangeResort)) return Renumber(record.oldPath, entry);
    HRESULT hr = Depart(record.oldPath);
    if (FAILED(hr)) return hr;
    return ReadEventIntoView(entry);
  }

  if (f & kChangeReset) {
    status_ &= ~kStoreEventsValid;
    return S_OK;
  }
  return S_FALSE;
}
