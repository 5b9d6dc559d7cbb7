// Any bytes as the help file "ZAKRYTKA.HLP", read by the help viewer's reader and, where the reader
// accepts the file, its pages laid out as the help window lays them out, at the window's width.
// The time and memory each input may take are the fuzzer's -timeout and -rss_limit_mb: a page the
// reader lets through but Qt's layout cannot finish, or finishes only with a great deal of memory,
// is a finding. The reader's own rules are checked too: a refusal quotes little of the file, and
// every name, contents topic and context number leads to a topic.

#include "Check.h"

#include "helpviewer/HelpFile.h"
#include "helpviewer/PageMarkup.h"
#include "helpviewer/PageResource.h"

#include <QAbstractTextDocumentLayout>
#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>

#include <cstdint>
#include <cstdlib>

using fuzzcheck::check;
using fuzzcheck::shown;
using helpviewer::HelpFile;

namespace {

// The pages laid out for one input: enough to reach what the fuzzer builds, few enough that an
// input of many small pages is not taken for a slow one.
constexpr qsizetype PagesLaidOut = 4;
// The help window's page width at its first size.
constexpr int PageWidth = 500;

// A page as the help window holds it: a picture becomes one transparent pixel and nothing else
// the page names is read.
class Page : public QTextDocument {
protected:
    QVariant loadResource(int type, const QUrl &) override
    {
        return helpviewer::pageResource(type);
    }
};

void checkDocument(const HelpFile &file)
{
    check(!file.topics.isEmpty(), "an accepted file has a topic");
    check(file.names.contains(file.contents), "the contents name a topic");
    for (auto it = file.names.cbegin(); it != file.names.cend(); ++it) {
        check(
            it.value() >= 0 && it.value() < file.topics.size(), "a name leads to a topic",
            [&] { return shown(it.key()); });
    }
    for (const QString &name : file.contexts) {
        check(
            file.names.contains(name), "a context number leads to a topic",
            [&] { return shown(name); });
    }
    for (const HelpFile::Topic &topic : file.topics) {
        check(topic.begin >= 0 && topic.begin <= topic.end && topic.end <= file.text.size(),
              "a topic lies within the file");
        check(topic.end - topic.begin + file.body.size() + file.styleSheet.size() <=
                  HelpFile::MaxPage,
              "a page keeps to its length");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    static int argc = 1;
    static char name[] = "fuzz_help";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(HelpFile::MaxFileSize))
        return -1;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.contains('\0'))
        return -1;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return -1;
    QString problem;
    const std::optional<HelpFile> file = HelpFile::parse(text, &problem);
    if (!file) {
        // A message names the fault and its line, and quotes little of the file.
        check(!problem.isEmpty(), "a refusal says why");
        check(problem.size() <= 4 * helpviewer::limits::MaxQuote + 300,
              "a refusal quotes little of the file", [&] { return shown(problem); });
        return 0;
    }
    checkDocument(*file);
    for (qsizetype topic = 0; topic < file->topics.size() && topic < PagesLaidOut; ++topic) {
        Page page;
        page.setDefaultStyleSheet(file->styleSheet);
        page.setHtml(file->page(topic));
        page.setTextWidth(PageWidth);
        const QSizeF laidOut = page.documentLayout()->documentSize();
        check(laidOut.height() >= 0, "a page is laid out");
    }
    return 0;
}
