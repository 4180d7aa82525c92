// The visible side of the library's edit base: the row of edit buttons and
// the routing of their presses, the image at the left, the text rectangle,
// the text painted while the edit is not focused, the flat border, the
// required-field highlight, the height rule, the tool tip of a clipped text
// and the list of recent texts that drops down while the user types.
#include <algorithm>
#include "DBCtrlsEh.h"
#include "ExtCtrls.h"
#include "ImgList.h"
#include "Menus.h"
#include "PlatformEh.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "VclWindows.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TEditImageEh, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TToolTipsWindow, THintWindow)

TOVANI_PUBLISHED(TEditImageEh) {
  Property("ImageIndex", &TEditImageEh::ImageIndex, &TEditImageEh::SetImageIndex).Default(-1);
  Property("Images", &TEditImageEh::Images, &TEditImageEh::SetImages);
  Property("UseImageHeight", &TEditImageEh::UseImageHeight, &TEditImageEh::SetUseImageHeight).Default(true);
  Property("Visible", &TEditImageEh::Visible, &TEditImageEh::SetVisible).Default(false);
  Property("Width", &TEditImageEh::Width, &TEditImageEh::SetWidth).Default(0);
}

// ---------------------------------------------------------------------------
// TEditImageEh

TEditImageEh::TEditImageEh(TWinControl* AEditControl) : FEditControl(AEditControl) {}

void TEditImageEh::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TEditImageEh*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  SetImages(s->Images());
  SetImageIndex(s->ImageIndex());
  SetVisible(s->Visible());
  SetWidth(s->Width());
}

void TEditImageEh::RecreateEdit() {
  if (FEditControl) FEditControl->Perform(CM_EDITIMAGECHANGED_EH);
}

void TEditImageEh::SetImageIndex(Integer v) {
  if (v == FImageIndex) return;
  FImageIndex = v;
  if (FEditControl) FEditControl->Invalidate();
}

void TEditImageEh::SetImages(TCustomImageList* v) {
  if (v == FImages) return;
  FImages = v;
  RecreateEdit();
  if (v && FEditControl) v->FreeNotification(FEditControl);
}

void TEditImageEh::SetUseImageHeight(bool v) {
  if (v == FUseImageHeight) return;
  FUseImageHeight = v;
  RecreateEdit();
}

void TEditImageEh::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  RecreateEdit();
}

void TEditImageEh::SetWidth(Integer v) {
  if (v == FWidth) return;
  FWidth = v;
  RecreateEdit();
}

TRect TToolTipsWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) {
  if (AData) Canvas()->Font()->Assign(static_cast<TFont*>(AData));
  return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
}

// ---------------------------------------------------------------------------
// Properties of the visible side

TCustomImageList* TCustomDBEditEh::Images() const { return FEditImage->Images(); }

void TCustomDBEditEh::SetImages(TCustomImageList* v) {
  FEditImage->SetImages(v);
  FEditImage->SetVisible(v != nullptr);
}

void TCustomDBEditEh::SetHighlightRequired(bool v) {
  if (v == FHighlightRequired) return;
  FHighlightRequired = v;
  Invalidate();
}

void TCustomDBEditEh::SetShowHint(bool v) {
  if (v == FShowHint) return;
  FShowHint = v;
  UpdateHintState();
}

void TCustomDBEditEh::SetTooltips(bool v) {
  if (v == FTooltips) return;
  FTooltips = v;
  UpdateHintState();
}

void TCustomDBEditEh::UpdateHintState() { TControl::SetShowHint(FTooltips || FShowHint); }

void TCustomDBEditEh::SetOnGetImageIndex(const TGetImageIndexEventEh& v) {
  OnGetImageIndex = v;
  UpdateImageIndex();
}

void TCustomDBEditEh::SetAutoSize(bool v) {
  TCustomMaskEdit::SetAutoSize(v);
  UpdateHeight();
}

// ---------------------------------------------------------------------------
// Window and geometry

