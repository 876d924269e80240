// Records exchanged with the host's MIDI data interfaces. They are the host's
// wire layouts: the 32-bit build matches the host byte for byte, the 64-bit build
// keeps the same field order with natural alignment. No Windows headers here so
// that platform-free code (clipboard codec, quantize, tests) can use them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kvlib/kvchar.h"

#ifdef _WIN32
#include <guiddef.h>
using KvGuid = GUID;
#else
struct KvGuid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
#endif

// Levels of the host's item hierarchy.
enum : int32_t { kLevelTrack = 1, kLevelBlock = 2, kLevelEvent = 3 };

// Time formats.
enum : uint32_t { kTimeAbsolute = 1, kTimeTicks = 2 };

// Address of a track, block or event: opaque host ids, 0 is none.
struct ItemPath {
  uint32_t trackId;
  uint32_t blockId;
  uint32_t eventId;
};

struct TrackInfo {
  uint8_t hostFields[16];  // copied unchanged
  int32_t channel;         // forced channel 0-15, -1: events keep their own
  int32_t velocityOffset;
  int32_t pitchOffset;     // semitones
  int32_t orderKey;        // position of the track in the project
  kvchar* name;            // task-allocated, only when the name was asked for
};

struct BlockInfo {
  uint32_t kind;  // 2 for blocks the editor creates
  uint8_t hostFields1[12];
  int64_t start;  // ticks
  int64_t end;
  uint32_t timeFormat;
  uint8_t hostFields2[8];
  kvchar* name;  // task-allocated
};

// Event type bits: exactly one is set in MidiEvent::type.
enum : uint32_t {
  kEvNone = 0x1,
  kEvPackedNrpn = 0x2,
  kEvPackedRpn = 0x4,
  kEvPatch = 0x8,
  kEvShortMsg = 0x10,
  kEvNoteOff = 0x20,
  kEvNoteOn = 0x40,
  kEvPolyPressure = 0x80,
  kEvControlChange = 0x100,
  kEvProgramChange = 0x200,
  kEvAfterTouch = 0x400,
  kEvPitchBend = 0x800,
  kEvSysex = 0x10000,
  kEvSysexContinue = 0x20000,
  kEvMci = 0x40000,
  kEvLongMsg = 0x80000,
  kEvMeta = 0x100000,
  kEvWaveData = 0x200000,
  kEvAllTypes = 0x3F0FFF,
  kEvLongTypes = 0x1F0000,  // events whose data is a task-allocated payload
};

enum : uint32_t { kEventSelected = 0x4 };

struct MidiEvent {
  uint32_t type;
  uint32_t flags;
  uint32_t hostField8;
  uint32_t port;  // 0 when not set
  int32_t channel;
  uint32_t hostField20;
  int64_t start;
  uint32_t timeFormat;
  uint32_t hostField36;
  int32_t duration;  // Note On: ticks; long types: payload length in bytes
  union {
    uint8_t data[4];
    uint8_t* payload;  // long types, task-allocated
  };
  uint8_t hostFields[16];
};

inline bool IsLongEvent(const MidiEvent& e) { return (e.type & kEvLongTypes) != 0; }

// Output or input port as the host's port list hands it out.
struct HostPortRecord {
  uint32_t id;
  KvGuid guid;
  kvchar* name;  // task-allocated
};

// A change report from the host.
struct HostNotification {
  KvGuid kind;
  uint8_t hostFields16[20];
  uint32_t flags;
  uint32_t hostField40;
  int32_t level;
  ItemPath oldPath;
  ItemPath newPath;
};

// Change flags of a HostNotification.
enum : uint32_t {
  kChangeResort = 0x10,  // with kChangeChanged: the start moved
  kChangeChanged = 0x10000,
  kChangeInserted = 0x20000,
  kChangeDeleted = 0x40000,
  kChangeMoved = 0x80000,
  kChangeInsertedAlt = 0x100000,
  kChangeReset = 0x200000,
  kChangeForceRefresh = 0x80000000,
};

