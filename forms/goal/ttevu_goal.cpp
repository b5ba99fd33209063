// The 我的目标 window.
#include "forms/goal/ttevu_goal.h"

#include "chart/axis.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "datafile/diary.h"
#include "datafile/profile.h"
#include "foods/foodlog.h"
#include "forms/guard.h"
#include "forms/look.h"
#include "reminder/schedule.h"
#include "ui_ttevu_goal.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>

Ttevu_goal* tevu_goal = nullptr;

namespace {

// What an input method's full-width mode types (１６５．５) read as the ASCII it stands for.
std::optional<double> readNumber(const QString& text)
{
    return conversions::textToNumber(text.normalized(QString::NormalizationForm_KC));
}

std::optional<double> numberIn(const QLineEdit* edit, double low, double high)
{
    const std::optional<double> value = readNumber(edit->text());
    if (!value || !(*value >= low && *value <= high))
        return std::nullopt;
    return value;
}

std::optional<int> wholeIn(const QLineEdit* edit, int low, int high)
{
    const std::optional<double> value = numberIn(edit, low, high);
    if (!value || *value != std::floor(*value))
        return std::nullopt;
    return static_cast<int>(*value);
}

QString number(double value)
{
    return axis::formatNumber(value);
}

} // namespace

Ttevu_goal::Ttevu_goal(Connection& connection, QWidget* parent)
    : TevuDialog(parent, false), m_connection(connection), m_ui(std::make_unique<Ui::Ttevu_goal>())
{
    m_ui->setupUi(this);
    setEscapeCloses(true);
    m_ui->trendHelp->setText(goalfacts::trendMeaning());
    // Each result is read as its value, labelled by its caption.
    for (QLabel* caption : {m_ui->bmiValueCaption, m_ui->rangeValueCaption, m_ui->trendValueCaption,
                            m_ui->goalValueCaption, m_ui->budgetValueCaption}) {
        QWidget* value = m_ui->resultsLayout->itemAt(m_ui->resultsLayout->indexOf(caption) + 1)->widget();
        caption->setBuddy(value);
        value->setAccessibleDescription(caption->text());
    }
    connect(m_ui->saveButton, &QPushButton::clicked, this, [this] { guarded([this] { saveClick(); }); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->measureButton, &QPushButton::clicked, this, [this] {
        if (m_showMeasure)
            guarded(m_showMeasure);
    });
    for (QLineEdit* edit : {m_ui->heightEdit, m_ui->birthYearEdit, m_ui->goalEdit, m_ui->ownBudgetEdit})
        connect(edit, &QLineEdit::textChanged, this, [this] { updateFacts(); });
    for (QComboBox* box : {m_ui->sexBox, m_ui->activityBox, m_ui->pregnantBox})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { updateFacts(); });
    connect(m_ui->remindBox, &QCheckBox::toggled, m_ui->remindTime, &QWidget::setEnabled);
}

Ttevu_goal::~Ttevu_goal() = default;

void Ttevu_goal::applyLook()
{
    look::setWindowFont(this, look::formFont, 12);
    // The window keeps its size while the texts change: each result has the lines its longest text takes, the
    // goal's projection and the notes two, so that 保存 and 取消 never move.
    // Measured on Chinese text: its fallback face sets taller lines than the window's own.
    const QRect room(0, 0, 1000, 1000);
    const int line = fontMetrics().boundingRect(room, Qt::TextWordWrap, QStringLiteral("目标")).height();
    const int twoLines = fontMetrics().boundingRect(room, Qt::TextWordWrap, QStringLiteral("目标\n目标")).height();
    for (QLabel* value : {m_ui->bmiValue, m_ui->rangeValue, m_ui->trendValue, m_ui->trendHelp})
        value->setFixedHeight(line);
    for (QLabel* value : {m_ui->goalValue, m_ui->budgetValue})
        value->setFixedHeight(twoLines);
    // The notes: a caution for a child, a pregnancy or an older age, the goal's and the pace's notes.
    m_ui->noteLabel->setFixedHeight(
        fontMetrics().boundingRect(room, Qt::TextWordWrap, QStringLiteral("目标\n目标\n目标\n目标")).height());
}

namespace {

// A date is one word: 2027年3月21日 is never broken at the end of a line (a word joiner between its characters).
QString unbrokenDates(QString text)
{
    static const QRegularExpression date(QStringLiteral("\\d{4}年\\d{1,2}月\\d{1,2}日"));
    QRegularExpressionMatchIterator found = date.globalMatch(text);
    QList<QRegularExpressionMatch> matches;
    while (found.hasNext())
        matches << found.next();
    for (auto match = matches.crbegin(); match != matches.crend(); ++match) {
        QString joined;
        for (const QChar c : match->captured())
            joined += joined.isEmpty() ? QString(c) : QString(QChar(0x2060)) + c;
        text.replace(match->capturedStart(), match->capturedLength(), joined);
    }
    return text;
}

} // namespace