void TCustomDBEditEh::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  if (FWordWrap) Params.Style &= ~ES_AUTOHSCROLL;
  // The text rectangle can only be set on a multi-line edit.
  if (!PasswordChar()) Params.Style |= ES_MULTILINE;
  Params.Style &= ~(ES_LEFT | ES_RIGHT | ES_CENTER);
  if (FWordWrap) {
    TAlignment a = Alignment();
    Params.Style |= a == taRightJustify ? ES_RIGHT : a == taCenter ? ES_CENTER : ES_LEFT;
  }
}

void TCustomDBEditEh::CreateWnd() {
  TCustomMaskEdit::CreateWnd();
  UpdateHeight();
  UpdateActiveState();
  UpdateButtonsLayout();
  UpdateEditButtonControlsState();
  FImageWidth = 0;
  if (FEditImage->Visible() && FEditImage->Images())
    FImageWidth = (FEditImage->Width() > 0 ? FEditImage->Width() : FEditImage->Images()->Width()) + 4;
  UpdateImageIndex();
  ApplyTextAreaRect();
}

void TCustomDBEditEh::UpdateHeight() {
  if (AutoSize() && BorderStyle() == bsSingle) {
    SetControlStyle(ControlStyle() + csFixedHeight);
    AdjustHeight();
  } else {
    SetControlStyle(ControlStyle() - csFixedHeight);
  }
}

void TCustomDBEditEh::AdjustHeight() {
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(Font());
  TEXTMETRICW tm{};
  GetTextMetricsW(scratch.Canvas()->Handle(), &tm);
  Integer allowance;
  if (Ctl3D() && !FFlat) allowance = GetSystemMetrics(SM_CYBORDER) * 8;
  else if (FFlat && !Ctl3D()) allowance = GetSystemMetrics(SM_CYBORDER) * 4;
  else allowance = GetSystemMetrics(SM_CYBORDER) * 6;
  Integer content = tm.tmHeight;
  if (FEditImage->Images() && FEditImage->UseImageHeight() && FEditImage->Images()->Height() > content)
    content = FEditImage->Images()->Height();
  SetHeight(allowance + content);
}

TRect TCustomDBEditEh::GetButtonsRect() {
  Integer cw = ClientWidth(), ch = ClientHeight();
  if (!Ctl3D() && BorderStyle() == bsSingle) return {cw - FButtonsWidth - 1, 1, cw - 1, ch - 1};
  return {cw - FButtonsWidth, 0, cw, ch};
}

TRect TCustomDBEditEh::GetImageRect() { return {0, 0, FImageWidth, ClientHeight()}; }

TRect TCustomDBEditEh::GetPaintTextRect() {
  Integer cw = ClientWidth(), ch = ClientHeight();
  if (!Ctl3D() && BorderStyle() == bsSingle) return {FImageWidth + 1, 1, cw - FButtonsWidth - 2, ch - 1};
  return {FImageWidth, 0, cw - FButtonsWidth - 1, ch};
}

void TCustomDBEditEh::CalcTextAreaRect(TRect& Rect) {
  Rect = ClientRect();
  Rect.Right -= FButtonsWidth;
  if (FEditImage->Visible() && FEditImage->Images()) Rect.Left += FImageWidth;
}

void TCustomDBEditEh::ApplyTextAreaRect() {
  if (!HandleAllocated() || PasswordChar()) return;
  TRect r;
  CalcTextAreaRect(r);
  RECT rc = *r.AsRECT();
  SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rc));
  SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

void TCustomDBEditEh::GetTextMargins(Integer& LeftMargin, Integer& TopOffset) {
  Integer inset = BorderStyle() == bsNone ? 0 : Ctl3D() ? 1 : 2;
  DWORD margins = HandleAllocated() ? DWORD(SendMessageW(Handle(), EM_GETMARGINS, 0, 0)) : 0;
  LeftMargin = Integer(LOWORD(margins)) + inset;
  TopOffset = inset;
}

