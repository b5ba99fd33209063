// The two big pictures: the main window background and the About window picture.
#include "scene.h"

#include "layout.h"
#include "mascot.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <array>
#include <cmath>

namespace artwork {

namespace {

const QColor rose(0xd4, 0x46, 0x7a);
const QColor frameGreen(0x58, 0xb2, 0x58);

qreal uniform(QRandomGenerator& rng, qreal lo, qreal hi)
{
    return lo + rng.generateDouble() * (hi - lo);
}

QPainterPath heartPath(const QPointF& c, qreal size)
{
    const qreal s = size / 2.0;
    QPainterPath heart(c + QPointF(0, s * 0.9));
    heart.cubicTo(c + QPointF(-s * 1.3, s * 0.1), c + QPointF(-s * 0.9, -s * 1.0), c + QPointF(0, -s * 0.35));
    heart.cubicTo(c + QPointF(s * 0.9, -s * 1.0), c + QPointF(s * 1.3, s * 0.1), c + QPointF(0, s * 0.9));
    heart.closeSubpath();
    return heart;
}

void paintBokeh(QPainter& p, QRandomGenerator& rng, const QRectF& area, int count, qreal maxRadius)
{
    p.save();
    for (int i = 0; i < count; ++i) {
        const QPointF c(uniform(rng, area.left(), area.right()), uniform(rng, area.top(), area.bottom()));
        const qreal r = uniform(rng, 3, maxRadius);
        const int alpha = static_cast<int>(uniform(rng, 25, 75));
        QRadialGradient glow(c, r);
        glow.setColorAt(0, QColor(255, 255, 255, alpha));
        glow.setColorAt(0.8, QColor(255, 255, 255, alpha / 2));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, r, r);
        if (i % 4 == 0) {
            p.setPen(QPen(QColor(255, 255, 255, alpha + 30), 0.8));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, r * 0.9, r * 0.9);
        }
    }
    p.restore();
}

