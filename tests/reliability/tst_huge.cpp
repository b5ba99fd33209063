// Huge input (5 MB texts, 1,000-character weights, 100,000 entries): stored and listed exactly, or refused.
#include "support.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sqlite3.h>

using namespace reliability;

namespace {

QPlainTextEdit* memo(Windows& w)
{
    return w.find<QPlainTextEdit>(QStringLiteral("Memo1"));
}

void writeEntry(Windows& w, const QString& text, const QString& weight)
{
    Windows::click(w.button(QStringLiteral("Image13")));
    memo(w)->setPlainText(text);
    w.find<QLineEdit>(QStringLiteral("Edit1"))->setText(weight);
    Windows::click(w.button(QStringLiteral("Image15")));
}

// What the C library makes of a weight: the value, or nothing when it is no number or out of range.
std::optional<double> strictValue(const QString& text)
{
    const QByteArray trimmed = text.trimmed().toLatin1();
    if (trimmed.isEmpty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(trimmed.constData(), &end);
    if (end != trimmed.constData() + trimmed.size() || errno == ERANGE || !std::isfinite(value) ||
        trimmed.contains("0x") || trimmed.contains("0X") || trimmed.contains('n') || trimmed.contains('N'))
        return std::nullopt;
    return value;
}

} // namespace

class TestHuge : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useProgramLocale();
        saveUnlikelyWeightsWithoutAsking();
    }

    void aFiveMegabyteEntryIsSavedAndListedExactly()
    {
        TempDatabase db;
        QString text;
        for (int line = 0; text.toUtf8().size() < 5 * 1024 * 1024; ++line)
            text += QStringLiteral("第%1行：今天吃了一碗小米粥，'); DROP TABLE rj; -- 又跑了五公里。\n")
                        .arg(line)
                        .repeated(20);
        text.chop(1);
        const QByteArray bytes = text.toUtf8();
        QVERIFY(bytes.size() >= 5 * 1024 * 1024);
        Windows w(db.folder());
        Windows::click(w.button(QStringLiteral("Image8")));
        writeEntry(w, text, QStringLiteral("118.5"));
        QVERIFY2(w.reporter.messages.isEmpty(), qPrintable(w.reporter.messages.join(u'\n').left(500)));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("select length(cast(demo as blob)) from rj")).toLongLong(), bytes.size());
        QVERIFY(db.rows(QStringLiteral("select demo from rj")).value(0) == text);
        QCOMPARE(integrity(db.path()), QStringLiteral("ok"));

        Windows::click(w.button(QStringLiteral("Image8")));
        const QString listing = memo(w)->toPlainText();
        const int firstBreak = static_cast<int>(listing.indexOf(u'\n'));
        QCOMPARE(listing.mid(firstBreak + 1), text + QStringLiteral("  这天118.5斤"));
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void longWeightTextsAreStoredExactlyOrRefusedBeforeTheFile_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::newRow("1,000 digits") << QString(1000, u'1');
        QTest::newRow("1,000 digits after the point") << QStringLiteral("1.") + QString(998, u'2');
        QTest::newRow("a weight among 1,000 spaces") << QString(995, u' ') + QStringLiteral("120") + QString(2, u' ');
        QTest::newRow("999 zeros before a one") << QStringLiteral("0.") + QString(997, u'0') + QStringLiteral("1");
        QTest::newRow("an exponent of 998 nines") << QStringLiteral("1e") + QString(998, u'9');
        QTest::newRow("a negative exponent of 998 nines") << QStringLiteral("1e-") + QString(997, u'9');
        QTest::newRow("1,000 letters") << QString(1000, u'x');
        QTest::newRow("1,000 Chinese characters") << QString(1000, u'斤');
        QTest::newRow("zeros then a weight") << QString(997, u'0') + QStringLiteral("120");
    }

    void longWeightTextsAreStoredExactlyOrRefusedBeforeTheFile()
    {
        QFETCH(QString, weight);
        QCOMPARE(weight.size(), 1000);
        TempDatabase db;
        Windows w(db.folder());
        Windows::click(w.button(QStringLiteral("Image8")));
        const Snapshot before = snapshot(db.path());
        writeEntry(w, QStringLiteral("称重"), weight);
        const std::optional<double> expected = strictValue(weight);
        if (expected) {
            QVERIFY2(w.reporter.messages.isEmpty(), qPrintable(w.reporter.messages.join(u'\n').left(300)));
            const QStringList rows = db.rows(QStringLiteral("select lb from rj"));
            QCOMPARE(rows.size(), 1);
            QCOMPARE(rows.first().toDouble(), *expected);
        } else {
            QCOMPARE(w.reporter.messages, QStringList{QStringLiteral("体重“%1”不是数字").arg(weight)});
            const Snapshot after = snapshot(db.path());
            QVERIFY2(before == after, qPrintable(difference(before, after)));
            QCOMPARE(memo(w)->toPlainText(), QStringLiteral("称重"));
        }
    }

    void aDiaryOfAHundredThousandEntriesIsListedExactly()
    {
        constexpr int entries = 100000;
        TempDatabase db;
        db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                               "INSERT INTO rj(time, demo, lb) SELECT strftime('%Y-%m-%d %H:%M:%f', "
                               "'2000-01-01 07:30:00', '+' || i || ' hours'), '第' || i || '条', 100 + i % 50 "
                               "FROM n"));
        Windows w(db.folder());
        Windows::click(w.button(QStringLiteral("Image8")));
        QVERIFY(w.reporter.messages.isEmpty());
        QCOMPARE(w.data->ADODataSet_tevu.recordCount(), entries);
        const QStringList lines = memo(w)->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 2 * entries);
        // Newest first: every entry's own text and weight, in order.
        for (int k = 0; k < entries; ++k) {
            const int i = entries - k;
            const QString expected = QStringLiteral("第%1条  这天%2斤").arg(i).arg(100 + i % 50);
            if (lines[2 * k + 1] != expected)
                QFAIL(qPrintable(
                    QStringLiteral("line %1 is '%2', not '%3'").arg(2 * k + 2).arg(lines[2 * k + 1], expected)));
        }
        QCOMPARE(lines[2 * entries - 2], QStringLiteral("2000/1/1 08:30:00"));

        writeEntry(w, QStringLiteral("第十万零一条"), QStringLiteral("99"));
        QVERIFY(w.reporter.messages.isEmpty());
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), entries + 1);
        Windows::click(w.button(QStringLiteral("Image8")));
        QVERIFY(memo(w)->toPlainText().section(u'\n', 1, 1) == QStringLiteral("第十万零一条  这天99斤"));
        // The curve of all of them opens too.
        QVERIFY(whileModal([&] { Windows::click(w.button(QStringLiteral("Image11"))); }));
        QVERIFY(w.reporter.messages.isEmpty());
    }
};

QTEST_MAIN(TestHuge)
#include "tst_huge.moc"
