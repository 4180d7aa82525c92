// GDI+ without a link-time dependency: "gdiplus.dll" is loaded on the first
// query and its flat functions are bound by name. When the library, one of
// its entry points or its start-up is missing, GDI+ counts as unavailable
// and the editors simply go without PNG pictures.
//
// The units loader runs the start-up and shut-down steps of the units that
// depend on GDI+ in order: in a program they run at once, in a library
// module the start-up steps wait for the host.
#pragma once
#include <cstdint>
#include <vector>

#include "System.h"
#include "VclWindows.h"

struct IStream;

namespace dxgp {
// Opaque GDI+ objects.
struct GpImage;
struct GpGraphics;
using GpStatus = int;
using ARGB = uint32_t;

constexpr int PixelFormat32bppPARGB = 0xE200B;
constexpr int UnitPixel = 2;

// One entry of the encoder list (the platform's ImageCodecInfo layout).
struct ImageCodecInfo {
  CLSID Clsid;
  GUID FormatID;
  const char16_t* CodecName;
  const char16_t* DllName;
  const char16_t* FormatDescription;
  const char16_t* FilenameExtension;
  const char16_t* MimeType;
  DWORD Flags, Version, SigCount, SigSize;
  const BYTE* SigPattern;
  const BYTE* SigMask;
};

// The functions this library calls; the rest of the bound table is kept
// only as procedure pointers.
struct TdxGdiPlusEntryPoints {
  void*(WINAPI* GdipAlloc)(size_t) = nullptr;
  void(WINAPI* GdipFree)(void*) = nullptr;
  GpStatus(WINAPI* GdipGetImageEncodersSize)(UINT* numEncoders, UINT* size) = nullptr;
  GpStatus(WINAPI* GdipGetImageEncoders)(UINT numEncoders, UINT size, ImageCodecInfo* encoders) = nullptr;
  GpStatus(WINAPI* GdipCreateBitmapFromScan0)(INT width, INT height, INT stride, INT format, BYTE* scan0,
                                               GpImage** bitmap) = nullptr;
  GpStatus(WINAPI* GdipCreateBitmapFromStream)(IStream* stream, GpImage** bitmap) = nullptr;
  GpStatus(WINAPI* GdipCloneImage)(GpImage* image, GpImage** clone) = nullptr;
  GpStatus(WINAPI* GdipDisposeImage)(GpImage* image) = nullptr;
  GpStatus(WINAPI* GdipGetImageDimension)(GpImage* image, float* width, float* height) = nullptr;
  GpStatus(WINAPI* GdipSaveImageToStream)(GpImage* image, IStream* stream, const CLSID* clsid,
                                           const void* params) = nullptr;
  GpStatus(WINAPI* GdipCreateHBITMAPFromBitmap)(GpImage* bitmap, HBITMAP* hbm, ARGB background) = nullptr;
  GpStatus(WINAPI* GdipCreateFromHDC)(HDC hdc, GpGraphics** graphics) = nullptr;
  GpStatus(WINAPI* GdipDeleteGraphics)(GpGraphics* graphics) = nullptr;
  GpStatus(WINAPI* GdipDrawImageRectRect)(GpGraphics* graphics, GpImage* image, float dstx, float dsty, float dstwidth,
                                           float dstheight, float srcx, float srcy, float srcwidth, float srcheight,
                                           int srcUnit, const void* imageAttributes, void* callback,
                                           void* callbackData) = nullptr;
};
}  // namespace dxgp

// The bound functions (valid while IsGdiPlusAvailable answers true).
const dxgp::TdxGdiPlusEntryPoints& dxGpApi();
// The number of GDI+ functions bound by name, and their names in binding order.
const std::vector<const char*>& dxGdiPlusFunctionNames();
// The procedure bound for a name of that list (null when not bound).
FARPROC dxGdiPlusProc(const char* AName);

// Loads GDI+ when it is not yet available; every query while it is
// unavailable tries the whole load again.
bool IsGdiPlusAvailable();
void LoadGdiPlus();
void UnloadGdiPlus();
// Looks an encoder up by MIME type ignoring case: 0 found, 1 not.
int FindEncoderClassId(const String& AMimeType, CLSID& AClassId);

// Start-up and shut-down steps of the units that depend on GDI+.
using TdxUnitProc = void (*)();
class TdxUnitsLoader {
 public:
  TdxUnitsLoader() = default;
  ~TdxUnitsLoader();
  // In a program the start-up step runs at once; in a library module it is
  // queued. The shut-down step is appended to the shut-down list.
  void AddUnit(TdxUnitProc AStartUp, TdxUnitProc AShutDown);
  // Removes the shut-down step and runs it when it was there.
  void RemoveUnit(TdxUnitProc AShutDown);
  // Runs the shut-down steps from the last added to the first (when any
  // start-up step ran) and clears the list.
  void Finalize();
  Integer ShutDownCount() const { return Integer(FShutDown.size()); }
  Integer StartUpCount() const { return Integer(FStartUp.size()); }

 private:
  std::vector<TdxUnitProc> FStartUp, FShutDown;
  bool FStepsRan = false;
};
TdxUnitsLoader* GetUnitsLoader();
// True when this code runs in a library module (a DLL) rather than a program.
bool dxIsLibraryModule();

// Start-up and shut-down of the binding unit (counted: each acts once).
void dxGDIPlusAPIStartup();
void dxGDIPlusAPIShutdown();
