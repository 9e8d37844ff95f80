// The open command: dialog presets, extension rules, the report page, the
// twelve grids, status messages, failed reads, drops and the command line.
#include <cstring>
#include <functional>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#include "model/jw_data.h"
#include "report/header_report.h"
#include "support/numbers.h"
#include "window_fixture.h"

namespace jw::test {
namespace {

QString ReportText(const std::vector<JwString>& lines) {
    QStringList parts;
    for (const JwString& l : lines) parts << ToQ(l);
    QString text = parts.join(QLatin1Char('\n'));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString Opened(const char16_t* kind, const QString& path) {
    return ToQ(kind) + path + QStringLiteral("」を開きました」");
}

// A drawing with one entity of every kind and values whose display is known.
bool WriteEveryKindDrawing(const QString& path) {
    TJwwData jw;
    jw.DataDefaultSet();
    bool ok = jw.AddEntPre();
    ok = ok && jw.AddEntLine(0, 1, 2, 3, 2, 0, 0, 1.5, 2.0, 3.0, -4.25);
    ok = ok && jw.AddEntArc(0, 0, 0, 2, 1, 0, 8, 10.0, 20.0, 5.0, 1.0, 0.0, 360.0, 0.0);
    ok = ok && jw.AddEntTen(0, 0, 0, 4, 1, 0, 0, -7.5, 8.0, 0.0, 1.0);
    ok = ok && jw.AddEntMoji(0, 0, 0, 5, 1, 0, 0, 3, 0.0, 0.0, 2.5, 3.0, 0.5, 0.0, u"ＭＳ ゴシック", u"文字列ＡＢＣ");
    ok = ok && jw.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 2, 1, 0, 0, 1, 0.0, 0.0, 100.0, 0.0, 50.0, 1.0, 2.5, 2.5, 0.0,
                              0.0, u"ＭＳ ゴシック", u"100");
    ok = ok && jw.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 255, 0.0, 0.0, 1.0, 0.0, 1.0, 1.0, 0.0, 1.0);
    ok = ok && jw.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品");
    ok = ok && jw.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0.0, 0.0, 1.0, 1.0);
    ok = ok && jw.AddBlkDefPost(0);
    ok = ok && jw.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 5.0, 6.0, 2.0, 2.0, 0.0);
    ok = ok && jw.AddEntPost();
    if (!ok) return false;
    jw.EntLine[0].att.sFlg = 5;
    return jw.FileOut(FromQ(path), 700);
}

// Every cell of the table grids (and the first rows of the entity grids) as
// the window shows them equals the table source's.
void ExpectGridsShowSource(const TForm1& form, const std::function<QString(int, int, int)>& cell) {
    const JwTableSource& src = form.Tables();
    for (int g = 0; g < kGridCount; ++g) {
        SCOPED_TRACE(JwTableSource::GridName(g));
        const int rows = src.RowCount(g);
        const int shown = g < kGridLine ? rows : std::min(rows, 3);
        for (int r = 0; r < shown; ++r)
            for (int c = 0; c < JwTableSource::ColumnCount(g); ++c)
                ASSERT_EQ(cell(g, r, c), ToQ(src.Cell(g, r, c))) << r << "," << c;
    }
}

TEST_F(WindowTest, OpenJwwShowsReportGridsAndMessage) {
    ZS_NEED_SAMPLES();
    const QString path = Sample("jww700-sjis-blocks.jww");
    Open(path);
    EXPECT_EQ(Message(), Opened(u"図面ファイル「", path));
    EXPECT_EQ(Edit(), path);
    ASSERT_NE(form->Session().JWW1, nullptr);
    EXPECT_EQ(Memo(), ReportText(JwwHeaderReport(*form->Session().JWW1, FromQ(path))));
    EXPECT_TRUE(Memo().contains(QStringLiteral("\n 線　 数：2265\n")));

    // Counts of the sample and the numbering of the entity grids.
    const struct {
        int grid;
        int rows;
    } counts[] = {{kGridLine, 2265}, {kGridEnko, 69}, {kGridTen, 87}, {kGridMoji, 64},
                  {kGridSunpo, 0},   {kGridSolid, 0}, {kGridBlock, 54}};
    for (auto [grid, rows] : counts) {
        SCOPED_TRACE(grid);
        ASSERT_EQ(Grid(grid)->rowCount(), rows);
        if (rows > 1) {
            EXPECT_EQ(Cell(grid, rows - 1, 0), QString::number(rows));
        }
    }
    const TJwwData& jw = *form->Session().JWW1;
    EXPECT_EQ(Cell(kGridLine, 0, 8), ToQ(FloatStr(jw.EntLine[0].start_x)));
    EXPECT_EQ(Cell(kGridLayerGroup, 0, 5), ToQ(jw.EntLgrp[0].aStrGLayName));
    EXPECT_EQ(Cell(kGridColor, 10, 1), ToQ(jw.EntColS[0].astrUDColorName));
    const QRegularExpression hex8(QStringLiteral("^[0-9A-F]{8,}$"));
    for (int r = 0; r < 17; ++r) EXPECT_TRUE(hex8.match(Cell(kGridLineType, r, 2)).hasMatch()) << r;
    EXPECT_TRUE(hex8.match(Cell(kGridBlock, 0, 7)).hasMatch());
    ExpectGridsShowSource(*form, [this](int g, int r, int c) { return Cell(g, r, c); });
}

