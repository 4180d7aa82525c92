// Drop-down lists of the data grid's columns: the column settings for them
// (drop-down box and grid, special row, MRU list, lookup display fields),
// and how the in-cell editor opens and closes its pick list, lookup grid,
// calendar, calculator and MRU list, routes keys while one is open,
// completes typed and pasted text against a list and steps values.
#include <algorithm>

#include "CalculatorEh.h"
#include "Clipbrd.h"
#include "DBGridEh.h"
#include "DBLookupGridsEh.h"
#include "DateUtils.h"
#include "PlatformEh.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TColumnDropDownBoxEh, TPersistent)

// The drop-down grid's events through its host.
#define DROPDOWN_EVENT_EH(Name, Type, Member)                                                    \
  Type IDropDownGridHostEh::OnDropDownBox##Name() { return GetDropDownGrid()->Member; }          \
  void IDropDownGridHostEh::SetOnDropDownBox##Name(Type Value) { GetDropDownGrid()->Member = Value; }
DROPDOWN_EVENT_EH(CheckButton, TCheckTitleBtnEventEh, OnCheckButton)
DROPDOWN_EVENT_EH(DrawColumnCell, TDrawColumnEhCellEvent, OnDrawColumnCell)
DROPDOWN_EVENT_EH(GetCellParams, TGetCellEhParamsEvent, OnGetCellParams)
DROPDOWN_EVENT_EH(SortMarkingChanged, TNotifyEvent, OnSortMarkingChanged)
DROPDOWN_EVENT_EH(TitleBtnClick, TTitleClickEventEh, OnTitleBtnClick)
#undef DROPDOWN_EVENT_EH
TOVANI_PUBLISHED(TColumnDropDownBoxEh) {
  using B = TColumnDropDownBoxEh;
  Property("AutoFitColWidths", &B::AutoFitColWidths, &B::SetAutoFitColWidths).Default(true);
  Property("ColumnDefValues", &B::ColumnDefValues, &B::SetColumnDefValues);
  Property("Columns", &B::Columns, &B::SetColumns).Stored([](TObject* o) {
    return static_cast<B*>(o)->ColumnsStored();
  });
  Property("ListSource", &B::ListSource, &B::SetListSource);
  Property<TDBLookupGridEhOptions>(
      "Options", [](B* b) { return TDBLookupGridEhOptions::FromMask(b->Options()); },
      [](B* b, TDBLookupGridEhOptions v) { b->SetOptions(Byte(v.Mask())); })
      .Stored([](TObject* o) { return static_cast<B*>(o)->Options() != Byte(1u << dlgColLinesEh); });
  Property("SortLocal", &B::SortLocal, &B::SetSortLocal).Default(false);
  Property("UseMultiTitle", &B::UseMultiTitle, &B::SetUseMultiTitle).Default(false);
}

// ---------------------------------------------------------------------------
// The column's drop-down box

TColumnDropDownBoxEh::TColumnDropDownBoxEh(TPersistent* AOwner)
    : FOwner(AOwner), FSpecRow(std::make_unique<TSpecRowEh>(this)) {}

TColumnDropDownBoxEh::~TColumnDropDownBoxEh() = default;

IDropDownGridHostEh* TColumnDropDownBoxEh::Host() const { return dynamic_cast<IDropDownGridHostEh*>(FOwner); }

TDBGridColumnsEh* TColumnDropDownBoxEh::Columns() const {
  IDropDownGridHostEh* h = Host();
  return h ? h->GetDropDownGrid()->Columns() : nullptr;
}

void TColumnDropDownBoxEh::SetColumns(TDBGridColumnsEh* v) {
  if (TDBGridColumnsEh* c = Columns()) c->Assign(v);
}

bool TColumnDropDownBoxEh::ColumnsStored() const {
  TDBGridColumnsEh* c = Columns();
  return c && c->IsCustomized();
}

TColumnDefValuesEh* TColumnDropDownBoxEh::ColumnDefValues() const {
  IDropDownGridHostEh* h = Host();
  return h ? h->GetDropDownGrid()->ColumnDefValues() : nullptr;
}

void TColumnDropDownBoxEh::SetColumnDefValues(TColumnDefValuesEh* v) {
  if (TColumnDefValuesEh* d = ColumnDefValues()) d->Assign(v);
}

void TColumnDropDownBoxEh::SetListSource(TDataSource* v) {
  if (FListSource == v) return;
  FListSource = v;
  if (IDropDownGridHostEh* h = Host()) h->NotifyListSource(v);
}

Byte TColumnDropDownBoxEh::Options() const {
  IDropDownGridHostEh* h = Host();
  return h ? h->GetDropDownGridOptions() : 0;
}

