// The editor's calculator: from the properties, the style and the mouse it
// decides the state, border, colours, native theme part, the place, style
// and state of every button, the client rectangle and the size a value
// needs, and writes it into a view info.
#include <algorithm>
#include <climits>

#include "Themes.h"
#include "cxEdit.h"
#include "dxOffice11.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomEditViewData, TPersistent)

namespace {
constexpr UINT TMT_FILLCOLOR_ = 3802;
TShiftState MouseMembers(TShiftState S) {
  TShiftState r;
  for (TShiftStateItem i : {ssLeft, ssRight, ssMiddle, ssDouble})
    if (S.Contains(i)) r.Include(i);
  return r;
}
bool OnlyLeft(TShiftState S) { return S == TShiftState{ssLeft} || S == TShiftState{ssLeft, ssDouble}; }
TRect Deflated(const TRect& R, const TRect& E) { return TRect(R.Left + E.Left, R.Top + E.Top, R.Right - E.Right, R.Bottom - E.Bottom); }
bool InRect(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }
}  // namespace

TcxCustomEditViewData::TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle,
                                             bool AIsInplace)
    : Properties(AProperties), Style(AStyle), IsInplace(AIsInplace) {
  ResetInplaceOffsets();
  InitFromProperties();
}

void TcxCustomEditViewData::ResetInplaceOffsets() {
  InplaceEditParams = TRect();
  Enabled = true;
}

void TcxCustomEditViewData::InitFromProperties() {
  ButtonVisibleCount = Properties->Buttons()->VisibleCount();
  TcxEditAlignment* a = Properties->GetAlignment();
  HorzAlignment = a->Horz();
  VertAlignment = a->Vert();
  NativeStyle = Style && IsNativeStyle(Style->LookAndFeel());
  GetContentParams(ContentParams);
}

void TcxCustomEditViewData::GetContentOffsets(TRect& AOffsets) {
  AOffsets = IsInplace ? TRect(1, 1, 1, 1) : TRect(1, 1, 1, 3);
}

void TcxCustomEditViewData::GetContentParams(TcxEditContentParams& AParams) {
  AParams.ExternalBorderBounds = TRect();
  GetContentOffsets(AParams.Offsets);
  AParams.SizeCorrectionX = 3 - AParams.Offsets.Left - AParams.Offsets.Right;
  AParams.SizeCorrectionY = NativeStyle && IsInplace && ButtonVisibleCount > 0 ? 1 : 0;
  AParams.Options = 2;
}

Integer TcxCustomEditViewData::ComputePaintOptions() {
  Integer o = ContentParams.Options;
  if (!IsRectEmpty(ContentParams.ExternalBorderBounds)) o |= 4;
  if (ContentParams.Options & 1) o |= 16;
  return o;
}

Integer TcxCustomEditViewData::GetDefaultButtonWidth(Integer AIndex) {
  Integer w = 0;
  if (OnGetDefaultButtonWidth) OnGetDefaultButtonWidth(this, AIndex, w);
  return w;
}

bool TcxCustomEditViewData::IsNativeStyle(TcxLookAndFeel* ALookAndFeel) {
  return ALookAndFeel && cxUseNativeTheme(ALookAndFeel->NativeStyle(), teEdit);
}

bool TcxCustomEditViewData::HasShadow() { return Style->Shadow() && !NativeStyle; }

TcxContainerStateFlags TcxCustomEditViewData::GetContainerState(const TRect& ABounds, TPoint P, Integer AButton,
                                                                TShiftState Shift, bool AIsMouseEvent) {
  if (!Enabled) return {csfDisabled};
  if (IsDesigning) return {csfNormal};
  TcxContainerStateFlags s{Focused ? csfActive : csfNormal};
  TRect hit;
  if (Edit) {
    Edit->GetVisibleBounds(hit);
  } else {
    hit = ABounds;
    hit.Left -= InplaceEditParams.Left;
    hit.Top -= InplaceEditParams.Top;
    hit.Right += InplaceEditParams.Right;
    hit.Bottom += InplaceEditParams.Bottom;
  }
  bool buttonHeld = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
  bool captured = Edit && Edit->HandleAllocated() && GetCapture() == Edit->Handle();
  if (InRect(hit, P) && (!buttonHeld || captured)) s.Include(csfHotTracked);
  return s;
}

