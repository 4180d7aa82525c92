#include <cstring>

#include "Currency.h"
#include "DateUtils.h"
#include "Streams.h"
#include "SysUtils.h"
#include "cxDataStorage.h"
#include "cxVariants.h"
#include "gtest.h"

namespace {

// Lets a test see objects being destroyed.
class TTracked : public TObject {
  TOVANI_CLASS(TTracked, TObject)
 public:
  explicit TTracked(int& Counter) : FCounter(Counter) {}
  ~TTracked() override { ++FCounter; }

 private:
  int& FCounter;
};
TOVANI_IMPLEMENT_CLASS(TTracked, TObject)

class TMapReader : public TcxValueDefReader {
 public:
  std::vector<std::pair<TcxValueDef*, Variant>> Values;
  Variant ReadValue(TcxValueDef* ADef) override {
    for (auto& [d, v] : Values)
      if (d == ADef) return v;
    return Variant::Null();
  }
  String ReadDisplayText(TcxValueDef* ADef) override { return "text of " + VarToStr(ReadValue(ADef)); }
};

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Stores two values in a one-column storage and compares them.
int CompareStored(TcxValueTypeClass Type, const Variant& A, const Variant& B) {
  TcxDataStorage s;
  TcxValueDef* d = s.ValueDefs()->AddDef(Type, true, false, nullptr);
  s.SetRecordTotal(2);
  s.SetValueAt(0, d, A);
  s.SetValueAt(1, d, B);
  return Sign(s.CompareRecordValues(0, 1, d));
}

}  // namespace

TEST(cxValueTypes, RegisteredInOrderWithTheirCaptions) {
  const char* captions[] = {"String", "WideString", "Smallint", "Integer", "Word", "Boolean", "Float",
                            "Currency", "DateTime", "LargeInt", "FMTBcd", "SQLTimeStamp", "Variant",
                            "Object"};
  TcxValueTypeClassList* list = cxGetValueTypeClassList();
  ASSERT_EQ(list->Count(), 14);
  for (Integer i = 0; i < 14; ++i) EXPECT_EQ(list->Items(i)->GetTypeCaption(), captions[i]);
  list->Register(TcxStringValueType::Class());   // already listed
  EXPECT_EQ(list->Count(), 14);
}

TEST(cxValueTypes, StoredValuesReadBackInTheirKind) {
  struct Case {
    TcxValueTypeClass Type;
    Variant In;
    TVarType Kind;
    const char* Text;
  } cases[] = {
      {TcxStringValueType::Class(), 12, varString, "12"},
      {TcxWideStringValueType::Class(), "\xE4\xB8\xAD", varOleStr, "\xE4\xB8\xAD"},
      {TcxSmallintValueType::Class(), "-300", varSmallint, "-300"},
      {TcxIntegerValueType::Class(), 2.0, varInteger, "2"},
      {TcxWordValueType::Class(), 65535, varWord, "65535"},
      {TcxBooleanValueType::Class(), true, varBoolean, "True"},
      {TcxFloatValueType::Class(), "2.5", varDouble, "2.5"},
      {TcxCurrencyValueType::Class(), 1.25, varCurrency, "1.25"},
      {TcxDateTimeValueType::Class(), Variant::FromDate(EncodeDate(2024, 2, 29)), varDate, "2024-02-29"},
      {TcxLargeIntValueType::Class(), 1LL << 40, varInt64, "1099511627776"},
      {TcxFMTBcdValueType::Class(), "-12.500", varDouble, "-12.5"},
      {TcxSQLTimeStampValueType::Class(), Variant::FromDate(EncodeDateTime(2024, 1, 2, 3, 4, 5, 6)), varDate,
       nullptr},
      {TcxVariantValueType::Class(), VarArrayOf({1, "a"}), varArray | varVariant, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->GetTypeCaption());
    TcxDataStorage s;
    TcxValueDef* d = s.ValueDefs()->AddDef(c.Type, true, false, nullptr);
    s.AddRecord();
    s.SetValueAt(0, d, c.In);
    Variant out = s.ValueAt(0, d);
    EXPECT_EQ(out.VType(), c.Kind);
    EXPECT_TRUE(cxVarEquals(out, c.In) || c.Type == TcxFMTBcdValueType::Class());
    if (c.Text) EXPECT_EQ(s.DisplayTextAt(0, d), c.Text);
    EXPECT_EQ(c.Type->GetVariantType() == varVariant || c.Type->GetVariantType() == (c.Kind & varTypeMask), true);
  }
}

