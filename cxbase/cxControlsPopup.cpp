// Popup windows of the library: the popup placed against an owner
// rectangle, the drag image and the sizing frame.
#include <algorithm>

#include "cxControls.h"

// ---------------------------------------------------------------------------
// TcxPopupWindow

TOVANI_IMPLEMENT_CLASS(TcxPopupWindow, TForm)

TcxPopupWindow::TcxPopupWindow() : TForm(nullptr) {
  FcxCanvas = std::make_unique<TcxCanvas>(Canvas());
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  SetVisible(false);
}

TcxPopupWindow::~TcxPopupWindow() = default;

void TcxPopupWindow::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.ExStyle |= WS_EX_TOOLWINDOW;
}

Integer TcxPopupWindow::GetFrameWidth(TcxBorder) {
  switch (FFrame) {
    case pwfSingle:
    case pwfFlat: return 1;
    case pwf3D: return 2;
    default: return 0;
  }
}

TRect TcxPopupWindow::GetClientBounds() {
  TRect r = ClientRect();
  r.Left += GetBorderExtent(bLeft);
  r.Top += GetBorderExtent(bTop);
  r.Right -= GetBorderExtent(bRight);
  r.Bottom -= GetBorderExtent(bBottom);
  return r;
}

TRect TcxPopupWindow::GetOwnerScreenBounds() {
  if (!FOwnerParent) return FOwnerBounds;
  return TRect(FOwnerParent->ClientToScreen(FOwnerBounds.TopLeft()),
               FOwnerParent->ClientToScreen(FOwnerBounds.BottomRight()));
}

void TcxPopupWindow::InheritOwnerFont() {
  if (FOwnerParent) Font()->Assign(FOwnerParent->Font());
}

void TcxPopupWindow::AdjustSizeToControls() {
  if (!FAdjustable) return;
  const Integer l = GetBorderExtent(bLeft), t = GetBorderExtent(bTop);
  Integer right = 0, bottom = 0;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
    c->SetBounds(c->Left() + l, c->Top() + t, c->Width(), c->Height());
  }
  if (ControlCount() > 0) {
    SetWidth(l + right + GetBorderExtent(bRight));
    SetHeight(t + bottom + GetBorderExtent(bBottom));
  }
}

void TcxPopupWindow::ShiftChildrenBack() {
  const Integer l = GetBorderExtent(bLeft), t = GetBorderExtent(bTop);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() - l, c->Top() - t, c->Width(), c->Height());
  }
}

void TcxPopupWindow::SetPopupBorderStyle(TcxPopupWindowFrame Value) {
  ShiftChildrenBack();
  FFrame = Value;
}

void TcxPopupWindow::CalcPosition(TPoint& P) {
  const TRect o = GetOwnerScreenBounds();
  const Integer w = Width(), h = Height();
  TcxPopupHorzAlign horz = FAlignHorz;
  TcxPopupVertAlign vert = FAlignVert;
  TPoint anchor;
  if (horz == phaCenter) anchor.X = P.X = (o.Left + o.Right - w) / 2;
  if (vert == pvaCenter) anchor.Y = P.Y = (o.Top + o.Bottom - h) / 2;
  auto place = [&] {
    if (FDirection == pflVertical) {
      if (horz == phaLeft) P.X = anchor.X = o.Left;
      if (horz == phaRight) P.X = o.Right - w, anchor.X = o.Right;
      if (vert == pvaTop) P.Y = o.Top - h, anchor.Y = o.Top;
      if (vert == pvaBottom) P.Y = anchor.Y = o.Bottom;
    } else {
      if (horz == phaLeft) P.X = o.Left - w, anchor.X = o.Left;
      if (horz == phaRight) P.X = anchor.X = o.Right;
      if (vert == pvaTop) P.Y = anchor.Y = o.Top;
      if (vert == pvaBottom) P.Y = o.Bottom - h, anchor.Y = o.Bottom;
    }
  };
  place();
  const TRect a = WorkAreaAt(anchor);
  // Flip on the main axis when the other side has more room.
  if (FDirection == pflVertical) {
    if (vert == pvaBottom && a.Bottom < P.Y + h && a.Bottom - o.Bottom < o.Top - a.Top) {
      vert = pvaTop;
      place();
    } else if (vert == pvaTop && P.Y < a.Top && a.Bottom - o.Bottom >= o.Top - a.Top) {
      vert = pvaBottom;
      place();
    }
  } else {
    if (horz == phaRight && a.Right < P.X + w && a.Right - o.Right < o.Left - a.Left) {
      horz = phaLeft;
      place();
    } else if (horz == phaLeft && P.X < a.Left && a.Right - o.Right >= o.Left - a.Left) {
      horz = phaRight;
      place();
    }
  }
  // Keep the cross axis (and a centred one) on the work area; the left and
  // top edges win when the popup is larger than it.
  if (FDirection == pflVertical || horz == phaCenter) {
    if (P.X + w > a.Right) P.X = a.Right - w;
    if (P.X < a.Left) P.X = a.Left;
  }
  if (FDirection == pflHorizontal || vert == pvaCenter) {
    if (P.Y + h > a.Bottom) P.Y = a.Bottom - h;
    if (P.Y < a.Top) P.Y = a.Top;
  }
}

void TcxPopupWindow::Popup() {
  InheritOwnerFont();
  AdjustSizeToControls();
  TPoint p(Left(), Top());
  CalcPosition(p);
  SetBounds(p.X, p.Y, Width(), Height());
  Show();
}

