// The grid style: how selected and highlighted cells are coloured, soft
// selection mixing a cell's colour with the highlight colour on true-colour
// displays, and whether the focus rectangle is drawn.
#include <algorithm>
#include <cmath>

#include "DBGridEh.h"
#include "Forms.h"

TOVANI_IMPLEMENT_CLASS(TDBGridEhStyle, TPersistent)

TDBGridEhStyle* GetGlobalGridStyle() {
  static TDBGridEhStyle style;
  return &style;
}

namespace {

const wchar_t* StyleWindowClassName() { return reinterpret_cast<const wchar_t*>(u"TDBGridEhStyleUtilWindow"); }

}   // namespace

// The hidden window that hears the desktop's system messages for the style.
LRESULT CALLBACK TDBGridEhStyle::UtilityWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* style = reinterpret_cast<TDBGridEhStyle*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  if (!style) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  TMessage m{};
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  try {
    style->UtilityWndProc(m);
  } catch (...) {
    // Never through the window procedure: the application shows it.
    if (Application) Application->HandleException(nullptr);
    return 0;
  }
  return m.Result;
}

TDBGridEhStyle::TDBGridEhStyle() {
  static bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = reinterpret_cast<LPCWSTR>(StyleWindowClassName());
    return RegisterClassW(&wc) != 0;
  }();
  if (registered) {
    FUtilityWindow = CreateWindowExW(WS_EX_TOOLWINDOW, reinterpret_cast<LPCWSTR>(StyleWindowClassName()), nullptr,
                                     WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (FUtilityWindow) {
      SetWindowLongPtrW(FUtilityWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      SetWindowLongPtrW(FUtilityWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilityWindowProc));
    }
  }
  ColorDepthChanged();
}

