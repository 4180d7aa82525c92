// Dot-matrix report objects: text, line, printer command and page laid out
// on a grid of character cells 9.6 by 17 report units, in a fixed-pitch font.
#pragma once
#include "frxClass.h"

enum TfrxDMPFontStyle { fsxBold, fsxItalic, fsxUnderline, fsxSuperScript, fsxSubScript, fsxCondensed, fsxWide,
                        fsx12cpi, fsx15cpi };
TOVANI_ENUM_INFO(TfrxDMPFontStyle)
using TfrxDMPFontStyles = TSet<TfrxDMPFontStyle>;

// Courier New 12 pt with the screen styles of Styles (bold, italic, underline).
void frxApplyDMPFont(TFont* Font, TfrxDMPFontStyles Styles);

class TfrxDMPMemoView : public TfrxCustomMemoView {
  TOVANI_CLASS(TfrxDMPMemoView, TfrxCustomMemoView)
 public:
  explicit TfrxDMPMemoView(TComponent* AOwner = nullptr);
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  void SetWidth(Extended Value) override;
  void SetHeight(Extended Value) override;
  void SetParentFont(bool Value) override;
  String GetTypeCaption() override;
  String DifferenceText(TfrxComponent* ATemplate) override;
  void DrawFrame() override;
  Extended CalcHeight() override;
  Extended CalcWidth() override;

  TfrxDMPFontStyles FontStyle() const { return FFontStyle; }
  void SetFontStyle(TfrxDMPFontStyles Value);
  bool TruncOutboundText = true;

 protected:
  void FontChanged(TObject* Sender) override;

 private:
  void ApplyFont();
  TfrxDMPFontStyles FFontStyle;
  bool FApplying = false;
};

class TfrxDMPLineView : public TfrxCustomLineView {
  TOVANI_CLASS(TfrxDMPLineView, TfrxCustomLineView)
 public:
  explicit TfrxDMPLineView(TComponent* AOwner = nullptr) : TfrxCustomLineView(AOwner) {}
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  void SetWidth(Extended Value) override;
  void SetParentFont(bool Value) override;
  String GetTypeCaption() override;
  String DifferenceText(TfrxComponent* ATemplate) override;
  TfrxDMPFontStyles FontStyle() const { return FFontStyle; }
  void SetFontStyle(TfrxDMPFontStyles Value);

 private:
  TfrxDMPFontStyles FFontStyle;
};

class TfrxDMPCommand : public TfrxView {
  TOVANI_CLASS(TfrxDMPCommand, TfrxView)
 public:
  explicit TfrxDMPCommand(TComponent* AOwner = nullptr) : TfrxView(AOwner) {}
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  String GetTypeCaption() override;
  String DifferenceText(TfrxComponent* ATemplate) override;
  String Command;
};

class TfrxDMPPage : public TfrxReportPage {
  TOVANI_CLASS(TfrxDMPPage, TfrxReportPage)
 public:
  explicit TfrxDMPPage(TComponent* AOwner = nullptr);
  void SetPaperWidth(Extended Value) override;
  void SetPaperHeight(Extended Value) override;
  void SetPaperSize(Integer Value) override;
  void ResetToPrinterDefaults() override;
  TfrxDMPFontStyles FontStyle() const { return FFontStyle; }
  void SetFontStyle(TfrxDMPFontStyles Value);

 protected:
  void FontChanged(TObject* Sender) override;

 private:
  TfrxDMPFontStyles FFontStyle;
  bool FApplying = false;
};

// Enters the three dot-matrix objects in the report object registry.
void frxRegisterDMPObjects();
void frxUnregisterDMPObjects();
