#include "support/AtSpiClient.h"

#include <QAtomicInt>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSet>

#include <utility>

namespace pigmo::test {
namespace {

const QString registry = QStringLiteral("org.a11y.atspi.Registry");
const QString registryRoot = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString deviceEvents = QStringLiteral("/org/a11y/atspi/registry/deviceeventcontroller");
const QString accessible = QStringLiteral("org.a11y.atspi.Accessible");
constexpr int callTimeoutMs = 5000;

// Device event kinds of the registry's keyboard events.
enum KeyEvent : quint32 { keySym = 3, lockModifiers = 5, unlockModifiers = 6 };

QString uniqueConnectionName(const char* kind)
{
    static QAtomicInt counter;
    return QStringLiteral("pigmo-test-%1-%2").arg(QLatin1String(kind)).arg(counter.fetchAndAddRelaxed(1));
}

// The (bus name, object path) pairs of an a(so) answer.
QList<AtSpiNode> nodesOf(const QVariant& value)
{
    QList<AtSpiNode> nodes;
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        nodes.append({service, path.path()});
    }
    argument.endArray();
    return nodes;
}

} // namespace

// Keeps the objects named by the events of the accessibility bus.
class AtSpiClient::EventReceiver : public QObject {
    Q_OBJECT

public:
    QList<AtSpiNode> objects;

public Q_SLOTS:
    void take(const QDBusMessage& message)
    {
        objects.append({message.service(), message.path()});
        // Object events carry (detail, detail1, detail2, any_data): a children-changed event's data is the child.
        if (message.member() != QStringLiteral("ChildrenChanged") || message.arguments().size() < 4)
            return;
        const QVariant data = message.arguments().at(3).value<QDBusVariant>().variant();
        const auto argument = data.value<QDBusArgument>();
        if (argument.currentType() != QDBusArgument::StructureType)
            return;
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        objects.append({service, path.path()});
    }
};

AtSpiClient::AtSpiClient(const QString& sessionBusAddress)
    : events_(std::make_unique<EventReceiver>())
    , sessionName_(uniqueConnectionName("session"))
    , busName_(uniqueConnectionName("a11y"))
{
    QDBusConnection session = QDBusConnection::connectToBus(sessionBusAddress, sessionName_);
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                      QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    const QDBusMessage answer = session.call(ask, QDBus::Block, callTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        lastError_ = answer.errorMessage();
        return;
    }
    QDBusConnection::connectToBus(answer.arguments().constFirst().toString(), busName_);
}

AtSpiClient::~AtSpiClient()
{
    QDBusConnection::disconnectFromBus(busName_);
    QDBusConnection::disconnectFromBus(sessionName_);
}

bool AtSpiClient::isConnected() const
{
    return QDBusConnection(busName_).isConnected();
}

std::optional<QDBusMessage> AtSpiClient::send(const QDBusMessage& message)
{
    QDBusConnection bus(busName_);
    if (!bus.isConnected()) {
        lastError_ = QStringLiteral("not connected to the accessibility bus");
        return std::nullopt;
    }
    QDBusMessage answer = bus.call(message, QDBus::Block, callTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage) {
        lastError_ = answer.errorName() + QStringLiteral(": ") + answer.errorMessage();
        unanswered_ = answer.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply") ||
                      answer.errorName() == QStringLiteral("org.freedesktop.DBus.Error.Timeout");
        return std::nullopt;
    }
    return answer;
}

std::optional<QDBusMessage> AtSpiClient::call(const AtSpiNode& node, const QString& interface, const QString& method,
                                              const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    return send(message);
}

std::optional<QDBusMessage> AtSpiClient::callRegistry(const QString& path, const QString& interface,
                                                      const QString& method, const QVariantList& arguments)
{
    return call({registry, path}, interface, method, arguments);
}

QList<AtSpiNode> AtSpiClient::applications()
{
    return children({registry, registryRoot});
}

