#pragma once

#include <QString>
#include <QStringView>

// Text folding shared by the keyword index and the query tokeniser. Every function is pure and safe on any
// thread.
namespace pigmo::text {

// Removes diacritics without regard to locale: the text is decomposed (NFD), its non-spacing marks are
// dropped and the rest is composed again (NFC). "É" becomes "E", "ü" becomes "u", "й" becomes "и".
QString foldDiacritics(const QString& text);

// Unicode lower-casing (no locale) followed by diacritic folding.
QString lowercasedAndFolded(const QString& text);

// The normal form of a keyword, a country name or a folder name: lower-cased, folded, and trimmed of
// space separators and tabs at both ends (line breaks stay). Empty means "no keyword".
QString normalizeKeyword(const QString& text);

// True when the text holds at least `count` user-perceived characters (grapheme clusters).
bool hasAtLeastGraphemes(const QString& text, int count);

} // namespace pigmo::text
