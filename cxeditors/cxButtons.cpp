#include "cxButtons.h"

#include <algorithm>

#include "ActnList.h"
#include "Forms.h"
#include "ImgList.h"
#include "Messages.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "cxGeometry.h"
#include "cxGraphics.h"
#include "dxThemeManager.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxButtonKind, "cxbkStandard", "cxbkDropDown", "cxbkDropDownButton")
TOVANI_IMPLEMENT_ENUM_INFO(TcxButtonAssignedColor, "cxbcDefault", "cxbcDefaultText", "cxbcDisabled",
                           "cxbcDisabledText", "cxbcHot", "cxbcHotText", "cxbcNormal", "cxbcNormalText", "cxbcPressed",
                           "cxbcPressedText")
TOVANI_IMPLEMENT_CLASS(TcxButtonColors, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxButtonGlyph, TObject)
TOVANI_IMPLEMENT_CLASS(TcxGlyphList, TcxImageList)
TOVANI_IMPLEMENT_CLASS(TcxButtonActionLink, TButtonActionLink)
TOVANI_IMPLEMENT_CLASS(TcxCustomButton, TButton)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxButton, TcxCustomButton)

namespace {
// The arrow part of a split button.
constexpr Integer cxDropDownButtonWidth = 15;
constexpr Integer cxDropDownButtonOverlap = 2;

TcxButtonAssignedColor BackIndexOf(TcxButtonState AState) {
  switch (AState) {
    case cxbsDefault:
      return cxbcDefault;
    case cxbsHot:
      return cxbcHot;
    case cxbsPressed:
      return cxbcPressed;
    case cxbsDisabled:
      return cxbcDisabled;
    default:
      return cxbcNormal;
  }
}
}  // namespace

// ---------------------------------------------------------------------------
// Colours

TPersistent* TcxButtonColors::GetOwner() { return FButton; }

void TcxButtonColors::Repaint() {
  if (FButton) FButton->Invalidate();
}

void TcxButtonColors::SetColor(TcxButtonAssignedColor AIndex, TColor Value) {
  if (Value == clNone || Value == clDefault) {
    FColors[AIndex] = clDefault;
    FAssigned.Exclude(AIndex);
    Repaint();
    return;
  }
  if (FColors[AIndex] == Value) return;
  FColors[AIndex] = Value;
  FAssigned.Include(AIndex);
  Repaint();
}

void TcxButtonColors::SetAssignedColors(TcxButtonAssignedColors Value) {
  if (!FButton || !FButton->ComponentState().Contains(csDesigning)) return;
  for (Integer i = 0; i < 10; ++i) {
    auto c = TcxButtonAssignedColor(i);
    if (!Value.Contains(c))
      FColors[i] = clDefault;
    else if (FColors[i] == clDefault)
      Value.Exclude(c);
  }
  FAssigned = Value;
  Repaint();
}

void TcxButtonColors::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxButtonColors*>(Source)) {
    std::copy(std::begin(s->FColors), std::end(s->FColors), std::begin(FColors));
    FAssigned = s->FAssigned;
    Repaint();
    return;
  }
  TPersistent::Assign(Source);
}

TColor TcxButtonColors::ColorOfState(TcxButtonState AState) const {
  TcxButtonAssignedColor i = BackIndexOf(AState);
  if (FAssigned.Contains(i)) return FColors[i];
  return i == cxbcNormal ? FColors[cxbcDefault] : FColors[cxbcNormal];
}

TColor TcxButtonColors::TextColorOfState(TcxButtonState AState) const {
  auto i = TcxButtonAssignedColor(Integer(BackIndexOf(AState)) + 1);
  return FAssigned.Contains(i) ? FColors[i] : clDefault;
}

// ---------------------------------------------------------------------------
// Shared glyph lists

Integer TcxGlyphList::StoreImage(TBitmap* AImage, TBitmap* AMask) {
  auto it = std::find(FUsed.begin(), FUsed.end(), false);
  Integer index;
  if (it == FUsed.end()) {
    TBitmap emptyMask;
    emptyMask.SetMonochrome(true);
    emptyMask.SetWidth(Width());
    emptyMask.SetHeight(Height());
    index = Add(AImage, &emptyMask);
    FUsed.resize(size_t(index) + 1, false);
  } else {
    index = Integer(it - FUsed.begin());
  }
  FUsed[size_t(index)] = true;
  Replace(index, AImage, AMask);
  ++FUsedCount;
  return index;
}

void TcxGlyphList::ReleaseImage(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Integer(FUsed.size()) || !FUsed[size_t(AIndex)]) return;
  FUsed[size_t(AIndex)] = false;
  --FUsedCount;
}

