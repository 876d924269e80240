// The piano roll's side of the engine's client tables: the hooks, the
// transport through the host's properties, and the command handler.
#include <algorithm>

#include "mididata/clipboard.h"
#include "mididata/edit_gestures.h"
#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

HostPropertySet* Properties(Trackview* view) { return Store(view).host().properties; }

struct Position {
  int64_t ticks;
  uint32_t format, reserved;
};

int64_t HostPosition(Trackview* view) {
  Position p{0, kTimeTicks, 0};
  HostPropertySet* props = Properties(view);
  if (!props || FAILED(props->GetProperty(PROP_Position, 0, 0, 0, sizeof p, &p))) return view->playPos;
  return p.ticks;
}

void SetHostPosition(Trackview* view, int64_t tick) {
  HostPropertySet* props = Properties(view);
  if (tick < 0 || !props) return;
  Position p{tick, kTimeTicks, 0};
  props->SetProperty(PROP_Position, 0, 0, sizeof p, &p);
}

uint32_t TransportBits(Trackview* view) {
  uint32_t bits = 0;
  HostPropertySet* props = Properties(view);
  if (props) props->GetProperty(PROP_Transport, 0, 0, 0, sizeof bits, &bits);
  return bits;
}

void SetTransportBits(Trackview* view, uint32_t bits) {
  if (HostPropertySet* props = Properties(view)) props->SetProperty(PROP_Transport, 0, 0, sizeof bits, &bits);
}

void Play(Trackview* view, int mode) {
  if (mode == 2) {
    MovePlaybackLine(view, HostPosition(view));
    return;
  }
  int64_t from = mode == 1 ? 0 : view->cursorPos;
  uint32_t bits = TransportBits(view);
  SetHostPosition(view, from);
  if (!(bits & 1)) SetTransportBits(view, bits | 1);
  if (!IsPlaying(view)) StartPlayback(view, from);
  MovePlaybackLine(view, from);
}

BOOL Stop(Trackview* view, int pausing) {
  if (pausing) SetCursorPos(view, HostPosition(view), 0, kCursorFollow);
  uint32_t bits = TransportBits(view);
  bool playing = (bits & 1) || IsPlaying(view);
  if (bits & 1) SetTransportBits(view, bits & ~1u);
  if (IsPlaying(view)) StopPlayback(view);
  return playing;
}

LRESULT Help(Trackview* view, WPARAM, LPARAM lParam) {
  const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
  if (!info || info->hItemHandle != view->window) return 0;
  POINT p = info->MousePos;
  ScreenToClient(view->window, &p);
  for (int i = 0; i < 16; ++i) {
    TrackviewPane* pane = view->panes[i];
    RECT r{pane->left, pane->top, pane->right, pane->bottom};
    if (!PtInRect(&r, p)) continue;
    if (!pane->callbacks || !pane->callbacks->help) return 0;
    pane->callbacks->help(view, pane, p.x, p.y);
    return 1;
  }
  return 0;
}

LRESULT Edit(Trackview* view, UINT msg, WPARAM wParam, LPARAM) {
  if (view->dragMode != 0) SendMessageW(view->window, WM_CANCELMODE, 0, 0);
  switch (msg) {
    case WM_CUT: RunRollCommand(Roll(view), 4000, -1); break;
    case WM_COPY: RunRollCommand(Roll(view), 4001, -1); break;
    case WM_PASTE: RunRollCommand(Roll(view), 4002, -1); break;
    case WM_CLEAR: RunRollCommand(Roll(view), 4003, -1); break;
    case kMsgSelectAll:
      Store(view).SelectAllNotes(wParam == 0);
      InvalidateNotes(Roll(view));
      PostStateRefresh(view);
      break;
    default: break;
  }
  return 0;
}

int SelectionChanged(Trackview* view, uint32_t) {
  InvalidateAreas(view, kAreaNoData | kAreaHeader);
  bool playing = TransportBits(view) & 1;
  if (!playing) SetHostPosition(view, view->cursorPos);
  return playing;
}

