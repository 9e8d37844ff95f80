// libFuzzer target: what `render` and the window's drawing page do after
// reading. The bytes are read as a drawing (or, with a figure's signature,
// as a figure taken as a drawing), bound images extracted, and the drawing
// is drawn as a small PNG (on one or two threads, painted whole or in
// recorded bands), as SVG or now and then as PDF into memory, and recorded
// for the page and replayed onto a small picture. The look and the options are picked by
// a hash of the bytes. The budget is smaller than a real render's, so that
// every input stays quick; the paths past it are the same. Nothing may be
// written outside the image folder.
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "fuzz_qt.h"
#include "image_store.h"
#include "model/jw_data.h"
#include "qt_canvas.h"
#include "render/display_list.h"
#include "render/renderer.h"
#include "render_file.h"
#include "support/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Folders& f = jw::fuzz::Setup();
    jw::fuzz::SetUpQt();
    jw::TJwwData dwg;
    jw::fuzz::ReadAsDrawing(data, size, f, dwg);

    const uint32_t h = jw::fuzz::Hash(data, size);
    jw::TJwPictureRequest r;
    r.draw.look = h & 1 ? jw::TJwLook::Print : jw::TJwLook::Screen;
    r.draw.temporaryPoints = (h >> 1) & 1;
    r.draw.blackBackground = (h >> 2) & 1;
    r.draw.linkedImages = (h >> 3) & 1;
    const jw::TJwBox paper = jw::JwPaperBox(dwg);
    r.draw.budget = {20'000, paper.Width() * paper.Height() * 4};
    // PDF seldom: Qt's PDF writer costs many times what the drawing does,
    // and draws through the same canvas as a PNG.
    const uint32_t format = (h >> 4) % 64;
    r.format = format < 40 ? jw::JwPictureFormat::Png : format < 63 ? jw::JwPictureFormat::Svg : jw::JwPictureFormat::Pdf;
    r.width = 32 + static_cast<int>((h >> 6) % 160);
    r.threads = 1 + ((h >> 14) & 1);
    if ((h >> 15) & 1) r.directPixels = 0;

    {
        const jw::TJwDrawPlan plan(dwg, r.draw);
        jw::MemorySink sink;
        jw::TJwImageStore images;
        std::string error;
        jw::JwWritePicture([&](jw::TJwCanvas& c) { plan.Draw(c); }, paper, r, sink, images, error);

        // The page: recorded once, replayed for a view picked by the hash.
        jw::TJwDisplayList list;
        plan.Draw(list);
        list.Finish();
        QImage page(48, 32, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        const double zoom = 1 << ((h >> 16) % 12);
        const double s = 48 / paper.Width() * zoom / 16;
        const jw::TJwBox extents = list.Extents();
        const double cx = extents.Empty() ? 0 : (extents.x1 + extents.x2) / 2;
        const double cy = extents.Empty() ? 0 : (extents.y1 + extents.y2) / 2;
        jw::TJwBox view;
        view.Add(cx - 24 / s, cy - 16 / s);
        view.Add(cx + 24 / s, cy + 16 / s);
        jw::TJwQtCanvas canvas(p, QTransform(s, 0, 0, -s, -view.x1 * s, view.y2 * s), 1.0, &images);
        list.Replay(canvas, view, 1 / s);
    }
    dwg.BindImageDeleteGzFile();
    dwg.BindImageDeleteNonGzFile();
    jw::fuzz::CheckAndEmpty(f);
    return 0;
}
