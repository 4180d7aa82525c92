#include "VclWindows.h"
#include <winspool.h>
// Names the spooler header defines as macros.
#undef GetPrinter
#undef SetPrinter
#include "frxPrinter.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "Collation.h"
#include "Utf8.h"
#include "Contnrs.h"
#include "Forms.h"
#include "PrintedGlyphs.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxRes.h"
#include "frxUtils.h"

TOVANI_IMPLEMENT_CLASS(TfrxPrinterCanvas, TCanvas)
TOVANI_IMPLEMENT_CLASS(TfrxCustomPrinter, TObject)
TOVANI_IMPLEMENT_CLASS(TfrxPrinter, TfrxCustomPrinter)
TOVANI_IMPLEMENT_CLASS(TfrxVirtualPrinter, TfrxCustomPrinter)
TOVANI_IMPLEMENT_CLASS(TfrxPrinters, TObject)

namespace {

const char kInvalidPrinter[] = "Printer selected is not valid";
const char kDefaultTitle[] = "Zoru Dudude Document";
const Integer kCustomPaper = 256;
const Integer kAutoBin = 7;

TObject* CodeObject(Integer Code) { return reinterpret_cast<TObject*>(intptr_t(Code)); }
Integer ObjectCode(TObject* O) { return Integer(reinterpret_cast<intptr_t>(O)); }

std::u16string Wide(const String& S) { return Utf8ToUtf16(S); }
LPCWSTR W(const std::u16string& S) { return reinterpret_cast<LPCWSTR>(S.c_str()); }
LPCWSTR WOrNull(const std::u16string& S) { return S.empty() ? nullptr : W(S); }
String FromWide(const WCHAR* S, size_t MaxLen) {
  size_t n = 0;
  while (n < MaxLen && S[n]) ++n;
  return Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(S), n));
}

// Device units to whole millimetres.
Extended ToMM(Integer Units, Integer Dpi) { return std::round(Units / Extended(Dpi) * 25.4); }

}  // namespace

// ---------------------------------------------------------------------------
// Canvas

void TfrxPrinterCanvas::Changing() {
  inherited::Changing();
  UpdateFontResolution();
}

void TfrxPrinterCanvas::UpdateFontResolution() {
  Integer dpi = FPrinter ? FPrinter->DPI().Y : 0;
  if (dpi <= 0 || Font()->PixelsPerInch() == dpi) return;
  Integer size = Font()->Size();
  Font()->SetPixelsPerInch(dpi);
  Font()->SetSize(size);
}

// ---------------------------------------------------------------------------
// Printers in common

TfrxCustomPrinter::TfrxCustomPrinter(const String& AName, const String& APort)
    : FBins(std::make_unique<TStringList>()),
      FCanvas(std::make_unique<TfrxPrinterCanvas>(this)),
      FName(AName),
      FPapers(std::make_unique<TStringList>()),
      FPort(APort) {
  FBins->AddObject(frxGetResources()->Get("prDefault"), CodeObject(kAutoBin));
  FPapers->AddObject(frxGetResources()->Get("prCustom"), CodeObject(kCustomPaper));
}

TfrxCustomPrinter::~TfrxCustomPrinter() = default;

Integer TfrxCustomPrinter::PaperIndexOfCode(Integer Code) const {
  for (Integer i = 0; i < FPapers->Count(); ++i)
    if (ObjectCode(FPapers->Objects(i)) == Code) return i;
  return -1;
}

Integer TfrxCustomPrinter::PaperCodeOfName(const String& Name) const {
  for (Integer i = 0; i < FPapers->Count(); ++i)
    if ((*FPapers)[i] == Name) return ObjectCode(FPapers->Objects(i));
  return ObjectCode(FPapers->Objects(0));
}

// ---------------------------------------------------------------------------
// A printer of the spooler

TfrxPrinter::TfrxPrinter(const String& AName, const String& APort) : TfrxCustomPrinter(AName, APort) {}

TfrxPrinter::~TfrxPrinter() {
  if (FPrinting) AbortJob();
  ReleaseDevice();
}

