#include "kvlib/print_tokens.h"

#include <map>
#include <mutex>
#include <new>
#include <string>

#include "kvlib/printf.h"
#include "kvlib/text_sink.h"

namespace {

using Text = std::basic_string<kvchar>;

struct TokenTable {
  std::mutex lock;
  std::map<Text, Text, std::less<>> tokens;

  TokenTable() {
    // The separators of timecodes and musical times, before anyone replaces them.
    tokens[KVTEXT("SMPTE.Whole")] = KVTEXT(":");
    tokens[KVTEXT("SMPTE.NonDrop")] = KVTEXT(".");
    tokens[KVTEXT("SMPTE.Drop")] = KVTEXT(",");
    tokens[KVTEXT("m.b")] = KVTEXT(".");
    tokens[KVTEXT("b.t")] = KVTEXT(".");
  }
};

TokenTable& Table() {
  static TokenTable table;
  return table;
}

bool ReachableName(const kvchar* name) {
  if (!name || !*name) return false;
  for (; *name; ++name)
    if (*name == ')') return false;
  return true;
}

}  // namespace

int KvPrintF_AddToken(const kvchar* name, const kvchar* text) {
  if (!ReachableName(name)) return 0;
  TokenTable& table = Table();
  try {
    Text value = text ? Text(text) : Text();
    std::lock_guard<std::mutex> hold(table.lock);
    table.tokens.insert_or_assign(Text(name), std::move(value));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

bool KvPrintF_PutToken(std::basic_string_view<kvchar> name, TextSink& out) {
  TokenTable& table = Table();
  std::lock_guard<std::mutex> hold(table.lock);
  auto it = table.tokens.find(name);
  if (it == table.tokens.end()) return false;
  out.Put(it->second.data(), it->second.size());
  return true;
}

void KvText_RegisterTimecodeLabels(const kvchar* nonDropName, const kvchar* dropName) {
  if (!nonDropName) nonDropName = KVTEXT("");
  if (!dropName) dropName = KVTEXT("");
  kvchar full[160];
  KvPrintF_AddToken(KVTEXT("SMPTE.Label.NonDrop"), nonDropName);
  KvPrintF_AddToken(KVTEXT("SMPTE.Label.Drop"), dropName);
  KvPrintF(full, KVTEXT("%s (hh$!:mm$!:ss$!.ff)"), nonDropName);
  KvPrintF_AddToken(KVTEXT("SMPTE.Label.NonDrop.Full"), full);
  KvPrintF(full, KVTEXT("%s (hh$!:mm$!:ss$!,ff)"), dropName);
  KvPrintF_AddToken(KVTEXT("SMPTE.Label.Drop.Full"), full);
}
