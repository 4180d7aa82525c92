// Totals of footer texts: SUM, AVG, MIN, MAX and COUNT calls found in the
// memos of footers before a run, fed by every printed record of their data
// band and read (then reset) when the footer prints.
#pragma once
#include <memory>
#include <vector>

#include "frxClass.h"

class TfrxReportPage;
class TfrxBand;

struct TfrxAggregateItem {
  Integer Kind = 4;  // 0 SUM, 1 AVG, 2 MIN, 3 MAX, 4 COUNT
  TfrxBand* DataBand = nullptr;
  bool CountInvisible = false;
  bool Running = false;
  String Expression;
  bool PageFooter = false;
  // Per vertical column; empty until first used.
  std::vector<Variant> ColValues;
  std::vector<Integer> ColCounts;
  Integer Count = 0;
  Variant Value;
  bool Keeping = false;
  Integer LastCount = 0;
  Variant LastValue;
  String MemoName;
  String CallText;
  TfrxBand* ParentBand = nullptr;
  Integer TempCount = 0;
  Variant TempValue;
  Integer VColumn = 0;

  void Reset();
  Variant Result() const;
};

class TfrxAggregateList {
 public:
  explicit TfrxAggregateList(TfrxReport* AReport) : FReport(AReport) {}
  void Clear() { FItems.clear(); }
  void ScanPageFooters(TfrxReportPage* Page);
  void AddRecord(TfrxBand* Band, Integer VColumn = 0);
  void UndoRecord(TfrxBand* Band);
  Variant FindTotal(TfrxBand* Band, Integer VColumn, Integer Flags, TfrxBand* DataBand, const String& Expression,
                    const String& KindName);
  void ResetTotals(TfrxBand* Band);
  void BeginHold();
  void EndHold();
  void ClearAllTotals();
  Integer Count() const { return Integer(FItems.size()); }
  TfrxAggregateItem* Items(Integer Index) const { return FItems[size_t(Index)].get(); }

 private:
  void ScanBand(TfrxBand* Band, TfrxBand* DataBand);
  void ScanMemo(TfrxCustomMemoView* Memo, TfrxBand* DataBand);
  void ScanExpression(const String& Text, TfrxCustomMemoView* Memo, TfrxBand* DataBand, Integer Depth);
  void AddCall(const String& Name, const std::vector<String>& Args, const String& CallText,
               TfrxCustomMemoView* Memo, TfrxBand* DataBand);
  TfrxReport* FReport;
  std::vector<std::unique_ptr<TfrxAggregateItem>> FItems;
};
