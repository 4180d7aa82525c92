// The report object model: the component tree every report object stands on
// (TfrxComponent and its three direct kinds), the frame of views and styles,
// the report's option objects and style sheet, and the part of TfrxReport
// that the tree, the serializer and the options rely on.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Forms.h"
#include "Graphics.h"
#include "Printers.h"
#include "frxGraphicUtils.h"
#include "Contnrs.h"
#include "TypInfo.h"
#include "Variant.h"

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
class TfrxDataSet;



// Report units are pixels of a 96-dpi screen.
constexpr Extended fr01cm = 3.77953;
constexpr Extended fr1cm = 37.7953;
constexpr Extended fr01in = 9.6;
constexpr Extended fr1in = 96;
constexpr Extended fr1CharX = 9.6;
constexpr Extended fr1CharY = 17;  // the character cell of dot-matrix pages

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
// object is stored in prepared pages; csDefaultDiff (value 4): prepared pages
// store the object in full (all its properties), as plain views are; the
// text, line, picture and shape objects clear it and store their own
// difference texts. The first bit is not used.
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
  // The dataset a name stands for in this object's report (the global list
  // of report datasets is searched); null for an empty name, Default when
  // the object has no report or nothing matches.
  TfrxDataSet* LookupDataSet(TfrxDataSet* Default, const String& AName);
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
// The same for a prompt that checks the answer itself (Accept) and can let
// the user correct a wrong one; used instead of frxPasswordQuery when set.
// A plain pointer, so the report engine can install it while the program starts.
using TfrxPasswordPrompt = bool (*)(String& Typed, const std::function<bool(const String&)>& Accept);
extern TfrxPasswordPrompt frxPasswordPrompt;

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
// Report datasets: named record sources with a cursor, fields and a record
// range. The report reads data only through them (the class library's
// datasets are bridged by TfrxDBDataset, frxDBSet.h).

class TfrxCustomPreview;
class TfrxCustomPreviewPages;
class TfrxCustomEngine;
class TfrxCustomOutline;
class TfrxExpressionCache;
class TfsScript;
class TfsCustomVariable;
class TfrxProgress;
class TTimer;
class TCustomIniFile;
class TForm;

using WideString = std::u16string;

enum TfrxRangeBegin { rbFirst, rbCurrent };
TOVANI_ENUM_INFO(TfrxRangeBegin)
enum TfrxRangeEnd { reLast, reCurrent, reCount };
TOVANI_ENUM_INFO(TfrxRangeEnd)
enum TfrxFieldType { fftNumeric, fftString, fftBoolean };
TOVANI_ENUM_INFO(TfrxFieldType)

using TfrxCheckEOFEvent = std::function<void(TObject* Sender, bool& Eof)>;
using TfrxGetValueEvent = std::function<void(const String& VarName, Variant& Value)>;
using TfrxNewGetValueEvent = std::function<void(TObject* Sender, const String& VarName, Variant& Value)>;

class TfrxDataSet : public TfrxDialogComponent {
  TOVANI_CLASS(TfrxDataSet, TfrxDialogComponent)
 public:
  explicit TfrxDataSet(TComponent* AOwner = nullptr);
  ~TfrxDataSet() override;

  virtual WideString GetDisplayText(const String& Index);
  virtual Integer GetDisplayWidth(const String& Index);
  virtual TfrxFieldType GetFieldType(const String& Index);
  virtual Variant GetValue(const String& Index);
  virtual void SetUserName(const String& Value);
  // Hooks called before and after every run.
  virtual void Initialize() {}
  virtual void Finalize() {}
  virtual void Open();
  virtual void Close();
  virtual void First();
  virtual void Next();
  virtual void Prior();
  virtual bool Eof();
  virtual Integer FieldsCount() { return 0; }
  virtual bool IsBlobField(const String&) { return false; }
  virtual Integer RecordCount();
  virtual void AssignBlobTo(const String&, TObject*) {}
  virtual void GetFieldList(TStrings* List);
  bool HasField(const String& FieldName);

  // A dataset whose user name follows its name keeps following it.
  void SetName(const String& Value) override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  TfrxRangeBegin RangeBegin() const { return FRangeBegin; }
  void SetRangeBegin(TfrxRangeBegin v) { FRangeBegin = v; }
  TfrxRangeEnd RangeEnd() const { return FRangeEnd; }
  void SetRangeEnd(TfrxRangeEnd v) { FRangeEnd = v; }
  Integer RangeEndCount() const { return FRangeEndCount; }
  void SetRangeEndCount(Integer v) { FRangeEndCount = v; }
  const String& UserName() const { return FUserName; }
  Integer RecNo() const { return FRecNo; }
  bool OpenDataSource() const { return FOpenDataSource; }
  void SetOpenDataSource(bool v) { FOpenDataSource = v; }
  // The report of the current run (its error list receives field errors).
  TfrxReport* ReportRef() const { return FReportRef; }
  void SetReportRef(TfrxReport* v) { FReportRef = v; }

  TfrxCheckEOFEvent OnCheckEOF;
  TNotifyEvent OnFirst, OnNext, OnPrior, OnOpen, OnClose;

 protected:
  // Adds Text, prefixed by the name of the object the engine works on, to
  // the error list of the run's report.
  void AddRunError(const String& Text);
  bool FEof = false;
  Integer FRecNo = 0;

 private:
  bool FEnabled = true;
  bool FOpenDataSource = true;
  TfrxRangeBegin FRangeBegin = rbFirst;
  TfrxRangeEnd FRangeEnd = reLast;
  Integer FRangeEndCount = 0;
  String FUserName;
  TfrxReport* FReportRef = nullptr;
};

// Fields named in Fields; values come from the events.
class TfrxUserDataSet : public TfrxDataSet {
  TOVANI_CLASS(TfrxUserDataSet, TfrxDataSet)
 public:
  explicit TfrxUserDataSet(TComponent* AOwner = nullptr);
  ~TfrxUserDataSet() override;
  WideString GetDisplayText(const String& Index) override;
  Variant GetValue(const String& Index) override;
  Integer FieldsCount() override;
  void GetFieldList(TStrings* List) override;

  TStrings* Fields() const;
  void SetFields(TStrings* Value);
  TfrxGetValueEvent OnGetValue;
  TfrxNewGetValueEvent OnNewGetValue;

 private:
  std::unique_ptr<TStringList> FFields;
};

// Datasets over a database: field aliases ("Field=Alias"; a field whose
// name begins with "-" is hidden) and the list of bound fields.
class TfrxCustomDBDataSet : public TfrxDataSet {
  TOVANI_CLASS(TfrxCustomDBDataSet, TfrxDataSet)
 public:
  explicit TfrxCustomDBDataSet(TComponent* AOwner = nullptr);
  ~TfrxCustomDBDataSet() override;
  Integer FieldsCount() override;
  // The field an alias stands for; the alias itself when no line names it.
  String AliasToFieldName(const String& Alias) const;

  bool CloseDataSource() const { return FCloseDataSource; }
  void SetCloseDataSource(bool v) { FCloseDataSource = v; }
  TStrings* FieldAliases() const;
  void SetFieldAliases(TStrings* Value);
  // Sorted visible aliases, each carrying the TField it resolves to (or none).
  TStringList* BoundFields() const { return FFields.get(); }

