#include "grid_model.h"

#include <QColor>
#include <QRegularExpression>

#include "qt_text.h"

namespace jw {

namespace {

// The cells that hold a colour (a Windows RGB value: red in the lowest
// byte), and how it is written there.
struct ColorColumn {
    int grid;
    int column;
    int base;  // 10: decimal, 16: hexadecimal
};
constexpr ColorColumn kColorColumns[] = {
    {kGridColor, 2, 10},   // "画面表示色"
    {kGridColor, 4, 10},   // "プリンタ出力色"
    {kGridSolid, 16, 16},  // "塗潰し色(任意色時)"
};

// A decimal number ("-12", "0.5", "1E-10") or an upper-case hexadecimal code
// of six digits or more ("0000FF", "C3C3C3C3").
bool IsNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?([eE][-+]?[0-9]+)?$|^[0-9A-F]{6,}$"));
    return !text.isEmpty() && number.match(text).hasMatch();
}

}  // namespace

JwGridModel::JwGridModel(const JwTableSource& source, int grid, QObject* parent)
    : QAbstractTableModel(parent), source_(source), grid_(grid) {}

int JwGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    // An entity list without entities shows no row at all.
    if (grid_ >= kGridLine && source_.EntityCount(grid_) == 0) return 0;
    return source_.RowCount(grid_);
}

int JwGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : JwTableSource::ColumnCount(grid_);
}

QVariant JwGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    switch (role) {
        case Qt::DisplayRole:
            return ToQ(source_.Cell(grid_, index.row(), index.column()));
        case Qt::TextAlignmentRole: {
            const QString text = ToQ(source_.Cell(grid_, index.row(), index.column()));
            return QVariant::fromValue(Qt::AlignVCenter | (IsNumber(text) ? Qt::AlignRight : Qt::AlignLeft));
        }
        case Qt::DecorationRole:
            return CellColor(index.row(), index.column());
        case Qt::ToolTipRole:
            if (grid_ == kGridBlock) {
                const JwString name = source_.BlockDefinitionName(index.row());
                if (!name.empty()) return QStringLiteral("ブロック定義：") + ToQ(name);
            }
            return QVariant();
        default:
            return QVariant();
    }
}

QVariant JwGridModel::CellColor(int row, int column) const {
    for (const ColorColumn& c : kColorColumns) {
        if (c.grid != grid_ || c.column != column) continue;
        bool ok = false;
        const uint value = ToQ(source_.Cell(grid_, row, column)).toUInt(&ok, c.base);
        if (!ok || value > 0xFFFFFF) return QVariant();
        return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                      static_cast<int>((value >> 16) & 0xFF));
    }
    return QVariant();
}

QVariant JwGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return QVariant();
    return ToQ(JwTableSource::ColumnHeader(grid_, section));
}

Qt::ItemFlags JwGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

}  // namespace jw
