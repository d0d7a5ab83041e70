#pragma once

#include "platform/ErrorCodes.h"

#include <cassert>
#include <type_traits>
#include <utility>

namespace kestrel::platform {

// How a failure travels, from the system call to the report: a function that gives a value or
// fails returns Result<T>, one that only succeeds or fails returns Status. The Error inside
// (the program's error number and the system's reason) is handed up unchanged, so the report
// names the cause the system gave; a layer may add context around it, never replace it.
// Nothing throws across a layer.
template <class T> class [[nodiscard]] Result {
    static_assert(std::is_default_constructible_v<T>, "a failed result holds T's empty value");

public:
    Result(T value) : value_(std::move(value)) {}
    // A failure; its error number is never 0.
    Result(Error error) : error_(std::move(error)) { assert(error_.number != 0); }

    bool ok() const { return error_.number == 0; }
    // The value of a result that is ok.
    const T& value() const& {
        assert(ok());
        return value_;
    }
    T& value() & {
        assert(ok());
        return value_;
    }
    T&& value() && {
        assert(ok());
        return std::move(value_);
    }
    // The value, or `fallback` when the result is a failure.
    T valueOr(T fallback) const& { return ok() ? value_ : std::move(fallback); }
    T valueOr(T fallback) && { return ok() ? std::move(value_) : std::move(fallback); }
    // Why it failed; an Error of number 0 when it did not.
    const Error& error() const { return error_; }

private:
    T value_{};
    Error error_;
};

// The result of a function that gives no value: ok, or the error that stopped it.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    // An error of number 0 is a success, so a step's Error can be handed on as it is.
    Result(Error error) : error_(std::move(error)) {}

    bool ok() const { return error_.number == 0; }
    const Error& error() const { return error_; }

private:
    Error error_;
};

using Status = Result<void>;

} // namespace kestrel::platform
