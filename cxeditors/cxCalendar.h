// The month calendar and the date editor.
//
// TcxCustomCalendar paints a month of days in six weeks under a header with
// navigation arrows and the month/year caption, optional week numbers and a
// row of buttons (Today, Now, Clear, OK); in date-time mode it adds a time
// box and an analogue clock (TcxClock). Keys, the mouse, the wheel and a
// month list popup (TcxMonthListBox) move the selection and the month shown;
// choosing a date is reported to the owner. Calendar arithmetic goes through
// the locale's calendar table, colours through the look-and-feel painters.
#pragma once
#include <functional>
#include <memory>

#include "Sets.h"
#include "cxContainer.h"
#include "cxPopupEdit.h"
#include "cxControls.h"
#include "cxDateUtils.h"
#include "cxTimeEdit.h"

class TcxButton;
class TcxCustomCalendar;

enum TcxCalendarKind { ckDate, ckDateTime };
enum TDateOnError { deNoChange, deToday, deNull };
enum TcxInputKind { ikStandard, ikMask, ikRegExpr };
enum TCalendarButton { btnClear, btnNow, btnToday, btnOk };
// The buttons a date editor may show: btnClear..btnToday (bit 0 Clear,
// bit 1 Now, bit 2 Today).
using TDateButton = TCalendarButton;
using TDateButtons = TSet<TCalendarButton>;


// True for a date or number variant holding the null date.
bool cxIsNullDateValue(const Variant& Value);
// Dates the calendar can show and select.
bool cxIsDateInSupportedRange(TDateTime Date);

// ---------------------------------------------------------------------------
// The small analogue clock of the date-time calendar.

class TcxClock : public TcxControl {
  TOVANI_CLASS(TcxClock, TcxControl)
 public:
  explicit TcxClock(TComponent* AOwner = nullptr);
  TColor MinuteDotColor() const { return FMinuteDotColor; }
  void SetMinuteDotColor(TColor Value);
  // Only the time of day (the fraction) is kept.
  TDateTime Time() const { return FTime; }
  void SetTime(TDateTime Value);

 protected:
  void Paint() override;

 private:
  TColor FMinuteDotColor = clWindow;
  TDateTime FTime = 0;
};

// ---------------------------------------------------------------------------
// The month list popup opened from the calendar's month caption. With year
// arrows hidden or YearsInMonthList on it scrolls through the months of all
// years (seven at a time, auto-scrolling while the mouse is above or below
// it); otherwise it lists the months of the shown year.

class TcxMonthListBox : public TcxCustomPopupWindow {
  TOVANI_CLASS(TcxMonthListBox, TcxCustomPopupWindow)
 public:
  explicit TcxMonthListBox(TcxCustomCalendar* ACalendar);
  ~TcxMonthListBox() override;

  bool YearScrolling() const;
  Integer ItemCount() const { return FItemCount; }
  Integer ItemHeight() const { return FItemHeight; }
  Integer ItemIndex() const { return FItemIndex; }
  Integer TopMonthDelta() const { return FTopMonthDelta; }
  TcxTimer* Timer() const { return FTimer; }
  // The month (first day) of an item.
  TDateTime ItemDate(Integer AIndex) const;
  // Opens the list over the calendar's month caption.
  void ShowList();
  // Ends the list: with AAccept the hot (or clicked) month becomes the
  // calendar's month.
  void CloseList(bool AAccept);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void AdjustSizeToControls() override {}
  void CalcPosition(TPoint& P) override { P = FOrigin; }

 private:
  void SetItemIndex(Integer Value);
  void DoTimer(TObject* Sender);
  TcxCustomCalendar* FCalendar;
  TDateTime FMiddleMonth = 0;
  Integer FItemCount = 0;
  Integer FItemHeight = 0;
  Integer FItemIndex = -1;
  Integer FTopMonthDelta = 0;
  Integer FScrollDirection = 0;
  TcxTimer* FTimer;
  TPoint FOrigin;
  bool FClosing = false;
};

// ---------------------------------------------------------------------------
// The calendar.

using TcxCalendarCloseEvent = std::function<void(TObject* Sender, TcxPopupCloseReason Reason)>;

