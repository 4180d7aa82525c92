#include "uSaleData.h"

#include <memory>
#include "ADODB.h"
#include "DateUtils.h"
#include "Strings.h"
#include "SysUtils.h"
#include "uDataForm.h"

const TDocumentTables OrderTables{"Orders", "Orders_d", "O_ID", "O_NO"};
const TDocumentTables PriceListTables{"PriceList", "PriceList_d", "PL_ID", "PL_NO"};

String SqlDateLiteral(TDateTime Day) { return "#" + FormatDateTime("yyyy-mm-dd", Day) + "#"; }

String PeriodCondition(const String& Column, bool HasFrom, TDateTime From, bool HasTo, TDateTime To) {
  String sql;
  if (HasFrom) sql += " and " + Column + " >= " + SqlDateLiteral(TDateTime(Int64(From)));
  if (HasTo) sql += " and " + Column + " < " + SqlDateLiteral(TDateTime(Int64(To) + 1));
  return sql;
}

String SaleStatQuery(bool HasFrom, TDateTime From, bool HasTo, TDateTime To, const Variant& Customer,
                     Integer Kind) {
  String sql =
      "SELECT Orders.*, Customers.C_NO, Customers.C_Name FROM Customers INNER JOIN Orders ON Customers.C_ID = "
      "Orders.C_ID WHERE 1 = 1" +
      PeriodCondition("Orders.O_OrderDate", HasFrom, From, HasTo, To);
  // The key is a number: written as one, nothing else reaches the text.
  if (!Customer.IsNull() && !Customer.IsEmpty()) sql += " AND Orders.C_ID = " + IntToStr(Customer.AsInteger());
  if (Kind == 1) sql += " AND Orders.O_IsBack = False";
  if (Kind == 2) sql += " AND Orders.O_IsBack = True";
  return sql;
}

namespace {

// Whether another document than `id` holds `number` in the file.
bool NumberTakenByOther(const TDocumentTables& t, const String& number, const Variant& id) {
  auto q = std::make_unique<TADOQuery>();
  q->SetConnection(DataForm->conn);
  q->SQL()->SetText(String("select count(*) from ") + t.Header + " where " + t.Number + " = :no and " + t.Key +
                    " <> :id");
  q->Parameters()->ParamByName("no")->SetValue(Variant(number));
  q->Parameters()->ParamByName("id")->SetValue(id);
  q->Open();
  return q->Fields()[0]->AsInteger() > 0;
}

}  // namespace

void SaveDocument(const TDocumentTables& Tables, TCustomADODataSet* Header, TCustomADODataSet* Lines) {
  try {
    TCustomADODataSet::UpdateBatches({Header, Lines});
  } catch (const EDatabaseError&) {
    // Nothing was written. A number another program saved in the meantime
    // is replaced, so that saving again succeeds.
    if (Header->IsEmpty() || Header->State() != dsBrowse) throw;
    TField* no = Header->FieldByName(Tables.Number);
    String old = no->AsString();
    if (old.empty() || !NumberTakenByOther(Tables, old, Header->FieldByName(Tables.Key)->Value())) throw;
    String fresh;
    DataForm->NextDocumentNo(Tables.Header, Tables.Number, fresh);
    Header->Edit();
    no->SetAsString(fresh);
    Header->Post();
    throw EDatabaseError(Format("单号 %s 已被另一用户的单据使用, 本单已改为新单号 %s, 请再次保存.", {old, fresh}));
  }
}

void DeleteDocument(const TDocumentTables& Tables, Integer Id) {
  // Several statements of one command run as one transaction.
  String id = IntToStr(Id);
  DataForm->conn->Execute(String("delete from ") + Tables.Lines + " where " + Tables.Key + " = " + id +
                          "; delete from " + Tables.Header + " where " + Tables.Key + " = " + id);
}
