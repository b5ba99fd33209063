// The command line: check, backup, restore, CSV export and import.
#include "app/commandline.h"

#include "app/datalocation.h"
#include "app/remind.h"

#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "datafile/backup.h"
#include "datafile/csv.h"
#include "datafile/datafile.h"
#include "datafile/diary.h"
#include "datafile/measurements.h"
#include "datafile/partialfile.h"
#include "datafile/profile.h"
#include "foods/foodlog.h"
#include "foods/nutrients.h"
#include "health/goalfacts.h"
#include "health/measurefacts.h"
#include "report/report.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace commandline {

namespace {

enum Status { Done = 0, Failed = 1, Usage = 2 };

// One message on standard error, whole: control characters that a value may carry (a NUL would end it) shown as
// their visible symbols, and a huge one cut at about 2,000 characters.
void say(const QString& text)
{
    constexpr qsizetype most = 2000;
    QString shown = text.size() > most ? text.left(most) + u'…' : text;
    for (QChar& c : shown)
        if ((c.unicode() < 0x20 && c != u'\n' && c != u'\r') || c.unicode() == 0x7f)
            c = QChar(c.unicode() == 0x7f ? 0x2421 : 0x2400 + c.unicode());
    const QByteArray bytes = shown.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
}

// What the user asked to read (the help, the version) goes to standard output, whole, so that it can be paged.
int tell(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stdout) != 0)
        return Failed;
    return Done;
}

// A table by what it holds, with the name the file stores it under: 食物类别（02）.
QString tableName(const QString& stored)
{
    static const QHash<QString, QString> held{{QStringLiteral("02"), QStringLiteral("食物类别")},
                                              {QStringLiteral("01"), QStringLiteral("食物")},
                                              {QStringLiteral("sp"), QStringLiteral("食谱")},
                                              {QStringLiteral("yd"), QStringLiteral("运动")},
                                              {QStringLiteral("xd"), QStringLiteral("秘笈")},
                                              {QStringLiteral("rj"), QStringLiteral("日记")},
                                              {QStringLiteral("plan"), QStringLiteral("计划")},
                                              {QStringLiteral("portions"), QStringLiteral("常用份量")},
                                              {QStringLiteral("food_search"), QStringLiteral("食物拼音")},
                                              {QStringLiteral("profile"), QStringLiteral("目标")},
                                              {QStringLiteral("food_log"), QStringLiteral("饮食记录")},
                                              {QStringLiteral("exercise_log"), QStringLiteral("运动记录")},
                                              {QStringLiteral("own_foods"), QStringLiteral("自己加的食物")},
                                              {QStringLiteral("nutrients"), QStringLiteral("营养素")},
                                              {QStringLiteral("measurements"), QStringLiteral("身体围度")},
                                              {QStringLiteral("settings"), QStringLiteral("设置")}};
    const QString name = held.value(stored);
    return name.isEmpty() ? stored : QStringLiteral("%1（%2）").arg(name, stored);
}

// What goes after an option that takes a value, for the message that says it is missing.
QString missingValue(const QString& option)
{
    if (option == QLatin1String("report"))
        return QStringLiteral("--report 后面要写报告文件名，例如 --report 报告.pdf");
    if (option == QLatin1String("from") || option == QLatin1String("to"))
        return QStringLiteral("--%1 后面要写日期，例如 --%1 2026-12-07").arg(option);
    if (option == QLatin1String("remind-at"))
        return QStringLiteral("--remind-at 后面要写时间，例如 --remind-at 07:30");
    return QStringLiteral("--%1 后面缺少文件名").arg(option);
}

