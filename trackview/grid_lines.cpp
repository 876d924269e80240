// The data area's vertical grid lines, drawn by the tools: the track's own
// grid thinned to a readable density, or the ruler's marks. The spacing used
// becomes the snap grid when the track sets none.
#include <algorithm>
#include <cmath>

#include "trackview/engine.h"
#include "trackview/gdi.h"
#include "trackview/ruler_spacing.h"

namespace {

constexpr double kFewestTicks = 8;

}  // namespace

void DrawGridLines(Trackview* view, HDC dc, COLORREF beatColour, COLORREF otherColour, int32_t band) {
  if (view->viewSpan == 0 || !(view->ticksPerPixel > 0)) return;
  GridLineSetting grid = view->source ? view->source->GridLines() : GridLineSetting{};
  double spacing;
  bool allBeat = false;
  bool byBeat = false;
  if (grid.gridTicks > 0) {
    // At least a pixel apart whatever the track asks.
    spacing = ThinnedGrid(grid.gridTicks, std::max(grid.minLinePixels, 1), view->ticksPerPixel);
    allBeat = grid.beatColourLines;
  } else {
    double labels = LabelSpacing(RulerLabelWidth(view, dc), view->ticksPerPixel);
    RulerSpacing musical = MusicalSpacing(labels, view->timeBase);
    int subdivisions = FitSubdivisions(musical.ticks / view->ticksPerPixel, musical.subdivisions);
    spacing = musical.ticks / subdivisions;
    byBeat = true;
  }

  if (spacing >= kFewestTicks) {
    const TvRect& data = view->dataRect;
    int64_t beat = TicksPerBeat(view->timeBase);
    // Integer line numbers (a double counter stops advancing past 2^53), and
    // exact times on a whole-tick grid, which doubles miss near 2^62.
    int64_t whole = spacing == std::floor(spacing) && spacing < 9.0e15 ? static_cast<int64_t>(spacing) : 0;
    int64_t firstLine = whole ? (view->viewStart + whole - 1) / whole
                              : TruncToInt64(std::ceil(static_cast<double>(view->viewStart) / spacing));
    double last = std::floor(static_cast<double>(view->XToTime(data.right)) / spacing);
    int64_t count = std::min<int64_t>(TruncToInt64(last - static_cast<double>(firstLine)) + 1,
                                      2 * int64_t{data.right - data.left});
    int32_t bottom = data.bottom - std::max(band, 0);
    for (int64_t k = 0; k <= count; ++k) {
      int64_t t = whole ? (firstLine + k) * whole
                        : TruncToInt64(std::round(static_cast<double>(firstLine + k) * spacing));
      int32_t x = view->TimeToX(t);
      if (x < data.left || x >= data.right) continue;
      bool strong = allBeat || (byBeat && beat > 0 && t % beat == 0);
      FillSolid(dc, {x, data.top, x + 1, bottom}, strong ? beatColour : otherColour);
      if (bottom < data.bottom) FillSolid(dc, {x, bottom, x + 1, data.bottom}, otherColour);
    }
  }
  view->adaptiveGrid = std::max(spacing, 1.0);
  if (!(grid.gridTicks > 0)) view->snapGrid = view->adaptiveGrid;
}
