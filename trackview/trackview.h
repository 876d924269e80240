// The track view engine as a window: its record, the tables through which it
// calls its panes, tools and client, and the operations it offers them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include "kvlib/auto_scroll.h"
#include "kvlib/time_base.h"
#include "trackview/geometry.h"
#include "trackview/scroll_parts.h"

struct Trackview;
struct TrackviewPane;

inline constexpr wchar_t kTrackviewClassName[] = L"pianorollBld0TrackviewClass";

// Posted to the parent when focus or selection change; private edit
// messages (0x7F00-0x7F09) go to hook 3 like WM_CUT..WM_UNDO.
inline constexpr UINT WM_EDITOR_UPDATEUI = 0x6C9;
inline constexpr UINT kMsgFirstEdit = 0x7F00;
inline constexpr UINT kMsgPasteSpecial = 0x7F07;
inline constexpr UINT kMsgSelectAll = 0x7F09;  // wParam 0 selects all, otherwise none
// To the dragging pane on each auto-scroll step; lParam is the client point.
inline constexpr UINT kMsgAutoScrollStep = 0x404;

// Commands the engine handles or offers in its menus.
inline constexpr UINT kCmdLoopPlayback = 4027;
inline constexpr UINT kCmdSelectionToView = 4030;
inline constexpr UINT kCmdSelectionToProject = 4031;
inline constexpr UINT kCmdSnapping = 4041;
inline constexpr UINT kCmdScaleSnapping = 4043;
inline constexpr UINT kCmdZoomSelection = 5000;
inline constexpr UINT kCmdZoomLoop = 5001;

inline constexpr int kPaneCount = 17;
enum PaneIndex : int {
  kPaneData = 0,
  kPaneHeader = 1,
  kPaneHScroll = 2,
  kPaneVScroll = 3,
  kPaneLoopBar = 4,
  kPaneRuler = 6,
  kPaneLane = 8,
  kPaneTransport = 10,
};

inline constexpr int kToolCount = 5;

// Pane flags the engine reads (the rest belong to the pane owners).
inline constexpr uint32_t kPaneDockBottom = 0x2;
inline constexpr uint32_t kPaneCornerMask = 0x7;     // scroll controls: corner box kind
inline constexpr uint32_t kPaneFixedRows = 0x40;     // vertical control
inline constexpr uint32_t kPaneNoZoomHandles = 0x80;  // scroll controls
inline constexpr uint32_t kPaneChoosesFocus = 0x8000000;
inline constexpr uint32_t kRulerMusical = 0x8;
inline constexpr uint32_t kRulerLoopLines = 0x10000000;
inline constexpr uint32_t kLoopBarFixedHeight = 0x20;
inline constexpr uint32_t kLoopBarShowsLoop = 0x40;

// Queries (PaneCallbacks::query "what").
inline constexpr UINT kQueryCaretSize = 1025;
inline constexpr UINT kQueryCaretPosition = 1026;
inline constexpr UINT kQueryFocusPane = 1027;
// To the data-area tool when the note or row under the pointer changed:
// wParam the hit row (-1 none), lParam the hit note (0 none).
inline constexpr UINT kQueryHoverChanged = 1028;

inline constexpr LRESULT kWheelHandled = 105;
inline constexpr int kArrowCursor = 0x7F00;

// Hit codes: pane index in bits 16-19, the pane's own code in bits 0-15.
inline constexpr int HitPane(uint32_t hitCode) { return static_cast<int>((hitCode >> 16) & 0xF); }
inline constexpr uint32_t HitLocal(uint32_t hitCode) { return hitCode & 0xFFFF; }

