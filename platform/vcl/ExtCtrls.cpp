#include "ExtCtrls.h"
#include <algorithm>
#include "Forms.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS_FACTORY(TTimer, TComponent)
TOVANI_IMPLEMENT_CLASS(TCustomPanel, TCustomControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPanel, TCustomPanel)
TOVANI_IMPLEMENT_CLASS_FACTORY(TBevel, TGraphicControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TImage, TGraphicControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TShape, TGraphicControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPaintBox, TGraphicControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TSplitter, TGraphicControl)
TOVANI_IMPLEMENT_CLASS(TCustomRadioGroup, TCustomGroupBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TRadioGroup, TCustomRadioGroup)
TOVANI_IMPLEMENT_CLASS(EOutOfResources, EOutOfMemory)

TOVANI_IMPLEMENT_ENUM_INFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer")
TOVANI_IMPLEMENT_ENUM_INFO(TBevelStyle, "bsLowered", "bsRaised")
TOVANI_IMPLEMENT_ENUM_INFO(TShapeType, "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle")
TOVANI_IMPLEMENT_ENUM_INFO(TResizeStyle, "rsNone", "rsLine", "rsUpdate", "rsPattern")

TOVANI_PUBLISHED(TTimer) {
  Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
  Property("OnTimer", &TTimer::OnTimer);
}

TOVANI_PUBLISHED(TPanel) {
  Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter);
  Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(bvNone);
  Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(bvRaised);
  Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
  Property("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle).Default(bsNone);
  Property("Caption", &TPanel::Caption, &TPanel::SetCaption);
  Property("FullRepaint", &TPanel::FullRepaint, &TPanel::SetFullRepaint).Default(true);
  Property("Locked", &TPanel::Locked, &TPanel::SetLocked).Default(false);
  Property("VerticalAlignment", &TPanel::VerticalAlignment, &TPanel::SetVerticalAlignment).Default(taVerticalCenter);
}

