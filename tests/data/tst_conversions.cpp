// The field conversions in several locales.
#include "data/conversions.h"
#include "data/errors.h"

#include <QtTest>
#include <cmath>

class TestConversions : public QObject {
    Q_OBJECT

private slots:
    void dateTimeToText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("expected");
        const QDateTime morning(QDate(2026, 3, 4), QTime(7, 8, 9, 999));
        const QDateTime midnight(QDate(2026, 3, 4), QTime(0, 0, 0, 500));
        const QDateTime evening(QDate(2026, 12, 31), QTime(21, 0, 0));
        QTest::newRow("zh morning") << "zh_CN" << morning << "2026/3/4 07:08:09";
        QTest::newRow("zh midnight keeps the date only") << "zh_CN" << midnight << "2026/3/4";
        QTest::newRow("zh evening") << "zh_CN" << evening << "2026/12/31 21:00:00";
        QTest::newRow("en morning") << "en_US" << morning << "3/4/26 7:08:09 AM";
        QTest::newRow("en evening") << "en_US" << evening << "12/31/26 9:00:00 PM";
        QTest::newRow("de morning") << "de_DE" << morning << "04.03.26 07:08:09";
        QTest::newRow("de midnight") << "de_DE" << midnight << "04.03.26";
        QTest::newRow("invalid") << "zh_CN" << QDateTime() << "";
    }

    void dateTimeToText()
    {
        QFETCH(QString, locale);
        QFETCH(QDateTime, value);
        QFETCH(QString, expected);
        QCOMPARE(conversions::dateTimeToText(value, QLocale(locale)), expected);
    }

    void numberToText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << "zh_CN" << 125.0 << "125";
        QTest::newRow("half") << "zh_CN" << 120.5 << "120.5";
        QTest::newRow("thousands without separator") << "en_US" << 1234.5 << "1234.5";
        QTest::newRow("decimal comma") << "de_DE" << 120.5 << "120,5";
        QTest::newRow("tenth") << "en_US" << 0.1 << "0.1";
        QTest::newRow("float noise trimmed at 15 digits") << "en_US" << 0.1 + 0.2 << "0.3";
        QTest::newRow("single precision shows its digits")
            << "en_US" << static_cast<double>(120.3f) << "120.300003051758";
        QTest::newRow("negative") << "en_US" << -3.25 << "-3.25";
        QTest::newRow("zero") << "en_US" << 0.0 << "0";
    }

    void numberToText()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(conversions::numberToText(value, QLocale(locale)), expected);
    }

    void textToNumber_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "zh_CN"
                               << "125" << true << 125.0;
        QTest::newRow("decimal") << "zh_CN"
                                 << "125.5" << true << 125.5;
        QTest::newRow("spaces around") << "zh_CN"
                                       << "  120 " << true << 120.0;
        QTest::newRow("sign") << "zh_CN"
                              << "+7" << true << 7.0;
        QTest::newRow("minus") << "zh_CN"
                               << "-7.5" << true << -7.5;
        QTest::newRow("exponent") << "zh_CN"
                                  << "1.2e2" << true << 120.0;
        QTest::newRow("exponent sign") << "zh_CN"
                                       << "12E-1" << true << 1.2;
        QTest::newRow("leading point") << "zh_CN"
                                       << ".5" << true << 0.5;
        QTest::newRow("trailing point") << "zh_CN"
                                        << "5." << true << 5.0;
        QTest::newRow("thousands separator") << "zh_CN"
                                             << "1,200" << false << 0.0;
        QTest::newRow("empty") << "zh_CN"
                               << "" << false << 0.0;
        QTest::newRow("blank") << "zh_CN"
                               << "   " << false << 0.0;
        QTest::newRow("lone sign") << "zh_CN"
                                   << "-" << false << 0.0;
        QTest::newRow("letters") << "zh_CN"
                                 << "12kg" << false << 0.0;
        QTest::newRow("inner space") << "zh_CN"
                                     << "1 2" << false << 0.0;
        QTest::newRow("bare exponent") << "zh_CN"
                                       << "1e" << false << 0.0;
        QTest::newRow("overflow") << "zh_CN"
                                  << "1e999" << false << 0.0;
        QTest::newRow("nan") << "zh_CN"
                             << "nan" << false << 0.0;
        QTest::newRow("inf") << "zh_CN"
                             << "inf" << false << 0.0;
        QTest::newRow("full-width digits") << "zh_CN"
                                           << "１２５" << false << 0.0;
        QTest::newRow("comma locale") << "de_DE"
                                      << "125,5" << true << 125.5;
        QTest::newRow("comma locale rejects point") << "de_DE"
                                                    << "125.5" << false << 0.0;
        QTest::newRow("comma locale thousands") << "de_DE"
                                                << "1.200" << false << 0.0;
    }

    void textToNumber()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, expected);
        const auto value = conversions::textToNumber(text, QLocale(locale));
        QCOMPARE(value.has_value(), valid);
        if (valid)
            QCOMPARE(*value, expected);
    }

    void invalidNumberMessageQuotesTheTextAsTyped()
    {
        try {
            conversions::textToNumberOrThrow(QStringLiteral(" 1,2 "), QLocale(QStringLiteral("zh_CN")));
            QFAIL("no error");
        } catch (const DataError& e) {
            QCOMPARE(e.message(), QStringLiteral("“ 1,2 ”不是数字"));
        }
    }

    void textToWeight_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::addColumn<double>("expected");
        const QString notANumber = QStringLiteral("体重“%1”不是数字");
        const QString outOfRange = QStringLiteral("体重“%1”不在 0 到 2000斤之间");
        QTest::newRow("zero") << "zh_CN"
                              << "0"
                              << "" << 0.0;
        QTest::newRow("upper bound") << "zh_CN"
                                     << "2000"
                                     << "" << 2000.0;
        QTest::newRow("full-width") << "zh_CN"
                                    << "　１２５．５　"
                                    << "" << 125.5;
        QTest::newRow("full-width sign and exponent") << "zh_CN"
                                                      << "＋１．２ｅ２"
                                                      << "" << 120.0;
        QTest::newRow("full-width comma locale") << "de_DE"
                                                 << "１２５，５"
                                                 << "" << 125.5;
        QTest::newRow("negative") << "zh_CN"
                                  << "-5" << outOfRange.arg("-5") << 0.0;
        QTest::newRow("full-width negative") << "zh_CN"
                                             << "－０．１" << outOfRange.arg("－０．１") << 0.0;
        QTest::newRow("above") << "zh_CN"
                               << "2000.01" << outOfRange.arg("2000.01") << 0.0;
        QTest::newRow("huge") << "zh_CN"
                              << " 1e308" << outOfRange.arg(" 1e308") << 0.0;
        QTest::newRow("not a number") << "zh_CN"
                                      << "１２０斤" << notANumber.arg("１２０斤") << 0.0;
    }

    void textToWeight()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QString, error);
        QFETCH(double, expected);
        try {
            const double value = conversions::textToWeight(text, QLocale(locale));
            QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("accepted as %1").arg(value)));
            QCOMPARE(value, expected);
        } catch (const DataError& e) {
            QCOMPARE(e.message(), error);
        }
    }

    void oleDates_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<double>("ole");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("noon next day") << QDateTime(QDate(1899, 12, 31), QTime(12, 0)) << 1.5;
        QTest::newRow("2000") << QDateTime(QDate(2000, 1, 1), QTime(6, 0)) << 36526.25;
        QTest::newRow("before epoch") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    }

    void oleDates()
    {
        QFETCH(QDateTime, value);
        QFETCH(double, ole);
        QCOMPARE(conversions::toOleDate(value), ole);
        QCOMPARE(conversions::fromOleDate(ole), value);
        QCOMPARE(conversions::oleDay(ole), value.date());
    }

    void oleDatesKeepMilliseconds()
    {
        const QDateTime value(QDate(2026, 12, 7), QTime(23, 59, 59, 999));
        QCOMPARE(conversions::fromOleDate(conversions::toOleDate(value)), value);
        QVERIFY(!conversions::fromOleDate(std::nan("")).isValid());
        QVERIFY(!conversions::oleDay(std::nan("")).isValid());
        // Within half a millisecond of midnight the time rounds to the next day, for the day alone as well.
        QCOMPARE(conversions::oleDay(46363.9999999999), QDate(2026, 12, 8));
        QCOMPARE(conversions::fromOleDate(46363.9999999999).date(), QDate(2026, 12, 8));
    }

    void storageTextRoundTrips()
    {
        const QDateTime value(QDate(2026, 12, 7), QTime(8, 30, 15, 123));
        QCOMPARE(conversions::toStorageText(value), QStringLiteral("2026-12-07 08:30:15.123"));
        QCOMPARE(conversions::fromStorageText(QStringLiteral("2026-12-07 08:30:15.123")), value);
        QCOMPARE(conversions::fromStorageText(QStringLiteral("2026-12-07T08:30:15.12")),
                 QDateTime(QDate(2026, 12, 7), QTime(8, 30, 15, 120)));
        QCOMPARE(conversions::fromStorageText(QStringLiteral("2026-12-07")),
                 QDateTime(QDate(2026, 12, 7), QTime(0, 0)));
        QVERIFY(!conversions::fromStorageText(QStringLiteral("2026-13-07")).has_value());
        QVERIFY(!conversions::fromStorageText(QStringLiteral("yesterday")).has_value());
    }

    // The calendar's edges, as the curve reads stored times: day numbers counted from 1899-12-30.
    void storedTimesReadAsDayNumbers_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<double>("expected"); // NaN: not a time
        const double none = std::nan("");
        QTest::newRow("epoch") << QByteArray("1899-12-30") << 0.0;
        QTest::newRow("after 1900-02-28") << QByteArray("1900-03-01") << 61.0;
        QTest::newRow("leap day 2000") << QByteArray("2000-02-29 12:00") << 36585.5;
        QTest::newRow("leap day 2024") << QByteArray("2024-02-29 06:00:00.000") << 45351.25;
        QTest::newRow("first day") << QByteArray("0001-01-01") << -693593.0;
        QTest::newRow("last day") << QByteArray("9999-12-31") << 2958465.0;
        QTest::newRow("no 1900-02-29") << QByteArray("1900-02-29") << none;
        QTest::newRow("no 2100-02-29") << QByteArray("2100-02-29") << none;
        QTest::newRow("no 2023-02-29") << QByteArray("2023-02-29") << none;
        QTest::newRow("no year 0") << QByteArray("0000-01-01") << none;
        QTest::newRow("no April 31") << QByteArray("2023-04-31") << none;
        QTest::newRow("no day 0") << QByteArray("2023-04-00") << none;
        QTest::newRow("no hour 24") << QByteArray("2024-01-01 24:00") << none;
        QTest::newRow("no minute 60") << QByteArray("2024-01-01 23:60") << none;
        QTest::newRow("no second 60") << QByteArray("2024-01-01 23:59:60") << none;
        QTest::newRow("as written") << QByteArray("1900-01-01 18:00:00.000") << 2.75;
        QTest::newRow("as written, no hour 24") << QByteArray("2024-01-01 24:00:00.000") << none;
        QTest::newRow("as written, a letter") << QByteArray("2024-01-0x 06:00:00.000") << none;
    }

    void storedTimesReadAsDayNumbers()
    {
        QFETCH(QByteArray, stored);
        QFETCH(double, expected);
        const std::optional<double> day = conversions::storageUtf8ToOleDate(stored);
        if (std::isnan(expected)) {
            QVERIFY(!day.has_value());
            return;
        }
        QVERIFY(day.has_value());
        QCOMPARE(*day, expected);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
