// The BLOB editor: what the box shows for each kind and style, and memo
// text edited in its popup, kept on F4 and dropped on Esc.
#include <functional>
#include <memory>

#include "Clipbrd.h"
#include "FormFile.h"
#include "Forms.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxBlobEdit.h"
#include "cxButtons.h"
#include "gtest.h"

namespace {
void CALLBACK CloseStrayBlobPopups(HWND, UINT, UINT_PTR, DWORD) {
  while (TcxCustomPopupWindow::OpenPopupCount() > 0) TcxCustomPopupWindow::OpenPopup(0)->ClosePopup();
}

// Runs an action once the popup's loop has handled what is queued now
// (timer messages come after every posted message).
std::function<void()> GSoon;
void CALLBACK RunSoonProc(HWND, UINT, UINT_PTR AId, DWORD) {
  KillTimer(nullptr, AId);
  auto f = std::move(GSoon);
  if (f) f();
}
void RunSoon(std::function<void()> AAction) {
  GSoon = std::move(AAction);
  SetTimer(nullptr, 0, 1, &RunSoonProc);
}

struct BlobFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxBlobEdit* B = nullptr;
  UINT_PTR Timer = 0;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 320);
    B = new TcxBlobEdit(Form.get());
    B->SetBounds(20, 20, 180, 24);
    B->SetParent(Form.get());
    Form->Show();
    PumpMessages(2);
    B->SetFocus();
    PumpMessages(1);
    Timer = SetTimer(nullptr, 0, 4000, &CloseStrayBlobPopups);
  }
  void TearDown() override {
    KillTimer(nullptr, Timer);
    Form.reset();
    PumpMessages(1);
  }
  void PostKey(HWND H, Word K) {
    PostMessageW(H, WM_KEYDOWN, K, 1);
    PostMessageW(H, WM_KEYUP, K, 0xC0000001);
  }
};
}  // namespace

TEST(BlobEditProperties, BoxTextAndIconPerKindAndStyle) {
  TcxBlobEditProperties p;
  Variant memo(String("第一行\r\n第二行"));
  struct Case {
    TcxBlobEditKind Kind;
    TcxBlobPaintStyle Style;
    Variant Value;
    String Text;
    Integer Icon;
  } cases[] = {
      {bekMemo, bpsDefault, Null(), "(memo)", -1},
      {bekMemo, bpsDefault, memo, "(MEMO)", -1},
      {bekPict, bpsDefault, Null(), "(picture)", -1},
      {bekPict, bpsDefault, Variant(String("data")), "(PICTURE)", -1},
      {bekOle, bpsDefault, Variant(String("data")), "", -1},
      {bekMemo, bpsText, memo, "第一行", -1},
      {bekMemo, bpsIcon, Null(), "", 2},
      {bekMemo, bpsIcon, memo, "", 3},
      {bekPict, bpsIcon, Variant(String()), "", 4},
      {bekOle, bpsIcon, Variant(String("x")), "", 7},
      {bekBlob, bpsIcon, Variant(String("x")), "", 1},
  };
  for (const Case& c : cases) {
    p.SetBlobEditKind(c.Kind);
    p.SetBlobPaintStyle(c.Style);
    EXPECT_EQ(p.GetBoxText(c.Value), c.Text) << int(c.Kind) << int(c.Style);
    EXPECT_EQ(p.GetIconIndex(c.Value), c.Icon) << int(c.Kind) << int(c.Style);
  }
  // Unbound, an automatic kind becomes binary.
  TcxBlobEditProperties a;
  EXPECT_EQ(a.ResolveAutoKind(), bekBlob);
  EXPECT_EQ(a.GetDisplayText(Variant(String("x"))), "BLOB");
  EXPECT_EQ(a.GetDisplayText(Null()), "");
  a.SetBlobEditKind(bekMemo);
  EXPECT_EQ(a.GetDisplayText(memo, true), "第一行\r\n第二行");
}

