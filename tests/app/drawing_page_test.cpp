// The "図面" page: the drawing fitted on open, zoom about the cursor, panning,
// fitting again, the cursor's paper position in the status line, and saving
// the view and a DXF from the page; the page painted off the window's thread,
// band by band, as one replay paints it, a new view cancelling the paint in
// progress.
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>

#include "drawing_view.h"
#include "image_store.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "qt_canvas.h"
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

// Dark pixels of im in rows [y1, y2).
int DarkRows(const QImage& im, int y1, int y2) {
    int n = 0;
    for (int y = std::max(y1, 0); y < std::min(y2, im.height()); ++y)
        for (int x = 0; x < im.width(); ++x) n += qGray(im.pixel(x, y)) < 100;
    return n;
}

// What one replay of the whole of view's present view paints, on the
// window's thread, as the page painted before it had a worker (at the page's
// device pixels).
QImage OneReplay(const JwDrawingView& view) {
    const double dpr = view.devicePixelRatioF();
    QImage im(static_cast<int>(std::ceil(view.width() * dpr)), static_cast<int>(std::ceil(view.height() * dpr)),
              QImage::Format_ARGB32_Premultiplied);
    QPainter p(&im);
    p.fillRect(im.rect(), QColor(0xC8, 0xC8, 0xC8));
    const double s = view.Scale() * dpr;
    const TJwBox seen = view.VisibleBox();
    const QTransform t(s, 0, 0, -s, -seen.x1 * s, seen.y2 * s);
    const TJwBox& paper = view.Paper();
    p.fillRect(t.mapRect(QRectF(paper.x1, paper.y1, paper.Width(), paper.Height())),
               QColor::fromRgba(view.Background()));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    TJwImageStore images;
    TJwQtCanvas canvas(p, t, 1.0, &images);
    view.List()->Replay(canvas, seen, 1 / s);
    return im;
}

// Pixels of a and b (the same size) with a channel more than 32 apart.
int Differing(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            n += std::abs(qRed(p) - qRed(q)) > 32 || std::abs(qGreen(p) - qGreen(q)) > 32 ||
                 std::abs(qBlue(p) - qBlue(q)) > 32;
        }
    return n;
}