void TfrxPrinter::Initialize() {
  if (FInitialized) return;
  CreateDeviceMode();
  if (!FMode) return;
  RecreateContext();
  if (!ReadDeviceCaps()) {
    ReleaseDevice();
    return;
  }
  FDefPaper = FPaper = int16_t(FMode->dmPaperSize);
  FDefPaperWidth = FPaperWidth;
  FDefPaperHeight = FPaperHeight;
  FDefOrientation = FMode->dmOrientation == DMORIENT_PORTRAIT ? poPortrait : poLandscape;
  FOrientation = FDefOrientation;
  FillPaperList();
  FillBinList();
  FBin = -1;
  FInitialized = true;
}

void TfrxPrinter::CreateDeviceMode() {
  std::u16string name = Wide(FName);
  if (!OpenPrinterW(const_cast<LPWSTR>(W(name)), &FHandle, nullptr)) {
    FHandle = nullptr;
    return;
  }
  LONG size = DocumentPropertiesW(nullptr, FHandle, const_cast<LPWSTR>(W(name)), nullptr, nullptr, 0);
  if (size <= 0) return;
  FDeviceMode = GlobalAlloc(GHND, SIZE_T(size));
  if (!FDeviceMode) return;
  FMode = static_cast<DEVMODEW*>(GlobalLock(FDeviceMode));
  if (DocumentPropertiesW(nullptr, FHandle, const_cast<LPWSTR>(W(name)), FMode, nullptr, DM_OUT_BUFFER) < 0) {
    GlobalUnlock(FDeviceMode);
    GlobalFree(FDeviceMode);
    FDeviceMode = nullptr;
    FMode = nullptr;
  }
}

void TfrxPrinter::CreateContext() {
  if (FDC) return;
  std::u16string name = Wide(FName);
  FDC = FPrinting ? CreateDCW(nullptr, W(name), nullptr, FMode) : CreateICW(nullptr, W(name), nullptr, FMode);
  FCanvas->SetHandle(FDC);
  FCanvas->Refresh();
  FCanvas->UpdateFontResolution();
}

void TfrxPrinter::RecreateContext() {
  FCanvas->SetHandle(nullptr);
  if (FDC) DeleteDC(FDC);
  FDC = nullptr;
  CreateContext();
}

void TfrxPrinter::ReleaseDevice() {
  FCanvas->SetHandle(nullptr);
  if (FDC) DeleteDC(FDC);
  FDC = nullptr;
  if (FHandle) ClosePrinter(FHandle);
  FHandle = nullptr;
  if (FDeviceMode) {
    GlobalUnlock(FDeviceMode);
    GlobalFree(FDeviceMode);
  }
  FDeviceMode = nullptr;
  FMode = nullptr;
}

bool TfrxPrinter::ReadDeviceCaps() {
  CreateContext();
  Integer dpiX = FDC ? GetDeviceCaps(FDC, LOGPIXELSX) : 0;
  Integer dpiY = FDC ? GetDeviceCaps(FDC, LOGPIXELSY) : 0;
  FDPI = TPoint(dpiX, dpiY);
  if (dpiX == 0 || dpiY == 0) {
    frxShowErrorBox(kInvalidPrinter);
    return false;
  }
  FPaperHeight = ToMM(GetDeviceCaps(FDC, PHYSICALHEIGHT), dpiY);
  FPaperWidth = ToMM(GetDeviceCaps(FDC, PHYSICALWIDTH), dpiX);
  FLeftMargin = ToMM(GetDeviceCaps(FDC, PHYSICALOFFSETX), dpiX);
  FTopMargin = ToMM(GetDeviceCaps(FDC, PHYSICALOFFSETY), dpiY);
  FRightMargin = FPaperWidth - ToMM(GetDeviceCaps(FDC, HORZRES), dpiX) - FLeftMargin;
  FBottomMargin = FPaperHeight - ToMM(GetDeviceCaps(FDC, VERTRES), dpiY) - FTopMargin;
  return true;
}

