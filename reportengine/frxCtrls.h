// Small controls of the report engine's windows: the flat combo box of the
// preview's zoom box, the scrolling window the preview's page areas derive
// from, and the borderless panel that holds controls between toolbar
// buttons.
#pragma once
#include "Controls.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"

// Mixes two colours: Amount parts of Color1 and the rest of Color2, out of
// 100 (or out of 1000 for amounts of 100 and more). System colours are
// turned into their RGB values first.
TColor frxBlendColor(TColor Color1, TColor Color2, Integer Amount);

// The character height of a font on the screen.
Integer frxFontTextHeight(TFont* Font);

// A flat owner-drawn drop-down combo box: its frame and drop-down button
// light up while the mouse is over it, its list is dropped down or its edit
// has the focus.
class TfrxCustomComboBox : public TCustomComboBox {
  TOVANI_CLASS(TfrxCustomComboBox, TCustomComboBox)
 public:
  explicit TfrxCustomComboBox(TComponent* AOwner = nullptr);
  ~TfrxCustomComboBox() override;

  // Width of the dropped-down list; 0 makes it as wide as the control.
  Integer ListWidth() const { return FListWidth; }
  void SetListWidth(Integer v) { FListWidth = v; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  // Pixels kept free left of the edit for an image (see DrawImage).
  Integer EditOffset() const { return FEditOffset; }
  void SetEditOffset(Integer v);
  Integer ButtonWidth() const { return FButtonWidth; }
  // Height the list opens with: up to DropDownCount items, one when empty.
  Integer ListHeight();
  // Lit up: dropped down, the edit focused or the mouse inside.
  bool IsActive();
  bool MouseInControl() const { return FMouseInControl; }
  // Set when the list did not fit below the control on the screen.
  bool DropUp() const { return FDropUp; }
  HWND ListHandle() const { return FListHandle; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  // Draws the area left of the edit; by default fills it with the window colour.
  virtual void DrawImage(HDC DC);
  void DrawFrame(HDC DC, bool Hot);
  enum TButtonLook { blNormal, blHot, blPressed };
  void DrawButton(HDC DC, TButtonLook Look);
  void DrawDisabled(HDC DC);
  void DrawGlyph(HDC DC, Integer X, Integer Y, TColor Color);
  // Frame and button drawn over the window as they should look now.
  void PaintFlat(bool Hot, bool Pressed);

 private:
  void PlaceEdit();
  void HookList(HWND List);
  void UnhookList();
  LRESULT ListWindowProc(UINT Msg, WPARAM WParam, LPARAM LParam);
  static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM);

  WNDPROC FListDefProc = nullptr;
  HWND FListHandle = nullptr;
  Integer FButtonWidth = 11;
  Integer FEditOffset = 0;
  Integer FListWidth = 0;
  bool FReadOnly = false;
  bool FMouseInControl = false;
  bool FDropUp = false;
};

class TfrxComboBox : public TfrxCustomComboBox {
  TOVANI_CLASS(TfrxComboBox, TfrxCustomComboBox)
 public:
  explicit TfrxComboBox(TComponent* AOwner = nullptr) : TfrxCustomComboBox(AOwner) {}
};

// A control with its own scroll ranges, page sizes and positions shown on
// flat scroll bars. Positions are kept within 0 .. range - page; a change
// is announced once through OnHScrollChange / OnVScrollChange.
class TfrxScrollWin : public TCustomControl {
  TOVANI_CLASS(TfrxScrollWin, TCustomControl)
 public:
  explicit TfrxScrollWin(TComponent* AOwner = nullptr);

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  Integer HorzPage() const { return FHorzPage; }
  void SetHorzPage(Integer v);
  Integer HorzPosition() const { return FHorzPosition; }
  void SetHorzPosition(Integer v);
  Integer HorzRange() const { return FHorzRange; }
  void SetHorzRange(Integer v);
  Integer VertPage() const { return FVertPage; }
  void SetVertPage(Integer v);
  Integer VertPosition() const { return FVertPosition; }
  void SetVertPosition(Integer v);
  Integer VertRange() const { return FVertRange; }
  void SetVertRange(Integer v);
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer v) { FLargeChange = v; }
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer v) { FSmallChange = v; }

 protected:
  virtual void OnHScrollChange() {}
  virtual void OnVScrollChange() {}
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  // Shows range, page and position of one bar (SB_HORZ or SB_VERT).
  void UpdateScrollBar(int Bar);
  Integer GetTrackPos(int Bar, Integer Fallback);

 private:
  void ScrollMessage(int Bar, Integer Code, Integer Pos);
  TBorderStyle FBorderStyle = bsSingle;
  Integer FHorzPage = 0, FHorzPosition = 0, FHorzRange = 0;
  Integer FVertPage = 0, FVertPosition = 0, FVertRange = 0;
  Integer FLargeChange = 10;
  Integer FSmallChange = 1;
};

// A borderless panel between toolbar buttons that holds other controls;
// on a panel of a vertical bar it stacks from the top, else from the left.
class TfrxTBPanel : public TPanel {
  TOVANI_CLASS(TfrxTBPanel, TPanel)
 public:
  explicit TfrxTBPanel(TComponent* AOwner = nullptr);
  void SetParent(TWinControl* AParent) override;
};

// An edit that takes digits only (the page and copies fields).
class TfrxDigitsEdit : public TEdit {
 public:
  using TEdit::TEdit;

 protected:
  void CreateParams(TCreateParams& Params) override;
};