TEST_F(WindowTest, EveryGridOfAConstructedDrawing) {
    const QString path = WorkPath("every.jww");
    ASSERT_TRUE(WriteEveryKindDrawing(path));
    Open(path);
    ASSERT_EQ(Message(), Opened(u"図面ファイル「", path));
    for (int g = kGridLine; g < kGridCount; ++g) ASSERT_EQ(Grid(g)->rowCount(), 1) << g;

    struct Spot {
        int grid, column;
        const char16_t* text;
    };
    const Spot spots[] = {
        {kGridLine, 0, u"1"},          {kGridLine, 3, u"3"},         {kGridLine, 5, u"2"},
        {kGridLine, 6, u"1"},          {kGridLine, 7, u"00000005"},  {kGridLine, 8, u"1.5"},
        {kGridLine, 11, u"-4.25"},     {kGridEnko, 8, u"10"},        {kGridEnko, 10, u"5"},
        {kGridEnko, 15, u"1"},         {kGridTen, 8, u"-7.5"},       {kGridTen, 9, u"8"},
        {kGridMoji, 12, u"3"},         {kGridMoji, 17, u"ＭＳ ゴシック"}, {kGridMoji, 18, u"文字列ＡＢＣ"},
        {kGridSunpo, 18, u"0"},        {kGridSunpo, 17, u"100"},     {kGridSunpo, 36, u"100"},
        {kGridSolid, 3, u"10"},        {kGridSolid, 16, u"0000FF"},  {kGridSolid, 12, u"1"},
        {kGridBlock, 8, u"5"},         {kGridBlock, 11, u"2"},       {kGridBlock, 13, u"0"},
    };
    for (const Spot& s : spots)
        EXPECT_EQ(Cell(s.grid, 0, s.column), ToQ(s.text)) << JwTableSource::GridName(s.grid) << " " << s.column;
    EXPECT_TRUE(Memo().contains(QStringLiteral("ﾌﾞﾛｯｸ定義数：1\n　ﾌﾞﾛｯｸNo：0\n")));
    ExpectGridsShowSource(*form, [this](int g, int r, int c) { return Cell(g, r, c); });
}

TEST_F(WindowTest, MemoLineBreaksShowAsNewLines) {
    ZS_NEED_SAMPLES();
    const QString path = Sample("jww600-points-texts.jww");
    Open(path);
    EXPECT_TRUE(Memo().contains(
        QStringLiteral("\nファイルメモ 　：日影図ＴＥＳＴ用データ\n（ドーム屋根の概略日影図）\n文字コード")));
}

