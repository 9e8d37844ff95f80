// The names of a DXF table's records (line types, layers, styles, block
// definitions, image files), found without regard to case: an open hash
// table of record numbers that compares against the records' own names, so
// that entering a name copies nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "support/strings.h"

namespace jw {

class TableNames {
public:
    void Clear() {
        slots_.clear();
        count_ = 0;
    }

    // The record whose name equals name upper-cased, else -1; nameOf(r) is
    // the name of record r.
    template <class NameOf>
    int32_t Find(std::u16string_view name, NameOf&& nameOf) const {
        if (slots_.empty()) return -1;
        const uint32_t h = UpperHash(name);
        const size_t mask = slots_.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            const Slot& s = slots_[i];
            if (s.rec < 0) return -1;
            if (s.hash == h && SameUpper(nameOf(s.rec), name)) return s.rec;
        }
    }

    // Room for n more names (std::bad_alloc when there is none).
    void Reserve(size_t n) {
        size_t size = std::max<size_t>(64, slots_.size());
        while (size < 2 * (count_ + n)) size *= 2;
        if (size == slots_.size()) return;
        std::vector<Slot> old(size);
        std::swap(old, slots_);
        for (const Slot& s : old)
            if (s.rec >= 0) Place(s);
    }
    // Room for one more name: the only step of entering one that can fail.
    void MakeRoom() {
        if (2 * (count_ + 1) > slots_.size()) Reserve(std::max<size_t>(count_, 1));
    }

    // Enters record rec under name, which the table does not hold yet; call
    // MakeRoom first.
    void Insert(int32_t rec, std::u16string_view name) {
        Place({rec, UpperHash(name)});
        ++count_;
    }

private:
    struct Slot {
        int32_t rec = -1;
        uint32_t hash = 0;
    };

    void Place(const Slot& s) {
        const size_t mask = slots_.size() - 1;
        size_t i = s.hash & mask;
        while (slots_[i].rec >= 0) i = (i + 1) & mask;
        slots_[i] = s;
    }

    std::vector<Slot> slots_;  // a power of two, at most half full
    size_t count_ = 0;
};

}  // namespace jw
