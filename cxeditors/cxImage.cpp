#include "cxImage.h"

#include "TypInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Clipbrd.h"
#include "cxDropDownEdit.h"
#include "Dialogs.h"
#include "Forms.h"
#include "ImgList.h"
#include "Jpeg.h"
#include "Streams.h"
#include "SysUtils.h"
#include "Streaming.h"
#include "dxGDIPlusClasses.h"

TOVANI_IMPLEMENT_CLASS(TcxPopupMenuLayout, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomImageProperties, TcxCustomEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageProperties, TcxCustomImageProperties)
TOVANI_IMPLEMENT_CLASS(TcxImageViewInfo, TcxCustomEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxImageViewData, TcxCustomEditViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomImage, TcxCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImage, TcxCustomImage)

TOVANI_IMPLEMENT_ENUM_INFO(TcxImageTransparency, "gtDefault", "gtOpaque", "gtTransparent")
TOVANI_IMPLEMENT_ENUM_INFO(TcxPopupMenuItem, "pmiCut", "pmiCopy", "pmiPaste", "pmiDelete", "pmiLoad", "pmiSave", "pmiCustom")

namespace {
const TcxResourceString cxSEditImageCut{"Cu&t"};
const TcxResourceString cxSEditImageCopy{"&Copy"};
const TcxResourceString cxSEditImagePaste{"&Paste"};
const TcxResourceString cxSEditImageDelete{"&Delete"};
const TcxResourceString cxSEditImageLoad{"&Load..."};
const TcxResourceString cxSEditImageSave{"Save &As..."};
const TcxResourceString scxSEditRepositoryImageItem{"Image|Represents an image editor"};

Integer GImageUnitCounter = 0;
std::unique_ptr<std::vector<TClass>> GGraphicClasses;
std::unique_ptr<TImageList> GMenuImages;

struct TFlag {
  bool& F;
  bool Old;
  TFlag(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~TFlag() { F = Old; }
};

// A read-only stream over bytes kept elsewhere (no copy).
class TBytesStream : public TCustomMemoryStream {
 public:
  TBytesStream(const char* AData, size_t ASize) { SetPointer(const_cast<char*>(AData), Int64(ASize)); }
  LongInt Write(const void*, LongInt) override { return 0; }
};

// The 8-byte header some stores put before the graphic's data: a count of
// 1, the type 0x0100 and the size of what follows.
bool HasGraphicHeader(const String& AData) {
  if (AData.size() < 8) return false;
  uint16_t count, type;
  uint32_t size;
  std::memcpy(&count, AData.data(), 2);
  std::memcpy(&type, AData.data() + 2, 2);
  std::memcpy(&size, AData.data() + 4, 4);
  return count == 1 && type == 0x0100 && size == AData.size() - 8;
}

// Draws one 16 x 16 command image: a simple glyph on a fuchsia mask colour.
void DrawMenuGlyph(TBitmap* B, Integer AIndex) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(TRect(0, 0, 16, 16));
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clWhite);
  switch (AIndex) {
    case 0:   // cut: scissors
      c->Ellipse(2, 10, 7, 15);
      c->Ellipse(9, 10, 14, 15);
      c->MoveTo(5, 10), c->LineTo(11, 1);
      c->MoveTo(11, 10), c->LineTo(5, 1);
      break;
    case 1:   // copy: two sheets
      c->Rectangle(1, 1, 10, 11);
      c->Rectangle(6, 5, 15, 15);
      break;
    case 2:   // paste: board with a sheet
      c->Brush()->SetColor(TColor(0x3399CC));
      c->Rectangle(2, 2, 12, 15);
      c->Brush()->SetColor(clWhite);
      c->Rectangle(7, 6, 15, 15);
      break;
    case 3:   // delete: a red cross
      c->Pen()->SetColor(clRed);
      c->Pen()->SetWidth(2);
      c->MoveTo(3, 3), c->LineTo(13, 13);
      c->MoveTo(13, 3), c->LineTo(3, 13);
      c->Pen()->SetWidth(1);
      break;
    case 4:   // load: an open folder
      c->Brush()->SetColor(TColor(0x33CCFF));
      c->Rectangle(1, 4, 14, 14);
      break;
    default:   // save: a disk
      c->Brush()->SetColor(TColor(0xCC6633));
      c->Rectangle(2, 2, 14, 14);
      c->Brush()->SetColor(clWhite);
      c->Rectangle(4, 2, 12, 7);
      break;
  }
}
}  // namespace

// ---------------------------------------------------------------------------
// Unit start-up

void cxImageUnitStartup() {
  if (GImageUnitCounter-- != 0) return;
  dxGDIPlusClassesStartup();
  cxImageMenuImages();
  cxEditPropertiesRegistry()->AddClass(TcxImageProperties::StaticClass(), cxLoadResourceText(scxSEditRepositoryImageItem));
}

void cxImageUnitShutdown() {
  if (GImageUnitCounter++ != -1) return;
  GGraphicClasses.reset();
  GMenuImages.reset();
}

