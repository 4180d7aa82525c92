// The data grid as form files and scripts see it: its published properties,
// those of its columns, titles, footers, column defaults, scroll-bar settings
// and indicator title; and the grid and column properties that only store a
// setting and repaint or relayout (title images, automatic column fitting,
// row sizing, column images and menus).
#include "DBGridEh.h"
#include <algorithm>
#include "BasicActions.h"
#include "ImgList.h"
#include "Menus.h"
#include "PlatformEh.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TDBGridEh, TCustomDBGridEh)

TOVANI_IMPLEMENT_ENUM_INFO(TDBGridOption, "dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator",
                           "dgColumnResize", "dgColLines", "dgRowLines", "dgTabs", "dgRowSelect",
                           "dgAlwaysShowSelection", "dgConfirmDelete", "dgCancelOnExit", "dgMultiSelect")
TOVANI_IMPLEMENT_ENUM_INFO(TDBGridEhOption, "dghFixed3D", "dghFrozen3D", "dghFooter3D", "dghData3D",
                           "dghResizeWholeRightPart", "dghHighlightFocus", "dghClearSelection",
                           "dghFitRowHeightToText", "dghAutoSortMarking", "dghMultiSortMarking", "dghEnterAsTab",
                           "dghTraceColSizing", "dghIncSearch", "dghPreferIncSearch", "dghRowHighlight",
                           "dghDblClickOptimizeColWidth", "dghDialogFind", "dghRecordMoving")
TOVANI_IMPLEMENT_ENUM_INFO(TSortMarkerEh, "smNoneEh", "smDownEh", "smUpEh")
TOVANI_IMPLEMENT_ENUM_INFO(TTextOrientationEh, "tohHorizontal", "tohVertical")
TOVANI_IMPLEMENT_ENUM_INFO(TColumnButtonStyleEh, "cbsAuto", "cbsEllipsis", "cbsNone", "cbsUpDown", "cbsDropDown")
TOVANI_IMPLEMENT_ENUM_INFO(TDBGridEhAllowedOperation, "alopInsertEh", "alopUpdateEh", "alopDeleteEh",
                           "alopAppendEh")
TOVANI_IMPLEMENT_ENUM_INFO(TDBGridEhEditAction, "geaCutEh", "geaCopyEh", "geaPasteEh", "geaDeleteEh",
                           "geaSelectAllEh")
TOVANI_IMPLEMENT_ENUM_INFO(TFooterValueType, "fvtNon", "fvtSum", "fvtAvg", "fvtCount", "fvtFieldValue",
                           "fvtStaticText")
TOVANI_IMPLEMENT_ENUM_INFO(TScrollBarVisibleModeEh, "sbAlwaysShowEh", "sbNeverShowEh", "sbAutoShowEh")
TOVANI_IMPLEMENT_ENUM_INFO(TDBGridEhSelectionType, "gstNon", "gstRecordBookmarks", "gstRectangle", "gstColumns",
                           "gstAll")

namespace {

// An inheritable value is written only when it is assigned and differs from
// what the property would read without it: the value is read once more with
// its bit cleared.
template <class Obj, class Get>
bool AssignedAndDiffers(Obj* o, uint32_t Bit, Get get) {
  auto saved = o->AssignedValues();
  if (!(saved & Bit)) return false;
  auto own = get(o);
  o->SetAssignedValuesRaw(decltype(saved)(saved & ~Bit));
  auto inherited = get(o);
  o->SetAssignedValuesRaw(saved);
  return !(own == inherited);
}

template <class Get>
auto ColumnStored(uint32_t Bit, Get get) {
  return [Bit, get](TObject* o) { return AssignedAndDiffers(static_cast<TColumnEh*>(o), Bit, get); };
}
template <class Get>
auto TitleStored(uint32_t Bit, Get get) {
  return [Bit, get](TObject* o) {
    return AssignedAndDiffers(static_cast<TColumnTitleEh*>(o)->Column(), Bit,
                              [&](TColumnEh* c) { return get(c->Title()); });
  };
}
template <class Get>
auto FooterStored(uint8_t Bit, Get get) {
  return [Bit, get](TObject* o) { return AssignedAndDiffers(static_cast<TColumnFooterEh*>(o), Bit, get); };
}
auto ColumnBit(uint32_t Bit) {
  return [Bit](TObject* o) { return (static_cast<TColumnEh*>(o)->AssignedValues() & Bit) != 0; };
}
auto TitleBit(uint32_t Bit) {
  return [Bit](TObject* o) {
    TColumnEh* c = static_cast<TColumnTitleEh*>(o)->Column();
    return c && (c->AssignedValues() & Bit) != 0;
  };
}

constexpr uint32_t cvImeMode = 1u << 13, cvImeName = 1u << 14, cvWordWrap = 1u << 15, cvCheckboxes = 1u << 17,
                   cvAlwaysShowEditButton = 1u << 18, cvDblClickNextVal = 1u << 21, cvToolTips = 1u << 22,
                   cvHighlightRequired = 1u << 26;

}  // namespace

