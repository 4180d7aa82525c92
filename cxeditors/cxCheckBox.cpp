#include "cxCheckBox.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "Graphics.h"
#include "SysUtils.h"
#include "cxEditPaintUtils.h"
#include "cxGraphics.h"
#include "dxThemeManager.h"

#include <uxtheme.h>

TOVANI_IMPLEMENT_ENUM_INFO(TcxCheckBoxNullValueShowingStyle, "nssUnchecked", "nssInactive", "nssGrayedChecked")
TOVANI_IMPLEMENT_ENUM_INFO(TcxCheckStatesValueFormat, "cvfCaptions", "cvfIndices", "cvfInteger", "cvfStatesString")
TOVANI_IMPLEMENT_ENUM_INFO(TcxCheckBoxState, "cbsUnchecked", "cbsChecked", "cbsGrayed")

// ---------------------------------------------------------------------------
// Check states as one value

namespace {

// Reads the text of the value formats from left to right.
struct TStatesReader {
  const String& S;
  size_t Pos = 0;
  bool AtEnd() const { return Pos >= S.size(); }
  bool Take(char C) {
    if (AtEnd() || S[Pos] != C) return false;
    ++Pos;
    return true;
  }
  // Unsigned decimal up to 2147483647.
  bool Number(Integer& AValue) {
    size_t start = Pos;
    Int64 v = 0;
    while (!AtEnd() && S[Pos] >= '0' && S[Pos] <= '9') {
      v = v * 10 + (S[Pos] - '0');
      if (v > 2147483647) return false;
      ++Pos;
    }
    AValue = Integer(v);
    return Pos > start;
  }
};

String LowerAscii(String S) {
  for (char& c : S) c = char(std::tolower(static_cast<unsigned char>(c)));
  return S;
}

void WriteCaptions(const TcxCheckStates& AStates, IcxCheckStateItems* AItems, String& AText) {
  auto append = [&](TcxCheckBoxState AState) {
    bool any = false;
    for (size_t i = 0; i < AStates.size(); ++i) {
      if (AStates[i] != AState) continue;
      String c = AItems->GetCaption(Integer(i));
      AText += IntToStr(Integer(c.size())) + ":" + c;
      any = true;
    }
    return any;
  };
  append(cbsGrayed);
  String checked;
  std::swap(checked, AText);
  bool anyChecked = append(cbsChecked);
  std::swap(checked, AText);
  if (anyChecked) AText += ";" + checked;
}

bool ReadCaptions(const String& AText, IcxCheckStateItems* AItems, TcxCheckStates& AStates) {
  // Caption (case-insensitive) to the states read for it, in text order.
  std::multimap<String, TcxCheckBoxState> entries;
  TStatesReader r{AText};
  TcxCheckBoxState state = cbsGrayed;
  bool semicolon = false;
  while (!r.AtEnd()) {
    if (!semicolon && r.Take(';')) {
      semicolon = true;
      state = cbsChecked;
      continue;
    }
    Integer len;
    if (!r.Number(len) || !r.Take(':') || r.Pos + size_t(len) > AText.size()) return false;
    entries.emplace(LowerAscii(AText.substr(r.Pos, size_t(len))), state);
    r.Pos += size_t(len);
  }
  for (Integer i = 0; i < Integer(AStates.size()); ++i) {
    auto it = entries.find(LowerAscii(AItems->GetCaption(i)));
    if (it == entries.end()) continue;
    AStates[size_t(i)] = it->second;
    entries.erase(it);
  }
  return entries.empty();
}

void WriteIndices(const TcxCheckStates& AStates, String& AText) {
  auto list = [&](TcxCheckBoxState AState) {
    String s;
    for (size_t i = 0; i < AStates.size(); ++i)
      if (AStates[i] == AState) s += (s.empty() ? "" : ",") + IntToStr(Integer(i));
    return s;
  };
  AText = list(cbsGrayed);
  if (std::find(AStates.begin(), AStates.end(), cbsChecked) != AStates.end()) AText += ";" + list(cbsChecked);
}

bool ReadIndices(const String& AText, TcxCheckStates& AStates) {
  TStatesReader r{AText};
  TcxCheckBoxState state = cbsGrayed;
  bool semicolon = false, expectNumber = true;
  while (!r.AtEnd()) {
    if (!semicolon && r.Take(';')) {
      semicolon = true;
      state = cbsChecked;
      expectNumber = true;
      continue;
    }
    if (!expectNumber && !r.Take(',')) return false;
    Integer index;
    if (!r.Number(index) || index >= Integer(AStates.size())) return false;
    AStates[size_t(index)] = state;
    expectNumber = false;
  }
  return true;
}

bool ReadInteger(const Variant& AValue, TcxCheckStates& AStates) {
  Int64 bits = 0;
  if (VarIsStr(AValue)) {
    String s = AValue.AsString();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (s.empty() || errno != 0 || *end != 0 || std::isspace(static_cast<unsigned char>(s[0]))) return false;
    bits = v;
  } else if (VarIsNumeric(AValue) || VarIsType(AValue, varDate)) {
    try {
      bits = AValue.AsInt64();
    } catch (const Exception&) {
      return false;
    }
  } else {
    return false;
  }
  for (size_t i = 0; i < AStates.size() && i < 64; ++i)
    if ((bits >> i) & 1) AStates[i] = cbsChecked;
  return true;
}

bool ReadStatesString(const String& AText, TcxCheckStates& AStates) {
  for (size_t i = 0; i < AStates.size() && i < AText.size(); ++i) {
    char c = AText[i];
    if (c < '0' || c > '2') return false;
    AStates[i] = TcxCheckBoxState(c - '0');
  }
  return true;
}

}  // namespace

void cxCheckStatesToEditValue(const TcxCheckStates& AStates, IcxCheckStateItems* AItems, TcxCheckStatesValueFormat AFormat,
                              Variant& AValue) {
  AValue = Null();
  String text;
  switch (AFormat) {
    case cvfCaptions:
      WriteCaptions(AStates, AItems, text);
      AValue = Variant(text);
      break;
    case cvfIndices:
      WriteIndices(AStates, text);
      AValue = Variant(text);
      break;
    case cvfInteger: {
      Int64 bits = 0;
      for (size_t i = 0; i < AStates.size() && i < 64; ++i)
        if (AStates[i] == cbsChecked) bits |= Int64(1) << i;
      AValue = Variant(bits);
      break;
    }
    case cvfStatesString:
      for (TcxCheckBoxState s : AStates) text += char('0' + Integer(s));
      AValue = Variant(text);
      break;
  }
}

