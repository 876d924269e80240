// The clipboard block "Velora Zebu 1.0": a 12-byte header (version 1, kind 2,
// record count) and that many 64-byte event records in the 32-bit host layout,
// little-endian. The records are written field by field, so the 32-bit and the
// 64-bit builds (whose MidiEvent differ in size) produce the same bytes.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mididata/host_records.h"

inline constexpr size_t kClipHeaderSize = 12;
inline constexpr size_t kClipRecordSize = 64;
inline constexpr uint32_t kClipVersion = 1;
inline constexpr uint32_t kClipKind = 2;

inline constexpr size_t ClipBlockSize(uint32_t count) { return kClipHeaderSize + kClipRecordSize * count; }

void EncodeClipHeader(uint32_t count, uint8_t out[kClipHeaderSize]);

// The record count of a header in a block of blockSize bytes, or 0 when the
// block is refused: too short, another version or kind, no records, or more
// records than the block holds. A block may be longer than its records (the
// system rounds its size up).
uint32_t CheckClipHeader(const uint8_t* header, size_t blockSize);

// Long events are not carried: their payload pointer means nothing outside the
// copying process, so the data field is written as zero for them.
void EncodeClipRecord(const MidiEvent& event, uint8_t out[kClipRecordSize]);
void DecodeClipRecord(const uint8_t in[kClipRecordSize], MidiEvent* out);

// Whether a record read from a clipboard block may be inserted into the host:
// exactly one known type bit, and not a long type (it would carry a foreign
// payload pointer).
bool IsPastableRecord(const MidiEvent& event);
