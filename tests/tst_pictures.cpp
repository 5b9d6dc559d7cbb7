// The built-in pictures and icons as the game draws them, stored in the program: sizes, colour
// depths, palettes, and what the player sees in each of them.

#include "toolkit/Picture.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>

namespace {

enum class Depth { CardPalette, SixteenColours, TrueColour };

using ColourTest = std::function<bool(const QColor &)>;

QImage load(const QString &name)
{
    return toolkit::picture(QStringLiteral(":/assets/%1.png").arg(name)).toImage();
}

// Counts the pixels of an area that pass a test; the whole picture when no area is given.
int count(const QImage &image, const ColourTest &test, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixelColor(x, y)))
                ++n;
    return n;
}

double share(const QImage &image, const ColourTest &test, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    return double(count(image, test, area)) / double(area.width() * area.height());
}

bool is(const QColor &c, int r, int g, int b)
{
    return c.red() == r && c.green() == g && c.blue() == b;
}

const ColourTest pureBlack = [](const QColor &c) { return is(c, 0, 0, 0); };
const ColourTest white = [](const QColor &c) { return is(c, 255, 255, 255); };
const ColourTest olive = [](const QColor &c) { return is(c, 128, 128, 0); };
const ColourTest darkInk = [](const QColor &c) {
    return c.red() <= 64 && c.green() <= 64 && c.blue() <= 64;
};
const ColourTest redInk = [](const QColor &c) {
    return c.red() >= 192 && c.green() <= 64 && c.blue() <= 64;
};

// The 256 colours shared by the card back and the faces: index bits RRRGGGBB.
QList<QRgb> cardPalette()
{
    const int redGreen[8] = {0, 32, 64, 96, 128, 160, 192, 255};
    const int blue[4] = {0, 64, 128, 255};
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(redGreen[i >> 5], redGreen[(i >> 2) & 7], blue[i & 3]));
    return palette;
}

// The pixels in which two pictures of the same size differ.
QList<QPoint> differences(const QImage &a, const QImage &b)
{
    QList<QPoint> points;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                points.append(QPoint(x, y));
    return points;
}

} // namespace

Q_DECLARE_METATYPE(Depth)

class tst_Pictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void formatAndSize_data();
    void formatAndSize();
    void cardBackTexture();
    void cardBackEvenAllOver();
    void faces_data();
    void faces();
    void dealersDifferOnlyInTheFace();
    void dealerLooks_data();
    void dealerLooks();
    void fannedCards_data();
    void fannedCards();
    void splashIconDiffersInAFewLightPixels();
    void portraitIcon();
    void appIcon_data();
    void appIcon();
    void stockPictures_data();
    void stockPictures();
    void spinArrows_data();
    void spinArrows();

private:
    QTemporaryDir workDir;
};

void tst_Pictures::initTestCase()
{
    QVERIFY(workDir.isValid());
    QVERIFY(QDir::setCurrent(workDir.path()));
}

void tst_Pictures::formatAndSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Depth>("depth");
    const struct {
        const char *name;
        int width;
        int height;
        Depth depth;
    } rows[] = {
        {"cardback", 146, 194, Depth::CardPalette},
        {"queen_spades", 76, 104, Depth::CardPalette},
        {"ace_diamonds", 76, 104, Depth::CardPalette},
        {"nine_hearts", 76, 104, Depth::CardPalette},
        {"dealer_calm", 90, 120, Depth::TrueColour},
        {"dealer_dismayed", 90, 120, Depth::TrueColour},
        {"dealer_grinning", 90, 120, Depth::TrueColour},
        {"about", 50, 50, Depth::TrueColour},
        {"icon_cards", 32, 32, Depth::TrueColour},
        {"icon_cards2", 32, 32, Depth::TrueColour},
        {"icon_portrait", 32, 32, Depth::TrueColour},
        {"app_icon", 32, 32, Depth::SixteenColours},
        {"spin_up", 9, 6, Depth::SixteenColours},
        {"spin_down", 9, 6, Depth::SixteenColours},
        {"bball", 36, 19, Depth::SixteenColours},
        {"bbno", 36, 18, Depth::SixteenColours},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.name << QSize(row.width, row.height) << row.depth;
}

