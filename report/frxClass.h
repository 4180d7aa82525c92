// The report object model: the component tree every report object stands on
// (TfrxComponent and its three direct kinds), the frame of views and styles,
// the report's option objects and style sheet, and the part of TfrxReport
// that the tree, the serializer and the options rely on.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Contnrs.h"
#include "TypInfo.h"

class TFont;
class TCanvas;
class TPicture;
class TStream;
class TStrings;
class TStringList;
class TfrxReport;
class TfrxXMLItem;
class TfrxXMLSerializer;
class TfrxVariables;
class TControl;
class TWinControl;

using TColor = Integer;

// Report units are pixels of a 96-dpi screen.
constexpr Extended fr01cm = 3.77953;
constexpr Extended fr1cm = 37.7953;
constexpr Extended fr01in = 9.6;
constexpr Extended fr1in = 96;
constexpr Extended fr1CharX = 9.6;
constexpr Extended fr1CharY = 18.9;

// Four extended values; where the model keeps a saved rectangle of an object
// (BeforePrint/AfterPrint) the third and fourth carry its width and height.
struct TfrxFloatRect {
  Extended Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// True when two coordinates differ by more than 1e-4 (closer ones count as equal).
bool frxFloatDiff(Extended a, Extended b);
// x rounded to eight decimals (page sizes).
Extended frxRound8(Extended x);

enum TfrxRestriction { rfDontModify, rfDontSize, rfDontMove, rfDontDelete, rfDontEdit };
TOVANI_ENUM_INFO(TfrxRestriction)
using TfrxRestrictions = TSet<TfrxRestriction>;

enum TfrxAlign { baNone, baLeft, baRight, baCenter, baWidth, baBottom, baClient };
TOVANI_ENUM_INFO(TfrxAlign)

// Bits of TfrxComponent::frComponentStyle. csPreviewVisible (value 2): the
// object is stored in prepared pages; csDefaultDiff (value 4): its difference
// text is the plain base form. The first bit is not used.
enum TfrxComponentStyleItem { csContained, csPreviewVisible, csDefaultDiff };
using TfrxComponentStyle = TSet<TfrxComponentStyleItem>;

// ---------------------------------------------------------------------------

class TfrxComponent : public TComponent {
  TOVANI_CLASS(TfrxComponent, TComponent)
 public:
  // With a TfrxComponent as AOwner the object becomes its child and is owned
  // by the report that holds AOwner; any other AOwner simply owns it.
  // Classes that override SetParent see their override called only through
  // SetParent itself (a constructor cannot dispatch virtually); the streaming
  // paths (form resources, the serializer) call it after construction.
  explicit TfrxComponent(TComponent* AOwner = nullptr);
  ~TfrxComponent() override;
  // The designer's constructor: sets the design flag first. Flags carry the
  // kind of line and shape objects.
  virtual void DesignCreate(TComponent* AOwner, Word Flags);
  // Gives an object made by class reference (class registry factory) its
  // owner and parent as the constructor would have.
  void AttachTo(TComponent* AOwner);

  // Tree
  TfrxComponent* Parent() const { return FParent; }
  virtual void SetParent(TfrxComponent* AParent);
  TList* Objects() { return GetObjects(); }
  virtual TList* GetObjects() { return &FObjects; }
  // Every descendant, depth first (a child, its children, the next child).
  TList* AllObjects();
  TfrxReport* GetReport();
  // The nearest TfrxPage among the object and its ancestors (null when none).
  TfrxComponent* GetPage();
  // First object of AllObjects with this name (case-insensitive); null when none.
  TfrxComponent* FindObject(const String& AName);
  // Frees the children except inherited ones, which are cleared instead.
  virtual void Clear();
  bool IsLoading() const;
  bool IsAncestor() const;
  bool IsDesigning() const { return FIsDesigning; }
  void SetIsDesigning(bool v) { FIsDesigning = v; }
  bool IsPrinting() const { return FIsPrinting; }
  void SetIsPrinting(bool v) { FIsPrinting = v; }
  void SetIsLoading(bool v) { FIsLoading = v; }
  // Set by the serializer while it writes this object's properties.
  bool BeingWritten() const { return FIsWriting; }
  void SetBeingWritten(bool v) { FIsWriting = v; }
  bool Ancestor() const { return FAncestor; }
  void SetAncestorFlag(bool v) { FAncestor = v; }

