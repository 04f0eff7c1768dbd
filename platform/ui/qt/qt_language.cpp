#include "platform/ui/qt/qt_language.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Ui {

bool UseQtTranslations(QCoreApplication& application) {
    // Owned by the application, which needs it for as long as it runs.
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace Ui
