// Display order of the event list: start time, then the order key of the
// event's track, then the effective channel (-1 first). Platform-free.
#pragma once

#include <cstdint>

struct DisplayKey {
  int64_t start;
  int32_t orderKey;
  int32_t channel;  // effective channel: the track's forced one, else the event's
};

inline int CompareDisplay(const DisplayKey& a, const DisplayKey& b) {
  if (a.start != b.start) return a.start < b.start ? -1 : 1;
  if (a.orderKey != b.orderKey) return a.orderKey < b.orderKey ? -1 : 1;
  if (a.channel == b.channel) return 0;
  if (a.channel == -1) return -1;
  if (b.channel == -1) return 1;
  return a.channel < b.channel ? -1 : 1;
}

inline int32_t EffectiveChannel(int32_t trackChannel, int32_t eventChannel) {
  return trackChannel == -1 ? eventChannel : trackChannel;
}

// The channels a track forces: one bit, or all 16 for -1.
inline uint16_t ChannelBits(int32_t trackChannel) {
  if (trackChannel == -1) return 0xFFFF;
  return (trackChannel >= 0 && trackChannel < 16) ? static_cast<uint16_t>(1u << trackChannel) : 0;
}

inline bool ChannelAdmitted(int32_t effectiveChannel, uint32_t channelMask) {
  if (effectiveChannel == -1) return true;
  return effectiveChannel >= 0 && effectiveChannel < 32 && ((channelMask >> effectiveChannel) & 1u);
}

// Insert index in a sorted range of n items by halving: the lower middle is
// probed, an equal probe gives its own index (the new item goes before it).
// compareAt(i) compares the key with item i (negative: key is before it).
template <class CompareAt>
int32_t BisectInsertIndex(int32_t n, CompareAt&& compareAt) {
  int32_t lo = 0;
  int32_t d = n;
  int32_t result = 0;
  while (d > 0) {
    if (d == 1) {
      result = compareAt(lo) > 0 ? lo + 1 : lo;
      break;
    }
    const int32_t probe = (d & 1) ? lo + d / 2 : lo + d / 2 - 1;
    const int c = compareAt(probe);
    if (c == 0) return probe;
    if (c < 0) {
      d = (d & 1) ? d / 2 : d / 2 - 1;
      result = probe;
    } else {
      lo = probe + 1;
      d = d / 2;
      result = probe + 1;
    }
  }
  return result;
}