 private:
  bool FCloseDataSource = false;
  std::unique_ptr<TStringList> FAliases;
  std::unique_ptr<TStringList> FFields;
};

// The connection component of report datasets; no database kind of this
// program derives from it, so every operation is empty here.
class TfrxCustomDatabase : public TfrxDialogComponent {
  TOVANI_CLASS(TfrxCustomDatabase, TfrxDialogComponent)
 public:
  explicit TfrxCustomDatabase(TComponent* AOwner = nullptr) : TfrxDialogComponent(AOwner) {}
  virtual void SetConnected(bool) {}
  virtual void SetDatabaseName(const String&) {}
  virtual void SetLoginPrompt(bool) {}
  virtual void SetParams(TStrings*) {}
  virtual bool GetConnected() { return false; }
  virtual String GetDatabaseName() { return String(); }
  virtual bool GetLoginPrompt() { return false; }
  virtual bool InTransaction() { return false; }
  virtual WideString ToSQLDate(TDateTime) { return WideString(); }
  virtual void BeginTransaction() {}
  virtual void CommitTransaction() {}
};

class TfrxDataSetItem : public TCollectionItem {
  TOVANI_CLASS(TfrxDataSetItem, TCollectionItem)
 public:
  explicit TfrxDataSetItem(TCollection* ACollection = nullptr) : TCollectionItem(ACollection) {}
  TfrxDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TfrxDataSet* Value);
  // The dataset's user name while one is bound, else the stored text.
  String DataSetName() const;
  void SetDataSetName(const String& Value);
  void Assign(TPersistent* Source) override;

 private:
  TfrxDataSet* FDataSet = nullptr;
  String FDataSetName;
};

class TfrxReportDataSets : public TCollection {
  TOVANI_CLASS(TfrxReportDataSets, TCollection)
 public:
  explicit TfrxReportDataSets(TfrxReport* AReport = nullptr);
  TfrxDataSetItem* Add() { return static_cast<TfrxDataSetItem*>(TCollection::Add()); }
  void Add(TfrxDataSet* ds);
  TfrxDataSetItem* Items(Integer Index) const { return static_cast<TfrxDataSetItem*>(TCollection::Items(Index)); }
  TfrxDataSetItem* Find(TfrxDataSet* DataSet) const;
  TfrxDataSetItem* Find(const String& Name) const;
  void Delete(const String& Name);
  void InitializeAll();
  void FinalizeAll();
  TfrxReport* Report() const { return FReport; }

 private:
  TfrxReport* FReport;
};

// The process-wide list of every report dataset. Find: nil for an empty
// name; Default when there is no report; otherwise the first dataset of that
// user name not owned by another report, else Default.
TfrxDataSet* frxFindGlobalDataSet(TfrxReport* Report, const String& Name, TfrxDataSet* Default);
// A snapshot of the list, taken under its lock.
std::vector<TfrxDataSet*> frxGlobalDataSets();

// ---------------------------------------------------------------------------
// Engine, outline, prepared pages and preview: the report talks to them only
// through these contracts; the report engine library supplies them and
// installs its classes here when it starts.

enum TfrxProgressType { ptRunning, ptExporting, ptPrinting };
TOVANI_ENUM_INFO(TfrxProgressType)

class TfrxCustomEngine : public TPersistent {
  TOVANI_CLASS(TfrxCustomEngine, TPersistent)
 public:
  explicit TfrxCustomEngine(TfrxReport* AReport);
  ~TfrxCustomEngine() override;

  virtual void EndPage() = 0;
  virtual void NewColumn() = 0;
  virtual void NewPage() = 0;
  virtual void ShowBand(TfrxComponent* Band) = 0;
  virtual void ShowBandByClass(TClass BandClass) = 0;
  virtual Extended HeaderHeight() = 0;
  virtual Extended FooterHeight() = 0;
  virtual Extended FreeSpace() = 0;
  virtual Variant GetAggregateValue(const String& Name, const String& Expression, TfrxComponent* Band,
                                    Integer Flags) = 0;
  // True when the build ended normally.
  virtual bool Run() = 0;

  // Stops the build: sets the report's Terminated.
  void StopReport();
  bool DoublePass() const;

  TfrxReport* Report() const { return FReport; }
  TList* NotifyList() { return &FNotifyList; }
  TfrxCustomPreviewPages* PreviewPages() const { return FPreviewPages; }
  void SetPreviewPages(TfrxCustomPreviewPages* v) { FPreviewPages = v; }
  bool Running = false;
  // "Line" (within the band group) and "Line#" (running).
  Integer CurLine = 0;
  Integer CurLineThrough = 0;

  Integer CurColumn = 0;
  Integer CurVColumn = 0;
  Extended CurX = 0;
  Extended CurY = 0;
  bool FinalPass = false;
  Extended PageHeight = 0;
  Extended PageWidth = 0;
  TDateTime StartDate = 0;
  TDateTime StartTime = 0;
  Integer TotalPages = 0;
  bool SecondScriptCall = false;

 private:
  TfrxReport* FReport;
  TList FNotifyList;
  TfrxCustomPreviewPages* FPreviewPages = nullptr;
};

class TfrxCustomOutline : public TPersistent {
  TOVANI_CLASS(TfrxCustomOutline, TPersistent)
 public:
  explicit TfrxCustomOutline(TfrxCustomPreviewPages* APreviewPages) : FPreviewPages(APreviewPages) {}
  virtual Integer ItemCount() = 0;
  virtual void AddItem(const String& Text, Integer Top) = 0;
  virtual void EnterItem(Integer Index) = 0;
  virtual void LevelRoot() = 0;
  virtual void LevelUp() = 0;
  virtual void ReadItem(Integer Index, String& Text, Integer& Page, Integer& Top) = 0;
  // Moves the entry after From (with its sub-entries) to NewTop on the next page.
  virtual void ShiftFollowingItems(TObject* From, Integer NewTop) = 0;
  // The last child of the current item (null when none): a rollback mark.
  virtual TObject* CurrentMark() = 0;

  TfrxCustomPreviewPages* PreviewPages() const { return FPreviewPages; }
  // The engine that fills the outline's prepared pages.
  TfrxCustomEngine* Engine() const;

 private:
  TfrxCustomPreviewPages* FPreviewPages;
};

class TfrxCustomPreviewPages : public TObject {
  TOVANI_CLASS(TfrxCustomPreviewPages, TObject)
 public:
  explicit TfrxCustomPreviewPages(TfrxReport* AReport);
  ~TfrxCustomPreviewPages() override;

