// Entity lists of JWW drawings and JWS figures: the drawing's entities and
// the block definitions with their members.
#include <algorithm>

#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

// Least number of bytes a block definition takes in a file (tag, 25-byte
// fixed part, empty name, member count). Arrays sized from a count the file
// states are never made longer than the rest of the file could fill.
constexpr size_t kMinBlockDefBytes = 30;

size_t CappedCount(int64_t stated, size_t remaining, size_t minBytes) {
    if (stated <= 0) return 0;
    return static_cast<size_t>(std::min<int64_t>(stated, static_cast<int64_t>(remaining / minBytes)));
}

// The arrays one entity list fills: the drawing's or a definition's.
struct ListTarget {
    std::vector<TEntJwwNo>& no;
    std::vector<TEntJwwLine>& line;
    int32_t& lineN;
    std::vector<TEntJwwEnko>& enko;
    int32_t& enkoN;
    std::vector<TEntJwwTen>& ten;
    int32_t& tenN;
    std::vector<TEntJwwMoji>& moji;
    int32_t& mojiN;
    std::vector<TEntJwwSunpo>& sunpo;
    int32_t& sunpoN;
    std::vector<TEntJwwSolid>& solid;
    int32_t& solidN;
    std::vector<TEntJwwBlock>& block;
    int32_t& blockN;
    size_t step;      // growth step of the arrays
    size_t textStep;  // growth step of texts and dimensions

    void Trim() {
        TrimOne(line, lineN);
        TrimOne(enko, enkoN);
        TrimOne(ten, tenN);
        TrimOne(moji, mojiN);
        TrimOne(sunpo, sunpoN);
        TrimOne(solid, solidN);
        TrimOne(block, blockN);
    }

    // Shortens v to n records. Spare room of up to an eighth of the records
    // stays: it lies in pages no record was ever written to, so it costs
    // address space but no memory, while releasing it would copy the array.
    template <class T>
    static void TrimOne(std::vector<T>& v, int32_t n) {
        const size_t len = static_cast<size_t>(std::max(n, 0));
        if (v.size() != len) v.resize(len);
        if (v.capacity() - len > len / 8) v.shrink_to_fit();
    }
};

// FilePrevIn's budget of entity tags for the whole file; unlimited (max < 0)
// for FileIn.
struct Budget {
    int64_t max;
    int64_t used = 0;
    bool Limited() const { return max >= 0; }
    bool Exhausted() const { return Limited() && used >= max; }
};

// Where a list stands while it is read: entities read so far, entities it
// may still hold (its count, limited by what the rest of the file could
// hold), the current one included, and the bytes left in the file.
struct ListProgress {
    size_t seen;
    size_t left;
    size_t remaining;
};

// Least number of bytes an entity of each kind takes in a file: a 2-byte
// class tag, the fixed part of the oldest form, empty strings. No more
// records of a kind are ever reserved than the rest of the file could hold.
constexpr size_t kMinLineBytes = 2 + 45;
constexpr size_t kMinEnkoBytes = 2 + 73;
constexpr size_t kMinTenBytes = 2 + 33;
constexpr size_t kMinMojiBytes = 2 + 81 + 2;
constexpr size_t kMinSunpoBytes = 2 + 13 + 45 + 81 + 2;
constexpr size_t kMinSolidBytes = 2 + 77;
constexpr size_t kMinBlockBytes = 2 + 57;
// Least number of bytes of any tagged entity: the point is the smallest kind.
constexpr size_t kMinEntityBytes = kMinTenBytes;

// Room for more records of a kind that already has `have` of the `seen`
// entities of its list. Once a step of them has been read, the room is what
// the rest of the list needs if it keeps the mix seen so far, plus a
// sixteenth: in a large drawing the arrays then grow about once instead of
// being copied at every doubling. The room is never below half the array
// (so growth stays linear when the mix changes) and never beyond what the
// list, and the rest of the file, can still hold of that kind.
size_t GrowthFor(size_t have, size_t step, size_t minBytes, const ListProgress& p) {
    const size_t most = std::min(p.left, p.remaining / minBytes + 1);
    size_t grow = std::max(step, have / 2);
    if (have >= step && p.seen > 0) {
        const double expected = static_cast<double>(have) * static_cast<double>(p.left) / static_cast<double>(p.seen);
        const double wanted = expected + expected / 16 + static_cast<double>(step);
        if (wanted > static_cast<double>(grow))
            grow = wanted < static_cast<double>(most) ? static_cast<size_t>(wanted) : most;
    }
    return std::max<size_t>(1, std::min(grow, most));
}

