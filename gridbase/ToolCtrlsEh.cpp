#include "ToolCtrlsEh.h"
#include "PlatformEh.h"
#include "SysUtils.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TStringListEh, TStringList)
TOVANI_IMPLEMENT_CLASS(TDataLinkEh, TDataLink)
TOVANI_IMPLEMENT_CLASS_FACTORY(TSpecRowEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TBMListEh, TObject)
TOVANI_IMPLEMENT_CLASS(TDatasetFieldValueListEh, TObject)

TOVANI_PUBLISHED(TSpecRowEh) {
  Property("CellsText", &TSpecRowEh::CellsText, &TSpecRowEh::SetCellsText);
  Property("Color", &TSpecRowEh::Color, &TSpecRowEh::SetColor).Stored(&TSpecRowEh::ColorAssigned);
  Property("Font", &TSpecRowEh::Font, &TSpecRowEh::SetFont).Stored(&TSpecRowEh::FontAssigned);
  Property("ShortCut", &TSpecRowEh::ShortCut, &TSpecRowEh::SetShortCut).NoDefault();
  Property("ShowIfNotInKeyList", &TSpecRowEh::ShowIfNotInKeyList, &TSpecRowEh::SetShowIfNotInKeyList).NoDefault();
  Property("Value", &TSpecRowEh::Value, &TSpecRowEh::SetValue).Stored([](TObject* o) {
    return !static_cast<TSpecRowEh*>(o)->Value().IsNull();
  });
  Property("Visible", &TSpecRowEh::Visible, &TSpecRowEh::SetVisible).NoDefault();
}

void TDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info) {
  TDataLink::DataEvent(Event, Info);
  if (OnDataEvent) OnDataEvent(Event, Info);
}

// ---------------------------------------------------------------------------
// TSpecRowEh

TSpecRowEh::TSpecRowEh(TPersistent* AOwner) : FCellsStrings(new TStringList), FFont(new TFont), FOwner(AOwner) {
  FValue = Null();
  FCopyingFont = true;
  FFont->Assign(InheritedFont());
  FCopyingFont = false;
  FFont->OnChange = [this](TObject*) { SpecRowFontChanged(); };
}

TSpecRowEh::~TSpecRowEh() = default;

void TSpecRowEh::Changed() {
  if (FUpdateCount == 0 && OnChanged) OnChanged(this);
}

void TSpecRowEh::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TSpecRowEh::SetCellsText(const String& v) {
  if (v == FCellsText) return;
  FCellsText = v;
  SplitCellsTextEh(FCellsStrings.get(), v);
  Changed();
}

TColor TSpecRowEh::InheritedColor() {
  if (auto* c = dynamic_cast<TCustomControl*>(FOwner)) return c->Color();
  return FColor;
}

TFont* TSpecRowEh::InheritedFont() {
  if (auto* c = dynamic_cast<TControl*>(FOwner)) return c->Font();
  return FFont.get();
}

TColor TSpecRowEh::Color() { return FColorAssigned ? FColor : InheritedColor(); }

void TSpecRowEh::SetColor(TColor v) {
  if (FColorAssigned && v == FColor) return;
  FColor = v;
  FColorAssigned = true;
  Changed();
}

TFont* TSpecRowEh::Font() {
  if (FFontAssigned) return FFont.get();
  TFont* inherited = InheritedFont();
  if (inherited != FFont.get() && !inherited->Equals(*FFont)) {
    // Follows the owner's font without counting as set.
    FCopyingFont = true;
    FFont->Assign(inherited);
    FCopyingFont = false;
  }
  return FFont.get();
}

void TSpecRowEh::SetFont(TFont* v) { FFont->Assign(v); }

void TSpecRowEh::SpecRowFontChanged() {
  if (FCopyingFont) return;
  FFontAssigned = true;
  Changed();
}

void TSpecRowEh::SetShowIfNotInKeyList(bool v) {
  if (v == FShowIfNotInKeyList) return;
  FShowIfNotInKeyList = v;
  Changed();
}

void TSpecRowEh::SetValue(const Variant& v) {
  if (VariantsEqualEh(v, FValue) && v.IsNull() == FValue.IsNull()) return;
  FValue = v;
  Changed();
}

void TSpecRowEh::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  Changed();
}

String TSpecRowEh::CellTextAt(Integer Index) const {
  if (Index < 0 || Index >= FCellsStrings->Count()) return String();
  return FCellsStrings->Strings(Index);
}

bool TSpecRowEh::MatchesKeyValue(const Variant& KeyValue) const { return FVisible && VariantsEqualEh(FValue, KeyValue); }