std::optional<AtSpiNode> AtSpiClient::application(qint64 pid)
{
    for (const AtSpiNode& program : applications()) {
        const std::optional<QDBusMessage> owner = call(
            {QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus")},
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"), {program.service});
        if (owner && !owner->arguments().isEmpty() && owner->arguments().constFirst().toLongLong() == pid)
            return program;
    }
    return std::nullopt;
}

QString AtSpiClient::name(const AtSpiNode& node)
{
    const std::optional<QDBusMessage> answer = call(node, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"), {accessible, QStringLiteral("Name")});
    if (!answer || answer->arguments().isEmpty())
        return {};
    return answer->arguments().constFirst().value<QDBusVariant>().variant().toString();
}

QString AtSpiClient::role(const AtSpiNode& node)
{
    const std::optional<QDBusMessage> answer = call(node, accessible, QStringLiteral("GetRoleName"));
    return answer && !answer->arguments().isEmpty() ? answer->arguments().constFirst().toString() : QString();
}

quint64 AtSpiClient::states(const AtSpiNode& node)
{
    const std::optional<QDBusMessage> answer = call(node, accessible, QStringLiteral("GetState"));
    if (!answer || answer->arguments().isEmpty())
        return 0;
    QList<quint32> words;
    answer->arguments().constFirst().value<QDBusArgument>() >> words;
    quint64 states = 0;
    for (qsizetype i = 0; i < std::min<qsizetype>(words.size(), 2); ++i)
        states |= quint64(words[i]) << (32 * i);
    return states;
}

QList<AtSpiNode> AtSpiClient::children(const AtSpiNode& node)
{
    const std::optional<QDBusMessage> answer = call(node, accessible, QStringLiteral("GetChildren"));
    return answer && !answer->arguments().isEmpty() ? nodesOf(answer->arguments().constFirst()) : QList<AtSpiNode>();
}

QStringList AtSpiClient::actions(const AtSpiNode& node)
{
    const std::optional<QDBusMessage> answer =
        call(node, QStringLiteral("org.a11y.atspi.Action"), QStringLiteral("GetActions"));
    QStringList names;
    if (!answer || answer->arguments().isEmpty())
        return names;
    const auto argument = answer->arguments().constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString actionName;
        QString description;
        QString keyBinding;
        argument.beginStructure();
        argument >> actionName >> description >> keyBinding;
        argument.endStructure();
        names.append(actionName);
    }
    argument.endArray();
    return names;
}

bool AtSpiClient::doAction(const AtSpiNode& node, int index)
{
    const std::optional<QDBusMessage> answer =
        call(node, QStringLiteral("org.a11y.atspi.Action"), QStringLiteral("DoAction"), {index});
    return answer && !answer->arguments().isEmpty() && answer->arguments().constFirst().toBool();
}

std::optional<QRect> AtSpiClient::extents(const AtSpiNode& node)
{
    constexpr quint32 screenCoordinates = 0;
    const std::optional<QDBusMessage> answer =
        call(node, QStringLiteral("org.a11y.atspi.Component"), QStringLiteral("GetExtents"), {screenCoordinates});
    if (!answer || answer->arguments().isEmpty())
        return std::nullopt;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    const auto argument = answer->arguments().constFirst().value<QDBusArgument>();
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return QRect(x, y, width, height);
}

void AtSpiClient::walkFrom(const AtSpiNode& node, int depth, const Descend& descend, QList<AtSpiElement>& into,
                           QSet<QString>& seen)
{
    const QString key = node.service + u' ' + node.path;
    if (seen.contains(key) || unanswered_)
        return; // a tree that points back up is walked once; a program that stopped answering no more
    seen.insert(key);
    AtSpiElement element{node, {}, role(node), 0, depth};
    if (element.role.isEmpty())
        return; // gone
    element.name = name(node);
    element.states = states(node);
    into.append(element);
    if (descend && !descend(element))
        return;
    for (const AtSpiNode& child : children(node))
        walkFrom(child, depth + 1, descend, into, seen);
}

QList<AtSpiElement> AtSpiClient::walk(const AtSpiNode& root, const Descend& descend)
{
    QList<AtSpiElement> elements;
    QSet<QString> seen;
    unanswered_ = false;
    walkFrom(root, 0, descend, elements, seen);
    return elements;
}

QList<AtSpiElement> AtSpiClient::showing(const AtSpiNode& root)
{
    // The program's own root is never "showing"; its windows and what they show are.
    const auto isSeen = [](const AtSpiElement& element) { return element.depth == 0 || element.isShowing(); };
    QList<AtSpiElement> elements = walk(root, isSeen);
    elements.removeIf([&](const AtSpiElement& element) { return !isSeen(element); });
    return elements;
}

std::optional<AtSpiElement> AtSpiClient::find(const AtSpiNode& root, const QString& role, const QString& name,
                                              bool showingOnly)
{
    for (const AtSpiElement& element : showingOnly ? showing(root) : walk(root)) {
        if (element.role == role && element.name == name)
            return element;
    }
    return std::nullopt;
}

bool AtSpiClient::pressKey(quint32 keysym, quint32 modifierMask)
{
    const QString interface = QStringLiteral("org.a11y.atspi.DeviceEventController");
    const QString method = QStringLiteral("GenerateKeyboardEvent");
    const auto event = [&](quint32 code, KeyEvent kind) {
        return callRegistry(deviceEvents, interface, method, {int(code), QString(), quint32(kind)}).has_value();
    };
    if (modifierMask && !event(modifierMask, lockModifiers))
        return false;
    const bool pressed = event(keysym, keySym);
    if (modifierMask && !event(modifierMask, unlockModifiers))
        return false;
    return pressed;
}

bool AtSpiClient::listen(const QStringList& kinds)
{
    QDBusConnection bus(busName_);
    const QList<std::pair<QString, QStringList>> signalsOf = {
        {QStringLiteral("org.a11y.atspi.Event.Object"),
         {QStringLiteral("ChildrenChanged"), QStringLiteral("StateChanged"), QStringLiteral("PropertyChange"),
          QStringLiteral("VisibleDataChanged"), QStringLiteral("SelectionChanged"),
          QStringLiteral("ActiveDescendantChanged")}},
        {QStringLiteral("org.a11y.atspi.Event.Window"),
         {QStringLiteral("Activate"), QStringLiteral("Deactivate"), QStringLiteral("Create"),
          QStringLiteral("Destroy")}},
        {QStringLiteral("org.a11y.atspi.Event.Focus"), {QStringLiteral("Focus")}},
    };
    for (const auto& [interface, names] : signalsOf) {
        for (const QString& name : names)
            bus.connect(QString(), QString(), interface, name, events_.get(), SLOT(take(QDBusMessage)));
    }
    for (const QString& kind : kinds) {
        if (!callRegistry(QStringLiteral("/org/a11y/atspi/registry"), QStringLiteral("org.a11y.atspi.Registry"),
                          QStringLiteral("RegisterEvent"), {kind, QStringList(), QString()}))
            return false;
    }
    return true;
}

QList<AtSpiNode> AtSpiClient::takeEventObjects()
{
    return std::exchange(events_->objects, {});
}

bool AtSpiClient::read(const AtSpiNode& node)
{
    if (role(node).isEmpty())
        return false;
    name(node);
    states(node);
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    for (const char* property : {"Description", "Parent", "ChildCount"})
        call(node, properties, QStringLiteral("Get"), {accessible, QString::fromLatin1(property)});
    for (const char* method : {"GetAttributes", "GetRelationSet", "GetInterfaces", "GetIndexInParent", "GetApplication",
                               "GetLocalizedRoleName"})
        call(node, accessible, QString::fromLatin1(method));
    extents(node);
    actions(node);
    children(node);
    return true;
}

bool AtSpiClient::pointer(QPoint at, const QString& event)
{
    return callRegistry(deviceEvents, QStringLiteral("org.a11y.atspi.DeviceEventController"),
                        QStringLiteral("GenerateMouseEvent"), {at.x(), at.y(), event})
        .has_value();
}

} // namespace pigmo::test

#include "AtSpiClient.moc"
