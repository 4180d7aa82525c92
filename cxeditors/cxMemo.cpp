#include "cxMemo.h"

#include "TypInfo.h"

#include "Classes.h"
#include "Clipbrd.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxDrawTextUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomMemoProperties, TcxCustomTextEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxMemoProperties, TcxCustomMemoProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomMemo, TcxCustomTextEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxMemo, TcxCustomMemo)
TOVANI_IMPLEMENT_CLASS(TcxFilterMemoHelper, TcxFilterTextEditHelper)
TOVANI_IMPLEMENT_CLASS(TcxCustomMemoViewInfo, TcxCustomTextEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomMemoViewData, TcxCustomTextEditViewData)

namespace {
struct MemoFlagGuard {
  bool& F;
  bool Old;
  MemoFlagGuard(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~MemoFlagGuard() { F = Old; }
};

const TcxResourceString scxSEditRepositoryMemoItem{"Memo|Represents an edit control that allows editing memo data"};
Integer GMemoUnitCounter = 0;
const TcxFilterMemoHelper GFilterMemoHelper;
}  // namespace

void cxMemoUnitStartup() {
  if (GMemoUnitCounter-- != 0) return;
  cxEditPropertiesRegistry()->AddClass(TcxMemoProperties::StaticClass(), cxLoadResourceText(scxSEditRepositoryMemoItem));
  cxRegisterFilterEditHelper(TcxFilterMemoHelper::StaticClass(), &GFilterMemoHelper);
  cxGetFilterEditsController()->AddClassPair(TcxMemoProperties::StaticClass(), TcxFilterMemoHelper::StaticClass());
}

void cxMemoUnitShutdown() {
  if (GMemoUnitCounter++ != -1) return;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxMemoProperties::StaticClass(), TcxFilterMemoHelper::StaticClass());
}

TcxFilterEditOperators TcxFilterMemoHelper::GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass,
                                                                bool) const {
  TcxFilterEditOperators result = 0;
  for (Integer op = 7; op <= 10; ++op) result |= cxFilterOperatorBit(op);
  return result;
}

namespace {
// Every LF followed by CR becomes two line breaks; a CR LF pair is one unit;
// lone CR or LF stay. The whole text is scanned, however much it grows.
template <class S>
S NormalizeLineBreaks(const S& AText) {
  S result;
  result.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    auto c = AText[i];
    bool next = i + 1 < AText.size();
    if (c == '\r' && next && AText[i + 1] == '\n') {
      result += c;
      result += AText[++i];
    } else if (c == '\n' && next && AText[i + 1] == '\r') {
      for (int k = 0; k < 2; ++k) {
        result += '\r';
        result += '\n';
      }
      ++i;
    } else {
      result += c;
    }
  }
  return result;
}
}  // namespace

String cxNormalizeMemoLineBreaks(const String& AText) { return NormalizeLineBreaks(AText); }
std::u16string cxNormalizeMemoLineBreaks(const std::u16string& AText) { return NormalizeLineBreaks(AText); }

// ---------------------------------------------------------------------------
// Properties

TcxCustomMemoProperties::TcxCustomMemoProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {
  GetAlignment()->SetVert(taTopJustify);
  SetAutoSelect(false);
}

TClass TcxCustomMemoProperties::GetContainerClass() { return TcxMemo::StaticClass(); }

void TcxCustomMemoProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomMemoProperties*>(Source);
  if (!s) {
    TcxCustomTextEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomTextEditProperties::Assign(Source);
    SetScrollBars(s->FScrollBars);
    SetVisibleLineCount(s->FVisibleLineCount);
    SetWantReturns(s->FWantReturns);
    SetWantTabs(s->FWantTabs);
    SetWordWrap(s->FWordWrap);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TcxCustomMemoProperties::GetDisplayText(const Variant& AEditValue, bool AFullText, bool AIsInplace) {
  String text = TcxCustomTextEditProperties::GetDisplayText(AEditValue, true, AIsInplace);
  if (text.empty() && !AEditValue.IsNull() && !AEditValue.IsEmpty()) text = VarToStr(AEditValue);
  std::u16string w = Utf8ToUtf16(text);
  size_t limit = std::min<size_t>(w.size(), 250);
  if (!AFullText)
    for (size_t i = 0; i < limit; ++i)
      if (w[i] == u'\r' || w[i] == u'\n') {
        limit = i;
        break;
      }
  if (limit < w.size()) w.resize(limit);
  return Utf16ToUtf8(w);
}

TcxEditValueSource TcxCustomMemoProperties::UsesDataDisplayFormat(bool) {
  IcxEditDefaultValuesProvider* p = DefaultValuesProvider();
  return p && p->IsBlob() ? evsValue : evsText;
}

TClass TcxCustomMemoProperties::GetViewDataClass() { return TcxCustomMemoViewData::StaticClass(); }
TClass TcxCustomMemoProperties::GetViewInfoClass() { return TcxCustomMemoViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomMemoProperties::CreateViewInfo() { return new TcxCustomMemoViewInfo(); }

TcxCustomEditViewData* TcxCustomMemoProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                              bool APreviewMode) {
  auto* vd = new TcxCustomMemoViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

// ---------------------------------------------------------------------------
// View data and view info

void TcxCustomMemoViewData::GetTextRect(TRect& AInsets) {
  // Left, top, right 1 and bottom 3 in a window of its own; 1 all round in place.
  AInsets = IsInplace ? TRect(1, 1, 1, 1) : TRect(1, 1, 1, 3);
}

TSize TcxCustomMemoViewData::GetTextOffsetsSize() {
  TRect r;
  GetTextRect(r);
  return TSize{r.Left + r.Right, r.Top + r.Bottom};
}

Integer TcxCustomMemoViewData::GetMaxLineCount() {
  Integer count = MemoProperties()->VisibleLineCount();
  return count > 0 ? count : TcxCustomTextEditViewData::GetMaxLineCount();
}

Cardinal TcxCustomMemoViewData::GetDrawTextFlags() {
  Cardinal flags = HorzAlignment == taRightJustify ? CXTO_RIGHT
                   : HorzAlignment == taCenter     ? CXTO_CENTER_HORIZONTALLY
                                                   : CXTO_LEFT;
  flags |= CXTO_PREVENT_LEFT_EXCEED | CXTO_EXPANDTABS | CXTO_EDITCONTROL;
  TcxCustomMemoProperties* p = MemoProperties();
  if (p->WordWrap() && (p->ScrollBars() == ssNone || p->ScrollBars() == ssVertical))
    flags |= CXTO_WORDBREAK | CXTO_CHARBREAK;
  return flags;
}

TSize TcxCustomMemoViewData::GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                const TcxEditSizeProperties& ASizeProperties) {
  String text;
  PrepareDisplayText(AEditValue, text);
  TcxEditSizeProperties sp = ASizeProperties;
  sp.MaxLineCount = MemoProperties()->VisibleLineCount();
  TSize size{0, 0};
  cxCalcTextEditContentSize(ACanvas, this, text, size, GetDrawTextFlags(), sp, 0, true);
  return size;
}

void TcxCustomMemoViewData::GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace,
                                             const TcxEditSizeProperties& ASizeProperties,
                                             TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                             TSize& AFixedSize) {
  TcxCustomTextEditViewData::GetFixedPartSize(ACanvas, AIsInplace, ASizeProperties, AViewInfo, AMinContentSize,
                                              AFixedSize);
  TcxCustomMemoProperties* p = MemoProperties();
  if (Edit && (p->ScrollBars() == ssHorizontal || p->ScrollBars() == ssBoth))
    AFixedSize.cy += GetSystemMetrics(SM_CYHSCROLL);
  if (p->VisibleLineCount() > 0) {
    TcxCanvas* c = ACanvas ? ACanvas : cxSharedScreenCanvas();
    c->Font()->Assign(Style->GetVisibleTextFont());
    AMinContentSize.cy =
        std::max<Integer>(AMinContentSize.cy, GetTextOffsetsSize().cy + p->VisibleLineCount() * c->TextHeight("Zg"));
  }
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomMemo::TcxCustomMemo(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomTextEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomMemoProperties(O);
                        }) {
  cxMemoUnitStartup();
  SetBounds(Left(), Top(), 185, 89);
  if (!GetIsDesigning()) InnerTextEdit()->SetCursor(crIBeam);
  TcxCustomMemoProperties* p = ActiveProperties();
  FAppliedScrollBars = p->ScrollBars();
  FAppliedWordWrap = p->WordWrap();
  FAppliedWantReturns = p->WantReturns();
}

