// Base types of the class library: integer and string types, TObject with its
// class registry entry, and the exception hierarchy. Everything else includes
// this header.
#pragma once
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

using String = std::string;           // UTF-8 text
using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using SmallInt = int16_t;
using ShortInt = int8_t;
using Word = uint16_t;
using Byte = uint8_t;
using Boolean = bool;
using Double = double;
using Extended = double;
using Single = float;
using TDateTime = double;             // days since 1899-12-30, time as the fraction
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;

class TObject;
struct TClassInfo;
// A class reference: the registry entry of a class.
using TClass = const TClassInfo*;

// Registry entry of one class: its name, its parent and, for classes that can
// be made by name (streaming, scripts), a factory. The class system of
// platform/classes hangs its published-property table on `TypeData`.
struct TClassInfo {
  const char* Name;
  TClass Parent;
  TObject* (*Factory)();      // null for abstract classes
  void* TypeData = nullptr;   // published properties, owned by platform/classes

  bool InheritsFrom(TClass other) const;
  String ClassName() const { return Name; }
};

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  String ClassName() const { return ClassType()->Name; }
  TClass ClassParent() const { return ClassType()->Parent; }
  bool InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }
  template <class T> bool Is() const { return InheritsFrom(T::StaticClass()); }
  // Called after construction by code that makes objects by class reference
  // (the class library's AfterConstruction); default does nothing.
  virtual void AfterConstruction() {}
};

// Class registry: classes register themselves at start-up (see TOVANI_CLASS).
void RegisterClassInfo(TClass info);
TClass FindClassInfo(const String& name);   // case-insensitive; null when unknown
const std::vector<TClass>& RegisteredClasses();

// Declares the class-reference members of a class; put it first in the body:
//   class TFoo : public TBar { TOVANI_CLASS(TFoo, TBar) public: ... };
#define TOVANI_CLASS(Cls, Parent)                                    \
 public:                                                             \
  using inherited = Parent;                                          \
  static TClass StaticClass();                                       \
  TClass ClassType() const override { return Cls::StaticClass(); }   \
                                                                     \
 private:

// Defines the registry entry in the class's source file. The _FACTORY form
// makes the class creatable by name (it needs a default constructor).
#define TOVANI_IMPLEMENT_CLASS_EX(Cls, Parent, Fact)                   \
  TClass Cls::StaticClass() {                                          \
    static TClassInfo info{#Cls, Parent::StaticClass(), Fact};         \
    return &info;                                                      \
  }                                                                    \
  static const bool tovani_registered_##Cls = [] {                     \
    RegisterClassInfo(Cls::StaticClass());                             \
    return true;                                                       \
  }();
#define TOVANI_IMPLEMENT_CLASS(Cls, Parent) TOVANI_IMPLEMENT_CLASS_EX(Cls, Parent, nullptr)
#define TOVANI_IMPLEMENT_CLASS_FACTORY(Cls, Parent) \
  TOVANI_IMPLEMENT_CLASS_EX(Cls, Parent, []() -> TObject* { return new Cls(); })

// ---------------------------------------------------------------------------
// Exceptions. Every error the system raises derives from Exception, which
// carries a message text (UTF-8). EAbort is the silent exception: the
// default handler shows every other exception in a message box.

class Exception : public TObject, public std::exception {
  TOVANI_CLASS(Exception, TObject)
 public:
  explicit Exception(String msg) : FMessage(std::move(msg)) {}
  const String& Message() const { return FMessage; }
  void SetMessage(const String& m) { FMessage = m; }
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int v) { FHelpContext = v; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  String FMessage;
  int FHelpContext = 0;
};

#define TOVANI_EXCEPTION(Cls, Parent)                       \
  class Cls : public Parent {                               \
    TOVANI_CLASS(Cls, Parent)                               \
   public:                                                  \
    using Parent::Parent;                                   \
  };

TOVANI_EXCEPTION(EAbort, Exception)
TOVANI_EXCEPTION(EConvertError, Exception)
TOVANI_EXCEPTION(EVariantError, Exception)
TOVANI_EXCEPTION(EListError, Exception)
TOVANI_EXCEPTION(EStringListError, Exception)
TOVANI_EXCEPTION(EStreamError, Exception)
TOVANI_EXCEPTION(EFCreateError, EStreamError)
TOVANI_EXCEPTION(EFOpenError, EStreamError)
TOVANI_EXCEPTION(EReadError, EStreamError)
TOVANI_EXCEPTION(EWriteError, EStreamError)
TOVANI_EXCEPTION(EFilerError, EStreamError)
TOVANI_EXCEPTION(EClassNotFound, EFilerError)
TOVANI_EXCEPTION(EMethodNotFound, EFilerError)
TOVANI_EXCEPTION(EInvalidImage, EFilerError)
TOVANI_EXCEPTION(EComponentError, Exception)
TOVANI_EXCEPTION(EPropertyError, Exception)
TOVANI_EXCEPTION(EDatabaseError, Exception)
TOVANI_EXCEPTION(EInvalidOperation, Exception)
TOVANI_EXCEPTION(EInvalidPointer, Exception)
TOVANI_EXCEPTION(EInvalidCast, Exception)
TOVANI_EXCEPTION(EOutOfMemory, Exception)
TOVANI_EXCEPTION(EIntError, Exception)
TOVANI_EXCEPTION(EDivByZero, EIntError)
TOVANI_EXCEPTION(ERangeError, EIntError)
TOVANI_EXCEPTION(EIntOverflow, EIntError)
TOVANI_EXCEPTION(EMathError, Exception)
TOVANI_EXCEPTION(EZeroDivide, EMathError)
TOVANI_EXCEPTION(EOverflow, EMathError)
TOVANI_EXCEPTION(EInvalidOp, EMathError)
TOVANI_EXCEPTION(EOSError, Exception)
TOVANI_EXCEPTION(EIniFileException, Exception)
TOVANI_EXCEPTION(ENotSupportedException, Exception)
TOVANI_EXCEPTION(EInvalidArgument, Exception)

// Raises the silent exception that cancels the current operation.
[[noreturn]] void Abort();