class TcxCustomCalendar : public TcxControl, public IcxMouseTrackingCaller, public IcxLookAndFeelChangeListener {
  TOVANI_CLASS(TcxCustomCalendar, TcxControl)
 public:
  explicit TcxCustomCalendar(TComponent* AOwner = nullptr);
  ~TcxCustomCalendar() override;

  // Settings (each recalculates the layout).
  bool ArrowsForYear() const { return FArrowsForYear; }
  void SetArrowsForYear(bool Value);
  TDateButtons CalendarButtons() const { return FCalendarButtons; }
  void SetCalendarButtons(TDateButtons Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  TcxCalendarKind Kind() const { return FKind; }
  void SetKind(TcxCalendarKind Value);
  bool WeekNumbers() const { return FWeekNumbers; }
  void SetWeekNumbers(bool Value);
  bool YearsInMonthList() const { return FYearsInMonthList; }
  void SetYearsInMonthList(bool Value) { FYearsInMonthList = Value; }

  // The month shown (its first day) and the selected date (null: none).
  TDateTime FirstDate() const { return FFirstDate; }
  TDateTime SelectDate() const { return FSelectDate; }
  TcxCustomCalendarTable* CalendarTable() const { return FCalendarTable.get(); }
  TcxClock* Clock() const { return FClock; }
  TcxMonthListBox* MonthList() const { return FMonthList.get(); }
  // The library's own buttons, painted in the calendar's look-and-feel.
  TcxButton* TodayButton() const { return FTodayButton; }
  TcxButton* NowButton() const { return FNowButton; }
  TcxButton* ClearButton() const { return FClearButton; }
  TcxButton* OKButton() const { return FOKButton; }
  TcxTimer* ArrowTimer() const { return FTimer; }
  // The date-time mode's time box and its time (the fraction of a day).
  TcxTimeEdit* TimeEdit() const { return FTimeEdit; }
  TDateTime TimeBoxTime() const;
  void SetTimeBoxTime(TDateTime Value);
  // 0 none, 1 the month caption, 2 the year caption.
  Integer HotTrackRegion() const { return FHotTrackRegion; }
  // Drawn through the visual styles (the themed header part): the Today
  // button's look asks for the native style and the header theme opens.
  bool IsNativeStyle() const { return FNativeStyle; }

  // Layout results, in client coordinates.
  Integer ColumnWidth() const { return FColWidth; }
  Integer RowHeight() const { return FRowHeight; }
  Integer HeaderHeight() const { return FHeaderHeight; }
  Integer ButtonWidth() const { return FButtonWidth; }
  Integer ButtonHeight() const { return FButtonHeight; }
  Integer ButtonsAreaHeight() const { return FButtonsAreaHeight; }
  Integer WeekNumberWidth() const { return FWeekNumberWidth; }
  TRect HeaderRect() const { return FHeaderRect; }
  TRect MonthCaptionRect() const { return FMonthRect; }
  TRect YearCaptionRect() const { return FYearRect; }
  // 0 previous month, 1 next month, 2 previous year, 3 next year.
  TRect ArrowRect(Integer AIndex) const { return FArrowRects[AIndex]; }
  // The client rectangle of a day cell (column 0..6, row 0..5).
  TRect DayCellRect(Integer ACol, Integer ARow) const;

  virtual void RecalculateLayout();
  virtual void UpdateHotTrack();
  virtual Integer GetTimeAreaSpacing();
  virtual TDateTime GetLastDateOfMonth();
  virtual void GetMargins(Integer& X, Integer& Y);
  virtual TDateTime GetFirstVisibleDate();
  virtual TDateTime GetLastVisibleDate();
  virtual void CalculateSize(Integer& AWidth, Integer& AHeight);
  virtual void RequestClose(TObject* Sender, TcxPopupCloseReason Reason);
  virtual TDateTime DateAtPoint(TPoint P);
  virtual void ShowMonthOf(TDateTime Date);
  virtual void ChooseDate(TDateTime Date);

  // Gives the control its computed size and places the buttons.
  void UpdateSize();
  void NotifyDateChosen();
  // Selects a date without changing the month shown.
  void SelectDay(TDateTime Date);
  void HandleButtonClick(TObject* Sender);
  // Steps the shown month: 0 previous month, 1 next month, 2 previous
  // year, 3 next year.
  void StepArrow(Integer AIndex);

  TNotifyEvent OnDateChosen;

  // The Today button's look changed (or the visual styles did).
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;

 protected:
  bool CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void CreateWnd() override;
  void DoFontChanged() override;
  void DoMouseEnter(TControl* AControl) override;
  void DoMouseLeave(TControl* AControl) override;
  void MouseLeave() override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DblClick() override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

  // The arrow under a client point (-1 none).
  Integer ArrowAt(TPoint P) const;
  bool IsArrowRepeating() const { return FTimer->Enabled(); }
  void SetSelectDate(TDateTime Value, bool ARepaint);
  void InvalidateDays();
  TRect DaysRect() const { return FDaysRect; }

 private:
  TcxButton* CreateButton(const String& ACaption, Integer ATabOrder, Integer ATag, bool ADefault);
  void DoArrowTimer(TObject* Sender);
  void SetFirstDate(TDateTime Value);
  void PlaceButtons();
  void UpdateNativeStyle();
  // The background of the header and of the date-time strip above it.
  void PaintHeaderBackground(const TRect& R);
  void PaintHeader();
  Integer TimeBoxWidth();
  Integer TimeBoxHeightOf();
  void PaintDays();
  String DayText(TDateTime Date) const;

  bool FArrowsForYear = true;
  TDateButtons FCalendarButtons{btnClear, btnToday};
  std::unique_ptr<TcxCustomCalendarTable> FCalendarTable;
  TcxButton* FClearButton = nullptr;
  TcxClock* FClock = nullptr;
  Integer FClockSize = 0;
  Integer FColWidth = 0, FDateRegionWidth = 0, FDaysOfWeekHeight = 0;
  TDateTime FFirstDate = 0;
  bool FFlat = true;
  Integer FHotTrackRegion = 0;
  TcxCalendarKind FKind = ckDate;
  std::unique_ptr<TcxMonthListBox> FMonthList;
  TcxButton* FNowButton = nullptr;
  TcxButton* FOKButton = nullptr;
  TCursor FSavedCursor = crDefault;
  Integer FRowHeight = 0;
  TDateTime FSelectDate = 0;
  Integer FSideWidth = 0;
  TcxTimeEdit* FTimeEdit = nullptr;
  TcxTimer* FTimer = nullptr;
  TcxButton* FTodayButton = nullptr;
  TRect FArrowRects[4];
  Integer FArrowCount = 0;  // arrows less one
  TRect FHeaderRect, FDaysRect, FMonthRect, FYearRect, FDayNamesRect, FButtonsRect;
  bool FWeekNumbers = false;
  Integer FWeekNumberWidth = 0;
  bool FYearsInMonthList = true;
  Integer FButtonHeight = 0, FButtonSpacing = 0, FButtonsAreaHeight = 0, FButtonWidth = 0;
  Integer FHeaderHeight = 0;
  Integer FRepeatArrow = -1;
  bool FTracking = false;
  bool FOffice11 = false;
  bool FNativeStyle = false;
};

class TcxCalendar : public TcxCustomCalendar {
  TOVANI_CLASS(TcxCalendar, TcxCustomCalendar)
 public:
  using TcxCustomCalendar::TcxCustomCalendar;
};

// ---------------------------------------------------------------------------
// The date editor: a popup editor whose drop-down is the calendar, and a
// masked editor whose mask follows the program's date format. Typed text
// becomes a date through smart input ("today", day offsets, the date
// format); an empty text is no date (Null).

class TcxCustomDateEdit;

class TcxDateEditPropertiesValues : public TcxTextEditPropertiesValues {
  TOVANI_CLASS(TcxDateEditPropertiesValues, TcxTextEditPropertiesValues)
 public:
  using TcxTextEditPropertiesValues::TcxTextEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void ResetAssigned() override;
  bool DateButtons() const { return FDateButtons; }
  void SetDateButtons(bool Value);
  bool InputKind() const { return FInputKind; }
  void SetInputKind(bool Value);

