// An edit box with a drop-down tree of the records of a list dataset: the
// user picks a record in the tree and its key is written into a field of
// another dataset (a product's class picked from the class tree).
#pragma once
#include <memory>

#include "dxdbtree.h"

class TCustomdxVTreeViewEdit;
class TCustomdxLookupTreeView;

enum TTVTextStyle { tvtsShort, tvtsFull };
TOVANI_ENUM_INFO(TTVTextStyle)

using TdxTreeViewCloseUp = std::function<void(TObject* Sender, bool Accept)>;

// The drop-down: a borderless pop-up tree with a bar holding a size grip
// and a close button.
class TPopupDBTreeView : public TdxDBTreeView {
  TOVANI_CLASS(TPopupDBTreeView, TdxDBTreeView)
 public:
  explicit TPopupDBTreeView(TComponent* AOwner = nullptr);
  TCustomdxVTreeViewEdit* Edit() const { return FEdit; }
  void SetEdit(TCustomdxVTreeViewEdit* v) { FEdit = v; }
  // Where the size grip sits: 0 bottom right, 1 top right, 2 bottom left, 3 top left.
  Integer GripCorner() const { return FCorner; }
  Integer BarHeight() const;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void UpdateCorner();
  void PaintBar();
  TRect BarRect();       // window coordinates
  TRect GripRect();
  TRect CloseRect();
  TCustomdxVTreeViewEdit* FEdit = nullptr;
  Integer FCorner = 0;
  bool FCloseHot = false;
  bool FClosePressed = false;
};

class TCustomdxVTreeViewEdit : public TCustomControl {
  TOVANI_CLASS(TCustomdxVTreeViewEdit, TCustomControl)
 public:
  explicit TCustomdxVTreeViewEdit(TComponent* AOwner = nullptr);

  bool CanSelectParents() const { return FCanSelectParents; }
  void SetCanSelectParents(bool v) { FCanSelectParents = v; }
  String DividedChar() const { return FDividedChar; }
  void SetDividedChar(const String& v);
  Integer DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(Integer v) { FDropDownRows = v; }
  Integer DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(Integer v) { FDropDownWidth = v; }
  const String& Text() const { return FText; }
  void SetText(const String& v);
  TTVTextStyle TextStyle() const { return FTextStyle; }
  void SetTextStyle(TTVTextStyle v);
  TAlignment TextAlignment() const { return FAlignment; }
  bool DroppedDown() const { return FDroppedDown; }

  // The drop-down tree's own settings.
  TColor TreeViewColor() const;
  void SetTreeViewColor(TColor v);
  TCursor TreeViewCursor() const;
  void SetTreeViewCursor(TCursor v);
  TFont* TreeViewFont() const;
  void SetTreeViewFont(TFont* v);
  String TreeViewHint() const;
  void SetTreeViewHint(String v);
  Integer TreeViewIndent() const;
  void SetTreeViewIndent(Integer v);
  TPopupMenu* TreeViewPopupMenu() const;
  void SetTreeViewPopupMenu(TPopupMenu* v);
  bool TreeViewShowHint() const;
  void SetTreeViewShowHint(bool v);
  TCustomImageList* TreeViewStateImages() const;
  void SetTreeViewStateImages(TCustomImageList* v);
  TTreeViewCustomDraw OnCustomDraw() const;
  void SetOnCustomDraw(TTreeViewCustomDraw v);
  TCustomImageList* TreeViewImages() const;
  void SetTreeViewImages(TCustomImageList* v);
  bool TreeViewReadOnly() const;
  void SetTreeViewReadOnly(bool v);
  bool TreeViewShowButtons() const;
  void SetTreeViewShowButtons(bool v);
  bool TreeViewShowLines() const;
  void SetTreeViewShowLines(bool v);
  bool TreeViewShowRoot() const;
  void SetTreeViewShowRoot(bool v);
  TSortType TreeViewSortType() const;
  void SetTreeViewSortType(TSortType v);

  TNotifyEvent OnDropDown;
  TdxTreeViewCloseUp OnCloseUp;
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;

  virtual void DropDown();
  virtual void CloseUp(bool Accept);
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

 protected:
  virtual TPopupDBTreeView* GetPopupTree() const = 0;
  virtual bool IsDataReadOnly() { return false; }
  virtual void AcceptSelection();
  virtual void InitPopupTree();
  virtual void PreparePopupTree();
  virtual String GetShownText() { return FText; }
  bool CanSelect(TTreeNode* Node) const;
  Integer ButtonWidth() const;
  Integer RowHeight();
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;
  void SetAlignment(TAlignment v) { FAlignment = v; }
  TCustomForm* OutermostForm() const;

  TCustomForm* FParentForm = nullptr;

 private:
  bool FCanSelectParents = true;
  TAlignment FAlignment = taLeftJustify;
  String FDividedChar = ".";
  Integer FDropDownRows = 7;
  bool FDroppedDown = false;
  String FText;
  TTVTextStyle FTextStyle = tvtsShort;
  Integer FDropDownWidth = 0;
  bool FButtonPressed = false;
};

