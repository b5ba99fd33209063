// The start-up floor: a bare Qt program that shows one empty window of the main window's size. With --text the
// window shows one line of Chinese text as well, which tells how much of a start-up is text rendering alone.
#include <QApplication>
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
        auto* label = new QLabel(QStringLiteral("瘦身食谱"), &window);
        label->move(123, 73);
    }
    window.show();
    return app.exec();
}
