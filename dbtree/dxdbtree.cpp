#include "dxdbtree.h"

#include "dxdbtreeKeys.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "Forms.h"
#include "Graphics.h"
#include "Messages.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TdxDBTreeNode, TdxTreeNode)
TOVANI_IMPLEMENT_CLASS(TdxDBTreeNodes, TObject)
TOVANI_IMPLEMENT_CLASS(TDataLinkTreeView, TDataLink)
TOVANI_IMPLEMENT_CLASS_FACTORY(TdxDBTreeView, TCustomdxTreeView)

TOVANI_IMPLEMENT_ENUM_INFO(TdxDBTreeViewOption, "trDBCanDelete", "trDBConfirmDelete", "trCanDBNavigate", "trSmartRecordLoad",
                  "trSmartRecordCopy", "trCheckHasChildren")
TOVANI_IMPLEMENT_ENUM_INFO(TdxDBTreeViewAction, "trDBInsert", "trDBDelete", "trDBChangeText", "trDBChangeParent", "trDBMove")

namespace {

const TdxDBTreeViewOptions kDefaultOptions{trDBCanDelete, trDBConfirmDelete, trCanDBNavigate, trSmartRecordCopy,
                                           trCheckHasChildren};

// Posted by a record insert; refreshes the node's images once the insert is over.
constexpr UINT WM_DXDBTREE_REFRESHNODE = WM_APP + 0x65;

bool IsNullish(const Variant& v) { return dxKeyIsNull(v); }
bool KeyEq(const Variant& a, const Variant& b) { return dxKeyEqual(a, b); }
bool KeyGreater(const Variant& a, const Variant& b) { return dxKeyGreater(a, b); }

bool IsIntegerLikeField(TField* f) {
  switch (f->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftAutoInc: return true;
    default: return false;
  }
}

// Keeps the dataset's controls disabled for a block, unless they were already.
class TControlsOff {
 public:
  explicit TControlsOff(TDataSet* ds) : FDataSet(ds), FWasOff(ds->ControlsDisabled()) {
    if (!FWasOff) ds->DisableControls();
  }
  ~TControlsOff() {
    if (!FWasOff) FDataSet->EnableControls();
  }

 private:
  TDataSet* FDataSet;
  bool FWasOff;
};

// A node and all its descendants, each before its children.
std::vector<TdxDBTreeNode*> SubtreeOf(TdxDBTreeNode* Node) {
  std::vector<TdxDBTreeNode*> list;
  std::vector<TTreeNode*> stack{Node};
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    if (auto* db = dynamic_cast<TdxDBTreeNode*>(n)) list.push_back(db);
    for (Integer i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Item(i));
  }
  return list;
}

class TFlag {
 public:
  TFlag(bool& flag, bool value) : FFlag(flag), FOld(flag) { flag = value; }
  ~TFlag() { FFlag = FOld; }

 private:
  bool& FFlag;
  bool FOld;
};

}  // namespace

TOVANI_PUBLISHED(TdxDBTreeView) {
  Property("DataSource", &TdxDBTreeView::DataSource, &TdxDBTreeView::SetDataSource);
  Property("DisplayField", &TdxDBTreeView::DisplayField, &TdxDBTreeView::SetDisplayField);
  Property("ImageIndexField", &TdxDBTreeView::ImageIndexField, &TdxDBTreeView::SetImageIndexField);
  Property("KeyField", &TdxDBTreeView::KeyField, &TdxDBTreeView::SetKeyField);
  Property("ListField", &TdxDBTreeView::ListField, &TdxDBTreeView::SetListField);
  Property("ParentField", &TdxDBTreeView::ParentField, &TdxDBTreeView::SetParentField);
  Property("RootValue", &TdxDBTreeView::RootValue, &TdxDBTreeView::SetRootValue);
  Property("SeparatedSt", &TdxDBTreeView::SeparatedSt, &TdxDBTreeView::SetSeparatedSt);
  Property("StateIndexField", &TdxDBTreeView::StateIndexField, &TdxDBTreeView::SetStateIndexField);
  Property("RaiseOnError", &TdxDBTreeView::RaiseOnError, &TdxDBTreeView::SetRaiseOnError);
  // Written whenever it holds any option (an empty set reads back as the
  // options a new tree starts with).
  Property("Options", &TdxDBTreeView::Options, &TdxDBTreeView::SetOptions)
      .NoDefault()
      .Stored([](TObject* o) { return !static_cast<TdxDBTreeView*>(o)->Options().Empty(); });
  Property("SelectedIndex", &TdxDBTreeView::SelectedIndex, &TdxDBTreeView::SetSelectedIndex);
  Property("OnAddNewItem", &TdxDBTreeView::OnAddNewItem);
  Property("OnCreateNewKeyValue", &TdxDBTreeView::OnCreateNewKeyValue);
  Property("OnSetDisplayItemText", &TdxDBTreeView::OnSetDisplayItemText);
  Property("OnInsertNodeError", &TdxDBTreeView::OnInsertNodeError);
  Property("OnDBAction", &TdxDBTreeView::OnDBAction);
  Property("OnRefreshNode", &TdxDBTreeView::OnRefreshNode);
}

// ---------------------------------------------------------------- nodes

TdxDBTreeView* TdxDBTreeNode::Tree() const { return FList && !FList->FDestroying ? FList->FTree : nullptr; }

TdxDBTreeNode::~TdxDBTreeNode() {
  TdxDBTreeView* tree = Tree();
  if (tree && !FRecordDone && tree->RecordsFollowNodes()) {
    // Freed without Delete (by delete or by clearing the items): the records
    // go now. An error can only be shown here, the nodes go all the same.
    std::vector<TdxDBTreeNode*> done;
    try {
      tree->DeleteSubtreeRecords(this, done);
    } catch (...) {
      for (TdxDBTreeNode* n : SubtreeOf(this)) n->FRecordDone = true;
      Application->HandleException(tree);
    }
  }
  if (FList) FList->Remove(this);
}

void TdxDBTreeNode::Delete() {
  if (Deleting()) return;
  TdxDBTreeView* tree = Tree();
  if (tree && !FRecordDone && tree->RecordsFollowNodes()) {
    std::vector<TdxDBTreeNode*> done;
    try {
      tree->DeleteSubtreeRecords(this, done);
    } catch (...) {
      // The nodes whose records are gone leave the tree (lowest first, so
      // each has lost its children already); the rest stays with its records.
      for (TdxDBTreeNode* n : done) delete n;
      throw;
    }
  }
  TdxTreeNode::Delete();
}

