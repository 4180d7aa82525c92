#include "ReportTemplates.h"

#include "Classes.h"
#include "Streams.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxPreviewPages.h"

// The report engine library's preview window (shown by ShowReport).
void frxRegisterPreviewWindow();

// Generated from reports/*.xml by the build (see CMakeLists.txt).
String AppReportTemplate(const String& Name);

String ReportTemplateText(const String& Name) { return AppReportTemplate(Name); }

void LoadReportTemplate(TfrxReport* Report, const String& Name, std::initializer_list<TfrxDataSet*> DataSets) {
  // The engine builds the pages and the preview window shows them.
  static const bool registered = (frxRegisterEngine(), frxRegisterPreviewWindow(), true);
  (void)registered;
  String text = ReportTemplateText(Name);
  if (text.empty()) throw Exception("The program has no report template " + Name);
  Report->EngineOptions()->UseGlobalDataSetList = false;
  TStringStream stream(text);
  Report->LoadFromStream(&stream);
  // The reports have no dialog pages to rebuild: without this the report is
  // read again from its own copy after every run, and its data bands, read
  // before the report has its datasets, would print no rows the second time.
  Report->EngineOptions()->DestroyForms = false;
  if (Report->Errors()->Count() > 0)
    throw Exception("The report template " + Name + " does not load: " + Report->Errors()->Text());
  Report->DataSets()->Clear();
  for (TfrxDataSet* ds : DataSets) Report->DataSets()->Add(ds);
  // The data bands were read before the report had its datasets: they find
  // theirs by name now.
  TList* all = Report->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(all->Items(i));
    if (c->Is<TfrxDataBand>()) {
      auto* band = static_cast<TfrxDataBand*>(c);
      band->SetDataSetName(band->DataSetName());
      if (!band->DataSet())
        throw Exception("The report template " + Name + " reads the dataset " + band->DataSetName() +
                        ", which its window does not give it");
    }
  }
}