// The text of a node with its ancestors', root first, joined by Divider
// where both sides have text.
String NodePathText(TTreeNode* Node, const String& Divider);

class TCustomdxLookupTreeView;
class TDataLinkLookupTreeView : public TDataLink {
  TOVANI_CLASS(TDataLinkLookupTreeView, TDataLink)
 public:
  explicit TDataLinkLookupTreeView(TCustomdxLookupTreeView* AOwner) : FOwner(AOwner) {}

 protected:
  void ActiveChanged() override;

 private:
  TCustomdxLookupTreeView* FOwner;
};

class TCustomdxLookupTreeView : public TCustomdxVTreeViewEdit {
  TOVANI_CLASS(TCustomdxLookupTreeView, TCustomdxVTreeViewEdit)
 public:
  explicit TCustomdxLookupTreeView(TComponent* AOwner = nullptr);
  ~TCustomdxLookupTreeView() override;

  TDataSource* ListSource() const { return FListLink->DataSource(); }
  void SetListSource(TDataSource* v);
  const String& KeyField() const { return FKeyFieldName; }
  void SetKeyField(const String& v) { SetName(FKeyFieldName, v); }
  const String& ListField() const { return FListFieldName; }
  void SetListField(const String& v) { SetName(FListFieldName, v); }
  const String& ParentField() const { return FParentFieldName; }
  void SetParentField(const String& v) { SetName(FParentFieldName, v); }
  const String& DisplayField() const { return FDisplayFieldName; }
  void SetDisplayField(const String& v) { FDisplayFieldName = v; }
  const String& ImageIndexField() const { return FImageIndexFieldName; }
  void SetImageIndexField(const String& v) { FImageIndexFieldName = v; }
  const String& StateIndexField() const { return FStateIndexFieldName; }
  void SetStateIndexField(const String& v) { FStateIndexFieldName = v; }
  TdxDBTreeViewOptions Options() const { return FTree->Options(); }
  void SetOptions(TdxDBTreeViewOptions v) { FTree->SetOptions(v); }
  Variant RootValue() const { return FTree->RootValue(); }
  void SetRootValue(const Variant& v) { FTree->SetRootValue(v); }
  TAddNewDBTreeNodeEvent OnAddNewItem() const { return FTree->OnAddNewItem; }
  void SetOnAddNewItem(TAddNewDBTreeNodeEvent v) { FTree->OnAddNewItem = std::move(v); }
  const Variant& ChosenKey() const { return FChosenKey; }
  TPopupDBTreeView* PopupTree() const { return FTree; }

  TSetDisplayItemText OnSetDisplayItemText;

  void DropDown() override;
  void CloseUp(bool Accept) override;

 protected:
  friend class TDataLinkLookupTreeView;
  TPopupDBTreeView* GetPopupTree() const override { return FTree; }
  void AcceptSelection() override;
  virtual void BindListFields();
  virtual void RestoreListPosition();
  void SetName(String& name, const String& value);

  TPopupDBTreeView* FTree;
  std::unique_ptr<TDataLinkLookupTreeView> FListLink;
  Variant FChosenKey;
  String FKeyFieldName, FListFieldName, FParentFieldName, FDisplayFieldName, FImageIndexFieldName,
      FStateIndexFieldName;
  String FAssignFieldName;
  Variant FListPosition;
  TField* FAssignField = nullptr;
  TField* FKeyField = nullptr;
  TField* FListField = nullptr;
  TField* FParentField = nullptr;
};

class TdxDBLookupTreeView : public TCustomdxLookupTreeView {
  TOVANI_CLASS(TdxDBLookupTreeView, TCustomdxLookupTreeView)
 public:
  explicit TdxDBLookupTreeView(TComponent* AOwner = nullptr);
  ~TdxDBLookupTreeView() override;

  const String& AssignField() const { return FAssignFieldName; }
  void SetAssignField(const String& v) { SetName(FAssignFieldName, v); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* v);
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& v) { FDataLink->SetFieldName(v); }
  bool ReadOnly() const { return FDataLink->ReadOnly(); }
  void SetReadOnly(bool v) { FDataLink->SetReadOnly(v); }
  TFieldDataLink* DataLink() const { return FDataLink.get(); }
  // The text the closed box shows: the chosen record's list text, with its
  // ancestors' for the full style.
  String LookupText();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void DropDown() override;
  void CloseUp(bool Accept) override;

 protected:
  void BindListFields() override;
  void PreparePopupTree() override;
  String GetShownText() override { return LookupText(); }
  bool IsDataReadOnly() override { return FDataLink->ReadOnly(); }
  void AcceptSelection() override;
  void Dispatch(TMessage& Message) override;

 private:
  void DataChange(TObject*);
  void UpdateData(TObject*);
  void CheckCircularLinks(TObject* = nullptr);
  std::unique_ptr<TFieldDataLink> FDataLink;
  bool FInCloseUp = false;
  bool FUpdating = false;
};
