#include "DBCtrls.h"
#include <algorithm>
#include "Clipbrd.h"
#include "Forms.h"
#include "Streams.h"
#include "VclUtils.h"

TOVANI_IMPLEMENT_CLASS(TControlFieldLink, TFieldDataLink)

namespace {
// Connects a control's handlers to its field link: DataChange also runs
// when the link becomes active or inactive; EditingChange and UpdateData
// may be empty.
void Connect(TFieldDataLink* Link, TNotifyEvent DataChange, TNotifyEvent EditingChange = nullptr,
             TNotifyEvent UpdateData = nullptr) {
  Link->OnDataChange = DataChange;
  Link->OnActiveChange = std::move(DataChange);
  Link->OnEditingChange = std::move(EditingChange);
  Link->OnUpdateData = std::move(UpdateData);
}

// From the control's destructor: no handler of the dying control runs any
// more, and the link leaves its data source.
void Disconnect(TFieldDataLink* Link) {
  Link->OnDataChange = nullptr;
  Link->OnActiveChange = nullptr;
  Link->OnEditingChange = nullptr;
  Link->OnUpdateData = nullptr;
  Link->SetDataSource(nullptr);
}
}  // namespace
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBEdit, TCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBText, TCustomLabel)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBMemo, TCustomMemo)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBComboBox, TCustomComboBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBCheckBox, TCustomCheckBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBImage, TCustomControl)

#define PUBLISH_BINDING(Cls)                                            \
  Property("DataField", &Cls::DataField, &Cls::SetDataField);          \
  Property("DataSource", &Cls::DataSource, &Cls::SetDataSource);       \
  Property("ReadOnly", &Cls::ReadOnly, &Cls::SetReadOnly).Default(false)

TOVANI_PUBLISHED(TDBEdit) { PUBLISH_BINDING(TDBEdit); }
TOVANI_PUBLISHED(TDBMemo) { PUBLISH_BINDING(TDBMemo); }
TOVANI_PUBLISHED(TDBComboBox) { PUBLISH_BINDING(TDBComboBox); }
TOVANI_PUBLISHED(TDBCheckBox) {
  PUBLISH_BINDING(TDBCheckBox);
  Property("ValueChecked", &TDBCheckBox::ValueChecked, &TDBCheckBox::SetValueChecked);
  Property("ValueUnchecked", &TDBCheckBox::ValueUnchecked, &TDBCheckBox::SetValueUnchecked);
}
TOVANI_PUBLISHED(TDBText) {
  Property("DataField", &TDBText::DataField, &TDBText::SetDataField);
  Property("DataSource", &TDBText::DataSource, &TDBText::SetDataSource);
}
TOVANI_PUBLISHED(TDBImage) {
  PUBLISH_BINDING(TDBImage);
  Property("BorderStyle", &TDBImage::BorderStyle, &TDBImage::SetBorderStyle).Default(bsSingle);
  Property("Center", &TDBImage::Center, &TDBImage::SetCenter).Default(true);
  Property("Proportional", &TDBImage::Proportional, &TDBImage::SetProportional).Default(false);
  Property("Stretch", &TDBImage::Stretch, &TDBImage::SetStretch).Default(false);
}
#undef PUBLISH_BINDING

TControlFieldLink::TControlFieldLink(TWinControl* AControl) : FWinControl(AControl) {
  SetControl(AControl);
  SetVisualControl(true);
}

void TControlFieldLink::FocusControl(TField** field) {
  if (field && *field && *field == Field() && FWinControl && FWinControl->CanFocus()) {
    *field = nullptr;
    FWinControl->SetFocus();
  }
}

bool DataLinkExecuteAction(TDataLink* Link, TBasicAction* Action) {
  if (Link && Link->DataSource() && Action->HandlesTarget(Link->DataSource())) {
    Action->ExecuteTarget(Link->DataSource());
    return true;
  }
  return false;
}

bool DataLinkUpdateAction(TDataLink* Link, TBasicAction* Action) {
  if (Link && Link->DataSource() && Action->HandlesTarget(Link->DataSource())) {
    Action->UpdateTarget(Link->DataSource());
    return true;
  }
  return false;
}