TcxCustomMemo::~TcxCustomMemo() {
  if (InnerTextEdit()) InnerTextEdit()->EditorDestroying();
}

void TcxCustomMemo::AdjustInnerEditParams(TCreateParams& Params) {
  TcxCustomMemoProperties* p = ActiveProperties();
  Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (p->WantReturns()) Params.Style |= ES_WANTRETURN;
  bool horzBar = p->ScrollBars() == ssHorizontal || p->ScrollBars() == ssBoth;
  bool vertBar = p->ScrollBars() == ssVertical || p->ScrollBars() == ssBoth;
  // Wrapped lines only where there is no horizontal scroll bar.
  if (p->WordWrap() && !horzBar) Params.Style &= ~DWORD(ES_AUTOHSCROLL);
  if (horzBar) Params.Style |= WS_HSCROLL;
  if (vertBar) Params.Style |= WS_VSCROLL;
  Params.WindowClass.style &= ~UINT(CS_VREDRAW);
  if (horzBar || !p->WordWrap()) Params.WindowClass.style &= ~UINT(CS_HREDRAW);
}

void TcxCustomMemo::PropertiesChanged(TObject* Sender) {
  TcxCustomTextEdit::PropertiesChanged(Sender);
  if (InnerEditNotReady() || !InnerTextEdit()) return;
  TcxCustomMemoProperties* p = ActiveProperties();
  if (p->ScrollBars() != FAppliedScrollBars) {
    FScrollBarsApplied = true;
    UpdateScrollBarControls();
  }
  if (p->ScrollBars() != FAppliedScrollBars || p->WordWrap() != FAppliedWordWrap ||
      p->WantReturns() != FAppliedWantReturns) {
    FAppliedScrollBars = p->ScrollBars();
    FAppliedWordWrap = p->WordWrap();
    FAppliedWantReturns = p->WantReturns();
    // The edit window takes these styles only when it is made.
    if (InnerTextEdit()->HandleAllocated()) InnerTextEdit()->RecreateWnd();
  }
}

// The live lines of the text: changing them changes the memo's value.
TStrings* TcxCustomMemo::Lines() {
  if (!FLines) FLines = NewTextLines([this] { return Text(); }, [this](const String& S) { SetText(S); });
  return FLines.get();
}

void TcxCustomMemo::SetLines(TStrings* Value) {
  if (Value)
    Lines()->Assign(Value);
  else
    Lines()->Clear();
}

TPoint TcxCustomMemo::CaretPos() {
  if (!InnerTextEdit() || !InnerTextEdit()->HandleAllocated()) return TPoint(0, 0);
  HWND h = InnerTextEdit()->Handle();
  DWORD start = 0;
  SendMessageW(h, EM_GETSEL, WPARAM(&start), 0);
  Integer line = Integer(SendMessageW(h, EM_LINEFROMCHAR, start, 0));
  Integer lineStart = Integer(SendMessageW(h, EM_LINEINDEX, WPARAM(line), 0));
  return TPoint(Integer(start) - lineStart, line);
}

void TcxCustomMemo::SetCaretPos(const TPoint& Value) {
  if (!InnerTextEdit() || !InnerTextEdit()->HandleAllocated()) return;
  HWND h = InnerTextEdit()->Handle();
  LRESULT pos = SendMessageW(h, EM_LINEINDEX, WPARAM(Value.Y), 0) + Value.X;
  SendMessageW(h, EM_SETSEL, WPARAM(pos), LPARAM(pos));
}

bool TcxCustomMemo::IsMemoTextKey(Word Key, TShiftState Shift, bool ATabAlways) {
  TcxCustomMemoProperties* p = ActiveProperties();
  if (Key == VK_RETURN) return p->WantReturns() || Shift.Contains(ssCtrl);
  if (Key == VK_TAB) return p->WantTabs() || ATabAlways;
  return false;
}

bool TcxCustomMemo::IsEditorKey(Word Key, TShiftState Shift) {
  return TcxCustomTextEdit::IsEditorKey(Key, Shift) || IsMemoTextKey(Key, Shift, false);
}

