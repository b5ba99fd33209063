// The benchmark driver: makes the data, runs every scenario in a process of its own and prints one table.
#include "app/application.h"
#include "bench/datafilebench.h"
#include "bench/datagen.h"
#include "bench/diaryeditbench.h"
#include "bench/foodlogbench.h"
#include "bench/measure.h"
#include "bench/reportbench.h"
#include "bench/scenarios.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <limits>
#include <map>
#include <stdexcept>

namespace {

using bench::median;

struct Samples {
    QMap<QString, std::vector<double>> series;
    QMap<QString, QString> info;
    QString error;

    const std::vector<double>& of(const char* name) const
    {
        static const std::vector<double> none;
        const auto it = series.constFind(QString::fromLatin1(name));
        return it == series.constEnd() ? none : *it;
    }
    double medianOf(const char* name) const { return median(of(name)); }
};

void progress(const QString& text)
{
    std::fprintf(stderr, "bench: %s\n", text.toUtf8().constData());
}

// Starts a program with the start time in its environment and collects the samples that it prints.
Samples runProcess(const QString& program, const QStringList& arguments, int timeoutSeconds, Samples into = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The program's users read Simplified Chinese: dates and numbers are formatted as they see them.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("zh_CN.UTF-8"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    process.setProcessChannelMode(QProcess::SeparateChannels);
    environment.insert(QString::fromLatin1(bench::spawnVariable), QString::number(bench::nowNs()));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(30000)) {
        into.error = QStringLiteral("%1 did not start").arg(QFileInfo(program).fileName());
        return into;
    }
    if (!process.waitForFinished(timeoutSeconds * 1000)) {
        process.kill();
        process.waitForFinished(5000);
        into.error = QStringLiteral("%1 %2 ran longer than %3 s")
                         .arg(QFileInfo(program).fileName(), arguments.value(0))
                         .arg(timeoutSeconds);
        return into;
    }
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("sample ")) {
            const QList<QByteArray> fields = line.split(' ');
            into.series[QString::fromUtf8(fields.value(1))].push_back(fields.value(2).toDouble());
        } else if (line.startsWith("info ")) {
            const QByteArray key = line.split(' ').value(1);
            into.info[QString::fromUtf8(key)] = QString::fromUtf8(line.mid(6 + key.size())).trimmed();
        } else if (line.startsWith("error ")) {
            into.error = QString::fromUtf8(line.mid(6));
        }
    }
    if (into.error.isEmpty() && (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)) {
        const QString errors = QString::fromUtf8(process.readAllStandardError()).trimmed();
        into.error = QStringLiteral("%1 %2 failed: %3")
                         .arg(QFileInfo(program).fileName(), arguments.value(0), errors.right(200));
    }
    return into;
}

QString size(qint64 count)
{
    return QLocale(QLocale::English).toString(count);
}

QString ms(double value)
{
    if (value >= 100)
        return QString::number(value, 'f', 0) + QStringLiteral(" ms");
    if (value >= 10)
        return QString::number(value, 'f', 1) + QStringLiteral(" ms");
    return QString::number(value, 'f', 2) + QStringLiteral(" ms");
}

QString mib(double kib)
{
    return QString::number(kib / 1024, 'f', 1) + QStringLiteral(" MiB");
}

QString times(double ratio)
{
    return QString::number(ratio, 'f', ratio >= 100 ? 0 : 2) + u'x';
}

struct Row {
    QString number;
    QString scenario;
    QString size;
    QString value;
    QString floor;
    QString ratio;
    QString target;
    QString met;
    QString spread = QStringLiteral("—"); // the 10th to 90th percentile of the paired ratios
};

// A row whose ratio is the median of paired ratios, with their spread.
Row pairedRow(const QString& number, const QString& scenario, const QString& sizeText, const QString& value,
              const QString& floor, const bench::PairedRatio& ratio, const QString& target)
{
    Row row{number, scenario, sizeText, value, floor, QStringLiteral("—"), target, {}};
    if (ratio.pairs > 0) {
        row.ratio = times(ratio.median);
        row.spread = times(ratio.low) + QStringLiteral("–") + times(ratio.high);
    }
    return row;
}

