// Lists long enough for the reader's arrays to grow several times: the
// kinds come in long runs (so the mix seen early says little about the rest)
// and, in a definition, interleaved. Written with FileOut and read back with
// FileIn, every record and the order lists come back as built.
#include <gtest/gtest.h>

#include "model_compare.h"
#include "support/program_values.h"
#include "write_helpers.h"

namespace {

using jw::JwString;
using jw::TJwwData;
using jwt::TempDir;
using Sxf = jw::TJwEntities;

// Appends one entity of `kind` (1-7) to the drawing (def < 0) or to
// definition def; i varies the values.
bool Append(TJwwData& m, int def, int kind, int i) {
    const double x = i % 97, y = i / 97;
    const JwString text = (i % 2 ? u"寝室" : u"W") + jw::FromUtf8(std::to_string(i));
    const Sxf::SxfLine ho1{1, 3, 1, 0, 0, x, y - 5, x, y + 1}, ho2{1, 3, 1, 0, 0, x + 9, y - 5, x + 9, y + 1};
    const Sxf::SxfTen te1{1, 3, 3, 0, 0, 1.0}, te2{2, 3, 3, 0, 0, 1.0};
    const Sxf::SxfKt kt1{1, 3, -1, 0, 0, x, y - 6, 1.0}, kt2{1, 3, -1, 0, 0, x + 9, y - 6, 1.0};
    switch (kind) {
        case 1:
            return def < 0 ? m.AddEntLine(0, 0, i % 16, 2, 1, 0, 0, x, y, x + 1, y)
                           : m.AddBlkLine(def, 0, 0, i % 16, 2, 1, 0, 0, x, y, x + 1, y);
        case 2:
            return def < 0 ? m.AddEntArc(0, 0, 1, 3, 1, 0, i % 2 ? 0x08 : 0, x, y, 2, 1, 10, 80, 0)
                           : m.AddBlkArc(def, 0, 0, 1, 3, 1, 0, i % 2 ? 0x08 : 0, x, y, 2, 1, 10, 80, 0);
        case 3: {
            // With code (and its tail) and without.
            const int code = i % 2 ? 5 : 0;
            const double angle = code ? 30 : 0;
            return def < 0 ? m.AddEntTen(0, 0, 2, 4, code, 0, 0, x, y, angle, 1)
                           : m.AddBlkTen(def, 0, 0, 2, 4, code, 0, 0, x, y, angle, 1);
        }
        case 4:
            return def < 0 ? m.AddEntMoji(0, 0, 3, 5, 1, 0, 0, 2, x, y, x + 9, y, 3, 3, 0.5, 0, u"ＭＳ 明朝", text)
                           : m.AddBlkMoji(def, 0, 0, 3, 5, 1, 0, 0, 2, x, y, x + 9, y, 3, 3, 0.5, 0, u"ＭＳ 明朝",
                                          text);
        case 5:
            if (i % 2)  // SXF mode
                return def < 0 ? m.AddEntSunpo(0, 0, 4, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 9, y, x + 3, y + 1,
                                               x + 6, y + 1, 3, 3, 0.3, 0, u"", text, ho1, ho2, te1, te2, kt1, kt2)
                               : m.AddBlkSunpo(def, 0, 0, 4, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 9, y, x + 3,
                                               y + 1, x + 6, y + 1, 3, 3, 0.3, 0, u"", text, ho1, ho2, te1, te2,
                                               kt1, kt2);
            return def < 0 ? m.AddEntSunpo(0, 0, 4, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 9, y, x + 3, y + 1, x + 6,
                                           y + 1, 3, 3, 0.3, 0, u"", text)
                           : m.AddBlkSunpo(def, 0, 0, 4, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 9, y, x + 3, y + 1,
                                           x + 6, y + 1, 3, 3, 0.3, 0, u"", text);
        case 6:
            return def < 0 ? m.AddEntSolid(0, 0, 5, i % 2 ? 10 : 6, 1, 0, 0, i * 7, x, y, x + 1, y, x + 1, y + 1)
                           : m.AddBlkSolid(def, 0, 0, 5, i % 2 ? 10 : 6, 1, 0, 0, i * 7, x, y, x + 1, y, x + 1,
                                           y + 1);
        default:
            return def < 0 ? m.AddEntBlock(0, 0, 6, 1, 1, 0, 0, i % 2, x, y, 1, 1, 0)
                           : m.AddBlkBlock(def, 0, 0, 6, 1, 1, 0, 0, 0, x, y, 1, 1, 0);
    }
}

// The one change a save makes to these records: the points of a plain
// dimension are built with line type 0, which is written as 1.
void PointStylesAsSaved(std::vector<jw::TEntJwwSunpo>& dims) {
    for (auto& d : dims)
        for (jw::TEntJwwTen* t : {&d.Te1, &d.Te2, &d.Kt1, &d.Kt2})
            if (t->att.nPenStyle != 1 && t->att.nPenStyle != 100) t->att.nPenStyle = 1;
}

// A new drawing opened for entities, with two empty definitions (0 and 1)
// for the inserts to refer to.
bool StartWithTwoDefinitions(TJwwData& built) {
    built.DataDefaultSet();
    return built.AddEntPre() && built.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品") &&
           built.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"ユニット");
}

