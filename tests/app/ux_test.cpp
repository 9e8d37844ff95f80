// What keeps a user from losing a drawing or getting lost: the lists preset
// to the opened file, the question before a save that loses something, the
// path field and keys, messages about files from outside, the tables' fitting,
// alignment, tooltips and swatches, the icon, and a start without a display.
#include <QAbstractItemView>
#include <QAction>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QProcess>

#include "grid_view.h"
#include "model/jw_data.h"
#include "window_fixture.h"

namespace jw::test {
namespace {

// A 7.00 drawing with one line in SXF colour 120 and line width 3, one text
// and one block insert, written to path.
bool WriteSxfDrawing(const QString& path) {
    TJwwData jw;
    jw.DataDefaultSet();
    bool ok = jw.AddEntPre();
    ok = ok && jw.AddEntLine(0, 0, 0, 120, 1, 3, 0, 0.0, 0.0, 100.0, 50.0);
    ok = ok && jw.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 3, 0.0, 0.0, 2.5, 3.0, 0.5, 0.0, u"ＭＳ ゴシック",
                             u"とても長い文字列がここに入っていて列の幅には収まりません");
    ok = ok && jw.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"扉");
    ok = ok && jw.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0.0, 0.0, 1.0, 1.0);
    ok = ok && jw.AddBlkDefPost(0);
    ok = ok && jw.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 5.0, 6.0, 2.0, 2.0, 0.0);
    ok = ok && jw.AddEntPost();
    return ok && jw.FileOut(FromQ(path), 700);
}

int32_t VersionOf(const QString& path) {
    TJwwData back;
    return back.FileIn(FromQ(path)) ? back.Enthd.jwVer : -1;
}

// After an open the lists show the file's own version and encoding.
TEST_F(WindowTest, ListsTakeTheOpenedFilesVersionAndEncoding) {
    ZS_NEED_SAMPLES();
    auto* versions = Find<QComboBox>("ComboBox1");
    auto* encodings = Find<QComboBox>("ComboBox2");
    const struct {
        const char* sample;
        const char* version;
        int encoding;
    } cases[] = {{"jww700-utf16-2blocks.jww", "7.00", 1},
                 {"jww600-points-texts.jww", "6.00", 0},
                 {"jws351-blocks.jws", "3.51", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sample);
        Open(Sample(c.sample));
        EXPECT_EQ(versions->currentText(), QString::fromLatin1(c.version));
        EXPECT_EQ(encodings->currentIndex(), c.encoding);
    }
    // A failed read leaves the lists as they were.
    const QString bad = WorkPath("bad.jww");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a drawing");
    f.close();
    versions->setCurrentIndex(2);
    Open(bad);
    EXPECT_EQ(versions->currentIndex(), 2);
}

// A save to a version that cannot hold everything asks first and names what
// would be lost; "No" writes nothing and keeps the path, "Yes" writes.
TEST_F(WindowTest, OlderVersionAsksBeforeWriting) {
    const QString source = WorkPath("sxf.jww");
    ASSERT_TRUE(WriteSxfDrawing(source));
    Open(source);
    ASSERT_EQ(Find<QComboBox>("ComboBox1")->currentText(), QStringLiteral("7.00"));
    Find<QComboBox>("ComboBox1")->setCurrentText(QStringLiteral("3.00"));

    const QString out = WorkPath("old.jww");
    dialogs.askAnswers = {false};
    Save(out);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    const QString& q = dialogs.questions.front();
    EXPECT_TRUE(q.startsWith(QStringLiteral("バージョン 3.00・ANSI (Shift-JIS) で保存すると"))) << q.toStdString();
    EXPECT_TRUE(q.contains(QStringLiteral("・SXF 線色の要素 1 個"))) << q.toStdString();
    EXPECT_TRUE(q.contains(QStringLiteral("・線幅を持つ要素 1 個"))) << q.toStdString();
    EXPECT_TRUE(q.endsWith(QStringLiteral("保存しますか？"))) << q.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(Edit(), source);
    EXPECT_EQ(Message(), QStringLiteral("保存を取りやめました"));

    Save(out);  // an empty queue answers Yes
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(VersionOf(out), 300);
    EXPECT_EQ(Message(), QStringLiteral("図面ファイル「") + out + QStringLiteral("」を保存しました"));

    // At the drawing's own version nothing is lost and nothing is asked.
    Open(source);
    Save(WorkPath("same.jww"));
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(VersionOf(WorkPath("same.jww")), 700);
}

