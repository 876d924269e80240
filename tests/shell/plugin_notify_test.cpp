// The host's change reports through the plug-in's sink: what each kind does when
// reported and when replayed, when the editor is told to refresh, and position
// changes, with the editor page open as the host shows it.
#include <gtest/gtest.h>

#include "host/event_factory.h"
#include "shell/page/editor_messages.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

constexpr GUID kUnknownKind = {0x12345678, 0x9F3F, 0x4E80, {0xBC, 0xB5, 0x44, 0x82, 0xA5, 0xB5, 0x24, 0x0A}};

class PluginNotifications : public testing::Test {
 protected:
  HostedPlugin hosted;
  EventStore& store() { return hosted.impl().store(); }
  std::vector<ItemPath> ListedPaths() {
    std::vector<ItemPath> paths(static_cast<size_t>(store().EventCount()));
    for (size_t i = 0; i < paths.size(); ++i) store().PathAt(static_cast<int32_t>(i), &paths[i]);
    return paths;
  }
};

TEST_F(PluginNotifications, IgnoredKindsAnswerOneAndChangeNothing) {
  const GUID ignored[] = {NOTIFY_KindE3, NOTIFY_KindE4, NOTIFY_KindE5, NOTIFY_KindE7,
                          NOTIFY_KindE8, NOTIFY_KindEB, kUnknownKind};
  for (const GUID& kind : ignored) {
    EXPECT_EQ(S_FALSE, hosted.Notify(Record(kind, kChangeForceRefresh))) << Braced(kind).c_str();
  }
  EXPECT_TRUE(TakePosted(hosted.editor).empty());
  EXPECT_EQ(S_FALSE, hosted.impl().DrainNotifications(true));
}

TEST_F(PluginNotifications, QueuedKindsPostOneRefreshAndReplayInTheEditor) {
  MessageRecorder sync(hosted.editor, {WM_EDITOR_SYNCLOOP});
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_KindEE)));
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_LoopChanged)));
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_LoopModeChanged, kChangeForceRefresh)));
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_KindE1)));
  EXPECT_TRUE(sync.received().empty());

  const std::vector<Received> posted = DeliverPosted(hosted.editor);
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(WM_PLUGIN_REFRESH, posted[0].message);
  EXPECT_EQ(0u, posted[0].wParam);
  EXPECT_EQ(0, posted[0].lParam);
  // Replayed: both loop reports re-read the loop, the others do nothing more.
  EXPECT_EQ(2u, sync.received().size());
  EXPECT_EQ(S_FALSE, hosted.impl().DrainNotifications(false));

  // Handled: the next report posts again.
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_KindEE)));
  EXPECT_EQ(1u, DeliverPosted(hosted.editor).size());
}

TEST_F(PluginNotifications, ForcedRefreshPostsWithItsFlagsOnceUntilHandled) {
  const ItemPath note = hosted.host.AddEvent(hosted.block, refhost::Note(0, 480, 60));
  ASSERT_EQ(S_OK, store().Refresh(true));  // the note was added without a report
  ASSERT_EQ(1, store().EventCount());
  // A change done in place queues nothing, so nothing is posted...
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_DataChanged, kChangeChanged, kLevelEvent, note, note)));
  EXPECT_TRUE(TakePosted(hosted.editor).empty());
  // ...unless the host insists.
  const uint32_t forced = kChangeForceRefresh | kChangeChanged;
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_DataChanged, forced, kLevelEvent, note, note)));
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_DataChanged, forced, kLevelEvent, note, note)));
  const std::vector<Received> posted = TakePosted(hosted.editor);
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(1u, posted[0].wParam);
  EXPECT_EQ(static_cast<LPARAM>(forced), posted[0].lParam);
  // A report that is not acted on posts nothing even when forced.
  EXPECT_EQ(S_FALSE, hosted.Notify(Record(NOTIFY_KindE8, kChangeForceRefresh)));
}

