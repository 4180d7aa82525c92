// The report engine: the run with its passes, page starts and ends, page
// and column breaks, the band tree of a page, the data-level loops with
// groups, columns and keep-together, and the output of single bands (fill,
// stretch, shift, split, subreports).
#include "frxEngine.h"
#include "frxPassword.h"

#include <algorithm>
#include <cmath>

#include "Collation.h"
#include "DateUtils.h"
#include "Forms.h"
#include "Strings.h"
#include "SysUtils.h"
#include "frxAggregate.h"
#include "frxDBSet.h"
#include "frxDMPClass.h"
#include "frxPreviewPages.h"
#include "frxProgress.h"
#include "frxRes.h"
#include "frxUtils.h"
#include "frxXML.h"

TOVANI_IMPLEMENT_CLASS(TfrxEngine, TfrxCustomEngine)

namespace {

TfrxComponent* ChildAt(TList* List, Integer Index) { return static_cast<TfrxComponent*>(List->Items(Index)); }

bool IsStretcheable(TfrxComponent* C) { return dynamic_cast<TfrxStretcheable*>(C) != nullptr; }

// Height of one dot-matrix character row added below dot-matrix memos with
// a bottom frame line.
Extended DMPBottomAllowance(TfrxComponent* C) {
  if (!frxIsKindOf(C, "TfrxDMPMemoView")) return 0;
  auto* v = static_cast<TfrxView*>(C);
  return v->Frame()->Typ().Contains(ftBottom) ? fr1CharY : 0;
}

// Rows of a data band that advance nothing (a band of no height on a page
// that does not move) cost no paper, so rows without a real end, such as a
// band's RowCount of two thousand million, would run for ever. Now and then
// such rows let the progress window's Cancel through; a run that has no
// window to cancel it ends after a bound with an error. Rows of a database
// dataset are not bounded: the dataset ends with its records.
constexpr Integer kIdleRowsPerCheck = 1024;
constexpr Integer kMaxIdleRows = 10240;

void CheckIdleRows(TfrxReport* Report, TfrxBand* Band, TfrxDataSet* DataSet, Integer IdleRows) {
  if (IdleRows % kIdleRowsPerCheck != 0) return;
  TfrxProgress* progress = Report->ProgressWindow();
  if (Report->ShowProgress && (progress || Report->Preview())) {
    if (Application) Application->ProcessMessages();
    if (progress && progress->Terminated()) Report->SetTerminated(true);
    return;
  }
  if (IdleRows >= kMaxIdleRows && !dynamic_cast<TfrxDBDataset*>(DataSet))
    throw Exception("数据带 " + Band->Name() + " 连续 " + IntToStr(IdleRows) + " 行没有占用任何位置, 报表无法结束");
}

}  // namespace

void TfrxHeaderList::Remove(TfrxBand* Band) {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Band == Band) {
      FItems.erase(FItems.begin() + Integer(i));
      return;
    }
}

TfrxEngine::TfrxEngine(TfrxReport* AReport)
    : TfrxCustomEngine(AReport), FAggregates(std::make_unique<TfrxAggregateList>(AReport)) {}

TfrxEngine::~TfrxEngine() = default;

TfrxPreviewPages* TfrxEngine::Pages() const { return static_cast<TfrxPreviewPages*>(PreviewPages()); }

TfrxDataSet* TfrxEngine::DataSetOf(TfrxBand* Band) const {
  auto* d = dynamic_cast<TfrxDataBand*>(Band);
  if (!d) return nullptr;
  if (d->DataSet()) return d->DataSet();
  return d->RowCount() > 0 ? d->VirtualDataSet() : nullptr;
}

// ---------------------------------------------------------------------------
// Run

bool TfrxEngine::Run() {
  TfrxReport* r = Report();
  TfrxPreviewPages* pages = Pages();
  FPrevFooterHeight = 0;
  pages->Initialize();
  pages->WriteOver = false;
  StartDate = Date();
  StartTime = Time();
  Running = true;
  FKeeping = false;
  CurVColumn = 0;
  FAggregates->Clear();
  bool result = false;
  std::vector<TfrxReportPage*> reportPages;
  for (Integer i = 0; i < r->PagesCount(); ++i)
    if (auto* p = dynamic_cast<TfrxReportPage*>(r->Pages(i))) reportPages.push_back(p);

  try {
    for (TfrxReportPage* p : reportPages) {
      FPage = p;
      LinkPageBands(p);
    }
    // Dataset use: one dataset drives one level only.
    for (TfrxReportPage* p : reportPages) {
      if (r->DataSet() && r->DataSet() == p->DataSet()) {
        r->Errors()->Add("Cannot use the same dataset for Report.DataSet and Page.DataSet");
        break;
      }
      for (Integer i = 0; i < p->Bands()->Count(); ++i) {
        TfrxDataSet* ds = static_cast<TfrxDataBand*>(p->Bands()->Items(i))->DataSet();
        if (!ds) continue;
        if (r->DataSet() && ds == r->DataSet()) {
          r->Errors()->Add("Cannot use the same dataset for Report.DataSet and Band.DataSet");
          break;
        }
        if (ds == p->DataSet()) {
          r->Errors()->Add("Cannot use the same dataset for Page.DataSet and Band.DataSet");
          break;
        }
      }
    }
    if (r->Errors()->Count() == 0) {
      try {
        r->DataSets()->InitializeAll();
        r->CallScriptNotifyEvent(r, r->OnStartReport);
        if (RunDialogs()) {
          for (TfrxReportPage* p : reportPages) {
            pages->AddSourcePage(p);
            FAggregates->ScanPageFooters(p);
          }
          FinalPass = !DoublePass();
          TotalPages = 0;
          pages->BeginPass();
          BuildAllPages();
          if (DoublePass()) {
            TotalPages = pages->GetPageCount();
            pages->ClearFirstPassPages();
            FAggregates->ClearAllTotals();
            FinalPass = true;
            BuildAllPages();
          }
          result = true;
        }
      } catch (...) {
        try {
          r->CallScriptNotifyEvent(r, r->OnStopReport);
        } catch (...) {
        }
        throw;
      }
      r->CallScriptNotifyEvent(r, r->OnStopReport);
    }
  } catch (...) {
    r->DataSets()->FinalizeAll();
    pages->Finish();
    Running = false;
    throw;
  }
  r->DataSets()->FinalizeAll();
  pages->Finish();
  Running = false;
  return result;
}

bool TfrxEngine::RunDialogs() {
  TfrxReport* r = Report();
  if (!Trim(r->OnRunDialogs).empty()) {
    Variant params = VarArrayOf({Variant(true)});
    r->CallScriptEvent(r->OnRunDialogs, params, true);
    return params.GetElement(0).AsBoolean();
  }
  for (Integer i = 0; i < r->PagesCount(); ++i) {
    auto* d = dynamic_cast<TfrxDialogPage*>(r->Pages(i));
    if (!d || !d->Visible() || d->Objects()->Count() == 0) continue;
    Integer result = OnRunDialog ? (OnRunDialog(d) ? 1 : 2) : d->ShowModal();
    if (result == 2) return false;
  }
  return true;
}

void TfrxEngine::BuildAllPages() {
  TfrxReport* r = Report();
  FFirstReportPage = true;
  if (TfrxDataSet* ds = r->DataSet()) {
    ds->First();
    while (!ds->Eof() && !r->Terminated()) {
      BuildAllPagesOnce();
      ds->Next();
    }
  } else {
    BuildAllPagesOnce();
  }
}

void TfrxEngine::BuildAllPagesOnce() {
  TfrxReport* r = Report();
  for (Integer i = 0; i < r->PagesCount(); ++i) {
    auto* p = dynamic_cast<TfrxReportPage*>(r->Pages(i));
    if (!p) continue;
    FPage = p;
    if (!p->IsSubreportPage() && p->Visible()) BuildPage(p);
    if (r->Terminated()) break;
    FFirstReportPage = false;
  }
}

void TfrxEngine::BuildPage(TfrxReportPage* Page) {
  TfrxReport* r = Report();
  if (Page->IsSubreportPage()) {
    // A subreport showing the page it is on, directly or through other
    // subreports, would never end.
    if (std::find(FSubreportPages.begin(), FSubreportPages.end(), Page) != FSubreportPages.end())
      throw Exception("子报表页面 " + Page->Name() + " 显示在它自己之中");
    FSubreportPages.push_back(Page);
    struct TPop {
      std::vector<TfrxReportPage*>& List;
      ~TPop() { List.pop_back(); }
    } pop{FSubreportPages};
    // Runs inside the band of its parent page, on that page's geometry.
    RunDataLevel(Page->Bands());
    return;
  }
  FPage = Page;
  FFirstBand = true;
  r->CallScriptNotifyEvent(Page, Page->OnBeforePrint);
  if (TfrxDataSet* ds = Page->DataSet()) {
    ds->First();
    while (!ds->Eof() && !r->Terminated()) {
      BuildPageInstance();
      ds->Next();
    }
  } else {
    for (Integer i = 0; i < Page->PageCount() && !r->Terminated(); ++i) BuildPageInstance();
  }
  r->CallScriptNotifyEvent(Page, Page->OnAfterPrint);
}

