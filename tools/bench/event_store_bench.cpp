// Prints how long the event store takes to build the event list of large
// tracks, to apply bursts of change notifications, and to move, delete and
// paste many notes with the host's reports applied, then undo and redo them,
// against the reference host in process. Each edit is timed on two tracks ten
// times apart, side by side, so that growth with the track shows in one run.
// Figures, not pass/fail: run it with tools/bench.sh.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "host/event_factory.h"
#include "host/ref_host.h"
#include "host/sink_probe.h"
#include "mididata/clipboard.h"
#include "mididata/edit_commit.h"
#include "mididata/edit_gestures.h"
#include "mididata/event_store.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

struct Connected {
  refhost::RefHost host;
  refhost::ComRef<HostMidiData> data;
  refhost::ComRef<HostPropertySet> properties;
  refhost::ComRef<HostTimeConverter> time;
  refhost::ComRef<HostPortList> ports;
  EventStore store;

  void Connect() {
    KvQuery(host.site(), data.put());
    KvQuery(host.site(), properties.put());
    KvQuery(host.site(), time.put());
    KvQuery(host.site(), ports.put());
    store.Connect(HostLinks{data.get(), properties.get(), time.get(), ports.get(), nullptr});
  }
  ~Connected() { store.Disconnect(); }
};

// Note On events spread over the blocks, each block covering the whole song so
// that the blocks interleave in time (the hardest merge).
void Fill(Connected& c, int events, int blocks) {
  const ItemPath track = c.host.AddTrack({.name = L"Bench", .channel = -1});
  std::vector<ItemPath> b;
  for (int i = 0; i < blocks; ++i) b.push_back(c.host.AddBlock(track, {.start = 0, .end = int64_t{events} * 10 + 10}));
  for (int i = 0; i < events; ++i) {
    c.host.AddEvent(b[i % blocks], refhost::Note(int64_t{i} * 10, 5, static_cast<uint8_t>(i % 128), 100, i % 16));
  }
}

// The host's part of building a list: the same walk of every block's events
// through the same interface, doing nothing with them.
double HostWalk(Connected& c) {
  const double t0 = Now();
  c.data->BeginEdit(0, nullptr);
  ItemPath track{};
  MidiEvent record{};
  DWORD trackCursor = 0;
  TrackInfo info{};
  for (HRESULT ht = c.data->EnumFirst(&track, kLevelTrack, &info, &trackCursor, 0); ht == S_OK;) {
    ItemPath block{track.trackId, 0, 0};
    BlockInfo binfo{};
    DWORD blockCursor = 0;
    for (HRESULT hb = c.data->EnumFirst(&block, kLevelBlock, &binfo, &blockCursor, 0); hb == S_OK;) {
      ItemPath e{block.trackId, block.blockId, 0};
      DWORD cursor = 0;
      for (HRESULT he = c.data->EnumFirst(&e, kLevelEvent, &record, &cursor, kEvAllTypes); he == S_OK && cursor;) {
        e = ItemPath{block.trackId, block.blockId, 0};
        he = c.data->EnumNext(&e, kLevelEvent, &record, &cursor, kEvAllTypes);
      }
      if (!blockCursor) break;
      block = ItemPath{track.trackId, 0, 0};
      hb = c.data->EnumNext(&block, kLevelBlock, &binfo, &blockCursor, 0);
    }
    if (!trackCursor) break;
    track = ItemPath{};
    ht = c.data->EnumNext(&track, kLevelTrack, &info, &trackCursor, 0);
  }
  c.data->EndEdit(0);
  return Now() - t0;
}

