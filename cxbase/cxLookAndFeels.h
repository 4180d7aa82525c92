// Look-and-feel settings: which look a control draws in (Kind), whether it
// draws through the system's visual styles (NativeStyle) and which named
// style painter it prefers (SkinName). A value not assigned on the object
// follows its master (the root look-and-feel when none is set); every change
// of the values in effect is announced to the owner and the dependents.
//
// The painter chosen here is the standard one for every kind; the other
// looks' painters take their place as they are added.
#pragma once
#include <functional>
#include <vector>

#include "cxClasses.h"
#include "cxLookAndFeelPainters.h"

enum TcxLookAndFeelValue { lfvKind, lfvNativeStyle, lfvSkinName };
using TcxLookAndFeelValues = TSet<TcxLookAndFeelValue>;

class TcxLookAndFeel;

// Objects told about every change of a look-and-feel's values in effect:
// dependent look-and-feels, and whoever else registers.
class IcxLookAndFeelChangeListener {
 public:
  virtual ~IcxLookAndFeelChangeListener() = default;
  virtual void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) = 0;
  // The look-and-feel goes away; the listener must drop it.
  virtual void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) {}
};

using TcxLookAndFeelChangedEvent = std::function<void(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)>;

class TcxLookAndFeel : public TcxInterfacedPersistent, public IcxLookAndFeelChangeListener {
  TOVANI_CLASS(TcxLookAndFeel, TcxInterfacedPersistent)
 public:
  explicit TcxLookAndFeel(TPersistent* AOwner = nullptr);
  ~TcxLookAndFeel() override;
  void Assign(TPersistent* Source) override;

  TcxLookAndFeelValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxLookAndFeelValues Value);
  TcxLookAndFeelKind Kind() const;
  void SetKind(TcxLookAndFeelKind Value);
  bool NativeStyle() const;
  void SetNativeStyle(bool Value);
  String SkinName() const;
  void SetSkinName(const String& Value);
  void Reset() { SetAssignedValues({}); }

  // Null: the root look-and-feel.
  TcxLookAndFeel* Master() const { return FMaster; }
  void SetMaster(TcxLookAndFeel* Value);
  TcxLookAndFeelPainterClass ActivePainter() const;
  // The painter for one visual-style class of objects (the scroll bar's, ...).
  TcxLookAndFeelPainterClass PainterForObjectType(const String& AObjectType) const { return ActivePainter(); }
  // A value in effect of the master changed.
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override;
  // A listener is added once; one may unregister itself (or another) while
  // it is being told about a change.
  void RegisterChangeListener(IcxLookAndFeelChangeListener* AListener);
  void UnregisterChangeListener(IcxLookAndFeelChangeListener* AListener);

  TcxLookAndFeelChangedEvent OnChanged;

 private:
  TcxLookAndFeel* EffectiveMaster() const;
  void Changed(TcxLookAndFeelValues AChangedValues);
  TcxLookAndFeelValues FAssignedValues;
  TcxLookAndFeelKind FKind = lfUltraFlat;
  bool FNativeStyle = false;
  String FSkinName;
  TcxLookAndFeel* FMaster = nullptr;
  std::vector<IcxLookAndFeelChangeListener*> FListeners;
  bool FDestroying = false;
  bool FIsRoot = false;
  struct TRootTag {};
  explicit TcxLookAndFeel(TRootTag);
  friend TcxLookAndFeel* cxRootLookAndFeel();
};

// The process-wide root: lfUltraFlat, no native style.
TcxLookAndFeel* cxRootLookAndFeel();

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
