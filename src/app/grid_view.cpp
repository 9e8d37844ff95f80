#include "grid_view.h"

#include <QAction>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTableView>
#include <QToolTip>

namespace jw {

namespace {

constexpr int kColumnWidth = 100;

}  // namespace

QString FitColumnsCaption() { return QStringLiteral("すべての列の幅を内容に合わせる"); }

void JwGridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // A swatch the height of the text, not the style's icon size.
    if (option->features & QStyleOptionViewItem::HasDecoration) {
        const int side = option->fontMetrics.height() - 4;
        option->decorationSize = QSize(side, side);
    }
}

QString JwGridDelegate::TipFor(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStringList parts;
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty() && sizeHint(opt, index).width() > option.rect.width()) parts << text;
    const QString own = index.data(Qt::ToolTipRole).toString();
    if (!own.isEmpty()) parts << own;
    return parts.join(QLatin1Char('\n'));
}

bool JwGridDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                               const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = TipFor(option, index);
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    }
    return true;
}

void SetUpGridView(QTableView* view) {
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setItemDelegate(new JwGridDelegate(view));
    // Every row the same height, so nothing measures the cells of rows that
    // are not in view.
    QHeaderView* rows = view->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 6);
    rows->hide();
    // Columns start 100 wide; the user fits them (a fit measures the header
    // and the rows in view only).
    QHeaderView* columns = view->horizontalHeader();
    columns->setDefaultSectionSize(kColumnWidth);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    columns->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* fit = new QAction(FitColumnsCaption(), columns);
    fit->setObjectName(QStringLiteral("FitColumns"));
    QObject::connect(fit, &QAction::triggered, view, &QTableView::resizeColumnsToContents);
    columns->addAction(fit);
}

}  // namespace jw
