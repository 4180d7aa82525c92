// The report engine's printers: one process-wide list of the spooler's
// printers (or, on a machine without any, a placeholder printer with an A4
// page at 600 dpi that ignores all output), each with its paper sizes, bins,
// resolution, physical paper and unprintable margins, and the print job run
// on the printer's canvas or as raw bytes handed to the spooler.
// Sizes are millimetres.
#pragma once
#include <memory>


#include "Contnrs.h"
#include "Graphics.h"
#include "Printers.h"
#include "Strings.h"
#include "Types.h"

class TfrxCustomPrinter;

// The printer's drawing surface: fonts are measured and drawn at the
// printer's resolution.
class TfrxPrinterCanvas : public TCanvas {
  TOVANI_CLASS(TfrxPrinterCanvas, TCanvas)
 public:
  explicit TfrxPrinterCanvas(TfrxCustomPrinter* APrinter) : FPrinter(APrinter) {}
  // Sets the font's resolution to the printer's vertical one, keeping its point size.
  void UpdateFontResolution();

 protected:
  void Changing() override;

 private:
  TfrxCustomPrinter* FPrinter;
};

class TfrxCustomPrinter : public TObject {
  TOVANI_CLASS(TfrxCustomPrinter, TObject)
 public:
  TfrxCustomPrinter(const String& AName, const String& APort);
  ~TfrxCustomPrinter() override;

  // Reads the printer's papers, bins, resolution and default paper (once).
  virtual void Initialize() = 0;
  virtual void AbortJob() = 0;
  // A graphics job: pages drawn on Canvas between OpenPage and ClosePage.
  // Each step answers false (after showing why) when the spooler refuses it.
  virtual bool StartJob() = 0;
  virtual bool OpenPage() = 0;
  virtual bool StartRawJob() = 0;
  virtual bool EndJob() = 0;
  virtual bool ClosePage() = 0;
  virtual bool EndRawJob() = 0;
  virtual bool WriteRaw(const String& S) = 0;
  // Selects a paper: a code of the paper table, or 256 with the given size.
  virtual void ApplyPaper(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                          TPrinterOrientation Orientation) = 0;
  // Per-page settings of a job; Duplex is the report's duplex mode plus one
  // (1 none, 2 vertical, 3 horizontal, 4 simplex).
  virtual void ApplyJobSettings(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                                TPrinterOrientation Orientation, Integer Bin, Integer Duplex, Integer Copies) = 0;
  // The driver's own properties dialog; true when it was confirmed.
  virtual bool ShowDriverDialog() = 0;

  // Index of the first paper-list entry with the code (-1 when absent).
  Integer PaperIndexOfCode(Integer Code) const;
  // The code of the paper named exactly Name; the first entry's (256) otherwise.
  Integer PaperCodeOfName(const String& Name) const;

  Integer Bin() const { return FBin; }
  TStringList* Bins() const { return FBins.get(); }
  TfrxPrinterCanvas* Canvas() const { return FCanvas.get(); }
  TPrinterOrientation DefOrientation() const { return FDefOrientation; }
  Integer DefPaper() const { return FDefPaper; }
  Extended DefPaperHeight() const { return FDefPaperHeight; }
  Extended DefPaperWidth() const { return FDefPaperWidth; }
  const TPoint& DPI() const { return FDPI; }
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& Value) { FFileName = Value; }
  bool Initialized() const { return FInitialized; }
  const String& Name() const { return FName; }
  Integer Paper() const { return FPaper; }
  TStringList* Papers() const { return FPapers.get(); }
  Extended PaperHeight() const { return FPaperHeight; }
  Extended PaperWidth() const { return FPaperWidth; }
  Extended LeftMargin() const { return FLeftMargin; }
  Extended TopMargin() const { return FTopMargin; }
  Extended RightMargin() const { return FRightMargin; }
  Extended BottomMargin() const { return FBottomMargin; }
  TPrinterOrientation Orientation() const { return FOrientation; }
  const String& Port() const { return FPort; }
  bool Printing() const { return FPrinting; }
  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }

 protected:
  Integer FBin = -1;
  std::unique_ptr<TStringList> FBins;
  std::unique_ptr<TfrxPrinterCanvas> FCanvas;
  TPrinterOrientation FDefOrientation = poPortrait;
  Integer FDefPaper = 0;
  Extended FDefPaperHeight = 0, FDefPaperWidth = 0;
  TPoint FDPI{0, 0};
  String FFileName;
  HANDLE FHandle = nullptr;
  bool FInitialized = false;
  String FName;
  Integer FPaper = 0;
  std::unique_ptr<TStringList> FPapers;
  Extended FPaperHeight = 0, FPaperWidth = 0;
  Extended FLeftMargin = 0, FTopMargin = 0, FRightMargin = 0, FBottomMargin = 0;
  TPrinterOrientation FOrientation = poPortrait;
  String FPort;
  bool FPrinting = false;
  String FTitle;
};

