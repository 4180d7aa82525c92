#include "cxDataUtils.h"

#include <cmath>
#include <windows.h>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "Variant.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomDataBinding, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxCollection, TCollection)

String cxCurrencyDisplayFormat() { return cxCurrencyDisplayFormat(FormatSettings()); }

String cxCurrencyDisplayFormat(const TFormatSettings& FS) {
  String n = ",0." + String(FS.CurrencyDecimals, '0');
  // "," and "." of the symbol are quoted so that the format shows them as
  // they stand instead of reading them as separators.
  String symbol;
  for (char c : FS.CurrencyString) {
    if (c == ',' || c == '.') {
      symbol += '\'';
      symbol += c;
      symbol += '\'';
    } else {
      symbol += c;
    }
  }
  if (symbol.empty()) return n;
  switch (FS.CurrencyFormat) {
    case 0: return symbol + n;
    case 1: return n + symbol;
    case 2: return symbol + " " + n;
    case 3: return n + " " + symbol;
    default: return n;
  }
}

TDateTime cxDateOnly(TDateTime D) { return std::trunc(D); }

TDateTime cxTimeOnly(TDateTime D) { return D - std::trunc(D); }

Integer cxFirstWeekDay() {
  // The program keeps one zh-CN profile whatever the machine's locale, so
  // the week starts where it starts in that locale. The locale item counts
  // 0 = Monday .. 6 = Sunday.
  const LCID zhCN = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
  WCHAR buf[4] = {0};
  if (GetLocaleInfoW(zhCN, LOCALE_IFIRSTDAYOFWEEK, buf, 4) == 0) return 1;
  if (buf[0] < u'0' || buf[0] > u'9') return 1;
  Integer d = Integer(buf[0] - u'0') + 1;
  return d == 7 ? 0 : d;
}

TDateTime cxWeekStartOf(TDateTime D) { return cxWeekStartOf(D, cxFirstWeekDay()); }

TDateTime cxWeekStartOf(TDateTime D, Integer F) {
  const Integer w = DayOfWeek(D) - 1;   // 0 = Sunday
  const TDateTime day = cxDateOnly(D);
  return F > w ? day - 7 + (F - w) : day - (w - F);
}

bool cxTextMatches(const String& Text, const String& Pattern, bool Partial) {
  const String t = AnsiUpperCase(Text);
  const String p = AnsiUpperCase(Pattern);
  if (p.empty()) return t.empty();
  if (!Partial) return t == p;
  return t.size() >= p.size() && t.compare(0, p.size(), p) == 0;
}

// ---------------------------------------------------------------------------

TcxCustomDataBinding::TcxCustomDataBinding(TPersistent* AOwner, TComponent* ADataComponent)
    : FOwner(AOwner), FDataComponent(ADataComponent) {}

Variant TcxCustomDataBinding::GetStoredValue(Integer, bool) { return Variant::Null(); }

void TcxCustomDataBinding::SetStoredValue(Integer, const Variant&) {}

void TcxCustomDataBinding::ChangeReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  FireDataSetChanged();
}

void TcxCustomDataBinding::AssignVisualControl(TComponent* AControl) {
  if (FVisualControl == AControl) return;
  FVisualControl = AControl;
  VisualControlAssigned();
}

void TcxCustomDataBinding::FireDataChanged() {
  if (OnValueChanged) OnValueChanged();
}

void TcxCustomDataBinding::FireDataSetChanged() {
  if (OnSourceChanged) OnSourceChanged();
}

void TcxCustomDataBinding::FireUpdateData() {
  if (OnStoreValue) OnStoreValue();
}

// ---------------------------------------------------------------------------

void TcxCollection::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TCollection>()) return TCollection::Assign(Source);
  auto* src = static_cast<TCollection*>(Source);
  if (src->Count() == 0 && Count() == 0) return;
  struct TUpdate {
    TCollection* C;
    explicit TUpdate(TCollection* c) : C(c) { C->BeginUpdate(); }
    ~TUpdate() { C->EndUpdate(); }
  } update(this);
  for (Integer i = 0; i < src->Count(); ++i) {
    TCollectionItem* item = i < Count() ? Items(i) : Add();
    item->Assign(src->Items(i));
  }
  while (Count() > src->Count()) Delete(Count() - 1);
}
