// The on-screen preview of a prepared report: the page list that lays the
// pages out in centred rows at a zoom, the scrolling workspace that draws
// them with a frame around the current page and searches their texts, and
// the preview control with its zoom modes and page moves.
#pragma once
#include <memory>
#include <vector>

#include "ComCtrls.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "frxClass.h"
#include "frxCtrls.h"
#include "frxCustomPreview.h"

// One page as laid out in a workspace (pixels at the workspace's zoom;
// offsets relative to the scrollable content).
struct TfrxPageItem {
  Integer Height = 0;
  Integer Width = 0;
  Integer OffsetLeft = 0;
  Integer OffsetTop = 0;
};

// The pages of one workspace in page order.
class TfrxPageList {
 public:
  void AppendPage(Integer Width, Integer Height, Extended Zoom);
  // Centred rows of pages for a layout width.
  void ArrangePages(Integer Width);
  // The page at content position (X, Y); with X = 0 the page whose top
  // (less a fifth of its height) is last at or above Y. -1 above the first.
  Integer PageAtPoint(Integer Y, Integer X) const;
  TRect PageRect(Integer Index, Integer ClientWidth, bool RTL, Extended Zoom) const;
  TPoint ContentSize() const;
  void Clear() {
    FItems.clear();
    FMaxWidth = 0;
  }
  Integer Count() const { return Integer(FItems.size()); }
  const TfrxPageItem& Items(Integer Index) const { return FItems[size_t(Index)]; }
  Integer MaxWidth() const { return FMaxWidth; }

 private:
  std::vector<TfrxPageItem> FItems;
  Integer FMaxWidth = 0;
};

// The text search over prepared pages; one per process, shared by every
// preview, so a search continues where the last one stopped.
struct TfrxSearchState {
  String Text;
  bool CaseSensitive = false;
  bool Found = false;
  TRect FoundRect;          // page pixels at zoom 1
  Integer RecordNo = 0;     // record counter of the metafile being searched
  Integer LastFoundRecord = -1;
};
TfrxSearchState& frxSearchState();

class TfrxPreview;

// The scrolling page area of the preview: pages in centred rows at a zoom,
// a frame around the current page, drag scrolling, hovers and clicks on
// report objects, and the text search. The preview owns two: the main one
// and a narrow strip of thumbnails.
class TfrxPreviewWorkspace : public TfrxScrollWin {
  TOVANI_CLASS(TfrxPreviewWorkspace, TfrxScrollWin)
 public:
  explicit TfrxPreviewWorkspace(TComponent* AOwner = nullptr);
  ~TfrxPreviewWorkspace() override;

  // A page of Width x Height pixels at zoom 1, appended at the zoom.
  void AddPageSize(Integer Width, Integer Height);
  void ArrangePages(Integer Width);
  // Lays out for the workspace's own width.
  void ArrangeForClient();
  void ClearPages();
  // Scroll ranges from the laid-out pages.
  void UpdateScrollBars();
  void ScrollToPage(Integer PageNo);
  void ScrollToPosition(Integer PageNo, Extended Position);
  // Finds the next occurrence of the search text from LastFoundPage on.
  void SearchNext();
  // Draws onto Canvas as the window shows it (ClientW x ClientH).
  void DrawPagesOn(TCanvas* Canvas, Integer ClientW, Integer ClientH, bool FramesOnly);
  void DrawPages(bool FramesOnly);
  // The 0-based page under a client point (-1 for none).
  Integer PageAtClientPoint(Integer X, Integer Y);
  TfrxPageList* PageList() { return &FPageList; }
  TRect PageRectOnScreen(Integer Index);
  // The page the metafile of the last search belongs to (-1 = none).
  void ForgetSearchPage() { FMetafilePage = -1; }

  TColor ActiveFrameColor = TColor(8405024);
  TColor BackColor = TColor(8421504);
  TColor FrameColor = TColor(0);
  TCursor DefaultCursor = crHandPoint;
  // Set while the workspace itself makes a page current, so it does not scroll.
  bool DisableUpdate = false;
  bool IsThumbnail = false;
  bool Locked = false;
  bool RTL = false;
  Integer LastFoundPage = 0;
  Integer PageNo = 1;
  Extended Zoom = 1;
  TfrxCustomPreviewPages* PreviewPages = nullptr;
  TfrxPreview* Preview = nullptr;

