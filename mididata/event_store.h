// EventStore: the plug-in's cached view of the host's MIDI data. It keeps the
// host's tracks, their blocks and the addresses of the events of the view being
// edited in display order, reads records from the host on demand, finds and
// selects events, maps values between the stored and the displayed form, and
// applies the host's change notifications to its caches.
#pragma once

#include <cstdint>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "kvlib/kvlist.h"
#include "mididata/event_order.h"
#include "mididata/host_links.h"
#include "mididata/path_set.h"
#include "mididata/pending_edits.h"

// Status bits. The plug-in object keeps its notification state in the same word.
enum : uint32_t {
  kStoreTracksCached = 0x1,
  kStoreBlocksCached = 0x2,
  kStoreEventsValid = 0x4,
  kStoreRefreshDue = 0x8,
  kStoreRefreshPosted = 0x10,
  kStorePositionPosted = 0x20,
};

// FindFirstAt flags.
enum : uint32_t { kFindStartingAfter = 0x1 };

// A window start of this value disables the time window of FindInWindow.
inline constexpr int64_t kNoWindow = -1;

class EventStore {
 public:
  EventStore();
  ~EventStore();
  EventStore(const EventStore&) = delete;
  EventStore& operator=(const EventStore&) = delete;

  // The host interfaces to work through; Disconnect forgets them (no release).
  void Connect(const HostLinks& links) { host_ = links; }
  void Disconnect() { host_ = HostLinks{}; }
  const HostLinks& host() const { return host_; }

  // The status word: the store's cache bits and the plug-in's notification
  // bits. Reports may change it from the host's threads while the editor's
  // thread rebuilds, so every change of it is one atomic operation.
  std::atomic<uint32_t>& status() { return status_; }

  // The edits of the gesture in progress (edit_commit.h commits them).
  PendingEdits& pending() { return pending_; }

  // Track and block caches.
  HRESULT Refresh(bool all);
  HRESULT BuildTrackList();
  HRESULT BuildBlockList(int32_t trackIndex);
  int32_t TrackCount() const { return KvList_Count(tracks_); }
  uint32_t TrackIdAt(int32_t index) const;
  int32_t TrackIndexOf(uint32_t trackId) const;
  int32_t BlockCount(int32_t trackIndex) const;
  HRESULT BlockPathAt(int32_t trackIndex, int32_t blockIndex, ItemPath* out) const;
  uint16_t ChannelsInUse() const { return channelsInUse_; }

  // The event list: the events of one track (or all, -1) and one block (or all, -1).
  HRESULT SelectView(int32_t trackIndex, int32_t blockIndex);
  int32_t CurrentTrack() const { return currentTrack_; }
  int32_t CurrentBlock() const { return currentBlock_; }
  uint32_t TypeMask() const { return typeMask_; }
  void SetTypeMask(uint32_t mask);
  uint32_t ChannelMask() const { return channelMask_; }
  void SetChannelMask(uint32_t mask);
  // Rebuilds the event list when it is stale; the host's error when it cannot.
  HRESULT EnsureView();
  // The listed events (0 when the list cannot be built: see EnsureView).
  int32_t EventCount();
  HRESULT PathAt(int32_t index, ItemPath* out);

  // Reading records. Names and payloads handed out belong to the caller.
  HRESULT GetEvent(const ItemPath& path, MidiEvent* out);
  // The track's record; with the name (task-allocated, the caller's to free)
  // only when asked for.
  HRESULT GetTrackInfo(int32_t index, TrackInfo* out, bool withName = true);
  HRESULT GetTrackInfo(const ItemPath& path, TrackInfo* out, bool withName = true);
  HRESULT GetTrackName(int32_t index, kvchar* buffer, int32_t capacity);
  HRESULT GetBlockInfo(const ItemPath& path, BlockInfo* out);
  // A time (ticks or absolute) as the host shows positions: measures, beats
  // and ticks (beats only on request; zero-based lowers the measure and beat
  // that are not 0), or clock time as 30-frame timecode.
  HRESULT TimeToText(int64_t time, uint32_t timeFormat, bool beatsOnly, bool zeroBased, kvchar* buffer,
                     size_t capacity);

