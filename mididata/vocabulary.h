// The MIDI vocabulary from the module's string table: names of event types,
// controllers and programs, and the text the editor shows for an event.
#pragma once

#include <windows.h>

#include <cstdint>

#include "mididata/host_records.h"

// Column of DescribeEvent that gives the event's type name.
inline constexpr int32_t kDescribeTypeName = 1024;
// Columns of the event's subject (note, controller, program, parameter, meta
// or command name) and of its value.
inline constexpr int32_t kDescribeSubject = 0;
inline constexpr int32_t kDescribeValue = 1;

// Loads string id of the module into buffer (always terminated); the number
// of characters, 0 when the string is missing.
int32_t LoadVocabulary(uint32_t id, kvchar* buffer, int32_t capacity);

// "Bank MSB" ... for controllers 0-127, "Undefined CC" otherwise.
void ControllerName(int32_t controller, kvchar* buffer, int32_t capacity);

// The text of one column of an event (stored form as read from the host;
// long events need their payload). S_FALSE with an empty text when the
// column says nothing for this event.
HRESULT DescribeEvent(const MidiEvent& event, kvchar* buffer, int32_t capacity, int32_t column);
