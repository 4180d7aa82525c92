#include "frxUtils.h"

#include <windows.h>
#undef GetProp
#undef SetProp
#include <zlib.h>

#include <memory>

#include "Forms.h"
#include "Graphics.h"
#include "ImgList.h"
#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "Variant.h"
#include "frxRes.h"
#include "frxXMLSerializer.h"

TOVANI_IMPLEMENT_CLASS(TfrxRectArea, TObject)

// ---------------------------------------------------------------------------
// Rectangle areas

TfrxRectArea* TfrxRectArea::CreateFromComponent(TfrxComponent* Component) {
  Extended l = Component->AbsLeft(), t = Component->AbsTop();
  return new TfrxRectArea(l, t, l + Component->Width(), t + Component->Height());
}

bool TfrxRectArea::OverlapsHorizontally(const TfrxRectArea* Other) const {
  return Other->Left < Right - 1e-4 && Other->Right > Left + 1e-4;
}

bool TfrxRectArea::OverlapsVertically(const TfrxRectArea* Other) const {
  return Other->Top < Bottom - 1e-4 && Other->Bottom > Top + 1e-4;
}

TfrxRectArea* TfrxRectArea::HorizontalOverlap(const TfrxRectArea* Other) const {
  if (!OverlapsHorizontally(Other)) return nullptr;
  return new TfrxRectArea(std::max(Left, Other->Left), 0, std::min(Right, Other->Right), 0);
}

TfrxFloatRect frxMakeRect(Extended Left, Extended Top, Extended Right, Extended Bottom) {
  return TfrxFloatRect{Left, Top, Right, Bottom};
}

// ---------------------------------------------------------------------------
// Components and references

namespace {

bool IsFormOrModule(TComponent* c) { return frxIsKindOf(c, "TCustomForm") || frxIsKindOf(c, "TDataModule"); }

// Names longer than the class library's 255 characters can name nothing.
String Part(const String& s) { return s.size() > 255 ? s.substr(0, 255) : s; }

}  // namespace

TComponent* frxLookupComponent(TComponent* Owner, const String& Name) {
  try {
    size_t dot = Name.find('.');
    if (dot == String::npos) {
      TComponent* c = Owner ? Owner->FindComponent(Name) : nullptr;
      if (!c && Owner && Owner->Is<TfrxReport>() && Owner->Owner()) c = Owner->Owner()->FindComponent(Name);
      return c;
    }
    TComponent* root = FindGlobalComponent(Part(Name.substr(0, dot)));
    if (!root) return nullptr;
    String rest = Name.substr(dot + 1);
    size_t dot2 = rest.find('.');
    if (dot2 == String::npos) return root->FindComponent(Part(rest));
    TComponent* frame = root->FindComponent(Part(rest.substr(0, dot2)));
    return frame ? frame->FindComponent(Part(rest.substr(dot2 + 1))) : nullptr;
  } catch (const std::exception&) {
    throw EClassNotFound("Missing " + Name);
  }
}

String frxComponentReferenceText(TComponent* Owner, TComponent* Component) {
  if (!Component) return String();
  TComponent* owner = Component->Owner();
  if (!owner || owner == Owner) return Component->Name();
  if (Owner && Owner->Is<TfrxReport>() && owner == Owner->Owner()) return Component->Name();
  if (IsFormOrModule(owner)) return owner->Name() + "." + Component->Name();
  if (frxIsKindOf(owner, "TCustomFrame")) {
    String frame = owner->Name() + "." + Component->Name();
    return owner->Owner() ? owner->Owner()->Name() + "." + frame : frame;
  }
  return String();
}

// ---------------------------------------------------------------------------
// Streams and text

Cardinal frxStreamChecksum32(TStream* Stream) {
  Int64 saved = Stream->Position();
  Stream->SetPosition(0);
  uLong crc = crc32(0L, Z_NULL, 0);
  Byte buf[8192];
  for (;;) {
    LongInt n = Stream->Read(buf, sizeof(buf));
    if (n <= 0) break;
    crc = crc32(crc, buf, uInt(n));
  }
  Stream->SetPosition(saved);
  return Cardinal(crc);
}

