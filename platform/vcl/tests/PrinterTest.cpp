// Printing for real: a job through TPrinter (the printer's device context,
// StartDoc/StartPage) goes over Wine's spooler to the machine's CUPS and
// its PDF queue; the pages are read back from the PDF.
#include "Printers.h"
#include "PrintedPdf.h"
#include "gtest.h"

TEST(PrinterToPdfQueue, PagesPrintedThroughThePrinterAreReadBack) {
  TPrinter printer;
  Integer index = printer.Printers()->IndexOf(printed_pdf::Queue());
  ASSERT_GE(index, 0) << "the spooler does not list the test queue (scripts/cups.sh sets it up)";
  printer.SetPrinterIndex(index);
  String title = printed_pdf::UniqueTitle("vcl_printer");
  printer.SetTitle(title);
  printer.BeginDoc();
  TCanvas* c = printer.Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetSize(24);
  Integer dpi = GetDeviceCaps(printer.Handle(), LOGPIXELSY);
  EXPECT_GT(dpi, 0);
  c->TextOut(dpi, dpi, "First page from TPrinter");
  printer.NewPage();
  c->TextOut(dpi, dpi * 2, "Second page 2");
  c->TextOut(dpi, dpi * 3, "中文打印 页二");
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());

  std::string pdf = printed_pdf::WaitFor(title);
  ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title << " in " << printed_pdf::Folder();
  EXPECT_EQ(printed_pdf::PageCount(pdf), 2);
  std::vector<std::string> pages = printed_pdf::PageTexts(pdf);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NE(pages[0].find("First page from TPrinter"), std::string::npos) << pages[0];
  EXPECT_NE(pages[1].find("Second page 2"), std::string::npos) << pages[1];
  EXPECT_EQ(pages[1].find("First page"), std::string::npos);
  EXPECT_NE(pages[1].find("中文打印 页二"), std::string::npos) << pages[1];
  printed_pdf::RenderPng(pdf, TOVANI_TEST_BINARY_DIR "/printer_page1");
  printed_pdf::Remove(pdf);
}
