// The host's test instruments: leak detection, fault injection, and the COM
// protocol around the site (identity, connection points, a host that is gone).
#include <gtest/gtest-spi.h>
#include <olectl.h>

#include <memory>

#include "host_fixture.h"

namespace refhost {
namespace {

using Texts = std::vector<std::string>;

class LeakTest : public HostFixture {};

TEST_F(LeakTest, ADeliberatelyLeakedNameIsCaughtAndNamed) {
  TrackInfo track{};
  ASSERT_EQ(data->BeginEdit(0, nullptr), S_OK);
  ASSERT_EQ(data->GetItem(&t1, kLevelTrack, &track, kGetWithName), S_OK);
  ASSERT_EQ(data->EndEdit(0), S_OK);
  ASSERT_NE(track.name, nullptr);
  EXPECT_EQ(host.Leaks().blocks, Texts{"name of track t1 (GetItem)"});
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(host), "not freed: name of track t1 (GetItem)");
  CoTaskMemFree(track.name);
  EXPECT_TRUE(host.Leaks().blocks.empty());
}

TEST_F(LeakTest, PayloadsAndPortTablesAreAccountedTooButOtherMemoryIsNot) {
  host.SetOutputPorts({{0, {}, L"Out"}});
  MidiEvent sysexEvent{};
  ItemPath path = e4;
  data->BeginEdit(0, nullptr);
  ASSERT_EQ(data->GetItem(&path, kLevelEvent, &sysexEvent, kGetEvent), S_OK);
  data->EndEdit(0);
  DWORD count = 0;
  HostPortRecord* table = nullptr;
  ASSERT_EQ(ports->GetPorts(1, &count, &table), S_OK);
  void* own = CoTaskMemAlloc(16);  // the plug-in's own block is none of the host's business
  EXPECT_EQ(host.Leaks().blocks,
            (Texts{"name of output port 0 (GetPorts)", "output port table (GetPorts)", "payload of event t1,b1,e4 (GetItem)"}));
  CoTaskMemFree(table[0].name);
  CoTaskMemFree(table);
  CoTaskMemFree(sysexEvent.payload);
  EXPECT_EQ(host.OutstandingBlocks(), 0u);
  CoTaskMemFree(own);
}

TEST(LeakReportTest, HeldReferencesOpenBracketsAndAdvisedSinksAreLeaksToo) {
  RefHost host;
  ComRef<HostMidiData> data;
  ASSERT_EQ(KvQuery(host.site(), data.put()), S_OK);
  ComRef<SinkProbe> probe = SinkProbe::Create();
  ASSERT_EQ(probe->AdviseOn(host.site()), S_OK);
  ASSERT_EQ(data->BeginEdit(0, nullptr), S_OK);
  ComRef<IUnknown> output = ComRef<IUnknown>::Retain(host.output());
  LeakReport report = host.Leaks();
  EXPECT_FALSE(report.Clean());
  EXPECT_EQ(report.siteReferences, 1u);
  EXPECT_EQ(report.outputReferences, 1u);
  EXPECT_EQ(report.advisedSinks, 2u);
  EXPECT_EQ(report.openBrackets, 1);
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(host), "2 sink(s) still advised");

  data->EndEdit(0);
  ASSERT_EQ(probe->UnadviseFrom(host.site()), S_OK);
  data.Reset();
  output.Reset();
  EXPECT_TRUE(host.Leaks().Clean()) << host.Leaks().Describe();
}

class FaultTest : public HostFixture {};

