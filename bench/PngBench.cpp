// Our PNG codec against libpng, each pair doing the same work in the same
// run: decoding a file libpng wrote, and encoding the decoded picture, for a
// 1600 x 1200 RGB photograph-like picture and a 2000 x 2000 RGBA one. Every
// iteration runs both sides; the counters give each side's time and the
// ratio (ours / libpng), and with repetitions their minimum and median.
// Both decoders write into memory the previous iteration used: libpng into
// the same pixel vector, ours into the DIB section the previous picture
// freed (see TChunkIHDR::PrepareImageData).
//   wine build/bench/png_bench.exe.so --benchmark_repetitions=5
#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "PngBenchLibpng.h"
#include "Streams.h"
#include "benchmark.h"
#include "frxpngimage.h"

namespace {

// Reads a file held in memory without copying it.
class TCustomMemoryStreamView : public TCustomMemoryStream {
 public:
  explicit TCustomMemoryStreamView(const std::vector<uint8_t>& Data) {
    SetPointer(const_cast<uint8_t*>(Data.data()), Int64(Data.size()));
  }
  LongInt Write(const void*, LongInt) override { return 0; }
};

struct TPicture {
  const char* Name;
  int Width, Height, Channels;
  std::vector<uint8_t> Pixels;  // top row first
  std::vector<uint8_t> File;    // as libpng writes it
};

// Smooth gradients with some noise (and, with four channels, varying
// alpha), so that filters and deflate have realistic work.
TPicture MakePicture(const char* Name, int Width, int Height, int Channels) {
  TPicture p{Name, Width, Height, Channels, {}, {}};
  p.Pixels.resize(size_t(Width) * Height * Channels);
  uint32_t seed = 1;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      seed = seed * 1103515245u + 12345u;
      uint8_t* q = &p.Pixels[(size_t(y) * Width + x) * Channels];
      q[0] = uint8_t(x * 255 / Width + ((seed >> 20) & 3));
      q[1] = uint8_t(y * 255 / Height);
      q[2] = uint8_t((x + y) / 16 + ((seed >> 16) & 7));
      if (Channels == 4) q[3] = uint8_t(255 - (x / 8) % 64);
    }
  LibpngEncode(p.Pixels.data(), Width, Height, Channels, p.File);
  return p;
}

const TPicture& Picture(int64_t Index) {
  static const TPicture pictures[] = {MakePicture("rgb 1600x1200", 1600, 1200, 3),
                                      MakePicture("rgba 2000x2000", 2000, 2000, 4)};
  return pictures[Index];
}

// Runs Ours and Theirs once per iteration and reports both and their ratio.
template <class FOurs, class FTheirs>
void RunPair(benchmark::State& State, const TPicture& P, FOurs Ours, FTheirs Theirs) {
  using Clock = std::chrono::steady_clock;
  double ours = 0, theirs = 0;
  for (auto _ : State) {
    const auto t0 = Clock::now();
    Ours();
    const auto t1 = Clock::now();
    Theirs();
    const auto t2 = Clock::now();
    ours += std::chrono::duration<double>(t1 - t0).count();
    theirs += std::chrono::duration<double>(t2 - t1).count();
  }
  const double n = double(State.iterations());
  State.counters["ours_ms"] = ours / n * 1e3;
  State.counters["libpng_ms"] = theirs / n * 1e3;
  State.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
  State.SetLabel(P.Name);
}

void BM_Decode(benchmark::State& State) {
  const TPicture& p = Picture(State.range(0));
  {
    // Both sides must see the same picture.
    TCustomMemoryStreamView view(p.File);
    TPNGObject png;
    png.LoadFromStream(&view);
    if (png.Width() != p.Width || png.Height() != p.Height) {
      State.SkipWithError("our decoder does not read libpng's file");
      return;
    }
  }
  std::vector<uint8_t> pixels;
  RunPair(
      State, p,
      [&] {
        TCustomMemoryStreamView view(p.File);
        TPNGObject png;
        png.LoadFromStream(&view);
        benchmark::DoNotOptimize(png.Header()->ImageData());
      },
      [&] {
        int w = 0, h = 0;
        LibpngDecode(p.File, p.Channels, pixels, w, h);
        benchmark::DoNotOptimize(pixels.data());
      });
}

void BM_Encode(benchmark::State& State) {
  const TPicture& p = Picture(State.range(0));
  TCustomMemoryStreamView view(p.File);
  TPNGObject png;
  png.LoadFromStream(&view);
  {
    // Our file must read back in libpng as the same pixels.
    TMemoryStream out;
    png.SaveToStream(&out);
    const auto* b = static_cast<const uint8_t*>(out.Memory());
    std::vector<uint8_t> file(b, b + out.Size()), pixels;
    int w = 0, h = 0;
    if (!LibpngDecode(file, p.Channels, pixels, w, h) || pixels != p.Pixels) {
      State.SkipWithError("libpng does not read our file back");
      return;
    }
  }
  double ourBytes = 0, theirBytes = 0;
  RunPair(
      State, p,
      [&] {
        TMemoryStream out;
        png.SaveToStream(&out);
        ourBytes = double(out.Size());
      },
      [&] {
        std::vector<uint8_t> out;
        LibpngEncode(p.Pixels.data(), p.Width, p.Height, p.Channels, out);
        theirBytes = double(out.size());
      });
  State.counters["ours_bytes"] = ourBytes;
  State.counters["libpng_bytes"] = theirBytes;
}

double Minimum(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

}  // namespace

BENCHMARK(BM_Decode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Minimum);
BENCHMARK(BM_Encode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Minimum);
