// Paints the piano roll over a small song on the reference host (notes in
// several octaves, some selected, scale snapping on in C major, a time
// selection) and saves the window as a PNG.
// Usage: roll_screenshot.exe OUTPUT.png [WIDTH HEIGHT]
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "host/site_interfaces.h"
#include "kvlib/module.h"
#include "pianoroll/pianoroll.h"
#include "host/app/png_file.h"
#include "tests/support/window_capture.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: roll_screenshot OUTPUT.png [WIDTH HEIGHT]\n");
    return 2;
  }
  int width = argc >= 4 ? std::atoi(argv[2]) : 900;
  int height = argc >= 4 ? std::atoi(argv[3]) : 560;
  if (width < 200 || height < 200 || width > 4000 || height > 4000) return 2;
  wchar_t path[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH)) return 2;
  if (FAILED(OleInitialize(nullptr))) return 2;
  HINSTANCE module = GetModuleHandleW(nullptr);
  KvModule_Startup(module);
  RegisterTrackviewClass(module);

  refhost::RefHost host;
  host.SetTicksPerQuarter(480);
  ItemPath track = host.AddTrack({.name = L"Piano", .channel = 0});
  ItemPath block = host.AddBlock(track, {.start = 0, .end = 8 * 1920});
  // A C major progression over four octaves, a melody on top, the second bar selected.
  const int chords[4][3] = {{48, 52, 55}, {53, 57, 60}, {55, 59, 62}, {48, 52, 55}};
  for (int bar = 0; bar < 8; ++bar) {
    for (int pitch : chords[bar % 4]) {
      MidiEvent note = refhost::Note(bar * 1920, 1800, static_cast<uint8_t>(pitch), 90);
      if (bar == 1) note.flags |= kEventSelected;
      host.AddEvent(block, note);
    }
    host.AddEvent(block, refhost::Note(bar * 1920, 960, static_cast<uint8_t>(36 + bar % 2 * 7), 100));
    for (int beat = 0; beat < 4; ++beat) {
      int pitch = 72 + ((bar * 4 + beat) * 5) % 12;
      MidiEvent note = refhost::Note(bar * 1920 + beat * 480, 420, static_cast<uint8_t>(pitch), 110);
      if (bar == 1) note.flags |= kEventSelected;
      host.AddEvent(block, note);
    }
  }
  refhost::SiteInterfaces site = refhost::QuerySiteInterfaces(host);
  auto store = std::make_unique<EventStore>();
  store->Connect(site.Links());
  store->SelectView(0, -1);
  EditorPrefs prefs = DefaultEditorPrefs();
  prefs.scaleSnap = 1;
  prefs.gridValue = -4;
  prefs.firstVisibleRow = 127 - 86;
  prefs.rowHeightIndex = 4;
  RollSource source(*store, prefs);
  source.SetTimeBase(TrackTimeBase{{}, 4, 4, 480});

  HWND parent = CreateWindowExW(0, L"STATIC", L"piano roll", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                nullptr, module, nullptr);
  HWND window = CreatePianoRollWindow(parent, &source, module);
  if (!window) return 1;
  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  PianoRoll* roll = PianoRollOf(window);
  roll->SetView(0, 4 * 1920 + 960, 0);
  SetCursorPos(roll, 4 * 1920, 960, kCursorFollow);

  ClientPixels picture = CaptureClient(window);
  DestroyWindow(window);
  DestroyWindow(parent);
  store->Disconnect();
  bool written = WritePng(path, picture.words, picture.width, picture.height);
  OleUninitialize();
  if (!written) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
