// Action links: what a control, a check box, a tool button and a menu item
// take over from their action, and the link a control class makes itself.
#include <memory>
#include <vector>
#include "ActnList.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "gtest.h"

namespace {

// A check box whose own link records the values the action hands it, as a
// control library's check box does with its own link class.
class TRecordingCheckLink : public TButtonActionLink {
 public:
  using TButtonActionLink::TButtonActionLink;
  std::vector<String> Log;
  void SetChecked(bool Value) override {
    // Called before the action takes the value: still linked to the old one.
    Log.push_back(String(Value ? "checked" : "unchecked") + (IsCheckedLinked() ? " linked" : " unlinked"));
    TButtonActionLink::SetChecked(Value);
  }
};

class TRecordingCheckBox : public TCheckBox {
 public:
  using TCheckBox::TCheckBox;
  std::unique_ptr<TControlActionLink> CreateActionLink() override {
    return std::make_unique<TRecordingCheckLink>(this);
  }
};

struct ActionFixture : ::testing::Test {
  std::unique_ptr<TForm> Form{new TForm(nullptr)};
  TActionList* List = new TActionList(Form.get());
  TAction* Act = new TAction(Form.get());
  void SetUp() override {
    Act->SetActionList(List);
    Act->SetCaption("保存");
    Act->SetHint("保存单据");
    Act->SetShortCut(TShortCut(0x4000 | 'S'));   // Ctrl+S
    Act->SetImageIndex(3);
  }
};

}  // namespace

TEST_F(ActionFixture, ControlsFollowTheActionThroughTheirLinkClass) {
  auto* button = new TButton(Form.get());
  button->SetParent(Form.get());
  int executed = 0;
  Act->OnExecute = [&](TObject*) { ++executed; };
  button->SetAction(Act);
  // A windowed control's link is the windowed kind; a button's knows checks.
  EXPECT_TRUE(dynamic_cast<TWinControlActionLink*>(button->ActionLink()));
  EXPECT_TRUE(dynamic_cast<TButtonActionLink*>(button->ActionLink()));
  auto* label = new TLabel(Form.get());
  label->SetParent(Form.get());
  label->SetAction(Act);
  EXPECT_FALSE(dynamic_cast<TWinControlActionLink*>(label->ActionLink()));

  EXPECT_EQ(button->Caption(), "保存");
  EXPECT_EQ(button->Hint(), "保存单据");
  Act->SetEnabled(false);
  Act->SetCaption("另存");
  Act->SetVisible(false);
  EXPECT_FALSE(button->Enabled());
  EXPECT_EQ(button->Caption(), "另存");
  EXPECT_EQ(label->Caption(), "另存");
  EXPECT_FALSE(button->Visible());
  Act->SetEnabled(true);
  Act->SetVisible(true);

  // A control changed by hand is no longer linked to that property.
  auto* link = button->ActionLink();
  EXPECT_TRUE(link->IsCaptionLinked());
  button->SetCaption("别的");
  EXPECT_FALSE(link->IsCaptionLinked());
  EXPECT_TRUE(link->IsHintLinked());

  // A click runs the action's OnExecute, also one replaced later.
  button->Click();
  EXPECT_EQ(executed, 1);
  int replaced = 0;
  Act->SetOnExecute([&](TObject*) { ++replaced; });
  button->Click();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(replaced, 1);

  // The action going away leaves the controls without one.
  delete Act;
  EXPECT_EQ(button->Action(), nullptr);
  EXPECT_EQ(label->Action(), nullptr);
}

TEST_F(ActionFixture, CheckedStateAndImagesReachCheckBoxesToolButtonsAndMenuItems) {
  auto* check = new TRecordingCheckBox(Form.get());
  check->SetParent(Form.get());
  int clicks = 0;
  check->OnClick = [&](TObject*) { ++clicks; };
  check->SetAction(Act);
  auto* link = dynamic_cast<TRecordingCheckLink*>(check->ActionLink());
  ASSERT_TRUE(link);

  auto* bar = new TToolBar(Form.get());
  bar->SetParent(Form.get());
  auto* tool = new TToolButton(Form.get());
  tool->SetParent(bar);
  tool->SetAction(Act);
  EXPECT_TRUE(dynamic_cast<TToolButtonActionLink*>(tool->ActionLink()));
  EXPECT_EQ(tool->ImageIndex(), 3);

  auto* menu = new TMainMenu(Form.get());
  auto* item = new TMenuItem(Form.get());
  menu->Items()->Add(item);
  item->SetAction(Act);
  EXPECT_EQ(item->Caption(), "保存");
  EXPECT_EQ(item->ShortCut(), TShortCut(0x4000 | 'S'));
  EXPECT_EQ(item->ImageIndex(), 3);

  Act->SetChecked(true);
  EXPECT_TRUE(check->Checked());
  EXPECT_TRUE(tool->Down());
  EXPECT_TRUE(item->Checked());
  // The check box's own link saw the value first, while still linked, and
  // the state came over without running the click (and so the action).
  ASSERT_EQ(link->Log.size(), 1u);
  EXPECT_EQ(link->Log[0], "checked linked");
  EXPECT_EQ(clicks, 0);

  Act->SetImageIndex(5);
  Act->SetShortCut(0);
  EXPECT_EQ(tool->ImageIndex(), 5);
  EXPECT_EQ(item->ImageIndex(), 5);
  EXPECT_EQ(item->ShortCut(), 0);
}