TOVANI_PUBLISHED(TColumnTitleEh) {
  Property("Alignment", &TColumnTitleEh::Alignment, &TColumnTitleEh::SetAlignment)
      .Stored(TitleStored(cvTitleAlignment, [](TColumnTitleEh* t) { return t->Alignment(); }));
  Property("Caption", &TColumnTitleEh::Caption, &TColumnTitleEh::SetCaption)
      .Stored(TitleStored(cvTitleCaption, [](TColumnTitleEh* t) { return t->Caption(); }));
  Property("Color", &TColumnTitleEh::Color, &TColumnTitleEh::SetColor)
      .Stored(TitleStored(cvTitleColor, [](TColumnTitleEh* t) { return t->Color(); }));
  Property("EndEllipsis", &TColumnTitleEh::EndEllipsis, &TColumnTitleEh::SetEndEllipsis)
      .Stored(TitleStored(cvTitleEndEllipsis, [](TColumnTitleEh* t) { return t->EndEllipsis(); }));
  Property("Font", &TColumnTitleEh::Font, &TColumnTitleEh::SetFont).Stored(TitleBit(cvTitleFont));
  Property("Hint", &TColumnTitleEh::Hint, &TColumnTitleEh::SetHint);
  Property("ImageIndex", &TColumnTitleEh::ImageIndex, &TColumnTitleEh::SetImageIndex).Default(-1);
  Property("Orientation", &TColumnTitleEh::Orientation, &TColumnTitleEh::SetOrientation)
      .Stored(TitleStored(cvTitleOrientation, [](TColumnTitleEh* t) { return t->Orientation(); }));
  Property("SortIndex", &TColumnTitleEh::SortIndex, &TColumnTitleEh::SetSortIndex).Default(0);
  Property("SortMarker", &TColumnTitleEh::SortMarker, &TColumnTitleEh::SetSortMarker).Default(smNoneEh);
  Property("TitleButton", &TColumnTitleEh::TitleButton, &TColumnTitleEh::SetTitleButton)
      .Stored(TitleBit(cvTitleButton));
  Property("ToolTips", &TColumnTitleEh::ToolTips, &TColumnTitleEh::SetToolTips).Stored(TitleBit(cvTitleToolTips));
}

TOVANI_PUBLISHED(TDBGridColumnEh) {
  Property("Alignment", &TColumnEh::Alignment, &TColumnEh::SetAlignment)
      .Stored(ColumnStored(cvAlignment, [](TColumnEh* c) { return c->Alignment(); }));
  Property("AlwaysShowEditButton", &TColumnEh::AlwaysShowEditButton, &TColumnEh::SetAlwaysShowEditButton)
      .Stored(ColumnBit(cvAlwaysShowEditButton));
  Property("AutoFitColWidth", &TColumnEh::AutoFitColWidth, &TColumnEh::SetAutoFitColWidth).Default(true);
  Property("ButtonStyle", &TColumnEh::ButtonStyle, &TColumnEh::SetButtonStyle).Default(cbsAuto);
  Property("Checkboxes", &TColumnEh::Checkboxes, &TColumnEh::SetCheckboxes).Stored(ColumnBit(cvCheckboxes));
  Property("Color", &TColumnEh::Color, &TColumnEh::SetColor)
      .Stored(ColumnStored(cvColor, [](TColumnEh* c) { return c->Color(); }));
  Property("DblClickNextVal", &TColumnEh::DblClickNextVal, &TColumnEh::SetDblClickNextVal)
      .Stored(ColumnBit(cvDblClickNextVal));
  Property("DisplayFormat", &TColumnEh::DisplayFormat, &TColumnEh::SetDisplayFormat);
  Property("AutoDropDown", &TColumnEh::AutoDropDown, &TColumnEh::SetAutoDropDown)
      .Stored(ColumnStored(cvAutoDropDown, [](TColumnEh* c) { return c->AutoDropDown(); }));
  Property("DropDownBox", &TColumnEh::DropDownBox, &TColumnEh::SetDropDownBox);
  Property("DropDownRows", &TColumnEh::DropDownRows, &TColumnEh::SetDropDownRows).Default(7);
  Property("DropDownShowTitles", &TColumnEh::DropDownShowTitles, &TColumnEh::SetDropDownShowTitles)
      .Stored(ColumnStored(cvDropDownShowTitles, [](TColumnEh* c) { return c->DropDownShowTitles(); }));
  Property("DropDownSizing", &TColumnEh::DropDownSizing, &TColumnEh::SetDropDownSizing)
      .Stored(ColumnStored(cvDropDownSizing, [](TColumnEh* c) { return c->DropDownSizing(); }));
  Property("DropDownSpecRow", &TColumnEh::DropDownSpecRow, &TColumnEh::SetDropDownSpecRow);
  Property("LookupDisplayFields", &TColumnEh::LookupDisplayFields, &TColumnEh::SetLookupDisplayFields)
      .Stored([](TObject* o) { return static_cast<TColumnEh*>(o)->LookupDisplayFieldsAssigned(); });
  Property("MRUList", &TColumnEh::MRUList, &TColumnEh::SetMRUList);
  Property("DropDownWidth", &TColumnEh::DropDownWidth, &TColumnEh::SetDropDownWidth).Default(0);
  Property("EditButtons", &TColumnEh::EditButtons, [](TColumnEh* c, TEditButtonsEh* v) {
    c->EditButtons()->Assign(v);
  });
  Property("EditMask", &TColumnEh::EditMask, &TColumnEh::SetEditMask);
  Property("EndEllipsis", &TColumnEh::EndEllipsis, &TColumnEh::SetEndEllipsis)
      .Stored(ColumnStored(cvEndEllipsis, [](TColumnEh* c) { return c->EndEllipsis(); }));
  Property("FieldName", &TColumnEh::FieldName, &TColumnEh::SetFieldName);
  Property("Font", &TColumnEh::Font, &TColumnEh::SetFont).Stored(ColumnBit(cvFont));
  Property("Footer", &TColumnEh::Footer, &TColumnEh::SetFooter);
  Property("Footers", &TColumnEh::Footers, &TColumnEh::SetFooters);
  Property("HideDuplicates", &TColumnEh::HideDuplicates, &TColumnEh::SetHideDuplicates).Default(false);
  Property("HighlightRequired", &TColumnEh::HighlightRequired, &TColumnEh::SetHighlightRequired)
      .Stored(ColumnBit(cvHighlightRequired));
  Property("ImageList", &TColumnEh::ImageList, &TColumnEh::SetImageList);
  Property("ImeMode", &TColumnEh::ImeMode, &TColumnEh::SetImeMode)
      .Stored([](TObject* o) { return static_cast<TColumnEh*>(o)->ImeModeAssigned(); });
  Property("ImeName", &TColumnEh::ImeName, &TColumnEh::SetImeName)
      .Stored([](TObject* o) { return static_cast<TColumnEh*>(o)->ImeNameAssigned(); });
  Property("Increment", &TColumnEh::Increment, &TColumnEh::SetIncrement)
      .Stored([](TObject* o) { return static_cast<TColumnEh*>(o)->Increment() != 1; });
  Property("KeyList", &TColumnEh::KeyList, &TColumnEh::SetKeyList);
  Property("Layout", &TColumnEh::Layout, &TColumnEh::SetLayout)
      .Stored(ColumnStored(cvLayout, [](TColumnEh* c) { return c->Layout(); }));
  Property("MaxWidth", &TColumnEh::MaxWidth, &TColumnEh::SetMaxWidth).Default(0);
  Property("MinWidth", &TColumnEh::MinWidth, &TColumnEh::SetMinWidth).Default(0);
  Property("NotInKeyListIndex", &TColumnEh::NotInKeyListIndex, &TColumnEh::SetNotInKeyListIndex).Default(-1);
  Property("PickList", &TColumnEh::PickList, &TColumnEh::SetPickList);
  Property("PopupMenu", &TColumnEh::PopupMenu, &TColumnEh::SetPopupMenu);
  Property("ReadOnly", &TColumnEh::ReadOnly, &TColumnEh::SetReadOnly)
      .Stored(ColumnStored(cvReadOnly, [](TColumnEh* c) { return c->ReadOnly(); }));
  Property("ShowImageAndText", &TColumnEh::ShowImageAndText, &TColumnEh::SetShowImageAndText).Default(false);
  Property("STFilter", &TColumnEh::STFilter, &TColumnEh::SetSTFilter);
  Property("Tag", &TColumnEh::Tag, &TColumnEh::SetTag).Default(0);
  Property("Title", &TColumnEh::Title, &TColumnEh::SetTitle);
  Property("ToolTips", &TColumnEh::ToolTips, &TColumnEh::SetToolTips).Stored(ColumnBit(cvToolTips));
  Property("Visible", &TColumnEh::Visible, &TColumnEh::SetVisible).Default(true);
  Property("Width", &TColumnEh::Width, &TColumnEh::SetWidth)
      .Stored(ColumnStored(cvWidth, [](TColumnEh* c) { return c->Width(); }));
  Property("WordWrap", &TColumnEh::WordWrap, &TColumnEh::SetWordWrap)
      .Stored(ColumnStored(cvWordWrap, [](TColumnEh* c) { return c->WordWrap(); }));
  Property("OnCheckDrawRequiredState", &TColumnEh::OnCheckDrawRequiredState);
  PublishDropDownBoxEventsEh<TColumnEh>(*this);
  Property("OnEditButtonClick", &TColumnEh::OnEditButtonClick);
  Property("OnEditButtonDown", &TColumnEh::OnEditButtonDown);
  Property("OnGetCellParams", &TColumnEh::OnGetCellParams);
  Property("OnNotInList", &TColumnEh::OnNotInList);
  Property("OnUpdateData", &TColumnEh::OnUpdateData);
}

