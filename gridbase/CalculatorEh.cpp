#include "CalculatorEh.h"
#include <cmath>
#include "Clipbrd.h"
#include "ExtCtrls.h"
#include "FormatSettings.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "VclWindows.h"

void TovaniRegisterForms_gridbase();

TOVANI_IMPLEMENT_CLASS_FACTORY(TCalculatorEh, TCustomControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPopupCalculatorEh, TCalculatorEh)

TOVANI_PUBLISHED(TCalculatorEh) {
  Property("BorderStyle", &TCalculatorEh::BorderStyle, &TCalculatorEh::SetBorderStyle).Default(bsNone);
  Property("ClientHeight", &TCalculatorEh::DesignClientHeight, &TCalculatorEh::SetDesignClientHeight).Stored(false);
  Property("ClientWidth", &TCalculatorEh::DesignClientWidth, &TCalculatorEh::SetDesignClientWidth).Stored(false);
  Property("OldCreateOrder", &TCalculatorEh::OldCreateOrder, &TCalculatorEh::SetOldCreateOrder);
  Property("PixelsPerInch", &TCalculatorEh::PixelsPerInch, &TCalculatorEh::SetPixelsPerInch).Stored(false);
  Property("TextHeight", &TCalculatorEh::TextHeight, &TCalculatorEh::SetTextHeight).Stored(false);
  Method("SpeedButtonClick", &TCalculatorEh::SpeedButtonClick);
}

namespace {

// The character each key of the form sends, by its Tag.
constexpr char32_t TagKeys[24] = {0,   U'7', U'8', U'9', U'/', U'S', U'C', U'4', U'5', U'6', U'*', U'%',
                                  U'A', U'1', U'2', U'3', U'-', U'R', 8,    U'0', U'I', U'.', U'+', U'='};

String FormatDisplay(double v) { return FloatToStrF(v, ffGeneral, 15, 0); }

Integer ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  Integer ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi > 0 ? ppi : 96;
}

}  // namespace

char32_t TCalculatorEh::KeyOfTag(Integer Tag) { return Tag >= 0 && Tag < 24 ? TagKeys[Tag] : 0; }

TCalculatorEh::TCalculatorEh(TComponent* AOwner) : TCustomControl(AOwner) {
  FPixelsPerInch = ScreenPixelsPerInch();
  SetColor(clBtnFace);
  // The keys and the display come from the form file.
  TovaniRegisterForms_gridbase();
  ReadFormText(this, FindFormResource("TCalculatorEh"));
  Panel1 = dynamic_cast<TPanel*>(FindComponent("Panel1"));
  TextBox = dynamic_cast<TLabel*>(FindComponent("TextBox"));
  spEqual = dynamic_cast<TSpeedButtonEh*>(FindComponent("spEqual"));
  for (TSpeedButtonEh* k : Keys()) {
    k->SetStyle(ebsGlyphEh);
    k->SetActive(true);
  }
  FPixelsPerInch = ScreenPixelsPerInch();
  SetAutoSize(true);
  Integer w = 0, h = 0;
  CanAutoSize(w, h);
  SetBounds(Left(), Top(), w, h);
}

TCalculatorEh::~TCalculatorEh() = default;

std::vector<TSpeedButtonEh*> TCalculatorEh::Keys() {
  std::vector<TSpeedButtonEh*> keys;
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (auto* k = dynamic_cast<TSpeedButtonEh*>(Components(i))) keys.push_back(k);
  return keys;
}

Integer TCalculatorEh::PixelsPerInch() const { return FPixelsPerInch ? FPixelsPerInch : ScreenPixelsPerInch(); }

void TCalculatorEh::SetPixelsPerInch(Integer v) {
  if (v != FPixelsPerInch && (v == 0 || v > 35)) FPixelsPerInch = v;
}

void TCalculatorEh::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  if (HandleAllocated()) RecreateWnd();
}

void TCalculatorEh::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

Integer TCalculatorEh::GetBorderExtent() {
  TCreateParams p;
  CreateParams(p);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
  return r.bottom - r.top;
}

bool TCalculatorEh::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  NewWidth = GetBorderExtent() + FClientWidth;
  NewHeight = GetBorderExtent() + FClientHeight;
  return true;
}

