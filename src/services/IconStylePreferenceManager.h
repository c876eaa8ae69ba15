#pragma once

#include "catalogue/IconLibrary.h"

#include <QObject>
#include <QString>

#include <optional>

namespace pigmo {

// The glyph library automatic styling prefers when a folder's siblings give no sign of one. Stored as its
// raw value under "io.velmar.Pigmo.preferredIconLibrary" on every set. GUI thread only.
class IconStylePreferenceManager : public QObject {
    Q_OBJECT

public:
    // The stored raw values: "lucide" and "emoji" (any other library is stored as "lucide").
    static QString rawValue(IconLibrary preference);
    // `lucide` for "lucide", `emoji` for "emoji", nothing for any other text.
    static std::optional<IconLibrary> preference(const QString& rawValue);

    // The stored value; no text or an unknown one reads as `lucide` (and is left as it is).
    explicit IconStylePreferenceManager(QObject* parent = nullptr);

    // `lucide` or `emoji`.
    IconLibrary preferredLibrary() const { return preferredLibrary_; }
    void setPreferredLibrary(IconLibrary preference);

Q_SIGNALS:
    void preferredLibraryChanged(pigmo::IconLibrary preference);

private:
    IconLibrary preferredLibrary_ = IconLibrary::lucide;
};

} // namespace pigmo
