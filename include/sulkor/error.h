// Errors of the component and the two ways of living with them.
//
// Every failure that the operation treats as "an error" (a host call that fails, a null host
// handle used as an object, a Variant that cannot be converted, arithmetic that the operation
// refuses such as a division by zero or a 16-bit overflow, an index outside a contour) is a
// sulkor::Error. Code either suppresses it for one step and moves on (WithErrorsSuppressed) or
// ends a whole operation with false (WithHandler). Nothing else catches.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace sulkor {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A host object or call failed, or a null handle was used as an object.
class HostError : public Error {
 public:
  using Error::Error;
};

// A Variant could not be converted to the type asked for (type mismatch or overflow).
class VariantError : public Error {
 public:
  using Error::Error;
};

// Arithmetic or indexing that the geometry treats as a failure: division by zero, a 16-bit
// overflow, an index outside a contour's segments.
class GeometryError : public Error {
 public:
  using Error::Error;
};

// Runs one step with errors suppressed: a sulkor::Error raised inside is dropped and the caller
// goes on with its next step. Answers whether the step ran to its end.
template <class Step>
bool WithErrorsSuppressed(Step&& step) {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const Error&) {
    return false;
  }
}

// Runs a whole operation under a handler: a sulkor::Error raised inside ends the operation with
// false. The operation itself answers a bool.
template <class Operation>
bool WithHandler(Operation&& operation) {
  try {
    return std::forward<Operation>(operation)();
  } catch (const Error&) {
    return false;
  }
}

}  // namespace sulkor