TcxGlyphList* TcxGlyphCache::AcquireList(Integer AWidth, Integer AHeight) {
  for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
    if ((*it)->Width() == AWidth && (*it)->Height() == AHeight) return it->get();
  FLists.push_back(std::make_unique<TcxGlyphList>(AWidth, AHeight));
  return FLists.back().get();
}

void TcxGlyphCache::ReleaseList(TcxGlyphList* AList) {
  if (!AList || AList->UsedCount() > 0) return;
  FLists.erase(std::remove_if(FLists.begin(), FLists.end(), [AList](auto& L) { return L.get() == AList; }),
               FLists.end());
}

namespace {
std::unique_ptr<TcxGlyphCache> GGlyphCache;
Integer GGlyphCount = 0;
TcxGlyphCache* GlyphCache() {
  if (!GGlyphCache) GGlyphCache = std::make_unique<TcxGlyphCache>();
  return GGlyphCache.get();
}
}  // namespace

TcxGlyphCache* cxButtonGlyphCache() { return GGlyphCache.get(); }

// ---------------------------------------------------------------------------
// Glyph

TcxButtonGlyph::TcxButtonGlyph() : FGlyph(std::make_unique<TBitmap>()) {
  ++GGlyphCount;
  GlyphCache();
  FGlyph->OnChange = [this](TObject*) { Changed(); };
}

TcxButtonGlyph::~TcxButtonGlyph() {
  ReleaseStateImages();
  if (--GGlyphCount == 0 && GGlyphCache && GGlyphCache->ListCount() == 0) GGlyphCache.reset();
}

void TcxButtonGlyph::ReleaseStateImages() {
  if (!FGlyphList) return;
  for (Integer& index : FStateImages) {
    FGlyphList->ReleaseImage(index);
    index = -1;
  }
  if (GGlyphCache) GGlyphCache->ReleaseList(FGlyphList);
  FGlyphList = nullptr;
}

void TcxButtonGlyph::Changed() {
  ReleaseStateImages();
  cxCallNotifyEvent(this, OnChange);
}

Integer TcxButtonGlyph::BuildStateImage(TcxButtonState AState) {
  Integer cell = CellOfState(AState);
  if (FStateImages[cell] >= 0) return FStateImages[cell];
  if (FGlyph->Empty()) return -1;
  TSize size = GlyphSize();
  TBitmap image;
  image.SetWidth(size.cx);
  image.SetHeight(size.cy);
  TColor key = FGlyph->TransparentColor();
  COLORREF keyRGB = ColorToRGB(key);
  if (cell == 1 && FNumGlyphs == 1) {
    // A single-cell glyph is disabled by its shape embossed.
    image.Canvas()->Brush()->SetColor(key);
    image.Canvas()->FillRect(TRect(0, 0, size.cx, size.cy));
    HDC src = FGlyph->Canvas()->Handle(), dst = image.Canvas()->Handle();
    for (Integer pass = 0; pass < 2; ++pass)
      for (Integer y = 0; y < size.cy; ++y)
        for (Integer x = 0; x < size.cx; ++x) {
          if (GetPixel(src, x, y) == keyRGB) continue;
          Integer dx = pass == 0 ? x + 1 : x, dy = pass == 0 ? y + 1 : y;
          if (dx < size.cx && dy < size.cy)
            SetPixel(dst, dx, dy, ColorToRGB(pass == 0 ? clBtnHighlight : clBtnShadow));
        }
  } else {
    Integer index = cell < FNumGlyphs ? cell : 0;
    image.Canvas()->CopyRect(TRect(0, 0, size.cx, size.cy), FGlyph->Canvas(),
                             TRect(index * size.cx, 0, index * size.cx + size.cx, size.cy));
  }
  // The mask: white where the transparent colour is.
  TBitmap mask;
  mask.SetMonochrome(true);
  mask.SetWidth(size.cx);
  mask.SetHeight(size.cy);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(TRect(0, 0, size.cx, size.cy));
  HDC img = image.Canvas()->Handle(), msk = mask.Canvas()->Handle();
  for (Integer y = 0; y < size.cy; ++y)
    for (Integer x = 0; x < size.cx; ++x)
      if (GetPixel(img, x, y) == keyRGB) {
        SetPixel(msk, x, y, RGB(255, 255, 255));
        SetPixel(img, x, y, RGB(0, 0, 0));
      }
  if (!FGlyphList) FGlyphList = GlyphCache()->AcquireList(size.cx, size.cy);
  FStateImages[cell] = FGlyphList->StoreImage(&image, &mask);
  return FStateImages[cell];
}

void TcxButtonGlyph::SetGlyph(TBitmap* Value) {
  if (Value)
    FGlyph->Assign(Value);
  else
    FGlyph->Assign(nullptr);
  Integer w = FGlyph->Width(), h = FGlyph->Height();
  Integer n = 1;
  if (h > 0 && w % h == 0 && w / h < 5 && w / h > 0) n = w / h;
  FNumGlyphs = n;
  Changed();
}

