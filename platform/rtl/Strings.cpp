#include "Strings.h"
#include <algorithm>
#include <numeric>
#include "Collation.h"
#include "Streams.h"

TOVANI_IMPLEMENT_CLASS(TStrings, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TStringList, TStrings)

namespace {

const char kIndexError[] = "List index out of bounds (%d)";
const char kSortedListError[] = "Operation not allowed on sorted list";
const char kDuplicateString[] = "String list does not allow duplicates";

// Ends a BeginUpdate group however the scope is left.
class TUpdateGuard {
 public:
  explicit TUpdateGuard(TStrings* S) : FStrings(S) { FStrings->BeginUpdate(); }
  ~TUpdateGuard() { FStrings->EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

 private:
  TStrings* FStrings;
};

bool IsBlank(char c) { return c >= 1 && c <= ' '; }

// Reads a quoted entry starting at S[Pos] (the opening quote): doubled
// quotes give one quote; the entry ends at the closing quote or, if there is
// none, at the end of S. Pos is left after the closing quote.
String ExtractQuoted(const String& S, size_t& Pos, char Quote) {
  String result;
  ++Pos;
  while (Pos < S.size()) {
    char c = S[Pos++];
    if (c == Quote) {
      if (Pos < S.size() && S[Pos] == Quote) {
        result += Quote;
        ++Pos;
      } else {
        return result;
      }
    } else {
      result += c;
    }
  }
  return result;
}

String Quoted(const String& S, char Quote) {
  String result(1, Quote);
  for (char c : S) {
    result += c;
    if (c == Quote) result += Quote;
  }
  result += Quote;
  return result;
}

}  // namespace

// ---------------------------------------------------------------------------
// TStrings

void TStrings::Error(const char* Msg, Integer Data) {
  String text = Msg;
  size_t p = text.find("%d");
  if (p != String::npos) text.replace(p, 2, std::to_string(Data));
  throw EStringListError(text);
}

Integer TStrings::Add(const String& S) {
  Integer result = GetCount();
  Insert(result, S);
  return result;
}

Integer TStrings::AddObject(const String& S, TObject* AObject) {
  Integer result = Add(S);
  PutObject(result, AObject);
  return result;
}

void TStrings::AddStrings(TStrings* Strings) {
  TUpdateGuard guard(this);
  for (Integer i = 0, n = Strings->Count(); i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    TUpdateGuard guard(this);
    Clear();
    AddStrings(src);
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;  // unbalanced call: nothing to end
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::Exchange(Integer Index1, Integer Index2) {
  TUpdateGuard guard(this);
  String temp = Get(Index1);
  TObject* tempObject = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, temp);
  PutObject(Index2, tempObject);
}

bool TStrings::Equals(TStrings* Strings) const {
  Integer n = GetCount();
  if (n != Strings->GetCount()) return false;
  for (Integer i = 0; i < n; ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

TObject* TStrings::GetObject(Integer) const { return nullptr; }

void TStrings::Put(Integer Index, const String& S) {
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

void TStrings::PutObject(Integer, TObject*) {}

int TStrings::CompareStrings(const String& S1, const String& S2) const {
  return AnsiCompareText(S1, S2);
}

Integer TStrings::IndexOf(const String& S) const {
  for (Integer i = 0, n = GetCount(); i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

Integer TStrings::IndexOfName(const String& Name) const {
  for (Integer i = 0, n = GetCount(); i < n; ++i) {
    String s = Get(i);
    size_t p = s.find(FNameValueSeparator);
    if (p != String::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject) const {
  for (Integer i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::InsertObject(Integer Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  TUpdateGuard guard(this);
  String s = Get(CurIndex);
  TObject* obj = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, obj);
}

String TStrings::Names(Integer Index) const {
  String s = Get(Index);
  size_t p = s.find(FNameValueSeparator);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::Values(const String& Name) const {
  Integer i = IndexOfName(Name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValues(const String& Name, const String& Value) {
  Integer i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(Name + FNameValueSeparator + Value);
  } else {
    Put(i, Name + FNameValueSeparator + Value);
  }
}

String TStrings::ValueFromIndex(Integer Index) const {
  if (Index < 0) return {};
  String s = Get(Index);
  size_t p = s.find(FNameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(Integer Index, const String& Value) {
  if (Value.empty()) {
    if (Index >= 0) Delete(Index);
  } else if (Index < 0) {
    Add(FNameValueSeparator + Value);
  } else {
    Put(Index, Names(Index) + FNameValueSeparator + Value);
  }
}

String TStrings::DelimitedWith(char Delim, char Quote) const {
  Integer n = GetCount();
  if (n == 1 && Get(0).empty()) return String(2, Quote);
  String result;
  for (Integer i = 0; i < n; ++i) {
    String s = Get(i);
    bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
      return static_cast<unsigned char>(c) <= ' ' || c == Quote || c == Delim;
    });
    if (i > 0) result += Delim;
    result += needsQuotes ? Quoted(s, Quote) : s;
  }
  return result;
}

void TStrings::SetDelimitedWith(const String& Value, char Delim, char Quote) {
  TUpdateGuard guard(this);
  Clear();
  // The text ends at a NUL character, as it always has for callers that
  // hand over C strings.
  const String text = Value.substr(0, Value.find('\0'));
  size_t p = 0, n = text.size();
  while (p < n && IsBlank(text[p])) ++p;
  while (p < n) {
    String s;
    if (text[p] == Quote) {
      s = ExtractQuoted(text, p, Quote);
    } else {
      size_t start = p;
      while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != Delim) ++p;
      s = text.substr(start, p - start);
    }
    Add(s);
    while (p < n && IsBlank(text[p])) ++p;
    if (p < n && text[p] == Delim) {
      // A delimiter at the very end stands for a last, empty entry.
      if (p + 1 == n) Add(String());
      do ++p;
      while (p < n && IsBlank(text[p]));
    }
  }
}

String TStrings::DelimitedText() const { return DelimitedWith(FDelimiter, FQuoteChar); }
void TStrings::SetDelimitedText(const String& Value) { SetDelimitedWith(Value, FDelimiter, FQuoteChar); }
String TStrings::CommaText() const { return DelimitedWith(',', '"'); }
void TStrings::SetCommaText(const String& Value) { SetDelimitedWith(Value, ',', '"'); }

String TStrings::GetTextStr() const {
  String result;
  for (Integer i = 0, n = GetCount(); i < n; ++i) {
    result += Get(i);
    result += FLineBreak;
  }
  return result;
}

void TStrings::SetTextStr(const String& Value) {
  TUpdateGuard guard(this);
  Clear();
  size_t p = 0, n = Value.size();
  while (p < n) {
    size_t start = p;
    while (p < n && Value[p] != '\r' && Value[p] != '\n') ++p;
    Add(Value.substr(start, p - start));
    if (p < n && Value[p] == '\r') ++p;
    if (p < n && Value[p] == '\n') ++p;
  }
}

void TStrings::LoadFromFile(const String& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::LoadFromStream(TStream* Stream) {
  // Read until the stream ends instead of trusting its Size, so a stream
  // that reports a wrong size cannot make us allocate for it.
  String text;
  char buffer[65536];
  for (;;) {
    LongInt n = Stream->Read(buffer, sizeof buffer);
    if (n < 0) throw EReadError("Stream read error");
    if (n == 0) break;
    text.append(buffer, n);
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  SetTextStr(text);
}

void TStrings::SaveToFile(const String& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TStrings::SaveToStream(TStream* Stream) {
  String text = GetTextStr();
  Stream->WriteBuffer(text.data(), static_cast<LongInt>(text.size()));
}

// ---------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (auto& item : FList) delete item.FObject;
}

void TStringList::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= GetCount()) Error(kIndexError, Index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  // Listeners see the start of a group and its end, as for a single change.
  if (Updating) {
    if (OnChanging) OnChanging(this);
  } else {
    if (OnChange) OnChange(this);
  }
}

Integer TStringList::Add(const String& S) { return AddObject(S, nullptr); }

Integer TStringList::AddObject(const String& S, TObject* AObject) {
  Integer result;
  if (!FSorted) {
    result = GetCount();
  } else if (Find(S, result)) {
    if (FDuplicates == dupIgnore) return result;
    if (FDuplicates == dupError) Error(kDuplicateString, 0);
  }
  InsertItem(result, S, AObject);
  return result;
}

void TStringList::InsertItem(Integer Index, const String& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Insert(Integer Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(Integer Index, const String& S, TObject* AObject) {
  if (FSorted) Error(kSortedListError, 0);
  if (Index < 0 || Index > GetCount()) Error(kIndexError, Index);
  InsertItem(Index, S, AObject);
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TStringItem> old;
  old.swap(FList);
  if (FOwnsObjects)
    for (auto& item : old) delete item.FObject;
  Changed();
}

void TStringList::Delete(Integer Index) {
  CheckIndex(Index);
  Changing();
  TObject* obj = FList[Index].FObject;
  FList.erase(FList.begin() + Index);
  if (FOwnsObjects) delete obj;
  Changed();
}

void TStringList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

bool TStringList::Find(const String& S, Integer& Index) const {
  bool result = false;
  Integer l = 0, h = GetCount() - 1;
  while (l <= h) {
    Integer i = l + (h - l) / 2;
    int c = CompareStrings(FList[i].FString, S);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        result = true;
        if (FDuplicates != dupAccept) l = i;
      }
    }
  }
  Index = l;
  return result;
}

Integer TStringList::IndexOf(const String& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  Integer result;
  return Find(S, result) ? result : -1;
}

String TStringList::Get(Integer Index) const {
  CheckIndex(Index);
  return FList[Index].FString;
}

TObject* TStringList::GetObject(Integer Index) const {
  CheckIndex(Index);
  return FList[Index].FObject;
}

void TStringList::Put(Integer Index, const String& S) {
  if (FSorted) Error(kSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[Index].FString = S;
  Changed();
}

void TStringList::PutObject(Integer Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[Index].FObject = AObject;
  Changed();
}

void TStringList::DoSetCapacity(Integer NewCapacity) {
  if (NewCapacity < GetCount() || NewCapacity > 134217727) Error(kIndexError, NewCapacity);
  FList.reserve(NewCapacity);
}

int TStringList::CompareStrings(const String& S1, const String& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::SortBy(const TStringListSortCompare& Compare) {
  if (FList.size() < 2) return;
  // Order a permutation while the entries stay where Compare expects them,
  // then rearrange once; a stable sort keeps equal entries in their order.
  std::vector<Integer> order(FList.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](Integer a, Integer b) { return Compare(this, a, b) < 0; });
  Changing();
  std::vector<TStringItem> sorted;
  sorted.reserve(FList.size());
  for (Integer i : order) sorted.push_back(std::move(FList[i]));
  FList.swap(sorted);
  Changed();
}

void TStringList::Sort() {
  SortBy([](TStringList* list, Integer a, Integer b) {
    return list->CompareStrings(list->FList[a].FString, list->FList[b].FString);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  // A sorted list keeps its own order: Find depends on it.
  if (!FSorted && Compare) SortBy(Compare);
}

void TStringList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}
