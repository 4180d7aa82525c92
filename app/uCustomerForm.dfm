object CustomerForm: TCustomerForm
  Left = 0
  Top = 0
  Width = 800
  Height = 500
  Caption = '客户管理'
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  OnClose = FormClose
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 12
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 792
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
    object ToolButton2: TToolButton
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
    object ToolButton9: TToolButton
      Action = DataSetLast1
    end
    object ToolButton10: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton6: TToolButton
      Action = DataSetInsert1
    end
    object ToolButton7: TToolButton
      Action = DataSetEdit1
    end
    object ToolButton8: TToolButton
      Action = DataSetDelete1
    end
    object ToolButton11: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton12: TToolButton
      Caption = '打印'
      ImageIndex = 6
      Visible = False
      OnClick = ToolButton12Click
    end
    object ToolButton13: TToolButton
      Caption = '导出'
      ImageIndex = 13
      OnClick = ToolButton13Click
    end
  end
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 36
    Width = 792
    Height = 430
    Align = alClient
    DataSource = ds_Customers
    Options = [dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghDialogFind]
    ReadOnly = True
    SortLocal = True
    STFilter.Local = True
    STFilter.Visible = True
    ColumnDefValues.Title.TitleButton = True
    TabOrder = 1
    Columns = <
      item
        FieldName = 'C_NO'
        Title.Caption = '编号'
        Width = 80
      end
      item
        FieldName = 'C_Name'
        Title.Caption = '客户名称'
        Width = 163
      end
      item
        FieldName = 'C_Contact'
        Title.Caption = '联系人'
        Width = 80
      end
      item
        FieldName = 'C_Addr'
        Title.Caption = '地址'
        Width = 244
      end
      item
        FieldName = 'C_Zip'
        Title.Caption = '邮编'
        Width = 65
      end
      item
        FieldName = 'C_Tel'
        Title.Caption = '电话'
        Width = 80
      end
      item
        FieldName = 'C_Fax'
        Title.Caption = '传真'
        Width = 80
      end
      item
        FieldName = 'C_Mobile'
        Title.Caption = '手机'
        Width = 80
      end
      item
        FieldName = 'C_Email'
        Title.Caption = '电子邮箱'
        Width = 100
      end
      item
        FieldName = 'C_WebSite'
        Title.Caption = '网址'
        Width = 100
      end
      item
        FieldName = 'C_Memo'
        Title.Caption = '备注'
        Width = 150
      end>
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
      ShortCut = 112
      OnExecute = ToolButton6Click
    end
    object DataSetEdit1: TDataSetEdit
      Category = 'Dataset'
      Caption = '修改'
      Hint = '修改'
      ImageIndex = 11
      ShortCut = 114
      OnExecute = ToolButton7Click
    end
    object DataSetDelete1: TDataSetDelete
      Category = 'Dataset'
      Caption = '删除'
      Hint = '删除'
      ImageIndex = 7
      ShortCut = 115
      OnExecute = ToolButton8Click
    end
    object DataSetPost1: TDataSetPost
      Category = 'Dataset'
      Caption = '保存'
      Hint = '保存'
      ImageIndex = 8
      ShortCut = 113
    end
    object DataSetCancel1: TDataSetCancel
      Category = 'Dataset'
      Caption = '撤消'
      Hint = '撤消'
      ImageIndex = 12
    end
    object DataSetRefresh1: TDataSetRefresh
      Category = 'Dataset'
      Caption = '刷新'
      Hint = '刷新'
      ImageIndex = 9
    end
  end
  object d_Customers: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from Customers'
    Parameters = <>
    Left = 56
    Top = 80
  end
  object ds_Customers: TDataSource
    DataSet = d_Customers
    Left = 88
    Top = 80
  end
  object frxReport1: TfrxReport
    PreviewOptions.Buttons = [pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbOutline, pbPageSetup, pbTools, pbEdit, pbNavigator]
    PreviewOptions.Zoom = 1.000000000000000000
    PrintOptions.Printer = '预设'
    ScriptLanguage = 'PascalScript'
  end
  object frxDBDataset1: TfrxDBDataset
    UserName = 'frxDBDataset1'
    CloseDataSource = False
    DataSet = d_Customers
  end
end
