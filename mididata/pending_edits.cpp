// PendingEdits: the three lists and the payload copies of pending long events.
#include "mididata/pending_edits.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Every pending list: growth 8 and 8, an array list without owner checks.
constexpr uint32_t kPendingListOptions = 0x40000004;

KVRESULT EnsureList(KvList* list, int32_t itemSize) {
  if (*list) return KV_OK;
  return KvList_CreateExZ(list, itemSize, 8, 8, kPendingListOptions, nullptr, nullptr, nullptr);
}

bool OwnsPayload(const MidiEvent& e) { return IsLongEvent(e) && e.payload; }

void FreeCopy(MidiEvent* e) {
  if (OwnsPayload(*e)) std::free(e->payload);
  if (IsLongEvent(*e)) e->payload = nullptr;
}

// Copies a record; a long event gets its own copy of the payload.
KVRESULT CopyRecord(const MidiEvent& in, MidiEvent* out) {
  *out = in;
  if (!OwnsPayload(in)) return KV_OK;
  const size_t length = in.duration > 0 ? static_cast<size_t>(in.duration) : 0;
  out->payload = static_cast<uint8_t*>(std::malloc(length ? length : 1));
  if (!out->payload) return KV_E_OUTOFMEMORY;
  if (length) std::memcpy(out->payload, in.payload, length);
  return KV_OK;
}

}  // namespace

PendingEdits::~PendingEdits() {
  Clear();
  KvList_Destroy(inserts_);
  KvList_Destroy(changes_);
  KvList_Destroy(deletes_);
}

MidiEvent* PendingEdits::InsertSlot(int32_t index) const {
  return static_cast<MidiEvent*>(KvList_At(inserts_, index));
}

PendingChange* PendingEdits::ChangeSlot(int32_t index) const {
  return static_cast<PendingChange*>(KvList_At(changes_, index));
}

void PendingEdits::Clear() {
  for (int32_t i = 0; i < PendingInsertCount(); ++i) FreeCopy(InsertSlot(i));
  for (int32_t i = 0; i < PendingChangeCount(); ++i) FreeCopy(&ChangeSlot(i)->event);
  if (inserts_) KvList_DeleteList(inserts_, 0, -1, 0);
  if (changes_) KvList_DeleteList(changes_, 0, -1, 0);
  changeIndex_.Clear();
  droppedChanges_ = 0;
  ClearDeletes();
}

void PendingEdits::ClearDeletes() {
  if (deletes_) KvList_DeleteList(deletes_, 0, -1, 0);
  deleteIndex_.Clear();
}

KVRESULT PendingEdits::QueueInsert(const MidiEvent& event, int32_t* index) {
  KVRESULT hr = EnsureList(&inserts_, sizeof(MidiEvent));
  if (hr != KV_OK) return hr;
  MidiEvent copy;
  hr = CopyRecord(event, &copy);
  if (hr != KV_OK) return hr;
  if (index && *index >= 0 && *index < PendingInsertCount()) {
    MidiEvent* slot = InsertSlot(*index);
    FreeCopy(slot);  // after the copy: the event may share this payload
    *slot = copy;
    return KV_OK;
  }
  hr = KvList_Append(inserts_, &copy);
  if (hr != KV_OK) {
    FreeCopy(&copy);
    return hr;
  }
  if (index) *index = PendingInsertCount() - 1;
  return KV_OK;
}

KVRESULT PendingEdits::PendingInsertAt(int32_t index, MidiEvent* out) const {
  if (index < 0 || index >= PendingInsertCount()) return kPendingNone;
  *out = *InsertSlot(index);
  return KV_OK;
}

KVRESULT PendingEdits::RemovePendingInsert(int32_t index) {
  if (index < 0 || index >= PendingInsertCount()) return kPendingNone;
  FreeCopy(InsertSlot(index));
  return KvList_DeleteList(inserts_, index, 1, 0);
}

KVRESULT PendingEdits::SortPendingInserts() {
  MidiEvent* first = PendingInsertCount() ? InsertSlot(0) : nullptr;
  std::stable_sort(first, first + PendingInsertCount(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.start < b.start; });
  return KV_OK;
}

