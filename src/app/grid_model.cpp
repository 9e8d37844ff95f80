#include "grid_model.h"

#include "qt_text.h"

namespace jw {

JwGridModel::JwGridModel(const JwTableSource& source, int grid, QObject* parent)
    : QAbstractTableModel(parent), source_(source), grid_(grid) {}

int JwGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : source_.RowCount(grid_);
}

int JwGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : JwTableSource::ColumnCount(grid_);
}

QVariant JwGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return QVariant();
    return ToQ(source_.Cell(grid_, index.row(), index.column()));
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
