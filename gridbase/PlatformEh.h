// The small adapters through which the grid library reaches the Windows API
// and the class library with its own string and record types, the bookmark
// comparison and master-dataset lookup of the data-aware parts, and the
// memory stream of the clipboard and export code.
#pragma once
#include "DB.h"
#include "Messages.h"
#include "Streams.h"
#include "Types.h"
#include "VclWindows.h"

struct TPropInfo;
struct TTypeInfo;
class TBitmap;
class Variant;

// A window message as the library's helpers pass it around: message,
// wParam, lParam and result, each of the platform's own width (so a
// pointer travels whole in any of them).
struct TMessageRecEh {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

inline LPARAM ObjectToIntEh(TObject* Object) { return reinterpret_cast<LPARAM>(Object); }
String PCharToStringEh(const char* Buffer);
// The part of a text of at most Count bytes that ends on a whole character
// (a negative Count means the whole text).
String TextPrefixEh(const String& Text, Integer Count);

Integer DataSetCompareBookmarksEh(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2);
// The dataset of the data source held in the published property PropInfo
// of DataSet; null when there is none (failures are swallowed).
TDataSet* GetMasterDataSetEh(TDataSet* DataSet, const TPropInfo* PropInfo);

// Text output with the library's strings. Count is a length in bytes of
// Text, cut back to a whole character; -1 is the whole text.
int DrawTextEh(HDC DC, const String& Text, Integer Count, TRect& Rect, UINT Format);
int DrawTextExEh(HDC DC, const String& Text, Integer Count, TRect& Rect, UINT Format, const DRAWTEXTPARAMS* Params);
BOOL ExtTextOutEh(HDC DC, Integer X, Integer Y, UINT Options, const TRect* Rect, const String& Text, Integer Count);
UINT GetOutlineTextMetricsEh(HDC DC, UINT Size, OUTLINETEXTMETRICW* Metrics);
BOOL SystemParametersInfoEh(UINT Action, UINT Param, void* PvParam, UINT WinIni);
BOOL InvalidateRectEh(HWND Wnd, const TRect* Rect, bool Erase);
BOOL ValidateRectEh(HWND Wnd, const TRect* Rect);
HBITMAP LoadBitmapEh(HINSTANCE Module, const String& Name);
LRESULT SendMessageEh(HWND Wnd, UINT Msg, WPARAM WParam, const void* LParam);
LRESULT SendStringMessageEh(HWND Wnd, UINT Msg, WPARAM WParam, const String& Text);
int ScrollWindowExEh(HWND Wnd, Integer DX, Integer DY, UINT Flags, HRGN UpdateRegion, const TRect* ScrollRect,
                     const TRect* ClipRect);
BOOL ScrollWindowEh(HWND Wnd, Integer DX, Integer DY, const TRect* ScrollRect, const TRect* ClipRect);
void MessageToTMessageEh(const TMessageRecEh& Source, TMessage& Dest);
void MessageToTMessage2Eh(const TMessageRecEh& Source, TMessage& Dest);
inline LPARAM SmallPointToLParamEh(LPARAM Value) { return Value; }
inline LPARAM LParamToSmallPointEh(LPARAM Value) { return Value; }
inline WPARAM HandleToWParamEh(WPARAM Value) { return Value; }
void RectLPtoDPEh(HDC DC, TRect& Rect);
HRGN CreatePolygonRgnEh(const TPoint* Points, Integer Count, Integer FillMode);
// EM_GETSEL of an edit window: the selection in characters of the window.
void SendGetSelMessageEh(HWND Wnd, Integer& Start, Integer& End);

String AnsiUpperCaseEh(const String& S);
String AnsiLowerCaseEh(const String& S);
// The program's text order (Chinese collation); -1, 0 or 1.
Integer AnsiCompareStrEh(const String& A, const String& B);
Integer AnsiCompareTextEh(const String& A, const String& B);

void LoadBitmapFromResourceEh(TBitmap* Bitmap, HINSTANCE Module, const String& Name);
const TTypeInfo* GetPropTypeEh(const TPropInfo* PropInfo);
Integer GetTypeKindEh(const TTypeInfo* TypeInfo);
void VarArrayRedimEh(Variant& V, Integer HighBound);
inline void EmptyRectEh(TRect& Rect) { Rect = TRect(); }

// A memory stream that grows in steps of 8192 bytes in movable global memory
// (what the clipboard wants).
class TMemoryStreamEh : public TMemoryStream {
  TOVANI_CLASS(TMemoryStreamEh, TMemoryStream)
 public:
  TMemoryStreamEh() = default;
  ~TMemoryStreamEh() override;
  Integer HalfMemoryDelta() const { return FHalfMemoryDelta; }

 protected:
  void* Realloc(Int64& NewCapacity) override;

 private:
  Integer FHalfMemoryDelta = 4096;
  HGLOBAL FBlock = nullptr;
};
