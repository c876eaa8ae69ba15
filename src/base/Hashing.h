#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <cstddef>
#include <functional>
#include <optional>

namespace pigmo {

// Feeds values into one hash in order, consistently with the records' equality: +0 and -0 hash alike,
// an optional adds a presence mark before its value.
class Hasher {
public:
    explicit Hasher(size_t seed = 0)
        : state_(seed)
    {
    }

    Hasher& add(double number) { return mix(std::hash<double>{}(number == 0.0 ? 0.0 : number)); }
    Hasher& add(int number) { return mix(std::hash<int>{}(number)); }
    Hasher& add(const QString& text) { return mix(::qHash(text)); }
    Hasher& add(const QByteArray& bytes) { return mix(::qHash(bytes)); }
    Hasher& add(const QUrl& url) { return mix(::qHash(url)); }
    template <class T>
    Hasher& add(const std::optional<T>& value)
    {
        add(value ? 1 : 0);
        if (value)
            add(*value);
        return *this;
    }
    template <class T>
    Hasher& add(const T& value) // records with their own qHash
    {
        return mix(qHash(value));
    }

    size_t value() const { return state_; }

private:
    Hasher& mix(size_t h)
    {
        state_ ^= h + 0x9e3779b97f4a7c15ULL + (state_ << 6) + (state_ >> 2);
        return *this;
    }
    size_t state_;
};

} // namespace pigmo