 private:
  bool FDateButtons = false, FInputKind = false;
};

class TcxCustomDateEditProperties : public TcxCustomPopupEditProperties {
  TOVANI_CLASS(TcxCustomDateEditProperties, TcxCustomPopupEditProperties)
 public:
  explicit TcxCustomDateEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  void Changed() override;

  TcxDateEditPropertiesValues* AssignedValues() const {
    return static_cast<TcxDateEditPropertiesValues*>(TcxCustomEditProperties::AssignedValues());
  }
  bool ArrowsForYear() const { return FArrowsForYear; }
  void SetArrowsForYear(bool Value) { Store(FArrowsForYear, Value); }
  // The buttons in effect: the assigned set, else by kind.
  TDateButtons DateButtons();
  void SetDateButtons(TDateButtons Value);
  TDateOnError DateOnError() const { return FDateOnError; }
  void SetDateOnError(TDateOnError Value) { Store(FDateOnError, Value); }
  // The input kind in effect: free text on calendars that are not
  // Gregorian; else the assigned kind, else a mask by kind.
  TcxInputKind InputKind();
  void SetInputKind(TcxInputKind Value);
  TcxCalendarKind Kind() const { return FKind; }
  void SetKind(TcxCalendarKind Value) { Store(FKind, Value); }
  bool SaveTime() const { return FSaveTime; }
  void SetSaveTime(bool Value) { Store(FSaveTime, Value); }
  bool ShowTime() const { return FShowTime; }
  void SetShowTime(bool Value) { Store(FShowTime, Value); }
  bool WeekNumbers() const { return FWeekNumbers; }
  void SetWeekNumbers(bool Value) { Store(FWeekNumbers, Value); }
  bool YearsInMonthList() const { return FYearsInMonthList; }
  void SetYearsInMonthList(bool Value) { Store(FYearsInMonthList, Value); }
  double MaxDate() { return GetMaxValue(); }
  void SetMaxDate(double Value) { SetMaxValue(Value); }
  double MinDate() { return GetMinValue(); }
  void SetMinDate(double Value) { SetMinValue(Value); }

