// Process-wide resources of the painters: the check-box size, the scroll-bar
// page patterns, the indicator images, the radio-button images, the system
// colour change listener and the registry of named style painters.
#include <algorithm>

#include "ImgList.h"
#include "SysUtils.h"
#include "cxLookAndFeelPainters.h"
#include "dxOffice11.h"

TOVANI_IMPLEMENT_CLASS(TcxRadioButtonImageList, TObject)
TOVANI_IMPLEMENT_CLASS(TcxSystemPaletteChangedNotifier, TObject)
TOVANI_IMPLEMENT_CLASS(TcxExtendedStylePainters, TObject)

// ---------------------------------------------------------------------------
// Check-box size and scroll-bar patterns

TSize cxCheckBoxSize() {
  static const TSize size = [] {
    // The system's check-box bitmap holds 4 x 3 glyphs.
    // OBM_CHECKBOXES (declared only under OEMRESOURCE).
    constexpr WORD CheckBoxesBitmap = 32759;
    HBITMAP bmp = LoadBitmapW(nullptr, MAKEINTRESOURCEW(CheckBoxesBitmap));
    BITMAP info{};
    TSize s(13, 13);
    if (bmp && GetObjectW(bmp, sizeof(info), &info) && info.bmWidth >= 4 && info.bmHeight >= 3)
      s = TSize(info.bmWidth / 4, info.bmHeight / 3);
    if (bmp) DeleteObject(bmp);
    return s;
  }();
  return size;
}

namespace {
std::unique_ptr<TBitmap>& PatternBitmap(bool ADark) {
  static std::unique_ptr<TBitmap> light, dark;
  return ADark ? dark : light;
}
}  // namespace

void cxPrepareScrollBarPatterns() {
  for (bool darkOne : {false, true}) {
    auto& b = PatternBitmap(darkOne);
    if (!b) b = std::make_unique<TBitmap>(8, 8, pf32bit);
    // Where x and y differ in parity: highlight (dark: dark shadow); elsewhere
    // the face (dark: black).
    const TColor differ = TColor(ColorToRGB(darkOne ? cl3DDkShadow : clBtnHighlight));
    const TColor same = TColor(ColorToRGB(darkOne ? clBlack : clBtnFace));
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) b->Canvas()->SetPixels(x, y, x % 2 != y % 2 ? differ : same);
  }
}

TBitmap* cxScrollBarPatternBitmap(bool ADark) {
  if (!PatternBitmap(ADark)) cxPrepareScrollBarPatterns();
  return PatternBitmap(ADark).get();
}

void cxRebuildScrollBarBitmaps() { cxPrepareScrollBarPatterns(); }

// ---------------------------------------------------------------------------
// Indicator images

namespace {
// The indicator glyphs, 9 x 9: '#' black, '.' white (transparent).
const char* const IndicatorGlyphs[6][9] = {
    // arrow: the current record
    {".........", "..#......", "..##.....", "..###....", "..####...", "..###....", "..##.....", "..#......",
     "........."},
    // edit: the record being edited (an I-beam)
    {".........", "..##.##..", "....#....", "....#....", "....#....", "....#....", "....#....", "..##.##..",
     "........."},
    // insert: a new record (an asterisk)
    {".........", "....#....", ".#..#..#.", "..#.#.#..", "...###...", "..#.#.#..", ".#..#..#.", "....#....",
     "........."},
    // multi-dot: a selected record
    {".........", ".........", ".........", "...###...", "...###...", "...###...", ".........", ".........",
     "........."},
    // multi-arrow: the current record among selected ones
    {".........", ".#.......", ".##......", ".###.....", ".####.##.", ".###..##.", ".##......", ".#.......",
     "........."},
    // filter: a funnel
    {".........", "#########", ".#######.", "..#####..", "...###...", "...###...", "...###...", "...##....",
     "........."}};
}  // namespace

TImageList* cxIndicatorImages() {
  static TImageList* images = [] {
    auto* list = new TImageList;
    list->SetSize(9, 9);
    for (const auto& glyph : IndicatorGlyphs) {
      TBitmap b(9, 9, pf24bit);
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) b.Canvas()->SetPixels(x, y, glyph[y][x] == '#' ? clBlack : clWhite);
      list->AddMasked(&b, clWhite);
    }
    return list;
  }();
  return images;
}

// ---------------------------------------------------------------------------
// Radio-button images

namespace {
// The painters' own primary colour-change notifier, made once.
void EnsurePaintersNotifier();
}  // namespace