void tst_Pictures::formatAndSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(Depth, depth);
    const QImage image = load(name);
    QVERIFY2(!image.isNull(), qPrintable(name + " is not in the program"));
    QCOMPARE(image.size(), size);
    switch (depth) {
    case Depth::CardPalette:
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorTable(), cardPalette());
        break;
    case Depth::SixteenColours:
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QVERIFY2(image.colorCount() <= 16, qPrintable(QString::number(image.colorCount())));
        break;
    case Depth::TrueColour:
        QVERIFY2(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_RGB888,
                 qPrintable(QString("format %1").arg(int(image.format()))));
        break;
    }
    // Every picture is opaque: no alpha channel and no see-through palette entry.
    QVERIFY(!image.hasAlphaChannel());
    for (QRgb entry : image.colorTable())
        QCOMPARE(qAlpha(entry), 255);
    if (image.format() == QImage::Format_Indexed8) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(image.pixelIndex(x, y) < image.colorCount(),
                         qPrintable(QString("pixel %1,%2 outside the palette").arg(x).arg(y)));
    }

    // The drawing for scaled screens: missing, of another size, depth or transparent colour, or
    // the small picture's pixels doubled (blocky on a 2x screen) would each fail here.
    const QImage twice = load(name + "@2x");
    QCOMPARE(twice.size(), size * 2);
    QCOMPARE(twice.format(), image.format());
    QCOMPARE(twice.colorTable(), image.colorTable());
    QCOMPARE(twice.pixel(0, twice.height() - 1), image.pixel(0, image.height() - 1));
    int fineBlocks = 0;
    for (int y = 0; y < twice.height(); y += 2)
        for (int x = 0; x < twice.width(); x += 2)
            if (twice.pixel(x, y) != twice.pixel(x + 1, y) ||
                twice.pixel(x, y) != twice.pixel(x, y + 1) ||
                twice.pixel(x, y) != twice.pixel(x + 1, y + 1))
                ++fineBlocks;
    QVERIFY2(fineBlocks * 50 >= size.width() * size.height(),
             qPrintable(QString("%1 of its 2 x 2 blocks have detail").arg(fineBlocks)));
}

void tst_Pictures::cardBackTexture()
{
    const QImage back = load("cardback");
    QVERIFY(!back.isNull());
    // Black is the button's transparent colour: the bottom-left pixel decides it.
    QCOMPARE(back.pixelColor(0, back.height() - 1), QColor(0, 0, 0));
    const double black = share(back, pureBlack);
    QVERIFY2(black >= 0.52 && black <= 0.60, qPrintable(QString::number(black)));

    // Light streaks run across the card every four or five rows, from top to bottom.
    const ColourTest light = [](const QColor &c) {
        return c.red() >= 160 && c.green() >= 160 && c.blue() >= 192;
    };
    QList<int> streakRows;
    for (int y = 0; y < back.height(); ++y)
        if (share(back, light, QRect(0, y, back.width(), 1)) >= 0.6)
            streakRows.append(y);
    QVERIFY2(streakRows.size() >= 38, qPrintable(QString::number(streakRows.size())));
    QVERIFY(streakRows.first() < 5);
    QVERIFY(streakRows.last() >= back.height() - 6);
    for (int i = 1; i < streakRows.size(); ++i) {
        const int gap = streakRows[i] - streakRows[i - 1];
        QVERIFY2(
            gap == 4 || gap == 5,
            qPrintable(
                QString("streaks at rows %1 and %2").arg(streakRows[i - 1]).arg(streakRows[i])));
    }

    // Between the streaks: grey, olive, pale-blue and pale-cyan dots on the dark field.
    QImage between = back.convertToFormat(QImage::Format_RGB32);
    for (int y : streakRows)
        for (int x = 0; x < between.width(); ++x)
            between.setPixel(x, y, qRgb(0, 0, 0));
    const struct {
        const char *what;
        ColourTest test;
    } dots[] = {
        {"grey",
         [](const QColor &c) {
             return c.red() == c.green() && c.green() == c.blue() && c.red() >= 96 &&
                    c.red() <= 192;
         }},
        {"olive",
         [](const QColor &c) {
             return c.red() == c.green() && c.blue() == 0 && c.red() >= 96 && c.red() <= 192;
         }},
        {"pale blue",
         [](const QColor &c) {
             return c.blue() == 255 && c.red() == c.green() && c.red() >= 128 && c.red() < 255;
         }},
        {"pale cyan",
         [](const QColor &c) {
             return c.blue() == 255 && c.green() == 255 && c.red() >= 128 && c.red() < 255;
         }},
    };
    for (const auto &dot : dots) {
        const int n = count(between, dot.test);
        QVERIFY2(n >= 50, qPrintable(QString("%1 %2 dots").arg(n).arg(dot.what)));
    }
    // The field between the dots and streaks is dark.
    const ColourTest dark = [](const QColor &c) { return c.lightness() < 64; };
    QVERIFY(share(back, dark) > 0.75 - share(back, light));
}