String frxStreamToHex(TStream* Stream) {
  static const char digits[] = "0123456789ABCDEF";
  Int64 size = Stream->Size();
  String out;
  out.reserve(size_t(size) * 2);
  Stream->SetPosition(0);
  Byte buf[8192];
  for (;;) {
    LongInt n = Stream->Read(buf, sizeof(buf));
    if (n <= 0) break;
    for (LongInt i = 0; i < n; ++i) {
      out += digits[buf[i] >> 4];
      out += digits[buf[i] & 15];
    }
  }
  return out;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void frxHexToStream(const String& Text, TStream* Stream) {
  String bytes(Text.size() / 2, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    int hi = HexDigit(Text[2 * i]), lo = HexDigit(Text[2 * i + 1]);
    if (hi < 0 || lo < 0) throw EConvertError("'" + Text.substr(2 * i, 2) + "' is not a valid hexadecimal value");
    bytes[i] = char(hi << 4 | lo);
  }
  Stream->SetPosition(0);
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), LongInt(bytes.size()));
}

void frxSplitString(const String& Text, TStrings* List, char Separator) {
  List->Clear();
  size_t start = 0;
  while (start < Text.size()) {
    size_t p = Text.find(Separator, start);
    if (p == String::npos) p = Text.size();
    List->Add(Text.substr(start, p - start));
    start = p + 1;
  }
}

Extended frxParseFloat(const String& Text) {
  TFormatSettings fs = FormatSettings();
  String s;
  s.reserve(Text.size());
  for (char c : Text) {
    if (c == ' ') continue;
    s += (c == ',' || c == '.') ? fs.DecimalSeparator : c;
  }
  return StrToFloat(s, fs);
}

String frxFloatToText(Extended X) {
  if (X != std::trunc(X)) return Format("%2.2f", {X});
  return FloatToStr(X);
}

namespace {

// The bracket scan over any string type. Next(s, j) gives the index of the
// character after the one at j, so multi-byte characters are stepped over whole.
template <class Str, class NextFn>
Str ExtractBracketed(const Str& Text, const Str& Open, const Str& Close, Integer& StartPos, Integer& EndPos,
                     NextFn Next) {
  EndPos = StartPos;
  if (Text.empty() || Open.empty() || Close.empty() || StartPos < 1 || size_t(StartPos) > Text.size())
    return Str();
  bool outsideSingle = true, outsideDouble = true;
  int depth = 0;
  size_t j = size_t(StartPos) - 1;   // 0-based scan position
  size_t start = j;
  for (;;) {
    if (outsideSingle && outsideDouble) {
      if (Text.compare(j, Open.size(), Open) == 0) {
        if (depth == 0) start = j;
        ++depth;
      } else if (Text.compare(j, Close.size(), Close) == 0) {
        --depth;
      }
    }
    if (outsideSingle && Text[j] == '"') outsideDouble = !outsideDouble;
    if (outsideDouble && Text[j] == '\'') outsideSingle = !outsideSingle;
    if (depth == 0) break;
    size_t next = Next(Text, j);
    if (next >= Text.size()) break;
    j = next;
  }
  StartPos = Integer(start) + 1;
  EndPos = Integer(j) + 1;
  if (start == j) return Str();
  size_t from = start + Open.size();
  Str result = from <= j ? Text.substr(from, j - from) : Str();
  EndPos += Integer(Close.size()) - 1;
  return result;
}

}  // namespace

String frxExtractBracketed(const String& Text, const String& Open, const String& Close, Integer& StartPos,
                           Integer& EndPos) {
  return ExtractBracketed(Text, Open, Close, StartPos, EndPos,
                          [](const String& s, size_t j) { return Utf8NextChar(s, j); });
}

WideString frxExtractBracketedWide(const WideString& Text, const WideString& Open, const WideString& Close,
                                   Integer& StartPos, Integer& EndPos) {
  return ExtractBracketed(Text, Open, Close, StartPos, EndPos, [](const WideString&, size_t j) { return j + 1; });
}

// ---------------------------------------------------------------------------
// Errors and messages

void frxReportError(TfrxReport* Report, const String& Text) {
  TfrxSilentMode mode = Report ? Report->EngineOptions()->NewSilentMode : simMessageBoxes;
  switch (mode) {
    case simMessageBoxes: frxShowErrorBox(Text); break;
    case simSilent: break;
    case simReThrow: throw Exception(Text);
  }
}

void frxShowErrorBox(const String& Text) {
  std::u16string text = Utf8ToUtf16(Text);
  std::u16string caption = Utf8ToUtf16(frxGetResources()->Get("mbError"));
  MessageBoxW(GetActiveWindow(), reinterpret_cast<LPCWSTR>(text.c_str()),
              reinterpret_cast<LPCWSTR>(caption.c_str()), MB_OK | MB_ICONERROR);
}