Integer TcxCustomEditViewData::GetNativeState() {
  if (!Enabled) return 4;
  if (Properties->GetReadOnly()) return 6;
  if (ContainerState.Contains(csfActive)) return cxDwmCompositionOn() ? 3 : 5;
  if (ContainerState.Contains(csfHotTracked)) return 2;
  return 1;
}

bool TcxCustomEditViewData::HasThickBorderInAnyState() {
  if (Edit) {
    for (TcxContainerStyle* s : {Edit->Style(), Edit->StyleFocused(), Edit->StyleDisabled(), Edit->StyleHot()})
      if (s->BorderStyle() == cbsThick) return true;
    return false;
  }
  return Style->BorderStyle() == cbsThick;
}

TcxEditBorderStyle TcxCustomEditViewData::GetEffectiveBorderStyle() {
  if (IsInplace) return ebsNone;
  TcxEditBorderStyle b = Style->GetBorderStyle();
  return b == ebsUltraFlat || b == ebsOffice11 ? ebsSingle : b;
}

TColor TcxCustomEditViewData::GetBorderColor() {
  bool highlighted =
      ContainerState.Contains(csfActive) || (ContainerState.Contains(csfHotTracked) && Style->HotTrack());
  if (TcxLookAndFeelPainterClass p = Style->LookAndFeel()->SkinPainter()) return p->GetContainerFrameColor(highlighted);
  TcxEditBorderStyle b = Style->GetBorderStyle();
  if (b != ebsUltraFlat && b != ebsOffice11) return Style->BorderColor();
  if (highlighted || (IsDesigning && Enabled)) return cxEditHotBorderColor(b == ebsOffice11);
  return clBtnShadow;
}

void TcxCustomEditViewData::GetBorderExtentForWidth(Integer AWidth, TRect& AExtent) {
  TcxBorders e = Style->Edges();
  AExtent = TRect(e.Contains(bLeft) ? AWidth : 0, e.Contains(bTop) ? AWidth : 0, e.Contains(bRight) ? AWidth : 0,
                  e.Contains(bBottom) ? AWidth : 0);
}

void TcxCustomEditViewData::GetStyleBorderExtent(TRect& AExtent) {
  if (!Style->DrawsBorder()) {
    AExtent = TRect();
    return;
  }
  TcxContainerBorderStyle b = HasThickBorderInAnyState() ? cbsThick : TcxContainerBorderStyle(GetEffectiveBorderStyle());
  GetBorderExtentForWidth(cxEditBorderWidth(b, Style->LookAndFeel()->SkinPainter()), AExtent);
}

void TcxCustomEditViewData::GetBorderExtent(TRect& AExtent) {
  if (IsInplace) {
    AExtent = InplaceEditParams;
  } else if (Style->LookAndFeel()->SkinPainter()) {
    GetStyleBorderExtent(AExtent);
  } else if (Style->TransparentBorder()) {
    AExtent = TRect(2, 2, 2, 2);
  } else if (!Style->DrawsBorder() || (NativeStyle && Style->BaseStyle()->BorderStyle() == cbsNone)) {
    AExtent = TRect();
  } else if (NativeStyle) {
    AExtent = TRect(2, 2, 2, 2);
  } else {
    GetBorderExtentForWidth(cxContainerBorderWidth(TcxContainerBorderStyle(GetEffectiveBorderStyle())), AExtent);
  }
  if (HasShadow()) {
    AExtent.Right += 3;
    AExtent.Bottom += 3;
  }
}

void TcxCustomEditViewData::GetClientExtent(TcxCanvas* ACanvas, TRect& AExtent) {
  if (IsInplace) {
    AExtent = InplaceEditParams;
    return;
  }
  if (!NativeStyle) return GetBorderExtent(AExtent);
  TcxContainerBorderStyle base = Style->BaseStyle()->BorderStyle();
  if (!Style->TransparentBorder() && base == cbsNone) {
    AExtent = TRect();
  } else if (base != cbsNone) {
    AExtent = TRect(2, 2, 2, 2);
    if (HTHEME theme = ThemeServices()->Theme(teEdit)) {
      TRect content, whole(0, 0, 100, 100);
      if (SUCCEEDED(GetThemeBackgroundContentRect(theme, ACanvas ? ACanvas->Handle() : nullptr, 1, 1,
                                                  whole.AsRECT(), content.AsRECT())))
        AExtent = TRect(content.Left, content.Top, 100 - content.Right, 100 - content.Bottom);
    }
  } else {
    AExtent = TRect(2, 2, 2, 2);
  }
}

