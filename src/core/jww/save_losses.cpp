#include "jww/save_losses.h"

#include <algorithm>

#include "jww/archive.h"
#include "jww/versions.h"
#include "model/entity_list_view.h"
#include "model/file_formats.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

// Tallies of one model for one target.
class LossCounter {
public:
    LossCounter(const TJwEntities& m, int32_t ver, int32_t fileVer, bool utf16)
        : m_(m), ver_(ver), fileVer_(fileVer), utf16_(utf16) {}

    // Every entity the writer writes from list, the members of referenced
    // block definitions included; an entity counts once whatever number of
    // its attributes (a dimension has three) changes.
    void Entities(const EntityListView& list) {
        list.ForEach([&](int32_t kind, size_t i) {
            unsigned changes = 0;
            switch (kind) {
                case kEntLine: changes = Attr(list.line[i].att, kind); break;
                case kEntEnko: changes = Attr(list.enko[i].att, kind); break;
                case kEntTen: changes = Attr(list.ten[i].att, kind); break;
                case kEntMoji: changes = Moji(list.moji[i]); break;
                case kEntSunpo: changes = Sunpo(list.sunpo[i]); break;
                case kEntSolid: changes = Attr(list.solid[i].att, kind); break;
                case kEntBlock:
                    if (!m_.HasBlkDef(list.block[i].nNumber)) {
                        ++counts_[Index(JwLossKind::InsertsOfMissingDefinitions)];
                        return;
                    }
                    changes = Attr(list.block[i].att, kind);
                    break;
                default: break;
            }
            for (JwLossKind k : {JwLossKind::SxfColors, JwLossKind::SxfLineTypes, JwLossKind::LineWidths})
                if (changes & Bit(k)) ++counts_[Index(k)];
        });
    }
    // A string the writer writes.
    void Text(const JwString& s) {
        if (!utf16_ && !AnsiCanHold(s)) ++counts_[Index(JwLossKind::ShiftJisText)];
    }
    void Add(JwLossKind kind, int32_t n) { counts_[Index(kind)] += n; }

    std::vector<JwSaveLoss> Losses() const {
        std::vector<JwSaveLoss> list;
        for (size_t k = 0; k < kKinds; ++k)
            if (counts_[k] > 0) list.push_back({static_cast<JwLossKind>(k), counts_[k]});
        return list;
    }

private:
    static constexpr size_t kKinds = static_cast<size_t>(JwLossKind::InsertsOfMissingDefinitions) + 1;
    static size_t Index(JwLossKind kind) { return static_cast<size_t>(kind); }

    static unsigned Bit(JwLossKind kind) { return 1u << Index(kind); }

    // What the target version changes in an attribute, against the newest
    // version: the bits of the loss kinds concerned.
    unsigned Attr(const TEntJwwAttr& att, int kind) const {
        // A version that holds the SXF colours and line types (and so the
        // widths) writes every attribute as the newest one does.
        static_assert(kVerSxf >= kVerPenWidth);
        if (ver_ >= kVerSxf) return 0;
        const TEntJwwAttr kept = NormalizeAttrForOutput(kJwFormatVersions.back().ver, att, kind);
        const TEntJwwAttr written = NormalizeAttrForOutput(ver_, att, kind);
        unsigned changes = 0;
        if (written.nPenColor != kept.nPenColor) changes |= Bit(JwLossKind::SxfColors);
        if (written.nPenStyle != kept.nPenStyle) changes |= Bit(JwLossKind::SxfLineTypes);
        if (ver_ < kVerPenWidth && kept.nPenWidth != 0) changes |= Bit(JwLossKind::LineWidths);
        return changes;
    }
    unsigned Moji(const TEntJwwMoji& m) {
        Text(m.strFontName);
        Text(m.str);
        return Attr(m.att, kEntMoji);
    }
    unsigned Sunpo(const TEntJwwSunpo& d) {
        if (d.bSxfMode != 0 && ver_ < kVerSxf && fileVer_ >= kVerSxf) ++counts_[Index(JwLossKind::SxfDimensions)];
        return Attr(d.att, kEntSunpo) | Attr(d.Sen.att, kEntLine) | Moji(d.Moji);
    }

    const TJwEntities& m_;
    int32_t ver_, fileVer_;
    bool utf16_;
    int32_t counts_[kKinds] = {};
};