void tst_Pictures::cardBackEvenAllOver()
{
    // Only the middle 97 x 129 of the card back shows on a button, so the texture must look the
    // same everywhere, without a border or a motif.
    const QImage back = load("cardback");
    QVERIFY(!back.isNull());
    const double whole = share(back, pureBlack);
    const int w = back.width();
    const int h = back.height();
    const struct {
        const char *where;
        QRect area;
        double tolerance;
    } areas[] = {
        {"shown middle", QRect((w - 97) / 2, (h - 129) / 2, 97, 129), 0.03},
        {"top left quarter", QRect(0, 0, w / 2, h / 2), 0.04},
        {"top right quarter", QRect(w / 2, 0, w - w / 2, h / 2), 0.04},
        {"bottom left quarter", QRect(0, h / 2, w / 2, h - h / 2), 0.04},
        {"bottom right quarter", QRect(w / 2, h / 2, w - w / 2, h - h / 2), 0.04},
        {"centre", QRect(w / 2 - 20, h / 2 - 25, 40, 50), 0.06},
        {"left edge", QRect(0, 0, 3, h), 0.08},
        {"right edge", QRect(w - 3, 0, 3, h), 0.08},
        {"top edge", QRect(0, 0, w, 9), 0.08},
        {"bottom edge", QRect(0, h - 9, w, 9), 0.08},
    };
    for (const auto &area : areas) {
        const double part = share(back, pureBlack, area.area);
        QVERIFY2(
            std::abs(part - whole) <= area.tolerance,
            qPrintable(
                QString("%1: %2 black against %3 overall").arg(area.where).arg(part).arg(whole)));
    }
}

void tst_Pictures::faces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("red");
    QTest::addColumn<int>("minimumFlecks");
    QTest::newRow("queen of spades") << "queen_spades" << false << 3;
    QTest::newRow("ace of diamonds") << "ace_diamonds" << true << 25;
    QTest::newRow("nine of hearts") << "nine_hearts" << true << 3;
}

