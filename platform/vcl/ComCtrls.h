// Common controls: status bar, tab control, page control with tab sheets,
// tool bar with tool buttons, date-time picker, month calendar and the tree
// view with its nodes.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "Controls.h"
#include "ImgList.h"
#include "Strings.h"

class TCustomTreeView;
class TTreeNodes;
class TTreeNode;
class TPageControl;
class TToolBar;

// Loads the comctl32 window classes once.
void InitCommonControlClasses();

// ---------------------------------------------------------------------------
// Status bar

enum TStatusPanelStyle { psText, psOwnerDraw };
TOVANI_ENUM_INFO(TStatusPanelStyle)
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
TOVANI_ENUM_INFO(TStatusPanelBevel)

class TStatusBar;

class TStatusPanel : public TCollectionItem {
  TOVANI_CLASS(TStatusPanel, TCollectionItem)
 public:
  explicit TStatusPanel(TCollection* ACollection = nullptr) : TCollectionItem(ACollection) {}
  void Assign(TPersistent* Source) override;
  const String& Text() const { return FText; }
  void SetText(const String& v);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel v);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle v);

 protected:
  String GetDisplayName() const override { return FText.empty() ? ClassName() : FText; }

 private:
  String FText;
  Integer FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
  TStatusPanelStyle FStyle = psText;
};

class TStatusPanels : public TCollection {
  TOVANI_CLASS(TStatusPanels, TCollection)
 public:
  explicit TStatusPanels(TStatusBar* AStatusBar = nullptr);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(Integer Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TStatusBar* FStatusBar;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TWinControl {
  TOVANI_CLASS(TStatusBar, TWinControl)
 public:
  explicit TStatusBar(TComponent* AOwner = nullptr);
  ~TStatusBar() override;
  TStatusPanels* Panels() { return FPanels.get(); }
  void SetPanels(TStatusPanels* v) { FPanels->Assign(v); }
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool v);
  const String& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const String& v);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool v);
  // Shows the application's hints in the (simple) panel.
  bool AutoHint() const { return FAutoHint; }
  void SetAutoHint(bool v) { FAutoHint = v; }
  TCanvas* Canvas() { return FCanvas.get(); }
  // Rectangle of a panel in client coordinates.
  TRect PanelRect(Integer Index);
  TDrawPanelEvent OnDrawPanel;
  TNotifyEvent OnHint;
  // Sent the application's hint (AutoHint): shows it, or OnHint when assigned.
  bool ExecuteAction(TBasicAction* Action) override;
  void UpdatePanels();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TStatusPanels> FPanels;
  std::unique_ptr<TControlCanvas> FCanvas;
  bool FSimplePanel = false;
  String FSimpleText;
  bool FSizeGrip = true;
  bool FAutoHint = false;
};

// ---------------------------------------------------------------------------
// Tabs and pages

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
TOVANI_ENUM_INFO(TTabPosition)
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
TOVANI_ENUM_INFO(TTabStyle)
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TWinControl {
  TOVANI_CLASS(TCustomTabControl, TWinControl)
 public:
  explicit TCustomTabControl(TComponent* AOwner = nullptr);
  ~TCustomTabControl() override;
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool v);
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition v);
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle v);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool v);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* v);
  // The area inside the tabs, in client coordinates.
  TRect DisplayRect();
  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  void AdjustClientRect(TRect& Rect) override;
  virtual bool CanChange();
  virtual void Change();
  // The tab texts shown (the tab control's Tabs, the page control's visible sheets).
  virtual std::vector<String> TabTexts() = 0;
  virtual std::vector<Integer> TabImages() { return {}; }
  virtual Integer CurrentTab() = 0;
  virtual void TabSelected(Integer Index) = 0;
  void UpdateTabs();
  Integer NativeTabIndex();
  void SetNativeTabIndex(Integer v);

 private:
  bool FMultiLine = false;
  TTabPosition FTabPosition = tpTop;
  TTabStyle FStyle = tsTabs;
  bool FHotTrack = false;
  TCustomImageList* FImages = nullptr;
  bool FUpdating = false;
};

