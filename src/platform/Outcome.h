#pragma once

#include <QString>

#include <utility>

namespace pigmo {

// Success, or the reason why an operation did not take effect (for the caller's log line).
class Outcome {
public:
    static Outcome success() { return Outcome(); }
    static Outcome failure(QString reason) { return Outcome(std::move(reason)); }

    bool succeeded() const { return failed_ == false; }
    explicit operator bool() const { return succeeded(); }
    const QString& reason() const { return reason_; }

private:
    Outcome() = default;
    explicit Outcome(QString reason)
        : reason_(std::move(reason))
        , failed_(true)
    {
    }
    QString reason_;
    bool failed_ = false;
};

} // namespace pigmo
