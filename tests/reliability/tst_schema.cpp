// Tables drifted from what the program expects: each view says what is missing, and what fails writes nothing.
#include "support.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace reliability;

namespace {

// The program's tables, each with a few rows.
struct Table {
    QString name;
    QString rows;
};

QList<Table> standardTables()
{
    return {
        {QStringLiteral("\"02\""), QStringLiteral("('谷类'),('蔬菜')")},
        {QStringLiteral("\"01\""), QStringLiteral("('谷类','米饭','116'),('蔬菜','黄瓜','16')")},
        {QStringLiteral("sp"), QStringLiteral("('食谱一','清蒸鱼'),('食谱二','凉拌菜')")},
        {QStringLiteral("yd"), QStringLiteral("('快走','每天一小时')")},
        {QStringLiteral("xd"), QStringLiteral("('心得','少吃多动')")},
        {QStringLiteral("rj"),
         QStringLiteral("('2026-11-01 07:00:00.000','第一天',130),('2026-11-02 07:00:00.000','第二天',129.5)")},
        {QStringLiteral("plan"), QStringLiteral("('一'),('二'),('三'),('四'),('五'),('六'),('日')")},
    };
}

// The shipped schema with one table given new columns and rows, or left out when `columns` is empty.
QString schemaWith(const QString& table, const QString& columns, const QString& rows)
{
    const QRegularExpression create(
        QStringLiteral("CREATE TABLE %1\\s*\\([^;]*\\);").arg(QRegularExpression::escape(table)));
    QString sql = TempDatabase::standardSchema();
    if (!create.match(sql).hasMatch())
        qFatal("resources/content/schema.sql creates no table %s", qPrintable(table));
    sql.replace(create, columns.isEmpty() ? QString() : QStringLiteral("CREATE TABLE %1(%2);").arg(table, columns));
    for (const Table& t : standardTables()) {
        const QString values = t.name == table ? rows : t.rows;
        if (!values.isEmpty())
            sql += QStringLiteral("INSERT INTO %1 VALUES %2;").arg(t.name, values);
    }
    return sql;
}

enum Save { None = 0, DiaryFails = 1, PlanFails = 2 };

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useProgramLocale();
        saveUnlikelyWeightsWithoutAsking();
    }

    void eachViewSaysWhatIsMissingAndFailedSavesWriteNothing_data()
    {
        QTest::addColumn<QString>("sql");
        // What every message of this file must say: the missing table, or the field in the dataset's own words.
        QTest::addColumn<QStringList>("fragments");
        QTest::addColumn<int>("failingSaves");

        for (const Table& t : standardTables()) {
            const QString bare = QString(t.name).remove(u'"');
            const int saves = bare == QLatin1String("rj")     ? DiaryFails
                              : bare == QLatin1String("plan") ? PlanFails
                                                              : None;
            QTest::addRow("table %s dropped", qPrintable(bare))
                << schemaWith(t.name, QString(), QString()) << QStringList{QStringLiteral("中没有表“%1”").arg(bare)}
                << saves;
        }
        const auto field = [](const char* name) { return QStringLiteral("找不到字段“%1”").arg(QLatin1String(name)); };
        const QString fieldName = field("Name");
        QTest::newRow("02.Name missing") << schemaWith("\"02\"", "Title TEXT", "('谷类')") << QStringList{fieldName}
                                         << 0;
        QTest::newRow("01.Name missing") << schemaWith("\"01\"", "Title TEXT, sz TEXT", "('米饭','116')")
                                         << QStringList{fieldName} << 0;
        QTest::newRow("01.Title missing")
            << schemaWith("\"01\"", "Name TEXT, sz TEXT", "('谷类','116')") << QStringList{field("Title")} << 0;
        QTest::newRow("01.sz missing") << schemaWith("\"01\"", "Name TEXT, Title TEXT", "('谷类','米饭')")
                                       << QStringList{field("sz")} << 0;
        for (const char* table : {"sp", "yd", "xd"}) {
            QTest::addRow("%s.Name missing", table)
                << schemaWith(QLatin1String(table), "title TEXT, demo TEXT", "('a','b')") << QStringList{fieldName}
                << 0;
            QTest::addRow("%s.demo missing", table)
                << schemaWith(QLatin1String(table), "Name TEXT, body TEXT", "('a','b')") << QStringList{field("demo")}
                << 0;
        }
        QTest::newRow("rj.time missing") << schemaWith("rj", "demo TEXT, lb REAL", "('第一天',130)")
                                         << QStringList{field("time"), field("Time")} << int(DiaryFails);
        QTest::newRow("rj.demo missing") << schemaWith("rj", "time DATETIME, lb REAL",
                                                       "('2026-11-01 07:00:00.000',130)")
                                         << QStringList{field("demo")} << int(DiaryFails);
        QTest::newRow("rj.lb missing") << schemaWith("rj", "time DATETIME, demo TEXT",
                                                     "('2026-11-01 07:00:00.000','第一天')")
                                       << QStringList{field("lb")} << int(DiaryFails);
        QTest::newRow("plan.foodsport missing")
            << schemaWith("plan", "food TEXT", "('一')") << QStringList{field("foodsport")} << int(PlanFails);
        // Values of the wrong kind: read as far as they go, then named with the field.
        QTest::newRow("rj.lb holds text")
            << schemaWith("rj", "time DATETIME, demo TEXT, lb REAL", "('2026-11-01 07:00:00.000','第一天','很重')")
            << QStringList{QStringLiteral("字段“lb”的值“很重”不是有效的数字")} << 0;
        QTest::newRow("rj.time holds garbage")
            << schemaWith("rj", "time DATETIME, demo TEXT, lb REAL",
                          "('昨天早上','第一天',130),(x'00ff10','第二天',129)")
            << QStringList{QStringLiteral("字段“time”的值“昨天早上”不是有效的日期时间")} << 0;
    }

    void eachViewSaysWhatIsMissingAndFailedSavesWriteNothing()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, fragments);
        QFETCH(int, failingSaves);
        TempDatabase db(sql);
        const Snapshot original = snapshot(db.path());
        Windows w(db.folder());
        QVERIFY(w.main->isVisible());
        // Every view and window that reads, as a user would open them.
        for (const char* name : {"Image5", "Image12", "Image6", "Image12", "Image7", "Image8", "Image9"})
            Windows::click(w.button(QLatin1String(name)));
        auto* tree = w.find<QTreeWidget>(QStringLiteral("TreeView1"));
        if (tree->topLevelItemCount() > 0) {
            QTreeWidgetItem* item =
                tree->topLevelItem(0)->childCount() ? tree->topLevelItem(0)->child(0) : tree->topLevelItem(0);
            tree->topLevelItem(0)->setExpanded(true);
            tree->setCurrentItem(item);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        }
        QVERIFY(whileModal([&] { Windows::click(w.button(QStringLiteral("Image10"))); }));
        QVERIFY(whileModal([&] { Windows::click(w.button(QStringLiteral("Image11"))); }));
        const Snapshot browsed = snapshot(db.path());
        QVERIFY2(original == browsed, qPrintable(QStringLiteral("reading wrote: ") + difference(original, browsed)));
        const qsizetype readMessages = w.reporter.messages.size();

        // A diary entry, then the plan.
        Windows::click(w.button(QStringLiteral("Image8")));
        Windows::click(w.button(QStringLiteral("Image13")));
        w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->setPlainText(QStringLiteral("新的一天"));
        w.find<QLineEdit>(QStringLiteral("Edit1"))->setText(QStringLiteral("118"));
        qsizetype before = w.reporter.messages.size();
        Windows::click(w.button(QStringLiteral("Image15")));
        // Entering the diary again may repeat the listing's message; the OK adds one more only when it fails.
        const bool diaryFailed =
            w.reporter.messages.size() > before && !w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->isReadOnly();
        const Snapshot afterDiary = snapshot(db.path());
        QCOMPARE(diaryFailed, (failingSaves & DiaryFails) != 0);
        if (diaryFailed) {
            QVERIFY2(browsed.bytes == afterDiary.bytes, "a failed diary save wrote to the file");
            QCOMPARE(w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText(), QStringLiteral("新的一天"));
        }

        for (int day = 0; day < 7; ++day)
            w.plan->dayBox(day)->setPlainText(QStringLiteral("计划%1").arg(day));
        before = w.reporter.messages.size();
        w.plan->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        const bool planFailed = w.reporter.messages.size() > before;
        QCOMPARE(planFailed, (failingSaves & PlanFails) != 0);
        if (planFailed)
            QVERIFY2(afterDiary.bytes == snapshot(db.path()).bytes, "a failed plan save wrote to the file");
        QCOMPARE(integrity(db.path()), QStringLiteral("ok"));

        const QStringList messages = w.reporter.messages;
        if (qEnvironmentVariableIsSet("TEVU_VERBOSE"))
            qInfo().noquote() << messages;
        QVERIFY2(readMessages > 0, "a view read the drifted table without a word");
        static const QRegularExpression closedDataset(
            QStringLiteral("^ADODataSet\\w*: 数据集已关闭，不能进行这个操作$"));
        for (const QString& message : messages) {
            bool says = false;
            for (const QString& fragment : fragments)
                says = says || message.contains(fragment);
            // The file is named wherever the engine's error is passed on.
            if (message.contains(QLatin1String("数据库文件")))
                says = says && message.contains(db.path());
            // After a failed open, paging or clicking in that view meets the closed dataset.
            says = says || closedDataset.match(message).hasMatch();
            QVERIFY2(says, qPrintable(QStringLiteral("unexpected message: ") + message));
        }
    }
};

QTEST_MAIN(TestSchema)
#include "tst_schema.moc"