struct PaneCallbacks {
  // Phase 0 when the engine is initialised and again when its window is
  // created (0 fails either); phase 1 when the window is destroyed.
  BOOL (*create)(Trackview* view, TrackviewPane* pane, int phase);
  // Takes the pane's share of *remaining: sets left, top, width, height and shrinks it.
  void (*layout)(Trackview* view, TrackviewPane* pane, RECT* remaining);
  uint32_t (*hitTest)(Trackview* view, TrackviewPane* pane, int x, int y);
  LRESULT (*message)(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
  void (*paint)(Trackview* view, TrackviewPane* pane, HDC dc, const RECT* clip);
  int (*cursor)(Trackview* view, TrackviewPane* pane, uint32_t hitCode);
  // Phase 1 to the tool being left, 2 to the tool being entered.
  void (*toolSwitch)(Trackview* view, TrackviewPane* pane, int phase, int tool);
  LRESULT (*query)(Trackview* view, TrackviewPane* pane, UINT what, WPARAM wParam, LPARAM lParam);
  void (*help)(Trackview* view, TrackviewPane* pane, int x, int y);
};

// The common head of every pane record.
struct TrackviewPane {
  const PaneCallbacks* callbacks;
  uint32_t flags;
  int32_t left, top, right, bottom;
  int32_t width, height;
  uint32_t paneId;  // index << 16
};

// The client's hooks; empty slots are skipped.
struct TrackviewHooks {
  LRESULT (*help)(Trackview* view, WPARAM wParam, LPARAM lParam);  // non-zero when handled
  LRESULT (*command)(Trackview* view, WPARAM wParam, LPARAM lParam);
  LRESULT (*notify)(Trackview* view, WPARAM wParam, LPARAM lParam);
  LRESULT (*edit)(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam);
  void (*settingsChanged)(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT (*palette)(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT (*ownerDraw)(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam);
  int (*selectionChanged)(Trackview* view, uint32_t flags);
  void (*loopChanged)(Trackview* view, int toggled);
  int (*timeText)(Trackview* view, int64_t position, wchar_t* buffer, int size);
  void (*filterView)(Trackview* view, int64_t* start, int64_t* span);
  void (*filterPosition)(Trackview* view, int64_t* position, int64_t* extent);
};

struct TransportCallbacks {
  void (*play)(Trackview* view, int mode);
  BOOL (*stop)(Trackview* view, int pausing);
  void (*setPosition)(Trackview* view, int64_t tick);
  void (*playStateChanged)(Trackview* view, int playing);
  int64_t (*getPosition)(Trackview* view);
  void (*spare)(Trackview* view);
};

// A track's own grid for the data area's grid lines.
struct GridLineSetting {
  double gridTicks;       // 0: the track sets no grid; lines follow the ruler marks
  int32_t minLinePixels;  // a denser grid is thinned by doubling its spacing
  bool beatColourLines;   // snapping and the grid switch on: every line in the beat colour
};

// What the engine reads from the edited track's data source. Owned by the client.
class TrackviewSource {
 public:
  virtual int32_t RowCount() = 0;
  virtual TrackTimeBase TimeBase() = 0;
  // Time text in the host's format, measure.beat only when beatsOnly. Returns the length.
  virtual int TimeText(int64_t tick, bool beatsOnly, wchar_t* buffer, int size) = 0;
  virtual bool UnbufferedDrawing() = 0;
  virtual GridLineSetting GridLines() = 0;
  // The track's length as far as it has been read; negative before that.
  virtual int64_t Length() { return -1; }
  // Drag auto-scroll speed factor.
  virtual int32_t AutoScrollSpeed() { return 5; }
  // How the loop region follows the time selection: 0 independent, 1 while
  // a selection exists, 2 always.
  virtual int32_t LoopLink() { return 1; }
  // Cursor moves that ask for it snap to the nearest grid line.
  virtual bool CursorSnapping() { return true; }
  // The zoom step that "default zoom" means; negative: the whole length.
  virtual int32_t DefaultZoomStep() { return -1; }
  // Menu state: whether snapping is on, and the grid command to radio-check (0 none).
  virtual bool SnappingEnabled() { return false; }
  virtual UINT GridCommand() { return 0; }

 protected:
  ~TrackviewSource() = default;
};

// A scroll-and-zoom control (panes 2 and 3): its parts as last laid out and
// the thumb as last drawn.
struct ScrollControlPane : TrackviewPane {
  ScrollParts parts;
  AxisSpan thumbDrawn;
  int32_t pressed;  // part code, 0 = none
};

struct LoopBarPane : TrackviewPane {
  HBITMAP glyphs;  // start and end marker masks at glyphHeight, built at first paint
  int32_t glyphHeight;
};

// Draws (phase 1) or erases (phase 0) a hover highlight.
typedef void (*HoverDraw)(Trackview* view, HDC dc, int phase);
typedef void (*TimerCallback)(Trackview* view, void* argument);

// Flags of drag auto-scroll (StartAutoScroll).
inline constexpr uint32_t kScrollHorizontal = 0x1;
inline constexpr uint32_t kScrollVertical = 0x2;
inline constexpr uint32_t kScrollUpdate = 0x8;
inline constexpr uint32_t kScrollReverse = 0x10;
inline constexpr uint32_t kScrollPastEnd = 0x20;
inline constexpr uint32_t kScrollSpeedByDistance = 0x40;

struct AutoScrollState {
  RECT area;  // client pixels; the pointer outside it scrolls
  uint32_t flags;
  TrackviewPane* pane;  // receives kMsgAutoScrollStep
  int32_t speed;        // from the settings
  int32_t verticalRate;
  bool slow;            // toggled by the right button
  DWORD lastStep;       // tick counts
  DWORD lastVerticalStep;
  // Bounds the dragged object puts on horizontal scrolling: the view start
  // stays within [lower - reference, upper - reference] shifted by half the span.
  bool bounded;
  int64_t lower, upper;
};


// Flags of SetCursorPos (the cursor setter).
inline constexpr uint32_t kCursorFollow = 0x1;
inline constexpr uint32_t kCursorKeepDetached = 0x2;
inline constexpr uint32_t kCursorSnap = 0x8;
inline constexpr uint32_t kCursorExtend = 0x10;
inline constexpr uint32_t kCursorLoopLinked = 0x20;
inline constexpr uint32_t kCursorNoHistory = 0x40;
inline constexpr uint32_t kCursorHistoryWalk = 0x80;
inline constexpr uint32_t kCursorSetsLoop = 0x100;

inline constexpr int kHistorySize = 5;
struct TimeRange {
  int64_t start, length;
};

inline constexpr int kTipTextLength = 60;

// One per window: allocated zero-filled by the client (AllocTrackview),
// initialised (InitTrackview), handed to the window as its creation
// parameter and freed by the window when it is destroyed. The client may
// allocate a larger record derived from this one for its own state.
struct Trackview : TrackviewGeometry {
  HWND window;
  HFONT font;  // from WM_SETFONT; not owned
  TrackTimeBase timeBase;
  TrackviewSource* source;
  TrackviewPane* panes[kPaneCount];
  int32_t dragThresholdX, dragThresholdY;
  int32_t dragMode;

  uint32_t hitCode;
  POINT hitPoint;

  TimerCallback repeatCallback;  // timer 2
  TimerCallback stepCallback;    // timer 3
  void* stepArgument;

  // Hover highlight (timer 4).
  int32_t hoverPane;
  uint32_t hoverCode;
  RECT hoverRect;
  RECT hoverClip;  // empty: no clip
  HoverDraw hoverDraw;

  HWND tooltip;
  TTTOOLINFOW tipTool;
  wchar_t tipText[kTipTextLength];

  // The context menu being requested.
  uint32_t menuHitCode;
  BOOL menuFromMouse;
  POINT menuPoint;

  HWND headerWindow;  // the header's own window, if it keeps one

  // Pane records owned by the engine; the client may point panes[] at its own.
  TrackviewPane plainPanes[kPaneCount];  // slots 1, 5, 6-16; unused for 0 and 2-4
  ScrollControlPane hScroll, vScroll;
  LoopBarPane loopBar;

  const TransportCallbacks* transport;
  const TrackviewHooks* hooks;

  TrackviewPane dataPane;  // its rectangle is dataRect
  int32_t activeTool;
  const PaneCallbacks* tools[kToolCount];

  int32_t focusPane;
  int32_t caretWidth, caretHeight;
  BOOL firstKey;

  int32_t playLineX;  // kNoPlayLine when none is drawn
  int64_t playPos;
  int64_t loopStart, loopLength;
  int64_t cursorPos, cursorExtent;

  // As last painted.
  int32_t selectionX, selectionWidth;
  int32_t loopStartX, loopEndX;
  double rulerMarkSpacing;
  double adaptiveGrid;

  // Snapshot for frozen drawing and loop-bar drags.
  HDC snapshotDC;
  HBITMAP snapshotBitmap;
  HGDIOBJ snapshotOldBitmap;
  HGDIOBJ snapshotOldFont;
  int32_t snapshotWidth, snapshotHeight;
  int32_t snapshotMode;  // 0 none, 5 whole client, otherwise the data area

  BOOL firstSizeDone;
  HANDLE scrollTheme;  // the visual style's scroll bar parts; null without a style

  // What the tool left from its last hit test, and what it was last told.
  int32_t hitRow;
  uintptr_t hitNote;
  int32_t toldRow;
  uintptr_t toldNote;

  // A press on a scroll control, the loop bar or the ruler.
  POINT pressPoint;
  POINT lastPoint;
  int64_t pressStart, pressSpan;
  int32_t pressVertStart, pressVertSpan;
  int32_t returnTool;  // tool to go back to from the corner box; -1 none

  AutoScrollState autoScroll;
  KvAutoScroll middleScroll;
  uint32_t middleAxes;  // kScrollHorizontal, kScrollVertical

  // Loop bar drags and sweeps.
  TimeRange savedLoop;       // at the start of a drag, restored on cancel
  TimeRange previousLoop;    // before the last menu command changed it
  TimeRange savedSelection;  // cursor and extent at the start of a sweep
  int32_t loopDragCode;      // hit code of the pressed loop zone
  bool loopEndDragged;       // the dragged edge is the end
  bool loopFirstMove;
  int64_t fixedEdge;  // the edge that stays while the other is dragged
  int64_t anchorOffset, edgeLow, edgeHigh;
  int64_t sweepAnchor;
  DWORD lastDoubleClickTime;
  POINT lastDoubleClickPoint;

  // Playback: the view start and cursor when it started.
  int64_t playStartView, playStartCursor;

  // The selection history ring.
  TimeRange history[kHistorySize];
  int32_t historyCount, historyCurrent, historyNext;
  bool historyWalkable;
  bool historyWalking;  // Backspace walks in progress
};

inline constexpr int32_t kNoPlayLine = -32767;

// Engine flags beyond the geometry's.
inline constexpr uint32_t kTvRulerDrag = 0x400;
inline constexpr uint32_t kTvDoubleClick = 0x1000;
inline constexpr uint32_t kTvTripleClick = 0x2000;
inline constexpr uint32_t kTvSweepFromDouble = 0x4000;
inline constexpr uint32_t kTvControlComplete = 0x100000;
inline constexpr uint32_t kTvControlHeld = 0x200000;
inline constexpr uint32_t kTvMiddleScroll = 1u << 28;

// Drag modes the engine and its panes use.
inline constexpr int32_t kDragPressed = 1;
inline constexpr int32_t kDragControl = 3;
inline constexpr int32_t kDragMoving = 4;
inline constexpr int32_t kDragSweepWait = 16;
inline constexpr int32_t kDragSweep = 17;
inline constexpr int32_t kDragMiddleScroll = 23;
inline constexpr int32_t kSnapshotWholeClient = 5;

// Record lifetime. AllocTrackview returns a zero-filled record of the
// client's type (derived from Trackview, trivially destructible), or null.
void* AllocTrackviewBlock(size_t size);
template <class Record = Trackview>
Record* AllocTrackview() {
  static_assert(std::is_base_of_v<Trackview, Record> && std::is_trivially_destructible_v<Record>);
  void* block = AllocTrackviewBlock(sizeof(Record));
  return block ? new (block) Record() : nullptr;
}
void FreeTrackview(Trackview* view);
// Engine defaults: pane ids and tables, geometry, time base from the source.
void InitTrackview(Trackview* view, TrackviewSource* source);
// Phase 0 of panes 1-15 then 0; FALSE when one fails.
BOOL StartPanes(Trackview* view);

// The window class, registered once per module.
BOOL RegisterTrackviewClass(HINSTANCE module);
void UnregisterTrackviewClass(HINSTANCE module);
// Creates the view's window; on failure the record is freed and null returned.
HWND CreateTrackviewWindow(HWND parent, Trackview* view, HINSTANCE module);

// Engine tables for the panes it draws.
extern const PaneCallbacks kDefaultPaneCallbacks;
extern const PaneCallbacks kHScrollPaneCallbacks;
extern const PaneCallbacks kVScrollPaneCallbacks;
extern const PaneCallbacks kLoopBarPaneCallbacks;
extern const PaneCallbacks kRulerPaneCallbacks;

inline constexpr int kRulerCursor = 110;

// Operations for panes, tools and the client.
void InvalidateAreas(Trackview* view, uint32_t areas);
void Relayout(Trackview* view, bool full);
BOOL SelectTool(Trackview* view, int tool);
void SetFocusPane(Trackview* view, int pane);
void PlaceCaret(Trackview* view);
void RefreshHitCode(Trackview* view);
void UpdateCursor(Trackview* view);
void SetHover(Trackview* view, int pane, uint32_t code, const RECT& rect, const RECT* clip, HoverDraw draw);
void ClearHover(Trackview* view);
void RequestContextMenu(Trackview* view, POINT client);
void StartRepeatTimer(Trackview* view, TimerCallback callback);
void StopRepeatTimer(Trackview* view);
void StartStepTimer(Trackview* view, TimerCallback callback, void* argument);
void StopStepTimer(Trackview* view);
LRESULT HandleKey(Trackview* view, UINT msg, WPARAM key, LPARAM keyData);
void PostUpdateUi(Trackview* view);

// The cursor and the time selection (cursor.cpp).
void SetCursorPos(Trackview* view, int64_t position, int64_t extent, uint32_t flags);
void SetCursorVisible(Trackview* view, int64_t position, int64_t extent, uint32_t flags);
void SetCursorRange(Trackview* view, int64_t start, int64_t length, bool anchoredAtEnd);
void MoveCursorTo(Trackview* view, int64_t tick, uint32_t flags);
void StepHistoryBack(Trackview* view);
// The selection the cursor setter starts from (a loop region or the cursor's).
TimeRange CurrentSelection(const Trackview* view);
// Whether the loop region follows a selection of this extent.
bool LoopLinked(const Trackview* view, int64_t extent);
// The data source's length, or the time line's when it has none; within 0..totalLength.
int64_t DataLength(const Trackview* view);
// The cursor, or the play position while the view follows playback.
int64_t CursorOrPlayPosition(Trackview* view);

// The loop bar's menu commands (4030, 4031, 5001; others go to the parent).
void RunLoopBarCommand(Trackview* view, UINT command, bool fromDoubleClick);

// Scrolling and zoom (zoom.cpp).
inline constexpr int32_t kZoomWhole = static_cast<int32_t>(0x80000001);
inline constexpr int32_t kZoomDeepest = 0x7FFFFFFF;
inline constexpr int32_t kZoomDefault = static_cast<int32_t>(0x80000000);
bool ZoomHorizontal(Trackview* view, int32_t delta);
bool ZoomVertical(Trackview* view, int32_t delta);
void PageCursor(Trackview* view, int direction, bool extend);
bool ZoomToSelection(Trackview* view);
bool ZoomToLoop(Trackview* view);
void CentreOnCursor(Trackview* view);

// Drag auto-scroll (auto_scroll.cpp): area = inner grown by outset.
void StartAutoScroll(Trackview* view, TrackviewPane* pane, POINT point, const RECT& inner, const RECT& outset,
                     uint32_t flags);
// Bounds of the dragged object, kept until reset (at the next press).
void SetAutoScrollBounds(Trackview* view, int64_t lower, int64_t upper);
void ResetAutoScrollBounds(Trackview* view);
void StopAutoScroll(Trackview* view);
// The dragging pane passes its mouse messages on: a right press toggles slow speed.
void AutoScrollMouse(Trackview* view, UINT msg);
bool AutoScrollRunning(const Trackview* view);

// Middle-button auto-scroll (middle_scroll.cpp); true when the message was used.
bool MiddleScrollMouse(Trackview* view, UINT msg, WPARAM wParam, LPARAM lParam);
void EndMiddleScroll(Trackview* view);

// Playback (playback.cpp).
void StartPlayback(Trackview* view, int64_t position);
void StopPlayback(Trackview* view);
void ReattachPlayback(Trackview* view);

void SetLoopRegion(Trackview* view, int64_t start, int64_t length);
void ToggleLoopPlayback(Trackview* view);
inline bool IsLoopPlayback(const Trackview* view) { return (view->flags & kTvLoopPlayback) != 0; }
inline bool IsPlaying(const Trackview* view) { return (view->flags & kTvPlaying) != 0; }
inline bool FollowsPlayback(const Trackview* view) {
  return (view->flags & (kTvPlaying | kTvDetached)) == kTvPlaying;
}

// Drawing (paint.cpp, grid_lines.cpp).
void PaintTrackview(Trackview* view, HDC dc, const RECT& update);
BOOL StartSnapshot(Trackview* view, int mode);
void ReleaseSnapshot(Trackview* view);
void FreezeView(Trackview* view, bool frozen);
void MovePlaybackLine(Trackview* view, int64_t position);
void DrawGridLines(Trackview* view, HDC dc, COLORREF beatColour, COLORREF otherColour, int32_t band);
