#include "host/smf/tempo_map.h"

#include <algorithm>
#include <cmath>

TempoMap::TempoMap(const ProjectImage& project) : ticksPerQuarter_(std::max<uint16_t>(project.ticksPerQuarter, 1)) {
  std::vector<std::pair<int64_t, uint32_t>> changes;
  for (const ProjectTrack& track : project.tracks) {
    for (const ProjectEvent& e : track.events) {
      const std::vector<uint8_t>& p = e.payload;
      if (e.record.type == kEvMeta && p.size() >= 4 && p[0] == 0x51)
        changes.emplace_back(e.record.start, (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]);
    }
  }
  Build(std::move(changes));
}

TempoMap::TempoMap(uint16_t ticksPerQuarter, std::vector<std::pair<int64_t, uint32_t>> changes)
    : ticksPerQuarter_(std::max<uint16_t>(ticksPerQuarter, 1)) {
  Build(std::move(changes));
}

void TempoMap::Build(std::vector<std::pair<int64_t, uint32_t>> changes) {
  std::stable_sort(changes.begin(), changes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  segments_.push_back({0, 0.0, kDefaultMicrosPerQuarter});
  for (const auto& [tick, perQuarter] : changes) {
    if (perQuarter == 0) continue;  // a tempo of no length per beat means nothing
    const int64_t at = std::max<int64_t>(tick, 0);
    Segment& last = segments_.back();
    if (at == last.tick) {
      last.perQuarter = perQuarter;  // the later of two changes at one tick holds
      continue;
    }
    const double micros = last.micros + static_cast<double>(at - last.tick) * last.perQuarter / ticksPerQuarter_;
    segments_.push_back({at, micros, perQuarter});
  }
}

const TempoMap::Segment& TempoMap::SegmentAtTick(int64_t tick) const {
  auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                [](int64_t t, const Segment& s) { return t < s.tick; });
  return after == segments_.begin() ? segments_.front() : *(after - 1);
}

double TempoMap::MicrosAt(int64_t tick) const {
  const Segment& s = SegmentAtTick(tick);
  return s.micros + static_cast<double>(tick - s.tick) * s.perQuarter / ticksPerQuarter_;
}

uint32_t TempoMap::MicrosPerQuarterAt(int64_t tick) const { return SegmentAtTick(tick).perQuarter; }

int64_t TempoMap::TickAt(double micros) const {
  auto after = std::upper_bound(segments_.begin(), segments_.end(), micros,
                                [](double m, const Segment& s) { return m < s.micros; });
  const Segment& s = after == segments_.begin() ? segments_.front() : *(after - 1);
  const double ticks = (micros - s.micros) * ticksPerQuarter_ / s.perQuarter;
  return s.tick + static_cast<int64_t>(std::floor(std::max(ticks, 0.0)));
}
