#include "fame/ScoreFile.h"

#include "fame/Unit7.h"
#include "toolkit/TextFileReader.h"
#include "toolkit/TextFileWriter.h"

namespace {

const QString FileName = QStringLiteral("sys.dll");

} // namespace

void readScoreFile(TForm7 &form)
{
    toolkit::TextFileReader file(FileName);
    for (toolkit::EditBox *box : form.fileBoxes())
        box->setText(file.readLine());
    file.close();
}

void writeScoreFile(const TForm7 &form)
{
    toolkit::TextFileWriter file(FileName);
    for (const toolkit::EditBox *box : form.fileBoxes())
        file.writeLine(box->text());
    file.close();
}
