// The prepared report store: building pages from printed objects (as
// differences from their templates), source pages and the dictionary, cut
// and paste of kept-together output, anchors, logical page numbers, page
// objects rebuilt on demand, drawing and clicks, the outline and the
// picture cache, and the prepared report file.
#include <windows.h>
#undef GetProp
#undef SetProp
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "CodePage.h"
#include "Collation.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxCustomPreview.h"
#include "frxPreviewPages.h"
#include "frxRes.h"
#include "frxUtils.h"
#include "frxXML.h"
#include "frxXMLSerializer.h"

TOVANI_IMPLEMENT_CLASS(TfrxOutline, TfrxCustomOutline)
TOVANI_IMPLEMENT_CLASS(TfrxPreviewPages, TfrxCustomPreviewPages)

namespace {

Integer PropInt(TfrxXMLItem* Item, const char* Name, Integer Default = 0) {
  String s = Item->GetProp(Name);
  if (s.empty()) return Default;
  try {
    return Integer(std::lround(frxParseFloat(s)));
  } catch (const Exception&) {
    return Default;
  }
}

Extended PropFloat(TfrxXMLItem* Item, const char* Name, Extended Default = 0) {
  String s = Item->GetProp(Name);
  if (s.empty()) return Default;
  try {
    return frxParseFloat(s);
  } catch (const Exception&) {
    return Default;
  }
}

bool StartsWithText(const String& S, const char* Prefix) {
  size_t n = std::strlen(Prefix);
  return S.size() >= n && SameText(S.substr(0, n), Prefix);
}

// A stream that answers a limit as its size while the limit is set, so that
// a picture loader measuring the stream sees the end of its own picture.
template <class TBase>
class TLimitedStream : public TBase {
 public:
  using TBase::TBase;
  Int64 Seek(Int64 Offset, Word Origin) override {
    if (Limit && Origin == soFromEnd && Offset == 0) return TBase::Seek(Limit, soFromBeginning);
    return TBase::Seek(Offset, Origin);
  }
  Int64 Size() override { return Limit ? Limit : TBase::Size(); }
  LongInt Read(void* Buffer, LongInt Count) override {
    if (Limit) {
      Int64 pos = TBase::Seek(0, soFromCurrent);
      if (pos >= Limit) return 0;
      Count = LongInt(std::min<Int64>(Count, Limit - pos));
    }
    return TBase::Read(Buffer, Count);
  }
  Int64 Limit = 0;
};
using TfrxMemoryStream = TLimitedStream<TMemoryStream>;
class TfrxFileStream : public TLimitedStream<TFileStream> {
 public:
  explicit TfrxFileStream(const String& Name) : TLimitedStream<TFileStream>(Name, fmOpenReadWrite) {}
};

void SetLimit(TStream* S, Int64 Limit) {
  if (auto* m = dynamic_cast<TfrxMemoryStream*>(S)) m->Limit = Limit;
  if (auto* f = dynamic_cast<TfrxFileStream*>(S)) f->Limit = Limit;
}

constexpr Int64 kSegmentLimit = 1789569706;

}  // namespace

// ---------------------------------------------------------------------------
// Outline

TfrxOutline::TfrxOutline(TfrxCustomPreviewPages* APreviewPages) : TfrxCustomOutline(APreviewPages) {}

TfrxXMLItem* TfrxOutline::Root() {
  auto* pages = static_cast<TfrxPreviewPages*>(PreviewPages());
  return pages->XML()->Root()->FindItem("outline");
}

TfrxXMLItem* TfrxOutline::CurItem() {
  if (!FCurItem) FCurItem = Root();
  return FCurItem;
}

Integer TfrxOutline::ItemCount() { return CurItem()->Count(); }

void TfrxOutline::AddItem(const String& Text, Integer Top) {
  TfrxXMLItem* item = CurItem()->Add();
  item->SetName("item");
  item->SetProp("text", frxEscapeXMLText(Text));
  item->SetProp("page", IntToStr(PreviewPages()->CurPage));
  item->SetProp("top", IntToStr(Top));
  FCurItem = item;
}

void TfrxOutline::EnterItem(Integer Index) { FCurItem = CurItem()->Items(Index); }

void TfrxOutline::LevelRoot() { FCurItem = Root(); }

void TfrxOutline::LevelUp() {
  TfrxXMLItem* c = CurItem();
  if (c != Root() && c->Parent()) FCurItem = c->Parent();
}

void TfrxOutline::ReadItem(Integer Index, String& Text, Integer& Page, Integer& Top) {
  TfrxXMLItem* item = CurItem()->Items(Index);
  Text = frxUnescapeXMLText(item->GetProp("text"));
  if (!item->GetProp("page").empty()) Page = PropInt(item, "page");
  if (!item->GetProp("top").empty()) Top = PropInt(item, "top");
}

void TfrxOutline::ShiftFollowingItems(TObject* From, Integer NewTop) {
  auto* item = static_cast<TfrxXMLItem*>(From);
  if (!item || !item->Parent()) return;
  TfrxXMLItem* parent = item->Parent();
  Integer i = parent->IndexOf(item);
  if (i < 0 || i + 1 >= parent->Count()) return;
  TfrxXMLItem* f = parent->Items(i + 1);
  const Integer d = NewTop - PropInt(f, "top");
  std::function<void(TfrxXMLItem*)> shift = [&](TfrxXMLItem* x) {
    x->SetProp("page", IntToStr(PropInt(x, "page") + 1));
    x->SetProp("top", IntToStr(PropInt(x, "top") + d));
    for (Integer k = 0; k < x->Count(); ++k) shift(x->Items(k));
  };
  shift(f);
}

TObject* TfrxOutline::CurrentMark() {
  TfrxXMLItem* c = CurItem();
  return c->Count() ? c->Items(c->Count() - 1) : nullptr;
}

// ---------------------------------------------------------------------------
// Dictionary

void TfrxDictionary::Clear() {
  FNames.clear();
  FPaths.clear();
}