TEST_F(BlobFixture, MemoEditedInThePopupIsKeptOnF4AndDroppedOnEsc) {
  B->Properties()->SetBlobEditKind(bekMemo);
  B->SetEditValue(Variant(String("第一行\r\n第二行")));
  PumpMessages(1);
  WriteWindowPng(B, "cxBlobEdit_memo_icon");
  bool opened = false;
  struct Round {
    Word CloseKey;
    bool Kept;
  };
  int changes = 0;
  B->Properties()->OnChange = [&](TObject*) { ++changes; };
  for (const Round& r : {Round{VK_ESCAPE, false}, Round{VK_F4, true}}) {
    opened = false;
    changes = 0;
    B->Properties()->OnPopup = [&](TObject*) {
      opened = true;
      auto* memo = dynamic_cast<TcxPopupMemo*>(B->PopupContent());
      ASSERT_NE(memo, nullptr);
      EXPECT_EQ(memo->Text(), "第一行\r\n第二行");
      HWND inner = memo->InnerTextEdit()->Handle();
      PostMessageW(inner, WM_CHAR, WPARAM(U'新'), 1);
      PostKey(inner, r.CloseKey);
    };
    B->SetDroppedDown(true);
    PumpMessages(3);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(B->DroppedDown());
    String value = VarToStr(B->EditValue());
    EXPECT_EQ(value.find("新") != String::npos, r.Kept) << value;
    EXPECT_NE(value.find("第二行"), String::npos);
    // One change is one OnChange.
    EXPECT_EQ(changes, r.Kept ? 1 : 0);
  }
  EXPECT_TRUE(B->EditModified());
  B->Properties()->SetBlobPaintStyle(bpsText);
  PumpMessages(1);
  WriteWindowPng(B, "cxBlobEdit_memo_text");
}

TEST_F(BlobFixture, PopupButtonsSaveOnOkAndOnlyCloseWhenReadOnly) {
  B->Properties()->SetBlobEditKind(bekMemo);
  B->SetEditValue(Variant(String("旧")));
  int changes = 0;
  B->Properties()->OnChange = [&](TObject*) { ++changes; };
  struct Round {
    bool ReadOnly;
    String CancelCaption;
    bool HasOk;
  };
  for (const Round& r : {Round{false, "&Cancel", true}, Round{true, "&Close", false}}) {
    B->Properties()->SetReadOnly(r.ReadOnly);
    bool opened = false;
    B->Properties()->OnPopup = [&](TObject*) {
      opened = true;
      TcxButton* cancel = B->CancelButton();
      ASSERT_NE(cancel, nullptr);
      EXPECT_EQ(cancel->Caption(), r.CancelCaption);
      EXPECT_EQ(cancel->ModalResult(), mrCancel);
      ASSERT_EQ(B->OKButton() != nullptr, r.HasOk);
      // The buttons sit side by side in the panel below the memo.
      TRect memo = B->PopupContent()->BoundsRect();
      EXPECT_GE(cancel->Top(), memo.Bottom);
      EXPECT_LE(cancel->BoundsRect().Right, B->PopupWindow()->Width());
      auto* content = dynamic_cast<TcxPopupMemo*>(B->PopupContent());
      EXPECT_EQ(content->ActiveProperties()->ReadOnly(), r.ReadOnly);
      if (!r.HasOk) {
        PostMessageW(cancel->Handle(), BM_CLICK, 0, 0);
        return;
      }
      TcxButton* ok = B->OKButton();
      EXPECT_EQ(ok->Caption(), "&OK");
      EXPECT_LT(ok->BoundsRect().Right, cancel->Left());
      EXPECT_FALSE(ok->Enabled());   // nothing changed yet
      PostMessageW(content->InnerTextEdit()->Handle(), WM_CHAR, WPARAM(U'新'), 1);
      RunSoon([&, ok] {
        EXPECT_TRUE(ok->Enabled());
        EXPECT_TRUE(ok->Default());
        WriteWindowPng(B->PopupWindow(), "cxBlobEdit_memo_popup");
        PostMessageW(ok->Handle(), BM_CLICK, 0, 0);
      });
    };
    B->SetDroppedDown(true);
    PumpMessages(3);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(B->DroppedDown());
  }
  // OK kept the change (one OnChange); the read-only popup only closed.
  EXPECT_NE(VarToStr(B->EditValue()).find("新"), String::npos);
  EXPECT_EQ(changes, 1);
}

TEST_F(BlobFixture, MemoAutoReplaceStartsTheTextWithTheTypedCharacter) {
  B->Properties()->SetBlobEditKind(bekMemo);
  B->SetEditValue(Variant(String("旧的文字")));
  for (bool replace : {true, false}) {
    B->Properties()->SetMemoAutoReplace(replace);
    bool checked = false;
    B->Properties()->OnPopup = [&](TObject*) {
      RunSoon([&] {
        checked = true;
        auto* memo = dynamic_cast<TcxPopupMemo*>(B->PopupContent());
        ASSERT_NE(memo, nullptr);
        String shown = memo->Text();
        if (replace) {
          EXPECT_EQ(shown, "x");
          EXPECT_EQ(memo->SelStart(), 1);
          EXPECT_TRUE(memo->EditModified());
        } else {
          EXPECT_NE(shown.find("旧的文字"), String::npos) << shown;
        }
        B->CloseFromPopup(false);
      });
    };
    HWND focus = GetFocus();
    ASSERT_NE(focus, nullptr);
    PostMessageW(focus, WM_CHAR, WPARAM(U'x'), 1);
    PumpMessages(3);
    EXPECT_TRUE(checked) << replace;
    EXPECT_FALSE(B->DroppedDown());
    EXPECT_EQ(VarToStr(B->EditValue()), "旧的文字");
    B->SetFocus();
    PumpMessages(1);
  }
}

