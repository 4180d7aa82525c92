#include "VclWindows.h"
#include <objidl.h>
#include "ImgList.h"
#include "Controls.h"
#include <algorithm>
#include <cstring>
#include "Streaming.h"
#include "Streams.h"

TOVANI_IMPLEMENT_CLASS(TChangeLink, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCustomImageList, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDragImageList, TCustomImageList)
TOVANI_IMPLEMENT_CLASS_FACTORY(TImageList, TDragImageList)
TOVANI_IMPLEMENT_ENUM_INFO(TDrawingStyle, "dsFocus", "dsSelected", "dsNormal", "dsTransparent")
TOVANI_IMPLEMENT_ENUM_INFO(TImageType, "itImage", "itMask")

TOVANI_PUBLISHED(TImageList) {
  Property("AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy).Default(4);
  Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor).Default(clNone);
  Property("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor).Default(clNone);
  Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle).Default(dsNormal);
  Property("Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
  Property("ImageType", &TImageList::ImageType, &TImageList::SetImageType).Default(itImage);
  Property("Masked", &TImageList::Masked, &TImageList::SetMasked).Default(true);
  Property("ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages).Default(false);
  Property("Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
  Property("OnChange", &TImageList::OnChange);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(Integer AWidth, Integer AHeight) : TComponent(nullptr) { SetSize(AWidth, AHeight); }

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* l : FClients) l->SetSender(nullptr);
  FClients.clear();
  FreeHandle();
}

void TCustomImageList::FreeHandle() {
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

void TCustomImageList::CreateImageList() {
  UINT flags = ILC_COLOR32 | (FMasked ? ILC_MASK : 0);
  FHandle = ImageList_Create(FWidth, FHeight, flags, FAllocBy, FAllocBy);
  if (!FHandle) throw EInvalidOperation("Failed to create the image list");
  if (FBkColor != clNone) ImageList_SetBkColor(FHandle, ColorToRGB(FBkColor));
}

HIMAGELIST TCustomImageList::Handle() {
  if (!FHandle) CreateImageList();
  return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST h) {
  FreeHandle();
  FHandle = h;
  if (h) {
    int w = 0, hh = 0;
    ImageList_GetIconSize(h, &w, &hh);
    FWidth = w;
    FHeight = hh;
  }
  Change();
}

Integer TCustomImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::SetSize(Integer w, Integer h) {
  if (w <= 0 || h <= 0) throw EInvalidOperation("Invalid image size");
  if (w == FWidth && h == FHeight) return;
  FWidth = w;
  FHeight = h;
  // A new size empties the list, as with the class library.
  if (FHandle) {
    FreeHandle();
    CreateImageList();
  }
  Change();
}

void TCustomImageList::SetWidth(Integer v) { SetSize(v, FHeight); }
void TCustomImageList::SetHeight(Integer v) { SetSize(FWidth, v); }

void TCustomImageList::SetBkColor(TColor v) {
  FBkColor = v;
  if (FHandle) ImageList_SetBkColor(FHandle, v == clNone ? CLR_NONE : ColorToRGB(v));
  Change();
}

void TCustomImageList::SetMasked(bool v) {
  if (FMasked == v) return;
  FMasked = v;
  if (FHandle) {
    FreeHandle();
    CreateImageList();
  }
  Change();
}

void TCustomImageList::CheckIndex(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
}

namespace {
// A device-dependent copy that ImageList_Add accepts for any pixel format.
HBITMAP Dib(TBitmap* b) { return b && !b->Empty() ? b->Handle() : nullptr; }
}  // namespace

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  Integer r = ImageList_Add(Handle(), Dib(Image), Mask ? Dib(Mask) : nullptr);
  Change();
  return r;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return -1;
  if (MaskColor == clDefault) MaskColor = Image->TransparentColor();
  TBitmap copy;
  copy.Assign(Image);   // the list may change the bits it is given
  Integer r = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRGB(MaskColor & 0xFFFFFF));
  Change();
  return r;
}

Integer TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image || Image->Empty()) return -1;
  Integer r = ImageList_AddIcon(Handle(), Image->Handle());
  Change();
  return r;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value) return;
  for (Integer i = 0; i < Value->Count(); ++i) {
    HICON icon = ImageList_GetIcon(Value->Handle(), i, ILD_NORMAL);
    if (icon) {
      ImageList_AddIcon(Handle(), icon);
      DestroyIcon(icon);
    }
  }
  Change();
}

