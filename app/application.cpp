// The application frame.
#include "app/application.h"

#include "forms/pictures.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

void MessageBoxReporter::report(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QString::fromUtf16(application::title), withFullStop(message),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

namespace application {

void installFontSubstitutes()
{
    const QStringList latin{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("Noto Sans CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), latin);
    QFont::insertSubstitutions(
        QStringLiteral("Arial"),
        {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    QFont::insertSubstitutions(QStringLiteral("幼圆"),
                               {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
}

bool installTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    // qtbase alone: it holds every text of the widgets used here, and qt_zh_CN would load the other modules' too.
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void setUp(QApplication& app)
{
    // The name only: a display name set explicitly is appended by the platform to every other window's caption
    // ("guanyu — Tevu"); unset, it reads as the name for the taskbar all the same.
    app.setApplicationName(QString::fromUtf16(title));
    app.setWindowIcon(QIcon(pictures::pixmap("tevu.ico")));
    installFontSubstitutes();
    if (!installTranslations(app))
        qWarning("Tevu：没有找到 Qt 的简体中文翻译（软件包 qt6-translations-l10n），菜单和按钮将显示英文");
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace application
