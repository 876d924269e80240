// Internal interfaces between the piano roll's own files.
#pragma once

#include "pianoroll/pianoroll.h"
#include "pianoroll/snap.h"

inline PianoRoll* Roll(Trackview* view) { return static_cast<PianoRoll*>(view); }
// After a modal loop (a menu, the velocity box): whether the view survived it.
inline bool StillAlive(HWND window, PianoRoll* roll) { return IsWindow(window) && PianoRollOf(window) == roll; }
inline EventStore& Store(Trackview* view) { return Roll(view)->roll->store(); }
inline EditorPrefs& Prefs(Trackview* view) { return Roll(view)->roll->prefs(); }

bool KeyHeld(int key);
inline bool SnappingOn(Trackview* view) { return Prefs(view).snapEnabled != 0; }
// The snap points in force: the grid, the cursor unless playing, the loop
// edges while the loop is on and no selection exists.
SnapSources SnapPoints(Trackview* view);
// Snapping a tool's time: nothing while snapping is off.
int64_t SnapTime(Trackview* view, int64_t t, uint32_t mask);
bool ScaleAllows(Trackview* view, int pitch, bool alt);

// Rows and pitches; a row outside 0..127 has no pitch (-1).
int PitchOfRow(int32_t row);
int32_t RowOfPitch(int pitch);

// Notes under the pointer (tools.cpp).
struct NoteHit {
  int32_t index = -1;  // event list index
  ItemPath path{};
  MidiEvent note{};  // shown form
};
// The note on the row within t +- tolerance, selected notes first; S_FALSE when none.
HRESULT FindNoteNear(Trackview* view, int32_t row, int64_t t, int64_t tolerance, NoteHit* hit);
HRESULT ReadNote(Trackview* view, const ItemPath& path, MidiEvent* shown);
void PostStateRefresh(Trackview* view);
// The store answers 1 when a listed event is selected.
inline bool AnyNoteSelected(Trackview* view) { return Store(view).AnySelected() == 1; }

// The preview of notes while editing (note_edits.cpp).
void StartPreview(Trackview* view, const MidiEvent& note);
void StopPreview(Trackview* view);
void ReleaseKey(Trackview* view);

// Edits (note_edits.cpp).
// A new note of the track (velocity 64), shown and in the stored form.
bool NewNote(Trackview* view, int64_t start, int64_t length, int pitch, bool selected, MidiEvent* shown,
             MidiEvent* stored);
void SelectOnly(Trackview* view, const ItemPath& path);
HRESULT ToggleSelected(Trackview* view, const ItemPath& path);
void SelectRangeTo(Trackview* view, int32_t row, int64_t t);
void ResetRangeSelection(Trackview* view);
bool BeginMove(Trackview* view);
void MoveStep(Trackview* view, int64_t t, int32_t row, bool shift, bool alt);
bool BeginSizing(Trackview* view, bool endEdge);
void SizeStep(Trackview* view, int64_t t, bool shift);
bool BeginDrawing(Trackview* view, int64_t t, bool shift, bool alt);
void DrawStep(Trackview* view, int64_t t, bool shift);
void ExtendTrackLength(Trackview* view, int64_t atLeast);
void CommitGesture(Trackview* view, bool discard);

// The data area's shared mouse handler (note_tools.cpp).
LRESULT SharedToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DrawToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SelectToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
// Paint, Erase and Zoom (paint_erase.cpp, bands.cpp).
LRESULT PaintToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT EraseToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ZoomToolMessage(Trackview* view, TrackviewPane* pane, UINT msg, WPARAM wParam, LPARAM lParam);
// Bands: the press point is view->pressPoint.
void StartBand(Trackview* view, POINT p, bool selection);
void BandStep(Trackview* view, TrackviewPane* pane, POINT p);
void CycleBandConstraint(Trackview* view);
void FinishBand(Trackview* view, POINT p, bool zoom);
void PaintBand(PianoRoll* roll, HDC dc);

// Painting (note_painter.cpp).
void PaintNotes(Trackview* view, TrackviewPane* pane, HDC dc, const RECT* clip);
void ReleaseNotePainter(PianoRoll* roll);
void ReleaseCopy(PianoRoll* roll);
// Per channel: base + a/256 of the way to tint, rounded.
COLORREF Blend(COLORREF base, COLORREF tint, int a);

// Panes (strip_pane.cpp, header_lane.cpp).
extern const PaneCallbacks kStripCallbacks;
extern const PaneCallbacks kHeaderCallbacks;
extern const PaneCallbacks kLaneCallbacks;
void UpdateStripField(PianoRoll* roll);
// The velocity entry box (velocity_box.cpp): over the note, or at the first
// visible row without one; sets the velocity of the selected notes.
void OpenVelocityBox(Trackview* view, const ItemPath* note);
bool InPlaceEdit(HWND owner, RECT rect, HFONT font, wchar_t* buffer, int capacity);
// The lane (lane.cpp): its height within its limits, and its kind.
void SetLaneHeight(PianoRoll* roll, int32_t height);
void SetLaneKind(PianoRoll* roll, int32_t kind);

// The data area's shared slots (roll_create.cpp).
BOOL RollDataCreate(Trackview* view, TrackviewPane* pane, int phase);
void RollDataLayout(Trackview* view, TrackviewPane* pane, RECT* remaining);

// Tables (tools.cpp, hooks.cpp).
extern const PaneCallbacks kRollTools[kToolCount];
extern const TrackviewHooks kRollHooks;
extern const TransportCallbacks kRollTransport;
