#include "host/edit_ops.h"

#include <cstring>
#include <utility>

namespace refhost {

EditOp Reversed(const EditOp& op) {
  return std::visit(
      [](auto o) -> EditOp {
        std::swap(o.before, o.after);
        return o;
      },
      op);
}

bool IsSelectionOnly(const EditOp& op) {
  const EventOp* e = std::get_if<EventOp>(&op);
  if (!e || !e->before || !e->after) return false;
  if (e->before->trackId != e->after->trackId || e->before->blockId != e->after->blockId) return false;
  MidiEvent a = e->before->event.record;
  MidiEvent b = e->after->event.record;
  a.flags &= ~kEventSelected;
  b.flags &= ~kEventSelected;
  return std::memcmp(&a, &b, sizeof a) == 0 && e->before->event.payload == e->after->event.payload;
}

}  // namespace refhost
