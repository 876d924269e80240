// EventStore: track and block caches, the event list of the current view and
// reading records from the host.
#include "mididata/event_store.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "mididata/event_order.h"
#include "mididata/host_bracket.h"
#include "mididata/host_enum.h"

namespace {

// Every cache list: 12-byte items (the track list's items hold a pointer, so
// they grow to pointer alignment in the 64-bit build), growth 8 and 8.
constexpr uint32_t kCacheListOptions = 0x40000004;

HRESULT CreateCacheList(KvList* out, int32_t itemSize) {
  return KvList_CreateExZ(out, itemSize, 8, 8, kCacheListOptions, nullptr, nullptr, nullptr);
}

HRESULT EnsureList(KvList* list, int32_t itemSize) {
  return *list ? S_OK : CreateCacheList(list, itemSize);
}

}  // namespace

void FreeEventPayload(MidiEvent* event) {
  if (event && IsLongEvent(*event) && event->payload) {
    CoTaskMemFree(event->payload);
    event->payload = nullptr;
  }
}

EventStore::EventStore() = default;

EventStore::~EventStore() {
  DestroyTracks();
  KvList_Destroy(tracks_);
  KvList_Destroy(events_);
  for (bool output : {true, false}) {
    PortTable& t = Ports(output);
    FreePortTable(t.records, t.count);
  }
}

EventStore::TrackEntry* EventStore::TrackAt(int32_t index) const {
  if (!tracks_ || index < 0 || index >= tracks_->count) return nullptr;
  return static_cast<TrackEntry*>(KvList_At(tracks_, index));
}

uint32_t EventStore::TrackIdAt(int32_t index) const {
  const TrackEntry* t = TrackAt(index);
  return t ? t->trackId : 0;
}

int32_t EventStore::TrackIndexOf(uint32_t trackId) const {
  for (int32_t i = 0; i < TrackCount(); ++i)
    if (TrackAt(i)->trackId == trackId) return i;
  return -1;
}

int32_t EventStore::BlockCount(int32_t trackIndex) const {
  const TrackEntry* t = TrackAt(trackIndex);
  return t ? KvList_Count(t->blocks) : 0;
}

HRESULT EventStore::BlockPathAt(int32_t trackIndex, int32_t blockIndex, ItemPath* out) const {
  const TrackEntry* t = TrackAt(trackIndex);
  if (!t || !t->blocks) return S_FALSE;
  if (blockIndex < 0 || blockIndex >= t->blocks->count) return S_FALSE;
  *out = *static_cast<const ItemPath*>(KvList_At(t->blocks, blockIndex));
  return S_OK;
}

void EventStore::DestroyTracks() {
  for (int32_t i = 0; i < TrackCount(); ++i) KvList_Destroy(TrackAt(i)->blocks);
  if (tracks_) KvList_DeleteList(tracks_, 0, -1, 0);
}

HRESULT EventStore::Refresh(bool all) {
  if (all) {
    DestroyTracks();
    status_ &= ~(kStoreTracksCached | kStoreBlocksCached | kStoreEventsValid);
  }
  if (!(status_ & kStoreTracksCached)) {
    HRESULT hr = BuildTrackList();
    if (FAILED(hr)) return hr;
  }
  if (!(status_ & kStoreBlocksCached)) {
    for (int32_t i = 0; i < TrackCount(); ++i) {
      HRESULT hr = BuildBlockList(i);
      if (FAILED(hr)) return hr;
    }
  }
  status_ |= kStoreTracksCached | kStoreBlocksCached;
  return S_OK;
}

HRESULT EventStore::BuildTrackList() {
  if (!host_.data) return E_UNEXPECTED;
  HRESULT hr = EnsureList(&tracks_, sizeof(TrackEntry));
  if (FAILED(hr)) return hr;
  DestroyTracks();
  channelsInUse_ = 0;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  // The list is kept in order key order, whatever order the host enumerates in.
  std::vector<std::pair<int32_t, uint32_t>> found;  // order key, track id
  TrackInfo info{};
  hr = EnumerateLevel(host_.data, ItemPath{}, kLevelTrack, &info, kGetRecord, [&](const ItemPath& path) {
    found.emplace_back(info.orderKey, path.trackId);
    channelsInUse_ |= ChannelBits(info.channel);
    return S_OK;
  });
  if (FAILED(hr)) return hr;
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [key, trackId] : found) {
    TrackEntry entry{trackId, nullptr, 0};
    hr = CreateCacheList(&entry.blocks, sizeof(ItemPath));
    if (FAILED(hr)) return hr;
    hr = KvList_InsertList(tracks_, -1, &entry, 1);
    if (FAILED(hr)) {
      KvList_Destroy(entry.blocks);
      return hr;
    }
  }
  return S_OK;
}

