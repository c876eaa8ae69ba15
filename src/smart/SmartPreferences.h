#pragma once

#include "catalogue/IconLibrary.h"

#include <QSet>
#include <QString>

// The two preferences the keyword index and the matching read, straight from the preferences table, so
// that they can be read on any thread. The preference managers of the services layer own and write the
// same keys.
namespace pigmo::smart {

// The folder-name languages whose keyword files the index loads: the stored "FolderLanguages" (an empty
// list stays empty); when nothing is stored, "en" together with the interface language.
QSet<QString> selectedFolderLanguages();

// The interface language as chosen at start: "TEST_LOCALE" when set and not empty; the stored "AppLanguage";
// else the system's preferred language matched against the eleven interface languages ("en" when none).
QString interfaceLanguage();

// "io.velmar.Pigmo.preferredIconLibrary": `emoji` for "emoji", `lucide` for anything else or nothing.
IconLibrary preferredIconLibrary();

} // namespace pigmo::smart
