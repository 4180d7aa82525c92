#include "dxdbtrel.h"

#include "dxdbtreeKeys.h"

#include <commctrl.h>

#include <algorithm>

#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "Messages.h"
#include "SysUtils.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_ENUM_INFO(TTVTextStyle, "tvtsShort", "tvtsFull")
TOVANI_IMPLEMENT_CLASS(TPopupDBTreeView, TdxDBTreeView)
TOVANI_IMPLEMENT_CLASS(TCustomdxVTreeViewEdit, TCustomControl)
TOVANI_IMPLEMENT_CLASS(TDataLinkLookupTreeView, TDataLink)
TOVANI_IMPLEMENT_CLASS(TCustomdxLookupTreeView, TCustomdxVTreeViewEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TdxDBLookupTreeView, TCustomdxLookupTreeView)

TOVANI_PUBLISHED(TCustomdxVTreeViewEdit) {
  Property("CanSelectParents", &TCustomdxVTreeViewEdit::CanSelectParents, &TCustomdxVTreeViewEdit::SetCanSelectParents);
  Property("DropDownRows", &TCustomdxVTreeViewEdit::DropDownRows, &TCustomdxVTreeViewEdit::SetDropDownRows).Default(7);
  Property("DropDownWidth", &TCustomdxVTreeViewEdit::DropDownWidth, &TCustomdxVTreeViewEdit::SetDropDownWidth)
      .Default(0);
  Property("Text", &TCustomdxVTreeViewEdit::Text, &TCustomdxVTreeViewEdit::SetText);
  Property("TreeViewColor", &TCustomdxVTreeViewEdit::TreeViewColor, &TCustomdxVTreeViewEdit::SetTreeViewColor);
  Property("TreeViewCursor", &TCustomdxVTreeViewEdit::TreeViewCursor, &TCustomdxVTreeViewEdit::SetTreeViewCursor);
  Property("TreeViewFont", &TCustomdxVTreeViewEdit::TreeViewFont, &TCustomdxVTreeViewEdit::SetTreeViewFont);
  Property("TreeViewHint", &TCustomdxVTreeViewEdit::TreeViewHint, &TCustomdxVTreeViewEdit::SetTreeViewHint);
  Property("TreeViewImages", &TCustomdxVTreeViewEdit::TreeViewImages, &TCustomdxVTreeViewEdit::SetTreeViewImages);
  Property("TreeViewIndent", &TCustomdxVTreeViewEdit::TreeViewIndent, &TCustomdxVTreeViewEdit::SetTreeViewIndent);
  Property("TreeViewPopupMenu", &TCustomdxVTreeViewEdit::TreeViewPopupMenu,
           &TCustomdxVTreeViewEdit::SetTreeViewPopupMenu);
  Property("TreeViewReadOnly", &TCustomdxVTreeViewEdit::TreeViewReadOnly, &TCustomdxVTreeViewEdit::SetTreeViewReadOnly);
  Property("TreeViewShowButtons", &TCustomdxVTreeViewEdit::TreeViewShowButtons,
           &TCustomdxVTreeViewEdit::SetTreeViewShowButtons);
  Property("TreeViewShowLines", &TCustomdxVTreeViewEdit::TreeViewShowLines,
           &TCustomdxVTreeViewEdit::SetTreeViewShowLines);
  Property("TreeViewShowRoot", &TCustomdxVTreeViewEdit::TreeViewShowRoot, &TCustomdxVTreeViewEdit::SetTreeViewShowRoot);
  Property("TreeViewShowHint", &TCustomdxVTreeViewEdit::TreeViewShowHint,
           &TCustomdxVTreeViewEdit::SetTreeViewShowHint);
  Property("TreeViewSortType", &TCustomdxVTreeViewEdit::TreeViewSortType,
           &TCustomdxVTreeViewEdit::SetTreeViewSortType);
  Property("TreeViewStateImages", &TCustomdxVTreeViewEdit::TreeViewStateImages,
           &TCustomdxVTreeViewEdit::SetTreeViewStateImages);
  Property("OnCustomDraw", &TCustomdxVTreeViewEdit::OnCustomDraw, &TCustomdxVTreeViewEdit::SetOnCustomDraw);
  Property("OnCloseUp", &TCustomdxVTreeViewEdit::OnCloseUp);
  Property("OnDropDown", &TCustomdxVTreeViewEdit::OnDropDown);
  Property("OnGetImageIndex", &TCustomdxVTreeViewEdit::OnGetImageIndex);
  Property("OnGetSelectedIndex", &TCustomdxVTreeViewEdit::OnGetSelectedIndex);
}

