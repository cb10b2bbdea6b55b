#pragma once

#include <functional>

#include <QColor>

class QWidget;

namespace localisation
{

// The program's skin: the colours every window's controls take, and the look of the window itself.
// The splash window owns the one skin of the program (SkinObject) for the whole run.
class Skin
{
public:
    // Buttons, and input and list controls.
    QColor backColour() const;
    // The text of input and list controls.
    QColor foreColour() const;
    // Picture boxes.
    QColor pictureColour() const;
    // The skin's accent; read with the others, no control takes it.
    QColor accentColour() const;

    // Gives the window the skin's background and text colours. Labels are styled in place through
    // them, so a window needs no second set of labels for its skin.
    void skinWindow(QWidget* window) const;
};

Skin* SkinObject();
void setSkinObject(Skin* skin);

// What ApplySkin does once when there is no skin: loads the splash window, which owns it, without
// waiting for anything (the splash window's timer may never run again). nullptr: nothing to do.
void setSkinRecovery(std::function<void()> recovery);

// Sets the colours of the window's controls by kind, in the order of its controls:
//
//   kind            Qt classes                                          colours
//   command button  QPushButton                                         back
//   input and list  QLineEdit, QTextEdit, QPlainTextEdit, QComboBox,    back, fore
//                   QAbstractItemView (list, tree and table views)
//   picture box     QFrame itself (not its subclasses)                  picture
//
// Controls are the window's named widgets (not those of the windows it owns, nor the inner parts of
// composite widgets); labels, check and option buttons and all other kinds keep their colours.
// `fourth` is not used.
void ColorControls(QWidget* frm, const QColor& back, const QColor& fore, const QColor& picture, const QColor& fourth);

// Colours the window's controls from the skin and hands the window to the skin. Without a skin it
// runs the recovery once and tries again; when that fails too, the window keeps its default colours
// and the failure goes to ErrorIn.
void ApplySkin(QWidget* frm);

// The first steps of a window's load: translate it into the current language, then skin it while
// UseSkin is on.
void translateAndSkin(QWidget* window);

} // namespace localisation
