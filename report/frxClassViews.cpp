// Views: frames, backgrounds and shadows of every visible report object,
// shapes, highlights and display formats, lines with arrow heads and
// pictures.
#include <windows.h>
#undef GetProp
#undef SetProp

#include <algorithm>
#include <cmath>

#include "Jpeg.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxRes.h"
#include "frxUtils.h"
#include "frxXML.h"
#include "frxpngimage.h"

TOVANI_IMPLEMENT_ENUM_INFO(TfrxShiftMode, "smDontShift", "smAlways", "smWhenOverlapped")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxStretchMode, "smDontStretch", "smActualHeight", "smMaxHeight")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxShapeKind, "skRectangle", "skRoundRectangle", "skEllipse", "skTriangle", "skDiamond",
                           "skDiagonal1", "skDiagonal2")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxFormatKind, "fkText", "fkNumeric", "fkDateTime", "fkBoolean")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxDuplexMode, "dmNone", "dmVertical", "dmHorizontal", "dmSimplex")

TOVANI_IMPLEMENT_CLASS(TfrxView, TfrxReportComponent)
TOVANI_IMPLEMENT_CLASS(TfrxStretcheable, TfrxView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxShapeView, TfrxView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxHighlight, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxFormat, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxCustomLineView, TfrxStretcheable)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxLineView, TfrxCustomLineView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPictureView, TfrxView)

namespace {

Integer Rnd(Extended x) { return Integer(std::nearbyint(x)); }

String Attr(const char* Name, const String& Value) { return String(" ") + Name + "=\"" + Value + "\""; }
String Attr(const String& Name, const String& Value) { return " " + Name + "=\"" + Value + "\""; }

}  // namespace

// ---------------------------------------------------------------------------
// TfrxView

TOVANI_PUBLISHED(TfrxView) {
  Property("Align", &TfrxView::Align, &TfrxView::SetAlign).Default(baNone);
  Property("Printable", &TfrxView::Printable, &TfrxView::SetPrintable).Default(true);
  Property("ShiftMode", &TfrxView::ShiftMode, &TfrxView::SetShiftMode).Default(smAlways);
  Property("Left", &TfrxView::Left, &TfrxView::SetLeft);
  Property("Top", &TfrxView::Top, &TfrxView::SetTop);
  Property("Width", &TfrxView::Width, &TfrxView::SetWidth);
  Property("Height", &TfrxView::Height, &TfrxView::SetHeight);
  Property("GroupIndex", &TfrxView::GroupIndex, &TfrxView::SetGroupIndex).Default(0);
  Property("Restrictions", &TfrxView::Restrictions, &TfrxView::SetRestrictions).Default(TfrxRestrictions());
  Property("Visible", &TfrxView::Visible, &TfrxView::SetVisible).Default(true);
  Property("OnAfterData", &TfrxView::OnAfterData);
  Property("OnAfterPrint", &TfrxView::OnAfterPrint);
  Property("OnBeforePrint", &TfrxView::OnBeforePrint);
  Property("OnPreviewClick", &TfrxView::OnPreviewClick);
  Property("OnPreviewDblClick", &TfrxView::OnPreviewDblClick);
  Property("Hint", &TfrxView::Hint, &TfrxView::SetHint);
  Property("ShowHint", &TfrxView::ShowHint, &TfrxView::SetShowHint).Default(false);
}

TOVANI_PUBLISHED(TfrxStretcheable) {
  Property("StretchMode", &TfrxStretcheable::StretchMode, &TfrxStretcheable::SetStretchMode).Default(smDontStretch);
}

TfrxView::TfrxView(TComponent* AOwner) : TfrxReportComponent(AOwner), FFrame(std::make_unique<TfrxFrame>()) {
  // Prepared pages store a plain view in full.
  SetfrComponentStyle(frComponentStyle() + csDefaultDiff);
}

TfrxView::~TfrxView() = default;

void TfrxView::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxReportComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) FDataSet = nullptr;
}

void TfrxView::SetDataSet(TfrxDataSet* Value) {
  FDataSet = Value;
  FDataSetName = Value ? Value->UserName() : String();
  if (Value) Value->FreeNotification(this);
}

String TfrxView::DataSetName() const { return FDataSet ? FDataSet->UserName() : FDataSetName; }

void TfrxView::SetDataSetName(const String& Value) {
  FDataSetName = Value;
  FDataSet = LookupDataSet(FDataSet, Value);
  if (FDataSet) FDataSet->FreeNotification(this);
}