// A drawing that takes long to paint: n long, thick, slightly sloping lines
// stacked across an A3 sheet, in stripes of dark red, green and blue.
std::unique_ptr<TJwDisplayList> LongLines(int n) {
    auto list = std::make_unique<TJwDisplayList>();
    const uint32_t stripes[] = {0xFF900000u, 0xFF006000u, 0xFF000090u};
    TJwPen pen;
    pen.width = 0.5;
    for (int i = 0; i < n; ++i) {
        pen.argb = stripes[i * 12 / n % 3];
        const double y = 10 + 270.0 * i / n;
        const TJwPoint line[2] = {{10, y}, {410, y + 7}};
        list->Polyline(pen, line, false);
    }
    list->Finish();
    return list;
}
constexpr int kLongLines = 100'000;

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
    // The page's picture once painted whole.
    QImage Painted() const {
        EXPECT_TRUE(view->WaitForPaint());
        return view->grab().toImage();
    }
    int DarkPixels() const {
        const QImage im = Painted();
        return DarkRows(im, 0, im.height());
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
    Painted().save(QString::fromUtf8(ZS_BINARY_DIR "/drawing-page.png"));
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
    // The PNG is what the page shows; SVG and PDF are the printed sheet: the
    // circle of pen 5 in its printer colour (magenta) instead of its screen
    // colour.
    QFile svg(WorkPath("view.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("#ff00ff"));
    EXPECT_FALSE(text.contains("#c000c0"));

    dialogs.saveAnswers.push_back({WorkPath("frame"), 0});
    QTest::mouseClick(Find<QPushButton>("DxfButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.saveRequests.back().fileName, QStringLiteral("frame.dxf"));
    QFile dxf(WorkPath("frame.dxf"));
    ASSERT_TRUE(dxf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dxf.readAll().contains("AC1021"));  // release 2007, as the command line
    EXPECT_EQ(Message(), QStringLiteral("DXFファイル「%1」を書き出しました").arg(WorkPath("frame.dxf")));
}

// The page painted band by band on the worker thread is the picture one
// replay of the same view paints: no band leaves out what reaches into it
// from beyond its edges, none is shifted.
TEST_F(DrawingPageTest, PaintsWhatOneReplayPaints) {
    const TJwBox paper = view->Paper();
    view->FitToWindow();
    const TJwBox fitted = view->VisibleBox();
    // The frame's top-left corner (10 mm inside the paper) on the page.
    const QPointF corner((paper.x1 + 10 - fitted.x1) * view->Scale(), (fitted.y2 - paper.y2 + 10) * view->Scale());
    struct Case {
        const char* name;
        double zoom;
        QPointF at, pan;
    };
    const Case cases[] = {
        {"fitted", 1, {}, {}},
        {"zoomed onto the frame's corner", 6, corner, {}},
        {"panned so that the paper's edges cross the page", 1, {}, {250, -170}},
        {"zoomed out", 0.3, {400, 300}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->FitToWindow();
        if (c.zoom != 1) view->ZoomAt(c.at, c.zoom);
        view->PanBy(c.pan);
        const QImage shown = Painted();
        const QImage one = OneReplay(*view);
        ASSERT_EQ(shown.size(), one.size());
        EXPECT_GT(DarkRows(one, 0, one.height()), 100);
        EXPECT_LE(Differing(shown, one), 10);
    }
}

// A paint that takes long leaves the window's thread free: it comes back to
// its events while the bands come in, and the page fills in from the top,
// the rows not painted yet showing the bare paper.
TEST_F(DrawingPageTest, LongPaintFillsInFromTheTopWhileTheWindowRuns) {
    const TJwBox paper = view->Paper();
    view->SetDrawing(LongLines(kLongLines), paper, paper, 0xFFFFFFFFu);
    int returns = 0;  // times the window's thread handled its events during the paint
    QImage partial;
    int paintedRows = 0;
    while (!view->WaitForPaint(1)) {
        ++returns;
        const double progress = view->Progress();
        if (progress > 0 && partial.isNull()) {
            partial = view->grab().toImage();
            ASSERT_EQ(view->Progress(), progress);
            paintedRows = static_cast<int>(std::floor(progress * partial.height()));
        }
    }
    EXPECT_GT(returns, 1);
    ASSERT_FALSE(partial.isNull()) << "no band was seen before the paint ended";
    partial.save(QString::fromUtf8(ZS_BINARY_DIR "/drawing-page-partial.png"));
    EXPECT_LT(paintedRows, partial.height() / 2);
    EXPECT_GT(DarkRows(partial, 0, paintedRows), 0);
    EXPECT_EQ(DarkRows(partial, paintedRows + 1, partial.height()), 0);
    const QImage whole = Painted();
    whole.save(QString::fromUtf8(ZS_BINARY_DIR "/drawing-page-long.png"));
    EXPECT_GT(DarkRows(whole, paintedRows + 1, whole.height()), 0);
    EXPECT_GT(view->LastDrawn(), static_cast<size_t>(kLongLines) * 9 / 10);

    // Zoomed in, the rows not painted yet show the previous picture enlarged;
    // the window is closed before the paint ends.
    view->ZoomAt(QPointF(400, 300), 1.25);
    while (view->Progress() == 0) ASSERT_FALSE(view->WaitForPaint(1)) << "the paint ended before it was seen";
    const QImage zooming = view->grab().toImage();
    zooming.save(QString::fromUtf8(ZS_BINARY_DIR "/drawing-page-zooming.png"));
    const int rows = static_cast<int>(std::ceil(view->Progress() * zooming.height()));
    EXPECT_LT(rows, zooming.height() / 2);
    EXPECT_GT(DarkRows(zooming, rows + 1, zooming.height()), (zooming.height() - rows) * zooming.width() / 2);
}

// A new view asked for during a long paint stops it: the worker paints fewer
// bands than the two whole paints would have, and the page ends up showing
// the new view.
TEST_F(DrawingPageTest, NewViewCancelsThePaintInProgress) {
    const TJwBox paper = view->Paper();
    ASSERT_TRUE(view->WaitForPaint());  // no band of the frame drawing counts below
    const size_t before = view->BandsPainted();
    view->SetDrawing(LongLines(kLongLines), paper, paper, 0xFFFFFFFFu);
    while (view->Progress() == 0) ASSERT_FALSE(view->WaitForPaint(1)) << "the paint ended before it was seen";
    view->ZoomAt(QPointF(400, 300), 2);
    const QImage shown = Painted();
    const size_t both = view->BandsPainted() - before;
    const QImage one = OneReplay(*view);
    ASSERT_EQ(shown.size(), one.size());
    EXPECT_LE(Differing(shown, one), 10);

    // The bands of one whole paint of the zoomed view.
    view->PanBy(QPointF(0, 1));
    const size_t start = view->BandsPainted();
    ASSERT_TRUE(view->WaitForPaint());
    const size_t whole = view->BandsPainted() - start;
    EXPECT_GT(both, whole);
    EXPECT_LT(both, 2 * whole);
}

// A drawing whose blocks repeat one another a hundred thousand times: the
// page shows what the budget allows, and the status line says what it left
// out.
TEST_F(WindowTest, DrawingPageSaysWhatItLeftOut) {
    TJwwData jw;
    jw.DataDefaultSet();
    ASSERT_TRUE(jw.AddEntPre());
    ASSERT_TRUE(jw.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"sheet"));
    ASSERT_TRUE(jw.AddBlkSolid(0, 0, 0, 0, 2, 1, 0, 0, 0, -500, -400, -500, 400, 500, -400, 500, 400));
    for (int32_t level = 1; level <= 5; ++level) {
        ASSERT_TRUE(jw.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"ten" + IntStr(level)));
        for (int k = 0; k < 10; ++k) ASSERT_TRUE(jw.AddBlkBlock(level, 0, 0, 0, 1, 1, 0, 0, level - 1, 0, 0, 1, 1, 0));
    }
    ASSERT_TRUE(jw.AddEntBlock(0, 0, 0, 2, 1, 0, 0, 5, 0, 0, 1, 1, 0));
    ASSERT_TRUE(jw.AddEntLine(0, 0, 0, 2, 1, 0, 0, 0, 0, 100, 100));
    ASSERT_TRUE(jw.AddEntPost());
    const QString path = WorkPath("costly.jww");
    ASSERT_TRUE(jw.FileOut(FromQ(path), 700));
    Open(path);
    auto* tabs = Find<QTabWidget>("TabControl1");
    tabs->setCurrentIndex(tabs->count() - 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(Message(), QStringLiteral("図面の要素 2 個のうち 2 個は描いていません（ブロックが何重にも入れ子になり、描く量が図面の大きさに見合いません）"));
    ASSERT_TRUE(form->DrawingView()->WaitForPaint());
    EXPECT_LT(form->DrawingView()->List()->Size(), 200u);
    form->grab().save(QString::fromUtf8(ZS_BINARY_DIR "/drawing-page-left-out.png"));
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
