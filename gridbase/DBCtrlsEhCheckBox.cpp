// The data-aware check box: three states bound to a field (as a Boolean or
// through lists of texts for checked and unchecked) or an own Boolean
// value, painted by the library's button painter in a flat or 3-D look.
#include <algorithm>
#include "DBCtrls.h"
#include "DBCtrlsEh.h"
#include "Forms.h"
#include "PlatformEh.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "VclWindows.h"

TOVANI_IMPLEMENT_CLASS(TCustomDBCheckBoxEh, TButtonControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBCheckBoxEh, TCustomDBCheckBoxEh)

TOVANI_PUBLISHED(TDBCheckBoxEh) {
  Property("Alignment", &TCustomDBCheckBoxEh::Alignment, &TCustomDBCheckBoxEh::SetAlignment).Default(taRightJustify);
  Property("AllowGrayed", &TCustomDBCheckBoxEh::AllowGrayed, &TCustomDBCheckBoxEh::SetAllowGrayed).Default(false);
  Property("AlwaysShowBorder", &TCustomDBCheckBoxEh::AlwaysShowBorder, &TCustomDBCheckBoxEh::SetAlwaysShowBorder)
      .Default(false);
  Property("DataField", &TCustomDBCheckBoxEh::DataField, &TCustomDBCheckBoxEh::SetDataField);
  Property("DataSource", &TCustomDBCheckBoxEh::DataSource, &TCustomDBCheckBoxEh::SetDataSource);
  Property("Flat", &TCustomDBCheckBoxEh::Flat, &TCustomDBCheckBoxEh::SetFlat).Default(false);
  Property("ReadOnly", &TCustomDBCheckBoxEh::ReadOnly, &TCustomDBCheckBoxEh::SetReadOnly).Default(false);
  Property("State", &TCustomDBCheckBoxEh::State, &TCustomDBCheckBoxEh::SetState)
      .Stored([](TObject* o) { return static_cast<TCustomDBCheckBoxEh*>(o)->IsStateStored(); });
  Property("ValueChecked", &TCustomDBCheckBoxEh::ValueChecked, &TCustomDBCheckBoxEh::SetValueChecked);
  Property("ValueUnchecked", &TCustomDBCheckBoxEh::ValueUnchecked, &TCustomDBCheckBoxEh::SetValueUnchecked);
}

namespace {

const char* const kTrueText = "True";
const char* const kFalseText = "False";

// The entries of a ';' list, each trimmed.
std::vector<String> ListEntries(const String& Values) {
  std::vector<String> out;
  size_t start = 0;
  while (start <= Values.size()) {
    size_t end = Values.find(';', start);
    if (end == String::npos) end = Values.size();
    out.push_back(Trim(Values.substr(start, end - start)));
    start = end + 1;
  }
  return out;
}

// The text written for a state: the list's first entry.
String FirstEntry(const String& Values) { return Trim(Values.substr(0, Values.find(';'))); }

}  // namespace

TCustomDBCheckBoxEh::TCustomDBCheckBoxEh(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(Left(), Top(), 97, 17);
  SetTabStop(true);
  SetControlStyle(ControlStyle() - csDoubleClicks + csReplicatable);
  FValueChecked = kTrueText;
  FValueUnchecked = kFalseText;
  FDataLink = std::make_unique<TFieldDataLinkEh>();
  FDataLink->SetControl(this);
  FDataLink->AssignValue(Variant(false));
  FDataLink->OnDataChange = [this](TObject*) { DataChange(); };
  FDataLink->OnUpdateData = [this](TObject*) { UpdateData(); };
}

TCustomDBCheckBoxEh::~TCustomDBCheckBoxEh() {
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::Notification(TComponent* AComponent, TOperation Operation) {
  TButtonControl::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) SetDataSource(nullptr);
}

bool TCustomDBCheckBoxEh::ExecuteAction(TBasicAction* Action) {
  return TButtonControl::ExecuteAction(Action) || DataLinkExecuteAction(FDataLink.get(), Action);
}

