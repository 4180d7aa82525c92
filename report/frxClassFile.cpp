// Report files and templates: the report's collections in form resources and
// report files, loading and saving report XML with the scrambled password,
// the data page every loaded report has, and inherited reports.
#include <windows.h>
#undef GetProp
#undef SetProp

#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxCustomPreview.h"
#include "frxRes.h"
#include "frxUtils.h"
#include "frxVariables.h"
#include "frxXMLSerializer.h"

namespace {

bool FileExistsW(const String& Name) {
  std::u16string w = Utf8ToUtf16(Name);
  DWORD a = GetFileAttributesW(reinterpret_cast<LPCWSTR>(w.c_str()));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder part of a path, with its final "\" ("" when there is none).
String FolderOf(const String& Path) {
  size_t p = Path.find_last_of("\\/");
  return p == String::npos ? String() : Path.substr(0, p + 1);
}

String CurrentFolder() {
  char16_t buf[MAX_PATH];
  DWORD n = GetCurrentDirectoryW(MAX_PATH, reinterpret_cast<LPWSTR>(buf));
  return Utf16ToUtf8(std::u16string(buf, n));
}

// Passwords are kept in report files with every byte moved down by 10.
String Scramble(const String& P, int Step) {
  String s = P;
  for (char& c : s) c = char((static_cast<unsigned char>(c) + 256 + Step) % 256);
  return s;
}

}  // namespace

void TfrxReport::DefineProperties(TFiler* Filer) {
  TfrxComponent::DefineProperties(Filer);
  // A form resource of a report that keeps its objects elsewhere stores
  // none of its collections either.
  bool store = !(Filer->Is<TWriter>() && !StoreInDFM && !BeingWritten());
  if (!store) return;
  Filer->DefineProperty(
      "Datasets", [this](TReader* r) { frxLoadCollection(FDataSets.get(), r, this); },
      [this](TWriter* w) { frxStoreCollection(FDataSets.get(), w, this); }, true);
  Filer->DefineProperty(
      "Variables", [this](TReader* r) { frxLoadCollection(FVariables.get(), r, this); },
      [this](TWriter* w) { frxStoreCollection(FVariables.get(), w, this); }, true);
  Filer->DefineProperty(
      "Style", [this](TReader* r) { frxLoadCollection(FStyles.get(), r, this); },
      [this](TWriter* w) { frxStoreCollection(FStyles.get(), w, this); }, true);
}

String TfrxReport::BaseFolder() const {
  if (IsDesigning()) return CurrentFolder() + "\\";
  return frxProgramFolder();
}

bool TfrxReport::LoadFromFile(const String& FileName, bool MustExist) {
  Clear();
  FFileName.clear();
  bool exists = FileExistsW(FileName);
  if (exists || MustExist) {
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    FFileName = FileName;
    LoadFromStream(&f);
  }
  return exists;
}

void TfrxReport::SaveToFile(const String& FileName) {
  if (FParentReport.size() > 1 && FParentReport[1] == ':') {
    // An absolute parent path becomes relative to the report's folder.
    String folder = FolderOf(FileName);
    if (!folder.empty() && AnsiSameText(FParentReport.substr(0, folder.size()), folder))
      FParentReport = FParentReport.substr(folder.size());
  }
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f, true, false);
}

void TfrxReport::SaveToStream(TStream* Stream, bool SaveChildren, bool WriteDefaults, bool) {
  const String password = FReportOptions->Password;
  FReportOptions->PrevPassword = password;
  FReportOptions->Password = Scramble(password, -10);
  TfrxCustomPreview* preview = FPreview;
  FPreview = nullptr;
  try {
    TfrxComponent::SaveToStream(Stream, SaveChildren, WriteDefaults, false);
  } catch (...) {
    FPreview = preview;
    FReportOptions->Password = password;
    throw;
  }
  FPreview = preview;
  FReportOptions->Password = password;
}

