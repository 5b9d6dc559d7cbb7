#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;

namespace toolkit {

// A one-line edit box for a text of the game that the player reads but never types: the money,
// the deals left, the toss bit, the hall of fame's entries. It keeps its text whole, however
// long, but lays out only as much of it as the box can show, so a text of millions of characters
// costs little more than its own size and no time; a hidden box only stores its text. It looks
// like any other edit box (3-D frame or flat, the control's font, colours and alignment), and a
// disabled box keeps its colours, so the player can still read it.
class EditBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool frame READ hasFrame WRITE setFrame)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)

public:
    explicit EditBox(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    bool hasFrame() const { return m_frame; }
    void setFrame(bool frame);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Brings the shown part up to date, or leaves it for the next showing while hidden.
    void refresh();
    QString shownText() const;

    QString m_text;
    bool m_frame = true;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // What the player sees: a line edit holding the part of the text that can be shown. Made
    // when the box is first shown; a box that is never shown never has one.
    QLineEdit *m_view = nullptr;
    bool m_stale = false;
};

} // namespace toolkit
