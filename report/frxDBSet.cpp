#include "frxDBSet.h"

#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "frxRes.h"
#include "frxUnicodeUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDBDataset, TfrxCustomDBDataSet)

TOVANI_PUBLISHED(TfrxDBDataset) {
  Property("DataSet", &TfrxDBDataset::DataSet, &TfrxDBDataset::SetDataSet)
      .Stored([](TObject* o) { return static_cast<TfrxDBDataset*>(o)->ReferencesStored(); });
  Property("DataSource", &TfrxDBDataset::DataSource, &TfrxDBDataset::SetDataSource)
      .Stored([](TObject* o) { return static_cast<TfrxDBDataset*>(o)->ReferencesStored(); });
}

TfrxDBDataset::TfrxDBDataset(TComponent* AOwner) : TfrxCustomDBDataSet(AOwner) {}

TfrxDBDataset::~TfrxDBDataset() {
  Unhook();
  if (FDataSet) FDataSet->RemoveFreeNotification(this);
  if (FDataSource) FDataSource->RemoveFreeNotification(this);
}

TDataSet* TfrxDBDataset::GetDataSet() const {
  if (FDataSet) return FDataSet;
  return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TfrxDBDataset::SetDataSet(TDataSet* Value) {
  if (FDataSet) FDataSet->RemoveFreeNotification(this);
  FDataSet = Value;
  if (FDataSet) {
    FDataSet->FreeNotification(this);
    SetDataSource(nullptr);
    FDataSet = Value;
  }
}

void TfrxDBDataset::SetDataSource(TDataSource* Value) {
  if (FDataSource) FDataSource->RemoveFreeNotification(this);
  FDataSource = Value;
  if (FDataSource) {
    FDataSource->FreeNotification(this);
    if (FDataSet) FDataSet->RemoveFreeNotification(this);
    FDataSet = nullptr;
  }
}

void TfrxDBDataset::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxCustomDBDataSet::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDS) {
    // The hooked dataset goes: its handlers go with it.
    FHooked = false;
    FDS = nullptr;
    FInitialized = false;
    FHasBookmark = false;
  }
  if (AComponent == FDataSet) FDataSet = nullptr;
  if (AComponent == FDataSource) FDataSource = nullptr;
}

void TfrxDBDataset::Unhook() {
  if (FHooked && FDS) {
    FDS->AfterOpen = FSaveOpenEvent;
    FDS->BeforeClose = FSaveCloseEvent;
  }
  FSaveOpenEvent = nullptr;
  FSaveCloseEvent = nullptr;
  FHooked = false;
}

void TfrxDBDataset::Initialize() {
  Unhook();
  FDS = GetDataSet();
  if (!FDS) throw Exception(Format(frxGetResources()->Get("dbNotConn"), {Name()}));
  FDS->FreeNotification(this);
  FSaveOpenEvent = FDS->AfterOpen;
  FSaveCloseEvent = FDS->BeforeClose;
  FDS->AfterOpen = [this](TDataSet* Sender) { AfterOpen(Sender); };
  FDS->BeforeClose = [this](TDataSet* Sender) { BeforeClose(Sender); };
  FHooked = true;
  FEofFlag = false;
  FInitialized = false;
}

void TfrxDBDataset::AfterOpen(TDataSet* Sender) {
  TStringList names;
  GetFieldList(&names);
  BoundFields()->Clear();
  for (Integer i = 0; i < names.Count(); ++i) {
    TField* f = FDS ? FDS->FindField(AliasToFieldName(names[i])) : nullptr;
    BoundFields()->AddObject(names[i], f);
  }
  if (Sender && FSaveOpenEvent) FSaveOpenEvent(Sender);
}

void TfrxDBDataset::BeforeClose(TDataSet* Sender) {
  if (Sender && FSaveCloseEvent) FSaveCloseEvent(Sender);
  FBookmark.clear();
  FHasBookmark = false;
  FInitialized = false;
}

void TfrxDBDataset::Open() {
  if (FInitialized) return;
  if (!FDS) Initialize();
  FInitialized = true;
  FDS->Open();
  AfterOpen(nullptr);
  if (RangeBegin() == rbCurrent || RangeEnd() == reCurrent) {
    FBookmark = FDS->GetBookmark();
    FHasBookmark = true;
  } else {
    FHasBookmark = false;
  }
  if (OnOpen) OnOpen(this);
}

void TfrxDBDataset::Close() {
  if (OnClose) OnClose(this);
  BeforeClose(nullptr);
  if (FDS) FDS->Close();
}

void TfrxDBDataset::First() {
  if (!FInitialized) Open();
  if (RangeBegin() == rbCurrent && FHasBookmark) FDS->GotoBookmark(FBookmark);
  else FDS->First();
  FEofFlag = false;
  TfrxDataSet::First();
}

void TfrxDBDataset::Next() {
  if (!FInitialized) Open();
  FEofFlag = false;
  if (RangeEnd() == reCurrent && FHasBookmark) {
    if (FDS->CompareBookmarks(FDS->GetBookmark(), FBookmark) == 0) {
      FEofFlag = true;
      return;
    }
  }
  FDS->Next();
  TfrxDataSet::Next();
}

void TfrxDBDataset::Prior() {
  if (!FInitialized) Open();
  FDS->Prior();
  TfrxDataSet::Prior();
}