void TcxCustomEditViewData::GetContentExtent(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& AExtent) {
  GetBorderExtent(AExtent);
  if (Properties->ButtonsViewStyle() != bvsNormal && ButtonVisibleCount > 0) {
    TRect c;
    GetClientExtent(ACanvas, c);
    AExtent.Left = c.Left;
    AExtent.Right = c.Right;
  }
  if (HScrollBarVisible) AExtent.Bottom += GetSystemMetrics(SM_CYHSCROLL);
  if (VScrollBarVisible) AExtent.Right += GetSystemMetrics(SM_CXVSCROLL);
  for (auto& b : AViewInfo->ButtonsInfo) {
    if (b->Data.LeftAlignment)
      AExtent.Left = std::max<Integer>(AExtent.Left, b->Bounds.Right - AViewInfo->Bounds.Left);
    else
      AExtent.Right = std::max<Integer>(AExtent.Right, AViewInfo->Bounds.Right - b->Bounds.Left);
  }
}

TcxEditButtonStyle TcxCustomEditViewData::ResolveButtonsStyle() {
  TcxEditButtonStyle s = Style->ButtonStyle();
  if (s != btsDefault) return s;
  TcxEditBorderStyle b = Style->GetBorderStyle();
  if (IsInplace || (b == ebsNone && !Style->HotTrack())) {
    switch (Style->LookAndFeel()->Kind()) {
      case lfFlat: return btsFlat;
      case lfUltraFlat: return btsUltraFlat;
      case lfOffice11: return btsOffice11;
      default: return bts3D;
    }
  }
  static const TcxEditButtonStyle kByBorder[] = {btsSimple, btsHotFlat, bts3D, btsFlat, bts3D, btsUltraFlat, btsOffice11};
  return kByBorder[b];
}

TcxEditPopupBorderStyle TcxCustomEditViewData::ResolvePopupBorderStyle() {
  TcxEditPopupBorderStyle p = Style->PopupBorderStyle();
  if (p != epbsDefault) return p;
  if (!Edit) return epbsDefault;
  if (IsInplace) {
    switch (Style->LookAndFeel()->Kind()) {
      case lfFlat: return epbsFlat;
      case lfStandard: return epbsFrame3D;
      default: return epbsSingle;
    }
  }
  TcxEditBorderStyle b = Style->GetBorderStyle();
  if (b != ebsNone || ButtonVisibleCount == 0) return b == ebsNone || b == ebsFlat ? epbsFlat : epbsSingle;
  switch (cxGetEditPopupLookAndFeelKind(Edit)) {
    case lfFlat: return epbsFlat;
    case lfStandard: return epbsFrame3D;
    default: return epbsSingle;
  }
}

void TcxCustomEditViewData::CalculateState(const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                                           bool AIsMouseEvent, TcxCustomEditViewInfo* AViewInfo) {
  ContainerState = GetContainerState(ABounds, P, AButton, Shift, AIsMouseEvent);
  AViewInfo->ContainerState = ContainerState;
  ActiveOrHot = ContainerState.Contains(csfActive) || ContainerState.Contains(csfHotTracked);
  if (IsDesigning || !Style->HotTrack() || IsInplace)
    AViewInfo->HotState = chsNone;
  else
    AViewInfo->HotState = ActiveOrHot ? chsSelected : chsNormal;
  if (Edit) {
    // The editor's style of the new state.
    TcxContainerStyle* s;
    if (ContainerState.Contains(csfDisabled)) s = Edit->StyleDisabled();
    else if (ContainerState.Contains(csfActive)) s = Edit->StyleFocused();
    else if (ContainerState.Contains(csfHotTracked) && Edit->Style()->HotTrack()) s = Edit->StyleHot();
    else s = Edit->Style();
    Style = static_cast<TcxCustomEditStyle*>(s);
  }
  AViewInfo->BorderStyle = NativeStyle && !IsInplace ? Style->BaseStyle()->BorderStyle()
                                                      : TcxContainerBorderStyle(GetEffectiveBorderStyle());
}

void TcxCustomEditViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                      TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  Shift = MouseMembers(Shift);
  Bounds = ABounds;
  Integer oldWidth = cxContainerBorderWidth(AViewInfo->BorderStyle);
  CalculateState(ABounds, P, AButton, Shift, AIsMouseEvent, AViewInfo);
  if (!IsInplace && !NativeStyle && cxContainerBorderWidth(AViewInfo->BorderStyle) < oldWidth)
    CalculateState(ABounds, P, AButton, Shift, AIsMouseEvent, AViewInfo);

  AViewInfo->Properties = Properties;
  AViewInfo->Bounds = ABounds;
  AViewInfo->Painter = Style->LookAndFeel()->SkinPainter();
  AViewInfo->Enabled = Enabled;
  AViewInfo->Focused = Focused;
  AViewInfo->Edit = Edit;
  AViewInfo->InnerControlVisible = InnerEdit && InnerEdit->Visible();
  AViewInfo->PaintCopyMode = Edit && Edit->InPaintCopyMode();
  AViewInfo->IsInnerControl = Edit && dynamic_cast<IcxContainerInnerControl*>(static_cast<TWinControl*>(Edit));
  AViewInfo->IsDesigning = IsDesigning;
  AViewInfo->IsInplace = IsInplace;
  AViewInfo->PaintOptions = ComputePaintOptions();
  AViewInfo->Edges = Style->Edges();
  AViewInfo->Font = Style->DirectAccessMode() ? Style->Font() : Style->GetVisibleTextFont();
  AViewInfo->Shadow = !IsInplace && HasShadow();
  AViewInfo->WindowHandle = WindowHandle;
  AViewInfo->Transparent = Properties->Transparent() || (Edit && Edit->IsTransparentBackground());
  ButtonsFillWidth = IsInplace ? (ABounds.Right < INT_MAX / 2 && Properties->ButtonsViewStyle() != bvsNormal)
                               : Properties->ButtonsViewStyle() == bvsButtonsOnly;

  AViewInfo->NativeStyle = NativeStyle;
  AViewInfo->NativeState = NativeStyle ? GetNativeState() : 0;
  TRect extent;
  GetBorderExtent(extent);
  AViewInfo->BorderRect = Deflated(ABounds, extent);
  AViewInfo->HasInplaceBorderOffsets = !IsRectEmpty(InplaceEditParams);
  AViewInfo->BorderWidth = cxEditBorderWidth(AViewInfo->BorderStyle, AViewInfo->Painter);
  if (!IsInplace) AViewInfo->BorderColor = GetBorderColor();
  TColor bk = clDefault, tx = clDefault;
  AViewInfo->GetSkinColors(bk, tx);
  AViewInfo->TextColor = tx == clDefault ? Style->TextColor() : tx;
  if (Edit && Edit->DefaultParentColor()) {
    bk = Style->Color();
  } else if (bk == clDefault) {
    bk = Style->Color();
    if (NativeStyle && !Enabled && !Style->IsValueAssigned(csvColor))
      if (HTHEME theme = ThemeServices()->Theme(teEdit)) {
        COLORREF c;
        if (SUCCEEDED(GetThemeColor(theme, cxDwmCompositionOn() ? 3 : 1, AViewInfo->NativeState, TMT_FILLCOLOR_, &c)))
          bk = TColor(c);
      }
  }
  AViewInfo->ChangeBackgroundColor(bk);
  CalculateButtonsViewInfo(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  TRect content;
  GetContentExtent(ACanvas, AViewInfo, content);
  AViewInfo->ClientRect = Deflated(ABounds, content);
  AViewInfo->InnerEditRect = InnerEdit ? InnerEdit->BoundsRect() : AViewInfo->ClientRect;
  AViewInfo->PopupBorderStyle = ResolvePopupBorderStyle();
}

