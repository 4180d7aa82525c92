object ProductForm: TProductForm
  Left = 0
  Top = 0
  Width = 900
  Height = 600
  Caption = '产品管理'
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  OnClose = FormClose
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 892
    Height = 36
    AutoSize = True
    ButtonHeight = 36
    ButtonWidth = 49
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
    object ToolButton9: TToolButton
      Action = DataSetLast1
    end
    object ToolSep2: TToolButton
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
    object ToolSep4: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object ToolButton15: TToolButton
      Caption = '打印'
      ImageIndex = 6
      OnClick = ToolButton15Click
    end
    object ToolButton16: TToolButton
      Caption = '导出'
      ImageIndex = 13
      OnClick = ToolButton16Click
    end
    object ToolSep5: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object cbIncludeChildNodes: TToolButton
      AllowAllUp = True
      Caption = '查看子类'
      Down = True
      Grouped = True
      ImageIndex = 24
      Style = tbsCheck
      OnClick = cbIncludeChildNodesClick
    end
    object ToolButton19: TToolButton
      Caption = '刷新分类'
      ImageIndex = 25
      OnClick = ToolButton19Click
    end
  end
  object tvClasses: TdxDBTreeView
    Left = 0
    Top = 36
    Width = 161
    Height = 302
    ShowNodeHint = True
    Align = alLeft
    HideSelection = False
    Hint = '选择产品分类'
    Indent = 19
    ParentShowHint = False
    ReadOnly = True
    ShowHint = True
    TabOrder = 1
    DataSource = ds_Classes
    KeyField = 'CLS_ID'
    ListField = 'CLS_Name'
    ParentField = 'CLS_ParentID'
    ImageIndexField = 'CLS_ImageIndex'
    Options = [trCanDBNavigate, trSmartRecordCopy, trCheckHasChildren]
    Images = ImageList1
  end
  object PageControl1: TPageControl
    Left = 0
    Top = 338
    Width = 892
    Height = 228
    ActivePage = TabSheet1
    Align = alBottom
    TabOrder = 3
    object TabSheet1: TTabSheet
      Caption = '基本资料'
      object Label1: TLabel
        Left = 8
        Top = 14
        Caption = '编号:'
      end
      object DBEdit1: TDBEdit
        Left = 68
        Top = 10
        Width = 120
        Height = 20
        DataField = 'P_NO'
        DataSource = ds_Products
        TabOrder = 1
      end
      object Label2: TLabel
        Left = 200
        Top = 14
        Caption = '品名:'
      end
      object DBEdit2: TDBEdit
        Left = 260
        Top = 10
        Width = 200
        Height = 20
        DataField = 'P_Name'
        DataSource = ds_Products
        TabOrder = 2
      end
      object Label3: TLabel
        Left = 460
        Top = 14
        Caption = '条形码:'
      end
      object DBEdit3: TDBEdit
        Left = 520
        Top = 10
        Width = 120
        Height = 20
        DataField = 'P_BarCode'
        DataSource = ds_Products
        TabOrder = 3
      end
      object Label4: TLabel
        Left = 8
        Top = 42
        Caption = '单位:'
      end
      object cb1: TDBComboBox
        Left = 68
        Top = 38
        Width = 120
        Height = 20
        DataField = 'P_Unit'
        DataSource = ds_Products
        ItemHeight = 12
        TabOrder = 4
      end
      object Label5: TLabel
        Left = 200
        Top = 42
        Caption = '颜色:'
      end
      object cb3: TDBComboBox
        Left = 260
        Top = 38
        Width = 120
        Height = 20
        DataField = 'P_Color'
        DataSource = ds_Products
        ItemHeight = 12
        TabOrder = 5
      end
      object Label6: TLabel
        Left = 460
        Top = 42
        Caption = '尺寸:'
      end
      object DBEdit6: TDBEdit
        Left = 520
        Top = 38
        Width = 120
        Height = 20
        DataField = 'P_Size'
        DataSource = ds_Products
        TabOrder = 6
      end
      object Label7: TLabel
        Left = 8
        Top = 70
        Caption = '毛重:'
      end
      object DBEdit7: TDBEdit
        Left = 68
        Top = 66
        Width = 120
        Height = 20
        DataField = 'P_GWeight'
        DataSource = ds_Products
        TabOrder = 7
      end
      object Label8: TLabel
        Left = 200
        Top = 70
        Caption = '净重:'
      end
      object DBEdit8: TDBEdit
        Left = 260
        Top = 66
        Width = 120
        Height = 20
        DataField = 'P_NWeight'
        DataSource = ds_Products
        TabOrder = 8
      end
      object Label9: TLabel
        Left = 460
        Top = 70
        Caption = '价格:'
      end
      object DBEdit9: TDBEdit
        Left = 520
        Top = 66
        Width = 120
        Height = 20
        DataField = 'P_Price'
        DataSource = ds_Products
        TabOrder = 9
      end
      object Label10: TLabel
        Left = 8
        Top = 98
        Caption = '成本:'
      end
      object DBEdit10: TDBEdit
        Left = 68
        Top = 94
        Width = 120
        Height = 20
        DataField = 'P_Cost'
        DataSource = ds_Products
        TabOrder = 10
      end
      object Label11: TLabel
        Left = 200
        Top = 98
        Caption = '录入日期:'
      end
      object DBDateTimeEditEh1: TDBDateTimeEditEh
        Left = 260
        Top = 94
        Width = 120
        Height = 20
        DataField = 'P_CreateDate'
        DataSource = ds_Products
        Kind = dtkDateEh
        TabOrder = 11
      end
      object DBCheckBox1: TDBCheckBox
        Left = 460
        Top = 96
        Width = 97
        Height = 17
        Caption = '审核标记'
        DataField = 'P_Enabled'
        DataSource = ds_Products
        TabOrder = 20
        ValueChecked = 'True'
        ValueUnchecked = 'False'
      end
      object Label20: TLabel
        Left = 8
        Top = 126
        Caption = '备注:'
      end
      object DBMemo1: TDBMemo
        Left = 68
        Top = 122
        Width = 512
        Height = 70
        DataField = 'P_Memo'
        DataSource = ds_Products
        TabOrder = 21
      end
    end
    object TabSheet2: TTabSheet
      Caption = '图片资料'
      ImageIndex = 1
      object ToolBar3: TToolBar
        Align = alTop
        Left = 0
        Top = 0
        Width = 884
        Height = 36
        ButtonHeight = 36
        ButtonWidth = 37
        Caption = 'ToolBar3'
        Flat = True
        Images = DataForm.ImageList1
        ShowCaptions = True
        Wrapable = False
        TabOrder = 0
        Visible = False
        object ToolButton23: TToolButton
          Caption = '添加'
          ImageIndex = 10
          OnClick = ToolButton23Click
        end
        object ToolButton24: TToolButton
          Caption = '删除'
          ImageIndex = 7
          OnClick = ToolButton24Click
        end
        object ToolButton25: TToolButton
          Caption = '保存'
          ImageIndex = 8
          OnClick = ToolButton25Click
        end
        object ToolButton26: TToolButton
          Caption = '撤消'
          ImageIndex = 12
          OnClick = ToolButton26Click
        end
      end
      object Image1: TcxImage
        Left = 0
        Top = 0
        Width = 884
        Height = 201
        Align = alClient
        TabOrder = 1
      end
      object lbPictureError: TLabel
        Left = 8
        Top = 8
        Font.Color = clRed
        ParentFont = False
        Visible = False
      end
    end
    object TabSheet3: TTabSheet
      Caption = '成本'
      ImageIndex = 2
      object ToolBar2: TToolBar
        Align = alTop
        Left = 0
        Top = 0
        Width = 884
        Height = 36
        AutoSize = True
        ButtonHeight = 36
        ButtonWidth = 37
        Caption = 'ToolBar2'
        EdgeBorders = [ebBottom]
        Flat = True
        Images = DataForm.ImageList1
        ShowCaptions = True
        Wrapable = False
        TabOrder = 0
        object ToolButton18: TToolButton
          Caption = '添加'
          ImageIndex = 10
          OnClick = ToolButton18Click
        end
        object ToolButton20: TToolButton
          Caption = '删除'
          ImageIndex = 7
          OnClick = ToolButton20Click
        end
        object ToolButton21: TToolButton
          Caption = '保存'
          ImageIndex = 8
          OnClick = ToolButton21Click
        end
        object ToolButton22: TToolButton
          Caption = '撤消'
          ImageIndex = 12
          OnClick = ToolButton22Click
        end
      end
      object DBGridEh2: TDBGridEh
        Left = 0
        Top = 36
        Width = 884
        Height = 165
        Align = alClient
        DataSource = ds_ProductCosts
        TabOrder = 1
        Columns = <
          item
            FieldName = 'COS_Item'
            Title.Caption = '项目'
            Width = 120
          end
          item
            FieldName = 'PC_Cost'
            Title.Caption = '成本'
            Width = 120
          end>
      end
    end
  end
  object DBGridEh1: TDBGridEh
    Left = 161
    Top = 36
    Width = 731
    Height = 302
    Align = alClient
    DataSource = ds_Products
    Options = [dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghDialogFind]
    ReadOnly = True
    SortLocal = True
    STFilter.Local = True
    STFilter.Visible = True
    ColumnDefValues.Title.TitleButton = True
    TabOrder = 2
    Columns = <
      item
        FieldName = 'P_NO'
        Title.Caption = '编号'
        Width = 80
      end
      item
        FieldName = 'P_Name'
        Title.Caption = '产品名称'
        Width = 100
      end
      item
        FieldName = 'P_Unit'
        Title.Caption = '单位'
        Width = 65
      end
      item
        FieldName = 'P_Price'
        Title.Caption = '单价'
        Width = 80
      end
      item
        FieldName = 'P_Cost'
        Title.Caption = '成本价'
        Width = 80
      end
      item
        FieldName = 'P_Color'
        Title.Caption = '颜色'
        Width = 80
      end
      item
        FieldName = 'P_Size'
        Title.Caption = '尺寸'
        Width = 80
      end
      item
        FieldName = 'P_GWeight'
        Title.Caption = '毛重'
        Width = 80
      end
      item
        FieldName = 'P_NWeight'
        Title.Caption = '净重'
        Width = 80
      end
      item
        FieldName = 'P_BarCode'
        Title.Caption = '条形码'
        Width = 80
      end
      item
        FieldName = 'P_Enabled'
        Title.Caption = '审核标记'
        Width = 65
      end
      item
        FieldName = 'P_CreateDate'
        Title.Caption = '录入日期'
        Width = 80
      end>
  end
  object ActionList1: TActionList
    Images = DataForm.ImageList1
    Left = 200
    Top = 120
    object DataSetFirst1: TDataSetFirst
      Category = 'Dataset'
      Caption = '首条'
      Hint = '首条'
      ImageIndex = 0
      DataSource = ds_Products
    end
    object DataSetPrior1: TDataSetPrior
      Category = 'Dataset'
      Caption = '上条'
      Hint = '上条'
      ImageIndex = 1
      DataSource = ds_Products
    end
    object DataSetNext1: TDataSetNext
      Category = 'Dataset'
      Caption = '下条'
      Hint = '下条'
      ImageIndex = 2
      DataSource = ds_Products
    end
    object DataSetLast1: TDataSetLast
      Category = 'Dataset'
      Caption = '末条'
      Hint = '末条'
      ImageIndex = 3
      DataSource = ds_Products
    end
    object DataSetInsert1: TDataSetInsert
      Category = 'Dataset'
      Caption = '添加'
      Hint = '添加'
      ImageIndex = 10
      ShortCut = 112
      OnExecute = ToolButton6Click
      DataSource = ds_Products
    end
    object DataSetEdit1: TDataSetEdit
      Category = 'Dataset'
      Caption = '修改'
      Hint = '修改'
      ImageIndex = 11
      ShortCut = 114
      OnExecute = ToolButton7Click
      DataSource = ds_Products
    end
    object DataSetDelete1: TDataSetDelete
      Category = 'Dataset'
      Caption = '删除'
      Hint = '删除'
      ImageIndex = 7
      ShortCut = 115
      OnExecute = ToolButton8Click
      DataSource = ds_Products
    end
    object DataSetPost1: TDataSetPost
      Category = 'Dataset'
      Caption = '保存'
      Hint = '保存'
      ImageIndex = 8
      ShortCut = 113
      DataSource = ds_Products
    end
    object DataSetCancel1: TDataSetCancel
      Category = 'Dataset'
      Caption = '取消'
      Hint = '取消'
      ImageIndex = 12
      DataSource = ds_Products
    end
    object DataSetRefresh1: TDataSetRefresh
      Category = 'Dataset'
      Caption = '刷新'
      Hint = '刷新'
      ImageIndex = 9
      DataSource = ds_Products
    end
  end
  object ImageList1: TImageList
    Left = 232
    Top = 120
  end
  object d_Classes: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from Classes'
    Parameters = <>
    Left = 200
    Top = 160
  end
  object ds_Classes: TDataSource
    DataSet = d_Classes
    Left = 232
    Top = 160
  end
  object d_Products: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    AfterInsert = d_ProductsAfterInsert
    CommandText = 'select * from Products where CLS_ID = :id or (1 = :IncludeChild and InStr(:cls_id, ";" & CStr(CLS_ID) & ";") > 0)'
    Parameters = <
      item
        Name = 'id'
        DataType = ftInteger
        Value = 0
      end
      item
        Name = 'IncludeChild'
        DataType = ftInteger
        Value = 0
      end
      item
        Name = 'cls_id'
        DataType = ftWideString
        Size = 255
        Value = ''
      end>
    Left = 264
    Top = 160
  end
  object ds_Products: TDataSource
    DataSet = d_Products
    OnDataChange = ds_ProductsDataChange
    Left = 296
    Top = 160
  end
  object frxReport1: TfrxReport
    PreviewOptions.AllowEdit = False
    PreviewOptions.Buttons = [pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbPageSetup, pbTools, pbEdit, pbNavigator]
    PreviewOptions.Zoom = 1.000000000000000000
    PrintOptions.Printer = '预设'
    ScriptLanguage = 'PascalScript'
  end
  object frxDBDataset1: TfrxDBDataset
    UserName = '产品'
    CloseDataSource = False
    DataSource = ds_Products
  end
  object d_ProductPictures: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from ProductPictures where P_ID = :p_id'
    DataSource = ds_Products
    IndexFieldNames = 'P_ID'
    MasterFields = 'P_ID'
    Parameters = <
      item
        Name = 'p_id'
        DataType = ftInteger
        Value = 0
      end>
    Left = 264
    Top = 200
  end
  object ds_ProductPictures: TDataSource
    DataSet = d_ProductPictures
    Left = 296
    Top = 200
  end
  object d_CostItems: TADOTable
    Connection = DataForm.conn
    CursorType = ctStatic
    TableName = 'CostItems'
    Left = 200
    Top = 240
  end
  object d_ProductCosts: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    AfterPost = d_ProductCostsAfterPost
    AfterDelete = d_ProductCostsAfterDelete
    CommandText = 'select * from ProductCosts where P_ID = :p_id'
    DataSource = ds_Products
    IndexFieldNames = 'P_ID'
    MasterFields = 'P_ID'
    Parameters = <
      item
        Name = 'p_id'
        DataType = ftInteger
        Value = 0
      end>
    Left = 264
    Top = 240
    object d_ProductCostsPC_ID: TAutoIncField
      FieldName = 'PC_ID'
      ReadOnly = True
    end
    object d_ProductCostsP_ID: TIntegerField
      FieldName = 'P_ID'
    end
    object d_ProductCostsCOS_ID: TIntegerField
      FieldName = 'COS_ID'
    end
    object d_ProductCostsPC_Cost: TBCDField
      FieldName = 'PC_Cost'
      Precision = 19
    end
    object d_ProductCostsCOS_Item: TStringField
      FieldKind = fkLookup
      FieldName = 'COS_Item'
      LookupDataSet = d_CostItems
      LookupKeyFields = 'COS_ID'
      LookupResultField = 'COS_Item'
      KeyFields = 'COS_ID'
      Size = 50
    end
  end
  object ds_ProductCosts: TDataSource
    DataSet = d_ProductCosts
    Left = 296
    Top = 240
  end
  object d_PictureType: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from B_PictureType'
    Parameters = <>
    Left = 200
    Top = 280
  end
end
