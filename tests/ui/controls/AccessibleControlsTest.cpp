#include "ui/controls/AccessibleControls.h"

#include "ui/controls/ColorSwatch.h"
#include "ui/controls/SegmentedPicker.h"
#include "ui/controls/SymbolView.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

#include <memory>

using namespace pigmo;

namespace {

const QStringList libraries{QStringLiteral("Lucide"), QStringLiteral("Symbols"), QStringLiteral("Emojis")};

std::unique_ptr<SegmentedPicker<QString>> makePicker(QString& selected)
{
    return std::make_unique<SegmentedPicker<QString>>(
        Binding<QString>::of(selected), libraries, [](const QString&) { return QSize(60, 24); },
        [](QPainter&, const QRectF&, const QString&, double) {},
        [](const QString& library) { return library + QStringLiteral(" icons"); });
}

QAccessibleInterface* segment(SegmentedPickerBase& picker, int index)
{
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(&picker);
    return bar ? bar->child(index) : nullptr;
}

} // namespace

TEST(AccessibleControlsTest, APickerIsAPageTabListOfNamedSegmentsThatArePressedThroughTheirAction)
{
    QString selected = libraries[1];
    const auto picker = makePicker(selected);
    picker->show();
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(picker.get());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->role(), QAccessible::PageTabList);
    ASSERT_EQ(bar->childCount(), 3);
    for (int index = 0; index < 3; ++index) {
        QAccessibleInterface* tab = bar->child(index);
        ASSERT_TRUE(tab && tab->isValid());
        EXPECT_EQ(tab, bar->child(index)) << "asked again, the same segment";
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        EXPECT_EQ(tab->text(QAccessible::Name), libraries[index] + QStringLiteral(" icons"));
        EXPECT_EQ(tab->state().selected, index == 1) << index;
        EXPECT_TRUE(tab->state().selectable);
        EXPECT_EQ(tab->parent(), bar);
        EXPECT_EQ(bar->indexOfChild(tab), index);
        const QRect area = picker->segmentRect(index);
        EXPECT_EQ(tab->rect(), QRect(picker->mapToGlobal(area.topLeft()), area.size()));
        EXPECT_EQ(bar->childAt(tab->rect().center().x(), tab->rect().center().y()), tab);
        ASSERT_TRUE(tab->actionInterface());
        EXPECT_EQ(tab->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    }

    bar->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(selected, libraries[2]);
    EXPECT_TRUE(bar->child(2)->state().selected);
    EXPECT_FALSE(bar->child(1)->state().selected);
    EXPECT_EQ(bar->focusChild(), nullptr) << "the picker has no focus";
    picker->setFocus();
    if (picker->hasFocus()) {
        EXPECT_EQ(bar->focusChild(), bar->child(2));
        EXPECT_TRUE(bar->child(2)->state().focused);
    }

    picker->setEnabled(false);
    bar->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(selected, libraries[2]) << "a disabled picker takes no press";
}

TEST(AccessibleControlsTest, TheSegmentsGoWithTheirPicker)
{
    QString selected = libraries[0];
    auto picker = makePicker(selected);
    QList<QAccessible::Id> segments;
    for (int index = 0; index < 3; ++index)
        segments.append(QAccessible::uniqueId(segment(*picker, index)));
    for (const QAccessible::Id id : segments)
        ASSERT_TRUE(QAccessible::accessibleInterface(id));
    picker.reset();
    for (const QAccessible::Id id : segments)
        EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr) << "no segment is left to answer for a gone picker";
}

TEST(AccessibleControlsTest, ATabBarIsAPageTabListOfTabButtonsSelectedWhileChecked)
{
    TabBar bar;
    auto* row = new QHBoxLayout(&bar);
    TabButton* tabs[2] = {new TabButton, new TabButton};
    for (TabButton* tab : tabs) {
        tab->setFixedSize(80, 30);
        row->addWidget(tab);
    }
    tabs[0]->setAccessibleName(QStringLiteral("All changes"));
    tabs[0]->setChecked(true);
    bar.show();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&bar);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::PageTabList);
    ASSERT_EQ(list->childCount(), 2);
    QAccessibleInterface* first = list->child(0);
    QAccessibleInterface* second = list->child(1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->role(), QAccessible::PageTab);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("All changes"));
    EXPECT_TRUE(first->state().selected);
    EXPECT_FALSE(second->state().selected);
    ASSERT_TRUE(second->actionInterface());
    EXPECT_EQ(second->actionInterface()->actionNames().value(0), QAccessibleActionInterface::pressAction());
    second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(second->state().selected);
    EXPECT_FALSE(first->state().selected) << "one tab is current at a time";
    EXPECT_TRUE(tabs[1]->isChecked());
}

TEST(AccessibleControlsTest, ASwatchOrSymbolThatTakesNeitherFocusNorClicksIsAPicture)
{
    ColorSwatch swatch(ColorSwatch::Shape::circle, 20);
    ColorSwatch decorative(ColorSwatch::Shape::roundedSquare, 20);
    decorative.setDecorative();
    SymbolButton clear(QStringLiteral("xmark.circle.fill"), 16, 14);
    SymbolButton glass(QStringLiteral("magnifyingglass"), 16, 14);
    glass.setFocusPolicy(Qt::NoFocus);
    glass.setAttribute(Qt::WA_TransparentForMouseEvents);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&swatch)->role(), QAccessible::Button);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&clear)->role(), QAccessible::Button);
    for (QWidget* picture : {static_cast<QWidget*>(&decorative), static_cast<QWidget*>(&glass)}) {
        QAccessibleInterface* element = QAccessible::queryAccessibleInterface(picture);
        EXPECT_EQ(element->role(), QAccessible::Graphic);
        EXPECT_FALSE(element->state().focusable);
        EXPECT_EQ(element->actionInterface() ? element->actionInterface()->actionNames().size() : 0, 0);
    }
}
