// Aggregates: finding the total calls in footer memos and keeping their
// values while a report is built.
#include "frxAggregate.h"

#include <cstring>

#include "Collation.h"
#include "Strings.h"
#include "SysUtils.h"
#include "frxUtils.h"
#include "frxVariables.h"

namespace {

Integer KindOf(const String& Name) {
  String n = UpperCase(Trim(Name));
  if (n == "SUM") return 0;
  if (n == "AVG") return 1;
  if (n == "MIN") return 2;
  if (n == "MAX") return 3;
  return 4;
}

bool IsAggregateWord(const String& W) {
  String n = UpperCase(W);
  return n == "SUM" || n == "AVG" || n == "MIN" || n == "MAX" || n == "COUNT";
}

Variant Combine(Integer Kind, const Variant& A, const Variant& B) {
  switch (Kind) {
    case 0:
    case 1: return A + B;
    case 2: return B < A ? B : A;
    case 3: return B > A ? B : A;
    default: return A;
  }
}

bool IsWordEnd(char c) {
  return unsigned(c) <= 32 || std::strchr("!#$%&(*+,-./=[]^|", c) != nullptr;
}

// Text nested deeper than this is not scanned further (hostile templates).
constexpr Integer kMaxDepth = 64;

}  // namespace

void TfrxAggregateItem::Reset() {
  if (Running && Count != 0) return;
  Count = 0;
  Value = Variant::Null();
  ColValues.clear();
  ColCounts.clear();
}

Variant TfrxAggregateItem::Result() const {
  Variant v = Variant::Null();
  Integer count = Count;
  Variant value = Value;
  if (!ColValues.empty()) {
    if (VColumn >= 0 && size_t(VColumn) < ColValues.size()) {
      value = ColValues[size_t(VColumn)];
      count = ColCounts[size_t(VColumn)];
    } else {
      value = Variant::Null();
      count = 0;
    }
  }
  switch (Kind) {
    case 1: v = count && !value.IsNull() ? value / Variant(count) : Variant::Null(); break;
    case 4: v = Variant(count); break;
    default: v = value; break;
  }
  return v.IsNull() ? Variant(Integer(0)) : v;
}

void TfrxAggregateList::ScanPageFooters(TfrxReportPage* Page) {
  std::function<void(TfrxBand*)> scanLevel = [&](TfrxBand* data) {
    if (TfrxBand* footer = data->FFooter)
      for (TfrxBand* b = footer; b; b = b->Child()) ScanBand(b, data);
    if (TfrxBand* group = data->FGroup) {
      TList* nest = group->SubBands();
      for (Integer i = 0; i < nest->Count(); ++i) {
        auto* gh = static_cast<TfrxBand*>(nest->Items(i));
        for (TfrxBand* b = gh->FFooter; b; b = b->Child()) ScanBand(b, data);
      }
    }
    if (data->Vertical) ScanBand(data, data);
    TList* details = data->SubBands();
    for (Integer i = 0; i < details->Count(); ++i) scanLevel(static_cast<TfrxBand*>(details->Items(i)));
  };
  TfrxBand* first = nullptr;
  for (TList* list : {Page->Bands(), Page->VBands()})
    for (Integer i = 0; i < list->Count(); ++i) {
      auto* b = static_cast<TfrxBand*>(list->Items(i));
      if (!first) first = b;
      scanLevel(b);
    }
  if (!first) return;
  for (const char* cls : {"TfrxPageFooter", "TfrxColumnFooter", "TfrxReportSummary"})
    if (auto* b = static_cast<TfrxBand*>(Page->FirstBandOfClass(FindClass(cls))))
      for (TfrxBand* x = b; x; x = x->Child()) ScanBand(x, first);
}

void TfrxAggregateList::ScanBand(TfrxBand* Band, TfrxBand* DataBand) {
  TList* all = Band->AllObjects();
  std::vector<TfrxCustomMemoView*> memos;
  for (Integer i = 0; i < all->Count(); ++i)
    if (auto* m = dynamic_cast<TfrxCustomMemoView*>(static_cast<TObject*>(all->Items(i)))) memos.push_back(m);
  for (TfrxCustomMemoView* m : memos) ScanMemo(m, DataBand);
}