// ---------------------------------------------------------------------------
// The button row

TEditButtonControlEh* TCustomDBEditEh::CreateEditButtonControl() {
  auto* c = new TEditButtonControlEh(this);
  c->SetControlStyle(c->ControlStyle() + csReplicatable);
  c->SetWidth(10);
  c->SetHeight(17);
  c->SetVisible(true);
  c->SetTransparent(false);
  c->SetParent(this);
  return c;
}

void TCustomDBEditEh::LayoutButtonControl(size_t Index, TEditButtonEh* Button, Integer Height, Integer& CommonHeight) {
  TEditButtonControlLineRecEh& line = FButtonControlList[Index];
  TEditButtonControlEh* c = line.EditButtonControl;
  c->SetVisible(Button->Visible());
  c->SetEnabled(Button->Enabled());
  c->SetStyle(Button->Style());
  c->SetGlyph(Button->Glyph());
  c->SetNumGlyphs(TNumGlyphs(Button->NumGlyphs()));
  c->SetHint(Button->Hint());
  c->SetFlat(FFlat);
  Integer w = Button->Width();
  if (w <= 0) w = FFlat ? FlatButtonWidthEh : GetSystemMetrics(SM_CXVSCROLL);
  if (!Button->Visible()) w = 0;
  Integer h = Height;
  if (Button->Visible()) {
    if (h > (w * 3 + 1) / 2) h = DefaultEditButtonHeightEh(w, FFlat);
    CommonHeight = std::min(CommonHeight, h);
  }
  c->SetBounds(c->Left(), c->Top(), w, h);
  line.ButtonLine->SetVisible(Button->Visible() && FFlat);
  line.ButtonLine->SetWidth(1);
  c->OnButtonDown = [this](TObject* s, bool top, bool& autoRepeat, bool& handled) {
    EditButtonDown(s, top, autoRepeat, handled);
  };
  c->OnClick = [this](TObject* s) { EditButtonClick(s); };
  c->OnMouseMove = [this](TObject* s, TShiftState sh, Integer x, Integer y) { EditButtonMouseMove(s, sh, x, y); };
  c->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    EditButtonMouseUp(s, b, sh, x, y);
  };
  c->SetTag(Integer(Index));
}

void TCustomDBEditEh::UpdateButtonsLayout() {
  if (!HandleAllocated()) return;
  TRect rect = GetButtonsRect();
  Integer height = rect.Height();
  size_t wanted = size_t(FEditButtons->Count()) + 1;
  while (FButtonControlList.size() > wanted) {
    delete FButtonControlList.back().EditButtonControl;
    delete FButtonControlList.back().ButtonLine;
    FButtonControlList.pop_back();
  }
  while (FButtonControlList.size() < wanted) {
    TEditButtonControlLineRecEh line;
    line.EditButtonControl = CreateEditButtonControl();
    line.ButtonLine = new TShape(this);
    line.ButtonLine->SetParent(this);
    FButtonControlList.push_back(line);
  }
  Integer common = height;
  LayoutButtonControl(0, FEditButton.get(), height, common);
  for (Integer i = 0; i < FEditButtons->Count(); ++i) LayoutButtonControl(size_t(i) + 1, FEditButtons->Items(i), height, common);
  FButtonHeight = common;
  // From the far right back to the text: the last extra button at the
  // edge, the main button next to the text, each with its divider before it.
  Integer x = ClientWidth();
  for (size_t i = FButtonControlList.size(); i-- > 0;) {
    TEditButtonControlEh* c = FButtonControlList[i].EditButtonControl;
    TShape* divider = FButtonControlList[i].ButtonLine;
    if (!c->Visible()) continue;
    x -= c->Width();
    c->SetBounds(x, rect.Top, c->Width(), common);
    if (divider->Visible()) {
      x -= 1;
      divider->SetBounds(x, rect.Top, 1, common);
    }
  }
  FButtonsWidth = ClientWidth() - x;
}

