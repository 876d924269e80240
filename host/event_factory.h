// Event records as tests and the self-check write them: ticks, channel, data
// bytes; every host field zero.
#pragma once

#include <cstdint>

#include "mididata/host_records.h"

namespace refhost {

MidiEvent Note(int64_t start, int32_t duration, uint8_t pitch, uint8_t velocity = 100, int32_t channel = 0);
MidiEvent ShortEvent(uint32_t type, int64_t start, uint8_t data1, uint8_t data2 = 0, int32_t channel = 0);
MidiEvent Controller(int64_t start, uint8_t controller, uint8_t value, int32_t channel = 0);
// value -8192 to 8191, stored as LSB and MSB.
MidiEvent PitchBend(int64_t start, int value, int32_t channel = 0);
// A long event (Sysex, Meta, ...); its length and bytes come with AddEvent.
MidiEvent LongEvent(uint32_t type, int64_t start);
MidiEvent Selected(MidiEvent e, bool selected = true);

}  // namespace refhost
