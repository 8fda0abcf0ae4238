// The one way our libraries say no: what is at fault and why, in French.
// A function that may refuse returns an Outcome (its value, or the refusal);
// one that only acts returns an optional Refusal. Exceptions are kept for
// callers that cannot go on.
#pragma once

#include <QString>
#include <optional>
#include <variant>

namespace varnelle {

struct Refusal {
    QString subject;   // what is at fault: an option, a key, a field; may be empty
    QString sentence;  // why, in French, as the user reads it
};

template <typename T>
using Outcome = std::variant<T, Refusal>;

// The refusal of an outcome, or nothing when it holds a value.
template <typename T>
const Refusal* refusalOf(const Outcome<T>& outcome) {
    return std::get_if<Refusal>(&outcome);
}

}  // namespace varnelle