QString Ttevu_goal::fieldTexts() const
{
    return QStringList{m_ui->heightEdit->text(),
                       QString::number(m_ui->sexBox->currentIndex()),
                       m_ui->birthYearEdit->text(),
                       m_ui->goalEdit->text(),
                       QString::number(m_ui->activityBox->currentIndex()),
                       QString::number(m_ui->pregnantBox->currentIndex()),
                       m_ui->ownBudgetEdit->text(),
                       QString::number(m_ui->remindBox->isChecked()),
                       m_ui->remindTime->time().toString(QStringLiteral("HH:mm"))}
        .join(u'\n');
}

void Ttevu_goal::reject()
{
    // 取消, Escape and the close box alike: what was typed is dropped only when the user says so.
    if (isVisible() && fieldTexts() != m_shown) {
        QMessageBox box(QMessageBox::Question, windowTitle(), QStringLiteral("放弃刚才的修改吗？"),
                        QMessageBox::NoButton, this);
        QPushButton* discard = box.addButton(QStringLiteral("放弃修改"), QMessageBox::DestructiveRole);
        QPushButton* back = box.addButton(QStringLiteral("返回"), QMessageBox::RejectRole);
        box.setDefaultButton(back);
        box.setEscapeButton(back);
        box.exec();
        if (box.clickedButton() != discard)
            return;
    }
    TevuDialog::reject();
}

int Ttevu_goal::thisYear() const
{
    return (m_today.isValid() ? m_today : QDate::currentDate()).year();
}

void Ttevu_goal::FormShow()
{
    m_ui->measureButton->setVisible(static_cast<bool>(m_showMeasure));
    m_diary = {};
    showProfile({});
    m_connection.connect();
    const health::Profile stored = datafile::readProfile(m_connection.handle(), m_connection.filePath(), thisYear());
    m_diary = datafile::readDiary(m_connection);
    foodlog::estimateBody(m_diary, m_connection.handle(), m_connection.filePath(), stored,
                          m_today.isValid() ? m_today : QDate::currentDate());
    showProfile(stored);
    // The reminder is the user's session's, not the data file's: what is installed now.
    m_remindAt = reminder::installedTime();
    m_ui->remindBox->setChecked(m_remindAt.has_value());
    m_ui->remindTime->setTime(m_remindAt.value_or(reminder::defaultTime()));
    m_ui->remindTime->setEnabled(m_remindAt.has_value());
    m_ui->heightEdit->setFocus();
    m_shown = fieldTexts();
}

void Ttevu_goal::showProfile(const health::Profile& profile)
{
    m_ui->heightEdit->setText(profile.height ? number(*profile.height) : QString());
    m_ui->sexBox->setCurrentIndex(profile.sex == health::Sex::Male ? 1 : 0);
    m_ui->birthYearEdit->setText(profile.birthYear ? QString::number(*profile.birthYear) : QString());
    m_ui->goalEdit->setText(profile.goal ? number(*profile.goal) : QString());
    // Most users sit most of the day: the lowest level, which never overstates the budget, until they say otherwise.
    m_ui->activityBox->setCurrentIndex(profile.activity ? static_cast<int>(*profile.activity) : 0);
    m_ui->ownBudgetEdit->setText(profile.ownBudget ? QString::number(*profile.ownBudget) : QString());
    m_ui->pregnantBox->setCurrentIndex(!profile.pregnant ? 0 : *profile.pregnant ? 2 : 1);
    updateFacts();
}

health::Profile Ttevu_goal::entered() const
{
    health::Profile profile;
    profile.height = numberIn(m_ui->heightEdit, health::minimumHeight, health::maximumHeight);
    profile.sex = m_ui->sexBox->currentIndex() == 1 ? health::Sex::Male : health::Sex::Female;
    profile.birthYear = wholeIn(m_ui->birthYearEdit, health::earliestBirthYear, health::latestBirthYear(thisYear()));
    profile.goal = numberIn(m_ui->goalEdit, health::minimumGoal, health::maximumGoal);
    profile.activity = static_cast<health::Activity>(std::max(0, m_ui->activityBox->currentIndex()));
    profile.ownBudget = wholeIn(m_ui->ownBudgetEdit, health::minimumBudget, health::maximumBudget);
    // Asked of women of an age to be pregnant only; 请选择 is not yet answered.
    if (health::asksPregnancy(profile, thisYear()) && m_ui->pregnantBox->currentIndex() > 0)
        profile.pregnant = m_ui->pregnantBox->currentIndex() == 2;
    // A child sets no goal and no budget: the fields are off, and what they still hold is not kept.
    if (health::isChild(profile, thisYear())) {
        profile.goal.reset();
        profile.ownBudget.reset();
    }
    return profile;
}

