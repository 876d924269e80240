// The module's user-visible texts: its string table, read in the resource
// language the host chose through PluginLanguage (English until then).
#pragma once

#include <windows.h>

#include <string>

bool IsEnglishLcid(LCID lcid);
// Selects the resources of lcid's language. English is always carried; another
// language is accepted only when the module has strings in it. False changes nothing.
bool SelectResourceLanguage(LCID lcid);
// The string with this id, empty when the module has none.
std::wstring LoadModuleString(UINT id);
