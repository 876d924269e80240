// Helpers of the edit, clipboard and lane tests: a song with one edited track,
// the compact path text the host's call log uses, and a second plug-in
// instance with a host of its own.
#pragma once

#include <string>
#include <vector>

#include "mididata/edit_commit.h"
#include "tests/mididata/store_fixture.h"

namespace edittest {

inline std::string Where(const ItemPath& p) {
  return "t" + std::to_string(p.trackId) + ",b" + std::to_string(p.blockId) + ",e" + std::to_string(p.eventId);
}

inline std::string Set(const ItemPath& p, const char* mask = "0xFFFF") {
  return "SetItem(3," + Where(p) + "," + mask + ")";
}
inline std::string Del(const ItemPath& p) { return "DeleteItem(3," + Where(p) + ")"; }
inline std::string Ins(const ItemPath& block) {
  return "InsertItem(3,t" + std::to_string(block.trackId) + ",b" + std::to_string(block.blockId) + ")";
}

// A store on a host whose project has the edited track "Piano" (channel 2)
// with one block 0..7680, and a second track; the view shows the Piano track.
// The store's sink is advised, so deleted events leave the event list at once.
class EditTest : public storetest::StoreTest {
 protected:
  EditTest() {
    Advise();
    other = host.AddTrack({.name = L"Other", .channel = -1, .orderKey = 5});
    piano = host.AddTrack({.name = L"Piano", .channel = 2, .orderKey = 1});
    block = host.AddBlock(piano, {.start = 0, .end = 7680});
    otherBlock = host.AddBlock(other, {.start = 0, .end = 7680});
  }
  // After the events are added: shows the Piano track, all blocks.
  void Show() {
    EXPECT_EQ(store.Refresh(false), S_OK);
    EXPECT_EQ(store.SelectView(store.TrackIndexOf(piano.trackId), -1), S_OK);
    host.Log().Clear();
  }
  std::vector<std::string> Edits() const { return host.Log().Texts(refhost::CallFilter::Edits); }
  MidiEvent At(const ItemPath& p) const {
    auto e = host.Event(p);
    EXPECT_TRUE(e.has_value());
    return e ? e->record : MidiEvent{};
  }
  // The path that the store inserts under: the Piano track, block chosen by the host.
  ItemPath InsertTarget() const { return ItemPath{piano.trackId, 0, 0}; }

  ItemPath piano{}, other{}, block{}, otherBlock{};
};

// A second plug-in instance: its own host and store, connected like the first.
struct Instance {
  Instance() {
    EXPECT_EQ(KvQuery(host.site(), data.put()), S_OK);
    EXPECT_EQ(KvQuery(host.site(), properties.put()), S_OK);
    store.Connect(HostLinks{data.get(), properties.get(), nullptr, nullptr, nullptr});
  }
  ~Instance() {
    store.Disconnect();
    properties.Reset();
    data.Reset();
    refhost::ExpectNoLeaks(host);
  }

  refhost::RefHost host;
  refhost::ComRef<HostMidiData> data;
  refhost::ComRef<HostPropertySet> properties;
  EventStore store;
};

}  // namespace edittest
