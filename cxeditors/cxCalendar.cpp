// The month calendar, its clock and its month list.
#include "cxCalendar.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "Variant.h"
#include "cxButtons.h"
#include "cxClasses.h"
#include "cxFormats.h"
#include "cxGeometry.h"
#include "cxLookAndFeelPainters.h"
#include "dxThemeManager.h"

TOVANI_IMPLEMENT_CLASS(TcxClock, TcxControl)
TOVANI_IMPLEMENT_CLASS(TcxMonthListBox, TcxCustomPopupWindow)
TOVANI_IMPLEMENT_CLASS(TcxCustomCalendar, TcxControl)
TOVANI_IMPLEMENT_CLASS(TcxCalendar, TcxCustomCalendar)

namespace {
const TcxResourceString cxSDateToday{"Today"};
const TcxResourceString cxSDateNow{"Now"};
const TcxResourceString cxSDateClear{"Clear"};
const TcxResourceString cxSDateOK{"OK"};

bool PtIn(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

// The weekday (0 Sunday .. 6 Saturday) of the calendar's column.
Integer ColumnWeekday(Integer ACol) { return (cxGetFormatController()->FirstDayOfWeek + ACol) % 7; }
}  // namespace

bool cxIsNullDateValue(const Variant& Value) {
  if (!(VarIsType(Value, varDate) || VarIsNumeric(Value))) return false;
  return Value.AsDouble() == NullDate;
}

bool cxIsDateInSupportedRange(TDateTime Date) {
  return Date >= cxMinSupportedDate() && Date < cxMaxDateTime + 1;
}

// ---------------------------------------------------------------------------
// Clock

TcxClock::TcxClock(TComponent* AOwner) : TcxControl(AOwner) {
  SetControlStyle(ControlStyle() + csOpaque);
  SetWidth(60);
  SetHeight(60);
}

void TcxClock::SetMinuteDotColor(TColor Value) {
  if (FMinuteDotColor == Value) return;
  FMinuteDotColor = Value;
  Invalidate();
}

void TcxClock::SetTime(TDateTime Value) {
  Value = std::fabs(Value - std::trunc(Value));
  if (FTime == Value) return;
  FTime = Value;
  Invalidate();
}

void TcxClock::Paint() {
  GetPainter()->PaintClock(cxCanvas(), ClientRect(), FTime, Color(), FMinuteDotColor);
}

// ---------------------------------------------------------------------------
// Month list

TcxMonthListBox::TcxMonthListBox(TcxCustomCalendar* ACalendar)
    : TcxCustomPopupWindow(ACalendar), FCalendar(ACalendar) {
  SetControlStyle(ControlStyle() + csCaptureMouse + csOpaque);
  SetCaptureFocus(false);
  SetIsTopMost(true);
  SetPopupBorderStyle(pwfNone);
  FTimer = new TcxTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(200);
  FTimer->SetOnTimer([this](TObject* Sender) { DoTimer(Sender); });
}

TcxMonthListBox::~TcxMonthListBox() { FTimer->SetEnabled(false); }

void TcxMonthListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style |= CS_SAVEBITS;
}

bool TcxMonthListBox::YearScrolling() const { return !FCalendar->ArrowsForYear() || FCalendar->YearsInMonthList(); }

TDateTime TcxMonthListBox::ItemDate(Integer AIndex) const {
  return FCalendar->CalendarTable()->ShiftMonths(FMiddleMonth, FTopMonthDelta + AIndex);
}

void TcxMonthListBox::ShowList() {
  TcxCustomCalendarTable* T = FCalendar->CalendarTable();
  FMiddleMonth = FCalendar->FirstDate();
  const TcxCalendarDateTimeParts P = T->SplitDate(FMiddleMonth);
  if (YearScrolling()) {
    FItemCount = 7;
    FTopMonthDelta = -3;
  } else {
    FItemCount = T->MonthCount(P.Era, P.Year);
    FTopMonthDelta = 1 - P.Month;
  }
  Font()->Assign(FCalendar->Font());
  FItemHeight = FCalendar->HeaderHeight() - 2;
  const Integer W = 6 * FCalendar->ColumnWidth() + 2;
  const Integer H = FItemCount * FItemHeight + 2;
  SetWidth(W);
  SetHeight(H);
  const TRect R = FCalendar->MonthCaptionRect();
  const TPoint C = FCalendar->ClientToScreen(TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2));
  FOrigin = TPoint(C.X - W / 2, C.Y - H / 2);
  FItemIndex = -1;
  FScrollDirection = 0;
  Popup(nullptr);
  SetBounds(FOrigin.X, FOrigin.Y, W, H);
  SetCapture(Handle());
}

void TcxMonthListBox::CloseList(bool AAccept) {
  if (FClosing) return;
  FClosing = true;
  FTimer->SetEnabled(false);
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  const Integer Index = FItemIndex;
  const TDateTime Month = Index >= 0 ? ItemDate(Index) : 0;
  if (IsOpen()) ClosePopup();
  else if (Visible()) Hide();
  FClosing = false;
  if (AAccept && Index >= 0) FCalendar->ShowMonthOf(Month);
}

void TcxMonthListBox::SetItemIndex(Integer Value) {
  if (FItemIndex == Value) return;
  FItemIndex = Value;
  Invalidate();
}

