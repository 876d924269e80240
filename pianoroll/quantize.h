// Quantize: the resolutions of the MIDI Quantize dialog, the packed
// parameter word that carries the choice, and the rounding of one event.
// Platform-free.
#pragma once

#include <cstdint>

#include "mididata/host_records.h"

inline constexpr int kQuantizeResolutions = 11;
inline constexpr uint32_t kQuantizeTriplet = 0x20000;
inline constexpr uint32_t kQuantizeStarts = 0x20000000;
inline constexpr uint32_t kQuantizeDurations = 0x40000000;
inline constexpr uint32_t kQuantizeValid = 0x80000000;

// A whole note in ticks for the ticks per quarter note and the beat unit
// code (0..5) of the host's time signature.
int64_t WholeNote(uint32_t ticksPerQuarter, int32_t beatUnitCode);
// The quantum of a resolution index (0..10; others count as 0).
int64_t Quantum(int index, int64_t whole);
// The word for a dialog choice, keeping the bits the choice does not own.
uint32_t QuantizeWord(int index, bool starts, bool durations, uint32_t previous);
int QuantizeIndex(uint32_t word);
// Rounds one event in place: the start to the nearest multiple of the
// quantum (halves later), the duration of a Note On down to a multiple (a
// shorter one up to the quantum). False when the event is not quantized:
// not of the type mask, an invalid word, a quantum below one tick, or a
// time that is not in ticks.
bool QuantizeEvent(MidiEvent* event, uint32_t typeMask, uint32_t word, int64_t whole);
