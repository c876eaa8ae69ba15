#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace pigmo {

// The glyph library automatic styling prefers when a folder's siblings give no sign of one. Stored as its
// raw value under "io.velmar.Pigmo.preferredIconLibrary" on every set. GUI thread only.
class IconStylePreferenceManager : public QObject {
    Q_OBJECT

public:
    enum class Preference { lucide, emoji };
    static QString rawValue(Preference preference);
    static std::optional<Preference> preference(const QString& rawValue);

    // The stored value; no text or an unknown one reads as `lucide` (and is left as it is).
    explicit IconStylePreferenceManager(QObject* parent = nullptr);

    Preference preferredLibrary() const { return preferredLibrary_; }
    void setPreferredLibrary(Preference preference);

Q_SIGNALS:
    void preferredLibraryChanged(pigmo::IconStylePreferenceManager::Preference preference);

private:
    Preference preferredLibrary_ = Preference::lucide;
};

} // namespace pigmo
