// The image editor: shows and edits a picture (bitmap, icon, metafile,
// JPEG and, with GDI+, PNG). Its edit value is the picture's stream image
// as a string of bytes, so that it binds to a BLOB field; an empty picture
// is Null. The user changes the picture through a context menu, clipboard
// keys and the open and save dialogs. It paints the picture plain,
// scrolled, stretched, proportionally fitted or centred.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Menus.h"
#include "cxEdit.h"
#include "cxEditRepositoryItems.h"

class TcxCustomImage;
class TcxImageViewInfo;
class TImageList;

// Graphic classes the editor knows, in order: TBitmap, TIcon, TMetafile,
// TdxPNGImage (when GDI+ is there) and TJPEGImage. The first is the default.
const std::vector<TClass>& cxGetGraphicClassList();
TClass cxGetGraphicClassByName(const String& AClassName);

enum TcxImageTransparency : Byte { gtDefault, gtOpaque, gtTransparent };
TOVANI_ENUM_INFO(TcxImageTransparency)
enum TcxPopupMenuItem { pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave, pmiCustom };
TOVANI_ENUM_INFO(TcxPopupMenuItem)
using TcxPopupMenuItems = TSet<TcxPopupMenuItem>;

class TcxPopupMenuLayout : public TPersistent {
  TOVANI_CLASS(TcxPopupMenuLayout, TPersistent)
 public:
  explicit TcxPopupMenuLayout(TPersistent* AOwner = nullptr) : FOwner(AOwner) {}
  ~TcxPopupMenuLayout() override;
  void Assign(TPersistent* Source) override;
  TcxPopupMenuItems MenuItems() const { return FMenuItems; }
  void SetMenuItems(TcxPopupMenuItems Value) { FMenuItems = Value; }
  const String& CustomMenuItemCaption() const { return FCustomMenuItemCaption; }
  void SetCustomMenuItemCaption(const String& Value) { FCustomMenuItemCaption = Value; }
  // Made on first read; assigning null frees it.
  TBitmap* CustomMenuItemGlyph();
  void SetCustomMenuItemGlyph(TBitmap* Value);
  bool HasCustomMenuItemGlyph() const { return FCustomMenuItemGlyph != nullptr; }

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
  TcxPopupMenuItems FMenuItems{pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave};
  String FCustomMenuItemCaption;
  std::unique_ptr<TBitmap> FCustomMenuItemGlyph;
};

using TcxImageAssignPictureEvent = std::function<void(TObject* Sender, TPicture* Picture)>;
using TcxImageGraphicClassEvent =
    std::function<void(TObject* AItem, Integer ARecordIndex, bool APastingFromClipboard, TClass& AGraphicClass)>;
using TcxImageEditGraphicClassEvent =
    std::function<void(TObject* Sender, bool APastingFromClipboard, TClass& AGraphicClass)>;

class TcxCustomImageProperties : public TcxCustomEditProperties {
  TOVANI_CLASS(TcxCustomImageProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomImageProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomImageProperties() override;
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  TClass GetContainerClass() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false) override;
  bool CanValidate() override { return true; }
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  Integer GetEditFeatureFlags() override;
  Integer GetViewOptions() override;
  bool CanRestoreEditValue() override { return true; }
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;
  TcxEditValueSource UsesDataDisplayFormat(bool) override { return evsValue; }

  virtual TClass GetDefaultGraphicClass();
  // The graphic class for an item and record: the set one; else TBitmap
  // when pasting, else none; then OnGetGraphicClass may change it.
  virtual TClass GetGraphicClass(TObject* AItem, Integer ARecordIndex, bool APastingFromClipboard = false);

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value) { Store(FCaption, Value); }
  bool Center() const { return FCenter; }
  void SetCenter(bool Value) { Store(FCenter, Value); }
  const String& CustomFilter() const { return FCustomFilter; }
  void SetCustomFilter(const String& Value) { FCustomFilter = Value; }
  Integer DefaultHeight() const { return FDefaultHeight; }
  TClass GraphicClass() const { return FGraphicClass; }
  void SetGraphicClass(TClass Value) { Store(FGraphicClass, Value); }
  String GraphicClassName() const;
  void SetGraphicClassName(const String& Value);
  bool IsGraphicClassNameStored() { return FGraphicClass != GetDefaultGraphicClass(); }
  TcxImageTransparency GraphicTransparency() const { return FGraphicTransparency; }
  void SetGraphicTransparency(TcxImageTransparency Value) { Store(FGraphicTransparency, Value); }
  TcxPopupMenuLayout* PopupMenuLayout() const { return FPopupMenuLayout.get(); }
  void SetPopupMenuLayout(TcxPopupMenuLayout* Value) { FPopupMenuLayout->Assign(Value); }
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value) { Store(FShowFocusRect, Value); }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value) { Store(FStretch, Value); }

  TcxImageAssignPictureEvent OnAssignPicture;
  TNotifyEvent OnCustomClick;
  TcxImageGraphicClassEvent OnGetGraphicClass;

 private:
  String FCaption;
  bool FCenter = true;
  String FCustomFilter;
  Integer FDefaultHeight = 15;
  TClass FGraphicClass = nullptr;
  TcxImageTransparency FGraphicTransparency = gtDefault;
  std::unique_ptr<TcxPopupMenuLayout> FPopupMenuLayout;
  bool FProportional = true, FShowFocusRect = true, FStretch = false;
};

