#pragma once

#include <QDBusConnection>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

class QDBusMessage;

namespace pigmo::test {

// One object of an accessibility tree: the bus name of the program that serves it and its object path.
struct AtSpiNode {
    QString service;
    QString path;

    bool operator==(const AtSpiNode&) const = default;
};

// The states a test reads (their numbers on the accessibility bus).
enum class AtSpiState : int {
    active = 1,
    checked = 4,
    enabled = 8,
    focused = 12,
    modal = 16,
    selectable = 22,
    selected = 23,
    sensitive = 24,
    showing = 25,
    visible = 30,
};

// What a walk read of one object.
struct AtSpiElement {
    AtSpiNode node;
    QString name;
    QString role;     // the role's name on the bus: "push button", "menu item", "frame", "check box"...
    quint64 states{}; // bit n set: state n is on
    int depth{};      // 0 for the walk's root
    bool has(AtSpiState state) const { return (states >> int(state)) & 1U; }
    bool isShowing() const { return has(AtSpiState::showing); }
};

// A client of the accessibility bus, as a screen reader is one: it finds a program among those registered
// with the registry, walks its tree, reads names, roles and states, presses what offers an action, and sends
// keys and pointer clicks through the registry (which uses XTest on an X display).
//
// Objects come and go while a program runs (a page replaced, a dialog closed, the program ended). A call to
// an object that is gone answers nothing instead of failing: walks leave such objects out, reads return
// empty values, `doAction` returns false. `lastError()` names the last error for messages.
class AtSpiClient {
public:
    // Asks the session bus at `sessionBusAddress` for the accessibility bus (starting it when it is not
    // running yet) and connects to it.
    explicit AtSpiClient(const QString& sessionBusAddress);
    ~AtSpiClient();
    AtSpiClient(const AtSpiClient&) = delete;
    AtSpiClient& operator=(const AtSpiClient&) = delete;

    bool isConnected() const;
    QString lastError() const { return lastError_; }

    // The root object of every program registered with the registry.
    QList<AtSpiNode> applications();
    // The root object of the program with process id `pid`, once it has registered.
    std::optional<AtSpiNode> application(qint64 pid);

    // Every object from `root` down, depth first, each parent before its children. `descend` decides, for
    // each element read, whether its children are walked (all are when it is empty). An object that
    // vanishes during the walk is left out with whatever lies below it; a program that stops answering (a
    // call times out) ends the walk with what was read so far.
    using Descend = std::function<bool(const AtSpiElement&)>;
    QList<AtSpiElement> walk(const AtSpiNode& root, const Descend& descend = {});
    // The objects the user can see: the showing ones below `root`, under showing parents only.
    QList<AtSpiElement> showing(const AtSpiNode& root);
    // The first element with `role` and `name` below `root`, among the showing ones, or among all of them
    // (a menu's items while the menu is closed, say) when `showingOnly` is false.
    std::optional<AtSpiElement> find(const AtSpiNode& root, const QString& role, const QString& name,
                                     bool showingOnly = true);

    QString name(const AtSpiNode& node);
    QString role(const AtSpiNode& node);
    quint64 states(const AtSpiNode& node);
    QList<AtSpiNode> children(const AtSpiNode& node);
    QStringList actions(const AtSpiNode& node); // the names of its actions, in their order
    // Runs the object's action `index` (0: "Press" for buttons and menu items); false when it is gone or
    // has no such action.
    bool doAction(const AtSpiNode& node, int index = 0);
    // Where the object is on the screen.
    std::optional<QRect> extents(const AtSpiNode& node);

    // Registers this client for the events of `kinds` ("object:", "window:", "focus:" or narrower ones such
    // as "object:children-changed"), as a screen reader does: programs send those events from then on, and
    // this client keeps the objects they name (delivered while the caller's event loop runs).
    bool listen(const QStringList& kinds);
    // The objects named by the events received since the last call: each event's source, and the child an
    // "object:children-changed" event adds or removes.
    QList<AtSpiNode> takeEventObjects();
    // Asks of `node` all that a screen reader asks when it reaches an object: role, name, description,
    // states, attributes, relations, interfaces, parent and place in it, extents, actions, children. False
    // when the object is gone.
    bool read(const AtSpiNode& node);

    // A key, given by its X keysym, pressed and released while the X modifiers of `modifierMask` are held
    // (Shift 1, Control 4, Alt 8).
    bool pressKey(quint32 keysym, quint32 modifierMask = 0);
    // A pointer event at a point of the screen: "b1c" clicks button 1, "b3c" button 3, "abs" only moves.
    bool pointer(QPoint at, const QString& event);

private:
    std::optional<QDBusMessage> call(const AtSpiNode& node, const QString& interface, const QString& method,
                                     const QVariantList& arguments = {});
    std::optional<QDBusMessage> callRegistry(const QString& path, const QString& interface, const QString& method,
                                             const QVariantList& arguments);
    std::optional<QDBusMessage> send(const QDBusMessage& message);
    void walkFrom(const AtSpiNode& node, int depth, const Descend& descend, QList<AtSpiElement>& into,
                  QSet<QString>& seen);

    class EventReceiver;
    std::unique_ptr<EventReceiver> events_;
    QString sessionName_;
    QString busName_;
    QString lastError_;
    bool unanswered_ = false; // the last call timed out
};

} // namespace pigmo::test
