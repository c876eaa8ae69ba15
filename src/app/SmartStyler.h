#pragma once

#include "model/ColorizationData.h"

#include <QString>

#include <chrono>
#include <optional>

namespace pigmo {

class SmartIconService;

// The smart style of one folder, applied at once: colour, intensity, glyph size and style from the
// folder's styled siblings, the glyph from its name. Runs on a worker thread, never on the GUI thread.
class SmartStyler {
public:
    // The longest a styling waits for the keyword index before it goes on without a glyph.
    static constexpr std::chrono::milliseconds indexWait{10'000};

    explicit SmartStyler(SmartIconService& index, std::chrono::milliseconds wait = indexWait);

    // Renders the folder's smart style, sets it as the folder's icon and writes it into the folder's
    // attribute. The style applied, or nothing when the icon could not be rendered or set (the folder is
    // then left as it was). Before asking for a glyph it waits, at most `wait`, for the keyword index;
    // when the wait runs out it styles without a glyph and says so in one log line.
    std::optional<ColorizationData> style(const QString& folderPath) const;

private:
    std::optional<Icon> glyph(const QString& folderName, const QList<ColorizationData>& siblings) const;

    SmartIconService& index_;
    std::chrono::milliseconds wait_;
};

} // namespace pigmo
