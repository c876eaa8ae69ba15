#pragma once

#include <QString>

namespace pigmo::ui {

// The text of `key` in the interface language's "General" table; the key itself when the table has no
// entry. Views look their texts up through this one function when they are built.
QString localized(const QString& key);

} // namespace pigmo::ui
