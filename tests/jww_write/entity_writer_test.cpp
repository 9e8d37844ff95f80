// Entity lists as written: class records and tags, record layouts per version,
// block definitions with output numbers, the SXF dimension split and the text
// options.
#include "support/program_values.h"
#include "support/text_encoding.h"
#include "write_helpers.h"

namespace {

using namespace jwt;
using jw::TEntJwwAttr;
using jw::TJwwData;

jw::TEntJwwEnko Arc() {
    jw::TEntJwwEnko e;
    e.att = Att(2, 3, 5, 1, 2, 0x20, 7);
    e.start_x = 10;
    e.start_y = 20;
    e.dHankei = 5;
    e.radKaishiKaku = 0.5;
    e.radEnkoKaku = 1.5;
    e.radKatamukiKaku = 0.25;
    e.dHenpeiRitsu = 1;
    e.bZenEnFlg = 0;
    return e;
}

B& EnkoBody(B& b, const jw::TEntJwwEnko& e, int ver = 700) {
    return b.att(e.att, ver)
        .d(e.start_x).d(e.start_y).d(e.dHankei).d(e.radKaishiKaku).d(e.radEnkoKaku)
        .d(e.radKatamukiKaku).d(e.dHenpeiRitsu).c(e.bZenEnFlg);
}

B& MojiBody(B& b, const jw::TEntJwwMoji& t, const Bytes& strBytes, int ver = 700) {
    b.att(t.att, ver).d(t.start_x).d(t.start_y).d(t.end_x).d(t.end_y).c(t.nMojiShu);
    b.d(t.dSizeX).d(t.dSizeY).d(t.dKankaku).d(t.degKakudo).str("FONT");
    return b.bytes(strBytes);
}

B& SolidBody(B& b, const jw::TEntJwwSolid& s, int ver = 700) {
    b.att(s.att, ver).d(s.start_x).d(s.start_y).d(s.end_x).d(s.end_y);
    b.d(s.DPoint2_x).d(s.DPoint2_y).d(s.DPoint3_x).d(s.DPoint3_y);
    if (s.att.nPenColor == 10) b.c(s.Color);
    return b;
}

B& BlockBody(B& b, const jw::TEntJwwBlock& k, uint32_t number, int ver = 700) {
    return b.att(k.att, ver).d(k.DPKijunTen_x).d(k.DPKijunTen_y).d(k.dBairitsuX).d(k.dBairitsuY)
        .d(k.radKaitenKaku).c(number);
}

jw::TEntJwwBlock Insert(uint32_t number, double x = 1) {
    jw::TEntJwwBlock k;
    k.att = Att(1, 1);
    k.DPKijunTen_x = x;
    k.DPKijunTen_y = 2;
    k.dBairitsuX = 1;
    k.dBairitsuY = 1;
    k.radKaitenKaku = 0;
    k.nNumber = number;
    return k;
}

TJwwData Model(int jwVer = 700) {
    TJwwData m;
    m.Enthd.jwVer = jwVer;
    return m;
}

TEST(EntityWriter, LineArcLineClassRecordsAndTag) {
    TJwwData m = Model();
    const auto l1 = Line(1, 2, 3, 4, Att(1, 2, 0, 3, 4, 0, 11));
    const auto l2 = Line(5, 6, 7, 8);
    AddLine(m, l1);
    AddEnko(m, Arc());
    AddLine(m, l2);
    B e;
    e.w(3).newClass(700, "CDataSen");
    LineBody(e, l1).newClass(700, "CDataEnko");
    EnkoBody(e, Arc()).w(0x8001);  // "CDataSen" took index 1, line 2, "CDataEnko" 3, arc 4
    LineBody(e, l2).w(0);
    EXPECT_EQ(Hex(EntityBytes(m, 700)), Hex(e));
}

TEST(EntityWriter, EveryKindInBothAttributeForms) {
    TJwwData m = Model(351);
    const auto line = Line(1, 2, 3, 4, Att(1, 2, 7));
    auto ten = Ten(5, 6, Att(100, 3, 7));
    ten.nCode = 4;
    ten.radKaitenKaku = 0.5;
    ten.dBairitsu = 2;
    const auto plain = Ten(7, 8, Att(1, 3));
    const auto text = Moji(u"AB");
    jw::TEntJwwSolid own, std3;
    own.att = Att(1, 10);
    own.start_x = 1;
    own.DPoint3_y = 9;
    own.Color = 0x123456;
    std3.att = Att(1, 3);
    std3.end_y = 4;
    std3.Color = 0xABCDEF;  // not written: colour is not 10
    jw::TEntJwwBlockDef def;
    def.nNumber = 0;
    def.ref_flag = true;
    def.ref_no = 0;
    m.EntBlockDef.push_back(def);
    m.EntBlockDefN = m.Enthd.n2 = 1;
    m.EntBlockNum = 1;
    AddLine(m, line);
    AddEnko(m, Arc());
    AddTen(m, ten);
    AddTen(m, plain);
    AddMoji(m, text);
    AddSolid(m, own);
    AddSolid(m, std3);
    AddBlock(m, Insert(0));
    for (int ver : {300, 351}) {
        B e;
        e.w(8).newClass(ver, "CDataSen");
        LineBody(e, line, ver).newClass(ver, "CDataEnko");
        EnkoBody(e, Arc(), ver).newClass(ver, "CDataTen");
        TenBody(e, ten, ver).w(0x8005);
        TenBody(e, plain, ver).newClass(ver, "CDataMoji");
        MojiBody(e, text, B().str("AB"), ver).newClass(ver, "CDataSolid");
        SolidBody(e, own, ver).w(0x800A);
        SolidBody(e, std3, ver).newClass(ver, "CDataBlock");
        BlockBody(e, Insert(0), 0, ver);
        e.w(1).newClass(ver, "CDataList").att(def.att, ver).c(0).c(0).c(0).str("").w(0);
        EXPECT_EQ(Hex(EntityBytes(m, ver)), Hex(e)) << ver;
    }
}

// Every definition is written with its own number; with PurgeUnusedBlocks
// only those in use, numbered as MakeBlockTree numbers them.
TEST(EntityWriter, DefinitionsWithOutputNumbers) {
    // Definitions 7, 9 and 12; the drawing inserts 12 and 9, 9 inserts 12, and
    // 7 is not used. As MakeBlockTree leaves them: 9 -> 0, 12 -> 1.
    TJwwData m = Model();
    auto def = [](uint32_t number, bool used, int32_t refNo, const char16_t* name) {
        jw::TEntJwwBlockDef d;
        d.att = Att(1, 1, 0, 0, 0, 0x20);
        d.nNumber = number;
        d.bRefferd = 1;
        d.dtime = 5;
        d.strName = name;
        d.ref_flag = used;
        d.ref_no = refNo;
        return d;
    };
    auto d7 = def(7, false, -1, u"A");
    auto d9 = def(9, true, 0, u"B");
    auto d12 = def(12, true, 1, u"C");
    const auto ml1 = Line(0, 0, 1, 1);
    const auto ml2 = Line(0, 1, 1, 0);
    Push(d9.mLine, d9.mLineN, ml1);
    Push(d9.mBlock, d9.mBlockN, Insert(12, 3));
    Push(d9.mLine, d9.mLineN, ml2);
    d9.mNo = {{1, 0}, {7, 0}, {1, 1}};
    d9.N = 3;
    Push(d12.mEnko, d12.mEnkoN, Arc());
    d12.mNo = {{2, 0}};
    d12.N = 1;
    Push(d7.mLine, d7.mLineN, ml1);
    d7.mNo = {{1, 0}};
    d7.N = 1;
    m.EntBlockDef = {d7, d9, d12};
    m.EntBlockDefN = m.Enthd.n2 = 3;
    m.EntBlockNum = 2;
    AddBlock(m, Insert(12, 1));
    AddBlock(m, Insert(9, 2));
    AddBlock(m, Insert(99, 3));  // no definition has 99: left out
    {
        // The flags set above are those of the block tree.
        TJwwData tree = m;
        tree.MakeBlockTree();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(tree.EntBlockDef[i].ref_flag, m.EntBlockDef[i].ref_flag) << i;
            EXPECT_EQ(tree.EntBlockDef[i].ref_no, m.EntBlockDef[i].ref_no) << i;
        }
        EXPECT_EQ(tree.EntBlockNum, 2);
        EXPECT_EQ(tree.ChangeBlockNo(12), 1u);
        EXPECT_EQ(tree.ChangeBlockNo(7), 7u);
        EXPECT_EQ(tree.ChangeBlockNo(99), 0u);
    }

