// The application object the tests that draw with Qt need (fonts, pictures),
// made once on the offscreen platform, which needs no display.
#pragma once

#include <QGuiApplication>

namespace jw::test {

inline void EnsureGuiApp() {
    if (QGuiApplication::instance() != nullptr) return;
    static int argc = 3;
    static char a0[] = "test", a1[] = "-platform", a2[] = "offscreen";
    static char* argv[] = {a0, a1, a2, nullptr};
    new QGuiApplication(argc, argv);  // never destroyed: Qt's fonts may outlive the tests
}

}  // namespace jw::test
