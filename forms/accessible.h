// Pictures that the user presses: to assistive technology they are push buttons with a press action.
#pragma once

// Mixed into a picture widget. The first one created installs the accessible interface of every such picture, so
// that each window that has one, in the program as in the tests, offers it.
class PressablePicture {
public:
    PressablePicture();
    virtual ~PressablePicture() = default;

    // What a left click (press, then release) on the picture does, through the picture's own mouse handling.
    virtual void click() = 0;
};

namespace accessible {
// Every list box of the program is heard by its field's name (性别, 单位), its current entry as its value. Installed
// once, by the first window made.
void nameListBoxesByTheirField();
} // namespace accessible
