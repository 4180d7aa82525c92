// The report engine: walks the report pages band by band over their
// datasets and writes the prepared pages, with page and column breaks,
// headers and footers, groups, keep-together, aggregates and one or two
// passes.
#pragma once
#include <map>
#include <memory>
#include <vector>

#include "frxClass.h"

class TfrxAggregateList;
class TfrxPreviewPages;

// Bands printed again at the top of every page or column.
struct TfrxHeaderListItem {
  TfrxBand* Band = nullptr;
  Extended Left = 0;
  bool IsInKeepList = false;
};

class TfrxHeaderList {
 public:
  void Add(TfrxBand* Band, bool IsInKeepList, Extended Left) { FItems.push_back({Band, Left, IsInKeepList}); }
  void Remove(TfrxBand* Band);
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }
  TfrxHeaderListItem& Items(Integer Index) { return FItems[size_t(Index)]; }

 private:
  std::vector<TfrxHeaderListItem> FItems;
};

class TfrxEngine : public TfrxCustomEngine {
  TOVANI_CLASS(TfrxEngine, TfrxCustomEngine)
 public:
  explicit TfrxEngine(TfrxReport* AReport);
  ~TfrxEngine() override;

  void EndPage() override;
  void NewColumn() override;
  void NewPage() override;
  void ShowBand(TfrxComponent* Band) override;
  void ShowBandByClass(TClass BandClass) override;
  Extended HeaderHeight() override;
  Extended FooterHeight() override;
  Extended FreeSpace() override;
  Variant GetAggregateValue(const String& Name, const String& Expression, TfrxComponent* Band,
                            Integer Flags) override;
  bool Run() override;

  TfrxAggregateList* Aggregates() const { return FAggregates.get(); }
  // Called with a dialog page instead of showing it (tests, hosts).
  std::function<bool(TfrxDialogPage* Page)> OnRunDialog;

 private:
  TfrxPreviewPages* Pages() const;
  TfrxReportPage* Page() const { return FPage; }
  TfrxDataSet* DataSetOf(TfrxBand* Band) const;

  // Run and pages
  bool RunDialogs();
  void BuildAllPages();
  void BuildAllPagesOnce();
  void BuildPage(TfrxReportPage* Page);
  void BuildPageInstance();
  void BeginPageRun();
  void StartOutputPage();
  void PutPageFooter(TfrxBand* Band);
  void PutColumnFooter();
  void StartNextColumn();
  void LinkPageBands(TfrxReportPage* Page);
  void AddPageOutline();
  bool PageHasPrintableData();

  // Data levels and groups
  void RunDataLevel(TList* Bands);
  bool HasPrintableDetail(TfrxBand* Band, bool PrintIfEmpty);
  void OpenGroups(TfrxDataBand* Data, TfrxBand* Group, bool Initial, Integer FromLevel);
  void TestGroupBreak(TfrxDataBand* Data, TfrxBand* Group, Extended& RowStart, Integer ColumnStart);
  void CloseGroups(TfrxDataBand* Data, TfrxBand* Group, Integer ToLevel);
  void ApplyDrillState(TfrxDataBand* Data, TfrxBand* Group);
  void AdvanceBandColumn(TfrxDataBand* Band, Integer ColumnStart, Extended RowStart);
  void OpenKeep(TfrxBand* Band, Integer Position = 0);
  void CloseKeep(TfrxBand* Band);
  void RememberReprintHeader(TfrxBand* Band);
  void AddBandOutline(TfrxBand* Band);
  void ResetSuppressed(TfrxBand* Band);
  void KeepBeforeBreak();
  void KeepAfterBreak(Extended X);

  // Band output
  void OutputBand(TfrxBand* Band);
  void FillBand(TfrxBand* Band);
  void BuildShiftTree(TfrxBand* Band);
  void PushDownChildren(TfrxReportComponent* Parent, Extended Amount, TfrxBand* Band);
  void ReleaseBand(TfrxBand* Band);
  void RefillSuppressed(TfrxBand* Band);
  void SplitBandAcrossPages(TfrxBand* Band);
  void RunBandSubreports(TfrxBand* Band);
  void PlaceBand(TfrxBand* Band);
  void MergeParentSubreports(TfrxBand* Band);

  // Vertical bands: cells repeated across a horizontal band
  void MoveCellsToVerticalBands(const std::vector<TfrxBand*>& Bands);
  void PrepareVerticalRow(TfrxBand* Band);
  void RunVerticalLevel(TList* Bands);
  void PlaceVerticalCells(TfrxBand* VBand);
  void EmitVerticalSlices(TfrxBand* Band, const std::vector<Integer>& Slices);

  std::unique_ptr<TfrxAggregateList> FAggregates;
  TfrxHeaderList FReprint;
  TfrxReportPage* FPage = nullptr;
  Extended FPageXOffset = 0;
  Extended FFirstColumnY = 0;
  bool FFirstReportPage = false, FFirstPage = false, FLastPage = false, FFirstBand = false;
  bool FCalledFromAddPage = false, FCalledFromEndPage = false, FDontShowHeaders = false;
  bool FPrintOnPreviousPage = false;
  bool FKeeping = false, FKeepHeader = false, FKeepFooter = false;
  TfrxBand* FKeepBand = nullptr;
  Integer FKeepPosition = 0;
  TObject* FKeepOutline = nullptr;
  Integer FKeepAnchor = 0;
  TfrxBand* FCurBand = nullptr;
  TfrxBand* FLastBandOnPage = nullptr;
  TfrxBand* FStartNewPageBand = nullptr;
  Extended FPrevFooterHeight = 0;
  Integer FFooterKeepPosition = 0;
  // The lowest CurY reached in the current row of a multi-column band.
  std::map<TfrxBand*, Extended> FRowLowest;
  // Bands printed into this band while subreports print on their parent.
  TfrxNullBand* FOutputTo = nullptr;
  // Subreport pages being built, outermost first.
  std::vector<TfrxReportPage*> FSubreportPages;
  std::vector<TfrxBand*> FVReprint;
  // Object counts of the horizontal band at which each page across starts.
  std::vector<Integer> FVPages;
  TfrxBand* FCurHBand = nullptr;     // whose cells the vertical bands fill
  TfrxBand* FFilledHBand = nullptr;  // whose cells were just filled
  bool FInVertical = false;
};