// The record the next entity of a kind goes into. Records are only
// constructed as entities arrive, so room costs no initialisation; room that
// is reserved but never filled is never written, so it takes no memory.
template <class T>
T& NextSlot(std::vector<T>& v, int32_t n, size_t step, size_t minBytes, const ListProgress& p) {
    const size_t i = static_cast<size_t>(n);
    if (i < v.size()) {
        v[i] = T{};  // a record dropped after a short read
        return v[i];
    }
    if (v.size() == v.capacity()) {
        const size_t have = v.size();
        const size_t grow = GrowthFor(have, step, minBytes, p);
        try {
            v.reserve(have + grow);
        } catch (const std::bad_alloc&) {
            // A prediction the address space cannot hold: grow by steps.
            v.reserve(have + std::max<size_t>(1, std::min(std::max(step, have / 2), grow)));
        }
        AdviseLargeArray(v.data(), v.capacity() * sizeof(T));
    }
    return v.emplace_back();
}

inline uint8_t* Bytes(void* p) { return static_cast<uint8_t*>(p); }

// Text fixed part, font name and string. Answers the bytes of the fixed part.
size_t ReadMojiBody(ArchiveReader& ar, TEntJwwMoji& m) {
    const size_t got = ar.ReadFixed(static_cast<TEntJwwMojiFixed*>(&m), sizeof(TEntJwwMojiFixed));
    m.strFontName = ar.StrInFilter();
    m.str = ar.StrInFilter();
    if (!IsFiniteNum(m.dSizeX)) m.dSizeX = 3.0;
    if (!IsFiniteNum(m.dSizeY)) m.dSizeY = 3.0;
    if (!IsFiniteNum(m.dKankaku)) m.dKankaku = 0.0;
    return got;
}

// A point: fixed part and, for a point with code, its tail; a point without
// code has no code and rotation and the scale plainScale (1 for a point of a
// list, 0 for a point of a dimension). Answers the bytes of the fixed part.
size_t ReadPoint(ArchiveReader& ar, TEntJwwTen& t, double plainScale) {
    const size_t got = ar.ReadFixed(&t, kTenFixedSize);
    if (t.att.nPenStyle == 100) {
        ar.Read(Bytes(&t) + kTenFixedSize, kTenTailSize);
    } else {
        t.nCode = 0;
        t.radKaitenKaku = 0;
        t.dBairitsu = plainScale;
    }
    return got;
}

void ReadSunpoBody(ArchiveReader& ar, TEntJwwSunpo& s, bool& ok) {
    ar.AttrIn(s.att);
    ar.ReadFixed(&s.Sen, sizeof s.Sen);
    ok = ReadMojiBody(ar, s.Moji) != 0;
    if (ar.version >= kVerSxf) {
        s.bSxfMode = ar.ReadWord();
        ar.ReadFixed(&s.Ho1, sizeof s.Ho1);
        ar.ReadFixed(&s.Ho2, sizeof s.Ho2);
        ReadPoint(ar, s.Te1, 0.0);
        ReadPoint(ar, s.Te2, 0.0);
        ReadPoint(ar, s.Kt1, 0.0);
        if (ReadPoint(ar, s.Kt2, 0.0) == 0) ok = false;
    } else {
        s.bSxfMode = 0;
        s.Ho1 = TEntJwwLine{};
        s.Ho2 = TEntJwwLine{};
        AttrCopy(s.att, s.Ho1.att);
        AttrCopy(s.att, s.Ho2.att);
        TEntJwwTen t{};
        AttrCopy(s.att, t.att);
        t.att.nPenStyle = 0;
        t.dBairitsu = 0;
        s.Te1 = s.Te2 = s.Kt1 = s.Kt2 = t;
    }
}

