// The tree view: nodes kept as a tree of objects and mirrored into the
// comctl32 tree control (items made when the window exists).
#include <algorithm>
#include "Collation.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TTreeNode, TPersistent)
TOVANI_IMPLEMENT_CLASS(TTreeNodes, TPersistent)
TOVANI_IMPLEMENT_CLASS(TCustomTreeView, TWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TTreeView, TCustomTreeView)
TOVANI_IMPLEMENT_ENUM_INFO(TNodeAttachMode, "naAdd", "naAddFirst", "naAddChild", "naAddChildFirst", "naInsert")
TOVANI_IMPLEMENT_ENUM_INFO(TSortType, "stNone", "stData", "stText", "stBoth")

TOVANI_PUBLISHED(TCustomTreeView) {
  Property("AutoExpand", &TCustomTreeView::AutoExpand, &TCustomTreeView::SetAutoExpand).Default(false);
  Property("BorderStyle", &TCustomTreeView::BorderStyle, &TCustomTreeView::SetBorderStyle).Default(bsSingle);
  Property("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection).Default(true);
  Property("HotTrack", &TCustomTreeView::HotTrack, &TCustomTreeView::SetHotTrack).Default(false);
  Property("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages);
  Property("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent);
  Property("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly).Default(false);
  Property("RightClickSelect", &TCustomTreeView::RightClickSelect, &TCustomTreeView::SetRightClickSelect).Default(false);
  Property("RowSelect", &TCustomTreeView::RowSelect, &TCustomTreeView::SetRowSelect).Default(false);
  Property("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons).Default(true);
  Property("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines).Default(true);
  Property("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot).Default(true);
  Property("SortType", &TCustomTreeView::SortType, &TCustomTreeView::SetSortType).Default(stNone);
  Property("StateImages", &TCustomTreeView::StateImages, &TCustomTreeView::SetStateImages);
  Property("ToolTips", &TCustomTreeView::ToolTips, &TCustomTreeView::SetToolTips).Default(true);
  Property("OnAdvancedCustomDraw", &TCustomTreeView::OnAdvancedCustomDraw);
  Property("OnAdvancedCustomDrawItem", &TCustomTreeView::OnAdvancedCustomDrawItem);
  Property("OnChange", &TCustomTreeView::OnChange);
  Property("OnChanging", &TCustomTreeView::OnChanging);
  Property("OnCollapsed", &TCustomTreeView::OnCollapsed);
  Property("OnCollapsing", &TCustomTreeView::OnCollapsing);
  Property("OnCompare", &TCustomTreeView::OnCompare);
  Property("OnCustomDraw", &TCustomTreeView::OnCustomDraw);
  Property("OnCustomDrawItem", &TCustomTreeView::OnCustomDrawItem);
  Property("OnDeletion", &TCustomTreeView::OnDeletion);
  Property("OnEdited", &TCustomTreeView::OnEdited);
  Property("OnEditing", &TCustomTreeView::OnEditing);
  Property("OnExpanded", &TCustomTreeView::OnExpanded);
  Property("OnExpanding", &TCustomTreeView::OnExpanding);
  Property("OnGetImageIndex", &TCustomTreeView::OnGetImageIndex);
  Property("OnGetSelectedIndex", &TCustomTreeView::OnGetSelectedIndex);
}

namespace {
HWND TreeWindow(const TTreeNodes* nodes) {
  TCustomTreeView* tv = nodes ? nodes->Owner() : nullptr;
  return tv && tv->HandleAllocated() ? tv->Handle() : nullptr;
}
}  // namespace

// ---------------------------------------------------------------------------
// TTreeNode

TTreeNode::TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}

TTreeNode::~TTreeNode() {
  FDeleting = true;
  // Children go first, then this node leaves its parent.
  while (!FChildren.empty()) delete FChildren.back();
  if (FOwner) {
    if (TCustomTreeView* tv = FOwner->Owner()) tv->Delete(this);
    HWND h = TreeWindow(FOwner);
    if (h && FItemId) {
      HTREEITEM id = FItemId;
      FItemId = nullptr;
      SendMessageW(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(id));
    }
    FOwner->Detach(this);
  }
}

void TTreeNode::Assign(TPersistent* Source) {
  if (auto* n = dynamic_cast<TTreeNode*>(Source)) {
    SetText(n->FText);
    FData = n->FData;
    SetImageIndex(n->FImageIndex);
    SetSelectedIndex(n->FSelectedIndex);
    SetStateIndex(n->FStateIndex);
    SetOverlayIndex(n->FOverlayIndex);
    SetHasChildren(n->FHasChildren);
    return;
  }
  TPersistent::Assign(Source);
}

TCustomTreeView* TTreeNode::TreeView() const { return FOwner ? FOwner->Owner() : nullptr; }

void TTreeNode::RefreshItem(UINT Mask) {
  HWND h = TreeWindow(FOwner);
  if (!h || !FItemId) return;
  TVITEMW item{};
  item.mask = Mask | TVIF_HANDLE;
  item.hItem = FItemId;
  std::u16string w = ToUtf16(FText);
  item.pszText = W(w);
  item.iImage = FImageIndex;
  item.iSelectedImage = FSelectedIndex;
  item.cChildren = (FHasChildren || !FChildren.empty()) ? 1 : 0;
  item.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK | TVIS_CUT;
  item.state = (FStateIndex >= 0 ? INDEXTOSTATEIMAGEMASK(FStateIndex) : 0) |
               (FOverlayIndex >= 0 ? INDEXTOOVERLAYMASK(FOverlayIndex + 1) : 0) | (FCut ? TVIS_CUT : 0);
  SendMessageW(h, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::CreateItem(TTreeNode* InsertAfterSibling) {
  HWND h = TreeWindow(FOwner);
  if (!h) return;
  TVINSERTSTRUCTW ins{};
  ins.hParent = FParent ? FParent->FItemId : TVI_ROOT;
  if (FParent && !FParent->FItemId) return;
  ins.hInsertAfter = InsertAfterSibling ? InsertAfterSibling->FItemId : TVI_FIRST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
  std::u16string w = ToUtf16(FText);
  ins.item.pszText = W(w);
  ins.item.iImage = FImageIndex;
  ins.item.iSelectedImage = FSelectedIndex;
  ins.item.lParam = reinterpret_cast<LPARAM>(this);
  ins.item.cChildren = (FHasChildren || !FChildren.empty()) ? 1 : 0;
  ins.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK;
  ins.item.state = (FStateIndex >= 0 ? INDEXTOSTATEIMAGEMASK(FStateIndex) : 0) |
                   (FOverlayIndex >= 0 ? INDEXTOOVERLAYMASK(FOverlayIndex + 1) : 0);
  FItemId = reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  TTreeNode* prev = nullptr;
  for (TTreeNode* c : FChildren) {
    c->CreateItem(prev);
    prev = c;
  }
  if (FParent) FParent->RefreshItem(TVIF_CHILDREN);
  if (FExpanded && !FChildren.empty()) SendMessageW(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
}

void TTreeNode::DetachItems() {
  FItemId = nullptr;
  for (TTreeNode* c : FChildren) c->DetachItems();
}

void TTreeNode::SetText(const String& v) {
  FText = v;
  RefreshItem(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(Integer v) {
  FImageIndex = v;
  RefreshItem(TVIF_IMAGE);
}

void TTreeNode::SetSelectedIndex(Integer v) {
  FSelectedIndex = v;
  RefreshItem(TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetStateIndex(Integer v) {
  FStateIndex = v;
  RefreshItem(TVIF_STATE);
}

void TTreeNode::SetOverlayIndex(Integer v) {
  FOverlayIndex = v;
  RefreshItem(TVIF_STATE);
}

void TTreeNode::SetCut(bool v) {
  FCut = v;
  RefreshItem(TVIF_STATE);
}

bool TTreeNode::HasChildren() const { return FHasChildren || !FChildren.empty(); }

void TTreeNode::SetHasChildren(bool v) {
  FHasChildren = v;
  RefreshItem(TVIF_CHILDREN);
}

bool TTreeNode::Expanded() const {
  HWND h = TreeWindow(FOwner);
  if (h && FItemId)
    return (SendMessageW(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  return FExpanded;
}

void TTreeNode::SetExpanded(bool v) {
  if (v) Expand(false);
  else Collapse(false);
}

void TTreeNode::Expand(bool Recurse) {
  TCustomTreeView* tv = TreeView();
  if (!HasChildren()) return;
  if (tv && !tv->CanExpand(this)) return;
  FExpanded = true;
  HWND h = TreeWindow(FOwner);
  if (h && FItemId) SendMessageW(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
  else if (tv) tv->Expand(this);
  if (Recurse)
    for (TTreeNode* c : std::vector<TTreeNode*>(FChildren)) c->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  TCustomTreeView* tv = TreeView();
  if (tv && !tv->CanCollapse(this)) return;
  FExpanded = false;
  HWND h = TreeWindow(FOwner);
  if (h && FItemId) SendMessageW(h, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItemId));
  else if (tv) tv->Collapse(this);
  if (Recurse)
    for (TTreeNode* c : FChildren) c->Collapse(true);
}

bool TTreeNode::Selected() const {
  TCustomTreeView* tv = TreeView();
  return tv && tv->Selected() == this;
}

void TTreeNode::SetSelected(bool v) {
  TCustomTreeView* tv = TreeView();
  if (!tv) return;
  if (v) tv->SetSelected(this);
  else if (tv->Selected() == this) tv->SetSelected(nullptr);
}

bool TTreeNode::Focused() const {
  HWND h = TreeWindow(FOwner);
  return h && FItemId && (SendMessageW(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId), TVIS_FOCUSED) & TVIS_FOCUSED);
}

void TTreeNode::SetFocused(bool v) {
  if (v) SetSelected(true);
}

bool TTreeNode::DropTarget() const {
  TCustomTreeView* tv = TreeView();
  return tv && tv->DropTarget() == this;
}

void TTreeNode::SetDropTarget(bool v) {
  if (TCustomTreeView* tv = TreeView()) tv->SetDropTarget(v ? this : nullptr);
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (!p->Expanded()) return false;
  return true;
}

void TTreeNode::MakeVisible() {
  for (TTreeNode* p = FParent; p; p = p->FParent) p->Expand(false);
  HWND h = TreeWindow(FOwner);
  if (h && FItemId) SendMessageW(h, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(FItemId));
}

TTreeNode* TTreeNode::Item(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FChildren[size_t(Index)];
}

Integer TTreeNode::Index() const {
  const auto& sibs = FParent ? FParent->FChildren : FOwner->Roots();
  auto it = std::find(sibs.begin(), sibs.end(), this);
  return it == sibs.end() ? -1 : Integer(it - sibs.begin());
}

Integer TTreeNode::AbsoluteIndex() const {
  Integer n = -1;
  for (const TTreeNode* p = this; p; p = p->GetPrev()) ++n;
  return n;
}

Integer TTreeNode::Level() const {
  Integer n = 0;
  for (TTreeNode* p = FParent; p; p = p->FParent) ++n;
  return n;
}

bool TTreeNode::HasAsParent(TTreeNode* Value) const {
  if (!Value) return false;
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (p == Value) return true;
  return false;
}

Integer TTreeNode::IndexOf(TTreeNode* Value) const {
  auto it = std::find(FChildren.begin(), FChildren.end(), Value);
  return it == FChildren.end() ? -1 : Integer(it - FChildren.begin());
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& sibs = FParent ? FParent->FChildren : FOwner->Roots();
  auto it = std::find(sibs.begin(), sibs.end(), this);
  if (it == sibs.end() || it + 1 == sibs.end()) return nullptr;
  return *(it + 1);
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& sibs = FParent ? FParent->FChildren : FOwner->Roots();
  auto it = std::find(sibs.begin(), sibs.end(), this);
  if (it == sibs.end() || it == sibs.begin()) return nullptr;
  return *(it - 1);
}

TTreeNode* TTreeNode::GetNext() const {
  if (!FChildren.empty()) return FChildren.front();
  for (const TTreeNode* p = this; p; p = p->FParent)
    if (TTreeNode* s = p->GetNextSibling()) return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* s = GetPrevSibling();
  if (!s) return FParent;
  while (!s->FChildren.empty()) s = s->FChildren.back();
  return s;
}

TTreeNode* TTreeNode::GetNextVisible() const {
  if (!FChildren.empty() && Expanded()) return FChildren.front();
  for (const TTreeNode* p = this; p; p = p->FParent)
    if (TTreeNode* s = p->GetNextSibling()) return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
  TTreeNode* s = GetPrevSibling();
  if (!s) return FParent;
  while (!s->FChildren.empty() && s->Expanded()) s = s->FChildren.back();
  return s;
}

void TTreeNode::MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) {
  if (Destination == this || (Destination && Destination->HasAsParent(this))) return;
  if (!FOwner) return;
  HWND h = TreeWindow(FOwner);
  bool wasSelected = Selected();
  bool expanded = Expanded();
  // The native items go and are made again in the new place.
  if (h && FItemId) {
    HTREEITEM id = FItemId;
    DetachItems();
    FOwner->FOwner->FCreatingItems = true;
    SendMessageW(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(id));
    FOwner->FOwner->FCreatingItems = false;
  }
  TTreeNode* oldParent = FParent;
  FOwner->Detach(this);
  if (Destination && Destination->FOwner != FOwner) {
    // Moving into another tree: the subtree changes owner.
    std::vector<TTreeNode*> stack{this};
    while (!stack.empty()) {
      TTreeNode* n = stack.back();
      stack.pop_back();
      n->FOwner = Destination->FOwner;
      stack.insert(stack.end(), n->FChildren.begin(), n->FChildren.end());
    }
  }
  FOwner->Attach(this, Destination, Mode);
  FExpanded = expanded;
  if (TreeWindow(FOwner)) CreateItem(GetPrevSibling());
  if (oldParent) oldParent->RefreshItem(TVIF_CHILDREN);
  if (wasSelected) SetSelected(true);
}

void TTreeNode::Delete() {
  if (!FDeleting) delete this;
}

void TTreeNode::DeleteChildren() {
  // Each through Delete: a child that refuses to go (and raises) stays.
  while (!FChildren.empty()) FChildren.back()->Delete();
  FHasChildren = false;
  RefreshItem(TVIF_CHILDREN);
}

bool TTreeNode::EditText() {
  HWND h = TreeWindow(FOwner);
  return h && FItemId && SendMessageW(h, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(FItemId)) != 0;
}

void TTreeNode::EndEdit(bool Cancel) {
  HWND h = TreeWindow(FOwner);
  if (h) SendMessageW(h, TVM_ENDEDITLABELNOW, Cancel, 0);
}

TRect TTreeNode::DisplayRect(bool TextOnly) {
  HWND h = TreeWindow(FOwner);
  RECT r{};
  if (h && FItemId) {
    *reinterpret_cast<HTREEITEM*>(&r) = FItemId;
    if (SendMessageW(h, TVM_GETITEMRECT, TextOnly, reinterpret_cast<LPARAM>(&r))) return {r.left, r.top, r.right, r.bottom};
  }
  return {};
}

bool TTreeNode::CustomSort(const std::function<Integer(TTreeNode*, TTreeNode*)>& Compare, bool ARecurse) {
  std::stable_sort(FChildren.begin(), FChildren.end(), [&](TTreeNode* a, TTreeNode* b) { return Compare(a, b) < 0; });
  if (ARecurse)
    for (TTreeNode* c : FChildren) c->CustomSort(Compare, true);
  // The native order follows: the children's items are made again.
  HWND h = TreeWindow(FOwner);
  if (h && FItemId) {
    bool exp = Expanded();
    for (TTreeNode* c : FChildren)
      if (c->FItemId) {
        HTREEITEM id = c->FItemId;
        c->DetachItems();
        SendMessageW(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(id));
      }
    TTreeNode* prev = nullptr;
    for (TTreeNode* c : FChildren) {
      c->CreateItem(prev);
      prev = c;
    }
    if (exp) SendMessageW(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
  }
  return true;
}

bool TTreeNode::AlphaSort(bool ARecurse) {
  TCustomTreeView* tv = TreeView();
  return CustomSort(
      [tv](TTreeNode* a, TTreeNode* b) {
        Integer r = 0;
        if (tv && tv->OnCompare) tv->OnCompare(tv, a, b, 0, r);
        else r = AnsiCompareText(a->Text(), b->Text());
        return r;
      },
      ARecurse);
}

// ---------------------------------------------------------------------------
// TTreeNodes

TTreeNodes::TTreeNodes(TCustomTreeView* AOwner) : FOwner(AOwner) {}

TTreeNodes::~TTreeNodes() { Clear(); }

void TTreeNodes::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TTreeNodes*>(Source)) {
    BeginUpdate();
    Clear();
    std::function<void(TTreeNode*, TTreeNode*)> copy = [&](TTreeNode* from, TTreeNode* parent) {
      TTreeNode* n = AddChildObject(parent, from->Text(), from->Data());
      n->Assign(from);
      for (TTreeNode* c : from->FChildren) copy(c, n);
    };
    for (TTreeNode* r : src->FRoots) copy(r, nullptr);
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

Integer TTreeNodes::Count() const {
  Integer n = 0;
  std::vector<const TTreeNode*> stack(FRoots.begin(), FRoots.end());
  while (!stack.empty()) {
    const TTreeNode* t = stack.back();
    stack.pop_back();
    ++n;
    stack.insert(stack.end(), t->FChildren.begin(), t->FChildren.end());
  }
  return n;
}

TTreeNode* TTreeNodes::Item(Integer Index) const {
  if (Index < 0) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  TTreeNode* n = GetFirstNode();
  while (n && Index > 0) {
    n = n->GetNext();
    --Index;
  }
  if (!n) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return n;
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM ItemId) const {
  if (!ItemId) return nullptr;
  HWND h = TreeWindow(this);
  if (!h) return nullptr;
  TVITEMW item{};
  item.mask = TVIF_PARAM | TVIF_HANDLE;
  item.hItem = ItemId;
  if (!SendMessageW(h, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<TTreeNode*>(item.lParam);
}

void TTreeNodes::Attach(TTreeNode* Node, TTreeNode* Target, TNodeAttachMode Mode) {
  TTreeNode* parent = nullptr;
  size_t pos = 0;
  switch (Mode) {
    case naAdd:
    case naAddFirst: {
      parent = Target ? Target->FParent : nullptr;
      auto& sibs = SiblingsOf(parent);
      pos = Mode == naAdd ? sibs.size() : 0;
      break;
    }
    case naAddChild:
    case naAddChildFirst: {
      parent = Target;
      auto& sibs = SiblingsOf(parent);
      pos = Mode == naAddChild ? sibs.size() : 0;
      break;
    }
    case naInsert: {
      parent = Target ? Target->FParent : nullptr;
      auto& sibs = SiblingsOf(parent);
      auto it = std::find(sibs.begin(), sibs.end(), Target);
      pos = it == sibs.end() ? sibs.size() : size_t(it - sibs.begin());
      break;
    }
  }
  // A sorted tree keeps its order by text.
  if (FOwner && FOwner->SortType() != stNone && Mode != naInsert) {
    auto& sibs = SiblingsOf(parent);
    pos = 0;
    while (pos < sibs.size()) {
      Integer cmp = 0;
      if (FOwner->OnCompare) FOwner->OnCompare(FOwner, sibs[pos], Node, 0, cmp);
      else cmp = AnsiCompareText(sibs[pos]->Text(), Node->Text());
      if (cmp > 0) break;
      ++pos;
    }
  }
  auto& sibs = SiblingsOf(parent);
  sibs.insert(sibs.begin() + long(pos), Node);
  Node->FParent = parent;
}

void TTreeNodes::Detach(TTreeNode* Node) {
  auto& sibs = SiblingsOf(Node->FParent);
  sibs.erase(std::remove(sibs.begin(), sibs.end(), Node), sibs.end());
  TTreeNode* parent = Node->FParent;
  Node->FParent = nullptr;
  if (parent && !parent->FDeleting) parent->RefreshItem(TVIF_CHILDREN);
}

TTreeNode* TTreeNodes::InternalAddObject(TTreeNode* Target, const String& S, void* Ptr, TNodeAttachMode Mode) {
  TTreeNode* node = FOwner ? FOwner->CreateNode() : new TTreeNode(this);
  node->FOwner = this;
  node->FText = S;
  node->FData = Ptr;
  Attach(node, Target, Mode);
  if (TreeWindow(this)) {
    node->CreateItem(node->GetPrevSibling());
  }
  if (FOwner) {
    FOwner->GetImageIndex(node);
    FOwner->GetSelectedIndex(node);
    if (!FOwner->Added(node)) return nullptr;
  }
  return node;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const String& S, void* Ptr) { return InternalAddObject(Sibling, S, Ptr, naAdd); }
TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* Sibling, const String& S, void* Ptr) { return InternalAddObject(Sibling, S, Ptr, naAddFirst); }
TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const String& S, void* Ptr) { return InternalAddObject(Parent, S, Ptr, naAddChild); }
TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* Parent, const String& S, void* Ptr) {
  return InternalAddObject(Parent, S, Ptr, naAddChildFirst);
}
TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const String& S, void* Ptr) { return InternalAddObject(Sibling, S, Ptr, naInsert); }

void TTreeNodes::Delete(TTreeNode* Node) {
  if (Node) Node->Delete();
}

void TTreeNodes::Clear() {
  BeginUpdate();
  while (!FRoots.empty()) delete FRoots.back();
  EndUpdate();
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0)
    if (HWND h = TreeWindow(this)) SendMessageW(h, WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    if (HWND h = TreeWindow(this)) {
      SendMessageW(h, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(h, nullptr, TRUE);
    }
}

void TTreeNodes::CreateItems() {
  TTreeNode* prev = nullptr;
  for (TTreeNode* r : FRoots) {
    r->CreateItem(prev);
    prev = r;
  }
}

// ---------------------------------------------------------------------------
// TCustomTreeView

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner), FTreeNodes(new TTreeNodes(this)), FCanvas(new TControlCanvas), FImageLink(new TChangeLink) {
  // No mouse capture of its own: the tree control follows the button itself
  // and has taken the button's release by the time the press is handled
  // here, so a capture taken then would never end and the next click
  // anywhere else would only end it.
  FControlStyle = {csDoubleClicks};
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FBrush->SetColor(FColor);
  FCanvas->SetControl(this);
  FImageLink->OnChange = [this](TObject*) { Invalidate(); };
}

TCustomTreeView::~TCustomTreeView() {
  Destroying();
  FTreeNodes->Clear();
  FCanvas->FreeHandle();
  SetImages(nullptr);
  SetStateImages(nullptr);
  DestroyHandle();
}

TTreeNode* TCustomTreeView::CreateNode() { return new TTreeNode(FTreeNodes.get()); }

void TCustomTreeView::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"SysTreeView32");
  Params.Style |= TVS_EDITLABELS * !FReadOnly;
  if (FShowButtons) Params.Style |= TVS_HASBUTTONS;
  if (FShowLines) Params.Style |= TVS_HASLINES;
  if (FShowRoot) Params.Style |= TVS_LINESATROOT;
  if (!FHideSelection) Params.Style |= TVS_SHOWSELALWAYS;
  if (FRowSelect) Params.Style |= TVS_FULLROWSELECT;
  if (FHotTrack) Params.Style |= TVS_TRACKSELECT;
  if (!FToolTips) Params.Style |= TVS_NOTOOLTIPS;
  if (FAutoExpand) Params.Style |= TVS_SINGLEEXPAND;
  if (FBorderStyle == bsSingle) {
    if (FCtl3D) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

void TCustomTreeView::InitializeWindow() {
  SendMessageW(FHandle, TVM_SETINDENT, WPARAM(FIndent), 0);
  if (FImages) SendMessageW(FHandle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(FImages->Handle()));
  if (FStateImages) SendMessageW(FHandle, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(FStateImages->Handle()));
  FCreatingItems = true;
  FTreeNodes->CreateItems();
  FCreatingItems = false;
  if (FSavedSelected) SetSelected(FSavedSelected);
  if (FSavedTop) SetTopItem(FSavedTop);
  FSavedSelected = FSavedTop = nullptr;
}

void TCustomTreeView::DestroyWnd() {
  FSavedSelected = Selected();
  FSavedTop = TopItem();
  // The nodes stay; only their native items go.
  for (TTreeNode* r : FTreeNodes->Roots()) {
    std::vector<TTreeNode*> stack{r};
    while (!stack.empty()) {
      TTreeNode* n = stack.back();
      stack.pop_back();
      n->FExpanded = n->Expanded();
      stack.insert(stack.end(), n->FChildren.begin(), n->FChildren.end());
    }
  }
  for (TTreeNode* r : FTreeNodes->Roots()) r->DetachItems();
  FCreatingItems = true;
  SendMessageW(FHandle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  FCreatingItems = false;
  TWinControl::DestroyWnd();
}

TTreeNode* TCustomTreeView::Selected() {
  if (!FHandle) return FSavedSelected;
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(SendMessageW(FHandle, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* v) {
  if (!FHandle) {
    FSavedSelected = v;
    return;
  }
  if (v) v->MakeVisible();
  SendMessageW(FHandle, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(v ? v->FItemId : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() {
  if (!FHandle) return FSavedTop;
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(SendMessageW(FHandle, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TCustomTreeView::SetTopItem(TTreeNode* v) {
  if (!FHandle) {
    FSavedTop = v;
    return;
  }
  if (v && v->FItemId) SendMessageW(FHandle, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(v->FItemId));
}

TTreeNode* TCustomTreeView::DropTarget() {
  if (!FHandle) return nullptr;
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(SendMessageW(FHandle, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

void TCustomTreeView::SetDropTarget(TTreeNode* v) {
  if (FHandle) SendMessageW(FHandle, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(v ? v->FItemId : nullptr));
}

TTreeNode* TCustomTreeView::GetNodeAt(Integer X, Integer Y) {
  TVHITTESTINFO hti{};
  hti.pt = {X, Y};
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hti)));
  if (!item || !(hti.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT))) return nullptr;
  return FTreeNodes->GetNode(item);
}

THitTests TCustomTreeView::GetHitTestInfoAt(Integer X, Integer Y) {
  TVHITTESTINFO hti{};
  hti.pt = {X, Y};
  SendMessageW(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hti));
  THitTests r;
  if (hti.flags & TVHT_ABOVE) r += htAbove;
  if (hti.flags & TVHT_BELOW) r += htBelow;
  if (hti.flags & TVHT_NOWHERE) r += htNowhere;
  if ((hti.flags & TVHT_ONITEM) == TVHT_ONITEM) r += htOnItem;
  if (hti.flags & TVHT_ONITEMBUTTON) r += htOnButton;
  if (hti.flags & TVHT_ONITEMICON) r += htOnIcon, r += htOnItem;
  if (hti.flags & TVHT_ONITEMINDENT) r += htOnIndent;
  if (hti.flags & TVHT_ONITEMLABEL) r += htOnLabel, r += htOnItem;
  if (hti.flags & TVHT_ONITEMRIGHT) r += htOnRight;
  if (hti.flags & TVHT_ONITEMSTATEICON) r += htOnStateIcon, r += htOnItem;
  if (hti.flags & TVHT_TOLEFT) r += htToLeft;
  if (hti.flags & TVHT_TORIGHT) r += htToRight;
  return r;
}

bool TCustomTreeView::IsEditing() { return FHandle && SendMessageW(FHandle, TVM_GETEDITCONTROL, 0, 0) != 0; }

void TCustomTreeView::FullExpand() {
  for (TTreeNode* r : std::vector<TTreeNode*>(FTreeNodes->Roots())) r->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (TTreeNode* r : FTreeNodes->Roots()) r->Collapse(true);
}

bool TCustomTreeView::CustomSort(const std::function<Integer(TTreeNode*, TTreeNode*)>& Compare, bool ARecurse) {
  auto& roots = FTreeNodes->FRoots;
  std::stable_sort(roots.begin(), roots.end(), [&](TTreeNode* a, TTreeNode* b) { return Compare(a, b) < 0; });
  if (ARecurse)
    for (TTreeNode* r : roots) r->CustomSort(Compare, true);
  if (FHandle) {
    TTreeNode* sel = Selected();
    for (TTreeNode* r : roots) r->DetachItems();
    FCreatingItems = true;
    SendMessageW(FHandle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    FTreeNodes->CreateItems();
    FCreatingItems = false;
    if (sel) SetSelected(sel);
  }
  return true;
}

bool TCustomTreeView::AlphaSort(bool ARecurse) {
  return CustomSort(
      [this](TTreeNode* a, TTreeNode* b) {
        Integer r = 0;
        if (OnCompare) OnCompare(this, a, b, 0, r);
        else r = AnsiCompareText(a->Text(), b->Text());
        return r;
      },
      ARecurse);
}

void TCustomTreeView::SetImages(TCustomImageList* v) {
  if (FImages) {
    FImages->UnRegisterChanges(FImageLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = v;
  if (v) {
    v->RegisterChanges(FImageLink.get());
    v->FreeNotification(this);
  }
  if (FHandle) SendMessageW(FHandle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(v ? v->Handle() : nullptr));
}

void TCustomTreeView::SetStateImages(TCustomImageList* v) {
  if (FStateImages) FStateImages->RemoveFreeNotification(this);
  FStateImages = v;
  if (v) v->FreeNotification(this);
  if (FHandle) SendMessageW(FHandle, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(v ? v->Handle() : nullptr));
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FStateImages) SetStateImages(nullptr);
}

#define TREE_STYLE_SETTER(Prop, Field)      \
  void TCustomTreeView::Set##Prop(bool v) { \
    if (Field == v) return;                 \
    Field = v;                              \
    RecreateWnd();                          \
  }
TREE_STYLE_SETTER(ReadOnly, FReadOnly)
TREE_STYLE_SETTER(ShowButtons, FShowButtons)
TREE_STYLE_SETTER(ShowLines, FShowLines)
TREE_STYLE_SETTER(ShowRoot, FShowRoot)
TREE_STYLE_SETTER(HideSelection, FHideSelection)
TREE_STYLE_SETTER(RowSelect, FRowSelect)
TREE_STYLE_SETTER(HotTrack, FHotTrack)
TREE_STYLE_SETTER(ToolTips, FToolTips)
TREE_STYLE_SETTER(AutoExpand, FAutoExpand)
#undef TREE_STYLE_SETTER

void TCustomTreeView::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  RecreateWnd();
}

void TCustomTreeView::SetSortType(TSortType v) {
  if (FSortType == v) return;
  FSortType = v;
  if (v != stNone) AlphaSort(true);
}

Integer TCustomTreeView::Indent() {
  if (FHandle) FIndent = Integer(SendMessageW(FHandle, TVM_GETINDENT, 0, 0));
  return FIndent;
}

void TCustomTreeView::SetIndent(Integer v) {
  FIndent = v;
  if (FHandle) SendMessageW(FHandle, TVM_SETINDENT, WPARAM(v), 0);
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, Node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
  if (OnChange) OnChange(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
  bool allow = !FReadOnly;
  if (allow && OnEditing) OnEditing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Edit(const TVITEMW& Item) {
  TTreeNode* node = FTreeNodes->GetNode(Item.hItem);
  if (!node || !Item.pszText) return;
  String s = vcl::FromW(Item.pszText);
  if (OnEdited) OnEdited(this, node, s);
  node->SetText(s);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, Node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
  if (OnExpanded) OnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
  if (OnCollapsed) OnCollapsed(this, Node);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
  if (OnDeletion && !ComponentState().Contains(csDestroying)) OnDeletion(this, Node);
}

void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
  if (OnGetImageIndex) OnGetImageIndex(this, Node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node);
}

bool TCustomTreeView::IsCustomDrawn(TCustomDrawStage Stage, bool ItemStage) {
  if (Stage == cdPrePaint) {
    if (ItemStage) return OnCustomDrawItem || OnAdvancedCustomDrawItem;
    return OnCustomDraw || OnAdvancedCustomDraw || OnCustomDrawItem || OnAdvancedCustomDrawItem;
  }
  return ItemStage ? bool(OnAdvancedCustomDrawItem) : bool(OnAdvancedCustomDraw);
}

bool TCustomTreeView::CustomDraw(const TRect& ARect, TCustomDrawStage Stage) {
  bool def = true;
  if (Stage == cdPrePaint && OnCustomDraw) OnCustomDraw(this, ARect, def);
  if (OnAdvancedCustomDraw) OnAdvancedCustomDraw(this, ARect, Stage, def);
  return def;
}

bool TCustomTreeView::CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage, bool& PaintImages) {
  bool def = true;
  PaintImages = true;
  if (Stage == cdPrePaint && OnCustomDrawItem) OnCustomDrawItem(this, Node, State, def);
  if (OnAdvancedCustomDrawItem) OnAdvancedCustomDrawItem(this, Node, State, Stage, PaintImages, def);
  return def;
}

void TCustomTreeView::CNNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  switch (hdr->code) {
    case TVN_SELCHANGINGW: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(Message.LParam);
      if (FCreatingItems) return;
      Message.Result = CanChange(reinterpret_cast<TTreeNode*>(nm->itemNew.lParam)) ? 0 : 1;
      return;
    }
    case TVN_SELCHANGEDW: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(Message.LParam);
      if (FCreatingItems) return;
      Change(reinterpret_cast<TTreeNode*>(nm->itemNew.lParam));
      return;
    }
    case TVN_BEGINDRAGW: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(Message.LParam);
      FDragged = true;
      FDragItem = nm->itemNew.hItem;
      return;
    }
    case TVN_ITEMEXPANDINGW: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(Message.LParam);
      auto* node = reinterpret_cast<TTreeNode*>(nm->itemNew.lParam);
      if (!node) return;
      if (nm->action == TVE_EXPAND) Message.Result = CanExpand(node) ? 0 : 1;
      else if (nm->action == TVE_COLLAPSE) Message.Result = CanCollapse(node) ? 0 : 1;
      return;
    }
    case TVN_ITEMEXPANDEDW: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(Message.LParam);
      auto* node = reinterpret_cast<TTreeNode*>(nm->itemNew.lParam);
      if (!node) return;
      if (nm->action == TVE_EXPAND) {
        node->FExpanded = true;
        Expand(node);
      } else if (nm->action == TVE_COLLAPSE) {
        node->FExpanded = false;
        Collapse(node);
      }
      return;
    }
    case TVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOW*>(Message.LParam);
      TTreeNode* node = FTreeNodes->GetNode(nm->item.hItem);
      Message.Result = node && CanEdit(node) ? 0 : 1;
      if (Message.Result == 0) FEditHandle = reinterpret_cast<HWND>(SendMessageW(FHandle, TVM_GETEDITCONTROL, 0, 0));
      return;
    }
    case TVN_ENDLABELEDITW: {
      auto* nm = reinterpret_cast<NMTVDISPINFOW*>(Message.LParam);
      FEditHandle = nullptr;
      Edit(nm->item);
      Message.Result = 0;   // the node's own text is what shows
      return;
    }
    case NM_CUSTOMDRAW: {
      auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(Message.LParam);
      DWORD stage = cd->nmcd.dwDrawStage;
      if (stage == CDDS_PREPAINT) {
        Message.Result = CDRF_DODEFAULT;
        if (IsCustomDrawn(cdPrePaint, false)) {
          FCanvas->Lock();
          FCanvas->SetHandle(cd->nmcd.hdc);
          FCanvas->Font()->Assign(FFont.get());
          FCanvas->Brush()->Assign(FBrush.get());
          TRect r{cd->nmcd.rc.left, cd->nmcd.rc.top, cd->nmcd.rc.right, cd->nmcd.rc.bottom};
          bool def = CustomDraw(r, cdPrePaint);
          FCanvas->SetHandle(nullptr);
          FCanvas->Unlock();
          Message.Result = def ? CDRF_NOTIFYITEMDRAW : CDRF_SKIPDEFAULT;
          if (def && IsCustomDrawn(cdPostPaint, false)) Message.Result |= CDRF_NOTIFYPOSTPAINT;
        }
        return;
      }
      if (stage == CDDS_ITEMPREPAINT) {
        auto* node = reinterpret_cast<TTreeNode*>(cd->nmcd.lItemlParam);
        Message.Result = CDRF_DODEFAULT;
        if (!node || !IsCustomDrawn(cdPrePaint, true)) return;
        TCustomDrawState state;
        UINT s = cd->nmcd.uItemState;
        if (s & CDIS_SELECTED) state += cdsSelected;
        if (s & CDIS_GRAYED) state += cdsGrayed;
        if (s & CDIS_DISABLED) state += cdsDisabled;
        if (s & CDIS_CHECKED) state += cdsChecked;
        if (s & CDIS_FOCUS) state += cdsFocused;
        if (s & CDIS_HOT) state += cdsHot;
        FCanvas->Lock();
        FCanvas->SetHandle(cd->nmcd.hdc);
        FCanvas->Font()->Assign(FFont.get());
        FCanvas->Brush()->SetColor(FColor);
        bool paintImages = true;
        bool def = CustomDrawItem(node, state, cdPrePaint, paintImages);
        // Colours and font set on the canvas become the item's.
        cd->clrText = ColorToRGB(FCanvas->Font()->Color());
        cd->clrTextBk = ColorToRGB(FCanvas->Brush()->Color());
        SelectObject(cd->nmcd.hdc, FCanvas->Font()->Handle());
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
        Message.Result = def ? CDRF_NEWFONT : CDRF_SKIPDEFAULT;
        return;
      }
      return;
    }
    case TVN_DELETEITEMW:
      return;
  }
}

void TCustomTreeView::WndProc(TMessage& Message) {
  // A tree whose nodes drag by themselves still takes a click as a click:
  // the tree's own button handling runs (it focuses and selects the node
  // under the mouse, or reports that the mouse left the node with the button
  // held) and the drag begins only when it reported one. Starting the drag
  // at every button press instead would leave a plain click to the drag's
  // drop, which selects nothing when the tree was not focused.
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && DragMode() == dmAutomatic &&
      !Dragging() && HandleAllocated()) {
    SetControlState(ControlState() + csLButtonDown);
    if (Message.Msg == WM_LBUTTONDBLCLK) {
      Dispatch(Message);
      return;
    }
    FDragged = false;
    FDragItem = nullptr;
    if (CanFocus()) SetFocus();
    // The tree watches the mouse until the button comes up (which it takes)
    // or the mouse leaves the node.
    Dispatch(Message);
    if (!HandleAllocated()) return;
    if (FDragged) {
      // (Found by its item: the node may have gone meanwhile.)
      if (TTreeNode* node = Items()->GetNode(FDragItem)) node->SetSelected(true);
      FDragItem = nullptr;
      // The mouse is already off the node: the drag starts at once.
      BeginDrag(true);
    } else if (!(GetKeyState(VK_LBUTTON) & 0x8000)) {
      // The tree took the button's coming up while it watched the mouse:
      // the control still hears of it.
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(FHandle, &p);
      Perform(WM_LBUTTONUP, 0, MAKELPARAM(Word(SmallInt(p.x)), Word(SmallInt(p.y))));
    }
    return;
  }
  TWinControl::WndProc(Message);
}

void TCustomTreeView::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    CNNotify(Message);
    return;
  }
  if (Message.Msg == WM_RBUTTONDOWN && FRightClickSelect) {
    if (TTreeNode* n = GetNodeAt(Message.XPos(), Message.YPos())) n->SetSelected(true);
  }
  TWinControl::Dispatch(Message);
}
