// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>
#include <variant>

namespace useropts {

// What a caller does about a failure beyond telling the user: most failures
// are only told; a missing card list leads to the offer to download one.
enum class FailureKind
{
    Other,
    Missing, // what was looked for is not there
};

// Why something failed. The reason is a clause in words for the user ("the
// file ends before line 5", "cannot write /a/b: permission denied"): it
// starts in lower case unless it starts with a name, has no final full stop,
// and can follow a colon in a longer message. The line and the error number
// are set where the user is shown one.
struct Failure
{
    QString reason;
    int line = 0;        // the line of the file, from 1; 0 when none is meant
    int errorNumber = 0; // the number the user is shown; 0 when none
    FailureKind kind = FailureKind::Other;

    // The reason as a sentence of its own.
    QString sentence() const
    {
        QString text = reason;
        if (!text.isEmpty())
            text[0] = text[0].toUpper();
        if (!text.endsWith(u'.'))
            text += u'.';
        return text;
    }
};

// A value, or the failure that left none. Result<> is done, or a failure.
template <typename T = void> class [[nodiscard]] Result
{
  public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    const T& value() const
    {
        Q_ASSERT_X(ok(), "Result::value", "asked for the value of a failure");
        return std::get<0>(m_state);
    }
    T& value()
    {
        Q_ASSERT_X(ok(), "Result::value", "asked for the value of a failure");
        return std::get<0>(m_state);
    }
    const Failure& failure() const
    {
        Q_ASSERT_X(!ok(), "Result::failure", "asked for the failure of a value");
        return std::get<1>(m_state);
    }

  private:
    std::variant<T, Failure> m_state;
};

template <> class [[nodiscard]] Result<void>
{
  public:
    Result() = default;
    Result(Failure failure) : m_failure(std::move(failure)) {}

    bool ok() const { return !m_failure; }
    const Failure& failure() const
    {
        Q_ASSERT_X(!ok(), "Result::failure", "asked for the failure of a success");
        return *m_failure;
    }

  private:
    std::optional<Failure> m_failure;
};

} // namespace useropts
