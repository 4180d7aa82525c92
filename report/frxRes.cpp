#include "frxRes.h"

#include <windows.h>
#undef GetProp
#undef SetProp

#include "Collation.h"
#include "Graphics.h"
#include "ImgList.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxGZip.h"
#include "frxHtmlHelp.h"
#include "frxResStrings.h"
#include "frxUnicodeUtils.h"
#include "frxUtils.h"
#include "frxXML.h"

TOVANI_IMPLEMENT_CLASS(TfrxResources, TObject)

std::function<void(const std::vector<String>& Messages)> frxScriptMessagesReceiver;

namespace {

const char* const kScriptMessageKeys[] = {
    "SLangNotFound", "SInvalidLanguage", "SIdRedeclared",   "SUnknownType",    "SIncompatibleTypes",
    "SIdUndeclared", "SClassRequired",   "SIndexRequired",  "SStringError",    "SClassError",
    "SArrayRequired", "SVarRequired",    "SNotEnoughParams", "STooManyParams", "SLeftCantAssigned",
    "SForError",     "SEventError"};

String StripBang(const String& s) { return !s.empty() && s[0] == '!' ? s.substr(1) : s; }

// "GERMAN.FRC" -> "German".
String LanguageName(String file) {
  file = AnsiLowerCase(file.substr(0, file.size() - 4));
  if (!file.empty() && file[0] >= 'a' && file[0] <= 'z') file[0] = char(file[0] - 'a' + 'A');
  return file;
}

std::unique_ptr<TImageList> NewImageList(Integer Size) {
  auto list = std::make_unique<TImageList>();
  list->SetSize(Size, Size);
  return list;
}

// Fills List from the gzip-compressed bitmap resource Name of the program;
// a program without that resource leaves the list empty.
void LoadImageResource(const char16_t* Name, TImageList* List) {
  HRSRC res = FindResourceW(nullptr, reinterpret_cast<LPCWSTR>(Name), reinterpret_cast<LPCWSTR>(RT_RCDATA));
  if (!res) return;
  HGLOBAL data = LoadResource(nullptr, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  DWORD size = SizeofResource(nullptr, res);
  if (!bytes || size == 0) return;
  TMemoryStream packed, unpacked;
  packed.WriteBuffer(bytes, LongInt(size));
  packed.SetPosition(0);
  String fileName;
  frxGZipResourceToStream(&packed, &unpacked, fileName);
  unpacked.SetPosition(0);
  TBitmap bmp;
  bmp.LoadFromStream(&unpacked);
  frxCutImageStrip(&bmp, 16, 16, List, nullptr);
}

}  // namespace

TfrxResources::TfrxResources()
    : FNames(std::make_unique<TStringList>()),
      FValues(std::make_unique<TfrxWideStrings>()),
      FLanguages(std::make_unique<TStringList>()),
      FDisabledButtonImages(NewImageList(16)),
      FMainButtonImages(NewImageList(16)),
      FObjectImages(NewImageList(16)),
      FPreviewButtonImages(NewImageList(16)),
      FWizardImages(NewImageList(32)) {
  FNames->SetSorted(true);
  FLanguages->SetSorted(true);
  WIN32_FIND_DATAW fd;
  std::u16string mask = Utf8ToUtf16(frxProgramFolder() + "*.frc");
  HANDLE h = FindFirstFileW(reinterpret_cast<LPCWSTR>(mask.c_str()), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      String name = Utf16ToUtf8(reinterpret_cast<const char16_t*>(fd.cFileName));
      if (name.size() > 4 && SameText(name.substr(name.size() - 4), ".frc")) FLanguages->Add(LanguageName(name));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
}

TfrxResources::~TfrxResources() = default;

Integer TfrxResources::Count() const { return FNames->Count(); }

String TfrxResources::Get(const String& Name) const {
  Integer i;
  if (FNames->Find(Name, i)) {
    auto index = static_cast<Integer>(reinterpret_cast<intptr_t>(FNames->Objects(i)));
    return StripBang(Utf16ToUtf8(FValues->Get(index)));
  }
  return StripBang(Name);
}

void TfrxResources::Add(const String& Name, const String& Text) {
  Integer i;
  WideString w = Utf8ToUtf16(Text);
  if (FNames->Find(Name, i)) {
    FValues->Put(Integer(reinterpret_cast<intptr_t>(FNames->Objects(i))), w);
  } else {
    Integer index = FValues->Add(w);
    FNames->AddObject(Name, reinterpret_cast<TObject*>(intptr_t(index)));
  }
}

void TfrxResources::LoadFromStream(TStream* Stream) {
  TfrxXMLDocument doc;
  doc.LoadFromStream(Stream);
  TfrxXMLItem* root = doc.Root();
  if (root->Name() == "Resources") {
    FCodePage = StrToIntDef(root->GetProp("CodePage"), 0);
    for (Integer i = 0; i < root->Count(); ++i) {
      TfrxXMLItem* item = root->Items(i);
      // The texts are UTF-8, which is what this program's strings hold.
      if (item->Name() == "StrRes") Add(item->GetProp("Name"), item->GetProp("Text"));
    }
  }
  UpdateFSResources();
}

void TfrxResources::LoadFromXMLText(const String& Text) {
  TStringStream stream(Text);
  LoadFromStream(&stream);
}

void TfrxResources::UpdateFSResources() {
  if (!frxScriptMessagesReceiver) return;
  std::vector<String> texts;
  for (const char* key : kScriptMessageKeys) texts.push_back(Get(key));
  frxScriptMessagesReceiver(texts);
}

String TfrxResources::HelpPath(const String& FormClassName) const {
  String path = frxProgramFolder() + FHelpFile;
  for (int i = 0; i < frxHelpTopicCount; ++i)
    if (SameText(frxHelpTopics[i].FormClass, FormClassName)) return path + "::/" + frxHelpTopics[i].Topic;
  return path;
}

void TfrxResources::ShowHelp(const String& FormClassName) {
  std::u16string file = Utf8ToUtf16(frxProgramFolder() + FHelpFile);
  if (GetFileAttributesW(reinterpret_cast<LPCWSTR>(file.c_str())) == INVALID_FILE_ATTRIBUTES) return;
  frxDisplayHelp(GetActiveWindow(), HelpPath(FormClassName));
}

TImageList* TfrxResources::GetPreviewButtonImages() {
  if (FPreviewButtonImages->Count() == 0) LoadImageResource(u"PreviewButtons", FPreviewButtonImages.get());
  return FPreviewButtonImages.get();
}

TImageList* TfrxResources::GetObjectImages() {
  if (FObjectImages->Count() == 0) LoadImageResource(u"ObjectButtons", FObjectImages.get());
  return FObjectImages.get();
}

void TfrxResources::SetPreviewButtonImages(TBitmap* Images, bool Clear) {
  if (Clear) FPreviewButtonImages->Clear();
  frxCutImageStrip(Images, 16, 16, FPreviewButtonImages.get(), nullptr);
}

void TfrxResources::SetObjectImages(TBitmap* Images, bool Clear) {
  if (Clear) FObjectImages->Clear();
  frxCutImageStrip(Images, 16, 16, FObjectImages.get(), nullptr);
}

TfrxResources* frxGetResources() {
  static TfrxResources* const resources = [] {
    static TfrxResources table;
    table.LoadFromXMLText(frxBuiltInStringTable);
    return &table;
  }();
  return resources;
}

String frxResourceTextById(Integer Id) { return frxGetResources()->Get(IntToStr(Id)); }
