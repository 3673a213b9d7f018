#include "scm/file_uses.h"

namespace tovick {

void FileUses::Input(const std::string& path) {
  uses_.push_back({path, "", true, false});
}

void FileUses::Output(const std::string& path, const std::string& what) {
  uses_.push_back({path, what, false, true});
}

void FileUses::InPlace(const std::string& path) {
  uses_.push_back({path, "", true, true});
}

std::optional<std::pair<std::string, std::string>> FileUses::FindOverlap(FileIo& io) const {
  std::vector<std::string> identities;
  identities.reserve(uses_.size());
  for (const Use& use : uses_) identities.push_back(io.Identity(use.Path));
  for (std::size_t i = 0; i < uses_.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      // Two inputs may well be one file (a diff of a script with itself); a write may not reach
      // anything else the run reads or writes.
      const bool writes = uses_[i].Written || uses_[j].Written;
      if (writes && identities[i] == identities[j]) {
        auto named = [](const Use& use) {
          return use.What.empty() ? use.Path : use.Path + " (" + use.What + ")";
        };
        return std::pair(named(uses_[j]), named(uses_[i]));
      }
    }
  }
  return std::nullopt;
}

std::string OverlapText(const std::pair<std::string, std::string>& names) {
  return names.first + " and " + names.second + " are the same file";
}

}  // namespace tovick
