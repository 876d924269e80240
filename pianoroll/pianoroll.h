// The piano roll: a track view whose panes and tools edit the notes of one
// track through the event store. This header is what the editor frame and
// the tests see: the data source, the record and its creation.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "mididata/event_store.h"
#include "mididata/lane_view.h"
#include "shell/plugin/editor_prefs.h"
#include "trackview/trackview.h"

inline constexpr int32_t kRollRows = 128;
inline constexpr uint32_t kDefaultTicksPerQuarter = 24576;

// The edited track as the view reads it: 128 pitch rows, the settings, the
// event store and the track's time base.
class RollSource final : public TrackviewSource {
 public:
  RollSource(EventStore& store, EditorPrefs& prefs) : store_(store), prefs_(prefs) {}

  EventStore& store() { return store_; }
  EditorPrefs& prefs() { return prefs_; }
  void SetTimeBase(const TrackTimeBase& timeBase) { timeBase_ = timeBase; }
  // The host's transport can be used (play, pause and stop buttons).
  bool transportAvailable = true;

  static int RowPitch(int32_t row) { return kRollRows - 1 - row; }
  // Raises the length setting to the largest end of the shown track's blocks.
  void ReadBlockEnds();
  static bool BlackKey(int pitch);

  int32_t RowCount() override { return kRollRows; }
  TrackTimeBase TimeBase() override { return timeBase_; }
  int TimeText(int64_t tick, bool beatsOnly, wchar_t* buffer, int size) override;
  bool UnbufferedDrawing() override { return prefs_.unbufferedDrawing != 0; }
  GridLineSetting GridLines() override;
  int64_t Length() override { return prefs_.dataLength; }
  int32_t AutoScrollSpeed() override { return prefs_.autoScrollSpeed; }
  int32_t LoopLink() override { return prefs_.loopMode; }
  bool CursorSnapping() override { return prefs_.cursorSnap != 0 && prefs_.snapEnabled != 0; }
  bool SnappingEnabled() override { return prefs_.snapEnabled != 0; }
  UINT GridCommand() override;

 private:
  EventStore& store_;
  EditorPrefs& prefs_;
  TrackTimeBase timeBase_{{}, 4, 4, kDefaultTicksPerQuarter};
};

// Data-area hit codes.
enum RollHit : uint32_t {
  kHitOutside = 1,
  kHitEmpty = 2,
  kHitNote = 4,
  kHitNoteStart = 5,
  kHitNoteEnd = 6,
};

// Tool indices.
enum RollTool : int { kToolDraw = 0, kToolSelect = 1, kToolZoom = 2, kToolPaint = 3, kToolErase = 4 };

// Drag modes of the tools.
enum RollDrag : int32_t {
  kRollPressed = 1,
  kRollRange = 2,
  kRollMove = 4,
  kRollSizeStart = 6,
  kRollSizeEnd = 7,
  kRollMaySelectTime = 16,
  kRollSelectTime = 17,
  kRollInert = 19,
  kRollBandZoom = 9,
  kRollPainting = 10,
  kRollErasing = 11,
  kRollLaneDrawing = 8,
  kRollWidthDrag = 14,
  kRollLaneSplit = 15,
  kRollKeyHeld = 31,
  kRollPressedEmpty = 29,
  kRollDrawing = 30,
};

// One item of the display list: a row band or a note bar.
struct DisplayItem {
  RECT box;
  int32_t colour;  // octave mod 12
  int32_t velocity;
  uint32_t flags;
};

enum DisplayFlag : uint32_t {
  kItemRow = 0x1,
  kItemSelected = 0x4,
  kItemCutStart = 0x80,
  kItemCutEnd = 0x100,
  kItemStartShown = 0x200,
  kItemEndShown = 0x400,
  kItemBlackKey = 0x1000,
  kItemInScale = 0x2000,
};

// The transport strip's buttons and its note field.
inline constexpr int kStripEntries = 9;
struct StripEntry {
  int image;
  UINT command;
  UINT tip;  // string id; 0 for separators
  RECT box;
};

struct PianoRoll;

// The lane descriptors' view of the piano roll.
class RollLaneView final : public LaneView {
 public:
  bool SnapActive() override;
  int64_t SnapDown(int64_t time) override;
  int64_t SnapUp(int64_t time) override;
  int64_t GridLength() override;
  uint32_t TicksPerQuarter() override;
  int32_t TimeToX(int64_t time) override;
  int64_t TimelineEnd() override;
  PianoRoll* roll = nullptr;
};

class LaneDescriptor;

struct PianoRoll : Trackview {
  RollSource* roll;

  // Pane records owned by the piano roll (1 header, 8 lane, 10 strip).
  TrackviewPane header, lane, strip;
  StripEntry stripEntries[kStripEntries];
  RECT stripField;
  int32_t stripPressed;  // entry index + 1 while pressed, 0 none
  bool stripPressedInside;
  wchar_t fieldText[32];
  HIMAGELIST images[3];  // normal, hot, disabled; may be null
  SIZE imageSize;

