// The keyboard map of the time line: cursor moves, selection edits,
// transport, zoom and the clipboard shortcuts. Keys it does not know go to
// the active tool.
#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "trackview/engine.h"
#include "trackview/wide_math.h"

namespace {

bool KeyDown(int key) { return GetKeyState(key) < 0; }

bool IsModifier(WPARAM key) { return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU; }

LRESULT AskTool(Trackview* view, UINT msg, WPARAM key, LPARAM keyData) {
  const PaneCallbacks& ops = Ops(&view->dataPane);
  return ops.query ? ops.query(view, &view->dataPane, msg, key, keyData) : 0;
}

void Send(Trackview* view, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  SendMessageW(view->window, msg, wParam, lParam);
}

BOOL Stop(Trackview* view, int pausing) {
  return view->transport && view->transport->stop ? view->transport->stop(view, pausing) : FALSE;
}

void Play(Trackview* view, int mode) {
  if (view->transport && view->transport->play) view->transport->play(view, mode);
}

void Command(Trackview* view, UINT command) {
  if (view->hooks && view->hooks->command) view->hooks->command(view, command, 0);
}

void MoveByPixels(Trackview* view, int direction, LPARAM keyData, bool extend) {
  int64_t repeat = std::max<int64_t>(keyData & 0xFFFF, 1);
  int64_t perPixel = std::max<int64_t>(view->viewSpan / view->mapWidth, 1);
  int64_t target = SatAdd(view->cursorPos, SatMul(direction * repeat, perPixel));
  SetCursorVisible(view, target, 0, extend ? kCursorExtend : 0);
}

// Home/End without Ctrl (and W/E): to the selection's ends, keeping it, or
// to the view's ends.
void ToNearEnd(Trackview* view, bool toEnd, bool extend) {
  int64_t extent = view->cursorExtent;
  if (extent != 0) {
    int64_t start = extent < 0 ? SatAdd(view->cursorPos, extent) : view->cursorPos;
    int64_t length = std::abs(extent);
    if (toEnd) {
      SetCursorVisible(view, SatAdd(start, length), -length, kCursorFollow);
    } else {
      SetCursorVisible(view, start, length, kCursorFollow);
    }
    return;
  }
  int64_t target = toEnd ? SatAdd(view->viewStart, view->viewSpan - 1) : view->viewStart;
  SetCursorVisible(view, target, 0, kCursorFollow | (extend ? kCursorExtend : 0));
}

void ToFarEnd(Trackview* view, bool toEnd, bool extend) {
  SetCursorVisible(view, toEnd ? DataLength(view) : 0, 0, kCursorFollow | (extend ? kCursorExtend : 0));
}

bool ZoomAroundCursor(Trackview* view, int32_t delta) {
  if (!ZoomHorizontal(view, delta)) return false;
  CentreOnCursor(view);
  return true;
}

// Ctrl+Up/Down: the loop region when the cursor belongs to it, else all or nothing.
void ZoomFully(Trackview* view, bool in) {
  int64_t loopEnd = SatAdd(view->loopStart, view->loopLength);
  bool atLoop = view->cursorPos == view->loopStart || view->cursorPos == loopEnd ||
                (IsLoopPlayback(view) && view->cursorPos >= view->loopStart && view->cursorPos <= loopEnd);
  if (atLoop && ZoomToLoop(view)) return;
  bool whole = !in || view->viewSpan >= int64_t{view->mapWidth} * 58049 * kDeepestTicksPerPixel / 10;
  ZoomAroundCursor(view, whole ? kZoomWhole : kZoomDeepest);
}

void SetLoopStartHere(Trackview* view) {
  int64_t here = CursorOrPlayPosition(view);
  int64_t end = SatAdd(view->loopStart, view->loopLength);
  int64_t length = here > end ? view->loopLength : end - here;
  int64_t room = std::max<int64_t>(SatSub(view->totalLength, here), 0);
  SetLoopRegion(view, here, std::clamp<int64_t>(length, 0, room));
}

void SetLoopEndHere(Trackview* view) {
  int64_t here = CursorOrPlayPosition(view);
  int64_t start = here < view->loopStart ? SatSub(here, view->loopLength) : view->loopStart;
  start = std::clamp<int64_t>(start, 0, std::max<int64_t>(view->totalLength, 0));
  SetLoopRegion(view, start, std::max<int64_t>(SatSub(here, start), 0));
}

// ; ' , . : halve, double or shift the time selection within the time line.
bool EditSelection(Trackview* view, WPARAM key) {
  int64_t extent = view->cursorExtent;
  int64_t length = std::abs(extent);
  int64_t start = extent < 0 ? SatAdd(view->cursorPos, extent) : view->cursorPos;
  int64_t total = std::max<int64_t>(view->totalLength, 0);
  int64_t position = view->cursorPos;
  switch (key) {
    case VK_OEM_1:
      if (length < 4) return false;
      extent /= 2;
      break;
    case VK_OEM_7:
      extent = extent < 0 ? std::max(SatAdd(extent, extent), -position) : std::min(SatAdd(extent, extent), total - position);
      break;
    case VK_OEM_COMMA:
      position -= std::min(length, start);
      break;
    case VK_OEM_PERIOD:
      position += std::clamp<int64_t>(total - (start + length), 0, length);
      break;
  }
  SetCursorVisible(view, position, extent, kCursorFollow | kCursorKeepDetached);
  return true;
}

// The table's keys; false when the key is not one of them or its condition
// fails, so that the tool sees it.
bool MapKey(Trackview* view, WPARAM key, LPARAM keyData) {
  bool shift = KeyDown(VK_SHIFT), ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU);
  bool plain = !shift && !ctrl && !alt;
  switch (key) {
    case VK_BACK:
      if (alt) {
        Send(view, WM_UNDO);
      } else {
        StepHistoryBack(view);
      }
      return true;
    case VK_TAB:
      SendMessageW(GetParent(view->window), WM_NEXTDLGCTL, shift ? 1 : 0, 0);
      return true;
    case VK_RETURN:
      if (!Stop(view, 1)) Play(view, 0);
      return true;
    case VK_ESCAPE: {
      HWND capture = GetCapture();
      if (capture && capture != view->window) Stop(view, 0);
      TrackviewPane* pane = HoveredPane(view);
      if (Ops(pane).message) Ops(pane).message(view, pane, WM_CANCELMODE, 0, 0);
      return true;
    }
    case VK_SPACE:
      if (!Stop(view, 0)) Play(view, shift ? 1 : 0);
      return true;
    case VK_PRIOR:
    case VK_NEXT:
      PageCursor(view, key == VK_NEXT ? 1 : -1, shift);
      return true;
    case VK_LEFT:
    case VK_RIGHT:
      if (ctrl) return false;
      if (!FollowsPlayback(view)) MoveByPixels(view, key == VK_RIGHT ? 1 : -1, keyData, shift);
      return true;
    case VK_UP:
    case VK_DOWN:
      if (ctrl && shift) return false;
      if (ctrl) {
        ZoomFully(view, key == VK_UP);
        return true;
      }
      if (shift) return false;
      ZoomAroundCursor(view, key == VK_UP ? -1 : 1);
      return true;
    case VK_INSERT:
      if (shift == ctrl) return false;
      Send(view, shift ? WM_PASTE : WM_COPY);
      return true;
    case VK_DELETE:
      if (ctrl) return false;
      Send(view, shift ? WM_CUT : WM_CLEAR);
      return true;
    case 'A':
      if (!ctrl) return false;
      Send(view, kMsgSelectAll, shift ? 1 : 0);
      return true;
    case 'C':
      if (ctrl && !shift) {
        Send(view, WM_COPY);
        return true;
      }
      if (!plain) return false;
      ReattachPlayback(view);
      return true;
    case VK_MULTIPLY:
    case VK_DECIMAL:
      ReattachPlayback(view);
      return true;
    case VK_HOME:
    case VK_END:
      if (ctrl) {
        ToFarEnd(view, key == VK_END, shift);
      } else {
        ToNearEnd(view, key == VK_END, shift);
      }
      return true;
    case 'W':
    case 'E':
      if (!plain) return false;
      ToNearEnd(view, key == 'E', false);
      return true;
    case 'I':
    case VK_OEM_4:
      if (ctrl || alt) return false;
      SetLoopStartHere(view);
      return true;
    case 'O':
    case VK_OEM_6:
      if (ctrl || alt) return false;
      SetLoopEndHere(view);
      return true;
    case 'V':
      if (!ctrl) return false;
      Send(view, shift ? kMsgPasteSpecial : WM_PASTE);
      return true;
    case 'X':
      if (!ctrl) return false;
      Send(view, WM_CUT);
      return true;
    case VK_NUMPAD5:
    case VK_CLEAR:
      SetCursorVisible(view, SatAdd(view->cursorPos, view->cursorExtent), SatSub(0, view->cursorExtent), 0);
      return true;
    case VK_F8:
      Command(view, ctrl ? kCmdScaleSnapping : kCmdSnapping);
      return true;
    case VK_F10:
      if (!shift) return false;
      [[fallthrough]];
    case VK_APPS:
      Send(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->window), -1);
      return true;
    case VK_OEM_1:
    case VK_OEM_7:
    case VK_OEM_COMMA:
    case VK_OEM_PERIOD:
      if (ctrl || alt) return false;
      return EditSelection(view, key);
    default:
      return false;
  }
}

