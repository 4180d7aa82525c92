// The program's report templates (the customer list, the product sheet, the
// sales order): report XML files kept in the program itself and loaded into
// the windows' reports when the windows are created.
#pragma once
#include <initializer_list>
#include "Strings.h"

class TfrxReport;
class TfrxDataSet;

// The XML text of the template Name (its file name under reports/ without
// ".xml"); empty when the program has no such template.
String ReportTemplateText(const String& Name);

// Loads the template Name into Report and gives it DataSets as its data,
// found by their user names. The report looks its datasets up in its own
// list only: several windows of the program have report datasets of the
// same name (frxDBDataset1), and each report must read its own window's.
// Raises when the template is missing or does not load.
void LoadReportTemplate(TfrxReport* Report, const String& Name, std::initializer_list<TfrxDataSet*> DataSets);
