// The clipboard: text, pictures and formats registered by name.
#pragma once
#include "Graphics.h"

class TClipboard : public TPersistent {
  TOVANI_CLASS(TClipboard, TPersistent)
 public:
  TClipboard() = default;
  ~TClipboard() override;
  // Opens the clipboard for several operations (nests); EClipboardException
  // "Cannot open clipboard" when another program holds it.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT Format);
  Integer FormatCount();
  UINT Formats(Integer Index);
  // Unicode text; reading accepts the 8-bit text formats Windows converts.
  String AsText();
  void SetAsText(const String& Value);
  // A global memory block of a format; SetAsHandle passes ownership.
  HANDLE GetAsHandle(UINT Format);
  void SetAsHandle(UINT Format, HANDLE Value);
  // Bytes of any format (registered formats of grids: "Csv", "Rich Text Format" ...).
  String GetAsBytes(UINT Format);
  void SetAsBytes(UINT Format, const String& Bytes);
  // Puts a bitmap, picture or graphic on the clipboard as a device-independent bitmap.
  void Assign(TPersistent* Source) override;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void Adding();
  Integer FOpenRefCount = 0;
  HWND FWindow = nullptr;
  bool FEmptied = false;
};

TOVANI_EXCEPTION(EClipboardException, Exception)

TClipboard* Clipboard();
// Replaces the global clipboard object; returns the previous one.
TClipboard* SetClipboard(TClipboard* NewClipboard);
// The clipboard format of a name ("Csv"), registered on first use.
UINT RegisterClipboardFormatName(const String& Name);
