// A tree view that shows the records of a dataset as a tree: one node a
// record, keyed by KeyField and hung under the node whose key is the
// record's ParentField value. The tree follows the dataset (scrolling,
// edits, inserts, reloads), the dataset follows the selection, and changes
// made through the tree (new, deleted, moved, copied and renamed nodes) are
// written to the dataset.
#pragma once
#include <exception>
#include <vector>

#include "DB.h"
#include "Variant.h"
#include "dxtree.h"

class TdxDBTreeView;
class TdxDBTreeNodes;

enum TdxDBTreeViewOption {
  trDBCanDelete, trDBConfirmDelete, trCanDBNavigate, trSmartRecordLoad, trSmartRecordCopy, trCheckHasChildren
};
TOVANI_ENUM_INFO(TdxDBTreeViewOption)
using TdxDBTreeViewOptions = TSet<TdxDBTreeViewOption>;
enum TdxDBTreeViewAction { trDBInsert, trDBDelete, trDBChangeText, trDBChangeParent, trDBMove };
TOVANI_ENUM_INFO(TdxDBTreeViewAction)

class TdxDBTreeNode : public TdxTreeNode {
  TOVANI_CLASS(TdxDBTreeNode, TdxTreeNode)
 public:
  explicit TdxDBTreeNode(TTreeNodes* AOwner = nullptr) : TdxTreeNode(AOwner) {}
  ~TdxDBTreeNode() override;
  // Deleting a node deletes its record, its descendants' records first.
  // When a record cannot be deleted the error is raised: that node stays
  // with its record (and its ancestors with theirs), while the nodes whose
  // records went before it leave the tree.
  void Delete() override;
  // A move that the dataset refuses (the new parent cannot be written) puts
  // the node back where it was and raises the error.
  void MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) override;

  const Variant& KeyValue() const { return FKeyValue; }
  const Variant& ParentValue() const { return FParentValue; }
  bool ChildLoaded() const { return FChildLoaded; }
  const String& ListText() const { return FListText; }

 private:
  friend class TdxDBTreeView;
  friend class TdxDBTreeNodes;
  bool FInserting = false;
  bool FRefreshed = false;
  TdxDBTreeNodes* FList = nullptr;
  Variant FKeyValue;
  Variant FParentValue;
  bool FChildLoaded = false;
  String FListText;
  bool FLoading = false;  // inside a recursive child load
  bool FRecordDone = false;  // its record was dealt with before the node is freed
  TdxDBTreeView* Tree() const;
};

// Every node of a tree in ascending key order, searched by binary search.
class TdxDBTreeNodes : public TObject {
  TOVANI_CLASS(TdxDBTreeNodes, TObject)
 public:
  explicit TdxDBTreeNodes(TdxDBTreeView* ATree) : FTree(ATree) {}
  ~TdxDBTreeNodes() override;
  Integer Count() const { return static_cast<Integer>(FList.size()); }
  TdxDBTreeNode* GetNodeAt(Integer Index) const;
  // Found: Index is the node's; not found: where a node with Key goes (-1
  // for an empty list or a null key).
  bool FindNodeIndexByKey(const Variant& Key, Integer& Index) const;
  TdxDBTreeNode* FindNodeByKey(const Variant& Key) const;
  Variant MaxKeyValue() const;

 private:
  friend class TdxDBTreeView;
  friend class TdxDBTreeNode;
  void Add(TdxDBTreeNode* Node);
  void Remove(TdxDBTreeNode* Node);
  void ChangeNodeKey(TdxDBTreeNode* Node, const Variant& Key);
  TdxDBTreeView* FTree;
  std::vector<TdxDBTreeNode*> FList;
  bool FDestroying = false;
};

class TDataLinkTreeView : public TDataLink {
  TOVANI_CLASS(TDataLinkTreeView, TDataLink)
 public:
  explicit TDataLinkTreeView(TdxDBTreeView* ATree);

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer distance) override;
  void RecordChanged(TField* field) override;

 private:
  TdxDBTreeView* FTree;
  String FFilter;
  bool FFiltered = false;
};

using TdxDBTreeViewActionEvent = std::function<void(TObject* Sender, TdxDBTreeNode* DBNode1, TdxDBTreeNode* DBNode2,
                                                    TdxDBTreeViewAction Action, bool& Automatic)>;
using TCreateNewKeyValue = std::function<void(TObject* Sender, Variant& NewKeyValue)>;
using TAddNewDBTreeNodeEvent = std::function<void(TObject* Sender, TdxDBTreeNode*& DBTreeNode)>;
using TSetDisplayItemText = std::function<void(TObject* Sender, String& DisplayText)>;
using TRefreshNodeEvent = std::function<void(TObject* Sender, TdxDBTreeNode* DBTreeNode)>;

