#include "ComCtrls.h"
#include <algorithm>
#include <cmath>
#include "ActnList.h"
#include "DateUtils.h"
#include "Forms.h"
#include "Menus.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS_FACTORY(TStatusPanel, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TStatusPanels, TCollection)
TOVANI_IMPLEMENT_CLASS_FACTORY(TStatusBar, TWinControl)
TOVANI_IMPLEMENT_CLASS(TCustomTabControl, TWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TTabControl, TCustomTabControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TTabSheet, TWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPageControl, TCustomTabControl)
TOVANI_IMPLEMENT_CLASS(TToolButtonActionLink, TControlActionLink)
TOVANI_IMPLEMENT_CLASS_FACTORY(TToolButton, TGraphicControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TToolBar, TCustomControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDateTimePicker, TWinControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMonthCalendar, TWinControl)

TOVANI_IMPLEMENT_ENUM_INFO(TStatusPanelStyle, "psText", "psOwnerDraw")
TOVANI_IMPLEMENT_ENUM_INFO(TStatusPanelBevel, "pbNone", "pbLowered", "pbRaised")
TOVANI_IMPLEMENT_ENUM_INFO(TTabPosition, "tpTop", "tpBottom", "tpLeft", "tpRight")
TOVANI_IMPLEMENT_ENUM_INFO(TTabStyle, "tsTabs", "tsButtons", "tsFlatButtons")
TOVANI_IMPLEMENT_ENUM_INFO(TToolButtonStyle, "tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider")
TOVANI_IMPLEMENT_ENUM_INFO(TEdgeBorder, "ebLeft", "ebTop", "ebRight", "ebBottom")
TOVANI_IMPLEMENT_ENUM_INFO(TDateTimeKind, "dtkDate", "dtkTime")
TOVANI_IMPLEMENT_ENUM_INFO(TDTDateFormat, "dfShort", "dfLong")
TOVANI_IMPLEMENT_ENUM_INFO(TDTDateMode, "dmComboBox", "dmUpDown")

TOVANI_PUBLISHED(TStatusPanel) {
  Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment).Default(taLeftJustify);
  Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel).Default(pbLowered);
  Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle).Default(psText);
  Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
  Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
}

TOVANI_PUBLISHED(TStatusBar) {
  Property("AutoHint", &TStatusBar::AutoHint, &TStatusBar::SetAutoHint).Default(false);
  Property("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels);
  Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false);
  Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
  Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip).Default(true);
  Property("OnDrawPanel", &TStatusBar::OnDrawPanel);
  Property("OnHint", &TStatusBar::OnHint);
}

TOVANI_PUBLISHED(TCustomTabControl) {
  Property("HotTrack", &TCustomTabControl::HotTrack, &TCustomTabControl::SetHotTrack).Default(false);
  Property("Images", &TCustomTabControl::Images, &TCustomTabControl::SetImages);
  Property("MultiLine", &TCustomTabControl::MultiLine, &TCustomTabControl::SetMultiLine).Default(false);
  Property("Style", &TCustomTabControl::Style, &TCustomTabControl::SetStyle).Default(tsTabs);
  Property("TabPosition", &TCustomTabControl::TabPosition, &TCustomTabControl::SetTabPosition).Default(tpTop);
  Property("OnChange", &TCustomTabControl::OnChange);
  Property("OnChanging", &TCustomTabControl::OnChanging);
}

