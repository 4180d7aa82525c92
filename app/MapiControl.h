// Sends a message with attachments through the desktop's mail client
// (Simple MAPI): recipients, copies, blind copies and files, with or
// without the client's compose window.
#pragma once
#include <memory>

#include "Classes.h"
#include "Strings.h"

using TMapiErrEvent = std::function<void(TObject* Sender, Integer ErrCode)>;

class TMapiControl : public TComponent {
  TOVANI_CLASS(TMapiControl, TComponent)
 public:
  explicit TMapiControl(TComponent* AOwner = nullptr);
  ~TMapiControl() override;

  String Subject() const { return FSubject; }
  void SetSubject(const String& v) { FSubject = v; }
  String Body() const { return FBody; }
  void SetBody(const String& v) { FBody = v; }
  String FromName() const { return FFromName; }
  void SetFromName(const String& v) { FFromName = v; }
  String FromAddress() const { return FFromAddress; }
  void SetFromAddress(const String& v) { FFromAddress = v; }
  TStrings* Recipients() const { return FRecipients.get(); }
  void SetRecipients(TStrings* v) { FRecipients->Assign(v); }
  TStrings* CopyTo() const { return FCopyTo.get(); }
  void SetCopyTo(TStrings* v) { FCopyTo->Assign(v); }
  TStrings* BlindCopyTo() const { return FBlindCopyTo.get(); }
  void SetBlindCopyTo(TStrings* v) { FBlindCopyTo->Assign(v); }
  TStrings* AttachedFiles() const { return FAttachedFiles.get(); }
  void SetAttachedFiles(TStrings* v) { FAttachedFiles->Assign(v); }
  // Filled by Sendmail with the file-name part of each attachment.
  TStrings* DisplayFileName() const { return FDisplayFileName.get(); }
  bool ShowDialog() const { return FShowDialog; }
  void SetShowDialog(bool v) { FShowDialog = v; }
  bool UseAppHandle() const { return FUseAppHandle; }
  void SetUseAppHandle(bool v) { FUseAppHandle = v; }

  TNotifyEvent OnUserAbort;
  TMapiErrEvent OnMapiError;
  TNotifyEvent OnSuccess;

  // Hands the message to the mail system; the outcome is reported through
  // OnSuccess, OnUserAbort or OnMapiError, never raised.
  void Sendmail();

 private:
  String FSubject, FBody, FFromName, FFromAddress;
  std::unique_ptr<TStringList> FRecipients, FCopyTo, FBlindCopyTo, FAttachedFiles, FDisplayFileName;
  bool FShowDialog = false;
  bool FUseAppHandle = false;
  void* FAppHandle = nullptr;
};
