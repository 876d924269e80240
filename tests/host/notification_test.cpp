// Change records sent to the advised sinks: kinds, flags, levels and paths, in
// both delivery modes, with what the sinks answered.
#include <cstring>

#include "host/notices.h"
#include "host_fixture.h"

namespace refhost {
namespace {

using Texts = std::vector<std::string>;

ItemPath Path(uint32_t t, uint32_t b, uint32_t e) { return {t, b, e}; }

void ExpectRecord(const HostNotification& n, uint32_t flags, int32_t level, const ItemPath& oldPath,
                  const ItemPath& newPath) {
  EXPECT_TRUE(IsEqualGUID(n.kind, NOTIFY_DataChanged));
  EXPECT_EQ(n.flags, flags);
  EXPECT_EQ(n.level, level);
  EXPECT_EQ(std::memcmp(&n.oldPath, &oldPath, sizeof oldPath), 0) << NoticeText(n);
  EXPECT_EQ(std::memcmp(&n.newPath, &newPath, sizeof newPath), 0) << NoticeText(n);
  const uint8_t zeros[20] = {};
  EXPECT_EQ(std::memcmp(n.hostFields16, zeros, sizeof zeros), 0);
  EXPECT_EQ(n.hostField40, 0u);
}

class DeliveryTest : public HostFixture, public ::testing::WithParamInterface<Delivery> {
 protected:
  DeliveryTest() {
    host.SetDelivery(GetParam());
    Advise();
  }
};

TEST_P(DeliveryTest, EachKindOfChangeHasItsFlagsLevelAndPaths) {
  ItemPath inserted{t1.trackId, b1.blockId, 0};
  const MidiEvent note = Note(1920, 240, 70);
  const MidiEvent longer = Note(0, 480, 60);
  const MidiEvent later = Note(120, 240, 60);
  const MidiEvent moved = Note(3900, 480, 67);
  ASSERT_EQ(data->BeginEdit(1, L"Edit"), S_OK);
  ASSERT_EQ(data->InsertItem(&inserted, kLevelEvent, &note), S_OK);
  ASSERT_EQ(data->SetItem(&e1, kLevelEvent, &longer, kSetAll), S_OK);
  ASSERT_EQ(data->SetItem(&e1, kLevelEvent, &later, kSetAll), S_OK);
  ASSERT_EQ(data->SetItem(&e5, kLevelEvent, &moved, kSetAll), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelEvent, &e2), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelBlock, &b3), S_OK);
  TrackInfo bass = host.Track(t2.trackId)->info;
  bass.channel = 5;
  ASSERT_EQ(data->SetItem(&t2, kLevelTrack, &bass, kSetAll), S_OK);
  ASSERT_EQ(data->EndEdit(1), S_OK);

  const auto& r = probe->records;
  ASSERT_EQ(r.size(), 7u) << ::testing::PrintToString(ProbeTexts());
  ExpectRecord(r[0], kChangeInserted, kLevelEvent, {}, Path(1, 1, 8));
  ExpectRecord(r[1], kChangeChanged, kLevelEvent, e1, e1);
  ExpectRecord(r[2], kChangeChanged | kChangeResort, kLevelEvent, e1, e1);
  ExpectRecord(r[3], kChangeMoved, kLevelEvent, e5, Path(1, 2, 5));
  ExpectRecord(r[4], kChangeDeleted, kLevelEvent, e2, {});
  ExpectRecord(r[5], kChangeDeleted, kLevelBlock, b3, {});
  ExpectRecord(r[6], kChangeChanged, kLevelTrack, t2, t2);
  EXPECT_EQ(host.DeliveryTexts(), ProbeTexts());
}

TEST_P(DeliveryTest, SinksAreCalledInsideTheChangingCallOrAtTheOutermostEndEdit) {
  std::vector<std::string> lastCallSeen;
  probe->onNotify = [&](const HostNotification&) {
    lastCallSeen.push_back(host.Log().Texts().back());
    return S_OK;
  };
  ItemPath path{t1.trackId, b1.blockId, 0};
  const MidiEvent note = Note(1920, 240, 70);
  data->BeginEdit(1, L"Outer");
  data->BeginEdit(1, L"Inner");
  data->InsertItem(&path, kLevelEvent, &note);
  data->DeleteItem(kLevelEvent, &e2);
  data->EndEdit(1);
  const size_t seenBeforeOuterEnd = lastCallSeen.size();
  const size_t pendingBeforeOuterEnd = host.PendingNotifications();
  data->EndEdit(1);

  if (GetParam() == Delivery::Immediate) {
    EXPECT_EQ(lastCallSeen, (Texts{"InsertItem(3,t1,b1)", "DeleteItem(3,t1,b1,e2)"}));
    EXPECT_EQ(pendingBeforeOuterEnd, 0u);
  } else {
    EXPECT_EQ(seenBeforeOuterEnd, 0u);
    EXPECT_EQ(pendingBeforeOuterEnd, 2u);
    EXPECT_EQ(lastCallSeen, (Texts{"EndEdit(1)", "EndEdit(1)"}));
  }
  EXPECT_EQ(ProbeTexts(), (Texts{"Inserted(3,t1,b1,e8)", "Deleted(3,t1,b1,e2)"}));
  EXPECT_EQ(host.PendingNotifications(), 0u);
}

