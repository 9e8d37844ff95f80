// A read-only view of one entity list (the drawing's or a block definition's)
// whose counts are limited to the arrays really held, so that a model with
// counts that disagree with its arrays (a short read, a hostile file) is
// never indexed past an end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/jw_data.h"
#include "model/jww_records.h"

namespace jw {

// Number of usable entries of an array of `size` entries whose count field
// says `count`: the count, but never below 0 and never past the end.
inline size_t HeldCount(size_t size, int32_t count) {
    return count <= 0 ? 0 : std::min(size, static_cast<size_t>(count));
}

template <class T>
size_t HeldCount(const std::vector<T>& v, int32_t count) {
    return HeldCount(v.size(), count);
}

struct EntityListView {
    const TEntJwwNo* no = nullptr;  // order list
    size_t noN = 0;
    const TEntJwwLine* line = nullptr;
    size_t lineN = 0;
    const TEntJwwEnko* enko = nullptr;
    size_t enkoN = 0;
    const TEntJwwTen* ten = nullptr;
    size_t tenN = 0;
    const TEntJwwMoji* moji = nullptr;
    size_t mojiN = 0;
    const TEntJwwSunpo* sunpo = nullptr;
    size_t sunpoN = 0;
    const TEntJwwSolid* solid = nullptr;
    size_t solidN = 0;
    const TEntJwwBlock* block = nullptr;
    size_t blockN = 0;

    // Each array with the count that its list states for it.
    EntityListView(const std::vector<TEntJwwNo>& noV, int32_t noCount,
                   const std::vector<TEntJwwLine>& lineV, int32_t lineCount,
                   const std::vector<TEntJwwEnko>& enkoV, int32_t enkoCount,
                   const std::vector<TEntJwwTen>& tenV, int32_t tenCount,
                   const std::vector<TEntJwwMoji>& mojiV, int32_t mojiCount,
                   const std::vector<TEntJwwSunpo>& sunpoV, int32_t sunpoCount,
                   const std::vector<TEntJwwSolid>& solidV, int32_t solidCount,
                   const std::vector<TEntJwwBlock>& blockV, int32_t blockCount) {
        Take(no, noN, noV, noCount);
        Take(line, lineN, lineV, lineCount);
        Take(enko, enkoN, enkoV, enkoCount);
        Take(ten, tenN, tenV, tenCount);
        Take(moji, mojiN, mojiV, mojiCount);
        Take(sunpo, sunpoN, sunpoV, sunpoCount);
        Take(solid, solidN, solidV, solidCount);
        Take(block, blockN, blockV, blockCount);
    }

    // Number of held entities of a kind (kEntLine ... kEntBlock); 0 for any
    // other code.
    size_t Count(int32_t kind) const {
        switch (kind) {
            case kEntLine: return lineN;
            case kEntEnko: return enkoN;
            case kEntTen: return tenN;
            case kEntMoji: return mojiN;
            case kEntSunpo: return sunpoN;
            case kEntSolid: return solidN;
            case kEntBlock: return blockN;
            default: return 0;
        }
    }

    // Whether order entry e names a held entity.
    bool Valid(const TEntJwwNo& e) const {
        return e.EntNo >= 0 && static_cast<size_t>(e.EntNo) < Count(e.EntType);
    }

    // Calls f(kind, index) for every order entry that names a held entity,
    // in list order.
    template <class F>
    void ForEach(F&& f) const {
        for (size_t k = 0; k < noN; ++k)
            if (Valid(no[k])) f(no[k].EntType, static_cast<size_t>(no[k].EntNo));
    }

    // Calls f(records, count) for each of the seven record arrays, lines
    // first, block inserts last, whatever the order list says.
    template <class F>
    void EachArray(F&& f) const {
        f(line, lineN);
        f(enko, enkoN);
        f(ten, tenN);
        f(moji, mojiN);
        f(sunpo, sunpoN);
        f(solid, solidN);
        f(block, blockN);
    }

    // Held entities of every kind.
    size_t Total() const { return lineN + enkoN + tenN + mojiN + sunpoN + solidN + blockN; }

private:
    template <class T>
    static void Take(const T*& p, size_t& n, const std::vector<T>& v, int32_t count) {
        p = v.data();
        n = HeldCount(v, count);
    }
};

// The drawing's own list: the order list limited by the header's n1.
inline EntityListView EntityListOf(const TJwEntities& m) {
    return EntityListView(m.EntNo, m.Hd().n1, m.EntLine, m.EntLineN, m.EntEnko, m.EntEnkoN, m.EntTen, m.EntTenN,
                          m.EntMoji, m.EntMojiN, m.EntSunpo, m.EntSunpoN, m.EntSolid, m.EntSolidN, m.EntBlock,
                          m.EntBlockN);
}

// The members of a block definition: the order list limited by N.
inline EntityListView EntityListOf(const TEntJwwBlockDef& d) {
    return EntityListView(d.mNo, d.N, d.mLine, d.mLineN, d.mEnko, d.mEnkoN, d.mTen, d.mTenN, d.mMoji, d.mMojiN,
                          d.mSunpo, d.mSunpoN, d.mSolid, d.mSolidN, d.mBlock, d.mBlockN);
}

}  // namespace jw
