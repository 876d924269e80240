// Keyboard focus: the focus pane, the caret it shows, and the entry point of
// keyboard messages.
#include "trackview/engine.h"

namespace {

bool HasFocus(const Trackview* view) { return view->window && GetFocus() == view->window; }

}  // namespace

void HideViewCaret(Trackview* view) {
  if (view->flags & kTvCaretShown) {
    HideCaret(view->window);
    view->flags &= ~kTvCaretShown;
  }
}

namespace {

void CaretSize(Trackview* view) {
  view->caretWidth = 1;
  view->caretHeight = view->dataHeight;
  if (view->focusPane == kPaneData) return;
  TrackviewPane* pane = view->panes[view->focusPane];
  const PaneCallbacks& ops = Ops(pane);
  view->caretHeight = pane->height;
  if (ops.query) {
    int32_t size[2] = {view->caretWidth, view->caretHeight};
    ops.query(view, pane, kQueryCaretSize, 0, reinterpret_cast<LPARAM>(size));
    view->caretWidth = size[0];
    view->caretHeight = size[1];
  }
}

}  // namespace

void PostUpdateUi(Trackview* view) {
  HWND parent = view->window ? GetParent(view->window) : nullptr;
  if (parent) PostMessageW(parent, WM_EDITOR_UPDATEUI, 0, 0);
}

void PlaceCaret(Trackview* view) {
  if (!HasFocus(view)) return;
  POINT at;
  bool visible;
  if (view->focusPane == kPaneData) {
    at = {view->TimeToX(view->cursorPos), view->dataRect.top};
    visible = at.x >= view->dataRect.left && at.x < view->dataRect.right && !FollowsPlayback(view);
  } else {
    TrackviewPane* pane = view->panes[view->focusPane];
    const PaneCallbacks& ops = Ops(pane);
    at = {pane->left, pane->top};
    if (ops.query) ops.query(view, pane, kQueryCaretPosition, 0, reinterpret_cast<LPARAM>(&at));
    RECT rect = PaneRect(pane);
    visible = PtInRect(&rect, at);
  }
  if (!visible) {
    HideViewCaret(view);
    return;
  }
  SetCaretPos(at.x, at.y);
  if (!(view->flags & kTvCaretShown)) {
    ShowCaret(view->window);
    view->flags |= kTvCaretShown;
  }
}

void RecreateCaret(Trackview* view) {
  HideViewCaret(view);
  DestroyCaret();
  CaretSize(view);
  CreateCaret(view->window, nullptr, view->caretWidth, view->caretHeight);
  PlaceCaret(view);
}

void SetFocusPane(Trackview* view, int pane) {
  if (pane < 0 || pane >= kPaneCount || !view->window) return;
  view->focusPane = pane;
  if (HasFocus(view)) {
    RecreateCaret(view);
  } else {
    SetFocus(view->window);  // WM_SETFOCUS creates the caret
  }
}

void OnSetFocus(Trackview* view) {
  view->firstKey = TRUE;
  RecreateCaret(view);
  PostUpdateUi(view);
}

void OnKillFocus(Trackview* view) {
  HideViewCaret(view);
  DestroyCaret();
  PostUpdateUi(view);
}

LRESULT OnSysKey(Trackview* view, UINT msg, WPARAM key, LPARAM keyData) {
  if (key == VK_MENU) {
    if (view->dragMode == 0 || view->dragMode == 4) UpdateCursor(view);
  } else if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
    return HandleKey(view, msg == WM_SYSKEYDOWN ? WM_KEYDOWN : WM_KEYUP, key, keyData);
  }
  return DefWindowProcW(view->window, msg, key, keyData);
}