bool cxEditValueToCheckStates(const Variant& AValue, IcxCheckStateItems* AItems, TcxCheckStatesValueFormat AFormat,
                              TcxCheckStates& AStates) {
  AStates.assign(size_t(std::max<Integer>(AItems->GetCount(), 0)), cbsUnchecked);
  if (AValue.IsNull() || AValue.IsEmpty() || (VarIsStr(AValue) && AValue.AsString().empty())) return true;
  bool ok = false;
  if (AFormat == cvfInteger) {
    ok = ReadInteger(AValue, AStates);
  } else if (VarIsStr(AValue) || VarIsNumeric(AValue)) {
    String text = VarToStr(AValue);
    if (AFormat == cvfCaptions)
      ok = ReadCaptions(text, AItems, AStates);
    else if (AFormat == cvfIndices)
      ok = ReadIndices(text, AStates);
    else
      ok = ReadStatesString(text, AStates);
  }
  if (!ok) std::fill(AStates.begin(), AStates.end(), cbsUnchecked);
  return ok;
}

// ---------------------------------------------------------------------------
// Drawing a check

Integer cxCheckGlyphImageIndex(TcxCheckBoxState AState, TcxCheckButtonState AButtonState, bool AAllowGrayed,
                               Integer AGlyphCount) {
  Integer perState = (AAllowGrayed || AGlyphCount % 3 == 0 || AGlyphCount % 2 == 1) ? 3 : 2;
  Integer index = Integer(AState) + (AButtonState == cxcbsPressed ? perState : 0);
  if (index >= AGlyphCount && index >= perState) index %= perState;
  return index;
}

bool cxIsCheckGlyphUsable(TBitmap* AGlyph, Integer AGlyphCount) {
  return AGlyph && AGlyphCount > 0 && !AGlyph->Empty();
}

Integer cxCheckFrameInset(TcxEditBorderStyle ABorderStyle) {
  switch (ABorderStyle) {
    case ebsNone:
      return 2;
    case ebsSingle:
    case ebsUltraFlat:
    case ebsOffice11:
      return 1;
    default:
      return 0;
  }
}

Integer cxCheckListFrameInset(TcxLookAndFeelKind AKind) {
  return AKind == lfUltraFlat || AKind == lfOffice11 ? 1 : 0;
}

namespace {
bool CheckThemeUsable() { return dxCanUseTheme(totButton); }
}  // namespace

TSize cxCalcEditCheckSize(TcxCanvas* ACanvas, bool ANativeStyle, TBitmap* AGlyph, Integer AGlyphCount) {
  if (cxIsCheckGlyphUsable(AGlyph, AGlyphCount)) return TSize(AGlyph->Width() / AGlyphCount, AGlyph->Height());
  if (ANativeStyle && CheckThemeUsable()) {
    SIZE sz{};
    HTHEME theme = dxOpenThemeHandle(totButton);
    if (theme && SUCCEEDED(GetThemePartSize(theme, ACanvas ? ACanvas->Handle() : nullptr, BP_CHECKBOX,
                                            CBS_UNCHECKEDNORMAL, nullptr, TS_TRUE, &sz)) &&
        sz.cx > 0)
      return TSize(sz.cx, sz.cy);
  }
  return cxStandardPainter()->CalcCheckBoxSize();
}

namespace {

void PaintGlyph(TcxCanvas* ACanvas, const TRect& R, const TcxCheckPaintParams& P) {
  Integer index = cxCheckGlyphImageIndex(P.State, P.ButtonState, P.AllowGrayed, P.GlyphCount);
  Integer w = P.Glyph->Width() / P.GlyphCount, h = P.Glyph->Height();
  TBitmap image;
  image.SetWidth(w);
  image.SetHeight(h);
  image.Canvas()->CopyRect(TRect(0, 0, w, h), P.Glyph->Canvas(), TRect(index * w, 0, index * w + w, h));
  image.SetTransparent(true);
  image.SetTransparentColor(TColor(GetPixel(image.Canvas()->Handle(), 0, h - 1)));
  Integer top = R.Top + (R.Bottom - R.Top - h) / 2;
  ACanvas->Canvas()->Draw(R.Left, top, &image);
}

void PaintNative(TcxCanvas* ACanvas, const TRect& R, const TcxCheckPaintParams& P) {
  HTHEME theme = dxOpenThemeHandle(totButton);
  RECT rc = *R.AsRECT();
  Integer state = 1 + 4 * Integer(P.State) + Integer(P.ButtonState);
  if (P.DrawBackground) ACanvas->FillRectColor(R, P.BackgroundColor);
  DrawThemeBackground(theme, ACanvas->Handle(), BP_CHECKBOX, state, &rc, nullptr);
}

// The frame of the check by the look; R moves inside it.
void PaintFrame(TcxCanvas* ACanvas, TRect& R, const TcxCheckPaintParams& P) {
  Integer inset = cxCheckFrameInset(P.BorderStyle);
  if (P.DrawBackground && inset > 0) {
    ACanvas->DrawRectBorders(R, P.BackgroundColor, inset, cxBordersAll);
    R = cxInflatedRect(R, -inset, -inset);
  }
  bool disabled = P.ButtonState == cxcbsDisabled;
  switch (P.BorderStyle) {
    case ebsSingle:
      ACanvas->DrawRectBorders(R, P.BorderColor, 1, cxBordersAll);
      R = cxInflatedRect(R, -1, -1);
      break;
    case ebsThick:
      ACanvas->DrawRectBorders(R, P.BorderColor, 2, cxBordersAll);
      R = cxInflatedRect(R, -2, -2);
      break;
    case ebsFlat:
      ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
      R = cxInflatedRect(R, -1, -1);
      ACanvas->DrawRectBorders(R, clBtnFace, 1, cxBordersAll);
      R = cxInflatedRect(R, -1, -1);
      break;
    case ebs3D:
      ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
      R = cxInflatedRect(R, -1, -1);
      ACanvas->DrawTwoColorFrame(R, cl3DDkShadow, cl3DLight);
      R = cxInflatedRect(R, -1, -1);
      break;
    case ebsUltraFlat:
    case ebsOffice11: {
      bool office = P.BorderStyle == ebsOffice11;
      bool active = P.ButtonState == cxcbsHot || P.ButtonState == cxcbsPressed ||
                    (!disabled && (P.Focused || P.IsDesigning));
      TColor c = active ? cxEditHotBorderColor(office) : clBtnShadow;
      if (office && P.ButtonState == cxcbsNormal && !P.Focused && !P.IsDesigning) c = clBtnText;
      ACanvas->DrawRectBorders(R, c, 1, cxBordersAll);
      R = cxInflatedRect(R, -1, -1);
      break;
    }
    default:
      break;
  }
}

void PaintContent(TcxCanvas* ACanvas, const TRect& AContent, TcxCheckBoxState AState, const TcxCheckPaintParams& P) {
  bool disabled = P.ButtonState == cxcbsDisabled;
  bool marked = AState == cbsChecked || (AState == cbsGrayed && P.NullStyle == nssGrayedChecked);
  if (P.BorderStyle == ebsUltraFlat || P.BorderStyle == ebsOffice11) {
    bool office = P.BorderStyle == ebsOffice11;
    TColor fill = clWindow;
    if (disabled || (AState == cbsGrayed && P.NullStyle == nssInactive))
      fill = clBtnFace;
    else if (P.ButtonState == cxcbsHot || P.ButtonState == cxcbsPressed)
      fill = cxFlatButtonStateColor(P.ButtonState == cxcbsPressed, office);
    ACanvas->FillRectColor(AContent, fill);
    if (marked) {
      TColor mark = disabled || AState == cbsGrayed ? clBtnShadow : clBtnText;
      ACanvas->Brush()->SetStyle(bsClear);
      cxStandardPainter()->PaintCheckMark(ACanvas, AContent, cxbsNormal, true, mark);
      ACanvas->Brush()->SetStyle(bsSolid);
    }
    return;
  }
  // The system's check button, clipped to the content.
  UINT flags = DFCS_BUTTONCHECK;
  if (disabled) {
    flags |= DFCS_PUSHED | DFCS_BUTTON3STATE | (marked ? DFCS_CHECKED : DFCS_INACTIVE);
  } else {
    if (AState == cbsChecked) flags |= DFCS_CHECKED;
    if (AState == cbsGrayed) {
      if (P.NullStyle == nssInactive) flags |= DFCS_INACTIVE;
      if (P.NullStyle == nssGrayedChecked) flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    }
    if (P.ButtonState == cxcbsPressed) flags |= DFCS_PUSHED;
  }
  if (P.BorderStyle != ebs3D) flags |= DFCS_FLAT;
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(AContent);
  RECT rc = *cxInflatedRect(AContent, 2, 2).AsRECT();
  DrawFrameControl(ACanvas->Handle(), &rc, DFC_BUTTON, flags);
  ACanvas->PopClipRegion();
}

}  // namespace

