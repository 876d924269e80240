// Building the lane menu from one scan of the event list.
#include "mididata/lane_menu.h"

#include <cwchar>

#include "mididata/edit_walk.h"
#include "mididata/lane_descriptor.h"
#include "mididata/lane_menu_model.h"
#include "mididata/vocabulary.h"
#include "resources/vocabulary_ids.h"

namespace {

constexpr int32_t kItemText = 128;

HRESULT ScanLanes(EventStore& store, LaneEventScan* scan) {
  return WalkEvents(store, [&](int32_t, const ItemPath&, const MidiEvent& e) -> HRESULT {
    if (e.type == kEvNoteOn) scan->noteOn = true;
    if (e.type == kEvPitchBend) scan->pitchBend = true;
    if (e.type == kEvControlChange) scan->controller[e.data[0] & 127] = true;
    return S_OK;
  });
}

HRESULT AppendItem(HMENU menu, const LaneMenuItem& item) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  if (item.id == 0) {
    info.fMask = MIIM_FTYPE;
    info.fType = MFT_SEPARATOR;
  } else {
    kvchar text[kItemText];
    LaneName(item.id, text, kItemText - 2);
    RemoveFirstMsb(text);
    if (item.hasEvents) wcscat(text, L" *");
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.fType = MFT_STRING | (item.current ? MFT_RADIOCHECK : 0) | (item.newColumn ? MFT_MENUBARBREAK : 0);
    info.fState = (item.current ? MFS_CHECKED : 0) | (item.disabled ? MFS_DISABLED : 0);
    info.wID = static_cast<UINT>(item.id);
    info.dwTypeData = text;
  }
  return InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info) ? S_OK : E_FAIL;
}

}  // namespace

HRESULT BuildLaneMenu(EventStore& store, int32_t currentLane, OwnedMenu* menu) {
  LaneEventScan scan;
  HRESULT hr = ScanLanes(store, &scan);
  if (FAILED(hr)) return hr;
  const LaneMenuModel model = BuildLaneMenuModel(scan, currentLane);

  OwnedMenu top;
  top.Reset(CreatePopupMenu());
  HMENU all = CreatePopupMenu();
  if (!top.get() || !all) {
    if (all) DestroyMenu(all);
    return E_OUTOFMEMORY;
  }
  for (const LaneMenuItem& item : model.top)
    if (FAILED(hr = AppendItem(top.get(), item))) break;
  for (size_t i = 0; SUCCEEDED(hr) && i < model.controllers.size(); ++i) hr = AppendItem(all, model.controllers[i]);
  kvchar title[kItemText];
  LoadVocabulary(IDS_ALL_CONTROLLERS, title, kItemText);
  if (FAILED(hr) || !AppendMenuW(top.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(all), title)) {
    DestroyMenu(all);  // not attached to the top menu
    return FAILED(hr) ? hr : E_FAIL;
  }
  menu->Reset(top.Release());
  return S_OK;
}