void TfrxPrinter::FillPaperList() {
  std::u16string name = Wide(FName), port = Wide(FPort);
  // A driver reporting more than 256 papers is read up to the first 256.
  std::vector<WORD> codes(256, 0);
  Integer n = DeviceCapabilitiesW(W(name), WOrNull(port), DC_PAPERS, reinterpret_cast<LPWSTR>(codes.data()), FMode);
  if (n <= 0) return;
  std::vector<WCHAR> names(size_t(std::max<Integer>(n, 256)) * 64, 0);
  DeviceCapabilitiesW(W(name), WOrNull(port), DC_PAPERNAMES, names.data(), FMode);
  for (Integer i = 0; i < std::min<Integer>(n, 256); ++i)
    if (codes[i] != kCustomPaper) FPapers->AddObject(FromWide(&names[size_t(i) * 64], 64), CodeObject(codes[i]));
}

void TfrxPrinter::FillBinList() {
  std::u16string name = Wide(FName), port = Wide(FPort);
  std::vector<WORD> codes(256, 0);
  Integer n = DeviceCapabilitiesW(W(name), WOrNull(port), DC_BINS, reinterpret_cast<LPWSTR>(codes.data()), FMode);
  if (n <= 0) return;
  std::vector<WCHAR> names(size_t(std::max<Integer>(n, 256)) * 24, 0);
  DeviceCapabilitiesW(W(name), WOrNull(port), DC_BINNAMES, names.data(), FMode);
  for (Integer i = 0; i < std::min<Integer>(n, 256); ++i)
    if (codes[i] != kAutoBin) FBins->AddObject(FromWide(&names[size_t(i) * 24], 24), CodeObject(codes[i]));
}

void TfrxPrinter::ApplyPaper(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                             TPrinterOrientation Orientation) {
  if (PaperSize == kCustomPaper) {
    // A4 first, for the margins; the custom size then stands whatever that gave.
    ApplyPaper(9, 0, 0, Orientation);
    FPaperHeight = PaperHeight;
    FPaperWidth = PaperWidth;
    FPaper = kCustomPaper;
    FOrientation = Orientation;
    return;
  }
  if (!FMode) return;
  FMode->dmFields = DM_ORIENTATION | DM_PAPERSIZE;
  FMode->dmPaperSize = short(PaperSize);
  FMode->dmOrientation = Orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  RecreateContext();
  if (ReadDeviceCaps()) {
    FPaper = PaperSize;
    FOrientation = Orientation;
  }
}

void TfrxPrinter::ApplyJobSettings(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                                   TPrinterOrientation Orientation, Integer Bin, Integer Duplex, Integer Copies) {
  if (!FMode) return;
  FMode->dmFields |= DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES | DM_DEFAULTSOURCE;
  if (Duplex != 1) FMode->dmFields |= DM_DUPLEX;
  if (PaperSize == kCustomPaper) {
    FMode->dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    // Tenths of a millimetre, always in portrait sense.
    bool landscape = Orientation == poLandscape;
    FMode->dmPaperLength = short(std::lround((landscape ? PaperWidth : PaperHeight) * 10));
    FMode->dmPaperWidth = short(std::lround((landscape ? PaperHeight : PaperWidth) * 10));
  } else {
    FMode->dmPaperLength = 0;
    FMode->dmPaperWidth = 0;
  }
  FMode->dmPaperSize = short(PaperSize);
  FMode->dmOrientation = Orientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  FMode->dmCopies = short(Copies);
  if (FBin != -1) Bin = FBin;
  if (Bin != kAutoBin) FMode->dmDefaultSource = short(Bin);
  if (Duplex == 4) FMode->dmDuplex = DMDUP_SIMPLEX;
  else if (Duplex == 2 || Duplex == 3) FMode->dmDuplex = short(Duplex);
  if (FDC) ResetDCW(FDC, FMode);
  FCanvas->Refresh();
  if (ReadDeviceCaps()) {
    FPaper = PaperSize;
    FOrientation = Orientation;
  }
}

