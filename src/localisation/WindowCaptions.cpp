#include "localisation/WindowCaptions.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVariant>

namespace localisation
{
namespace
{
const char* const IndexProperty = "index";
// Controls of our own that carry a caption declare it as this Qt property.
const char* const CaptionProperty = "Caption";

bool hasCaptionProperty(const QObject* object)
{
    return object->metaObject()->indexOfProperty(CaptionProperty) >= 0;
}

QString indexSuffix(const QObject* control, bool outsideArrayIsZero)
{
    const std::optional<int> index = controlIndex(control);
    if (index)
        return QString::number(*index);
    return outsideArrayIsZero ? QStringLiteral("0") : QString();
}

void addSlots(QObject* object, QList<CaptionSlot>& found)
{
    const QString name = object->objectName();
    if (name.isEmpty())
        return;

    auto add = [&](ControlKind kind, const QString& suffix, int part = 0) {
        found.append(CaptionSlot {object, kind, name, suffix, part});
    };

    if (qobject_cast<QLabel*>(object) || qobject_cast<QPushButton*>(object) || qobject_cast<QCheckBox*>(object)
        || qobject_cast<QGroupBox*>(object) || hasCaptionProperty(object)) {
        add(ControlKind::Caption, QString());
    } else if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
        for (int i = 0; i < tabs->count(); ++i)
            add(ControlKind::TabStrip, QStringLiteral("_TABS%1").arg(i + 1), i);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(object)) {
        for (int i = 0; i < tree->columnCount(); ++i)
            add(ControlKind::ListView, QStringLiteral("_COL%1").arg(i + 1), i);
    } else if (auto* table = qobject_cast<QTableWidget*>(object)) {
        for (int i = 0; i < table->columnCount(); ++i)
            add(ControlKind::ListView, QStringLiteral("_COL%1").arg(i + 1), i);
    } else if (qobject_cast<QRadioButton*>(object)) {
        if (controlIndex(object))
            add(ControlKind::OptionButton, indexSuffix(object, false));
    } else if (qobject_cast<QMenu*>(object) || qobject_cast<QAction*>(object)) {
        add(ControlKind::Menu, indexSuffix(object, true));
    }
}

void walk(QObject* parent, QList<CaptionSlot>& found)
{
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget->isWindow() && !qobject_cast<QMenu*>(widget))
            continue;
        addSlots(child, found);
        walk(child, found);
    }
}
} // namespace

void setControlIndex(QObject* control, int index)
{
    control->setProperty(IndexProperty, index);
}

std::optional<int> controlIndex(const QObject* control)
{
    const QVariant value = control->property(IndexProperty);
    bool ok = false;
    const int index = value.toInt(&ok);
    if (!value.isValid() || !ok)
        return std::nullopt;
    return index;
}

QString CaptionSlot::key(const QString& windowName) const
{
    return windowName + QLatin1Char('_') + controlName + suffix;
}

QString CaptionSlot::text() const
{
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(control))
        return frame->title();
    if (auto* tabs = qobject_cast<QTabWidget*>(control))
        return tabs->tabText(part);
    if (auto* tree = qobject_cast<QTreeWidget*>(control))
        return tree->headerItem()->text(part);
    if (auto* table = qobject_cast<QTableWidget*>(control)) {
        const QTableWidgetItem* item = table->horizontalHeaderItem(part);
        return item ? item->text() : QString();
    }
    if (auto* menu = qobject_cast<QMenu*>(control))
        return menu->title();
    if (auto* action = qobject_cast<QAction*>(control))
        return action->text();
    if (hasCaptionProperty(control))
        return control->property(CaptionProperty).toString();
    return QString();
}

void CaptionSlot::setText(const QString& text) const
{
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        frame->setTitle(text);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
        tabs->setTabText(part, text);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(control)) {
        tree->headerItem()->setText(part, text);
    } else if (auto* table = qobject_cast<QTableWidget*>(control)) {
        // A header without an item shows its column number; an empty text brings that back.
        if (text.isEmpty())
            delete table->takeHorizontalHeaderItem(part);
        else if (QTableWidgetItem* item = table->horizontalHeaderItem(part))
            item->setText(text);
        else
            table->setHorizontalHeaderItem(part, new QTableWidgetItem(text));
    } else if (auto* menu = qobject_cast<QMenu*>(control)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(text);
    } else if (hasCaptionProperty(control)) {
        control->setProperty(CaptionProperty, text);
    }
}

QList<CaptionSlot> captionSlots(QWidget* window)
{
    QList<CaptionSlot> found;
    if (window)
        walk(window, found);
    return found;
}

} // namespace localisation
