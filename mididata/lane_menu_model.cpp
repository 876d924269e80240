// The lane menu's items.
#include "mididata/lane_menu_model.h"

namespace {

constexpr int32_t kCommonControllers[] = {1, 2, 4, 5, 7, 8, 10, 11, 64};
constexpr int32_t kColumnLength = 32;

bool IsCommon(int32_t controller) {
  for (int32_t c : kCommonControllers)
    if (c == controller) return true;
  return false;
}

LaneMenuItem Item(int32_t id, bool hasEvents, int32_t currentLane) {
  return LaneMenuItem{id, hasEvents, id == currentLane, false, false};
}

constexpr LaneMenuItem kSeparator{0, false, false, false, false};

}  // namespace

bool IsUnselectableController(int32_t n) {
  return n == 0 || n == 6 || n == 32 || n == 38 || (n >= 96 && n <= 101) || (n >= 120 && n <= 127);
}

LaneMenuModel BuildLaneMenuModel(const LaneEventScan& scan, int32_t currentLane) {
  LaneMenuModel m;
  m.top.push_back(Item(kLaneVelocity, scan.noteOn, currentLane));
  m.top.push_back(Item(kLanePitchBend, scan.pitchBend, currentLane));
  for (int32_t c : kCommonControllers)
    m.top.push_back(Item(kLaneControllerBase + c, scan.controller[c], currentLane));
  m.top.push_back(kSeparator);

  bool others = false;
  for (int32_t c = 0; c < 128; ++c) {
    if (IsCommon(c) || !scan.controller[c]) continue;
    m.top.push_back(Item(kLaneControllerBase + c, true, currentLane));
    others = true;
  }
  if (others) m.top.push_back(kSeparator);

  for (int32_t c = 0; c < 128; ++c) {
    LaneMenuItem item = Item(kLaneControllerBase + c, scan.controller[c], currentLane);
    item.disabled = IsUnselectableController(c);
    item.newColumn = c > 0 && c % kColumnLength == 0;
    m.controllers.push_back(item);
  }
  return m;
}

void RemoveFirstMsb(kvchar* text) {
  static const kvchar kMsb[] = {' ', 'M', 'S', 'B', 0};
  for (kvchar* p = text; *p; ++p) {
    int32_t i = 0;
    while (kMsb[i] && p[i] == kMsb[i]) ++i;
    if (kMsb[i]) continue;
    kvchar* rest = p + i;
    while ((*p++ = *rest++)) {
    }
    return;
  }
}
