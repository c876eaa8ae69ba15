#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace pigmo {

// A value or the description of why there is none. Used where a caller must log the reason.
// `Result<void>` is success or the reason why an operation did not take effect.
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

private:
    Result() = default;
    std::optional<T> value_;
    QString error_;
};

template <>
class Result<void> {
public:
    static Result success() { return Result(); }
    static Result failure(QString error)
    {
        Result result;
        result.error_ = std::move(error);
        result.failed_ = true;
        return result;
    }

    bool hasValue() const { return !failed_; }
    explicit operator bool() const { return hasValue(); }
    const QString& error() const { return error_; }

private:
    Result() = default;
    QString error_;
    bool failed_ = false;
};

} // namespace pigmo
