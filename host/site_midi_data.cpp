#include "host/site_midi_data.h"

#include <vector>

#include "host/host_call.h"
#include "host/host_text.h"
#include "host/item_records.h"

namespace refhost {
namespace {

// Levels 1 and 2 hand out names when the flags or filter carry this bit.
constexpr DWORD kWithName = kGetWithName & ~kGetRecord;

CallEntry Entry(const char* method, LONG level, const ItemPath* path, const std::string& extra) {
  CallEntry e;
  e.method = method;
  e.level = level;
  if (path) e.path = *path;
  std::string args = std::to_string(level);
  if (path && level >= kLevelBlock) args += "," + ParentText(level, *path);
  if (!extra.empty()) args += "," + extra;
  e.text = std::string(method) + "(" + args + ")";
  return e;
}

const char* StepName(EnumStep step) {
  switch (step) {
    case EnumStep::First: return "EnumFirst";
    case EnumStep::Next: return "EnumNext";
    case EnumStep::Prev: return "EnumPrev";
  }
  return "";
}

uint32_t& IdAt(ItemPath& path, LONG level) {
  return level == kLevelTrack ? path.trackId : level == kLevelBlock ? path.blockId : path.eventId;
}

}  // namespace

HRESULT SiteMidiData::EnumFirst(ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter) {
  return Walk(EnumStep::First, path, level, record, cursor, filter);
}

HRESULT SiteMidiData::EnumNext(ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter) {
  return Walk(EnumStep::Next, path, level, record, cursor, filter);
}

HRESULT SiteMidiData::EnumPrev(ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter) {
  return Walk(EnumStep::Prev, path, level, record, cursor, filter);
}

HRESULT SiteMidiData::Walk(EnumStep step, ItemPath* path, LONG level, void* record, DWORD* cursor, DWORD filter) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  const std::string seed = step != EnumStep::First && cursor ? "@" + std::to_string(*cursor) : "";
  HostCall call(*s, Entry(StepName(step), level, path, seed), true);
  if (call.Failed()) return call.Injected();
  call.entry().mask = filter;
  if (!path || !cursor) return call.Return(E_POINTER);
  EnumResult found;
  const HRESULT hr = Enumerate(s->song, level, *path, filter, step, step == EnumStep::First ? 0 : *cursor, &found);
  if (FAILED(hr)) return call.Return(hr);
  if (hr == S_OK && record) {
    ItemPath item = *path;
    IdAt(item, level) = found.id;
    const HRESULT read = ReadOut(*s, item, level, record, (filter & kWithName) != 0, StepName(step));
    if (FAILED(read)) return call.Return(read);
  }
  IdAt(*path, level) = found.id;
  *cursor = found.cursor;
  call.entry().outPath = *path;
  return call.Return(hr);
}

HRESULT SiteMidiData::ReadOut(HostState& s, const ItemPath& path, LONG level, void* record, bool withName,
                              const char* via) {
  switch (level) {
    case kLevelTrack: {
      const SongTrack* t = s.song.FindTrack(path.trackId);
      return t ? WriteTrack(s, *t, withName, static_cast<TrackInfo*>(record), via) : E_INVALIDARG;
    }
    case kLevelBlock: {
      const SongBlock* b = s.song.FindBlock(path.trackId, path.blockId);
      return b ? WriteBlock(s, path.trackId, *b, withName, static_cast<BlockInfo*>(record), via) : E_INVALIDARG;
    }
    case kLevelEvent: {
      const auto index = s.song.FindEvent(path);
      if (!index) return E_INVALIDARG;
      const SongEvent& e = s.song.FindBlock(path.trackId, path.blockId)->events[*index];
      return WriteEvent(s, path, e, static_cast<MidiEvent*>(record), via);
    }
    default: return E_INVALIDARG;
  }
}

