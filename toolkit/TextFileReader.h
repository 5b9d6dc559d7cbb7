#pragma once

#include <QByteArray>
#include <QString>

namespace toolkit {

// Reads a text file line by line. A line ends at a CR; a LF right after the CR belongs to the
// line end. A LF on its own is text. The byte 26 (Ctrl-Z) ends the data like the end of the file.
// Lines past the end read as empty text. Lines are any length; only what is asked for is read.
// Only regular files are read: anything else is refused with "File access denied". A file larger
// than largestFile (16 MiB; the game's files are a few hundred bytes) is refused before anything
// is read, as the system's "file too large" (error 27), and so is one that grows past it while
// being read. Every failing call raises EInOutError.
class TextFileReader {
public:
    explicit TextFileReader(const QString &fileName);
    ~TextFileReader();
    TextFileReader(const TextFileReader &) = delete;
    TextFileReader &operator=(const TextFileReader &) = delete;

    static constexpr qint64 largestFile = 16 << 20;

    // The next line as the code page's text.
    QString readLine();
    void close();

private:
    // The next byte of the data, or -1 at its end.
    int peek();

    int m_fd = -1;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_read = 0;
    bool m_end = false;
};

} // namespace toolkit
