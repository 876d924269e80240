#include "tests/trackview/support/test_client.h"

#include <cstdio>
#include <cstring>

#include "kvlib/module.h"
#include "kvlib/time_text.h"
#include "kvlib/ui_resources.h"

namespace tvtest {

namespace {

constexpr wchar_t kParentClass[] = L"TrackviewTestParent";
constexpr COLORREF kHeaderFill = RGB(200, 200, 220);
constexpr COLORREF kLaneFill = RGB(220, 240, 220);
constexpr COLORREF kTransportFill = RGB(230, 220, 200);

Log& LogOf(Trackview* view) { return *static_cast<TestView*>(view)->log; }

void Record(Trackview* view, const char* format, int a, int b = 0, int c = 0) {
  char line[64];
  std::snprintf(line, sizeof(line), format, a, b, c);
  LogOf(view).calls.push_back(line);
}

BOOL CreatePane(Trackview* view, TrackviewPane* pane, int phase) {
  int index = HitPane(pane->paneId);
  Record(view, "create %d %d", index, phase);
  Log& log = LogOf(view);
  if (phase == 0 && index == log.failCreatePane && ++log.createCalls[index] == log.failCreateCall) return FALSE;
  return TRUE;
}

void Fill(HDC dc, const TrackviewPane* pane, COLORREF colour) {
  RECT rect{pane->left, pane->top, pane->right, pane->bottom};
  COLORREF old = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void RecordMenu(Trackview* view) {
  Log& log = LogOf(view);
  log.menuHitCode = view->menuHitCode;
  log.menuFromMouse = view->menuFromMouse;
  log.menuPoint = view->menuPoint;
}

LRESULT PaneMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM, LPARAM) {
  int index = HitPane(pane->paneId);
  Record(view, "message %d 0x%x", index, static_cast<int>(msg));
  if (msg == WM_CONTEXTMENU) RecordMenu(view);
  return 0;
}

// Header (pane 1): a full-height strip at the left.
void HeaderLayout(Trackview* view, TrackviewPane* pane, RECT* remaining) {
  Record(view, "layout 1", 0);
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = kHeaderWidth;
  pane->height = remaining->bottom - remaining->top;
  remaining->left += kHeaderWidth;
}

LRESULT HeaderQuery(Trackview* view, TrackviewPane* pane, UINT what, WPARAM wParam, LPARAM lParam) {
  switch (what) {
    case kQueryFocusPane:
      return LogOf(view).focusChoice;
    case kQueryCaretSize: {
      auto* size = reinterpret_cast<int32_t*>(lParam);
      size[0] = 3;
      size[1] = 20;
      return 0;
    }
    case kQueryCaretPosition:
      *reinterpret_cast<POINT*>(lParam) = {pane->left + 5, pane->top + 5};
      return 0;
    default:
      Record(view, "key 1 0x%x 0x%x", static_cast<int>(what), static_cast<int>(wParam));
      return wParam == 'H';
  }
}

const PaneCallbacks kHeader = {
    CreatePane,
    HeaderLayout,
    [](Trackview* view, TrackviewPane*, int, int) {
      Record(view, "hit 1", 0);
      return kHeaderHit;
    },
    PaneMessage,
    [](Trackview*, TrackviewPane* pane, HDC dc, const RECT*) { Fill(dc, pane, kHeaderFill); },
    [](Trackview*, TrackviewPane*, uint32_t) { return kHeaderCursor; },
    nullptr,
    HeaderQuery,
    nullptr,
};

// A band of fixed height at the bottom of the remaining area.
void BottomBand(TrackviewPane* pane, RECT* remaining, int height) {
  pane->left = remaining->left;
  pane->width = remaining->right - remaining->left;
  pane->height = remaining->bottom - remaining->top >= height ? height : 0;
  pane->top = remaining->bottom - pane->height;
  remaining->bottom -= pane->height;
}

LRESULT LaneMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  PaneMessage(view, pane, msg, wParam, lParam);
  Log& log = LogOf(view);
  if (msg == WM_MOUSEWHEEL) return log.laneWheelAnswer;
  if (msg == WM_LBUTTONDOWN && log.laneCapturesOnPress) {
    view->dragMode = 7;
    SetCapture(view->window);
  } else if (msg == WM_LBUTTONUP && view->dragMode == 7) {
    view->dragMode = 0;
    ReleaseCapture();
  }
  return 0;
}

const PaneCallbacks kLane = {
    CreatePane,
    [](Trackview*, TrackviewPane* pane, RECT* remaining) { BottomBand(pane, remaining, kLaneHeight); },
    [](Trackview*, TrackviewPane*, int, int) { return kLaneHit; },
    LaneMessage,
    [](Trackview*, TrackviewPane* pane, HDC dc, const RECT*) { Fill(dc, pane, kLaneFill); },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

uint32_t TransportHit(Trackview* view, TrackviewPane*, int, int) {
  if (std::wcscmp(view->tipText, kTransportTip) != 0) {
    std::wcscpy(view->tipText, kTransportTip);
    view->flags |= kTvTipChanged;
  }
  view->flags |= kTvTipText;
  return kTransportHit;
}

const PaneCallbacks kTransport = {
    CreatePane,
    [](Trackview*, TrackviewPane* pane, RECT* remaining) { BottomBand(pane, remaining, kTransportHeight); },
    TransportHit,
    PaneMessage,
    [](Trackview*, TrackviewPane* pane, HDC dc, const RECT*) { Fill(dc, pane, kTransportFill); },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

void ToolPaint(Trackview* view, TrackviewPane* pane, HDC dc, const RECT* clip) {
  Log& log = LogOf(view);
  ++log.toolPaints;
  GetWindowOrgEx(dc, &log.windowOrgAtPaint);
  log.clipAtPaint = *clip;
  Fill(dc, pane, log.dataFill);
  if (log.gridLines) DrawGridLines(view, dc, kBeatLine, kOtherLine, 0);
}

LRESULT ToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  Record(view, "message 0 0x%x tool %d", static_cast<int>(msg), view->activeTool);
  if (msg == WM_CONTEXTMENU) RecordMenu(view);
  return 0;
}

LRESULT ToolQuery(Trackview* view, TrackviewPane*, UINT what, WPARAM wParam, LPARAM lParam) {
  if (what == kQueryHoverChanged) {
    Record(view, "hover %d %d", static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
  }
  Record(view, "key 0 0x%x 0x%x", static_cast<int>(what), static_cast<int>(wParam));
  Record(view, "keydata 0x%x", static_cast<int>(lParam >> 16));
  return wParam == 'K';
}

template <int kIndex>
const PaneCallbacks kTool = {
    CreatePane,
    nullptr,
    [](Trackview* view, TrackviewPane*, int x, int y) {
      if (LogOf(view).toolReportsHover) {
        view->hitRow = view->YToRow(y);
        view->hitNote = static_cast<uintptr_t>(x / kFakeNoteWidth + 1);
      }
      return kToolHit;
    },
    ToolMessage,
    ToolPaint,
    [](Trackview*, TrackviewPane*, uint32_t) { return kToolCursors[kIndex]; },
    [](Trackview* view, TrackviewPane*, int phase, int tool) { Record(view, "switch %d %d %d", kIndex, phase, tool); },
    ToolQuery,
    nullptr,
};

const TrackviewHooks kHooks = {
    nullptr,
    [](Trackview* view, WPARAM wParam, LPARAM) -> LRESULT {
      Record(view, "command %d", static_cast<int>(LOWORD(wParam)));
      return 0;
    },
    nullptr,
    [](Trackview* view, UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
      Record(view, "edit 0x%x %d", static_cast<int>(msg), static_cast<int>(wParam));
      return 0;
    },
    [](Trackview* view, UINT msg, WPARAM, LPARAM) { Record(view, "settings 0x%x", static_cast<int>(msg)); },
    nullptr,
    nullptr,
    [](Trackview* view, uint32_t flags) {
      Record(view, "selection 0x%x", static_cast<int>(flags));
      return 0;
    },
    [](Trackview* view, int toggled) { Record(view, "loop %d", toggled); },
    nullptr,
    nullptr,
    nullptr,
};

const TransportCallbacks kTransportCalls = {
    [](Trackview* view, int mode) { Record(view, "play %d", mode); },
    [](Trackview* view, int pausing) -> BOOL {
      Record(view, "stop %d", pausing);
      return LogOf(view).stopAnswer;
    },
    [](Trackview* view, int64_t tick) { Record(view, "setpos %d", static_cast<int>(tick)); },
    [](Trackview* view, int playing) { Record(view, "playstate %d", playing); },
    [](Trackview* view) -> int64_t { return view->playPos; },
    nullptr,
};

LRESULT CALLBACK ParentProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* log = reinterpret_cast<Log*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (msg) {
    case WM_EDITOR_UPDATEUI:
    case WM_NEXTDLGCTL:
    case WM_MENUSELECT:
    case WM_ENTERIDLE:
    case WM_COMMAND:
      if (log) {
        log->parentMessages.push_back(msg);
        log->parentWParams.push_back(wParam);
      }
      if (msg == WM_MENUSELECT || msg == WM_ENTERIDLE) return 77;
      return 0;
    default:
      return DefWindowProcW(window, msg, wParam, lParam);
  }
}

}  // namespace

int Source::TimeText(int64_t tick, bool beatsOnly, wchar_t* buffer, int size) {
  int length = KvTicksToText(buffer, static_cast<size_t>(size), timeBase, tick, false, beatsOnly, 1);
  for (int i = 0; i < labelPadding && length < size - 1; ++i) buffer[length++] = L'x';
  buffer[length] = L'\0';
  return length;
}

int Log::Count(const std::string& prefix) const {
  int n = 0;
  for (const std::string& call : calls) n += call.compare(0, prefix.size(), prefix) == 0;
  return n;
}

void EnsureClasses() {
  static bool done = false;
  if (done) return;
  HINSTANCE module = GetModuleHandleW(nullptr);
  KvModule_Startup(module);
  RegisterTrackviewClass(module);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ParentProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kParentClass;
  RegisterClassExW(&wc);
  done = true;
}

// One visible parent for the whole run: top-level windows take seconds to
// go away under a display without a window manager.
HWND SharedParent() {
  static HWND parent = CreateWindowExW(0, kParentClass, L"track view test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                       20, 20, 1000, 700, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  return parent;
}

Host::Host(int width, int height, bool create) : width_(width), height_(height) {
  EnsureClasses();
  parent_ = SharedParent();
  SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log_));
  if (create) Create();
}

