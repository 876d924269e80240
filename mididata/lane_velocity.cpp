// The velocity lane, the lane names and the descriptor of a lane kind.
#include "mididata/edit_gestures.h"
#include "mididata/lane_descriptor.h"
#include "kvlib/printf.h"
#include "mididata/vocab_names.h"
#include "mididata/vocabulary.h"
#include "resources/vocabulary_ids.h"

void LaneName(int32_t kind, kvchar* buffer, int32_t capacity) {
  if (capacity <= 0) return;
  if (kind == kLaneVelocity) {
    LoadVocabulary(IDS_VELOCITY, buffer, capacity);
    return;
  }
  if (kind == kLanePitchBend) {
    LoadVocabulary(EventTypeStringId(kEvPitchBend), buffer, capacity);
    return;
  }
  kvchar format[32];
  kvchar name[64];
  LoadVocabulary(IDS_FORMAT_CONTROLLER_LANE, format, 32);
  ControllerName(kind - kLaneControllerBase, name, 64);
  KvPrintF(buffer, static_cast<size_t>(capacity), format, kind - kLaneControllerBase, name);
}

std::unique_ptr<LaneDescriptor> CreateLaneDescriptor(int32_t kind, EventStore& store, LaneView& view) {
  if (kind == kLaneVelocity) return std::make_unique<VelocityLane>(store, view);
  if (kind == kLanePitchBend) return std::make_unique<PitchBendLane>(store, view);
  if (kind >= kLaneControllerBase && kind < kLaneControllerBase + 128)
    return std::make_unique<ControllerLane>(store, view, kind - kLaneControllerBase);
  return nullptr;
}

void VelocityLane::GetName(kvchar* buffer, int32_t capacity) { LaneName(kLaneVelocity, buffer, capacity); }

HRESULT VelocityLane::DrawLine(int32_t positionFrom, int32_t positionTo, int32_t laneHeight, int64_t timeFrom,
                               int64_t timeTo, int64_t ticksPerPixel, bool) {
  return VelocityLine(store_, timeFrom, ValueAt(positionFrom, laneHeight), timeTo, ValueAt(positionTo, laneHeight),
                      ticksPerPixel, store_.ChannelMask());
}