void cxPaintEditCheckBox(TcxCanvas* ACanvas, const TRect& ACheckRect, const TcxCheckPaintParams& AParams) {
  TcxCheckBoxState state = AParams.State;
  if (state == cbsGrayed && AParams.NullStyle == nssUnchecked) state = cbsUnchecked;
  TcxCheckPaintParams p = AParams;
  p.State = state;
  if (cxIsCheckGlyphUsable(p.Glyph, p.GlyphCount)) {
    PaintGlyph(ACanvas, ACheckRect, p);
    return;
  }
  if (p.NativeStyle && CheckThemeUsable()) {
    PaintNative(ACanvas, ACheckRect, p);
    return;
  }
  TRect r = ACheckRect;
  PaintFrame(ACanvas, r, p);
  PaintContent(ACanvas, r, state, p);
}

// ---------------------------------------------------------------------------
// The check box editor

#include "ActnList.h"
#include "Forms.h"
#include "Menus.h"
#include "Messages.h"
#include "Streaming.h"
#include "TypInfo.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomCheckBoxProperties, TcxCustomEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCheckBoxProperties, TcxCustomCheckBoxProperties)
TOVANI_IMPLEMENT_CLASS(TcxCheckBoxStyle, TcxEditStyle)
TOVANI_IMPLEMENT_CLASS(TcxCustomCheckBoxViewInfo, TcxCustomEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomCheckBoxViewData, TcxCustomEditViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomCheckBox, TcxCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCheckBox, TcxCustomCheckBox)
TOVANI_IMPLEMENT_CLASS(TcxCheckBoxActionLink, TWinControlActionLink)
TOVANI_IMPLEMENT_CLASS(TcxFilterCheckBoxHelper, TcxFilterComboBoxHelper)

