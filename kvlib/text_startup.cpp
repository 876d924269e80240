#include "kvlib/text_startup.h"

#include <iterator>

#include "kvlib/print_tokens.h"
#include "resources/resource_ids.h"

namespace {

void ReadSeparator(LCTYPE type, kvchar (&field)[8]) {
  wchar_t text[16];
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, static_cast<int>(std::size(text))) > 0)
    KvText_CopySeparator(field, text);
}

}  // namespace

KvRegionalValues KvText_ReadUserLocale() {
  KvRegionalValues values = KvText_DefaultRegional();
  ReadSeparator(LOCALE_STHOUSAND, values.thousands);
  ReadSeparator(LOCALE_SDECIMAL, values.decimal);
  ReadSeparator(LOCALE_SLIST, values.list);
  ReadSeparator(LOCALE_STIME, values.time);
  wchar_t grouping[16];
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, grouping, static_cast<int>(std::size(grouping))) > 0)
    KvText_ParseGrouping(grouping, values);
  return values;
}

void KvText_Startup(HINSTANCE module) {
  KvText_SetRegional(KvText_ReadUserLocale());
  wchar_t nonDrop[64] = {}, drop[64] = {};
  LoadStringW(module, IDS_TIMECODE_NONDROP, nonDrop, static_cast<int>(std::size(nonDrop)));
  LoadStringW(module, IDS_TIMECODE_DROP, drop, static_cast<int>(std::size(drop)));
  KvText_RegisterTimecodeLabels(nonDrop, drop);
}
