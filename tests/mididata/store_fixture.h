// An event store connected to the reference host the way the plug-in object
// connects it: the four data interfaces and the output, and a notification sink
// that does the immediate part at once and keeps the rest for a replay.
#pragma once

#include <windows.h>

#include <vector>

#include "host/host_test_support.h"
#include "mididata/event_store.h"

namespace storetest {

using refhost::ComRef;

class StoreSink final : public HostNotifySink {
 public:
  explicit StoreSink(EventStore* store) : store_(store) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_HostNotifySink)) {
      *out = static_cast<HostNotifySink*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // owned by the fixture
  HRESULT STDMETHODCALLTYPE OnNotify(const HostNotification* record) override {
    if (!IsEqualGUID(record->kind, NOTIFY_DataChanged)) return S_FALSE;
    bool queue = false;
    HRESULT hr = store_->ApplyNotification(*record, true, &queue);
    if (queue) queued.push_back(*record);
    return hr;
  }

  std::vector<HostNotification> queued;

 private:
  EventStore* store_;
  ULONG refs_ = 1;
};

class StoreTest : public refhost::RefHostTest {
 protected:
  StoreTest() { Connect(); }
  ~StoreTest() override {
    Unadvise();
    store.Disconnect();
  }

  void Connect() {
    EXPECT_EQ(KvQuery(host.site(), data.put()), S_OK);
    EXPECT_EQ(KvQuery(host.site(), properties.put()), S_OK);
    EXPECT_EQ(KvQuery(host.site(), time.put()), S_OK);
    EXPECT_EQ(KvQuery(host.site(), ports.put()), S_OK);
    store.Connect(HostLinks{data.get(), properties.get(), time.get(), ports.get(),
                            static_cast<HostMidiOutput*>(host.output())});
  }

  void Advise() {
    ComRef<IConnectionPointContainer> container;
    ASSERT_EQ(host.site()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put())),
              S_OK);
    ASSERT_EQ(container->FindConnectionPoint(IID_HostNotifySink, point.put()), S_OK);
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  }
  void Unadvise() {
    if (cookie) point->Unadvise(cookie);
    cookie = 0;
    point.Reset();
  }
  // The user-interface thread's turn: every queued record applied in order.
  std::vector<HRESULT> Replay() {
    std::vector<HRESULT> results;
    std::vector<HostNotification> records;
    records.swap(sink.queued);
    for (const HostNotification& r : records) {
      bool queue = false;
      results.push_back(store.ApplyNotification(r, false, &queue));
      EXPECT_FALSE(queue);
    }
    return results;
  }

  // A store's event list as the host's events, in list order.
  std::vector<refhost::EventView> ListedViews(EventStore& s) {
    std::vector<refhost::EventView> out;
    const int32_t n = s.EventCount();
    for (int32_t i = 0; i < n; ++i) {
      ItemPath p{};
      EXPECT_EQ(s.PathAt(i, &p), S_OK);
      auto e = host.Event(p);
      EXPECT_TRUE(e.has_value()) << "listed path " << p.eventId << " is not in the project";
      if (e) out.push_back(*e);
    }
    return out;
  }
  // The event list as the host's records, in list order.
  std::vector<MidiEvent> ListedEvents() {
    std::vector<MidiEvent> out;
    for (const refhost::EventView& e : ListedViews(store)) out.push_back(e.record);
    return out;
  }
  std::vector<int> ListedPitches() {
    std::vector<int> out;
    for (const MidiEvent& e : ListedEvents()) out.push_back(e.data[0]);
    return out;
  }

  ComRef<HostMidiData> data;
  ComRef<HostPropertySet> properties;
  ComRef<HostTimeConverter> time;
  ComRef<HostPortList> ports;
  ComRef<IConnectionPoint> point;
  DWORD cookie = 0;
  EventStore store;
  StoreSink sink{&store};
};

}  // namespace storetest
