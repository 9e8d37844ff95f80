// The drawing itself, as the "図面" page shows it: a recorded drawing
// (render/display_list.h) painted on its paper, fitted to the page when it
// is set; the wheel zooms about the cursor, dragging pans, Home or F fits
// again, + and - zoom about the centre.
#pragma once

#include <QWidget>

#include <memory>

#include "image_store.h"
#include "render/display_list.h"

namespace jw {

class JwDrawingView : public QWidget {
    Q_OBJECT
public:
    explicit JwDrawingView(QWidget* parent = nullptr);
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
    // Entries drawn by the last paint.
    size_t LastDrawn() const { return lastDrawn_; }

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
    std::unique_ptr<TJwDisplayList> list_;
    std::unique_ptr<TJwImageStore> images_;  // the pictures of this drawing, decoded once
    TJwBox paper_, fit_;
    uint32_t background_ = 0xFFFFFFFFu;
    double scale_ = 1;        // pixels per mm
    double ox_ = 0, oy_ = 0;  // paper point at the widget's top-left corner
    bool fitted_ = false;     // the view is the fitted one (a resize fits again)
    bool dragging_ = false;
    QPointF dragFrom_;
    size_t lastDrawn_ = 0;
};

}  // namespace jw
