#include "ui/main/DesignSaver.h"

#include "base/Log.h"
#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/main/WindowDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace pigmo {

DesignSaver::DesignSaver(QWidget& window, const LocalizationManager& localization, WindowDialogs& dialogs)
    : window_(window)
    , localization_(localization)
    , dialogs_(dialogs)
{
}

bool DesignSaver::save(const QList<ColorizationModelsGroup::Model>& models)
{
    if (models.isEmpty()) {
        log::system(QStringLiteral("Save button tapped, but no designs available."));
        return false;
    }
    if (models.size() == 1 && !models.first()->image().isNull())
        return saveOne(models.first());
    return saveAll(models);
}

bool DesignSaver::saveOne(const ColorizationModelsGroup::Model& model)
{
    const QImage image = model->image();
    QFileDialog panel(&window_, localization_.string(u"save_design_image"_key), QDir::homePath());
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setMimeTypeFilters({QStringLiteral("image/png")});
    panel.setDefaultSuffix(QStringLiteral("png"));
    panel.selectFile(DesignFiles::fileName(model->folder().url()));
    const QList<Folder> chosen = dialogs_.run(panel);
    if (chosen.isEmpty())
        return false;
    const QString path = chosen.first().path();
    QString error;
    if (!DesignFiles::write(image, path, &error)) {
        log::system(QStringLiteral("Error saving single image: ") + error);
        return false;
    }
    log::system(QStringLiteral("Successfully saved single image to ") + path);
    return true;
}

bool DesignSaver::saveAll(const QList<ColorizationModelsGroup::Model>& models)
{
    QFileDialog panel(&window_, localization_.string(u"choose_designs_folder"_key), QDir::homePath());
    panel.setLabelText(QFileDialog::Accept, localization_.string(u"choose_directory"_key));
    panel.setFileMode(QFileDialog::Directory);
    const QList<Folder> chosen = dialogs_.run(panel);
    if (chosen.isEmpty()) {
        log::system(QStringLiteral("User cancelled the directory selection panel or an error occurred."));
        return false;
    }
    const QString directory = chosen.first().path();
    QList<Design> designs;
    QList<QUrl> folders;
    for (const ColorizationModelsGroup::Model& model : models) {
        designs.append({model->folder().url(), model->image()});
        folders.append(model->folder().url());
    }
    const QStringList existing = DesignFiles::existingIn(directory, DesignFiles::uniqueFileNames(folders));
    if (!existing.isEmpty()) {
        QMessageBox question(QMessageBox::Question, localization_.string(u"replace_existing_designs"_key),
                             localization_.string(u"replace_existing_designs"_key), QMessageBox::NoButton, &window_);
        question.setInformativeText(existing.join(u'\n'));
        question.addButton(localization_.string(u"replace"_key), QMessageBox::AcceptRole);
        question.setDefaultButton(question.addButton(localization_.string(u"cancel"_key), QMessageBox::RejectRole));
        if (!dialogs_.ask(question))
            return false;
    }
    lastBatchSave_ = DesignFiles::writeAll(designs, directory);
    const qsizetype saved = lastBatchSave_.written.size();
    if (!lastBatchSave_.allSucceeded()) {
        log::system(QStringLiteral("Finished saving batch with some errors. %1/%2 saved successfully.")
                        .arg(saved)
                        .arg(lastBatchSave_.total));
        return false;
    }
    log::system(QStringLiteral("Successfully saved all %1 images.").arg(saved));
    return lastBatchSave_.total > 0;
}

} // namespace pigmo
