// The round pink pig that appears on every feature button, the program icon and the About picture.
#include "mascot.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace artwork {

namespace {

const QColor outlineColour(0x9e, 0x3f, 0x66);
const QColor propOutline(0x5b, 0x3d, 0x52);
const QColor skinLight(0xff, 0xdd, 0xe7);
const QColor skin(0xfb, 0xad, 0xc6);
const QColor skinShade(0xee, 0x86, 0xa9);
const QColor snoutColour(0xf5, 0x8e, 0xae);
const QColor nostrilColour(0x8e, 0x30, 0x55);
const QColor eyeColour(0x3a, 0x1d, 0x2c);
const QColor innerEar(0xf0, 0x74, 0x9c);

struct Pig {
    QPointF centre{50, 56};
    qreal radius = 30;
    QPointF look{0, 0}; // shifts the face, in units of the radius
    bool happyEyes = false;
    bool feet = true;
    bool mouth = false;
    bool headband = false;
    bool body = true; // false: head only, a little flatter
};

class Artist {
public:
    Artist(QPainter& painter, qreal lineWidth) : p(painter), line(lineWidth) {}

    QPointF at(const Pig& pig, qreal dx, qreal dy) const
    {
        return pig.centre + QPointF(dx * pig.radius, dy * pig.radius);
    }

    QPainterPath bodyPath(const Pig& pig) const
    {
        QPainterPath path;
        const qreal rx = pig.radius * 1.05;
        const qreal ry = pig.body ? pig.radius : pig.radius * 0.9;
        path.addEllipse(pig.centre, rx, ry);
        return path;
    }