namespace {
std::unique_ptr<TcxRadioButtonImageList>& RadioImages() {
  static std::unique_ptr<TcxRadioButtonImageList> images;
  return images;
}

// The mask and image of one radio glyph drawn at (X, Y): the mask keeps
// what lies outside the circle, the image (black outside) is added in.
void DrawMasked(HDC DC, Integer X, Integer Y, TBitmap* AImage, TBitmap* AMask) {
  const Integer w = AImage->Width(), h = AImage->Height();
  BitBlt(DC, X, Y, w, h, AMask->Canvas()->Handle(), 0, 0, SRCAND);
  BitBlt(DC, X, Y, w, h, AImage->Canvas()->Handle(), 0, 0, SRCPAINT);
}

bool IsBlack(COLORREF c) { return (c & 0xFFFFFF) == 0; }
}  // namespace

TcxRadioButtonImageList::TcxRadioButtonImageList() {
  Measure();
  BuildPattern();
  RenderImages();
}

TcxRadioButtonImageList::~TcxRadioButtonImageList() = default;

void TcxRadioButtonImageList::Measure() {
  const TSize cell = cxCheckBoxSize();
  TBitmap b(cell.cx, cell.cy, pf32bit);
  HDC dc = b.Canvas()->Handle();
  RECT r{0, 0, cell.cx, cell.cy};
  FillRect(dc, &r, HBRUSH(GetStockObject(BLACK_BRUSH)));
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONRADIOMASK | DFCS_FLAT);
  // The glyph's extent: the columns and rows holding a black pixel of the
  // mask, which is white around the circle.
  Integer x0 = -1, x1 = -1, y0 = -1, y1 = -1;
  for (Integer y = 0; y < cell.cy; ++y)
    for (Integer x = 0; x < cell.cx; ++x)
      if (IsBlack(COLORREF(b.Canvas()->Pixels(x, y)))) {
        if (x0 < 0 || x < x0) x0 = x;
        if (x > x1) x1 = x;
        if (y0 < 0) y0 = y;
        y1 = y;
      }
  if (x0 < 0 || x1 - x0 < 4 || y1 - y0 < 4) {
    // No usable mask from the system: a circle filling the cell.
    x0 = y0 = 0;
    x1 = cell.cx - 1;
    y1 = cell.cy - 1;
  }
  FOriginX = x0;
  FOriginY = y0;
  FWidth = x1 - x0 + 1;
  FHeight = y1 - y0 + 1;

  // The dot: the window-text pixels of the checked glyph around its middle.
  FillRect(dc, &r, HBRUSH(GetStockObject(BLACK_BRUSH)));
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED);
  const COLORREF text = ColorToRGB(clWindowText) & 0xFFFFFF;
  auto is = [&](Integer x, Integer y) {
    return x >= 0 && y >= 0 && x < cell.cx && y < cell.cy && (COLORREF(b.Canvas()->Pixels(x, y)) & 0xFFFFFF) == text;
  };
  const Integer cx = FOriginX + FWidth / 2 - 1, cy = FOriginY + FHeight / 2 - 1;
  Integer top = FOriginY + FHeight / 2 - 2;
  bool found = is(cx, top);
  while (is(cx, top - 1)) --top;
  Integer bottom = top + 1;
  while (is(cx, bottom)) ++bottom;
  Integer left = FOriginX + FWidth / 2 - 2;
  found = found && is(left, cy);
  while (is(left - 1, cy)) --left;
  Integer right = left + 1;
  while (is(right, cy)) ++right;
  if (!found || right - left < 2 || bottom - top < 2) {
    // A dot a third of the glyph, centred.
    const Integer d = std::max<Integer>(2, FWidth / 3);
    left = FOriginX + (FWidth - d) / 2;
    top = FOriginY + (FHeight - d) / 2;
    right = left + d;
    bottom = top + d;
  }
  FDot = TRect(left, top, right, bottom);
}

