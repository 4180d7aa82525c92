#include "dxtree.h"

#include <commctrl.h>

#include "Dialogs.h"
#include "Forms.h"
#include "ImgList.h"
#include "Imm.h"
#include "Messages.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TdxTreeNode, TTreeNode)
TOVANI_IMPLEMENT_CLASS(TtmpDragObject, TDragControlObject)
TOVANI_IMPLEMENT_CLASS(TCustomdxTreeView, TCustomTreeView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TdxTreeView, TCustomdxTreeView)

TOVANI_PUBLISHED(TCustomdxTreeView) {
  Property("ShowNodeHint", &TCustomdxTreeView::ShowNodeHint, &TCustomdxTreeView::SetShowNodeHint);
  Property("DeletingConfirmationMessage", &TCustomdxTreeView::DeletingConfirmationMessage,
           &TCustomdxTreeView::SetDeletingConfirmationMessage)
      .Stored(&TCustomdxTreeView::IsConfirmationAssigned);
  Property("OnCustomDraw", &TCustomdxTreeView::OnCustomDraw);
  Property("OnDragDropIsCopy", &TCustomdxTreeView::OnDragDropIsCopy);
  Property("OnDragDropTreeNode", &TCustomdxTreeView::OnDragDropTreeNode);
  Property("OnEndDragTreeNode", &TCustomdxTreeView::OnEndDragTreeNode);
}

TTreeNode* TCustomdxTreeView::DragNode = nullptr;
TTreeNode* TCustomdxTreeView::DropNode = nullptr;
TDragImageList* TCustomdxTreeView::FDragImages = nullptr;

namespace {

// The copy cursor: the arrow with a small plus box below it, drawn here
// once and given to the screen under its number.
HCURSOR MakeCopyCursor() {
  const int w = GetSystemMetrics(SM_CXCURSOR), h = GetSystemMetrics(SM_CYCURSOR);
  const int stride = (w + 15) / 16 * 2;
  std::vector<BYTE> andMask(size_t(stride) * h, 0xFF), xorMask(size_t(stride) * h, 0);
  // Black pixels: AND 0, XOR 0; white: AND 0, XOR 1; transparent: AND 1, XOR 0.
  auto put = [&](int x, int y, bool white) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    size_t i = size_t(y) * stride + x / 8;
    BYTE bit = BYTE(0x80 >> (x % 8));
    andMask[i] &= BYTE(~bit);
    if (white) xorMask[i] |= bit;
    else xorMask[i] &= BYTE(~bit);
  };
  // The arrow: a black outline filled white, 12 rows of widening wedge and a tail.
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x <= y; ++x) put(x, y, x != 0 && x != y && y != 11);
  for (int y = 12; y < 17; ++y) {
    put(0, y, false);
    put(1, y, true);
    put(2, y, false);
  }
  // The plus box, lower right.
  const int bx = 12, by = 14, size = 11;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
      bool plus = (x == size / 2 && y >= 2 && y <= size - 3) || (y == size / 2 && x >= 2 && x <= size - 3);
      put(bx + x, by + y, !(edge || plus));
    }
  return CreateCursor(GetModuleHandleW(nullptr), 0, 0, w, h, andMask.data(), xorMask.data());
}

void RegisterCopyCursor() {
  static bool done = false;
  if (done || !Screen) return;
  done = true;
  if (HCURSOR c = MakeCopyCursor()) Screen->SetCursors(crdxTreeDragCopy, c);
}

TCustomdxTreeView* TreeOf(TTreeNode* n) { return n ? dynamic_cast<TCustomdxTreeView*>(n->TreeView()) : nullptr; }

}  // namespace

bool dxTreeCtrlDown() { return GetKeyState(VK_CONTROL) < 0; }

// ---------------------------------------------------------------- node

