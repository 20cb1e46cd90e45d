#pragma once

#include <string>
#include <utility>
#include <variant>

namespace orvessa::skins {

// A value, or the message that says why there is none.
template <typename T>
class Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}

    static Result failure(std::string message) { return Result(Failure{std::move(message)}); }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only while ok().
    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }

    // Empty while ok().
    const std::string& error() const {
        static const std::string none;
        return ok() ? none : std::get<1>(m_state);
    }

private:
    struct Failure {
        std::string message;
    };
    explicit Result(Failure failure)
        : m_state(std::in_place_index<1>, std::move(failure.message)) {}

    std::variant<T, std::string> m_state;
};

}  // namespace orvessa::skins