  // Names: a name another object of the report bears raises "prDupl"; an
  // inherited object cannot be renamed; a change of letter case is ignored.
  virtual void SetName(const String& Value);
  void AssignUniqueName();
  // The stem of automatic names: the class name without "Tfrx" and "View".
  virtual String BaseName() const;
  const String& AliasName() const { return FAliasName; }
  void SetAliasName(const String& v) { FAliasName = v; }

  // Bounds
  Extended Left() const { return FLeft; }
  Extended Top() const { return FTop; }
  Extended Width() const { return FWidth; }
  Extended Height() const { return FHeight; }
  virtual void SetLeft(Extended Value);
  virtual void SetTop(Extended Value);
  virtual void SetWidth(Extended Value);
  virtual void SetHeight(Extended Value);
  void SetBounds(Extended ALeft, Extended ATop, Extended AWidth, Extended AHeight);
  Extended AbsLeft() const;
  Extended AbsTop() const;

  // Font and visibility
  TFont* Font() const { return FFont.get(); }
  virtual void SetFont(TFont* Value);
  bool ParentFont() const { return FParentFont; }
  virtual void SetParentFont(bool Value);
  // The font is stored only while ParentFont is off.
  bool IsFontStored() const { return !FParentFont; }
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer v) { FGroupIndex = v; }
  TfrxRestrictions Restrictions() const { return FRestrictions; }
  void SetRestrictions(TfrxRestrictions v) { FRestrictions = v; }
  TfrxComponentStyle frComponentStyle() const { return FStyle; }
  void SetfrComponentStyle(TfrxComponentStyle v) { FStyle = v; }

  // Links kept for prepared pages and the engine.
  TfrxComponent* OriginalComponent() const { return FOriginalComponent; }
  void SetOriginalComponent(TfrxComponent* v) { FOriginalComponent = v; }
  TfrxComponent* ParentBand() const { return FParentBand; }
  void SetParentBand(TfrxComponent* v) { FParentBand = v; }
  TfrxFloatRect& OriginalRect() { return FOriginalRect; }

  virtual String GetTypeCaption();
  virtual void AlignChildren();
  // The window that the controls of dialog controls placed on this object
  // live in (a dialog page's form, a windowed dialog control's control);
  // null when the object has none.
  virtual TWinControl* ChildControlParent() { return nullptr; }
  virtual void BeforeStart() {}

  // Persistence through the XML serializer.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream, bool SaveChildren = true, bool WriteDefaults = false,
                            bool UseAncestor = false);
  // From another report object: its properties without children.
  void Assign(TPersistent* Source) override;
  // The same with its children.
  void CopyFrom(TfrxComponent* Source, bool UseAncestor = false);

  // Attribute texts that prepared pages store.
  virtual String DifferenceText(TfrxComponent* ATemplate);
  String BaseDifferenceText(TfrxComponent* ATemplate);
  String FullDifferenceText(TfrxComponent* ATemplate);

  // Streaming hooks of the class library: children are the direct children.
  bool HasParent() const override { return FParent != nullptr; }
  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }

 protected:
  virtual void FontChanged(TObject* Sender);

 private:
  void Init();
  static TComponent* ClassLibraryOwner(TComponent* AOwner);

  std::unique_ptr<TFont> FFont;
  TList FObjects;
  TList FAllObjects;
  TfrxComponent* FParent = nullptr;
  Extended FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FParentFont = true;
  Integer FGroupIndex = 0;
  bool FIsDesigning = false;
  bool FIsLoading = false;
  bool FIsPrinting = false;
  bool FIsWriting = false;
  TfrxRestrictions FRestrictions;
  bool FVisible = true;
  bool FAncestor = false;
  TfrxComponentStyle FStyle{csPreviewVisible};
  String FAliasName;
  TfrxComponent* FOriginalComponent = nullptr;
  TfrxComponent* FParentBand = nullptr;
  TfrxFloatRect FOriginalRect;
};