void TcxButtonGlyph::SetNumGlyphs(Integer Value) {
  Value = std::clamp<Integer>(Value, 1, 4);
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  Changed();
}

void TcxButtonGlyph::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  FImages = Value;
  if (FGlyph->Empty() && FImageIndex != -1) Changed();
}

void TcxButtonGlyph::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  if (FGlyph->Empty() && FImages) Changed();
}

bool TcxButtonGlyph::HasImage() const {
  return !FGlyph->Empty() || (FImages && FImageIndex >= 0 && FImageIndex < FImages->Count());
}

TSize TcxButtonGlyph::GlyphSize() const {
  if (!FGlyph->Empty()) return TSize(FGlyph->Width() / FNumGlyphs, FGlyph->Height());
  if (HasImage()) return TSize(FImages->Width(), FImages->Height());
  return TSize(0, 0);
}

Integer TcxButtonGlyph::CellOfState(TcxButtonState AState) const {
  switch (AState) {
    case cxbsDisabled:
      return 1;
    case cxbsPressed:
      return FNumGlyphs < 3 ? 0 : 2;
    default:
      return 0;
  }
}

void TcxButtonGlyph::ArrangeContent(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset,
                                    const String& ACaption, TButtonLayout ALayout, Integer AMargin, Integer ASpacing,
                                    UINT ABiDiFlags, bool AWordWrap, TPoint& AGlyphPos, TRect& ATextRect) {
  if (ABiDiFlags & DT_RIGHT) {
    if (ALayout == blGlyphLeft)
      ALayout = blGlyphRight;
    else if (ALayout == blGlyphRight)
      ALayout = blGlyphLeft;
  }
  Integer cw = AClient.Right - AClient.Left, ch = AClient.Bottom - AClient.Top;
  bool image = HasImage();
  TSize text(0, 0);
  if (!ACaption.empty()) {
    // No image: a little room on the left and right of the caption.
    TRect margins = image ? TRect() : TRect(1, 0, 2, 0);
    RECT r{0, 0, cw - margins.Left - margins.Right, 0};
    UINT flags = DT_CALCRECT | ABiDiFlags | (AWordWrap && !image ? DT_WORDBREAK : 0);
    std::u16string w = Utf8ToUtf16(ACaption);
    DrawTextW(ACanvas->Handle(), reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &r, flags);
    text = TSize(r.right - r.left + margins.Left + margins.Right, r.bottom - r.top);
  }
  TSize glyph = GlyphSize();
  TPoint gp, tp;
  bool horizontal = ALayout == blGlyphLeft || ALayout == blGlyphRight;
  if (horizontal) {
    gp.Y = (ch - glyph.cy) / 2;
    tp.Y = (ch - text.cy - 1) / 2;
  } else {
    gp.X = (cw - glyph.cx) / 2;
    tp.X = (cw - text.cx) / 2;
  }
  if (text.cx == 0 || glyph.cx == 0) ASpacing = 0;
  Integer extent = horizontal ? cw : ch;
  Integer glyphExtent = horizontal ? glyph.cx : glyph.cy, textExtent = horizontal ? text.cx : text.cy;
  if (AMargin == -1) {
    if (ASpacing == -1) {
      AMargin = (extent - (glyphExtent + textExtent)) / 3;
      ASpacing = AMargin;
    } else {
      AMargin = (extent - (glyphExtent + ASpacing + textExtent)) / 2;
    }
  } else if (ASpacing == -1) {
    Integer remaining = extent - (AMargin + glyphExtent);
    ASpacing = (remaining - textExtent) / 2;
  }
  switch (ALayout) {
    case blGlyphLeft:
      gp.X = AMargin;
      tp.X = AMargin + glyph.cx + ASpacing;
      break;
    case blGlyphRight:
      gp.X = cw - AMargin - glyph.cx;
      tp.X = gp.X - ASpacing - text.cx;
      break;
    case blGlyphTop:
      gp.Y = AMargin;
      tp.Y = AMargin + glyph.cy + ASpacing;
      break;
    case blGlyphBottom:
      gp.Y = ch - AMargin - glyph.cy;
      tp.Y = gp.Y - ASpacing - text.cy;
      break;
  }
  AGlyphPos = TPoint(gp.X + AClient.Left + AOffset.X, gp.Y + AClient.Top + AOffset.Y);
  ATextRect = TRect(tp.X, tp.Y, tp.X + text.cx, tp.Y + text.cy);
  OffsetRect(ATextRect, AClient.Left + AOffset.X, AClient.Top + AOffset.Y);
}