// In place, the Enter that is memo text goes straight to the editing keys
// (not to the key events, nor to the host as a navigation key).
void TcxCustomMemo::KeyDown(Word& Key, TShiftState Shift) {
  if (IsInplace() && Key == VK_RETURN && Shift.Contains(ssCtrl) != ActiveProperties()->WantReturns()) {
    DoEditKeyDown(Key, Shift);
    return;
  }
  TcxCustomTextEdit::KeyDown(Key, Shift);
}

void TcxCustomMemo::DoEditKeyDown(Word& Key, TShiftState Shift) {
  // Enter that is memo text starts a new line instead of validating; it
  // still asks to edit first, as any editing key does.
  if (Key == VK_RETURN && IsMemoTextKey(Key, Shift, false)) {
    if (!AcceptsEditKey(Key, Shift)) {
      NotifyAfterKeyDown(Key, Shift);
      Key = 0;
    }
    return;
  }
  TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
  if ((Key == 'A' || Key == 'a') && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt) &&
      !Text().empty()) {
    SelectAll();
    NotifyAfterKeyDown(Key, Shift);
    Key = 0;
  }
}

void TcxCustomMemo::DoEditKeyPress(char32_t& Key) {
  // Without WantReturns a plain Enter types nothing (Ctrl+Enter gives LF and does).
  if (Key == U'\r' && !ActiveProperties()->WantReturns() && !(GetKeyState(VK_CONTROL) < 0)) {
    Key = 0;
    return;
  }
  TcxCustomTextEdit::DoEditKeyPress(Key);
}

// The edit window fills the client area: the memo shows as many lines as fit.
void TcxCustomMemo::PlaceInnerEdit() {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner || FPlacingInner) return;
  MemoFlagGuard g(FPlacingInner, true);
  const TRect& r = GetViewInfo()->ClientRect;
  if (inner->BoundsRect() != r) inner->SetBoundsRect(r);
  UpdateInnerClip();
}

void TcxCustomMemo::InitializeViewData(TcxCustomEditViewData* AViewData) {
  TcxCustomTextEdit::InitializeViewData(AViewData);
  // The edit window's scroll bars are no part of the editor's layout.
  AViewData->HScrollBarVisible = AViewData->VScrollBarVisible = false;
}

bool TcxCustomMemo::InnerEditMessage(TMessage& Message) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  switch (Message.Msg) {
    case WM_NCPAINT:
      PaintInnerNonClient(Message);
      return true;
    case WM_WINDOWPOSCHANGED:
      UpdateOwnScrollBarsLater();
      return false;
    case CN_COMMAND:
      // Scrolled or changed text moves the own scroll bars with it.
      if (HIWORD(Message.WParam) == EN_HSCROLL || HIWORD(Message.WParam) == EN_VSCROLL ||
          HIWORD(Message.WParam) == EN_CHANGE)
        UpdateOwnScrollBarsLater();
      return false;
    case EM_REPLACESEL: {
      // Inserted text keeps the memo's line breaks whoever inserts it.
      auto* text = reinterpret_cast<const char16_t*>(Message.LParam);
      if (!text) return false;
      std::u16string normal = cxNormalizeMemoLineBreaks(std::u16string(text));
      Message.Result = inner->PerformOwn(EM_REPLACESEL, Message.WParam, reinterpret_cast<LPARAM>(normal.c_str()));
      SynchronizeEditValue();
      return true;
    }
    case WM_SETTEXT:
      Message.Result = inner->PerformOwn(Message.Msg, Message.WParam, Message.LParam);
      // Text set on the edit window from outside becomes the value.
      if (!InternalTextSetting() && !IsDestroying() && VarToStrDef(EditValue(), "") != Text())
        SetEditValueQuiet(Variant(Text()));
      return true;
    case WM_SETFONT:
      Message.Result = inner->PerformOwn(Message.Msg, Message.WParam, Message.LParam);
      if (inner->HandleAllocated()) SendMessageW(inner->Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
      return true;
    case CN_KEYDOWN:
      if (Message.WParam != VK_ESCAPE) return false;
      {
        MemoFlagGuard g(FEscapePressed, true);
        Message.Result = inner->PerformOwn(Message.Msg, Message.WParam, Message.LParam);
      }
      return true;
    case WM_GETDLGCODE:
      Message.Result = inner->PerformOwn(Message.Msg, Message.WParam, Message.LParam);
      // Escape is left to the form (its Cancel button) rather than taken
      // by the multi-line edit, which asks for every key.
      if (FEscapePressed) Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
      return true;
  }
  return false;
}

