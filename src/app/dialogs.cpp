#include "dialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace jw {

namespace {

std::optional<JwFileAnswer> RunFileDialog(QFileDialog& dlg, const JwFileRequest& request) {
    dlg.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dlg.selectNameFilter(request.filters.at(request.filterIndex));
    if (!request.initialFolder.isEmpty()) dlg.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty()) dlg.selectFile(request.fileName);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    JwFileAnswer answer;
    answer.path = files.front();
    answer.filterIndex = std::max<qsizetype>(0, request.filters.indexOf(dlg.selectedNameFilter()));
    return answer;
}

}  // namespace

std::optional<JwFileAnswer> JwQtDialogs::OpenFile(QWidget* parent, const JwFileRequest& request) {
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    return RunFileDialog(dlg, request);
}

std::optional<JwFileAnswer> JwQtDialogs::SaveFile(QWidget* parent, const JwFileRequest& request) {
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(request.defaultSuffix);
    return RunFileDialog(dlg, request);
}

void JwQtDialogs::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QGuiApplication::applicationDisplayName(), text);
}

std::unique_ptr<QMessageBox> JwQuestionBox(QWidget* parent, const QString& text, const JwQuestionOption* option) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QGuiApplication::applicationDisplayName(), text,
                                             QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::No);
    if (option != nullptr) {
        auto* check = new QCheckBox(option->text, box.get());
        check->setChecked(option->checked);
        box->setCheckBox(check);
    }
    return box;
}

bool JwQtDialogs::Ask(QWidget* parent, const QString& text, JwQuestionOption* option) {
    const std::unique_ptr<QMessageBox> box = JwQuestionBox(parent, text, option);
    const bool yes = box->exec() == QMessageBox::Yes;
    if (option != nullptr) option->checked = box->checkBox()->isChecked();
    return yes;
}

}  // namespace jw
