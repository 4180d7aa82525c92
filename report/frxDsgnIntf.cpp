#include "frxDsgnIntf.h"

#include <windows.h>
#undef GetProp
#undef SetProp

#include "Controls.h"
#include "DateUtils.h"
#include "Dialogs.h"
#include "Graphics.h"
#include "Menus.h"
#include "Strings.h"
#include "Utf8.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxRes.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxObjectItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TfrxObjectCollection, TCollection)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPropertyEditorItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TfrxPropertyEditorCollection, TCollection)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxExportFilterItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TfrxExportFilterCollection, TCollection)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPropertyEditor, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxIntegerProperty, TfrxPropertyEditor)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxStringProperty, TfrxPropertyEditor)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxClassProperty, TfrxPropertyEditor)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxNameProperty, TfrxStringProperty)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxColorProperty, TfrxIntegerProperty)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxFontProperty, TfrxClassProperty)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxFontNameProperty, TfrxStringProperty)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxFontCharsetProperty, TfrxIntegerProperty)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxModalResultProperty, TfrxIntegerProperty)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxShortCutProperty, TfrxPropertyEditor)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxCursorProperty, TfrxIntegerProperty)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDateTimeProperty, TfrxPropertyEditor)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDateProperty, TfrxPropertyEditor)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxTimeProperty, TfrxPropertyEditor)

// ---------------------------------------------------------------------------
// Registries

TfrxObjectCollection::TfrxObjectCollection() : TCollection(TfrxObjectItem::StaticClass()) {}

void TfrxObjectCollection::AddObjectClass(TClass ObjectClass, TBitmap* ButtonBitmap, Byte Category,
                                          Integer ImageIndex, Word Flags, const String& ButtonHint,
                                          const String& CategoryName) {
  if (!ObjectClass) return;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ObjectClass == ObjectClass && Items(i)->Flags == Flags) return;
  if (!GetClass(ObjectClass->Name)) RegisterClass(ObjectClass);
  auto* item = static_cast<TfrxObjectItem*>(Add());
  item->ObjectClass = ObjectClass;
  item->ButtonBitmap = ButtonBitmap;
  item->ImageIndex = ImageIndex;
  item->ButtonHint = ButtonHint;
  item->CategoryName = CategoryName;
  item->Flags = Flags;
  if (Category == 0) {
    if (ObjectClass->InheritsFrom(TfrxDataSet::StaticClass()) ||
        ObjectClass->InheritsFrom(TfrxCustomDatabase::StaticClass()))
      Category = 1;
    else if (ObjectClass->InheritsFrom(TfrxDialogControl::StaticClass()) ||
             ObjectClass->InheritsFrom(TfrxDialogComponent::StaticClass()))
      Category = 4;
    else Category = 2;
  }
  item->Category = Category;
  // The bitmap gives up its screen resources until it is drawn.
  if (ButtonBitmap) ButtonBitmap->Dormant();
}

void TfrxObjectCollection::RemoveObjectClass(TClass ObjectClass) {
  for (Integer i = Count() - 1; i >= 0; --i)
    if (Items(i)->ObjectClass == ObjectClass) Delete(i);
}

Integer TfrxObjectCollection::ImageIndexOf(TClass ObjectClass) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ObjectClass == ObjectClass) return Items(i)->ImageIndex;
  return -1;
}

TfrxPropertyEditorCollection::TfrxPropertyEditorCollection() : TCollection(TfrxPropertyEditorItem::StaticClass()) {}

void TfrxPropertyEditorCollection::Register(const String& PropType, TClass OwnerClass, const String& PropName,
                                            TClass EditorClass) {
  auto* item = static_cast<TfrxPropertyEditorItem*>(Add());
  item->PropType = PropType;
  item->OwnerClass = OwnerClass;
  item->PropName = PropName;
  item->EditorClass = EditorClass;
}

TfrxExportFilterCollection::TfrxExportFilterCollection() : TCollection(TfrxExportFilterItem::StaticClass()) {}