 protected:
  void Paint() override;
  void Resize() override;
  void OnHScrollChange() override;
  void OnVScrollChange() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DblClick() override;

 private:
  void PaintPage(TCanvas* Canvas, Integer Index, const TRect& R);
  TfrxCustomPreviewPages* Pages() const;
  // The content position of a client point, mirrored in right-to-left layout.
  TPoint ContentPoint(Integer X, Integer Y);
  void MakePageCurrent(Integer PageNo);
  TfrxPageList FPageList;
  // The scroll positions last applied to the window's contents.
  TPoint FOffset{0, 0};
  TPoint FLastPoint{0, 0};
  bool FMouseDown = false;
  DWORD FLastClick = 0;
  HENHMETAFILE FMetafile = nullptr;
  Integer FMetafilePage = -1;
};

using TfrxPageChangedEvent = std::function<void(TfrxPreview* Sender, Integer PageNo)>;

// What the preview tells the window it stands in (the preview window
// implements it; a preview placed on a form of its own has none).
class TfrxPreviewHost {
 public:
  virtual ~TfrxPreviewHost() = default;
  // A build started or ended, or the pages changed: enable the commands.
  virtual void UpdateControls() {}
  // The cancel button's text: "clCancel" while a build runs, "clClose" after.
  virtual void SetCancelCaption(const String& Caption) {}
  // The zoom or the layout changed: the zoom box and the page field.
  virtual void UpdateZoom() {}
  // The outline or the thumbnails were shown or hidden.
  virtual void OutlineVisibleChanged(bool Visible) {}
  virtual void ThumbnailVisibleChanged(bool Visible) {}
  // A status text (panel 1, or panel 2 with Second).
  virtual void SetStatusText(const String& Text, bool Second) {}
};

// The preview control: the main workspace at a zoom or zoom mode, an
// outline tree or a strip of thumbnails at its left, a message panel for
// long operations, page moves by calls, mouse and keys, the text search,
// and saving, loading and editing the prepared pages.
class TfrxPreview : public TfrxCustomPreview {
  TOVANI_CLASS(TfrxPreview, TfrxCustomPreview)
 public:
  explicit TfrxPreview(TComponent* AOwner = nullptr);
  ~TfrxPreview() override;

  void InitFromReport() override;
  void Lock() override;
  void Unlock() override;
  void RefreshReport() override;
  void ProgressStarted(TfrxReport* Report, TfrxProgressType ProgressType, Integer Progress) override;
  void ProgressAdvanced(TfrxReport* Report, TfrxProgressType ProgressType, Integer Progress) override;
  void ProgressStopped(TfrxReport* Report, TfrxProgressType ProgressType, Integer Progress) override;

  void SetPageNo(Integer Value);
  Integer PageNo() const { return FPageNo; }
  void GotoFirstPage() { SetPageNo(1); }
  void GotoNextPage() { SetPageNo(FPageNo + 1); }
  void GotoPriorPage() { SetPageNo(FPageNo - 1); }
  void GotoLastPage() { SetPageNo(GetPageCount()); }
  Integer GetPageCount();
  void ShowAtPosition(Integer PageN, Extended Position);
  void SetZoom(Extended Value);
  Extended Zoom() const { return FZoom; }
  void SetZoomMode(TfrxZoomMode Value);
  TfrxZoomMode ZoomMode() const { return FZoomMode; }
  void WheelScroll(Integer Delta, bool Horizontal, bool ZoomKey);
  void UpdatePages();
  void UpdateOutline();
  void ExpandOutline();
  void CollapseOutline();
  void OutlineClick();
  void ShowStatusMessage(const String& Text);
  void HideStatusMessage();

  // Commands; those that change or write the pages do nothing while a
  // build runs.
  void SavePreparedWithDialog();
  void SavePrepared(const String& FileName);
  void LoadPreparedWithDialog();
  void LoadPrepared(const String& FileName);
  void EditCurrentPage();
  void EditTemplate();
  void ClearPages();
  void InsertEmptyPage();
  void RemoveCurrentPage();
  // Starts a search for Text (from the first page when FromTop, else from
  // the current page) and finds its first occurrence.
  void Find(const String& Text, bool CaseSensitive, bool FromTop);
  void FindNextText();
  void CancelBuild();
  void CancelIfRunning();
  // The keyboard of the preview (virtual key and Ctrl).
  void HandleKey(Word Key, bool Ctrl);
  bool Running() const { return FRunning; }
  bool Locked() const { return FLocked; }

