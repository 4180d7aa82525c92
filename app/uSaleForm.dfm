object SaleForm: TSaleForm
  Left = 0
  Top = 0
  Width = 900
  Height = 600
  Caption = '销售管理'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  OldCreateOrder = False
  OnClose = FormClose
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 892
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
      Caption = '添加'
      ImageIndex = 10
      OnClick = ToolButton3Click
    end
    object ToolButton4: TToolButton
      Caption = '修改'
      ImageIndex = 11
      OnClick = ToolButton4Click
    end
    object ToolButton5: TToolButton
      Caption = '删除'
      ImageIndex = 7
      OnClick = ToolButton5Click
    end
    object ToolButton6: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton7: TToolButton
      Caption = '打印'
      ImageIndex = 6
      OnClick = ToolButton7Click
    end
    object Panel1: TPanel
      Left = 240
      Top = 0
      Width = 420
      Height = 36
      BevelOuter = bvNone
      TabOrder = 0
      object Label1: TLabel
        Left = 8
        Top = 12
        Width = 12
        Height = 13
        Caption = '从'
      end
      object Label2: TLabel
        Left = 160
        Top = 12
        Width = 12
        Height = 13
        Caption = '到'
      end
      object dt1: TDateTimePicker
        Left = 26
        Top = 8
        Width = 125
        Height = 21
        ShowCheckbox = True
        TabOrder = 0
      end
      object dt2: TDateTimePicker
        Left = 178
        Top = 8
        Width = 125
        Height = 21
        ShowCheckbox = True
        TabOrder = 1
      end
      object Button1: TButton
        Left = 316
        Top = 6
        Width = 75
        Height = 25
        Caption = '查询'
        TabOrder = 2
        OnClick = Button1Click
      end
    end
  end
  object DBGridEh2: TDBGridEh
    Left = 0
    Top = 301
    Width = 892
    Height = 265
    Align = alBottom
    DataSource = ds_Orders_d
    DrawMemoText = True
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind]
    ReadOnly = True
    SortLocal = True
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
  object Splitter1: TSplitter
    Left = 0
    Top = 298
    Width = 892
    Height = 3
    Cursor = crVSplit
    Align = alBottom
  end
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 36
    Width = 892
    Height = 262
    Align = alClient
    DataSource = ds_Orders
    FooterRowCount = 1
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghDialogFind]
    ReadOnly = True
    SortLocal = True
    STFilter.Local = True
    STFilter.Visible = True
    SumList.Active = True
    ColumnDefValues.Title.TitleButton = True
    TabOrder = 1
    Columns = <
      item
        Footer.DisplayFormat = '共 # 条'
        Footer.ValueType = fvtCount
        FieldName = 'O_NO'
        Title.Caption = '单号'
        Width = 111
      end
      item
        FieldName = 'O_OrderDate'
        Title.Caption = '日期'
        Width = 99
      end
      item
        FieldName = 'O_IsBack'
        Title.Caption = '退货'
        Width = 51
      end
      item
        FieldName = 'C_NO'
        Title.Caption = '客户编号'
        Width = 111
      end
      item
        FieldName = 'C_Name'
        Title.Caption = '客户名称'
        Width = 198
      end
      item
        Footer.ValueType = fvtSum
        FieldName = 'O_JE'
        Title.Caption = '金额'
        Width = 96
      end>
  end
  object d_Orders: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    CommandText = 'select o.*, c.C_NO, c.C_Name, c.C_Tel, c.C_Fax, c.C_Addr from Orders o, Customers c where o.C_ID = c.C_ID and 1 <> 1'
    Parameters = <>
    Left = 40
    Top = 120
  end
  object ds_Orders: TDataSource
    DataSet = d_Orders
    Left = 72
    Top = 120
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
    Top = 152
  end
  object ds_Orders_d: TDataSource
    DataSet = d_Orders_d
    Left = 72
    Top = 152
  end
  object frxReport1: TfrxReport
    PreviewOptions.Buttons = [pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbOutline, pbPageSetup, pbTools, pbEdit, pbNavigator, pbExportQuick]
    PreviewOptions.Zoom = 1.000000000000000000
    PrintOptions.Printer = '预设'
    ScriptLanguage = 'PascalScript'
    OnBeforePrint = frxReport1BeforePrint
  end
  object frxDBDataset1: TfrxDBDataset
    UserName = 'frxDBDataset1'
    CloseDataSource = False
    DataSet = d_Orders
  end
  object frxDBDataset2: TfrxDBDataset
    UserName = 'frxDBDataset2'
    CloseDataSource = False
    DataSet = d_Orders_d
  end
end