void TColumnDropDownBoxEh::SetOptions(Byte v) {
  if (IDropDownGridHostEh* h = Host()) h->SetDropDownGridOptions(v);
}

bool TColumnDropDownBoxEh::SortLocal() const {
  IDropDownGridHostEh* h = Host();
  return h && h->GetDropDownGrid()->SortLocal();
}

void TColumnDropDownBoxEh::SetSortLocal(bool v) {
  if (IDropDownGridHostEh* h = Host()) h->GetDropDownGrid()->SetSortLocal(v);
}

void TColumnDropDownBoxEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TColumnDropDownBoxEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  FAlign = src->FAlign;
  FAutoDrop = src->FAutoDrop;
  FAutoFitColWidths = src->FAutoFitColWidths;
  if (TColumnDefValuesEh* d = src->ColumnDefValues()) SetColumnDefValues(d);
  if (src->ColumnsStored()) SetColumns(src->Columns());
  else if (TDBGridColumnsEh* own = Columns()) own->Clear();
  SetOptions(src->Options());
  FRows = src->FRows;
  FWidth = src->FWidth;
  FSizable = src->FSizable;
  FShowTitles = src->FShowTitles;
  FUseMultiTitle = src->FUseMultiTitle;
  SetListSource(src->FListSource);
}

// ---------------------------------------------------------------------------
// Column settings of the drop-downs

namespace {
const TColumnDefValuesEh* GridDefaults(const TColumnEh* c) {
  TCustomDBGridEh* g = c->Grid();
  return g ? g->ColumnDefValues() : nullptr;
}
}  // namespace

bool TColumnEh::AutoDropDown() const {
  if (FAssignedValues & cvAutoDropDown) return FAutoDropDown;
  const TColumnDefValuesEh* d = GridDefaults(this);
  return d && d->AutoDropDown();
}
void TColumnEh::SetAutoDropDown(bool v) {
  FAutoDropDown = v;
  FAssignedValues |= cvAutoDropDown;
}

bool TColumnEh::DropDownShowTitles() const {
  if (FAssignedValues & cvDropDownShowTitles) return FDropDownShowTitles;
  const TColumnDefValuesEh* d = GridDefaults(this);
  return d && d->DropDownShowTitles();
}
void TColumnEh::SetDropDownShowTitles(bool v) {
  FDropDownShowTitles = v;
  FAssignedValues |= cvDropDownShowTitles;
}

bool TColumnEh::DropDownSizing() const {
  if (FAssignedValues & cvDropDownSizing) return FDropDownSizing;
  const TColumnDefValuesEh* d = GridDefaults(this);
  return d && d->DropDownSizing();
}
void TColumnEh::SetDropDownSizing(bool v) {
  FDropDownSizing = v;
  FAssignedValues |= cvDropDownSizing;
}

void TColumnEh::SetDropDownSpecRow(TSpecRowEh* v) {
  FDropDownSpecRow->Assign(v);
  DropDownSpecRowChanged();
}

void TColumnEh::DropDownSpecRowChanged() {
  Changed(false);
  if (FDropDownGrid) FDropDownGrid->SetSpecRow(FDropDownSpecRow.get());
}

String TColumnEh::LookupDisplayFields() {
  if (FAssignedValues & cvLookupDisplayFields) return FLookupDisplayFields;
  TField* f = Field();
  return f ? f->LookupResultField() : String();
}

void TColumnEh::SetLookupDisplayFields(const String& v) {
  String saved = FLookupDisplayFields;
  uint32_t savedBits = FAssignedValues;
  FAssignedValues &= ~uint32_t(cvLookupDisplayFields);
  String inherited = LookupDisplayFields();
  FAssignedValues = savedBits;
  FLookupDisplayFields = saved;
  if ((FAssignedValues & cvLookupDisplayFields) || v != inherited) {
    FLookupDisplayFields = v;
    FAssignedValues |= cvLookupDisplayFields;
    if (FDropDownGrid) FDropDownGrid->SetListField(v);
  }
  Changed(false);
}

void TColumnEh::SetMRUList(TMRUListEh* v) { FMRUList->Assign(v); }

void TColumnEh::SetDropDownBox(TColumnDropDownBoxEh* v) { FDropDownBox->Assign(v); }

TPopupDataGridEh* TColumnEh::GetDropDownGrid() {
  if (!FDropDownGrid) {
    FDropDownGrid = new TPopupDataGridEh(nullptr);
    FDropDownGrid->SetName("DataList");
    FDropDownGrid->SetSpecRow(FDropDownSpecRow.get());
  }
  return FDropDownGrid;
}

void TColumnEh::NotifyListSource(TComponent* Component) {
  if (Component)
    if (TCustomDBGridEh* g = Grid()) Component->FreeNotification(g);
}

