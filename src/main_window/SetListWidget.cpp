#include "main_window/SetListWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace main_window
{

SetListWidget::SetListWidget(QWidget* parent)
    : QTreeWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void SetListWidget::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
    emit buttonPressed(event->button());
    if (QTreeWidgetItem* row = itemAt(event->position().toPoint()))
        emit rowChosen(row);
}

void SetListWidget::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    emit buttonReleased(event->position().toPoint());
}

void SetListWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void SetListWidget::keyPressEvent(QKeyEvent* event)
{
    const QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (QTreeWidgetItem* row = currentItem(); row && row != before && row->isSelected())
        emit rowChosen(row);
}

QItemSelectionModel::SelectionFlags SetListWidget::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    // A drag would select a row that was never loaded.
    if (event && event->type() == QEvent::MouseMove)
        return QItemSelectionModel::NoUpdate;
    return QTreeWidget::selectionCommand(index, event);
}

} // namespace main_window