void TDBGridEhStyle::UtilityWndProc(TMessage& Message) {
  if (Message.Msg == WM_SYSCOLORCHANGE) {
    ColorDepthChanged();
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcW(FUtilityWindow, Message.Msg, Message.WParam, Message.LParam);
}

TDBGridEhStyle::~TDBGridEhStyle() {
  if (FUtilityWindow && IsWindow(FUtilityWindow)) {
    SetWindowLongPtrW(FUtilityWindow, GWLP_USERDATA, 0);
    DestroyWindow(FUtilityWindow);
  }
  FUtilityWindow = nullptr;
  // The grids fall back to the global style (none when this is it).
  while (!FGridList.empty()) {
    TCustomDBGridEh* g = FGridList.back();
    FGridList.pop_back();
    g->FStyle = nullptr;
    if (this != GetGlobalGridStyle()) g->SetStyle(nullptr);
  }
}

void TDBGridEhStyle::AddGrid(TCustomDBGridEh* Grid) {
  if (!HasGrid(Grid)) FGridList.push_back(Grid);
}

bool TDBGridEhStyle::HasGrid(TCustomDBGridEh* Grid) const {
  return std::find(FGridList.begin(), FGridList.end(), Grid) != FGridList.end();
}

void TDBGridEhStyle::RemoveGrid(TCustomDBGridEh* Grid) {
  FGridList.erase(std::remove(FGridList.begin(), FGridList.end(), Grid), FGridList.end());
}

void TDBGridEhStyle::ColorDepthChanged() {
  HDC dc = GetDC(nullptr);
  FScreenColors = GetDeviceCaps(dc, NUMCOLORS);
  ReleaseDC(nullptr, dc);
}

TColor TDBGridEhStyle::MixHighlightColor(TColor Color, TColor MixColor, bool Contrast) {
  COLORREF c = ColorToRGB(Color), g = ColorToRGB(MixColor);
  auto mix = [Contrast](double a, double b) {
    double m = a + (b - a) * 0.5;
    m = m + (225 - m) * 0.6;
    if (Contrast) m = m - (122 - m) * 0.25;
    double r = std::nearbyint(m);   // halves to the even neighbour
    return Integer(std::max(0.0, std::min(r, 255.0)));
  };
  return TColor(RGB(mix(GetRValue(c), GetRValue(g)), mix(GetGValue(c), GetGValue(g)), mix(GetBValue(c), GetBValue(g))));
}

bool TDBGridEhStyle::HighlightDataCellColor(TCustomDBGridEh* Grid, Integer ACol, TFont* AFont, TColor& Background,
                                            TGridDrawState& State, Integer DataRow, Integer DataCol) {
  TGridDataLinkEh* link = Grid->DataLink();
  TDBGridEhSelection* sel = Grid->Selection();
  bool selected = link->Active() && sel->SelectionType() != gstNon &&
                  sel->IsCellSelected(DataCol, link->DataSet()->GetBookmark());
  bool currentRow = Grid->IsCurrentRecord(DataRow);
  bool rowSelect = Grid->Options().Contains(dgRowSelect);
  bool focus = false;
  if (!selected) {
    focus = Grid->HasFocus() && Grid->OptionsEh().Contains(dghHighlightFocus);
    if (Grid->OptionsEh().Contains(dghRowHighlight) && currentRow && sel->SelectionType() == gstNon &&
        ACol != Grid->Col()) {
      focus = true;
      State += gdSelected;
    }
    if (State.Contains(gdSelected) || (currentRow && rowSelect))
      selected = (Grid->Options().Contains(dgAlwaysShowSelection) || focus) && (Grid->UpdateLock() == 0 || rowSelect);
  }
  if (!selected) return false;
  bool currentCell = currentRow && (ACol == Grid->Col() || rowSelect);
  if (Grid->HasFocus()) {
    if (FSoftSelection && FScreenColors == -1 && !currentCell) {
      Background = TColor(GetNearestColor(Grid->Canvas()->Handle(),
                                          ColorToRGB(MixHighlightColor(Background, clHighlight, true))));
    } else {
      Background = clHighlight;
      if (AFont) AFont->SetColor(clHighlightText);
    }
  } else if (currentCell && (Grid->Options().Contains(dgAlwaysShowSelection) || focus)) {
    Background = clBtnShadow;
    if (AFont) AFont->SetColor(clHighlightText);
  } else if (FScreenColors == -1) {
    Background = TColor(GetNearestColor(Grid->Canvas()->Handle(),
                                        ColorToRGB(MixHighlightColor(Background, clBtnShadow, false))));
  } else {
    Background = clBtnFace;
  }
  return true;
}

bool TDBGridEhStyle::HighlightNoDataCellColor(TCustomDBGridEh* Grid, TFont* AFont, TColor& Background,
                                              bool Highlight, Integer HorzKind, Integer VertKind) {
  if (!Highlight) return false;
  if (HorzKind == TCustomDBGridEh::caIndicatorEh ||
      VertKind == TCustomDBGridEh::raTitleEh || VertKind == TCustomDBGridEh::raFilterEh) {
    Background = TColor(RGB(64, 64, 64));
    if (AFont) AFont->SetColor(clWhite);
  } else if (Grid->HasFocus()) {
    if (FSoftSelection && FScreenColors == -1) {
      Background = MixHighlightColor(Background, clHighlight, true);
    } else {
      Background = clHighlight;
      if (AFont) AFont->SetColor(clHighlightText);
    }
  } else if (FScreenColors == -1) {
    Background = MixHighlightColor(Background, clBtnShadow, false);
  } else {
    Background = clBtnFace;
  }
  return true;
}

// ---------------------------------------------------------------------------
// The grid's side

void TCustomDBGridEh::SetStyle(TDBGridEhStyle* v) {
  if (!v) v = GetGlobalGridStyle();
  if (v == FStyle) return;
  if (FStyle) FStyle->RemoveGrid(this);
  FStyle = v;
  FStyle->AddGrid(this);
  Invalidate();
}