TImageList* cxImageMenuImages() {
  if (!GMenuImages) {
    GMenuImages = std::make_unique<TImageList>(nullptr);
    GMenuImages->SetWidth(16);
    GMenuImages->SetHeight(16);
    for (Integer i = 0; i < 6; ++i) {
      TBitmap b(16, 16, pf24bit);
      DrawMenuGlyph(&b, i);
      // Masked by the bottom-left colour.
      GMenuImages->AddMasked(&b, b.Canvas()->Pixels(0, 15));
    }
  }
  return GMenuImages.get();
}

const std::vector<TClass>& cxGetGraphicClassList() {
  cxImageUnitStartup();
  if (!GGraphicClasses) {
    GGraphicClasses = std::make_unique<std::vector<TClass>>();
    auto add = [](TClass c) {
      if (std::find(GGraphicClasses->begin(), GGraphicClasses->end(), c) == GGraphicClasses->end())
        GGraphicClasses->push_back(c);
    };
    add(TBitmap::StaticClass());
    add(TIcon::StaticClass());
    add(TMetafile::StaticClass());
    if (dxImageClassIsGdiPlus()) add(TdxPNGImage::StaticClass());
    add(TJPEGImage::StaticClass());
  }
  return *GGraphicClasses;
}

TClass cxGetGraphicClassByName(const String& AClassName) {
  for (TClass c : cxGetGraphicClassList())
    if (SameText(c->ClassName(), AClassName)) return c;
  return nullptr;
}

UINT cxPictureClipboardFormat() {
  static UINT format = RegisterClipboardFormatName("Picture");
  return format;
}

// ---------------------------------------------------------------------------
// Picture data

void cxLoadPicture(TPicture* APicture, TClass AGraphicClass, const Variant& AValue) {
  if (!VarIsStr(AValue)) {
    APicture->Assign(nullptr);
    return;
  }
  const String data = AValue.AsString();
  if (data.size() <= 7) {
    APicture->Assign(nullptr);
    return;
  }
  TBytesStream stream(data.data(), data.size());
  if (HasGraphicHeader(data)) stream.SetPosition(8);
  if (stream.Size() - stream.Position() <= 0) {
    APicture->Assign(nullptr);
    return;
  }
  try {
    if (AGraphicClass) {
      std::unique_ptr<TGraphic> g(NewGraphicOfClass(AGraphicClass));
      g->LoadFromStream(&stream);
      APicture->SetGraphic(g.get());
    } else {
      // Without a class the picture registry tells the format by its data.
      APicture->LoadFromStream(&stream);
    }
  } catch (const std::exception&) {
    APicture->Assign(nullptr);
  }
}

String cxSavePicture(TPicture* APicture) {
  if (!APicture || !APicture->Graphic() || APicture->Graphic()->Empty()) return {};
  TMemoryStream ms;
  APicture->Graphic()->SaveToStream(&ms);
  return String(static_cast<const char*>(ms.Memory()), size_t(ms.Size()));
}

TRect cxGetProportionalRect(const TRect& ARect, Integer AWidth, Integer AHeight) {
  Integer w = ARect.Width(), h = ARect.Height();
  if (w <= 0 || h <= 0 || AWidth <= 0 || AHeight <= 0) return ARect;
  if (double(w) / h >= double(AWidth) / AHeight)
    return TRect(ARect.Left, ARect.Top, ARect.Left + Integer(Int64(h) * AWidth / AHeight), ARect.Bottom);
  return TRect(ARect.Left, ARect.Top, ARect.Right, ARect.Top + Integer(Int64(w) * AHeight / AWidth));
}

// ---------------------------------------------------------------------------
// Menu layout

TcxPopupMenuLayout::~TcxPopupMenuLayout() = default;

void TcxPopupMenuLayout::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxPopupMenuLayout*>(Source)) {
    FMenuItems = s->FMenuItems;
    FCustomMenuItemCaption = s->FCustomMenuItemCaption;
    SetCustomMenuItemGlyph(s->FCustomMenuItemGlyph.get());
    return;
  }
  TPersistent::Assign(Source);
}

TBitmap* TcxPopupMenuLayout::CustomMenuItemGlyph() {
  if (!FCustomMenuItemGlyph) FCustomMenuItemGlyph = std::make_unique<TBitmap>();
  return FCustomMenuItemGlyph.get();
}

