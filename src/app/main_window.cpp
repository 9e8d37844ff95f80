#include "main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include "drawing_view.h"
#include "dxf/dxf_model.h"
#include "dxf/export_defaults.h"
#include "dxf/jww_to_dxf.h"
#include "grid_model.h"
#include "grid_view.h"
#include "jww/save_losses.h"
#include "model/file_formats.h"
#include "qt_text.h"
#include "render/renderer.h"
#include "render_file.h"
#include "report/file_report.h"
#include "support/numbers.h"
#include "support/paths.h"
#include "support/strings.h"
#include "support/text_encoding.h"

// The resources of zumenscope.qrc live in the static window library, whose
// initialiser is kept only when something calls it.
static void InitIconResource() { Q_INIT_RESOURCE(zumenscope); }

namespace jw {

namespace {

constexpr int kClientWidth = 597;
constexpr int kClientHeight = 400;
constexpr int kPanelHeight = 57;
constexpr int kEditWidth = 417;
constexpr int kStatusHeight = 22;
constexpr int kRowHeight = 24;  // command row controls

const char16_t kOpenFilterJww[] = u"Jw_cad 図面データ(*.jww)";
const char16_t kOpenFilterJws[] = u"Jw_cad 図形データ(*.jws)";
const char16_t kSaveFilterJww[] = u"Jw_cad図面ファイル(*.jww)";
const char16_t kSaveFilterJws[] = u"Jw_cad図形ファイル(*.jws)";

const char16_t kPictureFilterPng[] = u"PNG 画像(*.png)";
const char16_t kPictureFilterSvg[] = u"SVG 画像(*.svg)";
const char16_t kPictureFilterPdf[] = u"PDF(*.pdf)";
const char16_t kDxfFilter[] = u"DXF ファイル(*.dxf)";
// Resolution of a PNG of the view.
constexpr double kPictureDpi = 150;

const char16_t kDrawingFile[] = u"図面ファイル「";  // JWW
const char16_t kFigureFile[] = u"図形ファイル「";   // JWS

// The kinds of file the window opens and saves: drawings and figures.
bool WindowKind(JwFileKind kind) { return kind == JwFileKind::Jww || kind == JwFileKind::Jws; }

// Start of the status messages of a file of kind.
const char16_t* FileWord(JwFileKind kind) { return kind == JwFileKind::Jws ? kFigureFile : kDrawingFile; }

// Index of ver in the version list; -1 when it is none of its items.
int IndexOfVersion(int32_t ver) {
    for (size_t i = 0; i < kJwFormatVersions.size(); ++i)
        if (kJwFormatVersions[i].ver == ver) return static_cast<int>(i);
    return -1;
}

// Version for the selected index of the version list (whose items are the
// format versions in order); 0 = no selection.
int32_t VersionOfIndex(int index) {
    if (index < 0) return 0;
    if (index >= static_cast<int>(kJwFormatVersions.size()) - 1) return kJwFormatVersions.back().ver;
    return kJwFormatVersions[index].ver;
}

// The path of a dropped file: the first drawing or figure, else the first
// local file (which the window then names as one it cannot open); empty when
// the drop holds no local file.
QString DroppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) return QString();
    QString first;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (WindowKind(FileKindOf(FromQ(path))) && QFileInfo(path).isFile()) return path;
        if (first.isEmpty()) first = path;
    }
    return first;
}

}  // namespace

