// The text object: its layout rectangle, drawing, measuring and splitting
// across pages, and how it gets its printed text (dataset fields,
// expressions between delimiters, display formats, page macros).
#include <windows.h>
#undef GetProp
#undef SetProp

#include <algorithm>
#include <cmath>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxRes.h"
#include "frxUnicodeUtils.h"
#include "frxUtils.h"
#include "frxVariables.h"
#include "frxXML.h"

TOVANI_IMPLEMENT_CLASS(TfrxCustomMemoView, TfrxStretcheable)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxMemoView, TfrxCustomMemoView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxSysMemoView, TfrxCustomMemoView)

namespace {

Integer Rnd(Extended x) { return Integer(std::nearbyint(x)); }

String Attr(const char* Name, const String& Value) { return String(" ") + Name + "=\"" + Value + "\""; }

// Holds the one layout lock for a whole layout sequence.
struct TLayoutLock {
  TfrxDrawText* dt;
  explicit TLayoutLock(TfrxDrawText* d) : dt(d) { dt->Acquire(); }
  ~TLayoutLock() { dt->Release(); }
};

WideString UpperW(WideString s) {
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  return s;
}

// Replaces the first occurrence of Macro (case-insensitive) by Value.
bool ReplaceFirst(WideString& Text, const WideString& Macro, const WideString& Value) {
  size_t p = UpperW(Text).find(UpperW(Macro));
  if (p == WideString::npos) return false;
  Text.replace(p, Macro.size(), Value);
  return true;
}

// The memo publishing shared by the user's and the system text objects.
template <class Pub, class Cls>
void PublishMemoCommon(Pub& pub) {
  pub.Property("AutoWidth", &Cls::AutoWidth).Default(false);
  pub.Property("BrushStyle", &Cls::BrushStyle, &Cls::SetBrushStyle).Default(bsSolid);
  pub.Property("CharSpacing", &Cls::CharSpacing).Stored([](TObject* o) { return static_cast<Cls*>(o)->CharSpacing != 0; });
  pub.Property("Color", &Cls::Color, &Cls::SetColor).Default(frxclNone);
  pub.Property("DisplayFormat", &Cls::DisplayFormat, &Cls::SetDisplayFormat);
  pub.Property("Font", &Cls::Font, &Cls::SetFont).Stored(&Cls::IsFontStored);
  pub.Property("Frame", &Cls::Frame, &Cls::SetFrame);
  pub.Property("GapX", &Cls::GapX).Stored([](TObject* o) { return static_cast<Cls*>(o)->GapX != 2; });
  pub.Property("GapY", &Cls::GapY).Stored([](TObject* o) { return static_cast<Cls*>(o)->GapY != 1; });
  pub.Property("HAlign", &Cls::HAlign).Default(haLeft);
  pub.Property("HideZeros", &Cls::HideZeros).Default(false);
  pub.Property("Highlight", &Cls::Highlight, &Cls::SetHighlight).Stored(&Cls::IsHighlightStored);
  pub.Property("Memo", &Cls::Memo, &Cls::SetMemo);
  pub.Property("ParentFont", &Cls::ParentFont, &Cls::SetParentFont).Default(true);
  pub.Property("Rotation", &Cls::Rotation, &Cls::SetRotation).Default(0);
  pub.Property("RTLReading", &Cls::RTLReading).Default(false);
  pub.Property("Style", &Cls::Style, &Cls::SetStyle);
  pub.Property("SuppressRepeated", &Cls::SuppressRepeated).Default(false);
  pub.Property("VAlign", &Cls::VAlign).Default(vaTop);
  pub.Property("WordWrap", &Cls::WordWrap).Default(true);
}

}  // namespace