// The shared binding members of the data-aware windowed controls.
#define IMPLEMENT_BINDING(Cls, Base)                                              \
  void Cls::SetDataSource(TDataSource* v) {                                      \
    if (TDataSource* old = FDataLink->DataSource()) old->RemoveFreeNotification(this); \
    FDataLink->SetDataSource(v);                                                 \
    if (v) v->FreeNotification(this);                                            \
  }                                                                              \
  bool Cls::ExecuteAction(TBasicAction* Action) {                                \
    return Base::ExecuteAction(Action) || DataLinkExecuteAction(FDataLink.get(), Action); \
  }                                                                              \
  bool Cls::UpdateAction(TBasicAction* Action) {                                 \
    return Base::UpdateAction(Action) || DataLinkUpdateAction(FDataLink.get(), Action); \
  }                                                                              \
  void Cls::Notification(TComponent* AComponent, TOperation Operation) {         \
    Base::Notification(AComponent, Operation);                                   \
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) \
      FDataLink->SetDataSource(nullptr);                                         \
  }

IMPLEMENT_BINDING(TDBEdit, TCustomEdit)
IMPLEMENT_BINDING(TDBMemo, TCustomMemo)
IMPLEMENT_BINDING(TDBComboBox, TCustomComboBox)
IMPLEMENT_BINDING(TDBCheckBox, TCustomCheckBox)
IMPLEMENT_BINDING(TDBImage, TCustomControl)
#undef IMPLEMENT_BINDING

namespace {
bool IsTypedChar(char32_t key) { return key >= 32 || key == 8 || key == 22 || key == 24; }
// Puts the dataset in edit state when the field may be changed; a read-only
// dataset or field simply keeps the control from changing.
bool StartEdit(TFieldDataLink* link) { return link->CanModify() && link->Edit(); }
}  // namespace

// ---------------------------------------------------------------------------
// TDBEdit

TDBEdit::TDBEdit(TComponent* AOwner) : TCustomEdit(AOwner), FDataLink(new TControlFieldLink(this)) {
  TCustomEdit::SetReadOnly(true);
  Connect(FDataLink.get(), [this](TObject* s) { DataChange(s); }, [this](TObject* s) { EditingChange(s); },
          [this](TObject* s) { UpdateData(s); });
}

TDBEdit::~TDBEdit() {
  Disconnect(FDataLink.get());
}

void TDBEdit::SetReadOnly(bool v) {
  FReadOnly = v;
  FDataLink->SetReadOnly(v);
  EditingChange(this);
}

void TDBEdit::DataChange(TObject*) {
  TField* f = FDataLink->Field();
  FSettingText = true;
  if (f) {
    SetMaxLength(f->DataType() == ftString || f->DataType() == ftWideString ? f->Size() : 0);
    // The edit text while editing the focused control, the display text otherwise.
    SetText(FFocused && FDataLink->CanModify() ? f->Text() : f->DisplayText());
  } else {
    SetText(ComponentState().Contains(csDesigning) ? Name() : String());
  }
  FSettingText = false;
  SetModified(false);
}

void TDBEdit::EditingChange(TObject*) { TCustomEdit::SetReadOnly(FReadOnly || !FDataLink->Editing()); }

void TDBEdit::UpdateData(TObject*) {
  if (TField* f = FDataLink->Field()) f->SetText(Text());
}

bool TDBEdit::EditCanModify() { return StartEdit(FDataLink.get()); }

void TDBEdit::Change() {
  if (!FSettingText) FDataLink->Modified_();
  TCustomEdit::Change();
}

void TDBEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) StartEdit(FDataLink.get());
}

void TDBEdit::KeyPress(char32_t& Key) {
  TCustomEdit::KeyPress(Key);
  TField* f = FDataLink->Field();
  if (Key >= 32 && f && !f->IsValidChar(Key)) {
    MessageBeep(0);
    Key = 0;
  }
  if (Key == 0) return;
  if (IsTypedChar(Key)) {
    if (!StartEdit(FDataLink.get())) Key = 0;
  } else if (Key == 27) {
    FDataLink->Reset();
    SelectAll();
    Key = 0;
  }
}

void TDBEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENTER:
      FFocused = true;
      if (FDataLink->Field() && FDataLink->CanModify()) DataChange(this);
      TCustomEdit::Dispatch(Message);
      return;
    case CM_EXIT:
      // The value is written when the control is left; an invalid one keeps the focus.
      try {
        FDataLink->UpdateRecord();
      } catch (...) {
        SelectAll();
        SetFocus();
        throw;
      }
      FFocused = false;
      if (FDataLink->Field()) DataChange(this);
      TCustomEdit::Dispatch(Message);
      return;
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
    case WM_CUT:
    case WM_PASTE:
    case WM_UNDO:
      StartEdit(FDataLink.get());
      break;
  }
  TCustomEdit::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TDBText

TDBText::TDBText(TComponent* AOwner) : TCustomLabel(AOwner), FDataLink(new TFieldDataLink) {
  SetAutoSize(false);
  SetShowAccelChar(false);
  FDataLink->SetControl(this);
  Connect(FDataLink.get(), [this](TObject* s) { DataChange(s); });
}

TDBText::~TDBText() {
  Disconnect(FDataLink.get());
}

void TDBText::SetDataSource(TDataSource* v) {
  if (TDataSource* old = FDataLink->DataSource()) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(v);
  if (v) v->FreeNotification(this);
}

void TDBText::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomLabel::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) FDataLink->SetDataSource(nullptr);
}

void TDBText::DataChange(TObject*) {
  TField* f = FDataLink->Field();
  SetCaption(f ? f->DisplayText() : String());
  if (f) SetAlignment(f->Alignment());
}

// ---------------------------------------------------------------------------
// TDBMemo

TDBMemo::TDBMemo(TComponent* AOwner) : TCustomMemo(AOwner), FDataLink(new TControlFieldLink(this)) {
  TCustomEdit::SetReadOnly(true);
  Connect(FDataLink.get(), [this](TObject* s) { DataChange(s); }, [this](TObject* s) { EditingChange(s); },
          [this](TObject* s) { UpdateData(s); });
}

TDBMemo::~TDBMemo() {
  Disconnect(FDataLink.get());
}

void TDBMemo::SetReadOnly(bool v) {
  FReadOnly = v;
  FDataLink->SetReadOnly(v);
  EditingChange(this);
}

void TDBMemo::DataChange(TObject*) {
  FSettingText = true;
  TField* f = FDataLink->Field();
  Lines()->SetText(f ? f->AsString() : String());
  FSettingText = false;
  SetModified(false);
}

void TDBMemo::EditingChange(TObject*) { TCustomEdit::SetReadOnly(FReadOnly || !FDataLink->Editing()); }

void TDBMemo::UpdateData(TObject*) {
  if (TField* f = FDataLink->Field()) f->SetAsString(Text());
}

void TDBMemo::Change() {
  if (!FSettingText) FDataLink->Modified_();
  TCustomMemo::Change();
}

void TDBMemo::KeyDown(Word& Key, TShiftState Shift) {
  TCustomMemo::KeyDown(Key, Shift);
  if (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) StartEdit(FDataLink.get());
}

void TDBMemo::KeyPress(char32_t& Key) {
  TCustomMemo::KeyPress(Key);
  if (Key == 0) return;
  if (IsTypedChar(Key) || Key == 13) {
    if (!StartEdit(FDataLink.get())) Key = 0;
  } else if (Key == 27) {
    FDataLink->Reset();
    Key = 0;
  }
}

void TDBMemo::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_EXIT:
      try {
        FDataLink->UpdateRecord();
      } catch (...) {
        SetFocus();
        throw;
      }
      break;
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
    case WM_CUT:
    case WM_PASTE:
    case WM_UNDO:
      StartEdit(FDataLink.get());
      break;
  }
  TCustomMemo::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TDBComboBox

TDBComboBox::TDBComboBox(TComponent* AOwner) : TCustomComboBox(AOwner), FDataLink(new TControlFieldLink(this)) {
  Connect(FDataLink.get(), [this](TObject* s) { DataChange(s); }, [this](TObject* s) { EditingChange(s); },
          [this](TObject* s) { UpdateData(s); });
}

TDBComboBox::~TDBComboBox() {
  Disconnect(FDataLink.get());
}

void TDBComboBox::SetReadOnly(bool v) {
  FReadOnly = v;
  FDataLink->SetReadOnly(v);
}