void TCustomImageList::Insert(Integer Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation("Invalid ImageList Index");
  Integer added = Add(Image, Mask);
  if (added >= 0) {
    for (Integer i = added; i > Index; --i) ImageList_Copy(FHandle, i, FHandle, i - 1, ILCF_SWAP);
  }
  Change();
}

void TCustomImageList::InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation("Invalid ImageList Index");
  Integer added = AddMasked(Image, MaskColor);
  if (added >= 0)
    for (Integer i = added; i > Index; --i) ImageList_Copy(FHandle, i, FHandle, i - 1, ILCF_SWAP);
  Change();
}

void TCustomImageList::InsertIcon(Integer Index, TIcon* Image) {
  if (Index < 0 || Index > Count()) throw EInvalidOperation("Invalid ImageList Index");
  Integer added = AddIcon(Image);
  if (added >= 0)
    for (Integer i = added; i > Index; --i) ImageList_Copy(FHandle, i, FHandle, i - 1, ILCF_SWAP);
  Change();
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  ImageList_Replace(FHandle, Index, Dib(Image), Mask ? Dib(Mask) : nullptr);
  Change();
}

void TCustomImageList::ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor) {
  CheckIndex(Index);
  // comctl32 has no masked replace: add masked, move into place, drop the old.
  Integer added = AddMasked(NewImage, MaskColor);
  if (added < 0) return;
  ImageList_Copy(FHandle, Index, FHandle, added, ILCF_MOVE);
  ImageList_Remove(FHandle, added);
  Change();
}

void TCustomImageList::ReplaceIcon(Integer Index, TIcon* Image) {
  CheckIndex(Index);
  if (Image && !Image->Empty()) ImageList_ReplaceIcon(FHandle, Index, Image->Handle());
  Change();
}

void TCustomImageList::Delete(Integer Index) {
  if (Index == -1) {
    Clear();
    return;
  }
  CheckIndex(Index);
  ImageList_Remove(FHandle, Index);
  Change();
}

void TCustomImageList::Clear() {
  if (FHandle) ImageList_Remove(FHandle, -1);
  Change();
}

void TCustomImageList::Move(Integer CurIndex, Integer NewIndex) {
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  int step = NewIndex > CurIndex ? 1 : -1;
  for (Integer i = CurIndex; i != NewIndex; i += step) ImageList_Copy(FHandle, i + step, FHandle, i, ILCF_SWAP);
  Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
  if (!FHandle || Index < 0 || Index >= Count()) return;
  HDC dc = Canvas->Handle();
  if (Enabled) {
    UINT style = AImageType == itMask ? ILD_MASK : ILD_NORMAL;
    if (ADrawingStyle == dsTransparent || FMasked) style |= ILD_TRANSPARENT;
    if (ADrawingStyle == dsFocus) style |= ILD_FOCUS;
    if (ADrawingStyle == dsSelected) style |= ILD_SELECTED;
    COLORREF bk = FBkColor == clNone ? CLR_NONE : ColorToRGB(FBkColor);
    COLORREF fg = FBlendColor == clNone ? CLR_DEFAULT : ColorToRGB(FBlendColor);
    ImageList_DrawEx(FHandle, Index, dc, X, Y, 0, 0, bk, fg, style);
    return;
  }
  // Disabled: the image's shape embossed in highlight and shadow colours.
  HDC mono = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(mono, bmp);
  PatBlt(mono, 0, 0, FWidth, FHeight, WHITENESS);
  ImageList_DrawEx(FHandle, Index, mono, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
  // Dark pixels of the image count as part of the shape.
  TBitmap color(FWidth, FHeight, pf24bit);
  ImageList_DrawEx(FHandle, Index, color.Canvas()->Handle(), 0, 0, 0, 0, RGB(255, 255, 255), CLR_NONE, ILD_NORMAL);
  COLORREF oldBk = ::SetBkColor(color.Canvas()->Handle(), RGB(255, 255, 255));
  BitBlt(mono, 0, 0, FWidth, FHeight, color.Canvas()->Handle(), 0, 0, SRCCOPY);
  ::SetBkColor(color.Canvas()->Handle(), oldBk);
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
  HBRUSH hi = CreateSolidBrush(ColorToRGB(clBtnHighlight));
  HBRUSH sh = CreateSolidBrush(ColorToRGB(clBtnShadow));
  HGDIOBJ oldBrush = SelectObject(dc, hi);
  BitBlt(dc, X + 1, Y + 1, FWidth, FHeight, mono, 0, 0, 0x00B8074A);   // paint the brush where the mask is black
  SelectObject(dc, sh);
  BitBlt(dc, X, Y, FWidth, FHeight, mono, 0, 0, 0x00B8074A);
  SelectObject(dc, oldBrush);
  DeleteObject(hi);
  DeleteObject(sh);
  SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBack);
  SelectObject(mono, old);
  DeleteObject(bmp);
  DeleteDC(mono);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, Integer Overlay, bool Enabled) {
  if (!FHandle || ImageIndex < 0 || ImageIndex >= Count()) return;
  ImageList_DrawEx(FHandle, ImageIndex, Canvas->Handle(), X, Y, 0, 0, CLR_NONE, CLR_DEFAULT,
                   ILD_TRANSPARENT | INDEXTOOVERLAYMASK(Overlay + 1));
  (void)Enabled;
}