// The part both models share: entities, block definitions, bound images.
void CountShared(const TJwEntities& m, LossCounter& c, bool images, int32_t ver) {
    c.Entities(EntityListOf(m));
    int32_t purged = 0;
    const std::vector<int64_t> numbers = m.SavedBlockNumbers(HeldCount(m.EntBlockDef, m.Hd().n2));
    for (size_t i = 0; i < numbers.size(); ++i) {
        const TEntJwwBlockDef& d = m.EntBlockDef[i];
        if (numbers[i] < 0) {
            ++purged;
            continue;
        }
        c.Text(d.strName);
        c.Entities(EntityListOf(d));
    }
    c.Add(JwLossKind::UnusedBlockDefinitions, purged);
    if (images && ver < kVerBoundImages) {
        int32_t held = 0;
        const size_t n = HeldCount(m.BindImage, m.BindImageN);
        for (size_t i = 0; i < n; ++i)
            if (!m.BindImage[i].Fname.empty()) ++held;
        c.Add(JwLossKind::BoundImages, held);
    }
}

}  // namespace

int32_t UnusedBlockDefinitions(const TJwEntities& m) {
    int32_t unused = 0;
    const size_t n = std::min(HeldCount(m.EntBlockDef, m.Hd().n2), HeldCount(m.EntBlockDef, m.EntBlockDefN));
    for (size_t i = 0; i < n; ++i)
        if (!m.EntBlockDef[i].ref_flag) ++unused;
    return unused;
}

std::vector<JwSaveLoss> SaveLosses(const TJwwData& m, int32_t ver, bool utf16) {
    LossCounter c(m, ver, m.Enthd.jwVer, utf16);
    c.Text(m.Enthd.strMemo);
    for (const TEntJwwLayer& l : m.EntLay) c.Text(l.aStrLayName);
    for (const TEntJwwLayerGroup& g : m.EntLgrp) c.Text(g.aStrGLayName);
    if (ver >= kVerSxf) {
        for (const TEntJwwColorExNo& col : m.EntColS) c.Text(col.astrUDColorName);
        for (const TEntJwwLineTypeExNo& t : m.EntLtpS) c.Text(t.astrUDLTypeName);
    }
    CountShared(m, c, true, ver);
    return c.Losses();
}

std::vector<JwSaveLoss> SaveLosses(const TJwsData& m, int32_t ver, bool utf16) {
    const int32_t written = FigureVersion(ver);
    LossCounter c(m, written, m.Enthd.jwVer, utf16);
    CountShared(m, c, false, written);
    return c.Losses();
}

std::string SaveLossText(const JwSaveLoss& loss) {
    const std::string n = std::to_string(loss.count);
    switch (loss.kind) {
        case JwLossKind::BoundImages: return n + " bound image(s): only 7.00 holds them";
        case JwLossKind::SxfColors: return n + " entities in SXF colours: standard colours before 4.20";
        case JwLossKind::SxfLineTypes: return n + " entities in SXF line types: standard line types before 4.20";
        case JwLossKind::SxfDimensions:
            return n + " SXF dimension(s): split into a dimension, lines and points before 4.20";
        case JwLossKind::LineWidths: return n + " entities with a line width: versions before 3.51 hold none";
        case JwLossKind::ShiftJisText:
            return n + " string(s) with characters Shift-JIS lacks: written as \"?\" (UTF-16 keeps them)";
        case JwLossKind::UnusedBlockDefinitions: return n + " block definition(s) no insert uses: left out";
        case JwLossKind::InsertsOfMissingDefinitions:
            return n + " block insert(s) of a definition the drawing lacks: left out";
    }
    return n;
}

JwString SaveLossTextJa(const JwSaveLoss& loss) {
    const JwString n = FromUtf8(std::to_string(loss.count));
    switch (loss.kind) {
        case JwLossKind::BoundImages: return u"埋め込み画像 " + n + u" 個（7.00 でのみ保存できます）";
        case JwLossKind::SxfColors: return u"SXF 線色の要素 " + n + u" 個（4.20 より前では標準の線色になります）";
        case JwLossKind::SxfLineTypes: return u"SXF 線種の要素 " + n + u" 個（4.20 より前では標準の線種になります）";
        case JwLossKind::SxfDimensions:
            return u"SXF 寸法 " + n + u" 個（4.20 より前では寸法・線・点に分かれます）";
        case JwLossKind::LineWidths: return u"線幅を持つ要素 " + n + u" 個（3.51 より前では線幅が失われます）";
        case JwLossKind::ShiftJisText:
            return u"Shift-JIS で表せない文字を含む文字列 " + n + u" 個（「?」になります。UTF-16 なら保たれます）";
        case JwLossKind::UnusedBlockDefinitions:
            return u"どの挿入にも使われていないブロック定義 " + n + u" 個（書き出されません）";
        case JwLossKind::InsertsOfMissingDefinitions:
            return u"定義のないブロック挿入 " + n + u" 個（書き出されません）";
    }
    return n;
}

}  // namespace jw
