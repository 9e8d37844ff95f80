// One table page of the window as a Qt model: every cell is asked from the
// shared JwTableSource when a view needs it, so a grid over a million
// entities costs nothing until its rows are scrolled into view. Numbers are
// right-aligned, colour cells carry their colour as decoration, a block
// insert's row names its definition as tooltip, and an entity list without
// entities has no row.
#pragma once

#include <QAbstractTableModel>

#include "viewer/table_views.h"

namespace jw {

class JwGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // source must outlive the model; grid is a JwGridId.
    JwGridModel(const JwTableSource& source, int grid, QObject* parent = nullptr);

    // Brackets a change of the source: the views drop everything they know
    // about the old content (row count, cached cells) at EndReset.
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // The colour a colour cell holds; nothing for other cells.
    QVariant CellColor(int row, int column) const;

    const JwTableSource& source_;
    const int grid_;
};

}  // namespace jw
