#include "host/call_log.h"

#include "host/host_text.h"

namespace refhost {
namespace {

bool IsDataMethod(const std::string& m) {
  static const char* const kMethods[] = {"EnumFirst", "EnumNext",   "EnumPrev",   "GetItem",  "SetItem",
                                         "InsertItem", "Reserved9", "Reserved10", "DeleteItem", "BeginEdit",
                                         "EndEdit",   "DeselectAll"};
  for (const char* name : kMethods)
    if (m == name) return true;
  return false;
}

bool IsEdit(const CallEntry& e) {
  if (e.method == "BeginEdit" || e.method == "EndEdit") return e.undoableBracket;
  return e.method == "SetItem" || e.method == "InsertItem" || e.method == "DeleteItem" || e.method == "DeselectAll";
}

bool Passes(const CallEntry& e, CallFilter filter) {
  switch (filter) {
    case CallFilter::Data: return IsDataMethod(e.method);
    case CallFilter::Edits: return IsEdit(e);
    case CallFilter::All: break;
  }
  return true;
}

}  // namespace

std::string ResultText(HRESULT hr) {
  static const struct {
    HRESULT hr;
    const char* name;
  } kNames[] = {
      {S_OK, "S_OK"},
      {S_FALSE, "S_FALSE"},
      {E_FAIL, "E_FAIL"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {E_POINTER, "E_POINTER"},
      {E_UNEXPECTED, "E_UNEXPECTED"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {E_NOTIMPL, "E_NOTIMPL"},
  };
  for (const auto& n : kNames)
    if (n.hr == hr) return n.name;
  return Hex(static_cast<uint32_t>(hr));
}

CallEntry MakeCall(std::string method, std::string text) {
  CallEntry e;
  e.method = std::move(method);
  e.text = std::move(text);
  return e;
}

std::string CallEntry::TextWithResult() const { return text + " = " + ResultText(result); }

size_t CallLog::Append(CallEntry entry) {
  entries_.push_back(std::move(entry));
  return entries_.size() - 1;
}

std::vector<std::string> CallLog::Texts(CallFilter filter) const {
  std::vector<std::string> out;
  for (const CallEntry& e : entries_)
    if (Passes(e, filter)) out.push_back(e.text);
  return out;
}

std::vector<std::string> CallLog::TextsWithResults(CallFilter filter) const {
  std::vector<std::string> out;
  for (const CallEntry& e : entries_)
    if (Passes(e, filter)) out.push_back(e.TextWithResult());
  return out;
}

size_t CallLog::Count(std::string_view method) const {
  size_t n = 0;
  for (const CallEntry& e : entries_)
    if (e.method == method) ++n;
  return n;
}

size_t CallLog::UnbracketedCount() const {
  size_t n = 0;
  for (const CallEntry& e : entries_)
    if (e.unbracketed) ++n;
  return n;
}

}  // namespace refhost