TOVANI_PUBLISHED(TTabControl) {
  Property("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex).Default(-1);
  Property("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs);
}

TOVANI_PUBLISHED(TTabSheet) {
  Property("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption);
  Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(-1);
  Property("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl).Stored(false);
  Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
  Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
  Property("OnHide", &TTabSheet::OnHide);
  Property("OnShow", &TTabSheet::OnShow);
}

TOVANI_PUBLISHED(TPageControl) {
  Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
}

TOVANI_PUBLISHED(TToolButton) {
  Property("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp).Default(false);
  Property("Caption", &TToolButton::Caption, &TToolButton::SetCaption);
  Property("Down", &TToolButton::Down, &TToolButton::SetDown).Default(false);
  Property("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
  Property("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(false);
  Property("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1);
  Property("Marked", &TToolButton::Marked, &TToolButton::SetMarked).Default(false);
  Property("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton);
  Property("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap).Default(false);
}

TOVANI_PUBLISHED(TToolBar) {
  Property("AutoSize", &TToolBar::AutoSize, &TToolBar::SetAutoSize).Default(false);
  Property("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight).Default(22);
  Property("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth).Default(23);
  Property("Caption", &TToolBar::Caption, &TToolBar::SetCaption);
  Property("DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages);
  Property("EdgeBorders", &TToolBar::EdgeBorders, &TToolBar::SetEdgeBorders).Default(TEdgeBorders{ebTop});
  Property("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(true);
  Property("HotImages", &TToolBar::HotImages, &TToolBar::SetHotImages);
  Property("Images", &TToolBar::Images, &TToolBar::SetImages);
  Property("Indent", &TToolBar::Indent, &TToolBar::SetIndent).Default(0);
  Property("List", &TToolBar::List, &TToolBar::SetList).Default(false);
  Property("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(false);
  Property("Transparent", &TToolBar::Transparent, &TToolBar::SetTransparent).Default(false);
  Property("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(true);
}

TOVANI_PUBLISHED(TDateTimePicker) {
  Property("Checked", &TDateTimePicker::Checked, &TDateTimePicker::SetChecked).Default(true);
  Property("Date", &TDateTimePicker::Date, &TDateTimePicker::SetDate);
  Property("DateFormat", &TDateTimePicker::DateFormat, &TDateTimePicker::SetDateFormat).Default(dfShort);
  Property("DateMode", &TDateTimePicker::DateMode, &TDateTimePicker::SetDateMode).Default(dmComboBox);
  Property("Format", &TDateTimePicker::Format, &TDateTimePicker::SetFormat);
  Property("Kind", &TDateTimePicker::Kind, &TDateTimePicker::SetKind).Default(dtkDate);
  Property("MaxDate", &TDateTimePicker::MaxDate, &TDateTimePicker::SetMaxDate);
  Property("MinDate", &TDateTimePicker::MinDate, &TDateTimePicker::SetMinDate);
  Property("ShowCheckbox", &TDateTimePicker::ShowCheckbox, &TDateTimePicker::SetShowCheckbox).Default(false);
  Property("Time", &TDateTimePicker::Time, &TDateTimePicker::SetTime);
  Property("OnChange", &TDateTimePicker::OnChange);
  Property("OnCloseUp", &TDateTimePicker::OnCloseUp);
  Property("OnDropDown", &TDateTimePicker::OnDropDown);
}

TOVANI_PUBLISHED(TMonthCalendar) {
  Property("Date", &TMonthCalendar::Date, &TMonthCalendar::SetDate);
  Property("MaxDate", &TMonthCalendar::MaxDate, &TMonthCalendar::SetMaxDate);
  Property("MinDate", &TMonthCalendar::MinDate, &TMonthCalendar::SetMinDate);
  Property("ShowToday", &TMonthCalendar::ShowToday, &TMonthCalendar::SetShowToday).Default(true);
  Property("OnChange", &TMonthCalendar::OnChange);
}

void InitCommonControlClasses() {
  static bool done = [] {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_TREEVIEW_CLASSES | ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

// ---------------------------------------------------------------------------
// Status bar

void TStatusPanel::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TStatusPanel*>(Source)) {
    FText = p->FText;
    FWidth = p->FWidth;
    FAlignment = p->FAlignment;
    FBevel = p->FBevel;
    FStyle = p->FStyle;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(Source);
}

#define PANEL_SETTER(Prop, Type, Field, All) \
  void TStatusPanel::Set##Prop(Type v) {     \
    if (Field == v) return;                  \
    Field = v;                               \
    Changed(All);                            \
  }
PANEL_SETTER(Text, const String&, FText, false)
PANEL_SETTER(Width, Integer, FWidth, true)
PANEL_SETTER(Alignment, TAlignment, FAlignment, false)
PANEL_SETTER(Bevel, TStatusPanelBevel, FBevel, false)
PANEL_SETTER(Style, TStatusPanelStyle, FStyle, false)
#undef PANEL_SETTER

TStatusPanels::TStatusPanels(TStatusBar* AStatusBar) : TCollection(TStatusPanel::StaticClass()), FStatusBar(AStatusBar) {}

TPersistent* TStatusPanels::GetOwner() { return FStatusBar; }

void TStatusPanels::Update(TCollectionItem*) {
  if (FStatusBar) FStatusBar->UpdatePanels();
}

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner), FPanels(new TStatusPanels(this)), FCanvas(new TControlCanvas) {
  FControlStyle = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  FColor = clBtnFace;
  FParentColor = false;
  FBrush->SetColor(FColor);
  FHeight = 19;
  FWidth = 200;
  FAlign = alBottom;
  FCanvas->SetControl(this);
}

TStatusBar::~TStatusBar() {
  FCanvas->FreeHandle();
  DestroyHandle();
}

void TStatusBar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"msctls_statusbar32");
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY | CCS_BOTTOM;
  // A size grip only where it sits in the form's corner.
  if (FSizeGrip && FParent && FParent == GetParentForm(this) && !dynamic_cast<TCustomForm*>(FParent)->Menu() &&
      static_cast<TCustomForm*>(FParent)->BorderStyle() == bsSizeable)
    Params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::InitializeWindow() { UpdatePanels(); }

void TStatusBar::UpdatePanels() {
  if (!FHandle) return;
  if (FSimplePanel || FPanels->Count() == 0) {
    SendMessageW(FHandle, SB_SIMPLE, TRUE, 0);
    std::u16string w = ToUtf16(FSimplePanel ? FSimpleText : String());
    SendMessageW(FHandle, SB_SETTEXTW, 255, reinterpret_cast<LPARAM>(w.c_str()));
    return;
  }
  SendMessageW(FHandle, SB_SIMPLE, FALSE, 0);
  Integer n = std::min(FPanels->Count(), 64);
  std::vector<int> edges(static_cast<size_t>(n));
  Integer x = 0;
  for (Integer i = 0; i < n; ++i) {
    x += FPanels->Items(i)->Width();
    edges[size_t(i)] = x;
  }
  edges[size_t(n - 1)] = -1;   // the last panel takes the rest
  SendMessageW(FHandle, SB_SETPARTS, WPARAM(n), reinterpret_cast<LPARAM>(edges.data()));
  for (Integer i = 0; i < n; ++i) {
    TStatusPanel* p = FPanels->Items(i);
    UINT flags = UINT(i);
    if (p->Bevel() == pbNone) flags |= SBT_NOBORDERS;
    if (p->Bevel() == pbRaised) flags |= SBT_POPOUT;
    if (p->Style() == psOwnerDraw) {
      SendMessageW(FHandle, SB_SETTEXTW, flags | SBT_OWNERDRAW, reinterpret_cast<LPARAM>(p));
      continue;
    }
    std::u16string w = ToUtf16(p->Text());
    // Windows aligns on tabs: one tab centres, two right-align.
    if (p->Alignment() == taCenter) w = u"\t" + w;
    else if (p->Alignment() == taRightJustify) w = u"\t\t" + w;
    SendMessageW(FHandle, SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(w.c_str()));
  }
}

void TStatusBar::SetSimplePanel(bool v) {
  if (FSimplePanel == v) return;
  FSimplePanel = v;
  UpdatePanels();
}

void TStatusBar::SetSimpleText(const String& v) {
  FSimpleText = v;
  if (FSimplePanel) UpdatePanels();
}

void TStatusBar::SetSizeGrip(bool v) {
  if (FSizeGrip == v) return;
  FSizeGrip = v;
  RecreateWnd();
}

TRect TStatusBar::PanelRect(Integer Index) {
  RECT r{};
  SendMessageW(Handle(), SB_GETRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&r));
  return {r.left, r.top, r.right, r.bottom};
}

bool TStatusBar::ExecuteAction(TBasicAction* Action) { return TWinControl::ExecuteAction(Action); }

void TStatusBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      Integer index = Integer(dis->itemID);
      if (OnDrawPanel && index >= 0 && index < FPanels->Count()) {
        FCanvas->Lock();
        FCanvas->SetHandle(dis->hDC);
        FCanvas->Font()->Assign(FFont.get());
        FCanvas->Brush()->SetColor(clBtnFace);
        OnDrawPanel(this, FPanels->Items(index), {dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom});
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
      }
      Message.Result = 1;
      return;
    }
    case WM_SIZE:
      // The status bar keeps its own height; the panels follow the width.
      TWinControl::Dispatch(Message);
      if (FHandle) SendMessageW(FHandle, WM_SIZE, 0, 0);
      return;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Tabs

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csAcceptsControls, csDoubleClicks};
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
}

TCustomTabControl::~TCustomTabControl() = default;

void TCustomTabControl::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"SysTabControl32");
  Params.Style |= WS_CLIPCHILDREN | TCS_FOCUSONBUTTONDOWN;
  if (FMultiLine) Params.Style |= TCS_MULTILINE;
  if (FStyle == tsButtons) Params.Style |= TCS_BUTTONS;
  if (FStyle == tsFlatButtons) Params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
  if (FHotTrack) Params.Style |= TCS_HOTTRACK;
  if (FTabPosition == tpBottom) Params.Style |= TCS_BOTTOM;
  if (FTabPosition == tpLeft) Params.Style |= TCS_VERTICAL | TCS_MULTILINE;
  if (FTabPosition == tpRight) Params.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE;
}

void TCustomTabControl::InitializeWindow() {
  if (FImages) SendMessageW(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->Handle()));
  UpdateTabs();
}

void TCustomTabControl::UpdateTabs() {
  if (!FHandle) return;
  FUpdating = true;
  SendMessageW(FHandle, TCM_DELETEALLITEMS, 0, 0);
  std::vector<String> texts = TabTexts();
  std::vector<Integer> images = TabImages();
  for (size_t i = 0; i < texts.size(); ++i) {
    std::u16string w = ToUtf16(texts[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = W(w);
    item.iImage = i < images.size() ? images[i] : -1;
    SendMessageW(FHandle, TCM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(FHandle, TCM_SETCURSEL, WPARAM(CurrentTab()), 0);
  FUpdating = false;
  Realign();
}

Integer TCustomTabControl::NativeTabIndex() { return FHandle ? Integer(SendMessageW(FHandle, TCM_GETCURSEL, 0, 0)) : CurrentTab(); }

void TCustomTabControl::SetNativeTabIndex(Integer v) {
  if (FHandle) SendMessageW(FHandle, TCM_SETCURSEL, WPARAM(v), 0);
}

TRect TCustomTabControl::DisplayRect() {
  TRect r = ClientRect();
  if (FHandle) {
    RECT rr{r.Left, r.Top, r.Right, r.Bottom};
    SendMessageW(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rr));
    r = {rr.left, rr.top, rr.right, rr.bottom};
  } else {
    r.Top += 24;
    InflateRect(r, -4, -4);
  }
  return r;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
  Rect = DisplayRect();
  TWinControl::AdjustClientRect(Rect);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::SetMultiLine(bool v) {
  if (FMultiLine == v) return;
  FMultiLine = v;
  RecreateWnd();
}
void TCustomTabControl::SetTabPosition(TTabPosition v) {
  if (FTabPosition == v) return;
  FTabPosition = v;
  RecreateWnd();
}
void TCustomTabControl::SetStyle(TTabStyle v) {
  if (FStyle == v) return;
  FStyle = v;
  RecreateWnd();
}
void TCustomTabControl::SetHotTrack(bool v) {
  if (FHotTrack == v) return;
  FHotTrack = v;
  RecreateWnd();
}

void TCustomTabControl::SetImages(TCustomImageList* v) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = v;
  if (v) v->FreeNotification(this);
  if (FHandle) SendMessageW(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(v ? v->Handle() : nullptr));
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TCustomTabControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    if (hdr->code == TCN_SELCHANGING) {
      Message.Result = CanChange() ? 0 : 1;
      return;
    }
    if (hdr->code == TCN_SELCHANGE) {
      if (!FUpdating) {
        TabSelected(NativeTabIndex());
        Change();
      }
      return;
    }
  }
  if (Message.Msg == WM_SIZE) {
    TWinControl::Dispatch(Message);
    Realign();
    return;
  }
  TWinControl::Dispatch(Message);
}

TTabControl::TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner), FTabs(new TStringList) {
  FTabs->OnChange = [this](TObject*) {
    if (FTabIndex >= FTabs->Count()) FTabIndex = FTabs->Count() - 1;
    if (FTabIndex < 0 && FTabs->Count() > 0) FTabIndex = 0;
    UpdateTabs();
  };
}

TTabControl::~TTabControl() { FTabs->OnChange = nullptr; }

std::vector<String> TTabControl::TabTexts() {
  std::vector<String> v;
  for (Integer i = 0; i < FTabs->Count(); ++i) v.push_back(FTabs->Strings(i));
  return v;
}

void TTabControl::SetTabIndex(Integer v) {
  if (v < -1 || v >= FTabs->Count()) v = -1;
  FTabIndex = v;
  SetNativeTabIndex(v);
}

// --- pages

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csAcceptsControls, csClickEvents, csDoubleClicks, csParentBackground};
  FVisible = false;
  FAlign = alClient;
}

TTabSheet::~TTabSheet() {
  if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TTabSheet::SetPageControl(TPageControl* v) {
  if (FPageControl == v) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(v);
}

void TTabSheet::SetParent(TWinControl* AParent) {
  TWinControl::SetParent(AParent);
  auto* pc = dynamic_cast<TPageControl*>(AParent);
  if (pc != FPageControl) {
    if (FPageControl) FPageControl->RemovePage(this);
    if (pc) pc->InsertPage(this);
  }
}

Integer TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& v = FPageControl->FPages;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : Integer(it - v.begin());
}

void TTabSheet::SetPageIndex(Integer v) {
  if (!FPageControl) return;
  auto& pages = FPageControl->FPages;
  auto it = std::find(pages.begin(), pages.end(), this);
  if (it == pages.end()) return;
  pages.erase(it);
  v = std::clamp(v, 0, Integer(pages.size()));
  pages.insert(pages.begin() + v, this);
  FPageControl->PagesChanged();
}

Integer TTabSheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  Integer n = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return n;
    if (p->FTabVisible) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool v) {
  if (FTabVisible == v) return;
  FTabVisible = v;
  if (FPageControl) FPageControl->PagesChanged();
}

void TTabSheet::SetImageIndex(Integer v) {
  if (FImageIndex == v) return;
  FImageIndex = v;
  if (FPageControl) FPageControl->PagesChanged();
}

void TTabSheet::Dispatch(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED && FPageControl) FPageControl->PagesChanged();
  if (Message.Msg == CM_SHOWINGCHANGED) {
    if (Showing() && OnShow) OnShow(this);
    else if (!Showing() && OnHide) OnHide(this);
  }
}

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl() {
  // Sheets still here are children and go with the control; they forget it first.
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  if (!FActivePage && !ComponentState().Contains(csLoading)) ChangeActivePage(Page);
  PagesChanged();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  TTabSheet* next = FActivePage == Page ? FindNextPage(Page, true, false) : FActivePage;
  if (next == Page) next = nullptr;
  FPages.erase(std::find(FPages.begin(), FPages.end(), Page));
  Page->FPageControl = nullptr;
  if (FActivePage == Page) {
    FActivePage = nullptr;
    if (!ComponentState().Contains(csDestroying)) ChangeActivePage(next);
  }
  if (!ComponentState().Contains(csDestroying)) PagesChanged();
}

void TPageControl::PagesChanged() { UpdateTabs(); }

std::vector<String> TPageControl::TabTexts() {
  std::vector<String> v;
  for (TTabSheet* p : FPages)
    if (p->FTabVisible) v.push_back(p->Caption());
  return v;
}

std::vector<Integer> TPageControl::TabImages() {
  std::vector<Integer> v;
  for (TTabSheet* p : FPages)
    if (p->FTabVisible) v.push_back(p->FImageIndex);
  return v;
}

Integer TPageControl::CurrentTab() { return FActivePage ? FActivePage->TabIndex() : -1; }

void TPageControl::TabSelected(Integer Index) {
  Integer n = 0;
  for (TTabSheet* p : FPages) {
    if (!p->FTabVisible) continue;
    if (n++ == Index) {
      ChangeActivePage(p);
      return;
    }
  }
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
  if (FActivePage == Page) return;
  TCustomForm* form = GetParentForm(this);
  if (form && FActivePage && FActivePage->ContainsControl(form->ActiveControl())) form->SetActiveControl(nullptr);
  if (Page) {
    Page->BringToFront();
    Page->SetVisible(true);
  }
  if (FActivePage) FActivePage->SetVisible(false);
  FActivePage = Page;
  if (Page) {
    SetNativeTabIndex(Page->TabIndex());
    // A page hidden until now lays its aligned controls out for the size it
    // has been given meanwhile (they were laid out while it had none).
    Page->Realign();
  }
}

void TPageControl::SetActivePage(TTabSheet* v) {
  if (v && v->FPageControl != this) return;
  if (ComponentState().Contains(csLoading)) {
    FLoadedActivePage = v ? v->Name() : String();
  }
  ChangeActivePage(v);
}

Integer TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(Integer v) {
  if (v >= 0 && v < PageCount()) SetActivePage(FPages[size_t(v)]);
  else SetActivePage(nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
  if (FPages.empty()) return nullptr;
  Integer n = Integer(FPages.size());
  auto it = std::find(FPages.begin(), FPages.end(), CurPage);
  Integer start = it == FPages.end() ? (GoForward ? n - 1 : 0) : Integer(it - FPages.begin());
  Integer i = start;
  for (Integer k = 0; k < n; ++k) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TTabSheet* p = FPages[size_t(i)];
    if (!CheckTabVisible || p->FTabVisible) return p;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
  TTabSheet* p = FindNextPage(FActivePage, GoForward, CheckTabVisible);
  if (p && p != FActivePage && CanChange()) {
    ChangeActivePage(p);
    Change();
  }
}

void TPageControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TTabSheet* p : FPages) Proc(p);
  for (TControl* c : ControlList())
    if (!dynamic_cast<TTabSheet*>(c) && c->Owner() == Root) Proc(c);
}

void TPageControl::Loaded() {
  TCustomTabControl::Loaded();
  TTabSheet* active = nullptr;
  for (TTabSheet* p : FPages)
    if (!FLoadedActivePage.empty() && p->Name() == FLoadedActivePage) active = p;
  if (!active && !FPages.empty()) active = FActivePage ? FActivePage : FPages.front();
  TTabSheet* keep = active;
  FActivePage = nullptr;
  for (TTabSheet* p : FPages) p->SetVisible(false);
  ChangeActivePage(keep);
  PagesChanged();
}

void TPageControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGKEY && Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
    return;
  }
  TCustomTabControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Tool bar

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = {csCaptureMouse, csSetCaption, csClickEvents};
  FWidth = 23;
  FHeight = 22;
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(FParent); }

void TToolButton::SetParent(TWinControl* AParent) {
  if (TToolBar* old = ToolBar()) old->RemoveButton(this);
  TGraphicControl::SetParent(AParent);
  if (TToolBar* bar = ToolBar()) bar->AddButton(this);
}

Integer TToolButton::Index() const {
  TToolBar* bar = ToolBar();
  if (!bar) return -1;
  auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
  return it == bar->FButtons.end() ? -1 : Integer(it - bar->FButtons.begin());
}

void TToolButton::SetStyle(TToolButtonStyle v) {
  if (FStyle == v) return;
  FStyle = v;
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
  Invalidate();
}

void TToolButton::SetImageIndex(Integer v) {
  if (FImageIndex == v) return;
  FImageIndex = v;
  Invalidate();
}

void TToolButton::SetWrap(bool v) {
  if (FWrap == v) return;
  FWrap = v;
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetDown(bool v) {
  if (FDown == v) return;
  if (!v && FGrouped && !FAllowAllUp) {
    // The last button down of a group stays down.
    bool another = false;
    if (TToolBar* bar = ToolBar())
      for (TToolButton* b : bar->FButtons)
        if (b != this && b->FGrouped && b->FDown) another = true;
    if (!another) return;
  }
  FDown = v;
  if (v && FGrouped)
    if (TToolBar* bar = ToolBar()) {
      // The group is the run of grouped check buttons around this one.
      Integer i = Index();
      for (Integer j = i - 1; j >= 0 && bar->FButtons[size_t(j)]->FGrouped && bar->FButtons[size_t(j)]->FStyle == tbsCheck; --j)
        bar->FButtons[size_t(j)]->FDown = false, bar->FButtons[size_t(j)]->Invalidate();
      for (Integer j = i + 1; j < bar->ButtonCount() && bar->FButtons[size_t(j)]->FGrouped && bar->FButtons[size_t(j)]->FStyle == tbsCheck; ++j)
        bar->FButtons[size_t(j)]->FDown = false, bar->FButtons[size_t(j)]->Invalidate();
    }
  Invalidate();
}

void TToolButton::SetDropdownMenu(TPopupMenu* v) {
  if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
  FDropdownMenu = v;
  if (v) v->FreeNotification(this);
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDropdownMenu) FDropdownMenu = nullptr;
}

TToolButtonActionLink::TToolButtonActionLink(TToolButton* AClient) : TControlActionLink(AClient), FClient(AClient) {}

bool TToolButtonActionLink::IsCheckedLinked() {
  return TControlActionLink::IsCheckedLinked() && FClient->Down() == CustomAction()->Checked();
}

bool TToolButtonActionLink::IsImageIndexLinked() {
  return TControlActionLink::IsImageIndexLinked() && FClient->ImageIndex() == CustomAction()->ImageIndex();
}

void TToolButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FClient->SetDown(Value);
}

void TToolButtonActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}

std::unique_ptr<TControlActionLink> TToolButton::CreateActionLink() { return std::make_unique<TToolButtonActionLink>(this); }

void TToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TGraphicControl::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
    if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->ImageIndex());
    if (!CheckDefaults || !FDown) SetDown(a->Checked());
  }
}

void TToolButton::Click() {
  if (FStyle == tbsSeparator || FStyle == tbsDivider) return;
  if (FStyle == tbsCheck) SetDown(!FDown);
  TGraphicControl::Click();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && IsEnabled() && FStyle != tbsSeparator && FStyle != tbsDivider) {
    FPressed = true;
    Invalidate();
    if (FStyle == tbsDropDown && FDropdownMenu && X >= FWidth - 12) {
      FPressed = false;
      FControlState -= csClicked;
      TPoint p = ClientToScreen({0, FHeight});
      FDropdownMenu->Popup(p.X, p.Y);
      Invalidate();
    }
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FPressed = false;
  Invalidate();
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TToolButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      FHot = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      FHot = false;
      Invalidate();
      break;
    case CM_TEXTCHANGED:
      if (TToolBar* bar = ToolBar(); bar && bar->ShowCaptions()) bar->ArrangeButtons();
      Invalidate();
      break;
  }
  TGraphicControl::Dispatch(Message);
}

void TToolButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  TToolBar* bar = ToolBar();
  if (FStyle == tbsSeparator || FStyle == tbsDivider) {
    if (FStyle == tbsDivider) {
      TRect line(r.Width() / 2 - 1, r.Top + 2, r.Width() / 2 + 1, r.Bottom - 2);
      DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&line), EDGE_ETCHED, BF_LEFT);
    }
    return;
  }
  bool enabled = IsEnabled();
  if (FDown || (FPressed && FHot)) {
    if (FDown && !FPressed) {
      c->Brush()->SetColor(cl3DLight);
      c->FillRect(r);
    }
    DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&r), BDR_SUNKENOUTER, BF_RECT);
  } else if (FHot && enabled) {
    DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&r), BDR_RAISEDINNER, BF_RECT);
  } else if (bar && !bar->Flat()) {
    DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&r), EDGE_RAISED, BF_RECT);
  }
  Integer offset = (FDown || (FPressed && FHot)) ? 1 : 0;
  TCustomImageList* images = bar ? bar->Images() : nullptr;
  if (bar && !enabled && bar->DisabledImages()) images = bar->DisabledImages();
  else if (bar && FHot && bar->HotImages()) images = bar->HotImages();
  bool showCaption = bar && bar->ShowCaptions();
  String caption = Caption();
  Integer textH = showCaption ? c->TextHeight("0") : 0;
  if (images && FImageIndex >= 0) {
    Integer x, y;
    if (showCaption && bar->List()) {
      x = 3;
      y = (r.Height() - images->Height()) / 2;
    } else {
      x = (r.Width() - images->Width() - (FStyle == tbsDropDown ? 12 : 0)) / 2;
      y = showCaption ? 3 : (r.Height() - images->Height()) / 2;
    }
    images->Draw(c, x + offset, y + offset, FImageIndex, enabled || (bar && bar->DisabledImages()));
  }
  if (showCaption && !caption.empty()) {
    c->Font()->Assign(FFont.get());
    c->Brush()->SetStyle(bsClear);
    TRect tr = r;
    if (bar->List() && images) tr.Left += images->Width() + 6;
    else if (images) tr.Top = r.Bottom - textH - 3;
    OffsetRect(tr, offset, offset);
    HDC dc = c->Handle();
    SetTextColor(dc, ColorToRGB(enabled ? FFont->Color() : clGrayText));
    std::u16string w = ToUtf16(caption);
    RECT rr{tr.Left, tr.Top, tr.Right, tr.Bottom};
    DrawTextW(dc, W(w), int(w.size()), &rr, DT_SINGLELINE | DT_VCENTER | (bar->List() ? DT_LEFT : DT_CENTER));
  }
  if (FStyle == tbsDropDown) {
    // The arrow of the drop-down part.
    Integer ax = r.Right - 9 + offset, ay = r.Height() / 2 + offset;
    c->Pen()->SetColor(enabled ? clBtnText : clGrayText);
    for (Integer i = 0; i < 3; ++i) {
      c->MoveTo(ax + i, ay - 1 + i);
      c->LineTo(ax + 5 - i, ay - 1 + i);
    }
  }
}

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner), FImageLink(new TChangeLink) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csMenuEvents, csSetCaption};
  FAlign = alTop;
  FHeight = 29;
  FWidth = 150;
  FColor = clBtnFace;
  FParentColor = true;
  FImageLink->OnChange = [this](TObject*) {
    ArrangeButtons();
    Invalidate();
  };
}

