object CustomerEditForm: TCustomerEditForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '客户资料'
  ClientHeight = 425
  ClientWidth = 420
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  KeyPreview = True
  OldCreateOrder = False
  Position = poDesktopCenter
  OnKeyPress = FormKeyPress
  PixelsPerInch = 96
  TextHeight = 12
  object Label1: TLabel
    Left = 16
    Top = 20
    Width = 60
    Height = 12
    Caption = '编号：'
  end
  object DBEdit1: TDBEdit
    Left = 88
    Top = 16
    Width = 150
    Height = 20
    DataField = 'C_NO'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 0
  end
  object Label2: TLabel
    Left = 16
    Top = 48
    Width = 60
    Height = 12
    Caption = '客户名称：'
  end
  object DBEdit2: TDBEdit
    Left = 88
    Top = 44
    Width = 310
    Height = 20
    DataField = 'C_Name'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 1
  end
  object Label3: TLabel
    Left = 16
    Top = 76
    Width = 60
    Height = 12
    Caption = '联系人：'
  end
  object DBEdit3: TDBEdit
    Left = 88
    Top = 72
    Width = 310
    Height = 20
    DataField = 'C_Contact'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 2
  end
  object Label4: TLabel
    Left = 16
    Top = 104
    Width = 60
    Height = 12
    Caption = '地址：'
  end
  object DBEdit4: TDBEdit
    Left = 88
    Top = 100
    Width = 310
    Height = 20
    DataField = 'C_Addr'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 3
  end
  object Label5: TLabel
    Left = 16
    Top = 132
    Width = 60
    Height = 12
    Caption = '邮编：'
  end
  object DBEdit5: TDBEdit
    Left = 88
    Top = 128
    Width = 150
    Height = 20
    DataField = 'C_Zip'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 4
  end
  object Label6: TLabel
    Left = 16
    Top = 160
    Width = 60
    Height = 12
    Caption = '电话：'
  end
  object DBEdit6: TDBEdit
    Left = 88
    Top = 156
    Width = 310
    Height = 20
    DataField = 'C_Tel'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 5
  end
  object Label7: TLabel
    Left = 16
    Top = 188
    Width = 60
    Height = 12
    Caption = '传真：'
  end
  object DBEdit7: TDBEdit
    Left = 88
    Top = 184
    Width = 310
    Height = 20
    DataField = 'C_Fax'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 6
  end
  object Label8: TLabel
    Left = 16
    Top = 216
    Width = 60
    Height = 12
    Caption = '手机：'
  end
  object DBEdit8: TDBEdit
    Left = 88
    Top = 212
    Width = 310
    Height = 20
    DataField = 'C_Mobile'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 7
  end
  object Label9: TLabel
    Left = 16
    Top = 244
    Width = 60
    Height = 12
    Caption = '电子邮箱：'
  end
  object DBEdit9: TDBEdit
    Left = 88
    Top = 240
    Width = 310
    Height = 20
    DataField = 'C_Email'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 8
  end
  object Label10: TLabel
    Left = 16
    Top = 272
    Width = 60
    Height = 12
    Caption = '网址：'
  end
  object DBEdit10: TDBEdit
    Left = 88
    Top = 268
    Width = 310
    Height = 20
    DataField = 'C_WebSite'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 9
  end
  object Label11: TLabel
    Left = 16
    Top = 300
    Width = 36
    Height = 12
    Caption = '备注：'
  end
  object DBMemo1: TDBMemo
    Left = 88
    Top = 296
    Width = 310
    Height = 70
    DataField = 'C_Memo'
    DataSource = CustomerForm.ds_Customers
    TabOrder = 10
  end
  object Button1: TButton
    Left = 120
    Top = 380
    Width = 75
    Height = 25
    Caption = '保存'
    TabOrder = 11
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 224
    Top = 380
    Width = 75
    Height = 25
    Caption = '取消'
    ModalResult = 2
    TabOrder = 12
  end
end
