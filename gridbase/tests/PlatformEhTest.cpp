// The platform adapters: the memory stream's growth, text comparison and
// cutting, message records and the master-dataset lookup.
#include "MemDataSet.h"
#include "PlatformEh.h"
#include "TypInfo.h"
#include "gtest.h"

namespace {

struct TStreamProbe : TMemoryStreamEh {
  using TMemoryStream::SetCapacity;
};

TEST(MemoryStreamEh, GrowsInSteps) {
  struct {
    int Bytes;
    Int64 Capacity;
  } cases[] = {{1, 8192}, {8192, 8192}, {8193, 16384}, {20000, 24576}};
  for (const auto& c : cases) {
    TMemoryStreamEh s;
    std::string data(size_t(c.Bytes), 'x');
    s.WriteBuffer(data.data(), c.Bytes);
    EXPECT_EQ(s.Capacity(), c.Capacity) << c.Bytes;
    EXPECT_EQ(s.Size(), c.Bytes);
    EXPECT_EQ(static_cast<const char*>(s.Memory())[c.Bytes - 1], 'x');
  }
  TStreamProbe s;
  s.WriteBuffer("0123456789", 10);
  s.SetCapacity(10);   // exactly the size: no rounding
  EXPECT_EQ(s.Capacity(), 10);
  EXPECT_EQ(std::string(static_cast<const char*>(s.Memory()), 10), "0123456789");
  s.Clear();
  EXPECT_EQ(s.Capacity(), 0);
  EXPECT_EQ(s.Memory(), nullptr);
}

TEST(PlatformEh, TextComparisonAndCutting) {
  EXPECT_EQ(AnsiCompareTextEh("abc", "ABC"), 0);
  EXPECT_NE(AnsiCompareStrEh("abc", "ABC"), 0);
  EXPECT_EQ(AnsiCompareStrEh("李", "张"), -1);   // pinyin order
  EXPECT_EQ(AnsiCompareStrEh("b", "a"), 1);
  // Cuts never split a character: "甲乙" is two three-byte characters.
  EXPECT_EQ(TextPrefixEh("甲乙", 4), "甲");
  EXPECT_EQ(TextPrefixEh("甲乙", 2), "");
  EXPECT_EQ(TextPrefixEh("甲乙", 6), "甲乙");
  EXPECT_EQ(TextPrefixEh("ab甲", -1), "ab甲");
  EXPECT_EQ(PCharToStringEh(nullptr), "");
}

TEST(PlatformEh, MessageRecordsCarryPointersWhole) {
  static_assert(sizeof(TMessageRecEh) == 4 * sizeof(void*) || sizeof(void*) == 4);
  int target = 0;
  TMessageRecEh rec{WM_USER, WPARAM(7), ObjectToIntEh(reinterpret_cast<TObject*>(&target)), 3};
  TMessage m;
  MessageToTMessageEh(rec, m);
  EXPECT_EQ(m.Msg, UINT(WM_USER));
  EXPECT_EQ(reinterpret_cast<int*>(m.LParam), &target);
  EXPECT_EQ(m.Result, 3);
}

TEST(PlatformEh, MasterDataSetLookup) {
  TMemDataSet master, detail;
  TDataSource src;
  src.SetDataSet(&master);
  detail.SetDataSource(&src);
  // No "MasterSource" property: no master.
  EXPECT_EQ(GetPropInfo(&detail, "MasterSource"), nullptr);
  EXPECT_EQ(GetMasterDataSetEh(&detail, GetPropInfo(&detail, "MasterSource")), nullptr);
  // A data-source property finds its dataset; a property of another kind finds nothing.
  EXPECT_EQ(GetMasterDataSetEh(&detail, GetPropInfo(&detail, "DataSource")), &master);
  EXPECT_EQ(GetMasterDataSetEh(&detail, GetPropInfo(&detail, "Name")), nullptr);
}

}  // namespace
