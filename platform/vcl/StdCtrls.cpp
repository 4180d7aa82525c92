#include "StdCtrls.h"
#include <algorithm>
#include "Collation.h"
#include "ActnList.h"
#include "Forms.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TCustomLabel, TGraphicControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TLabel, TCustomLabel)
TOVANI_IMPLEMENT_CLASS(TCustomEdit, TWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TEdit, TCustomEdit)
TOVANI_IMPLEMENT_CLASS(TCustomMemo, TCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMemo, TCustomMemo)
TOVANI_IMPLEMENT_CLASS(TButtonActionLink, TWinControlActionLink)
TOVANI_IMPLEMENT_CLASS(TButtonControl, TWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TButton, TButtonControl)
TOVANI_IMPLEMENT_CLASS(TCustomCheckBox, TButtonControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCheckBox, TCustomCheckBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TRadioButton, TButtonControl)
TOVANI_IMPLEMENT_CLASS(TCustomListControl, TWinControl)
TOVANI_IMPLEMENT_CLASS(TCustomComboBox, TCustomListControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TComboBox, TCustomComboBox)
TOVANI_IMPLEMENT_CLASS(TCustomListBox, TCustomListControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TListBox, TCustomListBox)
TOVANI_IMPLEMENT_CLASS(TCustomGroupBox, TCustomControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TGroupBox, TCustomGroupBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TScrollBar, TWinControl)

