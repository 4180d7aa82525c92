#include "dxGDIPlusAPI.h"

#include <cstring>
#include <memory>
#include <utility>

#include "SysUtils.h"
#include "Utf8.h"

namespace {

// GdiplusStartup's input and output records.
struct TStartupInput {
  UINT32 GdiplusVersion;
  void* DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;
};
using TNotificationHook = dxgp::GpStatus(WINAPI*)(ULONG_PTR* token);
using TNotificationUnhook = void(WINAPI*)(ULONG_PTR token);
struct TStartupOutput {
  TNotificationHook NotificationHook;
  TNotificationUnhook NotificationUnhook;
};
using TStartupProc = dxgp::GpStatus(WINAPI*)(ULONG_PTR* token, const TStartupInput* input, TStartupOutput* output);
using TShutdownProc = void(WINAPI*)(ULONG_PTR token);

const std::vector<const char*> GFunctionNames = {
    "GdipAlloc", "GdipFree", "GdiplusStartup", "GdiplusShutdown", "GdipCloneBrush", "GdipDeleteBrush",
    "GdipGetBrushType", "GdipCreateSolidFill", "GdipSetSolidFillColor", "GdipGetSolidFillColor",
    "GdipCreateLineBrushFromRectI", "GdipGetLineRectI", "GdipSetLineColors", "GdipGetLineColors",
    "GdipSetLineWrapMode", "GdipGetLineWrapMode", "GdipCreateHatchBrush", "GdipGetHatchStyle",
    "GdipGetHatchForegroundColor", "GdipGetHatchBackgroundColor", "GdipCreatePen1", "GdipCreatePen2",
    "GdipClonePen", "GdipDeletePen", "GdipGetPenFillType", "GdipSetPenBrushFill", "GdipGetPenBrushFill",
    "GdipSetPenColor", "GdipGetPenColor", "GdipSetPenMode", "GdipGetPenMode", "GdipSetPenWidth", "GdipGetPenWidth",
    "GdipCreateFromHDC", "GdipDeleteGraphics", "GdipGetDC", "GdipReleaseDC", "GdipGraphicsClear", "GdipDrawLineI",
    "GdipFillRectangleI", "GdipDrawArcI", "GdipDrawBezierI", "GdipDrawRectangleI", "GdipDrawEllipseI",
    "GdipDrawPieI", "GdipDrawPolygonI", "GdipDrawCurve2I", "GdipDrawClosedCurve2I", "GdipFillPolygonI",
    "GdipFillEllipseI", "GdipFillPieI", "GdipFillClosedCurveI", "GdipLoadImageFromStream",
    "GdipCreateBitmapFromFile", "GdipCreateBitmapFromStream", "GdipCreateBitmapFromStreamICM",
    "GdipCreateHBITMAPFromBitmap", "GdipLoadImageFromFile", "GdipGetImageDimension", "GdipDrawImageRectI",
    "GdipDisposeImage", "GdipGetImageEncodersSize", "GdipGetImageEncoders", "GdipSaveImageToStream",
    "GdipCreateBitmapFromHBITMAP", "GdipGetEncoderParameterListSize", "GdipGetEncoderParameterList",
    "GdipCreateBitmapFromGdiDib", "GdipCreateBitmapFromScan0", "GdipBitmapLockBits", "GdipBitmapUnlockBits",
    "GdipDrawImageRectRectI", "GdipDrawImageRectRect", "GdipDrawImagePointRect", "GdipCloneImage",
    "GdipSetInterpolationMode", "GdipGetInterpolationMode", "GdipCreateCachedBitmap", "GdipDeleteCachedBitmap",
    "GdipDrawCachedBitmap", "GdipCreateBitmapFromGraphics", "GdipGetImageGraphicsContext", "GdipGetImageWidth",
    "GdipGetImageHeight", "GdipSetCompositingMode", "GdipGetCompositingMode", "GdipSetCompositingQuality",
    "GdipGetCompositingQuality", "GdipSetSmoothingMode", "GdipGetSmoothingMode", "GdipCloneBitmapAreaI"};

struct TBinding {
  bool Available = false;
  HMODULE Library = nullptr;
  ULONG_PTR Token = 0;
  TStartupOutput Output{};
  std::vector<FARPROC> Procs = std::vector<FARPROC>(GFunctionNames.size(), nullptr);
  dxgp::TdxGdiPlusEntryPoints Api;
};
TBinding& Binding() {
  static TBinding b;
  return b;
}

template <class T>
void Take(T& APointer, const char* AName) {
  APointer = reinterpret_cast<T>(dxGdiPlusProc(AName));
}

// The units loader lives from its first use until the binding unit shuts
// down. It is not an object with static storage on purpose: its destructor
// would run the units' shut-down steps while the process ends, after the
// registries those steps update (the picture formats, the class registry,
// the binding itself) have been destroyed, freeing their memory a second
// time. A process that ends without shutting the units down leaves GDI+ to
// the system, like everything else it holds.
TdxUnitsLoader* GUnitsLoader = nullptr;
Integer GApiUnitCounter = 0;

void ApiStartUpStep() { Binding().Available = false; }
void ApiShutDownStep() { UnloadGdiPlus(); }

}  // namespace