// A first build (a fresh store, as when a view opens) and a rebuild (the same
// view again after another), each the best of three, beside the host's walk
// of the same events alone.
void BuildList(int events, int blocks) {
  Connected c;
  const double f0 = Now();
  Fill(c, events, blocks);
  std::printf("(host project of %d events built in %.1f ms)\n", events, Now() - f0);
  c.Connect();
  HostWalk(c);  // the first walk grows the host's call log; the timed walks find it grown
  double first = 1e300, rebuild = 1e300, host = 1e300;
  HRESULT hr = S_OK;
  int listed = 0;
  for (int rep = 0; rep < 3; ++rep) {
    {
      EventStore fresh;
      fresh.Connect(HostLinks{c.data.get(), c.properties.get(), c.time.get(), c.ports.get(), nullptr});
      c.host.Log().Clear();
      const double t0 = Now();
      hr = fresh.SelectView(0, -1);
      first = std::min(first, Now() - t0);
      listed = fresh.EventCount();
      fresh.Disconnect();
    }
    c.store.SelectView(0, 0);
    c.store.EventCount();
    c.host.Log().Clear();
    const double t0 = Now();
    c.store.SelectView(0, -1);
    rebuild = std::min(rebuild, Now() - t0);
    c.host.Log().Clear();
    host = std::min(host, HostWalk(c));
  }
  c.host.Log().Clear();
  std::printf("build event list  %8d events in %3d block(s): first %7.1f ms, again %7.1f ms  (host's walk alone "
              "%.1f ms; the store's own %.1f ms = %.0f%% and %.1f ms = %.0f%%; %d listed, hr=0x%08lx)\n",
              events, blocks, first, rebuild, host, first - host, 100.0 * (first - host) / first, rebuild - host,
              100.0 * (rebuild - host) / rebuild, listed, static_cast<unsigned long>(hr));
}

void ChangedNotifications(int events, int notifications, bool sameIds) {
  Connected c;
  Fill(c, events, 1);
  c.Connect();
  c.store.SelectView(0, -1);
  std::vector<ItemPath> paths(events);
  for (int i = 0; i < events; ++i) c.store.PathAt(i, &paths[i]);
  std::mt19937 rng(42);
  HostNotification n{};
  n.kind = NOTIFY_DataChanged;
  n.level = kLevelEvent;
  n.flags = kChangeChanged;
  const double t0 = Now();
  for (int i = 0; i < notifications; ++i) {
    n.oldPath = paths[rng() % events];
    n.newPath = n.oldPath;
    if (!sameIds) n.newPath.eventId += 10000000;  // the host renumbered the event
    bool queue = false;
    c.store.ApplyNotification(n, true, &queue);
  }
  const double t1 = Now();
  std::printf("apply %d changed-event notifications to %d events (%s): %9.1f ms\n", notifications, events,
              sameIds ? "same ids" : "renumbered", t1 - t0);
}

void DeletedNotifications(int events, int notifications) {
  Connected c;
  Fill(c, events, 1);
  c.Connect();
  c.store.SelectView(0, -1);
  std::vector<ItemPath> paths(events);
  for (int i = 0; i < events; ++i) c.store.PathAt(i, &paths[i]);
  std::mt19937 rng(7);
  std::shuffle(paths.begin(), paths.end(), rng);
  HostNotification n{};
  n.kind = NOTIFY_DataChanged;
  n.level = kLevelEvent;
  n.flags = kChangeDeleted;
  const double t0 = Now();
  for (int i = 0; i < notifications; ++i) {
    n.oldPath = paths[i];
    bool queue = false;
    c.store.ApplyNotification(n, true, &queue);
  }
  const double t1 = Now();
  std::printf("apply %d deleted-event notifications to %d events: %9.1f ms  (%d left)\n", notifications, events,
              t1 - t0, c.store.EventCount());
}

// The store's side of large edits: a track of notes 10 ticks apart, and the
// reports a host sends for moving, deleting and pasting k of them, and for
// undoing and redoing that, applied as the plug-in applies them (the
// immediate part, then the replay of what was queued, then the next reader).
// The host's own cost of making those edits is not in these figures.
struct ReportBench {
  Connected c;
  std::vector<ItemPath> listed;  // the k notes the edits act on, from the middle
  std::vector<ItemPath> pasted;  // k events in a second block, not yet listed