  virtual Integer GetPageCount() = 0;
  // The prepared page at Index as a page object.
  virtual TfrxComponent* GetPage(Integer Index) = 0;
  // Width and height of a page; zero outside the pages.
  virtual TfrxFloatRect GetPageSize(Integer Index) = 0;
  virtual void Clear() = 0;
  virtual void Initialize() = 0;
  virtual void AddObject(TfrxComponent* Obj) = 0;
  virtual void AddPage(TfrxComponent* Page) = 0;
  virtual void AddSourcePage(TfrxComponent* Page) = 0;
  virtual void AddToSourcePage(TfrxComponent* Obj) = 0;
  virtual void BeginPass() = 0;
  virtual void ClearFirstPassPages() = 0;
  virtual Integer CutObjects(Integer Position) = 0;
  virtual Integer Finish() = 0;
  virtual void IncLogicalPageNumber() = 0;
  virtual void ResetLogicalPageNumber() = 0;
  virtual void PasteObjects(Extended X, Extended Y) = 0;
  virtual void ShiftAnchors(Integer From, Integer NewTop) = 0;
  virtual void AddPicture(TfrxComponent* Picture) = 0;
  virtual bool BandExists(TfrxComponent* Band) = 0;
  virtual Integer PageObjectCount() = 0;
  virtual Integer LastAnchorIndex() = 0;
  virtual Extended GetLastY(Extended ColumnPosition) = 0;
  virtual Integer GetLogicalPageNo() = 0;
  virtual Integer GetLogicalTotalPages() = 0;
  virtual void AddEmptyPage(Integer Index) = 0;
  virtual void DeletePage(Integer Index) = 0;
  virtual void ModifyPage(Integer Index, TfrxComponent* Page) = 0;
  virtual void DrawPage(Integer Index, TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                        Extended OffsetY) = 0;
  // Hover and clicks of the preview over page Index at (X, Y) in the
  // preview's pixels; Button and Shift as the mouse message gave them.
  virtual void MouseOverObject(Integer PageIndex, Integer X, Integer Y, Integer Button, Integer Shift,
                               bool Click, bool DoubleClick, Extended Scale, Extended OffsetX,
                               Extended OffsetY) = 0;
  virtual void AddFrom(TfrxReport* Report) = 0;
  virtual void LoadFromStream(TStream* Stream, bool AllowPartialLoading = false) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual bool LoadFromFile(const String& FileName, bool ExceptionIfNotFound = false) = 0;
  virtual void SaveToFile(const String& FileName) = 0;
  virtual bool Print() = 0;
  virtual bool Export(TObject* Filter) = 0;

  // The anchors the script reaches through Engine.AddAnchor/GetAnchorPage.
  virtual void AddAnchor(const String&) {}
  // The 1-based page of an anchor; 1 when there is none.
  virtual Integer GetAnchorPage(const String&) { return 1; }

  TfrxReport* Report() const { return FReport; }
  TfrxCustomOutline* Outline() const { return FOutline.get(); }
  TfrxCustomEngine* Engine() const { return FEngine; }
  void SetEngine(TfrxCustomEngine* v) { FEngine = v; }
  Integer CurPage = 0;

 private:
  TfrxReport* FReport;
  std::unique_ptr<TfrxCustomOutline> FOutline;
  TfrxCustomEngine* FEngine = nullptr;
};

// The concrete classes, installed by the report engine library when it
// starts. A report made before they are installed has no engine: preparing
// it reports that in its error list.
using TfrxEngineFactory = TfrxCustomEngine* (*)(TfrxReport* Report);
using TfrxPreviewPagesFactory = TfrxCustomPreviewPages* (*)(TfrxReport* Report);
using TfrxOutlineFactory = TfrxCustomOutline* (*)(TfrxCustomPreviewPages* Pages);
// Makes the preview window of a report (owned by the application); the
// window's preview control shows the report's prepared pages.
struct TfrxPreviewWindow {
  TForm* Form = nullptr;
  TfrxCustomPreview* Preview = nullptr;
  // Runs the window's initialisation from the report once both are set.
  std::function<void()> Init;
  // Shows a status-bar text (hint panel or message panel).
  std::function<void(const String& Text, bool IsHint)> ShowMessage;
};
using TfrxPreviewWindowFactory = std::function<TfrxPreviewWindow(TfrxReport* Report)>;
// Makes the printer of that name the current one; the printer layer installs
// it (TfrxReport::SelectPrinter does nothing without it).
using TfrxSelectPrinterProc = void (*)(const String& PrinterName);
extern TfrxSelectPrinterProc frxSelectPrinterProc;
extern TfrxEngineFactory frxEngineClass;
extern TfrxPreviewPagesFactory frxPreviewPagesClass;
extern TfrxOutlineFactory frxOutlineClass;
extern TfrxPreviewWindowFactory frxPreviewWindowClass;

// ---------------------------------------------------------------------------
// The report document: the root of a template's tree and the owner of what
// a run needs (datasets, variables, styles, script, options, engine,
// prepared pages, error list).

using TfrxBeforePrintEvent = std::function<void(TfrxReportComponent* Sender)>;
using TfrxProgressEvent = std::function<void(TfrxReport* Sender, TfrxProgressType ProgressType, Integer Progress)>;
using TfrxUserFunctionEvent = std::function<Variant(const String& MethodName, Variant& Params)>;
using TfrxLoadTemplateEvent = std::function<void(TfrxReport* Report, const String& TemplateName)>;
using TfrxClickObjectEvent =
    std::function<void(TfrxComponent* Sender, Integer Button, Integer Shift, bool& Modified)>;
using TfrxMouseOverObjectEvent = std::function<void(TfrxComponent* Sender)>;
using TfrxManualBuildEvent = std::function<void(TfrxComponent* Page)>;
using TfrxPrintPageEvent = std::function<void(TfrxComponent* Page, Integer CopyNo)>;
using TfrxBeforeConnectEvent = std::function<void(TfrxCustomDatabase* Sender, bool& Connected)>;

class TfrxReport : public TfrxComponent {
  TOVANI_CLASS(TfrxReport, TfrxComponent)
 public:
  explicit TfrxReport(TComponent* AOwner = nullptr);
  ~TfrxReport() override;

  String GetTypeCaption() override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Empties the template and puts the report's settings back as after creation.
  void Clear() override;

  // Pages are the direct children.
  Integer PagesCount() { return Objects()->Count(); }
  TfrxComponent* Pages(Integer Index) { return static_cast<TfrxComponent*>(Objects()->Items(Index)); }

  // The dataset whose user name is Alias (case-insensitive); null when none.
  TfrxDataSet* GetDataset(const String& Alias) const;
  // Splits alias."field": the dataset and the field name; null and empty
  // when the text holds no such reference.
  void ResolveDataField(const String& Text, TfrxDataSet*& ADataSet, String& FieldName) const;
  // A new settings store for IniFile ("\Software\..." is a registry key of
  // the current user, anything else an INI file); owned by the caller.
  TCustomIniFile* GetIniFile() const;
  void SelectPrinter();

  // Builds the prepared report; true on success. Errors end in the error
  // list and are reported by the silent mode.
  bool PrepareReport(bool ClearLastReport = true);
  void ShowReport(bool ClearLastReport = true);
  void ShowPreparedPages();
  // Shows a text in the progress window or the preview's status bar.
  void ShowProgressMessage(const String& Text, bool IsHint = false);

  virtual void DoProgressStart(TfrxProgressType ProgressType);
  virtual void DoProgress(TfrxProgressType ProgressType, Integer Progress);
  virtual void DoProgressStop(TfrxProgressType ProgressType);

  // Designer hooks: no designer exists in this program.
  bool OpenDesigner() { return false; }
  bool EditPreparedPageInDesigner() { return false; }