void TcxMonthListBox::Paint() {
  TcxCanvas* C = cxCanvas();
  const TRect R = ClientRect();
  C->SetFont(Font());
  C->DrawRectBorders(R, clBlack, 1, cxBordersAll);
  TcxCustomCalendarTable* T = FCalendar->CalendarTable();
  for (Integer I = 0; I < FItemCount; ++I) {
    const TRect IR(1, 1 + I * FItemHeight, R.Right - 1, 1 + (I + 1) * FItemHeight);
    const bool Hot = I == FItemIndex;
    C->FillRectColor(IR, Hot ? clWindowText : FCalendar->Color());
    const TDateTime D = ItemDate(I);
    String Text;
    if (T->HasDate(D)) Text = YearScrolling() ? cxDateMonthYearCaption(T, D) : cxDateLongMonthName(T, D);
    C->Font()->SetColor(Hot ? FCalendar->Color() : clWindowText);
    C->Brush()->SetStyle(bsClear);
    C->PaintText(Text, IR, cxtfHCenter | cxtfVCenter | cxtfSingleLine);
    C->Brush()->SetStyle(bsSolid);
  }
}

void TcxMonthListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  const TRect R = ClientRect();
  if (X >= 0 && X < R.Right && Y >= 1 && Y < 1 + FItemCount * FItemHeight) {
    FTimer->SetEnabled(false);
    FScrollDirection = 0;
    SetItemIndex((Y - 1) / std::max(1, FItemHeight));
    return;
  }
  SetItemIndex(-1);
  if (!YearScrolling() || X < 0 || X >= R.Right) {
    FTimer->SetEnabled(false);
    return;
  }
  // Above or below the list: scroll one month per tick, faster the farther
  // the cursor is.
  Integer Distance;
  if (Y < 0) {
    FScrollDirection = -1;
    Distance = -Y / std::max(1, FItemHeight);
  } else {
    FScrollDirection = 1;
    Distance = (Y - R.Bottom) / std::max(1, FItemHeight);
  }
  static const Cardinal kIntervals[] = {500, 250, 100, 50};
  FTimer->SetInterval(kIntervals[std::min<Integer>(std::max<Integer>(Distance, 0), 3)]);
  FTimer->SetEnabled(true);
}

void TcxMonthListBox::DoTimer(TObject*) {
  if (FScrollDirection == 0) return;
  FTopMonthDelta += FScrollDirection;
  Invalidate();
}

void TcxMonthListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (YearScrolling()) {
    CloseList(true);
    return;
  }
  // Months of one year: a click on an item takes it; elsewhere the list
  // closes without a choice.
  CloseList(FItemIndex >= 0);
}

void TcxMonthListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_CAPTURECHANGED && !FClosing && IsOpen()) {
    inherited::Dispatch(Message);
    CloseList(false);
    return;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Calendar

TcxCustomCalendar::TcxCustomCalendar(TComponent* AOwner) : TcxControl(AOwner) {
  FCalendarTable = cxCreateLocaleCalendarTable();
  FFirstDate = FCalendarTable->JoinDate([&] {
    TcxCalendarDateTimeParts P = FCalendarTable->SplitDate(Date());
    P.Day = 1;
    P.Hour = P.Minute = P.Second = 0;
    P.Millisecond = 0;
    return P;
  }());
  FSelectDate = Date();
  SetWidth(20);
  SetHeight(20);
  SetControlStyle(ControlStyle() + csCaptureMouse + csOpaque);
  SetWantedKeys({wkAllKeys, wkArrows, wkChars, wkTab});
  FTodayButton = CreateButton(cxLoadResourceText(cxSDateToday), 1, 2, false);
  FNowButton = CreateButton(cxLoadResourceText(cxSDateNow), 2, 1, false);
  FClearButton = CreateButton(cxLoadResourceText(cxSDateClear), 3, 0, false);
  FOKButton = CreateButton(cxLoadResourceText(cxSDateOK), 4, 3, true);
  FTimeEdit = new TcxTimeEdit(this);
  FTimeEdit->Properties()->SetCircular(true);
  FTimeEdit->SetTabOrder(0);
  FTimeEdit->SetVisible(false);
  FTimeEdit->SetTime(0);
  FTimeEdit->Style()->LookAndFeel()->SetMaster(LookAndFeel());
  // The clock and the header strip follow the time box.
  FTimeEdit->Properties()->OnChange = [this](TObject*) {
    FClock->SetTime(FTimeEdit->Time());
    if (HandleAllocated()) InvalidateRect(TRect(0, 0, Width(), FHeaderRect.Top), false);
  };
  FClock = new TcxClock(this);
  FClock->SetVisible(false);
  FClock->LookAndFeel()->SetMaster(FOKButton->LookAndFeel());
  FMonthList = std::make_unique<TcxMonthListBox>(this);
  FTimer = new TcxTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(200);
  FTimer->SetOnTimer([this](TObject* Sender) { DoArrowTimer(Sender); });
  // The Today button's look decides whether the calendar draws themed; a
  // change of the visual styles reaches it as a change of that look too.
  FTodayButton->LookAndFeel()->RegisterChangeListener(this);
  UpdateNativeStyle();
}

TcxCustomCalendar::~TcxCustomCalendar() {
  FTodayButton->LookAndFeel()->UnregisterChangeListener(this);
  FTimer->SetEnabled(false);
  cxEndMouseLeaveTracking(this);
  FMonthList.reset();
}

TcxButton* TcxCustomCalendar::CreateButton(const String& ACaption, Integer ATabOrder, Integer ATag, bool ADefault) {
  auto* B = new TcxButton(this);
  // Painted by the library in the calendar's look, not by the system.
  B->SetUseSystemPaint(false);
  B->LookAndFeel()->SetMaster(LookAndFeel());
  B->SetCaption(ACaption);
  B->SetTabOrder(ATabOrder);
  B->SetTag(ATag);
  B->SetDefault(ADefault);
  B->SetVisible(false);
  B->OnClick = [this](TObject* Sender) { HandleButtonClick(Sender); };
  return B;
}

void TcxCustomCalendar::MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { UpdateNativeStyle(); }

void TcxCustomCalendar::UpdateNativeStyle() {
  const bool Native = FTodayButton->LookAndFeel()->NativeStyle() && dxCanUseTheme(totHeader);
  if (FNativeStyle == Native) return;
  FNativeStyle = Native;
  Invalidate();
}

void TcxCustomCalendar::CreateWnd() {
  inherited::CreateWnd();
  for (TWinControl* C : {static_cast<TWinControl*>(FTodayButton), static_cast<TWinControl*>(FNowButton),
                         static_cast<TWinControl*>(FClearButton), static_cast<TWinControl*>(FOKButton),
                         static_cast<TWinControl*>(FClock), static_cast<TWinControl*>(FTimeEdit)})
    C->SetParent(this);
  RecalculateLayout();
}

void TcxCustomCalendar::SetArrowsForYear(bool Value) {
  if (FArrowsForYear == Value) return;
  FArrowsForYear = Value;
  RecalculateLayout();
}

void TcxCustomCalendar::SetCalendarButtons(TDateButtons Value) {
  if (FCalendarButtons == Value) return;
  FCalendarButtons = Value;
  RecalculateLayout();
}

void TcxCustomCalendar::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  RecalculateLayout();
}

