#include "host/event_factory.h"

namespace refhost {

MidiEvent ShortEvent(uint32_t type, int64_t start, uint8_t data1, uint8_t data2, int32_t channel) {
  MidiEvent e{};
  e.type = type;
  e.channel = channel;
  e.start = start;
  e.timeFormat = kTimeTicks;
  e.data[0] = data1;
  e.data[1] = data2;
  return e;
}

MidiEvent Note(int64_t start, int32_t duration, uint8_t pitch, uint8_t velocity, int32_t channel) {
  MidiEvent e = ShortEvent(kEvNoteOn, start, pitch, velocity, channel);
  e.duration = duration;
  return e;
}

MidiEvent Controller(int64_t start, uint8_t controller, uint8_t value, int32_t channel) {
  return ShortEvent(kEvControlChange, start, controller, value, channel);
}

MidiEvent PitchBend(int64_t start, int value, int32_t channel) {
  const int raw = value + 8192;
  return ShortEvent(kEvPitchBend, start, static_cast<uint8_t>(raw & 0x7F), static_cast<uint8_t>((raw >> 7) & 0x7F),
                    channel);
}

MidiEvent LongEvent(uint32_t type, int64_t start) {
  MidiEvent e{};
  e.type = type;
  e.start = start;
  e.timeFormat = kTimeTicks;
  return e;
}

MidiEvent Selected(MidiEvent e, bool selected) {
  e.flags = selected ? (e.flags | kEventSelected) : (e.flags & ~kEventSelected);
  return e;
}

}  // namespace refhost
