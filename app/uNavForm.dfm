object NavForm: TNavForm
  Left = 0
  Top = 0
  Width = 640
  Height = 400
  Caption = '导航窗口'
  Color = clWindow
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 12
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 632
    Height = 121
    Align = alTop
    BevelOuter = bvNone
    Color = clWindow
    TabOrder = 0
    object BitBtn1: TBitBtn
      Left = 32
      Top = 16
      Width = 81
      Height = 81
      Caption = '产品管理'
      Layout = blGlyphTop
      TabOrder = 0
      OnClick = BitBtn1Click
    end
    object BitBtn2: TBitBtn
      Left = 128
      Top = 16
      Width = 81
      Height = 81
      Caption = '客户管理'
      Layout = blGlyphTop
      TabOrder = 1
      OnClick = BitBtn2Click
    end
    object BitBtn3: TBitBtn
      Left = 224
      Top = 16
      Width = 81
      Height = 81
      Caption = '销售管理'
      Layout = blGlyphTop
      TabOrder = 2
      OnClick = BitBtn3Click
    end
    object BitBtn4: TBitBtn
      Left = 320
      Top = 16
      Width = 81
      Height = 81
      Caption = '销售统计'
      Layout = blGlyphTop
      TabOrder = 3
      OnClick = BitBtn4Click
    end
    object BitBtn5: TBitBtn
      Left = 416
      Top = 16
      Width = 81
      Height = 81
      Caption = '用户管理'
      Layout = blGlyphTop
      TabOrder = 4
      OnClick = BitBtn5Click
    end
    object BitBtn6: TBitBtn
      Left = 512
      Top = 16
      Width = 81
      Height = 81
      Caption = '更改密码'
      Layout = blGlyphTop
      TabOrder = 5
      OnClick = BitBtn6Click
    end
  end
  object WebBrowser1: TWebBrowser
    Left = 0
    Top = 121
    Width = 632
    Height = 252
    Align = alClient
    TabOrder = 1
  end
end