QPainterPath limb(const std::initializer_list<QPointF>& points, qreal width)
{
    QPainterPath spine;
    bool first = true;
    for (const QPointF& pt : points) {
        if (first)
            spine.moveTo(pt);
        else
            spine.lineTo(pt);
        first = false;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(spine);
}

// A tapering limb through three joints, thick at the body and thinner towards the hand or foot.
QPainterPath taperedLimb(const QPointF& a, const QPointF& b, const QPointF& c, qreal wa, qreal wb, qreal wc)
{
    auto segment = [](const QPointF& from, const QPointF& to, qreal w0, qreal w1) {
        const QPointF d = to - from;
        const qreal length = std::hypot(d.x(), d.y());
        const QPointF n(-d.y() / length, d.x() / length);
        QPainterPath piece;
        piece.moveTo(from + n * (w0 / 2));
        piece.lineTo(to + n * (w1 / 2));
        piece.lineTo(to - n * (w1 / 2));
        piece.lineTo(from - n * (w0 / 2));
        piece.closeSubpath();
        return piece;
    };
    QPainterPath path = segment(a, b, wa, wb).united(segment(b, c, wb, wc));
    QPainterPath joints;
    joints.addEllipse(a, wa / 2, wa / 2);
    path = path.united(joints);
    joints.clear();
    joints.addEllipse(b, wb / 2, wb / 2);
    path = path.united(joints);
    joints.clear();
    joints.addEllipse(c, wc / 2, wc / 2);
    return path.united(joints);
}

// A slim woman doing a side stretch, one arm arched over her head.
QPainterPath figurePath()
{
    QPainterPath head;
    head.addEllipse(QPointF(49, 99), 10, 12);
    QPainterPath bun;
    bun.addEllipse(QPointF(60, 89), 6, 6);

    QPainterPath torso(QPointF(40, 127));
    torso.quadTo(56, 117, 71, 121);
    torso.quadTo(76, 128, 72, 135);
    torso.cubicTo(67, 150, 65, 160, 68, 172);
    torso.cubicTo(75, 184, 82, 192, 80, 205);
    torso.quadTo(72, 215, 64, 213);
    torso.quadTo(55, 215, 50, 205);
    torso.cubicTo(48, 192, 55, 181, 53, 171);
    torso.cubicTo(49, 158, 45, 147, 45, 138);
    torso.quadTo(38, 133, 40, 127);
    torso.closeSubpath();

    // a short flared skirt over the hips
    QPainterPath skirt(QPointF(52, 190));
    skirt.quadTo(66, 186, 79, 190);
    skirt.quadTo(86, 204, 92, 218);
    skirt.quadTo(66, 226, 42, 218);
    skirt.quadTo(46, 204, 52, 190);
    skirt.closeSubpath();

    const std::array<QPainterPath, 12> parts{
        head,
        bun,
        limb({QPointF(61, 92), QPointF(67, 101), QPointF(70, 112)}, 4), // ponytail
        limb({QPointF(51, 108), QPointF(55, 121)}, 8),                  // neck
        torso,
        skirt,
        taperedLimb({58, 206}, {51, 253}, {44, 296}, 14, 8.5, 5.5), // legs
        taperedLimb({73, 206}, {83, 253}, {92, 296}, 14, 8.5, 5.5),
        limb({QPointF(44, 297), QPointF(35, 301)}, 4.5), // feet
        limb({QPointF(92, 297), QPointF(101, 301)}, 4.5),
        taperedLimb({43, 130}, {29, 160}, {48, 189}, 8, 6, 5), // hand on the hip
        taperedLimb({69, 125}, {79, 89}, {47, 64}, 8, 6, 5),   // arm stretched over the head
    };
    QPainterPath body;
    for (const QPainterPath& part : parts)
        body = body.united(part);
    return body.simplified();
}

void paintFigure(QPainter& p)
{
    // paint the figure on its own layer, soften it, then lay it over the background faded
    QImage layer(layout::figureRight, layout::windowSize.height(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        const QPainterPath figure = figurePath();
        lp.setPen(QPen(QColor(255, 255, 255, 230), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        lp.setBrush(Qt::NoBrush);
        lp.drawPath(figure);
        QLinearGradient tint(0, 60, 0, 300);
        tint.setColorAt(0, QColor(0xe2, 0x6a, 0x97));
        tint.setColorAt(1, QColor(0xf0, 0x9c, 0xba));
        lp.setPen(Qt::NoPen);
        lp.setBrush(tint);
        lp.drawPath(figure);
    }
    const QImage soft =
        layer.scaled(layer.width() / 2, layer.height() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .scaled(layer.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.save();
    p.setOpacity(0.30);
    p.drawImage(0, 0, soft);
    p.setOpacity(0.22);
    p.drawImage(0, 0, layer);
    p.restore();

    // a few sparkles around her
    p.save();
    p.setPen(Qt::NoPen);
    const std::array<QPointF, 5> sparkles{QPointF(22, 72), QPointF(92, 60), QPointF(104, 140), QPointF(16, 214),
                                          QPointF(108, 236)};
    for (std::size_t i = 0; i < sparkles.size(); ++i) {
        const QPointF c = sparkles[i];
        const qreal s = 3.0 + static_cast<qreal>(i % 3);
        QPainterPath star(c + QPointF(0, -s * 1.6));
        star.quadTo(c, c + QPointF(s * 1.6, 0));
        star.quadTo(c, c + QPointF(0, s * 1.6));
        star.quadTo(c, c + QPointF(-s * 1.6, 0));
        star.quadTo(c, c + QPointF(0, -s * 1.6));
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawPath(star);
    }
    p.restore();
}

void paintIconBand(QPainter& p)
{
    using namespace layout;
    const QRectF band(118.5, 34.5, 475, 55);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc8, 0x5a, 0x82, 40));
    p.drawRoundedRect(band.translated(0, 1.5), 10, 10);
    QLinearGradient fill(0, band.top(), 0, band.bottom());
    fill.setColorAt(0, QColor(255, 255, 255, 215));
    fill.setColorAt(1, QColor(255, 250, 252, 235));
    p.setPen(QPen(QColor(255, 255, 255, 240), 1));
    p.setBrush(fill);
    p.drawRoundedRect(band, 10, 10);

    // dotted dividers between the buttons
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0x8a, 0xad, 120));
    for (std::size_t i = 0; i + 1 < captionX.size(); ++i) {
        const qreal x = (captionX[i] + captionSize.width() + captionX[i + 1]) / 2.0;
        for (int y = 44; y <= 80; y += 4)
            p.drawEllipse(QPointF(x, y), 0.8, 0.8);
    }
    p.restore();
}

void paintCentreFrame(QPainter& p)
{
    using namespace layout;
    const QRectF outer = QRectF(centreFrame).adjusted(1, 1, 0, 0);
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x3f, 0x8f, 0x44, 45), 5));
    p.drawRoundedRect(outer, 11, 11);
    p.setPen(QPen(frameGreen, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(outer, 10, 10);
    p.setPen(QPen(QColor(0xc9, 0xe8, 0xc2), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outer.adjusted(3.5, 3.5, -3.5, -3.5), 7, 7);
    p.restore();
}

void paintFlower(QPainter& p, const QPointF& c, qreal r, const QColor& petal, qreal turn)
{
    p.save();
    p.translate(c);
    p.rotate(turn);
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.rotate(i * 72.0);
        QRadialGradient shade(QPointF(0, -r * 0.2), r);
        shade.setColorAt(0, petal.darker(112));
        shade.setColorAt(1, petal.lighter(108));
        p.setPen(QPen(petal.darker(135), 0.6));
        p.setBrush(shade);
        p.drawEllipse(QRectF(-r * 0.38, -r * 1.02, r * 0.76, r * 0.9));
        p.restore();
    }
    QRadialGradient heart(QPointF(-r * 0.08, -r * 0.08), r * 0.3);
    heart.setColorAt(0, QColor(0xff, 0xf1, 0x9a));
    heart.setColorAt(1, QColor(0xf5, 0xa6, 0x23));
    p.setPen(Qt::NoPen);
    p.setBrush(heart);
    p.drawEllipse(QPointF(0, 0), r * 0.28, r * 0.28);
    p.restore();
}

void paintLeaf(QPainter& p, const QPointF& base, qreal length, qreal angle, const QColor& colour)
{
    p.save();
    p.translate(base);
    p.rotate(angle);
    QPainterPath leaf(QPointF(0, 0));
    leaf.quadTo(length * 0.35, -length * 0.5, 0, -length);
    leaf.quadTo(-length * 0.35, -length * 0.5, 0, 0);
    p.setPen(QPen(colour.darker(125), 0.6));
    p.setBrush(colour);
    p.drawPath(leaf);
    p.setPen(QPen(colour.lighter(130), 0.6));
    p.drawLine(QPointF(0, -1), QPointF(0, -length * 0.8));
    p.restore();
}

// Meadow of small flowers along the bottom edge of a picture.
void paintFlowerBand(QPainter& p, QRandomGenerator& rng, const QRectF& area, qreal spacing)
{
    p.save();
    QPainterPath ground(area.bottomLeft());
    ground.lineTo(area.left(), area.bottom() - area.height() * 0.45);
    const int humps = static_cast<int>(area.width() / 90) + 1;
    const qreal step = area.width() / humps;
    for (int i = 0; i < humps; ++i) {
        const qreal x0 = area.left() + i * step;
        const qreal lift = (i % 2 == 0) ? 0.62 : 0.38;
        ground.quadTo(x0 + step / 2, area.bottom() - area.height() * lift, x0 + step,
                      area.bottom() - area.height() * 0.45);
    }
    ground.lineTo(area.bottomRight());
    ground.closeSubpath();
    QLinearGradient grass(0, area.top(), 0, area.bottom());
    grass.setColorAt(0, QColor(0xb9, 0xe3, 0x9c, 200));
    grass.setColorAt(1, QColor(0x86, 0xc8, 0x6c, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(grass);
    p.drawPath(ground);

    const std::array<QColor, 3> greens{QColor(0x6d, 0xbf, 0x55), QColor(0x8c, 0xd0, 0x6a), QColor(0x55, 0xa8, 0x4a)};
    for (qreal x = area.left() - 4; x < area.right() + 4; x += spacing * 0.45) {
        const QPointF base(x + uniform(rng, -3, 3), area.bottom() + 1);
        const qreal length = uniform(rng, area.height() * 0.35, area.height() * 0.75);
        paintLeaf(p, base, length, uniform(rng, -40, 40), greens[rng.bounded(3)]);
    }

    const std::array<QColor, 6> petals{QColor(0xff, 0xff, 0xff), QColor(0xff, 0x6f, 0x9c), QColor(0xff, 0xc2, 0xd4),
                                       QColor(0xc9, 0xa2, 0xf2), QColor(0xff, 0xd9, 0x5a), QColor(0xff, 0x8e, 0x7a)};
    int colour = 0;
    for (qreal x = area.left() + uniform(rng, 2, 8); x < area.right() + 6; x += spacing + uniform(rng, -5, 5)) {
        const qreal maxR = area.height() * 0.36;
        const qreal r = uniform(rng, maxR * 0.6, maxR);
        const qreal y = uniform(rng, area.top() + r + 1, area.bottom() - r * 0.4);
        paintFlower(p, QPointF(x, y), r, petals[static_cast<std::size_t>(colour % 6)], uniform(rng, 0, 72));
        colour += 1 + static_cast<int>(rng.bounded(2));
        // a bud or a little dot between the flowers
        const QPointF bud(x + spacing / 2 + uniform(rng, -3, 3), uniform(rng, area.top() + 6, area.bottom() - 3));
        p.setPen(Qt::NoPen);
        p.setBrush(petals[static_cast<std::size_t>((colour + 2) % 6)].darker(105));
        p.drawEllipse(bud, 2.2, 2.2);
    }
    p.restore();
}

void paintBanner(QPainter& p)
{
    using namespace layout;
    const QRectF b = QRectF(titleBanner).adjusted(2, -1, -2, -2);
    auto tab = [](const QRectF& r, qreal round) {
        QPainterPath path(r.topLeft());
        path.lineTo(r.topRight());
        path.lineTo(r.right(), r.bottom() - round);
        path.quadTo(r.right(), r.bottom(), r.right() - round, r.bottom());
        path.lineTo(r.left() + round, r.bottom());
        path.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - round);
        path.closeSubpath();
        return path;
    };
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9e, 0x2a, 0x58, 60));
    p.drawPath(tab(b.translated(0, 2), 11));
    QLinearGradient fill(0, 0, 0, b.bottom());
    fill.setColorAt(0, QColor(0xf2, 0x7f, 0xa5));
    fill.setColorAt(1, rose);
    p.setBrush(fill);
    p.setPen(QPen(QColor(0xb3, 0x32, 0x64), 1));
    p.drawPath(tab(b, 11));
    QPen stitch(QColor(255, 255, 255, 170), 1, Qt::DashLine);
    stitch.setDashPattern({3, 2});
    p.setPen(stitch);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tab(b.adjusted(3.5, 0, -3.5, -3.5), 8));

    QFont font = latinFont(20, true);
    p.setFont(font);
    const QRectF textRect = b.adjusted(0, 0, 0, -2);
    p.setPen(QColor(0x8e, 0x1f, 0x4c, 150));
    p.drawText(textRect.translated(1, 1), Qt::AlignCenter, QStringLiteral("Tevu"));
    p.setPen(Qt::white);
    p.drawText(textRect, Qt::AlignCenter, QStringLiteral("Tevu"));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawPath(heartPath(QPointF(b.center().x() - 43, b.center().y() - 1), 8));
    p.drawPath(heartPath(QPointF(b.center().x() + 43, b.center().y() - 1), 8));
    p.restore();
}

