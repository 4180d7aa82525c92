// Compiler front end: the grammar-rule interpreter that turns source text
// into the intermediate program.
#include "fs_iilparser.h"

#include <windows.h>

#include <algorithm>

#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "fs_iexpression.h"
#include "fs_iparser.h"
#include "fs_xml.h"

TOVANI_IMPLEMENT_CLASS(TfsILParser, TObject)

namespace {

String Lower(const String& s) {
  String r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return r;
}

enum class Kind {
  Rule, Char, Keyword, Ident, Number, String, FrString, Eol, Sequence, Switch, OptionalSwitch, Loop,
  OptionalLoop, Optional, RuleRef
};

}  // namespace

// What the interpreter needs of one grammar element, read once.
struct TfsILParser::RuleInfo {
  Kind K;
  String Expected, Node, Add, AddText, Err, Text;
  bool HasAddText = false;
  bool Term = false, NoSkip = false, SkipErrors = false;
  TfsXMLItem* Rule = nullptr;   // the rule a RuleRef names
};

TfsILParser::TfsILParser(TfsScript* AProgram)
    : FProgram(AProgram), FGrammar(new TfsXMLDocument), FILScript(new TfsXMLDocument), FParser(new TfsParser) {}

TfsILParser::~TfsILParser() = default;

void TfsILParser::LoadGrammar(const String& Language) {
  FParser->ResetSettings();
  FLanguage = Language;
  String text = ScriptLanguageGrammar(Language);
  TStringStream stream(text);
  FGrammar->LoadFromStream(&stream);
  FGrammarRoot = FGrammar->Root();
  FInfos.clear();
  FMemo.clear();
  FTypesOf.clear();
  TfsXMLItem* parser = FGrammarRoot->FindItem("parser");
  TfsXMLItem* keywords = parser->FindItem("keywords");
  for (Integer i = 0; i < keywords->Count(); ++i) FParser->AddKeyword(keywords->Items(i)->Name);
  for (Integer i = 0; i < parser->Count(); ++i) {
    TfsXMLItem* s = parser->Items(i);
    String name = Lower(s->Name);
    String v = s->Prop("text");
    if (name == "identchars") FParser->SetIdentChars(v);
    else if (name == "commentline1") FParser->CommentLine1 = v;
    else if (name == "commentline2") FParser->CommentLine2 = v;
    else if (name == "commentblock1") FParser->SetCommentBlock1(v);
    else if (name == "commentblock2") FParser->SetCommentBlock2(v);
    else if (name == "stringquotes") FParser->StringQuote = v.empty() ? '\0' : v[0];
    else if (name == "hexsequence") FParser->HexSequence = v;
    else if (name == "declarevars") { if (v == "0") FNeedDeclareVars = false; }
    else if (name == "skipeol") { if (v == "0") FParser->SkipEOL = false; }
    else if (name == "skipchar") FParser->SkipChar = v.empty() ? '\0' : v[0];
    else if (name == "casesensitive") { if (v == "1") FParser->CaseSensitive = true; }
  }
  if (FProgram->ExtendedCharset) FParser->AddIdentChars(128, 255);
}

const TfsILParser::RuleInfo& TfsILParser::Info(TfsXMLItem* Item) {
  if (Item->Data > 0 && size_t(Item->Data) <= FInfos.size()) return *FInfos[size_t(Item->Data - 1)];
  auto info = std::make_unique<RuleInfo>();
  String name = Lower(Item->Name);
  static const struct { const char* Name; Kind K; } kinds[] = {
      {"char", Kind::Char}, {"keyword", Kind::Keyword}, {"ident", Kind::Ident}, {"number", Kind::Number},
      {"string", Kind::String}, {"frstring", Kind::FrString}, {"eol", Kind::Eol},
      {"sequence", Kind::Sequence}, {"switch", Kind::Switch}, {"optionalswitch", Kind::OptionalSwitch},
      {"loop", Kind::Loop}, {"optionalloop", Kind::OptionalLoop}, {"optional", Kind::Optional}};
  if (Item->Parent() == FGrammarRoot) {
    info->K = Kind::Rule;
  } else {
    info->K = Kind::RuleRef;
    for (const auto& k : kinds)
      if (name == k.Name) info->K = k.K;
    if (info->K == Kind::RuleRef) {
      Integer idx = FGrammarRoot->Find(name);
      if (idx < 0) throw Exception(SInvalidLanguage);
      info->Rule = FGrammarRoot->Items(idx);
    }
  }
  info->Text = Item->Prop("text");
  info->Expected = Lower(info->Text);
  info->Node = Lower(Item->Prop("node"));
  info->Add = Item->Prop("add");
  info->HasAddText = Item->Text.find("addtext=") != String::npos;
  info->AddText = Item->Prop("addtext");
  info->Err = Item->Prop("err");
  info->Term = Item->Prop("term") == "1";
  info->NoSkip = Item->Prop("skip") == "0";
  info->SkipErrors = Item->Prop("skip") == "1";
  FInfos.push_back(std::move(info));
  Item->Data = NativeInt(FInfos.size());
  return *FInfos.back();
}

