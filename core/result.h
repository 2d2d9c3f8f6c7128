#pragma once

#include <string>
#include <utility>
#include <variant>

namespace keyloom {

// What went wrong, for a person: `code` is the system's errno-style code when
// there is one (0 otherwise), `message` a sentence ready to show.
struct Error {
    int code = 0;
    std::string message;
};

// A value or the reason there is none. Operations that can fail return this
// instead of throwing; only the window turns an Error into a dialog or label.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_v(std::move(value)) {}
    Result(Error error) : m_v(std::move(error)) {}

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(m_v); }
    const T& value() const { return std::get<0>(m_v); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    const Error& error() const { return std::get<1>(m_v); }

private:
    std::variant<T, Error> m_v;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_ok(false), m_error(std::move(error)) {}

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const Error& error() const { return m_error; }

private:
    bool m_ok = true;
    Error m_error;
};

using Status = Result<void>;

} // namespace keyloom
