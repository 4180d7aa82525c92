object PaymentForm: TPaymentForm
  Left = 200
  Top = 120
  BorderStyle = bsDialog
  Caption = '收款; 现金'
  ClientHeight = 90
  ClientWidth = 240
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Height = -12
  Font.Name = '宋体'
  Position = poScreenCenter
  object lblAmount: TLabel
    Left = 12
    Top = 16
    Width = 48
    Height = 12
    Caption = '金额：'
  end
  object edAmount: TEdit
    Left = 70
    Top = 12
    Width = 150
    Height = 20
    TabOrder = 0
    Text = '100.00'
  end
  object btnOK: TButton
    Left = 70
    Top = 52
    Width = 75
    Height = 25
    Caption = '确定'
    Default = True
    ModalResult = 1
    TabOrder = 1
  end
end
