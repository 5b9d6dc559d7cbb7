#pragma once

#include <QLineEdit>

namespace toolkit {

// A one-line edit box that takes only characters a line of a text file in the code page can
// hold: no control characters, nothing the code page lacks. Refused characters beep, typed or
// pasted; the rest of a paste goes in.
class CodePageEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CodePageEdit(QWidget *parent = nullptr);

    static bool accepts(QChar c);
};

} // namespace toolkit