void TfrxView::BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) {
  FCanvas = Canvas;
  FScaleX = ScaleX;
  FScaleY = ScaleY;
  FOffsetX = OffsetX;
  FOffsetY = OffsetY;
  FX = Rnd(OffsetX + AbsLeft() * ScaleX);
  FY = Rnd(OffsetY + AbsTop() * ScaleY);
  FX1 = Rnd(OffsetX + (AbsLeft() + Width()) * ScaleX);
  FY1 = Rnd(OffsetY + (AbsTop() + Height()) * ScaleY);
  if (FFrame->DropShadow()) {
    FX1 -= Rnd(FFrame->ShadowWidth() * ScaleX);
    FY1 -= Rnd(FFrame->ShadowWidth() * ScaleY);
  }
  FDX = FX1 - FX;
  FDY = FY1 - FY;
  FFrameWidth = Rnd(FFrame->Width() * ScaleX);
}

void TfrxView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) {
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  DrawBackground();
  DrawFrame();
}

void TfrxView::DrawBackground() {
  TCanvas* c = FCanvas;
  if (FColor != frxclNone) {
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(TRect(FX, FY, FX1, FY1));
  }
  // The hatch styles follow bsClear; a clear brush has no hatch to draw.
  if (FBrushStyle != bsSolid && FBrushStyle != bsClear) {
    HDC dc = c->Handle();
    HBRUSH hatch = CreateHatchBrush(Integer(FBrushStyle) - 2, ColorToRGB(FFrame->Color()));
    if (hatch) {
      int mode = SetBkMode(dc, TRANSPARENT);
      RECT r{FX, FY, FX1 + 1, FY1 + 1};
      FillRect(dc, &r, hatch);
      SetBkMode(dc, mode);
      DeleteObject(hatch);
    }
  }
}

void TfrxView::DrawThickLine(TCanvas* Canvas, Integer X, Integer Y, Integer X1, Integer Y1, Integer Width) {
  if (Width <= 0) Width = 1;
  const Integer from = -(Width / 2);
  const Integer to = Width % 2 == 0 ? Width / 2 - 1 : Width / 2;
  const bool horizontal = std::abs(X1 - X) > std::abs(Y1 - Y);
  for (Integer i = from; i <= to; ++i) {
    if (horizontal) {
      Canvas->MoveTo(X, Y + i);
      Canvas->LineTo(X1, Y1 + i);
    } else {
      Canvas->MoveTo(X + i, Y);
      Canvas->LineTo(X1 + i, Y1);
    }
  }
}

void TfrxView::DrawFrame() {
  TCanvas* c = FCanvas;
  TfrxFrame* f = FFrame.get();
  if (f->DropShadow()) {
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(f->ShadowColor());
    Integer dx = Rnd(f->ShadowWidth() * FScaleX);
    DrawThickLine(c, FX1 + dx / 2, FY + dx, FX1 + dx / 2, FY1, dx);
    Integer dy = Rnd(f->ShadowWidth() * FScaleY);
    DrawThickLine(c, FX + dy, FY1 + dy / 2, FX1 + dy, FY1 + dy / 2, dy);
  }
  if (f->Typ().Empty() || f->Color() == frxclNone || f->Width() == 0) return;
  c->Brush()->SetStyle(bsSolid);
  if (f->Style() != fsSolid) {
    if (FColor == frxclNone) c->Brush()->SetStyle(bsClear);
    else c->Brush()->SetColor(FColor);
  }
  if (f->Typ().Contains(ftLeft)) DrawFrameSide(0);
  if (f->Typ().Contains(ftRight)) DrawFrameSide(1);
  if (f->Typ().Contains(ftTop)) DrawFrameSide(2);
  if (f->Typ().Contains(ftBottom)) DrawFrameSide(3);
}

