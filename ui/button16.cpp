#include "ui/button16.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/ctl_line_raster.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFu;
const QColor kEmbossGrey(129, 129, 129);

short ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return Button16::kLeftButton;
        case Qt::RightButton:
            return Button16::kRightButton;
        case Qt::MiddleButton:
            return Button16::kMiddleButton;
        default:
            return 0;
    }
}

// The buttons held during a move, as a sum of the codes (left 1, right 2, middle 4).
short HeldCode(Qt::MouseButtons buttons) {
    short code = 0;
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (buttons.testFlag(b)) {
            code = static_cast<short>(code | ButtonCode(b));
        }
    }
    return code;
}

bool IsPureWhite(QRgb pixel) {
    return (pixel & 0xFFFFFFu) == kWhite;
}

// Pixels beyond the picture count as white, so they stay transparent.
QRgb PictureRgb(const QImage& picture, int x, int y) {
    return picture.valid(x, y) ? picture.pixel(x, y) : (0xFF000000u | kWhite);
}

struct Edge {
    QPoint from;
    QPoint to;
    QPalette::ColorRole role;
};

void DrawEdges(QImage& image, const QPalette& palette, std::initializer_list<Edge> edges) {
    for (const Edge& e : edges) {
        RasterLine(image, e.from, e.to, palette.color(e.role));
    }
}

}  // namespace

Button16::Button16(QWidget* parent)
    : QAbstractButton(parent),
      surface_(kSide, kSide, QImage::Format_RGB32),
      backColor_(palette().color(QPalette::Button)) {
    setFixedSize(kSide, kSide);
    setMouseTracking(true);
    // Tab only: a click gives the focus itself, and only on the square that takes the mouse.
    setFocusPolicy(Qt::TabFocus);
    surface_.fill(backColor_);
    connect(this, &QAbstractButton::clicked, this, &Button16::Click);
    // A new button shows its resting look at once instead of waiting for the cursor.
    OnCursorOutside();
}

void Button16::SetValue(bool value) {
    value_ = value;
    latched_ = value;
    look_ = value ? Look::Pressed : Look::Resting;
    DrawLook(look_);
}

void Button16::SetBackColor(const QColor& color) {
    // Like the classic persistent surface: a new background erases what was drawn.
    backColor_ = color;
    surface_.fill(color);
    update();
}

void Button16::SetPictureByValue(const QImage& picture) {
    // The window assigns its pictures this way, so the mask is built here too and the
    // current look is redrawn with the new picture.
    StorePicture(picture);
    DrawLook(drawnLook_);
}

void Button16::SetPictureByReference(const QImage& picture) {
    StorePicture(picture);
    DrawPicture(2, 2);
    update();
}

void Button16::StorePicture(const QImage& picture) {
    picture_ = picture;
    mask_ = QImage(kPictureSide, kPictureSide, QImage::Format_RGB32);
    for (int x = 0; x < kPictureSide; ++x) {
        for (int y = 0; y < kPictureSide; ++y) {
            mask_.setPixel(x, y,
                           IsPureWhite(PictureRgb(picture_, x, y)) ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
}

bool Button16::hitButton(const QPoint& pos) const {
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() < kHotSide && pos.y() < kHotSide;
}

void Button16::DrawLook(Look look) {
    if (!isEnabled()) {
        look = Look::Disabled;
    }
    const QPalette& pal = palette();
    const bool lightBackground = look == Look::Pressed || (look == Look::Hovered && latched_);
    backColor_ = pal.color(lightBackground ? QPalette::Light : QPalette::Button);
    surface_.fill(backColor_);
    switch (look) {
        case Look::Pressed:
            DrawPicture(3, 3);
            DrawEdges(surface_, pal,
                      {{{0, 0}, {18, 0}, QPalette::Shadow},
                       {{0, 0}, {0, 19}, QPalette::Shadow},
                       {{0, 19}, {19, 19}, QPalette::Light},
                       {{19, 1}, {19, 20}, QPalette::Light}});
            break;
        case Look::Hovered:
            DrawPicture(2, 2);
            if (latched_) {
                DrawEdges(surface_, pal,
                          {{{1, 0}, {19, 0}, QPalette::Dark},
                           {{0, 1}, {0, 19}, QPalette::Dark},
                           {{1, 19}, {19, 19}, QPalette::Dark},
                           {{19, 1}, {19, 19}, QPalette::Dark}});
            } else {
                DrawEdges(surface_, pal,
                          {{{0, 0}, {19, 0}, QPalette::Light},
                           {{0, 0}, {0, 19}, QPalette::Light},
                           {{0, 18}, {20, 18}, QPalette::Shadow},
                           {{19, 0}, {19, 18}, QPalette::Shadow}});
            }
            break;
        case Look::Disabled:
            DrawPicture(2, 2);
            DrawEdges(surface_, pal,
                      {{{0, 0}, {19, 0}, QPalette::Dark},
                       {{0, 0}, {0, 19}, QPalette::Dark},
                       {{0, 19}, {19, 19}, QPalette::Dark},
                       {{19, 0}, {19, 19}, QPalette::Dark}});
            Emboss();
            break;
        case Look::Resting:
        case Look::None:
            DrawPicture(2, 2);
            DrawEdges(surface_, pal,
                      {{{1, 0}, {19, 0}, QPalette::Dark},
                       {{0, 1}, {0, 19}, QPalette::Dark},
                       {{1, 19}, {19, 19}, QPalette::Dark},
                       {{19, 1}, {19, 19}, QPalette::Dark}});
            break;
    }
    drawnLook_ = look;
    update();
}

void Button16::DrawPicture(int x, int y) {
    if (picture_.isNull()) {
        return;  // a button without a picture shows its frame only
    }
    // The two raster operations of a masked blit: NOT mask OR surface, then AND picture.
    // A black mask pixel takes the picture's colour; a white one keeps the surface.
    for (int px = 0; px < kPictureSide; ++px) {
        for (int py = 0; py < kPictureSide; ++py) {
            const QPoint at(x + px, y + py);
            if (!surface_.rect().contains(at)) {
                continue;
            }
            const QRgb merged = ~mask_.pixel(px, py) | surface_.pixel(at);
            surface_.setPixel(at, 0xFF000000u | (merged & PictureRgb(picture_, px, py)));
        }
    }
}

void Button16::Emboss() {
    if (picture_.isNull()) {
        return;
    }
    for (int x = 0; x < kPictureSide; ++x) {
        for (int y = 0; y < kPictureSide; ++y) {
            if (!IsPureWhite(PictureRgb(picture_, x, y))) {
                RasterPoint(surface_, {x + 3, y + 3}, Qt::white);
                RasterPoint(surface_, {x + 2, y + 2}, kEmbossGrey);
            }
        }
    }
}

void Button16::OnCursorOutside() {
    inside_ = false;
    if (look_ == Look::Resting) {
        return;
    }
    look_ = latched_ ? Look::Pressed : Look::Resting;
    DrawLook(look_);
}

void Button16::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
    if (hasFocus()) {
        DrawFocusRectangle(painter);
    }
}

// Every other pixel of the square one pixel inside the frame, as a classic focus rectangle;
// drawn over the surface only, so the looks themselves stay as they are.
void Button16::DrawFocusRectangle(QPainter& painter) const {
    painter.setPen(palette().color(QPalette::WindowText));
    constexpr int kFirst = 1;
    constexpr int kLast = kSide - 3;
    for (int i = kFirst; i <= kLast; i += 2) {
        painter.drawPoint(i, kFirst);
        painter.drawPoint(i, kLast);
        painter.drawPoint(kFirst, i);
        painter.drawPoint(kLast, i);
    }
}

void Button16::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
}

void Button16::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && drawnLook_ != Look::None) {
        DrawLook(drawnLook_);  // the looks are drawn in the palette's colours
        return;
    }
    if (event->type() != QEvent::EnabledChange) {
        return;
    }
    if (isEnabled()) {
        DrawLook(Look::Resting);
    } else {
        inside_ = false;
        captured_ = false;
        look_ = Look::Resting;
        lastButton_ = 0;
        DrawLook(Look::Disabled);
    }
}

