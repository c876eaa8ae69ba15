#include "ui/settings/AutomationSection.h"

#include "fulldiskaccess/FDAPermissionManager.h"
#include "services/FolderWatcherService.h"
#include "services/LaunchAtLoginManager.h"
#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/FlowLayout.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/SymbolView.h"
#include "ui/controls/TextTint.h"
#include "ui/controls/ToggleSwitch.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/settings/SettingsMenu.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace pigmo {
namespace {

const QColor orange(255, 149, 0);

// A widget painting a rounded fill behind its layout.
class FilledBox : public QWidget {
public:
    FilledBox(ui::ThemeColor fill, double radius)
        : fill_(std::move(fill))
        , radius_(radius)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double radius = radius_ < 0 ? height() / 2.0 : radius_;
        painter.fillPath(ui::continuousRoundedRect(QRectF(rect()), radius), fill_(*this));
    }

private:
    ui::ThemeColor fill_;
    double radius_;
};

// A caption in the warning colour, hidden until shown.
LocalizedText* warningCaption(LocalizationManager& localization, const QString& key)
{
    auto* text = new LocalizedText(localization, key);
    text->setFont(ui::textFont(ui::TextStyle::caption));
    text->setWordWrap(true);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, orange);
    text->setPalette(palette);
    text->hide();
    return text;
}

// A card holding a column (`spacing` between children) whose first row is a switch with its title.
std::pair<QVBoxLayout*, ToggleSwitch*> switchCard(SettingsCard* card, LocalizationManager& localization,
                                                  const QString& titleKey, int spacing)
{
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(spacing);
    auto* row = new QHBoxLayout;
    auto* title = new LocalizedText(localization, titleKey);
    title->setFont(ui::systemFont(13, QFont::DemiBold));
    ui::setTextOpacity(*title, 0.5);
    row->addWidget(title);
    row->addStretch(1);
    auto* toggle = new ToggleSwitch;
    toggle->setAccessibleName(title->text());
    QObject::connect(&localization, &LocalizationManager::currentLanguageChanged, toggle,
                     [toggle, title] { toggle->setAccessibleName(title->text()); });
    row->addWidget(toggle);
    column->addLayout(row);
    return {column, toggle};
}

QString lastComponent(const QString& path)
{
    const QString name = QFileInfo(QDir::cleanPath(path)).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

AutomationSection::AutomationSection(SettingsServices services, QWidget* parent)
    : QWidget(parent)
    , services_(services)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(buildLaunchCard());
    column->addWidget(buildWatcherCard());

    connect(&services_.folderWatcher, &FolderWatcherService::isEnabledChanged, this, &AutomationSection::refresh);
    connect(&services_.folderWatcher, &FolderWatcherService::watchedDirectoriesChanged, this,
            &AutomationSection::rebuildChips);
    connect(&services_.folderWatcher, &FolderWatcherService::isAtWatchLimitChanged, this, &AutomationSection::refresh);
    connect(&services_.fullDiskAccess, &FDAPermissionManager::hasFullDiskAccessChanged, this,
            &AutomationSection::refresh);
    rebuildChips();
    refresh();
}

QWidget* AutomationSection::buildLaunchCard()
{
    LaunchAtLoginManager& launch = services_.launchAtLogin;
    auto* card = new SettingsCard;
    QVBoxLayout* column = nullptr;
    std::tie(column, launchSwitch_) = switchCard(card, services_.localization, u"launch_at_login"_key, 6);
    launchSwitch_->setChecked(launch.isEnabled());
    launchFailure_ = warningCaption(services_.localization, u"launch_at_login_failed"_key);
    column->addWidget(launchFailure_);

    // The switch shows what the registration really is after each change; a refused change says so.
    connect(launchSwitch_, &QAbstractButton::clicked, this, [this, &launch](bool wanted) {
        launchFailure_->hide();
        launch.setEnabled(wanted);
    });
    connect(&launch, &LaunchAtLoginManager::isEnabledChanged, launchSwitch_, &QAbstractButton::setChecked);
    connect(&launch, &LaunchAtLoginManager::changeFailed, launchFailure_, &QWidget::show);
    return card;
}

QWidget* AutomationSection::buildWatcherCard()
{
    auto* card = new SettingsCard;
    QVBoxLayout* column = nullptr;
    std::tie(column, watcherSwitch_) = switchCard(card, services_.localization, u"auto_colorize"_key, 12);
    connect(watcherSwitch_, &QAbstractButton::clicked, this,
            [this](bool on) { services_.folderWatcher.setEnabled(on); });

    column->addWidget(warning_ = buildWarning());

    folders_ = new QWidget;
    flow_ = new FlowLayout(6, folders_);
    flow_->setContentsMargins(0, 0, 0, 0);
    column->addWidget(folders_);
    addButton_ = new PlainButton;
    addButton_->setBackground(ui::primary(0.08), 1000);
    auto* face = new QHBoxLayout(addButton_);
    face->setContentsMargins(10, 6, 10, 6);
    face->setSpacing(4);
    face->addWidget(new SymbolView(QStringLiteral("plus"), 11, ui::primary(0.6)), 0, Qt::AlignVCenter);
    auto* addText = new LocalizedText(services_.localization, u"add_folder"_key);
    addText->setFont(ui::textFont(ui::TextStyle::caption));
    ui::setTextOpacity(*addText, 0.6);
    face->addWidget(addText, 0, Qt::AlignVCenter);
    addButton_->makeChildrenTransparent();
    setLocalizedAccessibleName(*addButton_, services_.localization, u"add_folder"_key);
    connect(addButton_, &QAbstractButton::clicked, this, &AutomationSection::addFolder);

    caption_ = new LocalizedText(services_.localization, u"auto_colorize_caption"_key);
    caption_->setFont(ui::textFont(ui::TextStyle::caption));
    caption_->setWordWrap(true);
    ui::setTextOpacity(*caption_, 0.5);
    column->addWidget(caption_);
    watchLimit_ = warningCaption(services_.localization, u"watch_limit_reached"_key);
    column->addWidget(watchLimit_);
    return card;
}