void TfrxDictionary::Register(const String& Name, const String& SourcePath, TfrxComponent* Template) {
  FPaths.emplace_back(SourcePath, Template);
  FNames[UpperCase(Name)] = TEntry{Name, Integer(FPaths.size()) - 1};
}

String TfrxDictionary::MakeUniqueName(const String& Prefix) const {
  auto has = [&](Integer n) { return FNames.count(UpperCase(Prefix + IntToStr(n))) != 0; };
  Integer n = 10000;
  while (n > 1) {
    if (has(n)) break;
    n /= 2;
  }
  while (has(n)) ++n;
  return Prefix + IntToStr(n);
}

String TfrxDictionary::RegisterUnique(const String& Prefix, const String& SourcePath, TfrxComponent* Template) {
  String name = MakeUniqueName(Prefix);
  Register(name, SourcePath, Template);
  return name;
}

TfrxComponent* TfrxDictionary::FindTemplate(const String& Name) const {
  auto it = FNames.find(UpperCase(Name));
  return it == FNames.end() ? nullptr : FPaths[size_t(it->second.Path)].second;
}

String TfrxDictionary::SourcePathOf(const String& Name) const {
  auto it = FNames.find(UpperCase(Name));
  return it == FNames.end() ? String() : FPaths[size_t(it->second.Path)].first;
}

std::vector<std::pair<String, String>> TfrxDictionary::Entries() const {
  std::vector<std::pair<String, String>> out;
  for (const auto& [key, e] : FNames) out.emplace_back(e.Name, FPaths[size_t(e.Path)].first);
  return out;
}

// ---------------------------------------------------------------------------
// Picture cache

TfrxPictureCache::TfrxPictureCache() = default;
TfrxPictureCache::~TfrxPictureCache() { Clear(); }

void TfrxPictureCache::Clear() {
  FSegments.clear();
  for (const String& f : FTempFiles) DeleteFileW(reinterpret_cast<LPCWSTR>(Utf8ToUtf16(f).c_str()));
  FTempFiles.clear();
  FItems.clear();
}

void TfrxPictureCache::SetFileCache(bool Value) {
  if (FSegments.empty()) FFileCache = Value;
}

void TfrxPictureCache::SetTempFolder(const String& Value) {
  if (FSegments.empty()) FTempFolder = Value.substr(0, 64);
}

TStream* TfrxPictureCache::NewItem() {
  if (FSegments.empty() || FSegments.back()->Size() >= kSegmentLimit) {
    if (FFileCache) {
      String name = frxNewTempFile(FTempFolder);
      FTempFiles.push_back(name);
      FSegments.push_back(std::make_unique<TfrxFileStream>(name));
    } else {
      FSegments.push_back(std::make_unique<TfrxMemoryStream>());
    }
  }
  TStream* s = FSegments.back().get();
  SetLimit(s, 0);
  Integer offset = Integer(s->Size());
  FItems.push_back(TItem{Integer(FSegments.size()) - 1, offset});
  s->SetPosition(offset);
  return s;
}

void TfrxPictureCache::ItemExtent(Integer Index, Integer& Offset, Integer& Length) const {
  const TItem& it = FItems[size_t(Index)];
  Offset = it.Offset;
  TStream* s = FSegments[size_t(it.Segment)].get();
  SetLimit(s, 0);
  if (size_t(Index) + 1 < FItems.size() && FItems[size_t(Index) + 1].Segment == it.Segment)
    Length = FItems[size_t(Index) + 1].Offset - Offset;
  else
    Length = Integer(s->Size()) - Offset;
}

void TfrxPictureCache::StorePicture(TfrxPictureView* View) {
  TGraphic* g = View->Picture()->Graphic();
  if (!g || g->Empty()) {
    View->ImageIndex = 0;
    return;
  }
  View->ImageIndex = Count() + 1;
  TStream* s = NewItem();
  g->SaveToStream(s);
}

void TfrxPictureCache::FetchPicture(TfrxPictureView* View) {
  const Integer n = View->ImageIndex;
  if (n <= 0 || n > Count() || FSegments.empty()) {
    View->Picture()->SetGraphic(nullptr);
    return;
  }
  Integer offset, length;
  ItemExtent(n - 1, offset, length);
  TStream* s = FSegments[size_t(FItems[size_t(n - 1)].Segment)].get();
  s->SetPosition(offset);
  SetLimit(s, Int64(offset) + length);
  try {
    View->LoadPictureFromStream(s, false);
  } catch (...) {
    SetLimit(s, 0);
    throw;
  }
  SetLimit(s, 0);
}

void TfrxPictureCache::WriteToXML(TfrxXMLItem* Item) {
  Item->Clear();
  for (Integer i = 0; i < Count(); ++i) {
    Integer offset, length;
    ItemExtent(i, offset, length);
    TStream* s = FSegments[size_t(FItems[size_t(i)].Segment)].get();
    s->SetPosition(offset);
    String bytes(size_t(length), '\0');
    if (length) s->ReadBuffer(&bytes[0], length);
    static const char kHex[] = "0123456789ABCDEF";
    String hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
      hex += kHex[c >> 4];
      hex += kHex[c & 15];
    }
    TfrxXMLItem* child = Item->Add();
    child->SetName("item");
    child->SetProp("stream", hex);
  }
}

void TfrxPictureCache::ReadFromXML(TfrxXMLItem* Item) {
  Clear();
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (Integer i = 0; i < Item->Count(); ++i) {
    String hex = Item->Items(i)->GetProp("stream");
    String bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t k = 0; k + 1 < hex.size(); k += 2) {
      int hi = digit(hex[k]), lo = digit(hex[k + 1]);
      if (hi < 0 || lo < 0) break;
      bytes += char(hi << 4 | lo);
    }
    TStream* s = NewItem();
    if (!bytes.empty()) s->WriteBuffer(bytes.data(), LongInt(bytes.size()));
  }
}

// ---------------------------------------------------------------------------
// Prepared pages

