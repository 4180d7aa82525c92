// Printing the prepared pages on the report's printer: the printer chosen by
// the print options, copies with or without collation, page ranges and odd or
// even pages, reverse order, an empty sheet after each odd-length duplex
// copy, and the four ways of putting pages on sheets (one per sheet, a large
// page split over several sheets, several small pages joined on one, or each
// page scaled onto one sheet).
#include <algorithm>
#include <cmath>
#include <vector>

#include "SysUtils.h"
#include "frxClass.h"
#include "frxCustomPreview.h"
#include "frxPreviewPages.h"
#include "frxPrintDialog.h"
#include "frxPrinter.h"
#include "frxRes.h"
#include "frxUtils.h"

namespace {

const char kInvalidPrinter[] = "Printer selected is not valid";
const Extended kSplitOverlap = 3;   // millimetres shared by neighbouring pieces of a split page
const Integer kCurrentCustomSheet = 256;

// How many sheets (or pages) of size y are needed along x: a remainder of
// 11 mm or more takes one more, a smaller one is rounded away.
Integer Fit(Extended x, Extended y) {
  if (y <= 0) return 1;
  Integer n = Integer(std::trunc(x / y));
  if (std::fabs(n * y - x) >= 11) return n + 1;
  return std::max<Integer>(1, Integer(std::lround(x / y)));
}

// Pieces across and down of A x B against C x D; the sheet is turned when
// that needs fewer pieces.
void Layout(Extended A, Extended B, Extended C, Extended D, Integer& Across, Integer& Down, bool& Turned) {
  Across = Fit(A, C);
  Down = Fit(B, D);
  Integer across2 = Fit(A, D), down2 = Fit(B, C);
  Turned = across2 * down2 < Across * Down;
  if (Turned) {
    Across = across2;
    Down = down2;
  }
}

// Selects the printer the report names (the current one when it names
// none, or the default printer by its resource name "预设", which is what
// new reports name); null when the named printer is not in the list.
TfrxCustomPrinter* SelectReportPrinter(TfrxReport* Report) {
  TfrxPrinters* list = frxGetPrinters();
  const String& name = Report->PrintOptions()->Printer;
  if (!name.empty() && name != frxGetResources()->Get("prDefault")) {
    Integer i = list->IndexOfPrinter(name);
    if (i < 0) return nullptr;
    if (i != list->PrinterIndex()) list->SetPrinterIndex(i);
  } else if (list->PrinterIndex() < 0) {
    list->SetPrinterIndex(-1);
  }
  return list->GetCurrentPrinter();
}

// The report's printer choice: the printer of that name becomes the current
// one when the list knows it; otherwise nothing changes.
[[maybe_unused]] const bool kSelectPrinterInstalled = [] {
  frxSelectPrinterProc = [](const String& Name) {
    TfrxPrinters* list = frxGetPrinters();
    const Integer i = list->IndexOfPrinter(Name);
    if (i >= 0 && i != list->PrinterIndex()) list->SetPrinterIndex(i);
  };
  return true;
}();

}  // namespace

// The state of one print run.
struct TfrxPrintRun {
  TfrxPreviewPages* Pages;
  TfrxReport* Report;
  TfrxCustomPrinter* Printer;
  TfrxPrintOptions* Options;
  std::vector<Integer> Filter;   // page numbers; empty = all
  Integer DialogDuplex = 0;      // the dialog's choice, 0 = the page's
  bool Started = false;
  bool Failed = false;
  Integer Sheets = 0;
  Integer LastPaper = -1, LastWidth = -1, LastHeight = -1, LastBin = -1, LastDuplex = -1;
  TPrinterOrientation LastOrientation = poPortrait;
  bool LastTurned = false;
  Extended SheetWidth = 0, SheetHeight = 0;

  bool InRange(Integer Index) const {
    const Integer no = Index + 1;
    if (!Filter.empty() && std::find(Filter.begin(), Filter.end(), no) == Filter.end()) return false;
    if (Options->PrintPages == ppEven && no % 2 == 1) return false;
    if (Options->PrintPages == ppOdd && no % 2 == 0) return false;
    return true;
  }

  Integer DuplexOf(TfrxReportPage* Page) const { return DialogDuplex != 0 ? DialogDuplex : Integer(Page->Duplex); }

  bool StartJob() {
    if (Started) return true;
    if (!Printer->StartJob()) {
      Failed = true;
      return false;
    }
    Started = true;
    return true;
  }

