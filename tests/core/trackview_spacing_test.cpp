// Ruler label spacing, tick subdivisions, grid thinning and the parts of the
// scroll-and-zoom controls.
#include <gtest/gtest.h>

#include "trackview/ruler_spacing.h"
#include "trackview/scroll_parts.h"

namespace {

TrackTimeBase Meter(uint16_t numerator, uint16_t denominator, uint32_t ticksPerQuarter = 480) {
  TrackTimeBase tb{};
  tb.numerator = numerator;
  tb.denominator = denominator;
  tb.ticksPerQuarter = ticksPerQuarter;
  return tb;
}

TEST(TrackviewRulerSpacing, BeatsThatDivideTheMeasureStay) {
  RulerSpacing two = MusicalSpacing(960, Meter(4, 4));
  EXPECT_EQ(two.ticks, 960);
  EXPECT_EQ(two.subdivisions, 4);
  EXPECT_TRUE(two.beatsOnly);
  RulerSpacing three = MusicalSpacing(1440, Meter(4, 4));
  EXPECT_EQ(three.ticks, 1920);
  EXPECT_EQ(three.subdivisions, 4);
  // Two beats and more than a tick round up to three, which becomes a measure.
  EXPECT_EQ(MusicalSpacing(962, Meter(4, 4)).ticks, 1920);
  EXPECT_EQ(MusicalSpacing(961, Meter(4, 4)).ticks, 960);
  // A single beat divides every measure and stays.
  EXPECT_EQ(MusicalSpacing(480, Meter(3, 4)).ticks, 480);
  RulerSpacing six8 = MusicalSpacing(480, Meter(6, 8));  // beats of 240: two beats
  EXPECT_EQ(six8.ticks, 480);
}

TEST(TrackviewRulerSpacing, MeasuresGoToPowersOfTwo) {
  EXPECT_EQ(MusicalSpacing(1920, Meter(4, 4)).ticks, 2 * 1920);
  EXPECT_EQ(MusicalSpacing(3 * 1920, Meter(4, 4)).ticks, 4 * 1920);
  EXPECT_EQ(MusicalSpacing(2 * 1920 + 481, Meter(4, 4)).ticks, 4 * 1920);  // a further beat counts
  EXPECT_EQ(MusicalSpacing(5 * 1920, Meter(4, 4)).ticks, 8 * 1920);
  RulerSpacing odd = MusicalSpacing(1440, Meter(3, 4));
  EXPECT_EQ(odd.ticks, 2 * 1440);
  EXPECT_EQ(odd.subdivisions, 2);  // 3 x 2 is not a multiple of 4
  EXPECT_EQ(MusicalSpacing(3 * 1440, Meter(3, 4)).subdivisions, 4);
}

TEST(TrackviewRulerSpacing, FractionsOfABeat) {
  RulerSpacing beat = MusicalSpacing(300, Meter(4, 4));
  EXPECT_EQ(beat.ticks, 480);
  EXPECT_TRUE(beat.beatsOnly);
  RulerSpacing eighth = MusicalSpacing(240, Meter(4, 4));
  EXPECT_EQ(eighth.ticks, 480);
  EXPECT_FALSE(eighth.beatsOnly);
  RulerSpacing small = MusicalSpacing(100, Meter(4, 4));
  EXPECT_EQ(small.ticks, 120);
  EXPECT_EQ(small.subdivisions, 4);
  EXPECT_FALSE(small.beatsOnly);
  EXPECT_GE(MusicalSpacing(0.25, Meter(4, 4)).ticks, 1);
}

TEST(TrackviewRulerSpacing, NoMeterLeavesTheEstimate) {
  RulerSpacing none = MusicalSpacing(777.5, Meter(0, 4));
  EXPECT_EQ(none.ticks, 777.5);
  EXPECT_EQ(none.subdivisions, 1);
  EXPECT_EQ(MusicalSpacing(777.5, Meter(4, 4, 0)).ticks, 777.5);
}

TEST(TrackviewRulerSpacing, SubdivisionsKeepTicksReadable) {
  EXPECT_EQ(FitSubdivisions(400, 4), 8);   // 100 px apart: doubled once to 50
  EXPECT_EQ(FitSubdivisions(2000, 4), 16);  // never more than 16
  EXPECT_EQ(FitSubdivisions(20, 4), 2);    // 5 px apart: halved to 10
  EXPECT_EQ(FitSubdivisions(20, 3), 3);    // odd counts are not halved
  EXPECT_EQ(FitSubdivisions(4, 4), 1);
  EXPECT_EQ(FitSubdivisions(30, 0), 1);
}

TEST(TrackviewRulerSpacing, GridIsThinnedToTheMinimumDistance) {
  EXPECT_EQ(ThinnedGrid(120, 8, 50), 480);
  EXPECT_EQ(ThinnedGrid(120, 2, 50), 120);
  EXPECT_EQ(ThinnedGrid(120, 8, 0), 120);
  EXPECT_EQ(ThinnedGrid(0, 8, 50), 0);
  EXPECT_EQ(ThinnedGrid(1, INT32_MAX, 1e12), 0x1p62);  // stops at the longest time line
}

// Control metrics as a 96-dpi system gives them: 17-pixel arrows and bands.
constexpr ScrollMetrics kMetrics = {17, 17, 17, 17, 17};

TEST(TrackviewScrollParts, FullWidthControl) {
  ScrollParts p = LayOutScrollParts(100, 600, kMetrics, true);
  EXPECT_EQ(p.lessArrow.begin, 100);
  EXPECT_EQ(p.lessArrow.end, 117);
  EXPECT_EQ(p.corner.begin, 583);
  EXPECT_EQ(p.zoomOut.begin, 566);
  EXPECT_EQ(p.slider.begin, 560);
  EXPECT_EQ(p.slider.Length(), 6);
  EXPECT_EQ(p.zoomIn.begin, 543);
  EXPECT_EQ(p.moreArrow.begin, 526);
  EXPECT_EQ(p.moreArrow.end, 543);
  EXPECT_EQ(p.track.begin, 117);
  EXPECT_EQ(p.track.end, 526);
  EXPECT_EQ(p.trackLength, 409 - 12);
  ScrollParts noCorner = LayOutScrollParts(100, 600, kMetrics, false);
  EXPECT_EQ(noCorner.corner.Length(), 0);
  EXPECT_EQ(noCorner.zoomOut.end, 600);
}

TEST(TrackviewScrollParts, NarrowControlsDropPartsInsteadOfOverlapping) {
  // Zoom buttons need 17 + 34 + 34 + 6 = 91 pixels, the corner 17 more.
  ScrollParts a = LayOutScrollParts(0, 107, kMetrics, true);
  EXPECT_EQ(a.corner.Length(), 0);
  EXPECT_EQ(a.zoomOut.Length(), 17);
  ScrollParts b = LayOutScrollParts(0, 90, kMetrics, true);
  EXPECT_EQ(b.zoomIn.Length(), 0);
  EXPECT_EQ(b.slider.Length(), 0);
  EXPECT_EQ(b.moreArrow.Length(), 17);
  EXPECT_EQ(b.moreArrow.end, 90);
  ScrollParts c = LayOutScrollParts(0, 50, kMetrics, true);  // below thumb + two arrows
  EXPECT_EQ(c.lessArrow.Length(), 0);
  EXPECT_EQ(c.moreArrow.Length(), 0);
  EXPECT_EQ(c.track.Length(), 50);
  ScrollParts d = LayOutScrollParts(0, 5, kMetrics, true);
  EXPECT_EQ(d.trackLength, 1);
}

TEST(TrackviewScrollParts, ThumbMapsTheView) {
  ScrollParts p = LayOutScrollParts(0, 1000, kMetrics, true);
  int32_t len = p.trackLength;
  EXPECT_EQ(ThumbOffset(0, 1'000'000, len), 0);
  EXPECT_EQ(ThumbOffset(1'000'000, 1'000'000, len), len);
  EXPECT_EQ(ThumbPosition(len, 1'000'000, len), 1'000'000);
  EXPECT_EQ(ThumbOffset(500, 0, len), 0);
  AxisSpan t = ThumbSpan(p, 250'000, 250'000, 1'000'000);
  EXPECT_EQ(t.begin, p.track.begin + ThumbOffset(250'000, 1'000'000, len));
  EXPECT_EQ(t.end, p.track.begin + ThumbOffset(500'000, 1'000'000, len) + 12);
  // At the end of the track the thumb is cut and kept 8 pixels long.
  AxisSpan cut = ThumbSpan(p, 990'000, 20'000, 1'000'000);
  EXPECT_EQ(cut.end, p.track.end);
  EXPECT_EQ(cut.begin, p.track.begin + ThumbOffset(990'000, 1'000'000, len));
  AxisSpan past = ThumbSpan(p, 1'100'000, 20'000, 1'000'000);
  EXPECT_EQ(past.end, p.track.end);
  EXPECT_EQ(past.Length(), 8);
  AxisSpan whole = ThumbSpan(p, 0, 1'000'000, 1'000'000);
  EXPECT_EQ(whole.begin, p.track.begin);
  EXPECT_EQ(whole.end, p.track.end);
}

TEST(TrackviewScrollParts, PartsUnderThePointer) {
  ScrollParts p = LayOutScrollParts(0, 1000, kMetrics, true);
  AxisSpan thumb{400, 500};
  EXPECT_EQ(HitScrollPart(p, thumb, 3, true), kPartLessArrow);
  EXPECT_EQ(HitScrollPart(p, thumb, 200, true), kPartPageLess);
  EXPECT_EQ(HitScrollPart(p, thumb, 395, true), kPartNearHandle);
  EXPECT_EQ(HitScrollPart(p, thumb, 404, true), kPartNearHandle);
  EXPECT_EQ(HitScrollPart(p, thumb, 405, true), kPartThumb);
  EXPECT_EQ(HitScrollPart(p, thumb, 494, true), kPartThumb);
  EXPECT_EQ(HitScrollPart(p, thumb, 495, true), kPartFarHandle);
  EXPECT_EQ(HitScrollPart(p, thumb, 504, true), kPartFarHandle);
  EXPECT_EQ(HitScrollPart(p, thumb, 505, true), kPartPageMore);
  EXPECT_EQ(HitScrollPart(p, thumb, 395, false), kPartPageLess);
  EXPECT_EQ(HitScrollPart(p, thumb, 400, false), kPartThumb);
  EXPECT_EQ(HitScrollPart(p, thumb, p.moreArrow.begin, true), kPartMoreArrow);
  EXPECT_EQ(HitScrollPart(p, thumb, p.zoomIn.begin, true), kPartZoomIn);
  EXPECT_EQ(HitScrollPart(p, thumb, p.slider.begin + 5, true), kPartZoomSlider);
  EXPECT_EQ(HitScrollPart(p, thumb, p.zoomOut.end - 1, true), kPartZoomOut);
  EXPECT_EQ(HitScrollPart(p, thumb, 999, true), kPartCorner);
  EXPECT_EQ(HitScrollPart(p, thumb, 1000, true), kPartNone);
  // A short thumb reaches into itself only (length - 2) / 2.
  AxisSpan shortThumb{400, 408};
  EXPECT_EQ(HitScrollPart(p, shortThumb, 402, true), kPartNearHandle);
  EXPECT_EQ(HitScrollPart(p, shortThumb, 403, true), kPartThumb);
  EXPECT_EQ(HitScrollPart(p, shortThumb, 405, true), kPartFarHandle);
}

}  // namespace