Byte TColumnEh::GetDropDownGridOptions() { return Byte(GetDropDownGrid()->LookupOptions().Mask()); }

void TColumnEh::SetDropDownGridOptions(Byte Options) {
  GetDropDownGrid()->SetLookupOptions(TDBLookupGridEhOptions::FromMask(Options));
}

// ---------------------------------------------------------------------------
// The in-cell editor's drop-downs

namespace {

// Whether Window is Parent or lies inside it.
bool IsWindowOrChild(TWinControl* Parent, HWND Window) {
  if (!Parent || !Parent->HandleAllocated() || !Window) return false;
  return Window == Parent->Handle() || IsChild(Parent->Handle(), Window);
}

bool IsKeyListColumn(TColumnEh* c) { return c && c->PickList()->Count() > 0 && c->KeyList()->Count() > 0; }

TDataSet* LookupDataSetOf(TColumnEh* c) {
  TField* f = c ? c->Field() : nullptr;
  return f && f->FieldKind() == fkLookup ? f->LookupDataSet() : nullptr;
}

String TextPart(const String& s, Integer chars) { return Utf8Left(s, size_t(std::max(0, chars))); }

Integer CharCount(const String& s) { return Integer(Utf8Length(s)); }

std::u32string Utf8ToUtf32(const String& s) {
  std::u32string w;
  for (size_t pos = 0; pos < s.size();) w += Utf8Decode(s, pos);
  return w;
}

String Utf32ToUtf8(const std::u32string& w) {
  String s;
  for (char32_t ch : w) Utf8Append(s, ch);
  return s;
}

}  // namespace

Integer TDBGridInplaceEdit::FindListItem(TStrings* Strings, const String& Text, Integer Options) {
  const Integer n = CharCount(Text);
  for (Integer i = 0; i < Strings->Count(); ++i) {
    String item = Options == 2 ? TextPart(Strings->Strings(i), n) : Strings->Strings(i);
    if (AnsiCompareTextEh(item, Text) == 0) return i;
  }
  return -1;
}

TPopupCalculatorEh* TDBGridInplaceEdit::GetCalculator() {
  if (!FCalculator) {
    FCalculator = new TPopupCalculatorEh(this);
    FCalculator->SetVisible(false);
    FCalculator->SetParent(this);
    if (HandleAllocated()) FCalculator->HandleNeeded();
  }
  return FCalculator;
}

