#pragma once

#include <QLabel>

namespace toolkit {

// A picture control: its picture at natural size or stretched over the control, drawn the same
// whether its window is enabled or not (a disabled window's pictures are not greyed).
class Image : public QLabel {
    Q_OBJECT

public:
    explicit Image(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace toolkit