namespace {
const TcxResourceString cxSEditCheckBoxChecked{"True"};
const TcxResourceString cxSEditCheckBoxGrayed{""};
const TcxResourceString cxSEditCheckBoxUnchecked{"False"};
const TcxResourceString scxSEditRepositoryCheckBoxItem{
    "CheckBox|Represents a check box control that allows selecting an option"};

struct TCheckFlagGuard {
  bool& F;
  bool Old;
  TCheckFlagGuard(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~TCheckFlagGuard() { F = Old; }
};
}  // namespace

TcxContainerStyleFactory TcxCheckBoxStyle::Factory() {
  return [](TPersistent* AOwner, bool ADirect, TcxContainerStyle* AParent, TcxContainerStateItem AState) {
    cxEditUnitStartup();
    return new TcxCheckBoxStyle(AOwner, ADirect, AParent, AState);
  };
}

TcxCustomCheckBoxProperties::TcxCustomCheckBoxProperties(TPersistent* AOwner)
    : TcxCustomEditProperties(AOwner),
      FDisplayChecked(cxLoadResourceText(cxSEditCheckBoxChecked)),
      FDisplayGrayed(cxLoadResourceText(cxSEditCheckBoxGrayed)),
      FDisplayUnchecked(cxLoadResourceText(cxSEditCheckBoxUnchecked)),
      FValueChecked(true),
      FValueGrayed(Null()),
      FValueUnchecked(false) {
  cxCheckBoxUnitStartup();
}

TcxCustomCheckBoxProperties::~TcxCustomCheckBoxProperties() = default;

bool TcxCustomCheckBoxProperties::OwnerLoading() {
  auto* c = dynamic_cast<TComponent*>(GetOwner());
  return c && c->ComponentState().Contains(csLoading);
}

void TcxCustomCheckBoxProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomCheckBoxProperties*>(Source);
  if (!s) {
    TcxCustomEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomEditProperties::Assign(Source);
    SetAllowGrayed(s->FAllowGrayed);
    SetDisplayChecked(s->FDisplayChecked);
    SetDisplayGrayed(s->FDisplayGrayed);
    SetDisplayUnchecked(s->FDisplayUnchecked);
    SetFullFocusRect(s->FFullFocusRect);
    SetGlyph(s->FGlyph.get());
    SetGlyphCount(s->FGlyphCount);
    SetMultiLine(s->FMultiLine);
    SetNullStyle(s->FNullStyle);
    SetUseAlignmentWhenInplace(s->FUseAlignmentWhenInplace);
    // The three values go together, and only as a usable set.
    bool distinct = !cxVarEqualsStrict(s->FValueChecked, s->FValueGrayed) &&
                    !cxVarEqualsStrict(s->FValueChecked, s->FValueUnchecked) &&
                    !cxVarEqualsStrict(s->FValueGrayed, s->FValueUnchecked);
    if (distinct && !s->FValueChecked.IsNull() && !s->FValueUnchecked.IsNull()) {
      FValueChecked = s->FValueChecked;
      FValueGrayed = s->FValueGrayed;
      FValueUnchecked = s->FValueUnchecked;
      Changed();
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomCheckBoxProperties::DefineProperties(TFiler* Filer) {
  TcxCustomEditProperties::DefineProperties(Filer);
  // Old streams carry the caption in the properties.
  Filer->DefineProperty(
      "Caption",
      [this](TReader* R) {
        FCaption = R->ReadString();
        FCaptionAssigned = true;
      },
      nullptr, false);
}

bool TcxCustomCheckBoxProperties::TakeStreamedCaption(String& ACaption) {
  if (!FCaptionAssigned) return false;
  FCaptionAssigned = false;
  ACaption = FCaption;
  return true;
}

TBitmap* TcxCustomCheckBoxProperties::Glyph() {
  if (!FGlyph) {
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->OnChange = [this](TObject*) { Changed(); };
  }
  return FGlyph.get();
}

void TcxCustomCheckBoxProperties::SetGlyph(TBitmap* Value) {
  if (!Value) {
    if (FGlyph) {
      FGlyph.reset();
      Changed();
    }
    return;
  }
  Glyph()->Assign(Value);
}

void TcxCustomCheckBoxProperties::SetGlyphCount(Integer Value) {
  if (FGlyphCount == Value) return;
  FGlyphCount = Value;
  if (FGlyph) Changed();
}

bool TcxCustomCheckBoxProperties::ValueInUse(const Variant& AValue) const {
  return cxVarEqualsStrict(AValue, FValueChecked) || cxVarEqualsStrict(AValue, FValueGrayed) ||
         cxVarEqualsStrict(AValue, FValueUnchecked);
}

void TcxCustomCheckBoxProperties::SetValueChecked(const Variant& Value) {
  if (!OwnerLoading() && (Value.IsNull() || ValueInUse(Value))) return;
  FValueChecked = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetValueGrayed(const Variant& Value) {
  if (!OwnerLoading() && ValueInUse(Value)) return;
  FValueGrayed = Value;
  Changed();
}

void TcxCustomCheckBoxProperties::SetValueUnchecked(const Variant& Value) {
  if (!OwnerLoading() && (Value.IsNull() || ValueInUse(Value))) return;
  FValueUnchecked = Value;
  Changed();
}

TcxCheckBoxState TcxCustomCheckBoxProperties::StateOfValue(const Variant& AValue) const {
  if (cxVarEqualsStrict(AValue, FValueChecked)) return cbsChecked;
  if (cxVarEqualsStrict(AValue, FValueUnchecked)) return cbsUnchecked;
  return cbsGrayed;
}

const Variant& TcxCustomCheckBoxProperties::ValueOfState(TcxCheckBoxState AState) const {
  switch (AState) {
    case cbsChecked:
      return FValueChecked;
    case cbsUnchecked:
      return FValueUnchecked;
    default:
      return FValueGrayed;
  }
}

bool TcxCustomCheckBoxProperties::SameDisplayValue(const Variant& V1, const Variant& V2) {
  return StateOfValue(V1) == StateOfValue(V2);
}

String TcxCustomCheckBoxProperties::GetDisplayText(const Variant& AEditValue, bool, bool) {
  switch (StateOfValue(AEditValue)) {
    case cbsChecked:
      return FDisplayChecked;
    case cbsUnchecked:
      return FDisplayUnchecked;
    default:
      return FDisplayGrayed;
  }
}

bool TcxCustomCheckBoxProperties::AcceptsEditValue(Variant& AEditValue, bool AEditFocused) {
  return TcxCustomEditProperties::AcceptsEditValue(AEditValue, AEditFocused) && ValueInUse(AEditValue);
}

void TcxCustomCheckBoxProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  ADisplayValue = Variant(Integer(StateOfValue(AEditValue)));
}

TClass TcxCustomCheckBoxProperties::GetContainerClass() { return TcxCheckBox::StaticClass(); }
TClass TcxCustomCheckBoxProperties::GetViewDataClass() { return TcxCustomCheckBoxViewData::StaticClass(); }
TClass TcxCustomCheckBoxProperties::GetViewInfoClass() { return TcxCustomCheckBoxViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomCheckBoxProperties::CreateViewInfo() { return new TcxCustomCheckBoxViewInfo(); }
TcxCustomEditViewData* TcxCustomCheckBoxProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                   bool APreviewMode) {
  auto* vd = new TcxCustomCheckBoxViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}
TcxContainerStyleFactory TcxCustomCheckBoxProperties::GetStyleFactory() { return TcxCheckBoxStyle::Factory(); }

// ---------------------------------------------------------------------------
// Layout

Integer TcxCustomCheckBoxViewData::GetTextFlags() {
  auto* p = static_cast<TcxCustomCheckBoxProperties*>(Properties);
  Integer flags = HorzAlignment == taCenter ? 4 : 1;
  flags |= 0x40 | 0x200;
  if (p->MultiLine()) flags = (flags & ~0x40) | 0x80 | 0x400;
  flags |= IsInplace || !p->MultiLine() ? 0x20 : 8;
  return flags;
}

void TcxCustomCheckBoxViewData::GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace,
                                                 const TcxEditSizeProperties& ASizeProperties,
                                                 TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                                 TSize& AFixedSize) {
  TcxCustomEditViewData::GetFixedPartSize(ACanvas, AIsInplace, ASizeProperties, AViewInfo, AMinContentSize, AFixedSize);
  auto* p = static_cast<TcxCustomCheckBoxProperties*>(Properties);
  TSize check = cxCalcEditCheckSize(ACanvas, NativeStyle, p->HasGlyph() ? p->Glyph() : nullptr, p->GlyphCount());
  ACanvas->SetFont(Style->GetVisibleTextFont());
  Integer textH = ACanvas->TextHeight(Caption.empty() ? String("Gg") : Caption);
  AFixedSize.cx = check.cx + (AIsInplace ? 4 : 4);
  if (!Caption.empty()) AFixedSize.cx += ACanvas->TextWidth(StripHotkey(Caption)) + 3 + 4;
  AFixedSize.cy = std::max<Integer>(check.cy + 4, textH + 4);
}

void TcxCustomCheckBoxViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                          TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = static_cast<TcxCustomCheckBoxViewInfo*>(AViewInfo);
  auto* p = static_cast<TcxCustomCheckBoxProperties*>(Properties);
  vi->Caption = Caption;
  vi->State = State;
  vi->NullStyle = p->NullStyle();
  vi->Glyph = p->HasGlyph() ? p->Glyph() : nullptr;
  vi->GlyphCount = p->GlyphCount();
  vi->AllowGrayed = p->AllowGrayed();
  switch (Style->LookAndFeel()->Kind()) {
    case lfFlat:
      vi->CheckBorderStyle = ebsFlat;
      break;
    case lfStandard:
      vi->CheckBorderStyle = ebs3D;
      break;
    case lfOffice11:
      vi->CheckBorderStyle = ebsOffice11;
      break;
    default:
      vi->CheckBorderStyle = ebsUltraFlat;
  }
  // The button state of the check.
  TRect border = vi->BorderRect;
  bool inside = P.X >= border.Left && P.X < border.Right && P.Y >= border.Top && P.Y < border.Bottom;
  if (!Enabled)
    vi->CheckButtonState = cxcbsDisabled;
  else if (SpacePressed)
    vi->CheckButtonState = cxcbsPressed;
  else if (!IsDesigning && inside) {
    bool left = (AIsMouseEvent && AButton == 1) || (Shift.Contains(ssLeft) && GetKeyState(VK_LBUTTON) < 0);
    if (!left)
      vi->CheckButtonState = cxcbsHot;
    else
      vi->CheckButtonState = (AIsMouseEvent || vi->CheckButtonState == cxcbsPressed) ? cxcbsPressed : cxcbsNormal;
  } else {
    vi->CheckButtonState = cxcbsNormal;
  }
  // Alignment and the two areas.
  bool inplace = IsInplace;
  TAlignment align = p->Alignment()->Horz();
  if (inplace && !p->ShowsCaptionInplace() && !p->UseAlignmentWhenInplace() && Caption.empty()) align = taCenter;
  vi->Alignment = align;
  HorzAlignment = align;
  // The client rectangle extended by the text editor's offsets: the check
  // box draws no border, so that is the whole editor.
  TRect text = vi->Bounds;
  TRect area = vi->Bounds;
  if (inplace) {
    if (align == taLeftJustify) {
      text.Right -= 2;
      if (!p->ShowsCaptionInplace()) area.Left += 2;
    } else if (align == taRightJustify) {
      text.Left += 2;
      if (!p->ShowsCaptionInplace()) area.Right -= 2;
    }
  } else {
    text = cxInflatedRect(text, -2, -2);
    if (!p->ShowsCaptionInplace()) text.Top -= 1;
    area = cxInflatedRect(area, -2, -2);
  }
  TSize check = cxCalcEditCheckSize(ACanvas, NativeStyle, vi->Glyph, vi->GlyphCount);
  TRect cr = area;
  if (check.cy < area.Bottom - area.Top) {
    cr.Top = area.Top + (area.Bottom - area.Top - check.cy) / 2;
    cr.Bottom = cr.Top + check.cy;
  }
  if (check.cx >= area.Right - area.Left) {
    text = TRect();
  } else if (align == taCenter) {
    cr.Left = area.Left + (area.Right - area.Left - check.cx) / 2;
    cr.Right = cr.Left + check.cx;
  } else if (align == taRightJustify) {
    cr.Right = area.Right;
    cr.Left = cr.Right - check.cx;
    text.Right = cr.Left - 3;
  } else {
    cr.Left = area.Left;
    cr.Right = cr.Left + check.cx;
    text.Left = cr.Right + 3;
  }
  vi->CheckRect = cr;
  vi->TextRect = text;
  vi->TextFlags = GetTextFlags();
  // The focus rectangle.
  vi->HasFocusRect = false;
  if (Focused) {
    if (inplace && align == taCenter) {
      vi->FocusRect = cxInflatedRect(vi->ClientRect, -1, -1);
      vi->HasFocusRect = true;
    } else if (!Caption.empty()) {
      TRect fr = text;
      if (!p->FullFocusRect()) {
        ACanvas->SetFont(Style->GetVisibleTextFont());
        TSize ext = ACanvas->TextExtent(StripHotkey(Caption));
        Integer top = text.Top + (text.Bottom - text.Top - ext.cy) / 2;
        fr = TRect(text.Left, top, std::min<Integer>(text.Left + ext.cx, text.Right), top + ext.cy);
      }
      vi->FocusRect = cxInflatedRect(fr, 1, 1);
      vi->HasFocusRect = true;
    }
  }
}

// ---------------------------------------------------------------------------
// Painting

void TcxCustomCheckBoxViewInfo::PaintContent(TcxCanvas* ACanvas) {
  if (!Transparent)
    ACanvas->FillRectColor(Bounds, BackgroundColor);
  else if (Edit)
    cxDrawParentImage(Edit, ACanvas, Bounds, true);
  TcxCheckPaintParams p;
  p.State = State;
  p.NullStyle = NullStyle;
  p.Focused = Focused;
  p.IsDesigning = IsDesigning;
  p.DrawBackground = !Transparent;
  p.BackgroundColor = BackgroundColor;
  p.BorderColor = clBtnShadow;
  p.NativeStyle = NativeStyle;
  p.BorderStyle = CheckBorderStyle;
  if (p.BorderStyle == ebsFlat && (CheckButtonState == cxcbsHot || CheckButtonState == cxcbsPressed))
    p.BorderStyle = ebs3D;
  p.GlyphCount = GlyphCount;
  p.Glyph = Glyph;
  p.ButtonState = CheckButtonState;
  p.AllowGrayed = AllowGrayed;
  cxPaintEditCheckBox(ACanvas, CheckRect, p);
  if (Alignment != taCenter && !Caption.empty() && !IsRectEmpty(TextRect)) {
    ACanvas->SetFont(Font ? Font : ACanvas->Font());
    ACanvas->Brush()->SetStyle(bsClear);
    TRect r = TextRect;
    UINT flags = DT_NOCLIP | (Alignment == taRightJustify ? DT_RIGHT : DT_LEFT);
    flags |= (TextFlags & 0x40) ? DT_SINGLELINE | DT_VCENTER : DT_WORDBREAK;
    if (!Enabled) {
      TRect shifted = r;
      OffsetRect(shifted, 1, 1);
      ACanvas->Font()->SetColor(clBtnHighlight);
      cxDrawTextInRect(ACanvas->Handle(), Caption, shifted, flags);
      ACanvas->Font()->SetColor(clBtnShadow);
    } else {
      ACanvas->Font()->SetColor(TextColor);
    }
    cxDrawTextInRect(ACanvas->Handle(), Caption, r, flags);
    ACanvas->Brush()->SetStyle(bsSolid);
  }
  if (HasFocusRect) ACanvas->DrawFocusRect(FocusRect);
}

void TcxCustomCheckBoxViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  TcxCustomEditViewInfo::AssignFrom(Source);
  if (auto* s = dynamic_cast<TcxCustomCheckBoxViewInfo*>(Source)) {
    State = s->State;
    CheckButtonState = s->CheckButtonState;
    CheckRect = s->CheckRect;
  }
}

void TcxCustomCheckBoxViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomEditViewInfo::MoveBy(DX, DY);
  OffsetRect(CheckRect, DX, DY);
  OffsetRect(FocusRect, DX, DY);
  OffsetRect(TextRect, DX, DY);
}

TcxRegion* TcxCustomCheckBoxViewInfo::GetRepaintRegion(TcxContainerViewInfo* Other) {
  TcxRegion* r = TcxCustomEditViewInfo::GetRepaintRegion(Other);
  auto* o = dynamic_cast<TcxCustomCheckBoxViewInfo*>(Other);
  if (o && (o->State != State || o->CheckButtonState != CheckButtonState)) r->CombineWith(CheckRect, rcmUnion);
  return r;
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomCheckBox::TcxCustomCheckBox(TComponent* AOwner, bool AIsInplace)
    : TcxCustomEdit(
          AOwner, AIsInplace,
          [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxCheckBoxProperties(O); },
          TcxCheckBoxStyle::Factory()) {
  SetControlStyle(ControlStyle() - csDoubleClicks);
  SetWidth(121);
  SetParentColor(true);
  SetEditValue(Properties()->ValueUnchecked());
}

TcxCheckBoxState TcxCustomCheckBox::State() { return ActiveProperties()->StateOfValue(EditValue()); }

void TcxCustomCheckBox::SetState(TcxCheckBoxState Value) {
  if (ComponentState().Contains(csLoading)) {
    FPendingState = Value;
    FHasPendingState = true;
    return;
  }
  if (Value == State()) return;
  Variant v;
  DisplayToEditValue(Variant(Integer(Value)), v, false);
  SetEditValueQuiet(v);
}

void TcxCustomCheckBox::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  Integer s = VarIsNumeric(ADisplayValue) ? ADisplayValue.AsInteger() : 2;
  AEditValue = ActiveProperties()->ValueOfState(TcxCheckBoxState(s < 0 || s > 2 ? 2 : s));
}