bool TcxCustomMemo::HasScrollBars() {
  return FScrollBarsApplied && ActiveProperties()->ScrollBars() != ssNone;
}

// Line steps scroll the edit window by a line; any other code is the edit
// window's own scroll-bar handling. The bar then shows where the window is.
void TcxCustomMemo::ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner || !inner->HandleAllocated()) return;
  HWND h = inner->Handle();
  WPARAM code = MAKEWPARAM(WORD(AScrollCode), WORD(APosition));
  if (AKind == sbVertical) {
    if (AScrollCode == scLineUp || AScrollCode == scLineDown)
      SendMessageW(h, EM_LINESCROLL, 0, AScrollCode == scLineUp ? -1 : 1);
    else
      inner->CallDefWndProc(WM_VSCROLL, code, LPARAM(VScrollBar() ? VScrollBar()->Handle() : nullptr));
    APosition = GetScrollPos(h, SB_VERT);
  } else {
    inner->CallDefWndProc(WM_HSCROLL, code, LPARAM(HScrollBar() ? HScrollBar()->Handle() : nullptr));
    APosition = GetScrollPos(h, SB_HORZ);
  }
  UpdateScrollBars(true);
}

void TcxCustomMemo::PaintInnerNonClient(TMessage& Message) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!inner->HandleAllocated()) return;
  HWND h = inner->Handle();
  if (!HasScrollBars() || !cxScrollBarInfoAvailable()) {
    Message.Result = inner->CallDefWndProc(Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  TScrollStyle bars = ActiveProperties()->ScrollBars();
  LONG style = GetWindowLongW(h, GWL_STYLE);
  SetWindowLongW(h, GWL_STYLE, style & ~LONG(WS_HSCROLL | WS_VSCROLL));
  Message.Result = inner->CallDefWndProc(Message.Msg, Message.WParam, Message.LParam);
  LONG restored = style & ~LONG(WS_HSCROLL | WS_VSCROLL);
  if (bars == ssHorizontal || bars == ssBoth) restored |= WS_HSCROLL;
  if (bars == ssVertical || bars == ssBoth) restored |= WS_VSCROLL;
  SetWindowLongW(h, GWL_STYLE, restored);
  if (bars != ssBoth) return;
  SCROLLBARINFO hi, vi;
  if (!cxGetScrollBarInfo(h, LONG(OBJID_HSCROLL), hi) || !cxGetScrollBarInfo(h, LONG(OBJID_VSCROLL), vi)) return;
  const DWORD hidden = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  if ((hi.rgstate[0] & hidden) || (vi.rgstate[0] & hidden)) return;
  // The corner right of the horizontal bar and below the vertical one, in
  // the window's own coordinates.
  RECT wr;
  GetWindowRect(h, &wr);
  RECT corner{vi.rcScrollBar.left - wr.left, hi.rcScrollBar.top - wr.top, vi.rcScrollBar.right - wr.left,
              hi.rcScrollBar.bottom - wr.top};
  if (corner.right <= corner.left || corner.bottom <= corner.top) return;
  if (HDC dc = GetWindowDC(h)) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(GetPainter()->GetSizeGripColor()));
    FillRect(dc, &corner, brush);
    DeleteObject(brush);
    ReleaseDC(h, dc);
  }
}

void TcxCustomMemo::InnerKeyDownDone(Word AKey, const TcxCustomInnerTextEditPrevState& AState, bool AEditorHandled) {
  UpdateOwnScrollBarsLater();
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (AEditorHandled || !inner || !inner->HandleAllocated() || AKey == 0 || AKey == VK_UP || AKey == VK_DOWN) return;
  // A key that types (a letter, Enter, Tab) changes the text only with the
  // character that follows it: it is not reported here.
  if (MapVirtualKeyW(AKey, MAPVK_VK_TO_CHAR) != 0) return;
  // A key that moved nothing and changed nothing (Left at the start, Page
  // Down at the end) is the host's to use.
  if (inner->CharSelStart() != AState.PrevSelStart || inner->CharSelLength() != AState.PrevSelLength ||
      inner->Text() != AState.PrevText)
    return;
  NotifyAfterKeyDown(AKey, KeyboardStateToShiftState());
}