void TcxCustomEditViewData::CalculateButtonsViewInfo(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P,
                                                     Integer AButton, TShiftState Shift,
                                                     TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  bool active = ContainerState.Contains(csfActive), hot = ContainerState.Contains(csfHotTracked);
  TcxEditButtonTransparency t = Style->ButtonTransparency();
  if (ButtonVisibleCount == 0 || (!active && t == ebtHideInactive) || (!active && !hot && t == ebtHideUnselected)) {
    AViewInfo->SetButtonCount(0);
    return;
  }
  bool wasNativeDropDown = !AViewInfo->ButtonsInfo.empty() && AViewInfo->ButtonsInfo[0]->Data.NativeDropDown;
  AViewInfo->SetButtonCount(ButtonVisibleCount);
  AViewInfo->IsButtonReallyPressed = false;
  Integer rememberedPressed = AIsMouseEvent ? AViewInfo->PressedButton : -1;
  AViewInfo->PressedButton = -1;
  AViewInfo->SelectedButton = -1;
  LeftLeftmost = LeftRightmost = RightLeftmost = RightRightmost = -1;

  TRect avail;
  if (!IsInplace && NativeStyle && cxDwmCompositionOn() && wasNativeDropDown) {
    avail = ABounds;
  } else {
    TRect c;
    GetClientExtent(ACanvas, c);
    avail = Deflated(ABounds, c);
  }
  TcxEditButtonStyle bstyle = ResolveButtonsStyle();
  bool textPrepared = false;
  TcxEditButtons* buttons = Properties->Buttons();
  Integer vis = ButtonVisibleCount;
  for (Integer i = buttons->Count() - 1; i >= 0; --i) {
    TcxEditButton* b = buttons->Items(i);
    if (!b->Visible()) continue;
    --vis;
    if (b->Kind() == bkText && !textPrepared && ACanvas) {
      ACanvas->Font()->Assign(Style->GetVisibleTextFont());
      AViewInfo->PrepareButtonTextCanvas(ACanvas);
      textPrepared = true;
    }
    TcxEditButtonViewInfo* bvi = AViewInfo->ButtonsInfo[vis].get();
    bvi->ButtonIndex = i;
    bvi->Data.Style = bstyle;
    CalculateButtonViewInfo(ACanvas, AViewInfo, avail, vis);
    CalculateButtonBounds(ACanvas, AViewInfo, avail, vis);
  }
  if (ButtonsFillWidth) {
    Integer used = 0;
    for (auto& b : AViewInfo->ButtonsInfo) used += b->Bounds.Right - b->Bounds.Left;
    StretchButtons(AViewInfo, used + std::max<Integer>(0, avail.Right - avail.Left), avail.Right - avail.Left);
  }

  // States.
  bool leftHeld = Shift.Contains(ssLeft);
  bool noMouse = !leftHeld && !Shift.Contains(ssRight) && !Shift.Contains(ssMiddle);
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TcxEditButtonViewInfo* bvi = AViewInfo->ButtonsInfo[i].get();
    TcxEditButton* b = buttons->Items(bvi->ButtonIndex);
    Integer prev = bvi->Data.State;
    bool forced = IsButtonForcedPressed(AViewInfo, i);
    bool f1 = AButton == 0 && leftHeld && prev == 1 && Edit && Edit->CapturedPressedButton() == i;
    bool f2 = AButton == 1 && OnlyLeft(Shift);
    bool f3 = prev == 2 && leftHeld;
    Integer state;
    if (!Enabled || !b->Enabled()) {
      state = 0;
    } else if (!forced && (IsDesigning || !InRect(bvi->VisibleBounds, P))) {
      state = 1;
    } else {
      if (forced || f1 || f2 || f3) AViewInfo->IsButtonReallyPressed = true;
      if (!forced && noMouse && !f1) {
        state = 3;
        AViewInfo->SelectedButton = i;
      } else if (forced || (f1 && CanPressButton(AViewInfo, i)) ||
                 (OnlyLeft(Shift) && ((AButton == 1 && CanPressButton(AViewInfo, i)) || i == rememberedPressed)) || f3) {
        state = 2;
      } else {
        state = 1;
      }
      if (state == 2) AViewInfo->PressedButton = i;
    }
    if (OnButtonState) OnButtonState(AViewInfo, state);
    bvi->Data.State = state;
    CalculateNativeInfo(bvi, AViewInfo);
  }

  // Edge flags.
  auto flag = [&](Integer i, bool left) {
    if (i < 0) return;
    (left ? AViewInfo->ButtonsInfo[i]->Data.Leftmost : AViewInfo->ButtonsInfo[i]->Data.Rightmost) = true;
  };
  flag(LeftLeftmost, true);
  if (!(ButtonsFillWidth && RightLeftmost >= 0)) flag(LeftRightmost, false);
  if (!(ButtonsFillWidth && LeftLeftmost >= 0)) flag(RightLeftmost, true);
  flag(RightRightmost, false);
  if (ButtonsFillWidth)
    for (auto& b : AViewInfo->ButtonsInfo) b->Data.LeftAlignment = false;
}

