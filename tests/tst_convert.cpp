#include "toolkit/Convert.h"
#include "toolkit/Exception.h"

#include <QTest>

using toolkit::EConvertError;
using toolkit::intToStr;
using toolkit::strToInt;

class tst_Convert : public QObject {
    Q_OBJECT

private slots:
    void accepts_data();
    void accepts();
    void refuses_data();
    void refuses();
    void writesPlainDecimal_data();
    void writesPlainDecimal();
};

void tst_Convert::accepts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "2000" << 2000;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-150" << -150;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("leading zeros") << "00042" << 42;
    QTest::newRow("leading spaces") << "   12" << 12;
    QTest::newRow("spaces then sign") << "  -3" << -3;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("hex") << "$FF" << 255;
    QTest::newRow("hex lower case") << "$ff" << 255;
    QTest::newRow("hex after spaces") << " $10" << 16;
    QTest::newRow("hex largest positive") << "$7FFFFFFF" << 2147483647;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << -1;
    QTest::newRow("hex leading zeros") << "$000000001" << 1;
}

void tst_Convert::accepts()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(strToInt(text), value);
}

void tst_Convert::refuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces only") << "   ";
    QTest::newRow("trailing space") << "12 ";
    QTest::newRow("sign only") << "-";
    QTest::newRow("two signs") << "--1";
    QTest::newRow("space after sign") << "- 1";
    QTest::newRow("letters") << "abc";
    QTest::newRow("digits then letters") << "12a";
    QTest::newRow("decimal point") << "1.5";
    QTest::newRow("thousands separator") << "1,000";
    QTest::newRow("above range") << "2147483648";
    QTest::newRow("below range") << "-2147483649";
    QTest::newRow("far above range") << "99999999999999999999";
    QTest::newRow("dollar only") << "$";
    QTest::newRow("hex too long") << "$100000000";
    QTest::newRow("sign before hex") << "-$1";
    QTest::newRow("hex bad digit") << "$FG";
    QTest::newRow("C hex") << "0x10";
    QTest::newRow("tab before") << "\t5";
    QTest::newRow("non-breaking space") << QString::fromUtf8("\u00a05");
    QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("\u0665");
    QTest::newRow("full-width digit") << QString::fromUtf8("\uff15");
}

void tst_Convert::refuses()
{
    QFETCH(QString, text);
    try {
        const int value = strToInt(text);
        QFAIL(qPrintable(QStringLiteral("'%1' converted to %2").arg(text).arg(value)));
    } catch (const EConvertError &e) {
        QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

void tst_Convert::writesPlainDecimal_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("positive") << 59000 << "59000";
    QTest::newRow("zero") << 0 << "0";
    QTest::newRow("negative") << -50 << "-50";
    QTest::newRow("smallest") << int(-2147483647 - 1) << "-2147483648";
}

void tst_Convert::writesPlainDecimal()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(intToStr(value), text);
    QCOMPARE(strToInt(intToStr(value)), value);
}

QTEST_APPLESS_MAIN(tst_Convert)
#include "tst_convert.moc"
