#include "services/FolderWatcherService.h"

#include "base/Folder.h"
#include "base/Log.h"
#include "platform/DirectoryEventSource.h"
#include "services/FolderStyling.h"
#include "storage/Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>

namespace pigmo {
namespace {

const QString prefix = QStringLiteral("FolderWatcherService: ");

void say(const QString& line)
{
    log::system(prefix + line);
}

void warn(const QString& line)
{
    log::warning(prefix + line);
}

QString lastComponent(const QString& path)
{
    return path.section(u'/', -1);
}

bool exists(const QString& path)
{
    return QFileInfo::exists(path);
}

} // namespace

const QStringList& FolderWatcherService::untitledFolderNames()
{
    static const QStringList names{
        // The names of a new folder in the eleven interface languages of another desktop.
        QStringLiteral("untitled folder"), QStringLiteral("sans titre"), QStringLiteral("ohne Titel"),
        QStringLiteral("sin título"), QStringLiteral("senza titolo"), QStringLiteral("pasta sem título"),
        QStringLiteral("sem título"), QStringLiteral("名称未設定フォルダ"), QStringLiteral("未命名文件夹"),
        QStringLiteral("未命名資料夾"), QStringLiteral("무제 폴더"), QStringLiteral("без названия"),
        // The default names of a new folder in the Linux file managers, in English and in fr, de, it, es,
        // pt_BR, zh_CN, ja, ko, ru and cs, read from the translation catalogues of Debian 12's packages:
        // nautilus 43.2 and nemo (cinnamon-l10n 5.6.1) msgid "Untitled Folder"; caja 1.26.1 msgid
        // "untitled folder"; kio 5.103 (Dolphin's "Create New > Folder") msgctxt "Default name for a new
        // folder" msgid "New Folder"; libfm-qt-l10n 1.2.1 (PCManFM-Qt) "New folder". Names that differ only
        // in case appear once.
        QStringLiteral("Untitled Folder"),        // nautilus, nemo
        QStringLiteral("New Folder"),             // kio
        QStringLiteral("New folder"),             // libfm-qt
        QStringLiteral("Nouveau dossier"),        // nautilus, nemo, kio, caja (fr)
        QStringLiteral("Nouveau répertoire"),     // libfm-qt (fr)
        QStringLiteral("Unbenannter Ordner"),     // nautilus, nemo (de)
        QStringLiteral("Namenloser Ordner"),      // caja (de)
        QStringLiteral("Neuer Ordner"),           // kio, libfm-qt (de)
        QStringLiteral("Nuova cartella"),         // nautilus, kio, libfm-qt (it)
        QStringLiteral("Cartella senza nome"),    // nemo, caja (it)
        QStringLiteral("Carpeta sin título"),     // nautilus, nemo, caja (es)
        QStringLiteral("Nueva carpeta"),          // kio (es)
        QStringLiteral("Carpeta nueva"),          // libfm-qt (es)
        QStringLiteral("Pasta sem título"),       // nautilus, nemo, caja (pt_BR)
        QStringLiteral("Nova pasta"),             // kio, libfm-qt (pt_BR)
        QStringLiteral("新建文件夹"),             // kio, libfm-qt (zh_CN); nautilus, nemo, caja as above
        QStringLiteral("無題のフォルダー"),       // nautilus, nemo (ja)
        QStringLiteral("未タイトルのフォルダー"), // caja (ja)
        QStringLiteral("新しいフォルダ"),         // kio (ja)
        QStringLiteral("新規フォルダー"),         // libfm-qt (ja)
        QStringLiteral("이름 없는 폴더"),         // nautilus, nemo (ko)
        QStringLiteral("이름없는 폴더"),          // caja (ko)
        QStringLiteral("새 폴더"),                // kio, libfm-qt (ko)
        QStringLiteral("Безымянная папка"),       // nautilus (ru)
        QStringLiteral("Папка"),                  // nemo (ru)
        QStringLiteral("Новая папка"),            // kio, libfm-qt, caja (ru)
        QStringLiteral("Nepojmenovaná složka"),   // nautilus, nemo, caja (cs)
        QStringLiteral("Nová složka"),            // kio, libfm-qt (cs)
    };
    return names;
}

bool FolderWatcherService::isUntitledName(const QString& name)
{
    static const QSet<QString> lowered = [] {
        QSet<QString> set;
        for (const QString& entry : untitledFolderNames())
            set.insert(entry.toLower());
        return set;
    }();
    const QString lower = name.toLower();
    return lowered.contains(lower) || lower.startsWith(QStringLiteral("untitled folder"));
}

QStringList FolderWatcherService::defaultSkippedPrefixes()
{
    return {QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
            QStringLiteral("/run"),  QStringLiteral("/tmp"), QStringLiteral("/var")};
}

FolderWatcherService::FolderWatcherService(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , dependencies_(std::move(dependencies))
    , skippedPrefixes_(dependencies_.skippedPrefixes)
    , source_(std::make_unique<DirectoryEventSource>(
          skippedPrefixes_, dependencies_.watchLimit.value_or(DirectoryEventSource::defaultWatchLimit())))
{
    connect(source_.get(), &DirectoryEventSource::eventsReceived, this, &FolderWatcherService::handleEvents);
    connect(source_.get(), &DirectoryEventSource::watchLimitReached, this,
            [this] { Q_EMIT isAtWatchLimitChanged(true); });
    loadDirectories();
    // A stored list, even an empty one, is the user's: defaults only when nothing was ever stored.
    if (!Preferences::contains(prefs::folderWatcherDirectories))
        setupDefaultDirectories();
    // The switch is read last, so that setting the directories above starts nothing: folder access is not
    // checked yet, and the owner starts the service once it is.
    isEnabled_ = Preferences::value(prefs::folderWatcherEnabled);
}

FolderWatcherService::~FolderWatcherService() = default;

bool FolderWatcherService::isRunning() const
{
    return source_->isRunning();
}

bool FolderWatcherService::isAtWatchLimit() const
{
    return isRunning() && source_->isAtWatchLimit();
}

int FolderWatcherService::watchedDirectoryCount() const
{
    return source_->watchCount();
}

QStringList FolderWatcherService::watchedPaths() const
{
    return source_->watchedPaths();
}

void FolderWatcherService::setEnabled(bool enabled)
{
    const bool changed = enabled != isEnabled_;
    isEnabled_ = enabled;
    if (changed)
        Q_EMIT isEnabledChanged(enabled);
    Preferences::setValue(prefs::folderWatcherEnabled, enabled);
    if (enabled)
        start();
    else
        stop();
}

void FolderWatcherService::setWatchedDirectories(const QStringList& directories)
{
    watchedDirectories_.clear();
    for (const QString& directory : directories)
        watchedDirectories_.append(QDir::cleanPath(directory));
    Q_EMIT watchedDirectoriesChanged(watchedDirectories_);
    saveDirectories();
    if (isEnabled_) {
        stop();
        if (isEnabled_)
            start();
    }
}

void FolderWatcherService::addDirectory(const QString& directory)
{
    if (watchedDirectories_.contains(QDir::cleanPath(directory)))
        return;
    setWatchedDirectories(watchedDirectories_ + QStringList{directory});
}

void FolderWatcherService::removeDirectory(const QString& directory)
{
    QStringList remaining = watchedDirectories_;
    remaining.removeAll(QDir::cleanPath(directory));
    setWatchedDirectories(remaining);
}

void FolderWatcherService::setupDefaultDirectories()
{
    if (!watchedDirectories_.isEmpty())
        return;
    QStringList defaults;
    const QStringList candidates{QDir::homePath(), QDir::homePath() + QStringLiteral("/Desktop"),
                                 QDir::homePath() + QStringLiteral("/Documents")};
    for (const QString& path : candidates) {
        if (QFileInfo(path).isDir())
            defaults.append(path);
    }
    if (!defaults.isEmpty())
        setWatchedDirectories(defaults);
}

void FolderWatcherService::saveDirectories()
{
    Preferences::setValue(prefs::folderWatcherDirectories, watchedDirectories_);
}

void FolderWatcherService::loadDirectories()
{
    if (!Preferences::contains(prefs::folderWatcherDirectories))
        return;
    setWatchedDirectories(Preferences::value(prefs::folderWatcherDirectories));
}

void FolderWatcherService::start()
{
    if (isRunning())
        return;
    if (!dependencies_.hasFullDiskAccess || !dependencies_.hasFullDiskAccess()) {
        warn(QStringLiteral("Cannot start — no access to the folders (the home folder cannot be listed, or the "
                            "program runs in a sandbox)"));
        return;
    }
    if (watchedDirectories_.isEmpty()) {
        say(QStringLiteral("No directories to watch"));
        return;
    }
    if (!source_->start(watchedDirectories_)) {
        warn(QStringLiteral("Failed to open inotify"));
        return;
    }
    Q_EMIT isRunningChanged(true);
    say(QStringLiteral("Started watching %1 directories").arg(watchedDirectories_.size()));
}

void FolderWatcherService::stop()
{
    if (!isRunning())
        return;
    const bool wasAtLimit = isAtWatchLimit();
    source_->stop();
    if (wasAtLimit)
        Q_EMIT isAtWatchLimitChanged(false);
    recentlyColorized_.clear();
    for (QTimer* timer : std::as_const(pendingRename_))
        delete timer;
    pendingRename_.clear();
    renameSources_.clear();
    Q_EMIT isRunningChanged(false);
    say(QStringLiteral("Stopped"));
}

bool FolderWatcherService::isSkipped(const QString& path) const
{
    return isWithinAny(path, skippedPrefixes_);
}

void FolderWatcherService::handleEvents(const QList<DirectoryEvent>& events)
{
    for (const DirectoryEvent& event : events) {
        if (!(event.flags & DirectoryEvent::itemIsDir))
            continue;
        if ((event.flags & DirectoryEvent::itemRenamed) && !pendingRename_.isEmpty())
            handleRename(event);
        else
            handleCreation(event);
    }
    if (pendingRename_.isEmpty())
        renameSources_.clear();
}

void FolderWatcherService::handleRename(const DirectoryEvent& event)
{
    if (!exists(event.path)) {
        // The old name of a rename: remembered so that its new name finds the folder it belonged to.
        if (event.cookie != 0)
            renameSources_.insert(event.cookie, event.path);
        return;
    }
    // Only the pending folder itself is paired with its new name, never another folder of the same parent.
    const QString oldPath = event.cookie != 0 ? renameSources_.take(event.cookie) : QString();
    QTimer* timeout = pendingRename_.take(oldPath);
    if (!timeout)
        return;
    delete timeout;
    if (recentlyColorized_.contains(event.path))
        return;
    say(QStringLiteral("Folder renamed to: ") + lastComponent(event.path));
    colorizeNewFolder(event.path);
}

void FolderWatcherService::handleCreation(const DirectoryEvent& event)
{
    if ((event.flags & (DirectoryEvent::itemCreated | DirectoryEvent::itemRemoved)) != DirectoryEvent::itemCreated)
        return;
    const QString& path = event.path;
    const QString name = lastComponent(path);
    if (recentlyColorized_.contains(path) || name.startsWith(u'.') || isSkipped(path) || !isUntitledName(name))
        return;
    say(QStringLiteral("Detected new folder being named: ") + path);
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::CoarseTimer);
    connect(timer, &QTimer::timeout, this, [this, path] { renameTimedOut(path); });
    // A second creation under the same path replaces the entry; the earlier timer still runs out.
    pendingRename_.insert(path, timer);
    timer->start(renameTimeout_);
}

void FolderWatcherService::renameTimedOut(const QString& path)
{
    if (QTimer* timer = pendingRename_.value(path); timer == sender())
        pendingRename_.remove(path);
    if (auto* timer = qobject_cast<QTimer*>(sender()))
        timer->deleteLater();
    if (!exists(path) || recentlyColorized_.contains(path))
        return;
    say(QStringLiteral("Rename timeout, colorizing with default name: ") + path);
    colorizeNewFolder(path);
}

void FolderWatcherService::colorizeNewFolder(const QString& path)
{
    recentlyColorized_.insert(path);
    QTimer::singleShot(debounceInterval, this, [this, path] { recentlyColorized_.remove(path); });

    if (!dependencies_.styling)
        return;
    say(QStringLiteral("🧠 Running smart colorization for ") + lastComponent(path));
    dependencies_.styling->styleByName(
        {Folder::unchecked(path)}, prefix,
        [self = QPointer<FolderWatcherService>(this), path](const FolderStyling::Outcome& outcome) {
            if (self)
                Q_EMIT self->folderColorized(path, outcome.succeeded());
        });
}

} // namespace pigmo
