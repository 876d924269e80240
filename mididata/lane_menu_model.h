// The items of the lane menu, worked out from which lanes have events and
// which lane is current; the Windows side turns them into a pop-up menu.
// Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "kvlib/kvchar.h"

// Lane ids: 1000 + n for controller n, then velocity and pitch bend.
inline constexpr int32_t kLaneControllerBase = 1000;
inline constexpr int32_t kLaneVelocity = 1128;
inline constexpr int32_t kLanePitchBend = 1129;

// What one scan of the event list found.
struct LaneEventScan {
  bool noteOn = false;
  bool pitchBend = false;
  bool controller[128] = {};
};

struct LaneMenuItem {
  int32_t id;          // lane id; 0 for a separator
  bool hasEvents;      // shown with " *"
  bool current;        // radio mark
  bool disabled;
  bool newColumn;      // starts a new column of the submenu
};

struct LaneMenuModel {
  std::vector<LaneMenuItem> top;          // before the submenu
  std::vector<LaneMenuItem> controllers;  // "All Continuous Controllers"
};

LaneMenuModel BuildLaneMenuModel(const LaneEventScan& scan, int32_t currentLane);

// Controllers that are listed in the submenu but cannot be chosen: bank select,
// data entry, the parameter-number controllers and the channel mode messages.
bool IsUnselectableController(int32_t controller);

// Removes the first " MSB" from a text, in place.
void RemoveFirstMsb(kvchar* text);