bool TfsILParser::SourceToIntermediate(const String& Text) {
  FLines.clear();
  FErrorMsg.clear();
  FErrorPos.clear();
  FTermError = false;
  FMemo.clear();
  FParser->SetSourceText(Text);
  bool result = false;

  // "#language Name" on the very first line selects the language.
  Integer start = 1;
  if (!Text.empty() && Text[0] == '#') {
    FParser->SetPosition(2);
    if (SameText(FParser->ReadWord(), "language")) {
      size_t cr = Text.find('\r');
      size_t lf = Text.find('\n');
      size_t end = std::min(cr, lf);
      String lang = Trim(Text.substr(size_t(FParser->Position() - 1),
                                     end == String::npos ? String::npos : end - size_t(FParser->Position() - 1)));
      LoadGrammar(lang);
      FParser->SetSourceText(Text);
      if (end == String::npos) start = Integer(Text.size()) + 1;
      else start = Integer(end) + (Text.compare(end, 2, "\r\n") == 0 ? 3 : 2);
    }
  }
  FParser->SetPosition(start);

  if (!FGrammarRoot) LoadGrammar(FProgram->SyntaxType());
  TfsXMLItem* program = FGrammarRoot->FindItem("program");
  if (RunGrammarItem(program) && FErrorMsg.empty()) {
    String all = "<?xml version=\"1.0\"?>\r\n<program>\r\n";
    for (const String& l : FLines) {
      all += l;
      all += "\r\n";
    }
    all += "</program>";
    TStringStream stream(all);
    FILScript->LoadFromStream(&stream);
    FILScript->Root()->Add()->CopyTree(FGrammarRoot->FindItem("types"));
    result = true;
  }
  FProgram->ErrorLocation = FErrorPos;
  FProgram->ErrorText = FErrorMsg;
  return result;
}

bool TfsILParser::RunChildren(TfsXMLItem* Item) {
  for (Integer i = 0; i < Item->Count(); ++i)
    if (!RunGrammarItem(Item->Items(i))) return false;
  return true;
}

namespace {
// The rule interpreter recurses with the nesting of the source; deeper
// nesting than this is refused as a syntax error.
constexpr Integer MaxGrammarDepth = 1500;
const char* const STooDeep = "Program nested too deeply";
}  // namespace

