object LoginForm: TLoginForm
  Left = 300
  Top = 200
  BorderStyle = bsDialog
  Caption = '用户登录'
  ClientHeight = 138
  ClientWidth = 280
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
  PixelsPerInch = 96
  TextHeight = 12
  object Image1: TImage
    Left = 16
    Top = 16
    Width = 32
    Height = 32
    Transparent = True
  end
  object Label1: TLabel
    Left = 64
    Top = 20
    Width = 36
    Height = 12
    Caption = '用户：'
  end
  object Label2: TLabel
    Left = 64
    Top = 52
    Width = 36
    Height = 12
    Caption = '密码：'
  end
  object Label3: TLabel
    Left = 64
    Top = 80
    Width = 190
    Height = 12
    Caption = '[管理员]初始密码：3627'
    Font.Charset = GB2312_CHARSET
    Font.Color = clBlue
    Font.Height = -12
    Font.Name = '宋体'
    Font.Style = []
    ParentFont = False
  end
  object UserName: TComboBox
    Left = 104
    Top = 16
    Width = 153
    Height = 20
    ItemHeight = 12
    TabOrder = 0
    OnKeyPress = UserNameKeyPress
  end
  object Password: TEdit
    Left = 104
    Top = 48
    Width = 153
    Height = 20
    PasswordChar = '*'
    TabOrder = 1
    OnKeyPress = PasswordKeyPress
  end
  object btnLogin: TButton
    Left = 104
    Top = 104
    Width = 70
    Height = 25
    Caption = '登录'
    TabOrder = 2
    OnClick = btnLoginClick
  end
  object btnExit: TButton
    Left = 187
    Top = 104
    Width = 70
    Height = 25
    Caption = '退出'
    ModalResult = 2
    TabOrder = 3
  end
  object d_Users: TADODataSet
    Connection = DataForm.conn
    CursorType = ctStatic
    CommandText = 'select * from Users'
    Parameters = <>
  end
end