Host::~Host() {
  Destroy();
  if (GetWindowLongPtrW(parent_, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(&log_)) {
    SetWindowLongPtrW(parent_, GWLP_USERDATA, 0);
  }
}

void Host::Destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  view_ = nullptr;
  Pump();
}

bool Host::Create(bool size) {
  TestView* view = AllocTrackview<TestView>();
  if (!view) return false;
  view->log = &log_;
  InitTrackview(view, &source_);
  view->plainPanes[kPaneHeader].callbacks = &kHeader;
  view->plainPanes[kPaneLane].callbacks = &kLane;
  view->plainPanes[kPaneTransport].callbacks = &kTransport;
  if (log_.focusChoice >= 0) view->plainPanes[kPaneHeader].flags |= kPaneChoosesFocus;
  view->loopBar.flags = kLoopBarFixedHeight | kLoopBarShowsLoop | 0x10;
  view->plainPanes[kPaneRuler].flags |= 0x30000028;
  view->hScroll.flags = (view->hScroll.flags & ~4u) | 3u;
  view->vScroll.flags |= kPaneNoZoomHandles;
  view->tools[0] = &kTool<0>;
  view->tools[1] = &kTool<1>;
  view->tools[2] = &kTool<2>;
  view->tools[3] = &kTool<3>;
  view->tools[4] = &kTool<4>;
  view->hooks = &kHooks;
  view->transport = &kTransportCalls;
  view->rightMargin = 24;
  view->rowHeightIndex = 1;
  view->SetTotalLength(64 * 1920);
  if (!StartPanes(view)) {
    FreeTrackview(view);
    return false;
  }
  window_ = CreateTrackviewWindow(parent_, view, GetModuleHandleW(nullptr));
  if (!window_) return false;
  view_ = view;
  if (size) Resize(width_, height_);
  return true;
}

