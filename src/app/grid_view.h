// How a table page looks and what its user can do besides reading: columns
// start 100 wide and can be fitted (a double click on a header edge fits that
// column to its header and the rows in view; the header's context menu fits
// them all), a cell too narrow for its value shows the whole value as
// tooltip, and a colour cell shows a small swatch before its number.
#pragma once

#include <QStyledItemDelegate>

class QTableView;

namespace jw {

class JwGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The tooltip of a cell: its whole value when the cell (option.rect) is
    // too narrow for it, then the model's own tooltip; empty when neither.
    QString TipFor(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// The caption of the header's context entry that fits every column.
QString FitColumnsCaption();

// Sets up view (a grid whose model is already set) as a table page.
void SetUpGridView(QTableView* view);

}  // namespace jw
