#pragma once

#include <QLineEdit>

namespace toolkit {

// A one-line edit box that takes only characters a line of a text file in the code page can
// hold: no control characters, nothing the code page lacks, and at most maxLength of them, so
// that what it holds can always be read back from a file. Refused characters beep, typed or
// pasted; the rest of a paste goes in, as far as there is room.
class CodePageEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CodePageEdit(QWidget *parent = nullptr);

    static constexpr qsizetype maxLength = 65536;
    static bool accepts(QChar c);

signals:
    // The text has changed. A refused character changes nothing, so it is not reported, although
    // Qt reports the text it sets back as a change.
    void changed();

private:
    QString m_reported;
    bool m_edited = false; // the change under way comes from the player
};

} // namespace toolkit
