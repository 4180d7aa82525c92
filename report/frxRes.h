// The report engine's string table: every user-visible text of the report
// engine, its windows and its script messages, looked up by key ("clErrors")
// or number ("100"); a key without entry stands for itself. The same object
// lists the language files beside the program and opens help topics.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "System.h"

class TBitmap;
class TCustomImageList;
class TImageList;
class TStream;
class TStringList;
class TfrxWideStrings;

class TfrxResources : public TObject {
  TOVANI_CLASS(TfrxResources, TObject)
 public:
  TfrxResources();
  ~TfrxResources() override;

  // The text of Name (case-insensitive), else Name itself; a leading "!" is removed.
  String Get(const String& Name) const;
  // Adds a text or replaces the text of an existing key.
  void Add(const String& Name, const String& Text);
  // A "Resources" document: CodePage from its attribute and a text for every
  // "StrRes" child; then the script messages are refreshed.
  void LoadFromStream(TStream* Stream);
  void LoadFromXMLText(const String& Text);
  // Hands the script engine its seventeen message texts (SLangNotFound ...
  // SEventError, in that order) through frxScriptMessagesReceiver.
  void UpdateFSResources();

  // Opens the help file at the topic of the window class (when the file exists).
  void ShowHelp(const String& FormClassName);
  void ShowHelp(TObject* Form) { ShowHelp(Form ? Form->ClassName() : String()); }
  // The help path: program folder, help file, "::/" and the class's topic.
  String HelpPath(const String& FormClassName) const;

  // Image strips of the preview buttons and of the report objects, read
  // from the program's gzip-compressed bitmap resources "PreviewButtons" and
  // "ObjectButtons" when first asked for; an absent resource gives an empty list.
  TImageList* GetPreviewButtonImages();
  TImageList* GetObjectImages();
  // Replaces (or, without Clear, extends) a strip with the 16 by 16 tiles of Images.
  void SetPreviewButtonImages(TBitmap* Images, bool Clear = true);
  void SetObjectImages(TBitmap* Images, bool Clear = true);
  TImageList* MainButtonImages() const { return FMainButtonImages.get(); }
  TImageList* DisabledButtonImages() const { return FDisabledButtonImages.get(); }
  TImageList* WizardImages() const { return FWizardImages.get(); }

  Integer CodePage() const { return FCodePage; }
  Integer Count() const;
  // Names of the "*.frc" files of the program's folder (never loaded).
  TStringList* Languages() const { return FLanguages.get(); }
  const String& HelpFile() const { return FHelpFile; }

 private:
  std::unique_ptr<TStringList> FNames;
  std::unique_ptr<TfrxWideStrings> FValues;
  std::unique_ptr<TStringList> FLanguages;
  std::unique_ptr<TImageList> FDisabledButtonImages, FMainButtonImages, FObjectImages, FPreviewButtonImages,
      FWizardImages;
  Integer FCodePage = 0;
  String FHelpFile = "RIVura.chm";
};

// The process-wide table, filled with the built-in texts on first use.
TfrxResources* frxGetResources();
String frxResourceTextById(Integer Id);

// The script engine's message texts, in the order UpdateFSResources names
// them; the script engine installs a receiver when it starts.
extern std::function<void(const std::vector<String>& Messages)> frxScriptMessagesReceiver;