void TDBGridInplaceEdit::DropDown() {
  if (FListVisible || !FActiveList) return;
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!g || !c) return;
  FActiveList->SetWidth(Width());
  if (FEditStyle == esLookup) {
    TDataSet* lookup = LookupDataSetOf(c);
    if (!lookup) return;
    TPopupDataGridEh* lg = FLookupGrid;
    lg->SetAutoFitColWidths(false);
    lg->SetColor(Color());
    lg->SetFont(Font());
    lg->SetSpecRow(c->DropDownSpecRow());
    Integer rows = c->DropDownRows();
    Integer count = lookup->RecordCount();
    if (lookup->IsSequenced() && count < rows) rows = std::max<Integer>(1, count);
    lg->SetShowTitles(c->DropDownShowTitles());
    if (!FLookupSource) FLookupSource = std::make_unique<TDataSource>();
    FLookupSource->SetDataSet(lookup);
    lg->SetKeyField(c->Field()->LookupKeyFields());
    lg->SetListField(c->LookupDisplayFields());
    lg->SetUseMultiTitle(c->DropDownBox()->UseMultiTitle());
    lg->SetListSource(FLookupSource.get());
    lg->HandleNeeded();
    lg->SetRowCount(rows);
    Integer w = c->DropDownWidth();
    if (w == -1) lg->SetClientWidth(lg->GetColumnsWidth());
    else lg->SetWidth(w <= 0 ? Width() : w);
    if (lg->Width() < Width()) lg->SetWidth(Width());
    lg->SetKeyValue(g->EditKeyValue());
    FSpecRowChosen = false;
    lg->SetAutoFitColWidths(c->DropDownBox()->AutoFitColWidths());
  } else if (FEditStyle == esDate) {
    FCalendar->SetColor(Color());
    FCalendar->SetFont(Font());
    TDateTime d = 0;
    String text = Text();
    if (text.empty()) {
      d = Date();
    } else if (!TryStrToDate(text, d)) {
      TField* f = c->Field();
      d = f && !f->IsNull() && f->AsDateTime() != 0 ? f->AsDateTime() : Date();
    }
    FCalendar->HandleNeeded();
    FCalendar->SetDate(d);
    RECT r{};
    SendMessageW(FCalendar->Handle(), MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r));
    FCalendar->SetBounds(0, 0, r.right - r.left + 4, r.bottom - r.top + 4);
  } else if (FActiveList == FCalculator) {
    String text = Text();
    Extended v = 0;
    if (!text.empty() && !TryStrToFloat(text, v)) v = 0;
    FCalculator->SetValue(Variant(double(v)));
    FCalculator->SetFlat(g->Flat());
    HideCaret(Handle());
    SetSelLength(0);
  } else if (FEditStyle == esPickList) {
    TPopupListboxEh* lb = FPickListBox;
    lb->SetColor(Color());
    lb->SetFont(Font());
    TStrings* items = lb->Items();
    items->BeginUpdate();
    items->Clear();
    Integer n = c->KeyList()->Count() > 0 ? std::min(c->KeyList()->Count(), c->PickList()->Count())
                                          : c->PickList()->Count();
    for (Integer i = 0; i < n; ++i) items->AddObject(c->PickList()->Strings(i), c->PickList()->Objects(i));
    items->EndUpdate();
    lb->HandleNeeded();
    Integer itemHeight = lb->GetFontTextHeight();
    lb->SetItemHeight(itemHeight);
    Integer rows = std::min<Integer>(std::max<Integer>(n, 1), c->DropDownRows());
    lb->SetHeight(itemHeight * rows + 4);
    TField* f = c->Field();
    if (!f || f->IsNull()) lb->SetItemIndex(-1);
    else if (c->KeyList()->Count() > 0) lb->SetItemIndex(c->PickList()->IndexOf(Text()));
    else lb->SetItemIndex(items->IndexOf(Text()));
    Integer widest = 0;
    lb->Canvas()->Font()->Assign(lb->Font());
    for (Integer i = 0; i < n; ++i) widest = std::max(widest, lb->Canvas()->TextWidth(items->Strings(i)));
    Integer w = c->DropDownWidth() > 0 ? c->DropDownWidth() : Width();
    lb->SetWidth(std::max(w, widest + 4 + (lb->Width() - lb->ClientWidth())));
  }
  MRUCloseUp(false);
  TPoint p = FitDropDownToControlEh(this, FActiveList, UseRightToLeftAlignment() ? 1 : 0);
  SetWindowPos(FActiveList->Handle(), HWND_TOP, p.X, p.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (FEditStyle == esLookup) {
    FLookupGrid->SetVisible(true);
    FLookupGrid->SizeGrip()->SetGripVisible(c->DropDownSizing());
    FLookupGrid->SetRowCount(FLookupGrid->RowCount());
    FLookupGrid->SetSizeChanged(false);
  } else if (FEditStyle == esPickList) {
    FPickListBox->SizeGrip()->SetGripVisible(c->DropDownSizing());
    FPickListBox->SetSizeChanged(false);
  } else if (FActiveList == FCalculator) {
    FCalculator->SetVisible(true);
  } else {
    FActiveList->SetVisible(true);
  }
  FListVisible = true;
  InvalidateWithGrid();
  if (HandleAllocated() && GetFocus() != Handle()) ::SetFocus(Handle());
  if (!FButtonControls.empty() && FButtonControls[0].EditButtonControl)
    FButtonControls[0].EditButtonControl->SetHeldDown(true);
}