class TTabControl : public TCustomTabControl {
  TOVANI_CLASS(TTabControl, TCustomTabControl)
 public:
  explicit TTabControl(TComponent* AOwner = nullptr);
  ~TTabControl() override;
  TStrings* Tabs() { return FTabs.get(); }
  void SetTabs(TStrings* v) { FTabs->Assign(v); }
  Integer TabIndex() const { return FTabIndex; }
  void SetTabIndex(Integer v);

 protected:
  std::vector<String> TabTexts() override;
  Integer CurrentTab() override { return FTabIndex; }
  void TabSelected(Integer Index) override { FTabIndex = Index; }

 private:
  std::unique_ptr<TStringList> FTabs;
  Integer FTabIndex = -1;
};

class TTabSheet : public TWinControl {
  TOVANI_CLASS(TTabSheet, TWinControl)
 public:
  explicit TTabSheet(TComponent* AOwner = nullptr);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* v);
  Integer PageIndex() const;
  void SetPageIndex(Integer v);
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool v);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer v);
  // Index among the visible tabs; -1 when hidden.
  Integer TabIndex() const;
  void SetParent(TWinControl* AParent) override;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 protected:
  friend class TPageControl;
  void Dispatch(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;

 private:
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  Integer FImageIndex = -1;
};

class TPageControl : public TCustomTabControl {
  TOVANI_CLASS(TPageControl, TCustomTabControl)
 public:
  explicit TPageControl(TComponent* AOwner = nullptr);
  ~TPageControl() override;
  Integer PageCount() const { return Integer(FPages.size()); }
  TTabSheet* Pages(Integer Index) const { return FPages.at(size_t(Index)); }
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* v);
  Integer ActivePageIndex() const;
  void SetActivePageIndex(Integer v);
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Loaded() override;

 protected:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void ChangeActivePage(TTabSheet* Page);
  void PagesChanged();
  std::vector<String> TabTexts() override;
  std::vector<Integer> TabImages() override;
  Integer CurrentTab() override;
  void TabSelected(Integer Index) override;
  void Dispatch(TMessage& Message) override;

 private:
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  String FLoadedActivePage;
};

// ---------------------------------------------------------------------------
// Tool bar: our own layout of tool buttons, drawn flat.

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
TOVANI_ENUM_INFO(TToolButtonStyle)
enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
TOVANI_ENUM_INFO(TEdgeBorder)
using TEdgeBorders = TSet<TEdgeBorder>;

class TToolButton;

// The link of a tool button: its down state and image follow the action.
class TToolButtonActionLink : public TControlActionLink {
  TOVANI_CLASS(TToolButtonActionLink, TControlActionLink)
 public:
  explicit TToolButtonActionLink(TToolButton* AClient);
  bool IsCheckedLinked() override;
  bool IsImageIndexLinked() override;
  void SetChecked(bool Value) override;
  void SetImageIndex(Integer Value) override;

 protected:
  TToolButton* FClient;
};

class TToolButton : public TGraphicControl {
  TOVANI_CLASS(TToolButton, TGraphicControl)
 public:
  explicit TToolButton(TComponent* AOwner = nullptr);
  std::unique_ptr<TControlActionLink> CreateActionLink() override;
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle v);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer v);
  bool Down() const { return FDown; }
  void SetDown(bool v);
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool v) { FGrouped = v; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v) { FAllowAllUp = v; }
  bool Wrap() const { return FWrap; }
  void SetWrap(bool v);
  bool Marked() const { return FMarked; }
  void SetMarked(bool v) { FMarked = v; Invalidate(); }
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* v);
  // Position among the tool bar's buttons.
  Integer Index() const;
  void Click() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetParent(TWinControl* AParent) override;

 protected:
  friend class TToolBar;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TToolBar* ToolBar() const;

 private:
  TToolButtonStyle FStyle = tbsButton;
  Integer FImageIndex = -1;
  bool FDown = false;
  bool FGrouped = false;
  bool FAllowAllUp = false;
  bool FWrap = false;
  bool FMarked = false;
  bool FPressed = false;
  bool FHot = false;
  TPopupMenu* FDropdownMenu = nullptr;
};