void TcxCustomEditViewData::CalculateButtonViewInfo(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                    TRect& ABounds, Integer AButtonVisibleIndex) {
  TcxEditButtonViewInfo* bvi = AViewInfo->ButtonsInfo[AButtonVisibleIndex].get();
  TcxEditButton* b = Properties->Buttons()->Items(bvi->ButtonIndex);
  TcxEditButtonViewInfoData& d = bvi->Data;
  d.Kind = b->Kind();
  d.NativeDropDown = ButtonVisibleCount == 1 && b->Kind() == bkDown;
  if (b->Kind() == bkText) {
    d.Caption = b->Caption();
    d.TextColor = AViewInfo->OnGetButtonTextColor ? AViewInfo->OnGetButtonTextColor(bvi->ButtonIndex) : b->TextColor();
    d.VisibleCaption = b->VisibleCaption();
  }
  d.ContentAlignment = b->ContentAlignment();
  d.Default = b->Default();
  d.Glyph = b->HasGlyph() ? b->Glyph() : nullptr;
  d.EraseBackground = AViewInfo->EraseBackground;
  d.Gradient = Style->GradientButtons();
  d.IsInplace = IsInplace;
  d.LeftAlignment = b->LeftAlignment();
  d.Leftmost = d.Rightmost = false;
  d.NativeStyle = AViewInfo->NativeStyle;
  bvi->Stretchable = b->Stretchable();
  bvi->Width = b->Width() ? b->Width() : GetDefaultButtonWidth(bvi->ButtonIndex);
  TcxEditButtonTransparency t = Style->ButtonTransparency();
  d.Transparent = t == ebtAlways || (t == ebtInactive && !ActiveOrHot);
  d.BackgroundColor = AViewInfo->BackgroundColor;
}

void TcxCustomEditViewData::CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                  TRect& ABounds, Integer AButtonVisibleIndex) {
  TcxEditButtonViewInfo* bvi = AViewInfo->ButtonsInfo[AButtonVisibleIndex].get();
  if (ABounds.Right <= ABounds.Left || ABounds.Bottom <= ABounds.Top) {
    bvi->Bounds = bvi->VisibleBounds = TRect();
    return;
  }
  TcxEditButtonMetrics m;
  m.Native = bvi->Data.NativeStyle;
  m.ComboStyle = bvi->Data.NativeDropDown;
  m.Kind = bvi->Data.Kind;
  m.Glyph = bvi->Data.Glyph;
  m.Caption = bvi->Data.VisibleCaption;
  m.FixedWidth = bvi->Width;
  Integer w = cxCalcEditButtonWidth(ACanvas ? ACanvas : cxSharedScreenCanvas(), m);
  Integer visible = std::min<Integer>(w, ABounds.Right - ABounds.Left);
  bool left = bvi->Data.LeftAlignment && !ButtonsFillWidth;
  if (left) {
    bvi->Bounds = TRect(ABounds.Left, ABounds.Top, ABounds.Left + w, ABounds.Bottom);
    bvi->VisibleBounds = TRect(ABounds.Left, ABounds.Top, ABounds.Left + visible, ABounds.Bottom);
    ABounds.Left += visible;
    if (LeftLeftmost < 0) LeftLeftmost = AButtonVisibleIndex;
    LeftRightmost = AButtonVisibleIndex;
  } else {
    bvi->Bounds = TRect(ABounds.Right - w, ABounds.Top, ABounds.Right, ABounds.Bottom);
    bvi->VisibleBounds = TRect(ABounds.Right - visible, ABounds.Top, ABounds.Right, ABounds.Bottom);
    ABounds.Right -= visible;
    if (RightRightmost < 0) RightRightmost = AButtonVisibleIndex;
    RightLeftmost = AButtonVisibleIndex;
  }
}