TEST_F(PluginNotifications, RefreshRequestsAndPortChangesPostARefresh) {
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_RefreshEditor)));
  EXPECT_EQ(1u, DeliverPosted(hosted.editor).size());

  hosted.host.Log().Clear();
  hosted.host.SetOutputPorts({{.id = 0, .name = L"Synth"}});
  EXPECT_EQ(S_OK, hosted.host.Deliveries().back().results.at(0));
  const std::vector<std::string> calls = {"GetPorts(1)", "GetPorts(0)"};
  EXPECT_EQ(calls, hosted.host.Log().Texts());
  EXPECT_EQ(1, store().PortCount(true));
  EXPECT_EQ(1u, DeliverPosted(hosted.editor).size());
  // Neither queued anything.
  EXPECT_EQ(S_FALSE, hosted.impl().DrainNotifications(false));
}

TEST_F(PluginNotifications, DataChangesSplitBetweenReportAndReplay) {
  refhost::RefHost& host = hosted.host;
  const ItemPath a = host.AddEvent(hosted.block, refhost::Note(0, 100, 60));
  const ItemPath b = host.AddEvent(hosted.block, refhost::Note(480, 100, 62));
  const ItemPath c = host.AddEvent(hosted.block, refhost::Note(960, 100, 64));
  ASSERT_EQ(S_OK, store().Refresh(true));  // added without reports
  ASSERT_EQ(3, store().EventCount());
  host.Log().Clear();

  // A deletion is applied while the host reports it; an unknown one is ignored.
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_DataChanged, kChangeDeleted, kLevelEvent, c, {})));
  EXPECT_EQ(2, store().EventCount());
  EXPECT_EQ(S_FALSE, hosted.Notify(Record(NOTIFY_DataChanged, kChangeDeleted, kLevelEvent, c, {})));

  // An insertion by the host's user waits for the replay in the editor.
  const ItemPath d = host.InsertEvent(hosted.block, refhost::Note(240, 100, 61));
  EXPECT_EQ(S_OK, host.Deliveries().back().results.at(0));
  EXPECT_EQ(2, store().EventCount());
  EXPECT_EQ(1u, DeliverPosted(hosted.editor).size());
  std::vector<ItemPath> listed = ListedPaths();
  ASSERT_EQ(3u, listed.size());
  EXPECT_TRUE(SamePath(a, listed[0]));
  EXPECT_TRUE(SamePath(d, listed[1]));
  EXPECT_TRUE(SamePath(b, listed[2]));

  // The host moves a after b: that change waits for a replay, which is thrown
  // away here, so the list keeps a first.
  refhost::EventView moved = *host.Event(a);
  moved.record.start = 600;
  ASSERT_EQ(S_OK, host.ChangeEvent(a, moved.record));
  EXPECT_EQ(S_OK, hosted.impl().DrainNotifications(true));
  TakePosted(hosted.editor);
  // A change reported without re-sort is taken in place: no host read, no new order.
  host.Log().Clear();
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_DataChanged, kChangeChanged, kLevelEvent, a, a)));
  listed = ListedPaths();
  ASSERT_EQ(3u, listed.size());
  EXPECT_TRUE(SamePath(a, listed[0]));
  EXPECT_TRUE(SamePath(d, listed[1]));
  EXPECT_EQ(0u, host.Log().Count("GetItem"));
  EXPECT_TRUE(TakePosted(hosted.editor).empty());
}

TEST_F(PluginNotifications, PositionChangesPostOnceUntilHandled) {
  hosted.host.SetPosition(100);
  hosted.host.SetPosition(200);
  const std::vector<Received> posted = DeliverPosted(hosted.editor);
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(WM_PLUGIN_POSITION, posted[0].message);
  EXPECT_EQ(0u, posted[0].wParam);
  EXPECT_EQ(0, posted[0].lParam);
  hosted.host.SetPosition(300);
  EXPECT_EQ(1u, DeliverPosted(hosted.editor).size());
}

