// The secondary windows' common frame: centred at the first showing, FormShow at every showing.
#pragma once

#include <QDialog>

class TevuDialog : public QDialog {
    Q_OBJECT

public:
    // A fixed-border window; withMinimise adds the system menu and the minimise box.
    TevuDialog(QWidget* parent, bool withMinimise);

    // Placed before it is shown: a window moved while it is being mapped may leave Qt taking the window manager's
    // frame corner for its place, and menus then open beside their pictures.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    // In the designed windows Escape closes nothing: none has a cancel button, and in the plan an accidental Escape
    // would drop the unsaved days. The close box and the windows' own buttons close them. The windows added beyond
    // them follow the desktop: Escape rejects (closes) them, as their cancel or close does.
    void keyPressEvent(QKeyEvent* event) override;
    void setEscapeCloses(bool closes) { m_escapeCloses = closes; }
    // Runs every time the window is shown (not on a restore from the taskbar); errors are reported.
    virtual void FormShow() {}
    // The fonts and caption colours, set at the first showing, before the window is placed: a window that is never
    // opened loads no font sizes of its own.
    virtual void applyLook() {}

private:
    bool m_placed = false;
    bool m_escapeCloses = false;
};

// A question with two answers; true for the first. The second is the default, so that Enter or Esc does no harm.
bool ask(QWidget* parent, const QString& question, const QString& yes, const QString& no);
