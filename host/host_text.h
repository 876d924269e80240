// Short text forms of the host's values, used by the call log, the delivery log
// and the project dump so that tests can compare whole sequences as strings.
#pragma once

#include <guiddef.h>

#include <cstdint>
#include <string>

#include "mididata/host_records.h"

namespace refhost {

std::string Utf8(const std::wstring& text);
std::string Utf8(const wchar_t* text);  // null gives ""
std::string Hex(uint32_t value);        // "0x8000"
// The ids a level addresses: "t1" (1), "t1,b2" (2), "t1,b2,e3" (3).
std::string PathText(int32_t level, const ItemPath& path);
// The parent ids a caller names for a level: "" (1), "t1" (2), "t1,b2" (3).
std::string ParentText(int32_t level, const ItemPath& path);
// Interface, property set and notification names, or the braced GUID.
std::string GuidName(const GUID& guid);
// "NoteOn 60/100 @480+240 ch0 sel" style summary of an event record.
std::string EventText(const MidiEvent& e);

}  // namespace refhost
