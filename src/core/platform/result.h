#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>
#include <utility>
#include <variant>

namespace quillora {

// What went wrong, so that a screen can choose its message without parsing the text.
enum class ErrorKind {
    general,       // anything without a kind of its own; the text says what happened
    storage,       // the store or a file could not be read or written
    storeTooNew,   // the store was written by a newer version of the app
    foreignStore,  // the file is not a store of this app
    timeout,       // a request took longer than its time limit
    network,       // the connection failed (no reply at all)
    httpStatus,    // a reply came with an unsuccessful HTTP status: code() holds it
    decoding,      // a reply or file did not have the expected form
    accountStatus, // the user's cloud account cannot be used (signed out, restricted…)
    cloud,         // the cloud database answered with an error: code() holds its code
    unavailable,   // the service or model is not available on this machine
    cancelled,     // the user or the app stopped the operation
};

// An error: its kind, a text fit to show or log, a numeric code where the kind has one (HTTP
// status, cloud error code) and any further details as named values.
struct Error final {
    ErrorKind kind = ErrorKind::general;
    QString text;
    int code = 0;
    QVariantMap details;

    bool is(ErrorKind k) const { return kind == k; }
};

// The outcome of a core operation that can fail: a value, or an Error.
//   Result<int> r = parse(…);
//   if (!r) show(r.error());                       // the text
//   if (r.errorInfo().is(ErrorKind::timeout)) …    // the kind and details
template <typename T> class [[nodiscard]] Result final {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error)
        : m_state(std::in_place_index<1>, std::move(error)) {}

    // A general error with just a text.
    static Result failure(QString text) { return Result(Error{ErrorKind::general, std::move(text), 0, {}}); }
    static Result failure(ErrorKind kind, QString text, int code = 0, QVariantMap details = {}) {
        return Result(Error{kind, std::move(text), code, std::move(details)});
    }
    static Result failure(Error error) { return Result(std::move(error)); }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    T* operator->() { return &value(); }

    // The error's text; empty on success.
    QString error() const { return ok() ? QString() : std::get<1>(m_state).text; }
    // The whole error; a default (general, empty) one on success.
    Error errorInfo() const { return ok() ? Error{} : std::get<1>(m_state); }
    ErrorKind errorKind() const { return ok() ? ErrorKind::general : std::get<1>(m_state).kind; }

private:
    std::variant<T, Error> m_state;
};

// For operations that only succeed or fail.
struct Done final {};
using Status = Result<Done>;

inline Status success() {
    return Status(Done{});
}

} // namespace quillora
