// Program entry of the zumenscope window: zumenscope [FILE]
#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

#include "main_window.h"
#include "screenshot.h"

namespace {

// The options of the program, on parser.
struct Options {
    QCommandLineOption screenshot{QStringLiteral("screenshot"), QStringLiteral("Save window pictures."),
                                  QStringLiteral("folder")};

    explicit Options(QCommandLineParser& parser) {
        parser.setApplicationDescription(
            QStringLiteral("Shows what a Jw_cad drawing (.jww) or figure (.jws) holds and saves it again."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Drawing or figure to open."),
                                     QStringLiteral("[file]"));
        // Saves pictures of the window's pages into a folder and ends (used
        // by scripts/screenshot under the offscreen platform).
        screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(screenshot);
    }
};

void SetNames() {
    QCoreApplication::setApplicationName(QStringLiteral("zumenscope"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZS_VERSION));
}

// Whether a window platform can start: a display to show on, or a platform
// chosen explicitly (QT_QPA_PLATFORM, -platform). Without one Qt would abort.
bool HasDisplay(int argc, char** argv) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0) return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Qt's own texts (the standard dialogs' buttons and labels) in the user's
// language, when Qt's translations are installed.
void LoadQtTranslations(QApplication& app) {
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qt);
}

// While the application starts, Qt's messages are held back: a platform that
// cannot start (a display that is named but cannot be reached) ends in a
// fatal message, which would abort; the program says why in one line and
// ends with status 1 instead. After a good start the held messages are
// printed as usual.
QStringList startupMessages;

void StartupMessage(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type != QtFatalMsg) {
        startupMessages << msg;
        return;
    }
    // The display named in the environment says more than Qt's advice.
    QString why = msg.section(QLatin1Char('\n'), 0, 0);
    if (const QString x = qEnvironmentVariable("DISPLAY"); !x.isEmpty())
        why = QStringLiteral("cannot connect to display \"%1\"").arg(x);
    else if (const QString w = qEnvironmentVariable("WAYLAND_DISPLAY"); !w.isEmpty())
        why = QStringLiteral("cannot connect to Wayland display \"%1\"").arg(w);
    std::fprintf(stderr, "zumenscope: the window cannot be shown: %s\n", qUtf8Printable(why));
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay(argc, argv)) {
        // --help and --version still answer; anything else says why the
        // window cannot be shown.
        QCoreApplication core(argc, argv);
        SetNames();
        QCommandLineParser parser;
        Options options(parser);
        parser.process(core);
        std::fprintf(stderr,
                     "zumenscope: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "zumenscope-cli works without one\n");
        return 1;
    }

    const QtMessageHandler previous = qInstallMessageHandler(StartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& m : std::as_const(startupMessages)) std::fprintf(stderr, "%s\n", qUtf8Printable(m));
    SetNames();
    QApplication::setDesktopFileName(QStringLiteral("zumenscope"));
    LoadQtTranslations(app);

    QCommandLineParser parser;
    Options options(parser);
    parser.process(app);

    jw::TForm1 form;
    form.show();
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(options.screenshot)) {
        if (!files.isEmpty() && !form.OpenFromOutside(files.front())) {
            // No pictures of a file that could not be opened.
            std::fprintf(stderr, "zumenscope: %s\n", qUtf8Printable(form.StatusText()));
            form.close();
            return 1;
        }
        const bool ok = jw::SaveScreenshots(form, parser.value(options.screenshot));
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