class Table {
public:
    void add(Row row) { m_rows.push_back(std::move(row)); }

    // A row judged by its target; a failed scenario counts as missed.
    void judged(Row row, const QString& error, bool met)
    {
        if (!error.isEmpty()) {
            row.value = row.floor = row.ratio = row.spread = QStringLiteral("—");
            row.met = QStringLiteral("error: ") + error;
            m_missed = true;
        } else {
            row.met = met ? QStringLiteral("yes") : QStringLiteral("NO");
            m_missed = m_missed || !met;
        }
        add(std::move(row));
    }

    bool missed() const { return m_missed; }

    void print() const
    {
        const QStringList head{QStringLiteral("#"),      QStringLiteral("scenario"),     QStringLiteral("size"),
                               QStringLiteral("median"), QStringLiteral("floor median"), QStringLiteral("ratio"),
                               QStringLiteral("spread"), QStringLiteral("target"),       QStringLiteral("met")};
        std::vector<QStringList> cells{head};
        for (const Row& r : m_rows)
            cells.push_back({r.number, r.scenario, r.size, r.value, r.floor, r.ratio, r.spread, r.target, r.met});
        std::vector<qsizetype> widths(head.size(), 0);
        for (const QStringList& line : cells)
            for (int i = 0; i < line.size(); ++i)
                widths[static_cast<size_t>(i)] = std::max(widths[static_cast<size_t>(i)], line[i].size());
        const auto printLine = [&widths](const QStringList& line) {
            QString text = QStringLiteral("|");
            for (int i = 0; i < line.size(); ++i)
                text += u' ' + line[i].leftJustified(widths[static_cast<size_t>(i)]) + QStringLiteral(" |");
            std::printf("%s\n", text.toUtf8().constData());
        };
        printLine(cells.front());
        QStringList rule;
        for (const qsizetype w : widths)
            rule << QString(w, u'-');
        printLine(rule);
        for (size_t i = 1; i < cells.size(); ++i)
            printLine(cells[i]);
        std::fflush(stdout);
    }

private:
    std::vector<Row> m_rows;
    bool m_missed = false;
};

QString ratioText(double value, double floor)
{
    return floor > 0 ? times(value / floor) : QStringLiteral("—");
}