QString usageText()
{
    return QStringLiteral(
        "用法：tevu [--data 文件] 命令\n"
        "不带参数时启动 Tevu 的窗口。每条命令只处理数据文件，不打开窗口，也不需要图形显示环境。\n"
        "\n"
        "命令：\n"
        "  --check               检查数据文件：完整性、七个表及其字段、各表行数、内容版本和最新的备份\n"
        "                        例：tevu --check\n"
        "  --backup 文件         把数据文件的一致副本写成“文件”，检查后才放到位（程序运行时也可以）；\n"
        "                        文件已存在时要加 --force\n"
        "                        例：tevu --backup ~/tevu-备份.Mdb\n"
        "  --restore 文件        先检查“文件”，再自动备份当前的数据文件，然后用“文件”恢复它\n"
        "                        例：tevu --restore backups/data-20261207-081500.Mdb\n"
        "  --export-csv 文件     把日记导出成 CSV 文件，电子表格双击即可打开（“-”表示标准输出）\n"
        "                        例：tevu --export-csv ~/日记.csv\n"
        "  --export-food-log 文件\n"
        "                        把饮食记录导出成 CSV 文件；可以单独使用，也可以跟在 --export-csv 后面\n"
        "                        例：tevu --export-csv ~/日记.csv --export-food-log ~/饮食.csv\n"
        "  --export-measurements 文件\n"
        "                        把身体围度（腰围、臀围、体脂率）导出成 CSV 文件；可以单独使用，也可以跟在 "
        "--export-csv 后面\n"
        "                        例：tevu --export-csv ~/日记.csv --export-measurements ~/围度.csv\n"
        "  --import-csv 文件     把 CSV 文件中的日记加入数据文件，已有的相同条目跳过（“-”表示标准输入）；\n"
        "                        也认得 openScale、Libra、TrendWeight、wger 的导出文件（openScale "
        "的腰围、臀围、体脂率\n"
        "                        一并导入）和 日期,腰围(厘米),臀围(厘米),体脂率(%) 的身体围度文件\n"
        "                        例：tevu --import-csv ~/日记.csv\n"
        "  --report 文件.pdf     写一页给医生看的 A4 报告：体重曲线、每周记录和小结；文件已存在时要加 --force\n"
        "                        可加 --from 日期、--to 日期（YYYY-MM-DD）限定期间，--with-notes 附上日记文字\n"
        "                        例：tevu --report ~/报告.pdf --from 2026-09-01 --to 2026-12-07\n"
        "  --summary             "
        "在标准输出上每行写一项：最新体重、趋势、每周变化、BMI、目标和预计日期、能量预算、今天已吃、腰围\n"
        "                        例：tevu --summary\n"
        "  --copy-meal 日期 [餐次]\n"
        "                        "
        "把那一天（YYYY-MM-DD）的一餐（早餐、午餐、晚餐或加餐）照样加到今天；不写餐次就是一整天\n"
        "                        例：tevu --copy-meal 2026-12-07 早餐\n"
        "  --remind              今天还没有记录体重时，发一条桌面通知提醒称体重；已经记录了就什么也不做\n"
        "                        例：tevu --remind\n"
        "  --remind-at 时间      每天到了“时间”（时:分）提醒称体重，直到退出登录（供自动启动使用）\n"
        "                        例：tevu --remind-at 07:30\n"
        "\n"
        "选项：\n"
        "  --data 文件           处理“文件”，而不是平常用的 data.Mdb（它在哪里，见 --check）\n"
        "                        例：tevu --data ~/旧电脑/data.Mdb --check\n"
        "  --force               允许 --backup、--export-csv、--export-food-log、--export-measurements 和 --report\n"
        "                        覆盖已存在的文件\n"
        "                        例：tevu --backup ~/tevu-备份.Mdb --force\n"
        "  --write               （单独使用）打开窗口，直接开始写一条新日记；提醒里的“记录”就是这样打开 Tevu 的\n"
        "                        例：tevu --write\n"
        "  -h, --help            显示这段说明\n"
        "                        例：tevu --help\n"
        "  -v, --version         显示版本\n"
        "                        例：tevu --version\n"
        "\n"
        "退出状态：0 成功，1 失败，2 命令行有误。");
}

int usageError(const QString& text)
{
    say(text);
    say(QStringLiteral("用 tevu --help 查看用法。"));
    return Usage;
}

