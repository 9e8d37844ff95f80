// The open entry: the model of each kind, what a failed read answers, an
// unsupported file, and a JWW model's bound-image settings kept.
#include <gtest/gtest.h>

#include "common/test_files.h"
#include "files/open_file.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

using test::TempDir;

class OpenFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
    JwString Path(const char* name) const { return FromUtf8((dir_.path() / name).string()); }

    // A new drawing, figure and legacy figure, written as files.
    void WriteFiles() {
        TJwwData w;
        w.DataDefaultSet();
        ASSERT_TRUE(w.FileOut(Path("PLAN.JWW"), 700)) << w.LastError;
        TJwsData s;
        s.DataDefaultSet();
        ASSERT_TRUE(s.FileOut(Path("part.jws"), 600)) << s.LastError;
        TJwkData k;
        k.DataInit();
        k.Enthd.jwID = kJwkIdent;
        ASSERT_TRUE(k.FileOut(Path("sym.jwk"))) << k.LastError;
        dir_.Write("old.jwc", "not a drawing");
        dir_.Write("notes.txt", "text");
    }

    TempDir dir_{"zs_open_file"};
};

// Each kind goes into its own model; the others are not made.
TEST_F(OpenFileTest, EachKindIntoItsModel) {
    WriteFiles();
    const struct {
        const char* name;
        JwFileKind kind;
        bool ok;
    } cases[] = {
        {"PLAN.JWW", JwFileKind::Jww, true},
        {"part.jws", JwFileKind::Jws, true},
        {"sym.jwk", JwFileKind::Jwk, true},
        {"old.jwc", JwFileKind::Jwc, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TJwFileModels m;
        const TJwFileRead r = OpenJwFile(Path(c.name), m);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(m.JWW1 != nullptr, c.kind == JwFileKind::Jww);
        EXPECT_EQ(m.JWS != nullptr, c.kind == JwFileKind::Jws);
        EXPECT_EQ(m.JWK != nullptr, c.kind == JwFileKind::Jwk);
        EXPECT_EQ(m.JWC != nullptr, c.kind == JwFileKind::Jwc);
        if (c.ok) {
            EXPECT_EQ(r.error, "");
        } else {
            // The reader's own message; the model keeps what was read.
            ASSERT_NE(m.JWC, nullptr);
            EXPECT_FALSE(r.error.empty());
            EXPECT_EQ(r.error, m.JWC->LastError);
        }
    }
    TJwFileModels m;
    EXPECT_EQ(OpenJwFile(Path("PLAN.JWW"), m).kind, JwFileKind::Jww);
    EXPECT_EQ(m.JWW1->Enthd.jwVer, 700);
}

TEST_F(OpenFileTest, UnsupportedAndMissingFiles) {
    WriteFiles();
    TJwFileModels m;
    TJwFileRead r = OpenJwFile(Path("notes.txt"), m);
    EXPECT_EQ(r.kind, JwFileKind::Unsupported);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "unsupported file type");
    EXPECT_TRUE(!m.JWW1 && !m.JWS && !m.JWC && !m.JWK);

    r = OpenJwFile(Path("missing.jww"), m);
    EXPECT_EQ(r.kind, JwFileKind::Jww);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, m.JWW1->LastError);
    EXPECT_FALSE(r.error.empty());

    // ReadJwFile takes the kind it is given, whatever the extension.
    dir_.Write("copy.dat", test::ReadFileString(dir_.path() / "part.jws"));
    r = ReadJwFile(JwFileKind::Jws, Path("copy.dat"), m);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.kind, JwFileKind::Jws);
}

// A JWW model that is there is read into, with its bound-image settings.
TEST_F(OpenFileTest, JwwModelKeepsItsImageSettings) {
    WriteFiles();
    TJwFileModels m;
    TJwwData& w = m.Jww();
    w.BindImageExp = true;
    w.BindImageExr = true;
    w.BindImageFolder = Path("images/");
    ASSERT_TRUE(OpenJwFile(Path("PLAN.JWW"), m).ok);
    EXPECT_EQ(m.JWW1.get(), &w);
    EXPECT_TRUE(w.BindImageExp);
    EXPECT_TRUE(w.BindImageExr);
    EXPECT_EQ(w.BindImageFolder, Path("images/"));
}

}  // namespace
}  // namespace jw
