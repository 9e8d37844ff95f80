#include "drawing_view.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "qt_canvas.h"

namespace jw {

namespace {

constexpr double kMargin = 0.96;     // share of the page the fitted drawing fills
constexpr double kWheelStep = 1.25;  // zoom of one wheel notch
constexpr double kMinScale = 1e-4, kMaxScale = 1e5;
const QColor kDesk(0xC8, 0xC8, 0xC8);  // around the paper
// Device rows painted and handed over at a time: small enough that the page
// fills in visibly and a cancelled paint stops soon, large enough that the
// bands' own cost (each looks up what meets it) stays small.
constexpr int kBandRows = 64;
// A previous picture enlarged or reduced more than this many times stands in
// for nothing (its pixels would say nothing, or it would be a speck).
constexpr double kMostStretch = 32;

}  // namespace

// What the worker paints: one view of one drawing. The drawing and its
// pictures are shared, so that they live as long as a paint that uses them.
struct JwDrawingView::Job {
    uint64_t id = 0;
    std::shared_ptr<const TJwDisplayList> list;  // none: nothing to paint
    std::shared_ptr<TJwImageStore> images;
    TJwBox paper;
    uint32_t background = 0;
    Frame frame;
};

// The view's painting thread. It paints the latest job posted, band by band,
// and hands each band to the view on the view's thread; a job posted or a
// cancel stops the one in progress soon (between two bands, or within a band
// through the replay's cancel flag), and a band cut short is never handed
// over. Only the view's thread calls Post and Cancel.
struct JwDrawingView::Worker {
    explicit Worker(JwDrawingView* view) : view_(view), thread_([this] { Run(); }) {}
    ~Worker() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            cancel_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    // Paints job instead of whatever was being painted.
    void Post(Job job) {
        {
            std::lock_guard lock(mutex_);
            std::swap(job_, job);
            pending_ = true;
            cancel_ = true;
        }
        wake_.notify_one();
    }
    // Stops the paint in progress and forgets the one not yet begun.
    void Cancel() {
        Job dropped;
        std::lock_guard lock(mutex_);
        std::swap(job_, dropped);
        pending_ = false;
        cancel_ = true;
    }
    size_t Bands() const { return bands_.load(std::memory_order_relaxed); }

private:
    JwDrawingView* const view_;
    std::mutex mutex_;
    std::condition_variable wake_;
    Job job_;  // posted and not yet begun, when pending_
    bool pending_ = false, stop_ = false;
    std::atomic<bool> cancel_{false};  // the job being painted is no longer wanted
    std::atomic<size_t> bands_{0};
    std::thread thread_;  // last: it starts once the rest is made

    void Run() {
        // The glyphs of this thread: fonts must be let go on the thread that
        // made them (the font engine's FreeType data is the thread's own).
        TJwGlyphCache glyphs;
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stop_ || pending_; });
                if (stop_) return;
                std::swap(job, job_);
                pending_ = false;
                cancel_ = false;
            }
            Paint(job, glyphs);
        }
    }

    void Paint(const Job& job, TJwGlyphCache& glyphs) {
        if (!job.list) return;
        const Frame& f = job.frame;
        const QSize pixels = f.Pixels();
        const double s = f.scale * f.dpr;  // device pixels per mm
        const QTransform toDevice = f.ToPixels(f.dpr);
        const QRectF paper =
            toDevice.mapRect(QRectF(job.paper.x1, job.paper.y1, job.paper.Width(), job.paper.Height()));
        // What reaches into a band from beyond its edges: strokes, overhanging
        // glyphs, and a pixel of anti-aliasing.
        const double reach = job.list->Reach() + 2 / s;
        for (int y0 = 0; y0 < pixels.height(); y0 += kBandRows) {
            if (cancel_.load(std::memory_order_relaxed)) return;
            const int rows = std::min(kBandRows, pixels.height() - y0);
            QImage band(pixels.width(), rows, QImage::Format_ARGB32_Premultiplied);
            if (band.isNull()) return;  // out of memory: the page keeps what it shows
            size_t drawn = 0;
            {
                QPainter p(&band);
                p.fillRect(band.rect(), kDesk);
                p.fillRect(paper.translated(0, -y0).intersected(QRectF(band.rect())), QColor::fromRgba(job.background));
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setRenderHint(QPainter::TextAntialiasing, true);
                TJwBox view;
                view.Add(f.ox - reach, f.oy - (y0 + rows) / s - reach);
                view.Add(f.ox + pixels.width() / s + reach, f.oy - y0 / s + reach);
                TJwQtCanvas canvas(p, toDevice * QTransform::fromTranslate(0, -y0), 1.0, job.images.get(), 0,
                                   &glyphs);
                drawn = job.list->Replay(canvas, view, 1 / s, &cancel_);
            }
            if (cancel_.load(std::memory_order_relaxed)) return;  // cut short: never shown
            bands_.fetch_add(1, std::memory_order_relaxed);
            QMetaObject::invokeMethod(
                view_, [view = view_, id = job.id, y0, band, drawn] { view->TakeBand(id, y0, band, drawn); },
                Qt::QueuedConnection);
        }
    }
};

