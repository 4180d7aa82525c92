object CalculatorEh: TCalculatorEh
  Left = 0
  Top = 0
  BorderStyle = bsNone
  ClientHeight = 127
  ClientWidth = 184
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  PixelsPerInch = 96
  TextHeight = 13
  object Panel1: TPanel
    Left = 6
    Top = 4
    Width = 171
    Height = 19
    BevelOuter = bvNone
    BorderWidth = 2
    Color = clWindow
    TabOrder = 0
    object TextBox: TLabel
      Left = 2
      Top = 1
      Width = 166
      Height = 17
      Alignment = taRightJustify
      AutoSize = False
      Caption = '0'
      Color = clWindow
      Layout = tlCenter
    end
  end
  object SpeedButton1: TSpeedButtonEh
    Tag = 1
    Left = 6
    Top = 29
    Width = 27
    Height = 22
    Caption = '7'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton12: TSpeedButtonEh
    Tag = 2
    Left = 35
    Top = 29
    Width = 27
    Height = 22
    Caption = '8'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton11: TSpeedButtonEh
    Tag = 3
    Left = 64
    Top = 29
    Width = 27
    Height = 22
    Caption = '9'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton16: TSpeedButtonEh
    Tag = 4
    Left = 93
    Top = 29
    Width = 27
    Height = 22
    Caption = '/'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton20: TSpeedButtonEh
    Tag = 5
    Left = 122
    Top = 29
    Width = 27
    Height = 22
    Caption = 'sqrt'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton23: TSpeedButtonEh
    Tag = 6
    Left = 151
    Top = 29
    Width = 27
    Height = 46
    Caption = 'C'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton10: TSpeedButtonEh
    Tag = 7
    Left = 6
    Top = 53
    Width = 27
    Height = 22
    Caption = '4'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton9: TSpeedButtonEh
    Tag = 8
    Left = 35
    Top = 53
    Width = 27
    Height = 22
    Caption = '5'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton8: TSpeedButtonEh
    Tag = 9
    Left = 64
    Top = 53
    Width = 27
    Height = 22
    Caption = '6'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton15: TSpeedButtonEh
    Tag = 10
    Left = 93
    Top = 53
    Width = 27
    Height = 22
    Caption = '*'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton19: TSpeedButtonEh
    Tag = 11
    Left = 122
    Top = 53
    Width = 27
    Height = 22
    Caption = '%'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton24: TSpeedButtonEh
    Tag = 12
    Left = 151
    Top = 52
    Width = 27
    Height = 23
    Caption = 'Cancel'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton7: TSpeedButtonEh
    Tag = 13
    Left = 6
    Top = 77
    Width = 27
    Height = 22
    Caption = '1'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton6: TSpeedButtonEh
    Tag = 14
    Left = 35
    Top = 77
    Width = 27
    Height = 22
    Caption = '2'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton5: TSpeedButtonEh
    Tag = 15
    Left = 64
    Top = 77
    Width = 27
    Height = 22
    Caption = '3'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton14: TSpeedButtonEh
    Tag = 16
    Left = 93
    Top = 77
    Width = 27
    Height = 22
    Caption = '-'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton18: TSpeedButtonEh
    Tag = 17
    Left = 122
    Top = 77
    Width = 27
    Height = 22
    Caption = '1/x'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton22: TSpeedButtonEh
    Tag = 18
    Left = 151
    Top = 77
    Width = 27
    Height = 22
    Caption = '<-'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton4: TSpeedButtonEh
    Tag = 19
    Left = 6
    Top = 101
    Width = 27
    Height = 22
    Caption = '0'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton3: TSpeedButtonEh
    Tag = 20
    Left = 35
    Top = 101
    Width = 27
    Height = 22
    Caption = '+/-'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton2: TSpeedButtonEh
    Tag = 21
    Left = 64
    Top = 101
    Width = 27
    Height = 22
    Caption = '.'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlue
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object SpeedButton13: TSpeedButtonEh
    Tag = 22
    Left = 93
    Top = 101
    Width = 27
    Height = 22
    Caption = '+'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
  object spEqual: TSpeedButtonEh
    Tag = 23
    Left = 122
    Top = 101
    Width = 56
    Height = 22
    Caption = 'Ok'
    Flat = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    Layout = blGlyphRight
    ParentFont = False
    Transparent = False
    OnClick = SpeedButtonClick
  end
end
