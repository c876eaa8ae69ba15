#include "storage/StylingJournal.h"

#include "base/Log.h"

#include <QDir>
#include <QFile>

#include <simdjson.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pigmo {
namespace {

// A journal is made under a hidden name and renamed into place once it is locked, so that a start never
// finds a journal file that nobody holds while its process lives.
const QString temporaryPrefix = QStringLiteral(".styling-");

QString systemError(int code = errno)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

const char* outcomeText(StylingJournal::Outcome outcome)
{
    return outcome == StylingJournal::Outcome::styled ? "styled" : "undone";
}

Result<void> writeAll(int descriptor, const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Result<void>::failure(systemError());
        written += n;
    }
    return Result<void>::success();
}

QByteArray readAll(int descriptor)
{
    QByteArray text;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return text;
        text.append(buffer, n);
    }
}

void syncDirectory(const QString& directory)
{
    const int descriptor = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

// The descriptor of `path` with its exclusive lock taken at once, or -1 when the file is gone or another
// process holds it.
int lockedIfFree(const QByteArray& path)
{
    const int descriptor = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0)
        return -1;
    struct stat info {};
    // A file its owner removed after we listed it is no journal any more.
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 || ::fstat(descriptor, &info) != 0 || info.st_nlink == 0 ||
        !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

std::optional<StylingJournal::Intent> intentFrom(const simdjson::dom::object& object, const json::Element& element)
{
    uint64_t id = 0;
    HistoryLogEntry entry;
    const auto read = json::read(element, &entry);
    auto icon = json::requiredText(object, "icon");
    auto gvfs = json::optionalText(object, "previousGvfsIcon");
    auto directory = json::optionalText(object, "previousDirectoryIcon");
    const auto idMember = json::member(object, "intent");
    if (!idMember || idMember->get_uint64().get(id) || !read || !icon || !gvfs || !directory)
        return std::nullopt;
    return StylingJournal::Intent{
        id, std::move(entry), *icon, gvfs->value_or(QString()), directory->value_or(QString()), std::nullopt};
}

// Joins an end line to its intent; false when the line is no end.
bool joinEnd(const simdjson::dom::object& object, QList<StylingJournal::Intent>& intents)
{
    uint64_t id = 0;
    std::string_view outcome;
    const auto idMember = json::member(object, "ended");
    const auto outcomeMember = json::member(object, "outcome");
    if (!idMember || !outcomeMember || idMember->get_uint64().get(id) || outcomeMember->get_string().get(outcome))
        return false;
    if (outcome != "styled" && outcome != "undone")
        return false;
    for (StylingJournal::Intent& intent : intents) {
        if (intent.id == id)
            intent.outcome = outcome == "styled" ? StylingJournal::Outcome::styled : StylingJournal::Outcome::undone;
    }
    return true;
}

bool readLine(const QByteArray& line, StylingJournal::Contents& contents)
{
    const auto element = json::parse(line);
    simdjson::dom::object object;
    if (!element || element->get_object().get(object))
        return false;
    if (json::member(object, "intent")) {
        auto intent = intentFrom(object, *element);
        if (intent)
            contents.intents.append(std::move(*intent));
        return intent.has_value();
    }
    return joinEnd(object, contents.intents);
}

} // namespace

StylingJournal::StylingJournal(QString directory)
    : directory_(std::move(directory))
{
}

StylingJournal::~StylingJournal()
{
    const MutexLock lock(mutex_);
    close();
}

QString StylingJournal::filePath() const
{
    const MutexLock lock(mutex_);
    return path_;
}

Result<quint64> StylingJournal::begin(Intent intent)
{
    int descriptor = -1;
    {
        const MutexLock lock(mutex_);
        intent.id = nextId_;
        const Result<QByteArray> line = intentLine(intent);
        if (!line)
            return Result<quint64>::failure(line.error());
        if (descriptor_ < 0) {
            if (const Result<void> opened = open(); !opened)
                return Result<quint64>::failure(opened.error());
        }
        if (const Result<void> appended = append(*line); !appended)
            return Result<quint64>::failure(appended.error());
        ++nextId_;
        ++open_; // keeps the file open while it syncs
        descriptor = descriptor_;
    }
    // Synced outside the lock, so that ends (and other intents) are written meanwhile.
    if (::fdatasync(descriptor) != 0) {
        const QString error = QStringLiteral("cannot write %1: %2").arg(filePath(), systemError());
        end(intent.id, Outcome::undone);
        return Result<quint64>::failure(error);
    }
    return intent.id;
}

void StylingJournal::end(quint64 id, Outcome outcome)
{
    const MutexLock lock(mutex_);
    --open_;
    if (outcome == Outcome::styled)
        ++unrecorded_;
    // Not synced: an intent whose end is lost is checked on the folder itself when it is settled.
    if (const Result<void> appended = append(endLine(id, outcome)); !appended)
        log::warning(QStringLiteral("Error writing the styling journal %1: %2").arg(path_, appended.error()));
}

void StylingJournal::recorded()
{
    const MutexLock lock(mutex_);
    --unrecorded_;
}