// Reads one entity body of the given kind into the next record of its array.
// Answers false when a checked read delivered nothing: the count does not
// advance, so the record is cleared by the next NextSlot of its kind or
// removed by the list's Trim.
bool ReadEntityBody(ArchiveReader& ar, int kind, ListTarget& L, const ListProgress& p, int32_t& index) {
    switch (kind) {
    case kEntLine: {
        TEntJwwLine& e = NextSlot(L.line, L.lineN, L.step, kMinLineBytes, p);
        if (ar.ReadFixed(&e, sizeof e) == 0) return false;
        index = L.lineN++;
        return true;
    }
    case kEntEnko: {
        TEntJwwEnko& e = NextSlot(L.enko, L.enkoN, L.step, kMinEnkoBytes, p);
        if (ar.ReadFixed(&e, sizeof e) == 0) return false;
        index = L.enkoN++;
        return true;
    }
    case kEntTen: {
        TEntJwwTen& e = NextSlot(L.ten, L.tenN, L.step, kMinTenBytes, p);
        if (ReadPoint(ar, e, 1.0) == 0) return false;
        index = L.tenN++;
        return true;
    }
    case kEntMoji: {
        TEntJwwMoji& e = NextSlot(L.moji, L.mojiN, L.textStep, kMinMojiBytes, p);
        if (ReadMojiBody(ar, e) == 0) return false;
        index = L.mojiN++;
        return true;
    }
    case kEntSunpo: {
        TEntJwwSunpo& e = NextSlot(L.sunpo, L.sunpoN, L.textStep, kMinSunpoBytes, p);
        bool ok = false;
        ReadSunpoBody(ar, e, ok);
        if (!ok) return false;
        index = L.sunpoN++;
        return true;
    }
    case kEntSolid: {
        TEntJwwSolid& e = NextSlot(L.solid, L.solidN, L.step, kMinSolidBytes, p);
        if (ar.ReadFixed(&e, kSolidFixedSize) == 0) return false;
        if (e.att.nPenColor == 10)
            ar.Read(Bytes(&e) + kSolidFixedSize, sizeof(uint32_t));
        else
            e.Color = 0;
        index = L.solidN++;
        return true;
    }
    case kEntBlock: {
        TEntJwwBlock& e = NextSlot(L.block, L.blockN, L.step, kMinBlockBytes, p);
        if (ar.ReadFixed(&e, sizeof e) == 0) return false;
        index = L.blockN++;
        return true;
    }
    }
    return false;
}

// An order list of n entries (0, 0), filled in as the entities are read.
void SizeOrderList(std::vector<TEntJwwNo>& no, size_t n) {
    no.clear();
    ReserveLarge(no, n);
    no.resize(n, TEntJwwNo{0, 0});
}

// n tagged entities into L; the arrays are trimmed to their counts however the
// list ends. The reader's place counts the records in `counter` (the entity
// or the member number).
void ReadTaggedList(ArchiveReader& ar, ListTarget& L, int64_t n, Budget& budget, int64_t& counter) {
    try {
        size_t j = 0;
        for (int64_t k = 0; k < n; ++k) {
            if (budget.Limited()) {
                if (budget.Exhausted()) break;
                ++budget.used;
            }
            counter = k;
            ar.place.start = ar.Pos();
            ar.place.kind = 0;
            const ArchiveReader::ClassEntry& cls = ar.ClassEntryIn();
            const int kind = cls.kind;
            if (kind == 0) {
                const auto* bytes = reinterpret_cast<const uint8_t*>(cls.name.data());
                ar.Fail("the class name \"" + ToUtf8(AnsiBytesStr(bytes, cls.name.size())) + "\" is no entity's");
            }
            ar.place.kind = kind;
            const ListProgress progress{static_cast<size_t>(k),
                                        static_cast<size_t>(std::min<int64_t>(
                                            n - k, static_cast<int64_t>(ar.Remaining() / kMinEntityBytes) + 1)),
                                        ar.Remaining()};
            int32_t index = 0;
            if (ReadEntityBody(ar, kind, L, progress, index)) {
                const TEntJwwNo entry{kind, index};
                if (j < L.no.size())
                    L.no[j] = entry;
                else
                    L.no.push_back(entry);
                ++j;
            }
            ar.NextObject();
        }
    } catch (...) {
        L.Trim();
        throw;
    }
    L.Trim();
}

