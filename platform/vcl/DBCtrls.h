// Data-aware standard controls: edit, text, memo, combo box, check box and
// image bound to one field of a data source's dataset. They put the dataset
// in edit state when the user types (AutoEdit), write the field back when
// the record is posted or the control is left, and are the targets of the
// dataset actions while they have the focus.
#pragma once
#include <memory>
#include "DB.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"

// The field link of a control: also moves the focus to the control when the
// field asks (TField::FocusControl).
class TControlFieldLink : public TFieldDataLink {
  TOVANI_CLASS(TControlFieldLink, TFieldDataLink)
 public:
  explicit TControlFieldLink(TWinControl* AControl);

 protected:
  void FocusControl(TField** field) override;

 private:
  TWinControl* FWinControl;
};

// Offers an action to the data source of a control's link (dataset actions).
bool DataLinkExecuteAction(TDataLink* Link, TBasicAction* Action);
bool DataLinkUpdateAction(TDataLink* Link, TBasicAction* Action);

// The data-binding part every data-aware control shares.
#define TOVANI_DATA_BINDING                                              \
 public:                                                                \
  TDataSource* DataSource() const { return FDataLink->DataSource(); }   \
  void SetDataSource(TDataSource* v);                                   \
  const String& DataField() const { return FDataLink->FieldName(); }    \
  void SetDataField(const String& v) { FDataLink->SetFieldName(v); }    \
  TField* Field() const { return FDataLink->Field(); }                  \
  TFieldDataLink* DataLink() const { return FDataLink.get(); }          \
  bool ExecuteAction(TBasicAction* Action) override;                    \
  bool UpdateAction(TBasicAction* Action) override;                     \
  void Notification(TComponent* AComponent, TOperation Operation) override; \
                                                                        \
 private:                                                               \
  std::unique_ptr<TControlFieldLink> FDataLink;

class TDBEdit : public TCustomEdit {
  TOVANI_CLASS(TDBEdit, TCustomEdit)
  TOVANI_DATA_BINDING
 public:
  explicit TDBEdit(TComponent* AOwner = nullptr);
  ~TDBEdit() override;
  // Read-only as set by the program (the control is also read-only while
  // the dataset is not being edited).
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);

 protected:
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void Dispatch(TMessage& Message) override;
  void DataChange(TObject* Sender);
  void EditingChange(TObject* Sender);
  void UpdateData(TObject* Sender);
  bool EditCanModify();

 private:
  bool FReadOnly = false;
  bool FFocused = false;
  bool FSettingText = false;
};

class TDBText : public TCustomLabel {
  TOVANI_CLASS(TDBText, TCustomLabel)
 public:
  explicit TDBText(TComponent* AOwner = nullptr);
  ~TDBText() override;
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* v);
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& v) { FDataLink->SetFieldName(v); }
  TField* Field() const { return FDataLink->Field(); }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void DataChange(TObject* Sender);

 private:
  std::unique_ptr<TFieldDataLink> FDataLink;
};

class TDBMemo : public TCustomMemo {
  TOVANI_CLASS(TDBMemo, TCustomMemo)
  TOVANI_DATA_BINDING
 public:
  explicit TDBMemo(TComponent* AOwner = nullptr);
  ~TDBMemo() override;
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);

 protected:
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void Dispatch(TMessage& Message) override;
  void DataChange(TObject* Sender);
  void EditingChange(TObject* Sender);
  void UpdateData(TObject* Sender);

 private:
  bool FReadOnly = false;
  bool FSettingText = false;
};

class TDBComboBox : public TCustomComboBox {
  TOVANI_CLASS(TDBComboBox, TCustomComboBox)
  TOVANI_DATA_BINDING
 public:
  explicit TDBComboBox(TComponent* AOwner = nullptr);
  ~TDBComboBox() override;
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);

 protected:
  void Change() override;
  void Select() override;
  void KeyPress(char32_t& Key) override;
  void Dispatch(TMessage& Message) override;
  void DataChange(TObject* Sender);
  void EditingChange(TObject* Sender);
  void UpdateData(TObject* Sender);

 private:
  bool FReadOnly = false;
  bool FSettingText = false;
};

class TDBCheckBox : public TCustomCheckBox {
  TOVANI_CLASS(TDBCheckBox, TCustomCheckBox)
  TOVANI_DATA_BINDING
 public:
  explicit TDBCheckBox(TComponent* AOwner = nullptr);
  ~TDBCheckBox() override;
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  // Texts of a non-Boolean field that mean checked / unchecked ("a;b" lists alternatives).
  const String& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const String& v);
  const String& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const String& v);

 protected:
  void Toggle() override;
  void Dispatch(TMessage& Message) override;
  void DataChange(TObject* Sender);
  void UpdateData(TObject* Sender);
  TCheckBoxState FieldState();

 private:
  bool FReadOnly = false;
  String FValueChecked = "True";
  String FValueUnchecked = "False";
};

class TDBImage : public TCustomControl {
  TOVANI_CLASS(TDBImage, TCustomControl)
  TOVANI_DATA_BINDING
 public:
  explicit TDBImage(TComponent* AOwner = nullptr);
  ~TDBImage() override;
  TPicture* Picture() { return FPicture.get(); }
  void SetPicture(TPicture* v) { FPicture->Assign(v); }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool v);
  bool Center() const { return FCenter; }
  void SetCenter(bool v);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  // Reads the picture from the field (AutoDisplay).
  void LoadPicture();
  void CopyToClipboard();
  void PasteFromClipboard();
  void CutToClipboard();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void DataChange(TObject* Sender);
  void UpdateData(TObject* Sender);
  void PictureChanged(TObject* Sender);

 private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false, FCenter = true, FProportional = false, FReadOnly = false;
  TBorderStyle FBorderStyle = bsSingle;
  bool FPictureLoaded = false;
  bool FLoading = false;
};
