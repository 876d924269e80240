// A small song on the reference host and the plug-in's view of it: the site's
// interfaces and a probe advised on both connection points.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_test_support.h"
#include "host/sink_probe.h"

namespace refhost {

class HostFixture : public RefHostTest {
 protected:
  // t1 "Piano" (channel 0): b1 "Verse" 0..3840 with
  //   e1 note 60 @0, e2 controller 7 @240, e3 note 64 @480 (selected),
  //   e4 sysex @480, e5 note 67 @960;
  // and b2 "Chorus" 3840..7680 with e6 note 72 @3840.
  // t2 "Bass" (channel 1, order key 0): b3 0..3840 with e7 note 36 @0.
  HostFixture();
  ~HostFixture() override;

  // Connects the probe like a plug-in's Connect; the fixture takes it back at the end.
  void Advise();
  // Texts of what the probe received.
  std::vector<std::string> ProbeTexts() const;
  MidiEvent Record(const ItemPath& path) const { return host.Event(path).value().record; }

  ComRef<HostMidiData> data;
  ComRef<HostPropertySet> properties;
  ComRef<HostTimeConverter> time;
  ComRef<HostPortList> ports;
  ComRef<SinkProbe> probe = SinkProbe::Create();
  ItemPath t1{}, t2{}, b1{}, b2{}, b3{};
  ItemPath e1{}, e2{}, e3{}, e4{}, e5{}, e6{}, e7{};
  const std::vector<uint8_t> sysex = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0xF7};

 private:
  bool advised_ = false;
};

}  // namespace refhost
