#include "cxGeometry.h"

#include <cstdlib>
#include <limits>

#include "Classes.h"
#include "TypInfo.h"

TRect cxMakeRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  return TRect(ALeft, ATop, ARight, ABottom);
}

TRect cxMakeBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  return TRect(ALeft, ATop, ALeft + AWidth, ATop + AHeight);
}

bool cxIsRectVoid(const TRect& R) { return R.Left >= R.Right || R.Top >= R.Bottom; }

bool cxRectsEqual(const TRect& A, const TRect& B) { return A == B; }

TRect cxInflatedRect(const TRect& R, Integer DX, Integer DY) {
  return TRect(R.Left - DX, R.Top - DY, R.Right + DX, R.Bottom + DY);
}

TRect cxInflatedRectSides(const TRect& R, Integer DL, Integer DT, Integer DR, Integer DB) {
  return TRect(R.Left - DL, R.Top - DT, R.Right + DR, R.Bottom + DB);
}

TRect cxShiftedRect(const TRect& R, Integer DX, Integer DY) {
  return TRect(R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY);
}

TRect cxRectWithLeftAndWidth(const TRect& R, Integer X, Integer W) {
  return TRect(X, R.Top, X + W, R.Bottom);
}

TRect cxCenteredRect(const TRect& R, Integer cx, Integer cy) {
  // C++ division truncates toward zero, as the layout code expects.
  Integer l = (R.Left + R.Right - cx) / 2;
  Integer t = (R.Top + R.Bottom - cy) / 2;
  return TRect(l, t, l + cx, t + cy);
}

TRect cxCenteredRect(const TRect& R, const TSize& Size) { return cxCenteredRect(R, Size.cx, Size.cy); }

TRect cxRectInsideMargins(const TRect& R, const TRect& M) {
  return TRect(R.Left + M.Left, R.Top + M.Top, R.Right - M.Right, R.Bottom - M.Bottom);
}

TSize cxGeometrySize(Integer cx, Integer cy) { return TSize(cx, cy); }
TSize cxMakeSize(Integer cx, Integer cy) { return TSize(cx, cy); }

Integer cxMidpoint(Integer A, Integer B) {
  Int64 s = Int64(A) + B;
  return Integer(s > 0 ? s / 2 : (s - 1) / 2);
}

Integer cxSignOf(double X) { return X >= 0 ? 1 : -1; }

Integer cxMulDiv(Integer A, Integer B, Integer C) {
  if (C == 0) return 0;
  Int64 p = Int64(A) * B;
  bool negative = (p < 0) != (C < 0);
  Int64 ap = p < 0 ? -p : p;
  Int64 ac = C < 0 ? -Int64(C) : Int64(C);
  Int64 q = (ap + ac / 2) / ac;
  if (negative) q = -q;
  if (q > std::numeric_limits<Integer>::max()) return std::numeric_limits<Integer>::max();
  if (q < std::numeric_limits<Integer>::min()) return std::numeric_limits<Integer>::min();
  return Integer(q);
}

// ---------------------------------------------------------------------------

TOVANI_IMPLEMENT_CLASS(TcxRect, TPersistent)
TOVANI_PUBLISHED(TcxRect) {
  Property("Left", &TcxRect::Left, &TcxRect::SetLeft).Default(0);
  Property("Top", &TcxRect::Top, &TcxRect::SetTop).Default(0);
  Property("Right", &TcxRect::Right, &TcxRect::SetRight).Default(0);
  Property("Bottom", &TcxRect::Bottom, &TcxRect::SetBottom).Default(0);
  Property("OnChange", &TcxRect::OnChange);
}

namespace {
// The rectangle can be named in form files from the first time this unit is
// used; registering twice is harmless.
const bool cxRectRegistered = (RegisterClasses({TcxRect::StaticClass()}), true);
}  // namespace

TcxRect::TcxRect(TPersistent* AOwner) : FOwner(AOwner) {}

void TcxRect::Assign(TPersistent* Source) {
  // Only another rectangle is copied; anything else is ignored.
  if (auto* r = dynamic_cast<TcxRect*>(Source)) ChangeRect(r->FRect);
}

void TcxRect::ChangeRect(const TRect& R) {
  if (EqualsRect(R)) return;
  FRect = R;
  if (OnChange) OnChange(this);
}

Integer TcxRect::GetValue(Integer Index) const {
  switch (Index) {
    case 0: return FRect.Left;
    case 1: return FRect.Top;
    case 2: return FRect.Right;
    default: return FRect.Bottom;
  }
}

void TcxRect::SetValue(Integer Index, Integer Value) {
  TRect r = FRect;
  switch (Index) {
    case 0: r.Left = Value; break;
    case 1: r.Top = Value; break;
    case 2: r.Right = Value; break;
    default: r.Bottom = Value; break;
  }
  ChangeRect(r);
}