QFont JwReportFont() {
    const QStringList families = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                                QStringLiteral("IPAゴシック")}) {
        if (families.contains(name)) {
            QFont font(name);
            font.setStyleHint(QFont::TypeWriter);
            font.setFixedPitch(true);
            font.setPointSize(10);
            return font;
        }
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QString JwWindowCaption() { return QStringLiteral("ＳＣＯＰＥ　テスト16"); }

QIcon JwWindowIcon() {
    InitIconResource();
    return QIcon(QStringLiteral(":/zumenscope.svg"));
}

TForm1::TForm1(JwDialogs* dialogs, const JwString& appFolder, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs ? dialogs : &qtDialogs_), appFolder_(appFolder) {
    setObjectName(QStringLiteral("Form1"));
    BuildControls();
    setWindowTitle(JwWindowCaption());
    setWindowIcon(JwWindowIcon());
    resize(kClientWidth, kClientHeight);
    setAcceptDrops(true);
}

TForm1::~TForm1() {
    if (running_) FormClose();
}

void TForm1::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // Command row.
    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kPanelHeight);
    auto* panelRows = new QVBoxLayout(Panel1);
    panelRows->setContentsMargins(4, 3, 4, 3);
    panelRows->setSpacing(3);

    auto* row1 = new QHBoxLayout;
    row1->setSpacing(4);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedSize(kEditWidth, kRowHeight);
    Edit1->setAcceptDrops(false);  // a dropped file opens it (the window takes the drop)
    Button1 = new QPushButton(QStringLiteral("参照"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedHeight(kRowHeight);
    row1->addWidget(Edit1);
    row1->addWidget(Button1);
    row1->addStretch(1);

    auto* row2 = new QHBoxLayout;
    row2->setSpacing(4);
    Button2 = new QPushButton(QStringLiteral("保存"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFixedHeight(kRowHeight);
    Label1 = new QLabel(QStringLiteral("バージョン："), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setFixedHeight(kRowHeight);
    for (const JwFormatVersion& v : kJwFormatVersions) ComboBox1->addItem(QString::fromLatin1(v.text));
    ComboBox1->setCurrentIndex(0);
    Label2 = new QLabel(QStringLiteral("文字コード："), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    ComboBox2 = new QComboBox(Panel1);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setFixedHeight(kRowHeight);
    ComboBox2->addItem(QStringLiteral("ANSI (Shift-JIS)"));
    ComboBox2->addItem(QStringLiteral("Unicode (UTF-16)"));
    ComboBox2->setCurrentIndex(0);
    Label1->setBuddy(ComboBox1);
    Label2->setBuddy(ComboBox2);
    Button3 = new QPushButton(QStringLiteral("Button3"), Panel1);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setVisible(false);
    row2->addWidget(Button2);
    row2->addSpacing(12);
    row2->addWidget(Label1);
    row2->addWidget(ComboBox1);
    row2->addSpacing(12);
    row2->addWidget(Label2);
    row2->addWidget(ComboBox2);
    row2->addWidget(Button3);
    row2->addStretch(1);

    panelRows->addLayout(row1);
    panelRows->addLayout(row2);
    outer->addWidget(Panel1);

    // Pages.
    TabControl1 = new QTabWidget(central);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->setDocumentMode(true);
    TabControl1->setUsesScrollButtons(true);

    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(JwReportFont());
    Memo1->setAcceptDrops(false);
    Memo1->viewport()->setAcceptDrops(false);
    TabControl1->addTab(Memo1, QStringLiteral("ヘッダ"));

    for (int g = 0; g < kGridCount; ++g) {
        auto* model = new JwGridModel(tables_, g, this);
        auto* view = new QTableView;
        view->setObjectName(QString::fromLatin1(JwTableSource::GridName(g)));
        view->setModel(model);
        SetUpGridView(view);
        models_[g] = model;
        grids_[g] = view;
        TabControl1->addTab(view, ToQ(JwTableSource::Caption(g)));
    }
    // The drawing itself, after the pages of tables and texts.
    drawingPage_ = new QWidget;
    drawingPage_->setObjectName(QStringLiteral("DrawingPage"));
    auto* drawingRows = new QVBoxLayout(drawingPage_);
    drawingRows->setContentsMargins(0, 0, 0, 0);
    drawingRows->setSpacing(0);
    auto* drawingBar = new QHBoxLayout;
    drawingBar->setContentsMargins(4, 2, 4, 2);
    drawingBar->setSpacing(4);
    fitButton_ = new QPushButton(QStringLiteral("全体表示"), drawingPage_);
    fitButton_->setObjectName(QStringLiteral("FitButton"));
    fitButton_->setToolTip(QStringLiteral("図面をページに合わせる（Home）"));
    saveViewButton_ = new QPushButton(QStringLiteral("図を保存…"), drawingPage_);
    saveViewButton_->setObjectName(QStringLiteral("SaveViewButton"));
    saveViewButton_->setToolTip(QStringLiteral("表示中の範囲を PNG・SVG・PDF で保存"));
    dxfButton_ = new QPushButton(QStringLiteral("DXF出力…"), drawingPage_);
    dxfButton_->setObjectName(QStringLiteral("DxfButton"));
    dxfButton_->setToolTip(QStringLiteral("図面を DXF（2007）で書き出す"));
    drawingBar->addWidget(fitButton_);
    drawingBar->addWidget(saveViewButton_);
    drawingBar->addWidget(dxfButton_);
    drawingBar->addStretch(1);
    drawingView_ = new JwDrawingView(drawingPage_);
    drawingRows->addLayout(drawingBar);
    drawingRows->addWidget(drawingView_, 1);
    TabControl1->addTab(drawingPage_, QStringLiteral("図面"));

    outer->addWidget(TabControl1, 1);
    setCentralWidget(central);

    // Status line.
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(kStatusHeight);
    LabelMess = new QLabel(StatusBar1);
    LabelMess->setObjectName(QStringLiteral("LabelMess"));
    LabelMess->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StatusBar1->addWidget(LabelMess, 1);
    cursorLabel_ = new QLabel(StatusBar1);
    cursorLabel_->setObjectName(QStringLiteral("CursorLabel"));
    StatusBar1->addPermanentWidget(cursorLabel_);
    setStatusBar(StatusBar1);

    connect(TabControl1, &QTabWidget::currentChanged, this, [this](int) {
        if (TabControl1->currentWidget() == drawingPage_ && drawingStale_) ShowDrawing();
    });
    connect(fitButton_, &QPushButton::clicked, drawingView_, &JwDrawingView::FitToWindow);
    connect(saveViewButton_, &QPushButton::clicked, this, &TForm1::SaveViewClick);
    connect(dxfButton_, &QPushButton::clicked, this, &TForm1::DxfClick);
    connect(drawingView_, &JwDrawingView::CursorMoved, this, [this](double x, double y) {
        cursorLabel_->setText(QStringLiteral("X %1 mm  Y %2 mm").arg(x, 0, 'f', 2).arg(y, 0, 'f', 2));
    });
    connect(drawingView_, &JwDrawingView::CursorLeft, cursorLabel_, &QLabel::clear);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    // Enter in the path opens the file named there; Ctrl+O and Ctrl+S are
    // "参照" and "保存".
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { OpenFromOutside(Edit1->text()); });
    const std::pair<QKeySequence::StandardKey, void (TForm1::*)()> keys[] = {
        {QKeySequence::Open, &TForm1::Button1Click}, {QKeySequence::Save, &TForm1::Button2Click}};
    for (const auto& [key, command] : keys) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, command);
        addAction(action);
    }
}

// ---- lifecycle ----

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!running_) FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (running_) FormClose();
    QMainWindow::closeEvent(event);
}

