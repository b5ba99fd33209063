// make-artwork: paints the pictures of resources/images and checks what it wrote.
#include "controls.h"
#include "icowriter.h"
#include "layout.h"
#include "mascot.h"
#include "scene.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QTextStream>

#include <array>
#include <cstdio>

namespace {

using namespace artwork;

struct IconJob {
    const char* file;
    Pose pose;
};

const std::array<IconJob, 7> featureIcons{{
    {"recipes.ico", Pose::Recipes},
    {"exercises.ico", Pose::Exercises},
    {"tips.ico", Pose::Tips},
    {"diary.ico", Pose::Diary},
    {"calorie.ico", Pose::Calorie},
    {"plan.ico", Pose::Plan},
    {"curve.ico", Pose::Curve},
}};

const std::array<const char*, 7> captions{"瘦身食谱", "瘦身运动", "瘦身秘笈", "瘦身日记",
                                          "热量计算", "瘦身计划", "瘦身曲线"};

struct RoundJob {
    const char* file;
    RoundButton kind;
};

const std::array<RoundJob, 4> roundButtons{{
    {"previous.jpg", RoundButton::Previous},
    {"next.jpg", RoundButton::Next},
    {"new.jpg", RoundButton::New},
    {"ok.jpg", RoundButton::Ok},
}};

// Pixels of an icon at least this opaque are kept; the rest fall under the transparency mask.
constexpr int iconAlphaThreshold = 80;

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

bool saveJpeg(const QImage& image, const QString& path, int quality)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        err() << "cannot write " << path << ": " << writer.errorString() << Qt::endl;
        return false;
    }
    return true;
}

bool saveBmp24(const QImage& image, const QString& path)
{
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
        err() << "cannot write " << path << Qt::endl;
        return false;
    }
    return true;
}

QImage renderMascot(Pose pose, int size, int scale = 1)
{
    QImage icon(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
    icon.setDevicePixelRatio(scale);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    paintMascot(p, QRectF(0, 0, size, size), pose);
    return icon;
}

// Flattens the soft edge of an icon onto the background it will sit on, keeping a hard mask.
QImage flattenOnto(const QImage& icon, const QImage& background, const QPoint& where)
{
    const QPoint at = where * icon.devicePixelRatio();
    QImage flat = background.copy(QRect(at, icon.size())).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, icon);
    }
    flat = flat.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            if (qAlpha(icon.pixel(x, y)) < iconAlphaThreshold)
                flat.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    return flat;
}

int readLe16(const QByteArray& bytes, int offset)
{
    if (bytes.size() < offset + 2)
        return -1;
    return static_cast<unsigned char>(bytes[offset]) | (static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

// Loads a written file back and checks its size and, where it has one, the colour depth in its header.
bool verify(const QString& path, const QSize& size, int bits)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err() << path << ": cannot read back" << Qt::endl;
        return false;
    }
    const QByteArray bytes = file.readAll();
    const QImage image(path);
    bool ok = !image.isNull() && image.size() == size;
    QString depth = QStringLiteral("-");
    if (path.endsWith(QLatin1String(".ico"))) {
        const int entryBits = readLe16(bytes, 12);
        const int headerBits = readLe16(bytes, 22 + 14);
        depth = QString::number(headerBits);
        ok = ok && entryBits == bits && headerBits == bits;
        // the corners must be see-through
        ok = ok && qAlpha(image.pixel(0, 0)) == 0 && qAlpha(image.pixel(size.width() - 1, 0)) == 0;
    } else if (path.endsWith(QLatin1String(".bmp"))) {
        const int headerBits = readLe16(bytes, 28);
        depth = QString::number(headerBits);
        ok = ok && bytes.startsWith("BM") && headerBits == bits;
    } else {
        ok = ok && bytes.startsWith("\xff\xd8");
    }
    QTextStream out(stdout);
    out << (ok ? "ok    " : "WRONG ") << QFileInfo(path).fileName().leftJustified(16) << image.width() << "x"
        << image.height() << "  bits " << depth << "  " << bytes.size() << " bytes" << Qt::endl;
    return ok;
}

bool checkFonts()
{
    bool ok = true;
    for (const QFont& font : {chineseFont(12), latinFont(12)}) {
        const QFontInfo info(font);
        if (info.family() != font.family()) {
            err() << "font " << font.family() << " is missing (got " << info.family() << ")" << Qt::endl;
            ok = false;
        }
    }
    return ok;
}