bool TCustomDBCheckBoxEh::UpdateAction(TBasicAction* Action) {
  return TButtonControl::UpdateAction(Action) || DataLinkUpdateAction(FDataLink.get(), Action);
}

void TCustomDBCheckBoxEh::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  // The control paints itself; the native button only reports clicks.
  Params.Style |= BS_OWNERDRAW;
}

void TCustomDBCheckBoxEh::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageW(Handle(), BM_SETCHECK, WPARAM(FState), 0);
}

// ---------------------------------------------------------------------------
// Properties

void TCustomDBCheckBoxEh::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  RecreateWnd();
}

void TCustomDBCheckBoxEh::SetAlwaysShowBorder(bool v) {
  if (v == FAlwaysShowBorder) return;
  FAlwaysShowBorder = v;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  RecreateWnd();
}

void TCustomDBCheckBoxEh::SetDataSource(TDataSource* v) {
  if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading))) FDataLink->SetDataSource(v);
  if (v) v->FreeNotification(this);
}

void TCustomDBCheckBoxEh::SetReadOnly(bool v) { FDataLink->SetReadOnly(v); }

void TCustomDBCheckBoxEh::SetValueChecked(const String& v) {
  FValueChecked = v;
  DataChange();
}

void TCustomDBCheckBoxEh::SetValueUnchecked(const String& v) {
  FValueUnchecked = v;
  DataChange();
}

// ---------------------------------------------------------------------------
// Reading and writing the source

bool TCustomDBCheckBoxEh::MatchValue(const String& Values, const String& Text) {
  for (const String& entry : ListEntries(Values))
    if (!entry.empty() && AnsiCompareTextEh(entry, Text) == 0) return true;
  // A list ending with ';' takes an empty text as its own.
  return !Values.empty() && Values.back() == ';' && Text.empty();
}

TCheckBoxState TCustomDBCheckBoxEh::GetFieldState() {
  if (IsDataIndependent()) {
    const Variant& v = FDataLink->IndependentValue();
    if (VariantsEqualEh(v, Variant(true))) return cbChecked;
    if (VariantsEqualEh(v, Variant(false))) return cbUnchecked;
    return cbGrayed;
  }
  TField* f = FDataLink->GetMainField();
  if (!f) return cbUnchecked;
  if (f->DataType() == ftBoolean && FValueChecked == kTrueText && FValueUnchecked == kFalseText) {
    if (f->IsNull()) return cbGrayed;
    return f->AsBoolean() ? cbChecked : cbUnchecked;
  }
  String text = f->Text();
  if (MatchValue(FValueChecked, text)) return cbChecked;
  if (MatchValue(FValueUnchecked, text)) return cbUnchecked;
  return cbGrayed;
}

void TCustomDBCheckBoxEh::DataChange() {
  InternalSetState(GetFieldState());
  FModified = false;
}

void TCustomDBCheckBoxEh::InternalSetState(TCheckBoxState Value) {
  if (Value == FState) return;
  FState = Value;
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, WPARAM(Value), 0);
  if (!FClicksDisabledByMouse) TButtonControl::Click();
  Invalidate();
  FModified = true;
}

void TCustomDBCheckBoxEh::SetState(TCheckBoxState v) {
  if (ComponentState().Contains(csDesigning) && !IsDataIndependent()) return;
  if (!IsDataIndependent())
    if (TDataSource* ds = FDataLink->DataSource())
      if (TDataSet* d = ds->DataSet()) d->Edit();
  InternalSetState(v);
  if (FInUpdateData) return;
  try {
    UpdateData();
  } catch (...) {
    FDataLink->ReloadValue();
    throw;
  }
}

bool TCustomDBCheckBoxEh::CallOnUpdateData() {
  bool handled = false;
  FInUpdateData = true;
  try {
    if (OnUpdateData) OnUpdateData(this, handled);
  } catch (...) {
    FInUpdateData = false;
    throw;
  }
  FInUpdateData = false;
  return handled;
}

void TCustomDBCheckBoxEh::UpdateData() {
  if (!CallOnUpdateData()) InternalUpdatePostData();
}

