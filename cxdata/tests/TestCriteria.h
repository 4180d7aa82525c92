// A small criteria over an in-memory table, for the filter tests: columns
// are link objects with an id, a field name and a caption; record i is row i.
#pragma once
#include <memory>
#include <vector>

#include "cxFilter.h"

class TTestColumn : public TObject {
  TOVANI_CLASS(TTestColumn, TObject)
 public:
  TTestColumn(Integer AId, String AName, String ACaption)
      : Id(AId), Name(std::move(AName)), Caption(std::move(ACaption)) {}
  Integer Id;
  String Name;     // field name (empty: a column known only by its id)
  String Caption;
};

class TTestCriteria;

class TTestCriteriaItem : public TcxFilterCriteriaItem {
  TOVANI_CLASS(TTestCriteriaItem, TcxFilterCriteriaItem)
 public:
  Variant LinkValue(Integer ARecord) override;
  String LinkCaption() override;
  String LinkFieldName() override;
};

class TTestCriteria : public TcxFilterCriteria {
  TOVANI_CLASS(TTestCriteria, TcxFilterCriteria)
 public:
  explicit TTestCriteria(Integer AVersion = 2) { SetVersion(AVersion); }

  TTestColumn* AddColumn(Integer Id, const String& Name, const String& Caption = String()) {
    Columns.push_back(std::make_unique<TTestColumn>(Id, Name, Caption.empty() ? Name : Caption));
    return Columns.back().get();
  }
  Integer ColumnIndex(TObject* Link) const {
    for (size_t i = 0; i < Columns.size(); ++i)
      if (Columns[i].get() == Link) return Integer(i);
    return -1;
  }

  Integer LinkId(TObject* ALink) override {
    Integer i = ColumnIndex(ALink);
    return i < 0 ? -1 : Columns[i]->Id;
  }
  String LinkName(TObject* ALink) override {
    Integer i = ColumnIndex(ALink);
    return i < 0 ? String() : Columns[i]->Name;
  }
  TObject* LinkById(Integer AId) override {
    for (auto& c : Columns)
      if (c->Id == AId) return c.get();
    return nullptr;
  }
  TObject* LinkByName(const String& AName) override {
    for (auto& c : Columns)
      if (!c->Name.empty() && c->Name == AName) return c.get();
    return nullptr;
  }
  TClass ItemClass() const override { return TTestCriteriaItem::StaticClass(); }

  std::vector<std::unique_ptr<TTestColumn>> Columns;
  std::vector<std::vector<Variant>> Rows;   // Rows[record][column index]
};
