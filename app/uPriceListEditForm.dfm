object PriceListEditForm: TPriceListEditForm
  Left = 0
  Top = 0
  ActiveControl = cxDBLookupComboBox1
  BorderStyle = bsDialog
  Caption = '报价单'
  ClientHeight = 491
  ClientWidth = 667
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  Position = poDesktopCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 12
  object Label1: TLabel
    Left = 16
    Top = 20
    Width = 54
    Height = 12
    Caption = '报价单号:'
  end
  object Label2: TLabel
    Left = 340
    Top = 20
    Width = 54
    Height = 12
    Caption = '报价日期:'
  end
  object Label3: TLabel
    Left = 16
    Top = 52
    Width = 54
    Height = 12
    Caption = '客户编号:'
  end
  object Label4: TLabel
    Left = 340
    Top = 52
    Width = 54
    Height = 12
    Caption = '客户名称:'
  end
  object Label5: TLabel
    Left = 16
    Top = 84
    Width = 54
    Height = 12
    Caption = '联 系 人:'
  end
  object Label6: TLabel
    Left = 16
    Top = 116
    Width = 54
    Height = 12
    Caption = '备    注:'
  end
  object Label7: TLabel
    Left = 16
    Top = 180
    Width = 54
    Height = 12
    Caption = '产品编号:'
  end
  object Label8: TLabel
    Left = 340
    Top = 180
    Width = 54
    Height = 12
    Caption = '单价:'
  end
  object DBEdit1: TDBEdit
    Left = 76
    Top = 16
    Width = 160
    Height = 20
    DataField = 'PL_NO'
    DataSource = ds_PriceList
    TabOrder = 0
    TabStop = False
  end
  object cxDBDateEdit1: TcxDBDateEdit
    Left = 400
    Top = 16
    Width = 121
    Height = 20
    DataBinding.DataField = 'PL_Date'
    DataBinding.DataSource = ds_PriceList
    TabOrder = 1
    TabStop = False
  end
  object cxDBLookupComboBox1: TcxDBLookupComboBox
    Left = 76
    Top = 48
    Width = 160
    Height = 20
    DataBinding.DataField = 'C_ID'
    DataBinding.DataSource = ds_PriceList
    Properties.ClearKey = 46
    Properties.DropDownSizeable = True
    Properties.DropDownWidth = 320
    Properties.ImmediatePost = True
    Properties.KeyFieldNames = 'C_ID'
    Properties.ListColumns = <
      item
        Caption = '客户编号'
        FieldName = 'C_NO'
        Width = 100
      end
      item
        Caption = '客户名称'
        FieldName = 'C_Name'
        Width = 200
      end>
    Properties.ListOptions.GridLines = glNone
    Properties.ListOptions.SyncMode = True
    Properties.ListSource = ds_Customers
    TabOrder = 2
  end
  object DBEdit2: TDBEdit
    Left = 400
    Top = 48
    Width = 240
    Height = 20
    DataField = 'C_Name'
    DataSource = ds_Customers
    ReadOnly = True
    TabOrder = 3
  end
  object DBEdit3: TDBEdit
    Left = 76
    Top = 80
    Width = 160
    Height = 20
    DataField = 'C_Contact'
    DataSource = ds_Customers
    ReadOnly = True
    TabOrder = 4
  end
  object DBMemo1: TDBMemo
    Left = 76
    Top = 112
    Width = 564
    Height = 52
    DataField = 'PL_Memo'
    DataSource = ds_PriceList
    TabOrder = 5
  end
  object FPNO: TcxDBLookupComboBox
    Left = 76
    Top = 176
    Width = 160
    Height = 20
    DataBinding.DataField = 'P_ID'
    DataBinding.DataSource = ds_PriceList_d
    Properties.ClearKey = 46
    Properties.DropDownSizeable = True
    Properties.DropDownWidth = 320
    Properties.ImmediatePost = True
    Properties.KeyFieldNames = 'P_ID'
    Properties.ListColumns = <
      item
        Caption = '产品编号'
        FieldName = 'P_NO'
        Width = 100
      end
      item
        Caption = '产品名称'
        FieldName = 'P_Name'
        Width = 200
      end>
    Properties.ListOptions.GridLines = glNone
    Properties.ListSource = ds_Products
    TabOrder = 6
    OnKeyPress = FPNOKeyPress
  end
  object FPrice: TDBEdit
    Left = 376
    Top = 176
    Width = 121
    Height = 20
    DataField = 'PLD_Price'
    DataSource = ds_PriceList_d
    TabOrder = 7
    OnKeyPress = FPriceKeyPress
  end
  object DBGridEh1: TDBGridEh
    Left = 16
    Top = 208
    Width = 520
    Height = 230
    DataSource = ds_PriceList_d
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    ReadOnly = True
    TabOrder = 8
    TabStop = False
    Columns = <
    item
      FieldName = 'P_NO'
      Title.Caption = '编号'
      Width = 80
    end
    item
      FieldName = 'P_Name'
      Title.Caption = '产品名称'
      Width = 120
    end
    item
      FieldName = 'PLD_Price'
      Title.Caption = '单价'
      Width = 80
    end>
  end
  object Button3: TButton
    Left = 552
    Top = 208
    Width = 90
    Height = 25
    Caption = '添加明细'
    TabOrder = 9
    TabStop = False
    OnClick = Button3Click
  end
  object Button4: TButton
    Left = 552
    Top = 240
    Width = 90
    Height = 25
    Caption = '保存明细'
    TabOrder = 10
    TabStop = False
    OnClick = Button4Click
  end
  object Button5: TButton
    Left = 552
    Top = 272
    Width = 90
    Height = 25
    Caption = '撤消修改'
    TabOrder = 11
    TabStop = False
    OnClick = Button5Click
  end
  object Button6: TButton
    Left = 552
    Top = 304
    Width = 90
    Height = 25
    Caption = '删除明细'
    TabOrder = 12
    TabStop = False
    OnClick = Button6Click
  end
  object Button1: TButton
    Left = 456
    Top = 452
    Width = 80
    Height = 25
    Caption = '保存'
    TabOrder = 13
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 560
    Top = 452
    Width = 80
    Height = 25
    Caption = '退出'
    ModalResult = 2
    TabOrder = 14
  end
  object d_PriceList: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    AfterInsert = d_PriceListAfterInsert
    CommandText = 'select * from PriceList where PL_ID = :PL_ID'
    Parameters = <
      item
        Name = 'PL_ID'
        DataType = ftInteger
        Value = 0
      end>
    Left = 600
    Top = 8
  end
  object ds_PriceList: TDataSource
    DataSet = d_PriceList
    Left = 632
    Top = 8
  end
  object d_Customers: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    CommandText = 'select * from Customers'
    Parameters = <>
    Left = 600
    Top = 40
  end
  object ds_Customers: TDataSource
    DataSet = d_Customers
    Left = 632
    Top = 40
  end
  object d_PriceList_d: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    CommandText = 'select * from PriceList_d where PL_ID = :PL_ID'
    DataSource = ds_PriceList
    IndexFieldNames = 'PL_ID'
    MasterFields = 'PL_ID'
    Parameters = <
      item
        Name = 'PL_ID'
        DataType = ftInteger
        Value = 0
      end>
    Left = 600
    Top = 72
    object d_PriceList_dPLD_ID: TAutoIncField
      FieldName = 'PLD_ID'
      ReadOnly = True
    end
    object d_PriceList_dPL_ID: TIntegerField
      FieldName = 'PL_ID'
    end
    object d_PriceList_dP_ID: TIntegerField
      FieldName = 'P_ID'
    end
    object d_PriceList_dPLD_Price: TBCDField
      FieldName = 'PLD_Price'
      Precision = 19
    end
    object d_PriceList_dP_NO: TWideStringField
      FieldKind = fkLookup
      FieldName = 'P_NO'
      LookupDataSet = d_Products
      LookupKeyFields = 'P_ID'
      LookupResultField = 'P_NO'
      KeyFields = 'P_ID'
      Size = 30
    end
    object d_PriceList_dP_Name: TWideStringField
      FieldKind = fkLookup
      FieldName = 'P_Name'
      LookupDataSet = d_Products
      LookupKeyFields = 'P_ID'
      LookupResultField = 'P_Name'
      KeyFields = 'P_ID'
      Size = 50
    end
  end
  object ds_PriceList_d: TDataSource
    DataSet = d_PriceList_d
    OnDataChange = ds_PriceList_dDataChange
    Left = 632
    Top = 72
  end
  object d_Products: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from Products'
    Parameters = <>
    Left = 600
    Top = 104
  end
  object ds_Products: TDataSource
    DataSet = d_Products
    Left = 632
    Top = 104
  end
end
