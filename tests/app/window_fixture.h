// A shown TForm1 whose dialogs and message boxes are answered by a test
// double, with a private program folder (so "TEMP" and Jw_win.jwf lookups stay
// inside the test) and a private work folder.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <ostream>
#include <memory>
#include <vector>

#include "common/samples.h"
#include "dialogs.h"
#include "main_window.h"
#include "qt_text.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace jw::test {

// Answers the window's dialogs from queues; an empty queue is a cancel.
class FakeDialogs : public JwDialogs {
public:
    std::deque<JwFileAnswer> openAnswers;
    std::deque<JwFileAnswer> saveAnswers;
    std::vector<JwFileRequest> openRequests;
    std::vector<JwFileRequest> saveRequests;
    std::vector<QString> messages;
    std::deque<bool> askAnswers;  // an empty queue answers Yes
    std::vector<QString> questions;
    std::deque<bool> optionAnswers;  // the check box under a question; an empty queue leaves it
    std::vector<QString> options;    // the check boxes' texts, in order

    std::optional<JwFileAnswer> OpenFile(QWidget*, const JwFileRequest& request) override {
        openRequests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<JwFileAnswer> SaveFile(QWidget*, const JwFileRequest& request) override {
        saveRequests.push_back(request);
        return Next(saveAnswers);
    }
    void ShowMessage(QWidget*, const QString& text) override { messages.push_back(text); }
    bool Ask(QWidget*, const QString& text, JwQuestionOption* option = nullptr) override {
        questions.push_back(text);
        if (option != nullptr) {
            options.push_back(option->text);
            if (!optionAnswers.empty()) {
                option->checked = optionAnswers.front();
                optionAnswers.pop_front();
            }
        }
        if (askAnswers.empty()) return true;
        const bool yes = askAnswers.front();
        askAnswers.pop_front();
        return yes;
    }

private:
    static std::optional<JwFileAnswer> Next(std::deque<JwFileAnswer>& q) {
        if (q.empty()) return std::nullopt;
        JwFileAnswer a = q.front();
        q.pop_front();
        return a;
    }
};

// A sample drawing (tests that use one start with ZS_NEED_SAMPLES()).
inline QString Sample(const char* name) { return QString::fromStdString(SamplePath(name).string()); }

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appDir.isValid());
        ASSERT_TRUE(workDir.isValid());
        form = std::make_unique<TForm1>(&dialogs, FromQ(appDir.path()));
        form->show();
    }
    void TearDown() override {
        form->close();
        form.reset();
    }

    template <typename T>
    T* Find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Message() const { return Find<QLabel>("LabelMess")->text(); }
    QString Memo() const { return Find<QPlainTextEdit>("Memo1")->toPlainText(); }
    QString Edit() const { return Find<QLineEdit>("Edit1")->text(); }
    QAbstractItemModel* Grid(int g) const {
        return Find<QTableView>(JwTableSource::GridName(g))->model();
    }
    QString Cell(int g, int row, int column) const {
        QAbstractItemModel* m = Grid(g);
        return m->data(m->index(row, column)).toString();
    }
    QString WorkPath(const char* name) const { return workDir.filePath(QString::fromUtf8(name)); }

    // The open command with the dialog answering path and filter.
    void Open(const QString& path, int filterIndex = 0) {
        dialogs.openAnswers.push_back({path, filterIndex});
        QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
    }
    // The save command with the dialog answering path.
    void Save(const QString& path) {
        dialogs.saveAnswers.push_back({path, 0});
        QTest::mouseClick(Find<QPushButton>("Button2"), Qt::LeftButton);
    }

    FakeDialogs dialogs;
    QTemporaryDir appDir;
    QTemporaryDir workDir;
    std::unique_ptr<TForm1> form;
};

}  // namespace jw::test