void paintTagline(QPainter& p)
{
    p.save();
    p.setFont(chineseFont(12));
    const QString line = QStringLiteral("轻盈生活 · 健康每一天");
    p.setPen(QColor(255, 255, 255, 170));
    p.drawText(QPointF(15, 22), line);
    p.setPen(QColor(0xb2, 0x2f, 0x63));
    p.drawText(QPointF(14, 21), line);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawPath(heartPath(QPointF(150, 16), 7));
    p.setBrush(QColor(255, 255, 255, 140));
    p.drawPath(heartPath(QPointF(162, 11), 5));
    p.drawPath(heartPath(QPointF(468, 18), 6));
    p.setBrush(QColor(255, 255, 255, 100));
    p.drawPath(heartPath(QPointF(224, 20), 6));
    p.drawPath(heartPath(QPointF(410, 11), 5));
    p.restore();
}

void paintWindowEdge(QPainter& p, const QSize& size, const QColor& edge)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(edge, 1));
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    p.setPen(QPen(QColor(255, 255, 255, 110), 1));
    p.drawRect(QRectF(1.5, 1.5, size.width() - 3, size.height() - 3));
    p.restore();
}

QPainterPath roughSquare(QRandomGenerator& rng, const QRectF& r, qreal round)
{
    // the outline of a stone seal is never quite straight
    QPainterPath path;
    const int steps = 14;
    auto jitter = [&rng]() { return uniform(rng, -0.6, 0.6); };
    path.moveTo(r.left() + round, r.top());
    for (int i = 1; i <= steps; ++i)
        path.lineTo(r.left() + round + (r.width() - 2 * round) * i / steps, r.top() + jitter());
    path.quadTo(r.topRight(), QPointF(r.right(), r.top() + round));
    for (int i = 1; i <= steps; ++i)
        path.lineTo(r.right() + jitter(), r.top() + round + (r.height() - 2 * round) * i / steps);
    path.quadTo(r.bottomRight(), QPointF(r.right() - round, r.bottom()));
    for (int i = 1; i <= steps; ++i)
        path.lineTo(r.right() - round - (r.width() - 2 * round) * i / steps, r.bottom() + jitter());
    path.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - round));
    for (int i = 1; i <= steps; ++i)
        path.lineTo(r.left() + jitter(), r.bottom() - round - (r.height() - 2 * round) * i / steps);
    path.quadTo(r.topLeft(), QPointF(r.left() + round, r.top()));
    path.closeSubpath();
    return path;
}

