// The chunked event sequence against a plain vector: random inserts and erases
// in runs (as a large paste or delete makes them), lookups by index and by id,
// walks, copies and equality, on sizes that cross many chunk splits and merges.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

#include "host/event_seq.h"

namespace refhost {
namespace {

SongEvent Ev(uint32_t id) {
  SongEvent e;
  e.id = id;
  e.record.start = id;
  if (id % 7 == 0) e.payload = {static_cast<uint8_t>(id), 1, 2};
  return e;
}

void ExpectSame(const std::vector<SongEvent>& model, const EventSeq& seq, std::mt19937& rng, int step) {
  ASSERT_EQ(model.size(), seq.size()) << "step " << step;
  size_t i = 0;
  for (const SongEvent& e : seq) ASSERT_EQ(model[i++], e) << "walk, step " << step << " index " << i - 1;
  ASSERT_EQ(model.size(), i);
  for (int probe = 0; probe < 20 && !model.empty(); ++probe) {
    const size_t k = rng() % model.size();
    ASSERT_EQ(model[k], seq[k]) << "step " << step;
    ASSERT_EQ(seq.IndexOf(model[k].id), k) << "step " << step;
  }
}

TEST(EventSeq, RunsOfInsertsAndErasesMatchAVector) {
  std::mt19937 rng(11);
  std::vector<SongEvent> model;
  EventSeq seq;
  uint32_t next = 1;
  // Each step is a run at one place: grow past 20,000 events, then shrink to
  // nothing, twice, with short mixed runs in between.
  const struct {
    int steps, insertPercent;
  } phases[] = {{400, 95}, {400, 50}, {600, 5}, {300, 90}, {800, 2}, {200, 60}};
  int step = 0;
  for (const auto& phase : phases) {
    for (int s = 0; s < phase.steps; ++s, ++step) {
      const size_t run = 1 + rng() % 120;
      size_t at = model.empty() ? 0 : rng() % (model.size() + 1);
      const bool insert = static_cast<int>(rng() % 100) < phase.insertPercent;
      for (size_t r = 0; r < run; ++r) {
        if (insert) {
          model.insert(model.begin() + static_cast<ptrdiff_t>(at), Ev(next));
          seq.insert(at, Ev(next++));
          ++at;
        } else if (at < model.size()) {
          ASSERT_EQ(seq.IndexOf(model[at].id), at);
          model.erase(model.begin() + static_cast<ptrdiff_t>(at));
          seq.erase(at);
        }
      }
      if (s % 25 == 0) ExpectSame(model, seq, rng, step);
    }
    ExpectSame(model, seq, rng, step);
  }
  // Erased ids are gone; a copy is equal and independent.
  EXPECT_FALSE(seq.IndexOf(next).has_value());
  for (uint32_t id = 1; id < next; id += 97) {
    const bool held = std::any_of(model.begin(), model.end(), [&](const SongEvent& e) { return e.id == id; });
    EXPECT_EQ(held, seq.IndexOf(id).has_value()) << id;
  }
  EventSeq copy = seq;
  EXPECT_EQ(copy, seq);
  copy.push_back(Ev(next));
  EXPECT_FALSE(copy == seq);
  copy.clear();
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(copy.begin(), copy.end());
  ExpectSame(model, seq, rng, step);
}

TEST(EventSeq, BackwardAndForwardSteppingByIndex) {
  EventSeq seq;
  for (uint32_t id = 1; id <= 5000; ++id) seq.push_back(Ev(id));
  for (size_t i = seq.size(); i-- > 0;) ASSERT_EQ(seq[i].id, i + 1);
  for (size_t i = 0; i < seq.size(); i += 3) ASSERT_EQ(seq[i].id, i + 1);
  std::next(seq.begin(), 17)->record.flags = 1;  // records may change in place
  EXPECT_EQ(seq[17].record.flags, 1u);
  EXPECT_EQ(seq.IndexOf(18), 17u);
}

}  // namespace
}  // namespace refhost
