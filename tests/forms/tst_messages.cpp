// Every message the windows show, on sound and drifted data files: Chinese, with Latin letters only in the names
// that it quotes (files, tables, fields, the text as typed), the dataset's name and Tevu.
#include "support/tempdb.h"
#include "support/windows.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The Latin words of a message outside what it may hold.
QStringList latinWords(QString message)
{
    static const QRegularExpression quoted(QStringLiteral("“[^”]*”"));
    static const QRegularExpression datasetName(QStringLiteral("^ADODataSet\\w*: "));
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]+"));
    message.remove(quoted).remove(datasetName).remove(option).remove(QStringLiteral("Tevu"));
    QStringList words;
    for (const QRegularExpressionMatch& match : latin.globalMatch(message))
        words << match.captured();
    return words;
}

// The shipped schema with one table's definition replaced (or dropped when `columns` is empty), a row in each table.
QString schemaWith(const QString& table, const QString& columns)
{
    QString sql = TempDatabase::standardSchema();
    if (!table.isEmpty()) {
        const QRegularExpression create(
            QStringLiteral("CREATE TABLE %1\\s*\\([^;]*\\);").arg(QRegularExpression::escape(table)));
        sql.replace(create, columns.isEmpty() ? QString() : QStringLiteral("CREATE TABLE %1(%2);").arg(table, columns));
    }
    const QStringList rows{QStringLiteral("INSERT INTO \"02\" VALUES('谷类');"),
                           QStringLiteral("INSERT INTO \"01\" VALUES('谷类','米饭','116');"),
                           QStringLiteral("INSERT INTO sp VALUES('食谱','清蒸鱼');"),
                           QStringLiteral("INSERT INTO yd VALUES('快走','每天');"),
                           QStringLiteral("INSERT INTO xd VALUES('心得','少吃');"),
                           QStringLiteral("INSERT INTO rj VALUES('2026-11-01 07:00:00.000','第一天',130);"),
                           QStringLiteral("INSERT INTO plan VALUES('一');")};
    // Rows of a replaced table go in by position, so that a changed column keeps a value of its kind.
    for (const QString& row : rows)
        sql += table.isEmpty() || !row.contains(QStringLiteral(" %1 ").arg(table)) ? row : QString();
    return sql;
}

} // namespace

class TestMessages : public QObject {
    Q_OBJECT

    // Every picture, every button of the other windows, two bad weights, a paste past the limit and unsaved plan
    // changes: what the reporter and the question boxes said.
    QStringList everythingSaid(const QString& folder)
    {
        Windows w(folder);
        QStringList said;
        const auto record = [&said](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                said << box->text();
                for (const QPushButton* button : box->findChildren<QPushButton*>())
                    said << button->text();
            }
        };
        for (const char* picture : {"Image5", "Image12", "Image2", "Image6", "Image7", "Image8", "Image9"})
            Windows::click(w.button(picture));
        if (auto* tree = w.find<QTreeWidget>("TreeView1"); tree && tree->topLevelItemCount() > 0)
            tree->setCurrentItem(tree->topLevelItem(0)->child(0) ? tree->topLevelItem(0)->child(0)
                                                                 : tree->topLevelItem(0));
        Windows::click(w.button("Image8"));
        for (const char* weight : {"abc", "-5"}) {
            Windows::click(w.button("Image13"));
            w.find<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("走了一万步"));
            w.find<QLineEdit>("Edit1")->setText(QString::fromUtf8(weight));
            Windows::click(w.button("Image15"));
        }
        QApplication::clipboard()->setText(QString(30000, u'贴'));
        w.find<QPlainTextEdit>("Memo1")->paste();
        whileModal([&] { Windows::click(w.button("Image11")); });
        whileModal([&] { Windows::click(w.button("Image10")); },
                   [&](QWidget* plan) {
                       Windows::click(plan->findChild<QPushButton*>("Button1"));
                       w.plan->dayBox(0)->setPlainText(QStringLiteral("改过"));
                       whileModal([&] { Windows::click(plan->findChild<QPushButton*>("Button2")); },
                                  [&](QWidget* box) {
                                      record(box);
                                      for (auto* button : box->findChildren<QPushButton*>())
                                          if (button->text() == QStringLiteral("不保存"))
                                              button->click();
                                  });
                   });
        // The captions too: a caption is read as much as a message. The About window keeps its designed "guanyu".
        for (const QWidget* window : std::initializer_list<const QWidget*>{w.main.get(), w.plan.get(), w.curve.get()})
            said << window->windowTitle();
        return w.reporter.messages + said;
    }

private slots:
    // The check itself finds what it is there to find.
    void theCheckFindsEnglish()
    {
        QCOMPARE(latinWords(QStringLiteral("'abc' is not a valid floating point value")).size(), 8);
        QCOMPARE(latinWords(QStringLiteral("ADODataSet_tevu: Field 'Name' not found")),
                 (QStringList{"Field", "Name", "not", "found"}));
        QVERIFY(latinWords(QStringLiteral("ADODataSet_tevu: 找不到字段“Name”，Tevu 需要 --check")).isEmpty());
    }

    void everyMessageIsChinese_data()
    {
        QTest::addColumn<QString>("sql"); // empty: no data file at all
        QTest::newRow("sound file") << schemaWith({}, {});
        QTest::newRow("no data file") << QString();
        for (const char* table : {"\"02\"", "\"01\"", "sp", "yd", "xd", "rj", "plan"})
            QTest::addRow("table %s dropped", table) << schemaWith(QString::fromUtf8(table), {});
        QTest::newRow("a food without energy") << schemaWith("\"01\"", "Name TEXT, Title TEXT");
        QTest::newRow("articles without titles") << schemaWith("sp", "title TEXT, demo TEXT");
        QTest::newRow("a diary without weights") << schemaWith("rj", "time DATETIME, demo TEXT");
        QTest::newRow("a plan without texts") << schemaWith("plan", "food TEXT");
        QTest::newRow("a weight that is text")
            << schemaWith("rj", "time DATETIME, demo TEXT, lb REAL") +
                   QStringLiteral("INSERT INTO rj VALUES('2026-11-02 07:00:00.000','第二天','很重');");
        QTest::newRow("a time that is none") << schemaWith("rj", "time DATETIME, demo TEXT, lb REAL") +
                                                    QStringLiteral("INSERT INTO rj VALUES('昨天早上','第二天',129);");
    }

    void everyMessageIsChinese()
    {
        QFETCH(QString, sql);
        QTemporaryDir empty;
        const std::unique_ptr<TempDatabase> db = sql.isEmpty() ? nullptr : std::make_unique<TempDatabase>(sql);
        const QStringList said = everythingSaid(db ? db->folder() : empty.path());
        // Two bad weights and the cut paste at least, or the file's own complaint.
        QVERIFY2(said.size() >= 2, qPrintable(said.join(u'\n')));
        for (const QString& message : said)
            QVERIFY2(latinWords(message).isEmpty(), qPrintable(message));
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
