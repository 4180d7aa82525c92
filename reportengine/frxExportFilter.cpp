// Export of prepared pages through an export filter: the filter's dialog,
// the pages chosen (all, a list or the preview's current page), and each
// page given as its background, its bands and their objects.
#include "frxExportFilter.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "Forms.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxCustomPreview.h"
#include "frxDsgnIntf.h"
#include "frxPreviewPages.h"
#include "frxRes.h"
#include "frxUtils.h"

TOVANI_IMPLEMENT_CLASS(TfrxCustomExportFilter, TComponent)

TfrxCustomExportFilter::TfrxCustomExportFilter(TComponent* AOwner) : TComponent(AOwner) {
  if (!AOwner) {
    auto* item = static_cast<TfrxExportFilterItem*>(frxExportFilterRegistry()->Add());
    item->Filter = this;
    FRegistered = true;
  }
}

TfrxCustomExportFilter::~TfrxCustomExportFilter() {
  if (!FRegistered) return;
  TfrxExportFilterCollection* r = frxExportFilterRegistry();
  for (Integer i = r->Count() - 1; i >= 0; --i)
    if (r->Items(i)->Filter == this) r->Delete(i);
}

namespace {
// Millimetres to report units (pixels of a 96-dpi screen).
constexpr Extended kUnitsPerMm = 3.77953;
}  // namespace

// The pages of one export, in order.
struct TfrxExportRun {
  TfrxPreviewPages* Pages;
  TfrxReport* Report;
  TfrxCustomExportFilter* Filter;
  std::vector<Integer> List;   // page numbers; empty = all

  void PrepareMemo(TfrxCustomMemoView* m, Integer Total) {
    if (m->Highlight()->Active()) {
      m->Font()->Assign(m->Highlight()->Font());
      if (m->Highlight()->Color() != frxclNone) m->SetColor(m->Highlight()->Color());
    }
    m->TotalPages = Total;
    m->CopyNo = 1;
    m->ReplacePageMacros();
    if (m->AutoWidth) {
      // Drawing sizes an auto-width memo to its text.
      TBitmap scratch;
      scratch.SetWidth(1);
      scratch.SetHeight(1);
      m->Draw(scratch.Canvas(), 1, 1, 0, 0);
    }
  }

  void ExportPage(Integer Index) {
    const Integer count = Pages->GetPageCount();
    if (Index < 0 || Index >= count) return;
    if (!List.empty() && std::find(List.begin(), List.end(), Index + 1) == List.end()) return;
    auto* page = dynamic_cast<TfrxReportPage*>(Pages->GetPage(Index));
    if (!page) return;
    if (Filter->ShowProgress) Report->DoProgress(ptExporting, Index + 1);
    Filter->StartPage(page, Index);
    const bool mirror = page->MirrorMargins && Index % 2 == 1;
    page->SetLeft((mirror ? page->RightMargin : page->LeftMargin) * kUnitsPerMm);
    page->SetTop(page->TopMargin * kUnitsPerMm);
    {
      // The page's own colour, frame and picture as one object under everything.
      auto background = std::make_unique<TfrxPictureView>(nullptr);
      background->SetName("_pagebackground");
      background->SetColor(page->Color());
      background->Frame()->Assign(page->Frame());
      background->SetPicture(page->BackPicture());
      background->Stretched = true;
      background->KeepAspectRatio = false;
      background->SetBounds(page->Left(), page->Top(),
                            (page->PaperWidth() - page->LeftMargin - page->RightMargin) * kUnitsPerMm,
                            (page->PaperHeight() - page->TopMargin - page->BottomMargin) * kUnitsPerMm);
      Filter->ExportObject(background.get());
    }
    std::vector<TfrxComponent*> bands;
    for (Integer i = 0; i < page->Objects()->Count(); ++i)
      bands.push_back(static_cast<TfrxComponent*>(page->Objects()->Items(i)));
    for (TfrxComponent* c : bands) {
      auto* band = dynamic_cast<TfrxBand*>(c);
      if (!band) continue;
      if (Filter->SuppressPageHeadersFooters) {
        if (dynamic_cast<TfrxPageHeader*>(band) && Index != 0) continue;
        if (dynamic_cast<TfrxPageFooter*>(band) && Index != count - 1) continue;
      }
      Filter->ExportObject(band);
      TList* all = band->AllObjects();
      std::vector<TfrxComponent*> objects;
      for (Integer i = 0; i < all->Count(); ++i) objects.push_back(static_cast<TfrxComponent*>(all->Items(i)));
      for (TfrxComponent* obj : objects) {
        if (auto* m = dynamic_cast<TfrxCustomMemoView*>(obj)) PrepareMemo(m, count);
        Filter->ExportObject(obj);
      }
    }
    Filter->FinishPage(page, Index);
    if (Report->Preview()) {
      page->SetLeft(0);
      page->SetTop(0);
    } else {
      Pages->ClearCache();
    }
  }

  void ExportAll() {
    if (!Filter->Start()) return;
    TfrxCustomPreview* preview = Report->Preview();
    if (preview) {
      preview->Lock();
      preview->Invalidate();
    }
    struct Finally {
      TfrxExportRun* Run;
      TfrxCustomPreview* Preview;
      ~Finally() {
        if (Preview) {
          Preview->Unlock();
          Preview->Invalidate();
        }
        if (Run->Filter->ShowProgress) Run->Report->DoProgressStop(ptExporting);
        Run->Filter->Finish();
      }
    } finally{this, preview};
    if (Filter->ShowProgress) Report->DoProgressStart(ptExporting);
    const Integer count = Pages->GetPageCount();
    for (Integer i = 0; i < count; ++i) {
      if (Report->Terminated()) break;
      ExportPage(i);
      frxProcessMessages();
    }
  }
};

bool TfrxPreviewPages::Export(TObject* AFilter) {
  CopyNo = 0;
  auto* filter = dynamic_cast<TfrxCustomExportFilter*>(AFilter);
  if (!filter) return false;
  TfrxReport* report = Report();
  filter->Report = report;
  if (filter->ShowDialog && filter->ShowModal() != mrOk) return false;
  if (filter->CurPage) filter->PageNumbers = IntToStr(report->Preview() ? CurPreviewPage : 1);
  report->SetTerminated(false);
  TfrxExportRun run{this, report, filter, {}};
  bool result = true;
  try {
    frxParsePageNumbers(filter->PageNumbers, run.List, GetPageCount());
    run.ExportAll();
  } catch (const Exception& e) {
    result = false;
    report->Errors()->Add(e.Message());
    frxReportError(report, frxGetResources()->Get("clErrors") + "\r\n" + report->Errors()->Text());
  } catch (const std::exception& e) {
    result = false;
    report->Errors()->Add(e.what());
    frxReportError(report, frxGetResources()->Get("clErrors") + "\r\n" + report->Errors()->Text());
  }
  return result;
}