TEST_F(PluginNotifications, WithoutAPageReportsWaitInTheQueue) {
  hosted.ClosePage();
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_KindEE, kChangeForceRefresh)));
  hosted.host.SetPosition(100);
  EXPECT_TRUE(TakePosted(nullptr).empty());
  EXPECT_EQ(S_OK, hosted.impl().DrainNotifications(false));
  EXPECT_EQ(S_FALSE, hosted.impl().DrainNotifications(false));
}

TEST_F(PluginNotifications, ActivationDropsStaleReportsAndRebuildsTheCaches) {
  ASSERT_EQ(S_OK, hosted.page->Deactivate());
  EXPECT_EQ(E_UNEXPECTED, hosted.page->Deactivate());
  const RECT rect{0, 0, 300, 200};

  // Nothing queued: the caches are kept.
  hosted.host.Log().Clear();
  ASSERT_EQ(S_OK, hosted.page->Activate(hosted.parent, &rect, FALSE));
  EXPECT_EQ(0u, hosted.host.Log().Count("EnumFirst"));
  ASSERT_EQ(S_OK, hosted.page->Deactivate());

  // Reports that arrived while the editor was closed are thrown away and the
  // track list is read again.
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_KindEE)));
  hosted.host.Log().Clear();
  ASSERT_EQ(S_OK, hosted.page->Activate(hosted.parent, &rect, FALSE));
  EXPECT_LT(0u, hosted.host.Log().Count("EnumFirst"));
  EXPECT_EQ(S_FALSE, hosted.impl().DrainNotifications(false));
  hosted.editor = GetWindow(hosted.parent, GW_CHILD);
  ASSERT_NE(nullptr, hosted.editor);
  const auto visible = [&] { return (GetWindowLongPtrW(hosted.editor, GWL_STYLE) & WS_VISIBLE) != 0; };
  EXPECT_FALSE(visible());
  EXPECT_EQ(S_OK, hosted.page->Show(SW_SHOW));
  EXPECT_TRUE(visible());
  RECT placed{};
  GetWindowRect(hosted.editor, &placed);
  EXPECT_EQ(300, placed.right - placed.left);
}

TEST(PluginPages, AReplacedPageCannotDetachItsSuccessor) {
  HostedPlugin hosted;
  ComPtr<IPropertyPage> second = CreatePage();
  IUnknown* objects[] = {hosted.plugin.get()};
  ASSERT_EQ(S_OK, second->SetObjects(1, objects));
  const RECT rect{0, 0, 300, 200};
  ASSERT_EQ(S_OK, second->Activate(hosted.parent, &rect, FALSE));
  HWND secondEditor = FindWindowExW(hosted.parent, nullptr, nullptr, nullptr);
  if (secondEditor == hosted.editor) secondEditor = FindWindowExW(hosted.parent, hosted.editor, nullptr, nullptr);
  ASSERT_NE(nullptr, secondEditor);
  ASSERT_NE(hosted.editor, secondEditor);

  hosted.ClosePage();  // the first page lets go of its objects
  EXPECT_EQ(S_OK, hosted.Notify(Record(NOTIFY_KindEE)));
  EXPECT_EQ(1u, TakePosted(secondEditor).size());

  EXPECT_EQ(S_OK, second->Deactivate());
  EXPECT_EQ(S_OK, second->SetObjects(0, nullptr));
  EXPECT_EQ(E_UNEXPECTED, second->SetObjects(2, objects));
  IUnknown* notAPlugin[] = {second.get()};
  EXPECT_EQ(E_NOINTERFACE, second->SetObjects(1, notAPlugin));
  EXPECT_EQ(E_UNEXPECTED, second->Activate(hosted.parent, &rect, FALSE));
}

}  // namespace
}  // namespace shelltest
