#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for Qt text in the smart-styling tests.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}