TfrxPreviewPages::TfrxPreviewPages(TfrxReport* AReport)
    : TfrxCustomPreviewPages(AReport), FXML(std::make_unique<TfrxXMLDocument>()) {
  FXML->Root()->SetName("preparedreport");
  CurPage = -1;
  OnOpenURL = [](const String& URL) {
    ShellExecuteW(GetDesktopWindow(), L"open", reinterpret_cast<LPCWSTR>(Utf8ToUtf16(URL).c_str()), nullptr,
                  nullptr, SW_SHOWNORMAL);
  };
}

TfrxPreviewPages::~TfrxPreviewPages() { ClearCache(); }

TfrxXMLItem* TfrxPreviewPages::Root() { return FXML->Root(); }
TfrxXMLItem* TfrxPreviewPages::PagesItem() { return Root()->FindItem("previewpages"); }
TfrxXMLItem* TfrxPreviewPages::CurPageItem() {
  TfrxXMLItem* pages = PagesItem();
  if (CurPage < 0 || CurPage >= pages->Count()) return nullptr;
  // The engine may go back to an earlier page, which may be packed.
  TfrxXMLItem* item = pages->Items(CurPage);
  LoadPageItem(item);
  return item;
}

void TfrxPreviewPages::ClearCache() { FCache.clear(); }

void TfrxPreviewPages::Clear() {
  ClearCache();
  FTemplates.clear();
  FSourcePages.clear();
  FSourceLinks.clear();
  FXML->Clear();
  static_cast<TfrxOutline*>(Outline())->Reset();
  FDictionary.Clear();
  FPictureCache.Clear();
  CurPage = -1;
  FXMLSize = 0;
  FLogicalCounter = 0;
  FFirstPage = 0;
  FFirstPassPage = -1;
  WriteOver = false;
}

void TfrxPreviewPages::Initialize() {
  TfrxReport* r = Report();
  FPictureCache.SetFileCache(r->PreviewOptions()->PictureCacheInFile);
  FPictureCache.SetTempFolder(r->EngineOptions()->TempDir);
  FXML->SetTempFolder(r->EngineOptions()->TempDir);
  r->DoProgressStart(ptRunning);
}

String TfrxPreviewPages::StoredTextOf(TfrxComponent* Template) {
  if (Template->frComponentStyle().Contains(csDefaultDiff)) return Template->ClassName();
  TfrxXMLSerializer xs(nullptr);
  xs.SetRootComponent(Template->GetPage());
  return xs.ComponentToText(Template);
}

void TfrxPreviewPages::RegisterTemplate(TfrxComponent* Copy, TfrxComponent* Original, Integer SourceIndex) {
  String prefix;
  if (frxIsKindOf(Copy, "TfrxBand")) {
    prefix = "b";
  } else {
    prefix = LowerCase(Copy->BaseName().substr(0, 1));
    if (prefix.empty()) prefix = "o";
  }
  if (auto* v = dynamic_cast<TfrxView*>(Copy); v && frxIsKindOf(Copy, "TfrxCustomMemoView")) {
    v->SetDataSet(nullptr);
    v->DataField.clear();
  }
  String path = "Page" + IntToStr(SourceIndex) + "." + Copy->Name();
  TTemplateInfo info;
  info.DictName = FDictionary.RegisterUnique(prefix, path, Copy);
  info.StoredText = StoredTextOf(Copy);
  FTemplates[Copy] = info;
  if (Original) Original->SetOriginalComponent(Copy);
}

void TfrxPreviewPages::AddSourcePage(TfrxComponent* Page) {
  auto make = [](TfrxComponent* Src, TfrxComponent* Parent) {
    auto* c = static_cast<TfrxComponent*>(Src->ClassType()->Factory());
    c->AfterConstruction();
    if (Parent) c->AttachTo(Parent);
    c->Assign(Src);
    c->SetName(Src->Name());
    return c;
  };
  std::unique_ptr<TfrxComponent> copy(make(Page, nullptr));
  const Integer index = Integer(FSourcePages.size());
  std::function<void(TfrxComponent*, TfrxComponent*)> copyChildren = [&](TfrxComponent* src, TfrxComponent* dst) {
    TList* list = src->Objects();
    for (Integer i = 0; i < list->Count(); ++i) {
      auto* child = static_cast<TfrxComponent*>(list->Items(i));
      if (!child->frComponentStyle().Contains(csPreviewVisible)) continue;
      TfrxComponent* c = make(child, dst);
      RegisterTemplate(c, child, index);
      copyChildren(child, c);
    }
  };
  copyChildren(Page, copy.get());
  FSourcePages.push_back(std::move(copy));
  FSourceLinks.push_back(Page);
}

void TfrxPreviewPages::AddToSourcePage(TfrxComponent* Obj) {
  if (FSourcePages.empty()) return;
  TfrxComponent* page = FSourcePages.back().get();
  auto* c = static_cast<TfrxComponent*>(Obj->ClassType()->Factory());
  c->AfterConstruction();
  c->AttachTo(page);
  c->Assign(Obj);
  c->AssignUniqueName();
  RegisterTemplate(c, Obj, Integer(FSourcePages.size()) - 1);
}

Integer TfrxPreviewPages::SourceIndexOf(TfrxComponent* ReportPage) const {
  for (size_t i = 0; i < FSourceLinks.size(); ++i)
    if (FSourceLinks[i] == ReportPage) return Integer(i);
  return -1;
}

void TfrxPreviewPages::AddPage(TfrxComponent* Page) {
  TfrxReport* r = Report();
  TfrxXMLItem* pages = PagesItem();
  // Finished pages are packed as their XML text: in the temp file once the
  // pages in memory pass the size the options allow, or else in memory at
  // once (a page's objects then cost the bytes of their attributes rather
  // than an element object with strings of its own each).
  const bool fileCache = r->EngineOptions()->UseFileCache;
  if (!fileCache || FXMLSize > Int64(r->EngineOptions()->MaxMemSize) * 1048576) {
    FXML->SetSwapInMemory(!fileCache);
    for (Integer i = pages->Count() - 2; i >= 0; --i) {
      TfrxXMLItem* item = pages->Items(i);
      if (!item->Swappable()) continue;
      if (!item->Loaded()) break;
      FXML->UnloadItem(item);
    }
    FXMLSize = 0;
  }
  ++CurPage;
  if (pages->Count() > CurPage && WriteOver) return;
  TfrxXMLItem* item = pages->Add();
  item->SetName("page" + IntToStr(SourceIndexOf(Page)));
  if (pages->Count() > 2) item->SetSwappable(true);
  r->DoProgress(ptRunning, CurPage + 1);
  WriteOver = true;
  CurPage = pages->Count() - 1;
  AddLogicalPage();
}

