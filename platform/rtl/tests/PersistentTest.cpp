#include "Persistent.h"
#include "gtest.h"

namespace {

// A value that knows how to copy itself into a TTestTarget only.
class TTestTarget : public TPersistent {
  TOVANI_CLASS(TTestTarget, TPersistent)
 public:
  int Value = 0;
};

class TTestSource : public TPersistent {
  TOVANI_CLASS(TTestSource, TPersistent)
 public:
  int Value = 7;
  TPersistent* Owner = nullptr;

 protected:
  void AssignTo(TPersistent* Dest) override {
    if (auto* t = dynamic_cast<TTestTarget*>(Dest))
      t->Value = Value;
    else
      TPersistent::AssignTo(Dest);
  }
  TPersistent* GetOwner() override { return Owner; }
};

}  // namespace

TOVANI_IMPLEMENT_CLASS(TTestTarget, TPersistent)
TOVANI_IMPLEMENT_CLASS(TTestSource, TPersistent)

TEST(TPersistent, AssignGoesThroughTheSourcesAssignTo) {
  TTestSource source;
  TTestTarget target;
  target.Assign(&source);
  EXPECT_EQ(target.Value, 7);

  TTestSource other;
  try {
    other.Assign(&target);  // TTestTarget cannot assign itself to anything
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TTestTarget to a TTestSource");
  }
  EXPECT_THROW(target.Assign(nullptr), EConvertError);
}

TEST(TPersistent, NamePathFollowsTheOwner) {
  TTestSource child, parent;
  EXPECT_EQ(child.GetNamePath(), "TTestSource");
  child.Owner = &parent;
  EXPECT_EQ(child.GetNamePath(), "TTestSource.TTestSource");
}
