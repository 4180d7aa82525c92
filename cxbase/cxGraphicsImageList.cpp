// The library's image list: the system image list for drawing, and beside it
// the images as they were added (bitmap, mask, mask colour).
#include <algorithm>
#include <cstring>

#include "Streaming.h"
#include "Streams.h"
#include "TypInfo.h"
#include "cxGraphics.h"

// ---------------------------------------------------------------------------
// Image infos

TOVANI_IMPLEMENT_CLASS(TcxImageInfo, TPersistent)

TcxImageInfo::TcxImageInfo()
    : FImage(std::make_unique<TcxCustomBitmap>()), FMask(std::make_unique<TcxCustomBitmap>()) {}

TcxImageInfo::~TcxImageInfo() = default;

namespace {
void AssignBitmap(TcxCustomBitmap* Dest, TBitmap* Source) {
  if (Source && !Source->Empty()) {
    Dest->Assign(Source);
    Dest->Handle();   // made at once
  } else {
    Dest->Assign(nullptr);
  }
}
}  // namespace

void TcxImageInfo::AssignImage(TBitmap* Value) { AssignBitmap(FImage.get(), Value); }
void TcxImageInfo::AssignMask(TBitmap* Value) { AssignBitmap(FMask.get(), Value); }

void TcxImageInfo::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxImageInfo*>(Source)) {
    AssignImage(s->Image());
    AssignMask(s->Mask());
    FMaskColor = s->FMaskColor;
    return;
  }
  TPersistent::Assign(Source);
}

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageInfoItem, TCollectionItem)
TOVANI_PUBLISHED(TcxImageInfoItem) {
  Property("Image", &TcxImageInfoItem::Image, &TcxImageInfoItem::SetImage);
  Property("Mask", &TcxImageInfoItem::Mask, &TcxImageInfoItem::SetMask);
  Property("MaskColor", &TcxImageInfoItem::MaskColor, &TcxImageInfoItem::SetMaskColor).Default(clNone);
}

TcxImageInfoItem::TcxImageInfoItem(TCollection* ACollection)
    : TCollectionItem(nullptr), FImageInfo(std::make_unique<TcxImageInfo>()) {
  if (ACollection) SetCollection(ACollection);
}

TcxImageInfoItem::TcxImageInfoItem(TCollection* ACollection, TBitmap* AImage, TBitmap* AMask, TColor AMaskColor)
    : TcxImageInfoItem(ACollection) {
  FImageInfo->AssignImage(AImage);
  FImageInfo->AssignMask(AMask);
  FImageInfo->SetMaskColor(AMaskColor);
}

void TcxImageInfoItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxImageInfoItem*>(Source)) {
    FImageInfo->Assign(s->FImageInfo.get());
    return;
  }
  TCollectionItem::Assign(Source);
}

bool TcxImageInfoItem::CompressData() const {
  return FImageInfo->Image()->CompressData() && FImageInfo->Mask()->CompressData();
}

void TcxImageInfoItem::SetCompressData(bool Value) {
  FImageInfo->Image()->SetCompressData(Value);
  FImageInfo->Mask()->SetCompressData(Value);
}

TOVANI_IMPLEMENT_CLASS(TcxImageInfoCollection, TCollection)

TcxImageInfoCollection::TcxImageInfoCollection(TcxImageList* AImageList)
    : TCollection(TcxImageInfoItem::StaticClass()), FImageList(AImageList) {}

TPersistent* TcxImageInfoCollection::GetOwner() { return FImageList; }

void TcxImageInfoCollection::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TCollection::Notify(Item, Action);
  if (Action == cnAdded) static_cast<TcxImageInfoItem*>(Item)->SetCompressData(FCompressData);
}

void TcxImageInfoCollection::SetCompressData(bool Value) {
  FCompressData = Value;
  for (Integer i = 0; i < Count(); ++i) Info(i)->SetCompressData(Value);
}

TcxImageInfoItem* TcxImageInfoCollection::AddInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor) {
  return new TcxImageInfoItem(this, AImage, AMask, AMaskColor);
}