void TdxTreeNode::MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) {
  if (Mode != naAddChild && Mode != naAddChildFirst) {
    TTreeNode::MoveTo(Destination, Mode);
    return;
  }
  if (!Destination || Destination == this || Destination->HasAsParent(this)) return;
  auto* tree = TreeOf(Destination);
  if (!tree) {
    TTreeNode::MoveTo(Destination, Mode);
    return;
  }
  // The placeholder is made and freed with StructureChanging set so that a
  // data-aware tree never writes it; the move itself runs without the flag.
  tree->SetStructureChanging(true);
  TTreeNode* placeholder = Mode == naAddChild ? Destination->Owner()->AddChild(Destination, "")
                                              : Destination->Owner()->AddChildFirst(Destination, "");
  tree->SetStructureChanging(false);
  TTreeNode::MoveTo(placeholder, naInsert);
  tree->SetStructureChanging(true);
  delete placeholder;
  tree->SetStructureChanging(false);
}

TCursor TtmpDragObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
  if (!Accepted) return crNoDrop;
  if (dxTreeCtrlDown()) return crdxTreeDragCopy;
  return Control() ? Control()->DragCursor() : crDrag;
}

// ---------------------------------------------------------------- tree

TCustomdxTreeView::TCustomdxTreeView(TComponent* AOwner)
    : TCustomTreeView(AOwner), FCustomDrawFont(std::make_unique<TFont>()) {
  RegisterCopyCursor();
}

TCustomdxTreeView::~TCustomdxTreeView() {
  if (DragNode && TreeOf(DragNode) == this) DragNode = nullptr;
  if (DropNode && TreeOf(DropNode) == this) DropNode = nullptr;
}

void TCustomdxTreeView::SetSelectedIndex(Integer v) {
  if (v == FSelectedIndex) return;
  FSelectedIndex = v;
  for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNext()) n->SetSelectedIndex(v);
}

String TCustomdxTreeView::DeletingConfirmationMessage() const {
  return FIsConfirmationAssigned ? FDeletingConfirmationMessage : String("Do you want to delete the item \"%s\"");
}

void TCustomdxTreeView::SetDeletingConfirmationMessage(const String& v) {
  FDeletingConfirmationMessage = v;
  FIsConfirmationAssigned = true;
}

void TCustomdxTreeView::DefineProperties(TFiler* Filer) {
  TCustomTreeView::DefineProperties(Filer);
  Filer->DefineProperty(
      "IsConfirmationAssigned", [this](TReader* r) { FIsConfirmationAssigned = r->ReadBoolean(); },
      [this](TWriter* w) { w->WriteBoolean(FIsConfirmationAssigned); }, FIsConfirmationAssigned);
}

void TCustomdxTreeView::SetFocus() {
  if (GetParentForm(this) || (Parent() && Parent()->HandleAllocated())) TCustomTreeView::SetFocus();
}

TTreeNode* TCustomdxTreeView::CreateNode() {
  auto* n = new TdxTreeNode(Items());
  if (FSelectedIndex != -1) n->SetSelectedIndex(FSelectedIndex);
  return n;
}

void TCustomdxTreeView::DoCustomDraw(TTreeNode* TreeNode, TFont* AFont, TColor& AColor, TColor& ABkColor) {
  if (OnCustomDraw) OnCustomDraw(this, TreeNode, AFont, AColor, ABkColor);
}

String TCustomdxTreeView::GetNodeText(TTreeNode* Node) { return Node ? Node->Text() : String(); }

void TCustomdxTreeView::CopyNodeData(const std::vector<TTreeNode*>&, const std::vector<TTreeNode*>&, bool) {}

void TCustomdxTreeView::DoDragDropTreeNode(TTreeNode* Destination, TTreeNode* Source, bool& Accept) {
  if (OnDragDropTreeNode) OnDragDropTreeNode(Destination, Source, Accept);
}

void TCustomdxTreeView::DoDragDropIsCopy(TTreeNode* Destination, TTreeNode* Source, bool& IsCopy) {
  if (OnDragDropIsCopy) OnDragDropIsCopy(Destination, Source, IsCopy);
}

void TCustomdxTreeView::GetNodeStructure(TTreeNode* Node, std::vector<TTreeNode*>& List) {
  // Pre-order without recursion: a deep tree cannot exhaust the stack.
  std::vector<TTreeNode*> stack{Node};
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    List.push_back(n);
    for (Integer i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Item(i));
  }
}