// A JWS figure after a JWW drawing: the JWW values are gone from every grid.
TEST_F(WindowTest, JwsAfterJwwLeavesNoJwwValues) {
    ZS_NEED_SAMPLES();
    Open(Sample("jww700-sjis-blocks.jww"));
    const QString path = Sample("jws600-uppercase-ext.JWS");
    Open(path, 0);
    EXPECT_EQ(Message(), Opened(u"図形ファイル「", path));
    ASSERT_NE(form->Session().JWS, nullptr);
    EXPECT_EQ(Memo(), ReportText(JwsHeaderReport(*form->Session().JWS, FromQ(path))));

    const JwTableSource cleared;
    for (int g = kGridLayer; g <= kGridMojiType; ++g) {
        ASSERT_EQ(Grid(g)->rowCount(), cleared.RowCount(g));
        for (int r = 0; r < cleared.RowCount(g); ++r)
            for (int c = 0; c < JwTableSource::ColumnCount(g); ++c)
                ASSERT_EQ(Cell(g, r, c), ToQ(cleared.Cell(g, r, c))) << g << ":" << r << "," << c;
    }
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(Cell(kGridLayerGroup, r, 0), QString::number(r));
        EXPECT_FALSE(Cell(kGridLayerGroup, r, 3).isEmpty());
        for (int c : {1, 2, 4, 5}) EXPECT_EQ(Cell(kGridLayerGroup, r, c), QString());
    }
    EXPECT_EQ(Grid(kGridLine)->rowCount(), 151);
    EXPECT_EQ(Grid(kGridTen)->rowCount(), 18);
    // Entity lists without entities show no row.
    for (int g : {kGridEnko, kGridMoji, kGridSunpo, kGridSolid, kGridBlock}) EXPECT_EQ(Grid(g)->rowCount(), 0);
}

TEST_F(WindowTest, FailedReadSaysSoAndShowsWhatWasRead) {
    ZS_NEED_SAMPLES();
    const QString path = WorkPath("x.jww");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("This is a text file, not a drawing.\r\n");
    }
    Open(Sample("jww600-points-texts.jww"));
    Open(path);
    // The reader's message, then where and what it met.
    const std::string error = form->Session().JWW1->LastError + ": " + form->Session().JWW1->LastErrorDetail;
    EXPECT_EQ(error, "JWW-Header Error: header at byte 0x0: the file does not begin with the signature \"JwwData.\"");
    EXPECT_EQ(Message(), QStringLiteral("図面ファイル「") + path + QStringLiteral("」の読み込みに失敗しました（") +
                             QString::fromStdString(error) + QStringLiteral("）"));
    EXPECT_TRUE(Memo().startsWith(QStringLiteral("ファイル名：") + path + QLatin1Char('\n')));
    EXPECT_EQ(Grid(kGridLine)->rowCount(), 0);
}

TEST_F(WindowTest, ExtensionRulesAndCancel) {
    ZS_NEED_SAMPLES();
    // A name typed without extension while the second filter is selected.
    ASSERT_TRUE(QFile::copy(Sample("jws351-blocks.jws"), WorkPath("fig.jws")));
    Open(WorkPath("fig"), 1);
    EXPECT_EQ(Edit(), WorkPath("fig.jws"));
    EXPECT_EQ(Message(), Opened(u"図形ファイル「", WorkPath("fig.jws")));
    const QString report = Memo();

    // The next open presets the folder, the name and the filter last chosen;
    // a cancel changes nothing.
    QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    const JwFileRequest& req = dialogs.openRequests.back();
    EXPECT_EQ(req.initialFolder, workDir.path() + QLatin1Char('/'));
    EXPECT_EQ(req.fileName, QStringLiteral("fig.jws"));
    EXPECT_EQ(req.filterIndex, 1);
    EXPECT_EQ(req.filters, (QStringList{QStringLiteral("Jw_cad 図面データ(*.jww)"),
                                       QStringLiteral("Jw_cad 図形データ(*.jws)")}));
    EXPECT_EQ(Memo(), report);
    EXPECT_EQ(Edit(), WorkPath("fig.jws"));

    // A missing file, and an existing file of another kind: the views are
    // cleared and nothing is said.
    for (const char* name : {"missing.jww", "notes.txt"}) {
        QFile(WorkPath("notes.txt")).open(QIODevice::WriteOnly);
        Open(WorkPath(name));
        EXPECT_EQ(Edit(), WorkPath(name));
        EXPECT_EQ(Message(), QString());
        EXPECT_EQ(Memo(), QString());
        EXPECT_EQ(Grid(kGridLine)->rowCount(), 0);
    }
}

