#pragma once
// Fatal programming errors of the graphics library.
//
// A few faults can only come from a caller's mistake, never from user data:
// asking for a graphics variable that does not exist, or for an output mode
// the library does not have. They stop the program with a fixed message. The
// library never ends the process itself: it throws FatalError, and `main`
// reports the message and returns its status (run_guarded does both).
//
//   int main(int argc, char** argv) {
//     return sketra::run_guarded([&] { return run_korvel(argc, argv); });
//   }

#include <functional>
#include <stdexcept>
#include <string>

namespace sketra {

class FatalError : public std::runtime_error {
 public:
  // `message` is printed as it stands on standard output; `status` becomes
  // the exit status of the process.
  explicit FatalError(const std::string& message, int status = 1)
      : std::runtime_error(message), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// A batch run (SKETRA_BATCH=1) that would wait for a person: ends the
// process with status 3, the message on standard error.
class BatchEnd : public FatalError {
 public:
  explicit BatchEnd(const std::string& message) : FatalError(message, 3) {}
};

// The window was closed through the window manager (status 0, no message),
// or the connection to the display was lost (status 1): the run ends as
// eXit ends it.
class WindowGone : public FatalError {
 public:
  using FatalError::FatalError;
};

// The message printed when no X display can be opened.
inline constexpr const char* kNoDisplayMessage = " Cannot open display...aborting";

// Runs `body` and returns its result. A FatalError escaping from it is
// reported on standard output (its message and a newline; a BatchEnd on
// standard error; an empty message not at all) and its status is returned
// instead. Other exceptions pass
// through.
int run_guarded(const std::function<int()>& body);

}  // namespace sketra
