// Painting of the small controls the grid library draws itself: edit-button
// faces, check boxes, clipped images and tree elements. Faces come from the
// desktop theme when themes are on, else from the classic frame-control and
// edge calls; each distinct face is rendered once into the cache.
#include <algorithm>
#include <cmath>
#include <vector>
#include "ImgList.h"
#include "ToolCtrlsEh.h"
#include "VclWindows.h"
#if __has_include("Themes.h")
#include "Themes.h"
#define TOVANI_HAVE_THEMES 1
#else
#include <commctrl.h>
#endif

TOVANI_IMPLEMENT_CLASS(TButtonBitmapInfoBitmapEh, TObject)
TOVANI_IMPLEMENT_CLASS(TButtonsBitmapCache, TObject)

Integer FlatButtonWidthEh = 0;
Integer CheckBoxWidthEh = 13;
Integer CheckBoxHeightEh = 13;

namespace {

// The library's start-up values, set once before first use.
struct ToolCtrlsPaintInit {
  ToolCtrlsPaintInit() {
    FlatButtonWidthEh = CalcFlatButtonWidthEh();
    MeasureCheckBoxEh();
  }
};
const ToolCtrlsPaintInit Init;

TRect Shrunk(TRect r, Integer d) { return {r.Left + d, r.Top + d, r.Right - d, r.Bottom - d}; }

// Narrows the clip region of a DC to a rectangle (logical units) and puts
// the previous region back when it goes out of scope.
class ClipTo {
 public:
  ClipTo(HDC dc, const TRect& r) : FDC(dc) {
    FSaved = CreateRectRgn(0, 0, 0, 0);
    FHad = GetClipRgn(dc, FSaved) == 1;
    POINT pts[2] = {{r.Left, r.Top}, {r.Right, r.Bottom}};
    LPtoDP(dc, pts, 2);
    HRGN rgn = CreateRectRgn(pts[0].x, pts[0].y, pts[1].x, pts[1].y);
    if (FHad) CombineRgn(rgn, rgn, FSaved, RGN_AND);
    SelectClipRgn(dc, rgn);
    DeleteObject(rgn);
  }
  ~ClipTo() {
    SelectClipRgn(FDC, FHad ? FSaved : nullptr);
    DeleteObject(FSaved);
  }
  ClipTo(const ClipTo&) = delete;
  ClipTo& operator=(const ClipTo&) = delete;

