object DataForm: TDataForm
  OldCreateOrder = False
  OnCreate = DataModuleCreate
  Left = 192
  Top = 107
  Height = 300
  Width = 400
  object conn: TADOConnection
    Connected = True
    LoginPrompt = False
    Mode = cmShareDenyNone
    Provider = 'Microsoft.Jet.OLEDB.4.0'
    BeforeConnect = connBeforeConnect
  end
  object User: TADODataSet
    Connection = conn
    CursorType = ctStatic
    CommandText = 'select * from Users where U_ID = :id'
    Parameters = <
      item
        Name = 'id'
        Attributes = [paNullable]
        DataType = ftWideString
        Size = 255
      end>
  end
  object Query: TADOQuery
    Connection = conn
    Parameters = <>
  end
  object XPManifest: TXPManifest
  end
  object d_OP: TADODataSet
    Connection = conn
    CommandText = 'select * from OP'
    Parameters = <>
  end
  object ImageList1: TImageList
  end
  object cxLookAndFeelController1: TcxLookAndFeelController
    NativeStyle = True
  end
end
