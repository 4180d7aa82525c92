#include "frxRes.h"

#include "Graphics.h"
#include "ImgList.h"
#include "Strings.h"
#include "Streams.h"
#include "frxUtils.h"
#include "gtest.h"

TEST(frxResources, BuiltInTableByKeyAndNumber) {
  TfrxResources* r = frxGetResources();
  EXPECT_EQ(r->Count(), 177);
  EXPECT_EQ(r->CodePage(), 936);
  EXPECT_EQ(r->Get("clErrors"), "发生下列的错误:");
  EXPECT_EQ(r->Get("clerrors"), "发生下列的错误:");
  EXPECT_EQ(r->Get("207"), "其它");
  EXPECT_EQ(r->Get("204"), "自动分页(&T)");
  EXPECT_EQ(r->Get("clDSNotExist"), "数据库 &#34;%s&#34; 不存在");
  EXPECT_EQ(frxResourceTextById(100), "预览");
  EXPECT_EQ(r->Get("prDupl"), "prDupl");
  EXPECT_EQ(r->Get("!Missing"), "Missing");
}

TEST(frxResources, AnotherTableReplacesTextsAndAddsNewKeys) {
  TfrxResources r;
  std::vector<String> messages;
  frxScriptMessagesReceiver = [&](const std::vector<String>& m) { messages = m; };
  r.LoadFromXMLText(
      "<?xml version=\"1.1\" encoding=\"utf-8\"?><Resources CodePage=\"936\">"
      "<StrRes Name=\"a\" Text=\"一\"/><StrRes Name=\"SForError\" Text=\"循环&amp;\"/></Resources>");
  EXPECT_EQ(r.Count(), 2);
  r.LoadFromXMLText(
      "<?xml version=\"1.1\" encoding=\"utf-8\"?><Resources CodePage=\"936\">"
      "<StrRes Name=\"A\" Text=\"二\"/><strres Name=\"b\" Text=\"ignored\"/></Resources>");
  EXPECT_EQ(r.Count(), 2);
  EXPECT_EQ(r.Get("a"), "二");
  ASSERT_EQ(messages.size(), 17u);
  EXPECT_EQ(messages[0], "SLangNotFound");
  EXPECT_EQ(messages[15], "循环&");
  // Another root loads nothing.
  r.LoadFromXMLText("<?xml version=\"1.1\"?><resources><StrRes Name=\"c\" Text=\"x\"/></resources>");
  EXPECT_EQ(r.Get("c"), "c");
  frxScriptMessagesReceiver = nullptr;
}

TEST(frxResources, HelpPathsAndMissingHelpFile) {
  TfrxResources* r = frxGetResources();
  EXPECT_EQ(r->HelpPath("tfrxvareditorform"), frxProgramFolder() + "RIVura.chm::/Variables.htm");
  EXPECT_EQ(r->HelpPath("TSomethingElse"), frxProgramFolder() + "RIVura.chm");
  r->ShowHelp("TfrxDesignerForm");   // no help file beside the tests: nothing happens
  EXPECT_EQ(r->Languages()->Count(), 0);
}

TEST(frxResources, ImageStrips) {
  TfrxResources r;
  // Every program linking the report library carries the preview window's
  // packed picture strip: 25 pictures, the print button's (2) with a dark
  // outline and a transparent corner. No object pictures: an empty list, no error.
  TImageList* preview = r.GetPreviewButtonImages();
  ASSERT_EQ(preview->Count(), 25);
  TBitmap print(16, 16, pf32bit);
  print.Canvas()->Brush()->SetColor(clWhite);
  print.Canvas()->FillRect(TRect(0, 0, 16, 16));
  preview->Draw(print.Canvas(), 0, 0, 2);
  EXPECT_EQ(ColorToRGB(print.Canvas()->Pixels(0, 0)), ColorToRGB(clWhite));
  EXPECT_NE(ColorToRGB(print.Canvas()->Pixels(4, 1)), ColorToRGB(clWhite));
  EXPECT_EQ(r.GetObjectImages()->Count(), 0);

  TBitmap strip(48, 16, pf32bit);
  r.SetPreviewButtonImages(&strip);
  EXPECT_EQ(r.GetPreviewButtonImages()->Count(), 3);
  TBitmap more(40, 20, pf32bit);   // partial tiles at the right and bottom edges count
  r.SetPreviewButtonImages(&more, false);
  EXPECT_EQ(r.GetPreviewButtonImages()->Count(), 9);
  r.SetPreviewButtonImages(&strip);
  EXPECT_EQ(r.GetPreviewButtonImages()->Count(), 3);
}

TEST(frxUtils, ImageStripInPairs) {
  TBitmap strip(64, 16, pf32bit);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(TRect(16, 0, 32, 16));
  strip.Canvas()->SetPixels(16, 15, clBlack);   // the tile's transparent colour (its bottom-left pixel)
  TImageList first, second;
  first.SetSize(16, 16);
  second.SetSize(16, 16);
  frxCutImageStrip(&strip, 16, 16, &first, &second);
  EXPECT_EQ(first.Count(), 2);
  EXPECT_EQ(second.Count(), 2);
  TBitmap out(16, 16, pf32bit);
  out.Canvas()->Brush()->SetColor(clWhite);
  out.Canvas()->FillRect(TRect(0, 0, 16, 16));
  second.Draw(out.Canvas(), 0, 0, 0);
  EXPECT_EQ(out.Canvas()->Pixels(8, 8), clRed);
}