void TdxDBTreeNode::MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) {
  TdxDBTreeView* tree = Tree();
  if (!tree) {
    TdxTreeNode::MoveTo(Destination, Mode);
    return;
  }
  TTreeNode* oldParent = Parent();
  TTreeNode* oldNext = GetNextSibling();
  TdxDBTreeNode* outer = tree->FMovingNode;
  tree->FMovingNode = this;
  try {
    TdxTreeNode::MoveTo(Destination, Mode);
  } catch (...) {
    tree->FMovingNode = outer;
    throw;
  }
  tree->FMovingNode = outer;
  if (!tree->FMoveError) return;
  std::exception_ptr error = std::exchange(tree->FMoveError, nullptr);
  {
    // The record keeps its parent, so the node goes back to its place.
    bool old = tree->FInternalUpdate;
    tree->FInternalUpdate = true;
    if (oldNext && oldNext != this) TTreeNode::MoveTo(oldNext, naInsert);
    else if (oldParent) TTreeNode::MoveTo(oldParent, naAddChild);
    else TTreeNode::MoveTo(nullptr, naAdd);
    tree->FInternalUpdate = old;
  }
  std::rethrow_exception(error);
}

TdxDBTreeNodes::~TdxDBTreeNodes() {
  FDestroying = true;
  for (auto* n : FList) n->FList = nullptr;
}

TdxDBTreeNode* TdxDBTreeNodes::GetNodeAt(Integer Index) const {
  return Index >= 0 && Index < Count() ? FList[Index] : nullptr;
}

bool TdxDBTreeNodes::FindNodeIndexByKey(const Variant& Key, Integer& Index) const {
  Index = -1;
  if (FList.empty() || IsNullish(Key) || KeyGreater(FList.front()->FKeyValue, Key)) return false;
  // First node whose key is not below Key.
  auto it = std::partition_point(FList.begin(), FList.end(),
                                 [&](TdxDBTreeNode* n) { return KeyGreater(Key, n->FKeyValue); });
  Index = static_cast<Integer>(it - FList.begin());
  return it != FList.end() && KeyEq((*it)->FKeyValue, Key);
}

TdxDBTreeNode* TdxDBTreeNodes::FindNodeByKey(const Variant& Key) const {
  Integer i;
  return FindNodeIndexByKey(Key, i) ? FList[i] : nullptr;
}

Variant TdxDBTreeNodes::MaxKeyValue() const { return FList.empty() ? Variant::Null() : FList.back()->FKeyValue; }

void TdxDBTreeNodes::Add(TdxDBTreeNode* Node) {
  Integer i;
  FindNodeIndexByKey(Node->FKeyValue, i);
  FList.insert(FList.begin() + std::max(0, i), Node);
  Node->FList = this;
}

void TdxDBTreeNodes::Remove(TdxDBTreeNode* Node) {
  auto it = std::find(FList.begin(), FList.end(), Node);
  if (it != FList.end()) FList.erase(it);
  Node->FList = nullptr;
}

void TdxDBTreeNodes::ChangeNodeKey(TdxDBTreeNode* Node, const Variant& Key) {
  Remove(Node);
  Node->FKeyValue = Key;
  Add(Node);
}

// ---------------------------------------------------------------- data link

TDataLinkTreeView::TDataLinkTreeView(TdxDBTreeView* ATree) : FTree(ATree) { SetVisualControl(true); }

void TDataLinkTreeView::ActiveChanged() {
  TDataSet* ds = DataSet();
  FFilter = ds && Active() ? ds->Filter() : String();
  FFiltered = ds && Active() ? ds->Filtered() : false;
  FTree->ResetTreeFields();
}

void TDataLinkTreeView::DataSetChanged() {
  TDataSet* ds = DataSet();
  if (ds && (ds->Filter() != FFilter || ds->Filtered() != FFiltered)) {
    FFilter = ds->Filter();
    FFiltered = ds->Filtered();
    FTree->ResetTreeFields();
  } else {
    FTree->DataChanged();
  }
}

void TDataLinkTreeView::DataSetScrolled(Integer) { FTree->SelectCurrentRecordNode(); }

void TDataLinkTreeView::RecordChanged(TField* field) {
  if (!field || !DataSet()) return;
  if (DataSet()->State() == dsEdit) FTree->FieldEdited(field);
  else if (DataSet()->State() == dsInsert) FTree->RecordInserted();
}

// ---------------------------------------------------------------- tree

TdxDBTreeView::TdxDBTreeView(TComponent* AOwner)
    : TCustomdxTreeView(AOwner),
      FDataLink(std::make_unique<TDataLinkTreeView>(this)),
      FNodes(std::make_unique<TdxDBTreeNodes>(this)),
      FRootValue(Variant::Null()),
      FOptions(kDefaultOptions) {}

TdxDBTreeView::~TdxDBTreeView() {
  FDestroying = true;
  FInternalUpdate = true;
  Items()->Clear();
  FNodes.reset();
  FDataLink->SetDataSource(nullptr);
}

TDataSource* TdxDBTreeView::DataSource() const { return FDataLink->DataSource(); }

void TdxDBTreeView::SetDataSource(TDataSource* v) {
  FDataLink->SetDataSource(v);
  if (v) v->FreeNotification(this);
}

void TdxDBTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomdxTreeView::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == DataSource()) SetDataSource(nullptr);
}

TDataSet* TdxDBTreeView::DataSet() const { return FDataLink->DataSet(); }

void TdxDBTreeView::SetFieldName(String& name, const String& value) {
  if (name == value) return;
  name = value;
  ResetTreeFields();
}

void TdxDBTreeView::SetRootValue(const Variant& v) {
  FRootValue = v;
  if (Smart()) {
    TFlag f(FInternalUpdate, true);
    Items()->Clear();
  }
  ResetTreeFields();
}

void TdxDBTreeView::SetSeparatedSt(const String& v) {
  if (v == FSeparatedSt) return;
  FSeparatedSt = v;
  if (!FDisplayFields.empty()) ResetTreeFields();
}

