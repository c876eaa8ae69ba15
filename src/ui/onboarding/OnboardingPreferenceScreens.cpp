#include "ui/onboarding/OnboardingPreferenceScreens.h"

#include "fulldiskaccess/FDAPermissionManager.h"
#include "services/FolderLanguagesManager.h"
#include "storage/BundleResources.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"
#include "ui/controls/LocalizedText.h"
#include "ui/onboarding/OnboardingButtons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace pigmo {

namespace {

constexpr double cardRadius = 10;
const char* const tintedProperty = "onboardingTinted";

// The three pictures of a glyph library, one above and two below, the third on top.
class StylePictures : public QWidget {
public:
    explicit StylePictures(const QString& baseName)
    {
        setFixedSize(150, 130);
        for (int index = 1; index <= 3; ++index)
            images_.append(QImage(BundleResources::path(QStringLiteral("images/%1-%2.png").arg(baseName).arg(index))));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        static const QPointF offsets[] = {{0, -30}, {-37, 30}, {37, 30}};
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF centre = QRectF(rect()).center();
        for (int index = 0; index < images_.size(); ++index) {
            const QImage& image = images_[index];
            if (image.isNull())
                continue;
            const QSizeF fitted = QSizeF(image.size()).scaled(70, 70, Qt::KeepAspectRatio);
            const QPointF middle = centre + offsets[index];
            painter.drawImage(QRectF(middle - QPointF(fitted.width() / 2, fitted.height() / 2), fitted), image);
        }
    }

private:
    QList<QImage> images_;
};

// The rounded 5 % tint behind the access switch.
class SwitchCard : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(ui::continuousRoundedRect(QRectF(rect()), 12), ui::primaryColor(*this, 0.05));
    }
};

QLabel* tinted(QLabel* label)
{
    label->setProperty(tintedProperty, true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

OnboardingChoiceCard::OnboardingChoiceCard(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    setCheckable(false);
}

void OnboardingChoiceCard::setSelected(bool selected)
{
    selected_ = selected;
    setAccessibleDescription(selected ? QStringLiteral("selected") : QString());
    for (QLabel* label : findChildren<QLabel*>()) {
        if (!label->property(tintedProperty).toBool())
            continue;
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ui::primaryColor(*this, selected ? 1.0 : 0.5));
        label->setPalette(palette);
    }
    update();
}

void OnboardingChoiceCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = ui::continuousRoundedRect(QRectF(rect()), cardRadius);
    if (selected_)
        painter.fillPath(shape, ui::primaryColor(*this, 0.08));
    ui::drawFocusRing(painter, *this, QRectF(rect()), cardRadius);
}

OnboardingStyleScreen::OnboardingStyleScreen(LocalizationManager& localization, IconStylePreferenceManager& preference,
                                             QWidget* parent)
    : QWidget(parent)
    , preference_(preference)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new OnboardingTitle(localization, u"onboarding_style_title"_key, u"onboarding_style_lead"_key));

    auto makeCard = [&](const QString& baseName, const QString& labelKey, IconLibrary value) {
        auto* card = new OnboardingChoiceCard;
        auto* stack = new QVBoxLayout(card);
        stack->setContentsMargins(4, 8, 4, 8);
        stack->setSpacing(10);
        stack->addWidget(new StylePictures(baseName), 0, Qt::AlignHCenter);
        auto* label = new LocalizedText(localization, labelKey);
        label->setFont(ui::systemFont(12, QFont::Medium));
        label->setAlignment(Qt::AlignCenter);
        stack->addWidget(tinted(label));
        card->setAccessibleName(label->text());
        connect(card, &QAbstractButton::clicked, this, [this, value] { preference_.setPreferredLibrary(value); });
        return card;
    };
    iconCard_ = makeCard(QStringLiteral("onboarding-style-icon"), u"onboarding_style_icon"_key, IconLibrary::lucide);
    emojiCard_ = makeCard(QStringLiteral("onboarding-style-emoji"), u"onboarding_style_emoji"_key, IconLibrary::emoji);
    auto* cards = new QHBoxLayout;
    cards->setSpacing(28);
    cards->addStretch(1);
    cards->addWidget(iconCard_);
    cards->addWidget(emojiCard_);
    cards->addStretch(1);
    column->addStretch(1);
    column->addLayout(cards);
    column->addStretch(2);

    connect(&preference_, &IconStylePreferenceManager::preferredLibraryChanged, this,
            &OnboardingStyleScreen::showSelection);
    showSelection();
}

