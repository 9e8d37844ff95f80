// Program entry of the zumenscope window: zumenscope [FILE]
#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTimer>

#include "main_window.h"
#include "screenshot.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zumenscope"));
    QApplication::setApplicationVersion(QStringLiteral(ZS_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("zumenscope"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows what a Jw_cad drawing (.jww) or figure (.jws) holds and saves it again."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Drawing or figure to open."),
                                 QStringLiteral("[file]"));
    // Saves pictures of the header page and the "線分" page into a folder and
    // ends (used by scripts/screenshot under the offscreen platform).
    QCommandLineOption screenshot(QStringLiteral("screenshot"), QStringLiteral("Save window pictures."),
                                  QStringLiteral("folder"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    parser.process(app);

    jw::TForm1 form;
    form.show();
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(screenshot)) {
        if (!files.isEmpty()) form.OpenFromOutside(files.front());
        const bool ok = jw::SaveScreenshots(form, parser.value(screenshot));
        form.close();
        return ok ? 0 : 1;
    }
    if (!files.isEmpty()) {
        // After the window has appeared, as if the file had been chosen in the
        // open dialog.
        const QString file = files.front();
        QTimer::singleShot(0, &form, [&form, file] { form.OpenFromOutside(file); });
    }
    return app.exec();
}
