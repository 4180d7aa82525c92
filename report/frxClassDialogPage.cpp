// Dialog pages: report pages shown as modal windows before or during a run,
// whose window events run the script procedures named by the page.
#include <windows.h>
#undef GetProp
#undef SetProp

#include <cmath>
#include <mutex>

#include "Messages.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "fs_iinterpreter.h"
#include "frxClass.h"
#include "frxRes.h"

namespace {

Integer Rnd(Extended x) { return Integer(std::nearbyint(x)); }

// Serialises the destruction of dialog pages with XML loading in thread-safe mode.
std::recursive_mutex& DialogPageLock() {
  static std::recursive_mutex lock;
  return lock;
}

// The page's Tag while its window is made: 318 asks for a thread-safe window.
constexpr Integer kThreadSafeTag = 318;

}  // namespace

// ---------------------------------------------------------------------------
// TfrxDialogForm

TfrxDialogForm::TfrxDialogForm(TfrxDialogPage* APage) : TForm(nullptr), FPage(APage) {
  FThreadSafe = APage && APage->Tag() == kThreadSafeTag;
}

void TfrxDialogForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    // The dialog page's controls move the focus with the arrows and Tab themselves.
    Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
    return;
  }
  TForm::Dispatch(Message);
  switch (Message.Msg) {
    case WM_EXITSIZEMOVE:
      if (OnMoveSizeEnd) OnMoveSizeEnd(this);
      break;
    case WM_MOUSEMOVE:
      if (OnAnyMouseMove)
        OnAnyMouseMove(this, TShiftState(), Integer(short(LOWORD(Message.LParam))),
                       Integer(short(HIWORD(Message.LParam))));
      break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// TfrxDialogPage

TOVANI_PUBLISHED(TfrxDialogPage) {
  using C = TfrxDialogPage;
  Property("BorderStyle", &C::BorderStyle).Default(bsSizeable);
  Property("Caption", &C::Caption, &C::SetCaption);
  Property("Color", &C::Color, &C::SetColor).Default(clBtnFace);
  Property("Height", &C::Height, &C::SetHeight);
  Property("Left", &C::Left, &C::SetLeft);
  Property("Position", &C::Position).Default(poScreenCenter);
  Property("Top", &C::Top, &C::SetTop);
  Property("Width", &C::Width, &C::SetWidth);
  Property("WindowState", &C::WindowState).Default(wsNormal);
  Property("OnActivate", &C::OnActivate);
  Property("OnClick", &C::OnClick);
  Property("OnCloseQuery", &C::OnCloseQuery);
  Property("OnDeactivate", &C::OnDeactivate);
  Property("OnHide", &C::OnHide);
  Property("OnKeyDown", &C::OnKeyDown);
  Property("OnKeyPress", &C::OnKeyPress);
  Property("OnKeyUp", &C::OnKeyUp);
  Property("OnShow", &C::OnShow);
  Property("OnResize", &C::OnResize);
  Property("ModalResult", &C::ModalResult, &C::SetModalResult).Stored(false);
}

TfrxDialogPage::TfrxDialogPage(TComponent* AOwner) : TfrxPage(AOwner) {
  const Integer tag = Tag();
  TfrxReport* report = GetReport();
  SetTag(report && report->EngineOptions()->EnableThreadSafe ? kThreadSafeTag : 0);
  FForm = new TfrxDialogForm(this);
  SetTag(tag);
  FForm->SetKeyPreview(true);
  Font()->SetName("Tahoma");
  Font()->SetSize(8);
  SetColor(clBtnFace);
  FForm->SetShowHint(true);
}

TfrxDialogPage::~TfrxDialogPage() {
  std::lock_guard<std::recursive_mutex> lock(DialogPageLock());
  // The children (dialog controls) go first: their controls live on the form.
  Clear();
  delete FForm;
  FForm = nullptr;
}

String TfrxDialogPage::GetTypeCaption() { return frxGetResources()->Get("obDlgPage"); }

TWinControl* TfrxDialogPage::ChildControlParent() { return FForm; }

void TfrxDialogPage::SetLeft(Extended Value) {
  TfrxPage::SetLeft(Value);
  if (FForm) FForm->SetLeft(Rnd(Value));
}

void TfrxDialogPage::SetTop(Extended Value) {
  TfrxPage::SetTop(Value);
  if (FForm) FForm->SetTop(Rnd(Value));
}

void TfrxDialogPage::SetWidth(Extended Value) {
  TfrxPage::SetWidth(Value);
  if (FForm) FForm->SetWidth(Rnd(Value));
}

void TfrxDialogPage::SetHeight(Extended Value) {
  TfrxPage::SetHeight(Value);
  if (FForm) FForm->SetHeight(Rnd(Value));
}

void TfrxDialogPage::SetCaption(const String& Value) {
  FCaption = Value;
  if (FForm) FForm->SetCaption(Value);
}

void TfrxDialogPage::SetColor(TColor Value) {
  FColor = Value;
  if (FForm) FForm->SetColor(Value);
}

Integer TfrxDialogPage::ModalResult() const { return FForm ? FForm->ModalResult() : 0; }

void TfrxDialogPage::SetModalResult(Integer Value) {
  if (FForm) FForm->SetModalResult(Value);
}

void TfrxDialogPage::FontChanged(TObject* Sender) {
  TfrxPage::FontChanged(Sender);
  if (FForm) FForm->Font()->Assign(Font());
}

void TfrxDialogPage::ConnectForm() {
  // Script events of a form that outlives the run are run anyway.
  TfrxReport* report = GetReport();
  FForce = report ? !report->EngineOptions()->DestroyForms : true;
  TfrxDialogForm* f = FForm;
  auto notify = [this](const String* name) {
    return [this, name](TObject*) {
      if (TfrxReport* r = GetReport()) r->CallScriptNotifyEvent(this, *name, FForce);
    };
  };
  auto copyBounds = [this, f] {
    TfrxPage::SetLeft(f->Left());
    TfrxPage::SetTop(f->Top());
    TfrxPage::SetWidth(f->Width());
    TfrxPage::SetHeight(f->Height());
  };
  f->OnActivate = [this, copyBounds](TObject*) {
    copyBounds();
    if (TfrxReport* r = GetReport()) r->CallScriptNotifyEvent(this, OnActivate, FForce);
  };
  f->OnClick = notify(&OnClick);
  f->OnDeactivate = notify(&OnDeactivate);
  f->OnHide = notify(&OnHide);
  f->OnResize = notify(&OnResize);
  f->OnShow = notify(&OnShow);
  f->OnCloseQuery = [this](TObject*, bool& CanClose) {
    TfrxReport* r = GetReport();
    if (!r || OnCloseQuery.empty()) return;
    Variant params = VarArrayOf({fsObjectToVariant(this), Variant(CanClose)});
    r->CallScriptEvent(OnCloseQuery, params, FForce);
    CanClose = params.GetElement(1).AsBoolean();
  };
  auto keyEvent = [this](const String* name) {
    return [this, name](TObject*, Word& Key, TShiftState Shift) {
      TfrxReport* r = GetReport();
      if (!r || name->empty()) return;
      Variant params = VarArrayOf({fsObjectToVariant(this), Variant(Integer(Key)), Variant(Integer(Shift.Mask()))});
      r->CallScriptEvent(*name, params, FForce);
      Key = Word(params.GetElement(1).AsInteger());
    };
  };
  f->OnKeyDown = keyEvent(&OnKeyDown);
  f->OnKeyUp = keyEvent(&OnKeyUp);
  f->OnKeyPress = [this](TObject*, char32_t& Key) {
    TfrxReport* r = GetReport();
    if (!r || OnKeyPress.empty()) return;
    std::u32string k(1, Key);
    std::u16string wide;
    for (char32_t c : k) {
      if (c >= 0x10000) {
        wide += char16_t(0xD800 + ((c - 0x10000) >> 10));
        wide += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        wide += char16_t(c);
      }
    }
    Variant params = VarArrayOf({fsObjectToVariant(this), Variant(Utf16ToUtf8(wide))});
    r->CallScriptEvent(OnKeyPress, params, FForce);
    // An empty key from the script suppresses the key.
    std::u16string back = Utf8ToUtf16(VarToStr(params.GetElement(1)));
    if (back.empty()) Key = 0;
    else if (back.size() >= 2 && back[0] >= 0xD800 && back[0] < 0xDC00)
      Key = char32_t(0x10000 + ((back[0] - 0xD800) << 10) + (back[1] - 0xDC00));
    else Key = back[0];
  };
  f->OnAnyMouseMove = [this](TObject*, TShiftState, Integer, Integer) {
    if (TfrxReport* r = GetReport()) r->ShowProgressMessage(String(), true);
  };
  f->OnMoveSizeEnd = [copyBounds](TObject*) { copyBounds(); };
}

Integer TfrxDialogPage::ShowModal() {
  if (FForm->Visible()) FForm->Hide();
  FForm->SetPosition(Position);
  FForm->SetWindowState(WindowState);
  ConnectForm();
  FForm->SetBorderStyle(BorderStyle);
  FForm->SetFormStyle(fsNormal);
  struct TStayOnTop {
    TfrxDialogForm* f;
    ~TStayOnTop() { f->SetFormStyle(fsStayOnTop); }
  } stay{FForm};
  return FForm->ShowModal();
}
