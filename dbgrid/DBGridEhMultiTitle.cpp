// Multi-line titles of the data grid: the head tree built from the column
// captions ("Group|Sub|Column"), the heights of its levels and the painting
// of the group bands above each column's own title cell.
#include <algorithm>

#include "DBGridEh.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(THeadTreeNode, TObject)

const char* const SNodeNotInTreeEh = "Node not in Tree";
const char* const SToNotInLevelEh = "ATo not in level";

// ---------------------------------------------------------------------------
// Words

// "|" is ASCII, which never occurs inside a multi-byte UTF-8 character, so
// a Chinese caption is never split inside a character.
Integer NthWordStart(Integer N, const String& S, const String& Delims) {
  size_t i = 0, len = S.size();
  Integer count = 0;
  auto isDelim = [&](char c) { return Delims.find(c) != String::npos; };
  while (i < len) {
    while (i < len && isDelim(S[i])) ++i;
    if (i < len) {
      if (++count == N) return Integer(i + 1);
      while (i < len && !isDelim(S[i])) ++i;
    }
  }
  return 0;
}

String NthWordWithPos(Integer N, const String& S, const String& Delims, Integer& Pos) {
  Pos = NthWordStart(N, S, Delims);
  if (Pos == 0) return String();
  size_t start = size_t(Pos - 1), end = start;
  while (end < S.size() && Delims.find(S[end]) == String::npos) ++end;
  return S.substr(start, end - start);
}

String NthWord(Integer N, const String& S, const String& Delims) {
  Integer pos;
  return NthWordWithPos(N, S, Delims, pos);
}

// ---------------------------------------------------------------------------
// THeadTreeNode

THeadTreeNode::THeadTreeNode() = default;

THeadTreeNode::THeadTreeNode(const String& AText, Integer AHeight, Integer AWidth)
    : Height(AHeight), Text(AText), Width(AWidth) {}

THeadTreeNode::~THeadTreeNode() {
  if (!Parent) FreeAllChildren();
}

void THeadTreeNode::FreeAllChildren() {
  THeadTreeNode* c = FirstChild;
  if (!c) return;
  // Open the ring first so the walk ends at the last child.
  std::vector<THeadTreeNode*> ring;
  do {
    ring.push_back(c);
    c = c->NextSibling;
  } while (c && c != FirstChild);
  FirstChild = nullptr;
  for (THeadTreeNode* n : ring) {
    n->FreeAllChildren();
    delete n;
  }
}

bool THeadTreeNode::Find(const THeadTreeNode* Node) const {
  const THeadTreeNode* n = this;
  do {
    if (n == Node) return true;
    if (n->FirstChild && n->FirstChild->Find(Node)) return true;
    n = n->NextSibling;
  } while (n && n != this);
  return false;
}

Integer THeadTreeNode::Level(const THeadTreeNode* Node) {
  Integer level = 0;
  for (const THeadTreeNode* n = Node; n && n->Parent; n = n->Parent) ++level;
  return level;
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* Node, const String& AText, Integer AHeight, Integer AWidth) {
  if (!Find(Node)) throw Exception(SNodeNotInTreeEh);
  auto* n = new THeadTreeNode(AText, AHeight, AWidth);
  n->Parent = Node;
  if (!Node->FirstChild) {
    Node->FirstChild = n;
  } else {
    THeadTreeNode* last = Node->FirstChild;
    while (last->NextSibling != Node->FirstChild) last = last->NextSibling;
    last->NextSibling = n;
    n->NextSibling = Node->FirstChild;
  }
  return n;
}

THeadTreeNode* THeadTreeNode::AddSibling(THeadTreeNode* Node, const String& AText, Integer AHeight,
                                         Integer AWidth) {
  if (!Find(Node)) throw Exception(SNodeNotInTreeEh);
  auto* n = new THeadTreeNode(AText, AHeight, AWidth);
  n->Parent = Node->Parent;
  n->NextSibling = Node->NextSibling;
  Node->NextSibling = n;
  return n;
}

