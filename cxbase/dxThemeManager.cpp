#include "dxThemeManager.h"

#include <algorithm>
#include <vector>

#include "Forms.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS(TdxThemeChangedNotificator, TObject)

namespace {
const char16_t* const DefaultClassNames[dxThemeObjectKindCount] = {
    u"Button",   u"Clock", u"ComboBox", u"Edit",      u"ExplorerBar", u"Header",  u"ListBox",    u"ListView",
    u"Menu",     u"Page",  u"Progress", u"Rebar",     u"ScrollBar",   u"Spin",    u"StartPanel", u"Status",
    u"Tab",      u"TaskBand", u"TaskBar", u"ToolBar", u"ToolTip",     u"TrackBar", u"TrayNotify", u"TreeView",
    u"Window"};

struct TdxThemeData {
  HTHEME Handle = nullptr;
  std::u16string ClassList;
};

std::u16string Upper(std::u16string s) {
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  return s;
}

// The manager hears the class library's theme switch: a desktop theme change
// (WM_THEMECHANGED on ThemeServices' window) or a forced switch closes every
// handle before the notificators are told.
struct TThemeManager {
  TdxThemeData Themes[dxThemeObjectKindCount];
  std::vector<TdxThemeChangedNotificator*> Notificators;

  TThemeManager() {
    if (dxIsThemeLibraryLoaded()) ThemeServices()->AddThemeChangeListener(this, [this] { ThemeChanged(); });
  }
  ~TThemeManager() = delete;  // lives to the end of the program: notificators of late controls still unhook

  void ThemeChanged() {
    dxCloseAllThemeHandles();
    const std::vector<TdxThemeChangedNotificator*> list = Notificators;
    for (TdxThemeChangedNotificator* n : list) {
      if (std::find(Notificators.begin(), Notificators.end(), n) == Notificators.end() || !n->OnThemeChanged)
        continue;
      try {
        n->OnThemeChanged();
      } catch (...) {
        if (Application) Application->HandleException(nullptr);
        return;
      }
    }
  }
};

TThemeManager& Manager() {
  static TThemeManager* manager = new TThemeManager;
  return *manager;
}
}  // namespace

bool dxVisualStylesEnabled(TdxThemeObjectKinds AKinds) {
  if (!dxIsThemeLibraryLoaded() || !ThemeServices()->ThemesEnabled()) return false;
  for (int k = 0; k < dxThemeObjectKindCount; ++k)
    if ((AKinds & dxThemeKindBit(TdxThemeObjectKind(k))) && !dxOpenThemeHandle(TdxThemeObjectKind(k))) return false;
  return true;
}

bool dxCanUseTheme(TdxThemeObjectKind AKind) { return dxVisualStylesEnabled(0) && dxOpenThemeHandle(AKind); }

HTHEME dxOpenThemeHandle(TdxThemeObjectKind AKind, const char16_t* AClassList) {
  if (AKind < 0 || AKind >= dxThemeObjectKindCount || !dxVisualStylesEnabled(0)) return nullptr;
  TdxThemeData& data = Manager().Themes[AKind];
  if (data.Handle) {
    if (!AClassList || Upper(AClassList) == Upper(data.ClassList)) return data.Handle;
    dxCloseThemeHandle(AKind);
  }
  std::u16string list = AClassList ? std::u16string(AClassList)
                        : !data.ClassList.empty() ? data.ClassList
                                                  : std::u16string(DefaultClassNames[AKind]);
  data.Handle = dxUxTheme::OpenThemeData(nullptr, list.c_str());
  if (data.Handle) data.ClassList = list;
  else data.ClassList.clear();
  return data.Handle;
}

Integer dxCloseThemeHandle(TdxThemeObjectKind AKind) {
  if (!dxVisualStylesEnabled(0)) return 1;
  TdxThemeData& data = Manager().Themes[AKind];
  if (!data.Handle) return 0;
  const Integer result = Integer(dxUxTheme::CloseThemeData(data.Handle));
  data.Handle = nullptr;
  data.ClassList.clear();
  return result;
}

void dxCloseAllThemeHandles() {
  for (TdxThemeData& data : Manager().Themes) {
    if (data.Handle) dxUxTheme::CloseThemeData(data.Handle);
    data.Handle = nullptr;
  }
}

TdxThemeChangedNotificator::TdxThemeChangedNotificator() {
  if (dxIsThemeLibraryLoaded()) Manager().Notificators.push_back(this);
}

TdxThemeChangedNotificator::~TdxThemeChangedNotificator() {
  std::erase(Manager().Notificators, this);
}
