// Between a Standard MIDI File and a project of the host: tracks of event
// records as the host keeps them. Note On and its Note Off become one note
// with a duration; sysex and meta events keep their bytes as payloads; the
// plug-in's settings travel in a sequencer-specific meta event of the first
// track. A format 0 file is split by channel: the first track keeps the
// meta and system exclusive events, each channel gets a track of its own.
// Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/smf/smf_file.h"
#include "mididata/host_records.h"

struct ProjectEvent {
  MidiEvent record{};            // start in ticks; payload pointer unused
  std::vector<uint8_t> payload;  // sysex: the bytes after F0 or F7; meta: type, then data
  bool operator==(const ProjectEvent& other) const;
};

struct ProjectTrack {
  std::wstring name;  // from the first track name event; may be empty
  int64_t end = 0;    // the end of track
  std::vector<ProjectEvent> events;  // time order, file order within a tick
  bool operator==(const ProjectTrack&) const = default;
};

struct ProjectImage {
  uint16_t ticksPerQuarter = 480;
  std::vector<ProjectTrack> tracks;
  std::vector<uint8_t> settings;  // the plug-in's stream; empty when the file had none
  bool operator==(const ProjectImage&) const = default;
};

// Data bytes of a Note On record beyond pitch and velocity: the release
// velocity of its Note Off, and how the Note Off was written.
inline constexpr int kReleaseVelocity = 2;
inline constexpr int kOffForm = 3;
inline constexpr uint8_t kOffAsZeroVelocityOn = 1;

// The status nibble (0x80-0xE0) of a channel event type; 0 for other types.
uint8_t ChannelStatusOf(uint32_t type);

ProjectImage ProjectFromSmf(const SmfFile& file);
// Always format 1, one track per project track.
SmfFile SmfFromProject(const ProjectImage& project);

// The sequencer-specific event that carries the settings: its leading bytes.
bool IsSettingsEvent(const SmfEvent& e);
