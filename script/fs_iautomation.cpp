// Automation objects in scripts: CreateOleObject and the late-bound calls
// of their members through IDispatch.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>

#include "SysUtils.h"
#include "Utf8.h"
#include "fs_iinterpreter.h"

TOVANI_IMPLEMENT_CLASS(TfsAutomationObject, TObject)

TfsAutomationObject::TfsAutomationObject(IDispatch* ADispatch) : FDispatch(ADispatch) {
  if (FDispatch) FDispatch->AddRef();
}

TfsAutomationObject::~TfsAutomationObject() {
  if (FDispatch) FDispatch->Release();
}

namespace {

// A wide string for the automation interfaces, released at the end of its
// scope.
struct Bstr {
  BSTR S = nullptr;
  explicit Bstr(const String& Text) {
    const std::u16string w = Utf8ToUtf16(Text);
    S = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(w.data()), UINT(w.size()));
  }
  ~Bstr() { SysFreeString(S); }
};

String FromBstr(BSTR S) {
  return S ? Utf16ToUtf8(reinterpret_cast<const char16_t*>(S), SysStringLen(S)) : String();
}

// The system's text for an error code, without its line end.
String SystemMessage(HRESULT Code) {
  WCHAR buffer[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(Code), 0,
                           buffer, ARRAYSIZE(buffer), nullptr);
  while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' ')) --n;
  return Utf16ToUtf8(reinterpret_cast<const char16_t*>(buffer), n);
}

String Hex8(HRESULT Code) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", unsigned(Code));
  return text;
}

[[noreturn]] void OleError(HRESULT Code, const String& Member, const EXCEPINFO* Info) {
  String message = "OLE error " + Hex8(Code) + ": " + Member + ": " + SystemMessage(Code);
  if (Info) {
    const String source = FromBstr(Info->bstrSource), description = FromBstr(Info->bstrDescription),
                 helpFile = FromBstr(Info->bstrHelpFile);
    if (!source.empty()) message += "\r\nSource        ::  " + source;
    if (!description.empty()) message += "\r\nDescription ::  " + description;
    if (!helpFile.empty()) message += "\r\nHelp File     ::  " + helpFile;
  }
  throw EfsScriptError(message);
}

// A script value as an automation argument (owned by the caller, who
// clears it).
void ToVariantArg(const Variant& V, VARIANT& Out, const String& Member) {
  VariantInit(&Out);
  switch (V.Kind()) {
    case varEmpty: return;
    case varNull: V_VT(&Out) = VT_NULL; return;
    case varBoolean:
      V_VT(&Out) = VT_BOOL;
      V_BOOL(&Out) = V.AsBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
      V_VT(&Out) = VT_I4;
      V_I4(&Out) = V.AsInteger();
      return;
    case varLongWord: case varInt64:
      V_VT(&Out) = VT_R8;
      V_R8(&Out) = V.AsDouble();
      return;
    case varSingle: case varDouble:
      V_VT(&Out) = VT_R8;
      V_R8(&Out) = V.AsDouble();
      return;
    case varCurrency:
      V_VT(&Out) = VT_CY;
      V_CY(&Out).int64 = V.AsCurrencyRaw();
      return;
    case varDate:
      V_VT(&Out) = VT_DATE;
      V_DATE(&Out) = V.AsDateTime();
      return;
    case varString: case varOleStr: {
      const std::u16string w = Utf8ToUtf16(VarToStr(V));
      V_VT(&Out) = VT_BSTR;
      V_BSTR(&Out) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(w.data()), UINT(w.size()));
      return;
    }
    case varObject: {
      TObject* o = fsVariantToObject(V);
      if (auto* a = dynamic_cast<TfsAutomationObject*>(o)) {
        V_VT(&Out) = VT_DISPATCH;
        V_DISPATCH(&Out) = a->Dispatch();
        if (V_DISPATCH(&Out)) V_DISPATCH(&Out)->AddRef();
        return;
      }
      if (!o) {
        V_VT(&Out) = VT_DISPATCH;
        V_DISPATCH(&Out) = nullptr;
        return;
      }
      break;
    }
    default: break;
  }
  throw EfsScriptError("OLE error: " + Member + ": a " + VarTypeAsText(V.VType()) +
                       " value cannot be passed to an automation object");
}

