// make-data: builds the shipped data.Mdb from resources/content/, never replacing one that already exists.
#include "content_compiler.h"

#include <QString>

#include <cstdio>

namespace {

void printLine(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        printLine(stderr, QStringLiteral("用法：make-data <内容目录> <输出文件>"));
        printLine(stderr, QStringLiteral("把内容目录中的源文件编译成程序使用的数据库；输出文件已存在时不作任何改动。"));
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
