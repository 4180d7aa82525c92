#include "VclWindows.h"
#include <winspool.h>
// Names of TPrinter that the spooler header defines as macros.
#undef GetPrinter
#undef SetPrinter
#include "Printers.h"
#include <cstring>
#include "PrintedGlyphs.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TPrinter, TObject)
TOVANI_IMPLEMENT_CLASS(EPrinter, Exception)
TOVANI_IMPLEMENT_ENUM_INFO(TPrinterOrientation, "poPortrait", "poLandscape")

namespace {
TPrinter* GlobalPrinter = nullptr;
const char kNoDefault[] = "There is no default printer currently selected";
}  // namespace

TPrinter* Printer() {
  if (!GlobalPrinter) GlobalPrinter = new TPrinter;
  return GlobalPrinter;
}

TPrinter* SetPrinter(TPrinter* NewPrinter) {
  TPrinter* old = GlobalPrinter;
  GlobalPrinter = NewPrinter;
  return old;
}

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
  if (FPrinting) Abort();
  FreeDC();
}

void TPrinter::EnsurePrinters() {
  if (FPrinters) return;
  FPrinters = std::make_unique<TStringList>();
  DWORD needed = 0, count = 0;
  DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return;
  std::vector<BYTE> buf(needed);
  if (!EnumPrintersW(flags, nullptr, 4, buf.data(), needed, &needed, &count)) return;
  auto* info = reinterpret_cast<PRINTER_INFO_4W*>(buf.data());
  for (DWORD i = 0; i < count; ++i)
    if (info[i].pPrinterName) FPrinters->Add(vcl::FromW(info[i].pPrinterName));
}

TStrings* TPrinter::Printers() {
  EnsurePrinters();
  return FPrinters.get();
}

void TPrinter::Refresh() {
  FPrinters.reset();
  FFonts.reset();
  FreeDC();
}

Integer TPrinter::PrinterIndex() {
  if (FPrinterIndex >= 0) return FPrinterIndex;
  // The default printer's place in the list.
  wchar_t name[512] = {};
  DWORD size = 512;
  if (!GetDefaultPrinterW(name, &size)) return -1;
  return Printers()->IndexOf(vcl::FromW(name));
}

void TPrinter::SetPrinterIndex(Integer v) {
  CheckPrinting(false);
  if (v < -1 || v >= Printers()->Count()) throw EPrinter("Printer selected is not valid");
  if (v == FPrinterIndex) return;
  FPrinterIndex = v;
  FreeDC();
  FDevMode.clear();
}

String TPrinter::CurrentName() {
  if (FPrinterIndex >= 0) return Printers()->Strings(FPrinterIndex);
  wchar_t name[512] = {};
  DWORD size = 512;
  if (!GetDefaultPrinterW(name, &size)) throw EPrinter(kNoDefault);
  return vcl::FromW(name);
}

void TPrinter::LoadDevMode() {
  String name = CurrentName();
  if (!FDevMode.empty() && FDevModePrinter == name) return;
  FDevMode.clear();
  FDevModePrinter = name;
  std::u16string w = ToUtf16(name);
  HANDLE h = nullptr;
  if (!OpenPrinterW(W(w), &h, nullptr)) throw EPrinter("Printer selected is not valid");
  LONG size = DocumentPropertiesW(nullptr, h, W(w), nullptr, nullptr, 0);
  if (size > 0) {
    FDevMode.resize(size_t(size));
    if (DocumentPropertiesW(nullptr, h, W(w), reinterpret_cast<DEVMODEW*>(FDevMode.data()), nullptr, DM_OUT_BUFFER) < 0)
      FDevMode.clear();
  }
  ClosePrinter(h);
}

DEVMODEW* TPrinter::DevMode() {
  LoadDevMode();
  return FDevMode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(FDevMode.data());
}

void TPrinter::FreeDC() {
  if (FCanvas) FCanvas->SetHandle(nullptr);
  if (FDC) DeleteDC(FDC);
  FDC = nullptr;
  FState = psNoHandle;
}

void TPrinter::MakeDC(bool forPrinting) {
  if (FDC && (FState == psHandleDC || !forPrinting)) return;
  FreeDC();
  String name = CurrentName();
  std::u16string w = ToUtf16(name);
  DEVMODEW* dm = DevMode();
  FDC = forPrinting ? CreateDCW(L"WINSPOOL", W(w), nullptr, dm) : CreateICW(L"WINSPOOL", W(w), nullptr, dm);
  if (!FDC) throw EPrinter("Printer selected is not valid");
  FState = forPrinting ? psHandleDC : psHandleIC;
  if (FCanvas) FCanvas->SetHandle(FDC);
}

HDC TPrinter::Handle() {
  MakeDC(false);
  return FDC;
}

TCanvas* TPrinter::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
  MakeDC(false);
  FCanvas->SetHandle(FDC);
  return FCanvas.get();
}