void TdxDBTreeView::SetOptions(TdxDBTreeViewOptions v) {
  if (v == FOptions) return;
  FOptions = v;
  SetCanDeleteNode(v.Contains(trDBCanDelete));
  SetConfirmDeleteNode(v.Contains(trDBConfirmDelete));
  if (HandleAllocated()) LoadTreeFromDataSet();
}

void TdxDBTreeView::BindTreeFields() {
  FDisplayFields.clear();
  if (!FDataLink->Active()) return;
  TDataSet* ds = DataSet();
  auto bind = [&](const String& name) { return name.empty() ? nullptr : ds->FieldByName(name); };
  FKeyField = bind(FKeyFieldName);
  FListField = bind(FListFieldName);
  FParentField = bind(FParentFieldName);
  FImageIndexField = bind(FImageIndexFieldName);
  if (FImageIndexField && !IsIntegerLikeField(FImageIndexField)) FImageIndexField = nullptr;
  FStateIndexField = bind(FStateIndexFieldName);
  if (FStateIndexField && !IsIntegerLikeField(FStateIndexField)) FStateIndexField = nullptr;
  if (!FDisplayFieldName.empty()) {
    size_t start = 0;
    while (start <= FDisplayFieldName.size()) {
      size_t semi = FDisplayFieldName.find(';', start);
      String name = Trim(FDisplayFieldName.substr(start, semi == String::npos ? String::npos : semi - start));
      if (!name.empty()) FDisplayFields.push_back(ds->FieldByName(name));
      if (semi == String::npos) break;
      start = semi + 1;
    }
  }
}

void TdxDBTreeView::ResetTreeFields() {
  FKeyField = FListField = FParentField = FImageIndexField = FStateIndexField = nullptr;
  FDisplayFields.clear();
  BindTreeFields();
  if (FKeyField && !IsNullish(FRootValue)) {
    switch (FKeyField->DataType()) {
      case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: FRootValue = Variant(FRootValue.AsInteger()); break;
      case ftFloat: case ftCurrency: FRootValue = Variant(FRootValue.AsDouble()); break;
      default: FRootValue = Variant(FRootValue.AsString());
    }
  }
  if (HandleAllocated()) LoadTreeFromDataSet();
}

bool TdxDBTreeView::LocateKey(TField* field, const Variant& value) { return dxLocateKey(field, value); }

String TdxDBTreeView::GetDisplayText() {
  String text;
  if (FDisplayFields.empty()) {
    if (FListField) text = FListField->Text();
  } else {
    for (size_t i = 0; i < FDisplayFields.size(); ++i) text += (i ? FSeparatedSt : String()) + FDisplayFields[i]->Text();
  }
  if (OnSetDisplayItemText) OnSetDisplayItemText(this, text);
  return text;
}

String TdxDBTreeView::GetNodeText(TTreeNode* Node) {
  auto* n = dynamic_cast<TdxDBTreeNode*>(Node);
  if (n && !FDisplayFields.empty()) return n->FListText;
  return TCustomdxTreeView::GetNodeText(Node);
}

TdxDBTreeNode* TdxDBTreeView::CurrentRecordNode() {
  if (!FKeyField || FKeyField->IsNull()) return nullptr;
  return FNodes->FindNodeByKey(FKeyField->Value());
}

Variant TdxDBTreeView::NewKeyValue() {
  Variant start = FNodes->MaxKeyValue();
  Variant key = start;
  if (OnCreateNewKeyValue) {
    OnCreateNewKeyValue(nullptr, key);
    return key;
  }
  if (IsNullish(start)) return Variant(0);
  try {
    return start + Variant(1);
  } catch (const Exception&) {
    return start;
  }
}

TTreeNode* TdxDBTreeView::CreateNode() {
  auto* n = new TdxDBTreeNode(Items());
  if (SelectedIndex() != -1) n->SetSelectedIndex(SelectedIndex());
  if (!FNodes) return n;
  if (FInternalUpdate) {
    n->FKeyValue = FKeyField ? FKeyField->Value() : Variant::Null();
  } else {
    n->FKeyValue = NewKeyValue();
    n->FInserting = true;
  }
  FNodes->Add(n);
  return n;
}

void TdxDBTreeView::RefreshNodeImages(TdxDBTreeNode* Node) {
  if (!Node || !FKeyField || !KeyEq(FKeyField->Value(), Node->FKeyValue)) return;
  if (FImageIndexField) Node->SetImageIndex(FImageIndexField->IsNull() ? 0 : FImageIndexField->AsInteger());
  if (FStateIndexField) Node->SetStateIndex(FStateIndexField->IsNull() ? -1 : FStateIndexField->AsInteger());
}

TdxDBTreeNode* TdxDBTreeView::RefreshRecordNode() {
  if (!FKeyField || FKeyField->IsNull()) return nullptr;
  TFlag update(FInternalUpdate, true);
  String text = GetDisplayText();
  Variant key = FKeyField->Value();
  Variant parentValue = FParentField ? FParentField->Value() : Variant::Null();
  TdxDBTreeNode* node = FNodes->FindNodeByKey(key);
  TdxDBTreeNode* parent = FNodes->FindNodeByKey(parentValue);
  if (!node) {
    node = static_cast<TdxDBTreeNode*>(parent ? Items()->AddChild(parent, text) : Items()->Add(nullptr, text));
  } else {
    // Never into its own subtree: a cycle in the parent values stays as read.
    if (node->Parent() && node->Parent() != parent && node != parent && !(parent && parent->HasAsParent(node))) {
      if (parent) {
        parent->SetHasChildren(true);
        node->TTreeNode::MoveTo(parent, naAddChild);
      } else {
        node->TTreeNode::MoveTo(nullptr, naAdd);
      }
    }
    if (node->Text() != text) node->SetText(text);
  }
  node->FParentValue = parentValue;
  if (Smart()) {
    if (FOptions.Contains(trCheckHasChildren)) {
      TDataSet* ds = DataSet();
      TControlsOff off(ds);
      TBookmark b = ds->GetBookmark();
      bool has = LocateKey(FParentField, key);
      ds->GotoBookmark(b);
      node->SetHasChildren(has);
    } else {
      node->SetHasChildren(true);
    }
  }
  node->FListText = FListField ? FListField->Text() : String();
  RefreshNodeImages(node);
  node->FRefreshed = true;
  if (OnRefreshNode) OnRefreshNode(this, node);
  Integer want = std::min(100, std::max(FDataLink->BufferCount(), FNodes->Count()));
  if (want != FDataLink->BufferCount()) FDataLink->SetBufferCount(want);
  return node;
}