bool TfrxEngine::PageHasPrintableData() {
  TList* bands = FPage->Bands();
  for (Integer i = 0; i < bands->Count(); ++i) {
    auto* b = static_cast<TfrxDataBand*>(bands->Items(i));
    TfrxDataSet* ds = DataSetOf(b);
    if (!ds) continue;
    ds->First();
    while (!ds->Eof()) {
      if (HasPrintableDetail(b, b->PrintIfDetailEmpty)) return true;
      ds->Next();
    }
  }
  return false;
}

void TfrxEngine::BuildPageInstance() {
  TfrxReport* r = Report();
  TfrxPreviewPages* pages = Pages();
  if (!r->EngineOptions()->PrintIfEmpty && !PageHasPrintableData()) return;
  BeginPageRun();

  // Objects placed on the page outside any band print through a band of
  // their own that borrows them.
  std::vector<TfrxComponent*> loose;
  TList* objs = FPage->Objects();
  for (Integer i = 0; i < objs->Count(); ++i)
    if (!frxIsKindOf(ChildAt(objs, i), "TfrxBand") && frxIsKindOf(ChildAt(objs, i), "TfrxView"))
      loose.push_back(ChildAt(objs, i));
  if (!loose.empty()) {
    TfrxNullBand band(nullptr);
    band.SetWidth(PageWidth);
    band.SetHeight(PageHeight);
    for (TfrxComponent* c : loose) band.Objects()->Add(c);
    const Extended y = CurY;
    try {
      band.AlignChildren();
      ShowBand(&band);
    } catch (...) {
      band.Objects()->Clear();
      throw;
    }
    band.Objects()->Clear();
    CurY = y;
  }

  if (r->OnManualBuild)
    r->OnManualBuild(FPage);
  else if (!Trim(FPage->OnManualBuild).empty())
    r->CallScriptNotifyEvent(FPage, FPage->OnManualBuild);
  else
    RunDataLevel(FPage->Bands());

  FLastPage = true;
  if (FPage->EndlessHeight || FPage->EndlessWidth) {
    const Extended w = FPage->EndlessWidth
                           ? (FPage->LeftMargin + FPage->RightMargin) * fr01cm + PageWidth
                           : FPage->PaperWidth() * fr01cm;
    Extended h = FPage->PaperHeight() * fr01cm;
    if (FPage->EndlessHeight) {
      PageHeight = FooterHeight() + CurY;
      h = (FPage->TopMargin + FPage->BottomMargin) * fr01cm + PageHeight;
    }
    pages->SetSourcePageSize(FPage, w, h);
  }
  EndPage();
  FLastPage = false;
}

void TfrxEngine::BeginPageRun() {
  TfrxPreviewPages* pages = Pages();
  FReprint.Clear();
  auto* title = static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxReportTitle::StaticClass()));
  auto* header = static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxPageHeader::StaticClass()));
  if (FPage->TitleBeforeHeader) {
    FReprint.Add(title, false, 0);
    FReprint.Add(header, false, 0);
  } else {
    FReprint.Add(header, false, 0);
    FReprint.Add(title, false, 0);
  }
  PageHeight = (FPage->PaperHeight() - FPage->TopMargin - FPage->BottomMargin) * fr01cm;
  PageWidth = (FPage->PaperWidth() - FPage->LeftMargin - FPage->RightMargin) * fr01cm;
  CurX = 0;
  CurY = 0;
  CurColumn = 1;
  FPageXOffset = 0;
  FFirstPage = true;
  FLastPage = false;
  PreviewPages()->Outline()->LevelRoot();
  if (FPage->ResetPageNumbers) pages->ResetLogicalPageNumber();
  if (pages->GetPageCount() > 0 && FPage->PrintOnPreviousPage) {
    FPrintOnPreviousPage = FPrevFooterHeight != 0;
    pages->CurPage = pages->GetPageCount() - 1;
    CurY = pages->GetLastY(0);
    FReprint.Remove(title);
    ShowBandByClass(TfrxReportTitle::StaticClass());
  } else {
    StartOutputPage();
  }
  if (FFirstReportPage) pages->SetFirstPageOfReport();
  FFirstColumnY = CurY;
  ShowBandByClass(TfrxColumnHeader::StaticClass());
  FReprint.Add(static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxColumnHeader::StaticClass())), false, 0);
  FReprint.Remove(title);
  AddPageOutline();
}

void TfrxEngine::AddPageOutline() {
  if (FPage->OutlineText.empty()) return;
  TfrxCustomOutline* o = PreviewPages()->Outline();
  o->LevelRoot();
  o->AddItem(VarToStr(Report()->Calc(FPage->OutlineText)), 0);
}

void TfrxEngine::StartOutputPage() {
  FPrintOnPreviousPage = false;
  Pages()->AddPage(FPage);
  CurY = 0;
  auto* overlay = static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxOverlay::StaticClass()));
  if (overlay && !overlay->PrintOnTop) {
    ShowBand(overlay);
    CurY = 0;
  }
  const Extended x = CurX;
  FFirstColumnY = 0;
  for (Integer i = 0; i < FReprint.Count(); ++i) {
    TfrxHeaderListItem item = FReprint.Items(i);
    TfrxBand* b = item.Band;
    CurX = item.Left;
    if (!b || b == FStartNewPageBand) continue;
    if (FFirstPage && frxIsKindOf(b, "TfrxPageHeader") && !b->PrintOnFirstPage) {
      if (b->PrintChildIfInvisible && b->Child()) b = b->Child();
      else continue;
    }
    if ((FKeepHeader || item.IsInKeepList) && !FKeepFooter) continue;
    if (frxIsKindOf(b, "TfrxHeader") && (FDontShowHeaders || b == FLastBandOnPage)) continue;
    b->Overflow = true;
    const Integer line = CurLine, through = CurLineThrough;
    CurLine = b->FLineN;
    CurLineThrough = b->FLineThrough;
    FCalledFromAddPage = true;
    const bool isTitle = frxIsKindOf(b, "TfrxReportTitle");
    if (isTitle) FReprint.Items(i).Band = nullptr;
    try {
      ShowBand(b);
    } catch (...) {
      FCalledFromAddPage = false;
      b->Overflow = false;
      throw;
    }
    if (frxIsKindOf(b, "TfrxPageHeader")) FFirstColumnY = b->Height();
    if (FFirstBand && isTitle) FFirstBand = false;
    FCalledFromAddPage = false;
    b->Overflow = false;
    CurLine = line;
    CurLineThrough = through;
  }
  CurX = x;
}

void TfrxEngine::EndPage() {
  TfrxPreviewPages* pages = Pages();
  const bool fromEndPage = FCalledFromEndPage;
  if (!fromEndPage) PutColumnFooter();
  if (!FLastPage) {
    CurX = FPageXOffset;
    CurColumn = 1;
  }
  if (FLastPage && !fromEndPage) {
    FCalledFromEndPage = true;
    try {
      auto* summary = static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxReportSummary::StaticClass()));
      ShowBandByClass(TfrxReportSummary::StaticClass());
      if (FPage->EndlessHeight && summary) {
        PageHeight += summary->FStretchedHeight;
        pages->SetSourcePageSize(FPage, (FPage->LeftMargin + FPage->RightMargin) * fr01cm + PageWidth,
                                 (FPage->TopMargin + FPage->BottomMargin) * fr01cm + PageHeight);
      }
    } catch (...) {
      FCalledFromEndPage = false;
      throw;
    }
    FCalledFromEndPage = false;
  }
  if (auto* footer = static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxPageFooter::StaticClass()))) {
    CurY = PageHeight - footer->Height();
    FPrevFooterHeight = FLastPage && footer->PrintOnLastPage ? footer->Height() : 0;
    PutPageFooter(footer);
  }
  auto* overlay = static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxOverlay::StaticClass()));
  if (overlay && overlay->PrintOnTop) {
    CurY = 0;
    PutPageFooter(overlay);
  }
  FFirstPage = false;
}