TEST_F(FaultTest, TheNthCallFailsWithTheChosenCodeAndDoesNothing) {
  Advise();
  host.Faults().FailNth(2, E_OUTOFMEMORY);
  ItemPath path{t1.trackId, b1.blockId, 0};
  const MidiEvent note = Note(1920, 240, 72);
  EXPECT_EQ(data->BeginEdit(1, L"Draw MIDI Event"), S_OK);
  EXPECT_EQ(data->InsertItem(&path, kLevelEvent, &note), E_OUTOFMEMORY);
  EXPECT_EQ(data->InsertItem(&path, kLevelEvent, &note), S_OK);  // only the second call fails
  EXPECT_EQ(data->EndEdit(1), S_OK);
  EXPECT_EQ(host.Log().TextsWithResults(),
            (Texts{"BeginEdit(1,Draw MIDI Event) = S_OK", "InsertItem(3,t1,b1) = E_OUTOFMEMORY",
                   "InsertItem(3,t1,b1) = S_OK", "EndEdit(1) = S_OK"}));
  EXPECT_TRUE(host.Log().Entries()[1].injected);
  EXPECT_EQ(host.Events(t1.trackId).size(), 7u);  // one note added, not two
  EXPECT_EQ(ProbeTexts(), Texts{"Inserted(3,t1,b1,e8)"});
}

TEST_F(FaultTest, EveryCallOfAMethodOrOnlyItsNthCanBeFailed) {
  host.Faults().FailCall("SetItem", E_FAIL);
  host.Faults().FailCall("DeleteItem", E_ACCESSDENIED, 2);
  const MidiEvent selected = Selected(Note(0, 240, 60));
  data->BeginEdit(1, L"Edit");
  EXPECT_EQ(data->SetItem(&e1, kLevelEvent, &selected, kSetSelected), E_FAIL);
  EXPECT_EQ(data->SetItem(&e1, kLevelEvent, &selected, kSetSelected), E_FAIL);
  EXPECT_EQ(data->DeleteItem(kLevelEvent, &e1), S_OK);
  EXPECT_EQ(data->DeleteItem(kLevelEvent, &e2), E_ACCESSDENIED);
  EXPECT_EQ(data->DeleteItem(kLevelEvent, &e3), S_OK);
  data->EndEdit(1);
  EXPECT_TRUE(host.Event(e2).has_value());
  host.Faults().Clear();
  data->BeginEdit(1, L"Edit");
  EXPECT_EQ(data->SetItem(&e5, kLevelEvent, &selected, kSetSelected), S_OK);
  data->EndEdit(1);
}

TEST_F(FaultTest, AFailedEndEditStillClosesItsBracketWithoutAStep) {
  Advise();
  host.SetDelivery(Delivery::AtBracketEnd);
  host.Faults().FailCall("EndEdit", E_FAIL);
  ASSERT_EQ(data->BeginEdit(1, L"Delete MIDI Event"), S_OK);
  ASSERT_EQ(data->DeleteItem(kLevelEvent, &e1), S_OK);
  EXPECT_EQ(data->EndEdit(1), E_FAIL);
  EXPECT_EQ(host.OpenBrackets(), 0);
  EXPECT_TRUE(host.UndoLabels().empty());
  EXPECT_FALSE(host.Event(e1).has_value());
  EXPECT_EQ(ProbeTexts(), Texts{"Deleted(3,t1,b1,e1)"});  // delivered as the bracket closed
  // A failed BeginEdit opens nothing.
  host.Faults().FailCall("BeginEdit", E_FAIL);
  EXPECT_EQ(data->BeginEdit(1, L"Never"), E_FAIL);
  EXPECT_EQ(host.OpenBrackets(), 0);
}

TEST_F(FaultTest, ACompactTextPicksOneQueryOfTheSite) {
  host.Faults().FailCall("QueryInterface(HostPortList)", E_NOINTERFACE);
  ComRef<HostPortList> refused;
  ComRef<HostTimeConverter> served;
  EXPECT_EQ(KvQuery(host.site(), refused.put()), E_NOINTERFACE);
  EXPECT_EQ(refused.get(), nullptr);
  EXPECT_EQ(KvQuery(host.site(), served.put()), S_OK);
  EXPECT_EQ(host.Log().TextsWithResults(),
            (Texts{"QueryInterface(HostPortList) = E_NOINTERFACE", "QueryInterface(HostTimeConverter) = S_OK"}));
}

class SiteProtocolTest : public HostFixture {};