TToolBar::~TToolBar() {
  SetImages(nullptr);
  for (TToolButton* b : FButtons) b->FParent = b->FParent;   // buttons leave with their parent
  FButtons.clear();
  FItems.clear();
}

namespace {
// Controls read from a form file stand in the order of their positions.
template <class T>
void InsertByPosition(std::vector<T*>& List, T* c, bool Loading) {
  auto it = List.begin();
  while (it != List.end() && ((*it)->Top() < c->Top() || ((*it)->Top() == c->Top() && (*it)->Left() <= c->Left()))) ++it;
  if (!Loading) it = List.end();
  List.insert(it, c);
}
}  // namespace

void TToolBar::AddButton(TToolButton* b) {
  if (std::find(FButtons.begin(), FButtons.end(), b) != FButtons.end()) return;
  const bool loading = ComponentState().Contains(csLoading) || b->ComponentState().Contains(csLoading);
  InsertByPosition(FButtons, b, loading);
  InsertByPosition(FItems, static_cast<TControl*>(b), loading);
  ArrangeButtons();
}

void TToolBar::RemoveButton(TToolButton* b) {
  FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), b), FButtons.end());
  FItems.erase(std::remove(FItems.begin(), FItems.end(), b), FItems.end());
  if (!ComponentState().Contains(csDestroying)) ArrangeButtons();
}

void TToolBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_CONTROLLISTCHANGE) {
    // Other controls (panels holding a combo box or an edit) take their
    // place in the row like buttons; tool buttons come through AddButton.
    auto* c = reinterpret_cast<TControl*>(Message.WParam);
    if (c && !dynamic_cast<TToolButton*>(c)) {
      FItems.erase(std::remove(FItems.begin(), FItems.end(), c), FItems.end());
      if (Message.LParam)
        InsertByPosition(FItems, c, ComponentState().Contains(csLoading) || c->ComponentState().Contains(csLoading));
      if (!ComponentState().Contains(csDestroying)) ArrangeButtons();
    }
  }
  TCustomControl::Dispatch(Message);
}

void TToolBar::Loaded() {
  TCustomControl::Loaded();
  auto byPlace = [](TControl* a, TControl* b) {
    return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
  };
  std::stable_sort(FButtons.begin(), FButtons.end(), byPlace);
  std::stable_sort(FItems.begin(), FItems.end(), byPlace);
  ArrangeButtons();
}

bool TToolBar::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  Integer bottom = 0;
  for (TControl* b : FItems)
    if (b->Visible()) bottom = std::max(bottom, b->Top() + b->Height());
  TRect c = ClientRect();
  NewHeight = FHeight - c.Height() + bottom + (FEdgeBorders.Contains(ebBottom) ? 2 : 0);
  (void)NewWidth;
  return true;
}

void TToolBar::ArrangeButtons() {
  if (FArranging || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  FArranging = true;
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(FFont.get());
  Integer bw = FButtonWidth, bh = FButtonHeight;
  if (FShowCaptions) {
    Integer textH = scratch.Canvas()->TextHeight("0");
    Integer imageH = FImages ? FImages->Height() : 0;
    if (!FList) bh = std::max(bh, imageH + textH + 8);
    for (TToolButton* b : FButtons)
      if (b->Style() != tbsSeparator && b->Style() != tbsDivider) {
        Integer tw = scratch.Canvas()->TextWidth(b->Caption()) + 8;
        if (FList) tw += FImages ? FImages->Width() + 4 : 0;
        bw = std::max(bw, tw);
      }
  }
  TRect client = ClientRect();
  Integer top = FEdgeBorders.Contains(ebTop) ? 2 : 0;
  Integer x = FIndent + (FEdgeBorders.Contains(ebLeft) ? 2 : 0), y = top;
  for (TControl* c : FItems) {
    if (!c->Visible()) continue;
    auto* b = dynamic_cast<TToolButton*>(c);
    // A control that is no button keeps its own size.
    Integer w = !b ? c->Width()
                : (b->Style() == tbsSeparator || b->Style() == tbsDivider) ? std::max(6, b->Width() < bw ? b->Width() : 8)
                : b->Style() == tbsDropDown ? bw + 12 : bw;
    if (FWrapable && x > FIndent && x + w > client.Width()) {
      x = FIndent;
      y += bh;
    }
    if (b) ++b->FAlignLevel;
    c->SetBounds(x, y, w, b ? bh : c->Height());
    if (b) --b->FAlignLevel;
    x += w;
    if (b && b->Wrap()) {
      x = FIndent;
      y += bh;
    }
  }
  FArranging = false;
  if (FAutoSize) AdjustSize();
  Invalidate();
}

void TToolBar::AlignControls(TControl* AControl, TRect& Rect) {
  // Controls moved by the bar's own arrangement stay where it put them.
  if (FArranging) return;
  TCustomControl::AlignControls(AControl, Rect);
  ArrangeButtons();
}

void TToolBar::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!FTransparent) {
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
  }
  UINT edges = 0;
  if (FEdgeBorders.Contains(ebLeft)) edges |= BF_LEFT;
  if (FEdgeBorders.Contains(ebTop)) edges |= BF_TOP;
  if (FEdgeBorders.Contains(ebRight)) edges |= BF_RIGHT;
  if (FEdgeBorders.Contains(ebBottom)) edges |= BF_BOTTOM;
  if (edges) DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&r), EDGE_ETCHED, edges);
}