  // Scripting and expressions.
  bool PrepareScript();
  // The value of an expression: plain references directly, anything else
  // through a generated function of the report script (compiled once per
  // distinct text and run). Raises on errors, which outside a running
  // script also go to the error list.
  Variant Calc(const String& Expr, TfsScript* AScript = nullptr);
  // The same, called by a running script: errors are worded for the script.
  Variant CalcInScript(const String& Expr);
  // Plain references: dataset fields, system variables, the value event,
  // report, global and script variables.
  bool ResolveValue(const String& Name, Variant& Value);
  void CallScriptNotifyEvent(TfrxComponent* Sender, const String& EventName, bool Force = false);
  void CallScriptEvent(const String& EventName, Variant& Params, bool Force = false);
  void FireBeforePrint(TfrxReportComponent* Obj);
  void FireAfterPrint(TfrxReportComponent* Obj);
  void FirePreviewClick(TfrxReportComponent* View, Integer Button, Integer Shift, bool& Modified,
                        bool IsDoubleClick);
  void SetScriptValue(const Variant& V);
  void SetScriptSelf(TObject* Obj);

  // Report files and streams.
  bool LoadFromFile(const String& FileName, bool MustExist = false);
  void SaveToFile(const String& FileName);
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream, bool SaveChildren = true, bool WriteDefaults = false,
                    bool UseAncestor = false) override;
  // The program's folder (with the final "\").
  String BaseFolder() const;

  // Published properties.
  String Version() const { return FVersion; }
  void SetVersion(const String&) { FVersion = "4.7.22"; }
  const String& ParentReport() const { return FParentReport; }
  void SetParentReport(const String& Value);
  TfrxDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TfrxDataSet* Value);
  String DataSetName() const;
  void SetDataSetName(const String& Value);
  bool DotMatrixReport = false;
  String IniFile = "\\Software\\Zoru Dududes";
  bool OldStyleProgress = false;
  TfrxCustomPreview* Preview() const { return FPreview; }
  void SetPreview(TfrxCustomPreview* Value);
  const String& ScriptLanguage() const { return FScriptLanguage; }
  void SetScriptLanguage(const String& v) { FScriptLanguage = v; }
  TStrings* ScriptText() const;
  void SetScriptText(TStrings* Value);
  bool ShowProgress = true;
  bool StoreInDFM = true;

  TfrxEngineOptions* EngineOptions() const { return FEngineOptions.get(); }
  void SetEngineOptions(TfrxEngineOptions* v) { FEngineOptions->Assign(v); }
  TfrxPreviewOptions* PreviewOptions() const { return FPreviewOptions.get(); }
  void SetPreviewOptions(TfrxPreviewOptions* v) { FPreviewOptions->Assign(v); }
  TfrxPrintOptions* PrintOptions() const { return FPrintOptions.get(); }
  void SetPrintOptions(TfrxPrintOptions* v) { FPrintOptions->Assign(v); }
  TfrxReportOptions* ReportOptions() const { return FReportOptions.get(); }
  void SetReportOptions(TfrxReportOptions* v) { FReportOptions->Assign(v); }

  // Owned parts.
  TfrxReportDataSets* DataSets() const { return FDataSets.get(); }
  TfrxStyles* Styles() const { return FStyles.get(); }
  void SetStyles(TfrxStyles* Value);
  TfrxVariables* Variables() const { return FVariables.get(); }
  // Sorted, without duplicates.
  TStrings* Errors() const;
  TfrxCustomEngine* Engine() const { return FEngine.get(); }
  TfrxCustomPreviewPages* PreviewPages() const { return FPreviewPages.get(); }
  TfsScript* Script() const { return FScript.get(); }
  TfrxExpressionCache* ExpressionCache() const { return FExpressionCache.get(); }
  TStrings* SysVariables() const;
  TStrings* DrillState() const;
  TForm* PreviewForm() const { return FPreviewForm; }
  TfrxProgress* ProgressWindow() const { return FProgress.get(); }
  TTimer* PrepareTimer() const { return FTimer.get(); }
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& v) { FFileName = v; }
  TStream* LoadStream() const { return FLoadStream; }

  // The name of the object the engine works on (prefixes error texts).
  String CurObject;
  bool Terminated() const { return FTerminated; }
  // Setting true also stops the running script.
  void SetTerminated(bool Value);
  bool Reloading() const { return FReloading; }
  bool Loading() const { return FLoading; }

  TfrxXMLSerializer* XMLSerializer() const { return FXMLSerializer; }
  void SetXMLSerializer(TfrxXMLSerializer* v) { FXMLSerializer = v; }
  // The copy of the parent report of an inherited report.
  TfrxReport* ParentReportObject() const { return FParentReportObject.get(); }

  // Class-library events.
  TfrxBeforePrintEvent OnAfterPrint, OnBeforePrint;
  TfrxBeforeConnectEvent OnBeforeConnect;
  TNotifyEvent OnBeginDoc, OnEndDoc, OnPreview, OnPrintReport, OnAfterPrintReport, OnClosePreview,
      OnAfterScriptCompile;
  TfrxClickObjectEvent OnClickObject, OnDblClickObject;
  TfrxGetValueEvent OnGetValue;
  TfrxManualBuildEvent OnManualBuild;
  TfrxMouseOverObjectEvent OnMouseOverObject;
  TfrxPrintPageEvent OnPrintPage;
  TfrxProgressEvent OnProgressStart, OnProgress, OnProgressStop;
  TfrxUserFunctionEvent OnUserFunction;
  TfrxLoadTemplateEvent OnLoadTemplate;
  // Script procedures the engine calls.
  String OnRunDialogs, OnStartReport, OnStopReport, OnReportPrint;

 private:
  void FillSysVariables();
  void OnTimer(TObject* Sender);
  // Script-side handlers of the report's own routines.
  Variant DoGetHandler(const String& Name);
  Variant DoAggregate(const String& Name, TfsCustomVariable* Caller, bool IsCount);
  void EnsureDataPage();
  void ReportErrors();

  String FVersion = "4.7.22";
  String FParentReport;
  TfrxDataSet* FDataSet = nullptr;
  String FDataSetName;
  TfrxCustomPreview* FPreview = nullptr;
  String FScriptLanguage = "PascalScript";
  std::unique_ptr<TStringList> FScriptText;
  std::unique_ptr<TfrxEngineOptions> FEngineOptions;
  std::unique_ptr<TfrxPreviewOptions> FPreviewOptions;
  std::unique_ptr<TfrxPrintOptions> FPrintOptions;
  std::unique_ptr<TfrxReportOptions> FReportOptions;
  std::unique_ptr<TfrxReportDataSets> FDataSets;
  std::unique_ptr<TfrxStyles> FStyles;
  std::unique_ptr<TfrxVariables> FVariables;
  std::unique_ptr<TStringList> FErrors;
  std::unique_ptr<TStringList> FSysVariables;
  std::unique_ptr<TStringList> FDrillState;
  std::unique_ptr<TfsScript> FScript;
  std::unique_ptr<TfrxExpressionCache> FExpressionCache;
  std::unique_ptr<TfrxCustomPreviewPages> FPreviewPages;
  std::unique_ptr<TfrxCustomEngine> FEngine;
  std::unique_ptr<TTimer> FTimer;
  std::unique_ptr<TfrxProgress> FProgress;
  std::unique_ptr<TfrxReport> FParentReportObject;
  TfsCustomVariable* FScriptValue = nullptr;
  TfsCustomVariable* FScriptSelf = nullptr;
  TForm* FPreviewForm = nullptr;
  std::function<void(const String&, bool)> FPreviewMessage;
  TfrxXMLSerializer* FXMLSerializer = nullptr;
  TStream* FLoadStream = nullptr;
  String FFileName;
  bool FTerminated = false;
  bool FReloading = false;
  bool FLoading = false;
  bool FDestroying = false;
};

