#include "System.h"
#include <algorithm>
#include <cctype>

TObject::~TObject() = default;

TClass TObject::StaticClass() {
  static TClassInfo info{"TObject", nullptr, []() -> TObject* { return new TObject(); }};
  return &info;
}

bool TClassInfo::InheritsFrom(TClass other) const {
  for (TClass c = this; c; c = c->Parent)
    if (c == other) return true;
  return false;
}

namespace {
std::vector<TClass>& Registry() {
  static std::vector<TClass> list;
  return list;
}
bool SameAscii(const char* a, const String& b) {
  size_t n = b.size();
  for (size_t i = 0; i < n; ++i) {
    if (!a[i]) return false;
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
  }
  return a[n] == 0;
}
}  // namespace

void RegisterClassInfo(TClass info) {
  auto& r = Registry();
  if (std::find(r.begin(), r.end(), info) == r.end()) r.push_back(info);
}

TClass FindClassInfo(const String& name) {
  if (SameAscii("TObject", name)) return TObject::StaticClass();
  for (TClass c : Registry())
    if (SameAscii(c->Name, name)) return c;
  return nullptr;
}

const std::vector<TClass>& RegisteredClasses() { return Registry(); }

TOVANI_IMPLEMENT_CLASS(Exception, TObject)
TOVANI_IMPLEMENT_CLASS(EAbort, Exception)
TOVANI_IMPLEMENT_CLASS(EConvertError, Exception)
TOVANI_IMPLEMENT_CLASS(EVariantError, Exception)
TOVANI_IMPLEMENT_CLASS(EListError, Exception)
TOVANI_IMPLEMENT_CLASS(EStringListError, Exception)
TOVANI_IMPLEMENT_CLASS(EStreamError, Exception)
TOVANI_IMPLEMENT_CLASS(EFCreateError, EStreamError)
TOVANI_IMPLEMENT_CLASS(EFOpenError, EStreamError)
TOVANI_IMPLEMENT_CLASS(EReadError, EStreamError)
TOVANI_IMPLEMENT_CLASS(EWriteError, EStreamError)
TOVANI_IMPLEMENT_CLASS(EFilerError, EStreamError)
TOVANI_IMPLEMENT_CLASS(EClassNotFound, EFilerError)
TOVANI_IMPLEMENT_CLASS(EMethodNotFound, EFilerError)
TOVANI_IMPLEMENT_CLASS(EInvalidImage, EFilerError)
TOVANI_IMPLEMENT_CLASS(EComponentError, Exception)
TOVANI_IMPLEMENT_CLASS(EPropertyError, Exception)
TOVANI_IMPLEMENT_CLASS(EDatabaseError, Exception)
TOVANI_IMPLEMENT_CLASS(EInvalidOperation, Exception)
TOVANI_IMPLEMENT_CLASS(EInvalidPointer, Exception)
TOVANI_IMPLEMENT_CLASS(EInvalidCast, Exception)
TOVANI_IMPLEMENT_CLASS(EOutOfMemory, Exception)
TOVANI_IMPLEMENT_CLASS(EIntError, Exception)
TOVANI_IMPLEMENT_CLASS(EDivByZero, EIntError)
TOVANI_IMPLEMENT_CLASS(ERangeError, EIntError)
TOVANI_IMPLEMENT_CLASS(EIntOverflow, EIntError)
TOVANI_IMPLEMENT_CLASS(EMathError, Exception)
TOVANI_IMPLEMENT_CLASS(EZeroDivide, EMathError)
TOVANI_IMPLEMENT_CLASS(EOverflow, EMathError)
TOVANI_IMPLEMENT_CLASS(EInvalidOp, EMathError)
TOVANI_IMPLEMENT_CLASS(EOSError, Exception)
TOVANI_IMPLEMENT_CLASS(EIniFileException, Exception)
TOVANI_IMPLEMENT_CLASS(ENotSupportedException, Exception)
TOVANI_IMPLEMENT_CLASS(EInvalidArgument, Exception)

void Abort() { throw EAbort("Operation aborted"); }
