// The host's change reports: dispatch by kind, the queue the editor window
// replays on its thread, and the refresh and position messages to the page.
#include <cstring>
#include <utility>

#include "shell/page/editor_page.h"
#include "shell/plugin/midi_plugin_base.h"

namespace {

// The queue: 72-byte records, growth 8, no owner thread (the host may report
// from another thread than the one that replays).
constexpr int32_t kQueueGrowth = 8;
constexpr uint32_t kQueueOptions = KVLIST_NOOWNERCHECK | KVLIST_ARRAY;

bool SameKind(const KvGuid& a, const GUID& b) { return std::memcmp(&a, &b, sizeof b) == 0; }

}  // namespace

MidiPluginBase::Handler MidiPluginBase::HandlerFor(const KvGuid& kind) {
  // Kinds not listed are the host's own business and are ignored.
  static const struct {
    const GUID* kind;
    Handler handle;
  } kHandlers[] = {
      {&NOTIFY_DataChanged, &MidiPluginBase::OnDataChanged},
      {&NOTIFY_PortsChanged, &MidiPluginBase::OnPortsChanged},
      {&NOTIFY_KindEE, &MidiPluginBase::OnKindEE},
      {&NOTIFY_LoopChanged, &MidiPluginBase::OnLoopChanged},
      {&NOTIFY_LoopModeChanged, &MidiPluginBase::OnLoopChanged},
      {&NOTIFY_RefreshEditor, &MidiPluginBase::OnRefreshEditor},
      {&NOTIFY_KindE1, &MidiPluginBase::OnKindE1},
  };
  for (const auto& h : kHandlers)
    if (SameKind(kind, *h.kind)) return h.handle;
  return &MidiPluginBase::Ignore;
}

HRESULT MidiPluginBase::DispatchNotification(const HostNotification& record, bool fromHost) {
  const Handler handle = HandlerFor(record.kind);
  // The immediate work reads the host and changes the editor's caches, which
  // belong to the editor's thread: a report from another thread that the
  // plug-in acts on waits whole for the replay there.
  const bool elsewhere = fromHost && handle != &MidiPluginBase::Ignore && !OnEditorThread();
  const HRESULT hr = elsewhere ? QueueNotification(record) : (this->*handle)(record, fromHost);
  if (hr == S_OK && fromHost && (StateBitsSet(kStoreRefreshDue) || (record.flags & kChangeForceRefresh))) {
    if (ComPtr<EditorPage> page = AttachedPage()) page->PostRefresh(*this, record);
  }
  return hr;
}

HRESULT MidiPluginBase::Ignore(const HostNotification&, bool) { return S_FALSE; }

HRESULT MidiPluginBase::OnPortsChanged(const HostNotification&, bool) {
  store_.RefreshPorts(true);
  store_.RefreshPorts(false);
  SetStateBits(kStoreRefreshDue);
  return S_OK;
}

HRESULT MidiPluginBase::OnRefreshEditor(const HostNotification&, bool) {
  SetStateBits(kStoreRefreshDue);
  return S_OK;
}

HRESULT MidiPluginBase::OnKindE1(const HostNotification& record, bool fromHost) {
  return fromHost ? QueueNotification(record) : S_OK;
}

HRESULT MidiPluginBase::QueueNotification(const HostNotification& record) {
  CriticalSectionLock lock(queueLock_);
  if (!queue_) {
    const HRESULT hr = KvList_CreateExZ(&queue_, sizeof record, kQueueGrowth, kQueueGrowth, kQueueOptions, nullptr,
                                        nullptr, nullptr);
    if (FAILED(hr)) return hr;
  }
  const HRESULT hr = KvList_Append(queue_, &record);
  if (SUCCEEDED(hr)) SetStateBits(kStoreRefreshDue);
  return hr;
}

HRESULT MidiPluginBase::DrainNotifications(bool discard) {
  KvList taken;
  {
    CriticalSectionLock lock(queueLock_);
    taken = std::exchange(queue_, nullptr);
    // Cleared together with the take: a report queued from now on finds no
    // refresh pending and posts one, so it cannot be stranded in the new queue.
    ClearStateBits(kStoreRefreshPosted);
  }
  const int32_t count = KvList_Count(taken);
  if (!discard) {
    for (int32_t i = 0; i < count; ++i)
      DispatchNotification(*static_cast<const HostNotification*>(KvList_At(taken, i)), false);
  }
  KvList_Destroy(taken);
  return count > 0 ? S_OK : S_FALSE;
}

void MidiPluginBase::OnPositionChanged() {
  if (ComPtr<EditorPage> page = AttachedPage()) page->PostPosition(*this);
}
