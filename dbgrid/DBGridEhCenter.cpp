// The grid center: cell clicks and the indicator title's press and popup
// menu (visible columns, clipboard commands, select all and the title's own
// drop-down menu items), each replaceable by an event of the center or grid.
#include <algorithm>

#include "DBGridEh.h"
#include "DBGridEhImpExp.h"
#include "Forms.h"
#include "Menus.h"

TOVANI_IMPLEMENT_CLASS(TDBGridEhCenter, TPersistent)

const char* const SVisibleColumnsEh = "Visible columns";
const char* const SCutEh = "Cut";
const char* const SCopyEh = "Copy";
const char* const SPasteEh = "Paste";
const char* const SDeleteEh = "Delete";
const char* const SSelectAllEh = "Select All";

namespace {

// A sub-item of "Visible columns": toggles its column's visibility.
class TColumnEhMenuItem : public TMenuItem {
 public:
  TColumnEhMenuItem(TComponent* AOwner, TColumnEh* AColumn) : TMenuItem(AOwner), Column(AColumn) {}
  TColumnEh* Column;
  void Click() override {
    TMenuItem::Click();
    Column->SetVisible(!Column->Visible());
  }
};

// One of the five edit commands, run on its grid.
class TDBGridEhMenuItem : public TMenuItem {
 public:
  TDBGridEhMenuItem(TComponent* AOwner, Byte AKind) : TMenuItem(AOwner), ActionKind(AKind) {}
  TCustomDBGridEh* Grid = nullptr;
  Byte ActionKind;   // 1 cut, 2 copy, 3 paste, 4 delete, 5 select all
  void Click() override {
    TMenuItem::Click();
    if (!Grid) return;
    switch (ActionKind) {
      case 1: CutGridSelectionToClipboard(Grid, false); break;
      case 2: CopyGridSelectionToClipboard(Grid, false); break;
      case 3: PasteClipboardIntoGrid(Grid, false); break;
      case 4: DeleteGridSelection(Grid, false); break;
      case 5: Grid->Selection()->SelectAll(); break;
    }
  }
};

// The shared menu and its shared entries, owned by the screen object.
struct TSharedIndicatorMenu {
  TPopupMenu* Menu = nullptr;
  TMenuItem* VisibleColumns = nullptr;
  TDBGridEhMenuItem* Actions[5] = {};
};

TSharedIndicatorMenu& SharedMenu() {
  static TSharedIndicatorMenu m;
  if (!m.Menu) {
    m.Menu = new TPopupMenu(Screen);
    m.Menu->SetName("DBGridEhIndicatorTitlePopupMenu");
    m.VisibleColumns = new TMenuItem(Screen);
    m.VisibleColumns->SetCaption(SVisibleColumnsEh);
    const char* captions[5] = {SCutEh, SCopyEh, SPasteEh, SDeleteEh, SSelectAllEh};
    for (Byte i = 0; i < 5; ++i) {
      m.Actions[i] = new TDBGridEhMenuItem(Screen, Byte(i + 1));
      m.Actions[i]->SetCaption(captions[i]);
    }
  }
  return m;
}

}   // namespace

TDBGridEhCenter* GetGridEhCenter() {
  static TDBGridEhCenter center;
  return &center;
}

TDBGridEhCenter::~TDBGridEhCenter() {
  while (!FGridList.empty()) {
    TCustomDBGridEh* g = FGridList.back();
    FGridList.pop_back();
    if (g->FCenter == this) g->FCenter = nullptr;
  }
}

void TDBGridEhCenter::RegisterGrid(TCustomDBGridEh* Grid) {
  if (!IsGridRegistered(Grid)) FGridList.push_back(Grid);
}

void TDBGridEhCenter::UnregisterGrid(TCustomDBGridEh* Grid) {
  FGridList.erase(std::remove(FGridList.begin(), FGridList.end(), Grid), FGridList.end());
}

bool TDBGridEhCenter::IsGridRegistered(TCustomDBGridEh* Grid) const {
  return std::find(FGridList.begin(), FGridList.end(), Grid) != FGridList.end();
}

void TDBGridEhCenter::BuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu) {
  if (OnBuildIndicatorTitleMenu) OnBuildIndicatorTitleMenu(Grid, PopupMenu);
  else DefaultBuildIndicatorTitleMenu(Grid, PopupMenu);
}

void TDBGridEhCenter::CellMouseClick(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button, TShiftState Shift,
                                     Integer X, Integer Y) {
  if (OnCellMouseClick) OnCellMouseClick(Grid, Cell, Button, Shift, X, Y);
  else DefaultCellMouseClick(Grid, Cell, Button, Shift, X, Y);
}

void TDBGridEhCenter::IndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                              TShiftState Shift, Integer X, Integer Y) {
  if (OnIndicatorTitleMouseDown) OnIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y);
  else DefaultIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y);
}

void TDBGridEhCenter::DefaultIndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                                     TShiftState Shift, Integer X, Integer Y) {
  Grid->DoIndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
}