void TForm1::FormShow() {
    session_.Start(appFolder_);
    running_ = true;
    Edit1->clear();
    DisplayClear();
}

void TForm1::FormClose() {
    // The grids stop looking at the models before the session frees them.
    ChangeTables([this] { tables_.Clear(); });
    session_.Close();
    running_ = false;
}

// ---- views ----

template <typename F>
void TForm1::ChangeTables(F change) {
    for (JwGridModel* m : models_) m->BeginReset();
    change();
    for (JwGridModel* m : models_) m->EndReset();
}

void TForm1::DisplayClear() {
    LabelMess->clear();
    cursorLabel_->clear();
    drawingView_->Clear();
    drawingStale_ = true;
    Memo1->clear();
    ChangeTables([this] { tables_.Clear(); });
    for (QTableView* view : grids_) view->scrollToTop();
}

void TForm1::ShowReport(const std::vector<JwString>& lines) {
    size_t total = 0;
    for (const JwString& line : lines) total += line.size() + 1;
    QString text;
    text.reserve(static_cast<qsizetype>(total));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += ToQ(lines[i]);
    }
    // A file memo may hold CR LF (or a lone CR): each starts a new visual line.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Memo1->setPlainText(text);
}

// File names and reasons inside a message are shown with their control
// characters escaped, as on the command line.
void TForm1::SetMessage(const JwString& text) { LabelMess->setText(ToQ(FromUtf8(EscapeControls(ToUtf8(text))))); }

QString TForm1::StatusText() const { return LabelMess->text(); }

// ---- open command ----

