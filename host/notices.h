// Building and naming the host's 72-byte change records.
#pragma once

#include <guiddef.h>

#include <string>

#include "mididata/host_records.h"

namespace refhost {

// A data change: kind {9DD48DE0}, change flags, level and the item's old and new paths.
HostNotification DataNotice(uint32_t flags, int32_t level, const ItemPath& oldPath, const ItemPath& newPath);
// A record of another kind with every other field zero.
HostNotification KindNotice(const GUID& kind);
// "Inserted(3,t1,b1,e5)", "Changed+Resort(3,t1,b1,e5)", "Moved(3,t1,b1,e5>t1,b2,e5)",
// "Deleted(2,t1,b2)", "Reset(1)", "LoopChanged", or kind and flags for anything else.
std::string NoticeText(const HostNotification& n);

}  // namespace refhost