void TCustomDBEditEh::UpdateEditButtonControlsState() {
  for (size_t i = 0; i < FButtonControlList.size(); ++i) {
    TEditButtonEh* b = i == 0 ? FEditButton.get() : FEditButtons->Items(Integer(i) - 1);
    TEditButtonControlEh* c = FButtonControlList[i].EditButtonControl;
    c->SetEnabled(IsEnabled() && b->Enabled());
    c->SetActive(FActive);
    FButtonControlList[i].ButtonLine->Pen()->SetColor(FActive ? clBtnFace : Color());
  }
}

void TCustomDBEditEh::ButtonsChanged() {
  if (!HandleAllocated()) return;
  UpdateButtonsLayout();
  UpdateEditButtonControlsState();
  ApplyTextAreaRect();
  Invalidate();
}

void TCustomDBEditEh::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
  if (CanFocus() && !Focused()) SetFocus();
  Handled = false;
  auto* c = dynamic_cast<TEditButtonControlEh*>(Sender);
  if (!c) return;
  auto popup = [&](TPopupMenu* menu) {
    TPoint p = c->ClientToScreen({menu->Alignment() == paRight ? c->Width() : 0, c->Height()});
    menu->Popup(p.X, p.Y);
    ClickIsOnButtonEh(c);
    c->Perform(WM_LBUTTONUP, 0, MAKELPARAM(0xFFFF, 0xFFFF));
  };
  if (c == MainButtonControl()) {
    if (OnButtonDown) OnButtonDown(this, TopButton, AutoRepeat, Handled);
    if (Handled) return;
    if (FEditButton->DropdownMenu()) popup(FEditButton->DropdownMenu());
    else if (!FEditButton->Action()) EditButtonDefaultAction(!TopButton);
    return;
  }
  Integer item = c->Tag() - 1;
  if (item < 0 || item >= FEditButtons->Count()) return;
  TEditButtonEh* b = FEditButtons->Items(item);
  if (b->OnDown) b->OnDown(Sender, TopButton, AutoRepeat, Handled);
  if (!Handled && b->DropdownMenu()) popup(b->DropdownMenu());
}

void TCustomDBEditEh::EditButtonClick(TObject* Sender) {
  bool handled = false;
  auto* c = dynamic_cast<TEditButtonControlEh*>(Sender);
  if (c && c == MainButtonControl()) {
    FEditButton->Click(Sender, handled);
    if (!handled && OnButtonClick) OnButtonClick(this, handled);
  } else if (c) {
    Integer item = c->Tag() - 1;
    if (item >= 0 && item < FEditButtons->Count()) FEditButtons->Items(item)->Click(Sender, handled);
  }
  // A second click on the button closes the list the first one opened.
  if (!handled && FDroppedDown && !FDropDownClick && c && c == MainButtonControl()) CloseUp(false);
  FDropDownClick = false;
}

void TCustomDBEditEh::EditButtonMouseMove(TObject*, TShiftState, Integer, Integer) {}

void TCustomDBEditEh::EditButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, Integer X, Integer Y) {
  auto* c = dynamic_cast<TControl*>(Sender);
  if (c && !c->ClientRect().Contains({X, Y})) FDropDownClick = false;
}

// ---------------------------------------------------------------------------
// Active state, flat border, painting

void TCustomDBEditEh::UpdateActiveState() {
  if (ComponentState().Contains(csLoading)) return;
  bool active = Designing() || (HandleAllocated() && Focused()) || FMouseAboveControl || FAlwaysShowBorder;
  if (active == FActive) return;
  FActive = active;
  if (FFlat && BorderStyle() == bsSingle && Ctl3D() && HandleAllocated()) PaintFlatBorder(nullptr, FActive);
  UpdateEditButtonControlsState();
}

