// The value lanes: drawing, erasing, finishing a stroke and painting the step
// graph of controller and pitch bend events.
#include <algorithm>
#include <vector>

#include "mididata/edit_commit.h"
#include "mididata/edit_walk.h"
#include "mididata/lane_descriptor.h"

namespace {

int32_t PositionValue(int32_t position, int32_t height, int32_t fullScale) {
  return height > 0 ? static_cast<int32_t>(int64_t{position} * fullScale / height) : 0;
}

}  // namespace

ValueLane::~ValueLane() {
  if (brush_) DeleteObject(brush_);
}

HRESULT ValueLane::ClearRange(int64_t from, int64_t to) {
  PendingEdits& pending = store_.pending();
  HRESULT hr = WalkEventsIn(store_, from, to, [&](int32_t, const ItemPath& path, const MidiEvent& e) -> HRESULT {
    if (!IsOwn(e) || e.start < from || e.start > to || pending.FindPendingDelete(path) >= 0) return S_OK;
    return pending.QueueDelete(path);
  });
  if (FAILED(hr)) return hr;
  for (int32_t i = pending.PendingInsertCount() - 1; i >= 0; --i) {
    MidiEvent e{};
    pending.PendingInsertAt(i, &e);
    if (IsOwn(e) && e.start >= from && e.start <= to) pending.RemovePendingInsert(i);
  }
  return S_OK;
}

HRESULT ValueLane::EraseSpan(int64_t timeFrom, int64_t timeTo, int64_t, bool shift) {
  if (timeFrom > timeTo) std::swap(timeFrom, timeTo);
  if (view_.SnapActive() && !shift) {
    timeFrom = view_.SnapDown(timeFrom);
    timeTo = std::max(view_.SnapUp(timeTo) - 1, timeFrom);
  }
  return ClearRange(timeFrom, timeTo);
}

HRESULT ValueLane::DrawLine(int32_t positionFrom, int32_t positionTo, int32_t laneHeight, int64_t timeFrom,
                            int64_t timeTo, int64_t, bool shift) {
  return DrawValues(PositionValue(positionFrom, laneHeight, FullScale()),
                    PositionValue(positionTo, laneHeight, FullScale()), timeFrom, timeTo, shift);
}

HRESULT ValueLane::DrawValues(int32_t valueFrom, int32_t valueTo, int64_t timeFrom, int64_t timeTo, bool shift) {
  if (timeFrom > timeTo) {
    std::swap(timeFrom, timeTo);
    std::swap(valueFrom, valueTo);
  }
  const LaneSpan span = LaneLineSpan(timeFrom, timeTo, view_.SnapActive() && !shift, view_);
  HRESULT hr = ClearRange(span.start, span.end);
  if (FAILED(hr)) return hr;
  ItemPath target{};
  hr = EditTargetPath(store_, &target);
  int32_t channel = 0;
  if (SUCCEEDED(hr)) hr = TrackChannel(store_, target.trackId, &channel);
  if (FAILED(hr)) return hr;

  PendingEdits& pending = store_.pending();
  for (const LanePoint& p : LaneLinePoints(span, valueFrom, valueTo, MinValue(), MaxValue())) {
    for (int32_t i = pending.PendingInsertCount() - 1; i >= 0; --i) {
      MidiEvent e{};
      pending.PendingInsertAt(i, &e);
      if (IsOwn(e) && e.start == p.time) pending.RemovePendingInsert(i);
    }
    hr = pending.QueueInsert(MakeEvent(p.time, p.value, channel), nullptr);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT ValueLane::FinishStroke() {
  PendingEdits& pending = store_.pending();
  pending.SortPendingInserts();
  bool seen = false;
  int32_t previous = 0;
  for (int32_t i = 0; i < pending.PendingInsertCount();) {
    MidiEvent e{};
    pending.PendingInsertAt(i, &e);
    if (!IsOwn(e)) {
      ++i;
      continue;
    }
    const int32_t value = ValueOf(e);
    if (seen && value == previous) {
      pending.RemovePendingInsert(i);
      continue;
    }
    seen = true;
    previous = value;
    ++i;
  }
  return S_OK;
}

HRESULT ValueLane::Paint(HDC dc, const RECT& rect, const RECT& clip) {
  // Pending points replace the host's events over the time they span.
  std::vector<LanePoint> points;
  PendingEdits& pending = store_.pending();
  int64_t first = INT64_MAX, last = INT64_MIN;
  auto addPending = [&](const MidiEvent& e) {
    if (!IsOwn(e)) return;
    points.push_back(LanePoint{e.start, ValueOf(e)});
    first = std::min(first, e.start);
    last = std::max(last, e.start);
  };
  for (int32_t i = 0; i < pending.PendingInsertCount(); ++i) {
    MidiEvent e{};
    pending.PendingInsertAt(i, &e);
    addPending(e);
  }
  for (int32_t i = 0; i < pending.PendingChangeCount(); ++i) {
    MidiEvent e{};
    pending.PendingChangeAt(i, nullptr, &e);
    addPending(e);
  }
  HRESULT hr = WalkEvents(store_, [&](int32_t, const ItemPath& path, const MidiEvent& e) -> HRESULT {
    if (!IsOwn(e) || pending.FindPendingDelete(path) >= 0 || pending.FindPendingChange(path) >= 0) return S_OK;
    if (e.start >= first && e.start <= last) return S_OK;
    points.push_back(LanePoint{e.start, ValueOf(e)});
    return S_OK;
  });
  if (FAILED(hr)) return hr;
  std::stable_sort(points.begin(), points.end(),
                   [](const LanePoint& a, const LanePoint& b) { return a.time < b.time; });

  if (!brush_) brush_ = CreateSolidBrush(LaneColour(ColourIndex()));
  if (!brush_) return E_OUTOFMEMORY;
  RECT bounds{};
  if (!IntersectRect(&bounds, &rect, &clip)) return S_OK;
  const LaneRect area{rect.left, rect.top, rect.right, rect.bottom};
  for (const LaneRect& r : StepGraphRects(points, InitialValue(), Bipolar(), area, view_)) {
    const RECT step{r.left, r.top, r.right, r.bottom};
    RECT fill{};
    if (IntersectRect(&fill, &step, &bounds)) FillRect(dc, &fill, brush_);
  }
  return S_OK;
}

void ControllerLane::GetName(kvchar* buffer, int32_t capacity) { LaneName(GetKind(), buffer, capacity); }

MidiEvent ControllerLane::MakeEvent(int64_t time, int32_t value, int32_t channel) const {
  MidiEvent e{};
  e.type = kEvControlChange;
  e.channel = channel;
  e.start = time;
  e.timeFormat = kTimeTicks;
  e.data[0] = static_cast<uint8_t>(controller_);
  e.data[1] = static_cast<uint8_t>(value);
  return e;
}

void PitchBendLane::GetName(kvchar* buffer, int32_t capacity) { LaneName(GetKind(), buffer, capacity); }

HRESULT PitchBendLane::EraseSpan(int64_t timeFrom, int64_t timeTo, int64_t, bool shift) {
  return DrawValues(kPitchBendCentre, kPitchBendCentre, timeFrom, timeTo, shift);
}

MidiEvent PitchBendLane::MakeEvent(int64_t time, int32_t value, int32_t channel) const {
  MidiEvent e{};
  e.type = kEvPitchBend;
  e.channel = channel;
  e.start = time;
  e.timeFormat = kTimeTicks;
  e.data[0] = static_cast<uint8_t>(value % 128);
  e.data[1] = static_cast<uint8_t>(value / 128);
  return e;
}