void TfrxEngine::PutPageFooter(TfrxBand* Band) {
  try {
    FillBand(Band);
    if (Band->Visible()) {
      Band->SetLeft(0);
      Band->SetTop(CurY);
      bool print = true;
      if (frxIsKindOf(Band, "TfrxPageFooter")) {
        if (FFirstPage && !Band->PrintOnFirstPage) print = false;
        if (FLastPage && !Band->PrintOnLastPage) print = false;
      }
      if (print && !Pages()->BandExists(Band)) {
        Pages()->AddObject(Band);
        CurY += Band->Height();
      }
    }
  } catch (...) {
    ReleaseBand(Band);
    FAggregates->ResetTotals(Band);
    throw;
  }
  ReleaseBand(Band);
  FAggregates->ResetTotals(Band);
}

void TfrxEngine::PutColumnFooter() {
  auto* band = static_cast<TfrxBand*>(FPage->FirstBandOfClass(TfrxColumnFooter::StaticClass()));
  if (!band) return;
  try {
    FillBand(band);
    if (band->Visible()) {
      band->SetLeft(CurX - FPageXOffset);
      band->SetTop(CurY);
      Pages()->AddObject(band);
      CurY += band->Height();
    }
  } catch (...) {
    ReleaseBand(band);
    throw;
  }
  ReleaseBand(band);
  FAggregates->ResetTotals(band);
}

void TfrxEngine::KeepBeforeBreak() {
  if (!FKeeping) return;
  if (FKeepFooter && FKeepBand) FAggregates->UndoRecord(FKeepBand);
  Pages()->CutObjects(FKeepPosition);
  CurY = Pages()->GetLastY(0);
}

void TfrxEngine::KeepAfterBreak(Extended X) {
  if (!FKeeping) return;
  FAggregates->EndHold();
  Pages()->PasteObjects(X, CurY);
  PreviewPages()->Outline()->ShiftFollowingItems(FKeepOutline, Integer(std::lround(CurY)));
  Pages()->ShiftAnchors(FKeepAnchor, Integer(std::lround(CurY)));
  CurY = Pages()->GetLastY(X);
  if (FKeepFooter && FKeepBand) FAggregates->AddRecord(FKeepBand, 0);
}

void TfrxEngine::NewPage() {
  KeepBeforeBreak();
  FLastBandOnPage = FCurBand;
  EndPage();
  StartOutputPage();
  FLastBandOnPage = nullptr;
  KeepAfterBreak(0);
  FKeeping = false;
  FKeepHeader = false;
  AddPageOutline();
}

void TfrxEngine::NewColumn() {
  if (CurColumn >= FPage->Columns()) {
    NewPage();
    return;
  }
  KeepBeforeBreak();
  FLastBandOnPage = FCurBand;
  PutColumnFooter();
  StartNextColumn();
  FLastBandOnPage = nullptr;
  KeepAfterBreak(CurX);
  FKeeping = false;
  FKeepHeader = false;
}

void TfrxEngine::StartNextColumn() {
  ++CurColumn;
  Extended pos = 0;
  TStrings* positions = FPage->ColumnPositions();
  if (CurColumn - 1 < positions->Count()) {
    try {
      pos = frxParseFloat(positions->Strings(CurColumn - 1)) * fr01cm;
    } catch (const Exception&) {
      pos = 0;
    }
  }
  CurY = FFirstColumnY;
  for (Integer i = 0; i < FReprint.Count(); ++i) {
    TfrxHeaderListItem item = FReprint.Items(i);
    TfrxBand* b = item.Band;
    if (!b || frxIsKindOf(b, "TfrxPageHeader") || b == FLastBandOnPage || item.IsInKeepList || FKeepHeader)
      continue;
    CurX = item.Left + pos;
    for (TfrxBand* x = b; x; x = (x->Visible() || x->PrintChildIfInvisible) ? x->Child() : nullptr) {
      x->Overflow = true;
      try {
        FillBand(x);
        if (x->Visible()) {
          x->SetLeft(CurX);
          x->SetTop(CurY);
          Pages()->AddObject(x);
          CurY += x->Height();
        }
      } catch (...) {
        x->Overflow = false;
        ReleaseBand(x);
        throw;
      }
      x->Overflow = false;
      ReleaseBand(x);
    }
  }
  CurX = FPageXOffset + pos;
}

// ---------------------------------------------------------------------------
// The band tree of a page

void TfrxEngine::LinkPageBands(TfrxReportPage* Page) {
  TfrxReport* r = Report();
  Page->AlignChildren();
  Page->Bands()->Clear();
  Page->VBands()->Clear();
  TList* objs = Page->Objects();
  std::vector<TfrxBand*> bands;
  for (Integer i = 0; i < objs->Count(); ++i)
    if (auto* b = dynamic_cast<TfrxBand*>(ChildAt(objs, i))) bands.push_back(b);
  for (TfrxBand* b : bands) {
    b->SubBands()->Clear();
    b->FHeader = b->FFooter = b->FGroup = nullptr;
    b->FHasVBands = false;
    b->ShiftChildren()->Clear();
    if (auto* d = dynamic_cast<TfrxDataBand*>(b); d && !d->DataSet() && d->RowCount() > 0)
      d->VirtualDataSet()->Initialize();
  }
  MoveCellsToVerticalBands(bands);
  for (bool vertical : {false, true}) {
    struct TEntry {
      String Key;
      TfrxBand* Band;
    };
    std::vector<TEntry> list;
    for (TfrxBand* b : bands) {
      if (b->Vertical != vertical) continue;
      const Integer k = b->KindIndex();
      if (k < 4 || k > 13) continue;
      String key = Format("%9.2f", {vertical ? b->Left() : b->Top()});
      bool dup = false;
      for (auto& e : list) dup = dup || e.Key == key;
      if (!dup) list.push_back({key, b});
    }
    std::stable_sort(list.begin(), list.end(), [](const TEntry& a, const TEntry& b) { return a.Key < b.Key; });
    std::vector<TfrxBand*> l;
    for (auto& e : list) l.push_back(e.Band);
    auto isData = [](TfrxBand* b) { return b->KindIndex() >= 6 && b->KindIndex() <= 11; };
    auto err = [&](const char* key, TfrxBand* b) { r->Errors()->Add(frxGetResources()->Get(key) + " " + b->Name()); };

    // Groups: a run of group headers forms a nest for the next data band.
    std::vector<bool> matched(l.size(), false);
    for (size_t i = 0; i < l.size(); ++i) {
      if (!dynamic_cast<TfrxGroupHeader*>(l[i])) continue;
      TfrxBand* first = l[i];
      size_t j = i;
      while (j < l.size() && dynamic_cast<TfrxGroupHeader*>(l[j])) first->SubBands()->Add(l[j++]);
      size_t k = j;
      while (k < l.size() && !isData(l[k])) ++k;
      if (k < l.size()) l[k]->FGroup = first;
      else err("enUnconnGroup", first);
      i = j - 1;
    }
    std::vector<TfrxBand*> rest;
    {
      std::vector<bool> gone(l.size(), false);
      for (size_t i = 0; i < l.size(); ++i) {
        if (!dynamic_cast<TfrxGroupFooter*>(l[i])) continue;
        for (size_t k = i; k-- > 0;)
          if (dynamic_cast<TfrxGroupHeader*>(l[k]) && !gone[k]) {
            l[k]->FFooter = l[i];
            gone[k] = gone[i] = true;
            break;
          }
      }
      for (size_t i = 0; i < l.size(); ++i) {
        if (gone[i] || dynamic_cast<TfrxGroupHeader*>(l[i])) continue;
        if (dynamic_cast<TfrxGroupFooter*>(l[i])) {
          err("enUnconnGFooter", l[i]);
          continue;
        }
        rest.push_back(l[i]);
      }
    }
    // Headers and footers next to their data band.
    std::vector<bool> gone(rest.size(), false);
    for (size_t i = 0; i < rest.size(); ++i) {
      if (!isData(rest[i])) continue;
      if (i > 0 && !gone[i - 1] && frxIsKindOf(rest[i - 1], "TfrxHeader")) {
        rest[i]->FHeader = rest[i - 1];
        gone[i - 1] = true;
      }
      if (i + 1 < rest.size() && frxIsKindOf(rest[i + 1], "TfrxFooter")) {
        rest[i]->FFooter = rest[i + 1];
        gone[i + 1] = true;
      }
    }
    std::vector<TfrxBand*> data;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (gone[i]) continue;
      if (frxIsKindOf(rest[i], "TfrxHeader") || frxIsKindOf(rest[i], "TfrxFooter")) err("enUnconnHeader", rest[i]);
      else data.push_back(rest[i]);
    }
    // Detail levels.
    TList* top = vertical ? Page->VBands() : Page->Bands();
    std::vector<bool> used(data.size(), false);
    for (size_t i = 0; i < data.size(); ++i) {
      const Integer k = data[i]->KindIndex();
      if (k == 6) {
        used[i] = true;
        if (DataSetOf(data[i])) top->Add(data[i]);
      }
      if (k >= 11) continue;
      for (size_t j = i + 1; j < data.size() && data[j]->KindIndex() > k; ++j)
        if (data[j]->KindIndex() == k + 1) {
          used[j] = true;
          if (DataSetOf(data[j])) data[i]->SubBands()->Add(data[j]);
        }
    }
    for (size_t i = 0; i < data.size(); ++i)
      if (!used[i]) err("enBandPos", data[i]);
  }
}

