#include "toolkit/CodePageEdit.h"

#include "toolkit/CodePage.h"

#include <QApplication>
#include <QValidator>

#include <algorithm>
#include <utility>

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
        for (qsizetype i = 0; i < input.size(); ++i)
            if (CodePageEdit::accepts(input.at(i)))
                kept.append(input.at(i));
            else if (i < pos)
                --newPos;
        // Of what goes in, the end that would pass the longest text is cut off.
        if (kept.size() > CodePageEdit::maxLength) {
            const qsizetype over = kept.size() - CodePageEdit::maxLength;
            const qsizetype from = std::max<qsizetype>(newPos - over, 0);
            kept.remove(from, over);
            newPos = int(from);
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
    // Reported just before the change it makes.
    connect(this, &QLineEdit::textEdited, this, [this] { m_edited = true; });
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        // A text given to the box, not typed or pasted by the player, shows from its beginning as
        // in any edit box; a line edit would put its cursor, and so its view, at the end.
        if (!std::exchange(m_edited, false))
            setCursorPosition(0);
        if (text == m_reported)
            return;
        m_reported = text;
        emit changed();
    });
}

bool CodePageEdit::accepts(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 32 || u == 127 || (u >= 0x80 && u < 0xA0))
        return false;
    return CodePage::holds(c);
}

} // namespace toolkit
