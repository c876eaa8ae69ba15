#pragma once

namespace pigmo {

class ColorizationHistoryStore;

// Moves the history that earlier versions kept in the preferences (with rendered images in
// Documents/ColorizedImages) into the store, once: its records become the store's log entries and current
// styles, written before the preference is removed. A preference that cannot be read is left in place and
// never read again. Runs on the store's thread.
void migrateLegacyHistoryIfNeeded(ColorizationHistoryStore& store);

} // namespace pigmo