void TcxCustomCalendar::SetKind(TcxCalendarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (FKind == ckDateTime)
    SetControlStyle(ControlStyle() + csClickEvents + csDoubleClicks);
  else
    SetControlStyle(ControlStyle() - csClickEvents - csDoubleClicks);
  RecalculateLayout();
}

void TcxCustomCalendar::SetWeekNumbers(bool Value) {
  if (FWeekNumbers == Value) return;
  FWeekNumbers = Value;
  RecalculateLayout();
}

TDateTime TcxCustomCalendar::TimeBoxTime() const { return FClock->Time(); }

void TcxCustomCalendar::SetTimeBoxTime(TDateTime Value) {
  FTimeEdit->SetTime(Value);
  FClock->SetTime(Value);
  if (FKind == ckDateTime && HandleAllocated()) InvalidateRect(TRect(0, 0, Width(), FHeaderRect.Top), false);
}

Integer TcxCustomCalendar::TimeBoxWidth() {
  // The text of a time and one "0", with room for the spin buttons.
  return cxCanvas()->TextWidth(FormatDateTime("hh:nn:ss", 0.5) + "0") + 2 * FColWidth;
}

Integer TcxCustomCalendar::TimeBoxHeightOf() { return FRowHeight + 6; }

void TcxCustomCalendar::DoFontChanged() {
  inherited::DoFontChanged();
  RecalculateLayout();
}

Integer TcxCustomCalendar::GetTimeAreaSpacing() { return Font()->Size() / 2; }

void TcxCustomCalendar::GetMargins(Integer& X, Integer& Y) { X = Y = MulDiv(Font()->Size(), 3, 4); }

TDateTime TcxCustomCalendar::GetLastDateOfMonth() {
  return FCalendarTable->ShiftMonths(FFirstDate, 1) - 1;
}

TDateTime TcxCustomCalendar::GetFirstVisibleDate() {
  const Integer Pos = cxWeekdayIndex(FFirstDate);
  return FFirstDate - (Pos == 0 ? 7 : Pos);
}

TDateTime TcxCustomCalendar::GetLastVisibleDate() { return GetFirstVisibleDate() + 41; }

void TcxCustomCalendar::CalculateSize(Integer& AWidth, Integer& AHeight) {
  Integer MX, MY;
  GetMargins(MX, MY);
  const bool ShowsButtons =
      FKind == ckDateTime || FCalendarButtons.Contains(btnToday) || FCalendarButtons.Contains(btnClear);
  AHeight = FDaysOfWeekHeight + 6 * FRowHeight + FHeaderHeight + 1;
  if (ShowsButtons) AHeight += FButtonsAreaHeight;
  AHeight += FKind == ckDateTime ? MY + FHeaderHeight + GetTimeAreaSpacing() : 1;
  if (FKind == ckDate && FOffice11) AHeight += 2;
  AWidth = FDateRegionWidth;
  if (FKind == ckDateTime) {
    const Integer Spacing = GetTimeAreaSpacing();
    const Integer TimeText = TimeBoxWidth();
    AWidth += 2 * MX + FColWidth + 2 * Spacing + std::max(FClockSize, TimeText);
  }
}