TOVANI_PUBLISHED(TBevel) {
  Property("Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
  Property("Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}

TOVANI_PUBLISHED(TImage) {
  Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false);
  Property("Center", &TImage::Center, &TImage::SetCenter).Default(false);
  Property("IncrementalDisplay", &TImage::IncrementalDisplay, &TImage::SetIncrementalDisplay).Default(false);
  Property("Picture", &TImage::Picture, &TImage::SetPicture);
  Property("Proportional", &TImage::Proportional, &TImage::SetProportional).Default(false);
  Property("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
  Property("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
}

TOVANI_PUBLISHED(TShape) {
  Property("Brush", &TShape::Brush, &TShape::SetBrush);
  Property("Pen", &TShape::Pen, &TShape::SetPen);
  Property("Shape", &TShape::Shape, &TShape::SetShape).Default(stRectangle);
}

TOVANI_PUBLISHED(TPaintBox) { Property("OnPaint", &TPaintBox::OnPaint); }

TOVANI_PUBLISHED(TSplitter) {
  Property("AutoSnap", &TSplitter::AutoSnap, &TSplitter::SetAutoSnap).Default(true);
  Property("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled).Default(bvNone);
  Property("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
  Property("ResizeStyle", &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle).Default(rsUpdate);
  Property("OnCanResize", &TSplitter::OnCanResize);
  Property("OnMoved", &TSplitter::OnMoved);
}

TOVANI_PUBLISHED(TRadioGroup) {
  Property("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns).Default(1);
  Property("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex).Default(-1);
  Property("Items", &TRadioGroup::Items, &TRadioGroup::SetItems);
}

// ---------------------------------------------------------------------------
// TTimer: a hidden window of its own receives WM_TIMER.

namespace {
const char16_t kTimerClass[] = u"TTimerWindow";
}

LRESULT CALLBACK TTimer::WndProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    auto* t = reinterpret_cast<TTimer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (t) {
      try {
        t->Timer();
      } catch (...) {
        HandleControlException(t);
      }
    }
    return 0;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = reinterpret_cast<LPCWSTR>(kTimerClass);
  RegisterClassW(&wc);
  FWindow = CreateWindowExW(0, wc.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  UpdateTimer();
}

TTimer::~TTimer() {
  Destroying();
  if (FWindow) {
    if (FRunning) KillTimer(FWindow, 1);
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
    DestroyWindow(FWindow);
  }
}

void TTimer::UpdateTimer() {
  if (!FWindow) return;
  if (FRunning) KillTimer(FWindow, 1);
  FRunning = false;
  // A timer read from a form file starts once everything is loaded.
  if (FEnabled && FInterval > 0 && OnTimer && !ComponentState().Contains(csLoading)) {
    FRunning = SetTimer(FWindow, 1, FInterval, nullptr) != 0;
    if (!FRunning) throw EOutOfResources("Not enough timers available");
  }
}

void TTimer::SetEnabled(bool v) {
  if (FEnabled == v) return;
  FEnabled = v;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal v) {
  if (FInterval == v) return;
  FInterval = v;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::Timer() {
  if (!FRunning && OnTimer) UpdateTimer();
  if (FEnabled && OnTimer) OnTimer(this);
}

// ---------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                   csReplicatable};
  FWidth = 185;
  FHeight = 41;
  FColor = clBtnFace;
  FParentColor = true;
  FBrush->SetColor(FColor);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    if (FCtl3D) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Integer bevel = 0;
  if (FBevelOuter != bvNone) bevel += FBevelWidth;
  if (FBevelInner != bvNone) bevel += FBevelWidth;
  InflateRect(Rect, -bevel, -bevel);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto frame = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    for (Integer i = 0; i < FBevelWidth; ++i) {
      c->Pen()->SetColor(top);
      c->Polyline({Point(r.Left, r.Bottom - 1), Point(r.Left, r.Top), Point(r.Right - 1, r.Top)});
      c->Pen()->SetColor(bottom);
      c->Polyline({Point(r.Right - 1, r.Top), Point(r.Right - 1, r.Bottom - 1), Point(r.Left - 1, r.Bottom - 1)});
      InflateRect(r, -1, -1);
    }
  };
  frame(FBevelOuter);
  frame(FBevelInner);
  c->Brush()->SetColor(FColor);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  String caption = Caption();
  if (!caption.empty()) {
    static const UINT h[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    static const UINT v[] = {DT_TOP, DT_BOTTOM, DT_VCENTER};
    c->Font()->Assign(FFont.get());
    c->Brush()->SetStyle(bsClear);
    HDC dc = c->Handle();
    c->Font()->Handle();
    SelectObject(dc, c->Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(IsEnabled() ? FFont->Color() : clGrayText));
    std::u16string w = ToUtf16(caption);
    RECT rr{r.Left, r.Top, r.Right, r.Bottom};
    DrawTextW(dc, W(w), int(w.size()), &rr, DT_EXPANDTABS | DT_SINGLELINE | h[FAlignment] | v[FVerticalAlignment]);
  }
}

void TCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
  }
  TCustomControl::Dispatch(Message);
}

#define PANEL_SETTER(Prop, Type, Field, Realigns) \
  void TCustomPanel::Set##Prop(Type v) {          \
    if (Field == v) return;                       \
    Field = v;                                    \
    if (Realigns) Realign();                      \
    Invalidate();                                 \
  }
PANEL_SETTER(Alignment, TAlignment, FAlignment, false)
PANEL_SETTER(VerticalAlignment, TVerticalAlignment, FVerticalAlignment, false)
PANEL_SETTER(BevelInner, TBevelCut, FBevelInner, true)
PANEL_SETTER(BevelOuter, TBevelCut, FBevelOuter, true)
PANEL_SETTER(BevelWidth, TBevelWidth, FBevelWidth, true)
#undef PANEL_SETTER

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  RecreateWnd();
}

// ---------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle += csReplicatable;
  FWidth = 50;
  FHeight = 50;
}

void TBevel::SetShape(TBevelShape v) {
  if (FShape == v) return;
  FShape = v;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle v) {
  if (FStyle == v) return;
  FStyle = v;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = Canvas();
  TColor c1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor c2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  Integer w = FWidth, h = FHeight;
  auto line = [&](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  switch (FShape) {
    case bsBox:
      line(c1, 0, h - 1, 0, 0);
      line(c1, 0, 0, w - 1, 0);
      line(c2, w - 1, 0, w - 1, h - 1);
      line(c2, w - 1, h - 1, 0, h - 1);
      break;
    case bsFrame:
      line(c1, 0, 0, w - 1, 0);
      line(c1, 0, 0, 0, h - 1);
      line(c1, w - 2, 1, w - 2, h - 2);
      line(c1, 1, h - 2, w - 1, h - 2);
      line(c2, 1, 1, w - 2, 1);
      line(c2, 1, 1, 1, h - 2);
      line(c2, w - 1, 0, w - 1, h);
      line(c2, 0, h - 1, w, h - 1);
      break;
    case bsTopLine:
      line(c1, 0, 0, w, 0);
      line(c2, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(c1, 0, h - 2, w, h - 2);
      line(c2, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(c1, 0, 0, 0, h);
      line(c2, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(c1, w - 2, 0, w - 2, h);
      line(c2, w - 1, 0, w - 1, h);
      break;
    case bsSpacer: break;
  }
}

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
  FControlStyle += csReplicatable;
  FPicture->OnChange = [this](TObject* s) { PictureChanged(s); };
  FWidth = 105;
  FHeight = 105;
}

TImage::~TImage() = default;

TCanvas* TImage::Canvas() {
  TGraphic* g = FPicture->Graphic();
  if (g && !dynamic_cast<TBitmap*>(g)) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  if (!g) {
    FPicture->Bitmap()->SetSize(FWidth, FHeight);
  }
  return FPicture->Bitmap()->Canvas();
}

void TImage::PictureChanged(TObject*) {
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0) SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
  if (TGraphic* g = FPicture->Graphic()) {
    if (!dynamic_cast<TBitmap*>(g) || static_cast<TBitmap*>(g)->PixelFormat() != pf32bit) g->SetTransparent(FTransparent);
  }
  Invalidate();
}

bool TImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  if (FPicture->Width() > 0 && FPicture->Height() > 0) {
    NewWidth = FPicture->Width();
    NewHeight = FPicture->Height();
  }
  return true;
}

TRect TImage::DestRect() {
  Integer w = FPicture->Width(), h = FPicture->Height();
  Integer cw = FWidth, ch = FHeight;
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      // Fit inside while keeping the picture's proportions.
      if (int64_t(cw) * h > int64_t(ch) * w) {
        w = Integer(int64_t(w) * ch / h);
        h = ch;
      } else {
        h = Integer(int64_t(h) * cw / w);
        w = cw;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r(0, 0, w, h);
  if (FCenter) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* g = FPicture->Graphic();
  if (g && !g->Empty()) TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
}

void TImage::SetCenter(bool v) {
  if (FCenter == v) return;
  FCenter = v;
  Invalidate();
}

void TImage::SetStretch(bool v) {
  if (FStretch == v) return;
  FStretch = v;
  Invalidate();
}

void TImage::SetProportional(bool v) {
  if (FProportional == v) return;
  FProportional = v;
  Invalidate();
}

void TImage::SetTransparent(bool v) {
  if (FTransparent == v) return;
  FTransparent = v;
  PictureChanged(this);
}

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner), FPen(new TPen), FBrush(new TBrush) {
  FControlStyle += csReplicatable;
  FWidth = 65;
  FHeight = 65;
  FPen->OnChange = [this](TObject*) { Invalidate(); };
  FBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() = default;

void TShape::SetShape(TShapeType v) {
  if (FShape == v) return;
  FShape = v;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* c = TGraphicControl::Canvas();
  c->Pen()->Assign(FPen.get());
  c->Brush()->Assign(FBrush.get());
  Integer pw = FPen->Width();
  Integer x = pw / 2, y = x;
  Integer w = FWidth - pw + 1, h = FHeight - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  if (w < h) {
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
      y += (h - w) / 2;
      h = w;
    }
  } else if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
    x += (w - h) / 2;
    w = h;
  }
  switch (FShape) {
    case stRectangle:
    case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: c->RoundRect(x, y, x + w, y + h, std::min(w, h) / 4, std::min(w, h) / 4); break;
    case stEllipse:
    case stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}

// ---------------------------------------------------------------------------
// TPaintBox

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle += csReplicatable;
  FWidth = 105;
  FHeight = 105;
}

void TPaintBox::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(FFont.get());
  c->Brush()->SetColor(FColor);
  if (OnPaint) OnPaint(this);
}

// ---------------------------------------------------------------------------
// TSplitter

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  FAlign = alLeft;
  FWidth = 3;
  FHeight = 100;
  FCursor = crHSplit;
}

void TSplitter::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(FColor);
  c->FillRect(ClientRect());
  if (FBeveled != bvNone) {
    TRect r = ClientRect();
    DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&r), FBeveled == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  }
}

