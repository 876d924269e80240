// Lane descriptors: what the lane under the notes shows and edits. The
// velocity lane edits the velocities of notes; the value lanes hold events of
// their own kind (pitch bend, or one controller) as a step graph, drawn and
// erased through the pending edits of the event store.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "mididata/event_store.h"
#include "mididata/lane_math.h"
#include "mididata/lane_menu_model.h"

class LaneDescriptor {
 public:
  LaneDescriptor(EventStore& store, LaneView& view) : store_(store), view_(view) {}
  virtual ~LaneDescriptor() = default;
  LaneDescriptor(const LaneDescriptor&) = delete;
  LaneDescriptor& operator=(const LaneDescriptor&) = delete;

  virtual void GetName(kvchar* buffer, int32_t capacity) = 0;
  virtual HRESULT EraseSpan(int64_t timeFrom, int64_t timeTo, int64_t ticksPerPixel, bool shift) = 0;
  // Positions are pixels above the value area's bottom, 0..laneHeight.
  virtual HRESULT DrawLine(int32_t positionFrom, int32_t positionTo, int32_t laneHeight, int64_t timeFrom,
                           int64_t timeTo, int64_t ticksPerPixel, bool shift) = 0;
  virtual HRESULT Paint(HDC dc, const RECT& rect, const RECT& clip) = 0;
  virtual HRESULT FinishStroke() = 0;
  virtual int32_t GetKind() const = 0;
  virtual int32_t GetCursor() const { return 129; }
  virtual int32_t MinValue() const { return 0; }
  virtual int32_t MaxValue() const { return kControllerFull; }
  virtual int32_t FullScale() const { return kControllerFull; }
  virtual int32_t ValueAt(int32_t position, int32_t height) const {
    return height ? static_cast<int32_t>(int64_t{position} * FullScale() / height) : 0;
  }

 protected:
  EventStore& store_;
  LaneView& view_;
};

// The descriptor of a lane kind (1000 + n, kLaneVelocity, kLanePitchBend);
// null for any other kind.
std::unique_ptr<LaneDescriptor> CreateLaneDescriptor(int32_t kind, EventStore& store, LaneView& view);

// A lane kind's display name: "Velocity", "Pitch Bend", "7: Main Volume MSB".
void LaneName(int32_t kind, kvchar* buffer, int32_t capacity);

class VelocityLane : public LaneDescriptor {
 public:
  using LaneDescriptor::LaneDescriptor;
  void GetName(kvchar* buffer, int32_t capacity) override;
  // Erasing does not apply to velocities.
  HRESULT EraseSpan(int64_t, int64_t, int64_t, bool) override { return S_FALSE; }
  HRESULT DrawLine(int32_t positionFrom, int32_t positionTo, int32_t laneHeight, int64_t timeFrom, int64_t timeTo,
                   int64_t ticksPerPixel, bool shift) override;
  // The notes' velocities are painted with the notes by the lane itself.
  HRESULT Paint(HDC, const RECT&, const RECT&) override { return S_FALSE; }
  HRESULT FinishStroke() override { return S_FALSE; }
  int32_t GetKind() const override { return kLaneVelocity; }
  int32_t GetCursor() const override { return 3; }
};

// A lane of events of one kind with one value each, shown as a step graph.
class ValueLane : public LaneDescriptor {
 public:
  using LaneDescriptor::LaneDescriptor;
  ~ValueLane() override;
  HRESULT EraseSpan(int64_t timeFrom, int64_t timeTo, int64_t ticksPerPixel, bool shift) override;
  HRESULT DrawLine(int32_t positionFrom, int32_t positionTo, int32_t laneHeight, int64_t timeFrom, int64_t timeTo,
                   int64_t ticksPerPixel, bool shift) override;
  HRESULT Paint(HDC dc, const RECT& rect, const RECT& clip) override;
  HRESULT FinishStroke() override;

 protected:
  virtual bool IsOwn(const MidiEvent& e) const = 0;
  virtual int32_t ValueOf(const MidiEvent& e) const = 0;
  virtual MidiEvent MakeEvent(int64_t time, int32_t value, int32_t channel) const = 0;
  virtual int32_t InitialValue() const = 0;
  virtual bool Bipolar() const = 0;
  virtual int32_t ColourIndex() const = 0;

  // The values of a line between two times, after clearing their span.
  HRESULT DrawValues(int32_t valueFrom, int32_t valueTo, int64_t timeFrom, int64_t timeTo, bool shift);
  // Queues the own events starting in from..to for deletion and drops the
  // own pending inserts there.
  HRESULT ClearRange(int64_t from, int64_t to);

 private:
  HBRUSH brush_ = nullptr;  // created at the first paint, kept for the next
};

class ControllerLane : public ValueLane {
 public:
  ControllerLane(EventStore& store, LaneView& view, int32_t controller)
      : ValueLane(store, view), controller_(controller) {}
  void GetName(kvchar* buffer, int32_t capacity) override;
  int32_t GetKind() const override { return kLaneControllerBase + controller_; }

 protected:
  bool IsOwn(const MidiEvent& e) const override { return e.type == kEvControlChange && e.data[0] == controller_; }
  int32_t ValueOf(const MidiEvent& e) const override { return e.data[1]; }
  MidiEvent MakeEvent(int64_t time, int32_t value, int32_t channel) const override;
  int32_t InitialValue() const override { return 0; }
  bool Bipolar() const override { return false; }
  int32_t ColourIndex() const override { return controller_; }

 private:
  int32_t controller_;
};

class PitchBendLane : public ValueLane {
 public:
  using ValueLane::ValueLane;
  void GetName(kvchar* buffer, int32_t capacity) override;
  // Erasing returns the range to the centre: a flat line at 8192.
  HRESULT EraseSpan(int64_t timeFrom, int64_t timeTo, int64_t ticksPerPixel, bool shift) override;
  int32_t GetKind() const override { return kLanePitchBend; }
  int32_t MinValue() const override { return 0; }
  int32_t MaxValue() const override { return kPitchBendFull; }
  int32_t FullScale() const override { return kPitchBendFull; }
  // The signed bend: a x 16383 / b truncated toward zero, minus 8192.
  int32_t ValueAt(int32_t position, int32_t height) const override {
    return LaneDescriptor::ValueAt(position, height) - kPitchBendCentre;
  }

 protected:
  bool IsOwn(const MidiEvent& e) const override { return e.type == kEvPitchBend; }
  int32_t ValueOf(const MidiEvent& e) const override { return e.data[0] + 128 * e.data[1]; }
  MidiEvent MakeEvent(int64_t time, int32_t value, int32_t channel) const override;
  int32_t InitialValue() const override { return kPitchBendCentre; }
  bool Bipolar() const override { return true; }
  int32_t ColourIndex() const override { return 128; }
};
