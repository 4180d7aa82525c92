// The prepared report: pages the engine produced, kept as an XML tree in
// which every printed object is stored as its difference from the template
// it was printed from; with the outline of headings, the dictionary that
// maps stored names to templates, and the picture cache that holds each
// distinct picture once.
#pragma once
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "frxClass.h"

class TfrxXMLDocument;
class TfrxXMLItem;
class TfrxPictureView;
class TStream;

// The tree of headings beside the pages. Entries are "item" elements of the
// prepared report's "outline" element with text, page and top.
class TfrxOutline : public TfrxCustomOutline {
  TOVANI_CLASS(TfrxOutline, TfrxCustomOutline)
 public:
  explicit TfrxOutline(TfrxCustomPreviewPages* APreviewPages);
  Integer ItemCount() override;
  void AddItem(const String& Text, Integer Top) override;
  void EnterItem(Integer Index) override;
  void LevelRoot() override;
  void LevelUp() override;
  void ReadItem(Integer Index, String& Text, Integer& Page, Integer& Top) override;
  void ShiftFollowingItems(TObject* From, Integer NewTop) override;
  TObject* CurrentMark() override;

  TfrxXMLItem* Root();
  TfrxXMLItem* CurItem();
  // Forgets the current entry (the tree it lived in was cleared).
  void Reset() { FCurItem = nullptr; }

 private:
  TfrxXMLItem* FCurItem = nullptr;
};

// Short names of printed objects and the templates they stand for.
class TfrxDictionary {
 public:
  void Clear();
  void Register(const String& Name, const String& SourcePath, TfrxComponent* Template);
  // A new unique name from Prefix, registered with the path and template.
  String RegisterUnique(const String& Prefix, const String& SourcePath, TfrxComponent* Template);
  String MakeUniqueName(const String& Prefix) const;
  TfrxComponent* FindTemplate(const String& Name) const;
  String SourcePathOf(const String& Name) const;
  Integer Count() const { return Integer(FNames.size()); }
  // Names (case as registered) with their source paths, in sorted order.
  std::vector<std::pair<String, String>> Entries() const;

 private:
  struct TEntry {
    String Name;
    Integer Path;
  };
  std::map<String, TEntry> FNames;  // key: upper-cased name
  std::vector<std::pair<String, TfrxComponent*>> FPaths;
};

// Each distinct picture once, in memory or in temp files; numbered from 1.
class TfrxPictureCache {
 public:
  TfrxPictureCache();
  ~TfrxPictureCache();
  void Clear();
  void SetFileCache(bool Value);
  void SetTempFolder(const String& Value);
  void StorePicture(TfrxPictureView* View);
  void FetchPicture(TfrxPictureView* View);
  void WriteToXML(TfrxXMLItem* Item);
  void ReadFromXML(TfrxXMLItem* Item);
  Integer Count() const { return Integer(FItems.size()); }

 private:
  struct TItem {
    Integer Segment, Offset;
  };
  TStream* NewItem();
  void ItemExtent(Integer Index, Integer& Offset, Integer& Length) const;
  std::vector<TItem> FItems;
  std::vector<std::unique_ptr<TStream>> FSegments;
  std::vector<String> FTempFiles;
  String FTempFolder;
  bool FFileCache = false;
};

class TfrxPreviewPages : public TfrxCustomPreviewPages {
  TOVANI_CLASS(TfrxPreviewPages, TfrxCustomPreviewPages)
 public:
  explicit TfrxPreviewPages(TfrxReport* AReport);
  ~TfrxPreviewPages() override;