TEST_F(WindowTest, DroppedFileOpens) {
    ZS_NEED_SAMPLES();
    const QString path = Sample("jws700-blocks.jws");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(100, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(Message(), Opened(u"図形ファイル「", path));

    // A file of another kind is taken too, and named as one the window
    // cannot open; a drop without a local file is refused.
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(Sample("README.md"))});
    QDragEnterEvent taken(QPoint(100, 200), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &taken);
    EXPECT_TRUE(taken.isAccepted());
    QDropEvent dropOther(QPointF(100, 200), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &dropOther);
    EXPECT_EQ(Message(), QStringLiteral("ファイル「") + Sample("README.md") +
                             QStringLiteral("」の読み込みに失敗しました（unsupported file type）"));
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/a.jww"))});
    QDragEnterEvent refused(QPoint(100, 200), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

// The program opens a file named on its command line; its screenshot switch
// saves pictures of the header page and the "線分" page.
TEST_F(WindowTest, ProgramOpensFileFromCommandLine) {
    ZS_NEED_SAMPLES();
    const QString shots = WorkPath("shots");
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ZS_BINARY_DIR "/src/app/zumenscope"),
                  {QStringLiteral("--screenshot"), shots, Sample("jww600-points-texts.jww")});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    for (const char* name : {"header.png", "line.png", "color.png"}) {
        const QImage image(QDir(shots).filePath(QString::fromLatin1(name)));
        EXPECT_EQ(image.size(), QSize(597, 400)) << name;
    }

    // A file it cannot open: a message and status 1, no pictures.
    const QString none = WorkPath("none");
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(QStringLiteral(ZS_BINARY_DIR "/src/app/zumenscope"),
                  {QStringLiteral("--screenshot"), none, WorkPath("missing.jww")});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(program.readAllStandardError())
                    .contains(QStringLiteral("missing.jww」の読み込みに失敗しました（no such file）")));
    EXPECT_FALSE(QFileInfo::exists(QDir(none).filePath(QStringLiteral("header.png"))));
}

// A name with control characters is shown with them escaped; a save that
// leaves out inserts of missing definitions says how many.
TEST_F(WindowTest, HostileNamesAndLeftOutInserts) {
    const QString path = WorkPath("a\x1b[31m\x07" "b.jww");
    {
        // The model refuses an insert of a definition it lacks: an insert of
        // A at (5, 6) is written, and the definition number that follows its
        // point, scales and angle then set to 42, which no definition has.
        TJwwData jw;
        jw.DataDefaultSet();
        ASSERT_TRUE(jw.AddEntPre());
        jw.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
        ASSERT_TRUE(jw.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"A"));
        ASSERT_TRUE(jw.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1));
        ASSERT_TRUE(jw.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 5.0, 6.0, 1.0, 1.0, 0.0));
        ASSERT_TRUE(jw.AddEntPost());
        ASSERT_TRUE(jw.FileOut(FromQ(path), 600));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const double place[5] = {5.0, 6.0, 1.0, 1.0, 0.0};
        const QByteArray pattern(reinterpret_cast<const char*>(place), sizeof place);
        const qsizetype at = bytes.indexOf(pattern);
        ASSERT_GE(at, 0);
        ASSERT_EQ(bytes.indexOf(pattern, at + 1), -1);
        const uint32_t missing = 42;  // no definition 42
        ASSERT_LE(at + qsizetype{sizeof place} + qsizetype{sizeof missing}, bytes.size());
        std::memcpy(bytes.data() + at + sizeof place, &missing, sizeof missing);
        ASSERT_TRUE(file.seek(0));
        ASSERT_EQ(file.write(bytes), bytes.size());
        file.close();
        TJwwData in;
        ASSERT_TRUE(in.FileIn(FromQ(path)));
        ASSERT_EQ(in.EntBlockN, 1);
        const uint32_t number = in.EntBlock[0].nNumber;  // a copy: the record is packed
        ASSERT_EQ(number, missing);
    }
    Open(path);
    EXPECT_FALSE(Message().contains(QChar(0x1B)));
    EXPECT_FALSE(Message().contains(QChar(0x07)));
    EXPECT_TRUE(Message().contains(QStringLiteral("a\\x1B[31m\\x07b.jww」を開きました"))) << Message().toStdString();

    Save(WorkPath("saved.jww"));
    EXPECT_EQ(Message(), QStringLiteral("図面ファイル「") + WorkPath("saved.jww") +
                             QStringLiteral("」を保存しました（定義のないブロック挿入 1 個を除きました）"));
    TJwwData back;
    ASSERT_TRUE(back.FileIn(FromQ(WorkPath("saved.jww"))));
    EXPECT_EQ(back.EntBlockN, 0);
}

}  // namespace
}  // namespace jw::test