QSize JwDrawingView::Frame::Pixels() const {
    return QSize(static_cast<int>(std::ceil(size.width() * dpr)), static_cast<int>(std::ceil(size.height() * dpr)));
}

QTransform JwDrawingView::Frame::ToPixels(double k) const {
    const double s = scale * k;
    return QTransform(s, 0, 0, -s, -ox * s, oy * s);
}

JwDrawingView::JwDrawingView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DrawingView"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    JwSetUpRenderFonts();  // before the worker looks up a font
    worker_ = std::make_unique<Worker>(this);
}

// The worker goes first: no band is handed over once the view starts going
// (those already posted go with the view's events).
JwDrawingView::~JwDrawingView() { worker_.reset(); }

void JwDrawingView::SetDrawing(std::unique_ptr<TJwDisplayList> list, const TJwBox& paper, const TJwBox& fit,
                               uint32_t background) {
    list_ = std::move(list);
    images_ = std::make_shared<TJwImageStore>();
    paper_ = paper;
    fit_ = fit.Empty() || fit.Width() <= 0 || fit.Height() <= 0 ? paper : fit;
    background_ = background;
    DropPictures();
    FitToWindow();
}

void JwDrawingView::Clear() {
    list_.reset();
    images_.reset();
    paper_ = fit_ = TJwBox();
    lastDrawn_ = 0;
    DropPictures();
    ViewChanged();
}

void JwDrawingView::FitToWindow() {
    fitted_ = true;
    const TJwBox& b = fit_;
    if (b.Empty() || width() <= 0 || height() <= 0) {
        ViewChanged();
        return;
    }
    const double w = std::max(b.Width(), 1e-6), h = std::max(b.Height(), 1e-6);
    scale_ = std::clamp(std::min(width() / w, height() / h) * kMargin, kMinScale, kMaxScale);
    const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
    ox_ = cx - width() / 2.0 / scale_;
    oy_ = cy + height() / 2.0 / scale_;
    ViewChanged();
}

void JwDrawingView::ZoomAt(QPointF at, double factor) {
    const QPointF p = ToPaper(at);
    scale_ = std::clamp(scale_ * factor, kMinScale, kMaxScale);
    ox_ = p.x() - at.x() / scale_;
    oy_ = p.y() + at.y() / scale_;
    fitted_ = false;
    ViewChanged();
}

void JwDrawingView::PanBy(QPointF delta) {
    ox_ -= delta.x() / scale_;
    oy_ += delta.y() / scale_;
    fitted_ = false;
    ViewChanged();
}

QPointF JwDrawingView::ToPaper(QPointF at) const { return QPointF(ox_ + at.x() / scale_, oy_ - at.y() / scale_); }

TJwBox JwDrawingView::VisibleBox() const {
    TJwBox b;
    b.Add(ox_, oy_ - height() / scale_);
    b.Add(ox_ + width() / scale_, oy_);
    return b;
}

double JwDrawingView::Progress() const {
    if (!list_) return 1;
    if (stale_ || !(current_.frame == Wanted())) return 0;
    if (current_.image.isNull()) return 1;  // an empty page
    return static_cast<double>(current_.rows) / current_.image.height();
}

bool JwDrawingView::WaitForPaint(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (stale_ || !(current_.frame == Wanted())) Request();
        if (Progress() >= 1) return true;
        const qint64 left = deadline.remainingTime();  // -1: no deadline
        if (left == 0) return false;
        // Woken by the next band, a change of view, or the deadline.
        QEventLoop loop;
        QEventLoop* const outer = std::exchange(waiting_, &loop);
        if (left > 0) QTimer::singleShot(std::chrono::milliseconds(left), &loop, &QEventLoop::quit);
        loop.exec();
        waiting_ = outer;
    }
}