// Compiles each distinct expression once into a function of its own script
// (whose parent is the report's), and evaluates it.
class TfrxExpressionCache : public TObject {
  TOVANI_CLASS(TfrxExpressionCache, TObject)
 public:
  explicit TfrxExpressionCache(TfsScript* AScript);
  ~TfrxExpressionCache() override;
  void Clear();
  // The value of Expr; Error receives the failure text (and the value is Null).
  Variant Calc(const String& Expr, String& Error, TfsScript* AScript);
  String ScriptLanguage;
  Integer Count() const;
  TfsScript* CacheScript() const { return FScript.get(); }

 private:
  std::unique_ptr<TStringList> FExpressions;
  std::unique_ptr<TfsScript> FScript;
  TfsScript* FMainScript;
};

// True when the object's class is, or descends from, the class of that name
// (lets the tree recognise kinds that live in other units: pages, bands,
// views, memo views).
bool frxIsKindOf(const TObject* Obj, const char* ClassName);

// ---------------------------------------------------------------------------
// Views: the visible objects of a page or band (text, line, picture, shape).

enum TfrxShiftMode { smDontShift, smAlways, smWhenOverlapped };
TOVANI_ENUM_INFO(TfrxShiftMode)
enum TfrxStretchMode { smDontStretch, smActualHeight, smMaxHeight };
TOVANI_ENUM_INFO(TfrxStretchMode)
enum TfrxShapeKind { skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond, skDiagonal1, skDiagonal2 };
TOVANI_ENUM_INFO(TfrxShapeKind)
enum TfrxFormatKind { fkText, fkNumeric, fkDateTime, fkBoolean };
TOVANI_ENUM_INFO(TfrxFormatKind)
enum TfrxDuplexMode { dmNone, dmVertical, dmHorizontal, dmSimplex };
TOVANI_ENUM_INFO(TfrxDuplexMode)

// The transparent colour: no fill, no frame colour (scripts: clTransparent).
constexpr TColor frxclNone = 0x1FFFFFFF;

class TfrxView : public TfrxReportComponent {
  TOVANI_CLASS(TfrxView, TfrxReportComponent)
 public:
  explicit TfrxView(TComponent* AOwner = nullptr);
  ~TfrxView() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  void BeforePrint() override;
  void GetData() override;
  void AfterPrint() override;
  String DifferenceText(TfrxComponent* ATemplate) override;
  // Stores the scales and offsets and computes the pixel rectangle.
  virtual void BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY);
  virtual void DrawBackground();
  virtual void DrawFrame();
  bool HasDataBinding() const { return FDataSet && !DataField.empty(); }
  // Text with every [expression] replaced by its value (the report's Calc).
  String ExpandBrackets(const String& Text);
  // Width 0 counts as 1; dashed pens thicker than a pixel are drawn this way.
  static void DrawThickLine(TCanvas* Canvas, Integer X, Integer Y, Integer X1, Integer Y1, Integer Width);

  TfrxAlign Align() const { return FAlign; }
  void SetAlign(TfrxAlign v) { FAlign = v; }
  TBrushStyle BrushStyle() const { return FBrushStyle; }
  void SetBrushStyle(TBrushStyle v) { FBrushStyle = v; }
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  Integer Cursor() const { return FCursor; }
  void SetCursor(Integer v) { FCursor = v; }
  TfrxDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TfrxDataSet* Value);
  String DataSetName() const;
  void SetDataSetName(const String& Value);
  TfrxFrame* Frame() const { return FFrame.get(); }
  void SetFrame(TfrxFrame* v) { FFrame->Assign(v); }
  bool Printable() const { return FPrintable; }
  void SetPrintable(bool v) { FPrintable = v; }
  TfrxShiftMode ShiftMode() const { return FShiftMode; }
  void SetShiftMode(TfrxShiftMode v) { FShiftMode = v; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& v) { FHint = v; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  const String& TagStr() const { return FTagStr; }
  void SetTagStr(const String& v) { FTagStr = v; }
  const String& URL() const { return FURL; }
  void SetURL(const String& v) { FURL = v; }
  String DataField;

  // Drawing state, valid from BeginDraw to the end of the same Draw.
  TCanvas* FCanvas = nullptr;
  Integer FX = 0, FY = 0, FX1 = 0, FY1 = 0, FDX = 0, FDY = 0, FFrameWidth = 0;
  Extended FScaleX = 1, FScaleY = 1, FOffsetX = 0, FOffsetY = 0;

 protected:
  TfrxDataSet* FDataSet = nullptr;

 private:
  void DrawFrameSide(Integer Side);
  TfrxAlign FAlign = baNone;
  TBrushStyle FBrushStyle = bsSolid;
  TColor FColor = frxclNone;
  Integer FCursor = 0;
  String FDataSetName;
  std::unique_ptr<TfrxFrame> FFrame;
  bool FPrintable = true;
  TfrxShiftMode FShiftMode = smAlways;
  String FTagStr, FSaveTag, FURL, FSaveURL, FHint;
  bool FShowHint = false;
};

// Views the engine may grow (CalcHeight) and split across pages (InitPart, NextPart).
class TfrxStretcheable : public TfrxView {
  TOVANI_CLASS(TfrxStretcheable, TfrxView)
 public:
  explicit TfrxStretcheable(TComponent* AOwner = nullptr) : TfrxView(AOwner) {}
  // The height the contents need; the base: Height.
  virtual Extended CalcHeight() { return Height(); }
  // Keeps what fits into Height of the part set aside and returns the height
  // left unused below it (Height: nothing fits); the base: 0.
  virtual Extended NextPart() { return 0; }
  virtual void InitPart() {}
  TfrxStretchMode StretchMode() const { return FStretchMode; }
  void SetStretchMode(TfrxStretchMode v) { FStretchMode = v; }

 private:
  TfrxStretchMode FStretchMode = smDontStretch;
};

class TfrxShapeView : public TfrxView {
  TOVANI_CLASS(TfrxShapeView, TfrxView)
 public:
  explicit TfrxShapeView(TComponent* AOwner = nullptr);
  void DesignCreate(TComponent* AOwner, Word Flags) override;
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  String DifferenceText(TfrxComponent* ATemplate) override;
  String GetTypeCaption() override;
  Integer Curve() const { return FCurve; }
  void SetCurve(Integer v) { FCurve = v; }
  TfrxShapeKind Shape() const { return FShape; }
  void SetShape(TfrxShapeKind v) { FShape = v; }

 private:
  void DrawShape();
  Integer FCurve = 0;
  TfrxShapeKind FShape = skRectangle;
};

// The conditional look of a text object.
class TfrxHighlight : public TPersistent {
  TOVANI_CLASS(TfrxHighlight, TPersistent)
 public:
  TfrxHighlight();
  ~TfrxHighlight() override;
  void Assign(TPersistent* Source) override;
  bool Active() const { return FActive; }
  void SetActive(bool v) { FActive = v; }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  const String& Condition() const { return FCondition; }
  void SetCondition(const String& v) { FCondition = v; }

