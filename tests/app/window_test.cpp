// The window's controls, their texts, order and roles; the cleared views at
// start; start-up and shut-down of the working folder.
#include <QDir>
#include <QFontInfo>
#include <QHeaderView>
#include <QStatusBar>

#include "window_fixture.h"

namespace jw::test {
namespace {

TEST_F(WindowTest, ControlsTextsAndOrder) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ＳＣＯＰＥ　テスト16"));
    EXPECT_EQ(form->size(), QSize(597, 400));

    auto* panel = Find<QWidget>("Panel1");
    auto* edit = Find<QLineEdit>("Edit1");
    auto* open = Find<QPushButton>("Button1");
    auto* save = Find<QPushButton>("Button2");
    auto* probe = Find<QPushButton>("Button3");
    auto* label1 = Find<QLabel>("Label1");
    auto* label2 = Find<QLabel>("Label2");
    auto* versions = Find<QComboBox>("ComboBox1");
    auto* encodings = Find<QComboBox>("ComboBox2");
    auto* status = Find<QStatusBar>("StatusBar1");
    auto* mess = Find<QLabel>("LabelMess");
    auto* tabs = Find<QTabWidget>("TabControl1");
    ASSERT_TRUE(panel && edit && open && save && probe && label1 && label2 && versions && encodings && status &&
                mess && tabs);

    EXPECT_EQ(open->text(), QStringLiteral("参照"));
    EXPECT_EQ(save->text(), QStringLiteral("保存"));
    EXPECT_EQ(probe->text(), QStringLiteral("Button3"));
    EXPECT_FALSE(probe->isVisible());
    EXPECT_EQ(label1->text(), QStringLiteral("バージョン："));
    EXPECT_EQ(label2->text(), QStringLiteral("文字コード："));

    // Command row: the panel at the top, "参照" right of the path, "保存" below
    // it, then version and encoding each after its label.
    EXPECT_EQ(panel->height(), 57);
    EXPECT_EQ(panel->mapTo(form.get(), QPoint(0, 0)).y(), 0);
    EXPECT_EQ(edit->width(), 417);
    for (QWidget* w : std::initializer_list<QWidget*>{edit, open, save, label1, versions, label2, encodings})
        EXPECT_EQ(w->parentWidget(), panel);
    EXPECT_GE(open->x(), edit->x() + edit->width());
    EXPECT_LT(open->y(), edit->y() + edit->height());
    EXPECT_GE(save->y(), edit->y() + edit->height());
    EXPECT_LT(save->x(), label1->x());
    EXPECT_LT(label1->x(), versions->x());
    EXPECT_LT(versions->x(), label2->x());
    EXPECT_LT(label2->x(), encodings->x());

    QStringList versionItems;
    for (int i = 0; i < versions->count(); ++i) versionItems << versions->itemText(i);
    EXPECT_EQ(versionItems.join(QLatin1Char(' ')), QStringLiteral("2.20 2.23 2.25 2.30 3.00 3.51 4.20 6.00 7.00"));
    EXPECT_EQ(versions->currentIndex(), 0);
    ASSERT_EQ(encodings->count(), 2);
    EXPECT_EQ(encodings->itemText(0), QStringLiteral("ANSI (Shift-JIS)"));
    EXPECT_EQ(encodings->itemText(1), QStringLiteral("Unicode (UTF-16)"));
    EXPECT_EQ(encodings->currentIndex(), 0);

    // Status line at the bottom with the message label filling it.
    EXPECT_EQ(status->height(), 22);
    EXPECT_EQ(status->geometry().bottom(), form->rect().bottom());
    EXPECT_EQ(mess->parentWidget(), status);
    EXPECT_GT(mess->width(), status->width() / 2);

