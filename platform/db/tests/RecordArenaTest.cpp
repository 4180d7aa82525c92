#include <memory>
#include <string>
#include <vector>
#include "DB.h"
#include "gtest.h"

namespace {

// Records made by an arena live in shared blocks: each must stay usable
// after the arena and the other records of its block are gone, and values
// that change their count leave the block without losing what they held.
TEST(RecordArena, RecordsOutliveTheArenaAndEachOther) {
  std::vector<std::unique_ptr<TRecordData>> kept;
  {
    TRecordArena arena;
    std::vector<std::unique_ptr<TRecordData>> dropped;
    // Enough records for several blocks, with texts too long for any
    // in-place string storage.
    for (int i = 0; i < 3000; ++i) {
      auto rec = arena.New(3);
      rec->Values[0] = Int64(i);
      rec->Values[1] = String(40, char('a' + i % 26));
      (i % 2 ? kept : dropped).push_back(std::move(rec));
    }
    auto huge = arena.New(5000);   // larger than a block
    huge->Values[4999] = String("last");
    kept.push_back(std::move(huge));
  }
  // Blocks freed by the dropped records serve a new arena's records.
  TRecordArena again;
  std::vector<std::unique_ptr<TRecordData>> fresh;
  for (int i = 0; i < 1500; ++i) {
    fresh.push_back(again.New(3));
    fresh.back()->Values[1] = String(40, 'z');
  }
  for (size_t k = 0; k < 1500; ++k) {
    const int i = int(2 * k + 1);
    ASSERT_EQ(kept[k]->Values.size(), 3u);
    EXPECT_EQ(std::get<Int64>(kept[k]->Values[0]), i);
    EXPECT_EQ(std::get<String>(kept[k]->Values[1]), String(40, char('a' + i % 26)));
    EXPECT_TRUE(DBValueIsNull(kept[k]->Values[2]));
  }
  EXPECT_EQ(std::get<String>(kept.back()->Values[4999]), "last");

  TRecordValues& v = kept[0]->Values;
  v.resize(4);   // out of the block: the values come along
  EXPECT_EQ(std::get<String>(v[1]), String(40, 'b'));
  EXPECT_TRUE(DBValueIsNull(v[3]));
  kept[1]->Values = std::vector<TDBValue>{Int64(7), String("x"), true};   // same count: in place
  EXPECT_EQ(std::get<String>(kept[1]->Values[1]), "x");
  std::vector<TDBValue> taken = kept[2]->Values.Take();
  EXPECT_TRUE(kept[2]->Values.empty());
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(std::get<Int64>(taken[0]), 5);
}

}  // namespace
