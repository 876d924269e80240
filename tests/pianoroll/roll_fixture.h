// A piano roll window on the reference host: one track with one block, the
// event store connected as the plug-in connects it (reports replayed on
// demand), default settings, and helpers that press, drag and release with
// real mouse messages at places computed from the view's geometry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "pianoroll/pianoroll.h"
#include "tests/mididata/store_fixture.h"

namespace rolltest {

class RollTest : public storetest::StoreTest {
 protected:
  RollTest();
  ~RollTest() override;

  // Creates the window at a size; the settings may be changed before.
  void Open(int width = 800, int height = 600);
  PianoRoll* roll() const { return roll_; }
  HWND window() const { return window_; }

  // Host reports replayed as the frame does, and the notes repainted.
  void Sync();
  // Client points of a time and a pitch (the middle of its row).
  int X(int64_t tick) const;
  int Y(int pitch) const;
  POINT At(int64_t tick, int pitch) const { return {X(tick), Y(pitch)}; }
  void Mouse(UINT msg, POINT p, WPARAM keys = 0);
  // Press, move in a few steps and release with the left button.
  void Drag(POINT from, POINT to, WPARAM keys = 0);
  void Click(POINT p, WPARAM keys = 0) { Drag(p, p, keys); }
  // The host's edits since the log was cleared, as text.
  std::vector<std::string> Edits() const;
  // The project's notes of the track: start, duration, pitch, selected.
  struct Note {
    int64_t start;
    int32_t duration;
    int pitch;
    bool selected;
    bool operator==(const Note&) const = default;
  };
  std::vector<Note> Notes() const;
  // Paints the client into a DIB; Pixel reads it back.
  void Capture();
  COLORREF Pixel(int x, int y) const;

  ItemPath track{}, block{};
  EditorPrefs prefs;
  RollSource source{store, prefs};

 private:
  PianoRoll* roll_ = nullptr;
  HWND window_ = nullptr;
  std::vector<uint32_t> pixels_;
  int captureWidth_ = 0, captureHeight_ = 0;
};

void SetKeys(bool shift, bool ctrl, bool alt = false);

}  // namespace rolltest
