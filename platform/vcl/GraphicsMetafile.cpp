// Enhanced metafiles: TMetafile and the canvas that records into one.
#include "Graphics.h"
#include <cstring>
#include <vector>
#include "Streams.h"
#include "VclUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TMetafile, TGraphic)
TOVANI_IMPLEMENT_CLASS(TMetafileCanvas, TCanvas)

namespace {
// Metafiles larger than this are refused rather than read into memory.
constexpr int64_t kMaxMetafileBytes = int64_t(256) << 20;

Integer ScreenLogPixels(int index) {
  HDC dc = GetDC(nullptr);
  Integer r = GetDeviceCaps(dc, index);
  ReleaseDC(nullptr, dc);
  return r > 0 ? r : 96;
}

uint32_t ReadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

[[noreturn]] void Invalid() { throw EInvalidGraphic("Metafile is not valid"); }
}  // namespace

bool IsEnhMetafileData(const uint8_t* data, size_t size) {
  // EMR_HEADER record first, with the " EMF" signature at its offset 40.
  return size >= 44 && ReadU32(data) == EMR_HEADER && ReadU32(data + 40) == ENHMETA_SIGNATURE;
}

TMetafile::~TMetafile() { Clear(); }

void TMetafile::Clear() {
  if (FHandle) DeleteEnhMetaFile(FHandle);
  FHandle = nullptr;
  FMMWidth = FMMHeight = 0;
}