THeadTreeNode* THeadTreeNode::Union(THeadTreeNode* From, THeadTreeNode* To, const String& AText, Integer AHeight) {
  if (!Find(From)) throw Exception(SNodeNotInTreeEh);
  THeadTreeNode* parent = From->Parent;
  THeadTreeNode* first = parent ? parent->FirstChild : From;
  // The run must not wrap round the ring past its first child.
  if (From != To)
    for (THeadTreeNode* n = From->NextSibling; n != To; n = n->NextSibling)
      if (n == first || n == From) throw Exception(SToNotInLevelEh);
  if (From != To && To == first) throw Exception(SToNotInLevelEh);
  THeadTreeNode* g = AddSibling(To, AText, AHeight, 0);
  g->VLineWidth = To->VLineWidth;
  // The group takes the run's place in the parent's ring.
  THeadTreeNode* before = From;
  while (before->NextSibling != From) before = before->NextSibling;
  before->NextSibling = g;
  g->FirstChild = From;
  if (parent && parent->FirstChild == From) parent->FirstChild = g;
  Integer sum = 0;
  for (THeadTreeNode* n = From;; n = n->NextSibling) {
    sum += n->Width + g->VLineWidth;
    n->Height -= AHeight;
    n->Parent = g;
    if (n == To) break;
  }
  if (g->VLineWidth > 0) sum -= g->VLineWidth;
  To->NextSibling = From;
  g->Width = sum;
  return g;
}

void THeadTreeNode::BuildFromColumns(TCustomDBGridEh* Grid, std::vector<THeadTreeNode*>* Leaves) {
  FreeAllChildren();
  TDBGridColumnsEh* cols = Grid->Columns();
  bool colLines = Grid->Options().Contains(dgColLines);
  Integer rowHeight = Grid->RowCount() > 0 ? Grid->RowHeights(0) : 0;
  std::vector<THeadTreeNode*> leaves;
  for (Integer i = 0; i < cols->Count(); ++i) {
    TColumnEh* c = cols->Item(i);
    Integer w = c->Visible() ? c->Width() : (colLines ? -1 : 0);
    THeadTreeNode* leaf = AddChild(this, c->Title()->Caption(), rowHeight, w);
    leaf->Column = c;
    leaf->WIndent = c->Title()->SortMarker() != smNoneEh ? 16 : 0;
    leaf->VLineWidth = colLines ? 1 : 0;
    leaves.push_back(leaf);
  }
  const String delims = "|";
  Integer n = Integer(leaves.size());
  bool changed = true;
  while (changed) {
    changed = false;
    for (Integer i = 0; i < n && !changed; ++i) {
      Integer p;
      if (NthWordWithPos(2, leaves[i]->Text, delims, p).empty()) continue;
      String group = NthWord(1, leaves[i]->Text, delims);
      // Only neighbours under the same parent join a group: a group can
      // only be made over a run of siblings.
      Integer j = i;
      while (j + 1 < n && leaves[j + 1]->Parent == leaves[i]->Parent &&
             NthWord(1, leaves[j + 1]->Text, delims) == group)
        ++j;
      for (Integer k = i; k <= j; ++k) {
        Integer pk;
        NthWordWithPos(2, leaves[k]->Text, delims, pk);
        // A caption with the group word alone loses all of it.
        leaves[k]->Text.erase(0, pk > 0 ? size_t(pk - 1) : leaves[k]->Text.size());
      }
      Union(leaves[i], leaves[j], group, 20);
      changed = true;
    }
  }
  if (Leaves) *Leaves = leaves;
}

// ---------------------------------------------------------------------------
// The grid's side

THeadTreeNode* TCustomDBGridEh::LeafOfColumn(Integer DataCol) const {
  if (DataCol < 0 || DataCol >= Integer(FLeafCols.size())) return nullptr;
  return FLeafCols[size_t(DataCol)];
}