TEST(cxValueTypes, CompareOrders) {
  struct Case {
    TcxValueTypeClass Type;
    Variant A, B;
    int Expected;
  } cases[] = {
      {TcxStringValueType::Class(), "B", "a", -1},   // ordinal byte order
      {TcxStringValueType::Class(), Variant::Null(), "", -1},
      {TcxWideStringValueType::Class(), u"b", u"a", 1},
      {TcxIntegerValueType::Class(), INT32_MIN, INT32_MAX, -1},
      {TcxSmallintValueType::Class(), -32768, 32767, -1},
      {TcxWordValueType::Class(), 0, 65535, -1},
      {TcxBooleanValueType::Class(), false, true, -1},
      {TcxFloatValueType::Class(), 2.5, 2.5, 0},
      {TcxCurrencyValueType::Class(), Variant(Currency(-1)), Variant(Currency(1)), -1},
      {TcxLargeIntValueType::Class(), INT64_MIN, INT64_MAX, -1},
      {TcxDateTimeValueType::Class(), Variant::FromDate(2), Variant::FromDate(1), 1},
      {TcxFMTBcdValueType::Class(), "10.5", "9.75", 1},
      {TcxFMTBcdValueType::Class(), "-10.5", "-9.75", -1},
      {TcxFMTBcdValueType::Class(), "1.50", "1.5", 0},
      {TcxFMTBcdValueType::Class(), "12345678901234567890.0001", "12345678901234567890", 1},
      {TcxSQLTimeStampValueType::Class(), Variant::FromDate(EncodeDateTime(2024, 1, 1, 0, 0, 0, 5)),
       Variant::FromDate(EncodeDateTime(2024, 1, 1, 0, 0, 0, 7)), -1},
      {TcxVariantValueType::Class(), "x", 1, -1},   // a conversion error orders first
      {TcxVariantValueType::Class(), Variant::Null(), Variant::Null(), 0},
      {TcxVariantValueType::Class(), Variant::Null(), Variant(), -1},   // Null slot before Empty value
  };
  for (const Case& c : cases)
    EXPECT_EQ(CompareStored(c.Type, c.A, c.B), c.Expected)
        << c.Type->GetTypeCaption() << ": " << VarToStrDef(c.A, "Null") << " vs " << VarToStrDef(c.B, "Null");

  // Keys of the heap-held kinds: null until written, ordered before "".
  TcxDataStorage s;
  TcxValueDef* d = s.ValueDefs()->AddDef(TcxStringValueType::Class(), true, false, nullptr);
  s.SetRecordTotal(2);
  s.SetValueAt(1, d, "");
  const void* k0;
  const void* k1;
  EXPECT_TRUE(s.GetCompareKey(0, d, k0));
  EXPECT_FALSE(s.GetCompareKey(1, d, k1));
  EXPECT_EQ(TcxStringValueType::Class()->CompareBufferValues(nullptr, nullptr), 0);
  EXPECT_LT(TcxStringValueType::Class()->CompareBufferValues(nullptr, k1), 0);
  EXPECT_EQ(TcxStringValueType::Class()->CompareKeyValue(k1).AsString(), "");
}

TEST(cxValueTypes, ConversionChecks) {
  Variant v = "12";
  EXPECT_TRUE(TcxIntegerValueType::Class()->IsValueConvertible(v));
  EXPECT_EQ(v.VType(), varInteger);
  EXPECT_EQ(v.AsInteger(), 12);
  v = "x";
  EXPECT_FALSE(TcxIntegerValueType::Class()->IsValueConvertible(v));
  EXPECT_EQ(v.VType(), varString);
  v = 70000;
  EXPECT_FALSE(TcxSmallintValueType::Class()->IsValueConvertible(v));
  v = Variant::Null();
  EXPECT_TRUE(TcxIntegerValueType::Class()->IsValueConvertible(v));
  v = "anything";
  EXPECT_TRUE(TcxVariantValueType::Class()->IsValueConvertible(v));
}

