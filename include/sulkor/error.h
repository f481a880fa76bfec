// Errors of the component and the two ways of living with them.
//
// Every failure is a sulkor::Error of one named kind:
//   HostError        a host object or call failed, or a null handle was used as an object; host
//                    objects supplied by an application (data store, drawing, language strings)
//                    report their failures as this kind
//   VariantError     a Variant could not be converted
//   GeometryError    arithmetic or indexing that the geometry refuses, a polygon operation that
//                    cannot be done
//   host::DxfError   a DXF file that cannot be read or written (host/dxf/dxf_error.h)
//   host::JobFileError  a job file that is missing, damaged or cannot be written
//                    (host/sqlite/job_file.h)
//   host::PreviewError  a preview that cannot be made (host/preview/preview.h)
//   PostError        a program that cannot be written for the post's input (post/nc_post.h)
//   cli::UsageError  bad usage of the command line or an input it cannot read (cli/exit_codes.h)
//
// Inside the engine code either suppresses an error for one step and moves on
// (WithErrorsSuppressed) or ends a whole operation with false (WithHandler); the host objects
// turn the failures of what they wrap (SQLite, cairo, files) into their kinds. Errors are caught
// for good only at the boundaries: the public Groove members, the value interface and its Python
// module, and the command line.
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
