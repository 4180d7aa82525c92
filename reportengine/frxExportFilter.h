// What an export filter does with prepared pages: the prepared pages hand a
// filter the report, may let it ask its settings in a dialog, and then give
// it the pages one by one, object by object. Filters register themselves in
// the export-filter registry (frxExportFilterRegistry) when made, so the
// preview window can offer them.
#pragma once
#include "Classes.h"
#include "Controls.h"

class TfrxComponent;
class TfrxReport;
class TfrxReportPage;

class TfrxCustomExportFilter : public TComponent {
  TOVANI_CLASS(TfrxCustomExportFilter, TComponent)
 public:
  // Made without an owner the filter is registered; with one it only serves its owner.
  explicit TfrxCustomExportFilter(TComponent* AOwner = nullptr);
  ~TfrxCustomExportFilter() override;

  // The text the preview's export menu shows.
  virtual String GetDescription() { return String(); }
  // The filter's settings dialog; mrOk goes on to export.
  virtual TModalResult ShowModal() { return mrOk; }
  // Starts the output; false when nothing is to be exported.
  virtual bool Start() { return true; }
  virtual void StartPage(TfrxReportPage* Page, Integer Index) {}
  // One object of the current page: a band, a view on a band, or the page background.
  virtual void ExportObject(TfrxComponent* Obj) = 0;
  virtual void FinishPage(TfrxReportPage* Page, Integer Index) {}
  virtual void Finish() {}

  TfrxReport* Report = nullptr;
  // Settings the caller may change before exporting.
  bool ShowDialog = true;
  bool CurPage = false;                      // only the preview's current page
  String PageNumbers;                        // "1,3,5-12"; empty = all pages
  bool ShowProgress = true;
  bool SuppressPageHeadersFooters = false;   // page header on the first page only, footer on the last only

 private:
  bool FRegistered = false;
};