QWidget* AutomationSection::buildWarning()
{
    auto* warning = new FilledBox(ui::fixedColor(QColor(orange.red(), orange.green(), orange.blue(), 26)), 8);
    auto* row = new QHBoxLayout(warning);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    row->addWidget(new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), 14, ui::fixedColor(orange)), 0,
                   Qt::AlignVCenter);
    auto* text = new LocalizedText(services_.localization, u"full_disk_access_required"_key);
    text->setFont(ui::textFont(ui::TextStyle::caption));
    text->setWordWrap(true);
    ui::setTextOpacity(*text, 0.5);
    row->addWidget(text, 1, Qt::AlignVCenter);
    openSettings_ = new PlainButton;
    openSettings_->setBackground(ui::fixedColor(orange), 5);
    auto* face = new QHBoxLayout(openSettings_);
    face->setContentsMargins(8, 3, 8, 3);
    auto* title = new LocalizedText(services_.localization, u"open_settings"_key);
    title->setFont(ui::textFont(ui::TextStyle::caption));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(palette);
    face->addWidget(title);
    openSettings_->makeChildrenTransparent();
    setLocalizedAccessibleName(*openSettings_, services_.localization, u"open_settings"_key);
    row->addWidget(openSettings_, 0, Qt::AlignVCenter);
    connect(openSettings_, &QAbstractButton::clicked, this, [this] {
        FDAPermissionManager::openSystemSettings();
        services_.fullDiskAccess.startMonitoring();
    });
    return warning;
}

PlainButton* AutomationSection::removeButton(QWidget* chip)
{
    return chip->findChild<PlainButton*>();
}

void AutomationSection::rebuildChips()
{
    for (QWidget* chip : std::exchange(chips_, {}))
        ui::discard(chip);
    flow_->removeWidget(addButton_);
    for (const QString& directory : services_.folderWatcher.watchedDirectories()) {
        auto* chip = new FilledBox(ui::primary(0.08), -1);
        chip->setToolTip(directory);
        auto* row = new QHBoxLayout(chip);
        row->setContentsMargins(10, 6, 10, 6);
        row->setSpacing(6);
        row->addWidget(new SymbolView(QStringLiteral("folder.fill"), 11, ui::primary(0.6)), 0, Qt::AlignVCenter);
        auto* name = new QLabel(lastComponent(directory));
        name->setTextFormat(Qt::PlainText);
        name->setFont(ui::textFont(ui::TextStyle::caption));
        ui::setTextOpacity(*name, 0.6);
        row->addWidget(name, 0, Qt::AlignVCenter);
        auto* remove = new PlainButton;
        auto* face = new QHBoxLayout(remove);
        face->setContentsMargins(0, 0, 0, 0);
        face->addWidget(new SymbolView(QStringLiteral("xmark.circle.fill"), 12, ui::primary(0.4)));
        remove->makeChildrenTransparent();
        remove->setAccessibleName(services_.localization.string(u"remove_folder"_key) + u' ' + name->text());
        connect(remove, &QAbstractButton::clicked, this,
                [this, directory] { services_.folderWatcher.removeDirectory(directory); });
        row->addWidget(remove, 0, Qt::AlignVCenter);
        flow_->addWidget(chip);
        chips_.append(chip);
    }
    flow_->addWidget(addButton_);
    folders_->updateGeometry();
}

void AutomationSection::refresh()
{
    const bool access = services_.fullDiskAccess.hasFullDiskAccess();
    const bool enabled = services_.folderWatcher.isEnabled();
    watcherSwitch_->setChecked(enabled);
    watcherSwitch_->setEnabled(access);
    warning_->setVisible(!access);
    folders_->setVisible(access && enabled);
    caption_->setVisible(access && enabled);
    watchLimit_->setVisible(access && enabled && services_.folderWatcher.isAtWatchLimit());
}

void AutomationSection::addFolder()
{
    QFileDialog panel(this, services_.localization.string(u"choose_folder_watch"_key), QDir::homePath());
    panel.setFileMode(QFileDialog::Directory);
    panel.setOption(QFileDialog::ShowDirsOnly, true);
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    Q_EMIT directoryPanelOpened(&panel);
    if (panel.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = panel.selectedFiles();
    if (!chosen.isEmpty())
        services_.folderWatcher.addDirectory(chosen.first());
}

} // namespace pigmo