TEST(cxDataStorage, FailedWritesKeepTheOldValueAndNullFlag) {
  struct Case {
    TcxValueTypeClass Type;
    Variant Good, Bad;
  } cases[] = {
      {TcxSmallintValueType::Class(), 5, 40000},   // does not fit: no silent wrap
      {TcxWordValueType::Class(), 5, -1},
      {TcxIntegerValueType::Class(), 5, "x"},
      {TcxIntegerValueType::Class(), 5, 1e12},
      {TcxFloatValueType::Class(), 5, "five"},
      {TcxDateTimeValueType::Class(), Variant::FromDate(5), "not a date"},
      {TcxFMTBcdValueType::Class(), "5", "1e"},
      {TcxBooleanValueType::Class(), true, "maybe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Type->GetTypeCaption());
    TcxDataStorage s;
    TcxValueDef* d = s.ValueDefs()->AddDef(c.Type, true, false, nullptr);
    s.SetRecordTotal(1);
    EXPECT_THROW(s.SetValueAt(0, d, c.Bad), EVariantError);
    EXPECT_TRUE(s.ValueAt(0, d).IsNull());   // still Null, not a zero value
    s.SetValueAt(0, d, c.Good);
    EXPECT_THROW(s.SetValueAt(0, d, c.Bad), EVariantError);
    EXPECT_TRUE(cxVarEquals(s.ValueAt(0, d), c.Good) || c.Type == TcxFMTBcdValueType::Class());
    EXPECT_FALSE(s.ValueAt(0, d).IsNull());
  }
}

TEST(cxDataStorage, ColumnsAddedAndRemovedWhileFilled) {
  TcxDataStorage s;
  TcxValueDefs* defs = s.ValueDefs();
  TcxValueDef* num = defs->AddDef(TcxIntegerValueType::Class(), true, false, nullptr);
  TcxValueDef* text = defs->AddDef(TcxStringValueType::Class(), true, true, nullptr);
  s.SetRecordTotal(3);
  for (Integer i = 0; i < 3; ++i) {
    s.SetValueAt(i, num, i * 10);
    s.SetValueAt(i, text, "r" + IntToStr(i));
    s.SetDisplayTextAt(i, text, "shown " + IntToStr(i));
  }
  const Integer sizeBefore = defs->RecordSize();
  TcxValueDef* added = defs->AddDef(TcxVariantValueType::Class(), true, false, nullptr);
  EXPECT_EQ(defs->RecordSize(), sizeBefore + 1 + Integer(sizeof(void*)));
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_TRUE(s.ValueAt(i, added).IsNull());
    EXPECT_EQ(s.ValueAt(i, num).AsInteger(), i * 10);
    EXPECT_EQ(s.DisplayTextAt(i, text), "shown " + IntToStr(i));
  }
  s.SetValueAt(2, added, "v");
  // Removing a column in the middle moves the later slots down.
  defs->RemoveDef(text);
  EXPECT_EQ(defs->DefCount(), 2);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(s.ValueAt(i, num).AsInteger(), i * 10);
  EXPECT_EQ(s.ValueAt(2, added).AsString(), "v");
  defs->RemoveDef(num);
  EXPECT_EQ(s.ValueAt(2, added).AsString(), "v");
  // Removing the only column with values leaves the records (with their
  // headers) in place.
  defs->RemoveDef(added);
  EXPECT_EQ(defs->RecordSize(), 1);
  EXPECT_EQ(s.RecordTotal(), 3);
}

// The last value column going must not take the records' identity with it:
// their ids stay, and an internal record in use is not handed out again.
TEST(cxDataStorage, LastColumnRemovedKeepsRecordIdentity) {
  TcxDataStorage s;
  s.SetUsesRecordIds(true);
  TcxValueDef* d = s.ValueDefs()->AddDef(TcxIntegerValueType::Class(), true, false, nullptr);
  s.AddRecord();
  s.AddRecord();
  s.SetValueAt(1, d, 7);
  const Integer inUse = s.AcquireInternalRecord();
  s.SetValueAt(inUse, d, 8);
  s.ValueDefs()->RemoveDef(d);
  EXPECT_EQ(s.RecordIdAt(0), 1);
  EXPECT_EQ(s.RecordIdAt(1), 2);
  EXPECT_NE(s.AcquireInternalRecord(), inUse);
  // A column added afterwards starts Null in the kept records.
  TcxValueDef* e = s.ValueDefs()->AddDef(TcxIntegerValueType::Class(), true, false, nullptr);
  EXPECT_TRUE(s.ValueAt(1, e).IsNull());
  s.SetValueAt(1, e, 5);
  EXPECT_EQ(s.ValueAt(1, e).AsInteger(), 5);
  EXPECT_EQ(s.RecordIdAt(1), 2);
  EXPECT_EQ(s.AddRecord(), 2);
  EXPECT_EQ(s.RecordIdAt(2), 3);
}

