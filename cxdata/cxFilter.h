// Record filters: the filter operators, the criteria tree of conditions and
// groups, its evaluation for one record, its value lists, and its text and
// stream forms.
//
// The criteria does not know the data. Which column a condition tests (its
// link), how the value is read from a record and how columns are named and
// numbered are supplied by a subclass (the data controller's criteria and
// the dataset criteria) through LinkValue, LinkCaption, LinkFieldName,
// LinkId, LinkName, LinkById and LinkByName.
//
// Filter text:   (Name LIKE 'a%') AND (Price BETWEEN 10 AND 20)
// Display text:  (Name begins with a) and (Price between 10 and 20)
// Tagged stream: header -1 (version 2) or -2 (version 3), then the root list
//   record: group operator byte, member count, members; a member is an
//   is-group byte and a list or a condition record; a condition is kind byte,
//   display value, link id, link name (version 3 only), operand (tagged
//   Variant). Strings are a 32-bit byte count and code page 936 bytes.
#pragma once
#include <functional>
#include <memory>

#include "cxClasses.h"
#include <vector>

#include "Classes.h"
#include "TypInfo.h"
#include "Variant.h"

class TStream;
class TcxFilterCriteria;
class TcxFilterCriteriaItem;
class TcxFilterCriteriaItemList;

enum TcxFilterOperatorCode : Byte {
  focEqual, focNotEqual, focLess, focLessEqual, focGreater, focGreaterEqual, focLike,
  focNotLike, focBetween, focNotBetween, focInList, focNotInList, focYesterday, focToday,
  focTomorrow, focLast7Days, focLastWeek, focLast14Days, focLastTwoWeeks, focLast30Days,
  focLastMonth, focLastYear, focInPast, focThisWeek, focThisMonth, focThisYear,
  focNext7Days, focNextWeek, focNext14Days, focNextTwoWeeks, focNext30Days, focNextMonth,
  focNextYear, focInFuture, focNull, focNotNull
};
constexpr Integer cxFilterOperatorCodeCount = 36;

enum TcxFilterGroupOperator : Byte { fgoAnd, fgoOr, fgoNotAnd, fgoNotOr };

enum TcxFilterCriteriaOption {
  fcoCaseInsensitive, fcoShowOperatorDescription, fcoSoftNull, fcoSoftCompare, fcoIgnoreNull
};
TOVANI_ENUM_INFO(TcxFilterCriteriaOption)
using TcxFilterCriteriaOptions = TSet<TcxFilterCriteriaOption>;

enum TcxFilterValueKind : Byte {
  fvkAll = 0, fvkCustom = 1, fvkBlanks = 2, fvkNonBlanks = 3, fvkValue = 5
};

// ---------------------------------------------------------------------------
// Resource texts. Every caption and word goes through cxDataResourceText, so
// the editor library can put its replacement table in front of them.

// TcxResourceString, the record of a built-in text, is the editor library's
// (cxClasses.h).

extern const TcxResourceString cxSFilterAndCaption;     // "and"
extern const TcxResourceString cxSFilterOrCaption;      // "or"
extern const TcxResourceString cxSFilterNotCaption;     // "not"
extern const TcxResourceString cxSFilterBlankCaption;   // "blank"
extern const TcxResourceString cxSFilterOperatorBeginsWith;       // "begins with"
extern const TcxResourceString cxSFilterOperatorDoesNotBeginWith; // "does not begin with"
extern const TcxResourceString cxSFilterOperatorEndsWith;         // "ends with"
extern const TcxResourceString cxSFilterOperatorDoesNotEndWith;   // "does not end with"
extern const TcxResourceString cxSFilterOperatorContains;         // "contains"
extern const TcxResourceString cxSFilterOperatorDoesNotContain;   // "does not contain"
// The caption of each operator kind ("equals", "is blank", ...).
const TcxResourceString& cxFilterOperatorCaptionResource(TcxFilterOperatorCode Kind);

using TcxResourceTextHook = std::function<String(const TcxResourceString&)>;
// Installed by the editor library at start-up; an empty hook restores the
// built-in texts.
void cxSetDataResourceTextHook(TcxResourceTextHook Hook);
String cxDataResourceText(const TcxResourceString& Res);