void TcxImageInfoCollection::MoveItem(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex < 0 || ACurIndex >= Count()) return;
  Items(ACurIndex)->SetIndex(std::clamp(ANewIndex, 0, Count() - 1));
}

void TcxImageInfoCollection::DeleteItem(Integer AIndex) {
  if (AIndex == -1)
    Clear();
  else if (AIndex >= 0 && AIndex < Count())
    Delete(AIndex);
}

// ---------------------------------------------------------------------------
// Helpers

Integer cxImageCountInBitmap(TBitmap* ABitmap, Integer AWidth, Integer AHeight) {
  if (!ABitmap || AWidth <= 0 || AHeight <= 0 || ABitmap->Width() % AWidth != 0 || ABitmap->Height() % AHeight != 0)
    return 1;
  return std::max(1, (ABitmap->Width() / AWidth) * (ABitmap->Height() / AHeight));
}

void cxDrawBitmapOver(TBitmap* ADest, TBitmap* ASource) {
  if (!ADest || !ASource) return;
  cxPaintBitmap(ADest->Canvas()->Handle(), ASource, TRect(0, 0, ADest->Width(), ADest->Height()));
  if (auto* cx = dynamic_cast<TcxCustomBitmap*>(ADest)) cx->NotifyChanged();
}

TBitmap* cxDuplicateTBitmap(TBitmap* ASource) {
  auto* b = new TBitmap;
  b->Assign(ASource);
  return b;
}