void TcxCustomCheckBox::GetDisplayText(String& AText) { AText = ActiveProperties()->GetDisplayText(EditValue()); }

void TcxCustomCheckBox::Toggle() {
  HoldChangeEvents(true);
  try {
    TCheckFlagGuard user(FUserAction, true);
    TcxCustomCheckBoxProperties* p = ActiveProperties();
    TcxCheckBoxState next;
    switch (State()) {
      case cbsUnchecked:
        next = p->AllowGrayed() ? cbsGrayed : cbsChecked;
        break;
      case cbsChecked:
        next = cbsUnchecked;
        break;
      default:
        next = cbsChecked;
    }
    Variant v;
    DisplayToEditValue(Variant(Integer(next)), v, false);
    InternalSetEditValue(v, true);
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  if (ActiveProperties()->ImmediatePost() && CanPostValue() && ValidateInput(true)) PostValue(false);
}

void TcxCustomCheckBox::InternalSetEditValue(const Variant& Value, bool AValidate) {
  TcxCheckBoxState old = State();
  TcxCustomEdit::InternalSetEditValue(Value, AValidate);
  TcxCheckBoxState now = State();
  CheckViewInfo()->State = now;
  if (now != old) {
    Click();
    NotifyChange();
    Invalidate();
  }
  UpdateStateFromCursor();
}

void TcxCustomCheckBox::PropertiesChanged(TObject* Sender) {
  String caption;
  if (Properties()->TakeStreamedCaption(caption)) SetCaption(caption);
  TcxCheckBoxState now = State();
  if (now != CheckViewInfo()->State) {
    CheckViewInfo()->State = now;
    if (!ActiveProperties()->IsChangingLocked()) {
      Click();
      NotifyChange();
    }
  }
  TcxCustomEdit::PropertiesChanged(Sender);
  Invalidate();
}

void TcxCustomCheckBox::UpdateDrawValue() {
  CheckViewInfo()->State = State();
  Invalidate();
}

void TcxCustomCheckBox::InitializeViewData(TcxCustomEditViewData* AViewData) {
  TcxCustomEdit::InitializeViewData(AViewData);
  if (auto* vd = dynamic_cast<TcxCustomCheckBoxViewData*>(AViewData)) {
    vd->SpacePressed = FSpacePressed;
    vd->Caption = Caption();
    vd->State = State();
  }
}

void TcxCustomCheckBox::GetEditSizeProperties(TcxEditSizeProperties& AProperties) {
  TcxCustomEdit::GetEditSizeProperties(AProperties);
  AProperties.MaxLineCount = ActiveProperties()->MultiLine() ? 0 : 1;
  AProperties.Width = CheckViewInfo()->TextRect.Right - CheckViewInfo()->TextRect.Left;
}

void TcxCustomCheckBox::Loaded() {
  TcxCustomEdit::Loaded();
  if (FHasPendingState) {
    FHasPendingState = false;
    SetState(FPendingState);
  } else if (!IsDataBound()) {
    // A stream without a state leaves the box unchecked (with the streamed
    // ValueUnchecked).
    SetState(cbsUnchecked);
  }
}

void TcxCustomCheckBox::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_SPACE && !IsInplace()) {
    if (CheckViewInfo()->CheckButtonState == cxcbsNormal || CheckViewInfo()->CheckButtonState == cxcbsHot) {
      FSpacePressed = true;
      UpdateStateFromCursor();
      Invalidate();
    }
    Key = 0;
    return;
  }
  TcxCustomEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomCheckBox::DoEditKeyPress(char32_t& Key) {
  if (Key == U' ') {
    if (IsInplace() && CheckViewInfo()->CheckButtonState == cxcbsNormal) Toggle();
    Key = 0;
    return;
  }
  TcxCustomEdit::DoEditKeyPress(Key);
}

