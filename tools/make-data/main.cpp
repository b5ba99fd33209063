// make-data: builds the shipped data.Mdb from resources/content/, never replacing one that already exists; or brings
// newer shipped content into an existing one, keeping the user's diary and plan.
#include "content_compiler.h"

#include "data/errors.h"
#include "datafile/upgrade.h"

#include <QDateTime>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void printLine(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int upgrade(const QString& contentDir, const QString& dataPath)
{
    QTemporaryDir scratch;
    const QString shipped = scratch.filePath(QStringLiteral("shipped.Mdb"));
    const tevu::content::CompileResult built = tevu::content::compileContent(contentDir, shipped);
    if (built.outcome != tevu::content::Outcome::Built) {
        printLine(stderr, built.error.toString());
        return 1;
    }
    QList<QStringList> plans = built.content.earlierPlans;
    QStringList current;
    for (const tevu::content::Article& day : built.content.plan)
        current << day.body;
    plans << current;
    try {
        const datafile::UpgradeResult result =
            datafile::upgrade(dataPath, shipped, plans, QDateTime::currentDateTime());
        if (!result.upgraded) {
            printLine(stdout, QStringLiteral("%1 的内容版本是 %2，不比内置内容（版本 %3）旧，没有改动。")
                                  .arg(dataPath)
                                  .arg(result.from)
                                  .arg(result.to));
            return 0;
        }
        printLine(stdout, QStringLiteral("已把 %1 的内容从版本 %2 升级到 %3；日记和改过的计划保持原样，"
                                         "%4 天未改过的计划换成了新的。升级前的备份：%5")
                              .arg(dataPath)
                              .arg(result.from)
                              .arg(result.to)
                              .arg(result.planDaysReplaced)
                              .arg(result.backup));
        if (result.durability == datafile::Durability::MaybeNotOnDisk)
            printLine(stderr,
                      QStringLiteral("注意：升级已经完成，但最后一次写入磁盘时出错，它可能还没有完全保存到磁盘上。"));
        return 0;
    } catch (const DataError& e) {
        printLine(stderr, QStringLiteral("没有升级 %1，文件保持原样：%2").arg(dataPath, e.message()));
        return 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArrayView(argv[1]) == "--upgrade")
        return upgrade(QStringLiteral(TEVU_CONTENT_DIR), QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && QByteArrayView(argv[1]) == "--upgrade")
        return upgrade(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc != 3) {
        printLine(stderr, QStringLiteral("用法：make-data <内容目录> <输出文件>"));
        printLine(stderr, QStringLiteral("      make-data --upgrade [<内容目录>] <数据文件>"));
        printLine(stderr, QStringLiteral("把内容目录中的源文件编译成程序使用的数据库；输出文件已存在时不作任何改动。"));
        printLine(stderr,
                  QStringLiteral("--upgrade：数据文件的内容版本较旧时，先备份，再换上新的内置内容，"
                                 "日记和改过的计划保持原样；不给内容目录时用本程序源码中的 resources/content。"));
        return 2;
    }
    const QString contentDir = QString::fromLocal8Bit(argv[1]);
    const QString outputPath = QString::fromLocal8Bit(argv[2]);

    const tevu::content::CompileResult result = tevu::content::compileContent(contentDir, outputPath);
    switch (result.outcome) {
    case tevu::content::Outcome::LeftUntouched:
        printLine(stdout, QStringLiteral("%1 已存在，保持原样未作任何改动。").arg(outputPath));
        return 0;
    case tevu::content::Outcome::Failed:
        printLine(stderr, result.error.toString());
        return 1;
    case tevu::content::Outcome::Built:
        break;
    }
    const tevu::content::Content& c = result.content;
    printLine(stdout,
              QStringLiteral("已生成 %1：%2 个食物类别、%3 种食物、%4 个食谱、%5 项运动、%6 条小贴士、七天计划。")
                  .arg(outputPath)
                  .arg(c.categories.size())
                  .arg(c.foods.size())
                  .arg(c.recipes.size())
                  .arg(c.exercises.size())
                  .arg(c.tips.size()));
    return 0;
}