void TForm1::Button1Click() {
    JwFileRequest request;
    request.filters = {ToQ(kOpenFilterJww), ToQ(kOpenFilterJws)};
    request.filterIndex = openFilterIndex_;
    const JwString current = FromQ(Edit1->text());
    if (!current.empty() && FileExistsEx(current)) {
        request.initialFolder = ToQ(FileDir(current));
        request.fileName = ToQ(FileNameOnly(current));
    }
    const std::optional<JwFileAnswer> answer = dialogs_->OpenFile(this, request);
    if (!answer) return;
    openFilterIndex_ = answer->filterIndex;
    OpenChosenFile(answer->path, answer->filterIndex);
}

bool TForm1::OpenChosenFile(const QString& chosen, int filterIndex) {
    JwString path = FromQ(chosen);
    if (FileExtLower(path).empty()) path += KindExtension(filterIndex == 1 ? JwFileKind::Jws : JwFileKind::Jww);
    const JwFileKind kind = FileKindOf(path);
    DisplayClear();
    Edit1->setText(ToQ(path));
    // Any file the system holds, also one whose name has control characters
    // (shown escaped in the messages).
    if (!QFileInfo(ToQ(path)).isFile() || !WindowKind(kind)) return false;
    const bool ok = kind == JwFileKind::Jww ? JwwFileInput(path) : JwsFileInput(path);
    if (ok) {
        PresetLists(kind);
        JwString text = FileWord(kind) + path + u"」を開きました」";
        // Bound images that could not be extracted are named.
        for (const std::string& e : session_.LastRead.imageErrors) text += u"（" + FromUtf8(e) + u"）";
        SetMessage(text);
    } else {
        SetMessage(FileWord(kind) + path + u"」の読み込みに失敗しました（" +
                   FromUtf8(ReadFailureText(session_.LastRead)) + u"）");
    }
    return ok;
}

bool TForm1::OpenFromOutside(const QString& path) {
    const QString absolute = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    const JwFileKind kind = FileKindOf(FromQ(absolute));
    const bool ok = OpenChosenFile(absolute, kind == JwFileKind::Jws ? 1 : 0);
    // What the open dialog would not have let through is said, as a failed
    // open is.
    const char* reason = nullptr;
    if (!QFileInfo(absolute).isFile())
        reason = QFileInfo(absolute).exists() ? "not a file" : "no such file";
    else if (!WindowKind(kind))
        reason = kUnsupportedFileType;
    if (reason != nullptr)
        SetMessage((WindowKind(kind) ? JwString(FileWord(kind)) : JwString(u"ファイル「")) + FromQ(absolute) +
                   u"」の読み込みに失敗しました（" + FromUtf8(reason) + u"）");
    return ok;
}

void TForm1::PresetLists(JwFileKind kind) {
    const TJwEntities* model = kind == JwFileKind::Jww ? static_cast<const TJwEntities*>(session_.JWW1.get())
                                                       : static_cast<const TJwEntities*>(session_.JWS.get());
    if (model == nullptr) return;
    const int version = IndexOfVersion(model->Hd().jwVer);
    if (version >= 0) ComboBox1->setCurrentIndex(version);
    ComboBox2->setCurrentIndex(model->MojiEncode ? 1 : 0);
}

bool TForm1::JwwFileInput(const JwString& FName) { return FileInput(JwFileKind::Jww, FName); }

bool TForm1::JwsFileInput(const JwString& FName) { return FileInput(JwFileKind::Jws, FName); }

bool TForm1::FileInput(JwFileKind kind, const JwString& FName) {
    // The session replaces the models; the grids must not look at the old ones.
    ChangeTables([this] { tables_.Clear(); });
    const bool ok = session_.FileInput(kind, FName);
    openedKind_ = kind;
    ShowReport(FileReport(session_.LastRead, session_, FName));
    ChangeTables([this, kind] {
        if (kind == JwFileKind::Jww)
            tables_.SetJww(session_.JWW1.get());
        else
            tables_.SetJws(session_.JWS.get());
    });
    drawingView_->Clear();
    drawingStale_ = true;
    if (TabControl1->currentWidget() == drawingPage_) ShowDrawing();
    return ok;
}

// ---- save command ----

