#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace kulvera {

// The one result type across layers: a value, or the error text to show (in
// the program's own words). Exceptions stay inside wrappers of outside code.
template <typename T> class Result
{
public:
    Result(T value)
        : value_(std::move(value))
    {
    }
    static Result failure(QString error)
    {
        Result r;
        r.error_ = std::move(error);
        return r;
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const & { return *value_; }
    T &value() & { return *value_; }
    T &&value() && { return std::move(*value_); }
    const T *operator->() const { return &*value_; }
    const T &operator*() const { return *value_; }
    const QString &error() const { return error_; }

private:
    Result() = default;
    std::optional<T> value_;
    QString error_;
};

// Success or an error text, for operations with nothing to return.
class Status
{
public:
    Status() = default;
    static Status failure(QString error)
    {
        Status s;
        s.failed_ = true;
        s.error_ = std::move(error);
        return s;
    }
    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return error_; }

private:
    bool failed_ = false;
    QString error_;
};

} // namespace kulvera