#define BAR_SETTER(Prop, Type, Field)  \
  void TToolBar::Set##Prop(Type v) {   \
    if (Field == v) return;            \
    Field = v;                         \
    ArrangeButtons();                  \
    Invalidate();                      \
  }
BAR_SETTER(ButtonWidth, Integer, FButtonWidth)
BAR_SETTER(ButtonHeight, Integer, FButtonHeight)
BAR_SETTER(ShowCaptions, bool, FShowCaptions)
BAR_SETTER(List, bool, FList)
BAR_SETTER(Flat, bool, FFlat)
BAR_SETTER(Transparent, bool, FTransparent)
BAR_SETTER(Wrapable, bool, FWrapable)
BAR_SETTER(EdgeBorders, TEdgeBorders, FEdgeBorders)
BAR_SETTER(Indent, Integer, FIndent)
#undef BAR_SETTER

void TToolBar::SetImages(TCustomImageList* v) {
  if (FImages) {
    FImages->UnRegisterChanges(FImageLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = v;
  if (v) {
    v->RegisterChanges(FImageLink.get());
    v->FreeNotification(this);
  }
  if (!ComponentState().Contains(csDestroying)) ArrangeButtons();
}

void TToolBar::SetDisabledImages(TCustomImageList* v) {
  if (FDisabledImages) FDisabledImages->RemoveFreeNotification(this);
  FDisabledImages = v;
  if (v) v->FreeNotification(this);
  Invalidate();
}

void TToolBar::SetHotImages(TCustomImageList* v) {
  if (FHotImages) FHotImages->RemoveFreeNotification(this);
  FHotImages = v;
  if (v) v->FreeNotification(this);
  Invalidate();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (AComponent == FDisabledImages) FDisabledImages = nullptr;
  if (AComponent == FHotImages) FHotImages = nullptr;
}

// ---------------------------------------------------------------------------
// Dates

namespace {
SYSTEMTIME ToSystemTime(TDateTime v) {
  SYSTEMTIME st{};
  DateTimeToSystemTime(v, st);
  return st;
}
}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 186;
  FHeight = 21;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FBrush->SetColor(FColor);
  FDateTime = Now();
}

void TDateTimePicker::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"SysDateTimePick32");
  if (FKind == dtkTime) Params.Style |= DTS_TIMEFORMAT;
  else Params.Style |= FDateFormat == dfLong ? DTS_LONGDATEFORMAT : DTS_SHORTDATEFORMAT;
  if (FDateMode == dmUpDown || FKind == dtkTime) Params.Style |= DTS_UPDOWN;
  if (FShowCheckbox) Params.Style |= DTS_SHOWNONE;
}

