#include "game/ScoreFile.h"

#include "toolkit/EditBox.h"
#include "toolkit/TextFileReader.h"
#include "toolkit/TextFileWriter.h"

namespace {

const QString FileName = QStringLiteral("sys.dll");

} // namespace

void readScoreFile(std::span<toolkit::EditBox *const, 11> boxes)
{
    toolkit::TextFileReader file(FileName);
    for (toolkit::EditBox *box : boxes)
        box->setText(file.readLine());
    file.close();
}

void writeScoreFile(std::span<const toolkit::EditBox *const, 11> boxes)
{
    toolkit::TextFileWriter file(FileName);
    for (const toolkit::EditBox *box : boxes)
        file.writeLine(box->text());
    file.close();
}