TOVANI_PUBLISHED(TfrxCustomMemoView) {
  Property("FirstParaBreak", &TfrxCustomMemoView::FirstParaBreak).Default(false);
  Property("LastParaBreak", &TfrxCustomMemoView::LastParaBreak).Default(false);
  Property("Cursor", &TfrxCustomMemoView::Cursor, &TfrxCustomMemoView::SetCursor).Default(0);
  Property("TagStr", &TfrxCustomMemoView::TagStr, &TfrxCustomMemoView::SetTagStr);
  Property("URL", &TfrxCustomMemoView::URL, &TfrxCustomMemoView::SetURL);
  // Script and application access to the text as one string.
  Property("Text", &TfrxCustomMemoView::TextUtf8, &TfrxCustomMemoView::SetTextUtf8).Stored(false);
  Property("AnsiText", &TfrxCustomMemoView::AnsiText, &TfrxCustomMemoView::SetAnsiText).Stored(false);
  Property("Lines", &TfrxCustomMemoView::Memo, &TfrxCustomMemoView::SetMemo).Stored(false);
}

TOVANI_PUBLISHED(TfrxMemoView) {
  PublishMemoCommon<TovaniPublished_TfrxMemoView, TfrxMemoView>(*this);
  Property("AllowExpressions", &TfrxMemoView::AllowExpressions).Default(true);
  Property("AllowHTMLTags", &TfrxMemoView::AllowHTMLTags).Default(false);
  Property("Clipped", &TfrxMemoView::Clipped).Default(true);
  Property("DataField", &TfrxMemoView::DataField);
  Property("DataSet", &TfrxMemoView::DataSet, &TfrxMemoView::SetDataSet).Stored(false);
  Property("DataSetName", &TfrxMemoView::DataSetName, &TfrxMemoView::SetDataSetName);
  Property("ExpressionDelimiters", &TfrxMemoView::ExpressionDelimiters).Stored([](TObject* o) {
    return static_cast<TfrxMemoView*>(o)->ExpressionDelimiters != "[,]";
  });
  Property("FlowTo", &TfrxMemoView::FlowTo, &TfrxMemoView::SetFlowTo);
  Property("LineSpacing", &TfrxMemoView::LineSpacing).Stored([](TObject* o) {
    return static_cast<TfrxMemoView*>(o)->LineSpacing != 2;
  });
  Property("ParagraphGap", &TfrxMemoView::ParagraphGap).Stored([](TObject* o) {
    return static_cast<TfrxMemoView*>(o)->ParagraphGap != 0;
  });
  Property("Underlines", &TfrxMemoView::Underlines).Default(false);
  Property("WordBreak", &TfrxMemoView::WordBreak).Default(false);
  Property("Wysiwyg", &TfrxMemoView::Wysiwyg).Default(true);
}

TOVANI_PUBLISHED(TfrxSysMemoView) { PublishMemoCommon<TovaniPublished_TfrxSysMemoView, TfrxSysMemoView>(*this); }

TfrxCustomMemoView::TfrxCustomMemoView(TComponent* AOwner)
    : TfrxStretcheable(AOwner),
      FFormat(std::make_unique<TfrxFormat>()),
      FHighlight(std::make_unique<TfrxHighlight>()),
      FMemo(std::make_unique<TfrxWideStrings>()),
      FLastValue(Variant::Null()) {
  SetParentFont(true);
  SetfrComponentStyle(frComponentStyle() - csDefaultDiff);
}

TfrxCustomMemoView::~TfrxCustomMemoView() = default;

void TfrxCustomMemoView::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxStretcheable::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFlowTo) FFlowTo = nullptr;
}

String TfrxCustomMemoView::GetTypeCaption() { return frxGetResources()->Get("obText"); }
String TfrxSysMemoView::GetTypeCaption() { return frxGetResources()->Get("obSysText"); }

void TfrxCustomMemoView::SetMemo(TfrxWideStrings* v) {
  if (v) FMemo->Assign(v);
  else FMemo->Clear();
}

void TfrxCustomMemoView::SetFlowTo(TfrxCustomMemoView* v) {
  FFlowTo = v == this ? nullptr : v;
  if (FFlowTo) FFlowTo->FreeNotification(this);
}