HRESULT SiteMidiData::GetItem(ItemPath* path, LONG level, void* record, DWORD flags) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  const bool withName = level != kLevelEvent && (flags & kWithName) != 0;
  ItemPath shown = path ? *path : ItemPath{};
  HostCall call(*s, Entry("GetItem", level, nullptr, PathText(level, shown) + (withName ? ",name" : "")), true);
  if (call.Failed()) return call.Injected();
  call.entry().path = shown;
  call.entry().mask = flags;
  if (!path || !record) return call.Return(E_POINTER);
  return call.Return(ReadOut(*s, *path, level, record, withName, "GetItem"));
}

HRESULT SiteMidiData::SetItem(const ItemPath* path, LONG level, const void* record, DWORD mask) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  ItemPath shown = path ? *path : ItemPath{};
  HostCall call(*s, Entry("SetItem", level, nullptr, PathText(level, shown) + "," + Hex(mask)), true);
  if (call.Failed()) return call.Injected();
  call.entry().path = shown;
  call.entry().mask = mask;
  if (!path || !record) return call.Return(E_POINTER);
  if (level == kLevelEvent) call.entry().event = NormalizedEvent(*static_cast<const MidiEvent*>(record));
  return call.Return(Change(*s, *path, level, record, mask));
}

HRESULT SiteMidiData::Change(HostState& s, const ItemPath& path, LONG level, const void* record, DWORD mask) {
  SongEditor editor = s.Editor();
  if (level == kLevelEvent) {
    const auto index = s.song.FindEvent(path);
    if (!index) return E_INVALIDARG;
    const SongEvent& current = s.song.FindBlock(path.trackId, path.blockId)->events[*index];
    const auto& in = *static_cast<const MidiEvent*>(record);
    std::optional<SongEvent> next;
    if (mask == kSetAll) {
      next = ReadEvent(in);
    } else if (mask == kSetSelected) {
      next = current;
      next->record.flags = (current.record.flags & ~kEventSelected) | (in.flags & kEventSelected);
    }
    if (!next) return E_INVALIDARG;
    return editor.ReplaceEvent(path, std::move(*next), nullptr);
  }
  if (level == kLevelTrack) {
    const SongTrack* current = s.song.FindTrack(path.trackId);
    if (!current) return E_INVALIDARG;
    const auto& in = *static_cast<const TrackInfo*>(record);
    // Names are not taken from SetItem: the caller may already have freed the
    // name that came with the record.
    SongTrack next = ReadTrack(in, false);
    next.id = current->id;
    next.name = current->name;
    if (mask == kSetSolo) {
      next.info = current->info;
      SetTrackFlags(&next.info, (TrackFlags(current->info) & ~kTrackSolo) | (TrackFlags(in) & kTrackSolo));
    } else if (mask != kSetAll) {
      return E_INVALIDARG;
    }
    return editor.ChangeTrack(std::move(next));
  }
  if (level == kLevelBlock && mask == kSetAll) {
    const SongBlock* current = s.song.FindBlock(path.trackId, path.blockId);
    if (!current) return E_INVALIDARG;
    SongBlock next = ReadBlock(*static_cast<const BlockInfo*>(record), false);
    next.id = current->id;
    next.name = current->name;
    return editor.ChangeBlock(path.trackId, std::move(next));
  }
  return E_INVALIDARG;
}

HRESULT SiteMidiData::InsertItem(ItemPath* path, LONG level, const void* record) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, Entry("InsertItem", level, path, ""), true);
  if (call.Failed()) return call.Injected();
  if (!path || !record) return call.Return(E_POINTER);
  if (level == kLevelEvent) call.entry().event = NormalizedEvent(*static_cast<const MidiEvent*>(record));
  const HRESULT hr = Insert(*s, path, level, record);
  if (SUCCEEDED(hr)) call.entry().outPath = *path;
  return call.Return(hr);
}

HRESULT SiteMidiData::Insert(HostState& s, ItemPath* path, LONG level, const void* record) {
  SongEditor editor = s.Editor();
  switch (level) {
    case kLevelEvent: {
      auto event = ReadEvent(*static_cast<const MidiEvent*>(record));
      if (!event) return E_INVALIDARG;
      ItemPath at{path->trackId, path->blockId, 0};
      const HRESULT hr = editor.InsertEvent(&at, std::move(*event));
      if (SUCCEEDED(hr)) *path = at;
      return hr;
    }
    case kLevelBlock:
      return editor.InsertBlock(path->trackId, ReadBlock(*static_cast<const BlockInfo*>(record), true), path);
    case kLevelTrack: return editor.InsertTrack(ReadTrack(*static_cast<const TrackInfo*>(record), true), path);
    default: return E_INVALIDARG;
  }
}

