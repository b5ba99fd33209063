// A picture that acts on a click: a left-button release inside it.
#pragma once

#include "forms/accessible.h"

#include <QLabel>

class ClickablePicture : public QLabel, public PressablePicture {
    Q_OBJECT

public:
    explicit ClickablePicture(QWidget* parent = nullptr) : QLabel(parent) {}

    void click() override { emit clicked(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