void TfrxReport::LoadFromStream(TStream* Stream) {
  FErrors->Clear();
  FReportOptions->Password.clear();

  TfrxEngineOptions engineOptions;
  engineOptions.Assign(FEngineOptions.get());
  TfrxPreviewOptions previewOptions;
  previewOptions.Assign(FPreviewOptions.get());
  const String iniFile = IniFile;
  TfrxCustomPreview* preview = FPreview;
  const bool oldStyleProgress = OldStyleProgress, showProgress = ShowProgress, storeInDFM = StoreInDFM;
  FLoading = true;
  FLoadStream = Stream;
  try {
    TfrxComponent::LoadFromStream(Stream);
  } catch (const Exception& e) {
    FErrors->Add(e.Message());
  } catch (const std::exception& e) {
    FErrors->Add(e.what());
  }
  FLoading = false;
  FLoadStream = nullptr;

  EnsureDataPage();
  const bool convertNulls = FEngineOptions->ConvertNulls, doublePass = FEngineOptions->DoublePass;
  FEngineOptions->Assign(&engineOptions);
  FEngineOptions->ConvertNulls = convertNulls;
  FEngineOptions->DoublePass = doublePass;
  TfrxPreviewOptions loaded;
  loaded.Assign(FPreviewOptions.get());
  FPreviewOptions->Assign(&previewOptions);
  FPreviewOptions->OutlineVisible = loaded.OutlineVisible;
  FPreviewOptions->OutlineWidth = loaded.OutlineWidth;
  FPreviewOptions->OutlineExpand = loaded.OutlineExpand;
  FPreviewOptions->PagesInCache = loaded.PagesInCache;
  FPreviewOptions->ThumbnailVisible = loaded.ThumbnailVisible;
  IniFile = iniFile;
  FPreview = preview;
  OldStyleProgress = oldStyleProgress;
  ShowProgress = showProgress;
  StoreInDFM = storeInDFM;
  FReportOptions->Password = Scramble(FReportOptions->Password, 10);

  if (FReloading || FEngineOptions->EnableThreadSafe || FReportOptions->CheckPassword()) {
    ReportErrors();
  } else {
    Clear();
  }
}

void TfrxReport::EnsureDataPage() {
  TList* all = AllObjects();
  std::vector<TfrxComponent*> dialogComponents;
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(all->Items(i));
    if (frxIsKindOf(c, "TfrxDataPage")) return;
    if (c->Is<TfrxDialogComponent>()) dialogComponents.push_back(c);
  }
  // The data page class belongs to the page unit; without it there is
  // nothing to make.
  TClass pageClass = GetClass("TfrxDataPage");
  if (!pageClass || !pageClass->Factory) return;
  auto* page = static_cast<TfrxComponent*>(pageClass->Factory());
  page->AttachTo(this);
  if (FindObject("Data")) page->AssignUniqueName();
  else page->SetName("Data");
  // First among the pages.
  TList* pages = Objects();
  pages->Remove(page);
  pages->Insert(0, page);
  Extended left = 60;
  for (TfrxComponent* c : dialogComponents) {
    c->SetParent(page);
    c->SetTop(20);
    c->SetLeft(left);
    left += 64;
  }
}

void TfrxReport::SetParentReport(const String& Value) {
  FParentReport = Value;
  FParentReportObject.reset();
  if (Value.empty()) {
    SetAncestorFlag(false);
    TList* all = AllObjects();
    for (Integer i = 0; i < all->Count(); ++i) static_cast<TfrxComponent*>(all->Items(i))->SetAncestorFlag(false);
    return;
  }
  const String fileName = FFileName;
  TfrxXMLSerializer* serializer = FXMLSerializer;
  if (OnLoadTemplate) {
    OnLoadTemplate(this, Value);
  } else {
    String candidate = Value;
    if (Value.size() >= 2 && Value[1] != ':' && Value.substr(0, 2) != "\\\\") {
      candidate = FolderOf(FFileName) + Value;
      if (!FileExistsW(candidate)) candidate = BaseFolder() + Value;
    }
    LoadFromFile(candidate);
  }
  FFileName = fileName;
  FParentReportObject = std::make_unique<TfrxReport>(nullptr);
  FParentReportObject->CopyFrom(this);
  TList* pages = FParentReportObject->Objects();
  for (Integer i = 0; i < pages->Count(); ++i) {
    auto* page = static_cast<TfrxComponent*>(pages->Items(i));
    if (const TPropInfo* p = GetPropInfo(page, "PaperSize"); p && p->HasSetter()) SetOrdProp(page, p, 256);
  }
  SetAncestorFlag(true);
  TList* all = AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) static_cast<TfrxComponent*>(all->Items(i))->SetAncestorFlag(true);
  FParentReport = Value;
  FXMLSerializer = serializer;
}
