// Container styles: values in effect through the style, its controller
// chain and the fallbacks; assigned bits; one change notice per batch.
#include <memory>

#include "FormFile.h"
#include "TypInfo.h"
#include "cxContainer.h"
#include "gtest.h"

namespace {
TcxContainerStyleFactory PlainStyles() {
  return [](TPersistent* o, bool d, TcxContainerStyle* p, TcxContainerStateItem s) {
    return new TcxContainerStyle(o, d, p, s);
  };
}

struct TStyleSet {
  TcxContainerStyles Styles{nullptr, PlainStyles()};
  Integer Changes = 0;
  TStyleSet() {
    Styles.SetChangeHandler([this](TObject*) { ++Changes; });
  }
  TcxContainerStyle* N() { return Styles.Style(); }
  TcxContainerStyle* F() { return Styles.StyleFocused(); }
  TcxContainerStyle* D() { return Styles.StyleDisabled(); }
  TcxContainerStyle* H() { return Styles.StyleHot(); }
};
}  // namespace

TEST(cxContainerStyle, BorderStylesByLookAndFeelAndHotTracking) {
  struct Case {
    TcxLookAndFeelKind Kind;
    bool HotTrack;
    TcxContainerBorderStyle Normal, Hot, Disabled;
  };
  const Case cases[] = {
      {lfStandard, true, cbs3D, cbs3D, cbs3D},
      {lfFlat, true, cbsFlat, cbs3D, cbsFlat},
      {lfFlat, false, cbsFlat, cbsFlat, cbsFlat},
      {lfUltraFlat, true, cbsUltraFlat, cbsUltraFlat, cbsUltraFlat},
      {lfOffice11, true, cbsOffice11, cbsOffice11, cbsOffice11},
  };
  for (const Case& k : cases) {
    TStyleSet s;
    s.N()->LookAndFeel()->SetKind(k.Kind);
    s.N()->SetHotTrack(k.HotTrack);
    EXPECT_EQ(s.N()->BorderStyle(), k.Normal) << k.Kind;
    EXPECT_EQ(s.H()->BorderStyle(), k.Hot) << k.Kind;
    EXPECT_EQ(s.F()->BorderStyle(), k.Hot) << k.Kind;
    EXPECT_EQ(s.D()->BorderStyle(), k.Disabled) << k.Kind;
  }
  // The hot table from an assigned normal border.
  TStyleSet s;
  const TcxContainerBorderStyle from[] = {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat, cbsOffice11};
  const TcxContainerBorderStyle hot[] = {cbsFlat, cbsThick, cbsThick, cbs3D, cbs3D, cbsUltraFlat, cbsOffice11};
  for (int i = 0; i < 7; ++i) {
    s.N()->SetBorderStyle(from[i]);
    EXPECT_EQ(s.H()->BorderStyle(), hot[i]) << i;
  }
}

TEST(cxContainerStyle, FallbacksAndAssignedValues) {
  TStyleSet s;
  // The disabled slot has its own fallbacks, whatever the normal style says.
  s.N()->SetTextColor(clRed);
  s.N()->SetBorderColor(clBlue);
  EXPECT_EQ(s.D()->TextColor(), clBtnShadow);
  EXPECT_EQ(s.D()->BorderColor(), clBtnShadow);
  EXPECT_EQ(s.F()->TextColor(), clRed);
  EXPECT_EQ(s.H()->BorderColor(), clBlue);
  // Base-only values set on a state style go to the normal style.
  struct Case {
    std::function<void(TcxContainerStyle*)> Set;
    TcxContainerStyleValue Value;
    bool OnState;   // the bit lands on the state style itself
  };
  const Case cases[] = {
      {[](TcxContainerStyle* h) { h->SetShadow(true); }, csvShadow, false},
      {[](TcxContainerStyle* h) { h->SetHotTrack(false); }, csvHotTrack, false},
      {[](TcxContainerStyle* h) { h->SetEdges({bLeft}); }, csvEdges, false},
      {[](TcxContainerStyle* h) { h->SetTransparentBorder(false); }, csvTransparentBorder, false},
      {[](TcxContainerStyle* h) { h->SetColor(clYellow); }, csvColor, true},
      {[](TcxContainerStyle* h) { h->SetTextStyle({fsBold}); }, csvTextStyle, true},
      {[](TcxContainerStyle* h) { h->SetBorderStyle(cbsSingle); }, csvBorderStyle, true},
  };
  for (const Case& k : cases) {
    TStyleSet t;
    k.Set(t.H());
    EXPECT_EQ(t.H()->AssignedValues().Contains(k.Value), k.OnState) << k.Value;
    EXPECT_EQ(t.N()->AssignedValues().Contains(k.Value), !k.OnState) << k.Value;
  }
  // Setting the value already in effect on an assigned value changes nothing.
  s.Changes = 0;
  s.N()->SetTextColor(clRed);
  s.N()->SetBorderColor(clBlue);
  EXPECT_EQ(s.Changes, 0);
  // The visible font carries the text colour and style.
  s.N()->SetTextStyle({fsItalic});
  TFont* f = s.N()->GetVisibleTextFont();
  EXPECT_EQ(f->Color(), clRed);
  EXPECT_TRUE(f->Style().Contains(fsItalic));
  EXPECT_EQ(s.F()->Font(), s.N()->Font());
}