 private:
  bool FActive = false;
  std::unique_ptr<TFont> FFont;
  TColor FColor = frxclNone;
  String FCondition;
};

// The display format of a text object.
class TfrxFormat : public TPersistent {
  TOVANI_CLASS(TfrxFormat, TPersistent)
 public:
  TfrxFormat() = default;
  void Assign(TPersistent* Source) override;
  String DecimalSeparator, ThousandSeparator, FormatStr;
  TfrxFormatKind Kind = fkText;
};

class TfrxWideStrings;

// The text object: a wide-text memo, with expressions or a dataset field,
// laid out by the text layout engine.
class TfrxCustomMemoView : public TfrxStretcheable {
  TOVANI_CLASS(TfrxCustomMemoView, TfrxStretcheable)
 public:
  explicit TfrxCustomMemoView(TComponent* AOwner = nullptr);
  ~TfrxCustomMemoView() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  String GetTypeCaption() override;
  String DifferenceText(TfrxComponent* ATemplate) override;
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  void BeforePrint() override;
  void GetData() override;
  void AfterPrint() override;
  String GetPlainText() override;
  void BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  Extended CalcHeight() override;
  Extended NextPart() override;
  void InitPart() override;
  virtual Extended CalcWidth();

  WideString EvaluateExpression(const WideString& Expr);
  WideString FormatValue(const Variant& Value, TfrxFormat* Format = nullptr);
  void ReplacePageMacros();
  void ClearLastValue() { FLastValue = Variant(String()); }

  // The memo lines as one text (joined by CR LF) and back.
  WideString Text() const;
  void SetText(const WideString& Value);
  // The same in UTF-8 (script and application access).
  String TextUtf8() const;
  void SetTextUtf8(const String& Value);
  // The text in the code page of the font's charset, and back.
  String AnsiText() const;
  void SetAnsiText(const String& Value);

  bool AllowExpressions = true;
  bool AllowHTMLTags = false;
  bool AutoWidth = false;
  Extended CharSpacing = 0;
  bool Clipped = true;
  String ExpressionDelimiters = "[,]";
  bool FirstParaBreak = false;
  bool LastParaBreak = false;
  Extended GapX = 2, GapY = 1;
  TfrxHAlign HAlign = haLeft;
  bool HideZeros = false;
  Extended LineSpacing = 2;
  Extended ParagraphGap = 0;
  bool RTLReading = false;
  bool SuppressRepeated = false;
  bool Underlines = false;
  TfrxVAlign VAlign = vaTop;
  Variant Value;
  bool WordBreak = false;
  bool WordWrap = true;
  bool Wysiwyg = true;
  // Set by the code that draws or prints prepared pages.
  Integer TotalPages = 0;
  Integer CopyNo = 0;
  Extended PrintScale = 1;
  // The device text rectangle of the last BeginDraw.
  TRect TextRect;

  TfrxFormat* DisplayFormat() const { return FFormat.get(); }
  void SetDisplayFormat(TfrxFormat* v) { FFormat->Assign(v); }
  TfrxHighlight* Highlight() const { return FHighlight.get(); }
  void SetHighlight(TfrxHighlight* v) { FHighlight->Assign(v); }
  TfrxWideStrings* Memo() const { return FMemo.get(); }
  void SetMemo(TfrxWideStrings* v);
  TfrxCustomMemoView* FlowTo() const { return FFlowTo; }
  void SetFlowTo(TfrxCustomMemoView* v);
  Integer Rotation() const { return FRotation; }
  void SetRotation(Integer v) { FRotation = ((v % 360) + 360) % 360; }
  const String& Style() const { return FStyle; }
  void SetStyle(const String& v);
  bool IsHighlightStored() const;
  // The part of the text set aside by a split.
  const WideString& PartMemo() const { return FPartMemo; }

 protected:
  // The layout engine of the memo's report, else the global one.
  TfrxDrawText* DrawText();
  void PrepareLayout(TfrxDrawText* DT, TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                     Extended OffsetY);
  Extended HorizontalAllowance() const;
  Extended VerticalAllowance() const;

 private:
  void ExpandExpressions();
  void DrawUnderlines();
  std::unique_ptr<TfrxFormat> FFormat;
  std::unique_ptr<TfrxHighlight> FHighlight;
  std::unique_ptr<TfrxWideStrings> FMemo;
  TfrxCustomMemoView* FFlowTo = nullptr;
  Integer FRotation = 0;
  String FStyle;
  WideString FPartMemo, FSavedText;
  Variant FLastValue;
};

class TfrxMemoView : public TfrxCustomMemoView {
  TOVANI_CLASS(TfrxMemoView, TfrxCustomMemoView)
 public:
  explicit TfrxMemoView(TComponent* AOwner = nullptr) : TfrxCustomMemoView(AOwner) {}
};

// A text object for system texts (page numbers, dates) with a smaller published set.
class TfrxSysMemoView : public TfrxCustomMemoView {
  TOVANI_CLASS(TfrxSysMemoView, TfrxCustomMemoView)
 public:
  explicit TfrxSysMemoView(TComponent* AOwner = nullptr) : TfrxCustomMemoView(AOwner) {}
  String GetTypeCaption() override;
};

class TfrxCustomLineView : public TfrxStretcheable {
  TOVANI_CLASS(TfrxCustomLineView, TfrxStretcheable)
 public:
  explicit TfrxCustomLineView(TComponent* AOwner = nullptr);
  void DesignCreate(TComponent* AOwner, Word Flags) override;
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  bool Diagonal = false;
  bool ArrowEnd = false;
  Integer ArrowLength = 20;
  bool ArrowSolid = false;
  bool ArrowStart = false;
  Integer ArrowWidth = 5;
  // The arrow head drawn towards the tip (X2, Y2) from (X1, Y1).
  void PaintArrowHead(TPoint P1, TPoint P2);
  // The two base corners of an arrow head (device pixels, for tests).
  void ArrowCorners(TPoint P1, TPoint P2, TPoint& C1, TPoint& C2) const;

 private:
  void PaintDiagonal();
};

class TfrxLineView : public TfrxCustomLineView {
  TOVANI_CLASS(TfrxLineView, TfrxCustomLineView)
 public:
  explicit TfrxLineView(TComponent* AOwner = nullptr) : TfrxCustomLineView(AOwner) {}
  String GetTypeCaption() override;
};

class TfrxPictureView : public TfrxView {
  TOVANI_CLASS(TfrxPictureView, TfrxView)
 public:
  explicit TfrxPictureView(TComponent* AOwner = nullptr);
  ~TfrxPictureView() override;
  String GetTypeCaption() override;
  String DifferenceText(TfrxComponent* ATemplate) override;
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  void GetData() override;
  // Reads a picture of any known kind (recognised by its first bytes, after
  // an optional 8-byte field header); 0, or E_INVALIDARG when the data is no
  // known picture (the picture is then cleared).
  Integer LoadPictureFromStream(TStream* Stream, bool ResetStreamPos = true);
  void LoadFromFile(const String& FileName);

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value);
  bool Center = false;
  String FileLink;
  Integer ImageIndex = 0;
  bool IsImageIndexStored = false;
  bool IsPictureStored = true;
  bool KeepAspectRatio = true;
  bool Stretched = true;
  bool HightQuality = false;
  // Set when the picture changed since it last reached the prepared pages' picture cache.
  bool PictureChanged = false;

 private:
  void PictureChangedHandler(TObject* Sender);
  bool FAutoSize = false;
  std::unique_ptr<TPicture> FPicture;
};