void TcxButtonGlyph::PaintImage(TCanvas* ACanvas, const TPoint& APos, TcxButtonState AState) {
  if (!HasImage()) return;
  // A glyph bitmap takes precedence over the action's image list.
  if (FGlyph->Empty()) {
    FImages->Draw(ACanvas, APos.X, APos.Y, FImageIndex, AState != cxbsDisabled);
    return;
  }
  Integer index = BuildStateImage(AState);
  if (index >= 0) ImageList_Draw(FGlyphList->Handle(), index, ACanvas->Handle(), APos.X, APos.Y, ILD_TRANSPARENT);
}

void TcxButtonGlyph::Paint(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset, const String& ACaption,
                           TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TcxButtonState AState,
                           UINT ABiDiFlags, bool AWordWrap) {
  TPoint glyphPos;
  TRect textRect;
  ArrangeContent(ACanvas, AClient, AOffset, ACaption, ALayout, AMargin, ASpacing, ABiDiFlags, AWordWrap, glyphPos,
                 textRect);
  PaintImage(ACanvas, glyphPos, AState);
  if (ACaption.empty()) return;
  TBrushStyle oldStyle = ACanvas->Brush()->Style();
  ACanvas->Brush()->SetStyle(bsClear);
  UINT flags = ABiDiFlags | DT_CENTER | DT_VCENTER | (AWordWrap && !HasImage() ? DT_WORDBREAK : 0);
  try {
    std::u16string w = Utf8ToUtf16(ACaption);
    if (AState == cxbsDisabled) {
      TColor color = ACanvas->Font()->Color();
      RECT shifted = *textRect.AsRECT();
      OffsetRect(&shifted, 1, 1);
      ACanvas->Font()->SetColor(clBtnHighlight);
      ::SetTextColor(ACanvas->Handle(), ColorToRGB(clBtnHighlight));
      DrawTextW(ACanvas->Handle(), reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &shifted, flags);
      ACanvas->Font()->SetColor(color);
    }
    RECT r = *textRect.AsRECT();
    ::SetTextColor(ACanvas->Handle(), ColorToRGB(ACanvas->Font()->Color()));
    DrawTextW(ACanvas->Handle(), reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &r, flags);
  } catch (...) {
    ACanvas->Brush()->SetStyle(oldStyle);
    throw;
  }
  ACanvas->Brush()->SetStyle(oldStyle);
}

// ---------------------------------------------------------------------------
// The button

TcxCustomButton::TcxCustomButton(TComponent* AOwner)
    : TButton(AOwner),
      FGlyph(std::make_unique<TcxButtonGlyph>()),
      FColors(std::make_unique<TcxButtonColors>(this)),
      FLookAndFeel(std::make_unique<TcxLookAndFeel>(this)) {
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
  FLookAndFeel->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) {
    if (FUseSystemPaint)
      RecreateWnd();
    else
      Invalidate();
  };
  SetDoubleBuffered(true);
  SetControlStyle(ControlStyle() + csOpaque + csReflector);
}

TcxCustomButton::~TcxCustomButton() {
  // The action link, freed after this part, must see the button going.
  Destroying();
  cxEndMouseLeaveTracking(this);
}

void TcxCustomButton::SetKind(TcxButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  RecreateWnd();
}

void TcxCustomButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TcxCustomButton::SetMargin(Integer Value) {
  if (Value < -1 || FMargin == Value) return;
  FMargin = Value;
  Invalidate();
}

void TcxCustomButton::SetSpacing(Integer Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TcxCustomButton::SetCanBeFocused(bool Value) {
  if (FCanBeFocused == Value) return;
  FCanBeFocused = Value;
  NotifyGroup();
}

void TcxCustomButton::SetAllowAllUp(bool Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  NotifyGroup();
}

void TcxCustomButton::SetGroupIndex(Integer Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (Value != 0)
    NotifyGroup();
  else
    SetDown(false);
}

void TcxCustomButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp && FGroupIndex != 0) return;
  FDown = Value;
  FPressed = Value;
  if (Value) NotifyGroup();
  Invalidate();
}

void TcxCustomButton::NotifyGroup() {
  if (FGroupIndex == 0 || !Parent()) return;
  TMessage m;
  m.Msg = CM_BUTTONPRESSED;
  m.WParam = WPARAM(FGroupIndex);
  m.LParam = LPARAM(this);
  TWinControl* parent = Parent();
  for (Integer i = 0; i < parent->ControlCount(); ++i)
    if (parent->Controls(i) != this) parent->Controls(i)->WindowProc(m);
}

TcxButtonState TcxCustomButton::CalcButtonState() {
  if (!Enabled()) return cxbsDisabled;
  if (FPressed || (FMenuVisible && FKind == cxbkDropDown) || (FDown && IsSpeedButtonMode())) return cxbsPressed;
  if (FHot) return cxbsHot;
  if ((FFocusedDraw || FActive) && !IsSpeedButtonMode()) return cxbsDefault;
  return cxbsNormal;
}

