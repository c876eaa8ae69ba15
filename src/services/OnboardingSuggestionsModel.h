#pragma once

#include "base/SerialQueue.h"
#include "model/ColorizationData.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace pigmo {

struct UserDirectories;

class ExtendedAttributesManager;
class FolderStyler;
class SmartIconService;

// The onboarding's proposals: up to twelve unstyled folders of the user's desktop, documents and home, each
// with a complete style derived from its name and its siblings as the smart mode derives it, a preview, and
// a selection; then the selected ones applied one after another.
//
// Lives on the GUI thread; every listing, attribute read, sibling analysis, icon lookup and render of the
// scan runs on the model's own worker, and the results are published by queued calls; the writes run on the
// folder styler's queue. The scan and the apply each run at most once. Destroying the model waits for a
// running scan to end; writes already handed to the styler still happen, and their outcomes are dropped.
class OnboardingSuggestionsModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isScanReady READ isScanReady NOTIFY isScanReadyChanged)
    Q_PROPERTY(bool isApplying READ isApplying NOTIFY isApplyingChanged)
    Q_PROPERTY(int appliedCount READ appliedCount NOTIFY appliedCountChanged)
    Q_PROPERTY(int failedCount READ failedCount NOTIFY failedCountChanged)
    Q_PROPERTY(bool isDoneApplying READ isDoneApplying NOTIFY isDoneApplyingChanged)

public:
    struct Suggestion {
        QUuid id;
        QString path;       // the folder
        QString parentName; // the last component of the folder's parent
        ColorizationData data;
        QImage preview; // the folder image of `data`, 512 × 512
        bool isSelected = true;
    };

    // What the model works with. The chosen proposals are written by `styler`, which records a style (its
    // attribute and history) only where the icon took.
    struct Services {
        SmartIconService& icons;
        const ExtendedAttributesManager& attributes;
        FolderStyler& styler;
    };

    // The folders the scan looks at, and the names of the home that are never proposed.
    struct Roots {
        QString home;
        QStringList lists;         // listed in this order: desktop, documents, home
        QStringList excludedNames; // direct entries of the home with one of these names are passed over
        static Roots of(const UserDirectories& directories);
    };

    static constexpr int maxSuggestions = 12;
    // How long one folder waits for a keyword index that is still being built.
    static constexpr std::chrono::milliseconds indexWait{2000};

    // `roots` defaults to those of the current user's directories.
    explicit OnboardingSuggestionsModel(Services services, std::optional<Roots> roots = std::nullopt,
                                        QObject* parent = nullptr);
    ~OnboardingSuggestionsModel() override;

    const QList<Suggestion>& suggestions() const { return suggestions_; }
    bool isScanReady() const { return isScanReady_; }
    bool isApplying() const { return isApplying_; }
    int appliedCount() const { return appliedCount_; }
    // Selected proposals whose icon could not be rendered or set; they got no attribute and no history.
    int failedCount() const { return failedCount_; }
    bool isDoneApplying() const { return isDoneApplying_; }
    bool hasStartedScan() const { return hasStartedScan_; }
    int selectedCount() const;

    // Starts the scan; later calls do nothing.
    void startScan();
    // Flips the selection of the proposal with this id; an unknown id changes nothing.
    void toggle(const QUuid& id);
    // Applies the selected proposals once; with none selected, finishes at once touching no folder.
    void applySelected();

    // Unstyled folders of the roots, interleaved (the first of each list, then the second of each...), at
    // most `limit`. A root that cannot be listed contributes nothing.
    static QList<QString> candidateFolders(int limit, const Roots& roots, const ExtendedAttributesManager& attributes);
    // A visible directory (not a symbolic link) that carries no readable style, and not an excluded name of
    // the home.
    static bool isCandidate(const QString& path, const Roots& roots, const ExtendedAttributesManager& attributes);
    // By name, case-insensitively in the user's locale; stable.
    static void sortByName(QStringList& paths);

    // The proposals of one parent folder, in list order.
    struct Group {
        QString parent;
        QList<Suggestion> items;
    };
    // Groups in the order of their first proposals.
    static QList<Group> groupedByParent(const QList<Suggestion>& suggestions);
    // The short path shown above a group: the home as "~" (only a whole leading path, so "/home/alice" is
    // no "~ice" of "/home/al"), then the components joined by " › ", without a leading separator.
    static QString displayPath(const QString& path, const QString& home);

Q_SIGNALS:
    void suggestionsChanged();
    void isScanReadyChanged();
    void isApplyingChanged();
    void appliedCountChanged();
    void failedCountChanged();
    void isDoneApplyingChanged();

private:
    // Runs on the worker.
    std::optional<Suggestion> makeSuggestion(const QString& path, SmartSiblingAnalysis::Batch& siblings) const;

    void publishScan(QList<Suggestion> suggestions);
    void publishApplied(bool failed);
    void finishApplying();

    Services services_;
    Roots roots_;
    QList<Suggestion> suggestions_;
    bool isScanReady_ = false;
    bool isApplying_ = false;
    int appliedCount_ = 0;
    int failedCount_ = 0;
    int applyingCount_ = 0;
    bool isDoneApplying_ = false;
    bool hasStartedScan_ = false;
    std::unique_ptr<SerialQueue> worker_; // last: destroyed (and joined) first
};

} // namespace pigmo