    // Fourteen pages: the report, one read-only grid per table, then the
    // drawing itself.
    ASSERT_EQ(tabs->count(), 14);
    EXPECT_EQ(tabs->tabText(13), QStringLiteral("図面"));
    EXPECT_EQ(tabs->widget(13)->objectName(), QStringLiteral("DrawingPage"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("ヘッダ"));
    EXPECT_EQ(tabs->widget(0)->objectName(), QStringLiteral("Memo1"));
    const char16_t* captions[kGridCount] = {u"レイヤＧ", u"レイヤ", u"線色", u"線種", u"文字種", u"線分",
                                            u"円弧", u"点", u"文字", u"寸法", u"ソリッド", u"ブロック"};
    for (int g = 0; g < kGridCount; ++g) {
        SCOPED_TRACE(g);
        EXPECT_EQ(tabs->tabText(g + 1), ToQ(captions[g]));
        auto* view = qobject_cast<QTableView*>(tabs->widget(g + 1));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->objectName(), QString::fromLatin1(JwTableSource::GridName(g)));
        EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_FALSE(view->verticalHeader()->isVisible());
        EXPECT_EQ(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        EXPECT_EQ(view->horizontalHeader()->defaultSectionSize(), 100);
        EXPECT_FALSE(view->model()->flags(view->model()->index(0, 0)) & Qt::ItemIsEditable);
        for (int c = 0; c < JwTableSource::ColumnCount(g); ++c)
            EXPECT_EQ(view->model()->headerData(c, Qt::Horizontal).toString(), ToQ(JwTableSource::ColumnHeader(g, c)));
    }

    auto* memo = Find<QPlainTextEdit>("Memo1");
    EXPECT_TRUE(memo->isReadOnly());
    const QString family = QFontInfo(memo->font()).family();
    EXPECT_TRUE(family == QStringLiteral("ＭＳ ゴシック") || family == QStringLiteral("IPAGothic")) << family.toStdString();
}

// The cleared views at start: fixed numbering and names, no row in the
// entity grids, empty path, report and status.
TEST_F(WindowTest, ClearedViewsAtStart) {
    EXPECT_EQ(Edit(), QString());
    EXPECT_EQ(Message(), QString());
    EXPECT_EQ(Memo(), QString());
    // The entity lists are empty: no blank row.
    const int rows[kGridCount] = {16, 256, 267, 50, 10, 0, 0, 0, 0, 0, 0, 0};
    for (int g = 0; g < kGridCount; ++g) {
        SCOPED_TRACE(g);
        ASSERT_EQ(Grid(g)->rowCount(), rows[g]);
        EXPECT_EQ(Grid(g)->columnCount(), JwTableSource::ColumnCount(g));
    }
    auto column0 = [&](int g) {
        QStringList numbers;
        for (int r = 0; r < Grid(g)->rowCount(); ++r) numbers << Cell(g, r, 0);
        return numbers;
    };
    auto sequence = [](std::initializer_list<std::pair<int, int>> ranges) {
        QStringList numbers;
        for (auto [from, to] : ranges)
            for (int n = from; n <= to; ++n) numbers << QString::number(n);
        return numbers;
    };
    EXPECT_EQ(column0(kGridLayerGroup), sequence({{0, 15}}));
    EXPECT_EQ(column0(kGridLayer), sequence({{0, 255}}));
    EXPECT_EQ(column0(kGridColor), sequence({{0, 9}, {100, 356}}));
    EXPECT_EQ(column0(kGridLineType), sequence({{1, 17}, {30, 62}}));
    EXPECT_EQ(column0(kGridMojiType), sequence({{1, 10}}));
    EXPECT_EQ(Cell(kGridColor, 0, 1), QStringLiteral("背景色"));
    EXPECT_EQ(Cell(kGridColor, 9, 1), QStringLiteral("グレー色"));
    EXPECT_EQ(Cell(kGridColor, 10, 1), QString());
    EXPECT_EQ(Cell(kGridLineType, 0, 1), QStringLiteral("線種２"));
    EXPECT_EQ(Cell(kGridLineType, 12, 1), QStringLiteral("ランダム線5"));
    EXPECT_EQ(Cell(kGridLineType, 16, 1), QStringLiteral("倍長線種番号4"));
    EXPECT_EQ(Cell(kGridLineType, 17, 1), QString());
    EXPECT_EQ(Cell(kGridLineType, 0, 2), QString());
}

// "TEMP" beside the program exists while the window is open and goes away
// with the window when nothing was left in it.
TEST_F(WindowTest, WorkingFolderLivesWithTheWindow) {
    const QString temp = QDir(appDir.path()).filePath(QStringLiteral("TEMP"));
    EXPECT_TRUE(QFileInfo(temp).isDir());
    form->close();
    EXPECT_FALSE(QFileInfo(temp).exists());
}

// The hidden text probe: UTF-16 length, code points and UTF-8 bytes, then the
// two code points from index 3.
TEST_F(WindowTest, TextProbe) {
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("aあ𠀋bcd"));
    form->Button3Click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("7 6 :0061 00E3 0081 0082 00F0 00A0 0080 008B 0062 0063 0064 "));
    EXPECT_EQ(dialogs.messages[1], QStringLiteral("bc"));
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("ab𠀋𠀋"));
    form->Button3Click();
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[3], QStringLiteral("𠀋"));
}

}  // namespace
}  // namespace jw::test