void TdxDBTreeView::LoadTreeFromDataSet() {
  TFlag update(FInternalUpdate, true);
  TDataSet* ds = DataSet();
  if (!ds || !FDataLink->Active() || !FKeyField || !FListField || !FParentField) {
    Items()->Clear();
  } else {
    Items()->BeginUpdate();
    for (auto* n : FNodes->FList) n->FRefreshed = false;
    TSortType sort = SortType();
    if (sort != stNone) SetSortType(stNone);
    {
      TControlsOff off(ds);
      TBookmark bookmark = ds->GetBookmark();
      if (Smart()) {
        // Already loaded nodes are refreshed, then the root level read.
        Integer count = FNodes->Count();
        std::vector<Variant> keys;
        for (Integer i = 0; i < count; ++i) keys.push_back(FNodes->FList[i]->FKeyValue);
        for (auto& k : keys) {
          if (auto* n = FNodes->FindNodeByKey(k)) n->FChildLoaded = false;
          if (!KeyEq(FKeyField->Value(), k) && !LocateKey(FKeyField, k)) continue;
          RefreshRecordNode();
        }
        if (IsNullish(FRootValue) ? false : LocateKey(FParentField, FRootValue)) {
          while (!ds->Eof() && KeyEq(FParentField->Value(), FRootValue)) {
            RefreshRecordNode();
            ds->Next();
          }
        } else if (IsNullish(FRootValue)) {
          // Records without a parent value form the root level.
          for (ds->First(); !ds->Eof(); ds->Next())
            if (FParentField->IsNull() || KeyEq(FParentField->Value(), FKeyField->Value())) RefreshRecordNode();
        }
      } else {
        for (ds->First(); !ds->Eof(); ds->Next()) RefreshRecordNode();
      }
      if (!bookmark.empty() && ds->BookmarkValid(bookmark)) ds->GotoBookmark(bookmark);
    }
    // Children read before their parents find them now.
    std::vector<TTreeNode*> roots = Items()->Roots();
    for (TTreeNode* r : roots) {
      auto* n = static_cast<TdxDBTreeNode*>(r);
      if (!n->FRefreshed) continue;
      // (Only under a node whose record is still there.)
      TdxDBTreeNode* parent = FNodes->FindNodeByKey(n->FParentValue);
      if (parent && parent->FRefreshed && parent != n && !parent->HasAsParent(n)) {
        parent->SetHasChildren(true);
        n->TTreeNode::MoveTo(parent, naAddChild);
      }
    }
    // Nodes whose records are gone leave the tree; their records are not
    // touched. A node whose record is there but whose parent's is gone (a
    // filter hides it, another user deleted it) goes to the top level first,
    // so that no record is left without its node.
    for (;;) {
      auto it = std::find_if(FNodes->FList.begin(), FNodes->FList.end(), [](TdxDBTreeNode* n) { return !n->FRefreshed; });
      if (it == FNodes->FList.end()) break;
      TdxDBTreeNode* stale = *it;
      for (TdxDBTreeNode* n : SubtreeOf(stale))
        if (n->FRefreshed && n->Parent() && !static_cast<TdxDBTreeNode*>(n->Parent())->FRefreshed)
          n->TTreeNode::MoveTo(nullptr, naAdd);
      delete stale;
    }
    Items()->EndUpdate();
    if (sort != stNone) SetSortType(sort);
  }
  SelectCurrentRecordNode();
}

void TdxDBTreeView::LoadChildren(TdxDBTreeNode* Node, bool Recursive) {
  if (!Node || !FieldsBound() || Node->FLoading) return;
  TDataSet* ds = DataSet();
  TFlag update(FInternalUpdate, true);
  TFlag loading(Node->FLoading, true);
  {
    TControlsOff off(ds);
    TBookmark bookmark = ds->GetBookmark();
    Variant key = Node->FKeyValue;
    bool found = LocateKey(FParentField, key);
    Node->SetHasChildren(found);
    std::vector<Variant> childKeys;
    while (found && !ds->Eof() && KeyEq(FParentField->Value(), key)) {
      if (!FKeyField->IsNull()) {
        if (!FNodes->FindNodeByKey(FKeyField->Value())) RefreshRecordNode();
        if (Recursive) childKeys.push_back(FKeyField->Value());
      }
      ds->Next();
    }
    for (auto& k : childKeys) LoadChildren(FNodes->FindNodeByKey(k), true);
    Node->FChildLoaded = true;
    if (!bookmark.empty() && ds->BookmarkValid(bookmark)) ds->GotoBookmark(bookmark);
  }
  if (SortType() == stText || SortType() == stData || SortType() == stBoth) Node->AlphaSort(false);
}

void TdxDBTreeView::SetChildLoaded(TdxDBTreeNode* Node, bool Value) {
  if (!Node || Node->FChildLoaded == Value) return;
  if (Value) {
    LoadChildren(Node, false);
  } else {
    TFlag update(FInternalUpdate, true);
    bool had = Node->HasChildren();
    while (Node->Count() > 0) delete Node->GetLastChild();
    Node->FChildLoaded = false;
    Node->SetHasChildren(had);
  }
}

bool TdxDBTreeView::CanExpand(TTreeNode* Node) {
  bool allowed = TCustomdxTreeView::CanExpand(Node);
  if (allowed && Smart()) SetChildLoaded(static_cast<TdxDBTreeNode*>(Node), true);
  return allowed;
}

void TdxDBTreeView::Collapse(TTreeNode* Node) {
  TCustomdxTreeView::Collapse(Node);
  if (Smart()) {
    TFlag collapsing(FCollapsing, true);
    SetChildLoaded(static_cast<TdxDBTreeNode*>(Node), false);
  }
}

void TdxDBTreeView::SelectCurrentRecordNode() {
  if (FOptions.Contains(trCanDBNavigate) && FKeyField) SelectNodeByKey(FKeyField->Value());
}