health::Profile Ttevu_goal::checked() const
{
    const health::Profile profile = entered();
    const auto refuse = [](QLineEdit* edit, const QString& message) {
        edit->setFocus();
        edit->selectAll();
        throw DataError(message);
    };
    if (!profile.height)
        refuse(
            m_ui->heightEdit,
            QStringLiteral("身高(厘米)要填 %1 到 %2 之间的数").arg(health::minimumHeight).arg(health::maximumHeight));
    if (!profile.birthYear)
        refuse(m_ui->birthYearEdit, QStringLiteral("出生年份要填 %1 到 %2 之间的年份")
                                        .arg(health::earliestBirthYear)
                                        .arg(health::latestBirthYear(thisYear())));
    const bool child = health::isChild(profile, thisYear());
    if (!profile.goal && !child)
        refuse(m_ui->goalEdit,
               QStringLiteral("目标体重(斤)要填 %1 到 %2 之间的数").arg(health::minimumGoal).arg(health::maximumGoal));
    if (const QString tooLow = goalfacts::goalTooLow(profile, thisYear(), conversions::locale()); !tooLow.isEmpty())
        refuse(m_ui->goalEdit, tooLow);
    if (const QString tooLow = goalfacts::ownBudgetTooLow(profile); !tooLow.isEmpty())
        refuse(m_ui->ownBudgetEdit, tooLow);
    if (!profile.ownBudget && !child && !m_ui->ownBudgetEdit->text().trimmed().isEmpty())
        refuse(m_ui->ownBudgetEdit, QStringLiteral("自定每日摄入(大卡)要填 %1 到 %2 之间的整数，或者留空")
                                        .arg(health::minimumBudget)
                                        .arg(health::maximumBudget));
    return profile;
}

void Ttevu_goal::saveClick()
{
    const health::Profile profile = checked();
    m_connection.connect();
    datafile::writeProfile(m_connection.handle(), m_connection.filePath(), profile);
    // The profile is stored either way; a reminder that cannot be set is said, and the window stays open.
    const QTime wanted = m_ui->remindTime->time();
    if (m_ui->remindBox->isChecked() &&
        (!m_remindAt || m_remindAt->hour() != wanted.hour() || m_remindAt->minute() != wanted.minute())) {
        reminder::enable(wanted);
        m_remindAt = wanted;
    } else if (!m_ui->remindBox->isChecked() && m_remindAt) {
        reminder::disable();
        m_remindAt.reset();
    }
    accept();
}

void Ttevu_goal::updateFacts()
{
    const health::Profile profile = entered();
    const bool child = health::isChild(profile, thisYear());
    m_ui->goalEdit->setEnabled(!child);
    m_ui->ownBudgetEdit->setEnabled(!child);
    const bool asked = health::asksPregnancy(profile, thisYear());
    m_ui->pregnantBoxLabel->setVisible(asked);
    m_ui->pregnantBox->setVisible(asked);
    m_ui->bmiValue->setText(goalfacts::bmi(profile, m_diary, thisYear(), conversions::locale()));
    m_ui->rangeValue->setText(goalfacts::healthyRange(profile, thisYear(), conversions::locale()));
    QString trend = goalfacts::trend(m_diary, conversions::locale());
    if (m_diary.trend)
        trend += QStringLiteral("，每周 ") + goalfacts::rate(m_diary, conversions::locale());
    m_ui->trendValue->setText(trend);
    m_ui->goalValue->setText(unbrokenDates(goalfacts::goal(profile, m_diary, thisYear(), conversions::locale())));
    QString budget = goalfacts::budget(profile, m_diary, thisYear());
    // A year typed but out of range is said as such, not as a year never set.
    if (!profile.birthYear && !m_ui->birthYearEdit->text().trimmed().isEmpty() &&
        budget.startsWith(QStringLiteral("未设置")))
        budget = QStringLiteral("出生年份要在 %1 到 %2 之间")
                     .arg(health::earliestBirthYear)
                     .arg(health::latestBirthYear(thisYear()));
    // What the body really uses, once the food log holds something: the figure a budget can rest on.
    if (m_diary.body.loggedDays > 0)
        budget += u'\n' + goalfacts::realUse(profile, m_diary, thisYear());
    m_ui->budgetValue->setText(budget);
    QStringList notes = goalfacts::cautions(profile, m_diary, thisYear());
    if (const QString tooLow = goalfacts::goalTooLow(profile, thisYear(), conversions::locale()); !tooLow.isEmpty())
        notes << tooLow + u'。';
    if (const QString above = goalfacts::goalAboveRange(profile, thisYear(), conversions::locale()); !above.isEmpty())
        notes << above;
    if (const QString tooLow = goalfacts::ownBudgetTooLow(profile); !tooLow.isEmpty())
        notes << tooLow + u'。';
    if (const QString pace = health::paceNote(goalfacts::projection(profile, m_diary, thisYear())); !pace.isEmpty())
        notes << pace;
    // Empty, the line keeps its place: the window does not change its size.
    m_ui->noteLabel->setText(notes.join(u'\n'));
}