QImage paintSeal(QRandomGenerator& rng, int side, int scale)
{
    QImage seal(side * scale, side * scale, QImage::Format_ARGB32_Premultiplied);
    seal.setDevicePixelRatio(scale);
    seal.fill(Qt::transparent);
    QPainter p(&seal);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF square(1.5, 1.5, side - 3.0, side - 3.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc8, 0x1e, 0x2a));
    p.drawPath(roughSquare(rng, square, 3));

    // white characters cut into the red, read right column first: 瘦身 then 助手
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    p.setPen(QPen(Qt::black, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(square.adjusted(3.5, 3.5, -3.5, -3.5));
    QFont font(QStringLiteral("Noto Serif CJK SC"));
    font.setPixelSize(static_cast<int>(side * 0.40));
    font.setWeight(QFont::Black);
    p.setFont(font);
    const qreal cell = (side - 12.0) / 2.0;
    const std::array<QString, 4> glyphs{QStringLiteral("瘦"), QStringLiteral("身"), QStringLiteral("助"),
                                        QStringLiteral("手")};
    const std::array<QPointF, 4> cells{QPointF(6 + cell, 6), QPointF(6 + cell, 6 + cell), QPointF(6, 6),
                                       QPointF(6, 6 + cell)};
    p.setPen(Qt::black);
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        p.drawText(QRectF(cells[i], QSizeF(cell, cell)).adjusted(0, -1, 0, -1), Qt::AlignCenter, glyphs[i]);

    // worn specks where the ink did not take
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        const QPointF c(uniform(rng, 2, side - 2), uniform(rng, 2, side - 2));
        const qreal r = uniform(rng, 0.3, 1.1);
        p.setBrush(QColor(0, 0, 0, static_cast<int>(uniform(rng, 90, 255))));
        p.drawEllipse(c, r, r);
    }
    return seal;
}

} // namespace

