#include "titles/GameTitles.h"

#include <algorithm>
#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/Text.h"
#include "titles/MetaXml.h"
#include "titles/TitleText.h"
#include "titles/WuaArchive.h"

namespace tavro::titles {

namespace {

const std::string kSep(paths::kSep);

struct FolderGame {
  std::string first_rpx;
  MetaInfo meta;
  bool meta_read = false;  // false: meta.xml there but refused
};

// The .rpx files of folder/code in the file list's order.
std::vector<std::string> RpxFiles(const std::string& code) {
  std::vector<std::string> rpx;
  try {
    ReadFolder(code, code, [&](const FolderEntry& e) {
      if (e.file && text::MatchMask(e.name, "*.rpx"))
        rpx.push_back(e.name);
    });
  } catch (const std::exception&) {
    return {};
  }
  std::sort(rpx.begin(), rpx.end(), text::LessNoCase);
  return rpx;
}

// The game in folder: none unless it has code/*.rpx and meta/meta.xml. One
// look at meta.xml and one listing of code/ for a game the memo holds.
std::optional<FolderGame> ReadFolderGame(const std::string& folder, const TitleView& view,
                                         TitleMemo& memo) {
  const std::string meta = folder + kSep + "meta" + kSep + "meta.xml";
  const auto stamp = StampOf(meta);
  if (!stamp)
    return std::nullopt;
  auto rpx = RpxFiles(folder + kSep + "code");
  if (rpx.empty())
    return std::nullopt;
  FolderGame game{std::move(rpx.front()), {}, false};
  if (auto info = memo.Meta(meta, *stamp, view.language)) {
    game.meta = std::move(*info);
    game.meta_read = true;
  }
  return game;
}

// Sorted by the shown name, favourites first; equal names told apart by
// each row's tell.
void SortRows(std::vector<GameRow>& rows) {
  std::vector<std::size_t> order(rows.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (rows[a].favorite != rows[b].favorite)
      return rows[a].favorite;
    return text::LessNoCase(rows[a].shown, rows[b].shown);
  });
  std::vector<GameRow> sorted;
  for (std::size_t k = 0; k < order.size(); ++k) {
    GameRow row = rows[order[k]];
    const bool same_before =
        k > 0 && text::EqualsNoCase(rows[order[k - 1]].shown, rows[order[k]].shown);
    const bool same_after =
        k + 1 < order.size() && text::EqualsNoCase(rows[order[k + 1]].shown, rows[order[k]].shown);
    if (same_before || same_after)
      row.shown += " [" + row.tell + "]";
    sorted.push_back(std::move(row));
  }
  rows = std::move(sorted);
}

// A row named by its file until the game's files name it.
GameRow PlainRow(const std::string& name, const std::string& folder, const std::string& file) {
  GameRow row;
  row.shown = row.name = row.tell = name;
  row.folder = folder;
  row.file_name = file;
  return row;
}

const PlayRecord* RecordOf(const GameRow& row, const PlayRecords* records) {
  return records && row.title_id ? records->Find(*row.title_id) : nullptr;
}

}  // namespace

namespace {
bool IsOffValue(const std::string& key) {
  return key.empty() || key == "0" || key == "off" || key == "no" || key == "false";
}
}  // namespace

bool ParsePlayTimeKey(const std::string& value) {
  return !IsOffValue(text::ToLowerAscii(text::TrimSpaces(value)));
}

TitleView ParseTitlesKey(const std::string& value) {
  const std::string key = text::ToLowerAscii(text::TrimSpaces(value));
  if (IsOffValue(key))
    return {};
  for (std::string_view language : kLanguages) {
    if (key == language)
      return {true, key};
  }
  return {true, "en"};
}