TOVANI_PUBLISHED(TColumnFooterEh) {
  Property("Alignment", &TColumnFooterEh::Alignment, &TColumnFooterEh::SetAlignment)
      .Stored(FooterStored(fvAlignment, [](TColumnFooterEh* f) { return f->Alignment(); }));
  Property("Color", &TColumnFooterEh::Color, &TColumnFooterEh::SetColor)
      .Stored(FooterStored(fvColor, [](TColumnFooterEh* f) { return f->Color(); }));
  Property("DisplayFormat", &TColumnFooterEh::DisplayFormat, &TColumnFooterEh::SetDisplayFormat);
  Property("EndEllipsis", &TColumnFooterEh::EndEllipsis, &TColumnFooterEh::SetEndEllipsis).Default(false);
  Property("FieldName", &TColumnFooterEh::FieldName, &TColumnFooterEh::SetFieldName);
  Property("Font", &TColumnFooterEh::Font, &TColumnFooterEh::SetFont)
      .Stored([](TObject* o) { return (static_cast<TColumnFooterEh*>(o)->AssignedValues() & fvFont) != 0; });
  Property("ToolTips", &TColumnFooterEh::ToolTips, &TColumnFooterEh::SetToolTips).Stored([](TObject* o) {
    auto* f = static_cast<TColumnFooterEh*>(o);
    return (f->AssignedValues() & fvToolTips) && f->ToolTips();
  });
  Property("Value", &TColumnFooterEh::Value, &TColumnFooterEh::SetValue);
  Property("ValueType", &TColumnFooterEh::ValueType, &TColumnFooterEh::SetValueType).Default(fvtNon);
  Property("WordWrap", &TColumnFooterEh::WordWrap, &TColumnFooterEh::SetWordWrap).Default(false);
}

TOVANI_PUBLISHED(TColumnTitleDefValuesEh) {
  Property("Alignment", &TColumnTitleDefValuesEh::Alignment, &TColumnTitleDefValuesEh::SetAlignment)
      .Stored([](TObject* o) {
        auto* t = static_cast<TColumnTitleDefValuesEh*>(o);
        TCustomDBGridEh* g = t->Owner() ? t->Owner()->Grid() : nullptr;
        TAlignment inherited = g && g->UseMultiTitle() ? taCenter : taLeftJustify;
        return t->AlignmentAssigned() && t->Alignment() != inherited;
      });
  Property("Color", &TColumnTitleDefValuesEh::Color, &TColumnTitleDefValuesEh::SetColor).Stored([](TObject* o) {
    auto* t = static_cast<TColumnTitleDefValuesEh*>(o);
    TCustomDBGridEh* g = t->Owner() ? t->Owner()->Grid() : nullptr;
    return t->ColorAssigned() && (!g || t->Color() != g->FixedColor());
  });
  Property("EndEllipsis", &TColumnTitleDefValuesEh::EndEllipsis, &TColumnTitleDefValuesEh::SetEndEllipsis)
      .Default(false);
  Property("Orientation", &TColumnTitleDefValuesEh::Orientation, &TColumnTitleDefValuesEh::SetOrientation)
      .Default(tohHorizontal);
  Property("TitleButton", &TColumnTitleDefValuesEh::TitleButton, &TColumnTitleDefValuesEh::SetTitleButton)
      .Default(false);
  Property("ToolTips", &TColumnTitleDefValuesEh::ToolTips, &TColumnTitleDefValuesEh::SetToolTips).Default(false);
}

