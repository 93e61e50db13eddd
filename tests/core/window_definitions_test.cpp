#include "layout/window_definitions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvane {
namespace {

TEST(WindowDefinitions, LabelHoldsTheNineteenLinesIn231Bytes) {
  const ControlDefinition* label = FindControl(MainWindowDefinition(), "标签1");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text.size(), 231u);
}

// The names are the windows' class names and the controls' object names, and the
// order is the order of creation: both are fixed, whatever the code calls them.
TEST(WindowDefinitions, WindowsAndControlsKeepTheirNamesAndOrder) {
  struct Case {
    const WindowDefinition& window;
    const char* name;
    std::vector<std::string> controls;
  };
  const Case cases[] = {
      {MainWindowDefinition(),
       "main",
       {"图片框1", "超级链接框1", "标签1", "进度条1", "画板1", "编辑框1", "按钮3", "通用对话框1",
        "按钮2", "按钮1", "选择夹1", "超级编辑框1"}},
      {PictureWindowDefinition(), "ban", {"画板2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.window.name, c.name);
    std::vector<std::string> names;
    for (const ControlDefinition& control : c.window.controls) names.push_back(control.name);
    EXPECT_EQ(names, c.controls);
  }
}

}  // namespace
}  // namespace kolvane
