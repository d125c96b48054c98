#pragma once
// The title view's rows: what the file list shows for a folder when the
// settings file's Titles key is set, and which file each row plays.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "titles/IconTga.h"
#include "titles/PlayRecords.h"
#include "titles/TitleCache.h"
#include "titles/TitleMemo.h"

namespace tavro::titles {

// The Titles key: off (absent, empty, 0, off, no, false) or a language.
struct TitleView {
  bool on = false;
  std::string language = "en";
};
TitleView ParseTitlesKey(const std::string& value);
// The PlayTime key: off (absent, empty, 0, off, no, false, in any case) or on.
bool ParsePlayTimeKey(const std::string& value);

struct GameRow {
  std::string shown;      // the list's text
  std::string name;       // the name the game's files give, else its file's
  std::string tell;       // what tells it from a row of the same name
  std::string folder;     // what Play joins the file to, as for today's rows
  std::string file_name;  // the game's file: Play's and the cover name's
  std::optional<std::uint64_t> title_id;
  std::string icon;  // meta/iconTex.tga's path, or the .wua holding it
  bool icon_in_wua = false;
  bool favorite = false;  // marked so in the emulator: listed first
};

// The .rpx list of the folder opened (folder), File1's own rows for it
// (file names) and the direct subfolders that are games (code/*.rpx and
// meta/meta.xml; updates and DLC left out), one row each playing the first
// .rpx of its code/. Sorted by the shown name without regard to case; two
// rows of the same name get the folder's (or the file's) name in brackets.
// Each meta.xml is read through memo, so an unchanged one is read once.
//
// With the player's records (the PlayTime key; nullptr without it): a
// game's custom name is its shown name, favourites come first (each part
// sorted by name), a game with a time or a day shows them after its name,
// each after a tab ("Name\t12 h 05 min\t2026-12-01"), and a tab inside a
// name shows as a blank.
std::vector<GameRow> ListRpxRows(const std::string& folder, const std::vector<std::string>& own,
                                 const TitleView& view, TitleMemo& memo,
                                 const PlayRecords* records = nullptr);

// The disc-image list: each file named by its .wua's title or the
// emulator's list, else its file name; sorted by the shown name, and with
// records as above.
std::vector<GameRow> ListDiscRows(const std::string& folder, const std::vector<std::string>& files,
                                  const TitleView& view, const TitleCache& cache,
                                  const PlayRecords* records = nullptr);

// Names, orders and (with records) gives their columns to rows as the
// listings above do: what a listing ends with, and what rows listed before
// go through again when the records change.
void ShowRows(std::vector<GameRow>& rows, const PlayRecords* records);

// The icon of a row, decoded. No image when the row has no icon file (or
// its archive none); damaged as well when there is one but it cannot be
// shown (cut short, no TGA, too large), which shows as a damaged cover does.
struct RowIcon {
  std::optional<RgbaImage> image;
  bool damaged = false;
};
RowIcon ReadRowIcon(const GameRow& row);

// The cover names tried after today's: the title ID in upper, then lower
// case, each with ".jpg".
std::vector<std::string> TitleIdCoverNames(const GameRow& row);

}  // namespace tavro::titles