// ---------------------------------------------------------------------------
// Display-text helpers of the operators.

// Token from Pos (0-based) up to the next ";" or the end, blanks trimmed;
// Pos moves past the ";".
String cxNextListToken(const String& S, size_t& Pos);
void cxParsePairText(const String& S, String& Low, String& High);
std::vector<String> cxParseListText(const String& S);
// A Null element reads as the word "blank".
String cxFilterValueText(const Variant& V);
String cxPairDisplayText(const String& Low, const String& High);   // "low and high"
String cxListDisplayText(const std::vector<String>& Items);        // "(a, b, c)"

// The [from, to) range of a date operator on the day Today (0 = no bound).
void cxFilterDateBounds(TcxFilterOperatorCode Kind, TDateTime Today, TDateTime& From,
                        TDateTime& To);

// ---------------------------------------------------------------------------
// Operators: one class per kind; a condition owns one, made from the class
// its kind (and a null operand) selects.

class TcxFilterOperator : public TObject {
  TOVANI_CLASS(TcxFilterOperator, TObject)
 public:
  TcxFilterCriteriaItem* CriteriaItem() const { return FItem; }
  TcxFilterCriteria* Criteria() const;
  // The kind this class implements.
  virtual TcxFilterOperatorCode Code() const = 0;

  // The whole condition as filter text, used when UsesExpression.
  virtual String ExpressionText(const Variant& Value);
  // The operand as a filter-text literal.
  virtual String ValueText(const Variant& Value);
  virtual void PrepareDisplayText(String& S) { (void)S; }
  virtual void Prepare() {}
  // True when it has written S for a pair or list operand.
  virtual bool ComposeValueText(const Variant& Value, String& S);
  // Whether the prepared record value A matches the prepared operand B.
  virtual bool Matches(const Variant& A, const Variant& B) = 0;
  virtual String CaptionText();
  virtual String SymbolText();
  virtual bool HasDescription() const { return false; }
  virtual bool UsesExpression() const { return false; }
  virtual bool TestsNull() const { return false; }

 protected:
  // The field name a condition writes into filter expressions.
  String FieldText() const;

 private:
  friend class TcxFilterCriteriaItem;
  TcxFilterCriteriaItem* FItem = nullptr;
};

#define CX_FILTER_OPERATOR_CODE(Cls, Parent, Kind)                   \
  class Cls : public Parent {                                        \
    TOVANI_CLASS(Cls, Parent)                                        \
   public:                                                           \
    TcxFilterOperatorCode Code() const override { return Kind; }

class TcxFilterEqualOperator : public TcxFilterOperator {
  TOVANI_CLASS(TcxFilterEqualOperator, TcxFilterOperator)
 public:
  TcxFilterOperatorCode Code() const override { return focEqual; }
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "="; }
  bool UsesExpression() const override;
  String ExpressionText(const Variant& Value) override;
};
CX_FILTER_OPERATOR_CODE(TcxFilterNotEqualOperator, TcxFilterEqualOperator, focNotEqual)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "<>"; }
  String ExpressionText(const Variant& Value) override;
};
CX_FILTER_OPERATOR_CODE(TcxFilterNullOperator, TcxFilterEqualOperator, focNull)
  bool Matches(const Variant& A, const Variant& B) override;
  bool UsesExpression() const override { return false; }
  bool TestsNull() const override { return true; }
  void PrepareDisplayText(String& S) override;
};
CX_FILTER_OPERATOR_CODE(TcxFilterNotNullOperator, TcxFilterNullOperator, focNotNull)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "<>"; }
};

CX_FILTER_OPERATOR_CODE(TcxFilterLessOperator, TcxFilterOperator, focLess)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "<"; }
};
CX_FILTER_OPERATOR_CODE(TcxFilterLessEqualOperator, TcxFilterOperator, focLessEqual)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "<="; }
};
CX_FILTER_OPERATOR_CODE(TcxFilterGreaterOperator, TcxFilterOperator, focGreater)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return ">"; }
};
CX_FILTER_OPERATOR_CODE(TcxFilterGreaterEqualOperator, TcxFilterOperator, focGreaterEqual)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return ">="; }
};