bool TfsILParser::RunGrammarItem(TfsXMLItem* Item) {
  if (FDepth >= MaxGrammarDepth) {
    if (FErrorMsg.empty()) {
      FErrorMsg = STooDeep;
      FErrorPos = FParser->PositionText();
    }
    return false;
  }
  struct DepthGuard {
    Integer& D;
    explicit DepthGuard(Integer& d) : D(d) { ++D; }
    ~DepthGuard() { --D; }
  } guard(FDepth);
  if (FDepth > FPeakDepth) FPeakDepth = FDepth;
  const RuleInfo& info = Info(Item);
  TfsParser& p = *FParser;
  const Integer startPos = p.Position();
  const size_t startLine = FLines.size();

  switch (info.K) {
    case Kind::Switch:
    case Kind::OptionalSwitch:
      for (Integer i = 0; i < Item->Count(); ++i)
        if (RunGrammarItem(Item->Items(i))) return true;
      if (info.K == Kind::OptionalSwitch) return true;
      RecordSyntaxError(info, startPos);
      return false;

    case Kind::Optional:
      for (Integer i = 0; i < Item->Count(); ++i)
        if (!RunGrammarItem(Item->Items(i))) {
          p.SetPosition(startPos);
          FLines.resize(startLine);
          break;
        }
      return true;

    case Kind::Loop:
    case Kind::OptionalLoop: {
      const bool hadError = !FErrorMsg.empty();
      Integer iterations = 0;
      bool lastOk = false;
      Integer endPos = startPos;
      for (;;) {
        const Integer iterStart = p.Position();
        const size_t iterLine = FLines.size();
        ++iterations;
        bool ok = RunChildren(Item);
        if (!ok) {
          // A failed iteration leaves neither output nor half-read tokens.
          p.SetPosition(iterStart);
          FLines.resize(iterLine);
        }
        endPos = p.Position();
        lastOk = ok;
        bool stop = !ok;
        if (ok && !info.Text.empty()) {
          p.SkipBlanks();
          if (p.ReadPunctuation() != info.Text) {
            p.SetPosition(endPos);
            stop = true;
          }
        }
        if (p.Position() == iterStart) stop = true;
        if (stop) break;
      }
      bool result;
      if (iterations == 1) {
        result = lastOk;
        if (!result) {
          p.SetPosition(startPos);
          FLines.resize(startLine);
        }
      } else {
        result = true;
        p.SetPosition(endPos);
        if (!hadError && (info.SkipErrors || FTermError)) {
          FErrorMsg.clear();
          FErrorPos.clear();
          FTermError = false;
        }
      }
      if (info.K == Kind::OptionalLoop) return true;
      return result;
    }

    default: break;
  }

  bool ok = true;
  String token;
  switch (info.K) {
    case Kind::Rule:
    case Kind::Sequence:
      ok = true;
      break;
    case Kind::Char:
      if (!info.NoSkip) p.SkipBlanks();
      token = p.ReadPunctuation();
      break;
    case Kind::Keyword: token = p.ReadWord(); break;
    case Kind::Ident: token = p.ReadIdentifier(); break;
    case Kind::Number: token = p.ReadNumber(); break;
    case Kind::String: token = p.ReadStringLiteral(); break;
    case Kind::FrString:
      token = p.ReadBracketText();
      if (!token.empty()) {
        // A reference written between < and > becomes a call of Get with its text.
        String pos = p.PositionText();
        Emit("<dsgn pos=\"" + pos + "\">");
        Emit("<node text=\"Get\" pos=\"" + pos + "\"/>");
        Emit("<expr pos=\"" + pos + "\">");
        Emit("<string text=\"" + EscapeXMLText("'" + token + "'") + "\" pos=\"" + pos + "\"/>");
        Emit("</expr>");
        Emit("</dsgn>");
      }
      break;
    case Kind::Eol: ok = p.ReadLineEnd(); break;
    case Kind::RuleRef: ok = RunRule(info.Rule); break;
    default: break;
  }
  switch (info.K) {
    case Kind::Char: case Kind::Keyword: case Kind::Ident: case Kind::Number: case Kind::String:
    case Kind::FrString:
      ok = !token.empty() &&
           (info.Expected.empty() || (p.CaseSensitive ? token == info.Expected : SameText(token, info.Expected)));
      break;
    default: break;
  }

  if (!ok) {
    RecordSyntaxError(info, startPos);
  } else {
    if (info.K != Kind::Rule && !info.Node.empty()) WrapNode(info.Node, true, startPos, startLine);
    if (!info.Add.empty())
      Emit("<" + info.Add + " text=\"" + EscapeXMLText(info.HasAddText ? info.AddText : token) + "\" pos=\"" +
           p.PositionText() + "\"/>");
    ok = RunChildren(Item);
  }
  if (!ok) {
    // A failed item takes back what it emitted, so that an abandoned
    // alternative leaves nothing in the intermediate program.
    p.SetPosition(startPos);
    if (FLines.size() > startLine) FLines.resize(startLine);
  }
  if (info.K == Kind::Rule && !info.Node.empty()) WrapNode(info.Node, ok, startPos, startLine);
  return ok;
}

bool TfsILParser::RunRule(TfsXMLItem* Rule) {
  TfsParser& p = *FParser;
  const Integer startPos = p.Position();
  Info(Rule);
  const uint64_t key = (uint64_t(uint32_t(Rule->Data)) << 32) | uint32_t(startPos);
  const bool noError = FErrorMsg.empty();
  auto it = FMemo.find(key);
  if (it != FMemo.end() && it->second.Stored && FDepth + it->second.DepthUsed < MaxGrammarDepth &&
      (!noError || it->second.FromNoError)) {
    // What the run would do: the same tokens read, the same lines written
    // and, from no error, the same error recorded. With an error already
    // recorded a run records nothing more.
    const MemoEntry& e = it->second;
    if (e.Ok) {
      FLines.insert(FLines.end(), e.Lines.begin(), e.Lines.end());
      p.SetPosition(e.EndPos);
    }
    if (noError) {
      FErrorMsg = e.ErrorMsg;
      FErrorPos = e.ErrorPos;
      FTermError = e.TermError;
    }
    return e.Ok;
  }
  const bool seen = it != FMemo.end();
  const size_t startLine = FLines.size();
  const Integer outerPeak = FPeakDepth;
  const unsigned includes = FIncludes;
  FPeakDepth = FDepth;
  const bool ok = RunGrammarItem(Rule);
  const Integer used = FPeakDepth - FDepth;
  FPeakDepth = std::max(outerPeak, FPeakDepth);
  // Runs that included units or came near the depth limit are not kept:
  // their outcome depends on more than the rule and the position.
  if (includes != FIncludes || FDepth + used >= MaxGrammarDepth) return ok;
  MemoEntry& e = FMemo[key];
  if (seen) {
    e.Stored = true;
    e.Ok = ok;
    e.FromNoError = noError;
    e.TermError = FTermError;
    e.EndPos = p.Position();
    e.DepthUsed = used;
    if (ok) e.Lines.assign(FLines.begin() + std::ptrdiff_t(startLine), FLines.end());
    e.ErrorMsg = FErrorMsg;
    e.ErrorPos = FErrorPos;
  }
  return ok;
}