Integer TPrinter::PageWidth() { return GetDeviceCaps(Handle(), HORZRES); }
Integer TPrinter::PageHeight() { return GetDeviceCaps(Handle(), VERTRES); }

void TPrinter::CheckPrinting(bool value) {
  if (FPrinting != value) throw EPrinter(value ? "Printer is not currently printing" : "Printing in progress");
}

void TPrinter::BeginDoc() {
  CheckPrinting(false);
  MakeDC(true);
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
  std::u16string title = ToUtf16(FTitle);
  DOCINFOW di{};
  di.cbSize = sizeof(di);
  di.lpszDocName = W(title);
  if (StartDocW(FDC, &di) <= 0) {
    FPrinting = false;
    throw EPrinter("Printing could not be started");
  }
  StartPage(FDC);
  PrinterPageStarted(FDC);
  Canvas()->Refresh();
}

void TPrinter::NewPage() {
  CheckPrinting(true);
  EndPage(FDC);
  StartPage(FDC);
  PrinterPageStarted(FDC);
  ++FPageNumber;
  FCanvas->Refresh();
}

void TPrinter::EndDoc() {
  CheckPrinting(true);
  EndPage(FDC);
  if (!FAborted) ::EndDoc(FDC);
  PrinterJobEnded(FDC);
  FPrinting = false;
  FAborted = false;
  FPageNumber = 0;
}

void TPrinter::Abort() {
  CheckPrinting(true);
  AbortDoc(FDC);
  PrinterJobEnded(FDC);
  FAborted = true;
  FPrinting = false;
  FPageNumber = 0;
}

Integer TPrinter::Copies() {
  DEVMODEW* dm = DevMode();
  return dm && (dm->dmFields & DM_COPIES) ? dm->dmCopies : 1;
}

void TPrinter::SetCopies(Integer v) {
  CheckPrinting(false);
  if (DEVMODEW* dm = DevMode()) {
    dm->dmCopies = SHORT(v);
    dm->dmFields |= DM_COPIES;
    FreeDC();
  }
}

TPrinterOrientation TPrinter::Orientation() {
  DEVMODEW* dm = DevMode();
  return dm && (dm->dmFields & DM_ORIENTATION) && dm->dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation v) {
  CheckPrinting(false);
  if (DEVMODEW* dm = DevMode()) {
    dm->dmOrientation = v == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    dm->dmFields |= DM_ORIENTATION;
    FreeDC();
  }
}

TPrinterCapabilities TPrinter::Capabilities() {
  TPrinterCapabilities caps;
  String name = CurrentName();
  std::u16string w = ToUtf16(name);
  if (DeviceCapabilitiesW(W(w), nullptr, DC_COPIES, nullptr, nullptr) > 1) caps += pcCopies;
  if (DeviceCapabilitiesW(W(w), nullptr, DC_ORIENTATION, nullptr, nullptr) > 0) caps += pcOrientation;
  if (DeviceCapabilitiesW(W(w), nullptr, DC_COLLATE, nullptr, nullptr) > 0) caps += pcCollation;
  return caps;
}

namespace {
int CALLBACK AddFontFamily(const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) {
  auto* l = reinterpret_cast<TStringList*>(p);
  String name = vcl::FromW(f->lfFaceName);
  if (!name.empty() && l->IndexOf(name) < 0) l->Add(name);
  return 1;
}
}  // namespace

TStrings* TPrinter::Fonts() {
  if (!FFonts) {
    FFonts = std::make_unique<TStringList>();
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(Handle(), &lf, AddFontFamily, reinterpret_cast<LPARAM>(FFonts.get()), 0);
    FFonts->Sort();
  }
  return FFonts.get();
}

void TPrinter::GetPrinter(String& Device, String& Driver, String& Port, HGLOBAL& DeviceMode) {
  Device = CurrentName();
  Driver.clear();
  Port.clear();
  DeviceMode = nullptr;
  if (DEVMODEW* dm = DevMode()) {
    DeviceMode = GlobalAlloc(GMEM_MOVEABLE, FDevMode.size());
    if (DeviceMode) {
      std::memcpy(GlobalLock(DeviceMode), dm, FDevMode.size());
      GlobalUnlock(DeviceMode);
    }
  }
}

void TPrinter::SetPrinter(const String& Device, const String&, const String&, HGLOBAL DeviceMode) {
  CheckPrinting(false);
  Integer i = Printers()->IndexOf(Device);
  if (i < 0) {
    Printers()->Add(Device);
    i = Printers()->Count() - 1;
  }
  FPrinterIndex = i;
  FreeDC();
  FDevMode.clear();
  FDevModePrinter = Device;
  if (DeviceMode) {
    SIZE_T size = GlobalSize(DeviceMode);
    if (const void* p = GlobalLock(DeviceMode)) {
      FDevMode.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
      GlobalUnlock(DeviceMode);
    }
  }
}
