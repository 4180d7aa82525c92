// Look-and-feel settings: which look a control draws in (Kind), whether it
// draws through the system's visual styles (NativeStyle) and which named
// style painter it prefers (SkinName). A value not assigned on the object
// follows its master (the root look-and-feel when none is set); every change
// of the values in effect is announced to the owner and the dependents. A
// TcxLookAndFeelController on a form or data module writes the root's values.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "cxClasses.h"
#include "cxLookAndFeelPainters.h"

enum TcxLookAndFeelValue { lfvKind, lfvNativeStyle, lfvSkinName };
using TcxLookAndFeelValues = TSet<TcxLookAndFeelValue>;
TOVANI_ENUM_INFO(TcxLookAndFeelKind)
TOVANI_ENUM_INFO(TcxLookAndFeelValue)

inline const TcxLookAndFeelValues cxLookAndFeelValuesAll{lfvKind, lfvNativeStyle, lfvSkinName};

class TcxLookAndFeel;

// Objects told about every change of a look-and-feel's values in effect:
// dependent look-and-feels, controllers, and whoever else registers.
class IcxLookAndFeelChangeListener {
 public:
  virtual ~IcxLookAndFeelChangeListener() = default;
  virtual void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) = 0;
  // The look-and-feel goes away; the listener must drop it.
  virtual void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) {}
};

using TcxLookAndFeelChangedEvent = std::function<void(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)>;

class TdxThemeChangedNotificator;

class TcxLookAndFeel : public TcxInterfacedPersistent,
                       public IcxLookAndFeelChangeListener,
                       public IcxStylePainterListener {
  TOVANI_CLASS(TcxLookAndFeel, TcxInterfacedPersistent)
 public:
  explicit TcxLookAndFeel(TPersistent* AOwner = nullptr);
  ~TcxLookAndFeel() override;
  // From another look-and-feel: its assigned values and its master.
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  TcxLookAndFeelValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxLookAndFeelValues Value);
  // The values in effect.
  TcxLookAndFeelKind Kind() const { return FCurrent.Kind; }
  void SetKind(TcxLookAndFeelKind Value);
  bool NativeStyle() const { return FCurrent.NativeStyle; }
  void SetNativeStyle(bool Value);
  String SkinName() const { return FCurrent.SkinName; }
  void SetSkinName(const String& Value);
  TcxLookAndFeelKind GetKind() const { return Kind(); }
  bool GetNativeStyle() const { return NativeStyle(); }
  String GetSkinName() const { return SkinName(); }
  void Reset() { SetAssignedValues({}); }
  void ResetAssignedValues() { SetAssignedValues({}); }

  // The explicit master; null: the root.
  TcxLookAndFeel* Master() const { return FMaster; }
  void SetMaster(TcxLookAndFeel* Value);
  // Null for the root; else the explicit master, or the root.
  TcxLookAndFeel* EffectiveMaster() const;
  bool IsRoot() const { return FIsRoot; }

  // The painter in effect: every control asks this before painting.
  TcxLookAndFeelPainterClass ActivePainter() const { return FCurrent.Painter; }
  // The painter for one visual-style class: native when the native style is
  // in effect and that class's theme opens; else the skin painter, else the
  // kind's.
  TcxLookAndFeelPainterClass PainterForObjectType(TdxThemeObjectKind AKind) const;
  // The same for a visual-style class named as text ("ScrollBar", ...);
  // an unknown name asks only whether visual styles are active.
  TcxLookAndFeelPainterClass PainterForObjectType(const String& AObjectType) const;
  // The same with every kind of the set (none: visual styles active).
  TcxLookAndFeelPainterClass PainterForObjectKinds(TdxThemeObjectKinds AKinds) const;
  TcxLookAndFeelPainterClass SkinPainter() const { return FSkinPainter; }

  // A value in effect of the master changed: the values this object does not
  // assign itself change with it.
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override;
  void PainterChanged() override;
  // A listener is added once; one may unregister itself (or another) while
  // it is being told about a change. Controllers are accepted by the root only.
  void RegisterChangeListener(IcxLookAndFeelChangeListener* AListener);
  void UnregisterChangeListener(IcxLookAndFeelChangeListener* AListener);
  bool HasChangeListener(IcxLookAndFeelChangeListener* AListener) const;

  TcxLookAndFeelChangedEvent OnChanged;

  // Only assigned values are stored.
  bool IsKindStored() const { return FAssignedValues.Contains(lfvKind); }
  bool IsNativeStyleStored() const { return FAssignedValues.Contains(lfvNativeStyle); }
  bool IsSkinNameStored() const { return FAssignedValues.Contains(lfvSkinName); }

 protected:
  // What the values in effect would be now (the popup look-and-feel of a
  // drop-down editor follows its editor instead).
  virtual TcxLookAndFeelKind GetEffectiveKind() const;
  virtual bool GetEffectiveNativeStyle() const;
  virtual String GetEffectiveSkinName() const;
  virtual TcxLookAndFeelPainterClass GetEffectiveSkinPainter() const;
  virtual bool FindSkinPainter(const String& AName, TcxLookAndFeelPainterClass& APainter) const;
  // A system colour or visual-style change: announced as a native-style change.
  virtual void NotifyNativeStyleChanged();
  // Announces the values in effect as changed (after setting them).
  void AnnounceChanges(TcxLookAndFeelValues AChangedValues);
  void RememberState();
  void CheckStateChanges();

 private:
  struct TData {
    TcxLookAndFeelKind Kind = lfUltraFlat;
    bool NativeStyle = false;
    String SkinName;
    TcxLookAndFeelPainterClass Painter = nullptr;
  };
  void UpdateCurrentState();

  TcxLookAndFeelValues FAssignedValues;
  std::vector<IcxLookAndFeelChangeListener*> FListeners;
  TData FCurrent, FAssigned, FPrevious;
  bool FDestroying = false;
  bool FIsRoot = false;
  TcxLookAndFeel* FMaster = nullptr;
  TcxLookAndFeelPainterClass FSkinPainter = nullptr;
  Integer FControllerCount = 0;  // the root's registered controllers
  std::unique_ptr<TcxSystemPaletteChangedNotifier> FPaletteNotifier;
  std::unique_ptr<TdxThemeChangedNotificator> FThemeNotificator;
  struct TRootTag {};
  explicit TcxLookAndFeel(TRootTag);
  friend TcxLookAndFeel* cxRootLookAndFeel();
  friend class TcxLookAndFeelController;
};