TOVANI_PUBLISHED(TCustomdxLookupTreeView) {
  Property("DisplayField", &TCustomdxLookupTreeView::DisplayField, &TCustomdxLookupTreeView::SetDisplayField);
  Property("DividedChar", &TCustomdxLookupTreeView::DividedChar, &TCustomdxLookupTreeView::SetDividedChar);
  Property("ImageIndexField", &TCustomdxLookupTreeView::ImageIndexField, &TCustomdxLookupTreeView::SetImageIndexField);
  Property("ListSource", &TCustomdxLookupTreeView::ListSource, &TCustomdxLookupTreeView::SetListSource);
  Property("KeyField", &TCustomdxLookupTreeView::KeyField, &TCustomdxLookupTreeView::SetKeyField);
  Property("ListField", &TCustomdxLookupTreeView::ListField, &TCustomdxLookupTreeView::SetListField);
  Property("ParentField", &TCustomdxLookupTreeView::ParentField, &TCustomdxLookupTreeView::SetParentField);
  Property("StateIndexField", &TCustomdxLookupTreeView::StateIndexField, &TCustomdxLookupTreeView::SetStateIndexField);
  Property("Options", &TCustomdxLookupTreeView::Options, &TCustomdxLookupTreeView::SetOptions)
      .NoDefault()
      .Stored([](TObject* o) { return !static_cast<TCustomdxLookupTreeView*>(o)->Options().Empty(); });
  Property("RootValue", &TCustomdxLookupTreeView::RootValue, &TCustomdxLookupTreeView::SetRootValue);
  Property("TextStyle", &TCustomdxLookupTreeView::TextStyle, &TCustomdxLookupTreeView::SetTextStyle);
  Property("OnAddNewItem", &TCustomdxLookupTreeView::OnAddNewItem, &TCustomdxLookupTreeView::SetOnAddNewItem);
  Property("OnSetDisplayItemText", &TCustomdxLookupTreeView::OnSetDisplayItemText);
}

TOVANI_PUBLISHED(TdxDBLookupTreeView) {
  Property("AssignField", &TdxDBLookupTreeView::AssignField, &TdxDBLookupTreeView::SetAssignField);
  Property("DataField", &TdxDBLookupTreeView::DataField, &TdxDBLookupTreeView::SetDataField);
  Property("DataSource", &TdxDBLookupTreeView::DataSource, &TdxDBLookupTreeView::SetDataSource);
  Property("ReadOnly", &TdxDBLookupTreeView::ReadOnly, &TdxDBLookupTreeView::SetReadOnly).Default(false);
}

namespace {

bool IsNullish(const Variant& v) { return dxKeyIsNull(v); }
bool SameKey(const Variant& a, const Variant& b) { return dxKeyEqual(a, b); }
bool LocateIn(TField* field, const Variant& value) { return dxLocateKey(field, value); }

}  // namespace

String NodePathText(TTreeNode* Node, const String& Divider) {
  String text;
  for (TTreeNode* n = Node; n; n = n->Parent()) {
    if (!n->Text().empty() && !text.empty()) text = n->Text() + Divider + text;
    else if (!n->Text().empty()) text = n->Text();
  }
  return text;
}

// ---------------------------------------------------------------- drop-down window

TPopupDBTreeView::TPopupDBTreeView(TComponent* AOwner) : TdxDBTreeView(AOwner) {
  SetVisible(false);
  SetDragMode(dmManual);
}

void TPopupDBTreeView::CreateParams(TCreateParams& Params) {
  TdxDBTreeView::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP | WS_BORDER;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
  Params.ExStyle |= WS_EX_TOOLWINDOW;
  // Owned by the form that holds the box, so it stays above it.
  if (FEdit) {
    TWinControl* owner = GetParentForm(FEdit);
    if (!owner) {
      owner = FEdit;
      while (owner->Parent()) owner = owner->Parent();
    }
    Params.WndParent = owner->Handle();
  }
}