TControl* TSplitter::FindControl() {
  // The visible control aligned the same way that touches the splitter's
  // leading edge.
  if (!FParent) return nullptr;
  TPoint p;
  switch (FAlign) {
    case alLeft: p = {FLeft - 1, FTop}; break;
    case alRight: p = {FLeft + FWidth, FTop}; break;
    case alTop: p = {FLeft, FTop - 1}; break;
    case alBottom: p = {FLeft, FTop + FHeight}; break;
    default: return nullptr;
  }
  for (TControl* c : FParent->ControlList()) {
    if (c == this || !c->Visible() || c->Align() != FAlign) continue;
    TRect r = c->BoundsRect();
    if (r.Width() == 0 && (FAlign == alLeft || FAlign == alRight)) --r.Left;
    if (r.Height() == 0 && (FAlign == alTop || FAlign == alBottom)) --r.Top;
    if (p.X >= r.Left && p.X < r.Right + (FAlign == alRight ? 1 : 0) && p.Y >= r.Top && p.Y < r.Bottom + (FAlign == alBottom ? 1 : 0))
      return c;
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FControl = FindControl();
  FDownPos = {X, Y};
  if (!FControl) return;
  FOldSize = (FAlign == alLeft || FAlign == alRight) ? FControl->Width() : FControl->Height();
  FDragging = true;
}

void TSplitter::UpdateSize(Integer X, Integer Y) {
  if (!FControl) return;
  Integer delta = (FAlign == alLeft || FAlign == alRight) ? X - FDownPos.X : Y - FDownPos.Y;
  if (FAlign == alRight || FAlign == alBottom) delta = -delta;
  Integer current = (FAlign == alLeft || FAlign == alRight) ? FControl->Width() : FControl->Height();
  Integer newSize = current + delta;
  // Room the parent's client area leaves.
  TRect client = FParent->ClientRect();
  Integer room = (FAlign == alLeft || FAlign == alRight) ? client.Width() : client.Height();
  for (TControl* c : FParent->ControlList())
    if (c != FControl && c->Visible() && c->Align() == FAlign) room -= (FAlign == alLeft || FAlign == alRight) ? c->Width() : c->Height();
  newSize = std::clamp(newSize, 0, std::max(0, room - FMinSize));
  if (newSize < FMinSize) newSize = FAutoSnap ? 0 : FMinSize;
  bool accept = true;
  if (OnCanResize) OnCanResize(this, newSize, accept);
  if (!accept || newSize == current) return;
  if (FAlign == alLeft || FAlign == alRight) FControl->SetWidth(newSize);
  else FControl->SetHeight(newSize);
}

void TSplitter::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FDragging && Shift.Contains(ssLeft)) UpdateSize(X, Y);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging) return;
  FDragging = false;
  UpdateSize(X, Y);
  FControl = nullptr;
  if (OnMoved) OnMoved(this);
}

