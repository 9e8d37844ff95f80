#include "screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTabWidget>

#include "dialogs.h"
#include "drawing_view.h"
#include "main_window.h"
#include "viewer/table_views.h"

namespace jw {

bool SaveScreenshots(TForm1& form, const QString& folder) {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) return false;
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("TabControl1"));
    if (tabs == nullptr) return false;
    struct Shot {
        int page;
        const char* file;
    };
    const Shot shots[] = {{0, "header.png"},
                          {1 + kGridLine, "line.png"},
                          {1 + kGridColor, "color.png"},
                          {1 + kGridCount, "drawing.png"}};
    bool ok = true;
    for (const Shot& shot : shots) {
        tabs->setCurrentIndex(shot.page);
        QCoreApplication::processEvents();
        // The drawing is painted off the window's thread: the picture waits
        // for the whole of it.
        JwDrawingView* view = form.DrawingView();
        if (view != nullptr && view->isVisible()) ok = view->WaitForPaint() && ok;
        const QPixmap picture = form.grab();
        ok = picture.save(dir.filePath(QString::fromLatin1(shot.file)), "PNG") && ok;
    }
    // The question a save would ask, when it would ask one.
    const JwFileKind kind = form.OpenedKind();
    const QString question = form.LossQuestion(kind);
    if (!question.isEmpty()) {
        const JwQuestionOption option = form.PurgeOption(kind);
        const std::unique_ptr<QMessageBox> box =
            JwQuestionBox(&form, question, option.text.isEmpty() ? nullptr : &option);
        box->show();
        QCoreApplication::processEvents();
        ok = box->grab().save(dir.filePath(QStringLiteral("save-question.png")), "PNG") && ok;
    }
    return ok;
}

}  // namespace jw