const dxgp::TdxGdiPlusEntryPoints& dxGpApi() { return Binding().Api; }
const std::vector<const char*>& dxGdiPlusFunctionNames() { return GFunctionNames; }

FARPROC dxGdiPlusProc(const char* AName) {
  for (size_t i = 0; i < GFunctionNames.size(); ++i)
    if (std::strcmp(GFunctionNames[i], AName) == 0) return Binding().Procs[i];
  return nullptr;
}

bool IsGdiPlusAvailable() {
  if (!Binding().Available) LoadGdiPlus();
  return Binding().Available;
}

void LoadGdiPlus() {
  TBinding& b = Binding();
  if (b.Available) return;
  if (!b.Library) {
    UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    b.Library = LoadLibraryW(L"gdiplus.dll");
    SetErrorMode(oldMode);
  }
  if (!b.Library) return;
  // Each name is looked up while every earlier one was found; after the
  // first miss the rest stay unbound.
  b.Available = true;
  for (size_t i = 0; i < GFunctionNames.size(); ++i) {
    b.Procs[i] = nullptr;
    if (!b.Available) continue;
    b.Procs[i] = GetProcAddress(b.Library, GFunctionNames[i]);
    if (!b.Procs[i]) b.Available = false;
  }
  dxgp::TdxGdiPlusEntryPoints& a = b.Api;
  Take(a.GdipAlloc, "GdipAlloc");
  Take(a.GdipFree, "GdipFree");
  Take(a.GdipGetImageEncodersSize, "GdipGetImageEncodersSize");
  Take(a.GdipGetImageEncoders, "GdipGetImageEncoders");
  Take(a.GdipCreateBitmapFromScan0, "GdipCreateBitmapFromScan0");
  Take(a.GdipCreateBitmapFromStream, "GdipCreateBitmapFromStream");
  Take(a.GdipCloneImage, "GdipCloneImage");
  Take(a.GdipDisposeImage, "GdipDisposeImage");
  Take(a.GdipGetImageDimension, "GdipGetImageDimension");
  Take(a.GdipSaveImageToStream, "GdipSaveImageToStream");
  Take(a.GdipCreateHBITMAPFromBitmap, "GdipCreateHBITMAPFromBitmap");
  Take(a.GdipCreateFromHDC, "GdipCreateFromHDC");
  Take(a.GdipDeleteGraphics, "GdipDeleteGraphics");
  Take(a.GdipDrawImageRectRect, "GdipDrawImageRectRect");
  auto startup = reinterpret_cast<TStartupProc>(dxGdiPlusProc("GdiplusStartup"));
  if (startup) {
    // The background thread is suppressed: the notification hook runs now
    // and the unhook before shut-down.
    TStartupInput input{1, nullptr, TRUE, FALSE};
    if (startup(&b.Token, &input, &b.Output) != 0 ||
        (b.Output.NotificationHook && b.Output.NotificationHook(&b.Token) != 0)) {
      b.Available = false;
      b.Output = {};
    }
  }
}