// A change that was made but whose last sync failed is a success with a warning: failing would say nothing changed.
void sayDurability(datafile::Durability durability)
{
    if (durability == datafile::Durability::MaybeNotOnDisk)
        say(QStringLiteral("注意：改动已经完成，但最后一次写入磁盘时出错，它可能还没有完全保存到磁盘上；"
                           "请不要马上关机，并检查磁盘。"));
}

int check(const QString& dataPath, const datalocation::Location& location)
{
    const datafile::Summary summary = datafile::check(dataPath);
    say(datalocation::describe(location));
    say(QStringLiteral("完整性检查：通过；共 %1 个表，Tevu 必需的 %2 个表及其字段齐全")
            .arg(summary.counts.size() + summary.others.size())
            .arg(summary.counts.size()));
    for (const datafile::TableCount& count : summary.counts + summary.others)
        say(QStringLiteral("  %1：%2 行").arg(tableName(count.table)).arg(count.rows));
    say(QStringLiteral("内容版本：%1").arg(summary.contentVersion));
    const QStringList backups = datafile::automaticBackups(datafile::backupFolder(dataPath));
    if (backups.isEmpty())
        say(QStringLiteral("最新的备份：没有（%1 中没有自动备份）").arg(datafile::backupFolder(dataPath)));
    else
        say(QStringLiteral("最新的备份：%1").arg(backups.last()));
    say(QStringLiteral("检查通过。"));
    return Done;
}

int backup(const QString& dataPath, const QString& target, bool force)
{
    datafile::checkTarget(target, dataPath);
    if (QFileInfo::exists(target) && !force) {
        say(QStringLiteral("文件“%1”已经存在，没有改动它；要覆盖请加上 --force。").arg(target));
        return Failed;
    }
    const datafile::WrittenBackup written = datafile::writeBackup(dataPath, target);
    say(QStringLiteral("已把“%1”备份到“%2”并检查通过：日记 %3 条，内容版本 %4。")
            .arg(dataPath, target)
            .arg(written.copied.rows(QStringLiteral("rj")))
            .arg(written.copied.contentVersion));
    sayDurability(written.durability);
    return Done;
}

int restore(const QString& dataPath, const QString& source)
{
    const datafile::RestoreResult result = datafile::restore(dataPath, source, QDateTime::currentDateTime());
    if (!result.safetyCopy.isEmpty())
        say(QStringLiteral("恢复前的数据文件已保存为“%1”。").arg(result.safetyCopy));
    const qint64 entries = result.restored.rows(QStringLiteral("rj"));
    if (entries > 0)
        say(QStringLiteral("已从“%1”恢复“%2”：日记 %3 条，从 %4 到 %5。")
                .arg(source, dataPath)
                .arg(entries)
                .arg(result.firstTime, result.lastTime));
    else
        say(QStringLiteral("已从“%1”恢复“%2”：没有日记。").arg(source, dataPath));
    sayDurability(result.durability);
    return Done;
}

int exportCsv(const QString& dataPath, const QString& target, bool force)
{
    if (target == u'-') {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly))
            throw DataError(QStringLiteral("无法写入标准输出"));
        const qint64 count = datafile::exportCsv(dataPath, out);
        if (!out.flush())
            throw DataError(QStringLiteral("无法写入标准输出"));
        out.close();
        say(QStringLiteral("已导出 %1 条日记。").arg(count));
        return Done;
    }
    datafile::checkTarget(target, dataPath);
    if (QFileInfo::exists(target) && !force) {
        say(QStringLiteral("文件“%1”已经存在，没有改动它；要覆盖请加上 --force。").arg(target));
        return Failed;
    }
    const datafile::ExportResult result = datafile::exportCsvFile(dataPath, target);
    say(QStringLiteral("已把 %1 条日记导出到“%2”。").arg(result.entries).arg(target));
    sayDurability(result.durability);
    return Done;
}

int exportFoodLog(const QString& dataPath, const QString& target, bool force)
{
    datafile::checkTarget(target, dataPath);
    if (QFileInfo::exists(target) && !force) {
        say(QStringLiteral("文件“%1”已经存在，没有改动它；要覆盖请加上 --force。").arg(target));
        return Failed;
    }
    const datafile::ExportResult result = datafile::exportFoodLogFile(dataPath, target);
    say(QStringLiteral("已把饮食记录的 %1 项导出到“%2”。").arg(result.entries).arg(target));
    sayDurability(result.durability);
    return Done;
}