void TfrxEngine::MoveCellsToVerticalBands(const std::vector<TfrxBand*>& Bands) {
  std::vector<TfrxBand*> vertical;
  for (TfrxBand* b : Bands)
    if (b->Vertical) vertical.push_back(b);
  if (vertical.empty()) return;
  for (TfrxBand* h : Bands) {
    if (h->Vertical || dynamic_cast<TfrxOverlay*>(h)) continue;
    std::vector<TfrxComponent*> objs;
    for (Integer i = 0; i < h->Objects()->Count(); ++i) objs.push_back(ChildAt(h->Objects(), i));
    for (TfrxComponent* o : objs)
      for (TfrxBand* v : vertical)
        if (o->Left() >= v->Left() - 0.0001 && o->Left() + o->Width() <= v->Left() + v->Width() + 0.0001) {
          o->SetParent(v);
          o->SetParentBand(h);
          o->SetLeft(o->Left() - v->Left());
          break;
        }
  }
  // Cells moved by an earlier run still belong to their horizontal band.
  for (TfrxBand* v : vertical)
    for (Integer i = 0; i < v->Objects()->Count(); ++i)
      if (auto* h = dynamic_cast<TfrxBand*>(ChildAt(v->Objects(), i)->ParentBand())) h->FHasVBands = true;
}

// ---------------------------------------------------------------------------
// Data levels

bool TfrxEngine::HasPrintableDetail(TfrxBand* Band, bool PrintIfEmpty) {
  if (PrintIfEmpty) return true;
  TList* details = Band->SubBands();
  if (details->Count() == 0) return true;
  bool result = false;
  for (Integer i = 0; i < details->Count(); ++i) {
    auto* d = static_cast<TfrxDataBand*>(details->Items(i));
    TfrxDataSet* ds = DataSetOf(d);
    if (!ds) continue;
    Report()->CallScriptNotifyEvent(d, d->OnMasterDetail);
    ds->First();
    while (!ds->Eof()) {
      if (HasPrintableDetail(d, d->PrintIfDetailEmpty)) {
        result = true;
        break;
      }
      ds->Next();
    }
  }
  return result;
}

void TfrxEngine::ResetSuppressed(TfrxBand* Band) {
  TList* all = Band->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i)
    if (auto* m = dynamic_cast<TfrxCustomMemoView*>(ChildAt(all, i))) m->ClearLastValue();
}

void TfrxEngine::RunDataLevel(TList* Bands) {
  TfrxReport* r = Report();
  frxProcessMessages();
  if (r->Terminated()) return;
  Extended rowStart = CurY;
  std::vector<TfrxDataBand*> list;
  for (Integer i = 0; i < Bands->Count(); ++i) list.push_back(static_cast<TfrxDataBand*>(Bands->Items(i)));
  for (TfrxDataBand* band : list) {
    TfrxDataSet* ds = DataSetOf(band);
    if (!ds) continue;
    r->CallScriptNotifyEvent(band, band->OnMasterDetail);
    ds->First();
    band->FLineN = 1;
    band->FLineThrough = 1;
    band->SetCurrentColumn(1);
    FRowLowest[band] = 0;
    ResetSuppressed(band);
    bool first = true, printed = false;
    Integer columnStart = 0;
    Integer idleRows = 0;
    while (!ds->Eof()) {
      const Extended idleY = CurY;
      const Integer idlePage = Pages()->CurPage, idleColumn = CurColumn;
      if (HasPrintableDetail(band, band->PrintIfDetailEmpty)) {
        if (first) {
          if (band->KeepHeader && band->FHeader) {
            FKeepHeader = true;
            OpenKeep(band);
          }
          RememberReprintHeader(band->FHeader);
          ShowBand(band->FHeader);
          if (band->KeepTogether) OpenKeep(band);
        } else if (!band->FGroup && band->KeepTogether) {
          OpenKeep(band);
        }
        if (band->FGroup) {
          if (first) OpenGroups(band, band->FGroup, true, 0);
          else TestGroupBreak(band, band->FGroup, rowStart, columnStart);
        }
        if (band->KeepFooter) FFooterKeepPosition = Pages()->PageObjectCount();
        if (band->Columns > 1 && band->CurrentColumn() == 1) columnStart = Pages()->PageObjectCount();
        rowStart = CurY;
        CurLine = band->FLineN;
        CurLineThrough = band->FLineThrough;
        ShowBand(band);
        printed = true;
        if (first && band->KeepHeader && band->FHeader) CloseKeep(band);
        first = false;
        ++band->FLineN;
        ++band->FLineThrough;
        AdvanceBandColumn(band, columnStart, rowStart);
        AddBandOutline(band);
        RunDataLevel(band->SubBands());
        if (!band->OutlineText.empty()) PreviewPages()->Outline()->LevelUp();
      }
      FFirstBand = false;
      if (band->FooterAfterEach) ShowBand(band->FFooter);
      if (!band->FGroup && band->KeepTogether) CloseKeep(band);
      ds->Next();
      if (CurY == idleY && Pages()->CurPage == idlePage && CurColumn == idleColumn)
        CheckIdleRows(r, band, ds, ++idleRows);
      else
        idleRows = 0;
      if ((band->RowCount() != 0 && band->FLineN > band->RowCount()) || r->Terminated()) break;
    }
    band->SetCurrentColumn(band->Columns);
    AdvanceBandColumn(band, columnStart, rowStart);
    if (printed) {
      if (band->FGroup) CloseGroups(band, band->FGroup, 0);
      if (!band->FooterAfterEach) {
        if (band->KeepFooter) OpenKeep(band, FFooterKeepPosition);
        FKeepFooter = true;
        try {
          ShowBand(band->FFooter);
        } catch (...) {
          FKeepFooter = false;
          throw;
        }
        if (band->KeepFooter) CloseKeep(band);
        FKeepFooter = false;
      }
      FReprint.Remove(band->FHeader);
      if (band->FGroup && band->KeepTogether) CloseKeep(band);
    }
    if (r->Terminated()) break;
    FFirstBand = false;
  }
}

void TfrxEngine::ApplyDrillState(TfrxDataBand* Data, TfrxBand* Group) {
  TList* nest = Group->SubBands();
  TStrings* state = Report()->DrillState();
  for (Integer i = 0; i < nest->Count(); ++i) {
    auto* gh = static_cast<TfrxGroupHeader*>(nest->Items(i));
    if (!gh->DrillDown) continue;
    const String key = gh->Name() + "." + IntToStr(gh->FLineThrough);
    bool expanded = false;
    for (Integer k = 0; k < state->Count() && !expanded; ++k) expanded = AnsiSameText(state->Strings(k), key);
    if (gh->ExpandDrillDown) expanded = !expanded;
    for (Integer j = i + 1; j < nest->Count(); ++j) {
      auto* deeper = static_cast<TfrxBand*>(nest->Items(j));
      deeper->SetVisible(expanded);
      if (deeper->FFooter) deeper->FFooter->SetVisible(expanded);
    }
    Data->SetVisible(expanded);
    if (!gh->ShowFooterIfDrillDown && gh->FFooter) gh->FFooter->SetVisible(expanded);
    if (!expanded) break;
  }
}

void TfrxEngine::OpenGroups(TfrxDataBand* Data, TfrxBand* Group, bool Initial, Integer FromLevel) {
  TList* nest = Group->SubBands();
  for (Integer i = FromLevel; i < nest->Count(); ++i) {
    auto* gh = static_cast<TfrxBand*>(nest->Items(i));
    if (Initial) {
      gh->FLineN = 1;
      gh->FLineThrough = 1;
      ResetSuppressed(gh);
    } else {
      ++gh->FLineN;
      if (i + 1 < nest->Count()) static_cast<TfrxBand*>(nest->Items(i + 1))->FLineN = 0;
      ++gh->FLineThrough;
    }
  }
  ApplyDrillState(Data, Group);
  for (Integer i = FromLevel; i < nest->Count(); ++i) {
    auto* gh = static_cast<TfrxGroupHeader*>(nest->Items(i));
    CurLine = gh->FLineN;
    CurLineThrough = gh->FLineThrough;
    gh->LastValue = Report()->Calc(gh->Condition);
    if (gh->KeepTogether) OpenKeep(gh);
    ShowBand(gh);
    AddBandOutline(gh);
    RememberReprintHeader(gh);
  }
}

