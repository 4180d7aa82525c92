// The memo editor: the multi-line member of the text-editor family. It
// types in a multi-line Windows edit laid inside it, with scroll bars,
// Enter and Tab handling, word wrap and a visible line count; its value is
// the text with CR LF line breaks.
#pragma once
#include <memory>
#include <string>

#include "cxEditRepositoryItems.h"
#include "cxFilterControlUtils.h"
#include "cxTextEdit.h"

class TStrings;

class TcxCustomMemoProperties : public TcxCustomTextEditProperties {
  TOVANI_CLASS(TcxCustomMemoProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomMemoProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  TClass GetContainerClass() override;
  bool WantsTabKey() override { return FWantTabs; }
  // Not full: cut at the first line break within 250 characters; at most 250 either way.
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override;
  bool IsMultiLine() override { return true; }
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                        bool APreviewMode = false) override;

  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value) { TcxCustomEditProperties::Store(FScrollBars, Value); }
  Integer VisibleLineCount() const { return FVisibleLineCount; }
  void SetVisibleLineCount(Integer Value) { TcxCustomEditProperties::Store(FVisibleLineCount, Value < 0 ? 0 : Value); }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { TcxCustomEditProperties::Store(FWantReturns, Value); }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { TcxCustomEditProperties::Store(FWantTabs, Value); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { TcxCustomEditProperties::Store(FWordWrap, Value); }

 private:
  TScrollStyle FScrollBars = ssNone;
  Integer FVisibleLineCount = 0;
  bool FWantReturns = true, FWantTabs = false, FWordWrap = true;
};

// The memo painted without its edit window (in place, or where the editor
// paints its value): the text editor's drawing, given the memo's layout
// (word-wrapped lines up to the visible line count) by its view data.
class TcxCustomMemoViewInfo : public TcxCustomTextEditViewInfo {
  TOVANI_CLASS(TcxCustomMemoViewInfo, TcxCustomTextEditViewInfo)
};

class TcxCustomMemoViewData : public TcxCustomTextEditViewData {
  TOVANI_CLASS(TcxCustomMemoViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  TcxCustomMemoProperties* MemoProperties() const { return static_cast<TcxCustomMemoProperties*>(Properties); }
  // A horizontal scroll bar of the editor adds to the fixed height; a
  // visible line count sets the least content height.
  void GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace, const TcxEditSizeProperties& ASizeProperties,
                        TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize, TSize& AFixedSize) override;
  TSize GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                           const TcxEditSizeProperties& ASizeProperties) override;
  // The text margins taken together.
  TSize GetTextOffsetsSize() override;
  Integer GetMaxLineCount() override;
  Cardinal GetDrawTextFlags() override;
  void GetTextRect(TRect& AInsets) override;
};

class TcxMemoProperties : public TcxCustomMemoProperties {
  TOVANI_CLASS(TcxMemoProperties, TcxCustomMemoProperties)
 public:
  explicit TcxMemoProperties(TPersistent* AOwner = nullptr) : TcxCustomMemoProperties(AOwner) {}
};

class TcxCustomMemo : public TcxCustomTextEdit {
  TOVANI_CLASS(TcxCustomMemo, TcxCustomTextEdit)
 public:
  explicit TcxCustomMemo(TComponent* AOwner = nullptr, bool AIsInplace = false,
                         const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomMemo() override;
  TcxCustomMemoProperties* ActiveProperties() {
    return static_cast<TcxCustomMemoProperties*>(GetEffectiveProperties());
  }
  TcxCustomMemoProperties* Properties() const {
    return static_cast<TcxCustomMemoProperties*>(TcxCustomEdit::Properties());
  }
  // The lines of the text, live: changing them changes the value; SetLines
  // replaces them.
  TStrings* Lines();
  void SetLines(TStrings* Value);
  // The caret as column (X) and line (Y).
  TPoint CaretPos();
  void SetCaretPos(const TPoint& Value);
  // Enter counts as memo text with WantReturns or Ctrl, Tab with WantTabs
  // (or always when asked).
  virtual bool IsMemoTextKey(Word Key, TShiftState Shift, bool ATabAlways);
  void SetSelText(const String& Value) override;
  void PasteFromClipboard() override;

  void AdjustInnerEditParams(TCreateParams& Params) override;
  bool InnerAcceptsTab() override { return ActiveProperties()->WantTabs(); }
  bool InnerAcceptsReturn() override { return ActiveProperties()->WantReturns(); }
  bool InnerEditMessage(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void PlaceInnerEdit() override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  using TcxCustomTextEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  bool IsEditorKey(Word Key, TShiftState Shift) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char32_t& Key) override;
  bool CanAutoSize() override;
  bool CanSendActivationKey(char32_t AKey) override { return AKey != U'\r'; }
  bool WantsTabKey() override { return IsInplace() || ActiveProperties()->WantTabs(); }
  void InnerKeyDownDone(Word AKey, const TcxCustomInnerTextEditPrevState& AState, bool AEditorHandled) override;
  void InnerEditWindowCreated() override { UpdateOwnScrollBarsLater(); }
  // In place with word wrap the edit window is emptied before it takes new
  // text, so that it shows the new text from its first line.
  void WriteInnerText(const String& AText) override;
  void Dispatch(TMessage& Message) override;

  // The memo's own scroll bars lie over those of its edit window, once its
  // properties have given the window scroll bars.
  bool HasScrollBars() override;
  bool CanScrollWithoutScrollBars(TcxDirection ADirection) override {
    return ADirection == dirUp || ADirection == dirDown;
  }
  void ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) override;

 private:
  // The edit window's non-client area is painted without its own scroll
  // bars while the memo's lie over them; the corner between them takes
  // the size grip's colour.
  void PaintInnerNonClient(TMessage& Message);
  // Asks for the own scroll bars to follow the edit window (when there are any).
  void UpdateOwnScrollBarsLater() {
    if (HasScrollBars()) PostScrollBarsUpdate();
  }
  std::unique_ptr<TStrings> FLines;
  bool FScrollBarsApplied = false;
  TScrollStyle FAppliedScrollBars = ssNone;
  bool FAppliedWordWrap = true, FAppliedWantReturns = true;
  bool FPlacingInner = false;
  // Set while an Escape key goes through the edit window's handling.
  bool FEscapePressed = false;
};

class TcxMemo : public TcxCustomMemo {
  TOVANI_CLASS(TcxMemo, TcxCustomMemo)
 public:
  explicit TcxMemo(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxMemoProperties* Properties() const { return static_cast<TcxMemoProperties*>(TcxCustomEdit::Properties()); }
};

CX_EDIT_REPOSITORY_ITEM(TcxEditRepositoryMemoItem, TcxMemoProperties)

class TcxFilterMemoHelper : public TcxFilterTextEditHelper {
  TOVANI_CLASS(TcxFilterMemoHelper, TcxFilterTextEditHelper)
 public:
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties* AProperties, TcxValueTypeClass AValueTypeClass,
                                             bool AExtended) const override;
};

// Pasted text: an LF followed by CR becomes two line breaks (CR LF CR LF);
// CR LF pairs and lone CR or LF stay as they are.
String cxNormalizeMemoLineBreaks(const String& AText);
std::u16string cxNormalizeMemoLineBreaks(const std::u16string& AText);

void cxMemoUnitStartup();
void cxMemoUnitShutdown();