void TcxCustomCalendar::RecalculateLayout() {
  if (!HandleAllocated()) return;
  TcxCanvas* C = cxCanvas();
  FOffice11 = GetPainter() && GetPainter()->GetPainterStyle() == pstOffice11;
  // Tab moves between the popup's controls only in date-time mode.
  const bool DT = FKind == ckDateTime;
  for (TButton* B : {FTodayButton, FNowButton, FClearButton, FOKButton}) B->SetTabStop(DT);
  FTimeEdit->SetTabStop(DT);
  TcxWantedKeys Keys = WantedKeys();
  if (DT) Keys.Exclude(wkTab);
  else Keys.Include(wkTab);
  SetWantedKeys(Keys);

  std::unique_ptr<TFont> Small = std::make_unique<TFont>();
  Small->Assign(Font());
  Small->SetSize(std::max(1, Font()->Size() * 2 / 3));
  C->SetFont(Small.get());
  FWeekNumberWidth = C->TextWidth("99");
  C->SetFont(Font());
  const TSize Zero = C->TextExtent("0");
  FColWidth = 3 * Zero.cx;
  FSideWidth = 2 * Zero.cx;
  FRowHeight = Zero.cy + 2;
  FHeaderHeight = Zero.cy + 5 - (FKind == ckDate && FOffice11 ? 1 : 0);
  FDaysOfWeekHeight = FRowHeight + 1;

  Integer Widest = 0;
  auto Consider = [&](TButton* B) { Widest = std::max(Widest, C->TextWidth(B->Caption())); };
  if (DT) {
    if (FCalendarButtons.Contains(btnToday)) Consider(FTodayButton);
    if (FCalendarButtons.Contains(btnNow)) Consider(FNowButton);
    if (FCalendarButtons.Contains(btnClear)) Consider(FClearButton);
    Consider(FOKButton);
  } else {
    if (FCalendarButtons.Contains(btnToday)) Consider(FTodayButton);
    if (FCalendarButtons.Contains(btnClear)) Consider(FClearButton);
  }
  FButtonWidth = Widest + FColWidth;
  FButtonSpacing = Font()->Size() / 2;
  const Integer WgHeight = C->TextHeight("Wg");
  FButtonHeight = MulDiv(WgHeight, 20, 13) + 1;
  if (DT) {
    Integer A = MulDiv(Font()->Size(), 5, 4);
    FButtonsAreaHeight = A + 1 + (A % 2 ? 1 : 0) + FButtonHeight;
  } else {
    FButtonsAreaHeight = MulDiv(Font()->Size(), 3, 4) + MulDiv(WgHeight, 20, 13) + FButtonSpacing;
  }
  const Integer WeekArea = FWeekNumbers ? FWeekNumberWidth + 5 : 0;
  FDateRegionWidth = WeekArea + 2 * FSideWidth + 7 * FColWidth;

  Integer MX, MY;
  GetMargins(MX, MY);
  // The date-time mode shows its header strip (date and time) above the
  // month header.
  Integer Top = FKind == ckDate && FOffice11 ? 2 : 0;
  Integer Left = 0;
  if (DT) {
    Top = MY + FHeaderHeight + GetTimeAreaSpacing();
    Left = MX;
  }
  FHeaderRect = TRect(Left, Top, Left + FDateRegionWidth, Top + FHeaderHeight);
  FDayNamesRect = TRect(Left, FHeaderRect.Bottom, Left + FDateRegionWidth, FHeaderRect.Bottom + FDaysOfWeekHeight);
  FDaysRect = TRect(Left + FSideWidth + WeekArea, FDayNamesRect.Bottom, Left + FSideWidth + WeekArea + 7 * FColWidth,
                    FDayNamesRect.Bottom + 6 * FRowHeight);

  // Header arrows and captions.
  const Integer AW = FColWidth - 2, AH = FHeaderHeight - 1;
  const Integer Inset = (DT || !FFlat) ? 1 : 0;
  auto ArrowAtX = [&](Integer X) {
    return TRect(X, FHeaderRect.Top + Inset, X + AW, FHeaderRect.Top + Inset + AH - 2 * Inset + (Inset ? 0 : 0));
  };
  for (TRect& R : FArrowRects) R = TRect();
  const Integer HL = FHeaderRect.Left + Inset, HR = FHeaderRect.Right - Inset;
  if (!FArrowsForYear) {
    FArrowCount = 1;
    FArrowRects[0] = ArrowAtX(HL);
    FArrowRects[1] = ArrowAtX(HR - AW);
    FMonthRect = TRect(FArrowRects[0].Right, FHeaderRect.Top, FArrowRects[1].Left, FHeaderRect.Bottom);
    FYearRect = TRect();
  } else {
    FArrowCount = 3;
    Integer MonthW = 0;
    for (Integer M = 1; M <= 12; ++M) MonthW = std::max(MonthW, C->TextWidth(FormatSettings().LongMonthNames[M - 1]));
    const Integer YearW = std::max(C->TextWidth(IntToStr(FCalendarTable->LargestYear())),
                                   C->TextWidth(IntToStr(FCalendarTable->SmallestYear())));
    const Integer Free = std::max(0, HR - HL - 4 * AW);
    const Integer MW = MonthW + YearW > 0 ? Free * MonthW / (MonthW + YearW) : Free / 2;
    FArrowRects[0] = ArrowAtX(HL);
    FMonthRect = TRect(HL + AW, FHeaderRect.Top, HL + AW + MW, FHeaderRect.Bottom);
    FArrowRects[1] = ArrowAtX(FMonthRect.Right);
    FArrowRects[2] = ArrowAtX(FArrowRects[1].Right);
    FArrowRects[3] = ArrowAtX(HR - AW);
    FYearRect = TRect(FArrowRects[2].Right, FHeaderRect.Top, FArrowRects[3].Left, FHeaderRect.Bottom);
  }

  Integer W, H;
  CalculateSize(W, H);
  FButtonsRect = TRect(Left, FDaysRect.Bottom + 1, Left + FDateRegionWidth, FDaysRect.Bottom + 1 + FButtonsAreaHeight);
  if (DT) {
    FButtonsRect = TRect(0, H - FButtonsAreaHeight, W, H);
    // The clock fills the height beside the month grid that the time box
    // leaves free.
    const Integer TimeBoxHeight = TimeBoxHeightOf();
    FClockSize = std::max(0, FDaysRect.Bottom - FHeaderRect.Top - TimeBoxHeight - GetTimeAreaSpacing());
    CalculateSize(W, H);
    FButtonsRect = TRect(0, H - FButtonsAreaHeight, W, H);
  }
  UpdateSize();
  Invalidate();
}

void TcxCustomCalendar::UpdateSize() {
  if (!HandleAllocated()) return;
  Integer W, H;
  CalculateSize(W, H);
  SetBounds(Left(), Top(), W, H);
  PlaceButtons();
}

