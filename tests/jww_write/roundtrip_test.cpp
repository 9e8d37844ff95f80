// Round trips over the real samples: read, write, read again.
#include "model_compare.h"
#include <cmath>
#include <type_traits>

#include "common/samples.h"
#include "jww/save_losses.h"
#include "support/paths.h"
#include "support/strings.h"
#include "write_helpers.h"

namespace {

using namespace jwt;
using jw::TJwsData;
using jw::TJwwData;
namespace fs = std::filesystem;

struct Sample {
    std::string name;
    bool jws;
};

std::vector<Sample> Samples() {
    std::vector<Sample> out;
    for (const auto& e : fs::directory_iterator(jw::test::SamplesDir())) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".jww" || ext == ".jws") out.push_back({e.path().filename().string(), ext == ".jws"});
    }
    std::sort(out.begin(), out.end(), [](const Sample& a, const Sample& b) { return a.name < b.name; });
    return out;
}

JwString U(const fs::path& p) { return jw::FromUtf8(p.string()); }

// A JWW model that extracts bound images into `images` (made here), so that
// they can be written again.
void Prepare(TJwwData& m, const fs::path& images) {
    fs::create_directories(images);
    m.BindImageFolder = U(images) + u"/";
    m.BindImageExp = true;
    m.BindImageExr = true;
}

// What a save with PurgeUnusedBlocks keeps of the block definitions: only
// the referenced ones, numbered 0, 1, 2 ... in their order, with every insert
// renumbered.
void KeepReferencedDefinitions(jw::TJwEntities& m) {
    for (int i = 0; i < m.EntBlockN; ++i) m.EntBlock[i].nNumber = m.ChangeBlockNo(m.EntBlock[i].nNumber);
    std::vector<jw::TEntJwwBlockDef> kept;
    for (int i = 0; i < m.EntBlockDefN; ++i) {
        if (!m.EntBlockDef[i].ref_flag) continue;
        jw::TEntJwwBlockDef d = m.EntBlockDef[i];
        for (int k = 0; k < d.mBlockN; ++k) d.mBlock[k].nNumber = m.ChangeBlockNo(d.mBlock[k].nNumber);
        d.nNumber = static_cast<uint32_t>(d.ref_no);
        kept.push_back(std::move(d));
    }
    m.EntBlockDef = std::move(kept);
    m.EntBlockDefN = m.Hd().n2 = static_cast<int32_t>(m.EntBlockDef.size());
    m.MakeBlockTree();
}

// The header values a save normalises (pens, text types, the extended tables
// and their default names).
void NormaliseHeaderAsSaved(TJwwData& m, int ver) {
    auto blank = [](const JwString& s) { return jw::StrNoSpace(s.empty() ? s : jw::StrNoBreakMark(s)).empty(); };
    auto number = [](const char* prefix, int i) { return jw::FromUtf8(prefix + std::to_string(i)); };
    auto limit = [](double v) { return std::min(std::max(std::fabs(v), 1e-10), 1e10); };
    for (int i = 0; i < 10; ++i) {
        auto& c = m.EntCol[i];
        if (c.aPenColor < 0 || c.aPenColor > 0xFFFFFF) c.aPenColor = 0;
        c.anPenWidth = std::clamp(c.anPenWidth, 1, 16);
        if (c.aPrtPenColor < 0 || c.aPrtPenColor > 0xFFFFFF || i == 0) c.aPrtPenColor = i == 0 ? 0xFFFFFF : 0;
        c.anPrtPenWidth = std::clamp(c.anPrtPenWidth, 1, 500);
        c.adPrtTenHankei = std::clamp(c.adPrtTenHankei, 0.1, 10.0);
        m.EntMoj[i].adMojiX = limit(m.EntMoj[i].adMojiX);
        m.EntMoj[i].adMojiY = limit(m.EntMoj[i].adMojiY);
    }
    m.Enthd.dMojiSizeX = limit(m.Enthd.dMojiSizeX);
    m.Enthd.dMojiSizeY = limit(m.Enthd.dMojiSizeY);
    if (ver < 420) {
        m.EntColS.assign(257, {});
        m.EntLtpS.assign(33, {});
        return;
    }
    for (int i = 0; i < 257; ++i) {
        auto& c = m.EntColS[i];
        if (blank(c.astrUDColorName)) c.astrUDColorName = number("Color_", i);
        if (i >= 17) c.aPrtPenColor = c.aPenColor;
    }
    for (int k = 0; k < 33; ++k) {
        auto& t = m.EntLtpS[k];
        const bool valid = t.anUDLTypeSegment == 2 || t.anUDLTypeSegment == 4 || t.anUDLTypeSegment == 6 ||
                           t.anUDLTypeSegment == 8;
        if (k >= 17 && !valid) {
            t = {};
            t.alLType = static_cast<int32_t>(0xC3C3C3C3u);
            t.anTokushuSenUintDot = 8;
            t.anTokushuSenPich = 1;
            t.anPrtTokushuSenPich = 8;
            t.astrUDLTypeName = number("LType_", k);
            t.anUDLTypeSegment = 2;
            t.aadUDLTypePitch[0] = t.aadUDLTypePitch[1] = 1.0;
            continue;
        }
        if (t.alLType == 0) t.alLType = -1;
        if (blank(t.astrUDLTypeName)) t.astrUDLTypeName = number("LType_", k);
    }
}