 private:
  HDC FDC;
  HRGN FSaved;
  bool FHad;
};

void FrameWithColor(HDC dc, const TRect& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  RECT rc = *r.AsRECT();
  FrameRect(dc, &rc, b);
  DeleteObject(b);
}

void FillWithColor(HDC dc, const TRect& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  RECT rc = *r.AsRECT();
  FillRect(dc, &rc, b);
  DeleteObject(b);
}

#ifdef TOVANI_HAVE_THEMES
void DrawThemed(HDC dc, TThemedElement element, int part, int state, const TRect& r) {
  ThemeServices()->DrawElement(dc, TThemeServices::GetElementDetails(element, part, state), r);
}
#endif

// The theme state in the order disabled, pressed, hot, normal.
int PickState(bool enabled, bool pressed, bool active, int disabled, int pressedState, int hot, int normal) {
  if (!enabled) return disabled;
  if (pressed) return pressedState;
  if (active) return hot;
  return normal;
}

UINT ClassicFlags(bool enabled, bool flat, bool pressed) {
  UINT f = 0;
  if (pressed) f |= DFCS_PUSHED;
  if (flat) f |= DFCS_FLAT;
  if (!enabled) f |= DFCS_INACTIVE;
  return f;
}

// The glyph of the ellipsis, plus and minus faces as filled rectangles,
// painted in one pass (enabled) or embossed in two (disabled).
void PaintGlyphRects(HDC dc, const std::vector<TRect>& rects, bool enabled) {
  auto pass = [&](int sysColor, Integer offset) {
    HGDIOBJ old = SelectObject(dc, GetSysColorBrush(sysColor));
    for (const TRect& r : rects)
      PatBlt(dc, r.Left + offset, r.Top + offset, r.Right - r.Left, r.Bottom - r.Top, PATCOPY);
    SelectObject(dc, old);
  };
  if (enabled) {
    pass(COLOR_BTNTEXT, 0);
  } else {
    pass(COLOR_BTNHIGHLIGHT, 1);
    pass(COLOR_BTNSHADOW, 0);
  }
}

// The background of the ellipsis, plus and minus faces; answers the glyph area.
TRect DrawButtonBackground(HDC dc, const TRect& rect, bool enabled, bool flat, bool active, bool pressed,
                           bool refillGlyphArea) {
  if (ThemesEnabledEh()) {
#ifdef TOVANI_HAVE_THEMES
    if (flat)
      DrawThemed(dc, teToolBar, TP_BUTTON, PickState(enabled, pressed, active, TS_DISABLED, TS_PRESSED, TS_HOT, TS_NORMAL),
                 rect);
    else
      DrawThemed(dc, teButton, BP_PUSHBUTTON,
                 PickState(enabled, pressed, active, PBS_DISABLED, PBS_PRESSED, PBS_HOT, PBS_NORMAL), rect);
#endif
    return Shrunk(rect, flat ? 1 : 2);
  }
  RECT rc = *rect.AsRECT();
  if (flat) {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    return Shrunk(rect, 1);
  }
  DrawEdge(dc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  TRect glyph = Shrunk(rect, 2);
  if (refillGlyphArea) {
    RECT g = *glyph.AsRECT();
    FillRect(dc, &g, GetSysColorBrush(COLOR_BTNFACE));
  }
  return glyph;
}

}  // namespace

bool ThemesEnabledEh() {
#ifdef TOVANI_HAVE_THEMES
  return ThemeServices()->ThemesEnabled();
#else
  return false;
#endif
}

TButtonsBitmapCache* ButtonBitmapCacheEh() {
  static TButtonsBitmapCache cache;
  return &cache;
}

void ResetButtonBitmapCacheEh() { ButtonBitmapCacheEh()->Clear(); }

TBitmap* TButtonsBitmapCache::GetButtonBitmap(TButtonBitmapKeyEh Key) {
  // Faces rendered under the other look (themes switched on or off) are
  // dropped, so that the one theme switch changes every face at once.
  bool themed = ThemesEnabledEh();
  if (themed != FThemed) {
    FItems.clear();
    FThemed = themed;
  }
  Key.Width = std::max(Key.Width, 0);
  Key.Height = std::max(Key.Height, 0);
  for (auto& item : FItems)
    if (item->Key == Key) return item->Bitmap.get();
  auto item = std::make_unique<TButtonBitmapInfoBitmapEh>();
  item->Key = Key;
  item->Bitmap = std::make_unique<TBitmap>();
  item->Bitmap->SetSize(Key.Width, Key.Height);
  if (Key.Width > 0 && Key.Height > 0) {
    HDC dc = item->Bitmap->Canvas()->Handle();
    TRect r{0, 0, Key.Width, Key.Height};
    if (Key.Kind == bfkCheckBox)
      DrawCheckBoxFaceEh(dc, r, TCheckBoxState(Key.State), Key.Enabled, Key.Flat, Key.Pressed, Key.Active);
    else if (Key.Kind <= bfkMinus)
      DrawButtonKindEh(dc, Key.Kind, r, Key.Enabled, Key.Flat, Key.Active, Key.Pressed, Key.Half);
  }
  FItems.push_back(std::move(item));
  return FItems.back()->Bitmap.get();
}

namespace {

void StretchFace(HDC dc, const TRect& r, const TButtonBitmapKeyEh& key) {
  TBitmap* bmp = ButtonBitmapCacheEh()->GetButtonBitmap(key);
  if (r.Width() <= 0 || r.Height() <= 0 || bmp->Width() <= 0 || bmp->Height() <= 0) return;
  StretchBlt(dc, r.Left, r.Top, r.Width(), r.Height(), bmp->Canvas()->Handle(), 0, 0, bmp->Width(), bmp->Height(),
             SRCCOPY);
}

}  // namespace

void PaintButtonFaceEh(HDC DC, TRect Rect, TColor Color, TButtonFaceKindEh Kind, Integer DownButton, bool Flat,
                       bool Active, bool Enabled, TCheckBoxState State) {
  if (Kind == bfkCheckBox) {
    Integer w = Rect.Width(), h = Rect.Height();
    if (w > h) {
      Rect.Left += (w - h) / 2;
      Rect.Right -= (w - h) / 2 + (w - h) % 2;
    } else if (h > w) {
      Rect.Top += (h - w) / 2;
      Rect.Bottom -= (h - w) / 2 + (h - w) % 2;
    }
    if (Flat) Rect = Shrunk(Rect, 1);
    TButtonBitmapKeyEh key{Rect.Width(), Rect.Height(), bfkCheckBox, Flat, DownButton != 0, Active, Enabled, 0,
                           uint8_t(State)};
    StretchFace(DC, Rect, key);
    if (Flat) {
      Rect = Shrunk(Rect, -1);
      if (Active) {
        RECT rc = *Rect.AsRECT();
        DrawEdge(DC, &rc, BDR_SUNKENINNER, BF_RECT);
      } else {
        FrameWithColor(DC, Rect, Color);
      }
    }
    return;
  }

  bool blendFrame = Flat && !Active && !ThemesEnabledEh();
  TRect face = blendFrame ? Shrunk(Rect, 1) : Rect;
  if (Kind == bfkUpDown) {
    Integer h = Rect.Height();
    TRect upper{Rect.Left, Rect.Top, Rect.Right, Rect.Top + h / 2};
    TRect lower{Rect.Left, Rect.Bottom - h / 2, Rect.Right, Rect.Bottom};
    if (blendFrame) {
      upper = Shrunk(upper, 1);
      lower = Shrunk(lower, 1);
    }
    StretchFace(DC, upper,
                {upper.Width(), upper.Height(), bfkUpDown, Flat, DownButton == 1, Active, Enabled, 0, 0});
    StretchFace(DC, lower,
                {lower.Width(), lower.Height(), bfkUpDown, Flat, DownButton == 2, Active, Enabled, 1, 0});
    if (h % 2 == 1 || blendFrame) {
      // The middle row between the halves (an odd height leaves exactly one
      // row that neither half covers).
      Integer row = Rect.Top + h / 2;
      TRect divider{face.Left, row, face.Right, row + 1};
      if (blendFrame) {
        divider.Top -= 1;
        divider.Bottom += 1;
      }
      FillWithColor(DC, divider, Color);
    }
  } else {
    StretchFace(DC, face, {face.Width(), face.Height(), Kind, Flat, DownButton != 0, Active, Enabled, 0, 0});
  }
  if (blendFrame) FrameWithColor(DC, Shrunk(face, -1), Color);
}

void DrawButtonKindEh(HDC DC, TButtonFaceKindEh Kind, TRect Rect, bool Enabled, bool Flat, bool Active, bool Pressed,
                      uint8_t Half) {
  bool themes = ThemesEnabledEh();
  bool clipEdge = Flat && Active && !themes;
  std::unique_ptr<ClipTo> clip;
  if (clipEdge) clip = std::make_unique<ClipTo>(DC, Shrunk(Rect, 1));
  // A flat classic face is drawn larger so that its 3-D edge falls outside.
  Integer grow = Flat && !themes ? (Active ? 1 : 2) : 0;
  TRect r = Shrunk(Rect, -grow);
  switch (Kind) {
    case bfkDropDown: DrawDropDownFaceEh(DC, r, Enabled, Flat, Active, Pressed); break;
    case bfkEllipsis: DrawEllipsisFaceEh(DC, r, Enabled, Active, Flat, Pressed); break;
    case bfkUpDown: DrawUpDownFaceEh(DC, r, Enabled, Flat, Active, Pressed, Half); break;
    case bfkPlus:
    case bfkMinus: DrawPlusMinusFaceEh(DC, r, Enabled, Active, Flat, Pressed, Kind == bfkPlus); break;
    default: break;
  }
  if (clipEdge) {
    clip.reset();
    RECT rc = *Rect.AsRECT();
    DrawEdge(DC, &rc, Pressed ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT);
  }
}

void DrawDropDownFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Flat, bool Active, bool Pressed) {
  if (ThemesEnabledEh()) {
#ifdef TOVANI_HAVE_THEMES
    DrawThemed(DC, teComboBox, CP_DROPDOWNBUTTON,
               PickState(Enabled, Pressed, Active, CBXS_DISABLED, CBXS_PRESSED, CBXS_HOT, CBXS_NORMAL), Rect);
#endif
    return;
  }
  RECT rc = *Rect.AsRECT();
  DrawFrameControl(DC, &rc, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | ClassicFlags(Enabled, Flat, Pressed));
}

void DrawUpDownFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Flat, bool Active, bool Pressed, uint8_t Half) {
  if (ThemesEnabledEh()) {
#ifdef TOVANI_HAVE_THEMES
    if (Half == 0)
      DrawThemed(DC, teSpin, SPNP_UP, PickState(Enabled, Pressed, Active, UPS_DISABLED, UPS_PRESSED, UPS_HOT, UPS_NORMAL),
                 Rect);
    else
      DrawThemed(DC, teSpin, SPNP_DOWN,
                 PickState(Enabled, Pressed, Active, DNS_DISABLED, DNS_PRESSED, DNS_HOT, DNS_NORMAL), Rect);
#endif
    return;
  }
  RECT rc = *Rect.AsRECT();
  DrawFrameControl(DC, &rc, DFC_SCROLL,
                   (Half == 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | ClassicFlags(Enabled, Flat, Pressed));
}

void DrawEllipsisFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Active, bool Flat, bool Pressed) {
  TRect g = DrawButtonBackground(DC, Rect, Enabled, Flat, Active, Pressed, false);
  Integer w = g.Width(), h = g.Height();
  Integer d = w > 7 ? 2 : 1;
  Integer gap = w < 12 ? 1 : 2;
  Integer p = Pressed ? 1 : 0;
  Integer x = g.Left + w / 2 + p - d / 2;
  Integer y = g.Top + h / 2 + p - d / 2;
  std::vector<TRect> dots;
  for (Integer dx : {x - gap - d, x, x + d + gap}) dots.push_back({dx, y, dx + d, y + d});
  PaintGlyphRects(DC, dots, Enabled);
}

void DrawPlusMinusFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Active, bool Flat, bool Pressed, bool IsPlus) {
  TRect g = DrawButtonBackground(DC, Rect, Enabled, Flat, Active, Pressed, true);
  Integer w = g.Width(), h = g.Height();
  Integer m = std::min(w, h);
  Integer len = std::max(m * 4 / 7, 1);
  Integer thick = std::max(len / 3, 1);
  if (Flat) len -= 1;
  if ((len & 1) != (m & 1)) len += 1;
  if (IsPlus && (len & 1) != (thick & 1)) len += m < 12 ? 1 : -1;
  if (len < 1) len = 1;
  Integer p = Pressed ? 1 : 0;
  Integer x = g.Left + (w - len) / 2 + p;
  Integer y = g.Top + (h - thick) / 2 + p;
  std::vector<TRect> bars{{x, y, x + len, y + thick}};
  if (IsPlus) {
    Integer o = len / 2 - thick / 2;
    bars.push_back({x + o, y - o, x + o + thick, y - o + len});
  }
  PaintGlyphRects(DC, bars, Enabled);
}

void DrawCheckBoxFaceEh(HDC DC, TRect Rect, TCheckBoxState State, bool Enabled, bool Flat, bool Pressed, bool Active) {
  Integer side = std::min(Rect.Width(), Rect.Height());
  Integer left = Rect.Left + (Rect.Width() - side) / 2, top = Rect.Top + (Rect.Height() - side) / 2;
  TRect sq{left, top, left + side, top + side};
  UINT bits = DFCS_BUTTONCHECK;
  if (State == cbChecked) bits |= DFCS_CHECKED;
  if (State == cbGrayed) bits |= DFCS_CHECKED | DFCS_BUTTON3STATE;
  if (!Enabled) bits |= DFCS_INACTIVE;
  if (Pressed) bits |= DFCS_PUSHED;
  std::unique_ptr<ClipTo> clip;
  if (Flat) {
    clip = std::make_unique<ClipTo>(DC, Shrunk(sq, 1));
    sq = Shrunk(sq, -1);
  }
  if (ThemesEnabledEh()) {
#ifdef TOVANI_HAVE_THEMES
    int state = State == cbChecked   ? (Enabled ? CBS_CHECKEDNORMAL : CBS_CHECKEDDISABLED)
                : State == cbGrayed ? (Enabled ? CBS_MIXEDNORMAL : CBS_MIXEDDISABLED)
                                    : (Enabled ? CBS_UNCHECKEDNORMAL : CBS_UNCHECKEDDISABLED);
    DrawThemed(DC, teButton, BP_CHECKBOX, state, Rect);
#endif
  } else {
    RECT rc = *sq.AsRECT();
    DrawFrameControl(DC, &rc, DFC_BUTTON, bits);
  }
  if (Flat) {
    clip.reset();
    sq = Shrunk(sq, 1);
    RECT rc = *sq.AsRECT();
    FrameRect(DC, &rc, GetSysColorBrush(Active ? COLOR_BTNFACE : COLOR_BTNSHADOW));
  }
}