  // Commands that open the print, export, page-settings and find dialogs
  // (nothing happens while a build runs, except for the find dialog).
  // Prints the pages through the print dialog; false when nothing was printed.
  bool PrintPages();
  // Exports through the filter (a TfrxCustomExportFilter); false when it failed or was cancelled.
  bool ExportWith(TObject* Filter);
  // Edits the current page's paper and margins; for all pages the report is rebuilt.
  void ShowPageSettings();
  // Asks for a text and searches it from the first or the current page.
  void ShowFindDialog();

  TfrxPreviewWorkspace* Workspace() { return FWorkspace; }
  TfrxPreviewWorkspace* Thumbnail() { return FThumbnail; }
  TTreeView* Outline() { return FOutline; }
  TPopupMenu* OutlinePopup() { return FOutlinePopup; }
  TSplitter* Splitter() { return FSplitter; }
  TPanel* MessagePanel() { return FMessagePanel; }
  TLabel* MessageLabel() { return FMessageLabel; }
  TButton* CancelButton() { return FCancelB; }
  // The window the preview stands in; null on a form of its own.
  TfrxPreviewHost* Host() const { return FHost; }
  void SetHost(TfrxPreviewHost* v) { FHost = v; }

  // Published properties.
  TColor ActiveFrameColor() const { return FWorkspace->ActiveFrameColor; }
  void SetActiveFrameColor(TColor v);
  TColor BackColor() const { return FWorkspace->BackColor; }
  void SetBackColor(TColor v);
  TColor FrameColor() const { return FWorkspace->FrameColor; }
  void SetFrameColor(TColor v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  using TWinControl::BevelEdges;
  using TWinControl::SetBevelEdges;
  using TWinControl::BevelInner;
  using TWinControl::SetBevelInner;
  using TWinControl::BevelOuter;
  using TWinControl::SetBevelOuter;
  TColor OutlineColor() const { return FOutlineColor; }
  void SetOutlineColor(TColor v);
  bool OutlineVisible() const;
  void SetOutlineVisible(bool v);
  Integer OutlineWidth() const;
  void SetOutlineWidth(Integer v);
  bool ThumbnailVisible() const;
  void SetThumbnailVisible(bool v);
  bool UseReportHints = true;

  TfrxPageChangedEvent OnPageChanged;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Resize() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  friend class TfrxPreviewWorkspace;
  void DoPageChanged();
  // Set while the preview scrolls its workspaces to the page it chose, so
  // the scrolling does not pick another page.
  bool FScrollingToPage = false;
  // Runs Body between Lock and Unlock, unlocking also when it fails.
  template <class F> void WithLock(F&& Body);
  void AddOutlineLevel(TfrxCustomOutline* Outline, TTreeNode* Parent);
  void ApplyPanelLayout(bool OutlineShown, bool ThumbsShown);
  TfrxPreviewHost* FHost = nullptr;
  TfrxPreviewWorkspace* FWorkspace;
  TfrxPreviewWorkspace* FThumbnail;
  TTreeView* FOutline;
  TPopupMenu* FOutlinePopup;
  TSplitter* FSplitter;
  TPanel* FMessagePanel;
  TLabel* FMessageLabel;
  TButton* FCancelB;
  TBorderStyle FBorderStyle = bsSingle;
  TColor FOutlineColor = clWindow;
  Extended FZoom = 1;
  TfrxZoomMode FZoomMode = zmDefault;
  Integer FPageNo = 1;
  bool FAllowFindNext = false;
  bool FLocked = false;
  bool FRefreshing = false;
  bool FRunning = false;
  Integer FRefreshInterval = 5;
  DWORD FTick = 0;
};

// Makes reports without a preview control show their pages in the preview
// window (frxPreviewForm); declared here too for code that only knows the
// preview control.
void frxRegisterPreviewWindow();
