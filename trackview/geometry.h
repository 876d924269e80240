// The track view's coordinate model: time in ticks across, rows of 45 vertical
// units down, the views onto both, and the conversions and setters that every
// pane and tool goes through. Platform-free; the window supplies its side
// effects through a ViewEffects table.
#pragma once

#include <cstdint>

struct TvRect {
  int32_t left, top, right, bottom;
};

// Engine flags (TrackviewGeometry::flags).
inline constexpr uint32_t kTvCaretShown = 0x1;
inline constexpr uint32_t kTvPlaying = 0x2;
inline constexpr uint32_t kTvDetached = 0x10;
inline constexpr uint32_t kTvMayReturn = 0x20;
inline constexpr uint32_t kTvLoopPlayback = 0x100;
inline constexpr uint32_t kTvFrozen = 0x200;
inline constexpr uint32_t kTvHover = 0x800;
inline constexpr uint32_t kTvTipText = 0x10000;
inline constexpr uint32_t kTvTipActive = 0x20000;
inline constexpr uint32_t kTvTipChanged = 0x40000;
inline constexpr uint32_t kTvHitStale = 0x80000;

// Areas for invalidation. Without kAreaNoData the data area and the lane are
// always included; kAreaAll (low 16 bits) is the whole window.
inline constexpr uint32_t kAreaLoopBar = 1u << 0;  // with panes 11-16
inline constexpr uint32_t kAreaPane5 = 1u << 1;
inline constexpr uint32_t kAreaRuler = 1u << 2;  // with pane 7
inline constexpr uint32_t kAreaTransport = 1u << 3;
inline constexpr uint32_t kAreaPane9 = 1u << 11;
inline constexpr uint32_t kAreaHeader = 1u << 12;
inline constexpr uint32_t kAreaVScroll = 1u << 13;
inline constexpr uint32_t kAreaHScroll = 1u << 14;
inline constexpr uint32_t kAreaNoData = 1u << 15;
inline constexpr uint32_t kAreaAll = 0x7FFF;
inline constexpr uint32_t kAreaUpdateNow = 1u << 20;

// Flags of SetView and SetVertView.
inline constexpr uint32_t kViewNoDetach = 0x1;
inline constexpr uint32_t kViewSkipUnchanged = 0x2;
inline constexpr uint32_t kVertNewSpan = 0x4;

// Modes of PlaceAt: the position at the left or right edge (else centred),
// with a tenth of the span as margin.
inline constexpr uint32_t kPlaceLeft = 0x1;
inline constexpr uint32_t kPlaceRight = 0x2;
inline constexpr uint32_t kPlaceMargin = 0x4;

inline constexpr int32_t kRowUnits = 45;
inline constexpr int32_t kDeepestTicksPerPixel = 11;
inline constexpr int32_t kMaxPixel = 16383;
inline constexpr int32_t kMinPixel = -16384;
inline constexpr int64_t kMaxTotalLength = int64_t{1} << 62;
inline constexpr int32_t kMaxVertTotal = 0x70000000;

struct TrackviewGeometry;

// What the setters need from the window: a null table or slot does nothing
// (the row count is then -1).
struct ViewEffects {
  void (*filterView)(TrackviewGeometry& view, int64_t* start, int64_t* span);
  int32_t (*rowCount)(const TrackviewGeometry& view);
  bool (*fixedRows)(const TrackviewGeometry& view);
  void (*placeCaret)(TrackviewGeometry& view);
  void (*invalidate)(TrackviewGeometry& view, uint32_t areas);
};

struct TrackviewGeometry {
  const ViewEffects* effects = nullptr;
  uint32_t flags = 0;
  int32_t clientWidth = 0, clientHeight = 0;

  // Horizontal view.
  int64_t viewStart = 0;
  int64_t viewSpan = 0;
  int32_t mapWidth = 1;
  int32_t rightMargin = 0;
  double ticksPerPixel = 0.0;
  int64_t totalLength = 0;
  int32_t zoomLevel = 0, maxZoomLevel = 0;
  double snapGrid = 0.0;

  // Vertical view.
  int32_t vertStart = 0;
  int32_t vertSpan = 0;
  int32_t vertExtentPx = 1;
  int32_t bottomMargin = 0;
  double unitsPerPixelV = 0.0;
  int32_t firstRow = 0;
  int32_t rowCount = 0;
  int32_t rowHeightIndex = 0;
  int32_t maxRowHeightIndex = 0;
  int32_t defaultRowHeightIndex = 0;
  int32_t vertTotal = 0;

  TvRect dataRect{};
  int32_t dataWidth = 1, dataHeight = 1;
  bool viewChanged = false;

  // Conversions; none changes the view. A zero span maps every tick to -1.
  int32_t TimeToX(int64_t t) const;
  int32_t TimeToXUp(int64_t t) const;
  int64_t PixelsToTicks(int32_t pixels) const;
  int64_t XToTime(int32_t x) const;
  int64_t SnapNearest(int64_t t) const;
  int64_t SnapUp(int64_t t) const;
  int64_t SnapDown(int64_t t) const;
  int32_t UnitToY(int64_t unit) const;
  int32_t RowToY(int32_t row) const { return UnitToY(int64_t{row} * kRowUnits); }
  int32_t YToRow(int32_t y) const;
  int32_t RowPixelHeight() const;

  // The horizontal zoom ladder.
  int64_t ZoomSpan(int32_t step) const;
  int32_t ZoomStepOf(int64_t span) const;

  // Setters (view_setters.cpp).
  bool SetView(int64_t start, int64_t span, uint32_t flags);
  void SetVertView(int32_t start, int32_t span, uint32_t flags);
  void SetTotalLength(int64_t length);
  void SetVertTotal(int32_t units);
  void RecomputeVertTotal();
  // Takes the area left over by the panes as the data area (layout steps 4-7).
  void ApplyDataArea(const TvRect& remaining, bool fullRelayout);

  // Scrolling (view_scrolling.cpp).
  void KeepVisible(int64_t position);
  void PlaceAt(int64_t position, uint32_t mode);
  void ScrollBy(int64_t ticks, int32_t units);
  bool ZoomToRange(int64_t start, int64_t length);
  // Goes to a zoom step (limited to the ladder), centred on a position;
  // false when the step does not change.
  bool ZoomToStep(int64_t step, int64_t centre);

 private:
  int32_t LimitFirstRow(int64_t row, int32_t span) const;
  void Invalidate(uint32_t areas);
  void PlaceCaret();
};

// Truncates toward zero, saturating at the int64 range; NaN gives 0.
int64_t TruncToInt64(double value);
