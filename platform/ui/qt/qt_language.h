// Qt's own texts (the standard context menu's entries, the buttons of its
// boxes) in the user's language, from the translations Qt installs.
#pragma once

#include <QCoreApplication>

namespace Ui {

// Installs Qt's translations for the user's language into `application`;
// false when Qt has none for it (its texts then stay English).
bool UseQtTranslations(QCoreApplication& application);

}  // namespace Ui