HRESULT EventStore::BuildBlockList(int32_t trackIndex) {
  TrackEntry* track = TrackAt(trackIndex);
  if (!track) return S_FALSE;
  if (!host_.data) return E_UNEXPECTED;
  HRESULT hr = EnsureList(&track->blocks, sizeof(ItemPath));
  if (FAILED(hr)) return hr;
  KvList_DeleteList(track->blocks, 0, -1, 0);
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  BlockInfo info{};
  const ItemPath parent{track->trackId, 0, 0};
  return EnumerateLevel(host_.data, parent, kLevelBlock, &info, kGetRecord, [&](const ItemPath& path) {
    const ItemPath entry{path.trackId, path.blockId, 0};
    return static_cast<HRESULT>(KvList_InsertList(track->blocks, -1, &entry, 1));
  });
}

void EventStore::SetTypeMask(uint32_t mask) { typeMask_ = mask; }

void EventStore::SetChannelMask(uint32_t mask) {
  if (mask != channelMask_) status_ &= ~kStoreEventsValid;
  channelMask_ = mask;
}

HRESULT EventStore::SelectView(int32_t trackIndex, int32_t blockIndex) {
  if (trackIndex != currentTrack_ || blockIndex != currentBlock_ || typeMask_ != builtTypeMask_ ||
      !(status_ & kStoreEventsValid)) {
    currentTrack_ = trackIndex;
    currentBlock_ = blockIndex;
    return RebuildEvents();
  }
  return FlushReports();
}

HRESULT EventStore::EnsureView() { return SelectView(currentTrack_, currentBlock_); }

int32_t EventStore::EventCount() {
  EnsureView();
  return KvList_Count(events_);
}

HRESULT EventStore::PathAt(int32_t index, ItemPath* out) {
  HRESULT hr = EnsureView();
  if (FAILED(hr)) return hr;
  if (!events_ || index < 0 || index >= events_->count) return S_FALSE;
  *out = *static_cast<const ItemPath*>(KvList_At(events_, index));
  return S_OK;
}

HRESULT EventStore::GetEvent(const ItemPath& path, MidiEvent* out) {
  if (!host_.data) return E_UNEXPECTED;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  ItemPath p = path;
  MidiEvent event{};
  HRESULT hr = host_.data->GetItem(&p, kLevelEvent, &event, kGetEvent);
  if (SUCCEEDED(hr)) *out = event;
  return hr;
}

HRESULT EventStore::GetTrackInfo(int32_t index, TrackInfo* out, bool withName) {
  const TrackEntry* t = TrackAt(index);
  if (!t) return S_FALSE;
  return GetTrackInfo(ItemPath{t->trackId, 0, 0}, out, withName);
}

HRESULT EventStore::GetTrackInfo(const ItemPath& path, TrackInfo* out, bool withName) {
  if (!host_.data) return E_UNEXPECTED;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  ItemPath p{path.trackId, 0, 0};
  TrackInfo info{};
  HRESULT hr = host_.data->GetItem(&p, kLevelTrack, &info, withName ? kGetWithName : kGetRecord);
  if (SUCCEEDED(hr)) *out = info;
  return hr;
}

HRESULT EventStore::GetTrackName(int32_t index, kvchar* buffer, int32_t capacity) {
  if (capacity > 0) buffer[0] = 0;
  TrackInfo info{};
  HRESULT hr = GetTrackInfo(index, &info);
  if (hr != S_OK) return hr;
  if (capacity > 0 && info.name) {
    int32_t n = 0;
    while (n < capacity - 1 && info.name[n]) {
      buffer[n] = info.name[n];
      ++n;
    }
    buffer[n] = 0;
  }
  CoTaskMemFree(info.name);
  return S_OK;
}

HRESULT EventStore::GetBlockInfo(const ItemPath& path, BlockInfo* out) {
  if (!host_.data) return E_UNEXPECTED;
  ReadBracket bracket(host_.data);
  if (!bracket.Opened()) return bracket.result();
  ItemPath p{path.trackId, path.blockId, 0};
  BlockInfo info{};
  HRESULT hr = host_.data->GetItem(&p, kLevelBlock, &info, kGetRecord);
  if (SUCCEEDED(hr)) *out = info;
  return hr;
}