void TcxPopupWindow::PaintFrame() {
  const TRect r(0, 0, Width(), Height());
  switch (FFrame) {
    case pwfSingle: FcxCanvas->DrawRectBorders(r, FFrameColor, 1, cxBordersAll); break;
    case pwfFlat: FcxCanvas->DrawTwoColorFrame(r, clBtnHighlight, clBtnShadow); break;
    case pwf3D:
      FcxCanvas->DrawTwoColorFrame(r, cl3DLight, cl3DDkShadow);
      FcxCanvas->DrawTwoColorFrame(cxInflatedRect(r, -1, -1), clBtnHighlight, clBtnShadow);
      break;
    default: break;
  }
}

void TcxPopupWindow::Paint() {
  TForm::Paint();
  PaintFrame();
}

void TcxPopupWindow::Deactivate() {
  TForm::Deactivate();
  ClosePopup();
}

void TcxPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATE:
      TForm::Dispatch(Message);
      if (LOWORD(Message.WParam) != WA_INACTIVE) {
        // The owner form's caption stays active while the popup is.
        FPrevActiveWindow = reinterpret_cast<HWND>(Message.LParam);
        if (FPrevActiveWindow) SendMessageW(FPrevActiveWindow, WM_NCACTIVATE, 1, 0);
      }
      return;
    case WM_ACTIVATEAPP:
      DefaultHandler(Message);
      if (!Message.WParam) {
        if (FPrevActiveWindow && IsWindow(FPrevActiveWindow)) SendMessageW(FPrevActiveWindow, WM_NCACTIVATE, 0, 0);
        ClosePopup();
      }
      return;
    case CM_VISIBLECHANGED:
      TForm::Dispatch(Message);
      VisibleChanged();
      return;
  }
  TForm::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TcxCustomDragImage

TOVANI_IMPLEMENT_CLASS(TcxCustomDragImage, TcxPopupWindow)

TcxCustomDragImage::TcxCustomDragImage() { SetBounds(0, 0, 0, 0); }

void TcxCustomDragImage::CreateParams(TCreateParams& Params) {
  TcxPopupWindow::CreateParams(Params);
  Params.WindowClass.style |= CS_SAVEBITS;
  TWinControl* owner = FPopupParent;
  if (!owner && Screen) owner = Screen->ActiveForm();
  if (owner && owner->HandleAllocated()) Params.WndParent = owner->Handle();
  if (FAlphaBlend) Params.ExStyle |= WS_EX_LAYERED;
}

void TcxCustomDragImage::CreateWnd() {
  TcxPopupWindow::CreateWnd();
  if (FAlphaBlend) SetLayeredWindowAttributes(Handle(), 0, FAlphaBlendValue, LWA_ALPHA);
}

void TcxCustomDragImage::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_NCHITTEST: Message.Result = HTTRANSPARENT; return;   // the mouse goes through
  }
  TcxPopupWindow::Dispatch(Message);
}

void TcxCustomDragImage::ShowNoActivate() {
  ShowWindow(Handle(), SW_SHOWNA);
  SetVisible(true);
  Update();
}

// ---------------------------------------------------------------------------
// TcxSizeFrame

TOVANI_IMPLEMENT_CLASS(TcxSizeFrame, TcxCustomDragImage)

TcxSizeFrame::TcxSizeFrame(Integer AFrameWidth) : FFrameWidth(AFrameWidth), FRegion(std::make_unique<TcxRegion>()) {
  SetAlphaBlend(false);
  // The checkered brush of black and white pixels.
  FPattern = std::make_unique<TBitmap>(8, 8, pf24bit);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) FPattern->Canvas()->SetPixels(x, y, (x + y) % 2 ? clWhite : clBlack);
  Canvas()->Brush()->SetBitmap(FPattern.get());
}

TcxSizeFrame::~TcxSizeFrame() { Canvas()->Brush()->SetBitmap(nullptr); }

void TcxSizeFrame::SetFrameBounds(const TRect& R) {
  FRegion = std::make_unique<TcxRegion>(0, 0, R.Width(), R.Height());
  SetBounds(R.Left, R.Top, R.Width(), R.Height());
}

void TcxSizeFrame::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TcxCustomDragImage::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (HandleAllocated() && FRegion && 2 * FFrameWidth < Width() && 2 * FFrameWidth < Height()) {
    FrameRing();
    ApplyRegion();
  }
}

void TcxSizeFrame::FrameRing() {
  // The region shrunk by the frame width on every side: the intersection
  // with itself moved right, down, left and up in turn.
  TcxRegion inner;
  inner.CombineWith(FRegion.get(), rcmSet, false);
  const TPoint steps[] = {{FFrameWidth, 0}, {0, FFrameWidth}, {-FFrameWidth, 0}, {0, -FFrameWidth}};
  for (const TPoint& s : steps) {
    auto* moved = new TcxRegion();
    moved->CombineWith(&inner, rcmSet, false);
    moved->Offset(s.X, s.Y);
    inner.CombineWith(moved, rcmIntersect);
  }
  FRegion->CombineWith(&inner, rcmDifference, false);
}

void TcxSizeFrame::ApplyRegion() {
  TcxRegion current;
  const bool hasRegion = GetWindowRgn(Handle(), current.Handle()) != ERROR;
  if (hasRegion && current.SameAs(FRegion.get())) return;
  auto* copy = new TcxRegion();
  copy->CombineWith(FRegion.get(), rcmSet, false);
  SetWindowRgn(Handle(), copy->ExtractHandle(), TRUE);   // the window owns the copy
  delete copy;
  ++FRegionUpdates;
}

void TcxSizeFrame::Paint() { Canvas()->FillRect(ClientRect()); }