// Objects placed on a page or band.
class TfrxReportComponent : public TfrxComponent {
  TOVANI_CLASS(TfrxReportComponent, TfrxComponent)
 public:
  explicit TfrxReportComponent(TComponent* AOwner = nullptr);
  ~TfrxReportComponent() override;

  virtual void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) = 0;
  virtual void BeforePrint();
  virtual void GetData() {}
  virtual void AfterPrint();
  virtual String GetPlainText() { return String(); }
  virtual TfrxFloatRect GetAbsBounds();

  const String& Description() const { return FDescription; }
  void SetDescription(const String& v) { FDescription = v; }
  // Script procedure names of the object's events.
  String OnAfterData, OnAfterPrint, OnBeforePrint, OnPreviewClick, OnPreviewDblClick;
  // Used by the engine when objects above grow.
  Extended ShiftAmount = 0;
  TList* ShiftChildren() { return &FShiftChildren; }

 private:
  String FDescription;
  TList FShiftChildren;
};

// A non-visual component on a dialog or data page, drawn as a 28 by 28 tile.
class TfrxDialogComponent : public TfrxReportComponent {
  TOVANI_CLASS(TfrxDialogComponent, TfrxReportComponent)
 public:
  explicit TfrxDialogComponent(TComponent* AOwner = nullptr);
  ~TfrxDialogComponent() override;

  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  void DefineProperties(TFiler* Filer) override;
  // The wrapped component, owned.
  TComponent* Component() const { return FComponent; }
  void SetComponent(TComponent* v);

 private:
  TComponent* FComponent = nullptr;
};

// A window control placed on a dialog page, wrapped as a report object: the
// object's bounds, font, visibility and caption are passed to the control.
// Descendants create their control and hand it over with InitControl.
class TfrxDialogControl : public TfrxReportComponent {
  TOVANI_CLASS(TfrxDialogControl, TfrxReportComponent)
 public:
  explicit TfrxDialogControl(TComponent* AOwner = nullptr);
  ~TfrxDialogControl() override;

  // The class name without "Tfrx" and "Control".
  String BaseName() const override;
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  void SetWidth(Extended Value) override;
  void SetHeight(Extended Value) override;
  void SetVisible(bool Value) override;
  void SetParentFont(bool Value) override;
  // Places the control in the parent's window, or in the hidden parent form.
  void SetParent(TfrxComponent* AParent) override;
  // A control that shows its name as caption keeps doing so.
  void SetName(const String& Value) override;
  TWinControl* ChildControlParent() override;
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  void SetFocus();

  bool Enabled() const;
  void SetEnabled(bool Value);
  String Hint() const;
  void SetHint(const String& Value);
  bool ShowHint() const;
  void SetShowHint(bool Value);
  String Caption() const;
  void SetCaption(const String& Value);
  TControl* Control() const { return FControl; }

 protected:
  // Takes ownership of the control and gives it the object's state.
  void InitControl(TControl* AControl);
  void FontChanged(TObject* Sender) override;

 private:
  void UpdateControlBounds();
  TControl* FControl = nullptr;
};

// The hidden window that holds the controls of dialog controls without a
// dialog page: one per process, made on first use.
TWinControl* frxParentForm();

// ---------------------------------------------------------------------------
// The frame of views and style items.

enum TfrxFrameStyle { fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble, fsAltDot, fsSquare };
TOVANI_ENUM_INFO(TfrxFrameStyle)
enum TfrxFrameType { ftLeft, ftRight, ftTop, ftBottom };
TOVANI_ENUM_INFO(TfrxFrameType)
using TfrxFrameTypes = TSet<TfrxFrameType>;

class TfrxFrame;

