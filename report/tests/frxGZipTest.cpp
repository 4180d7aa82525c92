#include "frxGZip.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "Streams.h"
#include "gtest.h"

namespace {

std::string ZlibOf(const std::string& raw, int level = 9) {
  uLongf n = compressBound(uLong(raw.size()));
  std::string out(n, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()),
            level);
  out.resize(n);
  return out;
}

std::string Inflate(const std::string& z, Integer estimate = 0) {
  void* out = nullptr;
  Integer size = -1;
  frxInflateBuffer(z.data(), Integer(z.size()), estimate, out, size);
  std::string s(static_cast<char*>(out), size_t(size));
  free(out);
  return s;
}

// A gzip resource as the resource producer writes it: the header's time
// field holds the big-endian Adler-32 of the content.
std::string GZipResource(const std::string& raw, const char* name, bool goodAdler = true) {
  std::string z = ZlibOf(raw);
  std::string deflate = z.substr(2, z.size() - 6);
  uLong adler = adler32(1, reinterpret_cast<const Bytef*>(raw.data()), uInt(raw.size()));
  if (!goodAdler) adler ^= 0x55;
  std::string g = "\x1f\x8b\x08";
  g += char(name ? 8 : 0);
  for (int shift : {24, 16, 8, 0}) g += char(adler >> shift);
  g += std::string("\0\x0b", 2);
  if (name) g += std::string(name) + '\0';
  g += deflate;
  g += std::string(8, '\x11');  // CRC-32 and length: not checked
  return g;
}

std::string Pattern(size_t n) {
  std::string s;
  uint32_t seed = 7;
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    s += char('a' + (seed >> 16) % 7);
  }
  return s;
}

}  // namespace

TEST(frxGZip, InflatesWhateverTheEstimate) {
  std::string raw = Pattern(1000);
  std::string z = ZlibOf(raw);
  for (Integer estimate : {0, 1, 999, 1000, 5000}) EXPECT_EQ(Inflate(z, estimate), raw) << estimate;
  // Far more output than input grows in steps of the rounded input size.
  std::string zeros(300000, '\0');
  EXPECT_EQ(Inflate(ZlibOf(zeros)), zeros);
  EXPECT_EQ(Inflate(ZlibOf("")), "");
}

TEST(frxGZip, CorruptStreamsRaiseZlibTexts) {
  std::string z = ZlibOf(Pattern(1000));
  struct Case {
    std::string data;
    const char* text;
  } cases[] = {
      {z.substr(0, z.size() / 2), "buffer error"},
      {z.substr(0, z.size() - 1), "buffer error"},
      {std::string("\x78\x9c\xff\xff\xff", 5), "data error"},
      {z.substr(0, z.size() - 1) + char(z.back() ^ 1), "data error"},
      {"", "buffer error"},
  };
  for (const auto& c : cases) {
    void* out = reinterpret_cast<void*>(1);
    Integer size = -1;
    try {
      frxInflateBuffer(c.data.data(), Integer(c.data.size()), 0, out, size);
      ADD_FAILURE() << "inflated " << c.data.size() << " bytes";
    } catch (const EZDecompressionError& e) {
      EXPECT_STREQ(e.what(), c.text);
      EXPECT_EQ(out, nullptr);  // nothing for the caller to free
    }
  }
  EXPECT_EQ(frxZCheck(1), 1);
  EXPECT_THROW(frxZCheck(-6), EZLibError);
}

TEST(frxGZip, EveryResultButProgressEndsTheLoop) {
  // A header that asks for a preset dictionary: inflate answers with a
  // positive code, which must not be taken for progress.
  const std::string needDict("\x78\x20\0\0\0\0\0", 7);
  try {
    Inflate(needDict);
    ADD_FAILURE() << "inflated";
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "need dictionary");
  }
}

