// libFuzzer target: what `dxf` does after reading. The bytes are read as a
// drawing (or, with a figure's signature, as a figure taken as a drawing),
// bound images extracted, and the model is converted and written in every
// DXF release; the export options (space or layouts, layer names, points,
// text styles, text variables, joined lines, rebuilt dimensions) are picked by
// a hash of the bytes. Now and then the DXF is written as a file with its
// image copies beside it: nothing may be written anywhere else.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "fuzz_common.h"
#include "model/jw_data.h"
#include "support/program_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Folders& f = jw::fuzz::Setup();
    jw::TJwwData dwg;
    dwg.BindImageFolder = f.imagesText;
    dwg.BindImageExp = dwg.BindImageExr = true;
    if (jw::fuzz::IsFigure(data, size)) {
        jw::TJwsData fig;
        fig.BufferIn(data, size, u"fuzz.jws");
        jw::JwsAsDrawing(fig, dwg);
    } else {
        dwg.BufferIn(data, size, u"fuzz.jww");
    }

    const uint32_t h = jw::fuzz::Hash(data, size);
    jw::DxfOutSpace = static_cast<int32_t>(h % 3);  // model space, paper space, a layout per frame
    jw::DxfOutLayerNameType = (h >> 1) % 3;
    jw::DxfOutTenType = (h >> 3) % 7;
    jw::DxfOutTenRadius = 0.5 + (h >> 6) % 4;
    jw::DxfOutMojiStyle = (h >> 8) % 3;
    jw::DxfOutMojiExp1 = (h >> 10) & 1;
    jw::DxfOutMojiExp2 = (h >> 11) & 1;
    jw::DxfOutAppName = u"fuzz";
    jw::DxfOutNoLinkedImages = false;
    jw::DxfOutJoinLines = (h >> 16) & 1;
    jw::DxfOutDimension = (h >> 17) & 1;
    double pw = 0, ph = 0;
    dwg.GetPaperSize(pw, ph);
    jw::DxfOutPaperX = pw;
    jw::DxfOutPaperY = ph;
    jw::DxfOutPrintX = pw;
    jw::DxfOutPrintY = ph;
    jw::DxfOutScaleGroup = dwg.Enthd.nWriteGLay;
    jw::ZahyoMinX = jw::ZahyoMinY = jw::ZahyoMaxX = jw::ZahyoMaxY = 0;
    dwg.GetMinMaxZahyo();

    for (const int32_t ver : {jw::kDxfR12, jw::kDxf2000, jw::kDxf2007}) {
        jw::TDXFmodel m;
        jw::JwwToDxfModel(dwg, m, ver, f.outText + u"fuzz.dxf");
        const std::string text = m.SaveDXFText(u"");
        if (text.size() < 5 || text.compare(text.size() - 5, 5, "EOF\r\n") != 0) __builtin_trap();
    }
    // As a file, with the images copied beside it (linked ones left out:
    // they would be taken from anywhere on this machine).
    if ((h >> 12) % 8 == 0) {
        jw::DxfOutNoLinkedImages = true;
        dwg.FileOutDXF(f.outText + u"fuzz.dxf", static_cast<int32_t>((h >> 15) % 3));
    }
    dwg.BindImageDeleteGzFile();
    dwg.BindImageDeleteNonGzFile();
    jw::fuzz::CheckAndEmpty(f);
    return 0;
}
