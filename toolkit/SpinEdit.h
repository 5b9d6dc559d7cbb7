#pragma once

#include <QSpinBox>
#include <QStyle>
#include <QTimer>

namespace toolkit {

// A spin box whose value the player changes only with its arrows and the Up and Down keys.
// Typing, Backspace, Delete, cut, paste, the context menu's edit commands, the mouse wheel and
// PageUp/PageDown are all refused; a refused character beeps. A click on an arrow steps when the
// mouse is released over it; holding it repeats the step after 400 ms and then every 100 ms.
class SpinEdit : public QSpinBox {
    Q_OBJECT
    // The arrows' pictures, each with its transparent colour (see transparentColor()).
    Q_PROPERTY(QPixmap upGlyph READ upGlyph WRITE setUpGlyph)
    Q_PROPERTY(QPixmap downGlyph READ downGlyph WRITE setDownGlyph)

public:
    explicit SpinEdit(QWidget *parent = nullptr);

    QPixmap upGlyph() const { return m_upGlyph; }
    void setUpGlyph(const QPixmap &glyph);
    QPixmap downGlyph() const { return m_downGlyph; }
    void setDownGlyph(const QPixmap &glyph);

    static constexpr int FirstRepeatMs = 400;
    static constexpr int RepeatMs = 100;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QStyle::SubControl arrowAt(const QPoint &pos) const;
    void step();
    void repeat();

    static QPixmap transparentGlyph(const QPixmap &glyph);

    QPixmap m_upGlyph;
    QPixmap m_downGlyph;
    QStyle::SubControl m_pressed = QStyle::SC_None;
    bool m_over = false;
    QTimer *m_repeat; // "repeat": steps while an arrow is held down
};

} // namespace toolkit