TEST_P(DeliveryTest, HostSideEditsUndoAndResetAreReportedTheSameWay) {
  const ItemPath added = host.InsertEvent(b2, Note(4000, 100, 80));
  ASSERT_EQ(host.ChangeEvent(e6, Note(3900, 480, 72)), S_OK);
  ASSERT_EQ(host.MoveEvent(e7, b1).blockId, b1.blockId);
  ASSERT_EQ(host.Undo(), S_OK);  // the move back
  host.ReportReset(kLevelTrack);
  EXPECT_EQ(ProbeTexts(), (Texts{"Inserted(3," + std::string("t1,b2,e") + std::to_string(added.eventId) + ")",
                                 "Changed+Resort(3,t1,b2,e6)", "Moved(3,t2,b3,e7>t1,b1,e7)",
                                 "Moved(3,t1,b1,e7>t2,b3,e7)", "Reset(1)"}));
  ExpectRecord(probe->records.back(), kChangeReset, kLevelTrack, {}, {});
}

INSTANTIATE_TEST_SUITE_P(BothModes, DeliveryTest, ::testing::Values(Delivery::Immediate, Delivery::AtBracketEnd),
                         [](const auto& info) {
                           return std::string(info.param == Delivery::Immediate ? "Immediate" : "AtBracketEnd");
                         });

class NotificationTest : public HostFixture {
 protected:
  NotificationTest() { Advise(); }
};

TEST_F(NotificationTest, TheSinksAnswersAreRecordedAndDoNotStopTheEdit) {
  probe->answer = S_FALSE;
  data->BeginEdit(1, L"Delete MIDI Event");
  EXPECT_EQ(data->DeleteItem(kLevelEvent, &e1), S_OK);
  probe->answer = E_FAIL;
  EXPECT_EQ(data->DeleteItem(kLevelEvent, &e2), S_OK);
  data->EndEdit(1);
  ASSERT_EQ(host.Deliveries().size(), 2u);
  EXPECT_EQ(host.Deliveries()[0].results, std::vector<HRESULT>{S_FALSE});
  EXPECT_EQ(host.Deliveries()[1].results, std::vector<HRESULT>{E_FAIL});
  EXPECT_FALSE(host.Event(e2).has_value());
}

TEST_F(NotificationTest, ASinkMayReadTheHostFromInsideTheCallThatNotifiesIt) {
  MidiEvent seen{};
  probe->onNotify = [&](const HostNotification& n) {
    ItemPath path = n.newPath;
    return data->GetItem(&path, kLevelEvent, &seen, kGetEvent);
  };
  ItemPath path{t1.trackId, b1.blockId, 0};
  const MidiEvent note = Note(1920, 240, 70);
  data->BeginEdit(1, L"Draw MIDI Event");
  EXPECT_EQ(data->InsertItem(&path, kLevelEvent, &note), S_OK);
  data->EndEdit(1);
  EXPECT_EQ(seen.data[0], 70);
  EXPECT_EQ(host.Deliveries().back().results, std::vector<HRESULT>{S_OK});
  EXPECT_EQ(host.Log().TextsWithResults(),
            (Texts{"BeginEdit(1,Draw MIDI Event) = S_OK", "InsertItem(3,t1,b1) = S_OK", "GetItem(3,t1,b1,e8) = S_OK",
                   "EndEdit(1) = S_OK"}));
}

TEST_F(NotificationTest, AnyRecordCanBeSentAsIs) {
  HostNotification record = DataNotice(kChangeChanged | kChangeForceRefresh, kLevelEvent, e1, e1);
  record.hostFields16[3] = 0x5A;
  record.hostField40 = 77;
  probe->answer = 1;
  EXPECT_EQ(host.SendNotification(record), std::vector<HRESULT>{1});
  ASSERT_EQ(probe->records.size(), 1u);
  EXPECT_EQ(std::memcmp(&probe->records[0], &record, sizeof record), 0);
  EXPECT_EQ(host.DeliveryTexts(), Texts{"Changed(3,t1,b1,e1)+Refresh"});
}

TEST_F(NotificationTest, LoopPortsAndPositionHaveTheirOwnKinds) {
  host.SetLoop(960, 1920);
  host.SetLoop(960, 1920);  // no change, no report
  host.SetLoopOn(true);
  host.SetPlaying(true);  // playing has no notification of its own
  host.SetOutputPorts({{0, {}, L"Out"}});
  host.SetPosition(0x100000000LL + 5);
  EXPECT_EQ(ProbeTexts(), (Texts{"LoopChanged", "LoopModeChanged", "PortsChanged"}));
  EXPECT_TRUE(IsEqualGUID(probe->records[0].kind, NOTIFY_LoopChanged));
  EXPECT_TRUE(IsEqualGUID(probe->records[1].kind, NOTIFY_LoopModeChanged));
  EXPECT_TRUE(IsEqualGUID(probe->records[2].kind, NOTIFY_PortsChanged));
  ASSERT_EQ(probe->positions.size(), 1u);
  EXPECT_EQ(probe->positions[0], std::make_pair(DWORD{5}, DWORD{1}));
  EXPECT_EQ(host.DeliveryTexts().back(), "Position(5,1)");
}

TEST_F(NotificationTest, AnUnadvisedSinkHearsNothing) {
  ASSERT_EQ(probe->UnadviseFrom(host.site()), S_OK);
  host.SetLoop(1, 2);
  EXPECT_TRUE(probe->records.empty());
  ASSERT_EQ(host.Deliveries().size(), 1u);
  EXPECT_TRUE(host.Deliveries()[0].results.empty());  // reported with no sink to hear it
  EXPECT_EQ(host.AdvisedSinks(), 0u);
}

}  // namespace
}  // namespace refhost
