#include "ui/settings/SettingsView.h"

#include "base/Product.h"
#include "services/AppearanceManager.h"
#include "services/DisplayModeManager.h"
#include "services/FolderLanguagesManager.h"
#include "services/IconStylePreferenceManager.h"
#include "services/LocalizationManager.h"
#include "storage/BundleResources.h"
#include "ui/Localized.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/SymbolView.h"
#include "ui/controls/TextTint.h"
#include "ui/settings/AutomationSection.h"
#include "ui/settings/SettingsMenu.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

namespace pigmo {
namespace {

// One entry of a menu with fixed options: its value, symbol and text key.
template <typename Value>
struct MenuOption {
    Value value;
    const char* symbol;
    QString key;
};

const QList<MenuOption<AppTheme>>& themeOptions()
{
    static const QList<MenuOption<AppTheme>> options{
        {AppTheme::light, "sun.max", u"light"_key},
        {AppTheme::dark, "moon", u"dark"_key},
        {AppTheme::system, "circle.lefthalf.filled", u"system"_key},
    };
    return options;
}

const QList<MenuOption<AppDisplayMode>>& displayOptions()
{
    static const QList<MenuOption<AppDisplayMode>> options{
        {AppDisplayMode::menuBar, "menubar.rectangle", u"menu_bar"_key},
        {AppDisplayMode::dock, "dock.rectangle", u"dock"_key},
        {AppDisplayMode::both, "menubar.dock.rectangle", u"menu_bar_dock"_key},
    };
    return options;
}

const QList<MenuOption<IconLibrary>>& iconStyleOptions()
{
    static const QList<MenuOption<IconLibrary>> options{
        {IconLibrary::lucide, "square.grid.2x2.fill", u"onboarding_style_icon"_key},
        {IconLibrary::emoji, "face.smiling", u"onboarding_style_emoji"_key},
    };
    return options;
}

constexpr int symbolSize = 16;
constexpr double menuTextSize = 13;

void addSymbol(QHBoxLayout& row, const char* symbol, int size = symbolSize)
{
    row.addWidget(new SymbolView(QString::fromLatin1(symbol), size, ui::primary()), 0, Qt::AlignVCenter);
}

// A symbol or a flag centred in the 24-point column that leads every menu entry.
void addLeadingColumn(QHBoxLayout& row, QWidget* content)
{
    auto* column = new QWidget;
    column->setFixedWidth(24);
    auto* layout = new QHBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content, 0, Qt::AlignCenter);
    row.addWidget(column, 0, Qt::AlignVCenter);
}

QLabel* plainText(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(ui::systemFont(menuTextSize));
    return label;
}

void addLocalized(QHBoxLayout& row, LocalizationManager& localization, const QString& key)
{
    auto* text = new LocalizedText(localization, key);
    text->setFont(ui::systemFont(menuTextSize));
    row.addWidget(text, 0, Qt::AlignVCenter);
}

void addChevron(QHBoxLayout& row)
{
    addSymbol(row, "chevron.up.chevron.down", 12);
}

void addCheckmark(QHBoxLayout& row, bool checked, ui::ThemeColor color = ui::primary())
{
    row.addStretch(1);
    if (checked)
        row.addWidget(new SymbolView(QStringLiteral("checkmark"), 14, std::move(color)), 0, Qt::AlignVCenter);
}

QString languageName(const QString& code)
{
    for (const LocalizationManager::Language& language : LocalizationManager::supportedLanguages()) {
        if (language.code == code)
            return language.name;
    }
    return {};
}

void openSitePage(const char* address)
{
    const QUrl url(QString::fromLatin1(address));
    if (url.isValid() && !url.host().isEmpty())
        QDesktopServices::openUrl(url);
}

} // namespace

// The same eleven languages as the interface, in the same order, each named in its own language.
const QList<SettingsView::FolderLanguage>& SettingsView::availableFolderLanguages()
{
    static const QList<FolderLanguage> languages = [] {
        QList<FolderLanguage> offered;
        for (const LocalizationManager::Language& language : LocalizationManager::supportedLanguages())
            offered.append({language.code, language.name});
        return offered;
    }();
    return languages;
}