bool TCustomdxTreeView::IsCustomDraw() { return static_cast<bool>(OnCustomDraw); }

void TCustomdxTreeView::DoStartDrag(TDragObject*& DragObject) {
  FDragObject = std::make_unique<TtmpDragObject>(this);
  DragObject = FDragObject.get();
  TCustomTreeView::DoStartDrag(DragObject);
  FDragImages = GetDragImages();
  DragNode = Focused() ? Selected() : nullptr;
}

void TCustomdxTreeView::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  TCustomTreeView::DoEndDrag(Target, X, Y);
  FDragObject.reset();
  DragNode = nullptr;
}

void TCustomdxTreeView::HideDragImage() {
  if (FDragImages) FDragImages->HideDragImage();
  else if (FForeignDragObject) FForeignDragObject->HideDragImage();
}

void TCustomdxTreeView::ShowDragImage() {
  if (FDragImages) FDragImages->ShowDragImage();
  else if (FForeignDragObject) FForeignDragObject->ShowDragImage();
}

TTreeNode* TCustomdxTreeView::MoveOrCopyNodes(TTreeNode* Source, TTreeNode* Destination, bool IsCopy) {
  if (!Source) return nullptr;
  auto* sourceTree = TreeOf(Source);
  bool foreign = Source->TreeView() != this;
  std::vector<TTreeNode*> list;
  FStructureChanging = IsCopy || foreign;
  GetNodeStructure(Source, list);
  FStructureChanging = false;

  TNodeAttachMode mode = Destination ? naAddChild : naAdd;
  if (OnEndDragTreeNode) OnEndDragTreeNode(Destination, Source, mode);
  if (Destination && (mode == naAddChild || mode == naAddChildFirst)) Destination->SetHasChildren(true);

  TTreeNode* result = nullptr;
  if (foreign || IsCopy) {
    FStructureChanging = true;
    std::vector<TTreeNode*> created;
    created.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      TTreeNode* src = list[i];
      TTreeNode* made;
      if (i == 0) {
        made = Items()->InternalAddObject(Destination, GetNodeText(src), nullptr, mode);
      } else {
        // The parent's copy: the new node at the parent's place in the list.
        size_t parentIndex = 0;
        for (size_t k = 0; k < i; ++k)
          if (list[k] == src->Parent()) parentIndex = k;
        made = Items()->AddChild(created[parentIndex], GetNodeText(src));
      }
      created.push_back(made);
    }
    try {
      CopyNodeData(list, created, true);
    } catch (...) {
      // The copy's records could not be written: its nodes go again (their
      // records are gone already), and the trees are as they were.
      if (!created.empty()) created.front()->Delete();
      FStructureChanging = false;
      throw;
    }
    FStructureChanging = false;
    if (!created.empty()) {
      result = created.front();
      if (Destination) Destination->SetHasChildren(true);
    }
  } else {
    FStructureChanging = true;
    Source->MoveTo(Destination, mode);
    FStructureChanging = false;
    result = Source;
  }
  // A move between trees takes the source away, unless its tree is read-only.
  // When the source cannot go (its record refuses to be deleted) the copy
  // goes again: a move happens whole or not at all.
  if (foreign && !IsCopy && sourceTree && !sourceTree->ReadOnly()) {
    try {
      Source->Delete();
    } catch (...) {
      if (result) {
        try {
          result->Delete();
        } catch (...) {
        }
      }
      throw;
    }
  }
  return result;
}

void TCustomdxTreeView::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_DELETE && FCanDeleteNode && !ReadOnly() && Selected() && !IsEditing()) {
    TTreeNode* node = Selected();
    String text;
    try {
      text = Format(DeletingConfirmationMessage(), {node->Text()});
    } catch (const Exception&) {
      text = DeletingConfirmationMessage();  // a text without a placeholder is shown as it is
    }
    if (!FConfirmDeleteNode || MessageDlg(text, mtConfirmation, {mbOK, mbCancel}) != mrCancel) {
      try {
        node->Delete();
      } catch (...) {
        // A node that could not go stays; the user sees why.
        Application->HandleException(this);
      }
    }
  }
  TCustomTreeView::KeyDown(Key, Shift);
}