void TCustomDBCheckBoxEh::InternalUpdatePostData() {
  if (IsDataIndependent()) {
    FDataLink->AssignValue(FState == cbGrayed ? Variant::Null() : Variant(FState == cbChecked));
    return;
  }
  TField* f = FDataLink->GetMainField();
  if (!f) return;
  if (FState == cbGrayed) f->Clear();
  else if (f->DataType() == ftBoolean) f->SetAsBoolean(FState == cbChecked);
  else f->SetText(FirstEntry(FState == cbChecked ? FValueChecked : FValueUnchecked));
}

void TCustomDBCheckBoxEh::Toggle() {
  if (!FDataLink->StartEdit()) return;
  switch (FState) {
    case cbUnchecked: InternalSetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: InternalSetState(cbUnchecked); break;
    case cbGrayed: InternalSetState(cbChecked); break;
  }
  FDataLink->SetModified(true);
  Invalidate();
}

void TCustomDBCheckBoxEh::Click() {
  Toggle();
  Changed();
}

// ---------------------------------------------------------------------------
// Keys, mouse and messages

void TCustomDBCheckBoxEh::KeyPress(char32_t& Key) {
  TButtonControl::KeyPress(Key);
  if (Key == 8 || Key == U' ') FDataLink->StartEdit();
  if (Key == 27) {
    FDataLink->ReloadValue();
    Key = 0;
  }
}

void TCustomDBCheckBoxEh::KeyDown(Word& Key, TShiftState Shift) {
  TButtonControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    FSpacePressed = true;
    Invalidate();
    Key = 0;   // the control toggles itself on the release
  }
}

void TCustomDBCheckBoxEh::KeyUp(Word& Key, TShiftState Shift) {
  TButtonControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE) {
    if (FSpacePressed) {
      FSpacePressed = false;
      Toggle();
    }
    Key = 0;
  }
}

void TCustomDBCheckBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TButtonControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) FMouseDownInside = true;
  Invalidate();
}

void TCustomDBCheckBoxEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TButtonControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) FMouseDownInside = false;
  Invalidate();
}

void TCustomDBCheckBoxEh::WndProc(TMessage& Message) {
  bool designing = ComponentState().Contains(csDesigning);
  if (!designing && (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !Focused()) {
    // Focusing by the mouse fires no click of its own; a refused focus
    // drops the press (and so the toggle).
    FClicksDisabledByMouse = true;
    try {
      if (CanFocus()) SetFocus();
    } catch (...) {
      FClicksDisabledByMouse = false;
      throw;
    }
    FClicksDisabledByMouse = false;
    if (!Focused()) return;
  }
  if (Message.Msg == CN_COMMAND && FClicksDisabledByMouse) return;
  TButtonControl::WndProc(Message);
}

void TCustomDBCheckBoxEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      SetControlState(ControlState() + csCustomPaint);
      try {
        PaintHandler(Message);
      } catch (...) {
        SetControlState(ControlState() - csCustomPaint);
        throw;
      }
      SetControlState(ControlState() - csCustomPaint);
      return;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      RECT r{0, 0, Width(), Height()};
      HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
      FillRect(dc, &r, b);
      DeleteObject(b);
      Message.Result = 1;
      return;
    }
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
      return;
    case CN_DRAWITEM:
      Message.Result = 1;
      return;
    case WM_CANCELMODE: {
      TButtonControl::Dispatch(Message);
      if (ControlStyle().Contains(csCaptureMouse) && HandleAllocated() && GetCapture() == Handle()) {
        bool down = GetKeyState(VK_LBUTTON) < 0;
        ReleaseCapture();
        if (down) Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
      }
      return;
    }
    case CM_EXIT:
      try {
        FDataLink->UpdateRecord();
      } catch (...) {
        SetFocus();
        throw;
      }
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    case CM_CTL3DCHANGED:
      RecreateWnd();
      break;
    case CM_WANTSPECIALKEY:
      TButtonControl::Dispatch(Message);
      if (Message.WParam == VK_ESCAPE && FModified) Message.Result = 1;
      return;
    case CM_GETDATALINK:
      Message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
      return;
    case CM_MOUSEENTER:
      FMouseOver = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      FMouseOver = false;
      Invalidate();
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SIZE:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
      TButtonControl::Dispatch(Message);
      Invalidate();
      return;
  }
  TButtonControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Painting

