#pragma once

#include <QLabel>

namespace toolkit {

// A transparent label that reports a click: the left button pressed on it and released over it.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(QWidget *parent = nullptr);

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