OnboardingChoiceCard* OnboardingStyleScreen::card(IconLibrary preference) const
{
    return preference == IconLibrary::lucide ? iconCard_ : emojiCard_;
}

void OnboardingStyleScreen::showSelection()
{
    const bool lucide = preference_.preferredLibrary() == IconLibrary::lucide;
    iconCard_->setSelected(lucide);
    emojiCard_->setSelected(!lucide);
}

const QList<OnboardingLanguagesScreen::Language>& OnboardingLanguagesScreen::languages()
{
    return InterfaceLanguage::supported();
}

QString OnboardingLanguagesScreen::flag(const QString& code)
{
    static const QHash<QString, QString> countries = {
        {QStringLiteral("en"), QStringLiteral("US")},      {QStringLiteral("fr"), QStringLiteral("FR")},
        {QStringLiteral("it"), QStringLiteral("IT")},      {QStringLiteral("de"), QStringLiteral("DE")},
        {QStringLiteral("es"), QStringLiteral("ES")},      {QStringLiteral("pt-BR"), QStringLiteral("BR")},
        {QStringLiteral("zh-Hans"), QStringLiteral("CN")}, {QStringLiteral("ja"), QStringLiteral("JP")},
        {QStringLiteral("ko"), QStringLiteral("KR")},      {QStringLiteral("ru"), QStringLiteral("RU")},
        {QStringLiteral("cs"), QStringLiteral("CZ")},
    };
    const QString country = countries.value(code);
    if (country.isEmpty())
        return QString::fromUcs4(U"\U0001F310");
    QString flag;
    for (const QChar letter : country) {
        const char32_t indicator = U'\U0001F1E6' + char32_t(letter.unicode() - u'A');
        flag += QString::fromUcs4(&indicator, 1);
    }
    return flag;
}

OnboardingLanguagesScreen::OnboardingLanguagesScreen(LocalizationManager& localization, FolderLanguagesManager& manager,
                                                     int columns, QWidget* parent)
    : QWidget(parent)
    , manager_(manager)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    column->addWidget(
        new OnboardingTitle(localization, u"onboarding_languages_title"_key, u"onboarding_languages_lead"_key));

    auto* grid = new QWidget;
    auto* cells = new QGridLayout(grid);
    cells->setContentsMargins(60, 4, 60, 4);
    cells->setSpacing(12);
    for (int index = 0; index < languages().size(); ++index) {
        const Language& language = languages()[index];
        auto* cell = new OnboardingChoiceCard;
        cell->setAccessibleName(language.name);
        cell->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto* stack = new QVBoxLayout(cell);
        stack->setContentsMargins(6, 10, 6, 10);
        stack->setSpacing(4);
        auto* flagLabel = new QLabel(flag(language.code));
        flagLabel->setFont(ui::systemFont(28));
        flagLabel->setAlignment(Qt::AlignCenter);
        flagLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
        stack->addWidget(flagLabel);
        auto* name = new QLabel(language.name);
        name->setFont(ui::systemFont(11, QFont::Medium));
        name->setAlignment(Qt::AlignCenter);
        stack->addWidget(tinted(name));
        connect(cell, &QAbstractButton::clicked, this, [this, code = language.code] { toggle(code); });
        cells->addWidget(cell, index / columns, index % columns);
        cells_.append(cell);
    }
    for (int index = 0; index < columns; ++index)
        cells->setColumnStretch(index, 1);

    auto* scroll = new QScrollArea;
    scroll->setWidget(grid);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus); // its controls take the focus, and it scrolls to them
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    grid->setAutoFillBackground(false);
    column->addWidget(scroll, 1);
    column->addSpacing(90); // room for the footer's continue button and dots

    connect(&manager_, &FolderLanguagesManager::selectedLanguagesChanged, this,
            &OnboardingLanguagesScreen::showSelection);
    showSelection();
}