// Side 0 left, 1 right, 2 top, 3 bottom.
void TfrxView::DrawFrameSide(Integer Side) {
  TCanvas* c = FCanvas;
  TfrxFrame* f = FFrame.get();
  TfrxFrameLine* line = Side == 0 ? f->LeftLine() : Side == 1 ? f->RightLine() : Side == 2 ? f->TopLine()
                                                                                          : f->BottomLine();
  const Integer w = Rnd(line->Width() * FScaleX);
  const TfrxFrameStyle style = line->Style();
  c->Pen()->SetColor(line->Color());
  if (style == fsSolid || style == fsDouble) {
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(w);
  } else {
    c->Pen()->SetStyle(style <= fsDashDotDot ? TPenStyle(style) : psSolid);
    c->Pen()->SetWidth(1);
  }
  const Integer penWidth = c->Pen()->Width();
  const bool vertical = Side < 2;
  Integer x = 0, y = 0, x1 = 0, y1 = 0;
  bool startNb = false, endNb = false;
  const TfrxFrameTypes typ = f->Typ();
  switch (Side) {
    case 0: {
      Integer k = penWidth == 2 && f->Style() != fsSolid ? 1 : 0;
      x = FX, y = FY - k, x1 = FX, y1 = FY1;
      startNb = typ.Contains(ftTop), endNb = typ.Contains(ftBottom);
      break;
    }
    case 1:
      x = FX1, y = FY, x1 = FX1, y1 = FY1;
      startNb = typ.Contains(ftTop), endNb = typ.Contains(ftBottom);
      break;
    case 2:
      x = FX, y = FY, x1 = FX1, y1 = FY;
      startNb = typ.Contains(ftLeft), endNb = typ.Contains(ftRight);
      break;
    default: {
      Integer k = penWidth == 1 && f->Style() != fsSolid ? 1 : 0;
      x = FX, y = FY1, x1 = FX1 + k, y1 = FY1;
      startNb = typ.Contains(ftLeft), endNb = typ.Contains(ftRight);
      break;
    }
  }
  HDC dc = c->Handle();
  const COLORREF rgb = ColorToRGB(line->Color());
  if (style == fsSolid || style == fsDouble) {
    // Square caps must not stick out where no side continues the line.
    if (!startNb) (vertical ? y : x) += w / 2;
    if (!endNb) (vertical ? y1 : x1) -= w / 2;
  }
  auto rawLine = [dc](Integer ax, Integer ay, Integer bx, Integer by) {
    MoveToEx(dc, ax, ay, nullptr);
    LineTo(dc, bx, by);
  };
  switch (style) {
    case fsSolid: {
      LOGBRUSH lb{BS_SOLID, rgb, 0};
      HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE, DWORD(std::max<Integer>(w, 1)), &lb, 0,
                              nullptr);
      if (pen) {
        HGDIOBJ old = SelectObject(dc, pen);
        rawLine(x, y, x1, y1);
        SelectObject(dc, old);
        DeleteObject(pen);
      } else {
        c->MoveTo(x, y);
        c->LineTo(x1, y1);
      }
      break;
    }
    case fsDouble: {
      // Outer line first (left of or above the side line), then the inner.
      const bool outerFirst = Side == 0 || Side == 2;
      auto drawAt = [&](Integer offset, bool outer) {
        Integer s0 = startNb ? (outer ? -w : w) : 0;
        Integer s1 = endNb ? (outer ? w : -w) : 0;
        if (vertical) {
          c->MoveTo(x + offset, y + s0);
          c->LineTo(x1 + offset, y1 + s1);
        } else {
          c->MoveTo(x + s0, y + offset);
          c->LineTo(x1 + s1, y1 + offset);
        }
      };
      drawAt(-w, outerFirst);
      if (FColor != frxclNone) {
        TColor keep = c->Pen()->Color();
        c->Pen()->SetColor(FColor);
        c->MoveTo(x, y);
        c->LineTo(x1, y1);
        c->Pen()->SetColor(keep);
      }
      drawAt(w, !outerFirst);
      break;
    }
    case fsAltDot:
    case fsSquare: {
      if (FColor != frxclNone) {
        TColor keep = c->Pen()->Color();
        c->Pen()->SetStyle(psSolid);
        c->Pen()->SetColor(FColor);
        DrawThickLine(c, x, y, x1, y1, w);
        c->Pen()->SetColor(keep);
      }
      DWORD pattern[2];
      DWORD cap = PS_ENDCAP_FLAT;
      if (w <= 1) pattern[0] = 1, pattern[1] = 1;
      else if (style == fsSquare) pattern[0] = DWORD(w), pattern[1] = DWORD(w);
      else pattern[0] = 0, pattern[1] = DWORD(2 * w), cap = PS_ENDCAP_ROUND;
      LOGBRUSH lb{BS_SOLID, rgb, 0};
      HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | cap, DWORD(std::max<Integer>(w, 1)), &lb, 2, pattern);
      if (pen) {
        HGDIOBJ old = SelectObject(dc, pen);
        rawLine(x, y, x1, y1);
        SelectObject(dc, old);
        DeleteObject(pen);
      } else {
        c->Pen()->SetStyle(psDot);
        DrawThickLine(c, x, y, x1, y1, w);
      }
      break;
    }
    default: DrawThickLine(c, x, y, x1, y1, w); break;
  }
}

void TfrxView::BeforePrint() {
  TfrxReportComponent::BeforePrint();
  FSaveTag = FTagStr;
  FSaveURL = FURL;
  if (TfrxReport* r = GetReport()) r->SetScriptSelf(this);
}

void TfrxView::GetData() {
  if (FTagStr.find('[') != String::npos) FTagStr = ExpandBrackets(FTagStr);
  if (FURL.find('[') != String::npos) FURL = ExpandBrackets(FURL);
}

void TfrxView::AfterPrint() {
  TfrxReportComponent::AfterPrint();
  FTagStr = FSaveTag;
  FURL = FSaveURL;
}