Integer TPopupDBTreeView::BarHeight() const {
  Integer scroll = GetSystemMetrics(SM_CYHSCROLL), caption = GetSystemMetrics(SM_CYSIZE);
  return caption > scroll + 2 ? caption + 1 : scroll + 3;
}

void TPopupDBTreeView::UpdateCorner() {
  if (!FEdit || !FEdit->HandleAllocated() || !HandleAllocated()) return;
  RECT owner;
  GetClientRect(FEdit->Handle(), &owner);
  MapWindowPoints(FEdit->Handle(), nullptr, reinterpret_cast<POINT*>(&owner), 2);
  RECT d;
  GetWindowRect(Handle(), &d);
  bool right = owner.left < d.right, bottom = owner.bottom < d.bottom;
  FCorner = right ? (bottom ? 0 : 1) : (bottom ? 2 : 3);
}

TRect TPopupDBTreeView::BarRect() {
  RECT w;
  GetWindowRect(Handle(), &w);
  Integer width = w.right - w.left, height = w.bottom - w.top, border = GetSystemMetrics(SM_CXBORDER);
  Integer bar = BarHeight();
  bool bottom = FCorner == 0 || FCorner == 2;
  return bottom ? TRect{border, height - border - bar, width - border, height - border}
                : TRect{border, border, width - border, border + bar};
}

TRect TPopupDBTreeView::GripRect() {
  TRect bar = BarRect();
  Integer size = bar.Height();
  bool right = FCorner == 0 || FCorner == 1;
  return right ? TRect{bar.Right - size, bar.Top, bar.Right, bar.Bottom} : TRect{bar.Left, bar.Top, bar.Left + size, bar.Bottom};
}

TRect TPopupDBTreeView::CloseRect() {
  TRect bar = BarRect();
  Integer w = GetSystemMetrics(SM_CXSIZE), h = GetSystemMetrics(SM_CYSIZE) - 2;
  Integer top = bar.Top + (bar.Height() - h) / 2;
  bool gripRight = FCorner == 0 || FCorner == 1;
  return gripRight ? TRect{bar.Left + 1, top, bar.Left + 1 + w, top + h} : TRect{bar.Right - 1 - w, top, bar.Right - 1, top + h};
}