TEST_F(SiteProtocolTest, EveryInterfaceSharesTheSitesIdentity) {
  ComRef<IUnknown> fromData, fromPorts;
  ASSERT_EQ(data->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromData.put())), S_OK);
  ASSERT_EQ(ports->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromPorts.put())), S_OK);
  EXPECT_EQ(fromData.get(), host.site());
  EXPECT_EQ(fromPorts.get(), host.site());
  ComRef<HostPropertySet> again;
  ASSERT_EQ(KvQuery(time.get(), again.put()), S_OK);
  EXPECT_EQ(again.get(), properties.get());
  ComRef<IDispatch> none;
  EXPECT_EQ(host.site()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(none.put())), E_NOINTERFACE);
}

TEST_F(SiteProtocolTest, ConnectionPointsAdviseWithCookiesAndRefuseWhatTheyCannotServe) {
  ComRef<IConnectionPointContainer> container;
  ASSERT_EQ(host.site()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put())),
            S_OK);
  ComRef<IConnectionPoint> notify, position, other;
  ASSERT_EQ(container->FindConnectionPoint(IID_HostNotifySink, notify.put()), S_OK);
  ASSERT_EQ(container->FindConnectionPoint(IID_HostPositionSink, position.put()), S_OK);
  EXPECT_EQ(container->FindConnectionPoint(IID_HostMidiData, other.put()), CONNECT_E_NOCONNECTION);
  IID iid{};
  ASSERT_EQ(position->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, IID_HostPositionSink));
  ComRef<IConnectionPointContainer> back;
  ASSERT_EQ(notify->GetConnectionPointContainer(back.put()), S_OK);
  EXPECT_EQ(back.get(), container.get());

  DWORD first = 0, second = 0;
  ASSERT_EQ(notify->Advise(static_cast<HostNotifySink*>(probe.get()), &first), S_OK);
  ASSERT_EQ(position->Advise(static_cast<HostNotifySink*>(probe.get()), &second), S_OK);
  EXPECT_NE(first, 0u);
  EXPECT_NE(second, 0u);
  EXPECT_NE(first, second);
  DWORD cookie = 0;
  ComRef<IUnknown> notASink = ComRef<IUnknown>::Retain(host.output());
  EXPECT_EQ(notify->Advise(notASink.get(), &cookie), CONNECT_E_CANNOTCONNECT);
  ComRef<IEnumConnections> connections;
  EXPECT_EQ(notify->EnumConnections(connections.put()), E_NOTIMPL);
  EXPECT_EQ(notify->Unadvise(second), CONNECT_E_NOCONNECTION);  // a cookie of the other point
  EXPECT_EQ(notify->Unadvise(first), S_OK);
  EXPECT_EQ(position->Unadvise(second), S_OK);
  EXPECT_EQ(host.AdvisedSinks(), 0u);
  EXPECT_EQ(host.Log().Texts(),
            (Texts{"QueryInterface(IConnectionPointContainer)", "FindConnectionPoint(HostNotifySink)",
                   "FindConnectionPoint(HostPositionSink)", "FindConnectionPoint(HostMidiData)",
                   "Advise(HostNotifySink)", "Advise(HostPositionSink)", "Advise(HostNotifySink)",
                   "EnumConnections(HostNotifySink)", "Unadvise(HostNotifySink,2)", "Unadvise(HostNotifySink,1)",
                   "Unadvise(HostPositionSink,2)"}));
}

TEST(HostLifetimeTest, InterfacesKeptPastTheHostFailCleanly) {
  ComRef<HostMidiData> data;
  ComRef<IConnectionPoint> point;
  {
    RefHost host;
    ASSERT_EQ(KvQuery(host.site(), data.put()), S_OK);
    ComRef<IConnectionPointContainer> container;
    ASSERT_EQ(data->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put())), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(IID_HostNotifySink, point.put()), S_OK);
  }
  ItemPath path{};
  DWORD cursor = 0;
  TrackInfo track{};
  EXPECT_EQ(data->EnumFirst(&path, kLevelTrack, &track, &cursor, 2), E_UNEXPECTED);
  EXPECT_EQ(data->BeginEdit(1, L"Late"), E_UNEXPECTED);
  ComRef<SinkProbe> probe = SinkProbe::Create();
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(static_cast<HostNotifySink*>(probe.get()), &cookie), E_UNEXPECTED);
}

}  // namespace
}  // namespace refhost