void TSpecRowEh::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSpecRowEh*>(Source)) {
    BeginUpdate();
    struct TEnd {
      TSpecRowEh* R;
      ~TEnd() { R->EndUpdate(); }
    } end{this};
    SetCellsText(s->CellsText());
    SetColor(s->Color());
    if (s->FFontAssigned) SetFont(s->FFont.get());
    SetShortCut(s->ShortCut());
    SetShowIfNotInKeyList(s->ShowIfNotInKeyList());
    SetValue(s->Value());
    SetVisible(s->Visible());
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// TBMListEh

TBMListEh::TBMListEh() : FList(new TStringList) {
  FList->OnChange = [this](TObject*) { StringsChanged(); };
}

TBMListEh::~TBMListEh() {
  // RemoveAll and SelectionChanged are virtual; by now only this class is
  // left, so the list is emptied directly.
  FList->OnChange = nullptr;
  FList->Clear();
}

void TBMListEh::RaiseError(const String& Msg) { throw Exception(Msg); }

void TBMListEh::StringsChanged() {
  FCache.clear();
  FCachedIndex = -1;
}

void TBMListEh::RemoveAll() {
  if (FList->Count() == 0) return;
  FList->Clear();
  SelectionChanged();
  Invalidate();
}

void TBMListEh::SetLinkActive(bool v) {
  RemoveAll();
  SelectionChanged();
  FLinkActive = v;
}

TBookmark TBMListEh::CurrentBookmark() {
  if (!FLinkActive) RaiseError("Cannot perform this operation on a closed dataset");
  return GetDataSet()->GetBookmark();
}

Integer TBMListEh::CompareBookmarks(const TBookmark& A, const TBookmark& B) {
  return DataSetCompareBookmarksEh(GetDataSet(), A, B);
}

bool TBMListEh::FindBookmark(const TBookmark& Bookmark, Integer& Index) {
  if (Bookmark == FCache && FCachedIndex >= 0) {
    Index = FCachedIndex;
    return FCacheFound;
  }
  bool found = false;
  Integer lo = 0, hi = FList->Count() - 1;
  while (lo <= hi) {
    Integer i = (lo + hi) / 2;
    Integer c = CompareBookmarks(FList->Strings(i), Bookmark);
    if (c < 0) {
      lo = i + 1;
    } else {
      hi = i - 1;
      if (c == 0) {
        found = true;
        lo = i;
      }
    }
  }
  Index = lo;
  FCache = Bookmark;
  FCachedIndex = lo;
  FCacheFound = found;
  return found;
}

Integer TBMListEh::IndexOfBookmark(const TBookmark& Bookmark) {
  Integer i;
  return FindBookmark(Bookmark, i) ? i : -1;
}

bool TBMListEh::CurrentRowSelected() {
  Integer i;
  return FindBookmark(CurrentBookmark(), i);
}

void TBMListEh::SetCurrentRowSelected(bool Value) {
  TBookmark b = CurrentBookmark();
  Integer i;
  if (Value == FindBookmark(b, i)) return;
  if (Value) FList->Insert(i, b);
  else FList->Delete(i);
}

void TBMListEh::DeleteMarkedRecords() {
  TDataSet* ds = GetDataSet();
  ds->DisableControls();
  struct TEnable {
    TDataSet* D;
    ~TEnable() { D->EnableControls(); }
  } enable{ds};
  for (Integer i = FList->Count() - 1; i >= 0; --i) {
    ds->GotoBookmark(FList->Strings(i));
    ds->Delete();
    FList->Delete(i);
  }
  SelectionChanged();
}

// ---------------------------------------------------------------------------
// TDatasetFieldValueListEh

TDatasetFieldValueListEh::TDatasetFieldValueListEh()
    : FValues(new TStringList), FDataSource(new TDataSource), FDataLink(new TDataLinkEh) {
  FValues->SetSorted(true);
  FValues->SetDuplicates(dupIgnore);
  FDataLink->OnDataEvent = [this](TDataEvent e, NativeInt) { DataEvent(e); };
  FDataLink->SetDataSource(FDataSource.get());
}

TDatasetFieldValueListEh::~TDatasetFieldValueListEh() {
  FDataLink->SetDataSource(nullptr);
  FDataSource->SetDataSet(nullptr);
}

void TDatasetFieldValueListEh::SetFieldName(const String& v) {
  if (v == FFieldName) return;
  FFieldName = v;
  FDataObsolete = true;
}

TDataSet* TDatasetFieldValueListEh::DataSet() const { return FDataSource->DataSet(); }

void TDatasetFieldValueListEh::SetDataSet(TDataSet* v) {
  if (v == DataSet()) return;
  FDataSource->SetDataSet(v);
  FDataObsolete = true;
}

TStrings* TDatasetFieldValueListEh::GetValues() {
  if (FDataObsolete) RefreshValues();
  return FValues.get();
}

void TDatasetFieldValueListEh::DataEvent(TDataEvent Event) {
  if (Event == deDataSetChange || Event == dePropertyChange || Event == deFieldListChange) FDataObsolete = true;
}

void TDatasetFieldValueListEh::RefreshValues() {
  FValues->Clear();
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return;
  TField* f = ds->FindField(FFieldName);
  if (!f) return;
  // The scan walks the whole dataset and puts it back on its record after.
  TBookmark saved = ds->GetBookmark();
  ds->DisableControls();
  {
    struct TEnable {
      TDataSet* D;
      const TBookmark& B;
      ~TEnable() {
        try {
          if (!B.empty() && D->BookmarkValid(B)) D->GotoBookmark(B);
        } catch (...) {
        }
        D->EnableControls();
      }
    } enable{ds, saved};
    FValues->BeginUpdate();
    ds->First();
    while (!ds->Eof()) {
      FValues->Add(f->AsString());
      ds->Next();
    }
    FValues->EndUpdate();
  }
  FDataObsolete = false;
}

// ---------------------------------------------------------------------------
// Free routines

bool VariantsEqualEh(const Variant& A, const Variant& B) {
  try {
    bool arrA = A.IsArray(), arrB = B.IsArray();
    if (arrA != arrB) return false;
    if (arrA) {
      if (VarArrayDimCount(A) != VarArrayDimCount(B) || VarArrayLowBound(A, 1) != VarArrayLowBound(B, 1) ||
          VarArrayHighBound(A, 1) != VarArrayHighBound(B, 1))
        return false;
      for (Integer i = VarArrayLowBound(A, 1); i <= VarArrayHighBound(A, 1); ++i)
        if (!(A.GetElement(i) == B.GetElement(i))) return false;
      return true;
    }
    if (A.IsEmpty() != B.IsEmpty()) return false;
    return A == B;
  } catch (...) {
    return false;
  }
}

void SplitCellsTextEh(TStrings* Strings, const String& Text) {
  Strings->BeginUpdate();
  struct TEnd {
    TStrings* S;
    ~TEnd() { S->EndUpdate(); }
  } end{Strings};
  Strings->Clear();
  // Separators are ASCII, which never occurs inside a multi-byte character,
  // so walking bytes keeps every character whole.
  const char* p = Text.c_str();
  const char* e = p + Text.size();
  auto isControl = [](char c) { return c >= 1 && c <= 31; };
  while (p < e && isControl(*p)) ++p;
  while (p < e) {
    String part;
    if (*p == '"') {
      part = AnsiExtractQuotedStr(p, '"');
    } else {
      const char* start = p;
      while (p < e && !(static_cast<unsigned char>(*p) < 32) && *p != ';') ++p;
      part.assign(start, p);
    }
    Strings->Add(part);
    while (p < e && isControl(*p)) ++p;
    if (p < e && *p == ';') {
      ++p;
      while (p < e && isControl(*p)) ++p;
    }
    // A zero byte inside the text ends it.
    if (p < e && *p == '\0') break;
  }
}

namespace {
// The next name of a ";"-separated list, without surrounding blanks.
String NextFieldName(const String& Names, size_t& Pos) {
  size_t end = Names.find(';', Pos);
  if (end == String::npos) end = Names.size();
  String name = Trim(Names.substr(Pos, end - Pos));
  Pos = end < Names.size() ? end + 1 : end;
  return name;
}
}  // namespace

void CollectFieldsEh(std::vector<TField*>* List, TDataSet* DataSet, TComponent* Component, const String& FieldNames) {
  size_t pos = 0;
  while (pos < FieldNames.size()) {
    String name = NextFieldName(FieldNames, pos);
    TField* f = DataSet->FindField(name);
    if (!f) {
      String prefix = Component && !Component->Name().empty() ? Component->Name() + ": " : String();
      throw EDatabaseError(prefix + "Field '" + name + "' not found");
    }
    if (List) List->push_back(f);
  }
}

void GetFieldsArrayEh(TDataSet* DataSet, TComponent* Component, const String& FieldNames, TFieldsArrEh& Fields) {
  TFieldsArrEh list;
  CollectFieldsEh(&list, DataSet, Component, FieldNames);
  Fields = std::move(list);
}

void SetDataSetFieldValuesEh(TDataSet* DataSet, const String& FieldNames, const Variant& Value) {
  if (VariantsEqualEh(Value, Null())) {
    for (TField* f : DataSet->GetFieldList(FieldNames)) f->Clear();
    return;
  }
  DataSet->SetFieldValues(FieldNames, Value);
}
