// More controls: panel, bevel, image, shape, splitter, timer, paint box and
// radio group.
#pragma once
#include <functional>
#include <memory>
#include "Controls.h"
#include "StdCtrls.h"

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
TOVANI_ENUM_INFO(TBevelShape)
enum TBevelStyle { bsLowered, bsRaised };
TOVANI_ENUM_INFO(TBevelStyle)
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
TOVANI_ENUM_INFO(TShapeType)
enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
TOVANI_ENUM_INFO(TResizeStyle)

TOVANI_EXCEPTION(EOutOfResources, EOutOfMemory)
using TCanResizeSplitEvent = std::function<void(TObject* Sender, Integer& NewSize, bool& Accept)>;

// A window that runs OnTimer every Interval milliseconds while Enabled (a
// window timer on the program's one thread).
class TTimer : public TComponent {
  TOVANI_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner = nullptr);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal v);
  TNotifyEvent OnTimer;
  void Loaded() override;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  bool FEnabled = true;
  Cardinal FInterval = 1000;
  HWND FWindow = nullptr;
  bool FRunning = false;
};

class TCustomPanel : public TCustomControl {
  TOVANI_CLASS(TCustomPanel, TCustomControl)
 public:
  explicit TCustomPanel(TComponent* AOwner = nullptr);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool v) { FFullRepaint = v; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool v) { FLocked = v; }
  TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
  void SetVerticalAlignment(TVerticalAlignment v);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  TAlignment FAlignment = taCenter;
  TVerticalAlignment FVerticalAlignment = taVerticalCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  TBevelWidth FBevelWidth = 1;
  TBorderStyle FBorderStyle = bsNone;
  bool FFullRepaint = true;
  bool FLocked = false;
};

class TPanel : public TCustomPanel {
  TOVANI_CLASS(TPanel, TCustomPanel)
 public:
  explicit TPanel(TComponent* AOwner = nullptr) : TCustomPanel(AOwner) {}
};

class TBevel : public TGraphicControl {
  TOVANI_CLASS(TBevel, TGraphicControl)
 public:
  explicit TBevel(TComponent* AOwner = nullptr);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape v);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle v);

 protected:
  void Paint() override;

 private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

class TImage : public TGraphicControl {
  TOVANI_CLASS(TImage, TGraphicControl)
 public:
  explicit TImage(TComponent* AOwner = nullptr);
  ~TImage() override;
  TPicture* Picture() { return FPicture.get(); }
  void SetPicture(TPicture* v) { FPicture->Assign(v); }
  // The image's canvas: a bitmap picture is made when there is none.
  TCanvas* Canvas();
  bool Center() const { return FCenter; }
  void SetCenter(bool v);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool v);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool IncrementalDisplay() const { return false; }
  void SetIncrementalDisplay(bool) {}
  // The rectangle the picture is drawn in.
  TRect DestRect();
  TNotifyEvent OnProgress;

 protected:
  void Paint() override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;

 private:
  void PictureChanged(TObject* Sender);
  std::unique_ptr<TPicture> FPicture;
  bool FCenter = false;
  bool FStretch = false;
  bool FProportional = false;
  bool FTransparent = false;
};

class TShape : public TGraphicControl {
  TOVANI_CLASS(TShape, TGraphicControl)
 public:
  explicit TShape(TComponent* AOwner = nullptr);
  ~TShape() override;
  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType v);
  TPen* Pen() { return FPen.get(); }
  void SetPen(TPen* v) { FPen->Assign(v); }
  TBrush* Brush() { return FBrush.get(); }
  void SetBrush(TBrush* v) { FBrush->Assign(v); }

 protected:
  void Paint() override;

 private:
  TShapeType FShape = stRectangle;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
};

class TPaintBox : public TGraphicControl {
  TOVANI_CLASS(TPaintBox, TGraphicControl)
 public:
  explicit TPaintBox(TComponent* AOwner = nullptr);
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
};

// A bar that resizes the control aligned next to it by dragging.
class TSplitter : public TGraphicControl {
  TOVANI_CLASS(TSplitter, TGraphicControl)
 public:
  explicit TSplitter(TComponent* AOwner = nullptr);
  Integer MinSize() const { return FMinSize; }
  void SetMinSize(Integer v) { FMinSize = v; }
  bool AutoSnap() const { return FAutoSnap; }
  void SetAutoSnap(bool v) { FAutoSnap = v; }
  TResizeStyle ResizeStyle() const { return FResizeStyle; }
  void SetResizeStyle(TResizeStyle v) { FResizeStyle = v; }
  TBevelCut Beveled() const { return FBeveled; }
  void SetBeveled(TBevelCut v) { FBeveled = v; }
  TCanResizeSplitEvent OnCanResize;
  TNotifyEvent OnMoved;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;

 private:
  TControl* FindControl();
  void UpdateSize(Integer X, Integer Y);
  TControl* FControl = nullptr;
  Integer FMinSize = 30;
  bool FAutoSnap = true;
  TResizeStyle FResizeStyle = rsUpdate;
  TBevelCut FBeveled = bvNone;
  TPoint FDownPos;
  Integer FOldSize = 0;
  bool FDragging = false;
};

class TCustomRadioGroup : public TCustomGroupBox {
  TOVANI_CLASS(TCustomRadioGroup, TCustomGroupBox)
 public:
  explicit TCustomRadioGroup(TComponent* AOwner = nullptr);
  ~TCustomRadioGroup() override;
  TStrings* Items() { return FItems.get(); }
  void SetItems(TStrings* v) { FItems->Assign(v); }
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer v);
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer v);
  void Loaded() override;

 protected:
  void ArrangeButtons();
  void UpdateButtons();
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TStringList> FItems;
  std::vector<TRadioButton*> FButtons;
  Integer FItemIndex = -1;
  Integer FColumns = 1;
  bool FUpdating = false;
};

class TRadioGroup : public TCustomRadioGroup {
  TOVANI_CLASS(TRadioGroup, TCustomRadioGroup)
 public:
  explicit TRadioGroup(TComponent* AOwner = nullptr) : TCustomRadioGroup(AOwner) {}
};
