// CLASSES (2000/2007): the classes of the objects and entities the file uses.
#include "dxf/writer/writer.h"

namespace jw::dxfwriter {

void DxfWriter::Classes() {
    struct Cls {
        std::string_view name, cpp;
        bool ism;
        int flags, count, entity;
        int when;  // 0 always, 1 release 2000 only, 2 when images exist
    };
    static constexpr Cls classes[] = {
        {"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", false, 0, 1, 0, 0},
        {"ACDBPLACEHOLDER", "AcDbPlaceHolder", false, 0, 0, 0, 1},
        {"LAYOUT", "AcDbLayout", false, 0, 0, 0, 1},
        {"DICTIONARYVAR", "AcDbDictionaryVar", false, 0, 5, 0, 0},
        {"TABLESTYLE", "AcDbTableStyle", false, 4095, 1, 0, 0},
        {"MATERIAL", "AcDbMaterial", false, 1153, 3, 0, 0},
        {"VISUALSTYLE", "AcDbVisualStyle", false, 4095, 16, 0, 0},
        {"SCALE", "AcDbScale", false, 1153, 33, 0, 0},
        {"MLEADERSTYLE", "AcDbMLeaderStyle", false, 4095, 2, 0, 0},
        {"CELLSTYLEMAP", "AcDbCellStyleMap", false, 1152, 5, 0, 0},
        {"RASTERVARIABLES", "AcDbRasterVariables", true, 0, 4, 0, 2},
        {"IMAGEDEF", "AcDbRasterImageDef", true, 0, 4, 0, 2},
        {"IMAGE", "AcDbRasterImage", true, 127, 5, 1, 2},
        {"IMAGEDEF_REACTOR", "AcDbRasterImageDefReactor", true, 1, 4, 0, 2},
    };
    Section("CLASSES");
    for (const Cls& c : classes) {
        if (c.when == 1 && v2007_) continue;
        if (c.when == 2 && !HasImages()) continue;
        Str(0, "CLASS");
        Str(1, c.name);
        Str(2, c.cpp);
        Str(3, c.ism ? "ISM" : "ObjectDBX Classes");
        Int(90, c.flags, kWide);
        if (v2007_) Int(91, c.count, kWide);
        Int(280, 0);
        Int(281, c.entity);
    }
    EndSection();
}

}  // namespace jw::dxfwriter