TEST(LongLists, RunsOfEachKindReadBackWhole) {
    jw::JwGlobalInit();
    TJwwData built;
    ASSERT_TRUE(StartWithTwoDefinitions(built));
    // Definition 1: every kind interleaved, texts and dimensions past their
    // growth step of 500; its inserts refer to definition 0.
    for (int i = 0; i < 1400; ++i) ASSERT_TRUE(Append(built, 1, 1 + i % 7, i));
    // The drawing: long runs, some past several growth steps of 1000.
    const struct {
        int kind, count;
    } runs[] = {{1, 2500}, {5, 1200}, {4, 1100}, {1, 3000}, {2, 10},
                {3, 2100}, {6, 1300}, {7, 1100}, {4, 40},   {5, 900}};
    int i = 0;
    for (const auto& r : runs)
        for (int k = 0; k < r.count; ++k) ASSERT_TRUE(Append(built, -1, r.kind, i++));
    ASSERT_TRUE(built.AddEntPost());

    TJwwData expected = built;
    PointStylesAsSaved(expected.EntSunpo);
    for (auto& def : expected.EntBlockDef) PointStylesAsSaved(def.mSunpo);

    TempDir dir;
    for (int option : {0, 32}) {
        SCOPED_TRACE(option);
        built.SetFileOutOption(option);
        ASSERT_TRUE(built.FileOut(dir / "long.jww", 700)) << built.LastError;
        TJwwData read;
        ASSERT_TRUE(read.FileIn(dir / "long.jww")) << read.LastError;
        expected.MojiEncode = option != 0;
        jwt::ModelDiff d;
        d.Common(expected, read);
        EXPECT_TRUE(d.Same()) << d.Text();
    }
}

// A file of many pieces of the sequential read, strings and fixed parts
// crossing their borders, reads from its file as from its bytes in memory.
TEST(LongLists, AFileOfManyPiecesReadsAsItsBytes) {
    jw::JwGlobalInit();
    TJwwData built;
    ASSERT_TRUE(StartWithTwoDefinitions(built));
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(Append(built, 1, 1 + i % 6, i));
    for (int i = 0; i < 30000; ++i) ASSERT_TRUE(Append(built, -1, 1 + i % 7, i));
    ASSERT_TRUE(built.AddEntPost());
    TempDir dir;
    const auto path = dir / "many.jww";
    ASSERT_TRUE(built.FileOut(path, 700)) << built.LastError;
    const std::vector<uint8_t> bytes = jw::test::ReadFileBytes(dir.path() / "many.jww");
    ASSERT_GT(bytes.size(), size_t{2} << 20);  // many windows of the sequential read
    TJwwData fromFile, fromMemory;
    ASSERT_TRUE(fromFile.FileIn(path)) << fromFile.LastError;
    ASSERT_TRUE(fromMemory.BufferIn(bytes.data(), bytes.size(), path));
    EXPECT_EQ(fromFile.ReadEnd, fromMemory.ReadEnd);
    jwt::ModelDiff d;
    d.Common(fromMemory, fromFile);
    EXPECT_TRUE(d.Same()) << d.Text();
}

}  // namespace