void TdxDBTreeView::SelectNodeByKey(const Variant& Key) {
  if (IsNullish(Key)) return;
  if (auto* n = FNodes->FindNodeByKey(Key)) {
    // The dataset follows the selection (it is on that key already when the
    // dataset scrolled).
    n->MakeVisible();
    n->SetSelected(true);
    return;
  }
  if (!Smart() || FInternalUpdate || !FieldsBound()) return;
  TDataSet* ds = DataSet();
  {
    TFlag update(FInternalUpdate, true);
    if (!KeyEq(FKeyField->Value(), Key) && !LocateKey(FKeyField, Key)) return;
    TBookmark bookmark = ds->GetBookmark();
    TControlsOff off(ds);
    // Climb to the nearest loaded ancestor; a cycle of parents ends the climb.
    std::vector<Variant> path;
    bool reached = false;
    while (true) {
      Variant parent = FParentField->Value();
      if (!LocateKey(FKeyField, parent)) break;
      Variant k = FKeyField->Value();
      if (KeyEq(k, parent) && KeyEq(FParentField->Value(), k)) break;
      if (std::any_of(path.begin(), path.end(), [&](const Variant& p) { return KeyEq(p, k); })) break;
      path.push_back(k);
      if (FNodes->FindNodeByKey(k)) {
        reached = true;
        break;
      }
    }
    if (!reached) {
      LocateKey(FKeyField, Key);
      LoadChildren(RefreshRecordNode(), false);
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it)
      if (LocateKey(FKeyField, *it)) LoadChildren(FNodes->FindNodeByKey(*it), false);
    if (!bookmark.empty() && ds->BookmarkValid(bookmark)) ds->GotoBookmark(bookmark);
  }
  if (auto* n = FNodes->FindNodeByKey(Key)) {
    n->MakeVisible();
    n->SetSelected(true);
  }
}

void TdxDBTreeView::DataChanged() {
  if (FInternalUpdate || !HandleAllocated()) return;
  TDataSet* ds = DataSet();
  if (ds && (ds->State() == dsInsert || ds->State() == dsEdit)) return;
  if (IsEditing()) TreeView_EndEditLabelNow(Handle(), TRUE);
  BindTreeFields();
  LoadTreeFromDataSet();
}

void TdxDBTreeView::FieldEdited(TField* Field) {
  if (FFieldEditing || !FKeyField) return;
  TFlag guard(FFieldEditing, true);
  TdxDBTreeNode* node = CurrentRecordNode();
  if (!node) return;
  if (Field == FListField) {
    if (FDisplayFields.empty() && node->Text() != Field->Text()) {
      TFlag update(FInternalUpdate, true);
      node->SetText(Field->Text());
    }
  } else if (Field == FImageIndexField) {
    node->SetImageIndex(Field->IsNull() ? -1 : Field->AsInteger());
  } else if (Field == FStateIndexField) {
    node->SetStateIndex(Field->IsNull() ? -1 : Field->AsInteger());
  } else if (Field == FParentField) {
    Variant value = Field->Value();
    if (!IsNullish(value) && !IsNullish(node->FParentValue) && !KeyEq(value, node->FParentValue)) {
      Variant old = node->FParentValue;
      try {
        if (Smart()) {
          TFlag update(FInternalUpdate, true);
          DataSet()->Post();
        }
        ChangeNodeParent(node, value);
      } catch (...) {
        Field->SetValue(old);
        throw;
      }
    }
  }
}

void TdxDBTreeView::ChangeNodeParent(TdxDBTreeNode* Node, const Variant& Value) {
  if (!KeyEq(Node->FParentValue, Value)) Node->FParentValue = Value;
  TdxDBTreeNode* parent = FNodes->FindNodeByKey(Value);
  if (parent != Node->Parent()) {
    TFlag update(FInternalUpdate, true);
    if (parent && parent != Node && !parent->HasAsParent(Node)) {
      if (Smart()) SetChildLoaded(parent, true);
      parent->SetHasChildren(true);
      Node->TTreeNode::MoveTo(parent, naAddChild);
    } else {
      Node->TTreeNode::MoveTo(nullptr, naAdd);
    }
  }
  TFlag update(FInternalUpdate, true);
  String text = GetDisplayText();
  if (Node->Text() != text) Node->SetText(text);
}

void TdxDBTreeView::RecordInserted() {
  if (!FKeyField || FKeyField->IsNull()) return;
  if (!FInternalUpdate) RefreshRecordNode();
  TdxDBTreeNode* node = CurrentRecordNode();
  if (!node) return;
  {
    TFlag update(FInternalUpdate, true);
    node->SetSelected(true);
    node->MakeVisible();
  }
  if (!IsNullish(node->FParentValue) && OnAddNewItem) OnAddNewItem(nullptr, node);
}

void TdxDBTreeView::Change(TTreeNode* Node) {
  auto* node = dynamic_cast<TdxDBTreeNode*>(Node);
  if (!node) return;
  if (FInternalUpdate) {
    TCustomdxTreeView::Change(Node);
    return;
  }
  {
    TFlag update(FInternalUpdate, true);
    TDataSet* ds = DataSet();
    if (ds && FKeyField && !IsNullish(node->FKeyValue) && !KeyEq(FKeyField->Value(), node->FKeyValue) &&
        ds->State() != dsInsert && !ds->IsEmpty()) {
      if (ds->State() == dsEdit) {
        // Leaving the record being edited posts it. When that fails the
        // dataset stays on it, and so does the selection: its node is
        // selected again and the user is told why.
        TdxDBTreeNode* edited = CurrentRecordNode();
        try {
          ds->Post();
        } catch (...) {
          if (edited && edited != node) {
            Items()->BeginUpdate();
            edited->SetSelected(true);
            Items()->EndUpdate();
          }
          Application->HandleException(this);
          return;
        }
      }
      LocateKey(FKeyField, node->FKeyValue);
    }
  }
  TCustomdxTreeView::Change(Node);
}

bool TdxDBTreeView::DoDBAction(TdxDBTreeNode* Node1, TdxDBTreeNode* Node2, TdxDBTreeViewAction Action) {
  bool automatic = true;
  if (OnDBAction) OnDBAction(this, Node1, Node2, Action, automatic);
  return automatic;
}

bool TdxDBTreeView::Added(TTreeNode* Node) {
  auto* node = dynamic_cast<TdxDBTreeNode*>(Node);
  if (!node || !node->FInserting) return true;
  node->FInserting = false;
  if (FInternalUpdate || StructureChanging() || !FieldsBound() || !HandleAllocated() || !DataSet()) return true;
  return InsertRecordForNode(node, dynamic_cast<TdxDBTreeNode*>(node->Parent()));
}