void frxProcessMessages(bool Force) {
  if (!Application) return;
  // Often enough for a Cancel button and repaints to feel immediate.
  constexpr ULONGLONG kIntervalMs = 5;
  static ULONGLONG last = 0;
  const ULONGLONG now = GetTickCount64();
  if (!Force && now - last < kIntervalMs) return;
  last = now;
  Application->ProcessMessages();
}

// ---------------------------------------------------------------------------
// Pictures

void frxCutImageStrip(TBitmap* Bitmap, Integer Width, Integer Height, TCustomImageList* Images,
                      TCustomImageList* SecondImages) {
  if (!Bitmap || Bitmap->Empty() || Width <= 0 || Height <= 0) return;
  TBitmap tile(Width, Height, pf32bit);
  auto take = [&](Integer x, Integer y, TCustomImageList* list) {
    tile.Canvas()->CopyRect(TRect(0, 0, Width, Height), Bitmap->Canvas(), TRect(x, y, x + Width, y + Height));
    list->AddMasked(&tile, tile.TransparentColor());
  };
  for (Integer y = 0; y < Bitmap->Height(); y += Height)
    for (Integer x = 0; x < Bitmap->Width(); x += Width) {
      take(x, y, Images);
      if (SecondImages) {
        x += Width;
        take(x, y, SecondImages);
      }
    }
}

void frxDrawTransparentBitmap(TCanvas* Canvas, Integer X, Integer Y, TBitmap* Bitmap) {
  if (!Bitmap || Bitmap->Empty()) return;
  HDC src = Bitmap->Canvas()->Handle();
  GdiTransparentBlt(Canvas->Handle(), X, Y, Bitmap->Width(), Bitmap->Height(), src, 0, 0, Bitmap->Width(),
                    Bitmap->Height(), ColorToRGB(Bitmap->TransparentColor()));
}

void frxDrawBitmapStretched(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap) {
  if (!Bitmap || Bitmap->Empty()) return;
  // Through the device-independent bits with half-tone stretching, which
  // looks far better than plain stretching on printers.
  Integer w = Bitmap->Width(), h = Bitmap->Height();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> bits(size_t(w) * size_t(h));
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, Bitmap->Handle(), 0, UINT(h), bits.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  HDC dc = Canvas->Handle();
  int oldMode = SetStretchBltMode(dc, HALFTONE);
  POINT oldOrg;
  SetBrushOrgEx(dc, 0, 0, &oldOrg);
  StretchDIBits(dc, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0, 0, w, h, bits.data(),
                &info, DIB_RGB_COLORS, SRCCOPY);
  SetBrushOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
  SetStretchBltMode(dc, oldMode);
}

void frxPaintGraphic(TCanvas* Canvas, const TRect& Rect, TGraphic* Graphic, bool Smooth) {
  if (!Graphic || Graphic->Empty()) return;
  if (!Smooth || frxIsKindOf(Graphic, "TMetafile")) {
    Canvas->StretchDraw(Rect, Graphic);
    return;
  }
  TBitmap bmp(Graphic->Width(), Graphic->Height(), pf32bit);
  bmp.Canvas()->Draw(0, 0, Graphic);
  frxDrawBitmapStretched(Canvas, Rect, &bmp);
}

// ---------------------------------------------------------------------------
// Page ranges

void frxParsePageNumbers(const String& Text, std::vector<Integer>& List, Integer LastPage) {
  // A page list names pages of one report; anything longer than this is a
  // typing error, not a print job, and must not exhaust memory.
  const size_t kMaxPages = 1000000;
  List.clear();
  String s;
  for (char c : Text)
    if (c != ' ') s += c;
  if (s.empty()) return;
  if (s.back() == '-') s += IntToStr(LastPage);
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    if (comma == String::npos) comma = s.size();
    String item = s.substr(start, comma - start);
    size_t dash = item.find('-', 1);
    if (dash == String::npos) {
      List.push_back(StrToInt(item));
    } else {
      Integer a = StrToInt(item.substr(0, dash)), b = StrToInt(item.substr(dash + 1));
      if (b >= a && Int64(b) - a + List.size() >= kMaxPages)
        throw EConvertError("Page range too large: " + item);
      for (Int64 i = a; i <= b; ++i) List.push_back(Integer(i));
    }
    if (List.size() > kMaxPages) throw EConvertError("Page range too large: " + Text);
    start = comma + 1;
  }
}

// ---------------------------------------------------------------------------
// Collections in form resources

