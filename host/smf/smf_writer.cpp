// Writing: absolute ticks become deltas, channel messages share running
// status, and every track ends with an end of track.
#include <algorithm>

#include "host/smf/smf_file.h"

namespace {

void Big(std::vector<uint8_t>& out, uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Quantity(std::vector<uint8_t>& out, uint32_t value) {
  value = std::min<uint32_t>(value, 0x0FFFFFFF);  // four bytes at most
  uint8_t groups[4];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (count--) out.push_back(static_cast<uint8_t>(groups[count] | (count ? 0x80 : 0)));
}

void Payload(std::vector<uint8_t>& out, const std::vector<uint8_t>& data) {
  Quantity(out, static_cast<uint32_t>(std::min<size_t>(data.size(), 0x0FFFFFFF)));
  out.insert(out.end(), data.begin(), data.begin() + std::min<size_t>(data.size(), 0x0FFFFFFF));
}

std::vector<uint8_t> TrackBytes(const SmfTrack& track) {
  std::vector<uint8_t> out;
  int64_t previous = 0;
  uint8_t running = 0;
  for (const SmfEvent& e : track.events) {
    if (e.status == kSmfMeta && e.metaType == kSmfEndOfTrack) continue;  // written once, last
    int64_t delta = std::clamp<int64_t>(e.tick - previous, 0, 0x0FFFFFFF);
    previous += delta;
    Quantity(out, static_cast<uint32_t>(delta));
    if (e.status >= 0x80 && e.status < 0xF0) {
      if (e.status != running) out.push_back(e.status);
      running = e.status;
      int count = (e.status & 0xF0) == 0xC0 || (e.status & 0xF0) == 0xD0 ? 1 : 2;
      for (int i = 0; i < count; ++i) out.push_back(i < static_cast<int>(e.data.size()) ? e.data[i] & 0x7F : 0);
    } else if (e.status == 0xF0 || e.status == 0xF7) {
      running = 0;
      out.push_back(e.status);
      Payload(out, e.data);
    } else {
      running = 0;
      out.push_back(kSmfMeta);
      out.push_back(e.metaType);  // any type byte a file holds comes back
      Payload(out, e.data);
    }
  }
  Quantity(out, static_cast<uint32_t>(std::clamp<int64_t>(track.endTick - previous, 0, 0x0FFFFFFF)));
  out.insert(out.end(), {kSmfMeta, kSmfEndOfTrack, 0x00});
  return out;
}

}  // namespace

std::vector<uint8_t> WriteSmf(const SmfFile& file) {
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
  Big(out, 6, 4);
  Big(out, file.format, 2);
  Big(out, static_cast<uint32_t>(std::min<size_t>(file.tracks.size(), 0xFFFF)), 2);
  Big(out, file.ticksPerQuarter & 0x7FFF, 2);
  for (size_t i = 0; i < file.tracks.size() && i < 0xFFFF; ++i) {
    std::vector<uint8_t> track = TrackBytes(file.tracks[i]);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Big(out, static_cast<uint32_t>(track.size()), 4);
    out.insert(out.end(), track.begin(), track.end());
  }
  return out;
}