void TcxPopupMenuLayout::SetCustomMenuItemGlyph(TBitmap* Value) {
  if (!Value) {
    FCustomMenuItemGlyph.reset();
    return;
  }
  CustomMenuItemGlyph()->Assign(Value);
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomImageProperties::TcxCustomImageProperties(TPersistent* AOwner)
    : TcxCustomEditProperties(AOwner), FPopupMenuLayout(std::make_unique<TcxPopupMenuLayout>(this)) {
  FGraphicClass = GetDefaultGraphicClass();
}

TcxCustomImageProperties::~TcxCustomImageProperties() = default;

TClass TcxCustomImageProperties::GetContainerClass() { return TcxImage::StaticClass(); }
TClass TcxCustomImageProperties::GetViewDataClass() { return TcxImageViewData::StaticClass(); }
TClass TcxCustomImageProperties::GetViewInfoClass() { return TcxImageViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomImageProperties::CreateViewInfo() { return new TcxImageViewInfo(); }

TcxCustomEditViewData* TcxCustomImageProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                bool APreviewMode) {
  auto* vd = new TcxImageViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

void TcxCustomImageProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomImageProperties*>(Source);
  if (!s) {
    TcxCustomEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomEditProperties::Assign(Source);
    SetCaption(s->FCaption);
    SetCenter(s->FCenter);
    SetCustomFilter(s->FCustomFilter);
    SetGraphicClass(s->FGraphicClass);
    SetGraphicTransparency(s->FGraphicTransparency);
    FPopupMenuLayout->Assign(s->FPopupMenuLayout.get());
    SetShowFocusRect(s->FShowFocusRect);
    SetProportional(s->FProportional);
    SetStretch(s->FStretch);
    OnAssignPicture = s->OnAssignPicture;
    OnCustomClick = s->OnCustomClick;
    OnGetGraphicClass = s->OnGetGraphicClass;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomImageProperties::DefineProperties(TFiler* Filer) {
  TcxCustomEditProperties::DefineProperties(Filer);
  // A class set to none survives streaming although the default is TBitmap.
  Filer->DefineProperty(
      "IsGraphicClassNameEmpty",
      [this](TReader* Reader) {
        if (Reader->ReadBoolean()) SetGraphicClass(nullptr);
      },
      [](TWriter* Writer) { Writer->WriteBoolean(true); }, GraphicClassName().empty());
}

void TcxCustomImageProperties::SetProportional(bool Value) {
  if (FProportional == Value) return;
  FProportional = Value;
  if (FStretch) Changed();
}

String TcxCustomImageProperties::GraphicClassName() const { return FGraphicClass ? FGraphicClass->ClassName() : String(); }

void TcxCustomImageProperties::SetGraphicClassName(const String& Value) {
  if (Value.empty()) {
    SetGraphicClass(nullptr);
    return;
  }
  if (TClass c = cxGetGraphicClassByName(Value)) SetGraphicClass(c);
}

TClass TcxCustomImageProperties::GetDefaultGraphicClass() {
  const auto& list = cxGetGraphicClassList();
  return list.empty() ? nullptr : list.front();
}

TClass TcxCustomImageProperties::GetGraphicClass(TObject* AItem, Integer ARecordIndex, bool APastingFromClipboard) {
  TClass result = FGraphicClass;
  if (!result && APastingFromClipboard) result = TBitmap::StaticClass();
  if (OnGetGraphicClass) OnGetGraphicClass(AItem, ARecordIndex, APastingFromClipboard, result);
  return result;
}

String TcxCustomImageProperties::GetDisplayText(const Variant& AEditValue, bool, bool) {
  return AEditValue.IsNull() ? String() : FCaption;
}

// The editor-feature flag of pictures (the value is binary data).
Integer TcxCustomImageProperties::GetEditFeatureFlags() { return TcxCustomEditProperties::GetEditFeatureFlags() | 4; }
Integer TcxCustomImageProperties::GetViewOptions() { return TcxCustomEditProperties::GetViewOptions() | 6; }

void TcxCustomImageProperties::CheckDisplayValue(Variant&, String&, bool&, TcxCustomEdit* AEdit) {
  auto* image = dynamic_cast<TcxCustomImage*>(AEdit);
  if (!image) return;
  image->HoldEditValueSetting(true);
  try {
    if (auto& h = static_cast<TcxCustomImageProperties*>(image->Properties())->OnAssignPicture) h(image, image->Picture());
    if (image->RepositoryItem())
      if (auto* rp = dynamic_cast<TcxCustomImageProperties*>(image->RepositoryItem()->Properties()))
        if (rp->OnAssignPicture) rp->OnAssignPicture(image, image->Picture());
    image->PushModifiedState();
    image->SetModified(false);
    image->RequestEditing();
    image->PopModifiedState();
  } catch (...) {
    image->HoldEditValueSetting(false);
    throw;
  }
  image->HoldEditValueSetting(false);
}

// ---------------------------------------------------------------------------
// View info

TcxImageViewInfo::~TcxImageViewInfo() = default;

TPicture* TcxImageViewInfo::OwnPicture() {
  if (!FOwnPicture) FOwnPicture = std::make_unique<TPicture>();
  return FOwnPicture.get();
}

bool TcxImageViewInfo::NeedsCaption() const {
  return (!Picture || !Picture->Graphic() || Picture->Graphic()->Empty()) && !Caption.empty();
}

TRect TcxImageViewInfo::PictureRect(const TRect& C) const {
  Integer w = Picture->Width(), h = Picture->Height();
  TRect r;
  if (!Stretch)
    r = TRect(C.Left, C.Top, C.Left + w, C.Top + h);
  else if (Proportional)
    r = cxGetProportionalRect(C, w, h);
  else
    r = C;
  if (Center)
    OffsetRect(r, (C.Width() - r.Width()) / 2, (C.Height() - r.Height()) / 2);
  else
    OffsetRect(r, -TopLeft.X, -TopLeft.Y);
  return r;
}

void TcxImageViewInfo::PaintContent(TcxCanvas* ACanvas) {
  TRect C = ClientRect;
  if (Transparent && Edit) cxDrawParentBackground(Edit, ACanvas, Bounds);
  TGraphic* g = Picture ? Picture->Graphic() : nullptr;
  if (!g || g->Empty()) {
    TcxCustomEditViewInfo::PaintContent(ACanvas);
    if (!Caption.empty()) {
      ACanvas->Brush()->SetStyle(bsClear);
      if (Font) ACanvas->SetFont(Font);
      ACanvas->Font()->SetColor(TextColor);
      ACanvas->PaintText(Caption, C, cxtfHCenter | cxtfVCenter | cxtfSingleLine, Enabled);
      ACanvas->Brush()->SetStyle(bsSolid);
    }
    if (ShowFocusRect) ACanvas->DrawFocusRect(C);
    return;
  }
  TRect R = PictureRect(C);
  ACanvas->PushClipRegion();
  ACanvas->ExcludeFromClip(R);
  cxDrawEditBackgroundAndButtons(ACanvas, this, false, BackgroundKind());
  ACanvas->PopClipRegion();
  if (ShowFocusRect) {
    ACanvas->Brush()->SetColor(BackgroundColor);
    ACanvas->Canvas()->FrameRect(C);
    ACanvas->DrawFocusRect(C);
    InflateRect(C, -1, -1);
  }
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(C);
  if (Transparent || !g->Transparent()) {
    ACanvas->Canvas()->StretchDraw(R, g);
  } else {
    // A transparent graphic is composed on the background first.
    if (!FTempBitmap) FTempBitmap = std::make_unique<TBitmap>();
    try {
      FTempBitmap->SetSize(std::max(R.Width(), 1), std::max(R.Height(), 1));
      FTempBitmap->Canvas()->Brush()->SetColor(BackgroundColor);
      FTempBitmap->Canvas()->FillRect(TRect(0, 0, FTempBitmap->Width(), FTempBitmap->Height()));
      FTempBitmap->Canvas()->StretchDraw(TRect(0, 0, R.Width(), R.Height()), g);
      ACanvas->Canvas()->Draw(R.Left, R.Top, FTempBitmap.get());
    } catch (const std::exception&) {
      ACanvas->FillRectColor(C, BackgroundColor);
      ACanvas->Canvas()->StretchDraw(R, g);
    }
  }
  if (!Transparent && !(R.Left <= C.Left && R.Top <= C.Top && R.Right >= C.Right && R.Bottom >= C.Bottom)) {
    ACanvas->ExcludeFromClip(R);
    ACanvas->FillRectColor(C, BackgroundColor);
  }
  ACanvas->PopClipRegion();
}

// ---------------------------------------------------------------------------
// View data

void TcxImageViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  if (ABounds.Width() <= 0 || ABounds.Height() <= 0) return;
  auto* vi = static_cast<TcxImageViewInfo*>(AViewInfo);
  auto* p = static_cast<TcxCustomImageProperties*>(Properties);
  vi->Caption = p->Caption();
  vi->Center = p->Center();
  vi->Stretch = p->Stretch();
  vi->Proportional = p->Proportional();
  vi->ShowFocusRect = p->ShowFocusRect() && Focused && !IsInplace;
  if (auto* image = dynamic_cast<TcxCustomImage*>(Edit)) {
    vi->Picture = image->Picture();
    vi->Transparent = image->Transparent();
    vi->TopLeft = image->TopLeft();
  }
  if (vi->Center || vi->Stretch) vi->TopLeft = TPoint(0, 0);
}

void TcxImageViewData::PrepareViewInfoForPaint(TcxCanvas*, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) {
  auto* vi = static_cast<TcxImageViewInfo*>(AViewInfo);
  auto* p = static_cast<TcxCustomImageProperties*>(Properties);
  if (Edit && !IsInplace) return;   // a control paints its own picture
  TPicture* pic = vi->OwnPicture();
  vi->Picture = pic;
  if (VarIsStr(AEditValue) && !AEditValue.AsString().empty()) {
    cxLoadPicture(pic, p->GetGraphicClass(Item, RecordIndex, false), AEditValue);
    if (p->GraphicTransparency() != gtDefault && pic->Graphic() && !pic->Graphic()->Empty())
      pic->Graphic()->SetTransparent(p->GraphicTransparency() == gtTransparent);
  } else {
    pic->Assign(nullptr);
  }
}

TSize TcxImageViewData::GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                           const TcxEditSizeProperties& ASizeProperties) {
  auto* p = static_cast<TcxCustomImageProperties*>(Properties);
  if (IsInplace && Edit) {
    TRect ext;
    GetBorderExtent(ext);
    return TSize(Edit->Width() - ext.Left - ext.Right, Edit->Height() - ext.Top - ext.Bottom);
  }
  if (!IsInplace) {
    auto* image = dynamic_cast<TcxCustomImage*>(Edit);
    return image ? TSize(image->Picture()->Width(), image->Picture()->Height()) : TSize(0, 0);
  }
  TSize size(0, p->DefaultHeight());
  if (VarIsStr(AEditValue)) {
    TPicture pic;
    cxLoadPicture(&pic, p->GetGraphicClass(Item, RecordIndex, false), AEditValue);
    Integer W = pic.Width(), H = pic.Height();
    if (W > 0 && H > 0) {
      size = TSize(W, H);
      if (p->Stretch()) {
        if (ASizeProperties.Width > 0)
          size = TSize(ASizeProperties.Width, Integer(std::lround(double(ASizeProperties.Width) * H / W)));
        else if (ASizeProperties.Height > 0)
          size = TSize(Integer(std::lround(double(ASizeProperties.Height) * W / H)), ASizeProperties.Height);
      }
    }
  } else if (!p->Caption().empty() && ACanvas) {
    if (Style) ACanvas->SetFont(Style->GetVisibleTextFont());
    size = ACanvas->TextExtent(p->Caption());
  }
  return size;
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomImage::TcxCustomImage(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomEdit(AOwner, AIsInplace,
                    AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                      return new TcxCustomImageProperties(O);
                    }) {
  cxImageUnitStartup();
  SetAutoSize(false);
  SetBounds(Left(), Top(), 140, 100);
  FClipboardFormat = cxPictureClipboardFormat();
  FPicture = std::make_unique<TPicture>();
  FPicture->OnChange = [this](TObject* S) { PictureChanged(S); };
  static_cast<TcxImageViewInfo*>(GetViewInfo())->Picture = FPicture.get();
}

TcxCustomImage::~TcxCustomImage() {
  FContextMenu.reset();
  if (FPicture) FPicture->OnChange = nullptr;
  if (auto* vi = dynamic_cast<TcxImageViewInfo*>(GetViewInfo())) vi->Picture = nullptr;
}

bool TcxCustomImage::Focused() { return FDialogOpen || TcxCustomEdit::Focused(); }

const TPoint& TcxCustomImage::TopLeft() const {
  static const TPoint zero(0, 0);
  auto* vi = dynamic_cast<TcxImageViewInfo*>(GetViewInfo());
  return vi ? vi->TopLeft : zero;
}

void TcxCustomImage::InitializeViewData(TcxCustomEditViewData* AViewData) {
  TcxCustomEdit::InitializeViewData(AViewData);
}

void TcxCustomImage::GetEditValue(Variant& AValue) {
  String data = cxSavePicture(FPicture.get());
  AValue = data.empty() ? Null() : Variant(data);
}

void TcxCustomImage::InternalSetEditValue(const Variant& Value, bool AValidate) {
  if (FSettingEditValue) {
    TcxCustomEdit::InternalSetEditValue(Value, AValidate);
    return;
  }
  TFlag setting(FSettingEditValue, true);
  if (VarIsStr(Value))
    cxLoadPicture(FPicture.get(), GetGraphicClass(false), Value);
  else
    FPicture->Assign(nullptr);
  Variant v;
  GetEditValue(v);
  TcxCustomEdit::InternalSetEditValue(v, AValidate);
  SetModified(false);
}

TClass TcxCustomImage::GetGraphicClass(bool APastingFromClipboard) {
  TcxCustomImageProperties* p = ActiveProperties();
  if (IsInplace()) return p->GetGraphicClass(this, -1, APastingFromClipboard);
  TClass result = p->GraphicClass();
  if (!result && APastingFromClipboard) result = TBitmap::StaticClass();
  if (OnGetGraphicClass) OnGetGraphicClass(this, APastingFromClipboard, result);
  return result;
}

bool TcxCustomImage::CanPasteFromClipboard() {
  TClass c = ActiveProperties()->GraphicClass();
  if (c == TBitmap::StaticClass() || c == TJPEGImage::StaticClass()) return Clipboard()->HasFormat(CF_BITMAP);
  if (c == TMetafile::StaticClass()) return Clipboard()->HasFormat(CF_METAFILEPICT);
  if (c == TIcon::StaticClass()) return false;
  return Clipboard()->HasFormat(FClipboardFormat);
}

void TcxCustomImage::CustomClick() {
  if (Properties()->OnCustomClick) Properties()->OnCustomClick(this);
  if (RepositoryItem())
    if (auto* rp = dynamic_cast<TcxCustomImageProperties*>(RepositoryItem()->Properties()))
      if (rp->OnCustomClick) rp->OnCustomClick(this);
}

void TcxCustomImage::CopyToClipboard() {
  if (FPicture->Graphic()) Clipboard()->Assign(FPicture.get());
}

void TcxCustomImage::CutToClipboard() {
  CopyToClipboard();
  DeletePicture();
}

void TcxCustomImage::DeletePicture() {
  if (RequestEditing()) FPicture->Assign(nullptr);
}

void TcxCustomImage::PasteFromClipboard() {
  if (!CanPasteFromClipboard() || !RequestEditing()) return;
  if (Clipboard()->HasFormat(CF_BITMAP)) {
    TClass c = GetGraphicClass(true);
    if (c == TJPEGImage::StaticClass()) {
      TJPEGImage jpeg;
      jpeg.Bitmap()->Assign(Clipboard());
      jpeg.JPEGNeeded();
      FPicture->SetGraphic(&jpeg);
    } else {
      TBitmap b;
      b.Assign(Clipboard());
      FPicture->SetGraphic(&b);
    }
  } else {
    FPicture->Assign(Clipboard());
  }
}

void TcxCustomImage::LoadFromFile() {
  if (!CanModify()) return;
  TOpenDialog dialog(nullptr);
  String filter = ActiveProperties()->CustomFilter();
  if (filter.empty()) {
    TClass c = GetGraphicClass(false);
    filter = TPicture::GraphicFilter(c ? c : TGraphic::StaticClass());
  }
  dialog.SetFilter(filter);
  bool accepted;
  {
    TFlag open(FDialogOpen, true);
    accepted = dialog.Execute();
  }
  if (accepted && RequestEditing()) {
    FPicture->LoadFromFile(dialog.FileName());
    NotifyClosePopup(pcrAccept);
  } else {
    NotifyClosePopup(pcrCancel);
  }
  Application->ProcessMessages();
}

void TcxCustomImage::SaveToFile() {
  TGraphic* g = FPicture->Graphic();
  if (!g) return;
  TSaveDialog dialog(Application);
  String filter = ActiveProperties()->CustomFilter();
  dialog.SetFilter(filter.empty() ? TPicture::GraphicFilter(g->ClassType()) : filter);
  dialog.SetDefaultExt(TPicture::GraphicExtension(g->ClassType()));
  bool accepted;
  {
    TFlag open(FDialogOpen, true);
    accepted = dialog.Execute();
  }
  if (accepted) FPicture->SaveToFile(dialog.FileName());
  Application->ProcessMessages();
}

void TcxCustomImage::ExecuteMenuCommand(TcxPopupMenuItem ACommand) {
  TFlag internal(FInternalChange, true);
  switch (ACommand) {
    case pmiCut: CutToClipboard(); break;
    case pmiCopy: CopyToClipboard(); break;
    case pmiPaste: PasteFromClipboard(); break;
    case pmiDelete: DeletePicture(); break;
    case pmiLoad: LoadFromFile(); break;
    case pmiSave: SaveToFile(); break;
    case pmiCustom: CustomClick(); break;
  }
}

void TcxCustomImage::MenuItemClick(TObject* Sender) {
  if (auto* item = dynamic_cast<TMenuItem*>(Sender)) ExecuteMenuCommand(TcxPopupMenuItem(item->Tag()));
}

TPopupMenu* TcxCustomImage::PrepareContextMenu() {
  if (!FContextMenu) {
    FContextMenu = std::make_unique<TPopupMenu>(nullptr);
    FContextMenu->SetImages(cxImageMenuImages());
    auto add = [this](Integer ATag, Integer AImage) {
      auto* item = new TMenuItem(FContextMenu.get());
      item->SetTag(ATag);
      item->SetImageIndex(AImage);
      if (ATag >= 0) item->OnClick = [this](TObject* S) { MenuItemClick(S); };
      else item->SetCaption("-");
      FContextMenu->Items()->Add(item);
    };
    for (Integer i = pmiCut; i <= pmiDelete; ++i) add(i, i);
    add(-1, -1);
    add(pmiLoad, pmiLoad);
    add(pmiSave, pmiSave);
    add(-1, -1);
    add(pmiCustom, -1);
  }
  TcxCustomImageProperties* p = ActiveProperties();
  TcxPopupMenuItems items = p->PopupMenuLayout()->MenuItems();
  TMenuItem* root = FContextMenu->Items();
  const TcxResourceString* captions[] = {&cxSEditImageCut, &cxSEditImageCopy, &cxSEditImagePaste,
                                         &cxSEditImageDelete, nullptr, &cxSEditImageLoad, &cxSEditImageSave};
  for (Integer i = 0; i < 7; ++i)
    if (captions[i]) root->Items(i)->SetCaption(cxLoadResourceText(*captions[i]));
  TMenuItem* custom = root->Items(8);
  custom->SetCaption(p->PopupMenuLayout()->CustomMenuItemCaption());
  if (p->PopupMenuLayout()->HasCustomMenuItemGlyph()) {
    TBitmap* glyph = p->PopupMenuLayout()->CustomMenuItemGlyph();
    glyph->SetTransparent(true);
    custom->Bitmap()->Assign(glyph);
  } else {
    custom->Bitmap()->Assign(nullptr);
  }
  bool canModify = CanModify();
  bool empty = !FPicture->Graphic() || FPicture->Graphic()->Empty();
  bool isIcon = ActiveProperties()->GraphicClass() == TIcon::StaticClass();
  const bool visible[] = {items.Contains(pmiCut), items.Contains(pmiCopy), items.Contains(pmiPaste),
                          items.Contains(pmiDelete), items.Contains(pmiLoad) || items.Contains(pmiSave),
                          items.Contains(pmiLoad), items.Contains(pmiSave), items.Contains(pmiCustom),
                          items.Contains(pmiCustom)};
  const bool enabled[] = {canModify && !empty && !isIcon, !empty && !isIcon, canModify && CanPasteFromClipboard(),
                          canModify && !empty, true, canModify, !empty, true, true};
  for (Integer i = 0; i < 9; ++i) {
    root->Items(i)->SetVisible(visible[i]);
    root->Items(i)->SetEnabled(enabled[i]);
  }
  return FContextMenu.get();
}

void TcxCustomImage::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (PopupMenu() || PopupMenuComponent() || ActiveProperties()->PopupMenuLayout()->MenuItems().Empty()) {
    TcxCustomEdit::DoContextPopup(MousePos, Handled);
    return;
  }
  Handled = true;
  TPoint p = MousePos;
  if (p.X == -1 && p.Y == -1) p = TPoint(10, 10);
  p = ClientToScreen(p);
  PrepareContextMenu()->Popup(p.X, p.Y);
}

void TcxCustomImage::KeyDown(Word& Key, TShiftState Shift) {
  TcxCustomEdit::KeyDown(Key, Shift);
  TFlag internal(FInternalChange, true);
  bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
  if (Key == VK_INSERT && shift && !ctrl)
    PasteFromClipboard();
  else if (Key == VK_INSERT && ctrl && !shift)
    CopyToClipboard();
  else if (Key == VK_DELETE && shift)
    CutToClipboard();
}

void TcxCustomImage::KeyPress(char32_t& Key) {
  TcxCustomEdit::KeyPress(Key);
  TFlag internal(FInternalChange, true);
  switch (Key) {
    case 3: CopyToClipboard(); break;
    case 22: PasteFromClipboard(); break;
    case 24: CutToClipboard(); break;
    default: break;
  }
}

bool TcxCustomImage::IsSpecialKey(Word Key, TShiftState Shift) {
  return (Key == VK_INSERT && !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl)) ||
         (Key == VK_DELETE && !Shift.Contains(ssShift));
}

