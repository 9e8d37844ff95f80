// Path text functions (both separators) and the file functions that never throw.
#include <gtest/gtest.h>

#include "common/test_files.h"
#include "support/paths.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

namespace fs = std::filesystem;

JwString U(const std::string& s) { return FromUtf8(s); }

TEST(PathText, DelimAndDir) {
    EXPECT_EQ(PathDelimChar(), u'/');
    EXPECT_EQ(AddPathDelim(u""), u"/");
    EXPECT_EQ(AddPathDelim(u"a"), u"a/");
    EXPECT_EQ(AddPathDelim(u"a\\"), u"a\\");
    EXPECT_EQ(AddPathDelim(u"a/"), u"a/");
    const struct {
        JwString path, dir;
    } cases[] = {
        {u"C:\\JWW\\a.jww", u"C:\\JWW\\"},
        {u"C:\\a.jww", u"C:\\"},  // a drive root keeps its separator
        {u"/home/u/a.jww", u"/home/u/"},
        {u"dir/sub\\x.jww", u"dir/sub\\"},
        {u"a.jww", u"/"},  // a bare file name
        {u"", u""},
        {u"a|b\\c.jww", u""},
        {u"C:\\x\x01y\\a.jww", u""},
        {JwString(259, u'a'), u"/"},
        {JwString(260, u'a'), u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.path));
        EXPECT_EQ(FileDir(c.path), c.dir);
    }
}

TEST(PathText, NameAndExtension) {
    const struct {
        JwString path, name, ext;
    } cases[] = {
        {u"C:\\JWW\\PLAN.JWW", u"PLAN.JWW", u".jww"},
        {u"C:plan.jws", u"plan.jws", u".jws"},
        {u"dir/sub/a.Tar.GZ", u"a.Tar.GZ", u".gz"},
        {u"plan", u"plan", u""},
        {u"C:\\dir.x\\", u"", u""},
        {u"dir.x/name", u"name", u""},
        {u"name.", u"name.", u"."},
        {u"a*b.jww", u"", u".jww"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.path));
        EXPECT_EQ(FileNameOnly(c.path), c.name);
        EXPECT_EQ(FileExtLower(c.path), c.ext);
    }
    EXPECT_EQ(FileExtChange(u"C:\\a\\plan.jww", u".jws"), u"C:\\a\\plan.jws");
    EXPECT_EQ(FileExtChange(u"dir.x\\name", u".jww"), u"dir.x\\name.jww");
    EXPECT_EQ(FileExtChange(u"dir.x/name", u""), u"dir.x/name");
    EXPECT_EQ(FileExtChange(u"plan.jww", u""), u"plan");
    EXPECT_EQ(FileExtChange(u"a.b.c", u".d"), u"a.b.d");
}

TEST(PathText, InvalidCharacters) {
    for (char16_t c : {u'"', u'<', u'>', u'|', u'*', u'?', u'\t', u'\0'})
        EXPECT_TRUE(PathHasInvalidChars(JwString(u"C:\\a") + c)) << int(c);
    EXPECT_FALSE(PathHasInvalidChars(u"C:\\JWW\\\u56F3\u9762 1.jww"));
}

TEST(Files, CreateCopyDeleteRemove) {
    test::TempDir tmp;
    const JwString root = U(tmp.folder());
    // Backslashes separate folders too.
    EXPECT_TRUE(FolderCreate(root + u"a\\b/c"));
    EXPECT_TRUE(fs::is_directory(tmp.path() / "a/b/c"));
    EXPECT_TRUE(FolderCreate(root + u"a"));  // exists already
    EXPECT_FALSE(FolderCreate(root + u"bad?name"));
    EXPECT_FALSE(FolderCreate(u""));
    tmp.Write("file", "x");
    EXPECT_FALSE(FolderCreate(root + u"file"));  // a file stands there
    EXPECT_FALSE(FolderCreate(root + u"file/sub"));

    tmp.Write("a/f.txt", "hello");
    EXPECT_TRUE(FileExistsEx(root + u"a\\f.txt"));
    EXPECT_FALSE(FileExistsEx(root + u"a"));  // a folder is no file
    EXPECT_FALSE(FileExistsEx(root + u"a/none.txt"));

    tmp.Write("a/g.txt", "old contents");
    EXPECT_TRUE(FileCopyReplace(root + u"a/f.txt", root + u"a/g.txt"));
    EXPECT_EQ(test::ReadFileString(tmp.path() / "a/g.txt"), "hello");
    EXPECT_FALSE(FileCopyReplace(root + u"a/none.txt", root + u"a/h.txt"));
    EXPECT_FALSE(FileCopyReplace(root + u"a/f.txt", root + u"a/f.txt"));
    fs::create_symlink("f.txt", tmp.path() / "a/link.txt");
    EXPECT_FALSE(FileCopyReplace(root + u"a/f.txt", root + u"a/link.txt"));  // itself through a link
    EXPECT_EQ(fs::file_size(tmp.path() / "a/f.txt"), 5u);
    fs::remove(tmp.path() / "a/link.txt");
    EXPECT_FALSE(FileCopyReplace(root + u"a/f.txt", root + u"no/such/folder/h.txt"));

    // A folder that still holds a file stays, and so does the file.
    EXPECT_FALSE(FolderRemove(root + u"a"));
    EXPECT_TRUE(fs::exists(tmp.path() / "a/f.txt"));
    EXPECT_FALSE(FileDelete(root + u"a/b"));  // a folder is not deleted as a file
    EXPECT_TRUE(FileDelete(root + u"a/f.txt"));
    EXPECT_FALSE(FileDelete(root + u"a/f.txt"));
    EXPECT_TRUE(FolderRemove(root + u"a/b/c"));
    EXPECT_FALSE(FolderRemove(root + u"a/b/c"));  // gone
    EXPECT_FALSE(FolderRemove(ProgramFolder()));
}

TEST(Files, ProgramFolder) {
    const JwString dir = ProgramFolder();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), u'/');
    EXPECT_TRUE(FileExistsEx(dir + u"test_support"));
}

TEST(Files, ResolveWindowsPath) {
    test::TempDir tmp;
    const test::ScopedEnv prefix("WINEPREFIX", test::MakeWinePrefix(tmp).string());
    tmp.Write("wine/drive_c/Jww/Sub/ref.txt", "x");
    tmp.Write("data/MixedCase.TXT", "x");

    EXPECT_EQ(WinePrefix(), tmp.path() / "wine");
    const fs::path found = tmp.path() / "wine/dosdevices/c:/Jww/Sub/ref.txt";
    EXPECT_EQ(ResolveWindowsPath(u"C:\\JWW\\SUB\\REF.TXT"), found);
    EXPECT_EQ(ResolveWindowsPath(u"c:/jww/sub/ref.txt"), found);
    EXPECT_EQ(ResolveWindowsPath(u"MIXEDCASE.txt", U(tmp.folder() + "DATA/")),
              tmp.path() / "data/MixedCase.TXT");
    EXPECT_EQ(ResolveWindowsPath(U((tmp.path() / "DATA\\MIXEDCASE.TXT").string())),
              tmp.path() / "data/MixedCase.TXT");
    // Nothing matches: the rest is kept as written.
    EXPECT_EQ(ResolveWindowsPath(u"C:\\JWW\\NONE\\REF.TXT"),
              tmp.path() / "wine/dosdevices/c:/Jww/NONE/REF.TXT");
    EXPECT_EQ(ResolveWindowsPath(u""), fs::path());
}

}  // namespace
}  // namespace jw
