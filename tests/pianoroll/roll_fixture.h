// A piano roll window on the reference host: one track with one block, the
// event store connected as the plug-in connects it (reports replayed on
// demand), default settings, and helpers that press, drag and release with
// real mouse messages at places computed from the view's geometry.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "host/song.h"
#include "pianoroll/pianoroll.h"
#include "tests/support/window_capture.h"
#include "tests/mididata/store_fixture.h"

namespace rolltest {

class RollTest : public storetest::StoreTest {
 public:
  // A note of the project: start, duration, pitch, selected.
  struct Note {
    int64_t start;
    int32_t duration;
    int pitch;
    bool selected;
    bool operator==(const Note&) const = default;
    friend void PrintTo(const Note& n, std::ostream* os) {
      *os << "{" << n.start << "+" << n.duration << " p" << n.pitch << (n.selected ? " sel}" : "}");
    }
  };
  static MidiEvent N(int64_t start, int32_t duration, int pitch, bool selected = false);

 protected:
  RollTest();
  ~RollTest() override;

  // Creates the window at a size; the settings may be changed before.
  void Open(int width = 800, int height = 600);
  PianoRoll* roll() const { return roll_; }
  HWND window() const { return window_; }

  // Notes put into the project silently, then reported as a reset.
  void AddNotes(const std::vector<MidiEvent>& notes);
  // The view from a time at a whole number of ticks per pixel, so that
  // X(t) maps back to t for every multiple of it.
  void Frame(int64_t start, int ticksPerPixel);

  // Host reports replayed as the frame does, and the notes repainted.
  void Sync();
  // Client points of a time and a pitch (the middle of its row).
  int X(int64_t tick) const;
  int Y(int pitch) const;
  POINT At(int64_t tick, int pitch) const { return {X(tick), Y(pitch)}; }
  void Mouse(UINT msg, POINT p, WPARAM keys = 0);
  // Keys are MK_SHIFT and MK_CONTROL; the keyboard state follows them.
  void Press(POINT p, WPARAM keys = 0, bool alt = false);
  void MoveTo(POINT p, WPARAM keys = 0, bool alt = false);
  void Release(POINT p, WPARAM keys = 0, bool alt = false);
  // Press, move in four steps and release with the left button. The project
  // as it stood just before the release is kept in `held`.
  void Drag(POINT from, POINT to, WPARAM keys = 0, bool alt = false);
  void Click(POINT p, WPARAM keys = 0) { Drag(p, p, keys); }
  void Key(WPARAM key);
  // The host's edits since the log was cleared, as text.
  std::vector<std::string> Edits() const;
  // One undo step under the label, and undoing it gives back `held` exactly.
  void ExpectUndoRestores(const wchar_t* label);
  // The project's notes of the track, sorted by start, then pitch.
  std::vector<Note> Notes() const;
  // The pitches previewed since the last call; each Note On must be
  // followed by its Note Off.
  std::vector<int> Previews();
  // Paints the client into a DIB; Pixel reads it back.
  void Capture();
  COLORREF Pixel(int x, int y) const;

  ItemPath track{}, block{};
  EditorPrefs prefs;
  RollSource source{store, prefs};
  refhost::Song held;

 private:
  PianoRoll* roll_ = nullptr;
  HWND window_ = nullptr;
  ClientPixels pixels_;
};

void SetKeys(bool shift, bool ctrl, bool alt = false);

}  // namespace rolltest
