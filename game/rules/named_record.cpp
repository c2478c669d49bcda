// The named-record base: names taken from file paths.
#include "game/rules/named_record.h"

#include "game/shell/data/data_stream.h"

namespace {

// Nothing changes this default: no record is marked available at creation.
constexpr uint8_t kDefaultAvailable = 0;

}  // namespace

NamedRecord::NamedRecord() : available_(kDefaultAvailable) {}

NamedRecord::NamedRecord(DataStream& stream) {
  // The base's own SetName: a derived override does the same, and is not ready yet during construction.
  NamedRecord::SetName(stream.GetCurrentPath());
  available_ = kDefaultAvailable;
}

NamedRecord::NamedRecord(const NamedRecord& other) {
  NamedRecord::SetName(other.filePath_);
  available_ = kDefaultAvailable;
}

NamedRecord::~NamedRecord() = default;

const std::string& NamedRecord::GetName() const { return name_; }

void NamedRecord::SetName(const std::string& path) {
  filePath_ = path;
  size_t separator = path.rfind('\\');
  if (separator == std::string::npos) separator = path.rfind('/');
  if (separator == std::string::npos) separator = path.rfind(':');
  if (separator == std::string::npos || separator + 1 == path.size()) {
    name_ = path;
  } else {
    name_ = path.substr(separator + 1);
  }
  if (name_.size() >= 5 && name_[name_.size() - 4] == '.') name_.resize(name_.size() - 4);
}