bool TfrxCustomMemoView::IsHighlightStored() const { return !Trim(FHighlight->Condition()).empty(); }

void TfrxCustomMemoView::SetStyle(const String& v) {
  FStyle = v;
  TfrxReport* report = GetReport();
  if (!report) return;
  if (TfrxStyleItem* item = report->Styles()->Find(v)) {
    SetColor(item->Color());
    SetFont(item->Font());
    Frame()->Assign(item->Frame());
  }
}

WideString TfrxCustomMemoView::Text() const {
  WideString s = FMemo->Text();
  if (s.size() >= 2 && s.compare(s.size() - 2, 2, u"\r\n") == 0) s.resize(s.size() - 2);
  return s;
}

void TfrxCustomMemoView::SetText(const WideString& Value) { FMemo->SetText(Value); }
String TfrxCustomMemoView::TextUtf8() const { return Utf16ToUtf8(Text()); }
void TfrxCustomMemoView::SetTextUtf8(const String& Value) { SetText(Utf8ToUtf16(Value)); }
String TfrxCustomMemoView::AnsiText() const { return frxWideToAnsi(Text(), Font()->Charset()); }
void TfrxCustomMemoView::SetAnsiText(const String& Value) { SetText(frxAnsiToWide(Value, Font()->Charset())); }

TfrxDrawText* TfrxCustomMemoView::DrawText() { return frxDrawText(); }

// ---------------------------------------------------------------------------
// Layout

void TfrxCustomMemoView::BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                                   Extended OffsetY) {
  TfrxStretcheable::BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  const Extended w = Frame()->Width();
  const TfrxFrameTypes typ = Frame()->Typ();
  TextRect.Left = FX + (typ.Contains(ftLeft) ? Rnd((ScaleX * w - 1) / 2) : 0) + Rnd(ScaleX * GapX);
  TextRect.Top = FY + (typ.Contains(ftTop) ? Rnd((ScaleY * w - 1) / 2) : 0) + Rnd(ScaleY * GapY);
  TextRect.Right = FX1 - (typ.Contains(ftRight) ? Rnd(ScaleX * w / 2) : 0) - Rnd(ScaleX * GapX) + 1;
  TextRect.Bottom = FY1 - (typ.Contains(ftBottom) ? Rnd(ScaleY * w / 2) : 0) - Rnd(ScaleY * GapY) + 1;
}

Extended TfrxCustomMemoView::VerticalAllowance() const {
  const Extended w = Frame()->Width();
  const TfrxFrameTypes typ = Frame()->Typ();
  return 2 * GapY + (typ.Contains(ftTop) ? (w - 1) / 2 : 0) + (typ.Contains(ftBottom) ? w / 2 : 0) +
         (Frame()->DropShadow() ? Frame()->ShadowWidth() : 0);
}

Extended TfrxCustomMemoView::HorizontalAllowance() const {
  const Extended w = Frame()->Width();
  const TfrxFrameTypes typ = Frame()->Typ();
  return 2 * GapX + (typ.Contains(ftLeft) ? (w - 1) / 2 : 0) + (typ.Contains(ftRight) ? w / 2 : 0) +
         (Frame()->DropShadow() ? Frame()->ShadowWidth() : 0);
}

namespace {

void ApplyMemoFontAndOptions(TfrxCustomMemoView* m, TfrxDrawText* dt) {
  if (m->Highlight()->Active()) {
    dt->ApplyFont(m->Highlight()->Font());
    m->SetColor(m->Highlight()->Color());
  } else {
    dt->ApplyFont(m->Font());
  }
  dt->ApplyOptions(m->WordWrap, m->AllowHTMLTags, m->Rotation(), m->Wysiwyg, m->Clipped, m->WordBreak,
                   m->RTLReading);
  dt->ApplySpacing(m->LineSpacing, m->CharSpacing, m->ParagraphGap);
}

TfrxFloatRect BigBox() { return TfrxFloatRect{0, 0, 10000, 10000}; }

}  // namespace

