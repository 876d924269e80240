// Reading: every length is checked against the bytes that remain, so a
// damaged file gives a message and an offset, never a read past the end.
#include "host/smf/smf_file.h"

namespace {

constexpr int kLongestQuantity = 4;

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size), end_(size) {}

  size_t offset() const { return offset_; }
  size_t left() const { return end_ - offset_; }
  // Reads stop at a chunk's end while it is set.
  void Limit(size_t end) {
    end_ = end;
    inTrack_ = true;
  }
  void Unlimit() {
    end_ = size_;
    inTrack_ = false;
  }
  bool failed() const { return !error_.message.empty(); }
  const SmfError& error() const { return error_; }

  bool Fail(const std::string& message, size_t at) {
    if (!failed()) error_ = SmfError{message, at};
    return false;
  }
  bool Need(size_t count, const char* what) {
    if (count <= left()) return true;
    const char* whose = inTrack_ ? " runs past the end of its track" : " runs past the end of the file";
    return Fail(std::string(what) + whose, offset_);
  }
  uint8_t Byte() { return bytes_[offset_++]; }
  uint32_t Big(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | Byte();
    return value;
  }
  bool Quantity(uint32_t* value, const char* what) {
    size_t start = offset_;
    *value = 0;
    for (int i = 0; i < kLongestQuantity; ++i) {
      if (!Need(1, what)) return false;
      uint8_t b = Byte();
      *value = *value << 7 | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return Fail(std::string(what) + ": a variable-length quantity longer than four bytes", start);
  }
  void Copy(size_t count, std::vector<uint8_t>* out) {
    out->assign(bytes_ + offset_, bytes_ + offset_ + count);
    offset_ += count;
  }
  void Skip(size_t count) { offset_ += count; }
  void Back() { --offset_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t end_;
  bool inTrack_ = false;
  size_t offset_ = 0;
  SmfError error_;
};

int DataBytes(uint8_t status) {
  uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool ReadTrack(Reader& in, size_t end, SmfTrack* track) {
  int64_t tick = 0;
  uint8_t running = 0;
  while (in.offset() < end) {
    uint32_t delta = 0;
    const size_t deltaAt = in.offset();
    if (!in.Quantity(&delta, "event time")) return false;
    tick += delta;
    // Every time must be writable as one delta from the start of a track.
    if (tick > kSmfMaxTick) return in.Fail("an event time past " + std::to_string(kSmfMaxTick) + " ticks", deltaAt);
    if (!in.Need(1, "event")) return false;
    size_t at = in.offset();
    SmfEvent e;
    e.tick = tick;
    uint8_t status = in.Byte();
    if (status < 0x80) {
      if (!running) return in.Fail("a data byte where a status byte was expected", at);
      status = running;
      in.Back();  // the byte read is the first data byte
    }
    e.status = status;
    if (status < 0xF0) {
      running = status;
      int count = DataBytes(status);
      if (!in.Need(count, "channel message")) return false;
      for (int i = 0; i < count; ++i) {
        size_t dataAt = in.offset();
        uint8_t b = in.Byte();
        if (b & 0x80) return in.Fail("a status byte inside a channel message", dataAt);
        e.data.push_back(b);
      }
    } else if (status == 0xF0 || status == 0xF7) {
      running = 0;
      uint32_t length = 0;
      if (!in.Quantity(&length, "system exclusive length") || !in.Need(length, "system exclusive message")) return false;
      in.Copy(length, &e.data);
    } else if (status == kSmfMeta) {
      running = 0;
      if (!in.Need(1, "meta event")) return false;
      e.metaType = in.Byte();
      uint32_t length = 0;
      if (!in.Quantity(&length, "meta event length") || !in.Need(length, "meta event")) return false;
      in.Copy(length, &e.data);
      if (e.metaType == kSmfEndOfTrack) {
        track->endTick = tick;
        in.Skip(end - in.offset());
        return true;
      }
    } else {
      return in.Fail("a system message that a file cannot hold", at);
    }
    track->events.push_back(std::move(e));
    track->endTick = tick;
  }
  return true;
}

}  // namespace

bool ReadSmf(const uint8_t* bytes, size_t size, SmfFile* file, SmfError* error) {
  Reader in(bytes, size);
  SmfFile read;
  auto fail = [&]() {
    *error = in.error();
    return false;
  };
  if (size < 14 || bytes[0] != 'M' || bytes[1] != 'T' || bytes[2] != 'h' || bytes[3] != 'd') {
    in.Fail("not a Standard MIDI File: no MThd header", 0);
    return fail();
  }
  in.Skip(4);
  uint32_t headerLength = in.Big(4);
  if (headerLength < 6 || !in.Need(headerLength, "header")) {
    if (headerLength < 6) in.Fail("the header is shorter than six bytes", 4);
    return fail();
  }
  read.format = static_cast<uint16_t>(in.Big(2));
  uint32_t tracks = in.Big(2);
  uint32_t division = in.Big(2);
  in.Skip(headerLength - 6);
  if (read.format > 1) {
    in.Fail("format " + std::to_string(read.format) + " files are not supported (only formats 0 and 1)", 8);
    return fail();
  }
  if (division & 0x8000) {
    in.Fail("SMPTE time division is not supported (only ticks per quarter note)", 12);
    return fail();
  }
  if (division == 0) {
    in.Fail("a time division of zero ticks per quarter note", 12);
    return fail();
  }
  read.ticksPerQuarter = static_cast<uint16_t>(division);
  while (read.tracks.size() < tracks) {
    if (!in.Need(8, "chunk header")) return fail();
    uint32_t id = in.Big(4), length = in.Big(4);
    if (!in.Need(length, "track chunk")) return fail();
    if (id != 0x4D54726B) {  // not MTrk: skipped, as the format asks
      in.Skip(length);
      continue;
    }
    SmfTrack track;
    size_t end = in.offset() + length;
    in.Limit(end);
    bool ok = ReadTrack(in, end, &track);
    in.Unlimit();
    if (!ok) return fail();
    read.tracks.push_back(std::move(track));
  }
  *file = std::move(read);
  return true;
}
