// The main() of the window tests: one QApplication for all tests of the executable.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/gui_fonts.h"

namespace {

QtMessageHandler previous_handler = nullptr;

// The headless platform cannot raise windows and says so each time; nothing else is
// hidden.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("does not support raise()"))) return;
  if (previous_handler) previous_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  // Window tests run headless unless told otherwise, listing included.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  previous_handler = qInstallMessageHandler(QuietMessages);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
  kolvane::InstallFontAlias();
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
