// Late-bound calls on an automation object of the test's own, which
// records what reaches it and fails the way automation servers report
// exceptions.
#include <windows.h>
#include <oleauto.h>

#include "ScriptTestUtils.h"
#include "Utf8.h"
#include "gtest.h"

namespace {

class TRecordingDispatch : public IDispatch {
 public:
  // What the last Invoke was given.
  WORD Flags = 0;
  std::vector<String> Args;   // in the script's order
  bool NamedPut = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    const String name = Utf16ToUtf8(reinterpret_cast<const char16_t*>(names[0]));
    if (name == "Echo") *ids = 1;
    else if (name == "Fail") *ids = 2;
    else return DISP_E_UNKNOWNNAME;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT*) override {
    if (id == 2) {
      info->bstrSource = SysAllocString(reinterpret_cast<const OLECHAR*>(u"Test.Server"));
      info->bstrDescription = SysAllocString(reinterpret_cast<const OLECHAR*>(u"没有这一项"));
      info->scode = E_FAIL;
      return DISP_E_EXCEPTION;
    }
    Flags = flags;
    NamedPut = params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    Args.clear();
    for (UINT i = params->cArgs; i-- > 0;) {
      VARIANT text;
      VariantInit(&text);
      VariantChangeType(&text, &params->rgvarg[i], 0, VT_BSTR);
      Args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(V_BSTR(&text)), SysStringLen(V_BSTR(&text))));
      VariantClear(&text);
    }
    if (result) {
      V_VT(result) = VT_BSTR;
      const std::u16string joined = Utf8ToUtf16("echo:" + (Args.empty() ? String() : Args.back()));
      V_BSTR(result) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(joined.data()), UINT(joined.size()));
    }
    return S_OK;
  }
  ULONG Refs() const { return FRefs; }

 private:
  ULONG FRefs = 1;
};

}  // namespace

TEST(ScriptAutomation, CallsPutsAndExceptionInformation) {
  TRecordingDispatch server;
  {
    ScriptRun r;
    auto* object = new TfsAutomationObject(&server);
    r.Script->Add(String(), object);   // the program owns it
    r.Script->AddVariable("Server", "Variant", fsObjectToVariant(object));
    EXPECT_EQ(server.Refs(), 2u);
    ASSERT_TRUE(r.Compile("var s, e: String;\n"
                          "begin s := Server.Echo(1, 'x');\n"
                          " Server.Echo['k'] := 7;\n"
                          " try Server.Fail except e := ExceptionMessage end;\n"
                          "end."))
        << r.Error();
    r.Script->Execute();
    EXPECT_EQ(VarToStr(r.Get("s")), "echo:x");
    // The last call that reached it: a property put, the new value first
    // in the block.
    EXPECT_EQ(server.Flags, DISPATCH_PROPERTYPUT);
    EXPECT_TRUE(server.NamedPut);
    EXPECT_EQ(server.Args, (std::vector<String>{"k", "7"}));
    const String e = VarToStr(r.Get("e"));
    EXPECT_EQ(e.rfind("OLE error 80020009: Fail: ", 0), 0u) << e;
    EXPECT_NE(e.find("\r\nSource        ::  Test.Server\r\nDescription ::  没有这一项"), String::npos) << e;
    EXPECT_EQ(e.find("Help File"), String::npos) << e;
  }
  // The program released the interface with the object.
  EXPECT_EQ(server.Refs(), 1u);
}
