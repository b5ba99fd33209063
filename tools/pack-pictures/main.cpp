// Decodes the skin's pictures when the program is built and writes them as C++ arrays in the layout that a window's
// pixmap holds them in, so that a start-up decodes no JPEG or icon. Each picture is checked to come back from the
// arrays pixel for pixel as the toolkit shows the shipped file.
// Usage: pack-pictures <output.cpp> <picture>...
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>

namespace {

// Every byte as a three-digit octal escape: unlike a hex escape it cannot swallow the digit after it.
QByteArray literal(const uchar* bits, qsizetype size)
{
    QByteArray text;
    text.reserve(size * 4 + size / 16);
    constexpr qsizetype perLine = 32;
    for (qsizetype i = 0; i < size; ++i) {
        if (i % perLine == 0)
            text += i == 0 ? "    \"" : "\"\n    \"";
        const uchar b = bits[i];
        const char escape[] = {'\\', char('0' + (b >> 6)), char('0' + ((b >> 3) & 7)), char('0' + (b & 7))};
        text.append(escape, 4);
    }
    text += '"';
    return text;
}

int fail(const QString& text)
{
    std::fprintf(stderr, "pack-pictures: %s\n", text.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Pixmaps need a display connection; the offscreen one lays out pixels as the windows' raster does.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return fail(QStringLiteral("usage: pack-pictures <output.cpp> <picture>..."));

    QByteArray arrays;
    QByteArray table;
    for (int i = 2; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        const QPixmap shipped(path);
        if (shipped.isNull())
            return fail(QStringLiteral("cannot read %1").arg(path));
        const QImage decoded = shipped.toImage();
        // A picture without transparency keeps three bytes a pixel, not four: the background alone is a quarter of a
        // megabyte less in memory, and the pixmap takes the format as it is (the runtime asks for no conversion).
        const QImage shown = decoded.hasAlphaChannel() ? decoded : decoded.convertToFormat(QImage::Format_RGB888);
        if (shown.convertToFormat(decoded.format()) != decoded)
            return fail(QStringLiteral("%1 loses colours in three bytes a pixel").arg(path));
        // The runtime wraps the arrays without copying and makes a pixmap of them: it must be the same picture.
        const QImage wrapped(shown.constBits(), shown.width(), shown.height(), shown.bytesPerLine(), shown.format());
        const QImage again = QPixmap::fromImage(wrapped, Qt::NoFormatConversion).toImage();
        if (again.format() != shown.format() || again != shown)
            return fail(QStringLiteral("%1 does not come back as it was decoded").arg(path));

        const QByteArray name = QFileInfo(path).fileName().toUtf8();
        arrays += "alignas(16) const unsigned char bits" + QByteArray::number(i - 2) + "[] =\n" +
                  literal(shown.constBits(), shown.sizeInBytes()) + ";\n\n";
        table += "    {\"" + name + "\", " + QByteArray::number(shown.width()) + ", " +
                 QByteArray::number(shown.height()) + ", " + QByteArray::number(shown.bytesPerLine()) + ", " +
                 QByteArray::number(int(shown.format())) + ", " + QByteArray::number(shown.dotsPerMeterX()) + ", " +
                 QByteArray::number(shown.dotsPerMeterY()) + ", bits" + QByteArray::number(i - 2) + "},\n";
    }

    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    out.write("// Made by pack-pictures from resources/images when the program is built.\n"
              "#include \"forms/pictures.h\"\n\nnamespace pictures {\n\nnamespace {\n\n" +
              arrays + "} // namespace\n\nconst Picture table[] = {\n" + table +
              "};\nconst int tableSize = " + QByteArray::number(argc - 2) + ";\n\n} // namespace pictures\n");
    return out.flush() ? 0 : fail(QStringLiteral("cannot write %1").arg(out.fileName()));
}
