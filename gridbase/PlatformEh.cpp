#include "PlatformEh.h"
#include <algorithm>
#include "Collation.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "Variant.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TMemoryStreamEh, TMemoryStream)

namespace {
const char kStreamMemoryError[] = "Out of memory while expanding memory stream";
LPCWSTR Wide(const std::u16string& s) { return reinterpret_cast<LPCWSTR>(s.c_str()); }
Integer Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
}  // namespace

String PCharToStringEh(const char* Buffer) { return Buffer ? String(Buffer) : String(); }

String TextPrefixEh(const String& Text, Integer Count) {
  if (Count < 0 || size_t(Count) >= Text.size()) return Text;
  // Back off to the start of the character the cut would split.
  size_t end = size_t(Count);
  if (end > 0 && end < Text.size()) end = Utf8CharStart(Text, end);
  return Text.substr(0, end);
}

Integer DataSetCompareBookmarksEh(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
  return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}

TDataSet* GetMasterDataSetEh(TDataSet* DataSet, const TPropInfo* PropInfo) {
  if (!DataSet || !PropInfo || PropInfo->Kind() != tkClass) return nullptr;
  try {
    TObject* obj = GetObjectProp(DataSet, PropInfo);
    if (auto* ds = dynamic_cast<TDataSource*>(obj)) return ds->DataSet();
  } catch (...) {
  }
  return nullptr;
}

int DrawTextEh(HDC DC, const String& Text, Integer Count, TRect& Rect, UINT Format) {
  std::u16string w = Utf8ToUtf16(TextPrefixEh(Text, Count));
  return DrawTextW(DC, Wide(w), int(w.size()), Rect.AsRECT(), Format);
}

int DrawTextExEh(HDC DC, const String& Text, Integer Count, TRect& Rect, UINT Format, const DRAWTEXTPARAMS* Params) {
  std::u16string w = Utf8ToUtf16(TextPrefixEh(Text, Count));
  DRAWTEXTPARAMS copy{};
  if (Params) copy = *Params;
  // DT_MODIFYSTRING would write into our temporary copy only; drop it.
  return DrawTextExW(DC, reinterpret_cast<LPWSTR>(w.data()), int(w.size()), Rect.AsRECT(), Format & ~UINT(DT_MODIFYSTRING),
                     Params ? &copy : nullptr);
}

BOOL ExtTextOutEh(HDC DC, Integer X, Integer Y, UINT Options, const TRect* Rect, const String& Text, Integer Count) {
  std::u16string w = Utf8ToUtf16(TextPrefixEh(Text, Count));
  return ExtTextOutW(DC, X, Y, Options, Rect ? Rect->AsRECT() : nullptr, Wide(w), UINT(w.size()), nullptr);
}

UINT GetOutlineTextMetricsEh(HDC DC, UINT Size, OUTLINETEXTMETRICW* Metrics) {
  return GetOutlineTextMetricsW(DC, Size, Metrics);
}

BOOL SystemParametersInfoEh(UINT Action, UINT Param, void* PvParam, UINT WinIni) {
  return SystemParametersInfoW(Action, Param, PvParam, WinIni);
}

BOOL InvalidateRectEh(HWND Wnd, const TRect* Rect, bool Erase) {
  return InvalidateRect(Wnd, Rect ? Rect->AsRECT() : nullptr, Erase);
}

BOOL ValidateRectEh(HWND Wnd, const TRect* Rect) { return ValidateRect(Wnd, Rect ? Rect->AsRECT() : nullptr); }

HBITMAP LoadBitmapEh(HINSTANCE Module, const String& Name) {
  std::u16string w = Utf8ToUtf16(Name);
  return LoadBitmapW(Module, Wide(w));
}

LRESULT SendMessageEh(HWND Wnd, UINT Msg, WPARAM WParam, const void* LParam) {
  return SendMessageW(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(LParam));
}

LRESULT SendStringMessageEh(HWND Wnd, UINT Msg, WPARAM WParam, const String& Text) {
  std::u16string w = Utf8ToUtf16(Text);
  return SendMessageW(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(w.c_str()));
}

