// Connect and Disconnect against the reference host: the calls in order, what
// is read at connection, every refusal unwound, and nothing left held.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/module_objects.h"
#include "tests/shell/capturing_site.h"
#include "tests/shell/shell_test_support.h"

namespace shelltest {
namespace {

using Texts = std::vector<std::string>;

const Texts kConnectCalls = {
    "QueryInterface(HostMidiData)",
    "QueryInterface(HostPropertySet)",
    "QueryInterface(HostTimeConverter)",
    "QueryInterface(HostPortList)",
    "QueryInterface(IConnectionPointContainer)",
    "FindConnectionPoint(HostNotifySink)",
    "Advise(HostNotifySink)",
    "QueryInterface(IConnectionPointContainer)",
    "FindConnectionPoint(HostPositionSink)",
    "Advise(HostPositionSink)",
    "GetTimeBase(2)",
    "GetPorts(1)",
};

void ExpectNothingHeld(const refhost::RefHost& host) {
  const refhost::LeakReport leaks = host.Leaks();
  EXPECT_TRUE(leaks.Clean()) << leaks.Describe();
  EXPECT_EQ(0u, host.AdvisedSinks());
}

TEST(PluginConnect, TakesTheSiteInterfacesInOrderAndGivesThemBack) {
  refhost::RefHost host;
  host.SetTicksPerQuarter(960);
  host.SetOutputPorts({{.id = 0, .name = L"Synth"}, {.id = 1, .name = L"Out 2"}});
  ComPtr<PluginMain> plugin = CreatePlugin();
  DWORD capabilities = 0xFFFFFFFF;
  ASSERT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, &capabilities));
  EXPECT_EQ(0u, capabilities);
  EXPECT_EQ(kConnectCalls, host.Log().Texts());
  EXPECT_EQ(2u, host.AdvisedSinks());
  EXPECT_EQ(960u, Impl(plugin.get()).timeBase().ticksPerQuarter);
  EXPECT_EQ(2, Impl(plugin.get()).store().PortCount(true));
  EXPECT_TRUE(Impl(plugin.get()).store().CanSendEvents());

  host.Log().Clear();
  EXPECT_EQ(S_OK, plugin->Disconnect());
  const Texts disconnectCalls = {
      "QueryInterface(IConnectionPointContainer)", "FindConnectionPoint(HostNotifySink)", "Unadvise(HostNotifySink,1)",
      "QueryInterface(IConnectionPointContainer)", "FindConnectionPoint(HostPositionSink)",
      "Unadvise(HostPositionSink,2)",
  };
  EXPECT_EQ(disconnectCalls, host.Log().Texts());
  const refhost::LeakReport leaks = host.Leaks();
  EXPECT_EQ(0u, leaks.siteReferences);
  EXPECT_EQ(0u, leaks.outputReferences);
  EXPECT_EQ(0u, host.AdvisedSinks());
  EXPECT_FALSE(Impl(plugin.get()).store().CanSendEvents());

  // A second Disconnect has nothing left to give back.
  host.Log().Clear();
  EXPECT_EQ(S_OK, plugin->Disconnect());
  EXPECT_TRUE(host.Log().Texts().empty());
  // The port table read at Connect goes with the object.
  plugin.Reset();
  ExpectNothingHeld(host);
}

TEST(PluginConnect, ReadsAMissingTimeBaseAsNoneAndWorksWithoutOutput) {
  refhost::RefHost host;
  host.SetReportedTicksPerQuarter(0);
  ComPtr<PluginMain> plugin = CreatePlugin();
  ASSERT_EQ(S_OK, plugin->Connect(host.site(), nullptr, 1, 0, nullptr));
  EXPECT_EQ(0u, Impl(plugin.get()).timeBase().ticksPerQuarter);
  EXPECT_FALSE(Impl(plugin.get()).store().CanSendEvents());
  plugin.Reset();
  ExpectNothingHeld(host);
}

TEST(PluginConnect, RefusesWithoutTheConnectFlagAndDropsAnEarlierConnection) {
  refhost::RefHost host;
  ComPtr<PluginMain> plugin = CreatePlugin();
  ASSERT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, nullptr));
  DWORD capabilities = 0x55;
  EXPECT_EQ(E_FAIL, plugin->Connect(host.site(), host.output(), 2, 0, &capabilities));
  ExpectNothingHeld(host);
  host.Log().Clear();
  EXPECT_EQ(E_FAIL, plugin->Connect(host.site(), host.output(), 0, 0, &capabilities));
  EXPECT_TRUE(host.Log().Texts().empty());
  EXPECT_EQ(E_POINTER, plugin->Connect(nullptr, host.output(), 1, 0, &capabilities));
}