TEST(cxDataStorage, RecordsIdsAndInternalRecords) {
  TcxDataStorage s;
  TcxValueDef* d = s.ValueDefs()->AddDef(TcxStringValueType::Class(), true, false, nullptr);
  s.AddRecord();
  EXPECT_TRUE(s.ValueAt(0, d).IsNull());
  EXPECT_EQ(s.RecordBufferAt(0), nullptr);   // reading allocates nothing

  s.SetUsesRecordIds(true);
  EXPECT_EQ(s.RecordIdAt(0), 1);
  EXPECT_EQ(s.AddRecord(), 1);
  EXPECT_EQ(s.AddRecord(), 2);
  EXPECT_EQ(s.RecordIdAt(2), 3);
  EXPECT_EQ(s.InsertRecordAt(0), 0);
  EXPECT_EQ(s.RecordIdAt(0), 4);
  s.SetRecordTotal(0);
  EXPECT_EQ(s.AddRecord(), 0);
  EXPECT_EQ(s.RecordIdAt(0), 1);   // the counter starts again once empty
  s.SetValueAt(0, d, "kept?");
  s.SetUsesRecordIds(false);       // frees the buffers: values read Null
  EXPECT_TRUE(s.ValueAt(0, d).IsNull());

  EXPECT_EQ(s.AcquireInternalRecord(), -1);
  EXPECT_EQ(s.AcquireInternalRecord(), -2);
  s.SetValueAt(-2, d, "scratch");   // a main def stands for its twin
  EXPECT_EQ(s.ValueAt(-2, d).AsString(), "scratch");
  s.ReleaseInternalRecord(-1);
  EXPECT_EQ(s.AcquireInternalRecord(), -1);
  s.RemoveRecord(-2);
  EXPECT_EQ(s.AcquireInternalRecord(), -2);
  EXPECT_TRUE(s.ValueAt(-2, d).IsNull());
  int freed = 0;
  s.OnInternalRecordsFreed = [&](TcxDataStorage* Sender) {
    EXPECT_EQ(Sender, &s);
    ++freed;
  };
  s.ClearAll(true);
  EXPECT_EQ(freed, 0);
  EXPECT_EQ(s.InternalRecordCount(), 2);
  s.ClearAll(false);
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(s.InternalRecordCount(), 0);
  EXPECT_EQ(s.RecordTotal(), 0);
  EXPECT_THROW(s.ValueAt(0, d), EListError);
}

TEST(cxDataStorage, NullWritesAndOwnedObjects) {
  int destroyed = 0;
  TcxDataStorage s;
  TcxValueDef* obj = s.ValueDefs()->AddDef(TcxObjectValueType::Class(), true, false, nullptr);
  TcxValueDef* text = s.ValueDefs()->AddDef(TcxStringValueType::Class(), true, false, nullptr);
  s.SetRecordTotal(2);
  auto* a = new TTracked(destroyed);
  s.SetValueAt(0, obj, Variant::FromObject(a));
  EXPECT_EQ(s.ValueAt(0, obj).AsObject(), a);   // the full pointer comes back
  s.SetValueAt(1, obj, Variant::FromObject(new TTracked(destroyed)));
  s.SetValueAt(0, obj, Variant::Null());       // Null frees the object
  EXPECT_EQ(destroyed, 1);
  s.SetValueAt(0, text, "heap");
  Byte* b = s.RecordBufferAt(0);
  s.SetValueAt(0, text, Variant::Null());
  void* cell;
  std::memcpy(&cell, text->ValueArea(b), sizeof cell);
  EXPECT_EQ(cell, nullptr);
  s.RemoveRecord(1);                            // freeing a record frees its object
  EXPECT_EQ(destroyed, 2);

  // The object type writes nothing to a stream and reads nothing back.
  TMemoryStream m;
  Byte area[sizeof(void*)] = {};
  TcxObjectValueType::Class()->SaveValueToStream(area, &m);
  TcxObjectValueType::Class()->LoadValueFromStream(area, &m);
  EXPECT_EQ(m.Size(), 0);
}