String TfrxView::ExpandBrackets(const String& Text) {
  TfrxReport* report = GetReport();
  String s = Text;
  if (!report || s.find('[') == String::npos) return s;
  Integer i = 1;
  while (i <= Integer(s.size())) {
    if (s[size_t(i - 1)] != '[') {
      ++i;
      continue;
    }
    Integer start = i, end = i;
    String inner = frxExtractBracketed(s, "[", "]", start, end);
    if (end == start) break;
    String value = VarToStr(report->Calc(inner));
    s = s.substr(0, size_t(start - 1)) + value + s.substr(size_t(end));
    i = start + Integer(value.size());
  }
  return s;
}

String TfrxView::DifferenceText(TfrxComponent* ATemplate) {
  String s = BaseDifferenceText(ATemplate);
  auto* t = static_cast<TfrxView*>(ATemplate);
  if (!t->Is<TfrxView>()) return s;
  if (FBrushStyle != t->FBrushStyle) s += Attr("BrushStyle", IntToStr(Integer(FBrushStyle)));
  if (FAlign != t->FAlign) s += Attr("Align", IntToStr(Integer(FAlign)));
  if (FColor != t->FColor) s += Attr("Color", IntToStr(FColor));
  TfrxFrame* f = FFrame.get();
  TfrxFrame* tf = t->FFrame.get();
  if (f->Color() != tf->Color()) s += Attr("Frame.Color", IntToStr(f->Color()));
  if (f->DropShadow() != tf->DropShadow()) s += Attr("Frame.DropShadow", f->DropShadow() ? "1" : "0");
  if (f->ShadowColor() != tf->ShadowColor()) s += Attr("Frame.ShadowColor", IntToStr(f->ShadowColor()));
  if (frxFloatDiff(f->ShadowWidth(), tf->ShadowWidth()))
    s += Attr("Frame.ShadowWidth", FloatToStr(f->ShadowWidth()));
  if (f->Style() != tf->Style()) s += Attr("Frame.Style", IntToStr(Integer(f->Style())));
  if (f->Typ() != tf->Typ()) s += Attr("Frame.Typ", IntToStr(Integer(f->Typ().Mask())));
  if (frxFloatDiff(f->Width(), tf->Width())) s += Attr("Frame.Width", FloatToStr(f->Width()));
  auto side = [&](const char* prefix, TfrxFrameLine* l, TfrxFrameLine* tl) {
    String p = String("Frame.") + prefix;
    // Where the frame's own value changed it reaches the side on reading,
    // so only a side that differs from its frame is written.
    if (f->Color() != tf->Color() ? l->Color() != f->Color() : l->Color() != tl->Color())
      s += Attr(p + ".Color", IntToStr(l->Color()));
    if (f->Style() != tf->Style() ? l->Style() != f->Style() : l->Style() != tl->Style())
      s += Attr(p + ".Style", IntToStr(Integer(l->Style())));
    if (frxFloatDiff(f->Width(), tf->Width()) ? frxFloatDiff(l->Width(), f->Width())
                                                : frxFloatDiff(l->Width(), tl->Width()))
      s += Attr(p + ".Width", FloatToStr(l->Width()));
  };
  side("LeftLine", f->LeftLine(), tf->LeftLine());
  side("TopLine", f->TopLine(), tf->TopLine());
  side("RightLine", f->RightLine(), tf->RightLine());
  side("BottomLine", f->BottomLine(), tf->BottomLine());
  if (FCursor != t->FCursor) s += Attr("Cursor", IntToStr(FCursor));
  if (FPrintable != t->FPrintable) s += Attr("Printable", FPrintable ? "1" : "0");
  if (FTagStr != t->FTagStr) s += Attr("TagStr", frxEscapeXMLText(FTagStr));
  if (FURL != t->FURL) s += Attr("URL", frxEscapeXMLText(FURL));
  return s;
}

// ---------------------------------------------------------------------------
// TfrxShapeView

TOVANI_PUBLISHED(TfrxShapeView) {
  Property("BrushStyle", &TfrxShapeView::BrushStyle, &TfrxShapeView::SetBrushStyle).Default(bsSolid);
  Property("Color", &TfrxShapeView::Color, &TfrxShapeView::SetColor).Default(frxclNone);
  Property("Cursor", &TfrxShapeView::Cursor, &TfrxShapeView::SetCursor).Default(0);
  Property("Curve", &TfrxShapeView::Curve, &TfrxShapeView::SetCurve).Default(0);
  Property("Frame", &TfrxShapeView::Frame, &TfrxShapeView::SetFrame);
  Property("Shape", &TfrxShapeView::Shape, &TfrxShapeView::SetShape).Default(skRectangle);
  Property("TagStr", &TfrxShapeView::TagStr, &TfrxShapeView::SetTagStr);
  Property("URL", &TfrxShapeView::URL, &TfrxShapeView::SetURL);
}

