#include "TestCriteria.h"

TOVANI_IMPLEMENT_CLASS(TTestColumn, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TTestCriteriaItem, TcxFilterCriteriaItem)
TOVANI_IMPLEMENT_CLASS(TTestCriteria, TcxFilterCriteria)

Variant TTestCriteriaItem::LinkValue(Integer ARecord) {
  auto* c = static_cast<TTestCriteria*>(Criteria());
  Integer col = c->ColumnIndex(Link());
  return c->Rows.at(size_t(ARecord)).at(size_t(col));
}

String TTestCriteriaItem::LinkCaption() {
  return Link() ? static_cast<TTestColumn*>(Link())->Caption : String();
}

String TTestCriteriaItem::LinkFieldName() {
  return Link() ? static_cast<TTestColumn*>(Link())->Name : String();
}
