#pragma once

#include <QString>
#include <QStringList>

namespace pigmo {

// The words of a folder name or a search text, in text order, repeats kept.
//
// The text is split at " ", "-", "_" and "." (nothing else separates: a tab or a comma stays inside its
// piece). A piece is split again at case changes: before an upper-case character that follows a lower-case
// one, and before the last capital of a capital run that is followed by a lower-case letter ("HTMLParser"
// gives "html" and "parser"). A piece that splits contributes its joined form first, then its parts. Every
// word is lower-cased and diacritic-folded; words of fewer than two user-perceived characters are dropped.
// Pure and thread-safe.
QStringList tokenize(const QString& text);

} // namespace pigmo