void TCustomdxTreeView::CMDragMessage(TMessage& Message) {
  auto* rec = reinterpret_cast<TDragRec*>(Message.LParam);
  auto kind = static_cast<TDragMessage>(Message.WParam);
  bool accept = false;
  if (!rec) {
    TCustomTreeView::Dispatch(Message);
    return;
  }
  switch (kind) {
    case dmDragEnter:
      FDragging = true;
      DropNode = nullptr;
      FForeignDragObject = rec->Source;
      break;
    case dmDragLeave:
      if (DragNode) {
        HideDragImage();
        SetDropTarget(nullptr);
        if (DragNode->TreeView() == this) DragNode->SetSelected(true);
        ShowDragImage();
      }
      FForeignDragObject = nullptr;
      break;
    case dmDragMove: {
      TPoint p = ScreenToClient(rec->Pos);
      TTreeNode* node = nullptr;
      THitTests hit = GetHitTestInfoAt(p.X, p.Y);
      if (hit.Contains(htOnIcon) || hit.Contains(htOnLabel) || hit.Contains(htOnStateIcon)) node = GetNodeAt(p.X, p.Y);
      if (!node) {
        DropNode = nullptr;
        HideDragImage();
        SetDropTarget(nullptr);
        ShowDragImage();
      } else {
        if (node == DropNode) {
          // Hovering on one row scrolls by a row near the edges.
          TTreeNode* top = TopItem();
          TTreeNode* prevVisible = node->GetPrevVisible();
          if (top && (node == top || (prevVisible == top && top->GetPrevVisible()))) {
            if (TTreeNode* up = top->GetPrevVisible()) SetTopItem(up);
          } else {
            TTreeNode* next = node->GetNextVisible();
            if (!next) next = nullptr;
            TTreeNode* after = next ? next->GetNextVisible() : nullptr;
            TTreeNode* probe = next ? next : after;
            bool cut = false;
            if (probe) {
              RECT r;
              *reinterpret_cast<HTREEITEM*>(&r) = probe->ItemId();
              cut = !SendMessageW(Handle(), TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r)) ||
                    r.top >= ClientHeight();
            }
            if (cut && top)
              if (TTreeNode* down = top->GetNextVisible()) SetTopItem(down);
          }
        }
        if (node != DropNode) {
          DropNode = node;
          HideDragImage();
          SetDropTarget(node);
          ShowDragImage();
        }
      }
      break;
    }
    case dmDragDrop: {
      FForeignDragObject = nullptr;
      bool isCopy = dxTreeCtrlDown();
      if (DropNode) {
        SetDropTarget(nullptr);
        DropNode->SetSelected(true);
        Invalidate();
        if (DragNode && DropNode != DragNode && !DropNode->HasAsParent(DragNode)) {
          DoDragDropIsCopy(DropNode, DragNode, isCopy);
          if (DragNode->Parent() != DropNode || isCopy || OnEndDragTreeNode) {
            accept = true;
            DoDragDropTreeNode(DropNode, DragNode, accept);
          }
        }
      } else if (DragNode) {
        DoDragDropIsCopy(nullptr, DragNode, isCopy);
        DoDragDropTreeNode(nullptr, DragNode, accept);
      }
      if (accept) {
        TTreeNode* target = DropNode;
        try {
          if (TTreeNode* result = MoveOrCopyNodes(DragNode, target, isCopy)) {
            result->MakeVisible();
            result->SetSelected(true);
          }
        } catch (...) {
          // The drag is over all the same; the error goes on to be shown.
          FDragging = false;
          DropNode = nullptr;
          DragNode = nullptr;
          FDragImages = nullptr;
          SetDropTarget(nullptr);
          Invalidate();
          throw;
        }
        SetDropTarget(target);
      }
      FDragging = false;
      DropNode = nullptr;
      Invalidate();
      break;
    }
    case dmDragCancel:
      FForeignDragObject = nullptr;
      FDragging = false;
      DropNode = nullptr;
      Invalidate();
      break;
    default:
      break;
  }
  if (kind != dmDragDrop && kind != dmDragCancel && kind != dmFindTarget && DragNode && DropNode != DragNode) {
    if (DropNode) {
      accept = !OnDragOver && !(DragNode->HasChildren() && DropNode->HasAsParent(DragNode));
      if (accept) DoDragDropTreeNode(DropNode, DragNode, accept);
    } else {
      accept = false;
      DoDragDropTreeNode(nullptr, DragNode, accept);
    }
  }
  TCustomTreeView::Dispatch(Message);
  if (kind == dmDragDrop || kind == dmDragCancel) {
    DragNode = nullptr;
    FDragImages = nullptr;
    SetDropTarget(nullptr);
  } else if ((kind == dmDragMove || kind == dmDragLeave || kind == dmDragEnter) && accept && Message.Result == 0) {
    Message.Result = 1;
  }
}