CX_FILTER_OPERATOR_CODE(TcxFilterLikeOperator, TcxFilterOperator, focLike)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "LIKE"; }
  String CaptionText() override;
  void PrepareDisplayText(String& S) override;
};
CX_FILTER_OPERATOR_CODE(TcxFilterNotLikeOperator, TcxFilterLikeOperator, focNotLike)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "NOT LIKE"; }
  bool UsesExpression() const override;
  String ExpressionText(const Variant& Value) override;
};

CX_FILTER_OPERATOR_CODE(TcxFilterBetweenOperator, TcxFilterOperator, focBetween)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "BETWEEN"; }
  bool HasDescription() const override { return true; }
  bool UsesExpression() const override;
  String ExpressionText(const Variant& Value) override;
  bool ComposeValueText(const Variant& Value, String& S) override;
  void PrepareDisplayText(String& S) override;
};
CX_FILTER_OPERATOR_CODE(TcxFilterNotBetweenOperator, TcxFilterBetweenOperator, focNotBetween)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "NOT BETWEEN"; }
  String ExpressionText(const Variant& Value) override;
};

CX_FILTER_OPERATOR_CODE(TcxFilterInListOperator, TcxFilterOperator, focInList)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "IN"; }
  bool HasDescription() const override { return true; }
  bool UsesExpression() const override;
  String ExpressionText(const Variant& Value) override;
  bool ComposeValueText(const Variant& Value, String& S) override;
  void PrepareDisplayText(String& S) override;
};
CX_FILTER_OPERATOR_CODE(TcxFilterNotInListOperator, TcxFilterInListOperator, focNotInList)
  bool Matches(const Variant& A, const Variant& B) override;
  String SymbolText() override { return "NOT IN"; }
  String ExpressionText(const Variant& Value) override;
};

// Date ranges relative to today: [From, To), 0 = no bound, computed by
// Prepare from the clock (DateUtils' Date()).
class TcxFilterDateOperator : public TcxFilterOperator {
  TOVANI_CLASS(TcxFilterDateOperator, TcxFilterOperator)
 public:
  bool Matches(const Variant& A, const Variant& B) override;
  void Prepare() override;
  void PrepareDisplayText(String& S) override { S.clear(); }
  String SymbolText() override { return CaptionText(); }
  bool UsesExpression() const override { return true; }
  String ExpressionText(const Variant& Value) override;
  TDateTime DateFrom() const { return FFrom; }
  TDateTime DateTo() const { return FTo; }

 private:
  TDateTime FFrom = 0, FTo = 0;
};
class TcxFilterLastNDaysOperator : public TcxFilterDateOperator {
  TOVANI_CLASS(TcxFilterLastNDaysOperator, TcxFilterDateOperator)
 public:
  virtual Integer DaySpan() const = 0;
};
class TcxFilterNextNDaysOperator : public TcxFilterDateOperator {
  TOVANI_CLASS(TcxFilterNextNDaysOperator, TcxFilterDateOperator)
 public:
  virtual Integer DaySpan() const = 0;
};

#define CX_FILTER_DATE_OPERATOR(Cls, Parent, Kind) \
  CX_FILTER_OPERATOR_CODE(Cls, Parent, Kind) };
#define CX_FILTER_NDAYS_OPERATOR(Cls, Parent, Kind, N) \
  CX_FILTER_OPERATOR_CODE(Cls, Parent, Kind)           \
    Integer DaySpan() const override { return N; }     \
  };