TOVANI_PUBLISHED(TColumnFooterDefValuesEh) {
  Property("ToolTips", &TColumnFooterDefValuesEh::ToolTips, &TColumnFooterDefValuesEh::SetToolTips).Default(false);
}

TOVANI_PUBLISHED(TDBGridEhColumnDefValuesEh) {
  using C = TColumnDefValuesEh;
  Property("AlwaysShowEditButton", &C::AlwaysShowEditButton, &C::SetAlwaysShowEditButton).Default(false);
  Property("AutoDropDown", &C::AutoDropDown, &C::SetAutoDropDown).Default(false);
  Property("DblClickNextVal", &C::DblClickNextVal, &C::SetDblClickNextVal).Default(false);
  Property("DropDownShowTitles", &C::DropDownShowTitles, &C::SetDropDownShowTitles).Default(false);
  Property("DropDownSizing", &C::DropDownSizing, &C::SetDropDownSizing).Default(false);
  Property("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis).Default(false);
  Property("Footer", &C::Footer, &C::SetFooter);
  Property("HighlightRequired", &C::HighlightRequired, &C::SetHighlightRequired).Default(false);
  Property("Layout", &C::Layout, &C::SetLayout).Default(tlTop);
  Property("Title", &C::Title, &C::SetTitle);
  Property("ToolTips", &C::ToolTips, &C::SetToolTips).Default(false);
}

TOVANI_PUBLISHED(TDBGridEhScrollBar) {
  Property("ExtScrollBar", &TDBGridEhScrollBar::ExtScrollBar, &TDBGridEhScrollBar::SetExtScrollBar);
  Property("Tracking", &TDBGridEhScrollBar::Tracking, &TDBGridEhScrollBar::SetTracking).Default(false);
  Property("Visible", &TDBGridEhScrollBar::Visible, &TDBGridEhScrollBar::SetVisible).Default(true);
}

TOVANI_PUBLISHED(TVertDBGridEhScrollBar) {
  // The vertical setting streams its mode; Visible only reads and writes it.
  Property("Visible", &TDBGridEhScrollBar::Visible, &TDBGridEhScrollBar::SetVisible).Stored(false);
  Property("VisibleMode", &TDBGridEhScrollBar::VisibleMode, &TDBGridEhScrollBar::SetVisibleMode)
      .Default(sbAutoShowEh);
}

TOVANI_PUBLISHED(TDBGridEhIndicatorTitle) {
  using C = TDBGridEhIndicatorTitle;
  Property("DropdownMenu", &C::DropdownMenu, &C::SetDropdownMenu);
  Property("ShowDropDownSign", &C::ShowDropDownSign, &C::SetShowDropDownSign).Default(false);
  Property("TitleButton", &C::TitleButton, &C::SetTitleButton).Default(false);
  Property("UseGlobalMenu", &C::UseGlobalMenu, &C::SetUseGlobalMenu).Default(true);
}

TOVANI_PUBLISHED(TDBGridEhSumList) {
  using C = TDBSumListProducer;
  Property("Active", &C::Active, &C::SetActive).Default(false);
  Property("ExternalRecalc", &C::ExternalRecalc, &C::SetExternalRecalc).Default(false);
  Property("VirtualRecords", &C::VirtualRecords, &C::SetVirtualRecords).Default(false);
  Property("OnAfterRecalcAll", &C::OnAfterRecalcAll);
  Property("OnRecalcAll", &C::OnRecalcAll);
  Property("SumListChanged", &C::SumListChanged);
}

TOVANI_PUBLISHED(TDBGridEh) {
  using C = TCustomDBGridEh;
  Property("AllowedOperations", &C::AllowedOperations, &C::SetAllowedOperations)
      .Default(TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh});
  Property("AllowedSelections", &C::AllowedSelections, &C::SetAllowedSelections)
      .Default(TDBGridEhAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll});
  Property("AutoFitColWidths", &C::AutoFitColWidths, &C::SetAutoFitColWidths).Default(false);
  Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bsSingle);
  Property("ColumnDefValues", &C::ColumnDefValues, &C::SetColumnDefValues);
  // Only persistent columns are written; default columns come from the
  // dataset's fields again.
  Property("Columns", &C::Columns, &C::SetColumns)
      .Stored([](TObject* o) { return static_cast<C*>(o)->Columns()->IsCustomized(); });
  Property("DataSource", &C::DataSource, &C::SetDataSource);
  Property("DefaultDrawing", &C::DefaultDrawing, &C::SetDefaultDrawing).Default(true);
  Property("DrawMemoText", &C::DrawMemoText, &C::SetDrawMemoText).Default(false);
  Property("EditActions", &C::EditActions, &C::SetEditActions).Default(TDBGridEhEditActions{});
  Property("EvenRowColor", &C::EvenRowColor, &C::SetEvenRowColor)
      .Stored([](TObject* o) { return static_cast<C*>(o)->EvenRowColorAssigned(); });
  Property("FixedColor", &C::FixedColor, &C::SetFixedColor).Default(clBtnFace);
  Property("Flat", &C::Flat, &C::SetFlat).NoDefault();
  Property("FooterColor", &C::FooterColor, &C::SetFooterColor).NoDefault();
  Property("FooterFont", &C::FooterFont, &C::SetFooterFont)
      .Stored([](TObject* o) { return !static_cast<C*>(o)->ParentFont(); });
  Property("FooterRowCount", &C::FooterRowCount, &C::SetFooterRowCount).Default(0);
  Property("FrozenCols", &C::FrozenCols, &C::SetFrozenCols).Default(0);
  Property("ContraColCount", &C::ContraColCount, &C::SetContraColCount).Default(0);
  Property("HorzScrollBar", &C::HorzScrollBar, &C::SetHorzScrollBar);
  Property("IndicatorTitle", &C::IndicatorTitle,
           [](C* g, TDBGridEhIndicatorTitle* v) { g->IndicatorTitle()->Assign(v); });
  Property("MinAutoFitWidth", &C::MinAutoFitWidth, &C::SetMinAutoFitWidth).Default(0);
  Property("OddRowColor", &C::OddRowColor, &C::SetOddRowColor)
      .Stored([](TObject* o) { return static_cast<C*>(o)->OddRowColorAssigned(); });
  Property("Options", &C::Options, &C::SetOptions)
      .Default(TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                              dgConfirmDelete, dgCancelOnExit});
  Property("OptionsEh", &C::OptionsEh, &C::SetOptionsEh)
      .Default(TDBGridEhOptions{dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind});
  Property("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
  Property("RowHeight", &C::RowHeight, &C::SetRowHeight).Default(0);
  Property("RowLines", &C::RowLines, &C::SetRowLines).Default(0);
  Property("RowSizingAllowed", &C::RowSizingAllowed, &C::SetRowSizingAllowed).Default(false);
  Property("SortLocal", &C::SortLocal, &C::SetSortLocal).Default(false);
  Property("SumList", &C::SumList, &C::SetSumList);
  Property("STFilter", &C::STFilter, &C::SetSTFilter);
  Property("TitleFont", &C::TitleFont, &C::SetTitleFont)
      .Stored([](TObject* o) { return !static_cast<C*>(o)->ParentFont(); });
  Property("TitleHeight", &C::TitleHeight, &C::SetTitleHeight).Default(0);
  Property("TitleImages", &C::TitleImages, &C::SetTitleImages);
  Property("TitleLines", &C::TitleLines, &C::SetTitleLines).Default(0);
  Property("UseMultiTitle", &C::UseMultiTitle, &C::SetUseMultiTitle).Default(false);
  Property("VertScrollBar", &C::VertScrollBar, &C::SetVertScrollBar);
  Property("VTitleMargin", &C::VTitleMargin, &C::SetVTitleMargin).Default(10);
  Property("OnApplyFilter", &C::OnApplyFilter);
  Property("OnBuildIndicatorTitleMenu", &C::OnBuildIndicatorTitleMenu);
  Property("OnCellClick", &C::OnCellClick);
  Property("OnCellMouseClick", &C::OnCellMouseClick);
  Property("OnCheckButton", &C::OnCheckButton);
  Property("OnColEnter", &C::OnColEnter);
  Property("OnColExit", &C::OnColExit);
  Property("OnColumnMoved", &C::OnColumnMoved);
  Property("OnColWidthsChanged", &C::OnColWidthsChanged);
  Property("OnDrawColumnCell", &C::OnDrawColumnCell);
  Property("OnDrawDataCell", &C::OnDrawDataCell);
  Property("OnDrawFooterCell", &C::OnDrawFooterCell);
  Property("OnEditButtonClick", &C::OnEditButtonClick);
  Property("OnGetBtnParams", &C::OnGetBtnParams);
  Property("OnGetCellParams", &C::OnGetCellParams);
  Property("OnGetFooterParams", &C::OnGetFooterParams);
  Property("OnIndicatorTitleMouseDown", &C::OnIndicatorTitleMouseDown);
  Property("OnMoveRecords", &C::OnMoveRecords);
  Property("OnSelectionChanged", &C::OnSelectionChanged);
  Property("OnSortMarkingChanged", &C::OnSortMarkingChanged);
  Property("OnSumListAfterRecalcAll", &C::OnSumListAfterRecalcAll);
  Property("OnSumListRecalcAll", &C::OnSumListRecalcAll);
  Property("OnTitleBtnClick", &C::OnTitleBtnClick);
  Property("OnTitleClick", &C::OnTitleClick);
}