  virtual char32_t GetMaskBlankChar(Integer Position);
  virtual bool GetTimePartInfo(Integer Position, TcxTimePartInfo& Info);

  // Text and value conversions.
  void UpdateEditMask();
  void GetEmptyDisplayText(bool AFocused, String& AText);
  String EmptyDisplayText(bool AFocused) {
    String S;
    GetEmptyDisplayText(AFocused, S);
    return S;
  }
  void TextToDate(const String& AText, Variant& AValue);
  bool ShowsTimePart(bool AEditFocused, TDateTime ADate);
  // The focused edit text of a date.
  String DateDisplayText(TDateTime ADate);

  TClass GetContainerClass() override;
  TcxMaskEditModeFactory GetMaskModeClass(TcxEditMaskKind AMaskKind) override;
  TcxEditPopupWindowFactory GetPopupWindowType() override;
  Integer GetDisplayFormatFlags() override { return 3; }
  bool SupportsValueRange() override { return true; }
  bool PostsOnPopupClose() override { return true; }
  bool AllowPopupShrinkToFit() override { return false; }
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override {
    return UsesFieldDisplayFormat(AEditFocused) ? evsText : evsValue;
  }
  bool IsValueBoundDefined(Integer ABound) override;
  bool HasValueBounds() override;
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  bool AcceptsDisplayText(String& ADisplayValue) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;

 private:
  template <class T>
  void Store(T& AField, const T& AValue) {
    if (AField == AValue) return;
    AField = AValue;
    Changed();
  }
  bool FArrowsForYear = true;
  TDateButtons FDateButtons;
  TDateOnError FDateOnError = deNoChange;
  TcxInputKind FInputKind = ikRegExpr;
  TcxCalendarKind FKind = ckDate;
  bool FSaveTime = true;
  bool FShowTime = true;
  bool FWeekNumbers = false;
  bool FYearsInMonthList = true;
};

class TcxDateEditProperties : public TcxCustomDateEditProperties {
  TOVANI_CLASS(TcxDateEditProperties, TcxCustomDateEditProperties)
 public:
  using TcxCustomDateEditProperties::TcxCustomDateEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxDateEditProperties(nullptr); }
};

// The standard mask mode of date masks: '0' blanks in the time's digits,
// none in its AM/PM part, spaces elsewhere.
class TcxDateEditMaskStandardMode : public TcxMaskEditStandardMode {
  TOVANI_CLASS(TcxDateEditMaskStandardMode, TcxMaskEditStandardMode)
 public:
  TcxDateEditMaskStandardMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties,
                              TcxCustomDateEditProperties* ADateProperties)
      : TcxMaskEditStandardMode(AEdit, AProperties), FDateProperties(ADateProperties) {}
  char32_t GetBlankChar(Integer Position) override;

 private:
  TcxCustomDateEditProperties* FDateProperties;
};