TEST(cxDataStorage, LoadRecordAndValueStreams) {
  TcxDataStorage s;
  s.SetOnlyStoredValues(true);
  TcxValueDef* price = s.ValueDefs()->AddDef(TcxCurrencyValueType::Class(), true, true, nullptr);
  TcxValueDef* notKept = s.ValueDefs()->AddDef(TcxIntegerValueType::Class(), false, false, nullptr);
  TcxValueDef* name = s.ValueDefs()->AddDef(TcxWideStringValueType::Class(), true, false, nullptr);
  EXPECT_EQ(notKept->SlotSize(), 0);
  EXPECT_EQ(s.ValueDefs()->StoredCount(), 2);
  TMapReader reader;
  reader.Values = {{price, Variant(Currency(9.99))}, {notKept, 5}, {name, u"\u540D"}};
  s.AddRecord();
  s.LoadRecord(0, &reader);
  EXPECT_EQ(s.ValueAt(0, price).AsCurrencyRaw(), 99900);
  EXPECT_EQ(s.DisplayTextAt(0, price), "text of 9.99");
  EXPECT_TRUE(s.ValueAt(0, notKept).IsNull());   // a def without a slot keeps nothing
  EXPECT_EQ(s.ValueAt(0, name).AsWideString(), u"\u540D");
  std::vector<TcxValueDef*> visited;
  s.ForEachValueDef(0, 7, &reader, [&](TcxValueDef* D, Integer I, Integer Arg, TcxValueDefReader* R) {
    EXPECT_EQ(I, 0);
    EXPECT_EQ(Arg, 7);
    EXPECT_EQ(R, &reader);
    visited.push_back(D);
  });
  EXPECT_EQ(visited, (std::vector<TcxValueDef*>{price, notKept, name}));

  // Each kind through its value stream.
  TMemoryStream m;
  Byte* b = s.RecordBufferAt(0);
  price->ValueTypeClass()->SaveValueToStream(price->ValueArea(b), &m);
  name->ValueTypeClass()->SaveValueToStream(name->ValueArea(b), &m);
  TcxFloatValueType::Class()->SaveValueToStream(std::vector<Byte>(8, 0).data(), &m);
  EXPECT_EQ(m.Size(), 8 + 4 + 2 + 10);
  m.SetPosition(0);
  s.AddRecord();
  Byte* c = s.EnsureRecordBuffer(1);
  price->ValueTypeClass()->LoadValueFromStream(price->ValueArea(c), &m);
  name->ValueTypeClass()->LoadValueFromStream(name->ValueArea(c), &m);
  price->SetSlotNull(c, false);
  name->SetSlotNull(c, false);
  EXPECT_EQ(s.CompareRecordValues(0, 1, price), 0);
  EXPECT_EQ(s.CompareRecordValues(0, 1, name), 0);
}

TEST(cxLookupList, BinarySearchGivesTheInsertPosition) {
  TcxLookupList list;
  Integer index = -5;
  EXPECT_FALSE(list.Find(1, index));
  EXPECT_EQ(index, 0);
  for (int k : {1, 3, 5}) {
    ASSERT_FALSE(list.Find(k, index));
    list.Insert(index, k, "k" + IntToStr(k));
  }
  EXPECT_FALSE(list.Find(4, index));
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(list.Find(5, index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(list.GetItem(index).DisplayText, "k5");
  EXPECT_THROW(list.GetItem(3), EListError);
}

TEST(cxDataStorage, LayoutChangesNeverMisreadExistingBuffers) {
  // Internal records keep their values when record ids are switched on and
  // a column is added afterwards.
  TcxDataStorage s;
  TcxValueDef* text = s.ValueDefs()->AddDef(TcxStringValueType::Class(), true, false, nullptr);
  const Integer scratch = s.AcquireInternalRecord();
  s.SetValueAt(scratch, text, "draft");
  s.SetUsesRecordIds(true);
  TcxValueDef* num = s.ValueDefs()->AddDef(TcxIntegerValueType::Class(), true, false, nullptr);
  EXPECT_EQ(s.ValueAt(scratch, text).AsString(), "draft");
  EXPECT_TRUE(s.ValueAt(scratch, num).IsNull());
  s.SetValueAt(scratch, num, 4);
  EXPECT_EQ(s.ValueAt(scratch, num).AsInteger(), 4);
  EXPECT_EQ(s.AddRecord(), 0);
  EXPECT_EQ(s.RecordIdAt(0), 1);

  // A def whose text flag is switched on after its slot was laid out keeps
  // no text (there is no holder in the buffers) until it is laid out again.
  s.SetValueAt(0, num, 12);
  num->SetTextStoredFlag(true);
  s.SetDisplayTextAt(0, num, "twelve");
  EXPECT_EQ(s.DisplayTextAt(0, num), "12");
  EXPECT_EQ(s.ValueAt(0, num).AsInteger(), 12);
}