Variant FromVariantArg(const VARIANT& In, TfsScript* Owner, const String& Member);

Variant FromSafeArray(SAFEARRAY* A, VARTYPE ElementType, TfsScript* Owner, const String& Member) {
  if (!A || SafeArrayGetDim(A) != 1) throw EfsScriptError("OLE error: " + Member + ": unsupported array result");
  LONG lo = 0, hi = -1;
  SafeArrayGetLBound(A, 1, &lo);
  SafeArrayGetUBound(A, 1, &hi);
  Variant result = VarArrayCreate({Integer(lo), Integer(hi)}, varVariant);
  for (LONG i = lo; i <= hi; ++i) {
    VARIANT element;
    VariantInit(&element);
    if (ElementType == VT_VARIANT) {
      SafeArrayGetElement(A, &i, &element);
    } else {
      // Elements of a typed array: read into the matching member.
      V_VT(&element) = ElementType;
      SafeArrayGetElement(A, &i, &V_I8(&element));
    }
    try {
      result.PutElement(Integer(i), FromVariantArg(element, Owner, Member));
    } catch (...) {
      VariantClear(&element);
      throw;
    }
    VariantClear(&element);
  }
  return result;
}

// An automation result as a script value. Dispatch interfaces become
// automation objects owned by the script.
Variant FromVariantArg(const VARIANT& In, TfsScript* Owner, const String& Member) {
  const VARIANT* v = &In;
  if (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
  if (V_VT(v) & VT_ARRAY) {
    SAFEARRAY* a = (V_VT(v) & VT_BYREF) ? (V_ARRAYREF(v) ? *V_ARRAYREF(v) : nullptr) : V_ARRAY(v);
    return FromSafeArray(a, VARTYPE(V_VT(v) & VT_TYPEMASK), Owner, Member);
  }
  VARIANT plain;
  VariantInit(&plain);
  if (V_VT(v) & VT_BYREF) {
    if (FAILED(VariantCopyInd(&plain, v))) throw EfsScriptError("OLE error: " + Member + ": unreadable result");
    v = &plain;
  }
  Variant result;
  switch (V_VT(v)) {
    case VT_EMPTY: break;
    case VT_NULL: result = Variant::Null(); break;
    case VT_I1: result = Variant(Integer(V_I1(v))); break;
    case VT_UI1: result = Variant(Integer(V_UI1(v))); break;
    case VT_I2: result = Variant(Integer(V_I2(v))); break;
    case VT_UI2: result = Variant(Integer(V_UI2(v))); break;
    case VT_I4: case VT_INT: result = Variant(Integer(V_I4(v))); break;
    case VT_UI4: case VT_UINT: result = Variant(Int64(V_UI4(v))); break;
    case VT_I8: result = Variant(Int64(V_I8(v))); break;
    case VT_R4: result = Variant(double(V_R4(v))); break;
    case VT_R8: result = Variant(V_R8(v)); break;
    case VT_BOOL: result = Variant(V_BOOL(v) != VARIANT_FALSE); break;
    case VT_CY: result = Variant::FromCurrencyRaw(V_CY(v).int64); break;
    case VT_DATE: result = Variant::FromDate(V_DATE(v)); break;
    case VT_BSTR: result = Variant(FromBstr(V_BSTR(v))); break;
    case VT_DISPATCH:
      if (V_DISPATCH(v)) {
        auto* a = new TfsAutomationObject(V_DISPATCH(v));
        Owner->Add(String(), a);
        result = fsObjectToVariant(a);
      } else {
        result = fsObjectToVariant(nullptr);
      }
      break;
    default:
      VariantClear(&plain);
      throw EfsScriptError("OLE error: " + Member + ": unsupported result type " + IntToStr(Integer(V_VT(v))));
  }
  VariantClear(&plain);
  return result;
}

// The program that owns what a call makes: the main program of P.
TfsScript* OwnerOf(TfsScript* P) {
  while (P && P->Parent()) P = P->Parent();
  return P;
}

void EnsureCom() {
  // Scripts run on the program's user-interface thread; a second call only
  // answers that COM is already set up.
  static thread_local bool done = false;
  if (!done) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    done = true;
  }
}

}  // namespace

