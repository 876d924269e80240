// Small value types of the reference host's public interface.
#pragma once

#include <guiddef.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mididata/host_records.h"

namespace refhost {

// One MIDI port as the port list reports it; no name makes an unnamed port.
struct PortSpec {
  uint32_t id = 0;
  GUID guid{};
  std::optional<std::wstring> name{};
};

// What the MIDI output service received.
struct SentEvent {
  MidiEvent record{};            // pointers cleared
  std::vector<uint8_t> payload;  // long types: the bytes the record pointed to
  uint32_t flags = 0;
};

// An event as the project holds it, with its address.
struct EventView {
  ItemPath path{};
  MidiEvent record{};  // payload pointer cleared
  std::vector<uint8_t> payload;
};

// Default member initializers on every field keep designated initializers
// that name only some fields free of -Wmissing-field-initializers.
struct TrackSpec {
  std::wstring name{};
  int32_t channel = -1;
  int32_t velocityOffset = 0;
  int32_t pitchOffset = 0;
  std::optional<int32_t> orderKey{};  // default: the track's position when added
  bool solo = false;
};

struct BlockSpec {
  int64_t start = 0;
  int64_t end = 0;
  std::wstring name{};
  uint32_t kind = 2;
};

// What a test should find at its end: nothing the host handed out still held.
struct LeakReport {
  bool accountingAvailable = true;
  std::vector<std::string> blocks;  // handed-out blocks nobody freed
  unsigned long siteReferences = 0;    // held on the site and its connection points
  unsigned long outputReferences = 0;  // held on the MIDI output service
  size_t advisedSinks = 0;
  int openBrackets = 0;
  bool Clean() const;
  std::string Describe() const;
};

}  // namespace refhost