CX_FILTER_DATE_OPERATOR(TcxFilterYesterdayOperator, TcxFilterDateOperator, focYesterday)
CX_FILTER_DATE_OPERATOR(TcxFilterTodayOperator, TcxFilterDateOperator, focToday)
CX_FILTER_DATE_OPERATOR(TcxFilterTomorrowOperator, TcxFilterDateOperator, focTomorrow)
CX_FILTER_NDAYS_OPERATOR(TcxFilterLast7DaysOperator, TcxFilterLastNDaysOperator, focLast7Days, 7)
CX_FILTER_DATE_OPERATOR(TcxFilterLastWeekOperator, TcxFilterDateOperator, focLastWeek)
CX_FILTER_NDAYS_OPERATOR(TcxFilterLast14DaysOperator, TcxFilterLastNDaysOperator, focLast14Days, 14)
CX_FILTER_DATE_OPERATOR(TcxFilterLastTwoWeeksOperator, TcxFilterDateOperator, focLastTwoWeeks)
CX_FILTER_NDAYS_OPERATOR(TcxFilterLast30DaysOperator, TcxFilterLastNDaysOperator, focLast30Days, 30)
CX_FILTER_DATE_OPERATOR(TcxFilterLastMonthOperator, TcxFilterDateOperator, focLastMonth)
CX_FILTER_DATE_OPERATOR(TcxFilterLastYearOperator, TcxFilterDateOperator, focLastYear)
CX_FILTER_DATE_OPERATOR(TcxFilterInPastOperator, TcxFilterDateOperator, focInPast)
CX_FILTER_DATE_OPERATOR(TcxFilterThisWeekOperator, TcxFilterDateOperator, focThisWeek)
CX_FILTER_DATE_OPERATOR(TcxFilterThisMonthOperator, TcxFilterDateOperator, focThisMonth)
CX_FILTER_DATE_OPERATOR(TcxFilterThisYearOperator, TcxFilterDateOperator, focThisYear)
CX_FILTER_NDAYS_OPERATOR(TcxFilterNext7DaysOperator, TcxFilterNextNDaysOperator, focNext7Days, 7)
CX_FILTER_DATE_OPERATOR(TcxFilterNextWeekOperator, TcxFilterDateOperator, focNextWeek)
CX_FILTER_NDAYS_OPERATOR(TcxFilterNext14DaysOperator, TcxFilterNextNDaysOperator, focNext14Days, 14)
CX_FILTER_DATE_OPERATOR(TcxFilterNextTwoWeeksOperator, TcxFilterDateOperator, focNextTwoWeeks)
CX_FILTER_NDAYS_OPERATOR(TcxFilterNext30DaysOperator, TcxFilterNextNDaysOperator, focNext30Days, 30)
CX_FILTER_DATE_OPERATOR(TcxFilterNextMonthOperator, TcxFilterDateOperator, focNextMonth)
CX_FILTER_DATE_OPERATOR(TcxFilterNextYearOperator, TcxFilterDateOperator, focNextYear)
CX_FILTER_DATE_OPERATOR(TcxFilterInFutureOperator, TcxFilterDateOperator, focInFuture)

#undef CX_FILTER_DATE_OPERATOR
#undef CX_FILTER_NDAYS_OPERATOR
#undef CX_FILTER_OPERATOR_CODE

// The operator class of a kind (the table's class, ignoring null operands).
TClass cxFilterOperatorClassOf(TcxFilterOperatorCode Kind);

// ---------------------------------------------------------------------------
// The criteria tree.

class TcxCustomFilterCriteriaItem : public TObject {
  TOVANI_CLASS(TcxCustomFilterCriteriaItem, TObject)
 public:
  // Destroying an item takes it out of its parent list.
  ~TcxCustomFilterCriteriaItem() override;
  TcxFilterCriteriaItemList* Parent() const { return FParent; }
  virtual TcxFilterCriteria* Criteria() const;
  virtual bool IsGroup() const = 0;
  virtual void ReadFrom(TStream* S) = 0;
  virtual void WriteTo(TStream* S) = 0;
  // A list without members, a condition without link.
  virtual bool IsVoid() const = 0;

 protected:
  virtual void NotifyChanged();

 private:
  friend class TcxFilterCriteriaItemList;
  friend class TcxFilterCriteria;
  TcxFilterCriteriaItemList* FParent = nullptr;
};

class TcxFilterCriteriaItemList : public TcxCustomFilterCriteriaItem {
  TOVANI_CLASS(TcxFilterCriteriaItemList, TcxCustomFilterCriteriaItem)
 public:
  TcxFilterCriteriaItemList() = default;
  ~TcxFilterCriteriaItemList() override;

  TcxFilterCriteria* Criteria() const override;
  bool IsGroup() const override { return true; }
  void ReadFrom(TStream* S) override;
  void WriteTo(TStream* S) override;
  bool IsVoid() const override { return FItems.empty(); }

