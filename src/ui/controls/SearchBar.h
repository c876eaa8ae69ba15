#pragma once

#include "ui/controls/Binding.h"

#include <QWidget>

class QLineEdit;

namespace pigmo {

class LocalizationManager;
class SymbolButton;

// A search field on a faint rounded background: a grey magnifying glass, the field (its placeholder the
// text of a string-table key, the key itself when missing) and, while the query is not empty, a clear
// button that empties it.
class SearchBar : public QWidget {
    Q_OBJECT

public:
    SearchBar(Binding<QString> text, QString placeholderKey, LocalizationManager& localization,
              QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    SymbolButton* clearButton() const { return clear_; }

    // Shows the bound query; writes nothing.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void retranslate();

    Binding<QString> text_;
    QString placeholderKey_;
    LocalizationManager& localization_;
    QLineEdit* field_ = nullptr;
    SymbolButton* clear_ = nullptr;
};

} // namespace pigmo
