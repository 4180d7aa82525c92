// The editor library's classes that the quotation editor's form file
// names, linked into the program with the editor. (The editor library's
// headers and the data grid's cannot share one source file.)
#include "cxDBEdit.h"
#include "cxDBLookupComboBox.h"

void LinkPriceListEditFormEditors() {
  [[maybe_unused]] static const TClass classes[] = {TcxDBLookupComboBox::StaticClass(),
                                                    TcxDBDateEdit::StaticClass()};
}
