// Paints a track view of the test client (time ruler, loop bar with an
// active loop region, scroll-and-zoom controls, grid lines and the playback
// line) into a DIB and saves it as a 24-bit BMP.
// Usage: tv_screenshot.exe OUTPUT.bmp [WIDTH HEIGHT]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/trackview/support/test_client.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tv_screenshot OUTPUT.bmp [WIDTH HEIGHT]\n");
    return 2;
  }
  int width = argc >= 4 ? std::atoi(argv[2]) : 800;
  int height = argc >= 4 ? std::atoi(argv[3]) : 400;
  if (width < 100 || height < 100 || width > 4000 || height > 4000) {
    std::fprintf(stderr, "size out of range\n");
    return 2;
  }
  wchar_t path[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH)) return 2;

  tvtest::Host host(width, height);
  Trackview* view = host.view();
  if (!view) return 1;
  view->SetView(1920, int64_t{view->mapWidth} * 16, 0);
  SetLoopRegion(view, 3 * 1920, 4 * 1920);
  ToggleLoopPlayback(view);
  view->flags = (view->flags | kTvPlaying) & ~kTvDetached;
  view->playPos = 5 * 1920 + 960;
  view->SetVertView(45 * 40, view->vertSpan, 0);
  host.Capture();
  if (!tvtest::SaveBmp(host, path, width, height)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: %dx%d\n", argv[1], width, height);
  return 0;
}
