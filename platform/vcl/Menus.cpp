#include "Menus.h"
#include <algorithm>
#include <map>
#include <set>
#include "ActnList.h"
#include "Forms.h"
#include "ImgList.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TMenuActionLink, TBasicActionLink)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMenuItem, TComponent)
TOVANI_IMPLEMENT_CLASS(TMenu, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMainMenu, TMenu)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPopupMenu, TMenu)
TOVANI_IMPLEMENT_CLASS(EMenuError, Exception)
TOVANI_IMPLEMENT_ENUM_INFO(TMenuBreak, "mbNone", "mbBreak", "mbBarBreak")
TOVANI_IMPLEMENT_ENUM_INFO(TPopupAlignment, "paLeft", "paRight", "paCenter")

TOVANI_PUBLISHED(TMenuItem) {
  Property("Action", &TMenuItem::Action, &TMenuItem::SetAction);
  Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).Default(false);
  Property("Bitmap", &TMenuItem::Bitmap, &TMenuItem::SetBitmap);
  Property("Break", &TMenuItem::Break, &TMenuItem::SetBreak).Default(mbNone);
  Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
  Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
  Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
  Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  Property("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext).Default(0);
  Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
  Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0);
  Property("SubMenuImages", &TMenuItem::SubMenuImages, &TMenuItem::SetSubMenuImages);
  Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
  Property("OnClick", &TMenuItem::OnClick);
  Property("OnDrawItem", &TMenuItem::OnDrawItem);
  Property("OnMeasureItem", &TMenuItem::OnMeasureItem);
}

TOVANI_PUBLISHED(TMainMenu) {
  Property("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge).Default(false);
  Property("Images", &TMainMenu::Images, &TMainMenu::SetImages);
  Property("OwnerDraw", &TMainMenu::OwnerDraw, &TMainMenu::SetOwnerDraw).Default(false);
}

TOVANI_PUBLISHED(TPopupMenu) {
  Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  Property("Images", &TPopupMenu::Images, &TPopupMenu::SetImages);
  Property("OwnerDraw", &TPopupMenu::OwnerDraw, &TPopupMenu::SetOwnerDraw).Default(false);
  Property("OnPopup", &TPopupMenu::OnPopup);
}

namespace {

// Menu command ids of the items (WM_COMMAND), below the MDI window-list range.
std::map<Word, TMenuItem*>& Commands() {
  static std::map<Word, TMenuItem*> map;
  return map;
}
Word NextCommand = 1;

Word AllocateCommand(TMenuItem* item) {
  auto& map = Commands();
  for (int tries = 0; tries < 0xF000; ++tries) {
    Word id = NextCommand;
    NextCommand = Word(NextCommand >= 0xEFFF ? 1 : NextCommand + 1);
    if (!map.count(id)) {
      map[id] = item;
      return id;
    }
  }
  throw EMenuError("Too many menu items");
}

struct KeyName {
  Word Key;
  const char* Name;
};
const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"}, {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"}, {VK_HOME, "Home"}, {VK_LEFT, "Left"},
    {VK_UP, "Up"}, {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
    {VK_ADD, "Num +"}, {VK_SUBTRACT, "Num -"}, {VK_MULTIPLY, "Num *"}, {VK_DIVIDE, "Num /"},
};

String KeyText(Word key) {
  for (const auto& k : kKeyNames)
    if (k.Key == key) return k.Name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return String(1, char(key));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
  return {};
}

}  // namespace

String ShortCutToText(TShortCut sc) {
  String name = KeyText(sc & 0xFF);
  if (name.empty()) return {};
  String r;
  if (sc & scShift) r += "Shift+";
  if (sc & scCtrl) r += "Ctrl+";
  if (sc & scAlt) r += "Alt+";
  return r + name;
}

TShortCut TextToShortCut(const String& Text) {
  String t = Text;
  TShortCut mods = 0;
  auto take = [&](const char* prefix, TShortCut bit) {
    String p = prefix;
    if (t.size() > p.size() && vcl::LowerAscii(t.substr(0, p.size())) == vcl::LowerAscii(p)) {
      t.erase(0, p.size());
      mods |= bit;
      return true;
    }
    return false;
  };
  while (take("Shift+", scShift) || take("Ctrl+", scCtrl) || take("Alt+", scAlt)) {
  }
  for (int key = 8; key < 255; ++key) {
    String name = KeyText(Word(key));
    if (!name.empty() && vcl::LowerAscii(name) == vcl::LowerAscii(t)) return TShortCut(key | mods);
  }
  return 0;
}