ListTarget DrawingTarget(TJwEntities& m) {
    return ListTarget{m.EntNo,    m.EntLine,  m.EntLineN,  m.EntEnko, m.EntEnkoN,  m.EntTen,
                      m.EntTenN,  m.EntMoji,  m.EntMojiN,  m.EntSunpo, m.EntSunpoN, m.EntSolid,
                      m.EntSolidN, m.EntBlock, m.EntBlockN, 1000,      1000};
}

ListTarget DefinitionTarget(TEntJwwBlockDef& d) {
    return ListTarget{d.mNo,    d.mLine,  d.mLineN,  d.mEnko,  d.mEnkoN,  d.mTen,   d.mTenN,
                      d.mMoji,  d.mMojiN, d.mSunpo,  d.mSunpoN, d.mSolid, d.mSolidN, d.mBlock,
                      d.mBlockN, 1000,    500};
}

}  // namespace

void TJwEntities::ReadEntityLists(ArchiveReader& ar, int32_t budget) {
    TEntJwHeaderCommon& hd = Hd();
    Budget b{budget};

    // Drawing entities.
    ar.place = {ReadSection::EntityCount, -1, -1, 0, ar.Pos()};
    const int32_t n1 = ar.CountIn();
    hd.n1 = n1;
    hd.n2 = 0;
    EntBlockDef.clear();
    EntBlockDefN = 0;
    SizeOrderList(EntNo, CappedCount(n1, ar.Remaining(), kMinEntityBytes));
    ListTarget drawing = DrawingTarget(*this);
    ar.place.section = ReadSection::Entity;
    ReadTaggedList(ar, drawing, n1, b, ar.place.item);
    if (b.Exhausted()) return;

    // Block definitions.
    ar.place = {ReadSection::DefinitionCount, -1, -1, 0, ar.Pos()};
    const int32_t c = ar.CountIn();
    hd.n2 = c;
    const size_t defCap = CappedCount(c, ar.Remaining(), kMinBlockDefBytes);
    EntBlockDef.resize(defCap);
    EntBlockDefN = static_cast<int32_t>(defCap);
    for (int64_t i = 0; i < c; ++i) {
        if (b.Exhausted()) break;
        // A stated count the rest of the file cannot hold ends like a short read.
        ar.place = {ReadSection::Definition, i, -1, 0, ar.Pos()};
        if (static_cast<size_t>(i) >= defCap)
            ar.Fail("the file states " + std::to_string(c) + " block definitions, more than the rest of it holds");
        TEntJwwBlockDef& d = EntBlockDef[static_cast<size_t>(i)];
        ar.ClassTagSkip();
        if (ar.ReadFixed(&d.Fixed(), sizeof(TEntJwwBlockDefFixed)) == 0)
            ar.Fail("the file ends before the block definition");
        d.bTime64 = (d.dtime & 0x80000000u) != 0;
        if (d.bTime64) {
            // The 64-bit time stamp is kept for the writer; dtime becomes the
            // definition's position.
            d.dtimeFile = d.dtime;
            ar.Read(d.time64, sizeof d.time64);
            d.dtime = static_cast<uint32_t>(i + 1);
        }
        d.strName = ar.StrInFilter();
        d.mLineN = d.mEnkoN = d.mTenN = d.mMojiN = d.mSunpoN = d.mSolidN = d.mBlockN = 0;
        const int32_t members = ar.CountIn();
        d.N = members;
        SizeOrderList(d.mNo, CappedCount(members, ar.Remaining(), kMinEntityBytes));
        ar.NextObject();
        ListTarget def = DefinitionTarget(d);
        ar.place.section = ReadSection::Member;
        ReadTaggedList(ar, def, members, b, ar.place.member);
    }
}

}  // namespace jw