void TSplitter::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_CANCELMODE || Message.Msg == WM_CANCELMODE) FDragging = false;
  TGraphicControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TCustomRadioGroup

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner), FItems(new TStringList) {
  FItems->OnChange = [this](TObject*) {
    if (ComponentState().Contains(csReading)) return;
    if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
    UpdateButtons();
  };
}

TCustomRadioGroup::~TCustomRadioGroup() {
  FItems->OnChange = nullptr;
  for (TRadioButton* b : FButtons) delete b;
  FButtons.clear();
}

void TCustomRadioGroup::UpdateButtons() {
  FUpdating = true;
  while (Integer(FButtons.size()) > FItems->Count()) {
    delete FButtons.back();
    FButtons.pop_back();
  }
  while (Integer(FButtons.size()) < FItems->Count()) {
    auto* b = new TRadioButton(nullptr);
    Integer index = Integer(FButtons.size());
    b->OnClick = [this, index](TObject*) {
      if (FUpdating) return;
      FItemIndex = index;
      Changed();
      Click();
    };
    b->SetParent(this);
    FButtons.push_back(b);
  }
  for (size_t i = 0; i < FButtons.size(); ++i) {
    FButtons[i]->SetCaption(FItems->Strings(Integer(i)));
    FButtons[i]->SetCheckedValue(Integer(i) == FItemIndex);
  }
  FUpdating = false;
  ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (FButtons.empty()) return;
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(FFont.get());
  Integer textH = scratch.Canvas()->TextHeight("0");
  Integer cols = std::max(1, FColumns);
  Integer rows = (Integer(FButtons.size()) + cols - 1) / cols;
  Integer colWidth = (FWidth - 10) / cols;
  Integer top = textH + 2;
  Integer itemH = std::max(1, (FHeight - top - 2) / std::max(1, rows));
  for (size_t i = 0; i < FButtons.size(); ++i) {
    Integer col = Integer(i) / rows, row = Integer(i) % rows;
    FButtons[i]->SetBounds(8 + col * colWidth, top + row * itemH + (itemH - textH) / 2, colWidth - 4, textH + 2);
  }
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  UpdateButtons();
}

void TCustomRadioGroup::SetItemIndex(Integer v) {
  if (ComponentState().Contains(csReading)) {
    FItemIndex = v;
    return;
  }
  v = std::clamp(v, -1, FItems->Count() - 1);
  if (FItemIndex == v) return;
  FItemIndex = v;
  FUpdating = true;
  for (size_t i = 0; i < FButtons.size(); ++i) FButtons[i]->SetCheckedValue(Integer(i) == v);
  FUpdating = false;
}

void TCustomRadioGroup::SetColumns(Integer v) {
  v = std::clamp(v, 1, 16);
  if (FColumns == v) return;
  FColumns = v;
  ArrangeButtons();
}

void TCustomRadioGroup::Dispatch(TMessage& Message) {
  TCustomGroupBox::Dispatch(Message);
  switch (Message.Msg) {
    case WM_SIZE:
    case CM_FONTCHANGED: ArrangeButtons(); break;
  }
  if (Message.Msg == CM_ENABLEDCHANGED)
    for (TRadioButton* b : FButtons) b->SetEnabled(Enabled());
}
