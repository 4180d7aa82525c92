// A tree view whose nodes are moved and copied with their subtrees by drag
// and drop (inside one tree or between two), deleted with the Delete key
// behind a confirmation, and drawn through a per-item colour hook.
#pragma once
#include <functional>
#include <vector>

#include "ComCtrls.h"
#include "Controls.h"
#include "Graphics.h"

class TCustomdxTreeView;

class TdxTreeNode : public TTreeNode {
  TOVANI_CLASS(TdxTreeNode, TTreeNode)
 public:
  explicit TdxTreeNode(TTreeNodes* AOwner = nullptr) : TTreeNode(AOwner) {}
  // A node attached as a child goes in through a placeholder child, so that
  // the move reaches a data-aware tree as a change of parent.
  void MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) override;
};

// The drag object a tree hands out: the copy cursor while Ctrl is held.
class TtmpDragObject : public TDragControlObject {
  TOVANI_CLASS(TtmpDragObject, TDragControlObject)
 public:
  using TDragControlObject::TDragControlObject;
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
};

using TDragDropTreeNode = std::function<void(TTreeNode* Destination, TTreeNode* Source, bool& Accept)>;
using TEndDragTreeNode = std::function<void(TTreeNode* Destination, TTreeNode* Source, TNodeAttachMode& AttachMode)>;
using TDragDropIsCopy = std::function<void(TTreeNode* Destination, TTreeNode* Source, bool& IsCopy)>;
using TTreeViewCustomDraw =
    std::function<void(TObject* Sender, TTreeNode* TreeNode, TFont* AFont, TColor& AColor, TColor& ABkColor)>;
using TPrepareEditText = std::function<void(TObject* Sender, TTreeNode* Node, String& Text)>;

// The copy cursor's number among the screen's cursors.
constexpr TCursor crdxTreeDragCopy = -1011;

class TCustomdxTreeView : public TCustomTreeView {
  TOVANI_CLASS(TCustomdxTreeView, TCustomTreeView)
 public:
  explicit TCustomdxTreeView(TComponent* AOwner = nullptr);
  ~TCustomdxTreeView() override;

  bool CanDeleteNode() const { return FCanDeleteNode; }
  void SetCanDeleteNode(bool v) { FCanDeleteNode = v; }
  bool ConfirmDeleteNode() const { return FConfirmDeleteNode; }
  void SetConfirmDeleteNode(bool v) { FConfirmDeleteNode = v; }
  Integer SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(Integer v);
  String DeletingConfirmationMessage() const;
  void SetDeletingConfirmationMessage(const String& v);
  bool IsConfirmationAssigned() const { return FIsConfirmationAssigned; }
  bool ShowNodeHint() const { return FShowNodeHint; }
  void SetShowNodeHint(bool v) { FShowNodeHint = v; }
  // Set while a copy or move builds or moves nodes.
  bool StructureChanging() const { return FStructureChanging; }
  bool IsDragging() const { return FDragging; }

  // Moves or copies Source with its subtree to Destination (nil: the top
  // level); answers the node that now stands for Source.
  TTreeNode* MoveOrCopyNodes(TTreeNode* Source, TTreeNode* Destination, bool IsCopy);

  void SetFocus() override;

  TDragDropTreeNode OnDragDropTreeNode;
  TEndDragTreeNode OnEndDragTreeNode;
  TDragDropIsCopy OnDragDropIsCopy;
  TTreeViewCustomDraw OnCustomDraw;
  TPrepareEditText OnPrepareEditText;

  // The drag in progress, shared by all trees so a drag can cross between them.
  static TTreeNode* DragNode;
  static TTreeNode* DropNode;

 protected:
  virtual void DoCustomDraw(TTreeNode* TreeNode, TFont* AFont, TColor& AColor, TColor& ABkColor);
  virtual String GetNodeText(TTreeNode* Node);
  virtual void CopyNodeData(const std::vector<TTreeNode*>& SourceNodes, const std::vector<TTreeNode*>& NewNodes,
                            bool Copying);
  virtual void DoDragDropTreeNode(TTreeNode* Destination, TTreeNode* Source, bool& Accept);
  virtual void DoDragDropIsCopy(TTreeNode* Destination, TTreeNode* Source, bool& IsCopy);
  virtual void GetNodeStructure(TTreeNode* Node, std::vector<TTreeNode*>& List);
  virtual bool IsCustomDraw();
  // The label editor of Node has just been made: its input method follows
  // ImeMode, and OnPrepareEditText may replace the text put into it.
  virtual void PrepareLabelEditor(TTreeNode* Node, HWND Editor);

  TTreeNode* CreateNode() override;
  void DoStartDrag(TDragObject*& DragObject) override;
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;

  void SetStructureChanging(bool v) { FStructureChanging = v; }
  friend class TdxTreeNode;

 private:
  void CMDragMessage(TMessage& Message);
  void HideDragImage();
  void ShowDragImage();
  bool HandleCustomDraw(TMessage& Message);

  bool FCanDeleteNode = true;
  bool FConfirmDeleteNode = true;
  Integer FSelectedIndex = -1;
  bool FDragging = false;
  TDragObject* FForeignDragObject = nullptr;
  String FDeletingConfirmationMessage;
  bool FIsConfirmationAssigned = false;
  std::unique_ptr<TFont> FCustomDrawFont;
  bool FShowNodeHint = true;
  std::unique_ptr<TtmpDragObject> FDragObject;
  bool FStructureChanging = false;
  static TDragImageList* FDragImages;
};

class TdxTreeView : public TCustomdxTreeView {
  TOVANI_CLASS(TdxTreeView, TCustomdxTreeView)
 public:
  using TCustomdxTreeView::TCustomdxTreeView;
};

// True when the Ctrl key is down now.
bool dxTreeCtrlDown();