void TfrxCustomMemoView::PrepareLayout(TfrxDrawText* DT, TCanvas* Canvas, Extended ScaleX, Extended ScaleY,
                                       Extended OffsetX, Extended OffsetY) {
  ApplyMemoFontAndOptions(this, DT);
  if (!IsDesigning() && AutoWidth) {
    DT->ApplyBounds(BigBox(), TRect(0, 0, 10000, 10000), 1, 1, 1);
    DT->LoadText(FMemo.get());
    const Extended newWidth = DT->TextWidth() + HorizontalAllowance();
    const Extended change = newWidth - Width();
    if (HAlign == haRight) SetLeft(Left() - change);
    else if (HAlign == haCenter) SetLeft(Left() - change / 2);
    SetWidth(newWidth);
    if (Parent()) Parent()->AlignChildren();
  }
  BeginDraw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  const TRect device = TextRect;
  BeginDraw(Canvas, 1, 1, 0, 0);
  const TfrxFloatRect unscaled{Extended(TextRect.Left), Extended(TextRect.Top), Extended(TextRect.Right),
                               Extended(TextRect.Bottom)};
  TextRect = device;
  DT->ApplyBounds(unscaled, device, IsPrinting() ? PrintScale : 1, ScaleX, ScaleY);
  DT->LoadText(FMemo.get());
  DT->FlagParagraphBreaks(FirstParaBreak, LastParaBreak);
}