class TToolBar : public TCustomControl {
  TOVANI_CLASS(TToolBar, TCustomControl)
 public:
  explicit TToolBar(TComponent* AOwner = nullptr);
  ~TToolBar() override;
  Integer ButtonCount() const { return Integer(FButtons.size()); }
  TToolButton* Buttons(Integer Index) const { return FButtons.at(size_t(Index)); }
  Integer ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(Integer v);
  Integer ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(Integer v);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool v);
  bool List() const { return FList; }
  void SetList(bool v);
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool v);
  TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
  void SetEdgeBorders(TEdgeBorders v);
  Integer Indent() const { return FIndent; }
  void SetIndent(Integer v);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* v);
  TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* v);
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* v);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void ArrangeButtons();

 protected:
  friend class TToolButton;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void AddButton(TToolButton* b);
  void RemoveButton(TToolButton* b);
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;

 private:
  std::vector<TToolButton*> FButtons;
  // Everything the bar lays out in a row: its buttons and other controls.
  std::vector<TControl*> FItems;
  Integer FButtonWidth = 23, FButtonHeight = 22;
  bool FShowCaptions = false, FList = false, FFlat = true, FTransparent = false, FWrapable = true;
  TEdgeBorders FEdgeBorders{ebTop};
  Integer FIndent = 0;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FDisabledImages = nullptr;
  TCustomImageList* FHotImages = nullptr;
  std::unique_ptr<TChangeLink> FImageLink;
  bool FArranging = false;
};

// ---------------------------------------------------------------------------
// Dates

enum TDateTimeKind { dtkDate, dtkTime };
TOVANI_ENUM_INFO(TDateTimeKind)
enum TDTDateFormat { dfShort, dfLong };
TOVANI_ENUM_INFO(TDTDateFormat)
enum TDTDateMode { dmComboBox, dmUpDown };
TOVANI_ENUM_INFO(TDTDateMode)

class TDateTimePicker : public TWinControl {
  TOVANI_CLASS(TDateTimePicker, TWinControl)
 public:
  explicit TDateTimePicker(TComponent* AOwner = nullptr);
  TDateTime DateTime();
  void SetDateTime(TDateTime v);
  TDateTime Date() { return TDateTime(Int64(DateTime())); }
  void SetDate(TDateTime v);
  TDateTime Time();
  void SetTime(TDateTime v);
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind v);
  TDTDateFormat DateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat v);
  TDTDateMode DateMode() const { return FDateMode; }
  void SetDateMode(TDTDateMode v);
  // A check box in the control: unchecked means "no date".
  bool ShowCheckbox() const { return FShowCheckbox; }
  void SetShowCheckbox(bool v);
  bool Checked();
  void SetChecked(bool v);
  // A display format in the Windows picker syntax ("yyyy-MM-dd"); empty: the kind's default.
  const String& Format() const { return FFormat; }
  void SetFormat(const String& v);
  TDateTime MinDate() const { return FMinDate; }
  void SetMinDate(TDateTime v);
  TDateTime MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDateTime v);
  bool DroppedDown() const { return FDroppedDown; }
  TNotifyEvent OnChange;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnDropDown;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();
  void ApplyRange();

 private:
  TDateTime FDateTime = 0;
  TDateTimeKind FKind = dtkDate;
  TDTDateFormat FDateFormat = dfShort;
  TDTDateMode FDateMode = dmComboBox;
  bool FShowCheckbox = false;
  bool FChecked = true;
  String FFormat;
  TDateTime FMinDate = 0, FMaxDate = 0;
  bool FDroppedDown = false;
};

