// The preview's commands that open dialogs: printing through the print
// dialog, exporting through a filter, the page settings of the current page
// (or of every page, rebuilding the report) and the text search.
#include <memory>

#include "Forms.h"
#include "StdCtrls.h"
#include "frxClass.h"
#include "frxPageSettings.h"
#include "frxPreview.h"
#include "frxPreviewPages.h"
#include "frxSearchDialog.h"

namespace {
// Unlocks the preview when a command ends, also on failure.
struct TUnlockAtEnd {
  TfrxPreview* Preview;
  ~TUnlockAtEnd() { Preview->Unlock(); }
};

// Paper, orientation and margins of one page onto another, through the
// page's setters (orientation first: it turns the paper and the margins).
void CopyPageSettings(TfrxReportPage* From, TfrxReportPage* To) {
  To->SetOrientation(From->Orientation());
  To->SetPaperWidth(From->PaperWidth());
  To->SetPaperHeight(From->PaperHeight());
  To->SetPaperSize(From->PaperSize());
  To->LeftMargin = From->LeftMargin;
  To->RightMargin = From->RightMargin;
  To->TopMargin = From->TopMargin;
  To->BottomMargin = From->BottomMargin;
}

void TellCurrentPage(TfrxCustomPreviewPages* Pages, Integer PageNo) {
  if (auto* p = dynamic_cast<TfrxPreviewPages*>(Pages)) p->CurPreviewPage = PageNo;
}
}  // namespace

bool TfrxPreview::PrintPages() {
  if (!PreviewPages || FRunning) return false;
  TellCurrentPage(PreviewPages, FPageNo);
  TUnlockAtEnd unlock{this};
  return PreviewPages->Print();
}

bool TfrxPreview::ExportWith(TObject* Filter) {
  if (!PreviewPages || FRunning) return false;
  TellCurrentPage(PreviewPages, FPageNo);
  TUnlockAtEnd unlock{this};
  return PreviewPages->Export(Filter);
}

void TfrxPreview::ShowPageSettings() {
  if (!PreviewPages || !Report || FRunning) return;
  const Integer index = FPageNo - 1;
  auto* current = dynamic_cast<TfrxReportPage*>(PreviewPages->GetPage(index));
  if (!current) return;
  // The dialog edits a page of its own: while it is open the preview draws
  // other pages, and the page cache may drop the current one.
  TfrxReportPage edited;
  CopyPageSettings(current, &edited);
  std::unique_ptr<TfrxPageSettingsForm> form(new TfrxPageSettingsForm(Application));
  form->Page = &edited;
  form->Report = Report;
  if (form->ShowModal() != mrOk) return;
  if (form->ApplyToAllPages()) {
    for (Integer i = 0; i < Report->PagesCount(); ++i)
      if (auto* p = dynamic_cast<TfrxReportPage*>(Report->Pages(i))) CopyPageSettings(&edited, p);
    Report->PrepareReport();
  } else {
    Lock();
    TUnlockAtEnd unlock{this};
    if (auto* page = dynamic_cast<TfrxReportPage*>(PreviewPages->GetPage(index))) {
      CopyPageSettings(&edited, page);
      page->AlignChildren();
      PreviewPages->ModifyPage(index, page);
    }
  }
}

void TfrxPreview::ShowFindDialog() {
  std::unique_ptr<TfrxSearchDialog> form(new TfrxSearchDialog(Application));
  // The search runs when OK is pressed; text that is not found keeps the
  // dialog open for the user to correct it.
  form->OnAccept = [this](TfrxSearchDialog* Sender) {
    Find(Sender->TextE->Text(), Sender->CaseCB->Checked(), Sender->TopCB->Checked());
    return frxSearchState().Found;
  };
  form->ShowModal();
  FAllowFindNext = true;
}