bool TcxCustomImage::CanAutoSize() {
  return TcxCustomEdit::CanAutoSize() && FPicture && FPicture->Graphic() && !FPicture->Graphic()->Empty();
}

void TcxCustomImage::ApplyAutoSize() {
  if (!CanAutoSize()) return;
  TRect ext;
  GetBorderExtent(ext);
  SetBounds(Left(), Top(), FPicture->Width() + ext.Left + ext.Right, FPicture->Height() + ext.Top + ext.Bottom);
}

void TcxCustomImage::PictureChanged(TObject*) {
  HoldChangeEvents(true);
  try {
    TcxCustomImageProperties* p = ActiveProperties();
    TGraphic* g = FPicture->Graphic();
    if (auto* icon = dynamic_cast<TIcon*>(g)) icon->Handle();
    if (p->GraphicTransparency() != gtDefault && g && !g->Empty()) {
      auto handler = std::move(FPicture->OnChange);
      FPicture->OnChange = nullptr;
      g->SetTransparent(p->GraphicTransparency() == gtTransparent);
      FPicture->OnChange = std::move(handler);
    }
    // A picture read with its form keeps the stored bounds.
    if (!ComponentState().Contains(csLoading)) {
      if (auto* vi = dynamic_cast<TcxImageViewInfo*>(GetViewInfo())) vi->TopLeft = TPoint(0, 0);
      ApplyAutoSize();
    }
    if (!FSettingEditValue) {
      // Keep the stored edit value in step with the picture.
      Variant v;
      GetEditValue(v);
      {
        TFlag setting(FSettingEditValue, true);
        bool modified = Modified(), changed = EditModified();
        TcxCustomEdit::InternalSetEditValue(v, false);
        if (modified) SetModified(true);
        if (changed) SetEditChanged(true);
      }
      if (FInternalChange) {
        SetEditChanged(true);
        NotifyChange();
        UpdateStateFromCursor();
      }
      if (p->ImmediatePost() && DataBinding()->HasValueToPost() && ValidateInput(false)) PostValue(false);
    }
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  UpdateScrollBars();
  UpdateStateFromCursor();
  Invalidate();
}

void TcxCustomImage::PropertiesChanged(TObject* Sender) {
  if (!FPicture) {
    TcxCustomEdit::PropertiesChanged(Sender);
    return;
  }
  PictureChanged(FPicture.get());
  UpdateScrollBars();
  TcxCustomEdit::PropertiesChanged(Sender);
}

void TcxCustomImage::Resize() {
  TcxCustomEdit::Resize();
  UpdateScrollBars();
}

void TcxCustomImage::UpdateScrollBars(bool AIsScrolling) {
  TcxCustomEdit::UpdateScrollBars(AIsScrolling);
  if (!FPicture || !HandleAllocated()) return;
  RefreshScrollBars();
  // The view is offset only along a bar that is shown: a picture that now
  // fits (a larger editor, a smaller picture) is drawn from its corner.
  auto* vi = static_cast<TcxImageViewInfo*>(GetViewInfo());
  TPoint tl(HScrollBarVisible() ? vi->TopLeft.X : 0, VScrollBarVisible() ? vi->TopLeft.Y : 0);
  if (tl != vi->TopLeft) {
    vi->TopLeft = tl;
    Invalidate();
  }
}

void TcxCustomImage::DefineScrollBars() {
  if (!FPicture) return;
  TcxCustomImageProperties* p = ActiveProperties();
  TRect c = GetViewInfo()->ClientRect;
  bool scrolling = !IsInplace() && !AutoSize() && !p->Center() && !p->Stretch() && FPicture->Graphic() &&
                   !FPicture->Graphic()->Empty() && c.Width() > 0 && c.Height() > 0;
  if (!scrolling) return;
  // The offset stays within what lies beyond the page (the page may have grown).
  TPoint& tl = static_cast<TcxImageViewInfo*>(GetViewInfo())->TopLeft;
  tl.X = std::clamp(tl.X, 0, std::max(0, FPicture->Width() - c.Width()));
  tl.Y = std::clamp(tl.Y, 0, std::max(0, FPicture->Height() - c.Height()));
  SetupScrollBar(sbHorizontal, 0, FPicture->Width() - 1, 8, c.Width(), tl.X, true, true);
  SetupScrollBar(sbVertical, 0, FPicture->Height() - 1, 8, c.Height(), tl.Y, true, true);
}

void TcxCustomImage::ScrollPicture(TScrollBarKind AKind, TScrollCode ACode, Integer& APosition) {
  auto* vi = static_cast<TcxImageViewInfo*>(GetViewInfo());
  TRect c = vi->ClientRect;
  bool horz = AKind == sbHorizontal;
  Integer size = horz ? FPicture->Width() : FPicture->Height();
  Integer page = horz ? c.Width() : c.Height();
  Integer pos = horz ? vi->TopLeft.X : vi->TopLeft.Y;
  switch (ACode) {
    case scLineUp: APosition = pos - 8; break;
    case scLineDown: APosition = pos + 8; break;
    case scPageUp: APosition = pos - page; break;
    case scPageDown: APosition = pos + page; break;
    default: break;
  }
  APosition = std::max(0, std::min(APosition, std::max(0, size - page)));
  if (horz)
    vi->TopLeft.X = APosition;
  else
    vi->TopLeft.Y = APosition;
  UpdateScrollBars(true);
  Invalidate();
}

void TcxCustomImage::ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) {
  ScrollPicture(AKind, AScrollCode, APosition);
}