void TcxRadioButtonImageList::BuildPattern() {
  const Integer W = FWidth, H = FHeight;
  FPattern.assign(size_t(W * H), 0);
  auto at = [&](Integer x, Integer y) -> Byte& { return FPattern[size_t(y * W + x)]; };
  // Lower-right: below the diagonal from the bottom-left to the top-right
  // corner; on it, right of the middle column.
  auto lowerRight = [&](Integer x, Integer y, bool onDiagonalByMiddle) {
    const Integer a = (H - 1) * (W - x - 1), b = y * (W - 1);
    return a < b || (onDiagonalByMiddle && a == b && x > W / 2 - 1);
  };
  TBitmap b(W, H, pf32bit);
  TCanvas* c = b.Canvas();
  HDC dc = c->Handle();
  const RECT all{0, 0, W, H};
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  // 1. The outer ring.
  FillRect(dc, &all, HBRUSH(GetStockObject(WHITE_BRUSH)));
  RoundRect(dc, 0, 0, W, H, W - 1, H - 1);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x)
      if (IsBlack(COLORREF(c->Pixels(x, y)))) at(x, y) = lowerRight(x, y, false) ? 2 : 1;
  // 2. The body, from the middle outward on every inner row.
  for (Integer y = 1; y < H - 1; ++y) {
    for (Integer x = W / 2 - 1; x >= 0 && at(x, y) == 0; --x) at(x, y) = 5;
    for (Integer x = W / 2; x < W && at(x, y) == 0; ++x) at(x, y) = 5;
  }
  // 3. The inner ring: the last cell before the outer ring, walking out from
  // the middle along every inner row and column; every cell walked over on
  // the first and last inner rows and columns.
  auto isRing = [&](Integer x, Integer y) { return at(x, y) == 1 || at(x, y) == 2; };
  auto mark = [&](Integer x, Integer y) {
    if (!isRing(x, y)) at(x, y) = lowerRight(x, y, true) ? 4 : 3;
  };
  auto walk = [&](Integer x, Integer y, Integer dx, Integer dy, bool markAll) {
    Integer lx = -1, ly = -1;
    while (x >= 0 && y >= 0 && x < W && y < H && !isRing(x, y)) {
      if (markAll) mark(x, y);
      lx = x;
      ly = y;
      x += dx;
      y += dy;
    }
    if (lx >= 0) mark(lx, ly);
  };
  for (Integer y = 1; y < H - 1; ++y) {
    const bool edge = y == 1 || y == H - 2;
    walk(W / 2 - 1, y, -1, 0, edge);
    walk(W / 2, y, 1, 0, edge);
  }
  for (Integer x = 1; x < W - 1; ++x) {
    const bool edge = x == 1 || x == W - 2;
    walk(x, H / 2 - 1, 0, -1, edge);
    walk(x, H / 2, 0, 1, edge);
  }
  // 4. The dot.
  FillRect(dc, &all, HBRUSH(GetStockObject(WHITE_BRUSH)));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  const TRect dot = cxShiftedRect(FDot, -FOriginX, -FOriginY);
  RoundRect(dc, dot.Left, dot.Top, dot.Right, dot.Bottom, dot.Right - dot.Left, dot.Bottom - dot.Top);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x)
      if (IsBlack(COLORREF(c->Pixels(x, y)))) at(x, y) = 6;
}

namespace {
// The seven colours of the regions of one combination.
void ColorMap(TcxLookAndFeelKind AKind, TcxButtonState AState, bool AChecked, bool AFocused, bool AIsDesigning,
              TColor (&AMap)[7]) {
  const bool disabled = AState == cxbsDisabled, hotOrPressed = AState == cxbsHot || AState == cxbsPressed;
  TColor body;
  if (AKind == lfOffice11) body = AState == cxbsNormal ? clWindow : cxOffice11Painter()->GetButtonFaceColor(AState);
  else if (disabled) body = clBtnFace;
  else if (AKind == lfUltraFlat)
    body = AState == cxbsHot ? cxLightHotColor() : AState == cxbsPressed ? cxLightPressedColor() : clWindow;
  else body = AState == cxbsPressed ? clBtnFace : clWindow;
  AMap[0] = clBlack;
  AMap[5] = body;
  switch (AKind) {
    case lfFlat:
    case lfStandard:
      AMap[1] = clBtnShadow;
      AMap[2] = clBtnHighlight;
      AMap[3] = AKind == lfFlat ? cl3DLight : cl3DDkShadow;
      AMap[4] = cl3DLight;
      break;
    case lfUltraFlat: {
      const bool highlighted = AFocused || hotOrPressed || (AIsDesigning && !disabled);
      AMap[1] = AMap[2] = highlighted ? clHighlight : clBtnShadow;
      AMap[3] = AMap[4] = body;
      break;
    }
    case lfOffice11: {
      const bool highlighted = AFocused || hotOrPressed || AIsDesigning;
      AMap[1] = AMap[2] = disabled      ? Office2003DisabledTextColor()
                          : highlighted ? Office2003FocusFrameColor()
                                        : clBtnText;
      AMap[3] = AMap[4] = body;
      break;
    }
  }
  if (!AChecked) AMap[6] = body;
  else if (disabled) AMap[6] = AKind == lfOffice11 ? Office2003DisabledTextColor() : clBtnShadow;
  else AMap[6] = clWindowText;
}
}  // namespace

