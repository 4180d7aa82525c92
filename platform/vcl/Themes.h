// The visual styles of the desktop (uxtheme): whether controls draw
// themselves themed, and the drawing of themed parts for the controls,
// painters and grids that draw their own. ThemeServices() is the one switch
// of the whole program: everything that paints asks it.
#pragma once
#include "VclWindows.h"
// Wine's uxtheme.h declares its functions without C linkage for C++; include
// it through this header everywhere so that every user agrees.
extern "C" {
#include <uxtheme.h>
}
#include <vssym32.h>
#include <functional>
#include <optional>
#include <utility>
#include <vector>
#include "Classes.h"
#include "Types.h"

class TWinControl;

// The visual-style classes, one theme handle each.
enum TThemedElement {
  teButton, teClock, teComboBox, teEdit, teExplorerBar, teHeader, teListView, teMenu, tePage, teProgress,
  teRebar, teScrollBar, teSpin, teStartPanel, teStatus, teTab, teTaskBand, teTaskBar, teToolBar, teToolTip,
  teTrackBar, teTrayNotify, teTreeview, teWindow
};
constexpr int ThemedElementCount = teWindow + 1;

// One themed part in one state; part and state numbers are those of the
// visual-style definitions (<vssym32.h>: BP_PUSHBUTTON, PBS_HOT, ...).
struct TThemedElementDetails {
  TThemedElement Element = teButton;
  Integer Part = 0;
  Integer State = 0;
};

class TThemeServices : public TObject {
  TOVANI_CLASS(TThemeServices, TObject)
 public:
  TThemeServices();
  ~TThemeServices() override;

  // The visual-styles service is there (uxtheme answers).
  bool ThemesAvailable() const { return FThemesAvailable; }
  // Controls are drawn themed: a theme is active for this program, or a
  // test forced it (SetThemesEnabledOverride).
  bool ThemesEnabled() const;

  // The theme handle of an element class, opened on first use; 0 while
  // themes are off or the class has no theme.
  HTHEME Theme(TThemedElement Element);
  static TThemedElementDetails GetElementDetails(TThemedElement Element, Integer Part, Integer State) {
    return {Element, Part, State};
  }

  // Each does nothing (or answers the plain value) while themes are off.
  void DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R, const TRect* ClipRect = nullptr);
  void DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags,
                TRect* ContentRect = nullptr);
  void DrawText(HDC DC, const TThemedElementDetails& Details, const String& S, TRect R, DWORD Flags, DWORD Flags2);
  void DrawParentBackground(HWND Window, HDC Target, const TThemedElementDetails* Details, bool OnlyIfTransparent,
                            const TRect* Bounds = nullptr);
  // The part of R inside the element's border (R itself while themes are off).
  TRect ContentRect(HDC DC, const TThemedElementDetails& Details, const TRect& BoundingRect);
  bool HasTransparentParts(const TThemedElementDetails& Details);
  // Draws the themed edit border over the sunken edge of a control with a
  // client edge; EraseLRCorner fills the corner between its two scroll bars.
  void PaintBorder(TWinControl* Control, bool EraseLRCorner);

  // Closes every theme handle and reads the active state again.
  void UpdateThemes();
  // The desktop's theme changed (WM_THEMECHANGED): handles are reopened on
  // next use and OnThemeChange runs.
  void ApplyThemeChange();
  TNotifyEvent OnThemeChange;
  // Further listeners of a theme change (libraries that keep theme handles of
  // their own), told after OnThemeChange in the order they were added. A
  // listener is keyed by its owner; adding again replaces it.
  void AddThemeChangeListener(const void* Owner, std::function<void()> Listener);
  void RemoveThemeChangeListener(const void* Owner);

  // The window that receives the desktop's WM_THEMECHANGED.
  HWND WindowHandle() const { return FWindow; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void CloseHandles();
  bool FThemesAvailable = false;
  bool FUseThemes = false;
  HTHEME FThemes[ThemedElementCount] = {};
  HWND FWindow = nullptr;
  std::vector<std::pair<const void*, std::function<void()>>> FChangeListeners;
};

// The program's one instance, made on first use.
TThemeServices* ThemeServices();
// Forces ThemesEnabled on or off (tests; std::nullopt: the desktop decides)
// and tells everything that listens, as a theme change would.
void SetThemesEnabledOverride(std::optional<bool> Enabled);
