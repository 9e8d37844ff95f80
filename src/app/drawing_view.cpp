#include "drawing_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "qt_canvas.h"

namespace jw {

namespace {

constexpr double kMargin = 0.96;     // share of the page the fitted drawing fills
constexpr double kWheelStep = 1.25;  // zoom of one wheel notch
constexpr double kMinScale = 1e-4, kMaxScale = 1e5;
const QColor kDesk(0xC8, 0xC8, 0xC8);  // around the paper

}  // namespace

JwDrawingView::JwDrawingView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DrawingView"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

JwDrawingView::~JwDrawingView() = default;

void JwDrawingView::SetDrawing(std::unique_ptr<TJwDisplayList> list, const TJwBox& paper, const TJwBox& fit,
                               uint32_t background) {
    list_ = std::move(list);
    images_ = std::make_unique<TJwImageStore>();
    paper_ = paper;
    fit_ = fit.Empty() || fit.Width() <= 0 || fit.Height() <= 0 ? paper : fit;
    background_ = background;
    FitToWindow();
}

void JwDrawingView::Clear() {
    list_.reset();
    images_.reset();
    paper_ = fit_ = TJwBox();
    lastDrawn_ = 0;
    update();
}

void JwDrawingView::FitToWindow() {
    fitted_ = true;
    const TJwBox& b = fit_;
    if (b.Empty() || width() <= 0 || height() <= 0) {
        update();
        return;
    }
    const double w = std::max(b.Width(), 1e-6), h = std::max(b.Height(), 1e-6);
    scale_ = std::clamp(std::min(width() / w, height() / h) * kMargin, kMinScale, kMaxScale);
    const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
    ox_ = cx - width() / 2.0 / scale_;
    oy_ = cy + height() / 2.0 / scale_;
    update();
}

void JwDrawingView::ZoomAt(QPointF at, double factor) {
    const QPointF p = ToPaper(at);
    scale_ = std::clamp(scale_ * factor, kMinScale, kMaxScale);
    ox_ = p.x() - at.x() / scale_;
    oy_ = p.y() + at.y() / scale_;
    fitted_ = false;
    update();
}

void JwDrawingView::PanBy(QPointF delta) {
    ox_ -= delta.x() / scale_;
    oy_ += delta.y() / scale_;
    fitted_ = false;
    update();
}

QPointF JwDrawingView::ToPaper(QPointF at) const { return QPointF(ox_ + at.x() / scale_, oy_ - at.y() / scale_); }

TJwBox JwDrawingView::VisibleBox() const {
    TJwBox b;
    b.Add(ox_, oy_ - height() / scale_);
    b.Add(ox_ + width() / scale_, oy_);
    return b;
}

void JwDrawingView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kDesk);
    if (!list_) return;
    const QTransform t(scale_, 0, 0, -scale_, -ox_ * scale_, oy_ * scale_);
    p.fillRect(t.mapRect(QRectF(paper_.x1, paper_.y1, paper_.Width(), paper_.Height())),
               QColor::fromRgba(background_));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    TJwQtCanvas canvas(p, t, 1.0, images_.get());
    lastDrawn_ = list_->Replay(canvas, VisibleBox(), 1 / scale_);
}

void JwDrawingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fitted_) FitToWindow();
}

void JwDrawingView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0) ZoomAt(event->position(), std::pow(kWheelStep, notches));
    event->accept();
}

void JwDrawingView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        dragging_ = true;
        dragFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
}

void JwDrawingView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        PanBy(event->position() - dragFrom_);
        dragFrom_ = event->position();
    }
    if (list_) {
        const QPointF p = ToPaper(event->position());
        emit CursorMoved(p.x(), p.y());
    }
}

void JwDrawingView::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    setCursor(Qt::CrossCursor);
}

void JwDrawingView::leaveEvent(QEvent*) { emit CursorLeft(); }

void JwDrawingView::keyPressEvent(QKeyEvent* event) {
    const QPointF centre(width() / 2.0, height() / 2.0);
    switch (event->key()) {
        case Qt::Key_Home:
        case Qt::Key_F: FitToWindow(); break;
        case Qt::Key_Plus:
        case Qt::Key_Equal: ZoomAt(centre, kWheelStep); break;
        case Qt::Key_Minus: ZoomAt(centre, 1 / kWheelStep); break;
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace jw
