#pragma once

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QMovie;

namespace pigmo {

// A silent animation of the bundle ("images/<resourceName>.webp") that plays from creation, loops forever
// and fills the view keeping its aspect ratio (cropping what overflows), inside a rounded box of radius 12
// lightly tinted with black at 6 %. A missing name or a missing file leaves the tinted box empty.
//
// Owns its movie; destroying the view stops it.
class LoopingVideoView : public QWidget {
    Q_OBJECT
public:
    static constexpr double cornerRadius = 12;

    explicit LoopingVideoView(std::optional<QString> resourceName, QWidget* parent = nullptr);
    ~LoopingVideoView() override;

    // The animation, or nullptr when none could be loaded.
    QMovie* movie() const { return movie_.get(); }
    bool isPlaying() const;

    // Where the current frame is drawn: the frame scaled to cover the view, centred (empty without movie).
    QRectF frameRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<QMovie> movie_;
};

} // namespace pigmo
