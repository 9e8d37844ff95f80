// The save command: dialog presets, the version and encoding lists, the
// extension check, silent preconditions and the status messages.
#include <sys/resource.h>

#include <csignal>

#include <QDir>
#include <QFile>

#include "model/jw_data.h"
#include "window_fixture.h"

namespace jw::test {
namespace {

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct SaveCase {
    const char* sample;
    const char16_t* kind;   // message prefix
    int versions[9];        // version read back for each item of the list
};

// Readable test output: the sample instead of the case's bytes.
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.sample; }

class SaveCombinations : public WindowTest, public testing::WithParamInterface<SaveCase> {};

// Every item of both lists: the file read back has the chosen version and
// encoding, and the status line says it was saved.
TEST_P(SaveCombinations, WritesChosenVersionAndEncoding) {
    ZS_NEED_SAMPLES();
    const SaveCase& c = GetParam();
    const QString source = Sample(c.sample);
    const bool jws = source.endsWith(QStringLiteral(".jws"));
    Open(source);
    auto* versions = Find<QComboBox>("ComboBox1");
    auto* encodings = Find<QComboBox>("ComboBox2");
    for (int v = 0; v < 9; ++v) {
        for (int e = 0; e < 2; ++e) {
            SCOPED_TRACE(testing::Message() << "version item " << v << ", encoding " << e);
            versions->setCurrentIndex(v);
            encodings->setCurrentIndex(e);
            const QString out = WorkPath("out") + QString::number(v) + QString::number(e) + (jws ? ".jws" : ".jww");
            Save(out);
            EXPECT_EQ(Message(), ToQ(c.kind) + out + QStringLiteral("」を保存しました"));
            EXPECT_EQ(Edit(), out);
            if (jws) {
                TJwsData back;
                ASSERT_TRUE(back.FileIn(FromQ(out))) << back.LastError;
                EXPECT_EQ(back.Enthd.jwVer, c.versions[v]);
                EXPECT_EQ(back.MojiEncode, e == 1);
            } else {
                TJwwData back;
                ASSERT_TRUE(back.FileIn(FromQ(out))) << back.LastError;
                EXPECT_EQ(back.Enthd.jwVer, c.versions[v]);
                EXPECT_EQ(back.MojiEncode, e == 1);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SaveCombinations,
    testing::Values(SaveCase{"jww700-sjis-blocks.jww", u"図面ファイル「", {220, 223, 225, 230, 300, 351, 420, 600, 700}},
                    SaveCase{"jws351-blocks.jws", u"図形ファイル「", {230, 230, 230, 230, 351, 351, 420, 600, 700}}),
    [](const testing::TestParamInfo<SaveCase>& info) { return info.index == 0 ? "Jww" : "Jws"; });

TEST_F(WindowTest, SaveDialogPresetAndDefaultExtension) {
    ZS_NEED_SAMPLES();
    ASSERT_TRUE(QFile::copy(Sample("jww600-points-texts.jww"), WorkPath("plan.jww")));
    Open(WorkPath("plan.jww"));
    // Nothing touched: the lists show the drawing's own version and encoding,
    // and a plain save keeps them; a name typed without extension gets the
    // drawing's.
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QStringLiteral("6.00"));
    EXPECT_EQ(Find<QComboBox>("ComboBox2")->currentIndex(), 0);
    Save(WorkPath("copy"));
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const JwFileRequest& req = dialogs.saveRequests.front();
    EXPECT_EQ(req.initialFolder, workDir.path() + QLatin1Char('/'));
    EXPECT_EQ(req.fileName, QStringLiteral("plan"));
    EXPECT_EQ(req.defaultSuffix, QStringLiteral("jww"));
    EXPECT_EQ(req.filters, QStringList{QStringLiteral("Jw_cad図面ファイル(*.jww)")});
    EXPECT_EQ(Message(), QStringLiteral("図面ファイル「") + WorkPath("copy.jww") + QStringLiteral("」を保存しました"));
    TJwwData back;
    ASSERT_TRUE(back.FileIn(FromQ(WorkPath("copy.jww"))));
    EXPECT_EQ(back.Enthd.jwVer, 600);
    EXPECT_FALSE(back.MojiEncode);
    EXPECT_TRUE(dialogs.questions.empty());

    // An upper-case extension of the same kind is accepted.
    ASSERT_TRUE(QFile::copy(Sample("jws600-uppercase-ext.JWS"), WorkPath("part.JWS")));
    Open(WorkPath("part.JWS"));
    Save(WorkPath("part2.JWS"));
    EXPECT_EQ(dialogs.saveRequests.back().filters, QStringList{QStringLiteral("Jw_cad図形ファイル(*.jws)")});
    EXPECT_EQ(dialogs.saveRequests.back().defaultSuffix, QStringLiteral("jws"));
    EXPECT_EQ(Message(), QStringLiteral("図形ファイル「") + WorkPath("part2.JWS") + QStringLiteral("」を保存しました"));
}

// Before any file was opened "保存" only says so, whatever the path names
// (here a drawing that exists); after an open, preconditions that fail stop
// silently: no dialog, no file, no message.
TEST_F(WindowTest, SaveStopsSilently) {
    ZS_NEED_SAMPLES();
    auto* edit = Find<QLineEdit>("Edit1");
    {
        QFile f(WorkPath("notes.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("text\n");
    }
    for (const QString& path : {QString(), Sample("jww600-points-texts.jww")}) {
        edit->setText(path);
        Save(WorkPath("out.jww"));
        dialogs.saveAnswers.clear();
        EXPECT_TRUE(dialogs.saveRequests.empty());
        EXPECT_FALSE(QFile::exists(WorkPath("out.jww")));
        EXPECT_EQ(Message(), QStringLiteral("保存する図面がありません（先に「参照」で図面を開いてください）"));
    }
    Find<QLabel>("LabelMess")->clear();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);  // Ctrl+S is "保存"
    EXPECT_TRUE(dialogs.saveRequests.empty());
    EXPECT_EQ(Message(), QStringLiteral("保存する図面がありません（先に「参照」で図面を開いてください）"));

    Open(Sample("jww600-points-texts.jww"));
    for (const QString& path : {QString(), WorkPath("missing.jww"), WorkPath("notes.txt")}) {
        edit->setText(path);
        Save(WorkPath("out.jww"));
        dialogs.saveAnswers.clear();
        EXPECT_TRUE(dialogs.saveRequests.empty()) << path.toStdString();
        EXPECT_FALSE(QFile::exists(WorkPath("out.jww")));
        EXPECT_EQ(Message(), QString());
    }

    // A JWW drawing saved under a ".jws" name: nothing written, nothing said.
    const QString source = Sample("jww600-points-texts.jww");
    Open(source);
    ASSERT_FALSE(Message().isEmpty());
    Save(WorkPath("out.jws"));
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_FALSE(QFile::exists(WorkPath("out.jws")));
    EXPECT_EQ(Message(), QString());
    EXPECT_EQ(Edit(), source);

    // A cancelled dialog.
    QTest::mouseClick(Find<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(Message(), QString());
    EXPECT_EQ(QDir(workDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});
}

// A write that fails (here: the file size limit is reached) says so and
// leaves the file it would have replaced untouched.
TEST_F(WindowTest, FailedSaveKeepsExistingFile) {
    ZS_NEED_SAMPLES();
    Open(Sample("jww700-sjis-blocks.jww"));
    const QString out = WorkPath("keep.jww");
    {
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous content");
    }
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Save(out);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    const std::string error = form->Session().JWW1->LastError;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Message(), QStringLiteral("図面ファイル「") + out + QStringLiteral("」の保存に失敗しました（") +
                             QString::fromStdString(error) + QStringLiteral("）"));
    EXPECT_EQ(FileBytes(out), QByteArray("previous content"));
    EXPECT_EQ(QDir(workDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.jww")});
}

// A failed save names the writer's reason in brackets after the message, as
// a failed open names the reader's: here the chosen folder does not exist.
TEST_F(WindowTest, FailedSaveShowsTheReason) {
    const struct {
        const char* name;
        const char16_t* kind;
    } cases[] = {{"plan.jww", u"図面ファイル「"}, {"part.jws", u"図形ファイル「"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = WorkPath(c.name);
        const bool jws = path.endsWith(QStringLiteral(".jws"));
        if (jws) {
            TJwsData m;
            m.DataDefaultSet();
            ASSERT_TRUE(m.FileOut(FromQ(path), 700)) << m.LastError;
        } else {
            TJwwData m;
            m.DataDefaultSet();
            ASSERT_TRUE(m.FileOut(FromQ(path), 700)) << m.LastError;
        }
        Open(path);
        ASSERT_EQ(Message(), ToQ(c.kind) + path + QStringLiteral("」を開きました」"));

        const QString out = WorkPath("missing-folder/") + QString::fromLatin1(c.name);
        Save(out);
        const std::string error = jws ? form->Session().JWS->LastError : form->Session().JWW1->LastError;
        EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
        EXPECT_EQ(Message(), ToQ(c.kind) + out + QStringLiteral("」の保存に失敗しました（") +
                                 QString::fromStdString(error) + QStringLiteral("）"));
        EXPECT_EQ(Edit(), out);
        EXPECT_FALSE(QFile::exists(out));
    }
    // The status line as the user sees it, kept in the build folder.
    const QString shots = QStringLiteral(ZS_BINARY_DIR "/app_screenshots");
    ASSERT_TRUE(QDir().mkpath(shots));
    EXPECT_TRUE(form->grab().save(shots + QStringLiteral("/failed-save.png")));
}

}  // namespace
}  // namespace jw::test