void TcxCustomCalendar::PlaceButtons() {
  const bool DT = FKind == ckDateTime;
  const Integer BW = FButtonWidth + 1;
  for (TButton* B : {FTodayButton, FNowButton, FClearButton, FOKButton}) B->SetVisible(false);
  FClock->SetVisible(DT);
  FTimeEdit->SetVisible(DT);
  if (!DT) {
    const bool Today = FCalendarButtons.Contains(btnToday), Clear = FCalendarButtons.Contains(btnClear);
    const Integer W = FDateRegionWidth;
    const Integer Y = FButtonsRect.Top + (FButtonsAreaHeight - FButtonHeight) / 2;
    if (Today && Clear) {
      const Integer Gap = (W - 2 * FButtonWidth) / 3;
      FTodayButton->SetBounds(FButtonsRect.Left + Gap, Y, BW, FButtonHeight);
      FClearButton->SetBounds(FButtonsRect.Left + W - FButtonWidth - Gap, Y, BW, FButtonHeight);
    } else if (Today || Clear) {
      (Today ? FTodayButton : FClearButton)
          ->SetBounds(FButtonsRect.Left + (W - FButtonWidth) / 2, Y, BW, FButtonHeight);
    }
    FTodayButton->SetVisible(Today);
    FClearButton->SetVisible(Clear);
    return;
  }
  // Date-time mode: the visible buttons in a row, OK at the right.
  std::vector<TButton*> Row;
  if (FCalendarButtons.Contains(btnToday)) Row.push_back(FTodayButton);
  if (FCalendarButtons.Contains(btnNow)) Row.push_back(FNowButton);
  if (FCalendarButtons.Contains(btnClear)) Row.push_back(FClearButton);
  const Integer S = MulDiv(Font()->Size(), 5, 4);
  const Integer Y = FButtonsRect.Top + (FButtonsAreaHeight - FButtonHeight) / 2;
  const Integer OKX = Width() - S - FButtonWidth - 1;
  FOKButton->SetBounds(OKX, Y, BW, FButtonHeight);
  FOKButton->SetVisible(true);
  if (Row.size() == 1) {
    Row[0]->SetBounds(OKX - (S + FButtonWidth + 1), Y, BW, FButtonHeight);
  } else {
    Integer X = S;
    for (TButton* B : Row) {
      B->SetBounds(X, Y, BW, FButtonHeight);
      X += S + FButtonWidth + 1;
    }
  }
  for (TButton* B : Row) B->SetVisible(true);
  Integer MX, MY;
  GetMargins(MX, MY);
  const Integer ClockLeft = FHeaderRect.Right + MX + GetTimeAreaSpacing();
  FClock->SetBounds(ClockLeft, FHeaderRect.Top, FClockSize, FClockSize);
  // The time box above the button row, centred over the clock area.
  const Integer TW = TimeBoxWidth(), TH = TimeBoxHeightOf();
  FTimeEdit->SetAutoSize(false);
  FTimeEdit->SetBounds(ClockLeft + (FClockSize - TW) / 2, FButtonsRect.Top - GetTimeAreaSpacing() - TH, TW, TH);
}

bool TcxCustomCalendar::CanResize(Integer& NewWidth, Integer& NewHeight) {
  if (HandleAllocated() && FColWidth > 0) CalculateSize(NewWidth, NewHeight);
  return inherited::CanResize(NewWidth, NewHeight);
}

TRect TcxCustomCalendar::DayCellRect(Integer ACol, Integer ARow) const {
  return TRect(FDaysRect.Left + ACol * FColWidth, FDaysRect.Top + ARow * FRowHeight,
               FDaysRect.Left + (ACol + 1) * FColWidth, FDaysRect.Top + (ARow + 1) * FRowHeight);
}

TDateTime TcxCustomCalendar::DateAtPoint(TPoint P) {
  if (!PtIn(FDaysRect, P)) return NullDate;
  const Integer Col = (P.X - FDaysRect.Left) / FColWidth, Row = (P.Y - FDaysRect.Top) / FRowHeight;
  return GetFirstVisibleDate() + 7 * Row + Col;
}

Integer TcxCustomCalendar::ArrowAt(TPoint P) const {
  for (Integer I = 0; I <= FArrowCount; ++I)
    if (PtIn(FArrowRects[I], P)) return I;
  return -1;
}

void TcxCustomCalendar::SetFirstDate(TDateTime Value) {
  if (FFirstDate == Value) return;
  FFirstDate = Value;
  Invalidate();
}

void TcxCustomCalendar::ShowMonthOf(TDateTime Date) {
  if (!cxIsDateInSupportedRange(Date)) return;
  TcxCalendarDateTimeParts P = FCalendarTable->SplitDate(Date);
  P.Day = 1;
  P.Hour = P.Minute = P.Second = 0;
  P.Millisecond = 0;
  SetFirstDate(FCalendarTable->JoinDate(P));
}

void TcxCustomCalendar::InvalidateDays() {
  if (!HandleAllocated()) return;
  InvalidateRect(FDaysRect, false);
}

void TcxCustomCalendar::SetSelectDate(TDateTime Value, bool ARepaint) {
  if (!cxIsDateInSupportedRange(Value) || Value == FSelectDate) return;
  const TDateTime Old = FSelectDate;
  FSelectDate = Value;
  if (!ARepaint) return;
  if (FKind == ckDateTime) Invalidate();
  else if (std::trunc(Old) != std::trunc(Value)) InvalidateDays();
}

void TcxCustomCalendar::SelectDay(TDateTime Date) { SetSelectDate(Date, true); }

void TcxCustomCalendar::ChooseDate(TDateTime Date) {
  SetSelectDate(Date, true);
  ShowMonthOf(Date);
}