void TcxCustomMemo::WriteInnerText(const String& AText) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  if (!IsInplace() || !ActiveProperties()->WordWrap() || !inner->HandleAllocated()) {
    TcxCustomTextEdit::WriteInnerText(AText);
    return;
  }
  // Both steps report as one change.
  HoldChangeEvents(true);
  try {
    inner->SetText(String());
    inner->SetText(AText);
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
}

void TcxCustomMemo::Dispatch(TMessage& Message) {
  TcxCustomTextEdit::Dispatch(Message);
  switch (Message.Msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_NCCALCSIZE:
    case CM_WININICHANGE:
    case CM_FONTCHANGED:
      UpdateOwnScrollBarsLater();
      break;
  }
}

bool TcxCustomMemo::CanAutoSize() { return !IsInplace() && ActiveProperties()->VisibleLineCount() >= 1; }

void TcxCustomMemo::SetSelText(const String& Value) {
  String text = Value;
  TcxCustomMemoProperties* p = ActiveProperties();
  if (Focused() && p->MaxLength() > 0) {
    // Cut to what fits before the limit, counted in UTF-16 units as the edit does.
    String all = Text();
    size_t before = Utf8CharOffset(all, size_t(SelStart()));
    Integer used = Integer(Utf8ToUtf16(all.substr(0, before)).size());
    Integer allowance = p->MaxLength() - used;
    std::u16string w = Utf8ToUtf16(text);
    if (used + Integer(w.size()) > p->MaxLength()) {
      if (allowance <= 0) return;
      w.resize(size_t(allowance));
      text = Utf16ToUtf8(w);
    }
  }
  TcxCustomTextEdit::SetSelText(text);
}

void TcxCustomMemo::PasteFromClipboard() {
  if (IsReadOnlyNow() || !InnerRequestEditing()) return;
  SetSelText(cxNormalizeMemoLineBreaks(Clipboard()->AsText()));
}

TcxMemo::TcxMemo(TComponent* AOwner, bool AIsInplace)
    : TcxCustomMemo(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxMemoProperties(O);
      }) {}

// ---------------------------------------------------------------------------
// Streaming

TOVANI_PUBLISHED(TcxMemoProperties) {
  using P = TcxMemoProperties;
  // The horizontal alignment alone; the memo's text always starts at the top.
  Property<TAlignment>(
      "Alignment", [](P* p) { return p->Alignment()->Horz(); }, [](P* p, TAlignment v) { p->Alignment()->SetHorz(v); })
      .Stored([](TObject* o) { return static_cast<P*>(o)->Alignment()->IsHorzStored(); });
  Property<bool>(
      "AutoSelect", [](P* p) { return p->AutoSelect(); }, [](P* p, bool v) { p->SetAutoSelect(v); })
      .Default(false);
  Property("ScrollBars", &P::ScrollBars, &P::SetScrollBars).Default(ssNone);
  Property("VisibleLineCount", &P::VisibleLineCount, &P::SetVisibleLineCount).Default(0);
  Property("WantReturns", &P::WantReturns, &P::SetWantReturns).Default(true);
  Property("WantTabs", &P::WantTabs, &P::SetWantTabs).Default(false);
  Property("WordWrap", &P::WordWrap, &P::SetWordWrap).Default(true);
}

TOVANI_PUBLISHED(TcxMemo) {
  using C = TcxMemo;
  Property<TcxMemoProperties*>(
      "Properties", [](C* c) { return c->Properties(); }, [](C* c, TcxMemoProperties* v) { c->Properties()->Assign(v); });
  Property<TcxEditStyle*>("Style", [](C* c) { return c->Style(); }, [](C* c, TcxEditStyle* v) { c->SetStyle(v); });
  Property<TStrings*>("Lines", [](C* c) { return c->Lines(); }, [](C* c, TStrings* v) { c->SetLines(v); });
}