TfrxShapeView::TfrxShapeView(TComponent* AOwner) : TfrxView(AOwner) {
  SetfrComponentStyle(frComponentStyle() - csDefaultDiff);
}

void TfrxShapeView::DesignCreate(TComponent* AOwner, Word Flags) {
  TfrxView::DesignCreate(AOwner, Flags);
  if (Flags <= skDiagonal2) FShape = TfrxShapeKind(Flags);
}

String TfrxShapeView::GetTypeCaption() { return frxGetResources()->Get("obShape"); }

String TfrxShapeView::DifferenceText(TfrxComponent* ATemplate) {
  String s = TfrxView::DifferenceText(ATemplate);
  if (ATemplate->Is<TfrxShapeView>() && FShape != static_cast<TfrxShapeView*>(ATemplate)->FShape)
    s += Attr("Shape", IntToStr(Integer(FShape)));
  return s;
}

void TfrxShapeView::DrawShape() {
  TCanvas* c = FCanvas;
  TfrxFrame* f = Frame();
  c->Pen()->SetColor(f->Color());
  c->Pen()->SetWidth(FFrameWidth);
  c->Pen()->SetStyle(f->Color() == frxclNone ? psClear : f->Style() <= fsDashDotDot ? TPenStyle(f->Style())
                                                                                     : psInsideFrame);
  c->Brush()->SetStyle(bsSolid);
  SetBkMode(c->Handle(), OPAQUE);
  auto figure = [&] {
    const Integer w = FDX, h = FDY;
    switch (FShape) {
      case skRectangle: c->Rectangle(FX, FY, FX1 + 1, FY1 + 1); break;
      case skRoundRectangle: {
        Integer r = FCurve != 0 ? Rnd(FCurve * FScaleX * 10) : std::min(w, h) / 4;
        c->RoundRect(FX, FY, FX1 + 1, FY1 + 1, r, r);
        break;
      }
      case skEllipse: c->Ellipse(FX, FY, FX1 + 1, FY1 + 1); break;
      case skTriangle:
        c->Polygon({TPoint(FX1, FY1), TPoint(FX, FY1), TPoint(FX + w / 2, FY), TPoint(FX1, FY1)});
        break;
      case skDiamond:
        c->Polygon({TPoint(FX + w / 2, FY), TPoint(FX1, FY + h / 2), TPoint(FX + w / 2, FY1), TPoint(FX, FY + h / 2)});
        break;
      case skDiagonal1: DrawThickLine(c, FX, FY1, FX1, FY, FFrameWidth); break;
      case skDiagonal2: DrawThickLine(c, FX, FY, FX1, FY1, FFrameWidth); break;
    }
  };
  if (BrushStyle() == bsSolid) {
    if (Color() == frxclNone) c->Brush()->SetStyle(bsClear);
    else c->Brush()->SetColor(Color());
    figure();
  } else {
    if (Color() != frxclNone) {
      c->Brush()->SetColor(Color());
      figure();
    }
    c->Brush()->SetColor(f->Color());
    c->Brush()->SetStyle(BrushStyle());
    figure();
  }
}

void TfrxShapeView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) {
  TfrxFrame* f = Frame();
  if (f->Style() != fsDouble) {
    BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
    DrawShape();
    return;
  }
  // A double frame: the figure, then a smaller copy inside it.
  f->SetStyle(fsSolid);
  const Extended l = Left(), t = Top(), w = Width(), h = Height(), fw = f->Width();
  struct TRestore {
    TfrxShapeView* v;
    Extended l, t, w, h;
    ~TRestore() {
      v->Frame()->SetStyle(fsDouble);
      v->SetBounds(l, t, w, h);
    }
  } restore{this, l, t, w, h};
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  DrawShape();
  switch (FShape) {
    case skTriangle: SetBounds(l + 4 * fw, t + 4 * fw, w - 8 * fw, h - 6 * fw); break;
    case skDiamond: SetBounds(l + 3 * fw, t + 3 * fw, w - 6 * fw, h - 6 * fw); break;
    case skDiagonal1:
    case skDiagonal2: SetLeft(l + 2 * fw); break;
    default: SetBounds(l + 2 * fw, t + 2 * fw, w - 4 * fw, h - 4 * fw); break;
  }
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  DrawShape();
}

// ---------------------------------------------------------------------------
// Highlight and format

TOVANI_PUBLISHED(TfrxHighlight) {
  Property("Active", &TfrxHighlight::Active, &TfrxHighlight::SetActive).Default(false);
  Property("Font", &TfrxHighlight::Font, &TfrxHighlight::SetFont);
  Property("Color", &TfrxHighlight::Color, &TfrxHighlight::SetColor).Default(frxclNone);
  Property("Condition", &TfrxHighlight::Condition, &TfrxHighlight::SetCondition);
}

