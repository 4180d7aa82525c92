object PasswordForm: TPasswordForm
  Left = 300
  Top = 200
  BorderStyle = bsDialog
  Caption = '更改密码'
  ClientHeight = 150
  ClientWidth = 260
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  Position = poMainFormCenter
  PixelsPerInch = 96
  TextHeight = 12
  object Label1: TLabel
    Left = 24
    Top = 20
    Width = 48
    Height = 12
    Caption = '旧密码：'
  end
  object Label2: TLabel
    Left = 24
    Top = 48
    Width = 48
    Height = 12
    Caption = '新密码：'
  end
  object Label3: TLabel
    Left = 24
    Top = 76
    Width = 60
    Height = 12
    Caption = '确认密码：'
  end
  object edtOldPwd: TEdit
    Left = 88
    Top = 16
    Width = 145
    Height = 20
    PasswordChar = '*'
    TabOrder = 0
    OnKeyPress = edtOldPwdKeyPress
  end
  object edtNewPwd: TEdit
    Left = 88
    Top = 44
    Width = 145
    Height = 20
    PasswordChar = '*'
    TabOrder = 1
    OnKeyPress = edtNewPwdKeyPress
  end
  object edtNewPwd1: TEdit
    Left = 88
    Top = 72
    Width = 145
    Height = 20
    PasswordChar = '*'
    TabOrder = 2
    OnKeyPress = edtNewPwd1KeyPress
  end
  object Button1: TButton
    Left = 56
    Top = 112
    Width = 75
    Height = 25
    Caption = '更改密码'
    TabOrder = 3
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 144
    Top = 112
    Width = 75
    Height = 25
    Caption = '退出'
    ModalResult = 2
    TabOrder = 4
  end
end