void TfrxEngine::TestGroupBreak(TfrxDataBand* Data, TfrxBand* Group, Extended& RowStart, Integer ColumnStart) {
  ApplyDrillState(Data, Group);
  TList* nest = Group->SubBands();
  for (Integer i = 0; i < nest->Count(); ++i) {
    auto* gh = static_cast<TfrxGroupHeader*>(nest->Items(i));
    Variant v = Report()->Calc(gh->Condition);
    if (v == gh->LastValue) continue;
    Data->SetCurrentColumn(Data->Columns);
    AdvanceBandColumn(Data, ColumnStart, RowStart);
    // The footers show the values of the group's last record.
    TfrxDataSet* ds = DataSetOf(Data);
    bool back = true;
    try {
      ds->Prior();
    } catch (const Exception&) {
      back = false;
    }
    CloseGroups(Data, Group, i);
    if (back) ds->Next();
    OpenGroups(Data, Group, false, i);
    Data->FLineN = 1;
    ResetSuppressed(Data);
    break;
  }
}

void TfrxEngine::CloseGroups(TfrxDataBand* Data, TfrxBand* Group, Integer ToLevel) {
  TList* nest = Group->SubBands();
  for (Integer i = nest->Count() - 1; i >= ToLevel; --i) {
    auto* gh = static_cast<TfrxGroupHeader*>(nest->Items(i));
    if (auto* gf = dynamic_cast<TfrxGroupFooter*>(gh->FFooter)) {
      if (gf->HideIfSingleDataRecord && Data->FLineN <= 2)
        FAggregates->ResetTotals(gf);
      else
        ShowBand(gf);
    }
    if (!gh->OutlineText.empty() && !FInVertical) PreviewPages()->Outline()->LevelUp();
    FReprint.Remove(gh);
    FVReprint.erase(std::remove(FVReprint.begin(), FVReprint.end(), gh), FVReprint.end());
    if (gh->KeepTogether) CloseKeep(gh);
  }
}

void TfrxEngine::AdvanceBandColumn(TfrxDataBand* Band, Integer ColumnStart, Extended RowStart) {
  if (Band->Columns < 2) return;
  Extended& lowest = FRowLowest[Band];
  if (CurY > lowest) lowest = CurY;
  if (Band->CurrentColumn() < Band->Columns) {
    CurY = RowStart;
  } else {
    if (lowest <= PageHeight - FooterHeight() || FPage->EndlessHeight) {
      CurY = std::max(CurY, lowest);
    } else if (FKeeping) {
      NewColumn();
    } else {
      Pages()->CutObjects(ColumnStart);
      NewColumn();
      Pages()->PasteObjects(CurX, CurY);
      CurY = CurY + lowest - RowStart;
    }
  }
  if (Band->Visible()) {
    Integer next = Band->CurrentColumn() + 1;
    Band->SetCurrentColumn(next > Band->Columns ? 1 : next);
    if (Band->CurrentColumn() == 1) FRowLowest[Band] = 0;
  }
}

void TfrxEngine::OpenKeep(TfrxBand* Band, Integer Position) {
  if (FKeeping || FFirstBand || FInVertical) return;
  FKeeping = true;
  FKeepBand = Band;
  FKeepPosition = Position ? Position : Pages()->PageObjectCount();
  FKeepOutline = PreviewPages()->Outline()->CurrentMark();
  FKeepAnchor = Pages()->LastAnchorIndex();
  FAggregates->BeginHold();
}

void TfrxEngine::CloseKeep(TfrxBand* Band) {
  if (!FKeeping || Band != FKeepBand) return;
  FKeeping = false;
  FKeepBand = nullptr;
  FAggregates->EndHold();
  FKeepHeader = false;
}

void TfrxEngine::RememberReprintHeader(TfrxBand* Band) {
  if (!Band) return;
  if (FInVertical) {
    if (Band->ReprintOnNewPage || frxIsKindOf(Band, "TfrxHeader")) FVReprint.push_back(Band);
    return;
  }
  const bool header = frxIsKindOf(Band, "TfrxHeader"), group = frxIsKindOf(Band, "TfrxGroupHeader");
  if ((header || group) && Band->ReprintOnNewPage) FReprint.Add(Band, FKeeping && group, FPageXOffset);
}

void TfrxEngine::AddBandOutline(TfrxBand* Band) {
  if (Band->OutlineText.empty() || !Band->Visible() || FInVertical) return;
  const Extended h = Band->Stretched ? Band->FStretchedHeight : Band->Height();
  PreviewPages()->Outline()->AddItem(VarToStr(Report()->Calc(Band->OutlineText)),
                                     Integer(std::lround(CurY - h)));
}

// ---------------------------------------------------------------------------
// Band output

void TfrxEngine::ShowBand(TfrxComponent* Comp) {
  auto* band = dynamic_cast<TfrxBand*>(Comp);
  if (!band) return;
  if (band->KeepChild) OpenKeep(band);
  OutputBand(band);
  for (TfrxBand* b = band; b->Child() && (b->Visible() || b->PrintChildIfInvisible);) {
    b = b->Child();
    OutputBand(b);
  }
  if (band->KeepChild) CloseKeep(band);
  if (dynamic_cast<TfrxDataBand*>(band) && !band->Vertical) FAggregates->AddRecord(band, 0);
}

void TfrxEngine::ShowBandByClass(TClass BandClass) {
  if (FPage) ShowBand(FPage->FirstBandOfClass(BandClass));
}

Extended TfrxEngine::HeaderHeight() {
  Extended h = 0;
  for (TClass c : {TfrxColumnHeader::StaticClass(), TfrxPageHeader::StaticClass()})
    for (auto* b = static_cast<TfrxBand*>(FPage->FirstBandOfClass(c)); b; b = b->Child()) h += b->Height();
  return h;
}

Extended TfrxEngine::FooterHeight() {
  Extended h = 0;
  for (TClass c : {TfrxColumnFooter::StaticClass(), TfrxPageFooter::StaticClass()})
    if (auto* b = static_cast<TfrxBand*>(FPage->FirstBandOfClass(c))) h += b->Height();
  return h;
}

Extended TfrxEngine::FreeSpace() {
  if (FPage && FPage->EndlessHeight) return 1000000;
  return PageHeight - (FPrintOnPreviousPage ? FPrevFooterHeight : FooterHeight()) - CurY;
}

Variant TfrxEngine::GetAggregateValue(const String& Name, const String& Expression, TfrxComponent* Band,
                                      Integer Flags) {
  return FAggregates->FindTotal(FCurBand, CurVColumn, Flags, dynamic_cast<TfrxBand*>(Band), Expression, Name);
}

void TfrxEngine::PlaceBand(TfrxBand* Band) {
  if (!dynamic_cast<TfrxNullBand*>(Band)) {
    auto* d = dynamic_cast<TfrxDataBand*>(Band);
    Band->SetLeft(d && d->Columns > 1 ? Band->Left() + CurX : CurX);
    Band->SetTop(CurY);
  }
  if (FCalledFromAddPage) {
    if (!Pages()->BandExists(Band)) Pages()->AddObject(Band);
  } else {
    Pages()->AddObject(Band);
  }
  CurY += Band->Height();
}

