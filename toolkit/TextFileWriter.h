#pragma once

#include <QByteArray>
#include <QString>

namespace toolkit {

// Writes a text file of CR LF lines in the code page, replacing the old file as a whole: the lines
// go to a temporary file beside it, which takes the old file's permissions and, on close, is
// synced and renamed over it. A failed or interrupted write leaves the old file as it was. The
// temporary file ("." + name + ".zakrytka-save-" + six letters or digits) stays locked (flock)
// from its making until it has been renamed; one left behind by a killed program is removed by a
// later write once it is an hour old, unless another program still holds its lock. No other file
// is ever removed.
// Where no temporary file can be made beside it, the file is rewritten in place: the new lines
// are written over the old ones and the file is then cut to their length, and a write that fails
// puts the old bytes back, so the file holds the whole old text or the whole new one (though a
// program killed in the middle of it can leave a mix).
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
    void replaceInPlace();
    void discard();

    int m_fd = -1;
    QByteArray m_target;
    QByteArray m_temporary;
    // The new text of a file rewritten in place, written as a whole on close.
    QByteArray m_inPlace;
    bool m_writesInPlace = false;
};

} // namespace toolkit
