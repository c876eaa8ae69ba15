#pragma once

#include "ui/controls/ControlStyle.h"

#include <QLabel>

#include <optional>

namespace pigmo {

class LocalizationManager;

// A label showing a string-table key in the interface language, following every change of that language.
// Without a count it shows the key's text of the "General" table; with one, the text of the count's plural
// key used as a format that takes the count. A missing entry shows the key (or the plural key) itself.
// Shown as plain text; font and colour are the caller's.
class LocalizedText : public QLabel {
    Q_OBJECT

public:
    LocalizedText(LocalizationManager& localizationManager, QString key, std::optional<qint64> count = std::nullopt,
                  QWidget* parent = nullptr);

    const QString& key() const { return key_; }
    std::optional<qint64> count() const { return count_; }
    void setKey(const QString& key);
    void setCount(std::optional<qint64> count);

    // Draws the text in a colour of the appearance (resolved against the parent's palette), kept through
    // every change of palette and parent.
    void setForeground(ui::ThemeColor color);

    // The text a key and count give in the manager's current language.
    static QString textOf(const LocalizationManager& manager, const QString& key, std::optional<qint64> count);

protected:
    bool event(QEvent* event) override;

private:
    void retranslate();
    void applyForeground();

    LocalizationManager& manager_;
    QString key_;
    std::optional<qint64> count_;
    ui::ThemeColor foreground_;
    bool applying_ = false;
};

// Names `widget` for assistive technologies with a key's text of the "General" table, and again at every change
// of the interface language; with `withToolTip` its tool tip says the same.
void setLocalizedAccessibleName(QWidget& widget, const LocalizationManager& manager, const QString& key,
                                bool withToolTip = false);

} // namespace pigmo