int exportMeasurements(const QString& dataPath, const QString& target, bool force)
{
    datafile::checkTarget(target, dataPath);
    if (QFileInfo::exists(target) && !force) {
        say(QStringLiteral("文件“%1”已经存在，没有改动它；要覆盖请加上 --force。").arg(target));
        return Failed;
    }
    const datafile::ExportResult result = datafile::exportMeasurementsFile(dataPath, target);
    say(QStringLiteral("已把 %1 条身体围度记录导出到“%2”。").arg(result.entries).arg(target));
    sayDurability(result.durability);
    return Done;
}

int summary(const QString& dataPath)
{
    // Read-only in effect: nothing is written, and a file whose interrupted write cannot be rolled back is refused
    // by the opener as for every command.
    Connection connection(QFileInfo(dataPath).absolutePath());
    connection.setConnectionString(QStringLiteral("Data Source=") + dataPath);
    connection.connect();
    datafile::checkShape(connection.handle(), dataPath);
    const int thisYear = QDate::currentDate().year();
    const health::Profile profile = datafile::readProfile(connection.handle(), dataPath, thisYear);
    goalfacts::Diary diary = datafile::readDiary(connection);
    foodlog::estimateBody(diary, connection.handle(), dataPath, profile, QDate::currentDate());
    QStringList lines = goalfacts::summary(profile, diary, thisYear, conversions::locale());
    const QDateTime now = QDateTime::currentDateTime();
    const foodlog::Day today = foodlog::read(connection.handle(), dataPath, now.date());
    foodlog::Totals totals = foodlog::totals(today, goalfacts::dayBudget(profile, diary, thisYear),
                                             health::floorFor(profile.sex), foodlog::dayEnded(now.date(), now));
    totals.child = health::isChild(profile, thisYear);
    lines << foodlog::summaryLine(totals);
    // What today's items hold besides energy; nothing to say before the first.
    if (!today.items.empty())
        lines << nutrients::summaryLine(nutrients::ofDay(connection.handle(), dataPath, today));
    if (const QString low = goalfacts::lowIntake(profile, foodlog::intake(connection.handle(), dataPath,
                                                                          now.date().addDays(-goalfacts::lowIntakeDays),
                                                                          now.date().addDays(-1)));
        !low.isEmpty())
        lines << low;
    std::vector<health::Measurement> measurements;
    for (const datafile::StoredMeasurement& row : datafile::readMeasurements(connection.handle(), dataPath))
        measurements.push_back(row.measurement);
    if (const QString waist = measurefacts::summaryLine(measurements, profile); !waist.isEmpty())
        lines << waist;
    QByteArray text = lines.join(u'\n').toUtf8() + '\n';
    if (std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout) !=
            static_cast<std::size_t>(text.size()) ||
        std::fflush(stdout) != 0)
        throw DataError(QStringLiteral("无法写入标准输出"));
    return Done;
}

int copyMeal(const QString& dataPath, const QDate& from, std::optional<foodlog::Meal> meal)
{
    Connection connection(QFileInfo(dataPath).absolutePath());
    connection.setConnectionString(QStringLiteral("Data Source=") + dataPath);
    connection.connect();
    datafile::checkShape(connection.handle(), dataPath);
    const foodlog::Copy copied = foodlog::copy(connection, from, meal, QDateTime::currentDateTime());
    say(foodlog::copiedLine(from, meal, copied));
    return Done;
}