  // Finding and selecting.
  // With stopPastWindow the walk ends at the first event that starts after
  // the window (the list is in start order), so that a walk from
  // FirstIndexReaching costs what the window holds.
  HRESULT FindInWindow(int32_t* index, ItemPath* path, MidiEvent* record, int64_t start, int64_t length,
                       uint32_t typeMask, bool points, bool stopPastWindow = false);
  // The first list index whose event can reach time t (starts t - the longest
  // note or later), found by halving the starts kept with the list; 0 when
  // some listed start is not in ticks. A window walk from here sees exactly
  // what a walk from the first entry sees.
  int32_t FirstIndexReaching(int64_t t);
  // The listed start of an entry (in its own time format).
  int64_t ListedStart(int32_t index) const;
  // Whether every listed start is in ticks, so that the list is in tick order.
  bool StartsInTicks() const { return otherFormats_ == 0; }
  HRESULT FindFirstAt(ItemPath* path, int64_t time, uint32_t typeMask, uint32_t channelMask, uint32_t flags);
  HRESULT NextEvent(ItemPath* path, uint32_t typeFilter, uint32_t channelMask);
  // start < 0: no start; length <= 0: no length; notes < 0 widen to the whole range.
  HRESULT SelectRange(int64_t start, int64_t length, int32_t lowNote, int32_t highNote, bool select);
  HRESULT SelectAllNotes(bool select);
  // Selects or deselects one event (no undo step of its own).
  HRESULT SetSelected(const ItemPath& path, bool select);
  // A range selection that follows the pointer: within the walk window only,
  // each note is selected exactly when it lies in the range (a time range
  // and shown pitches), so a step costs what the two ranges hold.
  HRESULT SelectOnlyInRange(int64_t start, int64_t length, int32_t lowNote, int32_t highNote, int64_t walkStart,
                            int64_t walkLength);
  int IsSelectedAt(int64_t time, uint32_t typeMask, uint32_t channelMask);
  HRESULT AnySelected();
  // Reads again the events reported changed since they were last read, so
  // that MaybeSelected is up to date.
  HRESULT RereadChanged() { return MeasureChangedLengths(); }
  // False only when the selection the store keeps says the listed event at
  // path is not selected.
  bool MaybeSelected(const ItemPath& path) const { return !selectionKnown_ || selected_.Contains(path); }
  // The list indexes of the selected events, in list order, when finding
  // them costs less than a walk of the whole list: the selection known, the
  // listed paths indexed and the selection small beside the list. False
  // when the caller should walk (and test MaybeSelected) instead.
  bool SelectedIndexes(std::vector<int32_t>* out);

  // Display transform: pitch and velocity offsets of the event's track (and the
  // project pitch offset), read from the host at every call.
  HRESULT ToDisplay(const ItemPath& path, MidiEvent* event);
  HRESULT ToStored(const ItemPath& path, MidiEvent* event);

  // MIDI ports, for output (true) or input (false).
  HRESULT RefreshPorts(bool output);
  int32_t PortCount(bool output) const;
  HRESULT PortAt(bool output, int32_t index, HostPortRecord* out) const;
  uint32_t CurrentPort(bool output) const;
  void SetCurrentPort(bool output, uint32_t id);
  HRESULT FindPortById(bool output, uint32_t id, int32_t* index) const;
  HRESULT FindPortByGuid(bool output, const KvGuid& guid, int32_t* index) const;
  bool CanSendEvents() const;
  HRESULT SendEvent(MidiEvent* event, DWORD flags);

  // A data-changed notification. From the host, only the immediate part is done
  // and *queue tells the caller to queue the record for replay; on replay the
  // whole change is applied. Returns 0 when acted on, 1 when ignored.
  HRESULT ApplyNotification(const HostNotification& record, bool fromHost, bool* queue);
  // Counts the change reports seen; a picture made at one count is stale at another.
  uint32_t ChangeCount() const { return changes_.load(std::memory_order_relaxed); }

 private:
  struct TrackEntry {
    uint32_t trackId;
    KvList blocks;
    uint32_t reserved;
  };
  struct PortTable {
    DWORD count = 0;
    HostPortRecord* records = nullptr;
    uint32_t current = 0xFFFFFFFFu;
  };
  // An entry of the event list: the path (first, so that an entry reads as
  // an ItemPath) and the display key it is sorted by.
  struct ListedEvent {
    ItemPath path;
    int64_t start;
    int32_t orderKey;
    int32_t channel;
  };
  static DisplayKey KeyOf(const ListedEvent& e) { return DisplayKey{e.start, e.orderKey, e.channel}; }
  // The list's order.
  static int Compare(const ListedEvent& a, const ListedEvent& b) { return CompareDisplay(KeyOf(a), KeyOf(b)); }
  static bool Before(const ListedEvent& a, const ListedEvent& b) { return Compare(a, b) < 0; }
  struct TrackKey {
    uint32_t trackId;
    int32_t orderKey;
    int32_t channel;
  };