TEST(frxGZip, OutputIsCappedByTheCallerAndTheInput) {
  std::string zeros(100000, '\0');
  std::string z = ZlibOf(zeros);
  void* out = nullptr;
  Integer size = 0;
  frxInflateBuffer(z.data(), Integer(z.size()), 0, out, size, 100000);
  free(out);
  EXPECT_EQ(size, 100000);
  try {
    frxInflateBuffer(z.data(), Integer(z.size()), 0, out, size, 99999);
    ADD_FAILURE() << "inflated past the limit";
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "insufficient memory");
    EXPECT_EQ(out, nullptr);
  }
  // An estimate far beyond what the input can hold is no reason to take it.
  EXPECT_EQ(Inflate(z, 0x7FFFFFFF), zeros);
  EXPECT_GE(frxInflatedSizeLimit(Integer(z.size())), Int64(zeros.size()));
  EXPECT_LT(frxInflatedSizeLimit(Integer(z.size())), Int64(2000) * Int64(z.size()));
}

TEST(frxGZip, ReadsGZipResources) {
  std::string raw = Pattern(5000);
  TStringStream src(GZipResource(raw, "1"));
  TMemoryStream dest;
  dest.WriteBuffer("xy", 2);
  String name;
  frxGZipResourceToStream(&src, &dest, name);
  EXPECT_EQ(name, "1");
  ASSERT_EQ(dest.Size(), Int64(raw.size() + 2));
  EXPECT_EQ(std::string(static_cast<char*>(dest.Memory()) + 2, raw.size()), raw);

  TStringStream plain(GZipResource(raw, nullptr));
  TMemoryStream d2;
  frxGZipResourceToStream(&plain, &d2, name);
  EXPECT_EQ(name, "");
  EXPECT_EQ(d2.Size(), Int64(raw.size()));
}

TEST(frxGZip, RefusesDamagedResourcesWithoutTouchingTheTarget) {
  std::string raw = Pattern(5000);
  std::string good = GZipResource(raw, "1");
  struct Case {
    std::string data;
    const char* text;
  } cases[] = {
      {GZipResource(raw, "1", false), "data error"},
      // Cut short, the kept checksum lands inside the deflate data: which
      // of the two errors inflate reports depends on the bytes.
      {good.substr(0, good.size() / 2), nullptr},
      {good.substr(0, 40), nullptr},
      {"not a gzip stream at all", "data error"},
  };
  for (const auto& c : cases) {
    TStringStream src(c.data);
    TMemoryStream dest;
    String name;
    try {
      frxGZipResourceToStream(&src, &dest, name);
      ADD_FAILURE() << "accepted";
    } catch (const EZDecompressionError& e) {
      if (c.text) EXPECT_STREQ(e.what(), c.text);
      else EXPECT_TRUE(strcmp(e.what(), "buffer error") == 0 || strcmp(e.what(), "data error") == 0) << e.what();
    }
    EXPECT_EQ(dest.Size(), 0);
  }
  // A stored file name without end.
  std::string longName = GZipResource(raw, std::string(5000, 'n').c_str());
  TStringStream named(longName);
  TMemoryStream kept;
  String name;
  EXPECT_THROW(frxGZipResourceToStream(&named, &kept, name), EZDecompressionError);
  EXPECT_EQ(name, "");
  // Whatever Dest held stays as it was, also where the output would overwrite it.
  TMemoryStream held;
  held.WriteBuffer("abcdef", 6);
  held.SetPosition(2);
  TStringStream bad(GZipResource(raw, "1", false));
  EXPECT_THROW(frxGZipResourceToStream(&bad, &held, name), EZDecompressionError);
  EXPECT_EQ(std::string(static_cast<char*>(held.Memory()), size_t(held.Size())), "abcdef");
  EXPECT_EQ(held.Position(), 2);
  TStringStream tiny("\x1f\x8b");
  TMemoryStream dest;
  EXPECT_THROW(frxGZipResourceToStream(&tiny, &dest, name), EReadError);
}
