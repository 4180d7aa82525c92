// Non-visual pieces shared by the grid library's edits, lookup lists and
// the data grid: the special first row of drop-down lists, the ordered
// bookmark list behind a multi-record selection, the sorted distinct texts
// of a field, a data link that reports its events, and the free routines
// for Variant equality, cell texts and field lists.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "Controls.h"
#include "DB.h"
#include "Strings.h"
#include "Variant.h"

using TFieldsArrEh = std::vector<TField*>;

// A dataset that the grid can read directly offers this interface.
class IMemTableEh {
 public:
  static constexpr const char* IID = "{C235A5F5-9504-4208-8812-091F25DEDC8B}";
  virtual ~IMemTableEh() = default;
};

// The sorted distinct values of a field.
class IMemTableDataFieldValueListEh {
 public:
  static constexpr const char* IID = "{53FED44F-D470-4E9D-B286-C5DE50729B9B}";
  virtual ~IMemTableDataFieldValueListEh() = default;
  virtual TStrings* GetValues() = 0;
};

// The library's own string list class.
class TStringListEh : public TStringList {
  TOVANI_CLASS(TStringListEh, TStringList)
 public:
  TStringListEh() = default;
};

// A data link that hands each data event on to OnDataEvent.
class TDataLinkEh : public TDataLink {
  TOVANI_CLASS(TDataLinkEh, TDataLink)
 public:
  std::function<void(TDataEvent Event, NativeInt Info)> OnDataEvent;

 protected:
  void DataEvent(TDataEvent Event, NativeInt Info) override;
};

// ---------------------------------------------------------------------------

// The optional special first row of a drop-down list or lookup grid (for
// example an entry that stands for an empty key).
class TSpecRowEh : public TPersistent {
  TOVANI_CLASS(TSpecRowEh, TPersistent)
 public:
  explicit TSpecRowEh(TPersistent* AOwner = nullptr);
  ~TSpecRowEh() override;
  void Assign(TPersistent* Source) override;

  const String& CellsText() const { return FCellsText; }
  void SetCellsText(const String& v);
  TStrings* CellsStrings() { return FCellsStrings.get(); }
  TColor Color();
  void SetColor(TColor v);
  TFont* Font();
  void SetFont(TFont* v);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v) { FShortCut = v; }
  bool ShowIfNotInKeyList() const { return FShowIfNotInKeyList; }
  void SetShowIfNotInKeyList(bool v);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool Selected() const { return FSelected; }
  void SetSelected(bool v) { FSelected = v; }
  bool ColorAssigned() const { return FColorAssigned; }
  bool FontAssigned() const { return FFontAssigned; }

  String CellTextAt(Integer Index) const;
  bool MatchesKeyValue(const Variant& KeyValue) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  TNotifyEvent OnChanged;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void Changed();
  TColor InheritedColor();
  TFont* InheritedFont();

 private:
  void SpecRowFontChanged();
  std::unique_ptr<TStringList> FCellsStrings;
  String FCellsText;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  TPersistent* FOwner;
  bool FSelected = false;
  TShortCut FShortCut = scAlt | VK_DELETE;
  bool FShowIfNotInKeyList = true;
  Integer FUpdateCount = 0;
  Variant FValue;
  bool FVisible = false;
  bool FColorAssigned = false;
  bool FFontAssigned = false;
  bool FCopyingFont = false;
};

// ---------------------------------------------------------------------------

// The selected records of a grid as bookmarks in the dataset's order, with
// a one-entry cache of the last search.
class TBMListEh : public TObject {
  TOVANI_CLASS(TBMListEh, TObject)
 public:
  TBMListEh();
  ~TBMListEh() override;

  Integer Count() const { return FList->Count(); }
  String Items(Integer Index) const { return FList->Strings(Index); }
  TStringList* List() { return FList.get(); }
  Integer IndexOfBookmark(const TBookmark& Bookmark);
  bool CurrentRowSelected();
  TBookmark CurrentBookmark();
  Integer CompareBookmarks(const TBookmark& A, const TBookmark& B);
  // Where Bookmark is (true) or belongs (false) in the list.
  bool FindBookmark(const TBookmark& Bookmark, Integer& Index);
  void DeleteMarkedRecords();
  bool LinkActive() const { return FLinkActive; }
  void SetLinkActive(bool v);

  virtual TDataSet* GetDataSet() = 0;
  virtual void Invalidate() {}
  [[noreturn]] virtual void RaiseError(const String& Msg);
  virtual void SetCurrentRowSelected(bool Value);
  virtual void StringsChanged();
  virtual void SelectionChanged() {}
  virtual void RemoveAll();

 private:
  std::unique_ptr<TStringList> FList;
  String FCache;
  Integer FCachedIndex = -1;
  bool FCacheFound = false;
  bool FLinkActive = false;
};

// ---------------------------------------------------------------------------

// The sorted distinct texts of one field of a dataset, refilled on demand
// after the dataset, its data, its properties or its fields changed.
class TDatasetFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
  TOVANI_CLASS(TDatasetFieldValueListEh, TObject)
 public:
  TDatasetFieldValueListEh();
  ~TDatasetFieldValueListEh() override;
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& v);
  TDataSet* DataSet() const;
  void SetDataSet(TDataSet* v);
  bool DataObsolete() const { return FDataObsolete; }
  TStrings* GetValues() override;
  void RefreshValues();

 protected:
  virtual void DataEvent(TDataEvent Event);

 private:
  std::unique_ptr<TStringList> FValues;
  bool FDataObsolete = true;
  String FFieldName;
  std::unique_ptr<TDataSource> FDataSource;
  std::unique_ptr<TDataLinkEh> FDataLink;
};

// ---------------------------------------------------------------------------
// Free routines

// The Variant equality of the grid library: arrays element by element (by
// their first dimension), Empty equal only to Empty, comparison errors unequal.
bool VariantsEqualEh(const Variant& A, const Variant& B);
// Splits "a;b;"c;d"" into cells: ";" and control characters separate,
// double quotes keep a part whole.
void SplitCellsTextEh(TStrings* Strings, const String& Text);
// The fields named in a ";"-separated list, in order; a missing name raises
// "Field '%s' not found" naming Component.
void CollectFieldsEh(std::vector<TField*>* List, TDataSet* DataSet, TComponent* Component, const String& FieldNames);
void GetFieldsArrayEh(TDataSet* DataSet, TComponent* Component, const String& FieldNames, TFieldsArrEh& Fields);
// Null clears every field of the list; anything else goes to FieldValues.
void SetDataSetFieldValuesEh(TDataSet* DataSet, const String& FieldNames, const Variant& Value);