// ---------------------------------------------------------------------------
// Column settings

void TColumnEh::SetAutoFitColWidth(bool v) {
  if (FAutoFitColWidth == v) return;
  FAutoFitColWidth = v;
  Changed(false);
}

void TColumnEh::SetHideDuplicates(bool v) {
  if (FHideDuplicates == v) return;
  FHideDuplicates = v;
  Changed(false);
}

void TColumnEh::SetShowImageAndText(bool v) {
  if (FShowImageAndText == v) return;
  FShowImageAndText = v;
  Changed(false);
}

void TColumnEh::SetImageList(TCustomImageList* v) {
  if (FImageList == v) return;
  if (!FImageChangeLink) {
    FImageChangeLink = std::make_unique<TChangeLink>();
    FImageChangeLink->OnChange = [this](TObject*) {
      if (TCustomDBGridEh* g = Grid()) g->Invalidate();
    };
  }
  if (FImageList) FImageList->UnRegisterChanges(FImageChangeLink.get());
  FImageList = v;
  if (v) {
    v->RegisterChanges(FImageChangeLink.get());
    if (TCustomDBGridEh* g = Grid()) v->FreeNotification(g);
  }
  if (TCustomDBGridEh* g = Grid()) g->Invalidate();
}

void TColumnEh::SetPopupMenu(TPopupMenu* v) {
  FPopupMenu = v;
  if (v)
    if (TCustomDBGridEh* g = Grid()) v->FreeNotification(g);
}

// ---------------------------------------------------------------------------
// Grid settings

void TCustomDBGridEh::SetTitleImages(TCustomImageList* v) {
  if (FTitleImages == v) return;
  if (!FTitleImageChangeLink) {
    FTitleImageChangeLink = std::make_unique<TChangeLink>();
    FTitleImageChangeLink->OnChange = [this](TObject*) { Invalidate(); };
  }
  if (FTitleImages) FTitleImages->UnRegisterChanges(FTitleImageChangeLink.get());
  FTitleImages = v;
  if (v) {
    v->RegisterChanges(FTitleImageChangeLink.get());
    v->FreeNotification(this);
  }
  Invalidate();
}

void TCustomDBGridEh::SetRowSizingAllowed(bool v) {
  if (FRowSizingAllowed == v) return;
  FRowSizingAllowed = v;
  TGridEhOptions o = GridOptions();
  if (v) o += geoRowSizing;
  else o -= geoRowSizing;
  SetGridOptions(o);
}

void TCustomDBGridEh::SetMinAutoFitWidth(Integer v) {
  if (v == FMinAutoFitWidth) return;
  FMinAutoFitWidth = v;
  LayoutChanged();
}