void TcxCustomCheckBox::DoEditKeyUp(Word& Key, TShiftState Shift) {
  if (Key == VK_SPACE && FSpacePressed) {
    FSpacePressed = false;
    UpdateStateFromCursor();
    Invalidate();
    Toggle();
    Key = 0;
    return;
  }
  TcxCustomEdit::DoEditKeyUp(Key, Shift);
}

void TcxCustomCheckBox::DoExit() {
  FSpacePressed = false;
  TcxCustomEdit::DoExit();
}

void TcxCustomCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomEdit::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) {
    FMousePressed = true;
    Invalidate();
  }
}

void TcxCustomCheckBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomEdit::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !FMousePressed) return;
  FMousePressed = false;
  TRect r = GetViewInfo()->BorderRect;
  if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom && !ComponentState().Contains(csDesigning)) Toggle();
  Invalidate();
}

void TcxCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    case WM_LBUTTONUP:
      // The check toggles itself: the class library fires no click of its own.
      SetControlState(ControlState() - csClicked);
      break;
    case CM_TEXTCHANGED:
      TcxCustomEdit::Dispatch(Message);
      CheckViewInfo()->Caption = Caption();
      UpdateStateFromCursor();
      Invalidate();
      return;
  }
  TcxCustomEdit::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Actions

TcxCheckBoxActionLink::TcxCheckBoxActionLink(TcxCustomCheckBox* AClient)
    : TWinControlActionLink(AClient), FCheckBox(AClient) {}

bool TcxCheckBoxActionLink::IsCheckedLinked() {
  auto* a = dynamic_cast<TCustomAction*>(Action());
  return TWinControlActionLink::IsCheckedLinked() && a && FCheckBox->State() != cbsGrayed &&
         FCheckBox->Checked() == a->Checked();
}

void TcxCheckBoxActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked() && dynamic_cast<TCustomAction*>(Action()) == nullptr) return;
  FCheckBox->HoldClick(true);
  FCheckBox->HoldChangeEvents(true);
  try {
    FCheckBox->SetChecked(Value);
  } catch (...) {
    FCheckBox->HoldChangeEvents(false, false);
    FCheckBox->HoldClick(false);
    throw;
  }
  FCheckBox->HoldChangeEvents(false, false);
  FCheckBox->HoldClick(false);
}

std::unique_ptr<TControlActionLink> TcxCustomCheckBox::CreateActionLink() {
  return std::make_unique<TcxCheckBoxActionLink>(this);
}

void TcxCustomCheckBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TcxCustomEdit::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender))
    if (!CheckDefaults || !Checked()) {
      HoldClick(true);
      try {
        SetChecked(a->Checked());
      } catch (...) {
        HoldClick(false);
        throw;
      }
      HoldClick(false);
    }
}

TOVANI_PUBLISHED(TcxCustomCheckBoxProperties) {
  Property<TAlignment>("Alignment", [](TcxCustomCheckBoxProperties* p) { return p->Alignment()->Horz(); },
           [](TcxCustomCheckBoxProperties* p, TAlignment v) { p->Alignment()->SetHorz(v); })
      .Stored([](TObject* o) { return static_cast<TcxCustomCheckBoxProperties*>(o)->IsAlignmentStored(); });
  Property("AllowGrayed", &TcxCustomCheckBoxProperties::AllowGrayed, &TcxCustomCheckBoxProperties::SetAllowGrayed)
      .Default(false);
  Property("ClearKey", &TcxCustomCheckBoxProperties::ClearKey, &TcxCustomCheckBoxProperties::SetClearKey).Default(0);
  Property("DisplayChecked", &TcxCustomCheckBoxProperties::DisplayChecked,
           &TcxCustomCheckBoxProperties::SetDisplayChecked)
      .Stored([](TObject* o) {
        return static_cast<TcxCustomCheckBoxProperties*>(o)->DisplayChecked() != cxLoadResourceText(cxSEditCheckBoxChecked);
      });
  Property("DisplayGrayed", &TcxCustomCheckBoxProperties::DisplayGrayed, &TcxCustomCheckBoxProperties::SetDisplayGrayed)
      .Stored([](TObject* o) {
        return static_cast<TcxCustomCheckBoxProperties*>(o)->DisplayGrayed() != cxLoadResourceText(cxSEditCheckBoxGrayed);
      });
  Property("DisplayUnchecked", &TcxCustomCheckBoxProperties::DisplayUnchecked,
           &TcxCustomCheckBoxProperties::SetDisplayUnchecked)
      .Stored([](TObject* o) {
        return static_cast<TcxCustomCheckBoxProperties*>(o)->DisplayUnchecked() !=
               cxLoadResourceText(cxSEditCheckBoxUnchecked);
      });
  Property("FullFocusRect", &TcxCustomCheckBoxProperties::FullFocusRect, &TcxCustomCheckBoxProperties::SetFullFocusRect)
      .Default(false);
  Property("GlyphCount", &TcxCustomCheckBoxProperties::GlyphCount, &TcxCustomCheckBoxProperties::SetGlyphCount)
      .Default(6);
  Property("ImmediatePost", &TcxCustomCheckBoxProperties::ImmediatePost, &TcxCustomCheckBoxProperties::SetImmediatePost)
      .Default(false);
  Property("MultiLine", &TcxCustomCheckBoxProperties::MultiLine, &TcxCustomCheckBoxProperties::SetMultiLine)
      .Default(false);
  Property("NullStyle", &TcxCustomCheckBoxProperties::NullStyle, &TcxCustomCheckBoxProperties::SetNullStyle)
      .Default(nssGrayedChecked);
  Property<bool>("ReadOnly", [](TcxCustomCheckBoxProperties* p) { return p->ReadOnly(); },
           [](TcxCustomCheckBoxProperties* p, bool v) { p->SetReadOnly(v); })
      .Stored([](TObject* o) { return static_cast<TcxCustomCheckBoxProperties*>(o)->AssignedValues()->ReadOnly(); });
  Property("UseAlignmentWhenInplace", &TcxCustomCheckBoxProperties::UseAlignmentWhenInplace,
           &TcxCustomCheckBoxProperties::SetUseAlignmentWhenInplace)
      .Default(false);
  Property("ValueChecked", &TcxCustomCheckBoxProperties::ValueChecked, &TcxCustomCheckBoxProperties::SetValueChecked)
      .Stored([](TObject* o) {
        const Variant& v = static_cast<TcxCustomCheckBoxProperties*>(o)->ValueChecked();
        return !(VarIsType(v, varBoolean) && v.AsBoolean());
      });
  Property("ValueGrayed", &TcxCustomCheckBoxProperties::ValueGrayed, &TcxCustomCheckBoxProperties::SetValueGrayed)
      .Stored([](TObject* o) { return !static_cast<TcxCustomCheckBoxProperties*>(o)->ValueGrayed().IsNull(); });
  Property("ValueUnchecked", &TcxCustomCheckBoxProperties::ValueUnchecked,
           &TcxCustomCheckBoxProperties::SetValueUnchecked)
      .Stored([](TObject* o) {
        const Variant& v = static_cast<TcxCustomCheckBoxProperties*>(o)->ValueUnchecked();
        return !(VarIsType(v, varBoolean) && !v.AsBoolean());
      });
  Property("OnChange", &TcxCustomCheckBoxProperties::OnChange);
  Property("OnEditValueChanged", &TcxCustomCheckBoxProperties::OnEditValueChanged);
  Property("OnValidate", &TcxCustomCheckBoxProperties::OnValidate);
}