int importCsv(const QString& dataPath, const QString& source)
{
    QFile in;
    if (source != u'-' && QFileInfo(source).isDir())
        throw DataError(QStringLiteral("“%1”是一个文件夹，不是 CSV 文件").arg(source));
    const bool opened =
        source == u'-' ? in.open(stdin, QIODevice::ReadOnly) : (in.setFileName(source), in.open(QIODevice::ReadOnly));
    if (!opened)
        throw DataError(QFileInfo::exists(source) ? QStringLiteral("没有权限读取文件“%1”").arg(source)
                                                  : QStringLiteral("找不到文件“%1”").arg(source));
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw DataError(QStringLiteral("读取文件“%1”时出错").arg(source));
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    const auto progress = [&](qint64 done, qint64 total) {
        if (!terminal || clock.elapsed() < 1000)
            return;
        std::fputs(QStringLiteral("\r正在导入：%1 / %2 行").arg(done).arg(total).toUtf8().constData(), stderr);
        std::fflush(stderr);
        shown = true;
    };
    const auto ended = [&] {
        if (shown)
            std::fputc('\n', stderr);
    };
    try {
        const datafile::ImportResult result = datafile::importCsv(dataPath, bytes, source, progress);
        ended();
        if (result.format != datafile::CsvFormat::Tevu)
            say(QStringLiteral("识别为%1。").arg(datafile::formatName(result.format)));
        say(QStringLiteral("已导入 %1 条日记，跳过 %2 条日记中已有的条目。").arg(result.added).arg(result.skipped));
        if (result.measurementsAdded > 0 || result.measurementsSkipped > 0 ||
            result.format == datafile::CsvFormat::Measurements)
            say(QStringLiteral("已导入 %1 条身体围度记录，跳过 %2 个已有记录的日期。")
                    .arg(result.measurementsAdded)
                    .arg(result.measurementsSkipped));
        if (result.notWeighings > 0)
            say(QStringLiteral("另有 %1 行是那个程序自己推算的日子，不是称重，没有导入。").arg(result.notWeighings));
        sayDurability(result.durability);
    } catch (...) {
        ended();
        throw;
    }
    return Done;
}

int writeReport(const QString& dataPath, const QString& target, bool force, const report::Options& options)
{
    datafile::checkTarget(target, dataPath);
    if (QFileInfo::exists(target) && !force) {
        say(QStringLiteral("文件“%1”已经存在，没有改动它；要覆盖请加上 --force。").arg(target));
        return Failed;
    }
    const report::Result result = report::write(dataPath, target, options);
    say(QStringLiteral("已把报告写成“%1”：%2 页，称重 %3 次%4。")
            .arg(target)
            .arg(result.pages)
            .arg(result.weighings)
            .arg(options.withNotes ? QStringLiteral("，附日记文字") : QString()));
    sayDurability(result.durability);
    return Done;
}

// A day given as YYYY-MM-DD.
std::optional<QDate> dayOf(const QString& text)
{
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid() || text.size() != 10)
        return std::nullopt;
    return day;
}

} // namespace

namespace {

// The arguments that open the windows: "--write" and "--data FILE" (or "--data=FILE"), each at most once and nothing
// else; none when the arguments are anything else.
struct WindowArguments {
    bool write = false;
    QString data;
};

std::optional<WindowArguments> windowArguments(int argc, char** argv)
{
    WindowArguments found;
    bool dataGiven = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--write" && !found.write) {
            found.write = true;
        } else if (argument == "--data" && !dataGiven && i + 1 < argc &&
                   !QByteArrayView(argv[i + 1]).startsWith("--")) {
            dataGiven = true;
            found.data = QFile::decodeName(argv[++i]);
        } else if (argument.startsWith("--data=") && !dataGiven) {
            dataGiven = true;
            found.data = QFile::decodeName(argument.sliced(7).toByteArray());
        } else {
            return std::nullopt;
        }
    }
    // An empty file name is the command line's to refuse.
    if (dataGiven && found.data.isEmpty())
        return std::nullopt;
    return found;
}

} // namespace

bool opensNewEntry(int argc, char** argv)
{
    const std::optional<WindowArguments> arguments = windowArguments(argc, argv);
    return arguments && arguments->write;
}

QString windowsDataFile(int argc, char** argv)
{
    const std::optional<WindowArguments> arguments = windowArguments(argc, argv);
    return arguments ? arguments->data : QString();
}