void TfrxPreviewPages::AddObjectTo(TfrxXMLItem* Parent, TfrxComponent* Obj) {
  if (!Obj->Visible() || !Obj->frComponentStyle().Contains(csPreviewVisible)) return;
  TfrxXMLItem* item = Parent->Add();
  TfrxComponent* tmpl = Obj->OriginalComponent();
  auto it = tmpl ? FTemplates.find(tmpl) : FTemplates.end();
  if (it != FTemplates.end()) {
    item->SetName(it->second.DictName);
    const bool final = !Engine() || Engine()->FinalPass;
    if (!final)
      item->SetAttrText(Obj->BaseDifferenceText(tmpl));
    else if (Obj->frComponentStyle().Contains(csDefaultDiff))
      item->SetAttrText(Obj->FullDifferenceText(tmpl));
    else
      item->SetAttrText(Obj->DifferenceText(tmpl));
  } else {
    item->SetName(Obj->ClassName());
    item->SetAttrText(Obj->FullDifferenceText(nullptr));
  }
  FXMLSize += Int64(sizeof(TfrxXMLItem) + item->Name().size() + item->AttrText().size() + 16);
  TList* list = Obj->Objects();
  for (Integer i = 0; i < list->Count(); ++i) AddObjectTo(item, static_cast<TfrxComponent*>(list->Items(i)));
}

void TfrxPreviewPages::AddObject(TfrxComponent* Obj) {
  if (TfrxXMLItem* page = CurPageItem()) AddObjectTo(page, Obj);
}

bool TfrxPreviewPages::BandExists(TfrxComponent* Band) {
  TfrxXMLItem* page = CurPageItem();
  if (!page) return false;
  auto nameOf = [&](TfrxComponent* t) {
    auto it = FTemplates.find(t);
    return it == FTemplates.end() ? String() : it->second.DictName;
  };
  const String own = Band->OriginalComponent() ? nameOf(Band->OriginalComponent()) : String();
  const bool pageFooter = frxIsKindOf(Band, "TfrxPageFooter");
  const bool columnFooter = frxIsKindOf(Band, "TfrxColumnFooter");
  for (Integer i = 0; i < page->Count(); ++i) {
    TfrxXMLItem* item = page->Items(i);
    if (!own.empty() && SameText(item->Name(), own)) return true;
    if (pageFooter || columnFooter) {
      TfrxComponent* t = FDictionary.FindTemplate(item->Name());
      if (t && pageFooter && frxIsKindOf(t, "TfrxPageFooter")) return true;
      if (t && columnFooter && frxIsKindOf(t, "TfrxColumnFooter")) return true;
    }
  }
  return false;
}

Integer TfrxPreviewPages::PageObjectCount() {
  TfrxXMLItem* page = CurPageItem();
  return page ? page->Count() : 0;
}

Extended TfrxPreviewPages::GetLastY(Extended ColumnPosition) {
  TfrxXMLItem* page = CurPageItem();
  if (!page) return 0;
  Extended result = 0;
  for (Integer i = 0; i < page->Count(); ++i) {
    TfrxXMLItem* item = page->Items(i);
    TfrxComponent* t = FDictionary.FindTemplate(item->Name());
    if (!t || !frxIsKindOf(t, "TfrxBand")) continue;
    if (frxIsKindOf(t, "TfrxPageFooter") || frxIsKindOf(t, "TfrxOverlay")) continue;
    const bool always = frxIsKindOf(t, "TfrxPageHeader") || frxIsKindOf(t, "TfrxReportTitle");
    const Extended left = item->GetProp("l").empty() ? t->Left() : PropFloat(item, "l");
    if (!always && ColumnPosition != 0 && std::fabs(left - ColumnPosition) >= 0.001) continue;
    const Extended top = item->GetProp("t").empty() ? t->Top() : PropFloat(item, "t");
    const Extended height = item->GetProp("h").empty() ? t->Height() : PropFloat(item, "h");
    result = std::max(result, top + height);
  }
  return result;
}

Integer TfrxPreviewPages::CutObjects(Integer Position) {
  TfrxXMLItem* page = CurPageItem();
  TfrxXMLItem* cut = Root()->FindItem("cutted");
  if (!page) return 0;
  while (page->Count() > Position) cut->AddItem(page->Items(Position));
  return cut->Count();
}

void TfrxPreviewPages::PasteObjects(Extended X, Extended Y) {
  Integer at = Root()->Find("cutted");
  if (at < 0) return;
  TfrxXMLItem* cut = Root()->Items(at);
  TfrxXMLItem* page = CurPageItem();
  if (cut->Count() > 0 && page) {
    TfrxXMLItem* first = cut->Items(0);
    const Extended dx = X - PropFloat(first, "l");
    const Extended dy = Y - PropFloat(first, "t");
    while (cut->Count() > 0) {
      TfrxXMLItem* item = cut->Items(0);
      item->SetProp("l", FloatToStr(PropFloat(item, "l") + dx));
      item->SetProp("t", FloatToStr(PropFloat(item, "t") + dy));
      page->AddItem(item);
    }
  }
  delete cut;
}

// Anchors

void TfrxPreviewPages::AddAnchor(const String& Text) {
  TfrxXMLItem* item = Root()->FindItem("anchors")->Add();
  item->SetName("item");
  item->SetProp("text", frxEscapeXMLText(Text));
  item->SetProp("page", IntToStr(CurPage));
  item->SetProp("top", IntToStr(Engine() ? Integer(std::lround(Engine()->CurY)) : 0));
}

