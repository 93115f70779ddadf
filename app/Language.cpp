#include "app/Language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

QString UserLanguage()
{
    const QString chosen = qEnvironmentVariable("TAVELIN_LANG");
    const QStringList system = QLocale::system().uiLanguages();
    const QString first = !chosen.isEmpty() ? chosen : system.value(0);
    if (first.isEmpty() || first == QLatin1String("C") || first.startsWith(QLatin1String("C.")) ||
        first == QLatin1String("POSIX"))
        return {};
    switch (QLocale(first).language()) {
    case QLocale::English:
        return QStringLiteral("en");
    case QLocale::Chinese:
        return QStringLiteral("zh_CN");
    default:
        return {};
    }
}

void UseLanguage(const QString& language)
{
    static QTranslator ours;
    static QTranslator qt;
    QCoreApplication::removeTranslator(&ours);
    QCoreApplication::removeTranslator(&qt);
    if (language.isEmpty())
        return;
    if (ours.load(QStringLiteral(":/i18n/tavelin_%1.qm").arg(language)))
        QCoreApplication::installTranslator(&ours);
    if (qt.load(QStringLiteral(":/i18n/qtbase_%1.qm").arg(language)))
        QCoreApplication::installTranslator(&qt);
}