bool StylingJournal::discardIfSettled()
{
    const MutexLock lock(mutex_);
    if (descriptor_ < 0)
        return true;
    if (open_ > 0 || unrecorded_ > 0)
        return false;
    if (::unlink(QFile::encodeName(path_).constData()) != 0) {
        log::warning(QStringLiteral("Error removing the styling journal %1: %2").arg(path_, systemError()));
        return false;
    }
    close();
    return true;
}

Result<void> StylingJournal::open()
{
    if (!QDir().mkpath(directory_))
        return Result<void>::failure(QStringLiteral("cannot create %1").arg(directory_));
    for (;;) {
        QByteArray temporary = QFile::encodeName(directory_ + u'/' + temporaryPrefix) + "XXXXXX";
        const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC | O_APPEND);
        if (descriptor < 0)
            return Result<void>::failure(
                QStringLiteral("cannot write the styling journal in %1: %2").arg(directory_, systemError()));
        const QString unique = QFile::decodeName(temporary).section(u'-', -1);
        const QString path = directory_ + u'/' + filePrefix + unique + fileSuffix;
        const QByteArray target = QFile::encodeName(path);
        if (::flock(descriptor, LOCK_EX) != 0 ||
            ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
            const int code = errno;
            ::unlink(temporary.constData());
            ::close(descriptor);
            // Taken away by a start that found it unlocked in the moment before the lock, or a name in use.
            if (code == ENOENT || code == EEXIST)
                continue;
            return Result<void>::failure(QStringLiteral("cannot write %1: %2").arg(path, systemError(code)));
        }
        syncDirectory(directory_); // the journal's name survives a power cut
        descriptor_ = descriptor;
        path_ = path;
        return Result<void>::success();
    }
}

Result<void> StylingJournal::append(const QByteArray& line)
{
    if (descriptor_ < 0)
        return Result<void>::failure(QStringLiteral("the journal is not open"));
    if (const Result<void> written = writeAll(descriptor_, line + '\n'); !written)
        return Result<void>::failure(QStringLiteral("cannot write %1: %2").arg(path_, written.error()));
    return Result<void>::success();
}

void StylingJournal::close()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
    path_.clear();
}

Result<QByteArray> StylingJournal::intentLine(const Intent& intent)
{
    json::Writer line;
    line.beginObject();
    line.key("intent");
    line.number(quint64(intent.id));
    json::writeMembers(line, intent.entry);
    line.key("icon");
    line.text(intent.icon);
    if (!intent.previousGvfsIcon.isEmpty()) {
        line.key("previousGvfsIcon");
        line.text(intent.previousGvfsIcon);
    }
    if (!intent.previousDirectoryIcon.isEmpty()) {
        line.key("previousDirectoryIcon");
        line.text(intent.previousDirectoryIcon);
    }
    line.endObject();
    return line.result();
}

QByteArray StylingJournal::endLine(quint64 id, Outcome outcome)
{
    return QByteArrayLiteral("{\"ended\":") + QByteArray::number(id) + QByteArrayLiteral(",\"outcome\":\"") +
           outcomeText(outcome) + QByteArrayLiteral("\"}");
}

StylingJournal::Contents StylingJournal::parse(const QByteArray& text)
{
    Contents contents;
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (!readLine(line, contents))
            ++contents.unreadableLines;
    }
    return contents;
}

StylingJournal::Left::Left(QString path, int descriptor, Contents contents)
    : path_(std::move(path))
    , descriptor_(descriptor)
    , contents_(std::move(contents))
{
}

StylingJournal::Left::Left(Left&& other) noexcept
    : path_(std::move(other.path_))
    , descriptor_(std::exchange(other.descriptor_, -1))
    , contents_(std::move(other.contents_))
{
}

StylingJournal::Left& StylingJournal::Left::operator=(Left&& other) noexcept
{
    if (this != &other) {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        path_ = std::move(other.path_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        contents_ = std::move(other.contents_);
    }
    return *this;
}

StylingJournal::Left::~Left()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

Result<void> StylingJournal::Left::remove()
{
    if (::unlink(QFile::encodeName(path_).constData()) != 0 && errno != ENOENT)
        return Result<void>::failure(QStringLiteral("cannot remove %1: %2").arg(path_, systemError()));
    return Result<void>::success();
}

std::vector<StylingJournal::Left> StylingJournal::left(const QString& directory)
{
    std::vector<Left> found;
    const QStringList journals =
        QDir(directory).entryList({filePrefix + u'*' + fileSuffix}, QDir::Files | QDir::System, QDir::Name);
    for (const QString& name : journals) {
        const QString path = directory + u'/' + name;
        const int descriptor = lockedIfFree(QFile::encodeName(path));
        if (descriptor >= 0)
            found.push_back(Left(path, descriptor, parse(readAll(descriptor))));
    }
    // A journal being made holds no intent before its rename: one its process left behind is empty.
    const QStringList temporaries =
        QDir(directory).entryList({temporaryPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : temporaries) {
        const QByteArray path = QFile::encodeName(directory + u'/' + name);
        if (const int descriptor = lockedIfFree(path); descriptor >= 0) {
            ::unlink(path.constData());
            ::close(descriptor);
        }
    }
    return found;
}

} // namespace pigmo