String StripHotkey(const String& Text) {
  String r;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') r += '&', ++i;
      continue;
    }
    r += Text[i];
  }
  return r;
}

TMenuItem* FindMenuItemByCommand(Word Command) {
  auto it = Commands().find(Command);
  return it == Commands().end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------

TMenuActionLink::TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), FClient(AClient) {}

bool TMenuActionLink::IsAutoCheckLinked() { return CustomAction() && FClient->AutoCheck() == CustomAction()->AutoCheck(); }
bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
bool TMenuActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && FClient->Checked() == CustomAction()->Checked();
}
bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TMenuActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
bool TMenuActionLink::IsHintLinked() { return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint(); }
bool TMenuActionLink::IsGroupIndexLinked() {
  return TActionLink::IsGroupIndexLinked() && FClient->GroupIndex() == CustomAction()->GroupIndex();
}
bool TMenuActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && FClient->ImageIndex() == CustomAction()->ImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && FClient->ShortCut() == CustomAction()->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
void TMenuActionLink::SetAutoCheck(bool Value) {
  if (IsAutoCheckLinked()) FClient->SetAutoCheck(Value);
}
void TMenuActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FClient->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TMenuActionLink::SetHelpContext(Integer Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TMenuActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) { FCommand = AllocateCommand(this); }

TMenuItem::~TMenuItem() {
  Destroying();
  FActionLink.reset();
  while (!FItems.empty()) delete FItems.back();
  if (FParent) FParent->Remove(this);
  if (FHandle && !FParent && !FMenu) DestroyMenu(FHandle);
  Commands().erase(FCommand);
}

TMenuItem* TMenuItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Integer(FItems.size())) throw EMenuError("Menu index out of range");
  return FItems[size_t(Index)];
}

Integer TMenuItem::IndexOf(TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

Integer TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1; }

void TMenuItem::SetMenuIndex(Integer v) {
  if (!FParent) return;
  TMenuItem* p = FParent;
  p->FItems.erase(std::find(p->FItems.begin(), p->FItems.end(), this));
  v = std::clamp(v, 0, Integer(p->FItems.size()));
  p->FItems.insert(p->FItems.begin() + v, this);
  p->MenuChanged(true);
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(Integer Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  MenuChanged(true);
}

void TMenuItem::Delete(Integer Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  delete item;
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
  if (!ComponentState().Contains(csDestroying)) MenuChanged(true);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) {
    TMenuItem* i = FItems.back();
    Remove(i);
    delete i;
  }
}

TMenuItem* TMenuItem::Find(const String& ACaption) const {
  String want = vcl::LowerAscii(StripHotkey(ACaption));
  for (TMenuItem* i : FItems)
    if (vcl::LowerAscii(StripHotkey(i->FCaption)) == want) return i;
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent) i = i->FParent;
  return i->FMenu;
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (auto* m = dynamic_cast<TMenu*>(Value)) m->Items()->Add(this);
  else if (auto* i = dynamic_cast<TMenuItem*>(Value)) i->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TMenuItem* i : FItems) Proc(i);
  (void)Root;
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (FActionLink) ActionChange(FActionLink->Action(), true);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FActionLink && AComponent == FActionLink->Action()) SetAction(nullptr);
  if (AComponent == FSubMenuImages) FSubMenuImages = nullptr;
}

#define ITEM_SETTER(Prop, Type, Field) \
  void TMenuItem::Set##Prop(Type v) {  \
    if (Field == v) return;            \
    Field = v;                         \
    MenuChanged(true);                 \
  }
ITEM_SETTER(Caption, const String&, FCaption)
ITEM_SETTER(Enabled, bool, FEnabled)
ITEM_SETTER(Visible, bool, FVisible)
ITEM_SETTER(Default, bool, FDefault)
ITEM_SETTER(ShortCut, TShortCut, FShortCut)
ITEM_SETTER(ImageIndex, Integer, FImageIndex)
ITEM_SETTER(Break, TMenuBreak, FBreak)
#undef ITEM_SETTER

void TMenuItem::SetChecked(bool v) {
  if (FChecked == v) return;
  FChecked = v;
  if (v && FRadioItem) TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool v) {
  if (FRadioItem == v) return;
  FRadioItem = v;
  if (FChecked && v) TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::SetGroupIndex(Byte v) {
  if (FGroupIndex == v) return;
  FGroupIndex = v;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (TMenuItem* i : FParent->FItems)
    if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex && i->FChecked) {
      i->FChecked = false;
      if (i->FActionLink)
        if (auto* a = dynamic_cast<TCustomAction*>(i->FActionLink->Action())) a->SetChecked(false);
    }
}