TEST(BlobEditProperties, SettingsStreamIncludingNoPictureClass) {
  // Through a repository item, which streams its properties.
  TcxEditRepositoryBlobItem a;
  a.SetName("Photo");
  TcxBlobEditProperties* p = a.Properties();
  p->SetBlobEditKind(bekPict);
  p->SetMemoMaxLength(200);
  p->SetShowExPopupItems(false);
  p->SetPictureGraphicClassName("");
  p->SetImmediatePopup(false);   // on by default for this editor
  String text = ComponentToText(&a);
  EXPECT_EQ(text.find("PopupMinWidth"), String::npos) << text;
  EXPECT_NE(text.find("IsPictureGraphicClassNameEmpty = True"), String::npos) << text;
  TcxEditRepositoryBlobItem b;
  ReadComponentFromText(text, &b);
  EXPECT_EQ(b.Properties()->BlobEditKind(), bekPict);
  EXPECT_EQ(b.Properties()->MemoMaxLength(), 200);
  EXPECT_FALSE(b.Properties()->ShowExPopupItems());
  EXPECT_FALSE(b.Properties()->ImmediatePopup());
  EXPECT_EQ(b.Properties()->PictureGraphicClass(), nullptr);
  // A class name picks the class, ignoring case; an unknown name changes nothing.
  b.Properties()->SetPictureGraphicClassName("tjpegimage");
  EXPECT_EQ(b.Properties()->PictureGraphicClassName(), "TJPEGImage");
  b.Properties()->SetPictureGraphicClassName("TNoSuchPicture");
  EXPECT_EQ(b.Properties()->PictureGraphicClassName(), "TJPEGImage");
}

TEST_F(BlobFixture, PicturePastedInThePopupIsSavedOnOk) {
  B->Properties()->SetBlobEditKind(bekPict);
  B->Properties()->SetPictureAutoSize(false);
  auto picture = [](TColor AColor, Integer AWidth) {
    TBitmap b(AWidth, 20, pf24bit);
    b.Canvas()->Brush()->SetColor(AColor);
    b.Canvas()->FillRect(TRect(0, 0, AWidth, 20));
    TPicture p;
    p.SetGraphic(&b);
    return cxSavePicture(&p);
  };
  B->SetEditValue(Variant(picture(clRed, 30)));
  {
    TBitmap green(50, 20, pf24bit);
    green.Canvas()->Brush()->SetColor(clGreen);
    green.Canvas()->FillRect(TRect(0, 0, 50, 20));
    Clipboard()->Assign(&green);
  }
  Integer assigned = 0;
  B->Properties()->OnAssignPicture = [&](TObject*, TPicture* P) { assigned = P->Width(); };
  B->Properties()->OnPopup = [&](TObject*) {
    auto* image = dynamic_cast<TcxPopupImage*>(B->PopupContent());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Picture()->Width(), 30);   // the value's picture
    ASSERT_NE(B->OKButton(), nullptr);
    PostMessageW(image->Handle(), WM_CHAR, 22, 1);   // Ctrl+V
    RunSoon([&, image] {
      EXPECT_EQ(image->Picture()->Width(), 50);
      EXPECT_TRUE(B->OKButton()->Enabled());
      WriteWindowPng(B->PopupWindow(), "cxBlobEdit_picture_popup");
      PostMessageW(B->OKButton()->Handle(), BM_CLICK, 0, 0);
    });
  };
  B->SetDroppedDown(true);
  PumpMessages(3);
  EXPECT_FALSE(B->DroppedDown());
  EXPECT_EQ(assigned, 50);
  TPicture saved;
  cxLoadPicture(&saved, nullptr, B->EditValue());
  EXPECT_EQ(saved.Width(), 50);
}

// A value the user changed is validated when the editor is left: binary data
// and memo lines must come out of that unchanged (no kind keeps its value in
// the hidden one-line edit window).
TEST_F(BlobFixture, ValidationKeepsBinaryAndMemoValuesWhole) {
  const String binary("\x89PNG\r\n\x1a\n\0\0\xff\xfe\x80 tail", 17);
  struct Case {
    TcxBlobEditKind Kind;
    TcxBlobPaintStyle Style;
    String Value, Text;
  } cases[] = {
      {bekPict, bpsIcon, binary, ""},
      {bekBlob, bpsDefault, binary, ""},
      {bekMemo, bpsIcon, "第一行\r\n第二行", "第一行\r\n第二行"},
      {bekMemo, bpsDefault, "第一行\r\n第二行", "第一行\r\n第二行"},
  };
  for (const Case& c : cases) {
    B->Properties()->SetBlobEditKind(c.Kind);
    B->Properties()->SetBlobPaintStyle(c.Style);
    B->SetEditValue(Variant(c.Value));
    B->SetEditChanged(true);   // as after a popup was saved
    EXPECT_TRUE(B->ValidateInput(false));
    EXPECT_EQ(VarToStr(B->EditValue()), c.Value) << int(c.Kind);
    EXPECT_EQ(B->Text(), c.Text) << int(c.Kind);
  }
  // A memo takes text as its value; the other kinds refuse it.
  B->SetText("新的");
  EXPECT_EQ(VarToStr(B->EditValue()), "新的");
  B->Properties()->SetBlobEditKind(bekPict);
  B->SetText("x");
  EXPECT_EQ(VarToStr(B->EditValue()), "新的");
}

