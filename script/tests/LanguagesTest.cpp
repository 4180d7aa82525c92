// The other three script languages: each grammar's example programs
// compiled and run, the intermediate elements their special forms produce,
// and their syntax errors.
#include "ScriptTestUtils.h"
#include "Streams.h"
#include "fs_xml.h"
#include "fs_iilparser.h"
#include "fs_itools.h"
#include "gtest.h"

namespace {

struct LanguageRun : ScriptRun {
  explicit LanguageRun(const String& Language) { Script->SetSyntaxType(Language); }
};

// The intermediate program of Text, for checking what a form produces.
String Intermediate(const String& Language, const String& Text) {
  TfsScript prog(nullptr);
  prog.AddRTTI();
  TfsILParser parser(&prog);
  parser.LoadGrammar(Language);
  // Script texts come from their line lists, whose lines end in CR LF.
  String crlf;
  for (char c : Text) crlf += c == '\n' ? String("\r\n") : String(1, c);
  if (!parser.SourceToIntermediate(crlf)) return "error: " + prog.ErrorText + " @" + prog.ErrorLocation;
  TStringStream out;
  parser.ILScript()->SaveToStream(&out);
  return out.DataString();
}

}  // namespace

TEST(ScriptLanguages, FourRegisteredInOrder) {
  std::vector<String> names = ScriptLanguageNames();
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[0], "JScript");
  EXPECT_EQ(names[1], "RodidOdazav");
  EXPECT_EQ(names[2], "R++Orodiv");
  EXPECT_EQ(names[3], "PascalScript");
  EXPECT_NE(ScriptLanguageGrammar("r++orodiv").find("<language text=\"R++Orodiv\">"), String::npos);
}

