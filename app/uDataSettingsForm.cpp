#include "uDataSettingsForm.h"

#include "ADODB.h"
#include "ActnList.h"
#include "ComCtrls.h"
#include "DBActns.h"
#include "DBGridEh.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "uDataForm.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSettingsForm, TForm)
TOVANI_PUBLISHED(TDataSettingsForm) {
  Method("FormCreate", &TDataSettingsForm::FormCreate);
  Method("TabControl2Change", &TDataSettingsForm::TabControl2Change);
}

namespace {

struct TColumnSetting {
  const char* Label;
  Integer Width;   // characters
  bool ReadOnly;
};

// One table per tab, in the order of the tabs: its command and its columns
// after the key (an empty label: the table has no such column).
struct TListTable {
  const char* CommandText;
  TColumnSetting Columns[2];
};

const TListTable kTables[] = {
    {"select * from B_Units", {{"单位", 15, false}, {"单位(英)", 15, false}}},
    {"select * from B_Colors", {{"颜色", 15, false}, {"颜色(英)", 15, false}}},
    {"select * from CostItems", {{"成本项目", 15, false}, {"", 0, false}}},
    {"select * from B_PictureType", {{"图片类型", 15, false}, {"", 0, false}}},
    {"select * from 参数", {{"参数", 20, true}, {"设置", 50, false}}},
};

}  // namespace

TDataSettingsForm::TDataSettingsForm(TComponent* AOwner) : TForm(AOwner) {}

TDataSettingsForm::~TDataSettingsForm() { LeaveFocus(this); }

void TDataSettingsForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "TabControl2", TabControl2);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "Button2", Button2);
  BindComponent(this, "Button3", Button3);
  BindComponent(this, "Button4", Button4);
  BindComponent(this, "ActionList1", ActionList1);
  BindComponent(this, "DataSetInsert1", DataSetInsert1);
  BindComponent(this, "DataSetDelete1", DataSetDelete1);
  BindComponent(this, "DataSetPost1", DataSetPost1);
  BindComponent(this, "DataSetCancel1", DataSetCancel1);
  BindComponent(this, "d_Data", d_Data);
  BindComponent(this, "ds_Data", ds_Data);
}

void TDataSettingsForm::FormCreate(TObject* Sender) {
  // "添加" (a button) leaves the cursor in the new row's first cell, where
  // the user types.
  d_Data->AfterInsert = [this](TDataSet*) {
    if (!DBGridEh1->CanFocus()) return;
    DBGridEh1->SetFocus();
    DBGridEh1->SetSelectedIndex(0);
  };
  // A new row left empty is dropped, not stored.
  d_Data->BeforePost = [](TDataSet* ds) {
    if (ds->State() != dsInsert) return;
    for (Integer i = 0; i < ds->FieldCount(); ++i) {
      TField* f = ds->Fields().Fields(i);
      if (f->Visible() && !f->ReadOnly() && !Trim(f->AsString()).empty()) return;
    }
    ds->Cancel();
    Abort();
  };
  TabControl2Change(Sender);
}

void TDataSettingsForm::TabControl2Change(TObject*) {
  Integer tab = TabControl2->TabIndex();
  if (tab < 0 || tab >= Integer(std::size(kTables))) return;
  const TListTable& table = kTables[tab];
  d_Data->Close();
  d_Data->SetCommandText(table.CommandText);
  d_Data->Open();
  d_Data->Fields().Fields(0)->SetVisible(false);
  for (Integer i = 0; i < 2 && i + 1 < d_Data->FieldCount(); ++i) {
    const TColumnSetting& c = table.Columns[i];
    if (!*c.Label) continue;
    TField* f = d_Data->Fields().Fields(i + 1);
    f->SetDisplayLabel(c.Label);
    f->SetDisplayWidth(c.Width);
    f->SetReadOnly(c.ReadOnly);
  }
}
