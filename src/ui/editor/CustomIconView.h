#pragma once

#include "model/ColorizationData.h"
#include "ui/controls/Binding.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

class QStackedLayout;

namespace pigmo {

class LocalizationManager;
class LocalizedText;
class PillButton;
class SymbolButton;

// A picture fitted into a square of `side` points, drawn at the density of what it is painted on (scaled from
// the whole picture when painted, and kept for the next paint at that density).
class FittedPicture : public QWidget {
    Q_OBJECT

public:
    explicit FittedPicture(double side, QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    // The picture's size on screen, in points; empty without a picture.
    QSizeF shownSize() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double side_;
    QImage picture_;
    QImage scaled_; // the picture at the pixel size of the last paint
};

// The custom sub-tab of the icon tab. With a custom glyph whose picture can be made: the picture (at most
// 120 × 120 points) and a button that removes the glyph. Otherwise: the drop prompt and a button that asks
// for one image file and makes it the glyph (nothing changes when the dialog is cancelled or the file is no
// image).
class CustomIconView : public QWidget {
    Q_OBJECT

public:
    static constexpr double maximumImageSide = 120;
    // Asks the user for one image file; an empty text when cancelled. The default opens a file dialog.
    using ChooseFile = std::function<QString(QWidget* parent)>;

    CustomIconView(Binding<std::optional<Icon>> icon, LocalizationManager& localization, ChooseFile chooseFile = {},
                   QWidget* parent = nullptr);

    // Shows the bound glyph again (after it changed elsewhere); writes nothing.
    void refresh();
    bool isShowingImage() const;
    FittedPicture* imageView() const { return image_; }
    SymbolButton* removeButton() const { return remove_; }
    PillButton* chooseButton() const { return choose_; }

    void chooseImage();
    void removeImage();

private:
    Binding<std::optional<Icon>> icon_;
    ChooseFile chooseFile_;
    QStackedLayout* states_ = nullptr;
    QWidget* imageState_ = nullptr;
    QWidget* promptState_ = nullptr;
    FittedPicture* image_ = nullptr;
    SymbolButton* remove_ = nullptr;
    PillButton* choose_ = nullptr;
};

} // namespace pigmo
