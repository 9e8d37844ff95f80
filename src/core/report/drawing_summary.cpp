// Summary of a read drawing model (see drawing_summary.h).
#include "report/drawing_summary.h"

#include <nlohmann/json.hpp>

#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/sha1.h"
#include "support/text_encoding.h"

namespace jw {

void TextDigest::Add(std::u16string_view s) {
    if (!first_) bytes_.push_back(0x1E);
    first_ = false;
    const Bytes u = Utf8Bytes(s);
    bytes_.insert(bytes_.end(), u.begin(), u.end());
}

void TextDigest::AddList(const EntityListView& l) {
    l.ForEach([&](int32_t kind, size_t i) {
        if (kind == kEntMoji)
            Add(l.moji[i].str);
        else if (kind == kEntSunpo)
            Add(l.sunpo[i].Moji.str);
    });
}

std::string TextDigest::Hex() const { return Sha1Hex(bytes_.data(), bytes_.size()); }

namespace {

DrawingSummary SummarizeEntities(const TJwEntities& m) {
    DrawingSummary s;
    const TEntJwHeaderCommon& hd = m.Hd();
    s.version = hd.jwVer;
    s.encoding = m.MojiEncode ? "utf16" : "sjis";
    s.n1 = hd.n1;
    s.counts = {m.EntLineN, m.EntEnkoN, m.EntTenN, m.EntMojiN, m.EntSunpoN, m.EntSolidN, m.EntBlockN};
    TextDigest digest;
    digest.AddList(EntityListOf(m));
    const size_t nd = HeldCount(m.EntBlockDef, m.EntBlockDefN);
    s.block_definitions.reserve(nd);
    for (size_t i = 0; i < nd; ++i) {
        const TEntJwwBlockDef& d = m.EntBlockDef[i];
        BlockDefSummary b;
        b.name = ToUtf8(d.strName);
        b.number = d.nNumber;
        b.members = d.N;
        b.counts = {d.mLineN, d.mEnkoN, d.mTenN, d.mMojiN, d.mSunpoN, d.mSolidN, d.mBlockN};
        s.block_definitions.push_back(std::move(b));
        digest.AddList(EntityListOf(d));
    }
    const size_t ni = HeldCount(m.BindImage, m.BindImageN);
    for (size_t i = 0; i < ni; ++i) s.bound_images.push_back({ToUtf8(m.BindImage[i].Fname), m.BindImage[i].Fsize});
    s.text_sha1 = digest.Hex();
    return s;
}

nlohmann::ordered_json CountsJson(const EntityCounts& c) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j.get_ref<nlohmann::ordered_json::object_t&>().reserve(7);
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
    // An object keeps its members in a vector of pairs whose keys are
    // const: growing it copies every member, nested ones too. Room for all
    // members first, and the lists built before they go in, so that nothing
    // is copied however many definitions a drawing has.
    using Json = nlohmann::ordered_json;
    Json defs = Json::array();
    defs.get_ref<Json::array_t&>().reserve(s.block_definitions.size());
    for (const auto& b : s.block_definitions) {
        Json d = Json::object();
        d.get_ref<Json::object_t&>().reserve(4);
        d["name"] = b.name;
        d["number"] = b.number;
        d["members"] = b.members;
        d["counts"] = CountsJson(b.counts);
        defs.push_back(std::move(d));
    }
    Json images = Json::array();
    images.get_ref<Json::array_t&>().reserve(s.bound_images.size());
    for (const auto& b : s.bound_images) images.push_back({{"name", b.name}, {"size", b.size}});

    Json j = Json::object();
    j.get_ref<Json::object_t&>().reserve(9);
    j["format"] = s.format;
    j["version"] = s.version;
    j["encoding"] = s.encoding;
    j["memo"] = s.memo;
    j["n1"] = s.n1;
    j["counts"] = CountsJson(s.counts);
    j["block_definitions"] = std::move(defs);
    j["bound_images"] = std::move(images);
    j["text_sha1"] = s.text_sha1;
    return j;
}

}  // namespace jw
