// The pictures on a screen at 150 % or 200 % (run with QT_SCALE_FACTOR): the twice-size pictures, at the designed
// places, and as sharp on screen as a reference drawn at that size.
#include "support/tempdb.h"
#include "support/windows.h"

#include <QLabel>
#include <QtTest>
#include <cmath>

namespace {

// The file's pixels (the toolkit marks an @2x file as twice the size; compared here pixel for pixel).
QImage shipped(const QString& file)
{
    QImage image =
        QImage(QStringLiteral(TEVU_SOURCE_DIR "/resources/images/") + file).convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    return image;
}

// The edges' strength: the summed brightness steps between neighbours, per pixel.
double sharpness(const QImage& image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y + 1 < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        const uchar* below = grey.constScanLine(y + 1);
        for (int x = 0; x + 1 < grey.width(); ++x)
            sum += std::abs(row[x + 1] - row[x]) + std::abs(below[x] - row[x]);
    }
    return sum / (grey.width() * grey.height());
}

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!(qApp->devicePixelRatio() > 1))
            QSKIP("run with QT_SCALE_FACTOR above 1");
    }

    void everyPictureIsTheTwiceSizeFileInItsPlace_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        const struct {
            const char* control;
            const char* file;
            QSize size;
        } rows[] = {{"Image1", "background@2x.jpg", {600, 335}}, {"Image3", "minimize@2x.png", {19, 18}},
                    {"Image4", "close@2x.png", {19, 18}},        {"Image5", "recipes@2x.png", {32, 32}},
                    {"Image11", "curve@2x.png", {32, 32}},       {"Image2", "previous@2x.jpg", {26, 25}},
                    {"Image15", "ok@2x.jpg", {26, 25}},          {"about", "about@2x.jpg", {349, 224}}};
        for (const auto& row : rows)
            QTest::newRow(row.control) << QString::fromLatin1(row.control) << QString::fromLatin1(row.file) << row.size;
    }

    void everyPictureIsTheTwiceSizeFileInItsPlace()
    {
        QFETCH(QString, control);
        QFETCH(QString, file);
        QFETCH(QSize, size);
        TempDatabase db;
        Windows w(db.folder());
        auto* picture = qobject_cast<QLabel*>(control == QStringLiteral("about")
                                                  ? w.about->findChild<QWidget*>(QStringLiteral("Image1"))
                                                  : w.find(control));
        QVERIFY(picture);
        const QPixmap shown = picture->pixmap();
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        QCOMPARE(shown.deviceIndependentSize().toSize(), size);
        QCOMPARE(picture->size(), size);
        QImage pixels = shown.toImage().convertToFormat(QImage::Format_RGB32);
        pixels.setDevicePixelRatio(1);
        QCOMPARE(pixels, shipped(file));
    }

    // The skin on screen has the edges of the skin drawn at the screen's size, not those of the small one enlarged.
    void theSkinIsAsSharpAsAReferenceDrawnAtItsSize()
    {
        TempDatabase db;
        Windows w(db.folder());
        const QImage screen = w.main->grab().toImage();
        const QSize device = screen.size();
        QCOMPARE(device, (QSize(600, 335) * qApp->devicePixelRatio()));
        const QImage reference = shipped(QStringLiteral("background@2x.jpg"))
                                     .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage enlarged =
            shipped(QStringLiteral("background.jpg")).scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // The title banner: text, stitching and edges, and no control over it. The small picture enlarged, smoothly
        // or pixel by pixel, has a fifth to a tenth less of the edges than the reference.
        const qreal ratio = qApp->devicePixelRatio();
        const QRect banner(QPoint(248, 0) * ratio, QSize(137, 33) * ratio);
        const double shown = sharpness(screen.copy(banner));
        const double sharp = sharpness(reference.copy(banner));
        const double soft = sharpness(enlarged.copy(banner));
        QVERIFY2(shown >= 0.97 * sharp && sharp > soft,
                 qPrintable(QStringLiteral("on screen %1, reference %2, enlarged %3").arg(shown).arg(sharp).arg(soft)));
    }
};

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