bool wanted(int argc, char** argv)
{
    // Every argument is for the command line: one that is not a known option is a usage error there, never a reason
    // to open the window. The exceptions open the window ready to write, or on another file.
    return argc > 1 && !windowArguments(argc, argv);
}

int run(int argc, char** argv)
{
    const QDateTime started = QDateTime::currentDateTime();
    // The toolkit's own notes (an unset XDG_RUNTIME_DIR, a font fallback) are English and about the machine, not the
    // command: only the command's messages reach the user.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
            std::fputs(message.toUtf8().constData(), stderr);
            std::abort();
        }
    });
    // The report draws its curve with the chart widget, which needs the widgets' application; it needs no display.
    bool drawing = false;
    for (int i = 1; i < argc; ++i)
        drawing = drawing || QByteArrayView(argv[i]) == "--report";
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        drawing ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tevu"));

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("显示用法"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("显示版本"));
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("数据文件"), QStringLiteral("文件"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("覆盖已存在的文件"));
    const QCommandLineOption checkOption(QStringLiteral("check"), QStringLiteral("检查"));
    const QCommandLineOption backupOption(QStringLiteral("backup"), QStringLiteral("备份"), QStringLiteral("文件"));
    const QCommandLineOption restoreOption(QStringLiteral("restore"), QStringLiteral("恢复"), QStringLiteral("文件"));
    const QCommandLineOption exportOption(QStringLiteral("export-csv"), QStringLiteral("导出"), QStringLiteral("文件"));
    const QCommandLineOption foodLogOption(QStringLiteral("export-food-log"), QStringLiteral("导出饮食记录"),
                                           QStringLiteral("文件"));
    const QCommandLineOption measurementsOption(QStringLiteral("export-measurements"), QStringLiteral("导出身体围度"),
                                                QStringLiteral("文件"));
    const QCommandLineOption importOption(QStringLiteral("import-csv"), QStringLiteral("导入"), QStringLiteral("文件"));
    const QCommandLineOption reportOption(QStringLiteral("report"), QStringLiteral("报告"), QStringLiteral("文件"));
    const QCommandLineOption fromOption(QStringLiteral("from"), QStringLiteral("起始日期"), QStringLiteral("日期"));
    const QCommandLineOption toOption(QStringLiteral("to"), QStringLiteral("结束日期"), QStringLiteral("日期"));
    const QCommandLineOption notesOption(QStringLiteral("with-notes"), QStringLiteral("附日记文字"));
    const QCommandLineOption summaryOption(QStringLiteral("summary"), QStringLiteral("概要"));
    const QCommandLineOption copyMealOption(QStringLiteral("copy-meal"), QStringLiteral("复制一餐到今天"),
                                            QStringLiteral("日期"));
    const QCommandLineOption remindOption(QStringLiteral("remind"), QStringLiteral("提醒称体重"));
    const QCommandLineOption remindAtOption(QStringLiteral("remind-at"), QStringLiteral("每天提醒"),
                                            QStringLiteral("时间"));
    parser.addOptions({help, version, data, force, checkOption, backupOption, restoreOption, exportOption,
                       foodLogOption, importOption, reportOption, fromOption, toOption, notesOption, summaryOption,
                       copyMealOption, remindOption, remindAtOption, measurementsOption});
    const QList<const QCommandLineOption*> withValues{
        &data,           &backupOption, &restoreOption, &exportOption, &foodLogOption, &measurementsOption,
        &copyMealOption, &importOption, &reportOption,  &fromOption,   &toOption,      &remindAtOption};
    // Qt's own messages are English; each is said here in Chinese instead.
    if (!parser.parse(QCoreApplication::arguments())) {
        QStringList unknown;
        for (const QString& name : parser.unknownOptionNames())
            unknown << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        if (!unknown.isEmpty())
            return usageError(QStringLiteral("不认识的选项：%1").arg(unknown.join(u' ')));
        // The parser's one other complaint: the last argument is an option that needs a value.
        const QString last = QCoreApplication::arguments().constLast();
        for (const QCommandLineOption* option : withValues)
            if (last == QStringLiteral("--") + option->names().first())
                return usageError(missingValue(option->names().first()));
        return usageError(QStringLiteral("命令行有误：选项后面缺少文件名，或者给不带参数的选项加了值。"));
    }
    if (parser.isSet(help))
        return tell(usageText());
    if (parser.isSet(version))
        return tell(QStringLiteral("Tevu %1").arg(QStringLiteral(TEVU_VERSION)));
    // The meal of --copy-meal is the one word that stands alone.
    const bool mealGiven = parser.isSet(copyMealOption) && parser.positionalArguments().size() == 1;
    if (!parser.positionalArguments().isEmpty() && !mealGiven)
        return usageError(QStringLiteral("不认识的参数：%1（选项以 -- 开头，例如 --check）")
                              .arg(parser.positionalArguments().join(u' ')));
    // A value that is itself an option means that the file name was forgotten: "--export-csv --force".
    for (const QCommandLineOption* withValue : withValues)
        for (const QString& value : parser.values(*withValue))
            if (value.startsWith(QStringLiteral("--")))
                return usageError(
                    QStringLiteral("%1（“%2”是一个选项）").arg(missingValue(withValue->names().first()), value));
    const QList<const QCommandLineOption*> commands{&checkOption,  &backupOption,  &restoreOption, &exportOption,
                                                    &importOption, &reportOption,  &summaryOption, &copyMealOption,
                                                    &remindOption, &remindAtOption};
    const QCommandLineOption* command = nullptr;
    for (const QCommandLineOption* candidate : commands) {
        if (!parser.isSet(*candidate))
            continue;
        if (command)
            return usageError(QStringLiteral("一次只能执行一条命令：--%1 和 --%2 不能同时使用")
                                  .arg(command->names().first(), candidate->names().first()));
        if (parser.values(*candidate).size() > 1)
            return usageError(QStringLiteral("--%1 只能给一次").arg(candidate->names().first()));
        command = candidate;
    }
    // The food log and the measurements go with the diary's export as further files, or alone.
    const auto isExport = [&](const QCommandLineOption* option) {
        return option == &exportOption || option == &foodLogOption || option == &measurementsOption;
    };
    for (const QCommandLineOption* further : {&foodLogOption, &measurementsOption}) {
        if (!parser.isSet(*further))
            continue;
        const QString name = further->names().first();
        if (parser.values(*further).size() > 1)
            return usageError(QStringLiteral("--%1 只能给一次").arg(name));
        if (command && !isExport(command))
            return usageError(QStringLiteral("--%1 只能单独使用，或者和 --export-csv 一起使用。").arg(name));
        if (parser.value(*further).isEmpty())
            return usageError(QStringLiteral("--%1 后面的文件名是空的。").arg(name));
        if (parser.value(*further) == u'-')
            return usageError(QStringLiteral("--%1 要写到文件里，不能写到标准输出（“-”）。").arg(name));
        if (!command)
            command = further;
    }
    if (!command)
        return usageError(QStringLiteral("没有给出命令（--check、--backup、--restore、--export-csv、--import-csv、--"
                                         "report、--summary、--copy-meal 或 --remind）。"));
    if (parser.isSet(force) && command != &backupOption && command != &reportOption && !isExport(command))
        return usageError(QStringLiteral(
            "--force 只能和 --backup、--export-csv、--export-food-log、--export-measurements 或 --report 一起使用。"));
    if (command != &reportOption && (parser.isSet(fromOption) || parser.isSet(toOption) || parser.isSet(notesOption)))
        return usageError(QStringLiteral("--from、--to 和 --with-notes 只能和 --report 一起使用。"));
    report::Options reportOptions;
    reportOptions.withNotes = parser.isSet(notesOption);
    reportOptions.made = QDate::currentDate();
    for (const auto& [option, day] :
         {std::pair{&fromOption, &reportOptions.from}, std::pair{&toOption, &reportOptions.to}}) {
        if (!parser.isSet(*option))
            continue;
        const std::optional<QDate> given = dayOf(parser.value(*option));
        if (!given)
            return usageError(
                QStringLiteral("--%1 后面应是 YYYY-MM-DD 形式的日期，例如 2026-12-07。").arg(option->names().first()));
        *day = *given;
    }
    if (command == &reportOption && !parser.value(reportOption).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return usageError(QStringLiteral("报告文件名要以 .pdf 结尾，例如 --report 报告.pdf（“%1”不是）")
                              .arg(parser.value(reportOption)));
    if (reportOptions.from.isValid() && reportOptions.to.isValid() && reportOptions.from > reportOptions.to)
        return usageError(QStringLiteral("--from 的日期晚于 --to 的日期。"));
    if (parser.values(data).size() > 1)
        return usageError(QStringLiteral("--data 只能给一次。"));
    std::optional<QDate> copiedDay;
    std::optional<foodlog::Meal> copiedMeal;
    if (command == &copyMealOption) {
        copiedDay = dayOf(parser.value(copyMealOption));
        if (!copiedDay)
            return usageError(QStringLiteral("--copy-meal 后面应是 YYYY-MM-DD 形式的日期，例如 2026-12-07。"));
        if (mealGiven) {
            copiedMeal = foodlog::mealNamed(parser.positionalArguments().first());
            if (!copiedMeal)
                return usageError(QStringLiteral("餐次“%1”不对，应是 早餐、午餐、晚餐 或 加餐。")
                                      .arg(parser.positionalArguments().first()));
        }
    }
    const QTime remindAt = QTime::fromString(parser.value(remindAtOption), QStringLiteral("H:mm"));
    if (command == &remindAtOption && !remindAt.isValid())
        return usageError(QStringLiteral("--remind-at 后面的时间“%1”无效，应写成 时:分，例如 07:30。")
                              .arg(parser.value(remindAtOption)));

    if (parser.isSet(data) && parser.value(data).isEmpty())
        return usageError(QStringLiteral("--data 后面的文件名是空的。"));
    // Links followed: what a command writes reaches the real file, never a new file in the link's place.
    const datalocation::Location location =
        parser.isSet(data) ? datalocation::Location{parser.value(data), datalocation::Reason::Named}
                           : datalocation::forThisProgram();
    const QString dataPath = datafile::realPath(location.file);
    const QString argument = command->valueName().isEmpty() ? QString() : parser.value(*command);
    if (command->valueName().size() && argument.isEmpty())
        return usageError(QStringLiteral("--%1 后面的文件名是空的。").arg(command->names().first()));
    try {
        // What an interrupted backup, restore, export or upgrade of an earlier run left behind.
        datafile::removeStalePartials(QFileInfo(dataPath).absolutePath(), started);
        datafile::removeStalePartials(datafile::backupFolder(dataPath), started);
        if (command == &checkOption)
            return check(dataPath, location);
        if (command == &backupOption)
            return backup(dataPath, argument, parser.isSet(force));
        if (command == &restoreOption)
            return restore(dataPath, argument);
        if (isExport(command)) {
            // The diary first, then each further file; the first that fails ends it.
            int exported = Done;
            if (parser.isSet(exportOption))
                exported = exportCsv(dataPath, parser.value(exportOption), parser.isSet(force));
            if (exported == Done && parser.isSet(foodLogOption))
                exported = exportFoodLog(dataPath, parser.value(foodLogOption), parser.isSet(force));
            if (exported == Done && parser.isSet(measurementsOption))
                exported = exportMeasurements(dataPath, parser.value(measurementsOption), parser.isSet(force));
            return exported;
        }
        if (command == &remindOption)
            return remind::now(dataPath);
        if (command == &remindAtOption)
            return remind::daily(dataPath, remindAt);
        if (command == &reportOption)
            return writeReport(dataPath, argument, parser.isSet(force), reportOptions);
        if (command == &summaryOption)
            return summary(dataPath);
        if (command == &copyMealOption)
            return copyMeal(dataPath, *copiedDay, copiedMeal);
        return importCsv(dataPath, argument);
    } catch (const std::exception& e) {
        const QString what = command == &checkOption ? QStringLiteral("检查未通过：") : QStringLiteral("失败：");
        say(what + describeException(e));
        return Failed;
    }
}

} // namespace commandline