OnboardingLanguagesScreen::~OnboardingLanguagesScreen()
{
    manager_.commitChanges();
}

OnboardingChoiceCard* OnboardingLanguagesScreen::cell(const QString& code) const
{
    for (int index = 0; index < languages().size(); ++index) {
        if (languages()[index].code == code)
            return cells_[index];
    }
    return nullptr;
}

void OnboardingLanguagesScreen::toggle(const QString& code)
{
    QSet<QString> selection = manager_.selectedLanguages();
    if (selection.contains(code)) {
        if (selection.size() < 2)
            return; // the last language stays
        selection.remove(code);
    } else {
        selection.insert(code);
    }
    manager_.setSelectedLanguages(selection);
}

void OnboardingLanguagesScreen::showSelection()
{
    const QSet<QString> selection = manager_.selectedLanguages();
    for (int index = 0; index < languages().size(); ++index)
        cells_[index]->setSelected(selection.contains(languages()[index].code));
}

OnboardingSwitch::OnboardingSwitch(QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(false);
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

void OnboardingSwitch::setOn(bool on)
{
    on_ = on;
    setAccessibleDescription(on ? QStringLiteral("on") : QStringLiteral("off"));
    update();
}

void OnboardingSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(on_ ? palette().color(QPalette::Highlight) : ui::primaryColor(*this, 0.15));
    painter.drawRoundedRect(track, radius, radius);
    const double knob = track.height() - 4;
    const double x = on_ ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    ui::drawFocusRing(painter, *this, track, radius);
}

OnboardingFDAScreen::OnboardingFDAScreen(LocalizationManager& localization, FDAPermissionManager& fda,
                                         std::function<void()> onContinue,
                                         std::function<void()> onContinueWithoutAccess, QWidget* parent)
    : QWidget(parent)
    , fda_(fda)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(28);
    column->addWidget(new OnboardingTitle(localization, u"onboarding_fda_title"_key, u"onboarding_fda_lead"_key));
    column->addStretch(1);

    auto* card = new SwitchCard;
    card->setMaximumWidth(360);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(18, 14, 18, 14);
    row->setSpacing(14);
    auto* label = new LocalizedText(localization, u"onboarding_fda_switch_label"_key);
    label->setFont(ui::systemFont(14, QFont::Medium));
    row->addWidget(label);
    row->addStretch(1);
    switch_ = new OnboardingSwitch;
    switch_->setAccessibleName(label->text());
    row->addWidget(switch_);
    column->addLayout(onboarding::centred(card, 32));
    column->addStretch(1);

    continueButton_ = new OnboardingButton(onboarding::buttonTitle(localization, u"onboarding_continue"_key),
                                           fda_.hasFullDiskAccess(), std::move(onContinue));
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(14);
    buttons->addLayout(onboarding::centred(continueButton_, 32));
    withoutAccessButton_ =
        new OnboardingSecondaryButton(onboarding::buttonTitle(localization, u"onboarding_fda_continue_without"_key),
                                      std::move(onContinueWithoutAccess));
    buttons->addWidget(withoutAccessButton_, 0, Qt::AlignHCenter);
    column->addLayout(buttons);
    column->addSpacing(60 - column->spacing() + 40); // above the progress dots

    // Switching on asks for access (and watches for it); switching off revokes nothing.
    connect(switch_, &QAbstractButton::clicked, this, [this] {
        if (!fda_.hasFullDiskAccess()) {
            FDAPermissionManager::openSystemSettings();
            fda_.startMonitoring();
        }
        showAccess();
    });
    connect(&fda_, &FDAPermissionManager::hasFullDiskAccessChanged, this, &OnboardingFDAScreen::showAccess);
    showAccess();
}

void OnboardingFDAScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, [this] { fda_.checkPermission(); });
}

void OnboardingFDAScreen::showAccess()
{
    const bool granted = fda_.hasFullDiskAccess();
    switch_->setOn(granted);
    continueButton_->setEnabled(granted);
    withoutAccessButton_->setVisible(!granted);
}

} // namespace pigmo