TfrxHighlight::TfrxHighlight() : FFont(std::make_unique<TFont>()) {
  FFont->SetPixelsPerInch(96);
  FFont->SetName("Arial");
  FFont->SetSize(10);
  FFont->SetColor(clRed);
  FFont->SetCharset(DEFAULT_CHARSET);
}

TfrxHighlight::~TfrxHighlight() = default;

void TfrxHighlight::SetFont(TFont* Value) { FFont->Assign(Value); }

void TfrxHighlight::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxHighlight>()) return;
  auto* h = static_cast<TfrxHighlight*>(Source);
  FFont->Assign(h->FFont.get());
  FColor = h->FColor;
  FCondition = h->FCondition;
}

TOVANI_PUBLISHED(TfrxFormat) {
  Property("DecimalSeparator", &TfrxFormat::DecimalSeparator);
  Property("ThousandSeparator", &TfrxFormat::ThousandSeparator);
  Property("FormatStr", &TfrxFormat::FormatStr);
  Property("Kind", &TfrxFormat::Kind).Default(fkText);
}

void TfrxFormat::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxFormat>()) return;
  auto* f = static_cast<TfrxFormat*>(Source);
  DecimalSeparator = f->DecimalSeparator;
  ThousandSeparator = f->ThousandSeparator;
  FormatStr = f->FormatStr;
  Kind = f->Kind;
}

// ---------------------------------------------------------------------------
// Lines

TOVANI_PUBLISHED(TfrxCustomLineView) { Property("TagStr", &TfrxCustomLineView::TagStr, &TfrxCustomLineView::SetTagStr); }

TOVANI_PUBLISHED(TfrxLineView) {
  Property("ArrowEnd", &TfrxLineView::ArrowEnd).Default(false);
  Property("ArrowLength", &TfrxLineView::ArrowLength).Default(20);
  Property("ArrowSolid", &TfrxLineView::ArrowSolid).Default(false);
  Property("ArrowStart", &TfrxLineView::ArrowStart).Default(false);
  Property("ArrowWidth", &TfrxLineView::ArrowWidth).Default(5);
  Property("Frame", &TfrxLineView::Frame, &TfrxLineView::SetFrame);
  Property("Diagonal", &TfrxLineView::Diagonal).Default(false);
}

TfrxCustomLineView::TfrxCustomLineView(TComponent* AOwner) : TfrxStretcheable(AOwner) {
  SetfrComponentStyle(frComponentStyle() - csDefaultDiff);
}

void TfrxCustomLineView::DesignCreate(TComponent* AOwner, Word Flags) {
  TfrxStretcheable::DesignCreate(AOwner, Flags);
  Diagonal = Flags != 0;
  ArrowEnd = Flags == 2 || Flags == 4;
  ArrowStart = Flags == 3 || Flags == 4;
}

String TfrxLineView::GetTypeCaption() { return frxGetResources()->Get("obLine"); }

void TfrxCustomLineView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) {
  if (!Diagonal) {
    // A straight line lies along its longer side.
    if (Width() <= Height()) {
      SetWidth(0);
      Frame()->SetTyp({ftLeft});
    } else {
      SetHeight(0);
      Frame()->SetTyp({ftTop});
    }
  }
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  if (Diagonal) {
    PaintDiagonal();
    return;
  }
  DrawFrame();
  if (ArrowStart) PaintArrowHead(TPoint(FX1, FY1), TPoint(FX, FY));
  if (ArrowEnd) PaintArrowHead(TPoint(FX, FY), TPoint(FX1, FY1));
}

void TfrxCustomLineView::PaintDiagonal() {
  TfrxFrame* f = Frame();
  if (f->Color() == frxclNone || f->Width() == 0) return;
  TCanvas* c = FCanvas;
  if (Color() == frxclNone) c->Brush()->SetStyle(bsClear);
  else {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
  }
  c->Pen()->SetColor(f->Color());
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(f->Style() <= fsDashDotDot ? TPenStyle(f->Style()) : psSolid);
  DrawThickLine(c, FX, FY, FX1, FY1, FFrameWidth);
  if (ArrowStart) PaintArrowHead(TPoint(FX1, FY1), TPoint(FX, FY));
  if (ArrowEnd) PaintArrowHead(TPoint(FX, FY), TPoint(FX1, FY1));
}