void TcxCustomEditViewData::StretchButtons(TcxCustomEditViewInfo* AViewInfo, Integer AFullWidth, Integer AFreeWidth) {
  if (!ButtonsFillWidth || AFreeWidth <= 0 || AViewInfo->ButtonsInfo.empty()) return;
  std::vector<Integer> cand;
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i)
    if (AViewInfo->ButtonsInfo[i]->Stretchable && !IsButtonStretchExcluded(i)) cand.push_back(i);
  if (cand.empty())
    for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) cand.push_back(i);
  Integer sum = 0;
  for (Integer i : cand) sum += AViewInfo->ButtonsInfo[i]->Bounds.Right - AViewInfo->ButtonsInfo[i]->Bounds.Left;
  if (sum <= 0) return;
  Integer left = AFreeWidth;
  std::vector<Integer> extra(AViewInfo->ButtonCount(), 0);
  for (size_t k = cand.size(); k-- > 0;) {
    Integer i = cand[k];
    Integer w = AViewInfo->ButtonsInfo[i]->Bounds.Right - AViewInfo->ButtonsInfo[i]->Bounds.Left;
    extra[i] = k == 0 ? left : Integer(int64_t(w) * AFreeWidth / sum);
    left -= extra[i];
  }
  // All buttons stand right-aligned: a grown button extends left, towards
  // the content, and the buttons between it and the content move along.
  for (Integer i = AViewInfo->ButtonCount() - 1; i >= 0; --i) {
    Integer shift = 0;
    for (Integer j = i + 1; j < AViewInfo->ButtonCount(); ++j) shift += extra[j];
    auto& b = AViewInfo->ButtonsInfo[i];
    b->Bounds.Right -= shift;
    b->Bounds.Left -= shift + extra[i];
    b->VisibleBounds = b->Bounds;
  }
}

void TcxCustomEditViewData::CalculateNativeInfo(TcxEditButtonViewInfo* AButton, TcxCustomEditViewInfo* AViewInfo) {
  AButton->Data.NativePart = 0;
  AButton->Data.NativeState = 0;
  AButton->Data.PartiallyTransparent = false;
  if (!AViewInfo->NativeStyle) return;
  HTHEME theme = ThemeServices()->Theme(AButton->Data.NativeDropDown ? teComboBox : teButton);
  if (!theme) return;
  Integer part = 1;
  if (AButton->Data.NativeDropDown && !IsInplace && cxDwmCompositionOn()) part = AButton->Data.LeftAlignment ? 7 : 6;
  static const Integer kStates[] = {4, 1, 3, 2};
  AButton->Data.NativePart = part;
  AButton->Data.NativeState = kStates[std::clamp<Integer>(AButton->Data.State, 0, 3)];
  AButton->Data.PartiallyTransparent = IsThemeBackgroundPartiallyTransparent(theme, part, AButton->Data.NativeState);
}

TSize TcxCustomEditViewData::GetTextOffsetsSize() {
  const TRect& o = ContentParams.Offsets;
  return TSize{o.Left + o.Right + ContentParams.SizeCorrectionX, o.Top + o.Bottom + ContentParams.SizeCorrectionY};
}

void TcxCustomEditViewData::PrepareDisplayText(const Variant& AEditValue, String& AText) {
  GetValueDisplayText(AEditValue, AText);
  if (OnGetDisplayText) OnGetDisplayText(this, AText);
}

