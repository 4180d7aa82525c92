object SaleStatForm: TSaleStatForm
  Left = 0
  Top = 0
  Width = 900
  Height = 600
  Caption = '销售统计'
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  WindowState = wsMaximized
  OnClose = FormClose
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 12
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 892
    Height = 41
    Align = alTop
    BevelInner = bvRaised
    BevelOuter = bvLowered
    TabOrder = 0
    object Label1: TLabel
      Left = 12
      Top = 15
      Width = 36
      Height = 12
      Caption = '客户：'
    end
    object Label2: TLabel
      Left = 262
      Top = 15
      Width = 24
      Height = 12
      Caption = '从：'
    end
    object Label3: TLabel
      Left = 420
      Top = 15
      Width = 24
      Height = 12
      Caption = '至：'
    end
    object Label4: TLabel
      Left = 578
      Top = 15
      Width = 36
      Height = 12
      Caption = '类型：'
    end
    object customer: TDBLookupComboboxEh
      Left = 50
      Top = 11
      Width = 200
      Height = 20
      DropDownBox.Width = 300
      KeyField = 'C_ID'
      ListField = 'C_NO;C_Name'
      ListSource = ds_Customers
      TabOrder = 0
    end
    object dt1: TDateTimePicker
      Left = 288
      Top = 10
      Width = 125
      Height = 20
      ShowCheckbox = True
      TabOrder = 1
    end
    object dt2: TDateTimePicker
      Left = 446
      Top = 10
      Width = 125
      Height = 20
      ShowCheckbox = True
      TabOrder = 2
    end
    object cb2: TComboBox
      Left = 616
      Top = 10
      Width = 80
      Height = 20
      Style = csDropDownList
      ItemIndex = 0
      TabOrder = 3
      Text = '全部'
      Items.Strings = (
        '全部'
        '正常'
        '退货')
    end
    object Button1: TButton
      Left = 712
      Top = 8
      Width = 75
      Height = 25
      Caption = '统计'
      TabOrder = 4
      OnClick = Button1Click
    end
  end
  object DBGridEh2: TDBGridEh
    Left = 0
    Top = 366
    Width = 892
    Height = 200
    Align = alBottom
    DataSource = ds_Orders_d
    DrawMemoText = True
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    ReadOnly = True
    SumList.Active = True
    TabOrder = 2
    TabStop = False
    ColumnDefValues.Layout = tlCenter
    Columns = <
      item
        FieldName = 'P_NO'
        Title.Caption = '产品型号'
        Width = 80
      end
      item
        FieldName = 'P_Name'
        Title.Caption = '产品名称'
        Width = 120
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
  object Splitter1: TSplitter
    Left = 0
    Top = 363
    Width = 892
    Height = 3
    Cursor = crVSplit
    Align = alBottom
  end
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 41
    Width = 892
    Height = 322
    Align = alClient
    DataSource = ds_Orders
    DrawMemoText = True
    FooterRowCount = 1
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghEnterAsTab]
    ReadOnly = True
    SortLocal = True
    SumList.Active = True
    ColumnDefValues.Layout = tlCenter
    ColumnDefValues.Title.TitleButton = True
    TabOrder = 1
    Columns = <
      item
        FieldName = 'O_NO'
        Title.Caption = '单号'
        Width = 111
      end
      item
        FieldName = 'O_IsBack'
        Title.Caption = '退货标记'
        Width = 60
      end
      item
        FieldName = 'C_NO'
        Title.Caption = '客户编号'
        Width = 100
      end
      item
        FieldName = 'C_Name'
        Title.Caption = '客户名称'
        Width = 200
      end
      item
        FieldName = 'O_OrderDate'
        Title.Caption = '日期'
        Width = 99
      end
      item
        Footer.ValueType = fvtSum
        FieldName = 'O_JE'
        Title.Caption = '金额'
        Width = 96
      end>
  end
  object d_Customers: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select C_ID, C_NO, C_Name from Customers'
    Parameters = <>
    Left = 40
    Top = 120
  end
  object ds_Customers: TDataSource
    DataSet = d_Customers
    Left = 72
    Top = 120
  end
  object d_Orders: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    AfterOpen = d_OrdersAfterOpen
    CommandText = 'SELECT Orders.*, Customers.C_NO, Customers.C_Name'#13#10'FROM Customers INNER JOIN Orders ON Customers.C_ID = Orders.C_ID'#13#10'WHERE 1 <> 1'
    Parameters = <>
    Left = 40
    Top = 152
  end
  object ds_Orders: TDataSource
    DataSet = d_Orders
    Left = 72
    Top = 152
  end
  object d_Orders_d: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    AfterOpen = d_Orders_dAfterOpen
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
    Left = 40
    Top = 184
  end
  object ds_Orders_d: TDataSource
    DataSet = d_Orders_d
    Left = 72
    Top = 184
  end
end
