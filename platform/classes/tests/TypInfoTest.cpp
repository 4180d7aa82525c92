#include "gtest.h"
#include "TestComponents.h"

namespace {

std::vector<String> Names(const TPropList& l) {
  std::vector<String> r;
  for (auto* p : l) r.push_back(p->Name);
  return r;
}

TEST(TypInfo, PropListInDeclarationOrderInheritedFirst) {
  EXPECT_EQ(Names(GetPropList(TTestPanel::StaticClass())),
            (std::vector<String>{"Name", "Tag", "Caption", "Shape", "Options", "Ratio", "Price", "Big",
                                 "Enabled", "Font", "Lines", "Items", "Buddy", "OnClick", "Value"}));
  EXPECT_EQ(Names(GetPropList(TTestPanel::StaticClass(), TTypeKinds{tkClass})),
            (std::vector<String>{"Font", "Lines", "Items", "Buddy"}));
}

TEST(TypInfo, KindsAndTypesFollowTheCppTypes) {
  struct Row { const char* prop; TTypeKind kind; const char* type; };
  const Row rows[] = {
      {"Name", tkString, "String"},     {"Tag", tkInteger, "Integer"},
      {"Shape", tkEnumeration, "TTestShape"}, {"Options", tkSet, "set of TTestOption"},
      {"Ratio", tkFloat, "Double"},     {"Price", tkFloat, "Currency"},
      {"Big", tkInt64, "Int64"},        {"Enabled", tkEnumeration, "Boolean"},
      {"Font", tkClass, "TTestFont"},   {"Buddy", tkClass, "TTestPanel"},
      {"OnClick", tkMethod, "TNotifyEvent"},
  };
  for (const Row& r : rows) {
    const TPropInfo* p = GetPropInfo(TTestPanel::StaticClass(), r.prop);
    ASSERT_NE(p, nullptr) << r.prop;
    EXPECT_EQ(p->Kind(), r.kind) << r.prop;
    EXPECT_EQ(p->PropType->Name, r.type) << r.prop;
  }
  EXPECT_EQ(GetPropInfo(TTestPanel::StaticClass(), "caption"), GetPropInfo(TTestPanel::StaticClass(), "CAPTION"));
  EXPECT_EQ(GetPropInfo(TTestPanel::StaticClass(), "Nope"), nullptr);
  EXPECT_EQ(GetObjectPropClass(GetPropInfo(TTestPanel::StaticClass(), "Font")), TTestFont::StaticClass());
}

TEST(TypInfo, ReadAndWriteEveryKindByName) {
  TTestPanel p;
  SetStrProp(&p, "Caption", "订单");
  SetEnumProp(&p, "Shape", "shCircle");
  SetSetProp(&p, "Options", "[toBold, toUnderline]");
  SetFloatProp(&p, "Ratio", 1.25);
  SetFloatProp(&p, "Price", 12.3456);
  SetOrdProp(&p, "Big", Int64(1) << 40);
  SetOrdProp(&p, "Enabled", 0);
  EXPECT_EQ(p.Caption(), "订单");
  EXPECT_EQ(p.Shape(), shCircle);
  EXPECT_EQ(p.Options(), (TTestOptions{toBold, toUnderline}));
  EXPECT_EQ(GetSetProp(&p, "Options", true), "[toBold,toUnderline]");
  EXPECT_EQ(GetEnumProp(&p, "Shape"), "shCircle");
  EXPECT_DOUBLE_EQ(GetFloatProp(&p, "Ratio"), 1.25);
  EXPECT_EQ(p.Price().Raw(), 123456);
  EXPECT_EQ(GetOrdProp(&p, "Big"), Int64(1) << 40);
  EXPECT_FALSE(p.Enabled());
  EXPECT_EQ(GetOrdProp(&p, "Shape"), 1);
}

TEST(TypInfo, PropValuesAsVariants) {
  TTestPanel p;
  TTestPanel other;
  SetPropValue(&p, "Caption", Variant(12));
  SetPropValue(&p, "Shape", Variant("shTriangle"));
  SetPropValue(&p, "Options", Variant("[toItalic]"));
  SetPropValue(&p, "Enabled", Variant(false));
  SetPropValue(&p, "Tag", Variant("42"));
  SetPropValue(&p, "Ratio", Variant("2.5"));
  SetPropValue(&p, "Buddy", Variant::FromObject(&other));
  SetPropValue(&p, "Value", Variant::Null());
  EXPECT_EQ(p.Caption(), "12");
  EXPECT_EQ(p.Shape(), shTriangle);
  EXPECT_EQ(p.Options(), TTestOptions{toItalic});
  EXPECT_FALSE(p.Enabled());
  EXPECT_EQ(p.Tag(), 42);
  EXPECT_EQ(p.Buddy(), &other);
  EXPECT_TRUE(p.Value().IsNull());
  EXPECT_EQ(VarToStr(GetPropValue(&p, "Shape")), "shTriangle");
  EXPECT_EQ(GetPropValue(&p, "Shape", false).AsInteger(), 2);
  EXPECT_EQ(GetPropValue(&p, "Enabled").Kind(), varBoolean);
  EXPECT_EQ(GetPropValue(&p, "Options").AsString(), "toItalic");
  EXPECT_DOUBLE_EQ(GetPropValue(&p, "Ratio").AsDouble(), 2.5);
  EXPECT_EQ(GetPropValue(&p, "Buddy").AsObject(), &other);
  EXPECT_THROW(GetPropValue(&p, "OnClick"), EPropertyError);
  EXPECT_THROW(SetPropValue(&p, "Tag", Variant("abc")), EVariantError);
}

TEST(TypInfo, BadAccessGivesClearErrors) {
  TTestPanel p;
  struct Case { std::function<void()> f; const char* message; };
  const Case cases[] = {
      {[&] { GetStrProp(&p, "Missing"); }, "Property Missing does not exist"},
      {[&] { GetStrProp(&p, "Shape"); }, "Invalid property type: Shape"},
      {[&] { SetEnumProp(&p, "Shape", "shHexagon"); }, "Invalid property element: shHexagon"},
      {[&] { SetSetProp(&p, "Options", "[toBold, toStrike]"); }, "Invalid property element: toStrike"},
  };
  for (const Case& c : cases) {
    try {
      c.f();
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const EPropertyError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  TTestFont font;
  EXPECT_THROW(SetObjectProp(&p, "Buddy", &font), EInvalidCast);
  // A property of another class is refused rather than applied to the wrong object.
  EXPECT_THROW(GetOrdProp(&font, GetPropInfo(TTestPanel::StaticClass(), "Shape")), EPropertyError);
}

TEST(TypInfo, EnumAndSetTexts) {
  const TTypeInfo* shape = TypeInfoOf<TTestShape>();
  EXPECT_EQ(GetEnumName(shape, 2), "shTriangle");
  EXPECT_EQ(GetEnumName(shape, 3), "");
  EXPECT_EQ(GetEnumName(shape, -1), "");
  EXPECT_EQ(GetEnumValue(shape, "SHCIRCLE"), 1);
  EXPECT_EQ(GetEnumValue(shape, "x"), -1);
  EXPECT_EQ(GetEnumValue(TypeInfoOf<bool>(), "true"), 1);
  EXPECT_EQ(FindTypeInfo("ttestshape"), shape);
  const TTypeInfo* opts = TypeInfoOf<TTestOptions>();
  EXPECT_EQ(StringToSet(opts, ""), 0u);
  EXPECT_EQ(StringToSet(opts, "[]"), 0u);
  EXPECT_EQ(StringToSet(opts, "toItalic,toBold"), 3u);
  EXPECT_EQ(SetToString(opts, 6), "toItalic,toUnderline");
  EXPECT_THROW(StringToSet(opts, "[toBold"), EPropertyError);
}

TEST(TypInfo, PublishedMethodsCalledLateBound) {
  TTestForm form;
  TTestPanel panel(&form);
  panel.SetName("P1");
  std::vector<Variant> args{Variant(2), Variant("40")};
  EXPECT_EQ(InvokePublishedMethod(&form, "add", args).AsInteger(), 42);
  std::vector<Variant> swap{Variant("a"), Variant("b")};
  EXPECT_TRUE(InvokePublishedMethod(&form, "Swap", swap).IsEmpty());
  EXPECT_EQ(swap[0].AsString(), "b");   // var parameters come back
  EXPECT_EQ(swap[1].AsString(), "a");
  std::vector<Variant> desc{Variant::FromObject(&panel), Variant(1), Variant(0.5), Variant(true)};
  EXPECT_EQ(InvokePublishedMethod(&form, "Describe", desc).AsString(), "P1/1/0.500000/T");
  std::vector<Variant> click{Variant::FromObject(&panel)};
  InvokePublishedMethod(&form, "PanelClick", click);
  EXPECT_EQ(form.LastSender, &panel);

  std::vector<Variant> one{Variant(1)};
  EXPECT_THROW(InvokePublishedMethod(&form, "Add", one), EInvalidArgument);
  EXPECT_THROW(InvokePublishedMethod(&form, "Nothing", one), EMethodNotFound);
  TTestFont font;
  std::vector<Variant> wrong{Variant::FromObject(&font), Variant(0), Variant(0.0), Variant(false)};
  EXPECT_THROW(InvokePublishedMethod(&form, "Describe", wrong), EInvalidCast);
}

TEST(TypInfo, WriteOnlyProperty) {
  TTestForm form;
  const TPropInfo* p = GetPropInfo(&form, "Pending");
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->HasGetter());
  SetOrdProp(&form, p, 5);
  EXPECT_EQ(form.Clicks, 5);
  try {
    GetOrdProp(&form, p);
    ADD_FAILURE();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Property Pending is write-only");
  }
  TComponent c;
  try {
    SetOrdProp(&c, "Tag", 1);
    SetStrProp(&c, "Name", "ok");
  } catch (...) {
    ADD_FAILURE();
  }
}

TEST(TypInfo, DefaultsAndStoredPredicates) {
  const TPropInfo* width = GetPropInfo(TTestItem::StaticClass(), "Width");
  EXPECT_EQ(width->Default, 64);
  EXPECT_EQ(GetPropInfo(TTestPanel::StaticClass(), "Caption")->Default, NoDefault);
  EXPECT_EQ(GetPropInfo(TTestPanel::StaticClass(), "Enabled")->Default, 1);
  TComponent c;
  EXPECT_FALSE(IsStoredProp(&c, GetPropInfo(&c, "Name")));
  EXPECT_TRUE(IsStoredProp(&c, GetPropInfo(&c, "Tag")));
}

TEST(TypInfo, EventsBindPublishedMethodsByNameAndKeepTheName) {
  TTestForm form;
  TTestPanel panel(&form);
  const TPropInfo* onClick = GetPropInfo(&panel, "OnClick");
  SetMethodProp(&panel, onClick, TMethod{{}, &form, "panelclick"});
  ASSERT_TRUE(panel.OnClick);
  panel.OnClick(&panel);
  EXPECT_EQ(form.Clicks, 1);
  EXPECT_EQ(form.LastSender, &panel);
  TMethod m = GetMethodProp(&panel, onClick);
  EXPECT_EQ(m.Name, "PanelClick");
  EXPECT_EQ(m.Data, &form);
  EXPECT_TRUE(SameMethod(m, TMethod{{}, &form, "PanelClick"}));
  EXPECT_FALSE(SameMethod(m, TMethod{{}, &form, "OtherClick"}));

  // a plain std::function can be stored but has no name to write
  panel.OnClick = [](TObject*) {};
  EXPECT_TRUE(GetMethodProp(&panel, onClick).Assigned());
  EXPECT_EQ(GetMethodProp(&panel, onClick).Name, "");
  SetMethodProp(&panel, onClick, TMethod{});
  EXPECT_FALSE(panel.OnClick);

  EXPECT_THROW(SetMethodProp(&panel, onClick, TMethod{{}, &form, "NoSuchHandler"}), EMethodNotFound);
  EXPECT_THROW(SetMethodProp(&panel, onClick, TMethod{{}, &form, "WrongShape"}), EPropertyError);
  EXPECT_EQ(GetMethodList(TTestForm::StaticClass()).size(), 6u);
  EXPECT_EQ(FindPublishedMethod(TTestForm::StaticClass(), "otherCLICK")->Name, "OtherClick");
}

}  // namespace
