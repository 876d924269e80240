// The notification queue under contention: a second thread reports changes
// through the plug-in's sink as fast as it can while the user-interface thread
// replays them through the editor window's refresh messages. Every report must
// be replayed exactly once and in order, and none may be left waiting without
// a refresh posted for it.
//
// The reports alternate: an event insertion (its replay adds the event to the
// store's list) and a loop change (its replay sends WM_EDITOR_SYNCLOOP to the
// editor). The k-th loop replay must therefore find exactly k events listed.
#include <gtest/gtest.h>

#include <process.h>

#include <algorithm>
#include <vector>

#include "host/event_factory.h"
#include "shell/page/editor_messages.h"
#include "shell/window_classes.h"
#include "tests/shell/capturing_site.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

struct Reporter {
  HostNotifySink* sink;
  std::vector<HostNotification> records;
  std::vector<HRESULT> results;
};

// What the editor saw at each loop replay: the number of events listed then.
EventStore* g_store = nullptr;
std::vector<int32_t> g_listedAtLoopReplay;
WNDPROC g_editorProc = nullptr;

LRESULT CALLBACK WatchLoopReplays(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_EDITOR_SYNCLOOP) g_listedAtLoopReplay.push_back(g_store->EventCount());
  return CallWindowProcW(g_editorProc, window, message, wParam, lParam);
}

unsigned __stdcall Report(void* argument) {
  auto* reporter = static_cast<Reporter*>(argument);
  for (const HostNotification& record : reporter->records) reporter->results.push_back(reporter->sink->OnNotify(&record));
  return 0;
}

TEST(NotificationQueue, ReportsFromAnotherThreadAreReplayedOnceInOrder) {
  constexpr int kReports = 10000;
  RegisterWindowClasses(GetModuleHandleW(nullptr));  // the editor's classes, as the module registers them
  refhost::RefHost host;
  const ItemPath track = host.AddTrack({.name = L"Piano", .channel = 0});
  const ItemPath block = host.AddBlock(track, {.start = 0, .end = 1 << 30});
  ComPtr<CapturingSite> site = CapturingSite::Create(host.site());
  ComPtr<PluginMain> plugin = CreatePlugin();
  ASSERT_EQ(S_OK, plugin->Connect(site.get(), host.output(), 1, 0, nullptr));
  ComPtr<IPropertyPage> page = CreatePage();
  IUnknown* objects[] = {plugin.get()};
  ASSERT_EQ(S_OK, page->SetObjects(1, objects));
  HWND parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
  const RECT rect{0, 0, 600, 400};
  ASSERT_EQ(S_OK, page->Activate(parent, &rect, FALSE));
  EventStore& store = Impl(plugin.get()).store();
  ASSERT_EQ(0, store.EventCount());
  HWND editor = GetWindow(parent, GW_CHILD);
  ASSERT_NE(nullptr, editor);
  g_store = &store;
  g_listedAtLoopReplay.clear();
  g_editorProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchLoopReplays)));

  // The events exist in the host before they are reported, in ascending time.
  Reporter reporter{site->notifySink.get(), {}, {}};
  std::vector<uint32_t> eventIds;
  for (int i = 0; i < kReports; ++i) {
    const ItemPath e = host.AddEvent(block, refhost::Note(i * 10, 5, 60));
    eventIds.push_back(e.eventId);
    reporter.records.push_back(Record(NOTIFY_DataChanged, kChangeInserted, kLevelEvent, {}, e));
    reporter.records.push_back(Record(NOTIFY_LoopChanged));
  }
  host.Log().Clear();

  HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Report, &reporter, 0, nullptr));
  ASSERT_NE(nullptr, thread);
  // The user-interface thread only runs its message loop: replays happen only
  // when a refresh was posted.
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT);
    PumpMessages();
    if (woke == WAIT_OBJECT_0 || woke == WAIT_TIMEOUT) break;
  }
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
  CloseHandle(thread);
  PumpMessages();

  EXPECT_EQ(std::vector<HRESULT>(2 * kReports, S_OK), reporter.results);
  // Nothing stranded: everything was replayed through posted refreshes.
  EXPECT_EQ(S_FALSE, Impl(plugin.get()).DrainNotifications(false));
  std::vector<int32_t> expected(kReports);
  for (int i = 0; i < kReports; ++i) expected[i] = i + 1;
  EXPECT_EQ(expected, g_listedAtLoopReplay);
  // Each insertion's replay reads its event before any later one.
  std::vector<uint32_t> firstReads;
  for (const refhost::CallEntry& call : host.Log().Entries()) {
    const uint32_t id = call.path.eventId;
    if (call.method == "GetItem" && call.level == kLevelEvent &&
        std::find(firstReads.begin(), firstReads.end(), id) == firstReads.end())
      firstReads.push_back(id);
  }
  EXPECT_EQ(eventIds, firstReads);
  ASSERT_EQ(kReports, store.EventCount());
  for (int i = 0; i < kReports; ++i) {
    ItemPath listed{};
    store.PathAt(i, &listed);
    ASSERT_EQ(eventIds[i], listed.eventId) << i;
  }

  // Deletions reported from the other thread do not touch the list there:
  // they wait for the editor's thread like every other report.
  Reporter deleter{site->notifySink.get(), {}, {}};
  for (uint32_t id : eventIds) {
    const ItemPath e{block.trackId, block.blockId, id};
    deleter.records.push_back(Record(NOTIFY_DataChanged, kChangeDeleted, kLevelEvent, e, {}));
  }
  thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Report, &deleter, 0, nullptr));
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
  CloseHandle(thread);
  EXPECT_EQ(kReports, store.EventCount());
  PumpMessages();
  EXPECT_EQ(0, store.EventCount());
  EXPECT_EQ(S_FALSE, Impl(plugin.get()).DrainNotifications(false));

  EXPECT_EQ(S_OK, page->Deactivate());
  EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
  page.Reset();
  plugin.Reset();
  site.Reset();
  DestroyWindow(parent);
  EXPECT_TRUE(host.Leaks().Clean()) << host.Leaks().Describe();
}

}  // namespace
}  // namespace shelltest
