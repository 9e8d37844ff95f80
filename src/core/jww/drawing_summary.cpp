// Summary of a read drawing model (see drawing_summary.h).
#include "jww/drawing_summary.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/sha1.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

// Appends the texts of one entity list in its order. Order entries that name
// no stored entity (an entity lost to a short read) are passed over.
class TextDigest {
public:
    void AddList(const std::vector<TEntJwwNo>& order, const std::vector<TEntJwwMoji>& moji, int32_t mojiN,
                 const std::vector<TEntJwwSunpo>& sunpo, int32_t sunpoN) {
        const size_t nm = HeldCount(moji, mojiN), ns = HeldCount(sunpo, sunpoN);
        for (const TEntJwwNo& e : order) {
            if (e.EntNo < 0) continue;
            const size_t i = static_cast<size_t>(e.EntNo);
            if (e.EntType == kEntMoji && i < nm)
                Add(moji[i].str);
            else if (e.EntType == kEntSunpo && i < ns)
                Add(sunpo[i].Moji.str);
        }
    }
    std::string Hex() const { return Sha1Hex(bytes_.data(), bytes_.size()); }

private:
    void Add(const JwString& s) {
        if (!first_) bytes_.push_back(0x1E);
        first_ = false;
        const Bytes u = Utf8Bytes(s);
        bytes_.insert(bytes_.end(), u.begin(), u.end());
    }
    Bytes bytes_;
    bool first_ = true;
};

void CountKinds(EntityCounts& c, int32_t line, int32_t arc, int32_t point, int32_t text, int32_t dim,
                int32_t solid, int32_t block) {
    c.line = line;
    c.arc = arc;
    c.point = point;
    c.text = text;
    c.dimension = dim;
    c.solid = solid;
    c.block = block;
}

DrawingSummary SummarizeEntities(const TJwEntities& m) {
    DrawingSummary s;
    const TEntJwHeaderCommon& hd = m.Hd();
    s.version = hd.jwVer;
    s.encoding = m.MojiEncode ? "utf16" : "sjis";
    s.n1 = hd.n1;
    CountKinds(s.counts, m.EntLineN, m.EntEnkoN, m.EntTenN, m.EntMojiN, m.EntSunpoN, m.EntSolidN, m.EntBlockN);
    TextDigest digest;
    digest.AddList(m.EntNo, m.EntMoji, m.EntMojiN, m.EntSunpo, m.EntSunpoN);
    const size_t nd = HeldCount(m.EntBlockDef, m.EntBlockDefN);
    s.block_definitions.reserve(nd);
    for (size_t i = 0; i < nd; ++i) {
        const TEntJwwBlockDef& d = m.EntBlockDef[i];
        BlockDefSummary b;
        b.name = ToUtf8(d.strName);
        b.number = d.nNumber;
        b.members = d.N;
        CountKinds(b.counts, d.mLineN, d.mEnkoN, d.mTenN, d.mMojiN, d.mSunpoN, d.mSolidN, d.mBlockN);
        s.block_definitions.push_back(std::move(b));
        digest.AddList(d.mNo, d.mMoji, d.mMojiN, d.mSunpo, d.mSunpoN);
    }
    const size_t ni = HeldCount(m.BindImage, m.BindImageN);
    for (size_t i = 0; i < ni; ++i) s.bound_images.push_back({ToUtf8(m.BindImage[i].Fname), m.BindImage[i].Fsize});
    s.text_sha1 = digest.Hex();
    return s;
}

nlohmann::ordered_json CountsJson(const EntityCounts& c) {
    nlohmann::ordered_json j;
    j["line"] = c.line;
    j["arc"] = c.arc;
    j["point"] = c.point;
    j["text"] = c.text;
    j["dimension"] = c.dimension;
    j["solid"] = c.solid;
    j["block"] = c.block;
    return j;
}

}  // namespace

DrawingSummary SummarizeDrawing(const TJwwData& m) {
    DrawingSummary s = SummarizeEntities(m);
    s.format = "jww";
    s.memo = ToUtf8(m.Enthd.strMemo);
    return s;
}

DrawingSummary SummarizeDrawing(const TJwsData& m) {
    DrawingSummary s = SummarizeEntities(m);
    s.format = "jws";
    return s;
}

nlohmann::ordered_json SummaryToJson(const DrawingSummary& s) {
    nlohmann::ordered_json j;
    j["format"] = s.format;
    j["version"] = s.version;
    j["encoding"] = s.encoding;
    j["memo"] = s.memo;
    j["n1"] = s.n1;
    j["counts"] = CountsJson(s.counts);
    j["block_definitions"] = nlohmann::ordered_json::array();
    for (const auto& b : s.block_definitions) {
        nlohmann::ordered_json d;
        d["name"] = b.name;
        d["number"] = b.number;
        d["members"] = b.members;
        d["counts"] = CountsJson(b.counts);
        j["block_definitions"].push_back(std::move(d));
    }
    j["bound_images"] = nlohmann::ordered_json::array();
    for (const auto& b : s.bound_images) j["bound_images"].push_back({{"name", b.name}, {"size", b.size}});
    j["text_sha1"] = s.text_sha1;
    return j;
}

std::string SummaryToJsonText(const DrawingSummary& s) {
    // Invalid UTF-8 cannot arise (names are converted from UTF-16), but never
    // let a dump throw.
    return SummaryToJson(s).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace jw