String TCalculatorEh::DisplayText() const { return TextBox ? TextBox->Caption() : String("0"); }

void TCalculatorEh::SetDisplayText(const String& Text) {
  if (TextBox) TextBox->SetCaption(Text);
}

double TCalculatorEh::DisplayValue() const {
  if (FStatus == 2) return 0;
  return StrToFloat(Trim(DisplayText()));
}

void TCalculatorEh::SetDisplay(double Value) { SetDisplayText(FormatDisplay(Value)); }

void TCalculatorEh::Error() {
  FStatus = 2;
  SetDisplayText("Error");
}

void TCalculatorEh::Clear() {
  FStatus = 0;
  SetDisplay(0);
  FPendingOp = U'=';
  FOperand = 0;
}

void TCalculatorEh::StartEntry() {
  if (FStatus != 0) return;
  FStatus = 1;
  SetDisplayText("0");
}

void TCalculatorEh::UpdateEqualsCaption() {
  if (!spEqual) return;
  bool pending = FOperand != 0 && FStatus == 1 &&
                 (FPendingOp == U'*' || FPendingOp == U'+' || FPendingOp == U'-' || FPendingOp == U'/');
  spEqual->SetCaption(pending ? "=" : "Ok");
}

void TCalculatorEh::CalcKey(char32_t Key) {
  if (Key >= U'a' && Key <= U'z') Key = Key - U'a' + U'A';
  if (FStatus == 2 && Key != U'C') Key = 0;
  const char32_t decimal = char32_t(FormatSettings().DecimalSeparator);
  if (Key == decimal || Key == U',' || Key == U'.') {
    StartEntry();
    String text = DisplayText();
    if (text.find(char(decimal)) == String::npos) SetDisplayText(text + char(decimal));
    return;
  }
  switch (Key) {
    case U'0': case U'1': case U'2': case U'3': case U'4':
    case U'5': case U'6': case U'7': case U'8': case U'9': {
      StartEntry();
      String text = DisplayText();
      if (text == "0") text.clear();
      if (text.find('E') == String::npos) {
        size_t limit = !text.empty() && text[0] == '-' ? 16 : 15;
        if (text.size() < limit) text += char(Key);
      }
      SetDisplayText(text.empty() ? String("0") : text);
      break;
    }
    case 8: {
      StartEntry();
      String text = DisplayText();
      if (text.size() == 1 || (text.size() == 2 && text[0] == '-')) text = "0";
      else if (!text.empty()) text.pop_back();
      SetDisplayText(text);
      break;
    }
    case U'I': SetDisplay(-DisplayValue()); break;
    case U'R':
    case U'S':
      if (FStatus <= 1) {
        FStatus = 0;
        double x = DisplayValue();
        if (Key == U'R') {
          if (x == 0) Error();
          else SetDisplay(1 / x);
        } else {
          if (x < 0) Error();
          else SetDisplay(std::sqrt(x));
        }
      }
      break;
    case 13: case U'%': case U'*': case U'+': case U'-': case U'/': case U'=': {
      if (FStatus == 1) {
        FStatus = 0;
        double x = DisplayValue();
        if (Key == U'%') {
          if (FPendingOp == U'*' || FPendingOp == U'/') x = x / 100;
          else if (FPendingOp == U'+' || FPendingOp == U'-') x = FOperand * x / 100;
        }
        switch (FPendingOp) {
          case U'*': SetDisplay(FOperand * x); break;
          case U'+': SetDisplay(FOperand + x); break;
          case U'-': SetDisplay(FOperand - x); break;
          case U'/':
            if (x == 0) Error();
            else SetDisplay(FOperand / x);
            break;
          default: break;
        }
      }
      FPendingOp = Key;
      FOperand = DisplayValue();
      break;
    }
    case 27:
    case U'C': Clear(); break;
    case 3: Clipboard()->SetAsText(DisplayText()); break;
    case 22:
      if (Clipboard()->HasFormat(CF_TEXT)) {
        // A text that is no number raises the conversion error; the display
        // stays as it was.
        double v = StrToFloat(Trim(Clipboard()->AsText()));
        SetDisplay(v);
      }
      break;
    default: break;
  }
  UpdateEqualsCaption();
}

void TCalculatorEh::SpeedButtonClick(TObject* Sender) {
  if (auto* c = dynamic_cast<TComponent*>(Sender)) CalcKey(KeyOfTag(Integer(c->Tag())));
}