  // The press and the gesture it began.
  int64_t pressTime;
  int32_t pressRow;
  uint32_t pressHit;
  ItemPath pressNote;  // the note under the press, if any
  bool pressNoteValid;
  int32_t rangeRow;
  int64_t rangeTime;
  int64_t deltaLow, deltaHigh;
  int32_t rowLow, rowHigh;
  int64_t appliedDelta;
  int32_t appliedPitch;   // the pitch change the last move step applied
  uint8_t* movePitches;   // each moved note's stored pitch at the start of the move
  int32_t movePitchCount;
  int64_t snapOffset;
  int32_t axisLock;  // 0 none, 1 time only, 2 pitch only
  MidiEvent grabbed;  // start, duration and pitch at the start of the drag (shown form)
  ItemPath grabbedPath;
  int32_t drawnInsert;  // pending insert index of the note being drawn, -1 none
  int64_t gestureEnd;   // the largest note end the open edit has made
  DWORD doubleClickTime;
  POINT doubleClickPoint;

  // The keyboard header: the held key, and what a splitter drag started from.
  int32_t heldRow;
  uint32_t heldPort;
  int32_t rememberedWidth, rememberedLaneHeight;
  RECT laneKindButton;

  // The lane: its descriptor (owned), the view it draws through, the last
  // point of a stroke and the value under the pointer.
  LaneDescriptor* laneDescriptor;
  RollLaneView laneView;
  int64_t laneTime;
  int32_t lanePosition;
  int32_t laneValue;

  // Paint and Erase: the row under the pointer, the painted span on it and
  // the last pointer time.
  int32_t paintRow;
  int64_t spanStart, spanEnd;
  int64_t lastTime;

  // The band of the Zoom tool and of the Selection tool's band selection.
  bool bandVisible;
  int32_t bandConstraint;  // 0 rectangle, 1 time only, 2 rows only
  RECT bandRect;
  HPEN bandPen;
  int32_t bandRow;  // the press, in rows and ticks
  int64_t bandTime;

  // The sounding preview note, if any.
  bool previewing;
  MidiEvent previewNote;

  // Selection drags keep what they selected so that each step applies only
  // the difference.
  int64_t selectedFrom, selectedTo;
  bool rangeApplied;

  // Painting.
  DisplayItem* items;
  int32_t itemCapacity, itemCount;
  HDC copyDC;
  HBITMAP copyBitmap;
  HGDIOBJ copyOld;
  SIZE copySize;
  int32_t copyLeft, copyRight;  // the cached x range
  bool copyStale;
  int32_t paintedSelLeft, paintedSelRight;  // the time selection the copy shows
  uint32_t paintedChanges;  // the store's change count the copy shows
  double paintLength;
};

// Creates the view's window inside parent, or null (the record is freed).
// images are the toolbar's normal, hot and disabled lists, which the
// transport strip draws from; they stay the caller's.
HWND CreatePianoRollWindow(HWND parent, RollSource* source, HINSTANCE module, const HIMAGELIST* images = nullptr,
                           SIZE imageSize = SIZE{16, 16});
PianoRoll* PianoRollOf(HWND window);
// The time line: the track's length, at least the empty-track length,
// rounded up to whole measures.
void UpdateTrackLength(PianoRoll* roll);
// The grid in force (snapping and grid switches, grid code) and the paint length.
void RecomputeSnapGrid(PianoRoll* roll);
// Marks the off-screen copy stale and repaints the data area (and the lane).
void InvalidateNotes(PianoRoll* roll);
// Quantizes the selected notes as one host edit "Quantize MIDI events"
// (the word and the whole note as pianoroll/quantize.h); S_FALSE when
// nothing is selected.
HRESULT QuantizeSelection(EventStore& store, uint32_t word, int64_t whole);
// The whole note of the host's time signature at a resolution.
int64_t HostWholeNote(EventStore& store, uint32_t ticksPerQuarter);
// Stops every note the view is sounding (the held key, the editing
// preview); the frame calls it when the output port changes.
void StopSounding(PianoRoll* roll);
// Makes a tool (RollTool) active; FALSE when the tool refused.
BOOL SelectRollTool(Trackview* view, int tool);
// After the edited track or its data changed wholesale: the time line, the
// grid and every pane are brought up to date, and the frame's state refresh
// is posted.
void ReloadRollData(PianoRoll* roll);
// Stores the view state (first row, zoom level, row height, tool) into the
// settings.
void SaveRollView(PianoRoll* roll);
// The piano roll's commands (menus, context menu, the frame); row is the
// context menu's hit row.
void RunRollCommand(PianoRoll* roll, UINT command, int32_t row);
