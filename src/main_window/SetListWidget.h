#pragma once

#include <QTreeWidget>

namespace main_window
{

// The set list: a tree widget that tells the main window when a row is chosen and when mouse buttons
// go down and up over it. A row is chosen when a mouse button goes down on it or the keyboard moves
// to it, so the selected row is always the set last asked for. Dragging does not move the selection.
class SetListWidget : public QTreeWidget
{
    Q_OBJECT

public:
    explicit SetListWidget(QWidget* parent = nullptr);

signals:
    void rowChosen(QTreeWidgetItem* row);
    void buttonPressed(Qt::MouseButton button);
    // After the list handled the release; `position` is in the list's viewport.
    void buttonReleased(const QPoint& position);
    // A double click anywhere over the list, on a row or not.
    void doubleClickedAnywhere();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
};

} // namespace main_window
