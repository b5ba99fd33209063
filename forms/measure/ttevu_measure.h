// The 身体围度 window: waist, hip and body fat by date, the newest waist's class on the Chinese bands, the
// waist-to-height and waist-to-hip ratios and how the measures changed; a list of the rows with edit, delete and undo.
#pragma once

#include "data/rowchanges.h"
#include "datafile/measurements.h"
#include "forms/dialog.h"
#include "health/body.h"

#include <QDate>
#include <functional>
#include <optional>
#include <vector>

class Connection;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class Ttevu_measure : public TevuDialog {
    Q_OBJECT

public:
    // The measures are read and written, the profile read, through `connection`, which outlives the window.
    explicit Ttevu_measure(Connection& connection, QWidget* parent = nullptr);
    ~Ttevu_measure() override;

    // The day that counts as today; the clock's unless a test sets it.
    void setToday(const QDate& today) { m_today = today; }
    // The question before a row is replaced or deleted; a message box unless a test sets it.
    using Ask = std::function<bool(const QString& question, const QString& yes)>;
    void setAsk(Ask ask) { m_ask = std::move(ask); }

    // Checks the fields and stores them as the row of the date: a bad field is named with its range, gets the focus,
    // and nothing is stored; a date that has a row already is replaced after a question.
    void saveClick();
    // Puts the chosen row into the fields; 保存 then changes that row, whose date stays.
    void editChosen();
    void cancelEdit();
    void deleteChosen();
    void undo();
    void redo();

    QTreeWidget* list() const { return m_list; }
    QLabel* factsLabel() const { return m_facts; }
    QLabel* statusLabel() const { return m_status; }

protected:
    void FormShow() override;

private:
    QDate today() const;
    // Reads the rows and the profile, lists them with `chosen` current, and says the facts.
    void reload(std::optional<qint64> chosen = std::nullopt);
    void clearFields();
    const datafile::StoredMeasurement* chosenRow() const;
    void afterHistory(const std::optional<rowchanges::History::Entry>& entry, const QString& done,
                      const QString& nothing);

    Connection& m_connection;
    QDate m_today;
    Ask m_ask;
    QDateEdit* m_date = nullptr;
    QLineEdit* m_waist = nullptr;
    QLineEdit* m_hip = nullptr;
    QLineEdit* m_fat = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancelEdit = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_facts = nullptr;
    QTreeWidget* m_list = nullptr;

    std::vector<datafile::StoredMeasurement> m_rows; // by date
    health::Profile m_profile;
    std::optional<datafile::StoredMeasurement> m_edited;
    rowchanges::History m_history;
};

extern Ttevu_measure* tevu_measure;
