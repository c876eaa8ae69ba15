#pragma once

class QWidget;

namespace pigmo::ui {

// Takes `widget` (may be null) out of sight and out of its parent's layout at once, and deletes it from the
// event loop once the events already queued for it are delivered. It stays its parent's child until then, so
// it never outlives what its parent owns. While the program runs a widget is never deleted directly: the
// event being handled or the accessibility bridge may still hold it, and would then reach a deleted object.
void discard(QWidget* widget);

} // namespace pigmo::ui