  TcxFilterCriteriaItem* AddCondition(TObject* ALink, TcxFilterOperatorCode AKind,
                                      const Variant& AOperand, const String& ADisplayValue);
  TcxFilterCriteriaItemList* AddGroup(TcxFilterGroupOperator AGroupOperator);
  TcxFilterGroupOperator GroupOperator() const { return FGroupOperator; }
  void SetGroupOperator(TcxFilterGroupOperator Value);
  // Destroys the members, last first, inside one criteria update.
  void ClearItems();
  Integer Count() const { return Integer(FItems.size()); }
  // Null when out of range.
  TcxCustomFilterCriteriaItem* Items(Integer Index) const;
  Integer IndexOf(const TcxCustomFilterCriteriaItem* Item) const;

  // Evaluates the members for one record.
  bool Matches(Integer ARecord);

 protected:
  virtual void DetachItem(TcxCustomFilterCriteriaItem* Item);

 private:
  friend class TcxFilterCriteria;
  friend class TcxCustomFilterCriteriaItem;
  void Append(TcxCustomFilterCriteriaItem* Item);
  TcxFilterGroupOperator FGroupOperator = fgoAnd;
  TcxFilterCriteria* FCriteria = nullptr;   // set on the root only
  std::vector<TcxCustomFilterCriteriaItem*> FItems;   // owned
};

class TcxFilterCriteriaItem : public TcxCustomFilterCriteriaItem {
  TOVANI_CLASS(TcxFilterCriteriaItem, TcxCustomFilterCriteriaItem)
 public:
  TcxFilterCriteriaItem() = default;
  ~TcxFilterCriteriaItem() override;

  bool IsGroup() const override { return false; }
  void ReadFrom(TStream* S) override;
  void WriteTo(TStream* S) override;
  bool IsVoid() const override { return Link() == nullptr; }

  // Supplied by the subclasses of the data controllers: the record's value
  // of the linked column, its caption and its field name (";"-separated
  // names for a condition on several fields).
  virtual Variant LinkValue(Integer ARecord);
  virtual String LinkCaption();
  virtual String LinkFieldName();

  // The display value after the operator's PrepareDisplayText.
  virtual String DisplayValueText();
  // DisplayValueText for captions, else the operator's ValueText of the operand.
  virtual String ValueTextFor(bool AsCaption);
  // The class the kind and a null operand select.
  virtual TClass OperatorClass();
  virtual TObject* Link() const { return FLink; }
  virtual void SetLink(TObject* Value);
  virtual void RebuildOperator();
  virtual bool IsNullValue(const Variant& V) const;

  TcxFilterOperator* Operator() const { return FOperator.get(); }
  TcxFilterOperatorCode OperatorKind() const { return FOperatorKind; }
  void SetOperatorKind(TcxFilterOperatorCode Value);
  const Variant& Operand() const { return FOperand; }
  void SetOperand(const Variant& Value);
  const String& DisplayValue() const { return FDisplayValue; }
  void SetDisplayValue(const String& Value);
  // An "is blank" condition without display value shows the word "blank".
  void ApplyBlankDisplay();

  // Evaluates the condition for one record (conversion errors follow
  // fcoSoftCompare).
  bool Matches(Integer ARecord);

 private:
  friend class TcxFilterCriteriaItemList;
  void Initialize(TObject* ALink, TcxFilterOperatorCode AKind, const Variant& AOperand,
                  const String& ADisplayValue);
  const Variant& PreparedOperand();

  TObject* FLink = nullptr;
  TcxFilterOperatorCode FOperatorKind = focEqual;
  Variant FOperand;
  String FDisplayValue;
  std::unique_ptr<TcxFilterOperator> FOperator;
  // The operand as PrepareValue gives it, made once per criteria settings.
  Variant FPreparedOperand;
  UInt64 FPreparedGeneration = 0;
};

// ---------------------------------------------------------------------------
// Value lists: the distinct values of a column with special entries, for
// filter drop-downs. The data controller makes and fills them.

struct TcxFilterValueItem {
  TcxFilterValueKind Kind;
  Variant Value;
  String DisplayText;
};