void TForm1::Button2Click() {
    LabelMess->clear();
    if (!WindowKind(openedKind_)) {
        SetMessage(u"保存する図面がありません（先に「参照」で図面を開いてください）");
        return;
    }
    const JwString path = FromQ(Edit1->text());
    if (path.empty() || !QFileInfo(ToQ(path)).isFile()) return;
    const JwFileKind kind = FileKindOf(path);
    if (!WindowKind(kind)) return;
    const JwString ext = KindExtension(kind);

    JwFileRequest request;
    request.initialFolder = ToQ(FileDir(path));
    request.fileName = ToQ(FileNameOnly(FileExtChange(path, u"")));
    request.defaultSuffix = ToQ(ext.substr(1));
    if (kind == JwFileKind::Jww) {
        request.filters = {ToQ(kSaveFilterJww)};
        if (!session_.JWW1) return;
    } else {
        request.filters = {ToQ(kSaveFilterJws)};
        if (!session_.JWS) return;
    }
    const std::optional<JwFileAnswer> answer = dialogs_->SaveFile(this, request);
    if (!answer) return;

    JwString out = FromQ(answer->path);
    // A name typed without extension gets the current file's (the dialog's
    // default extension; some platform dialogs leave that to the caller).
    if (!out.empty() && FileExtLower(out).empty() && !FileNameOnly(out).empty()) out += ext;
    // A drawing is only ever saved under its own kind of extension.
    if (FileKindOf(out) != kind) return;
    if (!ConfirmLosses(kind)) {
        SetMessage(u"保存を取りやめました");
        return;
    }
    Edit1->setText(ToQ(out));
    if (kind == JwFileKind::Jww) {
        JwwFileOutput(out);
    } else {
        JwsFileOutput(out);
    }
}

QString TForm1::LossQuestion(JwFileKind kind) const {
    const int32_t ver = VersionOfIndex(ComboBox1->currentIndex());
    const int encoding = ComboBox2->currentIndex();
    if (ver == 0 || encoding < 0) return QString();
    const bool utf16 = encoding == 1;
    const std::vector<JwSaveLoss> losses = kind == JwFileKind::Jww ? SaveLosses(*session_.JWW1, ver, utf16)
                                                                   : SaveLosses(*session_.JWS, ver, utf16);
    const int32_t unused = UnusedBlocks(kind);
    if (losses.empty() && unused == 0) return QString();
    QString text;
    if (!losses.empty()) {
        text = QStringLiteral("バージョン %1・%2 で保存すると、次のものは保存されません。\n")
                   .arg(ComboBox1->currentText(), ComboBox2->currentText());
        for (const JwSaveLoss& loss : losses) text += QStringLiteral("\n・") + ToQ(SaveLossTextJa(loss));
        text += QStringLiteral("\n\n");
    }
    if (unused > 0)
        text += QStringLiteral("どの挿入にも使われていないブロック定義が %1 個あります。そのまま保存されます。\n\n")
                    .arg(unused);
    text += QStringLiteral("保存しますか？");
    return text;
}

JwQuestionOption TForm1::PurgeOption(JwFileKind kind) const {
    // Kept unless the user asks: a definition no insert uses is still part
    // of the drawing's library.
    const int32_t unused = UnusedBlocks(kind);
    if (unused == 0) return {};
    return {QStringLiteral("使われていないブロック定義 %1 個を削除する").arg(unused), false};
}

int32_t TForm1::UnusedBlocks(JwFileKind kind) const {
    if (kind == JwFileKind::Jww) return session_.JWW1 ? UnusedBlockDefinitions(*session_.JWW1) : 0;
    return session_.JWS ? UnusedBlockDefinitions(*session_.JWS) : 0;
}

bool TForm1::ConfirmLosses(JwFileKind kind) {
    purgeBlocks_ = false;
    const QString question = LossQuestion(kind);
    if (question.isEmpty()) return true;
    JwQuestionOption purge = PurgeOption(kind);
    if (purge.text.isEmpty()) return dialogs_->Ask(this, question);
    const bool yes = dialogs_->Ask(this, question, &purge);
    purgeBlocks_ = yes && purge.checked;
    return yes;
}