void Host::Resize(int width, int height) {
  width_ = width;
  height_ = height;
  SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Host::PaneRect(int index) const {
  const TrackviewPane* p = view_->panes[index];
  return {p->left, p->top, p->right, p->bottom};
}

RECT Host::Data() const {
  return {view_->dataRect.left, view_->dataRect.top, view_->dataRect.right, view_->dataRect.bottom};
}

POINT Host::Centre(int index) const {
  RECT r = PaneRect(index);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT Host::ToScreen(POINT client) const {
  ClientToScreen(window_, &client);
  return client;
}

LRESULT Host::HitAt(POINT client) {
  POINT screen = ToScreen(client);
  return SendMessageW(window_, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
}

LRESULT Host::Mouse(UINT msg, POINT client, WPARAM keys) {
  HitAt(client);
  return SendMessageW(window_, msg, keys, MAKELPARAM(client.x, client.y));
}

LRESULT Host::Wheel(POINT client, int delta, WPARAM keys) {
  HitAt(client);
  POINT screen = ToScreen(client);
  return SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(keys, delta), MAKELPARAM(screen.x, screen.y));
}

void Host::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Host::Capture() { pixels_ = CaptureClient(window_); }

COLORREF Host::Pixel(int x, int y) const { return pixels_.At(x, y); }

int FontHeightOf(int font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, KvGetUIFont(font));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight;
}

void SetModifiers(bool shift, bool ctrl) {
  BYTE state[256];
  GetKeyboardState(state);
  auto set = [&state](int key, bool down) { state[key] = down ? 0x80 : 0; };
  set(VK_SHIFT, shift);
  set(VK_LSHIFT, shift);
  set(VK_CONTROL, ctrl);
  set(VK_LCONTROL, ctrl);
  SetKeyboardState(state);
}

bool SaveBmp(const Host& host, const std::wstring& path, int width, int height) {
  int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<uint8_t> rows(info.biSizeImage);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = rows.data() + static_cast<size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      COLORREF c = host.Pixel(x, y);
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
  }
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  bool written = std::fwrite(&file, sizeof(file), 1, out) == 1 && std::fwrite(&info, sizeof(info), 1, out) == 1 &&
                 std::fwrite(rows.data(), 1, rows.size(), out) == rows.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace tvtest