// ---------------------------------------------------------------------------
// Bands

class TfrxChild;

class TfrxBand : public TfrxReportComponent {
  TOVANI_CLASS(TfrxBand, TfrxReportComponent)
 public:
  explicit TfrxBand(TComponent* AOwner = nullptr);
  ~TfrxBand() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
  String GetTypeCaption() override;
  // Dot-matrix pages snap bands to their character grid.
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  void SetHeight(Extended Value) override;
  // The band's index in the fixed table of band kinds (0 when none).
  Integer KindIndex() const;
  static TClass KindClass(Integer Index);

  TfrxChild* Child() const { return FChild; }
  // Refuses a chain of children that comes back to this band.
  void SetChild(TfrxChild* Value);
  bool AllowSplit = false;
  bool KeepChild = false;
  String OnAfterCalcHeight;
  String OutlineText;
  bool Overflow = false;
  bool StartNewPage = false;
  bool Stretched = false;
  bool PrintChildIfInvisible = false;
  bool Vertical = false;
  bool ReprintOnNewPage = false;
  bool PrintOnFirstPage = false;
  bool PrintOnLastPage = false;
  bool PrintOnTop = false;

  // Maintained by the engine during a run.
  TList* SubBands() { return &FSubBands; }
  TfrxBand* FHeader = nullptr;
  TfrxBand* FFooter = nullptr;
  TfrxBand* FGroup = nullptr;
  Integer FLineN = 0;
  Integer FLineThrough = 0;
  Integer FOriginalObjectsCount = -1;
  bool FHasVBands = false;
  TList* WorkObjects() { return &FWorkObjects; }
  Extended FStretchedHeight = 0;

 private:
  TfrxChild* FChild = nullptr;
  TList FSubBands;
  TList FWorkObjects;
};

