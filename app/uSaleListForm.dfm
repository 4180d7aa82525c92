object SaleListForm: TSaleListForm
  Left = 0
  Top = 0
  Width = 741
  Height = 525
  Caption = '单据查询(双击选中)'
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
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 0
    Width = 733
    Height = 498
    Align = alClient
    DataSource = ds_Orders
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghEnterAsTab]
    ReadOnly = True
    SortLocal = True
    STFilter.Local = True
    STFilter.Visible = True
    ColumnDefValues.Title.TitleButton = True
    TabOrder = 0
    OnDblClick = DBGridEh1DblClick
    Columns = <
      item
        FieldName = 'O_NO'
        Title.Caption = '单号'
        Width = 100
      end
      item
        FieldName = 'O_IsBack'
        Title.Caption = '退货标记'
        Width = 60
      end
      item
        FieldName = 'C_NO'
        Title.Caption = '客户编号'
        Width = 80
      end
      item
        FieldName = 'C_Name'
        Title.Caption = '客户名称'
        Width = 160
      end
      item
        FieldName = 'U_Name'
        Title.Caption = '开单人'
        Width = 80
      end
      item
        FieldName = 'O_OrderDate'
        Title.Caption = '日期'
        Width = 90
      end
      item
        FieldName = 'O_Enabled'
        Title.Caption = '启用标记'
        Width = 60
      end>
  end
  object d_Orders: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'SELECT Orders.*, Customers.C_NO, Customers.C_Name, Users.U_Name'#13#10'FROM (Customers INNER JOIN Orders ON Customers.C_ID = Orders.C_ID) INNER JOIN Users ON Orders.U_ID = Users.U_ID;'
    Parameters = <>
    Left = 40
    Top = 80
  end
  object ds_Orders: TDataSource
    DataSet = d_Orders
    Left = 72
    Top = 80
  end
end