void TDBComboBox::DataChange(TObject*) {
  if (DroppedDown()) return;
  FSettingText = true;
  TField* f = FDataLink->Field();
  String text = f ? f->Text() : String();
  if (Style() == csDropDown || Style() == csSimple) SetText(text);
  else SetItemIndex(Items()->IndexOf(text));
  FSettingText = false;
}

void TDBComboBox::EditingChange(TObject*) {}

void TDBComboBox::UpdateData(TObject*) {
  if (TField* f = FDataLink->Field()) {
    Integer i = ItemIndex();
    f->SetText(Style() == csDropDown || Style() == csSimple ? Text() : (i >= 0 ? Items()->Strings(i) : String()));
  }
}

void TDBComboBox::Change() {
  if (!FSettingText) {
    StartEdit(FDataLink.get());
    FDataLink->Modified_();
  }
  TCustomComboBox::Change();
}

void TDBComboBox::Select() {
  if (!FSettingText) {
    if (StartEdit(FDataLink.get())) {
      FDataLink->Modified_();
    } else {
      // Not editable: the box shows the field again.
      DataChange(this);
      return;
    }
  }
  TCustomComboBox::Select();
}

void TDBComboBox::KeyPress(char32_t& Key) {
  TCustomComboBox::KeyPress(Key);
  if (Key == 0) return;
  if (IsTypedChar(Key)) {
    if (!StartEdit(FDataLink.get())) Key = 0;
  } else if (Key == 27) {
    FDataLink->Reset();
    SelectAll();
  }
}

void TDBComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_EXIT:
      try {
        FDataLink->UpdateRecord();
      } catch (...) {
        SelectAll();
        SetFocus();
        throw;
      }
      break;
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
  }
  TCustomComboBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TDBCheckBox

TDBCheckBox::TDBCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner), FDataLink(new TControlFieldLink(this)) {
  SetState(cbUnchecked);
  Connect(FDataLink.get(), [this](TObject* s) { DataChange(s); }, nullptr, [this](TObject* s) { UpdateData(s); });
}

TDBCheckBox::~TDBCheckBox() {
  Disconnect(FDataLink.get());
}

namespace {
// "Yes;Y" matches any of its parts, case-insensitively.
bool MatchesValue(const String& text, const String& values) {
  size_t start = 0;
  String lower = vcl::LowerAscii(text);
  while (start <= values.size()) {
    size_t end = values.find(';', start);
    if (end == String::npos) end = values.size();
    if (vcl::LowerAscii(values.substr(start, end - start)) == lower) return true;
    start = end + 1;
  }
  return false;
}
String FirstValue(const String& values) {
  size_t semi = values.find(';');
  return semi == String::npos ? values : values.substr(0, semi);
}
}  // namespace

TCheckBoxState TDBCheckBox::FieldState() {
  TField* f = FDataLink->Field();
  if (!f || f->IsNull()) return cbGrayed;
  if (f->DataType() == ftBoolean) return f->AsBoolean() ? cbChecked : cbUnchecked;
  String text = f->Text();
  if (MatchesValue(text, FValueChecked)) return cbChecked;
  if (MatchesValue(text, FValueUnchecked)) return cbUnchecked;
  return cbGrayed;
}

void TDBCheckBox::DataChange(TObject*) {
  FClicksDisabled = true;
  SetState(FieldState());
  FClicksDisabled = false;
}

void TDBCheckBox::UpdateData(TObject*) {
  TField* f = FDataLink->Field();
  if (!f) return;
  if (State() == cbGrayed) {
    f->Clear();
  } else if (f->DataType() == ftBoolean) {
    f->SetAsBoolean(Checked());
  } else {
    f->SetText(FirstValue(Checked() ? FValueChecked : FValueUnchecked));
  }
}

void TDBCheckBox::Toggle() {
  if (FReadOnly || !StartEdit(FDataLink.get())) return;
  TCustomCheckBox::Toggle();
  FDataLink->Modified_();
}

void TDBCheckBox::SetValueChecked(const String& v) {
  FValueChecked = v;
  DataChange(this);
}

void TDBCheckBox::SetValueUnchecked(const String& v) {
  FValueUnchecked = v;
  DataChange(this);
}

void TDBCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_EXIT:
      try {
        FDataLink->UpdateRecord();
      } catch (...) {
        SetFocus();
        throw;
      }
      break;
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
  }
  TCustomCheckBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TDBImage

