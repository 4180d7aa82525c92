// The report document: creation and clearing, the run (PrepareReport,
// ShowReport, the preview), progress, settings store, and the contracts of
// engine, outline and prepared pages.
#include <windows.h>
#undef GetProp
#undef SetProp

#include <mutex>
#include <vector>

#include "ExtCtrls.h"
#include "Forms.h"
#include "IniFiles.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxClassRTTI.h"
#include "frxCustomPreview.h"
#include "frxProgress.h"
#include "frxRes.h"
#include "frxUtils.h"
#include "frxVariables.h"
#include "fs_iclassesrtti.h"
#include "fs_idialogsrtti.h"
#include "fs_iformsrtti.h"
#include "fs_igraphicsrtti.h"
#include "fs_iinirtti.h"
#include "fs_iinterpreter.h"
#include "fs_itools.h"

TOVANI_IMPLEMENT_ENUM_INFO(TfrxProgressType, "ptRunning", "ptExporting", "ptPrinting")
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxReport, TfrxComponent)
TOVANI_IMPLEMENT_CLASS(TfrxCustomEngine, TPersistent)
TOVANI_IMPLEMENT_CLASS(TfrxCustomOutline, TPersistent)
TOVANI_IMPLEMENT_CLASS(TfrxCustomPreviewPages, TObject)
TOVANI_IMPLEMENT_CLASS(TfrxCustomPreview, TCustomControl)

TfrxEngineFactory frxEngineClass = nullptr;
TfrxPreviewPagesFactory frxPreviewPagesClass = nullptr;
TfrxOutlineFactory frxOutlineClass = nullptr;
TfrxPreviewWindowFactory frxPreviewWindowClass;

