// The hyperlink editor.
#include "cxHyperLinkEdit.h"

#include <windows.h>
#include <shellapi.h>

#include <cctype>
#include <cstring>

#include "Menus.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "cxClasses.h"
#include "cxControls.h"
#include "cxFilterControlUtils.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxHyperLinkEditUsePrefix, "upAlways", "upOnlyOnExecute", "upNever")
TOVANI_IMPLEMENT_CLASS(TcxCustomHyperLinkEditProperties, TcxCustomTextEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxHyperLinkEditProperties, TcxCustomHyperLinkEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxHyperLinkStyle, TcxEditStyle)
TOVANI_IMPLEMENT_CLASS(TcxHyperLinkEditViewInfo, TcxCustomTextEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomHyperLinkEdit, TcxCustomTextEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxHyperLinkEdit, TcxCustomHyperLinkEdit)

namespace {
const TcxResourceString cxSHyperLinkPrefix{"http://"};
const TcxResourceString cxSEditHyperLinkDescription{"HyperLink|Represents a text editor with hyperlink functionality"};

// Filter rows edit hyperlink columns with a hyperlink editor.
class TcxFilterHyperLinkEditHelper : public TcxCustomFilterEditHelper {
  TOVANI_CLASS(TcxFilterHyperLinkEditHelper, TcxCustomFilterEditHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxHyperLinkEdit::StaticClass(); }
};
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterHyperLinkEditHelper, TcxCustomFilterEditHelper)

namespace {
void ShellOpen(const String& AURL) {
  const std::u16string W = Utf8ToUtf16(AURL);
  ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(W.c_str()), nullptr, nullptr, SW_SHOWMAXIMIZED);
}
TcxHyperLinkOpener& Opener() {
  static TcxHyperLinkOpener opener = ShellOpen;
  return opener;
}

bool StartsWithNoCase(const String& S, const char* P) {
  const size_t N = std::strlen(P);
  if (S.size() < N) return false;
  for (size_t I = 0; I < N; ++I)
    if (std::tolower(static_cast<unsigned char>(S[I])) != P[I]) return false;
  return true;
}

Integer GUnitCounter = 0;
}  // namespace

void cxSetHyperLinkOpener(TcxHyperLinkOpener AOpener) { Opener() = AOpener ? std::move(AOpener) : ShellOpen; }

