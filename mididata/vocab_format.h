// Fills the formats of the vocabulary's string table ("%d (%s)", "%.3f BPM",
// "MMC 0x%02X", ...) with typed arguments, so a translated format can never
// read an argument of the wrong kind or past the last one. Conversions: %d,
// %s, %X with an optional zero-padded width, %.Nf, and %%. A conversion with no
// suitable argument prints nothing. Platform-free.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "kvlib/kvchar.h"

struct VocabArg {
  enum class Kind { Integer, Real, Text };
  VocabArg(int32_t v) : kind(Kind::Integer), integer(v) {}
  VocabArg(double v) : kind(Kind::Real), real(v) {}
  VocabArg(const kvchar* v) : kind(Kind::Text), text(v) {}

  Kind kind;
  union {
    int32_t integer;
    double real;
    const kvchar* text;
  };
};

// Writes at most capacity - 1 units and always terminates (capacity > 0).
void VocabFormat(kvchar* buffer, int32_t capacity, const kvchar* format, std::initializer_list<VocabArg> args);