TfrxXMLItem* TfrxPreviewPages::FindAnchor(const String& Text) {
  TfrxXMLItem* anchors = Root()->FindItem("anchors");
  for (Integer i = anchors->Count() - 1; i >= 0; --i)
    if (AnsiSameText(frxUnescapeXMLText(anchors->Items(i)->GetProp("text")), Text)) return anchors->Items(i);
  return nullptr;
}

Integer TfrxPreviewPages::GetAnchorPage(const String& Text) {
  TfrxXMLItem* a = FindAnchor(Text);
  return a ? PropInt(a, "page") + 1 : 1;
}

Integer TfrxPreviewPages::LastAnchorIndex() { return Root()->FindItem("anchors")->Count() - 1; }

void TfrxPreviewPages::ShiftAnchors(Integer From, Integer NewTop) {
  TfrxXMLItem* anchors = Root()->FindItem("anchors");
  if (From + 1 >= anchors->Count()) return;
  const Integer d = NewTop - PropInt(anchors->Items(From + 1), "top");
  for (Integer i = From + 1; i < anchors->Count(); ++i) {
    TfrxXMLItem* a = anchors->Items(i);
    a->SetProp("page", IntToStr(PropInt(a, "page") + 1));
    a->SetProp("top", IntToStr(PropInt(a, "top") + d));
  }
}

// Logical page numbers

void TfrxPreviewPages::AddLogicalPage() { IncLogicalPageNumber(); }

void TfrxPreviewPages::IncLogicalPageNumber() {
  if (Engine() && Engine()->DoublePass() && Engine()->FinalPass) return;
  ++FLogicalCounter;
  TfrxXMLItem* item = Root()->FindItem("logicalpagenumbers")->Add();
  item->SetName("page");
  item->SetProp("n", IntToStr(FLogicalCounter));
}

void TfrxPreviewPages::CloseLogicalGroup() {
  TfrxXMLItem* numbers = Root()->FindItem("logicalpagenumbers");
  for (Integer i = std::min(CurPage, numbers->Count() - 1); i > FFirstPassPage && i >= 0; --i) {
    TfrxXMLItem* item = numbers->Items(i);
    item->SetProp("t", IntToStr(FLogicalCounter));
    if (item->GetProp("n") == "1") break;
  }
  FLogicalCounter = 0;
}

void TfrxPreviewPages::ResetLogicalPageNumber() {
  if (Engine() && Engine()->DoublePass() && Engine()->FinalPass) return;
  CloseLogicalGroup();
}

Integer TfrxPreviewPages::GetLogicalPageNo() {
  TfrxXMLItem* numbers = Root()->FindItem("logicalpagenumbers");
  if (CurPage >= 0 && CurPage < numbers->Count()) return PropInt(numbers->Items(CurPage), "n");
  return CurPage - FFirstPage + 1;
}

Integer TfrxPreviewPages::GetLogicalTotalPages() {
  TfrxXMLItem* numbers = Root()->FindItem("logicalpagenumbers");
  if (CurPage >= 0 && CurPage < numbers->Count()) return PropInt(numbers->Items(CurPage), "t");
  return (Engine() ? Engine()->TotalPages : 0) - FFirstPage;
}

// Passes

void TfrxPreviewPages::BeginPass() {
  TfrxXMLItem* pages = PagesItem();
  FFirstPassPage = pages->Count() - 1;
  FFirstPassObject = FFirstPassPage >= 0 ? pages->Items(FFirstPassPage)->Count() : 0;
  if (Engine() && Engine()->DoublePass() && Engine()->FinalPass) return;
  CloseLogicalGroup();
}

void TfrxPreviewPages::ClearFirstPassPages() {
  TfrxXMLItem* root = Root();
  // The first pass numbered the pages; the final pass only reads them.
  CloseLogicalGroup();
  if (FFirstPassPage < 0) {
    for (Integer i = 0; i < root->Count(); ++i) {
      TfrxXMLItem* item = root->Items(i);
      if (SameText(item->Name(), "anchors") || SameText(item->Name(), "logicalpagenumbers")) continue;
      if (SameText(item->Name(), "sourcepages") || SameText(item->Name(), "dictionary") ||
          SameText(item->Name(), "picturecache") || SameText(item->Name(), "report"))
        continue;  // kept outside the tree while building
      item->Clear();
    }
    // The packed copies of the pages went with them.
    FXML->DropSwapped();
    static_cast<TfrxOutline*>(Outline())->Reset();
  } else {
    TfrxXMLItem* pages = PagesItem();
    TfrxXMLItem* first = pages->Items(FFirstPassPage);
    FXML->LoadItem(first);
    while (first->Count() > FFirstPassObject) delete first->Items(first->Count() - 1);
    while (pages->Count() > FFirstPassPage + 1) delete pages->Items(pages->Count() - 1);
  }
  CurPage = FFirstPassPage;
  FXMLSize = 0;
}

Integer TfrxPreviewPages::Finish() {
  ClearCache();
  FSourceLinks.assign(FSourceLinks.size(), nullptr);
  Report()->DoProgressStop(ptRunning);
  return 0;
}

void TfrxPreviewPages::SetSourcePageSize(TfrxComponent* Page, Extended Width, Extended Height) {
  Integer i = SourceIndexOf(Page);
  if (i < 0) return;
  auto* p = dynamic_cast<TfrxReportPage*>(FSourcePages[size_t(i)].get());
  if (!p) return;
  // Set without the paper-size setters: the size is the page's final one.
  p->SetPaperWidth(Width / fr01cm);
  p->SetPaperHeight(Height / fr01cm);
}

void TfrxPreviewPages::AddPicture(TfrxComponent* Picture) {
  if (auto* v = dynamic_cast<TfrxPictureView*>(Picture)) FPictureCache.StorePicture(v);
}

// Reading pages back

Integer TfrxPreviewPages::GetPageCount() { return PagesItem()->Count(); }

void TfrxPreviewPages::LoadPageItem(TfrxXMLItem* Item) {
  if (!Item->Loaded()) FXML->LoadItem(Item);
}