void TPopupDBTreeView::PaintBar() {
  HDC dc = GetWindowDC(Handle());
  TRect bar = BarRect();
  RECT r{bar.Left, bar.Top, bar.Right, bar.Bottom};
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  // The line between bar and tree.
  bool bottom = FCorner == 0 || FCorner == 2;
  RECT line{bar.Left, bottom ? bar.Top : bar.Bottom - 1, bar.Right, bottom ? bar.Top + 1 : bar.Bottom};
  FillRect(dc, &line, GetSysColorBrush(COLOR_WINDOWFRAME));
  TRect g = GripRect();
  RECT gr{g.Left + 2, g.Top + 2, g.Right, g.Bottom};
  DrawFrameControl(dc, &gr, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  TRect c = CloseRect();
  RECT cr{c.Left, c.Top, c.Right, c.Bottom};
  UINT state = DFCS_CAPTIONCLOSE | DFCS_FLAT | (FClosePressed ? DFCS_PUSHED : 0);
  DrawFrameControl(dc, &cr, DFC_CAPTION, state);
  if (FCloseHot || FClosePressed) DrawEdge(dc, &cr, FClosePressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  ReleaseDC(Handle(), dc);
}

void TPopupDBTreeView::KeyDown(Word& Key, TShiftState Shift) {
  if (FEdit && (Key == VK_RETURN || Key == VK_ESCAPE)) {
    bool accept = Key == VK_RETURN;
    Key = 0;
    FEdit->CloseUp(accept);
    return;
  }
  TdxDBTreeView::KeyDown(Key, Shift);
}

void TPopupDBTreeView::Dispatch(TMessage& Message) {
  auto windowPoint = [&](LPARAM lp) {
    RECT w;
    GetWindowRect(Handle(), &w);
    return TPoint{static_cast<short>(LOWORD(lp)) - w.left, static_cast<short>(HIWORD(lp)) - w.top};
  };
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_ACTIVATE:
      TdxDBTreeView::Dispatch(Message);
      if (LOWORD(Message.WParam) == WA_INACTIVE && FEdit && FEdit->DroppedDown()) FEdit->CloseUp(false);
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTALLKEYS;
      return;
    case WM_GETMINMAXINFO: {
      TdxDBTreeView::Dispatch(Message);
      auto* mm = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      mm->ptMinTrackSize = POINT{100, 100};
      return;
    }
    case WM_NCCALCSIZE: {
      TdxDBTreeView::Dispatch(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      if (FCorner == 0 || FCorner == 2) r->bottom -= BarHeight();
      else r->top += BarHeight();
      return;
    }
    case WM_NCPAINT:
      TdxDBTreeView::Dispatch(Message);
      PaintBar();
      return;
    case WM_NCHITTEST: {
      TPoint p = windowPoint(Message.LParam);
      static const LRESULT kSizing[4] = {HTBOTTOMRIGHT, HTTOPRIGHT, HTBOTTOMLEFT, HTTOPLEFT};
      bool hot = false;
      if (GripRect().Contains(p)) {
        Message.Result = kSizing[FCorner];
      } else if (CloseRect().Contains(p)) {
        Message.Result = HTBORDER;
        hot = true;
      } else {
        TdxDBTreeView::Dispatch(Message);
      }
      if (hot != FCloseHot) {
        FCloseHot = hot;
        PaintBar();
      }
      return;
    }
    case WM_NCLBUTTONDOWN:
      if (CloseRect().Contains(windowPoint(Message.LParam))) {
        FClosePressed = true;
        SetCapture(Handle());
        PaintBar();
        return;
      }
      break;
    case WM_LBUTTONUP:
      if (FClosePressed) {
        POINT p{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
        ::ClientToScreen(Handle(), &p);
        bool over = CloseRect().Contains(windowPoint(MAKELPARAM(p.x, p.y)));
        FClosePressed = false;
        ReleaseCapture();
        if (over && FEdit) FEdit->CloseUp(false);
        else PaintBar();
        return;
      }
      break;
    case WM_CAPTURECHANGED:
    case WM_NCMOUSELEAVE:
      if (FClosePressed || FCloseHot) {
        FClosePressed = FCloseHot = false;
        if (HandleAllocated()) PaintBar();
      }
      break;
    case WM_WINDOWPOSCHANGED:
      TdxDBTreeView::Dispatch(Message);
      UpdateCorner();
      return;
  }
  TdxDBTreeView::Dispatch(Message);
}

// ---------------------------------------------------------------- the box

TCustomdxVTreeViewEdit::TCustomdxVTreeViewEdit(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetBounds(Left(), Top(), 121, 21);
}

TCustomForm* TCustomdxVTreeViewEdit::OutermostForm() const {
  return GetParentForm(const_cast<TCustomdxVTreeViewEdit*>(this));
}

void TCustomdxVTreeViewEdit::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

Integer TCustomdxVTreeViewEdit::ButtonWidth() const { return GetSystemMetrics(SM_CXVSCROLL); }

Integer TCustomdxVTreeViewEdit::RowHeight() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

void TCustomdxVTreeViewEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  // The height always follows the font: text, the client edge and 4 pixels.
  Integer height = RowHeight() + 2 * GetSystemMetrics(SM_CYEDGE) + 4;
  TCustomControl::SetBounds(ALeft, ATop, AWidth, height);
  (void)AHeight;
}

void TCustomdxVTreeViewEdit::SetDividedChar(const String& v) {
  FDividedChar = v;
  Invalidate();
}

void TCustomdxVTreeViewEdit::SetText(const String& v) {
  if (v == FText) return;
  FText = v;
  Invalidate();
}

void TCustomdxVTreeViewEdit::SetTextStyle(TTVTextStyle v) {
  FTextStyle = v;
  Invalidate();
}

#define TREE_PASS(Type, Name, Default)                                   \
  Type TCustomdxVTreeViewEdit::TreeView##Name() const {                  \
    TPopupDBTreeView* t = GetPopupTree();                                \
    return t ? t->Name() : Default;                                      \
  }                                                                      \
  void TCustomdxVTreeViewEdit::SetTreeView##Name(Type v) {               \
    if (TPopupDBTreeView* t = GetPopupTree()) t->Set##Name(v);           \
  }