bool TfrxDBDataset::Eof() {
  if (!FInitialized) Open();
  return TfrxDataSet::Eof() || FDS->Eof() || FEofFlag;
}

Integer TfrxDBDataset::RecordCount() {
  if (!FInitialized) Open();
  return FDS->RecordCount();
}

void TfrxDBDataset::GetFieldList(TStrings* List) {
  List->Clear();
  TStrings* aliases = FieldAliases();
  if (aliases->Count() > 0) {
    for (Integer i = 0; i < aliases->Count(); ++i) {
      const String& line = (*aliases)[i];
      size_t eq = line.find('=');
      String field = eq == String::npos ? line : line.substr(0, eq);
      if (!field.empty() && field[0] == '-') continue;
      List->Add(eq == String::npos ? line : line.substr(eq + 1));
    }
    return;
  }
  TDataSet* ds = FDS ? FDS : GetDataSet();
  if (!ds) return;
  try {
    ds->GetFieldNames(List);
  } catch (const Exception&) {
  }
}

TField* TfrxDBDataset::BoundField(const String& Index, bool& Found) {
  Integer i;
  Found = BoundFields()->Find(Index, i);
  return Found ? static_cast<TField*>(BoundFields()->Objects(i)) : nullptr;
}

namespace {
String FieldReference(const String& UserName, const String& Index) {
  return UserName + ".\"" + Index + "\"";
}
}  // namespace

Variant TfrxDBDataset::GetValue(const String& Index) {
  if (!FInitialized) Open();
  bool found;
  TField* f = BoundField(Index, found);
  if (!found) {
    AddRunError(frxGetResources()->Get("dbFldNotFound") + " " + FieldReference(UserName(), Index));
    return Variant::Null();
  }
  if (!f) return Variant::Null();
  switch (f->DataType()) {
    case ftFMTBcd: return f->IsNull() ? Variant::Null() : Variant(f->AsCurrency());
    case ftLargeint: return f->IsNull() ? Variant::Null() : Variant(f->AsLargeInt());
    case ftTimeStamp: return f->IsNull() ? Variant::Null() : Variant::FromDate(f->AsDateTime());
    default: return f->AsVariant();
  }
}

WideString TfrxDBDataset::GetDisplayText(const String& Index) {
  if (!FInitialized) Open();
  if (!FDS || !FDS->Active()) return Utf8ToUtf16(FieldReference(UserName(), Index));
  if (BoundFields()->Count() == 0) return Utf8ToUtf16(FDS->FieldByName(Index)->DisplayText());
  bool found;
  TField* f = BoundField(Index, found);
  if (!found) {
    String text = frxGetResources()->Get("dbFldNotFound") + " " + FieldReference(UserName(), Index);
    AddRunError(text);
    return Utf8ToUtf16(text);
  }
  if (!f) return WideString();
  return Utf8ToUtf16(f->DisplayText());
}

Integer TfrxDBDataset::GetDisplayWidth(const String& Index) {
  TDataSet* ds = FDS ? FDS : GetDataSet();
  if (!ds) return 10;
  String name = AliasToFieldName(Index);
  if (TField* f = ds->FindField(name)) return f->DisplayWidth();
  try {
    if (TFieldDef* def = ds->FieldDefs().Find(name)) {
      switch (def->DataType) {
        case ftString: case ftWideString: return def->Size;
        case ftDateTime: return 20;
        case ftLargeint: return 15;
        default: return 10;
      }
    }
  } catch (const Exception&) {
  }
  return 10;
}

TfrxFieldType TfrxDBDataset::GetFieldType(const String& Index) {
  TDataSet* ds = FDS ? FDS : GetDataSet();
  TField* f = ds ? ds->FindField(AliasToFieldName(Index)) : nullptr;
  if (!f) return fftNumeric;
  switch (f->DataType()) {
    case ftString: case ftMemo: case ftWideString: case ftFixedChar: case ftWideMemo: case ftFixedWideChar:
      return fftString;
    case ftBoolean: return fftBoolean;
    default: return fftNumeric;
  }
}

bool TfrxDBDataset::IsBlobField(const String& Index) {
  if (!FInitialized) Open();
  bool found;
  TField* f = BoundField(Index, found);
  return f && f->IsBlob();
}

void TfrxDBDataset::AssignBlobTo(const String& Index, TObject* Target) {
  if (!FInitialized) Open();
  bool found;
  TField* f = BoundField(Index, found);
  if (!found) {
    AddRunError(frxGetResources()->Get("dbFldNotFound") + " " + FieldReference(UserName(), Index));
    return;
  }
  if (!f || !f->IsBlob() || !Target) return;
  auto* blob = static_cast<TBlobField*>(f);
  if (Target->Is<TfrxWideStrings>()) {
    // Memo texts are kept as UTF-8 in the record; wide memos likewise.
    TStringList lines;
    lines.SetText(blob->AsString());
    static_cast<TfrxWideStrings*>(Target)->Assign(&lines);
  } else if (Target->Is<TStream>()) {
    auto* stream = static_cast<TStream*>(Target);
    blob->SaveToStream(stream);
    stream->SetPosition(0);
  }
}

void TfrxDBDataset::Finalize() {
  if (FDS) {
    if (FHasBookmark && FDS->Active()) FDS->GotoBookmark(FBookmark);
    FBookmark.clear();
    FHasBookmark = false;
    if (CloseDataSource()) Close();
  }
  Unhook();
  FInitialized = false;
}
