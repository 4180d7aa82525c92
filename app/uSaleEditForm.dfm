object SaleEditForm: TSaleEditForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '销售单'
  ClientHeight = 567
  ClientWidth = 960
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  KeyPreview = True
  OldCreateOrder = False
  Position = poMainFormCenter
  ShowHint = True
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  PixelsPerInch = 96
  TextHeight = 12
  object pnl2: TPanel
    Left = 0
    Top = 0
    Width = 960
    Height = 201
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object Label1: TLabel
      Left = 24
      Top = 20
      Width = 36
      Height = 12
      Caption = '单号：'
    end
    object Label2: TLabel
      Left = 300
      Top = 20
      Width = 36
      Height = 12
      Caption = '日期：'
    end
    object Label3: TLabel
      Left = 24
      Top = 56
      Width = 36
      Height = 12
      Caption = '客户：'
    end
    object Label4: TLabel
      Left = 24
      Top = 104
      Width = 36
      Height = 12
      Caption = '产品：'
    end
    object Label5: TLabel
      Left = 300
      Top = 104
      Width = 36
      Height = 12
      Caption = '单价：'
    end
    object Label6: TLabel
      Left = 480
      Top = 104
      Width = 36
      Height = 12
      Caption = '数量：'
    end
    object Label7: TLabel
      Left = 24
      Top = 140
      Width = 36
      Height = 12
      Caption = '备注：'
    end
    object DBText1: TDBText
      Left = 66
      Top = 20
      Width = 160
      Height = 12
      DataField = 'O_NO'
      DataSource = ds_Orders
    end
    object DBText3: TDBText
      Left = 300
      Top = 56
      Width = 300
      Height = 12
      DataField = 'C_Name'
      DataSource = ds_Customers
    end
    object lbl6: TLabel
      Left = 66
      Top = 176
      Width = 330
      Height = 12
      Caption = '[在"备注"输入框中回车保存；加号键保存并新增]'
    end
    object FCustomer: TcxDBLookupComboBox
      Left = 66
      Top = 52
      Width = 220
      Height = 20
      DataBinding.DataField = 'C_ID'
      DataBinding.DataSource = ds_Orders
      Properties.ListOptions.SyncMode = True
      Properties.DropDownWidth = 300
      Properties.ImmediatePost = True
      Properties.KeyFieldNames = 'C_ID'
      Properties.ListColumns = <
        item
          Caption = '编号'
          FieldName = 'C_NO'
          Width = 80
        end
        item
          Caption = '客户名称'
          FieldName = 'C_Name'
          Width = 200
        end>
      Properties.ListOptions.GridLines = glNone
      Properties.ListSource = ds_Customers
      TabOrder = 0
    end
    object FProduct: TcxDBLookupComboBox
      Left = 66
      Top = 100
      Width = 220
      Height = 20
      DataBinding.DataField = 'P_ID'
      DataBinding.DataSource = ds_Orders_d
      Properties.DropDownWidth = 300
      Properties.ImmediatePost = True
      Properties.KeyFieldNames = 'P_ID'
      Properties.ListColumns = <
        item
          Caption = '编号'
          FieldName = 'P_NO'
          Width = 80
        end
        item
          Caption = '产品名称'
          FieldName = 'P_Name'
          Width = 200
        end>
      Properties.ListOptions.GridLines = glNone
      Properties.ListSource = ds_Products
      TabOrder = 1
    end
    object FPrice: TcxDBTextEdit
      Left = 342
      Top = 100
      Width = 121
      Height = 20
      DataBinding.DataField = 'OD_Price'
      DataBinding.DataSource = ds_Orders_d
      TabOrder = 2
    end
    object FQty: TcxDBTextEdit
      Left = 522
      Top = 100
      Width = 121
      Height = 20
      DataBinding.DataField = 'OD_Qty'
      DataBinding.DataSource = ds_Orders_d
      TabOrder = 3
    end
    object FBeiZhu: TcxDBTextEdit
      Left = 66
      Top = 136
      Width = 577
      Height = 20
      DataBinding.DataField = 'OD_Memo'
      DataBinding.DataSource = ds_Orders_d
      TabOrder = 4
      OnKeyPress = FBeiZhuKeyPress
    end
    object cxDBCheckBox1: TcxDBCheckBox
      Left = 660
      Top = 16
      Width = 97
      Height = 21
      Caption = '退货标记'
      DataBinding.DataField = 'O_IsBack'
      DataBinding.DataSource = ds_Orders
      TabOrder = 5
      TabStop = False
      Transparent = True
    end
    object cxDBDateEdit1: TcxDBDateEdit
      Left = 342
      Top = 16
      Width = 121
      Height = 20
      DataBinding.DataField = 'O_OrderDate'
      DataBinding.DataSource = ds_Orders
      TabOrder = 6
    end
  end
  object pnl1: TPanel
    Left = 0
    Top = 201
    Width = 960
    Height = 36
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 1
    object btnInsert: TcxButton
      Left = 24
      Top = 6
      Width = 90
      Height = 25
      Action = DataSetInsert1
      TabOrder = 0
      TabStop = False
    end
    object btnDelete: TcxButton
      Left = 124
      Top = 6
      Width = 90
      Height = 25
      Action = DataSetDelete1
      TabOrder = 1
      TabStop = False
    end
    object btnPost: TcxButton
      Left = 224
      Top = 6
      Width = 90
      Height = 25
      Action = DataSetPost1
      TabOrder = 2
      TabStop = False
    end
    object btnCancel: TcxButton
      Left = 324
      Top = 6
      Width = 90
      Height = 25
      Action = DataSetCancel1
      TabOrder = 3
      TabStop = False
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 526
    Width = 960
    Height = 41
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 3
    object Button1: TButton
      Left = 760
      Top = 8
      Width = 80
      Height = 25
      Caption = '保存'
      TabOrder = 0
      TabStop = False
      OnClick = Button1Click
    end
    object Button2: TButton
      Left = 856
      Top = 8
      Width = 80
      Height = 25
      Caption = '取消'
      ModalResult = 2
      TabOrder = 1
      TabStop = False
    end
  end
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 237
    Width = 960
    Height = 289
    Align = alClient
    DataSource = ds_Orders_d
    DrawMemoText = True
    FooterRowCount = 1
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind]
    ReadOnly = True
    SumList.Active = True
    TabOrder = 2
    TabStop = False
    ColumnDefValues.Layout = tlCenter
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
        FieldName = 'P_Size'
        Title.Caption = '尺寸'
        Width = 60
      end
      item
        FieldName = 'P_GWeight'
        Title.Caption = '毛重'
        Width = 60
      end
      item
        FieldName = 'P_NWeight'
        Title.Caption = '净重'
        Width = 60
      end
      item
        FieldName = 'P_Color'
        Title.Caption = '颜色'
        Width = 60
      end
      item
        FieldName = 'P_Unit'
        Title.Caption = '单位'
        Width = 50
      end
      item
        FieldName = 'OD_Price'
        Title.Caption = '单价'
        Width = 70
      end
      item
        FieldName = 'OD_Qty'
        Title.Caption = '数量'
        Width = 60
      end
      item
        Footer.ValueType = fvtSum
        FieldName = 'OD_JE'
        Title.Caption = '金额'
        Width = 80
      end
      item
        FieldName = 'OD_Memo'
        Title.Caption = '备注'
        Width = 150
      end>
  end
  object ActionList1: TActionList
    Left = 800
    Top = 60
    object DataSetInsert1: TDataSetInsert
      Category = 'Dataset'
      Caption = '添加明细'
      DataSource = ds_Orders_d
    end
    object DataSetDelete1: TDataSetDelete
      Category = 'Dataset'
      Caption = '删除明细'
      DataSource = ds_Orders_d
    end
    object DataSetPost1: TDataSetPost
      Category = 'Dataset'
      Caption = '提交保存'
      DataSource = ds_Orders_d
    end
    object DataSetCancel1: TDataSetCancel
      Category = 'Dataset'
      Caption = '撤消修改'
      DataSource = ds_Orders_d
    end
    object actSearch: TAction
      Caption = '查找'
      OnExecute = actSearchExecute
    end
  end
  object d_Orders: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    AfterInsert = d_OrdersAfterInsert
    CommandText = 'select * from Orders where o_id = :o_id'
    Parameters = <
      item
        Name = 'o_id'
        DataType = ftInteger
        Value = 0
      end>
    Left = 800
    Top = 100
  end
  object ds_Orders: TDataSource
    DataSet = d_Orders
    Left = 832
    Top = 100
  end
  object d_Orders_d: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    AfterOpen = d_Orders_dAfterOpen
    BeforeInsert = d_Orders_dBeforeInsert
    AfterInsert = d_Orders_dAfterInsert
    BeforePost = d_Orders_dBeforePost
    CommandText = 'select * from Orders_d where O_ID = :o_id'
    DataSource = ds_Orders
    IndexFieldNames = 'O_ID'
    MasterFields = 'o_id'
    Parameters = <
      item
        Name = 'o_id'
        DataType = ftInteger
        Value = 0
      end>
    Left = 800
    Top = 132
  end
  object ds_Orders_d: TDataSource
    DataSet = d_Orders_d
    OnDataChange = ds_Orders_dDataChange
    Left = 832
    Top = 132
  end
  object d_Customers: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    CommandText = 'select C_ID, C_NO, C_Name from Customers'
    Parameters = <>
    Left = 864
    Top = 100
  end
  object ds_Customers: TDataSource
    DataSet = d_Customers
    Left = 896
    Top = 100
  end
  object d_Products: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from Products'
    Parameters = <>
    Left = 864
    Top = 132
  end
  object ds_Products: TDataSource
    DataSet = d_Products
    Left = 896
    Top = 132
  end
end
