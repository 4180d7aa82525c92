// Decoding and encoding a 2000 x 2000 RGBA picture with our PNG codec and,
// in the same run, with libpng.
#include <cstring>
#include <vector>

#include "PngBenchLibpng.h"
#include "Streams.h"
#include "benchmark.h"
#include "frxpngimage.h"

namespace {

const int kSize = 2000;

// Reads a file held in memory without copying it.
class TCustomMemoryStreamView : public TCustomMemoryStream {
 public:
  explicit TCustomMemoryStreamView(const std::vector<uint8_t>& Data) {
    SetPointer(const_cast<uint8_t*>(Data.data()), Int64(Data.size()));
  }
  LongInt Write(const void*, LongInt) override { return 0; }
};

// A picture with smooth gradients, some noise and varying alpha, so that
// filters and deflate have realistic work.
const std::vector<uint8_t>& SourcePixels() {
  static std::vector<uint8_t> pixels = [] {
    std::vector<uint8_t> p(size_t(kSize) * kSize * 4);
    uint32_t seed = 1;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        seed = seed * 1103515245u + 12345u;
        uint8_t* q = &p[(size_t(y) * kSize + x) * 4];
        q[0] = uint8_t(x * 255 / kSize);
        q[1] = uint8_t(y * 255 / kSize);
        q[2] = uint8_t((x + y) / 16 + ((seed >> 16) & 7));
        q[3] = uint8_t(255 - (x / 8) % 64);
      }
    return p;
  }();
  return pixels;
}

// The reference file, written by libpng.
const std::vector<uint8_t>& SourceFile() {
  static std::vector<uint8_t> file = [] {
    std::vector<uint8_t> out;
    LibpngEncodeRGBA(SourcePixels().data(), kSize, kSize, out);
    return out;
  }();
  return file;
}

void BM_OurDecode(benchmark::State& state) {
  const auto& file = SourceFile();
  for (auto _ : state) {
    TCustomMemoryStreamView view(file);
    TPNGObject png;
    png.LoadFromStream(&view);
    benchmark::DoNotOptimize(png.Width());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}

void BM_LibpngDecode(benchmark::State& state) {
  const auto& file = SourceFile();
  std::vector<uint8_t> pixels;
  for (auto _ : state) {
    int w = 0, h = 0;
    LibpngDecodeRGBA(file, pixels, w, h);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}

void BM_OurEncode(benchmark::State& state) {
  const auto& file = SourceFile();
  TCustomMemoryStreamView view(file);
  TPNGObject png;
  png.LoadFromStream(&view);
  {
    // Our file must read back in libpng as the same pixels.
    TMemoryStream out;
    png.SaveToStream(&out);
    const auto* p = static_cast<const uint8_t*>(out.Memory());
    std::vector<uint8_t> file(p, p + out.Size()), pixels;
    int w = 0, h = 0;
    if (!LibpngDecodeRGBA(file, pixels, w, h) || pixels != SourcePixels()) {
      state.SkipWithError("libpng does not read our file back");
      return;
    }
  }
  for (auto _ : state) {
    TMemoryStream out;
    png.SaveToStream(&out);
    state.counters["bytes"] = double(out.Size());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}

void BM_LibpngEncode(benchmark::State& state) {
  const auto& pixels = SourcePixels();
  for (auto _ : state) {
    std::vector<uint8_t> out;
    LibpngEncodeRGBA(pixels.data(), kSize, kSize, out);
    state.counters["bytes"] = double(out.size());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}

}  // namespace

BENCHMARK(BM_OurDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OurEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngEncode)->Unit(benchmark::kMillisecond);
