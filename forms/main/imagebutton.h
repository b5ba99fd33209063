// A picture that acts as a button: it shifts one pixel left and down while pressed and acts on release.
#pragma once

#include "forms/accessible.h"

#include <QLabel>
#include <QPoint>
#include <QTimer>

class ImageButton : public QLabel, public PressablePicture {
    Q_OBJECT
    Q_PROPERTY(QString hint READ hint WRITE setHint)

public:
    explicit ImageButton(QWidget* parent = nullptr);

    // Where the picture stands when not pressed (taken from the layout).
    QPoint designPosition() const { return m_design; }
    // Shown after the pointer comes to rest (chart/hint.h); none when empty.
    void setHint(const QString& hint) { m_hint = hint; }
    QString hint() const { return m_hint; }

    void click() override;

signals:
    void pressed();
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void press();
    void release();
    void moveShifted(const QPoint& position);
    void showHint();

    QPoint m_design;
    bool m_shifting = false;
    QString m_hint;
    QTimer m_hintTimer;
    QPoint m_hintPosition;
};
