#include "ui/controls/AccessibleControls.h"

#include "ui/controls/ColorSwatch.h"
#include "ui/controls/SegmentedPicker.h"
#include "ui/controls/SymbolView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace pigmo::ui {
namespace {

// One segment of a picker, as a page tab. It holds no object of its own: its picker's interface made it and
// deletes it when the picker goes. Once the picker is gone or has fewer segments, it is invalid and answers
// nothing.
class SegmentAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SegmentAccessible(SegmentedPickerBase& picker, int index)
        : picker_(&picker)
        , index_(index)
    {
    }

    bool isValid() const override { return picker_ && index_ < picker_->segmentCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return picker_ ? picker_->window()->windowHandle() : nullptr; }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(picker_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        return isValid() && kind == QAccessible::Name ? picker_->segmentName(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid() || !picker_->isVisible())
            return {};
        const QRect segment = picker_->segmentRect(index_);
        return {picker_->mapToGlobal(segment.topLeft()), segment.size()};
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    // As a stock tab's: visible, enabled and focusable with its bar; selected while its item is the bound one,
    // and focused then while the bar has the focus.
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        const bool selected = picker_->selectedSegment() == index_;
        state.invisible = !picker_->isVisible();
        state.disabled = !picker_->isEnabled();
        state.focusable = true;
        state.selectable = true;
        state.selected = selected;
        state.focused = selected && picker_->hasFocus();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (isValid() && picker_->isEnabled() && action == pressAction())
            picker_->pressSegment(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<SegmentedPickerBase> picker_;
    int index_;
};

// A segmented picker, as a page tab list: its children are its segments. The segments' interfaces are made
// when first asked for and registered with the accessibility cache; they are deleted with this interface,
// which the cache deletes when the picker goes.
class SegmentedPickerAccessible : public QAccessibleWidget {
public:
    explicit SegmentedPickerAccessible(SegmentedPickerBase& picker)
        : QAccessibleWidget(&picker, QAccessible::PageTabList)
    {
    }

    int childCount() const override { return picker() ? picker()->segmentCount() : 0; }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const QAccessible::Id id = segments_.value(index))
            return QAccessible::accessibleInterface(id);
        auto* segment = new SegmentAccessible(*picker(), index);
        segments_.insert(index, QAccessible::registerAccessibleInterface(segment));
        return segment;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (auto segment = segments_.cbegin(); segment != segments_.cend(); ++segment) {
            if (QAccessible::accessibleInterface(segment.value()) == child)
                return segment.key();
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int index = 0; index < childCount(); ++index) {
            if (QAccessibleInterface* segment = child(index); segment->rect().contains(x, y))
                return segment;
        }
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        return picker() && picker()->hasFocus() ? child(picker()->selectedSegment()) : nullptr;
    }

protected:
    ~SegmentedPickerAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(segments_))
            QAccessible::deleteAccessibleInterface(id);
    }

private:
    SegmentedPickerBase* picker() const { return static_cast<SegmentedPickerBase*>(widget()); }

    mutable QHash<int, QAccessible::Id> segments_;
};

// A tab button, as a page tab: selected while checked, pressed as a click does.
class TabButtonAccessible : public QAccessibleWidget {
public:
    explicit TabButtonAccessible(TabButton& button)
        : QAccessibleWidget(&button, QAccessible::PageTab)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = static_cast<const TabButton*>(widget())->isChecked();
        return state;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == pressAction() && widget()->isEnabled())
            static_cast<TabButton*>(widget())->click();
    }
};

bool showsAPictureOnly(const QWidget& widget)
{
    return widget.focusPolicy() == Qt::NoFocus && widget.testAttribute(Qt::WA_TransparentForMouseEvents);
}

QAccessibleInterface* controlsFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(SegmentedPickerBase::staticMetaObject.className()))
        return new SegmentedPickerAccessible(*static_cast<SegmentedPickerBase*>(object));
    if (className == QLatin1String(TabButton::staticMetaObject.className()))
        return new TabButtonAccessible(*static_cast<TabButton*>(object));
    if (className == QLatin1String(TabBar::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<TabBar*>(object), QAccessible::PageTabList);
    const bool pictureButton = className == QLatin1String(ColorSwatch::staticMetaObject.className()) ||
                               className == QLatin1String(SymbolButton::staticMetaObject.className());
    if (pictureButton && showsAPictureOnly(*static_cast<QWidget*>(object)))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlsFactory);
        return true;
    }();
    (void)installed;
}

void notifySegmentSelection(QWidget& picker, int from, int to)
{
    if (from == to)
        return;
    QAccessible::State selection;
    selection.selected = true;
    for (const int index : {from, to}) {
        if (index < 0)
            continue;
        QAccessibleStateChangeEvent changed(&picker, selection);
        changed.setChild(index);
        QAccessible::updateAccessibility(&changed);
    }
    if (to >= 0 && picker.hasFocus()) {
        QAccessibleEvent focus(&picker, QAccessible::Focus);
        focus.setChild(to);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace pigmo::ui
