#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace pigmo {

// A two-way view of a value owned elsewhere (a model or a parent view): `get` reads it, `set` writes it.
// Controls read through it whenever they draw and write through it only on the user's own edits; the
// owner tells a control to show a change made elsewhere (its `refresh()`).
template <typename T>
struct Binding {
    std::function<T()> get;
    std::function<void(const T&)> set;

    // A binding over a variable that outlives every copy of the binding.
    static Binding of(T& variable)
    {
        return {[&variable] { return variable; }, [&variable](const T& value) { variable = value; }};
    }
    // A binding over a value of its own, shared by the binding's copies.
    static Binding state(T initial)
    {
        auto value = std::make_shared<T>(std::move(initial));
        return {[value] { return *value; }, [value](const T& next) { *value = next; }};
    }
};

} // namespace pigmo
