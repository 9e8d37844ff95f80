// A short account of a drawing model read from a JWW or JWS file: format,
// version, encoding, memo, entity counts, block definitions, bound images and
// a digest of all its texts. `info --json` prints it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace jw {

class TJwwData;
class TJwsData;
struct EntityListView;

// SHA-1 of texts in the order they are added: the UTF-8 of each, joined by
// U+001E. The digest of no text is the SHA-1 of nothing.
class TextDigest {
public:
    void Add(std::u16string_view s);
    // The texts of one entity list in its order: each text, and the text of
    // each dimension. Order entries that name no held entity are passed over.
    void AddList(const EntityListView& l);
    // Lower-case hexadecimal.
    std::string Hex() const;

private:
    std::vector<uint8_t> bytes_;
    bool first_ = true;
};

struct EntityCounts {
    int32_t line = 0, arc = 0, point = 0, text = 0, dimension = 0, solid = 0, block = 0;
};

struct BlockDefSummary {
    std::string name;  // UTF-8
    uint32_t number = 0;
    int32_t members = 0;  // member count stated by the file
    EntityCounts counts;
};

struct BoundImageSummary {
    std::string name;  // UTF-8
    int32_t size = 0;
};

struct DrawingSummary {
    std::string format;    // "jww" or "jws"
    int32_t version = 0;   // jwVer
    std::string encoding;  // "utf16" when a string used the UTF-16 form, else "sjis"
    std::string memo;      // UTF-8 (empty for a figure)
    int32_t n1 = 0;        // entity count stated by the file
    EntityCounts counts;   // top-level entities by kind
    std::vector<BlockDefSummary> block_definitions;
    std::vector<BoundImageSummary> bound_images;
    // SHA-1 (hex) of the UTF-8 strings of every text in file order: the
    // drawing's entity list, then each definition's members; a dimension
    // contributes its text. Strings are joined by U+001E.
    std::string text_sha1;
};

DrawingSummary SummarizeDrawing(const TJwwData& m);
DrawingSummary SummarizeDrawing(const TJwsData& m);

// Fields in the order above; keys as in the samples' expected.jsonl.
nlohmann::ordered_json SummaryToJson(const DrawingSummary& s);

}  // namespace jw