namespace {

// The standard editors, registered when the program starts.
void RegisterStandardEditors(TfrxPropertyEditorCollection* r) {
  r->Register("TComponentName", nullptr, "Name", TfrxNameProperty::StaticClass());
  r->Register("TColor", nullptr, "", TfrxColorProperty::StaticClass());
  r->Register("TFont", nullptr, "", TfrxFontProperty::StaticClass());
  r->Register("String", TFont::StaticClass(), "Name", TfrxFontNameProperty::StaticClass());
  r->Register("Integer", TFont::StaticClass(), "Charset", TfrxFontCharsetProperty::StaticClass());
  r->Register("TModalResult", nullptr, "", TfrxModalResultProperty::StaticClass());
  r->Register("TShortCut", nullptr, "", TfrxShortCutProperty::StaticClass());
  r->Register("TCursor", nullptr, "", TfrxCursorProperty::StaticClass());
  r->Register("TDateTime", nullptr, "", TfrxDateTimeProperty::StaticClass());
  r->Register("TDate", nullptr, "", TfrxDateProperty::StaticClass());
  r->Register("TTime", nullptr, "", TfrxTimeProperty::StaticClass());
}

}  // namespace

TfrxObjectCollection* frxObjectRegistry() {
  static TfrxObjectCollection registry;
  return &registry;
}

TfrxPropertyEditorCollection* frxPropertyEditorRegistry() {
  static TfrxPropertyEditorCollection registry;
  static const bool filled = (RegisterStandardEditors(&registry), true);
  (void)filled;
  return &registry;
}

TfrxExportFilterCollection* frxExportFilterRegistry() {
  static TfrxExportFilterCollection registry;
  return &registry;
}

namespace {
const bool kEditorsAtStartup = (frxPropertyEditorRegistry(), true);
}

// ---------------------------------------------------------------------------
// Property editors

TfrxPropertyEditor::TfrxPropertyEditor() : FValues(std::make_unique<TStringList>()) {}
TfrxPropertyEditor::~TfrxPropertyEditor() = default;

void TfrxPropertyEditor::SetTarget(const std::vector<TPersistent*>& Components, const String& PropName) {
  FComponents = Components;
  FPropName = PropName;
}

const TPropInfo* TfrxPropertyEditor::PropInfo() const {
  return Component() ? GetPropInfo(Component(), FPropName) : nullptr;
}

String TfrxPropertyEditor::PropertyName() { return PropInfo() ? PropInfo()->Name : FPropName; }

Extended TfrxPropertyEditor::GetFloatValue() const {
  const TPropInfo* p = PropInfo();
  return p && p->GetFloat ? p->GetFloat(Component()) : 0;
}

Int64 TfrxPropertyEditor::GetOrdValue() const {
  const TPropInfo* p = PropInfo();
  return p && p->GetOrd ? p->GetOrd(Component()) : 0;
}

String TfrxPropertyEditor::GetStrValue() const {
  const TPropInfo* p = PropInfo();
  return p && p->GetStr ? p->GetStr(Component()) : String();
}

void TfrxPropertyEditor::SetFloatValue(Extended Value) {
  for (TPersistent* c : FComponents)
    if (const TPropInfo* p = GetPropInfo(c, FPropName); p && p->SetFloat) p->SetFloat(c, Value);
}

void TfrxPropertyEditor::SetOrdValue(Int64 Value) {
  for (TPersistent* c : FComponents)
    if (const TPropInfo* p = GetPropInfo(c, FPropName); p && p->SetOrd) p->SetOrd(c, Value);
}

void TfrxPropertyEditor::SetStrValue(const String& Value) {
  for (TPersistent* c : FComponents)
    if (const TPropInfo* p = GetPropInfo(c, FPropName); p && p->SetStr) p->SetStr(c, Value);
}

bool TfrxPropertyEditor::EditValue() {
  FillValues();
  if (FValues->Count() == 0) return false;
  // The next value of the list after the current one (after the last or
  // when absent: the first).
  Integer i = FValues->IndexOf(ValueText());
  i = i < 0 || i + 1 >= FValues->Count() ? 0 : i + 1;
  SetValueText((*FValues)[i]);
  return true;
}

void TfrxPropertyEditor::FillValues() {
  FValues->Clear();
  FValues->SetSorted((Attributes() & paSortList) != 0);
}

void TfrxPropertyEditor::DrawListItem(TCanvas* Canvas, const String& Item, const TRect& Rect) {
  Canvas->FillRect(Rect);
  Canvas->TextOut(Rect.Left + ItemHeight + 4, Rect.Top + 1, Item);
  Canvas->Pen()->SetColor(clGray);
}