TDBImage::TDBImage(TComponent* AOwner)
    : TCustomControl(AOwner), FDataLink(new TControlFieldLink(this)), FPicture(new TPicture) {
  FControlStyle = {csOpaque, csReplicatable, csClickEvents, csDoubleClicks, csCaptureMouse};
  FWidth = 105;
  FHeight = 105;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FBrush->SetColor(FColor);
  FPicture->OnChange = [this](TObject* s) { PictureChanged(s); };
  Connect(FDataLink.get(), [this](TObject* s) { DataChange(s); }, nullptr, [this](TObject* s) { UpdateData(s); });
}

TDBImage::~TDBImage() {
  Disconnect(FDataLink.get());
  FPicture->OnChange = nullptr;
}

void TDBImage::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    if (FCtl3D) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

void TDBImage::LoadPicture() {
  if (FPictureLoaded) return;
  TField* f = FDataLink->Field();
  FLoading = true;
  try {
    if (f && !f->IsNull()) {
      String bytes = f->AsString();
      TMemoryStream ms;
      ms.WriteBuffer(bytes.data(), LongInt(bytes.size()));
      ms.SetPosition(0);
      FPicture->LoadFromStream(&ms);
    } else {
      FPicture->SetGraphic(nullptr);
    }
  } catch (const EInvalidGraphic&) {
    // A field that holds no picture shows empty.
    FPicture->SetGraphic(nullptr);
  }
  FLoading = false;
  FPictureLoaded = true;
  Invalidate();
}

void TDBImage::DataChange(TObject*) {
  FPictureLoaded = false;
  LoadPicture();
}

void TDBImage::UpdateData(TObject*) {
  TField* f = FDataLink->Field();
  if (!f) return;
  if (!FPicture->Graphic() || FPicture->Graphic()->Empty()) {
    f->Clear();
    return;
  }
  TMemoryStream ms;
  FPicture->Graphic()->SaveToStream(&ms);
  f->SetAsString(String(static_cast<const char*>(ms.Memory()), size_t(ms.Size())));
}

void TDBImage::PictureChanged(TObject*) {
  if (!FLoading) {
    if (StartEdit(FDataLink.get())) FDataLink->Modified_();
  }
  Invalidate();
}

void TDBImage::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  c->Brush()->SetColor(FColor);
  c->FillRect(client);
  TGraphic* g = FPicture->Graphic();
  if (!g || g->Empty()) return;
  Integer w = g->Width(), h = g->Height();
  TRect r(0, 0, w, h);
  if (FStretch || (FProportional && (w > client.Width() || h > client.Height()))) {
    if (FProportional && w > 0 && h > 0) {
      if (int64_t(client.Width()) * h > int64_t(client.Height()) * w) r = TRect(0, 0, Integer(int64_t(w) * client.Height() / h), client.Height());
      else r = TRect(0, 0, client.Width(), Integer(int64_t(h) * client.Width() / w));
    } else {
      r = client;
    }
  }
  if (FCenter) OffsetRect(r, (client.Width() - r.Width()) / 2, (client.Height() - r.Height()) / 2);
  c->StretchDraw(r, g);
}

void TDBImage::SetStretch(bool v) {
  FStretch = v;
  Invalidate();
}

void TDBImage::SetCenter(bool v) {
  FCenter = v;
  Invalidate();
}

void TDBImage::SetProportional(bool v) {
  FProportional = v;
  Invalidate();
}

void TDBImage::SetBorderStyle(TBorderStyle v) {
  if (FBorderStyle == v) return;
  FBorderStyle = v;
  RecreateWnd();
}

void TDBImage::CopyToClipboard() {
  if (FPicture->Graphic()) Clipboard()->Assign(FPicture->Graphic());
}

void TDBImage::CutToClipboard() {
  if (!FPicture->Graphic() || FReadOnly || !StartEdit(FDataLink.get())) return;
  CopyToClipboard();
  FPicture->SetGraphic(nullptr);
}

void TDBImage::PasteFromClipboard() {
  if (FReadOnly || !Clipboard()->HasFormat(CF_DIB) || !StartEdit(FDataLink.get())) return;
  TBitmap bmp;
  bmp.Assign(Clipboard());
  FPicture->SetGraphic(&bmp);
}
