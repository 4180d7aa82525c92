// Dialog pages (their window, bounds and script events) and the registries
// of report object classes, property editors and export filters.
#include <memory>

#include "Controls.h"
#include "Forms.h"
#include "Strings.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "frxDsgnIntf.h"
#include "frxVariables.h"
#include "gtest.h"

namespace {

struct DialogFixture : ::testing::Test {
  void SetUp() override {
    report = std::make_unique<TfrxReport>();
    report->EngineOptions()->NewSilentMode = simSilent;
    // A window kept after the run runs its script events at any time.
    report->EngineOptions()->DestroyForms = false;
  }
  TfrxDialogPage* NewPage(const char* script) {
    auto* page = new TfrxDialogPage(report.get());
    page->SetName("DialogPage1");
    report->ScriptText()->SetText(script);
    EXPECT_TRUE(report->PrepareScript()) << report->Errors()->Text();
    page->ConnectForm();
    return page;
  }
  std::unique_ptr<TfrxReport> report;
};

}  // namespace

TEST_F(DialogFixture, ThreadSafeWindowAndTheTagComesBack) {
  report->EngineOptions()->EnableThreadSafe = true;
  auto* page = new TfrxDialogPage(report.get());
  EXPECT_TRUE(page->DialogForm()->ThreadSafe());
  EXPECT_EQ(page->Tag(), 0);
  report->EngineOptions()->EnableThreadSafe = false;
  auto* plain = new TfrxDialogPage(report.get());
  EXPECT_FALSE(plain->DialogForm()->ThreadSafe());
}

TEST_F(DialogFixture, BoundsCaptionAndColourReachTheWindow) {
  auto* page = new TfrxDialogPage(report.get());
  page->SetWidth(300.6);
  EXPECT_DOUBLE_EQ(page->Width(), 300.6);
  EXPECT_EQ(page->DialogForm()->Width(), 301);
  page->SetCaption("选择日期");
  EXPECT_EQ(page->DialogForm()->Caption(), "选择日期");
  EXPECT_EQ(page->Color(), clBtnFace);
  EXPECT_EQ(page->Font()->Name(), "Tahoma");
  // Controls on the page live in its window; their bounds are their own.
  auto* child = new TfrxDialogPage(report.get());
  EXPECT_EQ(child->ChildControlParent(), child->DialogForm());
}

TEST_F(DialogFixture, KeyPressAndCloseQueryGoThroughTheScript) {
  auto* page = NewPage(
      "procedure KeyPress(Sender: TfrxComponent; var Key: String); begin if Key = 'a' then Key := '' end;\n"
      "procedure CloseQuery(Sender: TfrxComponent; var CanClose: Boolean); begin CanClose := False end;\n"
      "begin end.");
  page->OnKeyPress = "KeyPress";
  page->OnCloseQuery = "CloseQuery";
  page->ConnectForm();
  char32_t key = U'a';
  page->DialogForm()->OnKeyPress(page->DialogForm(), key);
  EXPECT_EQ(key, 0u);
  key = U'中';
  page->DialogForm()->OnKeyPress(page->DialogForm(), key);
  EXPECT_EQ(key, U'中');
  bool canClose = true;
  page->DialogForm()->OnCloseQuery(page->DialogForm(), canClose);
  EXPECT_FALSE(canClose);
}

TEST_F(DialogFixture, ShowModalRunsTheWindowAndItsEvents) {
  auto* page = NewPage("procedure Show(Sender: TfrxComponent); begin Set('shown', 1) end;\nbegin end.");
  page->OnShow = "Show";
  // Closing the window ends the modal loop with the cancel result.
  PostMessageW(page->DialogForm()->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(page->ShowModal(), mrCancel);
  EXPECT_FALSE(page->DialogForm()->Visible());
  EXPECT_EQ(report->Variables()->Variables("shown").AsInteger(), 1);
  EXPECT_EQ(page->DialogForm()->FormStyle(), fsStayOnTop);
}

// ---------------------------------------------------------------------------
// Registries

TEST(frxObjectRegistry, SameClassAndFlagsOnceAndCategoriesDerived) {
  TfrxObjectCollection r;
  r.AddObjectClass(TfrxMemoView::StaticClass(), nullptr, 0, 3);
  r.AddObjectClass(TfrxMemoView::StaticClass(), nullptr, 0, 4);
  EXPECT_EQ(r.Count(), 1);
  r.AddObjectClass(TfrxMemoView::StaticClass(), nullptr, 0, 5, 1);
  EXPECT_EQ(r.Count(), 2);
  EXPECT_EQ(r.Items(0)->Category, 2);
  EXPECT_EQ(r.ImageIndexOf(TfrxMemoView::StaticClass()), 3);
  r.AddObjectClass(TfrxDBDataset::StaticClass(), nullptr);
  EXPECT_EQ(r.Items(2)->Category, 1);
  r.AddObjectClass(TfrxDialogControl::StaticClass(), nullptr);
  EXPECT_EQ(r.Items(3)->Category, 4);
  r.RemoveObjectClass(TfrxMemoView::StaticClass());
  EXPECT_EQ(r.Count(), 2);
  EXPECT_EQ(r.ImageIndexOf(TfrxMemoView::StaticClass()), -1);
  EXPECT_EQ(frxExportFilterRegistry()->Count(), 0);
  EXPECT_EQ(frxPropertyEditorRegistry()->Count(), 11);
}

TEST(frxPropertyEditor, ModalResultShortCutAndColourEditors) {
  TfrxDialogPage page;
  TfrxModalResultProperty mr;
  mr.SetTarget({&page}, "ModalResult");
  page.SetModalResult(10);
  EXPECT_EQ(mr.ValueText(), "mrYesToAll");
  EXPECT_TRUE(mr.EditValue());  // the next value after the last is the first
  EXPECT_EQ(page.ModalResult(), 0);
  page.SetModalResult(11);
  EXPECT_EQ(mr.ValueText(), "11");
  mr.SetValueText("MRCANCEL");
  EXPECT_EQ(page.ModalResult(), 2);
  mr.SetValueText("");
  EXPECT_EQ(page.ModalResult(), 0);

  TfrxShapeView shape;
  TfrxColorProperty color;
  color.SetTarget({&shape}, "Color");
  color.SetValueText("clRed");
  EXPECT_EQ(shape.Color(), clRed);
  EXPECT_EQ(color.ValueText(), "clRed");
  color.SetValueText("255");
  EXPECT_EQ(shape.Color(), 255);
  color.FillValues();
  EXPECT_GE(color.Values()->IndexOf("clBlue"), 0);
  EXPECT_EQ(color.Attributes(), 73);

  TfrxShortCutProperty sc;
  sc.FillValues();
  EXPECT_EQ(sc.Values()->Count(), 109);
}