    // Written as 0, the insert of 99 would become one of the first written
    // definition: it is left out, and the count says so.
    {
        B e;
        e.w(2).newClass(700, "CDataBlock");        // class 1, insert 2
        BlockBody(e, Insert(12, 1), 12).w(0x8001);  // 3
        BlockBody(e, Insert(9, 2), 9);
        e.w(3).newClass(700, "CDataList");           // class 4
        e.att(d7.att).c(7).c(1).c(5).str("A").w(1);  // definition 5
        e.newClass(700, "CDataSen");                 // class 6, line 7
        LineBody(e, ml1).w(0x8004);
        e.att(d9.att).c(9).c(1).c(5).str("B").w(3).w(0x8006);  // definition 8, line 9
        LineBody(e, ml1).w(0x8001);                             // insert 10
        BlockBody(e, Insert(12, 3), 12).w(0x8006);              // line 11
        LineBody(e, ml2).w(0x8004);
        e.att(d12.att).c(12).c(1).c(5).str("C").w(1);  // definition 12
        e.newClass(700, "CDataEnko");
        EnkoBody(e, Arc());
        EXPECT_EQ(Hex(EntityBytes(m, 700)), Hex(e));
    }
    m.PurgeUnusedBlocks = true;
    B e;
    e.w(2).newClass(700, "CDataBlock");  // class 1, insert 2
    BlockBody(e, Insert(12, 1), 1).w(0x8001);  // 3
    BlockBody(e, Insert(9, 2), 0);
    e.w(2).newClass(700, "CDataList");  // class 4
    e.att(d9.att).c(0).c(1).c(5).str("B").w(3);  // definition 5, counted before its members
    e.newClass(700, "CDataSen");  // class 6, line 7
    LineBody(e, ml1).w(0x8001);  // insert 8
    BlockBody(e, Insert(12, 3), 1).w(0x8006);  // line 9
    LineBody(e, ml2).w(0x8004);
    e.att(d12.att).c(1).c(1).c(5).str("C").w(1);
    e.newClass(700, "CDataEnko");
    EnkoBody(e, Arc());
    EXPECT_EQ(Hex(EntityBytes(m, 700)), Hex(e));
}

