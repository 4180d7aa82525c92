#include "Streams.h"
#include <cstring>
#include "Strings.h"
#include "TestFiles.h"
#include "gtest.h"

namespace {

template <class E, class F>
String MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace

TEST(TMemoryStream, ReadWriteSeekAndSize) {
  TMemoryStream s;
  s.WriteBuffer("hello world", 11);
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Position(), 11);
  EXPECT_EQ(s.Capacity(), 8192);
  EXPECT_EQ(s.Seek(-5, soFromEnd), 6);
  char buf[16] = {};
  EXPECT_EQ(s.Read(buf, 10), 5);  // only what is left
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(s.Read(buf, 10), 0);

  // Writing past the end leaves zeros in the gap.
  s.SetPosition(14);
  s.WriteBuffer("!", 1);
  ASSERT_EQ(s.Size(), 15);
  EXPECT_EQ(std::memcmp(static_cast<char*>(s.Memory()) + 11, "\0\0\0!", 4), 0);

  s.SetSize(5);
  EXPECT_EQ(s.Position(), 5);
  EXPECT_EQ(s.Capacity(), 8192);
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Memory(), nullptr);
}

TEST(TMemoryStream, CapacityGrowsInWholeSteps) {
  TMemoryStream s;
  std::vector<char> data(8193, 'x');
  s.WriteBuffer(data.data(), 1);
  EXPECT_EQ(s.Capacity(), 8192);
  s.SetPosition(0);
  s.WriteBuffer(data.data(), 8193);
  EXPECT_EQ(s.Capacity(), 16384);
}

TEST(TMemoryStream, ReadingPastTheEndRaisesStreamReadError) {
  TMemoryStream s;
  s.WriteBuffer("abcd", 4);
  s.SetPosition(2);
  char buf[8];
  EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buf, 3); }), "Stream read error");
  s.SetPosition(-3);
  EXPECT_EQ(s.Read(buf, 2), 0);  // a position before the start reads nothing
  EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buf, -1); }), "Stream read error");
}

TEST(TMemoryStream, ImpossibleSizesRaiseInsteadOfAllocating) {
  TMemoryStream s;
  EXPECT_EQ(MessageOf<EStreamError>([&] { s.SetSize(Int64(1) << 62); }),
            "Out of memory while expanding memory stream");
  EXPECT_EQ(MessageOf<EStreamError>([&] { s.SetSize(-1); }),
            "Out of memory while expanding memory stream");
  EXPECT_EQ(s.Size(), 0);
  TStringStream t;
  EXPECT_THROW(t.SetSize(Int64(1) << 62), EStreamError);
}

TEST(TStringStream, ReadsAndOverwritesItsString) {
  TStringStream s("0123456789");
  s.SetPosition(6);
  EXPECT_EQ(s.ReadString(10), "6789");  // 10 asked, 4 left
  s.SetPosition(2);
  s.WriteString("ab");
  EXPECT_EQ(s.DataString(), "01ab456789");
  s.Seek(0, soFromEnd);
  s.WriteString("中");
  EXPECT_EQ(s.DataString(), "01ab456789中");
  EXPECT_EQ(s.Seek(0, 7), -1);  // unknown origin
}

TEST(TStream, CopyFromCopiesAPartOrTheWhole) {
  TStringStream src("abcdefgh");
  TMemoryStream dst;
  src.SetPosition(2);
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  EXPECT_EQ(dst.CopyFrom(&src, 0), 8);  // 0: all of it from the start
  EXPECT_EQ(String(static_cast<char*>(dst.Memory()), dst.Size()), "cdeabcdefgh");
  src.SetPosition(6);
  EXPECT_EQ(MessageOf<EReadError>([&] { dst.CopyFrom(&src, 5); }), "Stream read error");
}

TEST_F(ScratchFolder, FileStreamRoundTripWithChineseName) {
  String name = Path("订单 1.dat");
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("数据", 6);
    EXPECT_EQ(f.FileName(), name);
  }
  EXPECT_TRUE(FileExists(name));
  {
    TFileStream f(name, fmOpenReadWrite);
    EXPECT_EQ(f.Size(), 6);
    f.Seek(0, soFromEnd);
    f.WriteBuffer("!", 1);
    EXPECT_EQ(f.Size(), 7);
    f.SetSize(3);
  }
  TMemoryStream m;
  m.LoadFromFile(name);
  EXPECT_EQ(String(static_cast<char*>(m.Memory()), m.Size()), "数");
}

TEST_F(ScratchFolder, FileErrorsNameTheFile) {
  String missing = Path("missing.txt");
  String opened = MessageOf<EFOpenError>([&] { TFileStream f(missing, fmOpenRead); });
  EXPECT_EQ(opened.rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << opened;
  EXPECT_GT(opened.size(), ("Cannot open file \"" + missing + "\". ").size());

  String bad = Path("no-such-folder/x.txt");
  String created = MessageOf<EFCreateError>([&] { TFileStream f(bad, fmCreate); });
  EXPECT_EQ(created.rfind("Cannot create file \"" + bad + "\". ", 0), 0u) << created;

  // Reading from a stream opened for writing fails and is reported.
  {
    TFileStream w(Path("w.txt"), fmCreate);
    w.WriteBuffer("x", 1);
  }
  TFileStream wo(Path("w.txt"), fmOpenWrite | fmShareDenyNone);
  char c;
  EXPECT_EQ(MessageOf<EReadError>([&] { wo.ReadBuffer(&c, 1); }), "Stream read error");
  TStringList lines;
  EXPECT_EQ(MessageOf<EReadError>([&] { lines.LoadFromStream(&wo); }), "Stream read error");
}

TEST_F(ScratchFolder, StringListFileRoundTrip) {
  TStringList list;
  list.SetText("甲\n乙\n");
  list.SaveToFile(Path("lines.txt"));
  TStringList back;
  back.LoadFromFile(Path("lines.txt"));
  EXPECT_TRUE(back.Equals(&list));
  EXPECT_THROW(back.LoadFromFile(Path("none.txt")), EFOpenError);
}
