// Block tree and numbering: MakeBlockTree, ChangeBlockNo and the name lookups.
//
// Block inserts refer to definitions by number and definitions may contain
// inserts themselves. MakeBlockTree expands the drawing's inserts breadth-first
// into one flat vector of absolute placements, marks the definitions in use
// and numbers them in definition order for the writer.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/block_names.h"
#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/numbers.h"

namespace jw {

namespace {

// Upper bound of the ancestor steps spent on cycle detection, so that a
// hostile nesting of long paths cannot make the expansion crawl.
constexpr int64_t kMaxAncestorSteps = int64_t(1) << 24;

constexpr std::u16string_view kSfig = u"@@SFIG";

// Number of usable entries of an array whose count field may disagree with
// its length (the count is authoritative, but never read past the end).
template <class T>
int32_t Usable(const std::vector<T>& v, int32_t count) {
    return static_cast<int32_t>(HeldCount(v, count));
}

void PlacementMatrix(const TEntJwwBlock& b, double& r1, double& r2, double& r3, double& r4) {
    const double c = std::cos(b.radKaitenKaku);
    const double s = std::sin(b.radKaitenKaku);
    r1 = b.dBairitsuX * c;
    r2 = -b.dBairitsuY * s;
    r3 = b.dBairitsuX * s;
    r4 = b.dBairitsuY * c;
}

// Strongly connected components of the definition graph, in which
// definition d points to e when d holds an insert of e (Tarjan's algorithm,
// with an explicit stack so that deep nesting cannot exhaust the call stack).
struct DefinitionCycles {
    std::vector<int32_t> component;  // component of each definition
    std::vector<char> cyclic;        // the definition can reach itself
};

template <class Target>
DefinitionCycles FindCycles(const std::vector<TEntJwwBlockDef>& defs, int32_t defN, const Target& target) {
    DefinitionCycles r;
    r.component.assign(static_cast<std::size_t>(defN), -1);
    r.cyclic.assign(static_cast<std::size_t>(defN), 0);
    std::vector<int32_t> index(static_cast<std::size_t>(defN), -1), low(static_cast<std::size_t>(defN), 0);
    std::vector<char> onStack(static_cast<std::size_t>(defN), 0);
    std::vector<int32_t> stack;
    struct Frame {
        int32_t v, child;
    };
    std::vector<Frame> calls;
    int32_t counter = 0, components = 0;
    auto enter = [&](int32_t v) {
        index[v] = low[v] = counter++;
        stack.push_back(v);
        onStack[v] = 1;
        calls.push_back(Frame{v, 0});
    };
    for (int32_t s = 0; s < defN; ++s) {
        if (index[s] >= 0) continue;
        enter(s);
        while (!calls.empty()) {
            const int32_t v = calls.back().v;
            const TEntJwwBlockDef& d = defs[v];
            if (calls.back().child < Usable(d.mBlock, d.mBlockN)) {
                const int32_t w = target(d.mBlock[calls.back().child++].nNumber);
                if (w < 0) continue;
                if (w == v) r.cyclic[v] = 1;
                if (index[w] < 0) {
                    enter(w);
                } else if (onStack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            calls.pop_back();
            if (!calls.empty()) low[calls.back().v] = std::min(low[calls.back().v], low[v]);
            if (low[v] != index[v]) continue;
            // v is the root of a component: everything above it on the stack.
            const std::size_t first = stack.size() - 1 - static_cast<std::size_t>(
                std::find(stack.rbegin(), stack.rend(), v) - stack.rbegin());
            const bool several = stack.size() - first > 1;
            for (std::size_t i = first; i < stack.size(); ++i) {
                r.component[stack[i]] = components;
                onStack[stack[i]] = 0;
                if (several) r.cyclic[stack[i]] = 1;
            }
            stack.resize(first);
            ++components;
        }
    }
    return r;
}

}  // namespace

std::size_t BlkNameSuffixPos(std::u16string_view name) {
    // Only ASCII letters are folded: the upper-case form of "@@SFIG" is plain
    // ASCII, and folding ASCII keeps every position of the name unchanged.
    if (name.size() < kSfig.size()) return std::u16string_view::npos;
    for (std::size_t i = 0; i + kSfig.size() <= name.size(); ++i) {
        std::size_t k = 0;
        for (; k < kSfig.size(); ++k) {
            char16_t c = name[i + k];
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
            if (c != kSfig[k]) break;
        }
        if (k == kSfig.size()) return i;
    }
    return std::u16string_view::npos;
}

int32_t TJwEntities::FindBlkDef(uint32_t n) const {
    const int32_t defN = Usable(EntBlockDef, EntBlockDefN);
    auto rebuild = [&] {
        BlkNumIndex.first.clear();
        BlkNumIndex.first.reserve(static_cast<std::size_t>(defN));
        for (int32_t i = 0; i < defN; ++i) {
            const uint32_t number = EntBlockDef[i].nNumber;  // packed field: copied, never referenced
            BlkNumIndex.first.emplace(number, i);
        }
        BlkNumIndex.data = EntBlockDef.data();
        BlkNumIndex.count = defN;
    };
    if (BlkNumIndex.data != EntBlockDef.data() || BlkNumIndex.count != defN) rebuild();
    auto it = BlkNumIndex.first.find(n);
    if (it == BlkNumIndex.first.end()) return -1;
    if (it->second < defN && EntBlockDef[it->second].nNumber == n) return it->second;
    // A definition was renumbered in place: index again and look once more.
    rebuild();
    it = BlkNumIndex.first.find(n);
    return it == BlkNumIndex.first.end() ? -1 : it->second;
}

void TJwEntities::MakeBlockTree() {
    EntBlockTree.clear();
    EntBlockTreeN = 0;
    const int32_t defN = Usable(EntBlockDef, EntBlockDefN);
    for (int32_t i = 0; i < defN; ++i) {
        EntBlockDef[i].ref_flag = false;
        EntBlockDef[i].ref_no = -1;
    }
    // Definitions may have been replaced since the last lookup: index afresh.
    BlkNumIndex.data = nullptr;
    BlkNumIndex.count = -1;

    const int32_t insN = Usable(EntBlock, EntBlockN);
    if (insN == 0) {
        // Nothing is inserted, so no definition is in use.
        EntBlockNum = 0;
        return;
    }

    std::vector<TEntJwwBlockTree>& tree = EntBlockTree;
    auto makeRoom = [&tree] {
        if (tree.size() == tree.capacity()) {
            const std::size_t grown = std::max<std::size_t>(16, tree.capacity() * 2);
            tree.reserve(std::min<std::size_t>(grown, std::max<std::size_t>(kMaxBlockTreeNodes, tree.size() + 1)));
        }
    };
    auto resolve = [this](TEntJwwBlockTree& node) { node.defno = FindBlkDef(node.no); };

    // Level 0: one node per insert of the drawing.
    tree.reserve(static_cast<std::size_t>(insN));
    for (int32_t i = 0; i < insN; ++i) {
        const TEntJwwBlock& b = EntBlock[i];
        makeRoom();
        TEntJwwBlockTree& node = tree.emplace_back();
        node.att = b.att;
        node.level = 0;
        node.parent = -1;
        node.no = b.nNumber;
        node.x = b.DPKijunTen_x;
        node.y = b.DPKijunTen_y;
        PlacementMatrix(b, node.r1, node.r2, node.r3, node.r4);
        resolve(node);
    }

    // Breadth-first expansion. A node whose definition already stands on the
    // path from its root is not expanded, which cuts every cyclic nesting.
    // Only a definition that can reach itself can repeat on a path, and every
    // definition between its two places lies in its strongly connected
    // component: the walk up the path checks those and stops at the first
    // ancestor outside it. Acyclic nesting needs no walk at all.
    const DefinitionCycles cycles = FindCycles(EntBlockDef, defN, [this](uint32_t n) { return FindBlkDef(n); });
    int64_t ancestorSteps = 0;
    bool full = false;
    for (std::size_t k = 0; k < tree.size() && !full; ++k) {
        const int32_t defno = tree[k].defno;
        if (defno < 0) continue;
        const TEntJwwBlockDef& d = EntBlockDef[defno];
        const int32_t childN = Usable(d.mBlock, d.mBlockN);
        if (childN == 0) continue;

        if (cycles.cyclic[defno]) {
            bool repeated = false;
            for (int32_t a = tree[k].parent; a >= 0; a = tree[a].parent) {
                const int32_t da = tree[a].defno;  // an ancestor always has a definition
                if (da == defno) {
                    repeated = true;
                    break;
                }
                if (cycles.component[da] != cycles.component[defno]) break;
                ++ancestorSteps;
            }
            if (ancestorSteps > kMaxAncestorSteps) break;
            if (repeated) continue;
        }

        // Copy the parent's placement: appending may move the vector.
        const TEntJwwAttr att = d.att;
        const int32_t level = tree[k].level + 1;
        const double px = tree[k].x, py = tree[k].y;
        const double p1 = tree[k].r1, p2 = tree[k].r2, p3 = tree[k].r3, p4 = tree[k].r4;
        for (int32_t c = 0; c < childN; ++c) {
            if (tree.size() >= static_cast<std::size_t>(kMaxBlockTreeNodes)) {
                full = true;
                break;
            }
            const TEntJwwBlock& b = d.mBlock[c];
            double l1, l2, l3, l4;
            PlacementMatrix(b, l1, l2, l3, l4);
            makeRoom();
            TEntJwwBlockTree& node = tree.emplace_back();
            node.att = att;
            node.level = level;
            node.parent = static_cast<int32_t>(k);
            node.no = b.nNumber;
            node.x = px + p1 * b.DPKijunTen_x + p2 * b.DPKijunTen_y;
            node.y = py + p3 * b.DPKijunTen_x + p4 * b.DPKijunTen_y;
            node.r1 = p1 * l1 + p2 * l3;
            node.r2 = p1 * l2 + p2 * l4;
            node.r3 = p3 * l1 + p4 * l3;
            node.r4 = p3 * l2 + p4 * l4;
            resolve(node);
        }
    }
    EntBlockTreeN = static_cast<int32_t>(tree.size());

    // A definition is in use when an insert of the drawing reaches it,
    // directly or through definitions in use. Walking the definitions rather
    // than the nodes keeps this exact even when the tree was cut short.
    std::vector<int32_t> queue;
    for (int32_t i = 0; i < insN; ++i) {
        const int32_t d = FindBlkDef(EntBlock[i].nNumber);
        if (d >= 0 && !EntBlockDef[d].ref_flag) {
            EntBlockDef[d].ref_flag = true;
            queue.push_back(d);
        }
    }
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const TEntJwwBlockDef& def = EntBlockDef[queue[q]];
        const int32_t childN = Usable(def.mBlock, def.mBlockN);
        for (int32_t c = 0; c < childN; ++c) {
            const int32_t d = FindBlkDef(def.mBlock[c].nNumber);
            if (d >= 0 && !EntBlockDef[d].ref_flag) {
                EntBlockDef[d].ref_flag = true;
                queue.push_back(d);
            }
        }
    }

    int32_t used = 0;
    for (int32_t i = 0; i < defN; ++i) {
        if (EntBlockDef[i].ref_flag) EntBlockDef[i].ref_no = used++;
    }
    EntBlockNum = used;
}

std::vector<std::vector<char>> TJwEntities::CycleClosingInserts() const {
    const int32_t defN = Usable(EntBlockDef, EntBlockDefN);
    std::vector<std::vector<char>> closing(static_cast<std::size_t>(defN));
    // 0 not reached yet, 1 on the path walked, 2 done.
    std::vector<char> state(static_cast<std::size_t>(defN), 0);
    struct Frame {
        int32_t def, child;
    };
    std::vector<Frame> path;
    const int32_t insN = Usable(EntBlock, EntBlockN);
    for (int32_t i = 0; i < insN; ++i) {
        const int32_t root = FindBlkDef(EntBlock[i].nNumber);
        if (root < 0 || state[root] != 0) continue;
        state[root] = 1;
        path.push_back(Frame{root, 0});
        while (!path.empty()) {
            Frame& f = path.back();
            const TEntJwwBlockDef& d = EntBlockDef[f.def];
            if (f.child >= Usable(d.mBlock, d.mBlockN)) {
                state[f.def] = 2;
                path.pop_back();
                continue;
            }
            const int32_t c = f.child++;
            const int32_t w = FindBlkDef(d.mBlock[c].nNumber);
            if (w < 0) continue;
            if (state[w] == 1) {
                std::vector<char>& flags = closing[f.def];
                if (flags.empty()) flags.assign(static_cast<std::size_t>(Usable(d.mBlock, d.mBlockN)), 0);
                flags[c] = 1;
            } else if (state[w] == 0) {
                state[w] = 1;
                path.push_back(Frame{w, 0});  // f is not used after this
            }
        }
    }
    return closing;
}

const JwString& TJwEntities::BlockTreeName(const TEntJwwBlockTree& node) const {
    static const JwString kNone;
    const int32_t d = node.defno;
    return d >= 0 && d < Usable(EntBlockDef, EntBlockDefN) ? EntBlockDef[d].strName : kNone;
}

uint32_t TJwEntities::ChangeBlockNo(uint32_t n) const {
    const int32_t d = FindBlkDef(n);
    if (d < 0) return 0;
    const TEntJwwBlockDef& def = EntBlockDef[d];
    return def.ref_flag ? static_cast<uint32_t>(def.ref_no) : n;
}

std::vector<int64_t> TJwEntities::SavedBlockNumbers(size_t n) const {
    n = std::min(n, static_cast<size_t>(Usable(EntBlockDef, EntBlockDefN)));
    std::vector<int64_t> numbers(n);
    int64_t next = 0;
    for (size_t d = 0; d < n; ++d) {
        if (!PurgeUnusedBlocks)
            numbers[d] = EntBlockDef[d].nNumber;
        else
            numbers[d] = EntBlockDef[d].ref_flag ? next++ : -1;
    }
    return numbers;
}

uint32_t TJwEntities::SavedBlockNo(const std::vector<int64_t>& numbers, uint32_t n) const {
    const int32_t d = FindBlkDef(n);
    return d >= 0 && static_cast<size_t>(d) < numbers.size() && numbers[d] >= 0 ? static_cast<uint32_t>(numbers[d])
                                                                                  : 0;
}

int32_t TJwEntities::GetBlkNo(const JwString& ps) const {
    const std::u16string_view base = BlkNameBase(ps);
    const int32_t defN = Usable(EntBlockDef, EntBlockDefN);
    for (int32_t i = 0; i < defN; ++i) {
        if (BlkNameBase(EntBlockDef[i].strName) == base) return i;
    }
    return -1;
}

int32_t TJwEntities::GetBlkNumber(int32_t bdn) const {
    if (bdn < 0 || bdn >= Usable(EntBlockDef, EntBlockDefN)) return -1;
    return static_cast<int32_t>(EntBlockDef[bdn].nNumber);
}

JwString TJwEntities::GetBlkName(const JwString& ps) const {
    if (GetBlkNo(ps) < 0) return ps;
    const std::size_t p = BlkNameSuffixPos(ps);
    const std::u16string_view base = p == std::u16string_view::npos ? std::u16string_view(ps)
                                                                     : std::u16string_view(ps).substr(0, p);
    const std::u16string_view suffix =
        p == std::u16string_view::npos ? std::u16string_view() : std::u16string_view(ps).substr(p);

    // Mark which variants base~b are taken, in one pass over the names: a
    // name counts when, without suffix, it is base, "~" and the decimal
    // digits of b (no leading zero, as the variants are written). Only
    // b = 1 ... defN + 1 matter: one of them is always free.
    const int32_t defN = Usable(EntBlockDef, EntBlockDefN);
    std::vector<char> taken(static_cast<std::size_t>(defN) + 2, 0);
    for (int32_t i = 0; i < defN; ++i) {
        const std::u16string_view name = BlkNameBase(EntBlockDef[i].strName);
        if (name.size() < base.size() + 2 || name.substr(0, base.size()) != base || name[base.size()] != u'~') continue;
        const std::u16string_view digits = name.substr(base.size() + 1);
        if (digits[0] == u'0') continue;
        int64_t b = 0;
        for (char16_t c : digits) {
            if (c < u'0' || c > u'9' || b > defN + 1) {
                b = -1;
                break;
            }
            b = b * 10 + (c - u'0');
        }
        if (b >= 1 && b <= defN + 1) taken[static_cast<std::size_t>(b)] = 1;
    }
    int32_t b = 1;
    while (taken[static_cast<std::size_t>(b)]) ++b;
    JwString result(base);
    result += u'~';
    result += IntStr(b);
    result += suffix;
    return result;
}

}  // namespace jw