TcxLookAndFeelPainterClass TcxCustomButton::GetPainterClass() {
  if (TcxLookAndFeelPainterClass skin = FLookAndFeel->SkinPainter()) return skin;
  TcxLookAndFeelPainterClass p = FLookAndFeel->ActivePainter();
  if (!p) p = cxPainterOfKind(FLookAndFeel->Kind());
  if (p->GetPainterStyle() == pstOffice11) return dxCanUseTheme(totButton) ? cxNativePainter() : cxStandardPainter();
  return p;
}

void TcxCustomButton::CalcContentSize(TSize& ASize) {
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  sc->Font()->Assign(Font());
  String caption = StripHotkey(Caption());
  if (caption.empty()) caption = " ";
  ASize.cx = sc->TextWidth(caption) + 3 * sc->TextWidth("R");
  ASize.cy = MulDiv(sc->TextHeight("Wg"), 14, 8);
}

bool TcxCustomButton::CanFocus() {
  bool r = TButton::CanFocus();
  if (!ComponentState().Contains(csDesigning)) r = r && FCanBeFocused;
  return r;
}

void TcxCustomButton::Click() {
  // A press on the arrow part opens the menu; it is no click of the face.
  if (FArrowPress) return;
  // A drop-down button opens its menu instead of clicking.
  if (FKind == cxbkDropDown && !FMenuVisible) {
    PostDropDown();
    return;
  }
  TButton::Click();
}

bool TcxCustomButton::DoDropDownMenuPopup(TPopupMenu*& APopupMenu) {
  bool handled = false;
  if (OnDropDownMenuPopup) OnDropDownMenuPopup(this, APopupMenu, handled);
  return handled;
}

void TcxCustomButton::PostDropDown() {
  if (HandleAllocated()) PostMessageW(Handle(), CM_DROPDOWNPOPUPMENU, 0, 0);
}

void TcxCustomButton::DoDropDown() {
  if (FKind == cxbkStandard) return;
  TPopupMenu* menu = FDropDownMenu;
  if (DoDropDownMenuPopup(menu) || !menu) return;
  FMenuVisible = true;
  RepaintNow();
  Integer x = FPopupAlignment == paRight ? Width() : FPopupAlignment == paCenter ? Width() / 2 : 0;
  TPoint p = ClientToScreen(TPoint(x, Height()));
  TRect work = cxWorkAreaAtPoint(p);
  Integer menuHeight = cxGetPopupMenuHeight(menu);
  if (work.Bottom < p.Y + menuHeight) p.Y -= menuHeight + Height() + 2;
  TPopupAlignment old = menu->Alignment();
  TPopupAlignment align = p.X <= work.Left ? paRight : p.X >= work.Right ? paLeft : FPopupAlignment;
  menu->SetAlignment(align);
  menu->SetPopupComponent(this);
  try {
    menu->Popup(p.X, p.Y);
  } catch (...) {
    menu->SetAlignment(old);
    if (HandleAllocated()) PostMessageW(Handle(), CM_CLOSEUPPOPUPMENU, 0, 0);
    throw;
  }
  menu->SetAlignment(old);
  if (HandleAllocated()) PostMessageW(Handle(), CM_CLOSEUPPOPUPMENU, 0, 0);
}

void TcxCustomButton::CloseUp() {
  POINT p;
  GetCursorPos(&p);
  FHot = HotTrackAllowed() && HandleAllocated() && WindowFromPoint(p) == Handle();
  FMenuVisible = false;
  RepaintNow();
  if (!IsSpeedButtonMode()) FTracksOwnPress = false;
}

bool TcxCustomButton::HotTrackAllowed() { return GetPainterClass()->HasHotTrackButtons() && Enabled(); }

bool TcxCustomButton::InDropDownArea(Integer X, Integer Y) {
  if (FKind == cxbkStandard) return false;
  TRect r = ClientRect();
  if (FKind == cxbkDropDownButton) r.Left = r.Right - cxDropDownButtonWidth;
  return X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom;
}

void TcxCustomButton::RepaintNow() {
  if (!HandleAllocated()) return;
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
}

void TcxCustomButton::MouseLeave() {
  TMessage m;
  m.Msg = CM_MOUSELEAVE;
  if (HandleAllocated()) Perform(CM_MOUSELEAVE, 0, 0);
}

void TcxCustomButton::RefreshImageSource() {
  if (auto* a = dynamic_cast<TCustomAction*>(Action())) {
    FGlyph->SetImages(a->ActionList() ? a->ActionList()->Images() : nullptr);
    FGlyph->SetImageIndex(a->ImageIndex());
  } else {
    FGlyph->SetImages(nullptr);
    FGlyph->SetImageIndex(-1);
  }
}

TcxButtonActionLink::TcxButtonActionLink(TcxCustomButton* AClient) : TButtonActionLink(AClient), FButton(AClient) {}