TREE_PASS(TColor, Color, clNone)
TREE_PASS(TCursor, Cursor, TCursor(-1))
TREE_PASS(TFont*, Font, nullptr)
TREE_PASS(String, Hint, String())
TREE_PASS(Integer, Indent, -1)
TREE_PASS(TPopupMenu*, PopupMenu, nullptr)
TREE_PASS(bool, ShowHint, false)
TREE_PASS(TCustomImageList*, StateImages, nullptr)
TREE_PASS(TCustomImageList*, Images, nullptr)
TREE_PASS(bool, ReadOnly, false)
TREE_PASS(bool, ShowButtons, false)
TREE_PASS(bool, ShowLines, false)
TREE_PASS(bool, ShowRoot, false)
TREE_PASS(TSortType, SortType, stNone)
#undef TREE_PASS

TTreeViewCustomDraw TCustomdxVTreeViewEdit::OnCustomDraw() const {
  TPopupDBTreeView* t = GetPopupTree();
  return t ? t->OnCustomDraw : TTreeViewCustomDraw();
}

void TCustomdxVTreeViewEdit::SetOnCustomDraw(TTreeViewCustomDraw v) {
  if (TPopupDBTreeView* t = GetPopupTree()) t->OnCustomDraw = std::move(v);
}

bool TCustomdxVTreeViewEdit::CanSelect(TTreeNode* Node) const {
  return Node && (FCanSelectParents || !Node->HasChildren());
}

void TCustomdxVTreeViewEdit::InitPopupTree() {
  TPopupDBTreeView* tree = GetPopupTree();
  tree->SetVisible(false);
  tree->SetShowNodeHint(false);
  tree->OnChanging = [this](TObject*, TTreeNode* node, bool& allow) { allow = CanSelect(node); };
  tree->OnDblClick = [this, tree](TObject*) {
    POINT p;
    GetCursorPos(&p);
    TPoint c = tree->ScreenToClient(TPoint{p.x, p.y});
    THitTests hit = tree->GetHitTestInfoAt(c.X, c.Y);
    bool onItem = hit.Contains(htOnItem) || hit.Contains(htOnIcon) || hit.Contains(htOnLabel) ||
                  hit.Contains(htOnStateIcon);
    if (onItem && tree->GetNodeAt(c.X, c.Y) == tree->Selected() && CanSelect(tree->Selected())) CloseUp(true);
  };
  tree->OnClick = [this](TObject*) { Click(); };
}

void TCustomdxVTreeViewEdit::PreparePopupTree() {
  TPopupDBTreeView* tree = GetPopupTree();
  tree->OnGetImageIndex = OnGetImageIndex;
  tree->OnGetSelectedIndex = OnGetSelectedIndex;
}

void TCustomdxVTreeViewEdit::AcceptSelection() {
  TPopupDBTreeView* tree = GetPopupTree();
  if (TTreeNode* n = tree ? tree->Selected() : nullptr)
    SetText(FTextStyle == tvtsFull ? NodePathText(n, FDividedChar) : n->Text());
}

void TCustomdxVTreeViewEdit::DropDown() {
  if (FDroppedDown) return;
  TPopupDBTreeView* tree = GetPopupTree();
  if (!tree) return;
  if (OnDropDown) OnDropDown(this);
  PreparePopupTree();
  TPoint p = ClientToScreen(TPoint{0, 0});
  RECT box;
  GetWindowRect(Handle(), &box);
  Integer x = box.left, y = box.bottom;
  Integer width = FDropDownWidth < 1 ? Width() : FDropDownWidth;
  Integer height = RowHeight() * FDropDownRows + 26;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  RECT work;
  if (GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &mi)) work = mi.rcWork;
  else SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  if (x < work.left) x = work.left;
  if (x + width > work.right) x = work.right - width;
  if (y < work.top) y = work.top;
  if (y + height > work.bottom) y = box.top - height;
  (void)p;
  tree->SetBounds(x, y, width, height);
  FDroppedDown = true;
  tree->HandleNeeded();
  SetWindowPos(tree->Handle(), HWND_TOP, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
  tree->SetVisible(true);
  ::SetFocus(tree->Handle());
  // The form's caption stays active while the list is open.
  if (TCustomForm* f = OutermostForm(); f && f->HandleAllocated()) SendMessageW(f->Handle(), WM_NCACTIVATE, TRUE, 0);
  Invalidate();
}