void TDBGridInplaceEdit::CloseUp(bool Accept) {
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  Variant value = Variant::Null();
  if (FActiveList && IsWindowOrChild(FActiveList, GetFocus()) && HandleAllocated()) ::SetFocus(Handle());
  if (!FListVisible || !g || !c) return;
  if (!FButtonControls.empty() && FButtonControls[0].EditButtonControl)
    FButtonControls[0].EditButtonControl->SetHeldDown(false);
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  if (FEditStyle == esLookup) {
    value = FLookupGrid->KeyValue();
    if (FLookupGrid->SizeChanged()) {
      c->SetDropDownRows(FLookupGrid->RowCount());
      c->SetDropDownWidth(FLookupGrid->Width());
    }
    if (FSpecRowChosen) c->DropDownSpecRow()->SetCellsText(FLookupGrid->SpecRow()->CellsText());
  } else if (FEditStyle == esPickList) {
    Integer i = FPickListBox->ItemIndex();
    if (i >= 0) value = IsKeyListColumn(c) ? Variant(c->KeyList()->Strings(i)) : Variant(FPickListBox->Items()->Strings(i));
    if (FPickListBox->SizeChanged()) {
      Integer h = std::max<Integer>(1, FPickListBox->ItemHeight());
      c->SetDropDownRows(FPickListBox->ClientHeight() / h);
      c->SetDropDownWidth(FPickListBox->Width());
    }
  }
  if (FActiveList->HandleAllocated())
    SetWindowPos(FActiveList->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  FActiveList->SetVisible(false);
  FListVisible = false;
  if (FLookupGrid && FEditStyle == esLookup) {
    FLookupGrid->SetAutoFitColWidths(false);
    FLookupGrid->SetListSource(nullptr);
  }
  if (FLookupSource) FLookupSource->SetDataSet(nullptr);
  Invalidate();
  if (HandleAllocated()) ShowCaret(Handle());

  if (!Accept) {
    if (FEditStyle == esLookup || FEditStyle == esPickList) SetText(g->EditText());
    return;
  }
  if (FEditStyle == esLookup) {
    TDataSet* lookup = LookupDataSetOf(c);
    TField* f = c->Field();
    if (c->OnNotInList && lookup &&
        !lookup->Locate(f->LookupResultField(), Variant(Text()), TLocateOptions{loCaseInsensitive}))
      return;
    String shown = FLookupGrid->Text();
    try {
      if (EditCanModify() && c->CanModifyCell(true)) {
        g->SetEditKeyValue(value);
        g->SetEditText(shown);
      }
    } catch (...) {
      SetText(f->Text() + " ");
      throw;
    }
    SetText(shown);
    SelectAll();
  } else if (FEditStyle == esDate) {
    if (c->CanModifyCell(true) && EditCanModify()) {
      TDateTime d = FCalendar->Date();
      c->WriteCellValue(FormatDateTime(FormatSettings().ShortDateFormat, d), Variant::FromDate(d), false);
    }
  } else if (FActiveList == FCalculator) {
    if (c->CanModifyCell(true) && EditCanModify()) {
      Variant v = FCalculator->GetValue();
      if (VarIsNumeric(v)) {
        String text = FloatToStr(v.AsDouble());
        SetText(text);
        g->SetEditText(text);
        SelectAll();
      }
    }
  } else if (FEditStyle == esPickList) {
    if (!value.IsNull() && EditCanModify()) {
      Integer i = FPickListBox->ItemIndex();
      String text = IsKeyListColumn(c) && i >= 0 ? FPickListBox->Items()->Strings(i) : VarToStr(value);
      SetText(text);
      g->SetEditText(text);
    }
  }
}

void TDBGridInplaceEdit::DropDownKeys(Word& Key, TShiftState Shift) {
  const bool alt = Shift.Contains(ssAlt);
  switch (Key) {
    case VK_RETURN:
    case VK_ESCAPE:
      if (FListVisible && !alt && FActiveList != FCalculator) {
        CloseUp(Key == VK_RETURN);
        Key = 0;
      } else if (!FListVisible && Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
        DropDown();
        Key = 0;
      }
      break;
    case VK_UP:
    case VK_DOWN:
      if (alt) {
        if (FListVisible) CloseUp(true);
        else DropDown();
        Key = 0;
      }
      break;
    default: break;
  }
}

// The list's current entry shown in the editor after a key moved it.
void TDBGridInplaceEdit::ShowListText() {
  if (FEditStyle == esLookup && FLookupGrid) {
    SetText(FLookupGrid->Text());
    SelectAll();
  } else if (FEditStyle == esPickList && FPickListBox) {
    Integer i = FPickListBox->ItemIndex();
    if (i >= 0 && FPickListBox->Items()->Strings(i) != Text()) {
      SetText(FPickListBox->Items()->Strings(i));
      SelectAll();
    }
  }
}

void TDBGridInplaceEdit::WndProc(TMessage& Message) {
  const UINT msg = Message.Msg;
  const bool keyMsg = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN || msg == WM_CHAR;
  const bool listStyle = FEditStyle == esPickList || FEditStyle == esLookup || FEditStyle == esDate ||
                         (FActiveList && FActiveList == FCalculator);
  if (keyMsg && listStyle) {
    Word key = Word(Message.WParam);
    TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (msg != WM_CHAR) {
      DropDownKeys(key, shift);
    } else if ((key == VK_RETURN || key == VK_ESCAPE) && FListVisible && FActiveList != FCalculator) {
      key = 0;   // the key-down already closed the list
    }
    if (key == 0) return;
    TColumnEh* c = Column();
    if (msg == WM_CHAR && key >= 32 && !FListVisible && c && c->AutoDropDown()) DropDown();
    if (FListVisible) {
      if (FActiveList == FCalculator) {
        if ((msg == WM_CHAR && (key == VK_RETURN || key == VK_ESCAPE || (key >= 32 && key <= 126))) ||
            (msg == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE))) {
          SendMessageW(FCalculator->Handle(), msg, Message.WParam, Message.LParam);
          return;
        }
      } else if (msg == WM_KEYDOWN) {
        const bool shiftHeld = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl);
        bool toList = ((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !shiftHeld) ||
                      ((key == VK_HOME || key == VK_END) && ctrl) ||
                      ((key == VK_LEFT || key == VK_RIGHT) && FEditStyle == esDate);
        if (toList) {
          SendMessageW(FActiveList->Handle(), msg, Message.WParam, Message.LParam);
          ShowListText();
          return;
        }
      }
    }
  }
  if (FMRUListBox && Column() && Column()->MRUList()->DroppedDown()) {
    Word key = Word(Message.WParam);
    TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (msg == WM_KEYDOWN && !shift.Contains(ssAlt) &&
        (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN ||
         ((key == VK_HOME || key == VK_END) && shift.Contains(ssCtrl)))) {
      SendMessageW(FMRUListBox->Handle(), msg, Message.WParam, Message.LParam);
      return;
    }
    if (msg == WM_CHAR && (key == VK_RETURN || key == VK_ESCAPE)) {
      MRUCloseUp(key == VK_RETURN);
      return;
    }
  }
  if (msg == WM_PASTE && FEditStyle != esText) {
    TColumnEh* c = Column();
    if (c && (FEditStyle == esLookup || IsKeyListColumn(c))) {
      if (DBGrid()->DataEditable() && c->CanModifyCell(false)) PasteIntoList();
      return;
    }
  }
  if (msg == WM_KILLFOCUS) {
    HWND to = reinterpret_cast<HWND>(Message.WParam);
    if (FListVisible && !IsWindowOrChild(FActiveList, to)) CloseUp(false);
    else if (FMRUListBox && !IsWindowOrChild(FMRUListBox, to)) MRUCloseUp(false);
  }
  TInplaceEdit::WndProc(Message);
  if (msg == WM_CHAR || msg == WM_CUT || msg == WM_CLEAR || msg == WM_PASTE || msg == WM_UNDO)
    if (FTextChanged) {
      FTextChanged = false;
      UpdateMRUList();
    }
}

