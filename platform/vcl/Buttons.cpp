#include "Buttons.h"
#include <algorithm>
#include "Forms.h"
#include "VclUtils.h"
#include "XPMan.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS_FACTORY(TBitBtn, TButton)
TOVANI_IMPLEMENT_CLASS_FACTORY(TSpeedButton, TGraphicControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TXPManifest, TComponent)
TOVANI_IMPLEMENT_ENUM_INFO(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")
TOVANI_IMPLEMENT_ENUM_INFO(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort",
                           "bkRetry", "bkIgnore", "bkAll")
TOVANI_IMPLEMENT_ENUM_INFO(TButtonState, "bsUp", "bsDisabled", "bsDown", "bsExclusive")

TOVANI_PUBLISHED(TBitBtn) {
  Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
  Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
  Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
  Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
  Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
  Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}

TOVANI_PUBLISHED(TSpeedButton) {
  Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
  Property("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption);
  Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
  Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
  Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
  Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
  Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
  Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
  Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(true);
}

TOVANI_PUBLISHED(TXPManifest) {}

void DrawButtonGlyphAndText(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, Integer NumGlyphs, TButtonState State,
                            const String& Caption, TButtonLayout Layout, Integer Margin, Integer Spacing, bool Enabled) {
  Integer gw = 0, gh = 0;
  Integer parts = std::clamp(NumGlyphs, 1, 4);
  bool hasGlyph = Glyph && !Glyph->Empty();
  if (hasGlyph) {
    gw = Glyph->Width() / parts;
    gh = Glyph->Height();
  }
  HDC dc = Canvas->Handle();
  std::u16string text = ToUtf16(Caption);
  RECT tr{0, 0, Client.Width(), 0};
  if (!text.empty()) DrawTextW(dc, W(text), int(text.size()), &tr, DT_CALCRECT | DT_SINGLELINE);
  Integer tw = text.empty() ? 0 : tr.right, th = text.empty() ? 0 : tr.bottom;
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  Integer space = (hasGlyph && tw > 0) ? Spacing : 0;
  Integer total = horizontal ? gw + space + tw : gh + space + th;
  Integer avail = horizontal ? Client.Width() : Client.Height();
  Integer start = Margin < 0 ? (avail - total) / 2 : Margin;
  TPoint gp, tp;
  if (horizontal) {
    Integer gy = Client.Top + (Client.Height() - gh) / 2, ty = Client.Top + (Client.Height() - th) / 2;
    if (Layout == blGlyphLeft) {
      gp = {Client.Left + start, gy};
      tp = {gp.X + gw + space, ty};
    } else {
      tp = {Client.Left + start, ty};
      gp = {tp.X + tw + space, gy};
    }
  } else {
    Integer gx = Client.Left + (Client.Width() - gw) / 2, tx = Client.Left + (Client.Width() - tw) / 2;
    if (Layout == blGlyphTop) {
      gp = {gx, Client.Top + start};
      tp = {tx, gp.Y + gh + space};
    } else {
      tp = {tx, Client.Top + start};
      gp = {gx, tp.Y + th + space};
    }
  }
  if (hasGlyph) {
    // The glyph of the state when there is one, else the first, grayed when disabled.
    Integer index = Integer(State) < parts ? Integer(State) : 0;
    TBitmap part(gw, gh, pf32bit);
    part.Canvas()->CopyRect(Rect(0, 0, gw, gh), Glyph->Canvas(), Rect(index * gw, 0, index * gw + gw, gh));
    part.SetTransparent(true);
    part.SetTransparentColor(Glyph->TransparentColor() & 0xFFFFFF);
    if (!Enabled && index == 0) {
      for (Integer y = 0; y < gh; ++y) {
        auto* row = static_cast<uint8_t*>(part.ScanLine(y));
        for (Integer x = 0; x < gw; ++x) {
          uint8_t* px = row + x * 4;
          if ((COLORREF(RGB(px[2], px[1], px[0])) & 0xFFFFFF) == COLORREF(part.TransparentColor() & 0xFFFFFF)) continue;
          uint8_t g = uint8_t((px[0] * 29 + px[1] * 150 + px[2] * 77) >> 8);
          g = uint8_t(128 + g / 2);
          px[0] = px[1] = px[2] = g;
        }
      }
    }
    Canvas->Draw(gp.X, gp.Y, &part);
  }
  if (!text.empty()) {
    SetBkMode(dc, TRANSPARENT);
    RECT r{tp.X, tp.Y, tp.X + tw, tp.Y + th};
    if (!Enabled) {
      SetTextColor(dc, ColorToRGB(clBtnHighlight));
      OffsetRect(&r, 1, 1);
      DrawTextW(dc, W(text), int(text.size()), &r, DT_SINGLELINE);
      OffsetRect(&r, -1, -1);
      SetTextColor(dc, ColorToRGB(clBtnShadow));
    } else {
      SetTextColor(dc, ColorToRGB(Canvas->Font()->Color()));
    }
    DrawTextW(dc, W(text), int(text.size()), &r, DT_SINGLELINE);
  }
}

// ---------------------------------------------------------------------------
// TBitBtn

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(new TBitmap), FCanvas(new TCanvas) {
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TBitBtn::~TBitBtn() { FGlyph->OnChange = nullptr; }

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(0x0F)) | BS_OWNERDRAW;
}

void TBitBtn::SetGlyph(TBitmap* v) {
  FGlyph->Assign(v);
  if (v && v->Width() > 0 && v->Height() > 0 && v->Width() % v->Height() == 0) FNumGlyphs = std::clamp(v->Width() / v->Height(), 1, 4);
  if (FKind != bkCustom && !ComponentState().Contains(csLoading)) FKind = bkCustom;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs v) {
  FNumGlyphs = std::clamp(v, 1, 4);
  Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind v) {
  FKind = v;
  if (v == bkCustom) return;
  static const char* captions[] = {"", "确定", "取消", "帮助", "是", "否", "关闭", "中止", "重试", "忽略", "全部"};
  static const TModalResult results[] = {mrNone, mrOk, mrCancel, mrNone, mrYes, mrNo, mrNone, mrAbort, mrRetry, mrIgnore, mrAll};
  SetCaption(captions[v]);
  SetModalResult(results[v]);
  if (v == bkOK || v == bkYes) SetDefault(true);
  if (v == bkCancel || v == bkNo) SetCancel(true);
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout v) {
  FLayout = v;
  Invalidate();
}
void TBitBtn::SetMargin(Integer v) {
  FMargin = v;
  Invalidate();
}
void TBitBtn::SetSpacing(Integer v) {
  FSpacing = v;
  Invalidate();
}

void TBitBtn::Click() {
  // Close closes the form it is on.
  if (FKind == bkClose) {
    if (TCustomForm* f = GetParentForm(this)) {
      f->Close();
      return;
    }
  }
  TButton::Click();
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& dis) {
  RECT r = dis.rcItem;
  HDC dc = dis.hDC;
  bool down = dis.itemState & ODS_SELECTED;
  bool focused = dis.itemState & ODS_FOCUS;
  bool enabled = !(dis.itemState & ODS_DISABLED);
  UINT state = DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0);
  if (FActive || focused) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  DrawFrameControl(dc, &r, DFC_BUTTON, state);
  FCanvas->SetHandle(dc);
  FCanvas->Font()->Assign(FFont.get());
  FCanvas->Handle();
  SelectObject(dc, FCanvas->Font()->Handle());
  TRect client{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
  if (down) OffsetRect(client, 1, 1);
  DrawButtonGlyphAndText(FCanvas.get(), client, FGlyph.get(), FNumGlyphs, !enabled ? bsDisabled : down ? bsDown : bsUp,
                         Caption(), FLayout, FMargin, FSpacing, enabled);
  if (focused) {
    RECT fr{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
    DrawFocusRect(dc, &fr);
  }
  FCanvas->SetHandle(nullptr);
}

void TBitBtn::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_DRAWITEM) {
    DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
    Message.Result = 1;
    return;
  }
  if (Message.Msg == CM_FOCUSCHANGED) {
    TButton::Dispatch(Message);
    Invalidate();
    return;
  }
  TButton::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(new TBitmap) {
  FControlStyle = {csCaptureMouse, csDoubleClicks};
  FWidth = 23;
  FHeight = 22;
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { FGlyph->OnChange = nullptr; }

void TSpeedButton::SetGlyph(TBitmap* v) {
  FGlyph->Assign(v);
  if (v && v->Width() > 0 && v->Height() > 0 && v->Width() % v->Height() == 0) FNumGlyphs = std::clamp(v->Width() / v->Height(), 1, 4);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs v) {
  FNumGlyphs = std::clamp(v, 1, 4);
  Invalidate();
}

void TSpeedButton::SetGroupIndex(Integer v) {
  FGroupIndex = v;
  UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !FParent) return;
  // Tells the other buttons of the group.
  for (TControl* c : FParent->ControlList())
    if (auto* b = dynamic_cast<TSpeedButton*>(c); b && b != this && b->FGroupIndex == FGroupIndex) {
      if (FDown && b->FDown) {
        b->FDown = false;
        b->FState = bsUp;
        b->Invalidate();
      }
      b->FAllowAllUp = FAllowAllUp;
    }
}

void TSpeedButton::SetDown(bool v) {
  if (FGroupIndex == 0) v = false;
  if (v == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = v;
  FState = v ? bsExclusive : bsUp;
  Invalidate();
  if (v) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  FAllowAllUp = v;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool v) {
  FFlat = v;
  Invalidate();
}
void TSpeedButton::SetTransparent(bool v) {
  FTransparent = v;
  if (v) FControlStyle -= csOpaque;
  else FControlStyle += csOpaque;
  Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout v) {
  FLayout = v;
  Invalidate();
}
void TSpeedButton::SetMargin(Integer v) {
  FMargin = v;
  Invalidate();
}
void TSpeedButton::SetSpacing(Integer v) {
  FSpacing = v;
  Invalidate();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && IsEnabled()) {
    if (!FDown) {
      FState = bsDown;
      Invalidate();
    }
    FDragging = true;
  }
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  TButtonState want = FDown ? bsExclusive : bsUp;
  if (ClientRect().Contains({X, Y})) want = FDown ? bsExclusive : bsDown;
  if (want != FState) {
    FState = want;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging) return;
  FDragging = false;
  bool inside = ClientRect().Contains({X, Y});
  if (FGroupIndex == 0) {
    FState = bsUp;
    Invalidate();
    if (inside) Click();
    return;
  }
  if (inside) {
    SetDown(!FDown);
    if (FDown || FAllowAllUp) Click();
  }
  FState = FDown ? bsExclusive : bsUp;
  Invalidate();
}

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      FMouseInControl = true;
      if (FFlat) Invalidate();
      break;
    case CM_MOUSELEAVE:
      FMouseInControl = false;
      if (FFlat) Invalidate();
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED: Invalidate(); break;
    case CM_DIALOGCHAR:
      if (IsAccel(Word(Message.WParam), Caption()) && IsEnabled() && Visible()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
  }
  TGraphicControl::Dispatch(Message);
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool enabled = IsEnabled();
  TButtonState state = enabled ? FState : bsDisabled;
  if (!FTransparent || !FFlat) {
    c->Brush()->SetColor(state == bsExclusive ? cl3DLight : clBtnFace);
    c->FillRect(r);
  }
  bool pushed = state == bsDown || state == bsExclusive;
  if (FFlat) {
    if (pushed) DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&r), BDR_SUNKENOUTER, BF_RECT);
    else if (FMouseInControl && enabled) DrawEdge(c->Handle(), reinterpret_cast<RECT*>(&r), BDR_RAISEDINNER, BF_RECT);
  } else {
    DrawFrameControl(c->Handle(), reinterpret_cast<RECT*>(&r), DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  }
  TRect client = r;
  InflateRect(client, -1, -1);
  if (pushed) OffsetRect(client, 1, 1);
  c->Font()->Assign(FFont.get());
  c->Handle();
  SelectObject(c->Handle(), c->Font()->Handle());
  DrawButtonGlyphAndText(c, client, FGlyph.get(), FNumGlyphs, state, Caption(), FLayout, FMargin, FSpacing, enabled);
}