void TCustomdxVTreeViewEdit::CloseUp(bool Accept) {
  if (!FDroppedDown) return;
  TPopupDBTreeView* tree = GetPopupTree();
  FDropDownWidth = tree->Width();
  Integer rh = std::max(1, RowHeight());
  FDropDownRows = std::max(2, (tree->Height() - 26) / rh);
  if (GetCapture() == tree->Handle()) ReleaseCapture();
  FDroppedDown = false;
  if (tree->HandleAllocated() && IsWindowVisible(tree->Handle())) {
    ShowWindow(tree->Handle(), SW_HIDE);
    tree->SetVisible(false);
    // The focus goes back to the form, which hands it to its active control
    // (the box, when the list was opened from it).
    TWinControl* target = OutermostForm();
    if (!target) {
      target = this;
      while (target->Parent()) target = target->Parent();
    }
    if (target->HandleAllocated()) ::SetFocus(target->Handle());
  }
  Invalidate();
  if (Accept && !IsDataReadOnly()) AcceptSelection();
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomdxVTreeViewEdit::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Font()->Assign(Font());
  bool highlight = Focused() && !FDroppedDown;
  c->Brush()->SetColor(highlight ? clHighlight : Color());
  c->FillRect(r);
  if (highlight) c->Font()->SetColor(clHighlightText);
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  Integer bw = ButtonWidth();
  TRect textArea{r.Left, r.Top, r.Right - bw, r.Bottom};
  String text = GetShownText();
  Integer tw = c->TextWidth(text);
  Integer x = FAlignment == taRightJustify ? textArea.Right - 3 - tw
              : FAlignment == taCenter    ? (textArea.Left + textArea.Right - tw) / 2
                                          : 2;
  c->TextRect(textArea, x, 2, text);
  if (highlight) {
    RECT fr{textArea.Left + 1, textArea.Top + 1, textArea.Right - 1, textArea.Bottom - 1};
    DrawFocusRect(c->Handle(), &fr);
  }
  RECT button{r.Right - bw, r.Top, r.Right, r.Bottom};
  UINT state = DFCS_SCROLLCOMBOBOX | (FButtonPressed ? DFCS_FLAT | DFCS_PUSHED : 0) | (Enabled() ? 0 : DFCS_INACTIVE);
  DrawFrameControl(c->Handle(), &button, DFC_SCROLL, state);
}

void TCustomdxVTreeViewEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_DOWN && Shift.Contains(ssAlt)) {
    DropDown();
    Key = 0;
    return;
  }
  TCustomControl::KeyDown(Key, Shift);
}

void TCustomdxVTreeViewEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && Enabled()) {
    if (FDroppedDown) {
      // A press on the open list (the box holds the mouse) is the list's;
      // any other press closes it. The focus stays with the list meanwhile
      // (taking it to the box would deactivate the list, which closes it);
      // closing gives it back to the box.
      TPopupDBTreeView* tree = GetPopupTree();
      TPoint screen = ClientToScreen(TPoint{X, Y});
      RECT list{};
      if (tree && tree->HandleAllocated()) GetWindowRect(tree->Handle(), &list);
      if (tree && tree->HandleAllocated() && PtInRect(&list, POINT{screen.X, screen.Y})) {
        TPoint p = tree->ScreenToClient(screen);
        tree->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Word(SmallInt(p.X)), Word(SmallInt(p.Y))));
      } else {
        CloseUp(false);
      }
    } else {
      if (CanFocus()) SetFocus();
      FButtonPressed = X >= Width() - ButtonWidth();
      DropDown();
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomdxVTreeViewEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_LBUTTONUP:
    case CM_MOUSELEAVE:
      if (FButtonPressed) {
        FButtonPressed = false;
        Invalidate();
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      SetBounds(Left(), Top(), Width(), Height());
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------- lookup

void TDataLinkLookupTreeView::ActiveChanged() { FOwner->BindListFields(); }

TCustomdxLookupTreeView::TCustomdxLookupTreeView(TComponent* AOwner)
    : TCustomdxVTreeViewEdit(AOwner),
      FTree(new TPopupDBTreeView(this)),
      FListLink(std::make_unique<TDataLinkLookupTreeView>(this)),
      FChosenKey(Variant::Null()) {
  FTree->SetEdit(this);
  InitPopupTree();
}

TCustomdxLookupTreeView::~TCustomdxLookupTreeView() { FListLink->SetDataSource(nullptr); }

void TCustomdxLookupTreeView::SetListSource(TDataSource* v) {
  if (v != FListLink->DataSource()) FListLink->SetDataSource(v);
}

void TCustomdxLookupTreeView::SetName(String& name, const String& value) {
  if (name == value) return;
  name = value;
  BindListFields();
}

void TCustomdxLookupTreeView::BindListFields() {
  FAssignField = FKeyField = FListField = FParentField = nullptr;
  if (!FListLink->Active()) return;
  TDataSet* ds = FListLink->DataSet();
  auto bind = [&](const String& n) { return n.empty() ? nullptr : ds->FieldByName(n); };
  FKeyField = bind(FKeyFieldName);
  FListField = bind(FListFieldName);
  FAssignField = bind(FAssignFieldName);
  FParentField = bind(FParentFieldName);
  FChosenKey = FKeyField ? FKeyField->Value() : Variant::Null();
  SetText(FListField ? FListField->DisplayText() : String());
}

void TCustomdxLookupTreeView::RestoreListPosition() {
  LocateIn(FAssignField ? FAssignField : FKeyField, FListPosition);
}

void TCustomdxLookupTreeView::DropDown() {
  if (DroppedDown()) return;
  if (TCustomForm* f = OutermostForm(); f != FParentForm) {
    FParentForm = f;
    if (FTree->HandleAllocated()) FTree->RecreateWnd();
  }
  FTree->SetKeyField(FKeyFieldName);
  FTree->SetParentField(FParentFieldName);
  FTree->SetListField(FListFieldName);
  FTree->SetDisplayField(FDisplayFieldName);
  FTree->OnSetDisplayItemText = OnSetDisplayItemText;
  FTree->SetImageIndexField(FImageIndexFieldName);
  FTree->SetStateIndexField(FStateIndexFieldName);
  FTree->SetDataSource(ListSource());
  FTree->HandleNeeded();
  if (!IsNullish(FChosenKey)) FTree->SelectNodeByKey(FChosenKey);
  TField* pos = FAssignField ? FAssignField : FKeyField;
  FListPosition = pos ? pos->Value() : Variant::Null();
  TCustomdxVTreeViewEdit::DropDown();
}

void TCustomdxLookupTreeView::CloseUp(bool Accept) {
  if (!DroppedDown()) return;
  // A cancelled list goes back first, so that nothing done while the focus
  // returns (the box writing its field on exit) sees the abandoned choice.
  if (!Accept) RestoreListPosition();
  TCustomdxVTreeViewEdit::CloseUp(Accept);
  FTree->SetDataSource(nullptr);
}

void TCustomdxLookupTreeView::AcceptSelection() {
  TCustomdxVTreeViewEdit::AcceptSelection();
  FChosenKey = FKeyField ? FKeyField->Value() : Variant::Null();
  if (TextStyle() == tvtsShort && FListField) SetText(FListField->DisplayText());
}

// ---------------------------------------------------------------- data-aware lookup

TdxDBLookupTreeView::TdxDBLookupTreeView(TComponent* AOwner)
    : TCustomdxLookupTreeView(AOwner), FDataLink(std::make_unique<TFieldDataLink>()) {
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* s) { DataChange(s); };
  FDataLink->OnUpdateData = [this](TObject* s) { UpdateData(s); };
  FDataLink->OnActiveChange = [this](TObject* s) { CheckCircularLinks(s); };
}

TdxDBLookupTreeView::~TdxDBLookupTreeView() {
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->OnActiveChange = nullptr;
  FDataLink->SetDataSource(nullptr);
}

void TdxDBLookupTreeView::SetDataSource(TDataSource* v) {
  FDataLink->SetDataSource(v);
  if (v) v->FreeNotification(this);
}

void TdxDBLookupTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomdxLookupTreeView::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) FDataLink->SetDataSource(nullptr);
  if (Operation == opRemove && FListLink && AComponent == FListLink->DataSource()) FListLink->SetDataSource(nullptr);
}