void TcxRadioButtonImageList::RenderImages() {
  const Integer W = FWidth, H = FHeight;
  FImages.clear();
  FMask = std::make_unique<TBitmap>(W, H, pf32bit);
  FMask->Canvas()->Brush()->SetColor(clWhite);
  FMask->Canvas()->FillRect(TRect(0, 0, W, H));
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x)
      if (FPattern[size_t(y * W + x)] != 0) FMask->Canvas()->SetPixels(x, y, clBlack);
  for (int focused = 0; focused < 2; ++focused)
    for (int designing = 0; designing < 2; ++designing)
      for (int kind = lfFlat; kind <= lfOffice11; ++kind)
        for (int checked = 0; checked < 2; ++checked)
          for (int state = cxbsNormal; state <= cxbsDisabled; ++state) {
            TColor map[7];
            ColorMap(TcxLookAndFeelKind(kind), TcxButtonState(state), checked, focused, designing, map);
            COLORREF rgb[7];
            for (int i = 0; i < 7; ++i) rgb[i] = ColorToRGB(map[i]);
            rgb[0] = 0;
            auto image = std::make_unique<TBitmap>(W, H, pf32bit);
            TRGBColors pixels(size_t(W * H));
            for (Integer i = 0; i < W * H; ++i) pixels[size_t(i)] = cxColorToRGBQuad(TColor(rgb[FPattern[size_t(i)]]));
            cxSetBitmapPixels(image.get(), pixels, true);
            const Integer combination = (state - 1) + 4 * checked + 8 * kind + 32 * designing + 64 * focused;
            FIndexes[combination] = Integer(FImages.size());
            FImages.push_back(std::move(image));
          }
}

void TcxRadioButtonImageList::Reset() { RenderImages(); }

Integer TcxRadioButtonImageList::ImageIndexOf(TcxLookAndFeelKind AKind, TcxButtonState AState, bool AChecked,
                                              bool AFocused, bool AIsDesigning) const {
  const Integer state = AState == cxbsDefault ? cxbsNormal : AState;
  return FIndexes[(state - 1) + 4 * AChecked + 8 * AKind + 32 * AIsDesigning + 64 * AFocused];
}

void TcxRadioButtonImageList::Draw(TcxCanvas* ACanvas, Integer X, Integer Y, TcxLookAndFeelKind AKind,
                                   TcxButtonState AState, bool AChecked, bool AFocused, TColor ABrushColor,
                                   bool AIsDesigning) {
  TBitmap* image = FImages[size_t(ImageIndexOf(AKind, AState, AChecked, AFocused, AIsDesigning))].get();
  if (ABrushColor == clDefault || ABrushColor == clNone) {
    DrawMasked(ACanvas->Handle(), X, Y, image, FMask.get());
    return;
  }
  TBitmap b(FWidth, FHeight, pf32bit);
  b.Canvas()->Brush()->SetColor(ABrushColor);
  b.Canvas()->FillRect(TRect(0, 0, FWidth, FHeight));
  DrawMasked(b.Canvas()->Handle(), 0, 0, image, FMask.get());
  BitBlt(ACanvas->Handle(), X, Y, FWidth, FHeight, b.Canvas()->Handle(), 0, 0, SRCCOPY);
}

TcxRadioButtonImageList* cxGetRadioButtonImageList() {
  EnsurePaintersNotifier();
  auto& images = RadioImages();
  if (!images) images = std::make_unique<TcxRadioButtonImageList>();
  return images.get();
}

bool cxRadioButtonImageListExists() { return RadioImages() != nullptr; }

// ---------------------------------------------------------------------------
// System colour changes

namespace {
struct TPaletteListener;
TPaletteListener*& ListenerInstance() {
  static TPaletteListener* listener = nullptr;
  return listener;
}

const wchar_t* ListenerClassName() { return reinterpret_cast<const wchar_t*>(u"TovaniPaletteListener"); }

struct TPaletteListener {
  HWND Window = nullptr;
  std::vector<TcxSystemPaletteChangedNotifier*> Primary, Others;

  TPaletteListener() {
    dxAddRefOffice2003Colors();
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(inst, ListenerClassName(), &wc)) {
      wc.lpfnWndProc = WindowProc;
      wc.hInstance = inst;
      wc.lpszClassName = ListenerClassName();
      RegisterClassW(&wc);
    }
    // A hidden top-level window: WM_SYSCOLORCHANGE goes to top-level windows.
    Window = CreateWindowExW(WS_EX_TOOLWINDOW, ListenerClassName(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst,
                             nullptr);
  }
  ~TPaletteListener() {
    if (Window) DestroyWindow(Window);
    dxReleaseOffice2003Colors();
  }

