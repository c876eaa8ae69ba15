#pragma once

#include <QString>

#include <cstddef>

namespace pigmo {

// A string-table key written in the code: u"recently_used"_key. Every key the program uses is written this
// way, so that the test of the string tables finds each one and checks that every table has it (a counted
// key through its ".one", ".few" and ".many" forms).
inline QString operator""_key(const char16_t* text, std::size_t size)
{
    return QString(reinterpret_cast<const QChar*>(text), qsizetype(size));
}

} // namespace pigmo