TOVANI_PUBLISHED(TcxCustomCheckBox) {
  Property<String>(
      "Caption", [](TcxCustomCheckBox* c) { return c->Caption(); },
      [](TcxCustomCheckBox* c, const String& v) { c->SetCaption(v); });
}

TOVANI_PUBLISHED(TcxCheckBox) {
  Property("AutoSize", &TcxCheckBox::AutoSize, &TcxCheckBox::SetAutoSize).Default(true);
  Property("Checked", &TcxCheckBox::Checked, &TcxCheckBox::SetChecked).Stored(false);
  Property<TcxCheckBoxProperties*>(
      "Properties", [](TcxCheckBox* c) { return static_cast<TcxCheckBoxProperties*>(c->Properties()); },
      [](TcxCheckBox* c, TcxCheckBoxProperties* v) { c->SetProperties(v); });
  Property("State", &TcxCheckBox::State, &TcxCheckBox::SetState)
      .Default(cbsUnchecked)
      .Stored([](TObject* o) {
        auto* c = static_cast<TcxCheckBox*>(o);
        auto* a = dynamic_cast<TCustomAction*>(c->Action());
        return !(a && (a->Checked() ? cbsChecked : cbsUnchecked) == c->State());
      });
  Property("Transparent", &TcxCheckBox::Transparent, &TcxCheckBox::SetTransparent).Default(false);
  Property<TcxEditStyle*>(
      "Style", [](TcxCheckBox* e) { return e->Style(); }, [](TcxCheckBox* e, TcxEditStyle* v) { e->SetStyle(v); });
  Property("OnEditing", &TcxCheckBox::OnEditing);
}

// ---------------------------------------------------------------------------
// Filter rows

void TcxFilterCheckBoxHelper::InitFilterProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* ASourceProperties,
                                                   bool AKeepButtons) const {
  TcxFilterComboBoxHelper::InitFilterProperties(AProperties, ASourceProperties, AKeepButtons);
  auto* combo = dynamic_cast<TcxCustomComboBoxProperties*>(AProperties);
  auto* source = dynamic_cast<TcxCustomCheckBoxProperties*>(ASourceProperties);
  if (!combo || !source) return;
  combo->SetDropDownListStyle(lsFixedList);
  combo->Items()->Clear();
  combo->Items()->Add(source->GetDisplayText(source->ValueChecked()));
  combo->Items()->Add(source->GetDisplayText(source->ValueUnchecked()));
  combo->AttachDefaultValuesProvider(nullptr);
}

void TcxFilterCheckBoxHelper::ReadFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties,
                                              Variant& AValue, String& ADisplayText) const {
  auto* source = dynamic_cast<TcxCustomCheckBoxProperties*>(AProperties);
  auto* combo = dynamic_cast<TcxCustomTextEdit*>(AEdit);
  Integer index = combo ? combo->ItemIndex() : -1;
  if (!source || index < 0) {
    AValue = Null();
    ADisplayText = "";
    return;
  }
  AValue = index == 0 ? source->ValueChecked() : source->ValueUnchecked();
  ADisplayText = source->GetDisplayText(AValue);
}

void TcxFilterCheckBoxHelper::WriteFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties,
                                               const Variant& AValue) const {
  auto* source = dynamic_cast<TcxCustomCheckBoxProperties*>(AProperties);
  auto* combo = dynamic_cast<TcxCustomComboBox*>(AEdit);
  if (!source || !combo) return;
  TcxCheckBoxState state = source->StateOfValue(AValue);
  combo->SetItemIndex(state == cbsChecked ? 0 : state == cbsUnchecked ? 1 : -1);
}

// ---------------------------------------------------------------------------
// Start-up

namespace {
Integer CheckBoxUnitCounter = 0;
const TcxFilterCheckBoxHelper gCheckBoxFilterHelper;
}

void cxCheckBoxUnitStartup() {
  if (CheckBoxUnitCounter != 0) return;
  --CheckBoxUnitCounter;
  cxEditPropertiesRegistry()->AddClass(TcxCheckBoxProperties::StaticClass(),
                                       cxLoadResourceText(scxSEditRepositoryCheckBoxItem));
  cxRegisterFilterEditHelper(TcxFilterCheckBoxHelper::StaticClass(), &gCheckBoxFilterHelper);
  cxGetFilterEditsController()->AddClassPair(TcxCheckBoxProperties::StaticClass(),
                                             TcxFilterCheckBoxHelper::StaticClass());
}

void cxCheckBoxUnitShutdown() {
  if (CheckBoxUnitCounter != -1) return;
  ++CheckBoxUnitCounter;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxCheckBoxProperties::StaticClass(),
                                                  TcxFilterCheckBoxHelper::StaticClass());
}
