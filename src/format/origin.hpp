// Where an input record came from, carried by the record readers so that a field that
// does not read can be reported with its file, unit and record number.
#pragma once

#include <stdexcept>
#include <string>

namespace veka::fmt {

struct Origin {
  std::string file;  // path of the file ("" for records not read from a file)
  int unit = 0;      // unit number (0 when not from a unit)
  long record = 0;   // 1-based record number within the file since its last rewind
};

// Raised when an input record cannot be read as its layout demands: a field that is not
// a number of the required kind, a number out of range, or a file that ends early. The
// main program turns it into the run's fatal input message and exit status.
class InputError : public std::runtime_error {
 public:
  InputError(Origin origin, const std::string& what)
      : std::runtime_error(what), origin_(std::move(origin)) {}
  const Origin& origin() const noexcept { return origin_; }

 private:
  Origin origin_;
};

}  // namespace veka::fmt