    void outlined(const QPainterPath& path, const QBrush& fill, const QColor& edge, qreal widthFactor = 1.0)
    {
        p.setPen(QPen(edge, line * widthFactor, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(fill);
        p.drawPath(path);
    }

    void ellipse(const QPointF& centre, qreal rx, qreal ry, const QBrush& fill, const QColor& edge,
                 qreal widthFactor = 1.0)
    {
        QPainterPath path;
        path.addEllipse(centre, rx, ry);
        outlined(path, fill, edge, widthFactor);
    }

    void blob(const QPointF& centre, qreal rx, qreal ry, const QBrush& fill)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(centre, rx, ry);
    }

    void stroke(const QPainterPath& path, const QColor& colour, qreal width)
    {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }

    // A limb or a stick: dark edge first, then the fill on top of it.
    void bar(const QPointF& from, const QPointF& to, qreal width, const QColor& fill, const QColor& edge)
    {
        QPainterPath path(from);
        path.lineTo(to);
        stroke(path, edge, width + 2 * line);
        stroke(path, fill, width);
    }

    void pigBack(const Pig& pig)
    {
        if (pig.feet && pig.body) {
            for (int side : {-1, 1})
                ellipse(at(pig, 0.45 * side, 0.9), pig.radius * 0.34, pig.radius * 0.24, skinShade, outlineColour);
        }
        const qreal top = pig.body ? 1.0 : 0.9;
        for (int side : {-1, 1}) {
            const qreal s = side;
            QPainterPath ear(at(pig, 0.80 * s, -0.42 * top));
            ear.quadTo(at(pig, 1.0 * s, -0.95 * top), at(pig, 0.82 * s, -1.16 * top));
            ear.quadTo(at(pig, 0.50 * s, -1.08 * top), at(pig, 0.20 * s, -0.86 * top));
            ear.closeSubpath();
            outlined(ear, skin, outlineColour);
            QPainterPath inner(at(pig, 0.72 * s, -0.58 * top));
            inner.quadTo(at(pig, 0.86 * s, -0.92 * top), at(pig, 0.78 * s, -1.04 * top));
            inner.quadTo(at(pig, 0.54 * s, -0.98 * top), at(pig, 0.36 * s, -0.84 * top));
            inner.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(innerEar);
            p.drawPath(inner);
        }
    }

    void pigBody(const Pig& pig)
    {
        QRadialGradient shade(at(pig, -0.35, -0.45), pig.radius * 1.45);
        shade.setColorAt(0.0, skinLight);
        shade.setColorAt(0.5, skin);
        shade.setColorAt(1.0, skinShade);
        outlined(bodyPath(pig), shade, outlineColour);
        if (pig.headband) {
            p.save();
            p.setClipPath(bodyPath(pig));
            const QRectF band(at(pig, -1.2, -0.70), at(pig, 1.2, -0.46));
            p.setPen(QPen(QColor(0xa3, 0x1f, 0x33), line * 0.8));
            p.setBrush(QColor(0xe8, 0x3f, 0x52));
            p.drawRect(band);
            p.restore();
            outlined(bodyPath(pig), Qt::NoBrush, outlineColour);
        }
    }

    void pigFace(const Pig& pig)
    {
        const QPointF face = pig.centre + pig.look * pig.radius;
        const qreal r = pig.radius;
        auto f = [&](qreal dx, qreal dy) { return face + QPointF(dx * r, dy * r); };

        QColor blush(0xff, 0x5f, 0x8a, 120);
        for (int side : {-1, 1})
            blob(f(0.62 * side, 0.14), r * 0.17, r * 0.10, blush);

        for (int side : {-1, 1}) {
            const QPointF eye = f(0.36 * side, -0.22);
            if (pig.happyEyes) {
                QPainterPath arc(eye + QPointF(-0.13 * r, 0.05 * r));
                arc.quadTo(eye + QPointF(0, -0.16 * r), eye + QPointF(0.13 * r, 0.05 * r));
                stroke(arc, eyeColour, line * 1.1);
            } else {
                blob(eye, r * 0.105, r * 0.135, eyeColour);
                blob(eye + QPointF(0.035 * r, -0.05 * r), r * 0.045, r * 0.045, Qt::white);
            }
        }

        const QPointF snout = f(0, 0.14);
        QLinearGradient snoutFill(snout - QPointF(0, r * 0.25), snout + QPointF(0, r * 0.25));
        snoutFill.setColorAt(0, snoutColour.lighter(110));
        snoutFill.setColorAt(1, snoutColour.darker(108));
        ellipse(snout, r * 0.34, r * 0.24, snoutFill, outlineColour, 0.85);
        for (int side : {-1, 1})
            blob(snout + QPointF(0.12 * r * side, 0), r * 0.055, r * 0.085, nostrilColour);

        if (pig.mouth) {
            QPainterPath smile(f(-0.14, 0.48));
            smile.quadTo(f(0, 0.60), f(0.14, 0.48));
            stroke(smile, outlineColour, line * 0.8);
        }
    }

    void pig(const Pig& pig)
    {
        pigBack(pig);
        pigBody(pig);
        pigFace(pig);
    }

    void trotter(const QPointF& centre, qreal size = 6.5) { ellipse(centre, size, size * 0.85, skin, outlineColour); }

    void arm(const Pig& pig, qreal shoulderX, qreal shoulderY, const QPointF& hand)
    {
        bar(at(pig, shoulderX, shoulderY), hand, 7.5, skin, outlineColour);
        trotter(hand);
    }

    QPainter& p;
    qreal line;
};

void paintRecipes(Artist& a)
{
    Pig pig;
    pig.centre = {50, 42};
    pig.radius = 30;
    pig.feet = false;
    pig.look = {0, 0.04};
    pig.happyEyes = true;
    a.pig(pig);

    // chopsticks go behind the bowl
    const QColor wood(0xc6, 0x86, 0x52);
    a.bar({68, 76}, {90, 32}, 3.2, wood, propOutline);
    a.bar({74, 78}, {96, 38}, 3.2, wood, propOutline);

    // the food heaped in the bowl
    a.ellipse({50, 70}, 27, 10, QColor(0xff, 0xfb, 0xf0), propOutline);
    a.blob({39, 66}, 6, 4.5, QColor(0x5c, 0xb8, 0x45));
    a.blob({60, 65}, 6, 4.5, QColor(0x5c, 0xb8, 0x45));
    a.blob({50, 63}, 5, 4, QColor(0xff, 0x6b, 0x4a));

    QPainterPath bowl(QPointF(18, 70));
    bowl.lineTo(82, 70);
    bowl.cubicTo(82, 88, 68, 97, 50, 97);
    bowl.cubicTo(32, 97, 18, 88, 18, 70);
    bowl.closeSubpath();
    QLinearGradient china(0, 70, 0, 97);
    china.setColorAt(0, Qt::white);
    china.setColorAt(1, QColor(0xd6, 0xe9, 0xf8));
    a.outlined(bowl, china, propOutline);
    a.p.save();
    a.p.setClipPath(bowl);
    a.p.fillRect(QRectF(0, 77, 100, 6), QColor(0x4a, 0x90, 0xd9));
    a.p.restore();
    a.outlined(bowl, Qt::NoBrush, propOutline);

    a.trotter({20, 74});
    a.trotter({78, 62});
}

void paintExercises(Artist& a)
{
    Pig pig;
    pig.centre = {50, 63};
    pig.radius = 27;
    pig.headband = true;
    a.pigBack(pig);

    const QColor steel(0x4f, 0x6d, 0x9a);
    a.bar({12, 16}, {88, 16}, 4, QColor(0xb8, 0xc2, 0xcf), propOutline);
    for (qreal x : {5.0, 83.0}) {
        QPainterPath plate;
        plate.addRoundedRect(QRectF(x, 3, 12, 26), 3, 3);
        QLinearGradient metal(x, 0, x + 12, 0);
        metal.setColorAt(0, steel.lighter(135));
        metal.setColorAt(1, steel);
        a.outlined(plate, metal, propOutline);
    }

    a.pigBody(pig);
    a.pigFace(pig);
    a.arm(pig, -0.9, -0.25, {22, 18});
    a.arm(pig, 0.9, -0.25, {78, 18});

    QPainterPath drop(QPointF(90, 36));
    drop.cubicTo(94, 44, 96, 47, 96, 50);
    drop.cubicTo(96, 54, 84, 54, 84, 50);
    drop.cubicTo(84, 47, 86, 44, 90, 36);
    a.outlined(drop, QColor(0x8d, 0xd3, 0xf5), QColor(0x2f, 0x7a, 0xb0), 0.8);
}

void paintTips(Artist& a)
{
    Pig pig;
    pig.centre = {40, 56};
    pig.radius = 28;
    pig.look = {0.08, -0.06};
    pig.feet = false;
    a.pig(pig);

    // light bulb
    const QPointF bulb(77, 22);
    const QColor ray(0xff, 0xa8, 0x1c);
    for (int i = 0; i < 5; ++i) {
        const qreal angle = (-150.0 + i * 30.0) * std::numbers::pi / 180.0;
        const QPointF dir(std::cos(angle), std::sin(angle));
        QPainterPath r(bulb + dir * 17.5);
        r.lineTo(bulb + dir * 23);
        a.stroke(r, ray, 3.6);
    }
    QPainterPath base;
    base.addRoundedRect(QRectF(bulb.x() - 6, bulb.y() + 11, 12, 9), 2, 2);
    a.outlined(base, QColor(0x9a, 0xa4, 0xb0), propOutline);
    QRadialGradient glass(bulb - QPointF(4, 5), 16);
    glass.setColorAt(0, QColor(0xff, 0xfb, 0xd0));
    glass.setColorAt(1, QColor(0xff, 0xd2, 0x2e));
    a.ellipse(bulb, 13, 13, glass, propOutline);

    // open book held in front
    QPainterPath cover(QPointF(12, 76));
    cover.lineTo(40, 80);
    cover.lineTo(68, 76);
    cover.lineTo(68, 96);
    cover.lineTo(40, 99);
    cover.lineTo(12, 96);
    cover.closeSubpath();
    a.outlined(cover, QColor(0x3f, 0x8e, 0xd8), propOutline);
    for (int side : {-1, 1}) {
        QPainterPath page(QPointF(40, 80));
        page.lineTo(40 + side * 25, 73);
        page.lineTo(40 + side * 25, 92);
        page.lineTo(40, 96);
        page.closeSubpath();
        a.outlined(page, QColor(0xff, 0xfd, 0xf6), propOutline, 0.8);
    }
    a.trotter({14, 82});
    a.trotter({66, 82});
}

void paintDiary(Artist& a)
{
    Pig pig;
    pig.centre = {38, 46};
    pig.radius = 29;
    pig.look = {0.1, 0.1};
    pig.feet = false;
    a.pig(pig);

    a.p.save();
    a.p.translate(70, 78);
    a.p.rotate(-8);
    QPainterPath cover;
    cover.addRoundedRect(QRectF(-26, -22, 52, 42), 4, 4);
    a.outlined(cover, QColor(0x6c, 0xc0, 0x6e), propOutline);
    QPainterPath page;
    page.addRect(QRectF(-21, -17, 42, 33));
    a.outlined(page, QColor(0xff, 0xfe, 0xf8), propOutline, 0.6);
    for (int i = 0; i < 3; ++i)
        a.p.fillRect(QRectF(-17, -8 + i * 9, 34, 2.2), QColor(0x7f, 0xae, 0xe6));
    for (int i = 0; i < 4; ++i)
        a.ellipse({-15.0 + i * 10.0, -22}, 2.6, 2.6, QColor(0x6a, 0x6a, 0x78), propOutline, 0.5);
    a.p.restore();

    // pencil, tip on the page
    const QPointF tip(70, 84);
    const QPointF end(94, 52);
    const QPointF dir = (end - tip) / std::hypot(end.x() - tip.x(), end.y() - tip.y());
    a.bar(tip + dir * 7, end, 6, QColor(0xff, 0xc8, 0x3a), propOutline);
    a.bar(end - dir * 3, end, 6, QColor(0xff, 0x8f, 0xa8), propOutline);
    QPainterPath cone(tip);
    const QPointF side(-dir.y() * 4, dir.x() * 4);
    cone.lineTo(tip + dir * 8 + side);
    cone.lineTo(tip + dir * 8 - side);
    cone.closeSubpath();
    a.outlined(cone, QColor(0xf3, 0xd9, 0xb0), propOutline, 0.7);
    a.blob(tip + dir * 1.5, 1.8, 1.8, propOutline);

    a.trotter({48, 66});
    a.trotter({86, 64});
}

void paintCalorie(Artist& a)
{
    Pig pig;
    pig.centre = {36, 58};
    pig.radius = 28;
    pig.look = {0.08, 0};
    pig.happyEyes = true;
    a.pig(pig);

    QPainterPath outer(QPointF(77, 22));
    outer.cubicTo(84, 34, 97, 44, 96, 64);
    outer.cubicTo(95, 82, 84, 93, 76, 93);
    outer.cubicTo(64, 93, 56, 84, 56, 70);
    outer.cubicTo(56, 58, 64, 52, 66, 42);
    outer.cubicTo(71, 48, 72, 52, 72, 56);
    outer.cubicTo(78, 46, 79, 34, 77, 22);
    outer.closeSubpath();
    QLinearGradient fire(0, 22, 0, 93);
    fire.setColorAt(0, QColor(0xff, 0x9a, 0x2a));
    fire.setColorAt(1, QColor(0xf2, 0x45, 0x2a));
    a.outlined(outer, fire, QColor(0xa8, 0x2a, 0x1a));

    QPainterPath inner(QPointF(78, 56));
    inner.cubicTo(84, 64, 89, 70, 88, 78);
    inner.cubicTo(87, 86, 82, 89, 77, 89);
    inner.cubicTo(70, 89, 66, 84, 66, 78);
    inner.cubicTo(66, 70, 74, 66, 78, 56);
    inner.closeSubpath();
    a.p.setPen(Qt::NoPen);
    a.p.setBrush(QColor(0xff, 0xe0, 0x5c));
    a.p.drawPath(inner);

    a.arm(pig, 0.9, 0.35, {62, 74});
}

void paintPlan(Artist& a)
{
    Pig pig;
    pig.centre = {32, 60};
    pig.radius = 27;
    pig.look = {0.1, 0};
    a.pig(pig);

    QPainterPath card;
    card.addRoundedRect(QRectF(50, 22, 46, 66), 5, 5);
    a.outlined(card, QColor(0xff, 0xff, 0xff), propOutline);
    a.p.save();
    a.p.setClipPath(card);
    a.p.fillRect(QRectF(50, 22, 46, 16), QColor(0xef, 0x55, 0x5c));
    a.p.restore();
    a.outlined(card, Qt::NoBrush, propOutline);
    for (qreal x : {61.0, 85.0})
        a.bar({x, 17}, {x, 28}, 3, QColor(0x70, 0x70, 0x80), propOutline);
    const QColor cell(0xf6, 0xbf, 0xcf);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            a.p.fillRect(QRectF(56 + col * 13, 44 + row * 13, 9, 9), cell);
    }
    QPainterPath check(QPointF(80, 73));
    check.lineTo(84, 78);
    check.lineTo(93, 64);
    a.stroke(check, QColor(0x2e, 0xa0, 0x4a), 4.5);