TEST(PluginConnect, EveryRefusalIsReturnedAndUnwound) {
  // Each step of the connection refused in turn, with a code only the host uses.
  const HRESULT refusal = static_cast<HRESULT>(0x8004ABCDu);
  for (size_t step = 0; step < 10; ++step) {
    SCOPED_TRACE(kConnectCalls[step]);
    refhost::RefHost host;
    // The second query for the container is the position sink's; fail only that one.
    const int nth = step == 7 ? 2 : 1;
    host.Faults().FailCall(kConnectCalls[step], refusal, nth);
    ComPtr<PluginMain> plugin = CreatePlugin();
    EXPECT_EQ(refusal, plugin->Connect(host.site(), host.output(), 1, 0, nullptr));
    const Texts calls = host.Log().Texts();
    ASSERT_GT(calls.size(), step);
    EXPECT_EQ(Texts(kConnectCalls.begin(), kConnectCalls.begin() + step + 1), Texts(calls.begin(), calls.begin() + step + 1));
    // The notification sink was advised before a position-sink refusal: it is taken back.
    const bool notifyAdvised = step > 6;
    EXPECT_EQ(notifyAdvised, std::find(calls.begin(), calls.end(), "Unadvise(HostNotifySink,1)") != calls.end());
    EXPECT_EQ(calls.end(), std::find(calls.begin(), calls.end(), "GetTimeBase(2)"));
    ExpectNothingHeld(host);

    // The refused object connects once the host agrees.
    host.Faults().Clear();
    EXPECT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, nullptr));
    EXPECT_EQ(2u, host.AdvisedSinks());
    plugin.Reset();
    ExpectNothingHeld(host);
  }
}

TEST(PluginConnect, ASecondConnectReleasesTheFirstHost) {
  refhost::RefHost first, second;
  ComPtr<PluginMain> plugin = CreatePlugin();
  ASSERT_EQ(S_OK, plugin->Connect(first.site(), first.output(), 1, 0, nullptr));
  ASSERT_EQ(S_OK, plugin->Connect(second.site(), second.output(), 1, 0, nullptr));
  ExpectNothingHeld(first);
  EXPECT_EQ(2u, second.AdvisedSinks());
  plugin.Reset();
  ExpectNothingHeld(second);
}

TEST(PluginConnect, ReleasingAConnectedObjectDisconnectsIt) {
  refhost::RefHost host;
  ComPtr<PluginMain> plugin = CreatePlugin();
  ASSERT_EQ(S_OK, plugin->Connect(host.site(), host.output(), 1, 0, nullptr));
  host.Log().Clear();
  plugin.Reset();
  const Texts calls = host.Log().Texts();
  EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "Unadvise(HostNotifySink,1)"));
  EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "Unadvise(HostPositionSink,2)"));
  ExpectNothingHeld(host);
}

TEST(PluginConnect, SinksKeptByTheHostOutliveThePluginHarmlessly) {
  const long before = LiveModuleObjects();
  refhost::RefHost host;
  ComPtr<CapturingSite> site = CapturingSite::Create(host.site());
  site->keepSinks = true;
  ComPtr<PluginMain> plugin = CreatePlugin();
  ASSERT_EQ(S_OK, plugin->Connect(site.get(), host.output(), 1, 0, nullptr));
  ASSERT_TRUE(site->notifySink && site->positionSink);
  plugin.Reset();
  EXPECT_EQ(0, site->advised);
  // The module stays loaded for them, and they refuse calls instead of reaching a dead object.
  EXPECT_EQ(S_FALSE, DllCanUnloadNow());
  const HostNotification record = Record(NOTIFY_KindEE);
  EXPECT_EQ(E_UNEXPECTED, site->notifySink->OnNotify(&record));
  EXPECT_EQ(E_UNEXPECTED, site->positionSink->OnPositionChanged(0, 0));
  site->notifySink.Reset();
  site->positionSink.Reset();
  EXPECT_EQ(before, LiveModuleObjects());
}

}  // namespace
}  // namespace shelltest
