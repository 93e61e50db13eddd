#include "layout/window_definitions.h"

#include <gtest/gtest.h>

namespace kolvane {
namespace {

TEST(WindowDefinitions, LabelHoldsTheNineteenLinesIn231Bytes) {
  const ControlDefinition* label = FindControl(MainWindowDefinition(), "标签1");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text.size(), 231u);
}

}  // namespace
}  // namespace kolvane