// Puts the pictures together the way the main window and the About window show them, for a look by eye.
QImage composePreview(const QDir& dir)
{
    using namespace layout;
    QImage window(dir.filePath(QStringLiteral("background.jpg")));
    window = window.convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&window);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.drawImage(minimizeButton.topLeft(), QImage(dir.filePath(QStringLiteral("minimize.bmp"))));
        p.drawImage(closeButton.topLeft(), QImage(dir.filePath(QStringLiteral("close.bmp"))));
        QFont caption = chineseFont(11);
        p.setFont(caption);
        for (std::size_t i = 0; i < featureIcons.size(); ++i) {
            p.drawImage(QPoint(iconX[i], iconY), QImage(dir.filePath(QString::fromLatin1(featureIcons[i].file))));
            p.setPen(QColor(0x80, 0x00, 0x80));
            p.drawText(QRect(QPoint(captionX[i], captionY), captionSize), Qt::AlignCenter,
                       QString::fromUtf8(captions[i]));
        }
        p.setFont(chineseFont(12));
        p.setPen(QColor(0x00, 0x80, 0x00));
        p.drawText(messageLine, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("今天也要加油哦！已记录 3 条日记"));
        for (std::size_t i = 0; i < roundButtons.size(); ++i) {
            p.drawImage(QPoint(roundButtonX[i], roundButtonY),
                        QImage(dir.filePath(QString::fromLatin1(roundButtons[i].file))));
        }
        p.setPen(QColor(0xa0, 0xa0, 0xa0));
        p.setBrush(Qt::white);
        p.drawRect(textBox.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        p.drawText(textBox.adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QStringLiteral("早餐：燕麦牛奶一杯，煮鸡蛋一个。\n午餐：糙米饭半碗，清炒西兰花，"
                                  "清蒸鱼。\n晚餐：蔬菜沙拉，玉米一根。"));
    }
    QImage about(dir.filePath(QStringLiteral("about.jpg")));
    about = about.convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&about);
        p.setFont(latinFont(18, true));
        p.setPen(QColor(0x00, 0x80, 0x00));
        p.drawText(aboutLabel, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tevu"));
    }

    const int margin = 20;
    QImage sheet(1240, 1260, QImage::Format_RGB32);
    sheet.fill(QColor(0x60, 0x60, 0x66));
    QPainter p(&sheet);
    p.drawImage(margin, margin, window.scaled(window.size() * 2));
    const int row2 = margin * 2 + windowSize.height() * 2;
    p.drawImage(margin, row2, about.scaled(about.size() * 2));
    QStringList big;
    for (const IconJob& job : featureIcons)
        big << QString::fromLatin1(job.file);
    big << QStringLiteral("tevu.ico");
    for (int i = 0; i < big.size(); ++i) {
        const QImage icon(dir.filePath(big[i]));
        const QPoint at(760 + (i % 3) * 150, row2 + (i / 3) * 150);
        p.fillRect(QRect(at, QSize(128, 128)), i % 2 == 0 ? QColor(0xfd, 0xf2, 0xf6) : QColor(0x40, 0x40, 0x48));
        p.drawImage(at, icon.scaled(128, 128));
    }
    int x = 760;
    for (const char* name : {"minimize.bmp", "close.bmp", "previous.jpg", "next.jpg", "new.jpg", "ok.jpg"}) {
        const QImage button(dir.filePath(QString::fromLatin1(name)));
        p.drawImage(x, row2 + 3 * 150, button.scaled(button.size() * 3));
        x += button.width() * 3 + 6;
    }
    return sheet;
}

} // namespace