Integer CalcFlatButtonWidthEh() {
  HDC dc = GetDC(nullptr);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  ReleaseDC(nullptr, dc);
  Integer v = Integer(std::nearbyint(tm.tmHeight / 3.0 * 2));
  if (v % 2 == 0) v += 1;
  return std::min(v, Integer(GetSystemMetrics(SM_CXVSCROLL)));
}

Integer DefaultEditButtonHeightEh(Integer ButtonWidth, bool Flat) {
  return Flat ? Integer(std::nearbyint(ButtonWidth * 3 / 2.0)) : ButtonWidth;
}

void MeasureCheckBoxEh() {
  HBITMAP bmp = LoadBitmapW(nullptr, MAKEINTRESOURCEW(32759));
  if (!bmp) return;
  BITMAP info{};
  if (GetObjectW(bmp, sizeof(info), &info)) {
    CheckBoxWidthEh = info.bmWidth / 4;
    CheckBoxHeightEh = info.bmHeight / 3;
  }
  DeleteObject(bmp);
}

TRect AlignCheckBoxRectEh(const TRect& Rect, TAlignment Alignment, TTextLayout Layout) {
  Integer w = std::min(CheckBoxWidthEh, Rect.Width());
  Integer h = std::min(CheckBoxHeightEh, Rect.Height());
  TRect r{Rect.Left, Rect.Top, Rect.Left + w, Rect.Top + h};
  if (Rect.Width() > CheckBoxWidthEh) {
    if (Alignment == taRightJustify) r.Left = Rect.Right - w;
    else if (Alignment == taCenter) r.Left = Rect.Left + Rect.Width() / 2 - w / 2;
    r.Right = r.Left + w;
  }
  if (Rect.Height() > CheckBoxHeightEh) {
    if (Layout == tlCenter) r.Top = Rect.Top + Rect.Height() / 2 - h / 2;
    else if (Layout == tlBottom) r.Top = Rect.Bottom - h;
    r.Bottom = r.Top + h;
  }
  return r;
}

namespace {
COLORREF ImageListColor(TColor c) {
  if (c == clNone) return CLR_NONE;
  if (c == clDefault) return CLR_DEFAULT;
  return ColorToRGB(c);
}
}  // namespace

void DrawClippedImageEh(HDC DC, const TRect& Rect, TCustomImageList* Images, Integer ImageIndex, bool Selected) {
  if (!Images || !Images->HandleAllocated()) return;
  Integer x = (Rect.Left + Rect.Right - Images->Width()) / 2;
  Integer y = (Rect.Top + Rect.Bottom - Images->Height()) / 2;
  TRect img{x, y, x + Images->Width(), y + Images->Height()};
  bool inside = img.Left >= Rect.Left && img.Top >= Rect.Top && img.Right <= Rect.Right && img.Bottom <= Rect.Bottom;
  std::unique_ptr<ClipTo> clip;
  if (!inside) clip = std::make_unique<ClipTo>(DC, Rect);
  UINT style = Images->ImageType() == itMask ? ILD_MASK : ILD_NORMAL;
  if (Selected) style |= ILD_SELECTED;
  ImageList_DrawEx(Images->Handle(), ImageIndex, DC, x, y, 0, 0, ImageListColor(Images->BkColor()),
                   Selected ? ImageListColor(clHighlight) : ImageListColor(Images->BlendColor()), style);
}