// Header length of a model as written (its entity lists left out).
template <class M>
size_t HeaderLength(const M& m, int ver, const TempDir& dir) {
    M e = m;
    e.EntNo.clear();
    e.Hd().n1 = e.Hd().n2 = 0;
    e.EntBlockDef.clear();
    e.EntBlockDefN = e.EntBlockNum = 0;
    e.BindImage.clear();
    e.BindImageN = 0;
    EXPECT_TRUE(e.FileOut(dir / "header_only", ver));
    return ReadFileBytes(dir.path() / "header_only").size() - 4 - (ver >= 700 && std::is_same_v<M, TJwwData> ? 4 : 0);
}

// Read a sample, write it at its own version and encoding, read it again: the
// models agree apart from what a save normalises, and everything after the
// header is written byte for byte as read.
TEST(RoundTrip, SamplesAtTheirOwnVersionAndEncoding) {
    ZS_NEED_SAMPLES();
    TempDir dir;
    int identical = 0;
    const auto samples = Samples();
    ASSERT_FALSE(samples.empty());
    std::string why;
    for (const auto& s : samples) {
        const fs::path src = jw::test::SamplePath(s.name);
        const fs::path out = dir.path() / ("out_" + s.name);
        ModelDiff diff;
        int ver = 0;
        size_t header = 0;
        if (s.jws) {
            TJwsData a, b;
            ASSERT_TRUE(a.FileIn(U(src))) << s.name << ": " << a.LastError;
            ver = a.Enthd.jwVer;
            a.SetFileOutOption(a.MojiEncode ? 0x20 : 0);
            ASSERT_TRUE(a.FileOut(U(out), ver)) << a.LastError;
            ASSERT_TRUE(b.FileIn(U(out))) << s.name << ": " << b.LastError;
            header = HeaderLength(a, ver, dir);
            diff.Jws(a, b);
        } else {
            TJwwData a, b;
            Prepare(a, dir.path() / "img_a");
            Prepare(b, dir.path() / "img_b");
            ASSERT_TRUE(a.FileIn(U(src))) << s.name << ": " << a.LastError;
            ver = a.Enthd.jwVer;
            a.SetFileOutOption(a.MojiEncode ? 0x20 : 0);
            const TJwwData before = a;
            ASSERT_TRUE(a.FileOut(U(out), ver)) << a.LastError;
            {
                ModelDiff unchanged;  // saving leaves the model as it was
                unchanged.Jww(before, a);
                EXPECT_TRUE(unchanged.Same()) << unchanged.Text();
            }
            ASSERT_TRUE(b.FileIn(U(out))) << s.name << ": " << b.LastError;
            for (int i = 0; i < std::min(a.BindImageN, b.BindImageN); ++i)
                EXPECT_EQ(ReadFileBytes(dir.path() / "img_a" / jw::ToUtf8(a.BindImage[i].Fname)),
                          ReadFileBytes(dir.path() / "img_b" / jw::ToUtf8(b.BindImage[i].Fname)));
            header = HeaderLength(a, ver, dir);
            NormaliseHeaderAsSaved(a, ver);
            diff.Jww(a, b);
        }
        EXPECT_TRUE(diff.Same()) << s.name << " at " << ver << ":\n" << diff.Text();

        const Bytes original = ReadFileBytes(src);
        const Bytes written = ReadFileBytes(out);
        if (original == written) {
            ++identical;
            continue;
        }
        // What differs: a JWS header is written as held; a JWW header gets the
        // 56 reserved bytes as spaces and default names for blank extended
        // colours and line types. The body is the same: every block
        // definition is kept, used or not.
        if (s.jws) {
            EXPECT_TRUE(std::equal(written.begin(), written.begin() + header, original.begin())) << s.name;
        }
        const size_t body = written.size() - header;
        ASSERT_LE(body, original.size());
        const bool sameBody = std::equal(written.begin() + header, written.end(), original.end() - body);
        EXPECT_TRUE(sameBody) << s.name;
        if (sameBody)
            why += s.name + ": header " + std::to_string(original.size() - body) + " -> " + std::to_string(header) +
                   " bytes, the rest identical\n";
    }
    std::cout << identical << " of " << samples.size() << " samples written byte for byte as read\n" << why;
}