QString SettingsView::flagEmoji(const QString& code)
{
    static const QList<std::pair<QString, QString>> regions{
        {QStringLiteral("en"), QStringLiteral("US")},      {QStringLiteral("fr"), QStringLiteral("FR")},
        {QStringLiteral("it"), QStringLiteral("IT")},      {QStringLiteral("de"), QStringLiteral("DE")},
        {QStringLiteral("es"), QStringLiteral("ES")},      {QStringLiteral("pt-BR"), QStringLiteral("BR")},
        {QStringLiteral("zh-Hans"), QStringLiteral("CN")}, {QStringLiteral("ja"), QStringLiteral("JP")},
        {QStringLiteral("ko"), QStringLiteral("KR")},      {QStringLiteral("ru"), QStringLiteral("RU")},
        {QStringLiteral("nl"), QStringLiteral("NL")},      {QStringLiteral("pl"), QStringLiteral("PL")},
        {QStringLiteral("tr"), QStringLiteral("TR")},      {QStringLiteral("ar"), QStringLiteral("SA")},
        {QStringLiteral("hi"), QStringLiteral("IN")},      {QStringLiteral("pt"), QStringLiteral("PT")},
        {QStringLiteral("uk"), QStringLiteral("UA")},      {QStringLiteral("sv"), QStringLiteral("SE")},
        {QStringLiteral("da"), QStringLiteral("DK")},      {QStringLiteral("fi"), QStringLiteral("FI")},
        {QStringLiteral("no"), QStringLiteral("NO")},      {QStringLiteral("cs"), QStringLiteral("CZ")},
        {QStringLiteral("hu"), QStringLiteral("HU")},      {QStringLiteral("el"), QStringLiteral("GR")},
        {QStringLiteral("he"), QStringLiteral("IL")},      {QStringLiteral("th"), QStringLiteral("TH")},
        {QStringLiteral("vi"), QStringLiteral("VN")},      {QStringLiteral("id"), QStringLiteral("ID")},
        {QStringLiteral("ms"), QStringLiteral("MY")},      {QStringLiteral("zh-Hant"), QStringLiteral("TW")},
    };
    for (const auto& [language, region] : regions) {
        if (language != code)
            continue;
        QString flag;
        for (const QChar letter : region)
            flag += QString::fromUcs4(std::array{char32_t(0x1F1E6 + (letter.unicode() - u'A'))}.data(), 1);
        return flag;
    }
    return {};
}

QString SettingsView::folderLanguagesSummary(const QSet<QString>& selected, const LocalizationManager& localization)
{
    QStringList names;
    for (const FolderLanguage& language : availableFolderLanguages()) {
        if (selected.contains(language.code))
            names.append(language.name);
    }
    if (names.isEmpty())
        return localization.string(u"none"_key);
    if (names.size() <= 2)
        return names.join(QStringLiteral(", "));
    return names.first() + QStringLiteral(" +") + QString::number(names.size() - 1);
}

QString SettingsView::appVersion(const QString& version)
{
    return version.isEmpty() ? QString() : QStringLiteral("v") + version;
}

void SettingsView::openTermsOfUse()
{
    openSitePage(product::termsOfUseUrl);
}

void SettingsView::openPrivacyPolicy()
{
    openSitePage(product::privacyPolicyUrl);
}

SettingsView::SettingsView(SettingsServices services, QWidget* parent)
    : QWidget(parent)
    , services_(services)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    scrollArea_ = new QScrollArea;
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setFocusPolicy(Qt::NoFocus); // its controls take the focus, and it scrolls to them
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scrollArea_);

    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    auto* centring = new QHBoxLayout(page);
    centring->setContentsMargins(0, 40, 0, 0);
    auto* column = new QWidget;
    column->setMaximumWidth(columnWidth);
    column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    centring->addWidget(column);
    scrollArea_->setWidget(page);
    scrollArea_->viewport()->setAutoFillBackground(false);

    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(12);
    stack->addWidget(buildHeader());
    stack->addWidget(themeRow_ = buildThemeRow());
    stack->addWidget(displayRow_ = buildDisplayRow());
    stack->addWidget(languageRow_ = buildLanguageRow());
    stack->addWidget(folderLanguagesRow_ = buildFolderLanguagesRow());
    stack->addWidget(iconStyleRow_ = buildIconStyleRow());
    automation_ = new AutomationSection(services_);
    stack->addWidget(automation_);
    stack->addStretch(1);
    version_ = new QLabel(appVersion(product::version()));
    version_->setTextFormat(Qt::PlainText);
    version_->setFont(ui::systemFont(13));
    version_->setAlignment(Qt::AlignCenter);
    ui::setTextOpacity(*version_, 0.4);
    stack->addWidget(version_);
    stack->addWidget(buildFooter());
}

SettingsView::~SettingsView() = default;

QWidget* SettingsView::buildHeader()
{
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 16);
    row->setSpacing(4);
    row->addStretch(1);
    auto* icon = new QLabel;
    icon->setFixedSize(50, 50);
    icon->setScaledContents(true);
    icon->setPixmap(QPixmap(BundleResources::path(QStringLiteral("images/app-icon.png"))));
    row->addWidget(icon);
    auto* name = new LocalizedText(services_.localization, u"pigmo"_key);
    name->setFont(ui::systemFont(24, QFont::DemiBold));
    row->addWidget(name);
    row->addStretch(1);
    return header;
}