TOVANI_IMPLEMENT_ENUM_INFO(TTextLayout, "tlTop", "tlCenter", "tlBottom")
TOVANI_IMPLEMENT_ENUM_INFO(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")
TOVANI_IMPLEMENT_ENUM_INFO(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")
TOVANI_IMPLEMENT_ENUM_INFO(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")
TOVANI_IMPLEMENT_ENUM_INFO(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable")
TOVANI_IMPLEMENT_ENUM_INFO(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual", "lbVirtualOwnerDraw")
TOVANI_IMPLEMENT_ENUM_INFO(TScrollCode, "scLineUp", "scLineDown", "scPageUp", "scPageDown", "scPosition", "scTrack", "scTop",
                           "scBottom", "scEndScroll")

TOVANI_PUBLISHED(TLabel) {
  Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify);
  Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
  Property("Caption", &TLabel::Caption, &TLabel::SetCaption);
  Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
  Property("Layout", &TLabel::Layout, &TLabel::SetLayout).Default(tlTop);
  Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar).Default(true);
  Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
  Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
}

TOVANI_PUBLISHED(TCustomEdit) {
  Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  Property("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
  Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
  Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
  Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  Property("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert).Default(false);
  Property<char32_t>("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar);
  Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  Property("Text", &TCustomEdit::Text, &TCustomEdit::SetText);
  Property("OnChange", &TCustomEdit::OnChange);
}

TOVANI_PUBLISHED(TCustomMemo) {
  Property("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment).Default(taLeftJustify);
  Property("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines);
  Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
  Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true);
  Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(false);
  Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(true);
}

TOVANI_PUBLISHED(TButtonControl) {
  Property("Caption", &TButtonControl::Caption, &TButtonControl::SetCaption);
  Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
}

TOVANI_PUBLISHED(TButton) {
  Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
}

TOVANI_PUBLISHED(TCustomCheckBox) {
  Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Default(taRightJustify);
  Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
  Property("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetCheckedValue).Default(false);
  Property("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
}

TOVANI_PUBLISHED(TRadioButton) {
  Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightJustify);
  Property("Checked", &TRadioButton::Checked, &TRadioButton::SetCheckedValue).Default(false);
}

TOVANI_PUBLISHED(TCustomComboBox) {
  Property("AutoComplete", &TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete).Default(true);
  Property("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase).Default(ecNormal);
  Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
  Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight);
  Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  Property("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems);
  Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
  Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
  Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
  Property("Text", &TCustomComboBox::Text, &TCustomComboBox::SetText);
  Property("OnChange", &TCustomComboBox::OnChange);
  Property("OnCloseUp", &TCustomComboBox::OnCloseUp);
  Property("OnDrawItem", &TCustomComboBox::OnDrawItem);
  Property("OnDropDown", &TCustomComboBox::OnDropDown);
  Property("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
  Property("OnSelect", &TCustomComboBox::OnSelect);
}

TOVANI_PUBLISHED(TCustomListBox) {
  Property("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle).Default(bsSingle);
  Property("Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns).Default(0);
  Property("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect).Default(true);
  Property("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight).Default(false);
  Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight);
  Property("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex).Default(-1);
  Property("Items", &TCustomListBox::Items, &TCustomListBox::SetItems);
  Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
  Property("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
  Property("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle).Default(lbStandard);
  Property("OnDrawItem", &TCustomListBox::OnDrawItem);
  Property("OnMeasureItem", &TCustomListBox::OnMeasureItem);
}

TOVANI_PUBLISHED(TCustomGroupBox) { Property("Caption", &TCustomGroupBox::Caption, &TCustomGroupBox::SetCaption); }

TOVANI_PUBLISHED(TScrollBar) {
  Property("Kind", &TScrollBar::Kind, &TScrollBar::SetKind).Default(sbHorizontal);
  Property("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange).Default(1);
  Property("Max", &TScrollBar::Max, &TScrollBar::SetMax).Default(100);
  Property("Min", &TScrollBar::Min, &TScrollBar::SetMin).Default(0);
  Property("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize).Default(0);
  Property("Position", &TScrollBar::Position, &TScrollBar::SetPosition).Default(0);
  Property("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange).Default(1);
  Property("OnChange", &TScrollBar::OnChange);
  Property("OnScroll", &TScrollBar::OnScroll);
}

namespace {

TItemDrawState DrawStateOf(UINT itemState) {
  TItemDrawState s;
  if (itemState & ODS_SELECTED) s += odsSelected;
  if (itemState & ODS_GRAYED) s += odsGrayed;
  if (itemState & ODS_DISABLED) s += odsDisabled;
  if (itemState & ODS_CHECKED) s += odsChecked;
  if (itemState & ODS_FOCUS) s += odsFocused;
  if (itemState & ODS_DEFAULT) s += odsDefault;
  if (itemState & ODS_COMBOBOXEDIT) s += odsComboBoxEdit;
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Items of list boxes and combo boxes: our list is the truth, the window a
// copy kept in step (so the items live on while the window is recreated).

class TControlItems : public TStrings {
 public:
  TControlItems(TWinControl* owner, bool combo) : FOwner(owner), FCombo(combo) {}
  bool Sorted = false;

  void Clear() override {
    FList.Clear();
    if (HWND h = Window()) SendMessageW(h, FCombo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    Changed();
  }
  void Delete(Integer Index) override {
    CheckIndex(Index);
    FList.Delete(Index);
    if (HWND h = Window()) SendMessageW(h, FCombo ? CB_DELETESTRING : LB_DELETESTRING, WPARAM(Index), 0);
    Changed();
  }
  void Insert(Integer Index, const String& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(Integer Index, const String& S, TObject* AObject) override {
    if (Sorted) Index = SortedIndex(S);
    if (Index < 0 || Index > FList.Count()) Error("List index out of bounds (%d)", Index);
    FList.InsertObject(Index, S, AObject);
    if (HWND h = Window()) InsertInto(h, Index, S);
    Changed();
  }
  Integer Add(const String& S) override { return AddObject(S, nullptr); }
  Integer AddObject(const String& S, TObject* AObject) override {
    Integer index = Sorted ? SortedIndex(S) : FList.Count();
    InsertObject(index, S, AObject);
    return index;
  }
  void Exchange(Integer Index1, Integer Index2) override {
    CheckIndex(Index1);
    CheckIndex(Index2);
    String a = FList[Index1], b = FList[Index2];
    TObject *oa = FList.Objects(Index1), *ob = FList.Objects(Index2);
    Put(Index1, b);
    Put(Index2, a);
    FList.SetObjects(Index1, ob);
    FList.SetObjects(Index2, oa);
  }
  // The window's copy, made when the window is created.
  void Fill(HWND h) {
    SendMessageW(h, FCombo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (Integer i = 0; i < FList.Count(); ++i) InsertInto(h, i, FList[i]);
  }
  void Resort() {
    if (!Sorted) return;
    std::vector<std::pair<String, TObject*>> v;
    for (Integer i = 0; i < FList.Count(); ++i) v.push_back({FList[i], FList.Objects(i)});
    std::stable_sort(v.begin(), v.end(), [](auto& a, auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
    FList.Clear();
    for (auto& [s, o] : v) FList.AddObject(s, o);
    if (HWND h = Window()) Fill(h);
  }

 protected:
  String Get(Integer Index) const override {
    if (Index < 0 || Index >= FList.Count()) Error("List index out of bounds (%d)", Index);
    return FList[Index];
  }
  Integer GetCount() const override { return FList.Count(); }
  TObject* GetObject(Integer Index) const override {
    if (Index < 0 || Index >= FList.Count()) Error("List index out of bounds (%d)", Index);
    return FList.Objects(Index);
  }
  void PutObject(Integer Index, TObject* AObject) override {
    CheckIndex(Index);
    FList.SetObjects(Index, AObject);
  }
  void Put(Integer Index, const String& S) override {
    CheckIndex(Index);
    FList.SetStrings(Index, S);
    if (HWND h = Window()) {
      LRESULT sel = SendMessageW(h, FCombo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
      SendMessageW(h, FCombo ? CB_DELETESTRING : LB_DELETESTRING, WPARAM(Index), 0);
      InsertInto(h, Index, S);
      if (sel == Index) SendMessageW(h, FCombo ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(Index), 0);
    }
    Changed();
  }
  void SetUpdateState(bool Updating) override {
    if (HWND h = Window()) {
      SendMessageW(h, WM_SETREDRAW, !Updating, 0);
      if (!Updating) InvalidateRect(h, nullptr, TRUE);
    }
  }

 private:
  HWND Window() const { return FOwner->HandleAllocated() ? const_cast<TWinControl*>(FOwner)->Handle() : nullptr; }
  void InsertInto(HWND h, Integer Index, const String& S) {
    std::u16string w = ToUtf16(S);
    SendMessageW(h, FCombo ? CB_INSERTSTRING : LB_INSERTSTRING, WPARAM(Index), reinterpret_cast<LPARAM>(w.c_str()));
  }
  Integer SortedIndex(const String& S) const {
    Integer lo = 0, hi = FList.Count();
    while (lo < hi) {
      Integer mid = (lo + hi) / 2;
      if (AnsiCompareText(FList[mid], S) <= 0) lo = mid + 1;
      else hi = mid;
    }
    return lo;
  }
  void CheckIndex(Integer Index) const {
    if (Index < 0 || Index >= FList.Count()) Error("List index out of bounds (%d)", Index);
  }
  void Changed() {
    if (UpdateCount() == 0 && FOwner->HandleAllocated()) InvalidateRect(const_cast<TWinControl*>(FOwner)->Handle(), nullptr, TRUE);
  }
  TWinControl* FOwner;
  bool FCombo;
  TStringList FList;
};

// ---------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle += csOpaque;
  FControlStyle += csReplicatable;
  FAutoSize = true;
  FWidth = 65;
  FHeight = 17;
}

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
  String text = Caption();
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += " ";
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  TCanvas* c = Canvas();
  c->Font()->Assign(FFont.get());
  std::u16string w = ToUtf16(text);
  HDC dc = c->Handle();
  c->Font()->Handle();
  SelectObject(dc, c->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  if (!IsEnabled() && !(Flags & DT_CALCRECT)) {
    // Disabled text: embossed in highlight and shadow.
    OffsetRect(&r, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextW(dc, W(w), int(w.size()), &r, Flags);
    OffsetRect(&r, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
    DrawTextW(dc, W(w), int(w.size()), &r, Flags);
  } else {
    SetTextColor(dc, ColorToRGB(FFont->Color()));
    DrawTextW(dc, W(w), int(w.size()), &r, Flags);
  }
  Rect = {r.left, r.top, r.right, r.bottom};
}

void TCustomLabel::Paint() {
  static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  TRect rect = ClientRect();
  if (!FTransparent) {
    Canvas()->Brush()->SetColor(FColor);
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(rect);
  }
  UINT flags = DT_EXPANDTABS | alignments[FAlignment] | (FWordWrap ? DT_WORDBREAK : 0);
  if (FLayout != tlTop) {
    TRect calc = rect;
    DoDrawText(calc, flags | DT_CALCRECT);
    Integer h = calc.Height();
    if (FLayout == tlBottom) rect.Top = rect.Bottom - h;
    else rect.Top = (rect.Height() - h) / 2;
  }
  DoDrawText(rect, flags);
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csLoading) || !FAutoSize || !FParent) return;
  static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  TRect r = ClientRect();
  // Measure on a screen-compatible scratch canvas (the parent may have no window yet).
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(FFont.get());
  String text = Caption();
  if (text.empty()) text = " ";
  std::u16string w = ToUtf16(text);
  RECT rr{0, 0, FWordWrap ? r.Width() : 0, 0};
  // Measured in the label's own font, the one Paint draws with.
  HDC dc = scratch.Canvas()->Handle();
  HGDIOBJ oldFont = SelectObject(dc, scratch.Canvas()->Font()->Handle());
  DrawTextW(dc, W(w), int(w.size()), &rr,
            DT_CALCRECT | DT_EXPANDTABS | alignments[FAlignment] | (FWordWrap ? DT_WORDBREAK : 0) | (FShowAccelChar ? 0 : DT_NOPREFIX));
  SelectObject(dc, oldFont);
  Integer x = FLeft;
  if (FAlignment == taRightJustify) x = FLeft + FWidth - rr.right;
  SetBounds(x, FTop, rr.right, rr.bottom);
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::SetAutoSize(bool v) {
  if (FAutoSize == v) return;
  FAutoSize = v;
  AdjustBounds();
}

#define LABEL_SETTER(Prop, Type, Field, Adjust) \
  void TCustomLabel::Set##Prop(Type v) {        \
    if (Field == v) return;                     \
    Field = v;                                  \
    if (Adjust) AdjustBounds();                 \
    Invalidate();                               \
  }
LABEL_SETTER(Alignment, TAlignment, FAlignment, false)
LABEL_SETTER(Layout, TTextLayout, FLayout, false)
LABEL_SETTER(WordWrap, bool, FWordWrap, true)
LABEL_SETTER(ShowAccelChar, bool, FShowAccelChar, true)
#undef LABEL_SETTER

void TCustomLabel::SetTransparent(bool v) {
  if (FTransparent == v) return;
  FTransparent = v;
  if (v) FControlStyle -= csOpaque;
  else FControlStyle += csOpaque;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* v) {
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = v;
  if (v) v->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      AdjustBounds();
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (FFocusControl && IsEnabled() && FShowAccelChar && IsAccel(Word(Message.WParam), Caption()) &&
          FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
      }
      return;
  }
  TGraphicControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
  FWidth = 121;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FAutoSize = true;
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FBorderStyle == bsSingle) {
    if (FCtl3D) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

void TCustomEdit::InitializeWindow() {
  FCreating = true;
  SendMessageW(FHandle, EM_LIMITTEXT, WPARAM(FMaxLength), 0);
  if (FPasswordChar) SendMessageW(FHandle, EM_SETPASSWORDCHAR, WPARAM(FPasswordChar < 0x10000 ? FPasswordChar : U'*'), 0);
  SendMessageW(FHandle, EM_SETMODIFY, FModified, 0);
  FCreating = false;
}

void TCustomEdit::DestroyWnd() {
  FModified = Modified();
  TWinControl::DestroyWnd();
}

bool TCustomEdit::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  // The height follows the font: one line and the border.
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(FFont.get());
  TEXTMETRICW tm{};
  GetTextMetricsW(scratch.Canvas()->Handle(), &tm);
  Integer border = FBorderStyle == bsSingle ? (FCtl3D ? GetSystemMetrics(SM_CYEDGE) * 2 + 2 : GetSystemMetrics(SM_CYBORDER) * 4) : 0;
  NewHeight = tm.tmHeight + border + 2;
  (void)NewWidth;
  return true;
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE && !FCreating) Change();
      return;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(Message);
      if (FAutoSize && !ComponentState().Contains(csLoading)) AdjustSize();
      return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomEdit::Change() {
  TWinControl::Changed();
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect && !FControlState.Contains(csLButtonDown) && FHandle &&
      !(GetWindowLongW(FHandle, GWL_STYLE) & ES_MULTILINE))
    SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::SetMaxLength(Integer v) {
  FMaxLength = v;
  if (FHandle) SendMessageW(FHandle, EM_LIMITTEXT, WPARAM(v), 0);
}

void TCustomEdit::SetReadOnly(bool v) {
  FReadOnly = v;
  if (FHandle) SendMessageW(FHandle, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetPasswordChar(char32_t v) {
  if (FPasswordChar == v) return;
  FPasswordChar = v;
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
  if (FCharCase == v) return;
  FCharCase = v;
  RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool v) {
  if (FHideSelection == v) return;
  FHideSelection = v;
  RecreateWnd();
}

bool TCustomEdit::Modified() {
  if (FHandle) return SendMessageW(FHandle, EM_GETMODIFY, 0, 0) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool v) {
  FModified = v;
  if (FHandle) SendMessageW(FHandle, EM_SETMODIFY, v, 0);
}

Integer TCustomEdit::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return Integer(start);
}

void TCustomEdit::SetSelStart(Integer v) { SendMessageW(Handle(), EM_SETSEL, WPARAM(v), LPARAM(v)); }

Integer TCustomEdit::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return Integer(end - start);
}

void TCustomEdit::SetSelLength(Integer v) {
  Integer s = SelStart();
  SendMessageW(Handle(), EM_SETSEL, WPARAM(s), LPARAM(s + v));
}

String TCustomEdit::SelText() {
  std::u16string all = ToUtf16(Text());
  Integer s = SelStart(), n = SelLength();
  if (s < 0 || size_t(s) > all.size()) return {};
  return vcl::FromUtf16(all.substr(size_t(s), size_t(n)));
}

void TCustomEdit::SetSelText(const String& v) {
  std::u16string w = ToUtf16(v);
  SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(w.c_str()));
}

void TCustomEdit::SelectAll() {
  if (FHandle) SendMessageW(FHandle, EM_SETSEL, 0, -1);
}
void TCustomEdit::Clear() { SetText(""); }
void TCustomEdit::ClearSelection() { SendMessageW(Handle(), WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { SendMessageW(Handle(), WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { SendMessageW(Handle(), WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { SendMessageW(Handle(), WM_PASTE, 0, 0); }
void TCustomEdit::Undo() {
  if (FHandle) SendMessageW(FHandle, WM_UNDO, 0, 0);
}
bool TCustomEdit::CanUndo() { return FHandle && SendMessageW(FHandle, EM_CANUNDO, 0, 0) != 0; }

// ---------------------------------------------------------------------------
// TCustomMemo: Lines are the lines of the text.

namespace {
class TTextLines : public TStrings {
 public:
  TTextLines(std::function<String()> AGetText, std::function<void(const String&)> ASetText)
      : FGetText(std::move(AGetText)), FSetText(std::move(ASetText)) {}
  void Clear() override { FSetText(""); }
  void Delete(Integer Index) override {
    auto lines = Split();
    Check(Index, lines.size());
    lines.erase(lines.begin() + Index);
    Join(lines);
  }
  void Insert(Integer Index, const String& S) override {
    auto lines = Split();
    if (Index < 0 || size_t(Index) > lines.size()) Error("List index out of bounds (%d)", Index);
    lines.insert(lines.begin() + Index, S);
    Join(lines);
  }

 protected:
  String Get(Integer Index) const override {
    auto lines = Split();
    Check(Index, lines.size());
    return lines[size_t(Index)];
  }
  Integer GetCount() const override { return Integer(Split().size()); }
  void Put(Integer Index, const String& S) override {
    auto lines = Split();
    Check(Index, lines.size());
    lines[size_t(Index)] = S;
    Join(lines);
  }
  String GetTextStr() const override { return FGetText(); }
  void SetTextStr(const String& Value) override {
    // Line breaks of any kind become CR LF, which the edit control shows.
    String t;
    for (size_t i = 0; i < Value.size(); ++i) {
      char c = Value[i];
      if (c == '\r') {
        t += "\r\n";
        if (i + 1 < Value.size() && Value[i + 1] == '\n') ++i;
      } else if (c == '\n') {
        t += "\r\n";
      } else {
        t += c;
      }
    }
    FSetText(t);
  }

 private:
  static void Check(Integer Index, size_t n) {
    if (Index < 0 || size_t(Index) >= n) Error("List index out of bounds (%d)", Index);
  }
  std::vector<String> Split() const {
    String t = FGetText();
    std::vector<String> lines;
    size_t start = 0;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] == '\r' || t[i] == '\n') {
        lines.push_back(t.substr(start, i - start));
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
        start = i + 1;
      }
    }
    if (start < t.size()) lines.push_back(t.substr(start));
    return lines;
  }
  void Join(const std::vector<String>& lines) {
    String t;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i) t += "\r\n";
      t += lines[i];
    }
    FSetText(t);
  }
  std::function<String()> FGetText;
  std::function<void(const String&)> FSetText;
};
}  // namespace

std::unique_ptr<TStrings> NewTextLines(std::function<String()> AGetText, std::function<void(const String&)> ASetText) {
  return std::make_unique<TTextLines>(std::move(AGetText), std::move(ASetText));
}

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(NewTextLines([this] { return Text(); }, [this](const String& S) { SetText(S); })) {
  FWidth = 185;
  FHeight = 89;
  FAutoSize = false;
  FControlStyle -= csFixedHeight;
  SetAutoSelect(false);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  Params.Style |= ES_MULTILINE | ES_WANTRETURN | alignments[FAlignment];
  if (FWordWrap) Params.Style &= ~DWORD(ES_AUTOHSCROLL);
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if ((FScrollBars == ssHorizontal || FScrollBars == ssBoth) && !FWordWrap) Params.Style |= WS_HSCROLL;
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(Message);
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
    else Message.Result &= ~LRESULT(DLGC_WANTTAB);
    if (!FWantReturns) Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
    return;
  }
  TCustomEdit::Dispatch(Message);
}

void TCustomMemo::KeyPress(char32_t& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == U'\r' && !FWantReturns) Key = 0;
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
  if (FScrollBars == v) return;
  FScrollBars = v;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool v) {
  if (FWordWrap == v) return;
  FWordWrap = v;
  RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment v) {
  if (FAlignment == v) return;
  FAlignment = v;
  RecreateWnd();
}

TPoint TCustomMemo::CaretPos() {
  DWORD start = 0, end = 0;
  SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  LRESULT line = SendMessageW(FHandle, EM_LINEFROMCHAR, end, 0);
  LRESULT lineStart = SendMessageW(FHandle, EM_LINEINDEX, WPARAM(line), 0);
  return {Integer(end - DWORD(lineStart)), Integer(line)};
}

void TCustomMemo::SetCaretPos(TPoint p) {
  LRESULT pos = SendMessageW(Handle(), EM_LINEINDEX, WPARAM(p.Y), 0) + p.X;
  SendMessageW(FHandle, EM_SETSEL, WPARAM(pos), LPARAM(pos));
}

// ---------------------------------------------------------------------------
// Buttons

TButtonActionLink::TButtonActionLink(TButtonControl* AClient) : TWinControlActionLink(AClient), FClient(AClient) {}

bool TButtonActionLink::IsCheckedLinked() {
  return TWinControlActionLink::IsCheckedLinked() && FClient->GetChecked() == CustomAction()->Checked();
}

void TButtonActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked()) return;
  // The action's state reaches the button without running the click again.
  FClient->FClicksDisabled = true;
  try {
    FClient->SetChecked(Value);
  } catch (...) {
    FClient->FClicksDisabled = false;
    throw;
  }
  FClient->FClicksDisabled = false;
}

std::unique_ptr<TControlActionLink> TButtonControl::CreateActionLink() { return std::make_unique<TButtonActionLink>(this); }

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TWinControl::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender))
    if (!CheckDefaults || !GetChecked()) {
      bool old = FClicksDisabled;
      FClicksDisabled = true;
      SetChecked(a->Checked());
      FClicksDisabled = old;
    }
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csSetCaption, csDoubleClicks};
}

void TButtonControl::SetWordWrap(bool v) {
  if (FWordWrap == v) return;
  FWordWrap = v;
  RecreateWnd();
}

void TButtonControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
      // A double click is a second press of the button.
      DefaultHandler(Message);
      return;
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN: {
      // The parent's background shows around the box and its text.
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(dc, ColorToRGB(FFont->Color()));
      SetBkColor(dc, ColorToRGB(FBrush->Color()));
      Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      return;
    }
  }
  TWinControl::Dispatch(Message);
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
  FTabStop = true;
  FColor = clBtnFace;
  FParentColor = false;
  FBrush->SetColor(FColor);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  Params.Style |= (FActive ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (WordWrap() ? BS_MULTILINE : 0);
}

void TButton::SetButtonStyle(bool ADefault) {
  if (!FHandle) return;
  LONG style = GetWindowLongW(FHandle, GWL_STYLE) & 0x0F;
  // An owner-drawn button draws its default frame itself.
  if (style == BS_OWNERDRAW) {
    InvalidateRect(FHandle, nullptr, FALSE);
    return;
  }
  LONG want = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if (style != want) SendMessageW(FHandle, BM_SETSTYLE, WPARAM(want), TRUE);
}

void TButton::SetDefault(bool v) {
  FDefault = v;
  if (FHandle) {
    TCustomForm* form = GetParentForm(this);
    bool focusedButton = form && dynamic_cast<TButton*>(form->ActiveControl());
    if (!focusedButton) {
      FActive = v;
      SetButtonStyle(v);
    }
  } else {
    FActive = v;
  }
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && FModalResult != mrNone) form->SetModalResult(FModalResult);
  TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (!FClicksDisabled && HIWORD(Message.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY:
      if (((Message.WParam == VK_RETURN && FActive) || (Message.WParam == VK_ESCAPE && FCancel)) &&
          KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
      FActive = dynamic_cast<TButton*>(focused) ? focused == this : FDefault;
      SetButtonStyle(FActive);
      return;
    }
  }
  TButtonControl::Dispatch(Message);
}

// --- check box

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 97;
  FHeight = 17;
  FTabStop = true;
  FControlStyle = {csSetCaption, csDoubleClicks};
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  Params.Style |= BS_3STATE | (FAlignment == taLeftJustify ? BS_LEFTTEXT : 0) | (WordWrap() ? BS_MULTILINE : 0);
}

void TCustomCheckBox::InitializeWindow() { SendMessageW(FHandle, BM_SETCHECK, WPARAM(FState), 0); }

void TCustomCheckBox::SetState(TCheckBoxState v) {
  if (FState == v) return;
  FState = v;
  if (FHandle) SendMessageW(FHandle, BM_SETCHECK, WPARAM(v), 0);
  if (!FClicksDisabled && !ComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::SetAllowGrayed(bool v) {
  FAllowGrayed = v;
  if (!v && FState == cbGrayed) SetState(cbUnchecked);
}

void TCustomCheckBox::SetAlignment(TAlignment v) {
  if (FAlignment == v) return;
  FAlignment = v;
  RecreateWnd();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
    return;
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
      SetFocus();
      if (Focused()) Toggle();
      Message.Result = 1;
    }
    return;
  }
  TButtonControl::Dispatch(Message);
}

// --- radio button

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 113;
  FHeight = 17;
  FControlStyle = {csSetCaption, csDoubleClicks};
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  Params.Style |= BS_RADIOBUTTON | (FAlignment == taLeftJustify ? BS_LEFTTEXT : 0) | (WordWrap() ? BS_MULTILINE : 0);
}

void TRadioButton::InitializeWindow() { SendMessageW(FHandle, BM_SETCHECK, FChecked, 0); }

void TRadioButton::SetCheckedValue(bool v) {
  if (FChecked == v) return;
  FChecked = v;
  SetTabStop(v);
  if (FHandle) SendMessageW(FHandle, BM_SETCHECK, v, 0);
  if (v) {
    // The other radio buttons of the group (the same parent) go off.
    if (FParent)
      for (TControl* c : FParent->ControlList())
        if (auto* r = dynamic_cast<TRadioButton*>(c); r && r != this) r->SetCheckedValue(false);
    if (!FClicksDisabled && !ComponentState().Contains(csLoading)) Click();
  }
}

void TRadioButton::SetAlignment(TAlignment v) {
  if (FAlignment == v) return;
  FAlignment = v;
  RecreateWnd();
}

void TRadioButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) SetCheckedValue(true);
    else if (HIWORD(Message.WParam) == BN_DOUBLECLICKED) DblClick();
    return;
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
      SetFocus();
      if (Focused()) SetCheckedValue(true);
      Message.Result = 1;
    }
    return;
  }
  TButtonControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TCustomListControl(AOwner), FItems(new TControlItems(this, true)), FCanvas(new TControlCanvas) {
  FControlStyle = {csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
  FWidth = 145;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FCanvas->SetControl(this);
}

TCustomComboBox::~TCustomComboBox() {
  DestroyHandle();
  FCanvas->FreeHandle();
}

TStrings* TCustomComboBox::Items() { return FItems.get(); }
void TCustomComboBox::SetItems(TStrings* v) { FItems->Assign(v); }

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TCustomListControl::CreateParams(Params);
  CreateSubClass(Params, u"COMBOBOX");
  static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | styles[FStyle];
  if (FCharCase == ecUpperCase) Params.Style |= CBS_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= CBS_LOWERCASE;
  // The window's height gives the dropped-down list room for DropDownCount items.
  Params.Height = FHeight + FItemHeight * std::max(1, FDropDownCount) + 2;
}

void TCustomComboBox::InitializeWindow() {
  FItems->Fill(FHandle);
  if (FMaxLength > 0) SendMessageW(FHandle, CB_LIMITTEXT, WPARAM(FMaxLength), 0);
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)
    SendMessageW(FHandle, CB_SETITEMHEIGHT, 0, FItemHeight);
  if (FSavedIndex >= 0) SendMessageW(FHandle, CB_SETCURSEL, WPARAM(FSavedIndex), 0);
  else if (!FText.empty() && FStyle != csDropDownList) {
    std::u16string w = ToUtf16(FText);
    CallWindowProcW(FDefWndProc, FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  // The edit inside a drop-down combo box passes its keys and focus to us.
  FEditHandle = nullptr;
  if (FStyle == csDropDown || FStyle == csSimple) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (GetComboBoxInfo(FHandle, &info) && info.hwndItem) {
      FEditHandle = info.hwndItem;
      SetPropW(FEditHandle, L"TovaniCombo", this);
      FEditDefProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TCustomComboBox::EditProc)));
    }
  }
}

void TCustomComboBox::DestroyWnd() {
  FSavedIndex = Integer(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
  if (FEditHandle) {
    SetWindowLongPtrW(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditDefProc));
    RemovePropW(FEditHandle, L"TovaniCombo");
    FEditHandle = nullptr;
  }
  TCustomListControl::DestroyWnd();
}

void TCustomComboBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TCustomListControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  // Windows keeps the closed height itself and takes the height it is
  // given as that of the dropped-down list.
  if (FHandle && FStyle != csSimple)
    SetWindowPos(FHandle, nullptr, 0, 0, FWidth, FHeight + FItemHeight * std::max(1, FDropDownCount) + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TCustomComboBox::Focused() {
  HWND f = GetFocus();
  return f && (f == FHandle || (FEditHandle && f == FEditHandle));
}

void TCustomComboBox::SetTextValue(const String& v) {
  if (FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) {
    // A form file gives the text before the items: Loaded picks the item.
    if (ComponentState().Contains(csLoading)) {
      FText = v;
      return;
    }
    SetItemIndex(FItems->IndexOf(v));
    FText = v;
    return;
  }
  TCustomListControl::SetTextValue(v);
}

HWND TCustomComboBox::EditHandle() {
  HandleNeeded();
  return FEditHandle;
}

LRESULT CALLBACK TCustomComboBox::EditProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* combo = static_cast<TCustomComboBox*>(GetPropW(h, L"TovaniCombo"));
  if (!combo) return DefWindowProcW(h, msg, wParam, lParam);
  WNDPROC def = combo->FEditDefProc;
  TMessage m{msg, wParam, lParam, 0};
  try {
    switch (msg) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (combo->DoKeyDown(m)) return 0;
        break;
      case WM_CHAR:
        if (combo->DoKeyPress(m)) return 0;
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        if (combo->DoKeyUp(m)) return 0;
        break;
      case WM_SETFOCUS:
        if (TCustomForm* f = GetParentForm(combo); f && !f->SetFocusedControl(combo)) return 0;
        break;
    }
  } catch (...) {
    HandleControlException(combo);
    return 0;
  }
  return CallWindowProcW(def, h, m.Msg, m.WParam, m.LParam);
}

Integer TCustomComboBox::ItemIndex() {
  if (FHandle) return Integer(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
  return FSavedIndex;
}

void TCustomComboBox::SetItemIndex(Integer v) {
  // A form file gives ItemIndex before the items: keep it for Loaded.
  if (ComponentState().Contains(csLoading)) {
    FSavedIndex = std::max(v, -1);
    return;
  }
  if (v < -1 || v >= FItems->Count()) v = -1;
  FSavedIndex = v;
  if (FHandle) SendMessageW(FHandle, CB_SETCURSEL, WPARAM(v), 0);
  else FText = v >= 0 ? FItems->Strings(v) : String();
}

void TCustomComboBox::Loaded() {
  TCustomListControl::Loaded();
  // The items are read now: select the item the form file named, by index
  // or, for a drop-down list without one, by its text.
  if (FSavedIndex >= 0)
    SetItemIndex(FSavedIndex);
  else if (!FText.empty() && (FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable))
    SetItemIndex(FItems->IndexOf(FText));
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
  if (FStyle == v) return;
  FStyle = v;
  RecreateWnd();
}

void TCustomComboBox::SetDropDownCount(Integer v) {
  FDropDownCount = v;
  if (FHandle) SetBounds(FLeft, FTop, FWidth, FHeight);
}

Integer TCustomComboBox::ItemHeight() {
  if (FHandle && (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)) return FItemHeight;
  if (FHandle) return Integer(SendMessageW(FHandle, CB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomComboBox::SetItemHeight(Integer v) {
  if (v <= 0) return;
  FItemHeight = v;
  if (FHandle && (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)) RecreateWnd();
}

void TCustomComboBox::SetSorted(bool v) {
  if (FSorted == v) return;
  FSorted = v;
  FItems->Sorted = v;
  FItems->Resort();
}

void TCustomComboBox::SetMaxLength(Integer v) {
  FMaxLength = std::max(0, v);
  if (FHandle) SendMessageW(FHandle, CB_LIMITTEXT, WPARAM(FMaxLength), 0);
}

bool TCustomComboBox::DroppedDown() { return FHandle && SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0; }
void TCustomComboBox::SetDroppedDown(bool v) { SendMessageW(Handle(), CB_SHOWDROPDOWN, v, 0); }

Integer TCustomComboBox::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return Integer(start);
}
void TCustomComboBox::SetSelStart(Integer v) { SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(v, v)); }
Integer TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return Integer(end - start);
}
void TCustomComboBox::SetSelLength(Integer v) {
  Integer s = SelStart();
  SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(s, s + v));
}
void TCustomComboBox::SelectAll() { SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1)); }

void TCustomComboBox::Clear() {
  SetText("");
  FItems->Clear();
  FSavedIndex = -1;
}

void TCustomComboBox::Change() {
  TCustomListControl::Changed();
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(Integer Index, TRect Rect, TItemDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case CBN_SELCHANGE: {
          Integer i = ItemIndex();
          if (i >= 0 && FStyle != csDropDownList && FEditHandle) {
            std::u16string w = ToUtf16(FItems->Strings(i));
            SetWindowTextW(FEditHandle, W(w));
          }
          Click();
          Select();
          break;
        }
        case CBN_EDITCHANGE: Change(); break;
        case CBN_DROPDOWN: DropDown(); break;
        case CBN_CLOSEUP: CloseUp(); break;
      }
      return;
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      TItemDrawState state = DrawStateOf(dis->itemState);
      FCanvas->Lock();
      FCanvas->SetHandle(dis->hDC);
      FCanvas->Font()->Assign(FFont.get());
      FCanvas->Brush()->Assign(FBrush.get());
      if (state.Contains(odsSelected)) {
        FCanvas->Brush()->SetColor(clHighlight);
        FCanvas->Font()->SetColor(clHighlightText);
      }
      try {
        DrawItem(Integer(int(dis->itemID)), {dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom}, state);
      } catch (...) {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
        throw;
      }
      if (state.Contains(odsFocused)) DrawFocusRect(dis->hDC, &dis->rcItem);
      FCanvas->SetHandle(nullptr);
      FCanvas->Unlock();
      Message.Result = 1;
      return;
    }
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      Integer h = FItemHeight;
      if (FStyle == csOwnerDrawVariable && int(mis->itemID) >= 0) MeasureItem(Integer(mis->itemID), h);
      mis->itemHeight = UINT(h);
      Message.Result = 1;
      return;
    }
    case CM_CANCELMODE:
      if (FHandle && DroppedDown()) SendMessageW(FHandle, CB_SHOWDROPDOWN, FALSE, 0);
      return;
  }
  TCustomListControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TCustomListBox

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomListControl(AOwner), FItems(new TControlItems(this, false)), FCanvas(new TControlCanvas) {
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FCanvas->SetControl(this);
}

TCustomListBox::~TCustomListBox() {
  DestroyHandle();
  FCanvas->FreeHandle();
}

TStrings* TCustomListBox::Items() { return FItems.get(); }
void TCustomListBox::SetItems(TStrings* v) { FItems->Assign(v); }

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TCustomListControl::CreateParams(Params);
  CreateSubClass(Params, u"LISTBOX");
  Params.Style |= LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL | LBS_USETABSTOPS;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (FStyle == lbOwnerDrawFixed || FStyle == lbVirtualOwnerDraw) Params.Style |= LBS_OWNERDRAWFIXED;
  if (FStyle == lbOwnerDrawVariable) Params.Style |= LBS_OWNERDRAWVARIABLE;
  if (FColumns > 0) Params.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
  if (FBorderStyle == bsSingle) {
    if (FCtl3D) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

void TCustomListBox::InitializeWindow() {
  if (FStyle != lbOwnerDrawVariable && FStyle != lbStandard) SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, FItemHeight);
  FItems->Fill(FHandle);
  if (FColumns > 0) SendMessageW(FHandle, LB_SETCOLUMNWIDTH, WPARAM(std::max(1, (FWidth + FColumns - 3) / FColumns)), 0);
  if (FMultiSelect) {
    for (size_t i = 0; i < FSavedSelection.size() && Integer(i) < FItems->Count(); ++i)
      if (FSavedSelection[i]) SendMessageW(FHandle, LB_SETSEL, TRUE, LPARAM(i));
  } else if (FSavedIndex >= 0) {
    SendMessageW(FHandle, LB_SETCURSEL, WPARAM(FSavedIndex), 0);
  }
  SendMessageW(FHandle, LB_SETTOPINDEX, WPARAM(FSavedTop), 0);
}

void TCustomListBox::DestroyWnd() {
  FSavedIndex = Integer(SendMessageW(FHandle, LB_GETCURSEL, 0, 0));
  FSavedTop = Integer(SendMessageW(FHandle, LB_GETTOPINDEX, 0, 0));
  FSavedSelection.clear();
  if (FMultiSelect)
    for (Integer i = 0; i < FItems->Count(); ++i) FSavedSelection.push_back(SendMessageW(FHandle, LB_GETSEL, WPARAM(i), 0) > 0);
  TCustomListControl::DestroyWnd();
}

Integer TCustomListBox::ItemIndex() {
  if (!FHandle) return FSavedIndex;
  if (FMultiSelect) return Integer(SendMessageW(FHandle, LB_GETCARETINDEX, 0, 0));
  return Integer(SendMessageW(FHandle, LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(Integer v) {
  if (v < -1 || v >= FItems->Count()) v = -1;
  FSavedIndex = v;
  if (!FHandle) return;
  if (FMultiSelect) {
    SendMessageW(FHandle, LB_SETSEL, FALSE, -1);
    if (v >= 0) SendMessageW(FHandle, LB_SETSEL, TRUE, LPARAM(v));
    SendMessageW(FHandle, LB_SETCARETINDEX, WPARAM(v), FALSE);
  } else {
    SendMessageW(FHandle, LB_SETCURSEL, WPARAM(v), 0);
  }
}

void TCustomListBox::SetMultiSelect(bool v) {
  if (FMultiSelect == v) return;
  FMultiSelect = v;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool v) {
  if (FExtendedSelect == v) return;
  FExtendedSelect = v;
  RecreateWnd();
}

bool TCustomListBox::Selected(Integer Index) {
  if (Index < 0 || Index >= FItems->Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (!FHandle) {
    if (FMultiSelect) return size_t(Index) < FSavedSelection.size() && FSavedSelection[size_t(Index)];
    return Index == FSavedIndex;
  }
  return SendMessageW(FHandle, LB_GETSEL, WPARAM(Index), 0) > 0;
}

void TCustomListBox::SetSelected(Integer Index, bool v) {
  if (Index < 0 || Index >= FItems->Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (FMultiSelect) SendMessageW(Handle(), LB_SETSEL, v, LPARAM(Index));
  else if (v) SetItemIndex(Index);
  else if (ItemIndex() == Index) SetItemIndex(-1);
}

Integer TCustomListBox::SelCount() {
  if (!FMultiSelect) return ItemIndex() >= 0 ? 1 : 0;
  return Integer(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::SetSorted(bool v) {
  if (FSorted == v) return;
  FSorted = v;
  FItems->Sorted = v;
  FItems->Resort();
}

void TCustomListBox::SetStyle(TListBoxStyle v) {
  if (FStyle == v) return;
  FStyle = v;
  RecreateWnd();
}

Integer TCustomListBox::ItemHeight() {
  if (FHandle && FStyle == lbStandard) return Integer(SendMessageW(FHandle, LB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(Integer v) {
  if (v <= 0 || v == FItemHeight) return;
  FItemHeight = v;
  if (FHandle && FStyle != lbStandard) RecreateWnd();
}

void TCustomListBox::SetColumns(Integer v) {
  if (FColumns == v) return;
  FColumns = std::max(0, v);
  RecreateWnd();
}

Integer TCustomListBox::TopIndex() {
  if (!FHandle) return FSavedTop;
  return Integer(SendMessageW(FHandle, LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(Integer v) {
  FSavedTop = v;
  if (FHandle) SendMessageW(FHandle, LB_SETTOPINDEX, WPARAM(v), 0);
}

void TCustomListBox::SetIntegralHeight(bool v) {
  if (FIntegralHeight == v) return;
  FIntegralHeight = v;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  RecreateWnd();
}

Integer TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) {
  TRect client = ClientRect();
  if (client.Contains(Pos)) {
    Integer count = FItems->Count();
    for (Integer i = TopIndex(); i < count; ++i) {
      TRect r = ItemRect(i);
      if (r.IsEmpty() || r.Top >= client.Bottom) break;
      if (r.Contains(Pos)) return i;
    }
  }
  return Existing ? -1 : FItems->Count();
}

TRect TCustomListBox::ItemRect(Integer Index) {
  RECT r{};
  if (Index >= 0 && Index < FItems->Count() && SendMessageW(Handle(), LB_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    return {r.left, r.top, r.right, r.bottom};
  if (Index == FItems->Count() && Index > 0) {
    TRect last = ItemRect(Index - 1);
    return {last.Left, last.Bottom, last.Right, last.Bottom + last.Height()};
  }
  return {};
}

void TCustomListBox::Clear() {
  FItems->Clear();
  FSavedIndex = -1;
  FSavedSelection.clear();
}

void TCustomListBox::ClearSelection() {
  if (FMultiSelect) SendMessageW(Handle(), LB_SETSEL, FALSE, -1);
  else SetItemIndex(-1);
}

void TCustomListBox::SelectAll() {
  if (FMultiSelect) SendMessageW(Handle(), LB_SETSEL, TRUE, -1);
}

void TCustomListBox::DrawItem(Integer Index, TRect Rect, TItemDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case LBN_SELCHANGE:
          Changed();
          Click();
          break;
        case LBN_DBLCLK: DblClick(); break;
      }
      return;
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      TItemDrawState state = DrawStateOf(dis->itemState);
      FCanvas->Lock();
      FCanvas->SetHandle(dis->hDC);
      FCanvas->Font()->Assign(FFont.get());
      FCanvas->Brush()->Assign(FBrush.get());
      if (state.Contains(odsSelected)) {
        FCanvas->Brush()->SetColor(clHighlight);
        FCanvas->Font()->SetColor(clHighlightText);
      }
      try {
        if (int(dis->itemID) >= 0)
          DrawItem(Integer(dis->itemID), {dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom}, state);
        else
          FCanvas->FillRect({dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom});
      } catch (...) {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
        throw;
      }
      if (state.Contains(odsFocused)) DrawFocusRect(dis->hDC, &dis->rcItem);
      FCanvas->SetHandle(nullptr);
      FCanvas->Unlock();
      Message.Result = 1;
      return;
    }
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      Integer h = FItemHeight;
      if (FStyle == lbOwnerDrawVariable) MeasureItem(Integer(mis->itemID), h);
      mis->itemHeight = UINT(h);
      Message.Result = 1;
      return;
    }
  }
  TCustomListControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable};
  FWidth = 185;
  FHeight = 105;
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(FFont.get());
  Rect.Top += scratch.Canvas()->TextHeight("0");
  InflateRect(Rect, -1, -1);
  if (FCtl3D) InflateRect(Rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(FFont.get());
  Integer h = c->TextHeight("0");
  c->Brush()->SetColor(FColor);
  c->FillRect(ClientRect());
  TRect frame(0, h / 2 - 1, FWidth, FHeight);
  DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&frame), EDGE_ETCHED, BF_RECT);
  String text = Caption();
  if (!text.empty()) {
    std::u16string w = ToUtf16(text);
    RECT r{8, 0, 0, h};
    HDC dc = c->Handle();
    DrawTextW(dc, W(w), int(w.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    c->Brush()->SetColor(FColor);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(FColor));
    SetTextColor(dc, ColorToRGB(IsEnabled() ? FFont->Color() : clGrayText));
    DrawTextW(dc, W(w), int(w.size()), &r, DT_SINGLELINE);
  }
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
        SelectFirst();
        Message.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      Realign();
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TScrollBar

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 121;
  FHeight = GetSystemMetrics(SM_CYHSCROLL);
  FTabStop = true;
  FControlStyle = {csFramed, csDoubleClicks};
}

void TScrollBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"SCROLLBAR");
  Params.Style |= FKind == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::InitializeWindow() { UpdateScrollInfo(); }

void TScrollBar::UpdateScrollInfo() {
  if (!FHandle) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  si.nMin = FMin;
  si.nMax = FMax;
  si.nPage = UINT(FPageSize);
  si.nPos = FPosition;
  SetScrollInfo(FHandle, SB_CTL, &si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind v) {
  if (FKind == v) return;
  FKind = v;
  if (!ComponentState().Contains(csLoading)) SetBounds(FLeft, FTop, FHeight, FWidth);
  RecreateWnd();
}

void TScrollBar::SetPageSize(Integer v) {
  if (v < 0 || v > FMax - FMin + 1) throw EInvalidOperation("Property value out of range");
  FPageSize = v;
  UpdateScrollInfo();
}

void TScrollBar::SetParams(Integer APosition, Integer AMin, Integer AMax) {
  if (AMax < AMin || AMax < FPageSize) throw EInvalidOperation("Property value out of range");
  APosition = std::clamp(APosition, AMin, AMax);
  bool changed = APosition != FPosition;
  FMin = AMin;
  FMax = AMax;
  FPosition = APosition;
  UpdateScrollInfo();
  if (changed) Change();
}

void TScrollBar::Change() {
  TWinControl::Changed();
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, Integer& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL) {
    Integer pos = FPosition;
    TScrollCode code = scEndScroll;
    switch (LOWORD(Message.WParam)) {
      case SB_LINEUP: code = scLineUp; pos -= FSmallChange; break;
      case SB_LINEDOWN: code = scLineDown; pos += FSmallChange; break;
      case SB_PAGEUP: code = scPageUp; pos -= FLargeChange; break;
      case SB_PAGEDOWN: code = scPageDown; pos += FLargeChange; break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK: {
        code = LOWORD(Message.WParam) == SB_THUMBTRACK ? scTrack : scPosition;
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(FHandle, SB_CTL, &si);
        pos = si.nTrackPos;
        break;
      }
      case SB_TOP: code = scTop; pos = FMin; break;
      case SB_BOTTOM: code = scBottom; pos = FMax; break;
      default: break;
    }
    pos = std::clamp(pos, FMin, std::max(FMin, FMax - std::max(0, FPageSize - 1)));
    Scroll(code, pos);
    SetPosition(pos);
    return;
  }
  TWinControl::Dispatch(Message);
}
