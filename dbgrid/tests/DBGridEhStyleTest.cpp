// The grid style: mixed highlight colours and soft selection.
#include <memory>

#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

TEST(DBGridEhStyle, MixHighlightColor) {
  struct Case {
    TColor color, mix;
    bool contrast;
    COLORREF expected;
  } cases[] = {
      {clWhite, clWhite, false, RGB(237, 237, 237)},   // 255 + (225 - 255) * 0.6
      {clWhite, clWhite, true, RGB(255, 255, 255)},    // 265.75 limited to 255
      {clBlack, clBlack, false, RGB(135, 135, 135)},   // 0 + 225 * 0.6
      {clBlack, clBlack, true, RGB(138, 138, 138)},    // 135 + (135 - 122) * 0.25 = 138.25
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColorToRGB(TDBGridEhStyle::MixHighlightColor(c.color, c.mix, c.contrast)), c.expected)
        << std::hex << c.expected;
}

TEST(DBGridEhStyle, SelectedCellsMixWithTheHighlight) {
  TMemDataSet data;
  data.FieldDefs().Add("ID", ftInteger);
  data.CreateDataSet();
  for (int i = 1; i <= 3; ++i) data.AppendRecord({Variant(i)});
  data.First();
  TDataSource src;
  src.SetDataSet(&data);
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(40, 40, 300, 200);
  auto* grid = new TDBGridEh(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 0, 280, 160);
  grid->SetOptions(grid->Options() + dgMultiSelect);
  grid->SetDataSource(&src);
  form->Show();
  grid->SetFocus();
  PumpMessages();
  ASSERT_EQ(grid->Style(), GetGlobalGridStyle());
  grid->Selection()->SelectAll();
  grid->Invalidate();
  PumpMessages();
  auto pixel = [&](Integer row) {
    TRect r = grid->CellClientRect(1, row);
    return ClientPixel(grid, r.Right - 3, r.Bottom - 3);
  };
  TDBGridEhStyle* style = grid->Style();
  EXPECT_EQ(style->ScreenColors(), -1);
  if (style->ScreenColors() == -1 && grid->HasFocus()) {
    EXPECT_EQ(pixel(1), ColorToRGB(clHighlight));   // the current cell stays plain
    COLORREF mixed = ColorToRGB(TDBGridEhStyle::MixHighlightColor(clWindow, clHighlight, true));
    EXPECT_EQ(pixel(2), mixed);
    // Without soft selection every selected cell is plain highlight.
    style->SetSoftSelection(false);
    grid->Invalidate();
    PumpMessages();
    EXPECT_EQ(pixel(2), ColorToRGB(clHighlight));
    style->SetSoftSelection(true);
  }
  // A style of its own; freeing it sends the grid back to the global one.
  auto own = std::make_unique<TDBGridEhStyle>();
  grid->SetStyle(own.get());
  EXPECT_TRUE(own->HasGrid(grid));
  EXPECT_FALSE(GetGlobalGridStyle()->HasGrid(grid));
  own.reset();
  EXPECT_EQ(grid->Style(), GetGlobalGridStyle());
  form.reset();
}

}   // namespace