QWidget* SettingsView::buildFooter()
{
    auto* footer = new QWidget;
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 16);
    row->setSpacing(8);
    row->addStretch(1);
    const auto addLink = [&](const QString& key, void (*open)()) {
        auto* link = new PlainButton;
        auto* face = new QHBoxLayout(link);
        face->setContentsMargins(0, 0, 0, 0);
        auto* text = new LocalizedText(services_.localization, key);
        text->setFont(ui::systemFont(13));
        ui::setTextOpacity(*text, 0.4);
        face->addWidget(text);
        link->makeChildrenTransparent();
        setLocalizedAccessibleName(*link, services_.localization, key);
        connect(link, &QAbstractButton::clicked, link, open);
        row->addWidget(link);
    };
    addLink(u"terms_of_use"_key, &SettingsView::openTermsOfUse);
    auto* dot = new QLabel(QStringLiteral("\u00B7"));
    dot->setFont(ui::systemFont(13));
    ui::setTextOpacity(*dot, 0.4);
    row->addWidget(dot);
    addLink(u"privacy_policy"_key, &SettingsView::openPrivacyPolicy);
    row->addStretch(1);
    return footer;
}

SettingsMenuRow* SettingsView::buildThemeRow()
{
    AppearanceManager& appearance = services_.appearance;
    LocalizationManager& localization = services_.localization;
    auto* row = new SettingsMenuRow(localization, u"appearance"_key, [&appearance, &localization](QHBoxLayout& label) {
        for (const MenuOption<AppTheme>& option : themeOptions()) {
            if (option.value != appearance.currentTheme())
                continue;
            addSymbol(label, option.symbol);
            addLocalized(label, localization, option.key);
        }
        addChevron(label);
    });
    auto fillMenu = [&appearance, &localization, row](SettingsMenuPopup& menu) {
        for (const MenuOption<AppTheme>& option : themeOptions()) {
            menu.addOption(
                [&](QHBoxLayout& entry) {
                    addLeadingColumn(entry,
                                     new SymbolView(QString::fromLatin1(option.symbol), symbolSize, ui::primary()));
                    addLocalized(entry, localization, option.key);
                    addCheckmark(entry, option.value == appearance.currentTheme());
                },
                [&appearance, row, theme = option.value] {
                    appearance.setCurrentTheme(theme);
                    appearance.setStoredTheme(rawValue(theme));
                    appearance.applyTheme(theme);
                    row->setMenuPresented(false);
                });
        }
    };
    row->setFillMenu(std::move(fillMenu));
    connect(&appearance, &AppearanceManager::currentThemeChanged, row, &SettingsMenuRow::refreshLabel);
    return row;
}

SettingsMenuRow* SettingsView::buildDisplayRow()
{
    DisplayModeManager& displayMode = services_.displayMode;
    LocalizationManager& localization = services_.localization;
    auto* row = new SettingsMenuRow(localization, u"display"_key, [&displayMode, &localization](QHBoxLayout& label) {
        for (const MenuOption<AppDisplayMode>& option : displayOptions()) {
            if (option.value != displayMode.displayMode())
                continue;
            addSymbol(label, option.symbol);
            addLocalized(label, localization, option.key);
        }
        addChevron(label);
    });
    row->setFillMenu([&displayMode, &localization, row](SettingsMenuPopup& menu) {
        for (const MenuOption<AppDisplayMode>& option : displayOptions()) {
            menu.addOption(
                [&](QHBoxLayout& entry) {
                    addLeadingColumn(entry,
                                     new SymbolView(QString::fromLatin1(option.symbol), symbolSize, ui::primary()));
                    addLocalized(entry, localization, option.key);
                    addCheckmark(entry, option.value == displayMode.displayMode());
                },
                [&displayMode, row, mode = option.value] {
                    displayMode.setDisplayMode(mode);
                    row->setMenuPresented(false);
                });
        }
    });
    connect(&displayMode, &DisplayModeManager::displayModeChanged, row, &SettingsMenuRow::refreshLabel);
    return row;
}

SettingsMenuRow* SettingsView::buildLanguageRow()
{
    LocalizationManager& localization = services_.localization;
    auto* row = new SettingsMenuRow(localization, u"language"_key, [&localization](QHBoxLayout& label) {
        const QString code = localization.currentLanguage();
        label.addWidget(plainText(flagEmoji(code)), 0, Qt::AlignVCenter);
        const QString name = languageName(code);
        if (name.isEmpty())
            label.addWidget(plainText(QString()), 0, Qt::AlignVCenter);
        else
            addLocalized(label, localization, name);
        addChevron(label);
    });
    row->setFillMenu([&localization, row](SettingsMenuPopup& menu) {
        for (const LocalizationManager::Language& language : LocalizationManager::supportedLanguages()) {
            menu.addOption(
                [&](QHBoxLayout& entry) {
                    addLeadingColumn(entry, plainText(flagEmoji(language.code)));
                    addLocalized(entry, localization, language.name);
                    addCheckmark(entry, language.code == localization.currentLanguage());
                },
                [&localization, row, code = language.code] {
                    localization.setCurrentLanguage(code);
                    row->setMenuPresented(false);
                });
        }
    });
    connect(&localization, &LocalizationManager::currentLanguageChanged, row, &SettingsMenuRow::refreshLabel);
    return row;
}