void TCalculatorEh::KeyPress(char32_t& Key) {
  TCustomControl::KeyPress(Key);
  if (Key) CalcKey(Key);
}

void TCalculatorEh::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == VK_DELETE) CalcKey(U'C');
}

bool TCalculatorEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (!TCustomControl::DoMouseWheelDown(Shift, MousePos) && FStatus != 2) SetDisplay(DisplayValue() - 1);
  return true;
}

bool TCalculatorEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (!TCustomControl::DoMouseWheelUp(Shift, MousePos) && FStatus != 2) SetDisplay(DisplayValue() + 1);
  return true;
}

// ---------------------------------------------------------------------------
// TPopupCalculatorEh

TPopupCalculatorEh::TPopupCalculatorEh(TComponent* AOwner) : TCalculatorEh(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  SetCtl3D(true);
  SetParentCtl3D(false);
  SetTabStop(false);
  FBorderWidth = Ctl3D() ? 2 : 0;
  Integer w = 0, h = 0;
  CanAutoSize(w, h);
  SetBounds(Left(), Top(), w, h);
}

void TPopupCalculatorEh::CreateParams(TCreateParams& Params) {
  TCalculatorEh::CreateParams(Params);
  Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP;
  if (!Ctl3D()) Params.Style |= WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

bool TPopupCalculatorEh::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  TCalculatorEh::CanAutoSize(NewWidth, NewHeight);
  NewWidth += 2 * FBorderWidth;
  NewHeight += 2 * FBorderWidth;
  return true;
}

void TPopupCalculatorEh::CloseOwner(bool Accept) {
  if (auto* owner = dynamic_cast<IPopupOwnerEh*>(Owner())) owner->CloseUp(Accept);
}

void TPopupCalculatorEh::DrawBorder() {
  if (!Ctl3D() || !HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  RECT r{0, 0, Width(), Height()};
  FrameRect(dc, &r, GetSysColorBrush(COLOR_3DDKSHADOW));
  InflateRect(&r, -1, -1);
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  ReleaseDC(Handle(), dc);
}

void TPopupCalculatorEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
    case WM_GETDLGCODE:
      TCalculatorEh::Dispatch(Message);
      Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case WM_NCCALCSIZE: {
      TCalculatorEh::Dispatch(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      InflateRect(r, -FBorderWidth, -FBorderWidth);
      return;
    }
    case WM_NCPAINT:
      TCalculatorEh::Dispatch(Message);
      DrawBorder();
      return;
    case CM_CTL3DCHANGED:
      FBorderWidth = Ctl3D() ? 2 : 0;
      if (HandleAllocated()) RecreateWnd();
      break;
    case CM_WANTSPECIALKEY:
      if (dynamic_cast<IPopupOwnerEh*>(Owner()) && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        CloseOwner(Message.WParam == VK_RETURN);
        Message.Result = 1;
        return;
      }
      break;
    case CM_CLOSEUP_EH: CloseOwner(false); return;
  }
  TCalculatorEh::Dispatch(Message);
}

void TPopupCalculatorEh::KeyDown(Word& Key, TShiftState Shift) {
  TCalculatorEh::KeyDown(Key, Shift);
  if (Key == VK_ESCAPE) {
    CloseOwner(false);
    Key = 0;
  }
}

void TPopupCalculatorEh::CalcKey(char32_t Key) {
  if ((Key == 13 || Key == U'=') && spEqual && spEqual->Caption() == "Ok") {
    CloseOwner(true);
    return;
  }
  TCalculatorEh::CalcKey(Key);
}

bool TPopupCalculatorEh::ResultReady() { return spEqual && spEqual->Caption() == "Ok"; }

Variant TPopupCalculatorEh::GetValue() {
  // The class library's Variant has no error kind: the error state reads
  // as Null, and owners that must tell it apart ask Status().
  if (Status() == 2) return Variant::Null();
  return Variant(DisplayValue());
}

void TPopupCalculatorEh::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  for (TSpeedButtonEh* k : Keys()) k->SetFlat(Value);
}

void TPopupCalculatorEh::SetValue(const Variant& Value) {
  Clear();
  SetDisplay(Value.AsDouble());
}
