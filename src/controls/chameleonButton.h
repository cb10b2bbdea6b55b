#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "controls/ButtonCaption.h"
#include "controls/ButtonColors.h"
#include "controls/ControlProperties.h"

// An owner-drawn command button: fourteen looks in four colour schemes, a caption with an access
// key, up to two pictures, hover events and an optional check-box behaviour. It paints into an
// image of its own that stays between repaints; the widget only shows that image.
class chameleonButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)

public:
    using OleColor = controls::OleColor;

    explicit chameleonButton(QWidget* parent = nullptr);

    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor theCol);
    OleColor BackOver() const { return m_backOver; }
    void setBackOver(OleColor theCol);
    OleColor ForeColor() const { return m_foreColor; }
    void setForeColor(OleColor theCol);
    OleColor ForeOver() const { return m_foreOver; }
    void setForeOver(OleColor theCol);
    OleColor MaskColor() const { return m_maskColor; }
    void setMaskColor(OleColor theCol);
    int ButtonType() const { return m_buttonType; }
    void setButtonType(int value);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& value);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    QFont Font() const { return font(); }
    void setFont(const QFont& newFont);
    bool FontBold() const { return font().bold(); }
    void setFontBold(bool value);
    bool FontItalic() const { return font().italic(); }
    void setFontItalic(bool value);
    bool FontUnderline() const { return font().underline(); }
    void setFontUnderline(bool value);
    int FontSize() const;
    void setFontSize(int value);
    QString FontName() const { return font().family(); }
    void setFontName(const QString& value);
    int ColorScheme() const { return m_colorScheme; }
    void setColorScheme(int value);
    bool ShowFocusRect() const { return m_showFocusRect; }
    void setShowFocusRect(bool value);
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int newPointer);
    QImage MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const QImage& newIcon);
    bool HandPointer() const { return m_handPointer; }
    // The platform's pointing hand.
    void setHandPointer(bool value);
    QWidget* hWnd() { return this; }
    bool SoftBevel() const { return m_softBevel; }
    void setSoftBevel(bool value);
    QImage PictureNormal() const { return m_pictureNormal; }
    void setPictureNormal(const QImage& NewPic);
    QImage PictureOver() const { return m_pictureOver; }
    void setPictureOver(const QImage& NewPic);
    int PicturePosition() const { return m_picturePosition; }
    void setPicturePosition(int newPicPos);
    bool UseMaskColor() const { return m_useMaskColor; }
    void setUseMaskColor(bool value);
    bool UseGreyscale() const { return m_useGreyscale; }
    void setUseGreyscale(bool value);
    int SpecialEffect() const { return m_specialEffect; }
    void setSpecialEffect(int value);
    bool CheckBoxBehaviour() const { return m_checkBoxBehaviour; }
    void setCheckBoxBehaviour(bool value);
    bool Value() const { return m_value; }
    void setValue(bool value);
    QString version() const { return QStringLiteral("2.0.6"); }

    // Stops painting until Refresh, so a host can change many properties at once.
    void DisableRefresh();
    void Refresh();

    // What the host tells the control about itself.
    void setDisplayName(const QString& name) { m_displayName = name; }
    // False while the host is being designed: colour setters then set the hover colour too.
    void setUserMode(bool userMode) { m_userMode = userMode; }
    // The host shows this control as its default button.
    void setDefaultButton(bool isDefault);
    bool isDefaultButton() const { return m_isDefault; }

    // A new instance: the host's name as caption, the system's colours.
    void InitProperties();
    void ReadProperties(const controls::PropertyBag& bag);
    controls::PropertyBag WriteProperties() const;

    // The key whose Alt press the host routes here; a null character for none.
    QChar accessKey() const { return m_accessKey; }
    // The host routes the access key's press here; a disabled button ignores it.
    void UserControl_AccessKeyPress();
    // What the control shows now.
    const QImage& surface() const { return m_surface; }
    const controls::ColourSet& colours() const { return m_colours; }
    const controls::CaptionLayout& captionLayout() const { return m_layout; }
    bool isHovered() const { return m_over; }

    QSize sizeHint() const override;
    // A wrapped caption needs more height on a narrower button.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void Click();
    void MouseDown(int Button, int Shift, float x, float y);
    void MouseMove(int Button, int Shift, float x, float y);
    void MouseUp(int Button, int Shift, float x, float y);
    void KeyPress(int KeyAscii);
    void KeyDown(int KeyCode, int Shift);
    void KeyUp(int KeyCode, int Shift);
    void MouseOver();
    void MouseOut();
    // A stored property changed, by its key in the property bag.
    void propertyChanged(const QString& name);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void UserControl_MouseDown(int button, int shift, float x, float y);
    void UserControl_Click();
    void enterHover();
    void leaveHover();
    bool IsCursorOver(const QPointF& position) const;

    void PaintButton(int state, bool force);
    void repaintButton() { PaintButton(m_lastState, true); }
    void DeriveColors();
    // Sets a colour input, derives the shades again and shows them.
    void setColour(OleColor& colour, OleColor* hover, OleColor value, const QString& key);
    controls::ColourSet derivedColours(OleColor backColor) const;
    void MeasurePicture();
    void LayoutCaption();
    controls::CaptionLayout layoutFor(const QFont& font) const;
    void UpdateAccessKey();
    void applyResize();
    void applyCursor();
    void applyFont(const QFont& font);

    OleColor m_backColor = 0;
    OleColor m_backOver = 0;
    OleColor m_foreColor = 0;
    OleColor m_foreOver = 0;
    OleColor m_maskColor = controls::rgb(192, 192, 192);
    int m_buttonType = 2;
    QString m_caption;
    bool m_enabled = true;
    int m_colorScheme = 1;
    bool m_showFocusRect = true;
    int m_mousePointer = 0;
    QImage m_mouseIcon;
    bool m_handPointer = false;
    bool m_softBevel = false;
    QImage m_pictureNormal;
    QImage m_pictureOver;
    int m_picturePosition = 0;
    bool m_useMaskColor = true;
    bool m_useGreyscale = false;
    int m_specialEffect = 0;
    bool m_checkBoxBehaviour = false;
    bool m_value = false;

    QString m_displayName;
    bool m_userMode = true;
    bool m_isDefault = false;

    bool m_over = false;
    // Hover is being followed: it ends with one MouseOut when the cursor leaves.
    bool m_hoverFollowed = false;
    bool m_focused = false;
    bool m_paintEnabled = true;
    bool m_readingProperties = false;
    bool m_afterDoubleClick = false;
    int m_lastButton = 0;
    int m_lastKey = 0;
    int m_lastState = 0;
    QString m_lastCaption;
    int m_w = 0;
    int m_h = 0;
    controls::PixelRect m_rcFocus;
    controls::CaptionLayout m_layout;
    int m_picW = 0;
    int m_picH = 0;
    controls::ColourSet m_colours;
    QChar m_accessKey;
    int m_shortcutId = 0;
    QImage m_surface;
};
