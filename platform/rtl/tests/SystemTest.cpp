#include "System.h"
#include "gtest.h"

TEST(ClassRegistry, ExceptionsKnowTheirClassAndAncestors) {
  try {
    throw EReadError("Stream read error");
  } catch (Exception& e) {
    EXPECT_EQ(e.ClassName(), "EReadError");
    EXPECT_TRUE(e.InheritsFrom(EStreamError::StaticClass()));
    EXPECT_FALSE(e.Is<EConvertError>());
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_EQ(FindClassInfo("eabort"), EAbort::StaticClass());
  EXPECT_EQ(FindClassInfo("TNoSuchClass"), nullptr);
}