void TfrxEngine::OutputBand(TfrxBand* Band) {
  TfrxReport* r = Report();
  if (Band->Vertical) {
    PlaceVerticalCells(Band);
    return;
  }
  const Extended savedX = CurX;
  std::vector<Integer> slices;
  if (Band->FHasVBands && !FOutputTo) {
    r->CurObject = Band->Name();
    Band->BeforePrint();
    r->FireBeforePrint(Band);
    try {
      PrepareVerticalRow(Band);
    } catch (...) {
      FInVertical = false;
      ReleaseBand(Band);
      throw;
    }
    CurX = 0;
    Pages()->WriteOver = false;
    slices = FVPages;
    FFilledHBand = Band;
  }
  auto* data = dynamic_cast<TfrxDataBand*>(Band);
  const bool multiColumn = data && data->Columns > 1;
  if (!FCalledFromAddPage && Band->Visible() && Band->StartNewPage && !FOutputTo &&
      !((data || frxIsKindOf(Band, "TfrxGroupHeader")) && Band->FLineN == 1)) {
    FStartNewPageBand = Band;
    if (auto* gh = dynamic_cast<TfrxGroupHeader*>(Band); gh && gh->ResetPageNumbers)
      Pages()->ResetLogicalPageNumber();
    NewPage();
    FStartNewPageBand = nullptr;
  }
  try {
    FillBand(Band);
    Band->FStretchedHeight = Band->Height();
    bool split = false;
    // Bands reprinted at the top of a page or column never break it again:
    // one that does not fit there would start page after page.
    if (Band->Visible() && !multiColumn && !dynamic_cast<TfrxOverlay*>(Band) &&
        !dynamic_cast<TfrxNullBand*>(Band) && FreeSpace() < Band->Height() && !FOutputTo && !FCalledFromAddPage) {
      if ((Band->AllowSplit && !FKeeping) || (Band->Height() > PageHeight - FooterHeight() && !Band->FHasVBands)) {
        if (!Band->AllowSplit && Band->FLineThrough > 1 && !Band->StartNewPage) {
          FCurBand = Band;
          NewColumn();
        }
        if (FKeeping) CloseKeep(FKeepBand);
        SplitBandAcrossPages(Band);
        split = true;
      } else {
        if (!FKeeping) RefillSuppressed(Band);
        const bool wasKeeping = FKeeping;
        if (!(FCalledFromAddPage && dynamic_cast<TfrxChild*>(Band))) {
          FCurBand = Band;
          NewColumn();
        }
        if (FreeSpace() < Band->Height() && wasKeeping) {
          FCurBand = Band;
          NewColumn();
        }
      }
    }
    if (!split && Band->Visible()) {
      if (FOutputTo) {
        // Printed on behalf of a subreport into its parent band.
        if (!dynamic_cast<TfrxNullBand*>(Band)) {
          Band->SetLeft(CurX);
          Band->SetTop(CurY);
        }
        auto* copy = static_cast<TfrxComponent*>(Band->ClassType()->Factory());
        copy->AfterConstruction();
        copy->AttachTo(FOutputTo);
        copy->CopyFrom(Band);
        CurY += Band->Height();
      } else if (Band == FFilledHBand) {
        Band->SetLeft(CurX);
        Band->SetTop(CurY);
        EmitVerticalSlices(Band, slices);
        CurX = savedX;
        CurY += Band->Height();
      } else {
        PlaceBand(Band);
      }
    }
  } catch (...) {
    if (Band == FFilledHBand) {
      FFilledHBand = nullptr;
      CurX = savedX;
    }
    ReleaseBand(Band);
    throw;
  }
  if (Band == FFilledHBand) {
    FFilledHBand = nullptr;
    CurX = savedX;
  }
  ReleaseBand(Band);
  FAggregates->ResetTotals(Band);
  if (Band->Visible()) RunBandSubreports(Band);
}

void TfrxEngine::FillBand(TfrxBand* Band) {
  TfrxReport* r = Report();
  FCurBand = Band;
  const bool cellsFilled = Band == FFilledHBand;
  // Cells are made afresh for every row: so is the shift tree.
  if (cellsFilled) Band->ShiftChildren()->Clear();
  BuildShiftTree(Band);
  if (!cellsFilled) {
    r->CurObject = Band->Name();
    Band->BeforePrint();
    r->FireBeforePrint(Band);
  }
  TList* objs = Band->Objects();
  const Integer ownObjects = cellsFilled ? Band->FOriginalObjectsCount : objs->Count();
  bool grew = false;
  bool mergeSubreports = false;
  for (Integer i = 0; i < objs->Count(); ++i) {
    auto* c = dynamic_cast<TfrxReportComponent*>(ChildAt(objs, i));
    if (!c) continue;
    if (auto* sub = dynamic_cast<TfrxSubreport*>(c); sub && sub->PrintOnParent) mergeSubreports = true;
    c->ShiftAmount = 0;
    // Cells copied from vertical bands already carry their values.
    if (i >= ownObjects) continue;
    r->CurObject = c->Name();
    c->BeforePrint();
    if (!Band->Visible()) continue;
    r->FireBeforePrint(c);
    if (c->Visible()) {
      c->GetData();
      r->CallScriptNotifyEvent(c, c->OnAfterData);
    }
    auto* s = dynamic_cast<TfrxStretcheable*>(c);
    if (s && c->Visible() && s->StretchMode() != smDontStretch) {
      const Extended h = s->CalcHeight();
      if (h > s->Height()) {
        c->ShiftAmount = h - s->Height();
        s->SetHeight(h);
        grew = true;
      }
    }
  }
  if (!Band->Visible()) return;
  if (grew) PushDownChildren(Band, 0, Band);
  if (mergeSubreports) MergeParentSubreports(Band);
  Extended bottom = 0;
  TfrxComponent* lowest = nullptr;
  for (Integer i = 0; i < objs->Count(); ++i) {
    TfrxComponent* c = ChildAt(objs, i);
    if (c->Top() + c->Height() > bottom || !lowest) {
      if (c->Top() + c->Height() > bottom) lowest = c;
      bottom = std::max(bottom, c->Top() + c->Height());
    }
  }
  if (lowest) bottom += DMPBottomAllowance(lowest);
  if (Band->Stretched) Band->SetHeight(bottom);
  r->CurObject = Band->Name();
  r->CallScriptNotifyEvent(Band, Band->OnAfterCalcHeight);
  for (Integer i = 0; i < objs->Count(); ++i) {
    auto* s = dynamic_cast<TfrxStretcheable*>(ChildAt(objs, i));
    if (s && s->StretchMode() == smMaxHeight) s->SetHeight(Band->Height() - s->Top() - DMPBottomAllowance(s));
  }
}

void TfrxEngine::BuildShiftTree(TfrxBand* Band) {
  if (Band->ShiftChildren()->Count() > 0) return;
  struct TBox {
    TfrxReportComponent* Obj;
    Extended L, T, R, B;
  };
  TList* objs = Band->Objects();
  std::vector<TBox> list;
  for (Integer i = 0; i < objs->Count(); ++i)
    if (auto* c = dynamic_cast<TfrxReportComponent*>(ChildAt(objs, i))) {
      c->ShiftChildren()->Clear();
      list.push_back({c, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()});
    }
  std::stable_sort(list.begin(), list.end(), [](const TBox& a, const TBox& b) {
    return Format("%9.2f", {a.T}) < Format("%9.2f", {b.T});
  });
  // The band's top edge stands in front of every object.
  list.insert(list.begin(), TBox{nullptr, 0, -2, Band->Width(), -1});
  auto vOverlap = [](const TBox& a, const TBox& b) { return a.T < b.B && b.T < a.B; };
  auto hOverlap = [](const TBox& a, Extended l, Extended r) { return a.L < r && l < a.R; };
  for (size_t i = 0; i < list.size(); ++i)
    for (size_t j = i + 1; j < list.size(); ++j) {
      const TBox& a = list[i];
      const TBox& b = list[j];
      if (vOverlap(a, b) || b.T <= a.T) continue;
      const Extended l = std::max(a.L, b.L), r = std::min(a.R, b.R);
      if (!(l < r)) continue;
      bool blocked = false;
      for (size_t k = i + 1; k < j && !blocked; ++k) {
        const TBox& c = list[k];
        if (!vOverlap(c, a) && !vOverlap(c, b) && hOverlap(c, l, r)) blocked = true;
      }
      if (blocked) continue;
      TList* target = a.Obj ? a.Obj->ShiftChildren() : Band->ShiftChildren();
      target->Add(b.Obj);
    }
}

void TfrxEngine::PushDownChildren(TfrxReportComponent* Parent, Extended Amount, TfrxBand* Band) {
  TList* children = Parent == Band ? Band->ShiftChildren() : Parent->ShiftChildren();
  for (Integer i = 0; i < children->Count(); ++i) {
    auto* c = static_cast<TfrxReportComponent*>(children->Items(i));
    auto* v = dynamic_cast<TfrxView*>(c);
    const TfrxShiftMode mode = v ? v->ShiftMode() : smAlways;
    Extended amount = 0;
    switch (mode) {
      case smAlways:
        c->SetTop(c->Top() + Amount);
        amount = Amount + c->ShiftAmount;
        break;
      case smDontShift: amount = Amount + c->ShiftAmount; break;
      case smWhenOverlapped: {
        const Extended bottom = Parent->Top() + Parent->Height();
        if (Parent == Band || c->Top() >= bottom) {
          amount = c->ShiftAmount;
        } else {
          const Extended moved = bottom - c->Top();
          c->SetTop(bottom);
          amount = moved + c->ShiftAmount;
        }
        break;
      }
    }
    PushDownChildren(c, amount, Band);
    c->ShiftAmount = 0;
  }
}