// The calendar inside the date editor's popup.
class TcxPopupCalendar : public TcxCustomCalendar {
  TOVANI_CLASS(TcxPopupCalendar, TcxCustomCalendar)
 public:
  explicit TcxPopupCalendar(TComponent* AOwner = nullptr) : TcxCustomCalendar(AOwner) {}
  TcxCustomDateEdit* Edit() const { return FEdit; }
  void SetEdit(TcxCustomDateEdit* Value) { FEdit = Value; }
  void UpdateHotTrack() override;
  void RequestClose(TObject* Sender, TcxPopupCloseReason Reason) override;
  TcxCalendarCloseEvent OnCloseRequest;
  // The popup window hands it the keys that close the popup.
  void ForwardKeyDown(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;

 private:
  TcxCustomDateEdit* FEdit = nullptr;
};

// The popup window: Esc, Alt+Up/Down and F4 reach the calendar also while
// one of its buttons has the focus.
class TcxDateEditPopupWindow : public TcxPopupEditPopupWindow {
  TOVANI_CLASS(TcxDateEditPopupWindow, TcxPopupEditPopupWindow)
 public:
  explicit TcxDateEditPopupWindow(TWinControl* AOwnerControl);
  virtual bool ForwardsKeyToCalendar(Word Key, TShiftState Shift);

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
};

class TcxCustomDateEdit : public TcxCustomPopupEdit {
  TOVANI_CLASS(TcxCustomDateEdit, TcxCustomPopupEdit)
 public:
  explicit TcxCustomDateEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomDateEdit() override;
  TcxCustomDateEditProperties* Properties() const {
    return static_cast<TcxCustomDateEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomDateEditProperties* ActiveProperties() {
    return static_cast<TcxCustomDateEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomDateEditProperties::StaticClass(); }

  // The date (null date for none); setting it keeps the remembered time
  // for a date without time.
  TDateTime Date() { return GetDateValue(); }
  void SetDate(TDateTime Value) { SetDateValue(Value); }
  TcxPopupCalendar* Calendar() const { return FCalendar; }
  TDateTime RememberedTime() const { return FRememberedTime; }
  void SetRememberedTime(TDateTime Value) { FRememberedTime = Value; }
  TDateTime DateAtPopup() const { return FDateAtPopup; }
  // The date of the shown text while it holds unvalidated typing, else Date.
  TDateTime GetCurrentDate();
  TDateTime TextToDateValue(const String& AText);

  virtual void CreateCalendar();
  virtual TClass GetCalendarClass();
  virtual TDateTime GetDateValue();
  virtual void SetDateValue(TDateTime Value);

  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void GetEditingValue(Variant& AValue) override;
  bool UseMaskForText() override;
  void ApplyControlText() override {}
  bool AcceptsMaskInput(char32_t& Ch, Integer Position) override;
  void DropDown() override;
  void HandleCalendarDateChosen(TObject* Sender);
  bool ValidateInput(bool ARaiseError = false) override;
  // The editor's key handling, for Tab in the popup calendar.
  void EditorKeyDown(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }

 protected:
  void InternalSetEditValue(const Variant& Value, bool AValidate) override;
  void SetDisplayValueLocked(const Variant& AValue) override;
  void ActivateResetValue() override;
  void EnforceValueRange() override;
  void BuildPopupWindow() override;
  void PreparePopup() override;
  void ConfigurePopupWindow() override;
  void HandlePopupShown() override;
  void HandlePopupClosed() override;

 private:
  TDateTime FDateAtPopup = NullDate;
  TDateTime FRememberedTime = 0;
  TcxPopupCalendar* FCalendar = nullptr;
  bool FDestroying = false;
  bool FValidatingInput = false;
};

class TcxDateEdit : public TcxCustomDateEdit {
  TOVANI_CLASS(TcxDateEdit, TcxCustomDateEdit)
 public:
  explicit TcxDateEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxDateEditProperties* Properties() const {
    return static_cast<TcxDateEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxDateEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxDateEditProperties::StaticClass(); }
};

void cxCalendarUnitStartup();
void cxCalendarUnitShutdown();
