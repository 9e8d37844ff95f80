// The format table: kinds by extension and the nine versions.
#include <gtest/gtest.h>

#include <string>

#include "model/file_formats.h"

namespace jw {
namespace {

TEST(FileFormats, KindByExtensionInAnyLetterCase) {
    const struct {
        const char16_t* path;
        JwFileKind kind;
    } cases[] = {
        {u"/d/plan.jww", JwFileKind::Jww},  {u"PLAN.JWW", JwFileKind::Jww},    {u"a.b/part.Jws", JwFileKind::Jws},
        {u"old.JWC", JwFileKind::Jwc},      {u"sym.jwk", JwFileKind::Jwk},     {u"x.jww.bak", JwFileKind::Unsupported},
        {u"notes.txt", JwFileKind::Unsupported}, {u"jww", JwFileKind::Unsupported}, {u"dir.jww/file", JwFileKind::Unsupported},
        {u"", JwFileKind::Unsupported},
    };
    for (const auto& c : cases) EXPECT_EQ(FileKindOf(c.path), c.kind) << (&c - cases);
    for (JwFileKind k : {JwFileKind::Jww, JwFileKind::Jws, JwFileKind::Jwc, JwFileKind::Jwk})
        EXPECT_EQ(FileKindOf(u"f" + KindExtension(k)), k);
    EXPECT_EQ(KindExtension(JwFileKind::Unsupported), u"");
    EXPECT_TRUE(KindHasVersions(JwFileKind::Jww));
    EXPECT_TRUE(KindHasVersions(JwFileKind::Jws));
    EXPECT_FALSE(KindHasVersions(JwFileKind::Jwc));
    EXPECT_FALSE(KindHasVersions(JwFileKind::Jwk));
}

// Each text is its version number divided by 100 with two decimals, in
// ascending order from 2.20 to 7.00.
TEST(FileFormats, NineVersionsAndTheirTexts) {
    int32_t previous = 0;
    for (const JwFormatVersion& v : kJwFormatVersions) {
        EXPECT_GT(v.ver, previous);
        const std::string want = std::to_string(v.ver / 100) + "." + std::to_string(v.ver % 100 / 10) +
                                 std::to_string(v.ver % 10);
        EXPECT_EQ(std::string(v.text), want);
        previous = v.ver;
    }
    EXPECT_EQ(kJwFormatVersions.front().ver, 220);
    EXPECT_EQ(kJwFormatVersions.back().ver, 700);
}

}  // namespace
}  // namespace jw
