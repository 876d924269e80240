// Creating the piano roll's view: the engine record with the piano roll's
// panes, tools, hooks and transport, the settings checked before use, and
// the first view.
#include <algorithm>

#include "kvlib/ui_resources.h"
#include "mididata/edit_commit.h"
#include "pianoroll/roll_internal.h"
#include "trackview/wide_math.h"

namespace {

constexpr int32_t kMaxRowHeightIndex = 40;
constexpr int32_t kMaxStoredZoom = 124;
constexpr int32_t kRightMargin = 24;

// The header width: measured once from the widest position text.
void MeasureHeader(Trackview* view) {
  EditorPrefs& prefs = Prefs(view);
  if (prefs.keyboardWidth >= 0) return;
  int width = 100;
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, KvGetUIFont(129));
    SIZE size{};
    if (GetTextExtentPoint32W(dc, L"999.99.999qq", 12, &size)) width = size.cx;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  prefs.keyboardWidth = width;
}

int32_t FirstNoteRow(Trackview* view) {
  EventStore& store = Store(view);
  int32_t index = 0;
  ItemPath path{};
  MidiEvent note{};
  if (store.FindInWindow(&index, &path, &note, kNoWindow, 0, kEvNoteOn, true) != S_OK) return kRollRows / 2;
  FreeEventPayload(&note);
  if (FAILED(store.ToDisplay(path, &note))) return kRollRows / 2;
  return RowOfPitch(note.data[0]);
}

// Phase 0: the first view from the settings, each value checked first so
// that a stream from elsewhere cannot upset the engine.
}  // namespace

BOOL RollDataCreate(Trackview* view, TrackviewPane*, int phase) {
  PianoRoll* roll = Roll(view);
  if (phase == 1) {
    StopPreview(view);
    // A gesture cut short by the window's end is never committed under the next one's label.
    if (view->dragMode != 0) CommitPending(Store(view), nullptr, true);
    ReleaseNotePainter(roll);
    return TRUE;
  }
  EditorPrefs& prefs = Prefs(view);
  MeasureHeader(view);
  UpdateTrackLength(roll);
  RecomputeSnapGrid(roll);

  int32_t row = prefs.firstVisibleRow;
  if (row < 0 || row >= kRollRows) row = FirstNoteRow(view);
  row = std::clamp(row, 0, kRollRows - 1);
  view->firstRow = row;
  view->vertStart = row * kRowUnits;

  view->rowHeightIndex = std::clamp(prefs.rowHeightIndex, 0, kMaxRowHeightIndex);
  view->defaultRowHeightIndex = std::clamp(prefs.defaultRowHeightIndex, 0, kMaxRowHeightIndex);

  int32_t level = prefs.zoomLevel;
  int64_t span = level < 0 || level > kMaxStoredZoom ? view->totalLength : view->ZoomSpan(level);
  int64_t centre = CursorOrPlayPosition(view);
  view->SetView(std::max<int64_t>(SatSub(centre, span / 2), 0), span, kViewNoDetach);

  int tool = prefs.activeTool >= 0 && prefs.activeTool < kToolCount ? prefs.activeTool : kToolDraw;
  SelectRollTool(view, tool);
  return TRUE;
}

void RollDataLayout(Trackview*, TrackviewPane* pane, RECT* remaining) {
  pane->left = remaining->left;
  pane->top = remaining->top;
  pane->width = 0;
  pane->height = 0;
}

bool KeyHeld(int key) { return GetKeyState(key) < 0; }

int PitchOfRow(int32_t row) { return row >= 0 && row < kRollRows ? RollSource::RowPitch(row) : -1; }
int32_t RowOfPitch(int pitch) { return pitch >= 0 && pitch < kRollRows ? kRollRows - 1 - pitch : -1; }

