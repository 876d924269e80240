// The track selector: the project's tracks by name, and choosing the one the
// editor shows.
#include "kvlib/kvchar.h"
#include "resources/resource_ids.h"
#include "shell/module_strings.h"
#include "shell/page/editor_frame.h"
#include "shell/page/frame_internal.h"
#include "shell/plugin/midi_plugin_base.h"

#include <cwchar>
#include <string>

namespace {
constexpr int32_t kNameLength = 256;
}  // namespace

void FillTrackSelector(EditorFrame& f, bool keepSelection) {
  MidiPluginBase* plugin = FramePlugin(f);
  HWND selector = GetDlgItem(f.window, IDC_TRACK_SELECTOR);
  if (!plugin || !selector) return;
  EventStore& store = plugin->store();
  int32_t wanted = 1;
  if (keepSelection) {
    wanted = SelectedTrack(f.window);
    TrackInfo info{};
    if (store.GetTrackInfo(wanted, &info, false) != S_OK) wanted = 1;
  }
  SendMessageW(selector, WM_SETREDRAW, FALSE, 0);
  SendMessageW(selector, CB_RESETCONTENT, 0, 0);
  const std::wstring numbered = LoadModuleString(IDS_TRACK_NUMBER);
  LRESULT wantedItem = CB_ERR;
  kvchar name[kNameLength];
  // Track 0 is the project's own and never listed.
  for (int32_t track = 1; store.GetTrackName(track, name, kNameLength) == S_OK; ++track) {
    wchar_t text[kNameLength];
    if (name[0]) {
      wcsncpy(text, reinterpret_cast<const wchar_t*>(name), kNameLength - 1);
      text[kNameLength - 1] = 0;
    } else {
      swprintf(text, kNameLength, numbered.c_str(), track + 1);
    }
    const LRESULT item = SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item < 0) break;
    SendMessageW(selector, CB_SETITEMDATA, item, track);
    if (track == wanted) wantedItem = item;
  }
  SendMessageW(selector, CB_SETCURSEL, wantedItem == CB_ERR ? 0 : wantedItem, 0);
  SendMessageW(selector, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(selector, nullptr, TRUE);
}

void SelectChosenTrack(EditorFrame& f) {
  MidiPluginBase* plugin = FramePlugin(f);
  if (!plugin) return;
  const int32_t track = SelectedTrack(f.window);
  if (track <= 0) return;
  plugin->store().SelectView(track, -1);
  if (f.trackview) {
    ReloadRollData(f.trackview);
    Relayout(f.trackview, true);
  }
}