namespace {

// The report's own mouse cursors, drawn here: '#' black, '.' white, blanks
// show what is below. A hand for dragging pages, a magnifier for zooming and
// a brush for copying formats.
struct TCursorArt {
  Integer Index;
  Integer HotX, HotY;
  const char* Rows[16];
};

const TCursorArt kReportCursors[] = {
    {150, 8, 8, {"      ##        ",
                 "   ## #..###    ",
                 "  #..##..#..#   ",
                 "  #..##..#..# # ",
                 "   #..#..#..##.#",
                 "   #..#..#..#..#",
                 " ## #.......#..#",
                 "#..##..........#",
                 "#...#.........# ",
                 " #............# ",
                 "  #...........# ",
                 "  #..........#  ",
                 "   #.........#  ",
                 "    #.......#   ",
                 "     #......#   ",
                 "     #......#   "}},
    {151, 6, 6, {"    ####        ",
                 "  ##....##      ",
                 " #........#     ",
                 " #........#     ",
                 "#..........#    ",
                 "#..........#    ",
                 "#..........#    ",
                 "#..........#    ",
                 " #........#     ",
                 " #........#     ",
                 "  ##....####    ",
                 "    ####  ###   ",
                 "           ###  ",
                 "            ### ",
                 "             ###",
                 "              # "}},
    {152, 7, 15, {"   ##########   ",
                  "  #..........#  ",
                  "  #..........###",
                  "  #..........#.#",
                  "   ##########..#",
                  "             #.#",
                  "      #######..#",
                  "      #........#",
                  "      #.######  ",
                  "      #.#       ",
                  "     ##.##      ",
                  "     #...#      ",
                  "     #...#      ",
                  "     #...#      ",
                  "     #...#      ",
                  "      ###       "}},
};

// Makes the report cursors (known to scripts as crHand, crZoom, crFormat)
// screen cursors 150 to 152.
void MakeReportCursors() {
  if (!Screen) return;
  const int w = GetSystemMetrics(SM_CXCURSOR) > 0 ? GetSystemMetrics(SM_CXCURSOR) : 32;
  const int h = GetSystemMetrics(SM_CYCURSOR) > 0 ? GetSystemMetrics(SM_CYCURSOR) : 32;
  const int stride = (w + 15) / 16 * 2;
  for (const TCursorArt& art : kReportCursors) {
    // AND mask 1 keeps the screen; with XOR 1 over AND 0 the pixel is white.
    std::vector<BYTE> andMask(size_t(stride * h), 0xFF), xorMask(size_t(stride * h), 0);
    for (int y = 0; y < 16 && y < h; ++y)
      for (int x = 0; x < 16 && x < w; ++x) {
        const char c = art.Rows[y][x];
        if (c == ' ') continue;
        const size_t at = size_t(y * stride + x / 8);
        const BYTE bit = BYTE(0x80 >> (x % 8));
        andMask[at] &= BYTE(~bit);
        if (c == '.') xorMask[at] |= bit;
      }
    HCURSOR cursor = CreateCursor(GetModuleHandleW(nullptr), art.HotX, art.HotY, w, h, andMask.data(), xorMask.data());
    if (cursor) Screen->SetCursors(art.Index, cursor);
  }
}

// What the report library does once before its first report: the script
// engine gets its messages from the string table and the registration
// modules are entered in their order (ini files, class library, dialogs,
// graphics, forms, report).
void ReportUnitStart() {
  static std::once_flag once;
  std::call_once(once, [] {
    MakeReportCursors();
    frxScriptMessagesReceiver = [](const std::vector<String>& m) {
      String* targets[] = {&SLangNotFound,   &SInvalidLanguage, &SIdRedeclared,     &SUnknownType,
                           &SIncompatibleTypes, &SIdUndeclared, &SClassRequired,    &SIndexRequired,
                           &SStringError,    &SClassError,      &SArrayRequired,    &SVarRequired,
                           &SNotEnoughParams, &STooManyParams,  &SLeftCantAssigned, &SForError,
                           &SEventError};
      for (size_t i = 0; i < m.size() && i < sizeof(targets) / sizeof(targets[0]); ++i) *targets[i] = m[i];
    };
    frxGetResources()->UpdateFSResources();
    fsRegisterIniRTTI();
    fsRegisterClassesRTTI();
    fsRegisterDialogsRTTI();
    fsRegisterGraphicsRTTI();
    fsRegisterFormsRTTI();
    frxRegisterClassRTTI();
  });
}

void ProcessMessages(bool Force = false) { frxProcessMessages(Force); }

// A settings store on a registry key of the current user: sections are
// subkeys, idents string values.
class TfrxRegistryIniFile : public TCustomIniFile {
  TOVANI_CLASS(TfrxRegistryIniFile, TCustomIniFile)
 public:
  explicit TfrxRegistryIniFile(const String& Key) : TCustomIniFile(Key) {
    FKey = Key;
    while (!FKey.empty() && FKey[0] == '\\') FKey.erase(0, 1);
  }

