#pragma once

#include "model/HSL.h"
#include "ui/controls/Binding.h"

#include <QLineEdit>

#include <optional>

namespace pigmo {

class LocalizationManager;

// A borderless field of six hexadecimal digits over a bound colour, 60 points wide, on a faint rounded
// background. Each edit that makes a complete colour (six digits, with or without "#", any case) is written
// to the binding at once, without Return; other text is ignored. The text shown is the colour's upper-case
// digits whenever the program shows a colour; the user's own typing stays as typed until editing ends.
// Return ends the editing and takes the focus off the field.
class HexColorField : public QLineEdit {
    Q_OBJECT

public:
    HexColorField(Binding<HSL> color, const LocalizationManager& localization, QWidget* parent = nullptr);

    // The colour a text gives: six hexadecimal digits, optionally after one "#", converted to HSL; nothing
    // for any other text.
    static std::optional<HSL> colorOfText(const QString& text);
    // The six upper-case digits of a colour.
    static QString textOfColor(const HSL& color);

    // Shows the bound colour; writes nothing.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeText(const QString& text);

    Binding<HSL> color_;
    bool typing_ = false;
};

} // namespace pigmo