TcxButtonActionLink::~TcxButtonActionLink() {
  // The button keeps no image of an action it no longer has.
  if (FButton && !FButton->ComponentState().Contains(csDestroying)) {
    FButton->GlyphObject()->SetImages(nullptr);
    FButton->GlyphObject()->SetImageIndex(-1);
  }
}

void TcxButtonActionLink::SetImageIndex(Integer Value) {
  if (FButton) FButton->GlyphObject()->SetImageIndex(Value);
}

std::unique_ptr<TControlActionLink> TcxCustomButton::CreateActionLink() {
  return std::make_unique<TcxButtonActionLink>(this);
}

void TcxCustomButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TButton::ActionChange(Sender, CheckDefaults);
  RefreshImageSource();
  Invalidate();
}

void TcxCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  TButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropDownMenu) FDropDownMenu = nullptr;
}

void TcxCustomButton::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(0x0F)) | BS_OWNERDRAW;
}

void TcxCustomButton::CreateHandle() {
  TButton::CreateHandle();
  Invalidate();
}

void TcxCustomButton::DestroyWindowHandle() {
  if (FMenuVisible) Perform(CM_CLOSEUPPOPUPMENU, 0, 0);
  TButton::DestroyWindowHandle();
}

void TcxCustomButton::KeyDown(Word& Key, TShiftState Shift) { TButton::KeyDown(Key, Shift); }

// Alt or Shift with Up or Down opens the split button's menu.
bool TcxCustomButton::IsDropDownKey(const TMessage& Message) {
  if (FKind != cxbkDropDownButton) return false;
  WPARAM key = Message.WParam;
  if (key != VK_UP && key != VK_DOWN) return false;
  return (Message.LParam & 0x20000000) != 0 || GetKeyState(VK_SHIFT) < 0;
}

void TcxCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TButton::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FTracksOwnPress = IsSpeedButtonMode() || FTracksOwnPress;
  if (InDropDownArea(X, Y)) {
    PostDropDown();
    FPressed = false;
  } else {
    FPressed = true;
  }
  Invalidate();
}

void TcxCustomButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TButton::MouseMove(Shift, X, Y);
  if (!FHot && HotTrackAllowed() && ClientRect().Contains({X, Y}) && !GetCapture()) Perform(CM_MOUSEENTER, 0, 0);
}

void TcxCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  bool tracked = FTracksOwnPress;
  if (Button == mbLeft && tracked && FGroupIndex != 0 && ClientRect().Contains({X, Y})) SetDown(!FDown);
  TButton::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (tracked && !CanFocus() && ClientRect().Contains({X, Y}) && !InDropDownArea(X, Y)) Click();
  if (FGroupIndex == 0) {
    FTracksOwnPress = false;
    FPressed = false;
  }
  Invalidate();
}

void TcxCustomButton::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      if (IsDropDownKey(Message)) {
        PostDropDown();
        Message.Result = 1;
        return;
      }
      break;
  }
  if (!ComponentState().Contains(csDesigning) && IsSpeedButtonMode()) {
    switch (Message.Msg) {
      case WM_KEYUP:
        if (Message.WParam == VK_SPACE && FGroupIndex != 0) SetDown(!FDown);
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        if (!CanFocus()) {
          Integer x = short(LOWORD(Message.LParam)), y = short(HIWORD(Message.LParam));
          if (Message.Msg == WM_LBUTTONDOWN) SetMouseCapture(true);
          MouseDown(Message.Msg == WM_LBUTTONDOWN ? mbLeft : mbRight, KeysToShiftState(Word(Message.WParam)), x, y);
          return;
        }
        break;
      case WM_LBUTTONUP:
        if (!CanFocus()) {
          Integer x = short(LOWORD(Message.LParam)), y = short(HIWORD(Message.LParam));
          SetMouseCapture(false);
          MouseUp(mbLeft, KeysToShiftState(Word(Message.WParam)), x, y);
          return;
        }
        break;
      case WM_LBUTTONDBLCLK:
        if (!CanFocus()) {
          DblClick();
          Invalidate();
          return;
        }
        break;
    }
  }
  TButton::WndProc(Message);
}

void TcxCustomButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_LBUTTONDBLCLK: {
      TMessage down = Message;
      down.Msg = WM_LBUTTONDOWN;
      Dispatch(down);
      return;
    }
    case WM_LBUTTONDOWN:
      FArrowPress = FKind == cxbkDropDownButton &&
                    InDropDownArea(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam)));
      if (FArrowPress) FTracksOwnPress = true;
      break;
    case WM_LBUTTONUP:
      TButton::Dispatch(Message);
      FArrowPress = false;
      return;
    case WM_CAPTURECHANGED:
      TButton::Dispatch(Message);
      if (!ComponentState().Contains(csDesigning)) {
        POINT p;
        GetCursorPos(&p);
        FHot = HotTrackAllowed() && HandleAllocated() && WindowFromPoint(p) == Handle();
        Invalidate();
      }
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(Word(Message.WParam), Caption()) && IsWindowVisible(Handle()) && IsWindowEnabled(Handle())) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_ENABLEDCHANGED:
      TButton::Dispatch(Message);
      if (!Enabled()) FHot = false;
      Invalidate();
      return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      TButton::Dispatch(Message);
      Invalidate();
      return;
    case CM_MOUSEENTER:
      TButton::Dispatch(Message);
      if (!ComponentState().Contains(csDesigning) && !FHot && HotTrackAllowed() && !GetCapture()) {
        cxBeginMouseLeaveTracking(this, TRect(0, 0, Width(), Height()), this);
        FHot = true;
        RepaintNow();
      }
      return;
    case CM_MOUSELEAVE:
      TButton::Dispatch(Message);
      if (!ComponentState().Contains(csDesigning)) {
        cxEndMouseLeaveTracking(this);
        FTracksOwnPress = FMenuVisible;
        if (FHot) {
          FHot = false;
          RepaintNow();
        }
      }
      return;
    case CM_BUTTONPRESSED: {
      auto* sender = reinterpret_cast<TcxCustomButton*>(Message.LParam);
      if (Integer(Message.WParam) == FGroupIndex && FGroupIndex != 0 && sender != this && IsSpeedButtonMode()) {
        FAllowAllUp = sender->FAllowAllUp;
        FCanBeFocused = sender->FCanBeFocused;
        if (sender->FDown && FDown) {
          FDown = false;
          FPressed = false;
          if (auto* a = dynamic_cast<TCustomAction*>(Action())) a->SetChecked(false);
          Invalidate();
        }
      }
      return;
    }
    case CM_DROPDOWNPOPUPMENU:
      DoDropDown();
      return;
    case CM_CLOSEUPPOPUPMENU:
      CloseUp();
      return;
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      mis->itemWidth = UINT(Width());
      mis->itemHeight = UINT(Height());
      Message.Result = 1;
      return;
    }
    case CN_DRAWITEM:
      if (!ComponentState().Contains(csDestroying)) DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
      Message.Result = 1;
      return;
  }
  TButton::Dispatch(Message);
}

void TcxCustomButton::DrawItem(const DRAWITEMSTRUCT& ADis) {
  FPressed = FTracksOwnPress ? (FPressed && IsSpeedButtonMode()) || (FDown && IsSpeedButtonMode())
                             : (ADis.itemState & ODS_SELECTED) != 0;
  if (FTracksOwnPress && FGroupIndex == 0 && (ADis.itemState & ODS_SELECTED)) FPressed = true;
  FFocusedDraw = (ADis.itemState & ODS_FOCUS) != 0 || (Default() && ComponentState().Contains(csDesigning));
  TCanvas canvasObject;
  canvasObject.SetHandle(ADis.hDC);
  TcxCanvas canvas(&canvasObject);
  TcxLookAndFeelPainterClass painter = GetPainterClass();
  TRect r = ClientRect();
  if (painter == cxNativePainter()) cxDrawParentBackground(this, &canvas, r);
  TRect arrow;
  if (FKind == cxbkDropDown) FPressed = FMenuVisible;
  if (FKind == cxbkDropDownButton) {
    arrow = TRect(r.Right - cxDropDownButtonWidth, r.Top, r.Right, r.Bottom);
    r.Right -= cxDropDownButtonWidth - cxDropDownButtonOverlap;
  }
  TcxButtonState state = CalcButtonState();
  canvas.SetFont(Font());
  TColor back = FColors->ColorOfState(state);
  TColor text = FColors->TextColorOfState(state);
  if (text == clDefault) text = painter->GetButtonSymbolColor(state, Font()->Color());
  if (OnGetDrawParams) OnGetDrawParams(this, state, back, canvas.Font());
  canvas.Font()->SetColor(text);
  painter->PaintButton(&canvas, r, "", state, true, back, text);
  TPoint shift(0, 0);
  if (state == cxbsPressed && painter->GetButtonTextShift() != 0)
    shift = TPoint(painter->GetButtonTextShift(), painter->GetButtonTextShift());
  auto contentOf = [&](TcxButtonState s) {
    Integer b = painter->GetButtonBorderWidth(s);
    TRect c = cxInflatedRect(ClientRect(), -b, -b);
    if (FKind == cxbkDropDownButton) c.Right -= cxDropDownButtonWidth - cxDropDownButtonOverlap;
    return c;
  };
  canvas.PushClipRegion();
  canvas.IntersectClip(contentOf(state));
  try {
    RefreshImageSource();
    UINT bidi = UseRightToLeftAlignment() ? DT_RIGHT | DT_RTLREADING : 0;
    FGlyph->Paint(canvas.Canvas(), contentOf(cxbsDefault), shift, Caption(), FLayout, FMargin, FSpacing, state, bidi,
                  WordWrap());
  } catch (...) {
    canvas.PopClipRegion();
    canvasObject.SetHandle(nullptr);
    throw;
  }
  canvas.PopClipRegion();
  if (FKind == cxbkDropDownButton) {
    TcxButtonState arrowState = state;
    if (FMenuVisible)
      arrowState = cxbsPressed;
    else if (state == cxbsPressed)
      arrowState = FActive ? cxbsHot : cxbsNormal;
    painter->PaintButton(&canvas, arrow, "", arrowState, true, back, text);
    painter->PaintArrow(&canvas, arrow, apDown, painter->GetButtonSymbolColor(arrowState));
  }
  if (CanFocus() && Focused() && !FMenuVisible) canvas.DrawFocusRect(painter->CalcButtonFocusRect(&canvas, r));
  canvasObject.SetHandle(nullptr);
}

