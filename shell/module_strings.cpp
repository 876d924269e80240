#include "shell/module_strings.h"

#include <atomic>

#include "kvlib/module.h"
#include "resources/resource_ids.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
std::atomic<LANGID> g_language{kEnglish};

// String tables are stored in blocks of 16 strings, block n + 1 holding ids 16n..16n+15.
HRSRC FindStringBlock(HMODULE module, UINT id, LANGID language) {
  return FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
}

}  // namespace

bool IsEnglishLcid(LCID lcid) { return PRIMARYLANGID(LANGIDFROMLCID(lcid)) == LANG_ENGLISH; }

bool SelectResourceLanguage(LCID lcid) {
  const LANGID language = IsEnglishLcid(lcid) ? kEnglish : LANGIDFROMLCID(lcid);
  if (!FindStringBlock(KvModule_Handle(), IDS_PRODUCT_NAME, language)) return false;
  g_language = language;
  return true;
}

std::wstring LoadModuleString(UINT id) {
  HMODULE module = KvModule_Handle();
  HRSRC block = FindStringBlock(module, id, g_language);
  if (!block) return {};
  const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, block)));
  if (!p) return {};
  const WCHAR* end = p + SizeofResource(module, block) / sizeof(WCHAR);
  // Each entry is a length followed by that many characters, without terminator.
  for (UINT i = 0; i < id % 16 && p < end; ++i) p += 1 + *p;
  if (p >= end || p + 1 + *p > end) return {};
  return std::wstring(p + 1, *p);
}