void TcxCustomCalendar::StepArrow(Integer AIndex) {
  switch (AIndex) {
    case 0: SetFirstDate(FCalendarTable->ShiftMonths(FFirstDate, -1)); break;
    case 1: SetFirstDate(FCalendarTable->ShiftMonths(FFirstDate, 1)); break;
    case 2: SetFirstDate(FCalendarTable->ShiftYears(FFirstDate, -1)); break;
    case 3: SetFirstDate(FCalendarTable->ShiftYears(FFirstDate, 1)); break;
    default: break;
  }
}

void TcxCustomCalendar::DoArrowTimer(TObject*) {
  if (!HandleAllocated()) return;
  POINT Cur;
  GetCursorPos(&Cur);
  const TPoint P = ScreenToClient(TPoint(Cur.x, Cur.y));
  const Integer A = ArrowAt(P);
  if (A >= 0 && A == FRepeatArrow) StepArrow(A);
}

void TcxCustomCalendar::NotifyDateChosen() {
  if (OnDateChosen) OnDateChosen(this);
}

void TcxCustomCalendar::RequestClose(TObject*, TcxPopupCloseReason) {
  FTimer->SetEnabled(false);
  FMonthList->Timer()->SetEnabled(false);
  if (FMonthList->Visible() || FMonthList->IsOpen()) FMonthList->CloseList(false);
}

void TcxCustomCalendar::HandleButtonClick(TObject* Sender) {
  const TDateTime ClockTime = FClock->Time();
  TDateTime D = NullDate;
  switch (static_cast<TComponent*>(Sender)->Tag()) {
    case 0: D = NullDate; break;
    case 1: D = Now(); break;
    case 2: {
      const TDateTime Today = Date();
      D = Today + (Today < 0 ? -ClockTime : ClockTime);
      break;
    }
    case 3: {
      const TDateTime Day = std::trunc(FSelectDate == NullDate ? Date() : FSelectDate);
      D = Day + (Day < 0 ? -ClockTime : ClockTime);
      break;
    }
    default: return;
  }
  if (D != NullDate) {
    FClock->SetTime(D);
    FTimeEdit->SetTime(D);
    ChooseDate(D);
    // The chosen value keeps its time (Now, Today and OK carry the clock's).
    FSelectDate = D;
  } else {
    FSelectDate = NullDate;
    InvalidateDays();
  }
  NotifyDateChosen();
  RequestClose(this, pcrAccept);
}

// --- Mouse tracking and hot captions --------------------------------------------

void TcxCustomCalendar::UpdateHotTrack() {
  Integer Region = 0;
  if (HandleAllocated() && !FMonthList->Visible() && GetCapture() != Handle()) {
    POINT Cur;
    GetCursorPos(&Cur);
    const TPoint P = ScreenToClient(TPoint(Cur.x, Cur.y));
    if (PtIn(ClientRect(), P)) {
      if (PtIn(FMonthRect, P)) Region = 1;
      else if (PtIn(FYearRect, P)) Region = 2;
    }
  }
  if (Region == FHotTrackRegion) return;
  if (FHotTrackRegion == 0) {
    FSavedCursor = Cursor();
    SetCursor(crHandPoint);
  } else if (Region == 0) {
    SetCursor(FSavedCursor);
  }
  FHotTrackRegion = Region;
  if (HandleAllocated()) InvalidateRect(FHeaderRect, false);
}

void TcxCustomCalendar::DoMouseEnter(TControl* AControl) {
  inherited::DoMouseEnter(AControl);
  UpdateHotTrack();
  if (HandleAllocated() && !FTracking) {
    FTracking = true;
    const TPoint O = ClientToScreen(TPoint(0, 0));
    cxBeginMouseLeaveTracking(this, TRect(O.X, O.Y, O.X + Width(), O.Y + Height()), this);
  }
}

void TcxCustomCalendar::DoMouseLeave(TControl* AControl) {
  inherited::DoMouseLeave(AControl);
  MouseLeave();
}

void TcxCustomCalendar::MouseLeave() {
  if (FTracking) {
    FTracking = false;
    cxEndMouseLeaveTracking(this);
  }
  UpdateHotTrack();
}

// --- Painting ---------------------------------------------------------------------

String TcxCustomCalendar::DayText(TDateTime Date) const {
  if (!cxIsDateInSupportedRange(Date) || !FCalendarTable->HasDate(Date)) return "";
  return cxCalendarDayNumberText(FCalendarTable->SplitDate(Date).Day, FCalendarTable.get());
}

void TcxCustomCalendar::PaintHeaderBackground(const TRect& R) {
  TcxCanvas* C = cxCanvas();
  C->FillRectColor(R, GetPainter()->GetDateNavHeaderColor());
  if (FNativeStyle) {
    // The themed header item brings its own border; the face colour under
    // it shows through where the part is transparent.
    if (HTHEME Theme = dxOpenThemeHandle(totHeader))
      if (SUCCEEDED(dxUxTheme::DrawThemeBackground(Theme, C->Handle(), HP_HEADERITEM, HIS_NORMAL, R))) return;
  }
  if (FFlat)
    C->FillRectColor(TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom), clBtnShadow);
  else
    C->Draw3DEdge(R, false, false);
}

