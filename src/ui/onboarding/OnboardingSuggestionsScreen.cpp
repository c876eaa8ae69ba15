#include "ui/onboarding/OnboardingSuggestionsScreen.h"

#include "services/OnboardingSuggestionsModel.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/ElidedLabel.h"
#include "ui/controls/FocusRing.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/onboarding/OnboardingButtons.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace pigmo {

namespace {

constexpr double cardRadius = 10;
constexpr double previewRadius = 4;
constexpr int nameHeight = 14;

const OnboardingSuggestionsModel::Suggestion* suggestionOf(const OnboardingSuggestionsModel& model, const QUuid& id)
{
    for (const auto& suggestion : model.suggestions()) {
        if (suggestion.id == id)
            return &suggestion;
    }
    return nullptr;
}

// A plain background painted in the window colour, fading in from transparent over its upper third.
class FadingBar : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QColor clear = palette().color(QPalette::Window);
        const QColor solid = clear;
        clear.setAlpha(0);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, clear);
        gradient.setColorAt(0.5, solid);
        gradient.setColorAt(1, solid);
        painter.fillRect(rect(), gradient);
    }
};

} // namespace

OnboardingSuggestionCard::OnboardingSuggestionCard(OnboardingSuggestionsModel& model, QUuid id, QWidget* parent)
    : QAbstractButton(parent)
    , model_(model)
    , id_(id)
{
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    const auto* suggestion = suggestionOf(model_, id_);
    name_ = new ElidedLabel(suggestion ? QFileInfo(suggestion->path).fileName() : QString(), Qt::ElideMiddle, this);
    name_->setFont(ui::systemFont(10));
    name_->setAlignment(Qt::AlignCenter);
    name_->setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(name_->text());
    connect(this, &QAbstractButton::clicked, this, [this] { model_.toggle(id_); });
    refresh();
}

bool OnboardingSuggestionCard::isSelected() const
{
    const auto* suggestion = suggestionOf(model_, id_);
    return suggestion && suggestion->isSelected;
}

void OnboardingSuggestionCard::refresh()
{
    const bool selected = isSelected();
    name_->setColor([selected](const QWidget& widget) { return ui::primaryColor(widget, selected ? 1.0 : 0.5); });
    setAccessibleDescription(selected ? QStringLiteral("selected") : QString());
    update();
}

int OnboardingSuggestionCard::heightForWidth(int width) const
{
    const int preview = std::max(0, width - 20);
    return 4 + preview + 2 + nameHeight + 4;
}

QSize OnboardingSuggestionCard::sizeHint() const
{
    return {96, heightForWidth(96)};
}

void OnboardingSuggestionCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const bool selected = isSelected();
    if (selected)
        painter.fillPath(ui::continuousRoundedRect(QRectF(rect()), cardRadius), ui::primaryColor(*this, 0.08));
    const int side = std::max(0, std::min(width() - 20, height() - 10 - nameHeight));
    const QRectF previewRect((width() - side) / 2.0, 4, side, side);
    if (const auto* suggestion = suggestionOf(model_, id_); suggestion && !suggestion->preview.isNull()) {
        painter.save();
        painter.setClipPath(ui::continuousRoundedRect(previewRect, previewRadius));
        painter.setOpacity(selected ? 1.0 : 0.4);
        painter.drawImage(previewRect, suggestion->preview);
        painter.restore();
    }
    // At the foot of the card, so that the names of a row line up when the columns differ by a pixel.
    name_->setGeometry(6, height() - 4 - nameHeight, width() - 12, nameHeight);
    ui::drawFocusRing(painter, *this, QRectF(rect()), cardRadius);
}

OnboardingSuggestionsScreen::OnboardingSuggestionsScreen(LocalizationManager& localization,
                                                         OnboardingSuggestionsModel& model,
                                                         std::function<void()> onApply, std::function<void()> onSkip,
                                                         int columns, QWidget* parent)
    : QWidget(parent)
    , localization_(localization)
    , model_(model)
    , columns_(columns)
{
    bottomBar_ = new FadingBar;
    bottomBar_->setParent(this);
    auto* bar = new QVBoxLayout(bottomBar_);
    bar->setContentsMargins(32, 18, 32, 18);
    bar->setSpacing(14);
    applyButton_ = new OnboardingButton(QString(), false, std::move(onApply));
    bar->addLayout(onboarding::centred(applyButton_));
    skipButton_ = new OnboardingSecondaryButton(
        onboarding::buttonTitle(localization_, u"onboarding_suggestions_skip"_key), std::move(onSkip));
    bar->addWidget(skipButton_, 0, Qt::AlignHCenter);

    connect(&model_, &OnboardingSuggestionsModel::suggestionsChanged, this, [this] {
        // A toggle keeps the list, its cards and where it is scrolled to; only a new list rebuilds the cards.
        // The cards stand grouped by parent folder, so the new list is compared in that order.
        QList<QUuid> ids;
        for (const auto& group : OnboardingSuggestionsModel::groupedByParent(model_.suggestions())) {
            for (const auto& suggestion : group.items)
                ids.append(suggestion.id);
        }
        QList<QUuid> shown;
        for (const auto* card : cards_)
            shown.append(card->id());
        if (ids == shown && content_)
            showSelection();
        else
            rebuild();
    });
    rebuild();
}

