// Sequential formatted files on fixed unit numbers.
//
// A unit is opened once at start and stays open for the whole run. Records are lines;
// a trailing carriage return is dropped on input so that files edited on other systems
// read the same. Files that are read are loaded into memory when first read and scanned
// there, so rewinding and rescanning a parameter file costs no system calls.
//
// Positioning follows the Fortran sequential-file model: reading and writing share one
// position; a write makes the record written the last one of the file; rewind after a
// write, endfile() and close() truncate the file at the current position.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "format/origin.hpp"

namespace veka {

enum class OpenStatus { Old, Unknown };

class Unit {
 public:
  Unit() = default;
  explicit Unit(int number) : number_(number) {}
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;
  ~Unit() { close(); }

  // Opens the file; returns 0 or the system error number (the IOSTAT of the open).
  // "OLD" files must exist; "UNKNOWN" files are created when missing.
  int open(const std::string& path, OpenStatus status);
  // Connects the unit to a read-only text held in memory (used by the fuzz targets and
  // tests that feed readers without files); `name` appears in messages.
  void openText(std::string text, const std::string& name);
  bool isOpen() const { return fp_ != nullptr || memory_; }
  int number() const { return number_; }
  const std::string& path() const { return path_; }

  // Next record; false at the end of the file.
  bool read(std::string_view& record);
  // Next record; at the end of the file raises the runtime's end-of-file input error.
  std::string_view readRequired();
  void write(std::string_view record);
  void rewind();
  // Marks the end of the file at the current position (truncates what follows).
  void endfile();
  void flush();
  void close();

  // Position of the last record read, for messages.
  const fmt::Origin& origin() const { return origin_; }
  long recordNumber() const { return origin_.record; }

 private:
  void load();
  void prepareWrite();

  int number_ = 0;
  std::FILE* fp_ = nullptr;
  std::string path_;
  bool writable_ = false;
  std::string buf_;       // file contents for reading
  bool loaded_ = false;   // buf_ holds the contents from pos 0 to its end
  std::size_t pos_ = 0;   // byte offset of the next record
  bool writing_ = false;  // the last operation was a write
  bool memory_ = false;   // connected to openText() content, no file
  fmt::Origin origin_;
};

}  // namespace veka
