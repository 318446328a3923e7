#pragma once
// Factories for the window's controls: each one is created inside its container, named for
// lookups and tests, and placed at a rectangle given in twips.

#include <QString>
#include <Qt>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class Button16;
class DateTime;
class ctlLine;

namespace pelta::ui {

// Left, top, width, height in twips, relative to the container.
struct TwipsBox {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Maps the classic Windows font names the window asks for to fonts a Linux desktop has.
void InstallFontSubstitutes();

// Line controls this many twips high are separators.
inline constexpr int kSeparatorTwips = 30;

// Image buttons are always this many twips square.
inline constexpr int kImageButtonTwips = 300;

void PlaceInTwips(QWidget* widget, const TwipsBox& box);

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, const TwipsBox& box,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
// A drop-down list: the operator picks an item and cannot type.
QComboBox* MakeList(QWidget* parent, const char* name, const TwipsBox& box);
// A combo box whose text can be typed; it shows `text` until an item is chosen.
QComboBox* MakeEditableCombo(QWidget* parent, const char* name, const TwipsBox& box,
                             const QString& text);
QLineEdit* MakeTextBox(QWidget* parent, const char* name, const TwipsBox& box, const QString& text);
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const TwipsBox& box);
QPushButton* MakePushButton(QWidget* parent, const char* name, const QString& caption,
                            const TwipsBox& box);
Button16* MakeImageButton(QWidget* parent, const char* name, int left, int top);
DateTime* MakeDateTime(QWidget* parent, const char* name, const TwipsBox& box);
// A line control: a framed panel (the default style) or, given 30 twips of height, a separator.
ctlLine* MakeLineControl(QWidget* parent, const char* name, const TwipsBox& box);
// A plain one-pixel horizontal line between two points at the same height.
QFrame* MakeHorizontalLine(QWidget* parent, const char* name, int x1, int x2, int y);

}  // namespace pelta::ui
