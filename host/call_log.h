// The record of every call the plug-in makes into the host, in call order, with
// a compact text per call so that tests compare whole protocols as string lists,
// e.g. {"BeginEdit(1,Draw MIDI Event)", "InsertItem(3,t1,b1)", "EndEdit(1)"}.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mididata/host_records.h"

namespace refhost {

struct CallEntry {
  std::string method;  // "SetItem", "QueryInterface", "Advise", ...
  // Compact form: the method with the arguments that say what it addresses.
  // A data call made while no bracket was open ends in " [unbracketed]".
  std::string text;
  int32_t level = 0;
  ItemPath path{};     // as the caller passed it
  ItemPath outPath{};  // as the host wrote it back (enumeration, InsertItem)
  uint32_t mask = 0;   // filter, flags, change mask, type mask or SendEvent flags
  std::optional<std::wstring> label;  // BeginEdit, when a label was given
  std::optional<MidiEvent> event;     // records passed to SetItem, InsertItem, SendEvent (pointers cleared)
  HRESULT result = S_OK;
  bool injected = false;         // the fault plan chose the result
  bool unbracketed = false;      // a data call that should have been inside BeginEdit/EndEdit
  bool undoableBracket = false;  // BeginEdit and EndEdit of an undoable bracket

  // text followed by " = " and the result ("S_OK", "S_FALSE", "E_FAIL", ... or hex).
  std::string TextWithResult() const;
};

// An entry with just a method and its compact text.
CallEntry MakeCall(std::string method, std::string text);

enum class CallFilter {
  All,
  Data,   // HostMidiData calls only
  Edits,  // undoable brackets and the calls that change data
};

class CallLog {
 public:
  size_t Append(CallEntry entry);
  CallEntry& At(size_t index) { return entries_[index]; }
  const std::vector<CallEntry>& Entries() const { return entries_; }
  std::vector<std::string> Texts(CallFilter filter = CallFilter::All) const;
  std::vector<std::string> TextsWithResults(CallFilter filter = CallFilter::All) const;
  size_t Count(std::string_view method) const;
  size_t UnbracketedCount() const;
  void Clear() {
    entries_.clear();
    ++generation_;
  }
  // Changes at every Clear: a call in progress then stops writing to its entry.
  uint64_t Generation() const { return generation_; }

 private:
  std::vector<CallEntry> entries_;
  uint64_t generation_ = 0;
};

std::string ResultText(HRESULT hr);

}  // namespace refhost
