// The 自己加的食物 window: the user's own foods listed, one added, changed or deleted, each change taken back with
// 撤销.
#pragma once

#include "data/rowchanges.h"
#include "foods/ownfoods.h"
#include "forms/dialog.h"

#include <array>
#include <vector>

class Connection;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class Ttevu_ownfoods : public TevuDialog {
    Q_OBJECT

public:
    // The own foods are read and written through `connection`, which outlives the window.
    explicit Ttevu_ownfoods(Connection& connection, QWidget* parent = nullptr);
    ~Ttevu_ownfoods() override;

    // Stores what the form holds: a new food, or the chosen one changed. Refused input is reported naming the field,
    // and nothing is stored.
    void save();
    // Deletes the chosen food; 撤销 brings it back.
    void removeChosen();
    void undo();
    // An empty form for a new food.
    void startNew();
    // True when anything was stored since the window was shown.
    bool changed() const { return m_changed; }

    QListWidget* list() const { return m_list; }
    QLabel* messageLabel() const { return m_message; }

protected:
    void FormShow() override;

private:
    void reload(qint64 chosen);
    void fill(const ownfoods::Food& food);
    // The form as a food; throws DataError naming a field that is not a number.
    ownfoods::Food fromForm() const;
    void said(const QString& text);

    Connection& m_connection;
    std::vector<ownfoods::Food> m_foods;
    std::vector<rowchanges::Change> m_changes;
    bool m_changed = false;
    qint64 m_editing = 0; // the key of the food in the form; 0 for a new one
    QListWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_kcal = nullptr;
    QLineEdit* m_unitKcal = nullptr;
    QLineEdit* m_protein = nullptr;
    QLineEdit* m_fat = nullptr;
    QLineEdit* m_carbohydrate = nullptr;
    std::array<QLineEdit*, ownfoods::maximumUnits> m_unitNames{};
    std::array<QLineEdit*, ownfoods::maximumUnits> m_unitGrams{};
    QPushButton* m_remove = nullptr;
    QPushButton* m_undo = nullptr;
    QLabel* m_message = nullptr;
};

extern Ttevu_ownfoods* tevu_ownfoods;
