#include "host/notices.h"

#include "host/host_text.h"
#include "mididata/host_interfaces.h"

namespace refhost {

HostNotification DataNotice(uint32_t flags, int32_t level, const ItemPath& oldPath, const ItemPath& newPath) {
  HostNotification n = KindNotice(NOTIFY_DataChanged);
  n.flags = flags;
  n.level = level;
  n.oldPath = oldPath;
  n.newPath = newPath;
  return n;
}

HostNotification KindNotice(const GUID& kind) {
  HostNotification n{};
  n.kind = kind;
  return n;
}

std::string NoticeText(const HostNotification& n) {
  if (!IsEqualGUID(n.kind, NOTIFY_DataChanged)) {
    std::string text = GuidName(n.kind);
    if (n.flags) text += "(" + Hex(n.flags) + ")";
    return text;
  }
  const std::string level = std::to_string(n.level);
  const uint32_t kind = n.flags & ~(kChangeResort | kChangeForceRefresh);
  std::string text;
  switch (kind) {
    case kChangeInserted:
    case kChangeInsertedAlt: text = "Inserted(" + level + "," + PathText(n.level, n.newPath) + ")"; break;
    case kChangeDeleted: text = "Deleted(" + level + "," + PathText(n.level, n.oldPath) + ")"; break;
    case kChangeChanged:
      text = std::string(n.flags & kChangeResort ? "Changed+Resort(" : "Changed(") + level + "," +
             PathText(n.level, n.newPath) + ")";
      break;
    case kChangeMoved:
      text = "Moved(" + level + "," + PathText(n.level, n.oldPath) + ">" + PathText(n.level, n.newPath) + ")";
      break;
    case kChangeReset: text = "Reset(" + level + ")"; break;
    default:
      text = "DataChanged(" + Hex(n.flags) + "," + level + "," + PathText(n.level, n.oldPath) + ">" +
             PathText(n.level, n.newPath) + ")";
      return text;
  }
  if (n.flags & kChangeForceRefresh) text += "+Refresh";
  return text;
}

}  // namespace refhost
