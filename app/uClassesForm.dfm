object ClassesForm: TClassesForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '产品分类'
  ClientHeight = 360
  ClientWidth = 372
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  KeyPreview = True
  OldCreateOrder = False
  Position = poMainFormCenter
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object dxDBTreeView1: TdxDBTreeView
    Left = 8
    Top = 8
    Width = 257
    Height = 345
    ShowNodeHint = True
    DragMode = dmAutomatic
    HideSelection = False
    Indent = 19
    TabOrder = 0
    DataSource = ds_Tree
    KeyField = 'CLS_ID'
    ListField = 'CLS_Name'
    ParentField = 'CLS_ParentID'
    RaiseOnError = True
  end
  object Button1: TButton
    Left = 280
    Top = 8
    Width = 81
    Height = 25
    Caption = '添加...'
    TabOrder = 1
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 280
    Top = 40
    Width = 81
    Height = 25
    Caption = '修改...'
    TabOrder = 2
    OnClick = Button2Click
  end
  object Button3: TButton
    Left = 280
    Top = 72
    Width = 81
    Height = 25
    Caption = '删除'
    TabOrder = 3
    OnClick = Button3Click
  end
  object Button4: TButton
    Left = 280
    Top = 328
    Width = 81
    Height = 25
    Caption = '关闭'
    ModalResult = 2
    TabOrder = 4
  end
  object d_Tree: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from Classes'
    Parameters = <>
    Left = 24
    Top = 24
  end
  object ds_Tree: TDataSource
    DataSet = d_Tree
    Left = 56
    Top = 24
  end
end
