// Failing host calls: every call of SelectView, SelectRange and RefreshPorts is
// made to fail in turn. The operation must return the host's code, close every
// bracket it opened and free everything the host handed out. Also the ports.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "mididata/clipboard.h"
#include "mididata/edit_gestures.h"
#include "tests/mididata/store_fixture.h"

using refhost::Note;
using refhost::PortSpec;

namespace {

constexpr HRESULT kInjected = static_cast<HRESULT>(0x8004D00Bu);

constexpr GUID kPortA = {0xA1, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr GUID kPortB = {0xB2, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr GUID kPortC = {0xC3, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};

void BuildSong(refhost::RefHost& host) {
  const ItemPath a = host.AddTrack({.name = L"Lead", .channel = 0, .orderKey = 2});
  const ItemPath b = host.AddTrack({.name = L"Bass", .channel = -1, .orderKey = 1});
  const ItemPath a1 = host.AddBlock(a, {.start = 0, .end = 1920, .name = L"A1"});
  const ItemPath a2 = host.AddBlock(a, {.start = 1920, .end = 3840, .name = L"A2"});
  const ItemPath b1 = host.AddBlock(b, {.start = 0, .end = 3840});
  host.AddEvent(a1, Note(0, 100, 60));
  host.AddEvent(a1, refhost::LongEvent(kEvSysex, 10), {0xF0, 1, 2, 0xF7});
  host.AddEvent(a2, Note(1920, 100, 62));
  host.AddEvent(b1, refhost::Selected(Note(0, 960, 40, 90, 2)));
  host.AddEvent(b1, refhost::Controller(480, 7, 64, 2));
  host.SetOutputPorts({{1, kPortA, L"Out A"}, {2, kPortB, std::nullopt}});
}

// A store connected to its own host, outside any test fixture.
struct Rig : storetest::StoreTest {
  using StoreTest::host;
  using StoreTest::store;
  void TestBody() override {}
};

// Runs op once cleanly to count its host calls, then once per call with that
// call failing, each time on a fresh host and store.
void Sweep(const std::function<HRESULT(EventStore&)>& prepare, const std::function<HRESULT(EventStore&)>& op,
           bool mustFail) {
  size_t total = 0;
  {
    Rig f;
    BuildSong(f.host);
    ASSERT_TRUE(SUCCEEDED(prepare(f.store)));
    f.host.Log().Clear();
    ASSERT_TRUE(SUCCEEDED(op(f.store)));
    total = f.host.Log().Entries().size();
  }
  ASSERT_GT(total, 0u);
  for (size_t nth = 1; nth <= total; ++nth) {
    SCOPED_TRACE("failing host call " + std::to_string(nth) + " of " + std::to_string(total));
    Rig f;
    BuildSong(f.host);
    ASSERT_TRUE(SUCCEEDED(prepare(f.store)));
    f.host.Log().Clear();
    f.host.Faults().FailNth(static_cast<int>(nth), kInjected);
    const HRESULT hr = op(f.store);
    const auto& entries = f.host.Log().Entries();
    ASSERT_GE(entries.size(), nth);
    const refhost::CallEntry& failed = entries[nth - 1];
    EXPECT_TRUE(failed.injected);
    // EndEdit failing leaves nothing to undo; any other failing call is the
    // result, but where the operation may stand without it.
    if (failed.method != "EndEdit" && (mustFail || (failed.method != "DeselectAll" && failed.method != "GetItem"))) {
      EXPECT_EQ(hr, kInjected) << failed.text;
    }
    EXPECT_EQ(f.host.OpenBrackets(), 0) << failed.text;
    EXPECT_EQ(f.host.Log().UnbracketedCount(), 0u) << failed.text;
  }  // each fixture checks for leaked blocks as it goes
}

TEST(StoreFaults, SelectViewOfAllTracks) {
  Sweep([](EventStore&) { return S_OK; }, [](EventStore& s) { return s.SelectView(-1, -1); }, true);
}

TEST(StoreFaults, SelectViewOfOneBlock) {
  Sweep([](EventStore& s) { return s.Refresh(false); }, [](EventStore& s) { return s.SelectView(1, 1); }, true);
}

TEST(StoreFaults, SelectRangeSelecting) {
  Sweep([](EventStore& s) { return s.SelectView(-1, -1); },
        [](EventStore& s) { return s.SelectRange(0, 3840, -1, -1, true); }, true);
}

TEST(StoreFaults, SelectRangeDeselectingAll) {
  // DeselectAll failing falls back to clearing one by one: no failure then.
  // Reading the selected events again after it stands failing only loses
  // what the store knew of the selection.
  Sweep([](EventStore& s) { return s.SelectView(-1, -1); },
        [](EventStore& s) { return s.SelectRange(-1, 0, 0, 127, false); }, false);
}

TEST(StoreFaults, RefreshPorts) {
  Sweep([](EventStore&) { return S_OK; }, [](EventStore& s) { return s.RefreshPorts(true); }, true);
}

class StorePortsTest : public storetest::StoreTest {};

TEST_F(StorePortsTest, CurrentPortFollowsItsGuidAcrossRefreshes) {
  host.SetOutputPorts({{1, kPortA, L"Out A"}, {2, kPortB, std::nullopt}});
  ASSERT_EQ(store.RefreshPorts(true), S_OK);
  EXPECT_EQ(store.PortCount(true), 2);
  EXPECT_EQ(store.CurrentPort(true), 1u);  // the first port
  HostPortRecord r{};
  ASSERT_EQ(store.PortAt(true, 0, &r), S_OK);
  EXPECT_STREQ(r.name, L"Out A");
  ASSERT_EQ(store.PortAt(true, 1, &r), S_OK);
  EXPECT_EQ(r.name, nullptr);
  EXPECT_EQ(store.PortAt(true, 2, &r), S_FALSE);

  store.SetCurrentPort(true, 2);
  // The host renumbers its ports; the chosen one is found again by its GUID.
  host.SetOutputPorts({{7, kPortC, L"New"}, {8, kPortB, L"Out B"}, {9, kPortA, L"Out A"}});
  ASSERT_EQ(store.RefreshPorts(true), S_OK);
  EXPECT_EQ(store.CurrentPort(true), 8u);
  int32_t index = -1;
  EXPECT_EQ(store.FindPortByGuid(true, kPortC, &index), S_OK);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(store.FindPortById(true, 9, &index), S_OK);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(store.FindPortById(true, 2, &index), S_FALSE);

  // When it is gone, the first port is chosen.
  host.SetOutputPorts({{3, kPortC, L"Only"}});
  ASSERT_EQ(store.RefreshPorts(true), S_OK);
  EXPECT_EQ(store.CurrentPort(true), 3u);
}

TEST_F(StorePortsTest, EmptyTableAndSending) {
  host.SetOutputPorts({});
  EXPECT_TRUE(SUCCEEDED(store.RefreshPorts(true)));
  EXPECT_EQ(store.PortCount(true), 0);
  EXPECT_FALSE(store.CanSendEvents());

  host.SetOutputPorts({{4, kPortA, L"Synth"}});
  ASSERT_EQ(store.RefreshPorts(true), S_OK);
  EXPECT_TRUE(store.CanSendEvents());
  MidiEvent e = Note(0, 100, 60);
  e.hostField20 = 0xDEAD;
  ASSERT_EQ(store.SendEvent(&e, 0), S_OK);
  ASSERT_EQ(host.SentEvents().size(), 1u);
  EXPECT_EQ(host.SentEvents()[0].record.port, 4u);
  EXPECT_EQ(host.SentEvents()[0].record.hostField20, 0u);
  EXPECT_EQ(host.SentEvents()[0].record.data[0], 60);
  // An explicit port is kept.
  e.port = 9;
  ASSERT_EQ(store.SendEvent(&e, 0), S_OK);
  EXPECT_EQ(host.SentEvents()[1].record.port, 9u);
}

TEST_F(StorePortsTest, WithoutAnOutputNothingIsSent) {
  store.Connect(HostLinks{data.get(), properties.get(), time.get(), ports.get(), nullptr});
  host.SetOutputPorts({{4, kPortA, L"Synth"}});
  ASSERT_EQ(store.RefreshPorts(true), S_OK);
  EXPECT_FALSE(store.CanSendEvents());
  MidiEvent e = Note(0, 100, 60);
  EXPECT_EQ(store.SendEvent(&e, 0), S_FALSE);
  EXPECT_TRUE(host.SentEvents().empty());
}

}  // namespace

// A list that cannot be rebuilt after an invalidation is the host's failure
// for every operation that walks it, never "nothing selected".
TEST(StoreFaults, AListThatCannotBeRebuiltFailsItsWalkers) {
  const struct {
    const char* name;
    std::function<HRESULT(EventStore&)> op;
  } cases[] = {
      {"delete selection", [](EventStore& s) { return DeleteSelection(s); }},
      {"set velocity", [](EventStore& s) { return SetSelectedVelocity(s, 100); }},
      {"copy", [](EventStore& s) { return CopySelection(s, nullptr, false); }},
      {"cut", [](EventStore& s) { return CopySelection(s, nullptr, true); }},
      {"any selected", [](EventStore& s) { return s.AnySelected(); }},
  };
  // The walk fails at its start, or part way through a block.
  for (const char* call : {"EnumFirst", "EnumNext"}) {
    for (const auto& c : cases) {
      Rig f;
      BuildSong(f.host);
      ASSERT_EQ(S_OK, f.store.SelectView(-1, -1));
      ASSERT_EQ(S_OK, f.store.Refresh(true));  // the list is stale now
      f.host.Faults().FailCall(call, kInjected, 2);
      EXPECT_EQ(kInjected, c.op(f.store)) << c.name << ", " << call;
      EXPECT_EQ(0, f.host.OpenBrackets()) << c.name << ", " << call;
      EXPECT_EQ(0u, f.store.status() & kStoreEventsValid) << c.name << ", " << call;
    }
  }
}