PianoRoll* PianoRollOf(HWND window) {
  return reinterpret_cast<PianoRoll*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void UpdateTrackLength(PianoRoll* roll) {
  EditorPrefs& prefs = roll->roll->prefs();
  TrackTimeBase tb = roll->roll->TimeBase();
  int64_t whole = int64_t{4} * std::max<uint32_t>(tb.ticksPerQuarter, 1);
  int64_t length = SatMul(whole, std::clamp(prefs.emptyTrackWholeNotes, 1, 100000));
  length = std::max(length, prefs.dataLength);
  EventStore& store = roll->roll->store();
  int32_t count = store.EventCount();
  if (count > 0) length = std::max(length, SatAdd(store.ListedStart(count - 1), whole));
  int64_t measure = std::max<int64_t>(TicksPerMeasure(tb), 1);
  length = std::min<int64_t>(length, kMaxTotalLength - measure);
  length = (length + measure - 1) / measure * measure;
  roll->SetTotalLength(length);
}

void RecomputeSnapGrid(PianoRoll* roll) {
  EditorPrefs& prefs = roll->roll->prefs();
  TrackTimeBase tb = roll->roll->TimeBase();
  // The grid lines drawn last know the ruler marks of the view as it is now.
  double marks = std::max(roll->adaptiveGrid > 0 ? roll->adaptiveGrid : roll->rulerMarkSpacing, 1.0);
  roll->snapGrid = prefs.snapEnabled && prefs.gridSwitch ? GridCodeLength(prefs.gridValue, tb, marks) : 1.0;
  roll->paintLength = PaintCodeLength(prefs.paintNoteValue, tb, marks);
}

void ReloadRollData(PianoRoll* roll) {
  roll->roll->ReadBlockEnds();
  UpdateTrackLength(roll);
  RecomputeSnapGrid(roll);
  roll->copyStale = true;
  InvalidateAreas(roll, kAreaAll);
  PostUpdateUi(roll);
}

void SaveRollView(PianoRoll* roll) {
  EditorPrefs& prefs = roll->roll->prefs();
  prefs.firstVisibleRow = std::clamp(roll->firstRow, 0, kRollRows - 1);
  prefs.zoomLevel = static_cast<int32_t>(std::clamp<int64_t>(roll->zoomLevel, 0, kMaxStoredZoom));
  prefs.rowHeightIndex = std::clamp(roll->rowHeightIndex, 0, kMaxRowHeightIndex);
  prefs.activeTool = roll->activeTool;
}

void InvalidateNotes(PianoRoll* roll) {
  roll->copyStale = true;
  InvalidateAreas(roll, 0);
}

HWND CreatePianoRollWindow(HWND parent, RollSource* source, HINSTANCE module, const HIMAGELIST* images,
                           SIZE imageSize) {
  PianoRoll* roll = AllocTrackview<PianoRoll>();
  if (!roll) return nullptr;
  InitTrackview(roll, source);
  roll->roll = source;
  if (images) std::copy(images, images + 3, roll->images);
  roll->imageSize = imageSize;
  roll->drawnInsert = -1;

  roll->header.callbacks = &kHeaderCallbacks;
  roll->lane.callbacks = &kLaneCallbacks;
  roll->lane.flags = 0x10000000;
  roll->strip.callbacks = &kStripCallbacks;
  roll->panes[kPaneHeader] = &roll->header;
  roll->panes[kPaneLane] = &roll->lane;
  roll->panes[kPaneTransport] = &roll->strip;
  roll->loopBar.flags = 0x70;
  roll->hScroll.flags = (roll->hScroll.flags & ~0x4u) | 0x3u;
  roll->vScroll.flags |= kPaneNoZoomHandles;
  roll->plainPanes[kPaneRuler].flags |= 0x30000028;
  roll->dataPane.flags |= 0x70000000;
  for (int i = 0; i < kToolCount; ++i) roll->tools[i] = &kRollTools[i];
  roll->activeTool = kToolDraw;
  roll->dataPane.callbacks = &kRollTools[kToolDraw];
  roll->hooks = &kRollHooks;
  roll->transport = &kRollTransport;
  roll->rightMargin = kRightMargin;
  roll->rowHeightIndex = 1;
  if (!StartPanes(roll)) {
    FreeTrackview(roll);
    return nullptr;
  }
  return CreateTrackviewWindow(parent, roll, module);
}