HBITMAP cxCopyBitmapHandle(HBITMAP AHandle) {
  return HBITMAP(CopyImage(AHandle, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

namespace {
std::vector<uint8_t> ImageListBytes(TCustomImageList* L) {
  TMemoryStream ms;
  L->WriteData(&ms);
  const auto* p = static_cast<const uint8_t*>(ms.Memory());
  return std::vector<uint8_t>(p, p + ms.Size());
}
}  // namespace

bool cxImageListsEqual(TCustomImageList* AList1, TCustomImageList* AList2) {
  if (!AList1 || !AList2) return AList1 == AList2;
  if (AList1->Count() != AList2->Count()) return false;
  if (AList1->Count() == 0) return true;
  return ImageListBytes(AList1) == ImageListBytes(AList2);
}

// ---------------------------------------------------------------------------
// TcxImageList

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageList, TDragImageList)
TOVANI_PUBLISHED(TcxImageList) {
  Property("BlendColor", &TcxImageList::BlendColor, &TcxImageList::SetBlendColor).Default(clNone);
  Property("BkColor", &TcxImageList::BkColor, &TcxImageList::SetBkColor).Default(clNone);
  Property("CompressData", &TcxImageList::CompressData, &TcxImageList::SetCompressData).Default(false);
  Property("DrawingStyle", &TcxImageList::DrawingStyle, &TcxImageList::SetDrawingStyle).Default(dsNormal);
  Property("Height", &TcxImageList::Height, &TcxImageList::SetHeight).Default(16);
  Property("ImageType", &TcxImageList::ImageType, &TcxImageList::SetImageType).Default(itImage);
  Property("ShareImages", &TcxImageList::ShareImages, &TcxImageList::SetShareImages).Default(false);
  Property("Width", &TcxImageList::Width, &TcxImageList::SetWidth).Default(16);
  Property("OnChange", &TcxImageList::OnChange);
}

TcxImageList::TcxImageList(TComponent* AOwner)
    : TDragImageList(AOwner), FImages(std::make_unique<TcxImageInfoCollection>(this)) {}

TcxImageList::TcxImageList(Integer AWidth, Integer AHeight) : TcxImageList(nullptr) { SetSize(AWidth, AHeight); }

TcxImageList::~TcxImageList() { FImages.reset(); }

void TcxImageList::EndUpdate(bool ANotify) {
  if (FUpdateCount == 0) return;
  --FUpdateCount;
  if (ANotify) Change();
}

void TcxImageList::Change() {
  if (!IsUpdateLocked()) TCustomImageList::Change();
}

Integer TcxImageList::AddImageWithMask(TBitmap* AImage, TBitmap* AMask) {
  if (!AImage || AImage->Empty()) return -1;
  // The system list reads the bits of bitmaps that no device context holds:
  // it is given copies.
  TBitmap image;
  image.Assign(AImage);
  Integer index;
  if (AMask && !AMask->Empty()) {
    TBitmap mask;
    mask.Assign(AMask);
    index = ImageList_Add(Handle(), image.Handle(), mask.Handle());
  } else {
    // A fully opaque one-bit mask, made for the call.
    std::vector<uint8_t> zeros(size_t((AImage->Width() + 15) / 16 * 2) * size_t(AImage->Height()));
    HBITMAP mask = CreateBitmap(AImage->Width(), AImage->Height(), 1, 1, zeros.data());
    index = ImageList_Add(Handle(), image.Handle(), mask);
    DeleteObject(mask);
  }
  if (!FSynchronizing && index != -1) StoreImageInfo(AImage, AMask, clNone);
  Change();
  return index;
}

Integer TcxImageList::AddMasked(TBitmap* AImage, TColor AMaskColor) {
  BeginUpdate();
  Integer index;
  try {
    if (AMaskColor == clNone) {
      index = AddImageWithMask(AImage, nullptr);
    } else {
      index = TCustomImageList::AddMasked(AImage, AMaskColor);
      if (!FSynchronizing && index != -1) StoreImageInfo(AImage, nullptr, AMaskColor);
    }
  } catch (...) {
    EndUpdate(false);
    throw;
  }
  EndUpdate(true);
  return index;
}

void TcxImageList::InsertImage(Integer AIndex, TBitmap* AImage, TBitmap* AMask) {
  if (AIndex < 0 || AIndex > Count()) return;
  BeginUpdate();
  Integer first = AddImageWithMask(AImage, AMask);
  if (first != -1) {
    const Integer n = cxImageCountInBitmap(AImage, Width(), Height());
    for (Integer i = 0; i < n; ++i) MoveImage(first + i, AIndex + i);
  }
  EndUpdate(true);
}

void TcxImageList::ReplaceImage(Integer AIndex, TBitmap* AImage, TBitmap* AMask) {
  BeginUpdate();
  DeleteImage(AIndex);
  InsertImage(AIndex, AImage, AMask);
  EndUpdate(true);
}

void TcxImageList::MoveImage(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex < 0 || ACurIndex >= Count() || ANewIndex < 0 || ANewIndex >= Count()) return;
  BeginUpdate();
  try {
    if (!FSynchronizing && FImages->Count() == Count()) {
      // The stored images are the originals: the system list is rebuilt from
      // them in the new order (its own swap loses the images it swaps here).
      FImages->MoveItem(ACurIndex, ANewIndex);
      ReloadFromImageInfo();
    } else {
      HIMAGELIST h = Handle();
      for (Integer i = ACurIndex; i < ANewIndex; ++i) ImageList_Copy(h, i + 1, h, i, ILCF_SWAP);
      for (Integer i = ACurIndex; i > ANewIndex; --i) ImageList_Copy(h, i - 1, h, i, ILCF_SWAP);
      if (!FSynchronizing) FImages->MoveItem(ACurIndex, ANewIndex);
    }
  } catch (...) {
    EndUpdate(false);
    throw;
  }
  EndUpdate(true);
}

void TcxImageList::DeleteImage(Integer AIndex) {
  if (AIndex != -1 && (AIndex < 0 || AIndex >= Count())) return;
  BeginUpdate();
  TCustomImageList::Delete(AIndex);
  if (!FSynchronizing) FImages->DeleteItem(AIndex);
  EndUpdate(true);
}

void TcxImageList::StoreImageInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor) {
  const Integer w = Width(), h = Height();
  const bool strip = AImage->Width() % w == 0 && AImage->Height() % h == 0 &&
                     (AImage->Width() != w || AImage->Height() != h);
  if (!strip) {
    FImages->AddInfo(AImage, AMask, AMaskColor);
    return;
  }
  for (Integer row = 0; row < AImage->Height() / h; ++row)
    for (Integer col = 0; col < AImage->Width() / w; ++col) {
      TcxCustomBitmap tile(w, h, AImage->PixelFormat());
      TRGBColors px;
      // Tiles are copied pixel for pixel so that alpha survives.
      BitBlt(tile.Canvas()->Handle(), 0, 0, w, h, AImage->Canvas()->Handle(), col * w, row * h, SRCCOPY);
      if (AImage->PixelFormat() == pf32bit) {
        TRGBColors all;
        cxGetBitmapPixels(AImage, true, all);
        px.resize(size_t(w) * size_t(h));
        for (Integer y = 0; y < h; ++y)
          std::memcpy(&px[size_t(y) * size_t(w)], &all[size_t(row * h + y) * size_t(AImage->Width()) + size_t(col * w)],
                      size_t(w) * 4);
        cxSetBitmapPixels(&tile, px, true);
      }
      std::unique_ptr<TcxCustomBitmap> maskTile;
      if (AMask && !AMask->Empty()) {
        maskTile = std::make_unique<TcxCustomBitmap>(w, h, AMask->PixelFormat());
        maskTile->ClearImage();
        BitBlt(maskTile->Canvas()->Handle(), 0, 0, w, h, AMask->Canvas()->Handle(), col * w, row * h, SRCCOPY);
      }
      FImages->AddInfo(&tile, maskTile.get(), AMaskColor);
    }
}