  Integer GetPageCount() override;
  TfrxComponent* GetPage(Integer Index) override;
  TfrxFloatRect GetPageSize(Integer Index) override;
  void Clear() override;
  void Initialize() override;
  void AddObject(TfrxComponent* Obj) override;
  void AddPage(TfrxComponent* Page) override;
  void AddSourcePage(TfrxComponent* Page) override;
  void AddToSourcePage(TfrxComponent* Obj) override;
  void BeginPass() override;
  void ClearFirstPassPages() override;
  Integer CutObjects(Integer Position) override;
  Integer Finish() override;
  void IncLogicalPageNumber() override;
  void ResetLogicalPageNumber() override;
  void PasteObjects(Extended X, Extended Y) override;
  void ShiftAnchors(Integer From, Integer NewTop) override;
  void AddPicture(TfrxComponent* Picture) override;
  bool BandExists(TfrxComponent* Band) override;
  Integer PageObjectCount() override;
  Integer LastAnchorIndex() override;
  Extended GetLastY(Extended ColumnPosition) override;
  Integer GetLogicalPageNo() override;
  Integer GetLogicalTotalPages() override;
  void AddEmptyPage(Integer Index) override;
  void DeletePage(Integer Index) override;
  void ModifyPage(Integer Index, TfrxComponent* Page) override;
  void DrawPage(Integer Index, TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                Extended OffsetY) override;
  void MouseOverObject(Integer PageIndex, Integer X, Integer Y, Integer Button, Integer Shift, bool Click,
                       bool DoubleClick, Extended Scale, Extended OffsetX, Extended OffsetY) override;
  // What the mouse found over a page: the cursor it takes (a view's own
  // cursor, the hand over links and drill-down headers; left as it was
  // elsewhere), the hint of the hinted view under it, and whether a hinted
  // view was passed over on the way (which turns hints off).
  struct THoverInfo {
    TCursor Cursor = crDefault;
    String Hint;
    bool HintsOff = false;
  };
  // The same, also telling what the mouse found.
  void MouseOverObject(Integer PageIndex, Integer X, Integer Y, Integer Button, Integer Shift, bool Click,
                       bool DoubleClick, Extended Scale, Extended OffsetX, Extended OffsetY, THoverInfo& Info);
  void AddFrom(TfrxReport* Report) override;
  void LoadFromStream(TStream* Stream, bool AllowPartialLoading = false) override;
  void SaveToStream(TStream* Stream) override;
  bool LoadFromFile(const String& FileName, bool ExceptionIfNotFound = false) override;
  void SaveToFile(const String& FileName) override;
  // Sends the pages to the report's printer by its print options (copies,
  // collation, page ranges, odd or even pages, reverse order, duplex and the
  // split, join and scale modes); false when nothing could be printed.
  bool Print() override;
  // Hands the pages to an export filter (a TfrxCustomExportFilter); false
  // without a filter, when its dialog was cancelled or the export failed.
  bool Export(TObject* Filter) override;
  void AddAnchor(const String& Text) override;
  Integer GetAnchorPage(const String& Text) override;

  TfrxXMLItem* FindAnchor(const String& Text);
  // Records the final size of an endless page (report units).
  void SetSourcePageSize(TfrxComponent* Page, Extended Width, Extended Height);
  // The first page of the current report (logical page numbers).
  void SetFirstPageOfReport() { FFirstPage = CurPage; }
  // Append (false) or reuse existing pages (true) on AddPage.
  bool WriteOver = false;
  // Where a click on an object with a web or mail address goes (the desktop
  // opener by default; tests install their own).
  std::function<void(const String& URL)> OnOpenURL;
  // Where a click that jumps to a page or anchor goes (page index, top).
  std::function<void(Integer Page, Integer Top)> OnJump;

  TfrxXMLDocument* XML() const { return FXML.get(); }
  TfrxDictionary* Dictionary() { return &FDictionary; }
  TfrxPictureCache* PictureCache() { return &FPictureCache; }
  Integer SourcePageCount() const { return Integer(FSourcePages.size()); }
  TfrxComponent* SourcePage(Integer Index) const { return FSourcePages[size_t(Index)].get(); }
  Integer CopyNo = 0;
  // The page the preview shows (1-based), for printing or exporting only it.
  Integer CurPreviewPage = 1;

 private:
  friend struct TfrxPrintRun;
  friend struct TfrxExportRun;
  struct TTemplateInfo {
    String DictName;
    String StoredText;  // class name, or the one-line text of the template
  };
  TfrxXMLItem* Root();
  TfrxXMLItem* PagesItem();
  TfrxXMLItem* CurPageItem();
  void AddObjectTo(TfrxXMLItem* Parent, TfrxComponent* Obj);
  void RegisterTemplate(TfrxComponent* Copy, TfrxComponent* Original, Integer SourceIndex);
  String StoredTextOf(TfrxComponent* Template);
  void RebuildObjects(TfrxXMLItem* Item, TfrxComponent* Parent);
  void ClearCache();
  void LoadPageItem(TfrxXMLItem* Item);
  Integer SourceIndexOf(TfrxComponent* ReportPage) const;
  void AddLogicalPage();
  void CloseLogicalGroup();

  std::unique_ptr<TfrxXMLDocument> FXML;
  TfrxDictionary FDictionary;
  TfrxPictureCache FPictureCache;
  std::vector<std::unique_ptr<TfrxComponent>> FSourcePages;
  std::vector<TfrxComponent*> FSourceLinks;  // the report page of each source page (during a build)
  std::unordered_map<TfrxComponent*, TTemplateInfo> FTemplates;
  // Most recently used first: page index and page object.
  std::vector<std::pair<Integer, std::unique_ptr<TfrxComponent>>> FCache;
  Integer FFirstPage = 0;
  Integer FFirstPassPage = -1, FFirstPassObject = 0;
  Integer FLogicalCounter = 0;
  Int64 FXMLSize = 0;
  bool FPartial = false;
};

// A replacement for the print dialog (frxShowPrintDialog) when set: true
// when confirmed (it may change the report's print options for this print),
// with the duplex mode chosen there (0 = each page's own).
using TfrxPrintDialogQuery = std::function<bool(TfrxReport* Report, Integer& Duplex)>;
extern TfrxPrintDialogQuery frxPrintDialogQuery;

// Installs the engine, prepared pages and outline classes that new reports use.
void frxRegisterEngine();
