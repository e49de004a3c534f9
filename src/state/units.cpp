#include "state/units.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>

namespace veka {

int Unit::open(const std::string& path, OpenStatus status) {
  close();
  path_ = path;
  origin_ = fmt::Origin{path, number_, 0};
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return EISDIR;
  errno = 0;
  if (status == OpenStatus::Old) {
    if (!exists) return ENOENT;
    fp_ = std::fopen(path.c_str(), "r");
    writable_ = false;
  } else if (exists) {
    fp_ = std::fopen(path.c_str(), "r+");
    writable_ = fp_ != nullptr;
    if (!fp_ && errno == EACCES) fp_ = std::fopen(path.c_str(), "r");
  } else {
    fp_ = std::fopen(path.c_str(), "w+");
    writable_ = fp_ != nullptr;
  }
  if (!fp_) return errno != 0 ? errno : EIO;
  buf_.clear();
  loaded_ = false;
  pos_ = 0;
  writing_ = false;
  return 0;
}

void Unit::openText(std::string text, const std::string& name) {
  close();
  path_ = name;
  origin_ = fmt::Origin{name, number_, 0};
  buf_ = std::move(text);
  loaded_ = true;
  memory_ = true;
  pos_ = 0;
  writing_ = false;
}

void Unit::load() {
  buf_.clear();
  if (fp_) {
    std::fflush(fp_);
    std::fseek(fp_, 0, SEEK_SET);
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, fp_)) > 0) buf_.append(chunk, n);
    std::clearerr(fp_);
  }
  loaded_ = true;
}

bool Unit::read(std::string_view& record) {
  if ((!fp_ && !memory_) || writing_) return false;
  if (!loaded_) load();
  if (pos_ >= buf_.size()) return false;
  std::size_t nl = buf_.find('\n', pos_);
  const std::size_t end = nl == std::string::npos ? buf_.size() : nl;
  std::size_t len = end - pos_;
  if (len > 0 && buf_[end - 1] == '\r') --len;
  record = std::string_view(buf_).substr(pos_, len);
  pos_ = nl == std::string::npos ? buf_.size() : nl + 1;
  ++origin_.record;
  return true;
}

std::string_view Unit::readRequired() {
  std::string_view rec;
  if (!read(rec)) {
    fmt::Origin o = origin_;
    ++o.record;
    throw fmt::InputError(o, "end of file");
  }
  return rec;
}

void Unit::prepareWrite() {
  assert(fp_ && writable_);
  if (!writing_) {
    std::fseek(fp_, static_cast<long>(pos_), SEEK_SET);
    if (loaded_ && buf_.size() > pos_) buf_.resize(pos_);
    writing_ = true;
  }
}

void Unit::write(std::string_view record) {
  if (!fp_ || !writable_) return;
  prepareWrite();
  std::fwrite(record.data(), 1, record.size(), fp_);
  std::fputc('\n', fp_);
  pos_ += record.size() + 1;
  ++origin_.record;
}

void Unit::endfile() {
  if (!fp_ || !writable_) return;
  std::fflush(fp_);
  if (::ftruncate(::fileno(fp_), static_cast<off_t>(pos_)) != 0) { /* keep going */
  }
  if (loaded_ && buf_.size() > pos_) buf_.resize(pos_);
  writing_ = false;
}

void Unit::rewind() {
  if (memory_) {
    pos_ = 0;
    origin_.record = 0;
    return;
  }
  if (!fp_) return;
  if (writing_) {
    endfile();
    loaded_ = false;
  }
  pos_ = 0;
  origin_.record = 0;
}

void Unit::flush() {
  if (fp_) std::fflush(fp_);
}

void Unit::close() {
  memory_ = false;
  if (!fp_) return;
  if (writing_) endfile();
  std::fclose(fp_);
  fp_ = nullptr;
  writable_ = false;
  loaded_ = false;
  buf_.clear();
  pos_ = 0;
}

}  // namespace veka