void TfrxPreviewPages::RebuildObjects(TfrxXMLItem* Item, TfrxComponent* Parent) {
  TfrxXMLSerializer xs(nullptr);
  for (Integer i = 0; i < Item->Count(); ++i) {
    TfrxXMLItem* child = Item->Items(i);
    TfrxComponent* tmpl = FDictionary.FindTemplate(child->Name());
    TfrxComponent* obj = nullptr;
    if (tmpl) {
      auto it = FTemplates.find(tmpl);
      String stored = it != FTemplates.end() ? it->second.StoredText : String(tmpl->ClassName());
      obj = xs.CreateComponentFromText(Parent, stored + " " + child->AttrText(), true);
      if (obj) {
        obj->SetName(tmpl->Name());
        obj->SetOriginalComponent(tmpl);
        if (auto* pv = dynamic_cast<TfrxPictureView*>(obj); pv && (!pv->Picture()->Graphic()))
          FPictureCache.FetchPicture(pv);
      }
    } else {
      obj = xs.CreateComponentFromText(Parent, child->Name() + " " + child->AttrText(), true);
    }
    if (obj) RebuildObjects(child, obj);
  }
}

TfrxComponent* TfrxPreviewPages::GetPage(Integer Index) {
  TfrxXMLItem* pages = PagesItem();
  if (Index < 0 || Index >= pages->Count()) return nullptr;
  const bool running = Engine() && Engine()->Running;
  if (!running) {
    for (size_t i = 0; i < FCache.size(); ++i)
      if (FCache[i].first == Index) {
        std::rotate(FCache.begin(), FCache.begin() + Integer(i), FCache.begin() + Integer(i) + 1);
        return FCache.front().second.get();
      }
  }
  TfrxXMLItem* item = pages->Items(Index);
  const bool packed = !item->Loaded();
  LoadPageItem(item);
  std::unique_ptr<TfrxComponent> page;
  const String& name = item->Name();
  if (SameText(name, "TfrxReportPage") || SameText(name, "TfrxDMPPage")) {
    TClass cls = FindClass(name);
    page.reset(static_cast<TfrxComponent*>(cls->Factory()));
    page->AfterConstruction();
    TfrxXMLSerializer xs(nullptr);
    xs.ReadComponentTree(page.get(), item);
  } else {
    Integer src = -1;
    if (StartsWithText(name, "page")) src = StrToIntDef(name.substr(4), -1);
    if (src < 0 || src >= Integer(FSourcePages.size())) {
      page = std::make_unique<TfrxReportPage>();
    } else {
      TfrxComponent* sp = FSourcePages[size_t(src)].get();
      page.reset(static_cast<TfrxComponent*>(sp->ClassType()->Factory()));
      page->AfterConstruction();
      page->Assign(sp);
      page->SetName(sp->Name());
    }
    RebuildObjects(item, page.get());
  }
  page->AlignChildren();
  // A packed page read back only to build it stays packed.
  if (packed) FXML->DropLoaded(item);
  TfrxComponent* result = page.get();
  FCache.insert(FCache.begin(), {Index, std::move(page)});
  const Integer limit = Report()->PreviewOptions()->PagesInCache;
  if (FCache.size() > 1 && Integer(FCache.size()) > limit) {
    Integer dropped = FCache.back().first;
    FCache.pop_back();
    TfrxXMLItem* it = pages->Items(dropped);
    if (it->Swappable() && it->Loaded()) FXML->UnloadItem(it);
  }
  return result;
}

TfrxFloatRect TfrxPreviewPages::GetPageSize(Integer Index) {
  TfrxFloatRect r;
  TfrxXMLItem* pages = PagesItem();
  if (Index < 0 || Index >= pages->Count()) return r;
  TfrxComponent* page = GetPage(Index);
  if (!page) return r;
  r.Right = std::nearbyint(page->Width());
  r.Bottom = std::nearbyint(page->Height());
  return r;
}

// Editing

void TfrxPreviewPages::AddEmptyPage(Integer Index) {
  TfrxXMLItem* pages = PagesItem();
  if (pages->Count() == 0 || Index < 0 || Index >= pages->Count()) return;
  auto* item = new TfrxXMLItem();
  item->SetName(pages->Items(Index)->Name());
  pages->InsertItem(Index, item);
  ClearCache();
}

void TfrxPreviewPages::DeletePage(Integer Index) {
  TfrxXMLItem* pages = PagesItem();
  if (pages->Count() < 2 || Index < 0 || Index >= pages->Count()) return;
  delete pages->Items(Index);
  ClearCache();
}

void TfrxPreviewPages::ModifyPage(Integer Index, TfrxComponent* Page) {
  TfrxXMLItem* pages = PagesItem();
  if (Index < 0 || Index >= pages->Count() || !Page) return;
  TfrxXMLItem* item = pages->Items(Index);
  LoadPageItem(item);
  item->Clear();
  item->SetSwappable(false);
  TfrxXMLSerializer xs(nullptr);
  xs.WriteComponentTree(Page, true, item);
  ClearCache();
}

void TfrxPreviewPages::AddFrom(TfrxReport* Other) {
  auto* src = Other ? dynamic_cast<TfrxPreviewPages*>(Other->PreviewPages()) : nullptr;
  if (!src) return;
  TfrxXMLItem* pages = PagesItem();
  for (Integer i = 0; i < src->GetPageCount(); ++i) {
    TfrxComponent* page = src->GetPage(i);
    if (!page) continue;
    TfrxXMLItem* item = pages->Add();
    TfrxXMLSerializer xs(nullptr);
    xs.WriteComponentTree(page, true, item);
    // The element carries the page's class, so that it is read back whole
    // (also into a store that had no page before).
    item->SetName(page->ClassName());
  }
  ClearCache();
}

// Drawing and clicks