void TfrxEngine::ReleaseBand(TfrxBand* Band) {
  TfrxReport* r = Report();
  TList* objs = Band->Objects();
  std::vector<TfrxReportComponent*> list;
  for (Integer i = 0; i < objs->Count(); ++i)
    if (auto* c = dynamic_cast<TfrxReportComponent*>(ChildAt(objs, i))) list.push_back(c);
  if (Band->Visible())
    for (TfrxReportComponent* c : list) {
      r->CurObject = c->Name();
      r->FireAfterPrint(c);
    }
  for (TfrxReportComponent* c : list) c->AfterPrint();
  r->CurObject = Band->Name();
  r->FireAfterPrint(Band);
  Band->AfterPrint();
  if (Band->FOriginalObjectsCount >= 0) {
    while (Band->Objects()->Count() > Band->FOriginalObjectsCount) delete ChildAt(Band->Objects(), Band->Objects()->Count() - 1);
    Band->FOriginalObjectsCount = -1;
    Band->ShiftChildren()->Clear();
  }
}

void TfrxEngine::RefillSuppressed(TfrxBand* Band) {
  bool any = false;
  TList* objs = Band->Objects();
  for (Integer i = 0; i < objs->Count(); ++i)
    if (auto* m = dynamic_cast<TfrxCustomMemoView*>(ChildAt(objs, i)); m && m->SuppressRepeated) {
      m->ClearLastValue();
      any = true;
    }
  if (!any || Band->FHasVBands) return;
  ReleaseBand(Band);
  CurLine = Band->FLineN;
  CurLineThrough = Band->FLineThrough;
  SecondScriptCall = true;
  try {
    FillBand(Band);
  } catch (...) {
    SecondScriptCall = false;
    throw;
  }
  SecondScriptCall = false;
}

void TfrxEngine::SplitBandAcrossPages(TfrxBand* Band) {
  TList* objs = Band->Objects();
  std::vector<TfrxComponent*> all;
  for (Integer i = 0; i < objs->Count(); ++i) all.push_back(ChildAt(objs, i));
  struct TPart {
    TfrxComponent* Obj;
    Extended FullHeight;
    Extended TopBefore;
  };
  std::vector<TPart> remaining;
  for (TfrxComponent* c : all) {
    if (frxIsKindOf(c, "TfrxSubreport")) continue;
    if (auto* s = dynamic_cast<TfrxStretcheable*>(c)) s->InitPart();
    remaining.push_back({c, c->Height(), c->Top()});
  }
  objs->Clear();
  bool progressed = false;  // something placed or split since the split began
  Integer idleCycles = 0;   // cycles in a row that placed nothing
  Extended avail = FreeSpace();
  try {
    while (!remaining.empty()) {
      bool placedNow = false;
      std::vector<bool> pushed(remaining.size(), false);
      auto pushBelow = [&](size_t o, Extended amount) {
        TfrxComponent* O = remaining[o].Obj;
        const Extended bottom = O->Top() + O->Height();
        for (size_t k = 0; k < remaining.size(); ++k) {
          TfrxComponent* c = remaining[k].Obj;
          if (k == o || pushed[k] || !c) continue;
          if (c->Top() >= bottom && c->Left() < O->Left() + O->Width() && O->Left() < c->Left() + c->Width()) {
            c->SetTop(c->Top() + amount);
            pushed[k] = true;
          }
        }
      };
      for (size_t i = 0; i < remaining.size(); ++i) {
        TfrxComponent* O = remaining[i].Obj;
        auto* s = dynamic_cast<TfrxStretcheable*>(O);
        if (O->Top() + O->Height() <= avail) {
          objs->Add(O);
          if (s) s->NextPart();
          remaining[i].Obj = nullptr;
          placedNow = true;
        } else if (s) {
          remaining[i].TopBefore = O->Top();
          if (O->Top() < avail) {
            O->SetHeight(avail - O->Top());
            const Extended u = s->NextPart();
            if (std::fabs(u - O->Height()) < 0.0001) {
              O->SetTop(avail);
              pushBelow(i, u);
              O->SetHeight(remaining[i].FullHeight);
            } else {
              pushBelow(i, u);
              objs->Add(O);
              remaining[i].FullHeight -= O->Height() - u;
              placedNow = true;
            }
          }
        } else if (O->Top() < avail) {
          pushBelow(i, avail - O->Top());
          O->SetTop(avail);
        }
      }
      // An object that can neither stretch nor fit on an empty page would
      // move on forever: after a page that took nothing, place it clipped.
      if (!placedNow && idleCycles >= 1) {
        for (size_t i = 0; i < remaining.size(); ++i) {
          TfrxComponent* O = remaining[i].Obj;
          if (!O) continue;
          if (O->Top() < 0) O->SetTop(0);
          if (O->Top() >= avail) continue;
          O->SetHeight(std::max<Extended>(avail - O->Top(), 0));
          objs->Add(O);
          remaining[i].Obj = nullptr;
          placedNow = true;
          break;
        }
        if (!placedNow && !remaining.empty()) {
          // Nothing starts within the page: take the first object to the top.
          for (auto& p : remaining)
            if (p.Obj) {
              p.Obj->SetTop(0);
              p.Obj->SetHeight(std::max<Extended>(std::min(p.Obj->Height(), avail), 0));
              objs->Add(p.Obj);
              p.Obj = nullptr;
              placedNow = true;
              break;
            }
        }
      }
      idleCycles = placedNow ? 0 : idleCycles + 1;
      progressed = progressed || placedNow;
      remaining.erase(std::remove_if(remaining.begin(), remaining.end(), [](const TPart& p) { return !p.Obj; }),
                      remaining.end());
      Extended h = 0;
      for (Integer i = 0; i < objs->Count(); ++i) h = std::max(h, ChildAt(objs, i)->Top() + ChildAt(objs, i)->Height());
      Band->SetHeight(h);
      if (remaining.empty())
        for (Integer i = 0; i < objs->Count(); ++i) {
          auto* v = dynamic_cast<TfrxView*>(ChildAt(objs, i));
          if (v && v->Align() == baBottom) v->SetTop(Band->Height() - v->Height());
          auto* s = dynamic_cast<TfrxStretcheable*>(ChildAt(objs, i));
          if (s && s->StretchMode() == smMaxHeight) s->SetHeight(Band->Height() - s->Top());
        }
      PlaceBand(Band);
      FCurBand = Band;
      if (!remaining.empty()) NewColumn();
      objs->Clear();
      for (auto& p : remaining) {
        TfrxComponent* O = p.Obj;
        O->SetTop(O->Top() - avail);
        if (!progressed && IsStretcheable(O)) O->SetTop(p.TopBefore);
        if (O->Top() < 0) O->SetTop(0);
        O->SetHeight(p.FullHeight);
      }
      avail = FreeSpace();
    }
  } catch (...) {
    objs->Clear();
    for (TfrxComponent* c : all) objs->Add(c);
    throw;
  }
  objs->Clear();
  for (TfrxComponent* c : all) objs->Add(c);
}

void TfrxEngine::RunBandSubreports(TfrxBand* Band) {
  TList* objs = Band->Objects();
  std::vector<TfrxSubreport*> subs;
  for (Integer i = 0; i < objs->Count(); ++i)
    if (auto* s = dynamic_cast<TfrxSubreport*>(ChildAt(objs, i)); s && s->Visible() && s->Page() && !s->PrintOnParent)
      subs.push_back(s);
  if (subs.empty()) return;
  TfrxPreviewPages* pages = Pages();
  const Integer page = pages->CurPage, column = CurColumn;
  const Extended x = CurX, y = CurY, xoff = FPageXOffset;
  Integer farPage = page, farColumn = column;
  Extended farY = y;
  for (TfrxSubreport* s : subs) {
    pages->CurPage = page;
    CurColumn = column;
    FPageXOffset = xoff + s->Left();
    CurX = x + s->Left();
    CurY = y - Band->FStretchedHeight + s->Top();
    BuildPage(s->Page());
    if (pages->CurPage > farPage || (pages->CurPage == farPage && CurColumn > farColumn) ||
        (pages->CurPage == farPage && CurColumn == farColumn && CurY > farY)) {
      farPage = pages->CurPage;
      farColumn = CurColumn;
      farY = CurY;
    }
  }
  pages->CurPage = farPage;
  CurColumn = farColumn;
  CurX = x;
  if (farColumn > 1 && farColumn - 1 < FPage->ColumnPositions()->Count()) {
    try {
      CurX = x + frxParseFloat(FPage->ColumnPositions()->Strings(farColumn - 1)) * fr01cm;
    } catch (const Exception&) {
    }
  }
  CurY = farY;
  FPageXOffset = xoff;
}

