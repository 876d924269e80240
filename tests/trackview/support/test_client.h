// A small client of the track view engine for tests and the screenshot tool:
// its own header, lane and transport panes, five tools, hooks and transport,
// each recording the calls it gets; a data source over 128 rows in 4/4; and a
// parent window that records what the view sends it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/window_capture.h"
#include "trackview/trackview.h"

namespace tvtest {

inline constexpr int kHeaderWidth = 40;
inline constexpr int kLaneHeight = 50;
inline constexpr int kTransportHeight = 30;
inline constexpr uint32_t kHeaderHit = 7;
inline constexpr uint32_t kLaneHit = 3;
inline constexpr uint32_t kToolHit = 2;
inline constexpr uint32_t kTransportHit = 0x80;
inline constexpr wchar_t kTransportTip[] = L"Play (Space)";
inline constexpr int kHeaderCursor = 0x7F01;  // I-beam
inline constexpr int kFakeNoteWidth = 50;
inline constexpr COLORREF kDataFill = RGB(255, 255, 255);
inline constexpr COLORREF kBeatLine = RGB(255, 0, 0);
inline constexpr COLORREF kOtherLine = RGB(0, 0, 255);

// Tool cursors: the system's cross, up arrow, size-all, no and hand.
inline constexpr int kToolCursors[kToolCount] = {0x7F03, 0x7F04, 0x7F86, 0x7F88, 0x7F89};

struct Source : TrackviewSource {
  int32_t rows = 128;
  TrackTimeBase timeBase{{}, 4, 4, 480};
  bool unbuffered = false;
  GridLineSetting grid{};
  int labelPadding = 0;  // extra characters on every time text
  int64_t length = -1;
  int32_t loopLink = 1;
  int32_t autoScrollSpeed = 5;
  bool cursorSnapping = true;
  int32_t defaultZoomStep = -1;
  bool snapping = false;
  UINT gridCommand = 0;

  int32_t RowCount() override { return rows; }
  TrackTimeBase TimeBase() override { return timeBase; }
  int TimeText(int64_t tick, bool beatsOnly, wchar_t* buffer, int size) override;
  bool UnbufferedDrawing() override { return unbuffered; }
  GridLineSetting GridLines() override { return grid; }
  int64_t Length() override { return length; }
  int32_t AutoScrollSpeed() override { return autoScrollSpeed; }
  int32_t LoopLink() override { return loopLink; }
  bool CursorSnapping() override { return cursorSnapping; }
  int32_t DefaultZoomStep() override { return defaultZoomStep; }
  bool SnappingEnabled() override { return snapping; }
  UINT GridCommand() override { return gridCommand; }
};

// What the panes, tools, hooks, transport and parent saw, as text lines such
// as "create 8 0", "message 0 0x201", "switch 1 2 3", "play 1", "stop 0",
// "setpos 960", "playstate 1", "selection 0x21", "loop 0", "command 4041",
// "edit 0x302 0", "key 0 0x100 0x4b", "hover 5 0".
struct Log {
  std::vector<std::string> calls;
  int failCreatePane = -1;  // this pane's create fails...
  int failCreateCall = 0;   // ...on its n-th phase-0 call (1-based)
  int createCalls[kPaneCount] = {};
  int focusChoice = -1;     // header's answer to query 1027; -1: it does not choose
  LRESULT laneWheelAnswer = 0;
  bool laneCapturesOnPress = false;
  COLORREF dataFill = kDataFill;
  bool gridLines = true;
  POINT windowOrgAtPaint{};
  RECT clipAtPaint{};
  int toolPaints = 0;
  uint32_t menuHitCode = 0;
  BOOL menuFromMouse = FALSE;
  POINT menuPoint{};
  BOOL stopAnswer = FALSE;
  bool toolReportsHover = false;  // the tools' hit test leaves a row and a note (x / kFakeNoteWidth + 1)   // what transport stop returns (playback was running)
  std::vector<UINT> parentMessages;
  std::vector<WPARAM> parentWParams;

  int Count(const std::string& prefix) const;
  void Clear() { calls.clear(); }
};

struct TestView : Trackview {
  Log* log;
};

// Registers the window classes and starts the shared library once per process.
void EnsureClasses();

// A track view of the given client size in a parent window that records
// what the view sends it.
class Host {
 public:
  Host(int width, int height, bool create = true);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Builds the record and its window, sized unless asked not to; false when
  // creation is refused.
  bool Create(bool size = true);
  void Resize(int width, int height);
  // Destroys the view's window, which frees its record.
  void Destroy();

  TestView* view() const { return view_; }
  HWND window() const { return window_; }
  HWND parent() const { return parent_; }
  Log& log() { return log_; }
  Source& source() { return source_; }

  TrackviewPane* pane(int index) const { return view_->panes[index]; }
  RECT PaneRect(int index) const;
  RECT Data() const;
  POINT Centre(int index) const;
  POINT ToScreen(POINT client) const;

  // Sends WM_NCHITTEST for the point, as the system does before mouse input.
  LRESULT HitAt(POINT client);
  LRESULT Mouse(UINT msg, POINT client, WPARAM keys = 0);
  LRESULT Wheel(POINT client, int delta, WPARAM keys = 0);
  void Pump();

  // Paints the whole client through WM_PRINTCLIENT into a 32-bit DIB.
  void Capture();
  COLORREF Pixel(int x, int y) const;

 private:
  int width_, height_;
  HWND parent_ = nullptr;
  HWND window_ = nullptr;
  TestView* view_ = nullptr;
  Log log_;
  Source source_;
  ClientPixels pixels_;
};

// Sets or clears the modifier keys in this thread's keyboard state.
void SetModifiers(bool shift, bool ctrl);

// Writes a 24-bit BMP of the last capture.
bool SaveBmp(const Host& host, const std::wstring& path, int width, int height);

// Height of a UI font's cells, as the panes measure it.
int FontHeightOf(int font);

}  // namespace tvtest