void TCustomDBGridEh::SetAutoFitColWidths(bool v) {
  if (v == FAutoFitColWidths) return;
  FAutoFitColWidths = v;
  if (ComponentState().Contains(csDesigning)) return;
  if (v) {
    if (!ComponentState().Contains(csLoading))
      for (Integer i = 0; i < FColumns->Count(); ++i) FColumns->Item(i)->FPreFitWidth = FColumns->Item(i)->Width();
    SetScrollBars(ssNone);
  } else {
    FColumns->BeginUpdate();
    try {
      for (Integer i = 0; i < FColumns->Count(); ++i) FColumns->Item(i)->SetWidth(FColumns->Item(i)->FPreFitWidth);
    } catch (...) {
      FColumns->EndUpdate();
      throw;
    }
    FColumns->EndUpdate();
    SetScrollBars(ssHorizontal);
  }
  if (v && ColCount() > FixedCols()) SetLeftCol(FixedCols());
  LayoutChanged();
}

// The visible columns that fit share what the others leave of the client
// width, in proportion to the widths they asked for; a column held back by
// its MinWidth or MaxWidth keeps that width and the rest is shared again.
void TCustomDBGridEh::FitColumnsToWidth() {
  if (FFitting) return;
  FFitting = true;
  struct TGuard {
    bool& Flag;
    ~TGuard() { Flag = false; }
  } guard{FFitting};
  std::vector<TColumnEh*> cols;
  for (Integer i = 0; i < FVisibleColumns.Count(); ++i) {
    FVisibleColumns[i]->FFitLimited = false;
    cols.push_back(FVisibleColumns[i]);
  }
  Integer avail = 0, sum = 0;
  for (size_t pass = 0; pass < std::max<size_t>(cols.size(), 1); ++pass) {
    UpdateVertScrollBar();
    Integer asked = 0, fixed = 0;
    for (TColumnEh* c : cols) {
      if (c->AutoFitColWidth() && !c->FFitLimited) asked += c->FPreFitWidth;
      else fixed += c->Width();
    }
    avail = std::max<Integer>(0, std::max(FMinAutoFitWidth, ClientWidth()) - fixed);
    if (FOptions.Contains(dgIndicator)) avail -= ColWidths(0);
    if (FOptions.Contains(dgColLines)) avail -= Integer(cols.size());
    if (FOptions.Contains(dgIndicator) && FOptions.Contains(dgColLines)) avail -= 1;
    avail = std::max<Integer>(0, avail);
    sum = 0;
    bool limited = false;
    for (TColumnEh* c : cols) {
      if (!c->AutoFitColWidth() || c->FFitLimited) continue;
      Integer w = asked > 0 ? MulDiv(c->FPreFitWidth, avail, asked) : 0;
      c->SetWidth(w);
      if (c->Width() != w) {
        c->FFitLimited = true;
        limited = true;
      } else {
        sum += w;
      }
    }
    if (!limited) break;
  }
  if (sum != avail)
    for (auto it = cols.rbegin(); it != cols.rend(); ++it)
      if ((*it)->AutoFitColWidth() && !(*it)->FFitLimited) {
        (*it)->SetWidth(std::max<Integer>(0, (*it)->Width() + avail - sum));
        break;
      }
}

void TCustomDBGridEh::ColumnMoved(Integer FromIndex, Integer ToIndex) {
  Integer from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
  FSTFilter->BeginUpdate();
  try {
    if (from >= 0 && from < FColumns->Count() && to >= 0 && to < FColumns->Count())
      FColumns->Item(from)->SetIndex(to);
    if (OnColumnMoved) OnColumnMoved(this, from, to);
  } catch (...) {
    FSTFilter->EndUpdate();
    throw;
  }
  FSTFilter->EndUpdate();
  // The filter editor follows its column.
  if (FFilterEditing) {
    FFilterCol = SelectedIndex();
    PlaceFilterEditor(false);
  }
}

// ---------------------------------------------------------------------------
// Column values inherited from the grid's column defaults

namespace {
const TColumnDefValuesEh* DefValuesOf(const TColumnEh* c) {
  TCustomDBGridEh* g = c->Grid();
  return g ? g->ColumnDefValues() : nullptr;
}
}  // namespace

bool TColumnEh::DblClickNextVal() const {
  if (FAssignedValues & cvDblClickNextVal) return FDblClickNextVal;
  const TColumnDefValuesEh* d = DefValuesOf(this);
  return d && d->DblClickNextVal();
}
void TColumnEh::SetDblClickNextVal(bool v) {
  FDblClickNextVal = v;
  FAssignedValues |= cvDblClickNextVal;
}

bool TColumnEh::ToolTips() const {
  if (FAssignedValues & cvToolTips) return FToolTips;
  const TColumnDefValuesEh* d = DefValuesOf(this);
  return d && d->ToolTips();
}
void TColumnEh::SetToolTips(bool v) {
  FToolTips = v;
  FAssignedValues |= cvToolTips;
}

bool TColumnEh::AlwaysShowEditButton() const {
  if (FAssignedValues & cvAlwaysShowEditButton) return FAlwaysShowEditButton;
  const TColumnDefValuesEh* d = DefValuesOf(this);
  return d && d->AlwaysShowEditButton();
}
void TColumnEh::SetAlwaysShowEditButton(bool v) {
  if ((FAssignedValues & cvAlwaysShowEditButton) && FAlwaysShowEditButton == v) return;
  FAlwaysShowEditButton = v;
  FAssignedValues |= cvAlwaysShowEditButton;
  Changed(false);
}

bool TColumnEh::HighlightRequired() const {
  if (FAssignedValues & cvHighlightRequired) return FHighlightRequired;
  const TColumnDefValuesEh* d = DefValuesOf(this);
  return d && d->HighlightRequired();
}
void TColumnEh::SetHighlightRequired(bool v) {
  if ((FAssignedValues & cvHighlightRequired) && FHighlightRequired == v) return;
  FHighlightRequired = v;
  FAssignedValues |= cvHighlightRequired;
  Changed(false);
}

