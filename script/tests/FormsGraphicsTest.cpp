// Scripts working with the class library's forms, controls, dialogs and
// drawing: a script form whose events run script procedures (var
// parameters handed back to the control), a canvas drawn by a script, and
// the input dialogs.
#include "Dialogs.h"
#include "Forms.h"
#include "Graphics.h"
#include "ScriptTestUtils.h"
#include "Printers.h"
#include "StdCtrls.h"
#include "Utf8.h"
#include "fs_iclassesrtti.h"
#include "fs_idialogsrtti.h"
#include "fs_iformsrtti.h"
#include "fs_igraphicsrtti.h"
#include "gtest.h"

namespace {

// A program with the forms, dialogs and graphics modules; the process-wide
// module list is restored afterwards so other tests' programs stay as they were.
struct FormsRun : ScriptRun {
  std::vector<TfsRTTIModuleClass> Saved = RTTIModuleClasses();
  ~FormsRun() { RTTIModuleClasses() = Saved; }
  FormsRun() {
    fsRegisterClassesRTTI();
    fsRegisterDialogsRTTI();
    fsRegisterGraphicsRTTI();
    fsRegisterFormsRTTI();
    Script->ClearRTTI();
    Script->AddRTTI();
  }
};

// Answers the next dialog box with an action once it is shown.
struct DialogAnswer {
  static inline std::function<void(HWND)> Action;
  HHOOK Hook;
  static void CALLBACK Fire(HWND d, UINT, UINT_PTR, DWORD) {
    KillTimer(d, 79);
    if (Action) Action(d);
  }
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) {
      wchar_t cls[32] = {};
      GetClassNameW(reinterpret_cast<HWND>(w), cls, 32);
      if (lstrcmpW(cls, L"#32770") == 0) SetTimer(reinterpret_cast<HWND>(w), 79, 50, Fire);
    }
    return CallNextHookEx(nullptr, code, w, l);
  }
  explicit DialogAnswer(std::function<void(HWND)> action) {
    Action = std::move(action);
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~DialogAnswer() {
    UnhookWindowsHookEx(Hook);
    Action = nullptr;
  }
};

void Press(HWND dlg, int id) {
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

}  // namespace

