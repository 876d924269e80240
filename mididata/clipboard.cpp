// Cut, copy and paste through the clipboard block.
#include "mididata/clipboard.h"

#include <algorithm>
#include <new>
#include <vector>

#include "mididata/clip_codec.h"
#include "mididata/clipboard_handles.h"
#include "mididata/edit_commit.h"
#include "mididata/edit_labels.h"
#include "mididata/edit_walk.h"

namespace {

HRESULT LastErrorResult() {
  const DWORD error = GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

HRESULT WriteAll(IStream* stream, const void* bytes, ULONG size) {
  ULONG written = 0;
  HRESULT hr = stream->Write(bytes, size, &written);
  if (FAILED(hr)) return hr;
  return written == size ? S_OK : kShortClipboardWrite;
}

HRESULT WriteBlock(HGLOBAL block, const std::vector<MidiEvent>& events) {
  BlockStream stream(block);
  if (FAILED(stream.result())) return stream.result();
  uint8_t header[kClipHeaderSize];
  EncodeClipHeader(static_cast<uint32_t>(events.size()), header);
  HRESULT hr = WriteAll(stream.get(), header, sizeof header);
  for (size_t i = 0; i < events.size() && SUCCEEDED(hr); ++i) {
    uint8_t record[kClipRecordSize];
    EncodeClipRecord(events[i], record);
    hr = WriteAll(stream.get(), record, sizeof record);
  }
  return hr;
}

HRESULT PlaceOnClipboard(UINT format, HWND owner, const std::vector<MidiEvent>& events) {
  if (events.size() > (SIZE_MAX - kClipHeaderSize) / kClipRecordSize || events.size() > UINT32_MAX) return E_OUTOFMEMORY;
  GlobalBlock block(GMEM_MOVEABLE | GMEM_DDESHARE, ClipBlockSize(static_cast<uint32_t>(events.size())));
  if (!block.get()) return E_OUTOFMEMORY;
  HRESULT hr = WriteBlock(block.get(), events);
  if (FAILED(hr)) return hr;
  OpenedClipboard clipboard(owner);
  if (!clipboard.IsOpen()) return LastErrorResult();
  if (!EmptyClipboard()) return LastErrorResult();
  if (!SetClipboardData(format, block.get())) return LastErrorResult();
  block.Release();
  return S_OK;
}

HRESULT ReadExactly(IStream* stream, void* bytes, ULONG size) {
  ULONG read = 0;
  HRESULT hr = stream->Read(bytes, size, &read);
  return SUCCEEDED(hr) && read == size ? S_OK : E_FAIL;
}

// The records of the clipboard's block: 1 without one, E_FAIL when it is damaged.
HRESULT ReadClipboard(UINT format, std::vector<MidiEvent>* out) {
  OpenedClipboard clipboard(nullptr);
  if (!clipboard.IsOpen()) return LastErrorResult();
  HGLOBAL block = GetClipboardData(format);
  if (!block) return S_FALSE;
  const SIZE_T size = GlobalSize(block);
  BlockStream stream(block);
  if (FAILED(stream.result())) return stream.result();
  uint8_t header[kClipHeaderSize];
  if (size < kClipHeaderSize || FAILED(ReadExactly(stream.get(), header, sizeof header))) return E_FAIL;
  const uint32_t count = CheckClipHeader(header, size);
  if (count == 0) return E_FAIL;
  try {
    out->reserve(count);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t record[kClipRecordSize];
    if (FAILED(ReadExactly(stream.get(), record, sizeof record))) return E_FAIL;
    MidiEvent e{};
    DecodeClipRecord(record, &e);
    out->push_back(e);
  }
  return S_OK;
}

int64_t EndOf(const MidiEvent& e) {
  int64_t end = e.start;
  if (e.type == kEvNoteOn && __builtin_add_overflow(e.start, static_cast<int64_t>(e.duration), &end)) return e.start;
  return end;
}

}  // namespace

UINT EventClipboardFormat() {
  static const UINT format = RegisterClipboardFormatW(L"Velora Zebu 1.0");
  return format;
}

bool ClipboardHasEvents() {
  const UINT format = EventClipboardFormat();
  return format && IsClipboardFormatAvailable(format);
}

HRESULT CopySelection(EventStore& store, HWND owner, bool cut) {
  const UINT format = EventClipboardFormat();
  if (!format) return E_FAIL;
  std::vector<MidiEvent> copied;
  HRESULT hr = WalkSelectedEvents(store, [&](int32_t, const ItemPath& path, const MidiEvent& e) -> HRESULT {
    if (!(e.flags & kEventSelected) || IsLongEvent(e)) return S_OK;
    try {
      copied.push_back(e);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return cut ? store.pending().QueueDelete(path) : S_OK;
  });
  if (SUCCEEDED(hr)) hr = copied.empty() ? S_FALSE : PlaceOnClipboard(format, owner, copied);
  if (!cut) return hr;
  const HRESULT deleted = CommitDeletes(store, hr != S_OK);
  return hr == S_OK ? deleted : hr;
}

HRESULT PasteClipboard(EventStore& store, int64_t* cursor) {
  const UINT format = EventClipboardFormat();
  if (!format) return S_FALSE;
  ItemPath target{};
  HRESULT hr = EditTargetPath(store, &target);
  if (FAILED(hr)) return hr;
  int32_t channel = 0;
  hr = TrackChannel(store, target.trackId, &channel);
  if (FAILED(hr)) return hr;

  std::vector<MidiEvent> records;
  hr = ReadClipboard(format, &records);
  if (hr != S_OK) return hr;
  // Records a host must not take (no single known type, or a foreign payload pointer) are left out.
  std::erase_if(records, [](const MidiEvent& e) { return !IsPastableRecord(e); });
  if (records.empty()) return S_FALSE;

  int64_t earliest = records.front().start;
  int64_t latest = EndOf(records.front());
  for (const MidiEvent& e : records) {
    earliest = std::min(earliest, e.start);
    latest = std::max(latest, EndOf(e));
  }
  const int64_t target0 = *cursor;
  int64_t shift = 0, length = 0, end = 0;
  if (__builtin_sub_overflow(target0, earliest, &shift) || __builtin_sub_overflow(latest, earliest, &length) ||
      __builtin_add_overflow(target0, length, &end))
    return E_FAIL;
  for (MidiEvent& e : records) {
    if (__builtin_add_overflow(e.start, shift, &e.start)) return E_FAIL;
    e.flags |= kEventSelected;
    e.hostField8 = 0;
    e.port = 0;
    e.hostField20 = 0;
    e.channel = channel;
  }

  hr = store.SelectAllNotes(false);
  if (FAILED(hr)) return hr;
  const int32_t count = static_cast<int32_t>(records.size());
  hr = InsertEvents(store, target, records.data(), count, PasteLabel(count));
  if (hr == S_OK) *cursor = end;
  return hr;
}