// The process-wide root: lfUltraFlat, no native style, unless a controller
// assigns other values.
TcxLookAndFeel* cxRootLookAndFeel();

// A component on a form or data module that exposes the root look-and-feel's
// values: every look-and-feel of the program that assigns nothing itself
// follows them. When the last controller goes, the root forgets them.
class TcxLookAndFeelController : public TComponent, public IcxLookAndFeelChangeListener {
  TOVANI_CLASS(TcxLookAndFeelController, TComponent)
 public:
  explicit TcxLookAndFeelController(TComponent* AOwner = nullptr);
  ~TcxLookAndFeelController() override;

  TcxLookAndFeelKind Kind() const;
  void SetKind(TcxLookAndFeelKind Value);
  bool NativeStyle() const;
  void SetNativeStyle(bool Value);
  String SkinName() const;
  void SetSkinName(const String& Value);

  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override {
    MasterChanged();
  }
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override { NotifyDesigner(); }

 protected:
  // Design-time hooks; nothing at run time.
  virtual void MasterChanged() {}
  virtual void NotifyDesigner() {}
};

// Objects that follow a look-and-feel implement this (the scroll bar does).
class IcxLookAndFeelAware {
 public:
  virtual ~IcxLookAndFeelAware() = default;
};

// A control that owns a look-and-feel reports it through this.
class IcxLookAndFeelOwner {
 public:
  virtual ~IcxLookAndFeelOwner() = default;
  virtual TcxLookAndFeel* GetLookAndFeel() = 0;
};
