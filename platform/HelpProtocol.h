#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QString>
#include <QtEndian>

// How the game talks to its help viewer. The game makes a connected pair of local sockets and
// starts the viewer with one end: `zakrytka-help --connection <descriptor>`. Each message is a
// 32-bit big-endian length and that many bytes written with QDataStream:
//     game to viewer: quint16 command, quint32 data, QString help file (an absolute path)
//     viewer to game: bool shown, QString page on screen; sent once the call is carried out
namespace platform::helpprotocol {

// The help commands the game sends: the platform's numbers, which the game's menu data holds.
inline constexpr quint16 HELP_CONTEXT = 1;  // open the topic with the context number given as data
inline constexpr quint16 HELP_CONTENTS = 3; // open the contents topic; data must be 0

inline constexpr char ConnectionOption[] = "--connection";
// A file name and a heading are short; a longer message means the other side is not ours.
inline constexpr quint32 MaxMessage = 256 * 1024;
// The longest path of a help file a call may name: far beyond any the system opens (4 KiB), and
// a call with it stays well within a message.
inline constexpr qsizetype MaxPath = 16 * 1024;
// The longest page heading or message an answer carries; a longer one is cut.
inline constexpr qsizetype MaxAnswerText = 1024;

// Whether the help engine carries out the call at all: one of the two commands, the contents
// with data 0, and a file named. Anything else shows nothing.
inline bool isValidCall(quint16 command, quint32 data, const QString &file)
{
    if (command != HELP_CONTENTS && command != HELP_CONTEXT)
        return false;
    if (command == HELP_CONTENTS && data != 0)
        return false;
    return !file.isEmpty() && file.size() <= MaxPath;
}

template <typename... Fields> QByteArray encode(const Fields &...fields)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    (out << ... << fields);
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), message.data());
    return message + body;
}

// Takes the next whole message off the front of buffer and reads its fields. Returns false
// while no message is whole yet, and sets bad for a message that cannot be read.
template <typename... Fields> bool decode(QByteArray *buffer, bool *bad, Fields &...fields)
{
    if (buffer->size() < 4)
        return false;
    const quint32 size = qFromBigEndian<quint32>(buffer->constData());
    if (size > MaxMessage) {
        *bad = true;
        return false;
    }
    if (quint32(buffer->size() - 4) < size)
        return false;
    QDataStream in(buffer->mid(4, size));
    in.setVersion(QDataStream::Qt_6_4);
    (in >> ... >> fields);
    buffer->remove(0, 4 + size);
    *bad = in.status() != QDataStream::Ok || !in.atEnd();
    return !*bad;
}

} // namespace platform::helpprotocol
