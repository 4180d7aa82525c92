// One open theme handle per visual-style class for the painters, closed all
// at once when the user changes the visual style, and the objects told about
// that change. Every native-style decision of the library starts here: are
// visual styles active (the class library's ThemeServices switch), and can
// the theme of a given class be opened.
#pragma once
#include <functional>

#include "dxUxTheme.h"

enum TdxThemeObjectKind {
  totButton, totClock, totComboBox, totEdit, totExplorerBar, totHeader, totListBox, totListView, totMenu, totPage,
  totProgress, totRebar, totScrollBar, totSpin, totStartPanel, totStatus, totTab, totTaskBand, totTaskBar,
  totToolBar, totToolTip, totTrackBar, totTrayNotify, totTreeView, totWindow
};
constexpr int dxThemeObjectKindCount = totWindow + 1;
// A set of kinds: bit i for kind i.
using TdxThemeObjectKinds = uint32_t;
constexpr TdxThemeObjectKinds dxThemeKindBit(TdxThemeObjectKind AKind) { return 1u << AKind; }

// Visual styles active and the library loaded; with a mask, every kind in it
// must also open.
bool dxVisualStylesEnabled(TdxThemeObjectKinds AKinds = 0);
bool dxCanUseTheme(TdxThemeObjectKind AKind);
// The cached handle of the kind (0 when none). A class list other than the
// stored one (compared case-insensitively) reopens the kind with it; null
// keeps whatever list the kind was opened with.
HTHEME dxOpenThemeHandle(TdxThemeObjectKind AKind, const char16_t* AClassList = nullptr);
// 1 while visual styles are off, 0 without an open handle, else the result
// of closing it.
Integer dxCloseThemeHandle(TdxThemeObjectKind AKind);
void dxCloseAllThemeHandles();

// Told after a visual-style change, in the order of construction (the
// scroll bars own one each).
class TdxThemeChangedNotificator : public TObject {
  TOVANI_CLASS(TdxThemeChangedNotificator, TObject)
 public:
  TdxThemeChangedNotificator();
  ~TdxThemeChangedNotificator() override;
  std::function<void()> OnThemeChanged;
};