void TfrxPropertyEditor::DrawValue(TCanvas* Canvas, const TRect& Rect) {
  Canvas->TextOut(Rect.Left + ItemHeight - 2, Rect.Top, ValueText());
  Canvas->Pen()->SetColor(clGray);
}

// Integer and string

Byte TfrxIntegerProperty::Attributes() { return paMultiSelect; }
String TfrxIntegerProperty::ValueText() { return IntToStr(Int64(GetOrdValue())); }
void TfrxIntegerProperty::SetValueText(const String& Value) { SetOrdValue(StrToInt(Value)); }
void TfrxIntegerProperty::FillValues() { TfrxPropertyEditor::FillValues(); }

Byte TfrxStringProperty::Attributes() { return paMultiSelect; }
String TfrxStringProperty::ValueText() { return GetStrValue(); }
void TfrxStringProperty::SetValueText(const String& Value) { SetStrValue(Value); }
void TfrxStringProperty::FillValues() { TfrxPropertyEditor::FillValues(); }

Byte TfrxClassProperty::Attributes() { return paMultiSelect | paSubProperties | paReadOnly; }
String TfrxClassProperty::ValueText() {
  const TPropInfo* p = PropInfo();
  return "(" + String(p && p->PropType ? p->PropType->Name : String()) + ")";
}
void TfrxClassProperty::SetValueText(const String&) {}
void TfrxClassProperty::FillValues() { TfrxPropertyEditor::FillValues(); }

Byte TfrxNameProperty::Attributes() { return 0; }
String TfrxNameProperty::ValueText() { return TfrxStringProperty::ValueText(); }
void TfrxNameProperty::SetValueText(const String& Value) { TfrxStringProperty::SetValueText(Value); }
void TfrxNameProperty::FillValues() { TfrxStringProperty::FillValues(); }

// Colours

namespace {

const char* const kColorNames[] = {
    "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray", "clSilver", "clRed",
    "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite", "clMoneyGreen", "clSkyBlue", "clCream",
    "clMedGray", "clActiveBorder", "clActiveCaption", "clAppWorkSpace", "clBackground", "clBtnFace",
    "clBtnHighlight", "clBtnShadow", "clBtnText", "clCaptionText", "clDefault", "clGrayText", "clHighlight",
    "clHighlightText", "clInactiveBorder", "clInactiveCaption", "clInactiveCaptionText", "clInfoBk", "clInfoText",
    "clMenu", "clMenuText", "clNone", "clScrollBar", "cl3DDkShadow", "cl3DLight", "clWindow", "clWindowFrame",
    "clWindowText"};

}  // namespace

Byte TfrxColorProperty::Attributes() { return paValueList | paMultiSelect | paOwnerDraw; }
String TfrxColorProperty::ValueText() { return ColorToString(TColor(GetOrdValue())); }

void TfrxColorProperty::SetValueText(const String& Value) {
  TColor c;
  if (IdentToColor(Value, c)) SetOrdValue(c);
  else SetOrdValue(StrToInt(Value));
}

void TfrxColorProperty::FillValues() {
  TfrxPropertyEditor::FillValues();
  TColor c;
  for (const char* n : kColorNames)
    if (IdentToColor(n, c)) Values()->Add(n);
}

bool TfrxColorProperty::EditValue() {
  TColorDialog dialog;
  dialog.SetColor(TColor(GetOrdValue()));
  if (!dialog.Execute()) return false;
  SetOrdValue(dialog.Color());
  return true;
}

void TfrxColorProperty::DrawListItem(TCanvas* Canvas, const String& Item, const TRect& Rect) {
  TfrxPropertyEditor::DrawListItem(Canvas, Item, Rect);
  TColor c;
  if (!IdentToColor(Item, c)) return;
  const Integer h = Rect.Bottom - Rect.Top;
  Canvas->Brush()->SetColor(c);
  Canvas->Rectangle(Rect.Left + 2, Rect.Top + 2, Rect.Left + h - 2, Rect.Bottom - 2);
}

void TfrxColorProperty::DrawValue(TCanvas* Canvas, const TRect& Rect) {
  TfrxPropertyEditor::DrawValue(Canvas, Rect);
  const Integer h = Rect.Bottom - Rect.Top;
  Canvas->Brush()->SetColor(TColor(GetOrdValue()));
  Canvas->Rectangle(Rect.Left, Rect.Top + 1, Rect.Left + h - 5, Rect.Bottom - 4);
}