void TcxCustomCalendar::PaintHeader() {
  TcxCanvas* C = cxCanvas();
  PaintHeaderBackground(FHeaderRect);
  // Arrows: filled triangles pointing away from the caption they step.
  C->Brush()->SetColor(clBtnText);
  C->Pen()->SetColor(clBtnText);
  for (Integer I = 0; I <= FArrowCount; ++I) {
    const TRect& R = FArrowRects[I];
    const bool Left = I % 2 == 0;
    const Integer H = std::max(2, (R.Bottom - R.Top) / 2 - 1);
    const Integer CX = (R.Left + R.Right) / 2, CY = (R.Top + R.Bottom) / 2;
    const Integer Half = H / 2;
    TPoint Pts[3];
    if (Left) {
      Pts[0] = TPoint(CX - Half, CY);
      Pts[1] = TPoint(CX + Half, CY - H);
      Pts[2] = TPoint(CX + Half, CY + H);
    } else {
      Pts[0] = TPoint(CX + Half, CY);
      Pts[1] = TPoint(CX - Half, CY - H);
      Pts[2] = TPoint(CX - Half, CY + H);
    }
    C->DrawPolygon(Pts, 3);
  }
  C->SetFont(Font());
  C->Brush()->SetStyle(bsClear);
  const Cardinal Flags = cxtfHCenter | cxtfVCenter | cxtfSingleLine;
  if (!FArrowsForYear) {
    C->Font()->SetColor(FHotTrackRegion == 1 ? clHotLight : clBtnText);
    C->PaintText(cxDateMonthYearCaption(FCalendarTable.get(), FFirstDate), FMonthRect, Flags);
  } else {
    C->Font()->SetColor(FHotTrackRegion == 1 ? clHotLight : clBtnText);
    C->PaintText(cxDateLongMonthName(FCalendarTable.get(), FFirstDate), FMonthRect, Flags);
    C->Font()->SetColor(FHotTrackRegion == 2 ? clHotLight : clBtnText);
    C->PaintText(cxDateYearText(FCalendarTable.get(), FFirstDate), FYearRect, Flags);
  }
  C->Brush()->SetStyle(bsSolid);
}

void TcxCustomCalendar::PaintDays() {
  TcxCanvas* C = cxCanvas();
  TcxLookAndFeelPainterClass P = GetPainter();
  C->SetFont(Font());
  const Cardinal Flags = cxtfRight | cxtfVCenter | cxtfSingleLine;
  // Day names.
  C->FillRectColor(FDayNamesRect, Color());
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetColor(clWindowText);
  for (Integer Col = 0; Col < 7; ++Col) {
    const Integer W = ColumnWeekday(Col);
    TRect R(FDaysRect.Left + Col * FColWidth, FDayNamesRect.Top, FDaysRect.Left + (Col + 1) * FColWidth - 3,
            FDayNamesRect.Bottom - 2);
    C->PaintText(cxShortDayName(W == 0 ? 7 : W), R, Flags);
  }
  C->Brush()->SetStyle(bsSolid);
  const Integer LineY = FDayNamesRect.Bottom - 2;
  C->FillRectColor(TRect(FDaysRect.Left, LineY, FDaysRect.Right, LineY + 1), clBtnShadow);
  C->FillRectColor(TRect(FDaysRect.Left, LineY + 1, FDaysRect.Right, LineY + 2), clWindow);
  // Side margins and the week-number column.
  C->FillRectColor(TRect(FDayNamesRect.Left, FDaysRect.Top, FDaysRect.Left, FDaysRect.Bottom), Color());
  C->FillRectColor(TRect(FDaysRect.Right, FDaysRect.Top, FDayNamesRect.Right, FDaysRect.Bottom), Color());
  const TDateTime First = GetFirstVisibleDate();
  if (FWeekNumbers) {
    std::unique_ptr<TFont> Small = std::make_unique<TFont>();
    Small->Assign(Font());
    Small->SetSize(std::max(1, Font()->Size() * 2 / 3));
    C->SetFont(Small.get());
    C->Font()->SetColor(clWindowText);
    C->Brush()->SetStyle(bsClear);
    const Integer X1 = FDaysRect.Left - 3;
    const Integer X0 = X1 - FWeekNumberWidth;
    TcxFormatController* F = cxGetFormatController();
    for (Integer Row = 0; Row < 6; ++Row) {
      const TDateTime D = First + 7 * Row;
      if (!cxIsDateInSupportedRange(D)) continue;
      const TRect R(X0, FDaysRect.Top + Row * FRowHeight, X1, FDaysRect.Top + (Row + 1) * FRowHeight);
      C->PaintText(IntToStr(FCalendarTable->WeekOfYear(F->FirstDayOfWeek, F->WeekOfYearRule, D)), R, Flags);
    }
    C->Brush()->SetStyle(bsSolid);
    C->FillRectColor(TRect(X1 + 1, FDaysRect.Top, X1 + 2, FDaysRect.Bottom), clBtnShadow);
    C->SetFont(Font());
  }
  // The 42 days.
  const TDateTime Today = Date();
  const TDateTime Selected = FSelectDate == NullDate ? Today : std::trunc(FSelectDate);
  const TDateTime Last = GetLastDateOfMonth();
  for (Integer Row = 0; Row < 6; ++Row)
    for (Integer Col = 0; Col < 7; ++Col) {
      const TDateTime D = First + 7 * Row + Col;
      const TRect R = DayCellRect(Col, Row);
      const bool IsSelected = D == Selected;
      C->FillRectColor(R, IsSelected ? P->GetDateNavSelectionColor() : Color());
      if (D == Today) C->DrawRectBorders(R, clMaroon, 1, cxBordersAll);
      TColor TextColor = D < FFirstDate || D > Last ? clGrayText : clWindowText;
      if (IsSelected) TextColor = P->GetDateNavSelectionTextColor();
      C->Font()->SetColor(TextColor);
      C->Brush()->SetStyle(bsClear);
      TRect TR = R;
      TR.Right -= 3;
      C->PaintText(DayText(D), TR, Flags);
      C->Brush()->SetStyle(bsSolid);
    }
}