// A figure with block definitions no insert uses: the save question says
// they are kept and offers a check box that drops them; the status line says
// how many went.
TEST_F(WindowTest, UnusedBlockDefinitionsKeptUnlessTheUserDropsThem) {
    ZS_NEED_SAMPLES();
    auto definitions = [](const QString& path) {
        TJwsData m;
        EXPECT_TRUE(m.FileIn(FromQ(path))) << m.LastError;
        return m.EntBlockDefN;
    };
    const QString source = Sample("jws351-blocks.jws");
    const int held = definitions(source);
    Open(source);
    const QString kept = WorkPath("kept.jws");
    Save(kept);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(dialogs.questions[0].startsWith(
        QStringLiteral("どの挿入にも使われていないブロック定義が 21 個あります。そのまま保存されます。")))
        << dialogs.questions[0].toStdString();
    ASSERT_EQ(dialogs.options.size(), 1u);
    EXPECT_EQ(dialogs.options[0], QStringLiteral("使われていないブロック定義 21 個を削除する"));
    EXPECT_EQ(definitions(kept), held);
    EXPECT_EQ(Message(), QStringLiteral("図形ファイル「") + kept + QStringLiteral("」を保存しました"));

    const QString purged = WorkPath("purged.jws");
    dialogs.optionAnswers = {true};
    Save(purged);
    EXPECT_EQ(definitions(purged), held - 21);
    EXPECT_EQ(Message(), QStringLiteral("図形ファイル「") + purged +
                             QStringLiteral("」を保存しました（使われていないブロック定義 21 個を削除しました）"));
}

// Enter in the path opens the file named there; Ctrl+O is "参照"; a missing
// or unsupported file from outside is named in the status line.
TEST_F(WindowTest, PathKeysAndFilesFromOutside) {
    const QString path = WorkPath("sxf.jww");
    ASSERT_TRUE(WriteSxfDrawing(path));
    auto* edit = Find<QLineEdit>("Edit1");
    edit->setText(path);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Message(), QStringLiteral("図面ファイル「") + path + QStringLiteral("」を開きました」"));
    EXPECT_EQ(Grid(kGridLine)->rowCount(), 1);

    edit->setText(WorkPath("gone.jww"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Message(), QStringLiteral("図面ファイル「") + WorkPath("gone.jww") +
                             QStringLiteral("」の読み込みに失敗しました（no such file）"));
    form->OpenFromOutside(WorkPath("plan.dwg"));
    EXPECT_EQ(Message(), QStringLiteral("ファイル「") + WorkPath("plan.dwg") +
                             QStringLiteral("」の読み込みに失敗しました（no such file）"));
    QFile(WorkPath("plan.dwg")).open(QIODevice::WriteOnly);
    form->OpenFromOutside(WorkPath("plan.dwg"));
    EXPECT_EQ(Message(), QStringLiteral("ファイル「") + WorkPath("plan.dwg") +
                             QStringLiteral("」の読み込みに失敗しました（unsupported file type）"));

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs.openRequests.size(), 1u);
}