void TcxImageList::GetImage(Integer AIndex, TBitmap* AImage, TBitmap* AMask) {
  if (AIndex < 0 || AIndex >= Count()) return;
  TcxImageInfo* info = AIndex < FImages->Count() ? FImages->Info(AIndex)->ImageInfo() : nullptr;
  if (info && info->Image()->PixelFormat() == pf32bit) {
    if (AImage) {
      AImage->SetPixelFormat(pf32bit);
      AImage->SetSize(info->Image()->Width(), info->Image()->Height());
      TRGBColors px;
      cxGetBitmapPixels(info->Image(), true, px);
      cxSetBitmapPixels(AImage, px, true);
    }
    if (AMask) {
      AMask->SetSize(info->Mask()->Width(), info->Mask()->Height());
      if (!info->Mask()->Empty()) cxDrawBitmapOver(AMask, info->Mask());
    }
  } else {
    ExtractImage(Handle(), AIndex, AMask, AImage);
  }
}

void TcxImageList::ReadImageInfoAt(Integer AIndex, TcxImageInfo* AInfo) {
  if (!AInfo) return;
  if (AIndex >= 0 && AIndex < FImages->Count()) {
    AInfo->Assign(FImages->Info(AIndex)->ImageInfo());
  } else {
    AInfo->AssignImage(nullptr);
    AInfo->AssignMask(nullptr);
    AInfo->SetMaskColor(clNone);
  }
}

Integer TcxImageList::AddFromInfo(TcxImageInfo* AInfo) {
  if (!AInfo->Mask()->Empty()) return AddImageWithMask(AInfo->Image(), AInfo->Mask());
  return AddMasked(AInfo->Image(), AInfo->MaskColor());
}

void TcxImageList::ExtractImage(HIMAGELIST AHandle, Integer AIndex, TBitmap* AMask, TBitmap* AImage) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(AHandle, AIndex == -1 ? 0 : AIndex, &info)) return;
  for (auto [dest, source] : {std::pair<TBitmap*, HBITMAP>{AMask, info.hbmMask}, {AImage, info.hbmImage}}) {
    if (!dest || !source) continue;
    HBITMAP copy = cxCopyBitmapHandle(source);   // the list's own bitmaps stay untouched
    if (!copy) continue;
    if (AIndex == -1) {
      dest->SetHandle(copy);
      continue;
    }
    const TRect& r = *reinterpret_cast<const TRect*>(&info.rcImage);
    BITMAP bm{};
    const bool has32 = cxReadBitmapInfo(copy, bm) && bm.bmBitsPixel == 32;
    if (has32 && dest != AMask) dest->SetPixelFormat(pf32bit);
    if (dest->PixelFormat() == pfDevice) dest->SetPixelFormat(pf24bit);
    dest->SetSize(r.Width(), r.Height());
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, copy);
    BitBlt(dest->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), dc, r.Left, r.Top, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(copy);
    if (auto* cx = dynamic_cast<TcxCustomBitmap*>(dest)) cx->NotifyChanged();
  }
}