  bool Terminated() {
    if (!Report->Terminated()) return false;
    if (Started) Printer->AbortJob();
    Started = false;
    return true;
  }

  void AfterSheet(Integer Index) {
    Report->DoProgress(ptPrinting, Index + 1);
    ++Sheets;
  }

  // The page at Index, with the page event called; null when it is no report page.
  TfrxReportPage* PageFor(Integer Index, Integer& Copies) {
    auto* page = dynamic_cast<TfrxReportPage*>(Pages->GetPage(Index));
    if (!page) return nullptr;
    Integer copyNo = Pages->CopyNo;
    if (Options->Collate) {
      Copies = 1;
    } else {
      Copies = Options->Copies;
      copyNo = 1;
    }
    if (Report->OnPrintPage) Report->OnPrintPage(page, copyNo);
    return page;
  }

  void DrawOnSheet(Integer Index, Extended Scale, Extended OffsetX, Extended OffsetY) {
    const TPoint& dpi = Printer->DPI();
    Pages->DrawPage(Index, Printer->Canvas(), dpi.X / 96.0 * Scale, dpi.Y / 96.0 * Scale, OffsetX, OffsetY);
  }

  // One page on one sheet, as it is or scaled to the sheet.
  bool PrintPage(Integer Index, bool ScaleMode) {
    Integer copies = 1;
    TfrxReportPage* page = PageFor(Index, copies);
    if (!page) return true;
    const Integer bin = Index == 0 ? page->Bin : page->BinOtherPages;
    const Integer duplex = DuplexOf(page);
    const TPrinterOrientation orientation = page->Orientation();
    if (ScaleMode) {
      if (!Started || bin != LastBin || orientation != LastOrientation || duplex != LastDuplex) {
        Printer->ApplyJobSettings(Options->PrintOnSheet, SheetWidth, SheetHeight, orientation, bin, duplex + 1,
                                  copies);
        SheetWidth = Printer->PaperWidth();
        SheetHeight = Printer->PaperHeight();
      }
    } else {
      const Integer w = Integer(std::lround(page->PaperWidth())), h = Integer(std::lround(page->PaperHeight()));
      if (!Started || page->PaperSize() != LastPaper || w != LastWidth || h != LastHeight || bin != LastBin ||
          orientation != LastOrientation || duplex != LastDuplex)
        Printer->ApplyJobSettings(page->PaperSize(), page->PaperWidth(), page->PaperHeight(), orientation, bin,
                                  duplex + 1, copies);
    }
    if (!StartJob() || !Printer->OpenPage()) return false;
    Extended scale = 1;
    if (ScaleMode && page->PaperWidth() > 0 && page->PaperHeight() > 0)
      scale = std::min(SheetWidth / page->PaperWidth(), SheetHeight / page->PaperHeight());
    const TPoint& dpi = Printer->DPI();
    DrawOnSheet(Index, scale, -Printer->LeftMargin() * dpi.X / 25.4, -Printer->TopMargin() * dpi.Y / 25.4);
    Report->DoProgress(ptPrinting, Index + 1);
    if (!Printer->ClosePage()) return false;
    ++Sheets;
    LastPaper = page->PaperSize();
    LastWidth = Integer(std::lround(page->PaperWidth()));
    LastHeight = Integer(std::lround(page->PaperHeight()));
    LastBin = bin;
    LastOrientation = orientation;
    LastDuplex = duplex;
    Pages->ClearCache();
    return true;
  }

