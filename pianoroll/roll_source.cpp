// The data source: rows, time text, the grid lines and the settings the
// engine reads.
#include "kvlib/time_text.h"
#include "pianoroll/pianoroll.h"
#include "pianoroll/snap.h"

bool RollSource::BlackKey(int pitch) {
  static constexpr bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
  return pitch >= 0 && kBlack[pitch % 12];
}

void RollSource::ReadBlockEnds() {
  const int32_t track = store_.CurrentTrack();
  const int32_t blocks = store_.BlockCount(track);
  for (int32_t i = 0; i < blocks; ++i) {
    ItemPath path{};
    BlockInfo info{};
    if (store_.BlockPathAt(track, i, &path) != S_OK || store_.GetBlockInfo(path, &info) != S_OK) continue;
    CoTaskMemFree(info.name);
    if (info.timeFormat == kTimeTicks && info.end > prefs_.dataLength) prefs_.dataLength = info.end;
  }
}

int RollSource::TimeText(int64_t tick, bool beatsOnly, wchar_t* buffer, int size) {
  if (size <= 0) return 0;
  return KvTicksToText(buffer, static_cast<size_t>(size), timeBase_, tick, true, beatsOnly, 1);
}

GridLineSetting RollSource::GridLines() {
  bool snapping = prefs_.snapEnabled && prefs_.gridSwitch;
  double ticks = prefs_.gridValue == 0 ? 0.0 : GridCodeLength(prefs_.gridValue, timeBase_, 1.0);
  return GridLineSetting{ticks, 6, snapping};
}

UINT RollSource::GridCommand() {
  int row = GridRowOf(prefs_.gridValue);
  return row < 0 ? 0 : static_cast<UINT>(kFirstGridCommand + row);
}