Variant fsCreateOleObject(const String& ClassName, TfsScript* Prog) {
  EnsureCom();
  const std::u16string name = Utf8ToUtf16(ClassName);
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(name.c_str()), &clsid);
  IDispatch* dispatch = nullptr;
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&dispatch));
  if (FAILED(hr) || !dispatch) {
    const String reason = SystemMessage(hr);
    throw EfsScriptError("Cannot create automation object '" + fsMessageText(ClassName) +
                         "': " + (reason.empty() ? "error " + Hex8(hr) : reason));
  }
  auto* a = new TfsAutomationObject(dispatch);
  dispatch->Release();
  OwnerOf(Prog)->Add(String(), a);
  return fsObjectToVariant(a);
}

bool fsIsAutomationObject(const Variant& V) {
  return V.Kind() == varObject && dynamic_cast<TfsAutomationObject*>(fsVariantToObject(V)) != nullptr;
}

Variant TfsOLEHelper::Invoke(bool PropertyPut, const Variant& NewValue) {
  const Integer args = Count() + (PropertyPut ? 1 : 0);
  if (args > 64)
    throw EfsScriptError("OLE error: " + fsMessageText(FName) + ": too many arguments (" + IntToStr(args) +
                         ", at most 64)");
  auto* object = dynamic_cast<TfsAutomationObject*>(fsVariantToObject(ParentValue));
  if (!object || !object->Dispatch())
    throw EfsScriptError("OLE error: " + fsMessageText(FName) + ": not an automation object");
  IDispatch* dispatch = object->Dispatch();

  Bstr name(FName);
  DISPID id = 0;
  HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, &name.S, 1, GetThreadLocale(), &id);
  if (FAILED(hr)) OleError(hr, FName, nullptr);

  // Arguments go last first; a property-put's new value is the first.
  VARIANT block[64];
  Integer filled = 0;
  struct Cleanup {
    VARIANT* B;
    Integer& N;
    ~Cleanup() {
      for (Integer i = 0; i < N; ++i) VariantClear(&B[i]);
    }
  } cleanup{block, filled};
  if (PropertyPut) ToVariantArg(NewValue, block[filled++], FName);
  for (Integer i = Count() - 1; i >= 0; --i) ToVariantArg(Params(i)->ReadValue(), block[filled++], FName);

  DISPPARAMS params{};
  params.rgvarg = filled ? block : nullptr;
  params.cArgs = UINT(filled);
  DISPID put = DISPID_PROPERTYPUT;
  if (PropertyPut) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  const bool wantResult = NeedResult && !PropertyPut;
  const WORD flags = PropertyPut ? DISPATCH_PROPERTYPUT : wantResult ? (DISPATCH_METHOD | DISPATCH_PROPERTYGET)
                                                                     : DISPATCH_METHOD;
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO info{};
  hr = dispatch->Invoke(id, IID_NULL, 0, flags, &params, wantResult ? &result : nullptr, &info, nullptr);
  if (FAILED(hr)) {
    if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    struct InfoCleanup {
      EXCEPINFO& I;
      ~InfoCleanup() {
        SysFreeString(I.bstrSource);
        SysFreeString(I.bstrDescription);
        SysFreeString(I.bstrHelpFile);
      }
    } infoCleanup{info};
    VariantClear(&result);
    OleError(hr, FName, &info);
  }
  Variant value;
  try {
    value = FromVariantArg(result, OwnerOf(Prog ? Prog : nullptr), FName);
  } catch (...) {
    VariantClear(&result);
    throw;
  }
  VariantClear(&result);
  return value;
}