int ScrollWindowExEh(HWND Wnd, Integer DX, Integer DY, UINT Flags, HRGN UpdateRegion, const TRect* ScrollRect,
                     const TRect* ClipRect) {
  return ScrollWindowEx(Wnd, DX, DY, ScrollRect ? ScrollRect->AsRECT() : nullptr, ClipRect ? ClipRect->AsRECT() : nullptr,
                        UpdateRegion, nullptr, Flags);
}

BOOL ScrollWindowEh(HWND Wnd, Integer DX, Integer DY, const TRect* ScrollRect, const TRect* ClipRect) {
  return ScrollWindow(Wnd, DX, DY, ScrollRect ? ScrollRect->AsRECT() : nullptr, ClipRect ? ClipRect->AsRECT() : nullptr);
}

void MessageToTMessageEh(const TMessageRecEh& Source, TMessage& Dest) {
  Dest.Msg = Source.Msg;
  Dest.WParam = Source.WParam;
  Dest.LParam = Source.LParam;
  Dest.Result = Source.Result;
}

void MessageToTMessage2Eh(const TMessageRecEh& Source, TMessage& Dest) { MessageToTMessageEh(Source, Dest); }

void RectLPtoDPEh(HDC DC, TRect& Rect) { LPtoDP(DC, reinterpret_cast<POINT*>(&Rect), 2); }

HRGN CreatePolygonRgnEh(const TPoint* Points, Integer Count, Integer FillMode) {
  return CreatePolygonRgn(reinterpret_cast<const POINT*>(Points), Count, FillMode);
}

void SendGetSelMessageEh(HWND Wnd, Integer& Start, Integer& End) {
  DWORD s = 0, e = 0;
  SendMessageW(Wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  Start = Integer(s);
  End = Integer(e);
}

String AnsiUpperCaseEh(const String& S) { return AnsiUpperCase(S); }
String AnsiLowerCaseEh(const String& S) { return AnsiLowerCase(S); }
Integer AnsiCompareStrEh(const String& A, const String& B) { return Sign(AnsiCompareStr(A, B)); }
Integer AnsiCompareTextEh(const String& A, const String& B) { return Sign(AnsiCompareText(A, B)); }

void LoadBitmapFromResourceEh(TBitmap* Bitmap, HINSTANCE Module, const String& Name) {
  HBITMAP h = LoadBitmapEh(Module, Name);
  if (!h) throw Exception("Resource " + Name + " not found");
  Bitmap->SetHandle(h);
}

const TTypeInfo* GetPropTypeEh(const TPropInfo* PropInfo) { return PropInfo ? PropInfo->PropType : nullptr; }
Integer GetTypeKindEh(const TTypeInfo* TypeInfo) { return TypeInfo ? Integer(TypeInfo->Kind) : Integer(tkUnknown); }
void VarArrayRedimEh(Variant& V, Integer HighBound) { VarArrayRedim(V, HighBound); }

// ---------------------------------------------------------------------------
// TMemoryStreamEh

TMemoryStreamEh::~TMemoryStreamEh() { Clear(); }

void* TMemoryStreamEh::Realloc(Int64& NewCapacity) {
  const Int64 delta = 2 * Int64(FHalfMemoryDelta);
  if (NewCapacity > 0 && NewCapacity != FSize) NewCapacity = (NewCapacity + (delta - 1)) / delta * delta;
  if (NewCapacity == FCapacity) return FMemory;
  if (NewCapacity == 0) {
    if (FBlock) {
      GlobalUnlock(FBlock);
      GlobalFree(FBlock);
      FBlock = nullptr;
    }
    return nullptr;
  }
  if (NewCapacity < 0 || NewCapacity > Int64(0x7FFFFFFF)) throw EStreamError(kStreamMemoryError);
  HGLOBAL block;
  if (!FBlock) {
    block = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(NewCapacity));
  } else {
    GlobalUnlock(FBlock);
    block = GlobalReAlloc(FBlock, SIZE_T(NewCapacity), GMEM_MOVEABLE);
    if (!block) GlobalLock(FBlock);   // the old block stays as it was
  }
  if (!block) throw EStreamError(kStreamMemoryError);
  FBlock = block;
  void* p = GlobalLock(FBlock);
  if (!p) throw EStreamError(kStreamMemoryError);
  return p;
}