class TcxFilterValueList : public TObject {
  TOVANI_CLASS(TcxFilterValueList, TObject)
 public:
  explicit TcxFilterValueList(TcxFilterCriteria* ACriteria = nullptr) : FCriteria(ACriteria) {}
  TcxFilterCriteria* Criteria() const { return FCriteria; }
  void SetCriteria(TcxFilterCriteria* Value) { FCriteria = Value; }

  virtual int CompareEntry(Integer Index, const Variant& Value, const String& Text);
  // Special kinds go before the first value entry; a value entry is
  // inserted in order unless an equal one exists or the list is full
  // (MaxValueListCount), or appended unchecked with Append.
  virtual void AddEntry(TcxFilterValueKind Kind, const Variant& Value, const String& Text,
                        bool Append = false);
  virtual void ClearEntries() { FItems.clear(); }
  // Binary search over the value entries: the first equal one, or the
  // insert position.
  virtual bool FindEntry(const Variant& Value, const String& Text, Integer& Index);
  virtual Integer EntryIndexForItem(TcxFilterCriteriaItem* Item);

  Integer FindEntryByKind(TcxFilterValueKind Kind, const Variant& Value = Variant::Null());
  Integer FirstValueIndex() const;
  Integer EntryCount() const { return Integer(FItems.size()); }
  const TcxFilterValueItem& EntryAt(Integer Index) const;
  bool SortsByText() const { return FSortsByText; }
  void SetSortsByText(bool Value) { FSortsByText = Value; }

 private:
  TcxFilterCriteria* FCriteria;
  std::vector<TcxFilterValueItem> FItems;
  bool FSortsByText = false;
};

// ---------------------------------------------------------------------------

class TcxFilterCriteria : public TPersistent {
  TOVANI_CLASS(TcxFilterCriteria, TPersistent)
 public:
  TcxFilterCriteria();
  ~TcxFilterCriteria() override;

  void Assign(TPersistent* Source) override { AssignFrom(Source, false); }

  TcxFilterCriteriaItemList* Root() const { return FRoot.get(); }
  TcxFilterCriteriaItem* AddCondition(TcxFilterCriteriaItemList* AParent, TObject* ALink,
                                      TcxFilterOperatorCode AKind, const Variant& AOperand,
                                      const String& ADisplayValue);
  void ClearConditions();
  // Removes every condition on ALink and tidies the lists it leaves empty or
  // with a single member.
  void RemoveLinkConditions(TObject* ALink);
  virtual TcxFilterCriteriaItem* FindItemByLink(TObject* ALink);
  virtual bool HasNoConditions() const;
  bool MatchesRecord(Integer ARecord);