void TfrxAggregateList::ScanMemo(TfrxCustomMemoView* Memo, TfrxBand* DataBand) {
  if (!Memo->AllowExpressions) return;
  const String& delims = Memo->ExpressionDelimiters;
  size_t comma = delims.find(',');
  String open = delims.substr(0, comma), close = comma == String::npos ? String() : delims.substr(comma + 1);
  if (open.empty() || close.empty()) return;
  String text = Memo->TextUtf8();
  size_t from = 0;
  while (from < text.size()) {
    size_t at = text.find(open, from);
    if (at == String::npos) break;
    Integer start = Integer(at) + 1, end = start;
    String inner = frxExtractBracketed(text, open, close, start, end);
    if (end == start) break;
    ScanExpression(inner, Memo, DataBand, 0);
    from = size_t(end);
  }
}

void TfrxAggregateList::ScanExpression(const String& Text, TfrxCustomMemoView* Memo, TfrxBand* DataBand,
                                       Integer Depth) {
  if (Depth > kMaxDepth) return;
  auto tryName = [&](const String& Name) -> bool {
    if (FReport->Variables()->IndexOf(Name) >= 0) {
      Variant v = FReport->Variables()->Variables(Name);
      ScanExpression(v.IsNull() ? String() : VarToStr(v), Memo, DataBand, Depth + 1);
      return true;
    }
    TfrxDataSet* ds = nullptr;
    String field;
    FReport->ResolveDataField(Name, ds, field);
    return ds != nullptr;
  };
  if (tryName(Trim(Text))) return;
  const size_t n = Text.size();
  size_t i = 0;
  // The closing partner of an opening parenthesis or angle bracket.
  auto matching = [&](size_t from, char open, char close) {
    int depth = 0;
    for (size_t j = from; j < n; ++j) {
      if (Text[j] == '\'' || Text[j] == '"') {
        size_t q = Text.find(Text[j], j + 1);
        if (q == String::npos) return n;
        j = q;
        continue;
      }
      if (Text[j] == open) ++depth;
      else if (Text[j] == close && --depth == 0) return j;
    }
    return n;
  };
  while (i < n) {
    char c = Text[i];
    if (unsigned(c) <= 32 || std::strchr("!#$%&*+,-./0123456789=[]^|", c)) {
      ++i;
    } else if (c == '\'' || c == '"') {
      size_t q = Text.find(c, i + 1);
      i = q == String::npos ? n : q + 1;
    } else if (c == '(' || c == '<') {
      size_t e = matching(i, c, c == '(' ? ')' : '>');
      ScanExpression(Text.substr(i + 1, e > i + 1 ? e - i - 1 : 0), Memo, DataBand, Depth + 1);
      i = e + 1;
    } else {
      size_t w = i;
      while (i < n && !IsWordEnd(Text[i])) ++i;
      String word = Text.substr(w, i - w);
      if (!IsAggregateWord(word)) {
        tryName(word);
        continue;
      }
      if (i >= n || Text[i] != '(') continue;
      // Arguments up to the matching bracket at depth 0.
      std::vector<String> args(3);
      size_t slot = 0;
      int depth = 0;
      bool single = false, dbl = false;
      size_t j = i;
      for (; j < n; ++j) {
        char d = Text[j];
        if (d == '\'' && !dbl) single = !single;
        else if (d == '"' && !single) dbl = !dbl;
        if (!single && !dbl) {
          if (d == '(') {
            if (++depth == 1) continue;
          } else if (d == ')') {
            if (--depth == 0) break;
          } else if (d == ',' && depth == 1) {
            // More than three arguments: the rest is ignored.
            if (++slot > 2) slot = 3;
            continue;
          }
        }
        if (slot < 3) args[slot] += d;
      }
      for (auto& a : args) a = Trim(a);
      AddCall(word, args, Trim(Text.substr(w, std::min(j + 1, n) - w)), Memo, DataBand);
      i = j + 1;
    }
  }
}

