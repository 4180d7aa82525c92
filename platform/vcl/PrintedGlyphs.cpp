#include "PrintedGlyphs.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// The map and the definefont wrapper that hands it to each font defined on
// the page (fonts that are read-only or in global memory, where the map
// may not be stored, are left as they are).
// The page's save and restore remove both again.
const char kPageProlog[] =
    "userdict begin\n"
    "/tovaniG2U 256 dict def\n"
    "/tovaniTakesMap { dup type /dicttype eq { dup wcheck exch gcheck not and } { pop false } ifelse } bind def\n"
    "/definefont {\n"
    " dup tovaniTakesMap {\n"
    "  dup /FontInfo known not { dup /FontInfo 2 dict put } if\n"
    "  dup /FontInfo get dup tovaniTakesMap { /GlyphNames2Unicode tovaniG2U put } { pop } ifelse\n"
    " } if\n"
    " systemdict /definefont get exec\n"
    "} bind def\n"
    "end\n";

struct TPrintedPage {
  void* DC = nullptr;
  bool PrologSent = false;
  std::unordered_set<uint16_t> Named;
};

std::mutex& PageLock() {
  static std::mutex lock;
  return lock;
}

TPrintedPage& Page() {
  static TPrintedPage page;
  return page;
}

// The device context of the page being printed, read without the lock by
// the canvas's text output on every device.
std::atomic<void*> PrintingDC{nullptr};

// Whether the device takes PostScript passed through (a PostScript printer).
bool TakesPostScript(HDC dc) {
  if (GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER) return false;
  const int escape = PASSTHROUGH;
  return ExtEscape(dc, QUERYESCSUPPORT, sizeof escape, reinterpret_cast<LPCSTR>(&escape), 0, nullptr) > 0;
}

// Whether the selected font's glyph-name table holds no names (format 3).
bool FontWithoutGlyphNames(HDC dc) {
  unsigned char version[4];
  const DWORD tag = 't' << 24 | 's' << 16 | 'o' << 8 | 'p';   // 'post', in GetFontData's byte order
  if (GetFontData(dc, tag, 0, version, sizeof version) != sizeof version) return false;
  return version[0] == 0 && version[1] == 3 && version[2] == 0 && version[3] == 0;
}

bool PassThrough(HDC dc, const std::string& Code) {
  // The escape's data: the byte count as a WORD, then the bytes.
  constexpr size_t kMax = 0xFFFF;
  for (size_t at = 0; at < Code.size(); at += kMax) {
    const size_t n = std::min(kMax, Code.size() - at);
    std::string data(2 + n, '\0');
    data[0] = char(n & 0xFF);
    data[1] = char(n >> 8);
    data.replace(2, n, Code, at, n);
    if (ExtEscape(dc, PASSTHROUGH, int(data.size()), data.data(), 0, nullptr) <= 0) return false;
  }
  return true;
}

}  // namespace

void PrinterPageStarted(void* DC) {
  std::lock_guard<std::mutex> guard(PageLock());
  TPrintedPage& page = Page();
  page.DC = DC;
  page.PrologSent = false;
  page.Named.clear();
  PrintingDC = DC;
}

void PrinterJobEnded(void* DC) {
  std::lock_guard<std::mutex> guard(PageLock());
  TPrintedPage& page = Page();
  if (page.DC != DC) return;
  page = TPrintedPage();
  PrintingDC = nullptr;
}

void NamePrintedGlyphs(void* DC, const char16_t* Text, size_t Count) {
  if (!DC || PrintingDC.load(std::memory_order_relaxed) != DC) return;
  std::lock_guard<std::mutex> guard(PageLock());
  TPrintedPage& page = Page();
  if (!DC || page.DC != DC || Count == 0) return;
  HDC dc = static_cast<HDC>(DC);
  if (!FontWithoutGlyphNames(dc)) return;
  std::vector<WORD> glyphs(Count);
  if (GetGlyphIndicesW(dc, reinterpret_cast<LPCWSTR>(Text), int(Count), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
      GDI_ERROR)
    return;
  std::string entries;
  char entry[32];
  for (size_t i = 0; i < Count; ++i) {
    const WORD g = glyphs[i];
    const char16_t c = Text[i];
    // Missing glyphs, and halves of surrogate pairs (drawn from glyphs of
    // their own, which GetGlyphIndicesW cannot name).
    if (g == 0 || g == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) continue;
    if (!page.Named.insert(g).second) continue;
    std::snprintf(entry, sizeof entry, "/g%04x <%04X> def\n", unsigned(g), unsigned(c));
    entries += entry;
  }
  if (entries.empty()) return;
  std::string code;
  if (!page.PrologSent) {
    if (!TakesPostScript(dc)) {
      // Not a PostScript device: nothing to do on this page.
      page.DC = nullptr;
      PrintingDC = nullptr;
      return;
    }
    code = kPageProlog;
    page.PrologSent = true;
  }
  code += "tovaniG2U begin\n" + entries + "end\n";
  PassThrough(dc, code);
}
