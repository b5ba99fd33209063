// The small picture buttons: minimise / close on the title area and the orange round buttons of the text views.
#pragma once

#include <QImage>

namespace artwork {

enum class WindowButton { Minimize, Close };
enum class RoundButton { Previous, Next, New, Ok };

// Both paint onto a picture that already holds the piece of background the button sits on, so the
// antialiased edges blend into it.
void paintWindowButton(QImage& target, WindowButton kind);
void paintRoundButton(QImage& target, RoundButton kind);

} // namespace artwork