// One side of a frame: each value is stored only where it differs from the frame's.
class TfrxFrameLine : public TPersistent {
  TOVANI_CLASS(TfrxFrameLine, TPersistent)
 public:
  explicit TfrxFrameLine(TfrxFrame* AFrame = nullptr) : FFrame(AFrame) {}
  void Assign(TPersistent* Source) override;
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  TfrxFrameStyle Style() const { return FStyle; }
  void SetStyle(TfrxFrameStyle v) { FStyle = v; }
  Extended Width() const { return FWidth; }
  void SetWidth(Extended v) { FWidth = v; }
  bool IsColorStored() const;
  bool IsStyleStored() const;
  bool IsWidthStored() const;

 private:
  TfrxFrame* FFrame;
  TColor FColor = 0;
  TfrxFrameStyle FStyle = fsSolid;
  Extended FWidth = 1;
};

class TfrxFrame : public TPersistent {
  TOVANI_CLASS(TfrxFrame, TPersistent)
 public:
  TfrxFrame();
  ~TfrxFrame() override;
  void Assign(TPersistent* Source) override;

  // Colour, style and width set the four sides too.
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  TfrxFrameStyle Style() const { return FStyle; }
  void SetStyle(TfrxFrameStyle v);
  Extended Width() const { return FWidth; }
  void SetWidth(Extended v);
  bool DropShadow() const { return FDropShadow; }
  void SetDropShadow(bool v) { FDropShadow = v; }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor v) { FShadowColor = v; }
  Extended ShadowWidth() const { return FShadowWidth; }
  void SetShadowWidth(Extended v) { FShadowWidth = v; }
  TfrxFrameTypes Typ() const { return FTyp; }
  void SetTyp(TfrxFrameTypes v) { FTyp = v; }
  TfrxFrameLine* LeftLine() const { return FLeftLine.get(); }
  TfrxFrameLine* TopLine() const { return FTopLine.get(); }
  TfrxFrameLine* RightLine() const { return FRightLine.get(); }
  TfrxFrameLine* BottomLine() const { return FBottomLine.get(); }
  void SetLeftLine(TfrxFrameLine* v) { FLeftLine->Assign(v); }
  void SetTopLine(TfrxFrameLine* v) { FTopLine->Assign(v); }
  void SetRightLine(TfrxFrameLine* v) { FRightLine->Assign(v); }
  void SetBottomLine(TfrxFrameLine* v) { FBottomLine->Assign(v); }

 private:
  TColor FColor = 0;
  bool FDropShadow = false;
  TColor FShadowColor = 0;
  Extended FShadowWidth = 4;
  TfrxFrameStyle FStyle = fsSolid;
  TfrxFrameTypes FTyp;
  Extended FWidth = 1;
  std::unique_ptr<TfrxFrameLine> FLeftLine, FTopLine, FRightLine, FBottomLine;
};

// ---------------------------------------------------------------------------
// Options of a report.

enum TfrxSilentMode { simMessageBoxes, simSilent, simReThrow };
TOVANI_ENUM_INFO(TfrxSilentMode)

class TfrxEngineOptions : public TPersistent {
  TOVANI_CLASS(TfrxEngineOptions, TPersistent)
 public:
  TfrxEngineOptions();
  void Assign(TPersistent* Source) override;
  // ConvertNulls true and DoublePass false; nothing else.
  void Clear();

  bool ConvertNulls = true;
  bool DoublePass = false;
  Integer MaxMemSize = 10;
  bool PrintIfEmpty = true;
  TfrxSilentMode NewSilentMode = simMessageBoxes;
  String TempDir;
  bool UseFileCache = false;
  // Not published.
  bool DestroyForms = true;
  bool EnableThreadSafe = false;
  bool UseGlobalDataSetList = true;

  // True while errors are swallowed; setting true means simSilent, false simMessageBoxes.
  bool SilentMode() const { return NewSilentMode == simSilent; }
  void SetSilentMode(bool v) { NewSilentMode = v ? simSilent : simMessageBoxes; }
};