bool TColumnTitleEh::TitleButton() const {
  if (Assigned(cvTitleButton)) return FTitleButton;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g && g->ColumnDefValues()->Title()->TitleButton();
}
void TColumnTitleEh::SetTitleButton(bool v) {
  FTitleButton = v;
  Assign(cvTitleButton);
}

bool TColumnTitleEh::ToolTips() const {
  if (Assigned(cvTitleToolTips)) return FTitleToolTips;
  TCustomDBGridEh* g = FColumn ? FColumn->Grid() : nullptr;
  return g && g->ColumnDefValues()->Title()->ToolTips();
}
void TColumnTitleEh::SetToolTips(bool v) {
  FTitleToolTips = v;
  Assign(cvTitleToolTips);
}

void TColumnFooterEh::SetCollection(TCollection* Value) {
  TCollectionItem::SetCollection(Value);
  if (auto* footers = dynamic_cast<TColumnFootersEh*>(Value); footers && FColumn != footers->Column()) {
    FColumn = footers->Column();
    ResetFooterDefaults();
    BindSum();
  }
}

// ---------------------------------------------------------------------------
// Row sizing, fitting columns to their contents, column menus

void TCustomDBGridEh::RowHeightsChanged() {
  if (FRowSizingDone) {
    FRowSizingDone = false;
    for (Integer r = FTitleOffset; r < RowCount(); ++r)
      if (RowHeights(r) != DefaultRowHeight()) {
        Integer h = RowHeights(r);
        SetRowLines(0);
        SetRowHeight(h);
        UpdateVertScrollBar();
        break;
      }
  }
  TCustomGridEh::RowHeightsChanged();
}

void TCustomDBGridEh::OptimizeColumnWidth(TColumnEh* Column) {
  TColumnsEhList list;
  list.Add(Column);
  TDBGridEhSelectionType kind = FSelection->SelectionType();
  if (kind == gstColumns) {
    for (Integer i = 0; i < FSelection->Columns()->Count(); ++i)
      if (FSelection->Columns()->Items(i) != Column) list.Add(FSelection->Columns()->Items(i));
  } else if (kind == gstAll) {
    for (Integer i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Item(i) != Column) list.Add(FColumns->Item(i));
  }
  OptimizeColumnsWidth(list);
}

void TCustomDBGridEh::OptimizeColumnsWidth(const TColumnsEhList& List) {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds || !HandleAllocated() || List.Count() == 0) return;
  TCanvas* c = Canvas();
  std::vector<Integer> widths(size_t(List.Count()), 0);
  // Titles.
  for (Integer k = 0; k < List.Count(); ++k) {
    TColumnEh* col = List[k];
    TColumnTitleEh* t = col->Title();
    Integer a = 4;
    if (Integer m = col->SortMarkerAreaWidth(); m + 2 >= 3 && m > 0) a = m + 2;
    if (FTitleImages && t->ImageIndex() != -1) {
      widths[size_t(k)] = a + FTitleImages->Width();
    } else {
      AssignFontEh(c->Font(), t->Font());
      // The title cell less the marker room; with multi-level titles only
      // the column's own (leaf) part and text.
      String text = t->Caption();
      Integer cellWidth = col->Width();
      if (FUseMultiTitle)
        if (THeadTreeNode* leaf = LeafOfColumn(col->Index())) {
          text = leaf->Text;
          cellWidth = leaf->Width;
        }
      TRect cell(0, 0, std::max<Integer>(0, cellWidth - a), FTitleRowHeight);
      Integer tw = 0, th = 0;
      if (t->Orientation() == tohVertical) {
        // Turned text is as wide as a line of it is high.
        MeasureCellText(0, c, 0, tw, th, false, cell, text, 0);
        widths[size_t(k)] = a + th;
      } else if (FUseMultiTitle || FTitleHeight > 0 || FTitleLines > 0) {
        MeasureCellText(0, c, 2, tw, th, true, cell, text, 0);
        widths[size_t(k)] = tw + a;
      } else {
        widths[size_t(k)] = c->TextWidth(text) + a;
      }
    }
  }
  // Cells of every record, as they are drawn.
  ds->DisableControls();
  SaveViewPosition();
  try {
    for (ds->First(); !ds->Eof(); ds->Next()) {
      for (Integer k = 0; k < List.Count(); ++k) {
        TColumnEh* col = List[k];
        Integer w = 4;
        if (col->AlwaysShowEditButton()) w += col->EditButtonsAreaWidth();
        if (IsTreeColumn(col->Index())) w += TreeAreaWidth();
        if (col->ImageList() && col->ShowImageAndText()) w += col->ImageList()->Width() + 4;
        TColumnCellKindEh kind = col->GetCellKind();
        if (kind == cckImage) {
          w += col->ImageList() ? col->ImageList()->Width() : 0;
        } else if (kind == cckCheckBox) {
          w += CheckBoxWidthEh;
        } else {
          AssignFontEh(c->Font(), col->Font());
          TColCellParamsEh params;
          params.Background = col->Color();
          FillDataCellParams(col, col->Index(), 0, TGridDrawState{}, params);
          if (FWordWrapAllowed && col->WordWrap()) {
            Integer tw = 0, th = 0;
            MeasureCellText(0, c, 0, tw, th, true, TRect(0, 0, col->Width(), DefaultRowHeight()), params.Text, 0);
            w += tw;
          } else {
            w += c->TextWidth(params.Text);
          }
        }
        widths[size_t(k)] = std::max(widths[size_t(k)], w);
      }
      if (SequencedDataSet() && ds->RecNo() >= ds->RecordCount()) break;
    }
  } catch (...) {
    RestoreViewPosition();
    ds->EnableControls();
    throw;
  }
  RestoreViewPosition();
  ds->EnableControls();
  // Footers, then the widest of the three.
  bool layout = !FAutoFitColWidths;
  if (layout) BeginLayout();
  try {
    for (Integer k = 0; k < List.Count(); ++k) {
      TColumnEh* col = List[k];
      for (Integer row = 0; row < FFooterRowCount; ++row) {
        TColumnFooterEh* footer = col->GetFooterForRow(row);
        AssignFontEh(c->Font(), footer->Font());
        TColor background = footer->Color();
        TAlignment alignment = footer->Alignment();
        String text = GetFooterValue(row, col);
        GetFooterParams(col->Index(), row, col, c->Font(), background, alignment, TGridDrawState{}, text);
        Integer tw = c->TextWidth(text);
        if (FWordWrapAllowed && footer->WordWrap()) {
          Integer th = 0;
          MeasureCellText(0, c, 0, tw, th, true, TRect(0, 0, col->Width(), DefaultRowHeight()), text, 0);
        }
        widths[size_t(k)] = std::max(widths[size_t(k)], tw + 5);
      }
      col->SetWidth(widths[size_t(k)]);
    }
  } catch (...) {
    if (layout) EndLayout();
    throw;
  }
  if (layout) EndLayout();
}