class TfrxReportTitle : public TfrxBand {
  TOVANI_CLASS(TfrxReportTitle, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxReportSummary : public TfrxBand {
  TOVANI_CLASS(TfrxReportSummary, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxChild : public TfrxBand {
  TOVANI_CLASS(TfrxChild, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxHeader : public TfrxBand {
  TOVANI_CLASS(TfrxHeader, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxFooter : public TfrxBand {
  TOVANI_CLASS(TfrxFooter, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxPageHeader : public TfrxBand {
  TOVANI_CLASS(TfrxPageHeader, TfrxBand)
 public:
  explicit TfrxPageHeader(TComponent* AOwner = nullptr) : TfrxBand(AOwner) { PrintOnFirstPage = true; }
};
class TfrxPageFooter : public TfrxBand {
  TOVANI_CLASS(TfrxPageFooter, TfrxBand)
 public:
  explicit TfrxPageFooter(TComponent* AOwner = nullptr) : TfrxBand(AOwner) {
    PrintOnFirstPage = true;
    PrintOnLastPage = true;
  }
};
class TfrxColumnHeader : public TfrxBand {
  TOVANI_CLASS(TfrxColumnHeader, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxColumnFooter : public TfrxBand {
  TOVANI_CLASS(TfrxColumnFooter, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxNullBand : public TfrxBand {
  TOVANI_CLASS(TfrxNullBand, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};
class TfrxOverlay : public TfrxBand {
  TOVANI_CLASS(TfrxOverlay, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
};

class TfrxGroupHeader : public TfrxBand {
  TOVANI_CLASS(TfrxGroupHeader, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
  String DifferenceText(TfrxComponent* ATemplate) override;
  String Condition;
  bool DrillDown = false;
  bool ExpandDrillDown = false;
  bool KeepTogether = false;
  bool ResetPageNumbers = false;
  bool ShowFooterIfDrillDown = false;
  // The last value of Condition (set by the engine).
  Variant LastValue;
};

class TfrxGroupFooter : public TfrxBand {
  TOVANI_CLASS(TfrxGroupFooter, TfrxBand)
 public:
  using TfrxBand::TfrxBand;
  bool HideIfSingleDataRecord = false;
};

// The band printed once per record of its dataset (or RowCount times).
class TfrxDataBand : public TfrxBand {
  TOVANI_CLASS(TfrxDataBand, TfrxBand)
 public:
  explicit TfrxDataBand(TComponent* AOwner = nullptr);
  ~TfrxDataBand() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  String GetTypeCaption() override;
  // Column beyond Columns becomes 1; Left follows the column.
  void SetCurrentColumn(Integer Value);
  Integer CurrentColumn() const { return FCurColumn; }

  Extended ColumnGap = 0, ColumnWidth = 0;
  Integer Columns = 0;
  TfrxDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TfrxDataSet* Value);
  String DataSetName() const;
  void SetDataSetName(const String& Value);
  bool FooterAfterEach = false, KeepFooter = false, KeepHeader = false, KeepTogether = false,
       PrintIfDetailEmpty = false;
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer Value);
  String OnMasterDetail;
  // The band's own rows when it has no dataset.
  TfrxUserDataSet* VirtualDataSet() const { return FVirtualDataSet.get(); }
  // Per-column counters of multi-column printing.
  Integer FMaxY = 0, FLinesInColumn = 0, FColumnLine = 0;

 private:
  TfrxDataSet* FDataSet = nullptr;
  String FDataSetName;
  Integer FRowCount = 0;
  Integer FCurColumn = 1;
  std::unique_ptr<TfrxUserDataSet> FVirtualDataSet;
};

class TfrxMasterData : public TfrxDataBand {
  TOVANI_CLASS(TfrxMasterData, TfrxDataBand)
 public:
  using TfrxDataBand::TfrxDataBand;
};
class TfrxDetailData : public TfrxDataBand {
  TOVANI_CLASS(TfrxDetailData, TfrxDataBand)
 public:
  using TfrxDataBand::TfrxDataBand;
};
class TfrxSubdetailData : public TfrxDataBand {
  TOVANI_CLASS(TfrxSubdetailData, TfrxDataBand)
 public:
  using TfrxDataBand::TfrxDataBand;
};
class TfrxDataBand4 : public TfrxDataBand {
  TOVANI_CLASS(TfrxDataBand4, TfrxDataBand)
 public:
  using TfrxDataBand::TfrxDataBand;
};
class TfrxDataBand5 : public TfrxDataBand {
  TOVANI_CLASS(TfrxDataBand5, TfrxDataBand)
 public:
  using TfrxDataBand::TfrxDataBand;
};
class TfrxDataBand6 : public TfrxDataBand {
  TOVANI_CLASS(TfrxDataBand6, TfrxDataBand)
 public:
  using TfrxDataBand::TfrxDataBand;
};

class TfrxReportPage;

// Prints another report page in its place.
class TfrxSubreport : public TfrxView {
  TOVANI_CLASS(TfrxSubreport, TfrxView)
 public:
  explicit TfrxSubreport(TComponent* AOwner = nullptr);
  ~TfrxSubreport() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) override;
  String GetTypeCaption() override;
  TfrxReportPage* Page() const { return FPage; }
  void SetPage(TfrxReportPage* Value);
  bool PrintOnParent = false;

 private:
  TfrxReportPage* FPage = nullptr;
};

// ---------------------------------------------------------------------------
// Pages

class TfrxPage : public TfrxComponent {
  TOVANI_CLASS(TfrxPage, TfrxComponent)
 public:
  explicit TfrxPage(TComponent* AOwner = nullptr) : TfrxComponent(AOwner) {}
};

// The standard papers by the printer's paper code (codes 48 and 49 are
// absent; 256 means a custom size given explicitly), in code order.
struct TPaperInfo {
  Integer Code, Width, Height;  // tenths of a millimetre, portrait sense
};
constexpr Integer frxPaperTableCount = 66;
extern const TPaperInfo frxPaperTable[frxPaperTableCount];
// Paper sizes by the printer's paper code, in millimetres (portrait sense);
// false for a code not in the table (256 is a custom size).
bool frxLookupPaperSize(Integer PaperSize, Extended& Width, Extended& Height);
// The current printer's paper, asked by new pages for their defaults. The
// printer layer installs its own; without one a page is A4 portrait.
struct TfrxPrinterPaper {
  Integer PaperSize = 9;
  Extended PaperWidth = 210, PaperHeight = 297;
  TPrinterOrientation Orientation = poPortrait;
};
extern std::function<TfrxPrinterPaper()> frxCurrentPrinterPaper;

class TfrxReportPage : public TfrxPage {
  TOVANI_CLASS(TfrxReportPage, TfrxPage)
 public:
  explicit TfrxReportPage(TComponent* AOwner = nullptr);
  ~TfrxReportPage() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  String GetTypeCaption() override;
  void AlignChildren() override;

  virtual void SetPaperHeight(Extended Value);
  virtual void SetPaperWidth(Extended Value);
  virtual void SetPaperSize(Integer Value);
  // Margins 10 mm; paper and orientation of the current printer.
  virtual void ResetToPrinterDefaults();
  void SetOrientation(TPrinterOrientation Value);
  void SetColumns(Integer Value);
  void SetPageCount(Integer Value) {
    if (Value >= 1) FPageCount = Value;
  }
  // Width and Height from the paper size.
  void UpdatePageSize();
  // The first child of that class (or descending from it); null when none.
  TfrxComponent* FirstBandOfClass(TClass BandClass);
  bool IsSubreportPage() const { return FSubReport != nullptr; }
  // The background (colour, frame, picture) over the printable area.
  void DrawBackground(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY);

  Extended PaperHeight() const { return FPaperHeight; }
  Extended PaperWidth() const { return FPaperWidth; }
  Integer PaperSize() const { return FPaperSize; }
  TPrinterOrientation Orientation() const { return FOrientation; }
  Integer Columns() const { return FColumns; }
  Integer PageCount() const { return FPageCount; }
  TStrings* ColumnPositions() const;
  void SetColumnPositions(TStrings* v);
  TStrings* HGuides() const;
  void SetHGuides(TStrings* v);
  TStrings* VGuides() const;
  void SetVGuides(TStrings* v);
  TColor Color() const;
  void SetColor(TColor v);
  TfrxFrame* Frame() const;
  void SetFrame(TfrxFrame* v);
  TPicture* BackPicture() const;
  void SetBackPicture(TPicture* v);
  TfrxPictureView* BackgroundView() const { return FBackPicture.get(); }
  TfrxDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TfrxDataSet* Value);
  String DataSetName() const;
  void SetDataSetName(const String& Value);
  TfrxSubreport* SubReport() const { return FSubReport; }
  void SetSubReport(TfrxSubreport* v) { FSubReport = v; }
  TList* Bands() { return &FBands; }
  TList* VBands() { return &FVBands; }
  // Paper width and height in millimetres without touching PaperSize
  // (pages that snap their paper to a grid).
  void StorePaperDimensions(Extended Width, Extended Height) {
    FPaperWidth = Width;
    FPaperHeight = Height;
    UpdatePageSize();
  }

  Integer Bin = 7, BinOtherPages = 7;  // automatic paper source
  Extended LeftMargin = 10, RightMargin = 10, TopMargin = 10, BottomMargin = 10;
  Extended ColumnWidth = 0;
  TfrxDuplexMode Duplex = dmNone;
  bool EndlessHeight = false, EndlessWidth = false, LargeDesignHeight = false, MirrorMargins = false;
  String OutlineText;
  bool PrintIfEmpty = true, PrintOnPreviousPage = false, ResetPageNumbers = false, TitleBeforeHeader = true;
  bool BackPictureVisible = true, BackPicturePrintable = true;
  String OnAfterPrint, OnBeforePrint, OnManualBuild;

 private:
  std::unique_ptr<TfrxPictureView> FBackPicture;
  std::unique_ptr<TStringList> FColumnPositions, FHGuides, FVGuides;
  TfrxDataSet* FDataSet = nullptr;
  String FDataSetName;
  TPrinterOrientation FOrientation = poPortrait;
  Extended FPaperWidth = 0, FPaperHeight = 0;
  Integer FPaperSize = 0;
  Integer FColumns = 0;
  Integer FPageCount = 1;
  TfrxSubreport* FSubReport = nullptr;
  TList FBands, FVBands;
};

// The hidden page that holds the report's data components.
class TfrxDataPage : public TfrxPage {
  TOVANI_CLASS(TfrxDataPage, TfrxPage)
 public:
  explicit TfrxDataPage(TComponent* AOwner = nullptr);
  String GetTypeCaption() override;
};

class TfrxDialogForm;

// A report page that is a window shown before or during a run.
class TfrxDialogPage : public TfrxPage {
  TOVANI_CLASS(TfrxDialogPage, TfrxPage)
 public:
  explicit TfrxDialogPage(TComponent* AOwner = nullptr);
  ~TfrxDialogPage() override;
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  void SetWidth(Extended Value) override;
  void SetHeight(Extended Value) override;
  String GetTypeCaption() override;
  TWinControl* ChildControlParent() override;
  Integer ShowModal();

  TFormBorderStyle BorderStyle = bsSizeable;
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  Integer ModalResult() const;
  void SetModalResult(Integer Value);
  TPosition Position = poScreenCenter;
  TWindowState WindowState = wsNormal;
  String OnActivate, OnClick, OnDeactivate, OnHide, OnKeyDown, OnKeyPress, OnKeyUp, OnResize, OnShow,
      OnCloseQuery;
  TfrxDialogForm* DialogForm() const { return FForm; }
  // Routes the window's events to the page's script procedures (done by
  // every ShowModal).
  void ConnectForm();

 protected:
  void FontChanged(TObject* Sender) override;

 private:
  String FCaption;
  TColor FColor = clBtnFace;
  bool FForce = false;
  TfrxDialogForm* FForm = nullptr;
};

// The window of a dialog page: a form whose controls are the page's dialog
// controls. It tells when the user has finished moving or sizing it.
class TfrxDialogForm : public TForm {
  TOVANI_CLASS(TfrxDialogForm, TForm)
 public:
  explicit TfrxDialogForm(TfrxDialogPage* APage);
  TfrxDialogPage* Page() const { return FPage; }
  bool ThreadSafe() const { return FThreadSafe; }
  TNotifyEvent OnMoveSizeEnd;
  // Mouse moves anywhere over the form and its controls.
  std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)> OnAnyMouseMove;

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  TfrxDialogPage* FPage;
  bool FThreadSafe = false;
};