bool TCustomImageList::Overlay(Integer ImageIndex, Integer OverlayIndex) {
  return FHandle && ImageList_SetOverlayImage(FHandle, ImageIndex, OverlayIndex + 1);
}

bool TCustomImageList::GetBitmap(Integer Index, TBitmap* Image) {
  if (!Image || !FHandle || Index < 0 || Index >= Count()) return false;
  Image->SetPixelFormat(pf32bit);
  Image->SetSize(FWidth, FHeight);
  HDC dc = Image->Canvas()->Handle();
  RECT r{0, 0, FWidth, FHeight};
  HBRUSH b = CreateSolidBrush(ColorToRGB(FBkColor == clNone ? clBtnFace : FBkColor));
  ::FillRect(dc, &r, b);
  DeleteObject(b);
  ImageList_Draw(FHandle, Index, dc, 0, 0, ILD_NORMAL);
  return true;
}

HICON TCustomImageList::GetIconHandle(Integer Index) {
  if (!FHandle || Index < 0 || Index >= Count()) return nullptr;
  return ImageList_GetIcon(FHandle, Index, ILD_NORMAL);
}

void TCustomImageList::GetIcon(Integer Index, TIcon* Image) {
  if (Image) Image->SetHandle(GetIconHandle(Index));
}

void TCustomImageList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) {
    FChanged = false;
    Change();
  }
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value) return;
  Value->SetSender(this);
  if (std::find(FClients.begin(), FClients.end(), Value) == FClients.end()) FClients.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), Value), FClients.end());
  if (Value && Value->Sender() == this) Value->SetSender(nullptr);
}

void TCustomImageList::Change() {
  if (FUpdateCount > 0) {
    FChanged = true;
    return;
  }
  for (TChangeLink* l : std::vector<TChangeLink*>(FClients)) l->Change();
  if (OnChange) OnChange(this);
}

void TCustomImageList::Assign(TPersistent* Source) {
  if (auto* l = dynamic_cast<TCustomImageList*>(Source)) {
    BeginUpdate();
    FreeHandle();
    FWidth = l->FWidth;
    FHeight = l->FHeight;
    FMasked = l->FMasked;
    FBkColor = l->FBkColor;
    FDrawingStyle = l->FDrawingStyle;
    FImageType = l->FImageType;
    if (l->FHandle) FHandle = ImageList_Duplicate(l->FHandle);
    FChanged = true;
    EndUpdate();
    return;
  }
  TComponent::Assign(Source);
}

// --- form-file data: comctl32's image list stream through an HGLOBAL stream

void TCustomImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, Count() > 0);
}

void TCustomImageList::ReadData(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  if (size <= 0) return;
  if (size > (Int64(64) << 20)) throw EReadError("Image list data is too large");
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(size));
  if (!mem) throw EOutOfMemory("Out of memory");
  void* p = GlobalLock(mem);
  try {
    Stream->ReadBuffer(p, LongInt(size));
  } catch (...) {
    GlobalUnlock(mem);
    GlobalFree(mem);
    throw;
  }
  GlobalUnlock(mem);
  IStream* is = nullptr;
  if (FAILED(CreateStreamOnHGlobal(mem, TRUE, &is))) {
    GlobalFree(mem);
    throw EReadError("Failed to read image list data");
  }
  HIMAGELIST h = ImageList_Read(is);
  is->Release();
  if (!h) throw EReadError("Failed to read image list data");
  SetHandle(h);
}

void TCustomImageList::WriteData(TStream* Stream) {
  if (!FHandle) return;
  IStream* is = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &is))) throw EWriteError("Failed to write image list data");
  bool ok = ImageList_Write(FHandle, is);
  HGLOBAL mem = nullptr;
  STATSTG st{};
  if (ok && SUCCEEDED(GetHGlobalFromStream(is, &mem)) && SUCCEEDED(is->Stat(&st, STATFLAG_NONAME))) {
    void* p = GlobalLock(mem);
    Stream->WriteBuffer(p, LongInt(st.cbSize.QuadPart));
    GlobalUnlock(mem);
  }
  is->Release();
  if (!ok) throw EWriteError("Failed to write image list data");
}

// ---------------------------------------------------------------------------
// TDragImageList

TDragImageList::~TDragImageList() {
  // The process-wide drag image refers to this list's images.
  if (FDragging) EndDrag();
  DragImagesDestroyed(this);
}

bool TDragImageList::SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY) {
  if (Index < 0 || Index >= Count()) return false;
  FDragIndex = Index;
  FDragHotspot = TPoint(HotSpotX, HotSpotY);
  if (!FDragging) return true;
  // comctl32 cannot change the image of a drag under way: start it again
  // with the new image where the old one was.
  HWND window = FDragHandle;
  TPoint pos = FDragPos;
  EndDrag();
  return BeginDrag(window, pos.X, pos.Y);
}

bool TDragImageList::BeginDrag(HWND Window, Integer X, Integer Y) {
  if (!HandleAllocated() || Count() == 0) return false;
  if (FDragging) EndDrag();
  if (FDragIndex < 0 || FDragIndex >= Count()) FDragIndex = 0;
  if (!ImageList_BeginDrag(Handle(), FDragIndex, FDragHotspot.X, FDragHotspot.Y)) return false;
  FDragging = true;
  FDragPos = TPoint(X, Y);
  if (!DragLock(Window, X, Y)) {
    EndDrag();
    return false;
  }
  return true;
}

bool TDragImageList::DragLock(HWND Window, Integer XPos, Integer YPos) {
  if (!FDragging) return false;
  if (Window == FDragHandle) return DragMove(XPos, YPos);
  DragUnlock();
  if (!ImageList_DragEnter(Window, XPos, YPos)) return false;
  FDragHandle = Window;
  FDragPos = TPoint(XPos, YPos);
  return true;
}

void TDragImageList::DragUnlock() {
  if (FDragHandle) ImageList_DragLeave(FDragHandle);
  FDragHandle = nullptr;
}

bool TDragImageList::DragMove(Integer X, Integer Y) {
  if (!FDragging) return false;
  FDragPos = TPoint(X, Y);
  return ImageList_DragMove(X, Y) != FALSE;
}

bool TDragImageList::EndDrag() {
  if (!FDragging) return false;
  DragUnlock();
  ImageList_EndDrag();
  FDragging = false;
  return true;
}

void TDragImageList::ShowDragImage() {
  if (FDragging) ImageList_DragShowNolock(TRUE);
}

void TDragImageList::HideDragImage() {
  if (FDragging) ImageList_DragShowNolock(FALSE);
}
