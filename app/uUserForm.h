// The users dialog: every user but the administrator in an editable grid
// (name, password, note) with a toolbar of dataset actions, and below it the
// check list of the operations the current user may perform.
#pragma once
#include "Forms.h"

class TcxDBCheckListBox;
class TADODataSet;
class TDataSource;
class TDataSet;

class TUserForm : public TForm {
  TOVANI_CLASS(TUserForm, TForm)
 public:
  explicit TUserForm(TComponent* AOwner = nullptr);
  ~TUserForm() override;
  void Loaded() override;

  // One item per operation; its states string is the user's U_P.
  TcxDBCheckListBox* OP = nullptr;
  // "select * from Users where U_Name <> '管理员'", posts written at once.
  TADODataSet* d_Users = nullptr;
  TDataSource* ds_Users = nullptr;

  // Fills the check list with the operations, in OP_ID order.
  void FormCreate(TObject* Sender);
  void ToolButton1Click(TObject* Sender);
  // "添加": a new user.
  void DataSetInsert1Execute(TObject* Sender);
  // "删除": the current user, after a question.
  void DataSetDelete1Execute(TObject* Sender);
  // A new user: U_P1 .. U_P9 false, no permission.
  void d_UsersAfterInsert(TDataSet* DataSet);
  // A user may not be named as the administrator (who has every
  // permission) nor as another user: the box says so and the record stays
  // in edit with what was typed.
  void d_UsersBeforePost(TDataSet* DataSet);
};

// Why a user may not be saved under Name ("" when it may): the
// administrator's name (also with spaces around it), or the name of
// another user than the one with key UserId (Null for a new user).
String UserNameRefusal(const String& Name, const Variant& UserId);