void tst_Pictures::faces()
{
    QFETCH(QString, name);
    QFETCH(bool, red);
    QFETCH(int, minimumFlecks);
    const QImage face = load(name);
    QVERIFY(!face.isNull());
    const QRect inner = face.rect().adjusted(2, 2, -2, -2);
    QVERIFY2(share(face, white, inner) > 0.55, "a face is a white card");

    // The index stands in the top right corner, in the suit's colour, and nowhere else.
    const ColourTest &suit = red ? redInk : darkInk;
    const QRect topRight(50, 3, 23, 32);
    const QRect topLeft(3, 3, 23, 24);
    const QRect bottom(3, 94, 70, 7);
    QVERIFY2(count(face, suit, topRight) >= 40, "index in the top right corner");
    QCOMPARE(count(face, suit, topLeft), 0);
    QCOMPARE(count(face, suit, bottom), 0);
    QCOMPARE(count(face, red ? darkInk : redInk, inner), 0);

    const QRect middle(14, 36, 48, 52);
    if (red) {
        // One large pip in the middle.
        QVERIFY(redInk(face.pixelColor(38, 53)));
        QVERIFY2(count(face, redInk, middle) >= 700, "a large pip");
    } else {
        // A framed line drawing with a yellow band across it.
        const ColourTest yellow = [](const QColor &c) { return is(c, 255, 255, 0); };
        QVERIFY2(count(face, yellow, middle) >= 150, "the yellow band");
        QVERIFY2(count(face, darkInk, middle) >= 250, "the line drawing");
        QVERIFY2(share(face, darkInk, middle) < 0.35, "a line drawing, not a dark patch");
    }
    const ColourTest paleYellow = [](const QColor &c) { return is(c, 255, 255, 128); };
    const int flecks = count(face, paleYellow, inner);
    QVERIFY2(flecks >= minimumFlecks, qPrintable(QString("%1 pale-yellow flecks").arg(flecks)));
}

void tst_Pictures::dealersDifferOnlyInTheFace()
{
    // Swapping the dealer pictures must change nothing but his face.
    const QRect faceArea(26, 31, 40, 48);
    const QStringList names = {"dealer_calm", "dealer_dismayed", "dealer_grinning"};
    QList<QImage> dealers;
    for (const QString &name : names) {
        dealers.append(load(name).convertToFormat(QImage::Format_RGB32));
        QVERIFY(!dealers.last().isNull());
    }
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            const QList<QPoint> diff = differences(dealers[a], dealers[b]);
            const QString pair = names[a] + " and " + names[b];
            QVERIFY2(diff.size() >= 200, qPrintable(pair + " look alike"));
            for (QPoint p : diff)
                QVERIFY2(faceArea.contains(p),
                         qPrintable(QString("%1 differ at %2,%3").arg(pair).arg(p.x()).arg(p.y())));
        }
    }
}

void tst_Pictures::dealerLooks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("openMouth");
    QTest::addColumn<int>("teeth");
    QTest::newRow("calm") << "dealer_calm" << 0 << 0;
    QTest::newRow("dismayed") << "dealer_dismayed" << 40 << 0;
    QTest::newRow("grinning") << "dealer_grinning" << 0 << 25;
}

void tst_Pictures::dealerLooks()
{
    QFETCH(QString, name);
    QFETCH(int, openMouth);
    QFETCH(int, teeth);
    const QImage dealer = load(name);
    QVERIFY(!dealer.isNull());
    // Cream at the top shading to aquamarine at the bottom.
    const QColor top = dealer.pixelColor(2, 2);
    QVERIFY2(top.red() >= 240 && top.green() >= 230 && top.blue() <= 230 &&
                 top.red() - top.blue() >= 25,
             qPrintable(top.name()));
    const QColor low = dealer.pixelColor(2, 92);
    QVERIFY2(low.green() - low.red() >= 50 && low.blue() - low.red() >= 30, qPrintable(low.name()));
    // Black hair, a blue shirt, heavy black outlines.
    QVERIFY(darkInk(dealer.pixelColor(45, 10)));
    const QColor shirt = dealer.pixelColor(8, 116);
    QVERIFY2(shirt.blue() - shirt.red() >= 100 && shirt.blue() - shirt.green() >= 60,
             qPrintable(shirt.name()));
    QVERIFY(share(dealer, darkInk) > 0.12);

    // The mouth: closed, an open O, or a grin full of teeth.
    const QRect mouth(32, 62, 28, 16);
    const ColourTest throat = [](const QColor &c) {
        return c.red() >= 60 && c.red() <= 160 && c.green() <= 50 && c.blue() <= 60;
    };
    const ColourTest tooth = [](const QColor &c) { return c.lightness() >= 235; };
    if (openMouth > 0)
        QVERIFY(count(dealer, throat, mouth) >= openMouth);
    else
        QCOMPARE(count(dealer, throat, mouth), 0);
    if (teeth > 0)
        QVERIFY(count(dealer, tooth, mouth) >= teeth);
    else
        QCOMPARE(count(dealer, tooth, mouth), 0);
}