// The time base record of HostTimeConverter::GetTimeBase.
struct HostTimeBase {
  uint32_t ticksPerQuarter;  // format 2; 0 until the host knows it
  uint8_t hostFields[28];
};

// Property payloads of HostPropertySet.
struct HostLoopProperty {
  int64_t start;
  int64_t end;
  uint32_t timeFormat;
  uint32_t reserved;
};
struct HostPositionProperty {
  int64_t position;
  uint32_t timeFormat;
  uint32_t reserved;
};
struct HostMeterProperty {
  uint32_t one;            // always 1
  uint32_t beatsPerMeasure;
  uint32_t beatUnitCode;   // 0-5: 1, 2, 4, 8, 16, 32; anything else reads as 4
};
enum : uint32_t { kTransportPlaying = 0x1, kTransportLoopOn = 0x10 };

#define KV_ASSERT_FIELD(type, field, off) static_assert(offsetof(type, field) == (off), #type "." #field)

static_assert(sizeof(ItemPath) == 12);
KV_ASSERT_FIELD(ItemPath, eventId, 8);
static_assert(sizeof(HostNotification) == 72);
KV_ASSERT_FIELD(HostNotification, flags, 36);
KV_ASSERT_FIELD(HostNotification, level, 44);
KV_ASSERT_FIELD(HostNotification, oldPath, 48);
KV_ASSERT_FIELD(HostNotification, newPath, 60);
static_assert(sizeof(HostTimeBase) == 32);
static_assert(sizeof(HostLoopProperty) == 24);
static_assert(sizeof(HostPositionProperty) == 16);
static_assert(sizeof(HostMeterProperty) == 12);

KV_ASSERT_FIELD(TrackInfo, channel, 16);
KV_ASSERT_FIELD(TrackInfo, velocityOffset, 20);
KV_ASSERT_FIELD(TrackInfo, pitchOffset, 24);
KV_ASSERT_FIELD(TrackInfo, orderKey, 28);
KV_ASSERT_FIELD(TrackInfo, name, 32);
KV_ASSERT_FIELD(BlockInfo, start, 16);
KV_ASSERT_FIELD(BlockInfo, end, 24);
KV_ASSERT_FIELD(BlockInfo, timeFormat, 32);
KV_ASSERT_FIELD(MidiEvent, flags, 4);
KV_ASSERT_FIELD(MidiEvent, port, 12);
KV_ASSERT_FIELD(MidiEvent, channel, 16);
KV_ASSERT_FIELD(MidiEvent, start, 24);
KV_ASSERT_FIELD(MidiEvent, timeFormat, 32);
KV_ASSERT_FIELD(MidiEvent, duration, 40);
KV_ASSERT_FIELD(HostPortRecord, guid, 4);

#if UINTPTR_MAX == 0xFFFFFFFFu
// 32-bit: the host's layouts exactly.
static_assert(sizeof(TrackInfo) == 36);
static_assert(sizeof(BlockInfo) == 48);
KV_ASSERT_FIELD(BlockInfo, name, 44);
static_assert(sizeof(MidiEvent) == 64);
KV_ASSERT_FIELD(MidiEvent, data, 44);
KV_ASSERT_FIELD(MidiEvent, payload, 44);
KV_ASSERT_FIELD(MidiEvent, hostFields, 48);
static_assert(sizeof(HostPortRecord) == 24);
KV_ASSERT_FIELD(HostPortRecord, name, 20);
#else
// 64-bit: same order, pointers aligned to 8.
static_assert(sizeof(TrackInfo) == 40);
static_assert(sizeof(BlockInfo) == 56);
KV_ASSERT_FIELD(BlockInfo, name, 48);
static_assert(sizeof(MidiEvent) == 72);
KV_ASSERT_FIELD(MidiEvent, data, 48);
KV_ASSERT_FIELD(MidiEvent, payload, 48);
KV_ASSERT_FIELD(MidiEvent, hostFields, 56);
static_assert(sizeof(HostPortRecord) == 32);
KV_ASSERT_FIELD(HostPortRecord, name, 24);
#endif

#undef KV_ASSERT_FIELD