// The window's pictures painted at twice the size, for a screen at 150 % or 200 %: named <name>@2x, the buttons and
// icons as PNG (lossless, with the icons' transparency).
bool writeDoubleSize(const QDir& dir)
{
    using namespace layout;
    constexpr int scale = 2;
    const auto at = [&dir](const QString& name) { return dir.filePath(name); };
    const auto doubled = [](const char* file, const char* extension) {
        return QString::fromLatin1(file).section(u'.', 0, 0) + QStringLiteral("@2x.") + QLatin1String(extension);
    };
    const auto scaled = [](const QRect& rect) { return QRect(rect.topLeft() * scale, rect.size() * scale); };
    const auto savePng = [](const QImage& image, const QString& path) {
        if (image.save(path, "PNG"))
            return true;
        err() << "cannot write " << path << Qt::endl;
        return false;
    };
    bool ok = true;
    const QImage background = paintBackground(scale);
    ok = saveJpeg(background, at(QStringLiteral("background@2x.jpg")), 92) && ok;
    const std::array<std::pair<const char*, WindowButton>, 2> windowButtons{
        {{"minimize.bmp", WindowButton::Minimize}, {"close.bmp", WindowButton::Close}}};
    const std::array<QRect, 2> windowButtonRects{minimizeButton, closeButton};
    for (std::size_t i = 0; i < windowButtons.size(); ++i) {
        QImage button = background.copy(scaled(windowButtonRects[i]));
        paintWindowButton(button, windowButtons[i].second);
        ok = savePng(button.convertToFormat(QImage::Format_RGB888), at(doubled(windowButtons[i].first, "png"))) && ok;
    }
    for (std::size_t i = 0; i < roundButtons.size(); ++i) {
        QImage button = background.copy(scaled(QRect(QPoint(roundButtonX[i], roundButtonY), roundButtonSize)));
        paintRoundButton(button, roundButtons[i].kind);
        ok = saveJpeg(button, at(doubled(roundButtons[i].file, "jpg")), 95) && ok;
    }
    for (std::size_t i = 0; i < featureIcons.size(); ++i) {
        const QImage icon = renderMascot(featureIcons[i].pose, iconSize, scale);
        ok =
            savePng(flattenOnto(icon, background, QPoint(iconX[i], iconY)), at(doubled(featureIcons[i].file, "png"))) &&
            ok;
    }
    ok = saveJpeg(paintAbout(scale), at(QStringLiteral("about@2x.jpg")), 92) && ok;
    return ok;
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments().mid(1);
    QString previewPath;
    const qsizetype previewAt = args.indexOf(QStringLiteral("--preview"));
    if (previewAt >= 0 && previewAt + 1 < args.size()) {
        previewPath = args.at(previewAt + 1);
        args.remove(previewAt, 2);
    }
    if (args.size() != 1) {
        err() << "usage: make-artwork <output-folder> [--preview <sheet.png>]" << Qt::endl;
        return 2;
    }
    if (!checkFonts())
        return 1;
    QDir dir(args.first());
    if (!dir.mkpath(QStringLiteral("."))) {
        err() << "cannot create " << dir.path() << Qt::endl;
        return 1;
    }
    auto at = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };

    using namespace layout;
    bool ok = true;
    const QImage background = paintBackground();
    ok = saveJpeg(background, at("background.jpg"), 92) && ok;

    const std::array<std::pair<const char*, WindowButton>, 2> windowButtons{
        {{"minimize.bmp", WindowButton::Minimize}, {"close.bmp", WindowButton::Close}}};
    const std::array<QRect, 2> windowButtonRects{minimizeButton, closeButton};
    for (std::size_t i = 0; i < windowButtons.size(); ++i) {
        QImage button = background.copy(windowButtonRects[i]);
        paintWindowButton(button, windowButtons[i].second);
        ok = saveBmp24(button, at(windowButtons[i].first)) && ok;
    }

    for (std::size_t i = 0; i < roundButtons.size(); ++i) {
        QImage button = background.copy(QRect(QPoint(roundButtonX[i], roundButtonY), roundButtonSize));
        paintRoundButton(button, roundButtons[i].kind);
        ok = saveJpeg(button, at(roundButtons[i].file), 95) && ok;
    }

    QString error;
    for (std::size_t i = 0; i < featureIcons.size(); ++i) {
        const QImage icon = renderMascot(featureIcons[i].pose, iconSize);
        const QImage flat = flattenOnto(icon, background, QPoint(iconX[i], iconY));
        if (!writeIndexedIco(flat, 8, 128, at(featureIcons[i].file), &error)) {
            err() << error << Qt::endl;
            ok = false;
        }
    }
    const QImage face = renderMascot(Pose::Face, 32).convertToFormat(QImage::Format_ARGB32);
    if (!writeIndexedIco(face, 4, 128, at("tevu.ico"), &error)) {
        err() << error << Qt::endl;
        ok = false;
    }

    // The desktop's icon theme takes PNG files in fixed sizes: drawn at each size rather than scaled.
    for (const int size : {48, 128, 256}) {
        const QString name = QStringLiteral("tevu-%1.png").arg(size);
        if (!renderMascot(Pose::Face, size).save(dir.filePath(name), "PNG")) {
            err() << "cannot write " << name << Qt::endl;
            ok = false;
        }
    }

    ok = saveJpeg(paintAbout(), at("about.jpg"), 92) && ok;
    ok = writeDoubleSize(dir) && ok;
    if (!ok)
        return 1;

    ok = verify(at("background.jpg"), windowSize, 0) && ok;
    ok = verify(at("minimize.bmp"), minimizeButton.size(), 24) && ok;
    ok = verify(at("close.bmp"), closeButton.size(), 24) && ok;
    for (const IconJob& job : featureIcons)
        ok = verify(at(job.file), QSize(iconSize, iconSize), 8) && ok;
    ok = verify(at("tevu.ico"), QSize(32, 32), 4) && ok;
    for (const char* name : {"tevu-48.png", "tevu-128.png", "tevu-256.png"})
        ok = QImage(at(name)).width() == QString::fromLatin1(name).mid(5).section(u'.', 0, 0).toInt() && ok;
    for (const RoundJob& job : roundButtons)
        ok = verify(at(job.file), roundButtonSize, 0) && ok;
    ok = verify(at("about.jpg"), aboutSize, 0) && ok;
    ok = verify(at("background@2x.jpg"), windowSize * 2, 0) && ok;
    ok = verify(at("about@2x.jpg"), aboutSize * 2, 0) && ok;
    for (const RoundJob& job : roundButtons)
        ok = verify(
                 dir.filePath(QString::fromLatin1(job.file).replace(QStringLiteral(".jpg"), QStringLiteral("@2x.jpg"))),
                 roundButtonSize * 2, 0) &&
             ok;

    if (!previewPath.isEmpty() && !composePreview(dir).save(previewPath)) {
        err() << "cannot write " << previewPath << Qt::endl;
        ok = false;
    }
    return ok ? 0 : 1;
}
