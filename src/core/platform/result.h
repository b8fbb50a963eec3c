#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace quillora {

// The outcome of a core operation that can fail: a value, or an error text fit to show or log.
template <typename T> class [[nodiscard]] Result final {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value)) {}

    static Result failure(QString error) { return Result(Error{std::move(error)}); }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    T* operator->() { return &value(); }

    QString error() const { return ok() ? QString() : std::get<1>(m_state).text; }

private:
    struct Error {
        QString text;
    };
    explicit Result(Error error)
        : m_state(std::in_place_index<1>, std::move(error)) {}

    std::variant<T, Error> m_state;
};

// For operations that only succeed or fail.
struct Done final {};
using Status = Result<Done>;

inline Status success() {
    return Status(Done{});
}

} // namespace quillora
