// The "図面" page: the drawing fitted on open, zoom about the cursor, panning,
// fitting again, the cursor's paper position in the status line, and saving
// the view and a DXF from the page.
#include <QImage>
#include <QPixmap>
#include <QStatusBar>
#include <QWheelEvent>

#include <cmath>

#include "drawing_view.h"
#include "model/jw_data.h"
#include "window_fixture.h"

namespace jw::test {
namespace {

// An A3 drawing: a frame 10 mm inside the paper, a circle and a text.
bool WriteFrameDrawing(const QString& path) {
    TJwwData jw;
    jw.DataDefaultSet();
    jw.Enthd.nZumen = 3;  // A3: 420 x 297 mm
    bool ok = jw.AddEntPre();
    const double x = 200, y = 138.5;
    ok = ok && jw.AddEntLine(0, 0, 0, 2, 1, 0, 0, -x, -y, x, -y);
    ok = ok && jw.AddEntLine(0, 0, 0, 2, 1, 0, 0, x, -y, x, y);
    ok = ok && jw.AddEntLine(0, 0, 0, 2, 1, 0, 0, x, y, -x, y);
    ok = ok && jw.AddEntLine(0, 0, 0, 2, 1, 0, 0, -x, y, -x, -y);
    ok = ok && jw.AddEntArc(0, 0, 0, 5, 1, 0, 0, 0, 0, 60, 1, 0, 360, 0);
    ok = ok && jw.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -150, 100, 10, 10, 1, 0, u"ＭＳ ゴシック", u"図面 TEST");
    ok = ok && jw.AddEntPost();
    return ok && jw.FileOut(FromQ(path), 700);
}

class DrawingPageTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form->resize(800, 600);
        drawing = WorkPath("frame.jww");
        ASSERT_TRUE(WriteFrameDrawing(drawing));
        Open(drawing);
        tabs = Find<QTabWidget>("TabControl1");
        tabs->setCurrentIndex(tabs->count() - 1);
        QCoreApplication::processEvents();
        view = form->DrawingView();
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->HasDrawing());
    }
    int DarkPixels() const {
        const QImage im = view->grab().toImage();
        int n = 0;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x) n += qGray(im.pixel(x, y)) < 100;
        return n;
    }

    QString drawing;
    QTabWidget* tabs = nullptr;
    JwDrawingView* view = nullptr;
};

TEST_F(DrawingPageTest, OpenShowsTheDrawingFitted) {
    const TJwBox paper = view->Paper();
    EXPECT_DOUBLE_EQ(paper.Width(), 420);
    EXPECT_DOUBLE_EQ(paper.Height(), 297);
    // The whole sheet is in view and fills the page in one direction.
    const TJwBox seen = view->VisibleBox();
    EXPECT_LE(seen.x1, paper.x1);
    EXPECT_LE(seen.y1, paper.y1);
    EXPECT_GE(seen.x2, paper.x2);
    EXPECT_GE(seen.y2, paper.y2);
    const double fill = std::max(paper.Width() / seen.Width(), paper.Height() / seen.Height());
    EXPECT_GT(fill, 0.9);
    EXPECT_GT(DarkPixels(), 500);  // the frame, the circle and the text are drawn
    view->grab().save(QString::fromUtf8(ZS_BINARY_DIR "/drawing-page.png"));
}

TEST_F(DrawingPageTest, ZoomAboutTheCursorPanAndFitAgain) {
    const double fitted = view->Scale();
    const QPointF at(300, 200);
    const QPointF before = view->ToPaper(at);
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &wheel);
    EXPECT_NEAR(view->Scale(), fitted * 1.25 * 1.25, 1e-9);
    const QPointF after = view->ToPaper(at);
    EXPECT_NEAR(after.x(), before.x(), 1e-9);
    EXPECT_NEAR(after.y(), before.y(), 1e-9);

    // Dragging by (40, 30) pixels moves the view by as many millimetres as
    // those pixels stand for, the drawing following the hand.
    const TJwBox seen = view->VisibleBox();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(view, QPoint(140, 130));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(140, 130));
    const TJwBox moved = view->VisibleBox();
    EXPECT_NEAR(moved.x1 - seen.x1, -40 / view->Scale(), 1e-6);
    EXPECT_NEAR(moved.y1 - seen.y1, 30 / view->Scale(), 1e-6);

    // Home and the button fit again.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_NEAR(view->Scale(), fitted, 1e-9);
    view->ZoomAt(at, 3);
    QTest::mouseClick(Find<QPushButton>("FitButton"), Qt::LeftButton);
    EXPECT_NEAR(view->Scale(), fitted, 1e-9);
}

TEST_F(DrawingPageTest, StatusLineShowsTheCursorPosition) {
    const QPoint at(250, 180);
    QTest::mouseMove(view, at);
    const QPointF p = view->ToPaper(at);
    EXPECT_EQ(form->CursorText(),
              QStringLiteral("X %1 mm  Y %2 mm").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2));
    EXPECT_EQ(Find<QLabel>("CursorLabel")->parentWidget(), static_cast<QWidget*>(Find<QStatusBar>("StatusBar1")));
}

TEST_F(DrawingPageTest, SavesTheViewAndADxf) {
    for (const char* name : {"view.png", "view.svg", "view.pdf"}) {
        SCOPED_TRACE(name);
        dialogs.saveAnswers.push_back({WorkPath(name), 0});
        QTest::mouseClick(Find<QPushButton>("SaveViewButton"), Qt::LeftButton);
        EXPECT_TRUE(QFileInfo(WorkPath(name)).isFile());
        EXPECT_EQ(Message(), QStringLiteral("図「%1」を保存しました").arg(WorkPath(name)));
    }
    EXPECT_EQ(dialogs.saveRequests.front().fileName, QStringLiteral("frame.png"));
    const QImage png(WorkPath("view.png"));
    EXPECT_GE(png.width(), 2 * view->width());

    dialogs.saveAnswers.push_back({WorkPath("frame"), 0});
    QTest::mouseClick(Find<QPushButton>("DxfButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.saveRequests.back().fileName, QStringLiteral("frame.dxf"));
    QFile dxf(WorkPath("frame.dxf"));
    ASSERT_TRUE(dxf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dxf.readAll().contains("AC1021"));  // release 2007, as the command line
    EXPECT_EQ(Message(), QStringLiteral("DXFファイル「%1」を書き出しました").arg(WorkPath("frame.dxf")));
}

TEST_F(WindowTest, DrawingPageBeforeAnyOpen) {
    auto* tabs = Find<QTabWidget>("TabControl1");
    tabs->setCurrentIndex(tabs->count() - 1);
    EXPECT_FALSE(form->DrawingView()->HasDrawing());
    QTest::mouseClick(Find<QPushButton>("SaveViewButton"), Qt::LeftButton);
    EXPECT_EQ(Message(), QStringLiteral("保存する図がありません（先に「参照」で図面を開いてください）"));
    EXPECT_TRUE(dialogs.saveRequests.empty());
}

}  // namespace
}  // namespace jw::test
