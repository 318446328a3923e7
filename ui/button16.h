#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>

class QPainter;

// A flat 20x20 image button that draws itself: a 16x16 picture whose pure-white pixels are
// transparent, a one-pixel frame shaded for the resting, hovered, pressed and disabled
// looks, and an embossed grey picture while disabled. Value latches the button down.
//
// Only the top-left 17x17 pixels react to the mouse; the bottom and right 3 pixels do not.
// The looks are drawn into a persistent image when the state changes; paintEvent only
// shows that image. Leaving is noticed through the leave event, so nothing ticks while the
// cursor is elsewhere.
//
// The window assigns pictures with SetPictureByValue(), which stores the picture, builds the
// transparency mask and redraws the current look. SetPictureByReference() stores and builds
// the mask too, but only draws the picture over the surface as it is.
// Only the top-left 16x16 pixels of a picture are shown.
//
// The button takes the keyboard focus from Tab and from a click on its hot square, so the
// control left behind loses the focus before the click runs; a focused button shows a dotted
// rectangle inside its face, and Space or Enter clicks it.
class Button16 : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool Value READ Value WRITE SetValue)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPictureByValue)
    Q_PROPERTY(int MaskColor READ MaskColor WRITE SetMaskColor)

  public:
    enum class Look { None = 0, Pressed = 1, Hovered = 2, Resting = 3, Disabled = 4 };
    Q_ENUM(Look)

    // Mouse button codes as the events carry them.
    static constexpr short kLeftButton = 1;
    static constexpr short kRightButton = 2;
    static constexpr short kMiddleButton = 4;
    static constexpr int kSide = 20;     // the button is always kSide x kSide pixels
    static constexpr int kHotSide = 17;  // the square that takes the mouse
    static constexpr int kPictureSide = 16;

    explicit Button16(QWidget* parent = nullptr);

    bool Value() const { return value_; }
    void SetValue(bool value);

    // The surface's current background. Setting it clears the surface to that colour; the
    // next look drawn replaces it with the look's system colour.
    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& color);

    QImage Picture() const { return picture_; }
    void SetPictureByValue(const QImage& picture);
    void SetPictureByReference(const QImage& picture);

    // Stored and read back only; white is always the transparent colour.
    int MaskColor() const { return maskColor_; }
    void SetMaskColor(int color) { maskColor_ = color; }

    void SetToolTip(const QString& text) { setToolTip(text); }
    void Refresh() { update(); }

    // The look last set by a state change, and the image on screen.
    Look CurrentLook() const { return look_; }
    const QImage& Surface() const { return surface_; }

    QSize sizeHint() const override { return {kSide, kSide}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    void Click();
    void MouseDown(short button);
    void MouseUp(short button);

  protected:
    bool hitButton(const QPoint& pos) const override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void DrawLook(Look look);
    void DrawPicture(int x, int y);
    void Emboss();
    void DrawFocusRectangle(QPainter& painter) const;
    void OnCursorOutside();
    void StorePicture(const QImage& picture);

    QImage surface_;
    QImage picture_;
    QImage mask_;
    QColor backColor_;
    Look look_ = Look::None;       // the look last set by a state change
    Look drawnLook_ = Look::None;  // the look on the surface now
    bool inside_ = false;
    bool captured_ = false;
    short lastButton_ = 0;
    bool latched_ = false;
    bool value_ = false;
    int maskColor_ = 16711935;
};