bool TdxDBTreeView::InsertRecordForNode(TdxDBTreeNode* Node, TdxDBTreeNode* Parent) {
  if (HandleAllocated()) PostMessageW(Handle(), WM_DXDBTREE_REFRESHNODE, 0, reinterpret_cast<LPARAM>(Node));
  bool oldUpdate = FInternalUpdate;
  FInternalUpdate = true;
  Node->FInserting = false;
  if (!DoDBAction(Node, Parent, trDBInsert)) {
    FInternalUpdate = oldUpdate;
    return true;
  }
  TDataSet* ds = DataSet();
  bool wasOff = ds->ControlsDisabled();
  if (!wasOff) ds->DisableControls();
  try {
    Variant parentValue;
    if (Parent) {
      if (Smart()) SetChildLoaded(Parent, true);
      parentValue = Parent->FKeyValue;
    } else {
      parentValue = IsNullish(FRootValue) ? Node->FKeyValue : FRootValue;
    }
    ds->Append();
    FParentField->SetValue(parentValue);
    if (FListField && FListField != FKeyField && FListField != FParentField) {
      FListField->SetText(Node->Text());
      if (FListField->IsNull()) FListField->SetText(" ");
    }
    bool autoInc = FKeyField->DataType() == ftAutoInc;
    if (!autoInc) {
      if (FKeyField->IsNull()) FKeyField->SetValue(Node->FKeyValue);
      else FNodes->ChangeNodeKey(Node, FKeyField->Value());
    }
    ds->Post();
    if (autoInc) FNodes->ChangeNodeKey(Node, FKeyField->Value());
    Node->FParentValue = parentValue;
    String text = GetDisplayText();
    if (Node->Text() != text) Node->SetText(text);
    TdxDBTreeNode* n = Node;
    if (OnAddNewItem) OnAddNewItem(nullptr, n);
    if (!wasOff) ds->EnableControls();
    FInternalUpdate = oldUpdate;
    Node->SetSelected(true);
    Node->MakeVisible();
    return true;
  } catch (...) {
    // The record was not written: the appended record is given up and the
    // node goes again, so that tree and table stay as they were.
    FInternalUpdate = true;
    if (ds->State() == dsInsert) {
      try {
        ds->Cancel();
      } catch (...) {
      }
    }
    if (!wasOff) ds->EnableControls();
    Node->FRecordDone = true;
    delete Node;
    FInternalUpdate = oldUpdate;
    if (OnInsertNodeError) OnInsertNodeError(this);
    else if (FRaiseOnError) throw;
    return false;
  }
}

void TdxDBTreeView::ChangeRecordParent(TdxDBTreeNode* Node, TdxDBTreeNode* Parent) {
  TFlag update(FInternalUpdate, true);
  if (!DoDBAction(Node, Parent, trDBChangeParent)) return;
  TDataSet* ds = DataSet();
  TControlsOff off(ds);
  Variant parentValue = Parent ? Parent->FKeyValue
                               : ((Smart() && !IsNullish(FRootValue)) ? FRootValue : Node->FKeyValue);
  Variant remembered;
  if (!KeyEq(FKeyField->Value(), Node->FKeyValue)) {
    remembered = FKeyField->Value();
    LocateKey(FKeyField, Node->FKeyValue);
  }
  try {
    ds->Edit();
    FParentField->SetValue(parentValue);
    ds->Post();
  } catch (...) {
    if (ds->State() == dsEdit) ds->Cancel();
    if (!IsNullish(remembered)) LocateKey(FKeyField, remembered);
    throw;
  }
  Node->FParentValue = parentValue;
  String text = GetDisplayText();
  if (Node->Text() != text) Node->SetText(text);
  if (!IsNullish(remembered)) LocateKey(FKeyField, remembered);
}

bool TdxDBTreeView::RecordsFollowNodes() const {
  return FieldsBound() && !FInternalUpdate && !FCollapsing && !FDestroying && !StructureChanging() &&
         HandleAllocated() && DataSet() && !ComponentState().Contains(csDestroying);
}

void TdxDBTreeView::DeleteSubtreeRecords(TdxDBTreeNode* Node, std::vector<TdxDBTreeNode*>& Done) {
  // Every descendant must be a node before its record can be found.
  if (Smart()) LoadChildren(Node, true);
  std::vector<TdxDBTreeNode*> nodes = SubtreeOf(Node);
  // Each node is asked first, parents before children ...
  std::vector<bool> allowed;
  allowed.reserve(nodes.size());
  for (TdxDBTreeNode* n : nodes) allowed.push_back(DoDBAction(n, nullptr, trDBDelete));
  // ... and the records go lowest first: in the reverse order every node
  // comes after all of its descendants.
  for (size_t i = nodes.size(); i-- > 0;) {
    TdxDBTreeNode* n = nodes[i];
    if (allowed[i] && !IsNullish(n->FKeyValue)) DeleteRecordByKey(n->FKeyValue);
    n->FRecordDone = true;
    Done.push_back(n);
  }
}

void TdxDBTreeView::DeleteRecordByKey(const Variant& Key) {
  if (!FieldsBound() || FInternalUpdate || FCollapsing || StructureChanging() || !HandleAllocated()) return;
  TDataSet* ds = DataSet();
  bool wasOff = ds->ControlsDisabled();
  if (!wasOff) ds->DisableControls();
  try {
    if (!ds->IsEmpty() && LocateKey(FKeyField, Key) && KeyEq(FKeyField->Value(), Key)) ds->Delete();
  } catch (...) {
    if (!wasOff) {
      TFlag update(FInternalUpdate, true);
      ds->EnableControls();
    }
    throw;
  }
  if (!wasOff) {
    TFlag update(FInternalUpdate, true);
    ds->EnableControls();
  }
  if (Selected()) Change(Selected());
}

bool TdxDBTreeView::CanWriteDataSet(TdxDBTreeNode* Node) const {
  TDataSet* ds = DataSet();
  return Node && ds && FListField && FDisplayFields.empty() && !ReadOnly() && ds->CanModify() &&
         !FListField->ReadOnly();
}

