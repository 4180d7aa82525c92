#include "frxVariables.h"

#include "gtest.h"

TEST(frxVariables, AddOrReplaceByNameIgnoringCase) {
  TfrxVariables vars;
  TfrxVariable* total = vars.Add();
  total->SetName("total");
  EXPECT_TRUE(total->Value().IsNull());
  vars.SetVariables("Total", Variant(42));
  EXPECT_EQ(vars.Count(), 1);
  EXPECT_EQ(vars.Variables("TOTAL").AsInteger(), 42);
  EXPECT_TRUE(vars.Variables("missing").IsNull());
  EXPECT_EQ(vars.IndexOf("missing"), -1);
  vars.SetVariables("客户", Variant("张三"));
  EXPECT_EQ(vars.IndexOf("客户"), 1);

  TfrxVariables copy;
  copy.Assign(&vars);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(VarToStr(copy.Variables("客户")), "张三");
}

TEST(frxArray, KeysOfAnyKindAddressItemsAsText) {
  TfrxArray a;
  a.SetVariables(Variant(5), Variant("five"));
  a.SetVariables(Variant("5"), Variant("FIVE"));
  EXPECT_EQ(a.Count(), 1);
  EXPECT_EQ(VarToStr(a.Variables(Variant(5))), "FIVE");
  EXPECT_EQ(a.Items(0)->Name(), "5");
  EXPECT_TRUE(a.Variables(Variant("x")).IsNull());
  EXPECT_EQ(a.IndexOf(Variant(6)), -1);
}

TEST(frxVariables, GlobalVariablesAreShared) {
  frxGlobalVariables()->SetVariables("CopyName0", Variant("副本"));
  EXPECT_EQ(VarToStr(frxGlobalVariables()->Variables("copyname0")), "副本");
  frxGlobalVariables()->Clear();
}