void TCustomDBEditEh::PaintFlatBorder(HDC DC, bool Active) {
  if (!HandleAllocated()) return;
  HDC dc = DC ? DC : GetWindowDC(Handle());
  RECT wr;
  GetWindowRect(Handle(), &wr);
  RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  HBRUSH face = CreateSolidBrush(ColorToRGB(clBtnFace));
  if (Active) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  else FrameRect(dc, &r, face);
  InflateRect(&r, -1, -1);
  FrameRect(dc, &r, face);
  DeleteObject(face);
  if (!DC) ReleaseDC(Handle(), dc);
}

void TCustomDBEditEh::PaintEditImage(HDC DC) {
  if (!FEditImage->Visible() || !FEditImage->Images() || FEditImage->ImageIndex() < 0 || FImageWidth <= 0) return;
  TRect r = GetImageRect();
  r.Left += 2;
  r.Right -= 2;
  r.Top += 1;
  r.Bottom -= 1;
  DrawClippedImageEh(DC, r, FEditImage->Images(), FEditImage->ImageIndex(), false);
}

TControlCanvas* TCustomDBEditEh::GetPaintCanvas() {
  if (!FPaintCanvas) {
    FPaintCanvas = std::make_unique<TControlCanvas>();
    FPaintCanvas->SetControl(this);
  }
  return FPaintCanvas.get();
}

String TCustomDBEditEh::GetDisplayText() {
  if (Designing() && !FDataLink->IsLinkActive()) return Name();
  TField* f = FDataLink->GetMainField();
  if (ControlState().Contains(csPaintCopy) && f) {
    String s = f->DisplayText();
    if (CharCase() == ecUpperCase) s = AnsiUpperCaseEh(s);
    else if (CharCase() == ecLowerCase) s = AnsiLowerCaseEh(s);
    return s;
  }
  return EditText();
}

void TCustomDBEditEh::PaintWindow(HDC DC) {
  PaintEditImage(DC);
  TAlignment a = Alignment();
  TControlCanvas* canvas = GetPaintCanvas();
  canvas->Lock();
  canvas->SetHandle(DC);
  struct Release {
    TControlCanvas* C;
    ~Release() {
      C->SetHandle(nullptr);
      C->Unlock();
    }
  } release{canvas};
  bool copy = ControlState().Contains(csPaintCopy);
  if ((a == taLeftJustify || FFocused || FWordWrap) && !copy && !(Designing() && !IsDataIndependent())) {
    // The native edit paints the text; the highlight goes over its
    // background afterwards (outside the clipping the edit leaves behind).
    int saved = SaveDC(DC);
    TCustomMaskEdit::PaintWindow(DC);
    RestoreDC(DC, saved);
    PaintRequiredHighlight(canvas);
    return;
  }
  // Right-aligned or centred text of an edit that is not being edited: the
  // native edit would show it left-aligned, so the control paints it.
  canvas->Font()->Assign(Font());
  TRect r = ClientRect();
  if (!Ctl3D() && BorderStyle() == bsSingle) {
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(r);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  TRect t = GetPaintTextRect();
  r = {std::max(r.Left, t.Left), std::max(r.Top, t.Top), std::min(r.Right, t.Right), std::min(r.Bottom, t.Bottom)};
  canvas->Brush()->SetColor(Color());
  if (!IsEnabled()) canvas->Font()->SetColor(clGrayText);
  String text = GetDisplayText();
  if (PasswordChar()) {
    String masked;
    for (size_t i = 0, n = Utf8Length(text); i < n; ++i) masked += Utf8Encode(PasswordChar());
    text = masked;
  }
  Integer margin = 0, top = 0;
  GetTextMargins(margin, top);
  Integer width = canvas->TextWidth(text);
  Integer x = r.Left + margin;
  if (a == taRightJustify) x = r.Right - width - margin;
  else if (a == taCenter) x = r.Left + (r.Width() - width) / 2;
  canvas->TextRect(r, x, top, text);
  PaintRequiredHighlight(canvas);
}

void TCustomDBEditEh::PaintRequiredHighlight(TCanvas* Canvas) {
  bool draw = false;
  if (IsDataIndependent()) {
    draw = FHighlightRequired && (GetVariantValue().IsNull() || Text().empty());
  } else {
    TDataSet* ds = FDataLink->DataSet();
    TField* f = FDataLink->GetMainField();
    draw = FHighlightRequired && FDataLink->IsLinkActive() && ds && (ds->State() == dsEdit || ds->State() == dsInsert) &&
           f && f->Required() && f->IsNull();
  }
  if (OnCheckDrawRequiredState) OnCheckDrawRequiredState(this, draw);
  if (!draw) return;
  TRect r = GetPaintTextRect();
  Integer y = ClientHeight() - 1;
  Canvas->Pen()->SetColor(clRed);
  Canvas->Pen()->SetStyle(psDot);
  Canvas->MoveTo(r.Left + 2, y);
  Canvas->LineTo(r.Right - 3, y);
  Canvas->Pen()->SetStyle(psSolid);
}

void TCustomDBEditEh::UpdateImageIndex() {
  if (!FEditImage || !FEditImage->Visible() || !FEditImage->Images()) return;
  Integer index = GetDefaultImageIndex();
  Variant v = GetVariantValue();
  switch (v.Kind()) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
      try {
        index = Integer(std::lround(v.AsDouble()));
      } catch (...) {
      }
      break;
    default: break;
  }
  if (OnGetImageIndex) OnGetImageIndex(this, index);
  FEditImage->SetImageIndex(index);
}