  TrackEntry* TrackAt(int32_t index) const;
  void DestroyTracks();
  struct Spill;
  HRESULT AppendBlockEvents(const ItemPath& block, Spill* spill);
  HRESULT PlaceGathered(Spill& spill, const std::vector<size_t>& runs);
  HRESULT RebuildEvents();
  HRESULT FailedBuild(HRESULT hr);
  HRESULT ReadTrackKey(uint32_t trackId, TrackKey* key);
  // Reports change the list in bursts: removals, renumberings and arrivals
  // are noted as they come and applied together by the next FlushReports, in
  // one pass over the list, so that k reports cost about k + n, not k * n.
  void Arrive(const ItemPath& path, const DisplayKey& key, uint32_t timeFormat, bool selected);
  // S_FALSE when the path is not listed.
  HRESULT Depart(const ItemPath& path);
  HRESULT Renumber(const ItemPath& from, const ItemPath& to);
  HRESULT FlushReports();
  PathMap<DisplayKey>& Listed();
  // The index of a listed entry found by its key, or -1.
  int32_t Locate(const ItemPath& path, const DisplayKey& key) const;
  // Applies the waiting removals and the arrivals: only the entries from the
  // first one they touch on are moved.
  HRESULT FlushSpan(std::vector<ListedEvent>& arrived);
  bool ReportsWaiting() const { return !gone_.empty() || !renumbered_.empty() || !arriving_.empty(); }
  void ForgetReports();
  // The first list index whose listed start is t or later (a list in tick order).
  int32_t FirstStartingFrom(int64_t t) const;
  // Keeps the selected paths in step with a flag just read or written.
  void NoteSelection(const ItemPath& path, bool selected);
  // Raises the bound on note lengths for a listed event.
  void NoteListed(const MidiEvent& event);
  bool InCurrentView(const ItemPath& path) const;
  HRESULT ApplyTrackChange(const HostNotification& record);
  HRESULT ApplyBlockChange(const HostNotification& record);
  HRESULT ApplyEventChange(const HostNotification& record);
  HRESULT ReadEventIntoView(const ItemPath& path);
  // Events changed in place may have grown; they are measured before the
  // next window walk (the report itself reads nothing from the host).
  void RememberChangedLength(const ItemPath& path);
  HRESULT MeasureChangedLengths();
  HRESULT Transform(const ItemPath& path, MidiEvent* event, int sign);
  PortTable& Ports(bool output) { return output ? outputPorts_ : inputPorts_; }
  const PortTable& Ports(bool output) const { return output ? outputPorts_ : inputPorts_; }

  HostLinks host_;
  KvList tracks_ = nullptr;
  int32_t currentTrack_ = -1;
  int32_t currentBlock_ = -1;
  KvList events_ = nullptr;
  // Every path the list holds once the waiting reports are applied, with its
  // display key (made when first asked for: see Listed).
  PathMap<DisplayKey> listed_;
  bool listedMade_ = false;
  bool interleaved_ = false;  // the last build merged its blocks
  // The listed events that are selected, while selectionKnown_: taken from
  // the records a build, an arrival or a re-read sees and from the store's own
  // writes, so that AnySelected need not read the list.
  PathSet selected_;
  bool selectionKnown_ = false;
  // Waiting reports: listed entries to remove, entries renumbered (old path,
  // new path) and events read for the list, in report order. A report that
  // would name a path already waiting applies the others first, so that the
  // three never share a path.
  PathSet gone_;
  std::vector<std::pair<ItemPath, DisplayKey>> goneKeys_;  // gone_ in report order, with the listed keys
  PathSet renumberedFrom_, renumberedTo_;
  std::vector<std::pair<ItemPath, ItemPath>> renumbered_;
  std::vector<ListedEvent> arriving_;
  uint32_t typeMask_ = kEvAllTypes;
  uint32_t builtTypeMask_ = kEvAllTypes;
  uint32_t channelMask_ = 0xFFFFFFFFu;
  uint16_t channelsInUse_ = 0;
  // No listed Note On is longer than this; it only grows until a rebuild.
  int64_t longestNote_ = 0;
  // Listed starts not in ticks (counted when listed, recounted at a rebuild):
  // while any may be listed, a window walk starts at the first entry.
  int32_t otherFormats_ = 0;
  std::atomic<uint32_t> changes_{0};
  std::mutex changedLock_;  // reports may come from the host's threads
  std::vector<ItemPath> changedLengths_;
  std::atomic<uint32_t> status_{0};
  PortTable outputPorts_;
  PortTable inputPorts_;
  PendingEdits pending_;
};

// Frees what a record read from the host owns (a long event's payload).
void FreeEventPayload(MidiEvent* event);
// Frees a port table handed out by the host: every name, then the array.
void FreePortTable(HostPortRecord* records, DWORD count);
