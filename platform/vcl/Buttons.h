// Buttons with glyphs: TBitBtn (a push button that draws a glyph and its
// caption, with standard kinds) and TSpeedButton (a flat graphic button,
// optionally grouped so one of a group stays down).
#pragma once
#include <memory>
#include "StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
TOVANI_ENUM_INFO(TButtonLayout)
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
TOVANI_ENUM_INFO(TBitBtnKind)
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
TOVANI_ENUM_INFO(TButtonState)
using TNumGlyphs = Integer;

// Draws a glyph (with up to four states side by side: up, disabled, down,
// exclusive) and a caption in a rectangle.
void DrawButtonGlyphAndText(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, Integer NumGlyphs, TButtonState State,
                            const String& Caption, TButtonLayout Layout, Integer Margin, Integer Spacing, bool Enabled);

class TBitBtn : public TButton {
  TOVANI_CLASS(TBitBtn, TButton)
 public:
  explicit TBitBtn(TComponent* AOwner = nullptr);
  ~TBitBtn() override;
  TBitmap* Glyph() { return FGlyph.get(); }
  void SetGlyph(TBitmap* v);
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs v);
  // A standard kind gives the caption ("确定", "取消", ...) and modal result.
  TBitBtnKind Kind() const { return FKind; }
  void SetKind(TBitBtnKind v);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout v);
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer v);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer v);
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void DrawItem(const DRAWITEMSTRUCT& dis);

 private:
  std::unique_ptr<TBitmap> FGlyph;
  TNumGlyphs FNumGlyphs = 1;
  TBitBtnKind FKind = bkCustom;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1, FSpacing = 4;
  std::unique_ptr<TCanvas> FCanvas;
};

class TSpeedButton : public TGraphicControl {
  TOVANI_CLASS(TSpeedButton, TGraphicControl)
 public:
  explicit TSpeedButton(TComponent* AOwner = nullptr);
  ~TSpeedButton() override;
  TBitmap* Glyph() { return FGlyph.get(); }
  void SetGlyph(TBitmap* v);
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs v);
  // A button of a group (GroupIndex > 0) stays down until another of the group is pressed.
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer v);
  bool Down() const { return FDown; }
  void SetDown(bool v);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout v);
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer v);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer v);
  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;

 private:
  void UpdateExclusive();
  std::unique_ptr<TBitmap> FGlyph;
  TNumGlyphs FNumGlyphs = 1;
  Integer FGroupIndex = 0;
  bool FDown = false, FAllowAllUp = false, FFlat = false, FTransparent = true;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1, FSpacing = 4;
  TButtonState FState = bsUp;
  bool FDragging = false, FMouseInControl = false;
};