void TCustomDBGridEh::SetUseMultiTitle(bool v) {
  if (FUseMultiTitle == v) return;
  FUseMultiTitle = v;
  LayoutChanged();
}

void TCustomDBGridEh::SetVTitleMargin(Integer v) {
  if (FVTitleMargin == v) return;
  FVTitleMargin = v;
  LayoutChanged();
}

Integer TCustomDBGridEh::HeadTreeHeight(THeadTreeNode* Node) {
  if (!Node || !Node->FirstChild) return 0;
  HDC borrowed = nullptr;
  TCanvas* c = Canvas();
  if (!c->HandleAllocated()) {
    borrowed = GetDC(nullptr);
    c->SetHandle(borrowed);
  }
  Integer total = 0;
  std::vector<std::pair<THeadTreeNode*, Integer>> subs;
  try {
    THeadTreeNode* n = Node->FirstChild;
    do {
      Integer sub = n->FirstChild ? HeadTreeHeight(n) : 0;
      AssignFontEh(c->Font(), n->Column ? n->Column->Title()->Font() : FTitleFont.get());
      String text = n->Text.empty() ? String(" ") : n->Text;
      Integer label = 0;
      if (n->Column && n->Column->Title()->Orientation() == tohVertical) {
        // Turned text needs its length (with the font's overhang) upwards.
        if (n->Width > 0)
          label = WriteTextVerticalEh(c, TRect(0, 0, n->Width, 0), false, 0, 0, text, taLeftJustify, tlTop, false,
                                      true) +
                  6;
      } else {
        label = FVTitleMargin;
        if (n->Width > 0) {
          RECT r{0, 0, std::max<Integer>(1, n->Width - n->WIndent - 4), 0};
          std::u16string w = Utf8ToUtf16(text);
          DrawTextW(c->Handle(), reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &r,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
          label += r.bottom - r.top;
        }
      }
      subs.push_back({n, sub});
      total = std::max(total, sub + label);
      n = n->NextSibling;
    } while (n != Node->FirstChild);
  } catch (...) {
    if (borrowed) {
      c->SetHandle(nullptr);
      ReleaseDC(nullptr, borrowed);
    }
    throw;
  }
  if (borrowed) {
    c->SetHandle(nullptr);
    ReleaseDC(nullptr, borrowed);
  }
  for (auto& [n, sub] : subs) n->Height = n->FirstChild ? total - sub : total;
  return total;
}

// Cell is the rectangle of Node's own band (the leaf's title cell at first),
// Clip the leaf's title cell: only the part of each band above it is painted.
void TCustomDBGridEh::DrawTitleBands(THeadTreeNode* Node, TRect Cell, TRect Clip, bool Highlighted, Integer DY) {
  THeadTreeNode* parent = Node->Parent;
  if (!parent || !parent->Parent) return;
  TCanvas* c = Canvas();
  Integer colLine = FOptions.Contains(dgColLines) ? 1 : 0;
  TRect B;
  B.Bottom = Cell.Top - (FOptions.Contains(dgRowLines) ? 1 : 0);
  B.Top = Cell.Top - parent->Height;
  B.Left = Cell.Left;
  for (THeadTreeNode* n = parent->FirstChild; n != Node; n = n->NextSibling) B.Left -= n->Width + colLine;
  B.Right = B.Left + parent->Width;
  bool begins = B.Left == Clip.Left, ends = B.Right == Clip.Right;
  // A slice not at the band's end also covers the grid line to its right.
  TRect S(std::max(B.Left, Clip.Left), B.Top, std::min(B.Right, Clip.Right) + (ends ? 0 : 1), B.Bottom);
  if (FOptionsEh.Contains(dghFixed3D)) {
    S.Top += 1;
    S.Bottom -= 1;
  }
  AssignFontEh(c->Font(), FTitleFont.get());
  c->Brush()->SetColor(Highlighted ? clHighlight : FixedColor());
  if (Highlighted) c->Font()->SetColor(clHighlightText);
  bool themed = UseThemesForTitles();
  if (themed) DrawThemedFixedBackground(c, S, Highlighted);
  TRect T = S;
  if (begins) {
    if (!themed) c->FillRect(TRect(S.Left, S.Top, S.Left + 2, S.Bottom));
    T.Left += 2;
  }
  if (ends) {
    if (!themed) c->FillRect(TRect(S.Right - 2, S.Top, S.Right, S.Bottom));
    T.Right -= 2;
  }
  // The text is laid out over the whole band (negative margins reach past
  // the slice) and only the slice is painted, so a band whose columns are
  // partly scrolled away still centres its text on the whole band.
  Integer leftMarg = begins ? 0 : (B.Left - S.Left) + 2;
  Integer rightMarg = ends ? 0 : (S.Right - B.Right) + 2;
  bool ellipsis = Node->Column ? Node->Column->Title()->EndEllipsis() : false;
  if (T.Right > T.Left)
    WriteTextEh(c, T, !themed, 0, DY, parent->Text, taCenter, tlCenter, true, ellipsis, leftMarg, rightMarg, false);
  parent->Drawn = true;
  // The band's frame, as any fixed cell's: its near and far edges only
  // where the band begins and ends.
  if (FOptionsEh.Contains(dghFixed3D) && !themed)
    Paint3DFrame(c, TRect(S.Left, S.Top - 1, S.Right, S.Bottom + 1), ends, begins, false, false);
  if (FOptions.Contains(dgRowLines)) {
    c->Pen()->SetColor(Flat() ? TColor(RGB(128, 128, 128)) : clBlack);
    c->MoveTo(S.Left, B.Bottom);
    c->LineTo(S.Right, B.Bottom);
  }
  DrawTitleBands(parent, B, Clip, Highlighted, DY);
}

// The group bands go over the title cells once the cells and their frames
// are painted, so that one band reads as one cell across its columns.
void TCustomDBGridEh::Paint() {
  // The focus cannot move while the grid paints: ask for it once.
  FFocusWhilePainting = -1;
  FFocusWhilePainting = HasFocus() ? 1 : 0;
  struct Forget {
    Integer& Focus;
    ~Forget() { Focus = -1; }
  } forget{FFocusWhilePainting};
  TCustomGridEh::Paint();
  if (!FUseMultiTitle || !FOptions.Contains(dgTitles) || RowCount() == 0) return;
  for (THeadTreeNode* leaf : FLeafCols)
    if (leaf && leaf->Parent) leaf->Parent->Drawn = false;
  HDC dc = Canvas()->Handle();
  for (Integer i = 0; i < Integer(FLeafCols.size()); ++i) {
    THeadTreeNode* leaf = FLeafCols[size_t(i)];
    Integer raw = i + FIndicatorOffset;
    if (!leaf || !leaf->Parent || !leaf->Parent->Parent || raw >= FullColCount()) continue;
    TRect cell = CellClientRect(raw, 0);
    if (cell.Right <= cell.Left || !RectVisible(dc, cell.AsRECT())) continue;
    bool is3D = FOptionsEh.Contains(dghFixed3D);
    TRect inner = cell;
    if (is3D) inner.Top += 1, inner.Bottom -= 1;
    TColor bg = FixedColor();
    bool highlighted = HighlightFixedCell(CellInSelection(raw, 0), nullptr, bg, caDataColEh, raTitleEh);
    TRect leafCell(cell.Left, std::max(inner.Top, inner.Bottom - leaf->Height + 3), cell.Right, inner.Bottom);
    Integer DY = is3D ? 1 : 2;
    if (Flat()) DY -= 1;
    DrawTitleBands(leaf, leafCell, leafCell, highlighted, DY);
  }
}