TBitmap* TMenuItem::Bitmap() {
  if (!FBitmap) FBitmap = std::make_unique<TBitmap>();
  return FBitmap.get();
}

void TMenuItem::SetBitmap(TBitmap* v) {
  Bitmap()->Assign(v);
  MenuChanged(true);
}

void TMenuItem::SetSubMenuImages(TCustomImageList* v) {
  if (FSubMenuImages) FSubMenuImages->RemoveFreeNotification(this);
  FSubMenuImages = v;
  if (v) v->FreeNotification(this);
  MenuChanged(true);
}

TBasicAction* TMenuItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* v) {
  if (!v) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) {
    FActionLink = std::make_unique<TMenuActionLink>(this);
    // Any change of the action is taken over as a whole.
    FActionLink->OnChange = [this](TObject* Sender) {
      if (FActionLink && Sender == FActionLink->Action()) ActionChange(Sender, false);
    };
  }
  FActionLink->SetAction(v);
  ActionChange(v, ComponentState().Contains(csLoading));
  v->FreeNotification(this);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || FCaption.empty()) FCaption = a->Caption();
  if (!CheckDefaults || !FChecked) FChecked = a->Checked();
  if (!CheckDefaults || FEnabled) FEnabled = a->Enabled();
  if (!CheckDefaults || FHint.empty()) FHint = a->Hint();
  if (!CheckDefaults || FImageIndex == -1) FImageIndex = a->ImageIndex();
  if (!CheckDefaults || FShortCut == 0) FShortCut = a->ShortCut();
  if (!CheckDefaults || FVisible) FVisible = a->Visible();
  if (!CheckDefaults || !FAutoCheck) FAutoCheck = a->AutoCheck();
  MenuChanged(true);
}

void TMenuItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck && !(FActionLink && FActionLink->Action())) SetChecked(!FChecked);
  if (FActionLink && FActionLink->Action()) {
    FActionLink->Execute(this);
    return;
  }
  if (OnClick) OnClick(this);
}

void TMenuItem::MenuChanged(bool Rebuild) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  if (TMenu* m = GetParentMenu()) m->MenuChanged(this, Rebuild);
  else if (FHandle) RebuildHandle();
}

HMENU TMenuItem::Handle() {
  if (FMenu) return FMenu->Handle();
  if (!FHandle) {
    FHandle = CreatePopupMenu();
    TMenu* m = GetParentMenu();
    bool ownerDraw = m && m->IsOwnerDraw();
    for (TMenuItem* i : FItems) i->AppendTo(FHandle, ownerDraw);
  }
  return FHandle;
}

void TMenuItem::RebuildHandle() {
  if (!FHandle) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  TMenu* m = GetParentMenu();
  bool ownerDraw = m && m->IsOwnerDraw();
  for (TMenuItem* i : FItems) i->AppendTo(FHandle, ownerDraw);
}

void TMenuItem::AppendTo(HMENU Menu, bool OwnerDraw) {
  if (!FVisible) return;
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
  mii.wID = FCommand;
  mii.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  std::u16string text;
  if (IsLine()) {
    mii.fType = MFT_SEPARATOR;
  } else {
    text = ToUtf16(FCaption);
    if (FShortCut) text += u"\t" + ToUtf16(ShortCutToText(FShortCut));
    mii.fMask |= MIIM_STRING;
    mii.dwTypeData = W(text);
    mii.fType = 0;
    if (FRadioItem) mii.fType |= MFT_RADIOCHECK;
    bool topOfBar = FParent && FParent->FMenu && dynamic_cast<TMainMenu*>(FParent->FMenu);
    if (OwnerDraw && !topOfBar) mii.fType |= MFT_OWNERDRAW;
  }
  if (FBreak == mbBreak) mii.fType |= MFT_MENUBREAK;
  if (FBreak == mbBarBreak) mii.fType |= MFT_MENUBARBREAK;
  mii.fState = (FEnabled ? MFS_ENABLED : MFS_GRAYED) | (FChecked ? MFS_CHECKED : 0) | (FDefault ? MFS_DEFAULT : 0);
  if (!FItems.empty()) {
    if (!FHandle) FHandle = CreatePopupMenu();
    else
      while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
    for (TMenuItem* i : FItems) i->AppendTo(FHandle, OwnerDraw);
    mii.fMask |= MIIM_SUBMENU;
    mii.hSubMenu = FHandle;
  }
  InsertMenuItemW(Menu, UINT(GetMenuItemCount(Menu)), TRUE, &mii);
}

