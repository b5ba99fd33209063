// An invisible area that acts on a press of any mouse button.
#pragma once

#include <QWidget>

class HotArea : public QWidget {
    Q_OBJECT

public:
    explicit HotArea(QWidget* parent = nullptr) : QWidget(parent) {}

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
