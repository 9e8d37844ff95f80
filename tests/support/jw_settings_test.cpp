// Jw_win.jwf, the reference file of user text variables, and the program-wide
// values that go with them.
#include <gtest/gtest.h>

#include "common/test_files.h"
#include "support/jw_settings.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

namespace fs = std::filesystem;

// A program folder "app/", a Jw_cad folder "jww/" and a Wine prefix "wine/"
// (drive C: at wine/drive_c) in a temporary folder.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(tmp.path() / "app");
        fs::create_directories(tmp.path() / "jww");
        JwAppPath = FromUtf8(tmp.folder() + "app/");
        jwwPath = FromUtf8(tmp.folder() + "jww/");
        JwRefFileName.clear();
        JwGlobalInit();
    }
    void TearDown() override {
        JwAppPath.clear();
        JwRefFileName.clear();
        JwGlobalInit();
    }
    // Writes Jw_win.jwf (as fileName) into folder and reads the setting.
    JwString ReadSetting(const std::string& contents, const std::string& folder = "app",
                         const std::string& fileName = "Jw_win.jwf") {
        tmp.Write(folder + "/" + fileName, contents);
        GetRefFileName(jwwPath);
        return JwRefFileName;
    }

    test::TempDir tmp;
    const test::ScopedEnv winePrefix{"WINEPREFIX", test::MakeWinePrefix(tmp).string()};
    JwString jwwPath;
};