struct LoopRecord {
  int64_t start, end;
  uint32_t format, reserved;
};

void LoopChanged(Trackview* view, int) {
  HostPropertySet* props = Properties(view);
  if (!props) return;
  LoopRecord host{};
  props->GetProperty(PROP_Loop, 0, 0, 0, sizeof host, &host);
  LoopRecord ours{view->loopStart, SatAdd(view->loopStart, view->loopLength), kTimeTicks, 0};
  if (host.start != ours.start || host.end != ours.end) props->SetProperty(PROP_Loop, 0, 0, sizeof ours, &ours);
}

int TimeText(Trackview* view, int64_t position, wchar_t* buffer, int size) {
  return Roll(view)->roll->TimeText(position, false, buffer, size);
}

void Refresh(Trackview* view) {
  InvalidateNotes(Roll(view));
  PostStateRefresh(view);
}

}  // namespace

const TrackviewHooks kRollHooks = {
    Help,
    [](Trackview* view, WPARAM wParam, LPARAM) -> LRESULT {
      RunRollCommand(Roll(view), LOWORD(wParam), view->hitRow);
      return 0;
    },
    [](Trackview*, WPARAM, LPARAM) -> LRESULT { return 0; },
    Edit,
    [](Trackview* view, UINT, WPARAM, LPARAM) { InvalidateNotes(Roll(view)); },
    nullptr,
    [](Trackview*, UINT, WPARAM, LPARAM) -> LRESULT { return 0; },
    SelectionChanged,
    LoopChanged,
    TimeText,
    nullptr,
    nullptr,
};

const TransportCallbacks kRollTransport = {
    Play, Stop, SetHostPosition, nullptr, HostPosition, nullptr,
};

void RunRollCommand(PianoRoll* roll, UINT command, int32_t row) {
  Trackview* view = roll;
  EventStore& store = Store(view);
  HWND parent = view->window ? GetParent(view->window) : nullptr;
  switch (command) {
    case 4000:
    case 4001:
      CopySelection(store, view->window, command == 4000);
      Refresh(view);
      return;
    case 4002: {
      if (!ClipboardHasEvents()) return;
      int64_t end = view->cursorPos;
      if (PasteClipboard(store, &end) != S_OK) return;
      ExtendTrackLength(view, end);
      SetCursorPos(view, end, 0, kCursorFollow);
      InvalidateAreas(view, kAreaAll);
      Refresh(view);
      return;
    }
    case 4003:
      DeleteSelection(store);
      Refresh(view);
      return;
    case 4004:
      store.SelectAllNotes(true);
      Refresh(view);
      return;
    case 4006: {
      int pitch = PitchOfRow(row);
      if (pitch < 0) return;
      store.SelectRange(0, std::max<int64_t>(view->totalLength, 1), pitch, pitch, true);
      Refresh(view);
      return;
    }
    case kCmdSnapping:
    case kCmdScaleSnapping: {
      EditorPrefs& prefs = Prefs(view);
      int32_t& setting = command == kCmdSnapping ? prefs.snapEnabled : prefs.scaleSnap;
      setting = !setting;
      RecomputeSnapGrid(roll);
      InvalidateNotes(roll);
      InvalidateAreas(view, kAreaAll);
      PostStateRefresh(view);
      return;
    }
    case 4060:
    case 4061:
    case 4062: {
      static constexpr uint8_t kVelocities[] = {1, 127, 64};
      SetSelectedVelocity(store, kVelocities[command - 4060]);
      Refresh(view);
      return;
    }
    case 4063:
      OpenVelocityBox(view, nullptr);
      return;
    case kCmdZoomSelection:
      ZoomToSelection(view);
      return;
    case kCmdZoomLoop:
      ZoomToLoop(view);
      return;
    default:
      bool forwarded = command == 4005 || command == 4040 || (command >= 6000 && command <= 6018);
      if (forwarded && parent) SendMessageW(parent, WM_COMMAND, command, 0);
      return;
  }
}
