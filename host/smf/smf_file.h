// Standard MIDI Files: the tracks of a format 0 or 1 file with their events
// in absolute ticks, read from and written to bytes. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SmfEvent {
  int64_t tick = 0;
  // 0x80-0xEF a channel message (data holds its one or two data bytes),
  // 0xF0 or 0xF7 a system exclusive message (data holds what follows the
  // length), 0xFF a meta event (metaType, data its payload).
  uint8_t status = 0;
  uint8_t metaType = 0;
  std::vector<uint8_t> data;
  bool operator==(const SmfEvent&) const = default;
};

inline constexpr uint8_t kSmfMeta = 0xFF;
// The largest time a file can hold in one variable-length delta: no track of
// a file read or written goes past it.
inline constexpr int64_t kSmfMaxTick = 0x0FFFFFFF;
inline constexpr uint8_t kSmfEndOfTrack = 0x2F;
inline constexpr uint8_t kSmfTempo = 0x51;
inline constexpr uint8_t kSmfTrackName = 0x03;
inline constexpr uint8_t kSmfSequencerSpecific = 0x7F;

struct SmfTrack {
  std::vector<SmfEvent> events;  // in file order; the end of track is not kept
  int64_t endTick = 0;           // where the end of track stands (at least the last event)
  bool operator==(const SmfTrack&) const = default;
};

struct SmfFile {
  uint16_t format = 1;
  uint16_t ticksPerQuarter = 480;
  std::vector<SmfTrack> tracks;
  bool operator==(const SmfFile&) const = default;
};

struct SmfError {
  std::string message;
  size_t offset = 0;  // where in the bytes the problem lies
};

// Reads a whole file. On failure *error names the problem and its offset
// and *file is left as it was.
bool ReadSmf(const uint8_t* bytes, size_t size, SmfFile* file, SmfError* error);
// Writes the file with running status and an end of track on every track.
std::vector<uint8_t> WriteSmf(const SmfFile& file);