void tst_Pictures::fannedCards_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("About picture") << "about";
    QTest::newRow("card table icon") << "icon_cards";
    QTest::newRow("splash icon") << "icon_cards2";
}

void tst_Pictures::fannedCards()
{
    QFETCH(QString, name);
    const QImage icon = load(name);
    QVERIFY(!icon.isNull());
    const int n = icon.width();
    // A sunken dark-green square: black at the top and left, dark grey at the bottom and right.
    const ColourTest darkGrey = [](const QColor &c) {
        return c.red() == c.green() && c.green() == c.blue() && c.red() >= 48 && c.red() <= 136;
    };
    for (int i = 0; i < n - 1; ++i) {
        QVERIFY2(pureBlack(icon.pixelColor(i, 0)), qPrintable(QString("top edge at %1").arg(i)));
        QVERIFY2(pureBlack(icon.pixelColor(0, i)), qPrintable(QString("left edge at %1").arg(i)));
    }
    for (int i = 1; i < n; ++i) {
        QVERIFY2(darkGrey(icon.pixelColor(i, n - 1)), qPrintable(QString("bottom at %1").arg(i)));
        QVERIFY2(darkGrey(icon.pixelColor(n - 1, i)), qPrintable(QString("right at %1").arg(i)));
    }
    const ColourTest green = [](const QColor &c) { return is(c, 0, 127, 0); };
    QVERIFY(green(icon.pixelColor(2, 2)));
    QVERIFY(green(icon.pixelColor(n - 3, n - 3)));
    QVERIFY(share(icon, green) >= 0.25);
    // Three cards: white faces with black and red marks.
    const QRect inside = icon.rect().adjusted(1, 1, -1, -1);
    const ColourTest light = [](const QColor &c) { return c.lightness() >= 220; };
    QVERIFY(share(icon, light, inside) >= 0.1);
    QVERIFY(count(icon, redInk, inside) >= n / 2);
    QVERIFY(count(icon, darkInk, QRect(1, 1, n / 3, n - 2)) >= n / 4);
    // The front card leans right: its red ace fills the right side more than the left.
    QVERIFY(count(icon, redInk, QRect(n / 2, 1, n / 2 - 1, n - 2)) >
            count(icon, redInk, QRect(1, 1, n / 2 - 1, n - 2)));
}

void tst_Pictures::splashIconDiffersInAFewLightPixels()
{
    const QImage first = load("icon_cards").convertToFormat(QImage::Format_RGB32);
    const QImage second = load("icon_cards2").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!first.isNull() && !second.isNull());
    const QList<QPoint> diff = differences(first, second);
    QVERIFY2(diff.size() >= 3 && diff.size() <= 10, qPrintable(QString::number(diff.size())));
    for (QPoint p : diff) {
        const QColor a = first.pixelColor(p);
        const QColor b = second.pixelColor(p);
        QVERIFY2(
            a.lightness() >= 200 && b.lightness() >= 200,
            qPrintable(
                QString("%1,%2: %3 against %4").arg(p.x()).arg(p.y()).arg(a.name(), b.name())));
    }
}