void TDBGridInplaceEdit::PasteIntoList() {
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!Clipboard()->HasFormat(CF_TEXT) && !Clipboard()->HasFormat(CF_UNICODETEXT)) return;
  std::u32string chars = WindowChars();
  Integer start = SelStart(), len = SelLength();
  std::u32string pasted = Utf8ToUtf32(Clipboard()->AsText());
  std::u32string whole = chars.substr(0, size_t(start)) + pasted + chars.substr(size_t(start + len));
  String typed = Utf32ToUtf8(whole);
  if (FEditStyle == esLookup) {
    TDataSet* lookup = LookupDataSetOf(c);
    if (!lookup) return;
    TField* f = c->Field();
    String shown;
    Variant value = Variant::Null();
    bool matched = lookup->Locate(f->LookupResultField(), Variant(typed), TLocateOptions{loCaseInsensitive, loPartialKey});
    if (matched) {
      shown = lookup->FieldByName(f->LookupResultField())->Text();
      value = lookup->FieldValues(f->LookupKeyFields());
    } else if (c->OnNotInList) {
      shown = typed;
    } else {
      return;
    }
    if (!c->CanModifyCell(true)) return;
    SetText(shown);
    if (matched) {
      SetSelStart(Integer(whole.size()));
      SetSelLength(CharCount(shown) - Integer(whole.size()));
    }
    g->SetEditKeyValue(value);
    g->SetEditText(shown);
    if (FLookupGrid) FLookupGrid->SetKeyValue(value);
  } else {
    Integer index = FindListItem(c->PickList(), typed, 2);
    String shown;
    if (index >= 0 && EditCanModify()) shown = c->PickList()->Strings(index);
    else if (c->OnNotInList) shown = typed;
    else return;
    if (!c->CanModifyCell(true)) return;
    SetText(shown);
    g->SetEditText(shown);
    if (FPickListBox) FPickListBox->SetItemIndex(index);
  }
}

bool TDBGridInplaceEdit::IsControlText(const String& Text) const {
  return Text.size() == 1 && Byte(Text[0]) < 32 && Text[0] != 8;
}