void TfrxEngine::MergeParentSubreports(TfrxBand* Band) {
  std::unique_ptr<TfrxNullBand> redirect;
  if (!FOutputTo) {
    Band->FOriginalObjectsCount = Band->Objects()->Count();
    redirect = std::make_unique<TfrxNullBand>();
    FOutputTo = redirect.get();
  }
  if (!redirect) return;
  const Extended x = CurX, y = CurY, xoff = FPageXOffset;
  std::vector<TfrxSubreport*> subs;
  for (Integer i = 0; i < Band->Objects()->Count(); ++i)
    if (auto* s = dynamic_cast<TfrxSubreport*>(ChildAt(Band->Objects(), i)); s && s->Visible() && s->PrintOnParent && s->Page())
      subs.push_back(s);
  try {
    for (TfrxSubreport* s : subs) {
      FPageXOffset = xoff + s->Left();
      CurX = s->Left();
      CurY = s->Top();
      BuildPage(s->Page());
    }
  } catch (...) {
    FOutputTo = nullptr;
    CurX = x;
    CurY = y;
    FPageXOffset = xoff;
    throw;
  }
  CurX = x;
  CurY = y;
  FPageXOffset = xoff;
  // What the subreports printed becomes part of this band.
  TList* all = redirect->AllObjects();
  std::vector<TfrxComponent*> views;
  for (Integer i = 0; i < all->Count(); ++i) {
    TfrxComponent* c = ChildAt(all, i);
    if (dynamic_cast<TfrxView*>(c) && !dynamic_cast<TfrxSubreport*>(c)) views.push_back(c);
  }
  for (TfrxComponent* c : views) {
    const Extended l = c->AbsLeft(), t = c->AbsTop();
    c->SetParentFont(false);
    c->SetParent(Band);
    c->SetLeft(l);
    c->SetTop(t);
    if (auto* st = dynamic_cast<TfrxStretcheable*>(c)) st->SetStretchMode(smDontStretch);
  }
  FOutputTo = nullptr;
}

void TfrxEngine::PrepareVerticalRow(TfrxBand* Band) {
  FCurHBand = Band;
  Band->FOriginalObjectsCount = Band->Objects()->Count();
  Band->AllowSplit = false;
  FVReprint.clear();
  FVPages.assign(1, 0);
  CurVColumn = 0;
  FInVertical = true;
  RunVerticalLevel(FPage->VBands());
  FInVertical = false;
  FVPages.push_back(Band->Objects()->Count());
}

void TfrxEngine::RunVerticalLevel(TList* Bands) {
  TfrxReport* r = Report();
  std::vector<TfrxDataBand*> list;
  for (Integer i = 0; i < Bands->Count(); ++i) list.push_back(static_cast<TfrxDataBand*>(Bands->Items(i)));
  for (TfrxDataBand* band : list) {
    TfrxDataSet* ds = DataSetOf(band);
    if (!ds) continue;
    ds->First();
    band->FLineN = 1;
    band->FLineThrough = 1;
    ResetSuppressed(band);
    bool first = true, printed = false;
    Extended rowStart = 0;
    while (!ds->Eof()) {
      if (first) {
        RememberReprintHeader(band->FHeader);
        ShowBand(band->FHeader);
      }
      if (band->FGroup) {
        if (first) OpenGroups(band, band->FGroup, true, 0);
        else TestGroupBreak(band, band->FGroup, rowStart, 0);
      }
      CurLine = band->FLineN;
      CurLineThrough = band->FLineThrough;
      ShowBand(band);
      printed = true;
      first = false;
      ++band->FLineN;
      ++band->FLineThrough;
      RunVerticalLevel(band->SubBands());
      if (band->FooterAfterEach) ShowBand(band->FFooter);
      ds->Next();
      if ((band->RowCount() != 0 && band->FLineN > band->RowCount()) || r->Terminated()) break;
    }
    if (band->FGroup && printed) CloseGroups(band, band->FGroup, 0);
    if (printed) {
      FVReprint.erase(std::remove(FVReprint.begin(), FVReprint.end(), band->FHeader), FVReprint.end());
      if (!band->FooterAfterEach) ShowBand(band->FFooter);
    }
  }
}

void TfrxEngine::PlaceVerticalCells(TfrxBand* VBand) {
  TfrxReport* r = Report();
  TfrxBand* h = FCurHBand;
  if (!h) return;
  const bool data = dynamic_cast<TfrxDataBand*>(VBand) != nullptr;
  const bool footer = frxIsKindOf(VBand, "TfrxFooter") || frxIsKindOf(VBand, "TfrxGroupFooter");
  if (data) ++CurVColumn;
  FCurBand = footer ? VBand : h;
  r->CurObject = VBand->Name();
  VBand->BeforePrint();
  r->FireBeforePrint(VBand);
  if (VBand->Visible()) {
    if (CurX + VBand->Width() > PageWidth + 0.0001) {
      if (FPage->EndlessWidth) {
        PageWidth += VBand->Width();
      } else {
        // A new page across begins with the vertical headers again.
        CurX = 0;
        FVPages.push_back(h->Objects()->Count());
        std::vector<TfrxBand*> again = FVReprint;
        for (TfrxBand* b : again)
          if (b != VBand) PlaceVerticalCells(b);
        FCurBand = footer ? VBand : h;
      }
    }
    std::vector<TfrxComponent*> cells;
    for (Integer i = 0; i < VBand->Objects()->Count(); ++i)
      if (ChildAt(VBand->Objects(), i)->ParentBand() == h) cells.push_back(ChildAt(VBand->Objects(), i));
    for (TfrxComponent* c : cells) {
      auto* rc = dynamic_cast<TfrxReportComponent*>(c);
      if (!rc) continue;
      r->CurObject = c->Name();
      rc->BeforePrint();
      try {
        r->FireBeforePrint(rc);
        rc->GetData();
        r->CallScriptNotifyEvent(rc, rc->OnAfterData);
        auto* copy = static_cast<TfrxComponent*>(c->ClassType()->Factory());
        copy->AfterConstruction();
        copy->AttachTo(h);
        copy->Assign(c);
        copy->SetOriginalComponent(c->OriginalComponent());
        copy->SetLeft(c->Left() + CurX);
      } catch (...) {
        rc->AfterPrint();
        throw;
      }
      rc->AfterPrint();
    }
    CurX += VBand->Width();
  }
  r->CurObject = VBand->Name();
  r->FireAfterPrint(VBand);
  VBand->AfterPrint();
  if (data) FAggregates->AddRecord(VBand, CurVColumn);
  if (footer) FAggregates->ResetTotals(VBand);
}

void TfrxEngine::EmitVerticalSlices(TfrxBand* Band, const std::vector<Integer>& Slices) {
  TfrxPreviewPages* pages = Pages();
  const Integer page = pages->CurPage;
  const Extended y = CurY;
  pages->WriteOver = true;
  TList* objs = Band->Objects();
  std::vector<TfrxComponent*> all;
  for (Integer i = 0; i < objs->Count(); ++i) all.push_back(ChildAt(objs, i));
  const size_t count = Slices.size() < 2 ? 1 : Slices.size() - 1;
  auto restore = [&] {
    objs->Clear();
    for (TfrxComponent* c : all) objs->Add(c);
  };
  try {
    for (size_t i = 0; i < count; ++i) {
      objs->Clear();
      const Integer from = Slices.empty() ? 0 : Slices[i];
      const Integer to = Slices.size() < 2 ? Integer(all.size()) : Slices[i + 1];
      for (Integer k = from; k < to && k < Integer(all.size()); ++k) objs->Add(all[size_t(k)]);
      Band->SetTop(CurY);
      pages->AddObject(Band);
      if (i + 1 < count) {
        FDontShowHeaders = true;
        try {
          NewPage();
        } catch (...) {
          FDontShowHeaders = false;
          throw;
        }
        FDontShowHeaders = false;
        // Rows continue at the same height on every page across.
        CurY = y;
      } else if (count > 1) {
        EndPage();
      }
    }
  } catch (...) {
    restore();
    pages->CurPage = page;
    pages->WriteOver = false;
    throw;
  }
  restore();
  pages->CurPage = page;
  CurY = y;
  pages->WriteOver = false;
}

// ---------------------------------------------------------------------------

void frxRegisterEngine() {
  frxEngineClass = [](TfrxReport* r) -> TfrxCustomEngine* { return new TfrxEngine(r); };
  frxPreviewPagesClass = [](TfrxReport* r) -> TfrxCustomPreviewPages* { return new TfrxPreviewPages(r); };
  frxOutlineClass = [](TfrxCustomPreviewPages* p) -> TfrxCustomOutline* { return new TfrxOutline(p); };
  frxRegisterPasswordForm();
  static const bool dmp = (frxRegisterDMPObjects(), true);
  (void)dmp;
}

namespace {
// Reports made after the engine library is linked in get its classes.
[[maybe_unused]] const bool kRegistered = (frxRegisterEngine(), true);
}  // namespace
