// Message boxes, input boxes, common dialogs and the printer, driven by a
// hook that answers each dialog as it appears.
#include <functional>
#include <vector>
#include "Dialogs.h"
#include "Forms.h"
#include "Printers.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

String Utf8(const wchar_t* w) {
  char buf[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, w, -1, buf, 1023, nullptr, nullptr);
  return buf;
}

// Answers the next dialog boxes: reads their texts, runs an action on them.
struct DialogAnswer {
  static inline std::function<void(HWND)> Action;
  static inline std::vector<String> Texts;
  static inline HHOOK Hook = nullptr;
  static BOOL CALLBACK Child(HWND h, LPARAM) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    if (text[0]) Texts.push_back(Utf8(text));
    return TRUE;
  }
  static void CALLBACK Fire(HWND d, UINT, UINT_PTR, DWORD) {
    KillTimer(d, 78);
    EnumChildWindows(d, Child, 0);
    if (Action) Action(d);
  }
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) {
      HWND dlg = reinterpret_cast<HWND>(w);
      wchar_t cls[32] = {};
      GetClassNameW(dlg, cls, 32);
      if (lstrcmpW(cls, L"#32770") == 0) SetTimer(dlg, 78, 100, Fire);
    }
    return CallNextHookEx(Hook, code, w, l);
  }
  explicit DialogAnswer(std::function<void(HWND)> action) {
    Action = std::move(action);
    Texts.clear();
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~DialogAnswer() {
    UnhookWindowsHookEx(Hook);
    Action = nullptr;
  }
  static bool Saw(const String& s) {
    for (auto& t : Texts)
      if (t == s) return true;
    return false;
  }
};

void Press(HWND dlg, int id) { PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id))); }

}  // namespace

TEST(Dialogs, MessageDlgHasChineseButtonsAndAnswersThePressedOne) {
  {
    DialogAnswer answer([](HWND d) { Press(d, IDNO); });
    EXPECT_EQ(MessageDlg("删除这个客户吗？", mtConfirmation, mbYesNo), mrNo);
    EXPECT_TRUE(DialogAnswer::Saw("是"));
    EXPECT_TRUE(DialogAnswer::Saw("否"));
    EXPECT_TRUE(DialogAnswer::Saw("删除这个客户吗？"));
  }
  {
    DialogAnswer answer([](HWND d) { Press(d, IDCANCEL); });
    EXPECT_EQ(MessageDlg("保存失败", mtError, mbOKCancel), mrCancel);
    EXPECT_TRUE(DialogAnswer::Saw("确定"));
    EXPECT_TRUE(DialogAnswer::Saw("取消"));
  }
}

TEST(Dialogs, MessageDlgWithYesNoAllShowsThreeButtons) {
  struct Case {
    int Button;
    Integer Result;
  } cases[] = {{IDABORT, mrYes}, {IDRETRY, mrNo}, {IDIGNORE, mrAll}};
  for (const Case& c : cases) {
    DialogAnswer answer([&](HWND d) { Press(d, c.Button); });
    EXPECT_EQ(MessageDlg("忽略错误？", mtError, TMsgDlgButtons{mbYes, mbNo, mbAll}), c.Result);
    EXPECT_TRUE(DialogAnswer::Saw("是"));
    EXPECT_TRUE(DialogAnswer::Saw("否"));
    EXPECT_TRUE(DialogAnswer::Saw("全部"));
  }
  // The next box has its ordinary captions again.
  DialogAnswer answer([](HWND d) { Press(d, IDRETRY); });
  EXPECT_EQ(MessageDlg("重试？", mtError, TMsgDlgButtons{mbRetry, mbCancel}), mrRetry);
  EXPECT_TRUE(DialogAnswer::Saw("重试"));
}

TEST(Dialogs, InputQueryReturnsTheTypedTextOrKeepsTheValue) {
  String value = "旧密码";
  {
    DialogAnswer answer([](HWND d) {
      SetDlgItemTextW(d, 101, L"新密码");
      Press(d, IDOK);
    });
    EXPECT_TRUE(InputQuery("修改密码", "请输入新密码：", value));
    EXPECT_EQ(value, "新密码");
    EXPECT_TRUE(DialogAnswer::Saw("请输入新密码："));
    EXPECT_TRUE(DialogAnswer::Saw("确定"));
  }
  {
    DialogAnswer answer([](HWND d) { Press(d, IDCANCEL); });
    EXPECT_FALSE(InputQuery("修改密码", "请输入新密码：", value));
    EXPECT_EQ(value, "新密码");
    EXPECT_EQ(InputBox("标题", "提示", "默认"), "默认");
  }
}

TEST(Dialogs, SaveDialogCancelledReturnsFalse) {
  TSaveDialog dlg(nullptr);
  dlg.SetFilter("数据库 (*.mdb)|*.mdb|所有文件|*.*");
  dlg.SetDefaultExt("mdb");
  dlg.SetFileName("backup.mdb");
  bool shown = false;
  dlg.OnShow = [&](TObject*) { shown = true; };
  DialogAnswer answer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_FALSE(dlg.Execute());
  EXPECT_TRUE(shown);
  EXPECT_EQ(dlg.FileName(), "backup.mdb");
}

TEST(Printers, WithoutPrintersJobsFailWithAClearError) {
  TPrinter printer;
  Integer count = printer.Printers()->Count();
  EXPECT_THROW(printer.SetPrinterIndex(count), EPrinter);
  EXPECT_THROW(printer.EndDoc(), EPrinter);   // not printing
  if (count == 0) {
    try {
      printer.BeginDoc();
      FAIL() << "printed without a printer";
    } catch (const EPrinter& e) {
      EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_FALSE(printer.Printing());
  }
}