void TdxDBTreeView::NodeTextSet(TdxDBTreeNode* Node) {
  if (FInternalUpdate || StructureChanging() || (EditHandle() && IsWindowVisible(EditHandle()))) return;
  if (!CanWriteDataSet(Node)) return;
  TDataSet* ds = DataSet();
  TTreeNode* before = Selected();
  TControlsOff off(ds);
  if (!KeyEq(FKeyField->Value(), Node->FKeyValue)) LocateKey(FKeyField, Node->FKeyValue);
  TFlag update(FInternalUpdate, true);
  if (KeyEq(FKeyField->Value(), Node->FKeyValue) && FListField->Text() != Node->Text() &&
      DoDBAction(Node, nullptr, trDBChangeText)) {
    try {
      ds->Edit();
      FListField->SetText(Node->Text());
      ds->Post();
    } catch (...) {
      if (ds->State() == dsEdit) ds->Cancel();
      Node->SetText(FListField->Text());  // the field's text stays the node's
      throw;
    }
  }
  if (before && before != Selected()) before->SetSelected(true);
}

void TdxDBTreeView::Edit(const TVITEMW& Item) {
  TCustomdxTreeView::Edit(Item);
  if (!FListField || FDisplayFields.empty()) return;
  TFlag update(FInternalUpdate, true);
  TDataSet* ds = DataSet();
  auto* node = dynamic_cast<TdxDBTreeNode*>(Selected());
  if (!node) return;
  if (!ReadOnly() && (ds->State() == dsEdit || ds->State() == dsInsert) && FListField->Text() != node->Text())
    FListField->SetText(node->Text());
  else if (FListField->Text() != node->Text())
    node->SetText(FListField->Text());
  String text = GetDisplayText();
  if (node->Text() != text) node->SetText(text);
}

void TdxDBTreeView::CopyNodeData(const std::vector<TTreeNode*>& SourceNodes, const std::vector<TTreeNode*>& NewNodes,
                                 bool Copying) {
  if (SourceNodes.empty() || NewNodes.empty() || !FieldsBound()) return;
  auto* sourceTree = dynamic_cast<TdxDBTreeView*>(SourceNodes.front()->TreeView());
  TFlag update(FInternalUpdate, true);
  if (!DoDBAction(dynamic_cast<TdxDBTreeNode*>(SourceNodes.front()), dynamic_cast<TdxDBTreeNode*>(NewNodes.front()),
                  trDBMove))
    return;
  TDataSet* ds = DataSet();
  TControlsOff off(ds);
  auto* firstNew = static_cast<TdxDBTreeNode*>(NewNodes.front());
  if (Smart() && firstNew->Parent()) SetChildLoaded(static_cast<TdxDBTreeNode*>(firstNew->Parent()), true);
  // The fields whose values travel with a copied record.
  std::vector<String> copyFields;
  Variant sourceKey;
  if (FOptions.Contains(trSmartRecordCopy) && sourceTree && sourceTree->DataSet()) {
    sourceKey = sourceTree->FKeyField ? sourceTree->FKeyField->Value() : Variant();
    TDataSet* sds = sourceTree->DataSet();
    for (Integer i = 0; i < sds->Fields().Count(); ++i) {
      TField* f = sds->Fields()[i];
      if (SameText(f->FieldName(), FKeyFieldName) || SameText(f->FieldName(), FParentFieldName)) continue;
      if (ds->FindField(f->FieldName())) copyFields.push_back(f->FieldName());
    }
  }
  for (size_t i = 0; i < NewNodes.size() && i < SourceNodes.size(); ++i) {
    auto* node = static_cast<TdxDBTreeNode*>(NewNodes[i]);
    auto* src = dynamic_cast<TdxDBTreeNode*>(SourceNodes[i]);
    auto* parent = static_cast<TdxDBTreeNode*>(node->Parent());
    Variant parentValue = parent ? parent->FKeyValue
                                 : ((IsNullish(FRootValue) && !Smart()) ? node->FKeyValue : FRootValue);
    if (!FDisplayFields.empty() && sourceTree == this && src && LocateKey(FKeyField, src->FKeyValue))
      node->SetText(FListField->Text());
    bool autoInc = FKeyField->DataType() == ftAutoInc;
    try {
      ds->Append();
      FParentField->SetValue(parentValue);
      if (FListField && FListField != FKeyField && FListField != FParentField) FListField->SetText(node->Text());
      if (!autoInc) FKeyField->SetValue(node->FKeyValue);
      ds->Post();
    } catch (...) {
      // A copy is written whole or not at all: the records already appended
      // for it go again (the caller frees its nodes).
      if (ds->State() == dsInsert) {
        try {
          ds->Cancel();
        } catch (...) {
        }
      }
      for (size_t k = 0; k < i; ++k) {
        Variant key = static_cast<TdxDBTreeNode*>(NewNodes[k])->FKeyValue;
        try {
          if (LocateKey(FKeyField, key) && KeyEq(FKeyField->Value(), key)) ds->Delete();
        } catch (...) {
        }
      }
      throw;
    }
    if (autoInc && !FKeyField->IsNull()) FNodes->ChangeNodeKey(node, FKeyField->Value());
    node->FParentValue = parentValue;
    if (!copyFields.empty() && src) {
      try {
        TDataSet* sds = sourceTree->DataSet();
        std::vector<std::pair<String, Variant>> values;
        {
          TFlag sourceUpdate(sourceTree->FInternalUpdate, true);
          if (sourceTree->LocateKey(sourceTree->FKeyField, src->FKeyValue)) {
            for (auto& name : copyFields) {
              try {
                TField* f = sds->FieldByName(name);
                if (!f->IsNull()) values.push_back({name, f->Value()});
              } catch (const Exception&) {
              }
            }
          }
        }
        if (!values.empty() && LocateKey(FKeyField, node->FKeyValue)) {
          ds->Edit();
          for (auto& [name, value] : values) {
            try {
              ds->FieldByName(name)->SetValue(value);
            } catch (const Exception&) {
            }
          }
          ds->Post();
        }
      } catch (const Exception&) {
        if (ds->State() == dsEdit) ds->Cancel();
      }
    }
    node->SetText(GetDisplayText());
    if (OnAddNewItem) OnAddNewItem(nullptr, node);
  }
  if (firstNew->Parent()) LocateKey(FKeyField, static_cast<TdxDBTreeNode*>(firstNew->Parent())->FKeyValue);
  if (sourceTree && sourceTree != this && !IsNullish(sourceKey)) {
    TFlag sourceUpdate(sourceTree->FInternalUpdate, true);
    sourceTree->LocateKey(sourceTree->FKeyField, sourceKey);
  }
  (void)Copying;
}