void TCustomDBCheckBoxEh::PaintWindow(HDC DC) {
  if (!FPaintCanvas) {
    FPaintCanvas = std::make_unique<TControlCanvas>();
    FPaintCanvas->SetControl(this);
  }
  FPaintCanvas->Lock();
  FPaintCanvas->SetHandle(DC);
  try {
    PaintControl();
  } catch (...) {
    FPaintCanvas->SetHandle(nullptr);
    FPaintCanvas->Unlock();
    throw;
  }
  FPaintCanvas->SetHandle(nullptr);
  FPaintCanvas->Unlock();
}

void TCustomDBCheckBoxEh::PaintControl() {
  if (ControlState().Contains(csPaintCopy)) {
    DrawState(GetFieldState(), false, false, false);
    return;
  }
  bool pressed = (FMouseOver && FMouseDownInside) || FSpacePressed;
  DrawState(FState, Focused(), FMouseOver, pressed);
}

void TCustomDBCheckBoxEh::DrawState(TCheckBoxState AState, bool Focused, bool MouseOver, bool Pressed) {
  FPaintCanvas->Brush()->SetColor(Color());
  TRect client{0, 0, Width(), Height()};
  bool rtl = UseRightToLeftAlignment();
  bool boxRight = (!rtl && FAlignment == taLeftJustify) || (rtl && FAlignment == taRightJustify);
  TRect box = AlignCheckBoxRectEh(client, boxRight ? taRightJustify : taLeftJustify, tlCenter);
  TRect caption = boxRight ? TRect(0, 0, box.Left - 5, Height()) : TRect(box.Right + 5, 0, Width(), Height());
  DrawCaption(caption, Focused, MouseOver, Pressed);
  DrawCheckBox(box, AState, Focused, MouseOver, Pressed);
}

void TCustomDBCheckBoxEh::DrawCheckBox(TRect Rect, TCheckBoxState AState, bool Focused, bool MouseOver,
                                       bool Pressed) {
  bool designing = ComponentState().Contains(csDesigning);
  PaintButtonFaceEh(FPaintCanvas->Handle(), Rect, Color(), bfkCheckBox, Pressed ? 1 : 0, FFlat,
                    Focused || MouseOver || FAlwaysShowBorder, Enabled() || designing, AState);
}

void TCustomDBCheckBoxEh::DrawCaption(TRect Rect, bool Focused, bool, bool) {
  TCanvas* c = FPaintCanvas.get();
  c->Font()->Assign(Font());
  c->Brush()->SetColor(Color());
  TBrushStyle oldStyle = c->Brush()->Style();
  c->Brush()->SetStyle(bsClear);
  HDC dc = c->Handle();
  std::u16string text = Utf8ToUtf16(Caption());
  RECT m{0, 0, std::max(Rect.Width(), 1), Rect.Height()};
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), Integer(text.size()), &m, DT_CALCRECT | DT_SINGLELINE);
  Integer h = m.bottom - m.top, w = m.right - m.left;
  RECT r{Rect.Left, (Height() - h) / 2, Rect.Left + w, (Height() - h) / 2 + h};
  bool enabled = Enabled() || ComponentState().Contains(csDesigning);
  if (enabled) {
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), Integer(text.size()), &r, DT_SINGLELINE);
  } else {
    RECT shadow = r;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, ColorToRGB(clHighlightText));
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), Integer(text.size()), &shadow, DT_SINGLELINE);
    SetTextColor(dc, ColorToRGB(clGrayText));
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), Integer(text.size()), &r, DT_SINGLELINE);
  }
  c->Brush()->SetStyle(oldStyle);
  if (Focused && !text.empty()) {
    RECT f{r.left - 1, r.top - 1, r.right + 1, r.bottom + 2};
    RECT clip{0, 0, Width(), Height()};
    IntersectRect(&f, &f, &clip);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, ColorToRGB(Color()));
    DrawFocusRect(dc, &f);
  }
}