void TDBGridEhCenter::DefaultBuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu) {
  TSharedIndicatorMenu& shared = SharedMenu();
  TPopupMenu* menu = shared.Menu;
  // Entries of the last build: ours are freed, shared ones only detached.
  TMenuItem* items = menu->Items();
  while (items->Count() > 0) {
    TMenuItem* item = items->Items(items->Count() - 1);
    items->Remove(item);
    if (item->Owner() == menu) delete item;
  }
  PopupMenu = menu;
  TDBGridEhIndicatorTitle* title = Grid->IndicatorTitle();
  if (title->UseGlobalMenu()) {
    if (FIndicatorMenuItems.Contains(gimiVisibleColumns)) {
      TMenuItem* vc = shared.VisibleColumns;
      vc->Clear();
      TDBGridColumnsEh* cols = Grid->Columns();
      for (Integer i = 0; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Item(i);
        String caption = c->Title()->Caption();
        if (caption.empty()) continue;
        auto* sub = new TColumnEhMenuItem(menu, c);
        sub->SetCaption(caption);
        sub->SetChecked(c->Visible());
        vc->Add(sub);
      }
      items->Add(vc);
    }
    const TDBGridEhIndicatorMenuItem kinds[5] = {gimiCut, gimiCopy, gimiPaste, gimiDelete, gimiSelectAll};
    const TDBGridEhEditAction actions[5] = {geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh};
    for (int i = 0; i < 5; ++i) {
      if (!FIndicatorMenuItems.Contains(kinds[i])) continue;
      TDBGridEhMenuItem* item = shared.Actions[i];
      item->Grid = Grid;
      bool can = false;
      switch (i) {
        case 0: can = Grid->CanCutSelection(); break;
        case 1: can = Grid->CanCopySelection(); break;
        case 2: can = Grid->CanPasteSelection(); break;
        case 3: can = Grid->CanDeleteSelection(); break;
        case 4: can = Grid->CanSelectAll(); break;
      }
      item->SetEnabled(can && Grid->EditActions().Contains(actions[i]));
      items->Add(item);
    }
  }
  if (TPopupMenu* own = title->DropdownMenu()) {
    if (items->Count() > 0) {
      auto* line = new TMenuItem(menu);
      line->SetCaption("-");
      items->Add(line);
    }
    TMenuItem* src = own->Items();
    for (Integer i = 0; i < src->Count(); ++i) {
      TMenuItem* from = src->Items(i);
      auto* copy = new TMenuItem(menu);
      copy->SetCaption(from->Caption());
      copy->SetChecked(from->Checked());
      copy->SetEnabled(from->Enabled());
      copy->SetVisible(from->Visible());
      copy->OnClick = from->OnClick;
      items->Add(copy);
    }
  }
}

// ---------------------------------------------------------------------------
// The grid's side

void TCustomDBGridEh::SetCenter(TDBGridEhCenter* v) {
  if (v == FCenter) return;
  if (FCenter) FCenter->UnregisterGrid(this);
  FCenter = v;
  if (FCenter) FCenter->RegisterGrid(this);
}

void TCustomDBGridEh::DefaultCellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X,
                                            Integer Y) {
  if (FCenter) FCenter->CellMouseClick(this, Cell, Button, Shift, X, Y);
}

void TCustomDBGridEh::IndicatorTitleAction(TPopupMenu*& PopupMenu) {
  if (FCenter) FCenter->BuildIndicatorTitleMenu(this, PopupMenu);
}

void TCustomDBGridEh::DoBuildIndicatorTitleMenu(TPopupMenu*& PopupMenu) {
  if (OnBuildIndicatorTitleMenu) OnBuildIndicatorTitleMenu(this, PopupMenu);
  else IndicatorTitleAction(PopupMenu);
}

void TCustomDBGridEh::DoIndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X,
                                                Integer Y) {
  if (OnIndicatorTitleMouseDown) OnIndicatorTitleMouseDown(this, Cell, Button, Shift, X, Y);
  else IndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
}

void TCustomDBGridEh::IndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X,
                                              Integer Y) {
  if (FIndicatorTitle->TitleButton()) {
    FIndicatorTitle->SetPressed(true);
    FTitlePressed = true;
    InvalidateCell(Cell.X, Cell.Y);
    TPopupMenu* menu = nullptr;
    DoBuildIndicatorTitleMenu(menu);
    TRect r = CellClientRect(Cell.X, Cell.Y);
    POINT p{r.Left, r.Bottom};
    if (HandleAllocated()) ::ClientToScreen(Handle(), &p);
    if (menu && menu->Items()->Count() > 0) {
      menu->SetPopupComponent(this);
      menu->Popup(p.x, p.y);
      if (!menu->Owner()) delete menu;
      FIndicatorTitle->SetPressed(false);
      FTitlePressed = false;
      InvalidateCell(Cell.X, Cell.Y);
      // The click that closed the menu must not press the title again.
      MSG m;
      if (HandleAllocated() && PeekMessageW(&m, Handle(), WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE))
        RemoveQueuedMessage(Handle(), WM_LBUTTONDOWN);
    } else if (HandleAllocated() && GetCapture() == Handle()) {
      FDBGridEhState = 5;
      FTrackingMouse = true;
      FPressPoint = TPoint(X + r.Left, Y + r.Top);
    }
    return;
  }
  if (FOptions.Contains(dgMultiSelect) && FDataLink->Active() && FAllowedSelections.Contains(gstAll)) {
    if (FSelection->SelectionType() != gstNon) FSelection->Clear();
    else FSelection->SelectAll();
  }
}
