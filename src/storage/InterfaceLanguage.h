#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace pigmo {

// Which of the eleven interface languages the program speaks. Shared by the string tables and by the
// keyword index, whose default folder-name languages are English plus the interface language.
class InterfaceLanguage {
public:
    struct Language {
        QString code;
        QString name;
    };
    // The interface languages offered, in menu order.
    static const QList<Language>& supported();

    // The first supported code that the first preferred tag begins with ("de-CH" gives "de"); a tag without
    // a script ("zh-CN") is tried again with its likely script ("zh-Hans-CN"). "en" when none matches.
    static QString matchPreferred(const QStringList& preferredLanguages);

    // The language in effect at start: "TEST_LOCALE" when set and not empty; the stored "AppLanguage"; else
    // the preferred language. Stores nothing.
    static QString initial(const QStringList& preferredLanguages);
};

} // namespace pigmo