void TDBGridInplaceEdit::ProcessTypedText(String& Text) {
  if (IsControlText(Text)) return;
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!g || !c) return;
  const bool backspace = Text.size() == 1 && Text[0] == 8;
  std::u32string chars = WindowChars();
  Integer caret = SelStart();
  if (FEditStyle == esLookup && EditCanModify() && g->DataEditable() && LookupDataSetOf(c)) {
    if (backspace) {
      Text.clear();
      return;
    }
    String typed = Utf32ToUtf8(chars.substr(0, size_t(caret))) + Text;
    Text.clear();
    TDataSet* lookup = LookupDataSetOf(c);
    TField* f = c->Field();
    if (lookup->Locate(f->LookupResultField(), Variant(typed), TLocateOptions{loCaseInsensitive, loPartialKey})) {
      if (!c->CanModifyCell(true)) return;
      String shown = lookup->FieldByName(f->LookupResultField())->Text();
      Variant key = lookup->FieldValues(f->LookupKeyFields());
      SetText(shown);
      Integer typedChars = CharCount(typed);
      SetSelStart(typedChars);
      SetSelLength(CharCount(shown) - typedChars);
      g->SetEditKeyValue(key);
      g->SetEditText(shown);
      if (FLookupGrid) FLookupGrid->SetKeyValue(key);
    } else if (c->OnNotInList) {
      if (!c->CanModifyCell(true)) return;
      SetText(typed);
      SetSelStart(CharCount(typed));
      g->SetEditKeyValue(Variant::Null());
      g->SetEditText(typed);
      if (FLookupGrid) FLookupGrid->SetKeyValue(Variant::Null());
    }
    return;
  }
  const bool keyList = IsKeyListColumn(c);
  if ((keyList || FEditStyle == esPickList) && EditCanModify()) {
    if (backspace) {
      if (keyList) Text.clear();
      return;
    }
    String typed = Utf32ToUtf8(chars.substr(0, size_t(caret))) + Text;
    Integer index = FindListItem(c->PickList(), typed, 2);
    if (index >= 0) {
      Text.clear();
      if (!c->CanModifyCell(true)) return;
      String shown = c->PickList()->Strings(index);
      SetText(shown);
      Integer typedChars = CharCount(typed);
      SetSelStart(typedChars);
      SetSelLength(CharCount(shown) - typedChars);
      g->SetEditText(shown);
      if (FPickListBox) FPickListBox->SetItemIndex(index);
    } else if (c->OnNotInList && keyList) {
      if (c->CanModifyCell(true)) {
        SetText(typed);
        SetSelStart(CharCount(typed));
        g->SetEditKeyValue(Variant::Null());
        g->SetEditText(typed);
        if (FPickListBox) FPickListBox->SetItemIndex(-1);
      }
    }
    if (keyList) Text.clear();
  }
}

void TDBGridInplaceEdit::UpdateGridEditValue() {
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!g || !c || !c->CanModifyCell(true)) return;
  g->SetEditText(Text());
  if (FEditStyle == esLookup) {
    TDataSet* lookup = LookupDataSetOf(c);
    TField* f = c->Field();
    if (lookup && lookup->Locate(f->LookupResultField(), Variant(Text()), TLocateOptions{loCaseInsensitive}))
      g->SetEditKeyValue(lookup->FieldValues(f->LookupKeyFields()));
    else
      g->SetEditKeyValue(Variant::Null());
    if (FLookupGrid) FLookupGrid->SetKeyValue(g->EditKeyValue());
  } else if (FPickListBox) {
    Integer found = -1;
    for (Integer i = 0; i < FPickListBox->Items()->Count() && found < 0; ++i)
      if (AnsiCompareTextEh(FPickListBox->Items()->Strings(i), g->EditText()) == 0) found = i;
    FPickListBox->SetItemIndex(found);
  }
}

void TDBGridInplaceEdit::StepValue(bool Down) {
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!g || !c || !c->CanModifyCell(true)) return;
  if (g->GetCellEditText(g->Col(), g->Row()) != Text()) {
    g->SetEditText(Text());
    g->SetCellEditText(g->Col(), g->Row(), Text());
  }
  double step = Down ? -c->Increment() : c->Increment();
  // In lists the upper half goes to the previous entry.
  if (c->GetCellKind() != cckText) step = -step;
  c->StepCellValue(step);
}

// ---------------------------------------------------------------------------
// The list of recent texts

TMRUListboxEh* TDBGridInplaceEdit::GetMRUListBox() {
  if (!FMRUListBox) {
    FMRUListBox = new TMRUListboxEh(this);
    FMRUListBox->SetVisible(false);
    FMRUListBox->SetCtl3D(false);
    FMRUListBox->SetParent(this);
    FMRUListBox->SetSorted(true);
    FMRUListBox->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
      if (Button == mbLeft) MRUCloseUp(FMRUListBox->ClientRect().Contains(TPoint(X, Y)));
    };
    FMRUListBox->SizeGrip()->OnParentResized = [this](TObject*) { MRUListBoxResized(); };
  }
  return FMRUListBox;
}