Integer TcxImageList::ImagePixelFormat(HIMAGELIST AHandle) {
  IMAGEINFO info{};
  BITMAP bm{};
  if (!ImageList_GetImageInfo(AHandle, 0, &info) || !cxReadBitmapInfo(info.hbmImage, bm)) return 0;
  return bm.bmBitsPixel;
}

void TcxImageList::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCustomImageList*>(Source);
  if (!source) {
    TCustomImageList::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TCustomImageList::Assign(Source);
    ClearImages();
    if (auto* cx = dynamic_cast<TcxImageList*>(source)) {
      for (Integer i = 0; i < cx->FImages->Count(); ++i) AddFromInfo(cx->FImages->Info(i)->ImageInfo());
    } else {
      for (Integer i = 0; i < source->Count(); ++i) {
        TcxCustomBitmap image(Width(), Height(), pf32bit), mask(Width(), Height(), pf1bit);
        ExtractImage(source->Handle(), i, &mask, &image);
        AddImageWithMask(&image, &mask);
      }
    }
  } catch (...) {
    EndUpdate(false);
    throw;
  }
  EndUpdate(true);
}

void TcxImageList::RebuildImageInfoFromHandle() {
  FImages->BeginUpdate();
  FImages->Clear();
  for (Integer i = 0; i < Count(); ++i) {
    TcxCustomBitmap image(Width(), Height(), pf32bit), mask(Width(), Height(), pf1bit);
    ExtractImage(Handle(), i, &mask, &image);
    FImages->AddInfo(&image, &mask, clNone);
  }
  FImages->EndUpdate();
}

void TcxImageList::ReloadFromImageInfo() {
  BeginUpdate();
  FSynchronizing = true;
  try {
    ClearImages();
    for (Integer i = 0; i < FImages->Count(); ++i) AddFromInfo(FImages->Info(i)->ImageInfo());
  } catch (...) {
    FSynchronizing = false;
    EndUpdate(false);
    throw;
  }
  FSynchronizing = false;
  EndUpdate(true);
}

void TcxImageList::Draw(TCanvas* ACanvas, Integer X, Integer Y, Integer AIndex, bool AEnabled) {
  if (!ACanvas || AIndex < 0 || AIndex >= Count()) return;
  const TRect r(X, Y, X + Width(), Y + Height());
  cxDrawGlyphOrImage(ACanvas->Handle(), r, r, nullptr, this, AIndex, AEnabled ? gemNormal : gemDisabled, true);
}

void TcxImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "FormatVersion", [this](TReader* R) { FFormatVersion = R->ReadInteger(); },
      [](TWriter* W) { W->WriteInteger(1); }, true);
  if (dynamic_cast<TReader*>(Filer)) {
    // A list stored only in the platform's form gets its image infos.
    Filer->DefineBinaryProperty(
        "Bitmap",
        [this](TStream* S) {
          ReadData(S);
          RebuildImageInfoFromHandle();
        },
        [](TStream*) {}, false);
  }
  auto* ancestor = dynamic_cast<TCustomImageList*>(Filer->Ancestor());
  Filer->DefineProperty(
      "DesignInfo", [this](TReader* R) { SetDesignInfo(R->ReadInteger()); },
      [this](TWriter* W) { W->WriteInteger(DesignInfo()); }, !ancestor || ancestor->DesignInfo() != DesignInfo());
  Filer->DefineProperty(
      "ImageInfo",
      [this](TReader* R) {
        FImages->Clear();
        R->ReadCollection(FImages.get());
        ReloadFromImageInfo();
      },
      [this](TWriter* W) { W->WriteCollection(FImages.get()); },
      ancestor ? !cxImageListsEqual(this, ancestor) : Count() > 0);
}
