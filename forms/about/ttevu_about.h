// The About window: the program's title over a picture; a click on the picture closes it.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class Ttevu_about;
}

class Ttevu_about : public QDialog {
    Q_OBJECT

public:
    explicit Ttevu_about(QWidget* parent = nullptr);
    ~Ttevu_about() override;

    Ui::Ttevu_about* ui() const { return m_ui.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Image1Click();

    const std::unique_ptr<Ui::Ttevu_about> m_ui;
    bool m_placed = false;
};

extern Ttevu_about* tevu_about;