void TMetafile::Assign(TPersistent* source) {
  if (!source) {
    Clear();
    Changed(this);
    return;
  }
  if (auto* m = dynamic_cast<TMetafile*>(source)) {
    if (m == this) return;
    HENHMETAFILE copy = m->FHandle ? CopyEnhMetaFileW(m->FHandle, nullptr) : nullptr;
    Clear();
    FHandle = copy;
    FMMWidth = m->FMMWidth;
    FMMHeight = m->FMMHeight;
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TMetafile::SetHandle(HENHMETAFILE h) {
  if (h == FHandle) return;
  Clear();
  FHandle = h;
  Changed(this);
}

HENHMETAFILE TMetafile::ReleaseHandle() {
  HENHMETAFILE h = FHandle;
  FHandle = nullptr;
  return h;
}

Integer TMetafile::MMWidth() const {
  if (FMMWidth || !FHandle) return FMMWidth;
  ENHMETAHEADER hdr{};
  if (!GetEnhMetaFileHeader(FHandle, sizeof(hdr), &hdr)) return 0;
  return hdr.rclFrame.right - hdr.rclFrame.left;
}

Integer TMetafile::MMHeight() const {
  if (FMMHeight || !FHandle) return FMMHeight;
  ENHMETAHEADER hdr{};
  if (!GetEnhMetaFileHeader(FHandle, sizeof(hdr), &hdr)) return 0;
  return hdr.rclFrame.bottom - hdr.rclFrame.top;
}

void TMetafile::SetMMWidth(Integer v) {
  if (v < 0) v = 0;
  if (FMMWidth == v) return;
  FMMWidth = v;
  Changed(this);
}

void TMetafile::SetMMHeight(Integer v) {
  if (v < 0) v = 0;
  if (FMMHeight == v) return;
  FMMHeight = v;
  Changed(this);
}

Integer TMetafile::Width() const { return MulDiv(MMWidth(), ScreenLogPixels(LOGPIXELSX), 2540); }
Integer TMetafile::Height() const { return MulDiv(MMHeight(), ScreenLogPixels(LOGPIXELSY), 2540); }
void TMetafile::SetWidth(Integer v) { SetMMWidth(MulDiv(v, 2540, ScreenLogPixels(LOGPIXELSX))); }
void TMetafile::SetHeight(Integer v) { SetMMHeight(MulDiv(v, 2540, ScreenLogPixels(LOGPIXELSY))); }

String TMetafile::Description() const {
  if (!FHandle) return {};
  UINT n = GetEnhMetaFileDescriptionW(FHandle, 0, nullptr);
  if (n == 0 || n == GDI_ERROR) return {};
  std::u16string buf(n, u'\0');
  GetEnhMetaFileDescriptionW(FHandle, n, reinterpret_cast<LPWSTR>(buf.data()));
  // Two strings separated by a null, ending with two nulls.
  while (!buf.empty() && buf.back() == u'\0') buf.pop_back();
  for (auto& c : buf)
    if (c == u'\0') c = u'\n';
  return vcl::FromUtf16(buf.data(), int(buf.size()));
}

void TMetafile::LoadFromStream(TStream* stream) {
  int64_t available = stream->Size() - stream->Position();
  if (available < int64_t(sizeof(ENHMETAHEADER)) || available > kMaxMetafileBytes) Invalid();
  uint8_t head[sizeof(ENHMETAHEADER)];
  if (stream->Read(head, sizeof(head)) != Integer(sizeof(head))) Invalid();
  if (!IsEnhMetafileData(head, sizeof(head))) Invalid();
  // The header says how long the whole file is; read that much and no more.
  uint32_t total = ReadU32(head + offsetof(ENHMETAHEADER, nBytes));
  if (total < sizeof(head) || int64_t(total) > available) Invalid();
  std::vector<uint8_t> data(total);
  std::memcpy(data.data(), head, sizeof(head));
  size_t rest = total - sizeof(head);
  if (rest && stream->Read(data.data() + sizeof(head), Integer(rest)) != Integer(rest)) Invalid();
  // Every record must lie inside the data and the last must be EMR_EOF.
  size_t pos = 0;
  bool sawEof = false;
  while (pos + 8 <= data.size()) {
    uint32_t type = ReadU32(&data[pos]), size = ReadU32(&data[pos + 4]);
    if (size < 8 || size % 4 != 0 || size > data.size() - pos) Invalid();
    pos += size;
    if (type == EMR_EOF) {
      sawEof = true;
      break;
    }
  }
  if (!sawEof) Invalid();
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(data.size()), data.data());
  if (!h) Invalid();
  Clear();
  FHandle = h;
  Changed(this);
}

void TMetafile::SaveToStream(TStream* stream) {
  if (!FHandle) return;
  UINT n = GetEnhMetaFileBits(FHandle, 0, nullptr);
  std::vector<uint8_t> data(n);
  if (n) GetEnhMetaFileBits(FHandle, n, data.data());
  // A size chosen after recording is written into the frame of the file.
  if (n >= sizeof(ENHMETAHEADER) && (FMMWidth || FMMHeight)) {
    ENHMETAHEADER hdr;
    std::memcpy(&hdr, data.data(), sizeof(hdr));
    if (FMMWidth) hdr.rclFrame.right = hdr.rclFrame.left + FMMWidth;
    if (FMMHeight) hdr.rclFrame.bottom = hdr.rclFrame.top + FMMHeight;
    std::memcpy(data.data(), &hdr, sizeof(hdr));
  }
  if (n) stream->WriteBuffer(data.data(), Integer(n));
}

void TMetafile::Draw(TCanvas* canvas, const TRect& rect) {
  if (!FHandle) return;
  RECT r = *rect.AsRECT();
  PlayEnhMetaFile(canvas->Handle(), FHandle, &r);
}

// ---------------------------------------------------------------------------
// TMetafileCanvas

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice)
    : TMetafileCanvas(AMetafile, ReferenceDevice, String(), String()) {}

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice, const String& CreatedBy,
                                 const String& Description)
    : FMetafile(AMetafile) {
  HDC ref = ReferenceDevice ? ReferenceDevice : GetDC(nullptr);
  // A metafile of a chosen size records into that frame; otherwise the
  // frame is what was drawn.
  RECT frame{0, 0, AMetafile->FMMWidth, AMetafile->FMMHeight};
  bool sized = AMetafile->FMMWidth > 0 && AMetafile->FMMHeight > 0;
  std::u16string desc;
  if (!CreatedBy.empty() || !Description.empty()) {
    desc = vcl::ToUtf16(CreatedBy);
    desc.push_back(u'\0');
    desc += vcl::ToUtf16(Description);
    desc.push_back(u'\0');
    desc.push_back(u'\0');
  }
  HDC dc = CreateEnhMetaFileW(ref, nullptr, sized ? &frame : nullptr,
                              desc.empty() ? nullptr : reinterpret_cast<LPCWSTR>(desc.c_str()));
  if (!ReferenceDevice) ReleaseDC(nullptr, ref);
  if (!dc) throw EInvalidGraphicOperation("Cannot create the metafile");
  SetHandle(dc);
}

TMetafileCanvas::~TMetafileCanvas() {
  HDC dc = HandleAllocated() ? Handle() : nullptr;
  SetHandle(nullptr);
  if (!dc) return;
  HENHMETAFILE h = CloseEnhMetaFile(dc);
  if (!h) return;
  Integer w = FMetafile->FMMWidth, hgt = FMetafile->FMMHeight;
  FMetafile->SetHandle(h);
  FMetafile->FMMWidth = w;
  FMetafile->FMMHeight = hgt;
}