TEST(ScriptForms, AScriptFormWithEvents) {
  FormsRun r;
  ASSERT_TRUE(r.Run(R"(var Form: TForm; Edit: TEdit; Button: TButton; List: TListBox;
    clicks, lastKey, resized: Integer; closing: String;
procedure ButtonClick(Sender: TObject);
begin clicks := clicks + 1; end;
procedure EditKeyPress(Sender: TObject; var Key: Char);
begin if Key = 'a' then Key := 'Zq'; end;
procedure EditKeyDown(Sender: TObject; var Key: Word; Shift: Integer);
begin lastKey := Key; if Key = VK_F2 then Key := VK_F3; end;
procedure FormCloseQuery(Sender: TObject; var CanClose: Boolean);
begin CanClose := closing = 'yes'; end;
procedure FormCanResize(Sender: TObject; var NewWidth, NewHeight: Integer; var Resize: Boolean);
begin resized := resized + 1; if NewWidth > 500 then NewWidth := 500; end;
begin
  Form := TForm.Create(nil);
  Form.SetBounds(10, 10, 300, 200);
  Edit := TEdit.Create(Form);
  Edit.Parent := Form;
  Edit.OnKeyPress := 'EditKeyPress';
  Edit.OnKeyDown := 'EditKeyDown';
  Button := TButton.Create(Form);
  Button.Parent := Form;
  Button.SetBounds(10, 40, 80, 24);
  Button.OnClick := 'ButtonClick';
  List := TListBox.Create(Form);
  List.Parent := Form;
  Form.OnCloseQuery := 'FormCloseQuery';
  Form.OnCanResize := 'FormCanResize';
end.)")) << r.Error();
  auto* form = dynamic_cast<TForm*>(fsVariantToObject(r.Get("Form")));
  auto* edit = dynamic_cast<TEdit*>(fsVariantToObject(r.Get("Edit")));
  auto* button = dynamic_cast<TButton*>(fsVariantToObject(r.Get("Button")));
  ASSERT_TRUE(form && edit && button);
  EXPECT_EQ(edit->Parent(), form);
  EXPECT_EQ(button->Left(), 10);
  EXPECT_EQ(button->Width(), 80);

  button->Click();
  button->Click();
  EXPECT_EQ(r.Get("clicks"), Variant(2));

  // Key press: a one-character text replaces the key, a longer one gives
  // its first character; other keys pass unchanged.
  for (wchar_t ch : {L'a', L'b'}) SendMessageW(edit->Handle(), WM_CHAR, ch, 0);
  EXPECT_EQ(edit->Text(), "Zb");
  // Key down: the changed key code reaches the control's own handling.
  Word seen = 0;
  TKeyEvent scripted = edit->OnKeyDown;
  edit->OnKeyDown = [&](TObject* s, Word& key, TShiftState shift) {
    scripted(s, key, shift);
    seen = key;
  };
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_EQ(r.Get("lastKey"), Variant(Integer(VK_F2)));
  EXPECT_EQ(seen, VK_F3);

  bool canClose = true;
  form->OnCloseQuery(form, canClose);
  EXPECT_FALSE(canClose);
  ASSERT_TRUE(r.Run("begin closing := 'yes'; end.")) << r.Error();

  form->SetBounds(0, 0, 900, 200);
  EXPECT_GT(r.Get("resized").AsInteger(), 0);
  EXPECT_EQ(form->Width(), 500);
  delete form;
}

TEST(ScriptForms, ListsCombosAndTheApplication) {
  FormsRun r;
  TForm form(nullptr);
  TListBox list(&form);
  list.SetParent(&form);
  list.SetMultiSelect(true);
  for (const char* s : {"a", "b", "c"}) list.Items()->Add(s);
  r.Script->AddObject("List", &list);
  ASSERT_TRUE(r.Run(R"(var n: Integer; second: Boolean; exe: String; failed: Boolean;
begin
  List.Selected[0] := True;
  List.Selected[2] := True;
  n := List.SelCount;
  second := List.Selected[1];
  exe := Application.ExeName;
  try List.Selected[7] := True; except failed := True; end;
end.)")) << r.Error();
  EXPECT_EQ(r.Get("n"), Variant(2));
  EXPECT_EQ(r.Get("second"), Variant(false));
  EXPECT_EQ(r.Get("failed"), Variant(true));
  EXPECT_NE(VarToStr(r.Get("exe")).find("script_tests"), String::npos);
}

TEST(ScriptGraphics, AScriptDrawsOnABitmapCanvas) {
  FormsRun r;
  // The picture the script draws, for a person to look at.
  const String path = TOVANI_TEST_BINARY_DIR "/script_canvas.bmp";
  DeleteFileW(reinterpret_cast<LPCWSTR>(Utf8ToUtf16(path).c_str()));
  r.Script->AddVariable("Path", "String", Variant(path));
  ASSERT_TRUE(r.Run(R"(var Bmp, Small: TBitmap; corner, inside, stretched, wide: Integer;
begin
  Small := TBitmap.Create;
  Small.Width := 2;
  Small.Height := 2;
  Small.Canvas.Pixels[0, 0] := clBlue;
  Small.Canvas.Pixels[1, 0] := clBlue;
  Small.Canvas.Pixels[0, 1] := clBlue;
  Small.Canvas.Pixels[1, 1] := clBlue;
  Bmp := TBitmap.Create;
  Bmp.Width := 40;
  Bmp.Height := 30;
  Bmp.Canvas.Brush.Color := clWhite;
  Bmp.Canvas.Pen.Color := clWhite;
  Bmp.Canvas.Rectangle(0, 0, 40, 30);
  Bmp.Canvas.Brush.Color := clRed;
  Bmp.Canvas.Pen.Color := clBlack;
  Bmp.Canvas.Rectangle(2, 2, 12, 12);
  Bmp.Canvas.StretchDraw(20, 10, 36, 26, Small);
  corner := Bmp.Canvas.Pixels[2, 2];
  inside := Bmp.Canvas.Pixels[6, 6];
  stretched := Bmp.Canvas.Pixels[30, 20];
  wide := Bmp.Canvas.TextWidth('WWWW');
  Bmp.Canvas.MoveTo(0, 29);
  Bmp.Canvas.LineTo(39, 29);
  Bmp.SaveToFile(Path);
end.)")) << r.Error();
  EXPECT_EQ(r.Get("corner"), Variant(Integer(clBlack)));
  EXPECT_EQ(r.Get("inside"), Variant(Integer(clRed)));
  EXPECT_EQ(r.Get("stretched"), Variant(Integer(clBlue)));
  EXPECT_GT(r.Get("wide").AsInteger(), 8);
  auto* bmp = dynamic_cast<TBitmap*>(fsVariantToObject(r.Get("Bmp")));
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->Canvas()->Pixels(20, 29), clBlack);
  TBitmap saved;
  saved.LoadFromFile(path);
  EXPECT_EQ(saved.Width(), 40);
  EXPECT_EQ(saved.Canvas()->Pixels(6, 6), clRed);
  delete bmp;
  delete fsVariantToObject(r.Get("Small"));
  // The colour map: red, green and blue parts and the system colours.
  EXPECT_EQ(r.Get("clSkyBlue"), Variant(Integer(0xF0CAA6)));
  EXPECT_EQ(r.Get("clBtnFace"), Variant(Integer(clBtnFace)));
}

TEST(ScriptDialogs, InputQueryWritesBackOnlyWhenConfirmed) {
  const char* program = R"(var answer: String; ok: Boolean;
begin answer := 'old'; ok := InputQuery('标题', '名称：', answer); end.)";
  {
    FormsRun r;
    DialogAnswer answer([](HWND d) {
      SetDlgItemTextW(d, 101, L"新名称");
      Press(d, IDOK);
    });
    ASSERT_TRUE(r.Run(program)) << r.Error();
    EXPECT_EQ(r.Get("ok"), Variant(true));
    EXPECT_EQ(r.Get("answer"), Variant("新名称"));
  }
  {
    FormsRun r;
    DialogAnswer answer([](HWND d) { Press(d, IDCANCEL); });
    ASSERT_TRUE(r.Run(program)) << r.Error();
    EXPECT_EQ(r.Get("ok"), Variant(false));
    EXPECT_EQ(r.Get("answer"), Variant("old"));
  }
  {
    FormsRun r;
    DialogAnswer answer([](HWND d) { Press(d, IDYES); });
    ASSERT_TRUE(r.Run("var res: Integer; begin res := MessageDlg('继续?', mtConfirmation, [mbYes, mbNo], 0); end."))
        << r.Error();
    EXPECT_EQ(r.Get("res"), Variant(Integer(mrYes)));
  }
  {
    // The printer-setup dialog: confirmed, the spooler's chosen (default)
    // printer becomes the program's printer.
    FormsRun r;
    DialogAnswer answer([](HWND d) { Press(d, IDOK); });
    ASSERT_TRUE(r.Run("var d: TPrinterSetupDialog; ok: Boolean;\n"
                      "begin d := TPrinterSetupDialog.Create(nil); ok := d.Execute; d.Free; end."))
        << r.Error();
    EXPECT_EQ(r.Get("ok"), Variant(true));
    EXPECT_EQ(Printer()->Printers()->Strings(Printer()->PrinterIndex()), "TovaniPDF");
  }
}

TEST(ScriptGraphics, AMetafileRecordedOnItsCanvasAndDrawn) {
  FormsRun r;
  ASSERT_TRUE(r.Run(R"(var mf: TMetafile; mc: TMetafileCanvas; bmp: TBitmap; drawn, empty: Integer;
begin
  mf := TMetafile.Create;
  mf.Width := 20;
  mf.Height := 20;
  mc := TMetafileCanvas.Create(mf, 0);
  mc.Brush.Color := clGreen;
  mc.Pen.Color := clGreen;
  mc.Rectangle(0, 0, 20, 20);
  mc.Free;
  bmp := TBitmap.Create;
  bmp.Width := 40;
  bmp.Height := 40;
  bmp.Canvas.Brush.Color := clWhite;
  bmp.Canvas.Pen.Color := clWhite;
  bmp.Canvas.Rectangle(0, 0, 40, 40);
  bmp.Canvas.Draw(10, 10, mf);
  drawn := bmp.Canvas.Pixels[20, 20];
  empty := bmp.Canvas.Pixels[35, 35];
  bmp.Free;
  mf.Free;
end.)")) << r.Error();
  EXPECT_EQ(r.Get("drawn"), Variant(Integer(clGreen)));
  EXPECT_EQ(r.Get("empty"), Variant(Integer(clWhite)));
}