  // One large page over as many sheets as it needs, overlapping by 3 mm.
  bool PrintSplit(Integer Index) {
    Integer copies = 1;
    TfrxReportPage* page = PageFor(Index, copies);
    if (!page) return true;
    const Integer bin = Index == 0 ? page->Bin : page->BinOtherPages;
    const Integer duplex = DuplexOf(page);
    Integer across = 1, down = 1;
    bool turned = false;
    Layout(page->PaperWidth(), page->PaperHeight(), SheetWidth, SheetHeight, across, down, turned);
    if (!Started || turned != LastTurned)
      Printer->ApplyJobSettings(Options->PrintOnSheet, SheetWidth, SheetHeight, turned ? poLandscape : poPortrait,
                                bin, duplex + 1, copies);
    if (!StartJob()) return false;
    const TPoint& dpi = Printer->DPI();
    const Extended sheetW = (turned ? SheetHeight : SheetWidth) * dpi.X / 25.4;
    const Extended sheetH = (turned ? SheetWidth : SheetHeight) * dpi.Y / 25.4;
    const Extended left = Printer->LeftMargin() * dpi.X / 25.4, right = Printer->RightMargin() * dpi.X / 25.4;
    const Extended top = Printer->TopMargin() * dpi.Y / 25.4, bottom = Printer->BottomMargin() * dpi.Y / 25.4;
    const Extended overlapX = kSplitOverlap * dpi.X / 25.4, overlapY = kSplitOverlap * dpi.Y / 25.4;
    Extended y = -top;
    for (Integer row = 0; row < down; ++row) {
      Extended x = -left;
      for (Integer col = 0; col < across; ++col) {
        if (!Printer->OpenPage()) return false;
        DrawOnSheet(Index, 1, x, y);
        if (!Printer->ClosePage()) return false;
        x -= sheetW - right - (col > 0 ? left : 0) - overlapX;
      }
      y -= sheetH - bottom - (row > 0 ? top : 0) - overlapY;
    }
    AfterSheet(Index);
    LastTurned = turned;
    Pages->ClearCache();
    return true;
  }

  std::vector<Integer> Order() const {
    std::vector<Integer> order;
    const Integer count = Pages->GetPageCount();
    for (Integer i = 0; i < count; ++i) order.push_back(i);
    if (Options->Reverse) std::reverse(order.begin(), order.end());
    return order;
  }

  // Every page in range once, page by page.
  bool PrintEachPage() {
    for (Integer index : Order()) {
      if (!InRange(index)) continue;
      if (Terminated()) return false;
      bool ok = Options->PrintMode == pmSplit ? PrintSplit(index) : PrintPage(index, Options->PrintMode == pmScale);
      if (!ok) return false;
    }
    return true;
  }

  // Several pages on each sheet; with copies each page fills that many cells in turn.
  bool PrintJoined() {
    std::vector<Integer> order;
    for (Integer index : Order())
      if (InRange(index)) order.push_back(index);
    if (order.empty()) return true;
    auto* first = dynamic_cast<TfrxReportPage*>(Pages->GetPage(order[0]));
    if (!first) return true;
    Integer across = 1, down = 1;
    bool turned = false;
    Layout(SheetWidth, SheetHeight, first->PaperWidth(), first->PaperHeight(), across, down, turned);
    if (turned) std::swap(across, down);
    Printer->ApplyJobSettings(Options->PrintOnSheet, SheetWidth, SheetHeight, turned ? poLandscape : poPortrait,
                              first->Bin, DuplexOf(first) + 1, 1);
    if (!StartJob()) return false;
    const TPoint& dpi = Printer->DPI();
    const Extended cellW = first->PaperWidth() * dpi.X / 25.4, cellH = first->PaperHeight() * dpi.Y / 25.4;
    const Integer copies = std::max<Integer>(1, Options->Copies);
    size_t next = 0;
    Integer copy = 1, current = -1;
    while (next < order.size() || copy > 1) {
      if (!Printer->OpenPage()) return false;
      Extended y = -Printer->TopMargin() * dpi.Y / 25.4;
      for (Integer row = 0; row < down; ++row) {
        Extended x = -Printer->LeftMargin() * dpi.X / 25.4;
        for (Integer col = 0; col < across; ++col) {
          if (copy == 1) {
            if (next >= order.size()) break;
            current = order[next++];
            Integer unused = 1;
            if (!PageFor(current, unused)) continue;
          }
          DrawOnSheet(current, 1, x, y);
          copy = copy >= copies ? 1 : copy + 1;
          x += cellW;
        }
        y += cellH;
      }
      if (!Printer->ClosePage()) return false;
      Report->DoProgress(ptPrinting, current + 1);
      if (Terminated()) return false;
      ++Sheets;
      Pages->ClearCache();
    }
    return true;
  }

  bool PrintAll() { return Options->PrintMode == pmJoin ? PrintJoined() : PrintEachPage(); }

  // An empty sheet, so that the next copy of a duplex job starts on a sheet of its own.
  bool PadDuplex() {
    if (Sheets % 2 == 0 || !Started) return true;
    if (!Printer->OpenPage() || !Printer->ClosePage()) return false;
    ++Sheets;
    return true;
  }

