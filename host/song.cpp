#include "host/song.h"

#include <cstring>
#include <ostream>

#include "host/host_text.h"

namespace refhost {

uint32_t TrackFlags(const TrackInfo& info) {
  uint32_t flags = 0;
  std::memcpy(&flags, info.hostFields, sizeof flags);
  return flags;
}

void SetTrackFlags(TrackInfo* info, uint32_t flags) { std::memcpy(info->hostFields, &flags, sizeof flags); }

MidiEvent NormalizedEvent(const MidiEvent& e) {
  MidiEvent out = e;
  if (IsLongEvent(e)) {
    out.payload = nullptr;
  } else {
    uint8_t data[4];
    std::memcpy(data, e.data, sizeof data);
    out.payload = nullptr;
    std::memcpy(out.data, data, sizeof data);
  }
  return out;
}

bool SongBlock::SameHeader(const SongBlock& o) const {
  return id == o.id && info.kind == o.info.kind && info.start == o.info.start && info.end == o.info.end &&
         info.timeFormat == o.info.timeFormat &&
         std::memcmp(info.hostFields1, o.info.hostFields1, sizeof info.hostFields1) == 0 &&
         std::memcmp(info.hostFields2, o.info.hostFields2, sizeof info.hostFields2) == 0 && name == o.name;
}

bool SongBlock::operator==(const SongBlock& o) const { return SameHeader(o) && events == o.events; }

bool SongTrack::SameHeader(const SongTrack& o) const {
  return id == o.id && std::memcmp(info.hostFields, o.info.hostFields, sizeof info.hostFields) == 0 &&
         info.channel == o.info.channel && info.velocityOffset == o.info.velocityOffset &&
         info.pitchOffset == o.info.pitchOffset && info.orderKey == o.info.orderKey && name == o.name;
}

bool SongTrack::operator==(const SongTrack& o) const { return SameHeader(o) && blocks == o.blocks; }

SongTrack* Song::FindTrack(uint32_t trackId) {
  for (SongTrack& t : tracks)
    if (t.id == trackId) return &t;
  return nullptr;
}

const SongTrack* Song::FindTrack(uint32_t trackId) const { return const_cast<Song*>(this)->FindTrack(trackId); }

SongBlock* Song::FindBlock(uint32_t trackId, uint32_t blockId) {
  SongTrack* t = FindTrack(trackId);
  if (!t) return nullptr;
  for (SongBlock& b : t->blocks)
    if (b.id == blockId) return &b;
  return nullptr;
}

const SongBlock* Song::FindBlock(uint32_t trackId, uint32_t blockId) const {
  return const_cast<Song*>(this)->FindBlock(trackId, blockId);
}

std::optional<size_t> Song::FindEvent(const ItemPath& path) const {
  const SongBlock* b = FindBlock(path.trackId, path.blockId);
  if (!b || path.eventId == 0 || path.eventId > b->maxEventId) return std::nullopt;
  const size_t n = b->events.size();
  auto found = [&](size_t i) {
    lookupHint = path;
    lookupHintIndex = i;
    return std::optional<size_t>(i);
  };
  if (lookupHint.trackId == path.trackId && lookupHint.blockId == path.blockId) {
    for (size_t i = lookupHintIndex > 0 ? lookupHintIndex - 1 : 0; i < n && i <= lookupHintIndex + 1; ++i)
      if (b->events[i].id == path.eventId) return found(i);
  }
  if (auto i = b->events.IndexOf(path.eventId)) return found(*i);
  return std::nullopt;
}

std::optional<size_t> Song::TrackIndex(uint32_t trackId) const {
  for (size_t i = 0; i < tracks.size(); ++i)
    if (tracks[i].id == trackId) return i;
  return std::nullopt;
}

std::optional<size_t> Song::BlockIndex(uint32_t trackId, uint32_t blockId) const {
  const SongTrack* t = FindTrack(trackId);
  if (!t) return std::nullopt;
  for (size_t i = 0; i < t->blocks.size(); ++i)
    if (t->blocks[i].id == blockId) return i;
  return std::nullopt;
}

std::string Describe(const Song& song) {
  std::string out;
  for (const SongTrack& t : song.tracks) {
    out += "track t" + std::to_string(t.id) + " \"" + Utf8(t.name) + "\" channel " + std::to_string(t.info.channel) +
           " order " + std::to_string(t.info.orderKey) + " pitch " + std::to_string(t.info.pitchOffset) +
           " velocity " + std::to_string(t.info.velocityOffset) + " flags " + Hex(TrackFlags(t.info)) + "\n";
    for (const SongBlock& b : t.blocks) {
      out += "  block b" + std::to_string(b.id) + " \"" + Utf8(b.name) + "\" kind " + std::to_string(b.info.kind) +
             " " + std::to_string(b.info.start) + ".." + std::to_string(b.info.end) + "\n";
      for (const SongEvent& e : b.events) out += "    e" + std::to_string(e.id) + " " + EventText(e.record) + "\n";
    }
  }
  return out;
}

void PrintTo(const Song& song, std::ostream* os) { *os << "\n" << Describe(song); }

}  // namespace refhost
