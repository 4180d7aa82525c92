#include "AppFixture.h"

#include "ADODB.h"
#include "Strings.h"
#include "SysUtils.h"

void AppFixture::SetUp() {
  SetProgramFolder(Dir.Path());
  DataForm = TDataModule::Create<TDataForm>(nullptr);
}

void AppFixture::TearDown() {
  delete DataForm;
  DataForm = nullptr;
  SetProgramFolder("");
}

void AppFixture::Exec(const String& sql) { DataForm->conn->Execute(sql); }

String AppFixture::Scalar(const String& sql) {
  DataForm->Query->Close();
  DataForm->Query->SQL()->SetText(sql);
  DataForm->Query->Open();
  String v = DataForm->Query->IsEmpty() ? String() : DataForm->Query->Fields().Fields(0)->AsString();
  DataForm->Query->Close();
  return v;
}

void AppFixture::LogIn(const String& name) {
  String id = Scalar("select U_ID from Users where U_Name = " + QuotedStr(name));
  DataForm->User->Close();
  DataForm->User->Parameters()->ParamByName("id")->SetAsString(id);
  DataForm->User->Open();
}