enum TfrxPreviewButton {
  pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbOutline, pbPageSetup, pbTools, pbEdit,
  pbNavigator, pbExportQuick, pbNoClose, pbNoFullScreen, pbNoEmail
};
TOVANI_ENUM_INFO(TfrxPreviewButton)
using TfrxPreviewButtons = TSet<TfrxPreviewButton>;
enum TfrxZoomMode { zmDefault, zmWholePage, zmPageWidth, zmManyPages };
TOVANI_ENUM_INFO(TfrxZoomMode)

constexpr TfrxPreviewButtons frxDefaultPreviewButtons{
    pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbOutline, pbPageSetup, pbTools, pbEdit,
    pbNavigator, pbExportQuick};

class TfrxPreviewOptions : public TPersistent {
  TOVANI_CLASS(TfrxPreviewOptions, TPersistent)
 public:
  TfrxPreviewOptions();
  void Assign(TPersistent* Source) override;
  // The outline, cache and thumbnail settings only.
  void Clear();

  bool AllowEdit = true;
  TfrxPreviewButtons Buttons = frxDefaultPreviewButtons;
  bool DoubleBuffered = true;
  bool Maximized = true;
  bool MDIChild = false;
  bool Modal = true;
  bool OutlineExpand = true;
  bool OutlineVisible = false;
  Integer OutlineWidth = 120;
  Integer PagesInCache = 50;
  bool ThumbnailVisible = false;
  bool ShowCaptions = false;
  Extended Zoom = 1;
  TfrxZoomMode ZoomMode = zmDefault;
  bool PictureCacheInFile = false;
  bool RTLPreview = false;   // not published
};

enum TfrxPrintMode { pmDefault, pmSplit, pmJoin, pmScale };
TOVANI_ENUM_INFO(TfrxPrintMode)
enum TfrxPrintPages { ppAll, ppOdd, ppEven };
TOVANI_ENUM_INFO(TfrxPrintPages)

class TfrxPrintOptions : public TPersistent {
  TOVANI_CLASS(TfrxPrintOptions, TPersistent)
 public:
  TfrxPrintOptions();
  void Assign(TPersistent* Source) override;
  void Clear();

  Integer Copies = 1;
  bool Collate = true;
  String PageNumbers;
  String Printer;
  TfrxPrintMode PrintMode = pmDefault;
  Integer PrintOnSheet = 0;
  TfrxPrintPages PrintPages = ppAll;
  bool Reverse = false;
  bool ShowDialog = true;
  Integer PagesOnSheet = 0;   // not published
};

// Asks the user for a report's password (the print-forms unit installs the
// password window here); true when confirmed, with the typed text.
using TfrxPasswordQuery = std::function<bool(String& Typed)>;
extern TfrxPasswordQuery frxPasswordQuery;

class TfrxReportOptions : public TPersistent {
  TOVANI_CLASS(TfrxReportOptions, TPersistent)
 public:
  TfrxReportOptions();
  ~TfrxReportOptions() override;
  void Assign(TPersistent* Source) override;
  void Clear();
  // Passes when there is no password or it was accepted before; otherwise
  // asks for it. A wrong or cancelled answer adds "Invalid password" to the
  // report's errors and reports them.
  bool CheckPassword();

  String Author;
  bool Compressed = false;
  String ConnectionName;
  TDateTime CreateDate = 0;
  TDateTime LastChange = 0;
  String InitString;
  String Name;
  String Password;
  String VersionBuild, VersionMajor, VersionMinor, VersionRelease;
  TStrings* Description() const;
  void SetDescription(TStrings* v);
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* v);

  TfrxReport* Report = nullptr;
  String PrevPassword;
  String HiddenPassword;   // used by crypters; nothing here sets it
  bool Info = false;

 private:
  std::unique_ptr<TStringList> FDescription;
  std::unique_ptr<TPicture> FPicture;
};

// ---------------------------------------------------------------------------
// Styles.

