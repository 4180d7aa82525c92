// Dataset actions: first, prior, next, last, insert, delete, edit, post,
// cancel and refresh. Each acts on the dataset of its DataSource, or, when
// that is not set, on the data source of the focused data-aware control;
// it is enabled by the dataset's state.
#pragma once
#include "ActnList.h"
#include "DB.h"

class TDataSetAction : public TAction {
  TOVANI_CLASS(TDataSetAction, TAction)
 public:
  explicit TDataSetAction(TComponent* AOwner = nullptr) : TAction(AOwner) {}
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* v);
  bool HandlesTarget(TObject* Target) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  TDataSet* GetDataSet(TObject* Target);

 private:
  TDataSource* FDataSource = nullptr;
};

#define TOVANI_DATASET_ACTION(Cls)                                   \
  class Cls : public TDataSetAction {                                \
    TOVANI_CLASS(Cls, TDataSetAction)                                \
   public:                                                           \
    explicit Cls(TComponent* AOwner = nullptr);                      \
    void ExecuteTarget(TObject* Target) override;                    \
    void UpdateTarget(TObject* Target) override;                     \
  };

TOVANI_DATASET_ACTION(TDataSetFirst)
TOVANI_DATASET_ACTION(TDataSetPrior)
TOVANI_DATASET_ACTION(TDataSetNext)
TOVANI_DATASET_ACTION(TDataSetLast)
TOVANI_DATASET_ACTION(TDataSetInsert)
TOVANI_DATASET_ACTION(TDataSetDelete)
TOVANI_DATASET_ACTION(TDataSetEdit)
TOVANI_DATASET_ACTION(TDataSetPost)
TOVANI_DATASET_ACTION(TDataSetCancel)
TOVANI_DATASET_ACTION(TDataSetRefresh)
#undef TOVANI_DATASET_ACTION
