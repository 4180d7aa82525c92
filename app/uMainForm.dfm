object MainForm: TMainForm
  Left = 0
  Top = 0
  Width = 800
  Height = 600
  Caption = 'Tovani订单管理软件'
  Color = clAppWorkSpace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  FormStyle = fsMDIForm
  Menu = MainMenu1
  OldCreateOrder = False
  ShowHint = True
  WindowMenu = miWindow
  WindowState = wsMaximized
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object StatusBar: TStatusBar
    Left = 0
    Top = 535
    Width = 792
    Height = 19
    Panels = <
      item
        Width = 150
      end
      item
        Text = '提示: 就绪'
        Width = 400
      end
      item
        Width = 150
      end>
  end
  object MainMenu1: TMainMenu
    Images = DataForm.ImageList1
    Left = 24
    Top = 16
    object miSystem: TMenuItem
      Caption = '系统(&S)'
      object miPwd: TMenuItem
        Caption = '更改密码'
        OnClick = miPwdClick
      end
      object miUsers: TMenuItem
        Caption = '用户管理'
        OnClick = miUsersClick
      end
      object N3: TMenuItem
        Caption = '-'
      end
      object N4: TMenuItem
        Caption = '备份数据库'
        OnClick = N4Click
      end
      object N5: TMenuItem
        Caption = '-'
      end
      object N6: TMenuItem
        Caption = '退出系统'
        ImageIndex = 19
        OnClick = N6Click
      end
    end
    object miData: TMenuItem
      Caption = '资料(&D)'
      object miProduct: TMenuItem
        Caption = '产品管理'
        OnClick = miProductClick
      end
      object miCustomer: TMenuItem
        Caption = '客户管理'
        OnClick = miCustomerClick
      end
      object N9: TMenuItem
        Caption = '-'
      end
      object N10: TMenuItem
        Caption = '产品分类'
        OnClick = N10Click
      end
      object N11: TMenuItem
        Caption = '资料设置'
        OnClick = N11Click
      end
    end
    object miBusiness: TMenuItem
      Caption = '业务(&B)'
      object N12: TMenuItem
        Caption = '报价管理'
        OnClick = N12Click
      end
      object miSale: TMenuItem
        Caption = '销售管理'
        OnClick = miSaleClick
      end
      object N14: TMenuItem
        Caption = '-'
      end
      object miSaleStat: TMenuItem
        Caption = '销售统计'
        OnClick = miSaleStatClick
      end
    end
    object miWindow: TMenuItem
      Caption = '窗口(&W)'
      object N1: TMenuItem
        Caption = '关闭当前窗口'
        OnClick = N1Click
      end
    end
    object miHelp: TMenuItem
      Caption = '帮助(&H)'
      object N2: TMenuItem
        Caption = '访问官方网站'
        OnClick = N2Click
      end
    end
  end
  object ApplicationEvents: TApplicationEvents
    OnHint = ApplicationEventsHint
    Left = 56
    Top = 16
  end
  object SaveDialog: TSaveDialog
    DefaultExt = 'mdb'
    Filter = '数据库文件(*.mdb)|*.mdb'
    Left = 88
    Top = 16
  end
end
