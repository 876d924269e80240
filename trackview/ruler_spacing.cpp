// Musical label spacing, subdivision fitting and grid thinning.
#include "trackview/ruler_spacing.h"

#include <cmath>

RulerSpacing MusicalSpacing(double ticks, const TrackTimeBase& timeBase) {
  int64_t beat = TicksPerBeat(timeBase);
  int64_t measure = TicksPerMeasure(timeBase);
  if (beat <= 0 || measure <= 0) return {ticks, 1, false};

  if (ticks >= static_cast<double>(measure)) {
    double whole = std::floor(ticks / static_cast<double>(measure));
    double rest = ticks - whole * static_cast<double>(measure);
    int64_t m = static_cast<int64_t>(std::fmin(whole, 0x1p52));
    if (rest > static_cast<double>(beat)) ++m;
    int64_t power = 1;
    while (power <= m / 2) power *= 2;
    m = power * 2;
    int32_t subdivisions = (timeBase.numerator * m) % 4 != 0 ? static_cast<int32_t>(m) : 4;
    return {static_cast<double>(m * measure), subdivisions, true};
  }
  if (ticks >= static_cast<double>(beat)) {
    double whole = std::floor(ticks / static_cast<double>(beat));
    int64_t h = static_cast<int64_t>(whole);
    if (ticks - whole * static_cast<double>(beat) > 1.0) ++h;
    if (timeBase.numerator % h != 0 || h == timeBase.numerator) {
      return {static_cast<double>(measure), timeBase.numerator, true};
    }
    return {static_cast<double>(h * beat), 4, true};
  }
  int64_t half = beat / 2;
  if (ticks > static_cast<double>(half)) return {static_cast<double>(beat), 4, true};
  while (half > 0 && static_cast<double>(half) > ticks) half /= 2;
  return {static_cast<double>(half > 0 ? 2 * half : 1), 4, false};
}

int32_t FitSubdivisions(double intervalPixels, int32_t subdivisions) {
  int32_t s = subdivisions < 1 ? 1 : subdivisions;
  double d = intervalPixels / s;
  while (d > 60 && s < 16) {
    s *= 2;
    d /= 2;
  }
  while (d < 9 && s % 2 == 0) {
    s /= 2;
    d *= 2;
  }
  return s;
}

double ThinnedGrid(double gridTicks, int32_t minPixels, double ticksPerPixel) {
  if (!(gridTicks > 0) || !(ticksPerPixel > 0)) return gridTicks;
  double spacing = gridTicks;
  while (spacing / ticksPerPixel < minPixels && spacing < 0x1p62) spacing *= 2;
  return spacing;
}