  ReportBench(int notes, int k) {
    Fill(c, notes, 1);
    c.Connect();
    c.store.SelectView(0, -1);
    for (int i = 0; i < k; ++i) {
      ItemPath p{};
      c.store.PathAt(notes / 2 - k / 2 + i, &p);
      listed.push_back(p);
    }
    // Added without a report, so that the list does not hold them yet.
    const ItemPath block = c.host.AddBlock(ItemPath{listed[0].trackId, 0, 0}, {.start = 0, .end = int64_t{notes} * 10});
    for (int i = 0; i < k; ++i)
      pasted.push_back(c.host.AddEvent(block, refhost::Note(int64_t{notes} * 10 / k * i + 5, 5, 60)));
    c.host.Log().Clear();
  }
  // Reports of one kind for paths, applied and replayed; the list brought up to date.
  double Apply(const std::vector<ItemPath>& paths, uint32_t flags) {
    HostNotification n{};
    n.kind = NOTIFY_DataChanged;
    n.level = kLevelEvent;
    n.flags = flags;
    std::vector<HostNotification> queued;
    const double t0 = Now();
    for (const ItemPath& p : paths) {
      n.oldPath = flags & (kChangeInserted) ? ItemPath{} : p;
      n.newPath = flags & kChangeDeleted ? ItemPath{} : p;
      bool queue = false;
      c.store.ApplyNotification(n, true, &queue);
      if (queue) queued.push_back(n);
    }
    bool unused = false;
    for (const HostNotification& r : queued) c.store.ApplyNotification(r, false, &unused);
    c.store.EventCount();
    const double t = Now() - t0;
    c.host.Log().Clear();
    return t;
  }
  // Queueing k changes and then k deletes of the same paths, as a move that
  // turns into a cut would.
  double Queue() {
    PendingEdits& p = c.store.pending();
    const double t0 = Now();
    for (const ItemPath& path : listed) p.QueueChange(path, refhost::Note(0, 5, 60), kSetAll);
    for (const ItemPath& path : listed) p.QueueChange(path, refhost::Note(480, 5, 60), kSetAll);
    for (const ItemPath& path : listed) p.QueueDelete(path);
    const double t = Now() - t0;
    p.Clear();
    return t;
  }
};

void ReportEdits(int n, int k) {
  std::printf("the store's side of edits of %d notes      on %7d notes   on %7d notes   ratio\n", k, n, n * 10);
  constexpr uint32_t kMoved = kChangeChanged | kChangeResort;
  const char* names[] = {"first report after a build (path index)", "queue a move, then delete (pending)",
                         "move (reports)", "undo the move", "delete", "undo the delete", "paste", "undo the paste",
                         "redo the paste"};
  constexpr int kRows = 9;
  double t[2][kRows];
  for (int size = 0; size < 2; ++size) {
    ReportBench b(size ? n * 10 : n, k);
    t[size][0] = b.Apply({ItemPath{1, 1, 0x7FFFFFFF}}, kChangeDeleted);  // not listed: answers 1
    t[size][1] = b.Queue();
    t[size][2] = b.Apply(b.listed, kMoved);
    t[size][3] = b.Apply(b.listed, kMoved);
    t[size][4] = b.Apply(b.listed, kChangeDeleted);
    t[size][5] = b.Apply(b.listed, kChangeInserted);
    t[size][6] = b.Apply(b.pasted, kChangeInserted);
    t[size][7] = b.Apply(b.pasted, kChangeDeleted);
    t[size][8] = b.Apply(b.pasted, kChangeInserted);
    const int expected = (size ? n * 10 : n) + k;
    if (b.c.store.EventCount() != expected) std::printf("  (the list holds %d, not %d)\n", b.c.store.EventCount(), expected);
  }
  for (int i = 0; i < kRows; ++i)
    std::printf("  %-40s %9.1f ms   %9.1f ms   x%.2f\n", names[i], t[0][i], t[1][i], t[0][i] > 0 ? t[1][i] / t[0][i] : 0.0);
}

// Editing k selected notes of a track of n, whole, as the piano roll does it:
// the host's calls inside one edit, its reports to the store's sink (the
// immediate part at once, the queued part replayed after), and the list
// brought up to date. Moving the notes one beat later, deleting them, pasting
// them back at the middle of the track, and the undo and redo of each.
struct EndToEnd {
  Connected c;
  std::vector<HostNotification> queued;
  refhost::ComRef<refhost::SinkProbe> sink = refhost::SinkProbe::Create();

  explicit EndToEnd(int notes) {
    Fill(c, notes, 1);
    c.Connect();
    sink->onNotify = [this](const HostNotification& r) {
      bool queue = false;
      const HRESULT hr = c.store.ApplyNotification(r, true, &queue);
      if (queue) queued.push_back(r);
      return hr;
    };
    sink->AdviseOn(c.host.site());
    c.store.SelectView(0, -1);
    c.store.EventCount();
    // The first report after a build makes the store's path index: not part of an edit.
    HostNotification none{};
    none.kind = NOTIFY_DataChanged;
    none.level = kLevelEvent;
    none.flags = kChangeDeleted;
    none.oldPath = ItemPath{1, 1, 0x7FFFFFFF};
    bool unused = false;
    c.store.ApplyNotification(none, true, &unused);
  }
  ~EndToEnd() { sink->UnadviseFrom(c.host.site()); }

