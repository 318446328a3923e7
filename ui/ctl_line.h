#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>

// An etched two-tone line or a frame with cut corners that can hold other widgets.
// The figure is drawn in twips into a persistent image; every change of a style, every
// resize and every Refresh() redraws it from scratch.
//
// LineStyle: 0 vertical line (the widget becomes 30 twips wide), 1 horizontal line
// (30 twips high), 2 frame with cut corners, anything else draws nothing.
// LineStyleType: 0 shadow then white, 1 white then shadow, anything else black on black.
class ctlLine : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int LineStyle READ LineStyle WRITE SetLineStyle)
    Q_PROPERTY(int LineStyleType READ LineStyleType WRITE SetLineStyleType)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)

  public:
    explicit ctlLine(QWidget* parent = nullptr);

    int LineStyle() const { return lineStyle_; }
    void SetLineStyle(int style);
    int LineStyleType() const { return lineStyleType_; }
    void SetLineStyleType(int type);

    // Background of the surface (the palette's Window role); setting it redraws the figure.
    QColor BackColor() const;
    void SetBackColor(const QColor& color);

    // Clears the surface and draws the figure of the current LineStyle.
    void Refresh();

    // The widgets placed inside this one (direct widget children).
    QList<QWidget*> ContainedControl() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ForceLineThickness();
    void DrawFigure();
    void DrawTwipsLine(int x1, int y1, int x2, int y2, const QColor& color);

    bool refreshing_ = false;
    int lineStyle_ = 2;
    int lineStyleType_ = 0;
    QImage surface_;
};