size_t JwDrawingView::BandsPainted() const { return worker_->Bands(); }

JwDrawingView::Frame JwDrawingView::Wanted() const {
    Frame f;
    f.scale = scale_;
    f.ox = ox_;
    f.oy = oy_;
    f.size = size();
    f.dpr = devicePixelRatioF();
    return f;
}

void JwDrawingView::ViewChanged() {
    stale_ = true;
    worker_->Cancel();
    if (waiting_ != nullptr) waiting_->quit();
    update();
}

void JwDrawingView::DropPictures() {
    current_ = Picture();
    base_ = Picture();
    ++job_;  // bands of the drawing shown before are not taken
}

void JwDrawingView::Request() {
    const Frame f = Wanted();
    if (current_.rows > 0) {
        // What the page shows: the bands painted over what stood in for the rest.
        if (current_.rows < current_.image.height()) {
            const Frame& c = current_.frame;
            const double top = current_.rows / c.dpr;
            QPainter p(&current_.image);
            PaintStandIn(p, c, QRectF(0, top, c.size.width(), c.size.height() - top));
        }
        base_ = std::move(current_);
        base_.rows = base_.image.height();
    }
    current_ = Picture();
    current_.frame = f;
    stale_ = false;
    Job job;
    job.id = ++job_;
    if (list_ && !f.Pixels().isEmpty()) {
        current_.image = QImage(f.Pixels(), QImage::Format_ARGB32_Premultiplied);
        current_.image.setDevicePixelRatio(f.dpr);
        if (!current_.image.isNull()) {
            job.list = list_;
            job.images = images_;
            job.paper = paper_;
            job.background = background_;
            job.frame = f;
        }
    }
    worker_->Post(std::move(job));
}

void JwDrawingView::PaintStandIn(QPainter& p, const Frame& f, const QRectF& area) const {
    p.fillRect(area, kDesk);
    if (!list_) return;
    const QRectF paper = f.ToPixels(1).mapRect(QRectF(paper_.x1, paper_.y1, paper_.Width(), paper_.Height()));
    p.fillRect(paper.intersected(area), QColor::fromRgba(background_));
    const Frame& b = base_.frame;
    if (base_.rows <= 0) return;
    const double k = f.scale / b.scale;  // pixels of f per pixel of the previous picture
    if (!(k <= kMostStretch && k >= 1 / kMostStretch)) return;
    const QRectF target((b.ox - f.ox) * f.scale, (f.oy - b.oy) * f.scale, b.size.width() * k, b.size.height() * k);
    if (!target.intersects(area)) return;
    p.save();
    p.setClipRect(area, Qt::IntersectClip);
    p.drawImage(target, base_.image, QRectF(0, 0, base_.image.width(), base_.rows));
    p.restore();
}

void JwDrawingView::TakeBand(uint64_t job, int y0, const QImage& band, size_t drawn) {
    // A band of a view no longer wanted, or not the next one, is never shown.
    if (job != job_ || y0 != current_.rows || current_.image.isNull() || band.width() != current_.image.width() ||
        y0 + band.height() > current_.image.height())
        return;
    const size_t bytes = static_cast<size_t>(band.width()) * 4;
    for (int r = 0; r < band.height(); ++r) std::memcpy(current_.image.scanLine(y0 + r), band.constScanLine(r), bytes);
    current_.rows += band.height();
    current_.drawn += drawn;
    if (current_.rows == current_.image.height()) lastDrawn_ = current_.drawn;
    const double dpr = current_.frame.dpr;
    const int top = static_cast<int>(std::floor(y0 / dpr));
    update(0, top, width(), static_cast<int>(std::ceil(current_.rows / dpr)) - top + 1);
    if (waiting_ != nullptr) waiting_->quit();
}

void JwDrawingView::paintEvent(QPaintEvent*) {
    if (stale_ || !(current_.frame == Wanted())) Request();
    QPainter p(this);
    const Frame& f = current_.frame;
    const double done = current_.rows / f.dpr;
    if (done < height()) PaintStandIn(p, f, QRectF(0, done, width(), height() - done));
    if (current_.rows > 0)
        p.drawImage(QRectF(0, 0, current_.image.width() / f.dpr, done), current_.image,
                    QRectF(0, 0, current_.image.width(), current_.rows));
}

void JwDrawingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fitted_) FitToWindow();
    else ViewChanged();
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
