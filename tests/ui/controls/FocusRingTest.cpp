#include "ui/controls/FocusRing.h"

#include "services/LocalizationManager.h"
#include "support/FocusRings.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/IntensityDotControl.h"
#include "ui/controls/SegmentedPicker.h"
#include "ui/controls/SizeSlider.h"
#include "ui/controls/SymbolView.h"
#include "ui/controls/TextButton.h"
#include "ui/controls/ToggleSwitch.h"
#include "ui/editor/CellGrid.h"
#include "ui/editor/PillButton.h"
#include "ui/onboarding/OnboardingButtons.h"
#include "ui/onboarding/OnboardingPreferenceScreens.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <memory>

using namespace pigmo;

namespace {

// A window of a field and, after it in the focus chain, one control.
struct Window {
    explicit Window(QWidget* control)
        : control(control)
    {
        auto* column = new QVBoxLayout(&top);
        column->addWidget(field);
        column->addWidget(control);
        top.resize(320, 200);
        top.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&top));
    }

    // Reaches the control from the field with Tab, as a keyboard user does.
    void tabToControl()
    {
        field->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(field, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), control);
    }

    void clickControl(QPoint at)
    {
        QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
        ASSERT_EQ(QApplication::focusWidget(), control);
    }

    QWidget top;
    QLineEdit* field = new QLineEdit;
    QWidget* control;
};

// A control that draws its ring over its whole area.
class RingedControl : public QWidget {
public:
    RingedControl()
    {
        setFocusPolicy(Qt::StrongFocus);
        setFixedSize(60, 30);
        ui::followKeyboardFocus(*this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        ui::drawFocusRing(painter, *this, QRectF(rect()), 6);
    }
};

struct Control {
    const char* name;
    std::function<QWidget*(LocalizationManager& localization)> make;
    // Where a click lands: the centre, unless the control says.
    std::function<QPoint(QWidget* control)> clickPoint = [](QWidget* control) { return control->rect().center(); };
};

const std::vector<Control>& ringedControls()
{
    static double value = 0.5;
    static QString segment = QStringLiteral("a");
    static const std::vector<Control> controls = {
        {"intensity dots",
         [](LocalizationManager&) {
             return new IntensityDotControl(Binding<double>::of(value), {0.4, 0.5, 0.6}, 20);
         }},
        {"size slider", [](LocalizationManager&) { return new SizeSlider(Binding<double>::of(value), 0, 1, 24); }},
        {"segmented picker",
         [](LocalizationManager&) {
             return new SegmentedPicker<QString>(
                 Binding<QString>::of(segment), {QStringLiteral("a"), QStringLiteral("b")},
                 [](const QString&) { return QSize(40, 24); }, [](QPainter&, const QRectF&, const QString&, double) {});
         }},
        {"switch", [](LocalizationManager&) { return new ToggleSwitch; }},
        {"swatch", [](LocalizationManager&) { return new ColorSwatch(ColorSwatch::Shape::circle, 24); }},
        {"symbol button", [](LocalizationManager&) { return new SymbolButton(QStringLiteral("xmark"), 24, 12); }},
        {"plain button",
         [](LocalizationManager&) {
             auto* button = new PlainButton;
             button->setFixedSize(80, 30);
             return button;
         }},
        {"text button",
         [](LocalizationManager& localization) {
             return new TextButton([] {}, std::nullopt, QStringLiteral("apply"), std::nullopt, ui::primary(),
                                   ui::primary(0.1), false, 8, localization);
         }},
        {"pill button",
         [](LocalizationManager& localization) {
             return new PillButton(QString(), QStringLiteral("apply"),
                                   {ui::systemFont(13), ui::primary(), ui::primary(0.1), {8, 4, 8, 4}}, localization);
         }},
        {"cell grid",
         [](LocalizationManager&) {
             auto* grid =
                 new CellGrid({4, 0, 4, 4, [](double width) { return width; }}, [](QPainter&, const QRectF&, int) {});
             grid->setCount(8);
             return grid;
         },
         [](QWidget* grid) { return static_cast<CellGrid*>(grid)->cellRect(1).center().toPoint(); }},
        {"onboarding button",
         [](LocalizationManager&) { return new OnboardingButton(QStringLiteral("Go"), true, [] {}); }},
        {"onboarding link",
         [](LocalizationManager&) { return new OnboardingSecondaryButton(QStringLiteral("Skip"), [] {}); }},
        {"onboarding card",
         [](LocalizationManager&) {
             auto* card = new OnboardingChoiceCard;
             card->setFixedSize(80, 60);
             return card;
         }},
        {"onboarding switch", [](LocalizationManager&) { return new OnboardingSwitch; }},
    };
    return controls;
}

} // namespace

TEST(FocusRingTest, KeyboardFocusIsFocusFromTabBacktabOrAShortcut)
{
    Window window(new RingedControl);
    QWidget* control = window.control;
    window.tabToControl();
    EXPECT_TRUE(ui::hasKeyboardFocus(*control));
    EXPECT_TRUE(test::drawsFocusRing(*control));

    for (Qt::FocusReason reason : {Qt::MouseFocusReason, Qt::OtherFocusReason}) {
        window.field->setFocus();
        control->setFocus(reason);
        EXPECT_FALSE(ui::hasKeyboardFocus(*control)) << reason;
        EXPECT_FALSE(test::drawsFocusRing(*control)) << reason;
    }
    for (Qt::FocusReason reason : {Qt::BacktabFocusReason, Qt::ShortcutFocusReason}) {
        window.field->setFocus();
        control->setFocus(reason);
        EXPECT_TRUE(ui::hasKeyboardFocus(*control)) << reason;
    }
    window.field->setFocus();
    EXPECT_FALSE(ui::hasKeyboardFocus(*control)) << "without the focus";
}

TEST(FocusRingTest, APressHidesTheRingAndTheWindowComingBackKeepsIt)
{
    Window window(new RingedControl);
    QWidget* control = window.control;
    window.tabToControl();
    control->clearFocus();
    control->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_TRUE(ui::hasKeyboardFocus(*control));

    QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, {5, 5});
    EXPECT_TRUE(control->hasFocus());
    EXPECT_FALSE(ui::hasKeyboardFocus(*control));
    QTest::mouseRelease(control, Qt::LeftButton, Qt::NoModifier, {5, 5});
    control->clearFocus();
    control->setFocus(Qt::PopupFocusReason);
    EXPECT_FALSE(ui::hasKeyboardFocus(*control));

    ui::noteKeyboardNavigation(*control);
    EXPECT_TRUE(ui::hasKeyboardFocus(*control));
}

TEST(FocusRingTest, EveryControlShowsItsRingForKeyboardFocusOnly)
{
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    for (const Control& made : ringedControls()) {
        Window window(made.make(localization));
        window.clickControl(made.clickPoint(window.control));
        if (auto* toggle = qobject_cast<QAbstractButton*>(window.control); toggle && toggle->isCheckable())
            toggle->setChecked(false); // an on switch is drawn in the highlight colour
        EXPECT_FALSE(test::drawsFocusRing(*window.control)) << made.name << " after a click";
        window.tabToControl();
        EXPECT_TRUE(test::drawsFocusRing(*window.control)) << made.name << " reached with Tab";
    }
}