// Fonts

bool TfrxFontProperty::EditValue() {
  const TPropInfo* p = PropInfo();
  auto* font = p && p->GetObj ? dynamic_cast<TFont*>(p->GetObj(Component())) : nullptr;
  if (!font) return false;
  TFontDialog dialog;
  dialog.SetFont(font);
  dialog.SetOptions(dialog.Options() + fdForceFontExist);
  if (!dialog.Execute()) return false;
  font->Assign(dialog.Font());
  return true;
}

namespace {

int CALLBACK AddFontName(const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM data) {
  auto* list = reinterpret_cast<TStringList*>(data);
  String name = Utf16ToUtf8(reinterpret_cast<const char16_t*>(f->lfFaceName));
  if (!name.empty() && name[0] != '@' && list->IndexOf(name) < 0) list->Add(name);
  return 1;
}

}  // namespace

Byte TfrxFontNameProperty::Attributes() { return paValueList | paSortList | paDialog; }
String TfrxFontNameProperty::ValueText() { return TfrxStringProperty::ValueText(); }
void TfrxFontNameProperty::SetValueText(const String& Value) { TfrxStringProperty::SetValueText(Value); }

void TfrxFontNameProperty::FillValues() {
  TfrxPropertyEditor::FillValues();
  HDC dc = GetDC(nullptr);
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &lf, AddFontName, LPARAM(Values()), 0);
  ReleaseDC(nullptr, dc);
}

