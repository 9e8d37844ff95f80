// Entity-list writer shared by JWW and JWS: the drawing's entities in the
// order of EntNo, then the block definitions with their members,
// each entity preceded by its class record or class tag.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "jww/archive.h"
#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/paths.h"
#include "support/program_values.h"
#include "support/strings.h"

namespace jw {

namespace {

constexpr size_t kLineSize = sizeof(TEntJwwLine);         // 47
constexpr size_t kEnkoSize = sizeof(TEntJwwEnko);         // 75
constexpr size_t kMojiSize = sizeof(TEntJwwMojiFixed);    // 83
constexpr size_t kBlockSize = sizeof(TEntJwwBlock);       // 59
constexpr size_t kDefSize = sizeof(TEntJwwBlockDefFixed);  // 27

bool StartsWith(std::u16string_view s, std::u16string_view p) { return s.substr(0, p.size()) == p; }

// True when the output cleaning would change s.
bool NeedsClean(const JwString& s) {
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x20) return true;
        if (i + 1 < n && ((c == u'^' && s[i + 1] == u'm') || (c == u'\\' && s[i + 1] == u'n'))) return true;
    }
    return false;
}

class EntityListWriter {
public:
    EntityListWriter(const TJwEntities& m, ArchiveWriter& aw, int32_t ver)
        : m_(m), aw_(aw), ver_(ver), splitSxf_(ver < kVerSxf && m.Hd().jwVer >= kVerSxf), opt_(aw.fileOutOpt) {
        aw_.version = ver;
    }

    void Run() {
        // Every definition, or those in use when unused ones are purged; the
        // inserts refer to them by the numbers they are saved with.
        const size_t listN = HeldCount(HeldCount(m_.EntBlockDef, m_.EntBlockDefN), m_.Hd().n2);
        numbers_ = m_.SavedBlockNumbers(listN);
        const EntityListView drawing = EntityListOf(m_);
        aw_.CountOut(CountOf(drawing));
        WriteList(drawing);

        // The count states what follows.
        const int32_t written =
            static_cast<int32_t>(std::count_if(numbers_.begin(), numbers_.end(), [](int64_t v) { return v >= 0; }));
        aw_.CountOut(written);
        for (size_t i = 0; i < numbers_.size(); ++i)
            if (numbers_[i] >= 0) WriteDefinition(m_.EntBlockDef[i]);
    }

private:
    const TJwEntities& m_;
    ArchiveWriter& aw_;
    const int32_t ver_;
    const bool splitSxf_;  // SXF dimensions become dimension + 2 lines + 4 points
    const int32_t opt_;
    uint32_t objectIndex_ = 1;
    int32_t classIndex_[9] = {};
    JwString work_;  // reused for rewritten strings
    std::vector<int64_t> numbers_;  // the saved number of each definition, -1 left out

    bool Splits(const TEntJwwSunpo& d) const { return splitSxf_ && d.bSxfMode != 0; }

    // An insert of a number no definition has is left out: written, it
    // would refer to whichever definition the reader numbers 0.
    bool Dropped(const EntityListView& l, int32_t kind, size_t i) const {
        return kind == kEntBlock && !m_.HasBlkDef(l.block[i].nNumber);
    }

    // Objects written for a list: a split dimension is seven of them.
    int32_t CountOf(const EntityListView& l) const {
        uint32_t n = 0;
        l.ForEach([&](int32_t kind, size_t i) {
            if (!Dropped(l, kind, i)) n += (kind == kEntSunpo && Splits(l.sunpo[i])) ? 7 : 1;
        });
        return static_cast<int32_t>(n);
    }

    void ClassInfo(int kind) {
        if (classIndex_[kind] == 0) {
            aw_.NewClassOut(ver_, kClassNames[kind]);
            classIndex_[kind] = static_cast<int32_t>(objectIndex_);
            ++objectIndex_;
        } else {
            aw_.ClassOut(classIndex_[kind]);
        }
    }