// A printer of the spooler.
class TfrxPrinter : public TfrxCustomPrinter {
  TOVANI_CLASS(TfrxPrinter, TfrxCustomPrinter)
 public:
  TfrxPrinter(const String& AName, const String& APort);
  ~TfrxPrinter() override;
  void Initialize() override;
  void AbortJob() override;
  bool StartJob() override;
  bool OpenPage() override;
  bool StartRawJob() override;
  bool EndJob() override;
  bool ClosePage() override;
  bool EndRawJob() override;
  bool WriteRaw(const String& S) override;
  void ApplyPaper(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                  TPrinterOrientation Orientation) override;
  void ApplyJobSettings(Integer PaperSize, Extended PaperWidth, Extended PaperHeight, TPrinterOrientation Orientation,
                        Integer Bin, Integer Duplex, Integer Copies) override;
  bool ShowDriverDialog() override;
  // The device context (an information context while idle).
  HDC DC() const { return FDC; }
  // The printer's device mode (null when the printer has none).
  DEVMODEW* DeviceMode() const { return FMode; }

 private:
  void CreateDeviceMode();
  void CreateContext();
  void RecreateContext();
  void ReleaseDevice();
  bool ReadDeviceCaps();
  void FillPaperList();
  void FillBinList();
  HGLOBAL FDeviceMode = nullptr;
  HDC FDC = nullptr;
  DEVMODEW* FMode = nullptr;
};

// The placeholder printer of a machine without printers.
class TfrxVirtualPrinter : public TfrxCustomPrinter {
  TOVANI_CLASS(TfrxVirtualPrinter, TfrxCustomPrinter)
 public:
  using TfrxCustomPrinter::TfrxCustomPrinter;
  void Initialize() override;
  void AbortJob() override {}
  bool StartJob() override { return true; }
  bool OpenPage() override { return true; }
  bool StartRawJob() override { return true; }
  bool EndJob() override { return true; }
  bool ClosePage() override { return true; }
  bool EndRawJob() override { return true; }
  bool WriteRaw(const String&) override { return true; }
  void ApplyPaper(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                  TPrinterOrientation Orientation) override;
  void ApplyJobSettings(Integer PaperSize, Extended PaperWidth, Extended PaperHeight, TPrinterOrientation Orientation,
                        Integer Bin, Integer Duplex, Integer Copies) override;
  bool ShowDriverDialog() override { return false; }
};

class TfrxPrinters : public TObject {
  TOVANI_CLASS(TfrxPrinters, TObject)
 public:
  TfrxPrinters();
  ~TfrxPrinters() override;

  // Index of the first printer named Name (case-insensitive), -1 when absent.
  Integer IndexOfPrinter(const String& Name) const;
  // Selects a printer (-1: the system's default) and initialises it.
  void SetPrinterIndex(Integer Value);
  Integer PrinterIndex() const { return FPrinterIndex; }
  // nullptr for a negative index; EListError beyond the list.
  TfrxCustomPrinter* GetPrinter(Integer Index) const;
  TfrxCustomPrinter* GetCurrentPrinter() const { return GetPrinter(FPrinterIndex); }
  // The name before the first comma of WIN.INI's [windows] device entry.
  String GetDefaultPrinterName() const;
  // Lists the spooler's printers again.
  void FillPrinters();
  void Clear();
  Integer Count() const;
  // Names of the spooler's printers (the placeholder printer has none).
  TStringList* Printers() const { return FPrinters.get(); }
  bool HasPhysicalPrinters() const { return FHasPhysicalPrinters; }

 private:
  void AddPrinter(const String& Name, const String& Port);
  bool FHasPhysicalPrinters = false;
  std::unique_ptr<TStringList> FPrinters;
  Integer FPrinterIndex = -1;
  std::unique_ptr<TList> FPrinterList;
};

// The process-wide printer list, made on first use.
TfrxPrinters* frxGetPrinters();
// Frees the list (the next frxGetPrinters lists the spooler again).
void frxFreePrinters();