void TdxDBLookupTreeView::CheckCircularLinks(TObject*) {
  if (!FDataLink->Active() || !FListLink->Active()) return;
  TDataSet* data = FDataLink->DataSet();
  TDataSet* list = FListLink->DataSet();
  if ((data && data->IsLinkedTo(FListLink->DataSource())) || (list && list->IsLinkedTo(FDataLink->DataSource())))
    throw EDatabaseError("Circular datalinks are not allowed");
}

void TdxDBLookupTreeView::BindListFields() {
  CheckCircularLinks();
  TCustomdxLookupTreeView::BindListFields();
  DataChange(nullptr);
}

void TdxDBLookupTreeView::DataChange(TObject*) {
  if (FUpdating) return;
  if (FListField) SetAlignment(FListField->Alignment());
  SetText(FDataLink->Field() ? LookupText() : String());
  Invalidate();
}

String TdxDBLookupTreeView::LookupText() {
  TField* data = FDataLink->Field();
  if (!data || !FKeyField || !FListField || !FParentField || !FListLink->Active()) return String();
  TDataSet* list = FListLink->DataSet();
  bool wasOff = list->ControlsDisabled();
  if (!wasOff) list->DisableControls();
  String text;
  Variant back = FKeyField->Value();
  if (LocateIn(FAssignField ? FAssignField : FKeyField, data->Value())) {
    text = FListField->Text();
    if (TextStyle() == tvtsFull) {
      std::vector<Variant> seen{FKeyField->Value()};
      while (true) {
        Variant parent = FParentField->Value();
        if (SameKey(parent, FKeyField->Value())) break;  // a root that is its own parent
        if (!LocateIn(FKeyField, parent)) break;
        Variant key = FKeyField->Value();
        if (std::any_of(seen.begin(), seen.end(), [&](const Variant& k) { return SameKey(k, key); })) break;
        seen.push_back(key);
        if (SameKey(FParentField->Value(), key)) break;  // a root naming itself is left out
        text = FListField->Text() + DividedChar() + text;
      }
    }
  }
  LocateIn(FKeyField, back);
  if (!wasOff) list->EnableControls();
  return text;
}

void TdxDBLookupTreeView::UpdateData(TObject*) {
  FUpdating = true;
  try {
    if (FDataLink->Active() && !FDataLink->Editing()) FDataLink->Edit();
    TDataSet* ds = FDataLink->DataSet();
    if (ds && FDataLink->Field() && (ds->State() == dsInsert || ds->State() == dsEdit)) {
      Variant value = !FListLink->Active() ? Variant::Null()
                      : FAssignField        ? FAssignField->Value()
                      : FKeyField           ? FKeyField->Value()
                                            : Variant::Null();
      FDataLink->Field()->SetValue(value);
    }
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

void TdxDBLookupTreeView::PreparePopupTree() {
  TCustomdxLookupTreeView::PreparePopupTree();
  if (TField* f = FDataLink->Field()) FTree->SelectNodeByKey(f->Value());
}

void TdxDBLookupTreeView::DropDown() {
  TCustomdxLookupTreeView::DropDown();
  FDataLink->Modified_();
}

void TdxDBLookupTreeView::CloseUp(bool Accept) {
  if (FInCloseUp) return;
  FInCloseUp = true;
  // A cancelled choice leaves the field as it was: the link forgets the
  // change it was told of at drop-down, so leaving the box writes nothing.
  if (!Accept) FDataLink->Reset();
  try {
    TCustomdxLookupTreeView::CloseUp(Accept);
  } catch (...) {
    FInCloseUp = false;
    throw;
  }
  FInCloseUp = false;
}

void TdxDBLookupTreeView::AcceptSelection() {
  TCustomdxLookupTreeView::AcceptSelection();
  UpdateData(nullptr);
  DataChange(nullptr);
}

void TdxDBLookupTreeView::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_EXIT) {
    try {
      FDataLink->UpdateRecord();
    } catch (...) {
      SetFocus();
      throw;
    }
  }
  TCustomdxLookupTreeView::Dispatch(Message);
}
