// The lane menu: a pop-up menu of lane kinds (command id = lane kind), built
// fresh from the events of the event list each time it is shown.
#pragma once

#include <windows.h>

#include "mididata/event_store.h"

// Owns a menu and its submenus.
class OwnedMenu {
 public:
  OwnedMenu() = default;
  ~OwnedMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  OwnedMenu(const OwnedMenu&) = delete;
  OwnedMenu& operator=(const OwnedMenu&) = delete;
  HMENU get() const { return menu_; }
  void Reset(HMENU menu) {
    if (menu_) DestroyMenu(menu_);
    menu_ = menu;
  }
  HMENU Release() {
    HMENU menu = menu_;
    menu_ = nullptr;
    return menu;
  }

 private:
  HMENU menu_ = nullptr;
};

HRESULT BuildLaneMenu(EventStore& store, int32_t currentLane, OwnedMenu* menu);
