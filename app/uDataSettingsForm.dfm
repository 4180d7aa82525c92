object DataSettingsForm: TDataSettingsForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '资料设置'
  ClientHeight = 380
  ClientWidth = 560
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
  object TabControl2: TTabControl
    Left = 8
    Top = 8
    Width = 544
    Height = 321
    TabIndex = 0
    TabOrder = 0
    Tabs.Strings = (
      '单位'
      '颜色'
      '成本项目'
      '图片类型'
      '参数')
    OnChange = TabControl2Change
    object DBGridEh1: TDBGridEh
      Left = 4
      Top = 24
      Width = 536
      Height = 293
      Align = alClient
      AllowedOperations = [alopInsertEh, alopUpdateEh, alopAppendEh]
      DataSource = ds_Data
      TabOrder = 0
    end
  end
  object Button1: TButton
    Left = 160
    Top = 344
    Width = 75
    Height = 25
    Action = DataSetInsert1
    TabOrder = 1
  end
  object Button2: TButton
    Left = 256
    Top = 344
    Width = 75
    Height = 25
    Action = DataSetDelete1
    TabOrder = 2
  end
  object Button3: TButton
    Left = 352
    Top = 344
    Width = 75
    Height = 25
    Action = DataSetPost1
    TabOrder = 3
  end
  object Button4: TButton
    Left = 448
    Top = 344
    Width = 75
    Height = 25
    Action = DataSetCancel1
    TabOrder = 4
  end
  object ActionList1: TActionList
    Left = 24
    Top = 336
    object DataSetInsert1: TDataSetInsert
      Category = 'Dataset'
      Caption = '添加'
      Hint = '添加'
    end
    object DataSetDelete1: TDataSetDelete
      Category = 'Dataset'
      Caption = '删除'
      Hint = '删除'
    end
    object DataSetPost1: TDataSetPost
      Category = 'Dataset'
      Caption = '保存'
      Hint = '保存'
    end
    object DataSetCancel1: TDataSetCancel
      Category = 'Dataset'
      Caption = '撤消'
      Hint = '撤消'
    end
  end
  object d_Data: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    Parameters = <>
    Left = 56
    Top = 336
  end
  object ds_Data: TDataSource
    DataSet = d_Data
    Left = 88
    Top = 336
  end
end