void TfrxAggregateList::AddCall(const String& Name, const std::vector<String>& Args, const String& CallText,
                                TfrxCustomMemoView* Memo, TfrxBand* DataBand) {
  auto item = std::make_unique<TfrxAggregateItem>();
  item->Kind = KindOf(Name);
  String bandName, flags;
  if (item->Kind == 4) {
    bandName = Args[0];
    flags = Args[1];
  } else {
    item->Expression = Args[0];
    bandName = Args[1];
    flags = Args[2];
  }
  TfrxBand* band = nullptr;
  if (!bandName.empty()) band = dynamic_cast<TfrxBand*>(FReport->FindObject(bandName));
  item->DataBand = band ? band : DataBand;
  const Integer f = flags.empty() ? 0 : StrToIntDef(flags, 0);
  item->CountInvisible = (f & 1) != 0;
  item->Running = (f & 2) != 0;
  auto* parent = dynamic_cast<TfrxBand*>(Memo->Parent());
  if (parent && parent->Vertical && Memo->ParentBand()) {
    TfrxComponent* h = Memo->ParentBand();
    if (frxIsKindOf(h, "TfrxReportSummary") || frxIsKindOf(h, "TfrxPageFooter") || frxIsKindOf(h, "TfrxFooter") ||
        frxIsKindOf(h, "TfrxGroupFooter"))
      parent = static_cast<TfrxBand*>(h);
  }
  item->ParentBand = parent;
  item->PageFooter = parent && frxIsKindOf(parent, "TfrxPageFooter");
  item->MemoName = Memo->Name();
  item->CallText = CallText;
  item->Value = Variant::Null();
  item->Reset();
  FItems.push_back(std::move(item));
}

void TfrxAggregateList::AddRecord(TfrxBand* Band, Integer VColumn) {
  for (auto& p : FItems) {
    TfrxAggregateItem& it = *p;
    if (it.DataBand != Band) continue;
    if (!Band->Visible() && !it.CountInvisible) continue;
    FReport->CurObject = it.MemoName;
    Variant v = it.Kind == 4 ? Variant::Null() : FReport->Calc(it.Expression);
    if (v.VType() == varBoolean) v = Variant(Integer(v.AsBoolean() ? 1 : 0));
    const bool counts = !(it.Kind == 1 && v.IsNull());
    auto add = [&](Variant& value, Integer& count) {
      if (counts) ++count;
      if (!v.IsNull()) value = value.IsNull() ? v : Combine(it.Kind, value, v);
    };
    if (VColumn >= 1) {
      // Columns grow as far as the report needs, never beyond their storage.
      if (it.ColValues.size() <= size_t(VColumn)) {
        size_t size = std::max<size_t>(1001, size_t(VColumn) + 1);
        it.ColValues.resize(size, Variant::Null());
        it.ColCounts.resize(size, 0);
      }
      add(it.ColValues[size_t(VColumn)], it.ColCounts[size_t(VColumn)]);
    } else if (it.Keeping) {
      add(it.TempValue, it.TempCount);
    } else {
      it.LastCount = it.Count;
      it.LastValue = it.Value;
      add(it.Value, it.Count);
    }
  }
}

void TfrxAggregateList::UndoRecord(TfrxBand* Band) {
  for (auto& p : FItems)
    if (p->DataBand == Band) {
      p->Count = p->LastCount;
      p->Value = p->LastValue;
    }
}

Variant TfrxAggregateList::FindTotal(TfrxBand* Band, Integer VColumn, Integer Flags, TfrxBand* DataBand,
                                     const String& Expression, const String& KindName) {
  const Integer kind = KindOf(KindName);
  const String expr = Trim(Expression);
  for (auto& p : FItems) {
    TfrxAggregateItem& it = *p;
    if (it.ParentBand != Band || it.Kind != kind) continue;
    if (AnsiCompareText(it.Expression, expr) != 0) continue;
    if (DataBand && DataBand != it.DataBand) continue;
    if (it.CountInvisible != ((Flags & 1) != 0) || it.Running != ((Flags & 2) != 0)) continue;
    it.VColumn = VColumn;
    return it.Result();
  }
  return Variant::Null();
}

void TfrxAggregateList::ResetTotals(TfrxBand* Band) {
  for (auto& p : FItems)
    if (p->ParentBand == Band) p->Reset();
}

void TfrxAggregateList::BeginHold() {
  for (auto& p : FItems)
    if (p->PageFooter && !p->Keeping) {
      p->Keeping = true;
      p->TempCount = 0;
      p->TempValue = Variant::Null();
    }
}

void TfrxAggregateList::EndHold() {
  for (auto& p : FItems)
    if (p->PageFooter && p->Keeping) {
      p->Keeping = false;
      p->Count += p->TempCount;
      if (!p->TempValue.IsNull())
        p->Value = p->Value.IsNull() ? p->TempValue : Combine(p->Kind, p->Value, p->TempValue);
    }
}

void TfrxAggregateList::ClearAllTotals() {
  for (auto& p : FItems) {
    bool running = p->Running;
    p->Running = false;
    p->Reset();
    p->Running = running;
  }
}