class TMonthCalendar : public TWinControl {
  TOVANI_CLASS(TMonthCalendar, TWinControl)
 public:
  explicit TMonthCalendar(TComponent* AOwner = nullptr);
  TDateTime Date();
  void SetDate(TDateTime v);
  TDateTime MinDate() const { return FMinDate; }
  void SetMinDate(TDateTime v);
  TDateTime MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDateTime v);
  bool ShowToday() const { return FShowToday; }
  void SetShowToday(bool v);
  // The size the calendar needs for one month.
  TSize MinimumSize();
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  TDateTime FDate = 0;
  TDateTime FMinDate = 0, FMaxDate = 0;
  bool FShowToday = true;
};


// ---------------------------------------------------------------------------
// Tree view

enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
TOVANI_ENUM_INFO(TNodeAttachMode)
enum TSortType { stNone, stData, stText, stBoth };
TOVANI_ENUM_INFO(TSortType)
enum THitTestItem { htAbove, htBelow, htNowhere, htOnItem, htOnButton, htOnIcon, htOnIndent, htOnLabel, htOnRight, htOnStateIcon, htToLeft, htToRight };
using THitTests = TSet<THitTestItem>;
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem { cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate };
using TCustomDrawState = TSet<TCustomDrawStateItem>;

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, String& S)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVCompareEvent = std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, Integer Data, Integer& Compare)>;
using TTVCustomDrawEvent = std::function<void(TCustomTreeView* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TTVCustomDrawItemEvent = std::function<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, bool& DefaultDraw)>;
using TTVAdvancedCustomDrawEvent = std::function<void(TCustomTreeView* Sender, const TRect& ARect, TCustomDrawStage Stage, bool& DefaultDraw)>;
using TTVAdvancedCustomDrawItemEvent = std::function<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage, bool& PaintImages, bool& DefaultDraw)>;