    // A fixed part of Full bytes (3.51 layout) is copied once into a buffer
    // with its attribute normalised, adjusted there if the kind needs it, and
    // written in the form of the target version. The sizes are constants so
    // that the copies compile to a few moves.
    template <size_t Full>
    struct FixedBuf {
        uint8_t b[Full];
        template <class V>
        void Put(size_t offset, V v) {
            std::memcpy(b + offset, &v, sizeof v);
        }
    };

    template <size_t Full>
    void Load(FixedBuf<Full>& f, const void* rec, int kind) const {
        static_assert(Full > sizeof(TEntJwwAttr));
        const TEntJwwAttr a = NormalizeAttrForOutput(ver_, *static_cast<const TEntJwwAttr*>(rec), kind);
        std::memcpy(f.b, static_cast<const uint8_t*>(rec), Full);
        std::memcpy(f.b, &a, sizeof a);
    }

    template <size_t Full>
    void Emit(const FixedBuf<Full>& f) {
        aw_.WriteFixed(f.b);
    }

    template <size_t Full>
    void Fixed(const void* rec, int kind) {
        FixedBuf<Full> f;
        Load(f, rec, kind);
        Emit(f);
    }

    const JwString& Clean(const JwString& s) {
        if (!NeedsClean(s)) return s;
        work_ = StrOutClean(s);
        return work_;
    }

    // The string of a text: cleaned, then the optional rewrites.
    const JwString& TextString(const JwString& held, bool dimension) {
        const bool subst = dimension || (opt_ & 0x10);
        const bool tempCut = !dimension && (opt_ & 0x08);
        const bool nameOnly = !dimension && (opt_ & 0x01);
        const bool clean = NeedsClean(held);
        if (!clean && !(subst && StartsWith(held, u"%%")) && !((tempCut || nameOnly) && StartsWith(held, u"^@BM")))
            return held;
        if (clean) work_ = StrOutClean(held);
        else work_.assign(held);
        if (subst) RefVarLookup(work_);
        if (tempCut && StartsWith(work_, u"^@BM%temp%")) work_.erase(4, 6);
        if (nameOnly && StartsWith(work_, u"^@BM")) {
            const size_t c = work_.find(u',');
            if (c != JwString::npos) {
                JwString rebuilt = u"^@BM";
                rebuilt += FileNameOnly(std::u16string_view(work_).substr(4, c - 4));
                rebuilt.append(work_, c, JwString::npos);
                work_.swap(rebuilt);
            }
        }
        return work_;
    }

    void MojiBody(const TEntJwwMoji& t, bool dimension) {
        FixedBuf<kMojiSize> f;
        Load(f, static_cast<const TEntJwwMojiFixed*>(&t), kEntMoji);
        f.Put(offsetof(TEntJwwMojiFixed, dSizeX), LimitSize(t.dSizeX));
        f.Put(offsetof(TEntJwwMojiFixed, dSizeY), LimitSize(t.dSizeY));
        Emit(f);
        aw_.StrOut(Clean(t.strFontName));
        aw_.StrOut(TextString(t.str, dimension));
    }

    // A point: the code, rotation and scale follow only for a point with code.
    template <size_t Full>
    void TenFixed(const TEntJwwTen& t, bool temporary) {
        FixedBuf<Full> f;
        Load(f, &t, kEntTen);
        if (temporary) f.Put(offsetof(TEntJwwTen, bKariten), uint32_t{1});
        Emit(f);
    }

    void TenBody(const TEntJwwTen& t, bool temporary) {
        if (t.att.nPenStyle == 100)
            TenFixed<sizeof(TEntJwwTen)>(t, temporary);
        else
            TenFixed<kTenFixedSize>(t, temporary);
    }

    void SunpoBody(const TEntJwwSunpo& d) {
        aw_.AttrOut(ver_, d.att, kEntSunpo);
        Fixed<kLineSize>(&d.Sen, kEntLine);
        MojiBody(d.Moji, true);
        if (ver_ >= kVerSxf) {
            aw_.WriteWord(d.bSxfMode);
            Fixed<kLineSize>(&d.Ho1, kEntLine);
            Fixed<kLineSize>(&d.Ho2, kEntLine);
            TenBody(d.Te1, false);
            TenBody(d.Te2, false);
            TenBody(d.Kt1, false);
            TenBody(d.Kt2, false);
        }
    }

