// OBJECTS (2000/2007): the root dictionary, the image reactors, the
// dictionaries of colours, groups, layouts and plot styles, the layouts, and
// the image dictionary, raster variables and image definitions.
#include <vector>

#include "dxf/writer/writer.h"
#include "support/numbers.h"
#include "support/paths.h"

namespace jw::dxfwriter {

namespace {

// Name of the i-th paper-space layout (i >= 1; at most Ltn, an int32_t).
JwString LayoutName(int64_t i) { return u"レイアウト" + IntStr(static_cast<int32_t>(i)); }

}  // namespace

void DxfWriter::ObjHead(std::string_view type, int64_t handle, int64_t owner) {
    Str(0, type);
    Hex(5, handle);
    Str(102, "{ACAD_REACTORS");
    Hex(330, owner);
    Str(102, "}");
    Hex(330, owner);
}

void DxfWriter::DictHead(std::string_view type, int64_t handle, int64_t owner) {
    ObjHead(type, handle, owner);
    Str(100, "AcDbDictionary");
    Str(281, "     1");
}

void DxfWriter::DictEntry(std::string_view key, int64_t handle) {
    Str(3, key);
    Hex(350, handle);
}

void DxfWriter::DictEntry(std::u16string_view key, int64_t handle) {
    Text(3, key);
    Hex(350, handle);
}

void DxfWriter::Objects() {
    const int64_t H0 = objects_;
    const int64_t ltn = Ltn();
    const int64_t root = ltn + 3, imageDict = ltn + 4, imageVars = ltn + 5;
    const int32_t hb = m_.hn_blk;
    Section("OBJECTS");

    Str(0, "DICTIONARY");
    Hex(5, root);
    Str(330, "0");
    Str(100, "AcDbDictionary");
    Str(281, "     1");
    DictEntry("ACAD_COLOR", H0);
    DictEntry("ACAD_GROUP", H0 + 1);
    DictEntry("ACAD_LAYOUT", H0 + 2);
    DictEntry("ACAD_PLOTSTYLENAME", H0 + 3);
    if (HasImages()) {
        DictEntry("ACAD_IMAGE_DICT", imageDict);
        DictEntry("ACAD_IMAGE_VARS", imageVars);
    }

    // The reactor of every written image, block definitions first, then the
    // top level; the images are noted per file for their IMAGEDEF.
    std::vector<std::vector<int32_t>> perFile(m_.deFList.size());
    auto reactors = [&](const TDXF_Entities& e) {
        for (const TDXF_Image& im : e.Imag) {
            if (im.hnd == 0) continue;
            const int32_t f = m_.GetFList(im.fna);
            if (f >= 0) perFile[f].push_back(im.hnd);
            Str(0, "IMAGEDEF_REACTOR");
            Hex(5, im.hnd + 1);
            Hex(330, im.hnd);
            Str(100, "AcDbRasterImageDefReactor");
            Int(90, 2, kWide);
            Hex(330, im.hnd);
        }
    };
    if (HasImages()) {
        for (const TDXF_BlockDef& b : m_.deBlockDef) reactors(b.dm);
        reactors(m_.de);
    }

    DictHead("DICTIONARY", H0, root);      // ACAD_COLOR
    DictHead("DICTIONARY", H0 + 1, root);  // ACAD_GROUP
    DictHead("DICTIONARY", H0 + 2, root);  // ACAD_LAYOUT
    DictEntry("Model", 2);
    for (int64_t i = 1; i <= ltn; ++i) DictEntry(LayoutName(i), i + 2);
    DictHead("ACDBDICTIONARYWDFLT", H0 + 3, root);  // ACAD_PLOTSTYLENAME
    DictEntry("Normal", 1);
    Str(100, "AcDbDictionaryWithDefault");
    Str(340, "1");

    Str(0, "ACDBPLACEHOLDER");
    Str(5, "1");
    Hex(330, H0 + 3);

    // Layouts: Model, then 1 .. Ltn.
    for (int64_t i = 0; i <= ltn; ++i) {
        double px = m_.papx, py = m_.papy;
        if (i > 0) {
            if (m_.Spa == 1 && i == 2) {
                px = py = 0;
            } else if (m_.Spa == 2) {
                if (i <= static_cast<int64_t>(m_.zw_w.size())) {
                    const TJwZumenWakuWork& f = m_.zw_w[i - 1];
                    px = f.x2 - f.x1;
                    py = f.y2 - f.y1;
                } else {
                    px = py = 0;
                }
            }
        }
        ObjHead("LAYOUT", i + 2, H0 + 2);
        Str(100, "AcDbPlotSettings");
        Str(1, "");
        Str(2, "none_device");
        Str(4, "");
        Str(6, "");
        Reals({{40, 0}, {41, 0}, {42, 0}, {43, 0}, {44, px}, {45, py}, {46, 0}, {47, 0}, {48, 0}, {49, 0},
               {140, 0}, {141, 0}, {142, 1}, {143, 1}});
        Str(70, i == 0 ? " 11952" : "   688");
        Ints({{72, 1}, {73, 0}, {74, i == 0 ? 0 : 5}});
        Str(7, "");
        Int(75, 16);
        Reals({{147, 1}, {148, 0}, {149, 0}});
        Str(100, "AcDbLayout");
        if (i == 0) {
            Str(1, "Model");
        } else {
            Text(1, LayoutName(i));
        }
        Ints({{70, 1}, {71, i}});
        XY(10, 0, 0);
        XY(11, m_.papx, m_.papy);
        XYZ(12, 0, 0, 0);
        XYZ(14, m_.MinWx, m_.MinWy, 0);
        XYZ(15, m_.MaxWx, m_.MaxWy, 0);
        Real(146, 0);
        XYZ(13, 0, 0, 0);
        XYZ(16, 1, 0, 0);
        XYZ(17, 0, 1, 0);
        Int(76, 0);
        Hex(330, hb + i + 1);
    }

    if (HasImages()) {
        DictHead("DICTIONARY", imageDict, root);
        for (const TDXF_FileNameList& f : m_.deFList) DictEntry(FileNameOnly(f.dst), f.hnd);
        ObjHead("RASTERVARIABLES", imageVars, root);
        Str(100, "AcDbRasterVariables");
        Int(90, 0, kWide);
        Ints({{70, 1}, {71, 1}, {72, 1}});
        for (size_t k = 0; k < m_.deFList.size(); ++k) {
            const TDXF_FileNameList& f = m_.deFList[k];
            Str(0, "IMAGEDEF");
            Hex(5, f.hnd);
            Str(102, "{ACAD_REACTORS");
            Hex(330, imageDict);
            for (int32_t h : perFile[k]) Hex(330, h + 1);
            Str(102, "}");
            Hex(330, imageDict);
            Str(100, "AcDbRasterImageDef");
            Int(90, 0, kWide);
            Text(1, FileNameOnly(f.dst));
            XY(10, f.ix, f.iy);
            XY(11, f.sx / f.ix, f.sy / f.iy);
            Ints({{280, 1}, {281, 0}});
        }
    }
    EndSection();
}

}  // namespace jw::dxfwriter