TEST(EntityWriter, DefinitionTimeWithoutStampFlag) {
    TJwwData m = Model();
    jw::TEntJwwBlockDef d;
    d.nNumber = 0;
    d.dtime = 0x80000003u;  // bit 31 would announce an 8-byte time stamp
    d.ref_flag = true;
    d.ref_no = 0;
    m.EntBlockDef = {d};
    m.EntBlockDefN = m.Enthd.n2 = 1;
    AddBlock(m, Insert(0));
    const Bytes out = EntityBytes(m, 700);
    B e;
    e.w(1).newClass(700, "CDataBlock");
    BlockBody(e, Insert(0), 0).w(1).newClass(700, "CDataList").att(d.att).c(0).c(0).c(3).str("").w(0);
    EXPECT_EQ(Hex(out), Hex(e));
}

// A definition read with a 64-bit time stamp gets it back from 7.00 on (with
// the dtime the file held); older versions get the position without it.
TEST(EntityWriter, DefinitionTimeStampWrittenBack) {
    TJwwData m = Model();
    jw::TEntJwwBlockDef d;
    d.nNumber = 0;
    d.dtime = 2;  // the position, as the reader leaves it
    d.bTime64 = true;
    d.dtimeFile = 0x80000005u;
    const uint8_t stamp[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::copy(std::begin(stamp), std::end(stamp), d.time64);
    d.ref_flag = true;
    d.ref_no = 0;
    m.EntBlockDef = {d};
    m.EntBlockDefN = m.Enthd.n2 = 1;
    AddBlock(m, Insert(0));
    for (const int ver : {700, 600}) {
        B e;
        e.w(1).newClass(ver, "CDataBlock");
        BlockBody(e, Insert(0), 0, ver).w(1).newClass(ver, "CDataList").att(d.att, ver).c(0).c(0);
        if (ver == 700)
            e.c(0x80000005u).bytes(Bytes(std::begin(stamp), std::end(stamp)));
        else
            e.c(2);
        e.str("").w(0);
        EXPECT_EQ(Hex(EntityBytes(m, ver)), Hex(e)) << ver;
    }
}

TEST(EntityWriter, OutOfRangeEntriesAreNeitherCountedNorWritten) {
    TJwwData m = Model();
    const auto l = Line(1, 1, 2, 2);
    AddLine(m, l);
    m.EntLineN = 3;  // count larger than the array
    m.EntNo = {{1, 0}, {1, 5}, {9, 0}, {0, 0}, {1, -1}, {1, 2}, {1, 0}};
    m.Enthd.n1 = 100;  // larger than the order list
    // A definition whose counts and order list overstate what it holds.
    jw::TEntJwwBlockDef d;
    d.ref_flag = true;
    d.ref_no = 0;
    d.N = 50;
    d.mNo = {{1, 0}, {2, 0}, {1, 1}};
    d.mLine = {l};
    d.mLineN = 2;  // larger than the array
    m.EntBlockDef = {d};
    m.EntBlockDefN = 1;
    m.Enthd.n2 = 7;  // larger than the definition list
    B e;
    e.w(2).newClass(700, "CDataSen");
    LineBody(e, l).w(0x8001);
    LineBody(e, l).w(1).newClass(700, "CDataList").att(d.att).c(0).c(0).c(0).str("").w(1).w(0x8001);
    LineBody(e, l);
    EXPECT_EQ(Hex(EntityBytes(m, 700)), Hex(e));
}

TEST(EntityWriter, LongCountAndLongClassTag) {
    TJwwData m = Model();
    const auto l = Line(0, 0, 1, 1);
    for (int i = 0; i < 70000; ++i) AddLine(m, l);
    AddEnko(m, Arc());
    AddEnko(m, Arc());
    const Bytes out = EntityBytes(m, 700);
    EXPECT_EQ(Hex(out, 0, 6), Hex(B().w(0xFFFF).i(70002)));
    // "CDataEnko" registers index 70002 (class 1 and 70000 lines before it).
    B tail;
    tail.w(0x7FFF).c(0x80000000u + 70002);
    EnkoBody(tail, Arc()).w(0);
    ASSERT_GT(out.size(), tail.v.size());
    EXPECT_EQ(Hex(out, out.size() - tail.v.size()), Hex(tail));
}

jw::TEntJwwSunpo SxfDimension() {
    jw::TEntJwwSunpo d{};
    d.att = Att(1, 2, 0, 0, 0, 0x2000);
    d.Sen = Line(0, 0, 100, 0, Att(1, 2, 0, 0, 0, 0x2000));
    d.Moji = Moji(u"100", Att(1, 2));
    d.bSxfMode = 1;
    d.Ho1 = Line(0, -5, 0, 1, Att(1, 3));
    d.Ho2 = Line(100, -5, 100, 1, Att(1, 3));
    d.Te1 = Ten(0, 0, Att(100, 2));
    d.Te1.nCode = 3;
    d.Te1.radKaitenKaku = 3.14;
    d.Te2 = Ten(100, 0, Att(1, 2));
    d.Kt1 = Ten(0, -5, Att(1, 2));
    d.Kt2 = Ten(100, -5, Att(1, 2));
    return d;
}

B& SunpoHead(B& e, const jw::TEntJwwSunpo& d, int ver) {
    e.att(d.att, ver);
    LineBody(e, d.Sen, ver);
    return MojiBody(e, d.Moji, B().str("100"), ver);
}

TEST(EntityWriter, SxfDimensionSplitBelow420) {
    const auto d = SxfDimension();
    TJwwData m = Model(700);
    AddSunpo(m, d);

    B split;
    split.w(7).newClass(351, "CDataSunpou");  // class 1, dimension 2
    SunpoHead(split, d, 351).newClass(351, "CDataSen");  // class 3, Ho1 4
    LineBody(split, d.Ho1, 351).w(0x8003);
    LineBody(split, d.Ho2, 351).newClass(351, "CDataTen");  // class 6
    TenBody(split, d.Te1, 351).w(0x8006);
    TenBody(split, d.Te2, 351).w(0x8006);
    TenBody(split, d.Kt1, 351, 1).w(0x8006);  // Kt1 and Kt2 become temporary points
    TenBody(split, d.Kt2, 351, 1).w(0);
    EXPECT_EQ(Hex(EntityBytes(m, 351)), Hex(split));

    B whole;
    whole.w(1).newClass(420, "CDataSunpou");
    SunpoHead(whole, d, 420).w(1);
    LineBody(whole, d.Ho1, 420);
    LineBody(whole, d.Ho2, 420);
    for (const auto* t : {&d.Te1, &d.Te2, &d.Kt1, &d.Kt2}) TenBody(whole, *t, 420);
    whole.w(0);
    EXPECT_EQ(Hex(EntityBytes(m, 420)), Hex(whole));

    // A model read from a file before 4.20 never splits.
    m.Enthd.jwVer = 351;
    B plain;
    plain.w(1).newClass(351, "CDataSunpou");
    SunpoHead(plain, d, 351).w(0);
    EXPECT_EQ(Hex(EntityBytes(m, 351)), Hex(plain));
}

TEST(EntityWriter, SxfDimensionSplitInsideDefinitionCountsSixMore) {
    TJwwData m = Model(700);
    jw::TEntJwwBlockDef def;
    def.nNumber = 0;
    def.ref_flag = true;
    def.ref_no = 0;
    Push(def.mSunpo, def.mSunpoN, SxfDimension());
    def.mNo = {{5, 0}};
    def.N = 1;
    m.EntBlockDef = {def};
    m.EntBlockDefN = m.Enthd.n2 = 1;
    AddBlock(m, Insert(0));
    const Bytes out = EntityBytes(m, 300);
    // Insert (class 1, object 2), definition class 3: its fixed part is 25 bytes.
    const size_t countAt = 2 + 6 + 10 + 13 + 40 + 4 + 2 + 6 + 9 + 25 + 1;
    ASSERT_GT(out.size(), countAt + 2);
    EXPECT_EQ(out[countAt], 7);
    EXPECT_EQ(out[countAt + 1], 0);
}

struct TextCase {
    const char* name;
    int opt;
    JwString held;
    JwString written;  // expected string of a text entity
};

Bytes AnsiStr(const JwString& s) {
    jw::MemorySink sink;
    jw::ArchiveWriter aw(sink);
    aw.StrOut(s);
    return sink.Take();
}

TEST(EntityWriter, TextStringOptions) {
    const TextCase cases[] = {
        {"unchanged", 0, u"^@BM%temp%img.jpg,1,2", u"^@BM%temp%img.jpg,1,2"},
        {"temp removed", 0x08, u"^@BM%temp%img.jpg,1,2", u"^@BMimg.jpg,1,2"},
        {"temp needs BM", 0x08, u"%temp%img.jpg,1", u"%temp%img.jpg,1"},
        {"file name only", 0x01, u"^@BMC:\\dir\\sub\\img.jpg,1,2", u"^@BMimg.jpg,1,2"},
        {"file name, slash", 0x01, u"^@BM/a/b/c.png,x", u"^@BMc.png,x"},
        {"file name needs comma", 0x01, u"^@BMC:\\dir\\img.jpg", u"^@BMC:\\dir\\img.jpg"},
        {"temp first", 0x09, u"^@BM%temp%C:\\x\\img.jpg,5", u"^@BMimg.jpg,5"},
        {"temp kept without bit", 0x01, u"^@BM%temp%img.jpg,5", u"^@BM%temp%img.jpg,5"},
        {"cleaned", 0, JwString(u"a^mb\\nc\x01" u"d\r\n"), u"abcd"},
        {"control only", 0, u"\t", u" "},
        {"percent", 0x10, u"%%ABC", u"%%ABC"},
        {"cleaned before rewrite", 0x08, u"\x01^@BM%temp%i.jpg,1", u"^@BMi.jpg,1"},
    };
    for (const auto& c : cases) {
        TJwwData m = Model();
        auto t = Moji(c.held);
        t.strFontName = u"FO\nNT";  // cleaned to FONT
        AddMoji(m, t);
        B e;
        e.w(1).newClass(700, "CDataMoji");
        MojiBody(e, t, AnsiStr(c.written)).w(0);
        EXPECT_EQ(Hex(EntityBytes(m, 700, c.opt)), Hex(e)) << c.name;
    }
}

TEST(EntityWriter, DimensionTextOnlyCleanedAndSubstituted) {
    const bool substBefore = jw::JwRefSubst;
    const auto listBefore = jw::JwRefList;
    jw::JwRefSubst = true;
    jw::JwRefList = {{u"%%NAME", u"value"}};
    struct Case {
        int opt;
        JwString held;
        JwString text;  // as a text entity
        JwString dim;   // as a dimension text
    };
    const Case cases[] = {
        {0x09, u"^@BM%temp%x.jpg,1", u"^@BMx.jpg,1", u"^@BM%temp%x.jpg,1"},
        {0x00, u"%%NAME", u"%%NAME", u"value"},
        {0x10, u"%%NAME", u"value", u"value"},
        {0x10, u"%%OTHER", u"%%OTHER", u"%%OTHER"},
        {0x10, u"\n%%NAME", u"value", u"value"},
    };
    for (const auto& c : cases) {
        TJwwData m = Model(420);
        AddMoji(m, Moji(c.held));
        auto d = SxfDimension();
        d.bSxfMode = 0;
        d.Moji.str = c.held;
        AddSunpo(m, d);
        B e;
        e.w(2).newClass(351, "CDataMoji");
        MojiBody(e, Moji(c.held), AnsiStr(c.text), 351).newClass(351, "CDataSunpou");
        e.att(d.att, 351);
        LineBody(e, d.Sen, 351);
        MojiBody(e, d.Moji, AnsiStr(c.dim), 351).w(0);
        EXPECT_EQ(Hex(EntityBytes(m, 351, c.opt)), Hex(e)) << jw::ToUtf8(c.held) << " opt " << c.opt;
    }
    jw::JwRefSubst = substBefore;
    jw::JwRefList = listBefore;
}

TEST(EntityWriter, TextSizesLimitedAndUtf16Strings) {
    struct Case {
        double in, out;
    };
    const Case cases[] = {{-2.5, 2.5}, {0, 1e-10}, {1e12, 1e10}, {-1e-11, 1e-10}, {3, 3}};
    for (const auto& c : cases) {
        TJwwData m = Model();
        auto t = Moji(u"図");
        t.dSizeX = c.in;
        t.dSizeY = -c.in;
        AddMoji(m, t);
        B e;
        e.w(1).newClass(700, "CDataMoji");
        e.att(t.att).d(t.start_x).d(t.start_y).d(t.end_x).d(t.end_y).c(t.nMojiShu).d(c.out).d(c.out);
        e.d(t.dKankaku).d(t.degKakudo);
        e.u8(0xFF).u8(0xFE).u8(0xFF).u8(4).w('F').w('O').w('N').w('T');
        e.u8(0xFF).u8(0xFE).u8(0xFF).u8(1).w(0x56F3).w(0);
        EXPECT_EQ(Hex(EntityBytes(m, 700, 0x20)), Hex(e)) << c.in;
    }
}

TEST(EntityWriter, AttributesNormalisedInEntities) {
    // Extended line type and colour on a line written as 3.00.
    TJwwData m = Model();
    const auto l = Line(0, 0, 1, 1, Att(33, 150, 12, 20, 3, 0x20));
    AddLine(m, l);
    B e;
    e.w(1).newClass(300, "CDataSen");
    LineBody(e, Line(0, 0, 1, 1, Att(3, 1, 12, 0, 3, 0x20)), 300).w(0);
    EXPECT_EQ(Hex(EntityBytes(m, 300)), Hex(e));
}

}  // namespace