TcxImage::TcxImage(TComponent* AOwner, bool AIsInplace)
    : TcxCustomImage(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxImageProperties(O);
      }) {}

// ---------------------------------------------------------------------------
// Streaming

TOVANI_PUBLISHED(TcxImageProperties) {
  using P = TcxImageProperties;
  Property("ClearKey", &P::ClearKey, &P::SetClearKey).Default(0);
  Property<bool>("ImmediatePost", [](P* p) { return p->ImmediatePost(); }, [](P* p, bool v) { p->SetImmediatePost(v); })
      .Default(false);
  Property<bool>("ReadOnly", [](P* p) { return p->ReadOnly(); }, [](P* p, bool v) { p->SetReadOnly(v); }).Default(false);
  Property("Caption", &P::Caption, &P::SetCaption);
  Property("Center", &P::Center, &P::SetCenter).Default(true);
  Property("CustomFilter", &P::CustomFilter, &P::SetCustomFilter);
  Property<String>(
      "GraphicClassName", [](P* p) { return p->GraphicClassName(); }, [](P* p, const String& v) { p->SetGraphicClassName(v); })
      .Stored([](TObject* o) {
        auto* p = static_cast<P*>(o);
        return p->IsGraphicClassNameStored() && p->GraphicClass();
      });
  Property("GraphicTransparency", &P::GraphicTransparency, &P::SetGraphicTransparency).Default(gtDefault);
  Property("Proportional", &P::Proportional, &P::SetProportional).Default(true);
  Property<TcxPopupMenuLayout*>(
      "PopupMenuLayout", [](P* p) { return p->PopupMenuLayout(); },
      [](P* p, TcxPopupMenuLayout* v) { p->SetPopupMenuLayout(v); });
  Property("ShowFocusRect", &P::ShowFocusRect, &P::SetShowFocusRect).Default(true);
  Property("Stretch", &P::Stretch, &P::SetStretch).Default(false);
  Property("OnAssignPicture", &P::OnAssignPicture);
  Property("OnChange", &P::OnChange);
  Property("OnCustomClick", &P::OnCustomClick);
  Property("OnEditValueChanged", &P::OnEditValueChanged);
  Property("OnGetGraphicClass", &P::OnGetGraphicClass);
}