void TfrxPreviewPages::DrawPage(Integer Index, TCanvas* Canvas, Extended ScaleX, Extended ScaleY,
                                Extended OffsetX, Extended OffsetY) {
  auto* page = dynamic_cast<TfrxReportPage*>(GetPage(Index));
  if (!page || !Canvas) return;
  const bool printer = TfrxDrawText::IsPrinterCanvas(Canvas);
  const bool mirror = page->MirrorMargins && Index % 2 == 1;
  const Extended left = mirror ? page->RightMargin : page->LeftMargin;
  HDC dc = Canvas->Handle();
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  const bool hadClip = GetClipRgn(dc, saved) == 1;
  if (!printer)
    IntersectClipRect(dc, Integer(OffsetX), Integer(OffsetY),
                      Integer(page->PaperWidth() * fr01cm * ScaleX + OffsetX - 1),
                      Integer(page->PaperHeight() * fr01cm * ScaleY + OffsetY - 1));
  page->SetIsPrinting(printer);
  page->DrawBackground(Canvas, ScaleX, ScaleY, OffsetX - (left - page->LeftMargin) * fr01cm * ScaleX, OffsetY);
  const Extended ox = OffsetX + left * fr01cm * ScaleX;
  const Extended oy = OffsetY + page->TopMargin * fr01cm * ScaleY;
  const Integer total = GetPageCount();
  TList* all = page->AllObjects();
  std::vector<TfrxComponent*> objects;
  for (Integer i = 0; i < all->Count(); ++i) objects.push_back(static_cast<TfrxComponent*>(all->Items(i)));
  for (TfrxComponent* c : objects) {
    auto* v = dynamic_cast<TfrxView*>(c);
    if (!v) continue;
    if (printer && !v->Printable()) continue;
    RECT r{Integer(v->AbsLeft() * ScaleX + ox) - 20, Integer(v->AbsTop() * ScaleY + oy) - 20,
           Integer((v->AbsLeft() + v->Width()) * ScaleX + ox) + 20,
           Integer((v->AbsTop() + v->Height()) * ScaleY + oy) + 20};
    if (GetObjectType(dc) != OBJ_ENHMETADC && !RectVisible(dc, &r)) continue;
    v->SetIsPrinting(printer);
    if (auto* m = dynamic_cast<TfrxCustomMemoView*>(v)) {
      m->TotalPages = total;
      m->CopyNo = CopyNo;
    }
    v->Draw(Canvas, ScaleX, ScaleY, ox, oy);
    v->SetIsPrinting(false);
  }
  page->SetIsPrinting(false);
  SelectClipRgn(dc, hadClip ? saved : nullptr);
  DeleteObject(saved);
}

void TfrxPreviewPages::MouseOverObject(Integer PageIndex, Integer X, Integer Y, Integer Button, Integer Shift,
                                       bool Click, bool DoubleClick, Extended Scale, Extended OffsetX,
                                       Extended OffsetY) {
  THoverInfo info;
  MouseOverObject(PageIndex, X, Y, Button, Shift, Click, DoubleClick, Scale, OffsetX, OffsetY, info);
}

void TfrxPreviewPages::MouseOverObject(Integer PageIndex, Integer X, Integer Y, Integer Button, Integer Shift,
                                       bool Click, bool DoubleClick, Extended Scale, Extended OffsetX,
                                       Extended OffsetY, THoverInfo& Info) {
  if (PageIndex < 0 || PageIndex >= GetPageCount() || (Engine() && Engine()->Running)) return;
  auto* page = dynamic_cast<TfrxReportPage*>(GetPage(PageIndex));
  if (!page) return;
  const bool mirror = page->MirrorMargins && PageIndex % 2 == 1;
  const Extended ox = OffsetX + (mirror ? page->RightMargin : page->LeftMargin) * fr01cm * Scale;
  const Extended oy = OffsetY + page->TopMargin * fr01cm * Scale;
  TfrxReport* r = Report();
  r->ShowProgressMessage("", false);
  r->ShowProgressMessage("", true);
  TList* all = page->AllObjects();
  std::vector<TfrxComponent*> objects;
  for (Integer i = 0; i < all->Count(); ++i) objects.push_back(static_cast<TfrxComponent*>(all->Items(i)));
  auto under = [&](TfrxComponent* c) {
    const Extended l = c->AbsLeft() * Scale + ox, t = c->AbsTop() * Scale + oy;
    return X >= l && X <= l + c->Width() * Scale && Y >= t && Y <= t + c->Height() * Scale;
  };
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
    TfrxComponent* c = *it;
    auto* gh = dynamic_cast<TfrxGroupHeader*>(c);
    if (!gh && c->Parent()) gh = dynamic_cast<TfrxGroupHeader*>(c->Parent());
    if (gh && gh->DrillDown && under(c)) {
      Info.Cursor = crHandPoint;
      if (Click && Button == 0) {
        String key = gh->Name() + "." + IntToStr(gh->Tag());
        TStrings* state = r->DrillState();
        Integer i = -1;
        for (Integer k = 0; k < state->Count(); ++k)
          if (AnsiSameText(state->Strings(k), key)) i = k;
        if (i >= 0) state->Delete(i);
        else state->Add(key);
        // A preview rebuilds keeping its page (and the drill-down state).
        if (r->Preview()) r->Preview()->RefreshReport();
        else r->PrepareReport();
      }
      return;
    }
    auto* v = dynamic_cast<TfrxView*>(c);
    if (!v) continue;
    if (!under(c)) {
      if (v->ShowHint()) Info.HintsOff = true;
      continue;
    }
    if (v->Cursor() != crDefault) Info.Cursor = TCursor(v->Cursor());
    if (!v->URL().empty()) {
      if (Info.Cursor == crDefault) Info.Cursor = crHandPoint;
      r->ShowProgressMessage(v->URL(), false);
    }
    if (!v->Hint().empty() && v->ShowHint()) Info.Hint = v->Hint();
    if (!v->Hint().empty() && v->ShowHint()) r->ShowProgressMessage(v->Hint(), true);
    if (Click || DoubleClick) {
      const String url = v->URL();
      if (!url.empty() && url[0] == '@') {
        if (OnJump) OnJump(StrToIntDef(url.substr(1), 1) - 1, 0);
      } else if (!url.empty() && url[0] == '#') {
        if (TfrxXMLItem* a = FindAnchor(url.substr(1)))
          if (OnJump) OnJump(PropInt(a, "page"), PropInt(a, "top"));
      } else if (StartsWithText(url, "http://") || StartsWithText(url, "https://") ||
                 StartsWithText(url, "mailto:")) {
        // Only web and mail addresses go to the desktop's opener: a report
        // value must not start programs or open local files.
        if (OnOpenURL) OnOpenURL(url);
      }
      bool modified = false;
      r->FirePreviewClick(v, Button, Shift, modified, DoubleClick);
      if (modified) ModifyPage(PageIndex, page);
    } else if (r->OnMouseOverObject) {
      r->OnMouseOverObject(v);
    }
    return;
  }
}

