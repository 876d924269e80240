// A song's tempo map: where each tempo starts, and the conversion between
// ticks and microseconds through it. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "host/smf/smf_project.h"

inline constexpr uint32_t kDefaultMicrosPerQuarter = 500000;  // 120 beats a minute

class TempoMap {
 public:
  // The tempo events (meta 0x51) of every track.
  TempoMap(const ProjectImage& project);
  TempoMap(uint16_t ticksPerQuarter, std::vector<std::pair<int64_t, uint32_t>> changes);

  double MicrosAt(int64_t tick) const;
  int64_t TickAt(double micros) const;  // the last tick at or before the time
  uint32_t MicrosPerQuarterAt(int64_t tick) const;

 private:
  struct Segment {
    int64_t tick;
    double micros;  // the time at which it starts
    uint32_t perQuarter;
  };
  void Build(std::vector<std::pair<int64_t, uint32_t>> changes);
  const Segment& SegmentAtTick(int64_t tick) const;

  double ticksPerQuarter_;
  std::vector<Segment> segments_;  // the first starts at tick 0
};
