// libFuzzer target: what `dxf` does after reading. The bytes are read as a
// drawing (or, with a figure's signature, as a figure taken as a drawing),
// bound images extracted, and the model is converted and written as DXF. The
// release and the export options (space or layouts, layer names, points,
// text styles, text variables, joined lines, rebuilt dimensions) are picked
// by a hash of the bytes, which every mutation draws anew. Now and then the
// DXF is written as a file with its image copies beside it: nothing may be
// written anywhere else.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "fuzz_common.h"
#include "model/jw_data.h"
#include "support/file_io.h"
#include "support/program_values.h"

namespace {

// Keeps only the last five bytes written: what the check needs, without
// holding the whole text.
class TailSink : public jw::OutputSink {
public:
    void Write(const uint8_t* data, size_t n) override {
        for (size_t i = n > kKeep ? n - kKeep : 0; i < n; ++i) {
            std::memmove(tail_, tail_ + 1, kKeep - 1);
            tail_[kKeep - 1] = static_cast<char>(data[i]);
            if (have_ < kKeep) ++have_;
        }
    }
    std::string_view Tail() const { return std::string_view(tail_ + kKeep - have_, have_); }

private:
    static constexpr size_t kKeep = 5;
    char tail_[kKeep] = {};
    size_t have_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Folders& f = jw::fuzz::Setup();
    jw::TJwwData dwg;
    jw::fuzz::ReadAsDrawing(data, size, f, dwg);

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

    {
        constexpr int32_t kReleases[] = {jw::kDxfR12, jw::kDxf2000, jw::kDxf2007};
        jw::TDXFmodel m;
        jw::JwwToDxfModel(dwg, m, kReleases[(h >> 18) % 3], f.outText + u"fuzz.dxf");
        TailSink text;
        m.SaveDXFTo(text, u"");
        if (text.Tail() != "EOF\r\n") __builtin_trap();
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
