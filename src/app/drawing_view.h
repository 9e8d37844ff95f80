// The drawing itself, as the "図面" page shows it: a recorded drawing
// (render/display_list.h) painted on its paper, fitted to the page when it
// is set; the wheel zooms about the cursor, dragging pans, Home or F fits
// again, + and - zoom about the centre.
//
// The page is painted off the window's thread: a worker thread of the view
// paints each view into an image in horizontal bands, top to bottom, and
// hands every band over as it is done, so that a long paint appears little by
// little and the window stays responsive. Until a band comes, its part of the
// page shows the previous picture moved and scaled to the new view (or the
// bare paper). A new view, a new drawing or Clear cancels the paint in
// progress; only the latest view is painted.
#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "image_store.h"
#include "render/display_list.h"

class QEventLoop;

namespace jw {

class JwDrawingView : public QWidget {
    Q_OBJECT
public:
    explicit JwDrawingView(QWidget* parent = nullptr);
    // Stops the paint in progress and waits for the worker thread to end.
    ~JwDrawingView() override;

    // Shows list on paper (mm) with the background colour background, fitted
    // so that fit (paper mm) fills the page.
    void SetDrawing(std::unique_ptr<TJwDisplayList> list, const TJwBox& paper, const TJwBox& fit,
                    uint32_t background);
    void Clear();
    bool HasDrawing() const { return list_ != nullptr; }
    const TJwDisplayList* List() const { return list_.get(); }
    const TJwBox& Paper() const { return paper_; }
    uint32_t Background() const { return background_; }

    // Fits the drawing's fit box to the page again.
    void FitToWindow();
    // Multiplies the scale by factor, keeping the paper point under at.
    void ZoomAt(QPointF at, double factor);
    // Moves the drawing by delta pixels.
    void PanBy(QPointF delta);

    // Pixels per paper mm, and the paper point at a widget position.
    double Scale() const { return scale_; }
    QPointF ToPaper(QPointF at) const;
    // The paper box the page shows (mm).
    TJwBox VisibleBox() const;
    // Entries drawn by the last finished paint (an entry that lies across
    // several bands counts once for each).
    size_t LastDrawn() const { return lastDrawn_; }

    // The share (0 to 1) of the present view's picture painted so far; 1
    // when there is nothing to paint.
    double Progress() const;
    // Asks for the present view's picture when it has not been asked for
    // yet, and handles events until it is painted whole or timeoutMs have
    // passed (a negative timeoutMs: however long it takes); answers whether
    // it was painted whole. For tests, pictures of the window and
    // measurements.
    bool WaitForPaint(int timeoutMs = 10000);
    // Bands the worker has painted whole since the view was made, in all
    // paints (a band cut short by a newer view is not counted).
    size_t BandsPainted() const;

signals:
    // The cursor is over the page at paper point (x, y) mm.
    void CursorMoved(double x, double y);
    void CursorLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A view of the page: the scale, the paper point at the top-left corner,
    // the size in widget pixels, and the device pixels per widget pixel.
    struct Frame {
        double scale = 0;  // widget pixels per mm
        double ox = 0, oy = 0;
        QSize size;
        double dpr = 1;
        bool operator==(const Frame&) const = default;
        // The device pixels of the page.
        QSize Pixels() const;
        // Paper mm (y up) onto the page's pixels (y down), k pixels per
        // widget pixel.
        QTransform ToPixels(double k) const;
    };
    // A picture of a frame, painted from the top down to row rows (device
    // pixels); its device pixel ratio is the frame's.
    struct Picture {
        Frame frame;
        QImage image;
        int rows = 0;
        size_t drawn = 0;  // entries drawn into the bands so far
    };
    struct Job;
    struct Worker;

    std::shared_ptr<const TJwDisplayList> list_;
    std::shared_ptr<TJwImageStore> images_;  // the pictures of this drawing, decoded once
    TJwBox paper_, fit_;
    uint32_t background_ = 0xFFFFFFFFu;
    double scale_ = 1;        // pixels per mm
    double ox_ = 0, oy_ = 0;  // paper point at the widget's top-left corner
    bool fitted_ = false;     // the view is the fitted one (a resize fits again)
    bool dragging_ = false;
    QPointF dragFrom_;
    size_t lastDrawn_ = 0;

    Picture current_;        // the latest view asked for, its bands as they come
    Picture base_;           // the picture shown before it, whole
    uint64_t job_ = 0;       // the number of the latest paint asked for
    bool stale_ = true;      // the view changed since the latest paint was asked for
    QEventLoop* waiting_ = nullptr;  // WaitForPaint's, woken by each band
    std::unique_ptr<Worker> worker_;

    Frame Wanted() const;
    // The view changed: the paint in progress is stopped, and the next paint
    // of the page asks for the new one.
    void ViewChanged();
    // Forgets the pictures of the drawing shown (another one comes).
    void DropPictures();
    // Asks the worker for the present view's picture; what the page shows
    // now becomes the picture shown under it until its bands come.
    void Request();
    // Paints, within area of frame f, what stands in for the bands not yet
    // painted: the desk, the paper and the previous picture moved to f.
    void PaintStandIn(QPainter& p, const Frame& f, const QRectF& area) const;
    // Takes band (device rows from y0) of paint job, drawn entries drawn.
    void TakeBand(uint64_t job, int y0, const QImage& band, size_t drawn);
};

}  // namespace jw
