#include "toolkit/CodePageEdit.h"

#include "toolkit/CodePage.h"

#include <QApplication>
#include <QValidator>

namespace toolkit {

namespace {

// Removes the refused characters from whatever is about to enter the box.
class CodePageValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        QString kept;
        kept.reserve(input.size());
        int newPos = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (CodePageEdit::accepts(input.at(i)))
                kept.append(input.at(i));
            else if (i < pos)
                --newPos;
        }
        if (kept.size() != input.size()) {
            QApplication::beep();
            input = kept;
            pos = newPos;
        }
        return Acceptable;
    }
};

} // namespace

CodePageEdit::CodePageEdit(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new CodePageValidator(this));
}

bool CodePageEdit::accepts(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 32 || u == 127 || (u >= 0x80 && u < 0xA0))
        return false;
    return CodePage::holds(c);
}

} // namespace toolkit