HRESULT SiteMidiData::Reserved9() {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall("Reserved9", "Reserved9()"));
  return call.Failed() ? call.Injected() : call.Return(E_NOTIMPL);
}

HRESULT SiteMidiData::Reserved10() {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, MakeCall("Reserved10", "Reserved10()"));
  return call.Failed() ? call.Injected() : call.Return(E_NOTIMPL);
}

HRESULT SiteMidiData::DeleteItem(LONG level, const ItemPath* path) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  ItemPath shown = path ? *path : ItemPath{};
  HostCall call(*s, Entry("DeleteItem", level, nullptr, PathText(level, shown)), true);
  if (call.Failed()) return call.Injected();
  call.entry().path = shown;
  if (!path) return call.Return(E_POINTER);
  SongEditor editor = s->Editor();
  switch (level) {
    case kLevelEvent: return call.Return(editor.DeleteEvent(*path));
    case kLevelBlock: return call.Return(editor.DeleteBlock(path->trackId, path->blockId));
    case kLevelTrack: return call.Return(editor.DeleteTrack(path->trackId));
    default: return call.Return(E_INVALIDARG);
  }
}

HRESULT SiteMidiData::BeginEdit(LONG undoable, LPCWSTR label) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  CallEntry e;
  e.method = "BeginEdit";
  e.text = "BeginEdit(" + std::to_string(undoable) + (label ? "," + Utf8(label) : "") + ")";
  if (label) e.label = label;
  e.undoableBracket = undoable != 0;
  HostCall call(*s, std::move(e));
  if (call.Failed()) return call.Injected();
  s->BeginBracket(undoable != 0, label);
  return call.Return(S_OK);
}

HRESULT SiteMidiData::EndEdit(LONG commit) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  CallEntry e;
  e.method = "EndEdit";
  e.text = "EndEdit(" + std::to_string(commit) + ")";
  e.undoableBracket = s->history.InnermostUndoable();
  HostCall call(*s, std::move(e));
  if (call.Failed()) {
    // A caller can do nothing about a failed EndEdit, so the bracket still
    // closes, keeping its changes without an undo step, as EndEdit(0) would.
    s->EndBracket(false);
    return call.Injected();
  }
  // Closing flushes deferred notifications: the sinks run before EndEdit returns.
  return call.Return(s->EndBracket(commit != 0) ? S_OK : E_UNEXPECTED);
}

HRESULT SiteMidiData::DeselectAll(LONG level, DWORD, DWORD typeMask, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {
  HostState* s = State();
  if (!s) return E_UNEXPECTED;
  HostCall call(*s, Entry("DeselectAll", level, nullptr, Hex(typeMask)), true);
  if (call.Failed()) return call.Injected();
  call.entry().mask = typeMask;
  if (level != kLevelEvent) return call.Return(E_INVALIDARG);
  std::vector<ItemPath> selected;
  for (const SongTrack& t : s->song.tracks)
    for (const SongBlock& b : t.blocks)
      for (const SongEvent& e : b.events)
        if ((e.record.type & typeMask) && (e.record.flags & kEventSelected)) selected.push_back({t.id, b.id, e.id});
  SongEditor editor = s->Editor();
  for (const ItemPath& p : selected) {
    const auto index = s->song.FindEvent(p);
    if (!index) continue;  // removed by a sink called for an earlier change
    SongEvent e = s->song.FindBlock(p.trackId, p.blockId)->events[*index];
    e.record.flags &= ~kEventSelected;
    if (HRESULT hr = editor.ReplaceEvent(p, std::move(e), nullptr); FAILED(hr)) return call.Return(hr);
  }
  return call.Return(S_OK);
}

}  // namespace refhost
