// Image lists over comctl32: a row of equally sized images (with masks)
// that menus, tool bars, tree views and grids draw by index.
#pragma once
#include "VclWindows.h"
#include <commctrl.h>
#include <functional>
#include <vector>
#include "Classes.h"
#include "Graphics.h"
#include "TypInfo.h"

class TCustomImageList;

// Tells a client that an image list changed.
class TChangeLink : public TObject {
  TOVANI_CLASS(TChangeLink, TObject)
 public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* v) { FSender = v; }
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  TCustomImageList* FSender = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
TOVANI_ENUM_INFO(TDrawingStyle)
enum TImageType { itImage, itMask };
TOVANI_ENUM_INFO(TImageType)

class TCustomImageList : public TComponent {
  TOVANI_CLASS(TCustomImageList, TComponent)
 public:
  explicit TCustomImageList(TComponent* AOwner = nullptr);
  TCustomImageList(Integer AWidth, Integer AHeight);
  ~TCustomImageList() override;
  void Assign(TPersistent* Source) override;

  HIMAGELIST Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Takes ownership of a comctl32 image list.
  void SetHandle(HIMAGELIST h);
  Integer Count();
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer v);
  void SetSize(Integer w, Integer h);
  Integer AllocBy() const { return FAllocBy; }
  void SetAllocBy(Integer v) { FAllocBy = v; }
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor v);
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor v) { FBlendColor = v; }
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle v) { FDrawingStyle = v; }
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType v) { FImageType = v; }
  bool Masked() const { return FMasked; }
  void SetMasked(bool v);
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool v) { FShareImages = v; }

  // Each returns the index of the first image added; a bitmap wider than
  // the list holds several images side by side.
  Integer Add(TBitmap* Image, TBitmap* Mask);
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  Integer AddIcon(TIcon* Image);
  void AddImages(TCustomImageList* Value);
  void Insert(Integer Index, TBitmap* Image, TBitmap* Mask);
  void InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor);
  void InsertIcon(Integer Index, TIcon* Image);
  void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor);
  void ReplaceIcon(Integer Index, TIcon* Image);
  // EInvalidOperation "Invalid ImageList Index" for a bad index.
  void Delete(Integer Index);
  void Clear();
  void Move(Integer CurIndex, Integer NewIndex);

  // Draws an image; a disabled one is drawn embossed in the shadow colours.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
            bool Enabled = true);
  void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, Integer Overlay, bool Enabled = true);
  bool Overlay(Integer ImageIndex, Integer Overlay);
  bool GetBitmap(Integer Index, TBitmap* Image);
  void GetIcon(Integer Index, TIcon* Image);
  HICON GetIconHandle(Integer Index);

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  TNotifyEvent OnChange;

  // The image data of a form file ("Bitmap" binary property): comctl32's
  // image list stream.
  void DefineProperties(TFiler* Filer) override;
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

 protected:
  virtual void Change();
  void CheckIndex(Integer Index);
  void CreateImageList();
  void FreeHandle();

 private:
  HIMAGELIST FHandle = nullptr;
  Integer FWidth = 16, FHeight = 16;
  Integer FAllocBy = 4;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  bool FMasked = true;
  bool FShareImages = false;
  Integer FUpdateCount = 0;
  bool FChanged = false;
  std::vector<TChangeLink*> FClients;
};

// An image list that can be dragged: one of its images follows the mouse
// over a window while a drag is under way (comctl32's ImageList_BeginDrag
// family, which keeps one dragged image for the whole process).
// Coordinates are relative to the top-left corner of the window the image
// is locked to (the desktop window: screen coordinates).
class TDragImageList : public TCustomImageList {
  TOVANI_CLASS(TDragImageList, TCustomImageList)
 public:
  explicit TDragImageList(TComponent* AOwner = nullptr) : TCustomImageList(AOwner) {}
  ~TDragImageList() override;

  // Starts dragging the drag image over Window with the hot spot at (X, Y);
  // false when the list has no image to drag.
  bool BeginDrag(HWND Window, Integer X, Integer Y);
  // Shows the image over another window (the drag goes on).
  bool DragLock(HWND Window, Integer XPos, Integer YPos);
  // Moves the image so that its hot spot is at (X, Y).
  bool DragMove(Integer X, Integer Y);
  // Takes the image off the window it was locked to.
  void DragUnlock();
  bool EndDrag();
  void ShowDragImage();
  void HideDragImage();
  // Chooses the dragged image and the point of it that follows the mouse;
  // during a drag the image changes at once.
  bool SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY);
  virtual TPoint GetHotSpot() { return FDragHotspot; }

  SmallInt DragCursor() const { return FDragCursor; }
  void SetDragCursor(SmallInt v) { FDragCursor = v; }
  TPoint DragHotspot() const { return FDragHotspot; }
  void SetDragHotspot(TPoint v) { FDragHotspot = v; }
  Integer DragIndex() const { return FDragIndex; }
  bool Dragging() const { return FDragging; }
  HWND DragHandle() const { return FDragHandle; }

 private:
  SmallInt FDragCursor = -12;   // crDrag
  TPoint FDragHotspot;
  Integer FDragIndex = 0;
  bool FDragging = false;
  HWND FDragHandle = nullptr;
  TPoint FDragPos;
};

class TImageList : public TDragImageList {
  TOVANI_CLASS(TImageList, TDragImageList)
 public:
  explicit TImageList(TComponent* AOwner = nullptr) : TDragImageList(AOwner) {}
};
