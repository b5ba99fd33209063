// Window placement shared by the windows: centred on the desktop at the first showing.
#pragma once

class QWidget;

// Centres the window on its screen's available area, never above or left of it.
void centreOnScreen(QWidget* window);