bool TCustomDBEditEh::IsTextClipped() {
  TRect area;
  CalcTextAreaRect(area);
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(Font());
  TRect r{0, 0, std::max(area.Width(), 1), 0};
  DrawTextEh(scratch.Canvas()->Handle(), Text(), -1, r,
             DT_CALCRECT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  return r.Width() > area.Width() - 2 || r.Height() > area.Height();
}

// ---------------------------------------------------------------------------
// The list of recent texts

bool TCustomDBEditEh::MRUListOpen() const { return FMRUListbox && FMRUList->DroppedDown(); }

TMRUListboxEh* TCustomDBEditEh::CreateMRUListbox() { return new TMRUListboxEh(this); }

TMRUListboxEh* TCustomDBEditEh::GetMRUListbox() {
  if (!FMRUListbox) {
    FMRUListbox = CreateMRUListbox();
    FMRUListbox->SetVisible(false);
    FMRUListbox->SetSorted(true);
    FMRUListbox->SetCtl3D(false);
    FMRUListbox->SetParent(this);
    FMRUListbox->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
      MRUListboxMouseUp(s, b, sh, x, y);
    };
  }
  return FMRUListbox;
}

void TCustomDBEditEh::FilterMRUItem(const String& AItem, bool& Accept) {
  std::u16string text = Utf8ToUtf16(Text());
  String head = Utf16ToUtf8(Utf8ToUtf16(AItem).substr(0, text.size()));
  Accept = (FMRUList->CaseSensitive() ? AnsiCompareStrEh(head, Text()) : AnsiCompareTextEh(head, Text())) == 0;
  if (FMRUList->OnFilterItem) FMRUList->OnFilterItem(FMRUList.get(), Accept);
}