void TDBGridInplaceEdit::FilterMRUItem(const String& Item, bool& Accept) {
  TColumnEh* c = Column();
  String text = Text();
  String head = TextPart(Item, CharCount(text));
  Accept = c && c->MRUList()->CaseSensitive() ? head == text : AnsiCompareTextEh(head, text) == 0;
  if (c && c->MRUList()->OnFilterItem) c->MRUList()->OnFilterItem(c, Accept);
}

void TDBGridInplaceEdit::UpdateMRUList() {
  TColumnEh* c = Column();
  if (!c || !HandleAllocated()) return;
  TMRUListEh* mru = c->MRUList();
  String empty = IsMasked() ? FormatMaskText(EditMask(), String()) : String();
  if (mru->DroppedDown() && Text() == empty) {
    MRUCloseUp(false);
    return;
  }
  if (!mru->Active() || !IsWindowShown() || FListVisible || Text() == empty) {
    if (!mru->DroppedDown()) return;
  }
  TMRUListboxEh* lb = GetMRUListBox();
  TStrings* items = lb->Items();
  items->BeginUpdate();
  items->Clear();
  bool complete = true;
  for (Integer i = 0; i < mru->Items()->Count(); ++i) {
    bool accept = false;
    FilterMRUItem(mru->Items()->Strings(i), accept);
    if (accept) items->Add(mru->Items()->Strings(i));
  }
  items->EndUpdate();
  if (!complete) {
    MRUCloseUp(false);
    return;
  }
  RECT fr{};
  SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  POINT tl{fr.left, fr.top}, br{fr.right, fr.bottom};
  ::ClientToScreen(Handle(), &tl);
  ::ClientToScreen(Handle(), &br);
  TRect screenRect(tl.x, tl.y, br.x, br.y);
  // The list hangs under the editor's whole height.
  RECT wr{};
  GetWindowRect(Handle(), &wr);
  screenRect.Bottom = wr.bottom;
  if (items->Count() == 0) {
    MRUCloseUp(false);
    return;
  }
  if (mru->DroppedDown()) {
    TPoint p = FitDropDownToRectEh(screenRect, lb, 0);
    SetWindowPos(lb->Handle(), HWND_TOP, p.X, p.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  lb->SetColor(Color());
  lb->SetFont(Font());
  lb->HandleNeeded();
  lb->SetItemHeight(lb->GetFontTextHeight());
  lb->SetItemIndex(-1);
  lb->SetRowCount(std::min(items->Count(), mru->Rows()));
  lb->SetWidth(mru->Width() > 0 && mru->Width() > screenRect.Width() ? mru->Width() : screenRect.Width());
  TPoint p = FitDropDownToRectEh(screenRect, lb, 0);
  SetWindowPos(lb->Handle(), HWND_TOP, p.X, p.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  lb->SetVisible(true);
  lb->SizeGrip()->SetGripVisible(true);
  lb->UpdateScrollBar();
  mru->SetDroppedDown(true);
  lb->SetSizeChanged(false);
}

void TDBGridInplaceEdit::MRUCloseUp(bool Accept) {
  TColumnEh* c = Column();
  if (!c || !FMRUListBox || !c->MRUList()->DroppedDown()) return;
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  bool hadFocus = FMRUListBox->HandleAllocated() && GetFocus() == FMRUListBox->Handle();
  if (FMRUListBox->HandleAllocated()) ShowWindow(FMRUListBox->Handle(), SW_HIDE);
  FMRUListBox->SetVisible(false);
  if (hadFocus && HandleAllocated()) ::SetFocus(Handle());
  c->MRUList()->SetDroppedDown(false);
  TCustomDBGridEh* g = DBGrid();
  if (Accept && !ReadOnly() && g && g->DataLink()->Edit()) {
    Integer i = FMRUListBox->ItemIndex();
    if (i >= 0) {
      String text = FMRUListBox->Items()->Strings(i);
      SetText(text);
      g->SetEditText(text);
    }
    if (Focused()) SelectAll();
  }
}

void TDBGridInplaceEdit::MRUListBoxResized() {
  TColumnEh* c = Column();
  if (!c || !FMRUListBox || !c->MRUList()->DroppedDown()) return;
  c->MRUList()->SetRows(FMRUListBox->ClientHeight() / std::max<Integer>(1, FMRUListBox->ItemHeight()));
  c->MRUList()->SetWidth(FMRUListBox->Width());
}

void TDBGridInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
  TInplaceEdit::KeyUp(Key, Shift);
  if (FEditStyle == esLookup && FListVisible && FLookupGrid && Key == VK_CONTROL) {
    Word k = Key;
    FLookupGrid->KeyUp(k, Shift);
  }
}

void TDBGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TInplaceEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupGrid) {
    FLookupGrid = nullptr;
    if (FActiveList == AComponent) FActiveList = nullptr;
    FEditStyle = esText;
  }
}