TEST(cxContainerStyle, OneChangeNoticePerBatchAndFontBits) {
  TStyleSet s;
  s.N()->BeginUpdate();
  s.N()->SetColor(clRed);
  s.N()->SetBorderColor(clBlue);
  s.N()->SetShadow(true);
  s.N()->SetTextColor(clGreen);
  s.N()->SetTextStyle({fsBold});
  s.N()->SetEdges({bLeft, bTop});
  s.N()->SetHotTrack(false);
  s.N()->SetTransparentBorder(false);
  s.N()->SetBorderStyle(cbsSingle);
  s.N()->Font()->SetSize(14);
  EXPECT_EQ(s.Changes, 0);
  s.N()->EndUpdate();
  EXPECT_EQ(s.Changes, 1);
  // Changing the owned font makes the font the style's own; reloading does not.
  TStyleSet t;
  EXPECT_FALSE(t.N()->AssignedValues().Contains(csvFont));
  t.N()->ReloadFont();
  EXPECT_FALSE(t.N()->AssignedValues().Contains(csvFont));
  t.N()->Font()->SetSize(15);
  EXPECT_TRUE(t.N()->AssignedValues().Contains(csvFont));
  // Restoring defaults clears every bit.
  t.N()->RestoreDefaultValues();
  EXPECT_TRUE(t.N()->AssignedValues().Empty());
}

TEST(cxContainerStyle, ControllersChainsAndGoingAway) {
  auto a = std::make_unique<TcxStyleController>(nullptr);
  auto b = std::make_unique<TcxStyleController>(nullptr);
  TStyleSet s;
  EXPECT_EQ(s.N()->StyleController(), nullptr);   // the default one
  a->GetStyle()->SetColor(clAqua);
  a->StyleDisabled()->SetTextColor(clMaroon);
  b->GetStyle()->SetBorderColor(clLime);
  a->GetStyle()->SetStyleController(b.get());
  s.Changes = 0;
  s.H()->SetStyleController(a.get());   // a state style sets the normal style's controller
  EXPECT_EQ(s.N()->StyleController(), a.get());
  EXPECT_GE(s.Changes, 1);
  EXPECT_EQ(s.N()->Color(), clAqua);
  EXPECT_TRUE(s.N()->IsValueAssigned(csvColor));
  EXPECT_FALSE(s.N()->AssignedValues().Contains(csvColor));
  EXPECT_EQ(s.D()->TextColor(), clMaroon);
  EXPECT_EQ(s.N()->BorderColor(), clLime);   // two controllers down
  EXPECT_TRUE(a->IsRegistered(s.N()));
  // A change on the controller reaches its styles.
  s.Changes = 0;
  a->GetStyle()->SetColor(clFuchsia);
  EXPECT_EQ(s.Changes, 1);
  EXPECT_EQ(s.N()->Color(), clFuchsia);
  // A circle is refused.
  b->GetStyle()->SetStyleController(a.get());
  EXPECT_EQ(b->GetStyle()->StyleController(), nullptr);
  a->GetStyle()->SetStyleController(a.get());
  EXPECT_EQ(a->GetStyle()->StyleController(), b.get());
  // The controller's look-and-feel leads the style's.
  a->GetStyle()->LookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(s.N()->LookAndFeel()->Kind(), lfFlat);
  EXPECT_EQ(s.N()->BorderStyle(), cbsFlat);
  // A controller going away sends its styles back to the default one.
  a.reset();
  EXPECT_EQ(s.N()->StyleController(), nullptr);
  EXPECT_EQ(s.N()->Color(), clBtnFace);   // no container: the parent-colour fallback
  EXPECT_EQ(s.N()->LookAndFeel()->Kind(), cxRootLookAndFeel()->Kind());
}

