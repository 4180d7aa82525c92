// The printer: the spooler's printers, the chosen one's canvas and the
// print job (BeginDoc, NewPage, EndDoc, Abort).
#pragma once
#include <memory>
#include <vector>
#include "Graphics.h"
#include "Strings.h"
#include "TypInfo.h"

enum TPrinterOrientation { poPortrait, poLandscape };
TOVANI_ENUM_INFO(TPrinterOrientation)
enum TPrinterState { psNoHandle, psHandleIC, psHandleDC };
enum TPrinterCapability { pcCopies, pcOrientation, pcCollation };
using TPrinterCapabilities = TSet<TPrinterCapability>;

TOVANI_EXCEPTION(EPrinter, Exception)

class TPrinter : public TObject {
  TOVANI_CLASS(TPrinter, TObject)
 public:
  TPrinter();
  ~TPrinter() override;

  // Installed printers ("name" lines); EPrinter when the spooler fails.
  TStrings* Printers();
  // Index into Printers; -1 the default printer. EPrinter "Printer selected
  // is not valid" for an index outside the list.
  Integer PrinterIndex();
  void SetPrinterIndex(Integer v);
  // Refreshes the list from the spooler.
  void Refresh();

  void BeginDoc();
  void EndDoc();
  void NewPage();
  void Abort();
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  Integer PageNumber() const { return FPageNumber; }
  const String& Title() const { return FTitle; }
  void SetTitle(const String& v) { FTitle = v; }

  // A canvas on the printer's device context (for measuring before BeginDoc too).
  TCanvas* Canvas();
  HDC Handle();
  Integer PageWidth();
  Integer PageHeight();
  Integer Copies();
  void SetCopies(Integer v);
  TPrinterOrientation Orientation();
  void SetOrientation(TPrinterOrientation v);
  TPrinterCapabilities Capabilities();
  TStrings* Fonts();

  // The chosen printer with its device mode (a global memory block of a
  // DEVMODEW); SetPrinter takes a copy of the block.
  void GetPrinter(String& Device, String& Driver, String& Port, HGLOBAL& DeviceMode);
  void SetPrinter(const String& Device, const String& Driver, const String& Port, HGLOBAL DeviceMode);
  // The device mode of the chosen printer, changed in place then applied by Refresh of the DC.
  DEVMODEW* DevMode();

 private:
  void CheckPrinting(bool value);
  void EnsurePrinters();
  void LoadDevMode();
  void FreeDC();
  void MakeDC(bool forPrinting);
  String CurrentName();
  std::unique_ptr<TStringList> FPrinters;
  std::unique_ptr<TStringList> FFonts;
  std::unique_ptr<TCanvas> FCanvas;
  Integer FPrinterIndex = -1;
  bool FPrinting = false;
  bool FAborted = false;
  Integer FPageNumber = 0;
  String FTitle;
  HDC FDC = nullptr;
  TPrinterState FState = psNoHandle;
  std::vector<uint8_t> FDevMode;
  String FDevModePrinter;
};

TPrinter* Printer();
// Replaces the global printer object; returns the previous one.
TPrinter* SetPrinter(TPrinter* NewPrinter);
