#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace pigmo {

// A value or the description of why there is none. Used where a caller must log the reason.
template <class T>
class Result {
public:
    Result(T value)
        : value_(std::move(value))
    {
    } // NOLINT(google-explicit-constructor): reads like a return
    static Result failure(QString error)
    {
        Result result;
        result.error_ = std::move(error);
        return result;
    }

    bool hasValue() const { return value_.has_value(); }
    explicit operator bool() const { return hasValue(); }
    const T& value() const& { return *value_; }
    T&& value() && { return std::move(*value_); }
    const T& operator*() const& { return *value_; }
    const T* operator->() const { return &*value_; }
    const QString& error() const { return error_; }
    std::optional<T> toOptional() && { return std::move(value_); }

private:
    Result() = default;
    std::optional<T> value_;
    QString error_;
};

} // namespace pigmo
