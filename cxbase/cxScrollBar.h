// A scroll bar drawn entirely by the look-and-feel painters into an
// off-screen bitmap, so that it matches the look of the editors. It has the
// platform scroll bar's properties and events, computes its own geometry
// (arrows, thumb, page areas), tracks the thumb inside a tolerance
// rectangle, repeats arrow and page clicks on a timer (400 ms, then 60 ms)
// and hot-tracks its parts when the painter does.
#pragma once
#include <memory>

#include "StdCtrls.h"
#include "cxLookAndFeels.h"

class TcxScrollBar;
class TcxTimer;

enum TcxScrollBarArea { sbaNone, sbaStartArrow, sbaEndArrow, sbaThumb, sbaTrackBefore, sbaTrackAfter };

// The geometry of a scroll bar, in its client coordinates.
class TcxScrollBarViewInfo : public TObject {
  TOVANI_CLASS(TcxScrollBarViewInfo, TObject)
 public:
  explicit TcxScrollBarViewInfo(TcxScrollBar* AScrollBar) : FScrollBar(AScrollBar) {}
  virtual void Layout();
  void Relayout() { Layout(); }
  void LayoutThumb();
  void LayoutPageAreas();
  TcxScrollBar* ScrollBar() const { return FScrollBar; }

  TRect StartArrowRect, EndArrowRect, ThumbRect, TrackBeforeRect, TrackAfterRect;
  Integer MinThumbSize = 8;
  // The track between the arrows: its start, end and length along the bar.
  Integer TrackStart() const;
  Integer TrackEnd() const;
  Integer TrackLength() const { return TrackEnd() - TrackStart(); }
  Integer ThumbStart() const;
  Integer ThumbLength() const;
  bool HasThumb() const { return !IsRectEmpty(ThumbRect); }
  // Puts the thumb at a start position along the bar (page areas follow).
  void SetThumbStart(Integer AStart);

 private:
  TcxScrollBar* FScrollBar;
};

using TScrollBarInc = SmallInt;

class TcxScrollBar : public TCustomControl, public IcxLookAndFeelAware {
  TOVANI_CLASS(TcxScrollBar, TCustomControl)
 public:
  explicit TcxScrollBar(TComponent* AOwner = nullptr);
  ~TcxScrollBar() override;

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value) { SetScrollParams(Value, FMax, true, FPageSize, FPosition); }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value) { SetScrollParams(FMin, Value, true, FPageSize, FPosition); }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value) { SetScrollParams(FMin, FMax, true, Value, FPosition); }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value) { SetScrollParams(FMin, FMax, true, FPageSize, Value); }
  TScrollBarInc SmallChange() const { return FSmallChange; }
  void SetSmallChange(TScrollBarInc Value) { FSmallChange = Value; }
  TScrollBarInc LargeChange() const { return FLargeChange; }
  void SetLargeChange(TScrollBarInc Value) { FLargeChange = Value; }
  bool UnlimitedTracking() const { return FUnlimitedTracking; }
  void SetUnlimitedTracking(bool Value) { FUnlimitedTracking = Value; }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }

  // EInvalidOperation "Scrollbar property out of range" when Max < Min or
  // Max < PageSize (the previous values stay). The position is clamped.
  void SetScrollParams(Integer AMin, Integer AMax, bool ARedraw, Integer APageSize, Integer APosition);
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TcxScrollBarViewInfo* ViewInfo();
  TcxScrollBarArea PartAt(TPoint P);
  TcxScrollBarArea PressedPart() const { return FPressedPart; }
  TcxScrollBarArea HotPart() const { return FHotPart; }
  TcxLookAndFeelPainterClass Painter() const;
  // The repeat timer of arrow and page clicks.
  TcxTimer* RepeatTimer() const { return FTimer.get(); }
  void ScrollByCode(TScrollCode ACode);
  Integer PositionFromThumb();

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  virtual void FireChange();
  virtual TcxScrollBarViewInfo* CreateViewInfo() { return new TcxScrollBarViewInfo(this); }
  virtual void PaintAllParts(TcxCanvas* ACanvas);
  virtual void PaintPart(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxScrollBarArea APart);
  virtual bool HotTrackEnabled();
  virtual void FireScroll(TScrollCode ACode, Integer& APos);
  virtual Integer MinThumbSize();
  virtual void MouseEnterHook();
  virtual void MouseLeaveHook();

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;

  TcxButtonState PartState(TcxScrollBarArea APart);
  void EndPress();
  void CalcGeometry();
  void LookAndFeelUpdated();
  void VisualStyleChanged();
  void RepeatTick();

 private:
  bool IsRepeatingPart(TcxScrollBarArea A) const { return A != sbaNone && A != sbaThumb; }
  TScrollCode CodeOfPart(TcxScrollBarArea A) const;
  bool IsLoading() const { return ComponentState().Contains(csLoading); }

  TScrollBarKind FKind = sbHorizontal;
  Integer FMin = 0, FMax = 100, FPageSize = 0, FPosition = 0;
  TScrollBarInc FSmallChange = 1, FLargeChange = 1;
  bool FUnlimitedTracking = false;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  std::unique_ptr<TdxThemeChangedNotificator> FThemeChangedNotificator;
  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TcxCanvas> FBitmapCanvas;
  std::unique_ptr<TcxScrollBarViewInfo> FViewInfo;
  std::unique_ptr<TcxTimer> FTimer;
  TcxScrollBarArea FPressedPart = sbaNone, FHotPart = sbaNone;
  TPoint FDownPoint;
  Integer FSavedPosition = 0;
  Integer FSavedThumbStart = 0;
};
