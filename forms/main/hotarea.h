// An invisible area that acts on a press of any mouse button.
#pragma once

#include "forms/accessible.h"

#include <QWidget>

class HotArea : public QWidget, public PressablePicture {
    Q_OBJECT

public:
    explicit HotArea(QWidget* parent = nullptr) : QWidget(parent) {}

    // A left click acts on its press; the release does nothing here.
    void click() override { emit pressed(); }

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