template <class Model>
void TForm1::FileOutput(Model& model, JwFileKind kind, const JwString& FName) {
    const int32_t ver = VersionOfIndex(ComboBox1->currentIndex());
    if (ver == 0) return;
    const int encoding = ComboBox2->currentIndex();
    if (encoding < 0) return;
    model.SetFileOutOption(encoding == 1 ? kFileOutOptUtf16 : encoding);
    model.PurgeUnusedBlocks = purgeBlocks_;
    purgeBlocks_ = false;
    // Inserts of definitions the drawing lacks are left out, and unused
    // definitions when the user asked; the status line says how many.
    int32_t dropped = 0, purged = 0;
    for (const JwSaveLoss& loss : SaveLosses(model, ver, encoding == 1)) {
        if (loss.kind == JwLossKind::InsertsOfMissingDefinitions) dropped = loss.count;
        if (loss.kind == JwLossKind::UnusedBlockDefinitions) purged = loss.count;
    }
    const bool saved = model.FileOut(FName, ver);
    model.PurgeUnusedBlocks = false;
    if (saved) {
        JwString text = FileWord(kind) + FName + u"」を保存しました";
        if (dropped > 0) text += u"（定義のないブロック挿入 " + FromUtf8(std::to_string(dropped)) + u" 個を除きました）";
        if (purged > 0)
            text += u"（使われていないブロック定義 " + FromUtf8(std::to_string(purged)) + u" 個を削除しました）";
        SetMessage(text);
    } else {
        // With the writer's reason, as a failed open shows the reader's.
        SetMessage(FileWord(kind) + FName + u"」の保存に失敗しました（" + FromUtf8(model.LastError) + u"）");
    }
}

void TForm1::JwwFileOutput(const JwString& FName) { FileOutput(*session_.JWW1, JwFileKind::Jww, FName); }

void TForm1::JwsFileOutput(const JwString& FName) { FileOutput(*session_.JWS, JwFileKind::Jws, FName); }

void TForm1::Button3Click() {
    const JwString text = FromQ(Edit1->text());
    const Bytes bytes = Utf8Bytes(text);
    QString counts = QString::number(text.size()) + QLatin1Char(' ') + QString::number(CharCount(text)) +
                     QStringLiteral(" :");
    for (uint8_t b : bytes) counts += QStringLiteral("%1 ").arg(b, 4, 16, QLatin1Char('0')).toUpper();
    dialogs_->ShowMessage(this, counts);
    dialogs_->ShowMessage(this, ToQ(CharMid(text, 3, 2)));
}

// ---- the drawing page ----

TJwwData* TForm1::OpenedDrawing(TJwwData& figure) {
    if (openedKind_ == JwFileKind::Jww) return session_.JWW1.get();
    if (openedKind_ != JwFileKind::Jws || !session_.JWS) return nullptr;
    JwsAsDrawing(*session_.JWS, figure);
    figure.BindImageFolder = session_.JWS->BindImageFolder;
    return &figure;
}

void TForm1::ShowDrawing() {
    drawingStale_ = false;
    TJwwData figure;
    const TJwwData* dwg = OpenedDrawing(figure);
    if (dwg == nullptr) {
        drawingView_->Clear();
        return;
    }
    auto list = std::make_unique<TJwDisplayList>();
    const TJwDrawOptions options;
    const TJwDrawReport report = dwg->GLDrawALL(*list, options);
    // What the page cannot show is said, as the command line says it.
    auto count = [](uint64_t n) { return IntStr(static_cast<int32_t>(std::min<uint64_t>(n, INT32_MAX))); };
    if (report.entitiesLeftOut > 0)
        SetMessage(u"図面の要素 " + count(report.entities) + u" 個のうち " + count(report.entitiesLeftOut) +
                   u" 個は描いていません（ブロックが何重にも入れ子になり、描く量が図面の大きさに見合いません）");
    else if (report.unusable > 0)
        SetMessage(u"座標が数でない、または用紙から遠く離れた図形 " + count(report.unusable) + u" 個は描いていません");
    const TJwBox paper = JwPaperBox(*dwg);
    TJwBox fit = paper;
    list->Finish();
    // A figure is small on its sheet: it is fitted by what it holds.
    if (openedKind_ == JwFileKind::Jws) fit = list->Extents();
    drawingView_->SetDrawing(std::move(list), paper, fit, JwBackgroundArgb(options));
}

QString TForm1::CursorText() const { return cursorLabel_->text(); }