void TcxCustomCalendar::Paint() {
  TcxCanvas* C = cxCanvas();
  const TRect Client = ClientRect();
  C->FillRectColor(Client, Color());
  if (FColWidth == 0) return;
  if (FKind == ckDateTime) {
    // The header strip: the selected date with the time box's time.
    TRect Strip(0, 0, Client.Right, FHeaderRect.Top - GetTimeAreaSpacing());
    PaintHeaderBackground(Strip);
    const TDateTime D = (FSelectDate == NullDate ? Date() : std::trunc(FSelectDate)) + TimeBoxTime();
    C->SetFont(Font());
    C->Font()->SetColor(clBtnText);
    C->Brush()->SetStyle(bsClear);
    C->PaintText(DateTimeToStr(D), Strip, cxtfHCenter | cxtfVCenter | cxtfSingleLine);
    C->Brush()->SetStyle(bsSolid);
  }
  PaintHeader();
  PaintDays();
  if (FKind == ckDate) {
    if (FCalendarButtons.Contains(btnToday) || FCalendarButtons.Contains(btnClear))
      C->FillRectColor(TRect(FButtonsRect.Left, FButtonsRect.Top - 1, FButtonsRect.Right, FButtonsRect.Top),
                       clBtnShadow);
  } else {
    C->FillRectColor(TRect(0, FButtonsRect.Top, Client.Right, FButtonsRect.Top + 1), clBtnText);
    const Integer X = FHeaderRect.Right + 1;
    C->FillRectColor(TRect(X, FHeaderRect.Top, X + 1, FDaysRect.Bottom), clBtnShadow);
  }
}

// --- Keys and mouse ----------------------------------------------------------------

void TcxCustomCalendar::KeyDown(Word& Key, TShiftState Shift) {
  const TDateTime Sel = FSelectDate == NullDate ? Date() : FSelectDate;
  const TDateTime Day = std::trunc(Sel);
  const TDateTime Time = Sel - Day;
  const bool Ctrl = Shift.Contains(ssCtrl), Alt = Shift.Contains(ssAlt);
  TDateTime D = NullDate;
  switch (Key) {
    case VK_PRIOR: D = FCalendarTable->ShiftMonths(Sel, -1); break;
    case VK_NEXT: D = FCalendarTable->ShiftMonths(Sel, 1); break;
    case VK_HOME: {
      if (Ctrl) {
        TcxCalendarDateTimeParts P = FCalendarTable->SplitDate(Sel);
        P.Day = 1;
        D = FCalendarTable->JoinDate(P);
      } else {
        D = Day - cxWeekdayIndex(Day) + Time;
      }
      break;
    }
    case VK_END: {
      if (Ctrl) {
        TcxCalendarDateTimeParts P = FCalendarTable->SplitDate(Sel);
        P.Day = FCalendarTable->MonthLength(P.Era, P.Year, P.Month);
        D = FCalendarTable->JoinDate(P);
      } else {
        D = Day + 6 - cxWeekdayIndex(Day) + Time;
      }
      break;
    }
    case VK_LEFT: D = Sel - 1; break;
    case VK_RIGHT: D = Sel + 1; break;
    case VK_UP: if (!Alt) D = Sel - 7; break;
    case VK_DOWN: if (!Alt) D = Sel + 7; break;
    default: break;
  }
  if (D != NullDate) ChooseDate(D);
  inherited::KeyDown(Key, Shift);
}

void TcxCustomCalendar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const TPoint P(X, Y);
  const TDateTime D = DateAtPoint(P);
  if (D != NullDate) {
    SelectDay(D + (FSelectDate != NullDate ? FSelectDate - std::trunc(FSelectDate) : 0));
    return;
  }
  const Integer A = ArrowAt(P);
  if (A >= 0) {
    StepArrow(A);
    FRepeatArrow = A;
    FTimer->SetEnabled(true);
    return;
  }
  if (PtIn(FMonthRect, P)) {
    if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
    UpdateHotTrack();
    FMonthList->ShowList();
  }
}

void TcxCustomCalendar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  UpdateHotTrack();
  if (!Shift.Contains(ssLeft) || IsArrowRepeating()) return;
  const TDateTime D = DateAtPoint(TPoint(X, Y));
  if (D != NullDate) SelectDay(D + (FSelectDate != NullDate ? FSelectDate - std::trunc(FSelectDate) : 0));
}

void TcxCustomCalendar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (IsArrowRepeating()) {
    FTimer->SetEnabled(false);
    FRepeatArrow = -1;
    return;
  }
  const TPoint P(X, Y);
  if (FKind == ckDate) {
    if (!PtIn(ClientRect(), P) || PtIn(FMonthRect, P) || PtIn(FYearRect, P)) return;
    const bool OnDay = DateAtPoint(P) != NullDate;
    // Only a release on a day or on the header's free space closes; the
    // arrows have stepped already and a release there chooses nothing.
    if (ArrowAt(P) >= 0 && !OnDay) return;
    RequestClose(this, pcrAccept);
    if (OnDay) NotifyDateChosen();
  } else {
    ShowMonthOf(FSelectDate);
  }
}

void TcxCustomCalendar::DblClick() {
  inherited::DblClick();
  if (FKind != ckDateTime || !HandleAllocated()) return;
  POINT Cur;
  GetCursorPos(&Cur);
  const TDateTime D = DateAtPoint(ScreenToClient(TPoint(Cur.x, Cur.y)));
  if (D == NullDate) return;
  SelectDay(D);
  RequestClose(this, pcrAccept);
  NotifyDateChosen();
}

bool TcxCustomCalendar::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (FMonthList->Visible()) return false;
  const TPoint P = ScreenToClient(MousePos);
  const bool Back = WheelDelta > 0;
  if (PtIn(FMonthRect, P)) {
    StepArrow(Back ? 0 : 1);
    return true;
  }
  if (PtIn(FYearRect, P)) {
    StepArrow(Back ? 2 : 3);
    return true;
  }
  return false;
}
