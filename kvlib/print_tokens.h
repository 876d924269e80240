// Named print tokens: replaceable texts that KvPrintF inserts for "$(name)"
// and for its separator shorthands. Shared by all threads, so every access
// takes the table's lock.
#pragma once

#include <string_view>

#include "kvlib/kvchar.h"

class TextSink;

// Registers or replaces a token; a null text registers an empty one. Returns 1,
// or 0 for a missing name or one that "$(name)" could not reach (empty, or
// holding ')').
int KvPrintF_AddToken(const kvchar* name, const kvchar* text);

// Writes the token's text to the sink; false when no such token is registered.
bool KvPrintF_PutToken(std::basic_string_view<kvchar> name, TextSink& out);

// Registers the four timecode label tokens from the two label names (library
// strings 48304 and 48305): "SMPTE.Label.NonDrop" and "SMPTE.Label.Drop" are the
// names, the ".Full" forms add the field layout with the current separators.
void KvText_RegisterTimecodeLabels(const kvchar* nonDropName, const kvchar* dropName);