int runTable(const QString& shipped, const QString& work)
{
    if (!QFileInfo::exists(shipped))
        throw std::runtime_error("no shipped database at " + shipped.toStdString());
    const QString here = QCoreApplication::applicationDirPath();
    const QString self = QCoreApplication::applicationFilePath();
    const auto copyProgram = [&here](const QString& name, const QString& folder) {
        QDir().mkpath(folder);
        const QString target = folder + u'/' + name;
        if (!QFile::copy(here + u'/' + name, target))
            throw std::runtime_error("cannot copy " + name.toStdString());
        return target;
    };
    const auto firstError = [](const std::initializer_list<const Samples*> all) {
        for (const Samples* s : all)
            if (!s->error.isEmpty())
                return s->error;
        return QString();
    };
    Table table;

    // 1 and 6: start-up. The program finds data.Mdb beside itself, so each program runs from its own folder. The
    // floor is the empty window showing one line of Chinese, since any window that shows Chinese pays for the font
    // system, the CJK font and shaping; the empty window without text is the second reference.
    progress(QStringLiteral("start-up"));
    const QString startFolder = work + QStringLiteral("/start");
    bench::copyShipped(shipped, startFolder);
    const QString startup = copyProgram(QStringLiteral("tevu_bench_startup"), startFolder);
    const QString window = copyProgram(QStringLiteral("tevu_bench_window"), work + QStringLiteral("/window"));
    Samples program;
    Samples empty;
    Samples text;
    for (int round = 0; round < 32 && firstError({&program, &empty, &text}).isEmpty(); ++round) {
        // Interleaved, one run of each per round, so that a busy moment on the machine falls on a pair alike.
        text = runProcess(window, {QStringLiteral("--text")}, 60, text);
        program = runProcess(startup, {}, 60, program);
        empty = runProcess(window, {}, 60, empty);
        // The first round only warms the file cache.
        if (round == 0) {
            empty.series.clear();
            text.series.clear();
            program.series.clear();
        }
    }
    const QString startError = firstError({&program, &empty, &text});
    // Rows 1 and 6 judge one measure of the start-ups against the text window, and show it against the empty window.
    const auto startUpRows = [&](const QString& number, const QString& scenario, const char* series,
                                 QString (*format)(double), double target) {
        const auto& measured = program.of(series);
        const auto ratio = bench::pairedRatio(measured, text.of(series));
        table.judged(pairedRow(number, scenario, QStringLiteral("shipped data.Mdb"), format(median(measured)),
                               format(text.medianOf(series)), ratio, QStringLiteral("≤ %1x").arg(target)),
                     startError, ratio.median <= target);
        Row reference = pairedRow(number, QStringLiteral("reference: against the empty window without text"),
                                  QStringLiteral("—"), format(median(measured)), format(empty.medianOf(series)),
                                  bench::pairedRatio(measured, empty.of(series)), QStringLiteral("—"));
        reference.met = QStringLiteral("—");
        table.add(reference);
    };
    startUpRows(QStringLiteral("1"), QStringLiteral("start-up to first paint"), "first-paint-ms", ms, 1.3);

    // 2: the diary view, against the bare read of its rows and, for the largest, against a bare text box given the
    // same listing in one call. The growth from 10,000 to 100,000 entries is paired too: the two sizes run in turns,
    // one process each per round, so that a busy moment falls on both halves of a round's ratio.
    const std::vector<int> sizes{1000, 10000, 100000};
    std::map<int, Samples> diary;
    std::map<int, QString> diaryFolder;
    for (const int entries : sizes) {
        diaryFolder[entries] = work + QStringLiteral("/diary-%1").arg(entries);
        bench::fillDiary(bench::copyShipped(shipped, diaryFolder[entries]), entries);
    }
    const auto runDiary = [&](int entries, int repetitions) {
        diary[entries] = runProcess(self, {QStringLiteral("diary"), diaryFolder[entries], QString::number(repetitions)},
                                    1800, diary[entries]);
    };
    progress(QStringLiteral("diary view, 1,000 entries"));
    runDiary(1000, 21);
    progress(QStringLiteral("diary view, 10,000 and 100,000 entries in turns"));
    for (int round = 0; round < 41 && firstError({&diary[10000], &diary[100000]}).isEmpty(); ++round) {
        runDiary(10000, 1);
        runDiary(100000, 1);
    }
    for (const int entries : sizes) {
        const Samples& s = diary[entries];
        const double view = s.medianOf("view");
        const bool judgedHere = entries == 100000;
        Row row = pairedRow(QStringLiteral("2"), QStringLiteral("entering the diary view"),
                            QStringLiteral("%1 entries").arg(size(entries)), ms(view), ms(s.medianOf("floor")),
                            bench::pairedRatio(s.of("view"), s.of("floor")),
                            judgedHere ? QStringLiteral("≤ 1 s") : QStringLiteral("—"));
        if (judgedHere || !s.error.isEmpty()) {
            table.judged(row, s.error, view <= 1000);
        } else {
            row.met = QStringLiteral("—");
            table.add(row);
        }
        // Against the bare text box: judged at the largest size. At 10,000 entries it is shown for the growth's
        // sake: a round's growth is the box's growth times this ratio at 100,000 over the same ratio at 10,000.
        if (entries != 1000) {
            const auto ratio = bench::pairedRatio(s.of("view"), s.of("plain"));
            Row box = pairedRow(QStringLiteral("2"),
                                judgedHere ? QStringLiteral("entering the diary view, against a bare text box")
                                           : QStringLiteral("reference: the diary view against a bare text box"),
                                QStringLiteral("%1 entries").arg(size(entries)), ms(view), ms(s.medianOf("plain")),
                                ratio, judgedHere ? QStringLiteral("≤ 1.3x") : QStringLiteral("—"));
            if (judgedHere) {
                table.judged(box, s.error, ratio.median <= 1.3);
            } else {
                box.met = QStringLiteral("—");
                table.add(box);
            }
        }
    }
    {
        const Samples& small = diary[10000];
        const Samples& large = diary[100000];
        // Each round's 100,000 over the same round's 10,000, judged against the bare text box's growth in the same
        // round: a view that adds work in proportion to the diary cannot grow less than the toolkit's own box.
        const auto perRound = [](const std::vector<double>& bigger, const std::vector<double>& smaller) {
            std::vector<double> out;
            for (size_t i = 0; i < bigger.size() && i < smaller.size(); ++i)
                out.push_back(smaller[i] > 0 ? bigger[i] / smaller[i] : 0);
            return out;
        };
        const std::vector<double> viewGrowth = perRound(large.of("view"), small.of("view"));
        const std::vector<double> boxGrowth = perRound(large.of("plain"), small.of("plain"));
        const auto growth = bench::pairedRatio(large.of("view"), small.of("view"));
        const auto plainGrowth = bench::pairedRatio(large.of("plain"), small.of("plain"));
        const auto againstBox = bench::pairedRatio(viewGrowth, boxGrowth);
        Row row = pairedRow(QStringLiteral("2"), QStringLiteral("diary view growth against the bare text box's"),
                            QStringLiteral("10,000 → 100,000"), times(growth.median), times(plainGrowth.median),
                            againstBox, QStringLiteral("≤ 1.0x"));
        table.judged(row, firstError({&small, &large}), againstBox.pairs > 0 && againstBox.median <= 1.0);
        const auto floorGrowth = bench::pairedRatio(large.of("floor"), small.of("floor"));
        Row reference = pairedRow(QStringLiteral("2"), QStringLiteral("reference: growth of the bare SQLite query"),
                                  QStringLiteral("10,000 → 100,000"), times(floorGrowth.median), QStringLiteral("—"),
                                  floorGrowth, QStringLiteral("—"));
        reference.ratio = reference.met = QStringLiteral("—");
        table.add(reference);
    }

    // 3: the food tree, on the shipped foods and on a large generated table.
    const auto foodTree = [&](const QString& folder, const QString& sizeText, int repetitions, int timeoutSeconds,
                              const QString& target, double limitMs, double limitRatio) {
        const Samples s =
            runProcess(self, {QStringLiteral("foodtree"), folder, QString::number(repetitions)}, timeoutSeconds);
        const double tree = s.medianOf("tree");
        const auto ratio = bench::pairedRatio(s.of("tree"), s.of("floor"));
        table.judged(pairedRow(QStringLiteral("3"), QStringLiteral("building the food tree"), sizeText, ms(tree),
                               ms(s.medianOf("floor")), ratio, target),
                     s.error, tree <= limitMs && ratio.median <= limitRatio);
    };
    progress(QStringLiteral("food tree"));
    {
        const QString folder = work + QStringLiteral("/foods-shipped");
        const QString copy = bench::copyShipped(shipped, folder);
        const qint64 categories = bench::scalar(copy, QStringLiteral("SELECT count(*) FROM \"02\""));
        const qint64 foods = bench::scalar(copy, QStringLiteral("SELECT count(*) FROM \"01\""));
        foodTree(folder, QStringLiteral("shipped: %1 categories, %2 foods").arg(categories).arg(foods), 21, 600,
                 QStringLiteral("≤ 50 ms"), 50, std::numeric_limits<double>::infinity());
    }
    {
        progress(QStringLiteral("food tree, 100 categories, 10,000 foods"));
        const QString folder = work + QStringLiteral("/foods-large");
        bench::fillFoods(bench::copyShipped(shipped, folder), 100, 10000);
        foodTree(folder, QStringLiteral("100 categories, 10,000 foods"), 11, 1800, QStringLiteral("≤ 10x, ≤ 3 s"), 3000,
                 10);

        // The search box on the same foods: each keystroke of "sw123", tree and paint included, beside a bare loop of
        // QString::contains over the same names.
        progress(QStringLiteral("food search, 10,000 foods"));
        const Samples s = runProcess(self, {QStringLiteral("foodsearch"), folder, QStringLiteral("11")}, 1800);
        const auto ratio = bench::pairedRatio(s.of("search"), s.of("floor"));
        // The first keystroke after entering the view (its median over fresh windows) is judged with the slowest
        // keystroke, not in the ratio: it has no floor.
        const std::vector<double>& keystrokes = s.of("search");
        const double slowest = keystrokes.empty() ? 0 : *std::max_element(keystrokes.begin(), keystrokes.end());
        const double first = s.medianOf("first");
        table.judged(
            pairedRow(QStringLiteral("3"), QStringLiteral("food search: one keystroke, tree included"),
                      QStringLiteral("10,000 foods, \"sw123\" typed; first keystroke in a fresh view %1, slowest %2; "
                                     "floor: a QString::contains loop")
                          .arg(ms(first), ms(slowest)),
                      ms(s.medianOf("search")), ms(s.medianOf("floor")), ratio, QStringLiteral("≤ 3x, ≤ 16 ms")),
            s.error, ratio.median <= 3 && slowest <= 16 && first <= 16);
    }

    // 4: the curve window with the trend and the goal line shown, on the largest diary.
    progress(QStringLiteral("curve window, 100,000 entries"));
    const QString largeDiary = work + QStringLiteral("/diary-100000");
    {
        const Samples s = runProcess(self, {QStringLiteral("curve"), largeDiary, QStringLiteral("11")}, 1800);
        const double curve = s.medianOf("curve");
        const auto ratio = bench::pairedRatio(s.of("curve"), s.of("floor"));
        table.judged(pairedRow(QStringLiteral("4"),
                               QStringLiteral("curve window, trend and goal shown: fill and first paint"),
                               QStringLiteral("100,000 entries"), ms(curve), ms(s.medianOf("floor")), ratio,
                               QStringLiteral("≤ 2.5x, ≤ 300 ms")),
                     s.error, curve <= 300 && ratio.median <= 2.5);
    }

    // 5: diary saves, each synced to disk, each beside a bare insert.
    progress(QStringLiteral("diary saves"));
    {
        constexpr int saves = 500;
        const QString folder = work + QStringLiteral("/save");
        const QString floorFolder = work + QStringLiteral("/save-floor");
        bench::copyShipped(shipped, folder);
        bench::copyShipped(shipped, floorFolder);
        const Samples s = runProcess(self, {QStringLiteral("save"), folder, floorFolder, QString::number(saves)}, 1800);
        const auto ratio = bench::pairedRatio(s.of("save"), s.of("floor"));
        table.judged(
            pairedRow(QStringLiteral("5"), QStringLiteral("one diary save (OK to posted row)"),
                      QStringLiteral("%1 saves, %2").arg(saves).arg(s.info.value(QStringLiteral("durability"))),
                      ms(s.medianOf("save")), ms(s.medianOf("floor")), ratio, QStringLiteral("≤ 1.2x")),
            s.error, ratio.median <= 1.2);
    }

    // 6: peak memory, from the same start-up runs.
    progress(QStringLiteral("peak memory"));
    {
        startUpRows(QStringLiteral("6"), QStringLiteral("peak memory after start-up"), "peak-kib", mib, 1.2);
        const double floor = text.medianOf("peak-kib");
        Samples s;
        for (int round = 0; round < 5 && s.error.isEmpty(); ++round)
            s = runProcess(self, {QStringLiteral("diary-memory"), largeDiary}, 600, s);
        const double listed = s.medianOf("peak-kib");
        table.judged({QStringLiteral("6"),
                      QStringLiteral("peak memory after listing the diary"),
                      QStringLiteral("100,000 entries"),
                      mib(listed),
                      mib(floor),
                      ratioText(listed, floor),
                      QStringLiteral("≤ 200 MiB"),
                      {}},
                     s.error, listed <= 200 * 1024);
    }

    // 7: the data file's commands against the sqlite3 program on the same file, and the automatic backup.
    progress(QStringLiteral("data file commands, 100,000 entries"));
    {
        const QString tevu = QDir(here).filePath(QStringLiteral("../tevu"));
        const Samples s = runProcess(self, {QStringLiteral("datafile"), largeDiary, tevu, QStringLiteral("5")}, 3600);
        const auto against = [&](const char* series, const char* floorSeries, const QString& scenario,
                                 const QString& peer, double limit) {
            // Each round runs both programs once, one after the other: a pair.
            const auto ratio = bench::pairedRatio(s.of(series), s.of(floorSeries));
            table.judged(pairedRow(QStringLiteral("7"), scenario,
                                   QStringLiteral("100,000 entries; floor: %1").arg(peer), ms(s.medianOf(series)),
                                   ms(s.medianOf(floorSeries)), ratio, QStringLiteral("≤ %1x").arg(limit)),
                         s.error, ratio.median <= limit);
        };
        against("export", "export-floor", QStringLiteral("tevu --export-csv"), QStringLiteral("sqlite3 -csv"), 1.5);
        against("import", "import-floor", QStringLiteral("tevu --import-csv"), QStringLiteral("sqlite3 .import"), 2);
        against("import-foreign", "import-foreign-floor", QStringLiteral("tevu --import-csv, openScale's export"),
                QStringLiteral("sqlite3 .import"), 2);
        against("backup", "backup-floor", QStringLiteral("tevu --backup (checked)"),
                QStringLiteral("sqlite3 .backup + integrity_check"), 1.5);
        const Samples a = runProcess(self, {QStringLiteral("autobackup"), largeDiary, QStringLiteral("5")}, 1800);
        const double stall = a.medianOf("gui-stall");
        table.judged(
            {QStringLiteral("7"),
             QStringLiteral("automatic backup: longest hold on the GUI thread"),
             QStringLiteral("100,000 entries; whole backup %1 off the GUI thread").arg(ms(a.medianOf("auto-backup"))),
             ms(stall),
             QStringLiteral("—"),
             QStringLiteral("—"),
             QStringLiteral("≤ 100 ms"),
             {}},
            a.error, stall <= 100);
    }

    // 8: the longest text that a plan day or a diary entry takes: no action on it may hold the window.
    progress(QStringLiteral("the longest text"));
    {
        const QString folder = work + QStringLiteral("/long-text");
        bench::copyShipped(shipped, folder);
        const Samples s = runProcess(self, {QStringLiteral("long-text"), folder, QStringLiteral("5")}, 600);
        const double longest = s.medianOf("longest");
        table.judged({QStringLiteral("8"),
                      QStringLiteral("longest action on the longest text allowed"),
                      QStringLiteral("20,000 characters in a plan day and a diary entry; paste, keys, save, close"),
                      ms(longest),
                      QStringLiteral("—"),
                      QStringLiteral("—"),
                      QStringLiteral("≤ 200 ms"),
                      {}},
                     s.error, longest <= 200);
    }

    // 9: the page for a doctor, a year of the diary with its texts, against a bare writer drawing the same.
    progress(QStringLiteral("the report"));
    {
        const QString folder = work + QStringLiteral("/report");
        bench::copyShipped(shipped, folder);
        const Samples s = runProcess(self, {QStringLiteral("report"), folder, QStringLiteral("7")}, 600);
        const auto ratio = bench::pairedRatio(s.of("report"), s.of("floor"));
        table.judged(pairedRow(QStringLiteral("9"), QStringLiteral("tevu --report, notes on"),
                               QStringLiteral("365 entries; floor: the same chart and lines into a bare QPdfWriter"),
                               ms(s.medianOf("report")), ms(s.medianOf("floor")), ratio, QStringLiteral("≤ 2x")),
                     s.error, ratio.median <= 2);
    }

    // 10: an item added to the food log, each synced to disk, beside a bare insert.
    progress(QStringLiteral("food log items"));
    {
        constexpr int items = 300;
        const QString folder = work + QStringLiteral("/foodlog-add");
        const QString floorFolder = work + QStringLiteral("/foodlog-add-floor");
        bench::copyShipped(shipped, folder);
        bench::copyShipped(shipped, floorFolder);
        const Samples s =
            runProcess(self, {QStringLiteral("foodlog-add"), folder, floorFolder, QString::number(items)}, 1800);
        const auto ratio = bench::pairedRatio(s.of("add"), s.of("floor"));
        table.judged(pairedRow(QStringLiteral("10"), QStringLiteral("加入今天 (Enter in the amount box to posted row)"),
                               QStringLiteral("%1 items; floor: a bare INSERT, same settings").arg(items),
                               ms(s.medianOf("add")), ms(s.medianOf("floor")), ratio, QStringLiteral("≤ 1.2x")),
                     s.error, ratio.median <= 1.2);
    }

    // 11: 今天吃了什么 over a year of logs, beside the day's rows read bare and shown in a bare list.
    progress(QStringLiteral("the day window"));
    {
        const QString folder = work + QStringLiteral("/foodlog-day");
        bench::copyShipped(shipped, folder);
        const Samples s = runProcess(self, {QStringLiteral("foodlog-day"), folder, QStringLiteral("25")}, 600);
        const auto ratio = bench::pairedRatio(s.of("open"), s.of("floor"));
        table.judged(pairedRow(QStringLiteral("11"), QStringLiteral("今天吃了什么: open and first paint"),
                               QStringLiteral("7,300 items (a year, 20 a day) and 365 weighings; floor: the day's "
                                              "rows by a bare query, the window showing them from memory"),
                               ms(s.medianOf("open")), ms(s.medianOf("floor")), ratio, QStringLiteral("≤ 1.3x")),
                     s.error, ratio.median <= 1.3);
    }

    // 12: putting entries right in the 100,000-entry diary, against the diary view's own showing of it.
    progress(QStringLiteral("diary edits, 100,000 entries"));
    {
        const QString folder = work + QStringLiteral("/diary-edits");
        QDir().mkpath(folder);
        QFile::copy(largeDiary + QStringLiteral("/data.Mdb"), folder + QStringLiteral("/data.Mdb"));
        const Samples s = runProcess(self, {QStringLiteral("diary-edits"), folder, QStringLiteral("5")}, 1800);
        for (const auto& [series, scenario] : {std::pair{"new", "a new entry saved (OK), to the refreshed listing"},
                                               std::pair{"edit", "a changed entry saved, to the refreshed listing"},
                                               std::pair{"delete", "an entry deleted (redo), to the refreshed listing"},
                                               std::pair{"undo", "a delete undone, to the refreshed listing"}}) {
            const auto ratio = bench::pairedRatio(s.of(series), s.of("show"));
            table.judged(pairedRow(QStringLiteral("12"), QString::fromUtf8(scenario),
                                   QStringLiteral("100,000 entries; floor: entering the diary view"),
                                   ms(s.medianOf(series)), ms(s.medianOf("show")), ratio, QStringLiteral("≤ 1.3x")),
                         s.error, ratio.median <= 1.3);
        }
    }

    // 13: a diary holding one entry of a megabyte, against a bare text box given the same listing.
    progress(QStringLiteral("a 1 MB entry"));
    {
        const QString folder = work + QStringLiteral("/long-entry");
        bench::copyShipped(shipped, folder);
        const Samples s =
            runProcess(self, {QStringLiteral("long-entry"), folder, QStringLiteral("1024"), QStringLiteral("5")}, 1800);
        const auto ratio = bench::pairedRatio(s.of("view"), s.of("floor"));
        table.judged(pairedRow(QStringLiteral("13"), QStringLiteral("entering the diary view with a 1 MB entry"),
                               QStringLiteral("one entry of 1 MB; floor: a bare QPlainTextEdit given the same text"),
                               ms(s.medianOf("view")), ms(s.medianOf("floor")), ratio, QStringLiteral("≤ 1.3x")),
                     s.error, ratio.median <= 1.3);
    }

    std::printf("Locale of the program: %s. Each ratio is the median of per-pair ratios (a run of the program over "
                "the floor's run beside it, interleaved); the spread is their 10th to 90th percentile. The medians "
                "of the times are shown beside them.\n\n",
                qPrintable(diary[1000].info.value(QStringLiteral("locale"), QStringLiteral("?"))));
    table.print();
    return table.missed() ? 1 : 0;
}

