#include "DBActns.h"

TOVANI_IMPLEMENT_CLASS(TDataSetAction, TAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetFirst, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetPrior, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetNext, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetLast, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetInsert, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetDelete, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetEdit, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetPost, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetCancel, TDataSetAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSetRefresh, TDataSetAction)

TOVANI_PUBLISHED(TDataSetAction) { Property("DataSource", &TDataSetAction::DataSource, &TDataSetAction::SetDataSource); }

void TDataSetAction::SetDataSource(TDataSource* v) {
  if (FDataSource) FDataSource->RemoveFreeNotification(this);
  FDataSource = v;
  if (v) v->FreeNotification(this);
}

void TDataSetAction::Notification(TComponent* AComponent, TOperation Operation) {
  TAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSource) FDataSource = nullptr;
}

bool TDataSetAction::HandlesTarget(TObject* Target) {
  auto* ds = dynamic_cast<TDataSource*>(Target);
  if (!ds || !ds->DataSet()) return false;
  return !FDataSource || ds == FDataSource;
}

TDataSet* TDataSetAction::GetDataSet(TObject* Target) {
  auto* ds = dynamic_cast<TDataSource*>(Target);
  return ds ? ds->DataSet() : nullptr;
}

namespace {
bool Editing(TDataSet* d) { return d->State() == dsEdit || d->State() == dsInsert; }
}  // namespace

// Constructor, execution and the enabled rule of each action.
#define DATASET_ACTION(Cls, Caption, Exec, Enabled)                   \
  Cls::Cls(TComponent* AOwner) : TDataSetAction(AOwner) { SetCaption(Caption); } \
  void Cls::ExecuteTarget(TObject* Target) {                          \
    if (TDataSet* d = GetDataSet(Target)) { Exec; }                   \
  }                                                                   \
  void Cls::UpdateTarget(TObject* Target) {                           \
    TDataSet* d = GetDataSet(Target);                                 \
    SetEnabled(d && d->Active() && (Enabled));                        \
  }

DATASET_ACTION(TDataSetFirst, "&First", d->First(), !d->Bof())
DATASET_ACTION(TDataSetPrior, "&Prior", d->Prior(), !d->Bof())
DATASET_ACTION(TDataSetNext, "&Next", d->Next(), !d->Eof())
DATASET_ACTION(TDataSetLast, "&Last", d->Last(), !d->Eof())
DATASET_ACTION(TDataSetInsert, "&Insert", d->Insert(), d->CanModify())
DATASET_ACTION(TDataSetDelete, "&Delete", d->Delete(), d->CanModify() && !(d->Bof() && d->Eof()))
DATASET_ACTION(TDataSetEdit, "&Edit", d->Edit(), d->CanModify() && !Editing(d))
DATASET_ACTION(TDataSetPost, "P&ost", d->Post(), Editing(d))
DATASET_ACTION(TDataSetCancel, "&Cancel", d->Cancel(), Editing(d))
DATASET_ACTION(TDataSetRefresh, "&Refresh", d->Refresh(), true)
#undef DATASET_ACTION
