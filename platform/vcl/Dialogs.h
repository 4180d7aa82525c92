// Message boxes and input boxes with the program's Chinese button texts,
// and the common dialogs (open, save, font, colour, print) as components.
#pragma once
#include "VclWindows.h"
#include "Classes.h"
#include "Controls.h"
#include "TypInfo.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
TOVANI_ENUM_INFO(TMsgDlgType)
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
TOVANI_ENUM_INFO(TMsgDlgBtn)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// MessageBoxW with the buttons captioned "确定", "取消", "是", "否", "中止",
// "重试", "忽略". Returns IDOK, IDCANCEL, ...
Integer ShowMessageBox(HWND Owner, const String& Text, const String& Caption, UINT Flags);
// An information box with the application's title.
void ShowMessage(const String& Msg);
// A box of the given kind ("警告", "错误", "信息", "确认" as caption) with
// the given buttons; returns the modal result of the button pressed.
Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx = 0);
// Asks for one line of text; false when cancelled (Value unchanged).
bool InputQuery(const String& ACaption, const String& APrompt, String& Value);
// The text typed, or ADefault when cancelled.
String InputBox(const String& ACaption, const String& APrompt, const String& ADefault);