void TfrxCustomMemoView::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) {
  if (!IsDesigning()) ReplacePageMacros();
  else if (HasDataBinding())
    SetTextUtf8("[" + FDataSet->UserName() + ".\"" + DataField + "\"]");
  const TColor saved = Color();
  TfrxDrawText* dt = DrawText();
  {
    TLayoutLock lock(dt);
    PrepareLayout(dt, Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
    TfrxStretcheable::Draw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
    if (Underlines && Rotation() == 0) DrawUnderlines();
    dt->PaintText(Canvas, HAlign, VAlign);
  }
  SetColor(saved);
}

void TfrxCustomMemoView::DrawUnderlines() {
  TCanvas* c = FCanvas;
  c->Pen()->SetColor(Frame()->Color());
  c->Pen()->SetWidth(FFrameWidth);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetMode(pmCopy);
  const Extended p = DrawText()->LinePitch() * FScaleY;
  if (p <= 0) return;
  for (Extended y = FY + (GapY - LineSpacing + 1) * FScaleY + p; y < FY1; y += p) {
    c->MoveTo(FX, Rnd(y));
    c->LineTo(FX1, Rnd(y));
  }
}

Extended TfrxCustomMemoView::CalcHeight() {
  TfrxDrawText* dt = DrawText();
  const TColor saved = Color();
  TLayoutLock lock(dt);
  ApplyMemoFontAndOptions(this, dt);
  SetColor(saved);
  if (AutoWidth) {
    dt->ApplyBounds(BigBox(), TRect(0, 0, 10000, 10000), 1, 1, 1);
  } else {
    BeginDraw(nullptr, 1, 1, 0, 0);
    const TfrxFloatRect r{Extended(TextRect.Left), Extended(TextRect.Top), Extended(TextRect.Right),
                          Extended(TextRect.Bottom)};
    dt->ApplyBounds(r, TextRect, 1, 1, 1);
  }
  dt->LoadText(FMemo.get());
  return Rnd(dt->TextHeight() + VerticalAllowance());
}

Extended TfrxCustomMemoView::CalcWidth() {
  TfrxDrawText* dt = DrawText();
  const TColor saved = Color();
  TLayoutLock lock(dt);
  ApplyMemoFontAndOptions(this, dt);
  SetColor(saved);
  dt->ApplyBounds(BigBox(), TRect(0, 0, 10000, 10000), 1, 1, 1);
  dt->LoadText(FMemo.get());
  return Rnd(dt->TextWidth() + HorizontalAllowance());
}

namespace {
// Characters laid out at first for one part of a text split over pages.
constexpr size_t kPartChunk = 8192;
}  // namespace

void TfrxCustomMemoView::InitPart() {
  FPartMemo = Text();
  FirstParaBreak = false;
  LastParaBreak = false;
}

Extended TfrxCustomMemoView::NextPart() {
  const TColor saved = Color();
  TfrxDrawText* dt = DrawText();
  Extended result;
  {
    TLayoutLock lock(dt);
    // Only the beginning of a long text is laid out for each part: enough
    // for two lines more than the part holds, found by doubling. The lines
    // of the part do not depend on the text further on, and a text spread
    // over many pages costs what its length costs, not its length for
    // every page.
    const size_t size = FPartMemo.size();
    size_t cut = size;
    for (size_t take = kPartChunk;; take *= 2) {
      cut = size;
      if (take < size) {
        // Never inside a line break or a surrogate pair: the text laid out
        // must end inside its last paragraph.
        cut = take;
        while (cut < size && (FPartMemo[cut - 1] == u'\r' || FPartMemo[cut - 1] == u'\n' ||
                              (FPartMemo[cut] >= 0xDC00 && FPartMemo[cut] <= 0xDFFF)))
          ++cut;
      }
      SetText(cut < size ? FPartMemo.substr(0, cut) : FPartMemo);
      PrepareLayout(dt, nullptr, 1, 1, 0, 0);
      if (cut >= size || dt->LineCount() > dt->FittingLineCount() + 2) break;
    }
    bool paragraphBreak = false;
    WideString overflow = dt->TakeOverflow(paragraphBreak);
    if (cut < size) {
      // The layout ended the cut paragraph; the text goes on.
      if (overflow.size() >= 2 && overflow.compare(overflow.size() - 2, 2, u"\r\n") == 0)
        overflow.resize(overflow.size() - 2);
      overflow.append(FPartMemo, cut, WideString::npos);
    }
    FPartMemo = std::move(overflow);
    SetText(dt->FittingText());
    LastParaBreak = paragraphBreak;
    result = dt->SpareHeight();
    if (result == 0) result = Height();
  }
  SetColor(saved);
  return result;
}

String TfrxCustomMemoView::DifferenceText(TfrxComponent* ATemplate) {
  String s = TfrxStretcheable::DifferenceText(ATemplate);
  auto* t = ATemplate->Is<TfrxCustomMemoView>() ? static_cast<TfrxCustomMemoView*>(ATemplate) : nullptr;
  auto b = [](bool v) { return String(v ? "1" : "0"); };
  if (t) {
    if (AutoWidth != t->AutoWidth) s += Attr("AutoWidth", b(AutoWidth));
    if (frxFloatDiff(CharSpacing, t->CharSpacing)) s += Attr("CharSpacing", FloatToStr(CharSpacing));
    if (frxFloatDiff(GapX, t->GapX)) s += Attr("GapX", FloatToStr(GapX));
    if (frxFloatDiff(GapY, t->GapY)) s += Attr("GapY", FloatToStr(GapY));
    if (HAlign != t->HAlign) s += Attr("HAlign", IntToStr(Integer(HAlign)));
    if (FHighlight->Active() != t->FHighlight->Active()) s += Attr("Highlight.Active", b(FHighlight->Active()));
    if (frxFloatDiff(LineSpacing, t->LineSpacing)) s += Attr("LineSpacing", FloatToStr(LineSpacing));
  }
  s += Attr("u", frxEscapeXMLText(Utf16ToUtf8(Text())));
  if (t) {
    if (frxFloatDiff(ParagraphGap, t->ParagraphGap)) s += Attr("ParagraphGap", FloatToStr(ParagraphGap));
    if (FRotation != t->FRotation) s += Attr("Rotation", IntToStr(FRotation));
    if (RTLReading != t->RTLReading) s += Attr("RTLReading", b(RTLReading));
    if (Underlines != t->Underlines) s += Attr("Underlines", b(Underlines));
    if (VAlign != t->VAlign) s += Attr("VAlign", IntToStr(Integer(VAlign)));
    if (WordWrap != t->WordWrap) s += Attr("WordWrap", b(WordWrap));
  }
  if (FirstParaBreak) s += Attr("FirstParaBreak", "1");
  if (LastParaBreak) s += Attr("LastParaBreak", "1");
  // The next part of a split continues the paragraph the cut fell into.
  FirstParaBreak = LastParaBreak;
  LastParaBreak = false;
  return s;
}

// ---------------------------------------------------------------------------
// Values

void TfrxCustomMemoView::BeforePrint() {
  TfrxStretcheable::BeforePrint();
  if (!HasDataBinding()) FSavedText = Text();
}

void TfrxCustomMemoView::AfterPrint() {
  if (!HasDataBinding()) SetText(FSavedText);
  TfrxStretcheable::AfterPrint();
}

void TfrxCustomMemoView::GetData() {
  TfrxStretcheable::GetData();
  TfrxReport* report = GetReport();
  if (!report) return;
  if (HasDataBinding()) {
    if (FDataSet->IsBlobField(DataField)) {
      FDataSet->AssignBlobTo(DataField, FMemo.get());
    } else {
      Value = FDataSet->GetValue(DataField);
      WideString text = FFormat->Kind != fkText ? FormatValue(Value) : FDataSet->GetDisplayText(DataField);
      if (HideZeros && !VarIsStr(Value) && !Value.IsNull() && !Value.IsEmpty()) {
        try {
          if (Value.AsDouble() == 0) text.clear();
        } catch (const Exception&) {
        }
      }
      SetText(text);
    }
  } else if (AllowExpressions) {
    ExpandExpressions();
  }
  report->SetScriptValue(Value);
  FHighlight->SetActive(false);
  if (!Trim(FHighlight->Condition()).empty()) {
    Variant v = report->Calc(FHighlight->Condition());
    bool active = false;
    try {
      active = !v.IsNull() && !v.IsEmpty() && v.AsBoolean();
    } catch (const Exception&) {
      active = false;
    }
    FHighlight->SetActive(active);
  }
  if (SuppressRepeated) {
    const String text = TextUtf8();
    if (!FLastValue.IsNull() && VarToStr(FLastValue) == text) SetText(WideString());
    else FLastValue = Variant(text);
  }
  if (FFlowTo) {
    InitPart();
    NextPart();
    FFlowTo->SetText(FPartMemo);
    FFlowTo->AllowExpressions = false;
  }
}

void TfrxCustomMemoView::ExpandExpressions() {
  const String& delims = ExpressionDelimiters;
  const size_t comma = delims.find(',');
  const WideString open = Utf8ToUtf16(delims.substr(0, comma));
  const WideString close = comma == String::npos ? WideString() : Utf8ToUtf16(delims.substr(comma + 1, 255));
  WideString s = Text();
  if (open.empty() || close.empty() || s.find(open) == WideString::npos) return;
  size_t from = 0;
  while (from < s.size()) {
    size_t at = s.find(open, from);
    if (at == WideString::npos) break;
    Integer start = Integer(at) + 1, end = start;
    WideString inner = frxExtractBracketedWide(s, open, close, start, end);
    if (end == start) break;
    WideString value = EvaluateExpression(inner);
    s = s.substr(0, size_t(start - 1)) + value + s.substr(size_t(end));
    // Values are never expanded again.
    from = size_t(start - 1) + value.size();
  }
  SetText(s);
}

WideString TfrxCustomMemoView::EvaluateExpression(const WideString& Expr) {
  WideString expr = Expr;
  TfrxFormat local;
  TfrxFormat* format = nullptr;
  const size_t hash = Expr.find(u" #");
  if (hash != WideString::npos) {
    WideString part = Expr.substr(hash + 2);
    if (part.find(u')') == WideString::npos) {
      expr = Expr.substr(0, hash);
      if (!part.empty()) {
        switch (part[0]) {
          case u'B': case u'b': local.Kind = fkBoolean; break;
          case u'D': case u'd': case u'T': case u't': local.Kind = fkDateTime; break;
          case u'N': case u'n': local.Kind = fkNumeric; break;
          default: break;
        }
        WideString f = part.substr(1, 255);
        if (local.Kind == fkNumeric) {
          for (char16_t& c : f)
            if (c == u',' || c == u'-' || c == u'.') {
              local.DecimalSeparator = Utf16ToUtf8(WideString(1, c));
              c = u'.';
            }
        }
        local.FormatStr = Utf16ToUtf8(f);
      }
      format = &local;
    }
  }
  const WideString upper = UpperW(expr);
  if (upper == u"TOTALPAGES#") Value = Variant(String("[TotalPages#]"));
  else if (upper == u"COPYNAME#") Value = Variant(String("[CopyName#]"));
  else Value = GetReport()->Calc(Utf16ToUtf8(expr));
  if (HideZeros && !VarIsStr(Value) && !Value.IsNull() && !Value.IsEmpty()) {
    try {
      if (Value.AsDouble() == 0) return WideString();
    } catch (const Exception&) {
    }
  }
  return FormatValue(Value, format);
}

WideString TfrxCustomMemoView::FormatValue(const Variant& V, TfrxFormat* Format) {
  if (!Format) Format = FFormat.get();
  if (V.IsNull()) return WideString();
  auto plain = [&]() -> WideString {
    try {
      return Utf8ToUtf16(VarToStr(V));
    } catch (const Exception&) {
      return WideString();
    }
  };
  try {
    String s;
    switch (Format->Kind) {
      case fkNumeric: {
        const String& f = Format->FormatStr;
        if (f.find('#') != String::npos) s = FormatFloat(f, V.AsDouble());
        else if (f.find('d') != String::npos || f.find('u') != String::npos)
          s = ::Format(f, {Int64(std::trunc(V.AsDouble()))});
        else s = ::Format(f, {V.AsDouble()});
        const char sys = FormatSettings().DecimalSeparator;
        if (Format->DecimalSeparator.size() == 1 && Format->DecimalSeparator[0] != sys)
          std::replace(s.begin(), s.end(), sys, Format->DecimalSeparator[0]);
        break;
      }
      case fkDateTime: s = FormatDateTime(Format->FormatStr, V.AsDateTime()); break;
      case fkBoolean: {
        const String& f = Format->FormatStr;
        const size_t comma = f.find(',');
        bool yes = false;
        try {
          yes = V == Variant(true);
        } catch (const Exception&) {
        }
        if (yes) s = comma == String::npos ? String() : f.substr(comma + 1, 255);
        else s = f.substr(0, comma);
        break;
      }
      default: return plain();
    }
    return Utf8ToUtf16(s);
  } catch (const Exception&) {
    return plain();
  }
}

void TfrxCustomMemoView::ReplacePageMacros() {
  if (!AllowExpressions) return;
  WideString s = Text();
  bool changed = ReplaceFirst(s, u"[TOTALPAGES#]", Utf8ToUtf16(IntToStr(TotalPages)));
  const String copyName = VarToStr(frxGlobalVariables()->Variables("CopyName" + IntToStr(CopyNo)));
  changed = ReplaceFirst(s, u"[COPYNAME#]", Utf8ToUtf16(copyName)) || changed;
  if (changed) SetText(s);
}

String TfrxCustomMemoView::GetPlainText() {
  WideString s = Text();
  if (AllowExpressions) ReplaceFirst(s, u"[TOTALPAGES]", Utf8ToUtf16(IntToStr(TotalPages)));
  return Utf16ToUtf8(s);
}
