#include "gui/app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace varnel {

namespace {

bool install(QCoreApplication& app, const QLocale& locale, const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(locale, name, QStringLiteral("_"), folder) && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace

bool installTranslations(QCoreApplication& app, const QString& programFolder, const QLocale& locale)
{
    install(app, locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return install(app, locale, QStringLiteral("varnel"), programFolder + QStringLiteral("/translations"));
}

} // namespace varnel