TOVANI_PUBLISHED(TcxButtonColors) {
  auto color = [this](const char* name, TcxButtonAssignedColor index) {
    Property<TColor>(
        name, [index](TcxButtonColors* c) { return c->GetColor(index); },
        [index](TcxButtonColors* c, TColor v) { c->SetColor(index, v); })
        .Stored([index](TObject* o) { return static_cast<TcxButtonColors*>(o)->AssignedColors().Contains(index); });
  };
  Property("AssignedColors", &TcxButtonColors::AssignedColors, &TcxButtonColors::SetAssignedColors).Stored(false);
  color("Default", cxbcDefault);
  color("DefaultText", cxbcDefaultText);
  color("Normal", cxbcNormal);
  color("NormalText", cxbcNormalText);
  color("Hot", cxbcHot);
  color("HotText", cxbcHotText);
  color("Pressed", cxbcPressed);
  color("PressedText", cxbcPressedText);
  color("Disabled", cxbcDisabled);
  color("DisabledText", cxbcDisabledText);
}

TOVANI_PUBLISHED(TcxCustomButton) {
  Property("Kind", &TcxCustomButton::Kind, &TcxCustomButton::SetKind).Default(cxbkStandard);
  Property("DropDownMenu", &TcxCustomButton::DropDownMenu, &TcxCustomButton::SetDropDownMenu);
  Property<TcxButtonColors*>(
      "Colors", [](TcxCustomButton* b) { return b->Colors(); },
      [](TcxCustomButton* b, TcxButtonColors* v) { b->SetColors(v); })
      .Stored([](TObject* o) { return !static_cast<TcxCustomButton*>(o)->Colors()->AssignedColors().Empty(); });
  Property<TBitmap*>(
      "Glyph", [](TcxCustomButton* b) { return b->Glyph(); }, [](TcxCustomButton* b, TBitmap* v) { b->SetGlyph(v); })
      .Stored([](TObject* o) { return !static_cast<TcxCustomButton*>(o)->Glyph()->Empty(); });
  Property("Layout", &TcxCustomButton::Layout, &TcxCustomButton::SetLayout).Default(blGlyphLeft);
  Property("Margin", &TcxCustomButton::Margin, &TcxCustomButton::SetMargin).Default(-1);
  Property("Spacing", &TcxCustomButton::Spacing, &TcxCustomButton::SetSpacing).Default(4);
  Property("NumGlyphs", &TcxCustomButton::NumGlyphs, &TcxCustomButton::SetNumGlyphs).Default(1);
  Property<TcxLookAndFeel*>(
      "LookAndFeel", [](TcxCustomButton* b) { return b->LookAndFeel(); },
      [](TcxCustomButton* b, TcxLookAndFeel* v) { b->SetLookAndFeel(v); });
  Property("PopupAlignment", &TcxCustomButton::PopupAlignment, &TcxCustomButton::SetPopupAlignment).Default(paLeft);
  Property("UseSystemPaint", &TcxCustomButton::UseSystemPaint, &TcxCustomButton::SetUseSystemPaint).Default(false);
  Property("CanBeFocused", &TcxCustomButton::CanBeFocused, &TcxCustomButton::SetCanBeFocused).Default(true);
  Property("GroupIndex", &TcxCustomButton::GroupIndex, &TcxCustomButton::SetGroupIndex).Default(0);
  Property("Down", &TcxCustomButton::Down, &TcxCustomButton::SetDown).Default(false);
  Property("AllowAllUp", &TcxCustomButton::AllowAllUp, &TcxCustomButton::SetAllowAllUp).Default(false);
  Property("OnDropDownMenuPopup", &TcxCustomButton::OnDropDownMenuPopup);
  Property("OnGetDrawParams", &TcxCustomButton::OnGetDrawParams);
}