TEST_F(Settings, RefFileSettingLines) {
    const struct {
        const char* jwf;
        JwString name;
    } cases[] = {
        {"REF_FILE =ref.txt\r\n", u"REF.TXT"},
        {"ref_file=c:\\jww\\ref.txt\r\n", u"C:\\JWW\\REF.TXT"},  // any key case; upper-cased
        {"  Ref_File =  a b.txt  \r\n", u"A B.TXT"},             // trimmed on both sides
        {"REF_FILE  =ref.txt\r\n", u""},                          // two spaces before "="
        {"REF_FILE= x\tEND\n", u"X\tEND"},
        {"END\r\nREF_FILE=ref.txt\r\n", u""},                     // nothing read after END
        {"ENDLINE=1\r\nREF_FILE=ref.txt\r\n", u""},               // any END... line ends it
        {"A=1\rREF_FILE=cr.txt\rB=2", u"CR.TXT"},                 // CR line ends
        {"A=1\nREF_FILE=lf.txt", u"LF.TXT"},                      // LF, no final line end
        {"REF_FILE=first.txt\nREF_FILE=second.txt\n", u"FIRST.TXT"},
        {"X=1\r\n", u""},
        {"REF_FILE=\x8a\xbf.txt\r\n", u"\u6F22.TXT"},  // code page 932
        {"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jwf);
        EXPECT_EQ(ReadSetting(c.jwf), c.name);
    }
}

TEST_F(Settings, ProgramFolderFirstThenJwwFolder) {
    EXPECT_EQ(ReadSetting("REF_FILE=jww.txt\n", "jww"), u"JWW.TXT");
    EXPECT_EQ(ReadSetting("REF_FILE=app.txt\n", "app"), u"APP.TXT");  // both: the program's
    GetRefFileName(u"");  // the program folder's file does not depend on jwwPath
    EXPECT_EQ(JwRefFileName, u"APP.TXT");
}

TEST_F(Settings, SettingsFileNameInAnyCase) {
    EXPECT_EQ(ReadSetting("REF_FILE=x.txt\n", "jww", "JW_WIN.JWF"), u"X.TXT");
    fs::remove(tmp.path() / "jww/JW_WIN.JWF");
    EXPECT_EQ(ReadSetting("REF_FILE=y.txt\n", "app", "jw_win.jwf"), u"Y.TXT");
}

TEST_F(Settings, NoSettingsFile) {
    JwRefFileName = u"STALE.TXT";
    GetRefFileName(jwwPath);
    EXPECT_EQ(JwRefFileName, u"");
}

TEST_F(Settings, DefaultJwwPathIsInTheWinePrefix) {
    EXPECT_EQ(DefaultJwwPath(), FromUtf8(tmp.folder() + "wine/drive_c/JWW/"));
}

TEST_F(Settings, ReferenceLines) {
    tmp.Write("app/ref.txt",
              "%%A\tvalue a\r\n"
              "no tab here\r\n"
              "%%B C\tname with a space\r\n"
              "%%B\x81\x40" "C\tname with a full-width space\r\n"
              "%%B\x01\tname with a control character\r\n"
              "XX\tname without %%\r\n"
              "\tempty name\r\n"
              "%%T\ta\tb\tc\r\n"
              "%%S\t  spaced  \n"
              "%%J\t\x90\x7d\x96\xca\r"
              "%%a\tlower-case name\r\n"
              "%%A\tsecond A\r\n"
              "%%E\t\r\n"
              "%%Z\tlast line");
    JwRefFileName = u"REF.TXT";  // upper-cased as found in Jw_win.jwf
    RefFileOpen();
    const std::vector<std::pair<JwString, JwString>> expected = {
        {u"%%A", u"value a"}, {u"%%T", u"abc"},          {u"%%S", u"  spaced  "},
        {u"%%J", u"\u56F3\u9762"}, {u"%%a", u"lower-case name"}, {u"%%A", u"second A"},
        {u"%%E", u""},        {u"%%Z", u"last line"},
    };
    ASSERT_EQ(JwRefList.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(JwRefList[i].s1, expected[i].first) << i;
        EXPECT_EQ(JwRefList[i].s2, expected[i].second) << i;
    }
}

TEST_F(Settings, ReferenceFileThroughWineDrive) {
    tmp.Write("wine/drive_c/Jww/Data/ref.txt", "%%X\tfound\r\n");
    EXPECT_EQ(ReadSetting("REF_FILE=C:\\jww\\data\\ref.txt\r\n"), u"C:\\JWW\\DATA\\REF.TXT");
    RefFileOpen();
    ASSERT_EQ(JwRefList.size(), 1u);
    EXPECT_EQ(JwRefList[0].s2, u"found");
}

TEST_F(Settings, ReferenceFileRelativeToCurrentFolder) {
    tmp.Write("cwd/sub/ref.txt", "%%R\trelative\n");
    const fs::path before = fs::current_path();
    fs::current_path(tmp.path() / "cwd");
    JwRefFileName = u"SUB\\REF.TXT";
    RefFileOpen();
    fs::current_path(before);
    ASSERT_EQ(JwRefList.size(), 1u);
    EXPECT_EQ(JwRefList[0].s2, u"relative");
}

TEST_F(Settings, MissingReferenceFile) {
    JwRefList = {{u"%%OLD", u"old"}};
    RefFileOpen();  // no name: the list stays
    EXPECT_EQ(JwRefList.size(), 1u);
    JwRefFileName = u"C:\\NO\\SUCH\\FILE.TXT";
    RefFileOpen();  // a name that finds nothing: the list is emptied
    EXPECT_TRUE(JwRefList.empty());
}

TEST(ProgramValues, RefVarLookup) {
    JwGlobalInit();
    JwRefList = {{u"%%A", u"first"}, {u"%%A", u"second"}, {u"%%B", u"b"}};
    JwString text = u"%%A";
    RefVarLookup(text);
    EXPECT_EQ(text, u"%%A");  // switched off
    JwRefSubst = true;
    RefVarLookup(text);
    EXPECT_EQ(text, u"first");
    for (JwString t : {u"%%a", u"%%C", u"A", u"%%A "}) {
        JwString before = t;
        RefVarLookup(t);
        EXPECT_EQ(t, before);
    }
    JwGlobalInit();
    EXPECT_FALSE(JwRefSubst);
    EXPECT_TRUE(JwRefList.empty());
    EXPECT_EQ(JwDefaultPenColor, 1);
    EXPECT_EQ(JwDefaultPenStyle, 1);
}

TEST(ProgramValues, DefaultTextTypes) {
    JwDefMojiType[1].pen = 9;
    JwLegacyDefaultColor = 5;
    JwLegacyDefaultLineType = 5;
    JwDefMojiTypeInit();
    EXPECT_EQ(JwDefMojiType[0].pen, 1);
    EXPECT_EQ(JwDefMojiType[0].spacing, 0.0);
    EXPECT_EQ(JwDefMojiType[1].pen, 1);
    EXPECT_EQ(JwDefMojiType[1].width, 2.5);
    EXPECT_EQ(JwDefMojiType[1].spacing, 0.5);
    EXPECT_EQ(JwDefMojiType[4].pen, 3);
    EXPECT_EQ(JwDefMojiType[9].pen, 5);
    EXPECT_EQ(JwDefMojiType[9].height, 10.0);
    EXPECT_EQ(JwDefMojiType[9].spacing, 1.0);
    EXPECT_EQ(JwLegacyDefaultColor, 1);
    EXPECT_EQ(JwLegacyDefaultLineType, 1);
}

}  // namespace
}  // namespace jw