SettingsMenuRow* SettingsView::buildFolderLanguagesRow()
{
    FolderLanguagesManager& folderLanguages = services_.folderLanguages;
    LocalizationManager& localization = services_.localization;
    auto* row = new SettingsMenuRow(
        localization, u"folders_languages"_key, [&folderLanguages, &localization](QHBoxLayout& label) {
            label.addWidget(plainText(folderLanguagesSummary(folderLanguages.selectedLanguages(), localization)), 0,
                            Qt::AlignVCenter);
            addChevron(label);
        });
    row->setFillMenu([&folderLanguages](SettingsMenuPopup& menu) {
        for (const FolderLanguage& language : availableFolderLanguages()) {
            PlainButton* option = menu.addOption(
                [&](QHBoxLayout& entry) {
                    addLeadingColumn(entry, plainText(flagEmoji(language.code)));
                    entry.addWidget(plainText(language.name), 0, Qt::AlignVCenter);
                    entry.addStretch(1);
                    auto* check = new SymbolView(QStringLiteral("checkmark"), 14, ui::fixedColor(QColor(0, 122, 255)));
                    check->setObjectName(QStringLiteral("checkmark"));
                    entry.addWidget(check, 0, Qt::AlignVCenter); // in the menu before it is shown or hidden
                    check->setVisible(folderLanguages.selectedLanguages().contains(language.code));
                },
                [&folderLanguages, code = language.code] {
                    QSet<QString> selected = folderLanguages.selectedLanguages();
                    if (selected.contains(code)) {
                        if (selected.size() < 2)
                            return; // the last language stays
                        selected.remove(code);
                    } else {
                        selected.insert(code);
                    }
                    folderLanguages.setSelectedLanguages(selected);
                });
            // The menu stays open while languages are toggled: each entry's checkmark follows the selection.
            auto* check = option->findChild<SymbolView*>(QStringLiteral("checkmark"));
            connect(&folderLanguages, &FolderLanguagesManager::selectedLanguagesChanged, check,
                    [check, code = language.code](const QSet<QString>& selected) {
                        check->setVisible(selected.contains(code));
                    });
        }
    });
    // Closing the menu, however it closes, commits the visit's net change; the index is rebuilt off the GUI
    // thread when the set really changed.
    connect(row, &SettingsMenuRow::menuClosed, &folderLanguages, &FolderLanguagesManager::commitChanges);
    connect(&folderLanguages, &FolderLanguagesManager::selectedLanguagesChanged, row, &SettingsMenuRow::refreshLabel);
    connect(&localization, &LocalizationManager::currentLanguageChanged, row, &SettingsMenuRow::refreshLabel);
    return row;
}

SettingsMenuRow* SettingsView::buildIconStyleRow()
{
    IconStylePreferenceManager& iconStyle = services_.iconStyle;
    LocalizationManager& localization = services_.localization;
    auto* row =
        new SettingsMenuRow(localization, u"default_icon_style"_key, [&iconStyle, &localization](QHBoxLayout& label) {
            for (const MenuOption<IconLibrary>& option : iconStyleOptions()) {
                if (option.value != iconStyle.preferredLibrary())
                    continue;
                addSymbol(label, option.symbol);
                addLocalized(label, localization, option.key);
            }
            addChevron(label);
        });
    row->setFillMenu([&iconStyle, &localization, row](SettingsMenuPopup& menu) {
        for (const MenuOption<IconLibrary>& option : iconStyleOptions()) {
            menu.addOption(
                [&](QHBoxLayout& entry) {
                    addLeadingColumn(entry,
                                     new SymbolView(QString::fromLatin1(option.symbol), symbolSize, ui::primary()));
                    addLocalized(entry, localization, option.key);
                    addCheckmark(entry, option.value == iconStyle.preferredLibrary());
                },
                [&iconStyle, row, preference = option.value] {
                    iconStyle.setPreferredLibrary(preference);
                    row->setMenuPresented(false);
                });
        }
    });
    connect(&iconStyle, &IconStylePreferenceManager::preferredLibraryChanged, row, &SettingsMenuRow::refreshLabel);
    return row;
}

} // namespace pigmo
