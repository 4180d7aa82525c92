// Text objects: text layout with the real fonts (Chinese and mixed text,
// inline tags, no-wrap runs, cutting), text drawing recorded run by run
// (justification, rotation, subscript), measuring and splitting memos, and
// the values memos print (expressions, formats, repeated values, page
// macros, flowing text).
#include <memory>

#include "Graphics.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxGraphicUtils.h"
#include "frxUnicodeUtils.h"
#include "frxVariables.h"
#include "frxpngimage.h"
#include "gtest.h"

namespace {

std::unique_ptr<TFont> ChineseFont(Integer size = 10) {
  auto f = std::make_unique<TFont>();
  f->SetPixelsPerInch(96);
  f->SetName("宋体");
  f->SetSize(size);
  return f;
}

// Lays Lines out in a box Width report units wide on the global engine.
TfrxDrawText* Layout(const std::vector<std::u16string>& Lines, Extended Width, bool Tags = false,
                     bool WordBreak = false, Extended Height = 10000, TFont* Font = nullptr) {
  TfrxDrawText* dt = frxDrawText();
  auto f = ChineseFont();
  dt->ApplyFont(Font ? Font : f.get());
  dt->ApplyOptions(true, Tags, 0, true, true, WordBreak, false);
  dt->ApplySpacing(2, 0, 0);
  dt->ApplyBounds(TfrxFloatRect{0, 0, Width, Height}, TRect(0, 0, Integer(Width), Integer(Height)), 1, 1, 1);
  dt->LoadText(Lines);
  return dt;
}

std::u16string Joined(TfrxDrawText* dt) {
  std::u16string s;
  for (Integer i = 0; i < dt->LineCount(); ++i) s += dt->LineText(i);
  return s;
}

// Width in layout units (600 dpi) of Text measured with the font at 600 dpi.
Integer Measure600(const std::u16string& Text, TFontStyles Style = {}) {
  HDC dc = frxDrawText()->MeasureCanvas()->Handle();
  LOGFONTW lf{};
  lf.lfHeight = -Integer(std::nearbyint(10 * 600.0 / 72));
  lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::u16string face = u"宋体";
  std::copy(face.begin(), face.end(), reinterpret_cast<char16_t*>(lf.lfFaceName));
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  INT fit = 0;
  std::vector<INT> dx(Text.size() + 1);
  GetTextExtentExPointW(dc, reinterpret_cast<LPCWSTR>(Text.data()), INT(Text.size()), 0, &fit, dx.data(), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  return size.cx;
}

struct MemoFixture : ::testing::Test {
  void SetUp() override {
    report = std::make_unique<TfrxReport>();
    report->EngineOptions()->NewSilentMode = simSilent;
    page = new TfrxReportPage(report.get());
    band = new TfrxMasterData(page);
    memo = new TfrxMemoView(band);
    memo->SetName("Memo1");
    memo->SetBounds(0, 0, 200, 40);
    ASSERT_TRUE(report->PrepareScript());
  }
  String Print(const String& Text) {
    memo->SetTextUtf8(Text);
    memo->BeforePrint();
    memo->GetData();
    String s = memo->TextUtf8();
    memo->AfterPrint();
    return s;
  }
  std::unique_ptr<TfrxReport> report;
  TfrxReportPage* page;
  TfrxMasterData* band;
  TfrxMemoView* memo;
};

}  // namespace

// ---------------------------------------------------------------------------
// Layout

TEST(frxDrawText, ChineseWrapsBetweenCharactersWithinTheWidth) {
  const std::u16string text = u"上海市浦东新区张江高科技园区碧波路六百九十号三号楼五层";
  TfrxDrawText* dt = Layout({text}, 100);
  ASSERT_GT(dt->LineCount(), 2);
  EXPECT_EQ(Joined(dt), text);
  const Integer limit = Integer(std::nearbyint(100 * 6.25));
  for (Integer i = 0; i < dt->LineCount(); ++i) {
    const std::u16string& line = dt->LineText(i);
    EXPECT_LE(Measure600(line), limit) << i;
    // A line is as long as it may be: one more character would not fit.
    if (i + 1 < dt->LineCount()) EXPECT_GT(Measure600(line + dt->LineText(i + 1).substr(0, 1)), limit) << i;
  }
  EXPECT_EQ(dt->LineFlags(0), 1);
  EXPECT_EQ(dt->LineFlags(dt->LineCount() - 1), 2);
}

TEST(frxDrawText, MixedTextWrapsAtWordsAndBetweenIdeographs) {
  const std::u16string text = u"Order ABCDEFGH 客户名称很长的说明文字 and more words here";
  TfrxDrawText* dt = Layout({text}, 90);
  ASSERT_GT(dt->LineCount(), 2);
  // The lines are the text in order; each break drops one blank or lies
  // next to an ideograph, so no Latin word is ever split.
  size_t pos = 0;
  for (Integer i = 0; i < dt->LineCount(); ++i) {
    const std::u16string& line = dt->LineText(i);
    ASSERT_EQ(text.compare(pos, line.size(), line), 0) << i;
    pos += line.size();
    if (pos >= text.size()) break;
    if (text[pos] == u' ') ++pos;
    else EXPECT_TRUE(frxIsBreakableChar(text[pos - 1]) || frxIsBreakableChar(text[pos])) << Utf16ToUtf8(line);
  }
  EXPECT_EQ(pos, text.size());
}

TEST(frxDrawText, LayoutEdgeCases) {
  // A line that fits exactly is not wrapped.
  const std::u16string word = u"客户";
  const Extended exact = Measure600(word) / 6.25;
  EXPECT_EQ(Layout({word}, exact)->LineCount(), 1);
  // A single character wider than the width is a line of its own.
  TfrxDrawText* dt = Layout({u"宽字"}, 3);
  ASSERT_EQ(dt->LineCount(), 2);
  EXPECT_EQ(dt->LineText(0), u"宽");
  // The tag entries follow the lines one for one, also where the last
  // character of a paragraph is a line of its own.
  dt = Layout({u"宽字", u"甲乙"}, 3);
  EXPECT_EQ(dt->LineCount(), 4);
  EXPECT_EQ(dt->Tags()->Count(), dt->LineCount());
  // A surrogate pair is never split.
  dt = Layout({u"\U00020000\U00020001\U00020002"}, 3);
  for (Integer i = 0; i < dt->LineCount(); ++i) EXPECT_EQ(dt->LineText(i).size(), 2u);
  // A long Latin word is broken character-wise.
  dt = Layout({u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"}, 40);
  EXPECT_GT(dt->LineCount(), 1);
  EXPECT_EQ(Joined(dt), u"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  // An empty source line is a single blank.
  dt = Layout({u"甲", u"", u"乙"}, 100);
  ASSERT_EQ(dt->LineCount(), 3);
  EXPECT_EQ(dt->LineText(1), u" ");
  // Long texts are measured whole (no fixed-size arrays).
  std::u16string longLine(40000, u'汉');
  dt = Layout({longLine}, 100000);
  EXPECT_GT(dt->LineCount(), 1);
  EXPECT_EQ(Joined(dt).size(), longLine.size());
}

TEST(frxDrawText, InlineTags) {
  struct {
    std::u16string source, text;
  } cases[] = {
      {u"<b>粗体</b>正常", u"粗体正常"},
      {u"<font color=\"#FF0000\">红</font>", u"红"},
      {u"<font color=Blue>蓝</font>", u"蓝"},
      {u"<font color=Nope>x</font>", u"<font color=Nope>x"},
      {u"<abc>和<sub>2</sub>", u"<abc>和2"},
      {u"<STRIKE>划</strike><I>斜</i>", u"划斜"},
  };
  for (auto& c : cases) {
    TfrxDrawText* dt = Layout({c.source}, 1000, true);
    ASSERT_EQ(dt->LineCount(), 1);
    EXPECT_EQ(dt->LineText(0), c.text) << Utf16ToUtf8(c.source);
  }
  TfrxDrawText* dt = Layout({u"<b>粗体</b>正常"}, 1000, true);
  TfrxHTMLTags& tags = dt->Tags()->Line(0);
  ASSERT_EQ(tags.size(), 4u);
  EXPECT_TRUE(tags[0].Style.Contains(fsBold));
  EXPECT_FALSE(tags[2].Style.Contains(fsBold));
  EXPECT_EQ(tags[2].Position, 10);  // "<b>" and "</b>" counted
  dt = Layout({u"<font color=\"#FF0000\">红</font>"}, 1000, true);
  EXPECT_EQ(dt->Tags()->Line(0)[0].Color, clRed);
  dt = Layout({u"<font color=Blue>蓝</font>"}, 1000, true);
  EXPECT_EQ(dt->Tags()->Line(0)[0].Color, clBlue);
  dt = Layout({u"和<sub>2</sub>"}, 1000, true);
  EXPECT_TRUE(dt->Tags()->Line(0)[1].Small);
  EXPECT_EQ(dt->Tags()->Line(0)[1].AddY, 1);
  EXPECT_EQ(dt->Tags()->Line(0)[1].Size, 7);
}

TEST(frxDrawText, NoWrapBlanksAreNoBreakPoints) {
  const std::u16string plainFirst = Layout({u"aa bb cc dd ee ff"}, 30, true)->LineText(0);
  EXPECT_EQ(plainFirst.back(), u'a');  // broken at a blank
  TfrxDrawText* dt = Layout({u"<nowrap>aa bb cc dd ee ff</nowrap>"}, 30, true);
  // Without a break point the run is cut character-wise: its first line is
  // filled up to the width, across the blanks.
  ASSERT_GT(dt->LineCount(), 1);
  EXPECT_GT(dt->LineText(0).size(), plainFirst.size());
}

TEST(frxDrawText, MeasuresAndCutting) {
  auto font = ChineseFont();
  TfrxDrawText* dt = frxDrawText();
  const Extended pitch = std::nearbyint(10 * 600.0 / 72) / 6.25 + 2;
  // Exactly three pitches high (minus one pixel): spare height 0.0001.
  dt = Layout({u"一", u"二", u"三", u"四", u"五"}, 100, true, false, 3 * pitch - 1);
  EXPECT_EQ(dt->LinePitch(), pitch);
  EXPECT_DOUBLE_EQ(dt->SpareHeight(), 0.0001);
  bool brk = true;
  std::u16string rest = dt->TakeOverflow(brk);
  EXPECT_FALSE(brk);
  EXPECT_EQ(dt->LineCount(), 3);
  EXPECT_EQ(dt->FittingText(), u"一\r\n二\r\n三\r\n");
  EXPECT_EQ(rest, u"<font color=\"#000000\">四\r\n五\r\n");
  // A cut inside bold text carries the formatting over.
  dt = Layout({u"<b>一二三四五六七八九十</b>"}, Measure600(u"一二", {fsBold}) / 6.25, true, false, pitch);
  rest = dt->TakeOverflow(brk);
  EXPECT_TRUE(brk);
  EXPECT_EQ(rest.substr(0, 26), u"<font color=\"#000000\"><b>三");
  // Text height: n pitches less one line spacing plus the internal leading.
  dt = Layout({u"一", u"二"}, 100, false, false, 10000, font.get());
  EXPECT_GT(dt->TextHeight(), 2 * pitch - 2);
  EXPECT_LT(dt->TextHeight(), 2 * pitch + 4);
  EXPECT_NEAR(dt->TextWidth(), Measure600(u"一") / 6.25, 0.01);
  // Paragraph flags can be turned off at the ends of a part.
  dt = Layout({u"一二三四五六七八"}, Measure600(u"一二") / 6.25);
  dt->FlagParagraphBreaks(true, true);
  EXPECT_EQ(dt->LineFlags(0), 0);
  EXPECT_EQ(dt->LineFlags(dt->LineCount() - 1), 0);
}

TEST(frxDrawText, HyphenatesCyrillicWordsWithWordBreak) {
  TfrxDrawText* dt = Layout({u"ПРОГРАММИРОВАНИЕ"}, 50, false, true);
  ASSERT_GT(dt->LineCount(), 1);
  EXPECT_EQ(dt->LineText(0).back(), u'-');
}

TEST(frxDrawText, SpreadIncrementIsEven) {
  std::vector<Integer> v(5, 0);
  frxSpreadIncrement(v, 0, 4, 1, 2);
  EXPECT_EQ(v, (std::vector<Integer>{1, 0, 0, 1, 0}));  // the middles of the two halves
  std::vector<Integer> one(5, 0);
  frxSpreadIncrement(one, 0, 4, 1, 1);
  EXPECT_EQ(one, (std::vector<Integer>{0, 0, 1, 0, 0}));
  std::vector<Integer> none(3, 0);
  frxSpreadIncrement(none, 0, 2, 1, 0);
  EXPECT_EQ(none, (std::vector<Integer>{0, 0, 0}));
}

// ---------------------------------------------------------------------------
// Drawing, recorded run by run

namespace {

struct Recorder {
  std::vector<TfrxDrawText::TRunInfo> runs;
  Recorder() {
    frxDrawText()->OnTextRun = [this](const TfrxDrawText::TRunInfo& r) { runs.push_back(r); };
  }
  ~Recorder() { frxDrawText()->OnTextRun = nullptr; }
  static Integer Width(const TfrxDrawText::TRunInfo& r) {
    Integer w = 0;
    for (Integer a : r.Advances) w += a;
    return w;
  }
};

std::unique_ptr<TBitmap> WhiteCanvas(Integer w, Integer h) {
  auto bmp = std::make_unique<TBitmap>(w, h, pf24bit);
  bmp->Canvas()->Brush()->SetColor(clWhite);
  bmp->Canvas()->FillRect(TRect(0, 0, w, h));
  return bmp;
}

void WritePng(TBitmap* bmp, const String& name) {
  TPNGObject png;
  png.Assign(bmp);
  String path = "Z:" + String(TOVANI_TEST_BINARY_DIR) + "/" + name;
  for (char& ch : path)
    if (ch == '/') ch = '\\';
  png.SaveToFile(path);
}

}  // namespace

TEST(frxDrawText, JustifiedLinesFillTheBoxButTheLastIsLeftAligned) {
  TfrxMemoView m;
  m.SetBounds(10, 10, 150, 100);
  m.SetTextUtf8("one two three four five six seven eight nine ten eleven twelve");
  m.HAlign = haBlock;
  Recorder rec;
  auto bmp = WhiteCanvas(200, 130);
  m.Draw(bmp->Canvas(), 1, 1, 0, 0);
  WritePng(bmp.get(), "memo-justified.png");
  ASSERT_GE(rec.runs.size(), 2u);
  const TRect r = m.TextRect;
  const Integer boxWidth = r.Right - r.Left;
  // Every line but the last spans the whole box; the last starts at the left.
  const auto& first = rec.runs.front();
  EXPECT_EQ(first.X, r.Left);
  EXPECT_EQ(Recorder::Width(first), boxWidth);
  const auto& last = rec.runs.back();
  EXPECT_EQ(last.X, r.Left);
  EXPECT_LT(Recorder::Width(last), boxWidth);
  // The surplus goes to the blanks only, evenly.
  std::vector<Integer> blanks;
  std::vector<Integer> natural;
  for (size_t i = 0; i < first.Text.size(); ++i)
    if (first.Text[i] == u' ') blanks.push_back(first.Advances[i]);
  ASSERT_FALSE(blanks.empty());
  auto [mn, mx] = std::minmax_element(blanks.begin(), blanks.end());
  EXPECT_LE(*mx - *mn, 1);
}

TEST(frxDrawText, RightAlignmentRotationAndSubscript) {
  {
    TfrxMemoView m;
    m.SetBounds(0, 0, 150, 30);
    m.SetTextUtf8("右对齐");
    m.HAlign = haRight;
    Recorder rec;
    auto bmp = WhiteCanvas(160, 40);
    m.Draw(bmp->Canvas(), 1, 1, 0, 0);
    ASSERT_EQ(rec.runs.size(), 1u);
    EXPECT_EQ(rec.runs[0].X + Recorder::Width(rec.runs[0]), m.TextRect.Right);
    // Bold ends one pixel further left.
    m.Font()->SetStyle({fsBold});
    rec.runs.clear();
    m.Draw(bmp->Canvas(), 1, 1, 0, 0);
    EXPECT_EQ(rec.runs[0].X + Recorder::Width(rec.runs[0]), m.TextRect.Right - 1);
  }
  {
    TfrxMemoView m;
    m.SetBounds(10, 10, 30, 120);
    m.SetTextUtf8("竖排文字");
    m.SetRotation(90);
    Recorder rec;
    auto bmp = WhiteCanvas(60, 150);
    m.Draw(bmp->Canvas(), 1, 1, 0, 0);
    WritePng(bmp.get(), "memo-rotated.png");
    ASSERT_FALSE(rec.runs.empty());
    EXPECT_EQ(rec.runs[0].X, m.TextRect.Left);
    EXPECT_EQ(rec.runs[0].Y, m.TextRect.Bottom);
    EXPECT_EQ(rec.runs[0].Rotation, 90);
  }
  {
    TfrxMemoView m;
    m.SetBounds(0, 0, 150, 30);
    m.AllowHTMLTags = true;
    m.SetTextUtf8("H<sub>2</sub>O");
    Recorder rec;
    auto bmp = WhiteCanvas(160, 40);
    m.Draw(bmp->Canvas(), 2, 2, 0, 0);
    ASSERT_EQ(rec.runs.size(), 3u);
    EXPECT_EQ(rec.runs[1].Y - rec.runs[0].Y, 7 * 2);  // its size times scale Y
    EXPECT_EQ(rec.runs[2].Y, rec.runs[0].Y);
  }
}

// ---------------------------------------------------------------------------
// Measuring and splitting memos

TEST_F(MemoFixture, CalcHeightOfThreeLines) {
  memo->SetTextUtf8("一\r\n二\r\n三");
  TfrxDrawText* dt = frxDrawText();
  dt->ApplyFont(memo->Font());
  dt->ApplyOptions(true, false, 0, true, true, false, false);
  dt->ApplySpacing(2, 0, 0);
  dt->ApplyBounds(TfrxFloatRect{0, 0, 1000, 1000}, TRect(0, 0, 1000, 1000), 1, 1, 1);
  dt->LoadText(std::vector<std::u16string>{u"一"});
  const Extended one = dt->TextHeight();  // h + leading
  const Extended h = std::nearbyint(10 * 600.0 / 72) / 6.25;
  EXPECT_EQ(memo->CalcHeight(), std::nearbyint(3 * (h + 2) - 2 + (one - h) + 2));
  memo->Memo()->Clear();
  EXPECT_EQ(memo->CalcHeight(), 2);  // the allowances only
}

TEST_F(MemoFixture, TenLinesSplitOnAPageWithRoomForFour) {
  String text;
  for (int i = 1; i <= 10; ++i) text += (i > 1 ? "\r\n" : "") + String("第") + IntToStr(i) + "行";
  memo->SetTextUtf8(text);
  const Extended pitch = memo->Font()->Size() == 10 ? std::nearbyint(10 * 600.0 / 72) / 6.25 + 2 : 0;
  memo->InitPart();
  memo->SetHeight(4 * pitch + 2 + 3);  // gaps, one pixel of the rectangle and some room
  const Extended spare = memo->NextPart();
  EXPECT_EQ(memo->Memo()->Count(), 4);
  EXPECT_EQ(Utf16ToUtf8(memo->Memo()->Get(3)), "第4行");
  EXPECT_EQ(Utf16ToUtf8(memo->PartMemo()).substr(0, 7), "第5行");
  EXPECT_GT(spare, 0);
  EXPECT_LT(spare, pitch);
  // Nothing fits: the whole height comes back.
  memo->SetHeight(5);
  EXPECT_EQ(memo->NextPart(), 5);
}

TEST_F(MemoFixture, SplitInsideAParagraphIsPassedOnByTheDifferenceText) {
  memo->SetTextUtf8("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十");
  memo->SetWidth(60);
  memo->InitPart();
  memo->SetHeight(20);
  memo->NextPart();
  EXPECT_TRUE(memo->LastParaBreak);
  TfrxMemoView tmpl;
  String first = memo->DifferenceText(&tmpl);
  EXPECT_NE(first.find(" LastParaBreak=\"1\""), String::npos);
  EXPECT_TRUE(memo->FirstParaBreak);
  String second = memo->DifferenceText(&tmpl);
  EXPECT_NE(second.find(" FirstParaBreak=\"1\""), String::npos);
  EXPECT_EQ(second.find("LastParaBreak"), String::npos);
}

TEST_F(MemoFixture, AutoWidthKeepsTheRightEdgeOfRightAlignedMemos) {
  memo->SetLeft(100);
  memo->AutoWidth = true;
  memo->HAlign = haRight;
  memo->SetTextUtf8("短");
  auto bmp = WhiteCanvas(400, 60);
  memo->Draw(bmp->Canvas(), 1, 1, 0, 0);
  EXPECT_LT(memo->Width(), 200);
  EXPECT_NEAR(memo->Left() + memo->Width(), 300, 1e-9);
}

TEST(frxMemoView, RotationIsKeptBelow360) {
  TfrxMemoView m;
  m.SetRotation(370);
  EXPECT_EQ(m.Rotation(), 10);
}

// ---------------------------------------------------------------------------
// Values

TEST_F(MemoFixture, ExpressionsAreEvaluatedAndTheTemplateComesBack) {
  EXPECT_EQ(Print("[1+1] and [2*3]"), "2 and 6");
  EXPECT_EQ(memo->TextUtf8(), "[1+1] and [2*3]");
  memo->ExpressionDelimiters = "<%,%>";
  EXPECT_EQ(Print("<%1+1%> [x]"), "2 [x]");
  memo->ExpressionDelimiters = "[,]";
  EXPECT_EQ(Print("['a]b']"), "a]b");
  // Values are not expanded again.
  EXPECT_EQ(Print("['[1+1]']"), "[1+1]");
  memo->AllowExpressions = false;
  EXPECT_EQ(Print("[1+1]"), "[1+1]");
}

TEST_F(MemoFixture, FormatsFromSuffixesAndDisplayFormat) {
  EXPECT_EQ(Print("[3.14159 #N%2,2f]"), "3,14");
  memo->DisplayFormat()->Kind = fkBoolean;
  memo->DisplayFormat()->FormatStr = "No,Yes";
  EXPECT_EQ(Print("[1=1]"), "Yes");
  EXPECT_EQ(Print("[1=2]"), "No");
  memo->DisplayFormat()->Kind = fkDateTime;
  memo->DisplayFormat()->FormatStr = "yyyy-mm-dd";
  EXPECT_EQ(Print("[EncodeDate(2024, 2, 29)]"), "2024-02-29");
  // A format that does not fit the value falls back to the plain text.
  memo->DisplayFormat()->Kind = fkNumeric;
  memo->DisplayFormat()->FormatStr = "%d";
  EXPECT_EQ(Print("['abc']"), "abc");
  memo->DisplayFormat()->FormatStr = "%2.1f";
  EXPECT_EQ(Print("[2.5]"), "2.5");
}

TEST_F(MemoFixture, HideZerosAndSuppressRepeated) {
  memo->HideZeros = true;
  EXPECT_EQ(Print("[0]"), "");
  EXPECT_EQ(Print("[0.0]"), "");
  EXPECT_EQ(Print("['0']"), "0");
  memo->HideZeros = false;
  memo->SuppressRepeated = true;
  EXPECT_EQ(Print("[5]"), "5");
  EXPECT_EQ(Print("[5]"), "");
  EXPECT_EQ(Print("[5]"), "");
  memo->ClearLastValue();
  EXPECT_EQ(Print("[5]"), "5");
}

TEST_F(MemoFixture, PageMacrosWaitForTheSecondPass) {
  EXPECT_EQ(Print("第[Page#]页 共[TOTALPAGES#]页"), "第1页 共[TotalPages#]页");
  memo->SetTextUtf8("共[TotalPages#]页 [COPYNAME#]");
  memo->TotalPages = 12;
  memo->CopyNo = 1;
  memo->ReplacePageMacros();
  EXPECT_EQ(memo->TextUtf8(), "共12页 ");
  frxGlobalVariables()->SetVariables("CopyName2", Variant(String("副本")));
  memo->SetTextUtf8("[COPYNAME#]");
  memo->CopyNo = 2;
  memo->ReplacePageMacros();
  EXPECT_EQ(memo->TextUtf8(), "副本");
  memo->SetTextUtf8("总 [totalpages]");
  EXPECT_EQ(memo->GetPlainText(), "总 12");
}

TEST_F(MemoFixture, HighlightConditionSeesTheValue) {
  memo->Highlight()->SetCondition("Value > 5");
  memo->Highlight()->Font()->SetColor(clRed);
  Print("[10]");
  EXPECT_TRUE(memo->Highlight()->Active());
  Print("[1]");
  EXPECT_FALSE(memo->Highlight()->Active());
}

TEST_F(MemoFixture, OverflowFlowsToTheNextMemo) {
  auto* next = new TfrxMemoView(band);
  next->SetName("Memo2");
  memo->SetFlowTo(next);
  memo->SetHeight(20);
  String text;
  for (int i = 1; i <= 6; ++i) text += (i > 1 ? "\r\n" : "") + IntToStr(i);
  memo->SetTextUtf8(text);
  memo->BeforePrint();
  memo->GetData();
  EXPECT_EQ(memo->Memo()->Count(), 1);
  EXPECT_FALSE(next->AllowExpressions);
  EXPECT_NE(next->TextUtf8().find("2\r\n3"), String::npos);
  memo->AfterPrint();
  delete next;
  EXPECT_EQ(memo->FlowTo(), nullptr);
}

TEST_F(MemoFixture, DifferenceTextCarriesTheTextAsUtf8) {
  TfrxMemoView tmpl;
  memo->SetTextUtf8("一\r\n二");
  String s = memo->DifferenceText(&tmpl);
  EXPECT_NE(s.find(" u=\"一&#13;&#10;二\""), String::npos) << s;
  memo->Memo()->Clear();
  EXPECT_NE(memo->DifferenceText(&tmpl).find(" u=\"\""), String::npos);
}

TEST(frxDrawText, ChineseMemoDrawsInsideItsTextRectangle) {
  TfrxMemoView m;
  m.SetBounds(10, 10, 120, 60);
  m.Font()->SetName("宋体");
  m.Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
  m.SetTextUtf8("客户名称：上海东方贸易有限公司");
  auto bmp = WhiteCanvas(150, 80);
  m.Draw(bmp->Canvas(), 1, 1, 0, 0);
  WritePng(bmp.get(), "memo-chinese.png");
  int ink = 0, outside = 0;
  for (int x = 0; x < 150; ++x)
    for (int y = 0; y < 80; ++y) {
      bool dark = (bmp->Canvas()->Pixels(x, y) & 0xFFFFFF) != clWhite;
      bool inText = x >= m.TextRect.Left && x < m.TextRect.Right && y >= m.TextRect.Top && y < m.TextRect.Bottom;
      bool onFrame = x == 10 || x == 130 || y == 10 || y == 70;
      if (dark && inText) ++ink;
      if (dark && !inText && !onFrame) ++outside;
    }
  EXPECT_GT(ink, 50);   // real glyphs, on two lines
  EXPECT_EQ(outside, 0);
}

TEST(frxDrawText, WithoutWysiwygCharactersKeepTheirDeviceWidths) {
  TfrxMemoView m;
  m.SetBounds(0, 0, 300, 30);
  m.SetTextUtf8("订单1234");
  m.Wysiwyg = false;
  Recorder rec;
  auto bmp = WhiteCanvas(320, 40);
  m.Draw(bmp->Canvas(), 1.5, 1.5, 0, 0);
  ASSERT_EQ(rec.runs.size(), 1u);
  // The advances are what the device measures for the font at that scale.
  HDC dc = bmp->Canvas()->Handle();
  LOGFONTW lf{};
  lf.lfHeight = -Integer(std::nearbyint(10 * 1.5 * 96 / 72));
  lf.lfCharSet = DEFAULT_CHARSET;
  std::u16string face = u"Arial";
  std::copy(face.begin(), face.end(), reinterpret_cast<char16_t*>(lf.lfFaceName));
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(rec.runs[0].Text.data()), INT(rec.runs[0].Text.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  EXPECT_EQ(Recorder::Width(rec.runs[0]), size.cx);
}

TEST_F(MemoFixture, StylesAndGroupHeaderDrillDownTag) {
  TfrxStyleItem* style = report->Styles()->Add();
  style->SetName("标题");
  style->SetColor(clYellow);
  style->Font()->SetSize(14);
  style->Frame()->SetTyp({ftBottom});
  memo->SetStyle("标题");
  EXPECT_EQ(memo->Color(), clYellow);
  EXPECT_EQ(memo->Font()->Size(), 14);
  EXPECT_FALSE(memo->ParentFont());
  EXPECT_TRUE(memo->Frame()->Typ() == TfrxFrameTypes{ftBottom});
  memo->SetStyle("无此样式");
  EXPECT_EQ(memo->Color(), clYellow);

  auto* group = new TfrxGroupHeader(page);
  TfrxGroupHeader tmpl;
  group->FLineThrough = 7;
  EXPECT_EQ(group->DifferenceText(&tmpl).find("Tag"), String::npos);
  group->DrillDown = true;
  EXPECT_NE(group->DifferenceText(&tmpl).find(" Tag=\"7\""), String::npos);
}
