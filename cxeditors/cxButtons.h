// The library's push button: a platform button that paints itself through
// the look-and-feel painters, with per-state colours, a glyph beside the
// caption (a bitmap strip, or an image of its action's image list), a
// drop-down menu on the whole button or on a split arrow part, and a
// speed-button mode (toggle with groups, no focus).
#pragma once
#include <functional>
#include <memory>

#include "Buttons.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "cxControls.h"
#include "cxGraphics.h"
#include "cxLookAndFeelPainters.h"
#include "cxLookAndFeels.h"

class TcxCustomButton;
class TCustomImageList;

enum TcxButtonKind { cxbkStandard, cxbkDropDown, cxbkDropDownButton };
enum TcxButtonAssignedColor {
  cxbcDefault, cxbcDefaultText, cxbcDisabled, cxbcDisabledText, cxbcHot, cxbcHotText, cxbcNormal, cxbcNormalText,
  cxbcPressed, cxbcPressedText
};
using TcxButtonAssignedColors = TSet<TcxButtonAssignedColor>;
TOVANI_ENUM_INFO(TcxButtonKind)
TOVANI_ENUM_INFO(TcxButtonAssignedColor)

// The private messages of the drop-down menu: open it, it has closed.
constexpr UINT CM_DROPDOWNPOPUPMENU = 0x8065;
constexpr UINT CM_CLOSEUPPOPUPMENU = 0x8066;

class TcxButtonColors : public TPersistent {
  TOVANI_CLASS(TcxButtonColors, TPersistent)
 public:
  explicit TcxButtonColors(TcxCustomButton* AButton = nullptr) : FButton(AButton) {}
  void Assign(TPersistent* Source) override;

  TColor GetColor(TcxButtonAssignedColor AIndex) const { return FColors[AIndex]; }
  // clNone and clDefault clear the colour.
  void SetColor(TcxButtonAssignedColor AIndex, TColor Value);
  TcxButtonAssignedColors AssignedColors() const { return FAssigned; }
  // Honoured at design time only.
  void SetAssignedColors(TcxButtonAssignedColors Value);
  // The colours painting a state uses (clDefault: the painter's).
  TColor ColorOfState(TcxButtonState AState) const;
  TColor TextColorOfState(TcxButtonState AState) const;

 protected:
  TPersistent* GetOwner() override;

 private:
  void Repaint();
  TcxCustomButton* FButton;
  TcxButtonAssignedColors FAssigned;
  TColor FColors[10] = {clDefault, clDefault, clDefault, clDefault, clDefault,
                        clDefault, clDefault, clDefault, clDefault, clDefault};
};

// An image list of one image size whose slots are reused: a released slot
// keeps its image until another is stored into it.
class TcxGlyphList : public TcxImageList {
  TOVANI_CLASS(TcxGlyphList, TcxImageList)
 public:
  TcxGlyphList(Integer AWidth, Integer AHeight) : TcxImageList(AWidth, AHeight) {}
  Integer StoreImage(TBitmap* AImage, TBitmap* AMask);
  void ReleaseImage(Integer AIndex);
  Integer UsedCount() const { return FUsedCount; }

 private:
  std::vector<bool> FUsed;
  Integer FUsedCount = 0;
};

// The glyph lists of every button of the process, one per image size.
class TcxGlyphCache {
 public:
  // The newest list of the size, made when there is none.
  TcxGlyphList* AcquireList(Integer AWidth, Integer AHeight);
  // Frees the list when it holds no image.
  void ReleaseList(TcxGlyphList* AList);
  Integer ListCount() const { return Integer(FLists.size()); }

 private:
  std::vector<std::unique_ptr<TcxGlyphList>> FLists;
};
// Null while no button glyph exists.
TcxGlyphCache* cxButtonGlyphCache();

// Where the glyph's picture comes from and how glyph and caption are laid out.
class TcxButtonGlyph : public TObject {
  TOVANI_CLASS(TcxButtonGlyph, TObject)
 public:
  TcxButtonGlyph();
  ~TcxButtonGlyph() override;
  TBitmap* Glyph() const { return FGlyph.get(); }
  // Copies the bitmap and takes the number of cells from its shape.
  void SetGlyph(TBitmap* Value);
  Integer NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  bool HasImage() const;
  // The size of one cell (the bitmap's width divided by NumGlyphs).
  TSize GlyphSize() const;
  // The cell a state shows: 0 up, 1 disabled, 2 down.
  Integer CellOfState(TcxButtonState AState) const;
  // The state's image in the shared glyph list (built once per cell); -1
  // without a glyph bitmap.
  Integer BuildStateImage(TcxButtonState AState);
  TcxGlyphList* GlyphList() const { return FGlyphList; }

  // Places glyph and caption in AClient; ATextRect gets the caption's
  // rectangle and AGlyphPos the glyph's top-left.
  void ArrangeContent(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset, const String& ACaption,
                      TButtonLayout ALayout, Integer AMargin, Integer ASpacing, UINT ABiDiFlags, bool AWordWrap,
                      TPoint& AGlyphPos, TRect& ATextRect);
  void Paint(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset, const String& ACaption,
             TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TcxButtonState AState, UINT ABiDiFlags,
             bool AWordWrap);
  TNotifyEvent OnChange;

