#pragma once

#include <QTextEdit>

namespace toolkit {

// A one-line rich-edit box showing plain text, centred. Its text is never read as markup.
class RichEdit : public QTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit RichEdit(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
};

} // namespace toolkit
