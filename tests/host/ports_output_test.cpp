// The port list's tables and the MIDI output service's record of sent events.
#include <cstring>

#include "host/host_text.h"
#include "host_fixture.h"

namespace refhost {
namespace {

const GUID kSynthGuid = {0x6A1B2C3D, 0x0001, 0x4E5F, {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87}};
const GUID kDrumsGuid = {0x6A1B2C3D, 0x0002, 0x4E5F, {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x88}};

class PortsTest : public HostFixture {
 protected:
  struct Table {
    HRESULT hr;
    DWORD count;
    HostPortRecord* records;
  };
  Table Fetch(LONG output) {
    Table t{E_FAIL, 99, reinterpret_cast<HostPortRecord*>(1)};
    t.hr = ports->GetPorts(output, &t.count, &t.records);
    return t;
  }
  static void Free(const Table& t) {
    for (DWORD i = 0; i < t.count; ++i) CoTaskMemFree(t.records[i].name);
    CoTaskMemFree(t.records);
  }
};

TEST_F(PortsTest, NamedAndUnnamedPortsComeInATaskAllocatedTable) {
  host.SetOutputPorts({{0, kSynthGuid, L"Synth"}, {1, {}, std::nullopt}, {2, kDrumsGuid, L"Drums"}});
  host.SetInputPorts({{7, kDrumsGuid, L"Pads"}});
  const Table out = Fetch(1);
  ASSERT_EQ(out.hr, S_OK);
  ASSERT_EQ(out.count, 3u);
  EXPECT_EQ(out.records[0].id, 0u);
  EXPECT_TRUE(IsEqualGUID(out.records[0].guid, kSynthGuid));
  EXPECT_EQ(Utf8(out.records[0].name), "Synth");
  EXPECT_EQ(out.records[1].id, 1u);
  EXPECT_EQ(out.records[1].name, nullptr);
  EXPECT_EQ(Utf8(out.records[2].name), "Drums");
  EXPECT_EQ(host.OutstandingBlocks(), 3u);  // the table and two names
  Free(out);
  EXPECT_EQ(host.OutstandingBlocks(), 0u);

  const Table in = Fetch(0);
  ASSERT_EQ(in.hr, S_OK);
  ASSERT_EQ(in.count, 1u);
  EXPECT_EQ(in.records[0].id, 7u);
  EXPECT_EQ(Utf8(in.records[0].name), "Pads");
  Free(in);
}

TEST_F(PortsTest, AnEmptyListIsSFalseWithCountZeroAndNoTable) {
  const Table t = Fetch(1);
  EXPECT_EQ(t.hr, S_FALSE);
  EXPECT_EQ(t.count, 0u);
  EXPECT_EQ(t.records, nullptr);
  EXPECT_EQ(ports->GetPorts(1, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(host.Log().Texts(), (std::vector<std::string>{"GetPorts(1)", "GetPorts(1)"}));
}

TEST_F(PortsTest, TheOutputServiceRecordsEverythingItIsSent) {
  ComRef<IUnknown> held = ComRef<IUnknown>::Retain(host.output());
  auto* output = static_cast<HostMidiOutput*>(held.get());
  MidiEvent note = Note(0, 240, 60, 90, 3);
  note.port = 2;
  ASSERT_EQ(output->SendEvent(&note, 0), S_OK);
  uint8_t bytes[] = {0xF0, 0x01, 0xF7};
  MidiEvent sysexEvent = LongEvent(kEvSysex, 0);
  sysexEvent.duration = sizeof bytes;
  sysexEvent.payload = bytes;
  ASSERT_EQ(output->SendEvent(&sysexEvent, 0x10), S_OK);
  EXPECT_EQ(output->SendEvent(nullptr, 0), E_POINTER);

  const auto& sent = host.SentEvents();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(std::memcmp(&sent[0].record, &note, sizeof note), 0);
  EXPECT_EQ(sent[0].flags, 0u);
  EXPECT_EQ(sent[1].payload, (std::vector<uint8_t>{0xF0, 0x01, 0xF7}));
  EXPECT_EQ(sent[1].record.payload, nullptr);
  EXPECT_EQ(sent[1].flags, 0x10u);
  EXPECT_EQ(host.Log().Texts(),
            (std::vector<std::string>{"SendEvent(0x40,0x0)", "SendEvent(0x10000,0x10)", "SendEvent(null,0x0)"}));
  host.ClearSentEvents();
  EXPECT_TRUE(host.SentEvents().empty());
}

}  // namespace
}  // namespace refhost