    void LineObject(const TEntJwwLine& l) {
        ClassInfo(kEntLine);
        Fixed<kLineSize>(&l, kEntLine);
        ++objectIndex_;
    }

    void TenObject(const TEntJwwTen& t, bool temporary) {
        ClassInfo(kEntTen);
        TenBody(t, temporary);
        ++objectIndex_;
    }

    void WriteEntity(const EntityListView& l, int32_t kind, size_t i) {
        switch (kind) {
            case kEntLine:
                LineObject(l.line[i]);
                break;
            case kEntEnko:
                ClassInfo(kEntEnko);
                Fixed<kEnkoSize>(&l.enko[i], kEntEnko);
                ++objectIndex_;
                break;
            case kEntTen:
                TenObject(l.ten[i], false);
                break;
            case kEntMoji:
                ClassInfo(kEntMoji);
                MojiBody(l.moji[i], false);
                ++objectIndex_;
                break;
            case kEntSunpo: {
                const TEntJwwSunpo& d = l.sunpo[i];
                ClassInfo(kEntSunpo);
                SunpoBody(d);
                ++objectIndex_;
                if (Splits(d)) {
                    LineObject(d.Ho1);
                    LineObject(d.Ho2);
                    TenObject(d.Te1, false);
                    TenObject(d.Te2, false);
                    TenObject(d.Kt1, true);
                    TenObject(d.Kt2, true);
                }
                break;
            }
            case kEntSolid: {
                const TEntJwwSolid& s = l.solid[i];
                ClassInfo(kEntSolid);
                // The fill colour follows only for a solid of colour 10.
                if (s.att.nPenColor == 10)
                    Fixed<sizeof(TEntJwwSolid)>(&s, kEntSolid);
                else
                    Fixed<kSolidFixedSize>(&s, kEntSolid);
                ++objectIndex_;
                break;
            }
            case kEntBlock: {
                const TEntJwwBlock& b = l.block[i];
                ClassInfo(kEntBlock);
                FixedBuf<kBlockSize> f;
                Load(f, &b, kEntBlock);
                f.Put(offsetof(TEntJwwBlock, nNumber), m_.SavedBlockNo(numbers_, b.nNumber));
                Emit(f);
                ++objectIndex_;
                break;
            }
            default:
                break;
        }
    }

    void WriteList(const EntityListView& l) {
        l.ForEach([&](int32_t kind, size_t i) {
            if (!Dropped(l, kind, i)) WriteEntity(l, kind, i);
        });
    }

    void WriteDefinition(const TEntJwwBlockDef& d) {
        ClassInfo(kEntBlockDef);
        FixedBuf<kDefSize> f;
        Load(f, &d.Fixed(), kEntBlockDef);
        f.Put(offsetof(TEntJwwBlockDefFixed, nNumber), m_.SavedBlockNo(numbers_, d.nNumber));
        // The time stamp read with the definition goes back to the versions
        // that hold one: 7.00, and any version from that of the file it came
        // from on. Elsewhere bit 31 would announce a stamp that is not there.
        const bool stamp = d.bTime64 && ver_ >= std::min(m_.Hd().jwVer, kVerBlockTime64);
        f.Put(offsetof(TEntJwwBlockDefFixed, dtime),
              stamp ? (d.dtimeFile | 0x80000000u) : static_cast<uint32_t>(d.dtime & 0x7FFFFFFFu));
        Emit(f);
        if (stamp) aw_.WriteBytes(d.time64, sizeof d.time64);
        aw_.StrOut(Clean(d.strName));
        const EntityListView members = EntityListOf(d);
        aw_.CountOut(CountOf(members));
        ++objectIndex_;
        WriteList(members);
    }
};

}  // namespace

void TJwEntities::WriteEntityLists(ArchiveWriter& aw, int32_t Ver) {
    EntityListWriter(*this, aw, Ver).Run();
}

}  // namespace jw
