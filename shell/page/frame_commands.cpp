// The editor frame's commands: the toolbar's, the transport strip's, the
// logo strip's, and those the piano roll passes up; solo, loop and the loop
// synchronisation with the host.
#include <algorithm>

#include "kvlib/context_help.h"
#include "mididata/edit_commit.h"
#include "pianoroll/snap.h"
#include "resources/resource_ids.h"
#include "shell/dialogs/dialogs.h"
#include "shell/module_strings.h"
#include "shell/page/editor_frame.h"
#include "shell/page/frame_internal.h"
#include "shell/plugin/midi_plugin_base.h"
#include "trackview/wide_math.h"

namespace {

constexpr uint32_t kSoloMask = 0x1000;
constexpr int kGeneralTopic = 39400;

HostPropertySet* Properties(const EditorFrame& f) {
  MidiPluginBase* plugin = FramePlugin(f);
  return plugin ? plugin->store().host().properties : nullptr;
}

void PostUpdate(const EditorFrame& f) { PostMessageW(f.window, WM_EDITOR_UPDATEUI, 0, 0); }

void ToggleSolo(EditorFrame& f) {
  MidiPluginBase* plugin = FramePlugin(f);
  const int32_t track = SelectedTrack(f.window);
  if (!plugin || track <= 0) return;
  EventStore& store = plugin->store();
  TrackInfo info{};
  if (store.GetTrackInfo(track, &info, false) != S_OK) return;
  uint32_t flags = 0;
  std::copy(info.hostFields, info.hostFields + sizeof flags, reinterpret_cast<uint8_t*>(&flags));
  flags ^= 1;
  std::copy(reinterpret_cast<const uint8_t*>(&flags), reinterpret_cast<const uint8_t*>(&flags) + sizeof flags,
            info.hostFields);
  const std::wstring label = LoadModuleString(IDS_SOLO_LABEL);
  SetTrackInfo(store, track, info, kSoloMask, label.c_str());
}

// Loop playback on exactly when it was off, the region unchanged; a state
// that cannot be read counts as off.
void ToggleHostLoop(EditorFrame& f) {
  HostPropertySet* props = Properties(f);
  if (!props) return;
  uint32_t transport = 0;
  const bool readable = SUCCEEDED(props->GetProperty(PROP_Transport, 0, 0, 0, sizeof transport, &transport));
  const bool on = readable && (transport & kTransportLoopOn);
  transport = on ? transport & ~kTransportLoopOn : transport | kTransportLoopOn;
  props->SetProperty(PROP_Transport, 0, 0, sizeof transport, &transport);
}

void RunTransport(EditorFrame& f, UINT command) {
  Trackview* view = f.trackview;
  if (!view || !view->transport) return;
  const TransportCallbacks& t = *view->transport;
  switch (command) {
    case 4020:
      if (t.play) t.play(view, 1);
      break;
    case 4021:
      if (t.play) t.play(view, 0);
      break;
    case 4022:
      if (t.stop && !t.stop(view, 1) && t.play) t.play(view, 0);
      break;
    case 4023:
      if (t.stop) t.stop(view, 0);
      break;
    case 4024:
    case 4025: {
      const int64_t to = command == 4024 ? 0 : std::max<int64_t>(FramePrefs(f)->dataLength, 0);
      SetCursorPos(view, to, 0, kCursorFollow);
      SetCursorVisible(view, view->cursorPos, 0, 0);
      break;
    }
    default:
      break;
  }
}

void SetSetting(EditorFrame& f, UINT command) {
  EditorPrefs& prefs = *FramePrefs(f);
  if (command >= 6000 && command <= 6018) {
    prefs.gridValue = GridCodeOfRow(static_cast<int>(command - kFirstGridCommand));
  } else if (command >= 7000 && command <= 7021) {
    prefs.paintNoteValue = PaintCodeOfRow(static_cast<int>(command - kFirstPaintCommand));
  } else if (command >= 7200 && command <= 7211) {
    prefs.keyRoot = std::clamp(static_cast<int32_t>(command) - kFirstRootCommand, 0, 11);
  } else {
    prefs.scaleIndex = std::max(static_cast<int32_t>(command) - kFirstScaleCommand, 0);
  }
  if (f.trackview) {
    RecomputeSnapGrid(f.trackview);
    InvalidateNotes(f.trackview);
    if (command >= 7200) Relayout(f.trackview, false);
    InvalidateAreas(f.trackview, kAreaAll);
  }
  if (command >= 7200) PostUpdate(f);
}

}  // namespace