class TfrxStyleItem : public TCollectionItem {
  TOVANI_CLASS(TfrxStyleItem, TCollectionItem)
 public:
  explicit TfrxStyleItem(TCollection* ACollection = nullptr);
  ~TfrxStyleItem() override;
  void Assign(TPersistent* Source) override;

  const String& Name() const { return FName; }
  // Raises "Duplicate name" when another style of the sheet bears the name.
  void SetName(const String& Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* v);
  TfrxFrame* Frame() const { return FFrame.get(); }
  void SetFrame(TfrxFrame* v) { FFrame->Assign(v); }

 protected:
  String GetDisplayName() const override { return FName.empty() ? ClassName() : FName; }

 private:
  String FName;
  TColor FColor;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TfrxFrame> FFrame;
};

class TfrxStyles : public TCollection {
  TOVANI_CLASS(TfrxStyles, TCollection)
 public:
  explicit TfrxStyles(TfrxReport* AReport = nullptr);

  TfrxStyleItem* Add() { return static_cast<TfrxStyleItem*>(TCollection::Add()); }
  TfrxStyleItem* Items(Integer Index) const { return static_cast<TfrxStyleItem*>(TCollection::Items(Index)); }
  TfrxStyleItem* Find(const String& AName) const;
  void GetList(TStrings* List) const;
  // Gives every memo view of the report its style again (or none when the
  // sheet has no style of its style name).
  void Apply();
  void SaveToXMLItem(TfrxXMLItem* Item);
  void LoadFromXMLItem(TfrxXMLItem* Item, bool OldFormat = true);
  void SaveToStream(TStream* Stream);
  void SaveToFile(const String& FileName);
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const String& FileName);

  const String& Name() const { return FName; }
  void SetName(const String& v) { FName = v; }
  TfrxReport* Report() const { return FReport; }

 private:
  TfrxReport* FReport;
  String FName;
};

// ---------------------------------------------------------------------------
// The report as the objects of its tree see it: its options, style sheet,
// variables and error list, the serializer that is loading it, and the parent
// report an inherited report compares itself with.

class TfrxReport : public TfrxComponent {
  TOVANI_CLASS(TfrxReport, TfrxComponent)
 public:
  explicit TfrxReport(TComponent* AOwner = nullptr);
  ~TfrxReport() override;

  String GetTypeCaption() override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  TfrxEngineOptions* EngineOptions() const { return FEngineOptions.get(); }
  TfrxPreviewOptions* PreviewOptions() const { return FPreviewOptions.get(); }
  TfrxPrintOptions* PrintOptions() const { return FPrintOptions.get(); }
  TfrxReportOptions* ReportOptions() const { return FReportOptions.get(); }
  TfrxStyles* Styles() const { return FStyles.get(); }
  TfrxVariables* Variables() const { return FVariables.get(); }
  TStrings* Errors() const;

  TfrxXMLSerializer* XMLSerializer() const { return FXMLSerializer; }
  void SetXMLSerializer(TfrxXMLSerializer* v) { FXMLSerializer = v; }
  // The copy of the parent report of an inherited report (not owned).
  TfrxReport* ParentReportObject() const { return FParentReportObject; }
  void SetParentReportObject(TfrxReport* v) { FParentReportObject = v; }
  // Whether a form resource keeps the report's objects.
  bool StoreInDFM = true;

 private:
  std::unique_ptr<TfrxEngineOptions> FEngineOptions;
  std::unique_ptr<TfrxPreviewOptions> FPreviewOptions;
  std::unique_ptr<TfrxPrintOptions> FPrintOptions;
  std::unique_ptr<TfrxReportOptions> FReportOptions;
  std::unique_ptr<TfrxStyles> FStyles;
  std::unique_ptr<TfrxVariables> FVariables;
  std::unique_ptr<TStringList> FErrors;
  TfrxXMLSerializer* FXMLSerializer = nullptr;
  TfrxReport* FParentReportObject = nullptr;
};

// True when the object's class is, or descends from, the class of that name
// (lets the tree recognise kinds that live in other units: pages, bands,
// views, memo views).
bool frxIsKindOf(const TObject* Obj, const char* ClassName);
