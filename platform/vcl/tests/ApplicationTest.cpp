// The application object: the main loop, image lists and the clipboard.
#include <memory>
#include "Clipbrd.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {
class TRunForm : public TForm {
 public:
  explicit TRunForm(TComponent* owner) : TForm(owner) {}
  static inline int Destroyed = 0;
  ~TRunForm() override { ++Destroyed; }
};
}  // namespace

TEST(Application, RunShowsTheMainFormUntilItClosesAndThenFreesTheForms) {
  TRunForm* main = nullptr;
  TRunForm* second = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), main);
  bool shown = false;
  main->OnShow = [&](TObject*) {
    shown = true;
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
  };
  TRunForm::Destroyed = 0;
  Application->Run();
  EXPECT_TRUE(shown);
  EXPECT_EQ(TRunForm::Destroyed, 2);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_FALSE(Application->Terminated());
}

TEST(Application, ImageListsHoldAndDrawImages) {
  TImageList list(nullptr);
  list.SetSize(16, 16);
  TBitmap strip(48, 16, pf24bit);
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(Rect(0, 0, 48, 16));
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(Rect(4, 4, 12, 12));
  strip.Canvas()->Brush()->SetColor(clBlue);
  strip.Canvas()->FillRect(Rect(20, 4, 28, 12));
  int changes = 0;
  TChangeLink link;
  link.OnChange = [&](TObject*) { ++changes; };
  list.RegisterChanges(&link);
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_GE(changes, 1);
  TBitmap out(16, 16, pf24bit);
  list.Draw(out.Canvas(), 0, 0, 1);
  EXPECT_EQ(COLORREF(out.Canvas()->Pixels(8, 8)) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(COLORREF(out.Canvas()->Pixels(1, 1)) & 0xFFFFFF, 0xFFFFFFu);   // masked part left alone
  // Disabled images are drawn embossed, not in their colours.
  TBitmap grey(16, 16, pf24bit);
  list.Draw(grey.Canvas(), 0, 0, 0, false);
  EXPECT_NE(COLORREF(grey.Canvas()->Pixels(8, 8)) & 0xFFFFFF, 0x0000FFu);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THROW(list.Delete(5), EInvalidOperation);
  TIcon icon;
  list.GetIcon(0, &icon);
  EXPECT_EQ(icon.Width(), 16);
}

TEST(Application, ClipboardKeepsChineseTextAndPictures) {
  Clipboard()->SetAsText("客户名称\t电话");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard()->AsText(), "客户名称\t电话");
  UINT csv = RegisterClipboardFormatName("Csv");
  Clipboard()->SetAsBytes(csv, "a,b\r\n");
  EXPECT_EQ(Clipboard()->GetAsBytes(csv).substr(0, 5), "a,b\r\n");
  TBitmap bmp(8, 8, pf24bit);
  bmp.Canvas()->Brush()->SetColor(clLime);
  bmp.Canvas()->FillRect(Rect(0, 0, 8, 8));
  Clipboard()->Assign(&bmp);
  TBitmap back;
  back.Assign(Clipboard());
  EXPECT_EQ(back.Width(), 8);
  EXPECT_EQ(COLORREF(back.Canvas()->Pixels(3, 3)) & 0xFFFFFF, 0x00FF00u);
}

namespace {
// Chooses the first item of the popup menu that is open.
void CALLBACK PickFirstMenuItem(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu) return;
  KillTimer(nullptr, id);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}
}  // namespace

TEST(Application, ContextMenuOfAControlRunsTheChosenItem) {
  std::unique_ptr<TForm> f(new TForm(nullptr));
  f->SetBounds(50, 50, 300, 200);
  auto* popup = new TPopupMenu(f.get());
  auto* copy = new TMenuItem(f.get());
  copy->SetCaption("复制");
  copy->SetShortCut(ShortCut('C', {ssCtrl}));
  popup->Items()->Add(copy);
  auto* paste = new TMenuItem(f.get());
  paste->SetCaption("粘贴");
  popup->Items()->Add(paste);
  int copies = 0, popups = 0;
  copy->OnClick = [&](TObject*) { ++copies; };
  popup->OnPopup = [&](TObject*) { ++popups; };
  f->SetPopupMenu(popup);
  f->Show();
  PumpMessages();
  EXPECT_EQ(ShortCutToText(copy->ShortCut()), "Ctrl+C");
  EXPECT_EQ(TextToShortCut("Ctrl+C"), copy->ShortCut());
  SetTimer(nullptr, 0, 50, PickFirstMenuItem);
  TPoint p = f->ClientToScreen({20, 20});
  SendMessageW(f->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f->Handle()), MAKELPARAM(p.X, p.Y));
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(popup->PopupComponent(), f.get());
}