class TdxDBTreeView : public TCustomdxTreeView {
  TOVANI_CLASS(TdxDBTreeView, TCustomdxTreeView)
 public:
  explicit TdxDBTreeView(TComponent* AOwner = nullptr);
  ~TdxDBTreeView() override;

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* v);
  const String& KeyField() const { return FKeyFieldName; }
  void SetKeyField(const String& v) { SetFieldName(FKeyFieldName, v); }
  const String& ListField() const { return FListFieldName; }
  void SetListField(const String& v) { SetFieldName(FListFieldName, v); }
  const String& ParentField() const { return FParentFieldName; }
  void SetParentField(const String& v) { SetFieldName(FParentFieldName, v); }
  const String& DisplayField() const { return FDisplayFieldName; }
  void SetDisplayField(const String& v) { SetFieldName(FDisplayFieldName, v); }
  const String& ImageIndexField() const { return FImageIndexFieldName; }
  void SetImageIndexField(const String& v) { SetFieldName(FImageIndexFieldName, v); }
  const String& StateIndexField() const { return FStateIndexFieldName; }
  void SetStateIndexField(const String& v) { SetFieldName(FStateIndexFieldName, v); }
  Variant RootValue() const { return FRootValue; }
  void SetRootValue(const Variant& v);
  const String& SeparatedSt() const { return FSeparatedSt; }
  void SetSeparatedSt(const String& v);
  TdxDBTreeViewOptions Options() const { return FOptions; }
  void SetOptions(TdxDBTreeViewOptions v);
  bool RaiseOnError() const { return FRaiseOnError; }
  void SetRaiseOnError(bool v) { FRaiseOnError = v; }

  TdxDBTreeNodes* DBNodes() const { return FNodes.get(); }
  // The node of the dataset's current record.
  TdxDBTreeNode* CurrentRecordNode();
  void SelectNodeByKey(const Variant& Key);
  // Loads (true) or drops (false) a node's children in smart load.
  void SetChildLoaded(TdxDBTreeNode* Node, bool Value);
  bool InternalUpdate() const { return FInternalUpdate; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TAddNewDBTreeNodeEvent OnAddNewItem;
  TCreateNewKeyValue OnCreateNewKeyValue;
  TSetDisplayItemText OnSetDisplayItemText;
  TNotifyEvent OnInsertNodeError;
  TdxDBTreeViewActionEvent OnDBAction;
  TRefreshNodeEvent OnRefreshNode;

 protected:
  friend class TDataLinkTreeView;
  friend class TdxDBTreeNode;
  TTreeNode* CreateNode() override;
  String GetNodeText(TTreeNode* Node) override;
  void CopyNodeData(const std::vector<TTreeNode*>& SourceNodes, const std::vector<TTreeNode*>& NewNodes,
                    bool Copying) override;
  void GetNodeStructure(TTreeNode* Node, std::vector<TTreeNode*>& List) override;
  void Change(TTreeNode* Node) override;
  void Edit(const TVITEMW& Item) override;
  bool CanExpand(TTreeNode* Node) override;
  void Collapse(TTreeNode* Node) override;
  virtual bool DoDBAction(TdxDBTreeNode* Node1, TdxDBTreeNode* Node2, TdxDBTreeViewAction Action);
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  bool Added(TTreeNode* Node) override;
  void PrepareLabelEditor(TTreeNode* Node, HWND Editor) override;

 private:
  // Whether freeing a node now deletes its record.
  bool RecordsFollowNodes() const;
  // Deletes the records of Node's subtree, the lowest first; every node
  // dealt with (its record deleted, or its deletion vetoed) is added to Done.
  // Raises when a record cannot be deleted.
  void DeleteSubtreeRecords(TdxDBTreeNode* Node, std::vector<TdxDBTreeNode*>& Done);
  // The one-pixel frame around the selected node while the tree has no focus.
  void DrawUnfocusedSelection();
  void SetFieldName(String& name, const String& value);
  void BindTreeFields();
  void ResetTreeFields();
  void LoadTreeFromDataSet();
  TdxDBTreeNode* RefreshRecordNode();
  void RefreshNodeImages(TdxDBTreeNode* Node);
  void LoadChildren(TdxDBTreeNode* Node, bool Recursive);
  void SelectCurrentRecordNode();
  void DataChanged();
  void FieldEdited(TField* Field);
  void RecordInserted();
  void ChangeNodeParent(TdxDBTreeNode* Node, const Variant& Value);
  // False when the record could not be written and the node went again.
  bool InsertRecordForNode(TdxDBTreeNode* Node, TdxDBTreeNode* Parent);
  void ChangeRecordParent(TdxDBTreeNode* Node, TdxDBTreeNode* Parent);
  void DeleteRecordByKey(const Variant& Key);
  void NodeTextSet(TdxDBTreeNode* Node);
  String GetDisplayText();
  Variant NewKeyValue();
  bool Smart() const { return FOptions.Contains(trSmartRecordLoad); }
  bool FieldsBound() const { return FKeyField && FParentField; }
  bool LocateKey(TField* field, const Variant& value);
  TDataSet* DataSet() const;
  bool CanWriteDataSet(TdxDBTreeNode* Node) const;

  std::unique_ptr<TDataLinkTreeView> FDataLink;
  std::unique_ptr<TdxDBTreeNodes> FNodes;
  String FKeyFieldName, FListFieldName, FParentFieldName, FDisplayFieldName, FImageIndexFieldName,
      FStateIndexFieldName;
  TField* FKeyField = nullptr;
  TField* FListField = nullptr;
  TField* FParentField = nullptr;
  TField* FImageIndexField = nullptr;
  TField* FStateIndexField = nullptr;
  std::vector<TField*> FDisplayFields;
  Variant FRootValue;
  String FSeparatedSt = " - ";
  TdxDBTreeViewOptions FOptions;
  bool FRaiseOnError = true;
  bool FInternalUpdate = false;
  bool FCollapsing = false;
  bool FDestroying = false;
  bool FFieldEditing = false;
  // The node being moved by MoveTo, and the error of its parent write.
  TdxDBTreeNode* FMovingNode = nullptr;
  std::exception_ptr FMoveError;
};