void TfrxCustomLineView::ArrowCorners(TPoint P1, TPoint P2, TPoint& C1, TPoint& C2) const {
  const Extended w = ArrowWidth * FScaleX, l = ArrowLength * FScaleX;
  const Extended x1 = P1.X, y1 = P1.Y, x2 = P2.X, y2 = P2.Y;
  auto between = [](Extended v, Extended a, Extended b) { return v >= std::min(a, b) && v <= std::max(a, b); };
  Extended x, y;
  if (std::fabs(x2 - x1) > 8) {
    const Extended k = (y2 - y1) / (x2 - x1);
    const Extended o = (x2 * y1 - y2 * x1) / (x2 - x1);
    const Extended a = 1 + k * k;
    const Extended b = 2 * (k * (o - y2) - x2);
    const Extended cc = x2 * x2 + y2 * y2 - l * l + o * o - 2 * o * y2;
    const Extended d = std::sqrt(std::max<Extended>(0, b * b - 4 * a * cc));
    x = (-b + d) / (2 * a);
    if (!between(x, x1, x2)) x = (-b - d) / (2 * a);
    y = o + k * x;
    if (y1 == y2) {
      C1 = TPoint(Rnd(x), Rnd(y - w));
      C2 = TPoint(Rnd(x), Rnd(y + w));
      return;
    }
    const Extended phi = std::atan(k);
    C1 = TPoint(Rnd(x + std::sin(phi) * w), Rnd(y - std::cos(phi) * w));
    C2 = TPoint(Rnd(x - std::sin(phi) * w), Rnd(y + std::cos(phi) * w));
  } else {
    x = x2;
    y = y2 - l;
    if (!between(y, y1, y2)) y = y2 + l;
    C1 = TPoint(Rnd(x - w), Rnd(y));
    C2 = TPoint(Rnd(x + w), Rnd(y));
  }
}

void TfrxCustomLineView::PaintArrowHead(TPoint P1, TPoint P2) {
  TPoint c1, c2;
  ArrowCorners(P1, P2, c1, c2);
  TCanvas* c = FCanvas;
  c->Pen()->SetColor(Frame()->Color());
  c->Pen()->SetStyle(psSolid);
  if (ArrowSolid) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Frame()->Color());
    c->Pen()->SetWidth(1);
    c->Polygon({P2, c1, c2, P2});
  } else {
    c->Pen()->SetWidth(Rnd(Frame()->Width() * FScaleX));
    c->Polyline({c1, P2, c2});
  }
}

// ---------------------------------------------------------------------------
// Pictures

TOVANI_PUBLISHED(TfrxPictureView) {
  Property("Cursor", &TfrxPictureView::Cursor, &TfrxPictureView::SetCursor).Default(0);
  Property("AutoSize", &TfrxPictureView::AutoSize, &TfrxPictureView::SetAutoSize).Default(false);
  Property("Center", &TfrxPictureView::Center).Default(false);
  Property("DataField", &TfrxPictureView::DataField);
  Property("DataSet", &TfrxPictureView::DataSet, &TfrxPictureView::SetDataSet).Stored(false);
  Property("DataSetName", &TfrxPictureView::DataSetName, &TfrxPictureView::SetDataSetName);
  Property("Frame", &TfrxPictureView::Frame, &TfrxPictureView::SetFrame);
  Property("FileLink", &TfrxPictureView::FileLink);
  Property("ImageIndex", &TfrxPictureView::ImageIndex).Stored([](TObject* o) {
    return static_cast<TfrxPictureView*>(o)->IsImageIndexStored;
  });
  Property("KeepAspectRatio", &TfrxPictureView::KeepAspectRatio).Default(true);
  Property("Picture", &TfrxPictureView::Picture, &TfrxPictureView::SetPicture).Stored([](TObject* o) {
    return static_cast<TfrxPictureView*>(o)->IsPictureStored;
  });
  Property("Stretched", &TfrxPictureView::Stretched).Default(true);
  Property("TagStr", &TfrxPictureView::TagStr, &TfrxPictureView::SetTagStr);
  Property("URL", &TfrxPictureView::URL, &TfrxPictureView::SetURL);
  Property("HightQuality", &TfrxPictureView::HightQuality).NoDefault();
}

TfrxPictureView::TfrxPictureView(TComponent* AOwner) : TfrxView(AOwner), FPicture(std::make_unique<TPicture>()) {
  FPicture->OnChange = [this](TObject* Sender) { PictureChangedHandler(Sender); };
  SetColor(clWhite);
  SetfrComponentStyle(frComponentStyle() - csDefaultDiff);
}

TfrxPictureView::~TfrxPictureView() { FPicture->OnChange = nullptr; }

String TfrxPictureView::GetTypeCaption() { return frxGetResources()->Get("obPicture"); }

void TfrxPictureView::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TfrxPictureView::SetAutoSize(bool Value) {
  FAutoSize = Value;
  if (Value && FPicture->Graphic() && !FPicture->Graphic()->Empty()) {
    SetWidth(FPicture->Width());
    SetHeight(FPicture->Height());
  }
}

void TfrxPictureView::PictureChangedHandler(TObject*) {
  SetAutoSize(FAutoSize);
  PictureChanged = true;
}

void TfrxPictureView::LoadFromFile(const String& FileName) { FPicture->LoadFromFile(FileName); }