void tst_Pictures::portraitIcon()
{
    const QImage icon = load("icon_portrait");
    QVERIFY(!icon.isNull());
    for (QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        QVERIFY(pureBlack(icon.pixelColor(corner)));
    // Yellow marks on the forehead and on both cheeks.
    const ColourTest yellow = [](const QColor &c) {
        return c.red() >= 230 && c.green() >= 200 && c.blue() <= 60;
    };
    QVERIFY(count(icon, yellow, QRect(11, 6, 10, 7)) >= 1);
    QVERIFY(count(icon, yellow, QRect(8, 14, 8, 8)) >= 1);
    QVERIFY(count(icon, yellow, QRect(16, 14, 8, 8)) >= 1);
    // Red lips under the cheeks, dark hair above the face.
    QVERIFY(count(icon, redInk, QRect(12, 19, 8, 5)) >= 4);
    const ColourTest hair = [](const QColor &c) {
        return c.lightness() < 80 && !is(c, 0, 0, 0) && c.red() >= c.blue();
    };
    QVERIFY(count(icon, hair, QRect(6, 2, 20, 8)) >= 40);
}

void tst_Pictures::appIcon_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::newRow("32") << "app_icon" << 32;
    QTest::newRow("64, for scaled screens") << "app_icon@2x" << 64;
}

void tst_Pictures::appIcon()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    const QImage icon = load(name);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(size, size));
    // A teal field, black at the top and left, grey at the bottom and right.
    const ColourTest teal = [](const QColor &c) { return is(c, 0, 128, 128); };
    const ColourTest grey = [](const QColor &c) { return is(c, 128, 128, 128); };
    for (int i = 0; i < size * 7 / 8; ++i) {
        QVERIFY(pureBlack(icon.pixelColor(i, 0)));
        QVERIFY(pureBlack(icon.pixelColor(0, i)));
    }
    for (int i = size / 8; i < size; ++i) {
        QVERIFY(grey(icon.pixelColor(i, size - 1)));
        QVERIFY(grey(icon.pixelColor(size - 1, i)));
    }
    QVERIFY(share(icon, teal) >= 0.3);
    // Three cards standing side by side; the middle one stands lower.
    auto unit = [size](double v) { return int(v * size / 32.0); };
    const QRect left(unit(2), unit(7), unit(9), unit(14));
    const QRect middle(unit(11), unit(11), unit(9), unit(14));
    const QRect right(unit(20), unit(7), unit(9), unit(14));
    const ColourTest light = [](const QColor &c) { return c.lightness() >= 200; };
    for (const QRect &card : {left, middle, right})
        QVERIFY(share(icon, light, card) >= 0.3);
    QVERIFY(teal(icon.pixelColor(unit(15.5), unit(8))));
    QVERIFY(!teal(icon.pixelColor(unit(15.5), unit(23))));
    // A black spade on the left card, red pips on the other two.
    auto pipOf = [&](const QRect &card) {
        return card.adjusted(unit(1), unit(2), -unit(1), -unit(2));
    };
    QVERIFY(count(icon, darkInk, pipOf(left)) >= size / 3);
    QCOMPARE(count(icon, redInk, left), 0);
    QVERIFY(count(icon, redInk, pipOf(middle)) >= size / 3);
    QVERIFY(count(icon, redInk, pipOf(right)) >= size / 3);
}

void tst_Pictures::stockPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("images");
    QTest::newRow("spin up") << "spin_up" << 1;
    QTest::newRow("spin down") << "spin_down" << 1;
    QTest::newRow("bkAll") << "bball" << 2;
    QTest::newRow("bkNo") << "bbno" << 2;
}

