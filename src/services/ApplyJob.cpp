#include "services/ApplyJob.h"

#include "base/Log.h"
#include "services/FolderStyler.h"

#include <QPointer>
#include <QTimer>

namespace pigmo {

ApplyJob::ApplyJob(QList<ColorizationModelsGroup::Model> models, FolderStyler* styler, QObject* parent)
    : QObject(parent)
    , models_(std::move(models))
    , styler_(styler)
    , pending_(models_.size())
{
}

ApplyJob::~ApplyJob() = default;

void ApplyJob::start(const QList<Folder>& shownBefore)
{
    if (models_.isEmpty()) {
        QTimer::singleShot(0, this, [this] { Q_EMIT finished(failures_); });
        return;
    }
    if (styler_) {
        historyBatch_ = styler_->historyBatch();
        QStringList paths;
        for (const Folder& folder : shownBefore)
            paths.append(folder.path());
        if (!paths.isEmpty()) {
            styler_->readIcons(paths, [self = QPointer<ApplyJob>(this)](const QList<QImage>& icons) {
                if (self)
                    Q_EMIT self->iconsBefore(icons);
            });
        }
    }
    for (const ColorizationModelsGroup::Model& model : QList(models_))
        applyWhenReady(model);
}

// A folder still running its smart workflow shows frames of the loading animation; it is applied once its
// style is ready, never with such a frame.
void ApplyJob::applyWhenReady(const ColorizationModelsGroup::Model& model)
{
    if (model->smartLoadingState() != SmartLoadingState::loading) {
        applyNow(model);
        return;
    }
    auto waiting = std::make_shared<QMetaObject::Connection>();
    *waiting = connect(model.get(), &ColorizationViewModel::smartLoadingStateChanged, this,
                       [this, model, waiting](SmartLoadingState state) {
                           if (state == SmartLoadingState::loading)
                               return;
                           disconnect(*waiting);
                           applyNow(model);
                       });
}

void ApplyJob::applyNow(const ColorizationModelsGroup::Model& model)
{
    const std::optional<ColorizationData> style = model->lastUsedData();
    const Folder folder = model->folder();
    if (!style) {
        report(folder, false);
        return;
    }
    model->setFolderIcon(*style, [self = QPointer<ApplyJob>(this), folder](bool succeeded) {
        if (self)
            self->report(folder, succeeded);
    });
}

void ApplyJob::report(const Folder& folder, bool succeeded)
{
    if (!succeeded)
        failures_.append(folder);
    Q_EMIT folderApplied(folder, succeeded);
    if (--pending_ > 0)
        return;
    historyBatch_.reset();
    QStringList names;
    for (const Folder& failed : std::as_const(failures_))
        names.append(failed.name());
    if (!names.isEmpty())
        log::system(QStringLiteral("Could not change the icon of: ") + names.join(QStringLiteral(", ")));
    Q_EMIT finished(failures_);
}

} // namespace pigmo