  String ReadString(const String& Section, const String& Ident, const String& Default) override {
    HKEY k = Open(Section, false);
    if (!k) return Default;
    std::u16string name = Utf8ToUtf16(Ident);
    DWORD type = 0, size = 0;
    String result = Default;
    if (RegQueryValueExW(k, W(name), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
        size < (1u << 20)) {
      std::u16string buf(size / 2 + 1, u'\0');
      if (RegQueryValueExW(k, W(name), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) ==
          ERROR_SUCCESS) {
        buf.resize(size / 2);
        while (!buf.empty() && buf.back() == u'\0') buf.pop_back();
        result = Utf16ToUtf8(buf);
      }
    }
    RegCloseKey(k);
    return result;
  }
  void WriteString(const String& Section, const String& Ident, const String& Value) override {
    HKEY k = Open(Section, true);
    if (!k) throw EIniFileException("Unable to write to " + FileName());
    std::u16string name = Utf8ToUtf16(Ident), value = Utf8ToUtf16(Value);
    LONG r = RegSetValueExW(k, W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            DWORD((value.size() + 1) * 2));
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) throw EIniFileException("Unable to write to " + FileName());
  }
  void ReadSection(const String& Section, TStrings* Strings) override {
    Strings->Clear();
    HKEY k = Open(Section, false);
    if (!k) return;
    for (DWORD i = 0;; ++i) {
      char16_t name[16384];
      DWORD len = 16384;
      if (RegEnumValueW(k, i, reinterpret_cast<LPWSTR>(name), &len, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      Strings->Add(Utf16ToUtf8(std::u16string(name, len)));
    }
    RegCloseKey(k);
  }
  void ReadSections(TStrings* Strings) override {
    Strings->Clear();
    HKEY k = Open(String(), false);
    if (!k) return;
    for (DWORD i = 0;; ++i) {
      char16_t name[256];
      DWORD len = 256;
      if (RegEnumKeyExW(k, i, reinterpret_cast<LPWSTR>(name), &len, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      Strings->Add(Utf16ToUtf8(std::u16string(name, len)));
    }
    RegCloseKey(k);
  }
  void ReadSectionValues(const String& Section, TStrings* Strings) override {
    TStringList names;
    ReadSection(Section, &names);
    Strings->Clear();
    for (Integer i = 0; i < names.Count(); ++i)
      Strings->Add(names[i] + "=" + ReadString(Section, names[i], String()));
  }
  void EraseSection(const String& Section) override {
    std::u16string path = Utf8ToUtf16(FKey + "\\" + Section);
    RegDeleteTreeW(HKEY_CURRENT_USER, W(path));
  }
  void DeleteKey(const String& Section, const String& Ident) override {
    HKEY k = Open(Section, true);
    if (!k) return;
    std::u16string name = Utf8ToUtf16(Ident);
    RegDeleteValueW(k, W(name));
    RegCloseKey(k);
  }
  void UpdateFile() override {}

 private:
  static LPCWSTR W(const std::u16string& s) { return reinterpret_cast<LPCWSTR>(s.c_str()); }
  HKEY Open(const String& Section, bool Create) {
    std::u16string path = Utf8ToUtf16(Section.empty() ? FKey : FKey + "\\" + Section);
    HKEY k = nullptr;
    LONG r = Create ? RegCreateKeyExW(HKEY_CURRENT_USER, W(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)
                    : RegOpenKeyExW(HKEY_CURRENT_USER, W(path), 0, KEY_READ, &k);
    return r == ERROR_SUCCESS ? k : nullptr;
  }
  String FKey;
};

}  // namespace

TOVANI_IMPLEMENT_CLASS(TfrxRegistryIniFile, TCustomIniFile)

// ---------------------------------------------------------------------------
// Contracts

TOVANI_PUBLISHED(TfrxCustomEngine) {
  Property("CurColumn", &TfrxCustomEngine::CurColumn);
  Property("CurVColumn", &TfrxCustomEngine::CurVColumn);
  Property("CurX", &TfrxCustomEngine::CurX);
  Property("CurY", &TfrxCustomEngine::CurY);
  Property("DoublePass", &TfrxCustomEngine::DoublePass);
  Property("FinalPass", &TfrxCustomEngine::FinalPass);
  Property("PageHeight", &TfrxCustomEngine::PageHeight);
  Property("PageWidth", &TfrxCustomEngine::PageWidth);
  Property("StartDate", &TfrxCustomEngine::StartDate);
  Property("StartTime", &TfrxCustomEngine::StartTime);
  Property("TotalPages", &TfrxCustomEngine::TotalPages);
  Property("SecondScriptCall", &TfrxCustomEngine::SecondScriptCall);
}

TfrxCustomEngine::TfrxCustomEngine(TfrxReport* AReport) : FReport(AReport) {}
TfrxCustomEngine::~TfrxCustomEngine() = default;

void TfrxCustomEngine::StopReport() {
  if (FReport) FReport->SetTerminated(true);
}

bool TfrxCustomEngine::DoublePass() const { return FReport && FReport->EngineOptions()->DoublePass; }

TfrxCustomEngine* TfrxCustomOutline::Engine() const { return FPreviewPages ? FPreviewPages->Engine() : nullptr; }

TfrxCustomPreviewPages::TfrxCustomPreviewPages(TfrxReport* AReport) : FReport(AReport) {
  if (frxOutlineClass) FOutline.reset(frxOutlineClass(this));
}

TfrxCustomPreviewPages::~TfrxCustomPreviewPages() = default;

// ---------------------------------------------------------------------------
// TfrxReport

TOVANI_PUBLISHED(TfrxReport) {
  Property("Version", &TfrxReport::Version, &TfrxReport::SetVersion);
  Property("ParentReport", &TfrxReport::ParentReport, &TfrxReport::SetParentReport);
  Property("DataSet", &TfrxReport::DataSet, &TfrxReport::SetDataSet);
  Property("DataSetName", &TfrxReport::DataSetName, &TfrxReport::SetDataSetName);
  Property("DotMatrixReport", &TfrxReport::DotMatrixReport).Default(false);
  Property("EngineOptions", &TfrxReport::EngineOptions, &TfrxReport::SetEngineOptions);
  Property("IniFile", &TfrxReport::IniFile);
  Property("OldStyleProgress", &TfrxReport::OldStyleProgress).Default(false);
  Property("PreviewOptions", &TfrxReport::PreviewOptions, &TfrxReport::SetPreviewOptions);
  Property("PrintOptions", &TfrxReport::PrintOptions, &TfrxReport::SetPrintOptions);
  Property("ReportOptions", &TfrxReport::ReportOptions, &TfrxReport::SetReportOptions);
  Property("ScriptLanguage", &TfrxReport::ScriptLanguage, &TfrxReport::SetScriptLanguage);
  Property("ScriptText", &TfrxReport::ScriptText, &TfrxReport::SetScriptText);
  Property("ShowProgress", &TfrxReport::ShowProgress).Default(true);
  Property("StoreInDFM", &TfrxReport::StoreInDFM).Default(true);
  Property("OnBeginDoc", &TfrxReport::OnBeginDoc);
  Property("OnEndDoc", &TfrxReport::OnEndDoc);
  Property("OnPreview", &TfrxReport::OnPreview);
  Property("OnPrintReport", &TfrxReport::OnPrintReport);
  Property("OnAfterPrintReport", &TfrxReport::OnAfterPrintReport);
  Property("OnClosePreview", &TfrxReport::OnClosePreview);
  Property("OnAfterScriptCompile", &TfrxReport::OnAfterScriptCompile);
  Property("OnBeforePrint", &TfrxReport::OnBeforePrint);
  Property("OnAfterPrint", &TfrxReport::OnAfterPrint);
  Property("OnGetValue", &TfrxReport::OnGetValue);
  Property("OnRunDialogs", &TfrxReport::OnRunDialogs);
  Property("OnStartReport", &TfrxReport::OnStartReport);
  Property("OnStopReport", &TfrxReport::OnStopReport);
  Property("OnReportPrint", &TfrxReport::OnReportPrint);
}

TfrxReport::TfrxReport(TComponent* AOwner) : TfrxComponent(AOwner) {
  ReportUnitStart();
  FDataSets = std::make_unique<TfrxReportDataSets>(this);
  FVariables = std::make_unique<TfrxVariables>();
  FScript = std::make_unique<TfsScript>(nullptr);
  FScript->ExtendedCharset = true;
  FScript->AddRTTI();
  FTimer = std::make_unique<TTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(50);
  FTimer->OnTimer = [this](TObject* Sender) { OnTimer(Sender); };
  FEngineOptions = std::make_unique<TfrxEngineOptions>();
  FPreviewOptions = std::make_unique<TfrxPreviewOptions>();
  FPrintOptions = std::make_unique<TfrxPrintOptions>();
  FReportOptions = std::make_unique<TfrxReportOptions>();
  FReportOptions->Report = this;
  FScriptText = std::make_unique<TStringList>();
  FExpressionCache = std::make_unique<TfrxExpressionCache>(FScript.get());
  FErrors = std::make_unique<TStringList>();
  FErrors->SetSorted(true);
  FErrors->SetDuplicates(dupIgnore);
  FStyles = std::make_unique<TfrxStyles>(this);
  FSysVariables = std::make_unique<TStringList>();
  if (frxPreviewPagesClass) FPreviewPages.reset(frxPreviewPagesClass(this));
  if (frxEngineClass) FEngine.reset(frxEngineClass(this));
  if (FEngine) FEngine->SetPreviewPages(FPreviewPages.get());
  if (FPreviewPages) FPreviewPages->SetEngine(FEngine.get());
  FDrillState = std::make_unique<TStringList>();
  Clear();
}

TfrxReport::~TfrxReport() {
  FDestroying = true;
  FTimer->SetEnabled(false);
  // The tree goes first, while the report is still whole.
  TfrxComponent::Clear();
  SetPreview(nullptr);
  FProgress.reset();
  FParentReportObject.reset();
  DestroyComponents();
  FDataSets->Clear();
  // The engine and the pages may still use the script and the report.
  FEngine.reset();
  FPreviewPages.reset();
  FExpressionCache.reset();
  FScript.reset();
}

String TfrxReport::GetTypeCaption() { return frxGetResources()->Get("obReport"); }

void TfrxReport::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  if (StoreInDFM) TfrxComponent::GetChildren(Proc, Root);
}

TStrings* TfrxReport::Errors() const { return FErrors.get(); }
TStrings* TfrxReport::ScriptText() const { return FScriptText.get(); }
void TfrxReport::SetScriptText(TStrings* Value) { FScriptText->Assign(Value); }
TStrings* TfrxReport::SysVariables() const { return FSysVariables.get(); }
TStrings* TfrxReport::DrillState() const { return FDrillState.get(); }
void TfrxReport::SetStyles(TfrxStyles* Value) {
  if (Value) FStyles->Assign(Value);
  else FStyles->Clear();
}

void TfrxReport::FillSysVariables() {
  FSysVariables->Clear();
  for (const char* n : {"Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#", "Line", "Line#", "CopyName#"})
    FSysVariables->Add(n);
}

void TfrxReport::Clear() {
  TfrxComponent::Clear();
  FDataSets->Clear();
  FVariables->Clear();
  FStyles->Clear();
  FEngineOptions->Clear();
  FPreviewOptions->Clear();
  FPrintOptions->Clear();
  FReportOptions->Clear();
  SetDataSet(nullptr);
  FDataSetName.clear();
  DotMatrixReport = false;
  SetParentReport(String());
  FScriptLanguage = "PascalScript";
  FScriptText->Clear();
  FScriptText->Add("begin");
  FScriptText->Add("");
  FScriptText->Add("end.");
  FillSysVariables();
  OnRunDialogs.clear();
  OnStartReport.clear();
  OnStopReport.clear();
}

void TfrxReport::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent->Is<TfrxDataSet>()) {
    auto* ds = static_cast<TfrxDataSet*>(AComponent);
    if (FDataSets)
      if (TfrxDataSetItem* item = FDataSets->Find(ds)) delete item;
    if (FDataSet == ds) FDataSet = nullptr;
  }
  if (AComponent == FPreview) {
    FPreview = nullptr;
  }
  if (AComponent == FPreviewForm) {
    FPreviewForm = nullptr;
    FPreviewMessage = nullptr;
  }
}

void TfrxReport::SetDataSet(TfrxDataSet* Value) {
  if (FDataSet == Value) return;
  if (FDataSet) FDataSet->RemoveFreeNotification(this);
  FDataSet = Value;
  if (FDataSet) {
    FDataSet->FreeNotification(this);
    FDataSetName.clear();
  }
}

String TfrxReport::DataSetName() const { return FDataSet ? FDataSet->UserName() : FDataSetName; }

void TfrxReport::SetDataSetName(const String& Value) {
  FDataSetName = Value;
  SetDataSet(Value.empty() ? nullptr : LookupDataSet(FDataSet, Value));
  // Without a match the name stays for a later look-up.
  FDataSetName = Value;
}

TfrxDataSet* TfrxReport::GetDataset(const String& Alias) const {
  TfrxDataSetItem* item = FDataSets->Find(Alias);
  return item ? item->DataSet() : nullptr;
}

void TfrxReport::ResolveDataField(const String& Text, TfrxDataSet*& ADataSet, String& FieldName) const {
  ADataSet = nullptr;
  FieldName.clear();
  size_t p = Text.find(".\"");
  if (p == String::npos) return;
  ADataSet = GetDataset(Text.substr(0, p));
  // The field name is what follows the quote, without its last character.
  String rest = Text.substr(p + 2);
  if (!rest.empty()) rest.pop_back();
  FieldName = rest;
}

TCustomIniFile* TfrxReport::GetIniFile() const {
  if (SameText(IniFile.substr(0, 10), "\\Software\\")) return new TfrxRegistryIniFile(IniFile);
  return new TIniFile(IniFile);
}

TfrxSelectPrinterProc frxSelectPrinterProc = nullptr;

void TfrxReport::SelectPrinter() {
  if (frxSelectPrinterProc) frxSelectPrinterProc(FPrintOptions->Printer);
}

void TfrxReport::SetTerminated(bool Value) {
  FTerminated = Value;
  if (Value && FScript) FScript->Terminate();
}

void TfrxReport::ReportErrors() {
  if (FErrors->Count() == 0) return;
  frxReportError(this, frxGetResources()->Get("clErrors") + "\r\n" + FErrors->Text());
}

bool TfrxReport::PrepareReport(bool ClearLastReport) {
  if (ClearLastReport && FPreviewPages) FPreviewPages->Clear();
  FErrors->Clear();
  FTerminated = false;
  bool result = false;

  for (Integer i = 0; i < FDataSets->Count(); ++i) {
    TfrxDataSetItem* item = FDataSets->Items(i);
    if (!item->DataSet()) FErrors->Add(Format(frxGetResources()->Get("clDSNotExist"), {item->DataSetName()}));
  }

  if (FErrors->Count() == 0) {
    const String password = FReportOptions->Password;
    const String prevPassword = FReportOptions->PrevPassword;
    const bool destroyForms = FEngineOptions->DestroyForms;
    std::unique_ptr<TMemoryStream> saved;
    if (destroyForms) {
      // Every run starts from this copy of the template.
      FReportOptions->Password.clear();
      saved = std::make_unique<TMemoryStream>();
      SaveToStream(saved.get(), true, false);
    }

    try {
      if (OnBeginDoc) OnBeginDoc(this);
      if (PrepareScript()) {
        if (OnAfterScriptCompile) OnAfterScriptCompile(this);
        if (FScript->Statement()->Count() > 0) FScript->Execute();
        if (!FEngine) throw Exception("No report engine is available to build the report");
        if (FEngine->Run()) {
          if (OnEndDoc) OnEndDoc(this);
          result = true;
        } else if (FPreviewForm) {
          FPreviewForm->Close();
        }
      }
    } catch (const Exception& e) {
      FErrors->Add(e.Message());
    } catch (const std::exception& e) {
      FErrors->Add(e.what());
    }

    if (destroyForms) {
      std::unique_ptr<TStringList> errors = std::make_unique<TStringList>();
      errors->Assign(FErrors.get());
      saved->SetPosition(0);
      FReloading = true;
      try {
        LoadFromStream(saved.get());
      } catch (const Exception& e) {
        errors->Add(e.Message());
      }
      FReloading = false;
      FReportOptions->Password = password;
      FReportOptions->PrevPassword = prevPassword;
      FErrors->Clear();
      FErrors->AddStrings(errors.get());
    }
  }

  if (FErrors->Count() > 0) {
    result = false;
    ReportErrors();
  }
  return result;
}

void TfrxReport::OnTimer(TObject*) {
  FTimer->SetEnabled(false);
  PrepareReport(false);
}

void TfrxReport::ShowReport(bool ClearLastReport) {
  if (ClearLastReport && FPreviewPages) FPreviewPages->Clear();
  if (!OldStyleProgress) {
    if (!FPreview && !frxPreviewWindowClass) {
      // Nothing can show the pages while they are built: build them now.
      PrepareReport(false);
      return;
    }
    FTimer->SetEnabled(true);
    ShowPreparedPages();
  } else if (PrepareReport(false)) {
    ShowPreparedPages();
  }
}

void TfrxReport::ShowPreparedPages() {
  if (FPreview) {
    FPreview->Report = this;
    FPreview->PreviewPages = FPreviewPages.get();
    FPreview->InitFromReport();
    return;
  }
  if (!frxPreviewWindowClass) return;
  TfrxPreviewWindow window = frxPreviewWindowClass(this);
  if (!window.Form) return;
  TForm* form = window.Form;
  FPreviewForm = form;
  FPreviewMessage = window.ShowMessage;
  form->FreeNotification(this);
  SetPreview(window.Preview);
  if (window.Init) window.Init();
  if (OnPreview) OnPreview(this);
  if (FPreviewOptions->Maximized) form->SetPosition(poDesigned);
  if (FPreviewOptions->Modal) {
    form->ShowModal();
    SetPreview(nullptr);
    FPreviewForm = nullptr;
    FPreviewMessage = nullptr;
    delete form;
  } else {
    if (!FPreviewOptions->MDIChild) {
      HWND h = form->Handle();
      SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    }
    TCloseEvent previous = form->OnClose;
    form->OnClose = [previous](TObject* Sender, TCloseAction& Action) {
      if (previous) previous(Sender, Action);
      Action = caFree;
    };
    form->Show();
  }
}

void TfrxReport::SetPreview(TfrxCustomPreview* Value) {
  if (FPreview == Value) return;
  if (FPreview) {
    FPreview->Report = nullptr;
    FPreview->PreviewPages = nullptr;
    FPreview->RemoveFreeNotification(this);
    if (!Value) {
      FPreviewForm = nullptr;
      FPreviewMessage = nullptr;
    }
  }
  FPreview = Value;
  if (FPreview) {
    FPreview->FreeNotification(this);
    FPreview->Report = this;
    FPreview->PreviewPages = FPreviewPages.get();
    FPreview->InitFromReport();
  }
}

void TfrxReport::ShowProgressMessage(const String& Text, bool IsHint) {
  if (FEngineOptions->EnableThreadSafe) return;
  if (OldStyleProgress && ShowProgress && FEngine && FEngine->Running && FProgress) FProgress->SetMessage(Text);
  if (FPreviewForm && FPreviewMessage) FPreviewMessage(Text, IsHint);
  ProcessMessages();
}

void TfrxReport::DoProgressStart(TfrxProgressType ProgressType) {
  if (FEngineOptions->EnableThreadSafe) return;
  if (OnProgressStart) OnProgressStart(this, ProgressType, 0);
  if ((OldStyleProgress || ProgressType != ptRunning) && ShowProgress) {
    FProgress.reset();
    FProgress = std::make_unique<TfrxProgress>(nullptr);
    FProgress->Execute(0, String(), true, false);
  }
  if (FPreview && ProgressType == ptRunning) FPreview->ProgressStarted(this, ProgressType, 0);
  ProcessMessages(true);
}

void TfrxReport::DoProgress(TfrxProgressType ProgressType, Integer Progress) {
  if (FEngineOptions->EnableThreadSafe) return;
  if (OnProgress) OnProgress(this, ProgressType, Progress);
  if ((OldStyleProgress || ProgressType != ptRunning) && ShowProgress && FProgress) {
    const char* key = "prRunning";
    switch (ProgressType) {
      case ptRunning: key = FEngine && !FEngine->FinalPass ? "prRunningFirst" : "prRunning"; break;
      case ptExporting: key = "prExporting"; break;
      case ptPrinting: key = "prPrinting"; break;
    }
    FProgress->SetMessage(Format(frxGetResources()->Get(key), {Progress}));
    if (FProgress->Terminated()) SetTerminated(true);
  }
  if (FPreview && ProgressType == ptRunning) FPreview->ProgressAdvanced(this, ProgressType, Progress - 1);
  ProcessMessages();
}

void TfrxReport::DoProgressStop(TfrxProgressType ProgressType) {
  if (FEngineOptions->EnableThreadSafe) return;
  if (OnProgressStop) OnProgressStop(this, ProgressType, 0);
  if ((OldStyleProgress || ProgressType != ptRunning) && ShowProgress) FProgress.reset();
  if (FPreview && ProgressType == ptRunning) FPreview->ProgressStopped(this, ProgressType, 0);
  ProcessMessages(true);
}
