#pragma once

#include <optional>

#include <QList>
#include <QString>

class QObject;
class QWidget;

namespace localisation
{

// Which Qt classes stand for the control kinds whose texts the language file translates. This is
// the one place that knows it: the translator and the template writer see windows only through
// captionSlots().
//
//   kind           Qt classes                              text                 key after "window_"
//   caption        QLabel, QPushButton, QCheckBox          text                 control
//                  QGroupBox                               title
//                  any control with a "Caption" property   Caption
//   tab strip      QTabWidget                              each tab's text      control "_TABS" n (from 1)
//   list view      QTreeWidget, QTableWidget               each column header   control "_COL" n (from 1)
//   option button  QRadioButton                            text                 control index
//   menu           QMenu                                   title                control index, or "0"
//                  QAction                                 text
//
// "control" is the objectName (the design name); objects without one have no key. Other classes
// (text boxes, lists, tool bars, ...) are not translated.
//
// Control arrays: the elements of an array share one objectName and each carries its index as the
// dynamic property "index" (setControlIndex). All elements of a caption kind share one key. Option
// buttons always belong to an array: one without an index has no key. A menu item outside an
// array takes "0" in place of the index.
//
// The walk visits every object owned by the window, inside containers too, in creation order. It
// does not enter other windows the window owns (its dialogs), but it does enter its menus.

enum class ControlKind
{
    Caption,
    TabStrip,
    ListView,
    OptionButton,
    Menu,
};

// Marks `control` as element `index` of the control array named by its objectName.
void setControlIndex(QObject* control, int index);
// The control's index in its array; nullopt when it is not part of one.
std::optional<int> controlIndex(const QObject* control);

// One translatable text of a window: a caption, one tab of a tab strip or one column header.
struct CaptionSlot
{
    QObject* control = nullptr;
    ControlKind kind = ControlKind::Caption;
    // The control's design name, as the key carries it.
    QString controlName;
    // What follows the control's name in the key: "", "_TABS2", "_COL1", "3", "0".
    QString suffix;
    // The tab or column (from 0) for tab strips and list views.
    int part = 0;

    // windowName "_" controlName suffix, e.g. "frmMain_lstBackupSet_COL2".
    QString key(const QString& windowName) const;
    QString text() const;
    void setText(const QString& text) const;
};

// The translatable texts of `window`, in the order of its controls.
QList<CaptionSlot> captionSlots(QWidget* window);

} // namespace localisation