void TDateTimePicker::InitializeWindow() {
  if (!FFormat.empty()) {
    std::u16string w = ToUtf16(FFormat);
    SendMessageW(FHandle, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  ApplyRange();
  SYSTEMTIME st = ToSystemTime(FDateTime);
  SendMessageW(FHandle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
  if (FShowCheckbox && !FChecked) SendMessageW(FHandle, DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&st));
}

void TDateTimePicker::DestroyWnd() {
  DateTime();
  FChecked = Checked();
  TWinControl::DestroyWnd();
}

void TDateTimePicker::ApplyRange() {
  if (!FHandle) return;
  SYSTEMTIME range[2]{};
  DWORD flags = 0;
  if (FMinDate != 0) {
    range[0] = ToSystemTime(FMinDate);
    flags |= GDTR_MIN;
  }
  if (FMaxDate != 0) {
    range[1] = ToSystemTime(FMaxDate);
    flags |= GDTR_MAX;
  }
  SendMessageW(FHandle, DTM_SETRANGE, flags, reinterpret_cast<LPARAM>(range));
}

TDateTime TDateTimePicker::DateTime() {
  if (FHandle) {
    SYSTEMTIME st{};
    if (SendMessageW(FHandle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID) {
      TDateTime v = SystemTimeToDateTime(st);
      // The control edits one half of the value; the other half stays.
      if (FKind == dtkDate) FDateTime = std::trunc(v) + (FDateTime - std::trunc(FDateTime));
      else FDateTime = std::trunc(FDateTime) + (v - std::trunc(v));
    }
  }
  return FDateTime;
}

void TDateTimePicker::SetDateTime(TDateTime v) {
  if (FMinDate != 0 && v < FMinDate) throw EInvalidOperation("Date is less than minimum of " + FormatDateTime("yyyy-mm-dd", FMinDate));
  if (FMaxDate != 0 && v > FMaxDate + 1) throw EInvalidOperation("Date exceeds maximum of " + FormatDateTime("yyyy-mm-dd", FMaxDate));
  FDateTime = v;
  if (FHandle) {
    SYSTEMTIME st = ToSystemTime(v);
    SendMessageW(FHandle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
  }
  if (!ComponentState().Contains(csLoading)) Change();
}

void TDateTimePicker::SetDate(TDateTime v) { SetDateTime(std::trunc(v) + (DateTime() - std::trunc(DateTime()))); }

TDateTime TDateTimePicker::Time() {
  TDateTime v = DateTime();
  return v - std::trunc(v);
}

void TDateTimePicker::SetTime(TDateTime v) { SetDateTime(std::trunc(DateTime()) + (v - std::trunc(v))); }

void TDateTimePicker::SetKind(TDateTimeKind v) {
  if (FKind == v) return;
  FKind = v;
  RecreateWnd();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat v) {
  if (FDateFormat == v) return;
  FDateFormat = v;
  RecreateWnd();
}

void TDateTimePicker::SetDateMode(TDTDateMode v) {
  if (FDateMode == v) return;
  FDateMode = v;
  RecreateWnd();
}

void TDateTimePicker::SetShowCheckbox(bool v) {
  if (FShowCheckbox == v) return;
  FShowCheckbox = v;
  RecreateWnd();
}

bool TDateTimePicker::Checked() {
  if (FHandle && FShowCheckbox) {
    SYSTEMTIME st{};
    FChecked = SendMessageW(FHandle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID;
  }
  return FChecked;
}

void TDateTimePicker::SetChecked(bool v) {
  FChecked = v;
  if (FHandle && FShowCheckbox) {
    if (v) {
      SYSTEMTIME st = ToSystemTime(FDateTime);
      SendMessageW(FHandle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    } else {
      // Some controls want a time even with GDT_NONE.
      SYSTEMTIME st = ToSystemTime(FDateTime);
      SendMessageW(FHandle, DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&st));
    }
  }
}

void TDateTimePicker::SetFormat(const String& v) {
  FFormat = v;
  if (FHandle) {
    std::u16string w = ToUtf16(v);
    SendMessageW(FHandle, DTM_SETFORMATW, 0, v.empty() ? 0 : reinterpret_cast<LPARAM>(w.c_str()));
  }
}

void TDateTimePicker::SetMinDate(TDateTime v) {
  if (FMaxDate != 0 && v != 0 && v > FMaxDate) throw EInvalidOperation("Date exceeds maximum of " + FormatDateTime("yyyy-mm-dd", FMaxDate));
  FMinDate = v;
  ApplyRange();
}

void TDateTimePicker::SetMaxDate(TDateTime v) {
  if (FMinDate != 0 && v != 0 && v < FMinDate) throw EInvalidOperation("Date is less than minimum of " + FormatDateTime("yyyy-mm-dd", FMinDate));
  FMaxDate = v;
  ApplyRange();
}

void TDateTimePicker::Change() {
  TWinControl::Changed();
  if (OnChange) OnChange(this);
}

void TDateTimePicker::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    switch (hdr->code) {
      case DTN_DATETIMECHANGE: {
        auto* change = reinterpret_cast<NMDATETIMECHANGE*>(Message.LParam);
        if (change->dwFlags == GDT_VALID) {
          TDateTime v = SystemTimeToDateTime(change->st);
          FDateTime = FKind == dtkDate ? std::trunc(v) + (FDateTime - std::trunc(FDateTime)) : std::trunc(FDateTime) + (v - std::trunc(v));
          FChecked = true;
        } else {
          FChecked = false;
        }
        Change();
        return;
      }
      case DTN_DROPDOWN:
        FDroppedDown = true;
        if (OnDropDown) OnDropDown(this);
        return;
      case DTN_CLOSEUP:
        FDroppedDown = false;
        if (OnCloseUp) OnCloseUp(this);
        return;
    }
  }
  TWinControl::Dispatch(Message);
}

TMonthCalendar::TMonthCalendar(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 191;
  FHeight = 154;
  FTabStop = true;
  FDate = std::trunc(Now());
}

void TMonthCalendar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"SysMonthCal32");
  if (!FShowToday) Params.Style |= MCS_NOTODAY;
}

void TMonthCalendar::InitializeWindow() {
  SYSTEMTIME st = ToSystemTime(FDate);
  SendMessageW(FHandle, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
  SYSTEMTIME range[2]{};
  DWORD flags = 0;
  if (FMinDate != 0) range[0] = ToSystemTime(FMinDate), flags |= GDTR_MIN;
  if (FMaxDate != 0) range[1] = ToSystemTime(FMaxDate), flags |= GDTR_MAX;
  if (flags) SendMessageW(FHandle, MCM_SETRANGE, flags, reinterpret_cast<LPARAM>(range));
}

void TMonthCalendar::DestroyWnd() {
  Date();
  TWinControl::DestroyWnd();
}

TDateTime TMonthCalendar::Date() {
  if (FHandle) {
    SYSTEMTIME st{};
    if (SendMessageW(FHandle, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st))) FDate = std::trunc(SystemTimeToDateTime(st));
  }
  return FDate;
}

void TMonthCalendar::SetDate(TDateTime v) {
  FDate = std::trunc(v);
  if (FHandle) {
    SYSTEMTIME st = ToSystemTime(FDate);
    SendMessageW(FHandle, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
  }
}

void TMonthCalendar::SetMinDate(TDateTime v) {
  FMinDate = v;
  RecreateWnd();
}

void TMonthCalendar::SetMaxDate(TDateTime v) {
  FMaxDate = v;
  RecreateWnd();
}

void TMonthCalendar::SetShowToday(bool v) {
  if (FShowToday == v) return;
  FShowToday = v;
  RecreateWnd();
}

TSize TMonthCalendar::MinimumSize() {
  RECT r{};
  SendMessageW(Handle(), MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r));
  return {r.right - r.left, r.bottom - r.top};
}

void TMonthCalendar::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    if (hdr->code == MCN_SELCHANGE || hdr->code == MCN_SELECT) {
      auto* sel = reinterpret_cast<NMSELCHANGE*>(Message.LParam);
      FDate = std::trunc(SystemTimeToDateTime(sel->stSelStart));
      if (OnChange) OnChange(this);
      if (hdr->code == MCN_SELECT) Click();
      return;
    }
  }
  TWinControl::Dispatch(Message);
}
