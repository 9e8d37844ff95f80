// The modal dialogs and message boxes of the window behind a small interface,
// so that tests can answer them without showing anything.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QMessageBox;
class QWidget;

namespace jw {

// What the window asks a file dialog for.
struct JwFileRequest {
    QString initialFolder;  // empty: the dialog's own choice
    QString fileName;       // preset name; empty: none
    QStringList filters;    // "Description(*.ext)", in order
    int filterIndex = 0;    // filter selected when the dialog opens
    QString defaultSuffix;  // save dialog: extension (without dot) given to a name typed without one
};

// A check box under a question: its text, and its state (preset by the
// caller, the user's choice after the question).
struct JwQuestionOption {
    QString text;
    bool checked = false;
};

// The user's choice in a file dialog.
struct JwFileAnswer {
    QString path;
    int filterIndex = 0;  // index into JwFileRequest::filters
};

class JwDialogs {
public:
    virtual ~JwDialogs() = default;
    // Open dialog for an existing file; nullopt when cancelled.
    virtual std::optional<JwFileAnswer> OpenFile(QWidget* parent, const JwFileRequest& request) = 0;
    // Save dialog that asks before replacing a file; nullopt when cancelled.
    virtual std::optional<JwFileAnswer> SaveFile(QWidget* parent, const JwFileRequest& request) = 0;
    // Message box with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // Question with Yes and No (No preselected) and, when option is given,
    // a check box; true for Yes.
    virtual bool Ask(QWidget* parent, const QString& text, JwQuestionOption* option = nullptr) = 0;
};

// The question JwQtDialogs::Ask shows: Yes and No (No preselected) and, when
// option is given, its check box.
std::unique_ptr<QMessageBox> JwQuestionBox(QWidget* parent, const QString& text, const JwQuestionOption* option);

// The real dialogs (QFileDialog, QMessageBox).
class JwQtDialogs : public JwDialogs {
public:
    std::optional<JwFileAnswer> OpenFile(QWidget* parent, const JwFileRequest& request) override;
    std::optional<JwFileAnswer> SaveFile(QWidget* parent, const JwFileRequest& request) override;
    void ShowMessage(QWidget* parent, const QString& text) override;
    bool Ask(QWidget* parent, const QString& text, JwQuestionOption* option = nullptr) override;
};

}  // namespace jw