String frxDecodeHighChars(const String& S) {
  String out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\x01' && i + 1 < S.size()) {
      out += char(Byte(S[i + 1]) + 128);
      ++i;
    } else {
      out += S[i];
    }
  }
  return out;
}

String frxEncodeHighChars(const String& S) {
  String out;
  out.reserve(S.size());
  for (char c : S) {
    if (Byte(c) >= 128) {
      out += '\x01';
      out += char(Byte(c) - 128);
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

void DecodeItemStrings(TCollection* Collection) {
  for (Integer i = 0; i < Collection->Count(); ++i) {
    TCollectionItem* item = Collection->Items(i);
    for (const TPropInfo* p : GetPropList(item, TTypeKinds{tkString, tkLString, tkWString, tkUString, tkVariant})) {
      if (!p->HasGetter() || !p->HasSetter()) continue;
      if (p->Kind() == tkVariant) {
        Variant v = GetVariantProp(item, p);
        if (VarIsStr(v)) SetVariantProp(item, p, Variant(frxDecodeHighChars(v.AsString())));
      } else {
        SetStrProp(item, p, frxDecodeHighChars(GetStrProp(item, p)));
      }
    }
  }
}

}  // namespace

void frxStoreCollection(TCollection* Collection, TWriter* Writer, TfrxComponent* Owner) {
  if (!Owner || !Owner->BeingWritten()) {
    Writer->WriteCollection(Collection);
    return;
  }
  TfrxXMLSerializer xs(nullptr);
  xs.SetRootComponent(Owner->GetReport());
  Writer->WriteListBegin();
  for (Integer i = 0; i < Collection->Count(); ++i) {
    Writer->WriteListBegin();
    String s = xs.ObjectToAttributes(Collection->Items(i));
    Writer->WriteValue(vaLString);
    int32_t n = int32_t(s.size());
    Writer->Stream()->WriteBuffer(&n, 4);
    if (n > 0) Writer->Stream()->WriteBuffer(s.data(), n);
    Writer->WriteListEnd();
  }
  Writer->WriteListEnd();
}

void frxLoadCollection(TCollection* Collection, TReader* Reader, TfrxComponent* Owner) {
  if (Reader->NextValue() == vaCollection) {
    Reader->ReadCollection(Collection);
    DecodeItemStrings(Collection);
    return;
  }
  TfrxReport* report = Owner ? Owner->GetReport() : nullptr;
  TComponent* root = report ? static_cast<TComponent*>(report) : Owner;
  std::unique_ptr<TfrxXMLSerializer> own;
  TfrxXMLSerializer* xs = report ? report->XMLSerializer() : nullptr;
  if (!xs) {
    own = std::make_unique<TfrxXMLSerializer>(nullptr);
    own->SetRootComponent(root);
    xs = own.get();
  }
  Reader->ReadListBegin();
  Collection->BeginUpdate();
  try {
    Collection->Clear();
    while (!Reader->EndOfList()) {
      Reader->ReadListBegin();
      TCollectionItem* item = Collection->Add();
      String s = Reader->ReadString();
      if (own) xs->ReadObjectText(root, item, s);
      else xs->AttributesToObject(s, item);
      Reader->ReadListEnd();
    }
    Reader->ReadListEnd();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
}

// ---------------------------------------------------------------------------
// Files and folders

String frxNewTempFile(const String& Dir) {
  char16_t path[MAX_PATH + 1] = {};
  std::u16string dir;
  if (Dir.empty()) {
    GetTempPathW(MAX_PATH, reinterpret_cast<LPWSTR>(path));
    dir = path;
  } else {
    dir = Utf8ToUtf16(Dir);
    if (dir.back() != u'\\') dir += u'\\';
  }
  char16_t name[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(reinterpret_cast<LPCWSTR>(dir.c_str()), reinterpret_cast<LPCWSTR>(u"fr"), 0,
                        reinterpret_cast<LPWSTR>(name)))
    throw EFCreateError("Cannot create a temporary file in " + Utf16ToUtf8(dir));
  return Utf16ToUtf8(name);
}

String frxProgramFileName() {
  std::u16string buf(MAX_PATH, u'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(buf.data()), DWORD(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return Utf16ToUtf8(buf);
    }
    buf.resize(buf.size() * 2);
  }
}

String frxProgramFolder() {
  String file = frxProgramFileName();
  size_t p = file.find_last_of("\\/");
  return p == String::npos ? String() : file.substr(0, p + 1);
}