namespace {

// The name of the file last opened with another extension, in its folder.
JwFileRequest SaveRequestBeside(const QString& opened, const QString& ext, QStringList filters) {
    JwFileRequest request;
    const JwString path = FromQ(opened);
    request.initialFolder = ToQ(FileDir(path));
    request.fileName = ToQ(FileNameOnly(FileExtChange(path, FromQ(ext))));
    request.filters = std::move(filters);
    request.defaultSuffix = ext.mid(1);
    return request;
}

}  // namespace

void TForm1::SaveViewClick() {
    LabelMess->clear();
    if (!drawingView_->HasDrawing()) {
        SetMessage(u"保存する図がありません（先に「参照」で図面を開いてください）");
        return;
    }
    const std::optional<JwFileAnswer> answer = dialogs_->SaveFile(
        this, SaveRequestBeside(Edit1->text(), QStringLiteral(".png"),
                                {ToQ(kPictureFilterPng), ToQ(kPictureFilterSvg), ToQ(kPictureFilterPdf)}));
    if (!answer) return;
    QString path = answer->path;
    JwPictureFormat format;
    if (!JwPictureFormatOf(path, format)) {
        static const char* const exts[] = {".png", ".svg", ".pdf"};
        path += QString::fromLatin1(exts[std::clamp(answer->filterIndex, 0, 2)]);
    }
    SaveView(path);
}

bool TForm1::SaveView(const QString& path) {
    TJwPictureRequest request;
    if (!drawingView_->HasDrawing() || !JwPictureFormatOf(path, request.format)) {
        SetMessage(u"図「" + FromQ(path) + u"」の保存に失敗しました（" +
                   (drawingView_->HasDrawing() ? JwString(u"拡張子は .png・.svg・.pdf のどれか") : JwString(u"図面がありません")) +
                   u"）");
        return false;
    }
    const TJwBox view = drawingView_->VisibleBox();
    std::string error;
    bool ok = false;
    if (request.format == JwPictureFormat::Png) {
        // What the page shows, as it shows it.
        request.width = static_cast<int>(std::max(2.0 * drawingView_->width(), view.Width() * kPictureDpi / 25.4));
        request.width = std::min(request.width, kMaxRasterSide);
        const TJwDisplayList* list = drawingView_->List();
        ok = JwRenderFile([list, view](TJwCanvas& c) { list->Replay(c, view, 0); }, view, request, path, error);
    } else {
        // What the page shows, as the sheet is printed: a document to print
        // or pass on.
        TJwwData figure;
        const TJwwData* dwg = OpenedDrawing(figure);
        request.draw.look = TJwLook::Print;
        request.draw.area = view;
        const TJwDrawPlan plan(*dwg, request.draw);
        ok = JwRenderFile([&plan](TJwCanvas& c) { plan.Draw(c); }, view, request, path, error);
    }
    if (ok)
        SetMessage(u"図「" + FromQ(path) + u"」を保存しました");
    else
        SetMessage(u"図「" + FromQ(path) + u"」の保存に失敗しました（" + FromUtf8(error) + u"）");
    return ok;
}

void TForm1::DxfClick() {
    LabelMess->clear();
    if (!WindowKind(openedKind_)) {
        SetMessage(u"書き出す図面がありません（先に「参照」で図面を開いてください）");
        return;
    }
    const std::optional<JwFileAnswer> answer =
        dialogs_->SaveFile(this, SaveRequestBeside(Edit1->text(), QStringLiteral(".dxf"), {ToQ(kDxfFilter)}));
    if (!answer) return;
    QString path = answer->path;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dxf");
    ExportDxf(path);
}

bool TForm1::ExportDxf(const QString& path) {
    TJwwData figure;
    TJwwData* dwg = OpenedDrawing(figure);
    if (dwg == nullptr) return false;
    DxfSetDefaultExport(*dwg);
    const JwString out = FromQ(path);
    const bool ok = dwg->FileOutDXF(out, kDxf2007);
    if (ok)
        SetMessage(u"DXFファイル「" + out + u"」を書き出しました");
    else
        SetMessage(u"DXFファイル「" + out + u"」の書き出しに失敗しました（" + FromUtf8(dwg->LastError) + u"）");
    return ok;
}

// ---- drag and drop ----

// A drag is accepted on entry and while it moves, when it holds a drawing.
void TForm1::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    OpenFromOutside(path);
}

}  // namespace jw
