// Prints how long the event store takes to build the event list of large
// tracks and to apply bursts of change notifications, against the reference
// host in process. Figures, not pass/fail: run it with tools/bench.sh.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <algorithm>
#include <random>
#include <vector>

#include "host/ref_host.h"
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

void BuildList(int events, int blocks) {
  Connected c;
  const double f0 = Now();
  Fill(c, events, blocks);
  std::printf("(host project of %d events built in %.1f ms)\n", events, Now() - f0);
  c.Connect();
  const double t0 = Now();
  const HRESULT hr = c.store.SelectView(0, -1);
  const double t1 = Now();
  std::printf("build event list  %8d events in %3d block(s): %9.1f ms  (%d listed, hr=0x%08lx)\n", events, blocks,
              t1 - t0, c.store.EventCount(), static_cast<unsigned long>(hr));
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

}  // namespace

int main() {
  if (FAILED(OleInitialize(nullptr))) return 2;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  for (int events : {10000, 100000, 1000000}) {
    BuildList(events, 1);
    BuildList(events, 100);
  }
  ChangedNotifications(100000, 10000, true);
  ChangedNotifications(100000, 10000, false);
  DeletedNotifications(100000, 10000);
  OleUninitialize();
  return 0;
}
