// The main window's keyboard: a shortcut for each picture that has one, doing what a left click on it does.
#pragma once

namespace Ui {
class Ttevu_main;
}

// Each shortcut acts while the main window is active and its picture is visible, as a click can only reach a
// visible picture.
void installShortcuts(const Ui::Ttevu_main& ui);
