// The hyperlink editor: a text editor whose text is shown as an underlined
// link and can be started (a start key, a double click or, with
// SingleClick, a click): the text, with a prefix such as "http://" put in
// front when it lacks one, goes to the desktop's opener. Only web and mail
// addresses (http, https, mailto) are ever handed to it; any other text is
// refused, so typed text can never run a program or open a local file.
#pragma once
#include <functional>

#include "TypInfo.h"
#include "cxTextEdit.h"

enum TcxHyperLinkEditUsePrefix { upAlways, upOnlyOnExecute, upNever };
TOVANI_ENUM_INFO(TcxHyperLinkEditUsePrefix)

// The address the desktop opener gets; replaceable for tests. The default
// hands it to ShellExecute with the verb "open".
using TcxHyperLinkOpener = std::function<void(const String& AURL)>;
void cxSetHyperLinkOpener(TcxHyperLinkOpener AOpener);
// An address the editor may open: http://, https:// (with a host) or
// mailto: (with an address), no blanks, quotes or control characters.
bool cxIsOpenableHyperLink(const String& AText);

class TcxCustomHyperLinkEditProperties : public TcxCustomTextEditProperties {
  TOVANI_CLASS(TcxCustomHyperLinkEditProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomHyperLinkEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  bool AutoComplete() const { return FUsePrefix != upNever; }
  void SetAutoComplete(bool Value) { SetUsePrefix(Value ? upAlways : upNever); }
  TColor LinkColor() const { return FLinkColor; }
  void SetLinkColor(TColor Value);
  const String& Prefix() const { return FPrefix; }
  void SetPrefix(const String& Value) { FPrefix = Value; }
  bool SingleClick() const { return FSingleClick; }
  void SetSingleClick(bool Value);
  TShortCut StartKey() const { return FStartKey; }
  void SetStartKey(TShortCut Value) { FStartKey = Value; }
  TcxHyperLinkEditUsePrefix UsePrefix() const { return FUsePrefix; }
  void SetUsePrefix(TcxHyperLinkEditUsePrefix Value) { FUsePrefix = Value; }

  // Text trimmed, with the prefix in front when it does not begin with it.
  virtual void AddPrefixTo(const String& AText, String& AResult);

  TClass GetContainerClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxContainerStyleFactory GetStyleFactory() override;
  bool CanValidate() override { return true; }
  Integer GetViewOptions() override;
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;

  TNotifyEvent OnStartClick;

 private:
  bool FSingleClick = false;
  TColor FLinkColor = clBlue;
  String FPrefix;
  TShortCut FStartKey = 16397;  // Ctrl+Enter
  TcxHyperLinkEditUsePrefix FUsePrefix = upAlways;
};

// The link look of a hyperlink editor's style: the text colour is the
// editor's LinkColor (a style painting without an editor keeps its own
// colour) and the text is always underlined.
class TcxHyperLinkStyle : public TcxEditStyle {
  TOVANI_CLASS(TcxHyperLinkStyle, TcxEditStyle)
 public:
  using TcxEditStyle::TcxEditStyle;
  static TcxContainerStyleFactory Factory();
  TColor TextColor() override;
  TFontStyles TextStyle() override;
};

// Paints a hyperlink editor: a skin never recolours the link, and with
// SingleClick the whole editor reacts like a button.
class TcxHyperLinkEditViewInfo : public TcxCustomTextEditViewInfo {
  TOVANI_CLASS(TcxHyperLinkEditViewInfo, TcxCustomTextEditViewInfo)
 public:
  // Set by a host painting a selected cell: the link takes the cell's text
  // colour instead of LinkColor.
  bool Selected = false;
  void GetSkinColors(TColor& ABackgroundColor, TColor& ATextColor) override;
  bool HasHotButton() override;
  bool IsPointOnButton(TPoint P) override;
  void DrawText(TcxCanvas* ACanvas) override;

 private:
  bool SingleClick();
};

class TcxHyperLinkEditProperties : public TcxCustomHyperLinkEditProperties {
  TOVANI_CLASS(TcxHyperLinkEditProperties, TcxCustomHyperLinkEditProperties)
 public:
  using TcxCustomHyperLinkEditProperties::TcxCustomHyperLinkEditProperties;
};

class TcxCustomHyperLinkEdit : public TcxCustomTextEdit {
  TOVANI_CLASS(TcxCustomHyperLinkEdit, TcxCustomTextEdit)
 public:
  explicit TcxCustomHyperLinkEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                                  const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomHyperLinkEditProperties* Properties() const {
    return static_cast<TcxCustomHyperLinkEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomHyperLinkEditProperties* ActiveProperties() {
    return static_cast<TcxCustomHyperLinkEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomHyperLinkEditProperties::StaticClass(); }
  TcxHyperLinkStyle* Style() const { return static_cast<TcxHyperLinkStyle*>(TcxCustomEdit::Style()); }

  // Starts the link; true when an address went to the opener or a
  // start handler took it.
  virtual bool DoStart();
  void SelectAll() override;

 protected:
  using TcxCustomTextEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoMouseEnter(TControl* AControl) override;
  void DoMouseLeave(TControl* AControl) override;

 public:
  void ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) override;

 private:
  // With SingleClick the editor shows the hand cursor while the mouse is
  // over it (unless a cursor of its own is set).
  void ShowHandCursor();
  TCursor FSavedCursor = crDefault;
  bool FHandCursor = false;
};

class TcxHyperLinkEdit : public TcxCustomHyperLinkEdit {
  TOVANI_CLASS(TcxHyperLinkEdit, TcxCustomHyperLinkEdit)
 public:
  explicit TcxHyperLinkEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxHyperLinkEditProperties* Properties() const {
    return static_cast<TcxHyperLinkEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxHyperLinkEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxHyperLinkEditProperties::StaticClass(); }
};

void cxHyperLinkEditUnitStartup();
void cxHyperLinkEditUnitShutdown();
