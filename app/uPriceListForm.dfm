object PriceListForm: TPriceListForm
  Left = 0
  Top = 0
  Width = 900
  Height = 600
  Caption = '报价管理'
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
    Width = 892
    Height = 36
    AutoSize = True
    ButtonHeight = 36
    ButtonWidth = 55
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
      Caption = '发送邮件'
      ImageIndex = 20
      Visible = False
      OnClick = ToolButton7Click
    end
    object ToolButton8: TToolButton
      Caption = '导出'
      ImageIndex = 13
      OnClick = ToolButton8Click
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 376
    Width = 892
    Height = 190
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 2
    object Image1: TImage
      Left = 691
      Top = 0
      Width = 201
      Height = 190
      Align = alRight
      Center = True
      Proportional = True
    end
    object DBGridEh2: TDBGridEh
      Left = 0
      Top = 0
      Width = 691
      Height = 190
      Align = alClient
      DataSource = ds_PriceList_d
      Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
      OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghDialogFind]
      ReadOnly = True
      SortLocal = True
      ColumnDefValues.Title.TitleButton = True
      TabOrder = 0
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
          FieldName = 'PLD_Price'
          Title.Caption = '报价'
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
          Width = 65
        end
        item
          FieldName = 'P_GWeight'
          Title.Caption = '毛重'
          Width = 65
        end
        item
          FieldName = 'P_NWeight'
          Title.Caption = '净重'
          Width = 65
        end>
    end
  end
  object Splitter1: TSplitter
    Left = 0
    Top = 373
    Width = 892
    Height = 3
    Cursor = crVSplit
    Align = alBottom
  end
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 36
    Width = 892
    Height = 337
    Align = alClient
    DataSource = ds_PriceList
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghDialogFind]
    ReadOnly = True
    SortLocal = True
    ColumnDefValues.Title.TitleButton = True
    TabOrder = 1
    Columns = <
      item
        FieldName = 'PL_NO'
        Title.Caption = '报价单号'
        Width = 80
      end
      item
        FieldName = 'PL_Date'
        Title.Caption = '报价日期'
        Width = 80
      end
      item
        FieldName = 'c_name'
        Title.Caption = '客户名称'
        Width = 100
      end
      item
        FieldName = 'c_contact'
        Title.Caption = '联系人'
        Width = 80
      end
      item
        FieldName = 'c_email'
        Title.Caption = '电子邮箱'
        Width = 100
      end
      item
        FieldName = 'c_tel'
        Title.Caption = '电话'
        Width = 80
      end
      item
        FieldName = 'c_fax'
        Title.Caption = '传真'
        Width = 80
      end
      item
        FieldName = 'PL_Memo'
        Title.Caption = '备注'
        Width = 150
      end>
  end
  object d_PriceList: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    LockType = ltBatchOptimistic
    CommandText = 'select p.*, c.c_name, c_contact, c.c_email, c.c_tel, c.c_fax from PriceList p, Customers c where p.c_id = c.c_id'
    Parameters = <>
    Left = 40
    Top = 120
  end
  object ds_PriceList: TDataSource
    DataSet = d_PriceList
    Left = 72
    Top = 120
  end
  object d_PriceList_d: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    AfterOpen = d_PriceList_dAfterOpen
    CommandText = 'select pl.*,'#13#10'p.P_NO,'#13#10'p.P_Name,'#13#10'p.P_Color,'#13#10'p.P_Size,'#13#10'p.P_GWeight,'#13#10'p.P_NWeight'#13#10'from PriceList_d pl, Products p'#13#10'where pl.P_ID = p.P_ID and pl.PL_ID = :PL_ID'
    DataSource = ds_PriceList
    IndexFieldNames = 'PL_ID'
    MasterFields = 'PL_ID'
    Parameters = <
      item
        Name = 'PL_ID'
        DataType = ftInteger
        Value = 0
      end>
    Left = 40
    Top = 152
  end
  object ds_PriceList_d: TDataSource
    DataSet = d_PriceList_d
    OnDataChange = ds_PriceList_dDataChange
    Left = 72
    Top = 152
  end
  object d_ProductPic: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from ProductPictures where P_ID = :P_ID'
    DataSource = ds_PriceList_d
    IndexFieldNames = 'P_ID'
    MasterFields = 'P_ID'
    Parameters = <
      item
        Name = 'P_ID'
        DataType = ftInteger
        Value = 0
      end>
    Left = 40
    Top = 184
  end
  object ds_ProductPic: TDataSource
    DataSet = d_ProductPic
    Left = 72
    Top = 184
  end
end
