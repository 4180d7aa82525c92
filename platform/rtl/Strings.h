// String lists: the abstract TStrings (the interface every list of lines
// offers: list boxes, memos, combo boxes, string lists) and TStringList, the
// list kept in memory with optional sorting.
#pragma once
#include <functional>
#include "Persistent.h"

class TStream;
class TStringList;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Compares the entries at Index1 and Index2 of List: negative, 0, positive.
using TStringListSortCompare = std::function<int(TStringList* List, Integer Index1, Integer Index2)>;

class TStrings : public TPersistent {
  TOVANI_CLASS(TStrings, TPersistent)
 public:
  virtual Integer Add(const String& S);
  virtual Integer AddObject(const String& S, TObject* AObject);
  void Append(const String& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  void Assign(TPersistent* Source) override;
  // Groups changes: listeners hear one change for the whole group.
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(Integer Index) = 0;
  virtual void Exchange(Integer Index1, Integer Index2);
  // Same count and the same strings (compared exactly) in the same order.
  bool Equals(TStrings* Strings) const;
  virtual Integer IndexOf(const String& S) const;
  // Index of the first "name=value" entry with this name; -1 when none.
  virtual Integer IndexOfName(const String& Name) const;
  virtual Integer IndexOfObject(TObject* AObject) const;
  virtual void Insert(Integer Index, const String& S) = 0;
  virtual void InsertObject(Integer Index, const String& S, TObject* AObject);
  // Lines of a UTF-8 text file or stream; a byte-order mark is dropped and
  // lines end at CR LF, LF or CR. Saving writes UTF-8 lines ending in LineBreak.
  virtual void LoadFromFile(const String& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToFile(const String& FileName);
  virtual void SaveToStream(TStream* Stream);
  virtual void Move(Integer CurIndex, Integer NewIndex);

  Integer Count() const { return GetCount(); }
  String Strings(Integer Index) const { return Get(Index); }
  void SetStrings(Integer Index, const String& S) { Put(Index, S); }
  String operator[](Integer Index) const { return Get(Index); }
  TObject* Objects(Integer Index) const { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }
  Integer Capacity() const { return GetCapacity(); }
  void SetCapacity(Integer NewCapacity) { DoSetCapacity(NewCapacity); }

  // "name=value" entries. Names of an entry without a separator is empty.
  // Setting an empty value deletes the entry; setting a new name adds one.
  String Names(Integer Index) const;
  String Values(const String& Name) const;
  void SetValues(const String& Name, const String& Value);
  String ValueFromIndex(Integer Index) const;
  void SetValueFromIndex(Integer Index, const String& Value);
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char C) { FNameValueSeparator = C; }

  // The entries joined by Delimiter; an entry holding a space, a control
  // character, the delimiter or the quote character is quoted (quotes
  // doubled). Setting splits at the delimiter and at blanks outside quotes.
  String DelimitedText() const;
  void SetDelimitedText(const String& Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char C) { FDelimiter = C; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char C) { FQuoteChar = C; }
  // DelimitedText with ',' and '"' whatever Delimiter and QuoteChar are.
  String CommaText() const;
  void SetCommaText(const String& Value);

  // Every entry followed by LineBreak; setting splits at CR LF, LF or CR.
  String Text() const { return GetTextStr(); }
  void SetText(const String& Value) { SetTextStr(Value); }
  const String& LineBreak() const { return FLineBreak; }
  void SetLineBreak(const String& Value) { FLineBreak = Value; }

  Integer UpdateCount() const { return FUpdateCount; }

 protected:
  virtual String Get(Integer Index) const = 0;
  virtual Integer GetCount() const = 0;
  virtual TObject* GetObject(Integer Index) const;
  virtual void Put(Integer Index, const String& S);
  virtual void PutObject(Integer Index, TObject* AObject);
  virtual Integer GetCapacity() const { return GetCount(); }
  virtual void DoSetCapacity(Integer) {}
  virtual String GetTextStr() const;
  virtual void SetTextStr(const String& Value);
  // Called with true when the first BeginUpdate starts a group and with
  // false when the last EndUpdate ends it.
  virtual void SetUpdateState(bool Updating);
  // Order and equality of entries for IndexOf/IndexOfName: case-insensitive
  // in the base class.
  virtual int CompareStrings(const String& S1, const String& S2) const;
  // Raises EStringListError with Msg; "%d" in Msg is replaced by Data.
  [[noreturn]] static void Error(const char* Msg, Integer Data);

 private:
  String DelimitedWith(char Delim, char Quote) const;
  void SetDelimitedWith(const String& Value, char Delim, char Quote);

  Integer FUpdateCount = 0;
  char FNameValueSeparator = '=';
  char FDelimiter = ',';
  char FQuoteChar = '"';
  String FLineBreak = "\r\n";
};

class TStringList : public TStrings {
  TOVANI_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
  explicit TStringList(bool AOwnsObjects) : FOwnsObjects(AOwnsObjects) {}
  ~TStringList() override;

  // On a sorted list Add puts S in order; an equal entry is kept (dupAccept),
  // makes Add answer the existing index (dupIgnore) or raises
  // "String list does not allow duplicates" (dupError).
  Integer Add(const String& S) override;
  Integer AddObject(const String& S, TObject* AObject) override;
  void Clear() override;
  void Delete(Integer Index) override;
  void Exchange(Integer Index1, Integer Index2) override;
  // Binary search of a sorted list: true when S is present, with Index its
  // (first) position; otherwise Index is where S would be inserted.
  virtual bool Find(const String& S, Integer& Index) const;
  Integer IndexOf(const String& S) const override;
  // Inserting at a position is refused on a sorted list.
  void Insert(Integer Index, const String& S) override;
  void InsertObject(Integer Index, const String& S, TObject* AObject) override;
  // Sorts by CompareStrings (Chinese collation; case-insensitive unless
  // CaseSensitive). CustomSort orders an unsorted list by Compare.
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  // With OwnsObjects the list deletes the objects of entries it deletes or
  // clears and of the entries left when it is destroyed.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

  // Fired after every change and before it (not inside BeginUpdate/EndUpdate:
  // then once when the group starts and once when it ends).
  std::function<void(TObject* Sender)> OnChange;
  std::function<void(TObject* Sender)> OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  String Get(Integer Index) const override;
  Integer GetCount() const override { return static_cast<Integer>(FList.size()); }
  TObject* GetObject(Integer Index) const override;
  void Put(Integer Index, const String& S) override;
  void PutObject(Integer Index, TObject* AObject) override;
  Integer GetCapacity() const override { return static_cast<Integer>(FList.capacity()); }
  void DoSetCapacity(Integer NewCapacity) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const String& S1, const String& S2) const override;
  virtual void InsertItem(Integer Index, const String& S, TObject* AObject);

 private:
  struct TStringItem {
    String FString;
    TObject* FObject;
  };
  void CheckIndex(Integer Index) const;
  void SortBy(const TStringListSortCompare& Compare);

  std::vector<TStringItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};
