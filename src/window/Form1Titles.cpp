// The title view in the window: File1's rows named by the games' titles,
// and the pictures a game brings along.
#include <exception>

#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "runtime/UserFolders.h"
#include "titles/TitleFolders.h"
#include "window/Form1.h"

namespace tavro {

namespace {

// Where the emulator the settings name keeps its own files.
titles::EmulatorPlace PlaceOf(const LauncherSettings& settings, const std::string& app) {
  const std::string program = app + paths::Lit({"Emulator"}, true) + settings.FileExe;
  titles::EmulatorPlace place;
  place.folder = program.substr(0, program.find_last_of(paths::kSep));
  place.flatpak = settings.Flatpak;
  place.data_home = UserDataHome();
  place.config_home = UserConfigHome();
  place.home = UserHome();
  place.windows = paths::kDriveLetters;
  return place;
}

// The emulator's title list, read afresh for each listing (it changes while
// the emulator runs); an empty list when it cannot be read.
titles::TitleCache ReadEmulatorTitles(const titles::EmulatorPlace& place) {
  const std::string path = titles::TitleCachePath(place);
  if (path.empty())
    return {};
  try {
    return titles::TitleCache(ReadOrdinaryFile(path, titles::kMaxTitleCacheBytes),
                              paths::kDriveLetters);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

void Form1::ShowTitles() {
  // Once per listing: a nested change has named these rows already.
  if (File1.ShowsRows())
    return;
  title_rows_.clear();
  if (!settings_.Titles.on || File1.Path().empty())
    return;
  const titles::EmulatorPlace place = PlaceOf(settings_, services_.processes.AppFolder());
  const titles::PlayRecords* records = ReadRecords(place);
  if (Option2[1].Value()) {
    // Play joins "\code\" to the folder shown, whichever folder File1 lists.
    title_rows_ =
        titles::ListRpxRows(Dir1.Path(), File1.List(), settings_.Titles, title_memo_, records);
  } else {
    title_rows_ = titles::ListDiscRows(File1.Path(), File1.List(), settings_.Titles,
                                       ReadEmulatorTitles(place), records);
  }
  File1.ShowRows(ShownRows());
}

const titles::PlayRecords* Form1::ReadRecords(const titles::EmulatorPlace& place) {
  if (!RecordColumns())
    return nullptr;
  // The mode the next start would use names the storage its statistics are in.
  const std::string& mode =
      Option1[1].Value() && !Option1[0].Value() ? settings_.FullMode : settings_.WinMode;
  // Read here on the window's thread, with the listing: two small files,
  // read again only when they changed. The title worker takes this over
  // when titles are read off the window's thread.
  return &play_records_.Read(place, mode);
}

std::vector<std::string> Form1::ShownRows() const {
  std::vector<std::string> shown;
  shown.reserve(title_rows_.size());
  for (const auto& row : title_rows_)
    shown.push_back(row.shown);
  return shown;
}

void Form1::ShowNewRecords() {
  if (!File1.ShowsRows() || title_rows_.empty())
    return;
  play_records_.Forget();
  const titles::PlayRecords* records =
      ReadRecords(PlaceOf(settings_, services_.processes.AppFolder()));
  if (records == nullptr)
    return;
  // The selected game stays selected wherever its row moves.
  const titles::GameRow* selected = SelectedRow();
  const bool had_selection = selected != nullptr;
  const std::string folder = selected ? selected->folder : std::string();
  const std::string file = selected ? selected->file_name : std::string();
  titles::ShowRows(title_rows_, records);  // selected points nowhere from here on
  int index = -1;
  for (std::size_t i = 0; had_selection && i < title_rows_.size(); ++i) {
    if (title_rows_[i].folder == folder && title_rows_[i].file_name == file) {
      index = static_cast<int>(i);
      break;
    }
  }
  File1.ReplaceRows(ShownRows(), index);
}

const titles::GameRow* Form1::SelectedRow() const {
  // Rows named before File1 listed again belong to another list: File1's
  // own rows are what shows, and what Play starts.
  if (!File1.ShowsRows())
    return nullptr;
  const int index = File1.ListIndex();
  if (index < 0 || static_cast<std::size_t>(index) >= title_rows_.size())
    return nullptr;
  return &title_rows_[static_cast<std::size_t>(index)];
}

bool Form1::ShowTitleCover(const titles::GameRow& row) {
  try {
    const std::string folder = services_.processes.AppFolder() + paths::Lit({"Image"}, true);
    for (const auto& name : titles::TitleIdCoverNames(row)) {
      if (!Dir(folder + name, kAttrNormal).empty()) {
        ShowCover(folder + name);
        return true;
      }
    }
    const auto icon = titles::ReadRowIcon(row);
    if (icon.damaged) {
      Picture1.SetPicture(Picture2.Picture());  // as a damaged cover
    } else if (icon.image) {
      Picture1.SetPicture(services_.pictures.PictureFromRgba(icon.image->width, icon.image->height,
                                                             icon.image->pixels));
    } else {
      return false;
    }
  } catch (const std::exception&) {
    Picture1.SetPicture(Picture2.Picture());
  }
  return true;
}

}  // namespace tavro