TEST(cxContainerStyle, DirectAccessAndAssign) {
  TFont font;
  font.SetStyle({fsUnderline});
  TcxContainerStyle direct(nullptr, true);
  direct.SetFont(&font);
  direct.SetColor(clRed);
  direct.SetTextColor(clBlue);
  EXPECT_EQ(direct.BorderColor(), clDefault);
  EXPECT_TRUE(direct.Edges().Empty());
  EXPECT_FALSE(direct.Shadow());
  EXPECT_TRUE(direct.TransparentBorder());
  EXPECT_EQ(direct.TextStyle(), TFontStyles{fsUnderline});
  EXPECT_EQ(direct.AssignedValues().Contains(csvHotTrack), true);
  // A plain style copies the values in effect and the assigned bits.
  TStyleSet s;
  s.N()->Assign(&direct);
  EXPECT_EQ(s.Changes, 1);
  EXPECT_EQ(s.N()->Color(), clRed);
  EXPECT_EQ(s.N()->Font()->Color(), clBlue);
  EXPECT_EQ(s.N()->TextColor(), clBlue);
  // Names of the values, found without regard to case.
  TcxContainerStyleValue v;
  ASSERT_TRUE(s.N()->FindStyleValue("textcolor", v));
  EXPECT_EQ(v, csvTextColor);
  EXPECT_FALSE(s.N()->FindStyleValue("ButtonStyle", v));
  EXPECT_FALSE(s.H()->IsSlotPropertyVisible("Shadow"));
  EXPECT_TRUE(s.H()->IsSlotPropertyVisible("Color"));
  EXPECT_FALSE(s.H()->IsSlotPropertyVisible("LookAndFeel"));
}

// A controller that publishes two of its styles, as the editors' does.
class TStreamedStyleController : public TcxStyleController {
  TOVANI_CLASS(TStreamedStyleController, TcxStyleController)
 public:
  TStreamedStyleController() : TcxStyleController(nullptr) {}
};
TOVANI_IMPLEMENT_CLASS_FACTORY(TStreamedStyleController, TcxStyleController)
TOVANI_PUBLISHED(TStreamedStyleController) {
  Property("Style", &TStreamedStyleController::Style, &TStreamedStyleController::SetStyle);
  Property("StyleHot", &TStreamedStyleController::StyleHot, &TStreamedStyleController::SetStyleHot);
}

TEST(cxContainerStyle, StreamsOnlyAssignedValuesAndTheFontMark) {
  TStreamedStyleController c;
  c.SetName("Styles");
  c.Style()->SetColor(clRed);
  c.Style()->Font()->SetSize(14);
  c.StyleHot()->SetTextColor(clBlue);
  c.StyleHot()->SetShadow(true);   // lands on the normal style
  String text = ComponentToText(&c);
  EXPECT_NE(text.find("Style.Color = 255\r"), String::npos) << text;
  EXPECT_NE(text.find("Style.IsFontAssigned = True"), String::npos) << text;
  EXPECT_NE(text.find("Style.Shadow = True"), String::npos) << text;
  EXPECT_NE(text.find("StyleHot.TextColor = 16711680\r"), String::npos) << text;
  EXPECT_EQ(text.find("StyleHot.Shadow"), String::npos) << text;
  EXPECT_EQ(text.find("BorderColor"), String::npos) << text;
  EXPECT_EQ(text.find("AssignedValues"), String::npos) << text;
  EXPECT_EQ(text.find("StyleController ="), String::npos) << text;
  // Read back: the same values with their bits.
  TStreamedStyleController d;
  ReadComponentFromText(text, &d);
  EXPECT_EQ(d.Style()->Color(), clRed);
  EXPECT_EQ(d.Style()->Font()->Size(), 14);
  EXPECT_TRUE(d.Style()->AssignedValues().Contains(csvFont));
  EXPECT_TRUE(d.Style()->AssignedValues().Contains(csvColor));
  EXPECT_FALSE(d.Style()->AssignedValues().Contains(csvBorderColor));
  EXPECT_EQ(d.StyleHot()->TextColor(), clBlue);
  EXPECT_TRUE(d.Style()->Shadow());
}
