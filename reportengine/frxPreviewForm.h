// The preview window: the window a report opens for its prepared pages when
// it has no preview control of its own. A flat toolbar with the preview's
// commands, a zoom box and a page field, a status bar with the page
// information and progress texts, and the preview filling the rest.
#pragma once
#include "Forms.h"
#include "frxPreview.h"

class TEdit;
class TfrxComboBox;
class TfrxTBPanel;
class TMenuItem;
class TPopupMenu;
class TSpeedButton;
class TStatusBar;
class TToolBar;
class TToolButton;

class TfrxPreviewForm : public TForm, public TfrxPreviewHost {
  TOVANI_CLASS(TfrxPreviewForm, TForm)
 public:
  explicit TfrxPreviewForm(TComponent* AOwner = nullptr);
  ~TfrxPreviewForm() override;
  TfrxPreview* Preview() { return FPreview; }

  // Runs after the report has connected the preview to itself and its
  // prepared pages: options, button visibility, export menu, caption and the
  // right-click menu.
  void SetupForReport();
  // Enables the commands by the build state and the page count.
  void UpdateControls() override;
  // The page information in the status bar and the page field.
  void UpdatePageInfo();
  // The zoom box shows the preview's zoom as a percentage.
  void UpdateZoomText();
  // The zoom box and the page field, after every layout of the preview.
  void UpdateZoom() override;
  // A progress text in status panel 1, or in panel 2 with Panel2.
  void SetStatusText(const String& Text, bool Panel2) override;
  // Caption of the cancel button (the text of "clCancel" while a build
  // runs, of "clClose" afterwards).
  void SetCancelCaption(const String& Caption) override;
  // The outline and thumbnail buttons follow the preview.
  void OutlineVisibleChanged(bool Visible) override;
  void ThumbnailVisibleChanged(bool Visible) override;
  // Borderless and maximised without toolbar and status bar, and back.
  void ToggleFullScreen();
  bool FullScreen() const { return FFullScreen; }
  // Sets when the window frees itself on closing (modeless windows).
  void SetFreeOnClose(bool v) { FFreeOnClose = v; }

  // Commands of the toolbar and the menus.
  void CancelBClick();
  void OpenBClick();
  void ZoomCBClick();
  void PageEClick();
  void ZoomPlusBClick();
  void ZoomMinusBClick();
  void CollapseAllClick();
  void ExpandAllClick();
  void ExportMenuClick(TObject* Sender);
  void PreviewDblClick();

  // The window's components, by the names the form resource gives them.
  TToolBar* ToolBar = nullptr;
  TToolButton *PrintB = nullptr, *OpenB = nullptr, *SaveB = nullptr, *ExportB = nullptr, *PdfB = nullptr,
              *EmailB = nullptr, *FindB = nullptr, *Sep1 = nullptr, *ZoomPlusB = nullptr, *ZoomMinusB = nullptr,
              *FullScreenBtn = nullptr, *Sep2 = nullptr, *OutlineB = nullptr, *ThumbB = nullptr,
              *PageSettingsB = nullptr, *DesignerB = nullptr, *Sep5 = nullptr, *FirstB = nullptr, *PriorB = nullptr,
              *NextB = nullptr, *LastB = nullptr;
  TfrxTBPanel *Sep3 = nullptr, *Sep4 = nullptr, *frTBPanel1 = nullptr;
  TfrxComboBox* ZoomCB = nullptr;
  TEdit* PageE = nullptr;
  TSpeedButton* CancelB = nullptr;
  TStatusBar* StatusBar = nullptr;
  TPopupMenu *RightMenu = nullptr, *HiddenMenu = nullptr, *ExportPopup = nullptr;
  TMenuItem *CollapseMI = nullptr, *ExpandMI = nullptr, *N1 = nullptr, *Showtemplate1 = nullptr;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  bool CloseQuery() override;
  void DoClose(TCloseAction& Action) override;
  void Resize() override;
  void Dispatch(TMessage& Message) override;

 private:
  TToolButton* AddButton(Integer ImageIndex, Integer CaptionId, Integer HintId);
  TToolButton* AddSeparator();
  void BuildRightMenu();
  void UpdateCaption();
  void SizeStatusPanels();
  bool HasDrillDown();
  void SetDrillDown(bool Expand);
  void StatusBarWindowProc(TMessage& Message);

  TfrxPreview* FPreview = nullptr;
  bool FFreeOnClose = false;
  bool FFullScreen = false;
  TFormBorderStyle FOldBorderStyle = bsSizeable;
  TWindowState FOldState = wsNormal;
  TObject* FPdfFilter = nullptr;
  TObject* FEmailFilter = nullptr;
  std::function<void(TMessage&)> FStatusBarProc;
};

// Makes reports without a preview control show their pages in the window.
void frxRegisterPreviewWindow();