// A node of a tree view. The tree of nodes is kept here and mirrored into
// the native control, so nodes exist before and across its window.
class TTreeNode : public TPersistent {
  TOVANI_CLASS(TTreeNode, TPersistent)
 public:
  explicit TTreeNode(TTreeNodes* AOwner = nullptr);
  ~TTreeNode() override;
  void Assign(TPersistent* Source) override;

  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;
  HTREEITEM ItemId() const { return FItemId; }
  TTreeNode* Parent() const { return FParent; }
  const String& Text() const { return FText; }
  void SetText(const String& v);
  void* Data() const { return FData; }
  void SetData(void* v) { FData = v; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer v);
  Integer SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(Integer v);
  Integer StateIndex() const { return FStateIndex; }
  void SetStateIndex(Integer v);
  Integer OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(Integer v);
  // Shows an expand button even without children yet (loaded on expanding).
  bool HasChildren() const;
  void SetHasChildren(bool v);
  bool Expanded() const;
  void SetExpanded(bool v);
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  bool Selected() const;
  void SetSelected(bool v);
  bool Focused() const;
  void SetFocused(bool v);
  bool DropTarget() const;
  void SetDropTarget(bool v);
  bool Cut() const { return FCut; }
  void SetCut(bool v);
  bool IsVisible() const;
  void MakeVisible();
  Integer Count() const { return Integer(FChildren.size()); }
  TTreeNode* Item(Integer Index) const;
  Integer Index() const;
  Integer AbsoluteIndex() const;
  Integer Level() const;
  bool HasAsParent(TTreeNode* Value) const;
  Integer IndexOf(TTreeNode* Value) const;
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
  TTreeNode* GetLastChild() const { return FChildren.empty() ? nullptr : FChildren.back(); }
  TTreeNode* getFirstChild() const { return GetFirstChild(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  TTreeNode* getNextSibling() const { return GetNextSibling(); }
  TTreeNode* getPrevSibling() const { return GetPrevSibling(); }
  // Pre-order neighbours over the whole tree.
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  TTreeNode* getNextVisible() const { return GetNextVisible(); }
  TTreeNode* getPrevVisible() const { return GetPrevVisible(); }
  TTreeNode* GetNextChild(TTreeNode* Value) const { return Value ? Value->GetNextSibling() : nullptr; }
  // Moves the node with its subtree relative to Destination.
  virtual void MoveTo(TTreeNode* Destination, TNodeAttachMode Mode);
  // Frees the node with its subtree; a derived node may refuse (and raise)
  // before anything is freed.
  virtual void Delete();
  // Set once the node is being freed.
  bool Deleting() const { return FDeleting; }
  void DeleteChildren();
  bool EditText();
  void EndEdit(bool Cancel);
  TRect DisplayRect(bool TextOnly);
  bool AlphaSort(bool ARecurse = false);
  bool CustomSort(const std::function<Integer(TTreeNode*, TTreeNode*)>& Compare, bool ARecurse = false);

 protected:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  void CreateItem(TTreeNode* InsertAfterSibling);
  void RefreshItem(UINT Mask);
  void DetachItems();
  TTreeNodes* FOwner;
  TTreeNode* FParent = nullptr;
  std::vector<TTreeNode*> FChildren;
  HTREEITEM FItemId = nullptr;
  String FText;
  void* FData = nullptr;
  Integer FImageIndex = 0;
  Integer FSelectedIndex = 0;
  Integer FStateIndex = -1;
  Integer FOverlayIndex = -1;
  bool FHasChildren = false;
  bool FExpanded = false;
  bool FCut = false;
  bool FDeleting = false;
};

class TTreeNodes : public TPersistent {
  TOVANI_CLASS(TTreeNodes, TPersistent)
 public:
  explicit TTreeNodes(TCustomTreeView* AOwner);
  ~TTreeNodes() override;
  void Assign(TPersistent* Source) override;
  TCustomTreeView* Owner() const { return FOwner; }
  Integer Count() const;
  // The node at an absolute (pre-order) index.
  TTreeNode* Item(Integer Index) const;
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
  TTreeNode* GetNode(HTREEITEM ItemId) const;
  TTreeNode* Add(TTreeNode* Sibling, const String& S) { return AddObject(Sibling, S, nullptr); }
  TTreeNode* AddObject(TTreeNode* Sibling, const String& S, void* Ptr);
  TTreeNode* AddFirst(TTreeNode* Sibling, const String& S) { return AddObjectFirst(Sibling, S, nullptr); }
  TTreeNode* AddObjectFirst(TTreeNode* Sibling, const String& S, void* Ptr);
  TTreeNode* AddChild(TTreeNode* Parent, const String& S) { return AddChildObject(Parent, S, nullptr); }
  TTreeNode* AddChildObject(TTreeNode* Parent, const String& S, void* Ptr);
  TTreeNode* AddChildFirst(TTreeNode* Parent, const String& S) { return AddChildObjectFirst(Parent, S, nullptr); }
  TTreeNode* AddChildObjectFirst(TTreeNode* Parent, const String& S, void* Ptr);
  TTreeNode* Insert(TTreeNode* Sibling, const String& S) { return InsertObject(Sibling, S, nullptr); }
  TTreeNode* InsertObject(TTreeNode* Sibling, const String& S, void* Ptr);
  // Makes a node of the tree view's class and places it.
  TTreeNode* InternalAddObject(TTreeNode* Node, const String& S, void* Ptr, TNodeAttachMode Mode);
  void Delete(TTreeNode* Node);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FUpdateCount > 0; }
  const std::vector<TTreeNode*>& Roots() const { return FRoots; }

 protected:
  friend class TTreeNode;
  friend class TCustomTreeView;
  // Inserts Node into the tree structure relative to Target.
  void Attach(TTreeNode* Node, TTreeNode* Target, TNodeAttachMode Mode);
  void Detach(TTreeNode* Node);
  std::vector<TTreeNode*>& SiblingsOf(TTreeNode* Parent) { return Parent ? Parent->FChildren : FRoots; }
  void CreateItems();

 private:
  TCustomTreeView* FOwner;
  std::vector<TTreeNode*> FRoots;
  Integer FUpdateCount = 0;
};

class TCustomTreeView : public TWinControl {
  TOVANI_CLASS(TCustomTreeView, TWinControl)
 public:
  explicit TCustomTreeView(TComponent* AOwner = nullptr);
  ~TCustomTreeView() override;

