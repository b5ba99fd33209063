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
// The toolkit's own texts (context menus, standard buttons) in Simplified Chinese, whatever the system's language:
// every text the user reads is Chinese. False when the installed translations could not be loaded.
bool installTranslations(QApplication& app);
// Title, fonts, translations and program icon; the message-box reporter is installed separately.
void setUp(QApplication& app);
// True when the toolkit has a screen to draw on (a display, or a platform chosen explicitly).
bool hasDisplay();

} // namespace application
