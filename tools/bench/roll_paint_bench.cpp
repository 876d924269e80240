// Prints what painting a zoomed-in piano roll and hit-testing a note cost
// on tracks of 1k, 100k and 1M notes, with the same number of notes in
// view, and the ratio of the largest track to the smallest. Figures, not
// pass/fail: run it with tools/bench.sh.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <memory>

#include "host/site_interfaces.h"
#include "kvlib/module.h"
#include "pianoroll/pianoroll.h"

namespace {

constexpr int64_t kSpacing = 200;  // ticks between note starts
constexpr int kPaints = 40, kHits = 400;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

struct Figures {
  double paintMs, hitMs;
  double paintReads, hitReads;  // host reads per operation
  int visible;
};

Figures Measure(int notes, HWND parent) {
  refhost::RefHost host;
  host.SetTicksPerQuarter(480);
  ItemPath track = host.AddTrack({.name = L"Bench", .channel = 0});
  ItemPath block = host.AddBlock(track, {.start = 0, .end = notes * kSpacing + kSpacing});
  for (int i = 0; i < notes; ++i) {
    host.AddEvent(block, refhost::Note(i * kSpacing, kSpacing / 2, static_cast<uint8_t>(36 + i % 48)));
  }
  refhost::SiteInterfaces site = refhost::QuerySiteInterfaces(host);
  auto store = std::make_unique<EventStore>();
  store->Connect(site.Links());
  store->SelectView(0, -1);
  store->EventCount();  // the list is built before the figures start
  EditorPrefs prefs = DefaultEditorPrefs();
  prefs.firstVisibleRow = 127 - 84;
  RollSource source(*store, prefs);
  source.SetTimeBase(TrackTimeBase{{}, 4, 4, 480});
  HWND window = CreatePianoRollWindow(parent, &source, GetModuleHandleW(nullptr));
  SetWindowPos(window, nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOACTIVATE);
  PianoRoll* roll = PianoRollOf(window);
  // The deepest zoom in the middle of the track.
  int64_t middle = notes / 2 * kSpacing;
  roll->SetView(middle, 0, 0);
  Figures f{};
  f.visible = static_cast<int>(roll->viewSpan / kSpacing);

  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 900, 700);
  HGDIOBJ old = SelectObject(memory, bitmap);
  host.Log().Clear();
  double t0 = Now();
  for (int i = 0; i < kPaints; ++i) {
    InvalidateNotes(roll);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  }
  f.paintMs = (Now() - t0) / kPaints;
  f.paintReads = static_cast<double>(host.Log().Count("GetItem")) / kPaints;

  host.Log().Clear();
  t0 = Now();
  for (int i = 0; i < kHits; ++i) {
    int64_t tick = middle + (i % 30) * kSpacing + kSpacing / 4;
    int pitch = 36 + static_cast<int>((tick / kSpacing) % 48);
    POINT p{roll->TimeToX(tick), (roll->RowToY(127 - pitch) + roll->RowToY(128 - pitch)) / 2};
    ClientToScreen(window, &p);
    SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y + (i & 1)));
  }
  f.hitMs = (Now() - t0) / kHits;
  f.hitReads = static_cast<double>(host.Log().Count("GetItem")) / kHits;

  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  DestroyWindow(window);
  store->Disconnect();
  return f;
}

}  // namespace

int main() {
  if (FAILED(OleInitialize(nullptr))) return 2;
  HINSTANCE module = GetModuleHandleW(nullptr);
  KvModule_Startup(module);
  RegisterTrackviewClass(module);
  HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 800, nullptr, nullptr,
                                module, nullptr);
  std::printf("piano roll: paint of a zoomed-in view and a note hit test\n");
  std::printf("%10s %8s %12s %14s %12s %14s\n", "notes", "visible", "paint ms", "paint reads", "hit ms", "hit reads");
  Measure(1000, parent);  // the first window pays for the process's warm-up
  Figures small{}, large{};
  for (int notes : {1000, 100000, 1000000}) {
    Figures f = Measure(notes, parent);
    std::printf("%10d %8d %12.3f %14.1f %12.4f %14.1f\n", notes, f.visible, f.paintMs, f.paintReads, f.hitMs,
                f.hitReads);
    if (notes == 1000) small = f;
    large = f;
  }
  std::printf("ratio 1M / 1k: paint %.2f, hit test %.2f\n", large.paintMs / small.paintMs, large.hitMs / small.hitMs);
  DestroyWindow(parent);
  OleUninitialize();
  return 0;
}