void DrawDottedLineEh(TCanvas* Canvas, TPoint Start, Integer Length, bool Horizontal, bool Parity) {
  if (Parity != (((Start.X + Start.Y) & 1) != 0)) {
    if (Horizontal) Start.X += 1;
    else Start.Y += 1;
    Length -= 1;
  }
  Integer penWidth = std::max(Canvas->Pen()->Width(), 1);
  Integer count = Length / (2 * penWidth) + Length % 2;
  if (count <= 0 || Length < 0) return;
  std::vector<POINT> pts;
  std::vector<DWORD> counts(size_t(count), 2);
  pts.reserve(size_t(count) * 2);
  for (Integer i = 0; i < count; ++i) {
    Integer x = Start.X + (Horizontal ? i * 2 * penWidth : 0);
    Integer y = Start.Y + (Horizontal ? 0 : i * 2 * penWidth);
    pts.push_back({x, y});
    pts.push_back(Horizontal ? POINT{x + 1, y} : POINT{x, y + 1});
  }
  // A one-point polyline draws nothing but selects the canvas pen.
  Canvas->Polyline({Start});
  PolyPolyline(Canvas->Handle(), pts.data(), counts.data(), DWORD(count));
}

void DrawTreeNodeGlyphEh(TCanvas* Canvas, const TRect& Rect, Integer Kind, bool DotParity, double ScaleX,
                         double ScaleY, bool RightToLeft) {
  Integer cx = (Rect.Left + Rect.Right) / 2, cy = (Rect.Top + Rect.Bottom) / 2;
  Integer x1 = Integer(std::lround(ScaleX)), x2 = Integer(std::lround(2 * ScaleX)), x4 = Integer(std::lround(4 * ScaleX));
  Integer y1 = Integer(std::lround(ScaleY)), y2 = Integer(std::lround(2 * ScaleY)), y4 = Integer(std::lround(4 * ScaleY));
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetColor(clBtnShadow);
  if (Kind >= 0 && Kind <= 5) {
    TRect box{cx - x4, cy - y4, cx + x4 + 1, cy + y4 + 1};
    if (RightToLeft) {
      box.Left -= 1;
      box.Right -= 1;
    }
    Canvas->Brush()->SetColor(clWindow);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Rectangle(box);
    Canvas->Pen()->SetColor(clWindowText);
    Canvas->Polyline({TPoint{box.Left + x2, cy}, TPoint{box.Right - x2, cy}});
    if (Kind >= 3) Canvas->Polyline({TPoint{cx, box.Top + y2}, TPoint{cx, box.Bottom - y2}});
    Canvas->Pen()->SetColor(clBtnShadow);
    DrawDottedLineEh(Canvas, {box.Right + x1, cy}, Rect.Right - box.Right, true, false);
    if (Kind == 0 || Kind == 1 || Kind == 3 || Kind == 4)
      DrawDottedLineEh(Canvas, {cx, Rect.Top}, box.Top - Rect.Top, false, DotParity);
    if (Kind == 0 || Kind == 2 || Kind == 3 || Kind == 5)
      DrawDottedLineEh(Canvas, {cx, box.Bottom + y1}, Rect.Bottom - box.Bottom, false, DotParity);
    return;
  }
  switch (Kind) {
    case 6:
    case 9: DrawDottedLineEh(Canvas, {cx, Rect.Top}, Rect.Height(), false, DotParity); break;
    case 7: DrawDottedLineEh(Canvas, {cx, Rect.Top}, cy - Rect.Top, false, DotParity); break;
    case 8: DrawDottedLineEh(Canvas, {cx, cy}, Rect.Bottom - cy, false, DotParity); break;
    default: return;
  }
  if (Kind >= 6 && Kind <= 8) DrawDottedLineEh(Canvas, {cx, cy}, Rect.Right - cx, true, DotParity);
}
