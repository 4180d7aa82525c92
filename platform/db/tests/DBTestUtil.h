// Fixtures shared by the data-access tests: an in-memory dataset of people
// and a data link that records every notification it receives.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "DB.h"
#include "MemDataSet.h"

// ID (integer), Name (wide string), Price (BCD), Born (date-time), Active (flag)
inline std::unique_ptr<TMemDataSet> MakePeople(const std::vector<std::tuple<int, const char*, double>>& rows) {
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName("People");
  ds->FieldDefs().Add("ID", ftInteger);
  ds->FieldDefs().Add("Name", ftWideString, 50);
  ds->FieldDefs().Add("Price", ftBCD);
  ds->FieldDefs().Add("Born", ftDateTime);
  ds->FieldDefs().Add("Active", ftBoolean);
  ds->CreateDataSet();
  for (auto& [id, name, price] : rows) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(id);
    if (name) ds->FieldByName("Name")->SetAsString(name);
    ds->FieldByName("Price")->SetAsFloat(price);
    ds->Post();
  }
  ds->First();
  return ds;
}

inline std::unique_ptr<TMemDataSet> MakeNumbers(int count) {
  std::vector<std::tuple<int, const char*, double>> rows;
  for (int i = 1; i <= count; ++i) rows.emplace_back(i, "n", double(i));
  return MakePeople(rows);
}

// Records notifications as short texts ("active", "changed", "scrolled 1",
// "record Name", "editing", "layout", "update", "check").
class RecordingLink : public TDataLink {
 public:
  std::vector<std::string> Log;
  void Clear() { Log.clear(); }
  std::string Joined() const {
    std::string s;
    for (auto& l : Log) s += (s.empty() ? "" : ", ") + l;
    return s;
  }
  using TDataLink::FirstRecord;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void CheckBrowseMode() override { Log.push_back("check"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void DataSetScrolled(Integer d) override { Log.push_back("scrolled " + std::to_string(d)); }
  void EditingChanged() override { Log.push_back(Editing() ? "editing" : "not editing"); }
  void LayoutChanged() override { Log.push_back("layout"); }
  void RecordChanged(TField* f) override { Log.push_back(f ? "record " + f->FieldName() : "record"); }
  void UpdateData() override { Log.push_back("update"); }
};