// Numbers right, text left; the colour cells carry their colour; a block
// insert names its definition; a cut value shows whole as tooltip.
TEST_F(WindowTest, TableCellsAlignColourAndTooltips) {
    const QString path = WorkPath("sxf.jww");
    ASSERT_TRUE(WriteSxfDrawing(path));
    Open(path);
    auto align = [&](int g, int r, int c) {
        QAbstractItemModel* m = Grid(g);
        return m->data(m->index(r, c), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(align(kGridLine, 0, 8), Qt::AlignRight);     // a coordinate
    EXPECT_EQ(align(kGridLine, 0, 7), Qt::AlignRight);     // the hexadecimal flag
    EXPECT_EQ(align(kGridMoji, 0, 17), Qt::AlignLeft);     // the font name
    EXPECT_EQ(align(kGridColor, 1, 1), Qt::AlignLeft);     // "線色１"

    const TJwwData& jw = *form->Session().JWW1;
    QAbstractItemModel* colors = Grid(kGridColor);
    const auto swatch = colors->data(colors->index(1, 2), Qt::DecorationRole).value<QColor>();
    const auto rgb = static_cast<uint32_t>(jw.EntCol[1].aPenColor);
    EXPECT_EQ(swatch, QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
    EXPECT_FALSE(colors->data(colors->index(1, 3), Qt::DecorationRole).isValid());  // a width

    QAbstractItemModel* blocks = Grid(kGridBlock);
    EXPECT_EQ(blocks->data(blocks->index(0, 3), Qt::ToolTipRole).toString(),
              QStringLiteral("ブロック定義：") + ToQ(jw.EntBlockDef[0].strName));

    auto* view = Find<QTableView>(JwTableSource::GridName(kGridMoji));
    auto* delegate = qobject_cast<JwGridDelegate*>(view->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QModelIndex text = view->model()->index(0, 18);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = QRect(0, 0, 100, 20);
    EXPECT_EQ(delegate->TipFor(option, text), text.data().toString());
    option.rect = QRect(0, 0, 2000, 20);
    EXPECT_EQ(delegate->TipFor(option, text), QString());
}

// Columns start 100 wide; a double click on a header edge fits that column
// to its header and rows, the header's context entry fits them all.
TEST_F(WindowTest, ColumnsFitOnRequest) {
    const QString path = WorkPath("sxf.jww");
    ASSERT_TRUE(WriteSxfDrawing(path));
    Open(path);
    auto* tabs = Find<QTabWidget>("TabControl1");
    tabs->setCurrentIndex(1 + kGridMoji);
    auto* view = Find<QTableView>(JwTableSource::GridName(kGridMoji));
    QHeaderView* header = view->horizontalHeader();
    ASSERT_EQ(header->sectionSize(18), 100);
    ASSERT_EQ(header->sectionSize(0), 100);

    // The right edge of column 0 ("No."), whose content is narrow.
    const int edge = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(edge, header->height() / 2));
    EXPECT_LT(header->sectionSize(0), 100);
    EXPECT_GE(header->sectionSize(0), header->sectionSizeHint(0));

    QAction* fit = header->findChild<QAction*>(QStringLiteral("FitColumns"));
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->text(), FitColumnsCaption());
    EXPECT_EQ(header->contextMenuPolicy(), Qt::ActionsContextMenu);
    fit->trigger();
    EXPECT_GT(header->sectionSize(18), 100);  // the long text
    EXPECT_GE(header->sectionSize(18), header->sectionSizeHint(18));

    const QString shots = QStringLiteral(ZS_BINARY_DIR "/app_screenshots");
    ASSERT_TRUE(QDir().mkpath(shots));
    EXPECT_TRUE(form->grab().save(shots + QStringLiteral("/fitted-columns.png")));
}

TEST_F(WindowTest, WindowIcon) {
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_FALSE(form->windowIcon().pixmap(64, 64).isNull());
}

// Without a display the program says so in one line and ends with 1;
// --version and --help still answer.
TEST(ProgramWithoutDisplay, OneLineAndStatusOne) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    auto run = [&](const QStringList& args, QByteArray& out, QByteArray& err) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ZS_BINARY_DIR "/src/app/zumenscope"), args);
        EXPECT_TRUE(program.waitForFinished(60000));
        out = program.readAllStandardOutput();
        err = program.readAllStandardError();
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    };
    QByteArray out, err;
    EXPECT_EQ(run({QStringLiteral("plan.jww")}, out, err), 1);
    EXPECT_TRUE(err.startsWith("zumenscope: no display")) << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_EQ(run({QStringLiteral("--version")}, out, err), 0);
    EXPECT_TRUE(out.startsWith("zumenscope ")) << out.toStdString();
    EXPECT_EQ(run({QStringLiteral("--help")}, out, err), 0);
    EXPECT_TRUE(out.contains("[file]")) << out.toStdString();

    // A display that is named but cannot be reached.
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    EXPECT_EQ(run({QStringLiteral("plan.jww")}, out, err), 1);
    EXPECT_TRUE(err.startsWith("zumenscope: the window cannot be shown: ")) << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
}

}  // namespace
}  // namespace jw::test
