#pragma once

#include <QByteArray>
#include <QString>

namespace toolkit {

// Writes a text file of CR LF lines in the code page, replacing the old file as a whole: the lines
// go to a temporary file beside it, which takes the old file's permissions and, on close, is
// synced and renamed over it. A failed or interrupted write leaves the old file as it was. The
// temporary file ("." + name + "." + six letters or digits) is locked (flock) while it is written;
// one left behind by a killed program is removed by the next write, unless another program still
// holds its lock.
// Where no temporary file can be made beside it, the file is rewritten in place.
// A file without any write permission, or one that is not a regular file, is refused with
// "File access denied". Every failing call raises EInOutError.
class TextFileWriter {
public:
    explicit TextFileWriter(const QString &fileName);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter &) = delete;
    TextFileWriter &operator=(const TextFileWriter &) = delete;

    void writeLine(const QString &text);
    void close();

private:
    void writeAll(const QByteArray &bytes);
    void discard();

    int m_fd = -1;
    QByteArray m_target;
    QByteArray m_temporary;
};

} // namespace toolkit
