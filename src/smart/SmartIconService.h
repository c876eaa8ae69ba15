#pragma once

#include "base/SerialQueue.h"
#include "base/ThreadSafety.h"
#include "catalogue/IconLibrary.h"
#include "model/ColorizationData.h"
#include "smart/KeywordIndex.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <optional>

namespace pigmo {

class IconsModel;

// The keyword index behind the smart glyph proposal, and the matching that reads it.
//
// The index is built on the service's own serial worker ("io.velmar.smartIcon.build"): at start-up
// (`buildIndexIfNeeded()`), whenever the folder-name languages change (`rebuildIndex()`), and when a match
// finds it not ready. Each build makes a new immutable `KeywordIndex` and publishes it whole; every read
// takes one snapshot, so a rebuild never disturbs a search running on another thread. From the moment a
// rebuild starts until it ends the service counts as not ready: `findIcon` answers nothing and
// `searchIcons` an empty list, exactly as before the first build.
//
// Thread-safe. Readiness is announced by `indexReady()` (emitted on the worker thread; queued to receivers
// in other threads) and can be awaited off the GUI thread with `waitUntilReady()`.
class SmartIconService : public QObject {
    Q_OBJECT

public:
    // How one query word matched one icon.
    struct QueryWordMatch {
        QString queryWord;
        std::optional<QString> matchedKeyword; // the index word matched; nothing when the word did not match
        double rawScore = 0;                   // 1.0 exact, 0.8 prefix, 0 no match
        bool isNameMatch = false;              // the matched word is one of the icon's own name tokens
        int relevance = 0;                     // the keyword's relevance, 3 when it has none; 0 for no match
        double weightedScore = 0;              // this word's contribution to the icon's score
    };

    // One ranked candidate of the scoring.
    struct ScoredIcon {
        QString key;
        double score = 0;    // after the compactness factor
        double rawScore = 0; // mean weighted score over the query words
        int tokenCount = 1;
        QList<QueryWordMatch> wordMatches; // one per query word, in query order
    };

    // One search result.
    struct IconMatch {
        QUuid id; // new for every result
        Icon icon;
        double similarity = 0;
        double rawScore = 0;
        int tokenCount = 1;
        QString library; // "lucide", "sf" or "emoji"
        QList<QueryWordMatch> wordMatches;
    };

    static constexpr double tagMatchWeight = 0.6;    // a keyword-file match against a name match
    static constexpr double compactnessAlpha = 0.15; // penalty per extra name token of an icon variant

    // Produces what a build reads; called on the worker thread at the start of every build.
    using SourcesProvider = std::function<IndexSources()>;

    // What the program's index reads: the catalogues of `icons` (which must outlive every build), the
    // bundle's keyword files and the stored folder-name languages.
    static SourcesProvider bundleSources(const IconsModel& icons);

    explicit SmartIconService(SourcesProvider sources, QObject* parent = nullptr);
    // Drops builds that have not started and waits for a running one.
    ~SmartIconService() override;
    // Stops the build worker: queued builds are dropped, a running one is waited for, later requests do
    // nothing. Idempotent; the destructor calls it.
    void shutdown();

    // Requests a build unless the index is ready or a build is already requested or running.
    void buildIndexIfNeeded();
    // Queues a build behind any running one; the index counts as not ready from its start to its end.
    void rebuildIndex();

    bool isReady() const;
    bool isLoading() const;
    // Blocks the calling thread until the index is ready or `timeout` has passed, requesting a build when
    // none is pending; true when ready. Never call it on the GUI thread: connect to `indexReady()` there.
    bool waitUntilReady(std::chrono::milliseconds timeout);
    // The current index, or nothing while it is not ready.
    std::shared_ptr<const KeywordIndex> index() const;

    // The glyph proposed for a folder name: a country's flag when the name is a country, else the best
    // match in the library the majority of the siblings' glyphs (or the preferred library) gives, else for
    // names of four or more letters a random icon of that library. Nothing while the index is not ready (a
    // build is then requested). Logs its reasoning to the system log.
    std::optional<Icon> findIcon(const QString& folderName, const SmartSiblingAnalysis::LibraryCounts& siblingGlyphs);

    // At most `limit` matches for a search text, best first; empty while the index is not ready.
    QList<IconMatch> searchIcons(const QString& query, int limit, LibraryFilter library, bool allowPrefix) const;

    // Every icon matching a word of `text`, best first (libraries absent: every library).
    QList<ScoredIcon> scoreIcons(const QString& text, const std::optional<LibrarySet>& libraries,
                                 bool allowPrefix) const;

    // The library a strict majority of the siblings' glyphs come from, else the preferred library.
    LibrarySet majorityLibrary(const SmartSiblingAnalysis::LibraryCounts& siblingGlyphs) const;

    // A catalogue entry of the set's first library ("lucide" when absent or empty), chosen uniformly at
    // random; nothing for an empty catalogue.
    std::optional<Icon> randomIcon(const std::optional<LibrarySet>& library) const;

    // Whether `key` names a variant ("lucide:folder-open") of an icon of its own ("lucide:folder") in the
    // current index.
    bool hasBaseIcon(const QString& key) const;

    // Test hook: every build waits this long before it starts (interrupted when the service is destroyed).
    void setBuildDelayForTesting(std::chrono::milliseconds delay);

Q_SIGNALS:
    // A build has finished and its index is published.
    void indexReady();

private:
    void runBuild();

    SourcesProvider sources_;
    mutable Mutex mutex_;
    std::condition_variable stateChanged_;
    // The last index built, kept while a rebuild runs.
    std::shared_ptr<const KeywordIndex> latest_ PIGMO_GUARDED_BY(mutex_);
    bool ready_ PIGMO_GUARDED_BY(mutex_) = false;
    bool loading_ PIGMO_GUARDED_BY(mutex_) = false;
    bool stopping_ PIGMO_GUARDED_BY(mutex_) = false;
    std::atomic<std::chrono::milliseconds::rep> buildDelayMs_{0};
    SerialQueue buildQueue_{"smartIcon.build"};
};

} // namespace pigmo
