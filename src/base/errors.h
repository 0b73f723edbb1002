// Exception classes of the core. One class per kind of failure a caller treats
// differently; every message text comes from messages.h.
#pragma once

#include <stdexcept>
#include <string>

namespace qrp {

// Base of everything this project throws on purpose.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A short read or write on a stream ("Stream read error", "Stream write error").
class StreamError : public Error {
  public:
    using Error::Error;
};

// A file that cannot be opened or created ("Cannot open file ...", "Cannot create file ...").
class FileError : public Error {
  public:
    using Error::Error;
};

// The report file being shown was rewritten by another program; its pages can no longer
// be read from it, only from a fresh load.
class ReportChangedError : public FileError {
  public:
    using FileError::FileError;
};

// The report library's own failures: illegal calls, damaged report files, invalid pictures.
class EQRError : public Error {
  public:
    using Error::Error;
};

// The printer object's failures ("Printer index out of range", "Printing in progress", ...).
class PrinterError : public Error {
  public:
    using Error::Error;
};

}  // namespace qrp
