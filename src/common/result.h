// A value or the reason there is none: the one way fallible operations report failure.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace orlex {

// Why an operation failed, in plain words for the operator. `kind` lets callers branch
// where one failure needs its own handling (a plot too big for the machine).
struct Error {
    enum class Kind { Failed, TooBig, Cancelled };
    std::string message;
    Kind kind = Kind::Failed;
};

inline Error failure(std::string message, Error::Kind kind = Error::Kind::Failed)
{
    return Error{std::move(message), kind};
}

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<1>(state_); }
    const std::string& message() const { return error().message; }

private:
    std::variant<T, Error> state_;
};

// Success with nothing to hand back, or the reason for failure.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return error_; }
    const std::string& message() const { return error_.message; }

private:
    Error error_;
    bool failed_ = false;
};

} // namespace orlex
