// TABLES: VPORT, LTYPE, LAYER, STYLE, VIEW, UCS, APPID, DIMSTYLE and, in
// 2000/2007, BLOCK_RECORD. Tables and records carry handles only in 2000/2007.
#include <iterator>
#include <string>

#include "dxf/writer/writer.h"
#include "support/paths.h"

namespace jw::dxfwriter {

namespace {

constexpr std::string_view kAppIds[] = {"ACAD",           "ACAD_PSEXT",         "AcadAnnoPO",
                                        "AcadAnnotative", "ACAD_DSTYLE_DIMJAG", "ACAD_DSTYLE_DIMTALN",
                                        "ACAD_MLEADERVER"};
constexpr int64_t kAppIdCount = std::size(kAppIds);

}  // namespace

int64_t DxfWriter::TableHandles() const {
    if (r12_) return 0;
    const int64_t tables = 9;
    const int64_t records = 1                                       // VPORT *Active
                            + 2 + static_cast<int64_t>(m_.ltps.size())  // LTYPE ByBlock, ByLayer, ...
                            + static_cast<int64_t>(m_.lays.size())      // LAYER
                            + static_cast<int64_t>(m_.msts.size())      // STYLE
                            + kAppIdCount                               // APPID
                            + 2                                         // DIMSTYLE
                            + Ltn() + 1 + static_cast<int64_t>(m_.deBlockDef.size());  // BLOCK_RECORD
    return tables + records;
}

int32_t DxfWriter::TableHead(std::string_view name, int32_t count) {
    Str(0, "TABLE");
    Str(2, name);
    int32_t handle = 0;
    if (!r12_) {
        handle = NewHandle();
        Hex(5, handle);
        Str(330, "0");
        Str(100, "AcDbSymbolTable");
    }
    Int(70, count);
    return handle;
}

void DxfWriter::RecordHead(std::string_view type, int32_t table, std::string_view subclass, int handleCode) {
    Str(0, type);
    if (r12_) return;
    Hex(handleCode, NewHandle());
    Hex(330, table);
    Str(100, "AcDbSymbolTableRecord");
    Str(100, subclass);
}

void DxfWriter::Tables() {
    const double e = E();
    Section("TABLES");

    int32_t th = TableHead("VPORT", 1);
    RecordHead("VPORT", th, "AcDbViewportTableRecord");
    Str(2, "*Active");
    Int(70, 0);
    XY(10, 0, 0);
    XY(11, 1, 1);
    XY(12, m_.papx / 2 * e, m_.papy / 2 * e);
    XY(13, 0, 0);
    XY(14, 10, 10);
    XY(15, 10, 10);
    XYZ(16, 0, 0, 1);
    XYZ(17, 0, 0, 0);
    Real(40, m_.papy * e);
    Real(41, m_.papx / m_.papy);
    Reals({{42, 50}, {43, 0}, {44, 0}, {50, 0}, {51, 0}});
    Ints({{71, 0}, {72, 1000}, {73, 1}, {74, 3}, {75, 0}, {76, 0}, {77, 0}, {78, 0}});
    if (!r12_) {
        Ints({{281, 0}, {65, 1}});
        WorldUcs();
    }
    if (v2007_) {
        Str(348, "F5");
        Ints({{60, 2}, {61, 5}, {292, 1}, {282, 1}});
        Reals({{141, 0}, {142, 0}});
        Int(63, 250);
        Str(421, "  3355443");
    }
    Str(0, "ENDTAB");

    th = TableHead("LTYPE", static_cast<int32_t>(m_.ltps.size()));
    auto ltype = [&](std::string_view name, std::u16string_view description, int64_t elements, double length) {
        RecordHead("LTYPE", th, "AcDbLinetypeTableRecord");
        Str(2, name);
        Int(70, 0);
        Text(3, description);
        Int(72, 65);
        Int(73, elements);
        Real(40, length);
    };
    if (!r12_) {
        for (const std::string_view n : {"ByBlock", "ByLayer"}) ltype(n, u"", 0, 0);
    }
    for (size_t i = 0; i < m_.ltps.size(); ++i) {
        const TDXF_Ltype& t = m_.ltps[i];
        ltype(ltName_[i], t.exp, static_cast<int64_t>(t.pt.size()), t.pl);
        for (double v : t.pt) {
            Real(49, v);
            if (!r12_) Int(74, 0);
        }
    }
    Str(0, "ENDTAB");

    th = TableHead("LAYER", static_cast<int32_t>(m_.lays.size()));
    for (size_t i = 0; i < m_.lays.size(); ++i) {
        const TDXF_Layer& l = m_.lays[i];
        RecordHead("LAYER", th, "AcDbLayerTableRecord");
        Str(2, layName_[i]);
        Int(70, 0);
        Int(62, l.dsp ? l.col : -static_cast<int64_t>(l.col));
        const bool ltOk = l.ltp >= 1 && l.ltp <= static_cast<int32_t>(ltName_.size());
        Str(6, ltOk ? std::string_view(ltName_[l.ltp - 1]) : std::string_view(r12_ ? "CONTINUOUS" : "Continuous"));
        if (!l.prn) Int(290, 0);
        Int(370, l.wid == 0 ? -3 : l.wid);
        Str(390, "1");
    }
    Str(0, "ENDTAB");

    const int32_t styleTable = TableHead("STYLE", static_cast<int32_t>(m_.msts.size()));
    // The text style of the dimension styles (2000/2007): the record of
    // "Standard", else the first; the records take the next handles in order.
    int32_t dimText = 0;
    for (size_t i = 0; i < m_.msts.size() && dimText == 0; ++i)
        if (AsciiUpper(stName_[i]) == "STANDARD") dimText = m_.DXFHnd + static_cast<int32_t>(i);
    if (dimText == 0 && !m_.msts.empty()) dimText = m_.DXFHnd;
    for (size_t i = 0; i < m_.msts.size(); ++i) {
        const TDXF_Style& s = m_.msts[i];
        RecordHead("STYLE", styleTable, "AcDbTextStyleTableRecord");
        Str(2, stName_[i]);
        Int(70, s.fla ? 4 : 0);
        Real(40, s.mh);
        Real(41, s.mw);
        Real(50, s.ang);
        Int(71, 0);
        Real(42, s.mhl);
        Str(3, Name(s.fo1));
        Str(4, Name(s.fo2));
        if (FileExtLower(s.fo1) == u".ttf") {
            Str(1001, "ACAD");
            Str(1000, Name(s.fo1.substr(0, s.fo1.size() - 4)));
            Str(1071, "    32817");
        }
        if (i == 1 && !r12_) AnnotativeData();
    }
    Str(0, "ENDTAB");

    TableHead("VIEW", 0);
    Str(0, "ENDTAB");
    TableHead("UCS", 0);
    Str(0, "ENDTAB");

    th = TableHead("APPID", static_cast<int32_t>(kAppIdCount));
    for (const std::string_view n : kAppIds) {
        RecordHead("APPID", th, "AcDbRegAppTableRecord");
        Str(2, r12_ ? AsciiUpper(n) : std::string(n));
        Int(70, 0);
    }
    Str(0, "ENDTAB");

    th = TableHead("DIMSTYLE", 2);
    if (!r12_) {
        Str(100, "AcDbDimStyleTable");
        Int(71, 2);
        Hex(340, m_.DXFHnd);
        Hex(340, m_.DXFHnd + 1);
    }
    for (int k = 0; k < 2; ++k) {
        const bool iso = k == 0;
        RecordHead("DIMSTYLE", th, "AcDbDimStyleTableRecord", 105);
        Str(2, iso ? "ISO-25" : (r12_ ? "ANNOTATIVE" : "Annotative"));
        Int(70, 0);
        if (r12_)
            for (int c = 3; c <= 7; ++c) Str(c, "");
        if (iso) {
            if (r12_) Real(40, 1);
        } else {
            Real(40, 0);
        }
        Reals({{41, 2.5}, {42, 0.625}, {43, 3.75}, {44, 1.25}});
        if (!r12_) {
            Ints({{73, 0}, {74, 0}, {77, 1}, {78, 8}});
        } else {
            for (int c = 45; c <= 48; ++c) Real(c, 0);
        }
        Reals({{140, 2.5}, {141, 2.5}});
        if (r12_) Real(142, iso ? 0.03937007874016 : 2.5);
        Real(143, iso ? 2.5 : 0.03937007874016);
        if (r12_) Reals({{144, 1}, {145, 0}, {146, 1}});
        Real(147, 0.625);
        if (!r12_) {
            Ints({{171, 3}, {172, 1}, {271, 2}, {272, 2}, {274, 3}, {278, 44}, {283, 0}, {284, 8}});
            if (dimText != 0) Hex(340, dimText);
            if (!iso) {
                AnnotativeData();
                Str(1001, "ACAD_DSTYLE_DIMJAG");
                Str(1070, "   388");
                Str(1040, "1.5");
                Str(1001, "ACAD_DSTYLE_DIMTALN");
                Str(1070, "   392");
                Int(1070, 0);
            }
        } else {
            for (int c = 71; c <= 78; ++c) Int(c, c == 77 ? 1 : (c == 78 ? 8 : 0));
            for (int c = 170; c <= 178; ++c) Int(c, c == 171 ? 3 : (c == 172 ? 1 : 0));
        }
    }
    Str(0, "ENDTAB");

    if (!r12_) {
        th = TableHead("BLOCK_RECORD", 2);
        m_.hn_blk = th;
        auto rec = [&](std::string_view name, int64_t layout) {
            RecordHead("BLOCK_RECORD", th, "AcDbBlockTableRecord");
            Str(2, name);
            Hex(340, layout);
            if (v2007_) Ints({{70, 0}, {280, 1}, {281, 0}});
        };
        for (int32_t spc = 0; spc <= Ltn(); ++spc) rec(SpaceBlockName(spc), spc + 2);  // layouts 2, 3, ...
        for (const std::string& n : blkName_) rec(n, 0);
        Str(0, "ENDTAB");
    }
    EndSection();
}

}  // namespace jw::dxfwriter