TEST(ScriptLanguages, RppOrodivExample) {
  LanguageRun r("R++Orodiv");
  ASSERT_TRUE(r.Run(R"(#define LIMIT 5
int i, total = 0, k;
int grid[3][4];
bool same, differ;
string s;
int sq(int x) { return x * x; }
void addTo(int &v, int n) { v += n; }
/* block comment */
{
  for (i = 0; i < LIMIT; i++) total += sq(i);   // 0+1+4+9+16
  same = total == 30;
  differ = total != 30;
  if (differ) s = "bad"; else s = "ok";
  k = 0;
  do { k++; } while (k < 3);
  while (k < 10) { k += 2; }
  addTo(k, 100);
  switch (total) { case 29, 31: s = "near"; case 30: s = s + "!"; default: s = "none"; }
  grid[1][2] = 7;
  grid[2][3] = grid[1][2] * 0x10;
  try { i = StrToInt("x"); } except { s = s + "?"; }
}
)")) << r.Error();
  EXPECT_EQ(r.Get("total"), Variant(30));
  EXPECT_EQ(r.Get("same"), Variant(true));
  EXPECT_EQ(r.Get("differ"), Variant(false));
  EXPECT_EQ(r.Get("k"), Variant(111));
  EXPECT_EQ(r.Get("s"), Variant("ok!?"));
  EXPECT_EQ(r.Get("LIMIT"), Variant(5));
}

TEST(ScriptLanguages, JScriptExample) {
  LanguageRun r("JScript");
  ASSERT_TRUE(r.Run(R"(var total = 0, s, k = 0;
function sq(x) { return x * x; }
for (var i = 0; i < 5; i++) total += sq(i)
s = "n" + IntToStr(total);
do k++; while (k < 3);
while (k < 10) { k = k + 2 }
if (total == 30) s = s + "!"; else s = "bad";
switch (k) { case 11: s = s + "k"; default: s = "none"; }
)")) << r.Error();
  EXPECT_EQ(r.Get("total"), Variant(30));
  EXPECT_EQ(r.Get("k"), Variant(11));
  EXPECT_EQ(r.Get("s"), Variant("n30!k"));
}

TEST(ScriptLanguages, RodidOdazavExample) {
  LanguageRun r("RodidOdazav");
  ASSERT_TRUE(r.Run(R"(Dim total = 0, s = "", k
' a line comment
Function Sq(x)
  Return x * x
End Function
Sub AddTo(ByRef v, n)
  v = v + n
End Sub
For i = 0 To 4
  total = total + Sq(i)
Next
a = 1 : b = 2
If total = 30 Then s = "ok"
If total <> 30 Then
  s = "bad"
ElseIf a = 1 Then
  s = s & "!"
Else
  s = "none"
End If
k = 0
Do
  k = k + 1
Loop While k < 3
Do
  k = k + 1
Loop Until k >= 5
While k < 10
  k = k + 2
Wend
AddTo(k, 100)
c = 1 + _
    2
Select Case total
Case 29, 31: s = "near"
Case 30: s = s & "?"
Case Else: s = "none"
End Select
)")) << r.Error();
  EXPECT_EQ(r.Get("total"), Variant(30));
  EXPECT_EQ(r.Get("s"), Variant("ok!?"));
  EXPECT_EQ(r.Get("b"), Variant(2));
  EXPECT_EQ(r.Get("c"), Variant(3));
  EXPECT_EQ(r.Get("k"), Variant(111));
}

TEST(ScriptLanguages, SpecialFormsInTheIntermediateProgram) {
  struct Case {
    const char* Language;
    const char* Text;
    const char* Expected;   // a piece the intermediate program holds
  } cases[] = {
      {"R++Orodiv", "int a, b; bool c; { c = a == b; }", "<op text=\"=\""},
      {"R++Orodiv", "int a, b; bool c; { c = a != b; }", "<op text=\"&#60;&#62;\""},
      {"R++Orodiv", "int x; { x++; }", "<callstmt"},
      {"R++Orodiv", "int x; { x += 2; }", "<modificator text=\"+\""},
      {"R++Orodiv", "int a[3][4]; { }", "<array"},
      {"R++Orodiv", "int i; { for (i = 0, i = 1; i < 2; i++) ; }", "<cppforstmt"},
      {"RodidOdazav", "Do\nx = 1\nLoop While x < 1\n", "<inverse"},
      {"RodidOdazav", "For i = 1 To 2 Step 1\nNext\n", "<vbforstmt"},
      {"RodidOdazav", "Sub P\nEnd Sub\n", "<exit"},
      {"JScript", "do x = 1; while (x < 1);", "<inverse"},
      {"JScript", "var x = 1\nx = 2", "<assignstmt"},
  };
  for (const Case& c : cases) {
    String il = Intermediate(c.Language, c.Text);
    EXPECT_NE(il.find(c.Expected), String::npos) << c.Language << ": " << c.Text << "\n" << il;
  }
  // Do ... Loop Until loops until the condition holds: no inverse leaf.
  EXPECT_EQ(Intermediate("RodidOdazav", "Do\nx = 1\nLoop Until x < 1\n").find("<inverse"), String::npos);
}

TEST(ScriptLanguages, SyntaxErrors) {
  struct Case {
    const char* Language;
    const char* Text;
    const char* Error;
  } cases[] = {
      {"R++Orodiv", "int x; { If (x) x = 1; }", "';' expected"},   // keywords only in lower case
      {"R++Orodiv", "int x; { x = 1; ", "'}' expected"},
      {"R++Orodiv", "int x; { do x = 1; (x < 1); }", "'WHILE' expected"},
      {"JScript", "while x < 1) x = 1;", "'(' expected"},
      {"RodidOdazav", "For i = 1 To 2\nx = 1\n", "'NEXT' expected"},
      {"RodidOdazav", "If x Then\nx = 1\nEnd\n", "'IF' expected"},
      {"RodidOdazav", "x = 1 y = 2\n", "End of line expected"},
      {"RodidOdazav", "While x < 1\nx = 1\n", "'WEND' expected"},
  };
  for (const Case& c : cases) {
    LanguageRun r(c.Language);
    EXPECT_FALSE(r.Compile(c.Text)) << c.Text;
    EXPECT_EQ(r.Script->ErrorText, c.Error) << c.Language << ": " << c.Text;
  }
}