  TTreeNodes* Items() { return FTreeNodes.get(); }
  void SetItems(TTreeNodes* v) { FTreeNodes->Assign(v); }
  TTreeNode* Selected();
  void SetSelected(TTreeNode* v);
  TTreeNode* TopItem();
  void SetTopItem(TTreeNode* v);
  TTreeNode* DropTarget();
  void SetDropTarget(TTreeNode* v);
  TTreeNode* GetNodeAt(Integer X, Integer Y);
  THitTests GetHitTestInfoAt(Integer X, Integer Y);
  bool IsEditing();
  void FullExpand();
  void FullCollapse();
  bool AlphaSort(bool ARecurse = true);
  bool CustomSort(const std::function<Integer(TTreeNode*, TTreeNode*)>& Compare, bool ARecurse = true);
  TCanvas* Canvas() { return FCanvas.get(); }

  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* v);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool v);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool v);
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool v);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool v);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool v);
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool v);
  bool AutoExpand() const { return FAutoExpand; }
  void SetAutoExpand(bool v);
  bool RightClickSelect() const { return FRightClickSelect; }
  void SetRightClickSelect(bool v) { FRightClickSelect = v; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType v);
  Integer Indent();
  void SetIndent(Integer v);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVExpandedEvent OnDeletion;
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;
  TTVCompareEvent OnCompare;
  TTVCustomDrawEvent OnCustomDraw;
  TTVCustomDrawItemEvent OnCustomDrawItem;
  TTVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
  TTVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  friend class TTreeNode;
  friend class TTreeNodes;
  // Makes the node objects of this tree (a derived tree makes its own class).
  virtual TTreeNode* CreateNode();
  // A node made through Items has been placed (with its native item when the
  // window exists). Answers false when the tree took it away again; adding
  // it then gives nil.
  virtual bool Added(TTreeNode* Node) { return true; }
  virtual bool CanChange(TTreeNode* Node);
  virtual void Change(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Edit(const TVITEMW& Item);
  virtual bool CanExpand(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual void Delete(TTreeNode* Node);
  virtual void GetImageIndex(TTreeNode* Node);
  virtual void GetSelectedIndex(TTreeNode* Node);
  virtual bool IsCustomDrawn(TCustomDrawStage Stage, bool ItemStage);
  virtual bool CustomDraw(const TRect& ARect, TCustomDrawStage Stage);
  virtual bool CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage, bool& PaintImages);
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void CNNotify(TMessage& Message);
  HWND EditHandle() const { return FEditHandle; }

 private:
  std::unique_ptr<TTreeNodes> FTreeNodes;
  std::unique_ptr<TControlCanvas> FCanvas;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FStateImages = nullptr;
  std::unique_ptr<TChangeLink> FImageLink;
  bool FReadOnly = false, FShowButtons = true, FShowLines = true, FShowRoot = true, FHideSelection = true;
  bool FRowSelect = false, FHotTrack = false, FToolTips = true, FAutoExpand = false, FRightClickSelect = false;
  TBorderStyle FBorderStyle = bsSingle;
  TSortType FSortType = stNone;
  Integer FIndent = 19;
  TTreeNode* FSavedSelected = nullptr;
  TTreeNode* FSavedTop = nullptr;
  HWND FEditHandle = nullptr;
  bool FCreatingItems = false;
  HTREEITEM FDragItem = nullptr;  // reported by the tree while the button went down
  bool FDragged = false;
};

class TTreeView : public TCustomTreeView {
  TOVANI_CLASS(TTreeView, TCustomTreeView)
 public:
  explicit TTreeView(TComponent* AOwner = nullptr) : TCustomTreeView(AOwner) {}
};