void Button16::mousePressEvent(QMouseEvent* event) {
    if (!hitButton(event->position().toPoint())) {
        event->ignore();  // the bottom and right margin do not react to the mouse
        return;
    }
    // The control that had the focus loses it (and runs its handler) before this click.
    setFocus(Qt::MouseFocusReason);
    captured_ = true;
    short code = ButtonCode(event->button());
    lastButton_ = code;
    if (look_ != Look::Pressed) {
        look_ = Look::Pressed;
        DrawLook(look_);
    }
    emit MouseDown(code);
    QAbstractButton::mousePressEvent(event);
    event->accept();
}

void Button16::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const short held = HeldCode(event->buttons());
    if (held == 0) {
        if (!hitButton(pos)) {
            event->ignore();
            return;
        }
        inside_ = true;
        if (look_ != Look::Hovered) {
            look_ = Look::Hovered;
            DrawLook(look_);
        }
    } else if (!captured_) {
        event->ignore();
        return;
    } else if (held == kLeftButton) {
        // Inside is only cleared by leaving without the left button, so a drag keeps the
        // pressed look wherever the cursor goes.
        const Look wanted = inside_ ? Look::Pressed : Look::Hovered;
        if (look_ != wanted) {
            look_ = wanted;
            DrawLook(look_);
        }
    }
    lastButton_ = held;
    if (held != 0 && held != kLeftButton && !rect().contains(pos)) {
        OnCursorOutside();  // dragged off with another button: it has left the button
    }
    QAbstractButton::mouseMoveEvent(event);
}

void Button16::mouseReleaseEvent(QMouseEvent* event) {
    if (!captured_) {
        event->ignore();
        return;
    }
    short code = ButtonCode(event->button());
    emit MouseUp(code);
    lastButton_ = code;
    DrawLook(Look::Resting);  // drawn only; the remembered look stays as it was
    captured_ = event->buttons() != Qt::NoButton;
    QAbstractButton::mouseReleaseEvent(event);  // emits clicked() when released over it
    event->accept();
}

void Button16::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!event->isAutoRepeat()) {
            click();
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_Space && !event->isAutoRepeat()) {
        DrawLook(Look::Pressed);  // held down like a mouse press; the click comes on release
    }
    QAbstractButton::keyPressEvent(event);
}

void Button16::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        DrawLook(look_);
    }
    QAbstractButton::keyReleaseEvent(event);
}

void Button16::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    update();
}

void Button16::focusOutEvent(QFocusEvent* event) {
    if (isDown() && !captured_) {
        DrawLook(look_);  // Space was held as the focus left: no click, nothing held down
    }
    QAbstractButton::focusOutEvent(event);
    update();
}

void Button16::leaveEvent(QEvent* event) {
    // While the left button was the last one used, leaving changes nothing: a drag keeps
    // the pressed look, and a release outside has already drawn the resting one.
    if (lastButton_ != kLeftButton) {
        OnCursorOutside();
    }
    QAbstractButton::leaveEvent(event);
}
