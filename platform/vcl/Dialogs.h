// Message boxes and input boxes with the program's Chinese button texts,
// and the common dialogs (open, save, font, colour, print) as components.
#pragma once
#include "VclWindows.h"
#include <memory>
#include "Classes.h"
#include "Controls.h"
#include "Strings.h"
#include "TypInfo.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
TOVANI_ENUM_INFO(TMsgDlgType)
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
TOVANI_ENUM_INFO(TMsgDlgBtn)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// MessageBoxW with the buttons captioned "确定", "取消", "是", "否", "中止",
// "重试", "忽略". Returns IDOK, IDCANCEL, ...
Integer ShowMessageBox(HWND Owner, const String& Text, const String& Caption, UINT Flags);
// An information box with the application's title.
void ShowMessage(const String& Msg);
// A box of the given kind ("警告", "错误", "信息", "确认" as caption) with
// the given buttons; returns the modal result of the button pressed.
Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx = 0);
// Asks for one line of text; false when cancelled (Value unchanged).
bool InputQuery(const String& ACaption, const String& APrompt, String& Value);
// The text typed, or ADefault when cancelled.
String InputBox(const String& ACaption, const String& APrompt, const String& ADefault);

// ---------------------------------------------------------------------------
// Common dialogs. Execute shows the dialog modally over the active form and
// answers whether the user confirmed it.

class TCommonDialog : public TComponent {
  TOVANI_CLASS(TCommonDialog, TComponent)
 public:
  explicit TCommonDialog(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  virtual bool Execute() = 0;
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer v) { FHelpContext = v; }
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  HWND OwnerWindow();
  Integer FHelpContext = 0;
};

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
  ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
  ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify,
  ofEnableSizing, ofDontAddToRecent, ofForceShowHidden
};
TOVANI_ENUM_INFO(TOpenOption)
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
  TOVANI_CLASS(TOpenDialog, TCommonDialog)
 public:
  explicit TOpenDialog(TComponent* AOwner = nullptr);
  ~TOpenDialog() override;
  bool Execute() override;
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& v) { FFileName = v; }
  // Every file chosen (several with ofAllowMultiSelect).
  TStrings* Files() { return FFiles.get(); }
  // "Description|*.ext|..." pairs.
  const String& Filter() const { return FFilter; }
  void SetFilter(const String& v) { FFilter = v; }
  Integer FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(Integer v) { FFilterIndex = v; }
  const String& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& v) { FInitialDir = v; }
  const String& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& v) { FDefaultExt = v; }
  const String& Title() const { return FTitle; }
  void SetTitle(const String& v) { FTitle = v; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions v) { FOptions = v; }

 protected:
  bool DoExecute(bool save);

 private:
  String FFileName, FFilter, FInitialDir, FDefaultExt, FTitle;
  Integer FFilterIndex = 1;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
  std::unique_ptr<TStringList> FFiles;
};

class TSaveDialog : public TOpenDialog {
  TOVANI_CLASS(TSaveDialog, TOpenDialog)
 public:
  explicit TSaveDialog(TComponent* AOwner = nullptr) : TOpenDialog(AOwner) {}
  bool Execute() override;
};

enum TFontDialogOption { fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel,
                         fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp,
                         fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton };
TOVANI_ENUM_INFO(TFontDialogOption)
using TFontDialogOptions = TSet<TFontDialogOption>;

class TFontDialog : public TCommonDialog {
  TOVANI_CLASS(TFontDialog, TCommonDialog)
 public:
  explicit TFontDialog(TComponent* AOwner = nullptr);
  ~TFontDialog() override;
  bool Execute() override;
  TFont* Font() { return FFont.get(); }
  void SetFont(TFont* v) { FFont->Assign(v); }
  TFontDialogOptions Options() const { return FOptions; }
  void SetOptions(TFontDialogOptions v) { FOptions = v; }
  Integer MinFontSize() const { return FMinFontSize; }
  void SetMinFontSize(Integer v) { FMinFontSize = v; }
  Integer MaxFontSize() const { return FMaxFontSize; }
  void SetMaxFontSize(Integer v) { FMaxFontSize = v; }

 private:
  std::unique_ptr<TFont> FFont;
  TFontDialogOptions FOptions{fdEffects};
  Integer FMinFontSize = 0, FMaxFontSize = 0;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
TOVANI_ENUM_INFO(TColorDialogOption)
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
  TOVANI_CLASS(TColorDialog, TCommonDialog)
 public:
  explicit TColorDialog(TComponent* AOwner = nullptr);
  ~TColorDialog() override;
  bool Execute() override;
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  // "ColorA=808022" lines, as the class library keeps them.
  TStrings* CustomColors() { return FCustomColors.get(); }
  void SetCustomColors(TStrings* v) { FCustomColors->Assign(v); }
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions v) { FOptions = v; }

 private:
  TColor FColor = clBlack;
  std::unique_ptr<TStringList> FCustomColors;
  TColorDialogOptions FOptions;
};

enum TPrintRange { prAllPages, prSelection, prPageNums };
TOVANI_ENUM_INFO(TPrintRange)
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
TOVANI_ENUM_INFO(TPrintDialogOption)
using TPrintDialogOptions = TSet<TPrintDialogOption>;

class TPrintDialog : public TCommonDialog {
  TOVANI_CLASS(TPrintDialog, TCommonDialog)
 public:
  explicit TPrintDialog(TComponent* AOwner = nullptr) : TCommonDialog(AOwner) {}
  // Shows the spooler's print dialog and selects the chosen printer in Printer().
  bool Execute() override;
  Integer Copies() const { return FCopies; }
  void SetCopies(Integer v) { FCopies = v; }
  bool Collate() const { return FCollate; }
  void SetCollate(bool v) { FCollate = v; }
  Integer FromPage() const { return FFromPage; }
  void SetFromPage(Integer v) { FFromPage = v; }
  Integer ToPage() const { return FToPage; }
  void SetToPage(Integer v) { FToPage = v; }
  Integer MinPage() const { return FMinPage; }
  void SetMinPage(Integer v) { FMinPage = v; }
  Integer MaxPage() const { return FMaxPage; }
  void SetMaxPage(Integer v) { FMaxPage = v; }
  TPrintRange PrintRange() const { return FPrintRange; }
  void SetPrintRange(TPrintRange v) { FPrintRange = v; }
  bool PrintToFile() const { return FPrintToFile; }
  void SetPrintToFile(bool v) { FPrintToFile = v; }
  TPrintDialogOptions Options() const { return FOptions; }
  void SetOptions(TPrintDialogOptions v) { FOptions = v; }

 private:
  Integer FCopies = 1, FFromPage = 0, FToPage = 0, FMinPage = 0, FMaxPage = 0;
  bool FCollate = false, FPrintToFile = false;
  TPrintRange FPrintRange = prAllPages;
  TPrintDialogOptions FOptions;
};

// The spooler's printer-setup dialog; the chosen printer and its settings
// become the program's printer.
class TPrinterSetupDialog : public TCommonDialog {
  TOVANI_CLASS(TPrinterSetupDialog, TCommonDialog)
 public:
  explicit TPrinterSetupDialog(TComponent* AOwner = nullptr) : TCommonDialog(AOwner) {}
  bool Execute() override;
};