void TcxCustomEditViewData::GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace,
                                             const TcxEditSizeProperties& ASizeProperties,
                                             TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                             TSize& AFixedSize) {
  AFixedSize.cx = (AViewInfo->Bounds.Right - AViewInfo->Bounds.Left) - (AViewInfo->ClientRect.Right - AViewInfo->ClientRect.Left);
  AFixedSize.cy = (AViewInfo->Bounds.Bottom - AViewInfo->Bounds.Top) - (AViewInfo->ClientRect.Bottom - AViewInfo->ClientRect.Top);
  Integer tallest = 0;
  TcxEditButtons* buttons = Properties->Buttons();
  for (Integer i = 0; i < buttons->Count(); ++i) {
    TcxEditButton* b = buttons->Items(i);
    if (!b->Visible()) continue;
    if (b->Kind() == bkGlyph && b->HasGlyph() && cxIsGlyphUsable(b->Glyph())) tallest = std::max(tallest, b->Glyph()->Height());
    if (AIsInplace && b->Kind() == bkText && ACanvas) {
      ACanvas->Font()->Assign(Style->GetVisibleTextFont());
      tallest = std::max(tallest, ACanvas->TextHeight(b->VisibleCaption()));
    }
  }
  if (tallest > 0) {
    if (!AViewInfo->Painter) {
      TRect c;
      GetClientExtent(ACanvas, c);
      tallest += c.Top + c.Bottom;
    }
    tallest += cxEditButtonsContentVerticalOffset(ACanvas, ResolveButtonsStyle(), NativeStyle);
    AMinContentSize.cy = std::max<Integer>(0, tallest - AFixedSize.cy);
  }
}

void TcxCustomEditViewData::GetFixedPartSizeEx(TcxCanvas* ACanvas, const TcxEditSizeProperties& ASizeProperties,
                                               TSize& AFixedSize, TcxCustomEditViewInfo* AViewInfo,
                                               TSize& AMinContentSize) {
  std::unique_ptr<TcxCustomEditViewInfo> temp;
  if (!AViewInfo) {
    temp.reset(Properties->CreateViewInfo());
    AViewInfo = temp.get();
    Calculate(ACanvas, TRect(0, 0, INT_MAX / 2, INT_MAX / 2), TPoint(-1, -1), 0, {}, AViewInfo, false);
  }
  GetFixedPartSize(ACanvas, IsInplace, ASizeProperties, AViewInfo, AMinContentSize, AFixedSize);
}

void TcxCustomEditViewData::GetContentSize(TcxCanvas* ACanvas, const Variant& AEditValue, TSize& AContentSize,
                                           const TcxEditSizeProperties& ASizeProperties) {
  if (Properties->ButtonsViewStyle() != bvsNormal) {
    TSize o = GetTextOffsetsSize();
    TcxCanvas* c = ACanvas ? ACanvas : cxSharedScreenCanvas();
    c->Font()->Assign(Style->GetVisibleTextFont());
    AContentSize = TSize{0, o.cy + c->TextHeight("Zg")};
  } else {
    AContentSize = GetEditContentSize(ACanvas, AEditValue, ASizeProperties);
  }
}

void TcxCustomEditViewData::GetEditSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                        const TcxEditSizeProperties& ASizeProperties, TSize& ASize,
                                        TcxCustomEditViewInfo* AViewInfo) {
  TSize fixed{0, 0}, minContent{0, 0};
  GetFixedPartSizeEx(ACanvas, ASizeProperties, fixed, AViewInfo, minContent);
  TcxEditSizeProperties sp = ASizeProperties;
  bool negative = false;
  if (sp.Width >= 0) {
    sp.Width -= fixed.cx;
    if (sp.Width < 0) {
      sp.Width = 0;
      negative = true;
    }
  }
  TSize content{0, 0};
  GetContentSize(ACanvas, AEditValue, content, sp);
  cxEnlargeSize(content, minContent);
  ASize.cx = negative ? ASizeProperties.Width : fixed.cx + content.cx;
  ASize.cy = fixed.cy + content.cy;
  if (Edit && !IsInplace) {
    TSizeConstraints* c = Edit->Constraints();
    if (c->MaxHeight() > 0) ASize.cy = std::min<Integer>(ASize.cy, c->MaxHeight());
    if (c->MinHeight() > 0) ASize.cy = std::max<Integer>(ASize.cy, c->MinHeight());
    if (c->MaxWidth() > 0) ASize.cx = std::min<Integer>(ASize.cx, c->MaxWidth());
    if (c->MinWidth() > 0) ASize.cx = std::max<Integer>(ASize.cx, c->MinWidth());
  }
}