namespace {

struct TNamedValue {
  Integer Value;
  const char* Name;
};

const TNamedValue kCharsets[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},         {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},     {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},       {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},   {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},     {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},     {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},         {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"}};

const TNamedValue kCursors[] = {
    {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},       {crCross, "crCross"},
    {crIBeam, "crIBeam"},       {-6, "crSizeNESW"},          {-7, "crSizeNS"},           {-8, "crSizeNWSE"},
    {-9, "crSizeWE"},           {-10, "crUpArrow"},          {-11, "crHourGlass"},       {-12, "crDrag"},
    {-13, "crNoDrop"},          {-14, "crHSplit"},           {-15, "crVSplit"},          {-16, "crMultiDrag"},
    {-17, "crSQLWait"},         {-18, "crNo"},               {-19, "crAppStart"},        {-20, "crHelp"},
    {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"}};

const char* const kModalResults[] = {"mrNone", "mrOk",  "mrCancel", "mrAbort",   "mrRetry",   "mrIgnore",
                                     "mrYes",  "mrNo",  "mrAll",    "mrNoToAll", "mrYesToAll"};

template <size_t N>
const char* NameOf(const TNamedValue (&table)[N], Integer v) {
  for (const TNamedValue& e : table)
    if (e.Value == v) return e.Name;
  return nullptr;
}

template <size_t N>
bool ValueOf(const TNamedValue (&table)[N], const String& name, Integer& v) {
  for (const TNamedValue& e : table)
    if (SameText(name, e.Name)) {
      v = e.Value;
      return true;
    }
  return false;
}

}  // namespace

Byte TfrxFontCharsetProperty::Attributes() { return paValueList | paSortList | paMultiSelect; }

String TfrxFontCharsetProperty::ValueText() {
  const char* n = NameOf(kCharsets, Integer(GetOrdValue()));
  return n ? String(n) : Format("%d", {Integer(GetOrdValue())});
}

void TfrxFontCharsetProperty::SetValueText(const String& Value) {
  Integer v;
  SetOrdValue(ValueOf(kCharsets, Value, v) ? v : StrToInt(Value));
}

void TfrxFontCharsetProperty::FillValues() {
  TfrxPropertyEditor::FillValues();
  for (const TNamedValue& e : kCharsets) Values()->Add(e.Name);
}

Byte TfrxModalResultProperty::Attributes() { return paValueList | paMultiSelect; }

String TfrxModalResultProperty::ValueText() {
  const Int64 v = GetOrdValue();
  return v >= 0 && v <= 10 ? String(kModalResults[v]) : IntToStr(v);
}

void TfrxModalResultProperty::SetValueText(const String& Value) {
  if (Value.empty()) return SetOrdValue(0);
  for (Integer i = 0; i <= 10; ++i)
    if (SameText(Value, kModalResults[i])) return SetOrdValue(i);
  SetOrdValue(StrToInt(Value));
}

void TfrxModalResultProperty::FillValues() {
  TfrxPropertyEditor::FillValues();
  for (const char* n : kModalResults) Values()->Add(n);
}

Byte TfrxCursorProperty::Attributes() { return paValueList | paSortList | paMultiSelect; }

String TfrxCursorProperty::ValueText() {
  const char* n = NameOf(kCursors, Integer(GetOrdValue()));
  return n ? String(n) : IntToStr(GetOrdValue());
}

void TfrxCursorProperty::SetValueText(const String& Value) {
  Integer v;
  SetOrdValue(ValueOf(kCursors, Value, v) ? v : StrToInt(Value));
}

void TfrxCursorProperty::FillValues() {
  TfrxPropertyEditor::FillValues();
  for (const TNamedValue& e : kCursors) Values()->Add(e.Name);
}

// Shortcuts

Byte TfrxShortCutProperty::Attributes() { return paValueList | paMultiSelect; }

String TfrxShortCutProperty::ValueText() {
  const TShortCut s = TShortCut(GetOrdValue());
  if ((s & 0xFF) == 0) return frxGetResources()->Get("(None)");
  return ShortCutToText(s);
}

void TfrxShortCutProperty::SetValueText(const String& Value) {
  if (SameText(Value, "(None)") || SameText(Value, frxGetResources()->Get("(None)"))) return SetOrdValue(0);
  SetOrdValue(TextToShortCut(Value));
}

void TfrxShortCutProperty::FillValues() {
  TfrxPropertyEditor::FillValues();
  Values()->Add(frxGetResources()->Get("(None)"));
  auto add = [this](Word key, TShiftState shift) { Values()->Add(ShortCutToText(ShortCut(key, shift))); };
  for (Word k = 'A'; k <= 'Z'; ++k) add(k, {ssCtrl});
  for (Word k = 'A'; k <= 'Z'; ++k) add(k, {ssCtrl, ssAlt});
  for (Word k = VK_F1; k <= VK_F12; ++k) add(k, {});
  for (Word k = VK_F1; k <= VK_F12; ++k) add(k, {ssCtrl});
  for (Word k = VK_F1; k <= VK_F12; ++k) add(k, {ssShift});
  for (Word k = VK_F1; k <= VK_F12; ++k) add(k, {ssShift, ssCtrl});
  add(VK_INSERT, {});
  add(VK_INSERT, {ssShift});
  add(VK_INSERT, {ssCtrl});
  add(VK_DELETE, {});
  add(VK_DELETE, {ssShift});
  add(VK_DELETE, {ssCtrl});
  add(VK_BACK, {ssAlt});
  add(VK_BACK, {ssShift, ssAlt});
}

// Dates and times

Byte TfrxDateTimeProperty::Attributes() { return paMultiSelect; }
String TfrxDateTimeProperty::ValueText() {
  const Extended v = GetFloatValue();
  return v == 0 ? String() : DateTimeToStr(v);
}
void TfrxDateTimeProperty::SetValueText(const String& Value) { SetFloatValue(Value.empty() ? 0 : StrToDateTime(Value)); }
void TfrxDateTimeProperty::FillValues() { TfrxPropertyEditor::FillValues(); }

Byte TfrxDateProperty::Attributes() { return paMultiSelect; }
String TfrxDateProperty::ValueText() {
  const Extended v = GetFloatValue();
  return v == 0 ? String() : DateToStr(v);
}
void TfrxDateProperty::SetValueText(const String& Value) { SetFloatValue(Value.empty() ? 0 : StrToDate(Value)); }
void TfrxDateProperty::FillValues() { TfrxPropertyEditor::FillValues(); }

Byte TfrxTimeProperty::Attributes() { return paMultiSelect; }
String TfrxTimeProperty::ValueText() {
  const Extended v = GetFloatValue();
  return v == 0 ? String() : TimeToStr(v);
}
void TfrxTimeProperty::SetValueText(const String& Value) { SetFloatValue(Value.empty() ? 0 : StrToTime(Value)); }
void TfrxTimeProperty::FillValues() { TfrxPropertyEditor::FillValues(); }
