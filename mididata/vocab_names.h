// The platform-free half of the MIDI vocabulary: note names, which string of
// the table names a type, controller, parameter or command, and the values
// that event descriptions show.
#pragma once

#include <cstdint>

#include "kvlib/kvchar.h"
#include "mididata/host_records.h"

// "C5" for note 60; flats ("Db5" for 61) name the note of a Poly Pressure
// event. Notes outside 0-127 are wrapped into it. Always terminated.
void NoteName(int32_t note, bool flats, kvchar* buffer, int32_t capacity);

// String ids (resources/vocabulary_ids.h).
uint32_t EventTypeStringId(uint32_t type);
uint32_t ControllerStringId(int32_t controller);
uint32_t ProgramStringId(int32_t program);
// Registered parameter: 0-4 with MSB 0, else the unknown one.
uint32_t RpnStringId(uint8_t msb, uint8_t lsb);
// A meta type's name, or 0 for an unknown type (named "Unknown Meta: %d").
uint32_t MetaStringId(uint8_t metaType);
// A MIDI Machine Control command's name, or 0 for one without a name.
uint32_t MmcStringId(uint8_t command);

// Pitch bend as (MSB - 64) x 128 + LSB: -8192 to 8191.
inline int32_t PitchBendValue(uint8_t lsb, uint8_t msb) { return (msb - 64) * 128 + lsb; }
inline int32_t BankNumber(uint8_t msb, uint8_t lsb) { return msb * 128 + lsb; }

// Beats per minute of a tempo in microseconds per quarter note, rounded to a
// thousandth; 0 for a tempo of 0.
double TempoBpm(uint32_t microsecondsPerQuarter);

// A Sysex payload 7F, device, 06 or 07, command, ..., F7 longer than 4 bytes is
// MIDI Machine Control; *command receives its command byte.
bool IsMachineControl(const uint8_t* payload, int32_t length, uint8_t* command);
