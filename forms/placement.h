// Window placement shared by the windows: centred on the desktop at the first showing.
#pragma once

class QWidget;

// Centres the window on its screen's available area, never above or left of it.
void centreOnScreen(QWidget* window);

// Gives a window that has not been shown yet its size and centres it. Placing it while it is being mapped (in its
// show event) races the window manager: openbox then leaves Qt believing the window stands at the frame's corner.
void placeBeforeShowing(QWidget* window);