    a.trotter({52, 66});
}

void paintCurve(Artist& a)
{
    QPainterPath board;
    board.addRoundedRect(QRectF(40, 5, 56, 52), 5, 5);
    a.outlined(board, QColor(0xff, 0xff, 0xff), propOutline);
    QPainterPath axes(QPointF(48, 12));
    axes.lineTo(48, 49);
    axes.lineTo(90, 49);
    a.stroke(axes, QColor(0x8a, 0x80, 0x90), 2.4);
    QPainterPath trend(QPointF(52, 16));
    trend.lineTo(62, 26);
    trend.lineTo(70, 22);
    trend.lineTo(84, 40);
    a.stroke(trend, QColor(0x2e, 0xa0, 0x4a), 4.5);
    QPainterPath head(QPointF(89, 46));
    head.lineTo(77, 43);
    head.lineTo(87, 34);
    head.closeSubpath();
    a.outlined(head, QColor(0x2e, 0xa0, 0x4a), QColor(0x2e, 0xa0, 0x4a), 0.6);

    Pig pig;
    pig.centre = {32, 70};
    pig.radius = 26;
    pig.look = {0.02, -0.06};
    a.pig(pig);
    a.arm(pig, 0.92, -0.1, {66, 50});
}

void paintFace(Artist& a)
{
    Pig pig;
    pig.centre = {50, 58};
    pig.radius = 40;
    pig.body = false;
    a.pig(pig);
}

void paintGreeting(Artist& a)
{
    Pig pig;
    pig.centre = {48, 58};
    pig.radius = 32;
    pig.happyEyes = true;
    pig.mouth = true;
    a.pigBack(pig);
    a.pigBody(pig);

    // tape measure round the tummy, its loose end hanging down at the side
    a.p.save();
    a.p.setClipPath(a.bodyPath(pig));
    QPainterPath tape(a.at(pig, -1.2, 0.40));
    tape.quadTo(a.at(pig, 0, 0.62), a.at(pig, 1.2, 0.40));
    tape.lineTo(a.at(pig, 1.2, 0.62));
    tape.quadTo(a.at(pig, 0, 0.84), a.at(pig, -1.2, 0.62));
    tape.closeSubpath();
    a.outlined(tape, QColor(0xff, 0xd2, 0x4a), QColor(0xb7, 0x85, 0x10), 0.7);
    for (int i = -8; i <= 8; ++i) {
        const qreal t = i / 9.0;
        const QPointF top = a.at(pig, t * 1.05, 0.44 + 0.18 * (1 - t * t));
        a.p.setPen(QPen(QColor(0x8a, 0x60, 0x10), 0.9));
        a.p.drawLine(top, top + QPointF(0, i % 2 == 0 ? 3.5 : 2));
    }
    a.p.restore();
    QPainterPath tail(a.at(pig, 0.9, 0.5));
    tail.cubicTo(a.at(pig, 1.15, 0.7), a.at(pig, 1.05, 0.95), a.at(pig, 1.25, 1.05));
    a.stroke(tail, QColor(0xb7, 0x85, 0x10), 6.5);
    a.stroke(tail, QColor(0xff, 0xd2, 0x4a), 4.5);

    a.pigFace(pig);
    a.arm(pig, -0.85, 0.1, {8, 52});
    a.arm(pig, 0.8, -0.4, {88, 22});
}

} // namespace

void paintMascot(QPainter& painter, const QRectF& box, Pose pose)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    const qreal scale = box.width() / 100.0;
    painter.scale(scale, scale);
    // keep the outline about 1.3 px at button size, a little heavier on big pictures
    const qreal linePx = box.width() <= 48 ? 1.3 : 2.2;
    Artist artist(painter, linePx / scale);
    switch (pose) {
    case Pose::Recipes:
        paintRecipes(artist);
        break;
    case Pose::Exercises:
        paintExercises(artist);
        break;
    case Pose::Tips:
        paintTips(artist);
        break;
    case Pose::Diary:
        paintDiary(artist);
        break;
    case Pose::Calorie:
        paintCalorie(artist);
        break;
    case Pose::Plan:
        paintPlan(artist);
        break;
    case Pose::Curve:
        paintCurve(artist);
        break;
    case Pose::Face:
        paintFace(artist);
        break;
    case Pose::Greeting:
        paintGreeting(artist);
        break;
    }
    painter.restore();
}

} // namespace artwork