class TcxImageProperties : public TcxCustomImageProperties {
  TOVANI_CLASS(TcxImageProperties, TcxCustomImageProperties)
 public:
  explicit TcxImageProperties(TPersistent* AOwner = nullptr) : TcxCustomImageProperties(AOwner) {}
};

class TcxImageViewInfo : public TcxCustomEditViewInfo {
  TOVANI_CLASS(TcxImageViewInfo, TcxCustomEditViewInfo)
 public:
  TcxImageViewInfo() = default;
  ~TcxImageViewInfo() override;
  String Caption;
  bool Center = true, ShowFocusRect = false, Stretch = false, Proportional = true;
  TPoint TopLeft;
  // The editor's picture, or (in-place) one of the view info's own.
  TPicture* Picture = nullptr;
  void PaintContent(TcxCanvas* ACanvas) override;
  // The picture the in-place painting loads its value into (made on first use).
  TPicture* OwnPicture();
  bool NeedsCaption() const;
  // The rectangle the picture is drawn into within the client rectangle.
  TRect PictureRect(const TRect& AClient) const;

 private:
  std::unique_ptr<TPicture> FOwnPicture;
  std::unique_ptr<TBitmap> FTempBitmap;
};

class TcxImageViewData : public TcxCustomEditViewData {
  TOVANI_CLASS(TcxImageViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) override;
  TSize GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                           const TcxEditSizeProperties& ASizeProperties) override;
  // The item and record the in-place painting asks the graphic class for.
  TObject* Item = nullptr;
  Integer RecordIndex = -1;
};

class TcxCustomImage : public TcxCustomEdit {
  TOVANI_CLASS(TcxCustomImage, TcxCustomEdit)
 public:
  explicit TcxCustomImage(TComponent* AOwner = nullptr, bool AIsInplace = false,
                          const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomImage() override;

  TcxCustomImageProperties* Properties() const {
    return static_cast<TcxCustomImageProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomImageProperties* ActiveProperties() {
    return static_cast<TcxCustomImageProperties*>(GetEffectiveProperties());
  }
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  UINT PictureClipboardFormat() const { return FClipboardFormat; }
  TPopupMenu* ContextMenu() const { return FContextMenu.get(); }
  const TPoint& TopLeft() const;

  void GetEditValue(Variant& AValue) override;
  void InternalSetEditValue(const Variant& Value, bool AValidate) override;
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void DeletePicture();
  void LoadFromFile();
  void SaveToFile();
  virtual bool CanPasteFromClipboard();
  virtual void CustomClick();
  virtual TClass GetGraphicClass(bool APastingFromClipboard = false);
  // Runs a context-menu command as the user's change.
  void ExecuteMenuCommand(TcxPopupMenuItem ACommand);
  // Builds (once) and updates the context menu as it would show now.
  TPopupMenu* PrepareContextMenu();
  // Moves the view by a scroll code; answers the position applied.
  void ScrollPicture(TScrollBarKind AKind, TScrollCode ACode, Integer& APosition);

  TcxImageEditGraphicClassEvent OnGetGraphicClass;
  // While a picture dialog runs the editor counts as focused.
  bool Focused() override;

 protected:
  using TcxCustomEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  bool IsSpecialKey(Word Key, TShiftState Shift) override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  bool CanAutoSize() override;
  bool HasScrollBars() override { return true; }
  void ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) override;
  void Resize() override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  void UpdateScrollBars(bool AIsScrolling = false) override;
  void DefineScrollBars() override;
  bool PageInPixels(TScrollBarKind) override { return true; }

 private:
  void PictureChanged(TObject* Sender);
  void MenuItemClick(TObject* Sender);
  void ApplyAutoSize();
  std::unique_ptr<TPicture> FPicture;
  std::unique_ptr<TPopupMenu> FContextMenu;
  bool FSettingEditValue = false, FInternalChange = false;
  bool FDialogOpen = false;
  UINT FClipboardFormat = 0;
};

class TcxImage : public TcxCustomImage {
  TOVANI_CLASS(TcxImage, TcxCustomImage)
 public:
  explicit TcxImage(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxImageProperties* Properties() const { return static_cast<TcxImageProperties*>(TcxCustomEdit::Properties()); }
};

CX_EDIT_REPOSITORY_ITEM(TcxEditRepositoryImageItem, TcxImageProperties)

// Picture data of an edit value: a string of the graphic's stream image,
// optionally behind the 8-byte graphic header (count 1, type 0x0100, size).
// Loads it into APicture with a new graphic of AGraphicClass (or the
// picture's bitmap without one); undecodable data or anything but a string
// leaves the picture empty.
void cxLoadPicture(TPicture* APicture, TClass AGraphicClass, const Variant& AValue);
// The stream image of a picture (empty for a missing or empty picture).
String cxSavePicture(TPicture* APicture);
// The proportional fit of a W x H picture into a rectangle.
TRect cxGetProportionalRect(const TRect& ARect, Integer AWidth, Integer AHeight);
// The clipboard format of pictures of any class.
UINT cxPictureClipboardFormat();
// The six 16 x 16 command images of the context menu (cut, copy, paste,
// delete, load, save).
TImageList* cxImageMenuImages();

// Counted start-up and shut-down of the image editor unit.
void cxImageUnitStartup();
void cxImageUnitShutdown();