bool TfrxPrinter::StartJob() {
  FPrinting = true;
  std::u16string title = Wide(FTitle.empty() ? String(kDefaultTitle) : FTitle);
  std::u16string output = Wide(FFileName);
  DOCINFOW di{};
  di.cbSize = sizeof(di);
  di.lpszDocName = W(title);
  di.lpszOutput = WOrNull(output);
  RecreateContext();
  // A printer the spooler cannot open or start a document on is reported
  // here, and the job ends unstarted.
  if (!FDC || StartDocW(FDC, &di) <= 0) {
    FPrinting = false;
    RecreateContext();
    frxShowErrorBox(kInvalidPrinter);
    return false;
  }
  return true;
}

bool TfrxPrinter::OpenPage() {
  if (!FDC || !FPrinting || ::StartPage(FDC) <= 0) return false;
  PrinterPageStarted(FDC);
  return true;
}

bool TfrxPrinter::ClosePage() { return FDC && FPrinting && ::EndPage(FDC) > 0; }

bool TfrxPrinter::EndJob() {
  bool ok = false;
  if (FDC && FPrinting) ok = ::EndDoc(FDC) > 0;   // errors of the driver end the job all the same
  PrinterJobEnded(FDC);
  FPrinting = false;
  RecreateContext();
  FBin = -1;
  return ok;
}

void TfrxPrinter::AbortJob() {
  if (FDC && FPrinting) ::AbortDoc(FDC);
  EndJob();
}

bool TfrxPrinter::StartRawJob() {
  RecreateContext();
  if (!FHandle) return false;
  std::u16string title = Wide(FTitle.empty() ? String(kDefaultTitle) : FTitle);
  std::u16string type = u"RAW";
  DOC_INFO_1W di{};
  di.pDocName = const_cast<LPWSTR>(W(title));
  di.pOutputFile = nullptr;
  di.pDatatype = const_cast<LPWSTR>(W(type));
  if (StartDocPrinterW(FHandle, 1, reinterpret_cast<LPBYTE>(&di)) == 0) return false;
  return StartPagePrinter(FHandle);
}

bool TfrxPrinter::WriteRaw(const String& S) {
  DWORD written = 0;
  return FHandle && WritePrinter(FHandle, const_cast<char*>(S.data()), DWORD(S.size()), &written) &&
         written == S.size();
}

bool TfrxPrinter::EndRawJob() {
  if (!FHandle) return false;
  bool ok = EndPagePrinter(FHandle);
  return EndDocPrinter(FHandle) && ok;
}

