object UserForm: TUserForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '用户管理'
  ClientHeight = 460
  ClientWidth = 640
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  Position = poMainFormCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 12
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 640
    Height = 36
    AutoSize = True
    ButtonHeight = 36
    ButtonWidth = 37
    Caption = 'ToolBar1'
    EdgeBorders = [ebBottom]
    Flat = True
    Images = DataForm.ImageList1
    ShowCaptions = True
    TabOrder = 0
    object ToolButton1: TToolButton
      Caption = '关闭'
      ImageIndex = 19
      OnClick = ToolButton1Click
    end
    object ToolSep1: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton3: TToolButton
      Action = DataSetFirst1
    end
    object ToolButton4: TToolButton
      Action = DataSetPrior1
    end
    object ToolButton5: TToolButton
      Action = DataSetNext1
    end
    object ToolButton6: TToolButton
      Action = DataSetLast1
    end
    object ToolSep2: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton7: TToolButton
      Action = DataSetInsert1
    end
    object ToolButton8: TToolButton
      Action = DataSetEdit1
    end
    object ToolButton9: TToolButton
      Action = DataSetDelete1
    end
    object ToolSep3: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton10: TToolButton
      Action = DataSetPost1
    end
    object ToolButton11: TToolButton
      Action = DataSetCancel1
    end
  end
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 36
    Width = 640
    Height = 237
    Align = alClient
    DataSource = ds_Users
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection]
    TabOrder = 1
    Columns = <
      item
        FieldName = 'U_Name'
        Title.Caption = '用户'
        Width = 150
      end
      item
        FieldName = 'U_Pwd'
        Title.Caption = '密码'
        Width = 150
      end
      item
        FieldName = 'U_Memo'
        Title.Caption = '备注'
        Width = 280
      end>
  end
  object Splitter1: TSplitter
    Left = 0
    Top = 273
    Width = 640
    Height = 3
    Cursor = crVSplit
    Align = alBottom
  end
  object OP: TcxDBCheckListBox
    Left = 0
    Top = 276
    Width = 640
    Height = 184
    Align = alBottom
    Columns = 6
    DataBinding.DataSource = ds_Users
    DataBinding.DataField = 'U_P'
    EditValueFormat = cvfStatesString
    TabOrder = 2
  end
  object ActionList1: TActionList
    Images = DataForm.ImageList1
    Left = 24
    Top = 80
    object DataSetFirst1: TDataSetFirst
      Category = 'Dataset'
      Caption = '首条'
      Hint = '首条'
      ImageIndex = 0
    end
    object DataSetPrior1: TDataSetPrior
      Category = 'Dataset'
      Caption = '上条'
      Hint = '上条'
      ImageIndex = 1
    end
    object DataSetNext1: TDataSetNext
      Category = 'Dataset'
      Caption = '下条'
      Hint = '下条'
      ImageIndex = 2
    end
    object DataSetLast1: TDataSetLast
      Category = 'Dataset'
      Caption = '末条'
      Hint = '末条'
      ImageIndex = 3
    end
    object DataSetInsert1: TDataSetInsert
      Category = 'Dataset'
      Caption = '添加'
      Hint = '添加'
      ImageIndex = 10
      OnExecute = DataSetInsert1Execute
    end
    object DataSetEdit1: TDataSetEdit
      Category = 'Dataset'
      Caption = '修改'
      Hint = '修改'
      ImageIndex = 11
    end
    object DataSetDelete1: TDataSetDelete
      Category = 'Dataset'
      Caption = '删除'
      Hint = '删除'
      ImageIndex = 7
      OnExecute = DataSetDelete1Execute
    end
    object DataSetPost1: TDataSetPost
      Category = 'Dataset'
      Caption = '保存'
      Hint = '保存'
      ImageIndex = 8
    end
    object DataSetCancel1: TDataSetCancel
      Category = 'Dataset'
      Caption = '撤消'
      Hint = '撤消'
      ImageIndex = 12
    end
    object DataSetRefresh1: TDataSetRefresh
      Category = 'Dataset'
      Caption = '刷 新'
      Hint = '刷 新'
      ImageIndex = 9
    end
  end
  object d_Users: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    AfterInsert = d_UsersAfterInsert
    BeforePost = d_UsersBeforePost
    CommandText = 'select * from Users where U_Name <> ''管理员'''
    Parameters = <>
    Left = 56
    Top = 80
  end
  object ds_Users: TDataSource
    DataSet = d_Users
    Left = 88
    Top = 80
  end
end