QFont chineseFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont latinFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QImage paintBackground(int scale)
{
    using namespace layout;
    // Drawn in the window's own coordinates at every scale: a picture for a screen at 2x is painted, not enlarged.
    QImage image(windowSize * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QRandomGenerator rng(0x7e5u); // fixed seed: the same pictures on every run

    const QRectF all(QPointF(0, 0), QSizeF(windowSize));
    QLinearGradient base(0, 0, 0, windowSize.height());
    base.setColorAt(0, QColor(0xf3, 0xa0, 0xbd));
    base.setColorAt(0.5, QColor(0xf8, 0xc4, 0xd5));
    base.setColorAt(1, QColor(0xfd, 0xe6, 0xee));
    p.fillRect(all, base);
    QRadialGradient light(QPointF(60, 170), 330);
    light.setColorAt(0, QColor(255, 255, 255, 130));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(all, light);

    paintBokeh(p, rng, all, 46, 22);
    paintFigure(p);
    paintIconBand(p);
    paintCentreFrame(p);
    paintFlowerBand(p, rng, QRectF(0, flowerTop, windowSize.width(), windowSize.height() - flowerTop), 24);
    paintTagline(p);
    paintBanner(p);
    paintWindowEdge(p, windowSize, QColor(0xd2, 0x6f, 0x96));
    return image;
}

QImage paintAbout(int scale)
{
    using namespace layout;
    QImage image(aboutSize * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QRandomGenerator rng(0xab0u);

    const QRectF all(QPointF(0, 0), QSizeF(aboutSize));
    QLinearGradient base(0, 0, 0, aboutSize.height());
    base.setColorAt(0, QColor(0xff, 0xf8, 0xfa));
    base.setColorAt(1, QColor(0xfb, 0xd9, 0xe5));
    p.fillRect(all, base);
    paintBokeh(p, rng, QRectF(0, 110, aboutSize.width(), 80), 14, 14);

    paintMascot(p, QRectF(12, 22, 98, 98), Pose::Greeting);

    p.setFont(chineseFont(12));
    p.setPen(QColor(0x8a, 0x55, 0x6c));
    p.drawText(QPointF(124, 70), QStringLiteral("版本 1.0"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0x8a, 0xad));
    for (int x = 124; x <= 246; x += 5)
        p.drawEllipse(QPointF(x, 81), 0.9, 0.9);

    p.setFont(chineseFont(14, true));
    p.setPen(rose);
    p.drawText(QPointF(124, 104), QStringLiteral("Tevu 瘦身助手"));
    p.setFont(chineseFont(12));
    p.setPen(QColor(0x6e, 0x4f, 0x5e));
    p.drawText(QPointF(124, 124), QStringLiteral("记录饮食与运动，轻松管理体重"));
    p.drawText(QPointF(124, 142), QStringLiteral("愿你健康、轻盈每一天"));
    p.setPen(QColor(0x8a, 0x6a, 0x78));
    p.drawText(QPointF(124, 166), QStringLiteral("© 2026 Tevu 开发组  保留所有权利"));

    const QImage seal = paintSeal(rng, 64, scale);
    p.save();
    p.translate(300, 52);
    p.rotate(-6);
    p.setOpacity(0.9);
    p.drawImage(QPointF(-32, -32), seal);
    p.restore();

    paintFlowerBand(p, rng, QRectF(0, 186, aboutSize.width(), 38), 22);
    paintWindowEdge(p, aboutSize, QColor(0xe0, 0x94, 0xb0));
    return image;
}

} // namespace artwork
