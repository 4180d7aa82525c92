#include "Clipbrd.h"
#include <cstring>
#include "Streams.h"
#include "VclUtils.h"

TOVANI_IMPLEMENT_CLASS(TClipboard, TPersistent)
TOVANI_IMPLEMENT_CLASS(EClipboardException, Exception)

namespace {
TClipboard* GlobalClipboard = nullptr;

// A hidden window that owns what we put on the clipboard.
HWND ClipboardWindow() {
  static HWND wnd = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TClipboardWindow";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  return wnd;
}
}  // namespace

TClipboard* Clipboard() {
  if (!GlobalClipboard) GlobalClipboard = new TClipboard;
  return GlobalClipboard;
}

TClipboard* SetClipboard(TClipboard* NewClipboard) {
  TClipboard* old = GlobalClipboard;
  GlobalClipboard = NewClipboard;
  return old;
}

UINT RegisterClipboardFormatName(const String& Name) { return RegisterClipboardFormatW(vcl::W(vcl::ToUtf16(Name))); }

TClipboard::~TClipboard() {
  if (FOpenRefCount > 0) CloseClipboard();
}

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    // Another program may hold it for a moment.
    bool ok = false;
    for (int tries = 0; tries < 10 && !ok; ++tries) {
      ok = OpenClipboard(ClipboardWindow()) != FALSE;
      if (!ok) Sleep(10);
    }
    if (!ok) throw EClipboardException("Cannot open clipboard");
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  FEmptied = true;
  Close();
}

void TClipboard::Adding() {
  // The first item put while open replaces what was there.
  if (!FEmptied) {
    EmptyClipboard();
    FEmptied = true;
  }
}

bool TClipboard::HasFormat(UINT Format) { return IsClipboardFormatAvailable(Format) != FALSE; }

Integer TClipboard::FormatCount() { return CountClipboardFormats(); }

UINT TClipboard::Formats(Integer Index) {
  Open();
  UINT f = 0;
  for (Integer i = 0; (f = EnumClipboardFormats(f)) != 0; ++i)
    if (i == Index) break;
  Close();
  return f;
}

HANDLE TClipboard::GetAsHandle(UINT Format) {
  Open();
  HANDLE h = GetClipboardData(Format);
  Close();
  return h;
}

void TClipboard::SetAsHandle(UINT Format, HANDLE Value) {
  Open();
  Adding();
  if (!SetClipboardData(Format, Value)) {
    Close();
    throw EClipboardException("Cannot put data on the clipboard");
  }
  Close();
}

String TClipboard::GetAsBytes(UINT Format) {
  Open();
  String out;
  if (HANDLE h = GetClipboardData(Format)) {
    SIZE_T size = GlobalSize(h);
    if (const void* p = GlobalLock(h)) {
      out.assign(static_cast<const char*>(p), size);
      GlobalUnlock(h);
    }
  }
  Close();
  return out;
}

void TClipboard::SetAsBytes(UINT Format, const String& Bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, Bytes.size() ? Bytes.size() : 1);
  if (!h) throw EOutOfMemory("Out of memory");
  std::memcpy(GlobalLock(h), Bytes.data(), Bytes.size());
  GlobalUnlock(h);
  try {
    SetAsHandle(Format, h);
  } catch (...) {
    GlobalFree(h);
    throw;
  }
}

String TClipboard::AsText() {
  Open();
  String out;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const char16_t*>(GlobalLock(h))) {
      SIZE_T units = GlobalSize(h) / sizeof(char16_t);
      size_t n = 0;
      while (n < units && p[n]) ++n;
      out = vcl::FromUtf16(p, int(n));
      GlobalUnlock(h);
    }
  }
  Close();
  return out;
}

void TClipboard::SetAsText(const String& Value) {
  std::u16string w = vcl::ToUtf16(Value);
  size_t bytes = (w.size() + 1) * sizeof(char16_t);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (!h) throw EOutOfMemory("Out of memory");
  std::memcpy(GlobalLock(h), w.c_str(), bytes);
  GlobalUnlock(h);
  try {
    SetAsHandle(CF_UNICODETEXT, h);
  } catch (...) {
    GlobalFree(h);
    throw;
  }
}

void TClipboard::Assign(TPersistent* Source) {
  TGraphic* g = nullptr;
  if (auto* p = dynamic_cast<TPicture*>(Source)) g = p->Graphic();
  else g = dynamic_cast<TGraphic*>(Source);
  if (!g) {
    TPersistent::Assign(Source);
    return;
  }
  // Any graphic goes as a bitmap (CF_DIB: the BMP file without its header).
  TBitmap bmp;
  bmp.Assign(g);
  TMemoryStream ms;
  bmp.SaveToStream(&ms);
  const char* data = static_cast<const char*>(ms.Memory());
  if (ms.Size() <= LongInt(sizeof(BITMAPFILEHEADER))) return;
  SetAsBytes(CF_DIB, String(data + sizeof(BITMAPFILEHEADER), size_t(ms.Size()) - sizeof(BITMAPFILEHEADER)));
}

void TClipboard::AssignTo(TPersistent* Dest) {
  TBitmap* bmp = dynamic_cast<TBitmap*>(Dest);
  TPicture* pic = dynamic_cast<TPicture*>(Dest);
  if ((bmp || pic) && HasFormat(CF_DIB)) {
    String dib = GetAsBytes(CF_DIB);
    if (pic) bmp = pic->Bitmap();
    bmp->LoadFromDIB(dib.data(), dib.size());
    return;
  }
  TPersistent::AssignTo(Dest);
}
