// Writing and deleting the program's documents (sales orders and
// quotations: a header row with its line rows) and the date conditions of
// their list queries.
#pragma once
#include "System.h"
#include "Variant.h"

class TCustomADODataSet;

// A day as a date literal of the database's SQL, in the ISO form
// ("#2026-12-11#"), whatever the machine's short date format is.
String SqlDateLiteral(TDateTime Day);

// The condition of a list query over a period: " and <Column> >= #From#"
// when HasFrom, " and <Column> < #the day after To#" when HasTo (the whole
// day To is included); "" when neither.
String PeriodCondition(const String& Column, bool HasFrom, TDateTime From, bool HasTo, TDateTime To);

// The query of the statistics window: the orders with their customers'
// numbers and names, of a period (as PeriodCondition), of one customer
// (Customer null: all) and of one kind (0 all, 1 normal orders, 2 returns).
String SaleStatQuery(bool HasFrom, TDateTime From, bool HasTo, TDateTime To, const Variant& Customer,
                     Integer Kind);

// The table, key column and number column of a kind of document.
struct TDocumentTables {
  const char* Header;       // "Orders"
  const char* Lines;        // "Orders_d"
  const char* Key;          // "O_ID"
  const char* Number;       // "O_NO"
};
extern const TDocumentTables OrderTables;
extern const TDocumentTables PriceListTables;

// Writes the pending changes of a document's header and lines (both
// batch-optimistic datasets on DataForm->conn) in one transaction: a line
// still being edited is posted first (with its checks); on any failure
// nothing is written and both caches keep every change, so the user's work
// stays in the editor and can be saved again.
//
// When the document's number was meanwhile saved by another program on the
// same file (the number column's unique index refuses it), the header gets
// the next free number and EDatabaseError tells the user to save again.
void SaveDocument(const TDocumentTables& Tables, TCustomADODataSet* Header, TCustomADODataSet* Lines);

// Deletes a document's header and its lines in one transaction.
void DeleteDocument(const TDocumentTables& Tables, Integer Id);
