// The editor library's classes that the order editor's form file names,
// linked into the program with the editor. (The editor library's headers
// and the data grid's cannot share one source file.)
#include "cxButtons.h"
#include "cxDBEdit.h"
#include "cxDBLookupComboBox.h"

void LinkSaleEditFormEditors() {
  [[maybe_unused]] static const TClass classes[] = {TcxDBTextEdit::StaticClass(), TcxDBCheckBox::StaticClass(),
                                                    TcxButton::StaticClass(), TcxDBLookupComboBox::StaticClass(),
                                                    TcxDBDateEdit::StaticClass()};
}