void TfsILParser::WrapNode(const String& Node, bool Success, Integer StartPos, size_t StartLine) {
  if (Node == "uses") {
    std::vector<String> names;
    for (size_t i = StartLine; i < FLines.size(); ++i) {
      const String& line = FLines[i];
      size_t t = line.find("text=\"");
      if (t == String::npos) continue;
      t += 6;
      size_t e = line.find("\" ", t);
      String v = UnescapeXMLText(line.substr(t, e == String::npos ? String::npos : e - t));
      if (v.size() >= 2) names.push_back(v.substr(1, v.size() - 2));
    }
    FLines.resize(StartLine);
    size_t at = StartLine;
    for (auto it = names.rbegin(); it != names.rend(); ++it) IncludeUnit(*it, at);
    return;
  }
  if (!Success) {
    FLines.resize(std::min(FLines.size(), StartLine));
    return;
  }
  TfsParser& p = *FParser;
  const Integer save = p.Position();
  const String behind = p.PositionText();
  p.SetPosition(StartPos);
  p.SkipBlanks();
  String tag = "<" + Node + " pos=\"" + p.PositionText() + "\"";
  if (Node == "expr") tag += " pos1=\"" + behind + "\"";
  tag += ">";
  p.SetPosition(save);
  FLines.insert(FLines.begin() + std::ptrdiff_t(StartLine), tag);
  FLines.push_back("</" + Node + ">");
}

void TfsILParser::RecordSyntaxError(const RuleInfo& Info, Integer StartPos) {
  if (Info.Err.empty() || !FErrorMsg.empty()) return;
  String msg = FGrammarRoot->FindItem("parser")->FindItem("errors")->FindItem(Info.Err)->Prop("text");
  if (msg.empty()) return;
  TfsParser& p = *FParser;
  const Integer save = p.Position();
  p.SetPosition(StartPos);
  p.SkipBlanks();
  FErrorPos = p.PositionText();
  p.SetPosition(save);
  FErrorMsg = msg;
  FTermError = Info.Term;
}

void TfsILParser::IncludeUnit(const String& Name, size_t& InsertAt) {
  for (const String& u : UsesList)
    if (SameText(u, Name)) return;
  UsesList.push_back(Name);
  ++FIncludes;

  String text;
  if (FProgram->OnGetUnit) {
    FProgram->OnGetUnit(FProgram, Name, text);
  } else {
    TStrings* path = FProgram->IncludePath();
    String file;
    for (Integer i = 0; i < path->Count(); ++i) {
      String dir = path->Strings(i);
      if (!dir.empty() && dir.back() != '\\') dir += '\\';
      file = dir + Name;
      if (FileExists(file)) break;
    }
    TStringList lines;
    lines.LoadFromFile(file);
    text = lines.Text();
  }

  String programText;
  if (!text.empty()) {
    TfsILParser child(FProgram);
    child.UnitName = Name;
    child.LoadGrammar(FLanguage);
    child.UsesList = UsesList;
    child.UnitTexts = UnitTexts;
    if (child.SourceToIntermediate(text)) {
      UsesList = child.UsesList;
      UnitTexts = child.UnitTexts;
      UnitTexts[fsUpperName(Name)] = text;
      TStringStream out{String()};
      child.ILScript()->SaveToStream(&out);
      String saved = out.DataString();
      size_t h = saved.find("?>");
      programText = h == String::npos ? saved : saved.substr(h + 2);
    } else {
      FErrorMsg = FProgram->ErrorText;
      FErrorPos = FProgram->ErrorLocation;
      if (FProgram->ErrorUnitName.empty()) FProgram->ErrorUnitName = Name;
    }
  }
  FLines.insert(FLines.begin() + std::ptrdiff_t(InsertAt),
                {"<uses unit=\"" + EscapeXMLText(Name) + "\">", programText, "</uses>"});
  InsertAt += 3;
}
