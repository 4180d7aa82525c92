// Menus: TMenuItem trees shown as a form's main menu (TMainMenu) or as a
// context menu (TPopupMenu), with shortcuts, check marks, radio groups,
// images from an image list and actions.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "Controls.h"

class TMenu;
class TMenuItem;
class TCustomImageList;
class TChangeLink;

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
TOVANI_ENUM_INFO(TMenuBreak)
enum TPopupAlignment { paLeft, paRight, paCenter };
TOVANI_ENUM_INFO(TPopupAlignment)
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel, odNoFocusRect };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, Integer& Width, Integer& Height)>;

// "Ctrl+S", "Shift+F5", "Del": the text of a shortcut as menus show it.
String ShortCutToText(TShortCut ShortCut);
// The reverse; 0 for text that is no shortcut.
TShortCut TextToShortCut(const String& Text);
// The caption without its "&" accelerator marks ("&&" stays one "&").
String StripHotkey(const String& Text);

// Takes the action's caption, state, shortcut and image into the item.
class TMenuActionLink : public TActionLink {
  TOVANI_CLASS(TMenuActionLink, TActionLink)
 public:
  explicit TMenuActionLink(TMenuItem* AClient);

  bool IsAutoCheckLinked();
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  void SetAutoCheck(bool Value) override;
  void SetCaption(const String& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(Integer Value) override;
  void SetHint(const String& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;

 protected:
  TMenuItem* FClient;
};

class TMenuItem : public TComponent {
  TOVANI_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* AOwner = nullptr);
  ~TMenuItem() override;

  // Items.
  Integer Count() const { return Integer(FItems.size()); }
  // EMenuError "Menu index out of range" for a bad index.
  TMenuItem* Items(Integer Index) const;
  TMenuItem* Parent() const { return FParent; }
  Integer MenuIndex() const;
  void SetMenuIndex(Integer v);
  // The item takes ownership of nothing: items are components owned by the
  // form; an item deleted is removed from its parent.
  void Add(TMenuItem* Item);
  void Insert(Integer Index, TMenuItem* Item);
  void Delete(Integer Index);   // removes (and frees) the item at Index
  void Remove(TMenuItem* Item); // removes without freeing
  void Clear();                 // frees every sub-item
  Integer IndexOf(TMenuItem* Item) const;
  // Sub-item by caption without "&" marks (case-insensitive); null when none.
  TMenuItem* Find(const String& ACaption) const;
  bool IsLine() const { return FCaption == "-"; }
  TMenu* GetParentMenu() const;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& v);
  bool Checked() const { return FChecked; }
  void SetChecked(bool v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool v);
  Byte GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Byte v);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool v) { FAutoCheck = v; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer v);
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* v);
  const String& Hint() const { return FHint; }
  void SetHint(const String& v) { FHint = v; }
  TMenuBreak Break() const { return FBreak; }
  void SetBreak(TMenuBreak v);
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer v) { FHelpContext = v; }
  TBasicAction* Action() const;
  void SetAction(TBasicAction* v);
  // Images of the sub-items (falls back to the menu's).
  TCustomImageList* SubMenuImages() const { return FSubMenuImages; }
  void SetSubMenuImages(TCustomImageList* v);

  // Menu command id (WM_COMMAND) and the submenu handle.
  Word Command() const { return FCommand; }
  HMENU Handle();

  // Runs the item: the action when there is one, else OnClick (auto-check first).
  virtual void Click();
  void InitiateAction();

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  friend class TMenu;
  friend class TPopupMenu;
  friend class TMenuActionLink;
  friend bool Menus_DrawItem(DRAWITEMSTRUCT* dis);
  friend bool Menus_MeasureItem(MEASUREITEMSTRUCT* mis);
  // Rebuilds the Windows menu this item lives in.
  void MenuChanged(bool Rebuild);
  void AppendTo(HMENU Menu, bool OwnerDraw);
  void RebuildHandle();
  void TurnSiblingsOff();
  void ActionChange(TObject* Sender, bool CheckDefaults);
  TCustomImageList* GetImageList() const;
  void DrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel);
  void MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height, bool TopLevel);

  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TComponent* FParentComponent = nullptr;   // the menu of a top-level item
  TMenu* FMenu = nullptr;                    // the menu whose Items this is
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  bool FAutoCheck = false;
  Byte FGroupIndex = 0;
  TShortCut FShortCut = 0;
  Integer FImageIndex = -1;
  std::unique_ptr<TBitmap> FBitmap;
  String FHint;
  TMenuBreak FBreak = mbNone;
  Integer FHelpContext = 0;
  std::unique_ptr<TMenuActionLink> FActionLink;
  TCustomImageList* FSubMenuImages = nullptr;
  Word FCommand = 0;
  HMENU FHandle = nullptr;
};

TOVANI_EXCEPTION(EMenuError, Exception)

class TMenu : public TComponent {
  TOVANI_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* AOwner = nullptr);
  ~TMenu() override;
  TMenuItem* Items() const { return FItems; }
  virtual HMENU Handle();
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND v);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* v);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool v);
  bool AutoHotkeys() const { return true; }
  void SetAutoHotkeys(bool) {}
  // Runs the item with the menu command id; false when none has it.
  bool DispatchCommand(Word ACommand);
  TMenuItem* FindItem(UINT_PTR Value, TFindItemKind Kind);
  // Runs the item whose shortcut the key message is (after updating its action).
  bool IsShortCut(TMessage& Message);
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Images or owner drawing: items are drawn by the menu itself.
  bool IsOwnerDraw() const;
  TNotifyEvent OnChange;

 protected:
  friend class TMenuItem;
  virtual void MenuChanged(TMenuItem* Source, bool Rebuild);
  virtual HMENU CreateMenuHandle() { return CreatePopupMenu(); }
  void RebuildHandle();
  TMenuItem* FItems;
  HMENU FHandle = nullptr;
  HWND FWindowHandle = nullptr;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  bool FOwnerDraw = false;
};

class TMainMenu : public TMenu {
  TOVANI_CLASS(TMainMenu, TMenu)
 public:
  explicit TMainMenu(TComponent* AOwner = nullptr) : TMenu(AOwner) {}
  bool AutoMerge() const { return FAutoMerge; }
  void SetAutoMerge(bool v) { FAutoMerge = v; }

 protected:
  HMENU CreateMenuHandle() override { return CreateMenu(); }
  void MenuChanged(TMenuItem* Source, bool Rebuild) override;

 private:
  bool FAutoMerge = false;
};

class TPopupMenu : public TMenu {
  TOVANI_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* AOwner = nullptr);
  ~TPopupMenu() override;
  // Shows the menu at a screen point and runs the chosen item.
  virtual void Popup(Integer X, Integer Y);
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool v) { FAutoPopup = v; }
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* v) { FPopupComponent = v; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment v) { FAlignment = v; }
  TPoint PopupPoint() const { return FPopupPoint; }
  TNotifyEvent OnPopup;

 protected:
  virtual void DoPopup(TObject* Sender);

 private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
  TPopupAlignment FAlignment = paLeft;
  TPoint FPopupPoint;
};

// Owner-drawn menu items reach these from the window that receives
// WM_DRAWITEM/WM_MEASUREITEM; true when the item was one of ours.
bool Menus_DrawItem(DRAWITEMSTRUCT* dis);
bool Menus_MeasureItem(MEASUREITEMSTRUCT* mis);
// The item of a menu command id (null when unknown).
TMenuItem* FindMenuItemByCommand(Word Command);