  void PaletteChanged() {
    dxRecalcOffice2003Colors();
    // Last registered first; a notifier may go away while others are told.
    for (auto* list : {&Primary, &Others}) {
      const std::vector<TcxSystemPaletteChangedNotifier*> copy = *list;
      for (auto it = copy.rbegin(); it != copy.rend(); ++it)
        if (std::find(list->begin(), list->end(), *it) != list->end()) (*it)->NotifyPaletteChanged();
    }
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOLORCHANGE && ListenerInstance()) {
      try {
        ListenerInstance()->PaletteChanged();
      } catch (...) {
        // Never through the window procedure.
      }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
};

// The painters' own primary notifier: the radio images take the new colours
// before any look-and-feel announces its change.
class TSystemPaletteChangedNotifier : public TcxSystemPaletteChangedNotifier {
 public:
  TSystemPaletteChangedNotifier() : TcxSystemPaletteChangedNotifier(true) {}
  void NotifyPaletteChanged() override {
    if (cxRadioButtonImageListExists()) cxGetRadioButtonImageList()->Reset();
    TcxSystemPaletteChangedNotifier::NotifyPaletteChanged();
  }
};

void EnsurePaintersNotifier() {
  static bool creating = false;
  static TSystemPaletteChangedNotifier* notifier = nullptr;
  if (notifier || creating) return;
  creating = true;
  notifier = new TSystemPaletteChangedNotifier;  // lives to the end of the program
  creating = false;
}
}  // namespace

TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(bool AIsPrimary) : FIsPrimary(AIsPrimary) {
  EnsurePaintersNotifier();
  TPaletteListener*& listener = ListenerInstance();
  if (!listener) listener = new TPaletteListener;
  (AIsPrimary ? listener->Primary : listener->Others).push_back(this);
}

TcxSystemPaletteChangedNotifier::~TcxSystemPaletteChangedNotifier() {
  TPaletteListener*& listener = ListenerInstance();
  if (!listener) return;
  std::erase(listener->Primary, this);
  std::erase(listener->Others, this);
  if (listener->Primary.empty() && listener->Others.empty()) {
    delete listener;
    listener = nullptr;
  }
}

void TcxSystemPaletteChangedNotifier::NotifyPaletteChanged() {
  if (OnPaletteChanged) OnPaletteChanged();
}

HWND cxSystemPaletteChangedListenerWindow() {
  EnsurePaintersNotifier();
  return ListenerInstance() ? ListenerInstance()->Window : nullptr; }

// ---------------------------------------------------------------------------
// Named style painters

void TcxExtendedStylePainters::Register(const String& AName, TcxLookAndFeelPainterClass APainter) {
  auto it = std::find_if(FPainters.begin(), FPainters.end(),
                         [&](const auto& e) { return AnsiCompareText(e.first, AName) == 0; });
  if (it != FPainters.end()) it->second = APainter;
  else FPainters.emplace_back(AName, APainter);
  NotifyListeners();
}

void TcxExtendedStylePainters::Unregister(const String& AName) {
  const auto before = FPainters.size();
  std::erase_if(FPainters, [&](const auto& e) { return AnsiCompareText(e.first, AName) == 0; });
  if (FPainters.size() != before) NotifyListeners();
}

bool TcxExtendedStylePainters::FindPainter(const String& AName, TcxLookAndFeelPainterClass& APainter) const {
  for (const auto& e : FPainters)
    if (AnsiCompareText(e.first, AName) == 0) {
      APainter = e.second;
      return true;
    }
  APainter = nullptr;
  return false;
}

void TcxExtendedStylePainters::AttachListener(IcxStylePainterListener* AListener) {
  if (AListener && !HasListener(AListener)) FListeners.push_back(AListener);
}

void TcxExtendedStylePainters::DetachListener(IcxStylePainterListener* AListener) { std::erase(FListeners, AListener); }

bool TcxExtendedStylePainters::HasListener(IcxStylePainterListener* AListener) const {
  return std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end();
}

void TcxExtendedStylePainters::NotifyListeners() {
  const auto listeners = FListeners;
  for (IcxStylePainterListener* l : listeners)
    if (HasListener(l)) l->PainterChanged();
}

TcxExtendedStylePainters* cxStylePainterRegistry() {
  static TcxExtendedStylePainters* registry = new TcxExtendedStylePainters;
  return registry;
}
