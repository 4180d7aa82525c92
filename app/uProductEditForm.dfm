object ProductEditForm: TProductEditForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '产品资料'
  ClientHeight = 484
  ClientWidth = 350
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  KeyPreview = True
  OldCreateOrder = False
  Position = poDesktopCenter
  OnCreate = FormCreate
  OnKeyPress = FormKeyPress
  PixelsPerInch = 96
  TextHeight = 12
  object Label1: TLabel
    Left = 16
    Top = 20
    Caption = '分类:'
  end
  object cbClasses: TdxDBLookupTreeView
    Left = 88
    Top = 16
    Width = 240
    Height = 21
    CanSelectParents = True
    DataField = 'CLS_ID'
    DataSource = ProductForm.ds_Products
    DividedChar = '.'
    ImageIndexField = 'CLS_ImageIndex'
    KeyField = 'CLS_ID'
    ListField = 'CLS_Name'
    ParentField = 'CLS_ParentID'
    TabOrder = 0
    TextStyle = tvtsFull
  end
  object Label2: TLabel
    Left = 16
    Top = 48
    Caption = '编号:'
  end
  object dbedt1: TDBEdit
    Left = 88
    Top = 44
    Width = 240
    Height = 20
    DataField = 'P_NO'
    DataSource = ProductForm.ds_Products
    TabOrder = 1
  end
  object Label3: TLabel
    Left = 16
    Top = 76
    Caption = '品名:'
  end
  object DBEdit1: TDBEdit
    Left = 88
    Top = 72
    Width = 240
    Height = 20
    DataField = 'P_Name'
    DataSource = ProductForm.ds_Products
    TabOrder = 2
  end
  object Label4: TLabel
    Left = 16
    Top = 104
    Caption = '单位:'
  end
  object dbcbbP_Unit: TDBComboBox
    Left = 88
    Top = 100
    Width = 240
    Height = 20
    DataField = 'P_Unit'
    DataSource = ProductForm.ds_Products
    ItemHeight = 12
    TabOrder = 3
  end
  object Label5: TLabel
    Left = 16
    Top = 132
    Caption = '条形码:'
  end
  object DBEdit3: TDBEdit
    Left = 88
    Top = 128
    Width = 240
    Height = 20
    DataField = 'P_BarCode'
    DataSource = ProductForm.ds_Products
    TabOrder = 4
  end
  object Label6: TLabel
    Left = 16
    Top = 160
    Caption = '颜色:'
  end
  object dbcbbP_Color: TDBComboBox
    Left = 88
    Top = 156
    Width = 240
    Height = 20
    DataField = 'P_Color'
    DataSource = ProductForm.ds_Products
    ItemHeight = 12
    TabOrder = 5
  end
  object Label7: TLabel
    Left = 16
    Top = 188
    Caption = '尺寸:'
  end
  object DBEdit6: TDBEdit
    Left = 88
    Top = 184
    Width = 240
    Height = 20
    DataField = 'P_Size'
    DataSource = ProductForm.ds_Products
    TabOrder = 6
  end
  object Label8: TLabel
    Left = 16
    Top = 216
    Caption = '毛重:'
  end
  object DBEdit4: TDBEdit
    Left = 88
    Top = 212
    Width = 240
    Height = 20
    DataField = 'P_GWeight'
    DataSource = ProductForm.ds_Products
    TabOrder = 7
  end
  object Label9: TLabel
    Left = 16
    Top = 244
    Caption = '净重:'
  end
  object DBEdit5: TDBEdit
    Left = 88
    Top = 240
    Width = 240
    Height = 20
    DataField = 'P_NWeight'
    DataSource = ProductForm.ds_Products
    TabOrder = 8
  end
  object Label10: TLabel
    Left = 16
    Top = 272
    Caption = '价格:'
  end
  object DBEdit7: TDBEdit
    Left = 88
    Top = 268
    Width = 240
    Height = 20
    DataField = 'P_Price'
    DataSource = ProductForm.ds_Products
    TabOrder = 9
  end
  object Label11: TLabel
    Left = 16
    Top = 300
    Caption = '成本:'
  end
  object DBEdit12: TDBEdit
    Left = 88
    Top = 296
    Width = 240
    Height = 20
    DataField = 'P_Cost'
    DataSource = ProductForm.ds_Products
    TabOrder = 10
  end
  object Label12: TLabel
    Left = 16
    Top = 328
    Caption = '录入日期:'
  end
  object cxDBDateEdit1: TcxDBDateEdit
    Left = 88
    Top = 324
    Width = 120
    Height = 20
    DataBinding.DataSource = ProductForm.ds_Products
    DataBinding.DataField = 'P_CreateDate'
    TabOrder = 11
  end
  object dbchkP_Enabled: TDBCheckBox
    Left = 88
    Top = 352
    Width = 97
    Height = 17
    Caption = '审核标记'
    DataField = 'P_Enabled'
    DataSource = ProductForm.ds_Products
    TabOrder = 12
    ValueChecked = 'True'
    ValueUnchecked = 'False'
  end
  object Label13: TLabel
    Left = 16
    Top = 380
    Caption = '备注:'
  end
  object dbmmoP_Memo: TDBMemo
    Left = 88
    Top = 376
    Width = 240
    Height = 60
    DataField = 'P_Memo'
    DataSource = ProductForm.ds_Products
    TabOrder = 13
  end
  object Button1: TButton
    Left = 160
    Top = 448
    Width = 75
    Height = 25
    Caption = '保存'
    TabOrder = 14
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 253
    Top = 448
    Width = 75
    Height = 25
    Caption = '取消'
    ModalResult = 2
    TabOrder = 15
  end
  object d_Classes: TADODataSet
    Parameters = <>
    Left = 300
    Top = 8
  end
  object ds_Classes: TDataSource
    DataSet = d_Classes
    Left = 300
    Top = 40
  end
end