  bool Run() {
    Report->SetTerminated(false);
    Report->DoProgressStart(ptPrinting);
    const String& name = Report->ReportOptions()->Name;
    Printer->SetTitle(name.empty() ? Report->FileName() : name);
    if (Options->Copies < 1) Options->Copies = 1;
    bool ok = true;
    // Joined sheets give each page its copies in neighbouring cells already:
    // one pass over the pages, or every page would come Copies x Copies times.
    const Integer passes = Options->PrintMode == pmJoin ? 1 : Options->Copies;
    if (Options->Collate) {
      for (Integer copy = 1; copy <= passes && ok; ++copy) {
        Pages->CopyNo = copy;
        ok = PrintAll();
        if (ok) {
          Integer count = Pages->GetPageCount();
          auto* last = count > 0 ? dynamic_cast<TfrxReportPage*>(Pages->GetPage(count - 1)) : nullptr;
          Integer duplex = DialogDuplex != 0 ? DialogDuplex : last ? Integer(last->Duplex) : 0;
          if (duplex == dmVertical || duplex == dmHorizontal) ok = PadDuplex();
        }
        if (Report->Terminated()) break;
      }
    } else {
      Pages->CopyNo = 1;
      ok = PrintAll();
    }
    if (Started) {
      if (ok) {
        if (!Printer->EndJob()) ok = false;
      } else {
        Printer->AbortJob();
      }
    }
    Report->DoProgressStop(ptPrinting);
    return ok && !Failed;
  }
};

TfrxPrintDialogQuery frxPrintDialogQuery;

bool TfrxPreviewPages::Print() {
  TfrxReport* report = Report();
  TfrxPrinters* printers = frxGetPrinters();
  if (!printers->HasPhysicalPrinters()) {
    frxShowErrorBox(frxGetResources()->Get("clNoPrinters"));
    return false;
  }
  // The dialog's changes last for this print only.
  TfrxPrintOptions saved;
  saved.Assign(report->PrintOptions());
  struct Restore {
    TfrxReport* R;
    TfrxPrintOptions* S;
    ~Restore() { R->PrintOptions()->Assign(S); }
  } restore{report, &saved};

  report->SelectPrinter();
  TfrxCustomPrinter* printer = SelectReportPrinter(report);
  Integer dialogDuplex = 0;
  if (report->PrintOptions()->ShowDialog) {
    const bool confirmed = frxPrintDialogQuery ? frxPrintDialogQuery(report, dialogDuplex)
                                               : frxShowPrintDialog(report, dialogDuplex);
    if (!confirmed) {
      CopyNo = 0;
      return false;
    }
    printer = SelectReportPrinter(report);
  }
  // A printer that is not there prints nothing: that is a failure, not a success.
  if (!printer || !printer->Initialized()) {
    frxShowErrorBox(kInvalidPrinter);
    CopyNo = 0;
    return false;
  }

  TfrxPrintOptions* options = report->PrintOptions();
  TfrxPrintRun run{this, report, printer, options};
  run.DialogDuplex = dialogDuplex;
  if (options->PrintMode != pmDefault) {
    if (options->PrintOnSheet == kCurrentCustomSheet)
      printer->ApplyPaper(kCurrentCustomSheet, printer->PaperWidth(), printer->PaperHeight(), poPortrait);
    else
      printer->ApplyPaper(options->PrintOnSheet, 0, 0, poPortrait);
    run.SheetWidth = printer->PaperWidth();
    run.SheetHeight = printer->PaperHeight();
  }

  if (report->OnPrintReport) report->OnPrintReport(report);
  if (!report->OnReportPrint.empty())
    report->CallScriptNotifyEvent(report, report->OnReportPrint, !report->EngineOptions()->DestroyForms);
  // The preview shows no pages and takes no commands while they print; the
  // preview's print command unlocks it afterwards.
  if (TfrxCustomPreview* preview = report->Preview()) {
    preview->Lock();
    preview->Refresh();
  }

  bool ok = true;
  try {
    frxParsePageNumbers(options->PageNumbers, run.Filter, GetPageCount());
  } catch (const Exception& e) {
    frxShowErrorBox(e.Message());
    ok = false;
  }
  if (ok) {
    ClearCache();
    ok = run.Run();
  }
  if (report->OnAfterPrintReport) report->OnAfterPrintReport(report);
  CopyNo = 0;
  return ok;
}