void tst_Pictures::stockPictures()
{
    QFETCH(QString, name);
    QFETCH(int, images);
    const QImage picture = load(name);
    QVERIFY(!picture.isNull());
    // Olive is the transparent colour: it is the colour of the bottom-left pixel.
    QVERIFY(olive(picture.pixelColor(0, picture.height() - 1)));
    QVERIFY(share(picture, olive) >= 0.4);
    if (images == 1)
        return;

    // Two images side by side: the normal one in colour, the disabled one as grey and white
    // relief of the same shape.
    const int w = picture.width() / 2;
    const int h = picture.height();
    const ColourTest coloured = [](const QColor &c) { return c.saturation() > 0 && !olive(c); };
    const ColourTest relief = [](const QColor &c) {
        return is(c, 128, 128, 128) || is(c, 255, 255, 255) || olive(c);
    };
    QVERIFY(count(picture, coloured, QRect(0, 0, w, h)) >= 30);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QColor normal = picture.pixelColor(x, y);
            const QColor disabled = picture.pixelColor(w + x, y);
            QVERIFY2(relief(disabled),
                     qPrintable(QString("%1,%2 is %3").arg(w + x).arg(y).arg(disabled.name())));
            QVERIFY2(is(disabled, 128, 128, 128) == !olive(normal),
                     qPrintable(QString("relief does not match the shape at %1,%2").arg(x).arg(y)));
        }
    }
    if (name == "bball") {
        const ColourTest light = [](const QColor &c) { return is(c, 0, 255, 0); };
        const ColourTest dark = [](const QColor &c) { return is(c, 0, 128, 0); };
        const ColourTest navy = [](const QColor &c) { return is(c, 0, 0, 128); };
        QVERIFY(count(picture, light, QRect(0, 0, w, h)) >= 15);
        QVERIFY(count(picture, dark, QRect(0, 0, w, h)) >= 15);
        QVERIFY(count(picture, navy, QRect(0, 0, w, h)) >= 8);
        // The tick: low on the left, high on the right.
        QVERIFY(count(picture, coloured, QRect(0, 0, w / 2, h / 3)) == 0);
        QVERIFY(count(picture, coloured, QRect(w / 2, 0, w / 2, h / 3)) > 0);
    } else {
        const ColourTest red = [](const QColor &c) { return is(c, 255, 0, 0); };
        const ColourTest maroon = [](const QColor &c) { return is(c, 128, 0, 0); };
        QVERIFY(count(picture, red, QRect(0, 0, w, h)) >= 40);
        QVERIFY(count(picture, maroon, QRect(0, 0, w, h)) >= 10);
        // A ring: coloured around the edge, with the bar crossing the middle.
        for (QPoint p : {QPoint(8, 1), QPoint(1, 8), QPoint(15, 9), QPoint(9, 15), QPoint(8, 8)})
            QVERIFY2(coloured(picture.pixelColor(p)),
                     qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        QVERIFY(olive(picture.pixelColor(5, 11)));
        QVERIFY(olive(picture.pixelColor(11, 5)));
    }
}

void tst_Pictures::spinArrows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("up");
    QTest::newRow("up") << "spin_up" << true;
    QTest::newRow("down") << "spin_down" << false;
}

void tst_Pictures::spinArrows()
{
    QFETCH(QString, name);
    QFETCH(bool, up);
    const QImage arrow = load(name);
    QVERIFY(!arrow.isNull());
    // A black triangle, centred, whose rows widen towards its base.
    QList<int> widths;
    for (int y = 0; y < arrow.height(); ++y) {
        int first = -1;
        int last = -1;
        for (int x = 0; x < arrow.width(); ++x) {
            const QColor c = arrow.pixelColor(x, y);
            QVERIFY(pureBlack(c) || olive(c));
            if (pureBlack(c)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first < 0)
            continue;
        QCOMPARE(first + last, arrow.width() - 1);
        QCOMPARE(count(arrow, pureBlack, QRect(0, y, arrow.width(), 1)), last - first + 1);
        widths.append(last - first + 1);
    }
    QVERIFY(widths.size() >= 3);
    for (int i = 1; i < widths.size(); ++i)
        QVERIFY(up ? widths[i] > widths[i - 1] : widths[i] < widths[i - 1]);
    QCOMPARE(up ? widths.first() : widths.last(), 1);
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