void TCustomDBEditEh::MRUListDropDown() {
  TMRUListboxEh* lb = GetMRUListbox();
  TStrings* items = lb->Items();
  bool complete = true;
  items->BeginUpdate();
  items->Clear();
  for (Integer i = 0; i < FMRUList->Items()->Count(); ++i) {
    String item = FMRUList->Items()->Strings(i);
    bool accept = false;
    FilterMRUItem(item, accept);
    if (accept) items->Add(item);
    MSG msg;
    if (i % 100 == 0 && FMRUList->CancelIfKeyInQueue() && PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) {
      complete = false;
      break;
    }
  }
  items->EndUpdate();
  if (!complete) {
    MRUListCloseUp(false);
    return;
  }
  Integer rows = std::min(items->Count(), FMRUList->Rows());
  // Under the text rectangle of the edit, in screen coordinates.
  RECT er{};
  SendMessageW(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&er));
  TPoint tl = ClientToScreen({er.left, 0}), br = ClientToScreen({er.right, ClientHeight()});
  TRect master{tl.X, tl.Y, br.X, br.Y};
  if (FMRUList->DroppedDown()) {
    if (items->Count() == 0) {
      MRUListCloseUp(false);
      return;
    }
    lb->SetRowCount(rows);
    TPoint p = FitDropDownToRectEh(master, lb, daLeft);
    SetWindowPos(lb->Handle(), HWND_TOP, p.X, p.Y, lb->Width(), lb->Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
    lb->UpdateScrollBar();
    return;
  }
  if (items->Count() == 0) return;
  lb->SetColor(Color());
  lb->SetFont(Font());
  lb->SetItemHeight(lb->GetFontTextHeight());
  lb->SetItemIndex(-1);
  lb->SetRowCount(rows);
  lb->SetWidth(FMRUList->Width() > 0 ? FMRUList->Width() : master.Width());
  TPoint p = FitDropDownToRectEh(master, lb, daLeft);
  lb->HandleNeeded();
  SetWindowPos(lb->Handle(), HWND_TOP, p.X, p.Y, lb->Width(), lb->Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
  lb->SizeGrip()->SetGripVisible(true);
  lb->UpdateScrollBar();
  FMRUList->SetDroppedDown(true);
  lb->SetSizeChanged(false);
  lb->SizeGrip()->OnParentResized = [this](TObject*) { MRUListboxResized(); };
}

void TCustomDBEditEh::MRUListCloseUp(bool Accept) {
  if (!FMRUList->DroppedDown() || !FMRUListbox) return;
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  bool hadFocus = FMRUListbox->HandleAllocated() && GetFocus() == FMRUListbox->Handle();
  if (FMRUListbox->HandleAllocated()) ShowWindow(FMRUListbox->Handle(), SW_HIDE);
  if (hadFocus) SetFocus();
  FMRUList->SetDroppedDown(false);
  if (Accept && !FReadOnly && FDataLink->StartEdit()) {
    Integer i = FMRUListbox->ItemIndex();
    if (i >= 0) {
      InternalSetText(FMRUListbox->Items()->Strings(i));
      if (Focused()) SelectAll();
    }
  }
}

void TCustomDBEditEh::MRUListboxMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  if (Button != mbLeft || !FMRUListbox) return;
  MRUListCloseUp(FMRUListbox->ClientRect().Contains({X, Y}));
}

void TCustomDBEditEh::MRUListboxResized() {
  if (!MRUListOpen()) return;
  FMRUList->SetRows(FMRUListbox->RowCount());
  FMRUList->SetWidth(FMRUListbox->Width());
}

void TCustomDBEditEh::UpdateMRUList() {
  String empty = IsMasked() ? FormatMaskText(EditMask(), "") : String();
  String text = Text();
  if (FMRUList->DroppedDown() && text == empty) {
    MRUListCloseUp(false);
    return;
  }
  if (FMRUList->Active() && Showing() && !FDroppedDown && text != empty && HandleAllocated() && Focused())
    FMRUList->DropDown();
}

// ---------------------------------------------------------------------------
// Messages of the visible side

