// The main window TForm1: a command row (path, "参照", "保存", version and
// encoding lists), the status line and fourteen pages: the header report, the
// twelve tables of the file last opened and the drawing itself ("図面", with
// the cursor's paper position in the status line, saving of the view as PNG,
// SVG or PDF and a DXF export).
#pragma once

#include <QIcon>
#include <QMainWindow>

#include <array>
#include <vector>

#include "dialogs.h"
#include "model/file_formats.h"
#include "viewer/session.h"
#include "viewer/table_views.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;

namespace jw {

class JwDrawingView;
class JwGridModel;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // dialogs: the dialogs and message boxes to use (not owned; null = the
    // real Qt dialogs). appFolder: the folder taken as the program's folder
    // when the window is shown (empty = the folder of the executable).
    explicit TForm1(JwDialogs* dialogs = nullptr, const JwString& appFolder = JwString(),
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- lifecycle (run by the show and close events) ----
    void FormShow();
    void FormClose();

    // ---- views ----
    // Empties the status line and the report, and resets the twelve grids to
    // their fixed numbering and names.
    void DisplayClear();

    // ---- open command ----
    void Button1Click();
    // What the open command does with the dialog's answer: path as chosen and
    // the index of the filter selected (0 JWW, 1 JWS). True when the file was
    // read completely.
    bool OpenChosenFile(const QString& path, int filterIndex);
    // Opens a file named on the command line, dropped on the window or
    // typed into the path (Enter), as if it had been chosen in the open
    // dialog with the filter of its extension; a missing file or one of
    // another kind is named in the status line as a failed open. True when
    // the file was read completely.
    bool OpenFromOutside(const QString& path);
    // Fresh models, the reader, then the report and the grids. Answer the
    // reader's result.
    bool JwwFileInput(const JwString& FName);
    bool JwsFileInput(const JwString& FName);

    // ---- save command ----
    // Before a file was opened it only says so. When the chosen version and
    // encoding lose something of the model, the user is asked first.
    void Button2Click();
    // The question asked before a save that loses something with the chosen
    // version and encoding or that keeps unused block definitions; empty
    // when neither is so.
    QString LossQuestion(JwFileKind kind) const;
    // The check box under that question when the drawing or figure holds
    // unused block definitions; empty text when it holds none.
    JwQuestionOption PurgeOption(JwFileKind kind) const;
    // The kind of the file last read; Unsupported before any.
    JwFileKind OpenedKind() const { return openedKind_; }
    void JwwFileOutput(const JwString& FName);
    void JwsFileOutput(const JwString& FName);
    // Text probe of the hidden Button3.
    void Button3Click();

    // ---- the drawing page ----
    // Records the drawing of the file last opened and shows it fitted (done
    // when the page is first shown after an open).
    void ShowDrawing();
    // The drawing open (a figure: made a drawing in figure); null when none is.
    TJwwData* OpenedDrawing(TJwwData& figure);
    // Saves what the page shows as PNG (150 dpi), SVG or PDF, by the
    // extension of the name chosen; exports the drawing as DXF with the
    // command line's defaults.
    void SaveViewClick();
    void DxfClick();
    bool SaveView(const QString& path);
    bool ExportDxf(const QString& path);
    JwDrawingView* DrawingView() const { return drawingView_; }
    // The cursor position shown in the status line ("X 12.34 mm  Y 5.67 mm").
    QString CursorText() const;

    TJwSession& Session() { return session_; }
    // The status line's text.
    QString StatusText() const;
    const JwTableSource& Tables() const { return tables_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    // After a successful open: the version and encoding lists show those of
    // the file, so that a plain save keeps them.
    void PresetLists(JwFileKind kind);
    // Asks about LossQuestion, when there is one, with a check box that
    // drops the unused block definitions when there are any; false when the
    // user goes back.
    bool ConfirmLosses(JwFileKind kind);
    // The block definitions no insert of the open drawing or figure uses.
    int32_t UnusedBlocks(JwFileKind kind) const;
    // Runs change on the table source with every grid model reset around it.
    template <typename F>
    void ChangeTables(F change);
    // JwwFileInput and JwsFileInput: the input routine of a drawing (kind
    // Jww) or figure (Jws).
    bool FileInput(JwFileKind kind, const JwString& FName);
    // The save of a drawing or figure with the version and encoding chosen;
    // kind chooses the status message ("図面ファイル「" or "図形ファイル「").
    template <class Model>
    void FileOutput(Model& model, JwFileKind kind, const JwString& FName);
    void ShowReport(const std::vector<JwString>& lines);
    void SetMessage(const JwString& text);

    JwQtDialogs qtDialogs_;
    JwDialogs* dialogs_;
    bool purgeBlocks_ = false;  // the next save drops unused block definitions (the save question's check box)
    JwString appFolder_;
    TJwSession session_;
    JwTableSource tables_;
    bool running_ = false;     // between FormShow and FormClose
    int openFilterIndex_ = 0;  // the open dialog keeps the filter last chosen
    JwFileKind openedKind_ = JwFileKind::Unsupported;  // kind of the file last read; Unsupported before any

    QWidget* Panel1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QPushButton* Button3 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* LabelMess = nullptr;
    QTabWidget* TabControl1 = nullptr;
    QWidget* drawingPage_ = nullptr;
    JwDrawingView* drawingView_ = nullptr;
    QPushButton* fitButton_ = nullptr;
    QPushButton* saveViewButton_ = nullptr;
    QPushButton* dxfButton_ = nullptr;
    QLabel* cursorLabel_ = nullptr;
    bool drawingStale_ = true;  // the page does not show the file last opened yet
    QPlainTextEdit* Memo1 = nullptr;
    std::array<QTableView*, kGridCount> grids_{};
    std::array<JwGridModel*, kGridCount> models_{};
};

// The font of the report: "ＭＳ ゴシック" when installed, else a Japanese
// fixed-pitch face (IPAGothic), else the system's fixed-pitch font.
QFont JwReportFont();

// The window caption.
QString JwWindowCaption();

// The program's icon (data/zumenscope.svg).
QIcon JwWindowIcon();

}  // namespace jw
