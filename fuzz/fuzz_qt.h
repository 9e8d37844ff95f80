// What the fuzz targets that draw with Qt share: the application object on
// the offscreen platform, made once, and Qt's messages kept off the fuzzer's
// output.
#pragma once

#include <QGuiApplication>
#include <QtGlobal>

#include "qt_canvas.h"

namespace jw::fuzz {

inline void SetUpQt() {
    static const bool done = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        static int argc = 3;
        static char a0[] = "fuzz", a1[] = "-platform", a2[] = "offscreen";
        static char* argv[] = {a0, a1, a2, nullptr};
        new QGuiApplication(argc, argv);  // never destroyed: Qt's fonts outlive the inputs
        JwSetUpRenderFonts();
        return true;
    }();
    (void)done;
}

}  // namespace jw::fuzz
