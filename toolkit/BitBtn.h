#pragma once

#include <QPushButton>

namespace toolkit {

// A push button with a caption beside a picture of two images side by side: the left one for the
// enabled button, the right one for the disabled button, with the picture's transparent colour
// (see transparentColor()).
class BitBtn : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QPixmap glyph READ glyph WRITE setGlyph)

public:
    explicit BitBtn(QWidget *parent = nullptr);

    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);

private:
    QPixmap m_glyph;
};

} // namespace toolkit
