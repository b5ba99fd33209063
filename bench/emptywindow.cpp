// The start-up floor: a bare Qt program that shows one empty window of the main window's size. With --text the
// window shows one line of Chinese text in the program's caption font as well: any window that shows Chinese pays
// for the font system, the CJK font and shaping, so that is the floor that the program is judged against.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv)
{
    const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(600, 335);
    if (withText) {
        // The program's mapping of its design font (app/application.cpp), written out here so that the floor loads
        // none of the program's own libraries.
        QFont::insertSubstitutions(
            QStringLiteral("MS Sans Serif"),
            {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans CJK SC")});
        auto* label = new QLabel(QStringLiteral("瘦身食谱"), &window);
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPixelSize(11);
        label->setFont(font);
        label->move(123, 73);
    }
    window.show();
    return app.exec();
}
