// Bounded output of the text formatters: writes at most capacity - 1 code
// units, always terminates, and counts what it kept.
#pragma once

#include <cstddef>

#include "kvlib/kvchar.h"

class TextSink {
 public:
  TextSink(kvchar* buffer, size_t capacity) : buffer_(capacity ? buffer : nullptr), room_(capacity ? capacity - 1 : 0) {
    if (buffer_) buffer_[0] = 0;
  }
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;
  ~TextSink() {
    if (buffer_) buffer_[length_] = 0;
  }

  void Put(kvchar c) {
    if (buffer_ && length_ < room_) buffer_[length_++] = c;
  }
  void Put(const kvchar* text, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(text[i]);
  }
  void Put(const kvchar* text) {
    while (text && *text) Put(*text++);
  }
  // ASCII produced by the number conversions.
  void PutAscii(const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(static_cast<kvchar>(static_cast<unsigned char>(text[i])));
  }
  void Repeat(kvchar c, size_t n) {
    for (size_t i = 0; i < n && length_ < room_; ++i) Put(c);
  }
  size_t Length() const { return length_; }

 private:
  kvchar* buffer_;
  size_t room_;
  size_t length_ = 0;
};
