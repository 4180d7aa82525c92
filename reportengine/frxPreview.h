// The on-screen preview of a prepared report: the page list that lays the
// pages out in centred rows at a zoom, the scrolling workspace that draws
// them with a frame around the current page and searches their texts, and
// the preview control with its zoom modes and page moves.
#pragma once
#include <memory>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "frxClass.h"
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

// The scrolling page area of the preview.
class TfrxPreviewWorkspace : public TCustomControl {
  TOVANI_CLASS(TfrxPreviewWorkspace, TCustomControl)
 public:
  explicit TfrxPreviewWorkspace(TComponent* AOwner = nullptr);
  ~TfrxPreviewWorkspace() override;

  // A page of Width x Height pixels at zoom 1, appended at the zoom.
  void AddPageSize(Integer Width, Integer Height);
  void ArrangePages(Integer Width);
  // Lays out for the workspace's own width.
  void ArrangeForClient();
  void ClearPages();
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
  // Scroll positions, clamped to the content.
  void SetHorzPosition(Integer v);
  void SetVertPosition(Integer v);
  Integer HorzPosition() const { return FOffset.X; }
  Integer VertPosition() const { return FOffset.Y; }
  TPoint ScrollRange() const { return FRange; }
  TfrxPageList* PageList() { return &FPageList; }
  TRect PageRectOnScreen(Integer Index);
  Integer ViewWidth();
  Integer ViewHeight();

  TColor ActiveFrameColor = TColor(8405024);
  TColor BackColor = TColor(8421504);
  TColor FrameColor = TColor(0);
  bool DisableUpdate = false;
  bool IsThumbnail = false;
  bool Locked = false;
  bool RTL = false;
  Integer LastFoundPage = 0;
  Integer PageNo = 1;
  Extended Zoom = 1;
  TfrxCustomPreviewPages* PreviewPages = nullptr;
  TfrxPreview* Preview = nullptr;
  // Fired when scrolling makes another page current (1-based).
  std::function<void(Integer PageNo)> OnPageScrolled;

 protected:
  void Paint() override;
  void Resize() override;
  void Dispatch(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;

 private:
  void PaintPage(TCanvas* Canvas, Integer Index, const TRect& R);
  void ScrollMessage(bool Vertical, Integer Code);
  TfrxPageList FPageList;
  TPoint FOffset{0, 0};
  TPoint FRange{0, 0};
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

// The preview control: the main workspace at a zoom or zoom mode, page moves
// by calls and keys, and the text search.
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
  void ClearPages();
  // Starts a search for Text (from the first page when FromTop, else from
  // the current page) and finds its first occurrence.
  void Find(const String& Text, bool CaseSensitive, bool FromTop);
  void FindNextText();
  void CancelBuild();
  // The keyboard of the preview (virtual key and Ctrl).
  void HandleKey(Word Key, bool Ctrl);
  bool Running() const { return FRunning; }
  TfrxPreviewWorkspace* Workspace() { return FWorkspace; }
  // The window the preview stands in; null on a form of its own.
  TfrxPreviewHost* Host() const { return FHost; }
  void SetHost(TfrxPreviewHost* v) { FHost = v; }

  TfrxPageChangedEvent OnPageChanged;

 protected:
  void Dispatch(TMessage& Message) override;
  void Resize() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void DoPageChanged();
  TfrxPreviewHost* FHost = nullptr;
  TfrxPreviewWorkspace* FWorkspace;
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

// The window a report shows its prepared pages in when it has no preview
// control of its own: the preview fills it; Escape cancels a running build
// and closes the window once the report is finished.
class TfrxPreviewForm : public TForm {
  TOVANI_CLASS(TfrxPreviewForm, TForm)
 public:
  explicit TfrxPreviewForm(TComponent* AOwner = nullptr);
  TfrxPreview* Preview() { return FPreview; }
  // Runs after the report has connected the preview to itself.
  void SetupForReport();
  void CancelBClick();

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  TfrxPreview* FPreview;
};

// Makes reports without a preview control show their pages in the window.
void frxRegisterPreviewWindow();