void UnloadGdiPlus() {
  TBinding& b = Binding();
  if (b.Available) {
    if (b.Output.NotificationUnhook) b.Output.NotificationUnhook(b.Token);
    if (auto shutdown = reinterpret_cast<TShutdownProc>(dxGdiPlusProc("GdiplusShutdown"))) shutdown(b.Token);
  }
  if (b.Library) FreeLibrary(b.Library);
  b.Library = nullptr;
  b.Available = false;
  b.Output = {};
  b.Token = 0;
  std::fill(b.Procs.begin(), b.Procs.end(), nullptr);
  b.Api = {};
}

int FindEncoderClassId(const String& AMimeType, CLSID& AClassId) {
  if (!IsGdiPlusAvailable()) return 1;
  UINT count = 0, size = 0;
  if (dxGpApi().GdipGetImageEncodersSize(&count, &size) != 0 || size < 1) return 1;
  std::vector<uint64_t> buffer((size + 7) / 8);   // freed on every path
  auto* codecs = reinterpret_cast<dxgp::ImageCodecInfo*>(buffer.data());
  if (dxGpApi().GdipGetImageEncoders(count, size, codecs) != 0) return 1;
  for (UINT i = 0; i < count; ++i) {
    if (!codecs[i].MimeType) continue;
    if (SameText(Utf16ToUtf8(std::u16string(codecs[i].MimeType)), AMimeType)) {
      AClassId = codecs[i].Clsid;
      return 0;
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Units loader

bool dxIsLibraryModule() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&dxIsLibraryModule), &self);
  return self && self != GetModuleHandleW(nullptr);
}

TdxUnitsLoader::~TdxUnitsLoader() { Finalize(); }

void TdxUnitsLoader::AddUnit(TdxUnitProc AStartUp, TdxUnitProc AShutDown) {
  if (AStartUp) {
    if (dxIsLibraryModule()) {
      FStartUp.push_back(AStartUp);
    } else {
      FStepsRan = true;
      AStartUp();
    }
  }
  if (AShutDown) FShutDown.push_back(AShutDown);
}

void TdxUnitsLoader::RemoveUnit(TdxUnitProc AShutDown) {
  for (auto it = FShutDown.begin(); it != FShutDown.end(); ++it)
    if (*it == AShutDown) {
      FShutDown.erase(it);
      AShutDown();
      return;
    }
}

void TdxUnitsLoader::Finalize() {
  if (FStepsRan)
    while (!FShutDown.empty()) {
      TdxUnitProc p = FShutDown.back();
      FShutDown.pop_back();
      p();
    }
  FStepsRan = false;
  FShutDown.clear();
}

TdxUnitsLoader* GetUnitsLoader() {
  if (!GUnitsLoader) GUnitsLoader = new TdxUnitsLoader;
  return GUnitsLoader;
}

void dxGDIPlusAPIStartup() {
  if (GApiUnitCounter-- != 0) return;
  GetUnitsLoader()->AddUnit(&ApiStartUpStep, &ApiShutDownStep);
}

void dxGDIPlusAPIShutdown() {
  if (GApiUnitCounter++ != -1) return;
  if (Binding().Available && dxIsLibraryModule() && GetUnitsLoader()->ShutDownCount() > 0)
    throw Exception("Need call dxFinalizeGDIPlus before free library!");
  delete std::exchange(GUnitsLoader, nullptr);
}
