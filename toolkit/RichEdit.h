#pragma once

#include <QFrame>

namespace toolkit {

// A one-line rich-edit box showing plain text, centred. Its text is never read as markup. A text
// wider than the box starts at its left edge and is cut at its right. The box only shows its
// text: it draws the line itself, so it holds no text document and no editor behind it.
class RichEdit : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit RichEdit(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};

} // namespace toolkit
