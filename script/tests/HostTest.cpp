// Host classes seen by scripts: published properties, handler-served
// methods and properties, constructors, typecasts, default and indexed
// properties, owned components, events, and the integer-as-object guard.
#include <map>

#include "ScriptTestUtils.h"
#include "TypInfo.h"
#include "gtest.h"

enum TTestKind { tkSmall, tkLarge };
TOVANI_ENUM_INFO(TTestKind)
TOVANI_IMPLEMENT_ENUM_INFO(TTestKind, "tkSmall", "tkLarge")

class TScriptWidget : public TComponent {
  TOVANI_CLASS(TScriptWidget, TComponent)
 public:
  explicit TScriptWidget(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  Integer Size() const { return FSize; }
  void SetSize(Integer v) { FSize = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  TTestKind Kind() const { return FKind; }
  void SetKind(TTestKind v) { FKind = v; }
  TScriptWidget* Buddy() const { return FBuddy; }
  void SetBuddy(TScriptWidget* v) { FBuddy = v; }
  char Letter() const { return FLetter; }
  void SetLetter(char v) { FLetter = v; }

  TNotifyEvent OnClick;
  void Click() {
    if (OnClick) OnClick(this);
  }
  std::map<String, String> Values;

 private:
  String FCaption;
  Integer FSize = 0;
  double FRatio = 0;
  bool FEnabled = true;
  TTestKind FKind = tkSmall;
  TScriptWidget* FBuddy = nullptr;
  char FLetter = 'a';
};
TOVANI_IMPLEMENT_CLASS_FACTORY(TScriptWidget, TComponent)

class TScriptGadget : public TScriptWidget {
  TOVANI_CLASS(TScriptGadget, TScriptWidget)
 public:
  using TScriptWidget::TScriptWidget;
};
TOVANI_IMPLEMENT_CLASS_FACTORY(TScriptGadget, TScriptWidget)

TOVANI_PUBLISHED(TScriptWidget) {
  Property("Caption", &TScriptWidget::Caption, &TScriptWidget::SetCaption);
  Property("Size", &TScriptWidget::Size, &TScriptWidget::SetSize);
  Property("Ratio", &TScriptWidget::Ratio, &TScriptWidget::SetRatio);
  Property("Enabled", &TScriptWidget::Enabled, &TScriptWidget::SetEnabled);
  Property("Kind", &TScriptWidget::Kind, &TScriptWidget::SetKind);
  Property("Buddy", &TScriptWidget::Buddy, &TScriptWidget::SetBuddy);
  Property("Letter", &TScriptWidget::Letter, &TScriptWidget::SetLetter);
  Property("OnClick", &TScriptWidget::OnClick);
}

namespace {

// The event adapter of TNotifyEvent: runs the script procedure with Sender.
class TTestNotifyEvent : public TfsCustomEvent {
 public:
  using TfsCustomEvent::TfsCustomEvent;
  TMethod HandlerMethod() override {
    TMethod m;
    m.Code = TNotifyEvent([this](TObject* Sender) { CallHandler({fsObjectToVariant(Sender)}); });
    return m;
  }
  static TfsCustomEvent* Make(TObject* Instance, TfsProcVariable* Handler) {
    return new TTestNotifyEvent(Instance, Handler);
  }
};

// Registers the test classes the way a registration module does.
void RegisterWidgets(TfsScript* s, std::vector<String>* calls = nullptr) {
  s->AddClass(TComponent::StaticClass(), "TPersistent");
  s->AddEnum("TTestKind", "tkSmall, tkLarge");
  TfsClassVariable* w = s->AddClass(TScriptWidget::StaticClass(), "TComponent");
  auto handler = [calls](TObject* Instance, TClass, const String& name, TfsMethodHelper* c) -> Variant {
    if (calls) calls->push_back(name);
    auto* self = static_cast<TScriptWidget*>(Instance);
    if (name == "CREATE") {
      if (auto* owner = dynamic_cast<TComponent*>(fsVariantToObject(c->ParamValue(0)))) owner->InsertComponent(self);
      return fsObjectToVariant(self);
    }
    if (name == "TWICE") return c->ParamValue(0) * Variant(2);
    if (name == "GETPAIR") {
      c->SetParamValue(0, Variant(self->Size()));
      c->SetParamValue(1, Variant(self->Caption()));
      return Variant();
    }
    if (name == "CLICK") {
      self->Click();
      return Variant();
    }
    if (name == "VALUES.GET") return Variant(self->Values[VarToStr(c->ParamValue(0))]);
    if (name == "VALUES.SET") {
      self->Values[VarToStr(c->ParamValue(0))] = VarToStr(c->ParamValue(1));
      return Variant();
    }
    if (name == "ITEMS.GET") return Variant(VarToStr(c->ParamValue(0)) + "!");
    if (name == "FREE") {
      delete self;
      return Variant();
    }
    return Variant(Integer(0));
  };
  w->AddConstructor("constructor Create(AOwner: TComponent)", handler);
  w->AddMethod("function Twice(x: Integer): Integer", handler);
  w->AddMethod("procedure GetPair(var a: Integer; var b: String)", handler);
  w->AddMethod("procedure Click", handler);
  w->AddMethod("procedure Free", handler);
  w->AddIndexProperty("Values", "String", "String", handler);
  w->AddDefaultProperty("Items", "Integer", "String", handler, true);
  w->AddProperty(
      "Area", "Integer",
      [](TObject* Instance, TClass, const String&) -> Variant {
        return Variant(static_cast<TScriptWidget*>(Instance)->Size() * 10);
      },
      nullptr);
  w->AddEvent("OnClick", &TTestNotifyEvent::Make);
  s->AddClass(TScriptGadget::StaticClass(), "TScriptWidget");
}

}  // namespace

TEST(ScriptHost, PublishedPropertiesReadAndWrite) {
  ScriptRun r;
  RegisterWidgets(r.Script.get());
  TScriptWidget w;
  w.SetName("W");
  w.SetCaption("cap");
  w.SetSize(4);
  r.Script->AddObject("W", &w);
  ASSERT_TRUE(r.Run("var c: String; n: Integer; e, e2: Boolean; k: Integer; l: String;\n"
                    "begin\n"
                    "  c := W.Caption; n := W.Size + 1; e := W.Enabled; k := W.Kind; l := W.Letter;\n"
                    "  W.Caption := c + '!'; W.Size := n; W.Ratio := 2.5; W.Enabled := False;\n"
                    "  W.Kind := tkLarge; W.Letter := 'xyz'; e2 := W.Enabled;\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("c"), Variant("cap"));
  EXPECT_EQ(r.Get("e"), Variant(true));   // a Boolean, not 1
  EXPECT_EQ(r.Get("e").Kind(), varBoolean);
  EXPECT_EQ(r.Get("e2"), Variant(false));
  EXPECT_EQ(r.Get("k"), Variant(0));
  EXPECT_EQ(r.Get("l"), Variant("a"));
  EXPECT_EQ(w.Caption(), "cap!");
  EXPECT_EQ(w.Size(), 5);
  EXPECT_EQ(w.Ratio(), 2.5);
  EXPECT_FALSE(w.Enabled());
  EXPECT_EQ(w.Kind(), tkLarge);
  EXPECT_EQ(w.Letter(), 'x');
}

TEST(ScriptHost, MethodsVarParamsAndHandlerProperties) {
  ScriptRun r;
  std::vector<String> calls;
  RegisterWidgets(r.Script.get(), &calls);
  TScriptWidget w;
  w.SetSize(6);
  w.SetCaption("six");
  r.Script->AddObject("W", &w);
  ASSERT_TRUE(r.Run("var t, a, area: Integer; b, v, d: String;\n"
                    "begin\n"
                    "  t := W.Twice(21); W.GetPair(a, b); area := W.Area;\n"
                    "  W.Values['k'] := 'v'; v := W.Values['k']; d := W[3];\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(r.Get("t"), Variant(42));
  EXPECT_EQ(r.Get("a"), Variant(6));
  EXPECT_EQ(r.Get("b"), Variant("six"));
  EXPECT_EQ(r.Get("area"), Variant(60));
  EXPECT_EQ(w.Values["k"], "v");
  EXPECT_EQ(r.Get("v"), Variant("v"));
  EXPECT_EQ(r.Get("d"), Variant("3!"));
  EXPECT_EQ(calls, (std::vector<String>{"TWICE", "GETPAIR", "VALUES.SET", "VALUES.GET", "ITEMS.GET"}));
}

TEST(ScriptHost, ConstructorsTypecastsAndClassTests) {
  ScriptRun r;
  RegisterWidgets(r.Script.get());
  TComponent owner;
  r.Script->AddObject("Owner", &owner);
  ASSERT_TRUE(r.Run("var w: TScriptWidget; g: TScriptGadget; c: TComponent; isW, isG, gIsW: Boolean; n: String;\n"
                    "begin\n"
                    "  w := TScriptWidget.Create(Owner); w.Caption := 'made';\n"
                    "  g := TScriptGadget.Create(Owner);\n"
                    "  c := w; isW := c is TScriptWidget; isG := c is TScriptGadget; gIsW := g is TScriptWidget;\n"
                    "  n := TScriptWidget(c).Caption;\n"
                    "end."))
      << r.Error();
  ASSERT_EQ(owner.ComponentCount(), 2);
  auto* made = dynamic_cast<TScriptWidget*>(owner.Components(0));
  ASSERT_TRUE(made);
  EXPECT_EQ(made->Caption(), "made");
  EXPECT_EQ(r.Get("isW"), Variant(true));
  EXPECT_EQ(r.Get("isG"), Variant(false));
  EXPECT_EQ(r.Get("gIsW"), Variant(true));
  EXPECT_EQ(r.Get("n"), Variant("made"));

  // A class variable accepts a derived class, not an unrelated one.
  ScriptRun bad;
  RegisterWidgets(bad.Script.get());
  EXPECT_FALSE(bad.Compile("var g: TScriptGadget; w: TScriptWidget; begin g := w; end."));
  EXPECT_EQ(bad.Script->ErrorText, "Incompatible types: 'TScriptGadget', 'TScriptWidget'");
}

TEST(ScriptHost, WithStatementAndOwnedComponents) {
  ScriptRun r;
  RegisterWidgets(r.Script.get());
  TComponent form;
  form.SetName("Form1");
  auto* inner = new TScriptWidget(&form);
  inner->SetName("Inner");
  r.Script->AddObject("Form1", &form);
  TScriptWidget w;
  r.Script->AddObject("W", &w);
  ASSERT_TRUE(r.Run("var s: Integer;\n"
                    "begin\n"
                    "  with W do begin Caption := 'x'; Size := 3; s := Size * 2; end;\n"
                    "  Form1.Inner.Caption := 'found';\n"
                    "end."))
      << r.Error();
  EXPECT_EQ(w.Caption(), "x");
  EXPECT_EQ(r.Get("s"), Variant(6));
  EXPECT_EQ(inner->Caption(), "found");

  ScriptRun u;
  RegisterWidgets(u.Script.get());
  u.Script->AddObject("Form1", &form);
  EXPECT_FALSE(u.Compile("begin Form1.Nobody.Caption := 'x'; end."));
  EXPECT_EQ(u.Script->ErrorText, "Undeclared identifier: 'Nobody'");
}

TEST(ScriptHost, EventsConnectToScriptProcedures) {
  ScriptRun r;
  RegisterWidgets(r.Script.get());
  TScriptWidget w;
  r.Script->AddObject("W", &w);
  ASSERT_TRUE(r.Run("var clicks: Integer; last: String;\n"
                    "procedure WClick(Sender: TScriptWidget);\n"
                    "begin clicks := clicks + 1; last := Sender.Caption; W.Click; end;\n"
                    "begin W.Caption := 'me'; W.OnClick := 'WClick'; W.Click; end."))
      << r.Error();
  // The handler's own W.Click fires while it runs and is dropped.
  EXPECT_EQ(r.Get("clicks"), Variant(1));
  EXPECT_EQ(r.Get("last"), Variant("me"));
  w.Click();   // the host fires the event later
  EXPECT_EQ(r.Get("clicks"), Variant(2));

  ASSERT_TRUE(r.Compile("begin W.OnClick := '0'; end.")) << r.Error();
  r.Script->Execute();
  EXPECT_FALSE(w.OnClick);

  ScriptRun bad;
  RegisterWidgets(bad.Script.get());
  bad.Script->AddObject("W", &w);
  ASSERT_TRUE(bad.Compile("var x: Integer; begin W.OnClick := 'x'; end.")) << bad.Error();
  try {
    bad.Script->Execute();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Event handler must be a procedure");
  }
}

TEST(ScriptHost, IntegersAreNoObjects) {
  TScriptWidget w;
  // Typecasts and Variants let an integer reach places where an object is
  // expected: each is a script error, never a memory access.
  const char* programs[] = {
      "var s: String; begin s := TScriptWidget(12345).Caption; end.",
      "begin TScriptWidget(4096).Size := 1; end.",
      "begin W.Buddy := TScriptWidget(77); end.",
      "var v: Variant; s: String; begin v := 99; s := v.Caption; end.",
      "begin TScriptWidget(5).Twice(1); end.",
  };
  for (const char* text : programs) {
    ScriptRun r;
    RegisterWidgets(r.Script.get());
    r.Script->AddObject("W", &w);
    ASSERT_TRUE(r.Compile(text)) << text << " " << r.Error();
    EXPECT_THROW(r.Script->Execute(), EfsScriptError) << text;
  }
  // nil is fine where an object may be absent.
  ScriptRun r;
  RegisterWidgets(r.Script.get());
  r.Script->AddObject("W", &w);
  w.SetBuddy(&w);
  ASSERT_TRUE(r.Run("begin W.Buddy := nil; end.")) << r.Error();
  EXPECT_EQ(w.Buddy(), nullptr);
}

TEST(ScriptHost, LateBoundVariantMembers) {
  ScriptRun r;
  RegisterWidgets(r.Script.get());
  TScriptWidget w;
  w.SetCaption("late");
  r.Script->AddObject("W", &w);
  ASSERT_TRUE(r.Run("var v: Variant; s: String; n: Integer;\n"
                    "begin v := W; s := v.Caption; v.Size := 9; n := v.Size; end."))
      << r.Error();
  EXPECT_EQ(r.Get("s"), Variant("late"));
  EXPECT_EQ(w.Size(), 9);
  EXPECT_EQ(r.Get("n"), Variant(9));
}

TEST(ScriptHost, MacroRoutinesReceiveSourceText) {
  ScriptRun r;
  String seen;
  r.Script->AddMethod("macrofunction SUM(Expr: Variant; Band: Variant = 0): Variant",
                      [&](TObject*, TClass, const String&, TfsMethodHelper* c) -> Variant {
                        seen = VarToStr(c->ParamValue(0));
                        return Variant(1);
                      });
  ASSERT_TRUE(r.Run("var Price, Qty, t: Integer; begin t := SUM(Price * Qty); end.")) << r.Error();
  EXPECT_EQ(seen, "Price * Qty");
  EXPECT_EQ(r.Get("t"), Variant(1));
}

TEST(ScriptHost, ArrayStyleHandlers) {
  ScriptRun r;
  r.Script->AddMethodOldStyle("procedure Bump(var x: Integer; by: Integer)",
                              [](TObject*, TClass, const String& name, Variant& params) -> Variant {
                                EXPECT_EQ(name, "BUMP");
                                params.PutElement(0, params.GetElement(0) + params.GetElement(1));
                                return Variant();
                              });
  ASSERT_TRUE(r.Run("var a: Integer; begin a := 5; Bump(a, 3); end.")) << r.Error();
  EXPECT_EQ(r.Get("a"), Variant(8));
}

TEST(ScriptHost, RoutinesAreNotRunWhileCompiling) {
  ScriptRun r;
  RegisterWidgets(r.Script.get());
  TScriptWidget w;
  w.SetCaption("from call");
  r.Script->AddObject("W", &w);
  ASSERT_TRUE(r.Compile("var calls: Integer; s: String;\n"
                        "function Pick(n: Integer): Variant; begin calls := calls + n; Result := W; end;\n"
                        "begin s := Pick(2).Caption; end."))
      << r.Error();
  EXPECT_EQ(r.Get("calls"), Variant(0));
  r.Script->Execute();
  EXPECT_EQ(r.Get("s"), Variant("from call"));
}