// Asked to, a save leaves out exactly the definitions no insert reaches (a
// definition that only definitions in use use is kept), renumbers the rest,
// and the save's losses name how many.
TEST(RoundTrip, PurgeLeavesOutTheUnusedDefinitionsOfTheSamples) {
    ZS_NEED_SAMPLES();
    TempDir dir;
    int purged = 0;
    for (const auto& s : Samples()) {
        const fs::path out = dir.path() / ("out_" + s.name);
        auto check = [&](auto& a, auto& b) {
            ASSERT_TRUE(a.FileIn(U(jw::test::SamplePath(s.name)))) << s.name << ": " << a.LastError;
            const int unused = a.EntBlockDefN - a.EntBlockNum;
            if (unused == 0) return;
            ++purged;
            a.PurgeUnusedBlocks = true;
            a.SetFileOutOption(a.MojiEncode ? 0x20 : 0);
            int reported = 0;
            for (const jw::JwSaveLoss& loss : jw::SaveLosses(a, a.Enthd.jwVer, a.MojiEncode))
                if (loss.kind == jw::JwLossKind::UnusedBlockDefinitions) reported = loss.count;
            EXPECT_EQ(reported, unused) << s.name;
            ASSERT_TRUE(a.FileOut(U(out), a.Enthd.jwVer)) << a.LastError;
            ASSERT_TRUE(b.FileIn(U(out))) << s.name << ": " << b.LastError;
            EXPECT_EQ(b.EntBlockDefN, a.EntBlockNum) << s.name;
            KeepReferencedDefinitions(a);
            ModelDiff diff;
            if constexpr (std::is_same_v<std::decay_t<decltype(a)>, TJwsData>) {
                diff.Jws(a, b);
            } else {
                NormaliseHeaderAsSaved(a, a.Enthd.jwVer);
                diff.Jww(a, b);
            }
            EXPECT_TRUE(diff.Same()) << s.name << ":\n" << diff.Text();
        };
        if (s.jws) {
            TJwsData a, b;
            check(a, b);
        } else {
            TJwwData a, b;
            Prepare(a, dir.path() / "img_a");
            Prepare(b, dir.path() / "img_b");
            check(a, b);
        }
    }
    std::cout << purged << " samples hold block definitions no insert uses\n";
}

// What a save at version `ver` keeps of the entities: attributes mapped into
// the version's ranges (no line width below 3.51), text sizes limited, strings
// cleaned (and through code page 932 unless UTF-16), dimensions without their
// SXF part below 4.20 (derived again on reading).
class SavedForm {
public:
    SavedForm(int ver, bool utf16) : ver_(ver), utf16_(utf16) {}

    void Apply(jw::TJwEntities& m) const {
        ASSERT_FALSE(HasSxfSplit(m)) << "the split of SXF dimensions is not modelled here";
        for (auto& g : m.EntLgrp) g.aStrGLayName = Text(g.aStrGLayName);
        for (auto& t : m.EntMoj) {
            t.adMojiX = Limit(t.adMojiX);
            t.adMojiY = Limit(t.adMojiY);
        }
        Entities(m.EntLine, m.EntEnko, m.EntTen, m.EntMoji, m.EntSunpo, m.EntSolid, m.EntBlock);
        for (auto& d : m.EntBlockDef) {
            Att(d.att, 8);
            d.strName = Text(d.strName);
            Entities(d.mLine, d.mEnko, d.mTen, d.mMoji, d.mSunpo, d.mSolid, d.mBlock);
        }
        // A figure without texts, dimensions and definitions holds no string.
        const bool anyString = dynamic_cast<const TJwwData*>(&m) != nullptr || m.EntMojiN > 0 || m.EntSunpoN > 0 ||
                               !m.EntBlockDef.empty();
        m.MojiEncode = utf16_ && anyString;
        if (ver_ < 700) {
            m.BindImage.clear();
            m.BindImageN = 0;
        }
    }

private:
    int ver_;
    bool utf16_;