void TdxDBTreeView::GetNodeStructure(TTreeNode* Node, std::vector<TTreeNode*>& List) {
  if (Smart() && StructureChanging()) LoadChildren(dynamic_cast<TdxDBTreeNode*>(Node), true);
  TCustomdxTreeView::GetNodeStructure(Node, List);
}

void TdxDBTreeView::InitializeWindow() {
  {
    TFlag update(FInternalUpdate, true);
    TCustomdxTreeView::InitializeWindow();
  }
  BindTreeFields();
  LoadTreeFromDataSet();
}

void TdxDBTreeView::DestroyWnd() {
  {
    TFlag update(FInternalUpdate, true);
    Items()->Clear();
  }
  TCustomdxTreeView::DestroyWnd();
}

namespace {

// Filters the characters typed into a node's label editor through the list
// field: nothing is typed into a read-only field, a rejected character beeps.
struct TLabelEditFilter {
  WNDPROC Old;
  TField* Field;
  bool CanModify;
};

LRESULT CALLBACK LabelEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* f = reinterpret_cast<TLabelEditFilter*>(GetPropW(h, L"TovaniTreeEditFilter"));
  if (!f) return DefWindowProcW(h, msg, wp, lp);
  WNDPROC old = f->Old;
  if (msg == WM_CHAR && wp >= 0x20) {
    if (!f->CanModify || f->Field->ReadOnly()) return 0;
    if (!f->Field->IsValidChar(static_cast<char32_t>(wp))) {
      MessageBeep(0);
      return 0;
    }
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropW(h, L"TovaniTreeEditFilter");
    delete f;
  }
  return CallWindowProcW(old, h, msg, wp, lp);
}

}  // namespace

void TdxDBTreeView::PrepareLabelEditor(TTreeNode* Node, HWND Editor) {
  auto* node = dynamic_cast<TdxDBTreeNode*>(Node);
  TDataSet* ds = DataSet();
  // The editor starts from the record's own text; OnPrepareEditText (in the
  // inherited step) then sees that text.
  if (node && ds && FListField && FKeyField) {
    if (KeyEq(FKeyField->Value(), node->FKeyValue) && FListField->Text() != node->Text()) {
      TFlag update(FInternalUpdate, true);
      node->SetText(FListField->Text());
      std::u16string w = Utf8ToUtf16(node->Text());
      SetWindowTextW(Editor, reinterpret_cast<LPCWSTR>(w.c_str()));
    }
    if (ds->CanModify()) FDataLink->Edit();
    if (FListField->DisplayWidth() > 0) SendMessageW(Editor, EM_LIMITTEXT, FListField->DisplayWidth(), 0);
    if (!GetPropW(Editor, L"TovaniTreeEditFilter")) {
      auto* filter = new TLabelEditFilter{nullptr, FListField, ds->CanModify()};
      SetPropW(Editor, L"TovaniTreeEditFilter", filter);
      filter->Old = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(Editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LabelEditProc)));
    }
  }
  TCustomdxTreeView::PrepareLabelEditor(Node, Editor);
}

void TdxDBTreeView::DrawUnfocusedSelection() {
  if (!HandleAllocated() || Focused() || FInternalUpdate || Items()->Updating() || IsEditing()) return;
  TTreeNode* node = Selected();
  if (!node || !node->ItemId() || !node->IsVisible()) return;
  RECT r;
  *reinterpret_cast<HTREEITEM*>(&r) = node->ItemId();
  if (!SendMessageW(Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) return;
  TFont font;
  font.Assign(Font());
  TColor color = font.Color(), bk = clWindow;
  DoCustomDraw(node, &font, color, bk);
  HDC dc = GetDC(Handle());
  HGDIOBJ oldFont = SelectObject(dc, font.Handle());
  std::u16string w = Utf8ToUtf16(node->Text());
  SIZE size{};
  GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(w.c_str()), static_cast<int>(w.size()), &size);
  r.right = r.left + size.cx + 4;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(font.Color()));
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
  SelectObject(dc, oldFont);
  ReleaseDC(Handle(), dc);
}

void TdxDBTreeView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case TVM_INSERTITEMW: {
      TCustomdxTreeView::Dispatch(Message);
      if (FInternalUpdate || !FNodes) return;
      auto* ins = reinterpret_cast<TVINSERTSTRUCTW*>(Message.LParam);
      auto* node = dynamic_cast<TdxDBTreeNode*>(reinterpret_cast<TTreeNode*>(ins->item.lParam));
      // A new node's record is written once the node is placed (Added).
      if (!node || !FieldsBound() || node->FInserting) return;
      // A node made again under another parent: a move.
      auto* parent = static_cast<TdxDBTreeNode*>(node->Parent());
      if (parent == FNodes->FindNodeByKey(node->FParentValue)) return;
      if (node != FMovingNode) {
        ChangeRecordParent(node, parent);
        return;
      }
      // The move itself puts the node back and raises the error.
      try {
        ChangeRecordParent(node, parent);
      } catch (...) {
        FMoveError = std::current_exception();
      }
      return;
    }
    case TVM_SELECTITEM:
      TCustomdxTreeView::Dispatch(Message);
      DrawUnfocusedSelection();
      return;
    case WM_PAINT:
      TCustomdxTreeView::Dispatch(Message);
      DrawUnfocusedSelection();
      return;
    case TVM_SETITEMW: {
      TCustomdxTreeView::Dispatch(Message);
      auto* item = reinterpret_cast<TVITEMW*>(Message.LParam);
      if (item && (item->mask & TVIF_TEXT) && item->hItem)
        NodeTextSet(dynamic_cast<TdxDBTreeNode*>(Items()->GetNode(item->hItem)));
      return;
    }
    case WM_DXDBTREE_REFRESHNODE: {
      auto* node = reinterpret_cast<TdxDBTreeNode*>(Message.LParam);
      // Only a node still in the list is touched.
      if (FNodes && std::find(FNodes->FList.begin(), FNodes->FList.end(), node) != FNodes->FList.end())
        RefreshNodeImages(node);
      return;
    }
  }
  TCustomdxTreeView::Dispatch(Message);
}