TOVANI_PUBLISHED(TcxPopupMenuLayout) {
  using L = TcxPopupMenuLayout;
  Property("MenuItems", &L::MenuItems, &L::SetMenuItems)
      .Default(TcxPopupMenuItems{pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave});
  Property("CustomMenuItemCaption", &L::CustomMenuItemCaption, &L::SetCustomMenuItemCaption);
  Property<TBitmap*>(
      "CustomMenuItemGlyph", [](L* l) { return l->CustomMenuItemGlyph(); },
      [](L* l, TBitmap* v) { l->SetCustomMenuItemGlyph(v); })
      .Stored([](TObject* o) {
        auto* l = static_cast<L*>(o);
        return l->HasCustomMenuItemGlyph() && !l->CustomMenuItemGlyph()->Empty();
      });
}

TOVANI_PUBLISHED(TcxImage) {
  using C = TcxImage;
  Property<TcxImageProperties*>(
      "Properties", [](C* c) { return c->Properties(); }, [](C* c, TcxImageProperties* v) { c->Properties()->Assign(v); });
  Property<TcxEditStyle*>("Style", [](C* c) { return c->Style(); }, [](C* c, TcxEditStyle* v) { c->SetStyle(v); });
  Property("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
  Property<TPicture*>("Picture", [](C* c) { return c->Picture(); }, [](C* c, TPicture* v) { c->SetPicture(v); });
  Property("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
  Property("OnEditing", &C::OnEditing);
  Property("OnGetGraphicClass", &C::OnGetGraphicClass);
}