    bool HasSxfSplit(const jw::TJwEntities& m) const {
        if (ver_ >= 420 || m.Hd().jwVer < 420) return false;
        for (const auto& d : m.EntSunpo)
            if (d.bSxfMode) return true;
        for (const auto& b : m.EntBlockDef)
            for (const auto& d : b.mSunpo)
                if (d.bSxfMode) return true;
        return false;
    }
    static double Limit(double v) { return std::min(std::max(std::fabs(v), 1e-10), 1e10); }
    JwString Text(const JwString& s) const {
        const JwString c = s.empty() ? s : jw::StrNoBreakMark(s);
        return utf16_ ? c : jw::AnsiBytesStr(jw::AnsiBytes(c));
    }
    void Att(jw::TEntJwwAttr& a, int kind) const {
        a = jw::NormalizeAttrForOutput(ver_, a, kind);
        if (ver_ < 351) a.nPenWidth = 0;
    }
    void Moji(jw::TEntJwwMoji& t) const {
        Att(t.att, 4);
        t.dSizeX = Limit(t.dSizeX);
        t.dSizeY = Limit(t.dSizeY);
        t.strFontName = Text(t.strFontName);
        t.str = Text(t.str);
    }
    void Entities(std::vector<jw::TEntJwwLine>& line, std::vector<jw::TEntJwwEnko>& enko,
                  std::vector<jw::TEntJwwTen>& ten, std::vector<jw::TEntJwwMoji>& moji,
                  std::vector<jw::TEntJwwSunpo>& sunpo, std::vector<jw::TEntJwwSolid>& solid,
                  std::vector<jw::TEntJwwBlock>& block) const {
        for (auto& e : line) Att(e.att, 1);
        for (auto& e : enko) Att(e.att, 2);
        for (auto& e : ten) Att(e.att, 3);
        for (auto& e : moji) Moji(e);
        for (auto& e : solid) Att(e.att, 6);
        for (auto& e : block) Att(e.att, 7);
        for (auto& d : sunpo) {
            Att(d.att, 5);
            Att(d.Sen.att, 1);
            Moji(d.Moji);
            if (ver_ >= 420) {
                Att(d.Ho1.att, 1);
                Att(d.Ho2.att, 1);
                for (auto* t : {&d.Te1, &d.Te2, &d.Kt1, &d.Kt2}) Att(t->att, 3);
                continue;
            }
            d.bSxfMode = 0;
            d.Ho1 = d.Ho2 = jw::TEntJwwLine{};
            d.Ho1.att = d.Ho2.att = d.att;
            for (auto* t : {&d.Te1, &d.Te2, &d.Kt1, &d.Kt2}) {
                *t = jw::TEntJwwTen{};
                t->att = d.att;
                t->att.nPenStyle = 0;
                t->dBairitsu = 0;
            }
        }
    }
};

// Every sample written in all nine versions and both encodings reads back
// without error, with the same entities apart from the documented losses.
TEST(RoundTrip, SamplesInEveryVersionAndEncoding) {
    ZS_NEED_SAMPLES();
    TempDir dir;
    const int versions[] = {220, 223, 225, 230, 300, 351, 420, 600, 700};
    for (const auto& s : Samples()) {
        const fs::path src = jw::test::SamplePath(s.name);
        for (int ver : versions) {
            for (int opt : {0, 0x20}) {
                const std::string label = s.name + " as " + std::to_string(ver) + (opt ? " UTF-16" : " Shift-JIS");
                const JwString out = dir / (s.jws ? "v.jws" : "v.jww");
                ModelDiff diff;
                if (s.jws) {
                    TJwsData a, b;
                    ASSERT_TRUE(a.FileIn(U(src))) << label;
                    a.SetFileOutOption(opt);
                    ASSERT_TRUE(a.FileOut(out, ver)) << label << ": " << a.LastError;
                    ASSERT_TRUE(b.FileIn(out)) << label << ": " << b.LastError;
                    const int written = ver <= 230 ? 230 : ver == 300 ? 351 : ver;
                    EXPECT_EQ(b.Enthd.jwVer, written) << label;
                    SavedForm(written, opt != 0).Apply(a);
                    diff.Common(a, b);
                } else {
                    TJwwData a, b;
                    a.BindImageExr = b.BindImageExr = true;
                    ASSERT_TRUE(a.FileIn(U(src))) << label;
                    a.SetFileOutOption(opt);
                    ASSERT_TRUE(a.FileOut(out, ver)) << label << ": " << a.LastError;
                    ASSERT_TRUE(b.FileIn(out)) << label << ": " << b.LastError;
                    EXPECT_EQ(b.Enthd.jwVer, ver) << label;
                    SavedForm(ver, opt != 0).Apply(a);
                    diff.Common(a, b);
                }
                EXPECT_TRUE(diff.Same()) << label << ":\n" << diff.Text();
            }
        }
    }
}

}  // namespace
