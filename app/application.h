// The application frame: title, fonts, icon and the error message box.
#pragma once

#include "forms/guard.h"

class QApplication;

// Reports an error in a modal box owned by the application: caption "Tevu", stop icon, one OK button.
class MessageBoxReporter : public Reporter {
public:
    void report(const QString& message) override;
};

namespace application {

inline constexpr char16_t title[] = u"Tevu";

// Maps the designed font names to installed faces.
void installFontSubstitutes();
// Title, fonts and program icon; the message-box reporter is installed separately.
void setUp(QApplication& app);
// True when the toolkit has a screen to draw on (a display, or a platform chosen explicitly).
bool hasDisplay();

} // namespace application