// The prepared report file

void TfrxPreviewPages::SaveToStream(TStream* Stream) {
  TfrxReport* r = Report();
  TfrxXMLItem* root = Root();
  TfrxXMLItem* rep = root->FindItem("report");
  rep->Clear();
  TfrxXMLItem* ri = rep->Add();
  ri->SetName(r->ClassName());
  String attrs = " DotMatrixReport=\"" + frxVariantToXMLText(Variant(r->DotMatrixReport)) + "\"";
  attrs += " PreviewOptions.OutlineVisible=\"" + frxVariantToXMLText(Variant(r->PreviewOptions()->OutlineVisible)) + "\"";
  attrs += " PreviewOptions.OutlineWidth=\"" + IntToStr(r->PreviewOptions()->OutlineWidth) + "\"";
  attrs += " ReportOptions.Name=\"" + frxEscapeXMLText(Utf8ToGbk(r->ReportOptions()->Name)) + "\"";
  ri->SetAttrText(attrs);
  TfrxXMLItem* sp = root->FindItem("sourcepages");
  sp->Clear();
  for (auto& page : FSourcePages) {
    TfrxXMLItem* item = sp->Add();
    TfrxXMLSerializer xs(nullptr);
    xs.WriteComponentTree(page.get(), true, item);
    item->SetName(page->ClassName());
  }
  TfrxXMLItem* dict = root->FindItem("dictionary");
  dict->Clear();
  for (const auto& [name, path] : FDictionary.Entries()) {
    TfrxXMLItem* item = dict->Add();
    item->SetName(name);
    item->SetAttrText("name=\"" + path + "\"");
  }
  FPictureCache.WriteToXML(root->FindItem("picturecache"));
  FXML->SaveToStream(Stream);
}

void TfrxPreviewPages::LoadFromStream(TStream* Stream, bool AllowPartialLoading) {
  Clear();
  FPartial = AllowPartialLoading;
  FXML->LoadFromStream(Stream, AllowPartialLoading);
  TfrxXMLItem* root = Root();
  TfrxReport* r = Report();
  if (root->Find("report") >= 0) {
    TfrxXMLItem* rep = root->FindItem("report");
    if (rep->Count() > 0) {
      TfrxXMLItem* ri = rep->Items(0);
      r->DotMatrixReport = ri->GetProp("DotMatrixReport") == "1";
      r->PreviewOptions()->OutlineVisible = ri->GetProp("PreviewOptions.OutlineVisible") == "1";
      r->PreviewOptions()->OutlineWidth = PropInt(ri, "PreviewOptions.OutlineWidth", 120);
      r->ReportOptions()->Name = GbkToUtf8(frxUnescapeXMLText(ri->GetProp("ReportOptions.Name")));
    }
  }
  if (root->Find("sourcepages") >= 0) {
    TfrxXMLItem* sp = root->FindItem("sourcepages");
    for (Integer i = 0; i < sp->Count(); ++i) {
      TfrxXMLItem* item = sp->Items(i);
      TClass cls = FindClass(SameText(item->Name(), "TfrxDMPPage") ? "TfrxDMPPage" : "TfrxReportPage");
      std::unique_ptr<TfrxComponent> page(static_cast<TfrxComponent*>(cls->Factory()));
      page->AfterConstruction();
      TfrxXMLSerializer xs(nullptr);
      xs.ReadComponentTree(page.get(), item);
      TList* all = page->AllObjects();
      for (Integer k = 0; k < all->Count(); ++k) {
        auto* c = static_cast<TfrxComponent*>(all->Items(k));
        FTemplates[c].StoredText = StoredTextOf(c);
      }
      FSourcePages.push_back(std::move(page));
      FSourceLinks.push_back(nullptr);
    }
    sp->Clear();
  }
  if (root->Find("dictionary") >= 0) {
    TfrxXMLItem* dict = root->FindItem("dictionary");
    for (Integer i = 0; i < dict->Count(); ++i) {
      TfrxXMLItem* item = dict->Items(i);
      // The path is the raw attribute text: name="...", taken unescaped.
      const String& raw = item->AttrText();
      String text = Trim(raw);
      String path = text.size() > 7 ? text.substr(6, text.size() - 7) : String();
      size_t dot = path.find('.');
      TfrxComponent* tmpl = nullptr;
      if (dot != String::npos && StartsWithText(path, "Page")) {
        Integer src = StrToIntDef(path.substr(4, dot - 4), -1);
        if (src >= 0 && src < Integer(FSourcePages.size()))
          tmpl = FSourcePages[size_t(src)]->FindObject(path.substr(dot + 1));
      }
      FDictionary.Register(item->Name(), path, tmpl);
      if (tmpl) FTemplates[tmpl].DictName = item->Name();
    }
  }
  if (root->Find("picturecache") >= 0) FPictureCache.ReadFromXML(root->FindItem("picturecache"));
  CurPage = GetPageCount() - 1;
}

void TfrxPreviewPages::SaveToFile(const String& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

bool TfrxPreviewPages::LoadFromFile(const String& FileName, bool ExceptionIfNotFound) {
  const bool exists = FileExists(FileName);
  if (!exists && !ExceptionIfNotFound) return false;
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f, false);
  return exists;
}
