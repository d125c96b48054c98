#pragma once
// The emulator's own list of the games it has seen (title_list_cache.xml in
// its user data folder): the name it recorded for each game file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tavro::titles {

constexpr std::size_t kMaxTitleCacheBytes = std::size_t{64} << 20;

struct CachedTitle {
  std::string path;  // the game file as the emulator names it
  std::uint64_t title_id = 0;
  std::string name;  // checked: fit to show
};

// The base games the list holds, one per file (an archive holding a game,
// its update and its DLC is listed once per title; the game's entry is
// kept), keyed by path as the platform compares paths (Windows: either
// separator, no regard to case). Entries without a valid ID, path or name
// are left out; a refused document holds none.
class TitleCache final {
 public:
  TitleCache() = default;
  TitleCache(std::string_view bytes, bool windows_paths);
  const CachedTitle* Find(std::string_view path) const;
  std::size_t Size() const { return by_path_.size(); }

 private:
  std::string Key(std::string_view path) const;
  bool windows_paths_ = false;
  std::unordered_map<std::string, CachedTitle> by_path_;
};

}  // namespace tavro::titles