void TCustomdxTreeView::PrepareLabelEditor(TTreeNode* Node, HWND Editor) {
  ::SetImeMode(Editor, ImeMode());
  if (!OnPrepareEditText) return;
  String text = Node->Text();
  OnPrepareEditText(this, Node, text);
  std::u16string w = Utf8ToUtf16(text);
  SetWindowTextW(Editor, reinterpret_cast<LPCWSTR>(w.c_str()));
}

bool TCustomdxTreeView::HandleCustomDraw(TMessage& Message) {
  if (OnAdvancedCustomDraw || OnAdvancedCustomDrawItem) return false;
  auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(Message.LParam);
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      Message.Result = IsCustomDraw() ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
      return true;
    case CDDS_ITEMPREPAINT: {
      auto* node = reinterpret_cast<TTreeNode*>(cd->nmcd.lItemlParam);
      if (!node) return false;
      FCustomDrawFont->Assign(Font());
      TColor color = FCustomDrawFont->Color(), bk = clWindow;
      DoCustomDraw(node, FCustomDrawFont.get(), color, bk);
      bool highlighted = (cd->nmcd.uItemState & (CDIS_SELECTED | CDIS_CHECKED)) || node == DropNode;
      if (!Focused() || !highlighted) {
        cd->clrText = ColorToRGB(color);
        cd->clrTextBk = ColorToRGB(bk);
      }
      SelectObject(cd->nmcd.hdc, FCustomDrawFont->Handle());
      Message.Result = CDRF_NEWFONT;
      return true;
    }
    default:
      return false;
  }
}

void TCustomdxTreeView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DRAG:
      CMDragMessage(Message);
      return;
    case CN_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
      if (hdr->code == NM_CUSTOMDRAW && HandleCustomDraw(Message)) return;
      if (hdr->code == TVN_BEGINLABELEDITW) {
        TCustomTreeView::Dispatch(Message);
        if (Message.Result != 0) return;  // editing refused
        auto* nm = reinterpret_cast<NMTVDISPINFOW*>(Message.LParam);
        TTreeNode* node = nm->item.lParam ? reinterpret_cast<TTreeNode*>(nm->item.lParam)
                                          : Items()->GetNode(nm->item.hItem);
        HWND edit = reinterpret_cast<HWND>(SendMessageW(Handle(), TVM_GETEDITCONTROL, 0, 0));
        if (node && edit) PrepareLabelEditor(node, edit);
        return;
      }
      break;
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
      if (!FShowNodeHint && (hdr->code == TTN_NEEDTEXTW || hdr->code == TTN_NEEDTEXTA)) {
        auto* tt = reinterpret_cast<NMTTDISPINFOW*>(Message.LParam);
        tt->szText[0] = 0;
        tt->lpszText = tt->szText;
        Message.Result = 0;
        return;
      }
      break;
    }
  }
  TCustomTreeView::Dispatch(Message);
}