void RunFrameCommand(EditorFrame& f, UINT command, UINT notification) {
  MidiPluginBase* plugin = FramePlugin(f);
  if (!plugin) return;
  switch (command) {
    case IDC_TRACK_SELECTOR:
      if (notification == CBN_SELCHANGE) SelectChosenTrack(f);
      return;
    case 4000:
    case 4001:
    case 4002:
    case 4003: {
      static constexpr UINT kEdits[] = {WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR};
      if (HWND focus = GetFocus()) SendMessageW(focus, kEdits[command - 4000], 0, 0);
      return;
    }
    case 4005:
      RunQuantizeDialog(f.window, *plugin);
      if (f.trackview) InvalidateNotes(f.trackview);
      PostUpdate(f);
      return;
    case 4010:
    case 4011:
    case 4012:
    case 4013:
    case 4014:
      if (f.trackview) SelectRollTool(f.trackview, static_cast<int>(command - 4010));
      PostUpdate(f);
      return;
    case 4020:
    case 4021:
    case 4022:
    case 4023:
    case 4024:
    case 4025:
      RunTransport(f, command);
      return;
    case 4026:
      ToggleSolo(f);
      PostUpdate(f);
      return;
    case 4027:
      ToggleHostLoop(f);
      if (f.trackview) ToggleLoopPlayback(f.trackview);
      PostUpdate(f);
      return;
    case 4040:
      RunPreferencesDialog(f.window, *plugin);
      // Notes sounding on the old port would never hear their Note Off.
      if (f.trackview) {
        StopSounding(f.trackview);
        Relayout(f.trackview, true);
      }
      PostUpdate(f);
      return;
    case 4041:
    case 4043:
      if (f.trackview) RunRollCommand(f.trackview, command, -1);
      return;
    case 4042:
      if (!OutputAvailable(f)) return;
      plugin->prefs().monitor = !plugin->prefs().monitor;
      PostUpdate(f);
      return;
    case 41000: {
      POINT p;
      GetCursorPos(&p);
      KvContextHelp_Show(f.window, kGeneralTopic, p);
      return;
    }
    case 41001:
      RunAboutBox(f.window);
      return;
    default:
      if ((command >= 6000 && command <= 6018) || (command >= 7000 && command <= 7021) ||
          (command >= 7200 && command <= 7211) || (command >= 7300 && command <= 7317)) {
        SetSetting(f, command);
      }
      return;
  }
}

void SyncLoop(EditorFrame& f) {
  HostPropertySet* props = Properties(f);
  if (!props || !f.trackview) return;
  HostLoopProperty loop{0, 0, kTimeTicks, 0};
  uint32_t transport = 0;
  if (FAILED(props->GetProperty(PROP_Loop, 0, 0, 0, sizeof loop, &loop)) ||
      FAILED(props->GetProperty(PROP_Transport, 0, 0, 0, sizeof transport, &transport))) {
    return;
  }
  const bool on = (transport & kTransportLoopOn) != 0;
  if (on != IsLoopPlayback(f.trackview)) ToggleLoopPlayback(f.trackview);
  const int64_t length = std::max<int64_t>(SatSub(loop.end, loop.start), 0);
  if (f.trackview->loopStart != loop.start || f.trackview->loopLength != length)
    SetLoopRegion(f.trackview, loop.start, length);
}