// In a grid cell the box is painted from its view info alone: the value's
// icon centred in the cell, or its word.
TEST(BlobEditPainting, InPlaceCellShowsTheIconOrTheWord) {
  struct Case {
    TcxBlobEditKind Kind;
    TcxBlobPaintStyle Style;
    Variant Value;
    Integer Icon;
    const char* Png;
  } cases[] = {
      {bekPict, bpsIcon, Variant(String("data")), 5, "cxBlobEdit_inplace_icon"},
      {bekMemo, bpsIcon, Null(), 2, nullptr},
      {bekMemo, bpsDefault, Variant(String("x")), -1, "cxBlobEdit_inplace_word"},
  };
  const TRect cell(0, 0, 80, 22);
  for (const Case& c : cases) {
    TcxBlobEdit box(nullptr);
    box.Properties()->SetBlobEditKind(c.Kind);
    box.Properties()->SetBlobPaintStyle(c.Style);
    std::unique_ptr<TcxCustomEditViewInfo> vi(box.Properties()->CreateViewInfo());
    std::unique_ptr<TcxCustomEditViewData> vd(box.Properties()->CreateViewData(box.Style(), true));
    TBitmap bmp(cell.Width(), cell.Height(), pf24bit);
    TcxCanvas canvas(bmp.Canvas());
    vd->PrepareViewInfoForPaint(&canvas, c.Value, vi.get());
    vd->Calculate(&canvas, cell, TPoint(-1, -1), 0, {}, vi.get(), false);
    vi->PaintOn(&canvas);
    auto* blob = static_cast<TcxBlobEditViewInfo*>(vi.get());
    EXPECT_EQ(blob->IconIndex, c.Icon) << int(c.Kind);
    if (c.Png) WriteTestPng(&bmp, c.Png);
    // Ink left of the drop-down button: the icon sits in the middle of the
    // text area, the word starts at its left.
    const TRect& area = blob->ClientRect;
    TColor background = bmp.Canvas()->Pixels(area.Left + 1, area.Bottom - 2);
    Integer inkLeft = INT_MAX;
    for (Integer x = area.Left; x < area.Right; ++x)
      for (Integer y = area.Top; y < area.Bottom; ++y)
        if (bmp.Canvas()->Pixels(x, y) != background) inkLeft = std::min(inkLeft, x);
    ASSERT_LT(inkLeft, INT_MAX) << int(c.Kind);
    if (c.Icon >= 0) {
      EXPECT_GE(inkLeft, blob->IconRect.Left) << int(c.Kind);
      EXPECT_LT(inkLeft, blob->IconRect.Left + 5) << int(c.Kind);
      EXPECT_GT(blob->IconRect.Left, area.Left + 10);
    } else
      EXPECT_LT(inkLeft, area.Left + 6);
  }
}

// An open popup memo follows the editor's input method, font and colour
// changed meanwhile (so do the popup's buttons).
TEST_F(BlobFixture, OpenPopupFollowsTheEditorsSettingsAndLook) {
  B->Properties()->SetBlobEditKind(bekMemo);
  B->SetEditValue(Variant(String("备注")));
  bool checked = false;
  B->Properties()->OnPopup = [&](TObject*) {
    auto* memo = dynamic_cast<TcxPopupMemo*>(B->PopupContent());
    ASSERT_NE(memo, nullptr);
    B->Properties()->SetImeName("拼音");
    B->Style()->Font()->SetSize(14);
    B->Style()->SetColor(clInfoBk);
    EXPECT_EQ(memo->Properties()->ImeName(), "拼音");
    EXPECT_EQ(memo->Style()->Font()->Size(), 14);
    EXPECT_EQ(memo->Style()->Color(), clInfoBk);
    EXPECT_EQ(B->CancelButton()->Font()->Size(), 14);
    checked = true;
    B->CloseFromPopup(false);
  };
  B->SetDroppedDown(true);
  PumpMessages(3);
  EXPECT_TRUE(checked);
  EXPECT_FALSE(B->DroppedDown());
}