  // Settings.
  TcxFilterCriteriaOptions Options() const { return FOptions; }
  void SetOptions(TcxFilterCriteriaOptions Value);
  char PercentWildcard() const { return FPercentWildcard; }
  void SetPercentWildcard(char Value);
  char UnderscoreWildcard() const { return FUnderscoreWildcard; }
  void SetUnderscoreWildcard(char Value);
  Integer MaxValueListCount() const { return FMaxValueListCount; }
  void SetMaxValueListCount(Integer Value) { FMaxValueListCount = Value; }
  const String& DateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const String& Value);
  bool TranslateBetween() const { return FTranslateBetween; }
  void SetTranslateBetween(bool Value) { FTranslateBetween = Value; }
  bool TranslateLike() const { return FTranslateLike; }
  void SetTranslateLike(bool Value) { FTranslateLike = Value; }
  bool TranslateIn() const { return FTranslateIn; }
  void SetTranslateIn(bool Value) { FTranslateIn = Value; }
  bool SupportedLike() const { return FSupportedLike; }
  void SetSupportedLike(bool Value) { FSupportedLike = Value; }
  virtual void ResetSettings();

  TNotifyEvent OnChanged;

  // Change announcement: one OnChanged at the last unlock.
  void LockChanges() { ++FLockCount; }
  void UnlockChanges();
  void UnlockSilently() { --FLockCount; }
  Integer LockCount() const { return FLockCount; }
  virtual void SignalChanged();

  virtual bool IsNullValue(const Variant& V) const;
  // Currency becomes Double, texts are upper-cased with fcoCaseInsensitive,
  // arrays are prepared element by element.
  virtual Variant PrepareValue(const Variant& V) const;
  // Bumped whenever a setting that PrepareValue reads changes.
  UInt64 PrepareGeneration() const { return FPrepareGeneration; }

  // Copying and comparing.
  virtual void AssignFrom(TPersistent* Source, bool IgnoreLinkNames);
  virtual void AssignEvents(TPersistent* Source);
  virtual void AssignItems(TcxFilterCriteria* Source, bool IgnoreLinkNames);
  bool EqualsCriteria(TcxFilterCriteria* Source, bool IgnoreLinkNames);

  // Text forms.
  virtual String BuildFilterText() { return BuildText(false); }
  virtual String BuildDisplayText() { return BuildText(true); }
  virtual String BuildText(bool AsCaption);
  virtual String ItemText(TcxFilterCriteriaItem* Item, bool AsCaption);
  virtual String ItemFieldText(TcxFilterCriteriaItem* Item, bool AsCaption);
  virtual String ItemOperatorText(TcxFilterCriteriaItem* Item, bool AsCaption);
  virtual String ItemValueText(TcxFilterCriteriaItem* Item, bool AsCaption);
  virtual String BooleanText(const Variant& V);
  virtual String DateText(const Variant& V);
  // Hook called after every operand text.
  virtual void AdjustValueText(TcxFilterCriteriaItem* Item, const Variant& V, String& S);

  // Stream forms.
  virtual void WriteTagged(TStream* S, Integer Limit);
  void WriteTaggedCurrent(TStream* S) { WriteTagged(S, 0); }
  virtual void ReadTagged(TStream* S);
  virtual void SaveToComponentStream(TStream* S);
  virtual void LoadFromComponentStream(TStream* S);
  bool HasStoredConditions() const;
  Integer Version() const { return FVersion; }
  // The version being written (conditions consult it) and the one last read.
  Integer SavingVersion() const { return FSavingVersion; }
  Integer LoadedVersion() const { return FLoadedVersion; }

  // Link naming, supplied by subclasses.
  virtual Integer LinkId(TObject* ALink);
  virtual String LinkName(TObject* ALink);
  virtual TObject* LinkById(Integer AId);
  virtual TObject* LinkByName(const String& AName);

  // Classes of the parts (subclasses return their own; they must be
  // creatable by class reference).
  virtual TClass ItemClass() const;
  virtual TClass ItemListClass() const;
  virtual TClass ValueListClass() const;
  // A new value list of ValueListClass for this criteria (owned by the caller).
  TcxFilterValueList* CreateValueList();

 protected:
  virtual void ApplyChanges();
  virtual void PrepareOperators();
  virtual void FireChanged();
  void SetVersion(Integer Value) { FVersion = Value; }

 private:
  friend class TcxFilterCriteriaItemList;
  String ListText(TcxFilterCriteriaItemList* List, bool AsCaption);

  std::unique_ptr<TcxFilterCriteriaItemList> FRoot;
  TcxFilterCriteriaOptions FOptions;
  char FPercentWildcard = '%';
  char FUnderscoreWildcard = '_';
  Integer FMaxValueListCount = 0;
  String FDateTimeFormat;
  bool FTranslateBetween = false, FTranslateLike = false, FTranslateIn = false;
  bool FSupportedLike = true;
  bool FChanged = false;
  Integer FLockCount = 0;
  Integer FVersion = 2;
  Integer FSavingVersion = 2;
  Integer FLoadedVersion = 0;
  bool FSavingThroughWrapper = false;
  UInt64 FPrepareGeneration = 1;
};

// The component that carries a criteria through the component stream.
class TFilterWrapper : public TComponent {
  TOVANI_CLASS(TFilterWrapper, TComponent)
 public:
  explicit TFilterWrapper(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  TcxFilterCriteria* Filter() const { return FFilter; }
  void SetFilter(TcxFilterCriteria* Value) { FFilter = Value; }

 private:
  TcxFilterCriteria* FFilter = nullptr;
};

// Version marks of the tagged stream: 2 -> -1, 3 -> -2, others 0; and back:
// -2 -> 3, -1 -> 2, anything else 1 (the old form, whose header is the
// number of top-level members).
Integer cxFilterIdOfVersion(Integer Version);
Integer cxFilterVersionOfId(Integer Id);
