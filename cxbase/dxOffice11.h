// The colours of the Office-2003 look: fixed tables while the desktop runs
// the standard visual style in its blue, olive or silver scheme, otherwise
// percentages of the current system colours. Beside them the brushes and the
// expand-button images made from them, a two-colour gradient fill and the
// dotted size grip.
#pragma once
#include "Graphics.h"
#include "cxGeometry.h"

// 0 none, 1 blue, 2 olive, 3 silver.
Integer dxOffice2003Scheme();
bool dxIsOffice2003SchemeActive();
// The scheme of the desktop's visual style as it is now.
Integer dxDetectOffice2003Scheme();

// The first reference computes the colours and makes the brushes and
// bitmaps; the last release frees them.
void dxAddRefOffice2003Colors();
void dxReleaseOffice2003Colors();
// Computes the colours again (system colours or visual style changed) and,
// while referenced, makes the brushes and bitmaps again.
void dxRecalcOffice2003Colors();
Integer dxOffice2003ColorsRefCount();

// Colour roles (RGB values). Read before any reference they are computed
// once from the current desktop.
TColor Office2003FaceColor();
TColor Office2003LightFaceColor();
TColor Office2003HeaderStartColor();
TColor Office2003HeaderEndColor();
TColor Office2003HeaderShadowColor();
TColor Office2003HeaderLightEdgeColor();
TColor Office2003PanelColor();
TColor Office2003PanelTextColor();
TColor Office2003BorderColor();
TColor Office2003FocusFrameColor();
TColor Office2003HotColor();
TColor Office2003HotEndColor();
TColor Office2003PressedColor();
TColor Office2003PressedEndColor();
TColor Office2003TextColor();
TColor Office2003DisabledTextColor();
TColor Office2003GroupRowColor();
TColor Office2003SelectionColor();
TColor Office2003DarkBorderColor();
TColor Office2003ControlColor();
TColor Office2003GripDarkColor();
TColor Office2003GripLightColor();
TColor Office2003GroupingPanelColor();
// The 50 % mix of the header start and end colours (the Office-2003
// painter's header colour).
TColor dxOffice2003HeaderMiddleColor();
// The two ends of an Office-2003 panel's gradient (a group box's panel):
// the header start and end colours of the scheme.
TColor dxOffice2003PanelGradientColor1();
TColor dxOffice2003PanelGradientColor2();

// The 11 x 11 expand-button images (minus when expanded, plus when not);
// null while the colours are not referenced.
TBitmap* dxOffice2003ExpandButtonBitmap(bool AExpanded);
// Brushes of the size-grip colours; null while not referenced.
HBRUSH dxOffice2003GripDarkBrush();
HBRUSH dxOffice2003GripLightBrush();

// Per channel: APercent of A and the rest of B, the nearest colour the
// screen shows.
TColor dxMixColors(TColor A, TColor B, Integer APercent);
// A two-colour gradient over R, left to right when AHorizontal, else top to
// bottom; one solid fill for equal colours.
void dxPaintGradient(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2);
// The gradient as at most 256 solid bands (where GradientFill is missing).
void dxPaintGradientBands(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2);
// Three rows of dots (three, two, one) in the bottom-right corner of R;
// clDefault takes the grip colours of the scheme.
void dxPaintOffice2003SizeGrip(HDC DC, const TRect& R, TColor ADarkColor = clDefault, TColor ALightColor = clDefault);
