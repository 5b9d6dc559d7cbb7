#pragma once

#include <QLabel>

namespace toolkit {

// A transparent label that reports a click: the left button pressed on it and released over it.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(QWidget *parent = nullptr);

public slots:
    // A click that comes from elsewhere than the mouse, a screen reader's press: reported like
    // the mouse's while the label takes clicks.
    void click();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace toolkit