bool TfrxPrinter::ShowDriverDialog() {
  if (!FHandle || !FMode) return false;
  std::u16string name = Wide(FName);
  HWND owner = Screen && Screen->ActiveForm() ? Screen->ActiveForm()->Handle() : nullptr;
  LONG r = DocumentPropertiesW(owner, FHandle, const_cast<LPWSTR>(W(name)), FMode, FMode,
                               DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
  if (r <= 0) return false;
  FBin = FMode->dmDefaultSource;
  RecreateContext();
  return true;
}

// ---------------------------------------------------------------------------
// The placeholder printer

void TfrxVirtualPrinter::Initialize() {
  if (FInitialized) return;
  FDPI = TPoint(600, 600);
  FDefPaper = 9;
  FDefOrientation = poPortrait;
  FDefPaperWidth = 210;
  FDefPaperHeight = 297;
  for (const TPaperInfo& p : frxPaperTable) FPapers->AddObject(String(), CodeObject(p.Code));
  FBin = -1;
  FInitialized = true;
}

void TfrxVirtualPrinter::ApplyPaper(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                                    TPrinterOrientation Orientation) {
  Extended w = 0, h = 0;
  if (PaperSize != kCustomPaper && frxLookupPaperSize(PaperSize, w, h)) {
    if (Orientation == poLandscape) std::swap(w, h);
    FPaperWidth = w;
    FPaperHeight = h;
    FPaper = PaperSize;
  } else {
    FPaper = kCustomPaper;
    FPaperWidth = PaperWidth;
    FPaperHeight = PaperHeight;
  }
  FOrientation = Orientation;
  FLeftMargin = FTopMargin = FRightMargin = FBottomMargin = 5;
}

void TfrxVirtualPrinter::ApplyJobSettings(Integer PaperSize, Extended PaperWidth, Extended PaperHeight,
                                          TPrinterOrientation Orientation, Integer Bin, Integer, Integer) {
  ApplyPaper(PaperSize, PaperWidth, PaperHeight, Orientation);
  FBin = Bin;
}

// ---------------------------------------------------------------------------
// The printer list

TfrxPrinters::TfrxPrinters() : FPrinters(std::make_unique<TStringList>()), FPrinterList(std::make_unique<TList>()) {
  FillPrinters();
  if (FPrinterList->Count() > 0) {
    FHasPhysicalPrinters = true;
    SetPrinterIndex(IndexOfPrinter(GetDefaultPrinterName()));
    if (FPrinterIndex == -1) SetPrinterIndex(0);
  } else {
    FPrinterList->Add(new TfrxVirtualPrinter(frxGetResources()->Get("prVirtual"), String()));
    FHasPhysicalPrinters = false;
    SetPrinterIndex(0);
  }
}

TfrxPrinters::~TfrxPrinters() { Clear(); }

void TfrxPrinters::Clear() {
  for (void* p : *FPrinterList) delete static_cast<TfrxCustomPrinter*>(p);
  FPrinterList->Clear();
  FPrinters->Clear();
}

Integer TfrxPrinters::Count() const { return FPrinterList->Count(); }

void TfrxPrinters::AddPrinter(const String& Name, const String& Port) {
  FPrinterList->Add(new TfrxPrinter(Name, Port));
  FPrinters->Add(Name);
}

void TfrxPrinters::FillPrinters() {
  Clear();
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0, count = 0;
  EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return;
  std::vector<BYTE> buf(needed);
  if (!EnumPrintersW(flags, nullptr, 4, buf.data(), needed, &needed, &count)) return;
  auto* info = reinterpret_cast<PRINTER_INFO_4W*>(buf.data());
  for (DWORD i = 0; i < count; ++i)
    if (info[i].pPrinterName) AddPrinter(FromWide(info[i].pPrinterName, SIZE_MAX), String());
}

Integer TfrxPrinters::IndexOfPrinter(const String& Name) const {
  for (Integer i = 0; i < FPrinterList->Count(); ++i)
    if (AnsiSameText(static_cast<TfrxCustomPrinter*>(FPrinterList->Items(i))->Name(), Name)) return i;
  return -1;
}

void TfrxPrinters::SetPrinterIndex(Integer Value) {
  if (Value == -1) Value = IndexOfPrinter(GetDefaultPrinterName());
  FPrinterIndex = Value;
  if (Value != -1) GetPrinter(Value)->Initialize();
}

TfrxCustomPrinter* TfrxPrinters::GetPrinter(Integer Index) const {
  if (Index < 0) return nullptr;
  return static_cast<TfrxCustomPrinter*>(FPrinterList->Items(Index));
}

String TfrxPrinters::GetDefaultPrinterName() const {
  WCHAR buf[256] = {};
  GetProfileStringW(L"windows", L"device", L"", buf, 255);
  String device = FromWide(buf, 255);
  size_t comma = device.find(',');
  return comma == String::npos ? String() : device.substr(0, comma);
}

// ---------------------------------------------------------------------------

namespace {
TfrxPrinters* GlobalPrinters = nullptr;

// Report pages take the current printer's paper as their default.
const bool paperHookInstalled = [] {
  frxCurrentPrinterPaper = [] {
    TfrxPrinterPaper paper;
    if (TfrxCustomPrinter* p = frxGetPrinters()->GetCurrentPrinter()) {
      paper.PaperSize = p->DefPaper();
      paper.PaperWidth = p->DefPaperWidth();
      paper.PaperHeight = p->DefPaperHeight();
      paper.Orientation = p->DefOrientation();
    }
    return paper;
  };
  return true;
}();

struct PrintersFinalizer {
  ~PrintersFinalizer() { frxFreePrinters(); }
} finalizer;
}  // namespace

TfrxPrinters* frxGetPrinters() {
  if (!GlobalPrinters) GlobalPrinters = new TfrxPrinters;
  return GlobalPrinters;
}

void frxFreePrinters() {
  delete GlobalPrinters;
  GlobalPrinters = nullptr;
}