bool cxIsOpenableHyperLink(const String& AText) {
  for (unsigned char C : AText)
    if (C <= 0x20 || C == 0x7F || C == '"' || C == '<' || C == '>' || C == '`' || C == '\\' || C == '^' ||
        C == '{' || C == '}' || C == '|')
      return false;
  if (StartsWithNoCase(AText, "http://") || StartsWithNoCase(AText, "https://")) {
    // A host must follow the scheme.
    const size_t Host = AText.find("//") + 2;
    return Host < AText.size() && AText[Host] != '/' && AText[Host] != '?' && AText[Host] != '#';
  }
  if (StartsWithNoCase(AText, "mailto:")) {
    const String Address = AText.substr(7);
    const size_t At = Address.find('@');
    return At != String::npos && At > 0 && At + 1 < Address.size();
  }
  return false;
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomHyperLinkEditProperties::TcxCustomHyperLinkEditProperties(TPersistent* AOwner)
    : TcxCustomTextEditProperties(AOwner) {
  cxHyperLinkEditUnitStartup();
  SetAutoSelect(false);
  FPrefix = cxLoadResourceText(cxSHyperLinkPrefix);
}

void TcxCustomHyperLinkEditProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomHyperLinkEditProperties*>(Source);
  if (!S) {
    TcxCustomTextEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomTextEditProperties::Assign(Source);
    SetLinkColor(S->LinkColor());
    SetSingleClick(S->SingleClick());
    FPrefix = S->FPrefix;
    FStartKey = S->FStartKey;
    FUsePrefix = S->FUsePrefix;
    OnStartClick = S->OnStartClick;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomHyperLinkEditProperties::DefineProperties(TFiler* Filer) {
  TcxCustomTextEditProperties::DefineProperties(Filer);
  // Stored only when it differs from the default text, so that an empty
  // prefix survives a save and a load.
  Filer->DefineProperty(
      "Prefix", [this](TReader* R) { FPrefix = R->ReadString(); }, [this](TWriter* W) { W->WriteString(FPrefix); },
      FPrefix != cxLoadResourceText(cxSHyperLinkPrefix));
}

void TcxCustomHyperLinkEditProperties::SetLinkColor(TColor Value) {
  if (FLinkColor == Value) return;
  FLinkColor = Value;
  Changed();
}

void TcxCustomHyperLinkEditProperties::SetSingleClick(bool Value) {
  if (FSingleClick == Value) return;
  FSingleClick = Value;
  Changed();
}

void TcxCustomHyperLinkEditProperties::AddPrefixTo(const String& AText, String& AResult) {
  AResult = Trim(AText);
  if (!FPrefix.empty() && !AResult.empty() && AResult.compare(0, FPrefix.size(), FPrefix) != 0)
    AResult = Trim(FPrefix + AResult);
}

TClass TcxCustomHyperLinkEditProperties::GetContainerClass() { return TcxHyperLinkEdit::StaticClass(); }
TClass TcxCustomHyperLinkEditProperties::GetViewInfoClass() { return TcxHyperLinkEditViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomHyperLinkEditProperties::CreateViewInfo() { return new TcxHyperLinkEditViewInfo(); }
TcxContainerStyleFactory TcxCustomHyperLinkEditProperties::GetStyleFactory() { return TcxHyperLinkStyle::Factory(); }

Integer TcxCustomHyperLinkEditProperties::GetViewOptions() {
  return TcxCustomTextEditProperties::GetViewOptions() | (FSingleClick ? 1 : 0);
}

void TcxCustomHyperLinkEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                         TcxCustomEdit* AEdit) {
  if (FUsePrefix == upAlways) {
    String S;
    AddPrefixTo(VarToStr(ADisplayValue), S);
    ADisplayValue = Variant(S);
  }
  TcxCustomTextEditProperties::CheckDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

TOVANI_PUBLISHED(TcxHyperLinkEditProperties) {
  Property("LinkColor", &TcxHyperLinkEditProperties::LinkColor, &TcxHyperLinkEditProperties::SetLinkColor)
      .Default(Integer(clBlue));
  Property("SingleClick", &TcxHyperLinkEditProperties::SingleClick, &TcxHyperLinkEditProperties::SetSingleClick)
      .Default(false);
  Property("StartKey", &TcxHyperLinkEditProperties::StartKey, &TcxHyperLinkEditProperties::SetStartKey)
      .Default(16397);
  Property("UsePrefix", &TcxHyperLinkEditProperties::UsePrefix, &TcxHyperLinkEditProperties::SetUsePrefix)
      .Default(Integer(upAlways));
}

// ---------------------------------------------------------------------------
// Style and view info

TcxContainerStyleFactory TcxHyperLinkStyle::Factory() {
  return [](TPersistent* AOwner, bool ADirect, TcxContainerStyle* AParent, TcxContainerStateItem AState) {
    return new TcxHyperLinkStyle(AOwner, ADirect, AParent, AState);
  };
}

TColor TcxHyperLinkStyle::TextColor() {
  // A style painting a grid cell has no editor: its own colour stands.
  if (DirectAccessMode()) return TcxEditStyle::TextColor();
  auto* Edit = dynamic_cast<TcxCustomHyperLinkEdit*>(GetEdit());
  if (!Edit && !IsBase()) Edit = dynamic_cast<TcxCustomHyperLinkEdit*>(static_cast<TcxCustomEditStyle*>(BaseStyle())->GetEdit());
  return Edit && Edit->Properties() ? Edit->ActiveProperties()->LinkColor() : clBlue;
}

TFontStyles TcxHyperLinkStyle::TextStyle() {
  TFontStyles S = TcxEditStyle::TextStyle();
  S.Include(fsUnderline);
  return S;
}

bool TcxHyperLinkEditViewInfo::SingleClick() {
  auto* P = dynamic_cast<TcxCustomHyperLinkEditProperties*>(Properties);
  return P && P->SingleClick();
}

void TcxHyperLinkEditViewInfo::GetSkinColors(TColor& ABackgroundColor, TColor& ATextColor) {
  TcxCustomTextEditViewInfo::GetSkinColors(ABackgroundColor, ATextColor);
  ATextColor = clDefault;
}

bool TcxHyperLinkEditViewInfo::HasHotButton() { return TcxCustomTextEditViewInfo::HasHotButton() || SingleClick(); }

bool TcxHyperLinkEditViewInfo::IsPointOnButton(TPoint) { return HasHotButton(); }

void TcxHyperLinkEditViewInfo::DrawText(TcxCanvas* ACanvas) {
  auto* P = dynamic_cast<TcxCustomHyperLinkEditProperties*>(Properties);
  if (Edit || !P) return TcxCustomTextEditViewInfo::DrawText(ACanvas);
  // A cell painted without an editor: the link look is put on the cell's font.
  TFont* Saved = Font;
  TFont LinkFont;
  if (Font) LinkFont.Assign(Font);
  TFontStyles S = LinkFont.Style();
  S.Include(fsUnderline);
  LinkFont.SetStyle(S);
  const TColor SavedColor = TextColor;
  TextColor = Selected ? TextColor : P->LinkColor();
  Font = &LinkFont;
  TcxCustomTextEditViewInfo::DrawText(ACanvas);
  Font = Saved;
  TextColor = SavedColor;
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomHyperLinkEdit::TcxCustomHyperLinkEdit(TComponent* AOwner, bool AIsInplace,
                                               const TcxEditPropertiesFactory& AProperties)
    : TcxCustomTextEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomHyperLinkEditProperties(O);
                        },
                        TcxHyperLinkStyle::Factory()) {}

TcxHyperLinkEdit::TcxHyperLinkEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomHyperLinkEdit(AOwner, AIsInplace,
                             [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxHyperLinkEditProperties(O); }) {}

void TcxCustomHyperLinkEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomTextEdit::PropertiesChanged(Sender);
  // A new LinkColor shows at once: the style change refreshes the state,
  // which gives the typing window the link colour and underline.
  ContainerStyleChanged(Style());
}

bool TcxCustomHyperLinkEdit::DoStart() {
  TcxCustomHyperLinkEditProperties* Own = Properties();
  bool Handled = false;
  if (Own->OnStartClick) {
    Own->OnStartClick(this);
    Handled = true;
  }
  if (RepositoryItem()) {
    auto* Item = dynamic_cast<TcxCustomHyperLinkEditProperties*>(RepositoryItem()->Properties());
    if (Item && Item->OnStartClick) {
      Item->OnStartClick(this);
      Handled = true;
    }
  }
  if (Handled) return true;
  TcxCustomHyperLinkEditProperties* P = ActiveProperties();
  String URL = Trim(Text());
  if (P->UsePrefix() != upNever) P->AddPrefixTo(URL, URL);
  if (URL.empty()) return false;
  // Only an address goes to the desktop's opener; a path or a command
  // typed into the editor is refused.
  if (!cxIsOpenableHyperLink(URL)) {
    if (P->BeepOnError()) MessageBeep(0);
    return false;
  }
  Opener()(URL);
  return true;
}

void TcxCustomHyperLinkEdit::SelectAll() {
  if (IsInplace() && ActiveProperties()->SingleClick()) return;
  TcxCustomTextEdit::SelectAll();
}

void TcxCustomHyperLinkEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  const TShortCut SC = ShortCut(Key, Shift);
  if (SC != 0 && SC == ActiveProperties()->StartKey()) {
    DoStart();
    Key = 0;
    return;
  }
  TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomHyperLinkEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomTextEdit::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && Shift.Contains(ssDouble) && !ActiveProperties()->SingleClick() &&
      ViewInfo()->ClientRect.Contains({X, Y}))
    DoStart();
}

void TcxCustomHyperLinkEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomTextEdit::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft && ActiveProperties()->SingleClick() && SelLength() == 0 &&
      ViewInfo()->ClientRect.Contains({X, Y}))
    DoStart();
}

void TcxCustomHyperLinkEdit::DoMouseEnter(TControl* AControl) {
  TcxCustomTextEdit::DoMouseEnter(AControl);
  ShowHandCursor();
}

void TcxCustomHyperLinkEdit::ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) {
  ShowHandCursor();
  TcxCustomTextEdit::ActivateByMouse(Shift, X, Y, AEditData);
}

void TcxCustomHyperLinkEdit::ShowHandCursor() {
  if (!ActiveProperties()->SingleClick() || Cursor() != crDefault || FHandCursor) return;
  FSavedCursor = Cursor();
  FHandCursor = true;
  SetCursor(crcxHandPoint);
  if (InnerTextEdit()) InnerTextEdit()->SetCursor(crcxHandPoint);
  ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
}

void TcxCustomHyperLinkEdit::DoMouseLeave(TControl* AControl) {
  TcxCustomTextEdit::DoMouseLeave(AControl);
  if (!FHandCursor) return;
  FHandCursor = false;
  SetCursor(FSavedCursor);
  if (InnerTextEdit()) InnerTextEdit()->SetCursor(FSavedCursor);
}

// ---------------------------------------------------------------------------
// Start-up

void cxHyperLinkEditUnitStartup() {
  if (GUnitCounter != 0) return;
  --GUnitCounter;
  static TcxFilterHyperLinkEditHelper Helper;
  cxRegisterFilterEditHelper(TcxFilterHyperLinkEditHelper::StaticClass(), &Helper);
  cxEditPropertiesRegistry()->AddClass(TcxHyperLinkEditProperties::StaticClass(),
                                      cxLoadResourceText(cxSEditHyperLinkDescription));
  cxGetFilterEditsController()->AddClassPair(TcxHyperLinkEditProperties::StaticClass(),
                                             TcxFilterHyperLinkEditHelper::StaticClass());
}

void cxHyperLinkEditUnitShutdown() {
  if (GUnitCounter != -1) return;
  ++GUnitCounter;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxHyperLinkEditProperties::StaticClass(),
                                                  TcxFilterHyperLinkEditHelper::StaticClass());
}

TOVANI_PUBLISHED(TcxHyperLinkEdit) {
  Property("Properties", &TcxHyperLinkEdit::Properties, &TcxHyperLinkEdit::SetProperties);
}