Integer TfrxPictureView::LoadPictureFromStream(TStream* Stream, bool ResetStreamPos) {
  const Int64 start = ResetStreamPos ? 0 : Stream->Position();
  Stream->SetPosition(start);
  // A binary field may carry an 8-byte header: 1, 0x0100, the data size.
  if (Stream->Size() - start >= 8) {
    uint8_t h[8];
    Stream->ReadBuffer(h, 8);
    const uint16_t a = uint16_t(h[0] | h[1] << 8), b = uint16_t(h[2] | h[3] << 8);
    const uint32_t size = uint32_t(h[4] | h[5] << 8 | h[6] << 16 | uint32_t(h[7]) << 24);
    if (!(a == 1 && b == 0x0100 && Stream->Size() == Int64(size) + 8)) Stream->SetPosition(start);
  }
  const Int64 dataStart = Stream->Position();
  const Int64 avail = Stream->Size() - dataStart;
  uint8_t head[100] = {};
  const Integer got = Integer(std::min<Int64>(avail, 100));
  if (got > 0) Stream->ReadBuffer(head, got);
  Stream->SetPosition(dataStart);
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::unique_ptr<TGraphic> graphic;
  if (avail >= 14 && head[0] == 'B' && head[1] == 'M') graphic = std::make_unique<TBitmap>();
  else if (avail >= 2 && head[0] == 0xFF && head[1] == 0xD8) graphic = std::make_unique<TJPEGImage>();
  else if (avail >= 8 && std::equal(png, png + 8, head)) graphic = std::make_unique<TPNGObject>();
  else if (avail >= 22 && head[0] == 0xD7 && head[1] == 0xCD && head[2] == 0xC6 && head[3] == 0x9A)
    graphic = std::make_unique<TMetafile>();
  else if (got >= 44 && head[40] == ' ' && head[41] == 'E' && head[42] == 'M' && head[43] == 'F')
    graphic = std::make_unique<TMetafile>();
  else if (got >= 6 && (head[2] | head[3] << 8) < 2 && head[0] == 0 && head[1] == 0)
    graphic = std::make_unique<TIcon>();
  if (!graphic) {
    FPicture->SetGraphic(nullptr);
    return Integer(0x80070057);
  }
  graphic->LoadFromStream(Stream);
  FPicture->SetGraphic(graphic.get());
  return 0;
}

void TfrxPictureView::GetData() {
  TfrxView::GetData();
  if (!FileLink.empty()) {
    String name = FileLink.find('[') != String::npos ? ExpandBrackets(FileLink) : FileLink;
    if (FileExists(name)) FPicture->LoadFromFile(name);
    else FPicture->SetGraphic(nullptr);
  } else if (HasDataBinding() && FDataSet->IsBlobField(DataField)) {
    TMemoryStream stream;
    FDataSet->AssignBlobTo(DataField, &stream);
    LoadPictureFromStream(&stream);
  }
}

void TfrxPictureView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) {
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  DrawBackground();
  TGraphic* g = FPicture->Graphic();
  if (g && !g->Empty() && g->Width() > 0 && g->Height() > 0) {
    TRect r(FX, FY, FX1, FY1);
    const bool smooth = IsPrinting() || HightQuality;
    if (Stretched) {
      if (KeepAspectRatio) {
        const Extended kx = Extended(FDX) / g->Width(), ky = Extended(FDY) / g->Height();
        if (ky > kx) r.Bottom = r.Top + Rnd(g->Height() * kx);
        else r.Right = r.Left + Rnd(g->Width() * ky);
        if (Center) {
          const Integer dx = (FDX - (r.Right - r.Left)) / 2, dy = (FDY - (r.Bottom - r.Top)) / 2;
          r = TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
        }
      }
      frxPaintGraphic(Canvas, r, g, smooth);
    } else {
      HDC dc = Canvas->Handle();
      const int saved = SaveDC(dc);
      IntersectClipRect(dc, FX, FY, FX1, FY1);
      const Integer w = Rnd(ScaleX * g->Width()), h = Rnd(ScaleY * g->Height());
      if (Center) r = TRect(r.Left + (FDX - w) / 2, r.Top + (FDY - h) / 2, 0, 0);
      r.Right = r.Left + w;
      r.Bottom = r.Top + h;
      frxPaintGraphic(Canvas, r, g, smooth);
      RestoreDC(dc, saved);
    }
  }
  DrawFrame();
}

String TfrxPictureView::DifferenceText(TfrxComponent* ATemplate) {
  if (PictureChanged) {
    if (TfrxReport* r = GetReport())
      if (r->PreviewPages()) r->PreviewPages()->AddPicture(this);
    PictureChanged = false;
  }
  return " " + TfrxView::DifferenceText(ATemplate) + Attr("ImageIndex", IntToStr(ImageIndex));
}