std::vector<GameRow> ListRpxRows(const std::string& folder, const std::vector<std::string>& own,
                                 const TitleView& view, TitleMemo& memo,
                                 const PlayRecords* records) {
  std::vector<GameRow> rows;
  const auto self = ReadFolderGame(folder, view, memo);
  for (const auto& file : own) {
    GameRow row = PlainRow(file, folder, file);
    if (self && self->meta_read) {
      if (!self->meta.name.empty())
        row.name = self->meta.name;
      row.title_id = self->meta.title_id;
      row.icon = folder + kSep + "meta" + kSep + "iconTex.tga";
    }
    rows.push_back(std::move(row));
  }
  try {
    ReadFolder(folder, folder, [&](const FolderEntry& e) {
      if (!e.folder || (paths::kDotNamesHidden && e.name.starts_with('.')))
        return;
      const std::string sub = folder + kSep + e.name;
      const auto game = ReadFolderGame(sub, view, memo);
      if (!game || (game->meta.title_id && IsUpdateOrDlc(*game->meta.title_id)))
        return;
      GameRow row = PlainRow(e.name, sub, game->first_rpx);
      row.title_id = game->meta.title_id;
      if (!game->meta.name.empty())
        row.name = game->meta.name;
      if (game->meta_read)
        row.icon = sub + kSep + "meta" + kSep + "iconTex.tga";
      rows.push_back(std::move(row));
    });
  } catch (const std::exception&) {
  }
  ShowRows(rows, records);
  return rows;
}

std::vector<GameRow> ListDiscRows(const std::string& folder, const std::vector<std::string>& files,
                                  const TitleView& view, const TitleCache& cache,
                                  const PlayRecords* records) {
  std::vector<GameRow> rows;
  for (const auto& file : files) {
    GameRow row = PlainRow(file, folder, file);
    const std::string path = folder + kSep + file;
    std::optional<WuaGame> wua;
    if (text::MatchMask(file, "*.wua"))
      wua = ReadWuaGame(path);
    std::optional<MetaInfo> meta = wua ? ReadMetaXml(wua->meta_xml, view.language) : std::nullopt;
    if (meta && !(meta->title_id && IsUpdateOrDlc(*meta->title_id))) {
      if (!meta->name.empty())
        row.name = meta->name;
      row.title_id = meta->title_id;
      row.icon = path;
      row.icon_in_wua = true;
    } else if (const CachedTitle* cached = cache.Find(path)) {
      row.name = cached->name;
      row.title_id = cached->title_id;
    }
    rows.push_back(std::move(row));
  }
  ShowRows(rows, records);
  return rows;
}

void ShowRows(std::vector<GameRow>& rows, const PlayRecords* records) {
  for (GameRow& row : rows) {
    const PlayRecord* record = RecordOf(row, records);
    row.shown = record && !record->custom_name.empty() ? record->custom_name : row.name;
    row.favorite = record && record->favorite;
  }
  SortRows(rows);
  if (records == nullptr)
    return;
  for (GameRow& row : rows) {
    // The views split the text at its tabs: a file's name may hold one.
    if (row.shown.find('\t') != std::string::npos)
      row.shown = text::ReplaceAll(row.shown, "\t", " ");
    const PlayRecord* record = RecordOf(row, records);
    if (record == nullptr || !record->Shown())
      continue;
    const std::string played = PlayedText(record->minutes);
    const std::string day = record->last_day ? DayText(*record->last_day) : std::string();
    row.shown.reserve(row.shown.size() + played.size() + day.size() + 2);
    row.shown += '\t';
    row.shown += played;
    row.shown += '\t';
    row.shown += day;
  }
}

RowIcon ReadRowIcon(const GameRow& row) {
  std::optional<std::string> bytes;
  try {
    if (row.icon_in_wua)
      bytes = ReadWuaIcon(row.icon);
    else if (!row.icon.empty())
      bytes = ReadOrdinaryFile(row.icon, kMaxIconBytes);
  } catch (const std::exception&) {
    // No file to read: as a game without an icon.
  }
  if (!bytes)
    return {};
  RowIcon icon;
  icon.image = DecodeIconTga(*bytes);
  icon.damaged = !icon.image;
  return icon;
}

std::vector<std::string> TitleIdCoverNames(const GameRow& row) {
  if (!row.title_id)
    return {};
  const std::string upper = TitleIdText(*row.title_id);
  return {upper + ".jpg", text::ToLowerAscii(upper) + ".jpg"};
}

}  // namespace tavro::titles