int usage()
{
    std::fprintf(stderr, "usage: tevu_bench table <shipped data.Mdb> <work folder>\n"
                         "       tevu_bench diary|foodtree|curve|diary-memory|long-text <folder> [repetitions]\n"
                         "       tevu_bench save|foodlog-add <folder> <floor folder> <repetitions>\n"
                         "       tevu_bench foodlog-day|diary-edits <folder> <repetitions>\n"
                         "       tevu_bench long-entry <folder> <kilobytes> <repetitions>\n"
                         "       tevu_bench datafile <folder> <tevu> <repetitions>\n"
                         "       tevu_bench autobackup <folder> <repetitions>\n"
                         "       tevu_bench make-diary <shipped data.Mdb> <folder> <entries>\n"
                         "       tevu_bench make-foods <shipped data.Mdb> <folder> <categories> <foods>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto argument = [argc, argv](int index) {
        return index < argc ? QString::fromLocal8Bit(argv[index]) : QString();
    };
    try {
        if (command == QStringLiteral("table")) {
            if (argc != 4)
                return usage();
            QCoreApplication app(argc, argv);
            return runTable(argument(2), argument(3));
        }
        // For profiling one scenario by hand: the same data as the table's.
        if (command == QStringLiteral("make-diary") && argc == 5) {
            bench::fillDiary(bench::copyShipped(argument(2), argument(3)), argument(4).toInt());
            return 0;
        }
        if (command == QStringLiteral("make-foods") && argc == 6) {
            bench::fillFoods(bench::copyShipped(argument(2), argument(3)), argument(4).toInt(), argument(5).toInt());
            return 0;
        }
        const std::map<QString, std::function<int()>> scenarios{
            {QStringLiteral("diary"), [&] { return bench::runDiary(argument(2), argument(3).toInt()); }},
            {QStringLiteral("foodtree"), [&] { return bench::runFoodTree(argument(2), argument(3).toInt()); }},
            {QStringLiteral("curve"), [&] { return bench::runCurve(argument(2), argument(3).toInt()); }},
            {QStringLiteral("foodsearch"), [&] { return bench::runFoodSearch(argument(2), argument(3).toInt()); }},
            {QStringLiteral("save"), [&] { return bench::runSave(argument(2), argument(3), argument(4).toInt()); }},
            {QStringLiteral("diary-memory"), [&] { return bench::runDiaryMemory(argument(2)); }},
            {QStringLiteral("long-text"), [&] { return bench::runLongText(argument(2), argument(3).toInt()); }},
            {QStringLiteral("report"), [&] { return bench::runReport(argument(2), argument(3).toInt()); }},
            {QStringLiteral("foodlog-add"),
             [&] { return bench::runFoodLogAdd(argument(2), argument(3), argument(4).toInt()); }},
            {QStringLiteral("foodlog-day"), [&] { return bench::runFoodLogDay(argument(2), argument(3).toInt()); }},
            {QStringLiteral("diary-edits"), [&] { return bench::runDiaryEdits(argument(2), argument(3).toInt()); }},
            {QStringLiteral("long-entry"),
             [&] { return bench::runLongEntry(argument(2), argument(3).toInt(), argument(4).toInt()); }},
            {QStringLiteral("datafile"),
             [&] { return bench::runDataFile(argument(2), argument(3), argument(4).toInt()); }},
            {QStringLiteral("autobackup"), [&] { return bench::runAutomaticBackup(argument(2), argument(3).toInt()); }},
        };
        const auto scenario = scenarios.find(command);
        if (scenario == scenarios.end() || argc < 3)
            return usage();
        // The same application frame as the program's, so texts are laid out with the same fonts.
        QApplication app(argc, argv);
        application::setUp(app);
        return scenario->second();
    } catch (const std::exception& e) {
        std::printf("error %s\n", e.what());
        std::fflush(stdout);
        return 1;
    }
}
