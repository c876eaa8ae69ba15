#include "ui/controls/SearchBar.h"

#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

namespace pigmo {

SearchBar::SearchBar(Binding<QString> text, QString placeholderKey, LocalizationManager& localization, QWidget* parent)
    : QWidget(parent)
    , text_(std::move(text))
    , placeholderKey_(std::move(placeholderKey))
    , localization_(localization)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    auto* glass = new SymbolButton(QStringLiteral("magnifyingglass"), 16, 14);
    glass->setSymbolColor(Qt::gray);
    glass->setFocusPolicy(Qt::NoFocus);
    glass->setAttribute(Qt::WA_TransparentForMouseEvents);
    field_ = new QLineEdit;
    field_->setFrame(false);
    QPalette clear = field_->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    field_->setPalette(clear);
    clear_ = new SymbolButton(QStringLiteral("xmark.circle.fill"), 16, 14);
    clear_->setSymbolColor(Qt::gray);
    setLocalizedAccessibleName(*clear_, localization_, u"clear_search"_key);
    row->addWidget(glass);
    row->addWidget(field_, 1);
    row->addWidget(clear_);

    connect(field_, &QLineEdit::textEdited, this, [this](const QString& query) {
        text_.set(query);
        clear_->setVisible(!query.isEmpty());
    });
    connect(clear_, &QAbstractButton::clicked, this, [this] {
        text_.set(QString());
        refresh();
    });
    connect(&localization_, &LocalizationManager::currentLanguageChanged, this, &SearchBar::retranslate);
    retranslate();
    refresh();
}

void SearchBar::retranslate()
{
    field_->setPlaceholderText(localization_.string(placeholderKey_));
    field_->setAccessibleName(field_->placeholderText());
}

void SearchBar::refresh()
{
    const QString query = text_.get();
    if (field_->text() != query)
        field_->setText(query);
    clear_->setVisible(!query.isEmpty());
}

void SearchBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ui::primaryColor(*this, 0.1));
    painter.drawPath(ui::continuousRoundedRect(QRectF(rect()), 8));
}

} // namespace pigmo
