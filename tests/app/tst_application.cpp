// The application frame: the full-stop rule, the error box, the font stand-ins, the icon and the guard.
#include "app/application.h"
#include "data/errors.h"
#include "support/windows.h"

#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void fullStopRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "File not found"
                                << "File not found.";
        QTest::newRow("digit") << "Error 5"
                               << "Error 5.";
        QTest::newRow("colon") << "Reason:"
                               << "Reason:.";
        // A Chinese message ends in a Chinese full stop, added only after a character or a digit.
        QTest::newRow("chinese") << "找不到数据库文件"
                                 << "找不到数据库文件。";
        QTest::newRow("chinese ending in a path") << "无法打开 /x/data.Mdb"
                                                  << "无法打开 /x/data.Mdb。";
        QTest::newRow("chinese ending in a digit") << "要填 100 到 250 之间的数"
                                                   << "要填 100 到 250 之间的数。";
        QTest::newRow("chinese full stop") << "数量“abc”不是数字。"
                                           << "数量“abc”不是数字。";
        QTest::newRow("chinese question") << "确定吗？"
                                          << "确定吗？";
        QTest::newRow("chinese exclamation") << "坚持！"
                                             << "坚持！";
        QTest::newRow("chinese ellipsis") << "正在保存…"
                                          << "正在保存…";
        QTest::newRow("chinese closing parenthesis") << "已保存（本地）"
                                                     << "已保存（本地）";
        QTest::newRow("chinese corner bracket") << "名为「早餐」"
                                                << "名为「早餐」";
        QTest::newRow("closing chinese quote") << "文件“a”"
                                               << "文件“a”";
        QTest::newRow("chinese ending in an ascii stop") << "文件 a.Mdb."
                                                         << "文件 a.Mdb.";
        QTest::newRow("space") << "trailing "
                               << "trailing ";
        QTest::newRow("quote") << "say \"x\""
                               << "say \"x\"";
        QTest::newRow("apostrophe") << "'12kg' is not a valid floating point value'"
                                    << "'12kg' is not a valid floating point value'";
        QTest::newRow("closing parenthesis") << "(x)"
                                             << "(x)";
        QTest::newRow("exclamation") << "Stop!"
                                     << "Stop!";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("comma") << "a,"
                               << "a,";
        QTest::newRow("hyphen") << "a-"
                                << "a-";
        QTest::newRow("empty") << ""
                               << "";
    }

    void fullStopRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(withFullStop(message), shown);
    }

    void theErrorBoxIsModalWithTitleStopIconAndOneButton()
    {
        MessageBoxReporter reporter;
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        qsizetype buttons = 0;
        const bool shown = whileModal([&] { reporter.report(QStringLiteral("找不到数据库文件“/x/data.Mdb”")); },
                                      [&](QWidget* modal) {
                                          auto* box = qobject_cast<QMessageBox*>(modal);
                                          QVERIFY(box);
                                          caption = box->windowTitle();
                                          text = box->text();
                                          icon = box->icon();
                                          buttons = box->buttons().size();
                                          box->button(QMessageBox::Ok)->click();
                                      });
        QVERIFY(shown);
        QCOMPARE(caption, QStringLiteral("Tevu"));
        QCOMPARE(text, QStringLiteral("找不到数据库文件“/x/data.Mdb”"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, 1);
    }

    // The toolkit's own menus and buttons speak Chinese once the application is set up.
    void theToolkitsOwnTextsAreChinese()
    {
        QVERIFY(application::installTranslations(*qApp));
        QLineEdit edit(QStringLiteral("瘦身"));
        edit.selectAll();
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(u'\t', 0, 0);
        QCOMPARE(texts, (QStringList{QStringLiteral("撤消(&U)"), QStringLiteral("重做(&R)"), QStringLiteral("剪切(&T)"),
                                     QStringLiteral("复制(&C)"), QStringLiteral("粘贴(&P)"), QStringLiteral("删除"),
                                     QStringLiteral("全选")}));
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Tevu"), QStringLiteral("x"), QMessageBox::Ok);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    }

    void theGuardReportsEveryKindOfErrorOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("data error") << 0 << "ADODataSet: 找不到字段“x”";
        QTest::newRow("std exception") << 1 << "boom";
        QTest::newRow("out of memory") << 2 << "内存不足，操作没有完成";
        QTest::newRow("anything else") << 3 << "发生未知错误";
    }

    void theGuardReportsEveryKindOfErrorOnce()
    {
        QFETCH(int, kind);
        QFETCH(QString, expected);
        RecordingReporter recorder;
        setReporter(&recorder);
        guarded([&] {
            switch (kind) {
            case 0:
                throw DataError(QStringLiteral("ADODataSet: 找不到字段“x”"));
            case 1:
                throw std::runtime_error("boom");
            case 2:
                throw std::bad_alloc();
            default:
                throw 42;
            }
        });
        setReporter(nullptr);
        QCOMPARE(recorder.messages, QStringList{expected});
    }

    void designedFontsMapToInstalledFaces_data()
    {
        QTest::addColumn<QString>("designed");
        QTest::newRow("MS Sans Serif") << "MS Sans Serif";
        QTest::newRow("Arial") << "Arial";
        QTest::newRow("幼圆") << "幼圆";
    }

    void designedFontsMapToInstalledFaces()
    {
        QFETCH(QString, designed);
        application::installFontSubstitutes();
        QFont font(designed);
        font.setPixelSize(15);
        const QString family = QFontInfo(font).family();
        QVERIFY2(!QFont::substitutes(designed).isEmpty(), qPrintable(designed));
        QVERIFY2(QFont::substitutes(designed).contains(family, Qt::CaseInsensitive), qPrintable(family));
        // Every face shows Chinese: the captions and messages are Chinese.
        QVERIFY(QFontMetrics(font).inFont(QChar(0x7626))); // 瘦
    }

    // The icon is compiled in decoded; every window shows what loading the shipped file gives.
    void theWindowIconIsTheShippedIcon()
    {
        application::setUp(*qApp);
        const QImage shipped(QStringLiteral(TEVU_SOURCE_DIR "/resources/images/tevu.ico"));
        QVERIFY(!shipped.isNull());
        QCOMPARE(QApplication::windowIcon().availableSizes(), QList<QSize>{shipped.size()});
        QCOMPARE(QApplication::windowIcon().pixmap(shipped.size()).toImage(), shipped);
    }
};

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
