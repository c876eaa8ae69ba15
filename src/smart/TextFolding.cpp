#include "smart/TextFolding.h"

#include <QTextBoundaryFinder>

#include <optional>

namespace pigmo::text {
namespace {

// Characters that may change under NFD + mark removal + NFC. Everything below U+00C0 is left alone, so the
// common ASCII text never reaches the (much slower) normalisation.
bool mayFold(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0xC0)
        return false;
    if (ch.isSurrogate())
        return true;
    if (u >= 0x1100 && u < 0x1200) // conjoining Hangul jamo compose under NFC
        return true;
    return ch.decompositionTag() == QChar::Canonical || ch.category() == QChar::Mark_NonSpacing;
}

bool isTrimmed(QChar ch)
{
    return ch == u'\t' || ch.category() == QChar::Separator_Space;
}

} // namespace

QString foldDiacritics(const QString& text)
{
    if (std::none_of(text.cbegin(), text.cend(), mayFold))
        return text;
    QString decomposed = text.normalized(QString::NormalizationForm_D);
    decomposed.removeIf([](QChar ch) { return ch.category() == QChar::Mark_NonSpacing; });
    return decomposed.normalized(QString::NormalizationForm_C);
}

QString lowercasedAndFolded(const QString& text)
{
    return foldDiacritics(text.toLower());
}

namespace {

// Plain ASCII needs neither Unicode case tables nor folding: lower-case A-Z and trim spaces and tabs.
std::optional<QString> normalizedAscii(const QString& text)
{
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype begin = 0;
    qsizetype end = text.size();
    bool hasUpper = false;
    for (qsizetype i = 0; i < end; ++i) {
        if (units[i] >= 0x80)
            return std::nullopt;
        hasUpper = hasUpper || (units[i] >= u'A' && units[i] <= u'Z');
    }
    const auto trimmed = [](char16_t unit) { return unit == u' ' || unit == u'\t'; };
    while (begin < end && trimmed(units[begin]))
        ++begin;
    while (end > begin && trimmed(units[end - 1]))
        --end;
    if (!hasUpper)
        return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
    QString lowered(end - begin, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(lowered.data());
    for (qsizetype i = begin; i < end; ++i)
        *out++ = units[i] >= u'A' && units[i] <= u'Z' ? static_cast<char16_t>(units[i] + (u'a' - u'A')) : units[i];
    return lowered;
}

} // namespace

QString normalizeKeyword(const QString& text)
{
    if (std::optional<QString> ascii = normalizedAscii(text))
        return *std::move(ascii);
    const QString folded = lowercasedAndFolded(text);
    qsizetype begin = 0;
    qsizetype end = folded.size();
    while (begin < end && isTrimmed(folded.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(folded.at(end - 1)))
        --end;
    return begin == 0 && end == folded.size() ? folded : folded.mid(begin, end - begin);
}

bool hasAtLeastGraphemes(const QString& text, int count)
{
    if (text.size() < count)
        return false; // a grapheme spans at least one UTF-16 unit
    const bool simple =
        std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.unicode() < 0x80 && ch != u'\r'; });
    if (simple)
        return true; // plain ASCII without CR: one unit per grapheme
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (finder.toNextBoundary() != -1) {
        if (++seen >= count)
            return true;
    }
    return false;
}

} // namespace pigmo::text
