#include "MapiControl.h"

#include <windows.h>
#include <mapi.h>

#include <deque>
#include <vector>

#include "Forms.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TMapiControl, TComponent)

TOVANI_PUBLISHED(TMapiControl) {
  Property("Subject", &TMapiControl::Subject, &TMapiControl::SetSubject);
  Property("Body", &TMapiControl::Body, &TMapiControl::SetBody);
  Property("FromName", &TMapiControl::FromName, &TMapiControl::SetFromName);
  Property("FromAddress", &TMapiControl::FromAddress, &TMapiControl::SetFromAddress);
  Property("Recipients", &TMapiControl::Recipients, &TMapiControl::SetRecipients);
  Property("CopyTo", &TMapiControl::CopyTo, &TMapiControl::SetCopyTo);
  Property("BlindCopyTo", &TMapiControl::BlindCopyTo, &TMapiControl::SetBlindCopyTo);
  Property("AttachedFiles", &TMapiControl::AttachedFiles, &TMapiControl::SetAttachedFiles);
  Property("DisplayFileName", &TMapiControl::DisplayFileName);
  Property("ShowDialog", &TMapiControl::ShowDialog, &TMapiControl::SetShowDialog).Default(false);
  Property("UseAppHandle", &TMapiControl::UseAppHandle, &TMapiControl::SetUseAppHandle).Default(false);
  Property("OnUserAbort", &TMapiControl::OnUserAbort);
  Property("OnMapiError", &TMapiControl::OnMapiError);
  Property("OnSuccess", &TMapiControl::OnSuccess);
}

TMapiControl::TMapiControl(TComponent* AOwner)
    : TComponent(AOwner),
      FRecipients(std::make_unique<TStringList>()),
      FCopyTo(std::make_unique<TStringList>()),
      FBlindCopyTo(std::make_unique<TStringList>()),
      FAttachedFiles(std::make_unique<TStringList>()),
      FDisplayFileName(std::make_unique<TStringList>()) {
  if (Application) FAppHandle = Application->Handle();
}

TMapiControl::~TMapiControl() = default;

namespace {

// The mail system's entry point, taken from the system's MAPI library on
// first use; the wide form, since every text here is Unicode.
LPMAPISENDMAILW SendMailEntry() {
  static LPMAPISENDMAILW entry = [] {
    HMODULE lib = LoadLibraryW(L"MAPI32.DLL");
    return lib ? reinterpret_cast<LPMAPISENDMAILW>(GetProcAddress(lib, "MAPISendMailW")) : nullptr;
  }();
  return entry;
}

}  // namespace

void TMapiControl::Sendmail() {
  HWND parent = static_cast<HWND>(FAppHandle);
  // Every text the records point at lives here until the call returns.
  // (a deque: adding a text never moves the earlier ones).
  std::deque<std::u16string> texts;
  auto text = [&](const String& s) {
    texts.push_back(Utf8ToUtf16(s));
    return reinterpret_cast<PWSTR>(texts.back().data());
  };

  MapiMessageW msg{};
  msg.lpszSubject = text(FSubject);
  msg.lpszNoteText = text(FBody);
  MapiRecipDescW originator{};
  if (!FFromAddress.empty()) {
    originator.ulRecipClass = MAPI_ORIG;
    originator.lpszName = text(FFromName);
    originator.lpszAddress = text(FFromAddress);
    msg.lpOriginator = &originator;
  }
  std::vector<MapiRecipDescW> recips;
  auto addRecipients = [&](TStrings* list, ULONG cls) {
    for (int i = 0; i < list->Count(); ++i) {
      MapiRecipDescW r{};
      r.ulRecipClass = cls;
      r.lpszName = text(list->Strings(i));
      r.lpszAddress = text("SMTP:" + list->Strings(i));
      recips.push_back(r);
    }
  };
  addRecipients(FRecipients.get(), MAPI_TO);
  addRecipients(FCopyTo.get(), MAPI_CC);
  addRecipients(FBlindCopyTo.get(), MAPI_BCC);
  msg.nRecipCount = static_cast<ULONG>(recips.size());
  msg.lpRecips = recips.empty() ? nullptr : recips.data();

  std::vector<MapiFileDescW> files;
  if (FAttachedFiles->Count() > 0) {
    FDisplayFileName->Clear();
    for (int i = 0; i < FAttachedFiles->Count(); ++i) FDisplayFileName->Add(ExtractFileName(FAttachedFiles->Strings(i)));
    for (int i = 0; i < FAttachedFiles->Count(); ++i) {
      MapiFileDescW f{};
      f.nPosition = static_cast<ULONG>(-1);  // not placed in the text
      f.lpszPathName = text(FAttachedFiles->Strings(i));
      f.lpszFileName = text(FDisplayFileName->Strings(i));
      files.push_back(f);
    }
  }
  msg.nFileCount = static_cast<ULONG>(files.size());
  msg.lpFiles = files.empty() ? nullptr : files.data();

  ULONG result = MAPI_E_NOT_SUPPORTED;
  if (auto send = SendMailEntry())
    result = send(0, reinterpret_cast<ULONG_PTR>(parent), &msg,
                  FShowDialog ? (MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG) : 0, 0);
  if (result == SUCCESS_SUCCESS) {
    if (OnSuccess) OnSuccess(this);
  } else if (result == MAPI_USER_ABORT) {
    if (OnUserAbort) OnUserAbort(this);
  } else {
    if (OnMapiError) OnMapiError(this, static_cast<Integer>(result));
  }
}