int32_t PendingEdits::FindPendingInsert(int64_t time, uint32_t type, uint8_t data1) const {
  for (int32_t i = 0; i < PendingInsertCount(); ++i) {
    const MidiEvent& e = *InsertSlot(i);
    if (e.type != type) continue;
    bool hit;
    if (type == kEvNoteOn)
      hit = e.data[0] == data1 && e.start <= time && e.start + e.duration > time;
    else if (type == kEvPitchBend)
      hit = e.start == time;
    else
      hit = e.data[0] == data1 && e.start == time;
    if (hit) return i;
  }
  return -1;
}

KVRESULT PendingEdits::QueueChange(const ItemPath& path, const MidiEvent& event, uint32_t mask) {
  KVRESULT hr = EnsureList(&changes_, sizeof(PendingChange));
  if (hr != KV_OK) return hr;
  MidiEvent copy;
  hr = CopyRecord(event, &copy);
  if (hr != KV_OK) return hr;
  const int32_t existing = ChangeIndexOf(path);
  if (existing >= 0) {
    PendingChange* slot = ChangeSlot(existing);
    FreeCopy(&slot->event);  // after the copy: the event may share this payload
    slot->event = copy;
    slot->mask = mask;
    return KV_OK;
  }
  PendingChange entry{};
  entry.path = path;
  entry.event = copy;
  entry.mask = mask;
  hr = KvList_Append(changes_, &entry);
  if (hr != KV_OK) {
    FreeCopy(&copy);
    return hr;
  }
  changeIndex_.Add(path, KvList_Count(changes_) - 1);
  return KV_OK;
}

KVRESULT PendingEdits::PendingChangeAt(int32_t index, ItemPath* path, MidiEvent* event, uint32_t* mask) const {
  if (index < 0 || index >= PendingChangeCount()) return kPendingNone;
  const PendingChange& c = *ChangeSlot(index);
  if (path) *path = c.path;
  if (event) *event = c.event;
  if (mask) *mask = c.mask;
  return KV_OK;
}

int32_t PendingEdits::FindPendingChange(const ItemPath& path) const {
  CompactChanges();  // the index handed out must stay right for PendingChangeAt
  return ChangeIndexOf(path);
}

int32_t PendingEdits::ChangeIndexOf(const ItemPath& path) const {
  const int32_t* i = changeIndex_.Find(path);
  return i ? *i : -1;
}

int32_t PendingEdits::PendingChangeCount() const {
  CompactChanges();
  return KvList_Count(changes_);
}

void PendingEdits::CompactChanges() const {
  if (droppedChanges_ == 0) return;
  const int32_t n = KvList_Count(changes_);
  int32_t kept = 0;
  changeIndex_.Clear();
  for (int32_t i = 0; i < n; ++i) {
    const PendingChange c = *ChangeSlot(i);
    if (c.path.trackId == 0 && c.path.blockId == 0 && c.path.eventId == 0) continue;
    *ChangeSlot(kept) = c;
    changeIndex_.Add(c.path, kept++);
  }
  KvList_ArrayForceItemCount(changes_, kept, 0);
  droppedChanges_ = 0;
}

KVRESULT PendingEdits::PendingChangeFor(const ItemPath& path, MidiEvent* out) const {
  const int32_t i = ChangeIndexOf(path);
  if (i < 0) return kPendingNoChange;
  *out = ChangeSlot(i)->event;
  return KV_OK;
}

KVRESULT PendingEdits::QueueDelete(const ItemPath& path) {
  KVRESULT hr = EnsureList(&deletes_, sizeof(ItemPath));
  if (hr != KV_OK) return hr;
  const int32_t change = ChangeIndexOf(path);
  if (change >= 0) {
    PendingChange* slot = ChangeSlot(change);
    FreeCopy(&slot->event);
    changeIndex_.Remove(path);
    slot->path = ItemPath{};
    ++droppedChanges_;
  }
  if (FindPendingDelete(path) >= 0) return KV_OK;
  hr = KvList_Append(deletes_, &path);
  if (hr == KV_OK) deleteIndex_.Add(path, PendingDeleteCount() - 1);
  return hr;
}

KVRESULT PendingEdits::PendingDeleteAt(int32_t index, ItemPath* out) const {
  if (index < 0 || index >= PendingDeleteCount()) return kPendingNone;
  *out = *static_cast<const ItemPath*>(KvList_At(deletes_, index));
  return KV_OK;
}

int32_t PendingEdits::FindPendingDelete(const ItemPath& path) const {
  const int32_t* i = deleteIndex_.Find(path);
  return i ? *i : -1;
}
