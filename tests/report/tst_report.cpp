// The page for a doctor: its weekly table by hand-worked figures, and the PDF as a reader sees it.
#include "data/conversions.h"
#include "report/report.h"
#include "support/tempdb.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

LineSeries::Point at(const QDate& day, double weight)
{
    return {conversions::toOleDate(QDateTime(day, QTime(7, 30))), weight, false};
}

// The text of a PDF as pdftotext reads it, without its spaces (the layout decides those).
QString pdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).remove(u' ');
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("poppler-utils (pdftotext, pdftoppm) are missing: scripts/install-deps installs them");
    }

    void weeksRunMondayToSundayWithTheTrendAtTheirEnd()
    {
        // Trend by hand: 150; 150 + 0.1 (149 - 150) = 149.9; 149.9 + 0.1 (148 - 149.9) = 149.71.
        const std::vector<LineSeries::Point> points{
            at(QDate(2026, 12, 1), 150),
            at(QDate(2026, 12, 3), 149),
            {conversions::toOleDate(QDateTime(QDate(2026, 12, 5), QTime(8, 0))), 0, true},
            at(QDate(2026, 12, 8), 148)};
        const std::vector<LineSeries::Point> trend{at(QDate(2026, 12, 1), 150), at(QDate(2026, 12, 3), 149.9),
                                                   at(QDate(2026, 12, 8), 149.71)};
        const QList<report::Week> weeks = report::weeks(points, trend);
        QCOMPARE(weeks.size(), 2);
        QCOMPARE(weeks[0].monday, QDate(2026, 11, 30));
        QCOMPARE(weeks[0].sunday, QDate(2026, 12, 6));
        QCOMPARE(weeks[0].weighings, 2);
        QCOMPARE(weeks[0].mean, 149.5);
        QCOMPARE(weeks[0].trendAtEnd, 149.9);
        QVERIFY(!weeks[0].change);
        QCOMPARE(weeks[1].monday, QDate(2026, 12, 7));
        QCOMPARE(weeks[1].weighings, 1);
        QCOMPARE(weeks[1].mean, 148.0);
        QVERIFY(qAbs(*weeks[1].change - -0.19) < 1e-9);
    }

    void thePageSaysWhatTheDiarySays_data()
    {
        QTest::addColumn<bool>("withNotes");
        QTest::newRow("without the notes") << false;
        QTest::newRow("with the notes") << true;
    }

    void thePageSaysWhatTheDiarySays()
    {
        QFETCH(bool, withNotes);
        TempDatabase db;
        // Two weeks: 150 and 149 kg... in 斤: mean of the first week 149.5 斤 (74.8 kg), one entry outside the period.
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-11-20 07:30:00.000', '期间之前', 155);"
                               "INSERT INTO rj VALUES ('2026-12-01 07:30:00.000', '私人的话', 150);"
                               "INSERT INTO rj VALUES ('2026-12-03 07:30:00.000', '', 149);"
                               "INSERT INTO rj VALUES ('2026-12-08 07:30:00.000', '', 148);"));
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("r.pdf"));
        report::Options options;
        options.from = QDate(2026, 11, 30);
        options.to = QDate(2026, 12, 13);
        options.withNotes = withNotes;
        options.made = QDate(2026, 12, 14);
        const report::Result result = report::write(db.path(), pdf, options);
        QCOMPARE(result.weighings, 3);
        QCOMPARE(QFile::permissions(pdf) & 0x0077, QFileDevice::Permissions{});
        const QString text = pdfText(pdf);
        for (const QString& expected :
             {QStringLiteral("2026年11月30日"), QStringLiteral("2026年12月13日"), QStringLiteral("2026年12月14日"),
              QStringLiteral("149.5 / 74.8"), QStringLiteral("149.9 / 75.0"), QStringLiteral("-0.2 / -0.1"),
              QStringLiteral("称重 3 次"), QStringLiteral("第 1 页")})
            QVERIFY2(text.contains(QString(expected).remove(u' ')), qPrintable(expected + u'\n' + text));
        QVERIFY2(!text.contains(QStringLiteral("155")), qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("私人的话")), withNotes);
    }

    void theProfileAndTheBmiAreOnThePage()
    {
        TempDatabase db;
        // BMI on the trend, by hand: 150 斤 = 75 kg, 75 / 1.65² = 27.55 -> 27.5 超重; the trend ends at 149.71 斤 =
        // 74.855 kg, 74.855 / 2.7225 = 27.49 -> 27.5 超重. Born 1990, the page made in 2026: 36 岁.
        db.exec(QStringLiteral("INSERT INTO profile VALUES (165, '女', 1990, 120, 2, NULL);"
                               "INSERT INTO rj VALUES ('2026-12-01 07:30:00.000', '', 150);"
                               "INSERT INTO rj VALUES ('2026-12-03 07:30:00.000', '', 149);"
                               "INSERT INTO rj VALUES ('2026-12-08 07:30:00.000', '', 148);"));
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("p.pdf"));
        report::Options options;
        options.made = QDate(2026, 12, 14);
        report::write(db.path(), pdf, options);
        const QString text = pdfText(pdf);
        for (const QString& expected :
             {QStringLiteral("身高165厘米"), QStringLiteral("36岁"), QStringLiteral("女"),
              QStringLiteral("目标体重120.0斤（60.0公斤）"), QStringLiteral("开始27.5（超重），结束27.5（超重）")})
            QVERIFY2(text.contains(expected), qPrintable(expected + u'\n' + text));
    }

    void aLongDiaryTakesMorePagesAndStaysBlackAndWhite()
    {
        TempDatabase db;
        db.exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 730) "
            "INSERT INTO rj SELECT strftime('%Y-%m-%d 07:30:00.000', '2025-01-01', '+' || i || ' days'), "
            "'', 160 - i * 0.02 FROM n;"
            // A goal, so that its line is on the page too.
            "INSERT INTO profile VALUES (165, '女', 1990, 140, 2, NULL)"));
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("long.pdf"));
        const report::Result result = report::write(db.path(), pdf, {});
        QVERIFY2(result.pages >= 3, qPrintable(QString::number(result.pages)));
        QVERIFY(pdfText(pdf).contains(QStringLiteral("第%1页").arg(result.pages)));
        // The first page as a printer in black and white would print it: every pixel a grey.
        QProcess render;
        render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                                                  QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                  QStringLiteral("1"), pdf, out.filePath(QStringLiteral("page"))});
        QVERIFY(render.waitForFinished(30000));
        const QStringList pages = QDir(out.path()).entryList({QStringLiteral("page*.png")});
        QCOMPARE(pages.size(), 1);
        const QImage page(out.filePath(pages.front()));
        QVERIFY(!page.isNull());
        int coloured = 0;
        int dark = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 8;
                dark += c.lightness() < 128;
            }
        QCOMPARE(coloured, 0);
        QVERIFY(dark > 1000);
    }

    // A note of 20,004 characters, 3,334 numbered words with line ends among them, goes on over the pages: every word
    // is on a page, in order, and the pages count on.
    void aLongNoteGoesOnOverThePages()
    {
        QString note;
        for (int i = 1; i <= 3334; ++i)
            note += QStringLiteral("w%1").arg(i, 4, 10, QChar(u'0')) + (i % 50 == 0 ? u'\n' : u' ');
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-01 07:30:00.000', '短', 150);"
                               "INSERT INTO rj VALUES ('2026-12-02 07:30:00.000', '%1', 149.5);")
                    .arg(note));
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("notes.pdf"));
        report::Options options;
        options.withNotes = true;
        const report::Result result = report::write(db.path(), pdf, options);
        const QString text = pdfText(pdf);
        QStringList words;
        static const QRegularExpression word(QStringLiteral("w\\d{4}"));
        for (const QRegularExpressionMatch& m : word.globalMatch(text))
            words << m.captured();
        QCOMPARE(words.size(), 3334);
        QCOMPARE(words.first(), QStringLiteral("w0001"));
        QCOMPARE(words.last(), QStringLiteral("w3334"));
        QVERIFY(text.contains(QStringLiteral("第%1页").arg(result.pages)));
        QVERIFY2(result.pages >= 4, qPrintable(QString::number(result.pages)));
    }

    void anEmptyPeriodSaysSo()
    {
        TempDatabase db;
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("empty.pdf"));
        report::Options options;
        options.from = QDate(2026, 1, 1);
        options.to = QDate(2026, 1, 31);
        QCOMPARE(report::write(db.path(), pdf, options).weighings, 0);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("没有体重记录")));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