TCustomImageList* TMenuItem::GetImageList() const {
  for (const TMenuItem* p = FParent; p; p = p->FParent) {
    if (p->FSubMenuImages) return p->FSubMenuImages;
  }
  TMenu* m = GetParentMenu();
  return m ? m->Images() : nullptr;
}

void TMenuItem::MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height, bool TopLevel) {
  TCustomImageList* images = GetImageList();
  Integer imageW = images ? images->Width() : 16, imageH = images ? images->Height() : 16;
  if (IsLine()) {
    Width = 10;
    Height = 5;
  } else {
    String text = StripHotkey(FCaption);
    if (FShortCut) text += "    " + ShortCutToText(FShortCut);
    Width = ACanvas->TextWidth(text) + (TopLevel ? 8 : imageW + 16 + 8);
    Height = std::max(ACanvas->TextHeight("W") + 6, imageH + 4);
  }
  if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::DrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel) {
  bool selected = State.Contains(odSelected);
  if (OnDrawItem) {
    OnDrawItem(this, ACanvas, ARect, selected);
    return;
  }
  ACanvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  ACanvas->FillRect(ARect);
  if (IsLine()) {
    TRect r = ARect;
    r.Top += r.Height() / 2 - 1;
    r.Bottom = r.Top + 2;
    DrawEdge(ACanvas->Handle(), reinterpret_cast<RECT*>(&r), EDGE_ETCHED, BF_TOP);
    return;
  }
  TCustomImageList* images = GetImageList();
  Integer imageW = images ? images->Width() : 16;
  Integer left = ARect.Left + 2;
  if (!TopLevel) {
    if (images && FImageIndex >= 0) {
      Integer y = ARect.Top + (ARect.Height() - images->Height()) / 2;
      if (FChecked) {
        TRect frame(left - 1, y - 1, left + imageW + 1, y + images->Height() + 1);
        DrawEdge(ACanvas->Handle(), reinterpret_cast<RECT*>(&frame), BDR_SUNKENOUTER, BF_RECT);
      }
      images->Draw(ACanvas, left, y, FImageIndex, FEnabled);
    } else if (FBitmap && !FBitmap->Empty()) {
      ACanvas->Draw(left, ARect.Top + (ARect.Height() - FBitmap->Height()) / 2, FBitmap.get());
    } else if (FChecked) {
      TRect check(left, ARect.Top, left + imageW, ARect.Bottom);
      DrawFrameControl(ACanvas->Handle(), reinterpret_cast<RECT*>(&check), DFC_MENU, FRadioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    }
    left += imageW + 8;
  }
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->Font()->SetColor(!FEnabled ? clGrayText : selected ? clHighlightText : clMenuText);
  TRect textRect(left, ARect.Top, ARect.Right - 8, ARect.Bottom);
  std::u16string caption = ToUtf16(FCaption);
  RECT tr{textRect.Left, textRect.Top, textRect.Right, textRect.Bottom};
  HDC dc = ACanvas->Handle();
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, W(caption), int(caption.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (FShortCut) {
    std::u16string sc = ToUtf16(ShortCutToText(FShortCut));
    DrawTextW(dc, W(sc), int(sc.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
}

bool Menus_DrawItem(DRAWITEMSTRUCT* dis) {
  auto* item = reinterpret_cast<TMenuItem*>(dis->itemData);
  auto it = Commands().find(item ? item->Command() : 0);
  if (!item || it == Commands().end() || it->second != item) return false;
  TCanvas canvas;
  canvas.SetHandle(dis->hDC);
  TOwnerDrawState state;
  if (dis->itemState & ODS_SELECTED) state += odSelected;
  if (dis->itemState & ODS_GRAYED) state += odGrayed;
  if (dis->itemState & ODS_DISABLED) state += odDisabled;
  if (dis->itemState & ODS_CHECKED) state += odChecked;
  item->DrawItem(&canvas, {dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom}, state, false);
  canvas.SetHandle(nullptr);
  return true;
}

bool Menus_MeasureItem(MEASUREITEMSTRUCT* mis) {
  auto* item = reinterpret_cast<TMenuItem*>(mis->itemData);
  auto it = Commands().find(item ? item->Command() : 0);
  if (!item || it == Commands().end() || it->second != item) return false;
  TBitmap scratch(1, 1);
  TCanvas* canvas = scratch.Canvas();
  if (Screen) canvas->Font()->Assign(Screen->MenuFont());
  Integer w = 0, h = 0;
  item->MeasureItem(canvas, w, h, false);
  mis->itemWidth = UINT(w);
  mis->itemHeight = UINT(h);
  return true;
}

// ---------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {
  FItems->FMenu = this;
  FImageChangeLink = std::make_unique<TChangeLink>();
  FImageChangeLink->OnChange = [this](TObject*) { MenuChanged(nullptr, true); };
}

TMenu::~TMenu() {
  Destroying();
  SetImages(nullptr);
  if (FWindowHandle && IsWindow(FWindowHandle) && GetMenu(FWindowHandle) == FHandle) SetMenu(FWindowHandle, nullptr);
  delete FItems;
  if (FHandle) DestroyMenu(FHandle);
}

HMENU TMenu::Handle() {
  if (!FHandle) {
    FHandle = CreateMenuHandle();
    RebuildHandle();
  }
  return FHandle;
}

void TMenu::RebuildHandle() {
  if (!FHandle) return;
  // Submenus are removed (not destroyed): their items rebuild them.
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  bool ownerDraw = IsOwnerDraw();
  for (TMenuItem* i : FItems->FItems) i->AppendTo(FHandle, ownerDraw);
  if (FWindowHandle && IsWindow(FWindowHandle)) DrawMenuBar(FWindowHandle);
}

void TMenu::SetWindowHandle(HWND v) {
  FWindowHandle = v;
  if (v && dynamic_cast<TMainMenu*>(this)) ::SetMenu(v, Handle());
}

void TMenu::SetImages(TCustomImageList* v) {
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = v;
  if (v) {
    v->RegisterChanges(FImageChangeLink.get());
    v->FreeNotification(this);
  }
  MenuChanged(nullptr, true);
}

void TMenu::SetOwnerDraw(bool v) {
  if (FOwnerDraw == v) return;
  FOwnerDraw = v;
  MenuChanged(nullptr, true);
}

bool TMenu::IsOwnerDraw() const { return FOwnerDraw || FImages; }

void TMenu::MenuChanged(TMenuItem*, bool Rebuild) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  if (Rebuild) RebuildHandle();
  if (OnChange) OnChange(this);
}

void TMainMenu::MenuChanged(TMenuItem* Source, bool Rebuild) { TMenu::MenuChanged(Source, Rebuild); }

TMenuItem* TMenu::FindItem(UINT_PTR Value, TFindItemKind Kind) {
  std::vector<TMenuItem*> stack{FItems};
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    if (i != FItems) {
      switch (Kind) {
        case fkCommand:
          if (i->FCommand == Value) return i;
          break;
        case fkHandle:
          if (i->FHandle && reinterpret_cast<UINT_PTR>(i->FHandle) == Value) return i;
          break;
        case fkShortCut:
          if (i->FShortCut && i->FShortCut == Value) return i;
          break;
      }
    }
    stack.insert(stack.end(), i->FItems.rbegin(), i->FItems.rend());
  }
  return nullptr;
}

bool TMenu::DispatchCommand(Word ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TMessage& Message) {
  TShortCut sc = ::ShortCut(Message.CharCode(), KeyboardStateToShiftState() * TShiftState{ssShift, ssCtrl, ssAlt});
  if (sc == 0) return false;
  TMenuItem* item = FindItem(sc, fkShortCut);
  if (!item) return false;
  // The item and the menus it sits in update their actions first.
  for (TMenuItem* p = item; p; p = p->FParent) p->InitiateAction();
  if (!item->Enabled() || !item->Visible()) return false;
  for (TMenuItem* p = item->FParent; p; p = p->FParent)
    if (!p->Enabled()) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TMenuItem* i : FItems->FItems) Proc(i);
  (void)Root;
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    MenuChanged(nullptr, true);
  }
}

// ---------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::DoPopup(TObject* Sender) {
  if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  FPopupPoint = {X, Y};
  DoPopup(this);
  std::vector<TMenuItem*> stack(FItems->FItems.begin(), FItems->FItems.end());
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    i->InitiateAction();
    stack.insert(stack.end(), i->FItems.begin(), i->FItems.end());
  }
  RebuildHandle();
  static const UINT align[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  HWND owner = Application ? Application->Handle() : nullptr;
  UINT cmd = UINT(TrackPopupMenuEx(Handle(), align[FAlignment] | TPM_RIGHTBUTTON | TPM_RETURNCMD, X, Y, owner, nullptr));
  if (cmd) DispatchCommand(Word(cmd));
}