// A right click on a data column's cell (titles too) pops up the column's
// own menu.
void TCustomDBGridEh::DefaultHandler(TMessage& Message) {
  TCustomGridEh::DefaultHandler(Message);
  if (Message.Msg != WM_RBUTTONUP) return;
  POINT pt{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
  TGridCoord cell = CellAtPoint(pt.x, pt.y);
  Integer dataCol = RawToDataColumn(cell.X);
  if (cell.X < 0 || cell.Y < 0 || dataCol < 0 || dataCol >= FColumns->Count()) return;
  TPopupMenu* menu = FColumns->Item(dataCol)->PopupMenu();
  if (!menu || !menu->AutoPopup()) return;
  Perform(WM_CANCELMODE, 0, 0);
  menu->SetPopupComponent(this);
  ::ClientToScreen(Handle(), &pt);
  menu->Popup(pt.x, pt.y);
  Message.Result = 1;
}

// ---------------------------------------------------------------------------
// Small operations

void TCustomDBGridEh::SetCurrentColumn(Integer ACol) {
  if (ACol == Col()) return;
  if (ACol >= FixedCols() || ACol < FIndicatorOffset) SetCol(ACol);
  else MoveCurrent(ACol, Row(), false, false);
}

bool TCustomDBGridEh::EditorShown() { return InplaceEditor() && InplaceEditor()->IsWindowShown(); }

bool TCustomDBGridEh::CanDrawRowFocusRect() {
  return !ComponentState().Contains(csDesigning) && FOptions.Contains(dgRowSelect) && DefaultDrawing() && Focused();
}

void TCustomDBGridEh::CollectDataSetFields(TList* List) {
  TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
  if (!ds || !List) return;
  for (Integer i = 0; i < ds->FieldCount(); ++i) List->Add(ds->Fields()[i]);
}

// As the dataset's link does: an action that acts on a data source (the
// dataset actions without their own source) acts on the grid's.
bool TCustomDBGridEh::ExecuteAction(TBasicAction* Action) {
  TDataSource* src = DataSource();
  if (!Action || !src || !Action->HandlesTarget(src)) return false;
  Action->ExecuteTarget(src);
  return true;
}

bool TCustomDBGridEh::UpdateAction(TBasicAction* Action) {
  TDataSource* src = DataSource();
  if (!Action || !src || !Action->HandlesTarget(src)) return false;
  Action->UpdateTarget(src);
  return true;
}

// ---------------------------------------------------------------------------
// Property storage of columns

TOVANI_IMPLEMENT_CLASS(TColumnEhPropertyInterceptor, TStoragePropertyInterceptor)
TOVANI_PUBLISHED(TColumnEhPropertyInterceptor) {
  Property<Integer>("Width", nullptr, &TColumnEhPropertyInterceptor::SetWidth);
}

TOVANI_IMPLEMENT_CLASS(TColumnsEhPropertyInterceptor, TStoragePropertyInterceptor)
TOVANI_PUBLISHED(TColumnsEhPropertyInterceptor) {
  Property("ColumnsIndex", &TColumnsEhPropertyInterceptor::ColumnsIndex,
           &TColumnsEhPropertyInterceptor::SetColumnsIndex);
}

void TColumnEhPropertyInterceptor::SetWidth(Integer V) {
  auto* column = static_cast<TColumnEh*>(Target());
  TCustomDBGridEh* grid = column->Grid();
  if (grid && grid->AutoFitColWidths()) {
    column->FPreFitWidth = V;
    grid->LayoutChanged();
  } else {
    column->SetWidth(V);
  }
}

String TColumnsEhPropertyInterceptor::ColumnsIndex() const {
  auto* columns = static_cast<TDBGridColumnsEh*>(Target());
  String text;
  for (Integer i = 0; i < columns->Count(); ++i) {
    if (i > 0) text += ',';
    // A quote inside a name is doubled, as the comma-text reader expects,
    // so every name reads back as written.
    text += '"';
    for (char ch : columns->Item(i)->FieldName()) {
      if (ch == '"') text += '"';
      text += ch;
    }
    text += '"';
  }
  return text;
}

void TColumnsEhPropertyInterceptor::SetColumnsIndex(const String& T) {
  FColumnsIndex = T;
  auto* columns = static_cast<TDBGridColumnsEh*>(Target());
  TStringList names;
  names.SetCommaText(T);
  columns->BeginUpdate();
  try {
    for (Integer i = 0; i < names.Count() && i < columns->Count(); ++i)
      for (Integer k = 0; k < columns->Count(); ++k)
        if (AnsiCompareStrEh(columns->Item(k)->FieldName(), names.Strings(i)) == 0) {
          columns->Item(k)->SetIndex(i);
          break;
        }
  } catch (...) {
    columns->EndUpdate();
    throw;
  }
  columns->EndUpdate();
}

namespace {
// The unit offers its interceptors to the property storage at start-up.
const bool kColumnInterceptorsRegistered = [] {
  RegisterPropertyInterceptorEh<TColumnEhPropertyInterceptor>(TColumnEh::StaticClass());
  RegisterPropertyInterceptorEh<TColumnsEhPropertyInterceptor>(TDBGridColumnsEh::StaticClass());
  return true;
}();
}  // namespace