QWidget* OnboardingSuggestionsScreen::header()
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(32, 36, 32, 0);
    column->setSpacing(8);
    auto* title =
        onboarding::text(localization_, u"onboarding_suggestions_title"_key, ui::systemFont(20, QFont::DemiBold));
    title->setMaximumWidth(460);
    column->addLayout(onboarding::centred(title));
    auto* lead = onboarding::text(localization_, u"onboarding_suggestions_lead"_key, ui::systemFont(13), 0.5);
    lead->setMaximumWidth(460);
    column->addLayout(onboarding::centred(lead));
    return box;
}

void OnboardingSuggestionsScreen::rebuild()
{
    ui::discard(content_);
    cards_.clear();
    headers_.clear();
    if (model_.suggestions().isEmpty()) {
        content_ = new QWidget(this);
        auto* column = new QVBoxLayout(content_);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(16);
        column->addWidget(header());
        column->addStretch(1);
        auto* empty = onboarding::text(localization_, u"onboarding_suggestions_empty"_key, ui::systemFont(13), 0.5);
        empty->setContentsMargins(40, 0, 40, 0);
        column->addWidget(empty);
        column->addStretch(1);
        column->addSpacing(bottomBar_->sizeHint().height());
    } else {
        auto* scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setFocusPolicy(Qt::NoFocus); // its controls take the focus, and it scrolls to them
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->viewport()->setAutoFillBackground(false);
        auto* inner = new QWidget;
        inner->setAutoFillBackground(false);
        auto* column = new QVBoxLayout(inner);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        column->addWidget(header());
        auto* groups = new QVBoxLayout;
        groups->setContentsMargins(32, 0, 32, 130);
        groups->setSpacing(18);
        const QString home = QDir::homePath();
        for (const auto& group : OnboardingSuggestionsModel::groupedByParent(model_.suggestions())) {
            auto* section = new QVBoxLayout;
            section->setContentsMargins(0, 50, 0, 0);
            section->setSpacing(8);
            auto* path = new ElidedLabel(OnboardingSuggestionsModel::displayPath(group.parent, home), Qt::ElideLeft);
            path->setFont(ui::systemFont(12, QFont::Medium));
            path->setColor([](const QWidget& widget) { return ui::secondaryColor(widget); });
            path->setContentsMargins(4, 0, 4, 0);
            auto* pathRow = new QHBoxLayout;
            pathRow->setContentsMargins(4, 0, 4, 0);
            pathRow->addWidget(path);
            section->addLayout(pathRow);
            headers_.append(path);
            auto* grid = new QGridLayout;
            grid->setHorizontalSpacing(12);
            grid->setVerticalSpacing(16);
            for (int column = 0; column < columns_; ++column)
                grid->setColumnStretch(column, 1);
            for (int index = 0; index < group.items.size(); ++index) {
                auto* card = new OnboardingSuggestionCard(model_, group.items[index].id);
                grid->addWidget(card, index / columns_, index % columns_);
                cards_.append(card);
            }
            // Empty cells of the first row keep their column and its spacing, so that a short group's
            // cards are as wide as a full row's.
            for (int column = int(group.items.size()); column < columns_; ++column)
                grid->addWidget(new QWidget, 0, column);
            section->addLayout(grid);
            groups->addLayout(section);
        }
        column->addLayout(groups);
        column->addStretch(1);
        scroll->setWidget(inner);
        content_ = scroll;
    }
    content_->setGeometry(rect());
    content_->show();
    bottomBar_->raise();
    showSelection();
}

void OnboardingSuggestionsScreen::showSelection()
{
    for (auto* card : cards_)
        card->refresh();
    const int selected = model_.selectedCount();
    applyButton_->setText(onboarding::buttonTitle(localization_, u"onboarding_suggestions_apply"_key) +
                          QStringLiteral(" (%1)").arg(selected));
    applyButton_->setAccessibleName(applyButton_->text());
    applyButton_->setEnabled(selected > 0);
    applyButton_->updateGeometry();
}

QStringList OnboardingSuggestionsScreen::groupHeaders() const
{
    QStringList texts;
    for (const auto* header : headers_)
        texts.append(header->text());
    return texts;
}

void OnboardingSuggestionsScreen::resizeEvent(QResizeEvent*)
{
    if (content_)
        content_->setGeometry(rect());
    const int barHeight = bottomBar_->sizeHint().height();
    bottomBar_->setGeometry(0, height() - barHeight, width(), barHeight);
}

} // namespace pigmo
