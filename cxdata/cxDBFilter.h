// The filter pieces that depend on the dataset class: the blank-value
// operators of query datasets, written "IS NULL" / "IS NOT NULL" as SQL
// wants them, and the adapter that picks them.
#pragma once
#include "cxDB.h"
#include "cxFilter.h"

class TcxFilterSQLNullOperator : public TcxFilterNullOperator {
  TOVANI_CLASS(TcxFilterSQLNullOperator, TcxFilterNullOperator)
 public:
  String SymbolText() override { return "IS"; }
};

class TcxFilterSQLNotNullOperator : public TcxFilterNotNullOperator {
  TOVANI_CLASS(TcxFilterSQLNotNullOperator, TcxFilterNotNullOperator)
 public:
  String SymbolText() override { return "IS NOT"; }
};

class TcxDBFilterOperatorAdapter : public TcxDBAdapterItem {
  TOVANI_CLASS(TcxDBFilterOperatorAdapter, TcxDBAdapterItem)
 public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
  // A blank-value operator of a query dataset becomes its SQL form.
  virtual void PrepareOperatorClass(TObject* AItem, TDataSet* ADataSet, TClass& AOperatorClass);
};

// The adapter registered for the dataset's class (null without dataset or
// registration).
TcxDBFilterOperatorAdapter* GetFilterOperatorAdapter(TDataSet* ADataSet);