 private:
  void Changed();
  void ReleaseStateImages();
  void PaintImage(TCanvas* ACanvas, const TPoint& APos, TcxButtonState AState);
  TcxGlyphList* FGlyphList = nullptr;
  Integer FStateImages[4] = {-1, -1, -1, -1};
  std::unique_ptr<TBitmap> FGlyph;
  Integer FNumGlyphs = 1;
  TCustomImageList* FImages = nullptr;
  Integer FImageIndex = -1;
};

using TcxButtonDropDownMenuPopupEvent = std::function<void(TObject* Sender, TPopupMenu*& APopupMenu, bool& AHandled)>;
using TcxButtonGetDrawParamsEvent =
    std::function<void(TcxCustomButton* Sender, TcxButtonState AState, TColor& AColor, TFont* AFont)>;

// The button's link to an action also passes the action's image index.
class TcxButtonActionLink : public TButtonActionLink {
  TOVANI_CLASS(TcxButtonActionLink, TButtonActionLink)
 public:
  explicit TcxButtonActionLink(TcxCustomButton* AClient);
  ~TcxButtonActionLink() override;
  bool IsImageIndexLinked() override { return true; }
  void SetImageIndex(Integer Value) override;

 private:
  TcxCustomButton* FButton;
};

class TcxCustomButton : public TButton, public IcxMouseTrackingCaller {
  TOVANI_CLASS(TcxCustomButton, TButton)
 public:
  explicit TcxCustomButton(TComponent* AOwner = nullptr);
  ~TcxCustomButton() override;

  TcxButtonKind Kind() const { return FKind; }
  void SetKind(TcxButtonKind Value);
  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* Value) { FDropDownMenu = Value; }
  TcxButtonColors* Colors() const { return FColors.get(); }
  void SetColors(TcxButtonColors* Value) { FColors->Assign(Value); }
  TBitmap* Glyph() const { return FGlyph->Glyph(); }
  void SetGlyph(TBitmap* Value) { FGlyph->SetGlyph(Value); }
  Integer NumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(Integer Value) { FGlyph->SetNumGlyphs(Value); }
  TcxButtonGlyph* GlyphObject() const { return FGlyph.get(); }
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TPopupAlignment PopupAlignment() const { return FPopupAlignment; }
  void SetPopupAlignment(TPopupAlignment Value) { FPopupAlignment = Value; }
  bool UseSystemPaint() const { return FUseSystemPaint; }
  void SetUseSystemPaint(bool Value) { FUseSystemPaint = Value; }
  bool CanBeFocused() const { return FCanBeFocused; }
  void SetCanBeFocused(bool Value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);

  // A toggle without focus: CanBeFocused off or a group.
  bool IsSpeedButtonMode() const { return !FCanBeFocused || FGroupIndex != 0; }
  bool IsHot() const { return FHot; }
  bool IsMenuVisible() const { return FMenuVisible; }
  TcxButtonState CalcButtonState();
  virtual TcxLookAndFeelPainterClass GetPainterClass();
  // The caption's width and "Wg" height in the button font.
  virtual void CalcContentSize(TSize& ASize);
  // Opens the drop-down menu as the arrow part or the whole button does.
  void PostDropDown();

  bool CanFocus() override;
  void Click() override;
  void MouseLeave() override;

  TcxButtonDropDownMenuPopupEvent OnDropDownMenuPopup;
  TcxButtonGetDrawParamsEvent OnGetDrawParams;

 protected:
  virtual bool DoDropDownMenuPopup(TPopupMenu*& APopupMenu);
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void DestroyWindowHandle() override;
  void Dispatch(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;

 private:
  void DrawItem(const DRAWITEMSTRUCT& ADis);
  bool IsDropDownKey(const TMessage& Message);
  void DoDropDown();
  void CloseUp();
  bool HotTrackAllowed();
  bool InDropDownArea(Integer X, Integer Y);
  void NotifyGroup();
  void RefreshImageSource();
  void RepaintNow();

  std::unique_ptr<TcxButtonGlyph> FGlyph;
  std::unique_ptr<TcxButtonColors> FColors;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  TcxButtonKind FKind = cxbkStandard;
  TPopupMenu* FDropDownMenu = nullptr;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1, FSpacing = 4;
  TPopupAlignment FPopupAlignment = paLeft;
  bool FUseSystemPaint = false, FCanBeFocused = true, FDown = false, FAllowAllUp = false;
  Integer FGroupIndex = 0;
  bool FArrowPress = false;
  bool FPressed = false, FFocusedDraw = false, FTracksOwnPress = false, FMenuVisible = false, FHot = false;
};

class TcxButton : public TcxCustomButton {
  TOVANI_CLASS(TcxButton, TcxCustomButton)
 public:
  explicit TcxButton(TComponent* AOwner = nullptr) : TcxCustomButton(AOwner) {}
};
