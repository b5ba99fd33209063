// The round pink pig that appears on every feature button, the program icon and the About picture.
#pragma once

#include <QPainter>
#include <QRectF>

namespace artwork {

enum class Pose {
    Recipes,   // a bowl of food and chopsticks
    Exercises, // lifting a dumbbell
    Tips,      // a light bulb over an open book
    Diary,     // writing in a notebook
    Calorie,   // next to a burning flame
    Plan,      // holding up a calendar
    Curve,     // pointing at a chart that goes down
    Face,      // just the head, for the program icon
    Greeting,  // waving, with a tape measure round the tummy
};

// Paints the pig into the square box; the drawing is laid out on a 100 x 100 grid mapped onto the box.
void paintMascot(QPainter& painter, const QRectF& box, Pose pose);

} // namespace artwork
