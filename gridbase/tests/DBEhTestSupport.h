// A shown form over a small in-memory customer table for the data-aware
// edit tests, and typing as the keyboard does (into the focused window).
#pragma once
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>
#include "DBCtrlsEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "TestWindows.h"
#include "gtest.h"

// Unicode characters through the keyboard input of the focused window.
inline void TypeText(const std::u16string& text) {
  std::vector<INPUT> in;
  for (char16_t c : text) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wScan = WORD(c);
    i.ki.dwFlags = KEYEVENTF_UNICODE;
    in.push_back(i);
    i.ki.dwFlags |= KEYEVENTF_KEYUP;
    in.push_back(i);
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
  PumpMessages(2);
}

// A virtual key, with Ctrl held when asked.
inline void PressKey(WORD vk, bool ctrl = false, bool alt = false) {
  std::vector<INPUT> in;
  auto key = [&](WORD k, DWORD flags) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = flags;
    in.push_back(i);
  };
  if (ctrl) key(VK_CONTROL, 0);
  if (alt) key(VK_MENU, 0);
  key(vk, 0);
  key(vk, KEYEVENTF_KEYUP);
  if (alt) key(VK_MENU, KEYEVENTF_KEYUP);
  if (ctrl) key(VK_CONTROL, KEYEVENTF_KEYUP);
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
  PumpMessages(2);
}

// What a control paints, read back from a bitmap (not from the screen,
// where another test's window may lie on top): pixels at client points.
struct TControlShot {
  TBitmap Bitmap;
  int OffsetX = 0, OffsetY = 0;
  explicit TControlShot(TWinControl* c) {
    RECT wr;
    GetWindowRect(c->Handle(), &wr);
    POINT co{0, 0};
    ClientToScreen(c->Handle(), &co);
    OffsetX = co.x - wr.left;
    OffsetY = co.y - wr.top;
    Bitmap.SetSize(wr.right - wr.left, wr.bottom - wr.top);
    c->PaintTo(Bitmap.Canvas()->Handle(), 0, 0);
  }
  COLORREF Pixel(int x, int y) { return GetPixel(Bitmap.Canvas()->Handle(), x + OffsetX, y + OffsetY); }
};

struct DBEhFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TMemDataSet* Data = nullptr;
  TDataSource* Source = nullptr;
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 420, 260);
    Data = new TMemDataSet(Form.get());
    Data->FieldDefs().Add("C_Name", ftWideString, 20);
    Data->FieldDefs().Add("C_Code", ftString, 6);
    Data->FieldDefs().Add("C_Price", ftFloat);
    Data->FieldDefs().Add("C_Qty", ftInteger);
    Data->FieldDefs().Add("C_Total", ftFloat);
    Data->FieldDefs().Add("C_Date", ftDateTime);
    Data->FieldDefs().Add("C_Vip", ftBoolean);
    Data->FieldDefs().Add("C_Kind", ftString, 4);
    Data->CreateDataSet();
    static_cast<TNumericField*>(Data->FieldByName("C_Price"))->SetDisplayFormat("#,##0.00");
    Data->AppendRecord({Variant("张三"), Variant("A1"), Variant(1234.5), Variant(3), Variant(10.0),
                        Variant::FromDate(45412.6041666667), Variant(true), Variant("2")});
    Data->AppendRecord({Variant("李四"), Variant::Null(), Variant(8.0), Variant(1), Variant(2.0), Variant::Null(),
                        Variant::Null(), Variant("yes")});
    Data->FieldByName("C_Total")->SetReadOnly(true);
    Data->First();
    Source = new TDataSource(Form.get());
    Source->SetDataSet(Data);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Application->OnException = nullptr;
    Form.reset();
  }
  template <class T>
  T* AddEdit(const char* field, int top, int left = 10) {
    auto* c = new T(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(left, top, 150, 21);
    if (field) {
      c->SetDataSource(Source);
      c->SetDataField(field);
    }
    return c;
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    PumpMessages(2);
  }
};

// A field of a test's in-memory dataset.
struct TTestFieldEh {
  const char* Name;
  TFieldType Type;
  Integer Size = 0;
};

// A shown form with a grid of class TGrid (the data grid or a test's own
// subclass of it) over an in-memory dataset with the test's fields, open,
// empty and not yet bound to the grid; the grid's font, and its title font
// when asked, is 宋体 of 12 pixels. The form is 20 pixels wider and 40
// higher than the grid.
template <class TGrid>
class GridFormFixture : public ::testing::Test {
 protected:
  void MakeGrid(std::initializer_list<TTestFieldEh> Fields, int GridWidth, int GridHeight, bool TitleFont = false) {
    Data = std::make_unique<TMemDataSet>();
    for (const TTestFieldEh& f : Fields) Data->FieldDefs().Add(f.Name, f.Type, f.Size);
    if (Fields.size() > 0) Data->CreateDataSet();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, GridWidth + 20, GridHeight + 40);
    Grid = new TGrid(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, GridWidth, GridHeight);
    Grid->Font()->SetName("宋体");
    Grid->Font()->SetHeight(-12);
    if (TitleFont) {
      Grid->TitleFont()->SetName("宋体");
      Grid->TitleFont()->SetHeight(-12);
    }
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    Source.reset();
    Data.reset();
  }
  std::unique_ptr<TMemDataSet> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
  TGrid* Grid = nullptr;
};