bool TCustomDBEditEh::DispatchVisual(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      SetControlState(ControlState() + csCustomPaint);
      TCustomMaskEdit::Dispatch(Message);
      SetControlState(ControlState() - csCustomPaint);
      return true;
    case WM_NCPAINT:
      if (FFlat && BorderStyle() == bsSingle && Ctl3D()) {
        PaintFlatBorder(nullptr, FActive);
        Message.Result = 1;
        return true;
      }
      return false;
    case WM_SIZE:
      TCustomMaskEdit::Dispatch(Message);
      UpdateButtonsLayout();
      ApplyTextAreaRect();
      return true;
    case WM_SETCURSOR: {
      TPoint p = ScreenToClient(Mouse->CursorPos());
      if (GetButtonsRect().Contains(p) || (FImageWidth > 0 && GetImageRect().Contains(p))) {
        ::SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        Message.Result = 1;
        return true;
      }
      return false;
    }
    case WM_SETFOCUS:
      TCustomMaskEdit::Dispatch(Message);
      UpdateActiveState();
      Invalidate();
      return true;
    case WM_KILLFOCUS: {
      if (ComponentState().Contains(csDestroying)) return false;
      HWND to = reinterpret_cast<HWND>(Message.WParam);
      if (MRUListOpen() && !(FMRUListbox->HandleAllocated() && to == FMRUListbox->Handle())) MRUListCloseUp(false);
      TCustomMaskEdit::Dispatch(Message);
      UpdateActiveState();
      Invalidate();
      TControl* cap = GetCaptureControl();
      if (cap && cap != this && ContainsControl(cap)) cap->Perform(WM_CANCELMODE);
      return true;
    }
    case WM_LBUTTONDOWN:
      TCustomMaskEdit::Dispatch(Message);
      if (HandleAllocated() && GetCapture() == Handle() && !Focused()) ReleaseCapture();
      return true;
    case CM_MOUSEENTER:
      TCustomMaskEdit::Dispatch(Message);
      FMouseAboveControl = true;
      UpdateActiveState();
      return true;
    case CM_MOUSELEAVE:
      TCustomMaskEdit::Dispatch(Message);
      FMouseAboveControl = false;
      UpdateActiveState();
      return true;
    case CM_MOUSEWHEEL:
      if (MRUListOpen()) {
        Message.Result = FMRUListbox->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
        if (Message.Result) return true;
      }
      return false;
    case CM_CANCELMODE: {
      TCustomMaskEdit::Dispatch(Message);
      TControl* cap = GetCaptureControl();
      if (cap && cap != this && ContainsControl(cap)) cap->Perform(WM_CANCELMODE);
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      bool own = sender == this || (sender && ContainsControl(sender)) ||
                 (FMRUListbox && (sender == FMRUListbox || (sender && FMRUListbox->ContainsControl(sender))));
      if (!own && MRUListOpen()) MRUListCloseUp(false);
      return true;
    }
    case CM_HINTSHOW: {
      auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
      if (FTooltips && info && IsTextClipped()) {
        info->HintStr = Text();
        info->HintPos = ClientToScreen({0, ClientHeight()});
        info->HintData = Font();
        Message.Result = 0;
      } else if (!FShowHint) {
        Message.Result = 1;
      }
      return true;
    }
    case CM_PARENTSHOWHINTCHANGED:
      TCustomMaskEdit::Dispatch(Message);
      if (ParentShowHint() && Parent()) {
        FShowHint = Parent()->ShowHint();
        UpdateHintState();
      }
      return true;
    case CM_FONTCHANGED:
      TCustomMaskEdit::Dispatch(Message);
      if (ControlStyle().Contains(csFixedHeight) &&
          !(ComponentState().Contains(csLoading) && Designing()))
        AdjustHeight();
      ApplyTextAreaRect();
      return true;
    case CM_COLORCHANGED:
    case CM_ENABLEDCHANGED:
      TCustomMaskEdit::Dispatch(Message);
      UpdateEditButtonControlsState();
      return true;
    case CM_SYSCOLORCHANGE:
      TCustomMaskEdit::Dispatch(Message);
      ResetButtonBitmapCacheEh();
      return true;
    case CM_RECREATEWND:
      TCustomMaskEdit::Dispatch(Message);
      if (HandleAllocated() && Focused()) UpdateActiveState();
      return true;
  }
  return false;
}