  // Times an edit with the replay of what it queued and the next read of the list.
  template <class F>
  double Time(F&& edit) {
    c.host.Log().Clear();
    const double t0 = Now();
    edit();
    bool unused = false;
    for (const HostNotification& r : queued) c.store.ApplyNotification(r, false, &unused);
    queued.clear();
    c.store.EventCount();
    const double t = Now() - t0;
    c.host.Log().Clear();
    return t;
  }
};

constexpr const char* kEditRows[] = {"select them (a time range)", "snapshot the selection",
                                     "move (commit and the host's reports)", "undo the move", "redo the move",
                                     "delete", "undo the delete", "redo the delete", "copy", "paste",
                                     "undo the paste", "redo the paste"};
constexpr size_t kEditRowCount = std::size(kEditRows);

std::vector<double> EditNotes(int notes, int k, std::vector<std::string>* problems) {
  EndToEnd e(notes);
  EventStore& store = e.c.store;
  std::vector<double> t;
  auto expect = [&](int count, const char* after) {
    if (store.EventCount() != count)
      problems->push_back(std::to_string(notes) + " notes, after " + after + ": " + std::to_string(store.EventCount()) +
                          " listed, not " + std::to_string(count));
  };
  t.push_back(e.Time([&] { store.SelectRange(std::max<int64_t>(0, (int64_t{notes} - k) * 5), int64_t{k} * 10, 0, 127, true); }));
  t.push_back(e.Time([&] { BeginMoveOrResize(store); }));
  t.push_back(e.Time([&] {
    PendingEdits& p = store.pending();
    for (int32_t i = 0; i < p.PendingChangeCount(); ++i) {
      ItemPath path{};
      MidiEvent ev{};
      p.PendingChangeAt(i, &path, &ev);
      ev.start += 480;
      p.QueueChange(path, ev, kSetAll);
    }
    CommitPending(store, L"Move MIDI Events", false);
  }));
  t.push_back(e.Time([&] { e.c.host.Undo(); }));
  t.push_back(e.Time([&] { e.c.host.Redo(); }));
  e.Time([&] { e.c.host.Undo(); });
  t.push_back(e.Time([&] { DeleteSelection(store); }));
  expect(notes - k, "the delete");
  t.push_back(e.Time([&] { e.c.host.Undo(); }));
  expect(notes, "its undo");
  t.push_back(e.Time([&] { e.c.host.Redo(); }));
  e.Time([&] { e.c.host.Undo(); });
  t.push_back(e.Time([&] { CopySelection(store, nullptr, false); }));
  int64_t cursor = int64_t{notes} * 5 + 3;
  t.push_back(e.Time([&] { PasteClipboard(store, &cursor); }));
  expect(notes + k, "the paste");
  t.push_back(e.Time([&] { e.c.host.Undo(); }));
  expect(notes, "its undo");
  t.push_back(e.Time([&] { e.c.host.Redo(); }));
  expect(notes + k, "its redo");
  return t;
}

void Edits(int n, int k) {
  std::vector<std::string> problems;
  const std::vector<double> a = EditNotes(n, k, &problems), z = EditNotes(n * 10, k, &problems);
  std::printf("editing %d notes with the host          on %7d notes   on %7d notes   ratio\n", k, n, n * 10);
  for (size_t i = 0; i < kEditRowCount && i < a.size() && i < z.size(); ++i)
    std::printf("  %-40s %9.1f ms   %9.1f ms   x%.2f\n", kEditRows[i], a[i], z[i], a[i] > 0 ? z[i] / a[i] : 0.0);
  for (const std::string& p : problems) std::printf("  (%s)\n", p.c_str());
}

}  // namespace

int main() {
  if (FAILED(OleInitialize(nullptr))) return 2;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  for (int events : {100000, 1000000}) {
    BuildList(events, 1);
    BuildList(events, 100);
  }
  Edits(100000, 10000);
  Edits(100000, 100000);
  ReportEdits(100000, 10000);
  ReportEdits(100000, 100000);
  ChangedNotifications(100000, 10000, true);
  ChangedNotifications(100000, 10000, false);
  DeletedNotifications(100000, 10000);
  OleUninitialize();
  return 0;
}