// Every key the table names: when its condition fails the tool still sees
// it, and it counts as handled.
bool ListedKey(WPARAM key) {
  static const WPARAM kListed[] = {
      VK_BACK, VK_TAB,  VK_RETURN, VK_ESCAPE, VK_SPACE, VK_PRIOR,   VK_NEXT,     VK_LEFT,    VK_RIGHT,
      VK_UP,   VK_DOWN, VK_INSERT, VK_DELETE, 'A',      'C',        'E',         'G',        'I',
      'O',     'R',     'V',       'W',       'X',      VK_OEM_4,   VK_OEM_6,    VK_MULTIPLY, VK_DECIMAL,
      VK_HOME, VK_END,  VK_NUMPAD5, VK_CLEAR, VK_F8,    VK_F10,     VK_APPS,     VK_OEM_1,   VK_OEM_7,
      VK_OEM_COMMA, VK_OEM_PERIOD,
  };
  return std::find(std::begin(kListed), std::end(kListed), key) != std::end(kListed);
}

}  // namespace

LRESULT HandleKey(Trackview* view, UINT msg, WPARAM key, LPARAM keyData) {
  if (view->focusPane != kPaneData) {
    TrackviewPane* pane = view->panes[view->focusPane];
    const PaneCallbacks& ops = Ops(pane);
    if (ops.query && ops.query(view, pane, msg, key, keyData)) return 1;
  }
  if (msg == WM_KEYUP) {
    if (IsModifier(key) && view->dragMode == 0 && !AutoScrollRunning(view)) UpdateCursor(view);
    return 0;
  }
  if (view->firstKey) {
    keyData &= ~(LPARAM{1} << 30);  // a key held while focus arrived counts as a first press
    view->firstKey = FALSE;
  }
  if (view->flags & kTvMiddleScroll) {
    if (key == VK_SHIFT) return 1;
    EndMiddleScroll(view);
  }
  if (IsModifier(key)) {
    UpdateCursor(view);
    return 1;
  }
  if (MapKey(view, key, keyData)) return 1;
  LRESULT used = AskTool(view, msg, key, keyData);
  return ListedKey(key) ? 1 : used;
}
