// Rectangle, point and size arithmetic of the editor library, and TcxRect, a
// persistent rectangle with a change event. Right and Bottom are exclusive:
// width = Right - Left, height = Bottom - Top. The helpers compute on the
// numbers as they are (void or inverted rectangles included) and never fail.
#pragma once
#include <functional>

#include "Persistent.h"
#include "Types.h"

using TNotifyEvent = std::function<void(TObject* Sender)>;

TRect cxMakeRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
TRect cxMakeBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
inline Integer cxWidthOfRect(const TRect& R) { return R.Right - R.Left; }
inline Integer cxHeightOfRect(const TRect& R) { return R.Bottom - R.Top; }
// True when the rectangle has no area (Left >= Right or Top >= Bottom).
bool cxIsRectVoid(const TRect& R);
bool cxRectsEqual(const TRect& A, const TRect& B);
// Negative values shrink.
TRect cxInflatedRect(const TRect& R, Integer DX, Integer DY);
TRect cxInflatedRectSides(const TRect& R, Integer DL, Integer DT, Integer DR, Integer DB);
TRect cxShiftedRect(const TRect& R, Integer DX, Integer DY);
TRect cxRectWithLeftAndWidth(const TRect& R, Integer X, Integer W);
// A rectangle of the given size centred in R (coordinates truncated toward zero).
TRect cxCenteredRect(const TRect& R, const TSize& Size);
TRect cxCenteredRect(const TRect& R, Integer cx, Integer cy);
// R shrunk by the margins (M.Left from the left side, and so on).
TRect cxRectInsideMargins(const TRect& R, const TRect& M);
TSize cxGeometrySize(Integer cx, Integer cy);
TSize cxMakeSize(Integer cx, Integer cy);
// floor((A + B) / 2).
Integer cxMidpoint(Integer A, Integer B);
// 1 for X >= 0, else -1.
Integer cxSignOf(double X);

// A * B / C with a 64-bit product, rounded half away from zero as the
// platform's MulDiv does. Unlike MulDiv, a zero divisor answers 0 instead of
// -1, so layout arithmetic over empty ranges stays sane.
Integer cxMulDiv(Integer A, Integer B, Integer C);

// A rectangle that can be published: Left, Top, Right and Bottom with a
// change event fired only when the value really changes.
class TcxRect : public TPersistent {
  TOVANI_CLASS(TcxRect, TPersistent)
 public:
  explicit TcxRect(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;

  const TRect& Rect() const { return FRect; }
  void SetRect(const TRect& R) { ChangeRect(R); }
  // Stores R and fires OnChange when it differs from the current value.
  void ChangeRect(const TRect& R);
  bool EqualsRect(const TRect& R) const { return cxRectsEqual(FRect, R); }

  // Indexed access as the published sides use it: 0 Left, 1 Top, 2 Right,
  // 3 (and anything else) Bottom.
  Integer GetValue(Integer Index) const;
  void SetValue(Integer Index, Integer Value);
  Integer Left() const { return FRect.Left; }
  void SetLeft(Integer V) { SetValue(0, V); }
  Integer Top() const { return FRect.Top; }
  void SetTop(Integer V) { SetValue(1, V); }
  Integer Right() const { return FRect.Right; }
  void SetRight(Integer V) { SetValue(2, V); }
  Integer Bottom() const { return FRect.Bottom; }
  void SetBottom(Integer V) { SetValue(3, V); }
  Integer Width() const { return cxWidthOfRect(FRect); }
  Integer Height() const { return cxHeightOfRect(FRect); }

  TNotifyEvent OnChange;

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
  TRect FRect;
};
