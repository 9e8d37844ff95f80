// GoogleTest entry with the QApplication the window needs. Without a display
// the tests run on Qt's offscreen platform (also when the test list is
// discovered at build time).
#include <gtest/gtest.h>

#include <QApplication>

namespace {

QtMessageHandler gDefaultHandler = nullptr;

// The offscreen platform warns that it cannot pass size hints on; that is
// expected here and only clutters the test log.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QStringLiteral("propagateSizeHints"))) return;
    gDefaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gDefaultHandler = qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
