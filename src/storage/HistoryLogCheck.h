#pragma once

#include <QByteArray>

namespace pigmo::json {

// A quick look at a history log's text, in one forward pass that builds no tree: true only when every
// entry would decode (`checkLog` would succeed). False when the log is unreadable, and also when the pass
// cannot tell cheaply (an escaped member name, a member of a kind no entry has, numbers beyond 64 bits...):
// `checkLog` settles those. A log of thousands of entries is checked in a fraction of the decode's time
// and memory.
bool surelyReadableLog(const QByteArray& bytes);

} // namespace pigmo::json
